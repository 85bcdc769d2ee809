#include "target/runtime_tables.h"

#include <gtest/gtest.h>

#include <cctype>
#include <string>
#include <utility>
#include <vector>

#include "compiled_program.h"

namespace {

constexpr uint32_t UNTOUCHED = 0xA5A5A5A5;  // word 3 of every cell before a build

// An operand as the ladder text spells it, digit groups included (K4Y0).
uint32_t op(const std::string& text) {
  if (text.size() > 2 && text[0] == 'K' && std::isdigit(static_cast<unsigned char>(text[1])) &&
      std::isalpha(static_cast<unsigned char>(text[2]))) {
    const uint32_t device = device_operand(text.substr(2));
    return make_digit_group_operand(operand_device_index(device), text[1] - '0', operand_number(device));
  }
  return device_operand(text);
}

// Instruction records as a controller program lists them.
InstructionRecord rec(uint32_t word0, uint32_t w1 = 0, uint32_t w2 = 0, uint32_t w3 = 0) {
  return {{word0, w1, w2, w3, 0, 0}};
}
uint32_t code_word(int code) { return RecordFlags::VALID | static_cast<uint32_t>(code); }
InstructionRecord ld(const char* device) { return rec(code_word(Instr::LD) | RecordFlags::BLOCK_START, op(device)); }
InstructionRecord and_(const char* device) { return rec(code_word(Instr::AND), op(device)); }
InstructionRecord out(int code, const char* device) { return rec(code_word(code), op(device)); }
// A word instruction; `constants` has bit k set when operand k + 1 is a K constant.
InstructionRecord box(int code, uint32_t w1, uint32_t w2 = 0, uint32_t w3 = 0, uint32_t constants = 0) {
  return rec(code_word(code) | constants << 20, w1, w2, w3);
}
// A comparison contact LD= ... with the constant bits of its two operands in word 1.
InstructionRecord compare(int code, uint32_t a, uint32_t b, uint32_t constants) {
  return rec(0xC001 | RecordFlags::BLOCK_START, static_cast<uint32_t>(code) | constants << 20, a, b);
}
const InstructionRecord END_REC = rec(RecordWord0::END);

uint32_t usage(DeviceIndex type, int entry) {
  return static_cast<uint32_t>(g_device_usage_image[static_cast<size_t>(type)][static_cast<size_t>(entry)].word[0]);
}

std::vector<uint32_t> used_list() {
  std::vector<uint32_t> words;
  for (uint32_t w : g_used_device_list) {
    if (w == USED_DEVICE_LIST_END) break;
    words.push_back(w);
  }
  return words;
}

class RuntimeTablesTest : public CompiledProgramTest {
 protected:
  // Builds the tables of a hand-made list (ended by the end record).
  void build_list(std::vector<InstructionRecord> records, GridSpan grid = {}) {
    records_ = std::move(records);
    records_.push_back(end_record());
    g_instruction_list = records_;
    build_runtime_tables(grid);
  }

  // Compiles the ladder and builds the tables of the compiled program over its grid, whose
  // word 3 is UNTOUCHED everywhere before the build.
  void build_ladder(std::initializer_list<const char*> rows) {
    compile(rows);
    for (LadderRow& row : grid_)
      for (LadderCell& cell : row.cell) cell.word[3] = UNTOUCHED;
    build_runtime_tables(grid_);
  }

