// A board with its resident monitor program, as the tests play it: BoardMonitor is the
// monitor's logic (bytes in, bytes out); SimulatedLink puts it behind the serial port
// layer in-process, on a virtual clock with optional 9600-baud pacing; the program
// tests/tools/board_simulator_main.cpp serves it on a pty for the Wine rig.
//
// What the monitor does is fixed only where this program relies on it: it echoes every
// character, answers the probe, executes a command at CR, answers in lines ending CR LF
// and ends every answer with the prompt '>'. Where that leaves the board's side open,
// this board takes the least assumption:
//
// - Input. A byte from 0x20 up, DEL (0x7F) aside, is echoed at once and appended to the
//   command (at most 255 bytes are kept; more are echoed and dropped): the program sends a
//   whole-line comment like a statement, and its Shift-JIS text comes back as it went. CR is not echoed and
//   executes the command. A 7-bit board (option `ascii_only`) takes only printable ASCII:
//   a byte above 0x7E is neither echoed nor kept, like a control byte, so of a comment's
//   Shift-JIS text it keeps the second bytes that fall in 0x40-0x7E. LF is ignored. 0x03 drops the command and stops the program.
//   Other control bytes are ignored. Nothing is ever sent unsolicited, and nothing
//   follows the prompt.
// - The probe: a CR with no command is answered with exactly "??" and no prompt.
// - Answer framing: "\r\n" ends the echo line, then each answer line followed by "\r\n",
//   then '>'. A command with nothing to report answers one empty line: "\r\n\r\n>"
//   (option: "\r\n>"). A board with short framing ends every answer after its first
//   line, with neither line end nor prompt (option).
// - A program line is a decimal number followed by its words: the line is stored under
//   its number (a stored line of that number is replaced), its words kept with single
//   blanks; a number alone stores an empty line. Empty answer.
// - "N<k>" ends a download: lines numbered k and above are deleted. Empty answer.
// - "L" lists the stored lines in number order, one "%d %s" line each ("%d" for an empty
//   one). An empty program lists one empty line.
// - "R" and "^A" run the program, "@" resets it (stopped); "X<dd>A" and "X<dd>D" switch
//   input X<dd> on and off. Empty answer. 0x03 answers "\r\n\r\n>".
// - A board with a heartbeat (option `heartbeat_from`) answers a command no more from then
//   on: after its CR the board keeps sending a stray byte now and then and never its
//   prompt, until the host sends the next byte (the echo and the probe stay as they are).
//   BoardMonitor only says that it is so (heartbeating()); the line sends the bytes.
// - A bit query is a letter X, Y, M, T or C, two decimal digits and '?': the device with
//   that decimal number, answered "0" or "1". A word query is "D0", one character c from
//   '0' to '?' and '?': register c - '0' (0-15), answered ":%04X(%u)".
// - Any other command is answered with the line "?".
#pragma once

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdio>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "target/byte_port.h"

class BoardMonitor {
 public:
  // ---- What the board holds ----
  std::map<int, std::string> program;            // stored lines by number
  std::map<std::pair<char, int>, bool> bits;     // bit devices by letter and decimal number
  std::array<uint16_t, 16> registers{};          // D0-D15
  bool running = false;
  std::string received;                          // every byte the host sent
  int commands = 0;                              // CRs that executed a command
  int echoes = 0;                                // printable bytes echoed so far

  // ---- Ways to misbehave (tests) ----
  bool silent = false;                 // answers nothing at all, echoes nothing
  int corrupt_echo_at = -1;            // the echo with this number (see `echoes`) is wrong
  bool answer_commands = true;         // false: echoes, but answers no command
  bool prompt = true;                  // false: answers end after their last line end
  bool short_empty_answer = false;     // the empty answer is "\r\n>"
  bool ascii_only = false;             // bytes above 0x7E are neither echoed nor kept
  bool short_framing = false;          // answers stop after the echo's line end and their
                                       // first line, with no line end and no prompt
  std::string probe_answer = "??";
  std::string bit_answer_override;     // non-empty: the line answered to every bit query
  std::string raw_answer;              // non-empty: every command is answered with exactly these bytes
  int heartbeat_from = 0;              // > 0: from this command on (counted from 1), commands are
                                       // answered by the heartbeat instead

  // True from the CR of a command answered by the heartbeat until the next byte arrives.
  bool heartbeating() const { return heartbeating_; }

