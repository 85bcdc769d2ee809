// Timing of the design screen under Wine: opening a 6000-row design into a design window
// against reading the same file alone, and a full repaint of a maximised design window
// against building its display list. The open is split into the program's own pieces and
// what Wine spends on any MDI child window: an empty one (no procedure of the program) is
// created and activated the same way, and the switch of the frame to the document menu
// is timed alone. Each figure is the median of several runs
// (QueryPerformanceCounter), printed in milliseconds with its aim and its ratio to the core
// work it wraps. Run it from the build folder:
//   wine build/mingw/design_timing.exe
#include "target/windows_api.h"

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "core/design_file.h"
#include "design/design_paint.h"
#include "design/design_paint_win.h"
#include "design/design_window_win.h"
#include "design/element_pictures_win.h"
#include "design/view_geometry_win.h"
#include "design/undo_ring.h"
#include "shell/settings_file.h"
#include "shell/settings_win.h"
#include "shell/command_routing_win.h"
#include "shell/documents_win.h"
#include "frame/frame_win.h"
#include "shell/text_win.h"
#include "shell/toolbar_win.h"
#include "shell/window_lists_win.h"
#include "support/ladder_text.h"
#include "timing/timing_support.h"

namespace {

using namespace timing;

// 5999 rows through the END row: rungs of contacts, a timer, a box and comment rows.
LadderGrid long_design() {
  std::vector<std::string> rows;
  for (int i = 0; i < 5990; ++i) {
    switch (i % 40) {
      case 0:
        rows.push_back("; 40行ごとのコメント行");
        break;
      case 1:
        rows.push_back("X0 /X1 M5 ~ (T3 K100)");
        break;
      case 2:
        rows.push_back("X2 ~ [MOV D0 D1]");
        break;
      default:
        rows.push_back("X0 X1 - /M2 ~ (Y0)");
        break;
    }
  }
  return ladder_from_text(rows, {.grid_rows = MAX_GRID_ROWS});
}

}  // namespace

