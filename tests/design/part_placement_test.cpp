// Part placement: tool clicks and function keys on ladders written as text, each case one
// rule; the refusals leave the grid as it was.
#include "design/part_placement.h"

#include <gtest/gtest.h>

#include <cstring>

#include "core/instruction_tables.h"
#include "edit_screen.h"

namespace {

using edit_test::rows_of;
using edit_test::Screen;

struct ToolCase {
  const char* what;
  std::vector<std::string> before;
  int tool;
  int row, col;
  std::vector<std::string> after;  // empty: refused, the grid stays as it was
};

TEST(PartPlacement, ToolClicks) {
  const ToolCase cases[] = {
      {"OUT in column 3 draws lines to column 10", rows_of({"X0"}), DesignToolId::OUT, 0, 3,
       rows_of({"X0 . . - - - - - - - - (?)", "END"})},
      {"OUT in column 10 turns column 10 into a line", rows_of({"X0"}), DesignToolId::OUT, 0, 10,
       rows_of({"X0 . . . . . . . . . - (?)", "END"})},
      {"OUT in column 10 on a part is refused", rows_of({"X0 .9 X1"}), DesignToolId::OUT, 0, 10, {}},
      {"OUT whose lines would cross a link is refused", rows_of({"X1", "X0 . . . . ^"}), DesignToolId::OUT, 1, 3, {}},
      {"OUT over a box turns its cells into lines", rows_of({"X0 ~ [MOV D0 D1]"}), DesignToolId::OUT, 0, 11,
       rows_of({"X0 - - - - - - - - - - (?)", "END"})},
      {"OUT over a box keeps the comparison left of it", rows_of({"X0 - - - - - {= D0 D1} [MOV D0 D1]"}),
       DesignToolId::OUT, 0, 11, rows_of({"X0 - - - - - {= D0 D1} - - (?)", "END"})},
      {"OUT over a timer turns its coil cell into a line", rows_of({"X0 ~ (T0 K10)"}), DesignToolId::OUT, 0, 11,
       rows_of({"X0 - - - - - - - - - - (?)", "END"})},
      {"OUT at column 10 over a link below column 11 is refused", rows_of({"X0", "X1 ~ ^(Y1)"}), DesignToolId::OUT,
       0, 10, {}},
      {"OUT from a contact column beside a link below column 11", rows_of({"X0", "X1 ~ ^(Y1)"}), DesignToolId::OUT,
       0, 1, rows_of({"X0 - - - - - - - - - - (?)", "X1 - - - - - - - - - - ^(Y1)", "END"})},
      {"TIM from a contact column over a link below column 11 is refused", rows_of({"X0", "X1 ~ ^(Y1)"}),
       DesignToolId::TIM, 0, 1, {}},
      {"TIM in column 3 draws lines to column 9", rows_of({"X0"}), DesignToolId::TIM, 0, 3,
       rows_of({"X0 . . - - - - - - - (T?)", "END"})},
      {"TIM at column 10 over a link below column 11 is refused", rows_of({"X0", "X1 ~ ^(Y1)"}), DesignToolId::TIM,
       0, 10, {}},
      {"CNT over an OUT", rows_of({"X0 ~ (Y0)"}), DesignToolId::CNT, 0, 11,
       rows_of({"X0 - - - - - - - - - (C?)", "END"})},
      {"an output on the END row is refused", rows_of({"X0 ~ (Y0)"}), DesignToolId::OUT, 1, 11, {}},
      {"a relay a-contact on an empty cell", rows_of({"X0 ~ (Y0)", ""}), DesignToolId::RELAY_A, 1, 2,
       rows_of({"X0 - - - - - - - - - - (Y0)", ". . ?", "END"})},
      {"a relay b-contact over a contact keeps its operand", rows_of({"X0 ~ (Y0)"}), DesignToolId::RELAY_B, 0, 0,
       rows_of({"/X0 - - - - - - - - - - (Y0)", "END"})},
      {"a contact in column 11 is refused", rows_of({"X0 ~ (Y0)"}), DesignToolId::RELAY_A, 0, 11, {}},
      {"a contact on a box cell is refused", rows_of({"X0 ~ [MOV D0 D1]"}), DesignToolId::RELAY_A, 0, 10, {}},
      {"a contact on a comparison clears its operand cells", rows_of({"X0 {= D0 D1} - - - - - - - (Y0)"}),
       DesignToolId::RELAY_A, 0, 1, rows_of({"X0 D0 . . - - - - - - - (Y0)", "END"})},
  };
  for (const ToolCase& c : cases) {
    SCOPED_TRACE(c.what);
    Screen s(c.before);
    const auto before = s.text();
    s.use_tool(c.tool);
    const EditEffects e = s.click(c.row, c.col);
    if (c.after.empty()) {
      EXPECT_EQ(s.text(), before);
      EXPECT_FALSE(e.changed);
      EXPECT_FALSE(e.sync.has_value());
    } else {
      EXPECT_EQ(s.text(), c.after);
      EXPECT_TRUE(e.changed);
      ASSERT_TRUE(e.sync.has_value());
      EXPECT_EQ(e.sync->row, c.row);
      EXPECT_FALSE(e.invalidate.empty());
    }
  }
}

TEST(PartPlacement, ShiftPlacesTheAlwaysOnAndAlwaysOffRelays) {
  Screen s(rows_of({"X5 ~ (Y0)"}));
  s.use_tool(DesignToolId::RELAY_A);
  s.modes().shift = true;
  EXPECT_TRUE(s.click(0, 0).changed);
  const LadderRow& row = s.grid[0];
  EXPECT_EQ(row.cell[0].word[0], 0x880F8u);
  EXPECT_EQ(row.cell[0].word[1], 0x2000234Cu);  // M9036
  EXPECT_STREQ(row.text[0], "常時オン\nリレー");

  s.use_tool(DesignToolId::RELAY_B);
  s.modes().shift = true;
  s.grid[0].cell[0].word[0] |= CellFlags::LINK_UP;
  s.click(0, 0);
  EXPECT_EQ(row.cell[0].word[0], 0x88018u | CellFlags::LINK_UP);
  EXPECT_EQ(row.cell[0].word[1], 0x2000234Du);  // M9037
  EXPECT_STREQ(row.text[0], "常時オフ\nリレー");
}

TEST(PartPlacement, TimerCellsAreWrittenWholeAndKeepTheirLinks) {
  Screen s(rows_of({"X0", "X1 ~ (Y1)"}));
  s.grid[0].cell[10].word[0] = CellFlags::LINK_UP;
  s.use_tool(DesignToolId::TIM);
  s.click(0, 11);
  const LadderRow& row = s.grid[0];
  EXPECT_EQ(row.cell[10].word[0], 0x20008u | CellFlags::LINK_UP);
  EXPECT_EQ(row.cell[11].word[0], 0x14088u);
  EXPECT_EQ(row.cell[11].word[1], 0x40000000u);  // T0
  EXPECT_EQ(row.cell[12].word[0], static_cast<uint32_t>(Instr::TIM));
  EXPECT_EQ(s.view.box_start_col, 10);
}

TEST(PartPlacement, IgnoredClicksChangeNothing) {
  struct Case {
    const char* what;
    int row, col;
  };
  const Case cases[] = {{"the row after END", 4, 2}, {"a comment row", 1, 2}, {"far below the program", 20, 2}};
  Screen s(rows_of({"X0 ~ (Y0)", "; a comment", "X1 ~ (Y1)"}));
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const auto before = s.text();
    s.use_tool(DesignToolId::RELAY_A);
    s.select(0, 4);
    const EditEffects e = s.click(c.row, c.col);
    EXPECT_EQ(s.text(), before);
    EXPECT_FALSE(e.changed);
    EXPECT_EQ(s.view.sel_col, 4) << "the drawn span stays";
  }
}

