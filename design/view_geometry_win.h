// The window side of the view geometry: applies what design/view_geometry.h computes to
// real windows (scroll bars, invalidated rectangles, CMD_SYNC_VIEW among the design views
// of one file). The design window's procedure calls these from its messages; each one
// takes the window and its ViewState (and the grid where cells are read).
#pragma once

#include "target/windows_api.h"

#include "core/ladder_model.h"
#include "design/view_geometry.h"
#include "shell/view_state.h"

// The view's open-file record as the common dialogs take it (the two layouts agree).
OPENFILENAMEA* open_file_of(ViewState& view);

// The ViewState of a document window (CHILD_EXTRA_VIEW_STATE), or null.
ViewState* view_state_of(HWND window);

// The design operations on real windows: IsWindow, IsIconic and the window's ViewState.
extern const DesignViewOps WIN32_DESIGN_VIEW_OPS;

inline RECT to_rect(const PixelRect& r) { return RECT{r.left, r.top, r.right, r.bottom}; }
inline PixelRect to_pixel_rect(const RECT& r) { return PixelRect{r.left, r.top, r.right, r.bottom}; }

// WM_SIZE of a design view: recomputes the geometry from the new client width and the MDI
// client's height, notes the window's own height in g_design_client_height, and sets the
// scroll range (no redraw) and position (redraw). The caller then lets the MDI child
// default processing have the message.
void design_view_size(HWND window, ViewState& view, ConstGridSpan grid, int client_width, int client_height);

// WM_VSCROLL (code, thumb position) and WM_MOUSEWHEEL (wheel delta) of a design view.
// Both return 0, the message's result.
LRESULT design_view_vscroll(HWND window, ViewState& view, int code, int thumb_position);
LRESULT design_view_wheel(HWND window, ViewState& view, int wheel_delta);

// The hit test of a click; `position` is the message's lParam (x low word, y high word).
// Returns false when the click could not be placed (no geometry yet).
bool hit_test_grid_cell(HWND window, ViewState& view, LPARAM position);

// Draws the span around the cursor cell as the selection (clearing the cursors of the
// other windows of the window's list first): 0, or -2 in comment mode on the first cell of
// a multi-cell element.
int show_cursor_span(HWND window, ConstGridSpan grid, ViewState& view);
void erase_cursor_span(HWND window, ViewState& view);
// sel_col = -1 in every other live window of the design or monitor list holding `window`.
void clear_other_cursors(HWND window);
void clear_line_marker(HWND window, ViewState& view);
void invalidate_cell_area(HWND window, ConstGridSpan grid, ViewState& view, int row, int column, int width,
                          bool above_only);

// Sends CMD_SYNC_VIEW (row, column, count further rows, width further columns) to the
// design views of the main file, the sender only with `all`.
void broadcast_cell_update(HWND sender, int row, int column, int count, int width, bool all);
// A design view's answer to CMD_SYNC_VIEW. The caller then goes on to the default processing.
void repaint_synced_cells(HWND window, ViewState& view, LPARAM lparam);
// The sender's search hits to every other live design view, each repainted whole.
void sync_search_hits(HWND window, const ViewState& view);
// The sender's scroll_max to every other live design view of the main file (range only).
void sync_scroll_range(HWND window, const ViewState& view);
// Rows were inserted (flag 1) or deleted (flag 0) at `row` of the sender's file: every other
// live design view of that file whose top row lies below it follows. Returns the sender's
// ViewState.
ViewState* resync_design_view_scrollbars(HWND window, int row, int flag);
// See view_geometry.h; the handles go to `out`.
int pick_two_visible_windows(std::span<const WindowHandle> list, HWND out[2]);
void add_rects(RECT& out, int l1, int t1, int r1, int b1, int l2, int t2, int r2, int b2);
