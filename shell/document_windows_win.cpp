// The mnemonic screen is not built yet (the monitor window is design/monitor_window_win.cpp).
// Until its own procedure takes its place, its windows do only what the frame needs of a document window: they register
// in their kind's window list when created, take part in the close sequence (the main
// window of a kind closes the others of its kind and resets the count) and clear their
// slot when destroyed. They hold no document, so they never refuse to close.
#include "shell/document_windows_win.h"

#include <span>

#include "shell/window_lists_win.h"

namespace {

LRESULT listed_window_proc(std::span<WindowHandle> list, int& count, HWND window, UINT message, WPARAM wparam,
                           LPARAM lparam) {
  switch (message) {
    case WM_CREATE:
      // A full list refuses the window rather than writing past its end.
      if (register_window(list, count, as_window_handle(window)) < 0) return -1;
      return 0;
    case WM_CLOSE:
      if (find_window_in_list(list, window) == 1) {
        close_listed_windows(list, count - 1);
        count = 0;
      }
      return DefMDIChildProcW(window, WM_CLOSE, 0, 0);
    case WM_DESTROY: {
      const int position = find_window_in_list(list, window);
      if (position > 0) list[position - 1] = 0;
      break;
    }
    default:
      break;
  }
  return DefMDIChildProcW(window, message, wparam, lparam);
}

}  // namespace

LRESULT CALLBACK mnemonic_window_proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  return listed_window_proc(g_mnemonic_windows, g_mnemonic_window_count, window, message, wparam, lparam);
}
