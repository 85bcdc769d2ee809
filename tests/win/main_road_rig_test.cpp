// The main road as a user walks it, through the real program (start_program, the frame,
// its real windows) driven by messages only, against the board simulator on a pty that a
// COM port is mapped to (scripts/test.d/80-main-road.sh sets it up): the first start with no
// file.ini opens the guide, the guide opens sample 1, a rung is added with the mouse and
// the keys, its devices given in the number entry dialog and a comment in the comment dialog,
// the design is compiled, written into the board with the
// one-click command and verified from the COM dialog, the monitor screen shows the board,
// the mnemonic screen shows the commented lines, the program exits and starts again with
// its settings and recent files. Without the rig the test is skipped.
//
// Modal calls go through the program's seams: message boxes are answered here (Yes to a
// question, OK to a notice) and every text is kept and printed, file dialogs are never
// expected, popup menus are dismissed and no modifier key is down.
//
// The rig passes, in the environment:
//   TAVOLIN_ROAD_SLOT    the COM number mapped to the simulator (it starts with X2 on)
//   TAVOLIN_ROAD_STATE   the Unix path of the simulator's state file
#include "core/device_tables.h"  // before <windows.h>, which defines OUT
#include "core/ladder_model.h"

#include <windows.h>
#include <commdlg.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <sstream>
#include <string>
#include <vector>

#include "core/mnemonic_text.h"
#include "design/comment_dialog_win.h"
#include "design/comment_entry.h"
#include "design/design_dialogs_win.h"
#include "design/design_window_win.h"
#include "design/number_dialog_win.h"
#include "design/number_entry.h"
#include "design/view_geometry_win.h"
#include "shell/view_state.h"
#include "mnemonic/mnemonic_window_win.h"
#include "board/com_dialog.h"
#include "board/com_dialog_win.h"
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
#include "support/ladder_text.h"
#include "resources/resource_ids.h"
#include "target/device_images.h"
#include "target/serial_port.h"
#include "win/monitor_fixtures.h"
#include "win/rig_helper.h"
#include "win/walk_fixture.h"

namespace {

using walk_test::env;
using walk_test::narrow;
using walk_test::window_text;

std::string dialog_text(HWND dialog, int id) {
  wchar_t text[4200] = L"";
  GetDlgItemTextW(dialog, id, text, 4200);
  return narrow(text);
}

class MainRoad : public walk_test::Walk {
 protected:
  MainRoad() : Walk("TAVOLIN_ROAD_SLOT", "scripts/test.d/80-main-road.sh") {}

  // The end of one run of the program, as the test rig ends it, short of the folder.
  void end_run() {
    if (frame_alive()) DestroyWindow(frame_);
    pump_messages();
    forget_quit();
    end_program();
    if (accelerators_) DestroyAcceleratorTable(accelerators_);
    accelerators_ = nullptr;
    unregister_program_classes();
    reset_window_tables();
    g_guide_dialog = 0;
    g_frame_slots = FrameSlots{};
    // What a new process would start with: the second start has only file.ini to go by.
    g_recent_files = RecentFileList{};
    g_com_number = 0;
    g_port_open = 0;
    reset_serial_state();
  }
  // The program's start as its entry point makes it.
  HWND start_program_as_entry() {
    install_frame_slots();
    return start();
  }

