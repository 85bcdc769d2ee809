// The frame's routing: forwarding, the edit-mode preparation, Enter, the tool guard,
// the menu states and the accelerators that reach their commands.
#include "bars_frame.h"

#include "shell/menu_states.h"

namespace {

using bars_test::BarsFrame;
using bars_test::child_commands;

class Routing : public BarsFrame {};

// A modeless dialog in a slot: records the WM_COMMANDs it gets and closes on WM_CLOSE.
std::vector<int> g_dialog_commands;
bool g_dialog_closed = false;

INT_PTR CALLBACK recording_dialog_proc(HWND dialog, UINT message, WPARAM wparam, LPARAM) {
  switch (message) {
    case WM_INITDIALOG:
      return TRUE;
    case WM_COMMAND:
      g_dialog_commands.push_back(LOWORD(wparam));
      return TRUE;
    case WM_CLOSE:
      g_dialog_closed = true;
      for (auto& row : g_dialog_slots)
        for (auto& slot : row)
          if (slot == reinterpret_cast<WindowHandle>(dialog)) slot = 0;
      DestroyWindow(dialog);
      return TRUE;
  }
  return FALSE;
}

HWND make_slot_dialog(HWND owner, int row) {
  // A guide template serves as a plain modeless dialog here.
  HWND dialog = CreateDialogParamW(GetModuleHandleW(nullptr), L"SETUPICDIALOG", owner, recording_dialog_proc, 0);
  dialog_slot_row(row)[0] = reinterpret_cast<WindowHandle>(dialog);
  g_dialog_commands.clear();
  g_dialog_closed = false;
  return dialog;
}

TEST_F(Routing, ForwardedCommandsReachTheActiveChildOnce) {
  HWND child = open_child();
  for (int id : {CMD_SEARCH, CMD_UNDO, CMD_SAVE, CMD_KEY_RELAY_A, CMD_RUN_NORMAL, CMD_RANGE_DELETE, CMD_SYNC_VIEW})
    command(id);
  EXPECT_EQ(commands_of(child), (std::vector<int>{CMD_SEARCH, CMD_UNDO, CMD_SAVE, CMD_KEY_RELAY_A, CMD_RUN_NORMAL,
                                                  CMD_RANGE_DELETE, CMD_SYNC_VIEW}));
  EXPECT_EQ(g_active_child, child);
}

TEST_F(Routing, FrameCommandsGoToTheirHandlerNotTheChild) {
  static std::vector<int> handled;
  handled.clear();
  HWND child = open_child();
  set_frame_command_handler(CMD_SCREEN_MONITOR, [](HWND, WPARAM w, LPARAM) -> LRESULT {
    handled.push_back(LOWORD(w));
    return 0;
  });
  command(CMD_SCREEN_MONITOR);
  command(CMD_PRINT);  // a frame command without a handler here: nothing happens
  set_frame_command_handler(CMD_SCREEN_MONITOR, nullptr);
  EXPECT_EQ(handled, (std::vector<int>{CMD_SCREEN_MONITOR}));
  EXPECT_TRUE(commands_of(child).empty());
}

TEST_F(Routing, WithoutAChildAForwardedCommandIsDropped) {
  EXPECT_EQ(command(CMD_SEARCH), 0);
  EXPECT_EQ(g_active_child, nullptr);
  EXPECT_TRUE(child_commands().empty());
}

TEST_F(Routing, RangeMenuItemClosesDialogsAndSetsTheModeFirst) {
  show_toolbar(CMD_SCREEN_DESIGN);
  HWND child = open_child();
  make_slot_dialog(frame, SCREEN_KIND_DESIGN);
  check_toolbar_button(CMD_TOOL_RELAY_A, true);
  set_mode_flag(CMD_TOOL_RELAY_A, 1);
  set_mode_flag(CMD_SEARCH, 1);
  command(CMD_RANGE_SELECT);
  EXPECT_TRUE(g_dialog_closed);
  EXPECT_EQ(dialog_slot_row(SCREEN_KIND_DESIGN)[0], 0u);
  ASSERT_EQ(commands_of(child), (std::vector<int>{CMD_RANGE_SELECT}));
  const auto& seen = child_commands().back();
  EXPECT_EQ(seen.range_mode_flag, 1);
  EXPECT_GT(seen.range_button, 0);
  EXPECT_EQ(seen.relay_tool_flag, 0);
  EXPECT_EQ(get_mode_flag(CMD_SEARCH), 0);
  EXPECT_EQ(SendMessageW(g_toolbar, TB_ISBUTTONCHECKED, CMD_TOOL_RELAY_A, 0), 0);
}

TEST_F(Routing, BlankLineMenuItemSetsItsMode) {
  show_toolbar(CMD_SCREEN_DESIGN);
  open_child();
  command(CMD_LEFT_CLOSE);
  EXPECT_EQ(get_mode_flag(CMD_BLANK_LINE_MODE), 1);
  EXPECT_EQ(get_mode_flag(CMD_RANGE_MODE), 0);
}

TEST_F(Routing, RangeDeleteLeavesDialogsAndModes) {
  show_toolbar(CMD_SCREEN_DESIGN);
  HWND child = open_child();
  HWND dialog = make_slot_dialog(frame, SCREEN_KIND_DESIGN);
  set_mode_flag(CMD_TOOL_RELAY_A, 1);
  command(CMD_RANGE_DELETE);
  EXPECT_FALSE(g_dialog_closed);
  EXPECT_TRUE(IsWindow(dialog));
  EXPECT_EQ(get_mode_flag(CMD_TOOL_RELAY_A), 1);
  EXPECT_EQ(commands_of(child), (std::vector<int>{CMD_RANGE_DELETE}));
  DestroyWindow(dialog);
}

TEST_F(Routing, OffTheDesignToolbarThePreparationKeepsTheTools) {
  show_toolbar(CMD_SCREEN_MNEMONIC);
  open_child();
  set_mode_flag(CMD_COMMENT, 1);
  command(CMD_RANGE_COPY);
  EXPECT_EQ(get_mode_flag(CMD_COMMENT), 1);
  EXPECT_EQ(get_mode_flag(CMD_RANGE_MODE), 1);
}

// Enter: the design screen confirms its dialog and then the window, the monitor screen
// only its dialogs, the mnemonic screen only the window (which splits the line).
TEST_F(Routing, EnterPerScreen) {
  struct Case {
    int screen;
    std::vector<int> dialog_gets;
    std::vector<int> child_gets;
  };
  const Case cases[] = {{SCREEN_KIND_DESIGN, {IDOK}, {IDOK}},
                        {SCREEN_KIND_MONITOR, {IDOK}, {}},
                        {SCREEN_KIND_MNEMONIC, {}, {CMD_ENTER}}};
  HWND child = open_child();
  for (const Case& c : cases) {
    child_commands().clear();
    g_screen_kind = c.screen;
    HWND dialog = make_slot_dialog(frame, c.screen);
    EXPECT_EQ(command(CMD_ENTER, 1), 0);
    EXPECT_EQ(g_dialog_commands, c.dialog_gets) << c.screen;
    EXPECT_EQ(commands_of(child), c.child_gets) << c.screen;
    DestroyWindow(dialog);
    dialog_slot_row(c.screen)[0] = 0;
  }
}

TEST_F(Routing, ToolGuardRefusesToolsUnderAForeignToolbar) {
  show_toolbar(CMD_SCREEN_MNEMONIC);
  HWND child = open_child();
  boxes_->answer(IDOK);
  EXPECT_TRUE(refuse_foreign_tool_command(child, 0, CMD_TOOL_RELAY_A));
  ASSERT_EQ(boxes_->shown().size(), 1u);
  EXPECT_EQ(bars_test::narrow(boxes_->shown()[0].text), "左上のﾂｰﾙ･ﾊﾞｰで、ｱｸﾃｨﾌﾞ画面と\nﾂｰﾙ･ﾊﾞｰを適合させて下さい！");
  EXPECT_EQ(bars_test::narrow(boxes_->shown()[0].caption), "警告");
  EXPECT_EQ(boxes_->shown()[0].owner, child);
  EXPECT_FALSE(refuse_foreign_tool_command(child, 0, CMD_KEY_RELAY_A));  // F1 is outside the range
  EXPECT_FALSE(refuse_foreign_tool_command(child, 2, CMD_TOOL_RELAY_A));  // its own toolbar
  EXPECT_EQ(boxes_->shown().size(), 1u);
}

// The state of a menu item: enabled (true) or greyed.
bool item_enabled(HMENU menu, int id) {
  const UINT state = GetMenuState(menu, static_cast<UINT>(id), MF_BYCOMMAND);
  return state != 0xFFFFFFFF && (state & (MF_GRAYED | MF_DISABLED)) == 0;
}

TEST_F(Routing, MenuStatesOfTheDocumentMenu) {
  open_child();
  HMENU document_menu = g_document_menu;
  ASSERT_EQ(GetMenu(frame), document_menu);
  for (MenuScreen screen : {MenuScreen::Design, MenuScreen::Mnemonic, MenuScreen::Monitor}) {
    for (bool clip : {false, true}) {
      g_clip_valid = clip ? 1 : 0;
      // Start from every item enabled, so that untouched items show as enabled.
      enable_menu_range(document_menu, 1100, 200, 1);
      apply_menu_state(frame, screen);
      for (int id = 1100; id < 1300; ++id) {
        if (GetMenuState(document_menu, static_cast<UINT>(id), MF_BYCOMMAND) == 0xFFFFFFFF) continue;
        const MenuItemState state = menu_item_state(screen, id);
        const bool expected = state == MenuItemState::Untouched || menu_state_enables(state, clip);
        EXPECT_EQ(item_enabled(document_menu, id), expected) << static_cast<int>(screen) << " " << id;
      }
    }
  }
  g_clip_valid = 0;
}

TEST_F(Routing, EmptyStateOnTheMainMenu) {
  ASSERT_EQ(GetMenu(frame), g_main_menu);
  // The frame's creation applied the empty state.
  for (int id : {1209, 1210, 1154, 1158, 1216, 1211}) EXPECT_TRUE(item_enabled(g_main_menu, id)) << id;
  enable_menu_range(g_main_menu, 1100, 200, 0);
  set_menu_state_empty(frame);
  for (int id : {1209, 1210, 1154, 1158, 1216, 1211}) EXPECT_TRUE(item_enabled(g_main_menu, id)) << id;
}

// A key press as the message loop sees it, with the modifier keys held.
bool press(HWND target, HACCEL table, UINT key, bool ctrl, bool shift, bool alt) {
  BYTE keys[256] = {};
  GetKeyboardState(keys);
  keys[VK_CONTROL] = ctrl ? 0x80 : 0;
  keys[VK_SHIFT] = shift ? 0x80 : 0;
  keys[VK_MENU] = alt ? 0x80 : 0;
  SetKeyboardState(keys);
  MSG msg{};
  msg.hwnd = target;
  msg.message = alt || key == VK_F10 ? WM_SYSKEYDOWN : WM_KEYDOWN;
  msg.wParam = key;
  msg.lParam = 1 | (alt ? (1 << 29) : 0);
  const bool taken = translate_program_message(msg, table);
  keys[VK_CONTROL] = keys[VK_SHIFT] = keys[VK_MENU] = 0;
  SetKeyboardState(keys);
  return taken;
}

TEST_F(Routing, NoScreenSwallowsTheKeysOfItsOwnCommands) {
  HACCEL table = accelerators_;
  HWND child = open_child();
  struct Key {
    UINT key;
    bool ctrl;
    int id;
  };
  struct Screen {
    void (*apply)(HWND);
    int toolbar;
    std::vector<Key> keys;
  };
  const Screen screens[] = {
      {set_menu_state_design, CMD_SCREEN_DESIGN,
       {{VK_F3, true, CMD_SET_NUMBER}, {VK_F4, true, CMD_REPLACE}, {VK_F5, true, CMD_SEARCH},
        {VK_F6, true, CMD_COMMENT}, {VK_F11, true, CMD_COMPILE_LADDER}}},
      {set_menu_state_mnemonic, CMD_SCREEN_MNEMONIC, {{VK_F5, true, CMD_SEARCH}, {VK_F6, true, CMD_COMMENT}}},
      {set_menu_state_monitor, CMD_SCREEN_OPERATION, {{VK_F5, true, CMD_SEARCH}}},
  };
  for (const Screen& s : screens) {
    show_toolbar(s.toolbar);
    s.apply(frame);
    for (const Key& k : s.keys) {
      child_commands().clear();
      press(child, table, k.key, k.ctrl, false, false);
      pump_messages();
      EXPECT_EQ(commands_of(child), (std::vector<int>{k.id})) << s.toolbar << " key " << k.key;
    }
  }
}

TEST_F(Routing, AGreyedItemSwallowsItsKey) {
  // The platform's behaviour that the menu states are built around.
  HACCEL table = accelerators_;
  HWND child = open_child();
  set_menu_state_mnemonic(frame);  // 番号設定 (Ctrl+F3) is greyed on the mnemonic screen
  child_commands().clear();
  press(child, table, VK_F3, true, false, false);
  pump_messages();
  EXPECT_TRUE(commands_of(child).empty());
}

}  // namespace
