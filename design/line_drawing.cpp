#include "design/line_drawing.h"

#include <algorithm>
#include <cstdlib>

#include "core/instruction_tables.h"
#include "core/grid_invariants.h"
#include "design/part_placement.h"

namespace {

constexpr uint32_t MULTI_CELL_BITS = 0x70C00;
constexpr uint32_t OUTPUT_CELL_BITS = 0x70000;   // box, TIM/CNT output and coil cells
constexpr uint32_t LINE_KEEP = 0xFFF70002;       // what a completed line keeps of a cell
constexpr int DRAG_THRESHOLD = 8;
constexpr int UP_DRAG_SYNC_ROWS = 30;

bool holds_part(uint32_t w) { return (w & 9) == 8; }
bool is_line_cell(uint32_t w) { return (w & 9) == 9; }

void set_marker(EditEffects& e, ViewState& view, const EditContext& context) {
  view.marker_col = view.cursor_col;
  view.marker_row = view.cursor_row;
  view.marker_on = 1;
  e.invalidate.push_back(cells_rect(view, context.client_width, view.cursor_row, view.cursor_row,
                                    std::max(0, view.cursor_col - 2), view.cursor_col + 2));
  e.status = END_PROMPT;
}

// The line-tool click on an output: the line from the row's last part up to the output.
// False when the marker is to be set instead.
bool complete_line_to_output(GridSpan grid, ViewState& view, const EditContext& context, EditEffects& e) {
  LadderRow& row = grid[static_cast<size_t>(view.cursor_row)];
  if ((row.cell[view.cursor_col].word[0] & OUTPUT_CELL_BITS) != 0) {
    // The element's first cell: left of it lies the cell the line runs to.
    int first = 0;
    for (int c = OUTPUT_COLUMN - 1; c >= 0; --c) {
      const uint32_t w = row.cell[c].word[0];
      if ((w & 0x30C00) == 0) {
        first = c + 1;
        break;
      }
      if ((w & CellFlags::TIMER_COIL) != 0 || (w & CellFlags::BOX_POSITION) == CellFlags::BOX_POSITION) {
        first = c;
        break;
      }
    }
    view.cursor_col = first;
  }
  const int col = view.cursor_col;
  if ((row.cell[col].word[0] & 3) != 0 || (cell_word0(grid, view.cursor_row + 1, col) & CellFlags::LINK_UP) != 0)
    return false;
  int stop = -1;
  for (int c = col - 1; c >= 0; --c) {
    if ((row.cell[c + 1].word[0] & CellFlags::LINK_UP) != 0) {
      stop = c;
      break;
    }
    const uint32_t w = row.cell[c].word[0];
    if (is_line_cell(w)) continue;
    if ((w & CellFlags::PRESENT) != 0) {
      stop = c;
      break;
    }
  }
  if (stop < 0) return false;
  for (int c = stop + 1; c < col; ++c) {
    row.cell[c].word[0] = (row.cell[c].word[0] & LINE_KEEP) | CellWord::LINE_ONLY;
    e.changed = true;
  }
  e.invalidate.push_back(cells_rect(view, context.client_width, view.cursor_row, view.cursor_row, 0, OUTPUT_COLUMN));
  if (e.changed) e.sync = SyncViewNotice{view.cursor_row - 1, 0, 1, OUTPUT_COLUMN};
  return true;
}

}  // namespace

