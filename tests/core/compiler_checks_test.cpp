#include "core/compiler_checks.h"
#include "core/core_state.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "core/device_tables.h"
#include "core/instruction_tables.h"
#include "core/ladder_compiler.h"
#include "support/ladder_text.h"
#include "support/notice_recorder.h"

namespace {

std::vector<ConversionError> recorded_errors() {
  return std::vector<ConversionError>(g_conversion_errors.begin(), g_conversion_errors.begin() + g_conversion_error_count);
}

// ---- Faulty ladders and their exact error words ---------------------------------------------------

struct FaultCase {
  const char* name;
  std::vector<std::string> ladder;
  std::vector<ConversionError> errors;  // kind << 24 | column << 20 | row
};
void PrintTo(const FaultCase& c, std::ostream* out) { *out << c.name; }

class FaultyLadders : public ::testing::TestWithParam<FaultCase> {
 protected:
  void SetUp() override {
    reset_core_state();
    reset_compiler_state();
  }
  NoticeRecorder recorder;
};

TEST_P(FaultyLadders, RecordExactErrorWords) {
  const FaultCase& c = GetParam();
  auto grid = ladder_from_text(c.ladder);
  auto list = make_instruction_list(200);
  EXPECT_EQ(compile_ladder(nullptr, grid, list, nullptr, 0), CompileResult::ERRORS) << ladder_picture(grid);
  EXPECT_EQ(recorded_errors(), c.errors) << ladder_picture(grid);
  EXPECT_TRUE(recorder.notices.empty());
}

const FaultCase fault_cases[] = {
    {"LinkFromTheFirstRow", {"X0 ^X1 ~ (Y0)"}, {0x05100000}},
    {"LinkWhoseUpperEndTouchesNothing", {"X0 ~ (Y0)", "", "X1 ^X2 ~ (Y1)"}, {0x05100002}},
    {"LinkWhoseLowerEndTouchesNothing", {"X0 ~ (Y0)", ". . . ^"}, {0x07300001}},
    {"GapInARow", {"X0 . X1 ~ (Y0)"}, {0x07100000}},
    {"PartWithNothingOnItsLeft", {"X0 ~ (Y0)", ". . X1 ~ (Y1)"}, {0x07100001}},
    {"CoilFedByLinesOnly", {"X0 ~ (Y0)", "~ (Y1)"}, {0x07A00001}},
    {"BoxFedByLinesOnly", {"X0 ~ (Y0)", "~ [MOV D0 D1]"}, {0x07800001}},
    {"UnsetContact", {"? ~ (Y0)"}, {0x06000000}},
    {"UnsetCoil", {"X0 ~ (?)"}, {0x06B00000}},
    {"UnsetBox", {"X0 ~ [MOV]"}, {0x06900000}},
    {"UnsetTimer", {"X0 ~ (T?)"}, {0x06A00000}},
    {"UnsetComparison", {"{=} ~ (Y0)"}, {0x06000000}},
    {"UnsetLabel", {"?: X0 ~ (Y0)"}, {0x06F00000}},
    {"UMarkWithoutItsNumber", {"X0 ~ (Y0)", ".5 ^@- ~ (Y1)", ".5 ^- ~ (Y2)"}, {0x06500001}},
    {"EveryUnsetOperandIsListed", {"? /? ~ (?)", "X0 ~ [MOV]"}, {0x06000000, 0x06100000, 0x06B00000, 0x06900001}},
    {"RowsCountProgramRowsOnly", {"; note", "X0 ~ (Y0)", "; note", "? ~ (Y1)"}, {0x06000001}},
    {"FirstPartIsABox", {"~ [MOV D0 D1]"}, {0x07800000, 0x0B900000}},
    {"ProgramOfItsEndRowOnly", {"END"}, {0x0BB00000}},
    {"FirstPartAfterACommentIsABox", {"; note", "~ [SET Y0]"}, {0x07900000, 0x0BA00000}},
    {"ContinuationNumbersDiffer", {"X0 ~ (>7)", ">8 ~ (Y0)"}, {0x07B00000}},
    {"ContinuationWithoutItsInput", {"X0 ~ (>7)", "X1 ~ (Y0)"}, {0x07B00000}},
    {"LinesOnlyAmongParallelRows", {"X0 X1 ~ (Y0)", "^- ^"}, {0x09000001}},
    // A row of lines alone may feed an instruction that takes no input (DI, EI, ...); joined
    // to a rung in the output column it is one of that rung's parallel rows all the same, and
    // its OR would have nothing to join.
    {"LinesOnlyJoinedAtTheOutputColumn", {"X0 ~ (Y0)", "~ ^[DI]"}, {0x09000001}},
    {"LinesOnlyWithAnOutputLinkedUnderIt", {"X0 ~ (Y0)", "~ [EI]", "X1 ~ ^(Y1)"}, {0x09000001}},
    {"TwoRowsOfLinesJoinedAtTheOutputColumn", {"X0 ~ (Y0)", "~ [DI]", "~ ^[EI]"}, {0x09000001}},
    {"BridgeThatCannotBeCut", {"X0 X1 X2 ~ (Y0)", "^X3 ^X4 X5 ^", "^X6 - ^X7 ^"}, {0x03000000}},
    {"LogicNotFromABranchPoint", {"X0 ~ (Y0)", ". . . ^X1 ~ (Y1)", "^X2 - - X3 ^"}, {0x04300002}},
    {"BtonjWithoutItsJumpPoint", {"X0 ~ (Y0)", ".5 ^- ~ (Y1)", ".5 ^- ~ [BTONJ U3]", ".5 ^- ~ (Y3)"}, {0x1BB00002}},
    {"BtonjOnTheLowestBranch", {"X0 ~ (Y0)", ".5 ^@3- ~ (Y1)", ".5 ^- ~ [BTONJ U3]"}, {0x1CB00002}},
    {"JumpPointOnTheLowestBranch", {"X0 ~ (Y0)", ".5 ^- ~ (Y1)", ".5 ^@3- ~ (Y2)"}, {0x1CB00002}},
    {"JumpPointNumberNeedsAllFourBits", {"X0 ~ (Y0)", ".5 ^@1- ~ (Y1)", ".5 ^- ~ [BTONJ U9]", ".5 ^- ~ (Y3)"},
     {0x1BB00002}},
    {"RungErrorsCarryDisplayRows", {"; note", "X0 X1 ~ (Y0)", "^- ^"}, {0x09000001}},
};

INSTANTIATE_TEST_SUITE_P(Ladders, FaultyLadders, ::testing::ValuesIn(fault_cases),
                         [](const ::testing::TestParamInfo<FaultCase>& info) { return std::string(info.param.name); });

// Ladders the checks must let through (each would fail if a check were too strict).
struct CleanCase {
  const char* name;
  std::vector<std::string> ladder;
};
void PrintTo(const CleanCase& c, std::ostream* out) { *out << c.name; }

class CleanLadders : public ::testing::TestWithParam<CleanCase> {
 protected:
  void SetUp() override {
    reset_core_state();
    reset_compiler_state();
  }
};

TEST_P(CleanLadders, PassEveryGridCheck) {
  auto grid = ladder_from_text(GetParam().ladder);
  g_program_row_count = count_program_rows(grid);
  EXPECT_EQ(check_vertical_links(grid), 0) << ladder_picture(grid);
  EXPECT_EQ(check_open_wiring(grid), 0) << ladder_picture(grid);
  EXPECT_EQ(check_operands_and_duplicates(grid), 0) << ladder_picture(grid);
  EXPECT_EQ(check_first_contact_and_continuations(grid), 0) << ladder_picture(grid);
  EXPECT_EQ(recorded_errors(), std::vector<ConversionError>{});
}

const CleanCase clean_cases[] = {
    {"InputlessRows", {"X0 ~ (Y0)", "~ [MCR N0]", "~ [FEND]", "~ [IEND]", "~ [SEND]", "~ [RET]", "~ [COM]", "~ [EI]", "~ [DI]"}},
    {"RepeatedMemoryCoils", {"X0 ~ (M0)", "X1 ~ (M0)"}},
    {"RepeatedResets", {"X0 ~ [RST Y0]", "X1 ~ [RST Y0]"}},
    {"LinkGoingOnUpward", {"X0 - - X1 ~ (Y0)", ". . . ^ . . ^- ~ (Y1)", ". . . ^- ~ (Y2)"}},
    {"ComparisonFirst", {"{>= D0 K10} ~ (Y0)"}},
    {"ProgramStartsAfterAComment", {"; about", "X0 ~ (Y0)"}},
    {"MatchingContinuation", {"X0 ~ (>7)", ">7 ~ (Y0)"}},
    {"JumpPointWithItsNumber", {"X0 ~ (Y0)", ".5 ^@3- ~ (Y1)", ".5 ^- ~ (Y2)"}},
};

INSTANTIATE_TEST_SUITE_P(Ladders, CleanLadders, ::testing::ValuesIn(clean_cases),
                         [](const ::testing::TestParamInfo<CleanCase>& info) { return std::string(info.param.name); });

// ---- Duplicate outputs ------------------------------------------------------------------------------

struct DuplicateCase {
  const char* name;
  std::vector<std::string> ladder;
  int result;
};
void PrintTo(const DuplicateCase& c, std::ostream* out) { *out << c.name; }

class DuplicateOutputs : public ::testing::TestWithParam<DuplicateCase> {
 protected:
  void SetUp() override { reset_core_state(); }
};

TEST_P(DuplicateOutputs, ReturnMinusTheLaterDisplayRow) {
  auto grid = ladder_from_text(GetParam().ladder);
  g_program_row_count = count_program_rows(grid);
  EXPECT_EQ(check_operands_and_duplicates(grid), GetParam().result) << ladder_picture(grid);
}

const DuplicateCase duplicate_cases[] = {
    {"SameCoil", {"X0 ~ (Y0)", "X1 ~ (Y0)"}, -1},
    {"CoilAndSet", {"X0 ~ (Y5)", "X1 ~ (Y4)", "X2 ~ [SET Y5]"}, -2},
    {"SameTimer", {"X0 ~ (T0 K10)", "; c", "X1 ~ (T0 K20)"}, -1},
    {"SameCounterByPulse", {"X0 ~ (C3 K1)", "X1 ~ [PLS C3]"}, -1},
    {"DifferentCoils", {"X0 ~ (Y0)", "X1 ~ (Y1)"}, 0},
    {"MemoryMayRepeat", {"X0 ~ (M0)", "X1 ~ (M0)"}, 0},
    {"FirstDuplicateWins", {"X0 ~ (Y0)", "X1 ~ (Y1)", "X2 ~ (Y1)", "X3 ~ (Y0)"}, -2},
};

INSTANTIATE_TEST_SUITE_P(Ladders, DuplicateOutputs, ::testing::ValuesIn(duplicate_cases),
                         [](const ::testing::TestParamInfo<DuplicateCase>& info) { return std::string(info.param.name); });

TEST(DuplicateOutputsMany, DuplicateAfterAThousandOutputsIsFound) {
  reset_core_state();
  std::vector<std::string> rows;
  char text[32];
  for (int i = 0; i < 1200; ++i) {
    std::snprintf(text, sizeof text, "X0 ~ (Y%X)", i);
    rows.push_back(text);
  }
  rows.push_back("X1 ~ (Y4AF)");
  auto grid = ladder_from_text(rows);
  g_program_row_count = count_program_rows(grid);
  EXPECT_EQ(check_operands_and_duplicates(grid), -1200);
}

TEST(DuplicateOutputsMany, PrintedLowerCaseOutputsMayRepeat) {
  reset_core_state();
  auto grid = ladder_from_text({"X0 ~ (Y0)", "X1 ~ (Y0)"});
  grid[0].cell[11].word[1] |= 0x400000;
  grid[1].cell[11].word[1] |= 0x400000;
  g_program_row_count = count_program_rows(grid);
  EXPECT_EQ(check_operands_and_duplicates(grid), 0);
}

TEST(DuplicateOutputsMany, UnsetOperandsStayRecordedBesideTheDuplicate) {
  reset_core_state();
  auto grid = ladder_from_text({"? ~ (Y0)", "X1 ~ (Y0)"});
  g_program_row_count = count_program_rows(grid);
  EXPECT_EQ(check_operands_and_duplicates(grid), -1);
  EXPECT_EQ(recorded_errors(), std::vector<ConversionError>{0x06000000});
}

// ---- Error texts ------------------------------------------------------------------------------------

TEST(CompileErrorTexts, KindsFindTheirTexts) {
  EXPECT_STREQ(compile_error_text(0), "ＥＮＤ命令が無いか、ファイルが壊れています！");
  EXPECT_STREQ(compile_error_text(3), "複雑すぎる論理を取っています！");
  EXPECT_STREQ(compile_error_text(14), "自関数内には桁指定命令を含むことは出来ません！ ");
  EXPECT_STREQ(compile_error_text(28), "UﾎﾟｲﾝﾄとBTONJ命令は分岐の最上段と最下段には置けません！");
  EXPECT_STREQ(compile_error_text(30), "コメント行とASM・TABLの文は合わせて500までです！");
  EXPECT_STREQ(compile_error_text(31), "");
  // "表" has the trail byte 0x5C in Shift-JIS; the bytes must survive the source charset.
  const char* text = compile_error_text(0);
  EXPECT_EQ(static_cast<unsigned char>(text[0]), 0x82u);
  EXPECT_EQ(static_cast<unsigned char>(text[1]), 0x64u);
}

// ---- Jump points -------------------------------------------------------------------------------------

InstructionRecord rec(int code, uint32_t word1 = 0) {
  return InstructionRecord{{0x8000u | static_cast<uint32_t>(code), word1, 0, 0, 0, 0}};
}
InstructionRecord rung(uint32_t operand) { return InstructionRecord{{0x9001, operand, 0, 1, 0, 0}}; }
uint32_t P(uint32_t n) { return make_device_operand(Device::P, n); }
uint32_t I(uint32_t n) { return make_device_operand(Device::I, n); }
uint32_t U(uint32_t n) { return make_device_operand(Device::U, n); }
uint32_t M(uint32_t n) { return make_device_operand(Device::M, n); }
uint32_t X(uint32_t n) { return make_device_operand(Device::X, n); }

InstructionList list_of(std::vector<InstructionRecord> records) {
  records.push_back(rec(Instr::END));
  records.push_back(end_record());
  return records;
}

struct JumpCase {
  const char* name;
  std::vector<InstructionRecord> records;
  int result;
  std::vector<std::string> notices;
};
void PrintTo(const JumpCase& c, std::ostream* out) { *out << c.name; }

class JumpPoints : public ::testing::TestWithParam<JumpCase> {};

TEST_P(JumpPoints, PairUp) {
  NoticeRecorder recorder;
  const JumpCase& c = GetParam();
  const InstructionList list = list_of(c.records);
  EXPECT_EQ(check_jump_points(list), c.result);
  std::vector<std::string> texts;
  for (const RecordedNotice& n : recorder.notices) {
    texts.push_back(n.text);
    EXPECT_EQ(n.caption, "警告");
    EXPECT_EQ(n.owner, nullptr);
  }
  EXPECT_EQ(texts, c.notices);
}

const JumpCase jump_cases[] = {
    {"JumpBeforeFend", {rec(Instr::CJ, P(5)), rec(Instr::JME, P(5)), rec(Instr::FEND)}, 0, {}},
    {"JumpPointAfterFend",
     {rec(Instr::CJ, P(5)), rec(Instr::FEND), rec(Instr::JME, P(5))},
     -1,
     {"SCALL命令先のﾎﾟｲﾝﾄはFEND命令の後に、又は、\nCJ命令の先のｼﾞｬﾝﾌﾟﾎﾟｲﾝﾄはFEND命令の前に\n各々置いてください！ P5が問題です"}},
    {"JumpAfterFend", {rec(Instr::FEND), rec(Instr::CJ, P(2)), rec(Instr::JME, P(2))}, -1,
     {"CJ命令はFENDの後には置けません！\nP2が問題です"}},
    {"JumpToTheEndNeedsNoPoint", {rec(Instr::CJ, P(255))}, 0, {}},
    {"CallPointBeforeFend",
     {rec(Instr::SCALL, P(3)), rec(Instr::JME, P(3)), rec(Instr::FEND)},
     -1,
     {"SCALL命令先のﾎﾟｲﾝﾄはFEND命令の後に、又は、\nCJ命令の先のｼﾞｬﾝﾌﾟﾎﾟｲﾝﾄはFEND命令の前に\n各々置いてください！ P3が問題です"}},
    {"CallPointWithoutFend", {rec(Instr::SCALL, P(3)), rec(Instr::JME, P(3))}, -1,
     {"SCALL命令先のﾎﾟｲﾝﾄはFEND命令の後に、又は、\nCJ命令の先のｼﾞｬﾝﾌﾟﾎﾟｲﾝﾄはFEND命令の前に\n各々置いてください！ P3が問題です"}},
    {"CallPointAfterFend", {rec(Instr::SCALL, P(3)), rec(Instr::FEND), rec(Instr::JME, P(3)), rec(Instr::RETRN)}, 0, {}},
    {"PointNeverJumpedTo", {rec(Instr::JME, P(4))}, -1, {"ﾎﾟｲﾝﾄP4は利用されていないか、ダブっています！"}},
    {"PointTwice", {rec(Instr::CJ, P(4)), rec(Instr::JME, P(4)), rec(Instr::JME, P(4))}, -1,
     {"ﾎﾟｲﾝﾄP4は利用されていないか、ダブっています！"}},
    {"JumpWithoutItsPoint", {rec(Instr::CJ, P(7))}, -1, {"ｼﾞｬﾝﾌﾟ先、又はｺｰﾙ先･ﾎﾟｲﾝﾄP7が不足しています！"}},
    {"InterruptWithoutItsPoint", {rec(Instr::INT, I(1))}, -1, {"ｼﾞｬﾝﾌﾟ先、又はｺｰﾙ先･ﾎﾟｲﾝﾄI1が不足しています！"}},
    {"BtonjWithoutItsPoint", {rec(Instr::BTONJ, U(3))}, -1, {"ｼﾞｬﾝﾌﾟ先、又はｺｰﾙ先･ﾎﾟｲﾝﾄU3が不足しています！"}},
    {"BtonjWithItsPoint", {rec(Instr::JMS, U(3)), rec(Instr::BTONJ, U(3))}, 0, {}},
    {"InterruptPointNotCalledGoesOn", {rec(Instr::JMI, I(2))}, 0, {"ﾎﾟｲﾝﾄI2は利用されていないか\nダブっています！"}},
    {"InterruptPointBeforeSend",
     {rec(Instr::INT, I(1)), rec(Instr::JMI, I(1)), rec(Instr::SEND)},
     -1,
     {"INT命令のﾎﾟｲﾝﾄはIEND命令の後に\n置いてください！ I1が問題です"}},
    {"InterruptPointAfterSend", {rec(Instr::INT, I(1)), rec(Instr::SEND), rec(Instr::JMI, I(1))}, 0, {}},
    {"CallLabelOutsideItsTable", {rec(Instr::SCALL, P(150))}, -1, {"ﾎﾟｲﾝﾄP150は使えません！\nPの番号は0～99にして下さい"}},
    {"PointLabelOutsideItsTable", {rec(Instr::JME, P(100))}, -1, {"ﾎﾟｲﾝﾄP100は使えません！\nPの番号は0～99にして下さい"}},
    {"InterruptLabelOutsideItsTable", {rec(Instr::INT, I(20))}, -1, {"ﾎﾟｲﾝﾄI20は使えません！\nIの番号は0～15にして下さい"}},
    {"JumpPointLabelOutsideItsTable", {rec(Instr::JMS, U(16))}, -1, {"ﾎﾟｲﾝﾄU16は使えません！\nUの番号は0～15にして下さい"}},
};

INSTANTIATE_TEST_SUITE_P(Lists, JumpPoints, ::testing::ValuesIn(jump_cases),
                         [](const ::testing::TestParamInfo<JumpCase>& info) { return std::string(info.param.name); });

TEST(JumpPointsBounds, RecordsAfterEndAreNotRead) {
  NoticeRecorder recorder;
  const InstructionList list = {rec(Instr::CJ, P(1)), rec(Instr::JME, P(1)), rec(Instr::END), rec(Instr::CJ, P(7)),
                                end_record()};
  EXPECT_EQ(check_jump_points(list), 0);
  EXPECT_TRUE(recorder.notices.empty());
}

TEST(JumpPointsBounds, ListWithoutEndRecordIsReadWithinItsSpan) {
  NoticeRecorder recorder;
  std::vector<InstructionRecord> storage = {rec(Instr::CJ, P(1)), rec(Instr::JME, P(1)), rec(Instr::CJ, P(2))};
  EXPECT_EQ(check_jump_points(ConstListSpan(storage.data(), 2)), 0);
  EXPECT_TRUE(recorder.notices.empty());
}

// ---- Program sections ------------------------------------------------------------------------------

struct SectionCase {
  const char* name;
  std::vector<InstructionRecord> records;
  int result;
  uint32_t mask;  // bits 0-27 of base_value afterwards (when the check got to the end)
};
void PrintTo(const SectionCase& c, std::ostream* out) { *out << c.name; }

class ProgramSections : public ::testing::TestWithParam<SectionCase> {};

// The settings start with every interrupt bit of an earlier program set (bits 0-27):
// a check that gets to the end leaves only the bits of this program, and bits 28-31.
TEST_P(ProgramSections, AreInTheirOrder) {
  g_cpu_settings.base_value = static_cast<int32_t>(0xABCD5555);
  const SectionCase& c = GetParam();
  const InstructionList list = list_of(c.records);
  TableFlags tables{};
  int32_t uses_tables = 0;
  EXPECT_EQ(check_program_sections(list, tables, uses_tables), c.result);
  const uint32_t expected = c.result < 0 ? 0xABCD5555u : (0xA0000000u | c.mask);
  EXPECT_EQ(static_cast<uint32_t>(g_cpu_settings.base_value), expected);
}

const SectionCase section_cases[] = {
    {"Plain", {rung(X(0)), rec(Instr::OUT)}, 0, 0},
    {"InterruptTriggerWithoutIend", {rung(M(9050)), rec(Instr::OUT)}, 1, 0},
    {"LateInterruptTriggerWithoutIendPasses", {rung(M(9060)), rec(Instr::OUT)}, 0, 0},
    {"SoftInterruptTriggerWithoutSend", {rung(M(9075)), rec(Instr::OUT)}, 1, 0},
    {"TriggerNotOpeningARungIsNone", {rung(X(0)), rec(Instr::LD, M(9050))}, 0, 0},
    {"IendWithoutRoutine", {rec(Instr::IEND), rung(X(0)), rec(Instr::OUT)}, -2, 0},
    {"InterruptRoutine", {rec(Instr::IEND), rung(M(9051)), rec(Instr::OUT), rung(X(1)), rec(Instr::IRET)}, 0, 0x2},
    {"TwoInterruptRoutines",
     {rec(Instr::IEND), rung(M(9050)), rung(X(1)), rec(Instr::IRET), rung(M(9065)), rung(X(2)), rec(Instr::IRET)},
     0,
     0x8001},
    {"InterruptRoutineEndedByRetrn", {rec(Instr::IEND), rung(M(9051)), rung(X(1)), rec(Instr::RETRN)}, -3, 0},
    {"InterruptRoutineRunsIntoEnd", {rec(Instr::IEND), rung(M(9051)), rung(X(1)), rec(Instr::OUT)}, -4, 0},
    {"TriggerInsideARoutine", {rec(Instr::IEND), rung(M(9051)), rung(M(9052)), rec(Instr::IRET)}, -4, 0},
    {"SoftInterruptRoutine", {rec(Instr::SEND), rung(M(9070)), rung(X(1)), rec(Instr::RETRN)}, 0, 0x100},
    {"SoftInterruptRoutinesAboveBit15",
     {rec(Instr::SEND), rung(M(9078)), rung(X(1)), rec(Instr::RETRN), rung(M(9089)), rung(X(2)), rec(Instr::RETRN)},
     0,
     0x08010000},
    {"BothKindsOfRoutine",
     {rec(Instr::IEND), rung(M(9052)), rung(X(1)), rec(Instr::IRET), rec(Instr::SEND), rung(M(9081)), rung(X(2)),
      rec(Instr::RETRN)},
     0,
     0x00080004},
    {"SoftInterruptRoutineEndedByIret", {rec(Instr::SEND), rung(M(9070)), rung(X(1)), rec(Instr::IRET)}, -3, 0},
    {"SendWithoutRoutine", {rec(Instr::SEND), rung(X(1))}, -2, 0},
    {"FendWithoutRetrn", {rung(X(0)), rec(Instr::FEND), rung(X(1)), rec(Instr::OUT)}, -4, 0},
    {"FendRunsIntoIret", {rec(Instr::FEND), rung(X(1)), rec(Instr::IRET)}, -3, 0},
    {"SubroutineSection", {rec(Instr::FEND), rung(X(1)), rec(Instr::RETRN)}, 0, 0},
    {"IretWithoutIend", {rung(X(0)), rec(Instr::IRET)}, 1, 0},
};

INSTANTIATE_TEST_SUITE_P(Lists, ProgramSections, ::testing::ValuesIn(section_cases),
                         [](const ::testing::TestParamInfo<SectionCase>& info) { return std::string(info.param.name); });

TEST(ProgramSectionsTables, TableReadsAreNoted) {
  auto table_read = [](uint32_t number, bool hex) {
    InstructionRecord r = rec(Instr::RDTBL, number);
    r.word[0] |= RecordFlags::CONSTANT_0 | (hex ? RecordFlags::HEX_0 : 0);
    return r;
  };
  struct Case {
    InstructionRecord record;
    int flag;
  } cases[] = {
      {table_read(0x3, false), 3},    // K3
      {table_read(0x12, false), 12},  // K12 is stored digit by digit
      {table_read(0xC, true), 12},    // H0C
      {table_read(0x0, false), 0},    // K0: no such table
      {table_read(0x16, false), 0},   // K16: no such table
      {rec(Instr::RDTBL, 3), 0},      // not a constant
  };
  for (const Case& c : cases) {
    const InstructionList list = list_of({c.record});
    TableFlags tables{};
    int32_t uses_tables = 0;
    EXPECT_EQ(check_program_sections(list, tables, uses_tables), 0);
    EXPECT_EQ(uses_tables, 1);
    TableFlags expected{};
    expected[static_cast<size_t>(c.flag)] = 1;
    EXPECT_EQ(tables, expected) << record_text(c.record);
  }
  const InstructionList asm_list = list_of({rec(Instr::ASM, 1)});
  TableFlags tables{};
  int32_t uses_tables = 0;
  EXPECT_EQ(check_program_sections(asm_list, tables, uses_tables), 0);
  EXPECT_EQ(uses_tables, 1);
  EXPECT_EQ(tables, TableFlags{});
}

// ---- TABLE rows ------------------------------------------------------------------------------------

struct TableCase {
  const char* name;
  std::vector<std::string> ladder;
  std::vector<int> flags;
  int result;
};
void PrintTo(const TableCase& c, std::ostream* out) { *out << c.name; }

class TableRows : public ::testing::TestWithParam<TableCase> {};

TEST_P(TableRows, MatchTheTablesRead) {
  reset_core_state();
  auto grid = ladder_from_text(GetParam().ladder);
  TableFlags tables{};
  for (int f : GetParam().flags) tables[static_cast<size_t>(f)] = 1;
  EXPECT_EQ(check_table_rows(grid, tables), GetParam().result) << ladder_picture(grid);
}

const TableCase table_cases[] = {
    {"OneTable", {"X0 [TABL K1] | TABLE3: 1,2,3"}, {3}, 0},
    {"TableMissing", {"X0 ~ (Y0)"}, {3}, -1},
    {"TableTwice", {"X0 [TABL K1] | TABLE3: 1", "X1 [TABL K1] | TABLE3: 2"}, {3}, -1},
    {"TableNotRead", {"X0 [TABL K1] | TABLE4: 1"}, {}, -1},
    {"TwoDigitTable", {"X0 [TABL K1] | TABLE12: 1"}, {12}, 0},
    {"TableZero", {"X0 [TABL K1] | TABLE0: 1"}, {0}, -1},
    {"TableSixteen", {"X0 [TABL K1] | TABLE16: 1"}, {}, -1},
    {"TableWithoutNumber", {"X0 [TABL K1] | TABLE: 1"}, {}, -1},
    {"AssemblerTextIsNoTable", {"X0 [ASM K1] | MOV A,B"}, {}, 0},
    {"WalkStopsAtItsMark", {"X0 [TABL K1] | 0F0F0F0F0", "X1 [TABL K1] | TABLE5: 1"}, {}, 0},
};

INSTANTIATE_TEST_SUITE_P(Grids, TableRows, ::testing::ValuesIn(table_cases),
                         [](const ::testing::TestParamInfo<TableCase>& info) { return std::string(info.param.name); });

}  // namespace
