// A small MDI frame for the Win32 tests of the toolbars, menus, status bar, routing and
// guides: it builds its bars with the shell's functions and routes WM_COMMAND through
// route_frame_command, and its document windows record every command they receive.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/notice.h"
#include "shell/command_ids.h"
#include "shell/command_routing_win.h"
#include "shell/menu_states_win.h"
#include "shell/mode_flags.h"
#include "shell/status_bar_win.h"
#include "shell/toolbar_win.h"
#include "shell/wide_text_win.h"
#include "shell/window_lists.h"

namespace bars_test {

struct Notice {
  std::string text;
  std::string caption;
};

struct ChildCommand {
  HWND window;
  int id;
  LPARAM lparam;
  int range_mode_flag;   // ModeFlags entry of 1134 when the command arrived
  int range_button;      // TB_ISBUTTONCHECKED of 1134 then
  int relay_tool_flag;   // ModeFlags entry of 1101 then
};

inline std::vector<Notice>& notices() {
  static std::vector<Notice> n;
  return n;
}
inline std::vector<ChildCommand>& child_commands() {
  static std::vector<ChildCommand> c;
  return c;
}
inline HWND& mdi_client() {
  static HWND h = nullptr;
  return h;
}

inline LRESULT CALLBACK child_proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == WM_COMMAND) {
    child_commands().push_back({window, LOWORD(wparam), lparam, get_mode_flag(CMD_RANGE_MODE),
                                g_toolbar ? static_cast<int>(SendMessageW(g_toolbar, TB_ISBUTTONCHECKED, CMD_RANGE_MODE, 0)) : 0,
                                get_mode_flag(CMD_TOOL_RELAY_A)});
    return 0;
  }
  return DefMDIChildProcW(window, message, wparam, lparam);
}

inline LRESULT CALLBACK frame_proc(HWND frame, UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case WM_CREATE: {
      g_toolbar = create_screen_toolbar(frame, TOOLBAR_INITIAL);
      set_menu_state_empty(frame);
      create_status_bar(frame);
      CLIENTCREATESTRUCT ccs{};
      ccs.hWindowMenu = GetSubMenu(GetMenu(frame), 0);
      ccs.idFirstChild = FIRST_MDI_CHILD_ID;
      mdi_client() = CreateWindowExW(WS_EX_CLIENTEDGE, L"MDICLIENT", nullptr, WS_CHILD | WS_CLIPCHILDREN | WS_VISIBLE, 0,
                                     80, 800, 500, frame, reinterpret_cast<HMENU>(1), GetModuleHandleW(nullptr), &ccs);
      return 0;
    }
    case WM_SIZE: {
      // The bars take their room; the MDI client gets what lies between them.
      int toolbar_height = 0, status_height = 0;
      if (g_toolbar != nullptr) {
        SendMessageW(g_toolbar, TB_AUTOSIZE, 0, 0);
        RECT r{};
        GetWindowRect(g_toolbar, &r);
        toolbar_height = r.bottom - r.top;
      }
      if (g_status_bar != nullptr) {
        SendMessageW(g_status_bar, WM_SIZE, 0, 0);
        RECT r{};
        GetWindowRect(g_status_bar, &r);
        status_height = r.bottom - r.top;
      }
      if (mdi_client() != nullptr)
        MoveWindow(mdi_client(), 0, toolbar_height, LOWORD(lparam), HIWORD(lparam) - toolbar_height - status_height, TRUE);
      return 0;
    }
    case WM_COMMAND:
      return route_frame_command(frame, mdi_client(), wparam, lparam);
    case WM_MENUSELECT:
      show_menu_help(wparam, lparam);
      return 0;
  }
  return DefFrameProcW(frame, mdi_client(), message, wparam, lparam);
}

