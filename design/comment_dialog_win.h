// The device-comment dialog ("COMTDIALOG", コメント設定) and the row-comment dialog
// ("COMTGYDIALOG", 行間コメント設定) of the design screen's comment mode. The grid side of
// both is design/comment_entry.h.
#pragma once

#include "target/windows_api.h"

INT_PTR CALLBACK comment_dialog_proc(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam);
INT_PTR CALLBACK row_comment_dialog_proc(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam);

// Open the dialog into slot 0 (the dialog there is closed first) and put the cursor
// cell's comment text into its edit box; each returns the dialog.
HWND open_comment_dialog();
HWND open_row_comment_dialog();
