#include "design/row_edits.h"

#include <algorithm>
#include <cstring>

#include "core/grid_invariants.h"
#include "shell/menu_states.h"

RangeClipboard g_range_clipboard;

namespace {

// Bits of word 0 that say a cell holds something a row edit must keep.
constexpr uint32_t HOLDS_ANYTHING = CellFlags::LINE | CellFlags::PRESENT;  // 9
constexpr uint32_t LOW_NIBBLE = 0xF;

size_t index_of(int row) { return static_cast<size_t>(row); }

void clear_row(LadderRow& row) {
  for (auto& cell : row.cell) cell.word[0] = cell.word[1] = 0;
  std::memset(row.row_text(), 0, ROW_TEXT_SIZE);
}

void clear_cell(LadderCell& cell, char* text) {
  cell.word[0] = cell.word[1] = 0;
  std::memset(text, 0, CELL_TEXT_SIZE);
}

void move_cell(LadderRow& row, int to, int from) {
  row.cell[to].word[0] = row.cell[from].word[0];
  row.cell[to].word[1] = row.cell[from].word[1];
  std::memcpy(row.text[to], row.text[from], CELL_TEXT_SIZE);
}

// Rows moved together meet at a seam: a link of the lower row that would rise into nothing
// (row 0), into the inside of an element of the row now above it or into a row compiled
// alone goes.
void drop_links_at_seam(GridSpan grid, int row) {
  if (row < 0 || row >= grid_row_capacity(grid)) return;
  LadderRow& lower = grid[index_of(row)];
  if (is_comment_row(lower) || (lower.cell[0].word[0] & CellFlags::SPECIAL) != 0 || is_end_mark_row(lower)) return;
  for (int c = 1; c <= OUTPUT_COLUMN; ++c) {
    if (row == 0 || !link_may_rise(grid[index_of(row - 1)], lower, c)) lower.cell[c].word[0] &= ~CellFlags::LINK_UP;
  }
}

bool columns_empty(const LadderRow& row, int first, int last) {
  for (int c = first; c <= last; ++c)
    if ((row.cell[c].word[0] & HOLDS_ANYTHING) != 0) return false;
  return true;
}

// A row the blank-line and shift edits may change: a program row before the END row.
bool is_shiftable_row(ConstGridSpan grid, int row) {
  const int end_row = find_end_row(grid);
  if (row < 0 || end_row < 0 || row >= end_row) return false;
  const uint32_t first = grid[index_of(row)].cell[0].word[0];
  return (first & (CellFlags::COMMENT_ROW | CellFlags::SPECIAL)) == 0 && !is_text_row(grid[index_of(row)]);
}

// A shifted row keeps every link outside the elements: none of its links stands on the
// inside of one of its own elements or rises into one of the row above, and no link of the
// row below rises into the inside of one of its elements. A shift moves each cell's link
// with the cell (the link joins that cell's left edge to the row above); one that would
// land inside an element would draw a line through it, so such a shift is not made.
bool links_stay_outside_elements(ConstGridSpan grid, int row, const LadderRow& shifted) {
  const LadderRow* above = row > 0 ? &grid[index_of(row - 1)] : nullptr;
  const LadderRow* below = row + 1 < grid_row_capacity(grid) ? &grid[index_of(row + 1)] : nullptr;
  if (below != nullptr && (is_comment_row(*below) || is_end_mark_row(*below))) below = nullptr;
  for (int c = 1; c <= OUTPUT_COLUMN; ++c) {
    if ((shifted.cell[c].word[0] & CellFlags::LINK_UP) != 0 && (above == nullptr || !link_may_rise(*above, shifted, c)))
      return false;
    if (below != nullptr && (below->cell[c].word[0] & CellFlags::LINK_UP) != 0 && !link_may_rise(shifted, *below, c))
      return false;
  }
  return true;
}

}  // namespace

bool clipboard_holds_design_rows(const RangeClipboard& clip) {
  return clip.bounds[0] == CLIP_DESIGN_ROWS && !clip.rows.empty();
}

int grid_row_capacity(ConstGridSpan grid) {
  return static_cast<int>(std::min(grid.size(), static_cast<size_t>(MAX_GRID_ROWS)));
}

