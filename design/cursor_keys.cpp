#include "design/cursor_keys.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstring>

#include "core/cell_text.h"
#include "core/device_tables.h"
#include "design/part_placement.h"

int g_popup_toggle = 0;

namespace {

constexpr uint32_t OUTPUT_CELL_BITS = 0x70000;

int show(EditEffects& e, ViewState& view, ConstGridSpan grid, const EditContext& context) {
  return add_span_show(e, view, grid, context);
}

// True when no column 0-11 of the row holds anything (column 0: a part, line or continuation).
bool row_holds_nothing(const LadderRow& row) {
  for (int c = 0; c <= OUTPUT_COLUMN; ++c)
    if ((row.cell[c].word[0] & (c == 0 ? 0xDu : 0xFu)) != 0) return false;
  return true;
}

// The cursor row within the rows shown and within the grid.
void clamp_cursor_row(ViewState& view, ConstGridSpan grid) {
  view.cursor_row = std::clamp(view.cursor_row, view.top_row, view.top_row + view.visible_rows);
  view.cursor_row = std::clamp(view.cursor_row, 0, std::max(0, static_cast<int>(grid.size()) - 1));
}

EditEffects key_left(GridSpan grid, ViewState& view, const KeyContext& context) {
  EditEffects e;
  const EditContext& ec = context.edit;
  const bool comment = ec.modes.comment_mode;
  clamp_cursor_row(view, grid);
  if (view.cursor_col == LABEL_COLUMN) view.cursor_col = 0;
  if (view.cursor_col == 0) {
    if (comment) {
      view.cursor_col = LABEL_COLUMN;
      e.invalidate_all = true;
    }
    show(e, view, grid, ec);
    return e;
  }
  add_span_erase(e, view, ec);
  const LadderRow& row = grid[static_cast<size_t>(view.cursor_row)];
  const int col = std::min(view.cursor_col, ROW_CELLS - 1);
  const uint32_t w = row.cell[col].word[0];
  if (comment) {
    view.cursor_col = row_holds_nothing(row) || is_comment_row(row) ? LABEL_COLUMN : col - 1;
  } else if ((w & OUTPUT_CELL_BITS) != 0) {
    int first = col;
    for (int k = col; k >= 0; --k) {
      const uint32_t wk = row.cell[k].word[0];
      if ((wk & CellFlags::BOX_POSITION) == CellFlags::BOX_POSITION || (wk & CellFlags::TIMER_COIL) != 0) {
        first = k;
        break;
      }
    }
    view.cursor_col = std::max(0, first - 1);
  } else {
    view.cursor_col = col - 1;
  }
  if (show(e, view, grid, ec) == -2) {
    view.cursor_col = view.cursor_col == 0 ? LABEL_COLUMN : view.cursor_col - 1;
    show(e, view, grid, ec);
  }
  return e;
}

EditEffects key_right(GridSpan grid, ViewState& view, const KeyContext& context) {
  EditEffects e;
  const EditContext& ec = context.edit;
  clamp_cursor_row(view, grid);
  if (view.cursor_col == LABEL_COLUMN) {
    view.cursor_col = 0;
    if (show(e, view, grid, ec) == -2) {
      view.cursor_col += 1;
      show(e, view, grid, ec);
    }
    e.invalidate_all = true;
    return e;
  }
  if (view.cursor_col >= OUTPUT_COLUMN) return e;
  const uint32_t w = cell_word0(grid, view.cursor_row, view.cursor_col);
  if ((w & CellFlags::BOX) != 0) return e;
  add_span_erase(e, view, ec);
  view.cursor_col += (w & CellFlags::BOX_POSITION) == CellFlags::BOX_POSITION ? 3 : 1;
  view.cursor_col = std::min(view.cursor_col, OUTPUT_COLUMN);
  if (show(e, view, grid, ec) == -2) {
    view.cursor_col = std::min(view.cursor_col + 1, OUTPUT_COLUMN);
    show(e, view, grid, ec);
  }
  return e;
}

// Up (step -1) and Down (step +1).
EditEffects key_vertical(GridSpan grid, ViewState& view, const KeyContext& context, int step) {
  EditEffects e;
  const EditContext& ec = context.edit;
  if (ec.modes.shift && context.two_visible_windows == 2) {
    view.sel_col = NO_SELECTION;
    e.scroll_pair = step;
    return e;
  }
  if (ec.modes.shift && view.range_active != 0) {
    // The range drag grows or shrinks the range by one row.
    const int rows = view.hover_row - view.top_row + step;
    if (step < 0 && view.hover_row - 1 < view.range_start_row) return e;
    e.mouse = SelfMouse{SelfMouse::DRAG_SHIFT, view.cursor_col * view.cell_width + view.left_rail_x,
                        rows * view.row_height + view.row_height};
    return e;
  }
  const LadderRow* row = grid_row_at(grid, view.cursor_row);
  if (row == nullptr) return e;
  if (step < 0 && view.cursor_row == 0) return e;
  // The cursor never goes below the END row, nor past the rows a grid without one holds.
  if (step > 0 && (is_end_row(*row) || view.cursor_row + 1 >= editable_row_limit(grid))) return e;
  add_span_erase(e, view, ec);
  if (view.sel_rows != 0) return e;
  const bool at_edge =
      step < 0 ? view.cursor_row == view.top_row : view.cursor_row - view.top_row == view.visible_rows;
  if (at_edge && scroll_view_by(view, step)) {
    e.scrolled = true;
    e.invalidate_all = true;
  }
  if (view.cursor_row < view.top_row) {
    view.cursor_row = view.top_row;
  } else if (view.cursor_row > view.top_row + view.visible_rows) {
    view.cursor_row = view.top_row + view.visible_rows;
  } else {
    view.cursor_row += step;
  }
  view.cursor_row = std::clamp(view.cursor_row, 0, static_cast<int>(grid.size()) - 1);
  if (show(e, view, grid, ec) == -2) {
    view.cursor_row -= step;
    show(e, view, grid, ec);
  }
  return e;
}

EditEffects key_backspace(ConstGridSpan grid, ViewState& view, const KeyContext& context) {
  EditEffects e;
  if (!context.edit.modes.blank_mode || view.sel_col < 0 || view.cursor_row <= 0) return e;
  const LadderRow* above = grid_row_at(grid, view.cursor_row - 1);
  if (above == nullptr) return e;
  for (int c = 0; c <= OUTPUT_COLUMN; ++c)
    if ((above->cell[c].word[0] & 9) != 0) return e;
  e.blank_submode = BLANK_SUBMODE_CLOSE;
  e.mouse = SelfMouse{SelfMouse::LEFT_CLICK, view.cursor_col * view.cell_width + view.left_rail_x,
                      (view.cursor_row - view.top_row) * view.row_height + view.top_margin};
  e.rows_after_mouse = -1;
  return e;
}

void append(EditEffects& into, EditEffects&& from) {
  into.changed = into.changed || from.changed;
  into.invalidate.insert(into.invalidate.end(), from.invalidate.begin(), from.invalidate.end());
  into.invalidate_all = into.invalidate_all || from.invalidate_all;
  into.sync_hits = into.sync_hits || from.sync_hits;
  if (from.sync) into.sync = from.sync;
}

}  // namespace

