// Timing of the mnemonic screen under Wine: a keystroke that inserts a character and draws
// its line again in an 18,000-line text (the largest a text holds), against the editor's
// insert alone and the undo snapshot the keystroke takes; a full repaint; an undo; the
// open of the file. Each figure is the median of several runs (QueryPerformanceCounter),
// printed in milliseconds. Run it from the build folder:
//   wine build/mingw/mnemonic_timing.exe
#include "shell/windows_api.h"
#include "timing/timing_support.h"

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
#include "shell/command_routing_win.h"
#include "shell/documents_win.h"
#include "shell/frame_win.h"
#include "shell/text_win.h"
#include "shell/toolbar_win.h"

namespace {

using namespace timing;

// 17,998 statements (every fourth with a comment), END, and the end line as line 18,000.
bool write_long_text(const std::wstring& path) {
  MnemonicText text = make_mnemonic_text();
  for (int i = 0; i < MAX_TEXT_LINES - 2; ++i) {
    char line[64];
    if (i % 4 == 0)
      std::snprintf(line, sizeof line, "LD      X%03X            ; 入力 %d", i & 0xFFF, i);
    else
      std::snprintf(line, sizeof line, "OUT     Y%03X", i & 0xFFF);
    set_line_statement(text[static_cast<size_t>(i)], line);
  }
  set_line_statement(text[MAX_TEXT_LINES - 2], "END");
  set_end_line(text[MAX_TEXT_LINES - 1]);
  FILE* f = _wfopen(path.c_str(), L"wb");
  if (f == nullptr) return false;
  const bool written = write_nic_text(text, f, 0) == 0;
  return std::fclose(f) == 0 && written;
}

}  // namespace

int main() {
  const std::wstring folder = enter_scratch_folder(L"tavolin_timing");
  const std::wstring path = folder + L"\\LONG.NIC";
  if (!write_long_text(path)) return 1;
  std::string path_cp932;
  wide_to_cp932(path, path_cp932);

  HWND frame = start_maximised_program();
  if (frame == nullptr) return 2;
  rebuild_screen_toolbar(frame, CMD_SCREEN_MNEMONIC);

  GetClientRect(frame, &g_client_rect);
  fill_child_open(g_child_open, FileFilter::NIC, path_cp932, "LONG.NIC", 0);
  ShowWindow(g_mdi_client, SW_SHOW);
  const double open_start = now_ms();
  HWND window = create_document_child(L"nicfl", "  LONG.NIC", ChildRoute::OPEN);
  const double open_ms = now_ms() - open_start;
  if (window == nullptr) return 3;
  ShowWindow(window, SW_MAXIMIZE);
  pump();
  SetFocus(window);
  if (count_text_lines(*nic_window_text(window)) != MAX_TEXT_LINES - 1) return 4;

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
  MnemonicText copy = *nic_window_text(window);
  ViewState editor_view = *view;
  const double editor = median_ms(RUNS, [&] { type_character(copy, editor_view, "x"); });
  const double snapshot = median_ms(RUNS, [&] { push_mnemonic_undo(*nic_window_text(window)); });
  const double repaint = median_ms(RUNS, [&] {
    InvalidateRect(window, nullptr, TRUE);
    UpdateWindow(window);
  });
  const double undo = median_ms(9, [&] {
    SendMessageW(window, WM_COMMAND, CMD_UNDO, 0);
    UpdateWindow(window);
  });

  RECT client{};
  GetClientRect(window, &client);
  std::printf("mnemonic window, %d-line text, %ldx%ld client (medians of %d runs, undo of 9):\n", MAX_TEXT_LINES,
              client.right, client.bottom, RUNS);
  std::printf("  keystroke (insert, undo snapshot, line drawn): %8.2f ms\n", keystroke);
  std::printf("    of which the editor's insert:                %8.2f ms\n", editor);
  std::printf("    of which the undo snapshot:                  %8.2f ms\n", snapshot);
  std::printf("  full repaint:                                  %8.2f ms\n", repaint);
  std::printf("  undo (restore, layout, repaint):               %8.2f ms\n", undo);
  std::printf("  open of the file into the window (one run):    %8.2f ms\n", open_ms);
  DestroyWindow(frame);
  pump();
  end_program();
  DeleteFileW(path.c_str());
  return 0;
}
