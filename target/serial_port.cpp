#include "target/serial_port.h"

#include <cstring>
#include <utility>

const char g_port_names[PORT_SLOTS][PORT_NAME_SIZE] = {
    "\\\\.\\LPT",   "\\\\.\\COM1",  "\\\\.\\COM2",  "\\\\.\\COM3",  "\\\\.\\COM4",  "\\\\.\\COM5",
    "\\\\.\\COM6",  "\\\\.\\COM7",  "\\\\.\\COM8",  "\\\\.\\COM9",  "\\\\.\\COM10", "\\\\.\\COM11",
    "\\\\.\\COM12", "\\\\.\\COM13", "\\\\.\\COM14", "\\\\.\\COM15",
};
std::array<std::unique_ptr<BytePort>, PORT_SLOTS> g_port_handles;

int32_t g_current_port = 1;
int32_t g_baud_rate = LINK_BAUD_RATE;
uint8_t g_byte_size = 8;
uint8_t g_stop_bits_code = 0;
uint8_t g_line_end_flags = 0;
// The shell hands the number read from file.ini down at start-up and saves this value.
int32_t g_com_number = 1;
int32_t g_port_open = 0;
uint32_t g_modem_status = 0;

namespace {

CommErrorWatcher comm_error_watcher = nullptr;
PortOpener port_opener;
PortOpener system_port_opener;

std::unique_ptr<BytePort> open_device(const char* name, uint32_t& error) {
  if (port_opener) return port_opener(name, error);
  if (system_port_opener) return system_port_opener(name, error);
  error = 2;  // no comm ports until the program installs its system's (ERROR_FILE_NOT_FOUND)
  return nullptr;
}

BytePort* port_of(int slot) {
  if (slot < 0 || slot >= PORT_SLOTS) return nullptr;
  return g_port_handles[static_cast<size_t>(slot)].get();
}

int stop_bits_of(uint8_t code) {
  if (code == 0) return 0;
  if (code == 2) return 2;
  return 1;
}

}  // namespace

void report_comm_error(const char* context, uint32_t system_error) {
  if (comm_error_watcher) comm_error_watcher(context, system_error);
}

void set_comm_error_watcher(CommErrorWatcher watcher) { comm_error_watcher = watcher; }

void set_port_opener(PortOpener opener) { port_opener = std::move(opener); }

void set_system_port_opener(PortOpener opener) { system_port_opener = std::move(opener); }

int open_port(int slot, int baud_rate, int parity) {
  if (slot < 0 || slot >= PORT_SLOTS) return 0;
  // A second handle on a device opened without sharing would fail; the slot's own
  // earlier handle is closed first so that reopening the board's port works.
  close_port(slot);

  uint32_t error = 0;
  std::unique_ptr<BytePort> port = open_device(g_port_names[slot], error);
  if (!port) {
    // The slot stays closed: later calls on it return 0 at once.
    report_comm_error("In CreateFile", error);
    return 1;
  }

  LineSettings line;
  if (!port->get_line_settings(line)) report_comm_error("In GetCommState", port->last_error());
  line.baud_rate = baud_rate;
  line.byte_size = g_byte_size;
  line.parity = (parity >= 1 && parity <= 4) ? parity : NO_PARITY;
  line.stop_bits = stop_bits_of(g_stop_bits_code);
  if (!port->set_line_settings(line)) report_comm_error("In SetCommState", port->last_error());

  g_port_handles[static_cast<size_t>(slot)] = std::move(port);
  set_port_timeouts(slot, PORT_TIMEOUT_BASE_MS);
  BytePort* open = port_of(slot);
  open->set_queue_sizes(PORT_INPUT_QUEUE, PORT_OUTPUT_QUEUE);
  open->clear_dtr();
  return 1;
}

void close_port(int slot) {
  if (slot < 0 || slot >= PORT_SLOTS) return;
  g_port_handles[static_cast<size_t>(slot)].reset();
}

void purge_port(int slot) {
  if (BytePort* port = port_of(slot)) port->purge();
}

