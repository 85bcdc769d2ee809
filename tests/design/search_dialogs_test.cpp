// The search dialog's list: what choosing a line does in each list content, and where a
// jump to a use puts the cursor and the top row.
#include "design/search_dialogs.h"

#include <gtest/gtest.h>

#include <array>

#include "design/device_search.h"
#include "support/ladder_text.h"

namespace {

class SearchDialogs : public ::testing::Test {
 protected:
  void SetUp() override { reset_search_dialog_state(); }
};

TEST_F(SearchDialogs, ChoosingALineFollowsTheListContent) {
  g_search_list_entries = {"M10", "M20"};
  const std::array<int32_t, 3> hits{0x00500003, 0x1B00000A, HIT_LIST_END};
  struct Case {
    SearchListContent content;
    int line;
    const char* edit;
    ListChoice::Action action;
    const char* text;
    int32_t hit;
  } cases[] = {
      {SearchListContent::USED_FOUR_A_LINE, 0, "", ListChoice::SET_TEXT, "M10", 0},
      {SearchListContent::USED_FOUR_A_LINE, 0, "SET M5", ListChoice::SET_TEXT, "SET M10", 0},
      {SearchListContent::USED_FOUR_A_LINE, 1, "MOV D0", ListChoice::SET_TEXT, "M20", 0},
      {SearchListContent::USED_FOUR_A_LINE, 2, "", ListChoice::NOTHING, "", 0},
      {SearchListContent::USED_FOUR_A_LINE, -1, "", ListChoice::NOTHING, "", 0},
      {SearchListContent::USED_ONE_A_LINE, 1, "", ListChoice::LIST_USES, "M20", 0},
      {SearchListContent::USES, 1, "", ListChoice::JUMP, "", 0x1B00000A},
      {SearchListContent::USES, 2, "", ListChoice::NOTHING, "", 0},  // never at or past the end value
  };
  for (const Case& c : cases) {
    g_search_list_content = c.content;
    const ListChoice choice = choose_list_line(c.line, c.edit, hits);
    EXPECT_EQ(choice.action, c.action) << c.line << " " << c.edit;
    EXPECT_EQ(choice.edit_text, c.text) << c.line << " " << c.edit;
    EXPECT_EQ(choice.hit, c.hit);
  }
}

TEST_F(SearchDialogs, AJumpScrollsTheUseIntoViewTwoRowsBelowTheTop) {
  std::vector<std::string> rows(60, "X0 ~ (Y0)");
  const LadderGrid grid = ladder_from_text(rows);  // END in row 60
  struct Case {
    int top, hit_row, hit_column, kind;
    int want_top, want_sel_col, want_width;
  } cases[] = {
      {0, 5, 3, 0, 0, 3, 0},        // in view: no scroll
      {0, 30, 11, 0, 28, 11, 0},    // below the view: two rows below the top
      {20, 3, 0, 0, 1, 0, 0},
      {0, 55, 2, 9, 49, 1, 1},      // near END: END closes the view; bit 28 widens the span leftwards
  };
  for (const Case& c : cases) {
    ViewState view;
    init_view_state(view, 0);
    view.visible_rows = 10;
    view.top_row = c.top;
    const int32_t hit = static_cast<int32_t>(static_cast<uint32_t>(c.hit_row) | static_cast<uint32_t>(c.hit_column) << 20 |
                                             static_cast<uint32_t>(c.kind) << 28);
    ASSERT_TRUE(jump_to_use(grid, view, hit));
    EXPECT_EQ(view.top_row, c.want_top) << c.hit_row;
    EXPECT_EQ(view.cursor_row, c.hit_row);
    EXPECT_EQ(view.cursor_col, c.hit_column);
    EXPECT_EQ(view.sel_col, c.want_sel_col) << c.hit_row;
    EXPECT_EQ(view.sel_width, c.want_width) << c.hit_row;
  }
  ViewState view;
  init_view_state(view, 0);
  EXPECT_FALSE(jump_to_use(grid, view, HIT_LIST_END));
  EXPECT_FALSE(jump_to_use(grid, view, 0x7000));  // past the grid
}

TEST_F(SearchDialogs, ClassButtonsNameTheirDeviceClass) {
  EXPECT_EQ(device_class_of_button(553), 0);
  EXPECT_EQ(device_class_of_button(559), 13);
  EXPECT_EQ(device_class_of_button(563), 16);
  EXPECT_EQ(device_class_of_button(560), -1);
}

// The dialogs' OK picks its branch by the kind of the document of the window it acts on.
TEST_F(SearchDialogs, TheBranchFollowsTheKindOfTheWindowsDocument) {
  struct Case {
    DocumentKind kind;
    SearchBranch search, replace;
  };
  for (const Case& c : {Case{DocumentKind::DESIGN_GRID, SearchBranch::GRID, SearchBranch::GRID},
                        Case{DocumentKind::MONITOR_GRID, SearchBranch::GRID, SearchBranch::NOTHING},
                        Case{DocumentKind::MNEMONIC_TEXT, SearchBranch::TEXT, SearchBranch::TEXT},
                        Case{DocumentKind::NONE, SearchBranch::NOTHING, SearchBranch::NOTHING}}) {
    EXPECT_EQ(search_branch(c.kind), c.search) << static_cast<int>(c.kind);
    EXPECT_EQ(replace_branch(c.kind), c.replace) << static_cast<int>(c.kind);
  }
}

}  // namespace
