// The structural checks of the ladder compiler.
//
// The grid checks run before anything is compiled. Each of them records every fault it
// finds in g_conversion_errors (compiler layout: kind << 24 | column << 20 | row), so that
// the compile-error list can show them all at once. The rows of all error words are
// display rows: the row index minus the comment rows above it, which is how the list
// finds the row again.
//
// The list checks run on the compiled instruction list. They stop at the first fault;
// the jump-point check explains its fault itself, the section and TABLE faults are
// explained by compile_ladder.
#pragma once

#include <array>
#include <cstdint>
#include <span>

#include "core/ladder_model.h"

// ---- Error kinds of the compiler layout ----------------------------------------------------
namespace CompileError {
inline constexpr uint32_t NO_END = 0;              // no END row, or a broken grid
inline constexpr uint32_t DUPLICATE_WARNING = 1;   // a list-level duplicate output (warning only)
inline constexpr uint32_t TOO_COMPLEX = 3;         // logic that cannot be cut into blocks
inline constexpr uint32_t NOT_FROM_BRANCH = 4;     // logic taken from outside a branch point
inline constexpr uint32_t NOT_STRAIGHT = 5;        // a vertical link that touches no part above
inline constexpr uint32_t UNSET_OPERAND = 6;       // a part without its operand
inline constexpr uint32_t OPEN_WIRING = 7;         // wiring that does not close, or no input
inline constexpr uint32_t LINES_ONLY = 9;          // a block of lines only among parallel rows
inline constexpr uint32_t FIRST_NOT_CONTACT = 11;  // the program does not start with a contact
inline constexpr uint32_t NO_JUMP_POINT = 27;      // BTONJ without its U point
inline constexpr uint32_t U_AT_BRANCH_END = 28;    // U point or BTONJ on the top or lowest branch
inline constexpr uint32_t LIST_FULL = 29;          // the program does not fit the instruction list
inline constexpr uint32_t TEXTS_FULL = 30;         // more comment and ASM/TABL texts than the store holds
inline constexpr int KIND_COUNT = 31;
}  // namespace CompileError

// The texts by kind, packed one after another, each ended by a NUL: the kind-th string is
// the text of that kind. Kinds 2, 8, 10 and 12-26 are never recorded; their texts only
// keep the numbering.
extern const char g_compile_error_texts[];
// The text of one kind; "" for a kind outside the table.
const char* compile_error_text(uint32_t kind);

// Records one compiler error word (dropped silently once the error list is full).
void record_compile_error(uint32_t kind, int column, int row);

// ---- The program rows as the compiler sees them ---------------------------------------------
// Rows 0 .. rows - 1 of a grid (the program rows up to and including END). Every cell
// outside that range reads as empty, so the walks below may look one row above or below
// their current row without a bounds test of their own.
class ProgramRows {
 public:
  ProgramRows(GridSpan grid, int rows)
      : grid_(grid), rows_(rows < 0 ? 0 : (static_cast<size_t>(rows) > grid.size() ? static_cast<int>(grid.size()) : rows)) {}

  int rows() const { return rows_; }
  bool in_range(int r) const { return r >= 0 && r < rows_; }
  uint32_t word0(int r, int c) const { return in_range(r) && c >= 0 && c < ROW_CELLS ? grid_[static_cast<size_t>(r)].cell[c].word[0] : 0; }
  uint32_t word1(int r, int c) const { return in_range(r) && c >= 0 && c < ROW_CELLS ? grid_[static_cast<size_t>(r)].cell[c].word[1] : 0; }
  bool has_part(int r, int c) const { return word0(r, c) & CellFlags::PRESENT; }
  bool is_line(int r, int c) const { return word0(r, c) & CellFlags::LINE; }
  bool linked(int r, int c) const { return word0(r, c) & CellFlags::LINK_UP; }
  bool has_u_mark(int r, int c) const { return word0(r, c) & CellFlags::U_MARK; }
  // A part that is not a horizontal line.
  bool has_element(int r, int c) const { return (word0(r, c) & (CellFlags::PRESENT | CellFlags::LINE)) == CellFlags::PRESENT; }
  bool is_comment_row(int r) const { return word0(r, 0) & CellFlags::COMMENT_ROW; }
  bool is_end_row(int r) const { return word0(r, OUTPUT_COLUMN) & CellFlags::END; }
  // The instruction of the row's output (cell 12 word 0, 9 bits).
  uint32_t box_code(int r) const { return word0(r, 12) & 0x1FF; }
  // The first cell of an in-cell comparison contact.
  bool is_comparison(int r, int c) const { return (word0(r, c) & 0x3C09) == 0x1C08; }
  // A row label in column 15 (word 0 negative).
  bool has_label(int r) const { return word0(r, LABEL_COLUMN) & CellFlags::U_MARK; }
  // Any of the cells 1-11 of the row is linked up: the row belongs to the rung above it.
  bool continues_rung(int r) const {
    for (int c = 1; c <= OUTPUT_COLUMN; ++c)
      if (linked(r, c)) return true;
    return false;
  }
  // Only for rows in range.
  LadderRow& row(int r) const { return grid_[static_cast<size_t>(r)]; }

 private:
  GridSpan grid_;
  int rows_;
};

// Word 1 bit that tells that the number of a U mark is set (the number is in bits 16-19).
inline constexpr uint32_t U_NUMBER_SET = 0x100000;
inline constexpr uint32_t u_number_of(uint32_t word1) { return (word1 >> 16) & 0xF; }

// ---- Grid checks (bounded by g_program_row_count) --------------------------------------------
// Links that start or end in nothing: 0 clean, 1 errors recorded (kinds 5, 7).
int check_vertical_links(GridSpan grid);
// Parts whose wiring does not go on, and outputs fed by lines alone: 0 or 1 (kind 7).
int check_open_wiring(GridSpan grid);
// Unset operands (kind 6, all recorded) and doubled Y, T and C outputs: 0 clean; 1 kind-6
// errors recorded; -n for the first duplicate output, on display row n (the kind-6 words
// stay recorded).
int check_operands_and_duplicates(GridSpan grid);
// The first part of the program is a contact (kind 11), continuation numbers match
// (kind 7): 0 or 1.
int check_first_contact_and_continuations(GridSpan grid);

// ---- List checks (over the list up to its END record) ----------------------------------------
inline constexpr int P_POINTS = 100;
inline constexpr int U_POINTS = 16;
inline constexpr int I_POINTS = 16;
// Jump and call points pair up (CJ/SCALL with JME, BTONJ with JMS, INT with JMI) and sit
// on the right side of FEND and SEND: 0, or -1 after its own message (no owner window).
int check_jump_points(ConstListSpan list);

inline constexpr int TABLE_NUMBERS = 16;
using TableFlags = std::array<int32_t, TABLE_NUMBERS>;
// The program sections FEND..RETRN, IEND..IRET and SEND..RETRN in their order: 0 clean;
// 1, -2, -3 or -4 for a section fault. Sets the flag of every table that RDTBL reads and
// `tb_as_f` when the program uses RDTBL or ASM; writes the interrupt mask into bits 0-27
// of g_cpu_settings.base_value (bits 0-19 the interrupt triggers M9050-M9069, bits 8-27
// the software-interrupt triggers M9070-M9089; every bit the program does not use is
// cleared, bits 28-31 are kept) when it gets to the end of the list.
int check_program_sections(ConstListSpan list, TableFlags& tbl_no, int32_t& tb_as_f);
// Every table that RDTBL reads has exactly one text row "TABLEn" (n 1-15): 0, or -1.
int check_table_rows(GridSpan grid, TableFlags& tbl_no);
