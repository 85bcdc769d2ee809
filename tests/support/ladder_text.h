// Ladders written as text, for tests: one string per row, turned into the cell words of a
// LadderGrid, and grids drawn back as the same text.
//
// A row is a list of tokens separated by blanks (a bracketed token may hold blanks).
// Tokens fill the contact columns from column 0; the output token ends in column 11.
//
//   "X0 /X1 - - - - - - - - - (Y0)"     a-contact X0, b-contact X1, lines, OUT coil Y0
//   "X0 ~ (T0 K10)"                    ~ draws lines up to the output (here a timer, columns 10-11)
//   "^X2 ^"                            ^ links the cell up to the row above; "^" alone is a bare link
//   "X0 ~ [MOV D0 D1]"                 an applied-instruction box ending in column 11
//   "P5: X0 ~ (Y0)"                    a row label in column 15 (P gives JME, I gives JMI)
//   "; text"                           a comment row
//   "END"                              the END row (added after the last row when missing)
//
// Contact cells (columns 0-10):
//   .            empty cell                  -        horizontal line
//   .5  -5       five empty cells, five lines
//   X0  /X0      relay a- and b-contact      X0#3     contact of part code 3 (limit switch a) ...
//   D3  /D3      contact on bit 3 of a data register (part codes 19 and 20)
//   ?   /?       contact without an operand
//   {= D0 K5}    comparison contact over three cells (= <> > >= < <= and D= ... D<=)
//   >7           continuation input (column 0) with continuation number 7
//   prefixes     ^ link up;  @3 U mark with its number 3;  @ U mark without a number
// Output tokens (the last token; ^ links the element's first cell up):
//   (Y0) (?)     OUT coil, with and without its operand     (>7)  continuation output 7
//   (T0 K10) (C1 D5)   timer and counter with their set value; (T?) has no operands
//   [NAME op ...]      a box: grid names, D prefix for the D form and P suffix for the P form
//                      ([DMOV D0 D2], [MOVP D0 D1]); without its operands it is unset ([MOV])
//   [ASM] | text       ASM and TABL span columns 1-11; the text after | is the row's text
// Operands: a letter and a number, hexadecimal for X, Y, S, B and R, J as group and step
// digits (J102), decimal otherwise; K10 a decimal constant (stored digit by digit), H1F a hex
// constant, K4M0 a digit group.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

#include "core/ladder_model.h"

struct LadderTextOptions {
  bool add_end_row = true;    // append the END row when the rows have none
  bool add_end_mark = true;   // end the grid with the end-mark row
  int grid_rows = 0;          // rows of the grid; 0: just enough for the ladder
};

// Builds a grid from rows of text; throws std::invalid_argument for a token it cannot read.
LadderGrid ladder_from_text(const std::vector<std::string>& rows, const LadderTextOptions& options = {});
inline LadderGrid ladder_from_text(std::initializer_list<const char*> rows, const LadderTextOptions& options = {}) {
  return ladder_from_text(std::vector<std::string>(rows.begin(), rows.end()), options);
}
// Writes one row of text into an existing grid row (the row is cleared first).
void set_row_from_text(LadderRow& row, std::string_view text);

// Draws the grid back as text, one string per row up to (not including) the end-mark row.
std::vector<std::string> ladder_to_text(ConstGridSpan grid);
std::string ladder_picture(ConstGridSpan grid);  // the rows joined by line feeds

// Device operands and constants as the ladder text spells them.
uint32_t device_operand(std::string_view text);
std::string operand_text(uint32_t operand);

// The records of a list up to (not including) its end record.
std::vector<InstructionRecord> list_records(ConstListSpan list);
std::string record_text(const InstructionRecord& record);
std::string records_text(const std::vector<InstructionRecord>& records);

bool operator==(const InstructionRecord& a, const InstructionRecord& b);
void PrintTo(const InstructionRecord& record, std::ostream* out);
