// The mnemonic window's compile command (1192) and its error list: the compile-error
// dialog ("CmplDialog") of the mnemonic screen, procedure nic_error_dialog_proc, which
// lists the parse errors of the compile and jumps to the faulty line.
#pragma once

#include "target/windows_api.h"

// The compile of the first mnemonic window's text (mnemonic/mnemonic_compile.h), for the
// command that reached `window`.
void compile_mnemonic_command(HWND window);

INT_PTR CALLBACK nic_error_dialog_proc(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam);

// Closes the dialog in slot 0 of the current screen's row and opens the error list of
// g_conversion_errors there, owned by `window`, for that window. Returns the dialog.
HWND open_nic_error_list(HWND window);

// Control ids of the template.
inline constexpr int NIC_ERROR_LIST = 701;
inline constexpr int NIC_ERROR_JUMP = 702;
inline constexpr int NIC_ERROR_CANCEL = 703;
