#include "shell/command_routing.h"

#include <gtest/gtest.h>

#include <set>

#include "shell/mode_flags.h"

namespace {

TEST(CommandRouting, FrameCommandsAreNotForwarded) {
  const std::set<int> frame = {CMD_IO_DISPLAY,     CMD_OPEN_DESIGN,     CMD_OPEN_MNEMONIC, CMD_SCREEN_DESIGN,
                               CMD_SCREEN_OPERATION, CMD_COM_DIALOG,    CMD_SCREEN_MNEMONIC, CMD_SEQ_TO_DESIGN,
                               CMD_SEQ_TO_MNEMONIC, CMD_NEW_DESIGN,     CMD_NEW_MNEMONIC,  CMD_EXIT,
                               CMD_CLOSE_ALL,      CMD_PRINT,           CMD_SCREEN_MONITOR, CMD_WRITE_LADDER};
  for (int id = 0; id < 3000; ++id) {
    const CommandRoute route = classify_frame_command(id);
    if (id == ID_COM_COMBO) {
      EXPECT_EQ(route, CommandRoute::ComboSelection);
    } else if (id == CMD_ENTER) {
      EXPECT_EQ(route, CommandRoute::EnterKey);
    } else if (id == CMD_PORT_CHECK) {
      EXPECT_EQ(route, CommandRoute::PortCheck);
    } else if (frame.count(id) || (id >= 1936 && id <= 1956)) {
      EXPECT_EQ(route, CommandRoute::FrameCommand) << id;
    } else if ((id >= 1179 && id <= 1181) || (id >= 1183 && id <= 1187)) {
      EXPECT_EQ(route, CommandRoute::PrepareThenForward) << id;
    } else {
      EXPECT_EQ(route, CommandRoute::Forward) << id;
    }
  }
}

TEST(CommandRouting, ForwardedIdsOfThePartsAreForwarded) {
  for (int id : {IDOK, CMD_ESCAPE, CMD_PAGE_UP, CMD_PAGE_DOWN, CMD_KEY_RELAY_A, CMD_KEY_ERASE, CMD_TOOL_RELAY_A,
                 CMD_TOOL_ERASE, CMD_SET_NUMBER, CMD_REPLACE, CMD_COMMENT, CMD_SEARCH, CMD_UNDO, CMD_REDO,
                 CMD_RANGE_MODE, CMD_BLANK_LINE_MODE, CMD_RANGE_DELETE, CMD_COMPILE_LADDER, CMD_COMPILE_MNEMONIC,
                 CMD_SAVE, CMD_SAVE_AS, CMD_FIT_WINDOW, CMD_KEY_LINK_UP, CMD_SEARCH_UP, CMD_SEARCH_DOWN,
                 CMD_RUN_NORMAL, CMD_SWAP_SCREEN, CMD_COMPARE_VIEWS, CMD_QUERY_MODIFIED, CMD_SYNC_VIEW,
                 FIRST_MDI_CHILD_ID})
    EXPECT_EQ(classify_frame_command(id), CommandRoute::Forward) << id;
}

TEST(CommandRouting, EditMenuPreparation) {
  struct Case {
    int id;
    int mode;
  };
  const Case cases[] = {{1178, 0},    {1179, 1134}, {1180, 1134}, {1181, 1134}, {1182, 0},    {1183, 1134},
                        {1184, 1135}, {1185, 1135}, {1186, 1135}, {1187, 1135}, {1188, 0},    {1134, 0},
                        {1135, 0},    {1896, 0},    {1903, 0}};
  for (const auto& c : cases) EXPECT_EQ(edit_mode_prepared_for(c.id), c.mode) << c.id;
}

TEST(CommandRouting, ToolGuard) {
  struct Case {
    int id;
    bool guarded;
  };
  const Case cases[] = {{1089, false}, {1100, false}, {1101, true},  {1117, true},
                        {1119, true},  {1148, true},  {1149, false}, {1179, false}};
  for (const auto& c : cases) {
    for (int own = 0; own <= 2; ++own) {
      for (int shown = 0; shown <= 3; ++shown) {
        const bool expected = c.guarded && shown != own;
        EXPECT_EQ(tool_guard_refuses(shown, own, c.id), expected) << c.id << " shown " << shown << " own " << own;
      }
    }
  }
}

TEST(CommandRouting, EnterPerScreen) {
  const EnterRouting design = route_enter(SCREEN_KIND_DESIGN);
  EXPECT_FALSE(design.forward_to_child);
  EXPECT_TRUE(design.ok_to_dialogs);
  EXPECT_TRUE(design.ok_to_child);
  const EnterRouting monitor = route_enter(SCREEN_KIND_MONITOR);
  EXPECT_FALSE(monitor.forward_to_child);
  EXPECT_TRUE(monitor.ok_to_dialogs);
  EXPECT_FALSE(monitor.ok_to_child);
  const EnterRouting mnemonic = route_enter(SCREEN_KIND_MNEMONIC);
  EXPECT_TRUE(mnemonic.forward_to_child);
  EXPECT_FALSE(mnemonic.ok_to_dialogs);
  EXPECT_FALSE(mnemonic.ok_to_child);
}

TEST(CommandRouting, PortNumberFromComboText) {
  struct Case {
    const char* text;
    int number;
  };
  const Case cases[] = {{"COM1", 1},   {"COM12", 12}, {"COM0", 0},   {"COM", -1},   {"CO", -1},
                        {"", -1},      {"COMx", -1},  {"COM7 ", 7},  {"XYZ3", 3},   {"COM99999", -1}};
  for (const auto& c : cases) EXPECT_EQ(port_number_from_combo_text(c.text), c.number) << c.text;
  EXPECT_EQ(port_number_from_combo_text(nullptr), -1);
}

TEST(ModeFlags, IndexCoversExactly1101To1251) {
  EXPECT_EQ(mode_flag_index(1100), -1);
  EXPECT_EQ(mode_flag_index(1101), 0);
  EXPECT_EQ(mode_flag_index(1251), 150);
  EXPECT_EQ(mode_flag_index(1252), -1);
  EXPECT_EQ(g_mode_flags.size(), 151u);
}

TEST(ModeFlags, SetGetAndClear) {
  clear_mode_flags();
  set_mode_flag(CMD_RANGE_MODE, 1);
  set_mode_flag(1251, 1);
  set_mode_flag(1252, 1);  // no flag: ignored
  set_mode_flag(1100, 1);
  EXPECT_EQ(get_mode_flag(CMD_RANGE_MODE), 1);
  EXPECT_EQ(g_mode_flags[150], 1);
  EXPECT_EQ(get_mode_flag(1252), 0);
  int set = 0;
  for (int v : g_mode_flags) set += v;
  EXPECT_EQ(set, 2);
  clear_mode_flags();
  for (int v : g_mode_flags) EXPECT_EQ(v, 0);
}

TEST(ModeFlags, MonitorClearKeepsPause) {
  for (auto& v : g_mode_flags) v = 1;
  clear_monitor_mode_flags();
  for (int id = 1101; id <= 1251; ++id) EXPECT_EQ(get_mode_flag(id), id == CMD_PAUSE ? 1 : 0) << id;
  set_mode_flag(CMD_PAUSE, 0);
  set_mode_flag(CMD_SEARCH, 1);
  clear_monitor_mode_flags();
  EXPECT_EQ(get_mode_flag(CMD_PAUSE), 0);
  EXPECT_EQ(get_mode_flag(CMD_SEARCH), 0);
}

}  // namespace
