#include "design/design_dialogs_win.h"

#include <string_view>

#include "design/design_window_win.h"
#include "design/number_entry.h"
#include "design/view_geometry_win.h"
#include "shell/dialog_placement_win.h"
#include "shell/frame_handles_win.h"
#include "shell/text_win.h"
#include "shell/window_lists.h"
#include "shell/window_lists_win.h"

HWND g_keypad_edit = nullptr;
HWND g_dialog_edit = nullptr;

ActiveDesign active_design() {
  ActiveDesign a;
  if (g_mdi_client == nullptr) return a;
  HWND child = reinterpret_cast<HWND>(SendMessageW(g_mdi_client, WM_MDIGETACTIVE, 0, 0));
  if (child == nullptr) return a;
  // Only a design window keeps a LadderGrid in its document slot.
  if (reinterpret_cast<WNDPROC>(GetWindowLongPtrW(child, GWLP_WNDPROC)) != design_window_proc) return a;
  a.grid = design_grid_of(child);
  a.view = view_state_of(child);
  if (a.grid == nullptr || a.view == nullptr || a.grid->empty()) return ActiveDesign{};
  a.window = child;
  return a;
}

std::string dialog_item_text(HWND dialog, int id, int max_chars) {
  std::wstring wide(static_cast<size_t>(max_chars) + 1, L'\0');
  const int n = GetDlgItemTextW(dialog, id, wide.data(), max_chars + 1);
  wide.resize(static_cast<size_t>(n > 0 ? n : 0));
  std::string text;
  wide_to_cp932(wide, text);
  return text;
}

void set_dialog_item_text(HWND dialog, int id, const char* text) {
  SetDlgItemTextW(dialog, id, cp932_to_wide(text != nullptr ? text : "").c_str());
}

void set_dialog_text_717(HWND dialog, const char* text) {
  g_dialog_edit = GetDlgItem(dialog, NumberDialogId::EDIT);
  SetFocus(g_dialog_edit);
  set_dialog_item_text(dialog, NumberDialogId::EDIT, text);
  SendMessageW(g_dialog_edit, EM_SETSEL, 0, -1);
  if (HWND list = GetDlgItem(dialog, NumberDialogId::LIST_701)) SendMessageW(list, LB_RESETCONTENT, 0, 0);
}

void set_dialog_text_718(HWND dialog, const char* text) {
  g_dialog_edit = GetDlgItem(dialog, NumberDialogId::EDIT_718);
  SetFocus(g_dialog_edit);
  set_dialog_item_text(dialog, NumberDialogId::EDIT_718, text);
}

void move_dialog_to_point(HWND window, int x, int y) {
  RECT r{};
  GetWindowRect(window, &r);
  const int w = r.right - r.left;
  const int h = r.bottom - r.top;
  MoveWindow(window, x - 25 - w, y - 17 - h, w, h, TRUE);
  keep_window_on_screen(window);
}

RECT mdi_client_screen_rect() {
  RECT r{};
  if (g_mdi_client != nullptr) GetWindowRect(g_mdi_client, &r);
  return r;
}

void move_dialog_beside_grid(HWND dialog) {
  const RECT client = mdi_client_screen_rect();
  SetWindowPos(dialog, nullptr, client.right / 16, client.bottom * 2 / 7, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
  keep_window_on_screen(dialog);
}

namespace {

// The keypad works on the edit's text and caret (EM_GETSEL gives the caret's character
// index) and writes back both.
template <class Edit>
void keypad_edit(HWND edit, Edit run) {
  SetFocus(edit);
  DWORD start = 0, end = 0;
  SendMessageW(edit, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
  const int length = GetWindowTextLengthW(edit);
  std::wstring wide(static_cast<size_t>(length) + 1, L'\0');
  wide.resize(static_cast<size_t>(GetWindowTextW(edit, wide.data(), length + 1)));
  const std::u16string text(wide.begin(), wide.end());
  const KeypadEdit result = run(std::u16string_view(text), static_cast<int>(end));
  if (!result.changed) return;
  const std::wstring out(result.text.begin(), result.text.end());
  SetWindowTextW(edit, out.c_str());
  SendMessageW(edit, EM_SETSEL, static_cast<WPARAM>(result.caret), result.caret);
}

}  // namespace

void keypad_insert_char(HWND, HWND edit, char c) {
  keypad_edit(edit, [c](std::u16string_view t, int caret) { return keypad_text_insert(t, caret, static_cast<char16_t>(c)); });
}
void keypad_backspace(HWND, HWND edit) { keypad_edit(edit, keypad_text_backspace); }
void keypad_delete(HWND, HWND edit) { keypad_edit(edit, keypad_text_delete); }

bool handle_keypad_command(HWND dialog, int id) {
  HWND edit = g_keypad_edit != nullptr && GetParent(g_keypad_edit) == dialog ? g_keypad_edit
                                                                               : GetDlgItem(dialog, NumberDialogId::EDIT);
  if (edit == nullptr) return false;
  if (const char c = keypad_char_of_id(id)) {
    keypad_insert_char(dialog, edit, c);
    return true;
  }
  switch (id) {
    case NumberDialogId::KEY_SPACE:
      keypad_insert_char(dialog, edit, ' ');
      return true;
    case NumberDialogId::KEY_BACKSPACE:
      keypad_backspace(dialog, edit);
      return true;
    case NumberDialogId::KEY_DELETE:
      keypad_delete(dialog, edit);
      return true;
    case NumberDialogId::KEY_LEFT:
    case NumberDialogId::KEY_RIGHT:
      SetFocus(edit);
      SendMessageW(edit, WM_KEYDOWN, id == NumberDialogId::KEY_LEFT ? VK_LEFT : VK_RIGHT, 0);
      return true;
    case NumberDialogId::KEY_CLEAR:
      SetWindowTextW(edit, L"");
      SetFocus(edit);
      ShowCaret(edit);
      return true;
    default:
      return false;
  }
}

void check_device_class_button(HWND dialog, int id) {
  static constexpr int CLASS_BUTTONS[] = {553, 554, 555, 556, 557, 558, 559, 563, 564, 565, 566};
  for (int button : CLASS_BUTTONS) CheckDlgButton(dialog, button, button == id ? BST_CHECKED : BST_UNCHECKED);
  if (id == 560) CheckDlgButton(dialog, id, BST_CHECKED);
}

int toggle_check_box(HWND dialog, int id) {
  const int state = IsDlgButtonChecked(dialog, id) == BST_CHECKED ? 0 : 1;
  CheckDlgButton(dialog, id, state != 0 ? BST_CHECKED : BST_UNCHECKED);
  return state;
}

void release_slot0(HWND dialog) {
  for (auto& row : g_dialog_slots)
    if (as_hwnd(row[0]) == dialog) row[0] = 0;
}

HWND slot0_dialog_with(DLGPROC procedure) {
  HWND slot = as_hwnd(dialog_slot_row(g_screen_kind)[0]);
  if (slot == nullptr || !IsWindow(slot)) return nullptr;
  return reinterpret_cast<DLGPROC>(GetWindowLongPtrW(slot, DWLP_DLGPROC)) == procedure ? slot : nullptr;
}

void repaint_design_cells(HWND window, LadderGrid& grid, ViewState& view, int row, int column, int width) {
  invalidate_cell_area(window, grid, view, row, column, width, false);
  broadcast_cell_update(window, row, column, 0, width, false);
}