  LRESULT command(int id) {
    const LRESULT r = SendMessageW(frame_, WM_COMMAND, MAKEWPARAM(id, 0), 0);
    pump_messages();
    return r;
  }
  // The centre of a cell, or `dy` pixels below its top.
  LPARAM cell_position(int row, int col, int dy = -1) const {
    const int x = view->left_rail_x + col * view->cell_width + view->cell_width / 2;
    const int y = view->top_margin + (row - view->top_row) * view->row_height + (dy < 0 ? view->row_height / 2 : dy);
    return MAKELPARAM(x, y);
  }
  void click(int row, int col, int dy = -1) {
    SendMessageW(design, WM_LBUTTONDOWN, MK_LBUTTON, cell_position(row, col, dy));
    SendMessageW(design, WM_LBUTTONUP, 0, cell_position(row, col, dy));
    pump_messages();
  }
  void key(int vk) {
    SendMessageW(design, WM_KEYDOWN, static_cast<WPARAM>(vk), 0);
    pump_messages();
  }
  static void press(HWND dialog, int id) {
    SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), 0);
    pump_messages();
  }
  void close_dialog_slot() {
    if (HWND dialog = dialog_slot()) SendMessageW(dialog, WM_CLOSE, 0, 0);
    pump_messages();
  }
  // The "123" button, a click on the part, its device typed into the number entry dialog, OK.
  void number_entry(int row, int col, const char* device) {
    command(CMD_SET_NUMBER);
    ASSERT_EQ(get_mode_flag(CMD_SET_NUMBER), 1);
    click(row, col, view->row_height / 4);
    HWND dialog = number_dialog();
    ASSERT_NE(dialog, nullptr) << "no number entry dialog";
    set_dialog_item_text(dialog, NumberDialogId::EDIT, device);
    press(dialog, IDOK);
    close_dialog_slot();
    reset_design_modes();
  }
};

