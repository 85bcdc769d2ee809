#include "core/mnemonic_text.h"

#include <algorithm>
#include <cstring>

#include "core/sjis.h"

namespace {

enum class ReadStatus { LINE, END_OF_FILE, ERROR };

// Reads one whole physical line without its line end (a CR before the LF is dropped);
// bytes beyond `limit` are read and dropped. A 0x1A byte ends the file.
ReadStatus read_line(std::FILE* stream, size_t limit, std::string& out) {
  out.clear();
  size_t length = 0;
  for (;;) {
    int c = std::getc(stream);
    if (c == EOF) {
      if (std::ferror(stream)) return ReadStatus::ERROR;
      break;
    }
    if (c == 0x1A) {
      std::ungetc(c, stream);
      break;
    }
    if (c == '\n') {
      if (!out.empty() && out.back() == '\r' && length <= limit) out.pop_back();
      return ReadStatus::LINE;
    }
    if (length++ < limit) out.push_back(static_cast<char>(c));
  }
  if (length == 0) return ReadStatus::END_OF_FILE;
  if (!out.empty() && out.back() == '\r' && length <= limit) out.pop_back();
  return ReadStatus::LINE;
}

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
    int d;
    if (c >= '0' && c <= '9') d = c - '0';
    else if (c >= 'A' && c <= 'F') d = c - 'A' + 10;
    else if (c >= 'a' && c <= 'f') d = c - 'a' + 10;
    else break;
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

void copy_text_to_saved(ConstTextSpan text, TextSpan saved, int* count) {
  size_t limit = std::min(text_limit(text.size()), saved.size());
  size_t i = 0;
  for (; i < limit; ++i) {
    std::memcpy(saved[i].statement, text[i].statement, sizeof saved[i].statement);
    saved[i].statement[sizeof saved[i].statement - 1] = '\0';
    if (is_end_line(text[i])) break;
  }
  if (count) *count = static_cast<int>(i < limit ? i : limit);
}

int text_differs_from_saved(ConstTextSpan text, ConstTextSpan saved) {
  size_t limit = text_limit(text.size());
  for (size_t i = 0; i < limit; ++i) {
    if (i >= saved.size()) return 1;
    if (line_statement(text[i]) != line_statement(saved[i])) return 1;
    if (is_end_line(text[i])) return 0;
  }
  return 0;
}

// ---- The .NIC file -----------------------------------------------------------------------

int read_nic_file(TextSpan text, std::FILE* stream, int* line_count) {
  if (line_count) *line_count = 0;
  size_t limit = text_limit(text.size());
  if (limit == 0) return -1;
  bool header_seen = false;
  int result = 0;
  std::string physical;
  size_t i = 0;
  bool ended = false;
  for (; i + 1 < limit; ++i) {
    ReadStatus status = read_line(stream, 1024, physical);
    if (status == ReadStatus::ERROR) {
      result = -1;
      break;
    }
    if (status == ReadStatus::END_OF_FILE) break;
    MnemonicLine& line = text[i];
    set_line_statement(line, physical);
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
  size_t limit = text_limit(text.size());
  bool ended = false;
  for (size_t i = 0; i < limit && !ended; ++i) {
    std::string_view body = statement_body(text[i]);
    body = body.substr(0, std::min(body.size(), static_cast<size_t>(MAX_MEASURED_LINE)));
    if (!body.empty() && std::fwrite(body.data(), 1, body.size(), stream) != body.size()) return -1;
    if (std::fwrite("\r\n", 1, 2, stream) != 2) return -1;
    ended = is_end_line(text[i]);
  }
  if (!ended) {
    static constexpr std::string_view end_line = "0FFFF0 0FFFF0\r\n";
    if (std::fwrite(end_line.data(), 1, end_line.size(), stream) != end_line.size()) return -1;
  }
  if (std::fflush(stream) != 0 || std::ferror(stream)) return -1;
  return 0;
}
