#include "core/mnemonic_text.h"
#include "core/core_state.h"

#include "file_test_support.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <initializer_list>
#include <memory>
#include <string>
#include <vector>

namespace {

using file_test::File;

File stream_of(const std::string& bytes) { return file_test::stream_with(bytes); }
std::string contents_of(std::FILE* f) { return file_test::contents_of(f); }
std::string temp_path(const char* name) { return ::testing::TempDir() + "mnemonic_text_" + name; }

MnemonicText text_of(std::initializer_list<const char*> lines, int size = 16) {
  MnemonicText text = make_mnemonic_text(size);
  size_t i = 0;
  for (const char* l : lines) set_line_statement(text[i++], l);
  return text;
}

std::string statement(const MnemonicLine& line) { return std::string(line_statement(line)); }

class MnemonicTextTest : public ::testing::Test {
 protected:
  void SetUp() override { reset_core_state(); }
};

// ---- reading ----------------------------------------------------------------------------

TEST_F(MnemonicTextTest, EmptyFileGivesOnlyTheEndLine) {
  MnemonicText text = make_mnemonic_text(8);
  int count = -7;
  File f = stream_of("");
  EXPECT_EQ(read_nic_file(text, f.get(), &count), 0);
  EXPECT_EQ(count, 0);
  EXPECT_EQ(statement(text[0]), "0FFFF0 0FFFF0\n");
}

TEST_F(MnemonicTextTest, LinesAreStoredWithTheirLineFeedWhateverTheLineEnd) {
  // LF, CR LF and a last line without a line end all give the same statements.
  for (const char* bytes : {"LD      X00\nOUT     Y00\nEND", "LD      X00\r\nOUT     Y00\r\nEND\r\n",
                            "LD      X00\r\nOUT     Y00\nEND\n"}) {
    MnemonicText text = make_mnemonic_text(8);
    int count = 0;
    File f = stream_of(bytes);
    ASSERT_EQ(read_nic_file(text, f.get(), &count), 0) << bytes;
    EXPECT_EQ(count, 3);
    EXPECT_EQ(statement(text[0]), "LD      X00\n");
    EXPECT_EQ(statement(text[1]), "OUT     Y00\n");
    EXPECT_EQ(statement(text[2]), "END\n");
    EXPECT_EQ(statement(text[3]), "0FFFF0 0FFFF0\n");
  }
}

TEST_F(MnemonicTextTest, EndLineWithOrWithoutLineEndStopsTheRead) {
  for (const char* bytes : {"END\r\n0FFFF0 0FFFF0", "END\r\n0FFFF0 0FFFF0\r\nLD      X01\r\n"}) {
    MnemonicText text = make_mnemonic_text(8);
    set_line_statement(text[2], "untouched");
    int count = 0;
    File f = stream_of(bytes);
    ASSERT_EQ(read_nic_file(text, f.get(), &count), 0);
    EXPECT_EQ(count, 1);
    EXPECT_EQ(statement(text[1]), "0FFFF0 0FFFF0\n");
    EXPECT_EQ(statement(text[2]), "untouched\n") << "a line after the end line is not read";
  }
}

TEST_F(MnemonicTextTest, EndLineIsRecognisedByItsFirstWordOnly) {
  MnemonicText text = make_mnemonic_text(8);
  int count = 0;
  File f = stream_of("  0FFFF0 x\r\nLD X0\r\n");
  ASSERT_EQ(read_nic_file(text, f.get(), &count), 0);
  EXPECT_EQ(count, 0);
  EXPECT_EQ(statement(text[0]), "  0FFFF0 x\n") << "kept as read";
  EXPECT_EQ(count_text_lines(text), 0);
}

TEST_F(MnemonicTextTest, ByteHex1AEndsTheFile) {
  MnemonicText text = make_mnemonic_text(8);
  int count = 0;
  File f = stream_of("LD X0\r\nOUT Y0\x1A\r\nEND\r\n");
  ASSERT_EQ(read_nic_file(text, f.get(), &count), 0);
  EXPECT_EQ(count, 2);
  EXPECT_EQ(statement(text[1]), "OUT Y0\n");
  EXPECT_EQ(statement(text[2]), "0FFFF0 0FFFF0\n");
}

TEST_F(MnemonicTextTest, ReadClearsSelectionCommentAndFlagsOfStoredLines) {
  MnemonicText text = make_mnemonic_text(8);
  for (auto& l : text) {
    l.selected = 1;
    l.flags = 0x11;
    std::strcpy(l.comment, "stale");
  }
  int count = 0;
  File f = stream_of("LD X0\r\n");
  ASSERT_EQ(read_nic_file(text, f.get(), &count), 0);
  for (int i = 0; i <= 1; ++i) {
    EXPECT_EQ(text[i].selected, 0);
    EXPECT_EQ(text[i].flags, 0);
    EXPECT_STREQ(text[i].comment, "");
  }
}

TEST_F(MnemonicTextTest, LongLineIsCutAtACharacterBoundaryAndTheNextLineStays) {
  // 125 ASCII characters and then a double-byte character: the character would end at
  // byte 127, past the 126 the field keeps, so it is dropped whole.
  std::string long_line = std::string(";").append(124, 'a') + "表" + std::string(200, 'b');
  MnemonicText text = make_mnemonic_text(8);
  int count = 0;
  File f = stream_of(long_line + "\r\nLD X0\r\n");
  ASSERT_EQ(read_nic_file(text, f.get(), &count), 0);
  EXPECT_EQ(count, 2);
  EXPECT_EQ(statement(text[0]), std::string(";").append(124, 'a') + "\n");
  EXPECT_EQ(statement(text[1]), "LD X0\n");
  EXPECT_EQ(text[0].comment[0], '\0') << "nothing spilled into the comment field";

  // With 124 characters before it the double-byte character fits exactly.
  std::string fits = std::string(";").append(123, 'a') + "表" + "zz";
  File g = stream_of(fits + "\r\n");
  ASSERT_EQ(read_nic_file(text, g.get(), &count), 0);
  EXPECT_EQ(statement(text[0]), std::string(";").append(123, 'a') + "表\n");
}

// Every line the field cut is named (1-based file line numbers), so that the window can
// say which lines it cut; lines that fit exactly are not named.
TEST_F(MnemonicTextTest, TheLinesThatWereCutAreNamed) {
  const std::string fits(MAX_STATEMENT_CHARS, 'a');
  const std::string one_more(MAX_STATEMENT_CHARS + 1, 'b');
  const std::string beyond_the_read(3000, 'c');
  MnemonicText text = make_mnemonic_text(8);
  int count = 0;
  std::vector<int> cut = {99};
  File f = stream_of("LD X0\r\n" + one_more + "\r\n" + fits + "\r\n" + beyond_the_read + "\nEND\r\n");
  ASSERT_EQ(read_nic_file(text, f.get(), &count, &cut), 0);
  EXPECT_EQ(count, 5);
  EXPECT_EQ(cut, (std::vector<int>{2, 4}));
  File g = stream_of("LD X0\r\n");
  ASSERT_EQ(read_nic_file(text, g.get(), &count, &cut), 0);
  EXPECT_TRUE(cut.empty());
}

// A text that does not fit the buffer is reported, never passed on cut short: the
// buffer holds its first lines and the end line, and the result says it is incomplete.
TEST_F(MnemonicTextTest, FileLongerThanTheBufferIsReported) {
  auto lines = [](int n) {
    std::string bytes;
    for (int i = 0; i < n; ++i) bytes += "LD X" + std::to_string(i) + "\r\n";
    return bytes;
  };
  struct Case {
    const char* name;
    std::string bytes;
    int result;
  } cases[] = {
      {"five lines too many", lines(MAX_TEXT_LINES + 5), NIC_READ_TOO_LONG},
      {"one line too many, then the end line", lines(MAX_TEXT_LINES) + "0FFFF0 0FFFF0\r\n", NIC_READ_TOO_LONG},
      {"one line too many, no end line", lines(MAX_TEXT_LINES), NIC_READ_TOO_LONG},
      {"a full text and its end line", lines(MAX_TEXT_LINES - 1) + "0FFFF0 0FFFF0\r\n", 0},
      {"a full text without end line", lines(MAX_TEXT_LINES - 1), 0},
      {"a full text, blank lines, the end line", lines(MAX_TEXT_LINES - 1) + "\r\n  \r\n0FFFF0 0FFFF0\r\nLD X0\r\n", 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    MnemonicText text = make_mnemonic_text();
    int count = 0;
    File f = stream_of(c.bytes);
    EXPECT_EQ(read_nic_file(text, f.get(), &count), c.result);
    EXPECT_EQ(count, MAX_TEXT_LINES - 1);
    EXPECT_EQ(statement(text[MAX_TEXT_LINES - 2]), "LD X17998\n");
    EXPECT_EQ(statement(text[MAX_TEXT_LINES - 1]), "0FFFF0 0FFFF0\n");
  }
}

TEST_F(MnemonicTextTest, SmallBufferIsNeverWrittenPastItsEnd) {
  MnemonicText text = make_mnemonic_text(3);
  int count = 0;
  File f = stream_of("A\r\nB\r\nC\r\nD\r\n");
  ASSERT_EQ(read_nic_file(text, f.get(), &count), NIC_READ_TOO_LONG);
  EXPECT_EQ(count, 2);
  EXPECT_EQ(statement(text[2]), "0FFFF0 0FFFF0\n");
  MnemonicText none;
  File g = stream_of("A\r\n");
  EXPECT_EQ(read_nic_file(none, g.get(), &count), -1);
}

TEST_F(MnemonicTextTest, StreamErrorReturnsMinusOneAndStillEndsTheText) {
  std::string name = temp_path("write_only.nic");
  {
    // glibc flags a read from a write-only stream as an error; msvcrt only reports EOF.
    File probe(std::fopen(name.c_str(), "wb"));
    ASSERT_TRUE(probe);
    std::getc(probe.get());
    if (!std::ferror(probe.get())) GTEST_SKIP() << "this C library raises no read error here";
  }
  File f(std::fopen(name.c_str(), "wb"));  // a write-only stream fails on the first read
  ASSERT_TRUE(f);
  MnemonicText text = make_mnemonic_text(4);
  set_line_statement(text[0], "old");
  int count = 5;
  EXPECT_EQ(read_nic_file(text, f.get(), &count), -1);
  EXPECT_EQ(count, 0);
  EXPECT_EQ(statement(text[0]), "0FFFF0 0FFFF0\n");
  f.reset();
  std::remove(name.c_str());
}

// ---- the header line ----------------------------------------------------------------------

TEST_F(MnemonicTextTest, HeaderLineSetsTheLoadedSettingsAndStaysInTheText) {
  struct Case {
    const char* line;
    const char* name;
    int a, b, c, d, clock_high, clock_low, port;
  } cases[] = {
      {"\\ CPU pic16F84 CODE 6 C0102 P0040", "pic16F84", 1, 1, 0, 0, 1, 2, 0x40},
      // every option bit, hexadecimal digits of either case
      {"\\ CPU pic18F452 CODE fa cABCD pFFFF", "pic18F452", 1, 0, 1, 0xF, 0xAB, 0xCD, 0xFFFF},
      // the words after CODE may be missing
      {"\\ CPU PLC CODE 8", "PLC", 0, 0, 1, 0, 0, 0, 0},
  };
  for (const Case& c : cases) {
    std::strcpy(g_loaded_cpu_settings.cpu_name, "old");
    MnemonicText text = make_mnemonic_text(8);
    int count = 0;
    File f = stream_of(std::string(c.line) + "\r\nLD X0\r\n");
    ASSERT_EQ(read_nic_file(text, f.get(), &count), 0);
    EXPECT_EQ(count, 2);
    EXPECT_EQ(statement(text[0]), std::string(c.line) + "\n");
    const CpuSettings& s = g_loaded_cpu_settings;
    EXPECT_STREQ(s.cpu_name, c.name) << c.line;
    EXPECT_EQ(s.option_a, c.a) << c.line;
    EXPECT_EQ(s.option_b, c.b) << c.line;
    EXPECT_EQ(s.option_c, c.c) << c.line;
    EXPECT_EQ(s.option_d, c.d) << c.line;
    EXPECT_EQ(s.clock_high, c.clock_high) << c.line;
    EXPECT_EQ(s.clock_low, c.clock_low) << c.line;
    EXPECT_EQ(s.port_value, c.port) << c.line;
  }
}

TEST_F(MnemonicTextTest, BadOrMissingHeaderClearsTheFieldsAndKeepsTheName) {
  for (const char* bytes : {"\\ CPU pic16F84 KODE 6 C0102 P0040\r\nEND\r\n", "\\ PIC pic16F84 CODE 6\r\nEND\r\n",
                            "\\\r\nEND\r\n", "LD X0\r\nEND\r\n"}) {
    CpuSettings& s = g_loaded_cpu_settings;
    std::strcpy(s.cpu_name, "kept");
    s.option_a = s.option_b = s.option_c = 1;
    s.option_d = 5;
    s.clock_high = s.clock_low = 3;
    s.port_value = 9;
    s.base_value = 77;
    MnemonicText text = make_mnemonic_text(8);
    int count = 0;
    File f = stream_of(bytes);
    ASSERT_EQ(read_nic_file(text, f.get(), &count), 0);
    EXPECT_STREQ(s.cpu_name, "kept") << bytes;
    EXPECT_EQ(s.option_a | s.option_b | s.option_c | s.option_d, 0) << bytes;
    EXPECT_EQ(s.clock_high | s.clock_low | s.port_value, 0) << bytes;
    EXPECT_EQ(s.base_value, 77) << "not a header field";
  }
}

TEST_F(MnemonicTextTest, HeaderCpuNameIsBoundedByItsField) {
  std::string name(400, 'n');
  MnemonicText text = make_mnemonic_text(8);
  int count = 0;
  File f = stream_of("\\ CPU " + name + " CODE 2\r\n");
  ASSERT_EQ(read_nic_file(text, f.get(), &count), 0);
  // The statement field already cut the line; the name never overruns cpu_name.
  EXPECT_LT(std::strlen(g_loaded_cpu_settings.cpu_name), sizeof g_loaded_cpu_settings.cpu_name);
  EXPECT_EQ(g_loaded_cpu_settings.program_folder[0], '\0');
}

// ---- writing ------------------------------------------------------------------------------

TEST_F(MnemonicTextTest, WriterWritesStatementsWithCrLfUpToTheEndLine) {
  MnemonicText text = text_of({"LD      X00\n", ";100% load\n", "OUT     Y00", "END\n", "0FFFF0 0FFFF0\n", "LD X9\n"});
  File f(std::tmpfile());
  EXPECT_EQ(write_nic_text(text, f.get(), 0), 0);
  EXPECT_EQ(contents_of(f.get()), "LD      X00\r\n;100% load\r\nOUT     Y00\r\nEND\r\n0FFFF0 0FFFF0\r\n");
}

TEST_F(MnemonicTextTest, WriterEndsATextThatLacksItsEndLine) {
  MnemonicText text = text_of({"LD X0\n", "END\n"}, 2);
  File f(std::tmpfile());
  EXPECT_EQ(write_nic_text(text, f.get(), 1), 0);
  EXPECT_EQ(contents_of(f.get()), "LD X0\r\nEND\r\n0FFFF0 0FFFF0\r\n");
}

TEST_F(MnemonicTextTest, WriterNeverReadsPastTheStatementField) {
  MnemonicText text = make_mnemonic_text(2);
  std::memset(text[0].statement, 'a', sizeof text[0].statement);  // no LF, no NUL
  std::strcpy(text[0].comment, "COMMENT");
  set_end_line(text[1]);
  File f(std::tmpfile());
  EXPECT_EQ(write_nic_text(text, f.get(), 0), 0);
  EXPECT_EQ(contents_of(f.get()), std::string(128, 'a') + "\r\n0FFFF0 0FFFF0\r\n");
  EXPECT_EQ(line_length(text[0]), 128);
}

TEST_F(MnemonicTextTest, WriteFailureReturnsMinusOne) {
  std::string name = temp_path("read_only.nic");
  { File w(std::fopen(name.c_str(), "wb")); }
  File f(std::fopen(name.c_str(), "rb"));  // a read-only stream refuses every write
  ASSERT_TRUE(f);
  MnemonicText text = text_of({"LD X0\n", "0FFFF0 0FFFF0\n"});
  EXPECT_EQ(write_nic_text(text, f.get(), 0), -1);
  f.reset();
  std::remove(name.c_str());
}

TEST_F(MnemonicTextTest, WrittenFileReadsBackToTheSameStatements) {
  MnemonicText text = text_of({"\\ CPU pic16F84 CODE 6 C0102 P0040\n", "LD      X00     ; ポンプ\n", "\n",
                               "OUT     Y00\n", "END\n", "0FFFF0 0FFFF0\n"});
  File f(std::tmpfile());
  ASSERT_EQ(write_nic_text(text, f.get(), 0), 0);
  std::rewind(f.get());
  MnemonicText back = make_mnemonic_text(16);
  int count = 0;
  ASSERT_EQ(read_nic_file(back, f.get(), &count), 0);
  EXPECT_EQ(count, 5);
  SavedText written = make_saved_text(16);
  copy_text_to_saved(text, written, nullptr);
  EXPECT_EQ(text_differs_from_saved(back, written), 0);
}

// ---- line operations ----------------------------------------------------------------------

TEST_F(MnemonicTextTest, SplitCodeAndComment) {
  struct Case {
    const char* line;
    const char* statement;
    const char* comment;
  } cases[] = {
      {"LD      X00 ;pump\n", "LD      X00", ";pump\n"},
      {"LD      X00 ;   \n", "LD      X00", ""},
      {"LD      X00 ;", "LD      X00", ""},
      {"LD      X00\n", "", ""},
      {"   ; whole line\n", "", "; whole line\n"},
      {"OUT Y0\t;a;b\n", "OUT Y0", ";a;b\n"},
      {"LD X0 ;表示\n", "LD X0", ";表示\n"},
  };
  for (const Case& c : cases) {
    MnemonicText text = text_of({c.line}, 1);
    std::strcpy(text[0].statement, c.line);  // exactly as given, with or without LF
    std::string comment = "x", code = "x";
    split_code_and_comment(text[0], comment, code);
    EXPECT_EQ(code, c.statement) << c.line;
    EXPECT_EQ(comment, c.comment) << c.line;
  }
}

TEST_F(MnemonicTextTest, WordsOfALine) {
  MnemonicText text = text_of({"  LD\tX00   ;c\n", "   \n", "0FFFF0 0FFFF0\n"});
  std::string_view words[3];
  ASSERT_EQ(split_line_words(text[0], words), 3);
  EXPECT_EQ(words[0], "LD");
  EXPECT_EQ(words[1], "X00");
  EXPECT_EQ(words[2], ";c");
  EXPECT_EQ(split_line_words(text[1], words), 0);
  EXPECT_EQ(line_first_word(text[1]), "");
  EXPECT_FALSE(line_first_word_is(text[1], ""));  // a line with no word never matches
  EXPECT_TRUE(is_end_line(text[2]));
  EXPECT_EQ(line_length(text[0]), 13);
}

TEST_F(MnemonicTextTest, SetLineStatementBoundsTheFieldAndKeepsTheComment) {
  MnemonicText text = make_mnemonic_text(1);
  std::strcpy(text[0].comment, "keep");
  set_line_statement(text[0], std::string(300, 'x') + "\nsecond");
  EXPECT_EQ(statement(text[0]), std::string(MAX_STATEMENT_CHARS, 'x') + "\n");
  EXPECT_STREQ(text[0].comment, "keep");
  set_line_comment(text[0], std::string(2000, 'c'));
  EXPECT_EQ(std::strlen(text[0].comment), sizeof text[0].comment - 1);
  EXPECT_EQ(text[0].flags, 0) << "the flags after the comment field are untouched";
}

TEST_F(MnemonicTextTest, CountAndFindEndLines) {
  EXPECT_EQ(count_text_lines(text_of({"LD X0\n", "END\n", "0FFFF0 0FFFF0\n"})), 2);
  EXPECT_EQ(count_text_lines(text_of({"LD X0\n"}, 4)), 4) << "no end line: the whole buffer";
  EXPECT_EQ(find_end_line(text_of({"LD X0\n", "END\n", "0FFFF0 0FFFF0\n"})), 1);
  EXPECT_EQ(find_end_line(text_of({"LD X0\n", "  end\n", "0FFFF0 0FFFF0\n"})), 1);
  EXPECT_EQ(find_end_line(text_of({"LD X0\n", "End\n", "0FFFF0 0FFFF0\n"})), -1);
  EXPECT_EQ(find_end_line(text_of({"LD X0\n", "0FFFF0 0FFFF0\n", "END\n"})), -1);
  EXPECT_EQ(find_end_line(text_of({"ENDX\n", "; END\n"}, 2)), -1);
}

TEST_F(MnemonicTextTest, SavedCopyAndChangeTest) {
  MnemonicText text = text_of({"LD X0\n", "END\n", "0FFFF0 0FFFF0\n", "beyond\n"});
  SavedText saved = make_saved_text(16);
  int count = 0;
  copy_text_to_saved(text, saved, &count);
  EXPECT_EQ(count, 2);
  EXPECT_STREQ(saved[2].statement, "0FFFF0 0FFFF0\n");
  EXPECT_STREQ(saved[3].statement, "") << "nothing after the end line is copied";
  EXPECT_EQ(text_differs_from_saved(text, saved), 0);
  set_line_statement(text[3], "changed beyond the end");
  EXPECT_EQ(text_differs_from_saved(text, saved), 0);
  set_line_statement(text[1], "FEND");
  EXPECT_EQ(text_differs_from_saved(text, saved), 1);
  SavedText small = make_saved_text(1);
  EXPECT_EQ(text_differs_from_saved(text, small), 1);
}

}  // namespace
