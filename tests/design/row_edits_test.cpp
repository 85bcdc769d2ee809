// The row edits of the design grid, each case a ladder before and after: blank rows
// opened and closed, a range copied, removed and pasted through the row clipboard, the
// cells of a row shifted right and left, and the refusals that must leave the grid alone.
#include "design/row_edits.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "shell/menu_states.h"
#include "support/ladder_text.h"

namespace {

using Rows = std::vector<std::string>;

Rows text_of(const LadderGrid& grid) { return ladder_to_text(grid); }
// The canonical text of rows written by hand (so that "X0 ~ (Y0)" and its spelled-out
// form compare equal).
Rows canonical(const Rows& rows) { return ladder_to_text(ladder_from_text(rows)); }

void select_rows(LadderGrid& grid, ViewState& view, int first, int last) {
  view.range_start_row = first;
  for (int r = first; r <= last; ++r) grid[static_cast<size_t>(r)].selected = 1;
}

// Grids compared whole (every word and byte of rows up to the capacity), for refusals.
bool same_grid(const LadderGrid& a, const LadderGrid& b) {
  return a.size() == b.size() && std::memcmp(a.data(), b.data(), a.size() * sizeof(LadderRow)) == 0;
}

// ---- Blank rows -------------------------------------------------------------------------------

TEST(BlankRows, InsertMovesTheRestDownAndKeepsTheRailLink) {
  LadderGrid grid = ladder_from_text({"X0 ~ (Y0)", "X1 ~ (Y1)"}, {.grid_rows = 8});
  ASSERT_EQ(insert_blank_row(grid, 1), 0);
  EXPECT_EQ(text_of(grid), canonical({"X0 ~ (Y0)", "^", "X1 ~ (Y1)", "END"}));
  EXPECT_EQ(find_end_mark(grid), 4);
}

TEST(BlankRows, InsertIsRefusedWhenTheEndMarkWouldLeaveTheGridOrAfterEnd) {
  // Three rows and the end mark fill the grid exactly.
  LadderGrid full = ladder_from_text({"X0 ~ (Y0)", "X1 ~ (Y1)"});
  const LadderGrid before = full;
  EXPECT_EQ(insert_blank_row(full, 0), -1);
  EXPECT_TRUE(same_grid(full, before));
  LadderGrid roomy = ladder_from_text({"X0 ~ (Y0)"}, {.grid_rows = 8});
  const LadderGrid roomy_before = roomy;
  EXPECT_EQ(insert_blank_row(roomy, 2), -1);  // the end mark's row
  EXPECT_TRUE(same_grid(roomy, roomy_before));
}

struct CloseCase {
  const char* name;
  Rows before;
  int row;
  int result;
  Rows after;  // unused when refused
  int last;
};

class CloseBlankRow : public testing::TestWithParam<CloseCase> {};

TEST_P(CloseBlankRow, RemovesTheEmptyRow) {
  const CloseCase& c = GetParam();
  LadderGrid grid = ladder_from_text(c.before, {.grid_rows = 12});
  const LadderGrid before = grid;
  int last = -1;
  EXPECT_EQ(close_blank_row(grid, c.row, 0, 11, &last), c.result);
  if (c.result == 0) {
    EXPECT_EQ(text_of(grid), canonical(c.after));
    EXPECT_EQ(last, c.last);
    EXPECT_EQ(find_end_mark(grid), find_end_mark(before) - 1);
  } else {
    EXPECT_TRUE(same_grid(grid, before));
  }
}

INSTANTIATE_TEST_SUITE_P(
    Table, CloseBlankRow,
    testing::Values(
        // Under an empty row the empty row above goes, not the clicked one.
        CloseCase{"UnderEmptyRow", {"X0 ~ (Y0)", "^", "X1 ~ (Y1)"}, 2, 0, {"X0 ~ (Y0)", "X1 ~ (Y1)"}, 12},
        CloseCase{"OnEmptyRow", {"X0 ~ (Y0)", "^", "X1 ~ (Y1)"}, 1, 0, {"X0 ~ (Y0)", "X1 ~ (Y1)"}, 12},
        CloseCase{"NeitherEmpty", {"X0 ~ (Y0)", "X1 ~ (Y1)"}, 1, 1, {}, 0},
        // A row that becomes row 0 loses the links of cells 1-11.
        CloseCase{"TopRow", {"^", "X0 ^X1 ~ (Y1)"}, 0, 0, {"X0 X1 ~ (Y1)"}, 11},
        CloseCase{"EndRow", {"X0 ~ (Y0)"}, 1, 1, {}, 0},
        CloseCase{"EndMark", {"X0 ~ (Y0)"}, 2, 1, {}, 0},
        // A row whose output alone is set is not empty.
        CloseCase{"OutputOnly", {"X0 ~ (Y0)", ".11 (Y1)"}, 1, 1, {}, 0}),
    [](const auto& info) { return std::string(info.param.name); });

// ---- Ranges and the clipboard -----------------------------------------------------------------

Rows numbered_rows(int count) {
  Rows rows;
  for (int i = 0; i < count; ++i) rows.push_back("X" + std::to_string(i) + " ~ (Y" + std::to_string(i) + ")");
  return rows;
}

TEST(RangeClipboardTest, ThreeRowsPastedOnRowFourGoAboveItAndTheCursorFollows) {
  LadderGrid grid = ladder_from_text(numbered_rows(6), {.grid_rows = 16});
  ViewState view{};
  select_rows(grid, view, 0, 2);
  RangeClipboard clip;
  ASSERT_EQ(copy_range_to_clipboard(grid, view, clip), 3);
  EXPECT_EQ(clip.bounds, (std::array<int32_t, 3>{CLIP_DESIGN_ROWS, 0, 2}));
  EXPECT_EQ(g_clip_valid, 1);
  clear_range_marks(grid, view);
  EXPECT_EQ(grid[0].selected + grid[1].selected + grid[2].selected, 0);
  view.cursor_row = 4;
  view.scroll_max = 1;
  ASSERT_EQ(paste_range_rows(grid, view, clip), 3);
  EXPECT_EQ(text_of(grid), canonical({"X0 ~ (Y0)", "X1 ~ (Y1)", "X2 ~ (Y2)", "X3 ~ (Y3)", "X0 ~ (Y0)", "X1 ~ (Y1)",
                                      "X2 ~ (Y2)", "X4 ~ (Y4)", "X5 ~ (Y5)"}));
  EXPECT_EQ(view.cursor_row, 7);
  EXPECT_EQ(view.scroll_max, 4);
}

TEST(RangeClipboardTest, ARangeReachingEndRemovesTheRowsBeforeEndOnly) {
  LadderGrid grid = ladder_from_text(numbered_rows(4), {.grid_rows = 16});
  ViewState view{};
  select_rows(grid, view, 2, 5);  // rows 2, 3, the END row and the end mark
  view.scroll_max = 1;
  view.range_scroll = 3;
  EXPECT_EQ(range_row_count(grid, view), 2);
  RangeClipboard clip;
  EXPECT_EQ(copy_range_to_clipboard(grid, view, clip), 2);
  EXPECT_EQ(remove_range_rows(grid, view), 2);
  EXPECT_EQ(text_of(grid), canonical({"X0 ~ (Y0)", "X1 ~ (Y1)"}));
  EXPECT_EQ(find_end_mark(grid), 3);
  // The scroll range never goes below 0 and the top row stays inside it.
  EXPECT_EQ(view.scroll_max, 0);
  EXPECT_EQ(view.top_row, 0);
}

TEST(RangeClipboardTest, RemovingFromTheTopDropsTheLinksOfTheNewFirstRow) {
  LadderGrid grid = ladder_from_text({"X0 ~ (Y0)", "X1 ^X2 ~ (Y1)"}, {.grid_rows = 8});
  ViewState view{};
  select_rows(grid, view, 0, 0);
  EXPECT_EQ(remove_range_rows(grid, view), 1);
  EXPECT_EQ(text_of(grid), canonical({"X1 X2 ~ (Y1)"}));
}

TEST(RangeClipboardTest, PasteRefusalsChangeNothing) {
  const LadderGrid source = ladder_from_text(numbered_rows(3), {.grid_rows = 8});
  ViewState from{};
  LadderGrid selected = source;
  select_rows(selected, from, 0, 1);
  RangeClipboard clip;
  ASSERT_EQ(copy_range_to_clipboard(selected, from, clip), 2);

  struct Case {
    const char* name;
    LadderGrid grid;
    int cursor_row;
    RangeClipboard clip;
    int result;
  };
  RangeClipboard mnemonic_only;  // a mnemonic copy: its line count in bounds[0]
  mnemonic_only.bounds = {5, 0, 0};
  RangeClipboard stale = clip;  // says it holds design rows but holds none
  stale.rows.clear();
  std::vector<Case> cases;
  cases.push_back({"Full", ladder_from_text(numbered_rows(3), {.grid_rows = 6}), 1, clip, -1});
  cases.push_back({"AfterEnd", ladder_from_text(numbered_rows(3), {.grid_rows = 12}), 4, clip, -1});
  cases.push_back({"Empty", ladder_from_text(numbered_rows(3), {.grid_rows = 12}), 1, RangeClipboard{}, 0});
  cases.push_back({"MnemonicOnly", ladder_from_text(numbered_rows(3), {.grid_rows = 12}), 1, mnemonic_only, 0});
  cases.push_back({"Stale", ladder_from_text(numbered_rows(3), {.grid_rows = 12}), 1, stale, 0});
  for (Case& c : cases) {
    SCOPED_TRACE(c.name);
    const LadderGrid before = c.grid;
    ViewState view{};
    view.cursor_row = c.cursor_row;
    EXPECT_EQ(paste_range_rows(c.grid, view, c.clip), c.result);
    EXPECT_TRUE(same_grid(c.grid, before));
    EXPECT_EQ(view.cursor_row, c.cursor_row);
  }
  // The exact fit is allowed: five rows and the end mark in a grid of seven rows.
  LadderGrid tight = ladder_from_text(numbered_rows(3), {.grid_rows = 7});
  ViewState view{};
  EXPECT_EQ(paste_range_rows(tight, view, clip), 2);
  EXPECT_EQ(find_end_mark(tight), 6);
}

TEST(RangeClipboardTest, CommentAndTextRowsComeBackWhole) {
  const std::string long_comment(1500, 'c');
  LadderGrid grid = ladder_from_text({"; " + long_comment, "X0 ~ [ASM] | movlw 0x12 ; the text of an ASM row",
                                      "X1 ~ (Y1)"},
                                     {.grid_rows = 12});
  ViewState view{};
  select_rows(grid, view, 0, 1);
  RangeClipboard clip;
  ASSERT_EQ(copy_range_to_clipboard(grid, view, clip), 2);
  view.cursor_row = 3;  // above END
  ASSERT_EQ(paste_range_rows(grid, view, clip), 2);
  const Rows rows = text_of(grid);
  ASSERT_EQ(rows.size(), 6u);
  EXPECT_EQ(rows[3], rows[0]);
  EXPECT_EQ(rows[4], rows[1]);
  EXPECT_EQ(rows[3], "; " + long_comment);
  EXPECT_EQ(std::memcmp(grid[3].row_text(), grid[0].row_text(), ROW_TEXT_SIZE), 0);
}

TEST(RangeClipboardTest, HoldsDesignRowsOnlyAfterADesignCopy) {
  RangeClipboard clip;
  g_clip_valid = 0;
  EXPECT_FALSE(clipboard_holds_design_rows(clip));
  const LadderGrid grid = ladder_from_text(numbered_rows(2));
  ViewState view{};
  view.range_start_row = 0;  // no row selected
  EXPECT_EQ(copy_range_to_clipboard(grid, view, clip), 0);
  EXPECT_FALSE(clipboard_holds_design_rows(clip));
  EXPECT_EQ(g_clip_valid, 0);
}

// ---- Shifting cells ----------------------------------------------------------------------------

struct ShiftCase {
  const char* name;
  const char* before;
  int column;
  int result;
  const char* after;  // unused when refused
};

void run_shift(const ShiftCase& c, int (*shift)(GridSpan, int, int)) {
  LadderGrid grid = ladder_from_text({"X9 ~ (Y9)", c.before}, {.grid_rows = 6});
  const LadderGrid before = grid;
  EXPECT_EQ(shift(grid, 1, c.column), c.result);
  if (c.result == 1)
    EXPECT_EQ(text_of(grid), canonical({"X9 ~ (Y9)", c.after}));
  else
    EXPECT_TRUE(same_grid(grid, before));
}

class OpenCellLeft : public testing::TestWithParam<ShiftCase> {};
TEST_P(OpenCellLeft, ShiftsRight) { run_shift(GetParam(), open_cell_left); }
INSTANTIATE_TEST_SUITE_P(
    Table, OpenCellLeft,
    testing::Values(
        ShiftCase{"IntoEmptyCell", "X0 X1 .9 (Y0)", 0, 1, "^ X0 X1 .8 (Y0)"},
        ShiftCase{"AfterAPart", "X0 X1 X2 .8 (Y0)", 1, 1, "X0 - X1 X2 .7 (Y0)"},
        // Every cell up to the output is taken: the run ends on the first plain line.
        ShiftCase{"EndsOnALine", "X0 X1 X2 ~ (Y0)", 1, 1, "X0 - X1 X2 ~ (Y0)"},
        ShiftCase{"NoLineNoRoom", "X0 X1 X2 X3 X4 X5 X6 X7 X8 X9 XA (Y0)", 2, -1, ""},
        ShiftCase{"NothingToMove", "X0 .10 (Y0)", 1, -1, ""},
        ShiftCase{"MiddleOfAComparison", "{= D0 K5} ~ (Y0)", 1, -1, ""},
        ShiftCase{"OutputColumn", "X0 ~ (Y0)", 11, -1, ""},
        ShiftCase{"TimerCoilInTheWay", "X0 X1 X2 X3 X4 X5 X6 X7 X8 X9 (T0 K10)", 3, -1, ""}),
    [](const auto& info) { return std::string(info.param.name); });

class CloseCellLeft : public testing::TestWithParam<ShiftCase> {};
TEST_P(CloseCellLeft, ShiftsLeft) { run_shift(GetParam(), close_cell_left); }
INSTANTIATE_TEST_SUITE_P(
    Table, CloseCellLeft,
    testing::Values(
        // Right of a line cell: the run moves left up to the output, the last cell a line.
        ShiftCase{"RightOfALine", "X0 - X1 X2 ~ (Y0)", 2, 1, "X0 X1 X2 ~ (Y0)"},
        // The run stops at the first empty cell it reaches.
        ShiftCase{"UntilAnEmptyCell", "X0 . X1 .8 (Y0)", 2, 1, "X0 X1 .9 (Y0)"},
        ShiftCase{"NoGap", "X0 X1 X2 X3 X4 X5 X6 X7 X8 X9 XA (Y0)", 5, -1, ""},
        ShiftCase{"TimerCoil", "X0 ~ (T0 K10)", 10, -1, ""},
        ShiftCase{"OutputColumn", "X0 ~ (Y0)", 11, -1, ""}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(RowEditsTest, ShiftsAreRefusedOnTheEndRowAndCommentRows) {
  LadderGrid grid = ladder_from_text({"; a comment", "X0 ~ (Y0)"}, {.grid_rows = 6});
  const LadderGrid before = grid;
  EXPECT_EQ(open_cell_left(grid, 0, 1), -1);
  EXPECT_EQ(close_cell_left(grid, 0, 1), -1);
  EXPECT_EQ(open_cell_left(grid, 2, 1), -1);  // END
  EXPECT_EQ(close_cell_left(grid, 2, 1), -1);
  EXPECT_TRUE(same_grid(grid, before));
}

TEST(RowEditsTest, ClearCursorRowKeepsTheRowLabel) {
  LadderGrid grid = ladder_from_text({"P5: X0 ~ (Y0)"}, {.grid_rows = 4});
  ViewState view{};
  view.cursor_row = 0;
  clear_cursor_row(grid, view);
  EXPECT_EQ(text_of(grid), canonical({"P5: ^"}));
}

}  // namespace
