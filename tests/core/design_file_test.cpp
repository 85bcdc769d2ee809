#include "core/design_file.h"
#include "core/core_state.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "core/device_tables.h"
#include "core/notice.h"
#include "file_test_support.h"

using namespace file_test;

namespace {

class DesignFileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    reset_core_state();
    g_file_project_name = "TEST";
    set_notice_handler([this](void*, const char* text, const char* caption, unsigned) {
      notices.push_back(std::string(caption) + "|" + text);
      return NoticeAnswer::OK;
    });
  }
  void TearDown() override { set_notice_handler({}); }

  std::string write(GridSpan grid, int mode, int* result = nullptr) {
    File f(std::tmpfile());
    int r = write_design_file(nullptr, grid, nullptr, f.get(), mode);
    if (result) *result = r;
    else EXPECT_EQ(r, 0);
    return contents_of(f.get());
  }
  int read(LadderGrid& grid, std::string_view bytes, int mode = DESIGN_FILE_STANDALONE) {
    File f = stream_with(bytes);
    return read_design_file(grid, f.get(), mode);
  }

  std::vector<std::string> notices;
};

LadderGrid small_grid() { return small_fixture_grid(); }
void small_settings() { small_fixture_settings(g_cpu_settings); }

TEST_F(DesignFileTest, WritesTheFixtureByteForByte) {
  small_settings();
  LadderGrid grid = small_grid();
  EXPECT_EQ(write(grid, DESIGN_FILE_STANDALONE), read_fixture("small.MBS"));
  // The grid itself gained the link bit and the settings words.
  EXPECT_EQ(grid[0].cell[0].word[0], 0x8801Au);
  EXPECT_EQ(grid[2].cell[0].word[1], 0x84u);
  EXPECT_EQ(grid[2].cell[1].word[1], 0x36u);
}

TEST_F(DesignFileTest, ReadsTheFixture) {
  small_settings();
  LadderGrid expected = small_grid();
  write(expected, DESIGN_FILE_STANDALONE);
  LadderGrid grid = make_ladder_grid(20);
  ASSERT_EQ(read(grid, read_fixture("small.MBS")), DESIGN_FILE_OK);
  expect_same_cells(grid, expected, 5);
  expect_same_texts(grid, expected, 5);
  EXPECT_STREQ(g_loaded_cpu_settings.cpu_name, "pic16F84");
  EXPECT_EQ(g_loaded_cpu_settings.option_d, 3);
  EXPECT_EQ(g_loaded_cpu_settings.clock_low, 0x20);
  EXPECT_EQ(g_loaded_cpu_settings.user_words[3], 0x44);
  EXPECT_STREQ(g_line_comments[0].data(), "行間コメント表 \n二行目");
}

std::string repeated(const char* group, int n) {
  std::string s;
  for (int i = 0; i < n; ++i) s += group;
  return s;
}

TEST_F(DesignFileTest, EndRowAloneWritesRowEndMarkAndFinalRow) {
  LadderGrid grid = make_ladder_grid(3);
  end_row(grid[0]);
  end_mark_row(grid[1]);
  std::string expected =
      "mbs-file 3winv.1\r\nTEST.MBS\r\n"
      "00001  0000000BB 9000000B9 000006C08 000000010 200000000 DDDDDDDDD F00000000 \r\n"
      "00002  " + repeated("000000FF0 ", 16) + "\r\n"
      "00003  " + repeated("0F0F0F0F0 ", 16);
  EXPECT_EQ(write(grid, DESIGN_FILE_STANDALONE), expected);
}

TEST_F(DesignFileTest, EqualWordsMakeOneGroupPerHalf) {
  LadderGrid grid = make_ladder_grid(3);
  end_row(grid[0]);
  for (auto& cell : grid[0].cell) cell.word[0] = 0x6C08 | CellFlags::LINK_UP;  // END bit in every cell
  std::string text = write(grid, DESIGN_FILE_APPENDED);
  EXPECT_EQ(text.substr(0, 7 + 10 + 10), "00001  F00006C0A DDDDDDDDD ");
}

