// The message loop's order: the accelerator table before the MDI system keys, so that
// Ctrl+F4 and Ctrl+F6 are the table's commands (replace, comment writing) and do not
// close or switch the active document window.
#include "target/windows_api.h"

#include <gtest/gtest.h>

#include <vector>

#include "shell/command_ids.h"
#include "frame/frame_win.h"
#include "win/rig_helper.h"

namespace {

std::vector<int> g_frame_commands;

LRESULT record_frame_command(HWND frame, WPARAM wparam, LPARAM lparam) {
  g_frame_commands.push_back(LOWORD(wparam));
  return DefFrameProcW(frame, g_mdi_client, WM_COMMAND, wparam, lparam);
}

// Holds Ctrl down in this thread's key state while it lives.
class CtrlHeld {
 public:
  CtrlHeld() {
    GetKeyboardState(saved_);
    BYTE keys[256];
    GetKeyboardState(keys);
    keys[VK_CONTROL] = keys[VK_LCONTROL] = 0x80;
    SetKeyboardState(keys);
  }
  ~CtrlHeld() { SetKeyboardState(saved_); }

 private:
  BYTE saved_[256];
};

MSG key_down(HWND window, WPARAM key) {
  MSG message{};
  message.hwnd = window;
  message.message = WM_KEYDOWN;
  message.wParam = key;
  message.lParam = 1 | (static_cast<LPARAM>(MapVirtualKeyW(static_cast<UINT>(key), 0)) << 16);
  message.time = GetTickCount();
  return message;
}

HWND active_child() { return reinterpret_cast<HWND>(SendMessageW(g_mdi_client, WM_MDIGETACTIVE, 0, 0)); }

class LoopTest : public ProgramTest {
 protected:
  void SetUp() override {
    ProgramTest::SetUp();
    g_frame_commands.clear();
    ASSERT_TRUE(start());
    ASSERT_TRUE(accelerators_) << "the accelerator table MYMENU is not in the program";
    g_frame_slots.frame_command = record_frame_command;
    first_ = create_document_window(L"nicfl", L"first");
    second_ = create_document_window(L"nicfl", L"second");
    ASSERT_TRUE(first_ && second_);
    ASSERT_EQ(active_child(), second_);
    SetFocus(second_);
  }
  HWND first_ = nullptr;
  HWND second_ = nullptr;
};

TEST_F(LoopTest, CtrlF4IsTheReplaceCommandAndClosesNoWindow) {
  CtrlHeld ctrl;
  MSG message = key_down(second_, VK_F4);
  EXPECT_TRUE(translate_program_message(message, accelerators_));
  pump_messages();
  EXPECT_EQ(g_frame_commands, std::vector<int>{CMD_REPLACE});
  EXPECT_TRUE(IsWindow(second_));
  EXPECT_EQ(active_child(), second_);
}

TEST_F(LoopTest, CtrlF6IsCommentWritingAndSwitchesNoWindow) {
  CtrlHeld ctrl;
  MSG message = key_down(second_, VK_F6);
  EXPECT_TRUE(translate_program_message(message, accelerators_));
  pump_messages();
  EXPECT_EQ(g_frame_commands, std::vector<int>{CMD_COMMENT});
  EXPECT_EQ(active_child(), second_);
}

TEST_F(LoopTest, MdiKeysStillWorkForKeysTheTableLeavesFree) {
  CtrlHeld ctrl;
  MSG message = key_down(second_, VK_TAB);
  EXPECT_TRUE(translate_program_message(message, accelerators_));
  pump_messages();
  EXPECT_TRUE(g_frame_commands.empty());
  EXPECT_EQ(active_child(), first_);
}

// The other order, for comparison: the MDI keys alone take Ctrl+F4 as "close".
TEST_F(LoopTest, TheMdiKeysFirstWouldCloseTheWindowOnCtrlF4) {
  CtrlHeld ctrl;
  MSG message = key_down(second_, VK_F4);
  EXPECT_TRUE(TranslateMDISysAccel(g_mdi_client, &message));
  pump_messages();
  EXPECT_FALSE(IsWindow(second_));
}

TEST_F(LoopTest, TheRealLoopRoutesPostedKeysAndEndsWithTheQuitCode) {
  CtrlHeld ctrl;
  PostMessageW(second_, WM_KEYDOWN, VK_F4, 1);
  PostMessageW(second_, WM_KEYDOWN, VK_F6, 1);
  PostQuitMessage(7);
  EXPECT_EQ(run_message_loop(accelerators_), 7);
  EXPECT_EQ(g_frame_commands, (std::vector<int>{CMD_REPLACE, CMD_COMMENT}));
  EXPECT_TRUE(IsWindow(second_));
  EXPECT_EQ(active_child(), second_);
}

}  // namespace