int main() {
  const std::wstring folder = enter_scratch_folder(L"tavolin_timing");
  const std::wstring path = folder + L"\\LONG.MBS";
  {
    LadderGrid grid = long_design();
    FILE* f = _wfopen(path.c_str(), L"wb");
    if (f == nullptr || write_design_file(nullptr, grid, nullptr, f, DESIGN_FILE_STANDALONE) != 0) return 1;
    std::fclose(f);
  }
  std::string path_cp932;
  wide_to_cp932(path, path_cp932);

  HWND frame = start_maximised_program();
  if (frame == nullptr) return 2;

  // An MDI child of no behaviour of the program's own: what Wine spends creating, showing,
  // activating and captioning any document window.
  constexpr wchar_t EMPTY_CLASS[] = L"tavolin_timing_empty";
  if (!register_window_class(DefMDIChildProcW, CHILD_WINDOW_EXTRA_BYTES, EMPTY_CLASS,
                             reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1), L"enpitu"))
    return 5;

  constexpr int RUNS = 15;
  std::vector<double> reads, opens, opens_painted, repaints, lists;

  // The pieces of the open besides the read. The element pictures are taken as the first
  // design window takes them: recorded the first time in the process, shared after that.
  const bool white = (g_option_bits & OptionBit::WHITE_DESIGN_BACKGROUND) != 0;
  const bool doubled = g_double_lines != 0;
  double t_first = now_ms();
  use_design_pictures(white, doubled);
  const double pictures_first = now_ms() - t_first;
  delete_design_pictures();
  std::vector<double> allocs, undos, pictures, settings, menu_switches, modes;
  for (int i = 0; i < RUNS; ++i) {
    double t0 = now_ms();
    LadderGrid grid = make_ladder_grid();
    LadderGrid copy = make_ladder_grid();
    allocs.push_back(now_ms() - t0);
    FILE* f = _wfopen(path.c_str(), L"rb");
    read_design_file(grid, f, DESIGN_FILE_STANDALONE);
    std::fclose(f);
    t0 = now_ms();
    reset_design_undo();
    push_design_undo(grid);
    undos.push_back(now_ms() - t0);
    t0 = now_ms();
    use_design_pictures(white, doubled);
    pictures.push_back(now_ms() - t0);
    delete_design_pictures();
    t0 = now_ms();
    save_settings();
    settings.push_back(now_ms() - t0);
    t0 = now_ms();
    reset_design_modes();
    modes.push_back(now_ms() - t0);
    // The frame's switch from the main menu to the document menu, as a design window's
    // activation makes it (the MDI client sets the frame's menu), and back.
    t0 = now_ms();
    SendMessageW(g_mdi_client, WM_MDISETMENU, reinterpret_cast<WPARAM>(g_document_menu),
                 reinterpret_cast<LPARAM>(g_document_window_menu));
    menu_switches.push_back(now_ms() - t0);
    SendMessageW(g_mdi_client, WM_MDISETMENU, reinterpret_cast<WPARAM>(g_main_menu),
                 reinterpret_cast<LPARAM>(g_main_window_menu));
    pump();
  }

  // The read alone and the open run in turns, so that both see the same load of the
  // machine; the ratio is taken run by run.
  std::vector<double> ratios, empties;
  for (int i = 0; i < RUNS; ++i) {
    {
      const double t0 = now_ms();
      LadderGrid grid = make_ladder_grid();
      FILE* f = _wfopen(path.c_str(), L"rb");
      if (f == nullptr || read_design_file(grid, f, DESIGN_FILE_STANDALONE) != DESIGN_FILE_OK) return 3;
      std::fclose(f);
      reads.push_back(now_ms() - t0);
    }
    GetClientRect(frame, &g_client_rect);
    fill_child_open(g_child_open, FileFilter::MBS, path_cp932, "LONG.MBS", 0);
    ShowWindow(g_mdi_client, SW_SHOW);
    {
      const double e0 = now_ms();
      HWND empty = create_document_child(EMPTY_CLASS, "  LONG.MBS", ChildRoute::OPEN);
      empties.push_back(now_ms() - e0);
      if (empty == nullptr) return 6;
      SendMessageW(empty, WM_CLOSE, 0, 0);
      pump();
    }
    const double t0 = now_ms();
    HWND window = create_document_child(L"massfl", "  LONG.MBS", ChildRoute::OPEN);
    const double t1 = now_ms();
    if (window == nullptr) return 4;
    UpdateWindow(window);
    const double t2 = now_ms();
    opens.push_back(t1 - t0);
    opens_painted.push_back(t2 - t0);
    ratios.push_back((t1 - t0) / reads.back());

    if (i == RUNS - 1) {
      ShowWindow(window, SW_MAXIMIZE);
      pump();
      RECT client{};
      GetClientRect(window, &client);
      for (int k = 0; k < 31; ++k) {
        InvalidateRect(window, nullptr, TRUE);
        const double p0 = now_ms();
        UpdateWindow(window);
        repaints.push_back(now_ms() - p0);
        const double l0 = now_ms();
        const DisplayList list =
            build_design_display_list(design_paint_inputs(window, *view_state_of(window), *design_grid_of(window), client));
        lists.push_back(now_ms() - l0);
      }
    }
    SendMessageW(window, WM_CLOSE, 0, 0);
    pump();
  }

  RECT client{};
  GetClientRect(g_mdi_client, &client);
  std::printf("design screen, 6000-row design, medians of %d runs (repaint: 31), maximised %ldx%ld:\n", RUNS,
              client.right, client.bottom);
  print_figure("design file read alone (6000-row grid)", median(reads), 10);
  print_figure("open into a design window (WM_MDICREATE)", median(opens), 50, "the read", median(reads), 2);
  std::printf("  (median of the runs' own ratios: %.2f x the read)\n", median(ratios));
  print_figure("open and first paint", median(opens_painted), 50, "the read", median(reads));
  print_figure("  of which two 6000-row grids", median(allocs), 50);
  print_figure("  of which the undo snapshot", median(undos), 50);
  print_figure("  of which the element pictures (shared)", median(pictures), 50);
  print_figure("  element pictures, first window of the process", pictures_first, 100);
  print_figure("  of which file.ini", median(settings), 50);
  print_figure("  of which the toolbar's mode buttons let go", median(modes), 50);
  // What no change of the program removes: Wine's own creation of a document window and the
  // frame's switch to the document menu that the design screen shows.
  const double wine_part = median(empties) + median(menu_switches);
  print_figure("  Wine: an empty MDI child, created and activated", median(empties), 50);
  print_figure("  Wine: the frame's switch to the document menu", median(menu_switches), 50);
  print_figure("  the open against the read plus those two", median(opens), 50, "(read + Wine's part)",
               median(reads) + wine_part, 2);
  print_figure("full repaint, maximised", median(repaints), 16, "its display list", median(lists));
  DestroyWindow(frame);
  pump();
  end_program();
  DeleteFileW(path.c_str());
  return 0;
}
