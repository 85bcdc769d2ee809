// Arbitrary instruction lists drawn as ladders: build_ladder_from_instructions must never
// read or write outside the list, the grid or its tables, must return 0 or an error that
// names a record of the list (or the one after it), and a drawn grid must end with its
// end mark. A drawn grid then goes on to the compiler, as in the mnemonic compile.
//
// The first byte sizes the grid; the rest are records. Each record takes four bytes: a
// form (one of the record shapes the compiler and the parser write, or raw words) and
// three bytes of operands, so that most inputs reach deep into the rung logic.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "core/ladder_builder.h"
#include "core/ladder_compiler.h"

namespace {

constexpr uint32_t kForms[] = {
    0x8001, 0x8002, 0x8003, 0x8004, 0x8005, 0x8006, 0x9001, 0x9002,  // contacts, rung starts
    0x8201, 0x8202, 0x8203, 0x8204, 0x8205, 0x8206, 0xC001, 0xC003,  // D forms, comparisons
    0xC005, 0x8007, 0x8008, 0x800C, 0x800D, 0x800E, 0x800F, 0x8035,  // combines, branches, coils
    0x8036, 0x8051, 0x8062, 0x807F, 0x8080, 0x9017, 0x9096, 0x9010,  // boxes, ASM/TABL, MCR, RET, END
    0x9013, 0x9081, 0x9020, 0x802B, 0x901B, 0x902C, 0x8000, 0xFFFF,  // FEND, SEND, comment, labels, empty, end
};
constexpr size_t kFormCount = sizeof kForms / sizeof kForms[0];

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 1) return 0;
  const int rows = 1 + data[0] % 48;
  ++data;
  --size;
  std::vector<InstructionRecord> records;
  for (size_t k = 0; k + 4 <= size; k += 4) {
    const uint8_t* p = data + k;
    InstructionRecord r{};
    if (p[0] >= 0xF0) {
      // Raw words from the operand bytes.
      for (int w = 0; w < 6; ++w) r.word[w] = static_cast<uint32_t>(p[1]) << (w * 4) ^ static_cast<uint32_t>(p[2]) << 16 ^ p[3];
    } else {
      r.word[0] = kForms[p[0] % kFormCount] | (p[0] & 0x40 ? static_cast<uint32_t>(p[3] & 0xF) << 20 : 0u);
      r.word[1] = (r.word[0] & 0x4000) ? 0xC1u + p[1] % 14 : static_cast<uint32_t>(p[1] & 7) << 28 | p[1] >> 3;
      r.word[2] = p[2] & 3;  // a branch group, or an operand
      r.word[3] = p[3] & 0x1F;
      r.word[4] = p[3];
      r.word[5] = static_cast<uint32_t>(p[2]) << 20 | p[1];
    }
    records.push_back(r);
  }
  // The list lives in a block of its own size, so a read past it is caught.
  InstructionRecord* list = static_cast<InstructionRecord*>(std::malloc((records.size() + 1) * sizeof(InstructionRecord)));
  if (!records.empty()) std::memcpy(list, records.data(), records.size() * sizeof(InstructionRecord));
  const ListSpan span(list, records.size());
  LadderGrid grid = make_ladder_grid(rows);
  const int result = build_ladder_from_instructions(grid, span);
  if (result != 0) {
    const int position = result - BUILD_ERROR_BASE;
    if (position < 1 || position > static_cast<int>(records.size()) + 1) std::abort();
  } else {
    bool marked = false;
    for (const LadderRow& row : grid) marked = marked || is_end_mark_row(row);
    if (!marked) std::abort();
    InstructionList compiled = make_instruction_list(static_cast<int>(records.size()) * 4 + 8);
    const int compiled_result = compile_ladder(nullptr, grid, compiled, nullptr, 0);
    if (compiled_result > 0 || compiled_result < -3) std::abort();
  }
  std::free(list);
  return 0;
}
