// The number entry dialog ("BanDialog", template BANDIALOG): device numbers typed or keyed
// in for the cursor cell of the active design window, one by one or in runs (consecutive,
// copy, empty). Its state is g_number_entry (design/number_entry.h).
#pragma once

#include "target/windows_api.h"

INT_PTR CALLBACK number_dialog_proc(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam);

// Opens the dialog into slot 0 (the dialog there is closed first); returns it.
HWND open_number_dialog();
// The open number dialog, or null.
HWND number_dialog();
