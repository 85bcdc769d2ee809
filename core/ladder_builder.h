// The instruction list drawn as a ladder: how a compiled or parsed program gets its
// ladder form back (the design compile replaces the drawn rows with the rebuilt ones, the
// mnemonic compile turns typed text into a design, the frame turns an operation file into
// a design).
//
// The conversion runs the stack program symbolically. A stack of open blocks stands for
// the logic stack: LD opens a block, AND extends it to the right, OR and ORB add rows
// below, ANB joins blocks in series; MPS remembers a branch point and MRD/MPP start a
// branch row from it. Every record it draws gets its grid position in word 5, and the
// row it lands on keeps the record's former word 5 in its row word. Two tidy-up passes
// then close empty rows and pull branch points towards the outputs.
//
// The list may come from typed text or a file, so nothing in it is trusted: a record that
// cannot be drawn where it stands (a combine with nothing to combine, nesting deeper than
// the block stack, a branch without its MPS, a rung wider than the contact columns or
// longer than the rows the grid has left) is reported by its position and nothing is
// written outside the grid, the list or the tables below.
#pragma once

#include <array>
#include <cstdint>

#include "core/ladder_model.h"

// ---- Results ---------------------------------------------------------------------------------
// 0, or BUILD_ERROR_BASE + the 1-based position in the list of the record that cannot be drawn.
inline constexpr int BUILD_OK = 0;
inline constexpr int BUILD_ERROR_BASE = 0x0A000000;
inline constexpr int build_error_position(int result) { return result & 0xFFFFF; }

// ---- Program-wide working tables ---------------------------------------------------------------
// One open block: start column, first row, next free column (the block's right end),
// current row, lowest row used. Level 0 is the rung; a c0 of UNUSED_LEVEL marks a level
// that no block holds.
struct BlockLevel {
  int32_t c0;
  int32_t r0;
  int32_t c;
  int32_t r;
  int32_t rmax;
};
static_assert(sizeof(BlockLevel) == 20);
inline constexpr int BLOCK_STACK_LEVELS = 32;
inline constexpr int32_t UNUSED_LEVEL = 0xFFFF;
extern std::array<BlockLevel, BLOCK_STACK_LEVELS>& g_block_stack;

// The grid position of each MPS, indexed by (level + 8 * group) & 0x3FF (level is word 3,
// group word 2 of the MPS, MRD or MPP record). A column of NO_BRANCH_POINT marks a slot
// that no MPS of the current rung has set.
struct BranchPoint {
  int32_t column;
  int32_t row;
};
inline constexpr int BRANCH_POINT_SLOTS = 1024;
inline constexpr int32_t NO_BRANCH_POINT = -1;
extern std::array<BranchPoint, BRANCH_POINT_SLOTS>& g_branch_points;
constexpr int branch_point_slot(uint32_t group, uint32_t level) {
  return static_cast<int>((level + 8 * group) & (BRANCH_POINT_SLOTS - 1));
}

// ---- The conversion ------------------------------------------------------------------------------
// Draws `list` into `grid`, which must be zero-filled; rows beyond the grid (and beyond
// MAX_GRID_ROWS) are never touched: a program that needs more rows than the grid has is an
// error at the first record that does not fit. The list ends with END or the end record;
// reading stops at the end of the span. Word 5 of every drawn record becomes its grid
// position (column << 20 | row).
int build_ladder_from_instructions(GridSpan grid, ListSpan list);

// Draws a contact record at (row, column): the cell keeps its link bit and U mark (word 0
// bits 0x80000002) and its U number (word 1 bits 16-20). Returns the extra cells used (0,
// or 2 for a comparison over three cells), or -1 when the contact does not fit in the
// contact columns or the grid (then nothing is written).
int place_contact(GridSpan grid, const InstructionRecord& record, int row, int column);

// Draws an output record in the output cells of `row` (cell 11, the box cells to its left,
// the operand words in cells 11-14). Returns the box's operand-cell count n (0 for OUT,
// TIM and CNT), or -1 when the row is outside the grid.
int place_output_box(GridSpan grid, const InstructionRecord& record, int row);

// The contact columns the output of `record` leaves free: its box starts in column
// 11 - n, a TIM or CNT coil in column 10, an OUT coil in column 11.
int output_first_column(const InstructionRecord& record);

// Word 5 of list[index] = column << 20 | row (nothing outside the list).
void set_record_position(ListSpan list, int index, int row, int column);

// From `row`, the last row that the rows after it join by a link in the columns
// max(column, 1) to 11.
int find_branch_last_row(ConstGridSpan grid, int row, int column);

// The tidy-up passes: close the empty rows above output rows (moving the records'
// positions along), then move branch points to the right, next to the outputs.
void close_row_gaps(GridSpan grid, ListSpan list);
void compact_branch_columns(GridSpan grid);
