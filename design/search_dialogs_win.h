// The search dialogs ("SchDialog", "SchisDialog") and the replace dialog ("OkicDialog"):
// modeless, in slot 0 of the current screen's dialog row, working on the active MDI child
// of the moment. On the design and monitor screens they run the grid searches of
// design/device_search.h; on the mnemonic screen they call the text search and replace that
// the mnemonic screen installs (MnemonicSearchHooks). The monitor window gets no replace: the
// replace dialog's OK changes only the grid of a design window.
//
// Also here: the grid searches with their drawing (the continued search of Alt+F5 and
// Alt+F10 runs through run_continued_search) and what the design window hands to an open
// search dialog when a cell is clicked.
#pragma once

#include "target/windows_api.h"

#include <cstdint>
#include <string>

#include "core/instruction_tables.h"
#include "core/ladder_model.h"
#include "design/design_commands.h"
#include "design/design_commands_win.h"
#include "design/design_edit.h"
#include "shell/view_state.h"

INT_PTR CALLBACK search_dialog_proc(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam);
INT_PTR CALLBACK replace_device_dialog_proc(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam);

// Creates the search dialog (the form g_search_dialog_variant names) or the replace dialog
// into slot 0 of the current screen's row, closing the dialog there first, with `owner` as
// owner; edit 717 then gets `text` (CP932) when one is given, else it keeps what the dialog
// showed last (g_search_entry). Returns the dialog, or 0.
HWND open_search_dialog(HWND owner, const std::string* text = nullptr);
HWND open_replace_dialog(HWND owner, const std::string* text = nullptr);
// The open search or replace dialog, or 0.
HWND search_dialog();
HWND replace_dialog();

// The design window's click in search mode (DesignDialog::SEARCH): the open search dialog's
// edit 717 gets the request's text; in the list form with list_uses, list 699 shows the
// uses of that device. Does nothing when no search dialog is open.
void feed_search_dialog(HWND window, const DialogRequest& request);
// The search dialog's part of DesignModes: g_search_mode, open or not, the list form.
void read_search_dialog_state(DesignModes& modes);

// ---- Grid searches with their drawing (design and monitor windows) --------------------------
// The searches of the search command: the messages "番号を正しく入れてください！" and
// "見つかりません！" (caption 確認) are owned by the dialog in slot 0 (the window without one).
// 0 found, 15 not found, -1 a bad text.
int search_device(HWND window, GridSpan grid, ViewState& view, const char* text);
int search_device_down(HWND window, GridSpan grid, ViewState& view);
int search_device_up(HWND window, GridSpan grid, ViewState& view);
void find_next_instruction_use(HWND window, GridSpan grid, ViewState& view, InstructionCode code);
// Replaces with the user's answers; pushes no undo snapshot (the caller does). 1 when a cell
// changed.
int replace_devices(HWND window, GridSpan grid, ViewState& view, const char* old_text, const char* new_text);

// Alt+F10 (1238) and Alt+F5 (1239) of a design window: carries out what continued_search()
// decided, with g_search_text; g_search_mode takes the search's mode.
void run_continued_search(HWND window, GridSpan grid, ViewState& view, const ContinuedSearch& search);

// The dialogs as the design window's commands open them (DesignDialogOpener of
// design/design_commands_win.h): created owned by the frame, without the slot work, which the
// command does.
HWND create_search_dialog(bool list_form);
HWND create_replace_dialog();

// Connects the design window to this module: its dialog opener (REPLACE, SEARCH,
// SEARCH_LIST; every other kind goes on to `other_opener`), the continued search of Alt+F5 and
// Alt+F10, and the click hooks (a click in search mode feeds the open search dialog; the
// search dialog's state is read for each click). Hooks installed before are kept for the
// dialogs handled elsewhere.
void install_search_dialog_hooks(DesignDialogOpener other_opener = nullptr);

// ---- Seams ----------------------------------------------------------------------------------
// What the mnemonic screen installs for the dialogs' mnemonic branch. `text` is the window's
// document (its MnemonicText). search_in_text: 0 when it moved the caret to a match (it
// reports a miss itself); replace_in_text: non-zero when it replaced anything. push_undo
// pushes the window's text into the mnemonic undo ring; repaint_windows repaints every
// mnemonic window (the dialogs call it as they close). An empty entry does nothing.
struct MnemonicSearchHooks {
  int (*search_in_text)(HWND window, void* text, ViewState& view, const char* word) = nullptr;
  int (*replace_in_text)(HWND window, void* text, ViewState& view, const char* old_text, const char* new_text) = nullptr;
  void (*push_undo)(HWND window, void* text) = nullptr;
  void (*repaint_windows)() = nullptr;
};
void set_mnemonic_search_hooks(const MnemonicSearchHooks& hooks);

// Gives cell (row, column) of the window's grid the comment of `device` (the device and row
// comments install it; without it a replace leaves the comments as they are).
using ReplaceCommentAssigner = void (*)(HWND window, GridSpan grid, ViewState& view, int row, int column,
                                        uint32_t device);
void set_replace_comment_assigner(ReplaceCommentAssigner assigner);
