// Instruction records written by hand in tests, in the forms the compiler and the
// mnemonic parser produce:
//
//   InstructionList list = make_list({ld(X(0)), ani(X(1)), out(Y(0)), end()});
//
// Contacts carry the part code of a relay contact unless one is given; the first LD of a
// rung and END carry the block-start bit when `make_list` marks rungs (the default).
#pragma once

#include <cstdint>
#include <initializer_list>
#include <vector>

#include "core/device_tables.h"
#include "core/ladder_model.h"

namespace il {

// Device operands.
inline DeviceOperand X(uint32_t n) { return make_device_operand(Device::X, n); }
inline DeviceOperand Y(uint32_t n) { return make_device_operand(Device::Y, n); }
inline DeviceOperand M(uint32_t n) { return make_device_operand(Device::M, n); }
inline DeviceOperand T(uint32_t n) { return make_device_operand(Device::T, n); }
inline DeviceOperand C(uint32_t n) { return make_device_operand(Device::C, n); }
inline DeviceOperand D(uint32_t n) { return make_device_operand(Device::D, n); }
inline DeviceOperand Dbit(uint32_t bit) { return make_device_operand(Device::D, bit) | OperandBits::D_BIT; }
inline DeviceOperand S(uint32_t n) { return make_device_operand(Device::S, n); }
inline DeviceOperand L(uint32_t n) { return make_device_operand(Device::L, n); }
inline DeviceOperand B(uint32_t n) { return make_device_operand(Device::B, n); }
inline DeviceOperand N(uint32_t n) { return make_device_operand(Device::N, n); }
inline DeviceOperand R(uint32_t n) { return make_device_operand(Device::R, n); }
inline DeviceOperand W(uint32_t n) { return make_device_operand(Device::W, n); }
inline DeviceOperand P(uint32_t n) { return make_device_operand(Device::P, n); }
inline DeviceOperand I(uint32_t n) { return make_device_operand(Device::I, n); }
inline DeviceOperand U(uint32_t n) { return make_device_operand(Device::U, n); }
inline DeviceOperand J(int group, int step) { return make_device_operand(Device::J, make_j_number(group, step)); }
// A J range: from step `first` of the group, `span` steps more.
inline DeviceOperand J(int group, int first, int span) {
  return J(group, first) | OperandBits::J_RANGE | static_cast<uint32_t>(span) << OperandBits::J_SPAN_SHIFT;
}
// A digit group: `digits` groups of four bits from the device.
inline DeviceOperand group(DeviceOperand device, int digits) {
  return make_digit_group_operand(operand_device_index(device), digits, operand_number(device));
}
// A K constant as the records hold it: its decimal digits as hexadecimal nibbles.
uint32_t K(uint32_t value);

InstructionRecord contact(uint32_t code, DeviceOperand device, uint32_t part_code = 0);
inline InstructionRecord ld(DeviceOperand v, uint32_t part = 1) { return contact(0x1, v, part); }
inline InstructionRecord ldi(DeviceOperand v, uint32_t part = 2) { return contact(0x2, v, part); }
inline InstructionRecord and_(DeviceOperand v, uint32_t part = 1) { return contact(0x3, v, part); }
inline InstructionRecord ani(DeviceOperand v, uint32_t part = 2) { return contact(0x4, v, part); }
inline InstructionRecord or_(DeviceOperand v, uint32_t part = 1) { return contact(0x5, v, part); }
inline InstructionRecord ori(DeviceOperand v, uint32_t part = 2) { return contact(0x6, v, part); }
// D-form contacts on a bit of a data register (part codes 19 and 20).
inline InstructionRecord ldd(uint32_t bit) { return contact(0x201, Dbit(bit), 19); }
inline InstructionRecord andd(uint32_t bit) { return contact(0x203, Dbit(bit), 19); }
inline InstructionRecord anid(uint32_t bit) { return contact(0x204, Dbit(bit), 20); }
// Comparison contacts: `op` is the comparison code (193-198, 201-206); the second
// operand is a K constant when `constant` is set.
InstructionRecord compare(uint32_t head, uint32_t op, uint32_t a, uint32_t b, bool constant);
inline InstructionRecord ld_cmp(uint32_t op, uint32_t a, uint32_t b, bool k = true) { return compare(0xC001, op, a, b, k); }
inline InstructionRecord and_cmp(uint32_t op, uint32_t a, uint32_t b, bool k = true) { return compare(0xC003, op, a, b, k); }
inline InstructionRecord or_cmp(uint32_t op, uint32_t a, uint32_t b, bool k = true) { return compare(0xC005, op, a, b, k); }

InstructionRecord plain(uint32_t word0, uint32_t word1 = 0, uint32_t word2 = 0, uint32_t word3 = 0, uint32_t word4 = 0);
inline InstructionRecord anb() { return plain(0x8007); }
inline InstructionRecord orb() { return plain(0x8008); }
inline InstructionRecord mps(uint32_t group = 0, uint32_t level = 0) { return plain(0x800C, 0, group, level); }
inline InstructionRecord mrd(uint32_t group = 0, uint32_t level = 0) { return plain(0x800D, 0, group, level); }
inline InstructionRecord mpp(uint32_t group = 0, uint32_t level = 0) { return plain(0x800E, 0, group, level); }
inline InstructionRecord jms(uint32_t n) { return plain(0x802B, 0xF5000000 + n); }
inline InstructionRecord jme(uint32_t n) { return plain(0x901B, 0xF1000000 + n); }
inline InstructionRecord jmi(uint32_t n) { return plain(0x902C, 0xF2000000 + n); }
inline InstructionRecord out(DeviceOperand v) { return plain(0x800F, v, 0, 7); }
// TIM and CNT with a K constant set value.
InstructionRecord tim(DeviceOperand v, uint32_t k);
InstructionRecord cnt(DeviceOperand v, uint32_t k);
// An applied instruction: the code with its D/P flags and constant bits in `word0`.
inline InstructionRecord box(uint32_t word0, uint32_t a = 0, uint32_t b = 0, uint32_t c = 0, uint32_t d = 0) {
  return plain(0x8000 | word0, a, b, c, d);
}
inline InstructionRecord end() { return plain(0x9010); }
inline InstructionRecord fend() { return plain(0x9013); }
inline InstructionRecord comment(uint32_t index) { return plain(0x9020, index); }

// A list of the records followed by the end record, with room for `spare` more records.
// With `mark_rungs`, the first LD after an output (and the first record) and END carry
// the block-start bit, as in a compiled list.
InstructionList make_list(std::initializer_list<InstructionRecord> records, bool mark_rungs = true, int spare = 4);
InstructionList make_list(const std::vector<InstructionRecord>& records, bool mark_rungs = true, int spare = 4);
void mark_rung_starts(std::vector<InstructionRecord>& records);

}  // namespace il