int read_port(int slot, std::span<uint8_t> buffer, int count) {
  if (count <= 0) return 0;
  const size_t clear = static_cast<size_t>(count) < buffer.size() ? static_cast<size_t>(count) : buffer.size();
  std::memset(buffer.data(), 0, clear);
  if (count > MAX_PORT_READ || static_cast<size_t>(count) > buffer.size()) return 0;
  BytePort* port = port_of(slot);
  if (!port) return 0;
  int got = port->read(buffer.data(), count);
  if (got < 0) {
    report_comm_error("In ReadFile", port->last_error());
    return 0;
  }
  if (got > count) got = count;
  if (static_cast<size_t>(got) < buffer.size()) buffer[static_cast<size_t>(got)] = 0;
  return got;
}

int write_port(int slot, std::span<const uint8_t> buffer, int count) {
  if (count <= 0 || static_cast<size_t>(count) > buffer.size()) return 0;
  BytePort* port = port_of(slot);
  if (!port) return 0;
  int written = port->write(buffer.data(), count);
  if (written < 0) {
    report_comm_error("In WriteFile", port->last_error());
    return 0;
  }
  return written;
}

int write_port_line(int slot, std::span<char> text) {
  if (text.empty()) return 0;
  size_t length = strnlen(text.data(), text.size());
  if (length == text.size()) return 0;  // not terminated within its buffer
  if (length < static_cast<size_t>(LINE_END_ROOM)) {
    const size_t needed = length + ((g_line_end_flags & 1) ? 1 : 0) + ((g_line_end_flags & 2) ? 1 : 0);
    if (needed < text.size()) {
      if (g_line_end_flags & 1) text[length++] = '\r';
      if (g_line_end_flags & 2) text[length++] = '\n';
      text[length] = 0;
    }
  }
  if (length == 0) return 0;
  return write_port(slot, std::span<const uint8_t>(reinterpret_cast<const uint8_t*>(text.data()), length),
                    static_cast<int>(length));
}

bool set_port_timeouts(int slot, int base_ms) {
  BytePort* port = port_of(slot);
  if (!port) return false;
  const uint32_t t = base_ms < 0 ? 0u : static_cast<uint32_t>(base_ms);
  PortTimeouts timeouts;
  timeouts.read_interval = 2 * t;
  timeouts.read_total_multiplier = 1;
  timeouts.read_total_constant = t;
  timeouts.write_total_multiplier = 20;
  timeouts.write_total_constant = t;
  return port->set_timeouts(timeouts);
}

bool query_port_modem_status(int slot) {
  BytePort* port = port_of(slot);
  if (!port) return false;
  uint32_t status = 0;
  if (!port->query_modem_status(status)) return false;
  g_modem_status = status;
  return true;
}

int port_bytes_waiting(int slot) {
  BytePort* port = port_of(slot);
  if (!port) return 0;
  const int waiting = port->bytes_waiting();
  return waiting > 0 ? waiting : 0;
}

uint64_t port_now_ms(int slot) {
  BytePort* port = port_of(slot);
  return port ? port->now_ms() : 0;
}

int probe_target_port(int slot) {
  if (slot < 0 || slot >= PORT_SLOTS) return 0;
  close_port(g_current_port);
  g_current_port = slot;
  g_baud_rate = LINK_BAUD_RATE;
  open_port(slot, LINK_BAUD_RATE, NO_PARITY);

  // A slot that opened but is no usable serial port is closed again: a probe leaves no
  // port open behind it.
  if (!query_port_modem_status(slot)) {
    close_port(slot);
    return 0;
  }

  char line[8] = "\r\n";
  uint8_t reply[4] = {};
  write_port_line(slot, line);
  if (read_port(slot, reply, 2) == 0) {
    close_port(slot);
    return 0;
  }

  std::strcpy(line, "\r\n");
  write_port_line(slot, line);
  const int got = read_port(slot, reply, 2);
  close_port(slot);
  if (got == 2 && reply[0] == '?' && reply[1] == '?') {
    g_com_number = slot;
    return 1;
  }
  return 0;
}

void reset_serial_state() {
  for (auto& handle : g_port_handles) handle.reset();
  g_current_port = 1;
  g_baud_rate = LINK_BAUD_RATE;
  g_byte_size = 8;
  g_stop_bits_code = 0;
  g_line_end_flags = 0;
  g_com_number = 1;
  g_port_open = 0;
  g_modem_status = 0;
}