TEST_F(DesignFileTest, NoEndRowIsRefusedWithTheMessage) {
  LadderGrid grid = make_ladder_grid(4);
  contact(grid[0], 0, 1, 0);
  end_mark_row(grid[2]);
  grid[1].cell[11].word[0] = 0xC078;  // the row before the end mark holds a coil: no END is made
  int result = 0;
  EXPECT_EQ(write(grid, DESIGN_FILE_STANDALONE, &result), "");
  EXPECT_EQ(result, DESIGN_FILE_BAD);
  ASSERT_EQ(notices.size(), 1u);
  EXPECT_EQ(notices[0], "警告|END が有りません！");

  LadderGrid never_filled = make_ladder_grid(2);
  never_filled[0].cell[0].word[0] = never_filled[0].cell[1].word[0] = EMPTY_MARK;
  EXPECT_EQ(write(never_filled, DESIGN_FILE_STANDALONE, &result), "");
  EXPECT_EQ(result, DESIGN_FILE_BAD);
}

TEST_F(DesignFileTest, ModesDecideHeaderAndSpecialRows) {
  small_settings();
  LadderGrid grid = small_grid();
  std::string full = write(grid, DESIGN_FILE_STANDALONE);
  std::string appended = write(grid, DESIGN_FILE_APPENDED);
  std::string no_special = write(grid, DESIGN_FILE_APPENDED_NO_SPECIAL);
  std::string header = "mbs-file 3winv.1\r\nTEST.MBS\r\n";
  EXPECT_EQ(full, header + appended);
  EXPECT_NE(appended.find("0000003F0 "), std::string::npos);
  EXPECT_EQ(no_special.find("0000003F0 "), std::string::npos);
  // Without the special row the end mark is row number 3.
  EXPECT_NE(no_special.find("00003  000000FF0 "), std::string::npos);
  LadderGrid back = make_ladder_grid(20);
  EXPECT_EQ(read(back, no_special, DESIGN_FILE_APPENDED), DESIGN_FILE_OK);
  EXPECT_EQ(back[3].cell[0].word[0], END_MARK_CELL);
}

