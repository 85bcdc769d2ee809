#include "shell/dialog_placement.h"

#include <gtest/gtest.h>

namespace {

struct Case {
  const char* what;
  LayoutRect window;
  LayoutRect expected;
};

// A work area of 1280 x 760 below a 40-pixel bar at the top.
constexpr LayoutRect AREA{0, 40, 1280, 760};

TEST(FitWithinArea, MovesADialogOnlyAsFarAsItsWholeRectangleNeeds) {
  const Case cases[] = {
      {"inside stays", {100, 100, 300, 200}, {100, 100, 300, 200}},
      {"touching every edge stays", {0, 40, 1280, 760}, {0, 40, 1280, 760}},
      {"past the left edge", {-34, 100, 300, 200}, {0, 100, 300, 200}},
      {"above the top", {100, 10, 300, 200}, {100, 40, 300, 200}},
      {"past the right edge", {1100, 100, 300, 200}, {980, 100, 300, 200}},
      {"past the bottom", {100, 700, 300, 200}, {100, 600, 300, 200}},
      {"past the top-left corner", {-60, -20, 300, 200}, {0, 40, 300, 200}},
      {"past the bottom-right corner", {1200, 780, 300, 200}, {980, 600, 300, 200}},
      {"wider than the area: at its left", {-10, 100, 1500, 200}, {0, 100, 1500, 200}},
      {"taller than the area: at its top", {100, 500, 300, 900}, {100, 40, 300, 900}},
  };
  for (const Case& c : cases) {
    const LayoutRect got = fit_within_area(c.window, AREA);
    EXPECT_EQ(got.x, c.expected.x) << c.what;
    EXPECT_EQ(got.y, c.expected.y) << c.what;
    EXPECT_EQ(got.width, c.window.width) << c.what;
    EXPECT_EQ(got.height, c.window.height) << c.what;
  }
}

// A work area that does not start at the origin (a second monitor to the left).
TEST(FitWithinArea, KeepsToAnAreaAnywhereOnTheDesktop) {
  const LayoutRect left_monitor{-1024, 0, 1024, 740};
  const LayoutRect got = fit_within_area({-1100, 20, 200, 100}, left_monitor);
  EXPECT_EQ(got.x, -1024);
  EXPECT_EQ(got.y, 20);
  EXPECT_EQ(fit_within_area({-50, 20, 200, 100}, left_monitor).x, -200);
}

}  // namespace
