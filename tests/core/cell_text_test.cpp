#include "core/cell_text.h"
#include "core/core_state.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "core/instruction_tables.h"

namespace {

// Word 0 of the cells the cases type into.
constexpr uint32_t CONTACT = 1u << 4 | 0x8008;  // relay a-contact
constexpr uint32_t OUT_COIL = 7u << 4 | 0xC008;
constexpr uint32_t PART_15 = 15u << 4 | 0x8008;
constexpr uint32_t PART_23 = 23u << 4 | 0x8008;

// A grid of a few rows whose row 0 holds one cell; a coil gets its OUT code in cell 12.
struct OneCell {
  LadderGrid grid = make_ladder_grid(4);
  CellCursor at{0, 0};
  OneCell(int column, uint32_t word0, uint32_t word1 = 0) {
    at.column = column;
    grid[0].cell[column].word[0] = word0;
    grid[0].cell[column].word[1] = word1;
    if (column == OUTPUT_COLUMN && (word0 & CellFlags::OUTPUT)) grid[0].cell[12].word[0] = Instr::OUT;
  }
  std::string text(bool last = false, bool search = false) {
    char buffer[CELL_TEXT_BUFFER_SIZE];
    char mark[MARK_TEXT_BUFFER_SIZE];
    format_cell_text(grid, at, buffer, mark, last, search);
    return buffer;
  }
  std::string mark() {
    char buffer[CELL_TEXT_BUFFER_SIZE];
    char mark_text[MARK_TEXT_BUFFER_SIZE];
    format_cell_text(grid, at, buffer, mark_text, false);
    return mark_text;
  }
};

struct ParseCase {
  const char* text;
  int column;
  uint32_t word0;
  int result;
  uint32_t operand;  // when the result is 0
};

const ParseCase kParseCases[] = {
    // The order of the checks.
    {"X", 0, CONTACT, -1, 0},
    {"", 0, CONTACT, -1, 0},
    {"5X", 0, CONTACT, -4, 0},
    {"45", 0, CONTACT, -4, 0},
    {"Z5", 0, CONTACT, -1, 0},
    {"\x95\x5C" "5", 0, CONTACT, -1, 0},  // a double-byte character is no device letter
    {"X5", 0, PART_15, -4, 0},
    {"X5", 0, PART_23, -2, 0},
    {"Y5", 0, PART_23, 0, 0x10000005},
    {"T5", 11, OUT_COIL, -2, 0},
    {"C5", 11, OUT_COIL, -2, 0},
    {"T5", 0, CONTACT, 0, 0x40000005},
    {"H5", 0, CONTACT, -2, 0},
    // X, Y, R, S, B: hexadecimal.
    {"X10", 0, CONTACT, 0, 0x00000010},
    {"x10", 0, CONTACT, 0, 0x00000010},
    {"X10", 11, OUT_COIL, -1, 0},
    {"Y1f", 11, OUT_COIL, 0, 0x1000001F},
    {"X1-2", 0, CONTACT, -1, 0},
    {"X1G", 0, CONTACT, -1, 0},
    {"X 1", 0, CONTACT, -1, 0},
    {"XFFF", 0, CONTACT, 0, 0x00000FFF},
    {"X1000", 0, CONTACT, -1, 0},      // above 4095
    {"X1000000", 0, CONTACT, -1, 0},   // would wrap into Y
    {"B1FFF", 0, CONTACT, 0, 0x70001FFF},
    {"B2000", 0, CONTACT, -1, 0},
    {"SC7", 0, CONTACT, 0, 0x300000C7},
    {"SC8", 0, CONTACT, -1, 0},
    {"RFFF", 0, CONTACT, 0, 0xB0000FFF},
    // M, L, J, D: decimal.
    {"M5T", 11, OUT_COIL, 0, 0x20800005},
    {"m5t", 11, OUT_COIL, 0, 0x20800005},
    {"M5T", 0, CONTACT, -1, 0},
    {"MT", 11, OUT_COIL, -1, 0},
    {"M9255", 0, CONTACT, 0, 0x20002427},
    {"M9256", 0, CONTACT, -1, 0},
    {"M8388608", 0, CONTACT, -1, 0},   // would set the suffix flag
    {"M5-10", 0, CONTACT, -1, 0},
    {"M1A", 0, CONTACT, -1, 0},
    {"L2047", 0, CONTACT, 0, 0x600007FF},
    {"L2048", 0, CONTACT, -1, 0},
    {"D3", 0, CONTACT, 0, 0xD0800003},
    {"D7", 0, CONTACT, 0, 0xD0800007},
    {"D8", 0, CONTACT, -1, 0},
    {"D1-2", 0, CONTACT, -1, 0},
    {"J105", 0, CONTACT, 0, 0xF0000105},
    {"J112", 0, CONTACT, 0, 0xF000010C},  // step 12, a binary number
    {"J999", 0, CONTACT, 0, 0xF0000963},
    {"J5", 0, CONTACT, 0, 0xF0000005},
    {"J1000", 0, CONTACT, -1, 0},
    {"J1A5", 0, CONTACT, -1, 0},
    {"J105-10", 0, CONTACT, 0, 0xF0058105},
    {"J112-20", 0, CONTACT, 0, 0xF008810C},
    {"J100-31", 0, CONTACT, 0, 0xF01F8100},
    {"J100-32", 0, CONTACT, -1, 0},
    {"J105-40", 0, CONTACT, -1, 0},
    {"J110-05", 0, CONTACT, -1, 0},
    {"J105-05", 0, CONTACT, -1, 0},
    {"J105-100", 0, CONTACT, -1, 0},
    {"J105-", 0, CONTACT, -1, 0},
    {"J-10", 0, CONTACT, -1, 0},
    {"J105-1x", 0, CONTACT, -1, 0},
    {"J105-10", 11, OUT_COIL, -1, 0},
    {"J105", 11, OUT_COIL, 0, 0xF0000105},
    // T, C, n, K: decimal.
    {"T9999", 0, CONTACT, 0, 0x4000270F},
    {"T10000", 0, CONTACT, -1, 0},
    {"C12a", 0, CONTACT, -1, 0},
    {"n7", 0, CONTACT, 0, 0x80000007},
    {"N7", 0, CONTACT, 0, 0x80000007},
    {"n8", 0, CONTACT, -1, 0},
    {"K16383", 0, CONTACT, 0, 0x90003FFF},
    {"K16384", 0, CONTACT, -1, 0},
    {"K214783648", 0, CONTACT, -1, 0},
    {"K1X", 0, CONTACT, -1, 0},
    // Devices no contact or coil takes.
    {"Q1", 0, CONTACT, -1, 0},
    {"W5", 0, CONTACT, -1, 0},
    {"V1", 0, CONTACT, -1, 0},
    {"F1", 0, CONTACT, -1, 0},
    {"P5", 0, CONTACT, -1, 0},
    {"I5", 0, CONTACT, -1, 0},
    {"U5", 0, CONTACT, -1, 0},
};

TEST(ParseCellOperand, Cases) {
  for (const auto& c : kParseCases) {
    SCOPED_TRACE(std::string(c.text) + " in column " + std::to_string(c.column));
    OneCell cell(c.column, c.word0);
    DeviceOperand out = 0xDEADBEEF;
    EXPECT_EQ(parse_cell_operand(cell.grid, cell.at, c.text, out), c.result);
    EXPECT_EQ(out, c.result == 0 ? c.operand : 0xDEADBEEF);
  }
}

TEST(ParseCellOperand, ConsecutiveNumberingRefusesLabelsAndU) {
  OneCell cell(0, CONTACT);
  DeviceOperand out = 0;
  EXPECT_EQ(parse_cell_operand(cell.grid, cell.at, "U5", out, true), -1);
  EXPECT_EQ(parse_cell_operand(cell.grid, cell.at, "X5", out, true), 0);
  EXPECT_EQ(out, 0x00000005u);
}

TEST(ParseCellOperand, CursorOutsideTheGridIsRefused) {
  auto grid = make_ladder_grid(2);
  DeviceOperand out = 0;
  EXPECT_EQ(parse_cell_operand(grid, {2, 0}, "X5", out), -1);
  EXPECT_EQ(parse_cell_operand(grid, {-1, 0}, "X5", out), -1);
  EXPECT_EQ(parse_cell_operand(grid, {0, 16}, "X5", out), -1);
  EXPECT_EQ(parse_cell_operand(ConstGridSpan(), {0, 0}, "X5", out), -1);
}

// Every device a contact or coil takes survives parse, display and parse again at its
// smallest and largest number.
TEST(CellTextRoundTrip, EveryDeviceAtItsLimits) {
  struct Case { const char* typed; int column; uint32_t word0; const char* shown; };
  const Case cases[] = {
      {"X0", 0, CONTACT, "X0"},         {"XFFF", 0, CONTACT, "XFFF"},
      {"Y0", 11, OUT_COIL, "Y0"},       {"YFFF", 11, OUT_COIL, "YFFF"},
      {"M0", 0, CONTACT, "M0"},         {"M9255", 0, CONTACT, "M9255"},
      {"M0T", 11, OUT_COIL, "M0t"},     {"M9255t", 11, OUT_COIL, "M9255t"},
      {"S0", 0, CONTACT, "S0"},         {"SC7", 0, CONTACT, "SC7"},
      {"T0", 0, CONTACT, "T0"},         {"T9999", 0, CONTACT, "T9999"},
      {"C0", 0, CONTACT, "C0"},         {"C9999", 0, CONTACT, "C9999"},
      {"L0", 0, CONTACT, "L0"},         {"L2047", 11, OUT_COIL, "L2047"},
      {"B0", 0, CONTACT, "B0"},         {"B1FFF", 0, CONTACT, "B1FFF"},
      {"n0", 0, CONTACT, "n0"},         {"N7", 0, CONTACT, "n7"},
      {"K0", 0, CONTACT, "K0"},         {"K16383", 0, CONTACT, "K16383"},
      {"R0", 0, CONTACT, "R0"},         {"RFFF", 0, CONTACT, "RFFF"},
      {"D0", 0, CONTACT, "d0"},         {"d7", 0, CONTACT, "d7"},
      {"J000", 0, CONTACT, "J000"},     {"J999", 0, CONTACT, "J999"},
      {"J000", 11, OUT_COIL, "J000"},   {"J999", 11, OUT_COIL, "J999"},
      {"J000-31", 0, CONTACT, "J000-31"}, {"J968-99", 0, CONTACT, "J968-99"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.typed);
    OneCell cell(c.column, c.word0);
    DeviceOperand first = 0;
    ASSERT_EQ(parse_cell_operand(cell.grid, cell.at, c.typed, first), 0);
    cell.grid[0].cell[c.column].word[1] = first;
    const std::string shown = cell.text();
    EXPECT_EQ(shown, c.shown);
    DeviceOperand second = 0;
    ASSERT_EQ(parse_cell_operand(cell.grid, cell.at, shown, second), 0);
    EXPECT_EQ(second, first);
  }
}

TEST(CellTextRoundTrip, RefusedDevicesAtTheirLimits) {
  struct Case { const char* text; int result; };
  const Case cases[] = {
      {"Q0", -1}, {"Q1", -1},   {"W0", -1}, {"W8191", -1}, {"V0", -1},   {"V15", -1},
      {"F0", -1}, {"F1", -1},   {"P0", -1}, {"P255", -1},  {"I0", -1},   {"I255", -1},
      {"H0", -2}, {"H2147483647", -2},     {"40", -4},    {"U0", -1},   {"U15", -1},
      {"X1000", -1}, {"M9256", -1}, {"S200", -1}, {"SC8", -1}, {"T10000", -1}, {"L2048", -1},
      {"B2000", -1}, {"n8", -1}, {"K16384", -1}, {"R1000", -1}, {"D8", -1}, {"J1000", -1},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    OneCell cell(0, CONTACT);
    DeviceOperand out = 0;
    EXPECT_EQ(parse_cell_operand(cell.grid, cell.at, c.text, out), c.result);
  }
}

// ---- Display of element cells ------------------------------------------------------------

// An output box of `code` ending in column 11 with the operand words given.
LadderGrid box_row(uint32_t code_word, std::initializer_list<uint32_t> operands, uint32_t cell11_extra = 0) {
  auto grid = make_ladder_grid(4);
  auto& row = grid[0];
  row.cell[9].word[0] = CellWord::BOX_FIRST_CELL;
  row.cell[10].word[0] = CellWord::BOX_MIDDLE_CELL;
  row.cell[11].word[0] = CellWord::BOX_LAST_CELL | cell11_extra;
  row.cell[12].word[0] = code_word;
  int k = 11;
  for (uint32_t v : operands) row.cell[k++].word[1] = v;
  return grid;
}

std::string text_at(const LadderGrid& grid, int column, bool last = false, bool search = false) {
  char buffer[CELL_TEXT_BUFFER_SIZE];
  char mark[MARK_TEXT_BUFFER_SIZE];
  format_cell_text(grid, {0, column}, buffer, mark, last, search);
  return buffer;
}

std::string name_at(const LadderGrid& grid, int column) {
  char buffer[CELL_TEXT_BUFFER_SIZE];
  get_cell_instruction_name(grid, {0, column}, buffer);
  return buffer;
}

LadderGrid timer_row(bool with_operands) {
  auto grid = make_ladder_grid(4);
  auto& row = grid[0];
  row.cell[10].word[0] = CellWord::TIMER_COIL_CELL;
  row.cell[11].word[0] = (8u << 4 | 0x4008 | CellFlags::TIMER_OUTPUT) |
                         (with_operands ? CellFlags::OPERAND_SET | CellFlags::CONSTANT_0 << 1 : 0);
  row.cell[12].word[0] = Instr::TIM;
  if (with_operands) {
    row.cell[11].word[1] = make_device_operand(Device::T, 5);
    row.cell[12].word[1] = 0x100;  // K100, digit by digit
  }
  return grid;
}

TEST(FormatCellText, Timer) {
  auto bare = timer_row(false);
  EXPECT_EQ(text_at(bare, 11), "T");
  EXPECT_EQ(text_at(bare, 11, true), "");
  auto timer = timer_row(true);
  EXPECT_EQ(text_at(timer, 11), "T5 K100 ");
  EXPECT_EQ(text_at(timer, 11, false, true), "T5 ");
  EXPECT_EQ(text_at(timer, 11, true), "K100");
  EXPECT_EQ(text_at(timer, 11, true, true), "T5");
  EXPECT_EQ(name_at(timer, 11), "T");
}

TEST(FormatCellText, ComparisonContact) {
  auto grid = make_ladder_grid(4);
  auto& row = grid[0];
  row.cell[2].word[0] = static_cast<uint32_t>(Instr::CMP_EQ) << 4 | CellWord::COMPARISON_BASE | CellFlags::CONSTANT_0 << 1;
  row.cell[2].word[1] = make_device_operand(Device::D, 0);
  row.cell[3].word[0] = CellWord::COMPARISON_MIDDLE;
  row.cell[3].word[1] = 0x100;
  row.cell[4].word[0] = CellWord::COMPARISON_LAST;
  EXPECT_EQ(text_at(grid, 2), "= D0 K100 ");
  EXPECT_EQ(text_at(grid, 2, true), "K100");
  EXPECT_EQ(name_at(grid, 2), "=");
  row.cell[2].word[0] = static_cast<uint32_t>(Instr::CMP_D_LE) << 4 | CellWord::COMPARISON_BASE |
                        (CellFlags::CONSTANT_0 | CellFlags::HEX_0) << 1;
  row.cell[3].word[1] = 0xFF;
  EXPECT_EQ(text_at(grid, 2), "D<= D0 HFF ");
  EXPECT_EQ(text_at(grid, 3), "");  // the middle cell shows nothing
}

TEST(FormatCellText, BoxNamesWithDAndP) {
  const uint32_t d0 = make_device_operand(Device::D, 0);
  const uint32_t d1 = make_device_operand(Device::D, 1);
  const uint32_t d2 = make_device_operand(Device::D, 2);
  auto mov = box_row(Instr::MOV | RecordFlags::D_FORM | RecordFlags::P_FORM, {d0, d1});
  EXPECT_EQ(text_at(mov, 11), "DMOVP D0 D1 ");
  EXPECT_EQ(text_at(mov, 11, true), "D1");
  EXPECT_EQ(name_at(mov, 11), "MOV");
  auto dand = box_row(Instr::DAND | RecordFlags::D_FORM, {d0, d1, d2});
  EXPECT_EQ(text_at(dand, 11), "DAND D0 D1 D2 ");
  auto plain = box_row(Instr::ADD, {d0, d1, d2});
  EXPECT_EQ(text_at(plain, 11), "+ D0 D1 D2 ");
  auto no_operands = box_row(Instr::MOV, {}, 0);
  no_operands[0].cell[11].word[0] &= ~CellFlags::OPERAND_SET;
  EXPECT_EQ(text_at(no_operands, 11), "MOV ");
}

TEST(FormatCellText, BoxOperandForms) {
  const uint32_t d0 = make_device_operand(Device::D, 0);
  struct Case { uint32_t code; uint32_t op0; uint32_t op1; uint32_t cell11_extra; const char* shown; };
  const Case cases[] = {
      {Instr::MOV, make_digit_group_operand(Device::X, 4, 0x10), d0, 0, "MOV K4X10 D0 "},
      {Instr::MOV, make_digit_group_operand(Device::M, 2, 100), d0, 0, "MOV K2M100 D0 "},
      // A B digit group keeps its digit count.
      {Instr::MOV, make_digit_group_operand(Device::B, 4, 0x1F0), d0, 0, "MOV K4B1F0 D0 "},
      {Instr::MOV, make_device_operand(Device::R, 0x1A), make_device_operand(Device::V, 12), 0, "MOV R1A VC "},
      {Instr::MOV, 0x1234, d0, CellFlags::CONSTANT_0, "MOV K1234 D0 "},
      {Instr::MOV, 0x1234, d0, CellFlags::CONSTANT_0 | CellFlags::HEX_0, "MOV H1234 D0 "},
      {Instr::MOVK, 0x5, make_digit_group_operand(Device::Y, 2, 0), CellFlags::CONSTANT_0, "MOVK K5 B2Y0 "},
      {Instr::MIVK, make_digit_group_operand(Device::X, 1, 0x20), d0, 0, "MIVK B1X20 D0 "},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.shown);
    auto grid = box_row(c.code, {c.op0, c.op1}, c.cell11_extra);
    EXPECT_EQ(text_at(grid, 11), c.shown);
  }
  // STEP and PULSE show an X, Y or S first operand in decimal.
  auto step = box_row(Instr::STEP, {make_device_operand(Device::X, 0x10), 0x5, d0}, CellFlags::CONSTANT_0 << 1);
  EXPECT_EQ(text_at(step, 11), "STEP X16 K5 D0 ");
  auto set = box_row(Instr::SET, {make_device_operand(Device::Y, 0x1F)});
  EXPECT_EQ(text_at(set, 11), "SET Y1F ");
}

