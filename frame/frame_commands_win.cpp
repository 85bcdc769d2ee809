#include "frame/frame_commands_win.h"

#include "design/comment_entry.h"
#include "design/compile_error_dialog_win.h"
#include "design/design_dialog_hooks_win.h"
#include "design/design_input_win.h"
#include "design/search_dialogs_win.h"
#include "frame/frame_conversions_win.h"
#include "frame/frame_win.h"
#include "frame/print_command_win.h"
#include "shell/command_routing.h"
#include "shell/documents_win.h"
#include "shell/guide_dialogs_win.h"
#include "shell/menu_states_win.h"
#include "shell/mode_flags.h"
#include "shell/toolbar_win.h"
#include "shell/window_lists_win.h"

namespace {

void refresh_command_context(HWND frame) {
  g_active_child = g_mdi_client != nullptr
                       ? reinterpret_cast<HWND>(SendMessageW(g_mdi_client, WM_MDIGETACTIVE, 0, 0))
                       : nullptr;
  g_active_view_state = nullptr;
  g_active_document = nullptr;
  if (g_active_child != nullptr && IsWindow(g_active_child)) {
    // A window of a class without extra bytes answers 0.
    g_active_document = reinterpret_cast<void*>(GetWindowLongPtrW(g_active_child, CHILD_EXTRA_DOCUMENT));
    g_active_view_state = reinterpret_cast<ViewState*>(GetWindowLongPtrW(g_active_child, CHILD_EXTRA_VIEW_STATE));
  }
  GetClientRect(frame, &g_client_rect);
}

void forward_to_active_child(WPARAM wparam, LPARAM lparam) {
  if (g_active_child != nullptr && IsWindow(g_active_child))
    SendMessageW(g_active_child, WM_COMMAND, wparam, lparam);
}

void relay_enter(WPARAM wparam, LPARAM lparam) {
  const EnterRouting route = route_enter(static_cast<int>(g_screen_kind));
  if (route.forward_to_child) {
    forward_to_active_child(wparam, lparam);
    return;
  }
  auto& row = dialog_slot_row(g_screen_kind);
  for (int slot = 0; slot <= 3; ++slot)
    if (row[slot] != 0) SendMessageW(as_hwnd(row[slot]), WM_COMMAND, IDOK, 0);
  if (g_guide_dialog != 0) SendMessageW(as_hwnd(g_guide_dialog), WM_COMMAND, IDOK, 0);
  if (route.ok_to_child) forward_to_active_child(IDOK, 0);
}

void prepare_edit_mode(int id) {
  const int mode = edit_mode_prepared_for(id);
  close_screen_dialogs();
  if (g_toolbar_kind == TOOLBAR_KIND_DESIGN) reset_design_modes();
  set_mode_flag(mode, 1);
  check_toolbar_button(mode, true);
}

}  // namespace

LRESULT route_frame_command(HWND frame, WPARAM wparam, LPARAM lparam) {
  refresh_command_context(frame);
  const int id = LOWORD(wparam);
  switch (classify_frame_command(id)) {
    case CommandRoute::ComboSelection:
      pick_com_port(frame, wparam, lparam);
      return default_frame_command(frame, wparam, lparam);
    case CommandRoute::EnterKey:
      relay_enter(wparam, lparam);
      return 0;
    case CommandRoute::PortCheck:
      run_port_check(frame);
      return 0;
    case CommandRoute::FrameCommand: {
      const FrameCommandHandler handler = frame_command_handler(id);
      if (handler != nullptr) return handler(frame, wparam, lparam);
      return default_frame_command(frame, wparam, lparam);
    }
    case CommandRoute::PrepareThenForward:
      prepare_edit_mode(id);
      break;
    case CommandRoute::Forward:
      break;
  }
  forward_to_active_child(wparam, lparam);
  return default_frame_command(frame, wparam, lparam);
}

void install_frame_slots() {
  g_frame_slots.create_initial_toolbar = [](HWND frame) {
    HWND toolbar = create_screen_toolbar(frame, TOOLBAR_INITIAL);
    set_menu_state_empty(frame);
    return toolbar;
  };
  g_frame_slots.create_first_use_guide = [](HWND frame) { return open_guide_dialog(frame, GuideKind::FirstUse); };
  g_frame_slots.frame_command = route_frame_command;
  install_document_commands();
  install_print_command();
  install_frame_conversion_commands();
  // The one-click write shows its compile errors in the design screen's list.
  set_compile_error_list_opener([](HWND frame) { open_compile_error_list(frame); });
  // The design commands' dialogs: the number entry dialog and the function picker, then the
  // search and replace dialogs with the continued search, which hand every other kind on.
  // Both chains (the commands' openers and the clicks' dialog hooks) are built anew from
  // nothing, so installing the slots again never links a hook to itself: the number entry,
  // comment and function dialogs first, then the search and replace dialogs, which hand
  // every other request on.
  DesignInputHooks input = design_input_hooks();
  input.open_dialog = nullptr;
  input.read_dialog_state = nullptr;
  set_design_input_hooks(input);
  install_design_dialog_hooks();
  set_design_dialog_opener(nullptr);
  install_design_dialog_opener();
  install_search_dialog_hooks(design_dialog_opener());
  // A replace gives the new device's comment to the cells it changes.
  set_replace_comment_assigner([](HWND, GridSpan grid, ViewState&, int row, int column, uint32_t device) {
    assign_cell_comment(grid, row, column, device);
  });
}
