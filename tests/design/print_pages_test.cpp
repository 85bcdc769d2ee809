// The printout's rows and pages: the rows a design can print, the page range of the print
// dialog read as rows, the split into pages and the page geometry.
#include "design/print_pages.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "design/element_pictures.h"
#include "support/ladder_text.h"

namespace {

TEST(PrintableRows, EveryRowThroughTheEndRow) {
  // Three rungs, a comment row and the END row; the end mark and nothing after it.
  const LadderGrid grid = ladder_from_text({"X0 ~ (Y0)", "; start", "X1 ~ (Y1)", "/X2 ~ (M0)"});
  EXPECT_EQ(printable_row_count(grid), 5);
}

TEST(PrintableRows, AGridWithoutEndRowStopsAtItsEndMarkOrItsSize) {
  LadderTextOptions no_end;
  no_end.add_end_row = false;
  EXPECT_EQ(printable_row_count(ladder_from_text({"X0 ~ (Y0)", "X1 ~ (Y1)"}, no_end)), 2);

  no_end.add_end_mark = false;
  const LadderGrid unended = ladder_from_text({"X0 ~ (Y0)", "X1 ~ (Y1)", "X2 ~ (Y2)"}, no_end);
  EXPECT_EQ(printable_row_count(unended), 3);
  EXPECT_EQ(printable_row_count(ConstGridSpan(unended).first(2)), 2);
  EXPECT_EQ(printable_row_count(ConstGridSpan()), 0);
}

struct RangeRow {
  const char* name;
  int printable;
  bool chosen;
  int from;
  int to;
  int first;
  int end;
};

class RowsToPrint : public ::testing::TestWithParam<RangeRow> {};

TEST_P(RowsToPrint, PageNumbersOfTheDialogCountRows) {
  const RangeRow& c = GetParam();
  const PrintRowRange rows = rows_to_print(c.printable, c.chosen, c.from, c.to);
  EXPECT_EQ(rows.first, c.first);
  EXPECT_EQ(rows.end, c.end);
}

INSTANTIATE_TEST_SUITE_P(
    Ranges, RowsToPrint,
    ::testing::Values(RangeRow{"all", 40, false, 7, 9, 0, 40},
                      RangeRow{"some", 40, true, 11, 20, 10, 20},
                      RangeRow{"one", 40, true, 5, 5, 4, 5},
                      RangeRow{"last", 40, true, 40, 40, 39, 40},
                      RangeRow{"past_end", 40, true, 30, 99, 29, 40},
                      RangeRow{"wholly_past", 40, true, 50, 60, 39, 40},
                      RangeRow{"zero", 40, true, 0, 3, 0, 3},
                      RangeRow{"backwards", 40, true, 20, 11, 10, 20},
                      RangeRow{"nothing_printable", 0, true, 1, 5, 0, 0},
                      RangeRow{"nothing_at_all", 0, false, 0, 0, 0, 0}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(Paginate, PagesOfAtMostTheRowsThatFitInOrder) {
  struct Row {
    PrintRowRange rows;
    int per_page;
    std::vector<std::pair<int, int>> pages;
  };
  const Row rows[] = {
      {{0, 40}, 20, {{0, 20}, {20, 40}}},
      {{0, 41}, 20, {{0, 20}, {20, 40}, {40, 41}}},
      {{10, 20}, 20, {{10, 20}}},
      {{5, 8}, 1, {{5, 6}, {6, 7}, {7, 8}}},
      {{0, 3}, 0, {{0, 1}, {1, 2}, {2, 3}}},  // a page always takes at least one row
      {{4, 4}, 20, {}},
  };
  for (const Row& r : rows) {
    std::vector<std::pair<int, int>> got;
    for (const PrintRowRange& page : paginate_rows(r.rows, r.per_page)) got.emplace_back(page.first, page.end);
    EXPECT_EQ(got, r.pages) << r.rows.first << ".." << r.rows.end << " by " << r.per_page;
  }
}

TEST(PageLayout, RowsBetweenRailsFitThePageBelowItsHeader) {
  struct Size {
    int width;
    int height;
  };
  // A4 portrait and landscape at 600 dpi, a small page, a very wide strip, a tiny one.
  for (const Size s : {Size{4760, 6779}, Size{6779, 4760}, Size{640, 900}, Size{8000, 500}, Size{13, 10}}) {
    const PrintPageLayout l = print_page_layout(s.width, s.height);
    SCOPED_TRACE(std::to_string(s.width) + "x" + std::to_string(s.height));
    EXPECT_GE(l.rows_per_page, 1);
    EXPECT_EQ(l.left_rail_x, l.cell_width);
    // Column 11 (the outputs) starts left of the right rail; its elements end on the rail.
    EXPECT_LT(l.left_rail_x + 11 * l.cell_width, l.right_rail_x);
    EXPECT_LE(l.right_rail_x, s.width);
    EXPECT_GE(l.top_margin, l.header_height);
    if (s.width >= 640) {
      EXPECT_LE(l.top_margin + l.rows_per_page * l.row_height, s.height);
    }
  }
  // On paper of ordinary proportions a row has the screen's proportions.
  const PrintPageLayout a4 = print_page_layout(4760, 6779);
  EXPECT_EQ(a4.row_height, a4.cell_width * 5 / 8);
  EXPECT_GT(a4.rows_per_page, 20);
  // A strip too wide for its height still takes the fewest rows a page is worth.
  EXPECT_EQ(print_page_layout(8000, 500).rows_per_page, MIN_ROWS_PER_PAGE);
}

// The design painter's list for one page of a 40-rung design: a row range selected on
// the screen, a comment row at 20, rungs "X<n> ~ (M<n>)".
class PrintedPageList : public ::testing::Test {
 protected:
  void SetUp() override {
    std::vector<std::string> rows;
    for (int n = 0; n < 40; ++n) rows.push_back(n == 20 ? "; middle" : "X" + std::to_string(n) + " ~ (M" + std::to_string(n) + ")");
    grid = ladder_from_text(rows);
    for (int r = 25; r < 35; ++r) grid[r].selected = 1;
  }

  DisplayList page_list(PrintRowRange page, int picture_set = 0) {
    view = print_page_view(layout, page);
    DisplayList list = build_design_display_list(print_page_paint_inputs(grid, view, layout, page, picture_set));
    keep_page_items(list, page);
    return list;
  }

  static std::vector<std::string> texts(const DisplayList& list) {
    std::vector<std::string> out;
    for (const PaintItem& item : list.items)
      if (item.kind == PaintKind::TEXT) out.push_back(item.text);
    return out;
  }
  static bool holds(const std::vector<std::string>& texts, const std::string& text) {
    return std::find(texts.begin(), texts.end(), text) != texts.end();
  }

  LadderGrid grid;
  ViewState view{};
  const PrintPageLayout layout = print_page_layout_for_device(2480, 3508);
};

TEST_F(PrintedPageList, HoldsItsRowsBelowTheHeaderAndNoFrames) {
  const std::vector<PrintRowRange> pages = paginate_rows(rows_to_print(printable_row_count(grid), false, 0, 0),
                                                          layout.rows_per_page);
  ASSERT_EQ(pages.size(), 2u);
  for (const PrintRowRange& page : pages) {
    SCOPED_TRACE(page.first);
    const DisplayList list = page_list(page);
    int rails = 0;
    for (const PaintItem& item : list.items) {
      EXPECT_NE(item.kind, PaintKind::FRAME);
      if (item.row == -1) {
        if (item.kind == PaintKind::LINE && item.rect.left == item.rect.right && item.rect.top == 0) ++rails;
        continue;
      }
      EXPECT_GE(item.row, page.first);
      EXPECT_LT(item.row, page.end);
      // Everything of a row lies inside the page, below the header (device names reach a
      // little above their row).
      EXPECT_GE(item.rect.top, layout.header_height - layout.part_height / 10);
      EXPECT_LE(item.rect.bottom, layout.page_height);
      // A text's box may reach past the paper; the text itself starts on it.
      if (item.kind == PaintKind::TEXT)
        EXPECT_LT(item.rect.left, layout.page_width);
      else
        EXPECT_LE(item.rect.right, layout.page_width);
    }
    EXPECT_EQ(rails, 2);
  }
}

TEST_F(PrintedPageList, StepNumbersAndDevicesOfThePageRowsOnly) {
  const PrintRowRange second{28, 41};  // rows 29 to 41, the END row last
  const std::vector<std::string> t = texts(page_list(second));
  // Row r after the comment row at 20 is step r; the END row is step 40.
  for (int row = 28; row < 40; ++row) {
    EXPECT_TRUE(holds(t, std::to_string(row))) << row;
    EXPECT_TRUE(holds(t, "M" + std::to_string(row))) << row;
  }
  EXPECT_TRUE(holds(t, "40"));
  EXPECT_FALSE(holds(t, "41"));
  EXPECT_FALSE(holds(t, "M27"));
  EXPECT_FALSE(holds(t, "27"));
}

TEST_F(PrintedPageList, TheSecondPictureSetPrintsTheBoldTwins) {
  const PrintRowRange first{0, 10};
  std::vector<int> plain;
  std::vector<int> bold;
  for (const PaintItem& item : page_list(first, 0).items)
    if (item.kind == PaintKind::PICTURE) plain.push_back(item.picture);
  for (const PaintItem& item : page_list(first, 1).items)
    if (item.kind == PaintKind::PICTURE) bold.push_back(item.picture);
  ASSERT_EQ(plain.size(), bold.size());
  ASSERT_FALSE(plain.empty());
  for (std::size_t i = 0; i < plain.size(); ++i) EXPECT_EQ(bold[i], bold_twin(plain[i])) << i;
}

}  // namespace
