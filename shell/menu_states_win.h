// The menu states of the screens applied to the frame's current menu.
#pragma once

#include "target/windows_api.h"

#include "shell/menu_states.h"

// Enables (enable non-zero) or greys (MF_GRAYED | MF_DISABLED) `count` consecutive
// command ids of a menu; ids the menu does not hold are unaffected.
void enable_menu_range(HMENU menu, int first_id, int count, int enable);

// Applies a screen's states to the frame's current menu without redrawing the menu bar,
// for a caller that redraws it once after further changes.
void set_menu_items_state(HWND frame, MenuScreen screen);

// Applies a screen's states to the frame's current menu and redraws the menu bar.
void apply_menu_state(HWND frame, MenuScreen screen);
void set_menu_state_empty(HWND frame);
void set_menu_state_design(HWND frame);
void set_menu_state_mnemonic(HWND frame);
void set_menu_state_monitor(HWND frame);
