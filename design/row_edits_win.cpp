// The design window's row edits: the range and blank-line commands and the typed-text store.
#include "core/ladder_model.h"
#include "design/comment_entry.h"
#include "design/operand_entry.h"
#include "design/range_commands.h"

#include "design/row_edits_win.h"

#include "design/design_input_win.h"
#include "design/design_window_win.h"
#include "design/view_geometry_win.h"
#include "shell/command_ids.h"
#include "shell/frame_handles_win.h"
#include "shell/menu_states_win.h"
#include "shell/mode_flags.h"
#include "shell/status_bar_win.h"
#include "shell/toolbar_win.h"

namespace {

int g_drag_scroll_count = 0;

int client_width(HWND window) {
  RECT client{};
  GetClientRect(window, &client);
  return client.right - client.left;
}

// The modes the row edits read: the mode flags and sub-modes in force.
EditContext row_edit_context(HWND window) {
  EditContext context;
  context.client_width = client_width(window);
  context.modes.range_mode = get_mode_flag(CMD_RANGE_MODE) != 0;
  context.modes.blank_mode = get_mode_flag(CMD_BLANK_LINE_MODE) != 0;
  context.modes.comment_mode = get_mode_flag(CMD_COMMENT) != 0;
  context.modes.range_submode = g_range_submode;
  context.modes.blank_submode = g_blank_submode;
  context.modes.tool = g_current_tool;
  return context;
}

RowEditState current_state() { return RowEditState{g_range_submode, g_blank_submode, g_drag_scroll_count}; }
void keep_state(const RowEditState& state) {
  g_range_submode = state.range_submode;
  g_blank_submode = state.blank_submode;
  g_drag_scroll_count = state.drag_scroll_count;
}

}  // namespace

void install_row_edit_hooks() {
  DesignInputHooks hooks = design_input_hooks();
  hooks.row_edit = design_row_edit;
  set_design_input_hooks(hooks);
}

void apply_row_edit_effects(HWND window, LadderGrid& grid, ViewState& view, const RowEditEffects& e) {
  if (e.set_scroll_range) SetScrollRange(window, SB_VERT, 0, view.scroll_max, FALSE);
  apply_design_effects(window, grid, view, e.edit);
  for (const auto& [row, flag] : e.resync_rows) resync_design_view_scrollbars(window, row, flag);
  if (e.set_scroll_range) {
    SetScrollPos(window, SB_VERT, view.top_row, TRUE);
    sync_scroll_range(window, view);
  }
  if (e.enable_paste && g_frame != nullptr) {
    enable_menu_range(GetMenu(g_frame), CMD_RANGE_PASTE, 1, 1);
    DrawMenuBar(g_frame);
  }
  if (e.status_modes != 0)
    show_edit_mode_indicators(e.status_modes, e.status_modes == CMD_RANGE_MODE ? g_range_submode : g_blank_submode);
}

void design_row_edit(HWND window, RowEditHandoff handoff) {
  LadderGrid* grid = design_grid_of(window);
  ViewState* view = view_state_of(window);
  if (grid == nullptr || view == nullptr) return;
  const EditContext context = row_edit_context(window);
  RowEditEffects effects;
  switch (handoff) {
    case RowEditHandoff::RANGE_SELECT:
      effects = range_select_click(*grid, *view, context);
      break;
    case RowEditHandoff::RANGE_PASTE:
      effects = range_paste_click(*grid, *view, context, g_range_clipboard, window);
      break;
    case RowEditHandoff::BLANK_LINE:
      effects = blank_line_click(*grid, *view, context, g_blank_submode, window);
      break;
    default:
      return;
  }
  apply_row_edit_effects(window, *grid, *view, effects);
}

bool design_row_edit_command(HWND window, int command_id) {
  const bool range_id = (command_id >= CMD_RANGE_SELECT && command_id <= CMD_LEFT_CLOSE) ||
                        (command_id >= CMD_POPUP_RANGE_SELECT && command_id <= CMD_POPUP_LEFT_CLOSE);
  if (!range_id) return false;
  LadderGrid* grid = design_grid_of(window);
  ViewState* view = view_state_of(window);
  if (grid == nullptr || view == nullptr) return false;
  note_design_command();
  RowEditState state = current_state();
  const RowEditEffects effects =
      range_command(*grid, *view, row_edit_context(window), command_id, state, g_range_clipboard, window);
  keep_state(state);
  if (!effects.edit.handled) return false;
  apply_row_edit_effects(window, *grid, *view, effects);
  return true;
}

bool design_range_drag(HWND window, WPARAM wparam, LPARAM lparam) {
  if ((wparam & MK_LBUTTON) == 0 || get_mode_flag(CMD_RANGE_MODE) == 0) return false;
  LadderGrid* grid = design_grid_of(window);
  ViewState* view = view_state_of(window);
  if (grid == nullptr || view == nullptr || view->range_active == 0) return false;
  RowEditState state = current_state();
  const RowEditEffects effects =
      range_drag(*grid, *view, row_edit_context(window), static_cast<short>(HIWORD(lparam)), state);
  keep_state(state);
  if (!effects.edit.handled) return false;
  apply_row_edit_effects(window, *grid, *view, effects);
  return true;
}

bool design_store_text(HWND window, std::string& text, EntryOptions options) {
  LadderGrid* grid = design_grid_of(window);
  ViewState* view = view_state_of(window);
  if (grid == nullptr || view == nullptr) return false;
  options.owner = window;
  const EditEffects effects = enter_cell_text(*grid, *view, text, options, client_width(window));
  if (!effects.changed) return false;
  apply_store_effects(window, *grid, *view, effects);
  return true;
}

EntryOptions design_store_options(HWND window) {
  EntryOptions options;
  options.owner = window;
  // The END question's caption: the path of the design this window shows.
  if (const ViewState* view = view_state_of(window); view != nullptr) options.file_path = view->path;
  options.assign_comment = assign_cell_comment;
  return options;
}

void apply_store_effects(HWND window, LadderGrid& grid, ViewState& view, const EditEffects& effects) {
  apply_design_effects(window, grid, view, effects);
  if (effects.invalidate_all) {
    // END typed mid-program moves the bottom of the scroll range: the window measures it again.
    RECT client{};
    GetClientRect(window, &client);
    SendMessageW(window, WM_SIZE, SIZE_RESTORED, MAKELPARAM(client.right, client.bottom));
    sync_scroll_range(window, view);
  }
}
