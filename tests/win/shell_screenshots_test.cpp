// Pictures of the frame with each screen's toolbar, of the guide dialogs and of the
// Edit menu in the design state, for a person to look at (build/screenshots/*.png).
#include "bars_frame.h"

#include <string>

#include "shell/guide_dialogs_win.h"
#include "shell/settings_file.h"
#include "shell/status_parts.h"

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

}  // namespace
