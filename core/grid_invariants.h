// The rules a design grid keeps after every edit, so that the program it holds can still be
// edited, painted, saved and compiled: one END row before the end mark, the special rows and
// the end mark intact, every element whole, links only where a link can stand, and nothing
// outside the columns an element may use.
//
// The tests and fuzzers run the check after each edit; the compile's rebuild of the grid and
// the mnemonic compile's list-to-ladder step run it before a rebuilt grid is installed.
#pragma once

#include <string>

#include "core/ladder_model.h"

// The first broken rule found (rule == nullptr: the grid is sound).
struct GridFault {
  const char* rule = nullptr;  // a short name of the broken rule
  int row = -1;
  int column = -1;
  explicit operator bool() const { return rule != nullptr; }
};

// Checks the rows from row 0 through the end mark (every row when there is no end mark).
GridFault check_grid_invariants(ConstGridSpan grid);

// A cell after the first of a box, a comparison or a TIM/CNT output: no link stands on it
// nor rises into it from the row below.
bool is_inside_element(const LadderRow& row, int column);

// A row the compiler takes alone, outside every rung: a comment row, the END row, or a row
// whose output is FEND or IEND. The row below it starts a rung of its own, so none of its
// links may rise into it: the compiler would drop them, and a rung held up by one alone
// would have no output. Nor may such a row link up itself (cells 1-11): the compiler would
// take it into the rung above as a row of that rung.
bool is_row_compiled_alone(const LadderRow& row);

// Whether a link may stand in `column` (0-11) of `row`, joining it to the row above: in
// column 0 it is the left rail, always; elsewhere not when either row is compiled alone, nor
// on the inside of an element of either row.
bool link_may_rise(const LadderRow& above, const LadderRow& row, int column);

// True when a link of `below` (cells 1-11) rises into the row above it.
bool has_links_up(const LadderRow& below);

// "rule at row r, column c" for test and fuzzer reports.
std::string describe_grid_fault(const GridFault& fault);
