// The mnemonic screen's compile, search and replace on the real program under Wine: a
// program typed into the project's mnemonic window is compiled, the design the frame
// makes of it is opened on the design screen; a broken line is listed in the
// compile-error dialog, which jumps to it; words are searched and replaced through the
// dialogs' mnemonic branch.
#include "target/windows_api.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "core/ladder_model.h"
#include "core/mnemonic_text.h"
#include "design/design_window_win.h"
#include "design/undo_ring.h"
#include "shell/view_state.h"
#include "mnemonic/mnemonic_compile.h"
#include "mnemonic/mnemonic_compile_win.h"
#include "mnemonic/mnemonic_search.h"
#include "mnemonic/mnemonic_search_win.h"
#include "design/search_dialogs_win.h"
#include "mnemonic/mnemonic_screen.h"
#include "mnemonic/mnemonic_window_win.h"
#include "shell/command_ids.h"
#include "frame/frame_commands_win.h"
#include "shell/compile_chain.h"
#include "shell/documents.h"
#include "frame/frame_win.h"
#include "shell/mode_flags.h"
#include "shell/path_parts.h"
#include "shell/settings_file.h"
#include "shell/text_win.h"
#include "shell/window_lists_win.h"
#include "win/mnemonic_fixtures.h"
#include "win/mnemonic_screen_fixture.h"
#include "win/rig_helper.h"

