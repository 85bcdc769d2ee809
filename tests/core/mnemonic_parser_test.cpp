#include "core/mnemonic_parser.h"
#include "core/core_state.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "core/device_comments.h"
#include "core/ladder_builder.h"
#include "core/ladder_compiler.h"
#include "core/mnemonic_text.h"
#include "support/instruction_records.h"
#include "support/ladder_text.h"
#include "support/mnemonic_lines.h"

namespace {

constexpr uint32_t K1 = 0x00100000, K2 = 0x00200000, H1 = 0x01100000;
constexpr uint32_t DF = 0x800, PF = 0x2000, BS = 0x1000;

using namespace il;


struct Parsed {
  int result;
  std::vector<InstructionRecord> records;
  std::vector<ConversionError> errors;
  MnemonicText text;
  DeviceCommentTable table;
};

Parsed parse(const std::vector<std::string>& lines, int list_size = 64) {
  Parsed p;
  p.text = make_text(lines);
  p.table = make_device_comment_table(static_cast<int>(lines.size()) + 10);
  InstructionList list(static_cast<size_t>(list_size));
  p.result = parse_mnemonic_text(nullptr, p.table, p.text, list, nullptr, 0);
  if (p.result == PARSE_OK) p.records = list_records(list);
  else
    for (size_t i = 0; i < list.size() && !is_end_record(list[i]) && list[i].word[0] != 0; ++i) p.records.push_back(list[i]);
  p.errors.assign(g_conversion_errors.begin(), g_conversion_errors.begin() + g_conversion_error_count);
  return p;
}

// The one record a statement gives (an END after it keeps the program whole).
InstructionRecord one(const std::vector<std::string>& lines) {
  Parsed p = parse(lines);
  EXPECT_EQ(p.result, PARSE_OK) << lines[0];
  return p.records.empty() ? InstructionRecord{} : p.records[0];
}

class MnemonicParser : public ::testing::Test {
 protected:
  void SetUp() override { reset_core_state(); }
};

struct StatementCase {
  std::vector<std::string> lines;
  InstructionRecord record;
};

TEST_F(MnemonicParser, StatementsGiveTheirRecords) {
  const StatementCase cases[] = {
      // Timer from OUT T and its set value on the next line: K constant as BCD, head bit 21.
      {{"OUT     T5", "K10"}, plain(0x8035 | K2, T(5), 0x10, 8)},
      {{"OUT T05 D100"}, plain(0x8035, T(5), D(100), 8)},
      {{"OUT C12", "H0A"}, plain(0x8036 | 0x02200000, C(12), 0xA, 9)},
      {{"MOVP D0 D1"}, plain(0x8051 | PF, D(0), D(1))},
      {{"DMOV D0 D1"}, plain(0x8051 | DF, D(0), D(1))},
      {{"DMOVP", "D00", "D01"}, plain(0x8051 | DF | PF, D(0), D(1))},
      {{"DEC D0"}, plain(0x8028, D(0))},
      {{"DDECP   D02"}, plain(0x8028 | DF | PF, D(2))},
      {{"ld x0"}, plain(0x8001, X(0), 0, 1)},
      // D-form contacts: a bit of a data register, drawn as the D contact parts 19 and 20.
      {{"LDD D3"}, plain(0x8201, D(3) | 0x800000, 0, 19)},
      {{"ORID    D07"}, plain(0x8206, D(7) | 0x800000, 0, 20)},
      {{"LDD M0"}, plain(0x8201, M(0), 0, 19)},
      // Radix of each device as the printer writes it.
      {{"LD X10"}, plain(0x8001, X(0x10), 0, 1)},
      {{"LD M10"}, plain(0x8001, M(10), 0, 1)},
      {{"LD S10"}, plain(0x8001, S(10), 0, 1)},
      {{"LD B10"}, plain(0x8001, B(0x10), 0, 1)},
      {{"LD R1F"}, plain(0x8001, R(0x1F), 0, 1)},
      {{"LD J105"}, plain(0x8001, J(1, 5), 0, 1)},
      {{"AND J102-05"}, plain(0x8003, J(1, 2, 3), 0, 1)},
      // Comparisons: the LD, AND and OR records with the comparison number in word 1.
      {{"LD= D0 K5"}, plain(0xC001, 0xC0C1 | K2, D(0), 5)},
      {{"AND<> H0FF D01"}, plain(0xC003, 0xC0C2 | H1, 0xFF, D(1))},
      // An OR comparison: an LD comparison and the ORB after it (below).
      {{"OR= D0 K5"}, plain(0xC001, 0xC0C1 | K2, D(0), 5)},
      {{"ORD<=   D04 K100000"}, plain(0xC001, 0xC0CE | K2, D(4), 0x100000)},
      {{"DLD= D0 D1"}, plain(0xC001, 0xC0C9, D(0), D(1))},
      // Words that end in P or begin with D without being decorated.
      {{"JMP P5"}, plain(0x8019, P(5))},
      {{"STOP"}, plain(0x8091)},
      {{"STEP", "S02", "K5", "D00"}, plain(0x8071 | K2, S(2), 5, D(0))},
      {{"CMPP D0 D1"}, plain(0x8052 | PF, D(0), D(1))},
      {{"DAND D0 H99999 D4"}, plain(0x8088 | 0x02200000, D(0), 0x99999, D(4))},
      {{"DANDP", "D00", "H05", "D04"}, plain(0x8088 | PF | 0x02200000, D(0), 5, D(4))},
      // Forms the printer writes beyond the mnemonic tables.
      {{"DSFR", "D00", "K4"}, plain(0x805E | DF | K2, D(0), 4)},
      {{"INTP", "I05"}, plain(0x802D | PF, I(5))},
      {{"DMOVD D0 D1"}, plain(0x8057 | DF, D(0), D(1))},
      {{"MIVK", "K4X10", "D00"}, plain(0x809E, 0x04000010, D(0))},
      // Labels, MC and MCR in the printer's forms.
      {{"P05"}, plain(0x801B | BS, P(5))},
      {{"I12"}, plain(0x802C | BS, I(12))},
      {{"U03"}, plain(0x802B, U(3))},
      {{"JME P7"}, plain(0x801B | BS, P(7))},
      {{"MC      00 M100"}, plain(0x8012, N(0), M(100))},
      {{"MC n1 M5"}, plain(0x8012, N(1), M(5))},
      {{"MCR     03"}, plain(0x8017 | BS, N(3))},
      // Constants and digit groups.
      {{"MOV K12345 D0"}, plain(0x8051 | K1, 0x12345, D(0))},
      {{"DMOV K9999999 D0"}, plain(0x8051 | DF | K1, 0x9999999, D(0))},
      {{"MOV H7FFFFFFF D0"}, plain(0x8051 | H1, 0x7FFFFFFF, D(0))},
      {{"MOV K4M0 D0"}, plain(0x8051, group(M(0), 4), D(0))},
      {{"MOV D0 K1B20"}, plain(0x8051, D(0), group(B(0x20), 1))},
      {{"MOV K2X10 D0"}, plain(0x8051, group(X(0x10), 2), D(0))},
      {{"SET L05"}, plain(0x801C, L(5))},
      {{"ASM", "K1"}, plain(0x807F | K1, 1, 0, 0, NO_LINE_COMMENT)},
      {{"FEND"}, plain(0x9013)},
      {{"RETRN"}, plain(0x802F)},
  };
  for (const StatementCase& c : cases) {
    std::vector<std::string> lines = c.lines;
    EXPECT_EQ(one(lines), c.record) << lines[0];
  }
  Parsed p = parse({"LD X0", "OR<> D0 K5", "OUT Y0"});
  ASSERT_EQ(p.result, PARSE_OK);
  ASSERT_EQ(p.records.size(), 4u);
  EXPECT_EQ(p.records[1], plain(0xC001, 0xC0C2 | K2, D(0), 5));
  EXPECT_EQ(p.records[2], plain(0x8008));
}

struct ErrorCase {
  std::vector<std::string> lines;
  uint32_t kind;
  uint32_t operand;
  uint32_t line;
};

TEST_F(MnemonicParser, FaultyStatementsAreListedWithTheirLine) {
  const ErrorCase cases[] = {
      {{"SET X0"}, ParseError::BAD_OPERAND, 1, 0},
      {{"LD X0", "OUT T5 Y0"}, ParseError::BAD_OPERAND, 2, 1},
      {{"OUT T5A K1"}, ParseError::BAD_OPERAND, 1, 0},
      {{"LD X0", "MOV D0", "END"}, ParseError::OPERAND_COUNT, 1, 1},
      {{"LD X0 X1"}, ParseError::OPERAND_COUNT, 1, 0},
      {{"LDP X0"}, ParseError::BAD_OPERAND, 0, 0},
      {{"FOO X0"}, ParseError::BAD_INSTRUCTION, 0, 0},
      {{"AND J105-02"}, ParseError::BAD_OPERAND, 1, 0},
      {{"AND J105-70"}, ParseError::BAD_OPERAND, 1, 0},
      {{"MOV K10000000 D0"}, ParseError::BAD_OPERAND, 1, 0},
      {{"MOV K9M0 D0"}, ParseError::BAD_OPERAND, 1, 0},
      {{"MOV K0M0 D0"}, ParseError::BAD_OPERAND, 1, 0},
      {{"MOV K1A D0"}, ParseError::BAD_OPERAND, 1, 0},
      {{"LD M1A"}, ParseError::BAD_OPERAND, 1, 0},
      {{"LD X1000"}, ParseError::BAD_OPERAND, 1, 0},
      {{"LD F0"}, ParseError::BAD_OPERAND, 1, 0},
      {{"LDD D8"}, ParseError::BAD_OPERAND, 1, 0},
      {{"OUT X0"}, ParseError::BAD_OPERAND, 1, 0},
      {{"P256"}, ParseError::BAD_OPERAND, 1, 0},
      {{"U16"}, ParseError::BAD_OPERAND, 1, 0},
      {{"MC 08 M0"}, ParseError::BAD_OPERAND, 1, 0},
      {{"MC 00"}, ParseError::OPERAND_COUNT, 1, 0},
      {{"SFR D0 I10"}, ParseError::BAD_OPERAND, 2, 0},  // a count takes constants only
      // The bad operand of a word instruction is on its own line.
      {{"LD X0", "MOV", "D00", "Q5"}, ParseError::BAD_OPERAND, 2, 3},
      // Comment and blank lines above the statement count.
      {{"LD X0", "; first", "", "; second", "SET X1"}, ParseError::BAD_OPERAND, 1, 4},
      {{"\\ CPU pic16F84 CODE 6 C0102 P0040", "", "FOO"}, ParseError::BAD_INSTRUCTION, 0, 2},
  };
  for (const ErrorCase& c : cases) {
    Parsed p = parse(c.lines);
    ASSERT_EQ(p.result, PARSE_ERRORS) << c.lines.back();
    ASSERT_EQ(p.errors.size(), 1u) << c.lines.back();
    const ConversionError w = p.errors[0];
    EXPECT_EQ(parse_error_kind(w), c.kind) << c.lines.back();
    EXPECT_EQ(parse_error_operand(w), c.operand) << c.lines.back();
    EXPECT_EQ(parse_error_line(w), c.line) << c.lines.back();
    // The error list shows the line number the jump goes to (line field + merged field).
    EXPECT_EQ((w & 0xFFF) + ((w >> 12) & 0xFF), c.line) << c.lines.back();
    EXPECT_EQ((w >> 20) & 0xF, 0u);
  }
}

TEST_F(MnemonicParser, EveryFaultIsReportedAndNothingIsKeptOfIt) {
  Parsed p = parse({"LD X0", "FOO", "SET X1", "OUT Y0", "LDP X1", "END"});
  EXPECT_EQ(p.result, PARSE_ERRORS);
  ASSERT_EQ(p.errors.size(), 3u);
  EXPECT_EQ(parse_error_line(p.errors[0]), 1u);
  EXPECT_EQ(parse_error_line(p.errors[1]), 2u);
  EXPECT_EQ(parse_error_line(p.errors[2]), 4u);
  // The dropped statements left no records: LD, OUT, END follow one another.
  ASSERT_GE(p.records.size(), 3u);
  EXPECT_EQ(p.records[0].word[0], 0x8001u);
  EXPECT_EQ(p.records[1].word[0], 0x800Fu);
  EXPECT_EQ(p.records[2].word[0], 0x9010u);
}

TEST_F(MnemonicParser, BlankLinesAreSkippedNotTheEndOfTheProgram) {
  Parsed p = parse({"LD X0", "", "   ", "\t", "OUT Y0", "END"});
  ASSERT_EQ(p.result, PARSE_OK);
  ASSERT_EQ(p.records.size(), 3u);
  EXPECT_EQ(p.records[1], plain(0x800F, Y(0), 0, 7));
}

TEST_F(MnemonicParser, OperandLinesAreMergedOnlyWhileOperandsAreMissing) {
  // The comment line after a complete timer stays a comment; the label after a complete
  // MC stays a label; a word instruction takes its operand lines.
  Parsed p = parse({"LD X0", "OUT T0 K10", ";note", "MC 00 M0", "P05", "LD X1", "MOV", "D00", "D01", "END"});
  ASSERT_EQ(p.result, PARSE_OK);
  ASSERT_EQ(p.records.size(), 8u);
  EXPECT_EQ(p.records[1], plain(0x8035 | K2, T(0), 0x10, 8));
  EXPECT_EQ(p.records[2], plain(0x9020, 0));
  EXPECT_EQ(std::string(g_line_comments[0].data()), "note");
  EXPECT_EQ(p.records[3], plain(0x8012, N(0), M(0)));
  EXPECT_EQ(p.records[4], plain(0x901B, P(5)));
  EXPECT_EQ(p.records[6], plain(0x8051, D(0), D(1)));
  // The operand of OUT on the line below, then the set value below it.
  Parsed q = parse({"LD X0", "OUT", "T05", "K10", "END"});
  ASSERT_EQ(q.result, PARSE_OK) << std::hex << (q.errors.empty() ? 0 : q.errors[0]);
  EXPECT_EQ(q.records[1], plain(0x8035 | K2, T(5), 0x10, 8));
  // SCALL's operand line looks like a label line but is its operand.
  EXPECT_EQ(one({"SCALL", "P07"}), plain(0x802E, P(7)));
}

TEST_F(MnemonicParser, CommentLinesAreNumberedFromZeroOnEveryRun) {
  for (int run = 0; run < 2; ++run) {
    Parsed p = parse({"; title", "LD X0", "; between", "OUT Y0", "END"});
    ASSERT_EQ(p.result, PARSE_OK);
    ASSERT_EQ(p.records.size(), 5u);
    EXPECT_EQ(p.records[0], plain(0x9020, 0));
    EXPECT_EQ(p.records[2], plain(0x9020, 1));
    EXPECT_EQ(std::string(g_line_comments[0].data()), " title");
    EXPECT_EQ(std::string(g_line_comments[1].data()), " between");
  }
}

TEST_F(MnemonicParser, RungStartsCarryTheBlockStartBit) {
  Parsed p = parse({"LD X0", "OUT Y0", "LD X1", "LD X2", "OR X3", "ANB", "OUT Y1", "P05", "LD X4", "OUT Y2",
                    "LD X5", "OUT Y3", "MCR 00", "END"});
  ASSERT_EQ(p.result, PARSE_OK);
  std::vector<uint32_t> w0;
  for (const auto& r : p.records) w0.push_back(r.word[0]);
  EXPECT_EQ(w0, (std::vector<uint32_t>{0x8001, 0x800F, 0x9001, 0x8001, 0x8005, 0x8007, 0x800F, 0x901B, 0x9001,
                                       0x800F, 0x9001, 0x800F, 0x9017, 0x9010}));
  // An LD whose blocks do not close before the output starts no rung.
  Parsed q = parse({"LD X0", "OUT Y0", "LD X1", "LD X2", "OUT Y1", "END"});
  ASSERT_EQ(q.result, PARSE_OK) << std::hex << (q.errors.empty() ? 0 : q.errors[0]);
  EXPECT_EQ(q.records[2].word[0], 0x8001u);
}

TEST_F(MnemonicParser, BranchLevelsStartAfreshOnEveryRun) {
  const std::vector<std::string> lines = {"LD X0", "MPS", "AND X1", "MPS", "OUT Y0", "MPP", "OUT Y1", "MRD",
                                          "OUT Y2", "MPP", "OUT Y3", "END"};
  for (int run = 0; run < 2; ++run) {
    Parsed p = parse(lines);
    ASSERT_EQ(p.result, PARSE_OK);
    EXPECT_EQ(p.records[1], plain(0x800C, 0, 0, 0));
    EXPECT_EQ(p.records[3], plain(0x800C, 0, 0, 1));
    EXPECT_EQ(p.records[5], plain(0x800E, 0, 0, 1));
    EXPECT_EQ(p.records[7], plain(0x800D, 0, 0, 0));
    EXPECT_EQ(p.records[9], plain(0x800E, 0, 0, 0));
  }
  // An unbalanced text leaves nothing for the next run.
  parse({"LD X0", "MPS", "MPS", "OUT Y0", "END"});
  Parsed p = parse({"LD X0", "MPS", "OUT Y0", "MPP", "OUT Y1", "END"});
  EXPECT_EQ(p.records[1].word[3], 0u);
}

TEST_F(MnemonicParser, NothingToParse) {
  EXPECT_EQ(parse({}).result, PARSE_NOTHING);
  EXPECT_EQ(parse({"", "  ", "\\ CPU pic16F84 CODE 6"}).result, PARSE_NOTHING);
  EXPECT_EQ(g_conversion_error_count, 0);
  EXPECT_EQ(parse({"; only a comment"}).result, PARSE_OK);
}

TEST_F(MnemonicParser, TheListIsNeverWrittenPastItsEnd) {
  // Four records and the end record need five slots; four give a list-full error, and the
  // faults after it are still listed.
  for (int size : {0, 1, 4}) {
    Parsed p = parse({"LD X0", "OUT Y0", "; c", "END", "FOO"}, size);
    ASSERT_EQ(p.result, PARSE_ERRORS) << size;
    ASSERT_EQ(p.errors.size(), 2u) << size;
    EXPECT_EQ(parse_error_kind(p.errors[0]), ParseError::LIST_FULL);
    EXPECT_EQ(parse_error_kind(p.errors[1]), ParseError::BAD_INSTRUCTION);
  }
  Parsed p = parse({"LD X0", "OUT Y0", "; c", "END"}, 5);
  EXPECT_EQ(p.result, PARSE_OK);
  EXPECT_EQ(p.records.size(), 4u);
}

TEST_F(MnemonicParser, CommentLinesBeyondTheStoreAreAnError) {
  std::vector<std::string> lines = {"LD X0"};
  for (int i = 0; i <= MAX_LINE_COMMENTS; ++i) lines.push_back(";c" + std::to_string(i));
  lines.push_back("OUT Y0");
  lines.push_back("END");
  Parsed p = parse(lines, 1000);
  ASSERT_EQ(p.result, PARSE_ERRORS);
  ASSERT_EQ(p.errors.size(), 1u);
  EXPECT_EQ(parse_error_kind(p.errors[0]), ParseError::COMMENTS_FULL);
  EXPECT_EQ(parse_error_line(p.errors[0]), static_cast<uint32_t>(MAX_LINE_COMMENTS) + 1);
  EXPECT_EQ(std::string(g_line_comments[MAX_LINE_COMMENTS - 1].data()), "c499");
}

TEST(ParseErrorWord, LinesAreExactAndClampedBeyondTheFields) {
  // Exact as long as the line and merged fields hold the line.
  for (uint32_t line : {0u, 5u, 4095u, 4096u, 4350u}) {
    for (uint32_t merged : {0u, 3u, 300u}) {
      const ConversionError w = make_parse_error(ParseError::BAD_OPERAND, 2, line, merged);
      EXPECT_EQ(parse_error_line(w), line) << line << " " << merged;
      EXPECT_EQ(parse_error_kind(w), ParseError::BAD_OPERAND);
      EXPECT_EQ(parse_error_operand(w), 2u);
    }
  }
  EXPECT_FALSE(parse_error_line_clamped(make_parse_error(1, 0, 4349, 0)));
  const ConversionError far = make_parse_error(ParseError::BAD_INSTRUCTION, 0, 17000, 40);
  EXPECT_TRUE(parse_error_line_clamped(far));
  EXPECT_EQ(parse_error_line(far), 4350u);
  EXPECT_EQ(parse_error_kind(far), ParseError::BAD_INSTRUCTION) << "no field spills into the kind";
  EXPECT_EQ(parse_error_operand(make_parse_error(1, 99, 0, 0)), 15u);

  char text[128];
  format_parse_error(make_parse_error(ParseError::BAD_OPERAND, 2, 4, 0), text);
  EXPECT_STREQ(text, "5行-2ｵﾍﾟﾗﾝﾄﾞ   ｵﾍﾟﾗﾝﾄﾞに間違いが有ります！  エラ－");
  format_parse_error(far, text);
  EXPECT_STREQ(text, "4351行以降-0ｵﾍﾟﾗﾝﾄﾞ   命令に間違いが有ります！   エラ－");
  char small[6];
  format_parse_error(far, small);
  EXPECT_EQ(std::strlen(small), 4u);
}

TEST(ParseErrorText, PackedInKindOrder) {
  EXPECT_STREQ(parse_error_text(ParseError::OPERAND_COUNT), "ｵﾍﾟﾗﾝﾄﾞ数が違います！ エラ－");
  EXPECT_STREQ(parse_error_text(ParseError::BAD_INSTRUCTION), "命令に間違いが有ります！   エラ－");
  EXPECT_STREQ(parse_error_text(ParseError::KIND_COUNT), "");
}

TEST_F(MnemonicParser, ErrorOnALineFarDownIsClampedNotWrapped) {
  std::vector<std::string> lines = {"LD X0"};
  for (int i = 0; i < 5000; ++i) lines.push_back("; filler");
  lines.push_back("FOO");
  Parsed p = parse(lines, 6000);
  ASSERT_EQ(p.result, PARSE_ERRORS);
  ASSERT_EQ(p.errors.size(), 2u);  // the comment store overflows first
  const ConversionError w = p.errors[1];
  EXPECT_EQ(parse_error_kind(w), ParseError::BAD_INSTRUCTION);
  EXPECT_TRUE(parse_error_line_clamped(w));
}

TEST(LookupMnemonicWord, InstructionsAndOperands) {
  EXPECT_EQ(lookup_mnemonic_word("MOV"), Instr::MOV);
  EXPECT_EQ(lookup_mnemonic_word("DMOVP"), Instr::MOV);
  EXPECT_EQ(lookup_mnemonic_word("OUT"), Instr::OUT);
  EXPECT_EQ(lookup_mnemonic_word("STOP"), Instr::STOP);
  EXPECT_EQ(lookup_mnemonic_word("LDP"), Instr::LD) << "a refused form is still an instruction";
  EXPECT_EQ(lookup_mnemonic_word("DB+"), Instr::B_ADD);
  EXPECT_EQ(lookup_mnemonic_word("END\r"), Instr::END);
  for (const char* operand : {"D100", "K10", "H0F", "K4M0", "P05", "T05", "DEF", "M9036", "J105-07"})
    EXPECT_EQ(lookup_mnemonic_word(operand), -2) << operand;
}

TEST(ParseMnemonicWord, CodesWithTheirForms) {
  reset_core_state();
  EXPECT_EQ(parse_mnemonic_word("MOVP D0 D1", 0, 0), Instr::MOV | 0x2000);
  EXPECT_EQ(parse_mnemonic_word("OUT c3 K1", 0, 0), Instr::CNT);
  EXPECT_EQ(parse_mnemonic_word("   ", 0, 0), -1);
  EXPECT_EQ(g_conversion_error_count, 0);
  EXPECT_EQ(parse_mnemonic_word("LDP X0", 7, 2), -2);
  ASSERT_EQ(g_conversion_error_count, 1);
  EXPECT_EQ(parse_error_line(g_conversion_errors[0]), 7u);
}

}  // namespace

