#include "shell/toolbar_layout.h"

#include <cstdio>

namespace {

constexpr ToolbarButtonSpec SEPARATOR{0, 0, false};

// Items 0..3 of the initial toolbar: open a design, open a mnemonic text, monitor screen.
constexpr std::array<ToolbarButtonSpec, 4> INITIAL_BASE{{
    {CMD_OPEN_DESIGN, 0, false}, {CMD_OPEN_MNEMONIC, 1, false}, {CMD_SCREEN_MONITOR, 2, false}, SEPARATOR}};

// Items 0..3 of every other toolbar: the three screen switches.
constexpr std::array<ToolbarButtonSpec, 4> SCREEN_BASE{{
    {CMD_SCREEN_DESIGN, 0, false}, {CMD_SCREEN_MNEMONIC, 1, false}, {CMD_SCREEN_MONITOR, 2, false}, SEPARATOR}};

constexpr std::array<ToolbarButtonSpec, 15> DESIGN_BUTTONS{{
    {CMD_TOOL_RELAY_A, 0, true},  {CMD_TOOL_RELAY_B, 1, true}, {CMD_TOOL_OUT, 2, true},
    {CMD_TOOL_TIM, 3, true},      {CMD_TOOL_CNT, 4, true},     {CMD_TOOL_FUNCTION, 5, true},
    {CMD_TOOL_LINE, 6, true},     {CMD_TOOL_ERASE, 7, true},   {CMD_RANGE_MODE, 8, true},
    {CMD_SET_NUMBER, 9, true},    {CMD_COMMENT, 10, true},     {CMD_UNDO, 11, false},
    {CMD_REDO, 12, false},        {CMD_PORT_CHECK, 13, false}, {CMD_WRITE_LADDER, 15, false},
}};

constexpr std::array<ToolbarButtonSpec, 1> MONITOR_BUTTONS{{{CMD_COM_DIALOG, 0, false}}};

constexpr std::array<ToolbarButtonSpec, 4> MNEMONIC_BUTTONS{{
    {CMD_COM_DIALOG, 0, false}, {CMD_UNDO, 1, false}, {CMD_REDO, 2, false}, {CMD_PORT_CHECK, 3, false}}};

constexpr std::array<ToolbarLayout, 4> LAYOUTS{{
    {TOOLBAR_INITIAL, 3, 0, 0, INITIAL_BASE, {}, 0, -1, false, 3},
    {CMD_SCREEN_DESIGN, 0, BMP_TOOLBAR_DESIGN, BMP_TOOLBAR_DESIGN_IMAGES, SCREEN_BASE, DESIGN_BUTTONS, 15, 22, true, 35},
    {CMD_SCREEN_OPERATION, 1, BMP_TOOLBAR_MONITOR, BMP_TOOLBAR_MONITOR_IMAGES, SCREEN_BASE, MONITOR_BUTTONS, 19, 13, false, 5},
    {CMD_SCREEN_MNEMONIC, 2, BMP_TOOLBAR_MNEMONIC, BMP_TOOLBAR_MNEMONIC_IMAGES, SCREEN_BASE, MNEMONIC_BUTTONS, 16, 11, true, 10},
}};

constexpr std::array<const char*, TOOLTIP_LABEL_COUNT> make_tooltip_labels() {
  std::array<const char*, TOOLTIP_LABEL_COUNT> labels{};
  for (auto& l : labels) l = "";
  auto put = [&labels](int id, const char* text) { labels[id - TOOLTIP_LABEL_FIRST_ID] = text; };
  put(CMD_TOOL_RELAY_A, "ﾘﾚｰA接点f1");
  put(CMD_TOOL_RELAY_B, "ﾘﾚｰB接点f2");
  put(CMD_TOOL_OUT, "ＯＵＴ f7");
  put(CMD_TOOL_TIM, "ＴＩＭ f8");
  put(CMD_TOOL_CNT, "ＣＮＴ f9");
  put(CMD_TOOL_FUNCTION, "関数f10");
  put(CMD_TOOL_LINE, "ﾗｲﾝ引きf11");
  put(CMD_TOOL_ERASE, "削除f12");
  put(CMD_SET_NUMBER, "番号設定c.f3");
  put(CMD_COMMENT, "ｺﾒﾝﾄ書き c.f6");
  put(CMD_UNDO, "ｱﾝﾄﾞｳc.Z");
  put(CMD_REDO, "ﾘﾄﾞｳc.a");
  put(CMD_RANGE_MODE, "範囲設定c.f1");
  put(CMD_COM_DIALOG, "COM通信をするa.f3");
  put(CMD_PORT_CHECK, "ポートチェック");
  put(CMD_WRITE_LADDER, "ラダー書込み");
  return labels;
}

}  // namespace

