#include "mnemonic/mnemonic_editor.h"

#include <algorithm>
#include <cstring>

#include "core/sjis.h"
#include "shell/menu_states.h"

LineClipboard g_line_clipboard = [] {
  LineClipboard clip{};
  clip[0][0] = '\r';
  return clip;
}();
int g_mnemonic_drag_enabled = 0;
std::string g_comment_edit_text;

namespace {

constexpr char PASTE_PROMPT[] =
    "左ｸﾘｯｸすると、貼り付ける場所が指定されメモリーに記憶された内容が複写されます。";

// The statement before its line feed.
std::string_view body_of(const MnemonicLine& line) {
  std::string_view s = line_statement(line);
  size_t lf = s.find('\n');
  return lf == std::string_view::npos ? s : s.substr(0, lf);
}

int body_length(const MnemonicLine& line) { return static_cast<int>(body_of(line).size()); }

// Index of the end line, as count_text_lines gives it. A keystroke looks for it once or
// twice in texts of up to 18,000 lines, so lines whose first non-blank character is not
// the '0' of "0FFFF0" are passed over without splitting them into words.
int text_end(ConstTextSpan text) {
  const size_t limit = std::min(text.size(), static_cast<size_t>(MAX_TEXT_LINES));
  for (size_t i = 0; i < limit; ++i) {
    const char* s = text[i].statement;
    size_t k = 0;
    while (k < sizeof text[i].statement && (s[k] == ' ' || s[k] == '\t' || s[k] == '\r' || s[k] == '\v' || s[k] == '\f'))
      ++k;
    if (k < sizeof text[i].statement && s[k] == '0' && is_end_line(text[i])) return static_cast<int>(i);
  }
  return static_cast<int>(limit);
}

bool has_end_line(ConstTextSpan text, int end) { return end < static_cast<int>(text.size()) && is_end_line(text[end]); }

void copy_statement(MnemonicLine& to, const MnemonicLine& from) {
  std::memcpy(to.statement, from.statement, sizeof to.statement);
}

void empty_statement(MnemonicLine& line) { set_line_statement(line, ""); }

// Start of the character before `column` (0 stays 0).
int previous_boundary(std::string_view s, int column) {
  int last = 0;
  for (int i = 0; i < column && i < static_cast<int>(s.size());) {
    last = i;
    i += static_cast<int>(sjis_char_length(s, static_cast<size_t>(i)));
  }
  return last;
}

// Start of the character after the one at `column`.
int next_boundary(std::string_view s, int column) {
  if (column >= static_cast<int>(s.size())) return column;
  return column + static_cast<int>(sjis_char_length(s, static_cast<size_t>(column)));
}

bool any_line_selected(ConstTextSpan text, const MnemonicView& view) {
  if (view.range_active) return true;
  int end = std::min(text_end(text), static_cast<int>(text.size()) - 1);
  for (int i = 0; i <= end; ++i)
    if (text[i].selected) return true;
  return false;
}

// Clears a selection and asks for a repaint when one was shown.
void deselect(TextSpan text, MnemonicView& view, MnemonicEffects& e) {
  if (any_line_selected(text, view)) e.repaint = true;
  clear_line_selection(text, view);
}

// A text whose first line is the end line gets a line before the caret goes onto it.
bool starts_with_end_line(ConstTextSpan text) { return !text.empty() && is_end_line(text[0]); }

void keep_caret_on_text(TextSpan text, MnemonicView& view) {
  ensure_caret_line(text);
  view.cursor_row = std::clamp(view.cursor_row, 0, last_caret_line(text));
  view.cursor_col = limit_caret_column(text[view.cursor_row], view.cursor_col);
}

// Scrolls one line down when the caret line lies below the last visible line.
void follow_caret_down(MnemonicView& view, MnemonicEffects& e) {
  if (view.cursor_row - view.top_row >= std::max(1, view.visible_rows)) {
    ++view.top_row;
    e.scroll_position = true;
    e.repaint = true;
  }
}

void edited(MnemonicEffects& e, int line) {
  e.changed = true;
  e.repaint = true;
  e.broadcast = true;
  e.broadcast_line = line;
  e.push_undo = true;
  e.mark_other_windows = true;
}

// True when `statement` stored as a line would be an end line: the text would end there
// and a save would drop every line below it.
bool makes_end_line(std::string_view statement) {
  MnemonicLine probe{};
  set_line_statement(probe, statement);
  return is_end_line(probe);
}

// Stores `statement` in the line unless it would make the line an end line.
bool store_statement(MnemonicLine& line, std::string_view statement) {
  if (makes_end_line(statement)) return false;
  set_line_statement(line, statement);
  return true;
}

// Inserts `bytes` at the caret when the line has room for them.
bool insert_at_caret(MnemonicLine& line, MnemonicView& view, std::string_view bytes) {
  std::string_view body = body_of(line);
  if (body.size() + bytes.size() > static_cast<size_t>(MAX_STATEMENT_CHARS)) return false;
  size_t col = static_cast<size_t>(std::clamp(view.cursor_col, 0, static_cast<int>(body.size())));
  std::string joined;
  joined.reserve(body.size() + bytes.size());
  joined.append(body.substr(0, col)).append(bytes).append(body.substr(col));
  if (!store_statement(line, joined)) return false;
  view.cursor_col = static_cast<int>(col + bytes.size());
  return true;
}

}  // namespace

