// Design files of three older layouts, read through read_design_file (mode 0) and
// converted on the fly into the current cell encoding. They are never written: a save
// stores the current layout. They carry program rows up to an end mark, and no settings,
// special rows or comments.
#pragma once

#include <array>
#include <cstdint>
#include <cstdio>
#include <string_view>
#include <vector>

#include "core/ladder_model.h"

enum class OldDesignLayout {
  NONE,           // not an older layout
  TWO_LINE,       // "mbs-file ver.1", "mas-file ver.1": two lines per row, 14 cells
  RUN_LENGTH,     // "mbs-file 3bis ver.1", "mas-file 3bis ver.1": one run-length line per row, 14 cells
  OUTPUT_COL_9,   // "mas-file omro ver.1": run-length, 12 cells, outputs in column 9
};

// The layout that a first line (without its line end) selects, compared case-insensitively.
OldDesignLayout old_design_layout_of(std::string_view first_line);

// Reads the rows after the name line into the grid (zero-filled by the caller).
// Returns 0 when the end mark was read (an end mark in row 0 is an empty program), 1 for
// a damaged line, a byte 0xFF, a stream error, or a file that ends, or fills the grid,
// before its end mark. `rows_read` (may be null) receives the rows stored.
// `unconverted_rows` (may be null) receives the 0-based rows whose output could not be
// converted: an old code that names no instruction (the row keeps an empty box), or a
// box of the column-9 layout that needs a column holding a contact (the row keeps the
// instruction in a narrower box).
int read_old_design_rows(GridSpan grid, std::FILE* stream, OldDesignLayout layout, int* rows_read,
                         std::vector<int>* unconverted_rows = nullptr);

// The notice that names the rows read_old_design_rows could not convert (1-based,
// at most OLD_ROWS_NAMED of them, then "…"), caption "警告".
inline constexpr char OLD_ROWS_NOT_CONVERTED_TEXT[] = "旧形式の出力命令を変換できない行が有ります！\n行番号：";
inline constexpr int OLD_ROWS_NAMED = 10;
void report_unconverted_rows(const std::vector<int>& rows);

// Conversion tables, indexed by the old contact kind and the old output code.
extern const std::array<uint8_t, 16> g_old_contact_kinds;
inline constexpr int OLD_OUTPUT_CODES = 34;
extern const std::array<uint16_t, OLD_OUTPUT_CODES> g_old_box_codes;
extern const std::array<uint8_t, OLD_OUTPUT_CODES> g_old_box_widths;
