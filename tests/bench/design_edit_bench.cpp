// Speed of the design window's edits on a 6000-row design, the effects record included:
// one placement (a tool click and a function key) and one cursor move near the END row,
// where every scan of the grid is longest. The aim: under 1 ms each, whatever the size.
// (The undo snapshot that the window takes afterwards is measured in undo_ring_bench.)
#include <benchmark/benchmark.h>

#include "design/cursor_keys.h"
#include "design/part_placement.h"

namespace {

// Program rows of a contact, lines and a coil, the END row at row 5998, the end mark after it.
LadderGrid full_design() {
  LadderGrid grid = make_ladder_grid(MAX_GRID_ROWS);
  for (int r = 0; r < MAX_GRID_ROWS - 2; ++r) {
    LadderRow& row = grid[static_cast<size_t>(r)];
    row.cell[0].word[0] = CellWord::CONTACT_BASE | PartCode::RELAY_A << 4;
    row.cell[0].word[1] = static_cast<uint32_t>(r & 0xFF);
    for (int c = 1; c <= 10; ++c) row.cell[c].word[0] = CellWord::LINE_ONLY;
    row.cell[11].word[0] = CellWord::COIL_BASE | PartCode::OUT << 4;
    row.cell[12].word[0] = 15;
  }
  make_new_end_row(grid[MAX_GRID_ROWS - 2]);
  make_end_mark_row(grid[MAX_GRID_ROWS - 1]);
  return grid;
}

struct Screen {
  LadderGrid grid = full_design();
  ViewState view{};
  KeyContext keys;
  Screen() {
    init_view_state(view, 0);
    size_ladder_view(view, 1300, 1060, grid);
    view.top_row = view.scroll_max;
    keys.edit.client_width = 1300;
  }
  int x(int col) const { return view.left_rail_x + col * view.cell_width + view.cell_width / 2; }
  int y(int row) const { return view.top_margin + (row - view.top_row) * view.row_height + view.row_height / 2; }
};

void BM_PlaceContactByClick(benchmark::State& state) {
  Screen s;
  s.keys.edit.modes.tool = DesignToolId::RELAY_A;
  int highlight = 0;
  const int row = MAX_GRID_ROWS - 4;
  for (auto _ : state) {
    s.keys.edit.modes.tool = (s.keys.edit.modes.tool == DesignToolId::RELAY_A) ? DesignToolId::RELAY_B : DesignToolId::RELAY_A;
    EditEffects e = design_left_click(s.grid, s.view, s.keys.edit, s.x(3), s.y(row), highlight);
    if (!e.changed) state.SkipWithError("the placement was refused");
    benchmark::DoNotOptimize(e);
  }
}
BENCHMARK(BM_PlaceContactByClick)->Unit(benchmark::kMicrosecond);

void BM_PlaceOutputByKey(benchmark::State& state) {
  Screen s;
  int highlight = 0;
  const int row = MAX_GRID_ROWS - 4;
  design_left_click(s.grid, s.view, s.keys.edit, s.x(11), s.y(row), highlight);
  int id = 1096;  // F8 and F7 in turn: a timer, then an OUT over it
  for (auto _ : state) {
    s.view.cursor_col = 11;
    EditEffects e = apply_function_key(s.grid, s.view, s.keys.edit, id);
    if (!e.changed) state.SkipWithError("the output was refused");
    id = id == 1096 ? 1095 : 1096;
    benchmark::DoNotOptimize(e);
  }
}
BENCHMARK(BM_PlaceOutputByKey)->Unit(benchmark::kMicrosecond);

void BM_CursorDownAndUp(benchmark::State& state) {
  Screen s;
  int highlight = 0;
  design_left_click(s.grid, s.view, s.keys.edit, s.x(0), s.y(MAX_GRID_ROWS - 5), highlight);
  int key = DesignKey::DOWN;
  for (auto _ : state) {
    EditEffects e = design_key(s.grid, s.view, s.keys, key, highlight);
    key = key == DesignKey::DOWN ? DesignKey::UP : DesignKey::DOWN;
    benchmark::DoNotOptimize(e);
  }
  if (s.view.cursor_row < MAX_GRID_ROWS - 6) state.SkipWithError("the cursor did not move");
}
BENCHMARK(BM_CursorDownAndUp)->Unit(benchmark::kMicrosecond);

}  // namespace