  void set_bit(char letter, int number, bool on) { bits[{letter, number}] = on; }

  // Takes one byte from the host and appends the board's reply bytes to `out`.
  void receive(uint8_t byte, std::string& out) {
    received.push_back(static_cast<char>(byte));
    heartbeating_ = false;
    if (silent) return;
    if (byte == 0x03) {
      command_.clear();
      running = false;
      out += frame({""});
      return;
    }
    if (byte == '\r') {
      execute(out);
      return;
    }
    if (byte < 0x20 || byte == 0x7F || (ascii_only && byte > 0x7E)) return;
    uint8_t echo = byte;
    if (echoes++ == corrupt_echo_at) echo = static_cast<uint8_t>(byte ^ 0x20);
    out.push_back(static_cast<char>(echo));
    if (command_.size() < 255) command_.push_back(static_cast<char>(byte));
  }

  // The stored program as the listing shows it, one line each with '\n'.
  std::string listing() const {
    std::string text;
    for (const auto& [number, words] : program) text += line_text(number, words) + "\n";
    return text;
  }

 private:
  std::string command_;
  bool heartbeating_ = false;

  static std::string line_text(int number, const std::string& words) {
    return words.empty() ? std::to_string(number) : std::to_string(number) + " " + words;
  }

  std::string frame(const std::vector<std::string>& lines) const {
    std::string text = "\r\n";
    if (short_framing) return lines.empty() ? text : text + lines[0];
    if (!(short_empty_answer && lines.size() == 1 && lines[0].empty()))
      for (const std::string& line : lines) text += line + "\r\n";
    if (prompt) text += ">";
    return text;
  }

  static bool is_digit(char c) { return c >= '0' && c <= '9'; }

  static std::vector<std::string> words_of(const std::string& text) {
    std::vector<std::string> words;
    size_t i = 0;
    while (i < text.size()) {
      while (i < text.size() && text[i] == ' ') ++i;
      size_t start = i;
      while (i < text.size() && text[i] != ' ') ++i;
      if (i > start) words.push_back(text.substr(start, i - start));
    }
    return words;
  }

  void execute(std::string& out) {
    const std::string c = command_;
    command_.clear();
    if (c.empty()) {
      out += probe_answer;
      return;
    }
    ++commands;
    if (heartbeat_from > 0 && commands >= heartbeat_from) {
      heartbeating_ = true;
      return;
    }
    if (!answer_commands) return;
    if (!raw_answer.empty()) {
      out += raw_answer;
      return;
    }
    out += frame(answer(c));
  }

  std::vector<std::string> answer(const std::string& c) {
    if (is_digit(c[0])) {
      size_t i = 0;
      int number = 0;
      while (i < c.size() && is_digit(c[i]) && number < 100000000) number = number * 10 + (c[i++] - '0');
      std::string words;
      for (const std::string& w : words_of(c.substr(i))) words += (words.empty() ? "" : " ") + w;
      program[number] = words;
      return {""};
    }
    if (c[0] == 'N' && c.size() > 1 && std::all_of(c.begin() + 1, c.end(), is_digit)) {
      const int limit = std::stoi(c.substr(1, 9));
      program.erase(program.lower_bound(limit), program.end());
      return {""};
    }
    if (c == "L") {
      std::vector<std::string> lines;
      for (const auto& [number, words] : program) lines.push_back(line_text(number, words));
      if (lines.empty()) lines.push_back("");
      return lines;
    }
    if (c == "R" || c == "^A") {
      running = true;
      return {""};
    }
    if (c == "@") {
      running = false;
      return {""};
    }
    if (c.size() == 4 && std::string("XYMTC").find(c[0]) != std::string::npos && is_digit(c[1]) && is_digit(c[2]) &&
        c[3] == '?') {
      if (!bit_answer_override.empty()) return {bit_answer_override};
      const auto it = bits.find({c[0], (c[1] - '0') * 10 + (c[2] - '0')});
      return {(it != bits.end() && it->second) ? "1" : "0"};
    }
    if (c.size() == 4 && c[0] == 'D' && c[1] == '0' && c[2] >= '0' && c[2] <= '?' && c[3] == '?') {
      const uint16_t value = registers[static_cast<size_t>(c[2] - '0')];
      char text[32];
      std::snprintf(text, sizeof text, ":%04X(%u)", value, value);
      return {text};
    }
    if (c.size() == 4 && c[0] == 'X' && is_digit(c[1]) && is_digit(c[2]) && (c[3] == 'A' || c[3] == 'D')) {
      set_bit('X', (c[1] - '0') * 10 + (c[2] - '0'), c[3] == 'A');
      return {""};
    }
    return {"?"};
  }
};

