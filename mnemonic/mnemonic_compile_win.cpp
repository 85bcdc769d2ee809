// The mnemonic window's compile command and the mnemonic screen's compile-error list.
#include "core/ladder_model.h"

#include "mnemonic/mnemonic_compile_win.h"

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "core/bounded_text.h"
#include "core/mnemonic_parser.h"
#include "shell/view_state.h"
#include "mnemonic/mnemonic_compile.h"
#include "mnemonic/mnemonic_window_win.h"
#include "shell/command_ids.h"
#include "shell/command_routing_win.h"
#include "shell/compile_chain.h"
#include "shell/documents.h"
#include "shell/frame_handles_win.h"
#include "shell/settings_file.h"
#include "shell/status_bar_win.h"
#include "shell/text_win.h"
#include "shell/toolbar_win.h"
#include "shell/window_lists_win.h"

namespace {

// What the error list keeps between messages: the error words it shows (a later compile
// refills the program-wide list) and the window they belong to, whose document and view
// are taken afresh at every jump (the window may have closed meanwhile).
struct ErrorListData {
  HWND window = nullptr;
  std::vector<ConversionError> words;
};

ErrorListData* data_of(HWND dialog) {
  return reinterpret_cast<ErrorListData*>(GetWindowLongPtrW(dialog, DWLP_USER));
}

void fill_list(HWND dialog, HWND window) {
  auto* data = new ErrorListData;
  data->window = window;
  const int count = std::clamp(g_conversion_error_count, 0, MAX_CONVERSION_ERRORS);
  data->words.assign(g_conversion_errors.begin(), g_conversion_errors.begin() + count);
  SetWindowLongPtrW(dialog, DWLP_USER, reinterpret_cast<LONG_PTR>(data));
  SetDlgItemTextW(dialog, NIC_ERROR_JUMP, cp932_to_wide("エラ－行ジャンプ").c_str());
  SetDlgItemTextW(dialog, NIC_ERROR_CANCEL, cp932_to_wide("ｷｬﾝｾﾙ").c_str());
  HWND list = GetDlgItem(dialog, NIC_ERROR_LIST);
  for (const std::string& line : parse_error_list_lines())
    SendMessageW(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(cp932_to_wide(line).c_str()));
}

void jump(HWND dialog) {
  const ErrorListData* data = data_of(dialog);
  const LRESULT index = SendDlgItemMessageW(dialog, NIC_ERROR_LIST, LB_GETCURSEL, 0, 0);
  if (data == nullptr || index == LB_ERR || static_cast<size_t>(index) >= data->words.size()) return;
  HWND window = data->window;
  if (window == nullptr || !IsWindow(window) || find_window_in_list(g_mnemonic_windows, window) <= 0) return;
  MnemonicText* text = nic_window_text(window);
  ViewState* view = nic_window_view(window);
  if (text == nullptr || view == nullptr) return;
  jump_to_parse_error(*text, *view, data->words[static_cast<size_t>(index)]);
  SetScrollPos(window, SB_VERT, view->top_row, TRUE);
  InvalidateRect(window, nullptr, TRUE);
  if (GetFocus() == window) SendMessageW(window, WM_SETFOCUS, 0, 0);
}

void forget(HWND dialog) {
  delete data_of(dialog);
  SetWindowLongPtrW(dialog, DWLP_USER, 0);
  for (auto& row : g_dialog_slots)
    for (WindowHandle& slot : row)
      if (slot == as_window_handle(dialog)) slot = 0;
}

}  // namespace

INT_PTR CALLBACK nic_error_dialog_proc(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case WM_INITDIALOG:
      fill_list(dialog, reinterpret_cast<HWND>(lparam));
      return TRUE;
    case WM_COMMAND:
      switch (LOWORD(wparam)) {
        case NIC_ERROR_JUMP:
          jump(dialog);
          return TRUE;
        case NIC_ERROR_CANCEL:
        case IDCANCEL:
          DestroyWindow(dialog);
          return TRUE;
        default:
          return FALSE;
      }
    case WM_CLOSE:
      DestroyWindow(dialog);
      return TRUE;
    case WM_DESTROY:
      forget(dialog);
      return FALSE;
    default:
      return FALSE;
  }
}

HWND open_nic_error_list(HWND window) {
  return open_slot0_dialog(L"CMPLDIALOG", nic_error_dialog_proc, window, reinterpret_cast<LPARAM>(window));
}

void compile_mnemonic_command(HWND window) {
  HWND first = is_live_window(g_mnemonic_windows[0]) ? as_hwnd(g_mnemonic_windows[0]) : nullptr;
  const ViewState* own_view = nic_window_view(window);
  MnemonicText* text = first ? nic_window_text(first) : nullptr;
  SavedText* saved = first ? nic_window_saved_text(first) : nullptr;
  ViewState* view = first ? nic_window_view(first) : nullptr;

  MnemonicCompileRequest request;
  request.owner = window;
  // Any window of the first file may ask; a window of another file may not.
  request.first_window = first != nullptr && text != nullptr && view != nullptr && own_view != nullptr &&
                         view_file_number(*own_view) == 0;
  if (text) request.text = *text;
  if (saved) request.saved = *saved;
  request.project_name = bounded(g_project_name, sizeof g_project_name);
  request.files = project_files(g_project_drive, g_project_dir, g_project_name);
  if (view) {
    request.mnemonic_path = bounded(view->path, sizeof view->path);
    request.view_path = request.mnemonic_path;
    request.marks = nic_window_marks(first);
  }
  request.open_path = bounded(g_path_name, sizeof g_path_name);

  MnemonicCompileHost host;
  host.reset_design_modes = [] {
    reset_design_modes();
    show_ready_status();
  };
  host.monitor_open = [] { return next_live_window(g_monitor_windows, 0) != 0; };
  host.close_monitors = [] { return close_window_list(g_monitor_windows, 0); };
  host.close_screen_dialogs = [] { close_live_dialogs(1); };
  host.open_error_list = [window] { open_nic_error_list(window); };
  host.repaint_mnemonic_windows = [] { repaint_nic_windows(); };
  host.convert_to_design = [] {
    if (g_frame) SendMessageW(g_frame, WM_COMMAND, CMD_SEQ_TO_DESIGN, 0);
  };
  run_mnemonic_compile(request, host);
}
