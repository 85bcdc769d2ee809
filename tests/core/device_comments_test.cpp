#include "core/device_comments.h"
#include "core/core_state.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "core/mnemonic_parser.h"
#include "core/mnemonic_text.h"
#include "core/sjis.h"
#include "support/instruction_records.h"
#include "support/ladder_text.h"
#include "support/mnemonic_lines.h"

namespace {

void comment(LadderGrid& grid, int row, int column, const char* text) {
  LadderRow& r = grid[static_cast<size_t>(row)];
  r.cell[column].word[0] |= CellFlags::HAS_COMMENT;
  std::memset(r.text[column], 0, sizeof r.text[column]);
  std::strncpy(r.text[column], text, sizeof r.text[column] - 1);
}

std::string cell_comment(const LadderGrid& grid, int row, int column) {
  const LadderRow& r = grid[static_cast<size_t>(row)];
  if (!(r.cell[column].word[0] & CellFlags::HAS_COMMENT)) return "<none>";
  return std::string(fixed_text(r.text[column]));
}

struct Record {
  uint32_t key;
  std::string text;
  bool operator==(const Record&) const = default;
};
std::vector<Record> records(ConstCommentSpan table) {
  std::vector<Record> out;
  for (const DeviceComment& c : table) {
    if (static_cast<uint32_t>(c.key) == COMMENT_TABLE_END_KEY) break;
    out.push_back({static_cast<uint32_t>(c.key), std::string(fixed_text(c.text))});
  }
  return out;
}
void PrintTo(const Record& r, std::ostream* os) { *os << std::hex << r.key << " \"" << r.text << "\""; }

using namespace il;

TEST(CellDeviceOperand, EachPlaceOfADevice) {
  const auto grid = ladder_from_text({
      "X0 /X1 {= D0 K5} ~ (Y0)",
      "M3 - - - - - - - - - (T4 D7)",
      "X2 - - - - - - - - - (C1 K10)",
      "X3 - - - - - - - - [MOV D10 D11]",
      "P5: X4 ~ [+ D0 K10 D2]",
      "X5 ~ (Y1)",
      "^@3M7 ~ (Y2)",
  });
  struct Case {
    int row, column;
    DeviceOperand expected;
  };
  const Case cases[] = {
      {0, 0, X(0)}, {0, 1, X(1)},
      {0, 2, NO_CELL_DEVICE},  // a comparison's first cell
      {0, 3, D(0)},           // its second cell shows operand 1
      {0, 4, NO_CELL_DEVICE},  // operand 2 is a constant
      {0, 5, NO_CELL_DEVICE},  // a line
      {0, 11, Y(0)},
      {0, 15, LABEL_CELL_DEVICE},
      {1, 10, T(4)}, {1, 11, D(7)},
      {2, 10, 0x50000001}, {2, 11, NO_CELL_DEVICE},  // constant set value
      {3, 9, NO_CELL_DEVICE}, {3, 10, D(10)}, {3, 11, D(11)},
      {4, 8, NO_CELL_DEVICE}, {4, 9, D(0)}, {4, 10, NO_CELL_DEVICE}, {4, 11, D(2)},
      {6, 0, M(7)},  // a contact on a U point: the device without the U number
      {9, 0, NO_CELL_DEVICE}, {0, 16, NO_CELL_DEVICE}, {-1, 0, NO_CELL_DEVICE},
  };
  ASSERT_NE(grid[6].cell[0].word[1], M(7)) << "the U number is kept in the cell";
  for (const Case& c : cases)
    EXPECT_EQ(get_cell_device_operand(grid, c.row, c.column), c.expected) << c.row << "," << c.column;
}

TEST(CollectCommentTable, FirstTextOfADeviceWinsAndLabelsGoByRow) {
  auto grid = ladder_from_text({
      "X1 - - - - - - - - - - (Y0)",
      "; a row comment",
      "P5: X1 {= D0 K5} - - - - - - (T3 K10)",
      "X0 [ASM K1] | MOV A,B",
  });
  comment(grid, 0, 0, "first");
  comment(grid, 0, 11, "lamp");
  comment(grid, 2, 0, "second");
  comment(grid, 2, 1, "not a device");  // a comparison's first cell
  comment(grid, 2, 2, "value");
  comment(grid, 2, 10, "timer");
  comment(grid, 2, 15, "label");
  comment(grid, 3, 0, "in text row");
  comment(grid, 3, 5, "inside the text");
  DeviceCommentTable table = make_device_comment_table(20);
  collect_comment_table(table, grid);
  EXPECT_EQ(records(table), (std::vector<Record>{{X(1), "first"},
                                                {Y(0), "lamp"},
                                                {ROW_LABEL_KEY_BASE + 2, "label"},
                                                {D(0), "value"},
                                                {T(3), "timer"},
                                                {X(0), "in text row"}}));
}

TEST(CollectCommentTable, BoundedByTheTable) {
  // One row gives 13 records: its label and columns 0-11 (here eleven contacts and a coil).
  auto grid = ladder_from_text({"P1: X0 X1 X2 X3 X4 X5 X6 X7 X8 X9 XA (Y0)"});
  for (int c = 0; c < 12; ++c) comment(grid, 0, c, "c");
  comment(grid, 0, 15, "l");
  EXPECT_EQ(comment_table_size_for_rows(1), 14);
  DeviceCommentTable whole(static_cast<size_t>(comment_table_size_for_rows(1)));
  collect_comment_table(whole, grid);
  EXPECT_EQ(records(whole).size(), 13u);
  EXPECT_EQ(static_cast<uint32_t>(whole[13].key), COMMENT_TABLE_END_KEY);
  for (size_t size : {0u, 1u, 5u}) {
    DeviceCommentTable small(size);
    collect_comment_table(small, grid);
    if (size > 0) {
      EXPECT_EQ(records(small).size(), size - 1);
      EXPECT_EQ(static_cast<uint32_t>(small[size - 1].key), COMMENT_TABLE_END_KEY);
    }
  }
  EXPECT_EQ(comment_table_size_for_rows(6000), MAX_DEVICE_COMMENTS);
}

TEST(ApplyCommentTable, EveryCellOfTheDeviceAndTheRebuiltLabel) {
  auto grid = ladder_from_text({
      "X1 - - - - - - - - - - (Y0)",
      "P7: /X1 - - - - - - - - [MOV D0 D1]",
      "X2 - - - - - - - - - - (Y1)",
      "END",
      "X1 - - - - - - - - - - (Y2)",
  });
  grid[1].source_position = 3;  // rebuilt from source row 3
  grid[2].source_position = 0;
  DeviceCommentTable table = make_device_comment_table(10);
  const DeviceComment input[] = {{static_cast<int32_t>(X(1)), "pump"},
                                 {static_cast<int32_t>(X(1)), "later"},
                                 {static_cast<int32_t>(D(1)), "target"},
                                 {static_cast<int32_t>(ROW_LABEL_KEY_BASE + 3), "loop"},
                                 {static_cast<int32_t>(ROW_LABEL_KEY_BASE + 0), "row 0"}};
  std::copy(std::begin(input), std::end(input), table.begin());
  table[5].key = static_cast<int32_t>(COMMENT_TABLE_END_KEY);
  apply_comment_table(grid, table);
  EXPECT_EQ(cell_comment(grid, 0, 0), "pump");
  EXPECT_EQ(cell_comment(grid, 1, 0), "pump");
  EXPECT_EQ(cell_comment(grid, 1, 11), "target");
  EXPECT_EQ(cell_comment(grid, 1, 15), "loop");
  EXPECT_EQ(cell_comment(grid, 0, 15), "<none>") << "a row without a label takes no label comment";
  EXPECT_EQ(cell_comment(grid, 2, 15), "<none>");
  EXPECT_EQ(cell_comment(grid, 4, 0), "<none>") << "rows after END are not program rows";
}

TEST(ParseCommentDevice, TheRadixOfMnemonicText) {
  struct Case {
    const char* text;
    int result;
    DeviceOperand key;
  };
  const Case cases[] = {
      {"X10", 0, X(0x10)}, {"x1f", 0, X(0x1F)}, {"M10", 0, M(10)}, {"S10", 0, S(10)},
      {"B10", 0, B(0x10)}, {"R10", 0, R(0x10)}, {"T05", 0, T(5)},  {"D100", 0, D(100)},
      {"J105", 0, 0xF0000105}, {"J102-05", 0, 0xF0000102 | 0x8000 | 3 << 16},
      {"J105-02", -1, 0}, {"K10", -1, 0}, {"H10", -1, 0}, {"410", -1, 0}, {"K4M0", -1, 0},
      {"M1A", -1, 0}, {"", -1, 0}, {"Z0", -1, 0},
  };
  for (const Case& c : cases) {
    DeviceOperand key = 0;
    EXPECT_EQ(parse_comment_device(c.text, key), c.result) << c.text;
    if (c.result == 0) {
      EXPECT_EQ(key, c.key) << c.text;
    }
  }
}

TEST(OpcodeOfLine, WordsAsWritten) {
  MnemonicText text = make_text({"OUT     T05", "out c3", "OUT Y00", "LDD D03", "MOVP", "DMOV D0 D1", "x"});
  EXPECT_EQ(opcode_of_line(text[0]), Instr::TIM);
  EXPECT_EQ(opcode_of_line(text[1]), Instr::CNT);
  EXPECT_EQ(opcode_of_line(text[2]), Instr::OUT);
  EXPECT_EQ(opcode_of_line(text[3]), Instr::LDD);
  EXPECT_EQ(opcode_of_line(text[4]), OPCODE_NONE);
  EXPECT_EQ(opcode_of_line(text[5]), OPCODE_NONE);
  EXPECT_EQ(opcode_of_line(text[6]), OPCODE_NONE);
}

TEST(AnnotateText, CommentColumnsAndKeys) {
  MnemonicText text = make_text({
      "LD      X10",
      "AND     S10",
      "OR      R10",
      "OUT     B10",
      "OUT     T05",
      "K10",
      "LDD     D03",
      "OUT     M100",
      "MOV     ",
      "D00",
      "LD      X10 ; kept",
      ";LD X10",
      "SET     Y00" + std::string(20, ' '),
  });
  DeviceCommentTable table = make_device_comment_table(20);
  const DeviceComment input[] = {
      {static_cast<int32_t>(X(0x10)), "START\nPB\n"}, {static_cast<int32_t>(S(10)), "step"},
      {static_cast<int32_t>(R(0x10)), "reg \nbit\n"}, {static_cast<int32_t>(B(0x10)), "link"},
      {static_cast<int32_t>(T(5)), "delay"},          {static_cast<int32_t>(D(3) | 0x800000), "bit 3"},
      {static_cast<int32_t>(M(100) | 0x800000), "suffixed"}, {static_cast<int32_t>(D(0)), "word"},
      {static_cast<int32_t>(Y(0)), "ランプ"},
  };
  std::copy(std::begin(input), std::end(input), table.begin());
  table[std::size(input)].key = static_cast<int32_t>(COMMENT_TABLE_END_KEY);
  annotate_text_with_comments(table, text);
  const std::string at28(17, ' ');  // "LD      X10" is 11 characters: ';' at column 28
  EXPECT_EQ(text_statements(text), (std::vector<std::string>{
                                       "LD      X10" + at28 + "; START PB",
                                       "AND     S10" + at28 + "; step",
                                       "OR      R10" + at28 + "; reg  bit",
                                       "OUT     B10" + at28 + "; link",
                                       "OUT     T05" + at28 + "; delay",
                                       "K10",
                                       "LDD     D03" + at28 + "; bit 3",
                                       "OUT     M100" + std::string(16, ' ') + "; suffixed",
                                       "MOV     ",
                                       "D00",
                                       "LD      X10 ; kept",
                                       ";LD X10",
                                       "SET     Y00" + std::string(25, ' ') + "; ランプ",
                                   }));
}

TEST(CollectAndSpread, ACommentReachesEveryLineOfItsDevice) {
  MnemonicText text =
      make_text({"LD X0 ; pump", "AND X1", "LDI X00", "MOV", "D0", "D1", "OUT Y00 ;　ランプ 点灯 X", "END"});
  DeviceCommentTable table = make_device_comment_table(20);
  InstructionList list(20);
  reset_core_state();
  ASSERT_EQ(parse_mnemonic_text(nullptr, table, text, list, nullptr, 0), PARSE_OK) << std::hex << g_conversion_errors[0];
  EXPECT_EQ(records(table), (std::vector<Record>{{X(0), "pump\n"}, {Y(0), "ランプ\n点灯\n"}}));
  EXPECT_EQ(text_statements(text), (std::vector<std::string>{"LD X0" + std::string(19, ' ') + "; pump",
                                                             "AND X1",
                                                             "LDI X00" + std::string(17, ' ') + "; pump",
                                                             "MOV",
                                                             "D0",
                                                             "D1",
                                                             "OUT Y00" + std::string(17, ' ') + ";　ランプ 点灯 X",
                                                             "END"}));
  EXPECT_EQ(text[0].flags, 0x111);
  EXPECT_EQ(text[1].flags, 0x10);
  EXPECT_EQ(text[2].flags, 0x111);
  EXPECT_EQ(text[3].flags, 0);
  EXPECT_EQ(std::string(text[2].comment), " pump\n");

  // A second compile of the same text collects the same comments.
  DeviceCommentTable again = make_device_comment_table(20);
  ASSERT_EQ(parse_mnemonic_text(nullptr, again, text, list, nullptr, 0), PARSE_OK);
  EXPECT_EQ(records(again)[0], records(table)[0]);
  EXPECT_EQ(records(again)[1], records(table)[1]);
  EXPECT_EQ(text_statements(text)[2], "LDI X00" + std::string(17, ' ') + "; pump");
}

TEST(CollectAndSpread, TheFirstCommentOfADeviceWins) {
  MnemonicText text = make_text({"LD M10 ; one", "OUT M10 ; two", "END"});
  DeviceCommentTable table = make_device_comment_table(2);  // room for one record
  InstructionList list(20);
  reset_core_state();
  ASSERT_EQ(parse_mnemonic_text(nullptr, table, text, list, nullptr, 0), PARSE_OK);
  EXPECT_EQ(records(table), (std::vector<Record>{{M(10), "one\n"}}));
  EXPECT_EQ(text_statements(text)[1], "OUT M10" + std::string(17, ' ') + "; one");
}

TEST(FoldCommentText, TwoShortLines) {
  struct Case {
    const char* comment;
    const char* folded;
  };
  const Case cases[] = {
      {"pump\n", "pump\n"},
      {"START PB\n", "START\nPB\n"},
      {"START　PB", "START\nPB\n"},
      {"  one two three", "one\ntwo\n"},
      {"ABCDEFGHIJK", "ABCDEFGHI\n"},  // 11 bytes: cut to 9
      {"ABCDEFGHIJ", "ABCDEFGH\n"},    // 10 bytes: cut to 8
      {"Aあいうえb", "Aあいう\n"},      // no double-byte character is split
      {"Aあいうえ", "Aあいうえ\n"},    // 9 bytes stay whole
      {"ポンプ始動", "ポンプ始\n"},
      {"　　", ""},
      {"", ""},
  };
  for (const Case& c : cases) {
    char out[COMMENT_TEXT_SIZE];
    fold_comment_text(out, c.comment);
    EXPECT_STREQ(out, c.folded) << c.comment;
  }
  char tiny[4];
  fold_comment_text(tiny, "pump");
  EXPECT_STREQ(tiny, "pum");
}

}  // namespace
