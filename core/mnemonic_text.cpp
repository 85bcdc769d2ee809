#include "core/mnemonic_text.h"

#include <algorithm>
#include <cstring>

#include "core/sjis.h"
#include "core/text_file.h"

uint64_t g_mnemonic_text_writes = 0;

namespace {

constexpr size_t NIC_LINE_LIMIT = 1023;  // bytes of a file line looked at; the field keeps fewer

// ---- Words ---------------------------------------------------------------------------
constexpr bool is_blank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\v' || c == '\f'; }

// The statement before its line feed.
std::string_view statement_body(const MnemonicLine& line) {
  std::string_view s = line_statement(line);
  size_t lf = s.find('\n');
  return lf == std::string_view::npos ? s : s.substr(0, lf);
}

int split_words(std::string_view s, std::span<std::string_view> words) {
  int n = 0;
  size_t i = 0;
  while (static_cast<size_t>(n) < words.size()) {
    while (i < s.size() && is_blank(s[i])) ++i;
    if (i >= s.size()) break;
    size_t start = i;
    while (i < s.size() && !is_blank(s[i])) ++i;
    words[static_cast<size_t>(n++)] = s.substr(start, i - start);
  }
  return n;
}

// Leading hexadecimal digits of a word, either case; the value keeps the low 32 bits.
uint32_t hex_value(std::string_view s) {
  uint32_t v = 0;
  for (char c : s) {
    int d = hex_digit_value(c);
    if (d < 0) break;
    v = v << 4 | static_cast<uint32_t>(d);
  }
  return v;
}

void clear_header_fields(CpuSettings& s) {
  s.option_a = s.option_b = s.option_c = s.option_d = 0;
  s.clock_high = s.clock_low = 0;
  s.port_value = 0;
}

// "\ CPU name CODE option Cclock Pport": the words are read from the third character.
void decode_header_line(const MnemonicLine& line, CpuSettings& s) {
  std::string_view body = statement_body(line);
  std::string_view words[6];
  int n = split_words(body.size() > 2 ? body.substr(2) : std::string_view(), words);
  if (n < 3 || words[0] != "CPU" || words[2] != "CODE") {
    clear_header_fields(s);
    return;
  }
  copy_text_bounded(s.cpu_name, words[1]);
  uint32_t option = n > 3 ? hex_value(words[3]) : 0;
  s.option_a = static_cast<int32_t>((option >> 1) & 1);
  s.option_b = static_cast<int32_t>((option >> 2) & 1);
  s.option_c = static_cast<int32_t>((option >> 3) & 1);
  s.option_d = static_cast<int32_t>((option >> 4) & 0xF);
  uint32_t clock = n > 4 && words[4].size() > 1 ? hex_value(words[4].substr(1)) : 0;
  s.clock_high = static_cast<int32_t>(clock >> 8);
  s.clock_low = static_cast<int32_t>(clock & 0xFF);
  s.port_value = static_cast<int32_t>(n > 5 && words[5].size() > 1 ? hex_value(words[5].substr(1)) : 0);
}

// The first blank-separated word of a file line (before its line feed).
std::string_view first_word_of(std::string_view s) {
  size_t lf = s.find('\n');
  if (lf != std::string_view::npos) s = s.substr(0, lf);
  std::string_view word;
  split_words(s, std::span<std::string_view>(&word, 1));
  return word;
}

size_t text_limit(size_t size) { return std::min(size, static_cast<size_t>(MAX_TEXT_LINES)); }

}  // namespace

// ---- One line ------------------------------------------------------------------------

std::string_view line_statement(const MnemonicLine& line) {
  return std::string_view(line.statement, strnlen(line.statement, sizeof line.statement));
}

int line_length(const MnemonicLine& line) {
  return static_cast<int>(std::min(statement_body(line).size(), static_cast<size_t>(MAX_MEASURED_LINE)));
}

int split_line_words(const MnemonicLine& line, std::span<std::string_view> words) {
  return split_words(statement_body(line), words);
}

std::string_view line_first_word(const MnemonicLine& line) {
  std::string_view word;
  split_words(statement_body(line), std::span<std::string_view>(&word, 1));
  return word;
}

bool line_first_word_is(const MnemonicLine& line, std::string_view word) {
  return !word.empty() && line_first_word(line) == word;
}

void set_line_statement(MnemonicLine& line, std::string_view text) {
  size_t lf = text.find('\n');
  if (lf != std::string_view::npos) text = text.substr(0, lf);
  size_t nul = text.find('\0');
  if (nul != std::string_view::npos) text = text.substr(0, nul);
  size_t n = sjis_cut_length(text, MAX_STATEMENT_CHARS);
  std::memcpy(line.statement, text.data(), n);
  line.statement[n] = '\n';
  std::memset(line.statement + n + 1, 0, sizeof line.statement - n - 1);
}

void set_end_line(MnemonicLine& line) { set_line_statement(line, END_LINE_TEXT); }

void set_line_comment(MnemonicLine& line, std::string_view text) {
  size_t nul = text.find('\0');
  if (nul != std::string_view::npos) text = text.substr(0, nul);
  copy_text_bounded(line.comment, text);
}

