// Device operands of the letters that instruction_records.h leaves out, for tests that
// spell records by hand.
#pragma once

#include <cstdint>

#include "support/instruction_records.h"

namespace il {

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

}  // namespace il
