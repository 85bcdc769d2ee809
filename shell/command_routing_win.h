// The frame's WM_COMMAND: the per-command context, the frame's own commands of this
// module (the COM list, Enter, the port check, the edit-mode preparation), and the
// forwarding of every other id to the active document window. The frame commands of
// the other modules (open, new, screens, conversions, printing, exit...) are carried
// out by the handlers they install with set_frame_command_handler.
#pragma once

#include "shell/windows_api.h"

#include "design/view_state.h"
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

// Context of the command being routed, refreshed at the start of every WM_COMMAND
// (with g_client_rect, the frame's client rectangle, shell/frame_win.h).
extern HWND g_active_child;              // the active MDI child, or 0
extern ViewState* g_active_view_state;   // its ViewState
extern void* g_active_document;          // its document

// A frame command of another module. It returns the result of WM_COMMAND: 0, or the
// result of the default frame procedure (default_frame_command).
using FrameCommandHandler = LRESULT (*)(HWND frame, WPARAM wparam, LPARAM lparam);
void set_frame_command_handler(int id, FrameCommandHandler handler);

// The default frame procedure for a WM_COMMAND (activates a window chosen from the
// MDI window menu).
LRESULT default_frame_command(HWND frame, WPARAM wparam, LPARAM lparam);

// The frame's WM_COMMAND.
LRESULT route_frame_command(HWND frame, WPARAM wparam, LPARAM lparam);

// Hands the frame its toolbar, start-up guide and command routing (g_frame_slots):
// called once before the program starts.
void install_frame_slots();

// Sends WM_CLOSE to the current screen's dialogs (slots 0..3 of its row).
void close_screen_dialogs();

// The tool guard of a document window, at the start of its WM_COMMAND: refuses a tool
// command (1101..1148) while the toolbar shown is not the window's own (own_toolbar_kind:
// design 0, monitor 1, mnemonic 2), with its message. Returns true when it refused.
bool refuse_foreign_tool_command(HWND window, int own_toolbar_kind, int id);
