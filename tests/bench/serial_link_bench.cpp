// The board dialogue at 9600 baud on the simulated link (virtual clock, 1.042 ms a
// character each way): the program write of 100 numbered lines, one contact poll and one
// register poll. Each reports its virtual time and the ratio to its line-time lower bound,
// the characters that crossed the line both ways times 1.042 ms. Waits that ran into a
// time-out would show as ratios far above 1 (one time-out is 500 ms).
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "core/device_tables.h"
#include "support/board_simulator.h"
#include "target/device_images.h"
#include "target/monitor_protocol.h"
#include "target/serial_port.h"

namespace {

constexpr int BOARD_SLOT = 3;

// A fresh link with the board's port open as the dialogue uses it.
void open_link(SimulatedLink& link) {
  reset_serial_state();
  link.character_us = SimulatedLink::CHARACTER_US_9600;
  set_port_opener(link.opener_for("\\\\.\\COM3"));
  g_com_number = BOARD_SLOT;
  g_current_port = BOARD_SLOT;
  open_port(BOARD_SLOT, LINK_BAUD_RATE, NO_PARITY);
}

// Runs `exchange` on a fresh link each iteration and reports the virtual time.
template <typename Exchange>
void run_on_link(benchmark::State& state, Exchange exchange) {
  double ratio = 0;
  double virtual_ms = 0;
  double bound_ms = 0;
  for (auto _ : state) {
    SimulatedLink link;
    open_link(link);
    const int64_t start = link.now_us;
    if (!exchange(link)) state.SkipWithError("the exchange failed");
    const int64_t elapsed = link.now_us - start;
    const int64_t characters = static_cast<int64_t>(link.host_sent.size()) + link.board_sent;
    virtual_ms = static_cast<double>(elapsed) / 1000.0;
    bound_ms = static_cast<double>(characters * SimulatedLink::CHARACTER_US_9600) / 1000.0;
    ratio = virtual_ms / bound_ms;
    state.SetIterationTime(static_cast<double>(elapsed) / 1e6);
  }
  state.counters["virtual_ms"] = virtual_ms;
  state.counters["bound_ms"] = bound_ms;
  state.counters["ratio"] = ratio;
  set_port_opener({});
  reset_serial_state();
}

void BM_ProgramWrite100Lines(benchmark::State& state) {
  static MnemonicText text = [] {
    MnemonicText t = make_mnemonic_text(128);
    const char* forms[] = {"LD      X%02X\n", "AND     M%d\n", "OR      X%02X\n", "ANI     M%d\n", "OUT     Y%02X\n"};
    for (int i = 0; i < 99; ++i) std::snprintf(t[i].statement, STATEMENT_SIZE, forms[i % 5], i);
    std::strcpy(t[99].statement, "END\n");
    std::strcpy(t[100].statement, "0FFFF0 0FFFF0\n");
    return t;
  }();
  run_on_link(state, [](SimulatedLink& link) {
    char end_answer[8];
    return write_program_to_target(text, end_answer) == 0 && link.board.program.size() == 100;
  });
}
BENCHMARK(BM_ProgramWrite100Lines)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_ContactPoll(benchmark::State& state) {
  static LadderGrid grid = [] {
    LadderGrid g = make_ladder_grid(4);
    g[0].cell[0].word[0] = 0x18;
    g[0].cell[0].word[1] = make_device_operand(Device::X, 0x1A);
    return g;
  }();
  run_on_link(state, [](SimulatedLink& link) {
    link.board.set_bit('X', 26, true);
    MonitorPollView view;
    view.visible_rows = 1;
    reset_device_images();
    return poll_target_bits(view, grid) == 0 && g_device_bit_image[Device::X][1].word[0] == 1 << 10;
  });
}
BENCHMARK(BM_ContactPoll)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(10);

void BM_RegisterPoll(benchmark::State& state) {
  static LadderGrid grid = [] {
    LadderGrid g = make_ladder_grid(4);
    g[0].cell[10].word[3] = make_device_operand(Device::D, 3) | 0x800000;
    return g;
  }();
  run_on_link(state, [](SimulatedLink& link) {
    link.board.registers[3] = 0x00FF;
    MonitorPollView view;
    view.visible_rows = 1;
    reset_device_images();
    return poll_target_words(view, grid) == 0 && g_word_records[3][3].word[0] == 0xFF;
  });
}
BENCHMARK(BM_RegisterPoll)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(10);

}  // namespace
