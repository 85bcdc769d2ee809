#include "core/ladder_compiler.h"
#include "core/core_state.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "core/compiler_checks.h"
#include "core/device_tables.h"
#include "support/instruction_records.h"
#include "support/ladder_text.h"
#include "support/notice_recorder.h"
#include "support/stack_evaluator.h"

namespace {

using il::C;
using il::D;
using il::M;
using il::N;
using il::P;
using il::U;
using il::T;
using il::X;
using il::Y;
inline uint32_t DBIT(uint32_t n) { return il::Dbit(n); }
constexpr uint32_t at(int row, int col) { return source_position(row, col); }

constexpr InstructionRecord MPS(uint32_t group, uint32_t level) { return {{0x800C, 0, group, level, 0, 0}}; }
constexpr InstructionRecord MRD(uint32_t group, uint32_t level) { return {{0x800D, 0, group, level, 0, 0}}; }
constexpr InstructionRecord MPP(uint32_t group, uint32_t level) { return {{0x800E, 0, group, level, 0, 0}}; }
constexpr InstructionRecord ORB{{0x8008, 0, 0, 0, 0, 0}};
constexpr InstructionRecord END(int row) { return {{0x9010, 0, 0, 0, 0, at(row, 11)}}; }

class CompilerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    reset_core_state();
    reset_compiler_state();
  }
  int compile(LadderGrid& grid, int capacity = 200) {
    list = make_instruction_list(capacity);
    return compile_ladder(&owner, grid, list, nullptr, 0);
  }
  std::vector<ConversionError> errors() const {
    return std::vector<ConversionError>(g_conversion_errors.begin(), g_conversion_errors.begin() + g_conversion_error_count);
  }

  int owner = 0;  // stands for the owner window
  NoticeRecorder recorder;
  InstructionList list;
};

// ---- Small ladders and their exact records -----------------------------------------------------

struct RecordCase {
  const char* name;
  std::vector<std::string> ladder;
  std::vector<InstructionRecord> records;
};
void PrintTo(const RecordCase& c, std::ostream* out) { *out << c.name; }

class CompileRecords : public CompilerTest, public ::testing::WithParamInterface<RecordCase> {};

TEST_P(CompileRecords, GivesExactRecords) {
  const RecordCase& c = GetParam();
  auto grid = ladder_from_text(c.ladder);
  ASSERT_EQ(compile(grid), CompileResult::OK) << ladder_picture(grid) << ::testing::PrintToString(errors());
  EXPECT_EQ(list_records(list), c.records) << ladder_picture(grid) << "got:\n" << records_text(list_records(list));
  EXPECT_EQ(g_end_record_index, static_cast<int>(c.records.size()) - 1);
  EXPECT_TRUE(recorder.notices.empty());
}

