// Window procedures of the document windows: the design screen ("massfl", "motofl"),
// the mnemonic screen ("nicfl") and the monitor screen ("jikfl").
#pragma once

#include "shell/windows_api.h"

LRESULT CALLBACK design_window_proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam);
LRESULT CALLBACK mnemonic_window_proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam);
LRESULT CALLBACK monitor_window_proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam);
