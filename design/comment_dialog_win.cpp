#include "design/comment_dialog_win.h"

#include <string>

#include "core/device_comments.h"
#include "design/comment_entry.h"
#include "design/design_dialogs_win.h"
#include "design/design_window_win.h"
#include "design/row_edits.h"
#include "design/undo_ring.h"
#include "design/view_geometry_win.h"
#include "shell/frame_handles_win.h"
#include "shell/message_box_win.h"
#include "shell/text_win.h"
#include "shell/window_lists_win.h"

namespace {

using namespace CommentDialogId;

// The device list shown by the open comment dialog, and where the dialog was last closed.
CommentList g_comment_list;
bool g_comment_dialog_kept = false;
int g_comment_dialog_right = 0;
int g_comment_dialog_bottom = 0;

// Only the main file's views share the design undo ring.
void push_undo(const ActiveDesign& design) {
  if (view_file_number(*design.view) == 0) push_design_undo(*design.grid);
}

void fill_from_line(HWND dialog, size_t index) {
  if (index >= g_comment_list.lines.size()) return;
  const CommentListFields f = comment_list_fields(g_comment_list.lines[index]);
  set_dialog_item_text(dialog, COMMENT_EDIT, f.comment.c_str());
  set_dialog_item_text(dialog, DEVICE_EDIT, f.device.c_str());
}

// Rebuilds the list from the grid; returns the entry of `key` (-1 without one).
int refill_list(HWND dialog, const ActiveDesign& design, uint32_t key) {
  g_comment_list = build_comment_lists(*design.grid);
  HWND list = GetDlgItem(dialog, LIST);
  SendMessageW(list, LB_RESETCONTENT, 0, 0);
  int found = -1;
  for (size_t i = 0; i < g_comment_list.lines.size(); ++i) {
    SendMessageW(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(cp932_to_wide(g_comment_list.lines[i]).c_str()));
    if (found < 0 && g_comment_list.keys[i] == key) found = static_cast<int>(i);
  }
  return found;
}

void init_comment_dialog(HWND dialog) {
  const ActiveDesign design = active_design();
  g_keypad_edit = GetDlgItem(dialog, COMMENT_EDIT);
  if (design) {
    const DeviceOperand key = get_cell_device_operand(*design.grid, design.view->sel_row, design.view->sel_col);
    const int entry = refill_list(dialog, design, key & ~OperandBits::SUFFIX_T);
    if (entry >= 0) {
      SendDlgItemMessageW(dialog, LIST, LB_SETCURSEL, static_cast<WPARAM>(entry), 0);
      fill_from_line(dialog, static_cast<size_t>(entry));
    } else {
      SetDlgItemTextW(dialog, COMMENT_EDIT, L"");
      SetDlgItemTextW(dialog, DEVICE_EDIT, L"");
    }
  }
  if (g_comment_dialog_kept) {
    move_dialog_to_point(dialog, g_comment_dialog_right, g_comment_dialog_bottom);
  } else if (design && design.view->cursor_col >= 4 && design.view->cursor_col <= 8) {
    move_dialog_beside_grid(dialog);
  }
}

void store_comment(HWND dialog) {
  const ActiveDesign design = active_design();
  if (!design) return;
  const std::string comment = dialog_item_text(dialog, COMMENT_EDIT, 99);
  const std::string device = dialog_item_text(dialog, DEVICE_EDIT, 99);
  ViewState target = *design.view;
  if (design.view->sel_col != LABEL_COLUMN) {
    if (device.find_first_not_of(' ') == std::string::npos) {
      show_message_box(dialog, PICK_DEVICE_MESSAGE, PICK_DEVICE_CAPTION, MB_OK);
      return;
    }
    // The comment goes to the device the box names, wherever the selection is.
    CellCursor cell{};
    uint32_t operand = 0;
    const DeviceOperand selected = get_cell_device_operand(*design.grid, target.sel_row, target.sel_col);
    if (find_comment_cell(*design.grid, device, cell, operand) &&
        (operand & ~OperandBits::SUFFIX_T) != (selected & ~OperandBits::SUFFIX_T)) {
      target.sel_row = cell.row;
      target.sel_col = cell.column;
    }
  }
  const DeviceOperand commented = get_cell_device_operand(*design.grid, target.sel_row, target.sel_col);
  if (target.sel_col != LABEL_COLUMN && commented != NO_CELL_DEVICE && comment_list_refuses(g_comment_list, commented)) {
    show_message_box(dialog, COMMENT_LIST_FULL_MESSAGE, COMMENT_WARNING_CAPTION, MB_OK);
    return;
  }
  const CommentStore s = store_device_comment(*design.grid, target, comment);
  for (const CellCursor& c : s.cells) repaint_design_cells(design.window, *design.grid, *design.view, c.row, c.column, 0);
  if (s.message != nullptr) show_message_box(dialog, s.message, COMMENT_WARNING_CAPTION, MB_OK);
  if (s.result != 0) {
    // A cell without a device had its comment cleared: that is an edit too, undone as any.
    if (!s.cells.empty()) {
      g_comments_changed = 1;
      push_undo(design);
    }
    return;
  }
  refill_list(dialog, design, 0xFFFFFFFF);
  SendDlgItemMessageW(dialog, LIST, LB_SETCURSEL, 0, 0);
  g_comments_changed = 1;
  push_undo(design);
}

void close_comment_dialog(HWND dialog) {
  RECT r{};
  GetWindowRect(dialog, &r);
  g_comment_dialog_kept = true;
  g_comment_dialog_right = r.right;
  g_comment_dialog_bottom = r.bottom;
  if (g_keypad_edit != nullptr && GetParent(g_keypad_edit) == dialog) g_keypad_edit = nullptr;
  if (g_dialog_edit != nullptr && GetParent(g_dialog_edit) == dialog) g_dialog_edit = nullptr;
  release_slot0(dialog);
  DestroyWindow(dialog);
  invalidate_window_list(g_mnemonic_windows, 0);
}

void comment_command(HWND dialog, int id) {
  switch (id) {
    case LIST: {
      const LRESULT sel = SendDlgItemMessageW(dialog, LIST, LB_GETCURSEL, 0, 0);
      if (sel != LB_ERR) fill_from_line(dialog, static_cast<size_t>(sel));
      return;
    }
    case CLEAR:
      SetDlgItemTextW(dialog, COMMENT_EDIT, L"");
      store_comment(dialog);
      return;
    case IDOK:
      store_comment(dialog);
      return;
    case MOVE_DIALOG: {
      const RECT client = mdi_client_screen_rect();
      move_dialog_to_point(dialog, client.right, client.bottom);
      return;
    }
    case IDCANCEL:
      close_comment_dialog(dialog);
      return;
    default:
      return;
  }
}

// ---- Row comments ------------------------------------------------------------------------------

// The output code of the row the row-comment dialog was opened on.
uint32_t g_row_comment_code = 0;

int count_line_ends(const std::string& text) {
  int n = 0;
  for (size_t at = text.find("\r\n"); at != std::string::npos; at = text.find("\r\n", at + 2)) ++n;
  return n;
}

void store_row(HWND dialog) {
  const ActiveDesign design = active_design();
  if (!design) return;
  // Read past the limit, so that a text that does not fit is refused rather than cut.
  const std::string text = dialog_item_text(dialog, COMMENT_EDIT, 4 * ROW_TEXT_SIZE);
  if (row_comment_stored_length(text) >= static_cast<size_t>(ROW_TEXT_SIZE)) {
    show_message_box(dialog, ROW_COMMENT_TOO_LONG_MESSAGE, COMMENT_WARNING_CAPTION, MB_OK);
    return;
  }
  ViewState& view = *design.view;
  if (text.empty()) {
    if (!clear_cursor_row(*design.grid, view)) return;
  } else if (store_row_comment(*design.grid, view, text) != 0) {
    return;
  }
  RECT band{view.left_rail_x, view.top_margin + (view.cursor_row - view.top_row) * view.row_height, view.right_rail_x,
            view.top_margin + (view.cursor_row - view.top_row + 1) * view.row_height};
  InvalidateRect(design.window, &band, TRUE);
  broadcast_cell_update(design.window, view.cursor_row, 0, -3, 0, false);
  g_comments_changed = 1;
  push_undo(design);
}

void row_command(HWND dialog, int id) {
  const ActiveDesign design = active_design();
  const bool text_row = design && design.view->cursor_col > 0 &&
                        (g_row_comment_code == static_cast<uint32_t>(Instr::ASM) ||
                         g_row_comment_code == static_cast<uint32_t>(Instr::TABL));
  EnableWindow(GetDlgItem(dialog, IDOK), text_row ? FALSE : TRUE);
  HWND edit = GetDlgItem(dialog, COMMENT_EDIT);
  switch (id) {
    case UP:
    case DOWN:
      SendMessageW(edit, WM_KEYDOWN, id == UP ? VK_UP : VK_DOWN, 0);
      return;
    case ADD_LINE: {
      std::string text = dialog_item_text(dialog, COMMENT_EDIT, 999);
      if (count_line_ends(text) < 2) {
        text += "\r\n";
        set_dialog_item_text(dialog, COMMENT_EDIT, text.c_str());
      }
      for (int i = count_line_ends(text); i > 0; --i) SendMessageW(edit, WM_KEYDOWN, VK_DOWN, 0);
      return;
    }
    case CLEAR:
      SetWindowTextW(edit, L"");
      SendMessageW(dialog, WM_COMMAND, UP, 0);
      SendMessageW(dialog, WM_COMMAND, UP, 0);
      return;
    case IDOK:
      if (!text_row) store_row(dialog);
      return;
    case IDCANCEL:
      release_slot0(dialog);
      DestroyWindow(dialog);
      return;
    default:
      return;
  }
}

void put_cell_comment_text(HWND dialog) {
  const ActiveDesign design = active_design();
  if (!design) return;
  const std::string text = get_cell_comment_text(*design.grid, *design.view);
  set_dialog_text_717(dialog, text.c_str());
}

}  // namespace

