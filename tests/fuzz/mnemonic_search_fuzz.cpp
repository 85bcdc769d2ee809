// Searches and replaces typed words in arbitrary mnemonic text: the input is cut into a
// search word, a new word and lines; each mode is searched from a caret the input picks,
// and a replace runs with answers the input gives. Checks that a match is a whole word
// outside the comment, that every statement stays in its field with one line feed, and
// that the end line stays where it was.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "core/mnemonic_text.h"
#include "core/notice.h"
#include "core/sjis.h"
#include "mnemonic/mnemonic_search.h"

namespace {

constexpr int TEXT_LINES = 20;

void check_text(ConstTextSpan text, int end) {
  if (count_text_lines(text) != end) std::abort();
  for (int i = 0; i <= end; ++i) {
    const MnemonicLine& line = text[static_cast<size_t>(i)];
    const size_t len = strnlen(line.statement, sizeof line.statement);
    if (len == 0 || len >= sizeof line.statement || line.statement[len - 1] != '\n') std::abort();
    if (std::memchr(line.statement, '\n', len) != line.statement + len - 1) std::abort();
  }
}

bool word_char(char c) { return c >= 0x21 && c <= 0x7E && c != ';'; }

void check_match(ConstTextSpan text, const MnemonicView& view, std::string_view word) {
  if (view.sel_row < 0 || view.sel_row >= count_text_lines(text)) std::abort();
  const char* s = text[static_cast<size_t>(view.sel_row)].statement;
  const int col = view.sel_col;
  if (col < 0 || col + view.sel_width > STATEMENT_SIZE - 1) std::abort();
  if (view.sel_width != static_cast<int>(word.size())) std::abort();
  // The match starts on a character boundary after a character that ends words.
  bool after_word = false;
  int i = 0;
  while (i < col) {
    if (s[i] == ';' || s[i] == '\n') std::abort();
    const bool lead = is_sjis_lead_byte(s[i]) && s[i + 1] != '\n';
    after_word = !lead && word_char(s[i]);
    i += lead ? 2 : 1;
  }
  if (i != col || after_word) std::abort();
  if (word_char(s[col + view.sel_width])) std::abort();
  for (int i = 0; i < view.sel_width; ++i) {
    char a = s[col + i], b = word[static_cast<size_t>(i)];
    if (a >= 'a' && a <= 'z') a = static_cast<char>(a - 32);
    if (b >= 'a' && b <= 'z') b = static_cast<char>(b - 32);
    if (a != b) std::abort();
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view input(reinterpret_cast<const char*>(data), size);
  std::vector<std::string_view> parts;
  size_t start = 0;
  for (size_t i = 0; i <= input.size(); ++i)
    if (i == input.size() || input[i] == '\n') {
      parts.push_back(input.substr(start, i - start));
      start = i + 1;
    }
  if (parts.size() < 3) return 0;
  const std::string_view word = parts[0].substr(0, 99);
  const std::string_view new_word = parts[1].substr(0, 99);
  const std::string_view controls = parts[2];

  MnemonicText text = make_mnemonic_text(TEXT_LINES);
  int end = 0;
  for (size_t k = 3; k < parts.size() && end < TEXT_LINES - 1; ++k) {
    MnemonicLine& line = text[static_cast<size_t>(end++)];
    set_line_statement(line, parts[k]);
    if (is_end_line(line)) set_line_statement(line, "NOP");  // the text's one end line comes last
  }
  set_end_line(text[static_cast<size_t>(end)]);
  check_text(text, end);

  size_t c = 0;
  auto next = [&]() -> int { return c < controls.size() ? static_cast<unsigned char>(controls[c++]) : 0; };
  set_notice_handler([&](void*, const char*, const char*, unsigned style) {
    const int pick = next() % 3;
    if (style == NoticeStyle::YES_NO_CANCEL) return pick == 0 ? NoticeAnswer::YES : pick == 1 ? NoticeAnswer::NO : NoticeAnswer::CANCEL;
    if (style == NoticeStyle::YES_NO) return pick == 0 ? NoticeAnswer::YES : NoticeAnswer::NO;
    return NoticeAnswer::OK;
  });

  MnemonicView view{};
  view.sel_row = -1;
  view.visible_rows = 4;
  for (int step = 0; step < 8; ++step) {
    view.cursor_row = next() % (end + 1);
    view.cursor_col = next() % STATEMENT_SIZE - 2;
    const int mode = next() % 5;
    MnemonicEffects effects;
    if (search_in_text(text, view, word, mode, {}, effects) == WORD_FOUND) check_match(text, view, word);
    std::string taken;
    word_at_caret(text, view, taken);
    if (taken.size() > STATEMENT_SIZE) std::abort();
    std::string previous;
    previous_word_in_line(text, view, view.cursor_row, next() % 140, previous);
    next_word_in_line(text, view, view.cursor_row, next() % 140, previous);
  }
  // A replace ends whatever the answers (a Yes to every question stops at the restart).
  view.cursor_row = 0;
  view.cursor_col = 0;
  int questions = 0;
  replace_in_text(text, view, word, new_word, next() % 3, {}, [&](const MnemonicEffects&) {
    if (++questions > 4 * STATEMENT_SIZE * TEXT_LINES) std::abort();
  });
  check_text(text, end);
  set_notice_handler({});
  return 0;
}
