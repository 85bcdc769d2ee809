// The two steps of the compile chain that work on lists and grids of any content: the
// stack-branch screening and the merge of rebuilt rows into a design. Whatever the words
// hold, both keep to their spans; the screening either leaves the list as it was or only
// empties MPS, MRD and MPP records; a refused merge leaves the design as it was, and a
// merge never touches cell words 2 and 3 or the row-selected words.
//
// Input: byte 0 gives the record count (bits 0-4) and the rows of the design (bits 5-7,
// plus 2) ; byte 1 the rows of the rebuilt grid (bits 0-2, plus 1). Then the words of the
// records (six each), the cell words 0 and 1 of the design rows and of the rebuilt rows, in
// that order; missing words are 0.
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "core/ladder_model.h"
#include "shell/compile_chain.h"

namespace {

uint32_t take_word(const uint8_t*& data, size_t& size) {
  uint32_t w = 0;
  for (int i = 0; i < 4 && size > 0; ++i, ++data, --size) w |= static_cast<uint32_t>(*data) << (8 * i);
  return w;
}

// Small words are likelier to mean something to the grid code: every other word is
// folded onto the values the row kinds use.
uint32_t cell_word(uint32_t w) {
  switch (w & 7) {
    case 0: return END_MARK_CELL;
    case 1: return CellWord::END_OUTPUT;
    case 2: return CellWord::LINE_ONLY;
    default: return w >> 3;
  }
}

void fill_grid(GridSpan grid, const uint8_t*& data, size_t& size) {
  for (LadderRow& row : grid)
    for (LadderCell& cell : row.cell) {
      cell.word[0] = cell_word(take_word(data, size));
      cell.word[1] = take_word(data, size);
      cell.word[2] = 0xA5A5A5A5;
      cell.word[3] = 0x5A5A5A5A;
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 2) return 0;
  const int records = data[0] & 0x1F;
  const int design_rows = ((data[0] >> 5) & 7) + 2;
  const int rebuilt_rows = (data[1] & 7) + 1;
  data += 2;
  size -= 2;

  InstructionList list(static_cast<size_t>(records));
  for (InstructionRecord& record : list) {
    for (uint32_t& w : record.word) w = take_word(data, size);
    // The stack records and the end record, often.
    if ((record.word[1] & 3) == 0) record.word[0] = 0x800C + (record.word[1] >> 2) % 3;
    if ((record.word[1] & 0xFF) == 0xFF) record.word[0] = END_RECORD_WORD;
  }
  const InstructionList before = list;
  if (screen_stack_branches(list)) {
    for (size_t i = 0; i < list.size(); ++i)
      if (list[i].word[0] != before[i].word[0] &&
          !(list[i].word[0] == EMPTY_RECORD_WORD0 && before[i].word[0] >= 0x800C && before[i].word[0] <= 0x800E))
        std::abort();
  } else if (std::memcmp(list.data(), before.data(), list.size() * sizeof(InstructionRecord)) != 0) {
    std::abort();
  }

  LadderGrid design(static_cast<size_t>(design_rows));
  LadderGrid rebuilt(static_cast<size_t>(rebuilt_rows));
  fill_grid(design, data, size);
  fill_grid(rebuilt, data, size);
  for (LadderRow& row : design) row.selected = 0x77;
  const LadderGrid design_before = design;
  if (!replace_program_rows(design, rebuilt)) {
    if (std::memcmp(design.data(), design_before.data(), design.size() * sizeof(LadderRow)) != 0) std::abort();
  }
  for (const LadderRow& row : design) {
    if (row.selected != 0x77) std::abort();
    for (const LadderCell& cell : row.cell)
      if (cell.word[2] != 0xA5A5A5A5 || cell.word[3] != 0x5A5A5A5A) std::abort();
  }
  return 0;
}
