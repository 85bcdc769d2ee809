// The design window's own commands, the rules that need no window: how the tool and mode
// buttons switch on and off, what the number dialog is filled with, what Enter does, the
// refusals of Save, the path Save As writes, and which way a continued search runs.
// design/design_commands_win.cpp asks these and applies their answers.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "core/ladder_model.h"
#include "shell/view_state.h"
#include "shell/mode_flags.h"

// ---- Tool and mode buttons -----------------------------------------------------------------
// What a command does before it runs: nothing, or erase the cursor span, clear the line
// marker, close the dialogs in slots 0-3 and show "READY" (ALL), or the same without
// erasing the cursor span (KEEP_CURSOR).
enum class ModePreparation { NONE, ALL, KEEP_CURSOR };
ModePreparation mode_preparation(int id);

// The commands refused while another screen's toolbar is shown (1101-1148).
bool is_tool_guarded(int id);

// How a command switches the tool and mode flags.
struct ModeSwitch {
  bool applies = false;        // the command switches modes at all
  bool switched_off = false;   // the checked button was pressed again: every flag 0,
                               // the button unchecked, status parts 1-6 emptied
  bool reset_range_submode = false;  // 1134: g_range_submode := 0
  int indicators = 0;          // 1134 or 1135: show that mode's sub-mode indicators
  bool reset_modes = false;    // reset_design_modes (every button unchecked, every flag 0)
  int flag_id = 0;             // the flag set to 1 afterwards (0: none)
  bool check_button = false;   // its toolbar button is checked too
};
// `current_flag` is the command's own flag before the switch.
ModeSwitch switch_design_mode(int id, int32_t current_flag);
// Applies a switch to the flags alone (the window does the buttons and the status bar).
void apply_mode_switch(const ModeSwitch& change, ModeFlags& flags);

// ---- Number entry (1114) ----------------------------------------------------------------------
struct NumberEntryFill {
  bool fill = false;          // edit 717 gets `text`
  std::string text;           // CP932
  bool move_cursor = false;   // the cursor goes to (row, col) first
  int row = 0;
  int col = 0;
};
// The cursor in the margin of a labelled row gives the label ("P12", or "P" for a label
// without number); otherwise a selected cell moves the cursor to itself (column 11 for the
// first and middle cells of a box, the middle operand of a comparison and the TIM/CNT coil
// cell) and gives its text.
NumberEntryFill number_entry_fill(ConstGridSpan grid, const ViewState& view);

// ---- Enter (IDOK) ---------------------------------------------------------------------------------
enum class EnterAction {
  NONE,
  CLOSE_DIALOG,     // WM_CLOSE to the first open dialog of slots 0-3
  NUMBER_DIALOG,    // open "BanDialog"; edit 717 := the cell's text when `fill_text`
  FUNCTION_DIALOG,  // open "FuncDialog" and drop down its combo box
  BLANK_ROW,        // blank-line mode: click the cursor cell, then cursor_row + 1
};
struct EnterDecision {
  EnterAction action = EnterAction::NONE;
  bool fill_text = false;
};
// `dialog_open`: a dialog sits in slot 0, 1, 2 or 3 of the current screen's row.
// `number_mode`: g_number_mode of the number dialog (0 numbers).
EnterDecision enter_action(ConstGridSpan grid, const ViewState& view, const ModeFlags& flags, bool dialog_open,
                           int number_mode);

// ---- Save (1213) and Save As (1214) ---------------------------------------------------------------
inline constexpr char UNNAMED_DESIGN[] = "新規.MBS";
enum class SaveRefusal {
  NONE,
  NOT_MAIN_FILE,  // "メイン･ファイル以外は保存出来ません！" (警告)
  READ_ONLY,      // "読取り専用ファイルです" (the path)
  UNNAMED,        // "名前付けて保存して下さい！" (警告)
};
SaveRefusal save_refusal(const ViewState& view);

// The path Save As writes: the chosen path as it is, or drive + directory + name + ".MBS"
// when the chosen name has no extension. Empty when it does not fit a path buffer.
std::string save_as_target(std::string_view chosen);
// The name the save dialog opens with: the drive and directory of the current path, the
// project name and the current extension; a doubled backslash in the directory becomes one.
std::string save_as_prefill(std::string_view current_path, std::string_view project_name);

// ---- Continued search (1238, 1239) --------------------------------------------------------------
enum class ContinuedSearchAction { NONE, DEVICE, INSTRUCTION };
struct ContinuedSearch {
  ContinuedSearchAction action = ContinuedSearchAction::NONE;
  int search_mode = 0;  // g_search_mode for the search
};
// Alt+F10 (1238) searches the device upwards (mode 1), Alt+F5 (1239) downwards with one
// wrap (mode 2); in the instruction mode (4) Alt+F5 finds the next use of the instruction
// and Alt+F10 does nothing.
ContinuedSearch continued_search(int id, int search_mode);

// A device text as the ladder draws it: an X, Y, B or R device numbered below 0x10 gets its
// second hexadecimal digit ("X1" becomes "X01"). Any other text comes back as it is. The
// replace dialog's prefilled device reads as the user sees it on the ladder.
std::string as_ladder_shows(std::string_view device);

// ---- Messages ------------------------------------------------------------------------------------
inline constexpr char MSG_TOOLBAR_MISMATCH[] = "左上のﾂｰﾙ･ﾊﾞｰで、ｱｸﾃｨﾌﾞ画面と\nﾂｰﾙ･ﾊﾞｰを適合させて下さい！";
inline constexpr char MSG_NOT_MAIN_FILE[] = "メイン･ファイル以外は保存出来ません！";
inline constexpr char MSG_READ_ONLY_FILE[] = "読取り専用ファイルです";
inline constexpr char MSG_SAVE_UNNAMED[] = "名前付けて保存して下さい！";
inline constexpr char MSG_CANNOT_WRITE[] = "ファイルが開けません\n共用をチェックして下さい";
inline constexpr char MSG_SAVE_FAILED[] = "ファイル保存に失敗しました！";
inline constexpr char MSG_OVERWRITTEN[] = "ファイルが上書きされました！";
inline constexpr char MSG_SAVED_NEW_NAME[] = "ファイルが新しい名前で保存されました！";
inline constexpr char MSG_FILE_EXISTS[] = "同一ファイル名が存在していますが、\n強行しますか？";
inline constexpr char MSG_SEARCH_STATUS[] = "同一接点番号をサーチします。alt+f5, alt+f10で連続サーチができます。";
inline constexpr char CAPTION_WARNING_DESIGN[] = "警告";
inline constexpr char CAPTION_CONFIRM_DESIGN[] = "確認";