// A grid with every kind of element, comment and special row.
LadderGrid rich_grid() {
  LadderGrid grid = make_ladder_grid(40);
  // 0: X0 with a comment, OUT Y0.
  contact(grid[0], 0, 1, 0x00000000);
  grid[0].cell[0].word[0] |= CellFlags::HAS_COMMENT;
  set_text(grid[0], 0, "Motor \non \n");
  lines_across(grid[0], 1, 10);
  out_coil(grid[0], 0x10000000);
  // 1: a comment row in Shift-JIS, one line ending in a character with trail byte 0x5C.
  comment_row(grid[1], "最初の行ソ \n二行目は表 \n三行目");
  // 2: M5 b-contact, TIM T0 K100; the timer's comment in cell 10.
  contact(grid[2], 0, 2, 0x20000005);
  lines_across(grid[2], 1, 9);
  grid[2].cell[10].word[0] = 0x20008 | CellFlags::HAS_COMMENT;
  set_text(grid[2], 10, "タイマソ \n表 \n");
  grid[2].cell[11].word[0] = 0xC008 | 8 << 4 | 0x10000 | 0x200000;
  grid[2].cell[11].word[1] = 0x40000000;
  grid[2].cell[12].word[0] = 53;
  grid[2].cell[12].word[1] = 0x100;
  // 3: a link up at column 0, CNT C1 H1F (a hex constant).
  contact(grid[3], 0, 3, 0x00000001);
  grid[3].cell[0].word[0] |= CellFlags::LINK_UP;
  lines_across(grid[3], 1, 9);
  grid[3].cell[10].word[0] = 0x20008;
  grid[3].cell[11].word[0] = 0xC008 | 9 << 4 | 0x10000 | 0x200000 | 0x2000000;
  grid[3].cell[11].word[1] = 0x50000001;
  grid[3].cell[12].word[0] = 54;
  grid[3].cell[12].word[1] = 0x1F;
  // 4: X1, then MOVP K100 D1 as a box over columns 9-11.
  contact(grid[4], 0, 1, 0x00000001);
  lines_across(grid[4], 1, 8);
  grid[4].cell[9].word[0] = 0x40C08;
  grid[4].cell[10].word[0] = 0x40808;
  grid[4].cell[11].word[0] = 0x4C408 | 0x100000;
  grid[4].cell[11].word[1] = 0x100;
  grid[4].cell[12].word[0] = 81 | 0x2000;
  grid[4].cell[12].word[1] = 0xD0000001;
  // 5: a comparison contact D= D0 K100 at column 0, OUT M10, and a row label P3 with a comment.
  grid[5].cell[0].word[0] = 201u << 4 | 0x1C00 | 0x8008 | 0x200000 | CellFlags::U_MARK;
  grid[5].cell[0].word[1] = 0xD0000000;
  grid[5].cell[1].word[0] = 0x808;
  grid[5].cell[1].word[1] = 0x100;
  grid[5].cell[2].word[0] = 0x408;
  lines_across(grid[5], 3, 10);
  out_coil(grid[5], 0x2000000A);
  grid[5].cell[15].word[0] = CellFlags::U_MARK | CellFlags::HAS_COMMENT;
  grid[5].cell[15].word[1] = 0xF1000003;
  set_text(grid[5], 15, "ラベル \n");
  // 6: a text row: an ASM box over columns 1-11 whose text starts at text 1.
  grid[6].cell[0].word[0] = 0xBB;
  grid[6].cell[1].word[0] = 0x14000000 | 0x40C08;
  for (int c = 2; c <= 10; ++c) grid[6].cell[c].word[0] = 0x40808;
  grid[6].cell[11].word[0] = 0x4C408;
  grid[6].cell[12].word[0] = 127;
  set_text(grid[6], 1, "MOVLW 0x10/MOVWF PORTB/表示 C:\\dir");
  // 7: the interrupt-end row, 8: a SEND row with contacts, 9: the END row.
  grid[7].cell[0].word[0] = 0xBB;
  lines_across(grid[7], 1, 10);
  grid[7].cell[11].word[0] = 0x4CC08;
  grid[7].cell[12].word[0] = 20;
  contact(grid[8], 0, 1, 0x20000063);
  lines_across(grid[8], 1, 10);
  grid[8].cell[11].word[0] = 0x4CC08;
  grid[8].cell[12].word[0] = 129;
  end_row(grid[9]);
  // 10-12: special rows: initially-on devices, an interlock group, initial values.
  LadderRow& on = grid[10];
  on.cell[0].word[0] = 0x8;
  on.cell[0].word[1] = 0x10000003;
  on.cell[12].word[0] = 0x3F0;
  LadderRow& group = grid[11];
  for (int c = 0; c < 3; ++c) {
    group.cell[c].word[0] = 0x8;
    group.cell[c].word[1] = 0x20000010 + static_cast<uint32_t>(c);
  }
  group.cell[12].word[0] = 0x3F1;
  LadderRow& values = grid[12];
  values.cell[0].word[0] = 0x20000000 | 13u << 20 | 0x08000000 | 100;  // D100 = 1234
  values.cell[0].word[1] = 1234;
  values.cell[1].word[0] = 0x20000000 | 4u << 20 | 0x08000000 | 3;  // T3 = 50
  values.cell[1].word[1] = 50;
  values.cell[12].word[0] = 0x3F2;
  for (int r = 10; r <= 12; ++r)
    for (int c = 13; c <= 15; ++c) grid[r].cell[c].word[0] = CellFlags::SPECIAL;
  end_mark_row(grid[13]);
  return grid;
}