int find_end_mark(ConstGridSpan grid) {
  const int rows = grid_row_capacity(grid);
  for (int r = 0; r < rows; ++r)
    if (grid[index_of(r)].cell[0].word[0] == END_MARK_CELL) return r;
  return -1;
}

int find_end_row(ConstGridSpan grid) {
  const int rows = grid_row_capacity(grid);
  for (int r = 0; r < rows; ++r) {
    const LadderRow& row = grid[index_of(r)];
    if (row.cell[0].word[0] == END_MARK_CELL) return -1;
    if (is_end_row(row)) return r;
  }
  return -1;
}

void move_row_contents(LadderRow& to, const LadderRow& from) {
  if (&to == &from) return;
  for (int c = 0; c < ROW_CELLS; ++c) {
    to.cell[c].word[0] = from.cell[c].word[0];
    to.cell[c].word[1] = from.cell[c].word[1];
  }
  std::memcpy(to.row_text(), from.row_text(), ROW_TEXT_SIZE);
}

int insert_blank_row(GridSpan grid, int row) {
  const int end_mark = find_end_mark(grid);
  const int end_row = find_end_row(grid);
  if (end_mark < 0 || end_row < 0 || row < 0 || row > end_row) return -1;
  if (end_mark + 1 >= grid_row_capacity(grid)) return -1;
  for (int r = end_mark; r >= row; --r) move_row_contents(grid[index_of(r + 1)], grid[index_of(r)]);
  LadderRow& blank = grid[index_of(row)];
  clear_row(blank);
  blank.cell[0].word[0] = CellFlags::LINK_UP;
  return 0;
}

int close_blank_row(GridSpan grid, int row, int first_column, int last_column, int* last) {
  const int end_mark = find_end_mark(grid);
  const int end_row = find_end_row(grid);
  if (end_mark < 0 || end_row < 0 || row < 0 || row > end_row) return 1;
  first_column = std::clamp(first_column, 0, OUTPUT_COLUMN);
  last_column = std::clamp(last_column, first_column, OUTPUT_COLUMN);
  int removed = -1;
  if (row > 0 && columns_empty(grid[index_of(row - 1)], first_column, last_column) &&
      !is_comment_row(grid[index_of(row - 1)]))
    removed = row - 1;
  else if (row < end_row && columns_empty(grid[index_of(row)], first_column, last_column) &&
           !is_comment_row(grid[index_of(row)]))
    removed = row;
  if (removed < 0) return 1;
  // Everything below moves one row up, the end mark included; the row after the end mark
  // (zero in a grid as the program keeps it) follows it when the grid holds one.
  const int stop = std::min(end_mark + 1, grid_row_capacity(grid) - 1);
  for (int r = removed; r < stop; ++r) move_row_contents(grid[index_of(r)], grid[index_of(r + 1)]);
  if (stop == end_mark) clear_row(grid[index_of(end_mark)]);
  drop_links_at_seam(grid, removed);
  if (last != nullptr) *last = removed + 11;
  return 0;
}

int range_row_count(ConstGridSpan grid, const ViewState& view) {
  const int end_row = find_end_row(grid);
  if (end_row < 0 || view.range_start_row < 0) return 0;
  int n = 0;
  for (int r = view.range_start_row; r < end_row && grid[index_of(r)].selected != 0; ++r) ++n;
  return n;
}

int remove_range_rows(GridSpan grid, ViewState& view) {
  const int n = range_row_count(grid, view);
  const int end_mark = find_end_mark(grid);
  if (n == 0 || end_mark < 0) return 0;
  const int first = view.range_start_row;
  for (int r = first + n; r <= end_mark; ++r) move_row_contents(grid[index_of(r - n)], grid[index_of(r)]);
  for (int r = end_mark - n + 1; r <= end_mark; ++r) clear_row(grid[index_of(r)]);
  drop_links_at_seam(grid, first);
  view.scroll_max = std::max(0, view.scroll_max - n);
  view.top_row = std::clamp(view.range_scroll, 0, view.scroll_max);
  return n;
}

