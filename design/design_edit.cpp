#include "design/design_edit.h"

#include <algorithm>
#include <cstring>

int editable_row_limit(ConstGridSpan grid) {
  const int count = count_program_rows(grid);
  if (count < 0) return 0;
  return std::min<int>(count, static_cast<int>(std::min<size_t>(grid.size(), MAX_GRID_ROWS)));
}

bool is_program_row(ConstGridSpan grid, int row) {
  const LadderRow* r = grid_row_at(grid, row);
  if (r == nullptr || row >= editable_row_limit(grid)) return false;
  const uint32_t first = r->cell[0].word[0];
  return (first & (CellFlags::COMMENT_ROW | CellFlags::SPECIAL)) == 0 && first != END_MARK_CELL;
}

PixelRect cells_rect(const ViewState& view, int client_width, int first_row, int last_row, int first_column,
                     int last_column) {
  const int cw = view.cell_width;
  const auto x_of = [&](int column) { return view.left_rail_x + column * cw; };
  const auto y_of = [&](int row) { return view.top_margin + (row - view.top_row) * view.row_height; };
  PixelRect rect;
  rect.left = first_column >= LABEL_COLUMN ? 0 : std::max(0, x_of(first_column) - cw / 2);
  rect.right = last_column >= OUTPUT_COLUMN ? client_width : x_of(last_column + 1) + cw / 2;
  if (first_column >= LABEL_COLUMN) rect.right = view.left_rail_x;
  // The row above shows the link that stands on this row's cells; the device name is
  // written above the picture.
  rect.top = std::max(0, y_of(first_row - 1));
  rect.bottom = y_of(last_row + 1) + view.row_height / 4;
  return rect;
}

bool changed_columns(const LadderRow& before, const LadderRow& after, int& first, int& last) {
  first = ROW_CELLS;
  last = -1;
  bool label = false;
  for (int c = 0; c < ROW_CELLS; ++c) {
    const bool differs = before.cell[c].word[0] != after.cell[c].word[0] ||
                         before.cell[c].word[1] != after.cell[c].word[1] ||
                         std::memcmp(before.text[c], after.text[c], CELL_TEXT_SIZE) != 0;
    if (!differs) continue;
    if (c == LABEL_COLUMN) {
      label = true;
      continue;
    }
    const int shown = std::min(c, OUTPUT_COLUMN);
    first = std::min(first, shown);
    last = std::max(last, shown);
  }
  if (last < 0 && label) first = last = LABEL_COLUMN;
  return last >= 0;
}

int erase_row_output(LadderRow& row) {
  const bool text_row = is_text_row(row);
  int first = OUTPUT_COLUMN;
  // The cells left of column 11 that belong to the output: a box back to its first cell,
  // the coil cell of a TIM or CNT.
  if ((row.cell[OUTPUT_COLUMN].word[0] & (CellFlags::BOX | CellFlags::TIMER_OUTPUT)) != 0) {
    for (int c = OUTPUT_COLUMN - 1; c >= 0; --c) {
      const uint32_t w = row.cell[c].word[0];
      if ((w & (CellFlags::BOX | CellFlags::TIMER_COIL)) == 0) break;
      first = c;
      if ((w & CellFlags::TIMER_COIL) != 0 || (w & CellFlags::BOX_POSITION) == CellFlags::BOX_POSITION) break;
    }
  }
  for (int c = first; c < OUTPUT_COLUMN; ++c) {
    row.cell[c].word[0] &= CellFlags::LINK_UP;
    row.cell[c].word[1] = 0;
    row.text[c][0] = '\0';
  }
  for (int c = OUTPUT_COLUMN; c <= 14; ++c) {
    row.cell[c].word[0] = c == OUTPUT_COLUMN ? row.cell[c].word[0] & CellFlags::LINK_UP : 0;
    row.cell[c].word[1] = 0;
    row.text[c][0] = '\0';
  }
  if (text_row) {
    row.cell[1].word[0] &= ~CellWord::TEXT_ROW_MARK;
    std::memset(row.row_text(), 0, ROW_TEXT_SIZE);
  }
  return first;
}

int add_span_show(EditEffects& effects, ViewState& view, ConstGridSpan grid, const EditContext& context) {
  const SpanResult span =
      show_cursor_span(view, grid_row_at(grid, view.cursor_row), context.modes.comment_mode, context.client_width);
  effects.clear_other_cursors = true;
  if (span.result == 0) effects.invalidate.push_back(span.rect);
  return span.result;
}

void add_span_erase(EditEffects& effects, ViewState& view, const EditContext& context) {
  if (const auto rect = erase_cursor_span(view, context.modes.comment_mode, context.client_width))
    effects.invalidate.push_back(*rect);
}

void add_marker_clear(EditEffects& effects, ViewState& view) {
  if (const auto rect = clear_line_marker(view)) effects.invalidate.push_back(*rect);
}
