// The board simulator on a pty: the board's resident monitor (tests/support/
// board_simulator.h) answering whatever opens the pty's slave side, such as a COM port
// that Wine maps to it.
//
//   board_simulator --link PATH [--bit X26=1]... [--register 3=00FF]... [--state FILE]
//                   [--control FILE] [--received FILE] [--silent] [--garble] [--pace]
//                   [--pace-us N] [--counters FILE] [--ascii-only] [--answer-delay-ms N]
//                   [--heartbeat-ms N]
//
// --link      a symlink made to the pty's slave device (removed at exit)
// --bit       a bit device of the board: letter, decimal number, '=', 0 or 1
// --register  D0-D15: number '=' hexadecimal value
// --state     after every command the board's state is written there: "running=0|1",
//             then the stored program, one listing line each
// --control   a file the test writes to make the board misbehave; read whenever bytes
//             arrive and applied when its text changed. Lines "key=value":
//               silent=0|1          answer nothing, echo nothing
//               short_framing=0|1   end every answer after its first line, no prompt
//               corrupt_echo=N      the N-th echo from now on (0 the next) is wrong; -1 none
//               answer_delay_ms=N   as --answer-delay-ms
//               heartbeat_ms=N      as --heartbeat-ms, from the next command on; 0 ends it
//               bit=X26=0           a bit device changes (as --bit)
//               register=3=0100     a register changes (as --register)
// --received  after every command, every byte the host has sent so far
// --silent    the board answers nothing at all from the start (a board that is off)
// --garble    every character is echoed wrong
// --pace      every byte the board sends takes one character time at 9600 baud
// --pace-us   each byte takes N microseconds on the line, both ways (1042 for 9600 baud,
//             8N1): the answer to n received bytes with m bytes goes out (n + m) N us later
// --counters  written after each batch of bytes: "<bytes received> <bytes sent>" so far
// --ascii-only a 7-bit board: bytes above 0x7E are neither echoed nor kept (control file:
//             ascii_only=0|1)
// --answer-delay-ms  the board thinks N ms before it answers a command at its CR (the
//             echo before it goes out at once; the probe's "??" is never delayed)
// --heartbeat-ms  a board with a heartbeat: it answers every command with a stray byte '.'
//             every N ms instead, never its prompt, until the host sends its next byte (the
//             echo and the probe's "??" stay as they are)
//
// The simulator keeps a slave descriptor open itself, so the pty survives every close
// and reopen by the program under test. It prints "ready <slave path>" on stdout when it
// serves, and ends on SIGTERM or SIGINT.
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <stdlib.h>
#include <termios.h>
#include <unistd.h>

#include <time.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>

#include "support/board_simulator.h"

