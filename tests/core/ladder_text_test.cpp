#include "support/ladder_text.h"

#include <gtest/gtest.h>

namespace {

TEST(LadderText, SeriesRungBuildsCellWords) {
  const auto grid = ladder_from_text({"X0 /X1 ~ (Y0)"});
  const LadderRow& row = grid[0];
  EXPECT_EQ(row.cell[0].word[0], 0x8018u);
  EXPECT_EQ(row.cell[0].word[1], 0x00000000u);
  EXPECT_EQ(row.cell[1].word[0], 0x8028u);
  EXPECT_EQ(row.cell[1].word[1], 0x00000001u);
  for (int c = 2; c <= 10; ++c) EXPECT_EQ(row.cell[c].word[0], 0xB9u) << c;
  EXPECT_EQ(row.cell[11].word[0], 0xC078u);
  EXPECT_EQ(row.cell[11].word[1], 0x10000000u);
  EXPECT_EQ(row.cell[12].word[0], 15u);
  // END row and end mark follow.
  EXPECT_EQ(grid[1].cell[11].word[0], 0x6C08u);
  EXPECT_EQ(grid[1].cell[12].word[0], 16u);
  EXPECT_EQ(grid[2].cell[0].word[0], END_MARK_CELL);
  EXPECT_EQ(grid.size(), 3u);
}

TEST(LadderText, RendersWhatItReads) {
  const std::vector<std::string> rows = {
      "P5: X0 /X1#4 - - - - - - - - - (Y0)",
      "^X2 ^",
      "; a comment",
      "X10 {= D0 K5} - - @3- - - - - ^(M7)",
      "I2: ^M1 - - - - - - - - - (T3 K10)",
      "D3 - - - - - - - - [MOV H1F D1]",
      "/D4 - - - - - - - - [DMOVP K4X0 D1]",
      "X0 [ASM K1] | MOV A,B",
      ">7 - - - - - - - - - - (>8)",
      "? - - - - - - - - - - (?)",
      "X0 - - - - - - - - - (T?)",
      "X0 - - - - - - - - [MOV]",
      "END",
  };
  const auto grid = ladder_from_text(std::vector<std::string>(rows));
  EXPECT_EQ(ladder_to_text(grid), rows) << ladder_picture(grid);
}

TEST(LadderText, BoxCells) {
  const auto grid = ladder_from_text({"X0 ~ [+ D0 K10 D2]"});
  const LadderRow& row = grid[0];
  EXPECT_EQ(row.cell[8].word[0], 0x40C08u);
  EXPECT_EQ(row.cell[9].word[0], 0x40808u);
  EXPECT_EQ(row.cell[10].word[0], 0x40808u);
  EXPECT_EQ(row.cell[11].word[0], 0x4C408u | 0x200000u);
  EXPECT_EQ(row.cell[11].word[1], 0xD0000000u);
  EXPECT_EQ(row.cell[12].word[1], 0x10u);
  EXPECT_EQ(row.cell[13].word[1], 0xD0000002u);
  EXPECT_EQ(row.cell[12].word[0], 98u);
}

TEST(LadderText, BadTokensAreRefused) {
  EXPECT_THROW(ladder_from_text({"Z0 ~ (Y0)"}), std::invalid_argument);
  EXPECT_THROW(ladder_from_text({"X0 ~ [NOSUCH D0]"}), std::invalid_argument);
  EXPECT_THROW(ladder_from_text({"X0 X1 X2 X3 X4 X5 X6 X7 X8 X9 XA XB (Y0)"}), std::invalid_argument);
  EXPECT_THROW(ladder_from_text({"X0 ~ (Y0"}), std::invalid_argument);
}

}  // namespace
