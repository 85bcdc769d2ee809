#include "design/design_document.h"

#include <algorithm>
#include <cstring>

namespace {

constexpr int NEW_DESIGN_END_ROW = 11;
constexpr int NEW_DESIGN_ROWS = 13;
constexpr int MAX_FURTHER_FILE_NUMBER = 15;
constexpr int ANSWER_YES = 6;
constexpr int ANSWER_NO = 7;

size_t scan_rows(size_t rows) { return std::min(rows, static_cast<size_t>(MAX_GRID_ROWS)); }

// Index of the first END row, `limit` when there is none before the end mark or the limit.
size_t end_row_index(ConstGridSpan grid, size_t limit) {
  for (size_t r = 0; r < limit; ++r) {
    if (is_end_row(grid[r])) return r;
    if (grid[r].cell[0].word[0] == END_MARK_CELL) return limit;
  }
  return limit;
}

}  // namespace

void build_new_design(GridSpan grid) {
  if (grid.size() < static_cast<size_t>(NEW_DESIGN_ROWS)) return;
  for (int r = 0; r < NEW_DESIGN_END_ROW; ++r) grid[r].cell[0].word[0] = CellFlags::LINK_UP;
  make_new_end_row(grid[NEW_DESIGN_END_ROW]);
  make_end_mark_row(grid[NEW_DESIGN_END_ROW + 1]);
  for (auto& text : grid[0].text) std::strcpy(text, "F0F0F0F0");
}

int grid_differs(ConstGridSpan a, ConstGridSpan b) {
  const size_t limit = scan_rows(std::min(a.size(), b.size()));
  const size_t end_a = end_row_index(a, scan_rows(a.size()));
  const size_t end_b = end_row_index(b, scan_rows(b.size()));
  if (end_a != end_b) return 1;
  const size_t rows = std::min(end_a, limit);
  for (size_t r = 0; r < rows; ++r)
    for (int c = 0; c < ROW_CELLS; ++c)
      if (a[r].cell[c].word[0] != b[r].cell[c].word[0] || a[r].cell[c].word[1] != b[r].cell[c].word[1]) return 1;
  return 0;
}

bool grid_or_texts_differ(ConstGridSpan a, ConstGridSpan b) {
  if (grid_differs(a, b) == 1) return true;
  const size_t limit = scan_rows(std::min(a.size(), b.size()));
  for (size_t r = 0; r < limit; ++r) {
    if (std::memcmp(a[r].text, b[r].text, sizeof a[r].text) != 0) return true;
    for (int c = 0; c < ROW_CELLS; ++c)
      if (a[r].cell[c].word[0] != b[r].cell[c].word[0] || a[r].cell[c].word[1] != b[r].cell[c].word[1]) return true;
    if (a[r].cell[0].word[0] == END_MARK_CELL) break;
  }
  return false;
}

void copy_grid_cells(GridSpan destination, ConstGridSpan source) {
  const size_t limit = scan_rows(std::min(destination.size(), source.size()));
  for (size_t r = 0; r < limit; ++r) {
    for (int c = 0; c < ROW_CELLS; ++c) {
      destination[r].cell[c].word[0] = source[r].cell[c].word[0];
      destination[r].cell[c].word[1] = source[r].cell[c].word[1];
    }
    if (source[r].cell[0].word[0] == END_MARK_CELL) break;
  }
}

std::string cpu_label_text(const CpuSettings& settings) {
  const std::string name(settings.cpu_name, strnlen(settings.cpu_name, sizeof settings.cpu_name));
  if (settings.option_b != 0 && name == "pic12F629") return "pic12F683";
  return name + " " + (settings.option_b != 0 ? "Exp" : "");
}

int design_file_number(int file_count) {
  if (file_count <= 0) return 0;
  return (file_count - 1) % MAX_FURTHER_FILE_NUMBER + 1;
}

int further_window_rows(int end_mark_row) {
  return std::clamp(end_mark_row + 20, NEW_DESIGN_ROWS, MAX_GRID_ROWS);
}

CloseStep close_step(bool changed, int answer, bool untitled) {
  if (!changed || answer == ANSWER_NO) return CloseStep::CLOSE;
  if (answer != ANSWER_YES) return CloseStep::REFUSE;
  return untitled ? CloseStep::SAVE_AS : CloseStep::SAVE;
}
