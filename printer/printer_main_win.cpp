// The printing library "dabu42QX.dll": its entry point "PrinterM", which the program calls
// with the design to print (shell/printer_entry.h), and "PrinterSetDialogHandler" and
// "PrinterSetNoticeHandler", through which a test answers the print dialog and the failure
// message in place of the user.
//
// The print dialog offers the rows of the design as its pages (the program's status bar
// says so while the dialog is open): "from 11 to 40" prints rows 11 to 40, on as many
// sheets as they need.
#include "core/ladder_model.h"
#include "target/windows_api.h"

#include <algorithm>
#include <string>
#include <type_traits>

#include "design/print_pages.h"
#include "printer/print_design_win.h"
#include "printer/print_dialog_win.h"
#include "shell/printer_entry.h"
#include "shell/text_win.h"

namespace {

constexpr char FAILURE_CAPTION[] = "印刷";
constexpr char FAILURE_TEXT[] = "印刷できませんでした。\nプリンタを確認して下さい。";

void free_dialog_memory(PRINTDLGW& request) {
  if (request.hDevMode) GlobalFree(request.hDevMode);
  if (request.hDevNames) GlobalFree(request.hDevNames);
  request.hDevMode = request.hDevNames = nullptr;
}

}  // namespace

extern "C" __declspec(dllexport) int PrinterM(void* owner, CpuSettings* settings, const char* design_path,
                                              const LadderGrid* grid, const MnemonicText* text,
                                              const IoPartLine* io_parts) {
  // Only designs are printed; the mnemonic text and the I/O parts list carry nothing here.
  (void)text;
  (void)io_parts;
  if (grid == nullptr || grid->empty()) return 0;
  const ConstGridSpan rows(grid->data(), grid->size());
  const int printable = printable_row_count(rows);
  if (printable <= 0) return 0;

  PRINTDLGW request{};
  request.lStructSize = sizeof request;
  request.hwndOwner = static_cast<HWND>(owner);
  request.Flags = PD_RETURNDC | PD_NOSELECTION | PD_USEDEVMODECOPIESANDCOLLATE;
  request.nMinPage = 1;
  request.nMaxPage = static_cast<WORD>(std::min(printable, 0xFFFF));
  request.nFromPage = 1;
  request.nToPage = request.nMaxPage;
  request.nCopies = 1;
  if (!show_print_dialog(request)) {
    free_dialog_memory(request);
    return 0;
  }

  PrintDesignJob job;
  job.grid = rows;
  job.rows = rows_to_print(printable, (request.Flags & PD_PAGENUMS) != 0, request.nFromPage, request.nToPage);
  job.design_path = cp932_to_wide(design_path ? design_path : "");
  job.picture_set = settings != nullptr && (settings->print_mode & 2) != 0 ? 1 : 0;

  int printed = 0;
  if (request.hDC) {
    printed = print_design(request.hDC, job);
    DeleteDC(request.hDC);
  }
  free_dialog_memory(request);
  if (printed == 0 && job.rows.count() > 0) {
    const std::wstring message = cp932_to_wide(FAILURE_TEXT);
    const std::wstring caption = cp932_to_wide(FAILURE_CAPTION);
    show_print_notice(static_cast<HWND>(owner), message.c_str(), caption.c_str(), MB_OK | MB_ICONEXCLAMATION);
  }
  return printed;
}

extern "C" __declspec(dllexport) void PrinterSetDialogHandler(PrintDialogHandler handler) {
  set_print_dialog_handler(handler);
}

extern "C" __declspec(dllexport) void PrinterSetNoticeHandler(PrintNoticeHandler handler) {
  set_print_notice_handler(handler);
}

// The program calls the entry point through this type: a mismatch fails the build.
static_assert(std::is_same_v<decltype(&PrinterM), PrinterEntry>);