// The serial line between the host and the board, on a virtual clock. Every byte takes
// one character time on its way (0 without pacing); the two directions run at once.
// A host read of n bytes ends when the n-th byte has arrived or when its total time-out
// (multiplier · n + constant) has passed, with the bytes that came by then.
class SimulatedLink {
 public:
  static constexpr int64_t CHARACTER_US_9600 = 1042;  // 10 bits at 9600 baud: 1.0417 ms

  BoardMonitor board;
  int64_t now_us = 0;
  int64_t character_us = 0;      // pacing; CHARACTER_US_9600 for 9600 baud
  int64_t answer_delay_us = 0;   // the board's thinking time before an answer to CR
  int64_t answer_gap_us = 0;     // the board pauses this long after the first line end of an
                                 // answer to CR (the echo line's), then sends the rest
  int64_t heartbeat_us = 400'000;  // the time between two bytes of the board's heartbeat
  bool modem_ok = true;          // false: the modem-status query fails (not a serial port)
  bool opens = true;             // false: the device cannot be opened
  int babble_after_commands = -1;  // from this many commands on, the board never stops sending
  std::function<void(int opens)> on_open;  // called at every open, with the count so far
  int opens_count = 0;
  int open_ports = 0;            // ports of this link open right now

  // Bytes the board has sent, with the time the host has each.
  std::deque<std::pair<int64_t, uint8_t>> to_host;
  std::string host_sent;         // every byte the host wrote
  int64_t board_sent = 0;        // bytes the board has sent

  // Adds bytes to the host's receive side as if they had arrived long ago.
  void inject_stale(const std::string& bytes) {
    for (auto c = bytes.rbegin(); c != bytes.rend(); ++c) to_host.emplace_front(0, static_cast<uint8_t>(*c));
  }

  void host_write(const uint8_t* data, int count) {
    for (int i = 0; i < count; ++i) {
      wire_in_free_ = std::max(wire_in_free_, now_us) + character_us;
      const int64_t arrival = wire_in_free_;
      host_sent.push_back(static_cast<char>(data[i]));
      std::string out;
      board.receive(data[i], out);
      // The heartbeat stops at any byte from the host: the beats it would have sent later never go.
      if (beating_) {
        std::erase_if(to_host, [&](const auto& byte) {
          return byte.first > arrival && byte.first > beat_start_ && byte.second == HEARTBEAT_BYTE;
        });
        beating_ = false;
      }
      if (babble_after_commands >= 0 && board.commands >= babble_after_commands && !babbling_) {
        babbling_ = true;
        babble_next_ = arrival + std::max<int64_t>(character_us, 10);
      }
      const bool answer = data[i] == '\r' && !out.empty();
      int64_t t = arrival + (answer ? answer_delay_us : 0);
      board_sent += static_cast<int64_t>(out.size());
      for (size_t k = 0; k < out.size(); ++k) {
        if (answer && k == 2 && out.compare(0, 2, "\r\n") == 0) t = std::max(t, wire_out_free_) + answer_gap_us;
        wire_out_free_ = std::max(wire_out_free_, t) + character_us;
        to_host.emplace_back(wire_out_free_, static_cast<uint8_t>(out[k]));
        t = wire_out_free_;
      }
      if (board.heartbeating()) {
        beating_ = true;
        beat_start_ = arrival;
        beat_next_ = arrival + heartbeat_us;
      }
    }
    now_us = std::max(now_us, wire_in_free_);
  }

  int host_read(uint8_t* data, int count) {
    const int64_t deadline = now_us + (static_cast<int64_t>(read_multiplier_ms) * count + read_constant_ms) * 1000;
    fill_babble(deadline, static_cast<size_t>(count));
    fill_heartbeat(deadline);
    int got = 0;
    int64_t last = now_us;
    while (got < count && !to_host.empty() && to_host.front().first <= deadline) {
      last = std::max(last, to_host.front().first);
      data[got++] = to_host.front().second;
      to_host.pop_front();
    }
    now_us = got == count ? last : deadline;
    return got;
  }

