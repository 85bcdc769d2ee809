#include "printer/print_dialog_win.h"

namespace {
PrintDialogHandler g_handler = nullptr;
}

void set_print_dialog_handler(PrintDialogHandler handler) { g_handler = handler; }

BOOL show_print_dialog(PRINTDLGW& request) {
  if (g_handler) return g_handler(&request);
  return PrintDlgW(&request);
}
