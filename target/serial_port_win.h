// The Win32 comm ports behind the serial port layer (serial_port.h): a BytePort over a
// device handle opened with CreateFileW on a name such as "\\.\COM3". The program
// installs open_win32_port with set_system_port_opener at start-up.
#pragma once

#include <cstdint>
#include <memory>

#include "target/byte_port.h"

// Opens the device for reading and writing, without sharing, as an existing device;
// on failure returns nothing and stores GetLastError().
std::unique_ptr<BytePort> open_win32_port(const char* device_name, uint32_t& system_error);
