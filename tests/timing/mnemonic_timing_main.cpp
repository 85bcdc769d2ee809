// Timing of the mnemonic screen under Wine: a keystroke that inserts a character and draws
// its line again in an 18,000-line text (the largest a text holds), against the editor's
// insert alone and the undo snapshot the keystroke takes (and a whole one, for edits that
// move lines); a full repaint; an undo; the open of the file (the first of the process
// and later ones) against reading the file alone.
// Each figure is the median of several runs (QueryPerformanceCounter), printed in
// milliseconds with its aim and its ratio to the core work it wraps. Run it from the build
// folder:
//   wine build/mingw/mnemonic_timing.exe
#include "target/windows_api.h"
#include "timing/timing_support.h"

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "core/mnemonic_text.h"
#include "design/undo_ring.h"
#include "shell/view_state.h"
#include "mnemonic/mnemonic_editor.h"
#include "mnemonic/mnemonic_window_win.h"
#include "shell/command_ids.h"
#include "shell/command_routing_win.h"
#include "shell/documents_win.h"
#include "frame/frame_win.h"
#include "shell/message_box_win.h"
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

  // Nobody sits at the program: a question is answered "no" (nothing is saved) and counted.
  int boxes = 0;
  set_message_box_handler([&boxes](HWND, const std::wstring&, const std::wstring&, UINT) {
    ++boxes;
    return IDNO;
  });

  HWND frame = start_maximised_program();
  if (frame == nullptr) return 2;
  rebuild_screen_toolbar(frame, CMD_SCREEN_MNEMONIC);

  // The open: the first one of the process (the window the keystrokes are timed in), and
  // later ones after it is closed, against the read of the file into a text alone.
  // The first open takes its text from the 29 MB block the writing of the file gave back
  // (shell/large_blocks_win.cpp keeps it), so its figure leaves out the first touch of a
  // text's fresh memory, which a program's real first open of a file this long also pays
  // (90-270 ms more on the loaded test machine, page faults of the system's own).
  GetClientRect(frame, &g_client_rect);
  fill_child_open(g_child_open, FileFilter::NIC, path_cp932, "LONG.NIC", 0);
  ShowWindow(g_mdi_client, SW_SHOW);
  const double open_start = now_ms();
  HWND window = create_document_child(L"nicfl", "  LONG.NIC", ChildRoute::OPEN);
  const double first_open = now_ms() - open_start;
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
  // The keystroke's snapshot packs its line's chunk and shares the rest; an edit that
  // moves lines (a join, a paste) takes a whole one.
  const double snapshot = median_ms(RUNS, [&] { push_mnemonic_undo_lines(*nic_window_text(window), 9005, 9005); });
  const double whole_snapshot = median_ms(RUNS, [&] { push_mnemonic_undo(*nic_window_text(window)); });
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
  SendMessageW(window, WM_CLOSE, 0, 0);  // the save question is answered "no"
  pump();

  constexpr int OPENS = 7;
  std::vector<double> opens, reads;
  for (int i = 0; i < OPENS; ++i) {
    const double r0 = now_ms();
    {
      MnemonicText alone = make_mnemonic_text();
      FILE* f = _wfopen(path.c_str(), L"rb");
      if (f == nullptr || read_nic_file(alone, f, nullptr) != 0) return 5;
      std::fclose(f);
    }
    reads.push_back(now_ms() - r0);
    GetClientRect(frame, &g_client_rect);
    fill_child_open(g_child_open, FileFilter::NIC, path_cp932, "LONG.NIC", 0);
    const double o0 = now_ms();
    HWND again = create_document_child(L"nicfl", "  LONG.NIC", ChildRoute::OPEN);
    opens.push_back(now_ms() - o0);
    if (again == nullptr) return 6;
    SendMessageW(again, WM_CLOSE, 0, 0);
    pump();
  }

  std::printf("mnemonic window, %d-line text, %ldx%ld client (medians of %d runs, undo of 9, opens of %d; boxes answered: %d):\n",
              MAX_TEXT_LINES, client.right, client.bottom, RUNS, OPENS, boxes);
  print_figure("keystroke (insert, undo snapshot, line drawn)", keystroke, 3, "the editor's insert", editor);
  print_figure("  of which the editor's insert", editor, 3);
  print_figure("  of which the undo snapshot of its line", snapshot, 3);
  print_figure("a whole undo snapshot (a join, a paste)", whole_snapshot, 16);
  print_figure("full repaint", repaint, 16);
  print_figure("undo (restore, layout, repaint)", undo, 100);
  print_figure("read of the file into a text alone", median(reads), 60);
  print_figure("open of the file into the window", median(opens), 60, "the read", median(reads), 2);
  print_figure("open, the first of the process", first_open, 60, "the read", median(reads));
  DestroyWindow(frame);
  pump();
  end_program();
  DeleteFileW(path.c_str());
  return 0;
}
