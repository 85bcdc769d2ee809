#include "shell/guide_dialogs_win.h"

#include <commctrl.h>

#include <cstdint>
#include <string>

#include "resources/resource_ids.h"
#include "shell/command_ids.h"
#include "shell/command_routing_win.h"
#include "shell/frame_handles_win.h"
#include "shell/path_parts.h"
#include "shell/settings_file.h"
#include "shell/settings_win.h"
#include "shell/text_win.h"
#include "shell/toolbar_win.h"
#include "shell/window_lists_win.h"

namespace {

void no_prepare(const char*, const char*) {}
HWND no_window(HWND, const char*) { return nullptr; }

SampleOpenHooks g_sample_hooks{no_prepare, no_window};

HWND owner_of(HWND dialog) { return GetWindow(dialog, GW_OWNER); }

bool file_exists(const std::string& path) {
  const std::wstring wide = cp932_to_wide(path);
  if (wide.empty()) return false;
  const DWORD attributes = GetFileAttributesW(wide.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

// Toggles the non-automatic check box "今後これらを表示しない" and sets the guide flag.
void toggle_dont_show(HWND dialog, int flag) {
  const bool checked = IsDlgButtonChecked(dialog, IDC_GUIDE_DONT_SHOW) != BST_CHECKED;
  CheckDlgButton(dialog, IDC_GUIDE_DONT_SHOW, checked ? BST_CHECKED : BST_UNCHECKED);
  g_guide_flags[flag] = guide_flag_after_toggle(checked);
}

// A guide without a check box governs no flag.
constexpr int NO_GUIDE_FLAG = -1;

// Closes a guide; one with a check box writes file.ini while its flag is off.
void close_guide(HWND dialog, int flag) {
  if (!IsWindow(dialog)) return;
  if (flag != NO_GUIDE_FLAG && guide_close_saves_settings(g_guide_flags[flag])) save_settings();
  DestroyWindow(dialog);
}

void forget_guide(HWND dialog) {
  if (as_hwnd(g_guide_dialog) == dialog) g_guide_dialog = 0;
}

void open_sample(HWND dialog, int button) {
  HWND frame = owner_of(dialog);
  const std::string path = guide_sample_path(g_start_folder, button);
  const char* name = guide_sample_name(button);
  split_path(path, g_app_settings.project);
  g_sample_hooks.prepare_sample_open(path.c_str(), name);
  if (!file_exists(path)) return;  // the guide stays open
  rebuild_screen_toolbar(frame, CMD_SCREEN_DESIGN);
  HWND window = g_sample_hooks.create_sample_window(frame, name);
  if (window != nullptr) SetWindowPos(window, HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
  DestroyWindow(dialog);
  open_guide_dialog(frame, GuideKind::DesignTips);
}

void show_comment_display_in_active_child(HWND frame) {
  if (g_mdi_client == nullptr) return;
  HWND child = reinterpret_cast<HWND>(SendMessageW(g_mdi_client, WM_MDIGETACTIVE, 0, 0));
  if (child == nullptr) return;
  auto* view = reinterpret_cast<ViewState*>(GetWindowLongPtrW(child, CHILD_EXTRA_VIEW_STATE));
  if (view == nullptr) return;
  view->comment_display = 1;
  RECT rect{};
  GetClientRect(child, &rect);
  SendMessageW(child, WM_SIZE, SIZE_RESTORED, MAKELPARAM(rect.right, rect.bottom));
  InvalidateRect(child, nullptr, TRUE);
}

using GuideButton = void (*)(HWND dialog, int id);

// What every guide does: the check box (when it has a flag), 了解・閉 and the close
// request close it, its destruction ends its registration; its own buttons go to
// `on_button`.
INT_PTR run_guide(HWND dialog, UINT message, WPARAM wparam, int flag, GuideButton on_button) {
  switch (message) {
    case WM_INITDIALOG:
      return TRUE;
    case WM_COMMAND: {
      const int id = LOWORD(wparam);
      if (id == IDC_GUIDE_DONT_SHOW && flag != NO_GUIDE_FLAG) {
        toggle_dont_show(dialog, flag);
      } else if (id == IDOK) {
        close_guide(dialog, flag);
      } else if (on_button != nullptr) {
        on_button(dialog, id);
      }
      return TRUE;
    }
    case WM_CLOSE:
      close_guide(dialog, flag);
      return TRUE;
    case WM_DESTROY:
      forget_guide(dialog);
      return TRUE;
  }
  return FALSE;
}

struct GuideTemplate {
  const wchar_t* name;
  DLGPROC proc;
};

GuideTemplate guide_template(GuideKind kind) {
  switch (kind) {
    case GuideKind::FirstUse:
      return {L"INITFRDIALOG", first_use_dialog_proc};
    case GuideKind::DesignTips:
      return {L"SETUOEKDIALOG", design_screen_tips_dialog_proc};
    case GuideKind::MonitorTips:
      return {L"SETUJIKDIALOG", monitor_screen_tips_dialog_proc};
    case GuideKind::PinViewTips:
      return {L"SETUPICDIALOG", pin_view_tips_dialog_proc};
  }
  return {nullptr, nullptr};
}

}  // namespace

void set_sample_open_hooks(const SampleOpenHooks& hooks) { g_sample_hooks = hooks; }

HWND open_guide_dialog(HWND frame, GuideKind kind) {
  if (is_live_window(g_guide_dialog)) SendMessageW(as_hwnd(g_guide_dialog), WM_CLOSE, 0, 0);
  g_guide_dialog = 0;
  const GuideTemplate t = guide_template(kind);
  HWND dialog = CreateDialogParamW(g_instance != nullptr ? g_instance : GetModuleHandleW(nullptr), t.name, frame,
                                   t.proc, 0);
  g_guide_dialog = reinterpret_cast<WindowHandle>(dialog);
  return dialog;
}

HWND show_guide(HWND frame, GuideKind kind) {
  if (!guide_is_shown(g_guide_flags[guide_flag_index(kind)])) return nullptr;
  return open_guide_dialog(frame, kind);
}

INT_PTR CALLBACK first_use_dialog_proc(HWND dialog, UINT message, WPARAM wparam, LPARAM) {
  return run_guide(dialog, message, wparam, NO_GUIDE_FLAG, [](HWND d, int id) {
    if (id == IDC_GUIDE_BUTTON_1 || id == IDC_GUIDE_BUTTON_2) open_sample(d, id);
  });
}

INT_PTR CALLBACK design_screen_tips_dialog_proc(HWND dialog, UINT message, WPARAM wparam, LPARAM) {
  return run_guide(dialog, message, wparam, 0, [](HWND d, int id) {
    if (id != IDC_GUIDE_BUTTON_1) return;
    // The frame's switch to the operation screen closes the guide itself.
    if (is_live_window(g_design_windows[0])) SendMessageW(owner_of(d), WM_COMMAND, CMD_SCREEN_OPERATION, 0);
    close_guide(d, 0);
  });
}

INT_PTR CALLBACK monitor_screen_tips_dialog_proc(HWND dialog, UINT message, WPARAM wparam, LPARAM) {
  return run_guide(dialog, message, wparam, 1, [](HWND d, int id) {
    if (id == IDC_GUIDE_BUTTON_1) show_comment_display_in_active_child(owner_of(d));
    if (id == IDC_GUIDE_BUTTON_2 && is_live_window(g_monitor_windows[0]))
      SendMessageW(owner_of(d), WM_COMMAND, CMD_IO_DISPLAY, 0);
  });
}

INT_PTR CALLBACK pin_view_tips_dialog_proc(HWND dialog, UINT message, WPARAM wparam, LPARAM) {
  // "ボード表示" (591) addresses the I/O display window, which does not exist.
  return run_guide(dialog, message, wparam, NO_GUIDE_FLAG, nullptr);
}
