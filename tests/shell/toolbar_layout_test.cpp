#include "shell/toolbar_layout.h"

#include <gtest/gtest.h>

#include <cstring>
#include <map>
#include <set>

namespace {

struct Expected {
  int kind;
  int toolbar_kind;
  int items;
  int buttons;  // items with a command id
  int combo_item;
  bool combo_enabled;
  int tooltip_end;
};

TEST(ToolbarLayout, KindsItemsAndCombo) {
  const Expected cases[] = {
      {TOOLBAR_INITIAL, 3, 4, 3, -1, false, 3},
      {CMD_SCREEN_DESIGN, 0, 34, 18, 22, true, 34},  // the limit 35 is clipped to the 34 items
      {CMD_SCREEN_OPERATION, 1, 24, 4, 13, false, 5},
      {CMD_SCREEN_MNEMONIC, 2, 24, 7, 11, true, 10},
  };
  for (const auto& c : cases) {
    const ToolbarLayout* layout = find_toolbar_layout(c.kind);
    ASSERT_NE(layout, nullptr) << c.kind;
    EXPECT_EQ(layout->toolbar_kind, c.toolbar_kind);
    EXPECT_EQ(toolbar_item_count(*layout), c.items) << c.kind;
    int buttons = 0;
    for (int i = 0; i < toolbar_item_count(*layout); ++i)
      if (toolbar_item(*layout, i).command_id != 0) ++buttons;
    EXPECT_EQ(buttons, c.buttons) << c.kind;
    EXPECT_EQ(layout->combo_item, c.combo_item);
    EXPECT_EQ(layout->combo_enabled, c.combo_enabled);
    EXPECT_EQ(tooltip_item_end(*layout), c.tooltip_end) << c.kind;
    // The COM list sits over a separator, never over a button.
    if (c.combo_item >= 0) {
      EXPECT_EQ(toolbar_item(*layout, c.combo_item).command_id, 0);
    }
  }
  EXPECT_EQ(find_toolbar_layout(1162), nullptr);
}

TEST(ToolbarLayout, BaseButtons) {
  const ToolbarLayout& initial = *find_toolbar_layout(TOOLBAR_INITIAL);
  const int initial_ids[] = {CMD_OPEN_DESIGN, CMD_OPEN_MNEMONIC, CMD_SCREEN_MONITOR, 0};
  for (int kind : {CMD_SCREEN_DESIGN, CMD_SCREEN_OPERATION, CMD_SCREEN_MNEMONIC}) {
    const ToolbarLayout& layout = *find_toolbar_layout(kind);
    const int ids[] = {CMD_SCREEN_DESIGN, CMD_SCREEN_MNEMONIC, CMD_SCREEN_MONITOR, 0};
    for (int i = 0; i < 4; ++i) {
      EXPECT_EQ(toolbar_item(layout, i).command_id, ids[i]);
      if (i < 3) {
        EXPECT_EQ(toolbar_item(layout, i).image, i);
      }
      EXPECT_FALSE(toolbar_item(layout, i).check);
    }
  }
  for (int i = 0; i < 4; ++i) EXPECT_EQ(toolbar_item(initial, i).command_id, initial_ids[i]);
  EXPECT_EQ(initial.extra_bitmap, 0);
}

TEST(ToolbarLayout, DesignButtonsImagesAndStyles) {
  const ToolbarLayout& design = *find_toolbar_layout(CMD_SCREEN_DESIGN);
  struct B {
    int id, image;
    bool check;
  };
  const B expected[] = {{1101, 0, true},  {1102, 1, true},  {1107, 2, true},   {1108, 3, true},  {1109, 4, true},
                        {1110, 5, true},  {1111, 6, true},  {1112, 7, true},   {1134, 8, true},  {1114, 9, true},
                        {1116, 10, true}, {1131, 11, false}, {1132, 12, false}, {1253, 13, false}, {1254, 15, false}};
  for (int i = 0; i < 15; ++i) {
    const ToolbarButtonSpec b = toolbar_item(design, 4 + i);
    EXPECT_EQ(b.command_id, expected[i].id) << i;
    EXPECT_EQ(b.image, expected[i].image) << i;
    EXPECT_EQ(b.check, expected[i].check) << i;
    EXPECT_LT(b.image, design.extra_images);
  }
  for (int i = 19; i < 34; ++i) EXPECT_EQ(toolbar_item(design, i).command_id, 0) << i;
  EXPECT_EQ(design.extra_images, 16);
}

TEST(ToolbarLayout, MonitorAndMnemonicButtons) {
  const ToolbarLayout& monitor = *find_toolbar_layout(CMD_SCREEN_OPERATION);
  EXPECT_EQ(monitor.extra_bitmap, 1200);
  EXPECT_EQ(monitor.extra_images, 11);
  EXPECT_EQ(toolbar_item(monitor, 4).command_id, CMD_COM_DIALOG);
  EXPECT_EQ(toolbar_item(monitor, 4).image, 0);
  const ToolbarLayout& mnemonic = *find_toolbar_layout(CMD_SCREEN_MNEMONIC);
  EXPECT_EQ(mnemonic.extra_bitmap, 1020);
  EXPECT_EQ(mnemonic.extra_images, 9);
  const int ids[] = {CMD_COM_DIALOG, CMD_UNDO, CMD_REDO, CMD_PORT_CHECK};
  for (int i = 0; i < 4; ++i) {
    EXPECT_EQ(toolbar_item(mnemonic, 4 + i).command_id, ids[i]);
    EXPECT_EQ(toolbar_item(mnemonic, 4 + i).image, i);
    EXPECT_FALSE(toolbar_item(mnemonic, 4 + i).check);
  }
  EXPECT_EQ(toolbar_item(mnemonic, 8).command_id, 0);
}

TEST(ToolbarLayout, DesignBitmapFollowsOptionBit1) {
  EXPECT_EQ(design_toolbar_bitmap(0x11), 1100);
  EXPECT_EQ(design_toolbar_bitmap(0x13), 1105);
  EXPECT_EQ(design_toolbar_bitmap(0x02), 1105);
  EXPECT_EQ(design_toolbar_bitmap(0x3D), 1100);
}

TEST(ToolbarLayout, TooltipLabelsOfEveryButton) {
  const std::map<int, const char*> labels = {
      {1101, "ﾘﾚｰA接点f1"},   {1102, "ﾘﾚｰB接点f2"}, {1107, "ＯＵＴ f7"},    {1108, "ＴＩＭ f8"},
      {1109, "ＣＮＴ f9"},    {1110, "関数f10"},    {1111, "ﾗｲﾝ引きf11"},  {1112, "削除f12"},
      {1114, "番号設定c.f3"}, {1116, "ｺﾒﾝﾄ書き c.f6"}, {1131, "ｱﾝﾄﾞｳc.Z"},  {1132, "ﾘﾄﾞｳc.a"},
      {1134, "範囲設定c.f1"}, {1162, "COM通信をするa.f3"}, {1253, "ポートチェック"}, {1254, "ラダー書込み"}};
  for (int id = 1100; id <= 1255; ++id) {
    auto it = labels.find(id);
    EXPECT_STREQ(tooltip_label(id), it == labels.end() ? "" : it->second) << id;
  }
  // Every button after the base has a label.
  for (int kind : {CMD_SCREEN_DESIGN, CMD_SCREEN_OPERATION, CMD_SCREEN_MNEMONIC}) {
    const ToolbarLayout& layout = *find_toolbar_layout(kind);
    for (int i = 4; i < toolbar_item_count(layout); ++i) {
      const int id = toolbar_item(layout, i).command_id;
      if (id != 0) {
        EXPECT_GT(std::strlen(tooltip_label(id)), 0u) << id;
      }
    }
  }
}

TEST(ToolbarLayout, TooltipSources) {
  EXPECT_EQ(tooltip_source(0, CMD_OPEN_DESIGN).string_id, CMD_SCREEN_DESIGN);
  EXPECT_EQ(tooltip_source(1, CMD_OPEN_MNEMONIC).string_id, CMD_SCREEN_MNEMONIC);
  EXPECT_EQ(tooltip_source(2, CMD_SCREEN_MONITOR).string_id, CMD_SCREEN_MONITOR);
  EXPECT_EQ(tooltip_source(2, CMD_SCREEN_MONITOR).label, nullptr);
  const TooltipSource s = tooltip_source(4, CMD_TOOL_RELAY_A);
  EXPECT_EQ(s.string_id, 0);
  EXPECT_STREQ(s.label, "ﾘﾚｰA接点f1");
}

TEST(SelectedTool, FirstCheckedInOrderWins) {
  // The platform answers -1 for an id without a button: that is not "checked".
  auto make = [](std::set<int> checked) {
    return [checked](int id) -> int {
      if (checked.count(id)) return 1;
      return (id == CMD_RANGE_SELECT || id == CMD_BLANK_LINE_MODE) ? -1 : 0;
    };
  };
  EXPECT_EQ(select_tool(make({})), 151);
  EXPECT_EQ(select_tool(make({1101, 1134})), 1);
  EXPECT_EQ(select_tool(make({1134, 1114})), 14);
  EXPECT_EQ(select_tool(make({1134})), 34);
  EXPECT_EQ(select_tool(make({1112, 1102})), 2);
  EXPECT_EQ(select_tool(make({1110})), 10);
  EXPECT_EQ(select_tool(make({1179})), 79);
  EXPECT_EQ(select_tool(make({1135})), 35);
  EXPECT_EQ(select_tool(make({1116})), 151);  // comment mode is no tool
  EXPECT_EQ(select_tool([](int) { return -1; }), 151);
}

// A scripted probe: the slots in `answering` answer; every probed slot is recorded.
std::set<int> g_answering;
std::vector<int> g_probed;
int scripted_probe(int slot) {
  g_probed.push_back(slot);
  return g_answering.count(slot) ? 1 : 0;
}

TEST(ComList, ProbesEverySlotInOrder) {
  g_answering = {3, 7, 15};
  g_probed.clear();
  ComPortNumbers numbers;
  numbers.fill(9);
  const auto entries = probe_com_entries(scripted_probe, numbers);
  ASSERT_EQ(g_probed.size(), 16u);
  for (int i = 0; i < 16; ++i) EXPECT_EQ(g_probed[i], i);
  EXPECT_EQ(entries, (std::vector<std::string>{"COM3", "COM7", "COM15"}));
  const ComPortNumbers expected{3, 7, 15, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0};
  EXPECT_EQ(numbers, expected);
  EXPECT_EQ(listed_com_entries(numbers), entries);
}

TEST(ComList, NoAnswerGivesAnEmptyList) {
  g_answering = {};
  ComPortNumbers numbers{1, 2, 3};
  EXPECT_TRUE(probe_com_entries(scripted_probe, numbers).empty());
  for (int n : numbers) EXPECT_EQ(n, 0);
  EXPECT_TRUE(listed_com_entries(numbers).empty());
  EXPECT_TRUE(probe_com_entries(nullptr, numbers).empty());
}

TEST(ComList, SelectionFollowsTheBoardPort) {
  const std::vector<std::string> entries{"COM3", "COM5", "COM7"};
  EXPECT_EQ(com_entry_to_select(entries, 5, 0), 1);   // the port in use wins over an old index
  EXPECT_EQ(com_entry_to_select(entries, 7, 7), 2);
  EXPECT_EQ(com_entry_to_select(entries, 1, 2), 2);   // port not listed: the entry chosen last
  EXPECT_EQ(com_entry_to_select(entries, 1, 3), -1);  // ... unless it no longer exists
  EXPECT_EQ(com_entry_to_select(entries, 1, -1), -1);
  EXPECT_EQ(com_entry_to_select({}, 3, 0), -1);
}

}  // namespace
