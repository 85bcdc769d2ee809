// Drawing large instruction lists as ladders: a full grid of mixed generated rungs, and a
// program whose every rung has a gap to close (each close moves rows and rewrites the
// positions of the records up to END).
#include <benchmark/benchmark.h>

#include <vector>

#include "core/ladder_builder.h"
#include "core/ladder_model.h"

// The benchmark programs link the portable sources only; the test helpers are compiled in here.
#include "support/instruction_records.cpp"
#include "support/program_generator.cpp"

namespace {

// Generated programs one after another (without their END) while the whole still fits a
// full grid.
std::vector<InstructionRecord> mixed_program() {
  std::vector<InstructionRecord> all;
  LadderGrid grid = make_ladder_grid();
  for (uint32_t seed = 1;; ++seed) {
    std::vector<InstructionRecord> more = il::generate_program(seed, {6, 3, 4, true, true, false});
    more.pop_back();
    std::vector<InstructionRecord> trial = all;
    trial.insert(trial.end(), more.begin(), more.end());
    trial.push_back(il::end());
    InstructionList list = il::make_list(trial, false);
    std::fill(grid.begin(), grid.end(), LadderRow{});
    if (trial.size() + 1 >= MAX_INSTRUCTIONS || build_ladder_from_instructions(grid, list) != 0) break;
    all.insert(all.end(), more.begin(), more.end());
  }
  all.push_back(il::end());
  return all;
}

// X0 | X1 driving two coils: the second coil is drawn below X1's row and moved up beside it.
std::vector<InstructionRecord> gap_program(int rungs) {
  using namespace il;
  std::vector<InstructionRecord> all;
  for (int k = 0; k < rungs; ++k) {
    for (const InstructionRecord& r : {ld(X(0)), or_(X(1)), out(Y(static_cast<uint32_t>(2 * k % 4000))),
                                       out(Y(static_cast<uint32_t>((2 * k + 1) % 4000)))})
      all.push_back(r);
  }
  all.push_back(end());
  return all;
}

void run(benchmark::State& state, const std::vector<InstructionRecord>& program) {
  const InstructionList source = il::make_list(program);
  LadderGrid grid = make_ladder_grid();
  InstructionList list;
  for (auto _ : state) {
    state.PauseTiming();
    list = source;
    std::fill(grid.begin(), grid.end(), LadderRow{});
    state.ResumeTiming();
    const int result = build_ladder_from_instructions(grid, list);
    if (result != 0) state.SkipWithError("the program did not build");
    benchmark::DoNotOptimize(grid.data());
  }
  state.counters["records"] = static_cast<double>(program.size());
  state.counters["rows"] = count_program_rows(grid);
}

void BM_BuildMixedFullGrid(benchmark::State& state) {
  static const std::vector<InstructionRecord> program = mixed_program();
  run(state, program);
}
BENCHMARK(BM_BuildMixedFullGrid)->Unit(benchmark::kMillisecond);

void BM_BuildGapEveryRung(benchmark::State& state) {
  static const std::vector<InstructionRecord> program = gap_program(2900);
  run(state, program);
}
BENCHMARK(BM_BuildGapEveryRung)->Unit(benchmark::kMillisecond);

}  // namespace
