// What the modeless dialogs of the design screen share: the design window they serve (the
// active MDI child, asked again on every message), feeding text into their edit boxes,
// parking them in a corner of the MDI client, the soft keypad, and their slot in the
// DialogSlotTable. The dialogs themselves: number_dialog_win.h, comment_dialog_win.h,
// function_dialog_win.h.
#pragma once

#include "target/windows_api.h"
#include "shell/window_lists_win.h"

#include <string>

#include "core/ladder_model.h"
#include "shell/view_state.h"

// The edit box the open dialog's keypad types into, and the edit box last fed by
// set_dialog_text_717 / set_dialog_text_718.
extern HWND g_keypad_edit;
extern HWND g_dialog_edit;

// The design window a dialog works on now: the MDI client's active child when it is a
// design window with its grid and ViewState; null otherwise (another kind of document is
// never taken for a grid).
struct ActiveDesign {
  HWND window = nullptr;
  LadderGrid* grid = nullptr;
  ViewState* view = nullptr;
  explicit operator bool() const { return window != nullptr; }
};
ActiveDesign active_design();

// Edit 717 becomes g_dialog_edit: focused, `text` (CP932) set and all selected; list box
// 701 of the dialog, when it has one, is emptied.
void set_dialog_text_717(HWND dialog, const char* text);
// Edit 718 becomes g_dialog_edit: focused and `text` set, nothing selected.
void set_dialog_text_718(HWND dialog, const char* text);
// Moves a window, size kept, so that its bottom-right corner lies at (x - 25, y - 17), as
// far as the whole window stays inside the work area.
void move_dialog_to_point(HWND window, int x, int y);
// The MDI client's rectangle on the screen (empty without a client).
RECT mdi_client_screen_rect();
// Moves a dialog, size kept, to (right / 16, bottom * 2 / 7) of the MDI client's rectangle,
// as far as the whole dialog stays inside the work area.
void move_dialog_beside_grid(HWND dialog);

// The soft keypad's edits of control `edit` of `dialog` at its caret.
void keypad_insert_char(HWND dialog, HWND edit, char c);
void keypad_backspace(HWND dialog, HWND edit);
void keypad_delete(HWND dialog, HWND edit);
// Runs a keypad key of `dialog` on g_keypad_edit; false when `id` is no keypad key.
bool handle_keypad_command(HWND dialog, int id);
// Checks button `id` and unchecks the rest of the device-class buttons 553-559, 563-566.
void check_device_class_button(HWND dialog, int id);
// Flips a check box the program toggles itself; returns the new state (0 or 1).
int toggle_check_box(HWND dialog, int id);

// The CP932 text of a control, at most `max_chars` characters.
std::string dialog_item_text(HWND dialog, int id, int max_chars);
void set_dialog_item_text(HWND dialog, int id, const char* text);

// Clears slot 0 when it holds `dialog`.
void release_slot0(HWND dialog);
// The dialog in slot 0 when it runs `procedure`, else null.
HWND slot0_dialog_with(DLGPROC procedure);

// Repaint of a design window's cells after a store: the cells are invalidated and the
// other views told.
void repaint_design_cells(HWND window, LadderGrid& grid, ViewState& view, int row, int column, int width);
