#include "core/device_tables.h"

#include <cstring>

#include "core/sjis.h"

namespace {
using enum DeviceRadix;
}  // namespace

constexpr std::array<const char*, DEVICE_SLOTS> g_device_letters = {
    "X", "Y", "M", "S", "T", "C", "L", "B", "n", "K", "Q",
    "R", "W", "D", "V", "F", "J", "P", "I", "H", "4", "U",
    "",  "",  "",  "",  "",  "",  "",  "",  "",  "",  "",  "",
};

// K stops at 214783647, not 2147483647.
constexpr std::array<int32_t, DEVICE_SLOTS> g_device_max_numbers = {
    4095,      // X
    4095,      // Y
    9255,      // M
    199,       // S
    9999,      // T
    9999,      // C
    2047,      // L
    8191,      // B
    7,         // n
    214783647, // K
    1,         // Q
    4095,      // R
    8191,      // W
    32767,     // D
    15,        // V
    1,         // F
    10066329,  // J (0x999999)
    255,       // P
    255,       // I
    2147483647,  // H
    0,         // 4
    15,        // U
};

// Radix tables, one entry per DeviceIndex, in the order
//   X Y M S T C L B n K / Q R W D V F J / P I H 4 U.
constexpr DeviceRadixTable g_cell_parser_radix = {
    HEX, HEX, DECIMAL, HEX, DECIMAL, DECIMAL, DECIMAL, HEX, DECIMAL, DECIMAL,
    REFUSED, HEX, REFUSED, BIT_NUMBER, REFUSED, REFUSED, GROUP_STEP,
    REFUSED, REFUSED, REFUSED, REFUSED, REFUSED,
};
constexpr DeviceRadixTable g_design_display_radix = {
    HEX, HEX, DECIMAL, HEX, DECIMAL, DECIMAL, DECIMAL, HEX, DECIMAL, DECIMAL,
    DECIMAL, HEX, DECIMAL, DECIMAL, DECIMAL, DECIMAL, GROUP_STEP,
    DECIMAL, DECIMAL, DECIMAL, DECIMAL, DECIMAL,
};
constexpr DeviceRadixTable g_mnemonic_printer_radix = {
    HEX, HEX, DECIMAL, DECIMAL, DECIMAL, DECIMAL, DECIMAL, HEX, DECIMAL, DECIMAL,
    DECIMAL, HEX, DECIMAL, DECIMAL, DECIMAL, DECIMAL, GROUP_STEP,
    DECIMAL, DECIMAL, DECIMAL, DECIMAL, DECIMAL,
};
// The reader of mnemonic text agrees with its writer: B and R are hex on both sides.
constexpr DeviceRadixTable g_mnemonic_encoder_radix = g_mnemonic_printer_radix;
// The reader of box operands agrees with the design display of box operands, which
// shows X, Y, S, B, R, V and J numbers in hex.
constexpr DeviceRadixTable g_box_operand_radix = {
    HEX, HEX, DECIMAL, HEX, DECIMAL, DECIMAL, DECIMAL, HEX, DECIMAL, DECIMAL,
    DECIMAL, HEX, DECIMAL, DECIMAL, HEX, DECIMAL, HEX,
    DECIMAL, DECIMAL, DECIMAL, DECIMAL, DECIMAL,
};

constexpr std::array<const char*, CPU_TABLE_SIZE> g_cpu_names = {
    "",  // 0
    "pic12F629",  // 1
    "pic16F84",  // 2
    "pic16F628",  // 3
    "pic16F648",  // 4
    "pic16F785",  // 5
    "pic16F88",  // 6
    "pic16F876",  // 7
    "pic16F877",  // 8
    "pic16F886",  // 9
    "pic16F887",  // 10
    "pic18F252",  // 11
    "pic18F452",  // 12
    "pic18F258",  // 13
    "pic18F458",  // 14
    "pic18F2520",  // 15
    "pic18F4520",  // 16
    "pic18F2525",  // 17
    "pic18F4525",  // 18
    "pic18F2585",  // 19
    "pic18F4585",  // 20
    "pic18F2550",  // 21
    "pic18F4550",  // 22
    "ATtiny2313",  // 23
    "H8/3048F",  // 24
    "H8/3069F",  // 25
    "H8/3694F",  // 26
    "ANSI_C8",  // 27
    "PLC",  // 28
    "QQ",  // 29
};

