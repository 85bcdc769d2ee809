// The COM dialog's read-back and send box over the simulated board (in this process, behind
// the serial port layer): the paste takes the receive box whole and only when every
// character of it has a CP932 form; a listing that broke off is never offered for pasting.
#include "core/ladder_model.h"  // before <windows.h>, which defines OUT

#include "win/bars_frame.h"

#include <functional>
#include <string>
#include <vector>

#include "board/com_dialog.h"
#include "board/com_dialog_win.h"
#include "core/current_mnemonic_text.h"
#include "core/mnemonic_text.h"
#include "shell/command_ids.h"
#include "shell/message_box_win.h"
#include "shell/text_win.h"
#include "support/board_simulator.h"
#include "target/monitor_protocol.h"
#include "target/serial_port.h"

namespace {

constexpr int BOARD_SLOT = 3;

std::string box_text(HWND dialog, int id) {
  std::wstring text(static_cast<size_t>(GetWindowTextLengthW(GetDlgItem(dialog, id))) + 1, L'\0');
  text.resize(static_cast<size_t>(GetDlgItemTextW(dialog, id, text.data(), static_cast<int>(text.size()))));
  std::string narrow;
  wide_to_cp932(text, narrow);
  return narrow;
}

void click(HWND dialog, int id) {
  SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
  pump_messages();
}

class ComDialog : public bars_test::BarsFrame {
 protected:
  void SetUp() override {
    BarsFrame::SetUp();
    reset_serial_state();
    set_port_opener(link.opener_for("\\\\.\\COM3"));
    g_com_number = BOARD_SLOT;
    document = make_mnemonic_text(64);
    saved = make_saved_text(64);
    set_line_statement(document[0], "LD      X7");
    set_line_statement(document[1], "END");
    set_end_line(document[2]);
    copy_text_to_saved(document, saved, nullptr);
    g_mnemonic_text = document;
    g_mnemonic_saved_text = saved;
    // Every message box is recorded; the paste question runs `at_question` and answers Yes.
    set_message_box_handler([this](HWND, const std::wstring& text, const std::wstring& caption, UINT) {
      std::string narrow;
      wide_to_cp932(text, narrow);
      shown.push_back(narrow);
      wide_to_cp932(caption, narrow);
      captions.push_back(narrow);
      narrow = shown.back();
      if (narrow == COM_PASTE_QUESTION) {
        if (at_question) at_question();
        return IDYES;
      }
      return IDOK;
    });
    command(CMD_COM_DIALOG);
    pump_messages();
    dialog = com_dialog();
    ASSERT_NE(dialog, nullptr);
    ASSERT_EQ(box_text(dialog, ComControl::RECEIVE_BOX), COM_LINK_ON);
  }
  void TearDown() override {
    if (HWND open = com_dialog()) DestroyWindow(open);
    g_mnemonic_text = {};
    g_mnemonic_saved_text = {};
    reset_serial_state();
    set_port_opener({});
    BarsFrame::TearDown();
  }

