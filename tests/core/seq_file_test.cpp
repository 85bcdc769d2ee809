#include "core/seq_file.h"
#include "core/core_state.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "core/cell_text.h"
#include "core/design_file.h"
#include "file_test_support.h"

using namespace file_test;

namespace {

class SeqFileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    reset_core_state();
    g_file_project_name = "TEST";
  }
};

InstructionRecord rec(uint32_t w0, uint32_t w1 = 0, uint32_t w2 = 0, uint32_t w3 = 0, uint32_t w4 = 0,
                      uint32_t w5 = 0) {
  return {{w0, w1, w2, w3, w4, w5}};
}

// The records of tests/data/small.SEQ, with an empty record among them.
InstructionList small_list() {
  InstructionList list = make_instruction_list();
  list[0] = rec(0x9001, 0, 0, 1);
  list[1] = rec(0x800F, 0x10000000, 0, 7, 0, 0x00B00000);
  list[2] = rec(0x8000, 0x12345678, 1, 2, 3, 4);  // empty: left out
  list[3] = rec(0x9020);
  list[4] = rec(0x9010, 0, 0, 0, 0, 0x00B00002);
  list[5] = end_record();
  return list;
}

LadderGrid small_grid() { return small_fixture_grid(); }
void small_settings(CpuSettings& s) { small_fixture_settings(s); }

std::string write_operation_file(InstructionList& list, GridSpan grid, int design_mode = DESIGN_FILE_APPENDED) {
  g_instruction_list = list;
  File f(std::tmpfile());
  EXPECT_EQ(write_seq_file(f.get()), 0);
  EXPECT_EQ(write_design_file(nullptr, grid, nullptr, f.get(), design_mode), 0);
  return contents_of(f.get());
}

int read(std::string_view bytes, GridSpan grid, ListSpan list, bool with_design) {
  File f = stream_with(bytes);
  return read_seq_file(grid, list, f.get(), with_design);
}

TEST_F(SeqFileTest, WritesTheFixtureByteForByte) {
  small_settings(g_cpu_settings);
  InstructionList list = small_list();
  LadderGrid grid = small_grid();
  EXPECT_EQ(write_operation_file(list, grid), read_fixture("small.SEQ"));
}

TEST_F(SeqFileTest, RecordColumnsAreFixed) {
  InstructionList list = small_list();
  LadderGrid grid = small_grid();
  std::string text = write_operation_file(list, grid);
  size_t at = text.find("00002  ");
  ASSERT_NE(at, std::string::npos);
  std::string line = text.substr(at, text.find("\r\n", at) - at);
  ASSERT_EQ(line.size(), 61u);
  EXPECT_EQ(line.substr(7, 8), "0000800F");
  EXPECT_EQ(line.substr(16, 8), "10000000");
  EXPECT_EQ(line.substr(34, 8), "00000007");
  EXPECT_EQ(line.substr(52, 8), "00B00000");
  EXPECT_EQ(line[60], ' ');
}

TEST_F(SeqFileTest, ReadsTheFixtureWithItsDesign) {
  small_settings(g_cpu_settings);
  LadderGrid expected = small_grid();
  InstructionList written = small_list();
  write_operation_file(written, expected);

  std::memset(&g_cpu_settings, 0, sizeof g_cpu_settings);
  g_cpu_settings.user_words[0] = 0x77;
  g_cpu_settings.vector_low = 9;
  InstructionList list = make_instruction_list();
  LadderGrid grid = make_ladder_grid(20);
  g_end_record_index = 0;
  ASSERT_EQ(read(read_fixture("small.SEQ"), grid, list, true), SEQ_FILE_OK);
  // The empty record is not in the file.
  const InstructionRecord want[] = {written[0], written[1], written[3], written[4], end_record()};
  for (int i = 0; i < 5; ++i)
    for (int w = 0; w < 6; ++w) EXPECT_EQ(list[i].word[w], want[i].word[w]) << "record " << i << " word " << w;
  EXPECT_EQ(g_end_record_index, 3);
  expect_same_cells(grid, expected, 5);
  expect_same_texts(grid, expected, 5);
  // The settings of the design become active, apart from the vectors, user and interrupt words.
  EXPECT_STREQ(g_cpu_settings.cpu_name, "pic16F84");
  EXPECT_EQ(g_cpu_settings.option_a, 1);
  EXPECT_EQ(g_cpu_settings.option_b, 1);
  EXPECT_EQ(g_cpu_settings.option_d, 3);
  EXPECT_EQ(g_cpu_settings.clock_high, 4);
  EXPECT_EQ(g_cpu_settings.clock_low, 0x20);
  EXPECT_EQ(g_cpu_settings.port_value, 0x300);
  EXPECT_EQ(g_cpu_settings.extra_value, 7);
  EXPECT_EQ(g_cpu_settings.base_value, 0x1000);
  EXPECT_EQ(g_cpu_settings.user_words[0], 0x77);
  EXPECT_EQ(g_cpu_settings.vector_low, 9);
  EXPECT_EQ(g_loaded_cpu_settings.user_words[0], 0x11);
  EXPECT_EQ(g_loaded_cpu_settings.vector_low, 2);
  // The device lists of the special rows are rebuilt from the grid just read.
  ASSERT_GE(g_initial_on_texts.size(), 3u);
  EXPECT_STREQ(g_initial_on_texts[0].data(), "Y000");
  EXPECT_STREQ(g_initial_on_texts[1].data(), "M005");
  EXPECT_STREQ(g_initial_on_texts[2].data(), "");
}

