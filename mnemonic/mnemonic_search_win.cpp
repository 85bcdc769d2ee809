// The core's model first: <windows.h> defines OUT as an empty macro.
#include "core/ladder_model.h"

#include "mnemonic/mnemonic_search_win.h"

#include <string>

#include "design/undo_ring.h"
#include "design/view_state.h"
#include "mnemonic/mnemonic_search.h"
#include "mnemonic/mnemonic_window_win.h"
#include "shell/command_ids.h"
#include "shell/command_routing_win.h"
#include "shell/frame_win.h"
#include "shell/mode_flags.h"
#include "shell/text_win.h"
#include "shell/toolbar_win.h"
#include "shell/window_lists_win.h"

namespace {

MnemonicSearchDialogOpener g_opener = nullptr;

constexpr int FIELD_TEXT = 717;
constexpr int FIELD_NEW_TEXT = 718;

// The active MDI child when it is a mnemonic window.
HWND active_mnemonic_window() {
  HWND active = g_mdi_client ? reinterpret_cast<HWND>(SendMessageW(g_mdi_client, WM_MDIGETACTIVE, 0, 0)) : nullptr;
  if (active == nullptr || find_window_in_list(g_mnemonic_windows, active) <= 0) return nullptr;
  return nic_window_text(active) && nic_window_view(active) ? active : nullptr;
}

bool is_live(WindowHandle handle) { return handle != 0 && handle != WINDOW_LIST_END && IsWindow(as_hwnd(handle)); }

}  // namespace

int search_in_active_text(HWND dialog, std::string_view word, int mode) {
  HWND window = active_mnemonic_window();
  if (window == nullptr) return WORD_NOT_FOUND;
  MnemonicEffects effects;
  const int result =
      search_in_text(*nic_window_text(window), *nic_window_view(window), word, mode, {dialog, window}, effects);
  apply_nic_effects(window, effects);
  return result;
}

int replace_in_active_text(HWND dialog, std::string_view old_text, std::string_view new_text, int mode) {
  HWND window = active_mnemonic_window();
  if (window == nullptr) return 0;
  MnemonicText& text = *nic_window_text(window);
  ViewState& view = *nic_window_view(window);
  const int replaced = replace_in_text(text, view, old_text, new_text, mode, {dialog, window},
                                       [window](const MnemonicEffects& e) {
                                         apply_nic_effects(window, e);
                                         // The window shows the match before the question is asked.
                                         UpdateWindow(window);
                                       });
  if (replaced && view_file_number(view) == 0) push_mnemonic_undo(text);
  return replaced;
}

void set_mnemonic_search_dialog_opener(MnemonicSearchDialogOpener opener) { g_opener = opener; }

HWND open_mnemonic_search_dialog(HWND window) {
  auto& row = dialog_slot_row(g_screen_kind);
  for (int slot = 0; slot <= 1; ++slot)
    if (is_live(row[slot])) SendMessageW(as_hwnd(row[slot]), WM_CLOSE, 0, 0);
  reset_design_modes();
  set_mode_flag(CMD_SEARCH, 1);
  HWND dialog = g_opener ? g_opener(window) : nullptr;
  if (dialog == nullptr) return nullptr;
  dialog_slot_row(g_screen_kind)[0] = as_window_handle(dialog);
  SetDlgItemTextW(dialog, FIELD_TEXT, L"");
  if (HWND field = GetDlgItem(dialog, FIELD_TEXT)) SetFocus(field);
  return dialog;
}

bool feed_caret_word_to_dialog(HWND window, HWND dialog) {
  const bool search = get_mode_flag(CMD_SEARCH) != 0;
  const bool replace = get_mode_flag(CMD_REPLACE) != 0;
  if (dialog == nullptr || (!search && !replace)) return false;
  MnemonicText* text = nic_window_text(window);
  ViewState* view = nic_window_view(window);
  if (text == nullptr || view == nullptr) return false;
  std::string word;
  word_at_caret(*text, *view, word);
  SetDlgItemTextW(dialog, FIELD_TEXT, cp932_to_wide(word).c_str());
  if (replace) {
    SetDlgItemTextW(dialog, FIELD_NEW_TEXT, L"");
    broadcast_mnemonic_line(window, view->cursor_row);
  }
  InvalidateRect(window, nullptr, TRUE);
  return true;
}