// ---- Display of contacts and coils ----------------------------------------------------------

TEST(FormatCellText, ContactsAndCoils) {
  struct Case { int column; uint32_t word0; uint32_t word1; const char* shown; };
  const Case cases[] = {
      {0, 19u << 4 | 0x8008, 0xD0800003, "d3"},
      {11, OUT_COIL, 0x20800005, "M5t"},
      {11, OUT_COIL, 0x20000005, "M5"},
      {0, CONTACT, 0x70001FFF, "B1FFF"},  // B numbers above 0xFFF keep their top digit
      {0, CONTACT, 0x1000000A, "YA"},
      {0, CONTACT, 0xF0058105, "J105-10"},
      {0, CONTACT, 0xF000010C, "J112"},
      {11, OUT_COIL, 0xF0000105, "J105"},
      {0, CONTACT, 0x40000005, "T5"},
      {0, CONTACT, 0x20058005, "M5-10"},
      {0, CONTACT & ~CellFlags::OPERAND_SET, 0x20000005, ""},  // no operand yet
      {0, 13u << 4 | 0x800C, 0x5, ""},                          // continuation input
      {0, 0xB9, 0, ""},                                          // a line
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.shown);
    OneCell cell(c.column, c.word0, c.word1);
    EXPECT_EQ(cell.text(), c.shown);
    EXPECT_EQ(cell.text(true), c.shown);
    EXPECT_EQ(name_at(cell.grid, c.column), "");
  }
}