// ---- Undo ------------------------------------------------------------------------------------

int take_undo_snapshot(MnemonicUndoRing& ring, ConstTextSpan text, const MnemonicEffects& e) {
  if (e.push_undo && e.changed_first >= 0) return push_undo_lines(ring, text, e.changed_first, e.changed_last);
  count_mnemonic_text_write();
  return e.push_undo ? push_undo(ring, text) : 0;
}

// ---- Line operations ------------------------------------------------------------------------

bool insert_empty_line(TextSpan text, int index) {
  int end = text_end(text);
  if (!has_end_line(text, end) || end + 1 >= static_cast<int>(text.size()) || end + 1 >= MAX_TEXT_LINES) return false;
  if (index < 0 || index > end) return false;
  for (int i = end; i >= index; --i) copy_statement(text[i + 1], text[i]);
  empty_statement(text[index]);
  return true;
}

void delete_line(TextSpan text, int index) {
  int end = text_end(text);
  if (!has_end_line(text, end) || index < 0 || index >= end) return;
  for (int i = index; i < end; ++i) copy_statement(text[i], text[i + 1]);
  empty_statement(text[end]);
}

void truncate_line(MnemonicLine& line, int column) {
  std::string_view body = body_of(line);
  size_t col = static_cast<size_t>(std::clamp(column, 0, static_cast<int>(body.size())));
  set_line_statement(line, std::string(body.substr(0, col)));
}

void clear_line_selection(TextSpan text, MnemonicView& view) {
  int end = std::min(text_end(text), static_cast<int>(text.size()) - 1);
  for (int i = 0; i <= end; ++i) text[i].selected = 0;
  view.range_active = 0;
}

int delete_selected_lines(TextSpan text, MnemonicView& view) {
  int end = text_end(text);
  int start = view.range_start_row;
  if (!view.range_active || !has_end_line(text, end) || start < 0 || start >= end) return 0;
  int n = 0;
  while (start + n < end && text[start + n].selected) ++n;
  if (n == 0) return 0;
  for (int i = start + n; i <= end; ++i) copy_statement(text[i - n], text[i]);
  for (int i = end - n + 1; i <= end; ++i) empty_statement(text[i]);
  clear_line_selection(text, view);
  // The caret goes to where the lines were (one below the last selected line, where
  // Shift+Down and dragging leave it, less n), never above the text.
  view.cursor_row = start;
  keep_caret_on_text(text, view);
  return n;
}

int paste_lines(TextSpan text, MnemonicView& view, const std::vector<std::string>& lines) {
  int end = text_end(text);
  if (!has_end_line(text, end) || lines.empty()) return 0;
  int capacity = std::min(static_cast<int>(text.size()), MAX_TEXT_LINES);
  int m = std::min(static_cast<int>(lines.size()), capacity - 1 - end);
  if (m <= 0) return 0;
  int row = std::clamp(view.cursor_row, 0, end);
  for (int i = end; i >= row; --i) copy_statement(text[i + m], text[i]);
  for (int k = 0; k < m; ++k) set_line_statement(text[row + k], lines[static_cast<size_t>(k)]);
  view.cursor_row = row + m;
  keep_caret_on_text(text, view);
  return m;
}

// ---- Caret ------------------------------------------------------------------------------------

