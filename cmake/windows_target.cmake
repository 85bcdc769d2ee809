# Windows (mingw x86_64): the serial link test that runs under Wine against the board
# simulator on a pty (scripts/test.d/50-serial-e2e.sh maps the COM port and starts it).
file(GLOB serial_link_rig CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/win_serial/*_test.cpp)
if(serial_link_rig)
  add_executable(serial_link_rig ${serial_link_rig} ${CMAKE_SOURCE_DIR}/target/serial_port_win.cpp)
  tavolin_target_options(serial_link_rig)
  target_include_directories(serial_link_rig PRIVATE ${CMAKE_SOURCE_DIR}/tests)
  target_link_libraries(serial_link_rig PRIVATE tavolin_target gtest_main)
endif()
