#include "target/monitor_protocol.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "core/device_tables.h"
#include "core/mnemonic_text.h"
#include "core/notice.h"
#include "core/sjis.h"
#include "target/device_images.h"
#include "target/serial_port.h"

std::array<uint8_t, LINK_BUFFER_SIZE> g_tx_buffer{};
std::array<uint8_t, LINK_BUFFER_SIZE> g_rx_buffer{};

namespace {

constexpr int DRAIN_LIMIT = 4096;
constexpr uint32_t SPECIAL_ROW_FLAG = 0x20000000;
constexpr uint32_t PART_MASK = 0xD;     // part present, no line and no continuation
constexpr uint32_t PART_PRESENT = 0x8;
constexpr uint32_t VALUE_OPERAND = 0x800000;
constexpr int CODE_CELL = 12;
constexpr int POLLED_COLUMNS = 12;      // columns 0-11
constexpr int WORD_POLLED_COLUMNS = 13; // columns 0-12
constexpr uint32_t SET_CODE = 28;
constexpr uint32_t RST_CODE = 31;

int link_slot() { return g_com_number; }

bool is_blank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f'; }

void notify_link_failed() { show_notice(MSG_LINK_FAILED, CAPTION_WARNING, NoticeStyle::OK); }

// Writes the bytes of g_tx_buffer; true when all of them went out.
bool send_tx(int count) { return write_port(link_slot(), g_tx_buffer, count) == count; }

bool send_byte(uint8_t byte) {
  g_tx_buffer[0] = byte;
  return send_tx(1);
}

// Reads what the board has sent: as many bytes as are waiting (so the read returns at
// once), or one byte when none are, never more than `room`.
int read_some(uint8_t* out, size_t room) {
  int want = port_bytes_waiting(link_slot());
  if (want < 1) want = 1;
  if (want > MAX_LINK_READ) want = MAX_LINK_READ;
  if (static_cast<size_t>(want) > room) want = static_cast<int>(room);
  const int got = read_port(link_slot(), g_rx_buffer, want);
  if (got > 0) std::memcpy(out, g_rx_buffer.data(), static_cast<size_t>(got));
  return got;
}

// The time of one wait on the port's clock (wait_bound_ms): it starts when the wait does
// and grows with every byte that comes.
class WaitClock {
 public:
  WaitClock(int empty_reads, size_t line_bytes)
      : start_(port_now_ms(link_slot())), empty_reads_(empty_reads), line_bytes_(line_bytes) {}
  void took(int bytes) {
    if (bytes > 0) come_ += static_cast<size_t>(bytes);
  }
  bool time_is_up() const {
    return port_now_ms(link_slot()) - start_ > wait_bound_ms(empty_reads_, line_bytes_, come_);
  }