void ensure_caret_line(TextSpan text) {
  if (!text.empty() && is_end_line(text[0])) insert_empty_line(text, 0);
}

int last_caret_line(ConstTextSpan text) {
  if (text.empty()) return 0;
  int end = std::min(text_end(text), static_cast<int>(text.size()) - 1);
  return std::max(0, end - 1);
}

int limit_caret_column(const MnemonicLine& line, int column) {
  std::string_view body = body_of(line);
  int col = std::clamp(column, 0, static_cast<int>(body.size()));
  int i = 0;
  while (i < col) {
    int next = i + static_cast<int>(sjis_char_length(body, static_cast<size_t>(i)));
    if (next > col) break;
    i = next;
  }
  return i;
}

// ---- Keys and characters ----------------------------------------------------------------------

MnemonicEffects press_key(TextSpan text, MnemonicView& view, MnemonicKey key, bool shift) {
  if (key == MnemonicKey::DEL) return delete_at_caret(text, view);
  MnemonicEffects e;
  e.place_caret = true;
  keep_caret_on_text(text, view);
  int& row = view.cursor_row;
  int& col = view.cursor_col;
  switch (key) {
    case MnemonicKey::HOME:
      col = 0;
      break;
    case MnemonicKey::END:
      col = line_length(text[row]);
      break;
    case MnemonicKey::LEFT:
      if (col == 0) {
        if (row > 0) {
          --row;
          col = body_length(text[row]);
          if (row < view.top_row) {
            view.top_row = row;
            e.scroll_position = true;
            e.repaint = true;
          }
        }
      } else if (shift) {
        col = 0;
      } else {
        col = previous_boundary(body_of(text[row]), col);
      }
      deselect(text, view, e);
      break;
    case MnemonicKey::RIGHT:
      if (shift) {
        col = body_length(text[row]);
      } else {
        if (col >= body_length(text[row])) {
          if (!is_end_line(text[row + 1])) {
            ++row;
            col = 0;
            follow_caret_down(view, e);
          }
        } else {
          col = next_boundary(body_of(text[row]), col);
        }
        deselect(text, view, e);
      }
      break;
    case MnemonicKey::UP:
      if (row == 0) break;
      if (row == view.top_row && view.top_row > 0) {
        --view.top_row;
        e.scroll_position = true;
      }
      --row;
      col = limit_caret_column(text[row], col);
      if (shift && view.range_active)
        text[row + 1].selected = 0;
      else if (!shift)
        clear_line_selection(text, view);
      e.repaint = true;
      break;
    case MnemonicKey::DOWN:
      if (is_end_line(text[row + 1])) break;
      if (shift) {
        if (!view.range_active) {
          view.range_active = 1;
          view.range_start_row = row;
        }
        text[row].selected = 1;
      } else {
        clear_line_selection(text, view);
      }
      ++row;
      follow_caret_down(view, e);
      col = limit_caret_column(text[row], col);
      e.repaint = true;
      break;
    case MnemonicKey::DEL:
      break;
  }
  return e;
}

MnemonicEffects delete_at_caret(TextSpan text, MnemonicView& view) {
  MnemonicEffects e;
  e.place_caret = true;
  const bool had_no_line = starts_with_end_line(text);
  keep_caret_on_text(text, view);
  int row = view.cursor_row;
  bool within_line = false;
  if (view.range_active) {
    int n = delete_selected_lines(text, view);
    view.scroll_max = std::max(0, view.scroll_max - n);
    e.scroll_range = true;
    clear_line_selection(text, view);
  } else {
    MnemonicLine& line = text[row];
    std::string_view body = body_of(line);
    if (view.cursor_col >= static_cast<int>(body.size())) {
      // A join that would not fit the field is refused: nothing of either line is lost.
      if (!is_end_line(text[row + 1]) && body.size() + body_of(text[row + 1]).size() <=
                                             static_cast<size_t>(MAX_STATEMENT_CHARS)) {
        std::string joined(body);
        joined.append(body_of(text[row + 1]));
        if (store_statement(line, joined)) {
          delete_line(text, row + 1);
          e.resync_line = row;
          e.resync_insert = 0;
          // A lead byte left alone at the line's end takes the joined line's first byte
          // as its trail byte: the caret goes to the start of that character.
          view.cursor_col = limit_caret_column(line, view.cursor_col);
        }
      }
    } else {
      size_t col = static_cast<size_t>(view.cursor_col);
      std::string rest(body.substr(0, col));
      rest.append(body.substr(col + sjis_char_length(body, col)));
      store_statement(line, rest);
      view.cursor_col = limit_caret_column(line, view.cursor_col);
      within_line = true;
    }
  }
  edited(e, view.cursor_row);
  if (within_line && !had_no_line) e.changed_first = e.changed_last = row;
  return e;
}

