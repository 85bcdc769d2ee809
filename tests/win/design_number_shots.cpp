// A picture for a person to look at: the number entry dialog as Ctrl+F3 opens it on a
// selected contact, the old number in edit 717 focused and selected, so that typing replaces
// it. Not a test: scripts/screenshot.sh --shots runs this program.
#include "win/design_drawing_fixture.h"

#include "design/design_commands_win.h"
#include "design/design_dialog_hooks_win.h"
#include "design/number_dialog_win.h"
#include "design/number_entry.h"

namespace {

using design_drawing::DesignDrawing;

TEST_F(DesignDrawing, PictureOfTheNumberDialogAfterCtrlF3) {
  draw_rung();
  set_devices();
  set_design_dialog_opener(open_design_dialog_for_command);
  use_tool(0);
  click(0, 1);
  command(CMD_SET_NUMBER);
  pump_messages();
  HWND dialog = as_hwnd(dialog_slot_row(g_screen_kind)[0]);
  ASSERT_NE(dialog, nullptr);
  HWND edit = GetDlgItem(dialog, NumberDialogId::EDIT);
  DWORD start = 0, end = 0;
  SendMessageW(edit, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
  EXPECT_EQ(start, 0u);
  EXPECT_EQ(end, static_cast<DWORD>(GetWindowTextLengthW(edit)));
  EXPECT_EQ(GetFocus(), edit);
  InvalidateRect(window, nullptr, TRUE);
  UpdateWindow(window);
  pump_messages();
  EXPECT_FALSE(save_screenshot("design_number_dialog_after_ctrl_f3").empty());
  SendMessageW(dialog, WM_CLOSE, 0, 0);
  pump_messages();
}

}  // namespace
