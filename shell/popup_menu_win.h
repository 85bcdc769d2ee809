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
