// Speed and memory of the undo rings: a push and an undo of a full 6000-row design and of
// an 18,000-line mnemonic text (the aim: both together well under 10 ms), the snapshot a
// keystroke takes in that text (it names its line; the aim: well under a millisecond),
// and the memory of a ring of 16 snapshots of a 100-row design (the aim: under 4 MB).
#include <benchmark/benchmark.h>

#include <cstdio>

#include "core/mnemonic_text.h"
#include "design/undo_ring.h"

namespace {

// `rows` rows: program rows with a commented contact and coil, every tenth a comment row
// with a long text, then the END row and the end mark.
LadderGrid design_of(int rows, int capacity) {
  LadderGrid grid = make_ladder_grid(capacity);
  for (int r = 0; r < rows - 2; ++r) {
    LadderRow& row = grid[static_cast<size_t>(r)];
    if (r % 10 == 9) {
      row.cell[0].word[0] = CellWord::COMMENT_ROW_FIRST;
      for (int c = 1; c <= 10; ++c) row.cell[c].word[0] = CellWord::COMMENT_ROW_LINE;
      row.cell[11].word[0] = CellWord::COMMENT_ROW_OUTPUT;
      std::snprintf(row.row_text(), ROW_TEXT_SIZE, "%400s %d", "row comment", r);
      continue;
    }
    row.cell[0].word[0] = CellWord::CONTACT_BASE | PartCode::RELAY_A << 4 | CellFlags::HAS_COMMENT;
    row.cell[0].word[1] = static_cast<uint32_t>(r & 0xFFF);
    std::snprintf(row.text[0], CELL_TEXT_SIZE, "input %d", r);
    for (int c = 1; c <= 10; ++c) row.cell[c].word[0] = CellWord::LINE_ONLY;
    row.cell[11].word[0] = CellWord::COIL_BASE | PartCode::OUT << 4;
    row.cell[12].word[0] = 15;
  }
  make_new_end_row(grid[static_cast<size_t>(rows) - 2]);
  make_end_mark_row(grid[static_cast<size_t>(rows) - 1]);
  return grid;
}

MnemonicText full_text() {
  MnemonicText text = make_mnemonic_text(MAX_TEXT_LINES);
  for (int i = 0; i < MAX_TEXT_LINES - 1; ++i) {
    MnemonicLine& line = text[static_cast<size_t>(i)];
    set_line_statement(line, (i % 2) ? "OUT Y" + std::to_string(i & 0xFF) : "LD X" + std::to_string(i & 0xFF));
    if (i % 5 == 0) set_line_comment(line, "; comment of line " + std::to_string(i));
  }
  set_end_line(text[MAX_TEXT_LINES - 1]);
  return text;
}

void BM_PushAndUndoDesign6000Rows(benchmark::State& state) {
  LadderGrid grid = design_of(MAX_GRID_ROWS, MAX_GRID_ROWS);
  DesignUndoRing ring;
  push_undo(ring, grid);
  uint32_t n = 0;
  for (auto _ : state) {
    grid[100].cell[0].word[1] = ++n;  // the edit
    push_undo(ring, grid);
    if (undo(ring, grid) != 0) state.SkipWithError("undo refused");
  }
  state.counters["snapshot_MB"] = static_cast<double>(undo_ring_bytes(ring)) / 2 / (1 << 20);
}
BENCHMARK(BM_PushAndUndoDesign6000Rows)->Unit(benchmark::kMillisecond);

void BM_PushAndUndoMnemonic18000Lines(benchmark::State& state) {
  MnemonicText text = full_text();
  MnemonicUndoRing ring;
  push_undo(ring, text);
  int n = 0;
  for (auto _ : state) {
    set_line_statement(text[100], "LD M" + std::to_string(++n & 0xFF));
    push_undo(ring, text);
    if (undo(ring, text) != 0) state.SkipWithError("undo refused");
  }
  state.counters["snapshot_MB"] = static_cast<double>(undo_ring_bytes(ring)) / 2 / (1 << 20);
}
BENCHMARK(BM_PushAndUndoMnemonic18000Lines)->Unit(benchmark::kMillisecond);

void BM_KeystrokeSnapshotMnemonic18000Lines(benchmark::State& state) {
  MnemonicText text = full_text();
  MnemonicUndoRing ring;
  push_undo(ring, text);
  int n = 0;
  for (auto _ : state) {
    const int line = (++n * 97) % (MAX_TEXT_LINES - 1);
    text[static_cast<size_t>(line)].statement[0] = static_cast<char>('A' + n % 26);
    push_undo_lines(ring, text, line, line);
  }
  state.counters["ring_MB"] = static_cast<double>(undo_ring_bytes(ring)) / (1 << 20);
}
BENCHMARK(BM_KeystrokeSnapshotMnemonic18000Lines)->Unit(benchmark::kMicrosecond);

// 16 pushes of a 100-row design in a full-size grid: the ring's memory.
void BM_RingOf16Snapshots100Rows(benchmark::State& state) {
  LadderGrid grid = design_of(100, MAX_GRID_ROWS);
  DesignUndoRing ring;
  for (auto _ : state) {
    reset_undo(ring);
    for (int i = 0; i < UNDO_SLOTS; ++i) push_undo(ring, grid);
  }
  const double bytes = static_cast<double>(undo_ring_bytes(ring));
  state.counters["ring_MB"] = bytes / (1 << 20);
  if (bytes >= 4.0 * (1 << 20)) state.SkipWithError("the ring of a 100-row design holds 4 MB or more");
}
BENCHMARK(BM_RingOf16Snapshots100Rows)->Unit(benchmark::kMillisecond);

}  // namespace
