#include "core/ladder_model.h"

#include <cstring>

#include "core/instruction_tables.h"

namespace {
LineCommentStore line_comment_store{};
std::array<ConversionError, MAX_CONVERSION_ERRORS> conversion_error_store{};

size_t scan_limit(size_t rows) { return rows < static_cast<size_t>(MAX_GRID_ROWS) ? rows : MAX_GRID_ROWS; }
}  // namespace

LineCommentStore& g_line_comments = line_comment_store;
std::array<ConversionError, MAX_CONVERSION_ERRORS>& g_conversion_errors = conversion_error_store;
int g_conversion_error_count = 0;
CpuSettings g_cpu_settings{};
CpuSettings g_loaded_cpu_settings{};
ListSpan g_instruction_list{};
int g_end_record_index = 0;
int g_program_row_count = 0;

InstructionList make_instruction_list(int records) {
  InstructionList list(static_cast<size_t>(records));
  if (!list.empty()) list[0] = end_record();
  return list;
}

DeviceCommentTable make_device_comment_table(int records) {
  DeviceCommentTable table(static_cast<size_t>(records));
  if (!table.empty()) table[0].key = static_cast<int32_t>(EMPTY_MARK);
  return table;
}

bool add_conversion_error(ConversionError word) {
  if (g_conversion_error_count >= MAX_CONVERSION_ERRORS) return false;
  g_conversion_errors[static_cast<size_t>(g_conversion_error_count++)] = word;
  return true;
}

void clear_conversion_errors() {
  g_conversion_errors.fill(0);
  g_conversion_error_count = 0;
}

void make_end_mark_row(LadderRow& row) {
  for (auto& cell : row.cell) cell.word[0] = END_MARK_CELL;
}

void make_new_end_row(LadderRow& row) {
  row.cell[0].word[0] = CellWord::LINE_LINKED;
  for (int c = 1; c < OUTPUT_COLUMN; ++c) row.cell[c].word[0] = CellWord::LINE_ONLY;
  row.cell[OUTPUT_COLUMN].word[0] = CellWord::END_OUTPUT;
  row.cell[12].word[0] = static_cast<uint32_t>(Instr::END);
}

int count_program_rows(ConstGridSpan grid) {
  const size_t limit = scan_limit(grid.size());
  for (size_t i = 0; i < limit; ++i) {
    const LadderRow& row = grid[i];
    if (is_end_row(row)) return static_cast<int>(i) + 1;
    if (is_end_mark_row(row)) return -1;  // the end mark came before any END row
    if (is_empty_row(row)) return -1;
  }
  return MAX_GRID_ROWS + 1;
}

int repair_missing_end_row(GridSpan grid) {
  const int count = count_program_rows(grid);
  if (count > 0 && count <= MAX_GRID_ROWS) return count;  // the grid has its END row
  if (count > MAX_GRID_ROWS) return -1;                   // no end mark to put one before
  const size_t limit = scan_limit(grid.size());
  size_t mark = 0;
  while (mark < limit && !is_end_mark_row(grid[mark]) && !is_empty_row(grid[mark])) ++mark;
  if (mark == 0 || mark >= limit || !is_end_mark_row(grid[mark])) return -1;
  LadderRow& row = grid[mark - 1];
  if (is_comment_row(row) || is_text_row(row)) return -1;
  for (int c = OUTPUT_COLUMN; c <= 14; ++c)
    if (row.cell[c].word[0] != 0) return -1;
  row.cell[OUTPUT_COLUMN].word[0] = CellWord::END_OUTPUT_REPAIRED;
  row.cell[12].word[0] = static_cast<uint32_t>(Instr::END);
  return static_cast<int>(mark);
}

int find_end_mark_row(ConstGridSpan grid) {
  g_program_row_count = count_program_rows(grid);
  const size_t limit = scan_limit(grid.size());
  size_t i = g_program_row_count < 0 ? 0 : static_cast<size_t>(g_program_row_count);
  for (; i < limit; ++i) {
    if (grid[i].cell[0].word[0] == END_MARK_CELL) return static_cast<int>(i);
    if (is_empty_row(grid[i])) return -1;
  }
  return static_cast<int>(i < static_cast<size_t>(MAX_GRID_ROWS) ? MAX_GRID_ROWS : i);
}

int find_interrupt_end_row(ConstGridSpan grid) {
  const size_t limit = scan_limit(grid.size());
  for (size_t i = 0; i < limit; ++i) {
    const LadderRow& row = grid[i];
    if (is_end_row(row)) return 0;
    if (is_empty_row(row)) return 0;
    if ((row.cell[OUTPUT_COLUMN].word[0] & CellFlags::OUTPUT) && row_output_code(row) == static_cast<uint32_t>(Instr::IEND))
      return static_cast<int>(i);
  }
  return MAX_GRID_ROWS;
}

void reset_ladder_model_state() {
  for (auto& c : g_line_comments) c.fill(0);
  clear_conversion_errors();
  std::memset(&g_cpu_settings, 0, sizeof g_cpu_settings);
  std::memset(&g_loaded_cpu_settings, 0, sizeof g_loaded_cpu_settings);
  g_instruction_list = {};
  g_end_record_index = 0;
  g_program_row_count = 0;
}
