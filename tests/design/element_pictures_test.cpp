// The element pictures as data: which slots hold pictures, what the rung's wire touches,
// the bold twins, the two-pen pictures and the metafile frame.
#include "design/element_pictures.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <string>

namespace {

// True when the segment passes through the point (integer end points, on the line).
bool covers(const Segment& s, int x, int y) {
  const long cross = static_cast<long>(s.b.x - s.a.x) * (y - s.a.y) - static_cast<long>(s.b.y - s.a.y) * (x - s.a.x);
  return cross == 0 && x >= std::min(s.a.x, s.b.x) && x <= std::max(s.a.x, s.b.x) && y >= std::min(s.a.y, s.b.y) &&
         y <= std::max(s.a.y, s.b.y);
}
bool picture_covers(int slot, int x, int y) {
  for (const Segment& s : picture_segments(slot))
    if (covers(s, x, y)) return true;
  return false;
}

TEST(ElementPictures, SixtyFourPicturesInSeventyTwoSlots) {
  int pictures = 0;
  std::set<std::string> names;
  for (int slot = 0; slot < PICTURE_SLOTS; ++slot) {
    SCOPED_TRACE(slot);
    const bool empty = slot >= 62 && slot <= 69;
    EXPECT_EQ(is_picture_slot(slot), !empty);
    EXPECT_EQ(element_picture_strokes(slot).empty(), empty);
    EXPECT_EQ(std::string(element_picture_name(slot)).empty(), empty);
    if (!empty) {
      ++pictures;
      names.insert(element_picture_name(slot));
    }
  }
  EXPECT_EQ(pictures, PICTURE_COUNT);
  EXPECT_EQ(names.size(), 64u);
  EXPECT_TRUE(element_picture_strokes(-1).empty());
  EXPECT_TRUE(element_picture_strokes(72).empty());
}

TEST(ElementPictures, EveryStrokeStaysInTheFrame) {
  for (int slot = 0; slot < PICTURE_SLOTS; ++slot) {
    for (const Stroke& s : element_picture_strokes(slot)) {
      const int points = s.kind == StrokeKind::POLYLINE ? 6 : s.kind == StrokeKind::SECOND_PEN ? 0 : 2;
      for (int i = 0; i < points; ++i) {
        // A thick stroke adds one unit right and down: it must still fit.
        const int grow = s.kind == StrokeKind::THICK_LINE ? 1 : 0;
        EXPECT_GE(s.p[static_cast<size_t>(i)].x, 0) << element_picture_name(slot);
        EXPECT_LE(s.p[static_cast<size_t>(i)].x + grow, 83) << element_picture_name(slot);
        EXPECT_GE(s.p[static_cast<size_t>(i)].y, 0) << element_picture_name(slot);
        EXPECT_LE(s.p[static_cast<size_t>(i)].y + grow, 55) << element_picture_name(slot);
      }
    }
  }
}

TEST(ElementPictures, TheHorizontalWireIsOneStrokeAcrossTheCell) {
  EXPECT_EQ(picture_segments(PIC_WIRE_H), (std::vector<Segment>{{{0, 27}, {83, 27}}}));
  EXPECT_EQ(picture_segments(PIC_WIRE_V), (std::vector<Segment>{{{0, 0}, {0, 55}}}));
}

TEST(ElementPictures, AThickStrokeIsDrawnThreeFold) {
  EXPECT_EQ(picture_segments(PIC_CORNER_BOLD),
            (std::vector<Segment>{{{0, 0}, {0, 11}}, {{0, 11}, {11, 11}}, {{0, 12}, {11, 12}}, {{1, 11}, {12, 11}}}));
  // The plain twin draws the same stroke once.
  EXPECT_EQ(picture_segments(PIC_CORNER), (std::vector<Segment>{{{0, 0}, {0, 11}}, {{0, 11}, {11, 11}}}));
}

TEST(ElementPictures, TheRungsWireRunsThroughEachElement) {
  struct Case {
    int slot;
    bool left, right;  // the picture meets the wire at x 0 / x 83 (y 27)
  };
  const Case cases[] = {
      {PIC_CONTACT_A, true, true},        {PIC_CONTACT_B, true, true},       {PIC_BOX_CONTACT_A, true, true},
      {PIC_BOX_CONTACT_B, true, true},    {PIC_LIMIT_A, true, true},         {PIC_LIMIT_B, true, true},
      {PIC_PUSH_A, true, true},           {PIC_PUSH_B, true, true},          {PIC_CONTACT_TICKED, true, true},
      {PIC_COIL, true, true},             {PIC_COIL_LEFT, true, false},      {PIC_COIL_RIGHT, false, true},
      {PIC_BOX, true, true},              {PIC_BOX_LEFT, true, false},       {PIC_BOX_RIGHT, false, true},
      {PIC_WIRE_H, true, true},           {PIC_WIRE_TO_CHEVRON, true, false}, {PIC_CHEVRON_TO_WIRE, false, true},
      {PIC_PULSE, true, true},            {PIC_CONTACT_A_LEFT, true, false}, {PIC_TERMINAL_LEFT, true, false},
      {PIC_WIRE_V, true, false},          {PIC_WIRE_V_UPPER, true, false},   {PIC_WIRE_V_LOWER, true, false},
      {PIC_CORNER, false, false},
  };
  for (const Case& c : cases) {
    for (int set = 0; set < 2; ++set) {
      const int slot = picture_in_set(c.slot, set);
      SCOPED_TRACE(element_picture_name(slot));
      EXPECT_EQ(picture_covers(slot, 0, 27), c.left);
      EXPECT_EQ(picture_covers(slot, 83, 27), c.right);
    }
  }
}

TEST(ElementPictures, EveryShapeHasABoldTwin) {
  int twins = 0;
  for (int slot = 0; slot < PICTURE_SLOTS; ++slot) {
    if (!is_picture_slot(slot)) continue;
    const std::string name = element_picture_name(slot);
    const bool bold = name.size() > 5 && name.substr(name.size() - 5) == "_BOLD";
    if (bold) {
      EXPECT_EQ(bold_twin(slot), slot) << name;
      continue;
    }
    ++twins;
    EXPECT_EQ(element_picture_name(bold_twin(slot)), name + "_BOLD");
    EXPECT_EQ(picture_in_set(slot, 0), slot);
    EXPECT_EQ(picture_in_set(slot, 1), bold_twin(slot));
  }
  EXPECT_EQ(twins, 32);
}

TEST(ElementPictures, TwinsGivenAsCopiesLookTheSame) {
  const int copies[][2] = {{PIC_LIMIT_A, PIC_LIMIT_A_BOLD},       {PIC_LIMIT_B_ACTUATED, PIC_LIMIT_B_ACTUATED_BOLD},
                           {PIC_WIRE_TO_CHEVRON, PIC_WIRE_TO_CHEVRON_BOLD}, {PIC_CHEVRON_TO_WIRE, PIC_CHEVRON_TO_WIRE_BOLD},
                           {PIC_WIRE_H, PIC_WIRE_H_BOLD},         {PIC_WIRE_V, PIC_WIRE_V_BOLD},
                           {PIC_WIRE_V_UPPER, PIC_WIRE_V_UPPER_BOLD}, {PIC_WIRE_V_LOWER, PIC_WIRE_V_LOWER_BOLD},
                           {PIC_TERMINAL_LEFT, PIC_TERMINAL_LEFT_BOLD}};
  for (const auto& c : copies) {
    const auto a = element_picture_strokes(c[0]);
    const auto b = element_picture_strokes(c[1]);
    EXPECT_TRUE(std::equal(a.begin(), a.end(), b.begin(), b.end())) << element_picture_name(c[1]);
  }
  // The other bold twins differ from their plain shapes.
  const auto a = element_picture_strokes(PIC_PULSE);
  const auto b = element_picture_strokes(PIC_PULSE_BOLD);
  EXPECT_FALSE(std::equal(a.begin(), a.end(), b.begin(), b.end()));
  EXPECT_EQ(picture_segments(PIC_PULSE_BOLD).size(), picture_segments(PIC_PULSE).size() + 6);
}

TEST(ElementPictures, TheTwoPenPictures) {
  const std::set<int> two_pen{PIC_BOX_CONTACT_B,        PIC_LIMIT_A_ACTUATED,      PIC_LIMIT_B,
                              PIC_PUSH_A_ACTUATED,      PIC_PUSH_B,                PIC_BOX_CONTACT_A,
                              PIC_BOX_CONTACT_B_BOLD,   PIC_LIMIT_B_BOLD,          PIC_PUSH_B_BOLD,
                              PIC_PUSH_A_ACTUATED_BOLD, PIC_LIMIT_A_ACTUATED_BOLD, PIC_BOX_CONTACT_A_BOLD};
  for (int slot = 0; slot < PICTURE_SLOTS; ++slot) EXPECT_EQ(uses_second_pen(slot), two_pen.count(slot) == 1) << slot;
}

TEST(ElementPictures, TheMetafileFrameIsOneScreenPixelPerUnit) {
  struct Case {
    int horz_mm, vert_mm, horz_px, vert_px;
    PixelRect frame;
  };
  const Case cases[] = {
      {320, 240, 1280, 1024, {0, 0, 83 * 25, 55 * 23}},  // 25.0 and 23.4 hundredths of a mm per pixel
      {508, 285, 1920, 1080, {0, 0, 83 * 26, 55 * 26}},
      {0, 0, 0, 0, {0, 0, 0, 0}},                        // no device: an empty frame, no division
  };
  for (const Case& c : cases) EXPECT_EQ(picture_frame_rect(c.horz_mm, c.vert_mm, c.horz_px, c.vert_px), c.frame);
}

}  // namespace
