#include <gtest/gtest.h>

#include <cstring>

#include "core/device_tables.h"
#include "core/instruction_tables.h"
#include "core/sjis.h"

namespace {

struct InstructionRowCase {
  int code;
  const char* grid;
  const char* grid_lower;
  const char* mnemonic;
  const char* mnemonic_lower;
  int32_t attr;
  uint32_t kinds;
  int32_t ops;
  int32_t mflags;
  int32_t mops;
  uint32_t mkinds;
};

// Rows taken from the instruction table, including the ones whose two sides differ.
const InstructionRowCase kRowCases[] = {
    {1, "", "", "LD", "ld", 0x1, 0x9, 1, 0x1, 1, 0x9},
    {8, "", "", "ORB", "orb", 0, 0, 1, 0, 0, 0},
    {9, "", "sets", "", "", 0, 0, 1, 0, 0, 0},
    {15, "", "", "OUT", "out", 0x1, 0x1, 1, 0x1, 1, 0x1},
    {16, "END", "end", "END", "end", 0, 0, 0, 0, 0, 0},
    {25, "", "jmp", "JMP", "jmp", 0x1, 0x1, 1, 0x1, 1, 0x1},
    {35, "RSTS", "rsts", "RSTS", "rsts", 0x2001, 0x1, 1, 0x2002, 1, 0x1},
    {45, "INT", "int", "INT", "", 0x2001, 0x1, 1, 0, 1, 0},
    {51, "ADCO2", "adco2", "", "", 0x2002, 0x3809, 2, 0, 0, 0xE80102},
    {53, "TIM", "tim", "TIM", "tim", 0x1, 0xF801, 2, 0x2, 2, 0xF801},
    {81, "MOV", "mov", "MOV", "mov", 0x2802, 0x30F8, 2, 0x2802, 2, 0xF8F8},
    {89, "", "", "SFTR", "sftr", 0x2004, 0x80800109, 4, 0x2004, 4, 0x80800109},
    {110, "*", "*", "*", "*", 0x2803, 0x30B8B8, 3, 0x2803, 3, 0x30B8B8},
    {116, "", "b+=", "B+=", "b+=", 0x2802, 0x3078, 2, 0x2802, 2, 0x3078},
    {127, "ASM", "asm", "ASM", "asm", 0x200A, 0x80, 1, 0x2001, 1, 0x80},
    {130, "W2CO", "w2co", "", "", 0x2002, 0x1070, 2, 0x2003, 3, 0xF83030},
    {131, "R2CO", "r2co", "CONTU", "contu", 0x2002, 0x1070, 2, 0, 0, 0},
    {148, "SCJ", "scj", "SCJ", "sch", 0x1, 0, 1, 0x1, 1, 0},
    {157, "", "sint", "", "", 0x2001, 0xC0, 1, 0, 1, 0},
    {158, "MIVK", "mivk", "MIVK", "mivk", 0x2002, 0x3018, 2, 0x2801, 0, 0},
    {177, "", "", "OR=", "or=", 0, 0, 0, 0x802, 2, 0xF8F8},
    {193, "=", "=", "LD=", "ld=", 0x802, 0xF8F8, 2, 0x802, 2, 0xF8F8},
    {206, "D<=", "d<=", "LDD<=", "ldd<=", 0x802, 0xF8F8, 2, 0x802, 2, 0xF8F8},
    {222, "", "", "ANDD<=", "andd<=", 0, 0, 0, 0x802, 2, 0xF8F8},
    {225, ">>--", ">>--", ">>--", ">>--", 0, 0, 0, 0, 0, 0},
    {257, "", "", "LDD", "ldd", 0, 0, 0, 0x1, 0, 0x9},
    {262, "", "", "ORID", "ordd", 0, 0, 0, 0x1, 0, 0x9},
    {267, "", "", "", "", 0, 0, 0, 0, 0, 0x1},
    // Codes without a row are empty everywhere.
    {0, "", "", "", "", 0, 0, 0, 0, 0, 0},
    {24, "", "", "", "", 0, 0, 0, 0, 0, 0},
    {300, "", "", "", "", 0, 0, 0, 0, 0, 0},
    {511, "", "", "", "", 0, 0, 0, 0, 0, 0},
};

TEST(InstructionTables, SpotRows) {
  for (const auto& c : kRowCases) {
    SCOPED_TRACE(c.code);
    size_t i = static_cast<size_t>(c.code);
    EXPECT_STREQ(g_instruction_names[i], c.grid);
    EXPECT_STREQ(g_instruction_names_lower[i], c.grid_lower);
    EXPECT_STREQ(g_mnemonic_names[i], c.mnemonic);
    EXPECT_STREQ(g_mnemonic_names_lower[i], c.mnemonic_lower);
    EXPECT_EQ(g_instruction_attributes[i], c.attr);
    EXPECT_EQ(g_operand_kinds[i], c.kinds);
    EXPECT_EQ(g_operand_line_counts[i], c.ops);
    EXPECT_EQ(g_mnemonic_flags[i], c.mflags);
    EXPECT_EQ(g_mnemonic_operand_counts[i], c.mops);
    EXPECT_EQ(g_mnemonic_operand_kinds[i], c.mkinds);
  }
}

TEST(InstructionTables, NoNullNamesAndLowerTwinsAreLowerCase) {
  int named = 0;
  int named_mnemonic = 0;
  for (size_t i = 0; i < INSTRUCTION_TABLE_SIZE; ++i) {
    ASSERT_NE(g_instruction_names[i], nullptr);
    ASSERT_NE(g_instruction_names_lower[i], nullptr);
    ASSERT_NE(g_mnemonic_names[i], nullptr);
    ASSERT_NE(g_mnemonic_names_lower[i], nullptr);
    for (const char* p = g_instruction_names_lower[i]; *p; ++p) EXPECT_FALSE(*p >= 'A' && *p <= 'Z') << i;
    for (const char* p = g_mnemonic_names_lower[i]; *p; ++p) EXPECT_FALSE(*p >= 'A' && *p <= 'Z') << i;
    if (*g_instruction_names[i]) ++named;
    if (*g_mnemonic_names[i]) ++named_mnemonic;
  }
  EXPECT_EQ(named, 124);  // upper-case grid names, comparison operators included
  EXPECT_EQ(named_mnemonic, 168);
  for (size_t i = 256; i < INSTRUCTION_TABLE_SIZE; ++i) EXPECT_STREQ(g_instruction_names[i], "") << i;
}

TEST(InstructionTables, NameLookupIsExactUpperOrLower) {
  struct Case { const char* name; int grid; int mnemonic; };
  const Case cases[] = {
      {"MOV", 81, 81},   {"mov", 81, 81},   {"Mov", -1, -1},   {"TIM", 53, 53},
      {"jmp", 25, 25},   {"JMP", -1, 25},   {"sets", 9, 34},   {"SETS", 34, 34},
      {"R2CO", 131, -1}, {"CONTU", -1, 131}, {"=", 193, -1},   {"LD=", -1, 193},
      {"LDD", -1, 0x201}, {"ordd", -1, 0x206}, {"orid", -1, -1}, {"ORID", -1, 0x206},
      {"INT", 45, 45},   {"int", 45, -1},   {"sch", -1, 148},  {"", -1, -1},
      {"D<=", 206, -1},  {"LDD<=", -1, 206}, {"+=", 114, 114}, {"b+=", 116, 116},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(find_instruction_code(c.name), c.grid);
    EXPECT_EQ(find_mnemonic_code(c.name), c.mnemonic);
  }
}

TEST(InstructionTables, NamesByCodeAndBoxCells) {
  EXPECT_STREQ(instruction_name(Instr::MOV), "MOV");
  EXPECT_STREQ(instruction_name(-1), "");
  EXPECT_STREQ(instruction_name(512), "");
  EXPECT_STREQ(mnemonic_name(Instr::LDD), "LDD");
  EXPECT_STREQ(mnemonic_name(Instr::ORID), "ORID");
  EXPECT_EQ(box_operand_cells(Instr::ASM), 10);
  EXPECT_EQ(box_operand_cells(Instr::ADD), 3);
  EXPECT_EQ(box_operand_cells(9999), 0);
  EXPECT_TRUE(is_comparison_code(Instr::CMP_D_LE));
  EXPECT_FALSE(is_comparison_code(199));
}

TEST(DeviceTables, LettersCodesAndMaxima) {
  const char* letters = "XYMSTCLBnKQRWDVFJPIH4U";
  for (int i = 0; i < DEVICE_COUNT; ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(g_device_letters[static_cast<size_t>(i)][0], letters[i]);
    EXPECT_EQ(g_device_letters[static_cast<size_t>(i)][1], '\0');
  }
  for (int i = DEVICE_COUNT; i < DEVICE_SLOTS; ++i) {
    EXPECT_STREQ(g_device_letters[static_cast<size_t>(i)], "");
    EXPECT_EQ(g_device_max_numbers[static_cast<size_t>(i)], 0);
  }
  EXPECT_EQ(g_device_max_numbers[Device::M], 9255);
  EXPECT_EQ(g_device_max_numbers[Device::S], 199);
  EXPECT_EQ(g_device_max_numbers[Device::B], 8191);
  EXPECT_EQ(g_device_max_numbers[Device::K], 214783647);
  EXPECT_EQ(g_device_max_numbers[Device::D], 32767);
  EXPECT_EQ(g_device_max_numbers[Device::J], 0x999999);
  EXPECT_EQ(g_device_max_numbers[Device::H], 2147483647);
  EXPECT_EQ(g_device_max_numbers[Device::ROW_LABEL], 0);
  EXPECT_EQ(g_device_max_numbers[Device::U], 15);
  const int codes[] = {0x00, 0x10, 0x20, 0x30, 0x40, 0x50, 0x60, 0x70, 0x80, 0x90, 0xA0,
                       0xB0, 0xC0, 0xD0, 0xE0, 0xF0, 0xF0, 0xF1, 0xF2, 0xF3, 0xF4, 0xF5};
  for (int i = 0; i < DEVICE_COUNT; ++i) EXPECT_EQ(device_code_from_index(i), codes[i]) << i;
}

TEST(DeviceTables, LetterLookup) {
  struct Case { char c; int index; int code; };
  const Case cases[] = {
      {'x', 0, 0x00}, {'X', 0, 0x00}, {'n', 8, 0x80}, {'N', 8, 0x80}, {'d', 13, 0xD0},
      {'J', 16, 0xF0}, {'4', 20, 0xF4}, {'u', 21, 0xF5}, {'Z', -1, -1}, {'5', -1, -1},
      {'\0', -1, -1}, {'-', -1, -1}, {static_cast<char>(0x82), -1, -1},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(static_cast<int>(c.c));
    EXPECT_EQ(device_letter_to_index(c.c), c.index);
    EXPECT_EQ(device_letter_to_code(c.c), c.code);
  }
}

TEST(DeviceTables, CodeByteToIndex) {
  EXPECT_EQ(device_index_from_code(0xF0), Device::J);
  EXPECT_EQ(device_index_from_code(0x24), Device::M);
  EXPECT_EQ(device_index_from_code(0xF5), Device::U);
  EXPECT_EQ(device_index_from_code(0xE0), Device::V);
  for (int i = 0; i < DEVICE_COUNT; ++i) {
    if (i == Device::F) continue;  // F shares J's code byte; 0xF0 is always J
    EXPECT_EQ(device_index_from_code(static_cast<uint32_t>(device_code_from_index(i))), i) << i;
  }
}

TEST(DeviceTables, LetterOfOperand) {
  char buffer[4] = "zzz";
  EXPECT_EQ(device_letter_of_operand(0x24000000, buffer), Device::M);  // digit group K4M0
  EXPECT_STREQ(buffer, "M");
  EXPECT_EQ(device_letter_of_operand(make_device_operand(Device::N, 3), buffer), Device::N);
  EXPECT_STREQ(buffer, "n");
  EXPECT_EQ(device_letter_of_operand(0xF1000005, buffer), Device::P);
  EXPECT_STREQ(buffer, "P");
  // A code byte of an unused slot names no device.
  EXPECT_EQ(device_letter_of_operand(0xF9000000, buffer), -1);
  EXPECT_STREQ(buffer, "");
  // A buffer of one byte only gets the end of the string.
  char tiny[1] = {'q'};
  EXPECT_EQ(device_letter_of_operand(0x10000000, tiny), Device::Y);
  EXPECT_EQ(tiny[0], '\0');
}

TEST(DeviceTables, OperandLayout) {
  DeviceOperand v = make_device_operand(Device::J, OperandBits::J_RANGE | 5u << 16 | make_j_number(1, 5));
  EXPECT_EQ(v, 0xF0058105u);
  EXPECT_EQ(operand_device_index(v), Device::J);
  EXPECT_TRUE(is_j_range(v));
  EXPECT_EQ(j_span(v), 5);
  EXPECT_EQ(j_group(v), 1);
  EXPECT_EQ(j_step(v), 5);
  DeviceOperand group = make_digit_group_operand(Device::M, 4, 100);
  EXPECT_EQ(group, 0x24000064u);
  EXPECT_TRUE(is_digit_group(group));
  EXPECT_EQ(digit_group_count(group), 4);
  EXPECT_FALSE(is_digit_group(make_device_operand(Device::U, 3)));
  EXPECT_FALSE(is_digit_group(make_device_operand(Device::M, 3)));
  EXPECT_EQ(operand_number(make_device_operand(Device::D, 32767)), 32767u);
}

TEST(DeviceTables, PackedDecimal) {
  EXPECT_EQ(bcd_to_int(0x123456), 123456);
  EXPECT_EQ(bcd_to_int(0xFF000100), 100);  // only the six low nibbles count
  EXPECT_EQ(int_to_bcd(123456), 0x23456u);
  EXPECT_EQ(int_to_bcd(100), 0x100u);
  EXPECT_EQ(int_to_bcd(0), 0u);
  EXPECT_EQ(bcd_to_int(int_to_bcd(99999)), 99999);
}

// The radix of every reader and writer of device numbers, against the table of device
// letters (cell parser, design display, mnemonic printer) and the rules of the mnemonic
// encoder and the box-operand encoder, written out here one letter per device in the
// order X Y M S T C L B n K Q R W D V F J P I H 4 U: H hex, D decimal, R refused,
// b a bit number, J group and step.
DeviceRadix radix_letter(char c) {
  switch (c) {
    case 'H': return DeviceRadix::HEX;
    case 'D': return DeviceRadix::DECIMAL;
    case 'R': return DeviceRadix::REFUSED;
    case 'b': return DeviceRadix::BIT_NUMBER;
    default: return DeviceRadix::GROUP_STEP;
  }
}

TEST(DeviceTables, Radices) {
  struct Column {
    const char* name;
    const DeviceRadixTable& table;
    const char* expected;
  } columns[] = {
      {"cell parser", g_cell_parser_radix, "HHDHDDDHDDRHRbRRJRRRRR"},
      {"design display", g_design_display_radix, "HHDHDDDHDDDHDDDDJDDDDD"},
      {"mnemonic printer", g_mnemonic_printer_radix, "HHDDDDDHDDDHDDDDJDDDDD"},
      // X and Y hex, J group and step, the rest decimal; B and R are read in hex as the
      // printer writes them, so that a printed program reads back to the same devices.
      {"mnemonic encoder", g_mnemonic_encoder_radix, "HHDDDDDHDDDHDDDDJDDDDD"},
      // X, Y, R, J and V hex, the rest decimal; S and B are read in hex as the design
      // display shows them.
      {"box-operand encoder", g_box_operand_radix, "HHDHDDDHDDDHDDHDHDDDDD"},
  };
  for (const Column& c : columns) {
    ASSERT_EQ(std::strlen(c.expected), static_cast<size_t>(DEVICE_COUNT)) << c.name;
    for (int i = 0; i < DEVICE_COUNT; ++i) {
      EXPECT_EQ(c.table[static_cast<size_t>(i)], radix_letter(c.expected[i])) << c.name << ", device " << g_device_letters[static_cast<size_t>(i)];
    }
  }
}

TEST(CpuTables, Models) {
  EXPECT_STREQ(g_cpu_names[0], "");
  EXPECT_EQ(g_cpu_codes[0], 0);
  EXPECT_STREQ(g_cpu_names[6], "pic16F88");
  EXPECT_EQ(g_cpu_codes[6], 0x688);
  EXPECT_STREQ(g_cpu_names[15], "pic18F2520");
  EXPECT_EQ(g_cpu_codes[15], 0x82520);
  EXPECT_STREQ(g_cpu_names[23], "ATtiny2313");
  EXPECT_EQ(g_cpu_codes[23], 0xA2313);
  EXPECT_STREQ(g_cpu_names[26], "H8/3694F");
  EXPECT_EQ(g_cpu_codes[26], 0x3694F);
  EXPECT_STREQ(g_cpu_names[28], "PLC");
  EXPECT_EQ(g_cpu_codes[28], 0x8080);
  EXPECT_STREQ(g_cpu_names[CPU_LIST_END_SLOT], "QQ");
  EXPECT_EQ(g_cpu_codes[CPU_LIST_END_SLOT], 0xAAA);
  EXPECT_EQ(find_cpu_slot_by_name("pic18F452"), 12);
  EXPECT_EQ(find_cpu_slot_by_name("PLC"), 28);
  EXPECT_EQ(find_cpu_slot_by_name("QQ"), -1);
  EXPECT_EQ(find_cpu_slot_by_name(""), -1);
  EXPECT_EQ(find_cpu_slot_by_name("PIC18F452"), -1);
  EXPECT_EQ(find_cpu_slot_by_code(0x8080), 28);
  EXPECT_EQ(find_cpu_slot_by_code(0x3048F), 24);
  EXPECT_EQ(find_cpu_slot_by_code(0xAAA), -1);
  EXPECT_EQ(find_cpu_slot_by_code(0), -1);
}

// "表" is 0x95 0x5C in Shift-JIS: its trail byte is a backslash.
const std::string kHyou = "\x95\x5C";

TEST(Sjis, LeadBytes) {
  EXPECT_TRUE(is_sjis_lead_byte('\x81'));
  EXPECT_TRUE(is_sjis_lead_byte('\x9F'));
  EXPECT_TRUE(is_sjis_lead_byte('\xE0'));
  EXPECT_TRUE(is_sjis_lead_byte('\xFC'));
  EXPECT_FALSE(is_sjis_lead_byte('\x80'));
  EXPECT_FALSE(is_sjis_lead_byte('\xA0'));  // half-width katakana are single bytes
  EXPECT_FALSE(is_sjis_lead_byte('\xDF'));
  EXPECT_FALSE(is_sjis_lead_byte('\xFD'));
  EXPECT_FALSE(is_sjis_lead_byte('A'));
}

TEST(Sjis, FindStepsOverTrailBytes) {
  std::string s = "a" + kHyou + "\\b";
  EXPECT_EQ(sjis_find(s, '\\'), 3u);
  EXPECT_EQ(sjis_find(kHyou, '\\'), std::string_view::npos);
  EXPECT_EQ(sjis_find_first_of(s, "\\b"), 3u);
  EXPECT_EQ(sjis_find("ab\x81", '\x81'), 2u);  // a lead byte at the very end is a byte of its own
  EXPECT_EQ(sjis_find("abc", 'c', 3), std::string_view::npos);
}

TEST(Sjis, BoundedCopyCutsOnCharacterBoundary) {
  std::string s = "ab" + kHyou + "c";  // 5 bytes
  char dest[4];
  EXPECT_EQ(copy_text_bounded(dest, s), 2u);  // 3 bytes of room: the double-byte character does not fit
  EXPECT_STREQ(dest, "ab");
  char room[5];
  EXPECT_EQ(copy_text_bounded(room, s), 4u);
  EXPECT_EQ(std::string(room), "ab" + kHyou);
  EXPECT_EQ(copy_text_bounded(std::span<char>(), s), 0u);
  EXPECT_EQ(sjis_cut_length(s, 3), 2u);
  EXPECT_EQ(sjis_cut_length(s, 100), 5u);
}

TEST(Sjis, FixedTextAndCaseCompare) {
  char field[4] = {'a', 'b', 'c', 'd'};
  EXPECT_EQ(fixed_text(field), "abcd");
  field[1] = '\0';
  EXPECT_EQ(fixed_text(field), "a");
  EXPECT_TRUE(ascii_iequal("mbs-FILE", "MBS-file"));
  EXPECT_FALSE(ascii_iequal("abc", "abd"));
  // "ア" (0x83 0x41) and 0x83 0x61 differ only in the case of an ASCII-looking trail byte.
  EXPECT_FALSE(ascii_iequal("\x83\x41", "\x83\x61"));
}

}  // namespace
