#include "mnemonic/mnemonic_editor.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "shell/menu_states.h"
#include "support/mnemonic_lines.h"

namespace {

using Lines = std::vector<std::string>;

// A view of 10 visible lines of 40 columns at the top of the text, caret at (row, col).
MnemonicView view_at(int row, int col) {
  MnemonicView v{};
  v.cursor_row = row;
  v.cursor_col = col;
  v.sel_row = -1;
  v.visible_rows = 10;
  v.visible_cols = 40;
  v.scroll_max = 5;
  return v;
}

std::vector<int> selected_lines(ConstTextSpan text) {
  std::vector<int> out;
  for (int i = 0; i <= count_text_lines(text); ++i)
    if (text[i].selected) out.push_back(i);
  return out;
}

const TextMetrics METRICS{16, 8};

class MnemonicEditorTest : public ::testing::Test {
 protected:
  void SetUp() override {
    g_line_clipboard = {};
    g_line_clipboard[0][0] = '\r';
    g_mnemonic_drag_enabled = 0;
    g_popup_toggle = 0;
    g_clip_valid = 0;
  }
};

// ---- line operations ------------------------------------------------------------------------

TEST_F(MnemonicEditorTest, LineOperationsMoveStatementsAndKeepTheEndLine) {
  MnemonicText text = make_text({"A", "B", "C"}, 1);
  ASSERT_TRUE(insert_empty_line(text, 1));
  EXPECT_EQ(text_statements(text), (Lines{"A", "", "B", "C"}));
  EXPECT_EQ(count_text_lines(text), 4);
  // The text (3 lines, end line, 1 spare) is full now: one more line has no room.
  EXPECT_FALSE(insert_empty_line(text, 0));
  EXPECT_EQ(text_statements(text), (Lines{"A", "", "B", "C"}));

  delete_line(text, 0);
  EXPECT_EQ(text_statements(text), (Lines{"", "B", "C"}));
  EXPECT_EQ(std::string(line_statement(text[4])), "\n");
  delete_line(text, 3);  // the end line itself is never deleted
  EXPECT_EQ(text_statements(text), (Lines{"", "B", "C"}));

  set_line_statement(text[1], "LD      X00");
  truncate_line(text[1], 2);
  EXPECT_EQ(std::string(line_statement(text[1])), "LD\n");
  truncate_line(text[1], 0);
  EXPECT_EQ(std::string(line_statement(text[1])), "\n");
}

TEST_F(MnemonicEditorTest, DeletingSelectedLinesMovesTheRestUpAndTheCaretWithThem) {
  MnemonicText text = make_text({"L0", "L1", "L2", "L3", "L4", "L5"});
  MnemonicView v = view_at(2, 0);
  for (int i = 0; i < 3; ++i) press_key(text, v, MnemonicKey::DOWN, true);
  ASSERT_EQ(selected_lines(text), (std::vector<int>{2, 3, 4}));
  EXPECT_EQ(v.cursor_row, 5);
  EXPECT_EQ(delete_selected_lines(text, v), 3);
  EXPECT_EQ(text_statements(text), (Lines{"L0", "L1", "L5"}));
  EXPECT_EQ(v.cursor_row, 2);
  EXPECT_EQ(v.range_active, 0);
  EXPECT_TRUE(selected_lines(text).empty());
}

// ---- keys -----------------------------------------------------------------------------------

struct KeyCase {
  const char* name;
  int row, col;
  MnemonicKey key;
  bool shift;
  int want_row, want_col;
};

TEST_F(MnemonicEditorTest, CursorKeysMoveTheCaretOverTheLines) {
  // Lines: 0 "LD      X00", 1 "OUT     Y00", 2 "" , 3 "END"; line 4 is the end line.
  const KeyCase cases[] = {
      {"home", 1, 5, MnemonicKey::HOME, false, 1, 0},
      {"end", 1, 2, MnemonicKey::END, false, 1, 11},
      {"left in a line", 1, 5, MnemonicKey::LEFT, false, 1, 4},
      {"shift left goes to column 0", 1, 5, MnemonicKey::LEFT, true, 1, 0},
      {"left at column 0 goes to the previous line feed", 1, 0, MnemonicKey::LEFT, false, 0, 11},
      {"left at the start of the text", 0, 0, MnemonicKey::LEFT, false, 0, 0},
      {"right in a line", 0, 3, MnemonicKey::RIGHT, false, 0, 4},
      {"shift right goes to the line feed", 0, 3, MnemonicKey::RIGHT, true, 0, 11},
      {"right at the line feed goes to the next line", 0, 11, MnemonicKey::RIGHT, false, 1, 0},
      {"right at the end of the last line stays", 3, 3, MnemonicKey::RIGHT, false, 3, 3},
      {"up keeps the column within the line", 1, 9, MnemonicKey::UP, false, 0, 9},
      {"up onto a shorter line stops at its line feed", 3, 3, MnemonicKey::UP, false, 2, 0},
      {"up on line 0", 0, 4, MnemonicKey::UP, false, 0, 4},
      {"down", 0, 4, MnemonicKey::DOWN, false, 1, 4},
      {"down on the last line before the end line", 3, 1, MnemonicKey::DOWN, false, 3, 1},
  };
  for (const KeyCase& c : cases) {
    MnemonicText text = make_text({"LD      X00", "OUT     Y00", "", "END"});
    MnemonicView v = view_at(c.row, c.col);
    MnemonicEffects e = press_key(text, v, c.key, c.shift);
    EXPECT_EQ(v.cursor_row, c.want_row) << c.name;
    EXPECT_EQ(v.cursor_col, c.want_col) << c.name;
    EXPECT_TRUE(e.place_caret) << c.name;
    EXPECT_FALSE(e.changed) << c.name;
  }
}

TEST_F(MnemonicEditorTest, TheCaretStepsOverDoubleByteCharactersWhole) {
  // "A", then the double-byte character 表 (0x95 0x5C), then "B".
  MnemonicText text = make_text({"A\x95\x5C" "B"});
  MnemonicView v = view_at(0, 1);
  press_key(text, v, MnemonicKey::RIGHT, false);
  EXPECT_EQ(v.cursor_col, 3);
  press_key(text, v, MnemonicKey::LEFT, false);
  EXPECT_EQ(v.cursor_col, 1);
  v.cursor_col = 2;  // inside the character: a click there lands before it
  click_text(text, v, METRICS, 2 * METRICS.char_width, 0, false);
  EXPECT_EQ(v.cursor_col, 1);
  v.cursor_col = 1;
  delete_at_caret(text, v);
  EXPECT_EQ(text_statements(text), (Lines{"AB"}));
}

TEST_F(MnemonicEditorTest, ShiftDownSelectsLinesAndShiftUpGivesThemBack) {
  MnemonicText text = make_text({"L0", "L1", "L2", "L3", "L4", "L5", "L6"});
  MnemonicView v = view_at(2, 0);
  for (int i = 0; i < 3; ++i) press_key(text, v, MnemonicKey::DOWN, true);
  EXPECT_EQ(selected_lines(text), (std::vector<int>{2, 3, 4}));
  EXPECT_EQ(v.range_start_row, 2);
  EXPECT_EQ(v.cursor_row, 5);
  press_key(text, v, MnemonicKey::UP, true);
  EXPECT_EQ(v.cursor_row, 4);
  EXPECT_EQ(selected_lines(text), (std::vector<int>{2, 3, 4}));
  press_key(text, v, MnemonicKey::UP, true);
  EXPECT_EQ(selected_lines(text), (std::vector<int>{2, 3}));
  // A move without Shift ends the selection.
  MnemonicEffects e = press_key(text, v, MnemonicKey::LEFT, false);
  EXPECT_TRUE(selected_lines(text).empty());
  EXPECT_EQ(v.range_active, 0);
  EXPECT_TRUE(e.repaint);
}

TEST_F(MnemonicEditorTest, TheViewFollowsTheCaretPastItsEdges) {
  MnemonicText text = make_text({"L0", "L1", "L2", "L3", "L4", "L5"});
  MnemonicView v = view_at(2, 0);
  v.visible_rows = 3;
  MnemonicEffects e = press_key(text, v, MnemonicKey::DOWN, false);
  EXPECT_EQ(v.top_row, 1);
  EXPECT_TRUE(e.scroll_position);
  v.cursor_row = 1;
  e = press_key(text, v, MnemonicKey::UP, false);
  EXPECT_EQ(v.top_row, 0);
  EXPECT_EQ(v.cursor_row, 0);
  EXPECT_TRUE(e.scroll_position);
}

// ---- editing --------------------------------------------------------------------------------

struct EditCase {
  const char* name;
  Lines before;
  int row, col;
  std::string typed;  // characters; "\b" backspace, "\t" tab, "\n" Enter, "\x7f" Delete, "+" blank line
  Lines after;
  int want_row, want_col;
};

void apply_keys(TextSpan text, MnemonicView& v, const std::string& keys) {
  for (size_t i = 0; i < keys.size(); ++i) {
    char c = keys[i];
    if (c == '\n')
      split_line(text, v);
    else if (c == '\x7f')
      press_key(text, v, MnemonicKey::DEL, false);
    else if (c == '+')
      open_blank_line(text, v);
    else if (static_cast<unsigned char>(c) >= 0x81 && i + 1 < keys.size())
      type_character(text, v, keys.substr(i++, 2));
    else
      type_character(text, v, std::string(1, c));
  }
}

TEST_F(MnemonicEditorTest, TypingSplittingJoiningAndDeleting) {
  const std::string full(MAX_STATEMENT_CHARS, 'x');
  const std::string almost(MAX_STATEMENT_CHARS - 1, 'x');
  const EditCase cases[] = {
      {"typed characters go in at the caret", {"LD  X0", "END"}, 0, 2, "I", {"LDI  X0", "END"}, 0, 3},
      {"a double-byte character goes in whole", {"AB", "END"}, 0, 1, "\x95\x5C", {"A\x95\x5C" "B", "END"}, 0, 3},
      {"tab at column 0 inserts four blanks", {"X", "END"}, 0, 0, "\t", {"    X", "END"}, 0, 4},
      {"tab at column 5 inserts seven", {"ABCDEF", "END"}, 0, 5, "\t", {"ABCDE       F", "END"}, 0, 12},
      {"tab at column 12 goes on to 20", {"", "END"}, 0, 0, "\t\t\t", {std::string(20, ' '), "END"}, 0, 20},
      {"control codes are ignored", {"AB", "END"}, 0, 1, "\x01\x1b", {"AB", "END"}, 0, 1},
      {"a full line takes nothing more", {full, "END"}, 0, 3, "Z", {full, "END"}, 0, 3},
      {"a double-byte character needs two places", {almost, "END"}, 0, 0, "\x95\x5C", {almost, "END"}, 0, 0},
      {"backspace removes the character before the caret", {"LDI", "END"}, 0, 3, "\b", {"LD", "END"}, 0, 2},
      {"backspace at column 0 joins with the line above", {"A", "B", "C", "LD", "END"}, 3, 0, "\b",
       {"A", "B", "CLD", "END"}, 2, 1},
      {"backspace at the start of the text", {"A", "END"}, 0, 0, "\b", {"A", "END"}, 0, 0},
      {"delete removes the character at the caret", {"ABC", "END"}, 0, 1, "\x7f", {"AC", "END"}, 0, 1},
      {"delete at the line feed joins the next line", {"AB", "CD", "END"}, 0, 2, "\x7f", {"ABCD", "END"}, 0, 2},
      {"delete never joins the end line", {"AB", "END"}, 1, 3, "\x7f", {"AB", "END"}, 1, 3},
      {"a join that does not fit is refused", {almost, "AB", "END"}, 0, 125, "\x7f", {almost, "AB", "END"}, 0, 125},
      {"enter splits the line at the caret", {"LD X0", "END"}, 0, 2, "\n", {"LD", " X0", "END"}, 1, 0},
      {"enter at the line feed opens a line below", {"LD X0", "END"}, 0, 5, "\n", {"LD X0", "", "END"}, 1, 0},
      {"a blank line opens above the caret line", {"A", "B", "END"}, 1, 1, "+", {"A", "", "B", "END"}, 2, 0},
  };
  for (const EditCase& c : cases) {
    MnemonicText text = make_text(c.before);
    MnemonicView v = view_at(c.row, c.col);
    apply_keys(text, v, c.typed);
    EXPECT_EQ(text_statements(text), c.after) << c.name;
    EXPECT_EQ(v.cursor_row, c.want_row) << c.name;
    EXPECT_EQ(v.cursor_col, c.want_col) << c.name;
  }
}

TEST_F(MnemonicEditorTest, NewDocumentDeleteAtItsLastLineKeepsTheEndLineApart) {
  // A new document holds "END" and the end line; the caret cannot go onto the end line.
  MnemonicText text = make_mnemonic_text(8);
  set_line_statement(text[0], "END");
  set_end_line(text[1]);
  MnemonicView v = view_at(0, 0);
  press_key(text, v, MnemonicKey::END, false);
  MnemonicEffects e = press_key(text, v, MnemonicKey::DEL, false);
  EXPECT_EQ(text_statements(text), (Lines{"END"}));
  EXPECT_TRUE(is_end_line(text[1]));
  // The Delete still repaints, tells the others and takes a snapshot.
  EXPECT_TRUE(e.repaint);
  EXPECT_TRUE(e.broadcast);
  EXPECT_TRUE(e.push_undo);
}

TEST_F(MnemonicEditorTest, EffectsOfEditsSayWhatTheWindowHasToDo) {
  MnemonicText text = make_text({"AB", "CD"});
  MnemonicView v = view_at(0, 1);
  MnemonicEffects typed = type_character(text, v, "x");
  EXPECT_TRUE(typed.changed);
  EXPECT_EQ(typed.draw_line, 0);
  EXPECT_TRUE(typed.push_undo);
  EXPECT_TRUE(typed.broadcast);

  MnemonicEffects split = split_line(text, v);
  EXPECT_EQ(split.resync_line, 0);
  EXPECT_EQ(split.resync_insert, 1);
  EXPECT_TRUE(split.push_undo);

  v.cursor_row = 0;
  v.cursor_col = 2;
  MnemonicEffects joined = delete_at_caret(text, v);
  EXPECT_EQ(joined.resync_line, 0);
  EXPECT_EQ(joined.resync_insert, 0);
  EXPECT_TRUE(joined.mark_other_windows);

  MnemonicEffects moved = press_key(text, v, MnemonicKey::HOME, false);
  EXPECT_FALSE(moved.changed);
  EXPECT_FALSE(moved.push_undo);
}

TEST_F(MnemonicEditorTest, AFullTextTakesNoFurtherLine) {
  MnemonicText text = make_text({"A", "B"}, 0);
  MnemonicView v = view_at(0, 1);
  MnemonicEffects e = split_line(text, v);
  EXPECT_FALSE(e.changed);
  EXPECT_EQ(text_statements(text), (Lines{"A", "B"}));
  e = open_blank_line(text, v);
  EXPECT_FALSE(e.changed);
  EXPECT_EQ(v.cursor_row, 0);
}

// ---- mouse and scrolling --------------------------------------------------------------------

TEST_F(MnemonicEditorTest, AClickPutsTheCaretOnTheClickedCharacterOfATextLine) {
  struct Case {
    int x, y, top;
    int want_row, want_col;
  } cases[] = {
      {3 * 8 + 2, 1 * 16 + 5, 0, 1, 3},  // line 1, column 3
      {200 * 8, 0, 0, 0, 11},            // right of the line: its line feed
      {0, 50 * 16, 0, 2, 0},             // below the text: the last line before the end line
      {8, 0, 1, 1, 1},                   // scrolled by one line
  };
  for (const Case& c : cases) {
    MnemonicText text = make_text({"LD      X00", "OUT     Y00", "END"});
    MnemonicView v = view_at(0, 4);
    v.top_row = c.top;
    v.sel_row = 1;
    click_text(text, v, METRICS, c.x, c.y, false);
    EXPECT_EQ(v.cursor_row, c.want_row);
    EXPECT_EQ(v.cursor_col, c.want_col);
    EXPECT_EQ(v.range_row, c.want_row);
    EXPECT_EQ(v.text_click_col, 4);
    EXPECT_EQ(v.sel_row, -1);
  }
  // A dialog in slot 0 keeps the highlighted match.
  MnemonicText text = make_text({"A", "B"});
  MnemonicView v = view_at(0, 0);
  v.sel_row = 1;
  click_text(text, v, METRICS, 0, 0, true);
  EXPECT_EQ(v.sel_row, 1);
}

TEST_F(MnemonicEditorTest, DraggingDownSelectsLineByLineAndBackUpUnselects) {
  MnemonicText text = make_text({"L0", "L1", "L2", "L3", "L4", "L5"});
  MnemonicView v = view_at(0, 0);
  click_text(text, v, METRICS, 0, 1 * 16, false);
  // Before the first release of the button in any mnemonic window a drag selects nothing.
  drag_text(text, v, METRICS, 2 * 16);
  EXPECT_TRUE(selected_lines(text).empty());
  g_mnemonic_drag_enabled = 1;
  click_text(text, v, METRICS, 0, 1 * 16, false);
  drag_text(text, v, METRICS, 2 * 16);
  drag_text(text, v, METRICS, 3 * 16);
  EXPECT_EQ(selected_lines(text), (std::vector<int>{1, 2}));
  EXPECT_EQ(v.range_start_row, 1);
  EXPECT_EQ(v.range_row, 3);
  drag_text(text, v, METRICS, 5 * 16);  // two lines at once: nothing more is selected
  EXPECT_EQ(selected_lines(text), (std::vector<int>{1, 2}));
  drag_text(text, v, METRICS, 2 * 16);
  EXPECT_EQ(selected_lines(text), (std::vector<int>{1}));
  EXPECT_EQ(v.range_row, 2);
  MnemonicEffects e = drag_text(text, v, METRICS, 0);  // above the anchor: nothing happens
  EXPECT_FALSE(e.repaint);
  EXPECT_EQ(selected_lines(text), (std::vector<int>{1}));
}

TEST_F(MnemonicEditorTest, ScrollRequestsMoveTheTopLineWithinTheRange) {
  struct Case {
    ScrollRequest request;
    int thumb, top, want_top;
  } cases[] = {
      {ScrollRequest::LINE_DOWN, 0, 0, 1},  {ScrollRequest::LINE_UP, 0, 0, 0},
      {ScrollRequest::LINE_UP, 0, 3, 2},    {ScrollRequest::PAGE_DOWN, 0, 0, 4},
      {ScrollRequest::PAGE_DOWN, 0, 20, 20}, {ScrollRequest::PAGE_UP, 0, 5, 1},
      {ScrollRequest::THUMB, 7, 2, 7},      {ScrollRequest::TOP, 0, 9, 0},
      {ScrollRequest::BOTTOM, 0, 3, 20},    {ScrollRequest::OTHER, 0, 3, 3},
  };
  for (const Case& c : cases) {
    MnemonicView v = view_at(0, 0);
    v.scroll_max = 20;
    v.top_row = c.top;
    scroll_text(v, METRICS, c.request, c.thumb, 4 * 16 + 3);
    EXPECT_EQ(v.top_row, c.want_top) << static_cast<int>(c.request) << " from " << c.top;
  }
}

TEST_F(MnemonicEditorTest, LayoutCountsVisibleLinesColumnsAndTheScrollRange) {
  MnemonicText text = make_text(Lines(30, "LD X0"));
  MnemonicView v = view_at(0, 0);
  v.top_row = 40;
  lay_out_text(text, v, METRICS, 8 * 50 + 3, 16 * 10 + 7);
  EXPECT_EQ(v.visible_cols, 50);
  EXPECT_EQ(v.visible_rows, 10);
  EXPECT_EQ(v.scroll_max, 30 + 2 - 10);
  EXPECT_EQ(v.top_row, 22);
  lay_out_text(text, v, TextMetrics{0, 0}, 0, 0);  // no metrics yet: nothing divides by zero
  EXPECT_EQ(v.visible_rows, 1);
}

// ---- comments -------------------------------------------------------------------------------

TEST_F(MnemonicEditorTest, CommentColumnFollowsTheStatementLength) {
  const int cases[][2] = {{0, 24}, {24, 24}, {25, 32}, {32, 32}, {33, 40}, {40, 40}, {41, 48}};
  for (const auto& c : cases) EXPECT_EQ(comment_column(c[0]), c[1]) << c[0];
}

TEST_F(MnemonicEditorTest, CommentWriteClickPreparesTheLineAndHandsOverItsComment) {
  struct Case {
    std::string line;
    bool handled;
    std::string after;
    std::string comment;
    int caret;
  } cases[] = {
      {"\\ CPU pic16F84 CODE 6", false, "\\ CPU pic16F84 CODE 6", "", 3},
      {"  ;whole line", true, "  ;whole line", "whole line", 3},
      {"", true, ";", "", 0},
      {"LD      X00", true, "LD      X00" + std::string(13, ' ') + "; ", "", 25},
      {std::string(25, 'A'), true, std::string(25, 'A') + "       ; ", "", 33},
      {"LD      X00 ; pump", true, "LD      X00 ; pump", "pump", 14},
  };
  for (const Case& c : cases) {
    MnemonicText text = make_text({c.line, "END"});
    MnemonicView v = view_at(0, 3);
    g_comment_edit_text = "old";
    bool handled = false;
    MnemonicEffects e = comment_write_click(text, v, handled);
    EXPECT_EQ(handled, c.handled) << c.line;
    EXPECT_EQ(text_statements(text)[0], c.after) << c.line;
    EXPECT_EQ(v.cursor_col, c.caret) << c.line;
    if (c.handled) {
      EXPECT_EQ(g_comment_edit_text, c.comment) << c.line;
      EXPECT_EQ(v.sel_row, 0);
      EXPECT_EQ(v.sel_width, 1);
      EXPECT_TRUE(e.broadcast);
    } else {
      EXPECT_EQ(g_comment_edit_text, "old");
    }
  }
}

// ---- clipboard ------------------------------------------------------------------------------

TEST_F(MnemonicEditorTest, CopiedLinesEndInALineFeedAloneAndPasteAboveTheCaret) {
  Lines lines;
  for (int i = 0; i < 14; ++i) lines.push_back("L" + std::to_string(i));
  MnemonicText text = make_text(lines, 4);
  MnemonicView v = view_at(3, 0);
  press_key(text, v, MnemonicKey::DOWN, true);
  press_key(text, v, MnemonicKey::DOWN, true);
  std::string clip;
  MnemonicEffects e = copy_lines(text, v, clip);
  EXPECT_EQ(clip, "L3\nL4\n");
  EXPECT_EQ(std::string(fixed_text(g_line_clipboard[0])), "L3\n");
  EXPECT_EQ(std::string(fixed_text(g_line_clipboard[2])), LINE_CLIPBOARD_END);
  EXPECT_EQ(g_clip_valid, 1);
  EXPECT_TRUE(selected_lines(text).empty());
  EXPECT_FALSE(e.changed);

  v.cursor_row = 10;
  e = paste_text(text, v, clip);
  Lines want = lines;
  want.insert(want.begin() + 10, {"L3", "L4"});
  EXPECT_EQ(text_statements(text), want);
  EXPECT_EQ(v.cursor_row, 12);
  EXPECT_TRUE(e.push_undo);
  EXPECT_TRUE(e.lay_out);
  EXPECT_EQ(v.sel_row, 10);
  // No room for two more lines: as many as fit go in.
  v.cursor_row = 0;
  paste_text(text, v, "A\nB\nC\n");
  EXPECT_EQ(count_text_lines(text), 18);
}

TEST_F(MnemonicEditorTest, ClipboardTextIsCutIntoLinesAtItsLineFeeds) {
  struct Case {
    std::string clip;
    Lines lines;
  } cases[] = {
      {"LD X0\r\nOUT Y0\r\n", {"LD X0 ", "OUT Y0 "}},
      {"A\nB", {"A"}},
      {"no line feed", {}},
      {"", {}},
      {std::string("A\n\0B\n", 5), {"A"}},
      {"\n\n", {"", ""}},
  };
  for (const Case& c : cases) EXPECT_EQ(clipboard_text_lines(c.clip), c.lines) << c.clip;
}

TEST_F(MnemonicEditorTest, PasteWithoutLinesInsertsNothingButStillSnapshots) {
  MnemonicText text = make_text({"A", "B"});
  MnemonicView v = view_at(1, 0);
  MnemonicEffects e = paste_text(text, v, "text without a line end");
  EXPECT_EQ(text_statements(text), (Lines{"A", "B"}));
  EXPECT_TRUE(e.push_undo);
  EXPECT_TRUE(e.repaint);
  EXPECT_NE(e.status_text, nullptr);
}

TEST_F(MnemonicEditorTest, CutAndDeleteRemoveTheSelectedLines) {
  MnemonicText text = make_text({"L0", "L1", "L2", "L3"});
  MnemonicView v = view_at(1, 0);
  press_key(text, v, MnemonicKey::DOWN, true);
  std::string clip;
  MnemonicEffects e = cut_lines(text, v, clip);
  EXPECT_EQ(clip, "L1\n");
  EXPECT_EQ(text_statements(text), (Lines{"L0", "L2", "L3"}));
  EXPECT_EQ(v.cursor_row, 1);
  EXPECT_EQ(v.scroll_max, 4);
  EXPECT_TRUE(e.push_undo);
  EXPECT_TRUE(e.scroll_range);

  // Shift+Down stops before the last line: only L2 is selected.
  press_key(text, v, MnemonicKey::DOWN, true);
  press_key(text, v, MnemonicKey::DOWN, true);
  delete_lines(text, v);
  EXPECT_EQ(text_statements(text), (Lines{"L0", "L3"}));
  // Without a selection nothing happens.
  e = delete_lines(text, v);
  EXPECT_FALSE(e.changed);
  EXPECT_EQ(text_statements(text), (Lines{"L0", "L3"}));
}

TEST_F(MnemonicEditorTest, ACopiedCommentPastesAtTheCommentColumn) {
  MnemonicText text = make_text({"LD X00 ; pump", "OUT Y01", "END"});
  MnemonicView v = view_at(0, 0);
  press_key(text, v, MnemonicKey::DOWN, true);
  copy_comment(text, v);
  EXPECT_EQ(v.comment_copied, 1);
  EXPECT_TRUE(selected_lines(text).empty());
  EXPECT_EQ(std::string(fixed_text(g_line_clipboard[0])), "; pump\n");
  v.cursor_row = 1;
  paste_text(text, v, "IGNORED\n");
  EXPECT_EQ(text_statements(text)[1], "OUT Y01" + std::string(17, ' ') + "; pump");
  EXPECT_EQ(count_text_lines(text), 3);
  // A line copy brings line pastes back.
  press_key(text, v, MnemonicKey::DOWN, true);
  std::string clip;
  copy_lines(text, v, clip);
  EXPECT_EQ(v.comment_copied, 0);
}

// ---- painting -------------------------------------------------------------------------------

TEST_F(MnemonicEditorTest, PaintingDrawsTextCommentsSelectionAndHighlight) {
  MnemonicText text = make_text({"LD X00 ; pump", "\\ CPU x", "OUT Y00", "\x95\x5C;a", "END"});
  MnemonicView v = view_at(0, 0);
  text[2].selected = 1;
  v.sel_row = 4;
  v.sel_col = 1;
  v.sel_width = 2;
  std::vector<TextRun> runs = paint_text(text, v, METRICS, 0, 160);
  struct Want {
    int x, y;
    std::string text;
    uint32_t colour, background;
  };
  const Want want[] = {
      {0, 0, "LD X00 ; pump", TEXT_COLOUR_NORMAL, TEXT_COLOUR_BACKGROUND},
      {8 * 8, 0, " pump", TEXT_COLOUR_COMMENT, TEXT_COLOUR_BACKGROUND},
      {0, 16, "\\ CPU x", TEXT_COLOUR_NORMAL, TEXT_COLOUR_BACKGROUND},
      {8, 16, " CPU x", TEXT_COLOUR_COMMENT, TEXT_COLOUR_BACKGROUND},
      {0, 32, "OUT Y00", TEXT_COLOUR_WHITE, TEXT_COLOUR_BLACK},
      // The trail byte 0x5C of the double-byte character is no backslash.
      {0, 48, "\x95\x5C;a", TEXT_COLOUR_NORMAL, TEXT_COLOUR_BACKGROUND},
      {3 * 8, 48, "a", TEXT_COLOUR_COMMENT, TEXT_COLOUR_BACKGROUND},
      {0, 64, "END", TEXT_COLOUR_NORMAL, TEXT_COLOUR_BACKGROUND},
      {8, 64, "ND", TEXT_COLOUR_WHITE, TEXT_COLOUR_BLACK},
  };
  ASSERT_EQ(runs.size(), std::size(want));
  for (size_t i = 0; i < runs.size(); ++i) {
    EXPECT_EQ(runs[i].x, want[i].x) << i;
    EXPECT_EQ(runs[i].y, want[i].y) << i;
    EXPECT_EQ(runs[i].text, want[i].text) << i;
    EXPECT_EQ(runs[i].colour, want[i].colour) << i;
    EXPECT_EQ(runs[i].background, want[i].background) << i;
  }
}

TEST_F(MnemonicEditorTest, PaintingCoversOnlyTheInvalidRowsAndTheVisibleColumns) {
  MnemonicText text = make_text(Lines(40, "LD      X00 ; a comment"));
  MnemonicView v = view_at(0, 0);
  v.top_row = 10;
  v.visible_cols = 6;
  std::vector<TextRun> runs = paint_text(text, v, METRICS, 32, 63);
  ASSERT_EQ(runs.size(), 2u);  // lines 12 and 13, their comments out of sight
  EXPECT_EQ(runs[0].y, 32);
  EXPECT_EQ(runs[0].text, "LD    ");
  EXPECT_EQ(runs[1].y, 48);
  // Painting stops at the end line.
  v.top_row = 38;
  v.visible_cols = 80;
  runs = paint_text(text, v, METRICS, 0, 1000);
  EXPECT_EQ(runs.size(), 4u);
}

}  // namespace