MnemonicEffects split_line(TextSpan text, MnemonicView& view) {
  MnemonicEffects e;
  e.place_caret = true;
  keep_caret_on_text(text, view);
  int row = view.cursor_row;
  std::string tail(body_of(text[row]).substr(static_cast<size_t>(view.cursor_col)));
  if (makes_end_line(tail) || makes_end_line(body_of(text[row]).substr(0, static_cast<size_t>(view.cursor_col))))
    return e;
  if (!insert_empty_line(text, row + 1)) return e;
  set_line_statement(text[row + 1], tail);
  truncate_line(text[row], view.cursor_col);
  e.resync_line = row;
  e.resync_insert = 1;
  view.cursor_row = row + 1;
  view.cursor_col = 0;
  follow_caret_down(view, e);
  clear_line_selection(text, view);
  edited(e, row);
  return e;
}

MnemonicEffects open_blank_line(TextSpan text, MnemonicView& view) {
  MnemonicEffects e;
  e.place_caret = true;
  keep_caret_on_text(text, view);
  int row = view.cursor_row;
  if (!insert_empty_line(text, row)) return e;
  e.resync_line = row;
  e.resync_insert = 1;
  view.cursor_row = row + 1;
  view.cursor_col = 0;
  follow_caret_down(view, e);
  edited(e, row);
  return e;
}

MnemonicEffects type_character(TextSpan text, MnemonicView& view, std::string_view character) {
  MnemonicEffects e;
  e.place_caret = true;
  if (character.empty()) return e;
  const bool had_no_line = starts_with_end_line(text);
  keep_caret_on_text(text, view);
  unsigned char c = static_cast<unsigned char>(character[0]);
  // A double-byte character is a lead byte and a trail byte; anything else is taken as
  // its first byte alone, and a lead byte alone is no character.
  if (is_sjis_lead_byte(c)) {
    unsigned char trail = character.size() > 1 ? static_cast<unsigned char>(character[1]) : 0;
    if (trail < 0x40 || trail > 0xFC || trail == 0x7F) return e;
    character = character.substr(0, 2);
  } else {
    character = character.substr(0, 1);
  }
  if (character.size() == 1 && c == '\b') {
    if (view.cursor_col > 0) {
      view.cursor_col = previous_boundary(body_of(text[view.cursor_row]), view.cursor_col);
    } else if (view.cursor_row > 0) {
      --view.cursor_row;
      view.cursor_col = body_length(text[view.cursor_row]);
      if (view.cursor_row < view.top_row) {
        view.top_row = view.cursor_row;
        e.scroll_position = true;
      }
    } else {
      return e;
    }
    MnemonicEffects d = delete_at_caret(text, view);
    d.scroll_position = d.scroll_position || e.scroll_position;
    return d;
  }
  MnemonicLine& line = text[view.cursor_row];
  bool inserted = false;
  if (character.size() == 1 && c == '\t') {
    int col = view.cursor_col;
    int stop = col < 4 ? 4 : 4 + ((col - 4) / 8 + 1) * 8;
    int room = MAX_STATEMENT_CHARS - body_length(line);
    int blanks = std::min(stop - col, room);
    if (blanks > 0) inserted = insert_at_caret(line, view, std::string(static_cast<size_t>(blanks), ' '));
  } else if (character.size() == 1 && (c < 0x20 || c == 0x7F)) {
    return e;  // control codes have no place in a statement (a line feed would split it)
  } else {
    inserted = insert_at_caret(line, view, character);
  }
  if (!inserted) return e;
  e.changed = true;
  e.draw_line = view.cursor_row;
  e.push_undo = true;
  if (!had_no_line) e.changed_first = e.changed_last = view.cursor_row;
  e.broadcast = true;
  e.broadcast_line = view.cursor_row;
  e.mark_other_windows = true;
  return e;
}

