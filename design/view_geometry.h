// The pixel geometry of a ladder view (design and monitor windows): column width, row
// height, rails, margins and the row-label margin; vertical scrolling and its range; the
// hit test from a mouse position to a grid cell; the selection span drawn around the
// cursor; the screen rectangles a view invalidates when cells change; and the lParam of
// CMD_SYNC_VIEW with which the design views of one file ask each other to repaint.
//
// A ladder view is 13 equal shares of its client width: share 0 is the row-label margin
// (column 15) left of the left rail, shares 1-12 are columns 0-11 between the rails.
// Rows are sized from the height of the MDI client, not of the window itself, so every
// view shows rows of the same height.
//
// Everything here works on the ViewState and the grid alone and returns rectangles; the
// window code (view_geometry_win.h) applies them. Rows outside the grid read as empty:
// no function reads past the grid it is given, whatever the view's scroll position.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "core/ladder_model.h"
#include "shell/view_state.h"
#include "shell/window_lists.h"

inline constexpr int RAIL_COLUMNS = 12;   // columns 0-11 lie between the rails
inline constexpr int WIDTH_SHARES = 13;   // the twelve columns and the row-label margin
inline constexpr int ERASE_TOOL = 12;     // g_current_tool of the erase tool
inline constexpr int SYNC_WHOLE_VIEW = 254;  // CMD_SYNC_VIEW count: repaint the whole client

// Screen rectangle in client pixels, right and bottom exclusive (as a RECT).
struct PixelRect {
  int32_t left, top, right, bottom;
  friend bool operator==(const PixelRect&, const PixelRect&) = default;
};

// Client height of the design window at its last WM_SIZE: the page of page up and down.
extern int g_design_client_height;
// Bit n: design window n repaints itself completely when next activated; bit 31 is set
// at the start of every design command.
extern uint32_t g_design_repaint_mask;

// ---- Geometry (WM_SIZE) -------------------------------------------------------------------

// The row the scroll range is measured from: the first row among rows 0-5999 (and within
// the grid) whose cell 11 carries the END flag; MAX_GRID_ROWS when there is none.
int scroll_end_row(ConstGridSpan grid);

// The scroll bar as a view wants it: range 0..max, thumb at pos.
struct ScrollSetting {
  int32_t max;
  int32_t pos;
  friend bool operator==(const ScrollSetting&, const ScrollSetting&) = default;
};

// Recomputes the geometry fields (row_height, part_height, top_margin, cell_width,
// left_rail_x, right_rail_x, visible_rows) from the view's new client width and the MDI
// client's height, then scroll_max from the END row, and pulls top_row into the range.
// Returns the scroll bar to set.
ScrollSetting size_ladder_view(ViewState& view, int client_width, int mdi_client_height, ConstGridSpan grid);

// ---- Scrolling ------------------------------------------------------------------------------

// Scroll codes of WM_VSCROLL (SB_LINEUP..SB_BOTTOM).
namespace ScrollCode {
inline constexpr int LINE_UP = 0;
inline constexpr int LINE_DOWN = 1;
inline constexpr int PAGE_UP = 2;
inline constexpr int PAGE_DOWN = 3;
inline constexpr int THUMB_POSITION = 4;
inline constexpr int THUMB_TRACK = 5;
inline constexpr int TOP = 6;
inline constexpr int BOTTOM = 7;
}  // namespace ScrollCode

// The row delta of a scroll code, clamped so that top_row stays within 0..scroll_max.
// `page_height` is the client height a page is measured in (g_design_client_height).
int scroll_delta(const ViewState& view, int code, int thumb_position, int page_height);
// Moves top_row by a clamped delta; while a range is selected the cursor follows the view
// to column 0 of the new top row. Returns true when the view moved.
bool scroll_view_by(ViewState& view, int delta);
// A wheel message moves one row whatever its amount: the scroll code to run, or -1 when
// the message does nothing (toward the user while the last page is shown).
int wheel_scroll_code(const ViewState& view, int wheel_delta);

// ---- Hit test --------------------------------------------------------------------------------

// Turns a click at (x, y) into cursor_col, cursor_row, hover_row, click_dx and click_dy,
// and sets cell_width and left_rail_x from the client width. A click left of the left rail
// gives column 15 and a negative click_dx; right of column 11 the column stays 11 except
// within cell_width/6 of the right edge or with the erase tool. Returns false and changes
// nothing when the client is too narrow for a column or the view has no geometry yet.
bool hit_test_grid_cell(ViewState& view, int client_width, int x, int y, int current_tool);

// ---- Selection spans --------------------------------------------------------------------------

// What show_cursor_span decided: result 0 with the rectangle to invalidate, or -2 (comment
// mode on the first cell of a multi-cell element) with nothing drawn.
struct SpanResult {
  int result;
  PixelRect rect;
};