void rich_settings() {
  set_cpu_name(g_cpu_settings, "PLC");
  g_cpu_settings.option_a = 1;
  g_cpu_settings.option_b = 0;
  g_cpu_settings.option_c = 1;
  g_cpu_settings.option_d = 9;
  g_cpu_settings.clock_high = 0x12;
  g_cpu_settings.clock_low = 0x3F;
  g_cpu_settings.vector_high = 5;
  g_cpu_settings.vector_low = 0xA;
  g_cpu_settings.port_value = 0xBEEF;
  g_cpu_settings.extra_value = 0x1234;
  g_cpu_settings.base_value = 0x12345678;
  for (int i = 0; i < 4; ++i) g_cpu_settings.user_words[i] = 0x100 + i;
  for (int i = 0; i < 16; ++i) g_cpu_settings.interrupt_words[i] = 0xA000 + i;
}

TEST_F(DesignFileTest, RichGridRoundTrip) {
  rich_settings();
  LadderGrid grid = rich_grid();
  std::string text = write(grid, DESIGN_FILE_STANDALONE);
  // The interrupt words went into the interrupt-end row, nowhere else.
  EXPECT_EQ(grid[7].cell[15].word[1], 0xA00Fu);
  EXPECT_EQ(grid[8].cell[0].word[1], 0x20000063u);

  LadderGrid back = make_ladder_grid(40);
  ASSERT_EQ(read(back, text), DESIGN_FILE_OK);
  expect_same_cells(back, grid, 14);
  expect_same_texts(back, grid, 14);
  EXPECT_EQ(back[14].cell[0].word[0], 0u);

  const CpuSettings& s = g_loaded_cpu_settings;
  EXPECT_STREQ(s.cpu_name, "PLC");
  EXPECT_EQ(s.option_a, 1);
  EXPECT_EQ(s.option_b, 0);
  EXPECT_EQ(s.option_c, 1);
  EXPECT_EQ(s.option_d, 9);
  EXPECT_EQ(s.clock_high, 0x12);
  EXPECT_EQ(s.clock_low, 0x3F);
  EXPECT_EQ(s.vector_high, 5);
  EXPECT_EQ(s.vector_low, 0xA);
  EXPECT_EQ(s.port_value, 0xBEEF);
  EXPECT_EQ(s.extra_value, 0x1234);
  EXPECT_EQ(s.base_value, 0x12345678);
  for (int i = 0; i < 4; ++i) EXPECT_EQ(s.user_words[i], 0x100 + i);
  for (int i = 0; i < 16; ++i) EXPECT_EQ(s.interrupt_words[i], 0xA000 + i);
  EXPECT_STREQ(g_line_comments[0].data(), "最初の行ソ \n二行目は表 \n三行目");

  // Written again, the design gives the same text.
  EXPECT_EQ(write(back, DESIGN_FILE_STANDALONE), text);
}

TEST_F(DesignFileTest, EveryCpuNameSurvives) {
  for (int slot = 0; slot <= CPU_LAST_MODEL_SLOT; ++slot) {
    reset_core_state();
    set_cpu_name(g_cpu_settings, g_cpu_names[static_cast<size_t>(slot)]);
    LadderGrid grid = make_ladder_grid(3);
    end_row(grid[0]);
    std::string text = write(grid, DESIGN_FILE_STANDALONE);
    EXPECT_EQ(grid[0].cell[0].word[1], static_cast<uint32_t>(g_cpu_codes[static_cast<size_t>(slot)]));
    set_cpu_name(g_loaded_cpu_settings, "stale");
    LadderGrid back = make_ladder_grid(3);
    ASSERT_EQ(read(back, text), DESIGN_FILE_OK);
    EXPECT_STREQ(g_loaded_cpu_settings.cpu_name, g_cpu_names[static_cast<size_t>(slot)]) << "slot " << slot;
  }
  // A name the table does not hold is stored as no model.
  set_cpu_name(g_cpu_settings, "Z80");
  LadderGrid grid = make_ladder_grid(3);
  end_row(grid[0]);
  LadderGrid back = make_ladder_grid(3);
  ASSERT_EQ(read(back, write(grid, DESIGN_FILE_STANDALONE)), DESIGN_FILE_OK);
  EXPECT_STREQ(g_loaded_cpu_settings.cpu_name, "");
}

