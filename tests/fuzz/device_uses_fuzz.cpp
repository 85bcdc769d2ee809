// Device texts and grids for the device-use list: list_device_uses must never read outside
// the text or the grid, and whatever it finds ends with the end value inside the array.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "design/device_uses.h"
#include "shell/view_state.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 2) return 0;
  // The first byte: rows of the grid (1-4) and the size of the hit array (1-16).
  const size_t rows = 1 + (data[0] & 3);
  const size_t slots = 1 + (data[0] >> 4);
  ++data;
  --size;
  // Then the cell words of the grid, words 0 and 1 of each cell, as far as the input goes.
  LadderGrid grid = make_ladder_grid(static_cast<int>(rows));
  const size_t grid_bytes = std::min(size / 2, rows * ROW_CELLS * 8);
  for (size_t i = 0; i + 4 <= grid_bytes; i += 4) {
    uint32_t word = 0;
    std::memcpy(&word, data + i, 4);
    const size_t cell = i / 8;
    grid[cell / ROW_CELLS].cell[cell % ROW_CELLS].word[(i / 4) % 2] = word;
  }
  // The rest is the text, NUL-terminated in a buffer of its own size.
  const size_t text_size = size - grid_bytes;
  char* text = static_cast<char*>(std::malloc(text_size + 1));
  std::memcpy(text, data + grid_bytes, text_size);
  text[text_size] = '\0';

  std::vector<int32_t> hits(slots, 7);
  list_device_uses(grid, text, hits);
  if (hits[0] != 7) {
    bool ended = false;
    for (int32_t h : hits) ended = ended || h == HIT_LIST_END;
    if (!ended) std::abort();
  }
  uint32_t device = 0;
  parse_use_device(text, device);
  std::free(text);
  return 0;
}
