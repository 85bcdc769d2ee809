#include "design/device_uses.h"

#include <string>

#include "core/device_tables.h"
#include "core/instruction_tables.h"
#include "design/view_state.h"

namespace {

bool hex_digit(char c, uint32_t& value) {
  if (c >= '0' && c <= '9') value = static_cast<uint32_t>(c - '0');
  else if (c >= 'A' && c <= 'F') value = static_cast<uint32_t>(c - 'A' + 10);
  else if (c >= 'a' && c <= 'f') value = static_cast<uint32_t>(c - 'a' + 10);
  else return false;
  return true;
}

uint32_t bcd_pair(uint32_t byte) { return (byte >> 4) * 10 + (byte & 0xF); }

}  // namespace

bool parse_use_device(const char* text, uint32_t& device) {
  std::string word = text != nullptr ? text : "";
  if (word.size() > 1 && (word.back() == 'T' || word.back() == 't')) word.pop_back();
  if (word.size() < 2 || word.size() > 12) return false;
  const DeviceIndex index = device_letter_to_index(word[0]);
  if (index < 0 || index >= DEVICE_COUNT) return false;
  const bool hex = index == Device::X || index == Device::Y || index == Device::B || index == Device::R;
  uint32_t number = 0;
  for (size_t i = 1; i < word.size(); ++i) {
    uint32_t digit = 0;
    if (!hex_digit(word[i], digit) || (!hex && digit > 9)) return false;
    number = number * (hex || index == Device::J ? 16 : 10) + digit;
    if (number > 0xFFFF) return false;
  }
  if (index == Device::J) number = bcd_pair(number >> 8 & 0xFF) << 8 | bcd_pair(number & 0xFF);
  device = static_cast<uint32_t>(device_code_from_index(index)) << 24 | number;
  return true;
}

// list_device_uses itself is the device search's (design/device_search.cpp): the search
// dialog's cross-reference and the Space key's highlight collect their uses in one place.