 private:
  uint64_t start_;
  int empty_reads_;
  size_t line_bytes_;
  size_t come_ = 0;
};

// Drops what has already arrived, without waiting for more.
void discard_waiting_input() {
  int dropped = 0;
  while (dropped < DRAIN_LIMIT) {
    int waiting = port_bytes_waiting(link_slot());
    if (waiting <= 0) return;
    if (waiting > MAX_LINK_READ) waiting = MAX_LINK_READ;
    const int got = read_port(link_slot(), g_rx_buffer, waiting);
    if (got <= 0) return;
    dropped += got;
  }
}

bool is_high_byte(char c) { return static_cast<uint8_t>(c) > 0x7E; }

// Awaits the echo of the `count` bytes just written from g_tx_buffer and compares it with
// them as it comes (match_line_echo), to the line's last byte in whichever form the board
// gives. The wait ends as soon as the echo is whole; an echo that is the line's printable
// ASCII and also the start of its every-byte echo is whole only once the board has fallen
// silent after it, or when the board is known to echo only printable ASCII. A complete
// echo of a line with bytes above 0x7E tells the board's form: `form` learns it and
// `by_ascii` says whether the echo was the ASCII part only. COMPLETE, DIFFERS (the echo
// differs, or the board fell silent or ran out of time before it was whole) or
// NOT_ASCII_STATEMENT. `echoed` gets the bytes that came back.
EchoMatch await_echo(int count, EchoForm& form, bool& by_ascii, size_t& echoed) {
  by_ascii = false;
  const std::string_view sent(reinterpret_cast<const char*>(g_tx_buffer.data()), static_cast<size_t>(count));
  std::array<uint8_t, LINK_BUFFER_SIZE> echo{};
  size_t& got = echoed;
  got = 0;
  int empty = 0;
  EchoMatch match = EchoMatch::PARTIAL;
  WaitClock clock(LINE_EMPTY_READS, static_cast<size_t>(count));
  // Every form of the echo is at most as long as the line, so a PARTIAL echo leaves room.
  while (match == EchoMatch::PARTIAL && got < static_cast<size_t>(count)) {
    const int n = read_some(echo.data() + got, static_cast<size_t>(count) - got);
    const std::string_view so_far(reinterpret_cast<const char*>(echo.data()), got + static_cast<size_t>(n > 0 ? n : 0));
    if (n == 0) {
      match = match_line_echo(sent, so_far, form, true);
      if (match == EchoMatch::PARTIAL && ++empty >= LINE_EMPTY_READS) return EchoMatch::DIFFERS;
    } else {
      empty = 0;
      got += static_cast<size_t>(n);
      clock.took(n);
      match = match_line_echo(sent, so_far, form, false);
    }
    if (match == EchoMatch::PARTIAL && clock.time_is_up()) return EchoMatch::DIFFERS;
  }
  if (match != EchoMatch::COMPLETE) return match == EchoMatch::PARTIAL ? EchoMatch::DIFFERS : match;
  if (std::any_of(sent.begin(), sent.end(), is_high_byte)) {
    by_ascii = got < sent.size();
    form = by_ascii ? EchoForm::PRINTABLE_ASCII : EchoForm::EVERY_BYTE;
  }
  return EchoMatch::COMPLETE;
}

// Takes a half-typed command off the board's line after its echo failed: the board
// keeps what it received until CR or the stop byte, and the next command would be
// appended to it ("X" + "D03?" goes out as "XD03?"). `byte` is the stop byte, which
// drops the command unexecuted (it also stops the board's program), or CR for a poll
// query, every part of which is a command the board does not know (it answers '?') and
// which leaves the board's program running. The answer is awaited to its prompt, then
// whatever is left in the port is dropped, so the next exchange starts on an empty line:
// from a board that echoed something, however late or in pieces the answer comes (it
// answers); from one that echoed nothing, one read (it is most likely not there).
void clear_board_line(uint8_t byte, bool board_echoed) {
  send_byte(byte);
  std::array<uint8_t, MAX_LINK_READ> answer{};
  size_t length = 0;
  await_reply(answer, length, board_echoed ? LINE_EMPTY_READS : LINE_CLEAR_EMPTY_READS, true);
  purge_port(link_slot());
}

// Writes a whole line from g_tx_buffer, awaits its echo, then writes CR. When the echo
// fails the line is dropped from the board's line, unexecuted. COMPLETE when the CR went
// out; `form` and `by_ascii` as await_echo.
EchoMatch send_whole_line(int length, EchoForm& form, bool& by_ascii) {
  by_ascii = false;
  if (!send_tx(length)) return EchoMatch::DIFFERS;
  size_t echoed = 0;
  const EchoMatch echo = await_echo(length, form, by_ascii, echoed);
  if (echo != EchoMatch::COMPLETE) {
    clear_board_line(STOP_BYTE, echoed > 0);
    return echo;
  }
  return send_byte('\r') ? EchoMatch::COMPLETE : EchoMatch::DIFFERS;
}

void notify_statement_not_ascii(int line_number) {
  char text[160];
  std::snprintf(text, sizeof text, MSG_STATEMENT_NOT_ASCII, line_number);
  show_notice(text, CAPTION_WARNING, NoticeStyle::OK);
}

// Sends the text one character at a time, comparing each echo, then CR; after a failed
// echo the board's line is cleared with `clear_byte`.
int send_echoed(const char* text, uint8_t clear_byte) {
  if (!text) return 0;
  const size_t length = strnlen(text, MAX_COMMAND_LENGTH + 1);
  if (length > static_cast<size_t>(MAX_COMMAND_LENGTH)) return 0;
  purge_port(link_slot());
  for (size_t i = 0; i < length; ++i) {
    const uint8_t c = static_cast<uint8_t>(text[i]);
    if (!send_byte(c)) return 0;
    // A read that timed out leaves 0, which never equals a character of the command.
    const int got = read_port(link_slot(), g_rx_buffer, 1);
    if (got != 1 || g_rx_buffer[0] != c) {
      clear_board_line(clear_byte, got == 1 || i > 0);
      return 0;
    }
  }
  return send_byte('\r') ? 1 : 0;
}

std::string_view bounded_text(const char* text, size_t capacity) { return {text, strnlen(text, capacity)}; }

// A listing line: a decimal number (blanks before it allowed), then up to two words.
bool parse_listing_line(std::string_view line, int& number, LineWords& words) {
  size_t i = 0;
  while (i < line.size() && is_blank(line[i])) ++i;
  const size_t digits_start = i;
  int value = 0;
  while (i < line.size() && line[i] >= '0' && line[i] <= '9') {
    if (i - digits_start >= 9) return false;  // no board line number is that long
    value = value * 10 + (line[i] - '0');
    ++i;
  }
  if (i == digits_start) return false;
  number = value;
  words = split_line_words(line.substr(i));
  return true;
}

void store_statement(MnemonicLine& line, std::string_view text) {
  std::memset(&line, 0, sizeof line);
  // The statement holds 127 characters, the last of them its line feed, and a NUL.
  const size_t room = static_cast<size_t>(STATEMENT_SIZE) - 2;
  const size_t n = sjis_cut_length(text, room);
  std::memcpy(line.statement, text.data(), n);
  line.statement[n] = '\n';
  line.statement[n + 1] = 0;
}

// The polls stop at the row whose cell 0 holds the end mark.
bool ends_polled_grid(const LadderRow& row) { return row.cell[0].word[0] == END_MARK_CELL; }

// The rows a poll covers: from the first visible row to first + visible, inclusive,
// within the grid.
void visible_range(const MonitorPollView& view, GridSpan grid, size_t& first, size_t& last) {
  const int64_t top = view.top_row < 0 ? 0 : view.top_row;
  const int64_t bottom = top + (view.visible_rows < 0 ? 0 : view.visible_rows);
  const int64_t limit = static_cast<int64_t>(std::min(grid.size(), static_cast<size_t>(MAX_GRID_ROWS)));
  first = static_cast<size_t>(std::min(top, limit));
  last = static_cast<size_t>(std::min(bottom + 1, limit));  // exclusive
}

bool is_bit_polled_cell(const LadderRow& row, int column) {
  const uint32_t w0 = row.cell[column].word[0];
  if ((w0 & PART_MASK) != PART_PRESENT) return false;
  if (column == OUTPUT_COLUMN && (w0 & CellFlags::BOX)) {
    const uint32_t code = row.cell[CODE_CELL].word[0] & 0x1FF;
    return code >= SET_CODE && code <= RST_CODE;
  }
  const uint32_t part = (w0 >> 4) & 0xFF;
  return part >= 1 && part <= 9;
}

bool is_bit_polled_type(uint32_t type) {
  return type == static_cast<uint32_t>(Device::X) || type == static_cast<uint32_t>(Device::Y) ||
         type == static_cast<uint32_t>(Device::M) || type == static_cast<uint32_t>(Device::T) ||
         type == static_cast<uint32_t>(Device::C);
}

// The operands already queried in one poll. When the list is full, further operands
// are still queried, only no longer remembered.
struct QueriedOperands {
  std::array<uint32_t, POLL_OPERAND_LIST_SIZE> list{};
  size_t count = 0;
  bool seen(uint32_t operand) const { return std::find(list.begin(), list.begin() + count, operand) != list.begin() + count; }
  void add(uint32_t operand) {
    if (count < list.size()) list[count++] = operand;
  }
};

}  // namespace

