// The command routing that the screens and services share: the slots of a document
// window's extra bytes, the context of the command being routed, the table of the frame's
// command handlers that each module fills with set_frame_command_handler, and the rules
// every document window applies (closing the screen's dialogs, the tool guard). The
// frame's WM_COMMAND itself, which reads the table, is frame/frame_commands_win.cpp.
#pragma once

#include "target/windows_api.h"

#include "shell/view_state.h"
#include "shell/window_lists.h"

// Byte offsets in the extra bytes of a document window (ChildWindowExtra). Each slot holds a
// pointer, read and written with Get/SetWindowLongPtrW, so the slots are pointer-sized.
inline constexpr int CHILD_EXTRA_SLOT = static_cast<int>(sizeof(LONG_PTR));
inline constexpr int CHILD_EXTRA_DOCUMENT = 0 * CHILD_EXTRA_SLOT;    // the document
inline constexpr int CHILD_EXTRA_VIEW_STATE = 1 * CHILD_EXTRA_SLOT;  // the ViewState
inline constexpr int CHILD_EXTRA_SAVED_COPY = 2 * CHILD_EXTRA_SLOT;  // the saved copy of the document
inline constexpr int CHILD_EXTRA_DOCUMENT_KIND = 3 * CHILD_EXTRA_SLOT; // the DocumentKind of the document

// The kind of the document a window holds; NONE for a window without one (or of a class
// whose extra bytes do not reach the slot).
inline DocumentKind document_kind_of(HWND window) {
  if (window == nullptr || !IsWindow(window)) return DocumentKind::NONE;
  const LONG_PTR kind = GetWindowLongPtrW(window, CHILD_EXTRA_DOCUMENT_KIND);
  return kind >= 1 && kind <= 3 ? static_cast<DocumentKind>(kind) : DocumentKind::NONE;
}
inline void set_document_kind(HWND window, DocumentKind kind) {
  SetWindowLongPtrW(window, CHILD_EXTRA_DOCUMENT_KIND, static_cast<LONG_PTR>(kind));
}

// Context of the command being routed, refreshed by the frame at the start of every
// WM_COMMAND (with g_client_rect, the frame's client rectangle, shell/frame_handles_win.h).
extern HWND g_active_child;              // the active MDI child, or 0
extern ViewState* g_active_view_state;   // its ViewState
extern void* g_active_document;          // its document

// A frame command of another module. It returns the result of WM_COMMAND: 0, or the
// result of the default frame procedure (default_frame_command).
using FrameCommandHandler = LRESULT (*)(HWND frame, WPARAM wparam, LPARAM lparam);
void set_frame_command_handler(int id, FrameCommandHandler handler);
// The handler installed for `id`, or nullptr.
FrameCommandHandler frame_command_handler(int id);

// The default frame procedure for a WM_COMMAND (activates a window chosen from the
// MDI window menu).
LRESULT default_frame_command(HWND frame, WPARAM wparam, LPARAM lparam);

// Sends WM_CLOSE to the current screen's dialogs (slots 0..3 of its row).
void close_screen_dialogs();

// The tool guard of a document window, at the start of its WM_COMMAND: refuses a tool
// command (1101..1148) while the toolbar shown is not the window's own (own_toolbar_kind:
// design 0, monitor 1, mnemonic 2), with its message. Returns true when it refused.
bool refuse_foreign_tool_command(HWND window, int own_toolbar_kind, int id);
