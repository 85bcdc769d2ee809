// The walks of the real program against the board simulator (tests/win/*_rig_test.cpp that
// start the program as its entry point does and go on as a user would): the rig's variables,
// the message boxes answered as a user who goes on would and every text kept, the samples
// beside the program, and the pictures of the steps.
#pragma once

#include "core/ladder_model.h"  // before <windows.h>, which defines OUT

#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "core/mnemonic_text.h"
#include "design/design_window_win.h"
#include "shell/message_box_win.h"
#include "shell/modifier_keys_win.h"
#include "shell/popup_menu_win.h"
#include "shell/text_win.h"
#include "shell/toolbar_win.h"
#include "shell/view_state.h"
#include "shell/window_lists.h"
#include "shell/window_lists_win.h"
#include "target/device_images.h"
#include "target/serial_port.h"
#include "win/monitor_fixtures.h"
#include "win/rig_helper.h"

namespace walk_test {

inline std::string env(const char* name) { return environment_text(name); }

inline std::string narrow(const std::wstring& wide) {
  std::string text;
  wide_to_cp932(wide, text);
  return text;
}

inline std::string window_text(HWND window) {
  wchar_t text[4200] = L"";
  GetWindowTextW(window, text, 4200);
  return narrow(text);
}

// The statements of the mnemonic text one after another, each with its line feed.
inline std::string statements_of(const MnemonicText& text) {
  std::string out;
  for (int i = 0; i < count_text_lines(text); ++i) out += std::string(line_statement(text[static_cast<size_t>(i)]));
  return out;
}

// A walk of the program; without the rig's variable `slot_variable` every test is skipped
// (the skip names the rig's script).
class Walk : public ProgramTest {
 protected:
  Walk(const char* slot_variable, const char* rig_script) : slot_variable_(slot_variable), rig_script_(rig_script) {}

  void SetUp() override {
    if (env(slot_variable_).empty()) GTEST_SKIP() << "no board simulator (run " << rig_script_ << ")";
    ProgramTest::SetUp();
    // Every box is answered as a user who goes on would: Yes to a question, OK otherwise.
    set_message_box_handler([this](HWND, const std::wstring& text, const std::wstring& caption, UINT style) {
      conversation.push_back(narrow(caption) + ": " + narrow(text));
      std::printf("[ box      ] %s\n", conversation.back().c_str());
      const UINT buttons = style & MB_TYPEMASK;
      if (buttons == MB_YESNO || buttons == MB_YESNOCANCEL) return IDYES;
      return IDOK;
    });
    set_popup_menu_handler([](HWND, const std::vector<PopupMenuItem>&, POINT) { return 0; });
    set_modifier_key_handler([this](int vk) { return modifier_down(vk); });
    reset_serial_state();
    reset_device_images();
    // The program's folder holds the samples beside it, as the build puts them.
    ASSERT_TRUE(CreateDirectoryW(folder_->file(L"SAMPLE").c_str(), nullptr));
    write_file_bytes(folder_->file(L"SAMPLE\\SAMPLE1.MBS"),
                     read_file_bytes(cp932_to_wide(std::string(TAVOLIN_SOURCE_DIR) + "/resources/samples/SAMPLE1.MBS")));
  }
  void TearDown() override {
    if (env(slot_variable_).empty()) return;
    std::printf("[ walk     ] %zu message boxes:\n", conversation.size());
    for (const std::string& line : conversation) std::printf("    %s\n", line.c_str());
    set_popup_menu_handler({});
    set_modifier_key_handler({});
    ProgramTest::TearDown();
    set_message_box_handler({});
    reset_serial_state();
    reset_device_images();
  }
  // The modifier keys the walk holds down, as the program asks for them: none unless a walk
  // says otherwise.
  virtual bool modifier_down(int) const { return false; }

  // The board's port chosen in the toolbar's list, as the user picks it there.
  void choose_board_port(int slot) {
    ASSERT_NE(g_com_combo, nullptr);
    const std::wstring entry = L"COM" + std::to_wstring(slot);
    const LRESULT index = SendMessageW(g_com_combo, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                                       reinterpret_cast<LPARAM>(entry.c_str()));
    ASSERT_NE(index, CB_ERR) << "the toolbar's list does not hold the board's port";
    SendMessageW(g_com_combo, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
    SendMessageW(frame_, WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(g_com_combo), CBN_SELCHANGE),
                 reinterpret_cast<LPARAM>(g_com_combo));
    pump_messages();
  }
  // The row of the design's END row (the grid's size when there is none).
  int end_row_of_grid() const {
    int end_row = 0;
    while (end_row < static_cast<int>(grid->size()) && !is_end_row((*grid)[static_cast<size_t>(end_row)])) ++end_row;
    return end_row;
  }
  HWND dialog_slot() const { return as_hwnd(dialog_slot_row(g_screen_kind)[0]); }

  bool said(const std::string& text) const {
    return std::any_of(conversation.begin(), conversation.end(),
                       [&](const std::string& line) { return line.find(text) != std::string::npos; });
  }
  void shot(const char* name) {
    pump_for(200);
    EXPECT_FALSE(save_screenshot(name).empty()) << name;
  }

  std::vector<std::string> conversation;
  HWND design = nullptr;
  ViewState* view = nullptr;
  LadderGrid* grid = nullptr;

 private:
  const char* slot_variable_;
  const char* rig_script_;
};

}  // namespace walk_test
