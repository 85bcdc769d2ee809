// The compile-error list of the design screen, the parts that need no window: the line
// each recorded error shows, and where a jump from an error puts the cursor.
//
// The compiler records its errors in g_conversion_errors as kind << 24 | column << 20 |
// row, where the row counts program rows only (comment rows are left out); the jump finds
// the grid row again by counting the comment rows back in.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "core/ladder_model.h"
#include "shell/view_state.h"

// The fields of one compiler error word.
constexpr uint32_t compile_error_kind(uint32_t word) { return word >> 24; }
constexpr int compile_error_column(uint32_t word) { return static_cast<int>((word >> 20) & 0xF); }
constexpr int compile_error_row(uint32_t word) { return static_cast<int>(word & 0xFFFFF); }

// The line of one error: its text alone (kinds 0 and 8), "<name>.SEQ <text>" (kind 2),
// "<row>行    <text>" (kind 3), else "<row + 1>行-<column + 1>列  <text>" with column 15
// (the row-label margin) shown as 0. `path_name` is the file name piece of the project.
std::string format_compile_error_line(uint32_t word, std::string_view path_name);

// The lines of the first `count` errors, in order.
std::vector<std::string> compile_error_lines(std::span<const ConversionError> errors, int count,
                                             std::string_view path_name);

// The grid row of a program row: the row plus the comment rows up to it.
int grid_row_of_program_row(ConstGridSpan grid, int program_row);

// Moves the cursor and the drawn selection of `view` to the cell of an error. A row that is
// shown keeps the scroll position; otherwise the rows scroll so that the cell comes into
// view. Returns true when top_row changed (the scroll bar is to follow).
bool jump_to_compile_error(ConstGridSpan grid, ViewState& view, uint32_t word);
