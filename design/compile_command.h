// The design screen's compile command (ラダー => ﾆｰﾓﾆｯｸ変換, Ctrl+F11) as a sequence that
// needs no window: the refusals and questions, the compile into the project's files
// (shell/compile_chain.h, the same chain the frame's one-click write runs), the read-back
// of the operation file and the frame's conversion to mnemonics. What it needs of the
// windows comes through DesignCompileHost; the messages go through show_notice.
#pragma once

#include <functional>
#include <string>

#include "core/ladder_model.h"
#include "shell/compile_chain.h"

struct DesignCompileHost {
  std::function<void()> reset_design_modes;
  std::function<void(const char* text)> status;
  std::function<bool()> other_windows_open;       // monitor, mnemonic or further document windows
  // Closes them; false when one of them refused (Cancel at its save question): the compile
  // then stops, and no file under that window is rewritten.
  std::function<bool()> close_other_windows;
  std::function<void()> close_screen_dialogs;     // slots 0 and 1 of the current screen's row
  std::function<int()> query_modified;            // CMD_QUERY_MODIFIED to the main design window
  std::function<bool(const std::string& path)> file_exists;
  std::function<void()> open_compile_errors;      // the compile-error list
  std::function<void()> repaint_designs;
  std::function<int()> convert_to_mnemonic;       // the frame's 1193: 0 when it made the text
  std::function<void()> clear_main_selection;     // range off, row mark cleared
};

struct DesignCompileRequest {
  void* owner = nullptr;          // owner of the compiler's own questions
  bool main_exists = false;       // the main design window is open
  GridSpan grid;                  // its grid and saved copy
  GridSpan saved_copy;
  std::string project_name;       // g_project_name ("新規" for a design never named)
  ProjectFiles files;
  std::string view_path;          // the main window's path (caption of the memory messages)
  std::string open_path;          // the frame's current file path (caption of the read-back messages)
  DocumentMarks design_marks;     // the main window's marks (opened read-only)
};

enum class DesignCompileEnd {
  NO_MAIN_DESIGN,      // "最初のファイル以外コンパイル出来ません！"
  UNNAMED,             // "新しい名前で保存してからにして下さい！"
  KEPT_WINDOWS,        // Cancel to "開かれているNICファイル等を閉じます！", or a window kept its edits
  NOT_FORCED,          // Cancel to "回路上の変更が有りませんが\n強行しますか？"
  UNSUPPORTED_BRANCH,  // the compile stopped without a read-back
  NOT_WRITTEN,         // a file of the set was refused or could not be written: the command stops
  NOT_READ_BACK,       // no operation file to read back
  NOT_CONVERTED,       // the frame made no mnemonic text
  CONVERTED,           // the operation file read back and converted to mnemonics
};
struct DesignCompileResult {
  DesignCompileEnd end = DesignCompileEnd::NO_MAIN_DESIGN;
  CompileStep step = CompileStep::WRITTEN;  // how the compile phase ended (when it ran)
  bool compiled = false;                    // the compile phase ran
};

DesignCompileResult run_design_compile(const DesignCompileRequest& request, const DesignCompileHost& host);

inline constexpr char MSG_COMPILE_UNNAMED[] = "新しい名前で保存してからにして下さい！";
inline constexpr char MSG_COMPILE_NO_MAIN[] = "最初のファイル以外コンパイル出来ません！";
inline constexpr char MSG_COMPILE_CLOSE_OTHERS[] = "開かれているNICファイル等を閉じます！";
inline constexpr char MSG_COMPILE_UNCHANGED[] = "回路上の変更が有りませんが\n強行しますか？";
inline constexpr char UNNAMED_PROJECT[] = "新規";