INT_PTR CALLBACK comment_dialog_proc(HWND dialog, UINT message, WPARAM wparam, LPARAM) {
  switch (message) {
    case WM_INITDIALOG:
      init_comment_dialog(dialog);
      return TRUE;
    case WM_COMMAND:
      comment_command(dialog, LOWORD(wparam));
      return TRUE;
    case WM_CLOSE:
      close_comment_dialog(dialog);
      return TRUE;
    case WM_DESTROY:
      release_slot0(dialog);
      return FALSE;
    default:
      return FALSE;
  }
}

INT_PTR CALLBACK row_comment_dialog_proc(HWND dialog, UINT message, WPARAM wparam, LPARAM) {
  switch (message) {
    case WM_INITDIALOG: {
      const ActiveDesign design = active_design();
      g_row_comment_code = 0;
      if (design) {
        if (const LadderRow* row = grid_row_at(*design.grid, design.view->cursor_row))
          g_row_comment_code = row_output_code(*row);
      }
      SetDlgItemTextW(dialog, COMMENT_EDIT, L"");
      return TRUE;
    }
    case WM_COMMAND:
      row_command(dialog, LOWORD(wparam));
      return TRUE;
    case WM_CLOSE:
      release_slot0(dialog);
      DestroyWindow(dialog);
      return TRUE;
    case WM_DESTROY:
      release_slot0(dialog);
      return FALSE;
    default:
      return FALSE;
  }
}

HWND open_comment_dialog() {
  HWND dialog = open_slot0_dialog(L"COMTDIALOG", comment_dialog_proc, g_frame);
  if (dialog != nullptr) put_cell_comment_text(dialog);
  return dialog;
}

HWND open_row_comment_dialog() {
  HWND dialog = open_slot0_dialog(L"COMTGYDIALOG", row_comment_dialog_proc, g_frame);
  if (dialog != nullptr) put_cell_comment_text(dialog);
  return dialog;
}