namespace {

std::string narrow(const std::wstring& wide) {
  std::string text;
  wide_to_cp932(wide, text);
  return text;
}

std::vector<std::string> statements(HWND window) { return nic_window_statements(window); }

std::string field(HWND dialog, int id) {
  wchar_t buffer[128] = {};
  GetDlgItemTextW(dialog, id, buffer, 128);
  return narrow(buffer);
}

class MnemonicCompileWin : public MnemonicScreenTest {};

TEST_F(MnemonicCompileWin, ATypedProgramBecomesTheDesignAndABrokenLineIsListed) {
  HWND window = open_project_text("END\r\n0FFFF0 0FFFF0\r\n");
  ASSERT_NE(window, nullptr);
  type_line(window, "LD X0");
  type_line(window, "OR Y0");
  type_line(window, "ANI X1");
  type_line(window, "OUT Y0");
  ASSERT_EQ(statements(window), (std::vector<std::string>{"LD X0", "OR Y0", "ANI X1", "OUT Y0", "END"}));

  boxes_->answer(IDOK);  // "他の画面は閉じられます！"
  boxes_->answer(IDOK);  // "PUMP.MBS ファイルが出来ました！"
  SendMessageW(window, WM_COMMAND, CMD_COMPILE_MNEMONIC, 0);
  pump_messages();
  ASSERT_EQ(shown(), (std::vector<std::string>{"他の画面は閉じられます！", "PUMP.MBS ファイルが出来ました！"}));
  EXPECT_FALSE(project_file(L"PUMP.SEQ").empty());
  EXPECT_EQ(project_file(L"PUMP.NIC"), "LD X0\r\nOR Y0\r\nANI X1\r\nOUT Y0\r\nEND\r\n0FFFF0 0FFFF0\r\n");
  EXPECT_EQ(text_differs_from_saved(*nic_window_text(window), *nic_window_saved_text(window)), 0);

  // The design the frame made, opened on the design screen.
  dialogs_->choose(path_of(L"PUMP.MBS"));
  SendMessageW(frame_, WM_COMMAND, CMD_OPEN_DESIGN, 0);
  pump_messages();
  ASSERT_NE(g_design_windows[0], 0u);
  HWND design = as_hwnd(g_design_windows[0]);
  const LadderGrid& grid = *design_grid_of(design);
  // Row 0: X0, then the negated X1 in series, the coil Y0; row 1: Y0 in parallel with X0.
  EXPECT_EQ(grid[0].cell[0].word[1] & 0xFFFF, 0u);
  EXPECT_EQ(grid[1].cell[0].word[1] & 0xFFFF, 0u);
  EXPECT_NE(grid[0].cell[0].word[1] >> 24, grid[1].cell[0].word[1] >> 24);  // X0 and Y0
  EXPECT_EQ(grid[0].cell[1].word[1] & 0xFFFF, 1u);                            // X1
  EXPECT_EQ(grid[0].cell[1].word[1] >> 24, grid[0].cell[0].word[1] >> 24);   // an X device
  EXPECT_EQ(grid[0].cell[11].word[1], grid[1].cell[0].word[1]);               // the coil Y0
  EXPECT_NE(grid[0].cell[11].word[0], 0u);
  SendMessageW(frame_, WM_COMMAND, CMD_SCREEN_DESIGN, 0);  // the design in front, the text minimised
  pump_messages();
  InvalidateRect(design, nullptr, TRUE);
  pump_messages();
  EXPECT_FALSE(save_screenshot("mnemonic_compiled_design").empty());

  // Back on the mnemonic screen: a broken line.
  SendMessageW(frame_, WM_COMMAND, CMD_SCREEN_MNEMONIC, 0);
  pump_messages();
  window = as_hwnd(g_mnemonic_windows[0]);
  ASSERT_TRUE(IsWindow(window));
  SetFocus(window);
  ViewState& view = *nic_window_view(window);
  view.cursor_row = 2;
  view.cursor_col = 0;
  SendMessageW(window, WM_CHAR, 'Q', 1);  // "QANI X1"
  view.cursor_row = 0;
  const std::string seq_before = project_file(L"PUMP.SEQ");
  const std::string design_before = project_file(L"PUMP.MBS");
  const size_t boxes_before = boxes_->shown().size();
  SendMessageW(window, WM_COMMAND, CMD_COMPILE_MNEMONIC, 0);
  pump_messages();
  EXPECT_EQ(boxes_->shown().size(), boxes_before);  // no message, above all no success
  EXPECT_EQ(project_file(L"PUMP.SEQ"), seq_before);
  EXPECT_EQ(project_file(L"PUMP.MBS"), design_before);
  HWND list = as_hwnd(dialog_slot_row(g_screen_kind)[0]);
  ASSERT_TRUE(IsWindow(list));
  ASSERT_EQ(SendDlgItemMessageW(list, NIC_ERROR_LIST, LB_GETCOUNT, 0, 0), 1);
  wchar_t line[256] = {};
  SendDlgItemMessageW(list, NIC_ERROR_LIST, LB_GETTEXT, 0, reinterpret_cast<LPARAM>(line));
  EXPECT_EQ(narrow(line).rfind("3行-0ｵﾍﾟﾗﾝﾄﾞ   ", 0), 0u) << narrow(line);
  // The list's layout: a resizable box, the jump the default button, both buttons above
  // the list, in dialog units.
  EXPECT_NE(GetWindowLongPtrW(list, GWL_STYLE) & WS_THICKFRAME, 0);
  EXPECT_EQ(LOWORD(SendMessageW(list, DM_GETDEFID, 0, 0)), NIC_ERROR_JUMP);
  struct Placed {
    int id;
    RECT units;
  };
  for (const Placed& p : {Placed{NIC_ERROR_JUMP, {10, 5, 70, 22}}, Placed{NIC_ERROR_CANCEL, {108, 5, 148, 22}},
                          Placed{NIC_ERROR_LIST, {2, 27, 158, 67}}}) {
    RECT expected = p.units;
    MapDialogRect(list, &expected);
    RECT got{};
    GetWindowRect(GetDlgItem(list, p.id), &got);
    MapWindowPoints(nullptr, list, reinterpret_cast<POINT*>(&got), 2);
    EXPECT_EQ(got.left, expected.left) << p.id;
    EXPECT_EQ(got.top, expected.top) << p.id;
    EXPECT_EQ(got.right - got.left, expected.right - expected.left) << p.id;
  }
  RECT whole{};
  GetClientRect(list, &whole);
  RECT units{0, 0, 160, 80};
  MapDialogRect(list, &units);
  EXPECT_EQ(whole.right, units.right);
  wchar_t button[64] = {};
  GetDlgItemTextW(list, NIC_ERROR_JUMP, button, 64);
  EXPECT_EQ(narrow(button), "エラ－行ジャンプ");

  // Nothing selected: no jump. Then the jump to the line.
  SendMessageW(list, WM_COMMAND, MAKEWPARAM(NIC_ERROR_JUMP, BN_CLICKED), 0);
  EXPECT_EQ(view.cursor_row, 0);
  SendDlgItemMessageW(list, NIC_ERROR_LIST, LB_SETCURSEL, 0, 0);
  SendMessageW(list, WM_COMMAND, MAKEWPARAM(NIC_ERROR_JUMP, BN_CLICKED), 0);
  pump_messages();
  EXPECT_EQ(view.cursor_row, 2);
  EXPECT_EQ(view.sel_row, 2);
  EXPECT_EQ(view.sel_col, 0);
  EXPECT_EQ(view.sel_width, 2);
  SetWindowPos(list, HWND_TOP, 360, 220, 0, 0, SWP_NOSIZE);
  pump_messages();
  EXPECT_FALSE(save_screenshot("mnemonic_compile_errors").empty());

  SendMessageW(list, WM_COMMAND, MAKEWPARAM(NIC_ERROR_CANCEL, BN_CLICKED), 0);
  pump_messages();
  EXPECT_FALSE(IsWindow(list));
  EXPECT_EQ(dialog_slot_row(g_screen_kind)[0], 0u);
}

TEST_F(MnemonicCompileWin, RefusalsOfANewTextAndOfASecondFile) {
  HWND window = open_project_text("LD X0\r\nOUT Y0\r\nEND\r\n0FFFF0 0FFFF0\r\n");
  ASSERT_NE(window, nullptr);
  // A second file's window may not compile.
  dialogs_->choose(path_of(L"PUMP.NIC"));
  SendMessageW(frame_, WM_COMMAND, CMD_OPEN_MNEMONIC, 0);
  pump_messages();
  ASSERT_EQ(g_mnemonic_window_count, 2);
  HWND second = as_hwnd(g_mnemonic_windows[1]);
  boxes_->answer(IDOK);
  SendMessageW(second, WM_COMMAND, CMD_COMPILE_MNEMONIC, 0);
  ASSERT_EQ(shown(), (std::vector<std::string>{MSG_COMPILE_NOT_FIRST}));
  EXPECT_EQ(boxes_->shown()[0].owner, second);
  EXPECT_TRUE(project_file(L"PUMP.SEQ").empty());
  // A project never named may not compile.
  std::memcpy(g_project_name, NEW_PROJECT_NAME, sizeof NEW_PROJECT_NAME);
  boxes_->answer(IDOK);
  SendMessageW(window, WM_COMMAND, CMD_COMPILE_MNEMONIC, 0);
  EXPECT_EQ(shown().back(), MSG_COMPILE_NEW);
  EXPECT_TRUE(project_file(L"PUMP.SEQ").empty());
}

TEST_F(MnemonicCompileWin, SearchAndReplaceThroughTheDialogs) {
  HWND window = open_project_text("LD X0\r\nAND X1\r\nOUT Y0\r\nLD x1\r\nOUT Y1\r\nEND\r\n0FFFF0 0FFFF0\r\n");
  ASSERT_NE(window, nullptr);
  SendMessageW(g_mdi_client, WM_MDIACTIVATE, reinterpret_cast<WPARAM>(window), 0);
  pump_messages();
  ViewState& view = *nic_window_view(window);

  // The search command opens the search dialog into slot 0 with an empty field.
  SendMessageW(window, WM_COMMAND, CMD_SEARCH, 0);
  HWND dialog = as_hwnd(dialog_slot_row(g_screen_kind)[0]);
  ASSERT_TRUE(IsWindow(dialog));
  EXPECT_EQ(dialog, search_dialog());
  EXPECT_EQ(field(dialog, 717), "");
  EXPECT_EQ(get_mode_flag(CMD_SEARCH), 1);
  EXPECT_FALSE(IsWindowEnabled(GetDlgItem(dialog, 655)));  // no instruction search here

  // A click on a word feeds it to the dialog.
  SendMessageW(window, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5 * g_text_char_width + 1, 1 * g_text_line_height + 1));
  SendMessageW(window, WM_LBUTTONUP, 0, 0);
  EXPECT_EQ(field(dialog, 717), "X1");
  EXPECT_EQ(view.sel_row, 1);
  EXPECT_EQ(view.sel_col, 4);

