#include "mnemonic/mnemonic_search.h"

#include <algorithm>
#include <array>
#include <cstring>

#include "core/mnemonic_text.h"
#include "core/notice.h"
#include "core/sjis.h"

namespace {

struct WordSpan {
  int start = 0;
  int length = 0;
};

// The words of one line's statement, left to right. A statement field of 128 bytes holds
// at most 64 words.
struct LineWords {
  std::array<WordSpan, STATEMENT_SIZE / 2 + 1> words{};
  int count = 0;
  int length = 0;    // characters before the line feed (or the NUL)
  int comment = -1;  // column of the first ';' outside a double-byte character; -1 none
};

bool is_word_char(unsigned char c) { return c >= 0x21 && c <= 0x7E && c != ';'; }

int measured_length(const MnemonicLine& line) {
  const int limit = std::min<int>(STATEMENT_SIZE, MAX_SCANNED_LINE);
  int n = 0;
  while (n < limit && line.statement[n] != '\n' && line.statement[n] != '\0') ++n;
  return n;
}

void scan_line(const MnemonicLine& line, LineWords& out) {
  out.count = 0;
  out.comment = -1;
  out.length = measured_length(line);
  const char* s = line.statement;
  int i = 0;
  while (i < out.length) {
    const unsigned char c = static_cast<unsigned char>(s[i]);
    if (c == ';') {
      out.comment = i;
      return;
    }
    if (is_sjis_lead_byte(c)) {
      i += i + 1 < out.length ? 2 : 1;
      continue;
    }
    if (!is_word_char(c)) {
      ++i;
      continue;
    }
    const int start = i;
    while (i < out.length && is_word_char(static_cast<unsigned char>(s[i]))) ++i;
    if (out.count < static_cast<int>(out.words.size())) out.words[static_cast<size_t>(out.count++)] = {start, i - start};
  }
}

bool same_word(const char* at, int length, std::string_view word) {
  if (static_cast<size_t>(length) != word.size()) return false;
  for (int i = 0; i < length; ++i) {
    unsigned char a = static_cast<unsigned char>(at[i]);
    unsigned char b = static_cast<unsigned char>(word[static_cast<size_t>(i)]);
    if (a >= 'a' && a <= 'z') a = static_cast<unsigned char>(a - 32);
    if (b >= 'a' && b <= 'z') b = static_cast<unsigned char>(b - 32);
    if (a != b) return false;
  }
  return true;
}

// Index of the end line, within the text.
int end_line_of(ConstTextSpan text) { return std::min<int>(count_text_lines(text), static_cast<int>(text.size())); }

void mark_match(MnemonicView& view, int line, const WordSpan& w) {
  view.sel_row = view.cursor_row = line;
  view.sel_col = view.cursor_col = w.start;
  view.sel_width = w.length;
}

// Looks for the word in one line among the words that start in [from, to).
bool match_in_line(ConstTextSpan text, MnemonicView& view, int line, std::string_view word, int from, int to,
                   bool backwards) {
  LineWords words;
  scan_line(text[static_cast<size_t>(line)], words);
  const char* s = text[static_cast<size_t>(line)].statement;
  for (int k = 0; k < words.count; ++k) {
    const WordSpan& w = words.words[static_cast<size_t>(backwards ? words.count - 1 - k : k)];
    if (w.start < from || w.start >= to) continue;
    if (same_word(s + w.start, w.length, word)) {
      mark_match(view, line, w);
      return true;
    }
  }
  return false;
}

// The first column at or after `column` where a word may start without the caret
// standing inside it: a word the column falls inside is passed over.
int first_whole_word_column(const MnemonicLine& line, int column) {
  LineWords words;
  scan_line(line, words);
  for (int k = 0; k < words.count; ++k) {
    const WordSpan& w = words.words[static_cast<size_t>(k)];
    if (w.start < column && column < w.start + w.length) return w.start + w.length;
  }
  return column;
}

constexpr int ALL_COLUMNS = STATEMENT_SIZE + 1;

bool line_outside_view(const MnemonicView& view, int line) {
  return line < view.top_row || line > view.top_row + view.visible_rows;
}

// Effects of a match moved to: scrolled into sight, caret placed, repainted.
MnemonicEffects show_match(MnemonicView& view) {
  MnemonicEffects e;
  if (line_outside_view(view, view.sel_row)) {
    view.top_row = std::max(0, view.sel_row - 5);
    e.scroll_position = true;
  }
  e.place_caret = true;
  e.repaint = true;
  return e;
}

}  // namespace

// ---- Words of a line ---------------------------------------------------------------------------