TEST(FormatCellText, UMark) {
  OneCell numbered(0, CONTACT | CellFlags::U_MARK, 0x00130005);
  EXPECT_EQ(numbered.mark(), "U3");
  EXPECT_EQ(numbered.text(), "X5");
  OneCell bare(0, CONTACT | CellFlags::U_MARK, 0x00000005);
  EXPECT_EQ(bare.mark(), "U");
  OneCell label(LABEL_COLUMN, CONTACT | CellFlags::U_MARK, 0xF1000005);
  EXPECT_EQ(label.mark(), "");
  OneCell plain(0, CONTACT, 0x00130005);
  EXPECT_EQ(plain.mark(), "");
}

TEST(FormatCellText, OutputsStayInsideTheirBuffers) {
  auto grid = box_row(Instr::MOV | RecordFlags::D_FORM | RecordFlags::P_FORM,
                      {make_device_operand(Device::D, 0), make_device_operand(Device::D, 1)});
  char small[4] = {'x', 'x', 'x', 'x'};
  char mark[1] = {'x'};
  format_cell_text(grid, {0, 11}, small, mark, false);
  EXPECT_STREQ(small, "DMO");
  EXPECT_EQ(mark[0], '\0');
  char text[CELL_TEXT_BUFFER_SIZE] = "junk";
  char mark_text[MARK_TEXT_BUFFER_SIZE] = "junk";
  format_cell_text(grid, {4, 0}, text, mark_text, false);  // outside the grid
  EXPECT_STREQ(text, "");
  EXPECT_STREQ(mark_text, "");
  format_cell_text(grid, {0, 11}, std::span<char>(), std::span<char>(), false);  // nothing to write into
}