TEST_F(DesignFileTest, OutOfRangeSettingsDoNotSpillIntoOtherFields) {
  g_cpu_settings.option_a = 3;
  g_cpu_settings.clock_low = 0x1FF;
  LadderGrid grid = make_ladder_grid(3);
  end_row(grid[0]);
  LadderGrid back = make_ladder_grid(3);
  ASSERT_EQ(read(back, write(grid, DESIGN_FILE_STANDALONE)), DESIGN_FILE_OK);
  EXPECT_EQ(g_loaded_cpu_settings.option_a, 1);
  EXPECT_EQ(g_loaded_cpu_settings.option_b, 0);
  EXPECT_EQ(g_loaded_cpu_settings.clock_high, 0);
  EXPECT_EQ(g_loaded_cpu_settings.clock_low, 0x3F);
}

// A design text from its row lines and comment-section lines, with the end mark and
// the final row.
std::string design_text(std::initializer_list<std::string> rows, std::initializer_list<std::string> comments) {
  std::string s = "mbs-file 3winv.1\r\nX.MBS\r\n";
  for (const auto& r : rows) s += r + "\r\n";
  s += "00009  " + repeated("000000FF0 ", 16) + "\r\n";
  for (const auto& c : comments) s += c + "\r\n";
  return s + "00009  " + repeated("0F0F0F0F0 ", 16);
}
const std::string END_ROW_LINE =
    "00001  0000800BB 9000000B9 000006C08 000000010 200000000 DDDDDDDDD F00000000 ";
const std::string COMMENT_ROW_LINE =
    "00000  0100000BB 9100000B9 01000C048 000000020 200000000 DDDDDDDDD F00000000 ";
const std::string TEXT_ROW_LINE =
    "00001  0000000BB 014040C08 800040808 00004C408 00000007F 200000000 DDDDDDDDD F00000000 ";

std::string design_with_comment_line(const std::string& comment_line) {
  return design_text({END_ROW_LINE}, {comment_line});
}

TEST_F(DesignFileTest, CellCommentWords) {
  struct Case {
    const char* text;
    const char* read_back;
  } cases[] = {
      {"Motor \non \n", "Motor \non \n"},
      {"two words\n", "two \nwords \n"},
      {"a b c d e f g h", "a \nb \nc \nd \ne \nf \n"},  // six words are kept
      {"F0F0F0F0", "F0F0F0F0 \n"},                     // not taken for the final row
      {"ends\\ in", "ends\\ \nin \n"},                 // a backslash of its own survives
      {"表 ソ", "表 \nソ \n"},
      {"ソ\\ 表", "ソ\\ \n表 \n"},  // a trail byte 0x5C next to a backslash of the text
      {"", ""},
      // 0x1A ends a text file when read: the file keeps a blank in its place.
      {"stop\x1A" "here", "stop \nhere \n"},
  };
  for (const Case& c : cases) {
    LadderGrid grid = make_ladder_grid(3);
    end_row(grid[0]);
    grid[0].cell[11].word[0] |= CellFlags::HAS_COMMENT;
    set_text(grid[0], 11, c.text);
    std::string text = write(grid, DESIGN_FILE_STANDALONE);
    LadderGrid back = make_ladder_grid(3);
    ASSERT_EQ(read(back, text), DESIGN_FILE_OK) << c.text;
    EXPECT_EQ(text_at(back[0], 11), c.read_back) << c.text;
  }
}

