// Whole-row edits of the design grid: the row clipboard of the range mode (copy, cut,
// delete and paste of a run of selected rows) and the blank-line mode's routines (open
// and close an empty row, shift the cells of a row one column right or left).
//
// Design rows never go to the Windows clipboard: they are kept in the program's own
// RangeClipboard for the whole run. A clipboard row carries words 0 and 1 of its 16
// cells and the row's whole text area (the 16 cell texts, or the one text that a comment
// or text row runs across all its slots), so that a long comment comes back whole.
//
// Every routine here works on the grid and the view alone, is bounded by the grid's own
// size and by MAX_GRID_ROWS, and refuses (changing nothing) what would push the end mark
// past the grid or move the END row, the special rows after it or the end mark.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "core/ladder_model.h"
#include "shell/view_state.h"

// One row of the clipboard.
struct ClipRow {
  std::array<std::array<uint32_t, 2>, ROW_CELLS> cell{};  // words 0 and 1 of the 16 cells
  std::array<char, ROW_TEXT_SIZE> text{};                  // the row's text area
};

// The program's row clipboard, shared by the design windows of every file and the
// mnemonic window. bounds[0] says what it holds: CLIP_DESIGN_ROWS after a design copy or
// cut (bounds[1] and bounds[2] are the first and last grid row copied), the line count
// after a mnemonic copy. g_clip_valid (shell/menu_states.h, which enables the paste menu
// item) is set once anything was copied or cut and stays so.
inline constexpr int32_t CLIP_DESIGN_ROWS = 1;
struct RangeClipboard {
  std::array<int32_t, 3> bounds{};  // g_clip_bounds
  std::vector<ClipRow> rows;        // the cells and texts of the copied design rows
};
extern RangeClipboard g_range_clipboard;

// True when the clipboard holds design rows a paste can use: a design copy or cut filled
// it last and it holds at least one row. A mnemonic copy alone does not count, nor does
// g_clip_valid, which a mnemonic copy sets too.
bool clipboard_holds_design_rows(const RangeClipboard& clip);

// The end-mark row: the first row whose cell 0 word 0 is END_MARK_CELL, within the grid
// and MAX_GRID_ROWS; -1 when there is none.
int find_end_mark(ConstGridSpan grid);
// The END row (cell 11 with the END flag) before the end mark; -1 when there is none.
int find_end_row(ConstGridSpan grid);
// Rows a grid may use: its size, at most MAX_GRID_ROWS.
int grid_row_capacity(ConstGridSpan grid);

// Copies words 0 and 1 of the 16 cells and the text area of `from` into `to`; the
// selected word and the source position of `to` stay.
void move_row_contents(LadderRow& to, const LadderRow& from);

// Opens an empty program row at `row`: the rows from `row` through the end mark move one
// row down, and `row` gets the link to the left rail (cell 0 word 0 = 2) and nothing else.
// 0 done; -1 refused (no end mark, `row` after the END row, or the end mark would leave
// the grid), nothing changed.
int insert_blank_row(GridSpan grid, int row);
// Closes an empty row at `row`: when the row above holds nothing in columns 0-11 that row
// goes, otherwise `row` itself must hold nothing there. The rows below move one up (a row
// that becomes row 0 loses the links of cells 1-11). Stores the removed row + 11 in `last`.
// 0 done, 1 refused (the row is the end mark or after the END row, or neither row is
// empty), nothing changed.
int close_blank_row(GridSpan grid, int row, int first_column, int last_column, int* last);

// The rows of the drawn range: the run of selected rows from range_start_row, stopping at
// the END row, which a range never takes.
int range_row_count(ConstGridSpan grid, const ViewState& view);
// Removes the rows of the range: the rows below move up, the rows freed before the end
// mark are cleared, scroll_max shrinks by the rows removed (never below 0) and top_row
// goes back to range_scroll (within the scroll range). Returns the rows removed.
int remove_range_rows(GridSpan grid, ViewState& view);
// Copies the rows of the range into the clipboard; bounds = {CLIP_DESIGN_ROWS, first, last}
// and g_clip_valid = 1. Returns the rows copied (0 leaves the clipboard as it was).
int copy_range_to_clipboard(ConstGridSpan grid, const ViewState& view, RangeClipboard& clip);
// Inserts the clipboard's rows above cursor_row: the rows from cursor_row through the end
// mark move down, the clipboard rows are written in their place, scroll_max grows by the
// rows pasted and cursor_row follows the row it was on. Returns the rows pasted; 0 when the
// clipboard holds no design rows; -1 refused (no end mark, cursor after the END row, or the
// end mark would leave the grid), nothing changed.
int paste_range_rows(GridSpan grid, ViewState& view, const RangeClipboard& clip);
// Clears the selected words of the range's rows (from range_start_row while set).
void clear_range_marks(GridSpan grid, const ViewState& view);

// Shifts the cells of `row` one column right to free column `column` (0-10): 1 done,
// -1 refused (nothing to move, no room before the output, the cell belongs to an element
// that cannot be split, or a link would move into the inside of an element).
int open_cell_left(GridSpan grid, int row, int column);
// Shifts the cells of `row` from `column` (0-10) one column left into the gap before it:
// 1 done, -1 refused (no gap, or a link would move into the inside of an element).
// Each cell's link moves with it; no link ends on the inside of an element of the row or
// of the row above, nor does an element move over a link rising from the row below.
int close_cell_left(GridSpan grid, int row, int column);

// Makes the cursor row, a row before the END row, an empty program row (the rail link alone);
// the row label in cell 15 and texts 0 and 12-15 stay. False, with nothing changed, for the
// END row and the rows after it.
bool clear_cursor_row(GridSpan grid, const ViewState& view);
