// Which menu items are enabled on each screen, as data. The state functions of
// menu_states_win.cpp apply a screen's ranges to the frame's current menu; items that
// menu does not hold are unaffected.
//
// A greyed item also swallows its accelerator (TranslateAccelerator sends nothing for
// it), so no state greys a command that its screen's window carries out: the monitor
// screen keeps 検索 (Ctrl+F5) and the mnemonic screen keeps コピ－, 切り取り and
// 貼り付け, which the mnemonic window handles.
#pragma once

#include <span>

enum class MenuScreen { Empty, Design, Mnemonic, Monitor };

enum class MenuItemState {
  Untouched,       // the screen leaves the item as it is
  Enabled,
  Greyed,
  WhileClipValid,  // enabled only while the range clipboard holds rows (g_clip_valid)
};

struct MenuStateRange {
  int first_id;
  int count;
  MenuItemState state;
};

// 1 once rows or lines were copied or cut into the program's clipboard (the design
// range copy and cut, the mnemonic line copy); the design state enables 貼り付け then.
extern int g_clip_valid;

// The ranges a screen's state function applies, in order.
std::span<const MenuStateRange> menu_state_ranges(MenuScreen screen);

// The state a screen gives one command id (Untouched when it gives none).
MenuItemState menu_item_state(MenuScreen screen, int id);

// Whether an item ends enabled (true) or greyed (false) under a state and the clipboard.
constexpr bool menu_state_enables(MenuItemState state, bool clip_valid) {
  return state == MenuItemState::Enabled || (state == MenuItemState::WhileClipValid && clip_valid);
}
