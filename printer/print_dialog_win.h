// The Windows print dialog of the printing library, behind a seam: a test installs a
// handler that answers the dialog (choosing a printer device context and a row range) in
// place of the user.
#pragma once

#include "shell/windows_api.h"

#include <commdlg.h>

// Answers one print dialog: fills the request as PrintDlgW would (hDC with PD_RETURNDC,
// Flags with PD_PAGENUMS and nFromPage/nToPage for a chosen range) and returns TRUE, or
// returns FALSE for a cancelled dialog.
using PrintDialogHandler = BOOL (*)(PRINTDLGW* request);

// Installs the handler; 0 brings the real dialog back.
void set_print_dialog_handler(PrintDialogHandler handler);

// Shows the dialog (PrintDlgW, or the installed handler).
BOOL show_print_dialog(PRINTDLGW& request);
