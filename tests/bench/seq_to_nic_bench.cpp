// Converts an operation file of a long instruction list with a design part of 5,000 rows
// to its mnemonic file: the largest program whose mnemonic file still fits the mnemonic
// text's line limit (a longer one is refused, and would measure the refusal). Aim: well
// under 100 ms.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>

#include "core/design_file.h"
#include "core/notice.h"
#include "core/seq_file.h"
#include "core/seq_to_nic.h"
#include "core/text_file.h"

namespace {

constexpr int DESIGN_ROWS = 5000;
// Records of the list, the end record included: their mnemonic file takes some 17,100 of
// the 17,999 lines a mnemonic text holds (the comment records take several lines each).
constexpr int RECORDS = 9000;
constexpr int COMMENT_EVERY = 20;  // every 20th design row is a comment row

// A mix of the forms a compiled program holds: rungs of contacts and a coil, timers,
// word instructions with constants and digit groups, comparisons and comments.
void fill_records(InstructionList& list) {
  const uint32_t pattern[][6] = {
      {0x9001, 0x00000010, 0, 1, 0, 1},          {0x8003, 0x20000123, 0, 1, 0, 0x100001},
      {0x8006, 0x70000ABC, 0, 2, 0, 0x200001},   {0x800F, 0x10000020, 0, 7, 0, 0xB00001},
      {0x208035, 0x40000012, 0x100, 8, 0, 0xA00002}, {0x108051, 0x00001234, 0xD0000010, 0, 0, 0x900003},
      {0x8851, 0x24000000, 0xD0000020, 0, 0, 0x900004}, {0xD001, 0x002000C3, 0xD0000005, 0x99, 0, 5},
      {0x8062, 0xD0000001, 0xD0000002, 0xD0000003, 0, 0x800006}, {0x9020, 0, 0, 0, 0, 0},
  };
  const size_t kinds = sizeof pattern / sizeof pattern[0];
  uint32_t comment = 0;
  for (size_t i = 0; i + 2 < list.size(); ++i) {
    std::memcpy(list[i].word, pattern[i % kinds], sizeof list[i].word);
    if (list[i].word[0] == 0x9020) list[i].word[1] = comment++ % (DESIGN_ROWS / COMMENT_EVERY);
  }
  list[list.size() - 2] = {{0x9010, 0, 0, 0, 0, 0xB00000}};
  list[list.size() - 1] = end_record();
}

void fill_design(LadderGrid& grid) {
  uint32_t comment = 0;
  for (int r = 0; r < DESIGN_ROWS; ++r) {
    LadderRow& row = grid[static_cast<size_t>(r)];
    if (r % COMMENT_EVERY == 0) {
      row.cell[0].word[0] = 0x100000BB;
      for (int c = 1; c <= 10; ++c) row.cell[c].word[0] = 0x100000B9;
      row.cell[11].word[0] = 0x1000C048;
      row.cell[11].word[1] = comment++;
      row.cell[12].word[0] = 32;
      std::snprintf(row.row_text(), ROW_TEXT_SIZE, "comment row %u of the program \nsecond line ", comment);
      continue;
    }
    row.cell[0].word[0] = 0x8018;
    row.cell[0].word[1] = static_cast<uint32_t>(r);
    for (int c = 1; c <= 10; ++c) row.cell[c].word[0] = 0xB9;
    row.cell[11].word[0] = 0xC078;
    row.cell[11].word[1] = 0x10000000 | static_cast<uint32_t>(r & 0xFFF);
    row.cell[12].word[0] = 15;
  }
  LadderRow& end = grid[DESIGN_ROWS];
  for (int c = 0; c <= 10; ++c) end.cell[c].word[0] = c == 0 ? 0xBB : 0xB9;
  end.cell[11].word[0] = 0x6C08;
  end.cell[12].word[0] = 16;
  for (auto& cell : grid[DESIGN_ROWS + 1].cell) cell.word[0] = END_MARK_CELL;
}

std::string make_seq_file() {
  std::string path = (std::filesystem::temp_directory_path() / "seq_to_nic_bench.SEQ").string();
  InstructionList list = make_instruction_list(RECORDS);
  fill_records(list);
  LadderGrid grid = make_ladder_grid(DESIGN_ROWS + 2);
  fill_design(grid);
  std::FILE* f = open_text_file(path.c_str(), "w");
  g_instruction_list = list;
  g_file_project_name = "BENCH";
  if (!f || write_seq_file(f) != 0 || write_design_file(nullptr, grid, nullptr, f, DESIGN_FILE_APPENDED) != 0)
    path.clear();
  if (f) std::fclose(f);
  g_instruction_list = {};
  return path;
}

void BM_ConvertFullOperationFile(benchmark::State& state) {
  static const std::string path = make_seq_file();
  if (path.empty()) {
    state.SkipWithError("the operation file could not be written");
    return;
  }
  set_notice_handler([](void*, const char*, const char*, unsigned) { return NoticeAnswer::OK; });
  // A program that no longer fits the mnemonic text would measure only its refusal.
  if (convert_seq_to_nic(nullptr, nullptr, path.c_str(), 0) != SEQ_TO_NIC_OK) {
    state.SkipWithError("conversion failed before timing (the program does not fit?)");
    return;
  }
  for (auto _ : state) {
    int result = convert_seq_to_nic(nullptr, nullptr, path.c_str(), 0);
    if (result != SEQ_TO_NIC_OK) state.SkipWithError("conversion failed");
  }
}
BENCHMARK(BM_ConvertFullOperationFile)->Unit(benchmark::kMillisecond);

}  // namespace
