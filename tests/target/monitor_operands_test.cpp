#include "target/monitor_operands.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "compiled_program.h"

namespace {

// Row 2 is the first row shown; cells are 70 x 60 pixels with pictures 42 high.
constexpr MonitorGeometry GEOMETRY{2, 60, 42, 5, 70, 70};
constexpr int W = 70;
constexpr int P = 42;

uint32_t dev(const char* text) { return device_operand(text); }

class MonitorOperandsTest : public CompiledProgramTest {
 protected:
  // Compiles the ladder and builds its run-time tables, as a monitor window does.
  void load(std::initializer_list<const char*> rows) {
    compile(rows);
    build_runtime_tables(grid_);
  }

  int format(int row, int column) { return format_monitor_cell(grid_[static_cast<size_t>(row)], row, column, GEOMETRY, texts_); }

  // The texts of one cell, values marked with '='.
  std::vector<std::string> texts(int row, int column) {
    format(row, column);
    std::vector<std::string> out;
    for (int i = 0; i < texts_.count; ++i) {
      const MonitorText& t = texts_.item[static_cast<size_t>(i)];
      out.push_back((t.colour == MONITOR_VALUE_COLOUR ? "=" : "") + std::string(t.text.data()));
    }
    return out;
  }

  MonitorCellTexts texts_;
};

using Texts = std::vector<std::string>;

struct CellCase {
  const char* ladder;
  int column;
  Texts expected;
};

TEST_F(MonitorOperandsTest, OperandTextsOfCompiledCells) {
  const std::vector<CellCase> cases = {
      {"X1A ~ (Y0)", 0, {"X1A"}},
      {"X1A ~ (Y0)", 11, {"Y00"}},
      {"Y0 ~ (M100)", 0, {"Y00"}},
      {"Y0 ~ (M100)", 11, {"M100"}},
      {"T5 ~ (J102)", 0, {"T5"}},
      {"T5 ~ (J102)", 11, {"J102"}},
      {"D3 ~ (B1F)", 0, {"d3"}},
      {"D3 ~ (B1F)", 11, {"B1F"}},
      {"J105 ~ (R0A)", 0, {"J105"}},
      {"J105 ~ (R0A)", 11, {"R0A"}},
      {"X0 ~ [MOV K10 D5]", 10, {}},
      {"X0 ~ [MOV K10 D5]", 11, {"K0010", "D5", "=0"}},
      {"X0 ~ [CMP D5 K10]", 11, {"D5", "K10"}},
      {"X0 ~ [MOV H1F D1]", 11, {"H001F", "D1", "=0"}},
      {"X0 ~ [MOV K4M0 D1]", 11, {"K4M0", "D1", "=0"}},
      {"X0 ~ [MOV K2X10 K4Y20]", 11, {"K2X10", "K4Y20"}},
      {"X0 ~ [MOVK K2 K3Y2]", 11, {"K0002", "B3Y2"}},
      {"X0 ~ [MIVK K3X10 D1]", 11, {"B3X10", "D1", "=0"}},
      {"X0 ~ [+ D1 K5 D2]", 11, {"D1", "K0005", "D2", "=0"}},
      {"X0 ~ [DMOV D0 D2]", 11, {"D0", "D2", "=0"}},
      {"X0 ~ [STEP S5 K3 D1]", 11, {"S005", "K0003", "D1", "=0"}},
      {"X0 ~ [SET M9]", 11, {"M9"}},
      {"X0 ~ [RST T4]", 11, {"T4"}},
      {"X0 ~ (T5 K10)", 11, {"K10"}},
      {"X0 ~ (T5 K10)", 10, {}},
      {"X0 ~ (C2 D3)", 11, {"D3", "=0"}},
      {"X0 {= D0 K5} ~ (Y1)", 1, {"D0", "K5"}},
      {"X0 {D<> K4M0 H10} ~ (Y1)", 1, {"K4M0", "H10"}},
      {"X0 {= D0 K5} ~ (Y1)", 2, {}},
  };
  for (const CellCase& c : cases) {
    SCOPED_TRACE(std::string(c.ladder) + " column " + std::to_string(c.column));
    load({c.ladder});
    EXPECT_EQ(texts(0, c.column), c.expected);
  }
}

struct WordCase {
  uint32_t word1;
  const char* expected;
};

TEST(MonitorOperandTexts, ContactsAndRanges) {
  const WordCase cases[] = {
      {dev("M100") | 0x8000 | 5 << 16, "M100-05"},
      {dev("M0") | 0x8000 | 5 << 16, "M0-5"},
      {dev("X10") | 0x8000 | 15 << 16, "X10-1F"},
      {dev("XF8") | 0x8000 | 15 << 16, "XF8-07"},  // the end keeps two hex digits
      {dev("J105") | 0x8000 | 2 << 16, "J105-07"},
      {dev("T5") | 0x8000 | 3 << 16, "T5"},
      {dev("L2047"), "L2047"},
      {dev("D3") | OperandBits::D_BIT, "d3"},
      {dev("T2046"), "T2046"},
      {dev("T2100"), "T2100?"},  // no record, and never shown as another timer's number
      {dev("C9999"), "C9999?"},
  };
  for (const WordCase& c : cases) {
    char text[MONITOR_TEXT_SIZE];
    format_contact_operand(c.word1, text);
    EXPECT_STREQ(text, c.expected);
  }
}

TEST(MonitorOperandTexts, Coils) {
  const WordCase cases[] = {
      {dev("Y0"), "Y00"},   {dev("M5") | OperandBits::SUFFIX_T, "M5t"}, {dev("T7"), "T7"},
      {dev("J999"), "J999"}, {dev("B123"), "B123"}, {dev("C2047"), "C2047?"},
  };
  for (const WordCase& c : cases) {
    char text[MONITOR_TEXT_SIZE];
    format_coil_operand(c.word1, text);
    EXPECT_STREQ(text, c.expected);
  }
}

TEST(MonitorOperandTexts, BoxOperandsByKindAndConstant) {
  struct Case {
    int code;
    int i;
    bool last;
    uint32_t word0;
    uint32_t word;
    const char* expected;
  };
  const uint32_t K0 = 0x100000, K1 = 0x200000, H1 = 0x2000000;
  const Case cases[] = {
      {Instr::MOV, 0, false, K0, 0x10, "K0010"},
      {Instr::MOV, 1, true, K1, 0x10, "K10"},
      {Instr::MOV, 1, true, K1 | H1, 0xABCDE, "HABCDE"},
      {Instr::TABL, 0, false, K0, 0x5, "K5"},
      {Instr::MOV, 0, false, 0, dev("V3"), "V3"},
      {Instr::MOV, 0, false, 0, dev("R10"), "K0R10"},  // R in a word position is a group
      {Instr::SET, 0, true, 0, dev("R10"), "R16"},     // a single R is written in decimal
      {Instr::SET, 0, true, 0, dev("X1F"), "X1F"},
      {Instr::SET, 0, true, 0, dev("S0A"), "S010"},
      {Instr::PULSE, 0, false, 0, make_digit_group_operand(Device::S, 2, 3), "S003"},
      {Instr::MOV, 1, true, 0, make_digit_group_operand(Device::S, 2, 3), "K2S3"},
      {Instr::MOV, 1, true, 0, make_digit_group_operand(Device::L, 4, 100), "K4L100"},
      {Instr::MOV, 1, true, 0, dev("D32767"), "D32767?"},
      {Instr::STEP, 0, false, 0, make_device_operand(Device::S, 300), "S300?"},
      {Instr::SET, 0, true, 0, dev("M7") | OperandBits::SUFFIX_T, "M7t"},
  };
  for (const Case& c : cases) {
    char text[MONITOR_TEXT_SIZE];
    format_box_operand(c.code, c.i, c.last, false, c.word0, c.word, text);
    EXPECT_STREQ(text, c.expected) << "code " << c.code << " operand " << c.i;
  }
  // A comparison writes its constants short wherever they stand.
  char text[MONITOR_TEXT_SIZE];
  format_box_operand(Instr::CMP_EQ, 0, false, true, K0, 0x100, text);
  EXPECT_STREQ(text, "K100");
}

TEST(MonitorOperandTexts, TextsAreCutToTheirSlot) {
  char small[4];
  format_contact_operand(dev("M100") | 0x8000 | 5 << 16, small);
  EXPECT_STREQ(small, "M10");
  format_box_operand(Instr::MOV, 0, false, false, 0x100000, 0x12345678, std::span<char>(small, 1));
  EXPECT_STREQ(small, "");
  format_coil_operand(dev("Y0"), std::span<char>());  // no room: nothing is written
}

// ---- Values ------------------------------------------------------------------------------------------

TEST_F(MonitorOperandsTest, AMarkedDRegisterShowsItsCurrentWordInHexAboveItsCell) {
  load({"X0 ~ [MOV D1 D2]"});
  g_word_records[Device::D - FIRST_WORD_DEVICE_TYPE][1].word[0] = 255;
  g_word_records[Device::D - FIRST_WORD_DEVICE_TYPE][2].word[0] = 0x12345;
  EXPECT_EQ(texts(0, 11), (Texts{"D1", "D2", "=2345"}));  // the low 16 bits only
  EXPECT_EQ(texts(0, 10), (Texts{"=FF"}));
  const MonitorText& value = texts_.item[0];
  const MonitorRect picture = monitor_cell_picture(GEOMETRY, 0, 10);
  EXPECT_EQ(value.rect, (MonitorRect{picture.left - 8, picture.top - P / 11, picture.right - 8, picture.top + P / 3}));
  EXPECT_EQ(value.format, MonitorTextFormat::CENTRE | MonitorTextFormat::SINGLE_LINE);
  EXPECT_EQ(value.colour, MONITOR_VALUE_COLOUR);
  // The poll stores a new value: the next paint shows it.
  g_word_records[Device::D - FIRST_WORD_DEVICE_TYPE][1].word[0] = 0x7;
  EXPECT_EQ(texts(0, 10), (Texts{"=7"}));
}

TEST_F(MonitorOperandsTest, AStepOperandShowsItsStepRecordRightAligned) {
  load({"X0 ~ [STEP S5 K3 W1]"});
  g_step_records[5].word[0] = 12;
  g_word_records[Device::W - FIRST_WORD_DEVICE_TYPE][1].word[0] = 0xBEEF;
  EXPECT_EQ(texts(0, 8), (Texts{"=12"}));
  EXPECT_EQ(texts_.item[0].format, MonitorTextFormat::RIGHT | MonitorTextFormat::SINGLE_LINE);
  EXPECT_EQ(texts(0, 11), (Texts{"S005", "K0003", "W1", "=BEEF"}));
}

TEST_F(MonitorOperandsTest, TimerCounterAndJValuesAreNotShown) {
  load({"X0 ~ (T5 K10)", "X1 ~ (C3 K2)", "X2 ~ (J102)", "X3 ~ [RST T5]"});
  g_timer_records[5].word[0] = 99;
  EXPECT_EQ(texts(0, 10), Texts{});
  EXPECT_EQ(texts(1, 10), Texts{});
  EXPECT_EQ(texts(2, 11), Texts{"J102"});
  EXPECT_EQ(texts(3, 11), Texts{"T5"});
}

TEST_F(MonitorOperandsTest, ValuesBeyondTheTablesAreShownOutOfRange) {
  load({"X0 ~ [MOV D1 D2]"});
  grid_[0].cell[10].word[3] = dev("D32767") | ValueMark::WORD;
  grid_[0].cell[9].word[3] = make_device_operand(Device::S, 0xFFFF) | ValueMark::STEP;
  grid_[0].cell[8].word[3] = dev("R5") | ValueMark::WORD;  // R has no value format
  EXPECT_EQ(texts(0, 10), (Texts{"=?"}));
  EXPECT_EQ(texts(0, 9), (Texts{"=?"}));
  EXPECT_EQ(texts(0, 8), Texts{});
}

// ---- Cells that end here, and where each text stands --------------------------------------------------

TEST_F(MonitorOperandsTest, ContinuationCellsEndWithoutTexts) {
  load({"X0 ~ (Y0)"});
  LadderRow row = grid_[0];
  row.cell[11].word[0] = (row.cell[11].word[0] & ~CellFlags::PART_CODE_MASK) | PartCode::CONTINUATION_OUT << 4 | CellFlags::CONTINUATION;
  row.cell[11].word[3] = dev("D1") | ValueMark::WORD;
  EXPECT_EQ(format_monitor_cell(row, 0, 11, GEOMETRY, texts_), MONITOR_CELL_ENDS);
  EXPECT_EQ(texts_.count, 0);
  row.cell[0].word[0] = CellWord::CONTACT_BASE | PartCode::CONTINUATION_IN << 4 | CellFlags::CONTINUATION;
  EXPECT_EQ(format_monitor_cell(row, 0, 0, GEOMETRY, texts_), MONITOR_CELL_ENDS);
  // A continuation number in another column is an ordinary operand.
  row.cell[3].word[0] = row.cell[0].word[0];
  EXPECT_EQ(format_monitor_cell(row, 0, 3, GEOMETRY, texts_), MONITOR_CELL_DRAWN);
  EXPECT_EQ(format(0, 0), MONITOR_CELL_DRAWN);
}

TEST_F(MonitorOperandsTest, EachKindOfTextStandsInItsOwnRectangle) {
  load({"X5 {= D0 K12345} ~ [MOV K12345 D1]", "; comment", "X0 ~ (Y0)"});
  // Grid row 0 is painted as the third visible row above row 2: its pictures are one row up.
  const MonitorRect contact = monitor_cell_picture(GEOMETRY, 0, 0);
  EXPECT_EQ(contact, (MonitorRect{70, -115, 140, -73}));
  format(0, 0);
  EXPECT_EQ(texts_.item[0].rect, (MonitorRect{70, -115 - P / 10, 140, -115 + P / 4 + P / 20}));
  EXPECT_EQ(texts_.item[0].format, MonitorTextFormat::CENTRE | MonitorTextFormat::BOTTOM | MonitorTextFormat::SINGLE_LINE);
  EXPECT_EQ(texts_.item[0].colour, MONITOR_OPERAND_COLOUR);

  const int band_top = -115 + P / 2 - P / 6;
  const int band_bottom = -115 + P / 2 + P / 6;
  format(0, 1);  // the comparison anchored in column 1: its operands stand one and two cells right
  const int left1 = monitor_cell_picture(GEOMETRY, 0, 1).left;
  ASSERT_EQ(texts_.count, 2);
  EXPECT_EQ(texts_.item[0].rect, (MonitorRect{left1 + W + W / 14, band_top, left1 + 3 * W + W / 14, band_bottom}));
  // A constant with upper bits stands 16 pixels higher and a third of a cell further left.
  EXPECT_EQ(texts_.item[1].rect,
            (MonitorRect{left1 + 2 * W + W / 14 - W / 3, band_top - 16, left1 + 4 * W + W / 14 - W / 3, band_bottom - 16}));
  EXPECT_EQ(texts_.item[1].format, MonitorTextFormat::LEFT | MonitorTextFormat::VCENTRE | MonitorTextFormat::SINGLE_LINE);

  format(0, 11);  // a box's operands end in the output column
  const int left11 = monitor_cell_picture(GEOMETRY, 0, 11).left;
  ASSERT_EQ(texts_.count, 3);
  EXPECT_STREQ(texts_.item[0].text.data(), "K12345");
  EXPECT_EQ(texts_.item[0].rect, (MonitorRect{left11 - W - W / 3, band_top - 16, left11 + W - W / 3, band_bottom - 16}));
  EXPECT_EQ(texts_.item[1].rect, (MonitorRect{left11, band_top, left11 + 2 * W, band_bottom}));

  format(2, 11);  // an OUT coil: 10 pixels right, in the band, bottom-aligned
  const MonitorRect coil = monitor_cell_picture(GEOMETRY, 2, 11);
  const int top2 = coil.top;
  EXPECT_EQ(texts_.item[0].rect, (MonitorRect{coil.left + 10, top2 + P / 2 - P / 6, coil.right + 10, top2 + P / 2 + P / 6}));
  EXPECT_EQ(texts_.item[0].format, MonitorTextFormat::LEFT | MonitorTextFormat::BOTTOM | MonitorTextFormat::SINGLE_LINE);
}

TEST_F(MonitorOperandsTest, CellsOutsideTheTextColumnsAndWithoutOperandsShowNothing) {
  load({"X0 ~ [MOV D1 D2]"});
  EXPECT_EQ(texts(0, 12), Texts{});
  EXPECT_EQ(texts(0, 15), Texts{});
  EXPECT_EQ(texts(0, -1), Texts{});
  EXPECT_EQ(texts(0, 5), Texts{});  // a line
  EXPECT_EQ(texts(0, 9), Texts{});  // the box's name cell
}

}  // namespace
