// The writers' side of the gate and the staged write (core/file_replace.h): the messages a
// refused write ends with, in the texts the user knows.
#pragma once

#include <string>

#include "core/file_replace.h"

inline constexpr char MSG_TARGET_READ_ONLY[] = "読取り専用ファイルです";
inline constexpr char MSG_TARGET_CANNOT_OPEN[] = "ファイルが開けません\n共用をチェックして下さい";
// A document whose file did not open holds nothing of that file: it is never written over it.
inline constexpr char MSG_TARGET_NOT_OPENED[] =
    "開けなかったファイルには上書き出来ません！\n名前を付けて保存して下さい";
inline constexpr char MSG_TARGET_SAVE_FAILED[] = "ファイル保存に失敗しました！";

// A message box's text and caption.
struct WriteNotice {
  std::string text;
  std::string caption;
};

// The question before a document that holds lines cut at open is written over its file:
// "長すぎて切った行があります（<lines>行目）。\n元のファイルに上書きすると、切った部分は失われます。
// \n上書きしますか？" (OK/Cancel).
std::string cut_lines_question(const std::string& lines);

// What a window's save shows when the gate refuses `path`: "読取り専用ファイルです" for the
// read-only kinds, MSG_TARGET_NOT_OPENED for a file that did not open, and "ファイルが開けません
// \n共用をチェックして下さい" for a folder, a locked file, a missing folder or a path too
// long; each with the path as caption.
WriteNotice save_refusal_notice(GateVerdict verdict, const std::string& path);
