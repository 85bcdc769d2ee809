// The serial link end to end: the real Win32 comm calls of the serial port layer, under
// Wine, talking to the board simulator on a pty that a COM port is mapped to
// (scripts/test.d/50-serial-e2e.sh sets it up). Without the rig every test is skipped.
//
// The rig passes, in the environment:
//   TAVOLIN_RIG_SLOT    the COM number mapped to the simulator
//   TAVOLIN_RIG_FREE    a COM number mapped to nothing
//   TAVOLIN_RIG_BITS    the simulator's bit devices, "X26=1,M12=0,..." (decimal numbers)
//   TAVOLIN_RIG_WORDS   its registers, "3=00FF,10=BEEF" (hexadecimal values)
//   TAVOLIN_RIG_STATE   the Unix path of the file where the simulator writes its state
//   TAVOLIN_RIG_CONTROL the Unix path of the simulator's control file (its misbehaviour)
//   TAVOLIN_RIG_ASCII_ONLY 1 when the board takes only printable ASCII (a 7-bit board)
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "core/device_tables.h"
#include "core/notice.h"
#include "target/device_images.h"
#include "target/monitor_protocol.h"
#include "target/serial_port.h"
#include "target/serial_port_win.h"

// Last: its macros (OUT, PARITY_NONE...) must not reach the program's own headers.
#include "target/windows_api.h"

