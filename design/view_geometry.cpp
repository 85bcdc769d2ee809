#include "design/view_geometry.h"

#include <algorithm>

#include "core/instruction_tables.h"

int g_design_client_height = 0;
uint32_t g_design_repaint_mask = 0;

namespace {

// Word 0 of cell `column` of a row; a row outside the grid or a column outside the row
// reads as an empty cell.
uint32_t word0(const LadderRow* row, int column) {
  if (row == nullptr || column < 0 || column >= ROW_CELLS) return 0;
  return row->cell[column].word[0];
}

constexpr uint32_t MULTI_CELL = 0x70C00;  // a cell of a box, a TIM/CNT output or coil
constexpr uint32_t BOX_END_BITS = 0xC00;

// Top of grid row r on screen.
int row_top(const ViewState& v, int r) { return v.top_margin + (r - v.top_row) * v.row_height; }
// Left of column c.
int column_x(const ViewState& v, int c) { return v.left_rail_x + c * v.cell_width; }
// Where the rectangles that run to the right rail end.
int rail_edge(const ViewState& v, int client_width) { return client_width - v.cell_width / 18; }

}  // namespace

int scroll_end_row(ConstGridSpan grid) {
  const size_t rows = std::min(grid.size(), static_cast<size_t>(MAX_GRID_ROWS));
  for (size_t r = 0; r < rows; ++r)
    if ((grid[r].cell[OUTPUT_COLUMN].word[0] & CellFlags::END) != 0) return static_cast<int>(r);
  return MAX_GRID_ROWS;
}

ScrollSetting size_ladder_view(ViewState& v, int client_width, int mdi_client_height, ConstGridSpan grid) {
  const int r = v.zoom_percent * mdi_client_height / 106;
  const int u = r / 11;
  v.row_height = std::max(2, u + u * v.comment_display / 3);
  v.part_height = std::max(2, u);
  v.top_margin = u / 2;
  v.cell_width = client_width / WIDTH_SHARES;
  v.left_rail_x = v.cell_width;
  v.right_rail_x = client_width - v.cell_width / 18;
  v.visible_rows = mdi_client_height < v.row_height ? 0 : (mdi_client_height - v.row_height) / v.row_height;
  const int e = scroll_end_row(grid);
  v.scroll_max = std::max(0, e + 2 - r / v.row_height);
  v.top_row = std::min(v.top_row, v.scroll_max);
  return {v.scroll_max, v.top_row};
}

int scroll_delta(const ViewState& v, int code, int thumb_position, int page_height) {
  const int page = v.row_height > 0 ? std::max(1, page_height / v.row_height) : 1;
  int delta = 0;
  switch (code) {
    case ScrollCode::LINE_UP: delta = -1; break;
    case ScrollCode::LINE_DOWN: delta = 1; break;
    case ScrollCode::PAGE_UP: delta = -page; break;
    case ScrollCode::PAGE_DOWN: delta = page; break;
    case ScrollCode::THUMB_TRACK: delta = thumb_position - v.top_row; break;
    case ScrollCode::TOP: delta = -v.top_row; break;
    case ScrollCode::BOTTOM: delta = v.scroll_max - v.top_row; break;
    default: delta = 0; break;
  }
  // A view whose top row already lies past its range (rows were removed) may still move up.
  const int lowest = -v.top_row;
  const int highest = std::max(0, v.scroll_max - v.top_row);
  return std::clamp(delta, std::min(lowest, 0), highest);
}

bool scroll_view_by(ViewState& v, int delta) {
  if (delta == 0) return false;
  v.top_row += delta;
  if (v.range_active != 0) {
    v.cursor_row = v.top_row;
    v.cursor_col = 0;
  }
  return true;
}

int wheel_scroll_code(const ViewState& v, int wheel_delta) {
  if (wheel_delta < 0) return v.top_row == v.scroll_max ? -1 : ScrollCode::LINE_DOWN;
  return ScrollCode::LINE_UP;
}

bool hit_test_grid_cell(ViewState& v, int client_width, int x, int y, int current_tool) {
  const int cw = client_width / WIDTH_SHARES;
  if (cw <= 0 || v.row_height <= 0) return false;
  v.cell_width = cw;
  v.left_rail_x = cw;
  int col = (x - v.left_rail_x) / cw;
  if (col > OUTPUT_COLUMN && x < client_width - cw / 6 && current_tool != ERASE_TOOL) col = OUTPUT_COLUMN;
  v.click_dx = (x - v.left_rail_x) % cw;
  // Left of the rail is the label margin, x = 0 (remainder 0) included.
  if (x < v.left_rail_x) {
    col = LABEL_MARGIN_COLUMN;
    if (v.click_dx >= 0) v.click_dx = -cw;
  }
  v.cursor_col = col;
  if (y < v.row_height) {
    v.cursor_row = v.top_row;
    v.hover_row = v.top_row;
  } else {
    v.cursor_row = v.top_row + (y - v.top_margin) / v.row_height;
    v.hover_row = v.top_row + 1 + (y - v.row_height) / v.row_height;
  }
  v.click_dy = (y - v.top_margin) % v.row_height;
  return true;
}

