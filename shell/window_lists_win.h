// The window-list operations on real windows: IsWindow, WM_SYSCOMMAND SC_CLOSE and
// SC_MINIMIZE, IsIconic and InvalidateRect.
#pragma once

#include "target/windows_api.h"

#include <span>
#include <string>

#include "shell/window_lists.h"

inline HWND as_hwnd(WindowHandle handle) { return reinterpret_cast<HWND>(handle); }
inline WindowHandle as_window_handle(HWND window) { return reinterpret_cast<WindowHandle>(window); }

extern const WindowOps WIN32_WINDOW_OPS;

// True when the handle names a window that exists: not 0, not a list's end mark
// (WINDOW_LIST_END, which a list's slot 0 holds when its main window gave its registration
// back), and IsWindow.
bool is_live_window(WindowHandle handle);

// Closes (WM_CLOSE) the live dialogs in slots 0 to `last_slot` of the current screen's row.
void close_live_dialogs(int last_slot);

inline bool close_window_list(std::span<WindowHandle> list, int start) {
  return close_window_list(list, start, WIN32_WINDOW_OPS);
}
inline bool close_listed_windows(std::span<WindowHandle> list, int last) {
  return close_listed_windows(list, last, WIN32_WINDOW_OPS);
}
inline void invalidate_window_list(std::span<WindowHandle> list, int start) {
  invalidate_window_list(list, start, WIN32_WINDOW_OPS);
}
inline void minimize_window_list(std::span<WindowHandle> list) { minimize_window_list(list, WIN32_WINDOW_OPS); }
inline int find_window_in_list(std::span<const WindowHandle> list, HWND window) {
  return find_window_in_list(list, as_window_handle(window), WIN32_WINDOW_OPS);
}
inline int next_live_window(std::span<const WindowHandle> list, int start) {
  return next_live_window(list, start, WIN32_WINDOW_OPS);
}
inline int any_other_window_iconic(std::span<const WindowHandle> list, HWND window) {
  return any_other_window_iconic(list, as_window_handle(window), WIN32_WINDOW_OPS);
}

// Gives a document window (an MDI child) a new title, in CP932, and has the MDI client build
// its window list in the frame's menu again: Wine's list otherwise keeps the old title.
void retitle_document_window(HWND child, const std::string& title);

// Opens a modeless dialog from its template into slot 0 of the current screen's row of the
// dialog table: the dialog there before is closed first (WM_CLOSE), the new one is shown,
// wholly inside the work area, and takes the slot. 0 when the dialog could not be created (the slot is then empty).
HWND open_slot0_dialog(const wchar_t* template_name, DLGPROC procedure, HWND owner, LPARAM parameter = 0);