// ---- Special rows ----------------------------------------------------------------------------

TEST(SpecialRowDevices, ListsFromTheRowsAfterEnd) {
  reset_cell_text_state();
  auto grid = make_ladder_grid(8);
  make_new_end_row(grid[0]);
  auto& on = grid[1];
  on.cell[0].word[0] = CellFlags::SPECIAL | 0x8;
  on.cell[0].word[1] = make_device_operand(Device::M, 5);
  on.cell[1].word[0] = CellFlags::SPECIAL | 0x8;
  on.cell[1].word[1] = make_device_operand(Device::Y, 0x1F);
  on.cell[2].word[0] = CellFlags::SPECIAL | 0x9;  // a line ends the list of the row
  on.cell[2].word[1] = make_device_operand(Device::X, 1);
  on.cell[12].word[0] = CellFlags::SPECIAL | SpecialRow::INITIAL_ON;
  auto& group = grid[2];
  group.cell[0].word[0] = CellFlags::SPECIAL | 0x8;
  group.cell[0].word[1] = make_device_operand(Device::M, 1);
  group.cell[1].word[0] = CellFlags::SPECIAL | 0x8;
  group.cell[1].word[1] = make_device_operand(Device::M, 2);
  group.cell[12].word[0] = CellFlags::SPECIAL | SpecialRow::INTERLOCK;
  auto& more = grid[3];
  more.cell[0].word[0] = CellFlags::SPECIAL | 0x8;
  more.cell[0].word[1] = make_device_operand(Device::B, 0x10);
  more.cell[12].word[0] = CellFlags::SPECIAL | SpecialRow::INITIAL_ON;
  make_end_mark_row(grid[4]);
  // A row after the end mark is not part of the grid.
  grid[5] = grid[1];

  auto before = grid;
  format_special_row_devices(grid);
  ASSERT_EQ(g_initial_on_texts.size(), 4u);
  EXPECT_STREQ(g_initial_on_texts[0].data(), "M005");
  EXPECT_STREQ(g_initial_on_texts[1].data(), "Y01F");
  EXPECT_STREQ(g_initial_on_texts[2].data(), "B010");
  EXPECT_STREQ(g_initial_on_texts[3].data(), "");
  ASSERT_EQ(g_interlock_texts.size(), 2u);
  EXPECT_STREQ(g_interlock_texts[0].data(), "M001 M002 ");
  EXPECT_STREQ(g_interlock_texts[1].data(), "");
  EXPECT_EQ(std::memcmp(before.data(), grid.data(), sizeof(LadderRow) * grid.size()), 0);

  // A grid without an END row empties both lists.
  auto no_end = make_ladder_grid(3);
  make_end_mark_row(no_end[1]);
  format_special_row_devices(no_end);
  ASSERT_EQ(g_initial_on_texts.size(), 1u);
  EXPECT_STREQ(g_initial_on_texts[0].data(), "");
  ASSERT_EQ(g_interlock_texts.size(), 1u);
}

