// Timing of the design screen's compile command under Wine: the command sent to a design
// window holding a 6000-row design, from the command to the operation, design and mnemonic
// files on disk (the read-back and the frame's conversion included), against the compile
// chain alone (compile, check rebuild, branch screening, run-time tables, row merge and the
// file writes, without a window). Medians of several runs (QueryPerformanceCounter), in
// milliseconds, each with its aim, and their ratio. Run it from the build folder:
//   wine build/mingw/compile_timing.exe
#include "target/windows_api.h"

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "core/design_file.h"
#include "design/design_window_win.h"
#include "shell/command_ids.h"
#include "shell/command_routing_win.h"
#include "shell/compile_chain.h"
#include "shell/documents_win.h"
#include "frame/frame_win.h"
#include "shell/message_box_win.h"
#include "shell/settings_file.h"
#include "shell/text_win.h"
#include "shell/window_lists_win.h"
#include "support/ladder_text.h"
#include "timing/timing_support.h"

namespace {

using namespace timing;

// 5999 rows through the END row (about 12,000 instructions): rungs of a contact and its own
// output, a timer, a box and comment rows.
LadderGrid long_design() {
  std::vector<std::string> rows;
  for (int i = 0; i < 5990; ++i) {
    switch (i % 40) {
      case 0:
        rows.push_back("; 40行ごとのコメント行");
        break;
      case 1:
        rows.push_back("X0 /X1 M5 ~ (T" + std::to_string(i / 40) + " K100)");
        break;
      case 2:
        rows.push_back("X2 ~ [MOV D0 D" + std::to_string(i / 40 + 1) + "]");
        break;
      default:
        rows.push_back((i % 2 ? "X0 ~ (M" : "/M2 ~ (M") + std::to_string(i + 100) + ")");
        break;
    }
  }
  return ladder_from_text(rows, {.grid_rows = MAX_GRID_ROWS});
}

std::string narrow(const std::wstring& wide) {
  std::string out;
  wide_to_cp932(wide, out);
  return out;
}

}  // namespace

int main() {
  const std::wstring folder = enter_scratch_folder(L"tavolin_compile_timing");
  const std::wstring path = folder + L"\\LONG.MBS";
  LadderGrid design = long_design();
  {
    FILE* f = _wfopen(path.c_str(), L"wb");
    if (f == nullptr || write_design_file(nullptr, design, nullptr, f, DESIGN_FILE_STANDALONE) != 0) return 1;
    std::fclose(f);
  }
  // Every question is answered OK, every report taken: nobody sits at the program.
  int boxes = 0;
  set_message_box_handler([&boxes](HWND, const std::wstring&, const std::wstring&, UINT) {
    ++boxes;
    return IDOK;
  });

  HWND frame = start_maximised_program();
  if (frame == nullptr) return 2;
  GetClientRect(frame, &g_client_rect);
  fill_child_open(g_child_open, FileFilter::MBS, narrow(path), "LONG.MBS", 0);
  HWND window = create_document_child(L"massfl", "  LONG.MBS", ChildRoute::OPEN);
  if (window == nullptr) return 3;
  pump();
  const std::string dir = narrow(folder) + "\\";
  PathParts parts{};
  split_path(narrow(path), parts);
  copy_text(g_project_drive, parts.drive);
  copy_text(g_project_dir, parts.dir);
  copy_text(g_project_name, "LONG");

  constexpr int RUNS = 7;
  // The chain alone, on a copy of the design, into a project of its own.
  const ProjectFiles chain_files = project_files(parts.drive, parts.dir, "CHAIN");
  std::vector<double> chains;
  for (int i = 0; i < RUNS; ++i) {
    LadderGrid grid = design;
    LadderGrid saved = design;
    CompileRequest request;
    request.grid = grid;
    request.saved_copy = saved;
    request.files = chain_files;
    request.view_path = chain_files.design;
    request.open_path = chain_files.design;
    const double t0 = now_ms();
    const CompileOutcome outcome = compile_design_to_files(request);
    chains.push_back(now_ms() - t0);
    if (outcome.step != CompileStep::WRITTEN) {
      std::printf("the chain did not write the files (step %d, compile %d)\n", static_cast<int>(outcome.step),
                  outcome.compile_result);
      for (int e = 0; e < std::min(g_conversion_error_count, 5); ++e)
        std::printf("  error %08X\n", static_cast<unsigned>(g_conversion_errors[static_cast<size_t>(e)]));
      return 4;
    }
  }

  // The read-back and the conversion to the commented mnemonic file alone, the work the
  // command does after the chain.
  const ProjectFiles chain_project = chain_files;
  std::vector<double> after_chain, read_backs;
  for (int i = 0; i < RUNS; ++i) {
    const double t0 = now_ms();
    if (!read_back_operation_file(chain_project.operation, chain_project.design)) return 6;
    const double t1 = now_ms();
    if (convert_seq_to_commented_nic(nullptr, chain_project.mnemonic, chain_project.listing, chain_project.design) != 0)
      return 7;
    after_chain.push_back(now_ms() - t0);
    read_backs.push_back(t1 - t0);
  }

  std::vector<double> commands;
  for (int i = 0; i < RUNS; ++i) {
    const double t0 = now_ms();
    SendMessageW(window, WM_COMMAND, CMD_COMPILE_LADDER, 0);
    commands.push_back(now_ms() - t0);
    pump();
  }
  const DWORD nic = GetFileAttributesW((folder + L"\\LONG.NIC").c_str());
  if (nic == INVALID_FILE_ATTRIBUTES) {
    std::printf("the command made no mnemonic file\n");
    return 5;
  }

  const double chain = median(chains);
  const double rest = median(after_chain);
  const double command = median(commands);
  std::printf("design compile command, 6000-row design, medians of %d runs (boxes answered: %d):\n", RUNS, boxes);
  print_figure("compile chain alone", chain, 50);
  print_figure("read-back and commented mnemonic file alone", rest, 50);
  print_figure("  of which the read-back of the operation file", median(read_backs), 50);
  print_figure("compile command, command to files", command, 100, "the chain", chain, 2);
  print_figure("  the same against chain, read-back and conversion", command, 100, "those", chain + rest);
  DestroyWindow(frame);
  return 0;
}