// ---- Mouse and scrolling ------------------------------------------------------------------

MnemonicEffects click_text(TextSpan text, MnemonicView& view, const TextMetrics& metrics, int x, int y,
                           bool keep_highlight) {
  MnemonicEffects e;
  e.place_caret = true;
  int lh = std::max(1, metrics.line_height);
  int cw = std::max(1, metrics.char_width);
  if (!keep_highlight && view.sel_row != -1) {
    view.sel_row = -1;
    e.repaint = true;
  }
  g_popup_toggle = 0;
  int row = std::clamp(std::max(0, y) / lh + view.top_row, 0, last_caret_line(text));
  view.cursor_row = row;
  view.range_row = row;
  view.text_click_col = view.cursor_col;
  view.cursor_col = limit_caret_column(text[row], std::max(0, x) / cw);
  deselect(text, view, e);
  return e;
}

MnemonicEffects drag_text(TextSpan text, MnemonicView& view, const TextMetrics& metrics, int y) {
  MnemonicEffects e;
  if (g_mnemonic_drag_enabled != 1) return e;
  int lh = std::max(1, metrics.line_height);
  int row = std::clamp(std::max(0, y) / lh + view.top_row, 0, last_caret_line(text));
  view.cursor_row = row;
  view.cursor_col = limit_caret_column(text[row], view.cursor_col);
  if (row == view.range_row) {
    e.place_caret = true;
    return e;
  }
  if (row == view.range_row + 1) {
    if (!view.range_active) {
      view.range_active = 1;
      view.range_start_row = row - 1;
    }
    text[row - 1].selected = 1;
    view.range_row = row;
    if (row - view.top_row == view.visible_rows) {
      ++view.top_row;
      e.scroll_position = true;
    }
  } else if (row > view.range_row + 1) {
    // Lines passed over in one move stay unselected.
  } else if (row >= view.range_start_row) {
    if (view.range_active) {
      text[row].selected = 0;
      view.range_row = row;
    }
    if (row == view.top_row && view.top_row > 0) {
      view.range_row = row;
      --view.top_row;
      e.scroll_position = true;
    }
  } else {
    return e;
  }
  e.repaint = true;
  e.place_caret = true;
  return e;
}

MnemonicEffects scroll_text(MnemonicView& view, const TextMetrics& metrics, ScrollRequest request,
                            int thumb_position, int client_height) {
  MnemonicEffects e;
  e.place_caret = true;
  int page = std::max(1, client_height / std::max(1, metrics.line_height));
  int step = 0;
  switch (request) {
    case ScrollRequest::LINE_UP: step = -1; break;
    case ScrollRequest::LINE_DOWN: step = 1; break;
    case ScrollRequest::PAGE_UP: step = -page; break;
    case ScrollRequest::PAGE_DOWN: step = page; break;
    case ScrollRequest::THUMB: step = thumb_position - view.top_row; break;
    case ScrollRequest::TOP: step = -view.top_row; break;
    case ScrollRequest::BOTTOM: step = view.scroll_max - view.top_row; break;
    case ScrollRequest::OTHER: step = 0; break;
  }
  step = std::min(step, view.scroll_max - view.top_row);
  if (step != 0) {
    int top = std::max(0, view.top_row + step);
    if (top != view.top_row) {
      view.top_row = top;
      e.scroll_position = true;
      e.repaint = true;
    }
  }
  return e;
}

MnemonicEffects lay_out_text(ConstTextSpan text, MnemonicView& view, const TextMetrics& metrics, int width,
                             int height) {
  MnemonicEffects e;
  int lh = std::max(1, metrics.line_height);
  int cw = std::max(1, metrics.char_width);
  view.visible_cols = std::max(1, width / cw);
  view.visible_rows = std::max(1, height / lh);
  view.scroll_max = std::max(0, count_text_lines(text) + 2 - height / lh);
  view.top_row = std::clamp(view.top_row, 0, view.scroll_max);
  e.scroll_range = true;
  e.scroll_position = true;
  e.place_caret = true;
  e.repaint = true;
  return e;
}

int comment_column(int length) {
  if (length <= 24) return 24;
  int c = (length + 7) / 8 * 8;
  return std::max(32, c);
}