int draw_link_line(GridSpan grid, bool erase, ViewState& view, const EditContext& context, EditEffects& e) {
  const int mc = view.marker_col, mr = view.marker_row;
  const int c = view.cursor_col, r = view.cursor_row;
  if ((c != mc && r != mr) || c == LABEL_COLUMN || mc == LABEL_COLUMN) return 1;
  if (r == mr && c <= mc) return 1;
  if (edit_row(grid, r) == nullptr || edit_row(grid, mr) == nullptr || mc < 0 || c < 0 || c > 12) return 1;
  // A drag past the END row (onto a special row or the end mark) draws nothing there.
  const int limit = editable_row_limit(grid);
  if (r >= limit || mr >= limit) return 1;

  if (r == mr) {
    LadderRow& row = grid[static_cast<size_t>(r)];
    const uint32_t d = row.cell[c - 1].word[0];
    if ((d & CellFlags::BOX_POSITION) == 0x800) return 1;
    if (c - 1 != OUTPUT_COLUMN && (d & CellFlags::BOX_POSITION) == CellFlags::BOX_POSITION) return 1;
    if ((d & CellFlags::TIMER_COIL) != 0) return 1;
    // Nor may the stretch begin inside an element.
    const uint32_t s = row.cell[mc].word[0] & CellFlags::BOX_POSITION;
    if (s == 0x800 || (s == 0x400 && mc != OUTPUT_COLUMN)) return 1;
    if (erase && is_end_row(row)) {
      e.message = END_ROW_ERASE_MESSAGE;
      e.message_caption = END_ROW_ERASE_CAPTION;
      return 1;
    }
    // A line stops at column 10 and never replaces an output's cells; only the erase tool
    // removes an output, and then the whole of it.
    const int last = erase ? c - 1 : std::min(c - 1, OUTPUT_COLUMN - 1);
    if (last < mc) return 1;
    if (!erase)
      for (int col = mc; col <= last; ++col)
        if ((row.cell[col].word[0] & OUTPUT_CELL_BITS) != 0) return 1;
    const LadderRow before = row;
    int first = mc;
    for (int col = mc; col <= last; ++col) {
      if (erase && col == OUTPUT_COLUMN) {
        first = std::min(first, erase_row_output(row));
        continue;
      }
      // What the stretch crosses goes, operand and comment included; the link stays.
      row.cell[col].word[0] &= CellFlags::LINK_UP;
      row.cell[col].word[1] = 0;
      row.text[col][0] = '\0';
      if (!erase) row.cell[col].word[0] |= CellWord::LINE_ONLY;
    }
    // An erased text row (ASM, TABL) loses its text under the whole row.
    int changed_first = 0, changed_last = 0;
    if (changed_columns(before, row, changed_first, changed_last) && changed_first != LABEL_COLUMN)
      first = std::min(first, changed_first);
    e.invalidate.push_back(cells_rect(view, context.client_width, r, r, first, last));
    return 0;
  }

  const int low = std::min(r, mr), high = std::max(r, mr);
  // Downwards the marker's own row is not tested, upwards the end row is.
  const int test_from = r > mr ? mr + 1 : r;
  for (int rr = test_from; rr <= high; ++rr) {
    const LadderRow& row = grid[static_cast<size_t>(rr)];
    const uint32_t position = row.cell[mc].word[0] & CellFlags::BOX_POSITION;
    if (position == 0x800 || position == 0x400 || is_comment_row(row)) return 1;
  }
  // Nor may a link run through the inside of an element (a timer's output cell included), or
  // rise into a row compiled alone.
  if (!erase)
    for (int rr = low + 1; rr <= high; ++rr)
      if (!link_may_rise(grid[static_cast<size_t>(rr - 1)], grid[static_cast<size_t>(rr)], mc)) return 1;
  for (int rr = low + 1; rr <= high; ++rr) {
    uint32_t& w = grid[static_cast<size_t>(rr)].cell[mc].word[0];
    w = erase ? w & ~CellFlags::LINK_UP : w | CellFlags::LINK_UP;
  }
  e.invalidate.push_back(cells_rect(view, context.client_width, low, high, std::max(0, mc - 1), mc));
  return 0;
}

EditEffects line_tool_click(GridSpan grid, ViewState& view, const EditContext& context) {
  EditEffects e;
  const DesignModes& m = context.modes;
  const bool erase = m.tool == DesignToolId::ERASE;
  if (view.click_dx > view.cell_width / 2 && view.cursor_col < 12) ++view.cursor_col;

  if (view.marker_on != 0) {
    const int mc = view.marker_col, mr = view.marker_row;
    if (draw_link_line(grid, erase, view, context, e) == 0) {
      e.changed = true;
      e.sync = SyncViewNotice{std::min(view.cursor_row, mr) - 1, mc, std::abs(view.cursor_row - mr) + 1,
                              OUTPUT_COLUMN - mc};
    }
    add_marker_clear(e, view);
    view.marker_on = 0;
    e.status = START_PROMPT;
    return e;
  }
  // The right half of an OUT coil's cell (where its device name stands) is still the coil:
  // the line tool completes the row up to it there too.
  if (view.cursor_col == 12 && m.line_mode && edit_row(grid, view.cursor_row) != nullptr &&
      row_output_code(grid[static_cast<size_t>(view.cursor_row)]) == static_cast<uint32_t>(Instr::OUT))
    view.cursor_col = OUTPUT_COLUMN;
  if (view.cursor_col >= 12 || edit_row(grid, view.cursor_row) == nullptr) return e;

  const LadderRow& row = grid[static_cast<size_t>(view.cursor_row)];
  const uint32_t w = row.cell[view.cursor_col].word[0];
  const bool on_output = (w & OUTPUT_CELL_BITS) != 0 ||
                         (view.cursor_col == OUTPUT_COLUMN && row_output_code(row) == static_cast<uint32_t>(Instr::OUT));
  if (m.line_mode && on_output && complete_line_to_output(grid, view, context, e)) return e;
  set_marker(e, view, context);
  return e;
}