  int host_waiting() {
    fill_babble(now_us, 4096);
    fill_heartbeat(now_us);
    int n = 0;
    for (const auto& [t, b] : to_host) {
      if (t > now_us) break;
      ++n;
    }
    return n;
  }

  void host_purge() {
    while (!to_host.empty() && to_host.front().first <= now_us) to_host.pop_front();
  }

  uint32_t read_multiplier_ms = 1;
  uint32_t read_constant_ms = 500;

  std::unique_ptr<BytePort> open(uint32_t& error);

  // An opener for set_port_opener: `slot_name` ("\\.\COM3") is this board; every other
  // device name fails as a missing device.
  PortOpener opener_for(std::string slot_name) {
    return [this, slot_name](const char* name, uint32_t& error) -> std::unique_ptr<BytePort> {
      if (slot_name != name) {
        error = 2;
        return nullptr;
      }
      return open(error);
    };
  }

 private:
  int64_t wire_in_free_ = 0;
  int64_t wire_out_free_ = 0;
  bool babbling_ = false;
  int64_t babble_next_ = 0;

  static constexpr uint8_t HEARTBEAT_BYTE = '.';
  bool beating_ = false;
  int64_t beat_start_ = 0;
  int64_t beat_next_ = 0;

  void fill_heartbeat(int64_t until) {
    if (!beating_) return;
    for (; beat_next_ <= until; beat_next_ += std::max<int64_t>(heartbeat_us, 1)) {
      wire_out_free_ = std::max(wire_out_free_, beat_next_) + character_us;
      to_host.emplace_back(wire_out_free_, HEARTBEAT_BYTE);
    }
  }

  void fill_babble(int64_t until, size_t wanted) {
    if (!babbling_) return;
    const int64_t period = std::max<int64_t>(character_us, 10);
    size_t queued = to_host.size();
    while (babble_next_ <= until && queued < wanted + 64) {
      to_host.emplace_back(babble_next_, static_cast<uint8_t>('#'));
      babble_next_ += period;
      ++queued;
    }
  }
};

// One open port on a SimulatedLink.
class SimulatedPort final : public BytePort {
 public:
  explicit SimulatedPort(SimulatedLink& link) : link_(link) { ++link_.open_ports; }
  ~SimulatedPort() override { --link_.open_ports; }

  LineSettings line;
  PortTimeouts timeouts;
  bool dtr_cleared = false;
  uint32_t input_queue = 0;
  uint32_t output_queue = 0;

  bool get_line_settings(LineSettings& settings) override {
    settings = line;
    return true;
  }
  bool set_line_settings(const LineSettings& settings) override {
    line = settings;
    return true;
  }
  bool set_timeouts(const PortTimeouts& t) override {
    timeouts = t;
    link_.read_multiplier_ms = t.read_total_multiplier;
    link_.read_constant_ms = t.read_total_constant;
    return true;
  }
  bool set_queue_sizes(uint32_t in, uint32_t out) override {
    input_queue = in;
    output_queue = out;
    return true;
  }
  bool clear_dtr() override {
    dtr_cleared = true;
    return true;
  }
  bool purge() override {
    link_.host_purge();
    return true;
  }
  bool query_modem_status(uint32_t& status) override {
    if (!link_.modem_ok) {
      error_ = 1;  // ERROR_INVALID_FUNCTION
      return false;
    }
    status = ModemStatus::CTS_ON | ModemStatus::DSR_ON | ModemStatus::RLSD_ON;
    return true;
  }
  int read(uint8_t* buffer, int count) override { return link_.host_read(buffer, count); }
  int write(const uint8_t* buffer, int count) override {
    link_.host_write(buffer, count);
    return count;
  }
  int bytes_waiting() override { return link_.host_waiting(); }
  uint32_t last_error() const override { return error_; }
  uint64_t now_ms() override { return static_cast<uint64_t>(link_.now_us / 1000); }

 private:
  SimulatedLink& link_;
  uint32_t error_ = 0;
};

inline std::unique_ptr<BytePort> SimulatedLink::open(uint32_t& error) {
  ++opens_count;
  if (on_open) on_open(opens_count);
  if (!opens) {
    error = 5;  // ERROR_ACCESS_DENIED
    return nullptr;
  }
  return std::make_unique<SimulatedPort>(*this);
}
