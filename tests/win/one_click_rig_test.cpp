// The frame's one-click write and the COM communication dialog end to end: the real frame,
// a design window holding a sample design, the real Win32 comm calls under Wine, and the
// board simulator on a pty that a COM port is mapped to (scripts/test.d/60-one-click-e2e.sh
// sets it up). Without the rig every test is skipped.
//
// The rig passes, in the environment:
//   TAVOLIN_RIG_SLOT          the COM number of a board that answers (paced at 9600 baud)
//   TAVOLIN_RIG_SILENT_SLOT   a board that answers nothing
//   TAVOLIN_RIG_GARBLED_SLOT  a board that echoes one character wrong
//   TAVOLIN_RIG_HEARTBEAT_SLOT a board that answers every command with a byte every 0.2 s,
//                             never its prompt (its heartbeat)
//   TAVOLIN_RIG_STATE         the Unix path of the answering board's state file
//   TAVOLIN_RIG_RECEIVED      the Unix path of the file of every byte it received
//   TAVOLIN_RIG_ASCII_ONLY    1 when the answering board takes only printable ASCII: it
//                             neither echoes nor keeps a byte above 0x7E
//   TAVOLIN_RIG_SHOT_SUFFIX   added to the names of the screenshots
#include "core/ladder_model.h"  // before <windows.h>, which defines OUT

#include "win/bars_frame.h"

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "core/design_file.h"
#include "core/mnemonic_text.h"
#include "design/design_window_win.h"
#include "shell/view_state.h"
#include "board/com_dialog.h"
#include "board/com_dialog_win.h"
#include "shell/command_ids.h"
#include "shell/command_routing_win.h"
#include "shell/compile_chain.h"
#include "frame/frame_win.h"
#include "frame/one_click.h"
#include "shell/path_parts.h"
#include "shell/settings_file.h"
#include "shell/text_win.h"
#include "shell/window_lists.h"
#include "support/board_listing.h"
#include "target/board_link.h"
#include "target/monitor_protocol.h"
#include "target/serial_port.h"
#include "win/rig_helper.h"

