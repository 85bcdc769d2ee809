// Board replies are input: this target plays a board whose answers come from the fuzzer.
// The port echoes the bytes the host sends (so the echo checks pass and the answers are
// reached): every byte from 0x20 but DEL, or, for an input whose last byte is below 0x80,
// only the printable ASCII, as a 7-bit board does. Each CR or stop byte takes the next
// answer from the input, as a two-byte length and that many bytes. The port has a clock:
// an echo is there at once, the bytes of an answer come one every so often (the input's
// last byte but one: up to 1.3 ms for a real board, up to half a second for one that sends
// a byte now and then), and a read waits as a COM port's does (n + 500 ms for n bytes).
// Every sequence of the monitor protocol then runs over it: program write, verify,
// read-back and paste, run, stop and both polls, and each of their waits must end within
// its time on that clock (wait_bound_ms, with the read that went past it). The raw input
// also goes straight to the reply parsers, which must hold:
// - a listing read byte by byte stops at a prompt at a line start or at a bound, never
//   holds more lines or a longer line than a program can have, and a read that reached
//   the prompt gives the listing that ends just before it; a reply that does not end at a
//   prompt at a line start keeps every byte after its echo line;
// - a line's echo is whole only when it is the line or exactly its printable ASCII, never
//   while it is the ASCII and the board may still send the rest of the every-byte echo,
//   and never the ASCII of a line whose statement holds a byte above 0x7E; any echo that
//   differs in an ASCII byte from both is refused;
// - a board listing line matches a local line by its ASCII part only when the statement
//   is the same and ASCII, and the board line holds no byte above 0x7E;
// - a write to the 7-bit board never succeeds with a statement that holds a byte above
//   0x7E, and no write or verify counts more comment lines by their ASCII part than the
//   program has comments with such bytes.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <string>
#include <memory>
#include <string_view>

#include "core/device_tables.h"
#include "core/ladder_model.h"
#include "target/device_images.h"
#include "target/monitor_protocol.h"
#include "target/serial_port.h"

namespace {

void require(bool held) {
  if (!held) std::abort();
}

// Every wait but the program write's last allows at most REPLY_EMPTY_READS empty reads.
static_assert(REPLY_EMPTY_READS >= LINE_EMPTY_READS && REPLY_EMPTY_READS >= POLL_EMPTY_READS &&
              FINAL_EMPTY_READS >= REPLY_EMPTY_READS);

class FuzzedBoardPort final : public BytePort {
 public:
  FuzzedBoardPort(const uint8_t* data, size_t size, bool every_byte, int64_t byte_us)
      : data_(data), size_(size), every_byte_(every_byte), byte_us_(byte_us) {}

  // The most empty reads a wait of the sequence that runs now may allow.
  int allowed_empty_reads = REPLY_EMPTY_READS;

  // The waits since the last byte the host wrote are one wait (and reads of what had
  // already come): they ended within its time.
  void check_wait() {
    const uint64_t elapsed_ms = static_cast<uint64_t>(now_us_ - wait_start_us_) / 1000;
    require(elapsed_ms <= wait_bound_ms(allowed_empty_reads, MAX_LISTING_LINE, wait_bytes_) + LONGEST_READ_MS + 1);
    wait_start_us_ = now_us_;
    wait_bytes_ = 0;
  }