int next_word_in_line(ConstTextSpan text, MnemonicView& view, int line, int column, std::string& word) {
  word.clear();
  if (line < 0 || static_cast<size_t>(line) >= text.size()) return -1;
  LineWords words;
  scan_line(text[static_cast<size_t>(line)], words);
  if (words.length == 0) return -1;
  column = std::max(column, 0);
  const char* s = text[static_cast<size_t>(line)].statement;
  for (int k = 0; k < words.count; ++k) {
    const WordSpan& w = words.words[static_cast<size_t>(k)];
    const int end = w.start + w.length;
    if (end <= column) continue;
    const int from = std::max(w.start, column);
    view.cursor_col = from;
    word.assign(s + from, static_cast<size_t>(end - from));
    return end;
  }
  if (words.comment >= 0 && words.comment >= column) return -1;
  return words.length;
}

int previous_word_in_line(ConstTextSpan text, MnemonicView& view, int line, int column, std::string& word) {
  word.clear();
  if (line < 0 || static_cast<size_t>(line) >= text.size()) return -1;
  LineWords words;
  scan_line(text[static_cast<size_t>(line)], words);
  if (words.length == 0 || (words.comment >= 0 && column >= words.comment)) return -1;
  const char* s = text[static_cast<size_t>(line)].statement;
  for (int k = words.count - 1; k >= 0; --k) {
    const WordSpan& w = words.words[static_cast<size_t>(k)];
    if (w.start > column) continue;
    view.cursor_col = w.start;
    word.assign(s + w.start, static_cast<size_t>(w.length));
    if (k == 0) return -1;
    const WordSpan& before = words.words[static_cast<size_t>(k - 1)];
    return before.start + before.length;
  }
  return -1;
}

// ---- Search ------------------------------------------------------------------------------------

namespace {

// find_word with the end line's index already known (a replace-all asks many times).
int find_word_before(ConstTextSpan text, MnemonicView& view, std::string_view word, int mode, int end) {
  view.sel_row = -1;
  if (word.empty() || text.empty()) return WORD_NOT_FOUND;
  if (mode != SearchMode::DOWN && mode != SearchMode::UP && mode != SearchMode::DOWN_WRAP) return WORD_NOT_FOUND;
  if (end <= 0) return WORD_NOT_FOUND;
  const int row = std::clamp(view.cursor_row, 0, end - 1);
  const int col = std::max(0, view.cursor_col);

  if (mode == SearchMode::UP) {
    if (match_in_line(text, view, row, word, 0, col, true)) return WORD_FOUND;
    for (int line = row - 1; line >= 0; --line)
      if (match_in_line(text, view, line, word, 0, ALL_COLUMNS, true)) return WORD_FOUND;
    return WORD_NOT_FOUND;
  }

  const int first = first_whole_word_column(text[static_cast<size_t>(row)], col);
  if (match_in_line(text, view, row, word, first, ALL_COLUMNS, false)) return WORD_FOUND;
  for (int line = row + 1; line < end; ++line)
    if (match_in_line(text, view, line, word, 0, ALL_COLUMNS, false)) return WORD_FOUND;
  if (mode == SearchMode::DOWN) return WORD_NOT_FOUND;
  // Once round: from the restart line up to the words before the caret.
  for (int line = WRAP_RESTART_LINE; line <= row && line < end; ++line)
    if (match_in_line(text, view, line, word, 0, line == row ? first : ALL_COLUMNS, false)) return WORD_FOUND;
  return WORD_NOT_FOUND;
}

// A new word must stay one word, and must not turn its line into the end line.
bool acceptable_replacement(std::string_view word) {
  for (char c : word)
    if (!is_word_char(static_cast<unsigned char>(c))) return false;
  return !same_word(END_LINE_WORD, static_cast<int>(std::strlen(END_LINE_WORD)), word);
}

}  // namespace

int find_word(ConstTextSpan text, MnemonicView& view, std::string_view word, int mode) {
  return find_word_before(text, view, word, mode, end_line_of(text));
}

int search_in_text(ConstTextSpan text, MnemonicView& view, std::string_view word, int mode,
                   const SearchOwners& owners, MnemonicEffects& effects) {
  effects = {};
  if (mode == SearchMode::OUTPUTS) {
    show_notice(MSG_OUTPUT_SEARCH_UNSUPPORTED, CAPTION_SEARCH_WARNING, NoticeStyle::OK, owners.dialog);
    return WORD_NOT_FOUND;
  }
  const int row = view.cursor_row;
  const int col = view.cursor_col;
  const bool had_match = view.sel_row != -1;
  if (!text.empty() && row >= 0 && static_cast<size_t>(row) < text.size()) {
    LineWords words;
    scan_line(text[static_cast<size_t>(row)], words);
    if (mode == SearchMode::UP)
      view.cursor_col = std::max(0, col - 1);
    else
      view.cursor_col = std::min(col + 1, words.length);
  }
  if (find_word(text, view, word, mode) == WORD_FOUND) {
    effects = show_match(view);
    return WORD_FOUND;
  }
  view.cursor_row = row;
  view.cursor_col = col;
  effects.repaint = had_match;  // the old highlight goes
  show_notice(MSG_WORD_NOT_FOUND, CAPTION_SEARCH_CONFIRM, NoticeStyle::OK, owners.dialog);
  return WORD_NOT_FOUND;
}