EditEffects drag_line(GridSpan grid, ViewState& view, const EditContext& context, int x, int y) {
  const DesignModes& m = context.modes;
  if (!(m.line_mode || m.erase_mode) || view.marker_on == 0) return EditEffects::not_handled();
  const bool erase = !m.line_mode;
  EditEffects e;
  const int dx = x - g_click_x;
  const int dy = g_click_y - y;

  if (dx > DRAG_THRESHOLD && dx > dy) {
    const int mr = view.marker_row, mc = view.marker_col;
    LadderRow* row = edit_row(grid, mr);
    // The marker's row may have moved past END (rows removed since): no line there.
    if (row == nullptr || mc < 0 || mc >= OUTPUT_COLUMN || !is_program_row(grid, mr)) {
      add_marker_clear(e, view);
      return e;
    }
    if (erase && is_end_row(*row)) {
      e.message = END_ROW_ERASE_MESSAGE;
      e.message_caption = END_ROW_ERASE_CAPTION;
      add_marker_clear(e, view);
      return e;
    }
    uint32_t& first = row->cell[mc].word[0];
    if (holds_part(first)) {
      // A part under the marker goes first; the next move goes on from there. Parts of
      // several cells are left whole.
      if ((first & MULTI_CELL_BITS) == 0) {
        first = erase ? first & CellFlags::LINK_UP : (first & CellFlags::LINK_UP) | CellWord::LINE_ONLY;
        row->cell[mc].word[1] = 0;
        e.changed = true;
        e.invalidate.push_back(cells_rect(view, context.client_width, mr, mr, mc, mc));
        e.sync = SyncViewNotice{mr, mc, 0, 0};
      }
      return e;
    }
    int last = mc - 1;
    for (int c = mc; c < OUTPUT_COLUMN; ++c) {
      uint32_t& w = row->cell[c].word[0];
      if (erase) {
        if (!is_line_cell(w)) break;
        w &= CellFlags::LINK_UP;
      } else {
        if ((w & (c == mc ? 0xDu : 0xFu)) != 0) break;
        w = (w & CellFlags::LINK_UP) | CellWord::LINE_ONLY;
      }
      last = c;
    }
    add_marker_clear(e, view);
    if (last >= mc) {
      e.changed = true;
      e.invalidate.push_back(cells_rect(view, context.client_width, mr, mr, mc, last));
      e.sync = SyncViewNotice{mr, 0, 0, OUTPUT_COLUMN};
    }
    return e;
  }

  if (dy > DRAG_THRESHOLD && view.cursor_row != 0) {
    const int col = view.cursor_col;
    // The drag starts on a program row (a refused click past END still moved the cursor).
    if (col < 0 || col > OUTPUT_COLUMN || edit_row(grid, view.cursor_row) == nullptr ||
        view.cursor_row >= editable_row_limit(grid)) {
      add_marker_clear(e, view);
      return e;
    }
    int last = view.cursor_row + 1;
    for (int rr = view.cursor_row; rr >= 1; --rr) {
      LadderRow& row = grid[static_cast<size_t>(rr)];
      const LadderRow& above = grid[static_cast<size_t>(rr - 1)];
      // A comment row is never linked to its neighbours.
      if (is_comment_row(row) || is_comment_row(above)) break;
      uint32_t& w = row.cell[col].word[0];
      if (((w & CellFlags::LINK_UP) != 0) != erase) break;
      // A link never runs through the inside of an element, nor rises into a row compiled alone.
      if (!erase && !link_may_rise(above, row, col)) break;
      w ^= CellFlags::LINK_UP;
      last = rr;
      if (col > 0 && (above.cell[col].word[0] & 9) != 0 && (above.cell[col - 1].word[0] & 9) != 0) break;
    }
    add_marker_clear(e, view);
    if (last <= view.cursor_row) {
      e.changed = true;
      e.invalidate.push_back(
          cells_rect(view, context.client_width, last - 1, view.cursor_row, std::max(0, col - 1), col));
      e.sync = SyncViewNotice{last - 1, 0, UP_DRAG_SYNC_ROWS, OUTPUT_COLUMN};
    }
    return e;
  }
  return e;
}
