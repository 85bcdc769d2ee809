#include "design/range_commands.h"

#include <algorithm>

#include "core/notice.h"
#include "shell/command_ids.h"
#include "shell/menu_states.h"
#include "shell/mode_flags.h"

namespace {

RowEditEffects row_not_handled() {
  RowEditEffects e;
  e.edit.handled = false;
  return e;
}

// Whole rows on screen, from the row-label margin to the right edge.
PixelRect rows_rect(const ViewState& view, const EditContext& context, int first_row, int last_row) {
  PixelRect rect = cells_rect(view, context.client_width, first_row, last_row, 0, OUTPUT_COLUMN);
  rect.left = 0;
  return rect;
}

SyncViewNotice rows_notice(int row) { return SyncViewNotice{std::max(0, row), 0, ROW_EDIT_SYNC_ROWS, ROW_EDIT_SYNC_WIDTH}; }

void range_status(RowEditEffects& e) {
  e.edit.status = RANGE_STATUS_TEXT;
  e.status_modes = CMD_RANGE_MODE;
}

bool range_drawn(ConstGridSpan grid, const ViewState& view) {
  return view.sel_col == SELECTION_WHOLE_ROWS && range_row_count(grid, view) > 0;
}

// The rows the range grows over are marked; the drag's row.
void mark_rows(GridSpan grid, int first, int last, int32_t value) {
  for (int r = std::max(0, first); r <= last && r < grid_row_capacity(grid); ++r)
    grid[static_cast<size_t>(r)].selected = value;
}

// Copy (1), cut (2) and delete (3).
RowEditEffects copy_cut_delete(GridSpan grid, ViewState& view, const EditContext& context, int submode,
                               RowEditState& state, RangeClipboard& clip, void* owner) {
  RowEditEffects e;
  state.range_submode = submode;
  if (!range_drawn(grid, view)) {
    show_notice(submode == RangeSubmode::COPY ? COPY_WITHOUT_RANGE_MESSAGE : CUT_WITHOUT_RANGE_MESSAGE,
                ROW_EDIT_WARNING_CAPTION, NoticeStyle::OK, owner);
    if (submode != RangeSubmode::COPY) e.edit.invalidate_all = true;
    range_status(e);
    return e;
  }
  view.range_active = 0;
  if (submode == RangeSubmode::COPY) {
    copy_range_to_clipboard(grid, view, clip);
    clear_range_marks(grid, view);
    add_span_erase(e.edit, view, context);
    e.enable_paste = true;
    state.range_submode = RangeSubmode::SELECT;
    range_status(e);
    return e;
  }
  const char* question = submode == RangeSubmode::CUT ? CUT_QUESTION : DELETE_QUESTION;
  if (show_notice(question, ROW_EDIT_CONFIRM_CAPTION, NoticeStyle::OK_CANCEL, owner) != NoticeAnswer::OK) {
    clear_range_marks(grid, view);
    add_span_erase(e.edit, view, context);
    state.range_submode = RangeSubmode::SELECT;
    range_status(e);
    e.edit.invalidate_all = true;
    return e;
  }
  add_span_erase(e.edit, view, context);
  if (submode == RangeSubmode::CUT) copy_range_to_clipboard(grid, view, clip);
  remove_range_rows(grid, view);
  e.set_scroll_range = true;
  e.edit.scrolled = true;
  e.edit.changed = true;
  clear_range_marks(grid, view);
  e.edit.sync = rows_notice(view.range_start_row);
  e.enable_paste = submode == RangeSubmode::CUT || clipboard_holds_design_rows(clip);
  state.range_submode = RangeSubmode::SELECT;
  range_status(e);
  e.edit.invalidate_all = true;
  return e;
}

}  // namespace

