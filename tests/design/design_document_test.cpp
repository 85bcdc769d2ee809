#include "design/design_document.h"

#include <gtest/gtest.h>

#include <cstring>

#include "core/design_file.h"

namespace {

LadderGrid new_design() {
  LadderGrid grid = make_ladder_grid();
  build_new_design(grid);
  return grid;
}

TEST(NewDesign, IsElevenLinkedRowsAnEndRowAndTheEndMark) {
  const LadderGrid grid = new_design();
  for (int r = 0; r < 11; ++r) EXPECT_EQ(grid[r].cell[0].word[0], 0x2u) << r;
  EXPECT_EQ(grid[11].cell[0].word[0], 0xBBu);
  for (int c = 1; c <= 10; ++c) EXPECT_EQ(grid[11].cell[c].word[0], 0xB9u) << c;
  EXPECT_EQ(grid[11].cell[11].word[0], 0x6C08u);
  EXPECT_EQ(grid[11].cell[12].word[0], 16u);
  for (int c = 0; c < 16; ++c) EXPECT_EQ(grid[12].cell[c].word[0], END_MARK_CELL);
  for (int c = 0; c < 16; ++c) EXPECT_STREQ(grid[0].text[c], "F0F0F0F0");
  EXPECT_EQ(count_program_rows(grid), 12);
  EXPECT_EQ(find_end_mark_row(grid), 12);
}

TEST(NewDesign, IsAcceptedByTheDesignFileWriterAndReader) {
  LadderGrid grid = new_design();
  std::FILE* stream = std::tmpfile();
  ASSERT_NE(stream, nullptr);
  ASSERT_EQ(write_design_file(nullptr, grid, nullptr, stream, DESIGN_FILE_STANDALONE), 0);
  std::rewind(stream);
  LadderGrid back = make_ladder_grid();
  EXPECT_EQ(read_design_file(back, stream, DESIGN_FILE_STANDALONE), DESIGN_FILE_OK);
  std::fclose(stream);
  EXPECT_EQ(grid_differs(back, grid), 0);
}

TEST(GridDiffers, ComparesTheProgramRowsAndWhereTheEndRowLies) {
  struct Case {
    const char* what;
    void (*change)(LadderGrid&);
    int expected;
  };
  const Case cases[] = {
      {"nothing", [](LadderGrid&) {}, 0},
      {"a contact placed", [](LadderGrid& g) { g[3].cell[2].word[0] = 0x8018; }, 1},
      {"an operand changed", [](LadderGrid& g) { g[0].cell[0].word[1] = 0x01000005; }, 1},
      {"a row label", [](LadderGrid& g) { g[4].cell[15].word[0] = 0x80008000; }, 1},
      {"a comment text only", [](LadderGrid& g) { std::strcpy(g[2].text[3], "START"); }, 0},
      {"a range mark only", [](LadderGrid& g) { g[2].selected = 1; }, 0},
      {"the END row's own words", [](LadderGrid& g) { g[11].cell[3].word[1] = 7; }, 0},
      {"a row after the END row", [](LadderGrid& g) { g[14].cell[3].word[0] = 7; }, 0},
      {"the monitor words", [](LadderGrid& g) { g[1].cell[1].word[2] = 1; }, 0},
      {"the last rungs deleted (END moved up)",
       [](LadderGrid& g) {
         g[9] = g[11];
         make_end_mark_row(g[10]);
         g[11] = LadderRow{};
         g[12] = LadderRow{};
       },
       1},
  };
  for (const Case& c : cases) {
    const LadderGrid saved = new_design();
    LadderGrid grid = new_design();
    c.change(grid);
    EXPECT_EQ(grid_differs(grid, saved), c.expected) << c.what;
  }
}

TEST(GridDiffers, StaysWithinShortGrids) {
  LadderGrid a(5);
  LadderGrid b(5);
  EXPECT_EQ(grid_differs(a, b), 0);
  a[1].cell[1].word[0] = 9;
  EXPECT_EQ(grid_differs(a, b), 1);
  // Without an END row, a grid that has fewer rows holds less of the program.
  EXPECT_EQ(grid_differs(LadderGrid(5), LadderGrid(3)), 1);
}

TEST(CopyGridCells, CopiesCellWordsThroughTheEndMarkOnly) {
  LadderGrid source = new_design();
  source[5].cell[3].word[0] = 0x8018;
  source[5].cell[3].word[1] = 0x01000003;
  source[5].cell[3].word[2] = 1;
  std::strcpy(source[5].text[3], "START");
  source[13].cell[0].word[0] = 0x1234;  // after the end mark
  LadderGrid copy = make_ladder_grid();
  copy_grid_cells(copy, source);
  EXPECT_EQ(copy[5].cell[3].word[0], 0x8018u);
  EXPECT_EQ(copy[5].cell[3].word[1], 0x01000003u);
  EXPECT_EQ(copy[5].cell[3].word[2], 0u);
  EXPECT_STREQ(copy[5].text[3], "");
  EXPECT_EQ(copy[12].cell[0].word[0], END_MARK_CELL);
  EXPECT_EQ(copy[13].cell[0].word[0], 0u);
  EXPECT_EQ(grid_differs(source, copy), 0);

  LadderGrid small(4);
  copy_grid_cells(small, source);  // never past the destination
  EXPECT_EQ(small[3].cell[0].word[0], 0x2u);
}

TEST(CpuLabel, NamesTheCpuAndTheExpansion) {
  struct Case {
    const char* name;
    int32_t option_b;
    const char* expected;
  };
  for (const Case& c : {Case{"pic18F452", 0, "pic18F452 "}, Case{"pic18F452", 1, "pic18F452 Exp"},
                        Case{"pic12F629", 1, "pic12F683"}, Case{"pic12F629", 0, "pic12F629 "}}) {
    CpuSettings settings{};
    std::strcpy(settings.cpu_name, c.name);
    settings.option_b = c.option_b;
    EXPECT_EQ(cpu_label_text(settings), c.expected);
  }
}

TEST(FileNumbers, FurtherWindowsNeverPassForTheMainFile) {
  EXPECT_EQ(design_file_number(0), 0);
  for (int count = 1; count < 100; ++count) {
    const int number = design_file_number(count);
    EXPECT_GE(number, 1) << count;
    EXPECT_LE(number, 15) << count;
    EXPECT_EQ((number << 4) & 0xF0, number << 4);
  }
  EXPECT_EQ(design_file_number(1), 1);
  EXPECT_EQ(design_file_number(15), 15);
  EXPECT_EQ(design_file_number(16), 1);
}

TEST(FurtherWindowRows, AreTheEndMarkAndTwentyMore) {
  EXPECT_EQ(further_window_rows(12), 32);
  EXPECT_EQ(further_window_rows(-1), 19);
  EXPECT_EQ(further_window_rows(5990), MAX_GRID_ROWS);
}

TEST(CloseStep, FollowsTheAnswer) {
  struct Case {
    bool changed;
    int answer;
    bool untitled;
    CloseStep expected;
  };
  for (const Case& c : {Case{false, 2, false, CloseStep::CLOSE}, Case{true, 7, false, CloseStep::CLOSE},
                        Case{true, 2, false, CloseStep::REFUSE}, Case{true, 6, false, CloseStep::SAVE},
                        Case{true, 6, true, CloseStep::SAVE_AS}})
    EXPECT_EQ(close_step(c.changed, c.answer, c.untitled), c.expected);
}

}  // namespace
