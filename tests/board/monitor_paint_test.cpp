#include "board/monitor_paint.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "core/device_tables.h"
#include "design/element_pictures.h"
#include "support/ladder_text.h"
#include "target/device_images.h"
#include "target/runtime_tables.h"

namespace {

uint32_t dev(DeviceIndex index, uint32_t number) { return make_device_operand(index, number); }
void set_polled(uint32_t operand, bool on) {
  DeviceImageEntry* e = polled_image_entry(operand);
  if (on) e->word[0] |= 1 << (operand & 15);
  else e->word[0] &= ~(1 << (operand & 15));
}

class MonitorPaint : public ::testing::Test {
 protected:
  void SetUp() override {
    reset_device_images();
    view_.zoom_percent = 100;
    view_.cell_width = view_.left_rail_x = 100;
    view_.right_rail_x = 1295;
    view_.row_height = view_.part_height = 54;
    view_.top_margin = 27;
    view_.visible_rows = 10;
    view_.sel_col = NO_SELECTION;
  }
  void TearDown() override { reset_device_images(); }

  DisplayList paint(bool monitor, int picture_set = 0) {
    MonitorPaintInputs in;
    in.grid = grid_;
    in.view = &view_;
    in.update = {0, 0, 1300, 700};
    in.client_width = 1300;
    in.client_height = 700;
    in.monitor_screen = monitor;
    in.picture_set = picture_set;
    return build_monitor_display_list(in);
  }
  // The pictures of one cell as source << 8 | slot, in order.
  static std::vector<int> pictures(const DisplayList& list, int row, int column) {
    std::vector<int> out;
    for (const PaintItem& item : list.items)
      if (item.kind == PaintKind::PICTURE && item.row == row && item.column == column)
        out.push_back(item.picture_source << 8 | item.picture);
    return out;
  }
  static int frames(const DisplayList& list, int row, int column, uint32_t colour = MONITOR_LIVE_FRAME) {
    return static_cast<int>(std::count_if(list.items.begin(), list.items.end(), [&](const PaintItem& item) {
      return item.kind == PaintKind::FRAME && item.row == row && item.column == column && item.colour == colour;
    }));
  }
  static std::vector<std::string> texts(const DisplayList& list, int row, int column) {
    std::vector<std::string> out;
    for (const PaintItem& item : list.items)
      if (item.kind == PaintKind::TEXT && item.row == row && item.column == column) out.push_back(item.text);
    return out;
  }
  static bool has_text(const DisplayList& list, int row, int column, const std::string& text) {
    const auto t = texts(list, row, column);
    return std::find(t.begin(), t.end(), text) != t.end();
  }

