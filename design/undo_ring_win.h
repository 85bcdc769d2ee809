// Undo and redo commands of a design window (Ctrl+Z, Ctrl+A and the toolbar).
#pragma once

#include "target/windows_api.h"

#include "core/ladder_model.h"

// Undoes (redo false) or redoes the last edit of the window's grid from g_design_undo. Only
// the main window of the main file has the ring: any other design window does nothing and
// gets -1, so that a snapshot of the main program never lands in another file's grid.
// After a result of 0 the window gets WM_SIZE with its client size (the scroll range
// follows the restored grid) and a repaint, and the other views of the file repaint whole.
// A device or row comment that the undo or redo changes sets g_comments_changed, as storing
// a comment does: the close question's change test compares cell words only.
int design_undo_command(HWND window, GridSpan grid, bool redo);
