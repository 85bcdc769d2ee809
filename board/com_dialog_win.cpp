#include "board/com_dialog_win.h"

#include <string>

#include "core/current_mnemonic_text.h"
#include "core/notice.h"
#include "core/sjis.h"
#include "shell/view_state.h"
#include "board/com_dialog.h"
#include "shell/command_routing_win.h"
#include "shell/frame_handles_win.h"
#include "shell/message_box_win.h"
#include "shell/text_win.h"
#include "shell/window_lists_win.h"
#include "target/monitor_protocol.h"

namespace {

// The MDI child that was active when the dialog was made: the read-back's question
// belongs to it and it lays out the pasted text.
HWND g_com_owner = nullptr;

void set_text(HWND dialog, int id, const std::string& text) {
  SetDlgItemTextW(dialog, id, cp932_to_wide(text).c_str());
}

std::wstring box_text(HWND dialog, int id) {
  const int length = GetWindowTextLengthW(GetDlgItem(dialog, id));
  std::wstring wide(static_cast<size_t>(length > 0 ? length : 0) + 1, L'\0');
  const int n = GetDlgItemTextW(dialog, id, wide.data(), static_cast<int>(wide.size()));
  wide.resize(static_cast<size_t>(n > 0 ? n : 0));
  return wide;
}

// The box's whole text in CP932, or at most `limit` bytes of it (0: no limit), cut at a
// character boundary. False when some character has no CP932 form: nothing of the text
// is taken then, since a lossy conversion would hand on a different text.
bool get_text(HWND dialog, int id, size_t limit, std::string& text) {
  text.clear();
  if (!wide_to_cp932(box_text(dialog, id), text)) {
    text.clear();
    return false;
  }
  if (limit > 0 && text.size() > limit) text.resize(sjis_cut_length(text, limit));
  return true;
}

// The send box shows what is being sent; it is painted now, because the exchange that
// follows holds the thread until the board has answered.
void show_in_send_box(HWND dialog, const char* text) {
  set_text(dialog, ComControl::SEND_BOX, text);
  UpdateWindow(GetDlgItem(dialog, ComControl::SEND_BOX));
}


// A failed exchange leaves the receive box saying so: the link is no longer what it said.
void show_result(HWND dialog, const ComResult& result) {
  if (result.ok) set_text(dialog, ComControl::RECEIVE_BOX, result.receive);
  else if (result.link_failed) show_link_state(dialog, ComLinkState::FAILED);
}

void send_from_box(HWND dialog) {
  std::string command;
  if (!get_text(dialog, ComControl::SEND_BOX, MAX_COMMAND_LENGTH, command)) {
    show_notice(MSG_SEND_NOT_CP932, CAPTION_WARNING, NoticeStyle::OK);
    return;
  }
  show_result(dialog, com_send_command(command));
}

HWND active_child() {
  return g_mdi_client ? reinterpret_cast<HWND>(SendMessageW(g_mdi_client, WM_MDIGETACTIVE, 0, 0)) : nullptr;
}

void read_back(HWND dialog) {
  show_in_send_box(dialog, COM_LIST_COMMAND);
  const ComResult listing = com_read_program();
  show_result(dialog, listing);
  // A listing that was not read whole is shown, never pasted (its message was shown).
  if (!listing.ok || !listing.whole) return;
  // With no mnemonic document there is nothing to paste into: the listing stays in the box.
  if (g_mnemonic_text.empty()) {
    show_notice(MSG_NO_PASTE_SCREEN, CAPTION_WARNING, NoticeStyle::OK);
    return;
  }
  HWND owner = g_com_owner != nullptr && IsWindow(g_com_owner) ? g_com_owner : nullptr;
  if (show_message_box(owner, COM_PASTE_QUESTION, "確認", MB_YESNO) != IDYES) return;
  // The box as the board sent it gives the board's own bytes: its UTF-16 would give back
  // a character that has two Shift-JIS forms (0xED40 and 0xFA5C) in the other one. A box
  // the user edited gives its text as it is, and that paste is a change of the document;
  // one with a character that has no CP932 form is refused, the document staying as it was.
  const bool edited = box_text(dialog, ComControl::RECEIVE_BOX) != cp932_to_wide(listing.receive);
  std::string pasted = listing.receive;
  if (edited && !get_text(dialog, ComControl::RECEIVE_BOX, 0, pasted)) {
    show_notice(MSG_PASTE_NOT_CP932, CAPTION_WARNING, NoticeStyle::OK);
    return;
  }
  // The document may have gone while the question was open.
  if (g_mnemonic_text.empty()) {
    show_notice(MSG_NO_PASTE_SCREEN, CAPTION_WARNING, NoticeStyle::OK);
    return;
  }
  if (com_paste_listing(pasted, g_mnemonic_text, g_mnemonic_saved_text, !edited) < 0) return;
  // The view served last shows the pasted text without comments.
  if (g_active_view_state != nullptr) g_active_view_state->comment_display = 0;
  if (owner != nullptr) {
    RECT client;
    GetClientRect(owner, &client);
    SendMessageW(owner, WM_SIZE, SIZE_RESTORED, MAKELPARAM(client.right, client.bottom));
    InvalidateRect(owner, nullptr, TRUE);
  }
}

void on_command(HWND dialog, int id) {
  if (const char* fixed = fixed_command_text(id)) {
    show_in_send_box(dialog, fixed);
    send_from_box(dialog);
    return;
  }
  switch (id) {
    case ComControl::SEND:
      send_from_box(dialog);
      return;
    case ComControl::STOP:
      show_in_send_box(dialog, COM_STOP_SHOWN);
      set_text(dialog, ComControl::RECEIVE_BOX, com_stop_program());
      return;
    case ComControl::CLEAR:
      set_text(dialog, ComControl::SEND_BOX, "");
      SetFocus(GetDlgItem(dialog, ComControl::SEND_BOX));
      return;
    case ComControl::WRITE:
      SetFocus(GetDlgItem(dialog, ComControl::SEND_BOX));
      show_in_send_box(dialog, COM_WRITING);
      SendDlgItemMessageW(dialog, ComControl::SEND_BOX, EM_SETSEL, static_cast<WPARAM>(-1), 0);
      show_result(dialog, com_write_program(g_mnemonic_text));
      return;
    case ComControl::VERIFY:
      show_in_send_box(dialog, COM_LIST_COMMAND);
      show_result(dialog, com_verify_program(g_mnemonic_text));
      return;
    case ComControl::READ_BACK:
      read_back(dialog);
      return;
    case ComControl::CLOSE:
      DestroyWindow(dialog);
      return;
    default:
      return;
  }
}

bool is_button_command(int id) {
  switch (id) {
    case ComControl::SEND:
    case ComControl::WRITE:
    case ComControl::VERIFY:
    case ComControl::READ_BACK:
    case ComControl::RUN:
    case ComControl::STOP:
    case ComControl::RESUME:
    case ComControl::RESET:
    case ComControl::X04A:
    case ComControl::X04D:
    case ComControl::X05A:
    case ComControl::X05D:
    case ComControl::CLEAR:
    case ComControl::CLOSE:
      return true;
    default:
      return false;
  }
}

}  // namespace

