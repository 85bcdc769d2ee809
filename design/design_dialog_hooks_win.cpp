#include "design/design_dialog_hooks_win.h"

#include "design/comment_dialog_win.h"
#include "design/design_commands_win.h"
#include "design/design_dialogs_win.h"
#include "design/design_input_win.h"
#include "design/function_dialog_win.h"
#include "design/number_dialog_win.h"
#include "design/number_entry.h"
#include "shell/window_lists.h"
#include "shell/window_lists_win.h"

namespace {

void (*g_next_open_dialog)(HWND, const DialogRequest&) = nullptr;
void (*g_next_read_state)(DesignModes&) = nullptr;
DesignDialogOpener g_next_opener = nullptr;

}  // namespace

HWND open_design_dialog_for_command(HWND design_window, DesignDialogKind kind) {
  switch (kind) {
    case DesignDialogKind::NUMBER:
      return open_number_dialog();
    case DesignDialogKind::FUNCTION:
      return open_function_dialog();
    default:
      return g_next_opener != nullptr ? g_next_opener(design_window, kind) : nullptr;
  }
}

namespace {

void close_slot0() {
  auto& row = dialog_slot_row(g_screen_kind);
  if (HWND old = as_hwnd(row[0]); old != nullptr && IsWindow(old)) SendMessageW(old, WM_CLOSE, 0, 0);
  row[0] = 0;
}

void open_dialog(HWND window, const DialogRequest& request) {
  switch (request.dialog) {
    case DesignDialog::NUMBER: {
      if (request.close_slot0) close_slot0();
      HWND dialog = number_dialog();
      if (dialog == nullptr && request.create) dialog = open_number_dialog();
      if (dialog == nullptr) return;
      if (request.set_text) set_dialog_text_717(dialog, request.text.c_str());
      if (request.focus_edit) SetFocus(GetDlgItem(dialog, NumberDialogId::EDIT));
      if (request.send_ok) SendMessageW(dialog, WM_COMMAND, IDOK, 0);
      return;
    }
    case DesignDialog::FUNCTION:
      open_function_dialog();
      return;
    case DesignDialog::COMMENT:
      open_comment_dialog();
      return;
    case DesignDialog::ROW_COMMENT:
      open_row_comment_dialog();
      return;
    default:
      if (g_next_open_dialog != nullptr) g_next_open_dialog(window, request);
      return;
  }
}

void read_state(DesignModes& modes) {
  if (g_next_read_state != nullptr) g_next_read_state(modes);
  modes.number_entry_mode = g_number_entry.mode;
  modes.number_entry_count = g_number_entry.count;
}

}  // namespace

void install_design_dialog_opener() {
  if (design_dialog_opener() == open_design_dialog_for_command) return;
  g_next_opener = design_dialog_opener();
  set_design_dialog_opener(open_design_dialog_for_command);
}

void install_design_dialog_hooks() {
  DesignInputHooks hooks = design_input_hooks();
  if (hooks.open_dialog == open_dialog) return;
  g_next_open_dialog = hooks.open_dialog;
  g_next_read_state = hooks.read_dialog_state;
  hooks.open_dialog = open_dialog;
  hooks.read_dialog_state = read_state;
  set_design_input_hooks(hooks);
}
