#include "shell/status_bar_win.h"

#include <commctrl.h>

#include "resources/resource_ids.h"
#include "shell/command_ids.h"
#include "shell/status_parts.h"
#include "shell/wide_text_win.h"

HWND g_status_bar = nullptr;

HWND create_status_bar(HWND frame) {
  g_status_bar = CreateStatusWindowW(WS_CHILD | WS_VISIBLE | SBARS_SIZEGRIP | CCS_BOTTOM, L"Ready", frame, STATUS_BAR_ID);
  return g_status_bar;
}

void set_status_part_text(int part, const char* text, int style) {
  if (g_status_bar == nullptr) return;
  const std::wstring wide = wide_from_cp932(text != nullptr ? text : "");
  SendMessageW(g_status_bar, SB_SETTEXTW, static_cast<WPARAM>(part | style), reinterpret_cast<LPARAM>(wide.c_str()));
}

void show_ready_status() {
  set_status_part_text(0, "READY");
  clear_status_parts();
}

void clear_status_parts() {
  for (int part = 1; part <= 6; ++part) set_status_part_text(part, "");
}

void show_edit_mode_indicators(int mode, int selected) {
  for (const StatusPartText& p : edit_mode_indicator_texts(mode, selected))
    set_status_part_text(p.part, p.text.c_str(), p.raised ? SBT_POPOUT : 0);
}

void show_status_text_and_modes(const char* text_list, int index, int mode) {
  set_status_part_text(0, list_entry(text_list, index).c_str());
  show_edit_mode_indicators(mode, index);
}

void show_menu_help(WPARAM wparam, LPARAM lparam) {
  if (g_status_bar == nullptr) return;
  const UINT flags = HIWORD(wparam);
  if (flags == 0xFFFF && lparam == 0) {  // the menu closed
    SendMessageW(g_status_bar, SB_SIMPLE, FALSE, 0);
    return;
  }
  wchar_t help[256] = {};
  // System-menu items and the MDI window entries have no help text.
  if ((flags & MF_SYSMENU) == 0) {
    const UINT id = (flags & MF_POPUP) != 0 ? STR_POPUP_HELP : LOWORD(wparam);
    if (id != 0) LoadStringW(GetModuleHandleW(nullptr), id, help, 256);
  }
  SendMessageW(g_status_bar, SB_SIMPLE, TRUE, 0);
  SendMessageW(g_status_bar, SB_SETTEXTW, 255 | SBT_NOBORDERS, reinterpret_cast<LPARAM>(help));
}
