// The monitor window's work that needs no window: the size of the grid it loads from an
// operation file, its view geometry and scrolling, the rung range around the visible
// rows and the cells a redraw covers, the switching of inputs by mouse on the
// operation-check screen, the clearing of the state words and the toolbar's CPU label.
//
// Every function reads only the rows of the grid it is given, whatever the view's
// scroll position or the cursor row says.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "core/cell_text.h"  // CellCursor
#include "core/ladder_model.h"
#include "design/view_geometry.h"
#include "shell/view_state.h"

// The rows allocated for the grid of an operation file of `file_length` bytes: one per
// 118 bytes and 100 more, never more than a full grid.
int monitor_grid_rows(long file_length);

// Client height of the monitor window at its last WM_SIZE: the page of the scroll codes.
extern int g_monitor_client_height;

// The END row for the scroll range: the first row among rows 0-5999 whose cell 11 has the
// END flag; the last row of the grid when there is none.
int monitor_end_row(ConstGridSpan grid);

// WM_SIZE: the geometry from the new client width, the MDI client's height, the zoom and
// the comment display; then scroll_max, top_row pulled into it and the rung range.
// Returns the scroll bar to set.
ScrollSetting size_monitor_view(ViewState& view, int client_width, int client_height, int mdi_client_height,
                                ConstGridSpan grid);
// scroll_max from the END row and the client height; top_row pulled into it.
void update_monitor_scroll_max(ViewState& view, int client_height, ConstGridSpan grid);

// The row step of a WM_VSCROLL code (ScrollCode) before clamping; a wheel message is one
// row whatever its delta (down for a negative delta).
int monitor_scroll_step(const ViewState& view, int code, int thumb_position, int client_height);
int monitor_wheel_step(int wheel_delta);
// Moves top_row by the step clamped to 0..scroll_max and recomputes the rung range.
// True when the view moved (the window then repaints and sets the thumb).
bool scroll_monitor_view(ViewState& view, int step, ConstGridSpan grid);

// The first and last grid rows of the rungs that touch the visible rows, into the view.
void compute_visible_rung_range(ViewState& view, ConstGridSpan grid);

// A cell to invalidate: its picture area, or with `value_area` the small area above it.
struct CellRef {
  int row;
  int column;
  bool value_area = false;
  friend bool operator==(const CellRef&, const CellRef&) = default;
};
// The cells redraw_changed_cells invalidates: in the rung range, columns 0-11, every cell
// with a line, link or part, with column 15 of its row; and the value area of every cell
// whose value the monitor shows.
std::vector<CellRef> changed_cells(const ViewState& view, ConstGridSpan grid);

// Zeroes word 2 of the 16 cells of rows 0 to count - 1 (within the grid).
void clear_cell_states(GridSpan grid, int count);

// ---- Inputs switched by mouse (operation-check screen) -----------------------------------
struct InputSwitch {
  int result = 0;           // press: -1 switched, 0 nothing; release: -1, -2 or 0
  uint32_t operand = 0;     // the device switched
  std::vector<CellRef> cells;  // the cells showing the device, to repaint
};
// The press on the cursor cell (cursor_col, cursor_row, click_dx, click_dy from the hit
// test): sets or clears the device's bit in the image (switching its interlock group
// off), copies it into the clicked cell's state word and lists the cells showing the
// device.
InputSwitch press_input_contact(GridSpan grid, const ViewState& view);
// The release after a press: momentary devices switch off again.
InputSwitch release_input_contact(GridSpan grid, const ViewState& view);

// The text of the toolbar's CPU label for the active settings.
std::string monitor_cpu_label(std::string_view cpu_name, bool option_b);

// The text the search dialog's pick puts into its text box from a clicked cell: the
// cell's device text, or its instruction name when the search looks for instructions.
std::string monitor_search_pick_text(ConstGridSpan grid, CellCursor cursor, bool instruction_names);
