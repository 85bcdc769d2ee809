// Properties of the list-to-ladder conversion over many generated programs.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "core/instruction_tables.h"
#include "core/core_state.h"
#include "core/ladder_builder.h"
#include "core/ladder_compiler.h"
#include "support/instruction_records.h"
#include "support/ladder_text.h"
#include "support/stack_evaluator.h"
#include "support/program_generator.h"

namespace {

constexpr int kPrograms = 600;
constexpr int kGridRows = 256;

std::string seed_text(uint32_t seed) { return "seed " + std::to_string(seed); }

// Program `seed` as a list, drawn into `grid` (cleared first).
::testing::AssertionResult build_program(uint32_t seed, LadderGrid& grid, InstructionList& list) {
  reset_core_state();
  reset_compiler_state();
  list = il::make_list(il::generate_program(seed), false);
  std::fill(grid.begin(), grid.end(), LadderRow{});
  const int result = build_ladder_from_instructions(grid, list);
  if (result == 0) return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure() << seed_text(seed) << ": " << std::hex << result;
}

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
      // A coil on a U point keeps the U number (bits 16-20) beside its device.
      const uint32_t device = shown.cell[OUTPUT_COLUMN].word[1] & ~(code == 15 ? 0x1F0000u : 0u);
      if (col != OUTPUT_COLUMN || device != r.word[1] || row_output_code(shown) != (code & 0x1FF))
        return std::string(where) + " does not show its output";
    }
  }
  return {};
}

TEST(LadderRoundTrip, EveryGeneratedProgramIsDrawnWhereItsPositionsSay) {
  LadderGrid grid = make_ladder_grid(kGridRows);
  InstructionList list;
  for (uint32_t seed = 1; seed <= kPrograms; ++seed) {
    ASSERT_TRUE(build_program(seed, grid, list));
    const int rows = count_program_rows(grid);
    ASSERT_GT(rows, 0) << seed_text(seed);
    ASSERT_TRUE(is_end_mark_row(grid[static_cast<size_t>(rows)])) << seed_text(seed);
    EXPECT_EQ(check_positions(grid, list), "") << seed_text(seed);
  }
}

// The cell words 0 and 1 and the texts of the rows up to the end mark; empty when equal.
std::string compare_grids(ConstGridSpan a, ConstGridSpan b) {
  for (size_t r = 0; r < a.size() && r < b.size(); ++r) {
    for (int c = 0; c < ROW_CELLS; ++c)
      for (int w = 0; w < 2; ++w)
        if (a[r].cell[c].word[w] != b[r].cell[c].word[w]) {
          char text[80];
          std::snprintf(text, sizeof text, "row %zu cell %d word %d: %08X vs %08X", r, c, w, a[r].cell[c].word[w], b[r].cell[c].word[w]);
          return text;
        }
    if (std::memcmp(a[r].text, b[r].text, sizeof a[r].text) != 0) return "texts of row " + std::to_string(r);
    if (is_end_mark_row(a[r])) return {};
  }
  return "no end mark";
}

class LadderCompileRoundTrip : public ::testing::Test {
 protected:
  void SetUp() override {
    reset_core_state();
    reset_compiler_state();
  }
  // Compiles the grid into `list`; the compile must succeed.
  ::testing::AssertionResult compile(LadderGrid& grid, InstructionList& list) {
    list = make_instruction_list(4000);
    const int result = compile_ladder(nullptr, grid, list, nullptr, 0);
    if (result != 0) {
      std::string errors;
      for (int k = 0; k < g_conversion_error_count; ++k) {
        char text[16];
        std::snprintf(text, sizeof text, " %08X", g_conversion_errors[static_cast<size_t>(k)]);
        errors += text;
      }
      return ::testing::AssertionFailure() << "compile_ladder gave " << result << errors << "\n" << ladder_picture(grid);
    }
    return ::testing::AssertionSuccess();
  }
};

// list -> ladder -> list computes the same outputs for every combination of inputs.
TEST_F(LadderCompileRoundTrip, RebuiltProgramKeepsItsLogic) {
  LadderGrid grid = make_ladder_grid(kGridRows);
  InstructionList list;
  for (uint32_t seed = 1; seed <= kPrograms; ++seed) {
    ASSERT_TRUE(build_program(seed, grid, list));
    const std::vector<InstructionRecord> program = il::generate_program(seed);
    InstructionList compiled;
    ASSERT_TRUE(compile(grid, compiled)) << seed_text(seed) << "\n" << records_text(program);
    const InstructionList original = il::make_list(program, false);
    EXPECT_EQ(il::compare_list_logic(original, compiled), "")
        << seed_text(seed) << "\n" << ladder_picture(grid) << "\n" << records_text(program) << "\ncompiled:\n"
        << records_text(list_records(compiled));
  }
}

