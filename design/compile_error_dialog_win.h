// The compile-error list ("CmplDialog"): a modeless dialog in slot 0 of the current
// screen's dialog row that lists the errors of the last compile (g_conversion_errors) and
// jumps from an error to its cell in the main design.
#pragma once

#include "target/windows_api.h"

// Control ids of the template.
inline constexpr int COMPILE_ERROR_LIST = 701;
inline constexpr int COMPILE_ERROR_JUMP = 702;
inline constexpr int COMPILE_ERROR_CLOSE = 703;

INT_PTR CALLBACK compile_error_dialog_proc(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam);

// Closes the dialog in slot 0 of the current screen's row and opens the list there, owned
// by `owner`. Returns the dialog, or null when it could not be created.
HWND open_compile_error_list(HWND owner);