TEST_F(SeqFileTest, WithoutTheDesignFlagOnlyRecordsAreRead) {
  LadderGrid grid = make_ladder_grid(5);
  InstructionList list = make_instruction_list();
  set_cpu_name(g_cpu_settings, "PLC");
  ASSERT_EQ(read(read_fixture("small.SEQ"), grid, list, false), SEQ_FILE_OK);
  EXPECT_EQ(list[3].word[0], 0x9010u);
  EXPECT_EQ(grid[0].cell[0].word[0], 0u);
  EXPECT_STREQ(g_cpu_settings.cpu_name, "PLC");
}

TEST_F(SeqFileTest, HeaderLines) {
  std::string body = read_fixture("small.SEQ");
  body = body.substr(body.find("\r\n") + 2);
  struct Case {
    const char* first_line;
    int result;
  } cases[] = {
      {"seq/mbs-file 3winv.1", SEQ_FILE_OK},
      {"SEQ/MBS-FILE 3WINV.1", SEQ_FILE_OK},
      {"seq-file 3winv.1", SEQ_FILE_OK},
      {"SEQ-FILE 3WINV.1", SEQ_FILE_OK},
      {"seq/mbs-file 3winv.2", SEQ_FILE_BAD},
      {"seq-file 3winv.1 ", SEQ_FILE_BAD},
      {"mbs-file 3winv.1", SEQ_FILE_BAD},
  };
  for (const Case& c : cases) {
    LadderGrid grid = make_ladder_grid(20);
    InstructionList list = make_instruction_list();
    EXPECT_EQ(read(std::string(c.first_line) + "\r\n" + body, grid, list, true), c.result) << c.first_line;
  }
}

std::string seq_text(std::initializer_list<const char*> records, const std::string& design = "") {
  std::string s = "seq/mbs-file 3winv.1\r\nX.SEQ\r\n";
  for (const char* r : records) s += std::string(r) + "\r\n";
  return s + design;
}
constexpr const char* LD_LINE = "00001  00009001 00000000 00000000 00000001 00000000 00000000 ";
constexpr const char* END_LINE = "00002  00009010 00000000 00000000 00000000 00000000 00B00002 ";
constexpr const char* END_RECORD_LINE = "00003  0000FFFF 0000FFFF 0000FFFF 0000FFFF 0000FFFF 0000FFFF ";

TEST_F(SeqFileTest, BadRecordParts) {
  struct Case {
    const char* name;
    std::string text;
  } cases[] = {
      {"no END record", seq_text({LD_LINE, END_RECORD_LINE})},
      {"ends before the end record", seq_text({LD_LINE, END_LINE})},
      {"name line missing", "seq/mbs-file 3winv.1\r\n"},
      {"a field is not hex", seq_text({"00001  00009001 0000X000 00000000 00000001 00000000 00000000 ", END_LINE,
                                       END_RECORD_LINE})},
      {"six fields", seq_text({"00001  00009001 00000000 00000000 00000001 00000000 ", END_LINE, END_RECORD_LINE})},
      {"eight fields",
       seq_text({"00001  00009001 00000000 00000000 00000001 00000000 00000000 00000000 ", END_LINE, END_RECORD_LINE})},
      {"nine digits", seq_text({"00001  000009001 00000000 00000000 00000001 00000000 00000000 ", END_LINE,
                                END_RECORD_LINE})},
      {"an empty line", seq_text({LD_LINE, "", END_LINE, END_RECORD_LINE})},
      {"a line too long", seq_text({(std::string(LD_LINE) + std::string(300, ' ')).c_str(), END_LINE,
                                    END_RECORD_LINE})},
  };
  for (const Case& c : cases) {
    InstructionList list = make_instruction_list();
    LadderGrid grid = make_ladder_grid(3);
    EXPECT_EQ(read(c.text, grid, list, false), SEQ_FILE_BAD) << c.name;
    // Whatever was read, the list ends with an end record.
    bool ended = false;
    for (int i = 0; i < 4 && !ended; ++i) ended = is_end_record(list[i]);
    EXPECT_TRUE(ended) << c.name;
  }
}

