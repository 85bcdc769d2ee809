// Device and row comments in a grid: the comment walk's places, storing a typed comment on
// every cell of a device, the special relays, the device list and row comments.
#include "design/comment_entry.h"

#include <gtest/gtest.h>

#include <cstring>

#include "core/device_comments.h"
#include "tests/support/instruction_records.h"
#include "tests/support/ladder_text.h"

namespace {

using namespace il;

ViewState selected(int row, int column) {
  ViewState view{};
  view.sel_row = view.cursor_row = row;
  view.sel_col = view.cursor_col = column;
  return view;
}

std::string text_of(const LadderGrid& grid, int row, int column) {
  return grid[static_cast<size_t>(row)].text[column];
}
bool has_comment(const LadderGrid& grid, int row, int column) {
  return (grid[static_cast<size_t>(row)].cell[column].word[0] & CellFlags::HAS_COMMENT) != 0;
}

// X1 as a contact, a coil, a comparison operand and a box operand.
LadderGrid x1_everywhere() {
  return ladder_from_text({
      "X1 /X2 ~ (Y0)",
      "X0 ~ (X1)",
      "{= X1 K5} ~ (Y1)",
      "X0 ~ [MOV X1 D1]",
      "; a row comment",
      "X3 ~ (T0 K10)",
  });
}

TEST(CommentWalk, FindsEveryPlaceOfADevice) {
  const LadderGrid grid = x1_everywhere();
  std::vector<std::pair<int, int>> x1;
  std::vector<uint32_t> all;
  walk_comment_places(grid, [&](const CommentPlace& p) {
    if (p.operand == X(1)) x1.emplace_back(p.row, p.column);
    all.push_back(p.operand);
    return true;
  });
  // The contact, the coil, the comparison's first operand (commented one cell on), the
  // box's first operand (commented one cell after the box's first cell).
  ASSERT_EQ(x1.size(), 4u);
  EXPECT_EQ(x1[0], std::make_pair(0, 0));
  EXPECT_EQ(x1[1], std::make_pair(1, 11));
  EXPECT_EQ(x1[2], std::make_pair(2, 1));
  EXPECT_EQ(x1[3].first, 3);
  EXPECT_EQ(get_cell_device_operand(grid, 3, x1[3].second), X(1)) << "the walk and the painter agree";
  // Constants (K5, K10) are not offered; the comment row is skipped; T0 is.
  for (uint32_t op : all) EXPECT_NE(operand_device_index(op), Device::K);
  EXPECT_NE(std::find(all.begin(), all.end(), T(0)), all.end());
}

TEST(StoreDeviceComment, SpreadsToEveryCellOfTheDevice) {
  LadderGrid grid = x1_everywhere();
  const CommentStore s = store_device_comment(grid, selected(0, 0), "START PB THIRD");
  ASSERT_EQ(s.result, 0);
  EXPECT_EQ(s.cells.size(), 4u);
  for (const CellCursor& c : s.cells) {
    EXPECT_EQ(text_of(grid, c.row, c.column), "START\nPB\n");
    EXPECT_TRUE(has_comment(grid, c.row, c.column));
  }
  EXPECT_EQ(text_of(grid, 0, 1), "") << "X2 keeps its own comment";
  // The comment travels with the core's comment table.
  std::vector<DeviceComment> table(64);
  collect_comment_table(table, grid);
  LadderGrid rebuilt = ladder_from_text({"X1 ~ (Y5)"});
  apply_comment_table(rebuilt, table);
  EXPECT_EQ(text_of(rebuilt, 0, 0), "START\nPB\n");
}

TEST(StoreDeviceComment, LabelColumnKeepsThreeWordsOnTheLabelAlone) {
  LadderGrid grid = ladder_from_text({"P5: X0 ~ (Y0)"});
  const CommentStore s = store_device_comment(grid, selected(0, LABEL_COLUMN), "ONE TWO THREE FOUR");
  EXPECT_EQ(s.result, 0);
  EXPECT_EQ(text_of(grid, 0, LABEL_COLUMN), "ONE\nTWO\nTHREE\n");
  EXPECT_TRUE(has_comment(grid, 0, LABEL_COLUMN));
}

TEST(StoreDeviceComment, RefusesCellsWithoutAPartAndClearsCellsWithoutADevice) {
  LadderGrid grid = ladder_from_text({"X0 - ? ~ (Y0)"});
  CommentStore s = store_device_comment(grid, selected(0, 1), "A B");
  EXPECT_EQ(s.result, -1);
  EXPECT_STREQ(s.message, NO_PART_MESSAGE);
  EXPECT_TRUE(s.cells.empty());

  LadderRow& row = grid[0];
  std::strcpy(row.text[2], "OLD\n");
  row.cell[2].word[0] |= CellFlags::HAS_COMMENT;
  s = store_device_comment(grid, selected(0, 2), "A B");
  EXPECT_EQ(s.result, -1);
  EXPECT_EQ(s.message, nullptr);
  EXPECT_EQ(text_of(grid, 0, 2), "");
  EXPECT_FALSE(has_comment(grid, 0, 2));
  ASSERT_EQ(s.cells.size(), 1u);
}

TEST(CommentLines, CutWordsOnCharacterBoundaries) {
  struct {
    const char* typed;
    bool label;
    const char* lines;
  } cases[] = {
      {"START PB", false, "START\nPB\n"},
      {"  START   PB  ", false, "START\nPB\n"},
      {"ABCDEFGHIJK", false, "ABCDEFGHI\n"},  // 11 bytes: cut to 9
      {"ABCDEFGHIJ", false, "ABCDEFGH\n"},    // 10 bytes: cut to 8
      {"ABCDEFGH", false, "ABCDEFGH\n"},
      // Five double-byte characters (10 bytes) keep four; "AB" and four of them (10 bytes)
      // keep "AB" and three; "A" and five (11 bytes) keep all but the last.
      {"あいうえお", false, "あいうえ\n"},
      {"ABあいうえ", false, "ABあいう\n"},
      {"Aあいうえお", false, "Aあいうえ\n"},
      // Full-width blanks split a word into lines, and an empty line follows.
      {"上段　下段", false, "上段\n下段\n\n"},
      {"一　二　三　四", false, "一\n二\n三\n"},
      {"", false, ""},
      {"A B C", true, "A\nB\nC\n"},
  };
  for (const auto& c : cases) EXPECT_EQ(make_comment_lines(c.typed, c.label), c.lines) << c.typed;
}

TEST(AssignCellComment, SpecialRelaysAndTheFirstCommentOfTheDevice) {
  LadderGrid grid = ladder_from_text({"M9036 M9036 M9020 M9071 X5 X5 X6 ~ (Y0)"});
  std::strcpy(grid[0].text[1], "OTHER\n");
  grid[0].cell[1].word[0] |= CellFlags::HAS_COMMENT;
  std::strcpy(grid[0].text[5], "LAMP\n");
  grid[0].cell[5].word[0] |= CellFlags::HAS_COMMENT;
  std::strcpy(grid[0].text[6], "STALE\n");
  grid[0].cell[6].word[0] |= CellFlags::HAS_COMMENT;

  struct {
    int column;
    uint32_t device;
    const char* text;
    bool has;
  } cases[] = {
      {0, M(9036), "常時オン\nリレー", true},
      {2, M(9020), "無意味", true},
      {3, M(9071), "ｿﾌﾄ割込み1\nby-INT2", true},
      {4, X(5), "LAMP\n", true},
      {6, X(7), "", false},
  };
  for (const auto& c : cases) {
    assign_cell_comment(grid, 0, c.column, c.device);
    EXPECT_EQ(text_of(grid, 0, c.column), c.text) << c.column;
    EXPECT_EQ(has_comment(grid, 0, c.column), c.has) << c.column;
  }
  EXPECT_EQ(special_relay_comment(M(9009)), nullptr);
  EXPECT_EQ(special_relay_comment(M(9072)), nullptr);
  EXPECT_EQ(special_relay_comment(X(9036)), nullptr);
}

TEST(CellCommentText, DeviceCommentsAndRowComments) {
  LadderGrid grid = ladder_from_text({"X1 X2 ~ (Y0)", "X0 ~ (Y1)"});
  ASSERT_EQ(store_device_comment(grid, selected(0, 0), "START PB").result, 0);
  EXPECT_EQ(get_cell_comment_text(grid, selected(0, 0)), "START PB ");
  // A cleared comment reads back empty and loses its bit.
  std::memset(grid[0].text[1], 0, CELL_TEXT_SIZE);
  grid[0].cell[1].word[0] |= CellFlags::HAS_COMMENT;
  EXPECT_EQ(get_cell_comment_text(grid, selected(0, 1)), "");
  EXPECT_FALSE(has_comment(grid, 0, 1));

  // A row comment of three lines typed with Enter round-trips.
  ViewState view = selected(1, 3);
  ASSERT_EQ(store_row_comment(grid, view, "first\r\nsecond\r\nthird"), 0);
  EXPECT_STREQ(grid[1].row_text(), "first \nsecond \nthird");
  EXPECT_TRUE(is_comment_row(grid[1]));
  EXPECT_EQ(grid[1].cell[0].word[0], CellWord::COMMENT_ROW_FIRST);
  EXPECT_EQ(grid[1].cell[10].word[0], CellWord::COMMENT_ROW_LINE);
  EXPECT_EQ(grid[1].cell[11].word[0], CellWord::COMMENT_ROW_OUTPUT);
  EXPECT_EQ(row_output_code(grid[1]), 32u);
  EXPECT_EQ(get_cell_comment_text(grid, view), "first\r\nsecond\r\nthird");
  EXPECT_EQ(ladder_to_text(grid)[1], "; first \nsecond \nthird");
}

TEST(RowComment, BoundsAndRefusals) {
  LadderGrid grid = ladder_from_text({"X0 ~ (Y0)"});
  ViewState view = selected(0, 0);
  view.sel_col = NO_SELECTION;
  EXPECT_EQ(store_row_comment(grid, view, "x"), -1);
  view.sel_col = SELECTION_WHOLE_ROWS;
  EXPECT_EQ(store_row_comment(grid, view, "x"), -1);
  view = selected(1, 0);  // the END row
  EXPECT_EQ(store_row_comment(grid, view, "x"), -1);
  EXPECT_TRUE(is_end_row(grid[1]));

  // A text of 1599 bytes whose last character would straddle the end is cut before it.
  std::string text(1598, 'a');
  text += "あ";
  EXPECT_EQ(row_comment_stored_length(text), 1600u);
  EXPECT_EQ(row_comment_stored_length("a\r\nb"), 4u);
  ASSERT_EQ(store_row_comment(grid, selected(0, 0), text), 0);
  EXPECT_EQ(std::strlen(grid[0].row_text()), 1598u);
}

TEST(CommentList, OneSortedEntryPerDevice) {
  LadderGrid grid = ladder_from_text({
      "X1F X3 M9001 M100 /X3 ~ (Y0)",
      "D3 M8999 {= D0 K5} ~ (M100)",
      "X0 ~ (T2 K10)",
      "J105 ~ [MOV K4M0 D7]",
  });
  std::strcpy(grid[0].text[1], "PUMP\nON\n");
  const CommentList list = build_comment_lists(grid);
  std::vector<std::string> labels;
  for (uint32_t key : list.keys) labels.push_back(comment_list_label(key));
  const std::vector<std::string> expected = {"X00", "X03", "X1F", "Y00", "M100", "M8999", "T02", "J105", "D00", "D07"};
  EXPECT_EQ(labels, expected);
  ASSERT_EQ(list.lines.size(), list.keys.size());
  EXPECT_EQ(list.lines[1], "X03    PUMP ON        ");  // padded to 22 bytes
  EXPECT_EQ(list.lines[0], "X00                   ");  // padded to 22 bytes
  const CommentListFields f = comment_list_fields(list.lines[1]);
  EXPECT_EQ(f.device, "X03");
  EXPECT_EQ(f.comment, "PUMP  ON");
  EXPECT_EQ(comment_list_fields("M100    ").comment, "");
}

TEST(CommentList, StopsAtItsCapacityAndCutsLongLines) {
  CommentList list;
  for (uint32_t n = 0; n < 1200; ++n) add_comment_list_entry(list, M(n), "", 0);
  EXPECT_EQ(list.keys.size(), static_cast<size_t>(COMMENT_LIST_CAPACITY));
  EXPECT_TRUE(list.full);
  EXPECT_FALSE(comment_list_refuses(list, M(5)));
  EXPECT_FALSE(comment_list_refuses(list, M(5) | OperandBits::SUFFIX_T));
  EXPECT_TRUE(comment_list_refuses(list, M(1100)));
  EXPECT_FALSE(comment_list_refuses(CommentList{}, M(1100)));

  CommentList one;
  std::string wide;
  for (int i = 0; i < 60; ++i) wide += "あ";
  ASSERT_TRUE(add_comment_list_entry(one, X(1), wide, 0));
  EXPECT_LE(one.lines[0].size(), 99u);
  EXPECT_EQ((one.lines[0].size() - std::strlen("X01    ")) % 2, 0u) << "no half character at the end";
  EXPECT_FALSE(add_comment_list_entry(one, X(1), "again", 0));
  EXPECT_FALSE(add_comment_list_entry(one, Dbit(3), "", 0));
  EXPECT_FALSE(add_comment_list_entry(one, M(9001), "", 0));
  EXPECT_FALSE(add_comment_list_entry(one, J(1, 1, 5), "", 0));
}

}  // namespace