uint64_t wait_bound_ms(int empty_reads, size_t line_bytes, size_t bytes_come) {
  return static_cast<uint64_t>(empty_reads > 0 ? empty_reads : 0) * WAIT_MS_PER_EMPTY_READ +
         static_cast<uint64_t>(line_bytes + bytes_come) * WAIT_MS_PER_BYTE;
}

ReplyEnd await_reply(std::span<uint8_t> out, size_t& length, int empty_reads, bool need_prompt) {
  length = 0;
  int empty = 0;
  WaitClock clock(empty_reads, std::min(out.size(), static_cast<size_t>(MAX_LISTING_LINE)));
  while (length < out.size()) {
    const int n = read_some(out.data() + length, out.size() - length);
    if (n == 0) {
      if (length > 0 && !need_prompt) return ReplyEnd::QUIET;
      if (++empty >= empty_reads) return ReplyEnd::SILENT;
    } else {
      empty = 0;
      const uint8_t* fresh = out.data() + length;
      length += static_cast<size_t>(n);
      clock.took(n);
      if (std::memchr(fresh, PROMPT, static_cast<size_t>(n))) return ReplyEnd::PROMPT;
    }
    if (length < out.size() && clock.time_is_up()) return ReplyEnd::SLOW;
  }
  return ReplyEnd::FULL;
}

int connect_target_link(const char* entry_text) {
  int slot = -1;
  if (entry_text && std::strlen(entry_text) > 3) {
    const char* p = entry_text + 3;
    if (*p >= '0' && *p <= '9') {
      slot = 0;
      for (; *p >= '0' && *p <= '9' && slot < 100; ++p) slot = slot * 10 + (*p - '0');
    }
  }
  if (slot < 0 || probe_target_port(slot) == 0) {
    show_notice(MSG_NO_BOARD, CAPTION_WARNING, NoticeStyle::OK);
    return 0;
  }

  open_port(g_current_port, g_baud_rate, NO_PARITY);
  g_com_number = g_current_port;
  purge_port(g_com_number);

  char greeting[8] = "\r\n";
  write_port_line(g_com_number, greeting);
  if (read_port(g_com_number, g_rx_buffer, 2) == 0) {
    close_port(g_com_number);
    return 0;
  }
  std::strcpy(greeting, "\r\n");
  write_port_line(g_com_number, greeting);
  read_port(g_com_number, g_rx_buffer, 2);
  g_port_open = 1;
  return 1;
}