void hits_to_highlights(std::span<const int32_t> hits, ViewState& view) {
  int i = 0;
  for (const int32_t h : hits) {
    if (h == HIT_LIST_END || i >= VIEW_HIT_SLOTS - 1) break;
    int col = (h >> 20) & 0xF;
    if ((static_cast<uint32_t>(h) & 0x80000000u) != 0) {
      col += (h >> 28) & 3;
    } else {
      col -= h >> 28;
    }
    view.hit_rows[i] = h & 0x1FFFF;
    view.hit_cols[i] = col;
    ++i;
  }
  view.hit_rows[i] = HIT_LIST_END;
}

EditEffects toggle_device_highlight(ConstGridSpan grid, ViewState& view, const KeyContext& context,
                                    int& search_highlight) {
  EditEffects e;
  const bool was_on = search_highlight != 0;
  if (view.sel_col == SELECTION_WHOLE_ROWS) {
    // A range is never highlighted.
    search_highlight = 0;
    if (was_on) {
      view.hit_rows[0] = HIT_LIST_END;
      e.invalidate_all = true;
      e.sync_hits = true;
    }
    return e;
  }
  if (view.sel_col != NO_SELECTION) search_highlight ^= 1;
  if (search_highlight != 0 && view.sel_col >= 0) {
    const uint32_t k = cell_word0(grid, view.sel_row, view.sel_col) & 0x90000009;
    if (k != 8) {
      search_highlight = 0;
      return e;
    }
    char text[CELL_TEXT_BUFFER_SIZE] = {};
    char mark[MARK_TEXT_BUFFER_SIZE] = {};
    format_cell_text(grid, CellCursor{view.sel_row, view.sel_col}, text, mark, false);
    if (text[0] == 'd') {
      // A bit of a data register: its device comes from the M output with the D marker.
      for (int rr = std::min(5, static_cast<int>(grid.size()) - 1); rr >= 0; --rr) {
        const LadderCell& out = grid[static_cast<size_t>(rr)].cell[OUTPUT_COLUMN];
        if ((out.word[0] & CellFlags::OUTPUT) != 0 && (out.word[1] & 0x800000) != 0) {
          std::snprintf(text, sizeof text, "%s%u", device_letter(operand_device_index(out.word[1])),
                        out.word[1] & 0x3FFF);
          break;
        }
      }
    }
    std::array<int32_t, VIEW_HIT_SLOTS> hits;
    hits.fill(HIT_LIST_END);
    if (context.list_uses != nullptr) context.list_uses(grid, text, hits);
    hits_to_highlights(hits, view);
  } else {
    view.hit_rows[0] = HIT_LIST_END;
  }
  e.invalidate_all = true;
  e.sync_hits = true;
  return e;
}