namespace {

// ---- selections that went back over their anchor ----------------------------------------------

TEST_F(MnemonicEditorTest, DeletingASelectionNeverPutsTheCaretAboveTheText) {
  // Line 0 selected, the caret moved back onto it with Shift+Up: the delete leaves the
  // caret on line 0, not on line -1.
  MnemonicText text = make_text({"L0", "L1", "L2"});
  MnemonicView v = view_at(0, 0);
  press_key(text, v, MnemonicKey::DOWN, true);
  press_key(text, v, MnemonicKey::UP, true);
  ASSERT_EQ(v.cursor_row, 0);
  delete_at_caret(text, v);
  EXPECT_EQ(text_statements(text), (Lines{"L1", "L2"}));
  EXPECT_EQ(v.cursor_row, 0);
  type_character(text, v, "X");
  EXPECT_EQ(text_statements(text), (Lines{"XL1", "L2"}));
}

TEST_F(MnemonicEditorTest, AnUnselectedAnchorDeletesNothing) {
  MnemonicText text = make_text({"L0", "L1", "L2", "L3"});
  MnemonicView v = view_at(2, 0);
  press_key(text, v, MnemonicKey::DOWN, true);  // anchor 2
  press_key(text, v, MnemonicKey::UP, true);    // line 3 left: nothing selected changes
  press_key(text, v, MnemonicKey::UP, true);    // line 2 loses its flag; range still on
  press_key(text, v, MnemonicKey::DOWN, true);  // line 1 flagged, the anchor stays 2
  delete_at_caret(text, v);
  EXPECT_EQ(text_statements(text), (Lines{"L0", "L1", "L2", "L3"}));
}

TEST_F(MnemonicEditorTest, DeletingEveryLineLeavesOneEmptyLineToTypeOn) {
  MnemonicText text = make_text({"L0", "L1", "L2"});
  MnemonicView v = view_at(0, 0);
  g_mnemonic_drag_enabled = 1;
  click_text(text, v, METRICS, 0, 0, false);
  drag_text(text, v, METRICS, 16);
  drag_text(text, v, METRICS, 32);
  v.range_row = 2;
  text[2].selected = 1;  // a drag reaches the last line too
  delete_at_caret(text, v);
  EXPECT_EQ(text_statements(text), (Lines{""}));
  EXPECT_EQ(v.cursor_row, 0);
  type_character(text, v, "A");
  EXPECT_EQ(text_statements(text), (Lines{"A"}));
  EXPECT_TRUE(is_end_line(text[1]));
}

}  // namespace

