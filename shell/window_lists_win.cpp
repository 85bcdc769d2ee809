#include "shell/window_lists_win.h"

#include "shell/dialog_placement_win.h"
#include "shell/frame_handles_win.h"
#include "shell/text_win.h"

const WindowOps WIN32_WINDOW_OPS{
    [](WindowHandle w) { return IsWindow(as_hwnd(w)) != FALSE; },
    [](WindowHandle w) { SendMessageW(as_hwnd(w), WM_SYSCOMMAND, SC_CLOSE, 0); },
    [](WindowHandle w) { SendMessageW(as_hwnd(w), WM_SYSCOMMAND, SC_MINIMIZE, 0); },
    [](WindowHandle w) { return IsIconic(as_hwnd(w)) != FALSE; },
    [](WindowHandle w) { InvalidateRect(as_hwnd(w), nullptr, TRUE); },
};

bool is_live_window(WindowHandle handle) {
  return handle != 0 && handle != WINDOW_LIST_END && IsWindow(as_hwnd(handle)) != FALSE;
}

void close_live_dialogs(int last_slot) {
  auto& row = dialog_slot_row(g_screen_kind);
  for (int slot = 0; slot <= last_slot && slot < DIALOG_SLOTS_PER_ROW; ++slot)
    if (is_live_window(row[static_cast<size_t>(slot)])) SendMessageW(as_hwnd(row[static_cast<size_t>(slot)]), WM_CLOSE, 0, 0);
}

HWND open_slot0_dialog(const wchar_t* template_name, DLGPROC procedure, HWND owner, LPARAM parameter) {
  auto& row = dialog_slot_row(g_screen_kind);
  if (HWND old = as_hwnd(row[0]); old != nullptr && IsWindow(old)) SendMessageW(old, WM_CLOSE, 0, 0);
  row[0] = 0;
  HINSTANCE instance = g_instance != nullptr ? g_instance : GetModuleHandleW(nullptr);
  HWND dialog = CreateDialogParamW(instance, template_name, owner, procedure, parameter);
  if (dialog == nullptr) return nullptr;
  // Wherever its template or its opening put it, the dialog opens wholly on the screen.
  keep_window_on_screen(dialog);
  // The closed dialog's WM_CLOSE may have run on another screen's row: take the current one again.
  dialog_slot_row(g_screen_kind)[0] = as_window_handle(dialog);
  ShowWindow(dialog, SW_SHOW);
  return dialog;
}

void retitle_document_window(HWND child, const std::string& title) {
  if (child == nullptr) return;
  SetWindowTextW(child, cp932_to_wide(title).c_str());
  HWND client = GetParent(child);
  if (client == nullptr) return;
  SendMessageW(client, WM_MDIREFRESHMENU, 0, 0);
  if (HWND frame = GetParent(client)) DrawMenuBar(frame);
}
