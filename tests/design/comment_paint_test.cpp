// Device comments in the design screen's display list: what text is painted for a comment,
// as the comment dialog stores it (each line ended by a line feed) and as a design file
// gives it back (each line ended by a blank and a line feed), and when a comment keeps its
// second line, which reaches into the top of the row below.
#include "design/design_paint.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "support/ladder_text.h"

namespace {

// A view of 1300 x 1060 pixels: cell width 100, rows 90 pixels high.
struct Scene {
  LadderGrid grid;
  ViewState view{};
  PaintInputs inputs{};

  explicit Scene(LadderGrid g) : grid(std::move(g)) {
    init_view_state(view, rgb(0, 0, 130));
    size_ladder_view(view, 1300, 1060, grid);
    inputs.view = &view;
    inputs.update = {0, 0, 1300, 1060};
    inputs.client_width = 1300;
    inputs.client_height = 1060;
    inputs.colours = {rgb(0, 0, 130), rgb(255, 255, 255), rgb(51, 255, 0)};
  }
  void comment(int row, int column, const char* text) {
    grid[static_cast<size_t>(row)].cell[column].word[0] |= CellFlags::HAS_COMMENT;
    std::strcpy(grid[static_cast<size_t>(row)].text[column], text);
  }
  // The comment items of a cell: text and format.
  std::vector<PaintItem> comments(int row, int column) {
    inputs.grid = grid;
    std::vector<PaintItem> out;
    for (const PaintItem& item : build_design_display_list(inputs).items)
      if (item.kind == PaintKind::TEXT && item.font == PaintFont::CELL_COMMENT && item.row == row &&
          item.column == column)
        out.push_back(item);
    return out;
  }
};

TEST(CommentFirstWord, EndsAtABlankOrALineFeed) {
  struct Case {
    const char* comment;
    const char* first;
  };
  const Case cases[] = {
      {"始動\n", "始動"},          {"始動 \n", "始動"},        {"START\nPB\n", "START"},
      {"START \nPB \n", "START"}, {"START button", "START"}, {"モータ", "モータ"},
      {"", ""},                    {"\n", ""},                  {"ソ\n", "ソ"}
  };
  for (const Case& c : cases) EXPECT_EQ(comment_first_word(c.comment), c.first) << c.comment;
}

// Above a contact only the first word is painted, on one line: whatever form the comment is
// kept in, no line feed reaches the one-line text (where it would be drawn as a glyph).
TEST(CommentPaint, AboveAContactOnlyTheFirstWordIsPaintedWithoutItsLineFeed) {
  for (const char* stored : {"始動\n", "始動 \n", "始動\nボタン\n", "始動 \nボタン \n"}) {
    Scene scene(ladder_from_text({"X0 - - - - - - - - - - (Y0)", "Y0 - - - - - - - - - - (Y1)"}));
    scene.comment(0, 0, stored);
    const auto items = scene.comments(0, 0);
    ASSERT_EQ(items.size(), 1u) << stored;
    EXPECT_EQ(items[0].text, "始動") << stored;
    EXPECT_EQ(items[0].format & (TextFormat::SINGLELINE | TextFormat::WORDBREAK), TextFormat::SINGLELINE) << stored;
  }
}

// Above a part in the output column (a coil, a timer, a box, END's box) and above a comment
// row an output's comment shows its first word only, on one line; above a row with nothing
// in its output column it keeps its second line.
TEST(CommentPaint, AnOutputCommentKeepsItsSecondLineOnlyWhereNoPartStandsBelow) {
  struct Case {
    const char* below;
    bool whole;
  };
  const Case cases[] = {
      {"X1 ~ (Y2)", false},         {"X1 ~ (T0 K100)", false}, {"X1 ~ [MOV D0 D1]", false},
      {"END", false},               {"; a comment row", false}, {".", true},
      {"^X1", true},  // a branch of the rung above: nothing in the output column
  };
  for (const Case& c : cases) {
    Scene scene(ladder_from_text({"X0 - - - - - - - - - - (Y1)", c.below}));
    scene.comment(0, 11, "運転 \nランプ \n");
    const auto items = scene.comments(0, 11);
    ASSERT_EQ(items.size(), 1u) << c.below;
    EXPECT_EQ(items[0].text, c.whole ? "運転 \nランプ \n" : "運転") << c.below;
    EXPECT_EQ(items[0].format & (TextFormat::SINGLELINE | TextFormat::WORDBREAK),
              c.whole ? TextFormat::WORDBREAK : TextFormat::SINGLELINE)
        << c.below;
  }
}

// A repaint of the row below alone paints the comment of the row above again, in the form
// the row below gives it.
TEST(CommentPaint, ARepaintOfTheRowBelowPaintsTheOutputCommentAgain) {
  for (const char* below : {".", "X1 - - - - - - - - - - (Y2)"}) {
    Scene scene(ladder_from_text({"X0 - - - - - - - - - - (Y1)", below}));
    scene.comment(0, 11, "運転 \nランプ \n");
    const int row1_top = scene.view.top_margin + scene.view.row_height;
    scene.inputs.update = {0, row1_top - 3, 1300, row1_top + scene.view.row_height};
    const auto items = scene.comments(0, 11);
    ASSERT_EQ(items.size(), 1u) << below;
    EXPECT_EQ(items[0].text, std::string(below) == "." ? "運転 \nランプ \n" : "運転") << below;
  }
}

}  // namespace
