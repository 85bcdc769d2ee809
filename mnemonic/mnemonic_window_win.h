// The mnemonic window (class "nicfl"): an MDI child that shows and edits one mnemonic
// text. It holds its document (CHILD_EXTRA_DOCUMENT, a MnemonicText), its ViewState
// (CHILD_EXTRA_VIEW_STATE) and, as the first window of a file or for a new document, a
// saved copy of the text's statements for change detection (CHILD_EXTRA_SAVED_COPY, a
// SavedText). The procedure only turns messages into calls on the editor
// (mnemonic/mnemonic_editor.h) and applies what they return; opening, saving and closing
// the document are here.
#pragma once

#include "target/windows_api.h"

#include "core/ladder_model.h"
#include "shell/file_replace.h"

struct ViewState;

// The procedure of the class "nicfl", which the frame registers.
LRESULT CALLBACK nic_window_proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam);

// Invalidates every mnemonic window (the dialogs call it when they close).
void repaint_nic_windows();
// Sends CMD_SYNC_VIEW with the line (-1 = all) to every other live, not minimised
// mnemonic window of the main file.
void broadcast_mnemonic_line(HWND sender, int line);
// A window's handling of CMD_SYNC_VIEW: repaints unless the line lies out of its sight.
void repaint_if_line_visible(HWND window, const ViewState& view, int line);
// After a line was inserted (flag 1) or deleted (flag 0) at `line`, every other mnemonic
// window showing lines below it scrolls with them. Returns the sender's ViewState.
ViewState* resync_nic_view_scrollbars(HWND sender, int line, int flag);
// The save question of the first window's close, the save, and the close of the other
// mnemonic windows. 0 lets the close go on, -1 refuses it.
int close_nic_document(HWND window);

// Applies what an editor, search or replace operation returned to the window.
struct MnemonicEffects;
void apply_nic_effects(HWND window, const MnemonicEffects& effects);

// The marks of a window's document: opened read-only (the dialog's tick or the file's
// attribute at open), its file did not open, the lines cut when it was read.
DocumentMarks nic_window_marks(HWND window);

// What a window holds (tests and the frame's neighbours read it).
MnemonicText* nic_window_text(HWND window);
SavedText* nic_window_saved_text(HWND window);
ViewState* nic_window_view(HWND window);