// One frame per test, destroyed afterwards; the shell's tables are reset around it.
class BarsFrame : public ::testing::Test {
 protected:
  void SetUp() override {
    static bool registered = false;
    if (!registered) {
      INITCOMMONCONTROLSEX icc{sizeof icc, ICC_BAR_CLASSES | ICC_WIN95_CLASSES};
      InitCommonControlsEx(&icc);
      WNDCLASSW frame_class{};
      frame_class.lpfnWndProc = frame_proc;
      frame_class.hInstance = GetModuleHandleW(nullptr);
      frame_class.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
      frame_class.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_APPWORKSPACE + 1);
      frame_class.lpszClassName = L"bars_test_frame";
      RegisterClassW(&frame_class);
      WNDCLASSW child_class{};
      child_class.lpfnWndProc = child_proc;
      child_class.cbWndExtra = 36;
      child_class.hInstance = GetModuleHandleW(nullptr);
      child_class.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
      child_class.hbrBackground = reinterpret_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
      child_class.lpszClassName = L"bars_test_child";
      RegisterClassW(&child_class);
      registered = true;
    }
    notices().clear();
    child_commands().clear();
    set_notice_handler([](void*, const char* text, const char* caption, unsigned) {
      notices().push_back({text, caption});
      return NoticeAnswer::OK;
    });
    reset_window_tables();
    clear_mode_flags();
    g_guide_dialog = 0;
    g_screen_kind = SCREEN_KIND_DESIGN;
    g_com_port_numbers.fill(0);
    g_combo_selection = 0;
    main_menu = LoadMenuW(GetModuleHandleW(nullptr), L"MYMENU");
    document_menu = LoadMenuW(GetModuleHandleW(nullptr), L"MYDOCUMENT");
    ASSERT_NE(main_menu, nullptr);
    ASSERT_NE(document_menu, nullptr);
    frame = CreateWindowExW(0, L"bars_test_frame", L"Tavolin test", WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, 0, 0, 1100,
                            700, nullptr, main_menu, GetModuleHandleW(nullptr), nullptr);
    ASSERT_NE(frame, nullptr);
    ShowWindow(frame, SW_SHOW);
    UpdateWindow(frame);
  }

  void TearDown() override {
    if (frame != nullptr) DestroyWindow(frame);
    frame = nullptr;
    g_toolbar = nullptr;
    g_toolbar_tooltips = nullptr;
    g_com_combo = nullptr;
    g_status_bar = nullptr;
    mdi_client() = nullptr;
    if (IsMenu(document_menu)) DestroyMenu(document_menu);
    set_notice_handler({});
    pump();
  }

  // Lets the windows handle what is queued.
  static void pump() {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&msg);
      DispatchMessageW(&msg);
    }
  }

  HWND show_toolbar(int kind) {
    rebuild_screen_toolbar(frame, kind);
    RECT client{};
    GetClientRect(frame, &client);
    SendMessageW(frame, WM_SIZE, SIZE_RESTORED, MAKELPARAM(client.right, client.bottom));
    pump();
    return g_toolbar;
  }

  // A document window; the document menu is installed as an activated child would.
  HWND open_child(const wchar_t* title = L"child") {
    MDICREATESTRUCTW mcs{};
    mcs.szClass = L"bars_test_child";
    mcs.szTitle = title;
    mcs.hOwner = GetModuleHandleW(nullptr);
    mcs.x = mcs.y = 0;
    mcs.cx = 600;
    mcs.cy = 400;
    HWND child = reinterpret_cast<HWND>(SendMessageW(mdi_client(), WM_MDICREATE, 0, reinterpret_cast<LPARAM>(&mcs)));
    SendMessageW(mdi_client(), WM_MDISETMENU, reinterpret_cast<WPARAM>(document_menu),
                 reinterpret_cast<LPARAM>(GetSubMenu(document_menu, 1)));
    DrawMenuBar(frame);
    pump();
    return child;
  }

  LRESULT command(int id, int code = 0, LPARAM lparam = 0) {
    return SendMessageW(frame, WM_COMMAND, MAKEWPARAM(id, code), lparam);
  }

  std::vector<int> commands_of(HWND child) const {
    std::vector<int> ids;
    for (const auto& c : child_commands())
      if (c.window == child) ids.push_back(c.id);
    return ids;
  }

  HWND frame = nullptr;
  HMENU main_menu = nullptr;
  HMENU document_menu = nullptr;
};

inline std::string window_text(HWND window) {
  wchar_t buffer[512] = {};
  GetWindowTextW(window, buffer, 512);
  return cp932_from_wide(buffer);
}

}  // namespace bars_test
