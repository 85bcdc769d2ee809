// The search and replace dialogs in the real program, driven by messages as the user's
// clicks would send them (the dialogs run without IsDialogMessage): a search through the
// traffic-signal sample design, the list form with its class buttons and the uses of one
// device, the replace across the design answered through the message-box stand-in, and the
// compiled program afterwards. Pictures of both dialogs and of a found use.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "core/ladder_compiler.h"
#include "design/design_input_win.h"
#include "design/design_paint.h"
#include "design/design_window_win.h"
#include "design/device_search.h"
#include "design/search_dialogs.h"
#include "design/search_dialogs_win.h"
#include "design/undo_ring.h"
#include "design/view_geometry_win.h"
#include "rig_helper.h"
#include "shell/command_ids.h"
#include "shell/command_routing.h"
#include "frame/frame_commands_win.h"
#include "frame/frame_win.h"
#include "shell/mode_flags.h"
#include "shell/text_win.h"
#include "shell/window_lists.h"
#include "shell/window_lists_win.h"
#include "support/instruction_records.h"
#include "support/ladder_text.h"

namespace {

std::string narrow(const std::wstring& wide) {
  std::string out;
  wide_to_cp932(wide, out);
  return out;
}

class SearchDialogsWin : public ProgramTest {
 protected:
  void SetUp() override {
    ProgramTest::SetUp();
    reset_search_dialog_state();
    reset_device_search_state();
    write_file_bytes(folder_->file(L"file.ini"), "iDirectory " + narrow(folder_->path()) +
                                                     "\\X.MBS\r\n[SETUF] 0 0 0 0 11 Courier 0 125 0 0 0 1280 1000\r\n"
                                                     "[RS232C] 1\r\n[ROMWRT] \r\n");
    install_frame_slots();
    ASSERT_NE(start(), nullptr);
    GetClientRect(frame_, &g_client_rect);
    const std::string path = std::string(TAVOLIN_SOURCE_DIR) + "/resources/samples/SINGOU1.MBS";
    dialogs_->choose(path);
    SendMessageW(frame_, WM_COMMAND, CMD_OPEN_DESIGN, 0);
    pump_messages();
    window = as_hwnd(g_design_windows[0]);
    ASSERT_NE(window, nullptr);
    SendMessageW(window, WM_COMMAND, CMD_FIT_WINDOW, 0);
    pump_messages();
    view = view_state_of(window);
    grid = design_grid_of(window);
    ASSERT_NE(grid, nullptr);
    g_screen_kind = SCREEN_KIND_DESIGN;
  }
  void TearDown() override {
    for (HWND dialog : {search_dialog(), replace_dialog()})
      if (dialog != nullptr) SendMessageW(dialog, WM_CLOSE, 0, 0);
    if (window != nullptr && IsWindow(window)) {
      if (SendMessageW(window, WM_COMMAND, CMD_QUERY_MODIFIED, 0) == 1) boxes_->answer(IDNO);
      SendMessageW(window, WM_CLOSE, 0, 0);
      pump_messages();
    }
    ProgramTest::TearDown();
  }

  static void click(HWND dialog, int id) {
    SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
  }
  static void choose_line(HWND dialog, int line) {
    SendDlgItemMessageW(dialog, IDC_DEVICE_LIST, LB_SETCURSEL, static_cast<WPARAM>(line), 0);
    // Setting the selection sends no notification: the test sends the one a click sends.
    SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDC_DEVICE_LIST, LBN_SELCHANGE),
                 reinterpret_cast<LPARAM>(GetDlgItem(dialog, IDC_DEVICE_LIST)));
  }
  static std::string text_of(HWND dialog, int id) {
    wchar_t text[128] = {};
    GetDlgItemTextW(dialog, id, text, 128);
    return narrow(text);
  }
  static std::vector<std::string> list_lines(HWND dialog) {
    std::vector<std::string> lines;
    const int n = static_cast<int>(SendDlgItemMessageW(dialog, IDC_DEVICE_LIST, LB_GETCOUNT, 0, 0));
    for (int i = 0; i < n; ++i) {
      wchar_t text[128] = {};
      SendDlgItemMessageW(dialog, IDC_DEVICE_LIST, LB_GETTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(text));
      lines.push_back(narrow(text));
    }
    return lines;
  }
  std::pair<int, int> cursor() const { return {view->cursor_row, view->cursor_col}; }
  void picture(const char* name) {
    UpdateWindow(window);
    pump_messages();
    EXPECT_FALSE(save_screenshot(name).empty());
  }

  HWND window = nullptr;
  ViewState* view = nullptr;
  LadderGrid* grid = nullptr;
};