const RecordCase record_cases[] = {
    {"SeriesContacts",
     {"X0 X1 ~ (Y0)"},
     {{{0x9001, X(0), 0, 1, 0, at(0, 0)}},
      {{0x8003, X(1), 0, 1, 0, at(0, 1)}},
      {{0x800F, Y(0), 0, 7, 0, at(0, 11)}},
      END(1)}},
    {"BContactsAndPartCodes",
     {"/X0 X1#3 /X2#6 ~ (Y0)"},
     {{{0x9002, X(0), 0, 2, 0, at(0, 0)}},
      {{0x8003, X(1), 0, 3, 0, at(0, 1)}},
      {{0x8004, X(2), 0, 6, 0, at(0, 2)}},
      {{0x800F, Y(0), 0, 7, 0, at(0, 11)}},
      END(1)}},
    {"ParallelThenSeries",  // LD LD ORB LD ANB folds to LD OR AND
     {"X0 X1 ~ (Y0)",
      "^X2 ^"},
     {{{0x9001, X(0), 0, 1, 0, at(0, 0)}},
      {{0x8005, X(2), 0, 1, 0, at(1, 0)}},
      {{0x8003, X(1), 0, 1, 0, at(0, 1)}},
      {{0x800F, Y(0), 0, 7, 0, at(0, 11)}},
      END(2)}},
    {"ParallelBContact",
     {"X0 ~ (Y0)",
      "^/X1 ^"},
     {{{0x9001, X(0), 0, 1, 0, at(0, 0)}},
      {{0x8006, X(1), 0, 2, 0, at(1, 0)}},
      {{0x800F, Y(0), 0, 7, 0, at(0, 11)}},
      END(2)}},
    {"SeriesInsideParallel",  // (X0 + X1 X2) X3: the two-contact branch keeps its ORB
     {"X0 - X3 ~ (Y0)",
      "^X1 X2 ^"},
     {{{0x9001, X(0), 0, 1, 0, at(0, 0)}},
      {{0x8001, X(1), 0, 1, 0, at(1, 0)}},
      {{0x8003, X(2), 0, 1, 0, at(1, 1)}},
      ORB,
      {{0x8003, X(3), 0, 1, 0, at(0, 2)}},
      {{0x800F, Y(0), 0, 7, 0, at(0, 11)}},
      END(2)}},
    {"TwoParallelPairsInSeries",  // (X0 + X1)(X2 + X3): the second pair keeps LD and ANB
     {"X0 - X2 ~ (Y0)",
      "^X1 ^ ^/X3 ^"},
     {{{0x9001, X(0), 0, 1, 0, at(0, 0)}},
      {{0x8005, X(1), 0, 1, 0, at(1, 0)}},
      {{0x8001, X(2), 0, 1, 0, at(0, 2)}},
      {{0x8006, X(3), 0, 2, 0, at(1, 2)}},
      {{0x8007, 0, 0, 0, 0, 0}},
      {{0x800F, Y(0), 0, 7, 0, at(0, 11)}},
      END(2)}},
    {"Timer",
     {"X0 ~ (T0 K10)"},
     {{{0x9001, X(0), 0, 1, 0, at(0, 0)}}, {{0x208035, T(0), 0x10, 8, 0, at(0, 10)}}, END(1)}},
    {"CounterWithDeviceSetValue",
     {"X0 ~ (C1 D5)"},
     {{{0x9001, X(0), 0, 1, 0, at(0, 0)}}, {{0x8036, C(1), D(5), 9, 0, at(0, 10)}}, END(1)}},
    {"MoveBox",
     {"X0 ~ [MOV D0 D1]"},
     {{{0x9001, X(0), 0, 1, 0, at(0, 0)}}, {{0x8051, D(0), D(1), 0, 0, at(0, 9)}}, END(1)}},
    {"DoubleWordPulseBox",
     {"X0 ~ [DMOVP D0 D2]"},
     {{{0x9001, X(0), 0, 1, 0, at(0, 0)}}, {{0xA851, D(0), D(2), 0, 0, at(0, 9)}}, END(1)}},
    {"ThirdOperandKeepsConstantAndHexBits",
     {"X0 ~ [+ D0 K10 H1F]"},
     {{{0x9001, X(0), 0, 1, 0, at(0, 0)}}, {{0x4608062, D(0), 0x10, 0x1F, 0, at(0, 8)}}, END(1)}},
    {"SetBox",
     {"X0 ~ [SET M5]"},
     {{{0x9001, X(0), 0, 1, 0, at(0, 0)}}, {{0x801C, M(5), 0, 0, 0, at(0, 10)}}, END(1)}},
    {"MasterControlCarriesTheRowAfterItsRung",
     {"X0 ~ [MC N0 M0]",
      "X1 ~ (Y0)",
      "~ [MCR N0]"},
     {{{0x9001, X(0), 0, 1, 0, at(0, 0)}},
      {{0x8012, N(0), M(0), 0, 1, at(0, 9)}},
      {{0x9001, X(1), 0, 1, 0, at(1, 0)}},
      {{0x800F, Y(0), 0, 7, 0, at(1, 11)}},
      {{0x9017, N(0), 0, 0, 0, at(2, 10)}},
      END(3)}},
    {"ComparisonFirst",
     {"{= D0 K5} X0 ~ (Y0)"},
     {{{0xD001, 0x2000C1, D(0), 5, 0, at(0, 0)}},
      {{0x8003, X(0), 0, 1, 0, at(0, 3)}},
      {{0x800F, Y(0), 0, 7, 0, at(0, 11)}},
      END(1)}},
    {"DoubleWordComparisonFurther",
     {"X0 {D> D0 D2} ~ (Y0)"},
     {{{0x9001, X(0), 0, 1, 0, at(0, 0)}},
      {{0xC003, 0x8CB, D(0), D(2), 0, at(0, 1)}},
      {{0x800F, Y(0), 0, 7, 0, at(0, 11)}},
      END(1)}},
    {"ParallelComparisonKeepsLdAndOrb",
     {"X0 ~ (Y0)",
      "^{< D0 K3} ^"},
     {{{0x9001, X(0), 0, 1, 0, at(0, 0)}},
      {{0xC001, 0x2000C5, D(0), 3, 0, at(1, 0)}},
      ORB,
      {{0x800F, Y(0), 0, 7, 0, at(0, 11)}},
      END(2)}},
    {"DataRegisterBitContacts",
     {"D3 /D4 ~ (Y0)"},
     {{{0x9201, DBIT(3), 0, 19, 0, at(0, 0)}},
      {{0x8204, DBIT(4), 0, 20, 0, at(0, 1)}},
      {{0x800F, Y(0), 0, 7, 0, at(0, 11)}},
      END(1)}},
    {"ParallelCoilsSkipTheFirstMrd",
     {"X0 ~ (Y0)",
      ".10 ^- (Y1)",
      ".10 ^- (Y2)"},
     {{{0x9001, X(0), 0, 1, 0, at(0, 0)}},
      MPS(0, 0),
      {{0x800F, Y(0), 0, 7, 0, at(0, 11)}},
      {{0x800F, Y(1), 0, 7, 0, at(1, 11)}},
      MPP(0, 0),
      {{0x800F, Y(2), 0, 7, 0, at(2, 11)}},
      END(3)}},
    {"CoilsLinkedAtTheOutputColumn",
     {"X0 ~ (Y0)",
      "^(Y1)",
      "^(Y2)"},
     {{{0x9001, X(0), 0, 1, 0, at(0, 0)}},
      MPS(0, 0),
      {{0x800F, Y(0), 0, 7, 0, at(0, 11)}},
      {{0x800F, Y(1), 0, 7, 0, at(1, 11)}},
      MPP(0, 0),
      {{0x800F, Y(2), 0, 7, 0, at(2, 11)}},
      END(3)}},
    {"BranchesWithContacts",  // LD X5, ANB folds to AND X5; MRD only once the logic changed
     {"X0 X1 ~ (Y0)",
      ".5 ^X5 ~ (Y1)",
      ".5 ^X6 ~ (Y2)",
      ".5 ^X7 ~ (Y3)"},
     {{{0x9001, X(0), 0, 1, 0, at(0, 0)}},
      {{0x8003, X(1), 0, 1, 0, at(0, 1)}},
      MPS(0, 0),
      {{0x800F, Y(0), 0, 7, 0, at(0, 11)}},
      {{0x8003, X(5), 0, 1, 0, at(1, 5)}},
      {{0x800F, Y(1), 0, 7, 0, at(1, 11)}},
      MRD(0, 0),
      {{0x8003, X(6), 0, 1, 0, at(2, 5)}},
      {{0x800F, Y(2), 0, 7, 0, at(2, 11)}},
      MPP(0, 0),
      {{0x8003, X(7), 0, 1, 0, at(3, 5)}},
      {{0x800F, Y(3), 0, 7, 0, at(3, 11)}},
      END(4)}},
    {"BranchesAtTwoBoundaries",  // the right boundary's branches first, each level its MPP
     {"X0 - - X1 ~ (Y0)",
      ". . . ^ . . ^- ~ (Y1)",
      ". . . ^- ~ (Y2)"},
     {{{0x9001, X(0), 0, 1, 0, at(0, 0)}},
      MPS(0, 0),
      {{0x8003, X(1), 0, 1, 0, at(0, 3)}},
      MPS(0, 1),
      {{0x800F, Y(0), 0, 7, 0, at(0, 11)}},
      MPP(0, 1),
      {{0x800F, Y(1), 0, 7, 0, at(1, 11)}},
      MPP(0, 0),
      {{0x800F, Y(2), 0, 7, 0, at(2, 11)}},
      END(3)}},
    {"BranchGroupsCountOverTheCompile",
     {"X0 ~ (Y0)",
      ".10 ^- (Y1)",
      "X1 ~ (Y2)",
      ".10 ^- (Y3)"},
     {{{0x9001, X(0), 0, 1, 0, at(0, 0)}},
      MPS(0, 0),
      {{0x800F, Y(0), 0, 7, 0, at(0, 11)}},
      MPP(0, 0),
      {{0x800F, Y(1), 0, 7, 0, at(1, 11)}},
      {{0x9001, X(1), 0, 1, 0, at(2, 0)}},
      MPS(1, 0),
      {{0x800F, Y(2), 0, 7, 0, at(2, 11)}},
      MPP(1, 0),
      {{0x800F, Y(3), 0, 7, 0, at(3, 11)}},
      END(4)}},
    {"JumpPointAndBtonj",
     {"X0 ~ (Y0)",
      ".5 ^@3- ~ (Y1)",
      ".5 ^- ~ [BTONJ U3]",
      ".5 ^- ~ (Y3)"},
     {{{0x9001, X(0), 0, 1, 0, at(0, 0)}},
      MPS(0, 0),
      {{0x800F, Y(0), 0, 7, 0, at(0, 11)}},
      {{0x802B, U(3), 0, 0, 0, 0}},
      MRD(0, 0),
      {{0x800F, Y(1), 0, 7, 0, at(1, 11)}},
      {{0x8021, U(3), 0, 0, 0, at(2, 10)}},
      MPP(0, 0),
      {{0x800F, Y(3), 0, 7, 0, at(3, 11)}},
      END(4)}},
    {"RowLabelAfterItsJump",
     {"X1 ~ [CJ P5]",
      "P5: X0 ~ (Y0)"},
     {{{0x9001, X(1), 0, 1, 0, at(0, 0)}},
      {{0x801A, P(5), 0, 0, 0, at(0, 10)}},
      {{0x901B, P(5), 0, 0, 0, at(1, 15)}},
      {{0x9001, X(0), 0, 1, 0, at(1, 0)}},
      {{0x800F, Y(0), 0, 7, 0, at(1, 11)}},
      END(2)}},
    {"SubroutineAfterFend",
     {"X0 ~ [SCALL P1]",
      "~ [FEND]",
      "P1: X1 ~ (Y1)",
      "X2 ~ [RETRN]"},
     {{{0x9001, X(0), 0, 1, 0, at(0, 0)}},
      {{0x802E, P(1), 0, 0, 0, at(0, 10)}},
      {{0x9013, 0, 0, 0, 0, at(1, 11)}},
      {{0x901B, P(1), 0, 0, 0, at(2, 15)}},
      {{0x9001, X(1), 0, 1, 0, at(2, 0)}},
      {{0x800F, Y(1), 0, 7, 0, at(2, 11)}},
      {{0x9001, X(2), 0, 1, 0, at(3, 0)}},
      {{0x802F, 0, 0, 0, 0, at(3, 11)}},
      END(4)}},
    {"InterruptSection",
     {"X0 ~ (Y0)",
      "~ [IEND]",
      "M9050 ~ (Y1)",
      "X1 ~ [IRET]"},
     {{{0x9001, X(0), 0, 1, 0, at(0, 0)}},
      {{0x800F, Y(0), 0, 7, 0, at(0, 11)}},
      {{0x9014, 0, 0, 0, 0, at(1, 11)}},
      {{0x9001, M(9050), 0, 1, 0, at(2, 0)}},
      {{0x800F, Y(1), 0, 7, 0, at(2, 11)}},
      {{0x9001, X(1), 0, 1, 0, at(3, 0)}},
      {{0x8099, 0, 0, 0, 0, at(3, 11)}},
      END(4)}},
    {"CommentRows",
     {"; first",
      "X0 ~ (Y0)",
      "; second"},
     {{{0x9020, 0, 0, 0, 0, at(0, 11)}},
      {{0x9001, X(0), 0, 1, 0, at(1, 0)}},
      {{0x800F, Y(0), 0, 7, 0, at(1, 11)}},
      {{0x9020, 1, 0, 0, 0, at(2, 11)}},
      END(3)}},
    {"InlineAssembler",
     {"X0 [ASM K1] | MOV A,B"},
     {{{0x9001, X(0), 0, 1, 0, at(0, 0)}}, {{0x10807F, 1, 0, 0, 0, at(0, 1)}}, END(1)}},
    {"Continuation",
     {"X0 ~ (>7)",
      ">7 ~ (Y0)"},
     {{{0x9001, X(0), 0, 1, 0, at(0, 0)}},
      {{0x800F, 7, 0, 12, 0, at(0, 11)}},
      {{0x9001, 7, 0, 13, 0, at(1, 0)}},
      {{0x800F, Y(0), 0, 7, 0, at(1, 11)}},
      END(2)}},
    {"EmptyRowsBetweenRungsArePassedOver",
     {"X0 ~ (Y0)",
      "",
      "X1 ~ (Y1)"},
     {{{0x9001, X(0), 0, 1, 0, at(0, 0)}},
      {{0x800F, Y(0), 0, 7, 0, at(0, 11)}},
      {{0x9001, X(1), 0, 1, 0, at(2, 0)}},
      {{0x800F, Y(1), 0, 7, 0, at(2, 11)}},
      END(3)}},
    // Three groups in parallel, the first two narrower than the third: they join around
    // the widest (X0 + (X1 + X2 + cmp)), so that the list draws the second group apart
    // from the first again; X0 + (X1 + X2) would draw X1 and X2 joined to X0 in column 1.
    {"ParallelGroupsJoinAroundTheWidest",
     {"X0 ~ (Y0)",
      "^X1 - - ^",
      "^X2 ^ . ^",
      "^{= D0 K0} ^"},
     {{{0x9001, X(0), 0, 1, 0, at(0, 0)}},
      {{0x8001, X(1), 0, 1, 0, at(1, 0)}},
      {{0x8005, X(2), 0, 1, 0, at(2, 0)}},
      {{0xC001, 0x2000C1, D(0), 0, 0, at(3, 0)}},
      ORB,
      ORB,
      {{0x800F, Y(0), 0, 7, 0, at(0, 11)}},
      END(4)}},
};

