#include "board/monitor_view.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "core/device_tables.h"
#include "support/ladder_text.h"
#include "target/device_images.h"
#include "target/runtime_tables.h"

namespace {

uint32_t dev(DeviceIndex index, uint32_t number) { return make_device_operand(index, number); }
bool bit(uint32_t operand) { return (device_image_entry(operand)->word[0] >> (operand & 15)) & 1; }

TEST(MonitorView, GridRowsFollowTheFileLengthWithinAFullGrid) {
  struct Case {
    long length;
    int rows;
  };
  for (const Case& c : {Case{0, 100}, Case{117, 100}, Case{118, 101}, Case{11800, 200}, Case{-5, 100},
                        Case{118L * 5900, 6000}, Case{118L * 100000, 6000}})
    EXPECT_EQ(monitor_grid_rows(c.length), c.rows) << c.length;
}

TEST(MonitorView, GeometryFromTheClientTheMdiHeightZoomAndCommentDisplay) {
  struct Case {
    int width, height, mdi, zoom, comment;
    int part, row, margin, cell, right, visible;
  };
  const Case cases[] = {
      {1300, 600, 636, 100, 0, 54, 54, 27, 100, 1295, 10},
      {1300, 600, 636, 100, 1, 54, 72, 27, 100, 1295, 7},
      {1300, 600, 636, 200, 0, 109, 109, 54, 100, 1295, 4},
      {650, 300, 1, 100, 0, 2, 2, 0, 50, 648, 0},  // shorter than a row: no visible row
      {12, 10, 20, 100, 0, 2, 2, 0, 0, 12, 9},
  };
  for (const Case& c : cases) {
    LadderGrid grid = ladder_from_text({"X0 ~ (Y0)"}, {.grid_rows = 200});
    ViewState view{};
    view.zoom_percent = c.zoom;
    view.comment_display = c.comment;
    const ScrollSetting s = size_monitor_view(view, c.width, c.height, c.mdi, grid);
    EXPECT_EQ(view.part_height, c.part);
    EXPECT_EQ(view.row_height, c.row);
    EXPECT_EQ(view.top_margin, c.margin);
    EXPECT_EQ(view.cell_width, c.cell);
    EXPECT_EQ(view.left_rail_x, c.cell);
    EXPECT_EQ(view.right_rail_x, c.right);
    EXPECT_EQ(view.visible_rows, c.visible);
    EXPECT_GE(s.max, 0);
    EXPECT_EQ(g_monitor_client_height, c.height);
  }
}

TEST(MonitorView, ScrollMaximumFromTheEndRowAndNeverBelowZero) {
  std::vector<std::string> rows(30, "X0 ~ (Y0)");
  LadderGrid grid = ladder_from_text(rows, {.grid_rows = 200});  // END in row 30
  ViewState view{};
  view.row_height = 54;
  view.top_row = 100;
  update_monitor_scroll_max(view, 540, grid);
  EXPECT_EQ(view.scroll_max, 30 + 2 - 10);
  EXPECT_EQ(view.top_row, view.scroll_max);
  update_monitor_scroll_max(view, 54 * 40, grid);
  EXPECT_EQ(view.scroll_max, 0);
  EXPECT_EQ(view.top_row, 0);
  // Without an END row the grid's last row bounds the range: no row beyond the grid is shown.
  LadderGrid no_end(50);
  update_monitor_scroll_max(view, 540, no_end);
  EXPECT_EQ(view.scroll_max, 49 + 2 - 10);
}

TEST(MonitorView, ScrollStepsOneRowPerWheelMessageAndTheThumbOnlyWhileTracking) {
  ViewState view{};
  view.row_height = 50;
  view.top_row = 7;
  struct Case {
    int code, thumb, step;
  };
  for (const Case& c : {Case{ScrollCode::LINE_UP, 0, -1}, Case{ScrollCode::LINE_DOWN, 0, 1},
                        Case{ScrollCode::PAGE_UP, 0, -8}, Case{ScrollCode::PAGE_DOWN, 0, 8},
                        Case{ScrollCode::THUMB_TRACK, 12, 5}, Case{ScrollCode::THUMB_POSITION, 12, 0},
                        Case{ScrollCode::TOP, 0, 0}, Case{ScrollCode::BOTTOM, 0, 0}, Case{99, 0, 0}})
    EXPECT_EQ(monitor_scroll_step(view, c.code, c.thumb, 400), c.step) << c.code;
  // A page is at least one row even in a window shorter than a row.
  EXPECT_EQ(monitor_scroll_step(view, ScrollCode::PAGE_DOWN, 0, 10), 1);
  EXPECT_EQ(monitor_scroll_step(view, ScrollCode::PAGE_UP, 0, 10), -1);
  for (int delta : {-120, -1, -960}) EXPECT_EQ(monitor_wheel_step(delta), 1);
  for (int delta : {120, 1, 960, 0}) EXPECT_EQ(monitor_wheel_step(delta), -1);
}

TEST(MonitorView, ScrollingIsClampedToTheRange) {
  LadderGrid grid = ladder_from_text({"X0 ~ (Y0)"}, {.grid_rows = 20});
  ViewState view{};
  view.scroll_max = 5;
  view.top_row = 4;
  EXPECT_TRUE(scroll_monitor_view(view, 10, grid));
  EXPECT_EQ(view.top_row, 5);
  EXPECT_FALSE(scroll_monitor_view(view, 1, grid));
  EXPECT_TRUE(scroll_monitor_view(view, -100, grid));
  EXPECT_EQ(view.top_row, 0);
  EXPECT_FALSE(scroll_monitor_view(view, -1, grid));
}

TEST(MonitorView, RungRangeCoversTheRungsThatTouchTheVisibleRows) {
  // Rows 0-2 one rung (rows 1 and 2 linked up in column 3), row 3 alone, rows 4-6 one
  // rung, END in row 7. Links of column 0 (the left rail) do not join rungs.
  LadderGrid grid = ladder_from_text({"X0 - - - ~ (Y0)", "X1 - - ^X2 ~ (Y1)", "X3 - - ^X4 ~ (Y2)", "^X5 ~ (Y3)",
                                      "X6 - - - ~ (Y4)", "X7 - - ^X8 ~ (Y5)", "X9 - - ^XA ~ (Y6)"},
                                     {.grid_rows = 40});
  struct Case {
    int top, visible, first, last;
  };
  for (const Case& c : {Case{0, 1, 0, 2}, Case{5, 0, 4, 6}, Case{3, 0, 3, 3}, Case{0, 20, 0, 7}, Case{7, 5, 7, 7}}) {
    ViewState view{};
    view.top_row = c.top;
    view.visible_rows = c.visible;
    compute_visible_rung_range(view, grid);
    EXPECT_EQ(view.rung_first_row, c.first) << c.top;
    EXPECT_EQ(view.rung_last_row, c.last) << c.top;
  }
  // A rung linked in column 3 reaches upwards.
  LadderGrid linked = ladder_from_text({"X0 - - - ~ (Y0)", "X1 - - ^X2 ~ (Y1)", "X3 ~ (Y3)"}, {.grid_rows = 10});
  ViewState view{};
  view.top_row = 1;
  view.visible_rows = 0;
  compute_visible_rung_range(view, linked);
  EXPECT_EQ(view.rung_first_row, 0);
  EXPECT_EQ(view.rung_last_row, 1);
  // A view scrolled past a grid without END stays within the grid.
  LadderGrid bare(8);
  view.top_row = 50;
  view.visible_rows = 10;
  compute_visible_rung_range(view, bare);
  EXPECT_LE(view.rung_last_row, 7);
  EXPECT_LE(view.rung_first_row, 7);
}

TEST(MonitorView, ChangedCellsAreTheDrawnCellsAndTheShownValuesOfTheRungRange) {
  LadderGrid grid = ladder_from_text({"X0 ~ (Y0)", "X1 ~ (Y1)"}, {.grid_rows = 10});
  grid[0].cell[11].word[3] = dev(Device::D, 3) | ValueMark::WORD;
  grid[1].cell[8].word[3] = dev(Device::S, 2) | ValueMark::STEP;
  grid[1].cell[10].word[3] = dev(Device::T, 2) | ValueMark::TIMER;  // a timer shows no value
  ViewState view{};
  view.rung_first_row = 0;
  view.rung_last_row = 1;
  const std::vector<CellRef> cells = changed_cells(view, grid);
  auto has = [&](CellRef c) { return std::find(cells.begin(), cells.end(), c) != cells.end(); };
  EXPECT_TRUE(has({0, 0}));
  EXPECT_TRUE(has({0, 11}));
  EXPECT_TRUE(has({0, LABEL_COLUMN}));
  EXPECT_TRUE(has({0, 11, true}));
  EXPECT_TRUE(has({1, 8, true}));
  EXPECT_FALSE(has({1, 10, true}));
  for (const CellRef& c : cells) EXPECT_LE(c.row, 1);
}

TEST(MonitorView, ClearCellStatesStaysWithinTheGrid) {
  LadderGrid grid(5);
  for (LadderRow& row : grid)
    for (LadderCell& cell : row.cell) cell.word[2] = 7;
  clear_cell_states(grid, 3);
  EXPECT_EQ(grid[2].cell[15].word[2], 0u);
  EXPECT_EQ(grid[3].cell[0].word[2], 7u);
  clear_cell_states(grid, 6000);
  EXPECT_EQ(grid[4].cell[0].word[2], 0u);
}

class MonitorInputs : public ::testing::Test {
 protected:
  void SetUp() override { reset_device_images(); }
  void TearDown() override { reset_device_images(); }
  ViewState click(int row, int column, int dx, int dy) {
    ViewState view{};
    view.cursor_row = row;
    view.cursor_col = column;
    view.click_dx = dx;
    view.click_dy = dy;
    view.part_height = 60;
    view.cell_width = 100;
    return view;
  }
};

TEST_F(MonitorInputs, PressSwitchesInputsByTheHalfOfThePicture) {
  LadderGrid grid = ladder_from_text({"X1A B3 R4 M9050 M100 Y2 T1 C1 ~ (Y0)", "X1A ~ (Y1)"}, {.grid_rows = 10});
  // Upper half on, and the cell's state word follows; every cell of the device is listed.
  InputSwitch s = press_input_contact(grid, click(0, 0, 80, 10));
  EXPECT_EQ(s.result, -1);
  EXPECT_EQ(s.operand, dev(Device::X, 0x1A));
  EXPECT_TRUE(bit(dev(Device::X, 0x1A)));
  EXPECT_EQ(grid[0].cell[0].word[2], 1u);
  EXPECT_EQ(grid[1].cell[0].word[2], 0u);  // only the clicked cell's state word changes
  EXPECT_EQ(s.cells, (std::vector<CellRef>{{0, 0}, {1, 0}}));
  // Below the picture: nothing.
  EXPECT_EQ(press_input_contact(grid, click(0, 0, 80, 61)).result, 0);
  EXPECT_TRUE(bit(dev(Device::X, 0x1A)));
  // Lower half: off.
  EXPECT_EQ(press_input_contact(grid, click(0, 0, 80, 30)).result, -1);
  EXPECT_FALSE(bit(dev(Device::X, 0x1A)));
  EXPECT_EQ(grid[0].cell[0].word[2], 0u);
  // B, R and M9050 switch; an ordinary M, Y, T and C do not.
  struct Case2 {
    int column;
    uint32_t operand;
    int result;
  };
  for (const Case2& c : {Case2{1, dev(Device::B, 3), -1}, Case2{2, dev(Device::R, 4), -1},
                         Case2{3, dev(Device::M, 9050), -1}, Case2{4, dev(Device::M, 100), 0},
                         Case2{5, dev(Device::Y, 2), 0}, Case2{6, dev(Device::T, 1), 0},
                         Case2{7, dev(Device::C, 1), 0}}) {
    EXPECT_EQ(press_input_contact(grid, click(0, c.column, 10, 5)).result, c.result) << c.column;
    EXPECT_EQ(bit(c.operand), c.result == -1) << c.column;
  }
  // The coil and a cell beyond the grid change nothing.
  EXPECT_EQ(press_input_contact(grid, click(0, 11, 10, 5)).result, 0);
  EXPECT_EQ(press_input_contact(grid, click(10, 0, 10, 5)).result, 0);
  EXPECT_EQ(press_input_contact(grid, click(6000, 0, 10, 5)).result, 0);
  EXPECT_EQ(press_input_contact(grid, click(0, LABEL_COLUMN, 10, 5)).result, 0);
}

TEST_F(MonitorInputs, PressSwitchesTheRestOfItsInterlockGroupOff) {
  LadderGrid grid = ladder_from_text({"X1 ~ (Y0)"}, {.grid_rows = 10});
  g_interlock_groups[0] = {static_cast<int32_t>(dev(Device::X, 1)), static_cast<int32_t>(dev(Device::X, 2)),
                           static_cast<int32_t>(dev(Device::X, 3)), INTERLOCK_END};
  g_interlock_groups[1][0] = INTERLOCK_END;
  for (uint32_t n : {2u, 3u, 4u}) device_image_entry(dev(Device::X, n))->word[0] |= 1 << n;
  press_input_contact(grid, click(0, 0, 10, 5));
  EXPECT_TRUE(bit(dev(Device::X, 1)));
  EXPECT_FALSE(bit(dev(Device::X, 2)));
  EXPECT_FALSE(bit(dev(Device::X, 3)));
  EXPECT_TRUE(bit(dev(Device::X, 4)));
}

TEST_F(MonitorInputs, ReleaseEndsMomentaryPressesOnly) {
  LadderGrid grid = ladder_from_text({"X1 M9051 M7 B2 R3 ~ (Y0)"}, {.grid_rows = 10});
  struct Case {
    int column;
    uint32_t operand;
    int dx, dy;
    int result;
    bool cleared;
  };
  const Case cases[] = {
      {0, dev(Device::X, 1), 80, 10, -1, true},      // right half, within 28 px: momentary
      {0, dev(Device::X, 1), 20, 10, -1, false},     // left half: latched
      {0, dev(Device::X, 1), 80, 28, -1, false},     // 28 px or lower: latched
      {1, dev(Device::M, 9051), 20, 10, -1, true},   // M9050-M9069: momentary on both halves
      {2, dev(Device::M, 7), 80, 10, -1, true},      // an M is switched off by a release
      {3, dev(Device::B, 2), 80, 10, -2, false},     // B latches
      {4, dev(Device::R, 3), 80, 10, -1, true},
  };
  for (const Case& c : cases) {
    device_image_entry(c.operand)->word[0] |= 1 << (c.operand & 15);
    grid[0].cell[c.column].word[2] = 1;
    const InputSwitch s = release_input_contact(grid, click(0, c.column, c.dx, c.dy));
    EXPECT_EQ(s.result, c.result) << c.column;
    EXPECT_EQ(bit(c.operand), !c.cleared) << c.column;
    EXPECT_EQ(grid[0].cell[c.column].word[2], c.cleared ? 0u : 1u) << c.column;
  }
  EXPECT_EQ(release_input_contact(grid, click(0, 6, 80, 10)).result, 0);  // no part
}

TEST(MonitorView, CpuLabel) {
  struct Case {
    const char* name;
    bool option_b;
    const char* label;
  };
  for (const Case& c : {Case{"pic18F452", false, "pic18F452 "}, Case{"pic12F629", true, "pic12F683"},
                        Case{"pic12F629", false, "pic12F629 "}, Case{"pic16F84", true, "pic16F84 Exp"}})
    EXPECT_EQ(monitor_cpu_label(c.name, c.option_b), c.label);
}

}  // namespace

// The search dialog's pick on the monitor: the device text of the clicked cell, or its
// instruction name when the search looks for instructions.
TEST(MonitorView, SearchPickTakesTheDeviceOrTheInstructionName) {
  const LadderGrid grid = ladder_from_text({"X0 ~ [MOV D0 D1]"}, {.grid_rows = 8});
  EXPECT_EQ(monitor_search_pick_text(grid, {0, 0}, false), "X0");
  EXPECT_EQ(monitor_search_pick_text(grid, {0, 11}, true), "MOV");
}
