// Timing of the monitor screen under Wine: a full repaint of a maximised monitor window
// showing a long compiled program, on the monitor screen with live values, and the
// building of its display list alone; the creation of the window (the first of the process
// and later ones) against reading the operation file alone. Each figure is the median of
// several runs (QueryPerformanceCounter), printed in milliseconds with its aim and its
// ratio to the core work it wraps. Run it from the build folder:
//   wine build/mingw/monitor_timing.exe
#include "core/design_file.h"
#include "core/device_tables.h"
#include "core/ladder_compiler.h"
#include "core/seq_file.h"

#include "target/windows_api.h"

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "board/monitor_paint.h"
#include "board/monitor_window_win.h"
#include "design/view_geometry_win.h"
#include "shell/command_routing_win.h"
#include "shell/documents.h"
#include "shell/documents_win.h"
#include "frame/frame_win.h"
#include "shell/path_parts.h"
#include "shell/text_win.h"
#include "support/ladder_text.h"
#include "timing/timing_support.h"
#include "target/device_images.h"

namespace {

using namespace timing;

// 3000 rows: rungs of contacts, a timer, a register move with its value, comment rows.
bool write_long_program(const std::wstring& path) {
  std::vector<std::string> rows;
  for (int i = 0; i < 3000; ++i) {
    switch (i % 40) {
      case 0: rows.push_back("; 40行ごとのコメント行"); break;
      case 1: rows.push_back("X0 /X1 M5 ~ (T3 K100)"); break;
      case 2: rows.push_back("X2 ~ [MOV K5 D1]"); break;
      default: rows.push_back("X0 X1 - /M2 ~ (Y0)"); break;
    }
  }
  LadderGrid grid = ladder_from_text(rows, {.grid_rows = MAX_GRID_ROWS});
  InstructionList list = make_instruction_list();
  if (compile_ladder(nullptr, grid, list, nullptr, 0) != CompileResult::OK) return false;
  g_instruction_list = list;
  FILE* f = _wfopen(path.c_str(), L"wb");
  const bool ok = f != nullptr && write_seq_file(f) == 0 &&
                  write_design_file(nullptr, grid, nullptr, f, DESIGN_FILE_APPENDED) == 0;
  if (f != nullptr) std::fclose(f);
  g_instruction_list = {};
  return ok;
}

}  // namespace

int main() {
  const std::wstring folder = enter_scratch_folder(L"tavolin_monitor_timing");
  const std::wstring path = folder + L"\\LONG.SEQ";
  if (!write_long_program(path)) return 1;
  std::string path_cp932;
  wide_to_cp932(path, path_cp932);

  HWND frame = start_maximised_program();
  if (frame == nullptr) return 2;

  // The creation: the first of the process, then later ones (each window closed again),
  // against reading the operation file into a grid and a list alone.
  constexpr int CREATIONS = 7;
  std::vector<double> creations, reads;
  double first_creation = 0;
  HWND window = nullptr;
  for (int i = 0; i <= CREATIONS; ++i) {
    if (i > 0) {
      const double r0 = now_ms();
      LadderGrid grid = make_ladder_grid();
      InstructionList list = make_instruction_list();
      FILE* f = _wfopen(path.c_str(), L"rb");
      if (f == nullptr || read_seq_file(grid, list, f, true) == SEQ_FILE_BAD) return 5;
      std::fclose(f);
      reads.push_back(now_ms() - r0);
    }
    copy_text(g_child_open.path, path_cp932);
    copy_text(g_child_open.title, "LONG.SEQ");
    g_monitor_mode = 1;  // the monitor screen, link off: nothing polls, the values show
    ShowWindow(g_mdi_client, SW_SHOW);
    const double c0 = now_ms();
    window = create_document_child(L"jikfl", "LONG.SEQ  No. = 1", ChildRoute::MONITOR);
    const double created = now_ms() - c0;
    if (window == nullptr) return 3;
    if (i == 0) first_creation = created;
    else creations.push_back(created);
    if (i == CREATIONS) break;
    g_monitor_mode = 0;
    SendMessageW(window, WM_CLOSE, 0, 0);
    pump();
  }
  ShowWindow(window, SW_MAXIMIZE);
  pump();
  // Contacts on and values set, as after a poll.
  polled_image_entry(make_device_operand(0, 0))->word[0] = 0x3;
  word_device_record(13, 1)->word[0] = 0xBEEF;

  std::vector<double> repaints, lists;
  RECT client{};
  GetClientRect(window, &client);
  for (int k = 0; k < 31; ++k) {
    InvalidateRect(window, nullptr, TRUE);
    const double p0 = now_ms();
    UpdateWindow(window);
    repaints.push_back(now_ms() - p0);
    MonitorPaintInputs in;
    in.grid = *monitor_grid();
    in.view = view_state_of(window);
    in.update = {0, 0, client.right, client.bottom};
    in.client_width = client.right;
    in.client_height = client.bottom;
    in.monitor_screen = true;
    const double l0 = now_ms();
    const DisplayList list = build_monitor_display_list(in);
    lists.push_back(now_ms() - l0);
  }
  std::printf("monitor screen, 3000-row operation file, maximised %ldx%ld (medians: repaint of 31, creations of %d):\n",
              client.right, client.bottom, CREATIONS);
  print_figure("operation file read alone", median(reads), 30);
  print_figure("monitor window creation", median(creations), 60, "the read", median(reads), 2);
  print_figure("monitor window creation, the first of the process", first_creation, 60, "the read", median(reads));
  print_figure("full repaint, maximised monitor window", median(repaints), 16, "its display list", median(lists));
  g_monitor_mode = 0;
  SendMessageW(window, WM_CLOSE, 0, 0);
  pump();
  DestroyWindow(frame);
  pump();
  end_program();
  DeleteFileW(path.c_str());
  return 0;
}
