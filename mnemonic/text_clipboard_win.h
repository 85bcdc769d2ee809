// The Windows clipboard as the mnemonic screen uses it: plain text only. The program's
// CP932 text goes on the clipboard as Unicode text (other programs read it in any
// locale; Windows offers it as ANSI text as well) and comes back as CP932, a character
// without a CP932 form becoming '?'.
#pragma once

#include "target/windows_api.h"

#include <string>
#include <string_view>

// Makes `text` the clipboard's only content. False when the clipboard could not be had.
bool put_clipboard_text(HWND owner, std::string_view text);
// The clipboard's text, empty when it holds none.
std::string get_clipboard_text(HWND owner);
// True when the clipboard holds text.
bool clipboard_has_text();
// Empties the clipboard.
void empty_clipboard(HWND owner);