RowEditEffects range_select_click(GridSpan grid, ViewState& view, const EditContext& context) {
  RowEditEffects e;
  if (view.range_active != 0) {
    clear_range_marks(grid, view);
    view.range_active = 0;
    view.sel_col = NO_SELECTION;
    e.edit.invalidate_all = true;
    return e;
  }
  const int row = view.cursor_row;
  if (row < 0 || row >= grid_row_capacity(grid)) return e;
  view.range_active = 1;
  view.range_start_row = row;
  view.range_scroll = view.top_row;
  mark_rows(grid, row, row, 1);
  mark_rows(grid, row + 1, row + 1, 0);
  view.range_row = row;
  view.sel_row = row;
  view.sel_rows = 0;
  view.sel_col = SELECTION_WHOLE_ROWS;
  e.edit.clear_other_cursors = true;
  e.edit.invalidate.push_back(rows_rect(view, context, row, row));
  return e;
}

RowEditEffects range_drag(GridSpan grid, ViewState& view, const EditContext& context, int y, RowEditState& state) {
  if (view.range_active == 0 || view.row_height <= 0) return row_not_handled();
  RowEditEffects e;
  int m = (y - view.row_height) / view.row_height + view.top_row + 1;
  if (m > view.range_start_row) m = std::max(0, m - 1);
  // A range never takes the END row: the rows after it are no program.
  const int end_row = find_end_row(grid);
  if (end_row < 0) return e;
  m = std::min(m, end_row - 1);
  view.hover_row = m;
  if (m == view.range_row) return e;
  const int before = view.range_row;
  if (m > view.range_row) {
    mark_rows(grid, m + 1, m + 1, 0);
    mark_rows(grid, view.range_row, m, 1);
    if (m - view.top_row >= view.visible_rows) {
      if (++state.drag_scroll_count % 8 == 0) {
        if (scroll_view_by(view, 1)) {
          e.edit.scrolled = true;
          e.edit.invalidate_all = true;
        }
        view.range_row = m;
      }
    } else {
      view.range_row = m;
    }
  } else {
    if (m < view.range_start_row) return e;
    mark_rows(grid, std::max(m + 1, view.range_start_row + 1), view.range_row, 0);
    view.range_row = m;
    if (m == view.top_row && scroll_view_by(view, -1)) {
      e.edit.scrolled = true;
      e.edit.invalidate_all = true;
    }
  }
  const int first = std::max(view.range_start_row, view.top_row);
  e.edit.invalidate.push_back(rows_rect(view, context, first, std::max(m, before)));
  view.sel_rows = m - first;
  return e;
}

RowEditEffects range_command(GridSpan grid, ViewState& view, const EditContext& context, int command_id,
                             RowEditState& state, RangeClipboard& clip, void* owner) {
  int id = command_id;
  if (id >= CMD_POPUP_RANGE_SELECT && id <= CMD_POPUP_RANGE_PASTE) id = id - CMD_POPUP_RANGE_SELECT + CMD_RANGE_SELECT;
  if (id >= CMD_POPUP_BLANK_OPEN && id <= CMD_POPUP_BLANK_OPEN + 3) id = id - CMD_POPUP_BLANK_OPEN + CMD_BLANK_OPEN;
  RowEditEffects e;
  switch (id) {
    case CMD_RANGE_SELECT:
      state.range_submode = RangeSubmode::SELECT;
      range_status(e);
      return e;
    case CMD_RANGE_COPY:
      return copy_cut_delete(grid, view, context, RangeSubmode::COPY, state, clip, owner);
    case CMD_RANGE_CUT:
      return copy_cut_delete(grid, view, context, RangeSubmode::CUT, state, clip, owner);
    case CMD_RANGE_DELETE:
      return copy_cut_delete(grid, view, context, RangeSubmode::REMOVE, state, clip, owner);
    case CMD_RANGE_PASTE:
      state.range_submode = RangeSubmode::PASTE;
      range_status(e);
      return e;
    default:
      break;
  }
  if (id >= CMD_BLANK_OPEN && id <= CMD_BLANK_OPEN + 3) {
    state.blank_submode = id - CMD_BLANK_OPEN;
    set_mode_flag(CMD_BLANK_LINE_MODE, 1);
    e.edit.blank_submode = state.blank_submode;
    e.edit.status = BLANK_STATUS_TEXT;
    e.status_modes = CMD_BLANK_LINE_MODE;
    return e;
  }
  return row_not_handled();
}

