// The ladder compiler: turns the program rows of a ladder grid into an instruction list
// in the order a stack-based controller executes them.
//
// A rung is a group of rows joined by vertical links. Inside a rung the drawing is cut
// recursively into series blocks (joined by ANB) and parallel row groups (joined by ORB);
// every row of contacts becomes LD followed by ANDs; where outputs branch off the logic
// is pushed (MPS) and each output branch is compiled behind MRD or MPP. A fold then turns
// single-contact blocks into plain AND/OR records and a compaction drops the records the
// fold emptied. The structural checks (core/compiler_checks.h) run before and after.
//
// The compiler never writes past the list, g_line_comments or the error list: a program
// that does not fit is a compile error of its own kind.
#pragma once

#include <array>
#include <cstdint>

#include "core/ladder_model.h"

// ---- compile_ladder --------------------------------------------------------------------------
// Results of compile_ladder.
namespace CompileResult {
inline constexpr int OK = 0;
inline constexpr int ERRORS = -1;     // errors recorded in g_conversion_errors
inline constexpr int CANCELLED = -2;  // the user cancelled at the duplicate-output question
inline constexpr int STRUCTURE = -3;  // a section, jump-point or TABLE fault, already explained
}  // namespace CompileResult

// Compiles the grid into `list` (which becomes g_instruction_list). The owner window owns
// the question and the section and TABLE messages (the jump-point messages have none);
// the view state is not used and `reserved` is always 0. Writes the g_line_comments
// numbers of comment rows (cell 11 word 1) and text rows (cell 14 word 1) into the grid,
// and the interrupt mask into g_cpu_settings.base_value. On success g_end_record_index is
// the index of the last record before the end record.
int compile_ladder(void* owner, GridSpan grid, ListSpan list, const void* view_state, int reserved);

// ---- Working state of one compile (reset by each compile) ------------------------------------
extern int g_emit_index;              // next record to write, also the records written
extern int g_block_start_pending;     // the next record gets the block-start bit
extern int g_branch_group;            // branch-group number of MPS/MRD/MPP; -1 at the start
extern int g_branch_level;            // output-branch points opened so far in the rung
extern int g_duplicate_warning_shown; // the duplicate-output question was answered OK (whole run)

// Returns the compiler's run-long state (the duplicate-question flag) to its start (tests).
void reset_compiler_state();

// ---- Branch lists ----------------------------------------------------------------------------
inline constexpr int MAX_BRANCH_ENTRIES = 300;
inline constexpr int MAX_PARALLEL_GROUPS = 300;
inline constexpr uint32_t BRANCH_LOWEST = 0x100000;

// One output branch: code = boundary column << 12 | branch level (bits 0-7), plus
// BRANCH_LOWEST for the lowest output row of its branch point; and the row.
struct BranchEntry {
  int32_t code;
  int32_t row;
};
struct BranchList {
  std::array<BranchEntry, MAX_BRANCH_ENTRIES> entry;  // only the first `count` are used
  int count = 0;
};

// ---- The steps of the compile (they work on g_instruction_list and g_program_row_count) -----
// Writes a record at g_emit_index (with the block-start bit when it is pending) and the end
// record after it, and advances g_emit_index. False when the list has no room for both;
// then nothing is written.
bool emit_instruction(uint32_t word0, uint32_t word1, uint32_t word2, uint32_t word3, uint32_t word4, uint32_t word5);
// Compiles the block of rows from `top` (below `limit`, or -1 for no limit) between the
// boundaries `left` and `right`: 0 ok, 1 error recorded, -1 error recorded by the row emitter.
int compile_block(GridSpan grid, int top, int limit, int left, int right, BranchList& branches, int collect,
                  int branch);
// The depth of a block at each boundary; 1 after recording kind 4.
int measure_block_depth(GridSpan grid, int top, int limit, int right, int left, std::array<int, ROW_CELLS>& depth);
// Emits the contacts of one row between two boundaries: the cells emitted (a comparison
// counts 3), 0 when there are none and that is allowed, -1 after recording kind 9.
int compile_row_contacts(GridSpan grid, int groups, int row, int left, int right);
// Compiles the output branches of a branch list: 0 ok, 1 error recorded.
int compile_output_branches(GridSpan grid, const BranchList& branches, int row);
// Emits the row's output record when cell 11 is an output cell.
void emit_row_output(GridSpan grid, int row);
void emit_output_record(GridSpan grid, int row);
// Emits JME (a P label) or JMI for the row's label; 1 when a record was written.
int emit_row_label(GridSpan grid, int row);
// The first row after the rung that starts at `row`.
int find_rung_end(GridSpan grid, int row);
// The clean-up passes over g_instruction_list up to g_end_record_index.
void fold_single_contact_blocks();
void compact_instruction_list();
