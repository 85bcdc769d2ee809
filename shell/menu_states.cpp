#include "shell/menu_states.h"

#include <array>

#include "shell/command_ids.h"

int g_clip_valid = 0;

namespace {

using S = MenuItemState;

constexpr std::array<MenuStateRange, 5> EMPTY_STATE{{
    {CMD_NEW_DESIGN, 2, S::Enabled},     // 1209, 1210
    {CMD_OPEN_DESIGN, 1, S::Enabled},    // 1154
    {CMD_OPEN_MNEMONIC, 1, S::Enabled},  // 1158
    {CMD_PRINT, 1, S::Enabled},          // 1216
    {CMD_EXIT, 1, S::Enabled},           // 1211
}};

constexpr std::array<MenuStateRange, 19> DESIGN_STATE{{
    {CMD_OPEN_DESIGN, 1, S::Enabled},
    {CMD_OPEN_MNEMONIC, 1, S::Enabled},
    {CMD_PRINT, 1, S::Enabled},
    {CMD_EXIT, 1, S::Enabled},
    {CMD_CLOSE_ALL, 1, S::Enabled},
    {CMD_SAVE, 2, S::Enabled},             // 1213, 1214
    {CMD_SCREEN_DESIGN, 1, S::Greyed},     // the screen shown
    {CMD_SCREEN_MNEMONIC, 1, S::Enabled},
    {CMD_COM_DIALOG, 1, S::Enabled},
    {CMD_SCREEN_MONITOR, 1, S::Enabled},
    {CMD_RANGE_SELECT, 4, S::Enabled},     // 1179-1182
    {CMD_RANGE_PASTE, 1, S::WhileClipValid},
    {CMD_BLANK_OPEN, 4, S::Enabled},       // 1184-1187
    {CMD_SET_NUMBER, 1, S::Enabled},
    {CMD_REPLACE, 1, S::Enabled},
    {CMD_COMMENT, 1, S::Enabled},
    {CMD_SEARCH, 1, S::Enabled},
    {CMD_COMPILE_LADDER, 1, S::Enabled},
    {CMD_COMPILE_MNEMONIC, 1, S::Greyed},
}};

constexpr std::array<MenuStateRange, 21> MNEMONIC_STATE{{
    {CMD_OPEN_DESIGN, 1, S::Enabled},
    {CMD_OPEN_MNEMONIC, 1, S::Enabled},
    {CMD_PRINT, 1, S::Greyed},
    {CMD_EXIT, 1, S::Enabled},
    {CMD_CLOSE_ALL, 1, S::Enabled},
    {CMD_SAVE, 2, S::Enabled},
    {CMD_SCREEN_DESIGN, 1, S::Enabled},
    {CMD_SCREEN_MNEMONIC, 1, S::Greyed},   // the screen shown
    {CMD_COM_DIALOG, 1, S::Enabled},
    {CMD_SCREEN_MONITOR, 1, S::Enabled},
    {CMD_RANGE_SELECT, 1, S::Greyed},
    {CMD_RANGE_COPY, 2, S::Enabled},       // 1180, 1181: the mnemonic window copies and cuts lines
    {CMD_RANGE_DELETE, 1, S::Greyed},
    {CMD_RANGE_PASTE, 1, S::Enabled},      // the mnemonic window pastes lines
    {CMD_BLANK_OPEN, 4, S::Greyed},
    {CMD_SET_NUMBER, 1, S::Greyed},
    {CMD_REPLACE, 1, S::Enabled},
    {CMD_COMMENT, 1, S::Enabled},
    {CMD_SEARCH, 1, S::Enabled},
    {CMD_COMPILE_LADDER, 1, S::Greyed},
    {CMD_COMPILE_MNEMONIC, 1, S::Enabled},
}};

constexpr std::array<MenuStateRange, 18> MONITOR_STATE{{
    {CMD_OPEN_DESIGN, 1, S::Greyed},
    {CMD_OPEN_MNEMONIC, 1, S::Greyed},
    {CMD_PRINT, 1, S::Greyed},
    {CMD_EXIT, 1, S::Enabled},
    {CMD_CLOSE_ALL, 1, S::Enabled},
    {CMD_SAVE, 2, S::Greyed},
    {CMD_SCREEN_DESIGN, 1, S::Enabled},
    {CMD_SCREEN_MNEMONIC, 1, S::Enabled},
    {CMD_SCREEN_MONITOR, 1, S::Greyed},    // the screen shown
    {CMD_RANGE_SELECT, 4, S::Greyed},
    {CMD_RANGE_PASTE, 1, S::Greyed},
    {CMD_BLANK_OPEN, 4, S::Greyed},
    {CMD_SET_NUMBER, 1, S::Greyed},
    {CMD_REPLACE, 1, S::Greyed},
    {CMD_COMMENT, 1, S::Greyed},
    {CMD_SEARCH, 1, S::Enabled},           // the monitor window searches (Ctrl+F5)
    {CMD_COMPILE_LADDER, 1, S::Greyed},
    {CMD_COMPILE_MNEMONIC, 1, S::Greyed},
}};

}  // namespace

std::span<const MenuStateRange> menu_state_ranges(MenuScreen screen) {
  switch (screen) {
    case MenuScreen::Empty:
      return EMPTY_STATE;
    case MenuScreen::Design:
      return DESIGN_STATE;
    case MenuScreen::Mnemonic:
      return MNEMONIC_STATE;
    case MenuScreen::Monitor:
      return MONITOR_STATE;
  }
  return {};
}

MenuItemState menu_item_state(MenuScreen screen, int id) {
  MenuItemState state = MenuItemState::Untouched;
  for (const auto& range : menu_state_ranges(screen))
    if (id >= range.first_id && id < range.first_id + range.count) state = range.state;
  return state;
}
