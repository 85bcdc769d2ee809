# Windows (mingw x86_64): GoogleTest from the Debian sources, the core tests as a Wine-run
# executable, and (once the shell exists) tavolin.exe and the Win32-level tests.
set(gtest_force_shared_crt OFF CACHE BOOL "" FORCE)
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
add_subdirectory(/usr/src/googletest/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)

file(GLOB core_tests CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/core/*_test.cpp)
file(GLOB core_helpers CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/core/*_helper.cpp ${CMAKE_SOURCE_DIR}/tests/support/*.cpp)
add_executable(core_tests ${core_tests} ${core_helpers})
tavolin_target_options(core_tests)
target_include_directories(core_tests PRIVATE ${CMAKE_SOURCE_DIR}/tests)
# Wine runs the tests from the build folder; the fixtures are found through Wine's Z: drive.
target_compile_definitions(core_tests PRIVATE TAVOLIN_TEST_DATA="Z:${CMAKE_SOURCE_DIR}/tests/data")
# The core alone, as natively.
target_link_libraries(core_tests PRIVATE tavolin_core gtest_main)

# The program and its Win32-level tests.
if(EXISTS ${CMAKE_SOURCE_DIR}/cmake/windows_program.cmake)
  include(${CMAKE_SOURCE_DIR}/cmake/windows_program.cmake)
endif()

# The printing library and the stand-ins of the print command's tests.
include(${CMAKE_SOURCE_DIR}/cmake/windows_printer.cmake)

# The test rig's check of its own Wine prefix: no COM port reaches a real device, and files of
# the tree open through the Z: drive as the tests' fixtures do (scripts/test runs it first).
add_executable(rig_check ${CMAKE_SOURCE_DIR}/scripts/rig/rig_check.cpp)
target_compile_options(rig_check PRIVATE -Wall -Wextra)
target_compile_definitions(rig_check PRIVATE TAVOLIN_SOURCE_DIR="Z:${CMAKE_SOURCE_DIR}")

# scripts/test runs the Windows test programs listed here: every *_tests executable of this
# folder (win_tests on a private display, the others without one).
get_property(windows_targets DIRECTORY PROPERTY BUILDSYSTEM_TARGETS)
set(windows_test_programs "")
foreach(t ${windows_targets})
  get_target_property(type ${t} TYPE)
  if(t MATCHES "_tests$" AND type STREQUAL "EXECUTABLE")
    string(APPEND windows_test_programs "$<TARGET_FILE:${t}>\n")
  endif()
endforeach()
file(GENERATE OUTPUT ${CMAKE_BINARY_DIR}/windows-test-programs.txt CONTENT "${windows_test_programs}")

# scripts/run starts the program from the path written here, once the target exists.
if(TARGET tavolin)
  file(GENERATE OUTPUT ${CMAKE_BINARY_DIR}/tavolin-exe-path.txt CONTENT "$<TARGET_FILE:tavolin>\n")
else()
  file(REMOVE ${CMAKE_BINARY_DIR}/tavolin-exe-path.txt)
endif()
include(${CMAKE_SOURCE_DIR}/cmake/windows_target.cmake OPTIONAL)