bool greet_target() {
  purge_port(link_slot());
  char greeting[8] = "\r\n";
  if (write_port_line(link_slot(), greeting) != 2) return false;
  std::array<uint8_t, 2> answer{};
  size_t length = 0;
  const ReplyEnd end = await_reply(answer, length, LINE_CLEAR_EMPTY_READS, false);
  return end == ReplyEnd::FULL && answer[0] == '?' && answer[1] == '?';
}

int send_echoed_command(const char* text) { return send_echoed(text, STOP_BYTE); }

ReplyEnd read_until_prompt(std::span<char> reply, size_t& length) {
  length = 0;
  if (reply.empty()) return ReplyEnd::FULL;
  std::span<uint8_t> room(reinterpret_cast<uint8_t*>(reply.data()), reply.size() - 1);
  const ReplyEnd end = await_reply(room, length, REPLY_EMPTY_READS, true);
  reply[length] = 0;
  return end == ReplyEnd::QUIET ? ReplyEnd::SILENT : end;
}

int stop_target_program(std::span<char> answer) {
  purge_port(link_slot());
  send_byte(STOP_BYTE);
  std::array<uint8_t, MAX_LINK_READ> got{};
  size_t length = 0;
  await_reply(got, length, STOP_EMPTY_READS, false);
  if (answer.empty()) return 0;
  const size_t n = std::min(length, answer.size() - 1);
  std::memcpy(answer.data(), got.data(), n);
  answer[n] = 0;
  return static_cast<int>(n);
}

LineWords split_line_words(std::string_view statement) {
  LineWords words;
  size_t i = 0;
  auto next_word = [&]() -> std::string_view {
    while (i < statement.size() && is_blank(statement[i])) ++i;
    const size_t start = i;
    while (i < statement.size() && statement[i] != 0 && !is_blank(statement[i])) ++i;
    return statement.substr(start, i - start);
  };
  words.first = next_word();
  words.second = next_word();
  return words;
}

std::string_view statement_of(const MnemonicLine& line) { return bounded_text(line.statement, sizeof line.statement); }

int format_program_line(int number, const LineWords& words, std::span<char> out) {
  if (out.empty()) return 0;
  int n;
  if (words.first.empty())
    n = std::snprintf(out.data(), out.size(), "%d", number);
  else if (words.second.empty())
    n = std::snprintf(out.data(), out.size(), "%d %.*s", number, static_cast<int>(words.first.size()), words.first.data());
  else
    n = std::snprintf(out.data(), out.size(), "%d %.*s %.*s", number, static_cast<int>(words.first.size()),
                      words.first.data(), static_cast<int>(words.second.size()), words.second.data());
  if (n < 0 || static_cast<size_t>(n) >= out.size()) {
    out[0] = 0;
    return 0;
  }
  return n;
}

std::string ascii_comment_note(const char* format, int lines) {
  if (lines <= 0 || format == nullptr) return {};
  char text[160];
  std::snprintf(text, sizeof text, format, lines);
  return text;
}

int write_program_to_target(ConstTextSpan text, std::span<char> end_answer, int* ascii_comment_lines) {
  if (ascii_comment_lines) *ascii_comment_lines = 0;
  if (!end_answer.empty()) end_answer[0] = 0;
  if (text.empty()) return -2;
  purge_port(link_slot());

  // How this board echoes: learnt from the first line that shows it.
  EchoForm form = EchoForm::UNKNOWN;
  int ascii_lines = 0;
  // A text without its end line ends at its last line.
  size_t i = 0;
  for (; i < text.size(); ++i) {
    const LineWords words = split_line_words(statement_of(text[i]));
    if (words.first == END_LINE_WORD) break;
    char* line = reinterpret_cast<char*>(g_tx_buffer.data());
    const int length = format_program_line(static_cast<int>(i) + 1, words, {line, g_tx_buffer.size()});
    if (length == 0) {
      notify_link_failed();
      return -1;
    }
    // A board that keeps only printable ASCII would hold another statement: nothing of
    // the line goes out.
    if (form == EchoForm::PRINTABLE_ASCII && !statement_is_ascii({line, static_cast<size_t>(length)})) {
      notify_statement_not_ascii(static_cast<int>(i) + 1);
      return -3;
    }
    bool by_ascii = false;
    const EchoMatch echo = send_whole_line(length, form, by_ascii);
    if (echo == EchoMatch::NOT_ASCII_STATEMENT) {
      notify_statement_not_ascii(static_cast<int>(i) + 1);
      return -3;
    }
    if (echo != EchoMatch::COMPLETE) {
      notify_link_failed();
      return -1;
    }
    if (by_ascii) ++ascii_lines;
    // The answer is awaited to its prompt: the rest of an answer that came late or in
    // pieces would otherwise be taken for the next line's echo.
    std::array<uint8_t, LINE_ANSWER_SIZE> answer{};
    size_t got = 0;
    const ReplyEnd end = await_reply(answer, got, LINE_EMPTY_READS, true);
    // The answer is ASCII: a byte above 0x7E in it is echo that came after the echo was
    // taken as whole, so the line was not compared to its end.
    const bool late_echo = std::any_of(answer.begin(), answer.begin() + static_cast<std::ptrdiff_t>(got),
                                       [](uint8_t b) { return b > 0x7E; });
    if (end != ReplyEnd::PROMPT || late_echo) {
      notify_link_failed();
      return -1;
    }
  }
  discard_waiting_input();

  char* line = reinterpret_cast<char*>(g_tx_buffer.data());
  const int length = std::snprintf(line, g_tx_buffer.size(), "N%d", static_cast<int>(i) + 1);
  bool by_ascii = false;
  if (send_whole_line(length, form, by_ascii) != EchoMatch::COMPLETE) {
    notify_link_failed();
    return -1;
  }
  std::array<uint8_t, REPLY_TEXT_SIZE> answer{};
  size_t got = 0;
  if (await_reply(answer, got, FINAL_EMPTY_READS, true) != ReplyEnd::PROMPT) {
    notify_link_failed();
    return -1;
  }
  // The end answer: the character before the prompt, and the prompt.
  const uint8_t* prompt = static_cast<const uint8_t*>(std::memchr(answer.data(), PROMPT, got));
  const uint8_t* from = prompt > answer.data() ? prompt - 1 : prompt;
  const size_t n = std::min(static_cast<size_t>(prompt - from) + 1, end_answer.empty() ? 0 : end_answer.size() - 1);
  if (!end_answer.empty()) {
    std::memcpy(end_answer.data(), from, n);
    end_answer[n] = 0;
  }
  if (ascii_comment_lines) *ascii_comment_lines = ascii_lines;
  return 0;
}