  SimulatedLink link;
  MnemonicText document;
  SavedText saved;
  HWND dialog = nullptr;
  std::vector<std::string> shown;
  std::vector<std::string> captions;
  std::function<void()> at_question;
};

// The user typed a character without a CP932 form into the receive box before Yes: the
// paste is refused with a message and the document stays as it was, unchanged.
TEST_F(ComDialog, AReceiveBoxThatDoesNotConvertIsRefusedAndTheDocumentStays) {
  link.board.program = {{1, "LD X0"}, {2, "OUT Y0"}, {3, "END"}};
  for (const wchar_t* typed : {L"\u00E9", L"\U0001F600", L"\u20AC"}) {
    shown.clear();
    at_question = [&] {
      std::wstring box(static_cast<size_t>(GetWindowTextLengthW(GetDlgItem(dialog, ComControl::RECEIVE_BOX))) + 1, L'\0');
      box.resize(static_cast<size_t>(GetDlgItemTextW(dialog, ComControl::RECEIVE_BOX, box.data(), static_cast<int>(box.size()))));
      box.insert(box.find(L"LD X0") + 5, typed);
      SetDlgItemTextW(dialog, ComControl::RECEIVE_BOX, box.c_str());
    };
    click(dialog, ComControl::READ_BACK);
    EXPECT_EQ(shown, (std::vector<std::string>{COM_PASTE_QUESTION, MSG_PASTE_NOT_CP932}));
    EXPECT_STREQ(document[0].statement, "LD      X7\n");
    EXPECT_STREQ(document[1].statement, "END\n");
    EXPECT_TRUE(is_end_line(document[2]));
    EXPECT_EQ(text_differs_from_saved(document, saved), 0);
  }
  // The same box, as the board sent it: pasted.
  shown.clear();
  at_question = nullptr;
  click(dialog, ComControl::READ_BACK);
  EXPECT_EQ(shown, std::vector<std::string>{COM_PASTE_QUESTION});
  EXPECT_STREQ(document[0].statement, "LD X0\n");
  EXPECT_STREQ(document[2].statement, "END\n");
  EXPECT_TRUE(is_end_line(document[3]));
}

// A listing whose comments are Shift-JIS is pasted whole: its END line and the last
// comment are there, each double-byte character whole.
TEST_F(ComDialog, AListingWithJapaneseCommentsIsPastedWhole) {
  const std::string comment = "; \x83\x7C\x83\x93\x83\x76\x82\xCC\x8E\x6E\x93\xAE";  // "; ポンプの始動"
  for (int n = 1; n <= 20; ++n) link.board.program[n] = n % 2 ? comment : "LD X0";
  link.board.program[21] = "END";
  click(dialog, ComControl::READ_BACK);
  EXPECT_EQ(shown, std::vector<std::string>{COM_PASTE_QUESTION});
  for (int i = 0; i < 20; ++i) EXPECT_EQ(std::string(document[static_cast<size_t>(i)].statement), (i % 2 ? "LD X0" : comment) + "\n") << i;
  EXPECT_STREQ(document[20].statement, "END\n");
  EXPECT_TRUE(is_end_line(document[21]));
  EXPECT_EQ(text_differs_from_saved(document, saved), 0);
}

// A listing that fell silent after a '>' inside a line is shown as far as it came, with the
// cut message; the paste is never offered and the document stays as it was.
TEST_F(ComDialog, AListingThatBrokeOffIsShownButNeverPasted) {
  link.board.raw_answer = "\r\n1 LD X0\r\n2 ; a>";
  link.board.prompt = false;
  click(dialog, ComControl::READ_BACK);
  EXPECT_EQ(shown, std::vector<std::string>{MSG_LISTING_CUT});
  EXPECT_EQ(box_text(dialog, ComControl::RECEIVE_BOX), "1 LD X0\r\n2 ; a>");
  EXPECT_STREQ(document[0].statement, "LD      X7\n");
  EXPECT_EQ(text_differs_from_saved(document, saved), 0);
}

// A send box with a character that has no CP932 form sends nothing.
TEST_F(ComDialog, ASendBoxThatDoesNotConvertSendsNothing) {
  link.host_sent.clear();
  SetDlgItemTextW(dialog, ComControl::SEND_BOX, L"R\u00E9");
  click(dialog, ComControl::SEND);
  EXPECT_EQ(shown, std::vector<std::string>{MSG_SEND_NOT_CP932});
  EXPECT_EQ(link.host_sent, "");
  SetDlgItemTextW(dialog, ComControl::SEND_BOX, L"R");
  click(dialog, ComControl::SEND);
  EXPECT_EQ(link.host_sent, "R\r");
  EXPECT_TRUE(link.board.running);
}

// On a board that keeps only printable ASCII the receive box says, under "Verify OK" and
// "Write OK!", that comments went by their ASCII part.
TEST_F(ComDialog, TheReceiveBoxSaysWhenCommentsWentByTheirAsciiPart) {
  link.board.ascii_only = true;
  set_line_statement(document[0], "; \x82\xA0\x82\xA2");
  set_line_statement(document[1], "LD      X7");
  set_line_statement(document[2], "END");
  set_end_line(document[3]);
  click(dialog, ComControl::WRITE);
  EXPECT_EQ(box_text(dialog, ComControl::RECEIVE_BOX), std::string(MSG_WRITE_OK) + "\r\n" + ascii_comment_note(MSG_ASCII_COMMENTS_WRITTEN, 1));
  click(dialog, ComControl::VERIFY);
  EXPECT_EQ(box_text(dialog, ComControl::RECEIVE_BOX), std::string(MSG_VERIFY_OK) + "\r\n" + ascii_comment_note(MSG_ASCII_COMMENTS_VERIFIED, 1));
  save_screenshot("com_dialog_verified_ascii_part");
  EXPECT_TRUE(shown.empty());
}

// The receive box as the board sent it is pasted as the board's own bytes: a character that
// has two Shift-JIS forms (纊 as 0xED40 and 0xFA5C, ≒ as 0x8790 and 0x81E0) comes back from
// the box's UTF-16 in the other form, which is not what the board holds.
TEST_F(ComDialog, AnUneditedReceiveBoxPastesTheBoardsOwnBytes) {
  const std::string comment = "; \xED\x40\x87\x90";
  link.board.program = {{1, comment}, {2, "LD X0"}, {3, "END"}};
  click(dialog, ComControl::READ_BACK);
  EXPECT_EQ(shown, std::vector<std::string>{COM_PASTE_QUESTION});
  EXPECT_EQ(std::string(document[0].statement), comment + "\n");
  EXPECT_STREQ(document[1].statement, "LD X0\n");
  EXPECT_STREQ(document[2].statement, "END\n");
  EXPECT_TRUE(is_end_line(document[3]));
  EXPECT_EQ(text_differs_from_saved(document, saved), 0);
  // Verify compares the board's bytes with the pasted ones.
  click(dialog, ComControl::VERIFY);
  EXPECT_EQ(box_text(dialog, ComControl::RECEIVE_BOX), MSG_VERIFY_OK);
}

// A receive box the user edited before Yes is pasted as it is, and the paste is a change of
// the document: it is not what the board holds, and closing the window asks about it.
TEST_F(ComDialog, AnEditedReceiveBoxIsPastedAsItIsAndCountsAsAChange) {
  link.board.program = {{1, "LD X0"}, {2, "OUT Y0"}, {3, "END"}};
  at_question = [&] {
    const std::string box = box_text(dialog, ComControl::RECEIVE_BOX);
    const auto at = static_cast<WPARAM>(box.find("X0") + 1);
    HWND edit = GetDlgItem(dialog, ComControl::RECEIVE_BOX);
    SendMessageW(edit, EM_SETSEL, at, static_cast<LPARAM>(at + 1));
    SendMessageW(edit, EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(L"9"));
  };
  click(dialog, ComControl::READ_BACK);
  EXPECT_EQ(shown, std::vector<std::string>{COM_PASTE_QUESTION});
  EXPECT_STREQ(document[0].statement, "LD X9\n");
  EXPECT_STREQ(document[1].statement, "OUT Y0\n");
  EXPECT_STREQ(document[2].statement, "END\n");
  EXPECT_TRUE(is_end_line(document[3]));
  EXPECT_EQ(text_differs_from_saved(document, saved), 1);
}

// With no mnemonic screen to paste into, the listing is shown and the paste is not offered.
TEST_F(ComDialog, AReadBackWithNoMnemonicScreenShowsTheListingAndSaysSo) {
  link.board.program = {{1, "LD X0"}, {2, "OUT Y0"}, {3, "END"}};
  g_mnemonic_text = {};
  g_mnemonic_saved_text = {};
  click(dialog, ComControl::READ_BACK);
  EXPECT_EQ(shown, std::vector<std::string>{MSG_NO_PASTE_SCREEN});
  EXPECT_EQ(captions, std::vector<std::string>{CAPTION_WARNING});
  EXPECT_EQ(std::string(MSG_NO_PASTE_SCREEN), "貼り付けるﾆｰﾓﾆｯｸ画面が有りません！");
  EXPECT_EQ(std::string(CAPTION_WARNING), "警告");
  EXPECT_EQ(box_text(dialog, ComControl::RECEIVE_BOX), "1 LD X0\r\n2 OUT Y0\r\n3 END\r");
  EXPECT_STREQ(document[0].statement, "LD      X7\n");
  EXPECT_EQ(text_differs_from_saved(document, saved), 0);
}

}  // namespace
