// The one-click write of the design toolbar ("ラダー書込み"): save the design, compile it
// into the project's files, read the operation file back, convert it to mnemonics and
// write the program into the board, with every question and message on the way.
//
// The sequence runs without a window: what it needs of the windows (closing the other
// screens, the compile-error list, repaints, the status text, the conversion to
// mnemonics the frame carries out) comes through the compile chain's CompileHost, so the
// whole command is tested natively over the simulated board.
#pragma once

#include <functional>
#include <string>

#include "core/ladder_model.h"
#include "shell/compile_chain.h"

// The window the command was given in.
struct OneClickView {
  bool is_design_window = false;  // the active window is a design window ("massfl", "motofl")
  bool second_file = false;       // a view of a file other than the project's
  bool read_only = false;
  std::string path;               // its file
  std::string title;              // its title ("新規.MBS" for an unnamed design)
  GridSpan grid;                  // its grid
};

// The main design window, when there is one.
struct OneClickMain {
  bool exists = false;
  GridSpan grid;
  GridSpan saved_copy;
  std::string open_path;          // the path of its open-file record
};

enum class OneClickEnd {
  NOT_A_DESIGN_WINDOW,  // refused without a word
  REFUSED,              // second file, read-only or unnamed, or a file the gate refused
  NOT_SAVED,            // the design could not be saved
  NO_MAIN_DESIGN,
  CANCELLED,            // the user kept the other screens open, or a window kept its edits
  UNSUPPORTED_BRANCH,
  COMPILE_FAILED,       // the compile phase ended early: MSG_NOTHING_WRITTEN, nothing is read
                        // back, converted or written into the board
  NOT_READ_BACK,
  NOT_CONVERTED,        // the conversion to mnemonics failed: nothing is written into the board
  NO_LINK,              // MSG_NO_COM_LINK (target/board_link.h)
  WRITE_FAILED,         // the board did not take the program ("通信が成立していません！", or
                        // MSG_STATEMENT_NOT_ASCII for a statement a 7-bit board cannot hold)
  WRITTEN,              // "プログラムの書き込み処理が終了しました。" (and, on a line of its own,
                        // MSG_ASCII_COMMENTS_WRITTEN when comments went by their ASCII part)
};

struct OneClickRequest {
  OneClickView view;
  OneClickMain main;
  ProjectFiles files;
};

// Of the host's slots, query_modified and file_exists are not used; the other screens it
// closes are the monitor and mnemonic windows.
OneClickEnd run_one_click_write(const OneClickRequest& request, const CompileHost& host);

inline constexpr char MSG_ONE_CLICK_NOTICE[] = "ファイルの保存から変換、書き込み作業を実行します。\n";
inline constexpr char MSG_SECOND_FILE[] = "メイン･ファイル以外は保存出来ません！";
inline constexpr char MSG_READ_ONLY[] = "読取り専用ファイルです";
inline constexpr char MSG_UNNAMED[] = "名前付けて保存して下さい！";
inline constexpr char MSG_NOTHING_WRITTEN[] = "コンパイルが出来なかったため、\nボードには何も書き込んでいません！";
inline constexpr char MSG_PROGRAM_WRITTEN[] = "プログラムの書き込み処理が終了しました。";
inline constexpr char UNNAMED_DESIGN_TITLE[] = "新規.MBS";
inline constexpr char CAPTION_MESSAGE[] = "メッセージ";