TEST(PartPlacement, AClickClearsTheDeviceHighlightAndDropsTheMarker) {
  Screen s(rows_of({"X0"}));
  s.highlight = 1;
  s.view.hit_rows[0] = 0;
  s.view.marker_on = 1;
  s.use_tool(DesignToolId::RELAY_A);
  const EditEffects e = s.click(0, 3);
  EXPECT_EQ(s.highlight, 0);
  EXPECT_EQ(s.view.hit_rows[0], HIT_LIST_END);
  EXPECT_TRUE(e.invalidate_all);
  EXPECT_TRUE(e.sync_hits);
  EXPECT_EQ(s.view.marker_on, 0);
  EXPECT_EQ(g_click_x, s.x_of(3));
  EXPECT_EQ(g_click_y, s.y_of(0));
}

TEST(PartPlacement, ClicksInOtherModesAreHandedOver) {
  struct Case {
    const char* what;
    void (*set)(DesignModes&);
    RowEditHandoff handoff;
    DesignDialog dialog;
  };
  const Case cases[] = {
      {"range select", [](DesignModes& m) { m.range_mode = true, m.tool = DesignToolId::RANGE; },
       RowEditHandoff::RANGE_SELECT, DesignDialog::NONE},
      {"range paste",
       [](DesignModes& m) { m.range_mode = true, m.tool = DesignToolId::RANGE, m.range_submode = RANGE_SUBMODE_PASTE; },
       RowEditHandoff::RANGE_PASTE, DesignDialog::NONE},
      {"blank line", [](DesignModes& m) { m.blank_mode = true, m.tool = DesignToolId::BLANK_LINE; },
       RowEditHandoff::BLANK_LINE, DesignDialog::NONE},
      {"function picker", [](DesignModes& m) { m.tool = DesignToolId::FUNCTION; }, RowEditHandoff::NONE,
       DesignDialog::FUNCTION},
      {"number entry", [](DesignModes& m) { m.number_mode = true, m.tool = DesignToolId::NUMBER; },
       RowEditHandoff::NONE, DesignDialog::NUMBER},
      {"comment", [](DesignModes& m) { m.comment_mode = true; }, RowEditHandoff::NONE, DesignDialog::COMMENT},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Screen s(rows_of({"X0 ~ (Y0)"}));
    s.modes() = DesignModes{};
    c.set(s.modes());
    const auto before = s.text();
    const EditEffects e = s.click(0, 0);
    EXPECT_EQ(e.handoff, c.handoff);
    EXPECT_EQ(e.dialog.dialog, c.dialog);
    EXPECT_EQ(s.text(), before);
  }
}

