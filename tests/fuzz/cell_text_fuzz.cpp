// Typed device names for contact and coil cells: parse_cell_operand must never read
// outside the text or the grid, and every name it accepts must come back unchanged
// through the cell display (format_cell_text) and a second parse.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string_view>

#include "core/cell_text.h"
#include "core/instruction_tables.h"

namespace {

struct CellKind {
  int column;
  uint32_t word0;
};

// The cells a name is typed into: contacts, an OUT coil, a D-form contact and the odd
// part codes the parser checks for.
constexpr CellKind kKinds[] = {
    {0, 1u << 4 | 0x8008},   {5, 2u << 4 | 0x8008},  {10, 6u << 4 | 0x8008}, {11, 7u << 4 | 0xC008},
    {3, 19u << 4 | 0x8008},  {4, 15u << 4 | 0x8008}, {11, 23u << 4 | 0xC008}, {0, 0},
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 1) return 0;
  const CellKind kind = kKinds[data[0] & 7];
  const bool consecutive = (data[0] & 8) != 0;
  // The text lives in a buffer of its own size, so any read past it is caught.
  char* text = static_cast<char*>(std::malloc(size - 1 ? size - 1 : 1));
  std::memcpy(text, data + 1, size - 1);
  const std::string_view typed(text, size - 1);

  LadderGrid grid = make_ladder_grid(1);
  grid[0].cell[kind.column].word[0] = kind.word0;
  if (kind.column == OUTPUT_COLUMN) grid[0].cell[12].word[0] = Instr::OUT;
  const CellCursor at{0, kind.column};

  DeviceOperand operand = 0;
  const int result = parse_cell_operand(grid, at, typed, operand, consecutive);
  if (result != 0 && result != -1 && result != -2 && result != -4) std::abort();
  if (result == 0) {
    grid[0].cell[kind.column].word[0] |= CellFlags::OPERAND_SET;
    grid[0].cell[kind.column].word[1] = operand;
    char shown[CELL_TEXT_BUFFER_SIZE];
    char mark[MARK_TEXT_BUFFER_SIZE];
    format_cell_text(grid, at, shown, mark, false);
    DeviceOperand again = 0;
    if (parse_cell_operand(grid, at, shown, again, consecutive) != 0 || again != operand) {
      std::fprintf(stderr, "round trip lost \"%.*s\": %08X shown as \"%s\"\n", static_cast<int>(typed.size()),
                   typed.data(), operand, shown);
      std::abort();
    }
  }
  std::free(text);
  return 0;
}
