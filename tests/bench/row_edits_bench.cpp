// Speed of the range clipboard: a copy of 1000 rows and their paste into a 5000-row design
// (the aim: both together under 20 ms).
#include <benchmark/benchmark.h>

#include <cstdio>

#include "design/row_edits.h"

namespace {

// `rows` program rows (a commented contact, lines and a coil), the END row and the end mark.
void fill_design(LadderGrid& grid, int rows) {
  for (int r = 0; r < rows; ++r) {
    LadderRow& row = grid[static_cast<size_t>(r)];
    row = LadderRow{};
    row.cell[0].word[0] = CellWord::CONTACT_BASE | PartCode::RELAY_A << 4 | CellFlags::HAS_COMMENT;
    row.cell[0].word[1] = static_cast<uint32_t>(r & 0xFFF);
    std::snprintf(row.text[0], CELL_TEXT_SIZE, "input %d", r);
    for (int c = 1; c <= 10; ++c) row.cell[c].word[0] = CellWord::LINE_ONLY;
    row.cell[11].word[0] = CellWord::COIL_BASE | PartCode::OUT << 4;
    row.cell[11].word[1] = 0x01000000u | static_cast<uint32_t>(r & 0xFF);
    row.cell[12].word[0] = 15;
  }
  grid[static_cast<size_t>(rows)] = LadderRow{};
  make_new_end_row(grid[static_cast<size_t>(rows)]);
  make_end_mark_row(grid[static_cast<size_t>(rows) + 1]);
}

void BM_CopyAndPaste1000RowsInto5000(benchmark::State& state) {
  LadderGrid grid = make_ladder_grid();
  RangeClipboard clip;
  for (auto _ : state) {
    state.PauseTiming();
    fill_design(grid, 4998);
    ViewState view{};
    view.range_start_row = 1000;
    for (int r = 1000; r < 2000; ++r) grid[static_cast<size_t>(r)].selected = 1;
    view.cursor_row = 3000;
    state.ResumeTiming();
    const int copied = copy_range_to_clipboard(grid, view, clip);
    clear_range_marks(grid, view);
    const int pasted = paste_range_rows(grid, view, clip);
    if (copied != 1000 || pasted != 1000) state.SkipWithError("the rows did not go through the clipboard");
    benchmark::DoNotOptimize(grid.data());
  }
}
BENCHMARK(BM_CopyAndPaste1000RowsInto5000)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
