// The serial port layer: a fixed table of sixteen port slots, opened with the link's
// line settings, read and written as raw bytes with fixed time-outs, and the probe that
// finds out whether a board's monitor answers on a slot.
//
// Slot n is also the COM number the user sees; slot 0 is the parallel port, which never
// answers. All serial input and output of the program goes through these calls,
// synchronously, on the one user-interface thread. The layer shows no message: failing
// system calls go to report_comm_error, and the callers check an opened port through
// query_port_modem_status and report failures themselves.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>

#include "target/byte_port.h"

// ---- SerialPortTable ------------------------------------------------------------------
inline constexpr int PORT_SLOTS = 16;
inline constexpr int PORT_NAME_SIZE = 12;
extern const char g_port_names[PORT_SLOTS][PORT_NAME_SIZE];  // "\\.\LPT", "\\.\COM1" .. "\\.\COM15"
// The open port of each slot; empty means closed. A slot whose open failed stays empty,
// so no call ever acts on an invalid handle.
extern std::array<std::unique_ptr<BytePort>, PORT_SLOTS> g_port_handles;

// ---- SerialSettings: the link settings, static for the whole run -------------------------
extern int32_t g_current_port;     // the slot that open, close and purge act on (1)
extern int32_t g_baud_rate;        // 9600
extern uint8_t g_byte_size;        // 8
extern uint8_t g_stop_bits_code;   // 0 one stop bit, 2 two, any other value one and a half
extern uint8_t g_line_end_flags;   // bit 0 append CR, bit 1 append LF in write_port_line (0)
extern int32_t g_com_number;       // the slot the board dialogue uses (1; the shell keeps it in file.ini)
extern int32_t g_port_open;        // 1: slot g_com_number is open and the board answered
extern uint32_t g_modem_status;    // the modem-status word of the last query

inline constexpr int LINK_BAUD_RATE = 9600;
inline constexpr int NO_PARITY = 0;
inline constexpr int PORT_TIMEOUT_BASE_MS = 500;
inline constexpr uint32_t PORT_INPUT_QUEUE = 65536;
inline constexpr uint32_t PORT_OUTPUT_QUEUE = 512;
inline constexpr int MAX_PORT_READ = 255;   // read_port refuses 256 bytes or more
inline constexpr int LINE_END_ROOM = 254;   // write_port_line appends only below this length

// ---- Operations --------------------------------------------------------------------------
// Opens and configures a slot: 1 for slots 0..15 (whatever failed: the caller checks the
// port with query_port_modem_status), 0 for any other slot, which touches nothing. An
// earlier handle of the same slot is closed first.
int open_port(int slot, int baud_rate, int parity);
// Closes the slot's port when it is open.
void close_port(int slot);
// Purges both directions of an open slot (abort and clear, transmit and receive).
void purge_port(int slot);
// Zeroes the first `count` bytes of the buffer (never more than it holds), then reads at
// most `count` bytes. 0 when the slot is closed, when count is 256 or more or larger than
// the buffer, or when the read fails. When the buffer has room, the byte after the bytes
// read is set to 0, so the buffer never carries bytes of an earlier read past the reply.
int read_port(int slot, std::span<uint8_t> buffer, int count);
// Writes `count` bytes of the buffer (never more than it holds); 0 when the slot is
// closed or the write fails.
int write_port(int slot, std::span<const uint8_t> buffer, int count);
// Appends the line end of g_line_end_flags to the NUL-terminated text in place (only when
// it is shorter than 254 characters and the buffer has room), then writes the text
// without its terminator. Bytes written; 0 when closed or on failure.
int write_port_line(int slot, std::span<char> text);
// Sets the five time-outs from the base time t: read interval 2t, read multiplier 1 ms a
// byte, read constant t, write multiplier 20 ms a byte, write constant t.
bool set_port_timeouts(int slot, int base_ms);
// Queries the modem status of the slot's port into g_modem_status; false when the slot
// is closed or the query fails (the port is then not usable).
bool query_port_modem_status(int slot);
// Bytes received on the slot and not yet read; 0 when closed or unknown.
int port_bytes_waiting(int slot);
// The clock of the slot's port in milliseconds (BytePort::now_ms); 0 when the slot is closed.
uint64_t port_now_ms(int slot);
// 1 when a board's monitor answers "??" on the slot, else 0. The probe closes the
// current slot first and leaves the probed slot closed whatever the outcome; on success
// g_com_number becomes the slot.
int probe_target_port(int slot);

// The error sink of the layer: shows nothing. Tests may watch it.
void report_comm_error(const char* context, uint32_t system_error);
using CommErrorWatcher = void (*)(const char* context, uint32_t system_error);
void set_comm_error_watcher(CommErrorWatcher watcher);

// How ports are opened: the system's comm ports in the Win32 program; tests install a
// simulated board. An empty opener restores the system's.
void set_port_opener(PortOpener opener);
// The system's comm ports, installed once by the Win32 program at start-up
// (open_win32_port, target/serial_port_win.h). Without it no device opens.
void set_system_port_opener(PortOpener opener);

// Closes every slot and restores the link settings to their start-up values (for tests).
void reset_serial_state();