SpanResult show_cursor_span(ViewState& v, const LadderRow* row, bool comment_mode, int client_width) {
  const int c = v.cursor_col;
  const int r = v.cursor_row;
  const int cw = v.cell_width;
  const int top = row_top(v, r);
  const bool multi = (word0(row, c) & MULTI_CELL) != 0;

  // The ends of a multi-cell element: e the right end, s the left end (-1 none).
  int e = c;
  int s = -1;
  if (multi) {
    for (e = c; e <= OUTPUT_COLUMN; ++e) {
      const uint32_t w = word0(row, e);
      if ((w & BOX_END_BITS) == 0x400 || (w & CellFlags::TIMER_OUTPUT) != 0 || (w & CellFlags::OUTPUT) != 0) break;
    }
    for (int k = std::min(c, ROW_CELLS - 1); k >= 0; --k) {
      const uint32_t w = word0(row, k);
      if ((w & BOX_END_BITS) == BOX_END_BITS || (w & CellFlags::TIMER_COIL) != 0) {
        s = k;
        break;
      }
    }
  }

  int start = c;
  int width = 0;
  PixelRect rect{};
  if (comment_mode) {
    if (c == s && multi && (word0(row, c) & CellFlags::TIMER_COIL) == 0) return {-2, {}};
    int x0 = 0;
    if (c == LABEL_MARGIN_COLUMN) {
      rect = {0, top, v.left_rail_x, (r - v.top_row + 1) * v.row_height + v.top_margin + v.row_height / 4};
    } else {
      int j = 0;
      for (; j < RAIL_COLUMNS; ++j)
        if ((word0(row, j) & (CellFlags::COMMENT_ROW | (j == 0 ? 0xDu : 0xFu))) != 0) break;
      if (j == RAIL_COLUMNS || (word0(row, j) & CellFlags::COMMENT_ROW) != 0) {
        start = 0;
        width = 11;
        x0 = v.left_rail_x;
      } else if (c >= 1 && row != nullptr && (row_output_code(*row) == 127 || row_output_code(*row) == 128)) {
        start = 1;
        width = 10;
        x0 = v.left_rail_x + cw;
      } else {
        const int y = top + v.part_height / 4;
        rect = {column_x(v, c), y, column_x(v, c + 1), y + v.row_height * 3 / 2};
        v.sel_col = c;
        v.sel_row = r;
        v.sel_width = 0;
        return {0, rect};
      }
      const int y = top - v.part_height / 5;
      rect = {x0, y, rail_edge(v, client_width), y + v.row_height * 3 / 2};
    }
  } else if (c == LABEL_MARGIN_COLUMN) {
    rect = {0, top - v.part_height / 5, v.left_rail_x,
            (r - v.top_row + 1) * v.row_height + v.top_margin + v.row_height / 4};
  } else {
    // A multi-cell cell whose element has no first cell (a damaged row) is shown as the
    // single cell it is, so that the span never starts left of column 0.
    if (multi && s >= 0) {
      if (e == OUTPUT_COLUMN) {
        v.cursor_col = OUTPUT_COLUMN;
        start = s;
        width = e - s;
      } else {
        v.cursor_col = s;
        start = s;
        width = 2;
      }
    }
    int y = top - v.part_height / 5;
    int right = start + width + 1 == RAIL_COLUMNS ? rail_edge(v, client_width) : column_x(v, start + width + 1);
    if (start > 10) {
      y -= v.part_height / 5;
      right = rail_edge(v, client_width) - cw / 28;
    }
    rect = {column_x(v, start), y, right, y + v.row_height + v.part_height / 4};
    if (start > 10) rect.bottom += v.part_height / 5;  // only the top moves up
  }
  v.sel_col = start;
  v.sel_row = r;
  v.sel_width = width;
  return {0, rect};
}

