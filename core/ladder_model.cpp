#include "core/ladder_model.h"

#include <cstring>

namespace {
LineCommentStore line_comment_store{};
std::array<ConversionError, MAX_CONVERSION_ERRORS> conversion_error_store{};

bool is_empty_row(const LadderRow& row) {
  return row.cell[0].word[0] == EMPTY_MARK && row.cell[1].word[0] == EMPTY_MARK;
}
bool is_end_mark_row(const LadderRow& row) {
  return row.cell[0].word[0] == END_MARK_CELL && row.cell[1].word[0] == END_MARK_CELL;
}
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

int count_program_rows(GridSpan grid) {
  const size_t limit = grid.size() < static_cast<size_t>(MAX_GRID_ROWS) ? grid.size() : MAX_GRID_ROWS;
  for (size_t i = 0; i < limit; ++i) {
    LadderRow& row = grid[i];
    if (row.cell[OUTPUT_COLUMN].word[0] & CellFlags::END) return static_cast<int>(i) + 1;
    if (is_end_mark_row(row)) {
      // The end mark came before any END row. The row before it becomes the END row,
      // but only when its output cell is free: an element there is never overwritten.
      if (i > 0) {
        LadderCell& out = grid[i - 1].cell[OUTPUT_COLUMN];
        if (out.word[0] == 0 && !(grid[i - 1].cell[0].word[0] & CellFlags::COMMENT_ROW)) out.word[0] = 0x6408;
      }
      return -1;
    }
    if (is_empty_row(row)) return -1;
  }
  return MAX_GRID_ROWS + 1;
}

int find_end_mark_row(GridSpan grid) {
  g_program_row_count = count_program_rows(grid);
  const size_t limit = grid.size() < static_cast<size_t>(MAX_GRID_ROWS) ? grid.size() : MAX_GRID_ROWS;
  size_t i = g_program_row_count < 0 ? 0 : static_cast<size_t>(g_program_row_count);
  for (; i < limit; ++i) {
    if (grid[i].cell[0].word[0] == END_MARK_CELL) return static_cast<int>(i);
    if (is_empty_row(grid[i])) return -1;
  }
  return static_cast<int>(i < static_cast<size_t>(MAX_GRID_ROWS) ? MAX_GRID_ROWS : i);
}

int find_interrupt_end_row(ConstGridSpan grid) {
  const size_t limit = grid.size() < static_cast<size_t>(MAX_GRID_ROWS) ? grid.size() : MAX_GRID_ROWS;
  for (size_t i = 0; i < limit; ++i) {
    const LadderRow& row = grid[i];
    if (row.cell[OUTPUT_COLUMN].word[0] & CellFlags::END) return 0;
    if (is_empty_row(row)) return 0;
    if ((row.cell[OUTPUT_COLUMN].word[0] & CellFlags::OUTPUT) && (row.cell[12].word[0] & 0x1FF) == 20)
      return static_cast<int>(i);
  }
  return MAX_GRID_ROWS;
}

void reset_core_state() {
  for (auto& c : g_line_comments) c.fill(0);
  clear_conversion_errors();
  std::memset(&g_cpu_settings, 0, sizeof g_cpu_settings);
  std::memset(&g_loaded_cpu_settings, 0, sizeof g_loaded_cpu_settings);
  g_instruction_list = {};
  g_end_record_index = 0;
  g_program_row_count = 0;
}
