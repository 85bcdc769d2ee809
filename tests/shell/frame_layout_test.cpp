#include "shell/frame_layout.h"

#include <gtest/gtest.h>

namespace {

TEST(MdiClientLayout, SitsBetweenToolbarAndStatusBar) {
  const LayoutRect r = mdi_client_layout(1280, 760, 44, 22);
  EXPECT_EQ(r.x, 0);
  EXPECT_EQ(r.y, 44);
  EXPECT_EQ(r.width, 1280);
  EXPECT_EQ(r.height, 694);
  EXPECT_EQ(mdi_client_layout(100, 50, 44, 22).height, 0);
}

TEST(DesignColours, OptionBitZeroChoosesTheWhiteOrTheDarkSet) {
  const DesignColourSet white = design_colour_set(0x11);
  EXPECT_EQ(white.background, 0xFFFFFFu);
  EXPECT_EQ(white.comment_colour, 0x005A00u);
  EXPECT_EQ(white.text_colour, 0x000000u);
  EXPECT_TRUE(white.massfl_white_brush);
  EXPECT_EQ(white.motofl_brush, 0xF5FFF0u);
  const DesignColourSet dark = design_colour_set(0x10);
  EXPECT_EQ(dark.background, 0x820000u);
  EXPECT_EQ(dark.comment_colour, 0x00FF33u);
  EXPECT_EQ(dark.text_colour, 0xFFFFFFu);
  EXPECT_FALSE(dark.massfl_white_brush);
  EXPECT_EQ(dark.massfl_brush, 0x820000u);
  EXPECT_EQ(dark.motofl_brush, 0x000000u);
}

}  // namespace
