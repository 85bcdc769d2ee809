// Every right-button popup menu of the program, behind a stand-in that tests answer.
//
// A popup menu runs a modal loop until the user picks an item or dismisses it; it goes
// through here so that a test sees the items with their check and grey states and decides
// what the user picked. Menu texts are CP932; the menu itself is built from their UTF-16
// form. (The modifier keys have their seam in shell/modifier_keys_win.h.)
#pragma once

#include "target/windows_api.h"

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