INSTANTIATE_TEST_SUITE_P(Ladders, CompileRecords, ::testing::ValuesIn(record_cases),
                         [](const ::testing::TestParamInfo<RecordCase>& info) { return std::string(info.param.name); });

// ---- Comment and text numbering ---------------------------------------------------------------------

TEST_F(CompilerTest, CommentsAndTextsAreNumberedFromZeroEveryCompile) {
  auto grid = ladder_from_text({"; first", "X0 [TABL K1] | TABLE1: 1,2", "; second", "X1 ~ [RDTBL K1 D0 D1]"});
  for (int pass = 0; pass < 2; ++pass) {
    ASSERT_EQ(compile(grid), CompileResult::OK) << ::testing::PrintToString(errors());
    EXPECT_STREQ(g_line_comments[0].data(), "first");
    EXPECT_STREQ(g_line_comments[1].data(), "TABLE1: 1,2");
    EXPECT_STREQ(g_line_comments[2].data(), "second");
    EXPECT_EQ(grid[0].cell[11].word[1], 0u);
    EXPECT_EQ(grid[1].cell[14].word[1], 1u);
    EXPECT_EQ(grid[2].cell[11].word[1], 2u);
    const auto records = list_records(list);
    ASSERT_GE(records.size(), 4u);
    EXPECT_EQ(records[0].word[1], 0u);        // the first comment record
    EXPECT_EQ(records[2].word[4], 1u);        // TABL carries its text's number
    EXPECT_EQ(records[2].word[0] & 0x3FF, 128u);
  }
}