namespace {

int env_number(const char* name) {
  const char* value = std::getenv(name);
  return value ? std::atoi(value) : 0;
}
std::string env_text(const char* name) {
  const char* value = std::getenv(name);
  return value ? value : "";
}

// A file of the simulator, through Wine's Z: drive.
std::string unix_file(const char* variable) { return read_file_bytes(cp932_to_wide("Z:" + env_text(variable))); }

std::string wide_to_text(const std::wstring& wide) {
  std::string text;
  wide_to_cp932(wide, text);
  return text;
}

std::string dialog_text(HWND dialog, int id) {
  std::wstring text(static_cast<size_t>(GetWindowTextLengthW(GetDlgItem(dialog, id))) + 1, L'\0');
  text.resize(static_cast<size_t>(GetDlgItemTextW(dialog, id, text.data(), static_cast<int>(text.size()))));
  return wide_to_text(text);
}

void click(HWND dialog, int id) {
  SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
  pump_messages();
}

bool ascii_board() { return env_number("TAVOLIN_RIG_ASCII_ONLY") == 1; }

std::string shot(const char* name) { return name + env_text("TAVOLIN_RIG_SHOT_SUFFIX"); }

// The numbered lines a board holds after the program of a mnemonic file: "n w1 w2" each,
// or the printable ASCII of them on a board that keeps nothing else.
std::string listing_of(const std::string& nic) {
  return board_listing::listing_of(nic, board_listing::Comments::WHOLE_LINE_SENT, [](std::string& a, std::string& b) {
    if (!ascii_board()) return;
    std::stringstream kept(ascii_part(a + " " + b));
    a.clear();
    b.clear();
    kept >> a >> b;
  });
}

// The lines of a mnemonic file whose sent words (a whole-line comment's ';' and its text)
// hold a byte above 0x7E: a 7-bit board takes them by their ASCII part only.
int high_byte_lines(const std::string& nic) {
  std::stringstream in(nic);
  std::string line;
  std::string a;
  std::string b;
  int lines = 0;
  while (std::getline(in, line) && board_listing::sent_words(line, board_listing::Comments::WHOLE_LINE_SENT, a, b))
    if (ascii_part(a + b) != a + b) ++lines;
  return lines;
}

// A real message box with the text and style the program showed, photographed and closed
// again: the screenshot shows what the user saw.
std::string g_shot_name;
std::string g_shot_png;
void CALLBACK shoot_box(HWND, UINT, UINT_PTR id, DWORD) {
  KillTimer(nullptr, id);
  g_shot_png = save_screenshot(g_shot_name);
  if (HWND box = find_visible_dialog()) PostMessageW(box, WM_COMMAND, IDOK, 0);
}
std::string photograph_box(const ShownMessageBox& box, const std::string& name) {
  g_shot_name = name;
  g_shot_png.clear();
  SetTimer(nullptr, 0, 800, shoot_box);
  MessageBoxW(box.owner, box.text.c_str(), box.caption.c_str(), box.style);
  return g_shot_png;
}

int64_t now_us() {
  LARGE_INTEGER frequency, count;
  QueryPerformanceFrequency(&frequency);
  QueryPerformanceCounter(&count);
  return count.QuadPart * 1'000'000 / frequency.QuadPart;
}

class OneClickRig : public bars_test::BarsFrame {
 protected:
  void SetUp() override {
    BarsFrame::SetUp();
    if (env_number("TAVOLIN_RIG_SLOT") <= 0) GTEST_SKIP() << "no board simulator (run scripts/test.d/60-one-click-e2e.sh)";
    g_guide_flags = {0, 0, 0, 0};
    reset_serial_state();
  }
  void TearDown() override {
    if (HWND dialog = com_dialog()) DestroyWindow(dialog);
    reset_serial_state();
    release_read_back();
    release_frame_mnemonic_text();
    g_mnemonic_text = {};
    BarsFrame::TearDown();
  }

  // Opens the sample design `name` (tests/data/one_click/<name>.MBS, copied into the
  // test's folder) with the frame's open command: it becomes the project and its window
  // the main design window.
  void open_design(const std::string& name, const std::string& from = std::string(TAVOLIN_TEST_DATA) + "/one_click") {
    const std::wstring file = folder_->file(cp932_to_wide(name + ".MBS"));
    write_file_bytes(file, read_file_bytes(cp932_to_wide(from + "/" + name + ".MBS")));
    dialogs_->choose(wide_to_text(file));
    SendMessageW(frame, WM_COMMAND, CMD_OPEN_DESIGN, 0);
    pump_messages();
    design = as_hwnd(g_design_windows[0]);
    ASSERT_NE(design, nullptr);
    grid = design_grid_of(design);
    saved = design_saved_copy_of(design);
    view = reinterpret_cast<ViewState*>(GetWindowLongPtrW(design, CHILD_EXTRA_VIEW_STATE));
    ASSERT_NE(grid, nullptr);
    ASSERT_NE(saved, nullptr);
    ASSERT_NE(view, nullptr);
    base = std::string(g_project_drive) + g_project_dir + g_project_name;
  }

  void use_board(const char* slot_variable) {
    reset_serial_state();
    g_com_number = env_number(slot_variable);
    g_port_open = 0;
  }

  // The texts of the message boxes shown so far.
  std::vector<std::string> shown() const {
    std::vector<std::string> texts;
    for (const ShownMessageBox& box : boxes_->shown()) texts.push_back(wide_to_text(box.text));
    return texts;
  }

  std::string project_file(const char* extension) const { return read_file_bytes(cp932_to_wide(base + extension)); }

