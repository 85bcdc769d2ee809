#include "shell/status_parts.h"

#include <gtest/gtest.h>

#include "shell/command_ids.h"
#include "shell/guide_rules.h"
#include "resources/resource_ids.h"

namespace {

TEST(StatusParts, EdgesFollowTheWidth) {
  const std::array<int, 7> w1280{848, 914, 980, 1046, 1112, 1178, 1244};
  EXPECT_EQ(status_part_edges(1280), w1280);
  const std::array<int, 7> w432{0, 66, 132, 198, 264, 330, 396};
  EXPECT_EQ(status_part_edges(432), w432);
  // 431 would give -1 ("to the border") for part 0.
  const std::array<int, 7> w431{0, 65, 131, 197, 263, 329, 395};
  EXPECT_EQ(status_part_edges(431), w431);
  const std::array<int, 7> w300{0, 0, 0, 66, 132, 198, 264};
  EXPECT_EQ(status_part_edges(300), w300);
}

TEST(StatusParts, RangeIndicatorsWithCutChosen) {
  const auto parts = edit_mode_indicator_texts(CMD_RANGE_MODE, 2);
  ASSERT_EQ(parts.size(), 5u);
  const char* texts[] = {"  範囲", "  ｺﾋﾟｰ", "○切り取り", "  削除", "  貼り付け"};
  for (int i = 0; i < 5; ++i) {
    EXPECT_EQ(parts[i].part, i + 1);
    EXPECT_EQ(parts[i].text, texts[i]);
    EXPECT_EQ(parts[i].raised, i == 2);
  }
}

TEST(StatusParts, BlankLineIndicatorsUseSixParts) {
  const auto parts = edit_mode_indicator_texts(CMD_BLANK_LINE_MODE, 5);
  ASSERT_EQ(parts.size(), 6u);
  EXPECT_EQ(parts[0].text, "  空行開け");
  EXPECT_EQ(parts[4].text, "  ﾌﾞﾛｯｸ空け");
  EXPECT_EQ(parts[5].text, "○ﾌﾞﾛｯｸ詰め");
  EXPECT_TRUE(parts[5].raised);
  EXPECT_EQ(parts[5].part, 6);
}

TEST(StatusParts, ChosenIndexOutsideTheListMarksNothing) {
  for (int selected : {-1, 5, 100}) {
    for (const auto& p : edit_mode_indicator_texts(CMD_RANGE_MODE, selected)) {
      EXPECT_FALSE(p.raised);
      EXPECT_EQ(p.text.substr(0, 2), "  ");
    }
  }
  EXPECT_TRUE(edit_mode_indicator_texts(CMD_SEARCH, 0).empty());
}

TEST(StatusParts, SkipListStrings) {
  const char* p = RANGE_SUBMODE_NAMES;
  skip_list_strings(&p, 3, 1);
  EXPECT_STREQ(p, "切り取り");
  skip_list_strings(&p, 1, 1);  // n - base = 0: stays
  EXPECT_STREQ(p, "切り取り");
  skip_list_strings(&p, 0, 4);  // negative: stays
  EXPECT_STREQ(p, "切り取り");
  skip_list_strings(&p, 50, 0);  // stops at the end of the list
  EXPECT_STREQ(p, "");
  EXPECT_EQ(list_entry(BLANK_SUBMODE_NAMES, 3), "左詰め");
  EXPECT_EQ(list_entry(BLANK_SUBMODE_NAMES, 6), "");
  EXPECT_EQ(list_entry(BLANK_SUBMODE_NAMES, -1), "");
}

TEST(GuideRules, FlagsToggleAndSave) {
  EXPECT_EQ(guide_flag_index(GuideKind::FirstUse), 0);
  EXPECT_EQ(guide_flag_index(GuideKind::DesignTips), 0);
  EXPECT_EQ(guide_flag_index(GuideKind::MonitorTips), 1);
  EXPECT_EQ(guide_flag_index(GuideKind::PinViewTips), 1);
  EXPECT_EQ(guide_flag_after_toggle(true), 0);
  EXPECT_EQ(guide_flag_after_toggle(false), 1);
  EXPECT_TRUE(guide_close_saves_settings(0));
  EXPECT_FALSE(guide_close_saves_settings(1));
  EXPECT_TRUE(guide_is_shown(1));
  EXPECT_FALSE(guide_is_shown(0));
}

TEST(GuideRules, SamplePaths) {
  EXPECT_EQ(guide_sample_path("C:\\TAVOLIN", IDC_GUIDE_BUTTON_1), "C:\\TAVOLIN\\SAMPLE\\SAMPLE1.MBS");
  EXPECT_EQ(guide_sample_path("C:\\TAVOLIN", IDC_GUIDE_BUTTON_2), "C:\\TAVOLIN\\SAMPLE\\SINGOU1.MBS");
  EXPECT_EQ(guide_sample_path("C:\\TAVOLIN", 1), "");
}

}  // namespace