TEST_F(CompilerTest, LongTextOfATextRowIsKeptWhole) {
  auto grid = ladder_from_text({"X0 [ASM K1]"});
  std::string text(1400, 'a');
  text += "END-OF-TEXT";
  std::memcpy(grid[0].text[1], text.c_str(), text.size() + 1);
  ASSERT_EQ(compile(grid), CompileResult::OK);
  EXPECT_EQ(std::string(g_line_comments[0].data()), text);
}

TEST_F(CompilerTest, UnterminatedCommentTextIsCutToItsEntry) {
  auto grid = ladder_from_text({"; x", "X0 ~ (Y0)"});
  std::memset(grid[0].row_text(), 'c', ROW_TEXT_SIZE);  // no NUL anywhere in the row text
  ASSERT_EQ(compile(grid), CompileResult::OK);
  EXPECT_EQ(std::strlen(g_line_comments[0].data()), static_cast<size_t>(LINE_COMMENT_SIZE - 1));
}

// ---- The END row ----------------------------------------------------------------------------------------

TEST_F(CompilerTest, GridWithoutEndRowIsRefused) {
  auto grid = ladder_from_text({"X0 ~ (Y0)", ""}, {.add_end_row = false});
  EXPECT_EQ(compile(grid), CompileResult::ERRORS);
  EXPECT_EQ(errors(), std::vector<ConversionError>{0x00000000});
  EXPECT_STREQ(compile_error_text(0), "ＥＮＤ命令が無いか、ファイルが壊れています！");
  EXPECT_EQ(compile(grid), CompileResult::ERRORS);  // the grid was left as it was
}

