// Device operands and numbers as mnemonic text spells them. The mnemonic parser reads its
// operands with these, and the device comments read the devices of comment lines with
// them; both build on this file, so neither depends on the other for it.
#pragma once

#include <cstdint>
#include <string_view>

#include "core/device_tables.h"

// A non-empty run of digits of `radix` (either case for hexadecimal) whose value is at
// most `limit`.
bool parse_mnemonic_number(std::string_view s, int radix, uint64_t limit, uint32_t& out);

// The radix of a device's number in mnemonic text (g_mnemonic_encoder_radix): 16 or 10.
int mnemonic_device_radix(DeviceIndex device);

// A device operand as mnemonic text spells it (a device letter in either case, not K, H,
// F or "4", the number in the radix of g_mnemonic_encoder_radix, J as group and step
// digits with an optional range "-<last step>"): false for anything else, a number above
// the device's highest, and a J range whose last step is not above the first or spans 64
// steps or more.
bool parse_mnemonic_device(std::string_view text, DeviceIndex& device, uint32_t& number);