const std::array<const char*, TOOLTIP_LABEL_COUNT> TOOLTIP_LABELS = make_tooltip_labels();

const ToolbarLayout* find_toolbar_layout(int kind_argument) {
  for (const auto& layout : LAYOUTS)
    if (layout.kind_argument == kind_argument) return &layout;
  return nullptr;
}

int toolbar_item_count(const ToolbarLayout& layout) {
  return static_cast<int>(layout.base.size() + layout.extra.size()) + layout.extra_separators;
}

ToolbarButtonSpec toolbar_item(const ToolbarLayout& layout, int item) {
  if (item < 0) return SEPARATOR;
  const auto base = static_cast<int>(layout.base.size());
  if (item < base) return layout.base[item];
  const auto extra = static_cast<int>(layout.extra.size());
  if (item < base + extra) return layout.extra[item - base];
  return SEPARATOR;
}

int tooltip_item_end(const ToolbarLayout& layout) {
  const int count = toolbar_item_count(layout);
  return layout.tooltip_limit < count ? layout.tooltip_limit : count;
}

const char* tooltip_label(int command_id) {
  const int i = command_id - TOOLTIP_LABEL_FIRST_ID;
  if (i < 0 || i >= TOOLTIP_LABEL_COUNT) return "";
  return TOOLTIP_LABELS[i];
}

TooltipSource tooltip_source(int item, int command_id) {
  constexpr std::array<int, 3> BASE_STRINGS{CMD_SCREEN_DESIGN, CMD_SCREEN_MNEMONIC, CMD_SCREEN_MONITOR};
  if (item >= 0 && item < 3) return {BASE_STRINGS[item], nullptr};
  return {0, tooltip_label(command_id)};
}

std::vector<std::string> probe_com_entries(PortProbe probe, ComPortNumbers& numbers) {
  numbers.fill(0);
  std::vector<std::string> entries;
  int n = 0;
  for (int slot = 0; slot < PORT_SLOT_COUNT; ++slot) {
    if (probe == nullptr || probe(slot) != 1) continue;
    char text[16];
    std::snprintf(text, sizeof text, "COM%d", slot);
    entries.emplace_back(text);
    numbers[n++] = slot;
  }
  return entries;
}

std::vector<std::string> listed_com_entries(const ComPortNumbers& numbers) {
  std::vector<std::string> entries;
  for (int number : numbers) {
    if (number == 0) continue;
    char text[16];
    std::snprintf(text, sizeof text, "COM%d", number);
    entries.emplace_back(text);
  }
  return entries;
}

int com_entry_to_select(const std::vector<std::string>& entries, int com_number, int last_selection) {
  if (entries.empty()) return -1;
  char text[16];
  std::snprintf(text, sizeof text, "COM%d", com_number);
  for (size_t i = 0; i < entries.size(); ++i)
    if (entries[i] == text) return static_cast<int>(i);
  if (last_selection >= 0 && last_selection < static_cast<int>(entries.size())) return last_selection;
  return -1;
}
