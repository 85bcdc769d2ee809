// The compile's rebuilt ladder is checked before it becomes the design's grid: the merge
// under the design's END row, special rows and end mark must succeed and keep the grid's
// rules, or the compile stops before anything is written.
#include <gtest/gtest.h>

#include "core/grid_invariants.h"
#include "shell/compile_chain.h"
#include "support/ladder_text.h"

namespace {

TEST(RebuiltGrid, OnlyASoundMergeIsInstalled) {
  const LadderGrid design = ladder_from_text({"X0 ~ (Y0)", "X1 ~ (Y1)"}, LadderTextOptions{true, true, 40});
  struct Case {
    const char* name;
    int break_row, break_col;  // -1: the rebuilt ladder as built
    uint32_t word;
    bool sound;
  } cases[] = {
      {"a sound ladder", -1, 0, 0, true},
      {"a box split", 0, 9, CellWord::LINE_ONLY, false},
      {"an output in a contact column", 0, 4, 0x4078, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    LadderGrid rebuilt = ladder_from_text({"X0 ~ [MOV D0 D1]", "X2 ~ (Y2)"}, LadderTextOptions{true, true, 10});
    if (c.break_row >= 0) rebuilt[c.break_row].cell[c.break_col].word[0] = c.word;
    EXPECT_EQ(rebuilt_grid_is_sound(design, rebuilt), c.sound);
  }
}

TEST(RebuiltGrid, ATailTheMergeRefusesIsRefusedBeforehand) {
  // More than 512 rows from the END row on: the merge refuses, and so does the check.
  LadderGrid design = ladder_from_text({"X0 ~ (Y0)"}, LadderTextOptions{true, false, 600});
  for (int r = 2; r < 560; ++r) {
    for (int c = 0; c < ROW_CELLS; ++c) design[r].cell[c].word[0] = CellFlags::SPECIAL;
    design[r].cell[12].word[0] |= SpecialRow::INITIAL_ON;
  }
  make_end_mark_row(design[560]);
  ASSERT_FALSE(check_grid_invariants(design));
  const LadderGrid rebuilt = ladder_from_text({"X0 ~ (Y0)"}, LadderTextOptions{true, true, 10});
  EXPECT_FALSE(rebuilt_grid_is_sound(design, rebuilt));
}

}  // namespace