MnemonicEffects comment_write_click(TextSpan text, MnemonicView& view, bool& handled) {
  MnemonicEffects e;
  handled = false;
  keep_caret_on_text(text, view);
  int row = view.cursor_row;
  MnemonicLine& line = text[row];
  std::string_view body = body_of(line);
  size_t i = 0;
  while (i < body.size() && (body[i] == ' ' || body[i] == '\t')) ++i;
  if (i < body.size() && body[i] == '\\') return e;  // a header line is left alone
  std::string comment;
  bool changed = false;
  if (i < body.size() && body[i] == ';') {
    comment.assign(body.substr(i + 1));
  } else if (i >= body.size()) {
    set_line_statement(line, ";");
    view.cursor_col = 0;
    changed = true;
  } else {
    size_t semi = sjis_find(body, ';');
    if (semi == std::string_view::npos) {
      int n = static_cast<int>(body.size());
      int c = comment_column(n);
      if (c + 2 > MAX_STATEMENT_CHARS) return e;  // no room for a comment on this line
      std::string padded(body);
      padded.append(static_cast<size_t>(c - n), ' ').append("; ");
      set_line_statement(line, padded);
      view.cursor_col = c + 1;
      changed = true;
    } else {
      size_t after = semi + 1;
      if (after < body.size() && body[after] == ' ') ++after;
      comment.assign(body.substr(after));
      view.cursor_col = static_cast<int>(after);
    }
  }
  handled = true;
  g_comment_edit_text = comment;
  view.sel_row = row;
  view.sel_col = 0;
  view.sel_width = 1;
  e.repaint = true;
  e.broadcast = true;
  e.broadcast_line = row;
  e.place_caret = true;
  if (changed) edited(e, row);
  return e;
}

// ---- Clipboard ------------------------------------------------------------------------------

std::string copy_selected_lines(ConstTextSpan text, const MnemonicView& view) {
  std::string out;
  if (!view.range_active) return out;
  int end = text_end(text);
  int start = view.range_start_row;
  if (start < 0) return out;
  int k = 0;
  for (int i = start; i < end && i < static_cast<int>(text.size()) && text[i].selected; ++i) {
    std::string_view statement = line_statement(text[i]);
    out.append(statement);
    if (statement.empty() || statement.back() != '\n') out.push_back('\n');
    if (k < LINE_CLIPBOARD_SLOTS - 1) copy_text_bounded(g_line_clipboard[static_cast<size_t>(k)], statement);
    ++k;
  }
  if (k > 0) {
    copy_text_bounded(g_line_clipboard[static_cast<size_t>(std::min(k, LINE_CLIPBOARD_SLOTS - 1))],
                      LINE_CLIPBOARD_END);
    g_clip_valid = 1;
  }
  return out;
}

MnemonicEffects copy_lines(TextSpan text, MnemonicView& view, std::string& clip) {
  MnemonicEffects e;
  clip.clear();
  g_popup_toggle = 0;
  if (!view.range_active) return e;
  clip = copy_selected_lines(text, view);
  clear_line_selection(text, view);
  view.comment_copied = 0;
  e.repaint = true;
  e.broadcast = true;
  e.broadcast_line = view.cursor_row;
  return e;
}

MnemonicEffects delete_lines(TextSpan text, MnemonicView& view) {
  MnemonicEffects e;
  g_popup_toggle = 0;
  if (!view.range_active) return e;
  int n = delete_selected_lines(text, view);
  view.scroll_max = std::max(0, view.scroll_max - n);
  e.scroll_range = true;
  clear_line_selection(text, view);
  e.place_caret = true;
  edited(e, view.cursor_row);
  return e;
}

MnemonicEffects cut_lines(TextSpan text, MnemonicView& view, std::string& clip) {
  clip.clear();
  if (view.range_active) clip = copy_selected_lines(text, view);
  return delete_lines(text, view);
}

MnemonicEffects copy_comment(TextSpan text, MnemonicView& view) {
  MnemonicEffects e;
  g_popup_toggle = 0;
  if (!view.range_active) return e;
  int anchor = std::clamp(view.range_start_row, 0, last_caret_line(text));
  std::string comment, statement;
  split_code_and_comment(text[anchor], comment, statement);
  copy_text_bounded(g_line_clipboard[0], comment);
  clear_line_selection(text, view);
  view.comment_copied = 1;
  e.repaint = true;
  e.broadcast = true;
  e.broadcast_line = view.cursor_row;
  return e;
}

