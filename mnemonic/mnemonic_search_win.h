// The mnemonic branch of the search and replace dialogs: what their OK does when the
// current screen is the mnemonic screen, on the active mnemonic window (taken afresh at
// every call), and the mnemonic window's search command.
#pragma once

#include <string_view>

#include "shell/windows_api.h"

// One search step for `word` in `mode` (g_search_mode) in the active mnemonic window:
// 0 when the caret moved to a match (the window repaints), 15 otherwise (the miss is
// reported, owned by `dialog`).
int search_in_active_text(HWND dialog, std::string_view word, int mode);
// The interactive replace of `old_text` by `new_text` in the active mnemonic window;
// an undo snapshot of the main document is taken when anything was replaced. Returns 1
// when anything was replaced, else 0.
int replace_in_active_text(HWND dialog, std::string_view old_text, std::string_view new_text, int mode);

// The search dialog belongs to the dialogs' own module, which installs the opener: it
// creates "SchDialog" or "SchisDialog" (as g_search_dialog_variant says), owned by the
// window, and returns it. Without one the search command opens nothing.
using MnemonicSearchDialogOpener = HWND (*)(HWND window);
void set_mnemonic_search_dialog_opener(MnemonicSearchDialogOpener opener);
// The search command (1117) of a mnemonic window: the mode command's closing and reset,
// then the dialog into slot 0 of the current screen's row with field 717 emptied and
// focused. Returns the dialog or null.
HWND open_mnemonic_search_dialog(HWND window);
// A click in search mode (1117) or replace mode (1115) while a dialog is open in slot 0:
// the word at the caret goes into the dialog's field 717 (replace mode also empties field
// 718 and tells the other windows). True when the click was such a click.
bool feed_caret_word_to_dialog(HWND window, HWND dialog);