EditEffects delete_span(GridSpan grid, ViewState& view, const KeyContext& context, int& search_highlight) {
  EditEffects e;
  const EditContext& ec = context.edit;
  LadderRow* row = edit_row(grid, view.sel_row);
  const bool single_span = view.sel_col != NO_SELECTION && view.sel_col != SELECTION_WHOLE_ROWS;
  // The END row, comment rows and special rows keep what they hold.
  if (single_span && !ec.modes.comment_mode && row != nullptr && is_program_row(grid, view.sel_row) &&
      !is_end_row(*row)) {
    const LadderRow before = *row;
    int first = view.sel_col;
    // Cells 12-14 hold the output's instruction and operands, and no picture: a span there
    // (a click right of the output column puts the cursor in column 12) is the output's.
    if (first > OUTPUT_COLUMN && first < LABEL_COLUMN) first = OUTPUT_COLUMN;
    // A span on the grid's columns ends at the output (its operand cells go with it); the
    // row label is a span of its own.
    int last = std::min(view.sel_col + view.sel_width, first <= OUTPUT_COLUMN ? OUTPUT_COLUMN : ROW_CELLS - 1);
    // Elements go whole: a span that reaches into a comparison takes all of it, one that
    // reaches a cell of the output's box or timer takes the output.
    const auto comparison_inside = [&](int c) {
      const uint32_t w = row->cell[c].word[0];
      const uint32_t p = w & CellFlags::BOX_POSITION;
      return (w & CellFlags::BOX) == 0 && (p == 0x800 || p == 0x400);
    };
    bool output_cells = false;
    if (first < OUTPUT_COLUMN) {
      while (first > 0 && comparison_inside(first)) --first;
      while (last + 1 < OUTPUT_COLUMN && comparison_inside(last + 1)) ++last;
    }
    if (first <= OUTPUT_COLUMN) {
      for (int c = first; c <= std::min(last, OUTPUT_COLUMN); ++c)
        if ((row->cell[c].word[0] & (CellFlags::BOX | CellFlags::TIMER_COIL | CellFlags::TIMER_OUTPUT)) != 0)
          output_cells = true;
    }
    if (output_cells) {
      first = std::min(first, erase_row_output(*row));
      last = std::max(last, static_cast<int>(OUTPUT_COLUMN));
    }
    for (int c = first; c <= last; ++c) {
      row->cell[c].word[0] &= CellFlags::LINK_UP;
      row->cell[c].word[1] = 0;
      row->text[c][0] = '\0';
    }
    if (first <= OUTPUT_COLUMN && last == OUTPUT_COLUMN) erase_row_output(*row);
    e.changed = true;
    // A text row's text (ASM, TABL) runs under the whole row: the repaint reaches every cell
    // whose words or text changed.
    int changed_first = 0, changed_last = 0;
    if (first != LABEL_COLUMN && changed_columns(before, *row, changed_first, changed_last) &&
        changed_first != LABEL_COLUMN)
      first = std::min(first, changed_first);
    e.invalidate.push_back(cells_rect(view, ec.client_width, view.sel_row, view.sel_row,
                                      first == LABEL_COLUMN ? LABEL_COLUMN : first, last));
    e.sync = SyncViewNotice{view.sel_row, first, 0, std::max<int>(view.sel_width, last - first)};
  }
  append(e, toggle_device_highlight(grid, view, context, search_highlight));
  return e;
}

