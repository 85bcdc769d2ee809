// Lines and links drawn with two clicks, with the line-tool click on an output, and by
// dragging; ladders written as text.
#include "design/line_drawing.h"

#include <gtest/gtest.h>

#include "edit_screen.h"

namespace {

using edit_test::rows_of;
using edit_test::Screen;

constexpr int RIGHT_HALF = 80;  // a click on the right half of a cell means its right boundary

struct TwoClickCase {
  const char* what;
  std::vector<std::string> before;
  int tool;
  int from_row, from_col, to_row, to_col, to_dx;
  std::vector<std::string> after;  // empty: refused
};

TEST(LineDrawing, TwoClicks) {
  const TwoClickCase cases[] = {
      {"a line left to right", rows_of({"X0 . . . . X1"}), DesignToolId::LINE, 0, 1, 0, 5, 50,
       rows_of({"X0 - - - - X1", "END"})},
      {"a line replaces the parts it crosses", rows_of({"X0 . X2 . . X1"}), DesignToolId::LINE, 0, 1, 0, 4, 50,
       rows_of({"X0 - - - . X1", "END"})},
      {"right to left is refused", rows_of({"X0 . . . . X1"}), DesignToolId::LINE, 0, 4, 0, 2, 50, {}},
      {"a line stops at column 10 and keeps the output", rows_of({"X0 .10 (Y0)"}), DesignToolId::LINE, 0, 3, 0, 11,
       RIGHT_HALF, rows_of({"X0 . . - - - - - - - - (Y0)", "END"})},
      {"a line does not overwrite a timer", rows_of({"X0 .9 (T0 K10)"}), DesignToolId::LINE, 0, 5, 0, 11, RIGHT_HALF,
       {}},
      {"a line ending inside a box is refused", rows_of({"X0 ~ [MOV D0 D1]"}), DesignToolId::LINE, 0, 5, 0, 10, 50,
       {}},
      {"erasing through column 11 takes the whole box", rows_of({"X0 ~ [MOV D0 D1]"}), DesignToolId::ERASE, 0, 5, 0,
       11, RIGHT_HALF, rows_of({"X0 - - - -", "END"})},
      {"erasing keeps the link bits", rows_of({"X0 ~ (Y0)", "X1 ^- - ~ (Y1)"}), DesignToolId::ERASE, 1, 1, 1, 3, 50,
       rows_of({"X0 - - - - - - - - - - (Y0)", "X1 ^ . - - - - - - - - (Y1)", "END"})},
      {"erasing the END row is refused", rows_of({"X0 ~ (Y0)"}), DesignToolId::ERASE, 1, 0, 1, 11, RIGHT_HALF, {}},
      {"a link from row 5 up to row 2", rows_of({"X0", "X1", "X2", "X3", "X4", "X5"}), DesignToolId::LINE, 5, 2, 2,
       2, 50, rows_of({"X0", "X1", "X2", "X3 . ^", "X4 . ^", "X5 . ^", "END"})},
      {"a link from row 2 down to row 5", rows_of({"X0", "X1", "X2", "X3", "X4", "X5"}), DesignToolId::LINE, 2, 2, 5,
       2, 50, rows_of({"X0", "X1", "X2", "X3 . ^", "X4 . ^", "X5 . ^", "END"})},
      {"erasing a link", rows_of({"X0 ~ (Y0)", "^X1 ~ (Y1)"}), DesignToolId::ERASE, 0, 0, 1, 0, 50,
       rows_of({"X0 - - - - - - - - - - (Y0)", "X1 - - - - - - - - - - (Y1)", "END"})},
      {"a link through a box's middle cell is refused", rows_of({"X0 ~ (Y0)", "X1 ~ [MOV D0 D1]"}),
       DesignToolId::LINE, 0, 10, 1, 10, 50, {}},
      {"a link into a comment row is refused", rows_of({"X0 ~ (Y0)", "; note", "X1 ~ (Y1)"}), DesignToolId::LINE, 0,
       3, 2, 3, 50, {}},
      {"a diagonal is refused", rows_of({"X0", "X1"}), DesignToolId::LINE, 0, 1, 1, 3, 50, {}},
  };
  for (const TwoClickCase& c : cases) {
    SCOPED_TRACE(c.what);
    Screen s(c.before);
    const auto before = s.text();
    s.use_tool(c.tool);
    EditEffects first = s.click(c.from_row, c.from_col);
    EXPECT_EQ(s.view.marker_on, 1);
    EXPECT_STREQ(first.status, "終わり端は？");
    EXPECT_FALSE(first.changed);
    const EditEffects e = s.click(c.to_row, c.to_col, c.to_dx);
    EXPECT_EQ(s.view.marker_on, 0);
    EXPECT_STREQ(e.status, "始端は？");
    if (c.after.empty()) {
      EXPECT_EQ(s.text(), before);
      EXPECT_FALSE(e.changed);
      EXPECT_FALSE(e.sync.has_value());
    } else {
      EXPECT_EQ(s.text(), c.after);
      EXPECT_TRUE(e.changed);
      EXPECT_TRUE(e.sync.has_value());
    }
  }
}

TEST(LineDrawing, ErasingTheEndRowSaysWhy) {
  Screen s(rows_of({"X0 ~ (Y0)"}));
  s.use_tool(DesignToolId::ERASE);
  s.click(1, 0);
  const EditEffects e = s.click(1, 11, RIGHT_HALF);
  ASSERT_NE(e.message, nullptr);
  EXPECT_STREQ(e.message, "ＥＮＤ命令の行は消せません！");
  EXPECT_STREQ(e.message_caption, "警告");
  EXPECT_TRUE(is_end_row(s.grid[1]));
}

TEST(LineDrawing, TheLineToolOnAnOutputCompletesTheRow) {
  struct Case {
    const char* what;
    std::vector<std::string> before;
    int col;
    std::vector<std::string> after;  // empty: the marker is set instead
  };
  const Case cases[] = {
      {"on an OUT", rows_of({"X0 X1 .9 (Y0)"}), 11, rows_of({"X0 X1 - - - - - - - - - (Y0)", "END"})},
      {"on a timer", rows_of({"X0 X1 .8 (T0 K10)"}), 11, rows_of({"X0 X1 - - - - - - - - (T0 K10)", "END"})},
      {"on a box", rows_of({"X0 .8 [MOV D0 D1]"}), 10, rows_of({"X0 - - - - - - - - [MOV D0 D1]", "END"})},
      {"up to a branch point", rows_of({"X0 ~ (Y0)", "X1 . . ^. .6 (Y1)"}), 11,
       rows_of({"X0 - - - - - - - - - - (Y0)", "X1 . . ^- - - - - - - - (Y1)", "END"})},
      {"with nothing to its left the marker is set", rows_of({".11 (Y0)"}), 11, {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Screen s(c.before);
    const auto before = s.text();
    s.use_tool(DesignToolId::LINE);
    // The last row of the ladder (a link stands on a row with a row above it).
    const EditEffects e = s.click(static_cast<int>(c.before.size()) - 1, c.col);
    if (c.after.empty()) {
      EXPECT_EQ(s.text(), before);
      EXPECT_EQ(s.view.marker_on, 1);
    } else {
      EXPECT_EQ(s.text(), c.after);
      EXPECT_TRUE(e.changed);
      EXPECT_EQ(s.view.marker_on, 0);
    }
  }
}

struct DragCase {
  const char* what;
  std::vector<std::string> before;
  int tool;
  int row, col;
  int dx, dy;  // the move from the press, dy upwards
  std::vector<std::string> after;
};

TEST(LineDrawing, Drags) {
  const DragCase cases[] = {
      {"right to the next part however far", rows_of({"X0 . . . . . X1"}), DesignToolId::LINE, 0, 1, 900, 0,
       rows_of({"X0 - - - - - X1", "END"})},
      {"right through to column 10", rows_of({"X0 .10 (Y0)"}), DesignToolId::LINE, 0, 1, 20, 0,
       rows_of({"X0 - - - - - - - - - - (Y0)", "END"})},
      {"right from a part turns the part into a line", rows_of({"X0 X1 . . X2"}), DesignToolId::LINE, 0, 1, 30, 0,
       rows_of({"X0 - . . X2", "END"})},
      {"erase right clears a run of lines", rows_of({"X0 - - - X1"}), DesignToolId::ERASE, 0, 1, 30, 0,
       rows_of({"X0 . . . X1", "END"})},
      {"upwards to the next obstacle", rows_of({"X0 ~ (Y0)", "", "", "X1"}), DesignToolId::LINE, 3, 3, 0, 30,
       rows_of({"X0 - - - - - - - - - - (Y0)", ". . . ^", ". . . ^", "X1 . . ^", "END"})},
      {"upwards stops at a link", rows_of({"X0", "^", "", "X1"}), DesignToolId::LINE, 3, 0, 0, 30,
       rows_of({"X0", "^", "^", "^X1", "END"})},
      {"upwards stops under a comment row", rows_of({"; note", "", "X1"}), DesignToolId::LINE, 2, 0, 0, 30,
       rows_of({"; note", "", "^X1", "END"})},
      {"erase upwards", rows_of({"X0", "^X1", "^X2"}), DesignToolId::ERASE, 2, 0, 0, 30,
       rows_of({"X0", "X1", "X2", "END"})},
      {"a small move does nothing", rows_of({"X0 . . X1"}), DesignToolId::LINE, 0, 1, 5, 5,
       rows_of({"X0 . . X1", "END"})},
  };
  for (const DragCase& c : cases) {
    SCOPED_TRACE(c.what);
    Screen s(c.before);
    s.use_tool(c.tool);
    s.click(c.row, c.col);
    ASSERT_EQ(s.view.marker_on, 1);
    const EditEffects e = s.drag_to(g_click_x + c.dx, g_click_y - c.dy);
    EXPECT_TRUE(e.handled);
    EXPECT_EQ(s.text(), c.after);
    EXPECT_EQ(e.changed, c.before != std::vector<std::string>(c.after.begin(), c.after.end() - 1));
  }
}

TEST(LineDrawing, DragsNeedTheMarker) {
  Screen s(rows_of({"X0 . . X1"}));
  s.use_tool(DesignToolId::LINE);
  EXPECT_FALSE(s.drag_to(500, 50).handled);
  s.use_tool(DesignToolId::RELAY_A);
  s.view.marker_on = 1;
  EXPECT_FALSE(s.drag_to(500, 50).handled);
}

}  // namespace
