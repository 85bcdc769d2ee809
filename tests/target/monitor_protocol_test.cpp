#include "target/monitor_protocol.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <functional>
#include <initializer_list>
#include <map>
#include <ostream>
#include <string>
#include <vector>

#include "core/device_tables.h"
#include "core/notice.h"
#include "support/board_simulator.h"
#include "target/device_images.h"
#include "target/serial_port.h"

namespace {

constexpr int BOARD_SLOT = 3;
constexpr int64_t MS = 1000;

// A mnemonic text of the given statements followed by the end line.
MnemonicText make_text(std::initializer_list<std::string> statements, size_t capacity = 32) {
  MnemonicText text(capacity);
  size_t i = 0;
  for (const std::string& s : statements) {
    std::string line = s + "\n";
    std::memcpy(text[i++].statement, line.data(), line.size());
  }
  std::memcpy(text[i].statement, "0FFFF0 0FFFF0\n", 14);
  return text;
}

std::string statement(const MnemonicLine& line) { return std::string(statement_of(line)); }

class LinkTest : public ::testing::Test {
 protected:
  void SetUp() override {
    reset_serial_state();
    reset_device_images();
    set_port_opener(link.opener_for("\\\\.\\COM3"));
    set_notice_handler([this](void*, const char* text, const char* caption, unsigned) {
      notices.push_back(std::string(text) + "|" + caption);
      return NoticeAnswer::OK;
    });
    g_com_number = BOARD_SLOT;
    g_current_port = BOARD_SLOT;
    open_port(BOARD_SLOT, 9600, 0);
  }
  void TearDown() override {
    reset_serial_state();
    reset_device_images();
    set_port_opener({});
    set_notice_handler({});
  }

