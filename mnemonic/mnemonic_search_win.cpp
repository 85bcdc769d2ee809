// The mnemonic screen's side of the search and replace dialogs, and its search command.
#include "core/ladder_model.h"

#include "mnemonic/mnemonic_search_win.h"

#include <string>

#include "design/device_search.h"
#include "design/search_dialogs_win.h"
#include "design/undo_ring.h"
#include "shell/view_state.h"
#include "mnemonic/mnemonic_search.h"
#include "mnemonic/mnemonic_window_win.h"
#include "shell/command_ids.h"
#include "shell/command_routing_win.h"
#include "shell/frame_handles_win.h"
#include "shell/mode_flags.h"
#include "shell/text_win.h"
#include "shell/toolbar_win.h"
#include "shell/window_lists_win.h"

namespace {

constexpr int FIELD_TEXT = 717;
constexpr int FIELD_NEW_TEXT = 718;

HWND dialog_in_slot_0() {
  const WindowHandle handle = dialog_slot_row(g_screen_kind)[0];
  return is_live_window(handle) ? as_hwnd(handle) : nullptr;
}

// The text is taken as a MnemonicText only when it is the one the window holds as its
// mnemonic text: a hook handed a design or monitor window, or a document of another
// window, does nothing.
bool is_text_of(HWND window, const void* text) {
  return window != nullptr && text != nullptr && document_kind_of(window) == DocumentKind::MNEMONIC_TEXT &&
         nic_window_text(window) == text;
}

}  // namespace

int mnemonic_search_hook(HWND window, void* text, ViewState& view, const char* word) {
  if (!is_text_of(window, text) || word == nullptr) return WORD_NOT_FOUND;
  MnemonicEffects effects;
  const int result = search_in_text(*static_cast<MnemonicText*>(text), view, word, g_search_mode,
                                    {dialog_in_slot_0(), window}, effects);
  apply_nic_effects(window, effects);
  return result;
}

int mnemonic_replace_hook(HWND window, void* text, ViewState& view, const char* old_text, const char* new_text) {
  if (!is_text_of(window, text) || old_text == nullptr || new_text == nullptr) return 0;
  return replace_in_text(*static_cast<MnemonicText*>(text), view, old_text, new_text, g_search_mode,
                         {dialog_in_slot_0(), window}, [window](const MnemonicEffects& e) {
                           apply_nic_effects(window, e);
                           // The window shows the match before the question is asked.
                           UpdateWindow(window);
                         });
}

void mnemonic_push_undo_hook(HWND window, void* text) {
  const ViewState* view = is_text_of(window, text) ? nic_window_view(window) : nullptr;
  if (view != nullptr && view_file_number(*view) == 0)
    push_mnemonic_undo(*static_cast<MnemonicText*>(text));
}

void install_mnemonic_search_hooks() {
  MnemonicSearchHooks hooks;
  hooks.search_in_text = mnemonic_search_hook;
  hooks.replace_in_text = mnemonic_replace_hook;
  hooks.push_undo = mnemonic_push_undo_hook;
  hooks.repaint_windows = repaint_nic_windows;
  set_mnemonic_search_hooks(hooks);
}

HWND open_mnemonic_search_dialog(HWND window) {
  auto& row = dialog_slot_row(g_screen_kind);
  for (int slot = 0; slot <= 1; ++slot)
    if (is_live_window(row[slot])) SendMessageW(as_hwnd(row[slot]), WM_CLOSE, 0, 0);
  reset_design_modes();
  set_mode_flag(CMD_SEARCH, 1);
  const std::string empty;
  HWND dialog = open_search_dialog(window, &empty);
  if (dialog == nullptr) return nullptr;
  SetDlgItemTextW(dialog, FIELD_TEXT, L"");
  if (HWND field = GetDlgItem(dialog, FIELD_TEXT)) SetFocus(field);
  return dialog;
}

HWND open_mnemonic_replace_dialog(HWND window) {
  auto& row = dialog_slot_row(g_screen_kind);
  for (int slot = 0; slot <= 1; ++slot)
    if (is_live_window(row[slot])) SendMessageW(as_hwnd(row[slot]), WM_CLOSE, 0, 0);
  reset_design_modes();
  set_mode_flag(CMD_REPLACE, 1);
  const std::string empty;
  HWND dialog = open_replace_dialog(window, &empty);
  if (dialog == nullptr) return nullptr;
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