namespace {

using namespace il;

TEST(CommentList, ListLabelsLeadBackToTheFirstCellOfTheDevice) {
  const LadderGrid grid = ladder_from_text({"X0 ~ (Y0)", "{= D4 K5} X1F ~ (M100)", "X0 ~ (T2 K10)"});
  struct {
    const char* label;
    bool found;
    int row, column;
    uint32_t operand;
  } cases[] = {
      {"X1F", true, 1, 3, X(0x1F)},  // after the comparison's three cells
      {"x1f", true, 1, 3, X(0x1F)},
      {"M100  ", true, 1, 11, M(100)},
      {"D04", true, 1, 1, D(4)},     // a comparison operand's comment one cell on
      {"T02", true, 2, 10, T(2)},    // a timer's comment in its coil cell
      {"Y05", false, 0, 0, 0},
      {"", false, 0, 0, 0},
  };
  for (const auto& c : cases) {
    CellCursor cell{-1, -1};
    uint32_t operand = 0;
    EXPECT_EQ(find_comment_cell(grid, c.label, cell, operand), c.found) << c.label;
    if (!c.found) continue;
    EXPECT_EQ(cell.row, c.row) << c.label;
    EXPECT_EQ(cell.column, c.column) << c.label;
    EXPECT_EQ(operand, c.operand) << c.label;
    EXPECT_EQ(get_cell_device_operand(grid, cell.row, cell.column), c.operand) << c.label;
  }
}

}  // namespace