TEST_F(DesignFileTest, CommentRowTextsStayOnOneLine) {
  struct Case {
    const char* text;
    const char* read_back;
  } cases[] = {
      {"one \ntwo", "one \ntwo"},
      {"ソ \n表 \n", "ソ \n表 \n"},
      {"ソ\\ \n表\\", "ソ\\ \n表\\"},
      {"bare\nfeed", "bare \nfeed"},  // a line feed alone still cannot break the file's line
      {"", ""},
      {" leading blank", " leading blank"},
      // 0x1A ends a text file when read: the file keeps a blank in its place, and the rows
      // after the comment are read.
      {"stop\x1A" "here", "stop here"},
      {"\x1A", " "},
  };
  for (const Case& c : cases) {
    reset_core_state();
    LadderGrid grid = make_ladder_grid(4);
    comment_row(grid[0], c.text);
    end_row(grid[1]);
    std::string text = write(grid, DESIGN_FILE_STANDALONE);
    LadderGrid back = make_ladder_grid(4);
    ASSERT_EQ(read(back, text), DESIGN_FILE_OK) << c.text;
    EXPECT_EQ(text_at(back[0], 0, ROW_TEXT_SIZE), c.read_back) << c.text;
    EXPECT_STREQ(g_line_comments[0].data(), c.read_back);
    EXPECT_TRUE(back[1].cell[11].word[0] & CellFlags::END);
  }
}

TEST_F(DesignFileTest, LongTextsAreCutToTheirSlots) {
  LadderGrid grid = make_ladder_grid(4);
  std::string longest(1599, 'x');
  comment_row(grid[0], longest);
  end_row(grid[1]);
  LadderGrid back = make_ladder_grid(4);
  ASSERT_EQ(read(back, write(grid, DESIGN_FILE_STANDALONE)), DESIGN_FILE_OK);
  EXPECT_EQ(text_at(back[0], 0, ROW_TEXT_SIZE), longest);

  // Texts in a file longer than their areas are cut on a character boundary.
  std::string doubled;
  for (int i = 0; i < 800; ++i) doubled += "表";
  LadderGrid tr = make_ladder_grid(4);
  ASSERT_EQ(read(tr, design_text({TEXT_ROW_LINE, END_ROW_LINE}, {"00001  0 0" + doubled + " D ", "00002  F "})),
            DESIGN_FILE_OK);
  EXPECT_EQ(text_at(tr[0], 1, 1500), doubled.substr(0, 1498));  // 749 whole characters of the 1499 bytes

  LadderGrid cr = make_ladder_grid(4);
  ASSERT_EQ(read(cr, design_text({COMMENT_ROW_LINE, END_ROW_LINE}, {"00000  0" + doubled + " E ", "00001  F "})),
            DESIGN_FILE_OK);
  EXPECT_EQ(text_at(cr[0], 0, ROW_TEXT_SIZE), doubled.substr(0, 1598));
  EXPECT_EQ(std::string(g_line_comments[0].data()), doubled.substr(0, 1598));

  LadderGrid cc = make_ladder_grid(4);
  ASSERT_EQ(read(cc, design_with_comment_line("00001  0" + doubled.substr(0, 120) + " E ")), DESIGN_FILE_OK);
  EXPECT_EQ(text_at(cc[0], 0), doubled.substr(0, 98));
}

TEST_F(DesignFileTest, DamagedFilesAreBad) {
  std::string good = design_with_comment_line("00001  F ");
  LadderGrid check = make_ladder_grid(3);
  ASSERT_EQ(read(check, good), DESIGN_FILE_OK);

  struct Case {
    const char* name;
    std::string text;
    int result;
  } cases[] = {
      {"unknown header", "mbs-file 4winv.1\r\nX\r\n" + END_ROW_LINE + "\r\n", DESIGN_FILE_BAD},
      {"header only", "mbs-file 3winv.1\r\nX.MBS\r\n", DESIGN_FILE_BAD},
      {"short row line", design_text({"0001"}, {}), DESIGN_FILE_BAD},
      {"31 words", design_text({"00001  F00000000 DDDDDDDDD E00000000 "}, {}), DESIGN_FILE_BAD},
      {"33 words", design_text({"00001  F00000000 DDDDDDDDD F00000000 000000000 "}, {}), DESIGN_FILE_BAD},
      {"not hex", design_text({"00001  F0000G000 DDDDDDDDD F00000000 "}, {}), DESIGN_FILE_BAD},
      {"group without its blank", design_text({"00001  F00000000DDDDDDDDDD F00000000 "}, {}), DESIGN_FILE_BAD},
      {"end mark first", design_text({}, {}), DESIGN_FILE_EMPTY},
      {"ends before the end mark", good.substr(0, good.find("00009  000000FF0")), DESIGN_FILE_BAD},
      {"ends in the comment section", good.substr(0, good.rfind("00009  0F0F")), DESIGN_FILE_BAD},
      {"skip count past cell 15", design_with_comment_line("00001  0 F "), DESIGN_FILE_BAD},
      {"skip count not hex", design_with_comment_line("00001  G "), DESIGN_FILE_BAD},
      {"comment row not closed", design_text({COMMENT_ROW_LINE, END_ROW_LINE}, {"00000  0text", "00001  F "}),
       DESIGN_FILE_BAD},
      {"row line too long", design_text({"00001  " + std::string(2000, '0')}, {}), DESIGN_FILE_BAD},
      {"comment line too long", design_with_comment_line("00001  0" + std::string(2100, 'x') + " E "),
       DESIGN_FILE_BAD},
  };
  for (const Case& c : cases) {
    LadderGrid grid = make_ladder_grid(3);
    EXPECT_EQ(read(grid, c.text), c.result) << c.name;
  }
}

