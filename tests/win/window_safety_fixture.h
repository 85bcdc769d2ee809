// The real frame with design, mnemonic and monitor windows of real files, for the tests of
// the window lists, activation, the dialogs' choice of document and the close paths.
#pragma once

#include "win/bars_frame.h"

#include <cstdio>
#include <string>
#include <vector>

#include "core/mnemonic_text.h"
#include "design/design_window_win.h"
#include "design/view_geometry_win.h"
#include "mnemonic/mnemonic_window_win.h"
#include "shell/compile_chain.h"
#include "shell/settings_file.h"
#include "support/ladder_text.h"
#include "target/monitor_protocol.h"
#include "win/design_fixtures.h"
#include "win/mnemonic_fixtures.h"
#include "win/monitor_fixtures.h"

namespace window_safety {

using bars_test::narrow;

// The mnemonic file of the lines, written by the core's writer as a conversion would.
inline bool write_nic(const std::wstring& path, const std::vector<std::string>& lines) {
  MnemonicText text = make_mnemonic_text(static_cast<int>(lines.size()) + 2);
  for (size_t i = 0; i < lines.size(); ++i) set_line_statement(text[i], lines[i]);
  set_end_line(text[lines.size()]);
  FILE* f = _wfopen(path.c_str(), L"wb");
  if (f == nullptr) return false;
  const bool written = write_nic_text(text, f, 0) == 0;
  std::fclose(f);
  return written;
}

inline const std::vector<std::string> DESIGN_ROWS = {"X0 ~ (Y0)", "X1 ~ (Y1)", "X0 ~ (Y2)"};
inline const std::vector<std::string> NIC_LINES = {"LD      X00", "OUT     Y00", "END"};

class WindowSafetyFrame : public bars_test::BarsFrame {
 protected:
  void SetUp() override {
    BarsFrame::SetUp();
    g_guide_flags = {0, 0, 0, 0};
    g_comments_changed = 0;
    g_design_file_count = 0;
    GetClientRect(frame, &g_client_rect);
  }
  void TearDown() override {
    release_read_back();
    release_frame_mnemonic_text();
    g_mnemonic_text = {};
    BarsFrame::TearDown();
  }

  std::string path_of(const std::wstring& name) const { return narrow(folder_->file(name)); }
  // A design file of `rows` (ladder text) in the test's folder; its path.
  std::string design_file(const std::wstring& name, const std::vector<std::string>& rows = DESIGN_ROWS) {
    LadderGrid grid = ladder_from_text(rows);
    EXPECT_TRUE(write_design_grid(folder_->file(name), grid));
    return path_of(name);
  }
  std::string nic_file(const std::wstring& name, const std::vector<std::string>& lines = NIC_LINES) {
    EXPECT_TRUE(write_nic(folder_->file(name), lines));
    return path_of(name);
  }
  // Opens a file as the user does (the open commands with the file dialog's choice) and
  // returns the window it made.
  HWND open_design(const std::string& path) { return open_through_dialog(CMD_OPEN_DESIGN, path); }
  HWND open_mnemonic(const std::string& path) {
    open_through_dialog(CMD_OPEN_MNEMONIC, path);
    return reinterpret_cast<HWND>(SendMessageW(g_mdi_client, WM_MDIGETACTIVE, 0, 0));
  }
  void activate(HWND window) {
    SendMessageW(g_mdi_client, WM_MDIACTIVATE, reinterpret_cast<WPARAM>(window), 0);
    pump_messages();
  }
  void type(HWND window, const std::string& ascii) {
    for (char c : ascii) SendMessageW(window, WM_CHAR, static_cast<WPARAM>(c), 1);
  }
  static void click(HWND dialog, int id) {
    SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
  }
  std::vector<std::string> shown() const {
    std::vector<std::string> texts;
    for (const auto& box : boxes_->shown()) texts.push_back(narrow(box.text));
    return texts;
  }
  std::string file_bytes(const std::string& path) const { return read_file_bytes(cp932_to_wide(path)); }
};

}  // namespace window_safety