  bool get_line_settings(LineSettings&) override { return true; }
  bool set_line_settings(const LineSettings&) override { return true; }
  bool set_timeouts(const PortTimeouts&) override { return true; }
  bool set_queue_sizes(uint32_t, uint32_t) override { return true; }
  bool clear_dtr() override { return true; }
  bool purge() override {
    pending_.clear();
    return true;
  }
  bool query_modem_status(uint32_t& status) override {
    status = ModemStatus::CTS_ON | ModemStatus::DSR_ON;
    return true;
  }
  // A read of n bytes ends when the n-th has come, or after n + 500 ms with what came.
  int read(uint8_t* buffer, int count) override {
    const int64_t deadline = now_us_ + (static_cast<int64_t>(count) + 500) * 1000;
    int n = 0;
    int64_t last = now_us_;
    while (n < count && !pending_.empty() && pending_.front().first <= deadline) {
      last = std::max(last, pending_.front().first);
      buffer[n++] = pending_.front().second;
      pending_.pop_front();
    }
    now_us_ = n == count ? last : deadline;
    wait_bytes_ += static_cast<size_t>(n);
    return n;
  }
  int write(const uint8_t* buffer, int count) override {
    check_wait();
    for (int i = 0; i < count; ++i) {
      const uint8_t b = buffer[i];
      if (b >= 0x20 && b != 0x7F && (every_byte_ || b <= 0x7E)) pending_.emplace_back(now_us_, b);
      if (b == '\r' || b == 0x03) next_answer();
    }
    return count;
  }
  int bytes_waiting() override {
    int n = 0;
    for (const auto& [at, byte] : pending_) {
      if (at > now_us_) break;
      ++n;
    }
    return n;
  }
  uint32_t last_error() const override { return 0; }
  uint64_t now_ms() override { return static_cast<uint64_t>(now_us_) / 1000; }

 private:
  void next_answer() {
    if (pos_ + 2 > size_) {
      pos_ = size_;
      return;
    }
    size_t length = static_cast<size_t>(data_[pos_]) | static_cast<size_t>(data_[pos_ + 1]) << 8;
    pos_ += 2;
    if (length > size_ - pos_) length = size_ - pos_;
    int64_t at = std::max(now_us_, pending_.empty() ? now_us_ : pending_.back().first);
    for (size_t i = 0; i < length; ++i) pending_.emplace_back(at += byte_us_, data_[pos_ + i]);
    pos_ += length;
  }

