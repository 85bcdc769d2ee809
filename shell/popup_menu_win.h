// Popup menus and the modifier keys, behind stand-ins that tests answer.
//
// A popup menu runs a modal loop until the user picks an item or dismisses it; the
// modifier keys are global state read while a click or key is handled. Both go through
// here so that a test decides what the user picked and which keys were held. Menu texts
// are CP932; the menu itself is built from their UTF-16 form.
#pragma once

#include "shell/windows_api.h"

#include <functional>
#include <string>
#include <vector>

struct PopupMenuItem {
  int id = 0;          // 0: a separator
  std::string text;    // CP932
  bool checked = false;
  bool grayed = false;
};

// Builds the menu, shows it at the screen position with TPM_RIGHTBUTTON, destroys it and
// returns the id chosen, 0 when the menu was dismissed. The owner receives nothing: the
// caller acts on the id.
int show_popup_menu(HWND owner, const std::vector<PopupMenuItem>& items, POINT screen_position);

// A menu built by the caller (the mnemonic window loads its menus from the resources):
// tracked at the screen point (x, y) with TPM_RIGHTBUTTON and the id chosen returned, 0
// when it was dismissed. A stand-in sees its items as popup_menu_items gives them.
int track_popup_menu(HMENU menu, int x, int y, HWND owner);
// The items of a menu as the user would see them (CP932 texts).
std::vector<PopupMenuItem> popup_menu_items(HMENU menu);

// A stand-in for the menu: gets the items and returns the id chosen (or 0).
using PopupMenuHandler = std::function<int(HWND owner, const std::vector<PopupMenuItem>& items, POINT position)>;
void set_popup_menu_handler(PopupMenuHandler handler);

// The state of the Shift and Ctrl keys now.
bool shift_key_down();
bool control_key_down();

// A stand-in for the keyboard state: returns whether the virtual key (VK_SHIFT,
// VK_CONTROL) is held.
using ModifierKeyHandler = std::function<bool(int virtual_key)>;
void set_modifier_key_handler(ModifierKeyHandler handler);