void split_code_and_comment(const MnemonicLine& line, std::string& comment, std::string& statement) {
  comment.clear();
  statement.clear();
  std::string_view s = line_statement(line);
  size_t semi = s.find(';');  // a trail byte is never 0x3B, so a plain scan is safe
  if (semi == std::string_view::npos) return;
  std::string_view code = s.substr(0, semi);
  while (!code.empty() && (code.back() == ' ' || code.back() == '\t')) code.remove_suffix(1);
  statement.assign(code.substr(0, sjis_cut_length(code, STATEMENT_SIZE - 1)));
  std::string_view rest = s.substr(semi);
  size_t after = 1;
  while (after < rest.size() && (rest[after] == ' ' || rest[after] == '\t')) ++after;
  if (after >= rest.size() || rest[after] == '\n' || rest[after] == '\r') return;
  comment.assign(rest);
}

// ---- The whole text --------------------------------------------------------------------

int count_text_lines(ConstTextSpan text) {
  size_t limit = text_limit(text.size());
  for (size_t i = 0; i < limit; ++i)
    if (is_end_line(text[i])) return static_cast<int>(i);
  return static_cast<int>(limit);
}

int find_end_line(ConstTextSpan text) {
  size_t limit = text_limit(text.size());
  for (size_t i = 0; i < limit; ++i) {
    std::string_view word = line_first_word(text[i]);
    if (word == END_LINE_WORD) return -1;
    if (word == "END" || word == "end") return static_cast<int>(i);
  }
  return -1;
}

void copy_text_to_saved(ConstTextSpan text, SavedSpan saved, int* count) {
  size_t limit = std::min(text_limit(text.size()), saved.size());
  size_t i = 0;
  for (; i < limit; ++i) {
    std::memcpy(saved[i].statement, text[i].statement, sizeof saved[i].statement);
    saved[i].statement[sizeof saved[i].statement - 1] = '\0';
    if (is_end_line(text[i])) break;
  }
  if (count) *count = static_cast<int>(i < limit ? i : limit);
}

int text_differs_from_saved(ConstTextSpan text, ConstSavedSpan saved) {
  size_t limit = text_limit(text.size());
  for (size_t i = 0; i < limit; ++i) {
    if (i >= saved.size()) return 1;
    const std::string_view kept(saved[i].statement, strnlen(saved[i].statement, sizeof saved[i].statement));
    if (line_statement(text[i]) != kept) return 1;
    if (is_end_line(text[i])) return 0;
  }
  return 0;
}

// ---- The .NIC file -----------------------------------------------------------------------

int read_nic_file(TextSpan text, std::FILE* stream, int* line_count, std::vector<int>* cut_lines) {
  count_mnemonic_text_write();
  if (line_count) *line_count = 0;
  if (cut_lines) cut_lines->clear();
  size_t limit = text_limit(text.size());
  if (limit == 0) return -1;
  use_binary_mode(stream);
  bool header_seen = false;
  int result = 0;
  TextLine physical;
  size_t i = 0;
  bool ended = false;
  for (; i + 1 < limit; ++i) {
    LineStatus status = read_text_line(stream, NIC_LINE_LIMIT, physical);
    if (status == LineStatus::ERROR) {
      result = -1;
      break;
    }
    if (status == LineStatus::END_OF_FILE) break;
    MnemonicLine& line = text[i];
    set_line_statement(line, physical.text);
    if (cut_lines && (physical.too_long || physical.text.size() > static_cast<size_t>(MAX_STATEMENT_CHARS)))
      cut_lines->push_back(static_cast<int>(i) + 1);
    line.comment[0] = '\0';
    line.flags = 0;
    line.selected = 0;
    if (line.statement[0] == '\\') {
      decode_header_line(line, g_loaded_cpu_settings);
      header_seen = true;
    }
    if (is_end_line(line)) {
      ended = true;
      break;
    }
  }
  if (!ended && result == 0 && i + 1 >= limit) {
    // The text is full. Whatever follows up to the end line (or the end of the file) must
    // be blank, or the program does not fit.
    for (;;) {
      LineStatus status = read_text_line(stream, NIC_LINE_LIMIT, physical);
      if (status == LineStatus::ERROR) {
        result = NIC_READ_ERROR;
        break;
      }
      if (status == LineStatus::END_OF_FILE) break;
      std::string_view word = first_word_of(physical.text);
      if (word == END_LINE_WORD) break;
      if (!word.empty()) {
        result = NIC_READ_TOO_LONG;
        break;
      }
    }
  }
  if (!ended) {
    MnemonicLine& end = text[i];
    set_end_line(end);
    end.comment[0] = '\0';
    end.flags = 0;
    end.selected = 0;
  }
  if (!header_seen) clear_header_fields(g_loaded_cpu_settings);
  if (line_count) *line_count = static_cast<int>(i);
  return result;
}

int write_nic_text(ConstTextSpan text, std::FILE* stream, int /*flag*/) {
  use_binary_mode(stream);
  size_t limit = text_limit(text.size());
  bool ended = false;
  for (size_t i = 0; i < limit && !ended; ++i) {
    std::string_view body = statement_body(text[i]);
    body = body.substr(0, std::min(body.size(), static_cast<size_t>(MAX_MEASURED_LINE)));
    if (!write_text(stream, body) || !write_text(stream, TEXT_LINE_END)) return -1;
    ended = is_end_line(text[i]);
  }
  if (!ended && (!write_text(stream, END_LINE_TEXT) || !write_text(stream, TEXT_LINE_END))) return -1;
  return finish_writing(stream) ? 0 : -1;
}