// ladder -> list -> ladder reaches its fixpoint after one rebuild.
TEST_F(LadderCompileRoundTrip, RebuildingACompiledLadderGivesTheSameLadder) {
  LadderGrid first = make_ladder_grid(kGridRows);
  LadderGrid second = make_ladder_grid(kGridRows);
  InstructionList list;
  for (uint32_t seed = 1; seed <= kPrograms; ++seed) {
    ASSERT_TRUE(build_program(seed, first, list));
    InstructionList compiled;
    ASSERT_TRUE(compile(first, compiled)) << seed_text(seed);
    std::fill(second.begin(), second.end(), LadderRow{});
    ASSERT_EQ(build_ladder_from_instructions(second, compiled), 0) << seed_text(seed);
    EXPECT_EQ(compare_grids(first, second), "") << seed_text(seed) << "\nfirst:\n"
                                                << ladder_picture(first) << "\nrebuilt:\n" << ladder_picture(second);
  }
}

// Ladders as a user draws them (branch links far from their outputs, lines in odd places)
// take the canonical layout at the first rebuild and keep it at the second.
TEST_F(LadderCompileRoundTrip, HandDrawnLaddersReachTheirFixpointAfterOneRebuild) {
  const std::vector<std::vector<std::string>> drawings = {
      {"X0 ~ (Y0)", "^ ^- ~ (Y1)", "^ ^- ~ (T0 K10)"},
      {"X0 X1 ~ (Y0)", "^X2 - ^", "X3 - - - - /X4 ~ (Y1)", "^X5 - - ^ . ^X6 ~ (Y2)"},
      {"X0 - - - X1 ~ (Y0)", "^ . . ^X2 ~ (Y1)", "^ . . ^- ~ [MOV D0 D1]"},
      {"; comment", "P3: X0 {= D0 K5} ~ (Y0)", "X1 ~ [CJ P3]"},
  };
  for (size_t k = 0; k < drawings.size(); ++k) {
    SetUp();
    LadderGrid drawn = ladder_from_text(drawings[k], {true, true, 64});
    InstructionList first_list;
    ASSERT_TRUE(compile(drawn, first_list)) << "drawing " << k;
    LadderGrid first = make_ladder_grid(64);
    ASSERT_EQ(build_ladder_from_instructions(first, first_list), 0) << "drawing " << k;
    InstructionList second_list;
    ASSERT_TRUE(compile(first, second_list)) << "drawing " << k;
    EXPECT_EQ(il::compare_list_logic(first_list, second_list), "") << "drawing " << k;
    LadderGrid second = make_ladder_grid(64);
    ASSERT_EQ(build_ladder_from_instructions(second, second_list), 0) << "drawing " << k;
    EXPECT_EQ(compare_grids(first, second), "") << "drawing " << k << "\ndrawn:\n" << ladder_picture(drawn)
                                                << "\nrebuilt:\n" << ladder_picture(first) << "\nagain:\n"
                                                << ladder_picture(second);
  }
}

// A lowest branch must not be moved to hang off the row of a BTONJ: the compiler takes
// a BTONJ or a U point at the end of a branch group for a fault.
TEST_F(LadderCompileRoundTrip, BranchGroupWithAJumpCompilesAfterTheRebuild) {
  using namespace il;
  InstructionList list = make_list({ld(X(0)), or_(X(1)), or_(X(2)), mps(), out(Y(0)), jms(9), mrd(), out(Y(1)), mrd(),
                                    box(Instr::BTONJ, make_device_operand(Device::U, 9)), mpp(), out(Y(2)), end()});
  const InstructionList original = list;
  LadderGrid grid = make_ladder_grid(32);
  ASSERT_EQ(build_ladder_from_instructions(grid, list), 0);
  InstructionList compiled;
  ASSERT_TRUE(compile(grid, compiled));
  EXPECT_EQ(il::compare_list_logic(original, compiled), "");
}

}  // namespace

// A box's third operand keeps its constant and hex marks through compile, rebuild and
// the compile of the rebuilt design.
TEST_F(LadderCompileRoundTrip, ConstantMarksOfTheThirdOperandSurviveTheRebuild) {
  for (const char* box : {"X0 ~ [BMOV D0 D10 H1F]", "X0 ~ [BMOV D0 D10 K12]"}) {
    SetUp();
    LadderGrid drawn = ladder_from_text({box}, {true, true, 16});
    InstructionList first_list;
    ASSERT_TRUE(compile(drawn, first_list)) << box;
    const uint32_t marks = first_list[1].word[0] & (RecordFlags::CONSTANT_MASK | RecordFlags::HEX_MASK);
    EXPECT_NE(marks & (RecordFlags::CONSTANT_0 << 2), 0u) << box;
    LadderGrid rebuilt = make_ladder_grid(16);
    ASSERT_EQ(build_ladder_from_instructions(rebuilt, first_list), 0) << box;
    InstructionList second_list;
    ASSERT_TRUE(compile(rebuilt, second_list)) << box;
    EXPECT_EQ(second_list[1].word[0], first_list[1].word[0]) << box;
    EXPECT_EQ(second_list[1].word[3], first_list[1].word[3]) << box;
  }
}
