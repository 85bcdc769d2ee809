#include "shell/command_routing_win.h"

#include <array>

#include "shell/command_routing.h"
#include "shell/frame_handles_win.h"
#include "shell/message_box_win.h"
#include "shell/mode_flags.h"
#include "shell/window_lists_win.h"

HWND g_active_child = nullptr;
ViewState* g_active_view_state = nullptr;
void* g_active_document = nullptr;

namespace {

// Handlers of the frame commands, by id. The frame command ids lie in 1133..1956.
constexpr int HANDLER_FIRST_ID = 1100;
constexpr int HANDLER_COUNT = 1957 - HANDLER_FIRST_ID;
std::array<FrameCommandHandler, HANDLER_COUNT> g_frame_handlers{};

}  // namespace

void set_frame_command_handler(int id, FrameCommandHandler handler) {
  const int i = id - HANDLER_FIRST_ID;
  if (i >= 0 && i < HANDLER_COUNT) g_frame_handlers[i] = handler;
}

FrameCommandHandler frame_command_handler(int id) {
  const int i = id - HANDLER_FIRST_ID;
  return i >= 0 && i < HANDLER_COUNT ? g_frame_handlers[i] : nullptr;
}

LRESULT default_frame_command(HWND frame, WPARAM wparam, LPARAM lparam) {
  return DefFrameProcW(frame, g_mdi_client, WM_COMMAND, wparam, lparam);
}

void close_screen_dialogs() {
  auto& row = dialog_slot_row(g_screen_kind);
  for (int slot = 0; slot <= 3; ++slot)
    if (row[slot] != 0) SendMessageW(as_hwnd(row[slot]), WM_CLOSE, 0, 0);
}

bool refuse_foreign_tool_command(HWND window, int own_toolbar_kind, int id) {
  if (!tool_guard_refuses(static_cast<int>(g_toolbar_kind), own_toolbar_kind, id)) return false;
  show_message_box(window, TOOL_GUARD_MESSAGE, TOOL_GUARD_CAPTION, MB_OK);
  return true;
}
