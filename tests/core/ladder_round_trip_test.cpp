// Properties of the list-to-ladder conversion over many generated programs.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "core/instruction_tables.h"
#include "core/ladder_builder.h"
#include "support/instruction_records.h"
#include "support/program_generator.h"

namespace {

constexpr int kPrograms = 600;
constexpr int kGridRows = 256;

std::string seed_text(uint32_t seed) { return "seed " + std::to_string(seed); }

// The cell a drawn record names by its new word 5 shows that record.
std::string check_positions(ConstGridSpan grid, ConstListSpan list) {
  for (size_t k = 0; k < list.size(); ++k) {
    const InstructionRecord& r = list[k];
    if (is_end_record(r)) break;
    const uint32_t code = r.word[0] & 0x3FF;
    const int row = static_cast<int>(r.word[5] & 0xFFFFF);
    const int col = static_cast<int>((r.word[5] >> 20) & 0xFF);
    char where[64];
    std::snprintf(where, sizeof where, "record %zu at (%d, %d)", k + 1, col, row);
    if (row >= static_cast<int>(grid.size()) || col >= ROW_CELLS) return std::string(where) + " is outside the grid";
    const LadderCell& cell = grid[static_cast<size_t>(row)].cell[col];
    const bool contact = (code >= 1 && code <= 6) || (code >= 0x201 && code <= 0x206);
    if (contact) {
      const uint32_t operand = (r.word[0] & 0x4000) ? r.word[2] : r.word[1];
      if ((cell.word[1] & ~0x1F0000u) != operand || !(cell.word[0] & CellFlags::PRESENT))
        return std::string(where) + " does not show its contact";
    } else if (code >= 15 && code != 16 && code != 32 && code != 43 && code != 27 && code != 44) {
      const LadderRow& shown = grid[static_cast<size_t>(row)];
      if (col != OUTPUT_COLUMN || shown.cell[OUTPUT_COLUMN].word[1] != r.word[1] || row_output_code(shown) != (code & 0x1FF))
        return std::string(where) + " does not show its output";
    }
  }
  return {};
}

TEST(LadderRoundTrip, EveryGeneratedProgramIsDrawnWhereItsPositionsSay) {
  LadderGrid grid = make_ladder_grid(kGridRows);
  for (uint32_t seed = 1; seed <= kPrograms; ++seed) {
    reset_core_state();
    InstructionList list = il::make_list(il::generate_program(seed), false);
    std::fill(grid.begin(), grid.end(), LadderRow{});
    ASSERT_EQ(build_ladder_from_instructions(grid, list), 0) << seed_text(seed);
    const int rows = count_program_rows(grid);
    ASSERT_GT(rows, 0) << seed_text(seed);
    ASSERT_TRUE(is_end_mark_row(grid[static_cast<size_t>(rows)])) << seed_text(seed);
    EXPECT_EQ(check_positions(grid, list), "") << seed_text(seed);
  }
}

}  // namespace