// ---- Comparisons through the mnemonic compile ---------------------------------------------
// The mnemonic screen's compile parses the text, draws the list as a ladder and compiles
// the drawing: every comparison form must get through all three.
namespace {

struct CompiledText {
  std::vector<InstructionRecord> parsed;
  int drawn = -1;
  int compiled = -1;
  std::vector<InstructionRecord> records;  // the compiled list, up to the end record
};

CompiledText compile_text(const std::vector<std::string>& lines) {
  CompiledText out;
  Parsed p = parse(lines);
  EXPECT_EQ(p.result, PARSE_OK) << lines[1];
  if (p.result != PARSE_OK) return out;
  out.parsed = p.records;
  InstructionList list = make_instruction_list(64);
  for (size_t i = 0; i < p.records.size(); ++i) list[i] = p.records[i];
  list[p.records.size()] = end_record();
  LadderGrid grid = make_ladder_grid(40);
  out.drawn = build_ladder_from_instructions(grid, list);
  if (out.drawn != 0) return out;
  InstructionList compiled = make_instruction_list(64);
  out.compiled = compile_ladder(nullptr, grid, compiled, nullptr, 0);
  if (out.compiled == 0) out.records = list_records(compiled);
  return out;
}

std::vector<uint32_t> word0s(const std::vector<InstructionRecord>& records) {
  std::vector<uint32_t> out;
  for (const InstructionRecord& r : records) out.push_back(r.word[0] & 0xFFFF);
  return out;
}

}  // namespace