TEST_F(SearchDialogsWin, TheCompactFormSearchesDownAndReportsTheMiss) {
  const std::string text = "T0";
  HWND dialog = open_search_dialog(window, &text);
  ASSERT_NE(dialog, nullptr);
  EXPECT_EQ(as_hwnd(g_dialog_slots[SCREEN_KIND_DESIGN][0]), dialog);
  EXPECT_EQ(get_mode_flag(CMD_SEARCH), 1);
  EXPECT_EQ(IsDlgButtonChecked(dialog, IDC_SEARCH_DOWN), BST_CHECKED);
  EXPECT_EQ(text_of(dialog, IDC_DEVICE_EDIT), "T0");
  view->sel_col = NO_SELECTION;

  std::vector<std::pair<int, int>> stops;
  for (int i = 0; i < 4; ++i) {
    click(dialog, IDOK);
    stops.push_back(cursor());
  }
  // The timer's own output, then its contacts.
  EXPECT_EQ(stops, (std::vector<std::pair<int, int>>{{4, 11}, {5, 0}, {8, 1}, {9, 0}}));
  EXPECT_EQ(g_search_text, "T0");
  picture("search_dialog_found");

  boxes_->answer(IDOK);
  click(dialog, IDOK);
  ASSERT_EQ(boxes_->shown().size(), 1u);
  EXPECT_EQ(narrow(boxes_->shown()[0].text), MSG_NOT_FOUND);
  EXPECT_EQ(narrow(boxes_->shown()[0].caption), SEARCH_CAPTION_CONFIRM);
  EXPECT_EQ(boxes_->shown()[0].owner, dialog);

  // The wrapping mode goes round once; the continued search upwards walks back.
  click(dialog, IDC_SEARCH_DOWN + SEARCH_DOWN_WRAP);
  EXPECT_EQ(g_search_mode, SEARCH_DOWN_WRAP);
  click(dialog, IDOK);
  EXPECT_EQ(cursor(), std::make_pair(4, 11));
  run_continued_search(window, *grid, *view, continued_search(CMD_SEARCH_DOWN, g_search_mode));
  EXPECT_EQ(cursor(), std::make_pair(5, 0));
  run_continued_search(window, *grid, *view, continued_search(CMD_SEARCH_UP, g_search_mode));
  EXPECT_EQ(cursor(), std::make_pair(4, 11));

  click(dialog, IDCANCEL);
  EXPECT_FALSE(IsWindow(dialog));
  EXPECT_EQ(g_dialog_slots[SCREEN_KIND_DESIGN][0], 0u);
  EXPECT_EQ(get_mode_flag(CMD_SEARCH), 0);
}