RowEditEffects range_paste_click(GridSpan grid, ViewState& view, const EditContext& context,
                                 const RangeClipboard& clip, void* owner) {
  RowEditEffects e;
  if (g_clip_valid == 0 || !clipboard_holds_design_rows(clip)) {
    show_notice(CLIPBOARD_EMPTY_MESSAGE, ROW_EDIT_WARNING_CAPTION, NoticeStyle::OK, owner);
    return e;
  }
  view.cursor_col = 0;
  view.click_dx = 0;
  add_span_show(e.edit, view, grid, context);
  if (show_notice(PASTE_QUESTION, ROW_EDIT_CONFIRM_CAPTION, NoticeStyle::OK_CANCEL, owner) != NoticeAnswer::OK) return e;
  add_span_erase(e.edit, view, context);
  if (view_file_number(view) != 0) {
    show_notice(PASTE_REFERENCE_MESSAGE, ROW_EDIT_WARNING_CAPTION, NoticeStyle::OK, owner);
    return e;
  }
  if (paste_range_rows(grid, view, clip) <= 0) {
    show_notice(PASTE_FULL_MESSAGE, ROW_EDIT_WARNING_CAPTION, NoticeStyle::OK, owner);
    return e;
  }
  e.set_scroll_range = true;
  e.edit.scrolled = true;
  e.edit.changed = true;
  e.edit.sync = rows_notice(view.cursor_row - 2);
  e.edit.invalidate_all = true;
  return e;
}

RowEditEffects blank_line_click(GridSpan grid, ViewState& view, const EditContext& context, int blank_submode,
                                void* owner) {
  RowEditEffects e;
  const int row = view.hover_row;
  int column = view.cursor_col;
  const bool margin = column == LABEL_COLUMN;
  if (blank_submode == BlankSubmode::OPEN_ROW || blank_submode == BlankSubmode::CLOSE_ROW) {
    const bool open = blank_submode == BlankSubmode::OPEN_ROW;
    const int times = margin ? MARGIN_BLANK_ROWS : 1;
    int done = 0;
    for (int i = 0; i < times; ++i) {
      const bool ok = open ? insert_blank_row(grid, row) == 0 : close_blank_row(grid, row, 0, OUTPUT_COLUMN, nullptr) == 0;
      if (!ok) break;
      ++done;
      e.resync_rows.emplace_back(row, open ? 1 : 0);
      view.scroll_max = open ? view.scroll_max + 1 : std::max(0, view.scroll_max - 1);
      view.top_row = std::min(view.top_row, view.scroll_max);
    }
    if (done == 0) {
      // Only a row that would not fit is worth a word; a close has nothing to say.
      if (open && find_end_mark(grid) + 1 >= grid_row_capacity(grid) && find_end_mark(grid) >= 0)
        show_notice(BLANK_FULL_MESSAGE, ROW_EDIT_WARNING_CAPTION, NoticeStyle::OK, owner);
      return e;
    }
    e.set_scroll_range = true;
    e.edit.scrolled = true;
    e.edit.invalidate_all = true;
    e.edit.sync = rows_notice(row);
    e.edit.changed = true;
    return e;
  }
  if (margin) return e;
  // Open left and close left: a click on the right half of a cell means the next column.
  if (view.click_dx > view.cell_width / 2 && column < OUTPUT_COLUMN - 1) ++column;
  const int result = blank_submode == BlankSubmode::OPEN_LEFT ? open_cell_left(grid, view.cursor_row, column)
                     : blank_submode == BlankSubmode::CLOSE_LEFT ? close_cell_left(grid, view.cursor_row, column)
                                                                 : -1;
  if (result != 1) return e;
  e.edit.invalidate.push_back(rows_rect(view, context, view.cursor_row - 2, view.cursor_row));
  e.edit.sync = rows_notice(row - 2);
  e.edit.changed = true;
  return e;
}
