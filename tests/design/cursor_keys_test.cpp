// The cursor keys, Delete, Space, Backspace, the page keys and the popup menus of the design
// window, on ladders written as text.
#include "design/cursor_keys.h"

#include <gtest/gtest.h>

#include "edit_screen.h"

namespace {

using edit_test::rows_of;
using edit_test::Screen;

// Row 0 a comparison contact in columns 1-3, row 1 a box in columns 9-11, row 2 a timer.
std::vector<std::string> sample() {
  return rows_of({"X0 {= D0 D1} - - - - - - - (Y0)", "X1 ~ [MOV D0 D1]", "X2 ~ (T0 K10)"});
}

TEST(CursorKeys, Moves) {
  struct Case {
    const char* what;
    int row, col;  // selected first
    int key;
    bool comment;
    int row_after, col_after, sel_width;
  };
  const Case cases[] = {
      {"Right onto a comparison", 0, 0, DesignKey::RIGHT, false, 0, 1, 2},
      {"Right over a comparison lands three columns on", 0, 1, DesignKey::RIGHT, false, 0, 4, 0},
      {"Right in column 11 does nothing", 0, 11, DesignKey::RIGHT, false, 0, 11, 0},
      {"Right onto a box shows the whole box", 1, 8, DesignKey::RIGHT, false, 1, 11, 2},
      {"Left from a box goes left of its first cell", 1, 10, DesignKey::LEFT, false, 1, 8, 0},
      {"Left from a timer goes left of its coil cell", 2, 11, DesignKey::LEFT, false, 2, 9, 0},
      {"Left onto a comparison selects it whole", 0, 4, DesignKey::LEFT, false, 0, 1, 2},
      {"Left in column 0 stays", 0, 0, DesignKey::LEFT, false, 0, 0, 0},
      {"Left in column 0 with comment mode goes to the margin", 0, 0, DesignKey::LEFT, true, 0, LABEL_COLUMN, 0},
      {"Left in the margin goes to column 0", 0, LABEL_COLUMN, DesignKey::LEFT, false, 0, 0, 0},
      {"Right from the margin goes to column 0", 0, LABEL_COLUMN, DesignKey::RIGHT, false, 0, 0, 0},
      {"Down moves a row", 0, 0, DesignKey::DOWN, false, 1, 0, 0},
      {"Down on the END row does nothing", 3, 4, DesignKey::DOWN, false, 3, 4, 0},
      {"Up on row 0 does nothing", 0, 4, DesignKey::UP, false, 0, 4, 0},
      {"Up onto a box's middle cell selects the box", 2, 10, DesignKey::UP, false, 1, 11, 2},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Screen s(sample());
    s.select(c.row, c.col);
    s.view.cursor_col = c.col;  // a click on a box puts the cursor on its output cell
    s.modes().comment_mode = c.comment;
    const auto before = s.text();
    const EditEffects e = s.key(c.key);
    EXPECT_TRUE(e.handled);
    EXPECT_FALSE(e.changed);
    EXPECT_EQ(s.text(), before);
    EXPECT_EQ(s.view.cursor_row, c.row_after);
    EXPECT_EQ(s.view.cursor_col, c.col_after);
    if (s.view.sel_col >= 0 && s.view.sel_col != LABEL_COLUMN) {
      EXPECT_EQ(s.view.sel_width, c.sel_width);
    }
  }
}

TEST(CursorKeys, UpAndDownScrollAtTheEdgesOfTheView) {
  std::vector<std::string> rows(30, "X0 ~ (Y0)");
  Screen s(rows, 60);
  s.view.top_row = 5;
  s.select(5, 0);
  EditEffects e = s.key(DesignKey::UP);
  EXPECT_TRUE(e.scrolled);
  EXPECT_EQ(s.view.top_row, 4);
  EXPECT_EQ(s.view.cursor_row, 4);

  s.select(4 + s.view.visible_rows, 0);
  e = s.key(DesignKey::DOWN);
  EXPECT_TRUE(e.scrolled);
  EXPECT_EQ(s.view.top_row, 5);
  EXPECT_EQ(s.view.cursor_row, 5 + s.view.visible_rows);
}

TEST(CursorKeys, ShiftUpAndDownWorkOnTwoWindowsOrTheRange) {
  Screen s(sample());
  s.select(1, 0);
  s.modes().shift = true;
  s.keys.two_visible_windows = 2;
  EditEffects e = s.key(DesignKey::DOWN);
  EXPECT_EQ(e.scroll_pair, 1);
  EXPECT_EQ(s.view.sel_col, NO_SELECTION);

  s.keys.two_visible_windows = 0;
  s.view.range_active = 1;
  s.view.range_start_row = 1;
  s.view.hover_row = 1;
  e = s.key(DesignKey::UP);
  EXPECT_FALSE(e.mouse.has_value()) << "the range cannot shrink above its first row";
  e = s.key(DesignKey::DOWN);
  ASSERT_TRUE(e.mouse.has_value());
  EXPECT_EQ(e.mouse->kind, SelfMouse::DRAG_SHIFT);
  EXPECT_EQ(e.mouse->y, 2 * s.view.row_height + s.view.row_height);
}

TEST(CursorKeys, DeleteClearsTheSpanKeepingLinks) {
  struct Case {
    const char* what;
    std::vector<std::string> before;
    int row, col;
    std::vector<std::string> after;  // empty: refused
  };
  const Case cases[] = {
      {"an OUT coil clears cells 11 to 14", rows_of({"X1 ~ (Y1)", "X0 ~ ^(Y0)"}), 1, 11,
       rows_of({"X1 - - - - - - - - - - (Y1)", "X0 - - - - - - - - - - ^", "END"})},
      {"a box goes whole", rows_of({"X1 ~ [MOV D0 D1]"}), 0, 10, rows_of({"X1 - - - - - - - -", "END"})},
      {"a linked contact keeps its link", rows_of({"X0 ~ (Y0)", "^X1 ~ (Y1)"}), 1, 0,
       rows_of({"X0 - - - - - - - - - - (Y0)", "^ - - - - - - - - - - (Y1)", "END"})},
      {"the END row is refused", rows_of({"X0 ~ (Y0)"}), 1, 11, {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Screen s(c.before);
    s.select(c.row, c.col);
    const auto before = s.text();
    const EditEffects e = s.key(DesignKey::DELETE_KEY);
    if (c.after.empty()) {
      EXPECT_EQ(s.text(), before);
      EXPECT_FALSE(e.changed);
    } else {
      EXPECT_EQ(s.text(), c.after);
      // Delete takes its undo snapshot and tells the other views like every edit.
      EXPECT_TRUE(e.changed);
      ASSERT_TRUE(e.sync.has_value());
      EXPECT_EQ(e.sync->row, c.row);
    }
  }
  Screen s(sample());
  s.select(0, 11);
  EXPECT_EQ(s.grid[0].cell[12].word[0], 15u);
  s.key(DesignKey::DELETE_KEY);
  for (int c = 11; c <= 14; ++c) EXPECT_EQ(s.grid[0].cell[c].word[0] | s.grid[0].cell[c].word[1], 0u) << c;
}

// Each use of X1 the lister was asked about, as list_device_uses would give it.
void list_x1(ConstGridSpan, const char* text, std::span<int32_t> hits) {
  if (std::string(text) != "X1") return;
  hits[0] = 1;                                       // a contact in row 1, column 0
  hits[1] = 4 | 5 << 20;                             // row 4, column 5
  hits[2] = static_cast<int32_t>(0x90000000u | 7 | 2 << 20);  // first operand of a comparison at column 2
  hits[3] = static_cast<int32_t>(0xA0000000u | 7 | 2 << 20);  // its second operand
  hits[4] = 1 << 28 | 9 | 11 << 20;                  // the first of two operands of the output in row 9
  hits[5] = HIT_LIST_END;
}

TEST(CursorKeys, SpaceHighlightsTheUsesOfTheSelectedDevice) {
  Screen s(sample());
  s.keys.list_uses = list_x1;
  s.select(1, 0);
  EditEffects e = s.key(DesignKey::SPACE);
  EXPECT_EQ(s.highlight, 1);
  EXPECT_TRUE(e.invalidate_all);
  EXPECT_TRUE(e.sync_hits);
  const int rows[] = {1, 4, 7, 7, 9};
  const int cols[] = {0, 5, 3, 4, 10};
  for (int i = 0; i < 5; ++i) {
    EXPECT_EQ(s.view.hit_rows[i], rows[i]) << i;
    EXPECT_EQ(s.view.hit_cols[i], cols[i]) << i;
  }
  EXPECT_EQ(s.view.hit_rows[5], HIT_LIST_END);

  // Space again switches it off.
  e = s.key(DesignKey::SPACE);
  EXPECT_EQ(s.highlight, 0);
  EXPECT_EQ(s.view.hit_rows[0], HIT_LIST_END);

  // A line is no part: the highlight stays off.
  s.select(1, 4);
  e = s.key(DesignKey::SPACE);
  EXPECT_EQ(s.highlight, 0);
  EXPECT_FALSE(e.invalidate_all);

  // A selected range is never highlighted; a highlight shown is cleared.
  s.select(1, 0);
  s.key(DesignKey::SPACE);
  s.view.sel_col = SELECTION_WHOLE_ROWS;
  e = s.key(DesignKey::SPACE);
  EXPECT_EQ(s.highlight, 0);
  EXPECT_EQ(s.view.hit_rows[0], HIT_LIST_END);
  EXPECT_TRUE(e.sync_hits);
}

TEST(CursorKeys, HighlightsStopShortOfTheHitArrays) {
  ViewState view{};
  std::vector<int32_t> hits(300, 3);
  hits.back() = HIT_LIST_END;
  hits_to_highlights(hits, view);
  EXPECT_EQ(view.hit_rows[VIEW_HIT_SLOTS - 1], HIT_LIST_END);
  EXPECT_EQ(view.hit_rows[VIEW_HIT_SLOTS - 2], 3);
}

TEST(CursorKeys, BackspaceInBlankLineModeClosesTheEmptyRowAbove) {
  Screen s(rows_of({"X0 ~ (Y0)", "", "X1 ~ (Y1)"}));
  s.select(2, 3);
  s.modes().blank_mode = true;
  EditEffects e = s.key(DesignKey::BACK);
  ASSERT_TRUE(e.mouse.has_value());
  EXPECT_EQ(e.mouse->kind, SelfMouse::LEFT_CLICK);
  EXPECT_EQ(e.mouse->x, s.view.left_rail_x + 3 * s.view.cell_width);
  EXPECT_EQ(e.mouse->y, 2 * s.view.row_height + s.view.top_margin);
  EXPECT_EQ(e.rows_after_mouse, -1);
  EXPECT_EQ(e.blank_submode, BLANK_SUBMODE_CLOSE);

  // Under a row that holds something, or outside the mode, nothing happens.
  s.modes().blank_mode = false;
  s.select(1, 3);
  s.modes().blank_mode = true;
  EXPECT_FALSE(s.key(DesignKey::BACK).mouse.has_value());
  s.modes().blank_mode = false;
  s.select(2, 3);
  EXPECT_FALSE(s.key(DesignKey::BACK).mouse.has_value());
}

TEST(CursorKeys, PageKeysMoveEightRowsWithinTheScrollRange) {
  std::vector<std::string> rows(40, "X0 ~ (Y0)");
  Screen s(rows, 80);
  ASSERT_GT(s.view.scroll_max, 20);
  EditEffects e = design_page_command(s.grid, s.view, 710);
  EXPECT_EQ(s.view.top_row, 8);
  EXPECT_TRUE(e.scrolled);
  s.view.top_row = s.view.scroll_max - 3;
  design_page_command(s.grid, s.view, 710);
  EXPECT_LE(s.view.top_row, s.view.scroll_max) << "never past the scroll range";
  s.view.top_row = 35;  // the END row (40) is on the page
  e = design_page_command(s.grid, s.view, 710);
  EXPECT_EQ(s.view.top_row, 35);
  EXPECT_FALSE(e.scrolled);
  s.view.top_row = 5;
  design_page_command(s.grid, s.view, 709);
  EXPECT_EQ(s.view.top_row, 0);
  e = design_page_command(s.grid, s.view, 708);
  EXPECT_TRUE(e.close_dialogs);
  EXPECT_TRUE(e.reset_modes);
  EXPECT_FALSE(design_page_command(s.grid, s.view, 711).handled);
}

TEST(CursorKeys, RightClickPopups) {
  Screen s(sample());
  // Range mode: every second right click opens the menu.
  s.modes().range_mode = true;
  s.modes().range_submode = 2;
  EditEffects e = s.right_click(0, 0);
  ASSERT_EQ(e.popup.size(), 5u);
  EXPECT_EQ(e.popup[0].text, "&H 範囲");
  EXPECT_TRUE(e.popup[2].checked);
  EXPECT_FALSE(e.popup[0].checked);
  EXPECT_TRUE(s.right_click(0, 0).popup.empty());
  EXPECT_EQ(s.right_click(0, 0).popup.size(), 5u);

  // Blank-line mode: the four items with a separator; the check follows the sub-mode.
  s.modes() = DesignModes{};
  s.modes().blank_mode = true;
  s.modes().blank_submode = 1;
  s.popup_toggle = 0;
  e = s.right_click(0, 0);
  ASSERT_EQ(e.popup.size(), 5u);
  EXPECT_EQ(e.popup[2].id, 0);
  EXPECT_EQ(e.popup[1].text, "&Z 空行詰め");
  EXPECT_TRUE(e.popup[1].checked);

  // Comment mode: the cell's comment, or "No Comment!".
  s.modes() = DesignModes{};
  s.modes().comment_mode = true;
  e = s.right_click(0, 0);
  ASSERT_EQ(e.popup.size(), 1u);
  EXPECT_EQ(e.popup[0].id, 1909);
  EXPECT_EQ(e.popup[0].text, "No Comment!");
  s.grid[0].cell[0].word[0] |= CellFlags::HAS_COMMENT;
  std::snprintf(s.grid[0].text[0], CELL_TEXT_SIZE, "%s", "start");
  EXPECT_EQ(s.right_click(0, 0).popup[0].text, "start");
  EXPECT_TRUE(s.right_click(0, 4).popup.empty()) << "a line holds no part";

  // A placement tool: the number dialog with the cell's device.
  s.modes() = DesignModes{};
  s.modes().placement_tool_checked = true;
  s.modes().tool = DesignToolId::RELAY_A;
  e = s.right_click(1, 0);
  EXPECT_TRUE(e.popup.empty());
  EXPECT_EQ(e.dialog.dialog, DesignDialog::NUMBER);
  EXPECT_EQ(e.dialog.text, "X1");
}

TEST(CursorKeys, PopupItemsActAsTheEditCommands) {
  EXPECT_EQ(popup_item_command(1896), 1179);
  EXPECT_EQ(popup_item_command(1900), 1183);
  EXPECT_EQ(popup_item_command(1903), 1184);
  EXPECT_EQ(popup_item_command(1906), 1187);
  EXPECT_EQ(popup_item_command(1909), 0);
}

}  // namespace
