// Run-time tables and monitor texts of arbitrary programs: build_runtime_tables must keep to
// the list, the grid and its own tables whatever the records and cells hold, end the
// used-device list inside its room, and every cell text must end inside its slot.
//
// The first byte chooses the input's form. Bit 0 clear: the rest is an operation file, read
// with read_seq_file into a list and a grid, as a monitor window loads one. Bit 0 set: the
// rest is raw words: records of six words (as many as bits 1-5 say, at most 32, with no end
// record unless the bytes hold one), then the cells of a small grid (rows from bits 6-7).
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "core/ladder_model.h"
#include "core/core_state.h"
#include "core/seq_file.h"
#include "target/device_images.h"
#include "target/monitor_operands.h"
#include "target/runtime_tables.h"

namespace {

uint32_t take_word(const uint8_t*& data, size_t& size) {
  uint32_t w = 0;
  for (int i = 0; i < 4 && size > 0; ++i, ++data, --size) w |= static_cast<uint32_t>(*data) << (8 * i);
  return w;
}

void check_texts(GridSpan grid) {
  const MonitorGeometry geometry{0, 60, 42, 5, 70, 70};
  MonitorCellTexts texts;
  for (size_t r = 0; r < grid.size(); ++r)
    for (int column = -1; column <= ROW_CELLS; ++column) {
      const int result = format_monitor_cell(grid[r], static_cast<int>(r), column, geometry, texts);
      if (result != MONITOR_CELL_DRAWN && result != MONITOR_CELL_ENDS) std::abort();
      if (texts.count < 0 || texts.count > MAX_MONITOR_CELL_TEXTS) std::abort();
      for (int i = 0; i < texts.count; ++i)
        if (std::memchr(texts.item[static_cast<size_t>(i)].text.data(), 0, MONITOR_TEXT_SIZE) == nullptr) std::abort();
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 1) return 0;
  const uint8_t mode = data[0];
  ++data;
  --size;
  reset_core_state();

  InstructionList list;
  LadderGrid grid;
  if ((mode & 1) == 0) {
    list = make_instruction_list(64);
    grid = make_ladder_grid(24);
    std::FILE* in = size > 0 ? fmemopen(const_cast<uint8_t*>(data), size, "rb") : std::tmpfile();
    if (!in) return 0;
    read_seq_file(grid, list, in, true);
    std::fclose(in);
  } else {
    list.resize(static_cast<size_t>((mode >> 1) & 0x1F));
    for (InstructionRecord& r : list)
      for (uint32_t& w : r.word) w = take_word(data, size);
    grid = make_ladder_grid(1 + (mode >> 6));
    for (LadderRow& row : grid)
      for (LadderCell& cell : row.cell)
        for (uint32_t& w : cell.word) w = take_word(data, size);
  }

  g_instruction_list = list;
  build_runtime_tables(grid);
  bool ended = false;
  for (uint32_t w : g_used_device_list)
    if (w == USED_DEVICE_LIST_END) {
      ended = true;
      break;
    }
  if (!ended) std::abort();
  init_run_memory_from_design(g_used_device_list, grid);
  check_texts(grid);
  g_instruction_list = {};
  return 0;
}