  std::string base;  // the project's drive, folder and name
  LadderGrid* grid = nullptr;
  LadderGrid* saved = nullptr;
  ViewState* view = nullptr;
  HWND design = nullptr;
};

TEST_F(OneClickRig, TheSampleDesignIsSavedCompiledAndWrittenIntoTheBoard) {
  open_design("PUMP");
  use_board("TAVOLIN_RIG_SLOT");
  for (int i = 0; i < 3; ++i) boxes_->answer(IDOK);
  SendMessageW(frame, WM_COMMAND, CMD_WRITE_LADDER, 0);
  pump_messages();
  ASSERT_EQ(shown(), (std::vector<std::string>{MSG_ONE_CLICK_NOTICE, "SEQ to NICが終了しました", MSG_PROGRAM_WRITTEN}));
  EXPECT_EQ(wide_to_text(boxes_->shown().back().caption), std::string(view->path));

  const std::string nic = project_file(".NIC");
  ASSERT_NE(nic.find("; START"), std::string::npos) << nic;
  const std::string listing = listing_of(nic);
  ASSERT_FALSE(listing.empty());
  // The board holds exactly the numbered lines, and the download ended with the line count.
  EXPECT_EQ(unix_file("TAVOLIN_RIG_STATE"), "running=0\n" + listing);
  const int lines = static_cast<int>(std::count(listing.begin(), listing.end(), '\n'));
  std::string expected_bytes;
  std::stringstream in(listing);
  for (std::string line; std::getline(in, line);) expected_bytes += line + "\r";
  expected_bytes += 'N';
  expected_bytes += std::to_string(lines + 1);
  expected_bytes += '\r';
  const std::string received = unix_file("TAVOLIN_RIG_RECEIVED");
  ASSERT_GE(received.size(), expected_bytes.size());
  EXPECT_EQ(received.substr(received.size() - expected_bytes.size()), expected_bytes);
  EXPECT_EQ(g_port_open, 1);
  // The design shows no unsaved change afterwards.
  ASSERT_EQ(saved->size(), grid->size());
  for (size_t r = 0; r < grid->size(); ++r)
    for (int c = 0; c < ROW_CELLS; ++c) {
      ASSERT_EQ((*saved)[r].cell[c].word[0], (*grid)[r].cell[c].word[0]) << r << " " << c;
      ASSERT_EQ((*saved)[r].cell[c].word[1], (*grid)[r].cell[c].word[1]) << r << " " << c;
    }
  EXPECT_EQ(SendMessageW(design, WM_COMMAND, CMD_QUERY_MODIFIED, 0), 0);
}

TEST_F(OneClickRig, OnlyADesignWindowWritesTheBoard) {
  open_design("PUMP");
  use_board("TAVOLIN_RIG_SLOT");
  HWND other = create_document_window(bars_test::CHILD_CLASS, L"  other");
  ASSERT_NE(other, nullptr);
  SendMessageW(g_mdi_client, WM_MDIACTIVATE, reinterpret_cast<WPARAM>(other), 0);
  pump_messages();
  const std::string design_file = project_file(".MBS");
  SendMessageW(frame, WM_COMMAND, CMD_WRITE_LADDER, 0);
  pump_messages();
  EXPECT_TRUE(shown().empty());
  EXPECT_EQ(project_file(".MBS"), design_file);
  EXPECT_TRUE(project_file(".SEQ").empty());
}

struct BadBoard {
  const char* name;
  const char* slot_variable;
};

TEST_F(OneClickRig, ASilentOrGarblingBoardEndsWithTheFailureMessageOnly) {
  const BadBoard boards[] = {{"silent", "TAVOLIN_RIG_SILENT_SLOT"}, {"wrong echo", "TAVOLIN_RIG_GARBLED_SLOT"}};
  open_design("PUMP");
  for (const BadBoard& board : boards) {
    use_board(board.slot_variable);
    boxes_->answer(IDOK);
    boxes_->answer(IDOK);
    boxes_->answer(IDOK);
    const size_t before = boxes_->shown().size();
    const int64_t start = now_us();
    SendMessageW(frame, WM_COMMAND, CMD_WRITE_LADDER, 0);
    pump_messages();
    const int64_t elapsed_ms = (now_us() - start) / 1000;
    const std::vector<std::string> all = shown();
    const std::vector<std::string> texts(all.begin() + static_cast<std::ptrdiff_t>(before), all.end());
    EXPECT_EQ(texts, (std::vector<std::string>{MSG_ONE_CLICK_NOTICE, "SEQ to NICが終了しました", MSG_LINK_FAILED}))
        << board.name;
    EXPECT_LT(elapsed_ms, 20000) << board.name;
    std::printf("[ figure   ] %s board: the one-click write gave up after %lld ms\n", board.name,
                static_cast<long long>(elapsed_ms));
  }
}

// A board with a heartbeat: it echoes each line and then sends a byte every 0.2 s and never
// its prompt, so no read comes back empty. The write gives up on its time and ends with the
// link's failure message only.
TEST_F(OneClickRig, ABoardWithAHeartbeatEndsTheWriteWithTheFailureMessage) {
  open_design("PUMP");
  use_board("TAVOLIN_RIG_HEARTBEAT_SLOT");
  for (int i = 0; i < 3; ++i) boxes_->answer(IDOK);
  const int64_t start = now_us();
  SendMessageW(frame, WM_COMMAND, CMD_WRITE_LADDER, 0);
  pump_messages();
  EXPECT_EQ(shown(), (std::vector<std::string>{MSG_ONE_CLICK_NOTICE, "SEQ to NICが終了しました", MSG_LINK_FAILED}));
  std::printf("[ figure   ] heartbeat board: the one-click write gave up after %lld ms\n",
              static_cast<long long>((now_us() - start) / 1000));
}

// The dialog over the answering board: opening, verify, read-back (No, then Yes), run and
// stop, and a write, with screenshots while it writes and after.
TEST_F(OneClickRig, TheComDialogVerifiesReadsBackRunsStopsAndWrites) {
  open_design("LONG");
  use_board("TAVOLIN_RIG_SLOT");
  for (int i = 0; i < 3; ++i) boxes_->answer(IDOK);
  const size_t received_before = unix_file("TAVOLIN_RIG_RECEIVED").size();
  const int64_t start = now_us();
  SendMessageW(frame, WM_COMMAND, CMD_WRITE_LADDER, 0);
  pump_messages();
  const int64_t one_click_us = now_us() - start;
  ASSERT_EQ(shown().back(), MSG_PROGRAM_WRITTEN);
  {
    // The line-time bound: every byte of the download once, at 9600 baud.
    const size_t sent = unix_file("TAVOLIN_RIG_RECEIVED").size() - received_before;
    const double bound_us = static_cast<double>(sent) * 1041.7;
    std::printf("[ figure   ] one-click write of %d lines: %.0f ms, %zu bytes sent, line-time bound %.0f ms, ratio %.2f\n",
                count_text_lines(g_mnemonic_text), one_click_us / 1000.0, sent, bound_us / 1000.0,
                one_click_us / bound_us);
  }

  SendMessageW(frame, WM_COMMAND, CMD_COM_DIALOG, 0);
  pump_messages();
  HWND dialog = com_dialog();
  ASSERT_NE(dialog, nullptr);
  EXPECT_EQ(wide_to_text([&] {
              wchar_t caption[64] = L"";
              GetWindowTextW(dialog, caption, 64);
              return std::wstring(caption);
            }()),
            COM_DIALOG_CAPTION);
  EXPECT_EQ(dialog_text(dialog, ComControl::RECEIVE_BOX), COM_LINK_ON);
  EXPECT_EQ(dialog_text(dialog, ComControl::WRITE), "ﾆｰﾓﾆｯｸ\n書込み");
  EXPECT_EQ(g_port_open, 1);
  save_screenshot(shot("com_dialog_open"));

  click(dialog, ComControl::VERIFY);
  EXPECT_EQ(dialog_text(dialog, ComControl::SEND_BOX), "L");
  EXPECT_EQ(dialog_text(dialog, ComControl::RECEIVE_BOX), "Verify OK");

  // Read back, answered No: the listing stays in the receive box, the text is unchanged.
  const std::string board_listing = unix_file("TAVOLIN_RIG_STATE").substr(std::strlen("running=0\n"));
  const std::string first_statement = g_mnemonic_text[0].statement;
  boxes_->answer(IDNO);
  click(dialog, ComControl::READ_BACK);
  EXPECT_EQ(wide_to_text(boxes_->shown().back().text), COM_PASTE_QUESTION);
  std::string shown_listing = dialog_text(dialog, ComControl::RECEIVE_BOX);
  std::string expected_listing;
  for (char c : board_listing) expected_listing += c == '\n' ? std::string("\r\n") : std::string(1, c);
  EXPECT_EQ(shown_listing.substr(0, 20), expected_listing.substr(0, 20));
  EXPECT_EQ(std::string(g_mnemonic_text[0].statement), first_statement);
  // Yes: the board's lines become the text, without their numbers.
  boxes_->answer(IDYES);
  click(dialog, ComControl::READ_BACK);
  std::stringstream board_lines(board_listing);
  for (int i = 0; i < 3; ++i) {
    std::string line;
    std::getline(board_lines, line);
    EXPECT_EQ(std::string(g_mnemonic_text[static_cast<size_t>(i)].statement), line.substr(line.find(' ') + 1) + "\n");
  }

  click(dialog, ComControl::RUN);
  EXPECT_EQ(dialog_text(dialog, ComControl::SEND_BOX), "R");
  EXPECT_EQ(unix_file("TAVOLIN_RIG_STATE").substr(0, 10), "running=1\n");
  click(dialog, ComControl::STOP);
  EXPECT_EQ(dialog_text(dialog, ComControl::SEND_BOX), "^C");
  EXPECT_EQ(dialog_text(dialog, ComControl::RECEIVE_BOX), "\r\n\r\n>");
  EXPECT_EQ(unix_file("TAVOLIN_RIG_STATE").substr(0, 10), "running=0\n");

  // A write, pictured while the board takes the lines and after it.
  std::atomic<bool> pictured{false};
  std::thread camera([&] {
    Sleep(300);
    pictured = !save_screenshot(shot("com_dialog_writing")).empty();
  });
  click(dialog, ComControl::WRITE);
  camera.join();
  EXPECT_TRUE(pictured);
  EXPECT_EQ(dialog_text(dialog, ComControl::SEND_BOX), COM_WRITING);
  EXPECT_EQ(dialog_text(dialog, ComControl::RECEIVE_BOX), "\r\n Write OK!");
  save_screenshot(shot("com_dialog_written"));

  click(dialog, ComControl::CLOSE);
  EXPECT_EQ(com_dialog(), nullptr);
  EXPECT_EQ(g_dialog_slots[0][0], 0u);
  EXPECT_EQ(g_port_open, 1);  // closing the dialog leaves the link as it was
}

// The sample design of the guide, whose whole-line comments are Shift-JIS: written by the
// one-click command, then verified and read back in the COM dialog, on a board that keeps
// every byte and on one that keeps only printable ASCII (the rig runs both).
TEST_F(OneClickRig, TheSampleWithJapaneseCommentsIsWrittenVerifiedAndReadBack) {
  open_design("SAMPLE1", std::string(TAVOLIN_TEST_DATA) + "/../../resources/samples");
  use_board("TAVOLIN_RIG_SLOT");
  for (int i = 0; i < 3; ++i) boxes_->answer(IDOK);
  SendMessageW(frame, WM_COMMAND, CMD_WRITE_LADDER, 0);
  pump_messages();
  const std::string nic = project_file(".NIC");
  ASSERT_TRUE(std::any_of(nic.begin(), nic.end(), [](char c) { return static_cast<uint8_t>(c) > 0x7E; }));
  // The 7-bit board took the Shift-JIS comments by their ASCII part: the end message says
  // so on its second line, and verify under "Verify OK".
  const int ascii_lines = ascii_board() ? high_byte_lines(nic) : 0;
  ASSERT_TRUE(!ascii_board() || ascii_lines > 0);
  const std::string written_note = ascii_lines > 0 ? "\n" + ascii_comment_note(MSG_ASCII_COMMENTS_WRITTEN, ascii_lines) : "";
  const std::string verified_note = ascii_lines > 0 ? "\r\n" + ascii_comment_note(MSG_ASCII_COMMENTS_VERIFIED, ascii_lines) : "";
  ASSERT_EQ(shown().back(), MSG_PROGRAM_WRITTEN + written_note);
  EXPECT_FALSE(photograph_box(boxes_->shown().back(), shot("one_click_sample_written")).empty());
  // The board's stored lines are the program's (their ASCII part on a 7-bit board).
  const std::string listing = listing_of(nic);
  const std::string stored = unix_file("TAVOLIN_RIG_STATE").substr(std::strlen("running=0\n"));
  EXPECT_EQ(stored, listing);
  std::printf("[ board    ] %s board holds %zu lines; the first: %s\n", ascii_board() ? "7-bit" : "8-bit",
              static_cast<size_t>(std::count(stored.begin(), stored.end(), '\n')), stored.substr(0, stored.find('\n')).c_str());

  SendMessageW(frame, WM_COMMAND, CMD_COM_DIALOG, 0);
  pump_messages();
  HWND dialog = com_dialog();
  ASSERT_NE(dialog, nullptr);
  EXPECT_EQ(dialog_text(dialog, ComControl::RECEIVE_BOX), COM_LINK_ON);
  click(dialog, ComControl::VERIFY);
  EXPECT_EQ(dialog_text(dialog, ComControl::RECEIVE_BOX), "Verify OK" + verified_note);
  save_screenshot(shot("com_dialog_sample_verified"));
  boxes_->answer(IDNO);
  click(dialog, ComControl::READ_BACK);
  std::string expected_listing;
  for (char c : stored) expected_listing += c == '\n' ? std::string("\r\n") : std::string(1, c);
  expected_listing.resize(expected_listing.size() - 1);  // the line end before the prompt goes
  EXPECT_EQ(dialog_text(dialog, ComControl::RECEIVE_BOX), expected_listing);
  save_screenshot(shot("com_dialog_sample_read_back"));
}

// A program longer than one 4096-byte reply, written, verified and read back whole through
// the dialog.
TEST_F(OneClickRig, TheComDialogWritesVerifiesAndReadsBackALongProgram) {
  use_board("TAVOLIN_RIG_SLOT");
  SendMessageW(frame, WM_COMMAND, CMD_COM_DIALOG, 0);
  pump_messages();
  HWND dialog = com_dialog();
  ASSERT_NE(dialog, nullptr);
  constexpr int LINES = 400;
  MnemonicText program = make_mnemonic_text(LINES + 1);
  for (int n = 0; n + 1 < LINES; ++n)
    set_line_statement(program[static_cast<size_t>(n)], n % 2 ? "OUT     Y1" : "LD      X0");
  set_line_statement(program[LINES - 1], "END");
  set_end_line(program[LINES]);
  MnemonicText document = make_mnemonic_text();
  g_mnemonic_text = program;
  click(dialog, ComControl::WRITE);
  ASSERT_EQ(dialog_text(dialog, ComControl::RECEIVE_BOX), "\r\n Write OK!");
  const std::string stored = unix_file("TAVOLIN_RIG_STATE").substr(std::strlen("running=0\n"));
  // The listing the board sends, with its CR LF line ends, is longer than one 4096-byte reply.
  ASSERT_GT(stored.size() + LINES, static_cast<size_t>(REPLY_TEXT_SIZE));
  click(dialog, ComControl::VERIFY);
  EXPECT_EQ(dialog_text(dialog, ComControl::RECEIVE_BOX), "Verify OK");
  save_screenshot(shot("com_dialog_long_verified"));
  g_mnemonic_text = document;
  boxes_->answer(IDYES);
  click(dialog, ComControl::READ_BACK);
  EXPECT_EQ(wide_to_text(boxes_->shown().back().text), COM_PASTE_QUESTION);
  EXPECT_EQ(find_end_line(document), LINES - 1);
  EXPECT_TRUE(is_end_line(document[LINES]));
  EXPECT_EQ(std::string(document[1].statement), "OUT Y1\n");
  const std::string shown_listing = dialog_text(dialog, ComControl::RECEIVE_BOX);
  EXPECT_EQ(static_cast<int>(std::count(shown_listing.begin(), shown_listing.end(), '\n')), LINES - 1);
  save_screenshot(shot("com_dialog_long_read_back"));
  g_mnemonic_text = {};
}

// A silent board, one that echoes wrong and one with a heartbeat (its answers never end):
// every exchange of the dialog fails with the link's message.
TEST_F(OneClickRig, TheComDialogReportsASilentGarblingOrHeartbeatBoard) {
  open_design("PUMP");
  use_board("TAVOLIN_RIG_SLOT");
  for (int i = 0; i < 3; ++i) boxes_->answer(IDOK);
  SendMessageW(frame, WM_COMMAND, CMD_WRITE_LADDER, 0);
  pump_messages();
  ASSERT_EQ(shown().back(), MSG_PROGRAM_WRITTEN);

  const BadBoard boards[] = {{"silent", "TAVOLIN_RIG_SILENT_SLOT"},
                             {"wrong echo", "TAVOLIN_RIG_GARBLED_SLOT"},
                             {"heartbeat", "TAVOLIN_RIG_HEARTBEAT_SLOT"}};
  for (const BadBoard& board : boards) {
    g_com_number = env_number(board.slot_variable);
    const bool beating = board.slot_variable == std::string("TAVOLIN_RIG_HEARTBEAT_SLOT");
    SendMessageW(frame, WM_COMMAND, CMD_COM_DIALOG, 0);
    pump_messages();
    HWND dialog = com_dialog();
    ASSERT_NE(dialog, nullptr);
    const bool silent = board.slot_variable == std::string("TAVOLIN_RIG_SILENT_SLOT");
    // The receive box says what the link is: a silent board is no link; a board that
    // answers the greeting is, until an exchange fails.
    ASSERT_EQ(dialog_text(dialog, ComControl::RECEIVE_BOX), silent ? COM_BOARD_SILENT : COM_LINK_ON);
    if (!beating) save_screenshot(shot(silent ? "com_dialog_silent_open" : "com_dialog_garbled_open"));
    for (int id : {ComControl::VERIFY, ComControl::WRITE, ComControl::RUN}) {
      boxes_->answer(IDOK);
      const size_t before = boxes_->shown().size();
      click(dialog, id);
      ASSERT_EQ(boxes_->shown().size(), before + 1) << board.name << " " << id;
      EXPECT_EQ(wide_to_text(boxes_->shown().back().text), MSG_LINK_FAILED) << board.name << " " << id;
      EXPECT_EQ(dialog_text(dialog, ComControl::RECEIVE_BOX), COM_LINK_BROKEN) << board.name << " " << id;
    }
    save_screenshot(shot(silent ? "com_dialog_silent_failed" : beating ? "com_dialog_heartbeat_failed" : "com_dialog_garbled_failed"));
    if (silent) {
      click(dialog, ComControl::STOP);
      EXPECT_EQ(dialog_text(dialog, ComControl::RECEIVE_BOX), "");
    }
  }
}

TEST_F(OneClickRig, TheComCommandWithoutABoardPortSaysSoAndKeepsTheDialog) {
  use_board("TAVOLIN_RIG_SLOT");
  g_com_number = 12;  // mapped to nothing
  boxes_->answer(IDOK);
  SendMessageW(frame, WM_COMMAND, CMD_COM_DIALOG, 0);
  pump_messages();
  EXPECT_EQ(shown(), std::vector<std::string>{MSG_NO_COM_LINK});
  EXPECT_NE(com_dialog(), nullptr);
  EXPECT_EQ(g_port_open, 0);
}

}  // namespace
