// The one-click write of a 100-line program (33 rungs of LD, ANI, OUT and END) from the
// command to the final message: save, compile, operation and design files, read-back,
// commented mnemonic file, and the program write to the simulated board at 9600 baud
// (virtual clock, 1.042 ms a character each way). Reported: the whole time (the real time
// of the work on this machine plus the virtual time on the line), the line-time bound of
// the characters that crossed the line both ways and its ratio, and the line-time bound of
// the bytes the program sent and its ratio (each line waits for its echo and the board's
// answer before the next goes, so that ratio cannot reach 1). The line runs both ways at
// once, so the echo travels while the line is still going out: the tightest floor is the
// bytes sent plus the bytes of the board's answers (all it sends but the echo), reported
// as duplex_floor_ms with duplex_ratio; the goal is a ratio within 1.1.
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "core/design_file.h"
#include "core/ladder_compiler.h"
#include "core/notice.h"
#include "shell/compile_chain.h"
#include "frame/one_click.h"
#include "support/board_simulator.h"
#include "support/ladder_text.cpp"
#include "target/monitor_protocol.h"
#include "target/serial_port.h"

namespace {

constexpr int BOARD_SLOT = 3;

void BM_OneClickWrite100Lines(benchmark::State& state) {
  namespace fs = std::filesystem;
  const fs::path folder = fs::temp_directory_path() / "tavolin_one_click_bench";
  fs::create_directories(folder);
  std::vector<std::string> rows;
  for (int r = 0; r < 33; ++r)
    rows.push_back("X" + std::to_string(r) + " /M" + std::to_string(r) + " ~ (Y" + std::to_string(r) + ")");
  const LadderGrid source = ladder_from_text(rows, {.grid_rows = MAX_GRID_ROWS});
  g_file_project_name = "LONG";
  set_notice_handler([](void*, const char*, const char*, unsigned) { return NoticeAnswer::OK; });

  double total_ms = 0, bound_ms = 0, sent_bound_ms = 0, line_ms = 0, work_ms = 0, duplex_floor_ms = 0;
  int lines = 0;
  for (auto _ : state) {
    SimulatedLink link;
    link.character_us = SimulatedLink::CHARACTER_US_9600;
    reset_serial_state();
    reset_compiler_state();
    set_port_opener(link.opener_for("\\\\.\\COM3"));
    g_com_number = BOARD_SLOT;

    LadderGrid grid = source;
    LadderGrid saved = make_ladder_grid();
    const ProjectFiles files = project_files("", (folder.string() + "/").c_str(), "LONG");
    OneClickRequest request;
    request.view = {true, false, false, files.design, "LONG.MBS", grid};
    request.main = {true, grid, saved, files.design};
    request.files = files;
    CompileHost host;
    host.convert_compiled_files = [&files] {
      return convert_seq_to_commented_nic(nullptr, files.mnemonic, files.listing, files.design);
    };

    const auto start = std::chrono::steady_clock::now();
    const OneClickEnd end = run_one_click_write(request, host);
    const double real_ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
    if (end != OneClickEnd::WRITTEN) state.SkipWithError("the one-click write failed");
    lines = static_cast<int>(link.board.program.size());
    const int64_t characters = static_cast<int64_t>(link.host_sent.size()) + link.board_sent;
    line_ms = static_cast<double>(link.now_us) / 1000.0;
    work_ms = real_ms;
    total_ms = real_ms + line_ms;
    bound_ms = static_cast<double>(characters * SimulatedLink::CHARACTER_US_9600) / 1000.0;
    sent_bound_ms =
        static_cast<double>(static_cast<int64_t>(link.host_sent.size()) * SimulatedLink::CHARACTER_US_9600) / 1000.0;
    int64_t echoed = 0;
    for (char c : link.host_sent) echoed += static_cast<uint8_t>(c) >= 0x20 && static_cast<uint8_t>(c) != 0x7F;
    duplex_floor_ms = static_cast<double>((static_cast<int64_t>(link.host_sent.size()) + link.board_sent - echoed) *
                                          SimulatedLink::CHARACTER_US_9600) /
                      1000.0;
    state.SetIterationTime(total_ms / 1000.0);
  }
  state.counters["lines"] = lines;
  state.counters["total_ms"] = total_ms;
  state.counters["work_ms"] = work_ms;
  state.counters["line_ms"] = line_ms;
  state.counters["bound_ms"] = bound_ms;
  state.counters["ratio"] = total_ms / bound_ms;
  state.counters["sent_bound_ms"] = sent_bound_ms;
  state.counters["sent_ratio"] = total_ms / sent_bound_ms;
  state.counters["duplex_floor_ms"] = duplex_floor_ms;
  state.counters["duplex_ratio"] = total_ms / duplex_floor_ms;
  std::printf("one-click write of %d lines: %.0f ms; floor (bytes both ways) %.0f ms, ratio %.2f; duplex floor %.0f ms, "
              "ratio %.2f\n",
              lines, total_ms, bound_ms, total_ms / bound_ms, duplex_floor_ms, total_ms / duplex_floor_ms);
  set_port_opener({});
  reset_serial_state();
  release_read_back();
  release_frame_mnemonic_text();
  g_mnemonic_text = {};
  set_notice_handler({});
  fs::remove_all(folder);
}
BENCHMARK(BM_OneClickWrite100Lines)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace
