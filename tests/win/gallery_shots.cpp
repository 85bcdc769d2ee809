// One picture of each screen and dialog of the real program, for the README's gallery
// (scripts/screenshot.sh --gallery copies them into docs/screens/) and for a person to
// look at the places where the screens once drew wrongly: the design screen with both
// samples, the number entry, comment, function picker, search (both forms) and replace
// dialogs, the mnemonic screen and its compile-error list, the COM dialog, the window list
// after a save under a new name, a two-line device comment above an edited row and the
// line tool's click on an OUT coil, and the operation-check screen. Not a test:
// screenshots.exe runs it.
#include "win/design_drawing_fixture.h"

#include <cstdio>
#include <string>

#include "core/ladder_model.h"
#include "design/comment_dialog_win.h"
#include "design/design_commands_win.h"
#include "design/design_dialog_hooks_win.h"
#include "design/design_dialogs_win.h"
#include "design/function_dialog_win.h"
#include "design/number_dialog_win.h"
#include "design/search_dialogs.h"
#include "design/search_dialogs_win.h"
#include "mnemonic/mnemonic_window_win.h"
#include "board/com_dialog_win.h"
#include "shell/documents.h"
#include "shell/path_parts.h"
#include "shell/settings_file.h"
#include "win/monitor_fixtures.h"

namespace {

using bars_test::BarsFrame;
using bars_test::narrow;

void show(HWND window) {
  if (window == nullptr) return;
  RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW | RDW_FRAME);
  pump_messages();
}

// Places a dialog with its top-right corner near (right, y) of the screen, so that it does
// not hide the part it works on.
void park(HWND dialog, int right, int y) {
  if (dialog == nullptr) return;
  RECT own{};
  GetWindowRect(dialog, &own);
  SetWindowPos(dialog, HWND_TOP, right - (own.right - own.left), y, 0, 0, SWP_NOSIZE | SWP_NOACTIVATE);
  pump_messages();
}

class Gallery : public BarsFrame {
 protected:
  void SetUp() override {
    BarsFrame::SetUp();
    g_guide_flags = {0, 0, 0, 0};
    GetClientRect(frame, &g_client_rect);
  }
  void TearDown() override {
    if (HWND slot = as_hwnd(dialog_slot_row(g_screen_kind)[0])) SendMessageW(slot, WM_CLOSE, 0, 0);
    reset_design_modes();
    for (WindowHandle& h : g_design_windows) {
      HWND w = as_hwnd(h);
      if (w == nullptr || !IsWindow(w)) continue;
      if (SendMessageW(w, WM_COMMAND, CMD_QUERY_MODIFIED, 0) == 1) boxes_->answer(IDNO);
      SendMessageW(w, WM_CLOSE, 0, 0);
      pump_messages();
    }
    BarsFrame::TearDown();
  }
  HWND open_sample(const wchar_t* sample, const wchar_t* name) {
    const std::wstring from = cp932_to_wide(TAVOLIN_SOURCE_DIR "/resources/samples/") + sample;
    CopyFileW(from.c_str(), folder_->file(name).c_str(), FALSE);
    dialogs_->choose(narrow(folder_->file(name)));
    command(CMD_OPEN_DESIGN);
    pump_messages();
    HWND window = as_hwnd(g_design_windows[0]);
    if (window != nullptr) {
      view = view_state_of(window);
      grid = design_grid_of(window);
    }
    return window;
  }
  // A new design fitted to the client, holding the given ladder.
  HWND new_design(std::initializer_list<const char*> rows) {
    command(CMD_NEW_DESIGN);
    pump_messages();
    HWND window = as_hwnd(g_design_windows[0]);
    if (window == nullptr) return nullptr;
    SendMessageW(window, WM_COMMAND, CMD_FIT_WINDOW, 0);
    view = view_state_of(window);
    grid = design_grid_of(window);
    const LadderGrid ladder = ladder_from_text(rows);
    for (size_t r = 0; r < ladder.size(); ++r) (*grid)[r] = ladder[r];
    return window;
  }
  LPARAM cell_position(int row, int col) const {
    const int x = view->left_rail_x + col * view->cell_width + view->cell_width / 2;
    const int y = view->top_margin + (row - view->top_row) * view->row_height + view->row_height / 4;
    return MAKELPARAM(x, y);
  }
  void click(HWND window, int row, int col) {
    SendMessageW(window, WM_LBUTTONDOWN, MK_LBUTTON, cell_position(row, col));
    SendMessageW(window, WM_LBUTTONUP, 0, cell_position(row, col));
    pump_messages();
  }
  void close_slot0() {
    if (HWND slot = as_hwnd(dialog_slot_row(g_screen_kind)[0])) SendMessageW(slot, WM_CLOSE, 0, 0);
    pump_messages();
  }
  HWND slot0() const { return as_hwnd(dialog_slot_row(g_screen_kind)[0]); }
  ViewState* view = nullptr;
  LadderGrid* grid = nullptr;
};