  static constexpr uint64_t LONGEST_READ_MS = MAX_LINK_READ + 500;
  const uint8_t* data_;
  size_t size_;
  bool every_byte_;
  int64_t byte_us_;
  size_t pos_ = 0;
  std::deque<std::pair<int64_t, uint8_t>> pending_;  // the bytes the board sends, with the time each comes
  int64_t now_us_ = 0;
  int64_t wait_start_us_ = 0;
  size_t wait_bytes_ = 0;
};

void put(MnemonicLine& line, const char* text) { std::strncpy(line.statement, text, sizeof line.statement - 1); }

void check_listing_reader(std::string_view bytes) {
  ListingReader reader;
  ListingReader::Step step = ListingReader::MORE;
  size_t taken = 0;
  for (; taken < bytes.size() && step == ListingReader::MORE; ++taken) step = reader.take(static_cast<uint8_t>(bytes[taken]));
  const std::string& reply = reader.reply();
  require(reply.size() <= taken);
  require(bytes.substr(0, reply.size()) == reply);
  // Bounded: lines and line lengths.
  int lines = 0;
  size_t line = 0;
  for (char c : reply) {
    if (c == '\n') {
      ++lines;
      line = 0;
    } else {
      ++line;
    }
    require(line <= static_cast<size_t>(MAX_LISTING_LINE));
  }
  require(lines <= MAX_LISTING_LINES + 1);
  if (step == ListingReader::AT_PROMPT) {
    // The prompt is the last byte, at the start of a line, and the only such '>'.
    require(!reply.empty() && reply.back() == '>');
    require(reply.size() == 1 || reply[reply.size() - 2] == '\n');
    for (size_t i = 0; i + 1 < reply.size(); ++i) require(!(reply[i] == '>' && (i == 0 || reply[i - 1] == '\n')));
    const std::string_view listing = listing_of_reply(reply);
    require(listing.size() < reply.size());
  } else if (step == ListingReader::MORE) {
    require(taken == bytes.size() && reply.size() == bytes.size());
  }
  // Takes nothing more once it stopped.
  if (step != ListingReader::MORE) require(reader.take('x') == step && reader.reply() == reply);
}

bool has_high_byte(std::string_view s) {
  return std::any_of(s.begin(), s.end(), [](char c) { return static_cast<uint8_t>(c) > 0x7E; });
}

void check_line_echo(std::string_view sent, std::string_view echo) {
  const std::string ascii = ascii_part(sent);
  const bool prefix_of_line = sent.substr(0, echo.size()) == echo;
  const bool prefix_of_ascii = std::string_view(ascii).substr(0, echo.size()) == echo;
  const bool ascii_is_start_of_line = sent.substr(0, ascii.size()) == ascii;
  for (EchoForm form : {EchoForm::UNKNOWN, EchoForm::EVERY_BYTE, EchoForm::PRINTABLE_ASCII}) {
    for (bool silent : {false, true}) {
      const EchoMatch match = match_line_echo(sent, echo, form, silent);
      const bool ascii_form = echo == ascii && ascii != sent;
      if (match == EchoMatch::COMPLETE) {
        // To the last byte: the whole line, or exactly its ASCII, which stands only for a
        // statement that is ASCII and is taken only once no more of the line can come.
        require(echo == sent || ascii_form);
        if (echo != sent) {
          require(form != EchoForm::EVERY_BYTE && statement_is_ascii(sent));
          require(form == EchoForm::PRINTABLE_ASCII || silent || !ascii_is_start_of_line);
        } else {
          require(form != EchoForm::PRINTABLE_ASCII || ascii == sent);
        }
      }
      if (match == EchoMatch::NOT_ASCII_STATEMENT) require(ascii_form && !statement_is_ascii(sent));
      if (match == EchoMatch::PARTIAL) require(echo.size() < sent.size() && (prefix_of_line || prefix_of_ascii));
      if (!prefix_of_line && !prefix_of_ascii) require(match == EchoMatch::DIFFERS);
      // Every byte from a board known to echo every byte: whole only when it is the line.
      if (form == EchoForm::EVERY_BYTE) require((match == EchoMatch::COMPLETE) == (echo == sent));
      if (echo == sent && form != EchoForm::PRINTABLE_ASCII) require(match == EchoMatch::COMPLETE);
      if (ascii_form && statement_is_ascii(sent) && form == EchoForm::PRINTABLE_ASCII) require(match == EchoMatch::COMPLETE);
    }
  }
}

void check_listing_line(std::string_view board_line, std::string_view local) {
  const LineWords words = split_line_words(local);
  const ListingLineMatch match = match_listing_line(board_line, 7, words);
  std::string joined(words.first);
  if (!words.second.empty()) joined.append(" ").append(words.second);
  if (match == ListingLineMatch::ASCII_COMMENT) {
    require(statement_is_ascii(joined) && has_high_byte(joined));
    // The board line's two words after its number, as the listing reader takes them.
    std::string_view shown = board_line.substr(0, board_line.find('\r'));
    size_t i = 0;
    while (i < shown.size() && std::strchr(" \t\n\v\f", shown[i]) && shown[i] != 0) ++i;
    while (i < shown.size() && shown[i] >= '0' && shown[i] <= '9') ++i;
    const LineWords board_words = split_line_words(shown.substr(i));
    require(!has_high_byte(board_words.first) && !has_high_byte(board_words.second));
  }
  if (!has_high_byte(joined)) require(match != ListingLineMatch::ASCII_COMMENT);
}

void check_reply(std::string_view reply) {
  const std::string_view listing = listing_of_reply(reply);
  // Only a '>' at the start of a line is the prompt: it goes with the line end before it,
  // and nothing else of the reply after its echo line does.
  const bool at_prompt = !reply.empty() && reply.back() == '>' && (reply.size() == 1 || reply[reply.size() - 2] == '\n');
  require(reply_ends_at_prompt(reply) == at_prompt);
  const std::string_view body = at_prompt ? reply.substr(0, reply.size() < 2 ? 0 : reply.size() - 2) : reply;
  const size_t first_lf = body.find('\n');
  require(listing == (first_lf == std::string_view::npos ? std::string_view() : body.substr(first_lf + 1)));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  // The parsers on the raw bytes.
  const std::span<const uint8_t> raw(data, size);
  parse_bit_reply(raw);
  uint32_t value = 0;
  parse_word_reply(raw, value);
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  char line[LINK_BUFFER_SIZE];
  int length = 0;
  format_listing_line(text, line, length);
  static MnemonicText pasted = make_mnemonic_text(8);
  const int stored = paste_listing_into_text(text, pasted);
  require(stored >= 0 && stored <= 7 && stored <= listing_program_lines(text));
  check_listing_reader(text);
  // The input split into a line and its echo.
  const size_t half = size / 2;
  check_line_echo(text.substr(0, std::min<size_t>(half, LINK_BUFFER_SIZE)), text.substr(half, std::min<size_t>(size - half, half)));
  check_line_echo(text.substr(0, std::min<size_t>(size, LINK_BUFFER_SIZE)), ascii_part(text.substr(0, std::min<size_t>(size, LINK_BUFFER_SIZE))));
  check_listing_line(text.substr(0, std::min<size_t>(half, LINK_BUFFER_SIZE)), text.substr(half, std::min<size_t>(size - half, LINK_BUFFER_SIZE)));
  check_reply(text);

  // The sequences over a board that answers with the input.
  reset_serial_state();
  const bool every_byte = size > 0 && data[size - 1] >= 0x80;
  const uint8_t pace = size > 1 ? data[size - 2] : 0;
  const int64_t byte_us = pace < 0x80 ? pace * 10 : (pace - 0x80) * 4000;
  FuzzedBoardPort* port = nullptr;
  set_port_opener([&port, data, size, every_byte, byte_us](const char*, uint32_t&) -> std::unique_ptr<BytePort> {
    auto opened = std::make_unique<FuzzedBoardPort>(data, size, every_byte, byte_us);
    port = opened.get();
    return opened;
  });
  g_com_number = 3;
  g_current_port = 3;
  open_port(3, LINK_BAUD_RATE, NO_PARITY);
  require(port != nullptr);

  // Two comments with bytes above 0x7E (one ends in them), then, last before END, a
  // statement with them, which a 7-bit board cannot hold.
  static MnemonicText program = make_mnemonic_text(8);
  put(program[0], "LD      X00\n");
  put(program[1], "OUT     Y01 ;lamp\n");
  put(program[2], "; \x83\x7c\x83\x93\x83\x76\n");
  put(program[3], "; \x82\xA0\n");
  put(program[4], "\x82\xA0\x82\xA2 X00\n");
  put(program[5], "END\n");
  put(program[6], "0FFFF0 0FFFF0\n");
  char end_answer[8];
  int ascii_lines = -1;
  port->allowed_empty_reads = FINAL_EMPTY_READS;  // the wait for the prompt after the line count
  const int written = write_program_to_target(program, end_answer, &ascii_lines);
  port->check_wait();
  port->allowed_empty_reads = REPLY_EMPTY_READS;
  if (!every_byte) require(written != 0);
  require(ascii_lines >= 0 && ascii_lines <= 2);
  int differing = 0;
  ascii_lines = -1;
  if (verify_program_on_target(program, differing, &ascii_lines) == VERIFY_OK) require(ascii_lines >= 0 && ascii_lines <= 2);
  std::string listing;
  if (read_program_from_target(listing) == 0) paste_listing_into_text(listing, pasted);
  if (send_echoed_command("R")) {
    char reply[REPLY_TEXT_SIZE];
    size_t reply_length = 0;
    read_until_prompt(reply, reply_length);
  }
  char stop_answer[64];
  stop_target_program(stop_answer);

  static LadderGrid grid = make_ladder_grid(8);
  grid[0].cell[0].word[0] = 0x18;
  grid[0].cell[0].word[1] = make_device_operand(Device::X, 0x1A);
  grid[0].cell[1].word[0] = 0x18;
  grid[0].cell[1].word[1] = make_device_operand(Device::M, 300);
  grid[1].cell[11].word[0] = 0x4078;
  grid[1].cell[11].word[1] = make_device_operand(Device::Y, 0xFFF);
  grid[1].cell[10].word[3] = make_device_operand(Device::D, 16) | 0x800000;
  grid[2].cell[4].word[3] = make_device_operand(Device::D, 0x7FFF) | 0x800000;
  MonitorPollView view;
  view.visible_rows = 3;
  poll_target_bits(view, grid);
  poll_target_words(view, grid);
  port->check_wait();

  reset_serial_state();
  set_port_opener({});
  return 0;
}