int copy_range_to_clipboard(ConstGridSpan grid, const ViewState& view, RangeClipboard& clip) {
  const int n = range_row_count(grid, view);
  if (n == 0) return 0;
  const int first = view.range_start_row;
  clip.rows.assign(static_cast<size_t>(n), ClipRow{});
  for (int i = 0; i < n; ++i) {
    const LadderRow& row = grid[index_of(first + i)];
    ClipRow& to = clip.rows[static_cast<size_t>(i)];
    for (int c = 0; c < ROW_CELLS; ++c) to.cell[static_cast<size_t>(c)] = {row.cell[c].word[0], row.cell[c].word[1]};
    std::memcpy(to.text.data(), row.row_text(), ROW_TEXT_SIZE);
  }
  clip.bounds = {CLIP_DESIGN_ROWS, first, first + n - 1};
  g_clip_valid = 1;
  return n;
}

int paste_range_rows(GridSpan grid, ViewState& view, const RangeClipboard& clip) {
  if (!clipboard_holds_design_rows(clip)) return 0;
  const int n = static_cast<int>(clip.rows.size());
  const int end_mark = find_end_mark(grid);
  const int end_row = find_end_row(grid);
  const int at = view.cursor_row;
  if (end_mark < 0 || end_row < 0 || at < 0 || at > end_row) return -1;
  if (end_mark + n >= grid_row_capacity(grid)) return -1;
  for (int r = end_mark; r >= at; --r) move_row_contents(grid[index_of(r + n)], grid[index_of(r)]);
  for (int i = 0; i < n; ++i) {
    const ClipRow& from = clip.rows[static_cast<size_t>(i)];
    LadderRow& row = grid[index_of(at + i)];
    for (int c = 0; c < ROW_CELLS; ++c) {
      row.cell[c].word[0] = from.cell[static_cast<size_t>(c)][0];
      row.cell[c].word[1] = from.cell[static_cast<size_t>(c)][1];
    }
    std::memcpy(row.row_text(), from.text.data(), ROW_TEXT_SIZE);
  }
  drop_links_at_seam(grid, at);
  drop_links_at_seam(grid, at + n);
  view.scroll_max += n;
  view.cursor_row = at + n;
  return n;
}

void clear_range_marks(GridSpan grid, const ViewState& view) {
  const int rows = grid_row_capacity(grid);
  for (int r = std::max(0, view.range_start_row); r < rows && grid[index_of(r)].selected != 0; ++r)
    grid[index_of(r)].selected = 0;
}

int open_cell_left(GridSpan grid, int row_index, int c) {
  if (c < 0 || c > OUTPUT_COLUMN - 1 || !is_shiftable_row(grid, row_index)) return -1;
  // The shift is made on a copy, which replaces the row only when its links still fit.
  LadderRow row = grid[index_of(row_index)];
  const auto w = [&](int column) { return row.cell[column].word[0]; };
  // A cell inside a box or a comparison cannot be split from its element; a comparison's
  // first cell or a cell of an applied instruction moves with its row.
  const uint32_t shape = w(c) & (CellFlags::BOX_POSITION | CellFlags::COMPARISON);
  if (shape != 0 && shape != (CellFlags::BOX_POSITION | CellFlags::COMPARISON) && (w(c) & CellFlags::BOX) == 0)
    return -1;
  if (w(c) == 0 && w(c + 1) == 0) return -1;
  int e = -1;
  for (int k = c + 1; k <= OUTPUT_COLUMN - 1; ++k)
    if ((w(k) & LOW_NIBBLE) == 0) {
      e = k;
      break;
    }
  if (e < 0) {
    // No free cell: the shift has to end on a plain line, which the run overwrites.
    int part = -1;
    for (int k = c; k < OUTPUT_COLUMN; ++k)
      if ((w(k) & LOW_NIBBLE) == CellFlags::PRESENT || (w(k) & CellFlags::LINK_UP) != 0) {
        part = k;
        break;
      }
    if (part < 0) return -1;
    int line = -1;
    for (int k = part; k < OUTPUT_COLUMN; ++k) {
      if ((w(k) & (CellFlags::BOX | CellFlags::TIMER_COIL)) != 0) return -1;
      if ((w(k) & LOW_NIBBLE) == HOLDS_ANYTHING) {
        line = k;
        break;
      }
    }
    if (line < 0) return -1;
    e = OUTPUT_COLUMN - 1;
    for (int k = line + 1; k <= OUTPUT_COLUMN - 1; ++k)
      if ((w(k) & LOW_NIBBLE) == CellFlags::PRESENT || (w(k) & CellFlags::LINK_UP) != 0) {
        e = k - 1;
        break;
      }
    if (e <= c) return -1;
  }
  for (int k = e - 1; k >= c; --k) {
    move_cell(row, k + 1, k);
    if (k == 0) row.cell[1].word[0] &= ~CellFlags::LINK_UP;
  }
  uint32_t freed = 0;
  if (c == 0)
    freed = CellFlags::LINK_UP;
  else if ((w(c - 1) & HOLDS_ANYTHING) != 0)
    freed = CellWord::LINE_ONLY;
  clear_cell(row.cell[c], row.text[c]);
  row.cell[c].word[0] = freed;
  if (!links_stay_outside_elements(grid, row_index, row)) return -1;
  grid[index_of(row_index)] = row;
  return 1;
}

