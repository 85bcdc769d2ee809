// Devices: the device letters with their code bytes and highest numbers, the radix in
// which each reader and writer of device text spells a device's number, the layout of
// a device operand word, packed-decimal helpers, and the list of target CPU models.
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string_view>

// ---- Device letters ---------------------------------------------------------------------
// A DeviceIndex is the position of a device letter in g_device_letters: 22 devices,
// then 12 empty slots.
using DeviceIndex = int;
inline constexpr int DEVICE_SLOTS = 34;
inline constexpr int DEVICE_COUNT = 22;

namespace Device {
inline constexpr DeviceIndex X = 0;
inline constexpr DeviceIndex Y = 1;
inline constexpr DeviceIndex M = 2;
inline constexpr DeviceIndex S = 3;
inline constexpr DeviceIndex T = 4;
inline constexpr DeviceIndex C = 5;
inline constexpr DeviceIndex L = 6;
inline constexpr DeviceIndex B = 7;
inline constexpr DeviceIndex N = 8;  // letter "n"
inline constexpr DeviceIndex K = 9;
inline constexpr DeviceIndex Q = 10;
inline constexpr DeviceIndex R = 11;
inline constexpr DeviceIndex W = 12;
inline constexpr DeviceIndex D = 13;
inline constexpr DeviceIndex V = 14;
inline constexpr DeviceIndex F = 15;
inline constexpr DeviceIndex J = 16;
inline constexpr DeviceIndex P = 17;
inline constexpr DeviceIndex I = 18;
inline constexpr DeviceIndex H = 19;
inline constexpr DeviceIndex ROW_LABEL = 20;  // letter "4": key 0xF4000000 + row of a row-label comment
inline constexpr DeviceIndex U = 21;
}  // namespace Device

extern const std::array<const char*, DEVICE_SLOTS> g_device_letters;   // "" in the unused slots
extern const std::array<int32_t, DEVICE_SLOTS> g_device_max_numbers;   // 0 in the unused slots

// How one reader or writer of device text spells a device's number.
enum class DeviceRadix : uint8_t {
  REFUSED,     // the reader does not accept the device
  HEX,
  DECIMAL,
  BIT_NUMBER,  // decimal 0-7: a bit of a data register (D in a contact)
  GROUP_STEP,  // J: the group digit and two step digits, all decimal
};
using DeviceRadixTable = std::array<DeviceRadix, DEVICE_SLOTS>;

// Contact and coil operands typed into a cell (parse_cell_operand).
extern const DeviceRadixTable g_cell_parser_radix;
// The design screen's display of contact and coil operands (format_cell_text).
extern const DeviceRadixTable g_design_display_radix;
// Mnemonic text written from an operation file (X, Y, B and R in hex).
extern const DeviceRadixTable g_mnemonic_printer_radix;
// Mnemonic text read back: spells every device as the printer writes it, so that a
// program survives the trip through its mnemonic file (B and R are hex too).
extern const DeviceRadixTable g_mnemonic_encoder_radix;
// Box operands typed into the number-entry dialog: spells every device as the design
// display shows it (X, Y, S, B, R, V and J in hex), so that a shown operand typed back
// unchanged names the same device.
extern const DeviceRadixTable g_box_operand_radix;

// The DeviceIndex of a letter: the first slot whose letter's first character equals `c`
// after ASCII upper-case conversion of both ("x" and "X" are X, "N" is n); -1 for an
// unknown letter, for NUL and for the empty slots.
DeviceIndex device_letter_to_index(char c);
// The DeviceCode of that letter; -1 when none matches.
int device_letter_to_code(char c);
// index << 4 below 16, index + 0xE0 from 16 on (J is 0xF0, U 0xF5).
constexpr int device_code_from_index(DeviceIndex index) { return index < 16 ? index << 4 : index + 0xE0; }
// The high nibble for code bytes below 0xF0, the low nibble + 16 otherwise. The code
// byte 0xF0 is always J: F shares it, but no reader accepts F.
constexpr DeviceIndex device_index_from_code(uint32_t code_byte) {
  code_byte &= 0xFF;
  return code_byte < 0xF0 ? static_cast<DeviceIndex>(code_byte >> 4) : static_cast<DeviceIndex>((code_byte & 0xF) + 16);
}
// The letter string of a DeviceIndex; "" outside 0-33.
const char* device_letter(DeviceIndex index);
// The highest number of a device; -1 outside 0-33.
int32_t device_max_number(DeviceIndex index);

// ---- Device operands -----------------------------------------------------------------------
// One 32-bit word naming a device: DeviceCode << 24, flags, the device number in bits 0-15.
// A digit group (K4M0: four groups of four bits from M0) has index << 4 | digit count in
// its code byte. A J number is group << 8 | step (binary; typed as decimal digits); a J
// range adds 0x8000 and the number of steps beyond the first in bits 16-23.
using DeviceOperand = uint32_t;