  std::vector<InstructionRecord> records_;
};

// ---- The operand an instruction writes ------------------------------------------------------------

TEST(DestinationOperands, DerivedFromTheOperandKinds) {
  const std::pair<int, int> cases[] = {
      {Instr::MOV, 2},  {Instr::ADD, 3},    {Instr::SET, 1},    {Instr::OUT, 1},   {Instr::RST, 1},
      {Instr::LD, 0},   {Instr::ORI, 0},    {Instr::CMP, 0},    {Instr::CMP_EQ, 0}, {Instr::CMP_D_LE, 0},
      {Instr::INC, 1},  {Instr::NEG, 1},    {Instr::ADD_TO, 2}, {Instr::MOVK, 2},  {Instr::MIVK, 2},
      {Instr::MOVD, 2}, {Instr::BMOV, 2},   {Instr::SEG, 2},    {Instr::TIM, 1},   {Instr::STEP, 1},
      {Instr::SERO, 0}, {Instr::ADCO, 2},   {Instr::ASM, 0},    {Instr::END, 0},   {Instr::XCH, 2},
  };
  for (const auto& [code, destination] : cases)
    EXPECT_EQ(g_destination_operands[static_cast<size_t>(code)], destination) << "code " << code;
}

// ---- Usage image, used-device list and the CpuSettings words ---------------------------------------

TEST_F(RuntimeTablesTest, OutAndSetOnYGiveTheirEntriesListWordsAndOutputUsageWords) {
  for (int i = 0; i < 16; ++i) g_cpu_settings.output_usage_words[i] = g_cpu_settings.interrupt_words[i] = 0x5A5A;
  build_ladder({"M0 ~ (Y0)", "M1 ~ [SET Y15]"});

  EXPECT_EQ(usage(Device::Y, 0), 0x1u);
  EXPECT_EQ(usage(Device::Y, 1), 0x20u);  // Y15 is device 0x15: entry 1, bit 5
  EXPECT_EQ(usage(Device::M, 0), 0x3u);
  EXPECT_EQ(used_list(), (std::vector<uint32_t>{0x10000000, 0x10000001, 0x20000000}));
  EXPECT_EQ(g_cpu_settings.interrupt_words[0], 1);
  EXPECT_EQ(g_cpu_settings.interrupt_words[1], 0x20);
  for (int i = 2; i < 16; ++i) EXPECT_EQ(g_cpu_settings.interrupt_words[i], 0) << i;
  for (int i = 0; i < 16; ++i) EXPECT_EQ(g_cpu_settings.output_usage_words[i], 0) << i;
}

struct UsageCase {
  const char* what;
  std::vector<InstructionRecord> records;
  std::vector<std::pair<std::pair<DeviceIndex, int>, uint32_t>> marked;  // every non-zero usage word, in order
};

TEST_F(RuntimeTablesTest, UsageMarksOfEachKindOfRecord) {
  const uint32_t K1 = 0x1;
  const std::vector<UsageCase> cases = {
      {"contacts and bit outputs",
       {ld("X1A"), and_("M20"), out(Instr::OUT, "Y3"), out(Instr::PLS, "M40"), out(Instr::RST, "T7"), END_REC},
       {{{Device::X, 1}, 0x400}, {{Device::Y, 0}, 0x8}, {{Device::M, 1}, 0x10}, {{Device::M, 2}, 0x100},
        {{Device::T, 0}, 0x80}}},
      {"a section after LD M9050 gives its Y outputs second marks until RETRN",
       {ld("M9050"), out(Instr::OUT, "Y0"), ld("X1"), out(Instr::OUT, "Y1"), rec(code_word(Instr::RETRN)),
        ld("X2"), out(Instr::OUT, "Y2"), END_REC},
       {{{Device::X, 0}, 0x6}, {{Device::Y, 0}, 0x20006}}},
      {"IRET ends the section too; LD M9050 inside a rung opens it without skipping",
       {ld("X0"), rec(code_word(Instr::LD), op("M9089")), out(Instr::OUT, "Y4"), rec(code_word(Instr::IRET)),
        ld("X0"), out(Instr::OUT, "Y5"), END_REC},
       {{{Device::X, 0}, 0x1}, {{Device::Y, 0}, 0x100030}}},
      {"OUTD, SETS and RSTS on Y mark both bits",
       {ld("X0"), out(Instr::OUTD, "Y3"), out(Instr::SETS, "Y14"), out(Instr::RSTS, "M5"), END_REC},
       {{{Device::X, 0}, 0x1}, {{Device::Y, 0}, 0x80008}, {{Device::Y, 1}, 0x100010}}},
      {"MOV to K4Y0 marks all four nibbles of Y entry 0",
       {ld("X0"), box(Instr::MOV, op("D0"), op("K4Y0")), END_REC},
       {{{Device::X, 0}, 0x1}, {{Device::Y, 0}, 0xFFFF}}},
      {"MOVD to a Y group marks the second bits too; a source group only its low bits",
       {ld("X0"), box(Instr::MOVD, op("K2X4"), op("K2Y4")), END_REC},
       {{{Device::X, 0}, 0xFF1}, {{Device::Y, 0}, 0x0FF00FF0}}},
      {"a digit group written in the section gets second marks",
       {ld("M9050"), rec(code_word(Instr::INT), op("I0")), ld("X0"), box(Instr::MOV, 0x10, op("K1Y10"), 0, K1),
        END_REC},
       {{{Device::X, 0}, 0x1}, {{Device::Y, 1}, 0xF000F}}},
      {"a group runs on into the next entry",
       {ld("X0"), box(Instr::MOV, op("D0"), op("K3M12")), END_REC},
       {{{Device::X, 0}, 0x1}, {{Device::M, 0}, 0xF000}, {{Device::M, 1}, 0xFF}}},
      {"MOVK writes single bits, with second marks on Y",
       {ld("X0"), box(Instr::MOVK, 0x2, op("K3Y2"), 0, K1), END_REC},
       {{{Device::X, 0}, 0x1}, {{Device::Y, 0}, 0x1C001C}}},
      {"MIVK leaves its source group unmarked",
       {ld("X0"), box(Instr::MIVK, op("K3X10"), op("D1")), END_REC},
       {{{Device::X, 0}, 0x1}}},
      {"a comparison marks its first operand (constant bit 20) and skips a constant second",
       {compare(Instr::CMP_EQ, op("K4M0"), 0x100, 0x2), out(Instr::OUT, "Y0"), END_REC},
       {{{Device::Y, 0}, 0x1}, {{Device::M, 0}, 0xFFFF}}},
      {"a comparison with a constant first operand marks its second",
       {compare(Instr::CMP_GT, 0x100, op("K2M16"), 0x1), out(Instr::OUT, "Y0"), END_REC},
       {{{Device::Y, 0}, 0x1}, {{Device::M, 1}, 0xFF}}},
      {"a constant whose word looks like a digit group marks nothing",
       {ld("X0"), box(Instr::MOV, 0x14000000, op("D3"), 0, K1), END_REC},
       {{{Device::X, 0}, 0x1}}},
      {"TIM marks its timer and a group set value",
       {ld("X0"), box(Instr::TIM, op("T5"), op("K2M0")), END_REC},
       {{{Device::X, 0}, 0x1}, {{Device::M, 0}, 0xFF}, {{Device::T, 0}, 0x20}}},
      {"a J step is marked; a J range is not",
       {ld("J102"), out(Instr::OUT, "J105"), rec(code_word(Instr::LD), op("J110") | 0x38000), END_REC},
       {{{Device::J, 16}, 0x24}}},
      {"an emptied record names no device",
       {ld("X0"), rec(EMPTY_RECORD_WORD0, op("X5")), out(Instr::OUT, "Y0"), END_REC},
       {{{Device::X, 0}, 0x1}, {{Device::Y, 0}, 0x1}}},
      {"LD M9050 just before END does not carry the walk past it",
       {ld("X0"), ld("M9050"), END_REC, ld("X3"), out(Instr::OUT, "Y3")},
       {{{Device::X, 0}, 0x1}}},
      {"the walk stops at END",
       {ld("X0"), out(Instr::OUT, "Y0"), END_REC, ld("X3"), out(Instr::OUT, "Y3")},
       {{{Device::X, 0}, 0x1}, {{Device::Y, 0}, 0x1}}},
  };
  for (const UsageCase& c : cases) {
    SCOPED_TRACE(c.what);
    build_list(c.records);
    std::vector<std::pair<std::pair<DeviceIndex, int>, uint32_t>> marked;
    for (int t = 0; t < IMAGE_TYPES; ++t)
      for (int e = 0; e < IMAGE_ENTRIES; ++e)
        if (usage(t, e) != 0) marked.push_back({{t, e}, usage(t, e)});
    EXPECT_EQ(marked, c.marked);
  }
}

TEST_F(RuntimeTablesTest, ListHoldsMEntriesAbove32ButNoOtherType) {
  build_list({ld("M1000"), and_("X3F0"), and_("X200"), out(Instr::OUT, "Y0"), out(Instr::OUT, "J102"), out(Instr::OUT, "J923"), END_REC});
  // X3F0 is entry 63 and J923 entry 0x91: neither is listed.
  EXPECT_EQ(used_list(), (std::vector<uint32_t>{0x00000020, 0x10000000, 0x20000000 | 62, 0xF0000000 | 0x10}));
}

TEST_F(RuntimeTablesTest, ARebuildLeavesNoMarkOfTheEarlierProgram) {
  build_list({ld("X0"), box(Instr::MOV, op("D0"), op("K4B3F00")), out(Instr::OUT, "Y3"), END_REC});
  ASSERT_EQ(usage(Device::B, 0x3F0), 0xFFFFu);
  ASSERT_EQ(g_cpu_settings.interrupt_words[0], 0x8);
  build_list({ld("X1"), out(Instr::OUT, "Y1"), END_REC});
  EXPECT_EQ(usage(Device::B, 0x3F0), 0u);
  EXPECT_EQ(usage(Device::Y, 0), 0x2u);
  EXPECT_EQ(g_cpu_settings.interrupt_words[0], 0x2);
  EXPECT_EQ(used_list(), (std::vector<uint32_t>{0x00000000, 0x10000000}));
}

TEST_F(RuntimeTablesTest, AFullUsageImageListsEveryEntryInItsRoom) {
  std::vector<InstructionRecord> records;
  for (int t = 0; t < USED_LIST_TYPES; ++t) {
    if (t == Device::F) continue;  // F shares J's code byte: its operands are J's
    for (int e = 0; e < 300; ++e) records.push_back(rec(code_word(Instr::LD), make_device_operand(t, static_cast<uint32_t>(e) << 4)));
  }
  records.push_back(END_REC);
  build_list(records);
  EXPECT_EQ(used_list().size(), static_cast<size_t>(15 * USED_LIST_ENTRIES + USED_LIST_M_ENTRIES));
  EXPECT_EQ(g_used_device_list[USED_DEVICE_LIST_SIZE - 1 - USED_LIST_ENTRIES], USED_DEVICE_LIST_END);
}

// ---- Resets of the run-time values ---------------------------------------------------------------------

TEST_F(RuntimeTablesTest, ResetsTheValuesOfTheProgramsTimersCountersAndSteps) {
  for (auto* table : {&g_timer_records, &g_counter_records})
    for (TimerCounterRecord& r : *table) r.word[0] = 77;
  for (StepRecord& r : g_step_records) r.word[0] = 77;
  g_timer_records[5].word[1] = 77;
  build_ladder({"X0 ~ (T5 K10)", "X1 ~ (C2 D3)", "X2 ~ [STEP S5 K3 D1]", "X3 ~ [PULSE S6 K3 K4]"});
  EXPECT_EQ(g_timer_records[5].word[0], 0);
  EXPECT_EQ(g_counter_records[2].word[0], 0);
  EXPECT_EQ(g_step_records[5].word[0], 0);
  EXPECT_EQ(g_step_records[6].word[0], 0);
  EXPECT_EQ(g_timer_records[2].word[0], 77);
  EXPECT_EQ(g_counter_records[5].word[0], 77);
  EXPECT_EQ(g_step_records[7].word[0], 77);
  EXPECT_EQ(g_timer_records[5].word[1], 77);  // only the current value is reset
}

TEST_F(RuntimeTablesTest, NumbersBeyondTheTablesResetNothing) {
  g_timer_records[4].word[0] = 77;   // T4100 & 0xFFF would be T4
  g_counter_records[4].word[0] = 77;
  g_step_records[44].word[0] = 77;   // S300 & 0xFF would be S44
  build_list({ld("X0"), box(Instr::TIM, op("T4100"), 0x10, 0, 0x2), box(Instr::TIM, op("T2047"), 0x10, 0, 0x2),
              box(Instr::CNT, op("C4100"), 0x10, 0, 0x2), box(Instr::CNT, op("C9999"), 0x10, 0, 0x2),
              box(Instr::STEP, make_device_operand(Device::S, 300), 3, 0x10, 0x6), END_REC});
  EXPECT_EQ(g_timer_records[4].word[0], 77);
  EXPECT_EQ(g_counter_records[4].word[0], 77);
  EXPECT_EQ(g_step_records[44].word[0], 77);
  EXPECT_EQ(timer_record(2047), nullptr);
  EXPECT_EQ(counter_record(2046), &g_counter_records[2046]);
  EXPECT_EQ(step_record(200), nullptr);
}

TEST_F(RuntimeTablesTest, ResetWalkEndsAfterThe2048thTim) {
  std::vector<InstructionRecord> records;
  for (int i = 0; i < 2048; ++i) records.push_back(box(Instr::TIM, op("T1"), 0x10, 0, 0x2));
  records.push_back(box(Instr::CNT, op("C3"), 0x10, 0, 0x2));
  records.push_back(END_REC);
  g_counter_records[3].word[0] = 77;
  build_list(records);
  EXPECT_EQ(g_counter_records[3].word[0], 77);
  records.erase(records.begin());
  build_list(records);
  EXPECT_EQ(g_counter_records[3].word[0], 0);
}

// ---- Value marks in word 3 --------------------------------------------------------------------------------

struct MarkCase {
  const char* ladder;
  std::vector<std::pair<int, uint32_t>> marks;  // column, word 3 of row 0; every other cell untouched
};

TEST_F(RuntimeTablesTest, ValueMarksOfOutputRows) {
  const uint32_t W = ValueMark::WORD;
  const std::vector<MarkCase> cases = {
      {"X0 ~ (T5 D3)", {{10, op("T5") | ValueMark::TIMER}, {11, op("D3") | W}}},
      {"X0 ~ (C2 K10)", {{10, op("C2") | ValueMark::COUNTER}}},
      {"X0 ~ [MOV D1 D2]", {{10, op("D1") | W}, {11, op("D2") | W}}},
      {"X0 ~ [DMOV D0 D2]", {{10, op("D0") | W | ValueMark::DOUBLE}, {11, op("D2") | W | ValueMark::DOUBLE}}},
      {"X0 ~ [MOV K10 D1]", {{11, op("D1") | W}}},
      {"X0 ~ [+ D1 K5 D2]", {{9, op("D1") | W}, {11, op("D2") | W}}},
      {"X0 ~ [MOV D1 K4Y0]", {{10, op("D1") | W}, {11, op("K4Y0")}}},
      {"X0 ~ [MOV T3 D1]", {{10, op("T3") | ValueMark::TIMER}, {11, op("D1") | W}}},
      {"X0 ~ [STEP S5 K3 D1]", {{8, op("S5") | ValueMark::STEP}, {11, op("D1") | W}}},
      {"X0 ~ [PULSE S6 K3 K4]", {{8, op("S6") | ValueMark::STEP}}},
      {"X0 ~ [RST D4]", {{11, op("D4") | W}}},
      {"X0 ~ [RST T4]", {{11, op("T4") | ValueMark::TIMER}}},
      {"X0 ~ [RST C4]", {{11, op("C4") | ValueMark::COUNTER}}},
      {"X0 ~ [RST Y4]", {}},
      {"X0 ~ [SET Y0]", {}},
      {"X0 ~ (J102)", {{11, op("J102") | W}}},
      {"X0 ~ (Y0)", {}},
      {"X0 {= D0 K5} ~ (Y1)", {}},
  };
  for (const MarkCase& c : cases) {
    SCOPED_TRACE(c.ladder);
    build_ladder({c.ladder});
    for (size_t r = 0; r < grid_.size(); ++r)
      for (int column = 0; column < ROW_CELLS; ++column) {
        uint32_t expected = UNTOUCHED;
        for (const auto& [mark_column, word] : c.marks)
          if (r == 0 && mark_column == column) expected = word;
        EXPECT_EQ(grid_[r].cell[column].word[3], expected) << "row " << r << " column " << column;
      }
  }
}

TEST_F(RuntimeTablesTest, MarksStopAtTheEndMarkAndStayInsideTheGrid) {
  // Rows after the end mark are not looked at, and a grid without one ends at its last row.
  LadderGrid grid = ladder_from_text({"X0 ~ [MOV D1 D2]", "END"});
  LadderGrid after = ladder_from_text({"X0 ~ [MOV D1 D2]"}, {.add_end_row = false, .add_end_mark = false});
  grid.push_back(after[0]);
  build_list({ld("X0"), box(Instr::MOV, op("D1"), op("D2")), END_REC}, grid);
  EXPECT_EQ(grid[0].cell[11].word[3], op("D2") | ValueMark::WORD);
  EXPECT_EQ(grid.back().cell[11].word[3], 0u);

  LadderGrid bare = ladder_from_text({"X0 ~ [MOV D1 D2]"}, {.add_end_row = false, .add_end_mark = false});
  build_list({END_REC}, bare);
  EXPECT_EQ(bare[0].cell[11].word[3], op("D2") | ValueMark::WORD);
}

TEST_F(RuntimeTablesTest, ATextBoxMarksNothingBeyondItsOperandCells) {
  // ASM and TABL boxes span ten operand cells, but only cells 11-14 hold operands.
  LadderGrid grid = make_ladder_grid(2);
  for (LadderCell& cell : grid[0].cell) cell.word[3] = UNTOUCHED;
  grid[0].cell[11].word[0] = CellFlags::OUTPUT | CellFlags::PRESENT;
  grid[0].cell[12].word[0] = static_cast<uint32_t>(Instr::TABL);
  grid[0].cell[11].word[1] = op("D7");
  make_end_mark_row(grid[1]);
  build_list({END_REC}, grid);
  EXPECT_EQ(grid[0].cell[2].word[3], op("D7") | ValueMark::WORD);
  for (int c : {0, 1, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15}) EXPECT_EQ(grid[0].cell[c].word[3], UNTOUCHED) << c;
}

TEST(OperandBeyondRuntimeTables, EachTableHasItsOwnSize) {
  const std::pair<const char*, bool> cases[] = {
      {"T2046", false}, {"T2047", true}, {"C2046", false}, {"C9999", true}, {"S0C7", false},
      {"D32766", false}, {"D32767", true}, {"W8191", false}, {"J999", false}, {"X0FFF", false},
      {"M9255", false},
  };
  for (const auto& [text, beyond] : cases) EXPECT_EQ(operand_beyond_runtime_tables(op(text)), beyond) << text;
  EXPECT_TRUE(operand_beyond_runtime_tables(make_device_operand(Device::S, 200)));
  EXPECT_TRUE(operand_beyond_runtime_tables(make_device_operand(Device::J, make_j_number(100, 1))));
  EXPECT_FALSE(operand_beyond_runtime_tables(make_digit_group_operand(Device::M, 4, 9000)));
}

}  // namespace