void show_link_state(HWND dialog, ComLinkState state) {
  set_text(dialog, ComControl::RECEIVE_BOX, com_link_state_text(state));
}

HWND com_dialog() {
  HWND slot = as_hwnd(g_dialog_slots[0][0]);
  if (slot == nullptr || !IsWindow(slot)) return nullptr;
  return reinterpret_cast<DLGPROC>(GetWindowLongPtrW(slot, DWLP_DLGPROC)) == com_dialog_proc ? slot : nullptr;
}

HWND open_com_dialog(HWND frame) {
  if (HWND open = com_dialog()) return open;
  // Another screen's dialog in the COM dialog's slot goes first.
  HWND other = as_hwnd(g_dialog_slots[0][0]);
  if (other != nullptr && IsWindow(other)) SendMessageW(other, WM_CLOSE, 0, 0);
  g_dialog_slots[0][0] = 0;
  HWND dialog = CreateDialogParamW(g_instance, L"COMDIALOG", frame, com_dialog_proc, 0);
  if (dialog == nullptr) return nullptr;
  // The receive box shows a whole listing, however long.
  SendDlgItemMessageW(dialog, ComControl::RECEIVE_BOX, EM_SETLIMITTEXT, 0, 0);
  g_dialog_slots[0][0] = as_window_handle(dialog);
  ShowWindow(dialog, SW_SHOW);
  return dialog;
}

INT_PTR CALLBACK com_dialog_proc(HWND dialog, UINT message, WPARAM wparam, LPARAM) {
  switch (message) {
    case WM_INITDIALOG:
      g_com_owner = active_child();
      return TRUE;
    case WM_CLOSE:
      DestroyWindow(dialog);
      return TRUE;
    case WM_DESTROY:
      if (as_hwnd(g_dialog_slots[0][0]) == dialog) g_dialog_slots[0][0] = 0;
      g_com_owner = nullptr;
      return FALSE;
    case WM_COMMAND: {
      const int id = LOWORD(wparam);
      if (!is_button_command(id)) return FALSE;
      on_command(dialog, id);
      return TRUE;
    }
    default:
      return FALSE;
  }
}
