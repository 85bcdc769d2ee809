// Design files of the older layouts: the rows after the header are converted on the fly,
// and no row, grid or table may be read or written out of bounds, whatever they hold.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "core/design_file.h"
#include "core/core_state.h"

namespace {

constexpr const char* kHeaders[] = {"mbs-file ver.1", "mas-file ver.1", "mbs-file 3bis ver.1", "mas-file 3bis ver.1",
                                    "mas-file omro ver.1"};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 1) return 0;
  std::string text = kHeaders[(data[0] & 0x7) % 5];
  text += "\r\nOLD\r\n";
  text.append(reinterpret_cast<const char*>(data + 1), size - 1);
  const size_t rows = 1 + (data[0] >> 3);
  reset_core_state();
  LadderGrid grid = make_ladder_grid(static_cast<int>(rows));
  std::FILE* in = fmemopen(text.data(), text.size(), "rb");
  if (!in) return 0;
  const int result = read_design_file(grid, in, DESIGN_FILE_STANDALONE);
  std::fclose(in);
  if (result != 0 && result != 1) std::abort();
  return 0;
}
