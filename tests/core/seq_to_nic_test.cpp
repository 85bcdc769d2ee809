#include "core/seq_to_nic.h"
#include "core/core_state.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "core/design_file.h"
#include "core/ladder_compiler.h"
#include "core/mnemonic_text.h"
#include "core/notice.h"
#include "core/seq_file.h"
#include "core/text_file.h"
#include "support/ladder_text.h"

namespace {

namespace fs = std::filesystem;

// Device operand words as the encoders build them: DeviceCode << 24 | number.
constexpr uint32_t X(uint32_t n) { return 0x00000000 | n; }
constexpr uint32_t Y(uint32_t n) { return 0x10000000 | n; }
constexpr uint32_t M(uint32_t n) { return 0x20000000 | n; }
constexpr uint32_t S(uint32_t n) { return 0x30000000 | n; }
constexpr uint32_t T(uint32_t n) { return 0x40000000 | n; }
constexpr uint32_t C(uint32_t n) { return 0x50000000 | n; }
constexpr uint32_t L(uint32_t n) { return 0x60000000 | n; }
constexpr uint32_t B(uint32_t n) { return 0x70000000 | n; }
constexpr uint32_t n_(uint32_t n) { return 0x80000000 | n; }
constexpr uint32_t R(uint32_t n) { return 0xB0000000 | n; }
constexpr uint32_t W(uint32_t n) { return 0xC0000000 | n; }
constexpr uint32_t Dv(uint32_t n) { return 0xD0000000 | n; }
constexpr uint32_t J(uint32_t group, uint32_t step) { return 0xF0000000 | group << 8 | step; }
constexpr uint32_t P(uint32_t n) { return 0xF1000000 | n; }
constexpr uint32_t I(uint32_t n) { return 0xF2000000 | n; }
constexpr uint32_t U(uint32_t n) { return 0xF5000000 | n; }
constexpr uint32_t group(uint32_t device, uint32_t digits) { return device | digits << 24; }

constexpr uint32_t K1 = 0x00100000, K2 = 0x00200000, K3 = 0x00400000;  // constant bit of operand 1, 2, 3
constexpr uint32_t H1 = 0x01100000, H2 = 0x02200000;                     // constant and hex bits
constexpr uint32_t DF = 0x800, PF = 0x2000;                              // D and P forms

struct Row {
  const char* form;
  InstructionRecord record;
  const char* lines;
};

InstructionRecord rec(uint32_t w0, uint32_t w1 = 0, uint32_t w2 = 0, uint32_t w3 = 0, uint32_t w4 = 0) {
  return {{w0, w1, w2, w3, w4, 0}};
}

// One row per text form: each way a printer spells a name or an operand.
const Row RECORD_ROWS[] = {
    {"no operation", rec(0x8000), ";NOP\n"},
    {"contact, X in hex", rec(0x9001, X(0x1F), 0, 1), "LD      X1F\n"},
    {"contact, M in decimal", rec(0x8002, M(100), 0, 2), "LDI     M100\n"},
    {"contact, S in decimal", rec(0x8003, S(10), 0, 1), "AND     S10\n"},
    {"contact, B in hex", rec(0x8004, B(0x1F), 0, 2), "ANI     B1F\n"},
    {"contact, R in hex", rec(0x8005, R(0x2A), 0, 1), "OR      R2A\n"},
    {"contact, T two digits", rec(0x8006, T(5), 0, 2), "ORI     T05\n"},
    {"contact, lower-case x", rec(0x8001, X(5) | 0x400000, 0, 1), "LD      x05\n"},
    {"contact, J group and step", rec(0x8001, J(1, 5), 0, 1), "LD      J105\n"},
    {"contact, J range", rec(0x8003, J(1, 5) | 0x8000 | 5 << 16, 0, 1), "AND     J105-10\n"},
    {"D-form contact", rec(0x8201, Dv(3) | 0x800000, 0, 19), "LDD     D03\n"},
    {"D-form contacts, other names", rec(0x8206, Dv(7) | 0x800000, 0, 20), "ORID    D07\n"},
    {"block instructions", rec(0x8007), "ANB\n"},
    {"stack instructions", rec(0x800C, 0, 0, 0), "MPS\n"},
    {"coil, suffix flag not written", rec(0x800F, M(5) | 0x800000, 0, 7), "OUT     M05\n"},
    {"coil, P form variant", rec(0x8011 | PF, Y(0x10), 0, 0), "OUTDP   Y10\n"},
    {"number form of MC, its device as a third word", rec(0x8012, n_(0), M(100)), "MC      00 M100\n"},
    {"number form of MCR", rec(0x8017, n_(3)), "MCR     03\n"},
    {"number form, K constant", rec(0x8017 | K1, 0x12), "MCR     12\n"},
    {"name alone", rec(0x9010), "END\n"},
    {"jump", rec(0x801A, P(5)), "CJ      P05\n"},
    {"label, bare device", rec(0x801B, P(5)), "P05\n"},
    {"subroutine label", rec(0x802B, U(3)), "U03\n"},
    {"interrupt label", rec(0x802C, I(12)), "I12\n"},
    {"bit instruction on J", rec(0x801C, J(2, 30)), "SET     J230\n"},
    {"RSTS, P form", rec(0x8023 | PF, S(4)), "RSTSP   S04\n"},
    {"name on its own line, device below", rec(0x802E, P(7)), "SCALL   \nP07\n"},
    {"count form, K constant", rec(0x8024 | K2, Dv(0), 0x4), "RCR     \nD00\nK4\n"},
    {"count form, device", rec(0x8024 | DF | PF, Dv(0), Dv(5)), "DRCRP   \nD00\n05\n"},
    {"count form, H constant", rec(0x805F | PF | H2, Dv(1), 0xF), "SFLP    \nD01\nH0F\n"},
    {"count form of a third operand", rec(0x8050 | K3, Dv(0), Y(0x20), 0x16), "DECO    \nD00\nY20\nK16\n"},
    {"operand on the name's line", rec(0x8027 | DF | PF, Dv(10)), "DINCP   D10\n"},
    {"seven-wide name", rec(0x8028, Dv(2)), "DEC    D02\n"},
    {"timer with K set value", rec(0x8035 | K2, T(5), 0x10, 8), "OUT     T05\nK10\n"},
    {"timer with D set value", rec(0x8035, T(5), Dv(100), 8), "OUT     T05\nD100\n"},
    {"counter with H set value", rec(0x8036 | H2, C(12), 0xA, 9), "OUT     C12\nH0A\n"},
    {"word instruction, plain", rec(0x8051, Dv(0), Dv(1)), "MOV     \nD00\nD01\n"},
    {"word instruction, D form", rec(0x8851, Dv(0), Dv(1)), "DMOV    \nD00\nD01\n"},
    {"word instruction, P form", rec(0xA051, Dv(0), Dv(1)), "MOVP    \nD00\nD01\n"},
    {"word instruction, D and P", rec(0xA851, Dv(0), Dv(1)), "DMOVP   \nD00\nD01\n"},
    {"K constant keeps every digit", rec(0x8051 | K1, 0x12345, Dv(0)), "MOV     \nK12345\nD00\n"},
    {"D-form K constant, whole word", rec(0x8851 | K1, 0x1234567, Dv(0)), "DMOV    \nK1234567\nD00\n"},
    {"H constant", rec(0x8051 | H1, 0x1F, Dv(0)), "MOV     \nH1F\nD00\n"},
    {"digit group of M", rec(0x8051, group(M(0), 4), Dv(0)), "MOV     \nK4M00\nD00\n"},
    {"digit group of X, hex start", rec(0x8051, group(X(0x10), 2), Dv(0)), "MOV     \nK2X10\nD00\n"},
    {"digit group of L", rec(0x8051, group(L(8), 4), Dv(0)), "MOV     \nK4L08\nD00\n"},
    {"digit group of B", rec(0x8051, Dv(0), group(B(0x20), 1)), "MOV     \nD00\nK1B20\n"},
    {"W device", rec(0x8051, W(12), Dv(0)), "MOV     \nW12\nD00\n"},
    {"J in the operand form", rec(0x806C, J(3, 7)), "SFT     \nJ307\n"},
    {"three operands", rec(0x8062, Dv(0), Dv(1), Dv(2)), "+       \nD00\nD01\nD02\n"},
    {"odd-width P name", rec(0xA078, Dv(0), Dv(1)), "WAND=P   \nD00\nD01\n"},
    {"DAND, two variants", rec(0xA088 | K2, Dv(0), 0x99999, Dv(4)), "DANDP   \nD00\nK99999\nD04\n"},
    {"STEP", rec(0x8071 | K3, S(2), Dv(0), 0x30), "STEP   \nS02\nD00\nK30\n"},
    {"ASM, its operand", rec(0x807F | K1, 0, 0, 0, 3), "ASM     \nK0\n"},
    {"comparison LD", rec(0xD001, 0xC1 | K2, Dv(0), 5), "LD=     D00 K5\n"},
    {"comparison LD, D form", rec(0xC001, 0x8C9, Dv(0), Dv(2)), "LDD=    D00 D02\n"},
    {"comparison AND", rec(0xC003, 0xC2 | H1, 0xFF, Dv(1)), "AND<>   HFF D01\n"},
    {"comparison OR, D form", rec(0xC005, 0xCE | K2, Dv(4), 0x100000), "ORD<=   D04 K100000\n"},
    {"code without printer", rec(0x8009), ";Not Support Command 9\n"},
    {"grid instruction without text form", rec(0x8026, Dv(0)), ";Not Support Command 26\n"},
    {"serial instruction without text form", rec(0x8038, Dv(0), Dv(1)), ";Not Support Command 38\n"},
    {"comparison number without operator", rec(0xC001, 0xC0, Dv(0), Dv(1)), ";Not Support Command a0\n"},
    {"comparison on no contact", rec(0xC002, 0xC1, Dv(0), Dv(1)), ";Not Support Command c002\n"},
    {"comparison code as a plain record", rec(0x80A1, Dv(0), Dv(1)), ";Not Support Command a1\n"},
    {"unknown device code", rec(0x8001, 0xF8000005, 0, 1), "LD      ?05\n"},
};

TEST(RecordMnemonic, EveryTextForm) {
  for (const Row& row : RECORD_ROWS) {
    std::string out;
    append_record_mnemonic(row.record, {}, out);
    EXPECT_EQ(out, row.lines) << row.form;
  }
}

TEST(RecordMnemonic, NoCodeLeavesTheTextWithoutALine) {
  // Every code word 0 can hold gives at least one line, and every line is either an
  // instruction or a comment that starts with ';'.
  for (uint32_t code = 0; code < 0x400; ++code) {
    for (uint32_t forms : {0x8000u, 0x8800u, 0xA000u, 0xA800u, 0xC000u}) {
      std::string out;
      InstructionRecord r = rec(forms | code, Dv(1), Dv(2), Dv(3), Dv(4));
      append_record_mnemonic(r, {}, out);
      ASSERT_FALSE(out.empty()) << std::hex << r.word[0];
      ASSERT_EQ(out.back(), '\n') << std::hex << r.word[0];
    }
  }
}

TEST(RecordMnemonic, CommentsTakeTheirTextByNumber) {
  // As the compiler numbers them: comment 0, the text of an ASM box 1, comment 2.
  std::vector<std::string_view> texts = {"first", "MOVLW 1", "second"};
  std::string out;
  append_record_mnemonic(rec(0x9020, 0), texts, out);
  append_record_mnemonic(rec(0x807F | K1, 0, 0, 0, 1), texts, out);
  append_record_mnemonic(rec(0x9020, 2), texts, out);
  append_record_mnemonic(rec(0x9020, 3), texts, out);
  EXPECT_EQ(out, ";first\nASM     \nK0\n;second\n;\n");
}

TEST(RecordMnemonic, EveryLineOfAMultiLineCommentStartsWithSemicolon) {
  std::vector<std::string_view> texts = {"pump control \nstarts here \n", "a\r\nb", ""};
  std::string out;
  append_record_mnemonic(rec(0x9020, 0), texts, out);
  EXPECT_EQ(out, ";pump control \n;starts here \n");
  out.clear();
  append_record_mnemonic(rec(0x9020, 1), texts, out);
  EXPECT_EQ(out, ";a\n;b\n");
  out.clear();
  append_record_mnemonic(rec(0x9020, 2), texts, out);
  EXPECT_EQ(out, ";\n");
}

TEST(RecordMnemonic, LongCommentLineIsCutAtACharacterBoundary) {
  // ';' and 124 characters leave one byte of the 126 a statement keeps: the double-byte
  // character after them is dropped whole, and nothing moves to another line.
  std::string text = std::string(124, 'a') + "表示" + "tail";
  std::vector<std::string_view> texts = {text};
  std::string out;
  append_record_mnemonic(rec(0x9020, 0), texts, out);
  EXPECT_EQ(out, std::string(";").append(124, 'a') + "\n");
}

TEST(SeqRecordLine, ColumnsAndCase) {
  InstructionRecord r;
  ASSERT_TRUE(parse_seq_record_line("00001  00009001 00000000 00000000 00000001 00000000 00000000 ", r));
  EXPECT_EQ(r.word[0], 0x9001u);
  EXPECT_EQ(r.word[3], 1u);
  ASSERT_TRUE(parse_seq_record_line("00002  0000c001 000000c1 d0000000 00000005 00000000 00b00003 ", r));
  EXPECT_EQ(r.word[0], 0xC001u);
  EXPECT_EQ(r.word[2], 0xD0000000u);
  EXPECT_EQ(r.word[5], 0x00B00003u);
  ASSERT_TRUE(parse_seq_record_line("00003  00008051 D0000000 D0000001 00000000", r));
  EXPECT_EQ(r.word[4], 0u);
  EXPECT_EQ(r.word[5], 0u);
  EXPECT_FALSE(parse_seq_record_line("00004  00008051 D0000000 D0000001", r)) << "word 3 missing";
  EXPECT_FALSE(parse_seq_record_line("00005  0000805G D0000000 D0000001 00000000", r));
  EXPECT_FALSE(parse_seq_record_line("", r));
}

TEST(SeqPath, ExtensionOfTheLastComponentOnly) {
  EXPECT_EQ(path_without_extension("C:\\work\\pump.SEQ"), "C:\\work\\pump");
  EXPECT_EQ(path_without_extension("/tmp/a.b/pump"), "/tmp/a.b/pump");
  EXPECT_EQ(path_without_extension("pump"), "pump");
  EXPECT_EQ(path_without_extension("C:pump.seq"), "C:pump");
  // 0x95 0x5C is one double-byte character: its trail byte is no separator.
  EXPECT_EQ(path_without_extension("a.b\x95\x5C"), "a");
  EXPECT_EQ(path_without_extension("C:\\\x95\x5C.SEQ"), "C:\\\x95\x5C");
}

// ---- Whole files ---------------------------------------------------------------------------

struct Notice {
  std::string text, caption;
  unsigned style;
};

class SeqToNicTest : public ::testing::Test {
 protected:
  void SetUp() override {
    reset_core_state();
    dir_ = fs::path(::testing::TempDir()) / ("seq_to_nic_" + std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
    fs::remove_all(dir_);
    fs::create_directories(dir_);
    set_notice_handler([this](void*, const char* text, const char* caption, unsigned style) {
      notices_.push_back({text, caption, style});
      return NoticeAnswer::OK;
    });
  }
  void TearDown() override {
    set_notice_handler(nullptr);
    fs::remove_all(dir_);
  }
  std::string path(const char* name) const { return (dir_ / name).string(); }
  static void write_file(const std::string& p, const std::string& bytes) {
    std::ofstream(p, std::ios::binary) << bytes;
  }
  static std::string read_file(const std::string& p) {
    std::ifstream in(p, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
  }
  static std::string record_line(int number, std::initializer_list<uint32_t> words) {
    char buffer[96];
    int n = std::snprintf(buffer, sizeof buffer, "%05d  ", number);
    std::string line(buffer, static_cast<size_t>(n));
    for (uint32_t w : words) {
      std::snprintf(buffer, sizeof buffer, "%08X ", w);
      line += buffer;
    }
    return line + "\r\n";
  }
  static std::string seq_of(const std::vector<InstructionRecord>& records) {
    std::string s = "seq/mbs-file 3winv.1\r\nPUMP.SEQ\r\n";
    int n = 1;
    for (const InstructionRecord& r : records)
      s += record_line(n++, {r.word[0], r.word[1], r.word[2], r.word[3], r.word[4], r.word[5]});
    return s + record_line(n, {0xFFFF, 0xFFFF, 0xFFFF, 0xFFFF, 0xFFFF, 0xFFFF});
  }

  fs::path dir_;
  std::vector<Notice> notices_;
};

// A hand-written operation file without a design part: the comments come from
// g_line_comments by their numbers.
TEST_F(SeqToNicTest, OperationFileWithoutDesignTakesTheCommentTable) {
  const std::string data = TAVOLIN_TEST_DATA "/seq_to_nic/";
  std::string seq = path("PUMP.SEQ");
  write_file(seq, read_file(data + "PUMP.SEQ"));
  std::strcpy(g_line_comments[0].data(), "pump control \nstarts here ");
  std::strcpy(g_line_comments[1].data(), "MOVLW 1 \nMOVWF 2 ");
  std::strcpy(g_line_comments[2].data(), "after the box");
  ASSERT_EQ(convert_seq_to_nic(nullptr, &g_cpu_settings, seq.c_str(), 0), SEQ_TO_NIC_OK);
  EXPECT_EQ(read_file(path("PUMP.NIC")), read_file(data + "PUMP.NIC"));
  ASSERT_EQ(notices_.size(), 1u);
  EXPECT_EQ(notices_[0].text, "SEQ to NICが終了しました");
  EXPECT_EQ(notices_[0].caption, "確認");
}

// The program of PUMP.SEQ drawn as a ladder, compiled, and written as an operation file
// with its design part.
TEST_F(SeqToNicTest, CompiledProgramGivesItsMnemonicBytesWhateverTheCommentTableHolds) {
  LadderGrid grid = ladder_from_text({
      "; pump control",
      "X0 M5 ~ (Y0)",
      "X1 ~ (T0 K10)",
      "X2 [ASM K0] | MOVLW 1",
      "; after the box",
      "{= D0 K100} ~ [MOVP D0 D1]",
  });
  std::strcpy(grid[0].row_text(), "pump control \nstarts here ");
  InstructionList list = make_instruction_list();
  ASSERT_EQ(compile_ladder(nullptr, grid, list, nullptr, 0), CompileResult::OK);
  std::string seq = path("PUMP.SEQ");
  {
    std::FILE* f = open_text_file(seq.c_str(), "w");
    ASSERT_NE(f, nullptr);
    g_instruction_list = list;
    g_file_project_name = "PUMP";
    EXPECT_EQ(write_seq_file(f), 0);
    EXPECT_EQ(write_design_file(nullptr, grid, nullptr, f, DESIGN_FILE_APPENDED), 0);
    std::fclose(f);
  }
  const std::string expected = read_file(TAVOLIN_TEST_DATA "/seq_to_nic/PUMP.NIC");

  // Right after the compile: g_line_comments holds the comments and the ASM text in the
  // compiler's numbering (0 comment, 1 ASM text, 2 comment).
  ASSERT_EQ(convert_seq_to_nic(nullptr, nullptr, seq.c_str(), 0), SEQ_TO_NIC_OK);
  EXPECT_EQ(read_file(path("PUMP.NIC")), expected);

  // After the operation file was read back with its design, as the compile commands do:
  // the design reader numbers only the comment rows (0 and 1).
  {
    std::FILE* f = open_text_file(seq.c_str(), "r");
    LadderGrid back = make_ladder_grid();
    InstructionList records = make_instruction_list();
    ASSERT_EQ(read_seq_file(back, records, f, true), SEQ_FILE_OK);
    std::fclose(f);
    ASSERT_STREQ(g_line_comments[1].data(), "after the box");
  }
  std::remove(path("PUMP.NIC").c_str());
  ASSERT_EQ(convert_seq_to_nic(nullptr, nullptr, seq.c_str(), 0), SEQ_TO_NIC_OK);
  EXPECT_EQ(read_file(path("PUMP.NIC")), expected);

  // With a comment table that belongs to another program, and it stays as it was.
  for (auto& slot : g_line_comments) std::strcpy(slot.data(), "stale");
  ASSERT_EQ(convert_seq_to_nic(nullptr, nullptr, seq.c_str(), 0), SEQ_TO_NIC_OK);
  EXPECT_EQ(read_file(path("PUMP.NIC")), expected);
  EXPECT_STREQ(g_line_comments[0].data(), "stale");
}

TEST_F(SeqToNicTest, OnlyEndGivesTheSingleLineEnd) {
  std::string seq = path("A.SEQ");
  write_file(seq, seq_of({rec(0x9010)}));
  ASSERT_EQ(convert_seq_to_nic(nullptr, nullptr, seq.c_str(), 0), SEQ_TO_NIC_OK);
  EXPECT_EQ(read_file(path("A.NIC")), "END\r\n");
  MnemonicText text = make_mnemonic_text(4);
  std::FILE* f = std::fopen(path("A.NIC").c_str(), "rb");
  int count = 0;
  ASSERT_EQ(read_nic_file(text, f, &count), 0);
  std::fclose(f);
  EXPECT_EQ(count, 1);
  EXPECT_EQ(find_end_line(text), 0);
}

TEST_F(SeqToNicTest, MissingOperationFileKeepsTheMnemonicFile) {
  std::string nic = path("B.NIC");
  write_file(nic, "LD      X00\r\nEND\r\n");
  std::string seq = path("B.SEQ");
  EXPECT_EQ(convert_seq_to_nic(nullptr, nullptr, seq.c_str(), 0), SEQ_TO_NIC_NO_SEQ);
  EXPECT_EQ(read_file(nic), "LD      X00\r\nEND\r\n");
  ASSERT_EQ(notices_.size(), 1u);
  EXPECT_EQ(notices_[0].text, path("B") + ".SEQ ファイルが、開けません");
  EXPECT_EQ(notices_[0].caption, "警告");
}

TEST_F(SeqToNicTest, FileThatIsNoOperationFileIsRefusedAndChangesNothing) {
  std::string nic = path("C.NIC");
  write_file(nic, "kept\r\n");
  for (std::string bytes : {std::string("mbs-file 3winv.1\r\nC.MBS\r\n"), std::string(),
                            seq_of({rec(0x9010)}).replace(40, 3, "zz ")}) {
    write_file(path("C.SEQ"), bytes);
    EXPECT_EQ(convert_seq_to_nic(nullptr, nullptr, path("C.SEQ").c_str(), 0), SEQ_TO_NIC_NO_SEQ);
    EXPECT_EQ(read_file(nic), "kept\r\n");
  }
  // The header is compared without regard to case; the older header is accepted.
  write_file(path("C.SEQ"), "SEQ-FILE 3WINV.1\r\nC.SEQ\r\n" + record_line(1, {0x9010, 0, 0, 0, 0, 0}));
  EXPECT_EQ(convert_seq_to_nic(nullptr, nullptr, path("C.SEQ").c_str(), 0), SEQ_TO_NIC_OK);
  EXPECT_EQ(read_file(nic), "END\r\n") << "a file that ends before its end record is converted";
}

TEST_F(SeqToNicTest, MnemonicFileThatCannotBeCreatedGivesFour) {
  fs::create_directories(dir_ / "D.NIC");  // a folder stands where the file would go
  std::string seq = path("D.SEQ");
  write_file(seq, seq_of({rec(0x9010)}));
  EXPECT_EQ(convert_seq_to_nic(nullptr, nullptr, seq.c_str(), 0), SEQ_TO_NIC_NO_NIC);
  ASSERT_EQ(notices_.size(), 1u);
  EXPECT_EQ(notices_[0].text, path("D") + ".NIC ファイルが、開けません\n共用をチェックして下さい");
  EXPECT_EQ(notices_[0].caption, "警告");
}

TEST_F(SeqToNicTest, EveryRecordOfAFullListIsConverted) {
  // 17,999 records and the end record: the whole list, far beyond 10,000 lines.
  std::vector<InstructionRecord> records;
  for (int i = 0; i < MAX_INSTRUCTIONS - 2; ++i) records.push_back(rec(0x8001, M(static_cast<uint32_t>(i)), 0, 1));
  records.push_back(rec(0x9010));
  std::string seq = path("E.SEQ");
  write_file(seq, seq_of(records) + "00001  F00000000 DDDDDDDDD F00000000 \r\n");
  ASSERT_EQ(convert_seq_to_nic(nullptr, nullptr, seq.c_str(), 0), SEQ_TO_NIC_OK);
  MnemonicText text = make_mnemonic_text();
  std::FILE* f = std::fopen(path("E.NIC").c_str(), "rb");
  int count = 0;
  ASSERT_EQ(read_nic_file(text, f, &count), 0);
  std::fclose(f);
  EXPECT_EQ(count, MAX_INSTRUCTIONS - 1);
  EXPECT_EQ(line_statement(text[12345]), "LD      M12345\n");
  EXPECT_EQ(line_statement(text[MAX_INSTRUCTIONS - 2]), "END\n");
}

// Word instructions print several lines each: a list of them can print more lines than
// a mnemonic text holds (17,999 and the end line). Such a text is never passed on as if
// it were whole: the conversion says so before the old file is touched, and its result
// stops the write to the board.
TEST_F(SeqToNicTest, ProgramLongerThanAMnemonicTextIsReported) {
  struct Case {
    int movs;       // MOV D0 D1: three lines each
    int contacts;   // LD M..: one line each
    int result;
  } cases[] = {
      {5999, 1, SEQ_TO_NIC_OK},             // 17,997 + 1 + END: 17,999 lines
      {5999, 2, SEQ_TO_NIC_TOO_LONG},       // 18,000 lines
      {6000, 0, SEQ_TO_NIC_TOO_LONG},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.contacts);
    notices_.clear();
    std::vector<InstructionRecord> records;
    for (int i = 0; i < c.movs; ++i) records.push_back(rec(0x8051, Dv(0), Dv(1)));
    for (int i = 0; i < c.contacts; ++i) records.push_back(rec(0x8001, M(static_cast<uint32_t>(i)), 0, 1));
    records.push_back(rec(0x9010));
    std::string seq = path("F.SEQ");
    write_file(seq, seq_of(records));
    write_file(path("F.NIC"), "OLD\r\n");
    EXPECT_EQ(convert_seq_to_nic(nullptr, nullptr, seq.c_str(), 0), c.result);
    ASSERT_EQ(notices_.size(), 1u);
    if (c.result == SEQ_TO_NIC_OK) {
      EXPECT_EQ(notices_[0].text, "SEQ to NICが終了しました");
      MnemonicText text = make_mnemonic_text();
      std::FILE* f = std::fopen(path("F.NIC").c_str(), "rb");
      int count = 0;
      EXPECT_EQ(read_nic_file(text, f, &count), 0);
      std::fclose(f);
      EXPECT_EQ(count, MAX_TEXT_LINES - 1);
    } else {
      EXPECT_EQ(notices_[0].caption, "警告");
      EXPECT_EQ(notices_[0].text, path("F") + ".NIC ファイルが17999行を超えます！\n"
                                              "プログラムを短くして下さい");
      // Nothing is written: the old file keeps what it held.
      EXPECT_EQ(read_file(path("F.NIC")), "OLD\r\n");
    }
  }
}

}  // namespace