TEST_F(MainRoad, FromTheFirstStartToTheBoardAndBackAgain) {
  const int slot = std::atoi(env("TAVOLIN_ROAD_SLOT").c_str());
  ASSERT_FALSE(file_exists(folder_->file(L"file.ini")));

  // ---- The first start: the guide opens; its first button opens sample 1.
  ASSERT_NE(start_program_as_entry(), nullptr);
  ASSERT_NE(g_guide_dialog, 0u);
  HWND guide = as_hwnd(g_guide_dialog);
  EXPECT_EQ(window_text(guide), "大体の使い方");
  shot("road_01_first_start");
  SendMessageW(guide, WM_COMMAND, MAKEWPARAM(IDC_GUIDE_BUTTON_1, BN_CLICKED), 0);
  pump_messages();
  design = as_hwnd(g_design_windows[0]);
  ASSERT_NE(design, nullptr);
  ASSERT_NE(g_guide_dialog, 0u);
  EXPECT_EQ(window_text(as_hwnd(g_guide_dialog)), "設計画面の使い方");
  EXPECT_STREQ(g_project_name, "SAMPLE1");
  shot("road_02_sample_opened");
  SendMessageW(as_hwnd(g_guide_dialog), WM_CLOSE, 0, 0);
  pump_messages();
  view = view_state_of(design);
  grid = design_grid_of(design);
  ASSERT_NE(view, nullptr);
  ASSERT_NE(grid, nullptr);
  SendMessageW(design, WM_COMMAND, CMD_FIT_WINDOW, 0);
  pump_messages();

  // ---- A new rung before END: blank rows opened from the margin, then X2 -> (Y2) drawn
  // with a click and the function keys, each operand typed into its cell.
  const int end_row = end_row_of_grid();
  ASSERT_LT(end_row, static_cast<int>(grid->size()));
  const std::vector<std::string> before = ladder_to_text(*grid);
  command(CMD_BLANK_LINE_MODE);
  ASSERT_EQ(get_mode_flag(CMD_BLANK_LINE_MODE), 1);
  command(CMD_BLANK_OPEN);
  // The blank-line click takes the row under the pointer, whose band starts half a row lower
  // than the drawn row: the click goes into the upper part of the END row's label.
  click(end_row, LABEL_COLUMN, 2);
  ASSERT_FALSE(is_end_row((*grid)[static_cast<size_t>(end_row)]))
      << "no blank row was opened; end row " << end_row << ", hover " << view->hover_row << ", cursor "
      << view->cursor_row << "/" << view->cursor_col << ", rows " << grid->size() << ", blank flag "
      << get_mode_flag(CMD_BLANK_LINE_MODE);
  reset_design_modes();  // as a second press of the mode's button does
  click(end_row, 0);
  command(CMD_KEY_RELAY_A);
  key(VK_RIGHT);
  command(CMD_KEY_OUT);
  number_entry(end_row, 0, "X2");
  number_entry(end_row, OUTPUT_COLUMN, "Y2");  // the coil, drawn at the right end behind its lines
  // The comment button, a click on the contact, its comment typed into the comment dialog.
  command(CMD_COMMENT);
  click(end_row, 0, view->row_height / 4);
  HWND comment = dialog_slot();
  ASSERT_NE(comment, nullptr) << "no comment dialog";
  set_dialog_item_text(comment, CommentDialogId::COMMENT_EDIT, "試運転");
  press(comment, IDOK);
  close_dialog_slot();
  reset_design_modes();
  const std::vector<std::string> after = ladder_to_text(*grid);
  ASSERT_GT(after.size(), static_cast<size_t>(end_row));
  std::printf("[ rung     ] %s\n", after[static_cast<size_t>(end_row)].c_str());
  // The contact X2 (its comment flag makes the row text show the cell's raw word).
  EXPECT_EQ((*grid)[static_cast<size_t>(end_row)].cell[0].word[1], make_device_operand(Device::X, 2));
  EXPECT_NE(after[static_cast<size_t>(end_row)].find("(Y2)"), std::string::npos);
  for (int r = 0; r < end_row; ++r) EXPECT_EQ(after[static_cast<size_t>(r)], before[static_cast<size_t>(r)]) << r;
  EXPECT_EQ(SendMessageW(design, WM_COMMAND, CMD_QUERY_MODIFIED, 0), 1);
  shot("road_03_rung_added");

  // ---- Compile: the design is saved and the operation and mnemonic files written.
  const std::string base = std::string(g_project_drive) + g_project_dir + g_project_name;
  SendMessageW(design, WM_COMMAND, CMD_COMPILE_LADDER, 0);
  pump_messages();
  for (const char* extension : {".MBS", ".SEQ", ".NIC"})
    EXPECT_TRUE(file_exists(cp932_to_wide(base + extension))) << base << extension;
  const std::string nic = read_file_bytes(cp932_to_wide(base + ".NIC"));
  EXPECT_NE(nic.find("LD      X02"), std::string::npos) << nic;
  EXPECT_NE(nic.find("OUT     Y02"), std::string::npos) << nic;
  EXPECT_NE(nic.find("始動"), std::string::npos) << nic;  // the sample's comment of X0
  EXPECT_NE(nic.find("試運転"), std::string::npos) << nic;  // the new contact's comment
  EXPECT_EQ(SendMessageW(design, WM_COMMAND, CMD_QUERY_MODIFIED, 0), 0);
  shot("road_04_compiled");

  // ---- The board: its port chosen in the toolbar's list, then the one-click write.
  ASSERT_NO_FATAL_FAILURE(choose_board_port(slot));
  const size_t said_before_write = conversation.size();
  command(CMD_WRITE_LADDER);
  ASSERT_GT(conversation.size(), said_before_write);
  EXPECT_NE(conversation.back().find(MSG_PROGRAM_WRITTEN), std::string::npos) << conversation.back();
  const std::string state = read_file_bytes(cp932_to_wide("Z:" + env("TAVOLIN_ROAD_STATE")));
  EXPECT_EQ(state.substr(0, 10), "running=0\n");
  EXPECT_NE(state.find(" END"), std::string::npos) << state;
  EXPECT_EQ(g_port_open, 1);

  // ---- Verified from the COM dialog.
  command(CMD_COM_DIALOG);
  HWND dialog = com_dialog();
  ASSERT_NE(dialog, nullptr);
  SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(ComControl::VERIFY, BN_CLICKED),
               reinterpret_cast<LPARAM>(GetDlgItem(dialog, ComControl::VERIFY)));
  pump_messages();
  EXPECT_EQ(dialog_text(dialog, ComControl::RECEIVE_BOX), "Verify OK");
  shot("road_05_verified");
  SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(ComControl::CLOSE, BN_CLICKED),
               reinterpret_cast<LPARAM>(GetDlgItem(dialog, ComControl::CLOSE)));
  pump_messages();
  EXPECT_EQ(com_dialog(), nullptr);

  // ---- The monitor screen shows the board: its X2 is on, so the new rung's contact is.
  command(CMD_SCREEN_MONITOR);
  ASSERT_NE(g_monitor_windows[0], 0u);
  ASSERT_NE(g_monitor_windows[0], WINDOW_LIST_END);
  EXPECT_EQ(g_monitor_mode, 1);
  const uint32_t x2 = make_device_operand(Device::X, 2);
  EXPECT_TRUE(pump_until([&] { return (polled_image_entry(x2)->word[0] >> 2) & 1; }, 5000)) << "X2 never showed on";
  if (g_guide_dialog != 0) {
    SendMessageW(as_hwnd(g_guide_dialog), WM_CLOSE, 0, 0);
    pump_messages();
  }
  shot("road_06_monitor");

  // ---- The mnemonic screen shows the compiled program with its comments.
  command(CMD_SCREEN_MNEMONIC);
  ASSERT_NE(g_mnemonic_windows[0], 0u);
  ASSERT_NE(g_mnemonic_windows[0], WINDOW_LIST_END);
  HWND mnemonic = as_hwnd(g_mnemonic_windows[0]);
  const MnemonicText* text = nic_window_text(mnemonic);
  ASSERT_NE(text, nullptr);
  const std::string shown = walk_test::statements_of(*text);
  EXPECT_NE(shown.find("始動"), std::string::npos) << shown;
  EXPECT_NE(shown.find("Y02"), std::string::npos) << shown;
  EXPECT_NE(shown.find("試運転"), std::string::npos) << shown;
  shot("road_07_mnemonic");

  // ---- Back on the design screen, the new contact becomes X3 and is left unsaved.
  command(CMD_SCREEN_DESIGN);
  ASSERT_EQ(as_hwnd(g_design_windows[0]), design);
  view = view_state_of(design);
  number_entry(end_row, 0, "X3");
  EXPECT_EQ(SendMessageW(design, WM_COMMAND, CMD_QUERY_MODIFIED, 0), 1);
  shot("road_08_changed_again");

  // ---- Exit: the save question answered Yes; the program ends and file.ini is written.
  const size_t said_before_exit = conversation.size();
  command(CMD_EXIT);
  EXPECT_FALSE(frame_alive());
  ASSERT_GT(conversation.size(), said_before_exit) << "no question about the changed design";
  EXPECT_TRUE(file_exists(folder_->file(L"file.ini")));
  end_run();

  // ---- The second start keeps the settings and the recent files.
  ASSERT_NE(start_program_as_entry(), nullptr);
  ASSERT_GE(recent_file_count(g_recent_files), 1);
  const std::string recent(recent_file_entry(g_recent_files, 0));
  EXPECT_NE(recent.find("SAMPLE1.MBS"), std::string::npos) << recent;
  EXPECT_EQ(g_com_number, slot);
  shot("road_09_second_start");

  // The first recent file opens the design as it was saved at the exit.
  if (g_guide_dialog != 0) {
    SendMessageW(as_hwnd(g_guide_dialog), WM_CLOSE, 0, 0);
    pump_messages();
  }
  command(CMD_RECENT_FILE);
  design = as_hwnd(g_design_windows[0]);
  ASSERT_NE(design, nullptr);
  grid = design_grid_of(design);
  ASSERT_NE(grid, nullptr);
  const std::vector<std::string> reopened = ladder_to_text(*grid);
  ASSERT_GT(reopened.size(), static_cast<size_t>(end_row));
  std::printf("[ reopened ] %s\n", reopened[static_cast<size_t>(end_row)].c_str());
  EXPECT_NE(reopened[static_cast<size_t>(end_row)].find("X3"), std::string::npos);
  EXPECT_NE(reopened[static_cast<size_t>(end_row)].find("(Y2)"), std::string::npos);
  shot("road_10_reopened");
}

}  // namespace

