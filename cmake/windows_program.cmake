# tavolin.exe (GUI subsystem) and win_tests.exe (the Win32-level tests, run under Wine).
# Both take every *_win.cpp of the areas; the tests leave out the entry point and bring
# GoogleTest's main. The resources are compiled by windres from the UTF-8 .rc files.
enable_language(RC)

file(GLOB TAVOLIN_RC_FILES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/resources/*.rc)
set(TAVOLIN_ENTRY_SOURCE ${CMAKE_SOURCE_DIR}/frame/entry_win.cpp)
set(TAVOLIN_WIN_LIBRARY_SOURCES ${WIN_SOURCES})
list(REMOVE_ITEM TAVOLIN_WIN_LIBRARY_SOURCES ${TAVOLIN_ENTRY_SOURCE})
set(TAVOLIN_WIN_LIBS comctl32 comdlg32 gdi32 user32 kernel32)

# The window code once, for both executables.
add_library(tavolin_win_objects OBJECT ${TAVOLIN_WIN_LIBRARY_SOURCES} ${CMAKE_SOURCE_DIR}/cmake/empty.cpp)
tavolin_target_options(tavolin_win_objects)

add_executable(tavolin WIN32 ${TAVOLIN_ENTRY_SOURCE} $<TARGET_OBJECTS:tavolin_win_objects> ${TAVOLIN_RC_FILES})
tavolin_target_options(tavolin)
target_link_libraries(tavolin PRIVATE tavolin_frame ${TAVOLIN_WIN_LIBS})

# The sample designs the start-up guide opens live in the folder "SAMPLE" beside the program.
file(GLOB TAVOLIN_SAMPLE_DESIGNS CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/resources/samples/*.MBS)
add_custom_command(TARGET tavolin POST_BUILD
                   COMMAND ${CMAKE_COMMAND} -E make_directory $<TARGET_FILE_DIR:tavolin>/SAMPLE
                   COMMAND ${CMAKE_COMMAND} -E copy_if_different ${TAVOLIN_SAMPLE_DESIGNS} $<TARGET_FILE_DIR:tavolin>/SAMPLE/
                   VERBATIM)

file(GLOB win_tests CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/win/*_test.cpp)
file(GLOB win_helpers CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/win/*_helper.cpp ${CMAKE_SOURCE_DIR}/tests/support/*.cpp)
if(win_tests)
  add_executable(win_tests ${win_tests} ${win_helpers} $<TARGET_OBJECTS:tavolin_win_objects> ${TAVOLIN_RC_FILES})
  tavolin_target_options(win_tests)
  target_include_directories(win_tests PRIVATE ${CMAKE_SOURCE_DIR}/tests)
  # Wine runs the tests from the build folder; the source tree is reached through Z:.
  target_compile_definitions(win_tests PRIVATE TAVOLIN_TEST_DATA="Z:${CMAKE_SOURCE_DIR}/tests/data"
                                               TAVOLIN_SOURCE_DIR="Z:${CMAKE_SOURCE_DIR}")
  target_link_libraries(win_tests PRIVATE tavolin_frame gtest_main ${TAVOLIN_WIN_LIBS})
endif()

# screenshots.exe: the pictures of the screens for a person to look at (tests/win/*_shots.cpp,
# run by scripts/screenshot.sh --shots). It is no test program: scripts/test does not run it.
file(GLOB win_shots CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/win/*_shots.cpp)
if(win_shots)
  add_executable(screenshots ${win_shots} ${win_helpers} $<TARGET_OBJECTS:tavolin_win_objects> ${TAVOLIN_RC_FILES})
  tavolin_target_options(screenshots)
  target_include_directories(screenshots PRIVATE ${CMAKE_SOURCE_DIR}/tests)
  target_compile_definitions(screenshots PRIVATE TAVOLIN_TEST_DATA="Z:${CMAKE_SOURCE_DIR}/tests/data"
                                                 TAVOLIN_SOURCE_DIR="Z:${CMAKE_SOURCE_DIR}")
  target_link_libraries(screenshots PRIVATE tavolin_frame gtest_main ${TAVOLIN_WIN_LIBS})
endif()

# file_holder.exe: holds a file open as another program does that shares it with nobody, for
# the Win32 tests of writes to a file another program holds (tests/win/file_holder_tool.cpp).
add_executable(file_holder ${CMAKE_SOURCE_DIR}/tests/win/file_holder_tool.cpp)
target_compile_options(file_holder PRIVATE -Wall -Wextra -municode)
target_link_options(file_holder PRIVATE -municode)
foreach(user win_tests screenshots)
  if(TARGET ${user})
    add_dependencies(${user} file_holder)
  endif()
endforeach()

# The screens' timing programs (tests/timing/*_timing_main.cpp), run by hand under Wine.
file(GLOB timing_programs CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/timing/*_timing_main.cpp)
foreach(program ${timing_programs})
  get_filename_component(name ${program} NAME_WE)
  string(REGEX REPLACE "_main$" "" name ${name})
  add_executable(${name} ${program} ${CMAKE_SOURCE_DIR}/tests/support/ladder_text.cpp
                 $<TARGET_OBJECTS:tavolin_win_objects> ${TAVOLIN_RC_FILES})
  tavolin_target_options(${name})
  target_include_directories(${name} PRIVATE ${CMAKE_SOURCE_DIR}/tests)
  target_link_libraries(${name} PRIVATE tavolin_frame ${TAVOLIN_WIN_LIBS})
endforeach()