TEST_F(SearchDialogsWin, TheListFormListsUsedDevicesAndJumpsToAUse) {
  HWND compact = open_search_dialog(window);
  ASSERT_NE(compact, nullptr);
  click(compact, IDC_SWITCH_FORM);
  EXPECT_FALSE(IsWindow(compact));
  HWND dialog = search_dialog();
  ASSERT_NE(dialog, nullptr);
  EXPECT_NE(GetDlgItem(dialog, IDC_DEVICE_LIST), nullptr);
  EXPECT_EQ(g_search_dialog_variant, 1);
  EXPECT_EQ(get_mode_flag(CMD_SEARCH), 1);

  click(dialog, 557);  // Ｔ
  EXPECT_EQ(IsDlgButtonChecked(dialog, 557), BST_CHECKED);
  EXPECT_EQ(IsDlgButtonChecked(dialog, 553), BST_UNCHECKED);
  EXPECT_EQ(list_lines(dialog), (std::vector<std::string>{"T0 T1 T2 "}));
  choose_line(dialog, 0);
  EXPECT_EQ(text_of(dialog, IDC_DEVICE_EDIT), "T");

  click(dialog, IDC_ONE_COLUMN);
  EXPECT_EQ(IsDlgButtonChecked(dialog, IDC_ONE_COLUMN), BST_CHECKED);
  EXPECT_EQ(list_lines(dialog), (std::vector<std::string>{"T0", "T1", "T2"}));
  choose_line(dialog, 1);
  EXPECT_EQ(text_of(dialog, IDC_DEVICE_EDIT), "T1");
  // Uses with the line numbers of the program rows (comment rows are not counted).
  EXPECT_EQ(list_lines(dialog), (std::vector<std::string>{"T1-4-O ", "T1-5-A ", "T1-7-B ", "T1-8-A "}));
  choose_line(dialog, 2);
  EXPECT_EQ(cursor(), std::make_pair(9, 1));
  EXPECT_EQ(view->sel_row, 9);
  picture("search_dialog_list_form");

  // The next opening shows the list form again.
  click(dialog, IDCANCEL);
  HWND again = open_search_dialog(window);
  ASSERT_NE(again, nullptr);
  EXPECT_NE(GetDlgItem(again, IDC_DEVICE_LIST), nullptr);
  EXPECT_EQ(list_lines(again), (std::vector<std::string>{"T0", "T1", "T2"}));
  choose_line(again, 0);  // the old uses of T1 are not jumped to
  EXPECT_EQ(text_of(again, IDC_DEVICE_EDIT), "T0");
}

TEST_F(SearchDialogsWin, ReplaceAcrossTheDesignKeepsTheProgramCompilable) {
  const int undo_before = g_design_undo.count;
  std::vector<std::string> expected = ladder_to_text(*grid);
  for (std::string& row : expected) {
    if (row.rfind(";", 0) == 0) continue;  // comment rows keep their text
    for (size_t at = row.find("T0"); at != std::string::npos; at = row.find("T0", at)) row.replace(at, 2, "T7");
  }
  const std::string timer_comment = (*grid)[4].text[11];
  ASSERT_FALSE(timer_comment.empty());
  const std::string text = "T0";
  HWND dialog = open_replace_dialog(window, &text);
  ASSERT_NE(dialog, nullptr);
  EXPECT_EQ(get_mode_flag(CMD_REPLACE), 1);
  EXPECT_EQ(IsDlgButtonChecked(dialog, IDC_KEEP_COMMENT), BST_CHECKED);

  // The keypad types into the box that had the focus last.
  SetFocus(GetDlgItem(dialog, IDC_NEW_DEVICE_EDIT));
  pump_messages();
  click(dialog, IDC_KEYPAD_CLEAR);
  click(dialog, 0x500 + 'T');
  click(dialog, 0x507 + '7');
  click(dialog, 1371);  // caret left
  click(dialog, 0x507 + '1');
  EXPECT_EQ(text_of(dialog, IDC_NEW_DEVICE_EDIT), "T17");
  click(dialog, 1376);  // BS
  EXPECT_EQ(text_of(dialog, IDC_NEW_DEVICE_EDIT), "T7");
  EXPECT_EQ(text_of(dialog, IDC_DEVICE_EDIT), "T0");
  picture("replace_dialog");

  view->sel_col = NO_SELECTION;
  view->cursor_row = 0;
  view->cursor_col = 0;
  for (int i = 0; i < 4; ++i) boxes_->answer(IDYES);
  boxes_->answer(IDNO);  // no second pass from the top
  click(dialog, IDOK);
  ASSERT_EQ(boxes_->shown().size(), 5u);
  EXPECT_EQ(narrow(boxes_->shown()[0].text), ASK_REPLACE);
  EXPECT_EQ(boxes_->shown()[0].owner, dialog);
  EXPECT_EQ(narrow(boxes_->shown()[4].text), ASK_RESTART_REPLACE);
  EXPECT_EQ(g_design_undo.count, undo_before + 1);

  const std::vector<std::string> rows = ladder_to_text(*grid);
  EXPECT_EQ(rows, expected);
  EXPECT_EQ(std::string((*grid)[4].text[11]), timer_comment);  // the comments stay

  InstructionList list = make_instruction_list(200);
  ASSERT_EQ(compile_ladder(window, *grid, list, nullptr, 0), 0) << ladder_picture(*grid);
  int t7 = 0;
  for (const InstructionRecord& r : list_records(list))
    for (int k = 1; k <= 4; ++k) {
      EXPECT_NE(r.word[k], il::T(0)) << record_text(r);
      if (r.word[k] == il::T(7)) ++t7;
    }
  EXPECT_EQ(t7, 4);

  // A refused new device changes nothing.
  SetDlgItemTextW(dialog, IDC_DEVICE_EDIT, L"T7");
  SetDlgItemTextW(dialog, IDC_NEW_DEVICE_EDIT, L"Q?");
  boxes_->answer(IDOK);
  click(dialog, IDOK);
  EXPECT_EQ(narrow(boxes_->shown().back().text), MSG_BAD_OPERAND);
  EXPECT_EQ(ladder_to_text(*grid), rows);
  EXPECT_EQ(g_design_undo.count, undo_before + 1);

  click(dialog, IDCANCEL);
  EXPECT_EQ(get_mode_flag(CMD_REPLACE), 0);
}