EditEffects design_key(GridSpan grid, ViewState& view, const KeyContext& context, int key, int& search_highlight) {
  switch (key) {
    case DesignKey::LEFT:
      return key_left(grid, view, context);
    case DesignKey::RIGHT:
      return key_right(grid, view, context);
    case DesignKey::UP:
      return key_vertical(grid, view, context, -1);
    case DesignKey::DOWN:
      return key_vertical(grid, view, context, 1);
    case DesignKey::BACK:
      return key_backspace(grid, view, context);
    case DesignKey::DELETE_KEY:
      return delete_span(grid, view, context, search_highlight);
    case DesignKey::SPACE:
      return toggle_device_highlight(grid, view, context, search_highlight);
    default:
      return EditEffects::not_handled();
  }
}

EditEffects design_page_command(ConstGridSpan grid, ViewState& view, int command_id) {
  EditEffects e;
  switch (command_id) {
    case 709: {
      const int top = std::max(0, view.top_row - PAGE_KEY_ROWS);
      if (top != view.top_row) {
        view.top_row = top;
        e.scrolled = true;
        e.invalidate_all = true;
      }
      return e;
    }
    case 710: {
      const int end = scroll_end_row(grid);
      if (end >= view.top_row && end <= view.top_row + PAGE_KEY_ROWS) return e;
      // The view never scrolls past its range, whatever the distance to the END row.
      const int top = std::min(view.top_row + PAGE_KEY_ROWS, view.scroll_max);
      if (top > view.top_row) {
        view.top_row = top;
        e.scrolled = true;
        e.invalidate_all = true;
      }
      return e;
    }
    case 708:
      e.close_dialogs = true;
      e.reset_modes = true;
      return e;
    default:
      return EditEffects::not_handled();
  }
}

std::vector<PopupItem> range_popup_items(int range_submode) {
  std::vector<PopupItem> items{{1896, "&H 範囲"}, {1897, "&C コピ－"}, {1898, "&T 切り取り"},
                               {1899, "&K 削除"}, {1900, "&P 貼り付け"}};
  for (auto& item : items) item.checked = item.id == 1896 + range_submode;
  return items;
}

std::vector<PopupItem> blank_line_popup_items(int blank_submode) {
  std::vector<PopupItem> items{{1903, "&K 空行開け"}, {1904, "&Z 空行詰め"}, {0, ""}, {1905, "&L 左空け"},
                               {1906, "&R 左詰め"}};
  for (auto& item : items) item.checked = item.id != 0 && item.id == 1903 + blank_submode;
  return items;
}

std::vector<PopupItem> comment_popup_items(const LadderRow& row, int column) {
  PopupItem item{1909, NO_COMMENT_TEXT};
  if (column >= 0 && column < ROW_CELLS && (row.cell[column].word[0] & CellFlags::HAS_COMMENT) != 0)
    item.text.assign(row.text[column], strnlen(row.text[column], CELL_TEXT_SIZE));
  return {item};
}

int popup_item_command(int item_id) {
  if (item_id >= 1896 && item_id <= 1900) return item_id - 1896 + 1179;
  if (item_id >= 1903 && item_id <= 1906) return item_id - 1903 + 1184;
  return 0;
}

EditEffects design_right_click(GridSpan grid, ViewState& view, const EditContext& context, int x, int y,
                               int& popup_toggle) {
  EditEffects e;
  const DesignModes& m = context.modes;
  if (!hit_test_grid_cell(view, context.client_width, x, y, m.tool)) return e;
  const LadderRow* row = grid_row_at(grid, view.cursor_row);
  const uint32_t w = cell_word0(grid, view.cursor_row, view.cursor_col);
  const bool part = (w & 9) == 8;
  if (m.comment_mode) {
    if (part && row != nullptr) {
      add_span_erase(e, view, context);
      add_marker_clear(e, view);
      e.popup = comment_popup_items(*row, view.cursor_col);
    }
    return e;
  }
  if (m.range_mode) {
    popup_toggle ^= 1;
    if (popup_toggle == 1) e.popup = range_popup_items(m.range_submode);
    return e;
  }
  if (m.placement_tool_checked && part) {
    add_span_erase(e, view, context);
    add_span_show(e, view, grid, context);
    e.dialog.dialog = DesignDialog::NUMBER;
    e.dialog.create = !m.number_dialog_open;
    e.dialog.set_text = true;
    char text[CELL_TEXT_BUFFER_SIZE] = {};
    char mark[MARK_TEXT_BUFFER_SIZE] = {};
    format_cell_text(grid, CellCursor{view.cursor_row, view.cursor_col}, text, mark, false);
    e.dialog.text = text;
    return e;
  }
  if (m.blank_mode) {
    popup_toggle ^= 1;
    if (popup_toggle == 1) {
      add_span_erase(e, view, context);
      add_marker_clear(e, view);
      e.popup = blank_line_popup_items(m.blank_submode);
    }
  }
  return e;
}
