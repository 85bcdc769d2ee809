#include "shell/menu_states.h"

#include <gtest/gtest.h>

#include <map>
#include <set>

#include "shell/command_ids.h"

namespace {

using S = MenuItemState;

// The full table: screen -> id -> state.
const std::map<int, std::array<S, 4>>& expected_table() {
  static const std::map<int, std::array<S, 4>> table = [] {
    std::map<int, std::array<S, 4>> t;
    const S U = S::Untouched, E = S::Enabled, G = S::Greyed, C = S::WhileClipValid;
    //            Empty Design Mnemonic Monitor
    t[1209] = {E, U, U, U};
    t[1210] = {E, U, U, U};
    t[1154] = {E, E, E, G};
    t[1158] = {E, E, E, G};
    t[1216] = {E, E, G, G};
    t[1211] = {E, E, E, E};
    t[1212] = {U, E, E, E};
    t[1213] = {U, E, E, G};
    t[1214] = {U, E, E, G};
    t[1160] = {U, G, E, E};
    t[1163] = {U, E, G, E};
    t[1162] = {U, E, E, U};
    t[1242] = {U, E, E, G};
    t[1179] = {U, E, G, G};
    t[1180] = {U, E, E, G};  // the mnemonic window copies lines
    t[1181] = {U, E, E, G};  // ... and cuts them
    t[1182] = {U, E, G, G};
    t[1183] = {U, C, E, G};  // ... and pastes them
    for (int id = 1184; id <= 1187; ++id) t[id] = {U, E, G, G};
    t[1114] = {U, E, G, G};
    t[1115] = {U, E, E, G};
    t[1116] = {U, E, E, G};
    t[1117] = {U, E, E, E};  // the monitor window searches
    t[1190] = {U, E, G, G};
    t[1192] = {U, G, E, G};
    return t;
  }();
  return table;
}

TEST(MenuStates, EveryScreenMatchesTheTable) {
  const MenuScreen screens[] = {MenuScreen::Empty, MenuScreen::Design, MenuScreen::Mnemonic, MenuScreen::Monitor};
  const auto& table = expected_table();
  for (int s = 0; s < 4; ++s) {
    for (int id = 1000; id < 2000; ++id) {
      auto it = table.find(id);
      const S expected = it == table.end() ? S::Untouched : it->second[s];
      EXPECT_EQ(menu_item_state(screens[s], id), expected) << "screen " << s << " id " << id;
    }
  }
}

TEST(MenuStates, PasteFollowsTheRangeClipboardOnTheDesignScreen) {
  const S paste = menu_item_state(MenuScreen::Design, CMD_RANGE_PASTE);
  EXPECT_FALSE(menu_state_enables(paste, false));
  EXPECT_TRUE(menu_state_enables(paste, true));
  EXPECT_TRUE(menu_state_enables(S::Enabled, false));
  EXPECT_FALSE(menu_state_enables(S::Greyed, true));
}

TEST(MenuStates, RangesDoNotOverlap) {
  for (MenuScreen screen : {MenuScreen::Empty, MenuScreen::Design, MenuScreen::Mnemonic, MenuScreen::Monitor}) {
    std::set<int> seen;
    for (const auto& range : menu_state_ranges(screen)) {
      EXPECT_GT(range.count, 0);
      for (int id = range.first_id; id < range.first_id + range.count; ++id) EXPECT_TRUE(seen.insert(id).second) << id;
    }
  }
}

// A greyed menu item swallows its accelerator. No screen may grey an accelerator's
// command that its own window carries out.
TEST(MenuStates, NoScreenGreysTheAcceleratorsItsWindowHandles) {
  // Accelerator ids that also stand in the menus.
  const std::set<int> accelerated = {CMD_SCREEN_DESIGN, CMD_SCREEN_MONITOR, CMD_SCREEN_MNEMONIC, CMD_SET_NUMBER,
                                     CMD_REPLACE,       CMD_SEARCH,         CMD_COMMENT,         CMD_COMPILE_LADDER};
  // Menu commands carried out by each screen's window.
  const std::set<int> design = {1114, 1115, 1116, 1117, 1179, 1180, 1181, 1182, 1184, 1185,
                                1186, 1187, 1190, 1213, 1214};
  const std::set<int> mnemonic = {1116, 1117, 1180, 1181, 1183, 1192, 1213, 1214};
  const std::set<int> monitor = {1117};
  const std::pair<MenuScreen, const std::set<int>*> screens[] = {
      {MenuScreen::Design, &design}, {MenuScreen::Mnemonic, &mnemonic}, {MenuScreen::Monitor, &monitor}};
  for (const auto& [screen, handled] : screens) {
    for (int id : *handled) {
      const S state = menu_item_state(screen, id);
      if (id == CMD_RANGE_PASTE && screen == MenuScreen::Design) continue;  // follows the clipboard
      EXPECT_TRUE(state == S::Enabled || state == S::Untouched) << id;
      if (accelerated.count(id)) {
        EXPECT_EQ(state, S::Enabled) << id;
      }
    }
  }
}

}  // namespace
