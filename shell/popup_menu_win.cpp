#include "shell/popup_menu_win.h"

#include <iterator>
#include <utility>

#include "shell/modifier_keys_win.h"
#include "shell/text_win.h"

namespace {
PopupMenuHandler& popup_handler() {
  static PopupMenuHandler h;
  return h;
}
ModifierKeyHandler& modifier_handler() {
  static ModifierKeyHandler h;
  return h;
}
bool key_down(int virtual_key) {
  if (modifier_handler()) return modifier_handler()(virtual_key);
  return (GetKeyState(virtual_key) & 0x8000) != 0;
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

std::vector<PopupMenuItem> popup_menu_items(HMENU menu) {
  std::vector<PopupMenuItem> items;
  const int count = GetMenuItemCount(menu);
  for (int i = 0; i < count; ++i) {
    wchar_t text[256] = {};
    MENUITEMINFOW info{};
    info.cbSize = sizeof info;
    info.fMask = MIIM_ID | MIIM_STATE | MIIM_STRING | MIIM_FTYPE;
    info.dwTypeData = text;
    info.cch = static_cast<UINT>(std::size(text) - 1);
    if (!GetMenuItemInfoW(menu, static_cast<UINT>(i), TRUE, &info)) continue;
    PopupMenuItem item;
    item.id = (info.fType & MFT_SEPARATOR) != 0 ? 0 : static_cast<int>(info.wID);
    wide_to_cp932(text, item.text);
    item.checked = (info.fState & MFS_CHECKED) != 0;
    item.grayed = (info.fState & MFS_GRAYED) != 0;
    items.push_back(std::move(item));
  }
  return items;
}

int track_popup_menu(HMENU menu, int x, int y, HWND owner) {
  if (popup_handler()) return popup_handler()(owner, popup_menu_items(menu), POINT{x, y});
  return static_cast<int>(
      TrackPopupMenu(menu, TPM_RIGHTBUTTON | TPM_RETURNCMD | TPM_NONOTIFY, x, y, 0, owner, nullptr));
}

void set_popup_menu_handler(PopupMenuHandler handler) { popup_handler() = std::move(handler); }

bool control_key_down() { return key_down(VK_CONTROL); }

// shift_key_down itself is the keyboard seam's (shell/modifier_keys_win.h); a modifier
// stand-in answers it too.
void set_modifier_key_handler(ModifierKeyHandler handler) {
  if (handler) {
    set_shift_key_reader([handler] { return handler(VK_SHIFT); });
  } else {
    set_shift_key_reader({});
  }
  modifier_handler() = std::move(handler);
}