// The mnemonic screen's branch: the dialogs call what the mnemonic screen installed.
struct MnemonicCalls {
  std::vector<std::string> calls;
};
MnemonicCalls g_mnemonic_calls;
int stub_search(HWND, void* text, ViewState&, const char* word) {
  g_mnemonic_calls.calls.push_back(std::string("search ") + word + (text != nullptr ? "" : " (no text)"));
  return 15;
}
int stub_replace(HWND, void*, ViewState&, const char* old_text, const char* new_text) {
  g_mnemonic_calls.calls.push_back(std::string("replace ") + old_text + " " + new_text);
  return 1;
}
void stub_push_undo(HWND, void*) { g_mnemonic_calls.calls.push_back("undo"); }
void stub_repaint() { g_mnemonic_calls.calls.push_back("repaint"); }

LRESULT CALLBACK plain_child_proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  return DefMDIChildProcW(window, message, wparam, lparam);
}

// A document window of a plain class (registered once) holding `document` of `kind`, made
// the active child.
HWND plain_document_window(void* document, ViewState* view, DocumentKind kind) {
  WNDCLASSW child{};
  child.lpfnWndProc = plain_child_proc;
  child.cbWndExtra = CHILD_WINDOW_EXTRA_BYTES;
  child.hInstance = g_instance;
  child.lpszClassName = L"searchplainfl";
  RegisterClassW(&child);
  HWND window = create_document_window(L"searchplainfl", L"plain");
  if (window == nullptr) return nullptr;
  SetWindowLongPtrW(window, CHILD_EXTRA_DOCUMENT, reinterpret_cast<LONG_PTR>(document));
  SetWindowLongPtrW(window, CHILD_EXTRA_VIEW_STATE, reinterpret_cast<LONG_PTR>(view));
  set_document_kind(window, kind);
  SendMessageW(g_mdi_client, WM_MDIACTIVATE, reinterpret_cast<WPARAM>(window), 0);
  pump_messages();
  return window;
}