  // OK searches down from the clicked word: "x1" on line 3, then nothing.
  SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
  pump_messages();
  EXPECT_EQ(view.cursor_row, 3);
  EXPECT_EQ(view.sel_row, 3);
  EXPECT_EQ(view.sel_width, 2);
  SetWindowPos(dialog, HWND_TOP, 420, 200, 0, 0, SWP_NOSIZE);
  pump_messages();
  EXPECT_FALSE(save_screenshot("mnemonic_search").empty());
  boxes_->answer(IDOK);
  SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
  ASSERT_EQ(shown(), (std::vector<std::string>{MSG_WORD_NOT_FOUND}));
  EXPECT_EQ(boxes_->shown()[0].owner, dialog);
  // The output search is not offered on this screen.
  boxes_->answer(IDOK);
  SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(654, BN_CLICKED), 0);
  boxes_->answer(IDOK);
  SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
  EXPECT_EQ(shown().back(), MSG_OUTPUT_SEARCH_UNSUPPORTED);
  SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
  pump_messages();
  EXPECT_FALSE(IsWindow(dialog));

  // Replace from the top: yes, no, then no restart; the dialog's undo snapshot brings it back.
  HWND replace = open_replace_dialog(window);
  ASSERT_NE(replace, nullptr);
  view.cursor_row = 0;
  view.cursor_col = 0;
  SetDlgItemTextW(replace, 717, L"x1");
  SetDlgItemTextW(replace, 718, L"m7");
  boxes_->answer(IDYES);
  boxes_->answer(IDNO);
  boxes_->answer(IDNO);
  SendMessageW(replace, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
  pump_messages();
  EXPECT_EQ(statements(window), (std::vector<std::string>{"LD X0", "AND M7", "OUT Y0", "LD x1", "OUT Y1", "END"}));
  const std::vector<std::string> texts = shown();
  ASSERT_GE(texts.size(), 3u);
  EXPECT_EQ(std::vector<std::string>(texts.end() - 3, texts.end()),
            (std::vector<std::string>{MSG_REPLACE_QUESTION, MSG_REPLACE_QUESTION, MSG_REPLACE_RESTART}));
  EXPECT_EQ(boxes_->shown().back().owner, window);
  EXPECT_EQ(boxes_->shown()[boxes_->shown().size() - 2].owner, replace);
  // In replace mode a click feeds the old word and empties the new one.
  set_mode_flag(CMD_REPLACE, 1);
  SendMessageW(window, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(1 * g_text_char_width + 1, 2 * g_text_line_height + 1));
  SendMessageW(window, WM_LBUTTONUP, 0, 0);
  EXPECT_EQ(field(replace, 717), "OUT");
  EXPECT_EQ(field(replace, 718), "");
  SendMessageW(window, WM_COMMAND, CMD_UNDO, 0);
  EXPECT_EQ(statements(window)[1], "AND X1");
  DestroyWindow(replace);
}

}  // namespace