  LadderGrid grid_;
  ViewState view_{};
};

constexpr int P = MONITOR_PLAIN_SOURCE << 8;
constexpr int B = MONITOR_BRIGHT_SOURCE << 8;

TEST(MonitorPickers, ChooseAmongFourPicturesByOnAndLit) {
  struct Case {
    uint32_t state;
    PickedPictures a, b;
    int s0, s1;
  };
  const Case cases[] = {
      {0, {3, -1}, {4, -1}, 14, 24},
      {STATE_ON, {2, -1}, {1, -1}, 14, 24},
      {STATE_LIT, {3, 4}, {3, -1}, 13, 23},
      {STATE_ON | STATE_LIT, {1, -1}, {1, 2}, 13, 23},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(draw_contact_symbol_a(c.state, 1, 2, 3, 4), c.a) << c.state;
    EXPECT_EQ(draw_contact_symbol_b(c.state, 1, 2, 3, 4), c.b) << c.state;
    EXPECT_EQ(draw_state_symbol(c.state, 0, 13, 14, 23, 24), c.s1) << c.state;
    EXPECT_EQ(draw_state_symbol(c.state, 1, 13, 14, 23, 24), c.s0) << c.state;
  }
}

TEST_F(MonitorPaint, MonitorScreenContactsFollowThePolledImageWithLiveFrames) {
  grid_ = ladder_from_text({"X1A /X1A ~ (Y3)"}, {.grid_rows = 20});
  set_polled(dev(Device::X, 0x1A), true);
  DisplayList list = paint(true);
  EXPECT_EQ(pictures(list, 0, 0), (std::vector<int>{P | PIC_BOX_CONTACT_A}));
  EXPECT_EQ(frames(list, 0, 0), 1);
  EXPECT_EQ(pictures(list, 0, 1), (std::vector<int>{P | PIC_CONTACT_TICKED}));
  EXPECT_EQ(frames(list, 0, 1), 0);
  // The OUT coil: plain with the bright right part, framed while Y3 is on (Y one entry up).
  EXPECT_EQ(pictures(list, 0, 11), (std::vector<int>{P | PIC_COIL, B | PIC_COIL_RIGHT}));
  EXPECT_EQ(frames(list, 0, 11), 0);
  set_polled(dev(Device::Y, 3), true);
  EXPECT_EQ(device_image_entry(dev(Device::Y, 0x13))->word[0] & 8, 8);  // entry 1 of Y holds the poll
  list = paint(true);
  EXPECT_EQ(pictures(list, 0, 11), (std::vector<int>{P | PIC_COIL, B | PIC_COIL_RIGHT}));
  EXPECT_EQ(frames(list, 0, 11), 1);

  set_polled(dev(Device::X, 0x1A), false);
  list = paint(true);
  EXPECT_EQ(pictures(list, 0, 0), (std::vector<int>{P | PIC_CONTACT_A}));
  EXPECT_EQ(frames(list, 0, 0), 0);
  EXPECT_EQ(pictures(list, 0, 1), (std::vector<int>{P | PIC_BOX_CONTACT_B}));
  EXPECT_EQ(frames(list, 0, 1), 1);
  EXPECT_TRUE(has_text(list, 0, 0, "X1A"));
}

TEST_F(MonitorPaint, OperationCheckScreenFollowsTheStateWordsWithoutFrames) {
  grid_ = ladder_from_text({"X1A /X2 ~ (Y3)"}, {.grid_rows = 20});
  grid_[0].cell[0].word[0] |= CellFlags::LINK_UP;  // the left rail, as the design writer links it
  set_polled(dev(Device::X, 0x1A), true);  // the image is not what this screen shows
  grid_[0].cell[1].word[2] = 1;
  const DisplayList list = paint(false);
  EXPECT_EQ(pictures(list, 0, 0), (std::vector<int>{P | PIC_CONTACT_A, B | PIC_WIRE_V}));
  EXPECT_EQ(pictures(list, 0, 1), (std::vector<int>{P | PIC_CONTACT_TICKED}));
  for (int c = 0; c <= 11; ++c) EXPECT_EQ(frames(list, 0, c), 0);
  // The left rail of the first program row is lit on this screen only.
  const std::vector<int> rail = pictures(list, 0, 0);
  EXPECT_NE(std::find(rail.begin(), rail.end(), B | PIC_WIRE_V), rail.end());
  const std::vector<int> monitor_rail = pictures(paint(true), 0, 0);
  EXPECT_NE(std::find(monitor_rail.begin(), monitor_rail.end(), P | PIC_WIRE_V), monitor_rail.end());
}

TEST_F(MonitorPaint, JContactsTakeTheActiveStepAndNeverAFrame) {
  grid_ = ladder_from_text({"J105 J106 ~ (Y0)"}, {.grid_rows = 20});
  grid_[0].cell[1].word[1] = dev(Device::J, make_j_number(120, 6));  // a group beyond the table
  g_active_steps[1] = 5;
  const DisplayList list = paint(true);
  EXPECT_EQ(pictures(list, 0, 0), (std::vector<int>{P | PIC_BOX_CONTACT_A}));
  EXPECT_EQ(pictures(list, 0, 1), (std::vector<int>{P | PIC_CONTACT_A}));
  EXPECT_EQ(frames(list, 0, 0), 0);
  EXPECT_EQ(frames(list, 0, 1), 0);
}

TEST_F(MonitorPaint, SetBoxIsLitByItsOutputStateAndRstNever) {
  grid_ = ladder_from_text({"X0 ~ [SET Y5]", "X1 ~ [RST Y6]"}, {.grid_rows = 20});
  int set_col = -1;
  for (int c = 0; c <= 11; ++c)
    if (((grid_[0].cell[c].word[0] >> 4) & 0x31FF) == PartCode::BOX_FIRST) set_col = c;
  ASSERT_GE(set_col, 0);
  grid_[0].cell[11].word[2] = 1;
  grid_[1].cell[11].word[2] = 1;
  DisplayList list = paint(false);
  EXPECT_EQ(pictures(list, 0, set_col), (std::vector<int>{B | PIC_BOX_LEFT}));
  EXPECT_EQ(pictures(list, 1, set_col), (std::vector<int>{P | PIC_BOX_LEFT}));
  grid_[0].cell[11].word[2] = 0;
  list = paint(false);
  EXPECT_EQ(pictures(list, 0, set_col), (std::vector<int>{P | PIC_BOX_LEFT}));
}

TEST_F(MonitorPaint, BoldTwinsForEveryPictureButTheBoxAndThickerFrames) {
  grid_ = ladder_from_text({"X1 ~ (Y0)"}, {.grid_rows = 20});
  set_polled(dev(Device::X, 1), true);
  DisplayList thin = paint(true, 0);
  DisplayList bold = paint(true, 1);
  EXPECT_EQ(pictures(bold, 0, 0), (std::vector<int>{P | PIC_BOX_CONTACT_A_BOLD}));
  int thin_width = 0, bold_width = 0;
  for (const PaintItem& i : thin.items)
    if (i.kind == PaintKind::FRAME) thin_width = i.width;
  for (const PaintItem& i : bold.items)
    if (i.kind == PaintKind::FRAME) bold_width = i.width;
  EXPECT_EQ(thin_width, std::max(2, 100 / 28));
  EXPECT_EQ(bold_width, thin_width + 1);
  // The END box keeps the plain box picture.
  const int end_row = 1;
  for (const PaintItem& i : bold.items)
    if (i.kind == PaintKind::PICTURE && i.row == end_row && i.column == 11) EXPECT_EQ(i.picture, PIC_BOX);
}

TEST_F(MonitorPaint, RowNumbersCountProgramRowsAndStopRowsEndThePainting) {
  grid_ = ladder_from_text({"; first comment", "; second comment", "X0 ~ (Y0)", "X1 ~ (Y1)"}, {.grid_rows = 30});
  DisplayList list = paint(true);
  EXPECT_TRUE(has_text(list, 2, LABEL_COLUMN, "1"));
  EXPECT_TRUE(has_text(list, 3, LABEL_COLUMN, "2"));
  // Scrolled so that the comment rows lie above: still counted.
  view_.top_row = 3;
  list = paint(true);
  EXPECT_TRUE(has_text(list, 3, LABEL_COLUMN, "2"));
  EXPECT_TRUE(texts(list, 2, LABEL_COLUMN).empty());
  // Nothing after the end-mark row: no row numbers past it.
  view_.top_row = 0;
  list = paint(true);
  const int end_mark = find_end_mark_row(grid_);
  ASSERT_GT(end_mark, 0);
  for (const PaintItem& i : list.items) EXPECT_LT(i.row, end_mark);
  // A stop row ends the rows below it.
  grid_[3].cell[0].word[0] |= CellFlags::SPECIAL;
  list = paint(true);
  for (const PaintItem& i : list.items)
    if (i.kind == PaintKind::PICTURE) EXPECT_LT(i.row, 3);
}

TEST_F(MonitorPaint, TheUpdateRectangleNeverReachesBeyondTheGrid) {
  grid_ = LadderGrid(12);  // no END row and no end mark: rows of zero cells
  view_.top_row = 8;
  const DisplayList list = paint(true);
  for (const PaintItem& i : list.items) EXPECT_LT(i.row, 12);
}

TEST_F(MonitorPaint, DevicesThePollsCannotNameAreDrawnAsNotPolled) {
  grid_ = ladder_from_text({"X100 /X100 ~ [MOV K5 D16]"}, {.grid_rows = 20});
  // X 0x100: its query would name X00; the poll marks it instead of asking.
  const uint32_t far_x = dev(Device::X, 0x100);
  const uint32_t near_x = dev(Device::X, 0x00);
  mark_bit_not_polled(far_x);
  set_polled(near_x, true);
  set_polled(far_x, false);
  grid_[0].cell[11].word[3] = dev(Device::D, 16) | ValueMark::WORD;
  word_device_record(Device::D, 0)->word[0] = 0x1234;  // D0: what a query "D00?" would bring
  mark_word_not_polled(Device::D, 16);
  const DisplayList list = paint(true);
  EXPECT_EQ(pictures(list, 0, 0), (std::vector<int>{P | PIC_CONTACT_A}));
  EXPECT_EQ(pictures(list, 0, 1), (std::vector<int>{P | PIC_BOX_CONTACT_B}));
  EXPECT_EQ(frames(list, 0, 0), 0);
  EXPECT_EQ(frames(list, 0, 1), 0);  // an off b-contact would be framed: not polled is not off
  EXPECT_TRUE(has_text(list, 0, 0, NOT_POLLED_MARK));
  EXPECT_TRUE(has_text(list, 0, 11, NOT_POLLED_MARK));
  for (int c = 0; c <= 11; ++c) EXPECT_FALSE(has_text(list, 0, c, "1234"));
}

TEST_F(MonitorPaint, TimerCoilsAreFramedOverTheCoilFrontAndOnlyWhileOn) {
  grid_ = ladder_from_text({"X0 ~ (T3 K100)"}, {.grid_rows = 20});
  ASSERT_EQ((grid_[0].cell[11].word[0] >> 4) & 0xFF, 8u);
  EXPECT_EQ(frames(paint(true), 0, 11), 0);
  set_polled(dev(Device::T, 3), true);
  const DisplayList list = paint(true);
  ASSERT_EQ(frames(list, 0, 11), 1);
  for (const PaintItem& i : list.items)
    if (i.kind == PaintKind::FRAME && i.column == 11) {
      // From the coil front one column left: left - w, inset by w / 10.
      EXPECT_EQ(i.rect.left, 11 * 100 + 100 - 100 + 100 / 10);
      EXPECT_EQ(i.rect.right, 12 * 100 + 100 - 100 - 100 / 7 - 100 / 10);
    }
  // The operation-check screen never frames.
  EXPECT_EQ(frames(paint(false), 0, 11), 0);
}

TEST_F(MonitorPaint, TheSelectionIsFramedInItsColour) {
  grid_ = ladder_from_text({"X0 ~ (Y0)"}, {.grid_rows = 20});
  view_.sel_col = 0;
  view_.sel_row = 0;
  EXPECT_EQ(frames(paint(true), 0, 0, MONITOR_SELECTION), 1);
  EXPECT_EQ(frames(paint(false), 0, 0, MONITOR_SELECTION), 1);
}

TEST_F(MonitorPaint, PolledRegisterValueIsShownInHex) {
  grid_ = ladder_from_text({"X0 ~ [MOV K5 D3]"}, {.grid_rows = 20});
  grid_[0].cell[11].word[3] = dev(Device::D, 3) | ValueMark::WORD;
  word_device_record(Device::D, 3)->word[0] = 0xFF;
  const DisplayList list = paint(true);
  EXPECT_TRUE(has_text(list, 0, 11, "FF"));
}

TEST_F(MonitorPaint, TextRowsFoldAtSlashesAndCommentRowsUseTheCompactFontWithTallRows) {
  std::string text(80, 'a');
  text += '/';
  text += std::string(79, 'b');
  text += '/';
  text += "cc";
  grid_ = ladder_from_text({"; note", "X0 ~ (Y0)"}, {.grid_rows = 20});
  DisplayList list = paint(true);
  int found = 0;
  for (const PaintItem& i : list.items)
    if (i.kind == PaintKind::TEXT && i.row == 0 && i.column == -1) {
      ++found;
      EXPECT_EQ(i.font, PaintFont::COMMENT_ROW);
      EXPECT_EQ(i.colour, MONITOR_COMMENT_ROW_TEXT);
      EXPECT_NE(i.text.find("note"), std::string::npos);
    }
  EXPECT_EQ(found, 1);
  view_.comment_display = 1;
  list = paint(true);
  for (const PaintItem& i : list.items)
    if (i.kind == PaintKind::TEXT && i.row == 0 && i.column == -1) EXPECT_EQ(i.font, PaintFont::COMMENT_ROW_COMPACT);
  EXPECT_EQ(fold_text_row(text), std::string(80, 'a') + "\n" + std::string(79, 'b') + "\ncc");
}

}  // namespace
