// Part placement on the design grid: what a left click does with the tool in force
// (contacts, OUT, TIM and CNT outputs, the function picker, the dialog modes, and the
// hand-over to the line tools and the row edits), and what the function keys F1-F9, F11,
// F12 and Shift+F11 do at the cursor. Every successful edit changes the grid, asks for an
// undo snapshot, repaints the changed cells and notifies the other views; a refused one
// changes nothing and says nothing.
#pragma once

#include "design/design_edit.h"

// -1: no contact may stand in the cell (column 11 or the margin, a cell of a box, of a
// TIM/CNT output or of an applied instruction); -2: the first cell of a comparison contact
// (its two operand cells go when a contact is put there); 0 otherwise.
int cell_accepts_contact(ConstGridSpan grid, int row, int column);

// Whether an output with instruction `code` (OUT 15, TIM 53) may stand at the cursor:
// 1 when the cursor is neither in column 10 nor 11 (nothing checked); otherwise the cursor
// moves from column 10 to 11 and the result is -1 when a link in the output's operand
// columns (this row or the next), a box's last cell left of column 11 or an END row above
// the cursor row forbids it, else 0.
int check_output_placement(ConstGridSpan grid, ViewState& view, int code);

// Before an OUT, TIM or CNT replaces an output whose cell 11 ends a box or a TIM/CNT: the
// cells of that element left of column 10 that the placement does not overwrite become
// lines (their link bits kept). The run stops at the element's own first cell. sel_width
// grows to the element's width.
void replace_box_by_lines(GridSpan grid, ViewState& view);

// A left click at (x, y) in client pixels with the tool and modes of `context`: the hit
// test, the ignored rows, the dialog modes, placement, and the hand-overs to the line tools
// (line_drawing.h) and the row edits. `search_highlight` is g_search_highlight; the click
// clears it. The press position goes to g_click_x and g_click_y.
EditEffects design_left_click(GridSpan grid, ViewState& view, const EditContext& context, int x, int y,
                              int& search_highlight);

// Placement with tools 1-10 at the cursor (the click's step after the hit test).
EditEffects place_with_tool(GridSpan grid, ViewState& view, const EditContext& context);

// The function keys: WM_COMMAND 1089-1097 (F1-F9), 1099 (F11), 1100 (F12), 1231 (Shift+F11).
// Returns not_handled() for any other id.
EditEffects apply_function_key(GridSpan grid, ViewState& view, const EditContext& context, int command_id);

// A click in a dialog mode (number, search or comment): which dialog the click feeds.
EditEffects dialog_mode_click(ConstGridSpan grid, ViewState& view, const EditContext& context);

// The press position of the last left click (read by the drags).
extern int g_click_x;
extern int g_click_y;

// Comment texts of the always-on and always-off relays (CP932).
extern const char ALWAYS_ON_TEXT[];
extern const char ALWAYS_OFF_TEXT[];