TEST(SpecialRowDevices, ResetEmptiesTheLists) {
  auto grid = make_ladder_grid(3);
  make_new_end_row(grid[0]);
  grid[1].cell[0].word[0] = CellFlags::SPECIAL | 0x8;
  grid[1].cell[12].word[0] = SpecialRow::INITIAL_ON;
  format_special_row_devices(grid);  // no end mark: the scan stops at the grid's end
  ASSERT_EQ(g_initial_on_texts.size(), 2u);
  reset_core_state();
  ASSERT_EQ(g_initial_on_texts.size(), 1u);
  EXPECT_STREQ(g_initial_on_texts[0].data(), "");
}

// ---- Text lines ---------------------------------------------------------------------------------

TEST(SplitTextLines, PiecesAndLimits) {
  TextSlot slots[4];
  EXPECT_EQ(split_text_lines("a\nb\n", slots), 3);
  EXPECT_STREQ(slots[0].data(), "a");
  EXPECT_STREQ(slots[1].data(), "b");
  EXPECT_STREQ(slots[2].data(), "");
  EXPECT_EQ(split_text_lines("", slots), 1);
  EXPECT_STREQ(slots[0].data(), "");
  // Pieces beyond the slots are dropped.
  EXPECT_EQ(split_text_lines("1\n2\n3\n4\n5\n6", slots), 4);
  EXPECT_STREQ(slots[3].data(), "4");
  // A long piece is cut to 99 bytes, never inside a double-byte character.
  const std::string long_piece(150, 'x');
  EXPECT_EQ(split_text_lines(long_piece + "\ny", slots), 2);
  EXPECT_EQ(std::strlen(slots[0].data()), 99u);
  EXPECT_STREQ(slots[1].data(), "y");
  const std::string kanji = std::string(98, 'a') + "\x95\x5C";
  EXPECT_EQ(split_text_lines(kanji, slots), 1);
  EXPECT_EQ(std::string(slots[0].data()), std::string(98, 'a'));
}

TEST(NewlinesToBlanks, InPlaceAndBounded) {
  char text[] = "a\nb\n";
  EXPECT_EQ(newlines_to_blanks(text), 4);
  EXPECT_STREQ(text, "a b ");
  char unterminated[3] = {'\n', 'x', '\n'};
  EXPECT_EQ(newlines_to_blanks(unterminated), 3);
  EXPECT_EQ(unterminated[2], ' ');
}

}  // namespace