namespace OperandBits {
inline constexpr uint32_t CODE_SHIFT = 24;
inline constexpr uint32_t SUFFIX_T = 0x800000;   // M in an OUT coil: the "T"/"t" suffix was given
inline constexpr uint32_t D_BIT = 0x800000;      // D in a contact: a bit of a data register
inline constexpr uint32_t LOWER_XY = 0x400000;   // the mnemonic printer writes X and Y as "x" and "y"
inline constexpr uint32_t J_SPAN_MASK = 0xFF0000;
inline constexpr uint32_t J_SPAN_SHIFT = 16;
inline constexpr uint32_t J_RANGE = 0x8000;
inline constexpr uint32_t NUMBER_MASK = 0xFFFF;
}  // namespace OperandBits

inline constexpr int J_GROUP_MAX = 9;
inline constexpr int J_STEP_MAX = 99;
inline constexpr int J_CELL_SPAN_LIMIT = 32;      // the cell parser keeps a J range's span below this
inline constexpr int J_MNEMONIC_SPAN_LIMIT = 64;  // the mnemonic encoder keeps it below this
inline constexpr int DIGIT_GROUP_MAX_DIGITS = 8;

constexpr DeviceOperand make_device_operand(DeviceIndex index, uint32_t number) {
  return static_cast<uint32_t>(device_code_from_index(index)) << OperandBits::CODE_SHIFT | number;
}
constexpr uint32_t operand_code_byte(DeviceOperand v) { return v >> OperandBits::CODE_SHIFT; }
constexpr DeviceIndex operand_device_index(DeviceOperand v) { return device_index_from_code(operand_code_byte(v)); }
constexpr uint32_t operand_number(DeviceOperand v) { return v & OperandBits::NUMBER_MASK; }
// A digit group: a code byte below 0xF0 with a non-zero low nibble.
constexpr bool is_digit_group(DeviceOperand v) {
  return operand_code_byte(v) < 0xF0 && (operand_code_byte(v) & 0xF) != 0;
}
constexpr int digit_group_count(DeviceOperand v) { return static_cast<int>(operand_code_byte(v) & 0xF); }
constexpr DeviceOperand make_digit_group_operand(DeviceIndex index, int digits, uint32_t number) {
  return static_cast<uint32_t>(index << 4 | (digits & 0xF)) << OperandBits::CODE_SHIFT | number;
}
constexpr uint32_t make_j_number(int group, int step) { return static_cast<uint32_t>(group) << 8 | static_cast<uint32_t>(step); }
constexpr int j_group(DeviceOperand v) { return static_cast<int>((v >> 8) & 0x7F); }
constexpr int j_step(DeviceOperand v) { return static_cast<int>(v & 0xFF); }
constexpr bool is_j_range(DeviceOperand v) { return (v & OperandBits::J_RANGE) != 0; }
constexpr int j_span(DeviceOperand v) { return static_cast<int>((v & OperandBits::J_SPAN_MASK) >> OperandBits::J_SPAN_SHIFT); }

// Copies the letter string of the operand's device into `buffer` (NUL-terminated, cut
// to its capacity) and returns its DeviceIndex; a code byte that names an empty slot
// gives "" and -1.
DeviceIndex device_letter_of_operand(DeviceOperand operand, std::span<char> buffer);

// ---- Packed decimal -----------------------------------------------------------------------------
// The six low nibbles of `word` as a decimal number, nibble k weighted 10^k (0x123456 is 123456).
int32_t bcd_to_int(uint32_t word);
// The five low decimal digits of `value` as nibbles (123456 gives 0x23456): digits above
// 10^4 are dropped, so a value above 99999 loses its leading digits.
uint32_t int_to_bcd(int32_t value);

// ---- CPU models ------------------------------------------------------------------------------------
// Parallel tables; slot 0 is the empty name with code 0, "PLC" (0x8080) in slot 28 is the
// last model and the name "QQ" in slot 29 ends the list.
inline constexpr int CPU_TABLE_SIZE = 30;
inline constexpr int CPU_LIST_END_SLOT = 29;
inline constexpr int CPU_LAST_MODEL_SLOT = 28;
extern const std::array<const char*, CPU_TABLE_SIZE> g_cpu_names;
extern const std::array<int32_t, CPU_TABLE_SIZE> g_cpu_codes;

// The slot (1-28) of a model by its exact name or by its code; -1 when none (the empty
// name, code 0 and the end entry "QQ" are no models).
int find_cpu_slot_by_name(std::string_view name);
int find_cpu_slot_by_code(int32_t code);
