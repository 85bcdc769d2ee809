// Operation files as read from disk: read_seq_file must keep to the list and the grid it
// is given, always leave the list ended by an end record, and report only its own results.
#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include "core/seq_file.h"
#include "core/core_state.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 1) return 0;
  // The first byte chooses the list and grid sizes (small ones show every overrun) and the flag.
  const size_t records = 1 + (data[0] & 0x1F);
  const size_t rows = 1 + (data[0] >> 6) * 4;
  const bool with_design = (data[0] & 0x20) != 0;
  reset_core_state();
  InstructionList list(records);
  LadderGrid grid = make_ladder_grid(static_cast<int>(rows));
  std::FILE* in = size > 1 ? fmemopen(const_cast<uint8_t*>(data + 1), size - 1, "rb") : std::tmpfile();
  if (!in) return 0;
  const int result = read_seq_file(grid, list, in, with_design);
  std::fclose(in);
  if (result != SEQ_FILE_OK && result != SEQ_FILE_BAD && result != SEQ_FILE_NO_DESIGN) std::abort();
  bool ended = false;
  for (const InstructionRecord& r : list)
    if (is_end_record(r)) ended = true;
  if (!ended) std::abort();
  return 0;
}
