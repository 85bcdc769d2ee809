// Drives the mnemonic editor with arbitrary typed characters, keys, clicks, drags and
// clipboard texts on a text of a few hundred lines, and checks after every step that each
// statement stays in its field with one line feed, that the end line stays within the
// text, and that the caret stays on a text line on a character boundary.
// Undo snapshots are taken as the window takes them (take_undo_snapshot): an edit that
// names the lines it changed gets a snapshot sharing the rest, so every such claim is
// checked against a copy of the text from before the edit. Raw writes of line flags
// (COPIED among them) and of bytes anywhere in a line's fields come as readers and
// compiles make them: counted, and pushed at once or left for the next snapshot to take
// in. Undo and redo steps then have to give back, byte for byte, the statement, comment
// and flags of every line through the end line as a history of whole copies holds them.
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <string>
#include <string_view>

#include "core/mnemonic_text.h"
#include "design/undo_ring.h"
#include "mnemonic/mnemonic_editor.h"

namespace {

constexpr int TEXT_LINES = 48;
constexpr int PROGRAM_LINES = 30;
constexpr int CHUNK_LINES = 4;  // snapshots of many chunks, shared and packed again
const TextMetrics METRICS{16, 8};

void check(ConstTextSpan text, const MnemonicView& view) {
  const int end = count_text_lines(text);
  if (end >= static_cast<int>(text.size()) || !is_end_line(text[static_cast<size_t>(end)])) std::abort();
  for (int i = 0; i <= end; ++i) {
    const MnemonicLine& line = text[static_cast<size_t>(i)];
    const size_t len = strnlen(line.statement, sizeof line.statement);
    if (len == 0 || len >= sizeof line.statement || line.statement[len - 1] != '\n') std::abort();
    if (std::memchr(line.statement, '\n', len) != line.statement + len - 1) std::abort();
  }
  if (view.cursor_row < 0 || view.cursor_row > last_caret_line(text)) std::abort();
  const MnemonicLine& caret_line = text[static_cast<size_t>(view.cursor_row)];
  if (limit_caret_column(caret_line, view.cursor_col) != view.cursor_col) std::abort();
  if (view.top_row < 0) std::abort();
}

// The text after each pushed step as whole copies, with the step the text shows: what
// undo and redo must give back. It keeps as many steps as the ring (16, so 15 undos).
struct History {
  std::deque<MnemonicText> steps;
  size_t at = 0;
  void push(const MnemonicText& text) {
    if (!steps.empty()) steps.erase(steps.begin() + static_cast<std::ptrdiff_t>(at) + 1, steps.end());
    steps.push_back(text);
    if (steps.size() > static_cast<size_t>(UNDO_SLOTS)) steps.pop_front();
    at = steps.size() - 1;
  }
  bool undo() { return at > 0 ? (--at, true) : false; }
  bool redo() { return at + 1 < steps.size() ? (++at, true) : false; }
};

// The restored part of the text (every line through the end line: statement, comment and
// flags, each field whole) against the copy.
void check_restored(ConstTextSpan text, const MnemonicText& copy) {
  const int end = count_text_lines(copy);
  if (count_text_lines(text) != end) std::abort();
  for (int i = 0; i <= end; ++i) {
    const MnemonicLine& a = text[static_cast<size_t>(i)];
    const MnemonicLine& b = copy[static_cast<size_t>(i)];
    if (std::memcmp(a.statement, b.statement, sizeof a.statement) != 0) std::abort();
    if (std::memcmp(a.comment, b.comment, sizeof a.comment) != 0) std::abort();
    if (a.flags != b.flags) std::abort();
  }
}

// An edit that names the lines it changed changed no other line and moved none.
void check_named_lines(ConstTextSpan text, const MnemonicText& before, const MnemonicEffects& e) {
  if (e.changed_first < 0) return;
  const int end = count_text_lines(before);
  if (e.changed_last < e.changed_first || count_text_lines(text) != end) std::abort();
  for (int i = 0; i <= end; ++i) {
    if (i >= e.changed_first && i <= e.changed_last) continue;
    const MnemonicLine& a = text[static_cast<size_t>(i)];
    const MnemonicLine& b = before[static_cast<size_t>(i)];
    if (std::memcmp(a.statement, b.statement, sizeof a.statement) != 0 ||
        std::memcmp(a.comment, b.comment, sizeof a.comment) != 0 || a.flags != b.flags)
      std::abort();
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  MnemonicText text = make_mnemonic_text(TEXT_LINES);
  for (int k = 0; k + 1 < PROGRAM_LINES; k += 2) {
    set_line_statement(text[static_cast<size_t>(k)], "LD      X00 ; pump");
    set_line_statement(text[static_cast<size_t>(k) + 1], "OUT     Y00");
  }
  set_line_statement(text[PROGRAM_LINES], "END");
  set_end_line(text[PROGRAM_LINES + 1]);
  MnemonicView view{};
  view.sel_row = -1;
  view.visible_rows = 5;
  view.visible_cols = 20;
  lay_out_text(text, view, METRICS, 160, 80);
  g_line_clipboard = {};
  g_line_clipboard[0][0] = '\r';
  g_mnemonic_drag_enabled = 1;
  MnemonicUndoRing ring;
  ring.chunk_rows = CHUNK_LINES;
  History history;
  reset_undo(ring);
  push_undo(ring, text);
  history.push(text);

  size_t i = 0;
  auto next = [&]() -> uint8_t { return i < size ? data[i++] : 0; };
  // A line anywhere before the end line, from two bytes.
  auto pick_line = [&](uint8_t low) {
    const int end = count_text_lines(text);
    return end == 0 ? 0 : (low | next() << 8) % end;
  };
  MnemonicText before;
  while (i < size) {
    const uint8_t op = next();
    const uint8_t arg = next();
    std::string clip;
    MnemonicEffects e;
    // Typed characters and keys are the edits that may name their lines: the text before
    // them is kept to check the claim (a copy for every step would slow the fuzzing down).
    const bool may_name_lines = op % 21 <= 2;
    if (may_name_lines) before.assign(text.begin(), text.begin() + count_text_lines(text) + 1);
    switch (op % 21) {
      case 0: e = press_key(text, view, static_cast<MnemonicKey>(arg % 7), (arg & 0x80) != 0); break;
      case 1: e = type_character(text, view, std::string(1, static_cast<char>(arg))); break;
      case 2: {
        const char pair[2] = {static_cast<char>(arg), static_cast<char>(next())};
        e = type_character(text, view, std::string_view(pair, 2));
        break;
      }
      case 3: e = split_line(text, view); break;
      case 4: e = open_blank_line(text, view); break;
      case 5: e = click_text(text, view, METRICS, (arg & 0x0F) * 8, (arg >> 4) * 16, false); break;
      case 6: e = drag_text(text, view, METRICS, (arg >> 3) * 16); break;
      case 7: e = scroll_text(view, METRICS, static_cast<ScrollRequest>(arg % 8), arg >> 3, 80); break;
      case 8: e = copy_lines(text, view, clip); break;
      case 9: e = cut_lines(text, view, clip); break;
      case 10: e = delete_lines(text, view); break;
      case 11: e = copy_comment(text, view); break;
      case 12: {
        const size_t n = std::min<size_t>(arg, size - i);
        e = paste_text(text, view, std::string_view(reinterpret_cast<const char*>(data + i), n));
        i += n;
        break;
      }
      case 13: {
        bool handled = false;
        e = comment_write_click(text, view, handled);
        break;
      }
      case 14: e = lay_out_text(text, view, METRICS, arg * 4, (arg & 0x3F) * 4); break;
      case 15: paint_text(text, view, METRICS, 0, arg * 4); break;
      case 16: {
        // Flags of a line, as compiling and comment copying set them: a counted write,
        // snapshotted at once or taken in by the next snapshot.
        count_mnemonic_text_write();
        MnemonicLine& line = text[static_cast<size_t>(pick_line(arg))];
        line.flags ^= static_cast<int32_t>(next()) << ((arg >> 3) % 4 * 8);
        e.push_undo = (arg & 0x40) != 0;
        break;
      }
      case 17: {
        // A byte anywhere in a statement or comment field, before the end line: after the
        // line feed and at the field's very end too (a snapshot keeps each field whole).
        if (count_text_lines(text) == 0) break;
        count_mnemonic_text_write();
        MnemonicLine& line = text[static_cast<size_t>(pick_line(arg))];
        const uint8_t where = next();
        const uint8_t value = next();
        if (arg & 0x80)
          line.comment[where == 0xFF ? LINE_TRAIL_SIZE - 1 : where * 5] = static_cast<char>(value);
        else if (const size_t len = strnlen(line.statement, STATEMENT_SIZE); len + 1 < STATEMENT_SIZE)
          line.statement[len + 1 + where % (STATEMENT_SIZE - len - 1)] = static_cast<char>(value);
        e.push_undo = (arg & 0x40) != 0;
        break;
      }
      case 18: {
        // The caret onto any line, its line at the top, as the scroll bar and a click put it.
        view.cursor_row = std::min(pick_line(arg), last_caret_line(text));
        view.top_row = view.cursor_row;
        view.cursor_col = limit_caret_column(text[static_cast<size_t>(view.cursor_row)], arg % 16);
        break;
      }
      case 19:
        if (undo(ring, text) == 0) {
          if (!history.undo()) std::abort();
          check_restored(text, history.steps[history.at]);
        } else if (history.undo()) {
          std::abort();
        }
        break;
      default:
        if (redo(ring, text) == 0) {
          if (!history.redo()) std::abort();
          check_restored(text, history.steps[history.at]);
        } else if (history.redo()) {
          std::abort();
        }
        break;
    }
    if (op % 21 >= 19) {
      // The selection goes and the caret goes back onto a text line, as the window does
      // after an undo or redo.
      clear_line_selection(text, view);
      view.cursor_row = std::min(view.cursor_row, last_caret_line(text));
      view.cursor_col = limit_caret_column(text[static_cast<size_t>(view.cursor_row)], view.cursor_col);
    }
    check(text, view);
    if (e.changed_first >= 0 && !may_name_lines) std::abort();
    if (may_name_lines) check_named_lines(text, before, e);
    if (op % 21 >= 19 && e.push_undo) std::abort();  // an undo or redo takes no snapshot
    if (op % 21 >= 19) continue;  // the ring moved itself; the window counts nothing more
    const int held = take_undo_snapshot(ring, text, e);
    if (e.push_undo) {
      if (held != count_text_lines(text) + 1) std::abort();
      history.push(text);
    } else if (held != 0) {
      std::abort();
    }
  }
  return 0;
}
