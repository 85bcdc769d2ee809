// The mnemonic branch of the search and replace dialogs (design/search_dialogs_win.h): the
// text search and replace the dialogs call on the mnemonic screen, installed as their
// mnemonic hooks; the mnemonic window's search command; and the click that hands the word
// at the caret to an open dialog.
#pragma once

#include "target/windows_api.h"

struct ViewState;

// The dialogs' hooks. `text` is the window's MnemonicText; the mode is g_search_mode and
// the messages are owned by the dialog in slot 0 (the restart question by the window).
// Search: 0 when the caret moved to a match, 15 otherwise. Replace: 1 when anything was
// replaced (the dialog then has the undo snapshot taken by the push_undo hook, which
// serves the main document only).
int mnemonic_search_hook(HWND window, void* text, ViewState& view, const char* word);
int mnemonic_replace_hook(HWND window, void* text, ViewState& view, const char* old_text, const char* new_text);
void mnemonic_push_undo_hook(HWND window, void* text);
// Installs the three and the repaint of the mnemonic windows (idempotent).
void install_mnemonic_search_hooks();

// The search command (1117) of a mnemonic window: the mode command's closing and reset,
// then the search dialog into slot 0 of the current screen's row with field 717 emptied
// and focused. Returns the dialog or null.
HWND open_mnemonic_search_dialog(HWND window);
// The replace command (1115, menu 置換 and Ctrl+F4) of a mnemonic window, in the same way:
// the replace dialog, whose OK runs the text replace on the window's text.
HWND open_mnemonic_replace_dialog(HWND window);
// A click in search mode (1117) or replace mode (1115) while a dialog is open in slot 0:
// the word at the caret goes into the dialog's field 717 (replace mode also empties field
// 718 and tells the other windows). True when the click was such a click.
bool feed_caret_word_to_dialog(HWND window, HWND dialog);
