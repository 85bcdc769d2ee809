// The modal calls of the printing library, behind seams: the Windows print dialog and the
// message box that reports a failed printout. A test installs handlers that answer them
// in place of the user.
#pragma once

#include "target/windows_api.h"

#include <commdlg.h>

// Answers one print dialog: fills the request as PrintDlgW would (hDC with PD_RETURNDC,
// Flags with PD_PAGENUMS and nFromPage/nToPage for a chosen range) and returns TRUE, or
// returns FALSE for a cancelled dialog.
using PrintDialogHandler = BOOL (*)(PRINTDLGW* request);

// Installs the handler; 0 brings the real dialog back.
void set_print_dialog_handler(PrintDialogHandler handler);

// Shows the dialog (PrintDlgW, or the installed handler).
BOOL show_print_dialog(PRINTDLGW& request);

// Answers one message box (UTF-16 texts, MessageBoxW's style) and returns the button.
using PrintNoticeHandler = int (*)(HWND owner, const wchar_t* text, const wchar_t* caption, UINT style);
void set_print_notice_handler(PrintNoticeHandler handler);
// Shows a message box (MessageBoxW, or the installed handler).
int show_print_notice(HWND owner, const wchar_t* text, const wchar_t* caption, UINT style);