TEST_F(SeqFileTest, EmptyDesignsKeepTheActiveSettings) {
  std::string end_mark = "00001  ";
  for (int i = 0; i < 16; ++i) end_mark += "000000FF0 ";
  struct Case {
    const char* name;
    std::string text;
  } cases[] = {
      {"design starts with the end mark", seq_text({LD_LINE, END_LINE, END_RECORD_LINE}, end_mark + "\r\n")},
      {"no design text at all", seq_text({LD_LINE, END_LINE, END_RECORD_LINE})},
  };
  for (const Case& c : cases) {
    set_cpu_name(g_cpu_settings, "pic18F452");
    g_cpu_settings.port_value = 5;
    InstructionList list = make_instruction_list();
    LadderGrid grid = make_ladder_grid(3);
    EXPECT_EQ(read(c.text, grid, list, true), SEQ_FILE_NO_DESIGN) << c.name;
    EXPECT_STREQ(g_cpu_settings.cpu_name, "pic18F452") << c.name;
    EXPECT_EQ(g_cpu_settings.port_value, 5) << c.name;
    EXPECT_EQ(list[1].word[0], 0x9010u) << c.name;
    EXPECT_EQ(grid[0].cell[0].word[0], END_MARK_CELL) << c.name;
    EXPECT_EQ(grid[0].cell[1].word[0], END_MARK_CELL) << c.name;
  }
}

TEST_F(SeqFileTest, ADamagedDesignIsBadAndKeepsTheActiveSettings) {
  std::string text = read_fixture("small.SEQ");
  // Cut inside the design rows, after the END row: the file ends before its end mark.
  text = text.substr(0, text.find("00004  000000FF0"));
  set_cpu_name(g_cpu_settings, "pic18F452");
  InstructionList list = make_instruction_list();
  LadderGrid grid = make_ladder_grid(20);
  EXPECT_EQ(read(text, grid, list, true), SEQ_FILE_BAD);
  EXPECT_STREQ(g_cpu_settings.cpu_name, "pic18F452");
}

TEST_F(SeqFileTest, EmptyRecordsLeaveNoGapsInTheNumbers) {
  InstructionList list = make_instruction_list();
  int n = 0;
  for (int i = 0; i < 10; ++i) list[n++] = (i % 3 == 1) ? rec(0x8000) : rec(0x8001, static_cast<uint32_t>(i));
  list[n++] = rec(0x9010);
  list[n++] = end_record();
  LadderGrid grid = make_ladder_grid(3);
  end_row(grid[0]);
  std::string text = write_operation_file(list, grid);
  for (int k = 1; k <= 9; ++k) {
    char number[16];
    std::snprintf(number, sizeof number, "\r\n%05d  ", k);
    EXPECT_NE(text.find(number), std::string::npos) << k;
  }
  EXPECT_EQ(text.find("\r\n00010  "), std::string::npos);  // 7 records, END and the end record
  InstructionList back = make_instruction_list();
  LadderGrid back_grid = make_ladder_grid(3);
  ASSERT_EQ(read(text, back_grid, back, true), SEQ_FILE_OK);
  int j = 0;
  for (int i = 0; i < 10; ++i)
    if (i % 3 != 1) {
      EXPECT_EQ(back[j++].word[1], static_cast<uint32_t>(i));
    }
  EXPECT_EQ(back[j].word[0], 0x9010u);
  EXPECT_EQ(g_end_record_index, j);
  EXPECT_TRUE(is_end_record(back[j + 1]));
}

TEST_F(SeqFileTest, AFullListKeepsItsEndRecord) {
  InstructionList list = make_instruction_list();
  for (int i = 0; i < MAX_INSTRUCTIONS - 2; ++i) list[i] = rec(0x8001, static_cast<uint32_t>(i), 0, 1);
  list[MAX_INSTRUCTIONS - 2] = rec(0x9010);
  list[MAX_INSTRUCTIONS - 1] = end_record();
  LadderGrid grid = make_ladder_grid(3);
  end_row(grid[0]);
  std::string text = write_operation_file(list, grid);
  InstructionList back = make_instruction_list();
  LadderGrid back_grid = make_ladder_grid(3);
  ASSERT_EQ(read(text, back_grid, back, true), SEQ_FILE_OK);
  EXPECT_EQ(std::memcmp(back.data(), list.data(), list.size() * sizeof(InstructionRecord)), 0);
  EXPECT_EQ(g_end_record_index, MAX_INSTRUCTIONS - 2);
  EXPECT_EQ(back_grid[0].cell[12].word[0], 16u);
}

