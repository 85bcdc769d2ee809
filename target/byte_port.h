// One open serial device as the link code sees it: raw bytes in and out, the line
// settings, the time-outs and the modem lines. The Win32 program opens COM ports through
// the comm functions (serial_port_win.cpp); the tests put a simulated board behind it.
//
// Reads follow the comm time-outs: a read of n bytes returns as soon as n bytes have
// arrived, or when the read time-out has passed, with whatever came (possibly nothing).
// Every call is synchronous; nothing runs in the background. The port has a clock, by which
// the link times its waits: the system's tick count on a COM port, the tests' simulated time
// behind a simulated board.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>

// The line state that this program sets; every other field of the port's state keeps
// the value the port had when it was opened.
struct LineSettings {
  int baud_rate = 9600;
  int byte_size = 8;
  int parity = 0;     // 0 none, 1 odd, 2 even, 3 mark, 4 space
  int stop_bits = 0;  // 0 one, 1 one and a half, 2 two
};

// The five comm time-outs, in milliseconds.
struct PortTimeouts {
  uint32_t read_interval = 0;
  uint32_t read_total_multiplier = 0;
  uint32_t read_total_constant = 0;
  uint32_t write_total_multiplier = 0;
  uint32_t write_total_constant = 0;
};

// Modem-status bits as the comm functions report them.
namespace ModemStatus {
inline constexpr uint32_t CTS_ON = 0x10;
inline constexpr uint32_t DSR_ON = 0x20;
inline constexpr uint32_t RING_ON = 0x40;
inline constexpr uint32_t RLSD_ON = 0x80;
}  // namespace ModemStatus

class BytePort {
 public:
  virtual ~BytePort() = default;

  // Reads the port's current line state (the fields this program sets).
  virtual bool get_line_settings(LineSettings& settings) = 0;
  // Writes the line state back with these fields changed.
  virtual bool set_line_settings(const LineSettings& settings) = 0;
  virtual bool set_timeouts(const PortTimeouts& timeouts) = 0;
  virtual bool set_queue_sizes(uint32_t input_bytes, uint32_t output_bytes) = 0;
  virtual bool clear_dtr() = 0;
  // Aborts and clears both directions: every byte received and not yet read is dropped.
  virtual bool purge() = 0;
  virtual bool query_modem_status(uint32_t& status) = 0;

  // Bytes read (0 after a time-out with nothing received), -1 when the read failed.
  virtual int read(uint8_t* buffer, int count) = 0;
  // Bytes written, -1 when the write failed.
  virtual int write(const uint8_t* buffer, int count) = 0;
  // Bytes already received and not yet read; 0 when the port cannot tell. A read of at
  // most this many bytes returns at once.
  virtual int bytes_waiting() = 0;

  // The system error code of the last call that failed.
  virtual uint32_t last_error() const = 0;

  // Milliseconds on the port's clock, which never goes back; only differences count.
  virtual uint64_t now_ms() = 0;
};

// Opens a device by its name ("\\.\COM3"); on failure returns nothing and stores the
// system error code.
using PortOpener = std::function<std::unique_ptr<BytePort>(const char* device_name, uint32_t& system_error)>;
