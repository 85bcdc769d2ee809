#include "core/old_design_file.h"
#include "core/core_state.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "core/design_file.h"
#include "core/ladder_compiler.h"
#include "file_test_support.h"
#include "support/notice_recorder.h"

using namespace file_test;

namespace {

class OldDesignFileTest : public ::testing::Test {
 protected:
  void SetUp() override { reset_core_state(); }
  int read(LadderGrid& grid, std::string_view bytes) {
    File f = stream_with(bytes);
    return read_design_file(grid, f.get(), DESIGN_FILE_STANDALONE);
  }
};

struct CellWords {
  int row, cell;
  uint32_t w0, w1;
};

void expect_cells(const LadderGrid& grid, std::initializer_list<CellWords> cells) {
  for (const CellWords& c : cells) {
    EXPECT_EQ(grid[c.row].cell[c.cell].word[0], c.w0) << "row " << c.row << " cell " << c.cell << " word 0";
    EXPECT_EQ(grid[c.row].cell[c.cell].word[1], c.w1) << "row " << c.row << " cell " << c.cell << " word 1";
  }
}

void expect_lines(const LadderGrid& grid, int row, int from, int to) {
  for (int c = from; c <= to; ++c) {
    EXPECT_EQ(grid[row].cell[c].word[0], 0xB9u) << "row " << row << " cell " << c;
    EXPECT_EQ(grid[row].cell[c].word[1], 0u) << "row " << row << " cell " << c;
  }
}

void expect_end_mark(const LadderGrid& grid, int row) {
  for (int c = 0; c < ROW_CELLS; ++c) EXPECT_EQ(grid[row].cell[c].word[0], END_MARK_CELL) << "cell " << c;
  if (row > 0) {
    EXPECT_EQ(count_program_rows(grid), row);
  }
}

TEST(OldDesignLayouts, FirstLines) {
  struct Case {
    const char* line;
    OldDesignLayout layout;
  } cases[] = {
      {"mbs-file ver.1", OldDesignLayout::TWO_LINE},     {"MAS-FILE VER.1", OldDesignLayout::TWO_LINE},
      {"mbs-file 3bis ver.1", OldDesignLayout::RUN_LENGTH}, {"mas-file 3BIS ver.1", OldDesignLayout::RUN_LENGTH},
      {"mas-file omro ver.1", OldDesignLayout::OUTPUT_COL_9}, {"mbs-file omro ver.1", OldDesignLayout::NONE},
      {"mbs-file ver.1 ", OldDesignLayout::NONE},        {"mbs-file 3winv.1", OldDesignLayout::NONE},
  };
  for (const Case& c : cases) EXPECT_EQ(old_design_layout_of(c.line), c.layout) << c.line;
}

TEST_F(OldDesignFileTest, TwoLineLayout) {
  LadderGrid grid = make_ladder_grid(10);
  ASSERT_EQ(read(grid, read_fixture("old_two_line.MBS")), 0);
  expect_cells(grid, {
                         // Row 0: an M3 b-contact (only the low 12 bits of the old operand) and OUT Y7.
                         {0, 0, 0x2A, 0x20000003},
                         {0, 11, 0xC078, 0x10000007},
                         {0, 12, 15, 0},
                         {0, 14, 0, 0},
                         // Row 1: X1 and TIM T2 K1234: the constant set value is kept.
                         {1, 0, 0x1A, 0x1},
                         {1, 10, 0x20008, 0},
                         {1, 11, 0x21C088, 0x40000002},
                         {1, 12, 53, 0x1234},
                         // Row 2: X2 and MOVP D0 D1, a box over columns 9-11.
                         {2, 0, 0x1A, 0x2},
                         {2, 9, 0x40C08, 0},
                         {2, 10, 0x40808, 0},
                         {2, 11, 0x4C408, 0xD0000000},
                         {2, 12, 81 | 0x2000, 0xD0000001},
                         // Row 3: END.
                         {3, 0, 0xBB, 0},
                         {3, 11, 0x46408, 0},
                         {3, 12, 16, 0},
                     });
  expect_lines(grid, 0, 1, 10);
  expect_lines(grid, 1, 1, 9);
  expect_lines(grid, 2, 1, 8);
  expect_lines(grid, 3, 1, 10);
  expect_end_mark(grid, 4);
}

TEST_F(OldDesignFileTest, RunLengthLayout) {
  LadderGrid grid = make_ladder_grid(10);
  ASSERT_EQ(read(grid, read_fixture("old_run_length.MBS")), 0);
  expect_cells(grid, {
                         {0, 0, 0x1A, 0},
                         {0, 11, 0xC078, 0x10000000},
                         {0, 12, 15, 0},
                         // CMP K2100 D5: the constant first operand is kept.
                         {1, 0, 0x2A, 0x20000007},
                         {1, 9, 0x40C08, 0},
                         {1, 10, 0x40808, 0},
                         {1, 11, 0x14C408, 0x2100},
                         {1, 12, 82, 0xD0000005},
                         {1, 13, 0, 0},
                         {2, 0, 0xBB, 0},
                         {2, 11, 0x46408, 0},
                         {2, 12, 16, 0},
                     });
  expect_lines(grid, 0, 1, 10);
  expect_lines(grid, 1, 1, 8);
  expect_end_mark(grid, 3);
}

TEST_F(OldDesignFileTest, OutputsInColumnNine) {
  LadderGrid grid = make_ladder_grid(10);
  ASSERT_EQ(read(grid, read_fixture("old_output_col_9.MBS")), 0);
  expect_cells(grid, {
                         // A coil in column 9 becomes lines in 9 and 10 and an OUT in 11; M16 moved to cell 11.
                         {0, 0, 0x3A, 0x3},
                         {0, 11, 0xC078, 0x20000010},
                         {0, 12, 15, 0},
                         {0, 13, 0, 0},
                         // An M1 contact (old kinds 0 and 1 are M) and TIM T3 K3020.
                         {1, 0, 0x1A, 0x20000001},
                         {1, 10, 0x20008, 0},
                         {1, 11, 0x21C088, 0x40000003},
                         {1, 12, 53, 0x3020},
                         {1, 13, 0, 0},
                         {2, 0, 0xBB, 0},
                         {2, 11, 0x6408, 0},
                         {2, 12, 16, 0},
                     });
  expect_lines(grid, 0, 1, 10);
  expect_lines(grid, 1, 1, 9);
  expect_lines(grid, 2, 1, 10);
  expect_end_mark(grid, 3);
}

TEST_F(OldDesignFileTest, EndMarkFirstIsAnEmptyProgram) {
  std::string zeros, marks;
  for (int i = 0; i < 14; ++i) {
    zeros += " 0000";
    marks += " 0FF0";
  }
  LadderGrid grid = make_ladder_grid(3);
  ASSERT_EQ(read(grid, "mas-file ver.1\r\nX\r\n0000" + marks + "\r\n" + zeros + "\r\n"), 0);
  expect_end_mark(grid, 0);
}

TEST_F(OldDesignFileTest, OlderFilesCarryNoSettings) {
  set_cpu_name(g_loaded_cpu_settings, "pic16F84");
  g_loaded_cpu_settings.option_a = 1;
  g_loaded_cpu_settings.interrupt_words[3] = 9;
  LadderGrid grid = make_ladder_grid(10);
  ASSERT_EQ(read(grid, read_fixture("old_run_length.MBS")), 0);
  EXPECT_STREQ(g_loaded_cpu_settings.cpu_name, "");
  EXPECT_EQ(g_loaded_cpu_settings.option_a, 0);
  EXPECT_EQ(g_loaded_cpu_settings.interrupt_words[3], 0);
}

TEST_F(OldDesignFileTest, OutOfTableCodesAndPForms) {
  // Old code 40 is outside the tables: no instruction, no box cells. Old code 3 with bit 7: PLSP.
  std::string text =
      "mbs-file 3bis ver.1\r\nX\r\n"
      "0000 10008 A0209 14008 11028 10000 DDDDD E0000 \r\n"
      "0001 10008 A0209 14008 11083 10000 DDDDD B0000 11001 20000 \r\n"
      "0002 E0FF0 \r\n";
  LadderGrid grid = make_ladder_grid(5);
  ASSERT_EQ(read(grid, text), 0);
  EXPECT_EQ(grid[0].cell[12].word[0], 0u);
  EXPECT_EQ(grid[0].cell[10].word[0], 0xB9u);
  EXPECT_EQ(grid[1].cell[12].word[0], 29u | 0x2000);
  EXPECT_EQ(grid[1].cell[10].word[0], 0x40C08u);
  EXPECT_EQ(grid[1].cell[11].word[1], 0x10000001u);  // Y1
}

// The run-length rows as the older program wrote them: each group "%1x%4x ", so the
// value is blank-padded and in lower case ("1   8 a 209 ").
std::string blank_padded(const std::string& file) {
  std::string out;
  size_t at = 0;
  int line = 0;
  while (at < file.size()) {
    size_t end = file.find("\r\n", at);
    std::string text = file.substr(at, end - at);
    if (line >= 2) {
      for (size_t g = 5; g + 6 <= text.size(); g += 6) {
        char group[8];
        std::snprintf(group, sizeof group, "%1x%4x ", static_cast<unsigned>(std::stoul(text.substr(g, 1), nullptr, 16)),
                      static_cast<unsigned>(std::stoul(text.substr(g + 1, 4), nullptr, 16)));
        text.replace(g, 6, group);
      }
    }
    out += text + "\r\n";
    at = end == std::string::npos ? file.size() : end + 2;
    ++line;
  }
  return out;
}

TEST_F(OldDesignFileTest, BlankPaddedGroupsReadAsZeroPadded) {
  for (const char* name : {"old_run_length.MBS", "old_output_col_9.MBS"}) {
    SCOPED_TRACE(name);
    const std::string zero_padded = read_fixture(name);
    const std::string padded = blank_padded(zero_padded);
    ASSERT_NE(padded, zero_padded);
    ASSERT_NE(padded.find("1   8 "), std::string::npos);
    LadderGrid want = make_ladder_grid(10);
    ASSERT_EQ(read(want, zero_padded), 0);
    LadderGrid got = make_ladder_grid(10);
    ASSERT_EQ(read(got, padded), 0);
    expect_same_cells(got, want, 4);
  }
}

TEST_F(OldDesignFileTest, DamagedGroupsAreBad) {
  // A value field holds blanks only before its digits, at least one digit, and four
  // characters in all; the repeat count is one hex digit.
  const char* rows[] = {
      "0000 1    \r\n",        // no digit at all
      "0000 1 8 8 \r\n",       // a blank between digits
      "0000 18   \r\n",        // blanks after the digits
      "0000  8008 \r\n",       // a blank repeat count
      "0000 1   8x\r\n",       // the group does not end in a blank
      "0000 1  -8 \r\n",       // a sign
  };
  for (const char* row : rows) {
    LadderGrid grid = make_ladder_grid(5);
    EXPECT_EQ(read(grid, std::string("mbs-file 3bis ver.1\r\nX\r\n") + row + "0001 e ff0 \r\n"), DESIGN_FILE_BAD)
        << row;
  }
  LadderGrid grid = make_ladder_grid(5);
  EXPECT_EQ(read(grid, "mbs-file 3bis ver.1\r\nX\r\n0000 e   8 \r\n0001 e ff0 \r\n"), 0);
  EXPECT_EQ(grid[0].cell[13].word[0], 0x8u);
  EXPECT_EQ(grid[1].cell[0].word[0], END_MARK_CELL);
}

// Rows of the layout with outputs in column 9: X0 in cell 0 (old kind 10, an a-contact
// with its operand set; kinds 0 and 1 would name M), lines up to cell 8, and the output marker in cell 9 with
// the old code in cell 10.
std::string col9_file(const std::vector<std::string>& rows) {
  std::string text = "mas-file omro ver.1\r\nX\r\n";
  int n = 0;
  char number[8];
  for (const std::string& row : rows) {
    std::snprintf(number, sizeof number, "%04d ", n++);
    text += number + row + "\r\n";
  }
  std::snprintf(number, sizeof number, "%04d ", n);
  text += number + std::string("C0FF0 \r\n");
  return text;
}
// cells 0-8 (X0 and lines), cell 9 the marker, cell 10 the old code, cell 11; then words 1.
std::string col9_row(const char* code_group, const char* operand_groups) {
  return std::string("180A8 80209 14008 ") + code_group + " 10000 DDDDD 10000 80000 " + operand_groups;
}
std::string col9_row_contact_in_8(const char* code_group, const char* operand_groups) {
  return std::string("180A8 70209 180A8 14008 ") + code_group + " 10000 DDDDD 10000 70000 10001 " + operand_groups;
}

TEST_F(OldDesignFileTest, OutputsInColumnNineKeepTheirInstruction) {
  NoticeRecorder recorder;
  // Old codes count from TIM (0): one below the codes of the 14-cell layouts, which count
  // from OUT. 8 is MOV (two operands), 10 B+ (three), 4 MC (two).
  LadderGrid grid = make_ladder_grid(10);
  ASSERT_EQ(read(grid, col9_file({col9_row("11008", "1D000 1D001 10000"), col9_row("1100A", "1D000 1D001 1D002"),
                                  col9_row("11004", "18001 12005 10000"), "90209 16008 10002 10000 DDDDD C0000"})),
            0);
  EXPECT_TRUE(recorder.notices.empty());
  expect_cells(grid, {
                         // MOV D0 D1: a box over columns 9-11, the operands in cells 11 and 12.
                         {0, 0, 0x801A, 0x0},
                         {0, 9, 0x40C08, 0},
                         {0, 10, 0x40808, 0},
                         {0, 11, 0x4C408, 0xD0000000},
                         {0, 12, 81, 0xD0000001},
                         {0, 13, 0, 0},
                         // B+ D0 D1 D2: three operand cells, the box starts in the free column 8.
                         {1, 8, 0x40C08, 0},
                         {1, 9, 0x40808, 0},
                         {1, 10, 0x40808, 0},
                         {1, 11, 0x4C408, 0xD0000000},
                         {1, 12, 100, 0xD0000001},
                         {1, 13, 0, 0xD0000002},
                         // MC n1 M5.
                         {2, 9, 0x40C08, 0},
                         {2, 11, 0x4C408, 0x80000001},
                         {2, 12, 18, 0x20000005},
                     });
  expect_lines(grid, 0, 1, 8);
  expect_lines(grid, 1, 1, 7);
  // The converted design compiles to the instructions the old file held.
  InstructionList list = make_instruction_list(50);
  ASSERT_EQ(compile_ladder(nullptr, grid, list, nullptr, 0), 0)
      << std::hex << (g_conversion_error_count > 0 ? g_conversion_errors[0] : 0u);
  std::vector<uint32_t> codes;
  for (const InstructionRecord& r : list) {
    if (is_end_record(r)) break;
    codes.push_back(r.word[0] & 0x3FF);
  }
  EXPECT_EQ(codes, (std::vector<uint32_t>{1, 81, 1, 100, 1, 18, 16}));
  EXPECT_EQ(list[1].word[1], 0xD0000000u);
  EXPECT_EQ(list[1].word[2], 0xD0000001u);
}

TEST_F(OldDesignFileTest, OutputsThatCannotBeConvertedAreReportedByRow) {
  NoticeRecorder recorder;
  // Row 0: an old code beyond the table. Row 1: B+ needs column 8, which holds a contact;
  // its instruction is kept in a narrower box. Row 2: a good MOV.
  LadderGrid grid = make_ladder_grid(10);
  ASSERT_EQ(read(grid, col9_file({col9_row("11021", "1D000 1D001 10000"),
                                  col9_row_contact_in_8("1100A", "1D000 1D001 1D002"),
                                  col9_row("11008", "1D000 1D001 10000"), "90209 16008 10002 10000 DDDDD C0000"})),
            0);
  ASSERT_EQ(recorder.notices.size(), 1u);
  EXPECT_EQ(recorder.notices[0].caption, "警告");
  EXPECT_EQ(recorder.notices[0].text, "旧形式の出力命令を変換できない行が有ります！\n行番号：1, 2");
  EXPECT_EQ(grid[0].cell[12].word[0], 0u);
  EXPECT_EQ(grid[1].cell[8].word[0], 0x8018u);  // the contact stays
  EXPECT_EQ(grid[1].cell[8].word[1], 0x1u);
  EXPECT_EQ(grid[1].cell[12].word[0], 100u);
  EXPECT_EQ(grid[2].cell[12].word[0], 81u);

  // The 14-cell layouts report an old code beyond their table the same way.
  NoticeRecorder again;
  LadderGrid old = make_ladder_grid(5);
  ASSERT_EQ(read(old, "mbs-file 3bis ver.1\r\nX\r\n0000 10008 A0209 14008 11028 10000 DDDDD E0000 \r\n"
                      "0001 E0FF0 \r\n"),
            0);
  ASSERT_EQ(again.notices.size(), 1u);
  EXPECT_EQ(again.notices[0].text, "旧形式の出力命令を変換できない行が有ります！\n行番号：1");
}

TEST_F(OldDesignFileTest, DamagedOrTruncatedFilesAreBad) {
  std::string two_line = read_fixture("old_two_line.MBS");
  std::string run_length = read_fixture("old_run_length.MBS");
  std::string col9 = read_fixture("old_output_col_9.MBS");
  std::string with_ff = run_length;
  with_ff.insert(with_ff.find("0001 "), "0000 1\xFF" "000 \r\n");
  struct Case {
    const char* name;
    std::string text;
  } cases[] = {
      {"two-line: ends before the end mark", two_line.substr(0, two_line.find("0004 "))},
      {"two-line: second line missing", two_line.substr(0, two_line.find("A003"))},
      {"two-line: too few words", "mas-file ver.1\r\nX\r\n0000 0008 0209\r\n0000\r\n"},
      {"two-line: not hex", "mas-file ver.1\r\nX\r\n0000 0008 02Z9\r\n0000\r\n"},
      {"two-line: a word of nine digits", "mas-file ver.1\r\nX\r\n0000 000000008 0209\r\n0000\r\n"},
      {"run-length: ends before the end mark", run_length.substr(0, run_length.find("0003 "))},
      {"run-length: a byte 0xFF", with_ff},
      {"run-length: not hex", "mbs-file 3bis ver.1\r\nX\r\n0000 1000G \r\n0001 E0FF0 \r\n"},
      {"output column 9: ends before the end mark", col9.substr(0, col9.find("0003 "))},
      {"name line missing", "mas-file ver.1\r\n"},
  };
  for (const Case& c : cases) {
    LadderGrid grid = make_ladder_grid(10);
    EXPECT_EQ(read(grid, c.text), DESIGN_FILE_BAD) << c.name;
  }
}

TEST_F(OldDesignFileTest, ExtraCellsOfARowAreIgnored) {
  // 40 cells in a 14-cell layout: the row takes 28 of them and the rest of the line is ignored.
  std::string text = "mbs-file 3bis ver.1\r\nX\r\n0000 F0209 F0209 F0209 \r\n0001 E0FF0 \r\n";
  LadderGrid grid = make_ladder_grid(3);
  ASSERT_EQ(read(grid, text), 0);
  EXPECT_EQ(grid[0].cell[13].word[1], 0x209u);
  EXPECT_EQ(grid[0].cell[14].word[0], 0u);
  EXPECT_EQ(grid[0].cell[15].word[0], 0u);
}

TEST_F(OldDesignFileTest, AFullGridWithoutEndMarkIsBad) {
  std::string text = "mbs-file 3bis ver.1\r\nX\r\n";
  for (int r = 0; r < 4; ++r) text += "0000 E0209 DDDDD E0000 \r\n";
  text += "0004 E0FF0 \r\n";
  std::vector<LadderRow> storage(5);
  std::memset(&storage[4], 0x5A, sizeof(LadderRow));
  File f = stream_with(text);
  EXPECT_EQ(read_design_file(GridSpan(storage.data(), 4), f.get(), DESIGN_FILE_STANDALONE), DESIGN_FILE_BAD);
  const unsigned char* guard = reinterpret_cast<const unsigned char*>(&storage[4]);
  for (size_t i = 0; i < sizeof(LadderRow); ++i) ASSERT_EQ(guard[i], 0x5A);
}

TEST_F(OldDesignFileTest, ConvertedDesignSavesInTheCurrentLayout) {
  LadderGrid grid = make_ladder_grid(10);
  ASSERT_EQ(read(grid, read_fixture("old_two_line.MBS")), 0);
  File f(std::tmpfile());
  ASSERT_EQ(write_design_file(nullptr, grid, nullptr, f.get(), DESIGN_FILE_STANDALONE), 0);
  std::string saved = contents_of(f.get());
  EXPECT_EQ(saved.rfind("mbs-file 3winv.1\r\n", 0), 0u);
  LadderGrid back = make_ladder_grid(10);
  File g = stream_with(saved);
  ASSERT_EQ(read_design_file(back, g.get(), DESIGN_FILE_STANDALONE), 0);
  expect_same_cells(back, grid, 5);
}

}  // namespace
