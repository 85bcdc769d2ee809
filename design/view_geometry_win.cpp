#include "design/view_geometry_win.h"

#include <cstddef>

#include "shell/command_ids.h"
#include "shell/command_routing_win.h"
#include "shell/mode_flags.h"
#include "shell/toolbar_win.h"
#include "shell/window_lists_win.h"

namespace {

bool is_iconic(WindowHandle w) { return IsIconic(as_hwnd(w)) != FALSE; }
ViewState* view_of(WindowHandle w) { return view_state_of(as_hwnd(w)); }

int client_width_of(HWND window) {
  RECT rect{};
  GetClientRect(window, &rect);
  return rect.right - rect.left;
}

void invalidate(HWND window, const PixelRect& rect) {
  const RECT r = to_rect(rect);
  InvalidateRect(window, &r, TRUE);
}

bool comment_mode() { return get_mode_flag(CMD_COMMENT) != 0; }

void set_scroll_range(HWND window, const ViewState& view) { SetScrollRange(window, SB_VERT, 0, view.scroll_max, FALSE); }

}  // namespace

// OpenFileRecord is OPENFILENAMEA spelled in portable types.
static_assert(sizeof(OpenFileRecord) == sizeof(OPENFILENAMEA));
static_assert(offsetof(OpenFileRecord, owner) == offsetof(OPENFILENAMEA, hwndOwner));
static_assert(offsetof(OpenFileRecord, filter) == offsetof(OPENFILENAMEA, lpstrFilter));
static_assert(offsetof(OpenFileRecord, file) == offsetof(OPENFILENAMEA, lpstrFile));
static_assert(offsetof(OpenFileRecord, max_file) == offsetof(OPENFILENAMEA, nMaxFile));
static_assert(offsetof(OpenFileRecord, file_title) == offsetof(OPENFILENAMEA, lpstrFileTitle));
static_assert(offsetof(OpenFileRecord, flags) == offsetof(OPENFILENAMEA, Flags));
static_assert(offsetof(OpenFileRecord, file_extension) == offsetof(OPENFILENAMEA, nFileExtension));
static_assert(offsetof(OpenFileRecord, default_extension) == offsetof(OPENFILENAMEA, lpstrDefExt));
static_assert(offsetof(OpenFileRecord, template_name) == offsetof(OPENFILENAMEA, lpTemplateName));
static_assert(offsetof(OpenFileRecord, flags_ex) == offsetof(OPENFILENAMEA, FlagsEx));
static_assert(OPEN_FILE_READ_ONLY == OFN_READONLY);

OPENFILENAMEA* open_file_of(ViewState& view) { return reinterpret_cast<OPENFILENAMEA*>(&view.open_file); }

const DesignViewOps WIN32_DESIGN_VIEW_OPS{is_live_window, is_iconic, view_of};

ViewState* view_state_of(HWND window) {
  if (window == nullptr || IsWindow(window) == FALSE) return nullptr;
  return reinterpret_cast<ViewState*>(GetWindowLongPtrW(window, CHILD_EXTRA_VIEW_STATE));
}

void design_view_size(HWND window, ViewState& view, ConstGridSpan grid, int client_width, int client_height) {
  // Rows are sized from the MDI client (the window's parent), so every view has the same rows.
  HWND client = GetParent(window);
  RECT rect{};
  if (client == nullptr || GetClientRect(client, &rect) == FALSE) GetClientRect(window, &rect);
  g_design_client_height = client_height;
  const ScrollSetting scroll = size_ladder_view(view, client_width, rect.bottom - rect.top, grid);
  SetScrollRange(window, SB_VERT, 0, scroll.max, FALSE);
  SetScrollPos(window, SB_VERT, scroll.pos, TRUE);
}

LRESULT design_view_vscroll(HWND window, ViewState& view, int code, int thumb_position) {
  const int delta = scroll_delta(view, code, thumb_position, g_design_client_height);
  if (scroll_view_by(view, delta)) {
    SetScrollPos(window, SB_VERT, view.top_row, TRUE);
    InvalidateRect(window, nullptr, TRUE);
  }
  return 0;
}

LRESULT design_view_wheel(HWND window, ViewState& view, int wheel_delta) {
  const int code = wheel_scroll_code(view, wheel_delta);
  if (code < 0) return 0;
  return design_view_vscroll(window, view, code, 0);
}

bool hit_test_grid_cell(HWND window, ViewState& view, LPARAM position) {
  const int x = static_cast<short>(LOWORD(position));
  const int y = static_cast<short>(HIWORD(position));
  return hit_test_grid_cell(view, client_width_of(window), x, y, g_current_tool);
}