std::vector<std::string> clipboard_text_lines(std::string_view clip) {
  std::vector<std::string> lines;
  size_t nul = clip.find('\0');
  if (nul != std::string_view::npos) clip = clip.substr(0, nul);
  size_t start = 0;
  for (size_t lf = clip.find('\n'); lf != std::string_view::npos; lf = clip.find('\n', start)) {
    std::string line(clip.substr(start, lf - start));
    if (!line.empty() && line.back() == '\r') line.back() = ' ';
    lines.push_back(std::move(line));
    start = lf + 1;
  }
  return lines;
}

MnemonicEffects paste_text(TextSpan text, MnemonicView& view, std::string_view clip) {
  MnemonicEffects e;
  keep_caret_on_text(text, view);
  e.status_text = PASTE_PROMPT;
  view.sel_col = view.cursor_col;
  view.sel_row = view.cursor_row;
  view.sel_width = 1;
  if (view.comment_copied) {
    MnemonicLine& line = text[view.cursor_row];
    std::string_view body = body_of(line);
    int n = static_cast<int>(body.size());
    std::string joined(body);
    joined.append(static_cast<size_t>(comment_column(n) - n), ' ');
    joined.append(fixed_text(g_line_clipboard[0]));
    set_line_statement(line, joined);
  } else {
    std::vector<std::string> lines = clipboard_text_lines(clip);
    // A text copied whole from a file brings its end line: that line is no statement,
    // and pasted it would end the text there.
    std::erase_if(lines, [](const std::string& line) { return makes_end_line(line); });
    if (!lines.empty()) {
      for (size_t k = 0; k < lines.size() && k < static_cast<size_t>(LINE_CLIPBOARD_SLOTS); ++k)
        copy_text_bounded(g_line_clipboard[k], lines[k] + '\n');
      paste_lines(text, view, lines);
    }
  }
  g_popup_toggle = 0;
  e.lay_out = true;
  e.place_caret = true;
  edited(e, view.cursor_row);
  return e;
}

// ---- Painting -------------------------------------------------------------------------------

std::vector<TextRun> paint_text(ConstTextSpan text, const MnemonicView& view, const TextMetrics& metrics, int top,
                                int bottom) {
  std::vector<TextRun> runs;
  int lh = std::max(1, metrics.line_height);
  int cw = std::max(1, metrics.char_width);
  int first = std::max(0, top / lh + view.top_row);
  int last = std::min({MAX_TEXT_LINES, bottom / lh + view.top_row, static_cast<int>(text.size()) - 1});
  size_t cols = static_cast<size_t>(std::max(0, view.visible_cols));
  for (int i = first; i <= last; ++i) {
    const MnemonicLine& line = text[i];
    if (line_statement(line).starts_with(END_LINE_WORD)) break;
    std::string_view body = body_of(line);
    std::string_view shown = body.substr(0, sjis_cut_length(body, cols));
    int y = (i - view.top_row) * lh;
    if (line.selected) {
      runs.push_back({0, y, std::string(shown), TEXT_COLOUR_WHITE, TEXT_COLOUR_BLACK});
    } else {
      runs.push_back({0, y, std::string(shown), TEXT_COLOUR_NORMAL, TEXT_COLOUR_BACKGROUND});
      size_t mark = sjis_find_first_of(body, ";\\");
      if (mark != std::string_view::npos && mark + 1 < shown.size())
        runs.push_back({static_cast<int>(mark + 1) * cw, y, std::string(shown.substr(mark + 1)), TEXT_COLOUR_COMMENT,
                        TEXT_COLOUR_BACKGROUND});
    }
    if (i == view.sel_row && view.sel_col >= 0 && view.sel_width > 0 &&
        static_cast<size_t>(view.sel_col) < cols) {
      size_t from = static_cast<size_t>(view.sel_col);
      size_t width = std::min(static_cast<size_t>(view.sel_width), cols - from);
      std::string_view rest = from < body.size() ? body.substr(from) : std::string_view();
      std::string mark(rest.substr(0, sjis_cut_length(rest, width)));
      if (mark.size() < width) mark.append(width - mark.size(), ' ');
      runs.push_back({view.sel_col * cw, y, mark, TEXT_COLOUR_WHITE, TEXT_COLOUR_BLACK});
    }
  }
  return runs;
}