TEST_F(Gallery, DesignScreenWithBothSamples) {
  HWND window = open_sample(L"SAMPLE1.MBS", L"SAMPLE1.MBS");
  ASSERT_NE(window, nullptr);
  show(frame);
  EXPECT_FALSE(save_screenshot("screen_design_sample1").empty());
  SendMessageW(window, WM_CLOSE, 0, 0);
  pump_messages();
  window = open_sample(L"SINGOU1.MBS", L"SINGOU1.MBS");
  ASSERT_NE(window, nullptr);
  show(frame);
  EXPECT_FALSE(save_screenshot("screen_design_sample_singou1").empty());
}

TEST_F(Gallery, TheDesignDialogs) {
  HWND window = open_sample(L"SAMPLE1.MBS", L"SAMPLE1.MBS");
  ASSERT_NE(window, nullptr);
  RECT client{};
  GetWindowRect(g_mdi_client, &client);
  const int right = client.right - 40;

  // Rows 0 and 1 of the sample are comment rows; its first rung starts in row 2.
  use_tool(CMD_SET_NUMBER);
  click(window, 2, 0);
  park(slot0(), right, client.top + 40);
  show(frame);
  EXPECT_FALSE(save_screenshot("dialog_number_entry").empty());
  close_slot0();

  use_tool(CMD_COMMENT);
  click(window, 2, 0);
  park(slot0(), right, client.top + 40);
  show(frame);
  EXPECT_FALSE(save_screenshot("dialog_comment").empty());
  close_slot0();

  use_tool(0);
  HWND picker = open_function_dialog();
  ASSERT_NE(picker, nullptr);
  pump_for(300);
  // Parked with its list closed, as a user moves it, and dropped again.
  SendDlgItemMessageW(picker, 588, CB_SHOWDROPDOWN, FALSE, 0);
  park(picker, right, client.top + 40);
  SendDlgItemMessageW(picker, 588, CB_SHOWDROPDOWN, TRUE, 0);
  pump_for(300);
  show(frame);
  Sleep(200);
  EXPECT_FALSE(save_screenshot("dialog_function_picker").empty());
  SendDlgItemMessageW(picker, 588, CB_SHOWDROPDOWN, FALSE, 0);
  SendMessageW(picker, WM_CLOSE, 0, 0);
  pump_messages();

  view->cursor_row = 2;
  view->cursor_col = 1;
  view->sel_row = 2;
  for (int variant : {0, 1}) {
    g_search_dialog_variant = variant;
    command(CMD_SEARCH);
    pump_messages();
    park(slot0(), right, client.top + 40);
    show(frame);
    EXPECT_FALSE(save_screenshot(variant == 0 ? "dialog_search" : "dialog_search_list").empty());
    close_slot0();
    reset_design_modes();
  }
  g_search_dialog_variant = 0;

  view->cursor_row = 2;
  view->cursor_col = 1;
  command(CMD_REPLACE);
  pump_messages();
  park(slot0(), right, client.top + 40);
  show(frame);
  EXPECT_FALSE(save_screenshot("dialog_replace").empty());
  close_slot0();
}

TEST_F(Gallery, ComDialog) {
  HWND window = open_sample(L"SAMPLE1.MBS", L"SAMPLE1.MBS");
  ASSERT_NE(window, nullptr);
  HWND dialog = open_com_dialog(frame);
  ASSERT_NE(dialog, nullptr);
  RECT client{};
  GetWindowRect(g_mdi_client, &client);
  park(dialog, client.right - 40, client.top + 40);
  show(frame);
  EXPECT_FALSE(save_screenshot("dialog_com").empty());
  SendMessageW(dialog, WM_CLOSE, 0, 0);
  pump_messages();
}

// A two-line device comment in row 0 above a coil in row 1; row 1 is then edited and only
// its own cells are repainted.
TEST_F(Gallery, TwoLineCommentAboveAnEditedRow) {
  HWND window = new_design({"X0 - - - - - - - - - - (Y1)", "X1 - - - - - - - - - - (Y2)"});
  ASSERT_NE(window, nullptr);
  for (int c : {0, 11}) {
    (*grid)[0].cell[c].word[0] |= CellFlags::HAS_COMMENT;
    std::snprintf((*grid)[0].text[c], CELL_TEXT_SIZE, "%s", "押しボタン");
  }
  show(window);
  EXPECT_FALSE(save_screenshot("fault_comment_overprint").empty());
  // The edit of row 1: its cells are repainted, as after a placement.
  RECT row1{0, view->top_margin + view->row_height, 2000, view->top_margin + 2 * view->row_height};
  InvalidateRect(window, &row1, TRUE);
  UpdateWindow(window);
  pump_messages();
  EXPECT_FALSE(save_screenshot("fault_comment_after_edit").empty());
}

