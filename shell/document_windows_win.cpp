// The window procedures the frame registers for the mnemonic and monitor screens: the
// mnemonic window's is mnemonic/mnemonic_window_win.cpp, the monitor window's
// board/monitor_window_win.cpp.
#include "shell/document_windows_win.h"

#include "mnemonic/mnemonic_window_win.h"

LRESULT CALLBACK mnemonic_window_proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  return nic_window_proc(window, message, wparam, lparam);
}
