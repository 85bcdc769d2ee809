// The design screen's compile command (ラダー => ﾆｰﾓﾆｯｸ変換, Ctrl+F11) as a sequence that
// needs no window: the refusals and questions, the compile into the project's files
// (shell/compile_chain.h, the same chain the frame's one-click write runs), the read-back
// of the operation file and the frame's conversion to mnemonics. What it needs of the
// windows comes through the compile chain's CompileHost; the messages go through show_notice.
#pragma once

#include <functional>
#include <string>

#include "core/ladder_model.h"
#include "shell/compile_chain.h"

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
  KEPT_WINDOWS,        // Cancel to MSG_CLOSE_OTHERS, or a window kept its edits
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

// The command uses every slot of the host; the other screens it closes are the monitor and
// mnemonic windows and the further document windows.
DesignCompileResult run_design_compile(const DesignCompileRequest& request, const CompileHost& host);

inline constexpr char MSG_COMPILE_UNNAMED[] = "新しい名前で保存してからにして下さい！";
inline constexpr char MSG_COMPILE_UNCHANGED[] = "回路上の変更が有りませんが\n強行しますか？";
inline constexpr char UNNAMED_PROJECT[] = "新規";
