#include "core/grid_invariants.h"

#include <algorithm>
#include <cstdio>

#include "core/instruction_tables.h"

namespace {

constexpr uint32_t POSITION_FIRST = CellFlags::BOX_POSITION;  // 0xC00: first cell (or a single cell)
constexpr uint32_t POSITION_MIDDLE = 0x800;
constexpr uint32_t POSITION_LAST = 0x400;

uint32_t position_of(uint32_t w) { return w & CellFlags::BOX_POSITION; }

int row_limit(ConstGridSpan grid) { return static_cast<int>(std::min<size_t>(grid.size(), MAX_GRID_ROWS)); }

GridFault fault(const char* rule, int row, int column = -1) { return GridFault{rule, row, column}; }

// The END row's output: END in cell 11 (a new design's 0x6C08, a repaired 0x6408, or END
// placed as an instruction) and the END code in cell 12.
bool is_sound_end_row(const LadderRow& row) {
  return is_end_row(row) && row_output_code(row) == static_cast<uint32_t>(Instr::END);
}

constexpr uint32_t CODE_END = static_cast<uint32_t>(Instr::END);
constexpr uint32_t CODE_INI = static_cast<uint32_t>(Instr::INI);
constexpr uint32_t CODE_IPX = static_cast<uint32_t>(Instr::IPX);

// The instructions the older design layouts draw as boxes of width 0: their cell 11 is a
// last box cell that has no first cell (END, and the INI and IPX of those layouts).
bool is_width_zero_box(uint32_t code) { return code == CODE_END || code == CODE_INI || code == CODE_IPX; }

// A box's instruction: any code but 0 (a box compiled without one would be an empty record,
// and its output would vanish from the program) and the codes from 192 up, which name
// comparisons and other contacts, except INI and IPX, which the older layouts and their
// rebuilt boxes hold.
bool is_box_instruction(uint32_t code) { return code != 0 && (code < 192 || code == CODE_INI || code == CODE_IPX); }

// The interior cells of the elements of a program row: a link standing on one (or on the
// cell below one) would run a vertical line through the element. Bit c is column c.
unsigned interior_columns(const LadderRow& row) {
  unsigned mask = 0;
  for (int c = 0; c <= OUTPUT_COLUMN; ++c) {
    const uint32_t w = row.cell[c].word[0];
    const uint32_t p = position_of(w);
    const bool box = (w & CellFlags::BOX) != 0;
    const bool comparison = !box && c < OUTPUT_COLUMN && p != 0;
    if (((box || comparison) && (p == POSITION_MIDDLE || p == POSITION_LAST)) ||
        (c == OUTPUT_COLUMN && (w & CellFlags::TIMER_OUTPUT) != 0))
      mask |= 1u << c;
  }
  return mask;
}

}  // namespace

bool is_inside_element(const LadderRow& row, int column) {
  return column >= 0 && column <= OUTPUT_COLUMN && (interior_columns(row) >> column & 1u) != 0;
}

bool is_row_compiled_alone(const LadderRow& row) {
  const uint32_t code = row_output_code(row);
  return is_comment_row(row) || is_end_row(row) || code == static_cast<uint32_t>(Instr::FEND) ||
         code == static_cast<uint32_t>(Instr::IEND);
}

bool link_may_rise(const LadderRow& above, const LadderRow& row, int column) {
  if (column == 0) return true;  // the left rail
  return column >= 1 && column <= OUTPUT_COLUMN && !is_row_compiled_alone(above) && !is_row_compiled_alone(row) &&
         !is_inside_element(above, column) && !is_inside_element(row, column);
}

bool has_links_up(const LadderRow& below) {
  for (int c = 1; c <= OUTPUT_COLUMN; ++c)
    if ((below.cell[c].word[0] & CellFlags::LINK_UP) != 0) return true;
  return false;
}

