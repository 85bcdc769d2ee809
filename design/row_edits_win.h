// The design window's side of the row edits and of the typed-text entry: the range and
// blank-line commands and clicks, the range drag, and the store of a typed text into the
// cursor cell, each run on the window's grid and ViewState and applied to the window
// (undo snapshot, repaint, CMD_SYNC_VIEW, scroll range, status bar, the paste menu item).
#pragma once

#include "target/windows_api.h"

#include <string>

#include "design/design_edit.h"
#include "design/operand_entry.h"
#include "design/range_commands.h"

// Registers the row-edit hand-over with the design window's input (keeps the other hooks).
void install_row_edit_hooks();

// The hand-over of a left click in the range or blank-line mode.
void design_row_edit(HWND window, RowEditHandoff handoff);
// WM_COMMAND 1179-1187 and 1896-1906 of a design window: true when handled.
bool design_row_edit_command(HWND window, int command_id);
// WM_MOUSEMOVE with the left button while a range is drawn: true when the range moved or the
// message belonged to it.
bool design_range_drag(HWND window, WPARAM wparam, LPARAM lparam);

// Applies a row edit's effects to the window (the common effects through the design
// window's apply function).
void apply_row_edit_effects(HWND window, LadderGrid& grid, ViewState& view, const RowEditEffects& effects);

// Stores `text` into the cursor cell of the design window as the number entry dialog's OK
// does (enter_cell_text), with the window as owner of the messages; on success the window
// repaints, the other views follow and an undo snapshot is taken. Returns true when stored;
// `text` becomes the stored text.
bool design_store_text(HWND window, std::string& text, EntryOptions options);
// Applies the effects of a store into a cell (the number entry dialog's, the function
// picker's); when they repaint the whole view (END cut the rows after it), the window measures
// its scroll range again and the other views follow.
void apply_store_effects(HWND window, LadderGrid& grid, ViewState& view, const EditEffects& effects);
// The options of a store from a design dialog: the window owns the messages, the END question
// names the frame's current file, device comments are assigned to the operands.
EntryOptions design_store_options(HWND window);
