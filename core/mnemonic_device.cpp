#include "core/mnemonic_device.h"

#include <algorithm>

namespace {

int digit_value(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

}  // namespace

bool parse_mnemonic_number(std::string_view s, int radix, uint64_t limit, uint32_t& out) {
  if (s.empty()) return false;
  uint64_t v = 0;
  for (char c : s) {
    int d = digit_value(c);
    if (d < 0 || d >= radix) return false;
    v = v * static_cast<uint64_t>(radix) + static_cast<uint64_t>(d);
    if (v > limit) return false;
  }
  out = static_cast<uint32_t>(v);
  return true;
}

int mnemonic_device_radix(DeviceIndex d) {
  switch (g_mnemonic_encoder_radix[static_cast<size_t>(d)]) {
    case DeviceRadix::HEX: return 16;
    default: return 10;
  }
}

bool parse_mnemonic_device(std::string_view text, DeviceIndex& device, uint32_t& number) {
  if (text.size() < 2) return false;
  const DeviceIndex d = device_letter_to_index(text[0]);
  // K and H are constants; no text names F or the row-label pseudo-device "4".
  if (d < 0 || d >= DEVICE_COUNT || d == Device::K || d == Device::H || d == Device::F || d == Device::ROW_LABEL)
    return false;
  const std::string_view rest = text.substr(1);
  if (d == Device::J) {
    // The group digit and two step digits; a range adds "-" and the last step.
    const size_t dash = rest.find('-');
    const std::string_view first = rest.substr(0, dash);
    if (first.empty() || first.size() > 3) return false;
    uint32_t digits = 0;
    if (!parse_mnemonic_number(first, 10, 999, digits)) return false;
    const uint32_t group = first.size() == 3 ? digits / 100 : 0;
    const uint32_t step = first.size() == 3 ? digits % 100 : digits;
    if (group > static_cast<uint32_t>(J_GROUP_MAX) || step > static_cast<uint32_t>(J_STEP_MAX)) return false;
    uint32_t value = make_j_number(static_cast<int>(group), static_cast<int>(step));
    if (dash != std::string_view::npos) {
      uint32_t last = 0;
      if (!parse_mnemonic_number(rest.substr(dash + 1), 10, static_cast<uint64_t>(J_STEP_MAX), last)) return false;
      if (last <= step || last - step >= static_cast<uint32_t>(J_MNEMONIC_SPAN_LIMIT)) return false;
      value |= OperandBits::J_RANGE | (last - step) << OperandBits::J_SPAN_SHIFT;
    }
    device = d;
    number = value;
    return true;
  }
  uint32_t value = 0;
  const uint64_t limit = std::min<uint64_t>(static_cast<uint64_t>(device_max_number(d)), OperandBits::NUMBER_MASK);
  if (!parse_mnemonic_number(rest, mnemonic_device_radix(d), limit, value)) return false;
  device = d;
  number = value;
  return true;
}
