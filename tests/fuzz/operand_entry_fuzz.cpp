// Text typed for a cell of the design grid (the number entry's store): whatever the text,
// the entry must stay inside the grid and the text, and a store it refuses must leave
// every row as it was.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "core/instruction_tables.h"
#include "core/notice.h"
#include "design/operand_entry.h"

namespace {

struct Target {
  int row;
  int column;
};
// A contact, an OUT coil, a box, a comparison, a timer, an empty linked cell, the margin.
constexpr Target kTargets[] = {{0, 0}, {0, 11}, {1, 11}, {1, 9}, {2, 0}, {3, 11}, {4, 0}, {0, 15}};

LadderGrid sample_grid() {
  LadderGrid grid = make_ladder_grid(9);
  auto& r0 = grid[0];
  r0.cell[0].word[0] = 0x8018 | 0x2;
  r0.cell[0].word[1] = 0x00000001;
  for (int c = 1; c <= 10; ++c) r0.cell[c].word[0] = 0xB9;
  r0.cell[11].word[0] = 0xC078;
  r0.cell[11].word[1] = 0x10000002;
  r0.cell[12].word[0] = Instr::OUT;
  r0.cell[15].word[0] = 0x80008000;
  r0.cell[15].word[1] = 0xF5000005;
  auto& r1 = grid[1];
  r1.cell[0].word[0] = 0x8018 | 0x2;
  for (int c = 1; c <= 8; ++c) r1.cell[c].word[0] = 0xB9;
  r1.cell[9].word[0] = 0x40C08;
  r1.cell[10].word[0] = 0x40808;
  r1.cell[11].word[0] = 0x44408;
  r1.cell[12].word[0] = Instr::MOV;
  auto& r2 = grid[2];
  r2.cell[0].word[0] = (0x1C18 | 0x8000) | 0x2;
  r2.cell[1].word[0] = 0x808;
  r2.cell[2].word[0] = 0x408;
  for (int c = 3; c <= 10; ++c) r2.cell[c].word[0] = 0xB9;
  r2.cell[11].word[0] = 0xC078;
  r2.cell[12].word[0] = Instr::OUT;
  auto& r3 = grid[3];
  r3.cell[0].word[0] = 0x8018 | 0x2;
  for (int c = 1; c <= 9; ++c) r3.cell[c].word[0] = 0xB9;
  r3.cell[10].word[0] = 0x20008;
  r3.cell[11].word[0] = 0x14088;
  r3.cell[11].word[1] = 0x40000000;
  r3.cell[12].word[0] = Instr::TIM;
  grid[4].cell[0].word[0] = 0x2;
  make_new_end_row(grid[5]);
  grid[6].cell[0].word[0] = 0x20000000;
  grid[6].cell[12].word[0] = 0x200003F0;
  make_end_mark_row(grid[7]);
  return grid;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 2) return 0;
  const Target target = kTargets[data[0] & 7];
  const uint8_t answers = data[1];
  int asked = 0;
  set_notice_handler([&](void*, const char*, const char*, unsigned) {
    const int answer = (answers >> (asked++ & 7)) & 1 ? NoticeAnswer::OK : NoticeAnswer::CANCEL;
    return answer;
  });
  std::string text(reinterpret_cast<const char*>(data + 2), size - 2);

  LadderGrid grid = sample_grid();
  const LadderGrid before = grid;
  ViewState view{};
  init_view_state(view, 0);
  view.cursor_row = target.row;
  view.cursor_col = target.column;
  view.sel_col = target.column;
  view.sel_row = target.row;
  view.click_dx = (data[0] & 8) != 0 ? -1 : 0;
  EntryOptions options;
  options.change_same_numbers = (data[0] & 0x10) != 0;
  options.number_mode = (data[0] >> 5) & 3;
  const EditEffects effects = enter_cell_text(grid, view, text, options, 1300);
  if (!effects.changed && std::memcmp(grid.data(), before.data(), grid.size() * sizeof(LadderRow)) != 0) std::abort();
  set_notice_handler({});
  return 0;
}
