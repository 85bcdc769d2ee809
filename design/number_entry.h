// The number entry dialog's own logic: its modes and run counter, the next number of a
// consecutive run, whether OK may store into the cursor cell at all, and the soft keypad's
// edits of the text in an edit box. The store itself is the operand entry's
// (design/operand_entry.h); the dialog procedure (number_dialog_win.cpp) applies it.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "core/ladder_model.h"
#include "shell/view_state.h"

// Control ids of the number entry dialog and of the keypad it shares with the search and
// replace dialogs.
namespace NumberDialogId {
inline constexpr int MODE_NUMBER = 651;       // 番号
inline constexpr int MODE_CONSECUTIVE = 653;  // 連続
inline constexpr int MODE_COPY = 654;         // 複写
inline constexpr int MODE_EMPTY = 655;        // 空番
inline constexpr int KEEP_COMMENT = 561;      // ｺﾒﾝﾄ残
inline constexpr int CHANGE_SAME = 562;       // 同番変
inline constexpr int LABEL = 670;
inline constexpr int EDIT = 717;
inline constexpr int EDIT_718 = 718;
inline constexpr int LIST = 700;
inline constexpr int LIST_701 = 701;
inline constexpr int END_RUN = 704;           // 連続-END (CMD_NUMBER_END_RUN)
inline constexpr int MOVE_DIALOG = 586;       // IDC_MOVE_DIALOG: "v"
inline constexpr int KEY_LEFT = 1371;
inline constexpr int KEY_RIGHT = 1372;
inline constexpr int KEY_CLEAR = 1373;
inline constexpr int KEY_SPACE = 1374;
inline constexpr int KEY_BACKSPACE = 1376;
inline constexpr int KEY_DELETE = 1377;
}  // namespace NumberDialogId

// The keypad key that types `c` (a digit or an upper-case letter), and back: a digit key
// is 0x507 plus the digit's code, a letter key 0x500 plus the letter's code.
constexpr int keypad_id_of_char(char c) { return c >= '0' && c <= '9' ? 0x507 + c : 0x500 + c; }
// The character a keypad id types, 0 when the id is no character key of the keypad
// (digits 0-9, A-F, H-M, P and R-Y).
char keypad_char_of_id(int id);

// Modes of the dialog (g_number_mode): the checked radio's id minus 651.
namespace NumberEntryMode {
inline constexpr int NUMBER = 0;
inline constexpr int CONSECUTIVE = 2;
inline constexpr int COPY = 3;
inline constexpr int EMPTY = 4;
}  // namespace NumberEntryMode

// The program-wide state of the dialog. Only the two option boxes survive closing.
struct NumberEntryState {
  int mode = NumberEntryMode::NUMBER;          // g_number_mode
  int mode_button = NumberDialogId::MODE_NUMBER;  // g_number_mode_button
  int count = 0;                               // g_number_entry_count: stores of the current run
  bool keep_comment = false;                   // g_number_keep_comment_flag
  bool change_same_numbers = false;            // g_change_same_numbers

  void open();                   // the dialog opens: number mode, no run
  void close();                  // the dialog closes
  void choose_mode(int button);  // a mode radio was clicked: the run ends
  // 連続-END: ends a run; in the empty mode the dialog goes back to the number mode.
  // True when the number radio is to be checked again.
  bool end_run();
  bool in_run() const { return count != 0 && mode >= NumberEntryMode::CONSECUTIVE; }
};
extern NumberEntryState g_number_entry;

inline constexpr char NEXT_NUMBER_STATUS[] = "左クリックで画面上の次ぎの接点を指定して下さい";
inline constexpr char NO_CONSECUTIVE_MESSAGE[] = "この場合、連続の番号設定は出来ません！";
inline constexpr char NUMBER_WARNING_CAPTION[] = "警告";

// OK does nothing on a cell crossed by a line that also holds a part, unless it carries
// the U mark.
bool number_store_allowed(uint32_t cell_word0);

// The text a consecutive run puts into the edit box after a store.
struct NextNumber {
  enum Kind {
    READY,    // `text` is the next number
    REFUSED,  // NO_CONSECUTIVE_MESSAGE; the store stays, the run does not go on
    STOP,     // a P label: the run stops without a message
  } kind = REFUSED;
  std::string text;
};

// The next number after `stored` (the text just stored into the cursor cell of `grid`
// at the view's cursor, as the store left it): a contact or coil's device plus one, or
// the operand of a SET, RST, PLS, PLF or SFT box plus one, each in the radix its reader
// uses for that letter.
NextNumber next_number(ConstGridSpan grid, const ViewState& view, std::string_view stored);

// The soft keypad's edits of an edit box's text with the caret at `caret` (a character
// index). The text is taken cut to KEYPAD_TEXT_LIMIT characters; a caret further than
// KEYPAD_CARET_STEPS from the start leaves everything as it is. Each edit returns the new
// text and caret; `changed` is false when nothing was to be done.
inline constexpr int KEYPAD_TEXT_LIMIT = 79;
inline constexpr int KEYPAD_CARET_STEPS = 51;
struct KeypadEdit {
  std::u16string text;
  int caret = 0;
  bool changed = false;
};
KeypadEdit keypad_text_insert(std::u16string_view text, int caret, char16_t c);
KeypadEdit keypad_text_backspace(std::u16string_view text, int caret);
KeypadEdit keypad_text_delete(std::u16string_view text, int caret);