bool format_listing_line(std::string_view line, std::span<char> out, int& length) {
  const size_t cr = line.find('\r');
  if (cr != std::string_view::npos) line = line.substr(0, cr);
  int number = 0;
  LineWords words;
  if (!parse_listing_line(line, number, words)) return false;
  length = format_program_line(number, words, out);
  return length > 0;
}

EchoMatch match_line_echo(std::string_view sent, std::string_view echo, EchoForm form, bool board_silent) {
  const std::string ascii = ascii_part(sent);
  const bool has_high = ascii.size() != sent.size();
  // The forms this board may give: every byte, unless it is known to keep only printable
  // ASCII; the printable ASCII, for a line that has more, unless it is known to echo every byte.
  const bool whole_prefix = (form != EchoForm::PRINTABLE_ASCII || !has_high) && sent.substr(0, echo.size()) == echo;
  const bool ascii_prefix =
      has_high && form != EchoForm::EVERY_BYTE && std::string_view(ascii).substr(0, echo.size()) == echo;
  if (whole_prefix && echo.size() == sent.size()) return EchoMatch::COMPLETE;
  if (ascii_prefix && echo.size() == ascii.size()) {
    // Every ASCII byte came back. While this is also the start of the every-byte echo (the
    // line ends in bytes above 0x7E), the rest may still come.
    if (whole_prefix && !board_silent) return EchoMatch::PARTIAL;
    return statement_is_ascii(sent) ? EchoMatch::COMPLETE : EchoMatch::NOT_ASCII_STATEMENT;
  }
  return whole_prefix || ascii_prefix ? EchoMatch::PARTIAL : EchoMatch::DIFFERS;
}

bool statement_is_ascii(std::string_view line) {
  // A trail byte of Shift-JIS is never ';' (0x3B), so the first ';' starts the comment.
  const std::string_view statement = line.substr(0, line.find(';'));
  return std::none_of(statement.begin(), statement.end(), [](char c) { return static_cast<uint8_t>(c) > 0x7E; });
}

std::string ascii_part(std::string_view line) {
  std::string ascii;
  ascii.reserve(line.size());
  for (char c : line)
    if (static_cast<uint8_t>(c) <= 0x7E) ascii.push_back(c);
  return ascii;
}

ListingReader::Step ListingReader::take(uint8_t byte) {
  if (state_ != MORE) return state_;
  if (byte == PROMPT && (reply_.empty() || reply_.back() == '\n')) {
    reply_.push_back(static_cast<char>(byte));
    return state_ = AT_PROMPT;
  }
  if (byte == '\n') {
    // The echo line's end and one line end for each listing line.
    if (++lines_ > MAX_LISTING_LINES + 1) return state_ = TOO_LONG;
    line_length_ = 0;
  } else if (++line_length_ > static_cast<size_t>(MAX_LISTING_LINE)) {
    return state_ = TOO_LONG;
  }
  reply_.push_back(static_cast<char>(byte));
  return MORE;
}

bool reply_ends_at_prompt(std::string_view reply) {
  return !reply.empty() && reply.back() == PROMPT && (reply.size() == 1 || reply[reply.size() - 2] == '\n');
}

std::string_view listing_of_reply(std::string_view reply) {
  // Cut before the character that precedes the prompt: the line end before '>' goes.
  if (reply_ends_at_prompt(reply)) reply = reply.substr(0, reply.size() < 2 ? 0 : reply.size() - 2);
  const size_t first_lf = reply.find('\n');
  return first_lf == std::string_view::npos ? std::string_view() : reply.substr(first_lf + 1);
}