TEST_F(DesignFileTest, NoReaderWritesPastTheGrid) {
  small_settings();
  LadderGrid grid = small_grid();
  std::string text = write(grid, DESIGN_FILE_STANDALONE);
  // Five rows are needed (the end mark included); a grid of four cannot hold them.
  std::vector<LadderRow> storage(6);
  std::memset(&storage[4], 0x5A, sizeof(LadderRow));
  GridSpan small(storage.data(), 4);
  File f = stream_with(text);
  // A file with more rows than the grid holds is too long, not damaged: the user is told so.
  EXPECT_EQ(read_design_file(small, f.get(), DESIGN_FILE_STANDALONE), DESIGN_FILE_TOO_LONG);
  const unsigned char* guard = reinterpret_cast<const unsigned char*>(&storage[4]);
  for (size_t i = 0; i < sizeof(LadderRow); ++i) ASSERT_EQ(guard[i], 0x5A);

  // Rows in a file beyond the grid limit of 6000: too long, nothing past row 5999.
  std::string many = "mbs-file 3winv.1\r\nX\r\n";
  for (int r = 0; r < MAX_GRID_ROWS + 1; ++r)
    many += "00001  F00000000 DDDDDDDDD F00000000 \r\n";
  std::vector<LadderRow> big(MAX_GRID_ROWS + 1);
  File g = stream_with(many);
  EXPECT_EQ(read_design_file(big, g.get(), DESIGN_FILE_STANDALONE), DESIGN_FILE_TOO_LONG);
}

TEST_F(DesignFileTest, LineEndsAndTheEndByte) {
  small_settings();
  LadderGrid grid = small_grid();
  std::string crlf = write(grid, DESIGN_FILE_STANDALONE);
  std::string lf;
  for (char c : crlf)
    if (c != '\r') lf += c;
  LadderGrid a = make_ladder_grid(20), b = make_ladder_grid(20), c = make_ladder_grid(20);
  ASSERT_EQ(read(a, crlf), DESIGN_FILE_OK);
  ASSERT_EQ(read(b, lf), DESIGN_FILE_OK);
  expect_same_cells(a, b, 5);
  expect_same_texts(a, b, 5);
  // 0x1A after the file's end is where reading stops; inside the rows it cuts the file short.
  ASSERT_EQ(read(c, crlf + "\x1A" + "garbage\r\n"), DESIGN_FILE_OK);
  LadderGrid d = make_ladder_grid(20);
  size_t end_row_at = crlf.find("00002  0000000BB");
  ASSERT_NE(end_row_at, std::string::npos);
  std::string cut = crlf.substr(0, end_row_at) + "\x1A" + crlf.substr(end_row_at);
  EXPECT_EQ(read(d, cut), DESIGN_FILE_BAD);
}