namespace {

// One program row (not a comment, special or end-mark row).
GridFault check_program_row(const LadderRow& row, const LadderRow* above, int r, bool end_row) {
  const uint32_t w11 = row.cell[OUTPUT_COLUMN].word[0];
  // Only the END row says END: a second END would end the program early for every scan.
  if (!end_row && (w11 & CellFlags::END) != 0) return fault("END bit outside the END row", r, OUTPUT_COLUMN);
  for (int c = 0; c < OUTPUT_COLUMN; ++c)
    if ((row.cell[c].word[0] & CellFlags::END) != 0) return fault("END bit outside the END row", r, c);

  // A line is a part of its own (part code 11 with the present bit, 0xB9): the compiler's
  // wiring check takes the line bit alone for a line that carries on, so a rung ending in a
  // line bit without its part would compile without an output.
  for (int c = 0; c <= OUTPUT_COLUMN; ++c)
    if ((row.cell[c].word[0] & (CellFlags::LINE | CellFlags::PRESENT)) == CellFlags::LINE)
      return fault("line without its part", r, c);

  // Outputs stand in column 11 only, the TIM/CNT coil cell in column 10 only: the compiler
  // reads a row's output from cell 11 and cell 12.
  for (int c = 0; c < OUTPUT_COLUMN; ++c) {
    const uint32_t w = row.cell[c].word[0];
    if ((w & (CellFlags::OUTPUT | CellFlags::TIMER_OUTPUT)) != 0) return fault("output outside column 11", r, c);
    if ((w & CellFlags::TIMER_COIL) != 0 && c != OUTPUT_COLUMN - 1) return fault("timer coil outside column 10", r, c);
  }
  if ((w11 & CellFlags::TIMER_COIL) != 0) return fault("timer coil outside column 10", r, OUTPUT_COLUMN);
  // Cells 13 and 14 hold operands only (word 1); their word 0 is never a cell of an element.
  for (int c = 12; c <= 14; ++c)
    if (c > 12 && (row.cell[c].word[0] & (CellFlags::PRESENT | CellFlags::LINE)) != 0)
      return fault("element past column 11", r, c);

  // A TIM or CNT is its coil cell in column 10 and its output in column 11, together.
  const bool timer_output = (w11 & CellFlags::TIMER_OUTPUT) != 0;
  const bool timer_coil = (row.cell[OUTPUT_COLUMN - 1].word[0] & CellFlags::TIMER_COIL) != 0;
  if (timer_output != timer_coil) return fault("TIM/CNT cells apart", r, OUTPUT_COLUMN - 1);

  // A box is its first cell, its middle cells and its last cell in column 11, in one row
  // (a box without operand cells is a single first cell in column 11). Every box cell must
  // belong to the box that ends in column 11: an orphan box cell has no instruction, and the
  // compiler and the painter would read a box where there is none.
  int box_first = ROW_CELLS;
  if ((w11 & CellFlags::BOX) != 0) {
    const uint32_t p = position_of(w11);
    if (p == POSITION_FIRST) {
      box_first = OUTPUT_COLUMN;
    } else if (p == POSITION_LAST) {
      int c = OUTPUT_COLUMN - 1;
      while (c >= 0 && (row.cell[c].word[0] & CellFlags::BOX) != 0 && position_of(row.cell[c].word[0]) == POSITION_MIDDLE)
        --c;
      const uint32_t w = c >= 0 ? row.cell[c].word[0] : 0;
      if (c == OUTPUT_COLUMN - 1 && (w & CellFlags::BOX) == 0 && is_width_zero_box(row_output_code(row))) {
        box_first = OUTPUT_COLUMN;  // a box of width 0 of an older layout: cell 11 alone
      } else {
        if (c < 0 || (w & CellFlags::BOX) == 0 || position_of(w) != POSITION_FIRST)
          return fault("box split", r, c < 0 ? 0 : c);
        box_first = c;
      }
    } else {
      return fault("box split", r, OUTPUT_COLUMN);
    }
    if (!is_box_instruction(row_output_code(row))) return fault("box without its instruction", r, 12);
  }
  for (int c = 0; c < box_first && c < OUTPUT_COLUMN; ++c)
    if ((row.cell[c].word[0] & CellFlags::BOX) != 0) return fault("orphan box cell", r, c);

  // A comparison contact is its first cell and two more, in columns 0-10.
  for (int c = 0; c < std::min(box_first, OUTPUT_COLUMN); ++c) {
    const uint32_t w = row.cell[c].word[0];
    const uint32_t p = position_of(w);
    if (p == 0 || (w & CellFlags::BOX) != 0) continue;
    if (p != POSITION_FIRST || (w & CellFlags::COMPARISON) == 0) return fault("comparison split", r, c);
    if (c + 2 >= std::min(box_first, OUTPUT_COLUMN)) return fault("comparison past column 10", r, c);
    const uint32_t m = row.cell[c + 1].word[0], l = row.cell[c + 2].word[0];
    if (position_of(m) != POSITION_MIDDLE || (m & CellFlags::BOX) != 0 || position_of(l) != POSITION_LAST ||
        (l & CellFlags::BOX) != 0)
      return fault("comparison split", r, c + 1);
    c += 2;
  }
  // Contacts stand in columns 0-10: column 11 holds an output or nothing, a bare contact
  // there would never be compiled.
  if ((w11 & CellFlags::PRESENT) != 0 && (w11 & (CellFlags::OUTPUT | CellFlags::BOX | CellFlags::END)) == 0 &&
      (part_code_of(w11) & 0xF) != PartCode::CONTINUATION_OUT)
    return fault("contact in column 11", r, OUTPUT_COLUMN);

  // Links: cells 1-11 link to the row above, which row 0 does not have; no link stands on the
  // inside of an element nor rises into one from below (the compiler would join a contact to
  // the middle of a box). The links a row takes from the row below are checked there.
  const unsigned inside = interior_columns(row);
  const unsigned inside_above = above != nullptr ? interior_columns(*above) : 0;
  for (int c = 1; c <= OUTPUT_COLUMN; ++c) {
    if ((row.cell[c].word[0] & CellFlags::LINK_UP) == 0) continue;
    if (above == nullptr) return fault("link above row 0", r, c);
    if (((inside | inside_above) >> c & 1u) != 0) return fault("link into an element", r, c);
    if (is_row_compiled_alone(*above)) return fault("link into a row compiled alone", r, c);
    if (is_row_compiled_alone(row)) return fault("link from a row compiled alone", r, c);
  }
  for (int c = 12; c <= 14; ++c)
    if (c > 12 && (row.cell[c].word[0] & CellFlags::LINK_UP) != 0) return fault("link past column 11", r, c);
  return {};
}

}  // namespace

