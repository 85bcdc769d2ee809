#include "core/ladder_model.h"
#include "core/core_state.h"

#include "core/cell_text.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

void make_end_row(LadderRow& row) { make_new_end_row(row); }

TEST(RowShapes, NewEndRowAndEndMark) {
  LadderRow row{};
  make_new_end_row(row);
  EXPECT_EQ(row.cell[0].word[0], 0xBBu);
  for (int c = 1; c <= 10; ++c) EXPECT_EQ(row.cell[c].word[0], 0xB9u) << c;
  EXPECT_EQ(row.cell[11].word[0], 0x6C08u);
  EXPECT_EQ(row.cell[12].word[0], 16u);
  EXPECT_TRUE(is_end_row(row));
  LadderRow mark{};
  make_end_mark_row(mark);
  for (const auto& cell : mark.cell) EXPECT_EQ(cell.word[0], END_MARK_CELL);
  EXPECT_TRUE(is_end_mark_row(mark));
}

TEST(RowFinders, EmptyGridIsMinusOne) {
  auto grid = make_ladder_grid(10);
  grid[0].cell[0].word[0] = EMPTY_MARK;
  grid[0].cell[1].word[0] = EMPTY_MARK;
  EXPECT_EQ(count_program_rows(grid), -1);
  EXPECT_EQ(find_end_mark_row(grid), -1);
}

TEST(RowFinders, EndRowAtZeroCountsOne) {
  auto grid = make_ladder_grid(10);
  make_end_row(grid[0]);
  make_end_mark_row(grid[1]);
  EXPECT_EQ(count_program_rows(grid), 1);
  EXPECT_EQ(find_end_mark_row(grid), 1);
  EXPECT_EQ(g_program_row_count, 1);
}

// Counting is a query: a grid whose end mark comes before any END row is reported,
// never changed.
TEST(RowFinders, MissingEndRowIsReportedNotRepaired) {
  auto grid = make_ladder_grid(10);
  grid[2].cell[0].word[0] = 0x8018;  // a contact on the row before the end mark
  make_end_mark_row(grid[3]);
  auto before = grid;
  EXPECT_EQ(count_program_rows(grid), -1);
  EXPECT_EQ(count_program_rows(grid), -1);
  EXPECT_EQ(find_end_mark_row(grid), 3);
  EXPECT_EQ(g_program_row_count, -1);
  EXPECT_EQ(std::memcmp(before.data(), grid.data(), sizeof(LadderRow) * grid.size()), 0);
}

TEST(RowFinders, RepairGivesAFreeRowAWholeEndRow) {
  auto grid = make_ladder_grid(10);
  grid[2].cell[0].word[0] = 0x8018;
  make_end_mark_row(grid[3]);
  EXPECT_EQ(repair_missing_end_row(grid), 3);
  EXPECT_EQ(grid[2].cell[11].word[0], 0x6408u);
  EXPECT_EQ(grid[2].cell[12].word[0], 16u);  // the END code, so every reader sees an END row
  EXPECT_EQ(grid[2].cell[0].word[0], 0x8018u);
  EXPECT_EQ(count_program_rows(grid), 3);
  EXPECT_EQ(repair_missing_end_row(grid), 3);  // a grid with an END row is left as it is
}

TEST(RowFinders, RepairNeverOverwritesAnElement) {
  struct Case { int column; uint32_t word0; };
  const Case cases[] = {{11, 0xC078}, {12, 81}, {13, 0x40808}, {14, 0x1}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.column);
    auto grid = make_ladder_grid(10);
    grid[2].cell[c.column].word[0] = c.word0;
    make_end_mark_row(grid[3]);
    auto before = grid;
    EXPECT_EQ(repair_missing_end_row(grid), -1);
    EXPECT_EQ(std::memcmp(before.data(), grid.data(), sizeof(LadderRow) * grid.size()), 0);
  }
  auto comment = make_ladder_grid(10);
  comment[2].cell[0].word[0] = 0x100000BB;
  make_end_mark_row(comment[3]);
  EXPECT_EQ(repair_missing_end_row(comment), -1);
  EXPECT_EQ(comment[2].cell[11].word[0], 0u);
}

TEST(RowFinders, RepairNeedsARowBeforeTheEndMark) {
  auto grid = make_ladder_grid(4);
  make_end_mark_row(grid[0]);
  EXPECT_EQ(repair_missing_end_row(grid), -1);
  auto empty = make_ladder_grid(4);
  empty[0].cell[0].word[0] = EMPTY_MARK;
  empty[0].cell[1].word[0] = EMPTY_MARK;
  EXPECT_EQ(repair_missing_end_row(empty), -1);
  auto nothing = make_ladder_grid(4);  // no sentinel at all: nothing is written
  EXPECT_EQ(repair_missing_end_row(nothing), -1);
  for (const auto& row : nothing) EXPECT_EQ(row.cell[11].word[0], 0u);
}

