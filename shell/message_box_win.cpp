#include "shell/message_box_win.h"

#include <utility>

#include "core/notice.h"
#include "shell/frame_handles_win.h"
#include "shell/text_win.h"

namespace {
MessageBoxHandler& handler() {
  static MessageBoxHandler h;
  return h;
}
}  // namespace

int show_message_box(HWND owner, const char* text, const char* caption, UINT style) {
  const std::wstring wide_text = cp932_to_wide(text ? text : "");
  const std::wstring wide_caption = cp932_to_wide(caption ? caption : "");
  if (handler()) return handler()(owner, wide_text, wide_caption, style);
  return MessageBoxW(owner, wide_text.c_str(), wide_caption.c_str(), style);
}

void set_message_box_handler(MessageBoxHandler h) { handler() = std::move(h); }

void install_core_notice_handler() {
  set_notice_handler([](void* owner, const char* text, const char* caption, unsigned style) {
    return show_message_box(owner ? static_cast<HWND>(owner) : g_frame, text, caption, style);
  });
}
