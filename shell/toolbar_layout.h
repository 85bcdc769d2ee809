// The toolbars of the four screens as data: which buttons each carries, with which
// image and style, where its COM-port list sits and which items get a tooltip; the
// tooltip labels; the order in which get_selected_tool reads the tool buttons; and the
// COM-list entries built from the ports that answer a probe.
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "resources/resource_ids.h"
#include "shell/command_ids.h"

struct ToolbarButtonSpec {
  int command_id;  // 0 for a separator
  int image;       // index into the bitmap the button comes from (base or extra)
  bool check;      // TBSTYLE_CHECK; otherwise a push button
};

struct ToolbarLayout {
  int kind_argument;            // TOOLBAR_INITIAL, CMD_SCREEN_DESIGN, CMD_SCREEN_OPERATION, CMD_SCREEN_MNEMONIC
  int toolbar_kind;             // the g_toolbar_kind it sets
  int extra_bitmap;             // bitmap id added after the base one, 0 for none
  int extra_images;             // number of images in that bitmap
  std::span<const ToolbarButtonSpec> base;    // items 0..3: three buttons and a separator
  std::span<const ToolbarButtonSpec> extra;   // the buttons after the base, images into extra_bitmap
  int extra_separators;         // separators appended after the extra buttons
  int combo_item;               // item whose left and top place the COM list, -1 for none
  bool combo_enabled;           // the monitor toolbar shows the list disabled
  int tooltip_limit;            // tools are added for items 0 .. limit-1 that carry an id
};

// The layout of a kind argument, or nullptr for an unknown kind.
const ToolbarLayout* find_toolbar_layout(int kind_argument);

// The design toolbar's bitmap: the key-in pictures (1105) when option bit 1 is set.
constexpr int design_toolbar_bitmap(uint32_t option_bits) {
  return (option_bits & 0x2) != 0 ? BMP_TOOLBAR_DESIGN_KEYS : BMP_TOOLBAR_DESIGN;
}

// Number of toolbar items of a layout: base, extra buttons and separators.
int toolbar_item_count(const ToolbarLayout& layout);

// The item at a position (0-based, base first), as it is added to the toolbar. Extra
// buttons carry image indexes into their own bitmap; the caller adds the bitmap's offset.
ToolbarButtonSpec toolbar_item(const ToolbarLayout& layout, int item);

// The last item that gets a tooltip (the limit clipped to the items that exist), + 1.
int tooltip_item_end(const ToolbarLayout& layout);

// TOOLTIP_LABELS: the labels of the buttons after the base, indexed by command id - 1101
// (1101..1254). Entries of ids without a button are empty.
inline constexpr int TOOLTIP_LABEL_FIRST_ID = 1101;
inline constexpr int TOOLTIP_LABEL_COUNT = 1254 - 1101 + 1;
extern const std::array<const char*, TOOLTIP_LABEL_COUNT> TOOLTIP_LABELS;

// The label of a command id, "" when it has none.
const char* tooltip_label(int command_id);

// The tooltip text source of a toolbar item: items 0-2 of every toolbar take the string
// table entries of 1160, 1163 and 1242, other items their TOOLTIP_LABELS entry.
struct TooltipSource {
  int string_id;      // string-table id, 0 when the label is used
  const char* label;  // CP932 label, nullptr when the string table is used
};
TooltipSource tooltip_source(int item, int command_id);

// get_selected_tool: the first checked button in this order wins; none checked gives 151.
struct SelectedToolRule {
  int command_id;
  int tool;
};
inline constexpr std::array<SelectedToolRule, 12> SELECTED_TOOL_ORDER{{
    {CMD_TOOL_RELAY_A, 1}, {CMD_TOOL_RELAY_B, 2}, {CMD_TOOL_OUT, 7}, {CMD_TOOL_TIM, 8},
    {CMD_TOOL_CNT, 9}, {CMD_TOOL_FUNCTION, 10}, {CMD_TOOL_LINE, 11}, {CMD_TOOL_ERASE, 12},
    {CMD_RANGE_SELECT, 79}, {CMD_SET_NUMBER, 14}, {CMD_RANGE_MODE, 34}, {CMD_BLANK_LINE_MODE, 35},
}};
inline constexpr int NO_TOOL_SELECTED = 151;

// is_checked answers for a command id; only a positive answer counts as checked, so an
// id without a button on the shown toolbar (the platform answers -1) is not checked.
template <typename IsChecked>
int select_tool(IsChecked&& is_checked) {
  for (const auto& rule : SELECTED_TOOL_ORDER)
    if (is_checked(rule.command_id) > 0) return rule.tool;
  return NO_TOOL_SELECTED;
}

// The buttons reset_design_modes unchecks.
inline constexpr std::array<int, 12> DESIGN_MODE_BUTTONS{
    CMD_TOOL_RELAY_A, CMD_TOOL_RELAY_B, CMD_TOOL_OUT, CMD_TOOL_TIM, CMD_TOOL_CNT, CMD_TOOL_FUNCTION,
    CMD_TOOL_LINE, CMD_TOOL_ERASE, CMD_RANGE_MODE, CMD_BLANK_LINE_MODE, CMD_SET_NUMBER, CMD_COMMENT};

// ---- the COM-port list -------------------------------------------------------------

inline constexpr int PORT_SLOT_COUNT = 16;
using ComPortNumbers = std::array<int, PORT_SLOT_COUNT>;  // g_com_port_numbers

// Probes slot 0..15; returns 1 when a board answers.
using PortProbe = int (*)(int slot);

// Probes every slot in order and returns the "COM%d" entries of those that answer;
// numbers receives their slot numbers from index 0, the rest 0.
std::vector<std::string> probe_com_entries(PortProbe probe, ComPortNumbers& numbers);

// The entries of the toolbars that do not probe: one "COM%d" per non-zero number.
std::vector<std::string> listed_com_entries(const ComPortNumbers& numbers);

// The entry to select in a list: the one of the port the board link uses when it is
// listed, else the entry chosen last, else none (-1).
int com_entry_to_select(const std::vector<std::string>& entries, int com_number, int last_selection);
