// Speed of the design and operation files at their largest: a design of 6000 rows with
// device and row comments, and an operation file of 18,000 records.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "core/design_file.h"
#include "core/seq_file.h"

namespace {

// 5998 program rows (every tenth a comment row, the others a commented contact, lines
// and a commented coil), the END row and the end mark: 6000 rows.
LadderGrid large_design() {
  LadderGrid grid = make_ladder_grid(MAX_GRID_ROWS);
  for (int r = 0; r < MAX_GRID_ROWS - 2; ++r) {
    LadderRow& row = grid[static_cast<size_t>(r)];
    if (r % 10 == 9) {
      row.cell[0].word[0] = 0x100000BB;
      for (int c = 1; c <= 10; ++c) row.cell[c].word[0] = 0x100000B9;
      row.cell[11].word[0] = 0x1000C048;
      row.cell[12].word[0] = 32;
      std::snprintf(row.row_text(), ROW_TEXT_SIZE, "行間コメント %d 表示 \n二行目のコメント \n三行目", r);
      continue;
    }
    row.cell[0].word[0] = 1u << 4 | 0x8008 | CellFlags::HAS_COMMENT;
    row.cell[0].word[1] = static_cast<uint32_t>(r & 0xFFF);
    std::snprintf(row.text[0], CELL_TEXT_SIZE, "入力ソ%d \nSW \n", r);
    for (int c = 1; c <= 10; ++c) row.cell[c].word[0] = 0xB9;
    row.cell[11].word[0] = 0xC078 | CellFlags::HAS_COMMENT;
    row.cell[11].word[1] = 0x10000000u | static_cast<uint32_t>(r & 0xFFF);
    row.cell[12].word[0] = 15;
    std::snprintf(row.text[11], CELL_TEXT_SIZE, "出力%d \nLAMP \n", r);
  }
  LadderRow& end = grid[MAX_GRID_ROWS - 2];
  end.cell[0].word[0] = 0xBB;
  for (int c = 1; c <= 10; ++c) end.cell[c].word[0] = 0xB9;
  end.cell[11].word[0] = 0x6C08;
  end.cell[12].word[0] = 16;
  make_end_mark_row(grid[MAX_GRID_ROWS - 1]);
  return grid;
}

InstructionList large_list() {
  InstructionList list = make_instruction_list();
  for (int i = 0; i < MAX_INSTRUCTIONS - 2; ++i) {
    InstructionRecord& r = list[static_cast<size_t>(i)];
    r.word[0] = (i % 2) ? 0x800F : 0x9001;
    r.word[1] = 0x10000000u | static_cast<uint32_t>(i & 0xFFF);
    r.word[3] = (i % 2) ? 7 : 1;
    r.word[5] = static_cast<uint32_t>(i / 2) | ((i % 2) ? 11u << 20 : 0);
  }
  list[MAX_INSTRUCTIONS - 2].word[0] = 0x9010;
  list[MAX_INSTRUCTIONS - 1] = end_record();
  return list;
}

void BM_WriteDesign6000Rows(benchmark::State& state) {
  LadderGrid grid = large_design();
  std::FILE* f = std::tmpfile();
  for (auto _ : state) {
    std::rewind(f);
    if (write_design_file(nullptr, grid, nullptr, f, DESIGN_FILE_STANDALONE) != 0) state.SkipWithError("write failed");
  }
  state.counters["bytes"] = static_cast<double>(std::ftell(f));
  std::fclose(f);
}
BENCHMARK(BM_WriteDesign6000Rows)->Unit(benchmark::kMillisecond);

void BM_ReadDesign6000Rows(benchmark::State& state) {
  LadderGrid grid = large_design();
  std::FILE* f = std::tmpfile();
  write_design_file(nullptr, grid, nullptr, f, DESIGN_FILE_STANDALONE);
  LadderGrid back = make_ladder_grid(MAX_GRID_ROWS);
  for (auto _ : state) {
    std::rewind(f);
    if (read_design_file(back, f, DESIGN_FILE_STANDALONE) != 0) state.SkipWithError("read failed");
  }
  std::fclose(f);
}
BENCHMARK(BM_ReadDesign6000Rows)->Unit(benchmark::kMillisecond);

void BM_WriteOperationFile18000Records(benchmark::State& state) {
  InstructionList list = large_list();
  g_instruction_list = list;
  std::FILE* f = std::tmpfile();
  for (auto _ : state) {
    std::rewind(f);
    if (write_seq_file(f) != 0) state.SkipWithError("write failed");
  }
  std::fclose(f);
}
BENCHMARK(BM_WriteOperationFile18000Records)->Unit(benchmark::kMillisecond);

void BM_ReadOperationFile18000Records(benchmark::State& state) {
  InstructionList list = large_list();
  g_instruction_list = list;
  std::FILE* f = std::tmpfile();
  write_seq_file(f);
  InstructionList back = make_instruction_list();
  LadderGrid grid = make_ladder_grid(1);
  for (auto _ : state) {
    std::rewind(f);
    if (read_seq_file(grid, back, f, false) != 0) state.SkipWithError("read failed");
  }
  std::fclose(f);
}
BENCHMARK(BM_ReadOperationFile18000Records)->Unit(benchmark::kMillisecond);

// The whole operation file as the compile command writes and the monitor reads it:
// 18,000 records followed by the 6000-row design.
void BM_ReadOperationFileWithDesign(benchmark::State& state) {
  InstructionList list = large_list();
  g_instruction_list = list;
  LadderGrid grid = large_design();
  std::FILE* f = std::tmpfile();
  write_seq_file(f);
  write_design_file(nullptr, grid, nullptr, f, DESIGN_FILE_APPENDED);
  InstructionList back = make_instruction_list();
  LadderGrid back_grid = make_ladder_grid(MAX_GRID_ROWS);
  for (auto _ : state) {
    std::rewind(f);
    if (read_seq_file(back_grid, back, f, true) != 0) state.SkipWithError("read failed");
  }
  std::fclose(f);
}
BENCHMARK(BM_ReadOperationFileWithDesign)->Unit(benchmark::kMillisecond);

}  // namespace