std::optional<PixelRect> erase_cursor_span(ViewState& v, bool comment_mode, int client_width) {
  const int t = (v.sel_row - v.top_row) * v.row_height + v.top_margin;
  const int cw = v.cell_width;
  std::optional<PixelRect> rect;
  if (v.sel_col == SELECTION_WHOLE_ROWS) {
    rect = PixelRect{v.left_rail_x, t - v.part_height / 4, rail_edge(v, client_width),
                     (v.sel_row + v.sel_rows - v.top_row + 2) * v.row_height + v.top_margin + v.part_height / 8};
  } else if (v.sel_col >= 12) {
    rect = PixelRect{0, t, v.left_rail_x, (v.sel_row - v.top_row + 1) * v.row_height + v.top_margin + v.row_height / 4};
  } else if (v.sel_col >= 0) {
    const int right = v.sel_col + v.sel_width >= 11 ? rail_edge(v, client_width) - cw / 28
                                                    : column_x(v, v.sel_col + v.sel_width + 1);
    const int y = t - v.part_height / 5;
    const int bottom = comment_mode ? y + v.row_height * 3 / 2
                                    : (v.sel_row + v.sel_rows - v.top_row + 1) * v.row_height + v.top_margin +
                                          v.part_height / 5;
    rect = PixelRect{column_x(v, v.sel_col), y, right, bottom};
  }
  v.sel_col = NO_SELECTION;
  return rect;
}

std::optional<PixelRect> clear_line_marker(ViewState& v) {
  if (v.marker_on == 0) return std::nullopt;
  const int top = row_top(v, v.marker_row);
  v.marker_on = 0;
  return PixelRect{column_x(v, v.marker_col) - 10, top, column_x(v, v.marker_col + 1), top + v.row_height};
}

CellArea cell_area_rects(ViewState& v, const LadderRow* row, int r, int c, int width, bool above_only,
                         int client_width) {
  CellArea area{0, {}};
  if (r < v.top_row || r > v.top_row + v.visible_rows + 1) return area;
  const int cw = v.cell_width;
  const auto T = [&](int row_index) { return row_top(v, row_index); };
  const auto X = [&](int column) { return column_x(v, column); };
  const uint32_t w0 = word0(row, c);
  if (above_only) {
    area.rect[area.count++] = {X(c) - cw / 5, T(r) - 5, c > 10 ? X(c + 1) - 23 : X(c + 1), T(r) - 5 + v.part_height / 3};
  } else if ((w0 & CellFlags::OUTPUT) != 0) {
    // The operand cells of the row's output instruction lie left of column 11 (none for OUT).
    const int n = row != nullptr && row_output_code(*row) != Instr::OUT
                      ? box_operand_cells(static_cast<InstructionCode>(row_output_code(*row)))
                      : 0;
    v.box_start_col = c - n;
    area.rect[area.count++] = {X(v.box_start_col), T(r) - 9, client_width - 1, T(r) + v.row_height + 5};
    if (r != v.top_row)
      area.rect[area.count++] = {X(v.box_start_col), T(r - 2), X(v.box_start_col + 1), T(r - 2) + v.part_height + 9};
  } else if ((w0 & CellFlags::COMPARISON) != 0) {
    v.box_start_col = c;
    area.rect[area.count++] = {X(c), T(r) - 9, X(c + 4), T(r) + v.row_height + 5};
  } else {
    PixelRect rect{};
    if (c == LABEL_MARGIN_COLUMN) {
      rect.left = 0;
      rect.right = v.left_rail_x;
      rect.top = r == v.top_row ? 0 : T(r);
      rect.bottom = rect.top + v.row_height + v.row_height * 5 / 8;
    } else {
      rect.left = X(c - 1) - cw / 3;
      rect.right = X(c + width + 2) + cw / 2;
      if (c == OUTPUT_COLUMN) {
        rect.top = r == v.top_row ? T(r) : T(r - 1);
        rect.bottom = T(r + 1);
      } else {
        rect.top = r == v.top_row ? 0 : T(r - 1) - 8;
        rect.bottom = rect.top + v.row_height * 5 / 2;
      }
    }
    area.rect[area.count++] = rect;
  }
  return area;
}

uint32_t pack_sync_view(int row, int column, int count, int width) {
  const uint32_t r = static_cast<uint32_t>(std::max(row, 0)) & 0xFFFF;
  return r | (static_cast<uint32_t>(width) & 15) << 16 | (static_cast<uint32_t>(column) & 15) << 20 |
         (static_cast<uint32_t>(count) & 0xFF) << 24;
}

SyncViewNotice unpack_sync_view(uint32_t lparam) {
  return {static_cast<int>(lparam & 0xFFFF), static_cast<int>(lparam >> 20 & 15), static_cast<int>(lparam >> 24 & 0xFF),
          static_cast<int>(lparam >> 16 & 15)};
}

