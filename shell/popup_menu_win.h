// Every right-button popup menu of the program goes through here. The menu is tracked
// modally with the right button and the chosen item comes back as its command id (0 when
// the menu was dismissed); the caller then sends that command to its window. A test puts
// a stand-in in place of the tracking that sees the items with their texts and grey
// states and picks one.
#pragma once

#include "shell/windows_api.h"

#include <functional>
#include <string>
#include <vector>

struct PopupMenuItem {
  UINT id;
  std::wstring text;
  bool grayed;
};

// Tracks `menu` at the screen point (x, y), owned by `owner`; returns the chosen id or 0.
int track_popup_menu(HMENU menu, int x, int y, HWND owner);

// The items of a menu as the user would see them.
std::vector<PopupMenuItem> popup_menu_items(HMENU menu);

using PopupMenuHandler = std::function<int(HWND owner, const std::vector<PopupMenuItem>& items)>;
// Installs the stand-in; an empty handler brings the real menu back.
void set_popup_menu_handler(PopupMenuHandler handler);