namespace {

// Sends "L" and reads the whole listing, up to its prompt at a line start. A '>' anywhere
// else is listing text, even when the board falls silent after it: that listing is CUT.
// Without a prompt the reply holds what came before the reading stopped. The listing is
// timed as it comes: its time grows by every line's bytes, so a long listing at 9600 baud
// is never cut, and a board that sends a byte now and then, line ends or not, is (SLOW).
ListingEnd collect_listing(std::string& reply) {
  reply.clear();
  if (!send_echoed_command("L")) return ListingEnd::SILENT;
  ListingReader reader;
  std::array<uint8_t, MAX_LINK_READ> chunk{};
  int empty = 0;
  WaitClock clock(REPLY_EMPTY_READS, MAX_LISTING_LINE);
  for (;;) {
    const int n = read_some(chunk.data(), chunk.size());
    if (n == 0) {
      if (++empty >= REPLY_EMPTY_READS) {
        reply = reader.reply();
        return reply.empty() ? ListingEnd::SILENT : ListingEnd::CUT;
      }
    } else {
      empty = 0;
      clock.took(n);
      for (int i = 0; i < n; ++i) {
        const ListingReader::Step step = reader.take(chunk[static_cast<size_t>(i)]);
        if (step == ListingReader::MORE) continue;
        reply = reader.reply();
        return step == ListingReader::AT_PROMPT ? ListingEnd::PROMPT : ListingEnd::TOO_LONG;
      }
    }
    if (clock.time_is_up()) {
      reply = reader.reply();
      return ListingEnd::SLOW;
    }
  }
}

}  // namespace

ListingLineMatch match_listing_line(std::string_view board_line, int number, const LineWords& words) {
  std::array<char, LINK_BUFFER_SIZE> local{};
  std::array<char, LINK_BUFFER_SIZE> board{};
  int board_length = 0;
  // A board line without a number can equal no program line.
  if (!format_listing_line(board_line, board, board_length)) return ListingLineMatch::DIFFERS;
  const std::string_view shown(board.data(), static_cast<size_t>(board_length));
  const int local_length = format_program_line(number, words, local);
  if (shown == std::string_view(local.data(), static_cast<size_t>(local_length))) return ListingLineMatch::SAME;
  // The ASCII part stands in only for the comment text: the statement must be the same.
  std::string joined(words.first);
  if (!words.second.empty()) joined.append(" ").append(words.second);
  const std::string ascii = ascii_part(joined);
  if (ascii == joined || !statement_is_ascii(joined)) return ListingLineMatch::DIFFERS;
  const int ascii_length = format_program_line(number, split_line_words(ascii), local);
  return ascii_length > 0 && shown == std::string_view(local.data(), static_cast<size_t>(ascii_length))
             ? ListingLineMatch::ASCII_COMMENT
             : ListingLineMatch::DIFFERS;
}

int verify_program_on_target(ConstTextSpan text, int& line, int* ascii_comment_lines) {
  line = 0;
  if (ascii_comment_lines) *ascii_comment_lines = 0;
  if (text.empty()) return VERIFY_NO_TEXT;
  std::string reply;
  // A listing that never reached its prompt: the wait gave up.
  const ListingEnd end = collect_listing(reply);
  if (end == ListingEnd::SILENT || end == ListingEnd::CUT || end == ListingEnd::SLOW) return VERIFY_LINK_FAILED;

  std::string_view rest(reply);
  const size_t first_lf = rest.find('\n');
  if (first_lf == std::string_view::npos) return VERIFY_UNREADABLE;
  rest.remove_prefix(first_lf + 1);

  int ascii_lines = 0;
  for (size_t i = 0; i < text.size(); ++i) {
    const LineWords words = split_line_words(statement_of(text[i]));
    if (words.first == END_LINE_WORD) break;
    // A listing that stopped short runs out here: "正しく読み取れません".
    const size_t lf = rest.find('\n');
    if (lf == std::string_view::npos) return VERIFY_UNREADABLE;
    const std::string_view board_line = rest.substr(0, lf);
    rest.remove_prefix(lf + 1);
    const ListingLineMatch match = match_listing_line(board_line, static_cast<int>(i) + 1, words);
    if (match == ListingLineMatch::DIFFERS) {
      line = static_cast<int>(i) + 1;
      return VERIFY_DIFFERS;
    }
    if (match == ListingLineMatch::ASCII_COMMENT) ++ascii_lines;
  }
  if (ascii_comment_lines) *ascii_comment_lines = ascii_lines;
  return VERIFY_OK;
}

int read_program_from_target(std::string& listing) {
  listing.clear();
  std::string reply;
  const ListingEnd end = collect_listing(reply);
  // A listing that did not come in time is no listing of this board's program: the link failed.
  if (end == ListingEnd::SILENT || end == ListingEnd::SLOW) return -1;
  listing = listing_of_reply(reply);
  if (end == ListingEnd::TOO_LONG) return LISTING_TOO_LONG;
  return end == ListingEnd::CUT ? LISTING_CUT : 0;
}

