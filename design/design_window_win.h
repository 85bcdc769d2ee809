// The design window (classes "massfl" and "motofl"): the MDI child in which one ladder
// program is viewed and edited. This module holds its life: creation (a new design or a
// design file read through the design-file reader), activation, the close question with
// the save, destruction, and the two requests other windows send it (CMD_QUERY_MODIFIED,
// CMD_FIT_WINDOW); sizing, scrolling and the view sync are design/view_geometry_win.h,
// painting design/design_paint_win.h.
//
// The first design window is the main design window (slot 0 of g_design_windows, file
// number 0): it holds the project's design, keeps a saved copy for change detection and
// the design undo ring, and sets the active CPU settings. A design file opened while it
// exists becomes a further design window (file number 1-15) that shows its file, keeps
// no saved copy and closes without asking.
//
// Extra bytes: CHILD_EXTRA_DOCUMENT holds the window's LadderGrid*, CHILD_EXTRA_VIEW_STATE
// its ViewState*, CHILD_EXTRA_SAVED_COPY the main window's saved copy (LadderGrid*, with
// word 0 and word 1 of every cell as last loaded or saved).
#pragma once

#include "target/windows_api.h"

#include <cstdint>

#include "core/ladder_model.h"
#include "shell/view_state.h"
#include "shell/file_replace.h"

LRESULT CALLBACK design_window_proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam);

// Files opened into design windows since the main design window last closed; gives the
// file number of a new further window.
extern int g_design_file_count;
// 1 when a device or row comment changed since the main design was loaded or saved
// (the change test compares cell words only).
extern int32_t g_comments_changed;

// The grid, saved copy and ViewState of a design window (null when it has none).
LadderGrid* design_grid_of(HWND window);
LadderGrid* design_saved_copy_of(HWND window);

// Writes the grid as a design file at `path` (CP932), through the gate of
// core/file_replace.h with `marks` (the window's own marks when `path` is its own file).
// The file is written beside the old one and moved over it only when the whole write
// succeeded, so a refused or failed save leaves the old file as it was. `verdict`, when
// given, receives the gate's answer (REFUSED).
enum class DesignSaveResult { SAVED, REFUSED, CANNOT_OPEN, WRITE_FAILED };
DesignSaveResult save_design_file(HWND owner, GridSpan grid, const ViewState* view, const char* path,
                                  const DocumentMarks* marks = nullptr, GateVerdict* verdict = nullptr);
// The marks of a design window's document: opened read-only (the open record's flag).
DocumentMarks design_window_marks(const ViewState& view);
// The same save with its message when it does not succeed: the refusal's message
// (save_refusal_notice), "ファイルが開けません\n共用をチェックして下さい" (caption the path) or
// "ファイル保存に失敗しました！" ("警告"). `verdict` as above.
DesignSaveResult save_design_file_telling(HWND owner, GridSpan grid, const ViewState* view, const char* path,
                                          const DocumentMarks* marks, GateVerdict* verdict = nullptr);

// The main design window's close question: asks "変更がありました！\n設計ファイルを保存しますか？"
// when the grid differs from its saved copy or a comment changed, saves on Yes, and on
// success (or No, or no change) closes every further design window and frees the saved
// copy and the undo ring. Returns 0 when the window may close, -1 when it stays (Cancel,
// or a save that was cancelled or failed: edits the user asked to keep are never dropped).
int confirm_save_design(HWND window, LadderGrid& grid, ViewState& view, int);