TEST_F(MnemonicParser, ComparisonsParseDrawAndCompile) {
  struct Case {
    std::vector<std::string> lines;
    std::vector<uint32_t> parsed;    // word 0 of the parsed records (low 16 bits)
    std::vector<uint32_t> compiled;  // word 0 of the compiled records (low 16 bits)
  } cases[] = {
      // An OR comparison is a comparison block joined by ORB, as the compiler writes it.
      {{"LD X00", "OR= D00 K100", "OUT Y00", "END"},
       {0x8001, 0xC001, 0x8008, 0x800F, 0x9010},
       {0x9001, 0xC001, 0x8008, 0x800F, 0x9010}},
      {{"LD X00", "AND X01", "ORD<> D00 D02", "OUT Y00", "END"},
       {0x8001, 0x8003, 0xC001, 0x8008, 0x800F, 0x9010},
       {0x9001, 0x8003, 0xC001, 0x8008, 0x800F, 0x9010}},
      {{"LD X00", "AND= D00 K100", "OUT Y00", "END"},
       {0x8001, 0xC003, 0x800F, 0x9010},
       {0x9001, 0xC003, 0x800F, 0x9010}},
      {{"LD= D00 K5", "OR X00", "OUT Y00", "END"},
       {0xC001, 0x8005, 0x800F, 0x9010},
       {0xD001, 0x8005, 0x800F, 0x9010}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.lines[1]);
    reset_core_state();
    const CompiledText t = compile_text(c.lines);
    EXPECT_EQ(word0s(t.parsed), c.parsed);
    EXPECT_EQ(t.drawn, 0);
    EXPECT_EQ(t.compiled, 0);
    EXPECT_EQ(word0s(t.records), c.compiled);
  }
  // The operands of the OR comparison reach the compiled record.
  reset_core_state();
  const CompiledText t = compile_text({"LD X00", "OR= D00 K100", "OUT Y00", "END"});
  ASSERT_EQ(t.records.size(), 5u);
  EXPECT_EQ(t.records[1].word[1] & 0xFF00FF, 0x2000C1u);  // comparison 1 (=), operand 2 a K constant
  EXPECT_EQ(t.records[1].word[2], D(0));
  EXPECT_EQ(t.records[1].word[3], 0x100u);
}

