// The mnemonic screen's compile command (ﾆｰﾓﾆｯｸ => ラダー変換) as a sequence that needs no
// window: the text of the first mnemonic window is parsed into an instruction list,
// drawn as a ladder, compiled again from that ladder, given its device comments back,
// and written as the project's operation file with the design rows after it; the
// mnemonic file is rewritten with the text, the operation file is read back and the
// frame is asked to turn it into the design file.
//
// Every stop ends the command: after a refusal or a failure no file is touched any
// further and the frame is not asked to convert. Every file of the set (the operation
// file, the mnemonic file and the design file the frame then writes) is looked at through
// the gate before any is written, with the window's marks for its own file. The files are
// written beside the old ones and both are whole before either is moved over its old file,
// so a refused or failed write keeps the previous files.
// Messages go through show_notice (core/notice.h); what the command needs of the windows
// comes through MnemonicCompileHost.
#pragma once

#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <vector>

#include "core/ladder_model.h"
#include "mnemonic/mnemonic_view.h"
#include "shell/compile_chain.h"

struct MnemonicCompileHost {
  std::function<void()> reset_design_modes;       // and "READY" in the status bar
  std::function<bool()> monitor_open;
  std::function<bool()> close_monitors;           // false when the monitor window stayed
  std::function<void()> close_screen_dialogs;     // slots 0 and 1 of the current screen's row
  std::function<void()> open_error_list;          // the parse errors of g_conversion_errors
  std::function<void()> repaint_mnemonic_windows;
  std::function<void()> convert_to_design;        // CMD_SEQ_TO_DESIGN to the frame
};

struct MnemonicCompileRequest {
  void* owner = nullptr;          // the mnemonic window: owner of the refusals
  bool first_window = false;      // the command came to the first mnemonic window, which exists
  TextSpan text;                  // its document and saved copy
  SavedSpan saved;
  std::string project_name;       // g_project_name ("新規" for a project never named)
  ProjectFiles files;
  std::string mnemonic_path;      // the window's path: the mnemonic file rewritten
  DocumentMarks marks;            // the first window's marks (opened read-only, not opened, lines cut)
  std::string view_path;          // caption of the memory message
  std::string open_path;          // the frame's current file path: caption of the question
};

enum class MnemonicCompileEnd {
  NOT_FIRST,              // "最初のファイル以外コンパイル出来ません！"
  UNNAMED,                // "新しい名前で保存してからにして下さい！"
  KEPT_MONITOR,           // Cancel to "開かれているモニター画面を閉じます！", or the monitor stayed
  NOT_FORCED,             // Cancel to "回路上の変更が有りませんが、強行しますか？"
  TARGET_REFUSED,         // a file of the set (.SEQ, .NIC, .MBS) was refused: nothing is written
  NO_MEMORY,
  PARSE_ERRORS,           // the error list was opened
  PARSE_STOPPED,          // the parser explained it, or the text holds nothing
  NO_END,                 // "ＥＮＤが有りません！"
  BUILD_FAILED,           // the list cannot be drawn as a ladder
  COMPILE_FAILED,         // the drawn ladder does not compile (or the compile was cancelled)
  OPERATION_NOT_WRITTEN,  // the .SEQ (with its design part) could not be written
  MNEMONIC_NOT_WRITTEN,   // the .NIC could not be written
  NOT_READ_BACK,          // the operation file could not be read back
  CONVERTED,              // read back and handed to the frame
};

MnemonicCompileEnd run_mnemonic_compile(const MnemonicCompileRequest& request, const MnemonicCompileHost& host);

// Records of the parse list for a text of `lines` lines: two per line (an OR comparison
// gives two) and the end record, at most MAX_INSTRUCTIONS.
int parse_list_records(int lines);
// Rows of the grid the parsed list is drawn into: a row per record and per text line,
// room for the END row, the end mark and the tidy-up, at most MAX_GRID_ROWS.
int parse_grid_rows(int lines, int records);

// ---- The error list ---------------------------------------------------------------------------
// The lines of the error list: one per parse error of g_conversion_errors, in order.
std::vector<std::string> parse_error_list_lines();
// Where the jump to the error of `word` puts the view: the caret and a highlight two
// characters wide from column 0 on the line the error names (within the text, before the
// end line); when that line is outside the lines shown, the view scrolls so that it is
// one line below the top (or as far as the text's end line allows). Returns the line.
int jump_to_parse_error(ConstTextSpan text, ViewState& view, ConversionError word);

inline constexpr char MSG_COMPILE_NOT_FIRST[] = "最初のファイル以外コンパイル出来ません！";
inline constexpr char MSG_COMPILE_NEW[] = "新しい名前で保存してからにして下さい！";
inline constexpr char MSG_CLOSE_MONITOR[] = "開かれているモニター画面を閉じます！";
inline constexpr char MSG_TEXT_UNCHANGED[] = "回路上の変更が有りませんが、強行しますか？";
inline constexpr char MSG_NO_END_LINE[] = "ＥＮＤが有りません！";
inline constexpr char MSG_STEP_USE_ERROR[] = "%dステップの\n命令の使用方にエラ－が有ります！";
inline constexpr char MSG_FILE_SAVE_FAILED[] = "ファイル保存に失敗しました！";
inline constexpr char NEW_PROJECT_NAME[] = "新規";
