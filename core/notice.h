// How the core tells the user something. The core never calls a window function: it
// hands each notice (text, caption, buttons) to the handler that the program installs
// (message boxes in the Win32 program, a recorder in tests) and gets the answer back.
#pragma once

#include <functional>

// Button and icon styles; the values are those of the Win32 message box, so the
// program's handler passes them through unchanged.
namespace NoticeStyle {
inline constexpr unsigned OK = 0x0;
inline constexpr unsigned OK_CANCEL = 0x1;
inline constexpr unsigned YES_NO_CANCEL = 0x3;
inline constexpr unsigned YES_NO = 0x4;
inline constexpr unsigned ICON_ERROR = 0x10;
inline constexpr unsigned ICON_QUESTION = 0x20;
inline constexpr unsigned ICON_WARNING = 0x30;
inline constexpr unsigned ICON_INFORMATION = 0x40;
}  // namespace NoticeStyle

// Answers, with the Win32 values.
namespace NoticeAnswer {
inline constexpr int OK = 1;
inline constexpr int CANCEL = 2;
inline constexpr int YES = 6;
inline constexpr int NO = 7;
}  // namespace NoticeAnswer

// text and caption are CP932 byte strings. `owner` is an opaque window handle the
// caller passes through (nullptr: no owner).
using NoticeHandler = std::function<int(void* owner, const char* text, const char* caption, unsigned style)>;

// Installs the handler (an empty one restores the default, which answers OK, or YES
// for a yes/no question, without showing anything).
void set_notice_handler(NoticeHandler handler);
int show_notice(const char* text, const char* caption, unsigned style, void* owner = nullptr);
