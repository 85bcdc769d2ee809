# Windows (mingw i686): GoogleTest from the Debian sources, the core tests as a Wine-run
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
target_link_libraries(core_tests PRIVATE tavolin_portable gtest_main)

# The program and its Win32-level tests.
if(EXISTS ${CMAKE_SOURCE_DIR}/cmake/windows_program.cmake)
  include(${CMAKE_SOURCE_DIR}/cmake/windows_program.cmake)
endif()
include(${CMAKE_SOURCE_DIR}/cmake/windows_target.cmake OPTIONAL)
