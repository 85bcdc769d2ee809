// The compile-error list: the line each error shows and where a jump puts the cursor.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/compiler_checks.h"
#include "design/compile_errors.h"
#include "support/ladder_text.h"

namespace {

constexpr uint32_t error_word(uint32_t kind, int column, int row) {
  return kind << 24 | static_cast<uint32_t>(column) << 20 | static_cast<uint32_t>(row);
}

TEST(CompileErrorLines, EachKindShowsItsForm) {
  struct Case {
    uint32_t word;
    std::string prefix;  // what stands before the kind's text
  };
  const std::vector<Case> cases = {
      {error_word(0, 4, 9), ""},                       // the text alone
      {error_word(8, 4, 9), ""},
      {error_word(2, 0, 0), "PUMP.SEQ "},              // the project's operation file
      {error_word(3, 2, 7), "7行    "},                // the row as it is
      {error_word(5, 2, 7), "8行- 3列  "},             // row and column counted from 1
      {error_word(6, 10, 123), "124行-11列  "},
      {error_word(7, 15, 0), "1行- 0列  "},            // the label margin shows as column 0
      {error_word(11, 0, 0xFFFFF), "1048576行- 1列  "},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.word);
    EXPECT_EQ(format_compile_error_line(c.word, "PUMP"), c.prefix + compile_error_text(c.word >> 24));
  }
}

TEST(CompileErrorLines, ListsTheRecordedErrorsInOrder) {
  const std::vector<ConversionError> errors = {error_word(5, 1, 0), error_word(7, 0, 3), error_word(6, 2, 4)};
  const auto lines = compile_error_lines(errors, 2, "A");
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_EQ(lines[0], format_compile_error_line(errors[0], "A"));
  EXPECT_EQ(lines[1], format_compile_error_line(errors[1], "A"));
  EXPECT_TRUE(compile_error_lines(errors, 0, "A").empty());
  EXPECT_TRUE(compile_error_lines(errors, -1, "A").empty());
  EXPECT_EQ(compile_error_lines(errors, 9, "A").size(), 3u);  // never past the list
}

// A view showing rows top .. top + visible - 1.
ViewState view_at(int top, int visible) {
  ViewState view{};
  init_view_state(view, 0);
  view.top_row = top;
  view.visible_rows = visible;
  view.sel_width = 3;
  view.sel_rows = 2;
  return view;
}

std::vector<std::string> rungs(int count, const std::vector<int>& comment_before) {
  std::vector<std::string> rows;
  for (int i = 0; i < count; ++i) {
    for (int c : comment_before)
      if (c == i) rows.push_back("; note");
    rows.push_back("X" + std::to_string(i) + " ~ (Y" + std::to_string(i) + ")");
  }
  return rows;
}

TEST(CompileErrorJump, CommentRowsAboveTheErrorAreCountedIn) {
  struct Case {
    std::vector<int> comments_before;  // program rows that have a comment row above them
    int program_row;
    int grid_row;
  };
  const std::vector<Case> cases = {
      {{}, 4, 4},
      {{2}, 4, 5},        // one comment row among the rows above
      {{4}, 4, 5},        // a comment row right above the error's row
      {{5}, 4, 4},        // comment rows below do not count
      {{0, 1, 2, 3, 4}, 4, 9},
      {{0, 0, 0}, 0, 3},  // comment rows in a row at the top
  };
  for (const Case& c : cases) {
    const LadderGrid grid = ladder_from_text(rungs(8, c.comments_before));
    EXPECT_EQ(grid_row_of_program_row(grid, c.program_row), c.grid_row) << c.program_row;
    ViewState view = view_at(0, 20);
    EXPECT_FALSE(jump_to_compile_error(grid, view, error_word(5, 3, c.program_row)));
    EXPECT_EQ(view.cursor_row, c.grid_row);
    EXPECT_EQ(view.sel_row, c.grid_row);
    EXPECT_EQ(view.cursor_col, 3);
    EXPECT_EQ(view.sel_col, 3);
    EXPECT_EQ(view.sel_width, 0);
    EXPECT_EQ(view.sel_rows, 0);
    EXPECT_EQ(view.top_row, 0);
  }
}

TEST(CompileErrorJump, ARowOutOfViewScrollsItIn) {
  const LadderGrid grid = ladder_from_text(rungs(100, {10}));  // END is program row 100
  {
    // Far below the shown rows: the cell comes in as the third row.
    ViewState view = view_at(0, 10);
    EXPECT_TRUE(jump_to_compile_error(grid, view, error_word(6, 11, 40)));
    EXPECT_EQ(view.cursor_row, 41);
    EXPECT_EQ(view.sel_row, 41);
    EXPECT_EQ(view.cursor_col, 11);
    EXPECT_EQ(view.top_row, 39);
    EXPECT_GE(view.cursor_row, view.top_row);
    EXPECT_LT(view.cursor_row, view.top_row + view.visible_rows);
  }
  {
    // Above the shown rows, near the top of the program: the top stays at 0.
    ViewState view = view_at(50, 10);
    EXPECT_TRUE(jump_to_compile_error(grid, view, error_word(6, 0, 1)));
    EXPECT_EQ(view.cursor_row, 1);
    EXPECT_EQ(view.top_row, 0);
  }
  {
    // Within the last window of rows: the end of the program shows.
    ViewState view = view_at(0, 10);
    EXPECT_TRUE(jump_to_compile_error(grid, view, error_word(6, 0, 98)));
    EXPECT_EQ(view.cursor_row, 99);
    const int last = count_program_rows(grid) - 1;
    EXPECT_EQ(view.top_row, last - 10 - 1);
    EXPECT_LT(view.cursor_row, view.top_row + view.visible_rows + 2);
  }
}

}  // namespace
