#include "target/serial_port_win.h"

#include "target/windows_api.h"

namespace {

class Win32SerialPort final : public BytePort {
 public:
  explicit Win32SerialPort(HANDLE handle) : handle_(handle) {
    ZeroMemory(&dcb_, sizeof dcb_);
    dcb_.DCBlength = sizeof dcb_;
    dcb_.fBinary = TRUE;
  }
  ~Win32SerialPort() override { CloseHandle(handle_); }
  Win32SerialPort(const Win32SerialPort&) = delete;
  Win32SerialPort& operator=(const Win32SerialPort&) = delete;

  bool get_line_settings(LineSettings& settings) override {
    DCB dcb;
    ZeroMemory(&dcb, sizeof dcb);
    dcb.DCBlength = sizeof dcb;
    if (!GetCommState(handle_, &dcb)) return fail();
    dcb_ = dcb;
    settings.baud_rate = static_cast<int>(dcb.BaudRate);
    settings.byte_size = dcb.ByteSize;
    settings.parity = dcb.Parity;
    settings.stop_bits = dcb.StopBits;
    return true;
  }

  // The fields this program does not set keep the values GetCommState read (when it
  // failed, those of a cleared binary-mode state).
  bool set_line_settings(const LineSettings& settings) override {
    dcb_.BaudRate = static_cast<DWORD>(settings.baud_rate);
    dcb_.ByteSize = static_cast<BYTE>(settings.byte_size);
    dcb_.Parity = static_cast<BYTE>(settings.parity);
    dcb_.StopBits = static_cast<BYTE>(settings.stop_bits);
    return SetCommState(handle_, &dcb_) ? true : fail();
  }

  bool set_timeouts(const PortTimeouts& t) override {
    COMMTIMEOUTS timeouts;
    timeouts.ReadIntervalTimeout = t.read_interval;
    timeouts.ReadTotalTimeoutMultiplier = t.read_total_multiplier;
    timeouts.ReadTotalTimeoutConstant = t.read_total_constant;
    timeouts.WriteTotalTimeoutMultiplier = t.write_total_multiplier;
    timeouts.WriteTotalTimeoutConstant = t.write_total_constant;
    return SetCommTimeouts(handle_, &timeouts) ? true : fail();
  }

  bool set_queue_sizes(uint32_t input_bytes, uint32_t output_bytes) override {
    return SetupComm(handle_, input_bytes, output_bytes) ? true : fail();
  }

  bool clear_dtr() override { return EscapeCommFunction(handle_, CLRDTR) ? true : fail(); }

  bool purge() override {
    return PurgeComm(handle_, PURGE_TXABORT | PURGE_RXABORT | PURGE_TXCLEAR | PURGE_RXCLEAR) ? true : fail();
  }

  bool query_modem_status(uint32_t& status) override {
    DWORD word = 0;
    if (!GetCommModemStatus(handle_, &word)) return fail();
    status = word;
    return true;
  }

  int read(uint8_t* buffer, int count) override {
    DWORD got = 0;
    if (!ReadFile(handle_, buffer, static_cast<DWORD>(count), &got, nullptr)) {
      fail();
      return -1;
    }
    return static_cast<int>(got);
  }

  int write(const uint8_t* buffer, int count) override {
    DWORD written = 0;
    if (!WriteFile(handle_, buffer, static_cast<DWORD>(count), &written, nullptr)) {
      fail();
      return -1;
    }
    return static_cast<int>(written);
  }

  int bytes_waiting() override {
    DWORD errors = 0;
    COMSTAT status;
    ZeroMemory(&status, sizeof status);
    if (!ClearCommError(handle_, &errors, &status)) return 0;
    return static_cast<int>(status.cbInQue);
  }

  uint32_t last_error() const override { return last_error_; }

  uint64_t now_ms() override { return GetTickCount64(); }

 private:
  bool fail() {
    last_error_ = GetLastError();
    return false;
  }

  HANDLE handle_;
  DCB dcb_;
  uint32_t last_error_ = 0;
};

}  // namespace

std::unique_ptr<BytePort> open_win32_port(const char* device_name, uint32_t& system_error) {
  // Device names are ASCII; they are widened for the W call.
  wchar_t name[32] = {};
  for (size_t i = 0; i + 1 < sizeof name / sizeof name[0] && device_name[i]; ++i)
    name[i] = static_cast<wchar_t>(static_cast<unsigned char>(device_name[i]));
  HANDLE handle = CreateFileW(name, GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
  if (handle == INVALID_HANDLE_VALUE) {
    system_error = GetLastError();
    return nullptr;
  }
  return std::make_unique<Win32SerialPort>(handle);
}