SyncRepaint synced_cells_repaint(const ViewState& v, const SyncViewNotice& n) {
  if (n.count == SYNC_WHOLE_VIEW) return {SyncRepaint::WHOLE, {}};
  if (n.row + 2 < v.top_row || n.row > v.top_row + v.visible_rows + 1) return {SyncRepaint::NOTHING, {}};
  const int column = n.column == LABEL_MARGIN_COLUMN ? -1 : n.column;
  const int top = std::max(0, row_top(v, n.row) - 3);
  return {SyncRepaint::RECT,
          {column_x(v, column), top, column_x(v, column + n.width + 1), top + (n.count + 1) * v.row_height}};
}

namespace {

// The windows of a list in slot order, up to WINDOW_LIST_END and the list's storage.
template <typename Visit>
void each_listed(std::span<const WindowHandle> list, Visit visit) {
  for (WindowHandle w : list) {
    if (w == WINDOW_LIST_END) break;
    if (w != 0) visit(w);
  }
}

}  // namespace

std::vector<WindowHandle> sync_view_targets(std::span<const WindowHandle> list, WindowHandle sender, bool all,
                                            const DesignViewOps& ops) {
  std::vector<WindowHandle> out;
  each_listed(list, [&](WindowHandle w) {
    if (w == sender && !all) return;
    if (!ops.is_live(w) || ops.is_iconic(w)) return;
    const ViewState* view = ops.view_of(w);
    if (view == nullptr || view_file_number(*view) != 0) return;
    out.push_back(w);
  });
  return out;
}

std::vector<WindowHandle> other_live_views(std::span<const WindowHandle> list, WindowHandle sender,
                                           const DesignViewOps& ops) {
  std::vector<WindowHandle> out;
  each_listed(list, [&](WindowHandle w) {
    if (w != sender && ops.is_live(w) && ops.view_of(w) != nullptr) out.push_back(w);
  });
  return out;
}

std::vector<WindowHandle> same_file_views(std::span<const WindowHandle> list, WindowHandle sender,
                                          const DesignViewOps& ops) {
  std::vector<WindowHandle> out;
  const ViewState* own = ops.is_live(sender) ? ops.view_of(sender) : nullptr;
  if (own == nullptr) return out;
  for (WindowHandle w : other_live_views(list, sender, ops))
    if (view_file_number(*ops.view_of(w)) == view_file_number(*own)) out.push_back(w);
  return out;
}

void copy_search_hits(const ViewState& from, ViewState& to) {
  for (int i = 0; i < VIEW_HIT_SLOTS; ++i) {
    to.hit_cols[i] = from.hit_cols[i];
    to.hit_rows[i] = from.hit_rows[i];
    if (from.hit_rows[i] == HIT_LIST_END) break;
  }
}

int pick_two_visible_windows(std::span<const WindowHandle> list, WindowHandle out[2], const DesignViewOps& ops) {
  int count = 0;
  each_listed(list, [&](WindowHandle w) {
    if (!ops.is_live(w)) return;
    const ViewState* view = ops.view_of(w);
    if (view != nullptr && view_owns_document(*view)) ++count;
    if (ops.is_iconic(w)) --count;
  });
  if (count == 2) {
    int k = 0;
    each_listed(list, [&](WindowHandle w) {
      if (k >= 2 || !ops.is_live(w) || ops.is_iconic(w)) return;
      const ViewState* view = ops.view_of(w);
      if (view != nullptr && view_owns_document(*view)) out[k++] = w;
    });
  }
  return count;
}

bool resync_view_for_rows(ViewState& v, int flag) {
  bool moved = false;
  if (flag != 0) {
    v.scroll_max += 1;
    moved = scroll_view_by(v, scroll_delta(v, ScrollCode::LINE_DOWN, 0, 0));
  } else {
    moved = scroll_view_by(v, scroll_delta(v, ScrollCode::LINE_UP, 0, 0));
    v.scroll_max = std::max(0, v.scroll_max - 1);
    v.top_row = std::min(v.top_row, v.scroll_max);
  }
  return moved;
}

PixelRect add_rects(const PixelRect& a, const PixelRect& b) {
  return {a.left + b.left, a.top + b.top, a.right + b.right, a.bottom + b.bottom};
}

void note_design_command() { g_design_repaint_mask |= 0x80000000u; }

void note_shared_view_click(std::span<const int> other_window_indexes) {
  if ((g_design_repaint_mask & 0x80000000u) == 0) return;
  uint32_t mask = 0;
  for (int index : other_window_indexes)
    if (index >= 0 && index < 31) mask |= 1u << index;
  g_design_repaint_mask = mask;
}

bool take_repaint_bit(int window_index) {
  if (window_index < 0 || window_index >= 31) return false;
  const uint32_t bit = 1u << window_index;
  const bool set = (g_design_repaint_mask & bit) != 0;
  g_design_repaint_mask &= ~bit;
  return set;
}
