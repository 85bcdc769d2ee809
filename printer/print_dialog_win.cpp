#include "printer/print_dialog_win.h"

namespace {
PrintDialogHandler g_handler = nullptr;
PrintNoticeHandler g_notice_handler = nullptr;
}

void set_print_dialog_handler(PrintDialogHandler handler) { g_handler = handler; }

BOOL show_print_dialog(PRINTDLGW& request) {
  if (g_handler) return g_handler(&request);
  return PrintDlgW(&request);
}

void set_print_notice_handler(PrintNoticeHandler handler) { g_notice_handler = handler; }

int show_print_notice(HWND owner, const wchar_t* text, const wchar_t* caption, UINT style) {
  if (g_notice_handler) return g_notice_handler(owner, text, caption, style);
  return MessageBoxW(owner, text, caption, style);
}