TEST_F(CompilerTest, GridWithoutEndMarkIsRefused) {
  auto grid = ladder_from_text({"X0 ~ (Y0)"}, {.add_end_mark = false});
  EXPECT_EQ(compile(grid), CompileResult::ERRORS);
  EXPECT_EQ(errors(), std::vector<ConversionError>{0x00000000});
}

TEST_F(CompilerTest, EmptyGridIsRefused) {
  auto grid = make_ladder_grid(4);
  grid[0].cell[0].word[0] = grid[0].cell[1].word[0] = EMPTY_MARK;
  EXPECT_EQ(compile(grid), CompileResult::ERRORS);
  EXPECT_EQ(errors(), std::vector<ConversionError>{0x00000000});
}

TEST_F(CompilerTest, RepairedEndRowCompilesToEnd) {
  // A repaired END row (cell 11 0x6408 and nothing in cell 12, nor in cell 0) is the END
  // instruction all the same.
  auto grid = ladder_from_text({"X0 ~ (Y0)", ""});
  grid[1] = LadderRow{};
  grid[1].cell[11].word[0] = CellWord::END_OUTPUT_REPAIRED;
  ASSERT_EQ(compile(grid), CompileResult::OK) << ::testing::PrintToString(errors());
  const auto records = list_records(list);
  ASSERT_EQ(records.size(), 3u);
  EXPECT_EQ(records[2], END(1));
}

