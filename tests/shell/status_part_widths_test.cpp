// The indicator parts of the status bar grow with their widest text, so that every text
// shows whole; the last part keeps its distance from the size grip.
#include "shell/status_parts.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

namespace {

TEST(StatusPartWidths, PartsAsWideAsTheWidestTextNeedsAndNoNarrowerThanUsual) {
  EXPECT_EQ(status_indicator_width(0), STATUS_INDICATOR_WIDTH);
  EXPECT_EQ(status_indicator_width(STATUS_INDICATOR_WIDTH - STATUS_TEXT_ROOM), STATUS_INDICATOR_WIDTH);
  EXPECT_EQ(status_indicator_width(66), 66 + STATUS_TEXT_ROOM);
  EXPECT_EQ(status_indicator_width(71), 71 + STATUS_TEXT_ROOM);
}

TEST(StatusPartWidths, WiderPartsMoveLeftAndTheLastEndsBeforeTheGrip) {
  const auto edges = status_part_edges(1280, 80);
  EXPECT_EQ(edges[6], 1280 - STATUS_GRIP_ROOM);
  for (int i = 1; i < STATUS_PART_COUNT; ++i) EXPECT_EQ(edges[i] - edges[i - 1], 80) << i;
  EXPECT_EQ(edges[0], 1280 - STATUS_GRIP_ROOM - 6 * 80);
  // The usual width gives the usual edges.
  EXPECT_EQ(status_part_edges(1280, STATUS_INDICATOR_WIDTH), status_part_edges(1280));
  // A narrow frame: no edge below 0.
  for (int edge : status_part_edges(200, 80)) EXPECT_GE(edge, 0);
}

TEST(StatusPartWidths, EveryIndicatorTextIsMeasured) {
  const auto texts = all_indicator_texts();
  EXPECT_EQ(texts.size(), static_cast<size_t>(2 * (RANGE_SUBMODE_COUNT + BLANK_SUBMODE_COUNT)));
  for (const char* text : {"  ﾌﾞﾛｯｸ詰め", "○ﾌﾞﾛｯｸ詰め", "  ﾌﾞﾛｯｸ空け", "○貼り付け", "  範囲"})
    EXPECT_NE(std::find(texts.begin(), texts.end(), std::string(text)), texts.end()) << text;
}

}  // namespace