int close_cell_left(GridSpan grid, int row_index, int c) {
  if (c < 0 || c > OUTPUT_COLUMN - 1 || !is_shiftable_row(grid, row_index)) return -1;
  LadderRow row = grid[index_of(row_index)];
  const auto w = [&](int column) { return row.cell[column].word[0]; };
  if ((w(c) & (CellFlags::TIMER_OUTPUT | CellFlags::TIMER_COIL | 0xF00)) != 0) return -1;
  int g = -1;
  for (int k = c; k >= 0; --k) {
    const uint32_t word = w(k);
    if ((word & HOLDS_ANYTHING) == HOLDS_ANYTHING || (k > 0 && (word & LOW_NIBBLE) == 0) ||
        (k == 0 && (word & HOLDS_ANYTHING) == 0)) {
      g = k;
      break;
    }
  }
  if (g < 0) return -1;
  int k = g;
  while (k + 1 < OUTPUT_COLUMN && w(k + 1) == 0) ++k;
  bool complete = false;
  while (k < OUTPUT_COLUMN) {
    // The run stops at the output and at a box's cells: a box moves only as a whole.
    if ((w(k + 1) & (CellFlags::OUTPUT | CellFlags::TIMER_OUTPUT | CellFlags::TIMER_COIL | CellFlags::BOX)) != 0) break;
    const uint32_t moved = w(k + 1);
    const bool keep_link = k > 0 && (w(k - 1) & ~CellFlags::LINK_UP) == 0;
    const uint32_t own_link = w(k) & CellFlags::LINK_UP;
    move_cell(row, k, k + 1);
    if (keep_link) row.cell[k].word[0] = own_link | moved;
    if (moved == 0) {
      complete = true;
      break;
    }
    if (moved == CellFlags::LINK_UP) {
      clear_cell(row.cell[k + 1], row.text[k + 1]);
      complete = true;
      break;
    }
    ++k;
  }
  if (!complete) {
    // The run stopped at the output: the cell it left behind becomes a line when it held
    // more than a bare link.
    const uint32_t held = w(k);
    clear_cell(row.cell[k], row.text[k]);
    row.cell[k].word[0] = held != 0 && held != CellFlags::LINK_UP ? CellWord::LINE_ONLY : 0;
  }
  if (!links_stay_outside_elements(grid, row_index, row)) return -1;
  grid[index_of(row_index)] = row;
  return 1;
}

bool clear_cursor_row(GridSpan grid, const ViewState& view) {
  // Only a row before the END row: the END row, the special rows and the end mark are no
  // rows a user empties (a click in comment mode can leave the cursor on them).
  if (view.cursor_row < 0 || view.cursor_row >= grid_row_capacity(grid) || view.cursor_row >= find_end_row(grid))
    return false;
  LadderRow& row = grid[index_of(view.cursor_row)];
  row.cell[0].word[0] = CellFlags::LINK_UP;
  row.cell[0].word[1] = 0;
  for (int c = 1; c <= 14; ++c) row.cell[c].word[0] = row.cell[c].word[1] = 0;
  for (int c = 1; c <= OUTPUT_COLUMN; ++c) std::memset(row.text[c], 0, CELL_TEXT_SIZE);
  return true;
}
