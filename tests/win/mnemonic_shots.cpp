// Pictures of the mnemonic screen for a person to look at (build/screenshots/*.png): a long
// text with whole-line comments, trailing comments in Japanese and a header line, with a
// line selection and a highlighted match, and the same text a page further down. Not a
// test: scripts/screenshot.sh --shots runs this program (screenshots.exe).
#include "target/windows_api.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "core/mnemonic_text.h"
#include "shell/view_state.h"
#include "mnemonic/mnemonic_screen.h"
#include "mnemonic/mnemonic_window_win.h"
#include "shell/command_ids.h"
#include "shell/documents.h"
#include "frame/frame_win.h"
#include "shell/modifier_keys_win.h"
#include "shell/text_win.h"
#include "shell/toolbar_win.h"
#include "win/rig_helper.h"

namespace {

class MnemonicShots : public ProgramTest {
 protected:
  void TearDown() override {
    set_modifier_key_handler({});
    ProgramTest::TearDown();
  }
};

TEST_F(MnemonicShots, LongTextWithComments) {
  ASSERT_TRUE(start());
  MnemonicText text = make_mnemonic_text(80);
  std::vector<std::string> lines = {"\\ CPU pic16F84 CODE 6 C0102 P0040"};
  for (int i = 0; i < 60; ++i) {
    char line[80];
    if (i % 7 == 0)
      std::snprintf(line, sizeof line, "; ---- 工程 %d ----", i / 7);
    else if (i % 3 == 0)
      std::snprintf(line, sizeof line, "LD      X%02X             ; ポンプ %d 起動", i, i);
    else
      std::snprintf(line, sizeof line, "OUT     Y%02X", i);
    lines.push_back(line);
  }
  lines.push_back("END");
  for (size_t i = 0; i < lines.size(); ++i) set_line_statement(text[i], lines[i]);
  set_end_line(text[lines.size()]);
  const std::wstring file = folder_->file(L"long.NIC");
  FILE* f = _wfopen(file.c_str(), L"wb");
  ASSERT_NE(f, nullptr);
  ASSERT_EQ(write_nic_text(text, f, 0), 0);
  std::fclose(f);

  rebuild_screen_toolbar(frame_, CMD_SCREEN_MNEMONIC);
  std::string path;
  wide_to_cp932(file, path);
  ChildOpenRecord record{};
  fill_child_open(record, FileFilter::NIC, path, "long.NIC", 0);
  ShowWindow(g_mdi_client, SW_SHOW);
  MDICREATESTRUCTW create{};
  create.szClass = L"nicfl";
  create.szTitle = L"  long.NIC";
  create.hOwner = g_instance;
  create.cx = 700;
  create.cy = 500;
  create.lParam = reinterpret_cast<LPARAM>(&record);
  HWND window = reinterpret_cast<HWND>(SendMessageW(g_mdi_client, WM_MDICREATE, 0, reinterpret_cast<LPARAM>(&create)));
  ASSERT_TRUE(window);
  pump_messages();
  SetFocus(window);

  // Lines 4 and 5 selected with Shift+Down, "Y08" highlighted as a search match would be.
  SendMessageW(window, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(1, 4 * g_text_line_height + 1));
  set_modifier_key_handler([](int key) { return key == VK_SHIFT; });
  SendMessageW(window, WM_KEYDOWN, VK_DOWN, 1);
  SendMessageW(window, WM_KEYDOWN, VK_DOWN, 1);
  ViewState* view = nic_window_view(window);
  view->sel_row = 9;
  view->sel_col = 8;
  view->sel_width = 3;
  InvalidateRect(window, nullptr, TRUE);
  UpdateWindow(window);
  EXPECT_FALSE(save_screenshot("mnemonic_long_text").empty());

  SendMessageW(window, WM_VSCROLL, SB_PAGEDOWN, 0);
  UpdateWindow(window);
  EXPECT_GT(view->top_row, 0);
  EXPECT_FALSE(save_screenshot("mnemonic_long_text_page2").empty());
}

}  // namespace