namespace {

// Calls `each` with every listing line that paste_listing_into_text stores (a line with a
// number), up to and with the first "END" line; stops early when `each` returns false.
template <typename Each>
void for_each_listed_line(std::string_view listing, Each each) {
  size_t pos = 0;
  while (pos < listing.size()) {
    const size_t lf = listing.find('\n', pos);
    std::string_view line = lf == std::string_view::npos ? listing.substr(pos) : listing.substr(pos, lf - pos);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    int number = 0;
    LineWords words;
    if (parse_listing_line(line, number, words)) {
      if (!each(words)) return;
      if (words.first == "END") return;
    }
    if (lf == std::string_view::npos) return;
    pos = lf + 1;
  }
}

}  // namespace

int listing_program_lines(std::string_view listing) {
  int lines = 0;
  for_each_listed_line(listing, [&](const LineWords&) {
    ++lines;
    return true;
  });
  return lines;
}

int paste_listing_into_text(std::string_view listing, TextSpan text) {
  count_mnemonic_text_write();
  if (text.empty()) return -1;
  const size_t capacity = text.size() - 1;  // the last line is kept for the end line
  size_t i = 0;
  for_each_listed_line(listing, [&](const LineWords& words) {
    if (i >= capacity) return false;
    std::array<char, STATEMENT_SIZE * 2> statement{};
    size_t n = 0;
    auto append = [&](std::string_view s) {
      const size_t k = std::min(s.size(), statement.size() - n);
      std::memcpy(statement.data() + n, s.data(), k);
      n += k;
    };
    append(words.first);
    if (!words.second.empty()) {
      append(" ");
      append(words.second);
    }
    store_statement(text[i++], {statement.data(), n});
    return true;
  });
  std::memset(&text[i], 0, sizeof text[i]);
  std::memcpy(text[i].statement, END_LINE_TEXT, sizeof END_LINE_TEXT);
  return static_cast<int>(i);
}

void format_bit_query(uint32_t operand, std::span<char, 8> out) {
  const uint32_t number = operand & 0xFF;
  const char* letter = device_letter(static_cast<DeviceIndex>(operand >> 28));
  out[0] = letter[0];
  out[1] = static_cast<char>('0' + number / 10 % 10);
  out[2] = static_cast<char>('0' + number % 10);
  out[3] = '?';
  out[4] = 0;
}

void format_word_query(uint32_t operand, std::span<char, 8> out) {
  out[0] = 'D';
  out[1] = '0';
  out[2] = static_cast<char>('0' + (operand & 15));
  out[3] = '?';
  out[4] = 0;
}

int parse_bit_reply(std::span<const uint8_t> reply) {
  const uint8_t* begin = reply.data();
  const uint8_t* end = begin + reply.size();
  const uint8_t* lf = std::find(begin, end, '\n');
  if (lf == end) return -1;
  const uint8_t* cr = std::find(lf + 1, end, '\r');
  if (cr == end || cr == lf + 1) return -1;
  const uint8_t state = cr[-1];
  // Only a digit is a state; an error answer such as "?" leaves the device as it was.
  if (state == '0') return 0;
  if (state == '1') return 1;
  return -1;
}

bool parse_word_reply(std::span<const uint8_t> reply, uint32_t& value) {
  const uint8_t* begin = reply.data();
  const uint8_t* end = begin + reply.size();
  const uint8_t* colon = std::find(begin, end, ':');
  if (colon == end) return false;
  const uint8_t* paren = std::find(colon + 1, end, '(');
  if (paren == end) return false;
  const uint8_t* p = colon + 1;
  while (p < paren && *p == ' ') ++p;
  const uint8_t* q = paren;
  while (q > p && q[-1] == ' ') --q;
  if (p == q || q - p > 8) return false;
  uint32_t v = 0;
  for (; p < q; ++p) {
    const uint8_t c = *p;
    uint32_t digit;
    if (c >= '0' && c <= '9') digit = c - '0';
    else if (c >= 'A' && c <= 'F') digit = c - 'A' + 10;
    else if (c >= 'a' && c <= 'f') digit = c - 'a' + 10;
    else return false;
    v = v << 4 | digit;
  }
  value = v;
  return true;
}

