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

// A combo box's list of 145 pixels, 242 wide, under or over a box of 21 pixels.
TEST(PlaceDroppedList, OpensUnderItsBoxWhereItFitsElseOverIt) {
  struct ListCase {
    const char* what;
    LayoutRect box;
    int x, y;
  };
  const ListCase cases[] = {
      {"room below: under the box", {150, 300, 242, 21}, 150, 321},
      {"just room below: under the box", {150, 634, 242, 21}, 150, 655},
      {"no room below: over the box", {150, 729, 242, 21}, 150, 584},
      {"at the area's bottom: over the box", {150, 779, 242, 21}, 150, 634},
      {"past the right edge: moved in", {1100, 300, 242, 21}, 1038, 321},
      {"past the left edge: moved in", {-40, 300, 242, 21}, 0, 321},
  };
  for (const ListCase& c : cases) {
    const LayoutRect got = place_dropped_list(c.box, 242, 145, AREA);
    EXPECT_EQ(got.x, c.x) << c.what;
    EXPECT_EQ(got.y, c.y) << c.what;
    EXPECT_EQ(got.width, 242) << c.what;
    EXPECT_EQ(got.height, 145) << c.what;
  }
  // Room on neither side: the side with more room, moved inside the area.
  const LayoutRect small{0, 0, 800, 200};
  EXPECT_EQ(place_dropped_list({10, 120, 242, 21}, 242, 145, small).y, 0);
  EXPECT_EQ(place_dropped_list({10, 40, 242, 21}, 242, 145, small).y, 55);
}

}  // namespace
