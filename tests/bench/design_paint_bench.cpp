// Speed of the design paint's display list: one full view of a maximised window at the
// top and at the end of a 6000-row design (the list is built on every WM_PAINT; the whole
// repaint, GDI included, is measured under Wine by tests/timing/design_timing_main.cpp).
#include <benchmark/benchmark.h>

#include <cstdio>

#include "design/design_paint.h"

namespace {

// 5998 rows: contacts with device comments, a timer every tenth row, a comment row every
// fiftieth, then the END row and the end mark.
LadderGrid long_design() {
  LadderGrid grid = make_ladder_grid();
  const int rows = MAX_GRID_ROWS - 2;
  for (int r = 0; r < rows; ++r) {
    LadderRow& row = grid[static_cast<size_t>(r)];
    if (r % 50 == 49) {
      row.cell[0].word[0] = CellWord::COMMENT_ROW_FIRST;
      for (int c = 1; c <= 10; ++c) row.cell[c].word[0] = CellWord::COMMENT_ROW_LINE;
      row.cell[11].word[0] = CellWord::COMMENT_ROW_OUTPUT;
      std::snprintf(row.row_text(), ROW_TEXT_SIZE, "comment row %d", r);
      continue;
    }
    row.cell[0].word[0] = CellWord::CONTACT_BASE | PartCode::RELAY_A << 4 | CellFlags::HAS_COMMENT;
    row.cell[0].word[1] = static_cast<uint32_t>(r & 0xFF);
    std::snprintf(row.text[0], CELL_TEXT_SIZE, "input %d", r);
    row.cell[1].word[0] = CellWord::CONTACT_BASE | PartCode::RELAY_B << 4;
    row.cell[1].word[1] = 0x20000000u | static_cast<uint32_t>(r & 0xFF);
    for (int c = 2; c <= 10; ++c) row.cell[c].word[0] = CellWord::LINE_ONLY;
    row.cell[11].word[0] = CellWord::COIL_BASE | PartCode::OUT << 4 | CellFlags::OPERAND_SET;
    row.cell[11].word[1] = 0x10000000u | static_cast<uint32_t>(r & 0xFF);
    row.cell[12].word[0] = 15;
  }
  make_new_end_row(grid[static_cast<size_t>(rows)]);
  make_end_mark_row(grid[static_cast<size_t>(rows) + 1]);
  return grid;
}

void paint_view(benchmark::State& state) {
  static const LadderGrid grid = long_design();
  ViewState view{};
  init_view_state(view, 0xFFFFFF);
  size_ladder_view(view, 1276, 694, grid);
  view.top_row = state.range(0) == 0 ? 0 : view.scroll_max;
  PaintInputs in;
  in.grid = grid;
  in.view = &view;
  in.update = {0, 0, 1276, 694};
  in.client_width = 1276;
  in.client_height = 694;
  in.colours = {0xFFFFFF, 0, 0x005A00};
  size_t items = 0;
  for (auto _ : state) {
    const DisplayList list = build_design_display_list(in);
    items = list.items.size();
    benchmark::DoNotOptimize(list.items.data());
  }
  state.counters["items"] = static_cast<double>(items);
}
BENCHMARK(paint_view)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

}  // namespace
