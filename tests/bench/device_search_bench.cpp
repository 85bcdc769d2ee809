// Speed of the device search, the replace across a design and the cross-reference over a
// 6000-row design (aim: each under 10 ms).
#include <benchmark/benchmark.h>

#include <array>
#include <cstdio>

#include "design/device_search.h"

namespace {

// 5998 rows: two contacts and an OUT coil per row, a MOV box every tenth row, a comment row
// every fiftieth, then the END row and the end mark. M100 is used in the last rows only.
LadderGrid long_design() {
  LadderGrid grid = make_ladder_grid();
  const int rows = MAX_GRID_ROWS - 2;
  for (int r = 0; r < rows; ++r) {
    LadderRow& row = grid[static_cast<size_t>(r)];
    if (r % 50 == 49) {
      row.cell[0].word[0] = CellWord::COMMENT_ROW_FIRST;
      for (int c = 1; c <= 10; ++c) row.cell[c].word[0] = CellWord::COMMENT_ROW_LINE;
      row.cell[11].word[0] = CellWord::COMMENT_ROW_OUTPUT;
      continue;
    }
    row.cell[0].word[0] = CellWord::CONTACT_BASE | PartCode::RELAY_A << 4;
    row.cell[0].word[1] = make_device_operand(Device::X, static_cast<uint32_t>(r & 0xFF));
    row.cell[1].word[0] = CellWord::CONTACT_BASE | PartCode::RELAY_B << 4;
    row.cell[1].word[1] = make_device_operand(Device::M, r >= rows - 3 ? 100u : static_cast<uint32_t>(r % 90));
    for (int c = 2; c <= 10; ++c) row.cell[c].word[0] = CellWord::LINE_ONLY;
    row.cell[11].word[0] = CellWord::COIL_BASE | PartCode::OUT << 4 | CellFlags::OPERAND_SET;
    row.cell[11].word[1] = make_device_operand(Device::Y, static_cast<uint32_t>(r & 0xFF));
    row.cell[12].word[0] = Instr::OUT;
  }
  make_new_end_row(grid[static_cast<size_t>(rows)]);
  make_end_mark_row(grid[static_cast<size_t>(rows) + 1]);
  return grid;
}

ViewState top_view() {
  ViewState view{};
  init_view_state(view, 0);
  view.visible_rows = 20;
  return view;
}

// The search from the top for a device used only at the end: the whole design is scanned.
void search_to_the_end(benchmark::State& state) {
  static const LadderGrid grid = long_design();
  for (auto _ : state) {
    ViewState view = top_view();
    view.entry_device = static_cast<int32_t>(make_device_operand(Device::M, 100));
    SearchHit hit = find_device_down(grid, view, {});
    benchmark::DoNotOptimize(hit);
  }
}
BENCHMARK(search_to_the_end)->Unit(benchmark::kMillisecond);

// Always Yes: every use of X5 (24 of them) replaced by X6 and back, with the restart
// question answered No.
struct YesPort : ReplacePort {
  void show_hit(ViewState& view, const SearchHit& hit) override { move_to_hit(view, hit, view.visible_rows); }
  ReplaceAnswer ask_replace() override { return ReplaceAnswer::YES; }
  bool ask_restart() override { return false; }
  void show_message(const char*, const char*) override {}
  void assign_comment(int, int, uint32_t) override {}
  void cell_changed(int, int) override {}
  void cell_passed(int, int) override {}
  void repaint_all() override {}
};

void replace_all(benchmark::State& state) {
  static LadderGrid grid = long_design();
  YesPort port;
  bool forward = true;
  for (auto _ : state) {
    ViewState view = top_view();
    view.sel_col = NO_SELECTION;
    const int changed = replace_devices(grid, view, forward ? "X5" : "X6", forward ? "X6" : "X5", true, port);
    benchmark::DoNotOptimize(changed);
    forward = !forward;
  }
}
BENCHMARK(replace_all)->Unit(benchmark::kMillisecond);

void cross_reference_of_a_device(benchmark::State& state) {
  static const LadderGrid grid = long_design();
  std::array<int32_t, DEVICE_HIT_SLOTS> hits{};
  for (auto _ : state) {
    CrossReference xref;
    cross_reference(grid, "Y5", hits, xref);
    benchmark::DoNotOptimize(xref);
  }
}
BENCHMARK(cross_reference_of_a_device)->Unit(benchmark::kMillisecond);

void used_devices_of_a_class(benchmark::State& state) {
  static const LadderGrid grid = long_design();
  for (auto _ : state) {
    UsedDeviceList list = build_used_device_list(grid, true, Device::M);
    benchmark::DoNotOptimize(list);
  }
}
BENCHMARK(used_devices_of_a_class)->Unit(benchmark::kMillisecond);

}  // namespace