TEST_F(SearchDialogsWin, OnTheMnemonicScreenTheDialogsCallTheTextSearch) {
  g_mnemonic_calls = {};
  set_mnemonic_search_hooks({stub_search, stub_replace, stub_push_undo, stub_repaint});
  // A window holding a mnemonic text, as the text hooks see it (they are stubs here).
  int text = 0;
  ViewState text_view = *view;
  HWND text_window = plain_document_window(&text, &text_view, DocumentKind::MNEMONIC_TEXT);
  ASSERT_NE(text_window, nullptr);
  g_screen_kind = SCREEN_KIND_MNEMONIC;
  HWND dialog = open_search_dialog(text_window, nullptr);
  ASSERT_NE(dialog, nullptr);
  EXPECT_EQ(as_hwnd(g_dialog_slots[SCREEN_KIND_MNEMONIC][0]), dialog);
  EXPECT_FALSE(IsWindowEnabled(GetDlgItem(dialog, IDC_SEARCH_INSTRUCTION)));

  boxes_->answer(IDOK);
  click(dialog, IDC_SEARCH_OUTPUTS);
  EXPECT_EQ(g_search_mode, SEARCH_OUTPUTS);  // set all the same
  boxes_->answer(IDOK);
  click(dialog, IDC_SWITCH_FORM);  // no list form on this screen
  EXPECT_TRUE(IsWindow(dialog));
  ASSERT_EQ(boxes_->shown().size(), 2u);
  EXPECT_EQ(narrow(boxes_->shown()[0].text), "出力ｻｰﾁは ﾆｰﾓﾆｯｸ画面ではｻﾎﾟｰﾄしていません！");
  EXPECT_EQ(narrow(boxes_->shown()[1].text), "ﾆｰﾓﾆｯｸでは既存ﾌｧｲﾙ表示は有りません！\n記憶か番号のメモが必要です。");
  EXPECT_EQ(narrow(boxes_->shown()[1].caption), "警告");

  SetDlgItemTextW(dialog, IDC_DEVICE_EDIT, L"ld");
  click(dialog, IDOK);
  click(dialog, IDCANCEL);

  HWND replace = open_replace_dialog(text_window, nullptr);
  ASSERT_NE(replace, nullptr);
  SetDlgItemTextW(replace, IDC_DEVICE_EDIT, L"X0");
  SetDlgItemTextW(replace, IDC_NEW_DEVICE_EDIT, L"X1");
  click(replace, IDOK);
  click(replace, IDCANCEL);
  EXPECT_EQ(g_mnemonic_calls.calls,
            (std::vector<std::string>{"search ld", "repaint", "replace X0 X1", "undo", "repaint"}));
  EXPECT_EQ(g_dialog_slots[SCREEN_KIND_MNEMONIC][0], 0u);
  set_mnemonic_search_hooks({});
  DestroyWindow(text_window);
  pump_messages();
}

// A grid window that is no design window (the monitor's form): the replace changes nothing.
TEST_F(SearchDialogsWin, TheReplaceLeavesAMonitorGridAlone) {
  LadderGrid monitor_grid = *grid;
  ViewState monitor_view = *view;
  HWND monitor = plain_document_window(&monitor_grid, &monitor_view, DocumentKind::MONITOR_GRID);
  ASSERT_NE(monitor, nullptr);
  ASSERT_EQ(reinterpret_cast<HWND>(SendMessageW(g_mdi_client, WM_MDIGETACTIVE, 0, 0)), monitor);
  g_screen_kind = SCREEN_KIND_MONITOR;

  const std::vector<std::string> before = ladder_to_text(monitor_grid);
  HWND dialog = open_replace_dialog(monitor, nullptr);
  ASSERT_NE(dialog, nullptr);
  SetDlgItemTextW(dialog, IDC_DEVICE_EDIT, L"T0");
  SetDlgItemTextW(dialog, IDC_NEW_DEVICE_EDIT, L"T7");
  click(dialog, IDOK);
  EXPECT_TRUE(boxes_->shown().empty());
  EXPECT_EQ(ladder_to_text(monitor_grid), before);

  // The search works on the monitor's grid as on a design's.
  click(dialog, IDCANCEL);
  const std::string text = "T1";
  HWND search = open_search_dialog(monitor, &text);
  ASSERT_NE(search, nullptr);
  monitor_view.sel_col = NO_SELECTION;
  click(search, IDOK);
  EXPECT_EQ(std::make_pair(monitor_view.cursor_row, monitor_view.cursor_col), std::make_pair(5, 11));
  click(search, IDCANCEL);
  SendMessageW(monitor, WM_CLOSE, 0, 0);
  pump_messages();
  g_screen_kind = SCREEN_KIND_DESIGN;
}