// ---- The duplicate-output question --------------------------------------------------------------------

constexpr const char* DUPLICATE_ROW_2 =
    "2行目に同一出力が有りますが\nコンパイルを継続しますか？\n\nこの警告は'ＯＫ'を押すと再度は表示されません";

TEST_F(CompilerTest, DuplicateOutputCancelled) {
  auto grid = ladder_from_text({"X0 ~ (Y0)", "X1 ~ (Y0)"});
  recorder.answers = {NoticeAnswer::CANCEL};
  EXPECT_EQ(compile(grid), CompileResult::CANCELLED);
  ASSERT_EQ(recorder.notices.size(), 1u);
  EXPECT_EQ(recorder.notices[0].text, DUPLICATE_ROW_2);
  EXPECT_EQ(recorder.notices[0].caption, "確認");
  EXPECT_EQ(recorder.notices[0].style, NoticeStyle::OK_CANCEL);
  EXPECT_EQ(recorder.notices[0].owner, &owner);
  EXPECT_EQ(g_duplicate_warning_shown, 0);
  EXPECT_TRUE(list_records(list).empty());
}

TEST_F(CompilerTest, DuplicateOutputAcceptedOnceSilencesTheQuestion) {
  auto grid = ladder_from_text({"X0 ~ (Y0)", "X1 ~ (Y0)"});
  EXPECT_EQ(compile(grid), CompileResult::OK);
  EXPECT_EQ(recorder.notices.size(), 1u);
  EXPECT_EQ(g_duplicate_warning_shown, 1);
  EXPECT_EQ(list_records(list).size(), 5u);
  EXPECT_EQ(compile(grid), CompileResult::OK);
  EXPECT_EQ(recorder.notices.size(), 1u);
}

TEST_F(CompilerTest, DuplicateRowCountsProgramRowsOnly) {
  auto grid = ladder_from_text({"; a", "X0 ~ (T3 K5)", "; b", "X1 ~ (T3 K7)"});
  recorder.answers = {NoticeAnswer::CANCEL};
  EXPECT_EQ(compile(grid), CompileResult::CANCELLED);
  ASSERT_EQ(recorder.notices.size(), 1u);
  EXPECT_EQ(recorder.notices[0].text.substr(0, 1), "2");
}

TEST_F(CompilerTest, DuplicateWithAnotherFaultFailsWithoutAsking) {
  // Accepting the duplicate must not let the unset operand through.
  auto grid = ladder_from_text({"X0 ~ (Y0)", "? ~ (Y0)"});
  EXPECT_EQ(compile(grid), CompileResult::ERRORS);
  EXPECT_TRUE(recorder.notices.empty());
  EXPECT_EQ(errors(), std::vector<ConversionError>{0x06000001});
  g_duplicate_warning_shown = 1;
  EXPECT_EQ(compile(grid), CompileResult::ERRORS);
  EXPECT_EQ(errors(), std::vector<ConversionError>{0x06000001});
}

