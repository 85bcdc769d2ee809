// Design files for the Win32 tests, written by the program's own design-file writer.
#pragma once

#include <string>

#include "core/ladder_model.h"

// Writes a new design: rows 0-10 linked, END on
// row 11) to `path`; false when the file cannot be written.
bool write_sample_design(const std::wstring& path);
// Writes `grid` as a design file.
bool write_design_grid(const std::wstring& path, GridSpan grid);
// Writes a new design whose END row was left out, so that its end mark comes first (as
// damaged or hand-edited files have it).
bool write_design_without_end_row(const std::wstring& path);
