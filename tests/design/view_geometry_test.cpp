// The pixel geometry of a ladder view: sizes, scrolling, the hit test, selection spans,
// element areas and the CMD_SYNC_VIEW lParam, each as a table of positions and sizes.
#include "design/view_geometry.h"

#include <gtest/gtest.h>

#include <cstring>
#include <map>

#include "core/instruction_tables.h"
#include "support/ladder_text.h"

namespace {

LadderGrid grid_with_end_at(int end_row, int rows = MAX_GRID_ROWS) {
  LadderGrid grid = make_ladder_grid(rows);
  if (end_row >= 0) grid[static_cast<size_t>(end_row)].cell[OUTPUT_COLUMN].word[0] = CellWord::END_OUTPUT;
  return grid;
}

ViewState fresh_view() {
  ViewState v;
  init_view_state(v, 0);
  return v;
}

// A view of 1300 x 1060 pixels in an MDI client of the same height: columns of 100 pixels,
// rows of 90, pictures 90 high, the first row 45 pixels down.
constexpr int WIDE = 1300;
ViewState sized_view(int top_row = 0) {
  ViewState v = fresh_view();
  size_ladder_view(v, WIDE, 1060, grid_with_end_at(200));
  v.top_row = top_row;
  return v;
}

TEST(ViewState, StartsWithNoSelectionNoMarkRowAndFullZoom) {
  ViewState v;
  std::memset(&v, 0x5A, sizeof v);
  init_view_state(v, 0x5F0000);
  EXPECT_EQ(v.sel_col, NO_SELECTION);
  EXPECT_EQ(v.mark_rows[0], NO_MARK_ROW);
  EXPECT_EQ(v.zoom_percent, 100);
  EXPECT_EQ(v.background, 0x5F0000u);
  EXPECT_EQ(v.cursor_col, 0);
  EXPECT_EQ(v.top_row, 0);
  EXPECT_EQ(v.cell_width, 0);
  EXPECT_EQ(v.path[0], '\0');
}

TEST(ViewGeometry, SizeFollowsTheClientWidthAndTheMdiClientHeight) {
  struct Case {
    const char* what;
    int width, height, zoom, comment_display, end_row, grid_rows, top_row;
    int row_height, part_height, top_margin, cell_width, right_rail_x, visible_rows, scroll_max, new_top_row;
  };
  const Case cases[] = {
      {"plain rows", 1300, 1060, 100, 0, 11, 6000, 0, 90, 90, 45, 100, 1295, 10, 2, 0},
      {"comment rows are a third taller per step", 1300, 1060, 100, 3, 11, 6000, 0, 180, 90, 45, 100, 1295, 4, 8, 0},
      {"no END row scrolls to row 6001", 650, 530, 100, 0, -1, 6000, 0, 45, 45, 22, 50, 648, 10, 5991, 0},
      {"a small grid without END scrolls as far", 650, 530, 100, 0, -1, 31, 0, 45, 45, 22, 50, 648, 10, 5991, 0},
      {"a client lower than a row keeps rows 2 high", 400, 1, 100, 0, 11, 6000, 0, 2, 2, 0, 30, 399, 0, 13, 0},
      {"the top row is pulled into the range", 1300, 1060, 100, 0, 11, 6000, 50, 90, 90, 45, 100, 1295, 10, 2, 2},
      {"a long program keeps the top row", 1300, 1060, 100, 0, 500, 6000, 50, 90, 90, 45, 100, 1295, 10, 491, 50},
      {"zoom scales the rows", 1300, 1060, 200, 0, 11, 6000, 0, 181, 181, 90, 100, 1295, 4, 2, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    ViewState v = fresh_view();
    v.zoom_percent = c.zoom;
    v.comment_display = c.comment_display;
    v.top_row = c.top_row;
    const ScrollSetting scroll = size_ladder_view(v, c.width, c.height, grid_with_end_at(c.end_row, c.grid_rows));
    EXPECT_EQ(v.row_height, c.row_height);
    EXPECT_EQ(v.part_height, c.part_height);
    EXPECT_EQ(v.top_margin, c.top_margin);
    EXPECT_EQ(v.cell_width, c.cell_width);
    EXPECT_EQ(v.left_rail_x, c.cell_width);
    EXPECT_EQ(v.right_rail_x, c.right_rail_x);
    EXPECT_EQ(v.visible_rows, c.visible_rows);
    EXPECT_EQ(v.scroll_max, c.scroll_max);
    EXPECT_EQ(v.top_row, c.new_top_row);
    EXPECT_EQ(scroll, (ScrollSetting{c.scroll_max, c.new_top_row}));
  }
}

TEST(ViewGeometry, TheScrollRangeEndsAtTheFirstEndRowWithinTheGrid) {
  LadderGrid grid = grid_with_end_at(40);
  grid[20].cell[OUTPUT_COLUMN].word[0] = CellWord::END_OUTPUT;
  EXPECT_EQ(scroll_end_row(grid), 20);
  EXPECT_EQ(scroll_end_row(ConstGridSpan(grid).first(20)), MAX_GRID_ROWS);
  EXPECT_EQ(scroll_end_row(ConstGridSpan()), MAX_GRID_ROWS);
}

TEST(ViewGeometry, ScrollCodesMoveTheTopRowWithinTheRange) {
  struct Case {
    const char* what;
    int top_row, code, thumb, new_top_row;
  };
  // Rows of 30 pixels, pages of 300 pixels (10 rows), range 0..20.
  const Case cases[] = {
      {"line up at the top", 0, ScrollCode::LINE_UP, 0, 0},
      {"line up", 5, ScrollCode::LINE_UP, 0, 4},
      {"line down", 5, ScrollCode::LINE_DOWN, 0, 6},
      {"line down at the end", 20, ScrollCode::LINE_DOWN, 0, 20},
      {"page up near the top", 5, ScrollCode::PAGE_UP, 0, 0},
      {"page up", 15, ScrollCode::PAGE_UP, 0, 5},
      {"page down", 5, ScrollCode::PAGE_DOWN, 0, 15},
      {"page down on the last page", 15, ScrollCode::PAGE_DOWN, 0, 20},
      {"thumb position does not move", 5, ScrollCode::THUMB_POSITION, 12, 5},
      {"thumb track", 3, ScrollCode::THUMB_TRACK, 12, 12},
      {"thumb track past the end", 3, ScrollCode::THUMB_TRACK, 40, 20},
      {"top", 7, ScrollCode::TOP, 0, 0},
      {"bottom", 7, ScrollCode::BOTTOM, 0, 20},
      {"an unknown code", 7, 8, 0, 7},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    ViewState v = fresh_view();
    v.row_height = 30;
    v.scroll_max = 20;
    v.top_row = c.top_row;
    v.cursor_row = 99;
    v.cursor_col = 5;
    const bool moved = scroll_view_by(v, scroll_delta(v, c.code, c.thumb, 300));
    EXPECT_EQ(v.top_row, c.new_top_row);
    EXPECT_EQ(moved, c.new_top_row != c.top_row);
    EXPECT_EQ(v.cursor_row, 99);  // no range: the cursor stays
    EXPECT_EQ(v.cursor_col, 5);
  }
}

TEST(ViewGeometry, ARangeSelectionFollowsTheView) {
  ViewState v = fresh_view();
  v.row_height = 30;
  v.scroll_max = 20;
  v.top_row = 4;
  v.range_active = 1;
  v.cursor_row = 9;
  v.cursor_col = 6;
  EXPECT_TRUE(scroll_view_by(v, scroll_delta(v, ScrollCode::LINE_DOWN, 0, 300)));
  EXPECT_EQ(v.cursor_row, 5);
  EXPECT_EQ(v.cursor_col, 0);
  EXPECT_FALSE(scroll_view_by(v, scroll_delta(v, ScrollCode::THUMB_POSITION, 0, 300)));
  EXPECT_EQ(v.cursor_row, 5);
}

TEST(ViewGeometry, APageIsAtLeastOneRow) {
  ViewState v = fresh_view();
  v.row_height = 30;
  v.scroll_max = 20;
  v.top_row = 4;
  EXPECT_EQ(scroll_delta(v, ScrollCode::PAGE_DOWN, 0, 10), 1);
  EXPECT_EQ(scroll_delta(v, ScrollCode::PAGE_UP, 0, 0), -1);
}

TEST(ViewGeometry, TheWheelMovesOneRowAndNothingTowardTheUserOnTheLastPage) {
  ViewState v = fresh_view();
  v.scroll_max = 20;
  v.top_row = 20;
  EXPECT_EQ(wheel_scroll_code(v, -120), -1);
  EXPECT_EQ(wheel_scroll_code(v, -960), -1);
  EXPECT_EQ(wheel_scroll_code(v, 120), ScrollCode::LINE_UP);
  EXPECT_EQ(wheel_scroll_code(v, 0), ScrollCode::LINE_UP);
  v.top_row = 19;
  EXPECT_EQ(wheel_scroll_code(v, -960), ScrollCode::LINE_DOWN);
}

TEST(ViewGeometry, HitTestTurnsAPointIntoACell) {
  struct Case {
    const char* what;
    int width, x, y, tool;
    int col, row, hover, dx, dy;
  };
  // Rows 90 high from y 45, top row 10; width 1300: columns of 100 from x 100.
  // Width 168: columns of 12 from x 12, column 12 from x 156, the last 2 pixels the edge.
  const Case cases[] = {
      {"inside a contact cell", 1300, 250, 200, 0, 1, 11, 12, 50, 65},
      {"left of the left rail", 1300, 50, 60, 0, 15, 10, 10, -50, 15},
      {"the top band is the top row", 1300, 640, 89, 0, 5, 10, 10, 40, 44},
      {"just below the top band", 1300, 640, 90, 0, 5, 10, 11, 40, 45},
      {"the output column", 1300, 1299, 500, 0, 11, 15, 15, 99, 5},
      {"right of column 11 is column 11", 168, 160, 50, 0, 11, 10, 10, 4, 5},
      {"within a sixth of a column of the edge", 168, 167, 50, 0, 12, 10, 10, 11, 5},
      {"the erase tool keeps column 12", 168, 160, 50, ERASE_TOOL, 12, 10, 10, 4, 5},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    ViewState v = fresh_view();
    v.row_height = 90;
    v.top_margin = 45;
    v.top_row = 10;
    ASSERT_TRUE(hit_test_grid_cell(v, c.width, c.x, c.y, c.tool));
    EXPECT_EQ(v.cell_width, c.width / 13);
    EXPECT_EQ(v.left_rail_x, c.width / 13);
    EXPECT_EQ(v.cursor_col, c.col);
    EXPECT_EQ(v.cursor_row, c.row);
    EXPECT_EQ(v.hover_row, c.hover);
    EXPECT_EQ(v.click_dx, c.dx);
    EXPECT_EQ(v.click_dy, c.dy);
  }
}

TEST(ViewGeometry, HitTestIgnoresAClientTooNarrowForAColumn) {
  ViewState v = fresh_view();
  v.row_height = 90;
  v.cursor_col = 4;
  EXPECT_FALSE(hit_test_grid_cell(v, 12, 5, 5, 0));
  EXPECT_EQ(v.cursor_col, 4);
  ViewState unsized = fresh_view();
  EXPECT_FALSE(hit_test_grid_cell(unsized, 1300, 5, 5, 0));
}

// The rows of the span tests: row 2 of each grid is the row under the cursor; with the view
// of sized_view() it starts at y 225.
LadderGrid span_grid(const char* row2) {
  return ladder_from_text({"X0 ~ (Y0)", "X0 ~ (Y1)", row2}, {.grid_rows = 10});
}

TEST(ViewGeometry, TheCursorSpanCoversTheWholeElement) {
  struct Case {
    const char* what;
    const char* row;
    int cursor_col;
    int new_cursor_col, sel_col, sel_width;
    PixelRect rect;
  };
  const Case cases[] = {
      {"a contact", "X0 X1 X2 X3 ~ (Y0)", 3, 3, 3, 0, {400, 207, 500, 319}},
      {"a line", "X0 ~ (Y0)", 5, 5, 5, 0, {600, 207, 700, 319}},
      {"the coil reaches to the rail", "X0 ~ (Y0)", 11, 11, 11, 0, {1200, 189, 1292, 319}},
      {"a box from any of its cells", "X0 ~ [MOV D0 D1]", 10, 11, 9, 2, {1000, 207, 1295, 319}},
      {"a comparison contact from its middle", "X0 {= D0 K5} ~ (Y0)", 2, 1, 1, 2, {200, 207, 500, 319}},
      {"a timer from its coil cell", "X0 ~ (T0 K10)", 10, 11, 10, 1, {1100, 207, 1295, 319}},
      {"the row-label margin", "X0 ~ (Y0)", 15, 15, 15, 0, {0, 207, 100, 337}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const LadderGrid grid = span_grid(c.row);
    ViewState v = sized_view();
    v.cursor_row = 2;
    v.cursor_col = c.cursor_col;
    const SpanResult span = show_cursor_span(v, &grid[2], false, WIDE);
    EXPECT_EQ(span.result, 0);
    EXPECT_EQ(v.cursor_col, c.new_cursor_col);
    EXPECT_EQ(v.sel_col, c.sel_col);
    EXPECT_EQ(v.sel_row, 2);
    EXPECT_EQ(v.sel_width, c.sel_width);
    EXPECT_EQ(span.rect, c.rect);
  }
}

TEST(ViewGeometry, CommentModeSpansACellOrTheWholeRow) {
  struct Case {
    const char* what;
    const char* row;
    int cursor_col;
    int result, sel_col, sel_width;
    PixelRect rect;
  };
  const Case cases[] = {
      {"a contact cell", "X0 X1 X2 X3 ~ (Y0)", 3, 0, 3, 0, {400, 247, 500, 382}},
      {"the timer coil cell is not skipped", "X0 ~ (T0 K10)", 10, 0, 10, 0, {1100, 247, 1200, 382}},
      {"the first cell of a box is skipped", "X0 ~ [MOV D0 D1]", 9, -2, NO_SELECTION, 0, {}},
      {"a comment row is one span", "; a comment", 4, 0, 0, 11, {100, 207, 1295, 342}},
      {"an empty row is one span", "", 4, 0, 0, 11, {100, 207, 1295, 342}},
      {"a text row spans columns 1-11", "X0 [ASM] | nop", 5, 0, 1, 10, {200, 207, 1295, 342}},
      {"the row-label margin", "X0 ~ (Y0)", 15, 0, 15, 0, {0, 225, 100, 337}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    LadderGrid grid = span_grid(c.row);
    if (std::string_view(c.row).empty()) grid[2] = LadderRow{};
    ViewState v = sized_view();
    v.cursor_row = 2;
    v.cursor_col = c.cursor_col;
    const SpanResult span = show_cursor_span(v, &grid[2], true, WIDE);
    EXPECT_EQ(span.result, c.result);
    EXPECT_EQ(v.sel_col, c.sel_col);
    if (c.result != 0) continue;
    EXPECT_EQ(v.sel_width, c.sel_width);
    EXPECT_EQ(span.rect, c.rect);
  }
}

TEST(ViewGeometry, ADamagedElementOrARowOutsideTheGridSpansOneCell) {
  LadderGrid grid = span_grid("X0 ~ (Y0)");
  grid[2].cell[5].word[0] = CellWord::BOX_MIDDLE_CELL;  // a box cell without its first cell
  ViewState v = sized_view();
  v.cursor_row = 2;
  v.cursor_col = 5;
  show_cursor_span(v, &grid[2], false, WIDE);
  EXPECT_EQ(v.sel_col, 5);
  EXPECT_EQ(v.sel_width, 0);
  v.cursor_col = 3;
  EXPECT_EQ(show_cursor_span(v, nullptr, false, WIDE).rect, (PixelRect{400, 207, 500, 319}));
}

TEST(ViewGeometry, ErasingTheSpanInvalidatesWhatWasDrawn) {
  struct Case {
    const char* what;
    int sel_col, sel_width, sel_rows;
    bool comment_mode;
    std::optional<PixelRect> rect;
  };
  const Case cases[] = {
      {"nothing drawn", NO_SELECTION, 0, 0, false, std::nullopt},
      {"whole rows", SELECTION_WHOLE_ROWS, 0, 3, false, PixelRect{100, 203, 1295, 686}},
      {"the margin", 15, 0, 0, false, PixelRect{0, 225, 100, 337}},
      {"one cell", 3, 0, 0, false, PixelRect{400, 207, 500, 333}},
      {"a span to the rail", 8, 3, 0, false, PixelRect{900, 207, 1292, 333}},
      {"one cell in comment mode", 3, 0, 0, true, PixelRect{400, 207, 500, 342}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    ViewState v = sized_view();
    v.sel_col = c.sel_col;
    v.sel_row = 2;
    v.sel_width = c.sel_width;
    v.sel_rows = c.sel_rows;
    EXPECT_EQ(erase_cursor_span(v, c.comment_mode, WIDE), c.rect);
    EXPECT_EQ(v.sel_col, NO_SELECTION);
  }
}

TEST(ViewGeometry, TheLineMarkerIsClearedOnce) {
  ViewState v = sized_view();
  v.marker_on = 1;
  v.marker_col = 4;
  v.marker_row = 2;
  EXPECT_EQ(clear_line_marker(v), (PixelRect{490, 225, 600, 315}));
  EXPECT_EQ(v.marker_on, 0);
  EXPECT_EQ(clear_line_marker(v), std::nullopt);
}

TEST(ViewGeometry, ElementAreas) {
  struct Case {
    const char* what;
    const char* row;
    int row_index, column, width;
    bool above_only;
    int count;
    PixelRect first, second;
    int box_start_col;
  };
  // The grid row is row 2 of the grid whatever row_index says; top row 0, 10 rows visible.
  const int mov_cells = box_operand_cells(Instr::MOV);
  const Case cases[] = {
      {"a row past the visible rows", "X0 X1 ~ (Y0)", 12, 3, 0, false, 0, {}, {}, -7},
      {"the last row that may show", "X0 X1 X2 X3 ~ (Y0)", 11, 3, 0, false, 1, {267, 937, 650, 1162}, {}, -7},
      {"the device-name band", "X0 X1 X2 X3 ~ (Y0)", 2, 3, 0, true, 1, {380, 220, 500, 250}, {}, -7},
      {"the device-name band of the output", "X0 ~ (Y0)", 2, 11, 0, true, 1, {1180, 220, 1277, 250}, {}, -7},
      {"a coil and the comment above it", "X0 ~ (Y0)", 2, 11, 0, false, 2, {1200, 216, 1299, 320}, {1200, 45, 1300, 144}, 11},
      {"a coil on the top row", "X0 ~ (Y0)", 0, 11, 0, false, 1, {1200, 36, 1299, 140}, {}, 11},
      {"a box from its operand cells", "X0 ~ [MOV D0 D1]", 2, 11, 0, false, 2,
       {100 + (11 - mov_cells) * 100, 216, 1299, 320}, {100 + (11 - mov_cells) * 100, 45, 200 + (11 - mov_cells) * 100, 144},
       11 - mov_cells},
      {"a comparison contact", "X0 {= D0 K5} ~ (Y0)", 2, 1, 0, false, 1, {200, 216, 600, 320}, {}, 1},
      {"a contact", "X0 X1 X2 X3 ~ (Y0)", 2, 3, 0, false, 1, {267, 127, 650, 352}, {}, -7},
      {"a contact on the top row", "X0 X1 X2 X3 ~ (Y0)", 0, 3, 0, false, 1, {267, 0, 650, 225}, {}, -7},
      {"a line in column 11", "X0 ~ (Y1)", 2, 11, 0, false, 1, {1067, 135, 1450, 315}, {}, -7},
      {"the margin", "X0 ~ (Y0)", 2, 15, 0, false, 1, {0, 225, 100, 371}, {}, -7},
      {"the margin of the top row", "X0 ~ (Y0)", 0, 15, 0, false, 1, {0, 0, 100, 146}, {}, -7},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    LadderGrid grid = span_grid(c.row);
    if (std::string_view(c.row) == "X0 ~ (Y1)") grid[2].cell[11].word[0] = CellWord::LINE_ONLY;
    ViewState v = sized_view();
    v.box_start_col = -7;
    const CellArea area = cell_area_rects(v, &grid[2], c.row_index, c.column, c.width, c.above_only, WIDE);
    ASSERT_EQ(area.count, c.count);
    if (c.count > 0) {
      EXPECT_EQ(area.rect[0], c.first);
    }
    if (c.count > 1) {
      EXPECT_EQ(area.rect[1], c.second);
    }
    EXPECT_EQ(v.box_start_col, c.box_start_col);
  }
  ViewState v = sized_view(5);
  EXPECT_EQ(cell_area_rects(v, nullptr, 4, 3, 0, false, WIDE).count, 0);  // above the top row
}

TEST(ViewGeometry, SyncNoticesPackRowColumnCountAndWidth) {
  struct Case {
    int row, column, count, width;
    uint32_t lparam;
    SyncViewNotice back;
  };
  const Case cases[] = {
      {12, 3, 1, 2, 0x0132000C, {12, 3, 1, 2}},
      {5999, 15, 0, 0, 0x00F0176F, {5999, 15, 0, 0}},
      {0, 0, SYNC_WHOLE_VIEW, 0, 0xFE000000, {0, 0, 254, 0}},
      {-2, 4, 3, 0, 0x03400000, {0, 4, 3, 0}},  // above row 0: row 0, not 65534
      {70000, 20, 300, 17, 0x2C411170, {70000 & 0xFFFF, 4, 300 & 0xFF, 1}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.row);
    const uint32_t lparam = pack_sync_view(c.row, c.column, c.count, c.width);
    EXPECT_EQ(lparam, static_cast<uint32_t>(c.lparam));
    EXPECT_EQ(unpack_sync_view(lparam), c.back);
  }
}

TEST(ViewGeometry, ASyncedViewRepaintsTheNamedCellsWhenTheyShow) {
  struct Case {
    const char* what;
    SyncViewNotice notice;
    SyncRepaint::Kind kind;
    PixelRect rect;
  };
  // Top row 10, 10 rows visible: rows 8 to 21 are repainted.
  const Case cases[] = {
      {"cells on screen", {12, 3, 1, 2}, SyncRepaint::RECT, {400, 222, 700, 402}},
      {"the margin", {12, 15, 0, 0}, SyncRepaint::RECT, {0, 222, 100, 312}},
      {"two rows above the top", {8, 0, 0, 0}, SyncRepaint::RECT, {100, 0, 200, 90}},
      {"three rows above the top", {7, 0, 0, 0}, SyncRepaint::NOTHING, {}},
      {"the last row that may show", {21, 0, 0, 0}, SyncRepaint::RECT, {100, 1032, 200, 1122}},
      {"below the view", {22, 0, 0, 0}, SyncRepaint::NOTHING, {}},
      {"everything, whatever the row", {5000, 0, SYNC_WHOLE_VIEW, 0}, SyncRepaint::WHOLE, {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const ViewState v = sized_view(10);
    const SyncRepaint repaint = synced_cells_repaint(v, c.notice);
    EXPECT_EQ(repaint.kind, c.kind);
    if (c.kind == SyncRepaint::RECT) {
      EXPECT_EQ(repaint.rect, c.rect);
    }
  }
}

// Windows of a list as the tests see them.
struct FakeWindow {
  bool live = true;
  bool iconic = false;
  ViewState view{};
};
std::map<WindowHandle, FakeWindow>* g_fake_windows = nullptr;
FakeWindow* fake(WindowHandle w) {
  auto it = g_fake_windows->find(w);
  return it == g_fake_windows->end() ? nullptr : &it->second;
}
const DesignViewOps FAKE_OPS{
    [](WindowHandle w) { return fake(w) != nullptr && fake(w)->live; },
    [](WindowHandle w) { return fake(w) != nullptr && fake(w)->iconic; },
    [](WindowHandle w) { return fake(w) != nullptr ? &fake(w)->view : nullptr; },
};

class DesignViews : public ::testing::Test {
 protected:
  void SetUp() override { g_fake_windows = &windows; }
  void TearDown() override { g_fake_windows = nullptr; }
  void add(WindowHandle w, int view_id, bool live = true, bool iconic = false) {
    windows[w].live = live;
    windows[w].iconic = iconic;
    windows[w].view.view_id = view_id;
  }
  std::map<WindowHandle, FakeWindow> windows;
};

TEST_F(DesignViews, SyncGoesToTheShownViewsOfTheMainFile) {
  add(10, 0x00);
  add(11, 0x00);
  add(12, 0x10);                // another file
  add(13, 0x00, false);         // closed
  add(14, 0x00, true, true);    // minimised
  add(16, 0x00);                // after the end of the list
  const WindowHandle list[] = {10, 11, 12, 13, 0, 14, WINDOW_LIST_END, 16};
  EXPECT_EQ(sync_view_targets(list, 10, false, FAKE_OPS), (std::vector<WindowHandle>{11}));
  EXPECT_EQ(sync_view_targets(list, 10, true, FAKE_OPS), (std::vector<WindowHandle>{10, 11}));
  EXPECT_EQ(other_live_views(list, 10, FAKE_OPS), (std::vector<WindowHandle>{11, 12, 14}));
  // One design window alone: nothing without `all`, itself with it.
  const WindowHandle single[] = {10, WINDOW_LIST_END};
  EXPECT_TRUE(sync_view_targets(single, 10, false, FAKE_OPS).empty());
  EXPECT_EQ(sync_view_targets(single, 10, true, FAKE_OPS), (std::vector<WindowHandle>{10}));
  // A list without its end mark is walked to its last slot and no further.
  const WindowHandle unended[] = {10, 11};
  EXPECT_EQ(sync_view_targets(std::span<const WindowHandle>(unended).first(1), 11, false, FAKE_OPS),
            (std::vector<WindowHandle>{10}));
}

// A row edit in a view moves the scroll ranges of its own file's views only.
TEST_F(DesignViews, TheViewsOfTheSendersFileAreTheOnlyOnesItsRowEditsMove) {
  add(10, 0x00);                // main file
  add(11, 0x10);                // file 1
  add(12, 0x00);                // main file
  add(13, 0x10);                // file 1
  add(14, 0x20);                // file 2
  add(15, 0x10, false);         // file 1, closed
  const WindowHandle list[] = {10, 11, 12, 13, 14, 15, WINDOW_LIST_END};
  EXPECT_EQ(same_file_views(list, 10, FAKE_OPS), (std::vector<WindowHandle>{12}));
  EXPECT_EQ(same_file_views(list, 11, FAKE_OPS), (std::vector<WindowHandle>{13}));
  EXPECT_TRUE(same_file_views(list, 14, FAKE_OPS).empty());
  EXPECT_TRUE(same_file_views(list, 15, FAKE_OPS).empty());  // a closed sender moves nothing
}

TEST_F(DesignViews, TwoVisibleWindowsArePickedInListOrder) {
  add(10, 0x00);
  add(11, 0x10);
  add(12, 0x00, true, true);
  add(13, 0x00, false);
  WindowHandle out[2]{0, 0};
  const WindowHandle list[] = {10, 13, 11, 12, WINDOW_LIST_END};
  EXPECT_EQ(pick_two_visible_windows(list, out, FAKE_OPS), 2);
  EXPECT_EQ(out[0], 10u);
  EXPECT_EQ(out[1], 11u);
  add(14, 0x00);
  const WindowHandle three[] = {10, 11, 14, WINDOW_LIST_END};
  WindowHandle untouched[2]{0, 0};
  EXPECT_EQ(pick_two_visible_windows(three, untouched, FAKE_OPS), 3);
  EXPECT_EQ(untouched[0], 0u);
}

TEST(ViewGeometry, SearchHitsAreCopiedThroughTheirEnd) {
  ViewState from = fresh_view();
  ViewState to = fresh_view();
  for (int i = 0; i < VIEW_HIT_SLOTS; ++i) to.hit_rows[i] = to.hit_cols[i] = 77;
  from.hit_rows[0] = 4;
  from.hit_cols[0] = 2;
  from.hit_rows[1] = HIT_LIST_END;
  copy_search_hits(from, to);
  EXPECT_EQ(to.hit_rows[0], 4);
  EXPECT_EQ(to.hit_cols[0], 2);
  EXPECT_EQ(to.hit_rows[1], HIT_LIST_END);
  EXPECT_EQ(to.hit_rows[2], 77);
  for (int i = 0; i < VIEW_HIT_SLOTS; ++i) from.hit_rows[i] = i;  // no end: all 100, no further
  copy_search_hits(from, to);
  EXPECT_EQ(to.hit_rows[99], 99);
}

TEST(ViewGeometry, OtherViewsFollowInsertedAndDeletedRows) {
  struct Case {
    int top_row, scroll_max, flag;
    int new_top, new_max;
    bool moved;
  };
  const Case cases[] = {
      {5, 10, 1, 6, 11, true},
      {10, 10, 1, 11, 11, true},
      {5, 10, 0, 4, 9, true},
      {1, 0, 0, 0, 0, true},
  };
  for (const Case& c : cases) {
    ViewState v = fresh_view();
    v.top_row = c.top_row;
    v.scroll_max = c.scroll_max;
    EXPECT_EQ(resync_view_for_rows(v, c.flag), c.moved);
    EXPECT_EQ(v.top_row, c.new_top);
    EXPECT_EQ(v.scroll_max, c.new_max);
  }
}

TEST(ViewGeometry, RectanglesAddComponentWise) {
  EXPECT_EQ(add_rects({1, 2, 3, 4}, {10, -20, 30, 40}), (PixelRect{11, -18, 33, 44}));
}

TEST(ViewGeometry, TheRepaintMaskMarksTheOtherWindowsAfterACommand) {
  g_design_repaint_mask = 0;
  const int others[] = {1, 3, 40};
  note_shared_view_click(others);
  EXPECT_EQ(g_design_repaint_mask, 0u);  // no command since the last click
  note_design_command();
  note_shared_view_click(others);
  EXPECT_EQ(g_design_repaint_mask, 0b1010u);
  EXPECT_TRUE(take_repaint_bit(3));
  EXPECT_FALSE(take_repaint_bit(3));
  EXPECT_FALSE(take_repaint_bit(0));
  EXPECT_EQ(g_design_repaint_mask, 0b10u);
  g_design_repaint_mask = 0;
}

}  // namespace