GridFault check_grid_invariants(ConstGridSpan grid) {
  const int limit = row_limit(grid);
  // The end mark ends every scan of the grid; without it the scans run to the grid's end.
  int mark = -1;
  for (int r = 0; r < limit; ++r)
    if (is_end_mark_row(grid[static_cast<size_t>(r)])) {
      mark = r;
      break;
    }
  if (mark < 0) return fault("no end mark", limit);
  // The end-mark row is the mark in every cell (the readers test cells 0 and 1, the writer
  // writes all of them).
  for (int c = 0; c < ROW_CELLS; ++c)
    if (grid[static_cast<size_t>(mark)].cell[c].word[0] != END_MARK_CELL) return fault("end mark broken", mark, c);

  // Exactly one END row, before the end mark: the program is the rows before it, and the
  // editor takes no click past it.
  int end_row = -1;
  for (int r = 0; r < mark; ++r) {
    const LadderRow& row = grid[static_cast<size_t>(r)];
    if (is_comment_row(row) || (row.cell[0].word[0] & CellFlags::SPECIAL) != 0) continue;
    if (is_sound_end_row(row)) {
      if (end_row >= 0) return fault("a second END row", r, OUTPUT_COLUMN);
      end_row = r;
    }
  }
  if (end_row < 0) return fault("no END row", mark);

  for (int r = 0; r < mark; ++r) {
    const LadderRow& row = grid[static_cast<size_t>(r)];
    const uint32_t first = row.cell[0].word[0];
    if (r > end_row) {
      // Between END and the end mark stand only the special rows (initial-on devices,
      // interlocks, initial values), known by the kind in cell 12 (word 0 & 0xFFF) alone:
      // the design file keeps cells 0-12 as they are, so a device cell holds what the file
      // gives. Any other row there would be dropped by the next save.
      const uint32_t kind = special_row_kind(row);
      if (kind != SpecialRow::INITIAL_ON && kind != SpecialRow::INTERLOCK && kind != SpecialRow::INITIAL_VALUES)
        return fault("not a special row after END", r);
      // The readers take a row whose cell 0 is the end mark for the end mark, and the scans
      // stop at an empty row: either would cut off the rows after it.
      if (first == END_MARK_CELL || is_empty_row(row)) return fault("special row read as an end", r, 0);
      continue;
    }
    // Before END: program rows and comment rows only; an empty or end-mark row would cut the
    // program short for the row scans.
    if (is_empty_row(row) || first == END_MARK_CELL || row.cell[1].word[0] == END_MARK_CELL)
      return fault("empty or end-mark row before END", r);
    if ((first & CellFlags::SPECIAL) != 0) return fault("special row before END", r);
    if (is_comment_row(row)) {
      // A comment row is compiled alone: a link of it would take it into the rung above.
      for (int c = 1; c <= OUTPUT_COLUMN; ++c)
        if ((row.cell[c].word[0] & CellFlags::LINK_UP) != 0) return fault("link from a row compiled alone", r, c);
      // It compiles into the comment record from its output cell and the comment code of cell
      // 12: any other code there would stand in the program in place of the comment, and an
      // output cell without the comment bit would give the record no text of its own.
      const uint32_t w11 = row.cell[OUTPUT_COLUMN].word[0];
      constexpr uint32_t COMMENT_OUTPUT = CellFlags::COMMENT_ROW | CellFlags::OUTPUT;
      if ((row.cell[12].word[0] & 0x3FFF) != static_cast<uint32_t>(Instr::COMMENT) ||
          (w11 & COMMENT_OUTPUT) != COMMENT_OUTPUT || (w11 & CellFlags::END) != 0)
        return fault("comment row broken", r, OUTPUT_COLUMN);
      continue;
    }
    const LadderRow* above = r > 0 ? &grid[static_cast<size_t>(r - 1)] : nullptr;
    const GridFault f = check_program_row(row, above, r, r == end_row);
    if (f) return f;
  }
  return {};
}

std::string describe_grid_fault(const GridFault& f) {
  if (!f) return "sound";
  char text[160];
  std::snprintf(text, sizeof text, "%s at row %d, column %d", f.rule, f.row, f.column);
  return text;
}
