// Text typed for the cursor cell, as the number entry dialog's OK stores it: each case a
// ladder row, the cell, the text, and the row after or the message the user gets (a
// refused text leaves the ladder as it was).
#include "design/operand_entry.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>

#include "core/instruction_tables.h"
#include "edit_screen.h"
#include "support/notice_recorder.h"

namespace {

using edit_test::Screen;
using Rows = std::vector<std::string>;

Rows canonical(const Rows& rows) { return ladder_to_text(ladder_from_text(rows)); }

std::string bad_operand(int k) {
  char text[64];
  std::snprintf(text, sizeof text, BAD_OPERAND_FORMAT, k);
  return text;
}

struct EntryCase {
  const char* name;
  Rows before;
  int row, column;
  const char* text;
  Rows after;           // with END; empty when refused
  std::string message;  // "" when none
  const char* stored = nullptr;  // the text the entry shows back (contact stores)
  bool same_numbers = false;
  std::vector<int> answers = {};
};

class CellEntry : public testing::TestWithParam<EntryCase> {};

TEST_P(CellEntry, StoresOrRefuses) {
  const EntryCase& c = GetParam();
  Screen s(c.before);
  s.select(c.row, c.column);
  const LadderGrid before = s.grid;
  NoticeRecorder notices;
  notices.answers = {c.answers.begin(), c.answers.end()};
  EntryOptions options;
  options.change_same_numbers = c.same_numbers;
  std::string text = c.text;
  const EditEffects e = enter_cell_text(s.grid, s.view, text, options, edit_test::WIDTH);
  std::vector<std::string> shown;
  for (const auto& n : notices.notices) shown.push_back(n.text);
  if (c.after.empty()) {
    EXPECT_FALSE(e.changed);
    EXPECT_EQ(std::memcmp(s.grid.data(), before.data(), before.size() * sizeof(LadderRow)), 0) << s.text()[0];
  } else {
    EXPECT_TRUE(e.changed);
    EXPECT_EQ(s.text(), canonical(c.after));
    EXPECT_TRUE(e.sync.has_value());
  }
  if (c.message.empty())
    EXPECT_TRUE(shown.empty() || !c.answers.empty()) << shown[0];
  else
    EXPECT_EQ(shown, Rows{c.message});
  if (c.stored != nullptr) EXPECT_EQ(text, c.stored);
}

const std::string kOperandError = OPERAND_ERROR_MESSAGE;
const std::string kInstructionError = INSTRUCTION_ERROR_MESSAGE;
const std::string kCountError = OPERAND_COUNT_MESSAGE;

INSTANTIATE_TEST_SUITE_P(
    Contacts, CellEntry,
    testing::Values(
        EntryCase{"HexY", {"X0 X1 ~ (Y0)"}, 0, 1, "Y10", {"X0 Y10 ~ (Y0)", "END"}, "", "Y10"},
        EntryCase{"DecimalM", {"X0 X1 ~ (Y0)"}, 0, 0, "m100", {"M100 X1 ~ (Y0)", "END"}, "", "M100"},
        EntryCase{"CoilOperand", {"X0 ~ (Y0)"}, 0, 11, "Y5", {"X0 ~ (Y5)", "END"}, "", "Y5"},
        EntryCase{"EmptyRemovesTheOperand", {"X0 X1 ~ (Y0)"}, 0, 1, "", {"X0 ? ~ (Y0)", "END"}, ""},
        EntryCase{"BadDevice", {"X0 X1 ~ (Y0)"}, 0, 1, "Z3", {}, kOperandError},
        EntryCase{"LabelRenamed", {"P5: X0 ~ (Y0)"}, 0, LABEL_COLUMN, "p12", {"P12: X0 ~ (Y0)", "END"}, "", "P12"},
        EntryCase{"LabelNotP", {"P5: X0 ~ (Y0)"}, 0, LABEL_COLUMN, "Q12", {}, kOperandError},
        EntryCase{"LabelAboveItsHighest", {"P5: X0 ~ (Y0)"}, 0, LABEL_COLUMN, "P300", {}, kOperandError},
        EntryCase{"LabelWithMore", {"P5: X0 ~ (Y0)"}, 0, LABEL_COLUMN, "P12 X", {}, kOperandError},
        // 同番変: the other uses of the old device follow the coil.
        EntryCase{"RenumberTheUses", {"X0 ~ (Y1)", "Y1 /Y1 ~ (Y3)", "X2 ~ (Y4)"}, 0, 11, "Y2",
                  {"X0 ~ (Y2)", "Y2 /Y2 ~ (Y3)", "X2 ~ (Y4)", "END"}, "", "Y2", true},
        EntryCase{"DuplicateOutput", {"X0 ~ (Y1)", "X1 ~ (Y2)"}, 0, 11, "Y2", {},
                  "第2段のラダ－に同一番号の出力が有ります！", nullptr, true}),
    [](const auto& info) { return std::string(info.param.name); });

INSTANTIATE_TEST_SUITE_P(
    Instructions, CellEntry,
    testing::Values(
        EntryCase{"Box", {"X0 ~ [MOV]"}, 0, 11, "MOV D0 D1", {"X0 ~ [MOV D0 D1]", "END"}, ""},
        EntryCase{"LowerCase", {"X0 ~ [MOV]"}, 0, 11, "mov d0 d1", {"X0 ~ [MOV D0 D1]", "END"}, ""},
        EntryCase{"PForm", {"X0 ~ [MOV]"}, 0, 11, "MOVP D0 D1", {"X0 ~ [MOVP D0 D1]", "END"}, ""},
        EntryCase{"KConstant", {"X0 ~ [MOV]"}, 0, 11, "MOV K100 D1", {"X0 ~ [MOV K100 D1]", "END"}, ""},
        EntryCase{"HConstant", {"X0 ~ [MOV]"}, 0, 11, "MOV H1A D1", {"X0 ~ [MOV H1A D1]", "END"}, ""},
        EntryCase{"KWithHexDigits", {"X0 ~ [MOV]"}, 0, 11, "MOV K1A D1", {}, bad_operand(1)},
        EntryCase{"KAboveItsHighest", {"X0 ~ [MOV]"}, 0, 11, "MOV K10000000 D1", {}, bad_operand(1)},
        EntryCase{"WholeDeviceNumber", {"X0 ~ [MOV]"}, 0, 11, "MOV D70000 D1", {}, bad_operand(1)},
        EntryCase{"ConstantDestination", {"X0 ~ [MOV]"}, 0, 11, "MOV D0 K1", {}, bad_operand(2)},
        EntryCase{"TooFew", {"X0 ~ [MOV]"}, 0, 11, "MOV D0", {}, kCountError},
        EntryCase{"TooMany", {"X0 ~ [MOV]"}, 0, 11, "MOV D0 D1 D2", {}, kCountError},
        EntryCase{"UnknownName", {"X0 ~ [MOV]"}, 0, 11, "MOVE D0 D1", {}, kInstructionError},
        EntryCase{"MixedCase", {"X0 ~ [MOV]"}, 0, 11, "Mov D0 D1", {}, kInstructionError},
        EntryCase{"BadTimerWord", {"X0 ~ [MOV]"}, 0, 11, "T1x K5", {}, kInstructionError},
        // A timer replaces the box; the box's cells left of the coil become lines.
        EntryCase{"TimerOverABox", {"X0 ~ [MOV]"}, 0, 11, "T5 K100", {"X0 ~ (T5 K100)", "END"}, ""},
        EntryCase{"CounterWithRegister", {"X0 ~ (T?)"}, 0, 11, "C3 D4", {"X0 ~ (C3 D4)", "END"}, ""},
        EntryCase{"TimerWithDevice", {"X0 ~ (T?)"}, 0, 11, "T5 M1", {}, bad_operand(2)},
        // Another timer with the number: the user is asked and may stop.
        EntryCase{"DuplicateTimerCancelled", {"X0 ~ (T?)", "X1 ~ (T5 K10)"}, 0, 11, "T5 K20", {},
                  "", nullptr, false, {NoticeAnswer::CANCEL}},
        EntryCase{"DuplicateTimerConfirmed", {"X0 ~ (T?)", "X1 ~ (T5 K10)"}, 0, 11, "T5 K20",
                  {"X0 ~ (T5 K20)", "X1 ~ (T5 K10)", "END"}, "", nullptr, false, {NoticeAnswer::OK}},
        EntryCase{"DigitGroup", {"X0 ~ [MOV]"}, 0, 11, "MOV K4M0 D1", {"X0 ~ [MOV K4M0 D1]", "END"}, ""},
        EntryCase{"XGroupAsDestination", {"X0 ~ [MOV]"}, 0, 11, "MOV D0 K4X0", {}, bad_operand(2)},
        EntryCase{"PDeviceOnlyForJumps", {"X0 ~ [MOV]"}, 0, 11, "MOV P5 D1", {}, bad_operand(1)},
        EntryCase{"JumpToLabel", {"X0 ~ [MOV]"}, 0, 11, "CJ P5", {"X0 ~ [CJ P5]", "END"}, ""},
        EntryCase{"MasterControl", {"X0 ~ [MOV]"}, 0, 11, "MC N0 M1", {"X0 ~ [MC N0 M1]", "END"}, ""},
        EntryCase{"MasterControlNeedsN", {"X0 ~ [MOV]"}, 0, 11, "MC M0 M1", {}, bad_operand(1)},
        EntryCase{"PFormNotAllowed", {"X0 ~ [MOV]"}, 0, 11, "CJP P5", {}, kInstructionError},
        EntryCase{"BitRangeStartOnAWord", {"X0 ~ [MOV]"}, 0, 11, "MIVK B4X3 D0", {}, bad_operand(1)},
        EntryCase{"StepCounterWithConstant", {"X0 ~ [MOV]"}, 0, 11, "STEP S0 K5 M0", {}, bad_operand(3)},
        EntryCase{"Comparison", {"{= D0 K5} ~ (Y0)"}, 0, 0, ">= D1 K7", {"{>= D1 K7} ~ (Y0)", "END"}, ""},
        EntryCase{"DComparison", {"{= D0 K5} ~ (Y0)"}, 0, 0, "D= D1 D2", {"{D= D1 D2} ~ (Y0)", "END"}, ""},
        // END mid-program, confirmed: the next row becomes the end mark.
        EntryCase{"EndConfirmed", {"X0 ~ [MOV]", "X1 ~ (Y1)"}, 0, 11, "END", {"END"}, "", nullptr, false,
                  {NoticeAnswer::OK}},
        EntryCase{"EndCancelled", {"X0 ~ [MOV]", "X1 ~ (Y1)"}, 0, 11, "END", {}, "", nullptr, false,
                  {NoticeAnswer::CANCEL}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(OperandEntry, TheEndQuestionNamesTheFileAndKeepsTheSpecialRows) {
  Screen s({"X0 ~ [MOV]", "X1 ~ (Y1)", "END"});
  // A special row (initial-on devices) after END.
  LadderGrid& g = s.grid;
  g.insert(g.begin() + 3, LadderRow{});
  g[3].cell[12].word[0] = SpecialRow::INITIAL_ON | CellFlags::SPECIAL;
  g[3].cell[0].word[0] = CellFlags::SPECIAL;
  g[3].cell[0].word[1] = 0x01000005;
  make_end_mark_row(g[4]);
  s.select(0, 11);
  NoticeRecorder notices;
  EntryOptions options;
  options.file_path = "C:\\ladder\\a.MBS";
  std::string text = "END";
  const EditEffects e = enter_cell_text(s.grid, s.view, text, options, edit_test::WIDTH);
  EXPECT_TRUE(e.changed);
  ASSERT_EQ(notices.notices.size(), 1u);
  EXPECT_EQ(notices.notices[0].text, END_QUESTION);
  EXPECT_EQ(notices.notices[0].caption, options.file_path);
  EXPECT_TRUE(is_end_row(g[0]));
  EXPECT_EQ(g[1].cell[0].word[1], 0x01000005u);  // the special row, moved up behind END
  EXPECT_TRUE(is_end_mark_row(g[2]));
  EXPECT_STREQ(g[2].text[0], "F0F0F0F0");
}

TEST(OperandEntry, NamesAndForms) {
  // The D and P forms: DMOV is MOV with the D flag when MOV allows it; DAND keeps its name;
  // CMP is not CM in the P form.
  struct Case {
    const char* text;
    int code;
    int flags;
  };
  const int mov_attributes = g_instruction_attributes[Instr::MOV];
  std::vector<Case> cases = {{"MOVP D0 D1", Instr::MOV, RecordFlags::P_FORM}, {"DAND D0 D1", Instr::DAND, RecordFlags::D_FORM}};
  if ((mov_attributes & InstrAttr::D_FORM) != 0) cases.push_back({"DMOV D0 D2", Instr::MOV, RecordFlags::D_FORM});
  if (find_instruction_code("CMP") >= 0) cases.push_back({"CMP D0 D1 M0", Instr::CMP, 0});
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    Screen s({"X0 ~ [MOV]"});
    s.select(0, 11);
    NoticeRecorder notices;
    int code = 0, flags = 0;
    EXPECT_EQ(place_instruction(s.grid, s.view, c.text, code, flags, EntryOptions{}), 1);
    EXPECT_EQ(code, c.code);
    EXPECT_EQ(flags, c.flags);
    EXPECT_EQ(s.grid[0].cell[12].word[0], static_cast<uint32_t>(c.code | c.flags));
    EXPECT_TRUE(notices.notices.empty());
  }
}

TEST(OperandEntry, WordsOfTheEncodedOperands) {
  struct Case {
    const char* text;
    int column;            // of the anchor cell whose words are checked
    uint32_t words[4];     // word 1 of the anchor and of the next three cells
    uint32_t flag_bits;    // constant and hex bits of the anchor's word 0
  };
  const Case cases[] = {
      {"MOV K100 D1", 11, {0x100, 0xD0000001, 0, 0}, CellFlags::CONSTANT_0},
      {"MOV H1A D1", 11, {0x1A, 0xD0000001, 0, 0}, CellFlags::CONSTANT_0 | CellFlags::HEX_0},
      {"MOVK D0 B4Y8", 11, {0xD0000000, 0x14000008, 0, 0}, 0},
      {"MIVK B8X10 D3", 11, {0x08000010, 0xD0000003, 0, 0}, 0},
      {"STEP S1 K12 D0", 11, {0x30000001, 0x12, 0xD0000000, 0}, CellFlags::CONSTANT_0 << 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    Screen s({"X0 ~ [MOV]"});
    s.select(0, 11);
    NoticeRecorder notices;
    std::string text = c.text;
    ASSERT_TRUE(enter_cell_text(s.grid, s.view, text, EntryOptions{}, edit_test::WIDTH).changed);
    const LadderRow& row = s.grid[0];
    for (int k = 0; k < 4 && c.column + k <= 14; ++k) EXPECT_EQ(row.cell[c.column + k].word[1], c.words[k]) << k;
    EXPECT_EQ(row.cell[c.column].word[0] & (CellFlags::CONSTANT_MASK | CellFlags::HEX_MASK), c.flag_bits);
    EXPECT_NE(row.cell[c.column].word[0] & CellFlags::OPERAND_SET, 0u);
  }
}

TEST(OperandEntry, SetWithTheTSuffixAndItsRenumbering) {
  Screen s({"X0 ~ [SET M1]", "M1 ~ (Y0)"});
  s.select(0, 11);
  NoticeRecorder notices;
  EntryOptions options;
  options.change_same_numbers = true;
  std::string text = "SET M7T";
  ASSERT_TRUE(enter_cell_text(s.grid, s.view, text, options, edit_test::WIDTH).changed);
  EXPECT_EQ(s.grid[0].cell[11].word[1], 0x20800007u);
  EXPECT_EQ(s.row_text(1), canonical({"M7 ~ (Y0)"})[0]);
}

TEST(OperandEntry, ContinuationMarks) {
  Screen s({"X0 ~ [MOV D0 D1]", "{= D0 K5} ~ (Y1)"});
  NoticeRecorder notices;
  int code = 0, flags = 0;
  s.select(0, 11);
  ASSERT_EQ(place_instruction(s.grid, s.view, "-->>", code, flags, EntryOptions{}), 0);
  EXPECT_EQ(s.grid[0].cell[11].word[0] & ~CellFlags::LINK_UP, 0x40CCu);
  EXPECT_EQ(s.grid[0].cell[11].word[1], 0x90000000u);
  EXPECT_EQ(s.grid[0].cell[12].word[0], static_cast<uint32_t>(Instr::OUT));
  EXPECT_EQ(s.grid[0].cell[9].word[0] & ~CellFlags::LINK_UP, CellWord::LINE_ONLY) << "the box's cells become lines";
  // ">>--" only in column 0.
  s.view.cursor_row = 1;
  s.view.cursor_col = 4;
  EXPECT_EQ(place_instruction(s.grid, s.view, ">>--", code, flags, EntryOptions{}), -1);
  s.view.cursor_col = 0;
  ASSERT_EQ(place_instruction(s.grid, s.view, ">>--", code, flags, EntryOptions{}), 0);
  EXPECT_EQ(s.grid[1].cell[0].word[0] & ~CellFlags::LINK_UP, 0xDCu);
  EXPECT_TRUE(notices.notices.empty());
}

TEST(OperandEntry, ComparisonPlacement) {
  const LadderGrid grid = ladder_from_text({"X0 ~ (Y0)", "X1 ^- ~ (Y1)", "{= D0 K5} ~ (Y2)"});
  EXPECT_EQ(check_comparison_placement(grid, 0, 2), 0);
  EXPECT_EQ(check_comparison_placement(grid, 0, 9), 1);   // needs three cells ending by column 10
  EXPECT_EQ(check_comparison_placement(grid, 0, 0), 1);   // a link below in column 1
  EXPECT_EQ(check_comparison_placement(grid, 2, 0), 0);   // already a comparison
  EXPECT_EQ(check_comparison_placement(grid, 2, 1), 1);   // its middle cell
}

TEST(OperandEntry, FindsTheDuplicateOutputRow) {
  const LadderGrid grid = ladder_from_text({"X0 ~ (Y1)", "X1 ~ (Y2)", "X2 ~ (Y2)"});
  ViewState view{};
  view.cursor_row = 1;
  EXPECT_EQ(find_duplicate_output(grid, view, device_operand("Y2")), 3);
  EXPECT_EQ(find_duplicate_output(grid, view, device_operand("Y1")), 1);
  EXPECT_EQ(find_duplicate_output(grid, view, device_operand("Y7")), 0);
}

}  // namespace
