#include "design/compile_errors.h"

#include <algorithm>
#include <cstdio>

#include "core/compiler_checks.h"

std::string format_compile_error_line(uint32_t word, std::string_view path_name) {
  const uint32_t kind = compile_error_kind(word);
  const std::string text = compile_error_text(kind);
  const int row = compile_error_row(word);
  const int column = compile_error_column(word);
  char line[512];
  switch (kind) {
    case 0:
    case 8:
      return text;
    case 2:
      std::snprintf(line, sizeof line, "%.*s.SEQ %s", static_cast<int>(std::min<size_t>(path_name.size(), 255)),
                    path_name.data(), text.c_str());
      break;
    case 3:
      std::snprintf(line, sizeof line, "%d行    %s", row, text.c_str());
      break;
    default:
      std::snprintf(line, sizeof line, "%d行-%2d列  %s", row + 1, column == 15 ? 0 : column + 1, text.c_str());
      break;
  }
  return line;
}

std::vector<std::string> compile_error_lines(std::span<const ConversionError> errors, int count,
                                             std::string_view path_name) {
  std::vector<std::string> lines;
  const size_t n = std::min(errors.size(), static_cast<size_t>(std::max(count, 0)));
  lines.reserve(n);
  for (size_t i = 0; i < n; ++i) lines.push_back(format_compile_error_line(errors[i], path_name));
  return lines;
}

int grid_row_of_program_row(ConstGridSpan grid, int program_row) {
  // k comment rows among rows 0 .. program_row + k, counted until the range stops growing.
  int comments = 0;
  int scanned = 0;  // rows 0 .. scanned - 1 are counted
  for (;;) {
    const int end = program_row + comments;  // last row of the range
    if (end < scanned || end < 0 || static_cast<size_t>(end) >= grid.size()) break;
    for (; scanned <= end; ++scanned)
      if (is_comment_row(grid[static_cast<size_t>(scanned)])) ++comments;
  }
  return program_row + comments;
}

bool jump_to_compile_error(ConstGridSpan grid, ViewState& view, uint32_t word) {
  const int column = compile_error_column(word);
  const int row = grid_row_of_program_row(grid, compile_error_row(word));
  const int last = std::max(count_program_rows(grid) - 1, 0);
  view.sel_rows = 0;
  view.sel_width = 0;
  view.cursor_col = view.sel_col = column;
  view.sel_row = row;
  if (row >= view.top_row && row < view.top_row + view.visible_rows) {
    view.cursor_row = row;
    return false;
  }
  // The rows scroll so that the cell comes in near the top of the window, or so that the
  // last window of rows shows when the cell lies within it. The cursor stays on the cell.
  view.cursor_row = row;
  const int anchor = row < last - view.visible_rows ? row - 1 : last - view.visible_rows;
  int top = std::max(anchor - 1, 0);
  if (view.scroll_max > 0) top = std::min(top, view.scroll_max);
  const bool scrolled = top != view.top_row;
  view.top_row = top;
  return scrolled;
}