// MC names its n number and the device that holds the master-control state. The board
// takes the first two words of a line, so the device rides as a third word; ladder ->
// mnemonic -> ladder keeps the record.
TEST_F(MnemonicParser, MasterControlKeepsItsDeviceThroughText) {
  const InstructionRecord records[] = {
      plain(0x8012, N(0), M(100)),
      plain(0x8012, N(7), M(9255)),
      plain(0x8012, N(3), Y(0x1F)),
  };
  for (const InstructionRecord& r : records) {
    const std::string printed = print_mnemonic_records(ConstListSpan(&r, 1));
    Parsed p = parse(split_printed_lines(printed));
    ASSERT_EQ(p.result, PARSE_OK) << printed;
    ASSERT_EQ(p.records.size(), 1u) << printed;
    EXPECT_EQ(p.records[0], r) << printed;
  }
  // A line that names no device leaves the record without one: refused.
  Parsed bare = parse({"LD X0", "MC      00", "END"});
  EXPECT_EQ(bare.result, PARSE_ERRORS);
  ASSERT_EQ(bare.errors.size(), 1u);
  EXPECT_EQ(parse_error_kind(bare.errors[0]), ParseError::OPERAND_COUNT);
}

// Operands beyond the parser's own tables that the design's operand entry also takes, so
// that every program a design gives can be read back: SET on L, B and R; TIM and CNT set
// values in H; K constants up to the highest K number. Digit groups hold at most eight
// digits, except the bit ranges of MOVK (operand 2, on Y) and MIVK (operand 1, on X from
// a multiple of 16), which the printer writes in the same form with up to 15 bits that
// stay within one 16-bit word.
TEST_F(MnemonicParser, OperandsTheDesignAlsoTakes) {
  const StatementCase kept[] = {
      {{"SET B1F"}, plain(0x801C, B(0x1F))},
      {{"SET R2A"}, plain(0x801C, R(0x2A))},
      {{"OUT T5 H0A"}, plain(0x8035 | 0x02200000, T(5), 0xA, 8)},
      {{"MOV K9999999 D0"}, plain(0x8051 | K1, 0x9999999, D(0))},
      {{"MOVK K5 K12Y14"}, plain(0x809F | K1, 5, group(Y(0x14), 12))},
      {{"MOVK K5 K15Y01"}, plain(0x809F | K1, 5, group(Y(0x1), 15))},
      {{"MIVK K12X10 D0"}, plain(0x809E, group(X(0x10), 12), D(0))},
  };
  for (const StatementCase& c : kept) EXPECT_EQ(one(c.lines), c.record) << c.lines[0];
  const ErrorCase refused[] = {
      {{"SET X0"}, ParseError::BAD_OPERAND, 1, 0},
      {{"MOV K9Y0 D0"}, ParseError::BAD_OPERAND, 1, 0},     // nine digits
      {{"MOVK K9Y0 D0"}, ParseError::BAD_OPERAND, 1, 0},    // operand 1 is no bit range
      {{"MOVK K5 K12M0"}, ParseError::BAD_OPERAND, 2, 0},   // a bit range of MOVK is on Y
      {{"MOVK K5 K12Y18"}, ParseError::BAD_OPERAND, 2, 0},  // bits 8-19 cross a word
      {{"MOVK K5 K16Y0"}, ParseError::BAD_OPERAND, 2, 0},   // at most 15 bits
      {{"MIVK K4Y10 D0"}, ParseError::BAD_OPERAND, 1, 0},   // a bit range of MIVK is on X
      {{"MIVK K4X18 D0"}, ParseError::BAD_OPERAND, 1, 0},   // from a multiple of 16
  };
  for (const ErrorCase& c : refused) {
    Parsed p = parse(c.lines);
    EXPECT_EQ(p.result, PARSE_ERRORS) << c.lines[0];
    EXPECT_EQ(p.errors.size(), 1u) << c.lines[0];
    if (p.errors.empty()) continue;
    EXPECT_EQ(parse_error_kind(p.errors[0]), c.kind) << c.lines[0];
    EXPECT_EQ(parse_error_operand(p.errors[0]), c.operand) << c.lines[0];
  }
}
