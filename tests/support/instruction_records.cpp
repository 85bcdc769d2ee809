#include "support/instruction_records.h"

namespace il {

uint32_t K(uint32_t value) {
  uint32_t bcd = 0;
  for (int shift = 0; value != 0; shift += 4, value /= 10) bcd |= (value % 10) << shift;
  return bcd;
}

InstructionRecord plain(uint32_t word0, uint32_t word1, uint32_t word2, uint32_t word3, uint32_t word4) {
  return {{word0, word1, word2, word3, word4, 0}};
}

InstructionRecord contact(uint32_t code, DeviceOperand device, uint32_t part_code) {
  if (part_code == 0) part_code = (code & 1) ? 1 : 2;
  return plain(0x8000 | code, device, 0, part_code);
}

InstructionRecord compare(uint32_t head, uint32_t op, uint32_t a, uint32_t b, bool constant) {
  // The comparison code in the low byte, 0x800 for the double-word forms and the
  // constant bit of the second operand (bit 21).
  uint32_t word1 = op | (op >= 201 ? 0x800u : 0u);
  if (constant) word1 |= 0x200000;
  return plain(head, word1, a, b);
}

InstructionRecord tim(DeviceOperand v, uint32_t k) { return plain(0x8035 | 0x200000, v, K(k), 8); }
InstructionRecord cnt(DeviceOperand v, uint32_t k) { return plain(0x8036 | 0x200000, v, K(k), 9); }

namespace {

bool is_ld_form(const InstructionRecord& r) {
  const uint32_t code = r.word[0] & 0x3FF;
  return code == 1 || code == 2 || code == 0x201 || code == 0x202;
}

}  // namespace

void mark_rung_starts(std::vector<InstructionRecord>& records) {
  for (size_t k = 0; k < records.size(); ++k) {
    InstructionRecord& r = records[k];
    const uint32_t code = r.word[0] & 0x3FF;
    if (code == 16) r.word[0] |= RecordFlags::BLOCK_START;
    if (!is_ld_form(r)) continue;
    if (k == 0) {
      r.word[0] |= RecordFlags::BLOCK_START;
      continue;
    }
    if ((records[k - 1].word[0] & 0xFF) < 15) continue;
    // An LD after an output opens a rung when the blocks it begins close before the
    // next output; otherwise it opens a block of a parallel output.
    int open = 0;
    size_t j = k + 1;
    for (; j < records.size(); ++j) {
      const uint32_t c = records[j].word[0] & 0x3FF;
      if (c > 14 && !(c >= 0x201 && c <= 0x206)) break;
      if (c == 7 || c == 8) ++open;
      if (is_ld_form(records[j])) --open;
    }
    if (open == 0) r.word[0] |= RecordFlags::BLOCK_START;
  }
}

InstructionList make_list(const std::vector<InstructionRecord>& records, bool mark_rungs, int spare) {
  std::vector<InstructionRecord> marked = records;
  if (mark_rungs) mark_rung_starts(marked);
  InstructionList list(marked.size() + 1 + static_cast<size_t>(spare));
  for (size_t k = 0; k < marked.size(); ++k) list[k] = marked[k];
  list[marked.size()] = end_record();
  return list;
}

InstructionList make_list(std::initializer_list<InstructionRecord> records, bool mark_rungs, int spare) {
  return make_list(std::vector<InstructionRecord>(records), mark_rungs, spare);
}

}  // namespace il
