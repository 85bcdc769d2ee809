// The design screen's compile-error list: its entries and the jump to an error's cell.
#include "core/ladder_model.h"

#include "design/compile_error_dialog_win.h"

#include <algorithm>
#include <vector>

#include "design/compile_errors.h"
#include "design/design_window_win.h"
#include "design/view_geometry_win.h"
#include "shell/command_routing_win.h"
#include "shell/documents.h"
#include "shell/frame_handles_win.h"
#include "shell/text_win.h"
#include "shell/window_lists_win.h"

namespace {

// The error words the list shows, kept with the dialog: a later compile refills the
// program-wide error list while this dialog may still be open.
using ErrorWords = std::vector<uint32_t>;

ErrorWords* words_of(HWND dialog) { return reinterpret_cast<ErrorWords*>(GetWindowLongPtrW(dialog, DWLP_USER)); }

// The design window the errors belong to: the active child when it shows the main file
// (the compile always compiles the main design), else the main design window.
HWND target_window() {
  HWND active = g_mdi_client ? reinterpret_cast<HWND>(SendMessageW(g_mdi_client, WM_MDIGETACTIVE, 0, 0)) : nullptr;
  if (active != nullptr && find_window_in_list(g_design_windows, active) > 0) {
    if (const ViewState* view = view_state_of(active); view != nullptr && view_file_number(*view) == 0) return active;
  }
  return is_live_window(g_design_windows[0]) ? as_hwnd(g_design_windows[0]) : nullptr;
}

void fill_list(HWND dialog) {
  auto* words = new ErrorWords;
  const int count = std::min(g_conversion_error_count, static_cast<int>(g_conversion_errors.size()));
  words->assign(g_conversion_errors.begin(), g_conversion_errors.begin() + std::max(count, 0));
  SetWindowLongPtrW(dialog, DWLP_USER, reinterpret_cast<LONG_PTR>(words));
  HWND list = GetDlgItem(dialog, COMPILE_ERROR_LIST);
  for (const std::string& line : compile_error_lines(*words, static_cast<int>(words->size()), g_path_name))
    SendMessageW(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(cp932_to_wide(line).c_str()));
}

void jump(HWND dialog) {
  const LRESULT index = SendDlgItemMessageW(dialog, COMPILE_ERROR_LIST, LB_GETCURSEL, 0, 0);
  const ErrorWords* words = words_of(dialog);
  if (index == LB_ERR || words == nullptr || static_cast<size_t>(index) >= words->size()) return;
  HWND window = target_window();
  LadderGrid* grid = window ? design_grid_of(window) : nullptr;
  ViewState* view = window ? view_state_of(window) : nullptr;
  if (grid == nullptr || view == nullptr) return;
  erase_cursor_span(window, *view);
  if (jump_to_compile_error(*grid, *view, (*words)[static_cast<size_t>(index)]))
    SetScrollPos(window, SB_VERT, view->top_row, TRUE);
  InvalidateRect(window, nullptr, TRUE);
}

// A modeless dialog ends with DestroyWindow (EndDialog would only hide it and leave it in
// its slot); the slot is cleared as it goes.
void close(HWND dialog) { DestroyWindow(dialog); }

void forget(HWND dialog) {
  delete words_of(dialog);
  SetWindowLongPtrW(dialog, DWLP_USER, 0);
  for (auto& row : g_dialog_slots)
    for (WindowHandle& slot : row)
      if (slot == as_window_handle(dialog)) slot = 0;
}

}  // namespace

INT_PTR CALLBACK compile_error_dialog_proc(HWND dialog, UINT message, WPARAM wparam, LPARAM) {
  switch (message) {
    case WM_INITDIALOG:
      fill_list(dialog);
      return TRUE;
    case WM_COMMAND:
      switch (LOWORD(wparam)) {
        case COMPILE_ERROR_JUMP:
          jump(dialog);
          return TRUE;
        case COMPILE_ERROR_CLOSE:
        case IDCANCEL:
          close(dialog);
          return TRUE;
        default:
          return FALSE;
      }
    case WM_CLOSE:
      close(dialog);
      return TRUE;
    case WM_DESTROY:
      forget(dialog);
      return FALSE;
    default:
      return FALSE;
  }
}

HWND open_compile_error_list(HWND owner) {
  return open_slot0_dialog(L"CMPLDIALOG", compile_error_dialog_proc, owner);
}