namespace {

TEST_F(MnemonicEditorTest, OnlyWholeCharactersAreTyped) {
  struct Case {
    std::string typed;
    std::string line;
  } cases[] = {
      {std::string("\x95\x5C", 2), "A\x95\x5C"},  // lead and trail byte
      {std::string("\x95", 1), "A"},              // a lead byte alone
      {std::string("\x95\x0A", 2), "A"},          // a lead byte before a line feed
      {std::string("\x03\x00", 2), "A"},          // a control code, whatever follows it
      {std::string("B\x00", 2), "AB"},            // one byte, the rest is not looked at
      {std::string("\xB1", 1), "A\xB1"},          // a half-width katakana is one byte
  };
  for (const Case& c : cases) {
    MnemonicText text = make_text({"A"});
    MnemonicView v = view_at(0, 1);
    type_character(text, v, c.typed);
    EXPECT_EQ(text_statements(text)[0], c.line);
    EXPECT_EQ(v.cursor_col, static_cast<int>(c.line.size()));
  }
}

}  // namespace

namespace {

TEST_F(MnemonicEditorTest, TheLastCaretLineIsTheLineBeforeTheEndLine) {
  const std::vector<Lines> texts = {
      {"A", "B", "0FFFF0 0FFFF0"},      {"A", "  0FFFF0", "B"},  {"A", "\t0FFFF0 x", "B"},
      {"0FFFF0x", "0", "0FFFF0"},       {"0FFFF0"},             {"A", "00FFFF0", "B", " \r0FFFF0"},
  };
  for (const Lines& lines : texts) {
    MnemonicText text = make_mnemonic_text(8);
    for (size_t i = 0; i < lines.size(); ++i) set_line_statement(text[i], lines[i]);
    set_end_line(text[lines.size()]);
    EXPECT_EQ(last_caret_line(text), std::max(0, count_text_lines(text) - 1)) << lines[0] << " " << lines.size();
  }
}

}  // namespace