TEST(PartPlacement, NumberModeFeedsTheCellTextOrTheLabel) {
  Screen s(rows_of({"P5: X1F ~ (Y0)", "X2 ~ (Y1)"}));
  s.modes().number_mode = true;
  s.modes().tool = DesignToolId::NUMBER;
  EditEffects e = s.click(0, 0);
  EXPECT_TRUE(e.dialog.create);
  EXPECT_EQ(e.dialog.text, "X1F");
  e = s.click(0, LABEL_COLUMN);
  EXPECT_EQ(e.dialog.text, "P5");
  // A plain line is no part: the click is ignored.
  e = s.click(0, 4);
  EXPECT_EQ(e.dialog.dialog, DesignDialog::NONE);
  // The empty number is stored at once.
  s.modes().number_entry_mode = 4;
  e = s.click(1, 0);
  EXPECT_TRUE(e.dialog.set_text);
  EXPECT_EQ(e.dialog.text, "");
  EXPECT_TRUE(e.dialog.send_ok);
}

struct KeyCase {
  const char* what;
  std::vector<std::string> before;
  int row, col;  // the cell selected first
  int command;
  std::vector<std::string> after;  // empty: nothing changes
  bool walks_right;                // the window sends itself Right afterwards
};

TEST(PartPlacement, FunctionKeys) {
  const KeyCase cases[] = {
      {"F7 in column 3 draws lines and the OUT", rows_of({"X0"}), 0, 3, 1095,
       rows_of({"X0 . . - - - - - - - - (?)", "END"}), false},
      {"F7 in column 10 leaves column 10 alone", rows_of({"X0 .9 X1"}), 0, 10, 1095,
       rows_of({"X0 . . . . . . . . . X1 (?)", "END"}), false},
      {"F7 at column 11 over a link below column 11 is refused", rows_of({"X0", "X1 ~ ^(Y1)"}), 0, 11, 1095, {},
       false},
      {"F7 from a contact column beside a link below column 11", rows_of({"X0", "X1 ~ ^(Y1)"}), 0, 1, 1095,
       rows_of({"X0 - - - - - - - - - - (?)", "X1 - - - - - - - - - - ^(Y1)", "END"}), false},
      {"F8 from a contact column over a link below column 11 is refused", rows_of({"X0", "X1 ~ ^(Y1)"}), 0, 1, 1096,
       {}, false},
      {"F8 in column 11 puts the timer in columns 10 and 11", rows_of({"X0 ~ (Y0)"}), 0, 11, 1096,
       rows_of({"X0 - - - - - - - - - (T?)", "END"}), false},
      {"F1 on a limit switch on X5 removes X5", rows_of({"X5#3 ~ (Y0)"}), 0, 0, 1089,
       rows_of({"? - - - - - - - - - - (Y0)", "END"}), false},
      {"F3 on the same cell keeps X5", rows_of({"X5#3 ~ (Y0)"}), 0, 0, 1091,
       rows_of({"X5#3 - - - - - - - - - - (Y0)", "END"}), false},
      {"F3 on a relay M5 removes M5", rows_of({"M5 ~ (Y0)"}), 0, 0, 1091,
       rows_of({"?#3 - - - - - - - - - - (Y0)", "END"}), false},
      {"F2 on a relay M5 keeps M5", rows_of({"M5 ~ (Y0)"}), 0, 0, 1090,
       rows_of({"/M5 - - - - - - - - - - (Y0)", "END"}), false},
      {"F11 in column 9 draws a line and walks on", rows_of({"X0"}), 0, 9, 1099,
       rows_of({"X0 . . . . . . . . -", "END"}), true},
      {"F11 in column 10 draws a line and stays", rows_of({"X0"}), 0, 10, 1099,
       rows_of({"X0 . . . . . . . . . -", "END"}), false},
      {"F12 erases a contact and walks on", rows_of({"X0 X1 ~ (Y0)"}), 0, 1, 1100,
       rows_of({"X0 . - - - - - - - - - (Y0)", "END"}), true},
      {"F12 on a timer clears cells 10 to 12", rows_of({"X0 ~ (T0 K10)"}), 0, 11, 1100,
       rows_of({"X0 - - - - - - - - -", "END"}), true},
      {"F12 on a box clears the whole box", rows_of({"X0 ~ [MOV D0 D1]"}), 0, 9, 1100,
       rows_of({"X0 - - - - - - - -", "END"}), true},
      {"F12 on the END row is refused", rows_of({"X0 ~ (Y0)"}), 1, 11, 1100, {}, false},
      {"Shift+F11 links the cell up", rows_of({"X0 ~ (Y0)", "X1"}), 1, 2, 1231,
       rows_of({"X0 - - - - - - - - - - (Y0)", "X1 . ^", "END"}), false},
      {"Shift+F11 in row 0 does nothing", rows_of({"X0 ~ (Y0)"}), 0, 2, 1231, {}, false},
      {"F1 on a box cell does nothing", rows_of({"X0 ~ [MOV D0 D1]"}), 0, 9, 1089, {}, false},
  };
  for (const KeyCase& c : cases) {
    SCOPED_TRACE(c.what);
    Screen s(c.before);
    s.select(c.row, c.col);
    // A click on a box puts the cursor on its output cell; the keys act where the cursor is.
    const auto before = s.text();
    const EditEffects e = s.command(c.command);
    EXPECT_TRUE(e.uncheck_function_tool);
    if (c.after.empty()) {
      EXPECT_EQ(s.text(), before);
      EXPECT_FALSE(e.changed);
    } else {
      EXPECT_EQ(s.text(), c.after);
      EXPECT_TRUE(e.changed);
      EXPECT_TRUE(e.sync.has_value());
    }
    EXPECT_EQ(!e.keys.empty(), c.walks_right);
  }
}

