#include "shell/menu_states_win.h"

#include "shell/frame_handles_win.h"

void enable_menu_range(HMENU menu, int first_id, int count, int enable) {
  if (menu == nullptr) return;
  const UINT flags = MF_BYCOMMAND | (enable != 0 ? MF_ENABLED : (MF_GRAYED | MF_DISABLED));
  for (int id = first_id; id < first_id + count; ++id) EnableMenuItem(menu, static_cast<UINT>(id), flags);
}

void set_menu_items_state(HWND frame, MenuScreen screen) {
  HMENU menu = GetMenu(frame);
  g_frame_menu = menu;
  for (const MenuStateRange& range : menu_state_ranges(screen))
    enable_menu_range(menu, range.first_id, range.count, menu_state_enables(range.state, g_clip_valid != 0) ? 1 : 0);
}

void apply_menu_state(HWND frame, MenuScreen screen) {
  set_menu_items_state(frame, screen);
  DrawMenuBar(frame);
}

void set_menu_state_empty(HWND frame) { apply_menu_state(frame, MenuScreen::Empty); }
void set_menu_state_design(HWND frame) { apply_menu_state(frame, MenuScreen::Design); }
void set_menu_state_mnemonic(HWND frame) { apply_menu_state(frame, MenuScreen::Mnemonic); }
void set_menu_state_monitor(HWND frame) { apply_menu_state(frame, MenuScreen::Monitor); }
