// The README's "A first program" walked as it is written, through the real program (the
// frame and its real windows) against the board simulator on a pty that a COM port is mapped
// to (scripts/test.d/85-first-program.sh sets it up). Every control the README names is found
// by the name the user sees, and used as the user uses it: the guide's buttons by their text,
// the menus by the texts of their items, the toolbar buttons by their tooltips (clicked where
// they stand on the toolbar), the keys through the program's accelerator table, the dialogs'
// buttons by their text. A control that is missing, greyed or named otherwise fails the walk.
// Pictures of every step: build/screenshots/first_*.png. Without the rig the test is skipped.
//
// Modal calls go through the program's seams: message boxes are answered as a user who goes
// on would (Yes to a question, OK to a notice) and each is kept and printed; popup menus are
// dismissed.
//
// The rig passes, in the environment:
//   TAVOLIN_FIRST_PROGRAM_SLOT    the COM number mapped to the simulator (it starts with X2 on)
//   TAVOLIN_FIRST_PROGRAM_STATE   the Unix path of the simulator's state file
#include "core/device_tables.h"  // before <windows.h>, which defines OUT
#include "core/ladder_model.h"

#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "board/com_dialog.h"
#include "board/com_dialog_win.h"
#include "core/instruction_tables.h"
#include "core/mnemonic_text.h"
#include "design/comment_dialog_win.h"
#include "design/comment_entry.h"
#include "design/design_window_win.h"
#include "design/number_dialog_win.h"
#include "design/number_entry.h"
#include "design/view_geometry_win.h"
#include "shell/view_state.h"
#include "mnemonic/mnemonic_window_win.h"
#include "shell/command_ids.h"
#include "frame/frame_commands_win.h"
#include "frame/frame_win.h"
#include "shell/message_box_win.h"
#include "shell/mode_flags.h"
#include "shell/modifier_keys_win.h"
#include "frame/one_click.h"
#include "shell/popup_menu_win.h"
#include "shell/settings_file.h"
#include "shell/text_win.h"
#include "shell/toolbar_win.h"
#include "shell/window_lists.h"
#include "shell/window_lists_win.h"
#include "target/device_images.h"
#include "target/serial_port.h"
#include "win/monitor_fixtures.h"
#include "win/rig_helper.h"
#include "win/walk_fixture.h"