namespace {

volatile sig_atomic_t g_stop = 0;
void on_signal(int) { g_stop = 1; }

int usage() {
  std::fprintf(stderr, "usage: board_simulator --link PATH [--bit X26=1]... [--register 3=00FF]... [--state FILE]"
               " [--control FILE] [--received FILE] [--silent] [--garble] [--pace] [--pace-us N] [--counters FILE]"
               " [--ascii-only] [--answer-delay-ms N] [--heartbeat-ms N]\n");
  return 2;
}

bool parse_bit(const char* text, BoardMonitor& board) {
  // X26=1
  if (!text[0]) return false;
  char* end = nullptr;
  const long number = std::strtol(text + 1, &end, 10);
  if (end == text + 1 || *end != '=' || (end[1] != '0' && end[1] != '1') || end[2]) return false;
  board.set_bit(text[0], static_cast<int>(number), end[1] == '1');
  return true;
}

bool parse_register(const char* text, BoardMonitor& board) {
  char* end = nullptr;
  const long number = std::strtol(text, &end, 10);
  if (end == text || *end != '=' || number < 0 || number > 15) return false;
  char* value_end = nullptr;
  const long value = std::strtol(end + 1, &value_end, 16);
  if (value_end == end + 1 || *value_end || value < 0 || value > 0xFFFF) return false;
  board.registers[static_cast<size_t>(number)] = static_cast<uint16_t>(value);
  return true;
}

long g_answer_delay_ms = 0;
long g_heartbeat_ms = 0;

int64_t monotonic_ms() {
  timespec t{};
  clock_gettime(CLOCK_MONOTONIC, &t);
  return static_cast<int64_t>(t.tv_sec) * 1000 + t.tv_nsec / 1000000;
}

// The heartbeat from the board's next command on (0: none).
void set_heartbeat(long ms, BoardMonitor& board) {
  g_heartbeat_ms = ms < 0 ? 0 : ms;
  board.heartbeat_from = g_heartbeat_ms > 0 ? board.commands + 1 : 0;
}

// Applies the control file when its text changed since it was last applied.
void apply_control(const std::string& path, std::string& applied, BoardMonitor& board) {
  if (path.empty()) return;
  FILE* f = std::fopen(path.c_str(), "r");
  if (!f) return;
  std::string text;
  char buffer[512];
  size_t n;
  while ((n = std::fread(buffer, 1, sizeof buffer, f)) > 0 && text.size() < 4096) text.append(buffer, n);
  std::fclose(f);
  if (text == applied) return;
  applied = text;
  size_t pos = 0;
  while (pos < text.size()) {
    size_t end = text.find('\n', pos);
    if (end == std::string::npos) end = text.size();
    std::string line = text.substr(pos, end - pos);
    pos = end + 1;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    const size_t eq = line.find('=');
    if (eq == std::string::npos) continue;
    const std::string key = line.substr(0, eq);
    const long value = std::strtol(line.c_str() + eq + 1, nullptr, 10);
    if (key == "silent") board.silent = value != 0;
    else if (key == "short_framing") board.short_framing = value != 0;
    else if (key == "ascii_only") board.ascii_only = value != 0;
    else if (key == "answer_delay_ms") g_answer_delay_ms = value < 0 ? 0 : value;
    else if (key == "heartbeat_ms") set_heartbeat(value, board);
    else if (key == "corrupt_echo") board.corrupt_echo_at = value < 0 ? -1 : board.echoes + static_cast<int>(value);
    else if (key == "bit") parse_bit(line.c_str() + eq + 1, board);
    else if (key == "register") parse_register(line.c_str() + eq + 1, board);
  }
}

void write_state(const std::string& path, const BoardMonitor& board) {
  if (path.empty()) return;
  const std::string temporary = path + ".tmp";
  FILE* f = std::fopen(temporary.c_str(), "w");
  if (!f) return;
  std::fprintf(f, "running=%d\n%s", board.running ? 1 : 0, board.listing().c_str());
  std::fclose(f);
  std::rename(temporary.c_str(), path.c_str());
}

void write_received(const std::string& path, const BoardMonitor& board) {
  if (path.empty()) return;
  const std::string temporary = path + ".tmp";
  FILE* f = std::fopen(temporary.c_str(), "wb");
  if (!f) return;
  std::fwrite(board.received.data(), 1, board.received.size(), f);
  std::fclose(f);
  std::rename(temporary.c_str(), path.c_str());
}

constexpr useconds_t CHARACTER_US_9600 = 1042;  // 10 bits at 9600 baud

bool write_all(int fd, const std::string& bytes, bool pace) {
  size_t done = 0;
  while (done < bytes.size()) {
    if (pace) ::usleep(CHARACTER_US_9600);
    const ssize_t n = ::write(fd, bytes.data() + done, pace ? 1 : bytes.size() - done);
    if (n < 0) {
      if (errno == EINTR || errno == EAGAIN) continue;
      return false;
    }
    done += static_cast<size_t>(n);
  }
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  BoardMonitor board;
  std::string link;
  std::string state;
  std::string control;
  std::string applied_control;
  std::string received;
  std::string counters;
  long pace_us = 0;
  unsigned long long bytes_in = 0;
  unsigned long long bytes_out = 0;
  bool pace = false;
  bool garble = false;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "--silent") {
      board.silent = true;
      continue;
    }
    if (arg == "--garble") {
      garble = true;
      continue;
    }
    if (arg == "--pace") {
      pace = true;
      continue;
    }
    if (arg == "--ascii-only") {
      board.ascii_only = true;
      continue;
    }
    if (i + 1 >= argc) return usage();
    const char* value = argv[++i];
    if (arg == "--link") link = value;
    else if (arg == "--state") state = value;
    else if (arg == "--control") control = value;
    else if (arg == "--received") received = value;
    else if (arg == "--counters") counters = value;
    else if (arg == "--pace-us") pace_us = std::strtol(value, nullptr, 10);
    else if (arg == "--answer-delay-ms") g_answer_delay_ms = std::strtol(value, nullptr, 10);
    else if (arg == "--heartbeat-ms") set_heartbeat(std::strtol(value, nullptr, 10), board);
    else if (arg == "--bit") {
      if (!parse_bit(value, board)) return usage();
    } else if (arg == "--register") {
      if (!parse_register(value, board)) return usage();
    } else {
      return usage();
    }
  }
  if (link.empty()) return usage();

  const int master = posix_openpt(O_RDWR | O_NOCTTY);
  if (master < 0 || grantpt(master) != 0 || unlockpt(master) != 0) {
    std::perror("posix_openpt");
    return 1;
  }
  const char* slave_name = ptsname(master);
  if (!slave_name) {
    std::perror("ptsname");
    return 1;
  }
  const std::string slave_path = slave_name;
  // Held open for the whole run: without a slave descriptor the master reads EIO after
  // every close by the program under test.
  const int holder = ::open(slave_path.c_str(), O_RDWR | O_NOCTTY);
  if (holder < 0) {
    std::perror("open slave");
    return 1;
  }
  termios raw{};
  tcgetattr(holder, &raw);
  cfmakeraw(&raw);
  cfsetispeed(&raw, B9600);
  cfsetospeed(&raw, B9600);
  tcsetattr(holder, TCSANOW, &raw);

  ::unlink(link.c_str());
  if (::symlink(slave_path.c_str(), link.c_str()) != 0) {
    std::perror("symlink");
    return 1;
  }
  signal(SIGTERM, on_signal);
  signal(SIGINT, on_signal);
  write_state(state, board);
  std::printf("ready %s\n", slave_path.c_str());
  std::fflush(stdout);

  int commands = board.commands;
  // While the board beats, the time of its next stray byte.
  bool beating = false;
  int64_t next_beat = 0;
  while (!g_stop) {
    int wait_ms = 200;
    if (beating) wait_ms = static_cast<int>(std::clamp<int64_t>(next_beat - monotonic_ms(), 0, 200));
    pollfd p{master, POLLIN, 0};
    const int ready = ::poll(&p, 1, wait_ms);
    if (ready < 0) {
      if (errno == EINTR) continue;
      break;
    }
    if (beating && monotonic_ms() >= next_beat) {
      if (!write_all(master, ".", false)) break;
      ++bytes_out;
      next_beat += g_heartbeat_ms > 0 ? g_heartbeat_ms : 1;
    }
    if (ready == 0 || !(p.revents & POLLIN)) continue;
    uint8_t bytes[256];
    const ssize_t n = ::read(master, bytes, sizeof bytes);
    if (n <= 0) {
      if (n < 0 && (errno == EINTR || errno == EAGAIN || errno == EIO)) continue;
      break;
    }
    apply_control(control, applied_control, board);
    const int commands_at_batch = board.commands;
    std::string out;
    for (ssize_t i = 0; i < n; ++i) {
      if (garble) board.corrupt_echo_at = board.echoes;
      const int commands_before = board.commands;
      const size_t echoed = out.size();
      board.receive(bytes[i], out);
      // A command's answer waits for the board's thinking time; what was echoed before it
      // goes out first.
      if (g_answer_delay_ms > 0 && board.commands != commands_before && out.size() > echoed) {
        const std::string answer = out.substr(echoed);
        out.resize(echoed);
        if (!write_all(master, out, pace)) break;
        bytes_out += out.size();
        out.clear();
        ::usleep(static_cast<useconds_t>(g_answer_delay_ms * 1000));
        out = answer;
      }
    }
    // The state is on disk before the answer goes out, so whoever has read the answer
    // finds the state that answer reflects.
    if (board.commands != commands || std::memchr(bytes, 0x03, static_cast<size_t>(n))) {
      commands = board.commands;
      write_state(state, board);
      write_received(received, board);
    }
    bytes_in += static_cast<unsigned long long>(n);
    bytes_out += out.size();
    if (pace_us > 0) usleep(static_cast<useconds_t>(pace_us * (n + static_cast<long>(out.size()))));
    if (!counters.empty()) {
      if (FILE* f = std::fopen(counters.c_str(), "w")) {
        std::fprintf(f, "%llu %llu\n", bytes_in, bytes_out);
        std::fclose(f);
      }
    }
    if (!write_all(master, out, pace)) break;
    // A command answered by the heartbeat starts it; any other byte from the host ends it.
    const bool was_beating = beating;
    beating = board.heartbeating();
    if (beating && (!was_beating || board.commands != commands_at_batch)) {
      next_beat = monotonic_ms() + g_heartbeat_ms;
    }
  }
  ::unlink(link.c_str());
  ::close(holder);
  ::close(master);
  return 0;
}
