// What the COM dialog shows of a write, a verify and a read-back, on a board that keeps
// every byte and on one that keeps only printable ASCII (both at 9600-baud pacing): the
// receive box never says only "Verify OK" or "Write OK!" when comments went by their
// ASCII part, and a listing that broke off is never offered for pasting.
#include "board/com_dialog.h"

#include <gtest/gtest.h>

#include <functional>
#include <initializer_list>
#include <string>
#include <vector>

#include "core/mnemonic_text.h"
#include "target/board_link.h"
#include "support/board_simulator.h"
#include "support/notice_recorder.h"
#include "target/monitor_protocol.h"
#include "target/serial_port.h"

namespace {

constexpr int BOARD_SLOT = 3;

MnemonicText program_of(std::initializer_list<const char*> statements) {
  MnemonicText text = make_mnemonic_text(16);
  size_t i = 0;
  for (const char* s : statements) set_line_statement(text[i++], s);
  set_end_line(text[i]);
  return text;
}

std::string note(const char* format, int lines) { return "\r\n" + ascii_comment_note(format, lines); }

struct Board {
  const char* name;
  bool ascii_only;
};

class ComBoard : public ::testing::TestWithParam<Board> {
 protected:
  void SetUp() override {
    reset_serial_state();
    set_port_opener(link.opener_for("\\\\.\\COM3"));
    g_com_number = BOARD_SLOT;
    link.character_us = SimulatedLink::CHARACTER_US_9600;
    link.board.ascii_only = GetParam().ascii_only;
    ASSERT_TRUE(reopen_link_for_dialog());
  }
  void TearDown() override {
    reset_serial_state();
    set_port_opener({});
  }
  bool ascii_board() const { return GetParam().ascii_only; }
  std::vector<std::string> texts() const {
    std::vector<std::string> out;
    for (const RecordedNotice& n : recorder.notices) out.push_back(n.text);
    return out;
  }

  SimulatedLink link;
  NoticeRecorder recorder;
};

// "; ポンプ" and "; あい" hold bytes above 0x7E in their comment text; "LD X00" none.
TEST_P(ComBoard, WriteAndVerifySayWhenCommentsWentByTheirAsciiPart) {
  MnemonicText text = program_of({"; \x83\x7C\x83\x93\x83\x76", "LD      X00", "; \x82\xA0\x82\xA2", "END"});
  const ComResult written = com_write_program(text);
  ASSERT_TRUE(written.ok) << ::testing::PrintToString(texts());
  EXPECT_EQ(written.receive, std::string(MSG_WRITE_OK) + (ascii_board() ? note(MSG_ASCII_COMMENTS_WRITTEN, 2) : ""));
  const ComResult verified = com_verify_program(text);
  ASSERT_TRUE(verified.ok);
  EXPECT_EQ(verified.receive, std::string(MSG_VERIFY_OK) + (ascii_board() ? note(MSG_ASCII_COMMENTS_VERIFIED, 2) : ""));
  EXPECT_TRUE(recorder.notices.empty());
  EXPECT_EQ(ascii_comment_note(MSG_ASCII_COMMENTS_VERIFIED, 2), "コメント2行は、ASCII部分だけを照合しました");

  // An 8-bit board that lost the comments' Shift-JIS verifies by the ASCII part only,
  // and says so.
  if (ascii_board()) return;
  link.board.program[1] = "; |v";
  link.board.program[3] = ";";
  EXPECT_EQ(com_verify_program(text).receive, std::string(MSG_VERIFY_OK) + note(MSG_ASCII_COMMENTS_VERIFIED, 2));
}

// "あい X00": the 7-bit board would hold the statement X00. The write stops with its own
// message, which is not the link's; the 8-bit board takes it.
TEST_P(ComBoard, AStatementTheBoardCannotHoldStopsTheWriteWithItsOwnMessage) {
  MnemonicText text = program_of({"LD      X01", "\x82\xA0\x82\xA2 X00", "END"});
  const ComResult written = com_write_program(text);
  if (!ascii_board()) {
    EXPECT_TRUE(written.ok);
    EXPECT_EQ(written.receive, MSG_WRITE_OK);
    return;
  }
  EXPECT_FALSE(written.ok);
  EXPECT_FALSE(written.link_failed);
  EXPECT_EQ(texts(), std::vector<std::string>{"2行目の命令にASCII以外の文字が有るため、\nこのボードには書き込めません！"});
  EXPECT_EQ(link.board.program.count(2), 0u);
}

// A listing that falls silent after a '>' inside a line (or anywhere but at its prompt) is
// shown as far as it came, with the cut message, and never offered for pasting.
TEST_P(ComBoard, AListingThatBreaksOffIsShownCutAndNotWhole) {
  for (const char* answer : {"\r\n1 LD X0\r\n2 ; a>", "\r\n1 LD X0\r\n2 OUT Y0\r\n"}) {
    recorder.notices.clear();
    link.board.raw_answer = answer;
    link.board.prompt = false;
    const ComResult listing = com_read_program();
    EXPECT_TRUE(listing.ok) << answer;
    EXPECT_FALSE(listing.whole) << answer;
    EXPECT_EQ(listing.receive, std::string(answer).substr(2)) << answer;
    EXPECT_EQ(texts(), std::vector<std::string>{MSG_LISTING_CUT}) << answer;
  }
  // The same listing up to its prompt is whole.
  recorder.notices.clear();
  link.board.raw_answer = "\r\n1 LD X0\r\n2 ; a>\r\n>";
  const ComResult whole = com_read_program();
  EXPECT_TRUE(whole.whole);
  EXPECT_EQ(whole.receive, "1 LD X0\r\n2 ; a>\r");
  EXPECT_TRUE(recorder.notices.empty());
}

// A board that, after each CR, sends a byte now and then and never its prompt: every
// exchange of the dialog ends as a failed link, with its message, never with a reply.
TEST_P(ComBoard, ABoardWithAHeartbeatFailsEveryExchangeWithTheLinkMessage) {
  MnemonicText text = program_of({"LD      X01", "END"});
  struct Case {
    const char* name;
    std::function<ComResult()> exchange;
  };
  const Case cases[] = {
      {"send", [] { return com_send_command("R"); }},
      {"write", [&] { return com_write_program(text); }},
      {"verify", [&] { return com_verify_program(text); }},
      {"read_back", [] { return com_read_program(); }},
  };
  for (const Case& c : cases) {
    recorder.notices.clear();
    link.board.heartbeat_from = link.board.commands + 1;
    const ComResult result = c.exchange();
    EXPECT_FALSE(result.ok) << c.name;
    EXPECT_TRUE(result.link_failed) << c.name;
    EXPECT_EQ(texts(), std::vector<std::string>{MSG_LINK_FAILED}) << c.name;
  }
}

INSTANTIATE_TEST_SUITE_P(Boards, ComBoard, ::testing::Values(Board{"every_byte", false}, Board{"printable_ascii", true}),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
