// No Win32 test may run a real modal menu loop: the loop lasts until a user closes the
// menu, so a test that opened one would hang the run until its time limit. This guard is
// installed for the whole of win_tests.exe. A posted system command that opens a menu
// (SC_KEYMENU, SC_MOUSEMENU) is turned into WM_NULL before it is dispatched; a menu loop
// that opens anyway (a sent system command, a key that reaches the default processing, a
// real popup menu) is closed again at once. Either one fails the test that caused it.
// Pictures of open menus are taken by screenshots.exe (scripts/screenshot.sh --shots).
#include <windows.h>

#include <gtest/gtest.h>

#include "win/rig_helper.h"

namespace {

int g_caught = 0;          // menu loops prevented or closed so far
bool g_expected = false;   // the guard's own test: a catch is no failure

void caught(const char* what) {
  ++g_caught;
  if (!g_expected) ADD_FAILURE() << what << " (it would hang the run; take pictures of menus in screenshots.exe)";
}

bool opens_menu_loop(WPARAM command) {
  const WPARAM kind = command & 0xFFF0;
  return kind == SC_KEYMENU || kind == SC_MOUSEMENU;
}

LRESULT CALLBACK on_get_message(int code, WPARAM removal, LPARAM lparam) {
  if (code == HC_ACTION && removal == PM_REMOVE) {
    MSG* message = reinterpret_cast<MSG*>(lparam);
    if (message->message == WM_SYSCOMMAND && opens_menu_loop(message->wParam)) {
      message->message = WM_NULL;
      caught("a test posted a system command that opens a menu loop");
    }
  }
  return CallNextHookEx(nullptr, code, removal, lparam);
}

void CALLBACK end_menu_loop(HWND, UINT, UINT_PTR timer, DWORD) {
  KillTimer(nullptr, timer);
  EndMenu();
}

LRESULT CALLBACK on_call(int code, WPARAM sent, LPARAM lparam) {
  if (code == HC_ACTION && reinterpret_cast<const CWPSTRUCT*>(lparam)->message == WM_ENTERMENULOOP) {
    caught("a test entered a real menu loop");
    // The loop runs the thread's timers: the first one closes it.
    SetTimer(nullptr, 0, 1, end_menu_loop);
  }
  return CallNextHookEx(nullptr, code, sent, lparam);
}

class MenuLoopGuard : public ::testing::Environment {
 public:
  void SetUp() override {
    get_message_ = SetWindowsHookExW(WH_GETMESSAGE, on_get_message, nullptr, GetCurrentThreadId());
    call_ = SetWindowsHookExW(WH_CALLWNDPROC, on_call, nullptr, GetCurrentThreadId());
    ASSERT_NE(get_message_, nullptr);
    ASSERT_NE(call_, nullptr);
  }
  void TearDown() override {
    if (get_message_) UnhookWindowsHookEx(get_message_);
    if (call_) UnhookWindowsHookEx(call_);
  }

 private:
  HHOOK get_message_ = nullptr;
  HHOOK call_ = nullptr;
};

::testing::Environment* const g_guard = ::testing::AddGlobalTestEnvironment(new MenuLoopGuard);

// A shown top-level window with a menu bar "&File" holding one item.
class MenuWindow {
 public:
  MenuWindow() {
    HMENU file = CreatePopupMenu();
    AppendMenuW(file, MF_STRING, 100, L"&Open");
    menu_ = CreateMenu();
    AppendMenuW(menu_, MF_POPUP, reinterpret_cast<UINT_PTR>(file), L"&File");
    window_ = CreateWindowExW(0, L"STATIC", L"menu loop guard", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 300, 200,
                              nullptr, menu_, GetModuleHandleW(nullptr), nullptr);
    pump_messages();
  }
  ~MenuWindow() {
    DestroyWindow(window_);
    pump_messages();
  }
  HWND get() const { return window_; }

 private:
  HMENU menu_ = nullptr;
  HWND window_ = nullptr;
};

class MenuLoopGuardTest : public ::testing::Test {
 protected:
  void SetUp() override {
    g_expected = true;
    before = g_caught;
  }
  void TearDown() override { g_expected = false; }
  int before = 0;
};

TEST_F(MenuLoopGuardTest, APostedMenuCommandIsDroppedBeforeItOpensTheLoop) {
  MenuWindow window;
  ASSERT_NE(window.get(), nullptr);
  PostMessageW(window.get(), WM_SYSCOMMAND, SC_KEYMENU, 'f');
  PostMessageW(window.get(), WM_SYSCOMMAND, SC_MOUSEMENU, 0);
  pump_messages();
  EXPECT_EQ(g_caught - before, 2);
}

TEST_F(MenuLoopGuardTest, AMenuLoopThatOpensAnywayIsClosedAtOnce) {
  MenuWindow window;
  ASSERT_NE(window.get(), nullptr);
  // Sent, so no hook sees it before the loop starts: the loop opens and must end by itself.
  SendMessageW(window.get(), WM_SYSCOMMAND, SC_KEYMENU, 'f');
  EXPECT_EQ(g_caught - before, 1);
}

}  // namespace