TEST_F(DesignFileTest, AppendedBodyWithoutRowsReadsAsNoDesign) {
  LadderGrid grid = make_ladder_grid(3);
  DesignReadInfo info;
  File f = stream_with("");
  EXPECT_EQ(read_design_file(grid, f.get(), DESIGN_FILE_APPENDED, info), DESIGN_FILE_OK);
  EXPECT_EQ(info.rows_read, 0);
  EXPECT_FALSE(info.end_row_read);
}

TEST_F(DesignFileTest, InterruptWordsComeFromTheInterruptEndRowOnly) {
  for (int i = 0; i < 16; ++i) g_cpu_settings.interrupt_words[i] = i + 1;
  LadderGrid grid = rich_grid();
  std::string text = write(grid, DESIGN_FILE_STANDALONE);
  LadderGrid back = make_ladder_grid(40);
  ASSERT_EQ(read(back, text), DESIGN_FILE_OK);
  for (int i = 0; i < 16; ++i) EXPECT_EQ(g_loaded_cpu_settings.interrupt_words[i], i + 1);

  // Without an interrupt-end row the loaded interrupt words are those of this file: none.
  LadderGrid plain = make_ladder_grid(3);
  end_row(plain[0]);
  LadderGrid back2 = make_ladder_grid(3);
  ASSERT_EQ(read(back2, write(plain, DESIGN_FILE_STANDALONE)), DESIGN_FILE_OK);
  for (int i = 0; i < 16; ++i) EXPECT_EQ(g_loaded_cpu_settings.interrupt_words[i], 0);
}

#if !defined(_WIN32)
TEST_F(DesignFileTest, AFullDiskIsAFailure) {
  std::FILE* full = std::fopen("/dev/full", "wb");
  if (!full) GTEST_SKIP() << "no /dev/full";
  LadderGrid grid = make_ladder_grid(3);
  end_row(grid[0]);
  EXPECT_EQ(write_design_file(nullptr, grid, nullptr, full, DESIGN_FILE_STANDALONE), DESIGN_FILE_BAD);
  std::fclose(full);
}
#endif

TEST_F(DesignFileTest, AStreamThatCannotBeWrittenIsAFailure) {
  // A stream opened for reading only.
  std::string path = std::string(TAVOLIN_TEST_DATA) + "/small.MBS";
  std::FILE* ro = std::fopen(path.c_str(), "rb");
  ASSERT_NE(ro, nullptr);
  LadderGrid grid = make_ladder_grid(3);
  end_row(grid[0]);
  EXPECT_EQ(write_design_file(nullptr, grid, nullptr, ro, DESIGN_FILE_STANDALONE), DESIGN_FILE_BAD);
  std::fclose(ro);
}

}  // namespace

namespace {

// A special row whose device cell carries the comment-row bit is still no comment row:
// only program rows have lines in the comment section.
TEST_F(DesignFileTest, RowsAfterTheEndRowNeverReadAsCommentRows) {
  LadderGrid grid = make_ladder_grid(6);
  contact(grid[0], 0, 1, 0);
  grid[0].cell[0].word[0] |= CellFlags::HAS_COMMENT;
  set_text(grid[0], 0, "a \n");
  out_coil(grid[0], 0x10000000);
  end_row(grid[1]);
  grid[2].cell[0].word[0] = CellFlags::COMMENT_ROW | 0x8;
  grid[2].cell[0].word[1] = 0x10000001;
  grid[2].cell[12].word[0] = 0x3F0;
  for (int c = 13; c <= 15; ++c) grid[2].cell[c].word[0] = CellFlags::SPECIAL;
  end_mark_row(grid[3]);
  std::string text = write(grid, DESIGN_FILE_STANDALONE);
  LadderGrid back = make_ladder_grid(6);
  ASSERT_EQ(read(back, text), DESIGN_FILE_OK);
  EXPECT_EQ(back[2].cell[0].word[0], CellFlags::COMMENT_ROW | 0x8);
  EXPECT_EQ(text_at(back[2], 0), "");
  EXPECT_EQ(text_at(back[0], 0), "a \n");
}

}  // namespace
