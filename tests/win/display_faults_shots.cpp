// Pictures for a person to look at, of the places where the design screen once showed
// wrongly (docs/mended/ keeps crops of them made before and after each was mended) and of one
// that was looked at and is as designed: a comment typed on a contact in column 0, sample 1's
// two-line comment of its lamp above END and above a new rung (its first word only, as above
// every part), the comment dialog opened on a coil in column 11 after comments on two other
// devices, and the status bar in the blank-line mode. Not a test: scripts/screenshot.sh
// --shots runs this program.
#include "win/display_faults_fixture.h"

namespace {

using display_faults::DisplayFaults;
using display_faults::row_holding;

class DisplayFaultShots : public DisplayFaults {
 protected:
  // No cell drawn as selected, then the whole window painted.
  void unselect() {
    use_tool(0);
    erase_cursor_span(window, *view);
    repaint();
  }
};

TEST_F(DisplayFaultShots, ACommentTypedOnAContactInColumnZero) {
  open_sample1();
  const int row = row_holding(*grid, 0, make_device_operand(Device::X, 0));
  ASSERT_GE(row, 0);
  type_comment(row, 0, "始動");
  unselect();
  EXPECT_FALSE(save_screenshot("fault_fresh_comment").empty());
}

TEST_F(DisplayFaultShots, TheLampsCommentAboveEndAndAboveANewRung) {
  open_sample1();
  const int lamp = row_holding(*grid, OUTPUT_COLUMN, make_device_operand(Device::Y, 1));
  ASSERT_GE(lamp, 0);
  // The row below (END) repainted, as an edit there repaints it.
  SendMessageW(window, WM_COMMAND, CMD_SYNC_VIEW, static_cast<LPARAM>((lamp + 1) | 11 << 16));
  UpdateWindow(window);
  EXPECT_FALSE(save_screenshot("fault_output_comment_above_end").empty());
  // Blank rows opened before END, X2 -> (Y2) drawn into the first of them.
  command(CMD_BLANK_OPEN);
  const LPARAM margin = MAKELPARAM(view->left_rail_x / 2, row_top(lamp + 1) + 2);
  SendMessageW(window, WM_LBUTTONDOWN, MK_LBUTTON, margin);
  SendMessageW(window, WM_LBUTTONUP, 0, margin);
  command(CMD_BLANK_LINE_MODE);
  draw_rung(lamp + 1);
  erase_cursor_span(window, *view);
  UpdateWindow(window);
  pump_messages();
  EXPECT_FALSE(save_screenshot("fault_output_comment_above_new_rung").empty());
}

TEST_F(DisplayFaultShots, TheCommentDialogOnACoilAfterTwoOtherComments) {
  open_sample1();
  const int start = row_holding(*grid, 0, make_device_operand(Device::X, 0));
  const int motor = row_holding(*grid, OUTPUT_COLUMN, make_device_operand(Device::Y, 0));
  const int lamp = row_holding(*grid, OUTPUT_COLUMN, make_device_operand(Device::Y, 1));
  ASSERT_GE(start, 0);
  for (const int row : {start, motor}) {
    use_tool(CMD_COMMENT);
    click(row, row == start ? 0 : OUTPUT_COLUMN);
    if (HWND dialog = slot0()) press(dialog, IDCANCEL);
  }
  use_tool(CMD_COMMENT);
  click(lamp, OUTPUT_COLUMN);
  ASSERT_NE(slot0(), nullptr);
  EXPECT_FALSE(save_screenshot("fault_comment_dialog_on_a_coil").empty());
  press(slot0(), IDCANCEL);
  use_tool(0);
}

TEST_F(DisplayFaultShots, TheStatusBarInTheBlankLineMode) {
  open_sample1();
  command(CMD_BLANK_LINE_MODE);
  pump_messages();
  RedrawWindow(g_status_bar, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
  EXPECT_FALSE(save_screenshot("fault_status_blank_line_mode").empty());
  command(CMD_BLANK_LINE_MODE);
}

}  // namespace