constexpr std::array<int32_t, CPU_TABLE_SIZE> g_cpu_codes = {
    0x0,  // 0
    0x629,  // 1
    0x84,  // 2
    0x628,  // 3
    0x648,  // 4
    0x785,  // 5
    0x688,  // 6
    0x876,  // 7
    0x877,  // 8
    0x886,  // 9
    0x887,  // 10
    0x8252,  // 11
    0x8452,  // 12
    0x8258,  // 13
    0x8458,  // 14
    0x82520,  // 15
    0x84520,  // 16
    0x82525,  // 17
    0x84525,  // 18
    0x82585,  // 19
    0x84585,  // 20
    0x82550,  // 21
    0x84550,  // 22
    0xA2313,  // 23
    0x3048F,  // 24
    0x3069F,  // 25
    0x3694F,  // 26
    0xC008,  // 27
    0x8080,  // 28
    0xAAA,  // 29
};

DeviceIndex device_letter_to_index(char c) {
  if (c == '\0') return -1;
  const char wanted = ascii_upper(c);
  for (int i = 0; i < DEVICE_SLOTS; ++i) {
    const char* letter = g_device_letters[static_cast<size_t>(i)];
    if (letter[0] != '\0' && ascii_upper(letter[0]) == wanted) return i;
  }
  return -1;
}

int device_letter_to_code(char c) {
  DeviceIndex index = device_letter_to_index(c);
  return index < 0 ? -1 : device_code_from_index(index);
}

const char* device_letter(DeviceIndex index) {
  return index >= 0 && index < DEVICE_SLOTS ? g_device_letters[static_cast<size_t>(index)] : "";
}

int32_t device_max_number(DeviceIndex index) {
  return index >= 0 && index < DEVICE_SLOTS ? g_device_max_numbers[static_cast<size_t>(index)] : -1;
}

DeviceIndex device_letter_of_operand(DeviceOperand operand, std::span<char> buffer) {
  DeviceIndex index = operand_device_index(operand);
  const char* letter = device_letter(index);
  copy_text_bounded(buffer, letter);
  return letter[0] == '\0' ? -1 : index;
}

int32_t bcd_to_int(uint32_t word) {
  int32_t value = 0;
  int32_t weight = 1;
  for (int k = 0; k < 6; ++k) {
    value += static_cast<int32_t>((word >> (4 * k)) & 0xF) * weight;
    weight *= 10;
  }
  return value;
}

uint32_t int_to_bcd(int32_t value) {
  // Negative values have no decimal digits to pack; they are taken as their magnitude.
  uint32_t rest = value < 0 ? 0u - static_cast<uint32_t>(value) : static_cast<uint32_t>(value);
  uint32_t bcd = 0;
  for (int k = 0; k < 5; ++k) {
    bcd |= (rest % 10) << (4 * k);
    rest /= 10;
  }
  return bcd;
}

int find_cpu_slot_by_name(std::string_view name) {
  if (name.empty()) return -1;
  for (int i = 1; i <= CPU_LAST_MODEL_SLOT; ++i)
    if (name == g_cpu_names[static_cast<size_t>(i)]) return i;
  return -1;
}

int find_cpu_slot_by_code(int32_t code) {
  if (code == 0) return -1;
  for (int i = 1; i <= CPU_LAST_MODEL_SLOT; ++i)
    if (g_cpu_codes[static_cast<size_t>(i)] == code) return i;
  return -1;
}
