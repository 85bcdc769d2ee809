#include "core/notice.h"

#include <utility>

namespace {
NoticeHandler& handler() {
  static NoticeHandler h;
  return h;
}
}  // namespace

void set_notice_handler(NoticeHandler h) { handler() = std::move(h); }

int show_notice(const char* text, const char* caption, unsigned style, void* owner) {
  if (handler()) return handler()(owner, text, caption, style);
  unsigned buttons = style & 0xF;
  if (buttons == NoticeStyle::YES_NO || buttons == NoticeStyle::YES_NO_CANCEL) return NoticeAnswer::YES;
  return NoticeAnswer::OK;
}