  SimulatedLink link;
  std::vector<std::string> notices;
  const std::string link_failed = std::string(MSG_LINK_FAILED) + "|" + CAPTION_WARNING;
};

// ---- Program write ------------------------------------------------------------------------

TEST_F(LinkTest, ThreeLineProgramIsSentAsNumberedLinesAndTheLineCount) {
  MnemonicText text = make_text({"LD      X0", "OUT     Y0", "END"});
  char end_answer[8] = "junk";
  EXPECT_EQ(write_program_to_target(text, end_answer), 0);
  EXPECT_EQ(link.host_sent, "1 LD X0\r2 OUT Y0\r3 END\rN4\r");
  EXPECT_EQ(link.board.listing(), "1 LD X0\n2 OUT Y0\n3 END\n");
  EXPECT_STREQ(end_answer, "\n>");
  EXPECT_TRUE(notices.empty());
}

TEST_F(LinkTest, OnlyTheFirstTwoWordsOfALineAreSent) {
  struct Case {
    const char* statement;
    const char* sent;
  };
  const Case cases[] = {
      {"LD      X00 ;pump", "1 LD X00"},
      {";comment in words", "1 ;comment in"},
      {"ANB ;note", "1 ANB ;note"},
      {"MOV", "1 MOV"},
      {"", "1"},
      {"   ", "1"},
      {"\tLD\tX1\t", "1 LD X1"},
  };
  for (const Case& c : cases) {
    link.host_sent.clear();
    MnemonicText text = make_text({c.statement});
    char end_answer[8];
    ASSERT_EQ(write_program_to_target(text, end_answer), 0) << c.statement;
    EXPECT_EQ(link.host_sent, std::string(c.sent) + "\rN2\r") << c.statement;
  }
}

TEST_F(LinkTest, LinesOfAnEarlierProgramBeyondTheNewEndAreGone) {
  for (int n = 1; n <= 10; ++n) link.board.program[n] = "NOP";
  MnemonicText text = make_text({"LD X1", "", "END"});
  char end_answer[8];
  ASSERT_EQ(write_program_to_target(text, end_answer), 0);
  EXPECT_EQ(link.board.listing(), "1 LD X1\n2\n3 END\n");
}

TEST_F(LinkTest, WriteEndsAsSoonAsEachAnswerIsComplete) {
  // At 9600 baud a line of L characters costs L + 7 character times: the line, its last
  // echo, CR and the five bytes of the answer; no read ever waits out its time-out.
  link.character_us = SimulatedLink::CHARACTER_US_9600;
  MnemonicText text = make_text({"LD      X0", "OUT     Y0", "END"});
  char end_answer[8];
  ASSERT_EQ(write_program_to_target(text, end_answer), 0);
  EXPECT_EQ(link.now_us, (14 + 15 + 12 + 9) * SimulatedLink::CHARACTER_US_9600);
}

struct WriteFault {
  const char* name;
  bool silent;
  int corrupt_echo_at;
  bool answer_commands;
  int babble_after;
  const char* raw_answer;
  const char* sent;  // what reached the board before the write stopped
};

void PrintTo(const WriteFault& f, std::ostream* os) { *os << f.name; }

class WriteFaultTest : public LinkTest, public ::testing::WithParamInterface<WriteFault> {};

TEST_P(WriteFaultTest, AWriteSucceedsOnlyWhenEveryLineWasEchoedAndAnswered) {
  const WriteFault& f = GetParam();
  link.board.silent = f.silent;
  link.board.corrupt_echo_at = f.corrupt_echo_at;
  link.board.answer_commands = f.answer_commands;
  link.babble_after_commands = f.babble_after;
  link.board.raw_answer = f.raw_answer;
  MnemonicText text = make_text({"LD X0", "OUT Y0", "END"});
  char end_answer[8] = "x";
  EXPECT_EQ(write_program_to_target(text, end_answer), -1);
  EXPECT_EQ(link.host_sent, f.sent);
  EXPECT_STREQ(end_answer, "");
  ASSERT_EQ(notices.size(), 1u);
  EXPECT_EQ(notices[0], link_failed);
  // Every wait gave up within a few seconds.
  EXPECT_LT(link.now_us, 6000 * MS);
}

INSTANTIATE_TEST_SUITE_P(
    Write, WriteFaultTest,
    ::testing::Values(WriteFault{"silent", true, -1, true, -1, "", "1 LD X0\x03"},
                      WriteFault{"wrong_echo_on_line_two", false, 7, true, -1, "", "1 LD X0\r2 OUT Y0\x03"},
                      WriteFault{"no_answer", false, -1, false, -1, "", "1 LD X0\r"},
                      WriteFault{"never_stops_sending", false, -1, true, 1, "\r\n", "1 LD X0\r"}),
    [](const auto& info) { return std::string(info.param.name); });

// A board whose answers stop after their first line, with neither line end nor prompt:
// every exchange that needs its answer fails, within its bounded waits.
TEST_F(LinkTest, AnswersCutShortFailEveryExchange) {
  link.board.short_framing = true;
  MnemonicText text = make_text({"LD X0", "END"});
  char end_answer[8] = "x";
  EXPECT_EQ(write_program_to_target(text, end_answer), -1);
  EXPECT_STREQ(end_answer, "");
  EXPECT_EQ(notices, std::vector<std::string>{link_failed});
  int line = 0;
  EXPECT_EQ(verify_program_on_target(text, line), VERIFY_LINK_FAILED);
  // The listing fell silent before its prompt: cut, never whole.
  std::string listed;
  EXPECT_EQ(read_program_from_target(listed), LISTING_CUT);
  char listing[64];
  size_t length = 0;
  ASSERT_EQ(send_echoed_command("R"), 1);
  EXPECT_EQ(read_until_prompt(listing, length), ReplyEnd::SILENT);
  EXPECT_LT(link.now_us, 30000 * MS);
}

TEST_F(LinkTest, WriteWithoutTextSendsNothing) {
  char end_answer[8];
  EXPECT_EQ(write_program_to_target({}, end_answer), -2);
  EXPECT_EQ(link.host_sent, "");
}

// Every line's answer is awaited to its prompt: a board that answers without one fails the
// write at the first line, and one that leaves out only the final prompt fails it there.
TEST_F(LinkTest, WriteWithoutPromptsFails) {
  link.board.prompt = false;  // every line answered, but never a prompt
  MnemonicText text = make_text({"LD X0"});
  char end_answer[8];
  EXPECT_EQ(write_program_to_target(text, end_answer), -1);
  EXPECT_EQ(link.host_sent, "1 LD X0\r");
  EXPECT_EQ(notices.size(), 1u);

  link.board.prompt = true;
  link.board.heartbeat_from = link.board.commands + 2;  // the line count "N2" is never answered
  link.host_sent.clear();
  EXPECT_EQ(write_program_to_target(text, end_answer), -1);
  EXPECT_EQ(link.host_sent, "1 LD X0\rN2\r");
  EXPECT_EQ(notices.size(), 2u);
}

// ---- Echoed commands, replies, stop --------------------------------------------------------

TEST_F(LinkTest, EchoedCommandAndItsReply) {
  EXPECT_EQ(send_echoed_command("R"), 1);
  char reply[REPLY_TEXT_SIZE];
  size_t length = 0;
  EXPECT_EQ(read_until_prompt(reply, length), ReplyEnd::PROMPT);
  EXPECT_STREQ(reply, "\r\n\r\n>");
  EXPECT_EQ(link.host_sent, "R\r");
  EXPECT_TRUE(link.board.running);
  EXPECT_EQ(link.now_us, 0);  // nothing waited
}

TEST_F(LinkTest, EchoFailureDropsTheCommandWithTheStopByte) {
  link.board.corrupt_echo_at = 2;
  link.board.running = true;
  EXPECT_EQ(send_echoed_command("X04A"), 0);
  // No CR: "X04" is dropped, never run.
  EXPECT_EQ(link.host_sent, "X04\x03");
  EXPECT_EQ(link.board.commands, 0);
  EXPECT_FALSE(link.board.running);
  // The next command reaches the board alone.
  link.host_sent.clear();
  ASSERT_EQ(send_echoed_command("X05A"), 1);
  char reply[64];
  size_t length = 0;
  EXPECT_EQ(read_until_prompt(reply, length), ReplyEnd::PROMPT);
  EXPECT_STREQ(reply, "\r\n\r\n>");
  EXPECT_TRUE((link.board.bits[{'X', 5}]));
  EXPECT_EQ(link.host_sent, "X05A\r");
}

// After one bad echo during a write the line stayed half-typed on the board, and the
// next command was appended to it: the board stored "2 OUT Y0R" and never ran.
TEST_F(LinkTest, AFailedWriteLeavesNothingForTheNextCommand) {
  link.board.corrupt_echo_at = 7;  // in "2 OUT Y0"
  MnemonicText text = make_text({"LD X0", "OUT Y0", "END"});
  char end_answer[8];
  ASSERT_EQ(write_program_to_target(text, end_answer), -1);
  EXPECT_EQ(link.board.listing(), "1 LD X0\n");

  ASSERT_EQ(send_echoed_command("R"), 1);
  char reply[64];
  size_t length = 0;
  EXPECT_EQ(read_until_prompt(reply, length), ReplyEnd::PROMPT);
  EXPECT_STREQ(reply, "\r\n\r\n>");
  EXPECT_TRUE(link.board.running);
  EXPECT_EQ(link.board.listing(), "1 LD X0\n");

  // A second write stores the whole program.
  ASSERT_EQ(write_program_to_target(text, end_answer), 0);
  EXPECT_EQ(link.board.listing(), "1 LD X0\n2 OUT Y0\n3 END\n");
  int line = 0;
  EXPECT_EQ(verify_program_on_target(text, line), VERIFY_OK);
}

TEST_F(LinkTest, CommandsLongerThan99CharactersAreRefused) {
  const std::string longest(99, 'A');
  EXPECT_EQ(send_echoed_command(longest.c_str()), 1);
  link.host_sent.clear();
  const std::string too_long(100, 'A');
  EXPECT_EQ(send_echoed_command(too_long.c_str()), 0);
  EXPECT_EQ(link.host_sent, "");
}

TEST_F(LinkTest, StaleBytesAreNeverTakenAsTheEcho) {
  link.inject_stale("X");
  EXPECT_EQ(send_echoed_command("R"), 1);
  EXPECT_EQ(link.host_sent, "R\r");
}

TEST_F(LinkTest, ReplyLongerThanTheBufferIsCutAtIt) {
  link.babble_after_commands = 1;
  link.board.raw_answer = "\r\n";
  ASSERT_EQ(send_echoed_command("R"), 1);
  char reply[100];
  std::memset(reply, 'Z', sizeof reply);
  size_t length = 0;
  EXPECT_EQ(read_until_prompt({reply, 40}, length), ReplyEnd::FULL);
  EXPECT_EQ(length, 39u);
  EXPECT_EQ(reply[39], 0);
  EXPECT_EQ(reply[40], 'Z');
}

TEST_F(LinkTest, SilentReplyWaitIsBounded) {
  link.board.answer_commands = false;
  ASSERT_EQ(send_echoed_command("R"), 1);
  char reply[64];
  size_t length = 0;
  EXPECT_EQ(read_until_prompt(reply, length), ReplyEnd::SILENT);
  EXPECT_EQ(link.now_us, REPLY_EMPTY_READS * 501 * MS);
}

TEST_F(LinkTest, StopSendsTheStopByteAlone) {
  link.board.running = true;
  char answer[64];
  EXPECT_EQ(stop_target_program(answer), 5);
  EXPECT_STREQ(answer, "\r\n\r\n>");
  EXPECT_EQ(link.host_sent, "\x03");
  EXPECT_FALSE(link.board.running);
}

TEST_F(LinkTest, StopWithNoBoardShowsNothingAfterOneRead) {
  link.board.silent = true;
  char answer[64] = "old";
  EXPECT_EQ(stop_target_program(answer), 0);
  EXPECT_STREQ(answer, "");
  EXPECT_EQ(link.now_us, 501 * MS);
}

// ---- Link set-up ----------------------------------------------------------------------------

TEST_F(LinkTest, LinkSetUpProbesOpensAndGreets) {
  close_port(BOARD_SLOT);
  g_com_number = 1;
  g_current_port = 1;
  EXPECT_EQ(connect_target_link("COM3"), 1);
  EXPECT_EQ(g_port_open, 1);
  EXPECT_EQ(g_com_number, 3);
  EXPECT_EQ(g_current_port, 3);
  EXPECT_EQ(link.open_ports, 1);
  EXPECT_EQ(link.host_sent, "\r\n\r\n\r\n\r\n");
  EXPECT_TRUE(notices.empty());
}

TEST_F(LinkTest, LinkSetUpRefusals) {
  for (const char* entry : {"COM5", "COMx", "", "CO"}) {
    notices.clear();
    g_port_open = 0;
    EXPECT_EQ(connect_target_link(entry), 0) << entry;
    EXPECT_EQ(g_port_open, 0);
    ASSERT_EQ(notices.size(), 1u) << entry;
    EXPECT_EQ(notices[0], std::string(MSG_NO_BOARD) + "|" + CAPTION_WARNING);
  }
  EXPECT_EQ(link.open_ports, 0);
}

TEST_F(LinkTest, BoardThatFallsSilentAfterTheProbeLeavesTheLinkOffAndThePortClosed) {
  close_port(BOARD_SLOT);
  const int opened_before = link.opens_count;
  link.on_open = [&](int opens) {
    if (opens == opened_before + 2) link.board.silent = true;
  };
  EXPECT_EQ(connect_target_link("COM3"), 0);
  EXPECT_EQ(g_port_open, 0);
  EXPECT_EQ(link.open_ports, 0);
  EXPECT_TRUE(notices.empty());
}

// ---- Verify and read-back --------------------------------------------------------------------

TEST_F(LinkTest, VerifyRightAfterAWriteIsOk) {
  MnemonicText text = make_text({"LD      X00 ;start", "OUT     Y01", "", "MOV", "K10", "D0", "END"});
  char end_answer[8];
  ASSERT_EQ(write_program_to_target(text, end_answer), 0);
  link.host_sent.clear();
  int line = -1;
  EXPECT_EQ(verify_program_on_target(text, line), VERIFY_OK);
  EXPECT_EQ(link.host_sent, "L\r");
}

TEST_F(LinkTest, VerifyResults) {
  struct Case {
    const char* name;
    std::map<int, std::string> board;
    std::string raw;
    int result;
    int line;
  };
  const Case cases[] = {
      {"same", {{1, "LD X0"}, {2, "OUT Y0"}, {3, "END"}}, "", VERIFY_OK, 0},
      {"extra_board_lines", {{1, "LD X0"}, {2, "OUT Y0"}, {3, "END"}, {4, "NOP"}}, "", VERIFY_OK, 0},
      {"word_differs_on_line_2", {{1, "LD X0"}, {2, "OUT Y1"}, {3, "END"}}, "", VERIFY_DIFFERS, 2},
      {"number_differs_on_line_2", {{1, "LD X0"}, {5, "OUT Y0"}, {6, "END"}}, "", VERIFY_DIFFERS, 2},
      {"fewer_board_lines", {{1, "LD X0"}, {2, "OUT Y0"}}, "", VERIFY_UNREADABLE, 0},
      {"no_line_feed", {}, ">", VERIFY_UNREADABLE, 0},
      // A '>' inside a line is no prompt: the listing never ended.
      {"prompt_inside_a_line", {}, "1 LD X0>", VERIFY_LINK_FAILED, 0},
      {"no_number", {}, "\r\nLD X0\r\n>", VERIFY_DIFFERS, 1},
      // Longer than any line the program sends: the listing is not read past it.
      {"huge_word", {}, "\r\n1 LD " + std::string(300, 'W') + "\r\n>", VERIFY_UNREADABLE, 0},
  };
  MnemonicText text = make_text({"LD X0", "OUT Y0", "END"});
  for (const Case& c : cases) {
    link.board.program = c.board;
    link.board.raw_answer = c.raw;
    int line = -1;
    EXPECT_EQ(verify_program_on_target(text, line), c.result) << c.name;
    EXPECT_EQ(line, c.line) << c.name;
  }
}

TEST_F(LinkTest, VerifyWhenTheLinkFails) {
  MnemonicText text = make_text({"LD X0"});
  int line = 0;
  EXPECT_EQ(verify_program_on_target({}, line), VERIFY_NO_TEXT);
  link.board.answer_commands = false;
  EXPECT_EQ(verify_program_on_target(text, line), VERIFY_LINK_FAILED);
  link.board.silent = true;
  EXPECT_EQ(verify_program_on_target(text, line), VERIFY_LINK_FAILED);
  EXPECT_TRUE(notices.empty());  // the caller shows the message
}

TEST_F(LinkTest, ReadBackShowsTheLinesAfterTheEchoUpToThePrompt) {
  link.board.program = {{1, "LD X0"}, {2, "OUT Y0"}, {3, "END"}};
  std::string listing;
  ASSERT_EQ(read_program_from_target(listing), 0);
  EXPECT_EQ(listing, "1 LD X0\r\n2 OUT Y0\r\n3 END\r");

  MnemonicText text = make_text({"OLD"}, 8);
  text[0].flags = 0x11;
  EXPECT_EQ(listing_program_lines(listing), 3);
  EXPECT_EQ(paste_listing_into_text(listing, text), 3);
  EXPECT_EQ(statement(text[0]), "LD X0\n");
  EXPECT_EQ(statement(text[1]), "OUT Y0\n");
  EXPECT_EQ(statement(text[2]), "END\n");
  EXPECT_EQ(statement(text[3]), "0FFFF0 0FFFF0");
  EXPECT_EQ(text[0].flags, 0);
}

TEST_F(LinkTest, ReadBackWhenTheLinkFails) {
  std::string listing = "old";
  link.board.corrupt_echo_at = 0;
  EXPECT_EQ(read_program_from_target(listing), -1);
  EXPECT_EQ(listing, "");
}

TEST_F(LinkTest, ReadBackOfAListingWithoutALineIsEmpty) {
  // Answers that end before the echo line does: nothing follows the echo. Only a '>' at
  // the start of a line is the prompt; after any other the listing is cut.
  struct Case {
    const char* answer;
    int result;
  };
  for (const Case& c : {Case{">", 0}, Case{"\r>", LISTING_CUT}, Case{"1 LD X0>", LISTING_CUT}}) {
    link.board.raw_answer = c.answer;
    std::string listing = "old";
    EXPECT_EQ(read_program_from_target(listing), c.result) << c.answer;
    EXPECT_EQ(listing, "") << c.answer;
  }
}

struct PasteCase {
  const char* name;
  std::string listing;
  std::vector<std::string> statements;  // the stored lines, the end line last
};

void PrintTo(const PasteCase& c, std::ostream* os) { *os << c.name; }

class PasteTest : public ::testing::TestWithParam<PasteCase> {};

TEST_P(PasteTest, ListingLinesBecomeStatementsWithoutACarriageReturn) {
  const PasteCase& c = GetParam();
  MnemonicText text = make_text({}, 6);
  const int stored = paste_listing_into_text(c.listing, text);
  ASSERT_EQ(stored + 1, static_cast<int>(c.statements.size()));
  for (size_t i = 0; i < c.statements.size(); ++i) EXPECT_EQ(statement(text[i]), c.statements[i]) << i;
  for (const MnemonicLine& line : text) EXPECT_EQ(std::strchr(line.statement, '\r'), nullptr);
}

INSTANTIATE_TEST_SUITE_P(
    Paste, PasteTest,
    ::testing::Values(
        PasteCase{"without_end", "1 LD X0\r\n2 OUT Y0\r", {"LD X0\n", "OUT Y0\n", "0FFFF0 0FFFF0"}},
        PasteCase{"stops_after_end", "1 LD X0\r\n2 END\r\n3 NOP\r\n", {"LD X0\n", "END\n", "0FFFF0 0FFFF0"}},
        PasteCase{"number_only", "1\r\n2 END\r\n", {"\n", "END\n", "0FFFF0 0FFFF0"}},
        PasteCase{"lf_only_and_blanks", "  7   LD   X1  \n8 END", {"LD X1\n", "END\n", "0FFFF0 0FFFF0"}},
        PasteCase{"inner_cr_is_a_blank", "1 LD\rX1\r\n", {"LD X1\n", "0FFFF0 0FFFF0"}},
        PasteCase{"lines_without_number_skipped", "hello\r\n1 LD X0\r\n", {"LD X0\n", "0FFFF0 0FFFF0"}},
        PasteCase{"capacity_keeps_the_end_line",
                  "1 A\r\n2 B\r\n3 C\r\n4 D\r\n5 E\r\n6 F\r\n7 G\r\n",
                  {"A\n", "B\n", "C\n", "D\n", "E\n", "0FFFF0 0FFFF0"}},
        PasteCase{"empty", "", {"0FFFF0 0FFFF0"}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(Paste, LongWordsAreCutAtACharacterBoundary) {
  MnemonicText text = make_text({}, 4);
  // 125 single-byte characters, then double-byte characters: the cut falls before the
  // character that would not fit whole.
  std::string word(125, 'A');
  word += "\x93\xfa\x96\x7b";
  ASSERT_EQ(paste_listing_into_text("1 " + word + " " + std::string(200, 'B') + "\r\n", text), 1);
  const std::string s = statement(text[0]);
  EXPECT_EQ(s, std::string(125, 'A') + "\n");
  EXPECT_LE(s.size(), static_cast<size_t>(STATEMENT_SIZE - 1));
  EXPECT_EQ(paste_listing_into_text("1 A\r\n", {}), -1);
}

// ---- Polls --------------------------------------------------------------------------------------

constexpr uint32_t CONTACT_A = 0x18;   // part code 1
constexpr uint32_t OUT_COIL = 0x4078;  // part code 7, output
constexpr uint32_t BOX_CELL = 0x44C08; // box cell in column 11
uint32_t dev(DeviceIndex index, uint32_t number) { return make_device_operand(index, number); }

class PollTest : public LinkTest {
 protected:
  void SetUp() override {
    LinkTest::SetUp();
    grid = make_ladder_grid(20);
    view.top_row = 0;
    view.visible_rows = 4;
    view.invalidate_cell = [this](int row, int column) { invalidated.emplace_back(row, column); };
  }
  void cell(int row, int column, uint32_t w0, uint32_t w1, uint32_t w3 = 0) {
    grid[row].cell[column].word[0] = w0;
    grid[row].cell[column].word[1] = w1;
    grid[row].cell[column].word[3] = w3;
  }
  // The queries the host sent, without their CRs.
  std::vector<std::string> queries() const {
    std::vector<std::string> list;
    std::string current;
    for (char c : link.host_sent) {
      if (c == '\r') {
        list.push_back(current);
        current.clear();
      } else {
        current += c;
      }
    }
    return list;
  }

  LadderGrid grid;
  MonitorPollView view;
  std::vector<std::pair<int, int>> invalidated;
};

TEST_F(PollTest, EachDistinctVisibleBitOperandIsQueriedOnceAndApplied) {
  cell(0, 0, CONTACT_A, dev(Device::X, 0x1A));
  cell(0, 1, CONTACT_A, dev(Device::X, 5));
  cell(0, 2, CONTACT_A, dev(Device::X, 0x1A));
  cell(0, 3, CONTACT_A, dev(Device::M, 123));
  cell(0, 4, CONTACT_A, dev(Device::S, 5));
  cell(0, 5, CONTACT_A, dev(Device::L, 5));
  cell(0, 6, CONTACT_A, dev(Device::B, 5));
  cell(0, 11, OUT_COIL, dev(Device::Y, 0x13));
  cell(1, 11, BOX_CELL, dev(Device::M, 12));
  grid[1].cell[12].word[0] = 28;  // SET
  cell(2, 11, BOX_CELL, dev(Device::M, 13));
  grid[2].cell[12].word[0] = 40;  // a box that is not SET, PLS, PLF or RST
  cell(3, 0, CONTACT_A | 0x1, dev(Device::X, 7));  // a line through the cell: no part
  cell(4, 0, CONTACT_A, dev(Device::T, 3));
  cell(5, 0, CONTACT_A, dev(Device::C, 4));  // below the last visible row
  link.board.set_bit('X', 26, true);
  link.board.set_bit('M', 23, true);
  link.board.set_bit('Y', 19, true);
  link.board.set_bit('M', 12, true);
  g_device_bit_image[Device::X][0].word[0] = 1 << 5;  // X5 was on

  EXPECT_EQ(poll_target_bits(view, grid), 0);

  // M123 cannot be named by a query: it is marked instead.
  EXPECT_EQ(queries(), (std::vector<std::string>{"X26?", "X05?", "Y19?", "M12?", "T03?"}));
  EXPECT_EQ(g_device_bit_image[Device::X][1].word[0], 1 << 10);  // X1A on
  EXPECT_EQ(g_device_bit_image[Device::X][0].word[0], 0);        // X5 off
  EXPECT_EQ(g_device_bit_image[Device::M][7].word[0], 0);        // M123 untouched
  EXPECT_TRUE(is_bit_not_polled(dev(Device::M, 123)));
  EXPECT_EQ(g_device_bit_image[Device::Y][2].word[0], 1 << 3);   // Y13 one entry higher
  EXPECT_EQ(grid[0].cell[0].word[2], 1u);
  EXPECT_EQ(grid[0].cell[2].word[2], 1u);
  EXPECT_EQ(grid[0].cell[1].word[2], 0u);
  EXPECT_EQ(grid[0].cell[3].word[2], 0u);
  EXPECT_EQ(grid[1].cell[11].word[2], 1u);
  // Only cells whose state changed are redrawn.
  EXPECT_EQ(invalidated, (std::vector<std::pair<int, int>>{{0, 0}, {0, 2}, {0, 11}, {1, 11}}));

  invalidated.clear();
  link.host_sent.clear();
  EXPECT_EQ(poll_target_bits(view, grid), 0);
  EXPECT_TRUE(invalidated.empty());
}

TEST_F(PollTest, PollCoversOnlyTheVisibleRowsAndStopsAtASpecialRow) {
  cell(0, 0, CONTACT_A, dev(Device::X, 1));
  cell(1, 0, CONTACT_A, dev(Device::X, 2));
  cell(2, 0, 0x20000008, dev(Device::X, 3));  // a special row
  cell(3, 0, CONTACT_A, dev(Device::X, 4));
  view.top_row = 1;
  EXPECT_EQ(poll_target_bits(view, grid), 0);
  EXPECT_EQ(queries(), std::vector<std::string>{"X02?"});
}

TEST_F(PollTest, BitQueryCarriesTheDecimalDigitsOfTheLowByte) {
  struct Case {
    uint32_t operand;
    const char* query;
  };
  for (const Case& c : {Case{dev(Device::X, 5), "X05?"}, Case{dev(Device::M, 12), "M12?"},
                        Case{dev(Device::X, 0x1A), "X26?"}, Case{dev(Device::M, 123), "M23?"},
                        Case{dev(Device::M, 300), "M44?"}, Case{dev(Device::C, 255), "C55?"}}) {
    char query[8];
    format_bit_query(c.operand, query);
    EXPECT_STREQ(query, c.query);
  }
  for (const Case& c : {Case{dev(Device::D, 0), "D00?"}, Case{dev(Device::D, 10), "D0:?"},
                        Case{dev(Device::D, 15), "D0??"}, Case{dev(Device::D, 16), "D00?"}}) {
    char query[8];
    format_word_query(c.operand, query);
    EXPECT_STREQ(query, c.query);
  }
}

TEST(PollReplies, BitState) {
  struct Case {
    std::string reply;
    int state;
  };
  for (const Case& c : {Case{"\r\n1\r\n>", 1}, Case{"\r\n0\r\n>", 0}, Case{"1\r\n>", -1}, Case{"\r\n1", -1},
                        Case{"\r\n?\r\n>", -1}, Case{"\r\n\r\n>", -1}, Case{"\r\nX05 = 1\r\n>", 1},
                        Case{std::string("\r\n\0\r\n>", 6), -1}, Case{"", -1}}) {
    EXPECT_EQ(parse_bit_reply({reinterpret_cast<const uint8_t*>(c.reply.data()), c.reply.size()}), c.state)
        << c.reply;
  }
}

TEST(PollReplies, WordValue) {
  struct Case {
    std::string reply;
    bool ok;
    uint32_t value;
  };
  for (const Case& c : {Case{"\r\n:00FF(255)\r\n>", true, 255}, Case{"\r\n:00ff(255)", true, 255},
                        Case{":1234(", true, 0x1234}, Case{"\r\n: 12 (", true, 0x12},
                        Case{"\r\n:00FF\r\n>", false, 0}, Case{"\r\n00FF(255)", false, 0},
                        Case{"\r\n:(0)", false, 0}, Case{"\r\n:12G4(1)", false, 0},
                        Case{"\r\n:123456789(1)", false, 0}, Case{"(:12(", true, 0x12}}) {
    uint32_t value = 7;
    EXPECT_EQ(parse_word_reply({reinterpret_cast<const uint8_t*>(c.reply.data()), c.reply.size()}, value), c.ok)
        << c.reply;
    if (c.ok) {
      EXPECT_EQ(value, c.value) << c.reply;
    }
  }
}

TEST_F(PollTest, BitPollFailures) {
  cell(0, 0, CONTACT_A, dev(Device::X, 1));
  // An answer that is no state leaves the device as it was.
  link.board.bit_answer_override = "?";
  g_device_bit_image[Device::X][0].word[0] = 2;
  EXPECT_EQ(poll_target_bits(view, grid), 0);
  EXPECT_EQ(g_device_bit_image[Device::X][0].word[0], 2);

  link.board.corrupt_echo_at = link.board.echoes;
  EXPECT_EQ(poll_target_bits(view, grid), -1);

  link.board.silent = true;
  int64_t start = link.now_us;
  EXPECT_EQ(poll_target_bits(view, grid), -1);
  // The first echo read, and the wait for an answer to the CR that clears the line.
  EXPECT_EQ(link.now_us - start, 2 * 501 * MS);
  link.board.silent = false;
  link.board.answer_commands = false;
  start = link.now_us;
  EXPECT_EQ(poll_target_bits(view, grid), -1);
  EXPECT_EQ(link.now_us - start, POLL_EMPTY_READS * 501 * MS);
  EXPECT_TRUE(notices.empty());
}

TEST_F(PollTest, StaleBytesBeforeAPollAreDropped) {
  cell(0, 0, CONTACT_A, dev(Device::X, 1));
  link.inject_stale("\r\n1\r\n>");
  EXPECT_EQ(poll_target_bits(view, grid), 0);
  EXPECT_EQ(g_device_bit_image[Device::X][0].word[0], 0);
}

TEST_F(PollTest, ABoardThatNeverStopsSendingCannotHoldThePoll) {
  cell(0, 0, CONTACT_A, dev(Device::X, 1));
  link.babble_after_commands = 1;
  link.board.raw_answer = "\r\n";
  g_device_bit_image[Device::X][0].word[0] = 2;
  EXPECT_EQ(poll_target_bits(view, grid), -1);
  EXPECT_EQ(g_device_bit_image[Device::X][0].word[0], 2);  // the cut answer holds no state
  EXPECT_LT(link.now_us, 100 * MS);
}

// An answer cut short (no prompt) is no answer: the poll fails, within its waits, and
// the device keeps its state.
TEST_F(PollTest, AnAnswerThatStopsShortFailsThePoll) {
  cell(0, 0, CONTACT_A, dev(Device::X, 1));
  cell(0, 10, 0, 0, dev(Device::D, 3) | 0x800000);
  link.board.set_bit('X', 1, true);
  link.board.registers[3] = 0x00FF;
  for (const char* answer : {"\r\n1\r\n", "\r\n1", "\r\n:00FF(255)\r\n", "\r\n"}) {
    link.board.raw_answer = answer;
    const int64_t start = link.now_us;
    link.host_sent.clear();
    EXPECT_EQ(poll_target_bits(view, grid), -1) << answer;
    EXPECT_EQ(g_device_bit_image[Device::X][0].word[0], 0) << answer;
    EXPECT_LE(link.now_us - start, (POLL_EMPTY_READS + 1) * 564 * MS) << answer << link.host_sent;
    notices.clear();
    EXPECT_EQ(poll_target_words(view, grid), -1) << answer;
    EXPECT_EQ(g_word_records[3][3].word[0], 0) << answer;
    EXPECT_EQ(notices, std::vector<std::string>{link_failed}) << answer;
  }
}

// After a failed poll the next query went out as "XD03?", the board answered '?', and
// the poll returned success with D3's old value.
TEST_F(PollTest, AFailedPollLeavesNothingForTheNextQuery) {
  cell(0, 0, CONTACT_A, dev(Device::X, 1));
  cell(0, 10, 0, 0, dev(Device::D, 3) | 0x800000);
  link.board.registers[3] = 0x00FF;
  link.board.running = true;
  link.board.corrupt_echo_at = link.board.echoes;  // the echo of the 'X'
  EXPECT_EQ(poll_target_bits(view, grid), -1);

  link.host_sent.clear();
  EXPECT_EQ(poll_target_words(view, grid), 0);
  EXPECT_EQ(link.host_sent, "D03?\r");
  EXPECT_EQ(g_word_records[3][3].word[0], 0xFF);
  EXPECT_TRUE(notices.empty());
  // Ending the half-typed query did not stop the board's program.
  EXPECT_TRUE(link.board.running);

  link.board.set_bit('X', 1, true);
  EXPECT_EQ(poll_target_bits(view, grid), 0);
  EXPECT_EQ(g_device_bit_image[Device::X][0].word[0], 2);
}

TEST_F(PollTest, WordPollStoresDValuesAndRedrawsTheirCells) {
  const uint32_t d3 = dev(Device::D, 3) | 0x800000;
  const uint32_t d10 = dev(Device::D, 10) | 0x800000;
  const uint32_t d16 = dev(Device::D, 16) | 0x800000;
  cell(0, 11, OUT_COIL, 0, d3);
  cell(1, 12, 0, 0, d10);
  cell(2, 5, 0, 0, d16);
  cell(2, 6, 0, 0, d3);
  cell(3, 4, 0, 0, dev(Device::W, 3) | 0x800000);  // a value, but no D
  cell(3, 5, 0, 0, dev(Device::D, 4));             // a D, but no value mark
  link.board.registers[3] = 0x00FF;
  link.board.registers[10] = 0xBEEF;
  link.board.registers[0] = 0x0042;

  EXPECT_EQ(poll_target_words(view, grid), 0);
  EXPECT_EQ(queries(), (std::vector<std::string>{"D03?", "D0:?"}));
  EXPECT_EQ(g_word_records[3][3].word[0], 255);
  EXPECT_EQ(g_word_records[3][10].word[0], 0xBEEF);
  EXPECT_EQ(g_word_records[3][16].word[0], 0);  // D16 would be answered for D0
  EXPECT_TRUE(is_word_not_polled(Device::D, 16));
  EXPECT_EQ(invalidated, (std::vector<std::pair<int, int>>{{0, 11}, {2, 6}}));

  // Unchanged values redraw nothing.
  invalidated.clear();
  EXPECT_EQ(poll_target_words(view, grid), 0);
  EXPECT_TRUE(invalidated.empty());
  EXPECT_TRUE(notices.empty());
}

// A device that the query cannot name is never asked for: its answer would be another
// device's. It is marked as not polled and keeps whatever the image held.
TEST_F(PollTest, DevicesBeyondWhatAQueryCanNameAreMarkedNotPolled) {
  struct Case {
    uint32_t operand;
    bool polled;
  };
  const Case bit_cases[] = {{dev(Device::X, 0x1A), true},  {dev(Device::M, 99), true},
                            {dev(Device::M, 100), false},  {dev(Device::M, 123), false},
                            {dev(Device::C, 255), false},  {dev(Device::Y, 0x13), true},
                            {dev(Device::Y, 0x100), false}, {dev(Device::T, 300), false}};
  const Case word_cases[] = {{dev(Device::D, 0), true},   {dev(Device::D, 15), true}, {dev(Device::D, 16), false},
                             {dev(Device::D, 20), false}, {dev(Device::D, 300), false}};
  int column = 0;
  for (const Case& c : bit_cases) {
    cell(column / 11, column % 11, CONTACT_A, c.operand);
    ++column;
  }
  column = 0;
  for (const Case& c : word_cases) grid[2].cell[column++].word[3] = c.operand | 0x800000;
  // Every device the board could take an aliased query for is on, every register 0x1234.
  for (char letter : std::string("XYMTC"))
    for (int n = 0; n < 100; ++n) link.board.set_bit(letter, n, true);
  link.board.registers.fill(0x1234);
  g_word_records[3][4].word[0] = 7;
  g_word_records[3][20].word[0] = 5;

  ASSERT_EQ(poll_target_bits(view, grid), 0);
  ASSERT_EQ(poll_target_words(view, grid), 0);

  for (const Case& c : bit_cases) {
    const DeviceImageEntry* entry = polled_image_entry(c.operand);
    const int on = (entry->word[0] >> (c.operand & 15)) & 1;
    EXPECT_EQ(on, c.polled ? 1 : 0) << std::hex << c.operand;
    EXPECT_EQ(is_bit_not_polled(c.operand), !c.polled) << std::hex << c.operand;
  }
  for (const Case& c : word_cases) {
    const uint32_t number = c.operand & 0xFFFF;
    EXPECT_EQ(is_word_not_polled(Device::D, number), !c.polled) << number;
    if (c.polled) {
      EXPECT_EQ(g_word_records[3][number].word[0], 0x1234) << number;
    }
  }
  EXPECT_EQ(g_word_records[3][4].word[0], 7);   // D20 never reached D4's record
  EXPECT_EQ(g_word_records[3][20].word[0], 5);  // nor took D4's value
  for (const std::string& q : queries()) EXPECT_TRUE(q != "M00?" && q != "M23?" && q != "D04?") << q;
  EXPECT_EQ(queries().size(), 5u);  // X26?, M99?, Y19?; D00?, D0??
}

TEST_F(PollTest, WordPollFailureShowsTheMessage) {
  cell(0, 11, OUT_COIL, 0, dev(Device::D, 1) | 0x800000);
  link.board.corrupt_echo_at = 1;
  EXPECT_EQ(poll_target_words(view, grid), -1);
  ASSERT_EQ(notices.size(), 1u);
  EXPECT_EQ(notices[0], link_failed);

  notices.clear();
  link.board.answer_commands = false;
  EXPECT_EQ(poll_target_words(view, grid), -1);
  EXPECT_EQ(notices.size(), 1u);

  // An answer without a value leaves the record unchanged.
  notices.clear();
  link.board.answer_commands = true;
  link.board.raw_answer = "\r\n:00FF\r\n>";
  g_word_records[3][1].word[0] = 9;
  EXPECT_EQ(poll_target_words(view, grid), 0);
  EXPECT_EQ(g_word_records[3][1].word[0], 9);
}

TEST_F(PollTest, PollAtNinetySixHundredBaudCostsItsCharacters) {
  cell(0, 0, CONTACT_A, dev(Device::X, 5));
  cell(0, 10, 0, 0, dev(Device::D, 3) | 0x800000);
  link.character_us = SimulatedLink::CHARACTER_US_9600;
  ASSERT_EQ(poll_target_bits(view, grid), 0);
  // "X05?" echoed character by character, CR, and "\r\n0\r\n>".
  EXPECT_EQ(link.now_us, 15 * SimulatedLink::CHARACTER_US_9600);
  const int64_t start = link.now_us;
  ASSERT_EQ(poll_target_words(view, grid), 0);
  // "D03?", CR, and "\r\n:0000(0)\r\n>".
  EXPECT_EQ(link.now_us - start, (8 + 1 + 13) * SimulatedLink::CHARACTER_US_9600);
}

}  // namespace

// ---- Boards that echo every byte, and boards that take only printable ASCII -----------------

// A program with Japanese comments: a whole-line comment (sent as a statement), a comment
// behind a statement (dropped, only two words go), one whose text ends in bytes above 0x7E
// only, and half-width katakana.
MnemonicText commented_program() {
  return make_text({"; ポンプの始動", "LD      X00 ;起動", "OUT     Y01", "; あいう", "; ｱｲｳok", "END"});
}

struct EchoKind {
  const char* name;
  bool ascii_only;
};

class EchoKindTest : public LinkTest, public ::testing::WithParamInterface<EchoKind> {};

TEST_P(EchoKindTest, AProgramWithJapaneseCommentsIsWrittenVerifiedAndReadBack) {
  link.board.ascii_only = GetParam().ascii_only;
  link.character_us = SimulatedLink::CHARACTER_US_9600;
  MnemonicText text = commented_program();
  char end_answer[8];
  ASSERT_EQ(write_program_to_target(text, end_answer), 0);
  EXPECT_TRUE(notices.empty());
  // What the board keeps of each line: the first two words, or their ASCII part.
  std::map<int, std::string> expected;
  for (int i = 0; i < 6; ++i) {
    const LineWords words = split_line_words(statement_of(text[static_cast<size_t>(i)]));
    std::string kept = std::string(words.first) + (words.second.empty() ? "" : " " + std::string(words.second));
    if (GetParam().ascii_only) kept = ascii_part(kept);
    while (!kept.empty() && kept.back() == ' ') kept.pop_back();
    while (!kept.empty() && kept.front() == ' ') kept.erase(0, 1);
    expected[i + 1] = kept;
  }
  EXPECT_EQ(link.board.program, expected);
  if (GetParam().ascii_only) {
    EXPECT_EQ(link.board.program[5], "; ok");
  }
  // No line cost a time-out: every echo ended as soon as it was whole.
  EXPECT_LT(link.now_us, 500 * MS);

  int line = -1;
  EXPECT_EQ(verify_program_on_target(text, line), VERIFY_OK);
  std::string listing;
  ASSERT_EQ(read_program_from_target(listing), 0);
  MnemonicText back = make_text({}, 16);
  ASSERT_EQ(paste_listing_into_text(listing, back), 6);
  for (int i = 0; i < 6; ++i) EXPECT_EQ(statement(back[static_cast<size_t>(i)]), expected[i + 1] + "\n") << i;
}

TEST_P(EchoKindTest, AnEchoThatDiffersInAnAsciiByteFailsTheWrite) {
  link.board.ascii_only = GetParam().ascii_only;
  MnemonicText text = commented_program();
  // The echoes counted from 0: "1 ; " and the ASCII of the comment, then "2 LD X00".
  link.board.corrupt_echo_at = GetParam().ascii_only ? 7 : 15;
  char end_answer[8];
  EXPECT_EQ(write_program_to_target(text, end_answer), -1);
  EXPECT_EQ(notices, std::vector<std::string>{link_failed});
  // The failed line was dropped from the board's line with the stop byte, and nothing
  // more was sent.
  ASSERT_FALSE(link.host_sent.empty());
  EXPECT_EQ(link.host_sent.back(), '\x03');
  EXPECT_EQ(link.board.program.count(2), 0u);
}

INSTANTIATE_TEST_SUITE_P(Boards, EchoKindTest,
                         ::testing::Values(EchoKind{"every_byte", false}, EchoKind{"printable_ascii", true}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(LineEcho, EveryByteOrThePrintableAsciiComesBack) {
  const std::string sent = "5 ; \x83\x7c\x83\x93\x83\x76";  // "5 ; ポンプ"
  struct Case {
    std::string echo;
    EchoMatch match;
  };
  const Case cases[] = {
      {"", EchoMatch::PARTIAL},
      {"5 ; \x83", EchoMatch::PARTIAL},
      {sent, EchoMatch::COMPLETE},
      {"5 ; |", EchoMatch::PARTIAL},
      {"5 ; |v", EchoMatch::COMPLETE},
      {"5 ; |w", EchoMatch::DIFFERS},       // an ASCII byte differs
      {"5 : |v", EchoMatch::DIFFERS},
      {"5 ; \x84", EchoMatch::DIFFERS},     // a byte above 0x7E that came back wrong
      {"5 ; \x83|v", EchoMatch::DIFFERS},   // some bytes above 0x7E, not all
      {sent + "x", EchoMatch::DIFFERS},
  };
  for (const Case& c : cases) EXPECT_EQ(match_line_echo(sent, c.echo), c.match) << c.echo;
  // A line that ends in bytes above 0x7E: its ASCII is the start of the every-byte echo
  // too, and a whole echo only from a board that has fallen silent after it or is known
  // to echo only printable ASCII.
  const std::string hiragana = "4 ; \x82\xa0";
  EXPECT_EQ(match_line_echo(hiragana, "4 ; "), EchoMatch::PARTIAL);
  EXPECT_EQ(match_line_echo(hiragana, "4 ; ", EchoForm::UNKNOWN, true), EchoMatch::COMPLETE);
  EXPECT_EQ(match_line_echo(hiragana, "4 ; ", EchoForm::PRINTABLE_ASCII), EchoMatch::COMPLETE);
  EXPECT_EQ(match_line_echo(hiragana, "4 ; ", EchoForm::EVERY_BYTE, true), EchoMatch::PARTIAL);
  EXPECT_EQ(match_line_echo(hiragana, "4 ; \x82", EchoForm::UNKNOWN, true), EchoMatch::PARTIAL);
  EXPECT_EQ(match_line_echo(hiragana, "4 ; \x82\xa0", EchoForm::EVERY_BYTE), EchoMatch::COMPLETE);
  EXPECT_EQ(match_line_echo(hiragana, "4 ; \x82\xa0", EchoForm::PRINTABLE_ASCII), EchoMatch::DIFFERS);
  EXPECT_EQ(match_line_echo(hiragana, "4 ; \x82\x80"), EchoMatch::DIFFERS);
  EXPECT_EQ(match_line_echo("1 LD X0", "1 LD X0"), EchoMatch::COMPLETE);
  EXPECT_EQ(match_line_echo("1 LD X0", "1 LD X1"), EchoMatch::DIFFERS);
}

// ---- Listings longer than one reply ----------------------------------------------------------

MnemonicText numbered_program(int lines) {
  MnemonicText text = make_mnemonic_text(lines + 1);
  for (int i = 0; i + 1 < lines; ++i)
    std::snprintf(text[static_cast<size_t>(i)].statement, STATEMENT_SIZE, i % 2 ? "OUT     Y%d\n" : "LD      X%d\n", i % 100);
  std::strcpy(text[static_cast<size_t>(lines - 1)].statement, "END\n");
  std::strcpy(text[static_cast<size_t>(lines)].statement, "0FFFF0 0FFFF0\n");
  return text;
}

TEST_F(LinkTest, ListingsOfAnyLengthAProgramCanHaveAreReadWholeAndVerified) {
  for (int lines : {400, MAX_LISTING_LINES}) {
    MnemonicText text = numbered_program(lines);
    char end_answer[8];
    ASSERT_EQ(write_program_to_target(text, end_answer), 0) << lines;
    int line = -1;
    EXPECT_EQ(verify_program_on_target(text, line), VERIFY_OK) << lines;
    std::string listing;
    ASSERT_EQ(read_program_from_target(listing), 0) << lines;
    EXPECT_EQ(listing_program_lines(listing), lines);
    MnemonicText back = make_mnemonic_text();
    ASSERT_EQ(paste_listing_into_text(listing, back), lines) << lines;
    for (int i = 0; i <= lines; ++i)
      ASSERT_EQ(statement(back[static_cast<size_t>(i)]), i < lines ? std::string(split_line_words(statement_of(text[static_cast<size_t>(i)])).first) +
                                                                         (i + 1 < lines ? " " + std::string(split_line_words(statement_of(text[static_cast<size_t>(i)])).second) : "") + "\n"
                                                                   : std::string("0FFFF0 0FFFF0"))
          << lines << " " << i;
    // A change on the last line is found there.
    std::strcpy(text[static_cast<size_t>(lines - 2)].statement, "NOP\n");
    EXPECT_EQ(verify_program_on_target(text, line), VERIFY_DIFFERS);
    EXPECT_EQ(line, lines - 1);
    EXPECT_TRUE(notices.empty());
  }
}

TEST_F(LinkTest, AListingLongerThanAnyProgramStopsAndSaysSo) {
  struct Case {
    const char* name;
    std::map<int, std::string> board;
    std::string raw;
  };
  std::map<int, std::string> too_many;
  for (int i = 1; i <= MAX_LISTING_LINES + 1; ++i) too_many[i] = "NOP";
  const Case cases[] = {
      {"more_lines_than_a_program", too_many, ""},
      {"a_line_longer_than_a_sent_line", {}, "\r\n1 " + std::string(400, 'W') + "\r\n>"},
  };
  for (const Case& c : cases) {
    link.board.program = c.board;
    link.board.raw_answer = c.raw;
    std::string listing;
    EXPECT_EQ(read_program_from_target(listing), 1) << c.name;
    EXPECT_EQ(listing.find('>'), std::string::npos) << c.name;
    // Verify compares what came: a program that it holds whole is still verified.
    MnemonicText text = make_text({"NOP", "NOP"});
    int line = -1;
    EXPECT_EQ(verify_program_on_target(text, line), c.raw.empty() ? VERIFY_OK : VERIFY_UNREADABLE) << c.name;
  }
}

TEST_F(LinkTest, APromptInsideAListingLineIsListingText) {
  link.board.program = {{1, "; a>b"}, {2, "LD X0"}, {3, "END"}};
  std::string listing;
  ASSERT_EQ(read_program_from_target(listing), 0);
  EXPECT_EQ(listing, "1 ; a>b\r\n2 LD X0\r\n3 END\r");
  MnemonicText text = make_text({"; a>b", "LD X0", "END"});
  int line = -1;
  EXPECT_EQ(verify_program_on_target(text, line), VERIFY_OK);
}

// ---- The echo to its last byte, the listing to its prompt ---------------------------------------

namespace {

// "; ｱ" ends in one byte above 0x7E after its last ASCII byte; "; あい" in four; "; 路線"
// holds an ASCII trail byte ('H' of 路); "; ｱok" ends in ASCII after its Shift-JIS.
const char KATAKANA_COMMENT[] = "; \xB1";
const char HIRAGANA_COMMENT[] = "; \x82\xA0\x82\xA2";
const char ROUTE_COMMENT[] = "; \x98\x48\x90\xFC";
const char KATAKANA_OK_COMMENT[] = "; \xB1ok";
// A statement whose first word is double-byte ("あい X00").
const char DOUBLE_BYTE_STATEMENT[] = "\x82\xA0\x82\xA2 X00";

std::string message_for_line(const char* format, int line) {
  char text[200];
  std::snprintf(text, sizeof text, format, line);
  return std::string(text) + "|" + CAPTION_WARNING;
}

// The board's kinds: one that keeps every byte, one that takes only printable ASCII; both
// at 9600-baud pacing.
class BoardKindTest : public LinkTest, public ::testing::WithParamInterface<EchoKind> {
 protected:
  void SetUp() override {
    LinkTest::SetUp();
    link.character_us = SimulatedLink::CHARACTER_US_9600;
    link.board.ascii_only = GetParam().ascii_only;
  }
  bool ascii_board() const { return GetParam().ascii_only; }
  // What the board holds of a sent line's words.
  std::string kept(const std::string& words) const { return ascii_board() ? ascii_part(words) : words; }
};

// A board that takes 0.7 s to answer each program line's CR waits the same for a line
// that ends in Shift-JIS as for a plain one: the answer wait never starts on echo bytes.
TEST_P(BoardKindTest, ABoardThatAnswersLateTakesEveryLine) {
  link.answer_delay_us = 700 * MS;
  MnemonicText text = make_text({"; x", KATAKANA_COMMENT, HIRAGANA_COMMENT, ROUTE_COMMENT, "LD      X00", "END"});
  char end_answer[8];
  int ascii_lines = -1;
  ASSERT_EQ(write_program_to_target(text, end_answer, &ascii_lines), 0) << ::testing::PrintToString(notices);
  EXPECT_TRUE(notices.empty());
  // A 7-bit board holds "; " of the comments, which it lists as ";".
  std::map<int, std::string> expected = {{1, "; x"},
                                         {2, ascii_board() ? ";" : KATAKANA_COMMENT},
                                         {3, ascii_board() ? ";" : HIRAGANA_COMMENT},
                                         {4, kept(ROUTE_COMMENT)},
                                         {5, "LD X00"},
                                         {6, "END"}};
  EXPECT_EQ(link.board.program, expected);
  EXPECT_EQ(ascii_lines, ascii_board() ? 3 : 0);
  // Each line costs its characters and the board's 0.7 s; the 7-bit board's first line
  // that ends in Shift-JIS one empty read more, after which its echo form is known.
  EXPECT_LT(link.now_us, (7 * 700 + (ascii_board() ? 501 : 0) + 200) * MS);

  int line = -1;
  EXPECT_EQ(verify_program_on_target(text, line, &ascii_lines), VERIFY_OK);
  EXPECT_EQ(ascii_lines, ascii_board() ? 3 : 0);
}

// The echo of a line is compared to its last byte on a board that echoes every byte (at
// 9600 baud, answering 0.7 s late): an echo byte above 0x7E that comes back wrong fails
// the write, and the line is dropped from the board's line with the stop byte, never
// executed.
TEST_F(LinkTest, AGarbledHighByteOfTheEchoFailsTheWrite) {
  link.character_us = SimulatedLink::CHARACTER_US_9600;
  struct Case {
    const char* statement;
    int garbled_echo;  // echoes counted from 0: "1 ; " are 0-3
  };
  const Case cases[] = {{KATAKANA_COMMENT, 4}, {HIRAGANA_COMMENT, 7}, {HIRAGANA_COMMENT, 4},
                        {ROUTE_COMMENT, 7},    {KATAKANA_OK_COMMENT, 4}};
  for (const Case& c : cases) {
    link.board = BoardMonitor{};
    link.board.corrupt_echo_at = c.garbled_echo;
    link.answer_delay_us = 700 * MS;
    notices.clear();
    MnemonicText text = make_text({c.statement, "END"});
    char end_answer[8];
    EXPECT_EQ(write_program_to_target(text, end_answer), -1) << c.statement << " " << c.garbled_echo;
    EXPECT_EQ(notices, std::vector<std::string>{link_failed}) << c.garbled_echo;
    EXPECT_TRUE(link.board.program.empty()) << c.garbled_echo;
    EXPECT_EQ(link.board.commands, 0) << c.garbled_echo;
  }
}

// "あい X00" on a 7-bit board would be stored, and listed, as the statement X00: the write
// refuses it with its own message, verify never takes X00 for it.
TEST_P(BoardKindTest, AStatementWithDoubleByteWordsIsNeverTakenByItsAsciiPart) {
  MnemonicText text = make_text({DOUBLE_BYTE_STATEMENT, "END"});
  char end_answer[8];
  int line = -1;
  if (!ascii_board()) {
    ASSERT_EQ(write_program_to_target(text, end_answer), 0);
    EXPECT_EQ(link.board.program[1], DOUBLE_BYTE_STATEMENT);
    EXPECT_EQ(verify_program_on_target(text, line), VERIFY_OK);
    return;
  }
  EXPECT_EQ(write_program_to_target(text, end_answer), -3);
  EXPECT_EQ(notices, std::vector<std::string>{message_for_line(MSG_STATEMENT_NOT_ASCII, 1)});
  EXPECT_TRUE(link.board.program.empty());
  EXPECT_EQ(link.board.commands, 0);
  // Once the board is known to keep only printable ASCII, nothing of such a line is sent.
  notices.clear();
  link.host_sent.clear();
  MnemonicText later = make_text({KATAKANA_OK_COMMENT, DOUBLE_BYTE_STATEMENT, "END"});
  EXPECT_EQ(write_program_to_target(later, end_answer), -3);
  EXPECT_EQ(notices, std::vector<std::string>{message_for_line(MSG_STATEMENT_NOT_ASCII, 2)});
  EXPECT_EQ(link.host_sent, "1 ; \xB1ok\r");
  EXPECT_EQ(link.board.program, (std::map<int, std::string>{{1, "; ok"}}));

  // A board that holds X00 where the program has "あい X00" differs on that line.
  link.board.program = {{1, "X00"}, {2, "END"}};
  EXPECT_EQ(verify_program_on_target(text, line), VERIFY_DIFFERS);
  EXPECT_EQ(line, 1);
}

INSTANTIATE_TEST_SUITE_P(Boards, BoardKindTest,
                         ::testing::Values(EchoKind{"every_byte", false}, EchoKind{"printable_ascii", true}),
                         [](const auto& info) { return std::string(info.param.name); });

// Verify after a write, against boards whose program was changed afterwards. A comment's
// Shift-JIS that the board does not hold is a match by the ASCII part only, and says so.
TEST_F(LinkTest, VerifyFindsEveryChangeAndSaysWhenOnlyTheAsciiPartMatched) {
  MnemonicText text =
      make_text({ROUTE_COMMENT, "LD      X00", "OUT     Y01", HIRAGANA_COMMENT, "LD      X02", "OUT     Y03", "END"});
  char end_answer[8];
  ASSERT_EQ(write_program_to_target(text, end_answer), 0);
  const std::map<int, std::string> good = link.board.program;
  struct Case {
    const char* name;
    std::function<void(std::map<int, std::string>&)> change;
    int result;
    int line;
    int ascii_lines;
  };
  auto renumbered = [](const std::map<int, std::string>& p, int drop, int twice) {
    std::map<int, std::string> q;
    int n = 1;
    for (const auto& [k, v] : p) {
      if (k == drop) continue;
      q[n++] = v;
      if (k == twice) q[n++] = v;
    }
    return q;
  };
  const Case cases[] = {
      {"unchanged", [](auto&) {}, VERIFY_OK, 0, 0},
      {"ascii_byte_of_a_statement", [](auto& p) { p[2] = "LD X01"; }, VERIFY_DIFFERS, 2, 0},
      {"ascii_trail_byte_of_a_comment", [](auto& p) { p[1][p[1].find('H')] = 'I'; }, VERIFY_DIFFERS, 1, 0},
      {"high_byte_of_a_comment_replaced", [](auto& p) { p[1].back() = '\xFB'; }, VERIFY_DIFFERS, 1, 0},
      {"line_dropped", [&](auto& p) { p = renumbered(p, 3, 0); }, VERIFY_DIFFERS, 3, 0},
      {"line_twice", [&](auto& p) { p = renumbered(p, 0, 2); }, VERIFY_DIFFERS, 3, 0},
      {"end_dropped", [](auto& p) { p.erase(7); }, VERIFY_UNREADABLE, 0, 0},
      {"comment_holds_other_ascii", [](auto& p) { p[4] = "; X"; }, VERIFY_DIFFERS, 4, 0},
      {"comment_lost_its_semicolon", [](auto& p) { p[4] = ""; }, VERIFY_DIFFERS, 4, 0},
      // An 8-bit board that lost the comments' Shift-JIS: the ASCII part matched, and
      // the result says so for both lines.
      {"comments_lost_their_shift_jis",
       [](auto& p) {
         p[1] = ascii_part(p[1]);
         p[4] = ";";
       },
       VERIFY_OK, 0, 2},
  };
  for (const Case& c : cases) {
    link.board.program = good;
    c.change(link.board.program);
    int line = -1;
    int ascii_lines = -1;
    EXPECT_EQ(verify_program_on_target(text, line, &ascii_lines), c.result) << c.name;
    EXPECT_EQ(line, c.line) << c.name;
    if (c.result == VERIFY_OK) {
      EXPECT_EQ(ascii_lines, c.ascii_lines) << c.name;
    }
  }
}

TEST(ListingLine, TheAsciiPartStandsInOnlyForTheCommentText) {
  struct Case {
    const char* board;
    const char* local;
    ListingLineMatch match;
  };
  const Case cases[] = {
      {"1 LD X0", "LD X0", ListingLineMatch::SAME},
      {"1 LD X1", "LD X0", ListingLineMatch::DIFFERS},
      {"1 ; \x82\xA0", "; \x82\xA0", ListingLineMatch::SAME},
      {"1 ;", "; \x82\xA0", ListingLineMatch::ASCII_COMMENT},
      {"1 ; ok", "; \xB1ok", ListingLineMatch::ASCII_COMMENT},
      {"1 ; \xB1ok", "; \xB1ok", ListingLineMatch::SAME},
      {"1 ;ok", "; \xB1ok", ListingLineMatch::DIFFERS},  // the blank is the statement's
      {"1 ANB ;", "ANB ;\x93\xAE", ListingLineMatch::ASCII_COMMENT},
      {"1 X00", "\x82\xA0\x82\xA2 X00", ListingLineMatch::DIFFERS},
      {"1 LD X0", "LD X0\xB1", ListingLineMatch::DIFFERS},
      {"1 LD ;", "LD \xB1;", ListingLineMatch::DIFFERS},
      {"1 ; \x82", "; \x82\xA0", ListingLineMatch::DIFFERS},  // part of the Shift-JIS is no ASCII part
      {"; x", "; x", ListingLineMatch::DIFFERS},              // no number
      {"2 ;", "; \x82\xA0", ListingLineMatch::DIFFERS},
  };
  for (const Case& c : cases)
    EXPECT_EQ(match_listing_line(c.board, 1, split_line_words(c.local)), c.match) << c.board << " / " << c.local;
  EXPECT_TRUE(statement_is_ascii("5 ; \x82\xA0"));
  EXPECT_TRUE(statement_is_ascii("5 LD X0"));
  EXPECT_FALSE(statement_is_ascii("5 \x82\xA0 X00"));
  EXPECT_FALSE(statement_is_ascii("5 LD \xB1;x"));
}

// A listing that breaks off before its prompt at a line start is cut: what came is kept,
// and it is never the whole listing. Verify says the link failed.
TEST_F(LinkTest, AListingThatBreaksOffBeforeItsPromptIsCut) {
  struct Case {
    const char* name;
    std::string answer;
    int result;
    std::string listing;
  };
  const Case cases[] = {
      {"quiet_after_a_prompt_inside_a_line", "\r\n1 LD X0\r\n2 ; a>", LISTING_CUT, "1 LD X0\r\n2 ; a>"},
      {"quiet_at_a_line_end", "\r\n1 LD X0\r\n2 OUT Y0\r\n", LISTING_CUT, "1 LD X0\r\n2 OUT Y0\r\n"},
      {"quiet_inside_a_line", "\r\n1 LD X0\r\n2 OU", LISTING_CUT, "1 LD X0\r\n2 OU"},
      {"only_the_echo_line", "\r\n", LISTING_CUT, ""},
      {"a_prompt_at_a_line_start", "\r\n1 LD X0\r\n2 OUT Y0\r\n>", 0, "1 LD X0\r\n2 OUT Y0\r"},
  };
  MnemonicText text = make_text({"LD X0", "; a>", "END"});
  for (const Case& c : cases) {
    link.board.raw_answer = c.answer;
    link.board.prompt = false;
    std::string listing = "old";
    const int64_t start = link.now_us;
    EXPECT_EQ(read_program_from_target(listing), c.result) << c.name;
    EXPECT_EQ(listing, c.listing) << c.name;
    EXPECT_LE(link.now_us - start, (REPLY_EMPTY_READS + 1) * 501 * MS) << c.name;
    int line = -1;
    EXPECT_EQ(verify_program_on_target(text, line), c.result == 0 ? VERIFY_DIFFERS : VERIFY_LINK_FAILED) << c.name;
  }
  // Nothing at all after the echo of "L": the link failed.
  link.board.answer_commands = false;
  std::string listing;
  EXPECT_EQ(read_program_from_target(listing), -1);
  EXPECT_TRUE(notices.empty());  // the callers show the messages
}

TEST(ListingOfReply, OnlyAPromptAtALineStartIsCutOff) {
  struct Case {
    const char* reply;
    const char* listing;
    bool at_prompt;
  };
  const Case cases[] = {
      {"\r\n1 LD X0\r\n>", "1 LD X0\r", true},
      {"\r\n1 ; a>", "1 ; a>", false},
      {"\r\n1 LD X0\r\n", "1 LD X0\r\n", false},
      {">", "", true},
      {"\r\n>", "", true},
      {"L>", "", false},
      {"", "", false},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(listing_of_reply(c.reply), c.listing) << c.reply;
    EXPECT_EQ(reply_ends_at_prompt(c.reply), c.at_prompt) << c.reply;
  }
}

}  // namespace

// ---- Boards that answer late, in pieces, slowly, or never quite ------------------------------------

namespace {

struct LateAnswer {
  const char* name;
  int64_t delay_ms;  // the board's thinking time before it answers a CR
  int64_t gap_ms;    // its pause after the first line end of an answer, before the rest
};

void PrintTo(const LateAnswer& a, std::ostream* os) { *os << a.name; }

class LateAnswerTest : public PollTest, public ::testing::WithParamInterface<LateAnswer> {};

// Every pause is longer than one read: after each CR the answer is awaited to its prompt,
// so the next step never starts on the rest of the answer before it.
TEST_P(LateAnswerTest, EveryAnswerToACrIsAwaitedToItsPrompt) {
  link.character_us = SimulatedLink::CHARACTER_US_9600;
  link.answer_delay_us = GetParam().delay_ms * MS;
  link.answer_gap_us = GetParam().gap_ms * MS;
  MnemonicText text = make_text({"LD      X0", "OUT     Y0", "END"});
  char end_answer[8];
  ASSERT_EQ(write_program_to_target(text, end_answer), 0) << ::testing::PrintToString(notices);
  EXPECT_EQ(link.board.listing(), "1 LD X0\n2 OUT Y0\n3 END\n");
  int line = -1;
  EXPECT_EQ(verify_program_on_target(text, line), VERIFY_OK);

  // A poll query whose echo failed is ended with CR; the board's '?' to it is awaited
  // before the next query goes out.
  cell(0, 0, CONTACT_A, dev(Device::X, 1));
  cell(0, 10, 0, 0, dev(Device::D, 3) | 0x800000);
  link.board.registers[3] = 0x00FF;
  link.board.corrupt_echo_at = link.board.echoes;  // the echo of the 'X'
  EXPECT_EQ(poll_target_bits(view, grid), -1);
  link.host_sent.clear();
  EXPECT_EQ(poll_target_words(view, grid), 0);
  EXPECT_EQ(link.host_sent, "D03?\r");
  EXPECT_EQ(g_word_records[3][3].word[0], 0xFF);
  EXPECT_TRUE(notices.empty()) << ::testing::PrintToString(notices);
}

INSTANTIATE_TEST_SUITE_P(Boards, LateAnswerTest,
                         ::testing::Values(LateAnswer{"late", 700, 0}, LateAnswer{"in_pieces", 0, 700},
                                           LateAnswer{"late_and_in_pieces", 700, 700}),
                         [](const auto& info) { return std::string(info.param.name); });

// A board with a heartbeat: after a CR it sends a byte every 0.4 s and never its prompt,
// so no read of the wait ever comes back empty. Each wait gives up on the port's clock,
// within seconds, and says the link failed; once the board answers again, so does the link.
TEST_F(PollTest, ABoardThatSendsSlowlyForeverCannotHoldAWaitForMinutes) {
  MnemonicText text = make_text({"LD      X0", "OUT     Y0", "END"});
  cell(0, 0, CONTACT_A, dev(Device::X, 1));
  cell(0, 10, 0, 0, dev(Device::D, 3) | 0x800000);
  struct Case {
    const char* name;
    int beat_from;  // the command, counted from 1, from which the board beats
    std::function<bool()> failed;
    // The wait's time on the port's clock (wait_bound_ms: 4 s, or 20 s for the final prompt,
    // 2 s for a poll, and 10 ms a byte), with the read that went past it.
    int64_t most_ms;
    std::vector<std::string> messages;
  };
  const std::vector<std::string> none;
  const std::vector<std::string> link_failed_only{link_failed};
  const Case cases[] = {
      {"a_program_line", 1,
       [&] {
         char end_answer[8];
         return write_program_to_target(text, end_answer) == -1;
       },
       8000, link_failed_only},
      {"the_prompt_after_the_line_count", 4,
       [&] {
         char end_answer[8];
         return write_program_to_target(text, end_answer) == -1;
       },
       24000, link_failed_only},
      {"a_command_reply", 1,
       [&] {
         char reply[REPLY_TEXT_SIZE];
         size_t length = 0;
         return send_echoed_command("R") == 1 && read_until_prompt(reply, length) == ReplyEnd::SLOW;
       },
       8000, none},
      {"a_listing", 1,
       [&] {
         std::string listing;
         return read_program_from_target(listing) != 0;
       },
       8000, none},
      {"a_verify", 1,
       [&] {
         int line = 0;
         return verify_program_on_target(text, line) == VERIFY_LINK_FAILED;
       },
       8000, none},
      {"a_bit_poll", 1, [&] { return poll_target_bits(view, grid) == -1; }, 4000, none},
      {"a_word_poll", 1, [&] { return poll_target_words(view, grid) == -1; }, 4000, link_failed_only},
  };
  for (const Case& c : cases) {
    notices.clear();
    link.board.heartbeat_from = link.board.commands + c.beat_from;
    const int64_t start = link.now_us;
    EXPECT_TRUE(c.failed()) << c.name;
    EXPECT_LE(link.now_us - start, c.most_ms * MS) << c.name;
    EXPECT_EQ(notices, c.messages) << c.name;
    // The board answers again: the next command goes through.
    link.board.heartbeat_from = 0;
    ASSERT_EQ(send_echoed_command("R"), 1) << c.name;
    char reply[64];
    size_t length = 0;
    EXPECT_EQ(read_until_prompt(reply, length), ReplyEnd::PROMPT) << c.name;
    EXPECT_STREQ(reply, "\r\n\r\n>") << c.name;
  }
}

// The time bound never cuts a board that is slow but steady: at 9600 baud and at 1200 baud,
// thinking 0.7 s before each answer, a long program is written, verified and read back whole, a long reply is taken whole
// and the polls come through.
TEST_F(PollTest, ABoardThatIsSlowButSteadyIsNeverCut) {
  for (int64_t character_us : {SimulatedLink::CHARACTER_US_9600, int64_t{8334}}) {
    reset_serial_state();
    link = SimulatedLink{};
    set_port_opener(link.opener_for("\\\\.\\COM3"));
    g_com_number = BOARD_SLOT;
    g_current_port = BOARD_SLOT;
    open_port(BOARD_SLOT, 9600, 0);
    link.character_us = character_us;
    link.answer_delay_us = 700 * MS;
    MnemonicText text = numbered_program(400);
    char end_answer[8];
    ASSERT_EQ(write_program_to_target(text, end_answer), 0) << character_us;
    int line = -1;
    EXPECT_EQ(verify_program_on_target(text, line), VERIFY_OK) << character_us;
    std::string listing;
    ASSERT_EQ(read_program_from_target(listing), 0) << character_us;
    EXPECT_EQ(listing_program_lines(listing), 400) << character_us;
    // A listing asked for as a command: its reply fills the reply text, to its end.
    ASSERT_EQ(send_echoed_command("L"), 1);
    char reply[REPLY_TEXT_SIZE];
    size_t length = 0;
    EXPECT_EQ(read_until_prompt(reply, length), ReplyEnd::FULL) << character_us;
    purge_port(BOARD_SLOT);
    link.now_us += 60'000 * MS;  // the rest of the listing has gone by
    purge_port(BOARD_SLOT);
    cell(0, 0, CONTACT_A, dev(Device::X, 1));
    cell(0, 10, 0, 0, dev(Device::D, 3) | 0x800000);
    link.board.set_bit('X', 1, true);
    link.board.registers[3] = 0x1234;
    EXPECT_EQ(poll_target_bits(view, grid), 0) << character_us;
    EXPECT_EQ(poll_target_words(view, grid), 0) << character_us;
    EXPECT_EQ(g_device_bit_image[Device::X][0].word[0], 2) << character_us;
    EXPECT_EQ(g_word_records[3][3].word[0], 0x1234) << character_us;
    EXPECT_TRUE(notices.empty()) << ::testing::PrintToString(notices);
  }
}

}  // namespace