// The Space key's highlight of a device's uses, drawn; a click in search
// mode feeds the open list form with the uses of the clicked device.
TEST_F(SearchDialogsWin, TheUsesOfADeviceAreDrawnAndListed) {
  ASSERT_EQ(design_input_hooks().list_uses, list_device_uses);
  view->sel_row = view->cursor_row = 5;
  view->sel_col = view->cursor_col = 0;
  SendMessageW(window, WM_KEYDOWN, VK_SPACE, 0);
  pump_messages();
  EXPECT_EQ(g_search_highlight, 1);
  std::vector<std::pair<int, int>> framed;
  for (int i = 0; i < VIEW_HIT_SLOTS && view->hit_rows[i] != HIT_LIST_END; ++i)
    framed.emplace_back(view->hit_rows[i], view->hit_cols[i]);
  EXPECT_EQ(framed, (std::vector<std::pair<int, int>>{{4, 10}, {5, 0}, {8, 1}, {9, 0}}));  // a timer is framed at its coil
  InvalidateRect(window, nullptr, TRUE);
  picture("design_device_hits");
  SendMessageW(window, WM_KEYDOWN, VK_SPACE, 0);
  EXPECT_EQ(g_search_highlight, 0);

  g_search_dialog_variant = 1;
  HWND dialog = open_search_dialog(window, nullptr);
  ASSERT_NE(dialog, nullptr);
  DialogRequest request;
  request.dialog = DesignDialog::SEARCH;
  request.set_text = true;
  request.text = "T2";
  request.list_uses = true;
  feed_search_dialog(window, request);
  EXPECT_EQ(text_of(dialog, IDC_DEVICE_EDIT), "T2");
  EXPECT_EQ(list_lines(dialog), (std::vector<std::string>{"T2-3-B ", "T2-5-O "}));
  DesignModes modes;
  read_search_dialog_state(modes);
  EXPECT_TRUE(modes.search_dialog_open);
  EXPECT_TRUE(modes.search_list_form);
}

// The design window's own commands reach this module through the hooks the frame installs:
// the search and replace commands open the dialogs with the cursor cell's text, and Alt+F5 and
// Alt+F10 continue the last search after the dialog has closed.
TEST_F(SearchDialogsWin, TheDesignCommandsOpenTheDialogsAndContinueTheSearch) {
  ASSERT_EQ(g_toolbar_kind, TOOLBAR_KIND_DESIGN);
  view->sel_row = view->cursor_row = 5;
  view->sel_col = view->cursor_col = 0;
  SendMessageW(window, WM_COMMAND, CMD_SEARCH, 0);
  HWND dialog = search_dialog();
  ASSERT_NE(dialog, nullptr);
  EXPECT_EQ(search_device_word(text_of(dialog, IDC_DEVICE_EDIT)), "T0");
  click(dialog, IDOK);
  EXPECT_EQ(cursor(), std::make_pair(8, 1));
  click(dialog, IDCANCEL);
  EXPECT_EQ(search_dialog(), nullptr);

  SendMessageW(window, WM_COMMAND, CMD_SEARCH_DOWN, 0);  // Alt+F5
  EXPECT_EQ(cursor(), std::make_pair(9, 0));
  SendMessageW(window, WM_COMMAND, CMD_SEARCH_UP, 0);  // Alt+F10
  EXPECT_EQ(cursor(), std::make_pair(8, 1));
  EXPECT_EQ(g_search_mode, SEARCH_UP);
  // Without the dialog the downward search does not wrap: after the last use it reports the miss.
  SendMessageW(window, WM_COMMAND, CMD_SEARCH_DOWN, 0);
  boxes_->answer(IDOK);
  SendMessageW(window, WM_COMMAND, CMD_SEARCH_DOWN, 0);
  EXPECT_EQ(cursor(), std::make_pair(9, 0));
  ASSERT_EQ(boxes_->shown().size(), 1u);
  EXPECT_EQ(narrow(boxes_->shown()[0].text), MSG_NOT_FOUND);

  view->sel_row = view->cursor_row = 6;
  view->sel_col = view->cursor_col = 0;
  SendMessageW(window, WM_COMMAND, CMD_REPLACE, 0);
  HWND replace = replace_dialog();
  ASSERT_NE(replace, nullptr);
  EXPECT_EQ(search_device_word(text_of(replace, IDC_DEVICE_EDIT)), "T1");
  EXPECT_EQ(get_mode_flag(CMD_REPLACE), 1);
  // The device comes selected in the focused box: typing replaces it at once.
  DWORD from = 1, to = 0;
  SendDlgItemMessageW(replace, IDC_DEVICE_EDIT, EM_GETSEL, reinterpret_cast<WPARAM>(&from), reinterpret_cast<LPARAM>(&to));
  EXPECT_EQ(from, 0u);
  EXPECT_EQ(to, static_cast<DWORD>(GetWindowTextLengthW(GetDlgItem(replace, IDC_DEVICE_EDIT))));
  EXPECT_GT(to, 0u);
  EXPECT_EQ(GetFocus(), GetDlgItem(replace, IDC_DEVICE_EDIT));
}

}  // namespace
