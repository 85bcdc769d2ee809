#include "design/design_paint.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "core/device_tables.h"
#include "design/element_pictures.h"
#include "support/ladder_text.h"

namespace {

// A view of 1300 x 1060 pixels: cell width 100 (left rail at 100, right rail at 1295),
// rows 90 pixels high with the pictures in the top 90, the first row's top at 45.
struct Scene {
  LadderGrid grid;
  ViewState view{};
  PaintInputs inputs{};

  explicit Scene(LadderGrid g, int top_row = 0) : grid(std::move(g)) {
    init_view_state(view, rgb(0, 0, 130));
    view.top_row = top_row;
    size_ladder_view(view, 1300, 1060, grid);
    view.top_row = std::min(top_row, view.scroll_max);
    inputs.grid = grid;
    inputs.view = &view;
    inputs.update = {0, 0, 1300, 1060};
    inputs.client_width = 1300;
    inputs.client_height = 1060;
    inputs.colours = {rgb(0, 0, 130), rgb(255, 255, 255), rgb(51, 255, 0)};
  }
  DisplayList paint() {
    inputs.grid = grid;
    return build_design_display_list(inputs);
  }
};

std::vector<PaintItem> of_kind(const DisplayList& list, PaintKind kind, int row = -2, int column = -2) {
  std::vector<PaintItem> out;
  for (const auto& item : list.items)
    if (item.kind == kind && (row == -2 || item.row == row) && (column == -2 || item.column == column))
      out.push_back(item);
  return out;
}

std::vector<std::string> texts_of(const DisplayList& list, int row, PaintFont font = PaintFont::ELEMENT) {
  std::vector<std::string> out;
  for (const auto& item : of_kind(list, PaintKind::TEXT, row))
    if (item.font == font) out.push_back(item.text);
  return out;
}

TEST(DesignPaint, RailsRunTheClientHeightAndDoubleLinesWidenThem) {
  Scene scene(ladder_from_text({"X0 ~ (Y0)"}));
  for (bool double_lines : {false, true}) {
    scene.inputs.double_lines = double_lines;
    const auto lines = of_kind(scene.paint(), PaintKind::LINE);
    ASSERT_GE(lines.size(), 3u);
    EXPECT_EQ(lines[0].rect, (PixelRect{1295, 0, 1295, 1060}));
    EXPECT_EQ(lines[1].rect, (PixelRect{100, 0, 100, 1060}));
    // The ticks share the rails' pen.
    for (const auto& l : lines) EXPECT_EQ(l.width, double_lines ? 2 : 1);
  }
}

TEST(DesignPaint, PicturesByPartCodeWithTheirBoldTwins) {
  struct Case {
    const char* row;
    int column;
    int picture;
    PixelRect rect;
  };
  // Row 0 lies from y 45; its picture band is 90 high.
  const Case cases[] = {
      {"X0 ~ (Y0)", 0, PIC_CONTACT_A, {100, 45, 200, 135}},
      {"/X0 ~ (Y0)", 0, PIC_CONTACT_B, {100, 45, 200, 135}},
      {"X0#3 ~ (Y0)", 0, PIC_LIMIT_A, {100, 45, 200, 135}},
      {"X0#4 ~ (Y0)", 0, PIC_LIMIT_B, {100, 45, 200, 135}},
      {"X0#5 ~ (Y0)", 0, PIC_PUSH_A, {100, 45, 200, 135}},
      {"X0#6 ~ (Y0)", 0, PIC_PUSH_B, {100, 45, 200, 135}},
      {"X0 ~ (Y0)", 1, PIC_WIRE_H, {200, 45, 300, 135}},
      {"X0 ~ (Y0)", 11, PIC_COIL, {1200, 45, 1295, 135}},
      {"X0 ~ (T0 K10)", 10, PIC_COIL_LEFT, {1100, 45, 1200, 135}},
      {"X0 ~ (T0 K10)", 11, PIC_COIL_RIGHT, {1200, 45, 1295, 135}},
      {"X0 ~ (>7)", 11, PIC_WIRE_TO_CHEVRON, {1200, 45, 1300, 135}},
      {">7 ~ (Y0)", 0, PIC_CHEVRON_TO_WIRE, {100, 45, 200, 135}},
      {"{= D0 K5} ~ (Y0)", 0, PIC_BOX_LEFT, {100, 45, 200, 135}},
      {"X0 ~ [MOV D0 D1]", 9, PIC_BOX_LEFT, {1000, 45, 1100, 135}},
      {"X0 ~ [MOV D0 D1]", 11, PIC_BOX_RIGHT, {1200, 45, 1295, 135}},
  };
  for (const Case& c : cases) {
    for (int set : {0, 1}) {
      Scene scene(ladder_from_text({c.row}));
      scene.inputs.picture_set = set;
      const auto pictures = of_kind(scene.paint(), PaintKind::PICTURE, 0, c.column);
      const int expected = set == 1 ? bold_twin(c.picture) : c.picture;
      const bool found = std::any_of(pictures.begin(), pictures.end(), [&](const PaintItem& p) {
        return p.picture == expected && p.rect == c.rect;
      });
      EXPECT_TRUE(found) << c.row << " column " << c.column << " set " << set;
    }
  }
}

TEST(DesignPaint, BoxesWithoutOperandLinesFillTheRowWithOneBracketPair) {
  Scene scene(ladder_from_text({"X0 ~ (Y0)"}));
  const DisplayList list = scene.paint();
  // The END row (row 1): one box from its first cell to the right rail, the name centred.
  const auto pictures = of_kind(list, PaintKind::PICTURE, 1);
  ASSERT_FALSE(pictures.empty());
  bool box = false;
  for (const auto& p : pictures) box = box || (p.picture == PIC_BOX && p.rect.right == 1295);
  EXPECT_TRUE(box);
  const auto names = texts_of(list, 1);
  EXPECT_NE(std::find(names.begin(), names.end(), "END"), names.end());
}

TEST(DesignPaint, OperandTextsFollowTheirDevicesFormats) {
  struct Case {
    const char* row;
    std::vector<std::string> texts;  // the element texts of the row, steps excluded
  };
  const Case cases[] = {
      {"X1A /Y2 M15 ~ (Y0)", {"X1A", "Y02", "M15", "Y00"}},
      {"T3 C4 ~ (M5)", {"T3", "C4", "M5"}},
      {"J102 ~ (Y0)", {"J102", "Y00"}},
      {"X0 ~ (T0 K10)", {"X00", "T0", "K10"}},
      {"X0 ~ (C1 D5)", {"X00", "C1", "D5"}},
      {"{= D0 K5} ~ (Y0)", {"=", "D0", "K5", "Y00"}},
      {"X0 ~ [MOV D0 D1]", {"X00", "MOV", "D0", "D1"}},
      {"X0 ~ [MOV H1F D1]", {"X00", "MOV", "H001F", "D1"}},
      {"X0 ~ [MOV K4M0 D1]", {"X00", "MOV", "K4M0", "D1"}},
      {"X0 ~ [DMOV D0 D2]", {"X00", "DMOV", "D0", "D2"}},
      {"X0 ~ [MOV S5 S6]", {"X00", "MOV", "S005", "S06"}},
      {"X0 ~ [MOV V10 R1F]", {"X00", "MOV", "VA", "R1F"}},
      {"X0 ~ [MOV K2X10 K4Y0]", {"X00", "MOV", "K2X10", "K4Y0"}},
  };
  for (const Case& c : cases) {
    Scene scene(ladder_from_text({c.row}));
    std::vector<std::string> texts = texts_of(scene.paint(), 0);
    ASSERT_FALSE(texts.empty()) << c.row;
    texts.pop_back();  // the step number
    EXPECT_EQ(texts, c.texts) << c.row;
  }
}

TEST(DesignPaint, TicksMarkTheFreeColumnsOfEachShownRow) {
  // Row 0: a contact in column 0 and a line across; the row below the END row is empty.
  Scene scene(ladder_from_text({"X0 X1 - - - - - - - - - (Y0)"}));
  const DisplayList list = scene.paint();
  std::vector<PixelRect> ticks;
  for (const auto& l : of_kind(list, PaintKind::LINE))
    if (l.rect.top == l.rect.bottom) ticks.push_back(l.rect);
  // Rows 0 (contacts and lines everywhere) and 1 (END: a line across) have no free
  // column; row 2, the end mark, and the empty rows below carry ticks at the rail and at
  // columns 1-11.
  const int y2 = 90 / 2 + 45 + 2 * 90;
  EXPECT_NE(std::find(ticks.begin(), ticks.end(), PixelRect{100, y2, 107, y2}), ticks.end());
  for (const auto& t : ticks) EXPECT_GE(t.top, y2);
}

TEST(DesignPaint, OperandsWithTheSuffixFlagShowIt) {
  Scene scene(ladder_from_text({"X0 ~ [MOV D0 D1]", "X1 ~ (M5)"}));
  scene.grid[0].cell[12].word[1] |= OperandBits::SUFFIX_T;
  scene.grid[1].cell[11].word[1] |= OperandBits::SUFFIX_T;
  const DisplayList list = scene.paint();
  std::vector<std::string> box = texts_of(list, 0);
  std::vector<std::string> coil = texts_of(list, 1);
  EXPECT_EQ(box[3], "D1t");
  EXPECT_EQ(coil[1], "M5t");
}

TEST(DesignPaint, StepNumbersCountProgramRowsOnly) {
  Scene scene(ladder_from_text({"X0 ~ (Y0)", "; a comment", "X1 ~ (Y1)"}));
  const DisplayList list = scene.paint();
  struct Expected {
    int row;
    const char* step;
    uint32_t field;
  };
  for (const Expected& e : {Expected{0, "1", STEP_FIELD}, Expected{1, "1", COMMENT_STEP_FIELD},
                            Expected{2, "2", STEP_FIELD}, Expected{3, "3", STEP_FIELD}}) {
    const auto texts = of_kind(list, PaintKind::TEXT, e.row, LABEL_COLUMN);
    ASSERT_FALSE(texts.empty()) << e.row;
    EXPECT_EQ(texts.back().text, e.step) << e.row;
    EXPECT_EQ(texts.back().background, e.field) << e.row;
    EXPECT_EQ(texts.back().colour, BLACK) << e.row;
    EXPECT_EQ(texts.back().format, TextFormat::RIGHT | TextFormat::VCENTER | TextFormat::SINGLELINE);
  }
  // The comment row's text, in its colour across the row; nothing after the END row.
  const auto comment = of_kind(list, PaintKind::TEXT, 1, -1);
  ASSERT_EQ(comment.size(), 1u);
  EXPECT_EQ(comment[0].text, "a comment");
  EXPECT_EQ(comment[0].colour, COMMENT_ROW_TEXT);
  EXPECT_EQ(comment[0].font, PaintFont::COMMENT_ROW);
  EXPECT_EQ(comment[0].rect.left, 150);
  for (const auto& item : list.items) EXPECT_LE(item.row, 3);
  EXPECT_EQ(list.program_rows, 4);
}

TEST(DesignPaint, StepNumbersAbove999StartNearTheLeftEdge) {
  std::vector<std::string> rows(1005, "X0 ~ (Y0)");
  Scene scene(ladder_from_text(rows, {.grid_rows = MAX_GRID_ROWS}), 995);
  const DisplayList list = scene.paint();
  bool seen_999 = false;
  bool seen_1000 = false;
  for (const auto& item : of_kind(list, PaintKind::TEXT, -2, LABEL_COLUMN)) {
    if (item.text == "999") {
      seen_999 = true;
      EXPECT_EQ(item.rect.left, 100 / 5 + 10);
    }
    if (item.text == "1000") {
      seen_1000 = true;
      EXPECT_EQ(item.rect.left, 10);
    }
  }
  EXPECT_TRUE(seen_999);
  EXPECT_TRUE(seen_1000);
}

TEST(DesignPaint, DeviceCommentsShowOnlyTheirFirstWordAboveAPart) {
  Scene scene(ladder_from_text({"X0 X1 ~ (Y0)", "X2 - ~ (Y1)"}));
  for (int c : {0, 1}) {
    scene.grid[0].cell[c].word[0] |= CellFlags::HAS_COMMENT;
    std::strcpy(scene.grid[0].text[c], "START button");
  }
  const DisplayList list = scene.paint();
  const auto above_contact = of_kind(list, PaintKind::TEXT, 0, 0);
  const auto above_line = of_kind(list, PaintKind::TEXT, 0, 1);
  auto comment_text = [](const std::vector<PaintItem>& items) {
    for (const auto& i : items)
      if (i.font == PaintFont::CELL_COMMENT) return i.text;
    return std::string("(none)");
  };
  EXPECT_EQ(comment_text(above_contact), "START");
  EXPECT_EQ(comment_text(above_line), "START button");
  scene.view.comment_display = 3;
  EXPECT_EQ(comment_text(of_kind(scene.paint(), PaintKind::TEXT, 0, 0)), "START button");
}

// A comment without blanks above a part is kept on one line: a second line would stand on
// the device name of the part below. Where nothing stands below it may take two lines.
TEST(DesignPaint, ACommentAboveAPartStaysOnItsOwnLine) {
  Scene scene(ladder_from_text({"X0 - - - - - - - - - - (Y1)", "X1 . - - - - - - - - - (Y2)"}));
  for (int c : {0, 1, 11}) {
    scene.grid[0].cell[c].word[0] |= CellFlags::HAS_COMMENT;
    std::strcpy(scene.grid[0].text[c], "押しボタン");
  }
  const DisplayList list = scene.paint();
  auto comment_format = [&](int column) {
    for (const auto& i : of_kind(list, PaintKind::TEXT, 0, column))
      if (i.font == PaintFont::CELL_COMMENT) return i.format;
    return 0xFFFFFFFFu;
  };
  EXPECT_EQ(comment_format(0) & (TextFormat::WORDBREAK | TextFormat::SINGLELINE), TextFormat::SINGLELINE);
  EXPECT_EQ(comment_format(11) & (TextFormat::WORDBREAK | TextFormat::SINGLELINE), TextFormat::SINGLELINE);
  EXPECT_EQ(comment_format(1) & (TextFormat::WORDBREAK | TextFormat::SINGLELINE), TextFormat::WORDBREAK);
}

// A device comment reaches into the row below it; a repaint of that row alone draws it
// again, or the part of it inside the repainted area would stay erased.
TEST(DesignPaint, ARepaintOfARowRedrawsTheCommentOfTheRowAbove) {
  Scene scene(ladder_from_text({"X0 - - - - - - - - - - (Y1)", "X1 - - - - - - - - - - (Y2)"}));
  scene.grid[0].cell[1].word[0] |= CellFlags::HAS_COMMENT;
  std::strcpy(scene.grid[0].text[1], "ONE TWO");
  const int row1_top = scene.view.top_margin + scene.view.row_height;
  scene.inputs.update = {0, row1_top, 1300, row1_top + scene.view.row_height};
  const DisplayList list = scene.paint();
  bool drawn = false;
  for (const auto& i : of_kind(list, PaintKind::TEXT, 0, 1))
    drawn = drawn || (i.font == PaintFont::CELL_COMMENT && i.text == "ONE TWO");
  EXPECT_TRUE(drawn);
}

TEST(DesignPaint, FramesOfTheSelectionSearchHitsAndMarker) {
  Scene scene(ladder_from_text({"X0 X1 ~ (Y0)", "X2 ~ (Y1)"}));
  scene.view.sel_col = 1;
  scene.view.sel_row = 0;
  scene.view.sel_width = 0;
  scene.view.hit_cols[0] = 0;
  scene.view.hit_rows[0] = 1;
  scene.view.hit_rows[1] = HIT_LIST_END;
  scene.view.marker_on = 1;
  scene.view.marker_col = 2;
  scene.view.marker_row = 1;
  scene.inputs.search_highlight = true;
  const DisplayList list = scene.paint();
  const auto frames = of_kind(list, PaintKind::FRAME);
  ASSERT_EQ(frames.size(), 3u);
  // Selection on row 0, column 1: from the cell's left edge, just above the picture band.
  EXPECT_EQ(frames[0].rect, (PixelRect{200, 45 - 11 + 2, 300, 135 - 9}));
  EXPECT_EQ(frames[0].colour, FRAME_BLUE);
  EXPECT_EQ(frames[0].width, 100 / 28 + 1);
  EXPECT_EQ(frames[1].row, 1);
  EXPECT_EQ(frames[1].column, 0);
  EXPECT_EQ(frames[2].rect, (PixelRect{293, 135 + 45 - 11, 309, 135 + 45 - 11 + 16}));
  EXPECT_EQ(frames[2].width, 2);

  // In comment mode the selection is green.
  scene.inputs.comment_mode = true;
  scene.inputs.search_highlight = false;
  scene.view.marker_on = 0;
  const auto green = of_kind(scene.paint(), PaintKind::FRAME);
  ASSERT_EQ(green.size(), 1u);
  EXPECT_EQ(green[0].colour, FRAME_GREEN);
}

TEST(DesignPaint, RangeFramesSpanTheSelectedRows) {
  Scene scene(ladder_from_text({"X0 ~ (Y0)", "X1 ~ (Y1)", "X2 ~ (Y2)"}));
  scene.grid[0].selected = scene.grid[1].selected = 1;
  scene.view.sel_col = SELECTION_WHOLE_ROWS;
  scene.view.sel_row = 0;
  scene.view.range_active = 1;
  const auto frames = of_kind(scene.paint(), PaintKind::FRAME);
  ASSERT_EQ(frames.size(), 1u);
  EXPECT_EQ(frames[0].rect, (PixelRect{100, 45 - 8, 1295, 45 + 2 * 90 - 8}));
}

TEST(DesignPaint, NothingIsReadPastTheGrid) {
  // A grid of a few rows scrolled to its end, with an update area reaching far below it.
  LadderGrid grid = ladder_from_text({"X0 ~ (Y0)"}, {.add_end_mark = false});
  Scene scene(std::move(grid));
  scene.view.top_row = 3;
  scene.inputs.update = {0, 0, 1300, 20000};
  const DisplayList list = scene.paint();
  for (const auto& item : list.items) EXPECT_LT(item.row, static_cast<int>(scene.grid.size()));
}

TEST(FoldTextRow, BreaksLongLinesAtSlashesAndEndsAtTheThirdBreak) {
  const std::string a(60, 'a');
  const std::string b(75, 'b');
  struct Case {
    std::string text;
    std::string expected;
  };
  const Case cases[] = {
      {"short/text/here", "short/text/here"},
      {a + "/" + a + "/tail", a + "/" + a + "\ntail"},
      {b + "/x", b + "\nx"},
      {b + "/" + b + "/" + b + "/end", b + "\n" + b + "\n" + b.substr(0, 74)},
  };
  for (const Case& c : cases) EXPECT_EQ(fold_text_row(c.text), c.expected) << c.text;
  // The character dropped before the cut is never half of a double-byte character.
  const std::string kanji = "漢";
  std::string long_kanji;
  while (long_kanji.size() < 72) long_kanji += kanji;
  const std::string folded = fold_text_row(long_kanji + "/" + long_kanji + "/" + long_kanji + "/z");
  EXPECT_EQ(folded.substr(folded.rfind('\n') + 1), long_kanji.substr(0, long_kanji.size() - 2));
}

TEST(CellFontSize, FollowsTheFaceAndStaysWithinItsBounds) {
  struct Case {
    const char* face;
    int width;
    int band;
    FontSize expected;
  };
  for (const Case& c : {Case{"Courier New", 1000, 60, {124, 174}}, Case{"Courier New", 100, 10, {80, 80}},
                        Case{"Courier New", 900, 30, {112, 100}}, Case{"Arial", 800, 30, {90, 90}},
                        Case{"ＭＳゴシック", 700, 50, {113, 121}}}) {
    const FontSize s = cell_font_size(c.face, c.width, c.band, 80, 10);
    EXPECT_EQ(s.x, c.expected.x) << c.face << " " << c.width;
    EXPECT_EQ(s.y, c.expected.y) << c.face << " " << c.band;
  }
}

}  // namespace
