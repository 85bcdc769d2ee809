#include "design/number_dialog_win.h"

#include <string>

#include "core/cell_text.h"
#include "design/comment_entry.h"
#include "design/design_dialogs_win.h"
#include "design/number_entry.h"
#include "design/operand_entry.h"
#include "design/row_edits_win.h"
#include "shell/frame_handles_win.h"
#include "shell/message_box_win.h"
#include "shell/status_bar_win.h"

namespace {

using namespace NumberDialogId;

HWND edit_of(HWND dialog) { return GetDlgItem(dialog, EDIT); }

void check_mode_radio(HWND dialog, int id) { CheckRadioButton(dialog, MODE_NUMBER, MODE_EMPTY, id); }

void close_dialog(HWND dialog) {
  g_number_entry.close();
  release_slot0(dialog);
  if (g_keypad_edit != nullptr && GetParent(g_keypad_edit) == dialog) g_keypad_edit = nullptr;
  if (g_dialog_edit != nullptr && GetParent(g_dialog_edit) == dialog) g_dialog_edit = nullptr;
  DestroyCaret();
  DestroyWindow(dialog);
}

void init_dialog(HWND dialog) {
  const ActiveDesign design = active_design();
  g_number_entry.open();
  check_mode_radio(dialog, MODE_NUMBER);
  HWND edit = edit_of(dialog);
  g_keypad_edit = edit;
  CreateCaret(edit, nullptr, 1, 11);
  CheckDlgButton(dialog, KEEP_COMMENT, g_number_entry.keep_comment ? BST_CHECKED : BST_UNCHECKED);
  CheckDlgButton(dialog, CHANGE_SAME, g_number_entry.change_same_numbers ? BST_CHECKED : BST_UNCHECKED);
  SetFocus(edit);
  ShowCaret(edit);
  if (design && design.view->cursor_col >= 4 && design.view->cursor_col <= 8) {
    move_dialog_beside_grid(dialog);
    ShowWindow(dialog, SW_SHOW);
  }
}

void choose_mode(HWND dialog, int id) {
  g_number_entry.choose_mode(id);
  check_mode_radio(dialog, id);
  if (id == MODE_EMPTY) SetDlgItemTextW(dialog, EDIT, L"");
  if (id != MODE_COPY) return;
  const ActiveDesign design = active_design();
  if (!design) return;
  char text[CELL_TEXT_BUFFER_SIZE] = {};
  char mark[MARK_TEXT_BUFFER_SIZE] = {};
  format_cell_text(*design.grid, CellCursor{design.view->cursor_row, design.view->cursor_col}, text, mark, false);
  set_dialog_text_717(dialog, text);
}

// OK: the edit text into the cursor cell; in a run, the next number is made ready.
void store(HWND dialog) {
  const ActiveDesign design = active_design();
  if (!design) return;
  const LadderRow* row = grid_row_at(*design.grid, design.view->cursor_row);
  const int col = design.view->cursor_col;
  if (row == nullptr || col < 0 || col >= ROW_CELLS || !number_store_allowed(row->cell[col].word[0])) return;
  std::string text = g_number_entry.mode == NumberEntryMode::EMPTY ? std::string() : dialog_item_text(dialog, EDIT, 99);

  EntryOptions options = design_store_options(design.window);
  options.keep_comment = IsDlgButtonChecked(dialog, KEEP_COMMENT) == BST_CHECKED;
  options.change_same_numbers = g_number_entry.change_same_numbers;
  options.number_mode = g_number_entry.mode;
  if (!design_store_text(design.window, text, options)) {
    SetFocus(edit_of(dialog));
    return;
  }
  if (g_number_entry.mode < NumberEntryMode::CONSECUTIVE) return;
  if (g_number_entry.mode == NumberEntryMode::CONSECUTIVE) {
    const NextNumber next = next_number(*design.grid, *design.view, text);
    if (next.kind == NextNumber::STOP) {
      SetFocus(edit_of(dialog));
      return;
    }
    if (next.kind == NextNumber::REFUSED) {
      show_message_box(dialog, NO_CONSECUTIVE_MESSAGE, NUMBER_WARNING_CAPTION, MB_OK);
      return;
    }
    set_dialog_item_text(dialog, EDIT, next.text.c_str());
    if (g_dialog_edit != nullptr) SendMessageW(g_dialog_edit, EM_SETSEL, 0, -1);
  }
  ++g_number_entry.count;
  set_status_part_text(0, NEXT_NUMBER_STATUS);
}

void command(HWND dialog, int id) {
  switch (id) {
    case MODE_NUMBER:
    case MODE_CONSECUTIVE:
    case MODE_COPY:
    case MODE_EMPTY:
      choose_mode(dialog, id);
      return;
    case KEEP_COMMENT:
      g_number_entry.keep_comment = toggle_check_box(dialog, id) != 0;
      return;
    case CHANGE_SAME:
      g_number_entry.change_same_numbers = toggle_check_box(dialog, id) != 0;
      return;
    case END_RUN:
      if (g_number_entry.end_run()) check_mode_radio(dialog, MODE_NUMBER);
      return;
    case MOVE_DIALOG: {
      const RECT client = mdi_client_screen_rect();
      move_dialog_to_point(dialog, client.right, client.bottom);
      return;
    }
    case IDCANCEL:
      close_dialog(dialog);
      return;
    case IDOK:
      store(dialog);
      return;
    default:
      handle_keypad_command(dialog, id);
      return;
  }
}

}  // namespace

INT_PTR CALLBACK number_dialog_proc(HWND dialog, UINT message, WPARAM wparam, LPARAM) {
  switch (message) {
    case WM_INITDIALOG:
      init_dialog(dialog);
      return FALSE;  // the focus stays on the edit box
    case WM_COMMAND:
      command(dialog, LOWORD(wparam));
      return TRUE;
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

HWND open_number_dialog() { return open_slot0_dialog(L"BanDialog", number_dialog_proc, g_frame); }

HWND number_dialog() { return slot0_dialog_with(number_dialog_proc); }