namespace {

// The printing library's print dialog, answered as a user who takes the default printer
// and every row.
BOOL answer_with_default_printer(PRINTDLGW* request) {
  wchar_t name[256] = L"";
  DWORD size = 256;
  if (!GetDefaultPrinterW(name, &size)) return FALSE;
  request->hDC = CreateDCW(L"WINSPOOL", name, nullptr, nullptr);
  request->Flags |= PD_PAGENUMS;
  request->nFromPage = request->nMinPage;
  request->nToPage = request->nMaxPage;
  std::printf("[ print    ] rows %d-%d on %s\n", request->nFromPage, request->nToPage, narrow(name).c_str());
  return request->hDC != nullptr;
}

// The second road: a program typed on the mnemonic screen, compiled into its design, the
// design opened and printed through the printing library on the rig's print queue
// (TAVOLIN_ROAD_PRINT=1: the prefix's default printer writes into a file).
TEST_F(MainRoad, FromTheMnemonicScreenToThePrinter) {
  if (env("TAVOLIN_ROAD_PRINT") != "1") GTEST_SKIP() << "no print queue (scripts/test.d/80-main-road.sh as root)";
  ASSERT_TRUE(CopyFileW(cp932_to_wide(std::string(TAVOLIN_BUILD_DIR) + "/dabu42QX.dll").c_str(),
                        folder_->file(L"dabu42QX.dll").c_str(), FALSE));
  ASSERT_NE(start_program_as_entry(), nullptr);
  if (g_guide_dialog != 0) {
    SendMessageW(as_hwnd(g_guide_dialog), WM_CLOSE, 0, 0);
    pump_messages();
  }

  // ---- A new text on the mnemonic screen, typed line by line and saved under a name.
  command(CMD_NEW_MNEMONIC);
  ASSERT_NE(g_mnemonic_windows[0], 0u);
  HWND mnemonic = as_hwnd(g_mnemonic_windows[0]);
  SetFocus(mnemonic);
  for (const char* line : {"LD X0", "OR Y0", "ANI X1", "OUT Y0", "LD Y0", "OUT Y1"}) {
    for (const char* c = line; *c; ++c) SendMessageW(mnemonic, WM_CHAR, static_cast<WPARAM>(*c), 1);
    SendMessageW(mnemonic, WM_COMMAND, CMD_ENTER, 0);
  }
  pump_messages();
  const MnemonicText* text = nic_window_text(mnemonic);
  ASSERT_NE(text, nullptr);
  const std::string typed = walk_test::statements_of(*text);
  std::printf("[ typed    ] %s\n", typed.c_str());
  EXPECT_NE(typed.find("LD X0\nOR Y0\nANI X1\nOUT Y0\nLD Y0\nOUT Y1\n"), std::string::npos) << typed;
  shot("road_11_typed");
  const std::string nic_path = narrow(folder_->file(L"ROAD.NIC"));
  dialogs_->choose(nic_path);
  command(CMD_SAVE_AS);
  ASSERT_TRUE(file_exists(folder_->file(L"ROAD.NIC")));

  // ---- Compiled into the project's operation file and design.
  SendMessageW(mnemonic, WM_COMMAND, CMD_COMPILE_MNEMONIC, 0);
  pump_messages();
  EXPECT_TRUE(file_exists(folder_->file(L"ROAD.SEQ")));
  ASSERT_TRUE(file_exists(folder_->file(L"ROAD.MBS"))) << "the compile made no design";

  // ---- Its design on the design screen.
  command(CMD_SCREEN_DESIGN);
  ASSERT_NE(g_design_windows[0], 0u);
  design = as_hwnd(g_design_windows[0]);
  grid = design_grid_of(design);
  ASSERT_NE(grid, nullptr);
  const std::vector<std::string> rows = ladder_to_text(*grid);
  for (size_t r = 0; r < 4 && r < rows.size(); ++r) std::printf("[ design   ] %s\n", rows[r].c_str());
  ASSERT_GE(rows.size(), 3u);
  EXPECT_NE(rows[0].find("(Y0)"), std::string::npos);
  shot("road_12_design");

  // ---- Printed: the library, loaded by the print command from the program's folder, takes
  // its print dialog's answer from here.
  HMODULE library = LoadLibraryW(folder_->file(L"dabu42QX.dll").c_str());
  ASSERT_NE(library, nullptr);
  using DialogHandler = BOOL (*)(PRINTDLGW*);
  auto set_handler = reinterpret_cast<void (*)(DialogHandler)>(
      reinterpret_cast<void*>(GetProcAddress(library, "PrinterSetDialogHandler")));
  ASSERT_NE(set_handler, nullptr);
  set_handler(answer_with_default_printer);
  const size_t said_before_print = conversation.size();
  command(CMD_PRINT);
  set_handler(nullptr);
  FreeLibrary(library);
  ASSERT_GT(conversation.size(), said_before_print);
  EXPECT_NE(conversation[said_before_print].find("ROAD.MBSの 設計画面を\nプリントアウトしますか？"), std::string::npos)
      << conversation[said_before_print];
}

}  // namespace