// The text ends at its first end line ("0FFFF0" as the first word): no edit may make a
// line of the text into one, or a save would drop every line below it.
TEST_F(MnemonicEditorTest, NoEditTurnsATextLineIntoTheEndLine) {
  struct Case {
    const char* what;
    Lines lines;
    int row, col;
    std::function<void(MnemonicText&, MnemonicView&)> edit;
    Lines want;
  } cases[] = {
      {"typing the last character of the word", {"L0", "0FFFF", "L2", "L3", "END"}, 1, 5,
       [](MnemonicText& t, MnemonicView& v) { type_character(t, v, "0"); },
       {"L0", "0FFFF", "L2", "L3", "END"}},
      {"typing a blank after the word", {"L0", "0FFFF0X", "L2", "L3", "END"}, 1, 6,
       [](MnemonicText& t, MnemonicView& v) { type_character(t, v, " "); },
       {"L0", "0FFFF0X", "L2", "L3", "END"}},
      {"a tab after the word", {"L0", "0FFFF0X", "L2", "L3", "END"}, 1, 6,
       [](MnemonicText& t, MnemonicView& v) { type_character(t, v, "\t"); },
       {"L0", "0FFFF0X", "L2", "L3", "END"}},
      {"deleting what follows the word", {"L0", "0FFFF0X", "L2", "L3", "END"}, 1, 6,
       [](MnemonicText& t, MnemonicView& v) { press_key(t, v, MnemonicKey::DEL, false); },
       {"L0", "0FFFF0X", "L2", "L3", "END"}},
      {"backspace before the word", {"L0", "X0FFFF0", "L2", "L3", "END"}, 1, 1,
       [](MnemonicText& t, MnemonicView& v) { type_character(t, v, "\b"); },
       {"L0", "X0FFFF0", "L2", "L3", "END"}},
      {"joining two halves of the word", {"L0", "0FFFF", "0", "L3", "END"}, 1, 5,
       [](MnemonicText& t, MnemonicView& v) { press_key(t, v, MnemonicKey::DEL, false); },
       {"L0", "0FFFF", "0", "L3", "END"}},
      {"splitting before the word", {"L0", "LD 0FFFF0", "L2", "L3", "END"}, 1, 3,
       [](MnemonicText& t, MnemonicView& v) { split_line(t, v); },
       {"L0", "LD 0FFFF0", "L2", "L3", "END"}},
      {"pasting a whole file with its end line", {"L0", "L1", "L2", "L3", "END"}, 2, 0,
       [](MnemonicText& t, MnemonicView& v) { paste_text(t, v, "LD X9\r\n0FFFF0 0FFFF0\r\n"); },
       {"L0", "L1", "LD X9 ", "L2", "L3", "END"}},
      {"pasting an indented end word", {"L0", "L1", "L2", "L3", "END"}, 2, 0,
       [](MnemonicText& t, MnemonicView& v) { paste_text(t, v, "\t0FFFF0\nA\n"); },
       {"L0", "L1", "A", "L2", "L3", "END"}},
  };
  for (const Case& c : cases) {
    MnemonicText text = make_text(c.lines, 4);
    MnemonicView v = view_at(c.row, c.col);
    c.edit(text, v);
    EXPECT_EQ(text_statements(text), c.want) << c.what;
    EXPECT_LT(v.cursor_row, count_text_lines(text)) << c.what;
  }
}

// A lead byte left alone at a line's end takes the first byte of a joined line as its
// trail byte: the caret that stood after it now stands at the start of that character.
TEST_F(MnemonicEditorTest, AJoinThatMakesADoubleByteCharacterKeepsTheCaretOnABoundary) {
  for (bool backspace : {false, true}) {
    MnemonicText text = make_text({"L0", "\xF5", "E", "L3"});
    MnemonicView v = backspace ? view_at(2, 0) : view_at(1, 1);
    if (backspace)
      type_character(text, v, "\b");
    else
      press_key(text, v, MnemonicKey::DEL, false);
    ASSERT_EQ(text_statements(text), (Lines{"L0", "\xF5" "E", "L3"}));
    EXPECT_EQ(v.cursor_row, 1);
    EXPECT_EQ(v.cursor_col, limit_caret_column(text[1], v.cursor_col)) << backspace;
  }
}
