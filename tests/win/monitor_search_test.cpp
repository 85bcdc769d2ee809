// The search command of the monitor window: the search dialog opens into the monitor's
// dialog row with an empty text box, searches the monitor's grid, and the replace dialog's
// OK leaves that grid as the board has it.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "design/device_search.h"
#include "board/monitor_window_win.h"
#include "shell/documents.h"
#include "design/search_dialogs.h"
#include "design/search_dialogs_win.h"
#include "design/view_geometry_win.h"
#include "monitor_fixtures.h"
#include "rig_helper.h"
#include "shell/command_ids.h"
#include "shell/command_routing.h"
#include "shell/mode_flags.h"
#include "shell/toolbar_win.h"
#include "shell/window_lists.h"
#include "shell/window_lists_win.h"
#include "support/ladder_text.h"
#include "target/serial_port.h"

namespace {

class MonitorSearch : public ProgramTest {
 protected:
  void SetUp() override {
    ProgramTest::SetUp();
    reset_search_dialog_state();
    reset_device_search_state();
    ASSERT_NE(start(), nullptr);
    seq_ = folder_->file(L"SEARCH.SEQ");
    ASSERT_TRUE(write_operation_file(seq_, {"X1A /X2 ~ (Y3)", "Y3 ~ (Y4)", "X0 ~ [MOV K5 D3]"}));
  }
  void TearDown() override {
    ProgramTest::TearDown();
    g_port_open = 0;
    g_monitor_mode = 0;
  }
  static void click(HWND dialog, int id) {
    SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
  }
  std::wstring seq_;
};

TEST_F(MonitorSearch, TheSearchCommandOpensTheDialogOnTheMonitorsGrid) {
  HWND window = open_monitor_window(seq_, false);
  ASSERT_NE(window, nullptr);
  rebuild_screen_toolbar(frame_, CMD_SCREEN_OPERATION);
  ASSERT_EQ(g_toolbar_kind, TOOLBAR_KIND_MONITOR);
  ASSERT_EQ(g_screen_kind, SCREEN_KIND_MONITOR);
  ViewState* view = view_state_of(window);
  ASSERT_NE(view, nullptr);
  SendMessageW(window, WM_COMMAND, CMD_SEARCH, 0);
  HWND dialog = search_dialog();
  ASSERT_NE(dialog, nullptr);
  EXPECT_EQ(as_hwnd(g_dialog_slots[SCREEN_KIND_MONITOR][0]), dialog);
  EXPECT_EQ(get_mode_flag(CMD_SEARCH), 1);
  EXPECT_EQ(GetWindowTextLengthW(GetDlgItem(dialog, IDC_DEVICE_EDIT)), 0);

  SetDlgItemTextW(dialog, IDC_DEVICE_EDIT, L"Y3");
  view->sel_col = NO_SELECTION;
  click(dialog, IDOK);
  EXPECT_EQ(std::make_pair(view->cursor_row, view->cursor_col), std::make_pair(0, 11));
  click(dialog, IDOK);
  EXPECT_EQ(std::make_pair(view->cursor_row, view->cursor_col), std::make_pair(1, 0));
  click(dialog, IDCANCEL);
  EXPECT_EQ(g_dialog_slots[SCREEN_KIND_MONITOR][0], 0u);
  EXPECT_EQ(get_mode_flag(CMD_SEARCH), 0);

  // A replace dialog left open changes nothing on the monitor's grid.
  LadderGrid* grid = monitor_grid();
  ASSERT_NE(grid, nullptr);
  const std::vector<std::string> before = ladder_to_text(*grid);
  HWND replace = open_replace_dialog(window);
  ASSERT_NE(replace, nullptr);
  SetDlgItemTextW(replace, IDC_DEVICE_EDIT, L"Y3");
  SetDlgItemTextW(replace, IDC_NEW_DEVICE_EDIT, L"Y7");
  click(replace, IDOK);
  EXPECT_TRUE(boxes_->shown().empty());
  EXPECT_EQ(ladder_to_text(*grid), before);
  click(replace, IDCANCEL);
  SendMessageW(window, WM_CLOSE, 0, 0);
  pump_messages();
}

}  // namespace