TEST_F(CompilerTest, RepeatedMemoryCoilsCompileWithAWarningWordOnly) {
  auto grid = ladder_from_text({"X0 ~ (M0)", "X1 ~ (M0)"});
  EXPECT_EQ(compile(grid), CompileResult::OK);
  EXPECT_TRUE(recorder.notices.empty());
  EXPECT_EQ(errors(), std::vector<ConversionError>{0x01B00001});
}

// ---- Capacity ------------------------------------------------------------------------------------------

TEST_F(CompilerTest, ProgramThatFillsTheListExactlyCompiles) {
  auto grid = ladder_from_text({"X0 X1 ~ (Y0)"});
  EXPECT_EQ(compile(grid, 5), CompileResult::OK);  // four records and the end record
  EXPECT_EQ(list_records(list).size(), 4u);
  EXPECT_TRUE(is_end_record(list[4]));
}

TEST_F(CompilerTest, ProgramLargerThanTheListIsAnErrorAndNothingIsWrittenPastIt) {
  auto grid = ladder_from_text({"X0 X1 ~ (Y0)", "X2 ~ (Y1)"});
  std::vector<InstructionRecord> storage(12, InstructionRecord{{0xAAAA, 1, 2, 3, 4, 5}});
  const ListSpan small(storage.data(), 5);
  EXPECT_EQ(compile_ladder(&owner, grid, small, nullptr, 0), CompileResult::ERRORS);
  EXPECT_EQ(errors(), std::vector<ConversionError>{0x1D000001});
  EXPECT_STREQ(compile_error_text(CompileError::LIST_FULL), "プログラムが大き過ぎて命令リストに入りません！");
  for (size_t i = 5; i < storage.size(); ++i) EXPECT_EQ(storage[i].word[0], 0xAAAAu) << i;
}

TEST_F(CompilerTest, MoreTextsThanTheStoreHoldsIsAnError) {
  std::vector<std::string> rows(MAX_LINE_COMMENTS, "; note");
  rows.push_back("X0 [ASM K1] | NOP");
  auto grid = ladder_from_text(rows);
  EXPECT_EQ(compile(grid, 2000), CompileResult::ERRORS);
  ASSERT_EQ(g_conversion_error_count, 1);
  EXPECT_EQ(g_conversion_errors[0] >> 24, CompileError::TEXTS_FULL);
  rows.erase(rows.begin());
  grid = ladder_from_text(rows);
  EXPECT_EQ(compile(grid, 2000), CompileResult::OK);
  EXPECT_STREQ(g_line_comments[MAX_LINE_COMMENTS - 1].data(), "NOP");
}

TEST_F(CompilerTest, BranchListHoldsThreeHundredBranches) {
  std::vector<std::string> rows = {"X0 ~ (Y0)"};
  for (int i = 1; i <= MAX_BRANCH_ENTRIES; ++i) rows.push_back(".10 ^- (Y" + std::to_string(i) + ")");
  auto grid = ladder_from_text(rows);
  EXPECT_EQ(compile(grid, 2000), CompileResult::OK) << ::testing::PrintToString(errors());
  rows.push_back(".10 ^- (M0)");
  grid = ladder_from_text(rows);
  EXPECT_EQ(compile(grid, 2000), CompileResult::ERRORS);
  EXPECT_EQ(errors(), std::vector<ConversionError>{0x03000000});
}

// ---- The list checks through compile_ladder --------------------------------------------------------

TEST_F(CompilerTest, SectionFaultIsExplainedAndReturnsStructure) {
  auto grid = ladder_from_text({"X0 ~ (Y0)", "~ [FEND]"});
  EXPECT_EQ(compile(grid), CompileResult::STRUCTURE);
  ASSERT_EQ(recorder.notices.size(), 1u);
  EXPECT_EQ(recorder.notices[0].caption, "警告");
  EXPECT_EQ(recorder.notices[0].owner, &owner);
  EXPECT_EQ(recorder.notices[0].text.rfind("FEND、Ptｻﾌﾞﾙｰﾁﾝ、RETRN\nIEND、", 0), 0u);
}

