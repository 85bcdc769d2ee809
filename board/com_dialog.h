// What the COM communication dialog does, without the dialog: the texts its buttons
// send, and the exchanges with the board's monitor that give the text of its receive
// box. com_dialog_win.cpp turns button presses into these calls and shows the results.
//
// Every exchange runs over the open link (slot g_com_number), synchronously; a board that
// does not echo, garbles its echo or falls silent ends it with "通信が成立していません！"
// (no receive text), never with a result.
#pragma once

#include <string>
#include <string_view>

#include "core/ladder_model.h"

// Controls of the dialog template COMDIALOG.
namespace ComControl {
inline constexpr int SEND = 1;             // default button "送信"
inline constexpr int WRITE = 1353;         // "ﾆｰﾓﾆｯｸ\n書込み"
inline constexpr int VERIFY = 1366;        // "ﾆｰﾓﾆｯｸ\nﾍﾞﾘﾌｧｲ"
inline constexpr int READ_BACK = 732;      // "ﾆｰﾓﾆｯｸ\n読込み"
inline constexpr int RUN = 1351;           // "実行"
inline constexpr int STOP = 1347;          // "STOP"
inline constexpr int RESUME = 1345;        // "再行"
inline constexpr int RESET = 1372;         // "REST"
inline constexpr int X04A = 1392;
inline constexpr int X04D = 1391;
inline constexpr int X05A = 1394;
inline constexpr int X05D = 1393;
inline constexpr int CLEAR = 1373;         // "CLR"
inline constexpr int SEND_BOX = 717;
inline constexpr int RECEIVE_BOX = 718;
inline constexpr int RECEIVE_LABEL = 671;  // "受信"
inline constexpr int CLOSE = 1212;         // "閉じる"
}  // namespace ComControl

// The command text a fixed button puts into the send box; nullptr for other ids.
const char* fixed_command_text(int id);

// The receive box's text after an exchange, or no text when it failed (the failure
// message was shown; the box keeps what it held).
struct ComResult {
  bool ok = false;
  std::string receive;
  bool link_failed = false;  // not ok because the board failed (MSG_LINK_FAILED was shown)
  bool whole = true;         // read back: the listing came whole, up to the prompt
};

// What the receive box says of the link when the dialog opens and after an exchange
// failed: the port did not open, the port is open and the board answers, the port is
// open and the board is silent, or the last exchange failed.
enum class ComLinkState { CLOSED, ON, SILENT, FAILED };
const char* com_link_state_text(ComLinkState state);
// The dialog's opening: closes the current slot, opens g_com_number and checks it
// (reopen_link_for_dialog, MSG_NO_COM_LINK on failure), then greets the board once.
ComLinkState com_open_link();

// The reply after its first LF (the echo line is not shown); the whole reply without one.
std::string reply_after_first_lf(std::string_view reply);
// Send and the fixed commands: the text (at most 99 characters) as an echoed command,
// then the reply up to the prompt.
ComResult com_send_command(const std::string& text);
// STOP: the byte 0x03 alone and the answer of one read, as it came (empty from a silent board).
std::string com_stop_program();
// Write: the program of `text`; the end answer and "\r\n Write OK!", followed by the line
// MSG_ASCII_COMMENTS_WRITTEN when the board took comments by their ASCII part only. A
// statement the board cannot hold stops the write after its message (not the link's).
ComResult com_write_program(ConstTextSpan text);
// Verify: "Verify OK", "%d行目に違いがあります！" or "正しく読み取れません". "Verify OK" is
// followed by the line MSG_ASCII_COMMENTS_VERIFIED when comments matched by their ASCII
// part only.
ComResult com_verify_program(ConstTextSpan text);
// Read back: the board's whole listing. One that is longer than any program can be, or
// that broke off before its prompt, is shown as far as it was read, after the message
// MSG_LISTING_TOO_LONG or MSG_LISTING_CUT (`whole` false): it is never pasted.
ComResult com_read_program();
// Yes to the paste question: the listing becomes `text`. A listing as the board sent it
// (`as_board_sent`) refreshes the text's saved copy, when it has one, so that the pasted
// program counts as unchanged; one the user edited in the receive box leaves the saved
// copy as it was, so that the paste counts as a change of the document. The frame's own
// text (mnemonic_text_is_frame_owned) grows to hold a longer listing and `text` then
// names the new one. The program lines stored; -1 without a
// text; -2 when the listing has more lines than the text can hold, after the message
// MSG_PASTE_TOO_LONG: nothing is pasted, the text and its saved copy stay as they were.
int com_paste_listing(std::string_view listing, TextSpan& text, SavedSpan saved, bool as_board_sent = true);

inline constexpr char COM_DIALOG_CAPTION[] = "ＣＯＭ通信";
inline constexpr char COM_LINK_ON[] = "通信中";
inline constexpr char COM_LINK_CLOSED[] = "未接続";
inline constexpr char COM_BOARD_SILENT[] = "ボードの応答が有りません";
inline constexpr char COM_LINK_BROKEN[] = "通信が成立していません";
inline constexpr char MSG_LISTING_TOO_LONG[] = "ボードのプログラムが長すぎて、\n全部は読み込めませんでした！";
inline constexpr char MSG_PASTE_TOO_LONG[] = "読み込んだプログラムが長すぎて、\n現画面に貼り付けられません！";
inline constexpr char MSG_LISTING_CUT[] = "ボードのプログラムが途中で切れていて、\n全部は読み込めませんでした！";
// A box whose text has a character without a CP932 form: nothing is taken from it.
inline constexpr char MSG_PASTE_NOT_CP932[] = "受信欄にシフトＪＩＳで表せない文字が有るため、\n現画面に貼り付けられません！";
inline constexpr char MSG_SEND_NOT_CP932[] = "送信欄にシフトＪＩＳで表せない文字が有るため、\n送信できません！";
inline constexpr char COM_WRITING[] = "書込み中！";
inline constexpr char COM_STOP_SHOWN[] = "^C";
inline constexpr char COM_LIST_COMMAND[] = "L";
inline constexpr char COM_PASTE_QUESTION[] = "読み込んだﾆｰﾓﾆｯｸ･ﾌｧｲﾙを\n現画面に貼り付けますか？";
inline constexpr char COM_NO_PROGRAM[] = "書き込むﾆｰﾓﾆｯｸ･ﾌｧｲﾙが有りません！";
// A read-back with no mnemonic document to paste into: the listing stays in the receive box.
inline constexpr char MSG_NO_PASTE_SCREEN[] = "貼り付けるﾆｰﾓﾆｯｸ画面が有りません！";