TEST(PartPlacement, FunctionKeysNeedASelectionOutsideCommentRows) {
  Screen s(rows_of({"X0 ~ (Y0)", "; a comment"}));
  const auto before = s.text();
  s.view.cursor_row = 0;
  s.view.cursor_col = 3;
  EXPECT_FALSE(s.command(1089).changed) << "nothing drawn as selected";
  s.view.sel_col = 3;
  s.view.cursor_row = 1;
  EXPECT_FALSE(s.command(1089).changed) << "a comment row";
  s.view.cursor_row = 3;
  EXPECT_FALSE(s.command(1089).changed) << "after the END row";
  EXPECT_EQ(s.text(), before);
  EXPECT_TRUE(s.command(1089).uncheck_function_tool);
  EXPECT_FALSE(s.command(1098).handled);
}

TEST(PartPlacement, F12OnTheEndRowSaysWhy) {
  Screen s(rows_of({"X0 ~ (Y0)"}));
  s.select(1, 4);
  const EditEffects e = s.command(1100);
  ASSERT_NE(e.message, nullptr);
  EXPECT_STREQ(e.message, "ＥＮＤ命令の行は消せません！");
  EXPECT_STREQ(e.message_caption, "警告");
}

TEST(PartPlacement, CheckOutputPlacement) {
  struct Case {
    const char* what;
    std::vector<std::string> rows;
    int row, col, code;
    int result, col_after;
  };
  const Case cases[] = {
      {"no check outside columns 10 and 11", rows_of({"X0"}), 0, 5, Instr::TIM, 1, 5},
      {"column 10 moves to 11", rows_of({"X0"}), 0, 10, Instr::TIM, 0, 11},
      {"a box's last cell in column 10", rows_of({"X0"}), 0, 11, Instr::TIM, -1, 11},
      {"an END row above refuses", rows_of({"X0"}), 2, 11, Instr::OUT, -1, 11},
      {"the END row itself passes", rows_of({"X0"}), 1, 11, Instr::OUT, 0, 11},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Screen s(c.rows);
    if (std::strcmp(c.what, "a box's last cell in column 10") == 0) s.grid[0].cell[10].word[0] = 0x408;
    s.view.cursor_row = c.row;
    s.view.cursor_col = c.col;
    EXPECT_EQ(check_output_placement(s.grid, s.view, c.code), c.result);
    EXPECT_EQ(s.view.cursor_col, c.col_after);
  }
}

TEST(PartPlacement, CellAcceptsContact) {
  Screen s(rows_of({"X0 {= D0 D1} ~ [MOV D0 D1]"}));
  EXPECT_EQ(cell_accepts_contact(s.grid, 0, 0), 0);
  EXPECT_EQ(cell_accepts_contact(s.grid, 0, 1), -2);
  EXPECT_EQ(cell_accepts_contact(s.grid, 0, 2), -1);
  EXPECT_EQ(cell_accepts_contact(s.grid, 0, 9), -1);
  EXPECT_EQ(cell_accepts_contact(s.grid, 0, 11), -1);
  EXPECT_EQ(cell_accepts_contact(s.grid, 0, LABEL_COLUMN), -1);
  EXPECT_EQ(cell_accepts_contact(s.grid, 500, 3), 0) << "a row outside the grid reads as empty";
}

}  // namespace