namespace {

using walk_test::env;
using walk_test::narrow;
using walk_test::window_text;

// A menu item's text as the user reads it: without its "(&X)" access key and its '&'.
std::string plain_menu_text(const wchar_t* text) {
  std::wstring s(text);
  const size_t key = s.find(L"(&");
  if (key != std::wstring::npos) s.erase(key, s.find(L')', key) - key + 1);
  s.erase(std::remove(s.begin(), s.end(), L'&'), s.end());
  return narrow(s);
}

// The child window (control) of `parent` whose text is `text`.
struct ChildSearch {
  std::wstring text;
  HWND found = nullptr;
};
BOOL CALLBACK take_child_named(HWND child, LPARAM search_pointer) {
  auto* search = reinterpret_cast<ChildSearch*>(search_pointer);
  wchar_t text[256] = L"";
  GetWindowTextW(child, text, 256);
  if (search->text != text) return TRUE;
  search->found = child;
  return FALSE;
}
HWND child_named(HWND parent, const std::string& text) {
  ChildSearch search{cp932_to_wide(text)};
  if (parent != nullptr) EnumChildWindows(parent, take_child_named, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

// A blank row as the blank-line command opens it: the link to the left rail, nothing else.
bool is_blank_row(const LadderRow& row) {
  if (row.cell[0].word[0] != 2) return false;
  for (int c = 1; c < ROW_CELLS; ++c)
    if (row.cell[c].word[0] != 0) return false;
  return true;
}

class FirstProgram : public walk_test::Walk {
 protected:
  FirstProgram() : Walk("TAVOLIN_FIRST_PROGRAM_SLOT", "scripts/test.d/85-first-program.sh") {}
  // The modifier keys the walk holds down, as the program asks for them.
  bool modifier_down(int vk) const override { return vk == VK_CONTROL && ctrl_down; }

  // ---- The controls, found by their names -------------------------------------------------

  // The command of the menu item reached through the frame's menu bar by the texts of the
  // items on the way ("編集", "空行", "空行開け"); 0 (and a failure) when one is missing or
  // the item is greyed.
  int menu_item(std::initializer_list<const char*> path) {
    HMENU menu = GetMenu(frame_);
    std::string walked;
    int id = 0;
    for (const char* name : path) {
      walked += std::string(walked.empty() ? "" : " > ") + name;
      if (menu == nullptr) {
        ADD_FAILURE() << "no menu holds " << walked;
        return 0;
      }
      bool found = false;
      for (int i = 0; i < GetMenuItemCount(menu); ++i) {
        wchar_t text[128] = L"";
        MENUITEMINFOW info{};
        info.cbSize = sizeof info;
        info.fMask = MIIM_STRING | MIIM_SUBMENU | MIIM_ID | MIIM_STATE | MIIM_FTYPE;
        info.dwTypeData = text;
        info.cch = 128;
        if (!GetMenuItemInfoW(menu, static_cast<UINT>(i), TRUE, &info) || (info.fType & MFT_SEPARATOR)) continue;
        if (plain_menu_text(text) != name) continue;
        if (info.fState & MFS_GRAYED) {
          ADD_FAILURE() << walked << " is greyed";
          return 0;
        }
        menu = info.hSubMenu;
        id = static_cast<int>(info.wID);
        found = true;
        break;
      }
      if (!found) {
        ADD_FAILURE() << "the menu has no item " << walked;
        return 0;
      }
    }
    return id;
  }
  // The menu item chosen: its command reaches the frame as the menu sends it.
  void choose_menu(std::initializer_list<const char*> path) {
    const int id = menu_item(path);
    if (id == 0) return;
    SendMessageW(frame_, WM_COMMAND, MAKEWPARAM(id, 0), 0);
    pump_messages();
  }

  // A key pressed with the program's own handling of a keystroke: the accelerator table
  // first, then the window with the focus (`target`).
  void press_key(int vk, bool ctrl, HWND target) {
    BYTE keys[256] = {};
    GetKeyboardState(keys);
    BYTE held[256];
    std::copy(keys, keys + 256, held);
    held[VK_CONTROL] = held[VK_LCONTROL] = ctrl ? 0x80 : 0;
    SetKeyboardState(held);
    ctrl_down = ctrl;
    MSG message{};
    message.hwnd = target;
    message.message = WM_KEYDOWN;
    message.wParam = static_cast<WPARAM>(vk);
    message.lParam = 1;
    message.time = GetTickCount();
    if (!translate_program_message(message, accelerators_)) {
      TranslateMessage(&message);
      DispatchMessageW(&message);
    }
    pump_messages();
    ctrl_down = false;
    SetKeyboardState(keys);
  }
  // The command the accelerator table gives a key.
  int accelerator_command(int vk, bool ctrl) const {
    const int n = CopyAcceleratorTableW(accelerators_, nullptr, 0);
    std::vector<ACCEL> table(static_cast<size_t>(n));
    CopyAcceleratorTableW(accelerators_, table.data(), n);
    for (const ACCEL& a : table) {
      const bool needs_ctrl = (a.fVirt & FCONTROL) != 0;
      if ((a.fVirt & FVIRTKEY) && a.key == vk && needs_ctrl == ctrl && !(a.fVirt & (FSHIFT | FALT))) return a.cmd;
    }
    return 0;
  }

  // The toolbar button whose tooltip is `tip` (0, and a failure, when none is).
  int toolbar_button(const std::string& tip) {
    HWND tips = reinterpret_cast<HWND>(SendMessageW(g_toolbar, TB_GETTOOLTIPS, 0, 0));
    const int count = static_cast<int>(SendMessageW(g_toolbar, TB_BUTTONCOUNT, 0, 0));
    for (int i = 0; i < count; ++i) {
      TBBUTTON button{};
      SendMessageW(g_toolbar, TB_GETBUTTON, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&button));
      if (button.fsStyle & BTNS_SEP) continue;
      wchar_t text[256] = L"";
      TOOLINFOW tool{};
      tool.cbSize = sizeof tool;
      tool.hwnd = g_toolbar;
      tool.uId = static_cast<UINT_PTR>(button.idCommand);
      tool.lpszText = text;
      SendMessageW(tips, TTM_GETTEXTW, 256, reinterpret_cast<LPARAM>(&tool));
      if (narrow(text) == tip) return button.idCommand;
    }
    ADD_FAILURE() << "the toolbar has no button \"" << tip << "\"";
    return 0;
  }
  // A click on the toolbar button whose tooltip is `tip`, where it stands on the toolbar.
  void click_toolbar_button(const std::string& tip) {
    const int id = toolbar_button(tip);
    if (id == 0) return;
    const LRESULT index = SendMessageW(g_toolbar, TB_COMMANDTOINDEX, static_cast<WPARAM>(id), 0);
    RECT r{};
    SendMessageW(g_toolbar, TB_GETITEMRECT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&r));
    const LPARAM at = MAKELPARAM((r.left + r.right) / 2, (r.top + r.bottom) / 2);
    HWND toolbar = g_toolbar;
    SendMessageW(toolbar, WM_LBUTTONDOWN, MK_LBUTTON, at);
    SendMessageW(toolbar, WM_LBUTTONUP, 0, at);
    // The pointer moves on: the button is no longer drawn as hot in the pictures.
    if (IsWindow(toolbar)) SendMessageW(toolbar, WM_MOUSELEAVE, 0, 0);
    pump_messages();
  }
  // A click on the dialog's button named `text` (0 and a failure when there is none).
  void click_button(HWND dialog, const std::string& text) {
    HWND button = child_named(dialog, text);
    ASSERT_NE(button, nullptr) << "\"" << window_text(dialog) << "\" has no button \"" << text << "\"";
    ASSERT_TRUE(IsWindowEnabled(button) && IsWindowVisible(button)) << text;
    SendMessageW(button, BM_CLICK, 0, 0);
    pump_messages();
  }
  std::string status_part(int part) const {
    wchar_t text[256] = L"";
    SendMessageW(g_status_bar, SB_GETTEXTW, static_cast<WPARAM>(part), reinterpret_cast<LPARAM>(text));
    return narrow(text);
  }

  // ---- The design window ----------------------------------------------------------------

  int row_top(int row) const { return view->top_margin + (row - view->top_row) * view->row_height; }
  // A click on a cell, `dy` pixels below the row's top (the middle of the row without it).
  void click(int row, int col, int dy = -1) {
    const int x = view->left_rail_x + col * view->cell_width + view->cell_width / 2;
    const LPARAM at = MAKELPARAM(x, row_top(row) + (dy < 0 ? view->row_height / 2 : dy));
    SendMessageW(design, WM_LBUTTONDOWN, MK_LBUTTON, at);
    SendMessageW(design, WM_LBUTTONUP, 0, at);
    pump_messages();
  }

  bool ctrl_down = false;
};

TEST_F(FirstProgram, TheReadmesStepsAsTheyAreWritten) {
  const int slot = std::atoi(env("TAVOLIN_FIRST_PROGRAM_SLOT").c_str());
  ASSERT_FALSE(file_exists(folder_->file(L"file.ini")));

  // ---- 1. The program starts; the guide "大体の使い方" opens, its button "サンプル１" opens
  // sample 1 on the design screen with the guide "設計画面の使い方", closed by "了解・閉".
  install_frame_slots();
  ASSERT_NE(start(), nullptr);
  ASSERT_NE(g_guide_dialog, 0u);
  EXPECT_EQ(window_text(as_hwnd(g_guide_dialog)), "大体の使い方");
  shot("first_01_guide");
  click_button(as_hwnd(g_guide_dialog), "サンプル１");
  design = as_hwnd(g_design_windows[0]);
  ASSERT_NE(design, nullptr);
  EXPECT_EQ(window_text(design).substr(window_text(design).size() - 11), "SAMPLE1.MBS");
  ASSERT_NE(g_guide_dialog, 0u);
  EXPECT_EQ(window_text(as_hwnd(g_guide_dialog)), "設計画面の使い方");
  shot("first_02_sample1");
  click_button(as_hwnd(g_guide_dialog), "了解・閉");
  view = view_state_of(design);
  grid = design_grid_of(design);
  ASSERT_NE(view, nullptr);
  ASSERT_NE(grid, nullptr);

  // ---- 2. Room for a new rung: 編集 > 空行 > 空行開け (or Ctrl+F2) switches the blank-line
  // mode on; a click on the upper half of the END row's step number opens four blank rows
  // there; Ctrl+F2 switches the mode off again.
  const int end_row = end_row_of_grid();
  ASSERT_LT(end_row, static_cast<int>(grid->size()));
  EXPECT_EQ(accelerator_command(VK_F2, true), CMD_BLANK_LINE_MODE);
  choose_menu({"編集", "空行", "空行開け"});
  EXPECT_EQ(get_mode_flag(CMD_BLANK_LINE_MODE), 1);
  EXPECT_EQ(status_part(1), "○空行開け");
  const LPARAM margin = MAKELPARAM(view->left_rail_x / 2, row_top(end_row) + 2);
  SendMessageW(design, WM_LBUTTONDOWN, MK_LBUTTON, margin);
  SendMessageW(design, WM_LBUTTONUP, 0, margin);
  pump_messages();
  for (int r = end_row; r < end_row + 4; ++r) EXPECT_TRUE(is_blank_row((*grid)[static_cast<size_t>(r)])) << r;
  ASSERT_TRUE(is_end_row((*grid)[static_cast<size_t>(end_row + 4)])) << "four blank rows before END";
  shot("first_03_blank_rows");
  press_key(VK_F2, true, design);
  EXPECT_EQ(get_mode_flag(CMD_BLANK_LINE_MODE), 0);
  EXPECT_EQ(status_part(1), "");

  // ---- 3. The rungs. The keys: a click selects the first blank row's first cell, F1 puts
  // an a-contact there, Right moves on, F7 draws the line to the right end and the OUT coil.
  EXPECT_EQ(accelerator_command(VK_F1, false), CMD_KEY_RELAY_A);
  EXPECT_EQ(accelerator_command(VK_F2, false), CMD_KEY_RELAY_B);
  EXPECT_EQ(accelerator_command(VK_F7, false), CMD_KEY_OUT);
  click(end_row, 0);
  EXPECT_EQ(view->sel_col, 0);
  press_key(VK_F1, false, design);
  press_key(VK_RIGHT, false, design);
  press_key(VK_F7, false, design);
  // The tool buttons: ﾘﾚｰA接点 and a click puts the contact into the second blank row, ＯＵＴ
  // and a click on the next cell the line and the coil; each button pressed again lets go.
  for (const auto& [tip, col] : {std::pair{"ﾘﾚｰA接点f1", 0}, std::pair{"ＯＵＴ f7", 1}}) {
    click_toolbar_button(tip);
    click(end_row + 1, col);
    click_toolbar_button(tip);
  }
  EXPECT_EQ(get_selected_tool(), 151) << "a tool button stayed pressed";
  for (int r : {end_row, end_row + 1}) {
    const LadderRow& rung = (*grid)[static_cast<size_t>(r)];
    EXPECT_EQ((rung.cell[0].word[0] >> 4) & 0x1FF, 1u) << "no a-contact in column 0 of row " << r;
    EXPECT_EQ(row_output_code(rung), static_cast<uint32_t>(Instr::OUT)) << "no OUT coil in row " << r;
    for (int c = 1; c <= 10; ++c) EXPECT_EQ(rung.cell[c].word[0] & 0x9, 0x9u) << "no line in row " << r << ", column " << c;
  }

  // The "123" button (番号設定), a click on a part: the number entry dialog, its device typed,
  // OK; the other parts likewise; 閉じる; the button again switches the mode off.
  EXPECT_EQ(toolbar_button("番号設定c.f3"), CMD_SET_NUMBER);
  EXPECT_EQ(accelerator_command(VK_F3, true), CMD_SET_NUMBER);
  click_toolbar_button("番号設定c.f3");
  EXPECT_EQ(get_mode_flag(CMD_SET_NUMBER), 1);
  struct Part {
    int row, col;
    const char* device;
  };
  for (const Part& p : {Part{end_row, 0, "X2"}, Part{end_row, OUTPUT_COLUMN, "Y2"}, Part{end_row + 1, 0, "X3"},
                        Part{end_row + 1, OUTPUT_COLUMN, "Y3"}}) {
    click(p.row, p.col, view->row_height / 4);
    HWND dialog = number_dialog();
    ASSERT_NE(dialog, nullptr) << "no number entry dialog";
    EXPECT_EQ(window_text(dialog), "番号設定");
    SetDlgItemTextW(dialog, NumberDialogId::EDIT, cp932_to_wide(p.device).c_str());
    if (p.col == 0 && p.row == end_row) shot("first_04_number_entry");
    click_button(dialog, "OK");
  }
  click_button(number_dialog(), "閉じる");
  click_toolbar_button("番号設定c.f3");
  EXPECT_EQ(get_mode_flag(CMD_SET_NUMBER), 0);
  const LadderRow& rung = (*grid)[static_cast<size_t>(end_row)];
  const LadderRow& second = (*grid)[static_cast<size_t>(end_row + 1)];
  EXPECT_EQ(rung.cell[0].word[1], make_device_operand(Device::X, 2));
  EXPECT_EQ(rung.cell[OUTPUT_COLUMN].word[1], make_device_operand(Device::Y, 2));
  EXPECT_EQ(second.cell[0].word[1], make_device_operand(Device::X, 3));
  EXPECT_EQ(second.cell[OUTPUT_COLUMN].word[1], make_device_operand(Device::Y, 3));

  // The comment button (ｺﾒﾝﾄ書き), a click on the contact: the コメント設定 dialog, the
  // comment typed, OK, ｷｬﾝｾﾙ; the button again.
  EXPECT_EQ(toolbar_button("ｺﾒﾝﾄ書き c.f6"), CMD_COMMENT);
  EXPECT_EQ(accelerator_command(VK_F6, true), CMD_COMMENT);
  click_toolbar_button("ｺﾒﾝﾄ書き c.f6");
  click(end_row, 0, view->row_height / 4);
  HWND comment = dialog_slot();
  ASSERT_NE(comment, nullptr) << "no comment dialog";
  EXPECT_EQ(window_text(comment), "コメント設定");
  SetDlgItemTextW(comment, CommentDialogId::COMMENT_EDIT, cp932_to_wide("試運転").c_str());
  click_button(comment, "OK");
  shot("first_05_comment");
  click_button(comment, "ｷｬﾝｾﾙ");
  click_toolbar_button("ｺﾒﾝﾄ書き c.f6");
  EXPECT_EQ(get_mode_flag(CMD_COMMENT), 0);
  EXPECT_STREQ(rung.text[0], "試運転\n");
  shot("first_06_rung");

  // ---- 4. Compile: Ctrl+F11, the key of 変換 > ラダー => ﾆｰﾓﾆｯｸ変換. The design is saved
  // and SAMPLE1.SEQ and SAMPLE1.NIC appear beside it.
  EXPECT_EQ(menu_item({"変換", "ラダー => ﾆｰﾓﾆｯｸ変換"}), CMD_COMPILE_LADDER);
  EXPECT_EQ(accelerator_command(VK_F11, true), CMD_COMPILE_LADDER);
  const std::string base = std::string(g_project_drive) + g_project_dir + g_project_name;
  for (const char* extension : {".SEQ", ".NIC"})
    EXPECT_FALSE(file_exists(cp932_to_wide(base + extension))) << base << extension << " before the compile";
  press_key(VK_F11, true, design);
  for (const char* extension : {".MBS", ".SEQ", ".NIC"})
    EXPECT_TRUE(file_exists(cp932_to_wide(base + extension))) << base << extension;
  EXPECT_TRUE(said("SEQ to NICが終了しました"));
  const std::string nic = read_file_bytes(cp932_to_wide(base + ".NIC"));
  EXPECT_NE(nic.find("LD      X02"), std::string::npos) << nic;
  EXPECT_NE(nic.find("OUT     Y03"), std::string::npos) << nic;
  EXPECT_NE(nic.find("試運転"), std::string::npos) << nic;
  EXPECT_EQ(SendMessageW(design, WM_COMMAND, CMD_QUERY_MODIFIED, 0), 0);
  shot("first_07_compiled");

  // ---- 5. The board's port chosen in the toolbar's list, then the one-click write button
  // (ラダー書込み): its notice, then the save, compile and write, and the closing message.
  ASSERT_NO_FATAL_FAILURE(choose_board_port(slot));
  const size_t said_before_write = conversation.size();
  click_toolbar_button("ラダー書込み");
  ASSERT_GT(conversation.size(), said_before_write + 1);
  EXPECT_NE(conversation[said_before_write].find(MSG_ONE_CLICK_NOTICE), std::string::npos)
      << conversation[said_before_write];
  EXPECT_NE(conversation.back().find(MSG_PROGRAM_WRITTEN), std::string::npos) << conversation.back();
  const std::string state = read_file_bytes(cp932_to_wide("Z:" + env("TAVOLIN_FIRST_PROGRAM_STATE")));
  EXPECT_NE(state.find("X02"), std::string::npos) << state;
  EXPECT_NE(state.find(" END"), std::string::npos) << state;
  shot("first_08_written");

  // Verified: ファイル > COM通信 opens the ＣＯＭ通信 dialog; its ﾆｰﾓﾆｯｸﾍﾞﾘﾌｧｲ reads the board's
  // program back and compares it: "Verify OK". 実行 starts the program, STOP stops it, 閉じる.
  choose_menu({"ファイル", "COM通信"});
  HWND com = com_dialog();
  ASSERT_NE(com, nullptr);
  EXPECT_EQ(window_text(com), "ＣＯＭ通信");
  click_button(com, "ﾆｰﾓﾆｯｸ\nﾍﾞﾘﾌｧｲ");
  wchar_t received[4200] = L"";
  GetDlgItemTextW(com, ComControl::RECEIVE_BOX, received, 4200);
  EXPECT_EQ(narrow(received), "Verify OK");
  shot("first_09_verified");
  auto board_runs = [&](bool running) {
    const std::string expected = running ? "running=1" : "running=0";
    return pump_until(
        [&] { return read_file_bytes(cp932_to_wide("Z:" + env("TAVOLIN_FIRST_PROGRAM_STATE"))).rfind(expected, 0) == 0; },
        3000);
  };
  click_button(com, "実行");
  EXPECT_TRUE(board_runs(true)) << "実行 did not start the board";
  click_button(com, "STOP");
  EXPECT_TRUE(board_runs(false)) << "STOP did not stop the board";
  click_button(com, "実行");
  EXPECT_TRUE(board_runs(true)) << "実行 did not start the board again";
  click_button(com, "閉じる");
  EXPECT_EQ(com_dialog(), nullptr);

  // ---- 6. The monitor button shows the running board (its X2 is on, so the new contact is);
  // the guide "動作画面の使い方" opens with it.
  click_toolbar_button("モニター画面を開きます（ボードの動作を見ます）");
  ASSERT_NE(g_monitor_windows[0], 0u);
  ASSERT_NE(g_monitor_windows[0], WINDOW_LIST_END);
  const uint32_t x2 = make_device_operand(Device::X, 2);
  EXPECT_TRUE(pump_until([&] { return (polled_image_entry(x2)->word[0] >> 2) & 1; }, 5000)) << "X2 never showed on";
  if (g_guide_dialog != 0) {
    EXPECT_EQ(window_text(as_hwnd(g_guide_dialog)), "動作画面の使い方");
    click_button(as_hwnd(g_guide_dialog), "了解・閉");
  }
  shot("first_10_monitor");

  // The mnemonic button shows the program as commented instructions.
  click_toolbar_button("ニーモニック画面を開きます");
  ASSERT_NE(g_mnemonic_windows[0], 0u);
  ASSERT_NE(g_mnemonic_windows[0], WINDOW_LIST_END);
  const MnemonicText* text = nic_window_text(as_hwnd(g_mnemonic_windows[0]));
  ASSERT_NE(text, nullptr);
  const std::string shown = walk_test::statements_of(*text);
  EXPECT_NE(shown.find("X02"), std::string::npos) << shown;
  EXPECT_NE(shown.find("試運転"), std::string::npos) << shown;
  EXPECT_NE(shown.find("始動"), std::string::npos) << shown;
  shot("first_11_mnemonic");
}

}  // namespace