// ---- Replace ------------------------------------------------------------------------------------

int replace_in_text(TextSpan text, MnemonicView& view, std::string_view old_text, std::string_view new_text,
                    int mode, const SearchOwners& owners, const std::function<void(const MnemonicEffects&)>& apply) {
  count_mnemonic_text_write();
  if (old_text.empty() || new_text.empty()) return 0;
  std::string replacement(new_text);
  uppercase_in_place(replacement);
  if (!acceptable_replacement(replacement)) {
    show_notice(MSG_BAD_REPLACEMENT, CAPTION_SEARCH_WARNING, NoticeStyle::OK, owners.dialog);
    return 0;
  }
  // Replacing one word by another never moves the end line.
  const int end = end_line_of(text);
  // The restart question is the replace's one way round the text: a wrap of its own
  // would offer the same words again and again.
  if (mode == SearchMode::DOWN_WRAP) mode = SearchMode::DOWN;
  const auto notify = [&](const MnemonicEffects& e) {
    if (apply) apply(e);
  };
  int replaced = 0;
  bool restarted = false;
  for (;;) {
    if (find_word_before(text, view, old_text, mode, end) != WORD_FOUND) {
      if (restarted) {
        show_notice(MSG_NO_WORD_TO_REPLACE, CAPTION_SEARCH_WARNING, NoticeStyle::OK, owners.dialog);
        break;
      }
      if (show_notice(MSG_REPLACE_RESTART, CAPTION_SEARCH_CONFIRM, NoticeStyle::YES_NO, owners.window) !=
          NoticeAnswer::YES)
        break;
      restarted = true;
      view.top_row = 0;
      view.cursor_row = 0;
      view.cursor_col = 0;
      MnemonicEffects e;
      e.repaint = true;
      e.scroll_position = true;
      e.place_caret = true;
      e.broadcast = true;
      notify(e);
      continue;
    }
    const int line = view.sel_row;
    const int column = view.sel_col;
    const int old_length = view.sel_width;
    MnemonicLine& target = text[static_cast<size_t>(line)];
    const std::string_view statement(target.statement, strnlen(target.statement, STATEMENT_SIZE));
    const int length = measured_length(target);
    // Where the search goes on after this match: past it downwards, before it upwards.
    const auto step_on = [&](int past) { view.cursor_col = mode == SearchMode::UP ? column : past; };
    if (length - old_length + static_cast<int>(replacement.size()) > MAX_STATEMENT_CHARS) {
      view.sel_row = -1;
      step_on(column + 1);
      continue;
    }
    notify(show_match(view));
    const int answer =
        show_notice(MSG_REPLACE_QUESTION, CAPTION_SEARCH_CONFIRM, NoticeStyle::YES_NO_CANCEL, owners.dialog);
    if (answer == NoticeAnswer::CANCEL) break;
    if (answer != NoticeAnswer::YES) {
      step_on(column + 1);
      continue;
    }
    std::string changed(statement.substr(0, static_cast<size_t>(column)));
    changed += replacement;
    changed += statement.substr(static_cast<size_t>(column + old_length));
    set_line_statement(target, changed);
    view.sel_width = static_cast<int>(replacement.size());
    replaced = 1;
    MnemonicEffects e;
    e.changed = true;
    e.repaint = true;
    e.broadcast = true;
    e.broadcast_line = line;
    notify(e);
    step_on(column + static_cast<int>(replacement.size()));
  }
  return replaced;
}

// ---- Caret word ------------------------------------------------------------------------------------

int word_at_caret(ConstTextSpan text, MnemonicView& view, std::string& word) {
  word.clear();
  const int row = view.cursor_row;
  if (row < 0 || static_cast<size_t>(row) >= text.size()) return 0;
  LineWords words;
  scan_line(text[static_cast<size_t>(row)], words);
  const int col = view.cursor_col;
  if (words.comment >= 0 && words.comment <= col) return -1;
  const char* s = text[static_cast<size_t>(row)].statement;
  for (int k = 0; k < words.count; ++k) {
    const WordSpan& w = words.words[static_cast<size_t>(k)];
    if (col < w.start || col >= w.start + w.length) continue;
    view.cursor_col = view.sel_col = w.start;
    view.sel_row = row;
    view.sel_width = w.length;
    word.assign(s + w.start, static_cast<size_t>(w.length));
    break;
  }
  return 0;
}

void uppercase_in_place(std::string& text) {
  for (size_t i = 0; i < text.size(); ++i) {
    if (is_sjis_lead_byte(text[i]) && i + 1 < text.size()) {
      ++i;
      continue;
    }
    if (text[i] >= 'a' && text[i] <= 'z') text[i] = static_cast<char>(text[i] - 32);
  }
}