TEST(RowFinders, EndMarkAtRowZeroWritesNothing) {
  auto grid = make_ladder_grid(4);
  make_end_mark_row(grid[0]);
  grid[1].cell[0].word[0] = 0x8018;  // a row after the end mark: not part of the program
  grid[1].cell[11].word[0] = 0xC078;
  const auto before = grid;
  EXPECT_EQ(count_program_rows(grid), -1);
  EXPECT_EQ(find_end_mark_row(grid), 0);
  EXPECT_EQ(repair_missing_end_row(grid), -1);
  EXPECT_EQ(std::memcmp(before.data(), grid.data(), sizeof(LadderRow) * grid.size()), 0);
}

TEST(RowFinders, NoSentinelAnywhere) {
  auto grid = make_ladder_grid(MAX_GRID_ROWS);
  EXPECT_EQ(count_program_rows(grid), MAX_GRID_ROWS + 1);
  auto small = make_ladder_grid(5);  // a smaller grid is never read past its end
  EXPECT_EQ(count_program_rows(small), MAX_GRID_ROWS + 1);
  EXPECT_GE(find_end_mark_row(small), MAX_GRID_ROWS);
  EXPECT_EQ(find_interrupt_end_row(small), MAX_GRID_ROWS);
}

TEST(RowFinders, InterruptEndRowOnlyBeforeEnd) {
  auto grid = make_ladder_grid(10);
  grid[1].cell[11].word[0] = 0xC008;
  grid[1].cell[12].word[0] = 20;
  make_end_row(grid[2]);
  EXPECT_EQ(find_interrupt_end_row(grid), 1);
  auto after = make_ladder_grid(10);
  make_end_row(after[0]);
  after[1].cell[11].word[0] = 0xC008;
  after[1].cell[12].word[0] = 20;
  EXPECT_EQ(find_interrupt_end_row(after), 0);
}

TEST(InstructionRecords, EmptyAndEndRecords) {
  InstructionRecord empty{{0x8000, 1, 2, 3, 4, 5}};
  EXPECT_TRUE(is_empty_record(empty));
  InstructionRecord end{{0xFFFF, 0, 0, 0, 0, 0}};
  EXPECT_TRUE(is_end_record(end));
  auto list = make_instruction_list(3);
  EXPECT_TRUE(is_end_record(list[0]));
}

TEST(ConversionErrors, ListNeverOverflows) {
  clear_conversion_errors();
  for (int i = 0; i < MAX_CONVERSION_ERRORS; ++i) ASSERT_TRUE(add_conversion_error(static_cast<uint32_t>(i)));
  EXPECT_FALSE(add_conversion_error(0xDEAD));
  EXPECT_EQ(g_conversion_error_count, MAX_CONVERSION_ERRORS);
  EXPECT_EQ(g_conversion_errors[MAX_CONVERSION_ERRORS - 1], static_cast<uint32_t>(MAX_CONVERSION_ERRORS - 1));
  clear_conversion_errors();
}

TEST(CoreState, OneResetForEveryProgramWideTable) {
  std::strcpy(g_line_comments[499].data(), "last");
  add_conversion_error(compiler_error(3, 2, 7));
  std::strcpy(g_cpu_settings.cpu_name, "PLC");
  g_loaded_cpu_settings.interrupt_words[15] = 5;
  auto list = make_instruction_list(2);
  g_instruction_list = list;
  g_end_record_index = 9;
  g_program_row_count = 4;
  g_initial_on_texts.assign(3, TextSlot{'M', '0', '0', '1'});
  g_interlock_texts.assign(2, TextSlot{'X'});

  reset_core_state();
  EXPECT_EQ(g_line_comments[499][0], '\0');
  EXPECT_EQ(g_conversion_error_count, 0);
  EXPECT_EQ(g_conversion_errors[0], 0u);
  EXPECT_EQ(g_cpu_settings.cpu_name[0], '\0');
  EXPECT_EQ(g_loaded_cpu_settings.interrupt_words[15], 0);
  EXPECT_TRUE(g_instruction_list.empty());
  EXPECT_EQ(g_end_record_index, 0);
  EXPECT_EQ(g_program_row_count, 0);
  ASSERT_EQ(g_initial_on_texts.size(), 1u);
  EXPECT_EQ(g_initial_on_texts[0][0], '\0');
  ASSERT_EQ(g_interlock_texts.size(), 1u);
  EXPECT_EQ(g_interlock_texts[0][0], '\0');
}

TEST(ConversionErrors, BothLayouts) {
  EXPECT_EQ(compiler_error(0x1C, 11, 5999), 0x1CB0176Fu);
  EXPECT_EQ(parser_error(7, 2, 1, 3, 0xFFF), 0x72103FFFu);
}

}  // namespace
