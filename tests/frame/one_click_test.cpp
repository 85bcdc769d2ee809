// The one-click write and the COM dialog's exchanges over the simulated board: what the
// board ends up holding, the messages in their order, and that no failure is ever
// followed by a success message.
#include "frame/one_click.h"

#include <gtest/gtest.h>

#include "core/core_state.h"

#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "core/core_state.h"
#include "core/design_file.h"
#include "core/ladder_compiler.h"
#include "core/mnemonic_text.h"
#include "core/seq_to_nic.h"
#include "board/com_dialog.h"
#include "support/board_listing.h"
#include "support/board_simulator.h"
#include "support/ladder_text.h"
#include "support/notice_recorder.h"
#include "target/board_link.h"
#include "target/device_images.h"
#include "target/monitor_protocol.h"
#include "target/serial_port.h"

namespace {

namespace fs = std::filesystem;

constexpr int BOARD_SLOT = 3;

std::string file_text(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

// The numbered lines the board should hold for a mnemonic file: "n w1 w2" per statement.
std::string expected_listing(const std::string& nic) {
  return board_listing::listing_of(nic, board_listing::Comments::NONE_SENT);
}

class OneClick : public ::testing::Test {
 public:
  void SetUp() override {
    reset_core_state();
    reset_compiler_state();
    reset_serial_state();
    reset_device_images();
    release_read_back();
    release_frame_mnemonic_text();
    g_mnemonic_text = {};
    set_port_opener(link.opener_for("\\\\.\\COM3"));
    g_com_number = BOARD_SLOT;
    folder = fs::temp_directory_path() / ("one_click_" + std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
    fs::remove_all(folder);
    fs::create_directories(folder);
    files = project_files("", (folder.string() + "/").c_str(), "PUMP");
    g_file_project_name = "PUMP";

    design = ladder_from_text({"X0 /X1 ~ (Y0)", "^Y0 ^", "Y0 ~ (T0 K50)", "T0 ~ (Y1)", "X2 ~ (M3)"}, {.grid_rows = 64});
    saved = make_ladder_grid(64);
    request.view = {true, false, false, files.design, "PUMP.MBS", design};
    request.main = {true, design, saved, files.design};
    request.files = files;

    host.other_screens_open = [this] { return others_open; };
    host.close_other_screens = [this] {
      calls.push_back("close others");
      return !refusing_close;
    };
    host.close_screen_dialogs = [this] { calls.push_back("close dialogs"); };
    host.open_compile_errors = [this] { calls.push_back("compile errors"); };
    host.repaint_designs = [this] { calls.push_back("repaint"); };
    host.convert_compiled_files = [this] {
      calls.push_back("to mnemonic");
      return convert_seq_to_commented_nic(nullptr, files.mnemonic, files.listing, files.design);
    };
  }
  void TearDown() override {
    reset_serial_state();
    set_port_opener({});
    release_read_back();
    release_frame_mnemonic_text();
    g_mnemonic_text = {};
    g_file_project_name = nullptr;
    fs::remove_all(folder);
  }

  std::vector<std::string> texts() const {
    std::vector<std::string> out;
    for (const auto& n : recorder.notices) out.push_back(n.text);
    return out;
  }
  bool success_shown() const {
    for (const auto& n : recorder.notices)
      if (n.text.rfind(MSG_PROGRAM_WRITTEN, 0) == 0) return true;  // with or without its second line
    return false;
  }

  SimulatedLink link;
  NoticeRecorder recorder;
  fs::path folder;
  ProjectFiles files;
  LadderGrid design;
  LadderGrid saved;
  OneClickRequest request;
  CompileHost host;
  bool others_open = false;
  bool refusing_close = false;  // a window keeps its edits (Cancel at its save question)
  std::vector<std::string> calls;
};

TEST_F(OneClick, TheDesignIsSavedCompiledConvertedAndWrittenIntoTheBoard) {
  ASSERT_EQ(run_one_click_write(request, host), OneClickEnd::WRITTEN) << ::testing::PrintToString(texts());
  EXPECT_EQ(texts(), (std::vector<std::string>{MSG_ONE_CLICK_NOTICE, "SEQ to NICが終了しました", MSG_PROGRAM_WRITTEN}));
  EXPECT_EQ(recorder.notices.back().caption, files.design);
  EXPECT_EQ(calls, (std::vector<std::string>{"close dialogs", "repaint", "to mnemonic"}));
  EXPECT_TRUE(fs::exists(files.design));
  EXPECT_TRUE(fs::exists(files.operation));
  const std::string nic = file_text(files.mnemonic);
  ASSERT_FALSE(nic.empty());
  // The board holds exactly the numbered lines of the mnemonic file, and the write ended
  // with the line count.
  const std::string listing = expected_listing(nic);
  EXPECT_EQ(link.board.listing(), listing);
  const int lines = static_cast<int>(std::count(listing.begin(), listing.end(), '\n'));
  EXPECT_NE(link.host_sent.find("\rN" + std::to_string(lines + 1) + "\r"), std::string::npos);
  EXPECT_EQ(g_port_open, 1);
  EXPECT_EQ(std::memcmp(saved.data(), design.data(), design.size() * sizeof(LadderRow)), 0);
  EXPECT_EQ(g_saved_uncompiled, 0);
}

// A design with a comment row: the mnemonic file starts with the comment line, which goes
// to the board like a statement (its number and its first two words), Shift-JIS and all.
TEST_F(OneClick, AJapaneseCommentLineGoesToTheBoardLikeAStatement) {
  design = ladder_from_text({"; 起動と停止", "X0 ~ (Y0)"}, {.grid_rows = 64});
  request.view = {true, false, false, files.design, "PUMP.MBS", design};
  request.main = {true, design, saved, files.design};
  ASSERT_EQ(run_one_click_write(request, host), OneClickEnd::WRITTEN) << ::testing::PrintToString(texts());
  const std::string nic = file_text(files.mnemonic);
  ASSERT_EQ(nic.rfind(";起動と停止", 0), 0u) << nic;
  EXPECT_EQ(link.board.listing().rfind("1 ;起動と停止\n2 LD X00\n", 0), 0u) << link.board.listing();
}

// The same on a board that keeps only printable ASCII: it holds the ASCII part of the
// comment line (";" and the trail bytes 'N' of 起 and '~' of 止),
// and the end message says so on its second line, so that the success message never
// hides it.
TEST_F(OneClick, TheEndMessageSaysWhenACommentWentByItsAsciiPartOnly) {
  link.board.ascii_only = true;
  design = ladder_from_text({"; 起動と停止", "X0 ~ (Y0)"}, {.grid_rows = 64});
  request.view = {true, false, false, files.design, "PUMP.MBS", design};
  request.main = {true, design, saved, files.design};
  ASSERT_EQ(run_one_click_write(request, host), OneClickEnd::WRITTEN) << ::testing::PrintToString(texts());
  EXPECT_EQ(link.board.listing().rfind("1 ;N~\n2 LD X00\n", 0), 0u) << link.board.listing();
  EXPECT_EQ(texts().back(), std::string(MSG_PROGRAM_WRITTEN) + "\nコメント1行は、ASCII部分だけが書き込まれました");
  EXPECT_EQ(recorder.notices.back().caption, files.design);
}

TEST_F(OneClick, RefusalsStopBeforeAnythingIsWritten) {
  struct Case {
    const char* name;
    OneClickView view;
    std::vector<std::string> notices;
    OneClickEnd end;
  };
  const Case cases[] = {
      {"not a design window", {false, false, false, files.mnemonic, "PUMP.NIC", design}, {}, OneClickEnd::NOT_A_DESIGN_WINDOW},
      {"second file", {true, true, false, files.design, "PUMP.MBS", design}, {MSG_ONE_CLICK_NOTICE, MSG_SECOND_FILE},
       OneClickEnd::REFUSED},
      {"read only", {true, false, true, files.design, "PUMP.MBS", design}, {MSG_ONE_CLICK_NOTICE, MSG_READ_ONLY},
       OneClickEnd::REFUSED},
      {"unnamed", {true, false, false, files.design, "新規.MBS", design}, {MSG_ONE_CLICK_NOTICE, MSG_UNNAMED},
       OneClickEnd::REFUSED},
  };
  for (const Case& c : cases) {
    recorder.notices.clear();
    request.view = c.view;
    EXPECT_EQ(run_one_click_write(request, host), c.end) << c.name;
    EXPECT_EQ(texts(), c.notices) << c.name;
    EXPECT_FALSE(fs::exists(files.design)) << c.name;
    EXPECT_FALSE(fs::exists(files.mnemonic)) << c.name;
    EXPECT_TRUE(link.host_sent.empty()) << c.name;
  }
}

TEST_F(OneClick, CancelAtTheCloseQuestionKeepsTheSavedDesignButDoesNotCompile) {
  others_open = true;
  recorder.answers = {NoticeAnswer::OK, NoticeAnswer::CANCEL};
  EXPECT_EQ(run_one_click_write(request, host), OneClickEnd::CANCELLED);
  EXPECT_EQ(texts(), (std::vector<std::string>{MSG_ONE_CLICK_NOTICE, MSG_CLOSE_OTHERS}));
  EXPECT_TRUE(fs::exists(files.design));
  EXPECT_FALSE(fs::exists(files.operation));
  EXPECT_TRUE(calls.empty());
  // The saved copy follows the save.
  EXPECT_EQ(std::memcmp(saved.data(), design.data(), design.size() * sizeof(LadderRow)), 0);
}

// A mnemonic window that keeps its edits stops the write: nothing is compiled, so its file
// is never rewritten under it, and nothing goes to the board.
TEST_F(OneClick, AWindowThatRefusesToCloseStopsTheWrite) {
  others_open = true;
  refusing_close = true;
  recorder.answers = {NoticeAnswer::OK, NoticeAnswer::OK};
  EXPECT_EQ(run_one_click_write(request, host), OneClickEnd::CANCELLED);
  EXPECT_EQ(calls, std::vector<std::string>{"close others"});
  EXPECT_FALSE(fs::exists(files.operation));
  EXPECT_FALSE(fs::exists(files.mnemonic));
  EXPECT_TRUE(link.host_sent.empty());
}

TEST_F(OneClick, NoMainDesignWindowStopsAfterTheSave) {
  request.main.exists = false;
  EXPECT_EQ(run_one_click_write(request, host), OneClickEnd::NO_MAIN_DESIGN);
  EXPECT_EQ(texts(), (std::vector<std::string>{MSG_ONE_CLICK_NOTICE, MSG_NO_MAIN_DESIGN}));
  EXPECT_TRUE(fs::exists(files.design));
}

// Every way the board or a step before it can fail ends with its own message, never with
// the success message, and within a bounded (virtual) time.
TEST_F(OneClick, FailuresAreReportedAndNeverFollowedBySuccess) {
  struct Case {
    const char* name;
    std::function<void(OneClick&)> arrange;
    OneClickEnd end;
    const char* last_message;
    bool board_touched;
  };
  const Case cases[] = {
      {"silent board", [](OneClick& t) { t.link.board.silent = true; }, OneClickEnd::WRITE_FAILED, MSG_LINK_FAILED,
       true},
      {"wrong echo", [](OneClick& t) { t.link.board.corrupt_echo_at = 4; }, OneClickEnd::WRITE_FAILED, MSG_LINK_FAILED,
       true},
      {"board stops answering", [](OneClick& t) { t.link.board.answer_commands = false; }, OneClickEnd::WRITE_FAILED,
       MSG_LINK_FAILED, true},
      {"no serial port", [](OneClick& t) { t.link.modem_ok = false; }, OneClickEnd::NO_LINK, MSG_NO_COM_LINK, false},
      {"conversion to mnemonics fails",
       [](OneClick& t) { t.host.convert_compiled_files = [] { return SEQ_TO_NIC_NO_NIC; }; },
       OneClickEnd::NOT_CONVERTED, MSG_ONE_CLICK_NOTICE, false},
      {"compile errors, no operation file yet", [](OneClick& t) { set_row_from_text(t.design[0], "X0 ? ~ (Y0)"); },
       OneClickEnd::COMPILE_FAILED, MSG_NOTHING_WRITTEN, false},
      {"compile errors after an earlier compile",
       [](OneClick& t) {
         CompileRequest earlier;
         earlier.grid = t.design;
         earlier.files = t.files;
         ASSERT_EQ(compile_design_to_files(earlier).step, CompileStep::WRITTEN);
         set_row_from_text(t.design[0], "X0 ? ~ (Y0)");
       },
       OneClickEnd::COMPILE_FAILED, MSG_NOTHING_WRITTEN, false},
  };
  for (const Case& c : cases) {
    TearDown();
    link = SimulatedLink{};
    SetUp();
    recorder.notices.clear();
    c.arrange(*this);
    const int64_t start = link.now_us;
    EXPECT_EQ(run_one_click_write(request, host), c.end) << c.name << ::testing::PrintToString(texts());
    EXPECT_FALSE(success_shown()) << c.name;
    // After a failed compile nothing is converted either: no message about it.
    if (c.end == OneClickEnd::COMPILE_FAILED) {
      for (const std::string& text : texts()) EXPECT_EQ(text.find("SEQ to NIC"), std::string::npos) << c.name;
    }
    if (c.last_message) {
      ASSERT_FALSE(recorder.notices.empty()) << c.name;
      EXPECT_EQ(recorder.notices.back().text, c.last_message) << c.name;
    }
    EXPECT_EQ(!link.host_sent.empty(), c.board_touched) << c.name;
    EXPECT_LT(link.now_us - start, 30'000'000) << c.name;
  }
}

// A mnemonic window's text that the one-click write closed is never written: the write
// uses only the text this run's conversion made.
TEST_F(OneClick, AnEarlierTextIsNeverWrittenWhenTheConversionFails) {
  MnemonicText stale = make_mnemonic_text(4);
  set_line_statement(stale[0], "LD X77");
  set_end_line(stale[1]);
  g_mnemonic_text = stale;
  host.convert_compiled_files = [] { return 4; };
  EXPECT_EQ(run_one_click_write(request, host), OneClickEnd::NOT_CONVERTED);
  EXPECT_TRUE(link.host_sent.empty());
  EXPECT_TRUE(g_mnemonic_text.empty());
}

// ---- The COM dialog's exchanges ------------------------------------------------------------------

class ComExchange : public OneClick {
 public:
  void SetUp() override {
    OneClick::SetUp();
    ASSERT_TRUE(reopen_link_for_dialog());
    text = make_mnemonic_text(16);
    const char* lines[] = {"LD      X0", "ANI     X1", "OUT     Y0", "END"};
    for (size_t i = 0; i < std::size(lines); ++i) set_line_statement(text[i], lines[i]);
    set_end_line(text[std::size(lines)]);
  }
  MnemonicText text;
};

TEST_F(ComExchange, FixedButtonsSendTheirCommandsAndShowTheReplyAfterTheEcho) {
  struct Case {
    int id;
    const char* sent;
    bool running_after;
  };
  const Case cases[] = {{ComControl::RUN, "R\r", true},     {ComControl::RESET, "@\r", false},
                        {ComControl::RESUME, "^A\r", true}, {ComControl::X04A, "X04A\r", true},
                        {ComControl::X05D, "X05D\r", true}};
  for (const Case& c : cases) {
    link.host_sent.clear();
    const ComResult result = com_send_command(fixed_command_text(c.id));
    EXPECT_TRUE(result.ok) << c.sent;
    EXPECT_EQ(link.host_sent, c.sent);
    EXPECT_EQ(result.receive, "\r\n>") << c.sent;
    EXPECT_EQ(link.board.running, c.running_after) << c.sent;
  }
  EXPECT_EQ(fixed_command_text(ComControl::SEND), nullptr);
  EXPECT_EQ(fixed_command_text(ComControl::STOP), nullptr);
  // A typed command: the board's answer line.
  EXPECT_EQ(com_send_command("Q").receive, "?\r\n>");
  EXPECT_TRUE(recorder.notices.empty());
}

TEST_F(ComExchange, WriteVerifyReadBackAndPaste) {
  const ComResult written = com_write_program(text);
  ASSERT_TRUE(written.ok);
  // The end answer without the board's prompt.
  EXPECT_EQ(written.receive, "\r\n Write OK!");
  EXPECT_EQ(link.board.listing(), "1 LD X0\n2 ANI X1\n3 OUT Y0\n4 END\n");
  EXPECT_EQ(com_verify_program(text).receive, "Verify OK");

  link.board.program[2] = "ANI X9";
  EXPECT_EQ(com_verify_program(text).receive, "2行目に違いがあります！");

  const ComResult listing = com_read_program();
  ASSERT_TRUE(listing.ok);
  EXPECT_EQ(listing.receive, "1 LD X0\r\n2 ANI X9\r\n3 OUT Y0\r\n4 END\r");
  MnemonicText pasted = make_mnemonic_text(16);
  SavedText saved_text = make_saved_text(16);
  TextSpan pasted_span = pasted;
  EXPECT_EQ(com_paste_listing(listing.receive, pasted_span, saved_text), 4);
  EXPECT_STREQ(pasted[1].statement, "ANI X9\n");
  EXPECT_TRUE(is_end_line(pasted[4]));
  EXPECT_EQ(text_differs_from_saved(pasted, saved_text), 0);
  EXPECT_TRUE(recorder.notices.empty());
}

TEST_F(ComExchange, StopSendsTheByteAloneAndShowsTheAnswerAsItCame) {
  link.board.running = true;
  EXPECT_EQ(com_stop_program(), "\r\n\r\n>");
  EXPECT_FALSE(link.board.running);
  EXPECT_EQ(link.host_sent, "\x03");
  link.board.silent = true;
  const int64_t start = link.now_us;
  EXPECT_EQ(com_stop_program(), "");
  EXPECT_LT(link.now_us - start, 1'000'000);
  EXPECT_TRUE(recorder.notices.empty());
}

TEST_F(ComExchange, ASilentOrGarblingBoardEndsEveryExchangeWithTheFailureMessage) {
  struct Case {
    const char* name;
    std::function<void(SimulatedLink&)> arrange;
  };
  const Case boards[] = {
      {"silent", [](SimulatedLink& l) { l.board.silent = true; }},
      {"wrong echo", [](SimulatedLink& l) { l.board.corrupt_echo_at = l.board.echoes; }},
      {"no answer", [](SimulatedLink& l) { l.board.answer_commands = false; }},
  };
  using Exchange = std::function<ComResult(ComExchange&)>;
  const std::pair<const char*, Exchange> exchanges[] = {
      {"send", [](ComExchange&) { return com_send_command("R"); }},
      {"write", [](ComExchange& t) { return com_write_program(t.text); }},
      {"verify", [](ComExchange& t) { return com_verify_program(t.text); }},
      {"read back", [](ComExchange&) { return com_read_program(); }},
  };
  for (const Case& board : boards) {
    for (const auto& [name, exchange] : exchanges) {
      link.board = BoardMonitor{};
      board.arrange(link);
      recorder.notices.clear();
      const int64_t start = link.now_us;
      const ComResult result = exchange(*this);
      EXPECT_FALSE(result.ok) << board.name << " / " << name;
      EXPECT_TRUE(result.receive.empty()) << board.name << " / " << name;
      ASSERT_EQ(recorder.notices.size(), 1u) << board.name << " / " << name;
      EXPECT_EQ(recorder.notices[0].text, MSG_LINK_FAILED);
      EXPECT_EQ(recorder.notices[0].caption, "警告");
      EXPECT_LT(link.now_us - start, 15'000'000) << board.name << " / " << name;
    }
  }
}

TEST_F(ComExchange, NoDocumentIsSaidInsteadOfWriting) {
  EXPECT_FALSE(com_write_program({}).ok);
  EXPECT_FALSE(com_verify_program({}).ok);
  EXPECT_EQ(texts(), (std::vector<std::string>{COM_NO_PROGRAM, COM_NO_PROGRAM}));
  EXPECT_EQ(link.host_sent, "");
}

TEST_F(OneClick, TheDialogsPortOpeningSaysWhenNoBoardPortAnswers) {
  link.modem_ok = false;
  EXPECT_FALSE(reopen_link_for_dialog());
  EXPECT_EQ(g_port_open, 0);
  EXPECT_EQ(texts(), std::vector<std::string>{MSG_NO_COM_LINK});
  EXPECT_EQ(link.open_ports, 0);
  link.modem_ok = true;
  EXPECT_TRUE(reopen_link_for_dialog());
  EXPECT_EQ(g_port_open, 1);
  EXPECT_EQ(link.open_ports, 1);
}

// The receive box says what the link is: the port did not open, the board answers, or
// the port is open and the board is silent. Each exchange that fails says so too.
TEST_F(OneClick, TheDialogsOpeningSaysWhatTheLinkIs) {
  struct Case {
    const char* name;
    std::function<void(SimulatedLink&)> arrange;
    ComLinkState state;
    const char* text;
  };
  const Case cases[] = {
      {"answering board", [](SimulatedLink&) {}, ComLinkState::ON, COM_LINK_ON},
      {"silent board", [](SimulatedLink& l) { l.board.silent = true; }, ComLinkState::SILENT, COM_BOARD_SILENT},
      {"no serial port", [](SimulatedLink& l) { l.modem_ok = false; }, ComLinkState::CLOSED, COM_LINK_CLOSED},
  };
  for (const Case& c : cases) {
    link = SimulatedLink{};
    reset_serial_state();
    g_com_number = BOARD_SLOT;
    c.arrange(link);
    const int64_t start = link.now_us;
    EXPECT_EQ(com_open_link(), c.state) << c.name;
    EXPECT_STREQ(com_link_state_text(c.state), c.text) << c.name;
    EXPECT_LT(link.now_us - start, 1'100'000) << c.name;
    // The greeting executes nothing on the board.
    EXPECT_EQ(link.board.commands, 0) << c.name;
  }
  EXPECT_STREQ(com_link_state_text(ComLinkState::FAILED), COM_LINK_BROKEN);
}

TEST_F(ComExchange, AFailedExchangeSaysTheLinkFailed) {
  link.board.silent = true;
  EXPECT_TRUE(com_send_command("R").link_failed);
  EXPECT_TRUE(com_write_program(text).link_failed);
  EXPECT_TRUE(com_verify_program(text).link_failed);
  EXPECT_TRUE(com_read_program().link_failed);
  EXPECT_FALSE(com_write_program({}).link_failed);  // no document: not the link
}

// A program whose listing is longer than one 4096-byte reply is read back whole, pasted
// whole (with its END line) and verified.
TEST_F(ComExchange, ALongProgramIsReadBackPastedAndVerifiedWhole) {
  for (int lines : {401, MAX_LISTING_LINES}) {
    MnemonicText program = make_mnemonic_text(lines + 1);
    for (int n = 0; n + 1 < lines; ++n) set_line_statement(program[static_cast<size_t>(n)], n % 2 ? "OUT     Y0" : "LD      X0");
    set_line_statement(program[static_cast<size_t>(lines - 1)], "END");
    set_end_line(program[static_cast<size_t>(lines)]);
    ASSERT_TRUE(com_write_program(program).ok) << lines;
    ASSERT_GT(link.board.listing().size(), static_cast<size_t>(REPLY_TEXT_SIZE));

    const ComResult listing = com_read_program();
    ASSERT_TRUE(listing.ok) << lines;
    EXPECT_TRUE(listing.whole) << lines;
    MnemonicText pasted = make_mnemonic_text();  // a mnemonic window's document
    SavedText saved_text = make_saved_text();
    TextSpan pasted_span = pasted;
    EXPECT_EQ(com_paste_listing(listing.receive, pasted_span, saved_text), lines) << lines;
    EXPECT_EQ(statement_of(pasted[static_cast<size_t>(lines - 1)]), "END\n");
    EXPECT_EQ(find_end_line(pasted), lines - 1);
    EXPECT_TRUE(is_end_line(pasted[static_cast<size_t>(lines)]));
    EXPECT_EQ(text_differs_from_saved(pasted, saved_text), 0);
    EXPECT_EQ(com_verify_program(program).receive, MSG_VERIFY_OK) << lines;
    EXPECT_TRUE(recorder.notices.empty()) << lines;
  }
}

// The frame's own text grows to hold a longer listing; a text that cannot hold it is left
// as it was, unchanged and with its saved copy, and the user is told.
TEST_F(ComExchange, APasteLongerThanTheTextGrowsTheFramesTextOrIsRefused) {
  std::string listing;
  for (int n = 1; n <= 200; ++n) listing += std::to_string(n) + (n < 200 ? " NOP\r\n" : " END\r");

  ASSERT_EQ(run_one_click_write(request, host), OneClickEnd::WRITTEN);
  ASSERT_TRUE(mnemonic_text_is_frame_owned());
  recorder.notices.clear();
  ASSERT_LT(g_mnemonic_text.size(), 201u);
  TextSpan target = g_mnemonic_text;
  EXPECT_EQ(com_paste_listing(listing, target, {}), 200);
  EXPECT_EQ(target.data(), g_mnemonic_text.data());
  EXPECT_TRUE(mnemonic_text_is_frame_owned());
  EXPECT_GE(g_mnemonic_text.size(), 201u);
  EXPECT_EQ(statement_of(g_mnemonic_text[199]), "END\n");
  EXPECT_TRUE(is_end_line(g_mnemonic_text[200]));
  EXPECT_TRUE(recorder.notices.empty());

  // A window's document of 20 lines: refused.
  MnemonicText document = make_mnemonic_text(20);
  set_line_statement(document[0], "LD X7");
  set_end_line(document[1]);
  SavedText document_saved = make_saved_text(20);
  copy_text_to_saved(document, document_saved, nullptr);
  TextSpan document_span = document;
  EXPECT_EQ(com_paste_listing(listing, document_span, document_saved), -2);
  EXPECT_EQ(texts(), std::vector<std::string>{MSG_PASTE_TOO_LONG});
  EXPECT_EQ(statement_of(document[0]), "LD X7\n");
  EXPECT_EQ(text_differs_from_saved(document, document_saved), 0);
}

// A board listing more lines than any program can have is shown as far as it was read,
// with a message, and is never offered for pasting.
TEST_F(ComExchange, AListingLongerThanAnyProgramIsNotReadWhole) {
  for (int n = 1; n <= MAX_LISTING_LINES + 5; ++n) link.board.program[n] = "NOP";
  const ComResult listing = com_read_program();
  EXPECT_TRUE(listing.ok);
  EXPECT_FALSE(listing.whole);
  EXPECT_EQ(texts(), std::vector<std::string>{MSG_LISTING_TOO_LONG});
}

}  // namespace
