// Checks of the Wine test prefix itself, run by scripts/test before the Windows tests:
//   rig_check ports-closed     no COM1..COM255 can be opened (the prefix maps no real device)
//   rig_check port-echo N      COMn (mapped by tavolin_wine_map_com_port to a pty whose other
//                              end echoes) opens at 9600 8N1 and returns what is written to it
//   rig_check fixtures         a file of the source tree opens through the Z: drive, the way
//                              the tests reach their fixtures (TAVOLIN_TEST_DATA="Z:/...")
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

HANDLE open_port(int n) {
  wchar_t name[32];
  swprintf(name, 32, L"\\\\.\\COM%d", n);
  return CreateFileW(name, GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
}

bool port_opens(int n) {
  HANDLE h = open_port(n);
  if (h == INVALID_HANDLE_VALUE) return false;
  CloseHandle(h);
  return true;
}

int ports_closed() {
  int open_ports = 0;
  for (int n = 1; n <= 255; ++n) {
    if (port_opens(n)) {
      std::printf("COM%d opens: the test prefix must map no serial port\n", n);
      ++open_ports;
    }
  }
  if (open_ports == 0) std::printf("COM1..COM255 are all closed\n");
  return open_ports == 0 ? 0 : 1;
}

int port_echo(int n) {
  HANDLE h = open_port(n);
  if (h == INVALID_HANDLE_VALUE) {
    std::printf("COM%d does not open (error %lu)\n", n, GetLastError());
    return 1;
  }
  DCB dcb{};
  dcb.DCBlength = sizeof dcb;
  COMMTIMEOUTS timeouts{};
  timeouts.ReadIntervalTimeout = 100;
  timeouts.ReadTotalTimeoutConstant = 3000;
  timeouts.WriteTotalTimeoutConstant = 3000;
  bool ok = GetCommState(h, &dcb);
  if (ok) {
    dcb.BaudRate = CBR_9600;
    dcb.ByteSize = 8;
    dcb.Parity = NOPARITY;
    dcb.StopBits = ONESTOPBIT;
    dcb.fDtrControl = DTR_CONTROL_DISABLE;
    ok = SetCommState(h, &dcb) && SetCommTimeouts(h, &timeouts);
  }
  if (!ok) {
    std::printf("COM%d: setting the line failed (error %lu)\n", n, GetLastError());
    CloseHandle(h);
    return 1;
  }
  const char message[] = "TAVOLIN\r";
  const DWORD length = sizeof message - 1;
  DWORD written = 0;
  if (!WriteFile(h, message, length, &written, nullptr) || written != length) {
    std::printf("COM%d: writing failed (error %lu)\n", n, GetLastError());
    CloseHandle(h);
    return 1;
  }
  char reply[32] = {};
  DWORD got = 0;
  while (got < length) {
    DWORD part = 0;
    if (!ReadFile(h, reply + got, length - got, &part, nullptr) || part == 0) break;
    got += part;
  }
  CloseHandle(h);
  if (got != length || std::memcmp(reply, message, length) != 0) {
    std::printf("COM%d: %lu of %lu bytes came back\n", n, got, length);
    return 1;
  }
  std::printf("COM%d carries bytes both ways\n", n);
  return 0;
}

int fixtures() {
  const char* path = TAVOLIN_SOURCE_DIR "/CMakeLists.txt";
  std::FILE* f = std::fopen(path, "rb");
  if (!f) {
    std::printf("cannot open %s\n", path);
    return 1;
  }
  char line[64] = {};
  std::size_t n = std::fread(line, 1, sizeof line - 1, f);
  std::fclose(f);
  // Binary mode: the bytes arrive untranslated, so the first line still ends in a bare LF.
  const char* expected = "cmake_minimum_required(";
  if (n == 0 || std::strncmp(line, expected, std::strlen(expected)) != 0) {
    std::printf("%s opened but does not read as expected\n", path);
    return 1;
  }
  std::printf("%s reads through the Z: drive\n", path);
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc >= 2 && std::strcmp(argv[1], "ports-closed") == 0) return ports_closed();
  if (argc >= 3 && std::strcmp(argv[1], "port-echo") == 0) return port_echo(std::atoi(argv[2]));
  if (argc >= 2 && std::strcmp(argv[1], "fixtures") == 0) return fixtures();
  std::printf("usage: rig_check ports-closed | port-echo N | fixtures\n");
  return 2;
}
