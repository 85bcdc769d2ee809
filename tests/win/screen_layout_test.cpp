// The layout of the screens and small dialogs as the user sees them: a new document window
// fits the MDI client between the toolbar and the status bar, and every label of a push
// button fits inside the button with room to spare at both edges, in the font the dialog
// really got.
#include "bars_frame.h"

#include <algorithm>
#include <string>
#include <vector>

#include "design/design_window_win.h"
#include "design/function_dialog_win.h"
#include "design/search_dialogs_win.h"
#include "design/view_geometry_win.h"
#include "support/ladder_text.h"
#include "design/number_dialog_win.h"
#include "board/com_dialog_win.h"
#include "shell/window_lists_win.h"
#include "win/monitor_fixtures.h"

namespace {

using bars_test::BarsFrame;

// Pixels between a button's label and each of its edges, in the dialog's font.
int label_room(HWND dialog, int id) {
  HWND button = GetDlgItem(dialog, id);
  if (button == nullptr) return -1000;
  wchar_t text[64] = {};
  GetWindowTextW(button, text, 64);
  HDC dc = GetDC(button);
  HGDIOBJ old = SelectObject(dc, reinterpret_cast<HGDIOBJ>(SendMessageW(button, WM_GETFONT, 0, 0)));
  SIZE extent{};
  GetTextExtentPoint32W(dc, text, static_cast<int>(wcslen(text)), &extent);
  SelectObject(dc, old);
  ReleaseDC(button, dc);
  RECT client{};
  GetClientRect(button, &client);
  return (client.right - extent.cx) / 2;
}

class DialogLayout : public BarsFrame {
 protected:
  // Closes the design window of the test, unsaved.
  void close_design() {
    HWND window = as_hwnd(g_design_windows[0]);
    if (window == nullptr || !IsWindow(window)) return;
    if (SendMessageW(window, WM_COMMAND, CMD_QUERY_MODIFIED, 0) == 1) boxes_->answer(IDNO);
    SendMessageW(window, WM_CLOSE, 0, 0);
    pump_messages();
  }
};

// The window's rectangle in the MDI client's client coordinates.
RECT rect_in_client(HWND window) {
  RECT r{};
  GetWindowRect(window, &r);
  MapWindowPoints(nullptr, g_mdi_client, reinterpret_cast<POINT*>(&r), 2);
  return r;
}

TEST_F(DialogLayout, ANewDocumentWindowEndsAtTheBottomOfTheMdiClient) {
  GetClientRect(frame, &g_client_rect);
  for (int id : {CMD_NEW_DESIGN, CMD_NEW_MNEMONIC}) {
    command(id);
    pump_messages();
    HWND window = id == CMD_NEW_DESIGN ? as_hwnd(g_design_windows[0]) : as_hwnd(g_mnemonic_windows[0]);
    ASSERT_NE(window, nullptr) << id;
    RECT client{};
    GetClientRect(g_mdi_client, &client);
    ASSERT_GT(client.bottom, 100);
    const RECT r = rect_in_client(window);
    EXPECT_EQ(r.left, 0) << id;
    EXPECT_EQ(r.right, client.right) << id;
    EXPECT_EQ(r.bottom, client.bottom) << id;  // the scroll bar's down arrow and the border show
    SendMessageW(window, WM_CLOSE, 0, 0);
    pump_messages();
  }
}

TEST_F(DialogLayout, TheComDialogsCommandButtonsHoldTheirLabels) {
  HWND dialog = open_com_dialog(frame);
  ASSERT_NE(dialog, nullptr);
  for (int id : {1392, 1391, 1394, 1393}) EXPECT_GE(label_room(dialog, id), 4) << id;
  SendMessageW(dialog, WM_CLOSE, 0, 0);
  pump_messages();
}

TEST_F(DialogLayout, TheNumberKeypadsSpaceKeyIsLabelled) {
  command(CMD_NEW_DESIGN);
  pump_messages();
  HWND dialog = open_number_dialog();
  ASSERT_NE(dialog, nullptr);
  wchar_t text[16] = {};
  GetDlgItemTextW(dialog, 1374, text, 16);
  EXPECT_NE(std::wstring(text), L"");
  EXPECT_GE(label_room(dialog, 1374), 2);
  SendMessageW(dialog, WM_CLOSE, 0, 0);
  close_design();
}

// The function picker's name list drops down right under its box and above the dialog,
// wherever the dialog was moved after it was made: in the Win32 order and, under Wine, in the
// X stacking on the glass (Wine raises a dialog over every X window when its focus comes).
TEST_F(DialogLayout, ThePickersListDropsUnderItsBoxAboveTheDialog) {
  command(CMD_NEW_DESIGN);
  pump_messages();
  HWND dialog = open_function_dialog();
  ASSERT_NE(dialog, nullptr);
  HWND combo = GetDlgItem(dialog, 588);
  COMBOBOXINFO info{};
  info.cbSize = sizeof info;
  ASSERT_TRUE(GetComboBoxInfo(combo, &info));
  const auto list_above_dialog_on_glass = [&] {
    const auto x_id = [](HWND w) { return reinterpret_cast<ULONG_PTR>(GetPropW(w, L"__wine_x11_whole_window")); };
    const ULONG_PTR list_id = x_id(info.hwndList), dialog_id = x_id(dialog);
    if (list_id == 0 || dialog_id == 0) return true;  // not drawn through Wine's X11 driver
    const std::vector<unsigned long> stack = x_windows_top_first();
    const auto list_at = std::find(stack.begin(), stack.end(), list_id);
    const auto dialog_at = std::find(stack.begin(), stack.end(), dialog_id);
    return list_at != stack.end() && dialog_at != stack.end() && list_at < dialog_at;
  };
  pump_for(300);
  EXPECT_TRUE(IsWindowVisible(info.hwndList)) << "the list drops when the dialog opens";
  EXPECT_TRUE(list_above_dialog_on_glass()) << "after opening";

  SendMessageW(combo, CB_SHOWDROPDOWN, FALSE, 0);
  SetWindowPos(dialog, HWND_TOP, 500, 300, 0, 0, SWP_NOSIZE);
  pump_messages();
  SendMessageW(combo, CB_SHOWDROPDOWN, TRUE, 0);
  pump_for(300);
  EXPECT_TRUE(IsWindowVisible(info.hwndList));
  RECT box{}, list{};
  GetWindowRect(combo, &box);
  GetWindowRect(info.hwndList, &list);
  EXPECT_EQ(list.left, box.left);
  EXPECT_NEAR(list.top, box.bottom, 2);
  bool dialog_below = false;
  for (HWND w = GetWindow(info.hwndList, GW_HWNDNEXT); w != nullptr && !dialog_below; w = GetWindow(w, GW_HWNDNEXT))
    dialog_below = w == dialog;
  EXPECT_TRUE(dialog_below);
  EXPECT_TRUE(list_above_dialog_on_glass()) << "after a move and a new drop";
  SendMessageW(combo, CB_SHOWDROPDOWN, FALSE, 0);
  SendMessageW(dialog, WM_CLOSE, 0, 0);
  close_design();
}

// The texts of the frame's menus one level down (the window list is in one of them).
std::vector<std::string> menu_texts(HWND frame) {
  std::vector<std::string> out;
  HMENU bar = GetMenu(frame);
  for (int i = 0; i < GetMenuItemCount(bar); ++i) {
    HMENU sub = GetSubMenu(bar, i);
    for (int k = 0; sub != nullptr && k < GetMenuItemCount(sub); ++k) {
      wchar_t text[256] = {};
      GetMenuStringW(sub, static_cast<UINT>(k), text, 256, MF_BYPOSITION);
      out.push_back(bars_test::narrow(text));
    }
  }
  return out;
}

TEST_F(DialogLayout, TheWindowListTakesTheNameOfASaveUnderANewName) {
  command(CMD_NEW_MNEMONIC);
  pump_messages();
  HWND window = as_hwnd(g_mnemonic_windows[0]);
  ASSERT_NE(window, nullptr);
  auto listed = [&](const char* name) {
    for (const std::string& t : menu_texts(frame))
      if (t.find(name) != std::string::npos) return true;
    return false;
  };
  EXPECT_TRUE(listed("新規.NIC"));
  dialogs_->choose(bars_test::narrow(folder_->file(L"LAMP.NIC")));
  boxes_->answer(IDOK);  // "ファイルが新しい名前で保存されました！"
  SendMessageW(window, WM_COMMAND, CMD_SAVE_AS, 0);
  pump_messages();
  EXPECT_TRUE(listed("LAMP.NIC"));
  EXPECT_FALSE(listed("新規.NIC"));
  SendMessageW(window, WM_CLOSE, 0, 0);
  pump_messages();
}

// The replace dialog opens with the cursor's device as the ladder shows it, selected.
TEST_F(DialogLayout, TheReplaceDialogReadsTheDeviceAsTheLadderShowsIt) {
  GetClientRect(frame, &g_client_rect);
  command(CMD_NEW_DESIGN);
  pump_messages();
  HWND window = as_hwnd(g_design_windows[0]);
  ASSERT_NE(window, nullptr);
  LadderGrid& grid = *design_grid_of(window);
  grid[0] = ladder_from_text({"X1 - - - - - - - - - - (Y0)"})[0];
  ViewState& view = *view_state_of(window);
  view.cursor_row = 0;
  view.cursor_col = 0;
  SendMessageW(window, WM_COMMAND, CMD_REPLACE, 0);
  pump_messages();
  HWND dialog = replace_dialog();
  ASSERT_NE(dialog, nullptr);
  wchar_t text[32] = {};
  GetDlgItemTextW(dialog, 717, text, 32);
  EXPECT_EQ(std::wstring(text), L"X01");
  SendMessageW(dialog, WM_CLOSE, 0, 0);
  close_design();
}

}  // namespace
