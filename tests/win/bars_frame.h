// The real frame with the shell's toolbars, menu states, guides and command routing
// installed, for the Win32 tests of those parts. Its document windows are of a test
// class that records every command it receives.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "rig_helper.h"
#include "shell/command_ids.h"
#include "shell/command_routing.h"
#include "frame/frame_commands_win.h"
#include "frame/frame_win.h"
#include "shell/menu_states_win.h"
#include "shell/mode_flags.h"
#include "shell/status_bar_win.h"
#include "shell/text_win.h"
#include "shell/toolbar_win.h"
#include "shell/window_lists_win.h"

namespace bars_test {

struct ChildCommand {
  HWND window;
  int id;
  LPARAM lparam;
  int range_mode_flag;  // ModeFlags entry of 1134 when the command arrived
  int range_button;     // TB_ISBUTTONCHECKED of 1134 then
  int relay_tool_flag;  // ModeFlags entry of 1101 then
};

inline std::vector<ChildCommand>& child_commands() {
  static std::vector<ChildCommand> c;
  return c;
}

inline LRESULT CALLBACK child_proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == WM_COMMAND) {
    child_commands().push_back(
        {window, LOWORD(wparam), lparam, get_mode_flag(CMD_RANGE_MODE),
         g_toolbar ? static_cast<int>(SendMessageW(g_toolbar, TB_ISBUTTONCHECKED, CMD_RANGE_MODE, 0)) : 0,
         get_mode_flag(CMD_TOOL_RELAY_A)});
    return 0;
  }
  return DefMDIChildProcW(window, message, wparam, lparam);
}

inline constexpr wchar_t CHILD_CLASS[] = L"bars_test_child";

inline std::string window_text(HWND window) {
  wchar_t buffer[512] = {};
  GetWindowTextW(window, buffer, 512);
  std::string text;
  wide_to_cp932(buffer, text);
  return text;
}

inline std::string narrow(const std::wstring& wide) {
  std::string text;
  wide_to_cp932(wide, text);
  return text;
}

class BarsFrame : public ProgramTest {
 protected:
  void SetUp() override {
    ProgramTest::SetUp();
    WNDCLASSW child_class{};
    child_class.lpfnWndProc = child_proc;
    child_class.cbWndExtra = CHILD_WINDOW_EXTRA_BYTES;
    child_class.hInstance = GetModuleHandleW(nullptr);
    child_class.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
    child_class.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
    child_class.lpszClassName = CHILD_CLASS;
    RegisterClassW(&child_class);
    child_commands().clear();
    clear_mode_flags();
    g_com_port_numbers.fill(0);
    g_combo_selection = 0;
    g_screen_kind = SCREEN_KIND_DESIGN;
    install_frame_slots();
    frame = start();
    ASSERT_NE(frame, nullptr);
    // The first start shows the start-up guide; most tests want the frame alone.
    if (close_first_guide && g_guide_dialog != 0) DestroyWindow(as_hwnd(g_guide_dialog));
    pump_messages();
  }

  void TearDown() override {
    if (g_guide_dialog != 0) DestroyWindow(as_hwnd(g_guide_dialog));
    ProgramTest::TearDown();
    UnregisterClassW(CHILD_CLASS, GetModuleHandleW(nullptr));
    g_toolbar_tooltips = nullptr;
    g_com_combo = nullptr;
  }

  HWND show_toolbar(int kind) {
    rebuild_screen_toolbar(frame, kind);
    RECT client{};
    GetClientRect(frame, &client);
    SendMessageW(frame, WM_SIZE, SIZE_RESTORED, MAKELPARAM(client.right, client.bottom));
    pump_messages();
    return g_toolbar;
  }

  // The design window fitted to the frame, on the design toolbar, as the design screen shows it.
  void fit_design_window(HWND window) {
    SendMessageW(window, WM_COMMAND, CMD_FIT_WINDOW, 0);
    pump_messages();
    if (g_toolbar_kind != TOOLBAR_KIND_DESIGN) show_toolbar(CMD_SCREEN_DESIGN);
  }
  // A new design (the frame's new-design command), fitted as above; nullptr when none opened.
  HWND open_new_design() {
    command(CMD_NEW_DESIGN);
    pump_messages();
    HWND window = as_hwnd(g_design_windows[0]);
    if (window != nullptr) fit_design_window(window);
    return window;
  }

  // A document window that has installed the document menu, as an activated one does.
  HWND open_child() {
    HWND child = create_document_window(CHILD_CLASS, L"child");
    SendMessageW(g_mdi_client, WM_MDISETMENU, reinterpret_cast<WPARAM>(g_document_menu),
                 reinterpret_cast<LPARAM>(g_document_window_menu));
    DrawMenuBar(frame);
    pump_messages();
    return child;
  }

  LRESULT command(int id, int code = 0, LPARAM lparam = 0) {
    return SendMessageW(frame, WM_COMMAND, MAKEWPARAM(id, code), lparam);
  }

  // Takes a design tool as its toolbar button does: the modes reset, the button checked and
  // its mode set; 0 only resets the modes.
  static void use_tool(int id) {
    reset_design_modes();
    if (id == 0) return;
    check_toolbar_button(id, true);
    set_mode_flag(id, 1);
  }

  // Opens a file as the user does: an open command (CMD_OPEN_DESIGN, CMD_OPEN_MNEMONIC)
  // with the file dialog's choice. Returns the active child afterwards.
  HWND open_through_dialog(int open_command, const std::string& path) {
    dialogs_->choose(path);
    command(open_command);
    pump_messages();
    return g_active_child;
  }

  std::vector<int> commands_of(HWND child) const {
    std::vector<int> ids;
    for (const auto& c : child_commands())
      if (c.window == child) ids.push_back(c.id);
    return ids;
  }

  bool close_first_guide = true;
  HWND frame = nullptr;
};

}  // namespace bars_test