int show_cursor_span(HWND window, ConstGridSpan grid, ViewState& view) {
  clear_other_cursors(window);
  const SpanResult span =
      show_cursor_span(view, grid_row_at(grid, view.cursor_row), comment_mode(), client_width_of(window));
  if (span.result == 0) invalidate(window, span.rect);
  return span.result;
}

void erase_cursor_span(HWND window, ViewState& view) {
  if (const auto rect = erase_cursor_span(view, comment_mode(), client_width_of(window))) invalidate(window, *rect);
}

void clear_other_cursors(HWND window) {
  const WindowHandle self = as_window_handle(window);
  for (std::span<const WindowHandle> list : {std::span<const WindowHandle>(g_design_windows),
                                             std::span<const WindowHandle>(g_monitor_windows)}) {
    if (find_window_in_list(list, window) == 0) continue;
    for (WindowHandle other : other_live_views(list, self, WIN32_DESIGN_VIEW_OPS))
      view_of(other)->sel_col = NO_SELECTION;
  }
}

void clear_line_marker(HWND window, ViewState& view) {
  if (const auto rect = clear_line_marker(view)) invalidate(window, *rect);
}

void invalidate_cell_area(HWND window, ConstGridSpan grid, ViewState& view, int row, int column, int width,
                          bool above_only) {
  const CellArea area =
      cell_area_rects(view, grid_row_at(grid, row), row, column, width, above_only, client_width_of(window));
  for (int i = 0; i < area.count; ++i) invalidate(window, area.rect[i]);
}

void broadcast_cell_update(HWND sender, int row, int column, int count, int width, bool all) {
  const LPARAM lparam = static_cast<LPARAM>(pack_sync_view(row, column, count, width));
  for (WindowHandle w : sync_view_targets(g_design_windows, as_window_handle(sender), all, WIN32_DESIGN_VIEW_OPS))
    SendMessageW(as_hwnd(w), WM_COMMAND, CMD_SYNC_VIEW, lparam);
}

void repaint_synced_cells(HWND window, ViewState& view, LPARAM lparam) {
  const SyncRepaint repaint = synced_cells_repaint(view, unpack_sync_view(static_cast<uint32_t>(lparam)));
  if (repaint.kind == SyncRepaint::WHOLE) InvalidateRect(window, nullptr, TRUE);
  if (repaint.kind == SyncRepaint::RECT) invalidate(window, repaint.rect);
}

void sync_search_hits(HWND window, const ViewState& view) {
  for (WindowHandle w : other_live_views(g_design_windows, as_window_handle(window), WIN32_DESIGN_VIEW_OPS)) {
    copy_search_hits(view, *view_of(w));
    InvalidateRect(as_hwnd(w), nullptr, TRUE);
  }
}

void sync_scroll_range(HWND window, const ViewState& view) {
  // Only the views of the sender's own file have its length.
  for (WindowHandle w : same_file_views(g_design_windows, as_window_handle(window), WIN32_DESIGN_VIEW_OPS)) {
    ViewState& other = *view_of(w);
    other.scroll_max = view.scroll_max;
    set_scroll_range(as_hwnd(w), other);
  }
}

ViewState* resync_design_view_scrollbars(HWND window, int row, int flag) {
  ViewState* sender = view_state_of(window);
  // Only the views of the same file have gained or lost the rows.
  for (WindowHandle w : same_file_views(g_design_windows, as_window_handle(window), WIN32_DESIGN_VIEW_OPS)) {
    ViewState& other = *view_of(w);
    if (other.top_row <= row) continue;
    const bool moved = resync_view_for_rows(other, flag);
    set_scroll_range(as_hwnd(w), other);
    SetScrollPos(as_hwnd(w), SB_VERT, other.top_row, TRUE);
    if (moved) InvalidateRect(as_hwnd(w), nullptr, TRUE);
  }
  return sender;
}

int pick_two_visible_windows(std::span<const WindowHandle> list, HWND out[2]) {
  WindowHandle handles[2]{0, 0};
  const int count = pick_two_visible_windows(list, handles, WIN32_DESIGN_VIEW_OPS);
  if (count == 2) {
    out[0] = as_hwnd(handles[0]);
    out[1] = as_hwnd(handles[1]);
  }
  return count;
}

void add_rects(RECT& out, int l1, int t1, int r1, int b1, int l2, int t2, int r2, int b2) {
  out = to_rect(add_rects(PixelRect{l1, t1, r1, b1}, PixelRect{l2, t2, r2, b2}));
}
