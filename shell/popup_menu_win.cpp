#include "shell/popup_menu_win.h"

#include <utility>

#include "shell/text_win.h"

namespace {
PopupMenuHandler& popup_handler() {
  static PopupMenuHandler h;
  return h;
}
}  // namespace

int show_popup_menu(HWND owner, const std::vector<PopupMenuItem>& items, POINT screen_position) {
  if (popup_handler()) return popup_handler()(owner, items, screen_position);
  HMENU menu = CreatePopupMenu();
  if (menu == nullptr) return 0;
  for (const PopupMenuItem& item : items) {
    if (item.id == 0) {
      AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
      continue;
    }
    const std::wstring text = cp932_to_wide(item.text);
    UINT flags = MF_STRING;
    if (item.checked) flags |= MF_CHECKED;
    if (item.grayed) flags |= MF_GRAYED;
    AppendMenuW(menu, flags, static_cast<UINT_PTR>(item.id), text.c_str());
  }
  // TPM_RETURNCMD: the choice comes back here instead of as a posted WM_COMMAND, so the
  // caller sends it on in the same order whether a user or a test chose it.
  const int chosen = TrackPopupMenu(menu, TPM_RIGHTBUTTON | TPM_RETURNCMD | TPM_NONOTIFY, screen_position.x,
                                    screen_position.y, 0, owner, nullptr);
  DestroyMenu(menu);
  return chosen;
}

void set_popup_menu_handler(PopupMenuHandler handler) { popup_handler() = std::move(handler); }

