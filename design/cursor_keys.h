// The keyboard and right button of the design window: the cursor keys that move the cell
// cursor over the grid (stepping over the cells an element occupies), Delete and the Space
// bar with its device-use highlight, Backspace in the blank-line mode, the page keys and
// Escape, and the right-button popup menus.
#pragma once

#include <span>

#include "design/design_edit.h"

// Virtual keys the design window handles (the values of VK_*).
namespace DesignKey {
inline constexpr int BACK = 0x08;
inline constexpr int SPACE = 0x20;
inline constexpr int LEFT = 0x25;
inline constexpr int UP = 0x26;
inline constexpr int RIGHT = 0x27;
inline constexpr int DOWN = 0x28;
inline constexpr int DELETE_KEY = 0x2E;
}  // namespace DesignKey

// Rows the page keys move.
inline constexpr int PAGE_KEY_ROWS = 8;

// The text of the comment popup when the cell has no comment.
inline constexpr char NO_COMMENT_TEXT[] = "No Comment!";

// The device uses of a device text (list_device_uses): fills `hits` with row | column << 20
// | kind << 28 words ended by HIT_LIST_END.
using DeviceUseLister = void (*)(ConstGridSpan grid, const char* text, std::span<int32_t> hits);

// What the keys need besides the grid, the view and the modes.
struct KeyContext {
  EditContext edit;
  int two_visible_windows = 0;   // pick_two_visible_windows found exactly two (Shift+Up/Down)
  DeviceUseLister list_uses = nullptr;
};

// Left, Right, Up, Down, Backspace, Delete and Space (WM_KEYDOWN). `search_highlight` is
// g_search_highlight. not_handled() for any other key.
EditEffects design_key(GridSpan grid, ViewState& view, const KeyContext& context, int key, int& search_highlight);

// Delete: clears the single span drawn (keeping the link bits), then acts as Space. The
// END row, comment rows and special rows are refused.
EditEffects delete_span(GridSpan grid, ViewState& view, const KeyContext& context, int& search_highlight);

// Space: switches the device-use highlight of the selected part on or off.
EditEffects toggle_device_highlight(ConstGridSpan grid, ViewState& view, const KeyContext& context,
                                    int& search_highlight);

// Turns device-use hits into highlight positions (hit_cols, hit_rows ended by HIT_LIST_END).
void hits_to_highlights(std::span<const int32_t> hits, ViewState& view);

// The page keys and Escape: WM_COMMAND 709, 710, 708. not_handled() for any other id.
EditEffects design_page_command(ConstGridSpan grid, ViewState& view, int command_id);

// Flipped by each right click in the design window's range and blank-line modes and in the
// mnemonic window: a popup opens only when it becomes 1, so two right clicks with nothing
// between them open one menu. Every other click, key and command clears it.
extern int g_popup_toggle;

// A right click at (x, y): the popup menu or the number dialog of the mode in force.
// `popup_toggle` is g_popup_toggle.
EditEffects design_right_click(GridSpan grid, ViewState& view, const EditContext& context, int x, int y,
                               int& popup_toggle);

// The items of the three popup menus.
std::vector<PopupItem> range_popup_items(int range_submode);
std::vector<PopupItem> blank_line_popup_items(int blank_submode);
std::vector<PopupItem> comment_popup_items(const LadderRow& row, int column);

// The command id a popup item stands for (1896-1900 act as 1179-1183, 1903-1906 as
// 1184-1187); 0 for the comment item, which does nothing.
int popup_item_command(int item_id);