void apply_polled_bit(MonitorPollView& view, GridSpan grid, uint32_t operand, uint32_t cell_position, int state) {
  const uint32_t number = operand & 0xFFFF;
  if (DeviceImageEntry* entry = polled_image_entry(operand)) {
    const int32_t bit = static_cast<int32_t>(1u << (number & 15));
    if (state & 1) entry->word[0] |= bit;
    else entry->word[0] &= ~bit;
  }
  size_t first = 0;
  size_t last = 0;
  visible_range(view, grid, first, last);
  for (size_t r = cell_position & 0xFFFFF; r < last; ++r) {
    if (ends_polled_grid(grid[r])) break;
    for (int c = 0; c < POLLED_COLUMNS; ++c) {
      LadderCell& cell = grid[r].cell[c];
      if ((cell.word[0] & PART_MASK) != PART_PRESENT || cell.word[1] != operand) continue;
      const uint32_t updated = (cell.word[2] & ~1u) | static_cast<uint32_t>(state & 1);
      if (updated == cell.word[2]) continue;
      cell.word[2] = updated;
      if (view.invalidate_cell) view.invalidate_cell(static_cast<int>(r), c);
    }
  }
}

void redraw_word_cells(MonitorPollView& view, GridSpan grid, uint32_t operand) {
  if ((operand >> 28) != static_cast<uint32_t>(Device::D)) return;
  size_t first = 0;
  size_t last = 0;
  visible_range(view, grid, first, last);
  for (size_t r = 0; r < last; ++r) {
    if (ends_polled_grid(grid[r])) break;
    for (int c = 0; c < POLLED_COLUMNS; ++c)
      if (grid[r].cell[c].word[3] == operand && view.invalidate_cell) view.invalidate_cell(static_cast<int>(r), c);
  }
}

namespace {

// The rows a poll queries: the visible rows, up to the first special row or the end mark.
void polled_rows(const MonitorPollView& view, GridSpan grid, size_t& first, size_t& last) {
  visible_range(view, grid, first, last);
  for (size_t r = first; r < last; ++r) {
    const uint32_t w0 = grid[r].cell[0].word[0];
    if ((w0 & SPECIAL_ROW_FLAG) || w0 == END_MARK_CELL) {
      last = r;
      return;
    }
  }
}

// Sends one poll query and awaits its answer up to the prompt; false when the echo
// failed, or when the answer did not end with the prompt (nothing came, it stopped
// short, or it never stopped): a cut answer is no answer.
bool query_board(const char* query, std::array<uint8_t, POLL_REPLY_SIZE>& reply, size_t& length) {
  length = 0;
  if (!send_echoed(query, '\r')) return false;
  return await_reply(reply, length, POLL_EMPTY_READS, true) == ReplyEnd::PROMPT;
}

}  // namespace

int poll_target_bits(MonitorPollView& view, GridSpan grid) {
  QueriedOperands queried;
  size_t first = 0;
  size_t last = 0;
  polled_rows(view, grid, first, last);
  for (size_t r = first; r < last; ++r) {
    for (int c = 0; c < POLLED_COLUMNS; ++c) {
      if (!is_bit_polled_cell(grid[r], c)) continue;
      const uint32_t operand = grid[r].cell[c].word[1];
      if (queried.seen(operand)) continue;
      queried.add(operand);
      if (!is_bit_polled_type(operand >> 28)) continue;
      // The query carries two decimal digits: M123 would be answered for M23.
      if (operand_number(operand) > LAST_POLLED_BIT_NUMBER) {
        mark_bit_not_polled(operand);
        continue;
      }

      char query[8];
      format_bit_query(operand, query);
      std::array<uint8_t, POLL_REPLY_SIZE> reply{};
      size_t length = 0;
      if (!query_board(query, reply, length)) return -1;
      const int state = parse_bit_reply({reply.data(), length});
      if (state >= 0)
        apply_polled_bit(view, grid, operand, static_cast<uint32_t>(c) << 20 | static_cast<uint32_t>(r), state);
    }
  }
  return 0;
}

int poll_target_words(MonitorPollView& view, GridSpan grid) {
  QueriedOperands queried;
  size_t first = 0;
  size_t last = 0;
  polled_rows(view, grid, first, last);
  for (size_t r = first; r < last; ++r) {
    for (int c = 0; c < WORD_POLLED_COLUMNS; ++c) {
      const uint32_t operand = grid[r].cell[c].word[3];
      if (!(operand & VALUE_OPERAND) || (operand >> 28) != static_cast<uint32_t>(Device::D)) continue;
      if (queried.seen(operand)) continue;
      queried.add(operand);
      // The query names D0-D15 only: D20 would be answered for D4.
      const uint32_t number = operand_number(operand);
      if (number > LAST_POLLED_D_NUMBER) {
        mark_word_not_polled(Device::D, number);
        continue;
      }

      char query[8];
      format_word_query(operand, query);
      std::array<uint8_t, POLL_REPLY_SIZE> reply{};
      size_t length = 0;
      if (!query_board(query, reply, length)) {
        notify_link_failed();
        return -1;
      }
      uint32_t value = 0;
      if (!parse_word_reply({reply.data(), length}, value)) continue;
      WordDeviceRecord* record = word_device_record(Device::D, number);
      if (record && record->word[0] != static_cast<int32_t>(value)) {
        record->word[0] = static_cast<int32_t>(value);
        redraw_word_cells(view, grid, operand);
      }
    }
  }
  return 0;
}
