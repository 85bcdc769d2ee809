#include "shell/file_replace.h"

#include <cstdio>

WriteNotice save_refusal_notice(GateVerdict verdict, const std::string& path) {
  if (is_read_only_refusal(verdict)) return {MSG_TARGET_READ_ONLY, path};
  if (verdict == GateVerdict::NOT_OPENED) return {MSG_TARGET_NOT_OPENED, path};
  return {MSG_TARGET_CANNOT_OPEN, path};
}

std::string cut_lines_question(const std::string& lines) {
  char text[1024];
  std::snprintf(text, sizeof text,
                "長すぎて切った行があります（%s行目）。\n元のファイルに上書きすると、切った部分は失われます。\n上書きしますか？",
                lines.c_str());
  return text;
}
