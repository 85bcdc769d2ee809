#include "design/function_dialog_win.h"

#include "design/design_dialogs_win.h"
#include "design/design_input_win.h"
#include "design/function_picker.h"
#include "design/row_edits_win.h"
#include "shell/dialog_placement.h"
#include "shell/dialog_placement_win.h"
#include "shell/frame_handles_win.h"
#include "shell/message_box_win.h"
#include "shell/text_win.h"
#include "shell/window_lists_win.h"

std::vector<std::string> g_function_combo_names;

namespace {

using namespace FunctionDialogId;

// A timer set when the name list has dropped: the list is put right under its box (over it
// where the screen ends below the box) and raised
// above every window once the dialog's focus and mapping have settled. Wine keeps the screen place of a
// combo box's list from the box's creation, so after the dialog was moved (beside the grid,
// into the corner) the list opened where the box had been; on Windows it is already there.
// Wine also raises an unmanaged top-level window above every other X window whenever the X
// focus goes into it (when the box takes the focus, when the dialog's map arrives), whatever
// its Win32 place: the dialog then covered its own list though the list stayed first in the
// Win32 order. A raise to a Win32 place the list already holds changes nothing there and so
// reaches X never; leaving the topmost band and entering it again is a real move each time.
constexpr UINT_PTR RAISE_DROPPED_LIST = 1;
// A new dialog's list is raised again a little later, after Wine has taken in the dialog's
// map and raised the dialog for its focus.
constexpr UINT RAISE_AFTER_OPEN_MS = 50;

void raise_dropped_list(HWND dialog) {
  HWND combo = GetDlgItem(dialog, COMBO);
  COMBOBOXINFO info{};
  info.cbSize = sizeof info;
  if (combo == nullptr || !GetComboBoxInfo(combo, &info) || info.hwndList == nullptr) return;
  if (SendMessageW(combo, CB_GETDROPPEDSTATE, 0, 0) == 0) return;
  RECT box{}, list{};
  GetWindowRect(combo, &box);
  GetWindowRect(info.hwndList, &list);
  // Under the box, or over it where the screen ends below it (as the combo box itself does).
  const RECT work = work_area_of(dialog);
  const LayoutRect place =
      place_dropped_list({box.left, box.top, box.right - box.left, box.bottom - box.top}, list.right - list.left,
                         list.bottom - list.top, {work.left, work.top, work.right - work.left, work.bottom - work.top});
  constexpr UINT keep = SWP_NOSIZE | SWP_NOACTIVATE;
  SetWindowPos(info.hwndList, HWND_NOTOPMOST, place.x, place.y, 0, 0, keep);
  SetWindowPos(info.hwndList, HWND_TOPMOST, place.x, place.y, 0, 0, keep);
}

int client_width(HWND window) {
  RECT client{};
  GetClientRect(window, &client);
  return client.right - client.left;
}

// The focus goes to the box before its list drops. Wine raises an unmanaged top-level window
// above every other X window when the X focus moves into it (whatever its Win32 place), so a
// focus change after the drop put the dialog over its own list, though the list stayed first
// in the Win32 order.
void drop_down(HWND dialog) {
  HWND combo = GetDlgItem(dialog, COMBO);
  SetFocus(combo);
  SendMessageW(combo, CB_SHOWDROPDOWN, TRUE, 0);
}

void store(HWND dialog) {
  const std::string text = dialog_item_text(dialog, COMBO, 199);
  const ActiveDesign design = active_design();
  if (!design || function_ok_action(text, design.view->sel_col) == FunctionOk::NOTHING) return;
  // The picker stores as the number entry dialog does: the END question names the file,
  // the operands take over their device comments.
  const EntryOptions options = design_store_options(design.window);
  const EditEffects effects = function_store(*design.grid, *design.view, text, options, client_width(design.window));
  if (effects.message != nullptr) show_message_box(dialog, effects.message, effects.message_caption, MB_OK);
  if (!effects.changed) return;
  EditEffects applied = effects;
  applied.message = nullptr;
  apply_store_effects(design.window, *design.grid, *design.view, applied);
}

void close_dialog(HWND dialog) {
  invalidate_window_list(g_mnemonic_windows, 0);
  release_slot0(dialog);
  DestroyWindow(dialog);
}

}  // namespace

void fill_function_combo(HWND dialog, bool sorted) {
  g_function_combo_names = function_combo_names(sorted);
  for (const std::string& name : g_function_combo_names)
    SendDlgItemMessageW(dialog, COMBO, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(cp932_to_wide(name).c_str()));
}

INT_PTR CALLBACK function_dialog_proc(HWND dialog, UINT message, WPARAM wparam, LPARAM) {
  switch (message) {
    case WM_INITDIALOG: {
      const ActiveDesign design = active_design();
      CheckDlgButton(dialog, SORT, g_function_sort != 0 ? BST_CHECKED : BST_UNCHECKED);
      fill_function_combo(dialog, g_function_sort != 0);
      if (design && design.view->cursor_col >= 3 && design.view->cursor_col <= 6) move_dialog_beside_grid(dialog);
      return TRUE;
    }
    case WM_TIMER:
      if (wparam != RAISE_DROPPED_LIST) return FALSE;
      KillTimer(dialog, RAISE_DROPPED_LIST);
      raise_dropped_list(dialog);
      return TRUE;
    case WM_COMMAND:
      if (LOWORD(wparam) == COMBO && HIWORD(wparam) == CBN_DROPDOWN) {
        SetTimer(dialog, RAISE_DROPPED_LIST, USER_TIMER_MINIMUM, nullptr);
        return TRUE;
      }
      switch (LOWORD(wparam)) {
        case SORT:
          g_function_sort = toggle_check_box(dialog, SORT);
          SendDlgItemMessageW(dialog, COMBO, CB_RESETCONTENT, 0, 0);
          fill_function_combo(dialog, g_function_sort != 0);
          drop_down(dialog);
          return TRUE;
        case IDOK:
          store(dialog);
          return TRUE;
        case MOVE_DIALOG: {
          const RECT client = mdi_client_screen_rect();
          move_dialog_to_point(dialog, client.right / 3, client.bottom * 5 / 7);
          return TRUE;
        }
        case IDCANCEL:
          close_dialog(dialog);
          return TRUE;
        default:
          return FALSE;
      }
    case WM_CLOSE:
      close_dialog(dialog);
      return TRUE;
    case WM_DESTROY:
      release_slot0(dialog);
      return FALSE;
    default:
      return FALSE;
  }
}

HWND open_function_dialog() {
  HWND dialog = open_slot0_dialog(L"FuncDialog", function_dialog_proc, g_frame);
  if (dialog != nullptr) {
    drop_down(dialog);
    SetTimer(dialog, RAISE_DROPPED_LIST, RAISE_AFTER_OPEN_MS, nullptr);
  }
  return dialog;
}