// The line tool clicked on the OUT coil of a row whose contact stands in column 0.
TEST_F(Gallery, LineToolOnAnOutCoil) {
  HWND window = new_design({"X0 . . . . . . . . . . (Y0)"});
  ASSERT_NE(window, nullptr);
  show(window);
  EXPECT_FALSE(save_screenshot("fault_line_tool_before_click").empty());
  // A click on the coil's device name, in the right half of column 11.
  use_tool(CMD_TOOL_LINE);
  const LPARAM at = MAKELPARAM(view->left_rail_x + 11 * view->cell_width + 3 * view->cell_width / 4,
                               view->top_margin + view->row_height / 4);
  SendMessageW(window, WM_LBUTTONDOWN, MK_LBUTTON, at);
  SendMessageW(window, WM_LBUTTONUP, 0, at);
  pump_messages();
  show(window);
  EXPECT_FALSE(save_screenshot("fault_line_tool_out_click").empty());
  use_tool(0);
}

// The mnemonic screen with a program, its caret, and the compile-error list of a broken line;
// the toolbar switch from the design screen's before it.
TEST_F(Gallery, MnemonicScreenAndItsErrorList) {
  HWND design = open_sample(L"SAMPLE1.MBS", L"PUMP.MBS");
  ASSERT_NE(design, nullptr);
  show(frame);
  write_file_bytes(folder_->file(L"PUMP.NIC"),
                   "; ポンプの運転\r\nLD      X00             ; 起動\r\nOR      Y00\r\nANI     X01             ; 停止\r\n"
                   "OUT     Y00             ; ポンプ\r\nQLD     X02\r\nOUT     Y01\r\nEND\r\n0FFFF0 0FFFF0\r\n");
  split_path(narrow(folder_->file(L"PUMP.MBS")), g_app_settings.project);
  SendMessageW(design, WM_CLOSE, 0, 0);
  pump_messages();
  command(CMD_SCREEN_MNEMONIC);
  pump_messages();
  HWND window = g_mnemonic_windows[0] ? as_hwnd(g_mnemonic_windows[0]) : nullptr;
  ASSERT_NE(window, nullptr);
  SetFocus(window);
  ViewState& v = *nic_window_view(window);
  v.cursor_row = 1;
  v.cursor_col = 8;
  SendMessageW(window, WM_SETFOCUS, 0, 0);
  show(frame);
  Sleep(100);
  EXPECT_FALSE(save_screenshot("screen_mnemonic").empty());

  SendMessageW(window, WM_COMMAND, CMD_COMPILE_MNEMONIC, 0);
  pump_messages();
  HWND list = slot0();
  ASSERT_TRUE(list != nullptr && IsWindow(list));
  show(frame);
  EXPECT_FALSE(save_screenshot("dialog_mnemonic_errors").empty());
}

// The operation-check screen of a compiled sample (no board needed: it shows the program).
TEST_F(Gallery, OperationCheckScreen) {
  HWND window = open_sample(L"SAMPLE1.MBS", L"PUMP.MBS");
  ASSERT_NE(window, nullptr);
  boxes_->answer(IDOK);  // "SEQ to NICが終了しました"
  SendMessageW(window, WM_COMMAND, CMD_COMPILE_LADDER, 0);
  pump_messages();
  command(CMD_SCREEN_OPERATION);
  pump_messages();
  if (g_guide_dialog != 0) {
    SendMessageW(as_hwnd(g_guide_dialog), WM_CLOSE, 0, 0);
    pump_messages();
  }
  show(frame);
  EXPECT_FALSE(save_screenshot("screen_operation_check").empty());
}

// A new mnemonic text saved under a new name, and the window list of the Edit menu.
std::string g_window_menu_png;
void CALLBACK shoot_window_menu(HWND, UINT, UINT_PTR timer, DWORD) {
  KillTimer(nullptr, timer);
  g_window_menu_png = save_screenshot("fault_window_list_after_save_as");
  EndMenu();
}

TEST_F(Gallery, WindowListAfterSaveAs) {
  command(CMD_NEW_MNEMONIC);
  pump_messages();
  HWND window = g_mnemonic_windows[0] ? as_hwnd(g_mnemonic_windows[0]) : nullptr;
  ASSERT_NE(window, nullptr);
  dialogs_->choose(narrow(folder_->file(L"LAMP.NIC")));
  boxes_->answer(IDOK);  // "ファイルが新しい名前で保存されました！"
  SendMessageW(window, WM_COMMAND, CMD_SAVE_AS, 0);
  pump_messages();
  show(frame);
  g_window_menu_png.clear();
  SetTimer(nullptr, 0, 500, shoot_window_menu);
  PostMessageW(frame, WM_SYSCOMMAND, SC_KEYMENU, 'e');
  for (int i = 0; i < 150 && g_window_menu_png.empty(); ++i) {
    pump_messages();
    Sleep(20);
  }
  EXPECT_FALSE(g_window_menu_png.empty());
}

}  // namespace
