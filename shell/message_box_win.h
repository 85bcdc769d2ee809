// Every message box of the program goes through here. The texts are CP932; they are
// turned into the UTF-16 that the user sees before anything else happens, so a test
// that answers the box in place of the user reads exactly what the box would show.
#pragma once

#include "target/windows_api.h"

#include <functional>
#include <string>

// Shows a message box (MessageBoxW) and returns the button chosen (IDOK, IDCANCEL...).
int show_message_box(HWND owner, const char* text, const char* caption, UINT style);

// A stand-in for the real box: gets the converted texts and returns the answer.
using MessageBoxHandler =
    std::function<int(HWND owner, const std::wstring& text, const std::wstring& caption, UINT style)>;
// Installs the stand-in; an empty handler brings the real box back.
void set_message_box_handler(MessageBoxHandler handler);

// The core's notices (core/notice.h) become message boxes, owned by the frame when the
// core names no owner.
void install_core_notice_handler();
