// The real frame with design, mnemonic and monitor windows of real files, for the tests of
// the window lists, activation, the dialogs' choice of document and the close paths.
#pragma once

#include "win/bars_frame.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "core/mnemonic_text.h"
#include "design/design_window_win.h"
#include "design/view_geometry_win.h"
#include "mnemonic/mnemonic_window_win.h"
#include "shell/compile_chain.h"
#include "shell/message_box_win.h"
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

// Gives the cell the comment `text`, as the comment dialog stores one.
inline void set_comment(LadderRow& row, int column, const char* text) {
  row.cell[column].word[0] |= CellFlags::HAS_COMMENT;
  std::memset(row.text[column], 0, CELL_TEXT_SIZE);
  std::strncpy(row.text[column], text, CELL_TEXT_SIZE - 1);
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
    for (const std::wstring& f : read_only_files_) SetFileAttributesW(f.c_str(), FILE_ATTRIBUTE_NORMAL);
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
  // A design file whose first rung's contact carries the comment "START"; its path.
  std::string commented_design(const std::wstring& path) {
    LadderGrid grid = ladder_from_text({"X0 ~ (Y0)", "X1 ~ (Y1)"});
    set_comment(grid[0], 0, "START\n");
    EXPECT_TRUE(write_design_grid(path, grid));
    return narrow(path);
  }
  // The file made read-only; the test's end makes it writable again.
  void make_read_only(const std::wstring& path) {
    ASSERT_TRUE(SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_READONLY)) << narrow(path);
    read_only_files_.push_back(path);
  }
  // Folders nested in the test's folder until the path is at least 228 characters long: a
  // file in the innermost, `folder`, can be given a path a few characters short of MAX_PATH.
  void make_deep_folder(std::wstring& folder) {
    folder = folder_->path();
    while (folder.size() < 228) {
      folder += L"\\" + std::wstring(std::min<size_t>(40, 236 - folder.size()), L'd');
      ASSERT_TRUE(CreateDirectoryW(folder.c_str(), nullptr) || GetLastError() == ERROR_ALREADY_EXISTS);
    }
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
  std::vector<std::string> shown() const { return boxes_->texts(); }
  std::string file_bytes(const std::string& path) const { return read_file_bytes(cp932_to_wide(path)); }

 private:
  std::vector<std::wstring> read_only_files_;
};

// The frame whose message boxes are all answered OK and recorded: each text in `said`, its
// caption in `captions`. `heard` sees each text before it is answered.
class AnsweredFrame : public WindowSafetyFrame {
 protected:
  void SetUp() override {
    WindowSafetyFrame::SetUp();
    set_message_box_handler([this](HWND, const std::wstring& text, const std::wstring& caption, UINT) {
      said.push_back(narrow(text));
      captions.push_back(narrow(caption));
      heard(narrow(text));
      return IDOK;
    });
  }
  void TearDown() override {
    set_message_box_handler({});
    WindowSafetyFrame::TearDown();
  }
  virtual void heard(const std::string&) {}
  // Every box so far, one a line: "[caption] text".
  std::string said_text() const {
    std::string all;
    for (size_t i = 0; i < said.size(); ++i) all += "\n    [" + captions[i] + "] " + said[i];
    return all;
  }

  std::vector<std::string> said;
  std::vector<std::string> captions;
};

}  // namespace window_safety