TEST_F(CompilerTest, InterruptMaskGoesIntoTheSettings) {
  // Bits 0-27 of an earlier compile (software interrupts included) give way to this
  // program's; bits 28-31 stay.
  g_cpu_settings.base_value = 0x1234FFFF;
  auto grid = ladder_from_text({"X0 ~ (Y0)", "~ [IEND]", "M9053 ~ (Y1)", "X1 ~ [IRET]"});
  ASSERT_EQ(compile(grid), CompileResult::OK);
  EXPECT_EQ(g_cpu_settings.base_value, 0x10000008);
}

TEST_F(CompilerTest, TableReadWithoutItsTableIsExplained) {
  auto grid = ladder_from_text({"X0 ~ [RDTBL K3 D0 D1]"});
  EXPECT_EQ(compile(grid), CompileResult::STRUCTURE);
  ASSERT_EQ(recorder.notices.size(), 1u);
  EXPECT_EQ(recorder.notices[0].caption, "警告");
  EXPECT_EQ(recorder.notices[0].text.rfind("命令に従って、TABLE?:か\n", 0), 0u);
  grid = ladder_from_text({"X0 ~ [RDTBL K12 D0 D1]", "X1 [TABL K1] | TABLE12: 5,6"});
  EXPECT_EQ(compile(grid), CompileResult::OK);
}

TEST_F(CompilerTest, JumpPointMessagesHaveNoOwner) {
  auto grid = ladder_from_text({"X1 ~ [CJ P7]", "X0 ~ (Y0)"});
  EXPECT_EQ(compile(grid), CompileResult::STRUCTURE);
  ASSERT_EQ(recorder.notices.size(), 1u);
  EXPECT_EQ(recorder.notices[0].text, "ｼﾞｬﾝﾌﾟ先、又はｺｰﾙ先･ﾎﾟｲﾝﾄP7が不足しています！");
  EXPECT_EQ(recorder.notices[0].owner, nullptr);
}

TEST_F(CompilerTest, LabelOutsideItsTableIsRefused) {
  auto grid = ladder_from_text({"X1 ~ [CJ P150]", "P150: X0 ~ (Y0)"});
  EXPECT_EQ(compile(grid), CompileResult::STRUCTURE);
  ASSERT_EQ(recorder.notices.size(), 1u);
  EXPECT_EQ(recorder.notices[0].text, "ﾎﾟｲﾝﾄP150は使えません！\nPの番号は0～99にして下さい");
}

TEST_F(CompilerTest, InterruptLabelWithoutItsCallIsReportedAndCompiles) {
  auto grid = ladder_from_text({"I2: X0 ~ (Y0)"});
  EXPECT_EQ(compile(grid), CompileResult::OK);
  ASSERT_EQ(recorder.notices.size(), 1u);
  EXPECT_EQ(recorder.notices[0].text, "ﾎﾟｲﾝﾄI2は利用されていないか\nダブっています！");
  EXPECT_EQ(list_records(list)[0], (InstructionRecord{{0x902C, make_device_operand(Device::I, 2), 0, 0, 0, at(0, 15)}}));
}

// A branch point whose lowest output row is a branch of a point of its own (Y3 hangs
// from the line of Y2, in the row of the OR of X3): the branch of Y1 is the lowest of its
// point and ends it with MPP, so Y4 sees X0 alone.
TEST_F(CompilerTest, ABranchBelowANestedPointStillEndsItsPoint) {
  using namespace il;
  auto grid = ladder_from_text({"X0 X1 ~ (Y0)",
                                "^ ^ ^X2 ~ (Y1)",
                                "^ ^ ^X3 ^- ~ (Y2)",
                                "^ ^ .8 ^- (Y3)",
                                "^ ^- ~ (Y4)"});
  ASSERT_EQ(compile(grid), CompileResult::OK) << ::testing::PrintToString(errors());
  const InstructionList meant = make_list({ld(X(0)), mps(), and_(X(1)), out(Y(0)), ld(X(2)), or_(X(3)), anb(),
                                           out(Y(1)), mps(), out(Y(2)), mpp(), out(Y(3)), mpp(), out(Y(4)), end()});
  EXPECT_EQ(compare_list_logic(meant, list), "") << ladder_picture(grid) << records_text(list_records(list));
  int open = 0;
  for (const InstructionRecord& r : list_records(list)) {
    if ((r.word[0] & 0xFF) == 0x0C) ++open;
    if ((r.word[0] & 0xFF) == 0x0E) --open;
  }
  EXPECT_EQ(open, 0) << records_text(list_records(list));
}

}  // namespace