TEST_F(SeqFileTest, AListWithoutEndRecordIsEndedInTheFile) {
  InstructionList list(3);
  list[0] = rec(0x8001, 5);
  list[1] = rec(0x9010);
  list[2] = rec(0x800F, 6);
  g_instruction_list = list;
  File f(std::tmpfile());
  ASSERT_EQ(write_seq_file(f.get()), 0);
  std::string text = contents_of(f.get());
  EXPECT_NE(text.find("00004  0000FFFF 0000FFFF 0000FFFF 0000FFFF 0000FFFF 0000FFFF \r\n"), std::string::npos);
}

TEST_F(SeqFileTest, MoreRecordsThanTheListHolds) {
  std::string text = "seq/mbs-file 3winv.1\r\nX.SEQ\r\n";
  for (int i = 0; i < 6; ++i) text += std::string(LD_LINE) + "\r\n";
  text += std::string(END_LINE) + "\r\n" + END_RECORD_LINE + "\r\n";
  std::vector<InstructionRecord> storage(6);
  std::memset(&storage[4], 0x5A, 2 * sizeof(InstructionRecord));
  LadderGrid grid = make_ladder_grid(3);
  EXPECT_EQ(read(text, grid, ListSpan(storage.data(), 4), false), SEQ_FILE_BAD);
  EXPECT_TRUE(is_end_record(storage[3]));
  const unsigned char* guard = reinterpret_cast<const unsigned char*>(&storage[4]);
  for (size_t i = 0; i < 2 * sizeof(InstructionRecord); ++i) ASSERT_EQ(guard[i], 0x5A);

  // Exactly as many as fit, the end record in the last slot: read.
  std::string fits = seq_text({LD_LINE, LD_LINE, END_LINE, END_RECORD_LINE});
  EXPECT_EQ(read(fits, grid, ListSpan(storage.data(), 4), false), SEQ_FILE_OK);
}

TEST_F(SeqFileTest, RichDesignTravelsInTheOperationFile) {
  LadderGrid grid = make_ladder_grid(12);
  contact(grid[0], 0, 1, 0x00000005);
  grid[0].cell[0].word[0] |= CellFlags::HAS_COMMENT;
  set_text(grid[0], 0, "表示 \nソ \n");
  lines_across(grid[0], 1, 10);
  out_coil(grid[0], 0x10000001);
  comment_row(grid[1], "ソフト表 \nです");
  end_row(grid[2]);
  end_mark_row(grid[3]);
  set_cpu_name(g_cpu_settings, "H8/3694F");
  InstructionList list = small_list();
  std::string text = write_operation_file(list, grid, DESIGN_FILE_APPENDED_NO_SPECIAL);
  std::memset(&g_cpu_settings, 0, sizeof g_cpu_settings);
  InstructionList back = make_instruction_list();
  LadderGrid back_grid = make_ladder_grid(12);
  ASSERT_EQ(read(text, back_grid, back, true), SEQ_FILE_OK);
  expect_same_cells(back_grid, grid, 4);
  expect_same_texts(back_grid, grid, 4);
  EXPECT_STREQ(g_cpu_settings.cpu_name, "H8/3694F");
}

// The commands open their files in text mode ("w+", "r"); the bytes are the same.
TEST_F(SeqFileTest, StreamsOpenedInTextModeGiveTheSameBytes) {
  small_settings(g_cpu_settings);
  InstructionList list = small_list();
  g_instruction_list = list;
  LadderGrid grid = small_grid();
  std::string path = (std::filesystem::temp_directory_path() / "tavolin_text_mode.SEQ").string();
  std::FILE* out = std::fopen(path.c_str(), "w+");
  ASSERT_NE(out, nullptr);
  EXPECT_EQ(write_seq_file(out), 0);
  EXPECT_EQ(write_design_file(nullptr, grid, nullptr, out, DESIGN_FILE_APPENDED), 0);
  std::fclose(out);
  std::FILE* raw = std::fopen(path.c_str(), "rb");
  ASSERT_NE(raw, nullptr);
  EXPECT_EQ(contents_of(raw), read_fixture("small.SEQ"));
  std::fclose(raw);
  std::FILE* in = std::fopen(path.c_str(), "r");
  ASSERT_NE(in, nullptr);
  InstructionList back = make_instruction_list();
  LadderGrid back_grid = make_ladder_grid(20);
  EXPECT_EQ(read_seq_file(back_grid, back, in, true), SEQ_FILE_OK);
  std::fclose(in);
  expect_same_cells(back_grid, grid, 5);
  std::remove(path.c_str());
}

#if !defined(_WIN32)
TEST_F(SeqFileTest, AFullDiskIsAFailure) {
  std::FILE* full = std::fopen("/dev/full", "wb");
  if (!full) GTEST_SKIP() << "no /dev/full";
  InstructionList list = small_list();
  g_instruction_list = list;
  EXPECT_EQ(write_seq_file(full), -1);
  std::fclose(full);
}
#endif

}  // namespace