// The span around the cursor cell (`row` is the cursor row of the grid, or null when the
// cursor lies outside it): stores sel_col, sel_row, sel_width and, for a box or TIM/CNT
// output or a comparison contact, moves cursor_col to the element's cell.
SpanResult show_cursor_span(ViewState& view, const LadderRow* row, bool comment_mode, int client_width);
// The rectangle of the span drawn last (none when nothing is drawn); sel_col becomes -1.
std::optional<PixelRect> erase_cursor_span(ViewState& view, bool comment_mode, int client_width);
// The square of the line-draw marker when it is shown; marker_on becomes 0.
std::optional<PixelRect> clear_line_marker(ViewState& view);

// ---- Element areas ---------------------------------------------------------------------------

// The screen area of the element at (row_index, column) with `width` further columns:
// one or two rectangles (none when the row is not on screen). Sets box_start_col for
// output and comparison elements. `row` is that grid row, or null outside the grid.
struct CellArea {
  int count;
  PixelRect rect[2];
};
CellArea cell_area_rects(ViewState& view, const LadderRow* row, int row_index, int column, int width,
                         bool above_only, int client_width);

// The grid row at `index`, or null when the grid does not hold it.
inline const LadderRow* grid_row_at(ConstGridSpan grid, int index) {
  return index >= 0 && static_cast<size_t>(index) < grid.size() ? &grid[static_cast<size_t>(index)] : nullptr;
}

// ---- CMD_SYNC_VIEW -----------------------------------------------------------------------------

// The lParam of CMD_SYNC_VIEW: row bits 0-15, width (further columns) bits 16-19, column
// bits 20-23 (15 the row-label margin), count (further rows, SYNC_WHOLE_VIEW everything)
// bits 24-31. A row above row 0 is sent as row 0, so that a repaint asked for near the top
// is not lost as a row number of 65535.
struct SyncViewNotice {
  int row, column, count, width;
  friend bool operator==(const SyncViewNotice&, const SyncViewNotice&) = default;
};
uint32_t pack_sync_view(int row, int column, int count, int width);
SyncViewNotice unpack_sync_view(uint32_t lparam);

// How a design view answers CMD_SYNC_VIEW.
struct SyncRepaint {
  enum Kind { NOTHING, WHOLE, RECT } kind;
  PixelRect rect;
};
SyncRepaint synced_cells_repaint(const ViewState& view, const SyncViewNotice& notice);

// ---- The design views of one program --------------------------------------------------------

// What the view logic needs of the windows of a WindowList.
struct DesignViewOps {
  bool (*is_live)(WindowHandle window);
  bool (*is_iconic)(WindowHandle window);
  ViewState* (*view_of)(WindowHandle window);  // null when the window has no record
};

// The windows CMD_SYNC_VIEW goes to: every live, not minimised window of the list that
// views the main file, the sender only with `all`. The list is walked up to
// WINDOW_LIST_END and never past its storage.
std::vector<WindowHandle> sync_view_targets(std::span<const WindowHandle> list, WindowHandle sender, bool all,
                                            const DesignViewOps& ops);
// Every other live window of the list that has a record.
std::vector<WindowHandle> other_live_views(std::span<const WindowHandle> list, WindowHandle sender,
                                           const DesignViewOps& ops);
// The other live views of the sender's file: the views whose rows a row edit in the sender
// moved. Nothing when the sender has no record.
std::vector<WindowHandle> same_file_views(std::span<const WindowHandle> list, WindowHandle sender,
                                          const DesignViewOps& ops);
// Copies the search hits (through the HIT_LIST_END entry, never past the arrays).
void copy_search_hits(const ViewState& from, ViewState& to);
// The count of live windows that own their document less the minimised ones; when it is
// exactly 2, the two live, not minimised windows that own their document, in list order.
int pick_two_visible_windows(std::span<const WindowHandle> list, WindowHandle out[2], const DesignViewOps& ops);
// What one other view does when rows are inserted (flag 1) or deleted (flag 0) above its
// top row: its scroll range grows by one and it scrolls a line down, or it scrolls a line
// up and its range shrinks by one (top_row stays within the range). Returns true when the
// view moved (the caller repaints it whole).
bool resync_view_for_rows(ViewState& view, int flag);

// The component-wise sum of two rectangles.
PixelRect add_rects(const PixelRect& a, const PixelRect& b);

// ---- Repaint mask ----------------------------------------------------------------------------

// The start of a design command.
void note_design_command();
// A click into a view that shares the main window's grid: while bit 31 is set, the mask
// becomes the bits of the other design windows (their window indexes).
void note_shared_view_click(std::span<const int> other_window_indexes);
// Activation of design window `window_index`: true when it must repaint completely; its bit
// is cleared.
bool take_repaint_bit(int window_index);
