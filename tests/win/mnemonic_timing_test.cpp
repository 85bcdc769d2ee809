// Timing program of the mnemonic window (not a test: it asserts no time). Run it on
// purpose under Wine:
//   win_tests.exe --gtest_also_run_disabled_tests --gtest_filter=MnemonicTiming.*
// It opens an 18,000-line text (the largest a text holds) and prints the medians of
// several runs: a keystroke that inserts a character and draws its line again (with its
// undo snapshot), the same keystroke on the editor alone, and a repaint of the whole
// window.
#include "shell/windows_api.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "core/mnemonic_text.h"
#include "design/undo_ring.h"
#include "design/view_state.h"
#include "mnemonic/mnemonic_editor.h"
#include "mnemonic/mnemonic_window_win.h"
#include "shell/command_ids.h"
#include "shell/documents.h"
#include "shell/frame_win.h"
#include "shell/text_win.h"
#include "shell/toolbar_win.h"
#include "shell/window_lists.h"
#include "win/rig_helper.h"

namespace {

double now_ms() {
  static LARGE_INTEGER frequency = [] {
    LARGE_INTEGER f;
    QueryPerformanceFrequency(&f);
    return f;
  }();
  LARGE_INTEGER t;
  QueryPerformanceCounter(&t);
  return static_cast<double>(t.QuadPart) * 1000.0 / static_cast<double>(frequency.QuadPart);
}

double median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v[v.size() / 2];
}

template <typename F>
double median_ms(int runs, F&& f) {
  std::vector<double> times;
  for (int i = 0; i < runs; ++i) {
    const double start = now_ms();
    f();
    times.push_back(now_ms() - start);
  }
  return median(times);
}

class MnemonicTiming : public ProgramTest {};

TEST_F(MnemonicTiming, DISABLED_KeystrokeIn18000Lines) {
  ASSERT_TRUE(start());
  // 17,999 statements with comments; the end line is the 18,000th line.
  MnemonicText text = make_mnemonic_text();
  for (int i = 0; i < MAX_TEXT_LINES - 2; ++i) {
    char line[64];
    std::snprintf(line, sizeof line, i % 4 == 0 ? "LD      X%03X            ; input %d" : "OUT     Y%03X", i & 0xFFF,
                  i);
    set_line_statement(text[static_cast<size_t>(i)], line);
  }
  set_line_statement(text[MAX_TEXT_LINES - 2], "END");
  set_end_line(text[MAX_TEXT_LINES - 1]);
  const std::wstring file = folder_->file(L"big.NIC");
  FILE* f = _wfopen(file.c_str(), L"wb");
  ASSERT_NE(f, nullptr);
  ASSERT_EQ(write_nic_text(text, f, 0), 0);
  std::fclose(f);

  rebuild_screen_toolbar(frame_, CMD_SCREEN_MNEMONIC);
  std::string path;
  wide_to_cp932(file, path);
  ChildOpenRecord record{};
  fill_child_open(record, FileFilter::NIC, path, "big.NIC", 0);
  ShowWindow(g_mdi_client, SW_SHOW);
  MDICREATESTRUCTW create{};
  create.szClass = L"nicfl";
  create.szTitle = L"big";
  create.hOwner = g_instance;
  create.cx = 800;
  create.cy = 600;
  create.lParam = reinterpret_cast<LPARAM>(&record);
  const double open_start = now_ms();
  HWND window = reinterpret_cast<HWND>(SendMessageW(g_mdi_client, WM_MDICREATE, 0, reinterpret_cast<LPARAM>(&create)));
  const double open_ms = now_ms() - open_start;
  ASSERT_TRUE(window);
  pump_messages();
  SetFocus(window);
  ASSERT_EQ(count_text_lines(*nic_window_text(window)), MAX_TEXT_LINES - 1);

  // The caret in the middle of the text, its line on screen.
  SendMessageW(window, WM_VSCROLL, MAKEWPARAM(SB_THUMBTRACK, 9000), 0);
  ViewState* view = nic_window_view(window);
  view->cursor_row = 9005;
  view->cursor_col = 3;
  UpdateWindow(window);

  constexpr int RUNS = 41;
  const double keystroke = median_ms(RUNS, [&] {
    SendMessageW(window, WM_CHAR, 'x', 1);
    UpdateWindow(window);
  });
  const double repaint = median_ms(RUNS, [&] {
    InvalidateRect(window, nullptr, TRUE);
    UpdateWindow(window);
  });
  MnemonicText copy = *nic_window_text(window);
  ViewState editor_view = *view;
  const double editor = median_ms(RUNS, [&] { type_character(copy, editor_view, "x"); });
  const double snapshot = median_ms(RUNS, [&] { push_mnemonic_undo(*nic_window_text(window)); });
  const double undo = median_ms(9, [&] { SendMessageW(window, WM_COMMAND, CMD_UNDO, 0); });

  std::printf("mnemonic window, %d-line text (medians of %d runs, undo of 9):\n", MAX_TEXT_LINES, RUNS);
  std::printf("  open the file:                        %8.3f ms (one run)\n", open_ms);
  std::printf("  keystroke (insert, snapshot, redraw):  %8.3f ms\n", keystroke);
  std::printf("  the editor's insert alone:             %8.3f ms\n", editor);
  std::printf("  the undo snapshot alone:               %8.3f ms\n", snapshot);
  std::printf("  repaint of the whole window:           %8.3f ms\n", repaint);
  std::printf("  undo (restore, repaint):               %8.3f ms\n", undo);
  std::printf("  keystroke / editor insert:             %8.1f\n", keystroke / std::max(editor, 1e-6));
  // 41 characters typed; 9 undos from the 41 snapshots of the text as it was last (all
  // alike) change nothing.
  EXPECT_EQ(std::string(line_statement((*nic_window_text(window))[9005])).substr(0, 3 + 41 + 1),
            "OUT" + std::string(41, 'x') + " ");
}

}  // namespace
