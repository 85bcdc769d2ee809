// Window procedures of the document windows of the mnemonic screen ("nicfl") and the
// monitor screen ("jikfl").
#pragma once

#include "shell/windows_api.h"

// The design screen's procedure is design_window_proc (design/design_window_win.h).
LRESULT CALLBACK mnemonic_window_proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam);
LRESULT CALLBACK monitor_window_proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam);