namespace {

std::string env(const char* name) {
  const char* value = std::getenv(name);
  return value ? value : "";
}

int rig_slot() { return std::atoi(env("TAVOLIN_RIG_SLOT").c_str()); }

// "X26=1,M12=0" by letter and decimal number.
std::map<std::string, std::string> pairs(const std::string& text) {
  std::map<std::string, std::string> result;
  std::stringstream in(text);
  std::string item;
  while (std::getline(in, item, ',')) {
    const size_t eq = item.find('=');
    if (eq != std::string::npos) result[item.substr(0, eq)] = item.substr(eq + 1);
  }
  return result;
}

// The simulator's state file, read through Wine's Z: drive.
std::string board_state() {
  std::ifstream in("Z:" + env("TAVOLIN_RIG_STATE"), std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

MnemonicText make_text(const std::vector<std::string>& statements) {
  MnemonicText text(statements.size() + 4);
  for (size_t i = 0; i < statements.size(); ++i) {
    const std::string line = statements[i] + "\n";
    std::memcpy(text[i].statement, line.data(), line.size());
  }
  std::memcpy(text[statements.size()].statement, "0FFFF0 0FFFF0\n", 14);
  return text;
}

class SerialLinkRig : public ::testing::Test {
 protected:
  void SetUp() override {
    if (rig_slot() <= 0) GTEST_SKIP() << "no board simulator (run scripts/test.d/50-serial-e2e.sh)";
    reset_serial_state();
    reset_device_images();
    set_system_port_opener(open_win32_port);
    set_notice_handler([this](void*, const char* text, const char*, unsigned) {
      notices.emplace_back(text);
      return NoticeAnswer::OK;
    });
  }
  void TearDown() override {
    reset_serial_state();
    set_notice_handler({});
  }
  // Opens the board's port as the COM dialog does.
  void open_board_port() {
    g_com_number = rig_slot();
    g_current_port = g_com_number;
    ASSERT_EQ(open_port(g_current_port, 9600, 0), 1);
    ASSERT_TRUE(query_port_modem_status(g_current_port)) << "the modem-status shim is not loaded";
  }
  std::vector<std::string> notices;
};

// ---- A board that misbehaves on an open port -------------------------------------------------
// Each exchange ends in its failure result, never in success, and within a bound far
// below anything a user would take for a hang (the waits themselves are a few seconds).
constexpr ULONGLONG HANG_BOUND_MS = 30000;

class SerialLinkFaults : public SerialLinkRig {
 protected:
  void SetUp() override {
    SerialLinkRig::SetUp();
    if (IsSkipped()) return;
    set_board("");
  }
  void TearDown() override {
    if (rig_slot() > 0) set_board("");
    SerialLinkRig::TearDown();
  }
  // Writes the simulator's control file; it takes effect with the next bytes it receives.
  static void set_board(const std::string& settings) {
    static int serial = 0;
    std::ofstream out("Z:" + env("TAVOLIN_RIG_CONTROL"), std::ios::binary | std::ios::trunc);
    out << "serial=" << ++serial << "\nsilent=0\nshort_framing=0\ncorrupt_echo=-1\nanswer_delay_ms=0\nheartbeat_ms=0\n"
        << settings;
  }
  // Runs one exchange and checks that it ended within the bound.
  template <typename F>
  auto bounded(const char* what, F exchange) {
    const ULONGLONG start = GetTickCount64();
    auto result = exchange();
    EXPECT_LT(GetTickCount64() - start, HANG_BOUND_MS) << what;
    return result;
  }
  // A grid with one contact X1A (asked as X26) and one D3 value.
  void make_poll_grid() {
    grid = make_ladder_grid(8);
    grid[0].cell[0].word[0] = 0x18;
    grid[0].cell[0].word[1] = make_device_operand(Device::X, 0x1A);
    grid[0].cell[10].word[3] = make_device_operand(Device::D, 3) | 0x800000;
    view.visible_rows = 2;
  }
  LadderGrid grid;
  MonitorPollView view;
  MnemonicText program = make_text({"LD      X1A", "OUT     Y13", "END"});
};

TEST_F(SerialLinkFaults, ASilentBoardOnAnOpenPortFailsEveryExchange) {
  set_board("silent=1\n");
  make_poll_grid();
  // The probe and the link set-up find no board.
  EXPECT_EQ(bounded("probe", [] { return probe_target_port(rig_slot()); }), 0);
  const std::string entry = "COM" + std::to_string(rig_slot());
  EXPECT_EQ(bounded("link set-up", [&] { return connect_target_link(entry.c_str()); }), 0);
  EXPECT_EQ(g_port_open, 0);
  EXPECT_EQ(notices, std::vector<std::string>{MSG_NO_BOARD});

  // On the port opened as the COM dialog opens it, every exchange fails.
  open_board_port();
  notices.clear();
  EXPECT_EQ(bounded("command", [] { return send_echoed_command("R"); }), 0);
  EXPECT_EQ(bounded("bit poll", [&] { return poll_target_bits(view, grid); }), -1);
  EXPECT_TRUE(notices.empty());
  EXPECT_EQ(bounded("word poll", [&] { return poll_target_words(view, grid); }), -1);
  EXPECT_EQ(notices, std::vector<std::string>{MSG_LINK_FAILED});
  char end_answer[8];
  EXPECT_EQ(bounded("write", [&] { return write_program_to_target(program, end_answer); }), -1);
  EXPECT_EQ(notices.size(), 2u);
  int line = 0;
  EXPECT_EQ(bounded("verify", [&] { return verify_program_on_target(program, line); }), VERIFY_LINK_FAILED);
  EXPECT_EQ(g_device_bit_image[Device::X][1].word[0], 0);
  EXPECT_EQ(g_word_records[3][3].word[0], 0);
  close_port(g_com_number);
}

TEST_F(SerialLinkFaults, AWrongEchoFailsTheExchangeAndLeavesNothingOnTheBoardsLine) {
  open_board_port();
  make_poll_grid();
  // A program line whose echo comes back wrong: the write stops and says so, and the line
  // is dropped from the board's line rather than left for the next command.
  set_board("corrupt_echo=3\n");
  char end_answer[8];
  EXPECT_EQ(bounded("write", [&] { return write_program_to_target(program, end_answer); }), -1);
  EXPECT_EQ(notices, std::vector<std::string>{MSG_LINK_FAILED});
  ASSERT_EQ(send_echoed_command("R"), 1);
  char reply[REPLY_TEXT_SIZE];
  size_t length = 0;
  EXPECT_EQ(read_until_prompt(reply, length), ReplyEnd::PROMPT);
  EXPECT_EQ(board_state(), "running=1\n");  // no half-typed "1 LD X1AR"

  // A poll query whose echo comes back wrong fails the poll; the next query reaches the
  // board alone, and the board's program keeps running.
  set_board("corrupt_echo=0\n");
  notices.clear();
  EXPECT_EQ(bounded("bit poll", [&] { return poll_target_bits(view, grid); }), -1);
  EXPECT_TRUE(notices.empty());
  EXPECT_EQ(bounded("word poll", [&] { return poll_target_words(view, grid); }), 0);
  EXPECT_EQ(g_word_records[3][3].word[0], std::stoi(pairs(env("TAVOLIN_RIG_WORDS")).at("3"), nullptr, 16));
  EXPECT_TRUE(notices.empty());
  EXPECT_EQ(board_state(), "running=1\n");

  // A command typed in the COM dialog: dropped, and the next one works.
  set_board("corrupt_echo=1\n");
  EXPECT_EQ(bounded("command", [] { return send_echoed_command("X04A"); }), 0);
  ASSERT_EQ(send_echoed_command("R"), 1);
  EXPECT_EQ(read_until_prompt(reply, length), ReplyEnd::PROMPT);
  EXPECT_STREQ(reply, "\r\n\r\n>");
  char answer[64];
  stop_target_program(answer);
  close_port(g_com_number);
}

TEST_F(SerialLinkFaults, AnswersCutShortFailEveryExchange) {
  open_board_port();
  make_poll_grid();
  set_board("short_framing=1\n");
  ASSERT_EQ(send_echoed_command("R"), 1);
  char reply[REPLY_TEXT_SIZE];
  size_t length = 0;
  EXPECT_EQ(bounded("reply", [&] { return read_until_prompt(reply, length); }), ReplyEnd::SILENT);
  EXPECT_EQ(bounded("bit poll", [&] { return poll_target_bits(view, grid); }), -1);
  EXPECT_TRUE(notices.empty());
  EXPECT_EQ(bounded("word poll", [&] { return poll_target_words(view, grid); }), -1);
  EXPECT_EQ(notices, std::vector<std::string>{MSG_LINK_FAILED});
  int line = 0;
  EXPECT_EQ(bounded("verify", [&] { return verify_program_on_target(program, line); }), VERIFY_LINK_FAILED);
  char end_answer[8] = "x";
  EXPECT_EQ(bounded("write", [&] { return write_program_to_target(program, end_answer); }), -1);
  EXPECT_STREQ(end_answer, "");
  EXPECT_EQ(notices.size(), 2u);
  EXPECT_EQ(g_device_bit_image[Device::X][1].word[0], 0);
  EXPECT_EQ(g_word_records[3][3].word[0], 0);
  set_board("");
  char answer[64];
  stop_target_program(answer);
  close_port(g_com_number);
}

// A board with a heartbeat: it answers each command with a byte every 0.2 s and never its
// prompt, so no read of a wait comes back empty. Each exchange ends, in its failure (the
// write and the word poll with the link's message), and once the board answers again so
// does the link. The stop byte between the exchanges ends the beating (no command, so the
// board answers it), so that no stray byte is taken for the next command's echo.
TEST_F(SerialLinkFaults, ABoardWithAHeartbeatFailsEveryExchangeAndTheLinkComesBack) {
  open_board_port();
  make_poll_grid();
  set_board("heartbeat_ms=200\n");
  char answer[64];
  auto timed = [](const char* what, auto exchange) {
    const ULONGLONG start = GetTickCount64();
    auto result = exchange();
    std::printf("[ figure   ] heartbeat board: the %s gave up after %llu ms\n", what,
                static_cast<unsigned long long>(GetTickCount64() - start));
    return result;
  };
  char end_answer[8] = "x";
  EXPECT_EQ(timed("write", [&] { return write_program_to_target(program, end_answer); }), -1);
  EXPECT_EQ(notices, std::vector<std::string>{MSG_LINK_FAILED});
  EXPECT_STREQ(end_answer, "");
  stop_target_program(answer);
  ASSERT_EQ(send_echoed_command("R"), 1);
  char reply[REPLY_TEXT_SIZE];
  size_t length = 0;
  EXPECT_EQ(timed("command reply", [&] { return read_until_prompt(reply, length); }), ReplyEnd::SLOW);
  stop_target_program(answer);
  int line = 0;
  EXPECT_EQ(timed("verify", [&] { return verify_program_on_target(program, line); }), VERIFY_LINK_FAILED);
  stop_target_program(answer);
  std::string listing;
  EXPECT_EQ(timed("read-back", [&] { return read_program_from_target(listing); }), -1);
  stop_target_program(answer);
  notices.clear();
  EXPECT_EQ(timed("bit poll", [&] { return poll_target_bits(view, grid); }), -1);
  EXPECT_TRUE(notices.empty());
  stop_target_program(answer);
  EXPECT_EQ(timed("word poll", [&] { return poll_target_words(view, grid); }), -1);
  EXPECT_EQ(notices, std::vector<std::string>{MSG_LINK_FAILED});
  EXPECT_EQ(g_word_records[3][3].word[0], 0);

  set_board("");
  stop_target_program(answer);
  ASSERT_EQ(send_echoed_command("R"), 1);
  EXPECT_EQ(read_until_prompt(reply, length), ReplyEnd::PROMPT);
  EXPECT_STREQ(reply, "\r\n\r\n>");
  stop_target_program(answer);
  close_port(g_com_number);
}

bool ascii_board() { return env("TAVOLIN_RIG_ASCII_ONLY") == "1"; }

std::string text_for_line(const char* format, int value) {
  char text[200];
  std::snprintf(text, sizeof text, format, value);
  return text;
}

// Over the real comm calls: a board that thinks 0.7 s before each answer takes every
// line, those that end in Shift-JIS as well; an echo is compared to its last byte (a
// garbled last byte above 0x7E fails the write on the board that echoes every byte);
// a statement with double-byte words is refused by the board that keeps only ASCII.
TEST_F(SerialLinkFaults, TheEchoIsComparedToItsLastByteAndALateBoardIsWaitedFor) {
  open_board_port();
  set_board("answer_delay_ms=700\n");
  // "; ｱ" ends in one byte above 0x7E, "; あい" in four.
  MnemonicText text = make_text({"; x", "; \xB1", "; \x82\xA0\x82\xA2", "LD      X1A", "END"});
  char end_answer[8] = {};
  int ascii_lines = -1;
  ASSERT_EQ(bounded("late write", [&] { return write_program_to_target(text, end_answer, &ascii_lines); }), 0)
      << ::testing::PrintToString(notices);
  EXPECT_EQ(ascii_lines, ascii_board() ? 2 : 0);
  EXPECT_EQ(board_state(), ascii_board() ? "running=0\n1 ; x\n2 ;\n3 ;\n4 LD X1A\n5 END\n"
                                          : "running=0\n1 ; x\n2 ; \xB1\n3 ; \x82\xA0\x82\xA2\n4 LD X1A\n5 END\n");
  int line = -1;
  EXPECT_EQ(bounded("late verify", [&] { return verify_program_on_target(text, line, &ascii_lines); }), VERIFY_OK);
  EXPECT_EQ(ascii_lines, ascii_board() ? 2 : 0);
  EXPECT_TRUE(notices.empty());
  const std::string held = board_state();

  set_board("");
  if (ascii_board()) {
    MnemonicText statement = make_text({"\x82\xA0\x82\xA2 X00", "END"});
    EXPECT_EQ(bounded("statement", [&] { return write_program_to_target(statement, end_answer); }), -3);
    EXPECT_EQ(notices, std::vector<std::string>{text_for_line(MSG_STATEMENT_NOT_ASCII, 1)});
  } else {
    // "1 ; " are the next four echoes; the fifth is the byte 0xB1.
    set_board("corrupt_echo=4\n");
    MnemonicText garbled = make_text({"; \xB1", "END"});
    EXPECT_EQ(bounded("garbled", [&] { return write_program_to_target(garbled, end_answer); }), -1);
    EXPECT_EQ(notices, std::vector<std::string>{MSG_LINK_FAILED});
  }
  // The refused line was dropped unexecuted: the board holds the program as it was.
  EXPECT_EQ(board_state(), held);
  set_board("");
  char answer[64];
  stop_target_program(answer);
  close_port(g_com_number);
}

// ---- A board that behaves ---------------------------------------------------------------------

TEST_F(SerialLinkRig, ProbeFindsTheBoardAndLeavesThePortClosed) {
  g_com_number = 1;
  EXPECT_EQ(probe_target_port(rig_slot()), 1);
  EXPECT_EQ(g_com_number, rig_slot());
  for (const auto& handle : g_port_handles) EXPECT_EQ(handle, nullptr);
  // Probing again works: the port was really closed.
  EXPECT_EQ(probe_target_port(rig_slot()), 1);
}

TEST_F(SerialLinkRig, ProbesOfPortsWithoutABoardFailAndKeepNothingOpen) {
  const int free_slot = std::atoi(env("TAVOLIN_RIG_FREE").c_str());
  ASSERT_GT(free_slot, 0);
  g_com_number = 1;
  EXPECT_EQ(probe_target_port(free_slot), 0);
  EXPECT_EQ(probe_target_port(0), 0);  // the parallel port
  EXPECT_EQ(g_com_number, 1);
  for (const auto& handle : g_port_handles) EXPECT_EQ(handle, nullptr);
  // A failed open keeps no handle.
  EXPECT_EQ(open_port(free_slot, 9600, 0), 1);
  EXPECT_EQ(g_port_handles[static_cast<size_t>(free_slot)], nullptr);
  EXPECT_FALSE(query_port_modem_status(free_slot));
}

TEST_F(SerialLinkRig, WriteVerifyReadBackRunStopAndPoll) {
  // Link set-up as the monitor window does it.
  const std::string entry = "COM" + std::to_string(rig_slot());
  ASSERT_EQ(connect_target_link(entry.c_str()), 1);
  EXPECT_EQ(g_port_open, 1);
  EXPECT_EQ(g_com_number, rig_slot());
  ASSERT_TRUE(query_port_modem_status(g_com_number));

  // Program write.
  MnemonicText text = make_text({"LD      X1A ;start", "AND     M12", "OUT     Y13", "", "LD      X03", "MOV",
                                 "K100", "D3", "END"});
  char end_answer[8] = {};
  ASSERT_EQ(write_program_to_target(text, end_answer), 0);
  EXPECT_STREQ(end_answer, "\n>");
  EXPECT_EQ(board_state(), "running=0\n1 LD X1A\n2 AND M12\n3 OUT Y13\n4\n5 LD X03\n6 MOV\n7 K100\n8 D3\n9 END\n");

  // Verify: the same program, then one that differs on line 3.
  int line = -1;
  EXPECT_EQ(verify_program_on_target(text, line), VERIFY_OK);
  MnemonicText other = make_text({"LD      X1A", "AND     M12", "OUT     Y14", "", "LD      X03", "MOV", "K100",
                                  "D3", "END"});
  EXPECT_EQ(verify_program_on_target(other, line), VERIFY_DIFFERS);
  EXPECT_EQ(line, 3);

  // Read-back into a fresh text.
  std::string listing;
  ASSERT_EQ(read_program_from_target(listing), 0);
  EXPECT_EQ(listing, "1 LD X1A\r\n2 AND M12\r\n3 OUT Y13\r\n4\r\n5 LD X03\r\n6 MOV\r\n7 K100\r\n8 D3\r\n9 END\r");
  MnemonicText back = make_text({});
  back.resize(16);
  ASSERT_EQ(paste_listing_into_text(listing, back), 9);
  size_t length = 0;
  EXPECT_STREQ(back[0].statement, "LD X1A\n");
  EXPECT_STREQ(back[3].statement, "\n");
  EXPECT_STREQ(back[8].statement, "END\n");
  EXPECT_STREQ(back[9].statement, "0FFFF0 0FFFF0");

  // Run and stop.
  ASSERT_EQ(send_echoed_command("R"), 1);
  char reply[REPLY_TEXT_SIZE];
  ASSERT_EQ(read_until_prompt(reply, length), ReplyEnd::PROMPT);
  EXPECT_STREQ(reply, "\r\n\r\n>");
  EXPECT_EQ(board_state().substr(0, 10), "running=1\n");
  char answer[64];
  EXPECT_EQ(stop_target_program(answer), 5);
  EXPECT_STREQ(answer, "\r\n\r\n>");
  EXPECT_EQ(board_state().substr(0, 10), "running=0\n");

  // Contact poll over the visible rows of a small monitor grid.
  LadderGrid grid = make_ladder_grid(12);
  auto contact = [&](int row, int column, uint32_t operand) {
    grid[row].cell[column].word[0] = 0x18;
    grid[row].cell[column].word[1] = operand;
  };
  contact(0, 0, make_device_operand(Device::X, 0x1A));
  contact(0, 1, make_device_operand(Device::M, 12));
  contact(1, 0, make_device_operand(Device::X, 0x03));
  grid[0].cell[11].word[0] = 0x4078;
  grid[0].cell[11].word[1] = make_device_operand(Device::Y, 0x13);
  grid[1].cell[10].word[3] = make_device_operand(Device::D, 3) | 0x800000;
  grid[2].cell[10].word[3] = make_device_operand(Device::D, 10) | 0x800000;
  MonitorPollView view;
  view.visible_rows = 4;
  std::vector<std::pair<int, int>> redrawn;
  view.invalidate_cell = [&](int row, int column) { redrawn.emplace_back(row, column); };

  ASSERT_EQ(poll_target_bits(view, grid), 0);
  const auto bits = pairs(env("TAVOLIN_RIG_BITS"));
  auto expected_bit = [&](const char* query_name) { return bits.count(query_name) && bits.at(query_name) == "1"; };
  auto image_bit = [](DeviceIndex type, int entry, int bit) { return (g_device_bit_image[type][entry].word[0] >> bit) & 1; };
  EXPECT_EQ(image_bit(Device::X, 1, 10), expected_bit("X26"));  // X1A is asked as X26
  EXPECT_EQ(image_bit(Device::M, 0, 12), expected_bit("M12"));
  EXPECT_EQ(image_bit(Device::X, 0, 3), expected_bit("X03"));
  EXPECT_EQ(image_bit(Device::Y, 2, 3), expected_bit("Y19"));  // Y13 is asked as Y19, one entry higher
  EXPECT_EQ(grid[0].cell[0].word[2] & 1, expected_bit("X26") ? 1u : 0u);
  EXPECT_FALSE(redrawn.empty());

  // Register poll.
  ASSERT_EQ(poll_target_words(view, grid), 0);
  const auto words = pairs(env("TAVOLIN_RIG_WORDS"));
  EXPECT_EQ(g_word_records[3][3].word[0], std::stoi(words.at("3"), nullptr, 16));
  EXPECT_EQ(g_word_records[3][10].word[0], std::stoi(words.at("10"), nullptr, 16));
  EXPECT_TRUE(notices.empty());

  close_port(g_com_number);
}

TEST_F(SerialLinkRig, StaleBytesInThePortAreNotTakenAsAnAnswer) {
  open_board_port();
  // An empty command leaves "??" unanswered by any prompt; the next command still works.
  char empty[4] = "\r";
  write_port_line(g_com_number, empty);
  Sleep(300);  // let the "??" arrive before the next command starts
  ASSERT_EQ(send_echoed_command("R"), 1);
  char reply[REPLY_TEXT_SIZE];
  size_t length = 0;
  EXPECT_EQ(read_until_prompt(reply, length), ReplyEnd::PROMPT);
  EXPECT_STREQ(reply, "\r\n\r\n>");
  char answer[64];
  stop_target_program(answer);
}

}  // namespace
