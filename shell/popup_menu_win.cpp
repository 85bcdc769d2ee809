#include "shell/popup_menu_win.h"

#include <utility>

namespace {
PopupMenuHandler& handler() {
  static PopupMenuHandler h;
  return h;
}
}  // namespace

std::vector<PopupMenuItem> popup_menu_items(HMENU menu) {
  std::vector<PopupMenuItem> items;
  const int count = GetMenuItemCount(menu);
  for (int i = 0; i < count; ++i) {
    wchar_t text[256] = {};
    MENUITEMINFOW info{};
    info.cbSize = sizeof info;
    info.fMask = MIIM_ID | MIIM_STATE | MIIM_STRING;
    info.dwTypeData = text;
    info.cch = static_cast<UINT>(std::size(text) - 1);
    if (!GetMenuItemInfoW(menu, static_cast<UINT>(i), TRUE, &info)) continue;
    items.push_back({info.wID, text, (info.fState & MFS_GRAYED) != 0});
  }
  return items;
}

int track_popup_menu(HMENU menu, int x, int y, HWND owner) {
  if (handler()) return handler()(owner, popup_menu_items(menu));
  return static_cast<int>(
      TrackPopupMenu(menu, TPM_RIGHTBUTTON | TPM_RETURNCMD | TPM_NONOTIFY, x, y, 0, owner, nullptr));
}

void set_popup_menu_handler(PopupMenuHandler h) { handler() = std::move(h); }
