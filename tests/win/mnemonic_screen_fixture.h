// The real program with its frame's commands installed, for the tests of the mnemonic
// screen: the project PUMP's mnemonic file shown in the mnemonic window, lines typed into it
// as the user types them, and the project's files and the boxes shown afterwards.
#pragma once

#include "target/windows_api.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/mnemonic_text.h"
#include "frame/frame_commands_win.h"
#include "frame/frame_win.h"
#include "mnemonic/mnemonic_window_win.h"
#include "shell/command_ids.h"
#include "shell/compile_chain.h"
#include "shell/documents.h"
#include "shell/mode_flags.h"
#include "shell/path_parts.h"
#include "shell/settings_file.h"
#include "shell/text_win.h"
#include "shell/window_lists_win.h"
#include "win/rig_helper.h"

class MnemonicScreenTest : public ProgramTest {
 protected:
  void SetUp() override {
    ProgramTest::SetUp();
    install_frame_slots();  // the frame's commands, as the entry point installs them
    ASSERT_TRUE(start());
    g_guide_flags = {0, 0, 0, 0};
    GetClientRect(frame_, &g_client_rect);
  }
  void TearDown() override {
    clear_mode_flags();
    release_read_back();
    release_frame_mnemonic_text();
    ProgramTest::TearDown();
  }

  std::string path_of(const std::wstring& name) {
    std::string text;
    wide_to_cp932(folder_->file(name), text);
    return text;
  }
  std::string project_file(const wchar_t* name) { return read_file_bytes(folder_->file(name)); }
  std::vector<std::string> shown() const { return boxes_->texts(); }

  // The project PUMP with a mnemonic file of the given bytes, shown on the mnemonic screen.
  HWND open_project_text(const std::string& nic) {
    write_file_bytes(folder_->file(L"PUMP.NIC"), nic);
    split_path(path_of(L"PUMP.MBS"), g_app_settings.project);
    SendMessageW(frame_, WM_COMMAND, CMD_SCREEN_MNEMONIC, 0);
    pump_messages();
    HWND window = g_mnemonic_windows[0] ? as_hwnd(g_mnemonic_windows[0]) : nullptr;
    if (window) SetFocus(window);
    return window;
  }
  void type_line(HWND window, const std::string& ascii) {
    for (char c : ascii) SendMessageW(window, WM_CHAR, static_cast<WPARAM>(c), 1);
    SendMessageW(window, WM_COMMAND, CMD_ENTER, 0);
  }
};
