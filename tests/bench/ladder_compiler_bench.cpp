// Compiling a full ladder: 6000 grid rows (the program up to the END row, then the end
// mark) of mixed contacts, parallel rows, output branches, timers, counters, boxes,
// comparisons and comment rows.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <string>
#include <vector>

#include "core/ladder_compiler.h"
#include "core/ladder_model.h"

// The benchmark programs link the portable sources only; the ladder text helper of the
// tests is compiled in here.
#include "support/ladder_text.cpp"

namespace {

std::vector<std::string> mixed_program(int program_rows) {
  std::vector<std::string> rows;
  char text[160];
  int n = 0;
  auto add = [&](const char* format, auto... args) {
    std::snprintf(text, sizeof text, format, args...);
    rows.push_back(text);
  };
  for (int rung = 0; static_cast<int>(rows.size()) < program_rows - 4; ++rung, ++n) {
    const int x = n % 256;
    switch (rung % 8) {
      case 0:
        add("X%X /X%X ~ (Y%X)", x, x + 1, n % 4000);
        break;
      case 1:
        add("X%X X%X ~ (M%d)", x, x + 3, n % 9000);
        add("^/X%X ^", x + 4);
        break;
      case 2:
        add("X%X ~ (T%d K100)", x, n % 9000);
        break;
      case 3:
        add("X%X ~ [MOV D%d D%d]", x, n % 30000, n % 30000 + 1);
        break;
      case 4:
        add("X%X - - X%X ~ (M%d)", x, x + 5, n % 9000);
        add(". . . ^ . . ^X%X ~ (M%d)", x + 6, (n + 1) % 9000);
        add(". . . ^- ~ [+ D%d K1 D%d]", n % 30000, n % 30000 + 2);
        break;
      case 5:
        add("{>= D%d K100} X%X ~ (C%d K5)", n % 30000, x, n % 9000);
        break;
      case 6:
        add("X%X X%X ~ (M%d)", x, x + 7, n % 9000);
        add("^X%X /X%X ^", x + 8, x + 9);
        add("^M%d - ^", n % 9000);
        add("X%X ~ (M%d)", x, n % 9000);
        add(".10 ^- (M%d)", (n + 2) % 9000);
        break;
      default:
        if (rung % 64 == 7) add("; rung %d", rung);
        else add("X%X ~ [SET M%d]", x, n % 9000);
        break;
    }
  }
  return rows;
}

void BM_CompileFullLadder(benchmark::State& state) {
  const std::vector<std::string> rows = mixed_program(MAX_GRID_ROWS - 2);
  LadderGrid grid = ladder_from_text(rows, {.grid_rows = MAX_GRID_ROWS});
  InstructionList list = make_instruction_list(MAX_INSTRUCTIONS);
  reset_compiler_state();
  g_duplicate_warning_shown = 1;  // M coils repeat by design; Y, T and C do not
  int records = 0;
  for (auto _ : state) {
    const int result = compile_ladder(nullptr, grid, list, nullptr, 0);
    if (result != 0) {
      state.SkipWithError("the program did not compile");
      break;
    }
    records = g_end_record_index + 1;
    benchmark::DoNotOptimize(list.data());
  }
  state.counters["rows"] = static_cast<double>(g_program_row_count);
  state.counters["records"] = records;
}
BENCHMARK(BM_CompileFullLadder)->Unit(benchmark::kMillisecond);

}  // namespace
