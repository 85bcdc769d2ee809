// Searching and replacing whole words in a mnemonic text, without any window.
//
// A word is a run of printable ASCII characters other than the blank (0x21-0x7E); it
// ends at a blank, a line feed, a ';' or any other character. A double-byte character is
// never part of a word (its trail byte may look printable), and everything after a ';'
// is a comment that is never searched. Words are compared without regard to case.
//
// The search and replace dialogs call these on the mnemonic screen: search_in_text for
// one search step, replace_in_text for an interactive replace. Their messages go through
// show_notice (core/notice.h) with the owners the caller passes; what the window has to
// do after a step (scroll, caret, repaint, tell the other windows) comes back as
// MnemonicEffects.
#pragma once

#include <functional>
#include <string>
#include <string_view>

#include "core/ladder_model.h"
#include "mnemonic/mnemonic_editor.h"
#include "mnemonic/mnemonic_view.h"

// Search directions and kinds (the values of g_search_mode).
namespace SearchMode {
inline constexpr int DOWN = 0;
inline constexpr int UP = 1;
inline constexpr int DOWN_WRAP = 2;
inline constexpr int OUTPUTS = 3;      // not offered on the mnemonic screen
inline constexpr int INSTRUCTION = 4;  // not offered on the mnemonic screen
}  // namespace SearchMode

inline constexpr int WORD_FOUND = 0;
inline constexpr int WORD_NOT_FOUND = 15;
// The line a wrapped-around downward search continues at.
inline constexpr int WRAP_RESTART_LINE = 2;

// The characters of a line that are measured: up to its line feed, at most this many.
inline constexpr int MAX_SCANNED_LINE = 200;

// ---- Words of a line ---------------------------------------------------------------------
// Takes the next word of `line` from `column`: blanks and other non-word characters are
// skipped; starting inside a word, the word is its part from `column` on. On a word:
// view.cursor_col = its start, `word` = the word, result = the column after it. Without a
// further word: -1 when a ';' was reached or the line is empty, else the line's length.
int next_word_in_line(ConstTextSpan text, MnemonicView& view, int line, int column, std::string& word);
// The backward twin: takes the word that contains `column`, or else the nearest word
// that ends before it. On a word: view.cursor_col = its start and `word` = the word; the
// result is the column after the word before it, or -1 when it is the line's first
// word. Without any word at or before `column` (or on an empty line, or with `column`
// inside the comment) `word` is empty and the result is -1.
int previous_word_in_line(ConstTextSpan text, MnemonicView& view, int line, int column, std::string& word);

// ---- Search ------------------------------------------------------------------------------------
// Finds `word` from the caret (cursor_row, cursor_col) in `mode`; sel_row is -1 first.
//  DOWN: the words that start at or after the caret column, then the following lines up
//        to the end line. A word the caret stands inside is passed over.
//  DOWN_WRAP: as DOWN; at the end line once more from line WRAP_RESTART_LINE up to the
//        caret, then the search ends.
//  UP: the words that start before the caret column, right to left, then the earlier
//      lines from their ends up to line 0.
//  OUTPUTS, INSTRUCTION: WORD_NOT_FOUND at once.
// A match: sel_row = cursor_row = its line, sel_col = cursor_col = its start, sel_width =
// its length; WORD_FOUND. Else WORD_NOT_FOUND and the caret is where it was.
int find_word(ConstTextSpan text, MnemonicView& view, std::string_view word, int mode);

// Who owns the messages of a search or replace (opaque window handles).
struct SearchOwners {
  void* dialog = nullptr;  // the dialog in slot 0
  void* window = nullptr;  // the mnemonic window
};

// One search step of the dialog: the caret moves one column right (DOWN, DOWN_WRAP) or
// left (UP) within its line, then find_word. A match outside the lines shown scrolls to
// top_row = max(0, line - 5). OUTPUTS shows "出力ｻｰﾁは ﾆｰﾓﾆｯｸ画面ではｻﾎﾟｰﾄしていません！"
// ("警告"), a miss "見つかりません！" ("確認"), both owned by the dialog. Returns WORD_FOUND
// or WORD_NOT_FOUND; `effects` says what the window has to do.
int search_in_text(ConstTextSpan text, MnemonicView& view, std::string_view word, int mode,
                   const SearchOwners& owners, MnemonicEffects& effects);

// ---- Replace ---------------------------------------------------------------------------------
// Replaces `old_text` by `new_text` (turned to upper case) word by word, asking
// "置換えを実行しますか" (Yes/No/Cancel) at each match. The new word takes the place of the
// old one in the line; the rest of the line stays as it was. A match whose line would
// no longer fit its statement field is passed over. DOWN_WRAP replaces as DOWN: the
// restart question is the one way round the text. After a Yes the search goes on
// after the new word, after a No one column further. At the end of the text it asks
// "頭からサ－チ置換し始めますか？" once (owner the window; Yes starts again at the top of
// the text) and then ends with "置換するものが有りません！". Returns 1 when anything was
// replaced, else 0 (also when either text is empty). A new text that is not one word
// (a blank, a ';', a double-byte or control character) or that is the end line's word
// "0FFFF0" is refused with "ｵﾍﾟﾗﾝﾄﾞか、\n書式が間違っています！" ("警告") before anything is
// asked. `apply` is called after every step that moved the caret or changed a line,
// before the question is asked, so that the window shows what is asked about.
int replace_in_text(TextSpan text, MnemonicView& view, std::string_view old_text, std::string_view new_text,
                    int mode, const SearchOwners& owners, const std::function<void(const MnemonicEffects&)>& apply);

// ---- Caret word ----------------------------------------------------------------------------------
// The word at the caret for the search and replace dialogs: -1 when a ';' stands at or
// before the caret column. On a word character the whole word around the caret is
// taken (cursor_col and sel_col = its start, sel_row = cursor_row, sel_width = its
// length); elsewhere `word` is empty. Result 0.
int word_at_caret(ConstTextSpan text, MnemonicView& view, std::string& word);

// ASCII letters to upper case; other bytes (double-byte characters included) stay.
void uppercase_in_place(std::string& text);

// ---- Messages -----------------------------------------------------------------------------------
inline constexpr char MSG_OUTPUT_SEARCH_UNSUPPORTED[] = "出力ｻｰﾁは ﾆｰﾓﾆｯｸ画面ではｻﾎﾟｰﾄしていません！";
inline constexpr char MSG_WORD_NOT_FOUND[] = "見つかりません！";
inline constexpr char MSG_REPLACE_QUESTION[] = "置換えを実行しますか";
inline constexpr char MSG_REPLACE_RESTART[] = "頭からサ－チ置換し始めますか？";
inline constexpr char MSG_BAD_REPLACEMENT[] = "ｵﾍﾟﾗﾝﾄﾞか、\n書式が間違っています！";
inline constexpr char MSG_NO_WORD_TO_REPLACE[] = "置換するものが有りません！";
inline constexpr char CAPTION_SEARCH_WARNING[] = "警告";
inline constexpr char CAPTION_SEARCH_CONFIRM[] = "確認";
