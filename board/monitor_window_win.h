// The monitor window ("jikfl", monitor_window_proc, registered by the frame): the
// compiled program of the operation file shown as a ladder on the operation-check screen
// (inputs switched by mouse) and on the monitor screen (the board polled every eleventh
// 20 ms tick). There is at most one; it owns the grid and instruction list read from the
// operation file, the run-time tables built from them and its two picture sets.
#pragma once

#include "target/windows_api.h"

#include <string>

#include "core/ladder_model.h"
#include "design/element_pictures_win.h"
#include "shell/view_state.h"
#include "shell/compile_chain.h"
#include "target/monitor_protocol.h"

LRESULT CALLBACK monitor_window_proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam);

inline constexpr UINT_PTR MONITOR_TIMER_ID = 1;

// The grid the monitor window shows, read from the operation file: null while no window
// holds a program. While one does, g_seq_grid and g_seq_path (shell/compile_chain.h)
// name it and its file.
LadderGrid* monitor_grid();
extern ElementPictureSet g_monitor_bright_pictures;
extern ElementPictureSet g_monitor_plain_pictures;

// The window's messages are those of the operation-file reader (shell/compile_chain.h):
// MSG_NO_OPERATION_FILE and MSG_NO_MEMORY_READ_BACK.
// What a poll reaches (target/monitor_protocol.h by default); tests put a scripted board here.
struct MonitorPollHooks {
  int (*poll_bits)(MonitorPollView& view, GridSpan grid);
  int (*poll_words)(MonitorPollView& view, GridSpan grid);
};
void set_monitor_poll_hooks(const MonitorPollHooks& hooks);

// Sends CMD_SYNC_VIEW with `lparam` to every live monitor window, the sender included.
void notify_monitor_windows(HWND sender, LPARAM lparam);
// Invalidates the cells of the view's rung range that may have changed.
void redraw_changed_cells(HWND window, ViewState& view);
// WM_PAINT of the monitor window; returns 0.
LRESULT paint_monitor_window(HWND window);
