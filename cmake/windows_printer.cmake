# The printing library "dabu42QX.dll" (printer/*.cpp), built beside tavolin.exe, which loads it
# from its own folder at the first print command and calls its entry point "PrinterM". It draws
# with the design screen's painter and element pictures, linked in statically like the program.
# Also two stand-ins for the print command's tests (tests/tools/print_probe_dll_win.cpp):
# print_probe/dabu42QX.dll records its call, print_probe_no_entry/dabu42QX.dll lacks the entry.
set(TAVOLIN_DLL_LINK_OPTIONS -static -static-libgcc -static-libstdc++)

file(GLOB TAVOLIN_PRINTER_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/printer/*.cpp)
if(TAVOLIN_PRINTER_SOURCES)
  # The window code of the program as an archive, from which the linker takes the objects the
  # design painter reaches (through the design window these reach well into the shell; the
  # library runs none of that code).
  add_library(tavolin_win_archive STATIC $<TARGET_OBJECTS:tavolin_win_objects>)
  add_library(tavolin_printer SHARED ${TAVOLIN_PRINTER_SOURCES})
  tavolin_target_options(tavolin_printer)
  # Each of the three libraries named dabu42QX.dll gets its import library in a folder of its
  # own: in one folder they would all be libdabu42QX.dll.a, which Ninja refuses as three rules
  # for one file.
  set_target_properties(tavolin_printer PROPERTIES OUTPUT_NAME dabu42QX PREFIX "" SUFFIX ".dll"
                                                   RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}
                                                   ARCHIVE_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/printer_import)
  target_link_options(tavolin_printer PRIVATE ${TAVOLIN_DLL_LINK_OPTIONS})
  target_link_libraries(tavolin_printer PRIVATE -Wl,--start-group tavolin_win_archive tavolin_frame tavolin_screens
                                                tavolin_shell tavolin_target tavolin_core
                                                -Wl,--end-group comctl32 comdlg32 gdi32 user32
                                                kernel32)
  # Building the program builds its printing library beside it.
  add_dependencies(tavolin tavolin_printer)
  if(TARGET win_tests)
    # The Win32 tests load the library and also draw a printed page themselves.
    add_dependencies(win_tests tavolin_printer)
    target_sources(win_tests PRIVATE ${CMAKE_SOURCE_DIR}/printer/print_design_win.cpp)
  endif()
endif()

foreach(probe print_probe print_probe_no_entry)
  add_library(${probe} SHARED ${CMAKE_SOURCE_DIR}/tests/tools/print_probe_dll_win.cpp)
  tavolin_target_options(${probe})
  set_target_properties(${probe} PROPERTIES OUTPUT_NAME dabu42QX PREFIX "" SUFFIX ".dll"
                                            RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/${probe}
                                            ARCHIVE_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/${probe})
  target_link_options(${probe} PRIVATE ${TAVOLIN_DLL_LINK_OPTIONS})
  if(TARGET win_tests)
    add_dependencies(win_tests ${probe})
  endif()
endforeach()
target_compile_definitions(print_probe_no_entry PRIVATE PRINT_PROBE_WITHOUT_ENTRY)
if(TARGET win_tests)
  target_compile_definitions(win_tests PRIVATE TAVOLIN_BUILD_DIR="Z:${CMAKE_BINARY_DIR}")
endif()

# The printing library end to end on a real (CUPS) printer: run by scripts/test.d/60-print-e2e.sh,
# which sets the printer up first.
file(GLOB print_rig_tests CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/win_print/*_test.cpp)
if(print_rig_tests AND TARGET tavolin_printer)
  add_executable(print_rig ${print_rig_tests} ${CMAKE_SOURCE_DIR}/tests/support/ladder_text.cpp
                           ${CMAKE_SOURCE_DIR}/tests/support/instruction_records.cpp
                           ${CMAKE_SOURCE_DIR}/tests/win/rig_helper.cpp)
  tavolin_target_options(print_rig)
  target_include_directories(print_rig PRIVATE ${CMAKE_SOURCE_DIR}/tests)
  target_compile_definitions(print_rig PRIVATE TAVOLIN_BUILD_DIR="Z:${CMAKE_BINARY_DIR}"
                                               TAVOLIN_SOURCE_DIR="Z:${CMAKE_SOURCE_DIR}")
  # The rig helper (screenshots, visible dialogs) brings the program's window code along.
  target_link_libraries(print_rig PRIVATE gtest_main -Wl,--start-group tavolin_win_archive tavolin_frame
                                          tavolin_screens tavolin_shell tavolin_target tavolin_core -Wl,--end-group comctl32 comdlg32 winspool gdi32 user32)
  add_dependencies(print_rig tavolin_printer)
endif()
