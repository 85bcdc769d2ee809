// Design files as read from disk: read_design_file must never read or write outside the
// grid it is given, whatever the file holds. A design it reads without complaint must
// also write out and read back to the same cell words.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "core/design_file.h"
#include "core/core_state.h"

namespace {

std::FILE* stream_over(const uint8_t* data, size_t size) {
  if (size == 0) return std::tmpfile();
  return fmemopen(const_cast<uint8_t*>(data), size, "rb");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 1) return 0;
  // The first byte chooses the grid size (a small grid shows every overrun) and the mode.
  const size_t rows = 1 + (data[0] & 0x1F);
  const int mode = (data[0] & 0x80) ? DESIGN_FILE_APPENDED : DESIGN_FILE_STANDALONE;
  reset_core_state();
  LadderGrid grid = make_ladder_grid(static_cast<int>(rows));
  std::FILE* in = stream_over(data + 1, size - 1);
  if (!in) return 0;
  const int result = read_design_file(grid, in, mode);
  std::fclose(in);
  if (result != DESIGN_FILE_OK && result != DESIGN_FILE_BAD && result != DESIGN_FILE_EMPTY &&
      result != DESIGN_FILE_TOO_LONG)
    std::abort();
  if (result != DESIGN_FILE_OK) return 0;

  char* buffer = nullptr;
  size_t length = 0;
  std::FILE* out = open_memstream(&buffer, &length);
  if (!out) return 0;
  const int written = write_design_file(nullptr, grid, nullptr, out, mode);
  std::fclose(out);
  if (written == 0) {
    const int count = count_program_rows(grid);
    LadderGrid back = make_ladder_grid(static_cast<int>(rows));
    std::FILE* again = stream_over(reinterpret_cast<const uint8_t*>(buffer), length);
    if (again) {
      const int reread = read_design_file(back, again, mode);
      std::fclose(again);
      if (reread != DESIGN_FILE_OK) std::abort();
      for (int r = 0; r < count; ++r)
        for (int c = 0; c < ROW_CELLS; ++c)
          if (back[r].cell[c].word[0] != grid[r].cell[c].word[0] || back[r].cell[c].word[1] != grid[r].cell[c].word[1])
            std::abort();
    }
  }
  std::free(buffer);
  return 0;
}
