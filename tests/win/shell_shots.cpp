// Pictures for a person to look at (build/screenshots/*.png): the frame at its first
// start and with its File menu open, the frame with each screen's toolbar, the guide
// dialogs and the Edit menu in the design state. Not a test: scripts/screenshot.sh
// --shots runs this program (screenshots.exe) on a private display. The pictures open
// real menus, whose modal loop the Win32 tests never enter.
#include "bars_frame.h"

#include <string>

#include "shell/guide_dialogs_win.h"
#include "shell/settings_file.h"
#include "shell/status_parts.h"
#include "win/rig_helper.h"

namespace {

using bars_test::BarsFrame;

int two_ports(int slot) { return slot == 3 || slot == 5 ? 1 : 0; }
int no_connect(const char*) { return 0; }
void no_link() {}
int port_five() { return 5; }

class Screenshots : public BarsFrame {
 protected:
  void SetUp() override {
    saved = target_port_hooks();
    set_target_port_hooks({two_ports, no_connect, no_link, port_five});
    BarsFrame::SetUp();
  }
  void TearDown() override {
    BarsFrame::TearDown();
    set_target_port_hooks(saved);
  }
  TargetPortHooks saved{};
};

TEST_F(Screenshots, ToolbarsOfEveryScreen) {
  struct Shot {
    int kind;
    int32_t options;
    const char* name;
  };
  const int32_t saved_bits = g_option_bits;
  for (Shot s : {Shot{TOOLBAR_INITIAL, 0x11, "toolbar_initial"}, Shot{CMD_SCREEN_DESIGN, 0x11, "toolbar_design"},
                 Shot{CMD_SCREEN_DESIGN, 0x13, "toolbar_design_keys"}, Shot{CMD_SCREEN_OPERATION, 0x11, "toolbar_monitor"},
                 Shot{CMD_SCREEN_MNEMONIC, 0x11, "toolbar_mnemonic"}}) {
    g_option_bits = s.options;
    show_toolbar(s.kind);
    if (s.kind == CMD_SCREEN_DESIGN) check_toolbar_button(CMD_TOOL_OUT, true);
    if (s.kind == CMD_SCREEN_DESIGN && s.options == 0x11) show_status_text_and_modes(RANGE_SUBMODE_NAMES, 1, CMD_RANGE_MODE);
    EXPECT_FALSE(save_screenshot(s.name).empty()) << s.name;
  }
  g_option_bits = saved_bits;
}

TEST_F(Screenshots, GuideDialogs) {
  struct Shot {
    GuideKind kind;
    const char* name;
  };
  for (Shot s : {Shot{GuideKind::FirstUse, "guide_first_use"}, Shot{GuideKind::DesignTips, "guide_design"},
                 Shot{GuideKind::MonitorTips, "guide_monitor"}, Shot{GuideKind::PinViewTips, "guide_pin_view"}}) {
    HWND dialog = open_guide_dialog(frame, s.kind);
    ASSERT_NE(dialog, nullptr);
    EXPECT_FALSE(save_screenshot(s.name).empty()) << s.name;
  }
}

// While the Edit menu is open (the real menu loop), a timer opens its range submenu with
// the Right key, a second one takes the picture and closes the menu again.
std::string g_menu_png;
void CALLBACK shoot_open_menu(HWND, UINT, UINT_PTR timer, DWORD) {
  KillTimer(nullptr, timer);
  g_menu_png = save_screenshot("edit_menu_design_state");
  EndMenu();
}
void CALLBACK open_range_submenu(HWND, UINT, UINT_PTR timer, DWORD) {
  KillTimer(nullptr, timer);
  keybd_event(VK_RIGHT, 0, 0, 0);
  keybd_event(VK_RIGHT, 0, KEYEVENTF_KEYUP, 0);
  SetTimer(nullptr, 0, 500, shoot_open_menu);
}

TEST_F(Screenshots, EditMenuInTheDesignState) {
  show_toolbar(CMD_SCREEN_DESIGN);
  open_child();
  set_menu_state_design(frame);  // the range clipboard is empty: 貼り付け is greyed
  g_menu_png.clear();
  SetTimer(nullptr, 0, 500, open_range_submenu);
  PostMessageW(frame, WM_SYSCOMMAND, SC_KEYMENU, 'e');
  for (int i = 0; i < 150 && g_menu_png.empty(); ++i) {
    pump_messages();
    Sleep(20);
  }
  EXPECT_FALSE(g_menu_png.empty());
}

class FrameShots : public ProgramTest {};

TEST_F(FrameShots, FirstStart) {
  ASSERT_TRUE(start());
  const std::string png = save_screenshot("frame_first_start");
  EXPECT_FALSE(png.empty());
}

// While the File menu is open (the real menu loop), a timer takes the picture and
// closes the menu again.
struct OpenMenuShot {
  bool menu_seen = false;
  std::string png;
};
OpenMenuShot* g_menu_shot = nullptr;

BOOL CALLBACK find_open_menu(HWND window, LPARAM) {
  wchar_t name[16] = L"";
  GetClassNameW(window, name, 16);
  if (std::wstring(name) == L"#32768" && IsWindowVisible(window)) g_menu_shot->menu_seen = true;
  return TRUE;
}

void CALLBACK shoot_open_file_menu(HWND, UINT, UINT_PTR timer, DWORD) {
  KillTimer(nullptr, timer);
  EnumWindows(find_open_menu, 0);
  g_menu_shot->png = save_screenshot("frame_file_menu");
  EndMenu();
}

TEST_F(FrameShots, OpenFileMenu) {
  write_file_bytes(folder_->file(L"file.ini"),
                   "iDirectory C:\\PROJ\\LAMP.MBS\r\n[SETUF] 1 1 1 1 11 Courier 0 125 0\r\n[RS232C] 1\r\n[ROMWRT] \r\n"
                   "C:\\PROJ\\LAMP.MBS\r\nC:\\PROJ\\SINGOU.MBS\r\n");
  ASSERT_TRUE(start());
  OpenMenuShot shot;
  g_menu_shot = &shot;
  SetTimer(nullptr, 0, 500, shoot_open_file_menu);
  PostMessageW(frame_, WM_SYSCOMMAND, SC_KEYMENU, 'f');
  for (int i = 0; i < 100 && shot.png.empty(); ++i) {
    pump_messages();
    Sleep(20);
  }
  g_menu_shot = nullptr;
  EXPECT_TRUE(shot.menu_seen);
  EXPECT_FALSE(shot.png.empty());
}

}  // namespace
