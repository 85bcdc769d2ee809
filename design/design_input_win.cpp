// The design window's mouse and keyboard: clicks, the drawing drag, the keys, the popup menu.
#include "core/ladder_model.h"
#include "design/cursor_keys.h"
#include "design/line_drawing.h"
#include "design/part_placement.h"

#include "design/design_input_win.h"

#include <commctrl.h>

#include <vector>

#include "design/design_paint.h"
#include "design/design_window_win.h"
#include "design/undo_ring.h"
#include "design/view_geometry_win.h"
#include "shell/command_ids.h"
#include "shell/command_routing.h"
#include "shell/frame_handles_win.h"
#include "shell/message_box_win.h"
#include "shell/mode_flags.h"
#include "shell/modifier_keys_win.h"
#include "shell/popup_menu_win.h"
#include "shell/status_bar_win.h"
#include "shell/toolbar_win.h"
#include "shell/window_lists_win.h"

int g_range_submode = 0;
int g_blank_submode = 0;

namespace {

DesignInputHooks& hooks() {
  static DesignInputHooks h;
  return h;
}

int client_width(HWND window) {
  RECT client{};
  GetClientRect(window, &client);
  return client.right - client.left;
}

bool button_checked(int id) {
  return g_toolbar != nullptr && SendMessageW(g_toolbar, TB_ISBUTTONCHECKED, static_cast<WPARAM>(id), 0) > 0;
}

// The modes in force now. `read_tool` reads the tool from the toolbar, as a click does.
DesignModes current_modes(bool read_tool) {
  DesignModes m;
  m.tool = read_tool ? get_selected_tool() : g_current_tool;
  m.shift = shift_key_down();
  // The line and erase buttons set their flags when pressed; a checked button alone
  // counts as well, so that the tool in force and its mode never disagree.
  m.line_mode = get_mode_flag(CMD_TOOL_LINE) != 0 || m.tool == DesignToolId::LINE;
  m.erase_mode = get_mode_flag(CMD_TOOL_ERASE) != 0 || m.tool == DesignToolId::ERASE;
  m.number_mode = get_mode_flag(CMD_SET_NUMBER) != 0;
  m.replace_mode = get_mode_flag(CMD_REPLACE) != 0;
  m.comment_mode = get_mode_flag(CMD_COMMENT) != 0;
  m.search_mode = get_mode_flag(CMD_SEARCH) != 0;
  m.range_mode = get_mode_flag(CMD_RANGE_MODE) != 0;
  m.blank_mode = get_mode_flag(CMD_BLANK_LINE_MODE) != 0;
  m.initial_settings_mode = get_mode_flag(CMD_INITIAL_SETTINGS) != 0;
  m.placement_tool_checked = button_checked(CMD_TOOL_RELAY_A) || button_checked(CMD_TOOL_RELAY_B) ||
                             button_checked(CMD_TOOL_OUT) || button_checked(CMD_TOOL_TIM) ||
                             button_checked(CMD_TOOL_CNT);
  m.range_submode = g_range_submode;
  m.blank_submode = g_blank_submode;
  m.number_dialog_open = dialog_slot_row(g_screen_kind)[0] != 0;
  if (hooks().read_dialog_state != nullptr) hooks().read_dialog_state(m);
  return m;
}

EditContext edit_context(HWND window, bool read_tool) {
  EditContext context;
  context.client_width = client_width(window);
  context.modes = current_modes(read_tool);
  return context;
}

void invalidate(HWND window, const PixelRect& rect) {
  const RECT r = to_rect(rect);
  InvalidateRect(window, &r, TRUE);
}

std::vector<int> other_design_window_indexes(HWND window) {
  std::vector<int> indexes;
  for (WindowHandle w : other_live_views(g_design_windows, as_window_handle(window), WIN32_DESIGN_VIEW_OPS))
    if (const ViewState* v = view_state_of(as_hwnd(w))) indexes.push_back(v->window_index);
  return indexes;
}

void show_popup(HWND window, const std::vector<PopupItem>& items) {
  std::vector<PopupMenuItem> menu;
  menu.reserve(items.size());
  for (const PopupItem& item : items) menu.push_back({item.id, item.text, item.checked, item.grayed});
  POINT position{};
  GetCursorPos(&position);
  const int chosen = show_popup_menu(window, menu, position);
  if (chosen != 0) SendMessageW(window, WM_COMMAND, static_cast<WPARAM>(chosen), 0);
}

bool is_function_key(int id) {
  return (id >= CMD_KEY_RELAY_A && id <= CMD_KEY_CNT) || id == CMD_KEY_LINE || id == CMD_KEY_ERASE ||
         id == CMD_KEY_LINK_UP;
}

}  // namespace

void set_design_input_hooks(const DesignInputHooks& h) { hooks() = h; }
const DesignInputHooks& design_input_hooks() { return hooks(); }

void apply_design_effects(HWND window, LadderGrid& grid, ViewState& view, const EditEffects& e) {
  // Only the views of the main file share the design undo ring; a further file's window
  // keeps no history.
  if (e.changed && view_file_number(view) == 0) push_design_undo(grid);
  if (e.invalidate_all) {
    InvalidateRect(window, nullptr, TRUE);
  } else {
    for (const PixelRect& rect : e.invalidate) invalidate(window, rect);
  }
  if (e.sync) broadcast_cell_update(window, e.sync->row, e.sync->column, e.sync->count, e.sync->width, false);
  if (e.clear_other_cursors) clear_other_cursors(window);
  if (e.sync_hits) sync_search_hits(window, view);
  if (e.note_shared_click) {
    const std::vector<int> others = other_design_window_indexes(window);
    note_shared_view_click(others);
  }
  if (e.scrolled) SetScrollPos(window, SB_VERT, view.top_row, TRUE);
  if (e.scroll_pair != 0) {
    HWND pair[2] = {};
    if (pick_two_visible_windows(g_design_windows, pair) == 2)
      for (HWND w : pair) SendMessageW(w, WM_VSCROLL, e.scroll_pair < 0 ? SB_LINEUP : SB_LINEDOWN, 0);
  }
  if (e.uncheck_function_tool) {
    check_toolbar_button(CMD_TOOL_FUNCTION, false);
    set_mode_flag(CMD_TOOL_FUNCTION, 0);
  }
  if (e.status != nullptr) set_status_part_text(0, e.status);
  if (e.message != nullptr) {
    const WindowHandle slot0 = dialog_slot_row(g_screen_kind)[0];
    show_message_box(slot0 != 0 ? as_hwnd(slot0) : window, e.message, e.message_caption, MB_OK);
  }
  if (e.blank_submode >= 0) g_blank_submode = e.blank_submode;
  if (e.dialog.dialog != DesignDialog::NONE && hooks().open_dialog != nullptr) hooks().open_dialog(window, e.dialog);
  if (e.handoff != RowEditHandoff::NONE && hooks().row_edit != nullptr) hooks().row_edit(window, e.handoff);
  if (e.close_dialogs) {
    auto& row = dialog_slot_row(g_screen_kind);
    for (int slot = 0; slot <= 3; ++slot)
      if (row[static_cast<size_t>(slot)] != 0) SendMessageW(as_hwnd(row[static_cast<size_t>(slot)]), WM_CLOSE, 0, 0);
  }
  if (e.reset_modes) reset_design_modes();
  if (!e.popup.empty()) {
    // The erased span and marker are gone from the screen before the menu loop starts.
    UpdateWindow(window);
    show_popup(window, e.popup);
  }
  for (int key : e.keys) SendMessageW(window, WM_KEYDOWN, static_cast<WPARAM>(key), 0);
  if (e.mouse) {
    const LPARAM position = MAKELPARAM(e.mouse->x, e.mouse->y);
    if (e.mouse->kind == SelfMouse::LEFT_CLICK) {
      SendMessageW(window, WM_LBUTTONDOWN, MK_LBUTTON, position);
    } else {
      SendMessageW(window, WM_MOUSEMOVE, MK_LBUTTON | MK_SHIFT, position);
    }
    if (e.rows_after_mouse != 0) {
      view.cursor_row += e.rows_after_mouse;
      show_cursor_span(window, grid, view);
    }
  }
}

bool design_handle_input(HWND window, UINT message, WPARAM wparam, LPARAM lparam, LRESULT& result) {
  switch (message) {
    case WM_SIZE:
      g_popup_toggle = 0;
      return false;
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MOUSEMOVE:
    case WM_KEYDOWN:
    case WM_COMMAND:
      break;
    default:
      return false;
  }
  LadderGrid* grid = design_grid_of(window);
  ViewState* view = view_state_of(window);
  if (grid == nullptr || view == nullptr || grid->empty()) return false;
  const int x = static_cast<short>(LOWORD(lparam));
  const int y = static_cast<short>(HIWORD(lparam));

  EditEffects effects = EditEffects::not_handled();
  switch (message) {
    case WM_LBUTTONDOWN: {
      g_popup_toggle = 0;
      if (g_toolbar_kind != TOOLBAR_KIND_DESIGN) return false;
      const EditContext context = edit_context(window, true);
      effects = design_left_click(*grid, *view, context, x, y, g_search_highlight);
      break;
    }
    case WM_RBUTTONDOWN: {
      if (g_toolbar_kind != TOOLBAR_KIND_DESIGN) return false;
      const EditContext context = edit_context(window, true);
      effects = design_right_click(*grid, *view, context, x, y, g_popup_toggle);
      break;
    }
    case WM_MOUSEMOVE: {
      if ((wparam & MK_LBUTTON) == 0) return false;
      const EditContext context = edit_context(window, false);
      effects = drag_line(*grid, *view, context, x, y);
      break;
    }
    case WM_KEYDOWN: {
      g_popup_toggle = 0;
      KeyContext context;
      context.edit = edit_context(window, false);
      HWND pair[2] = {};
      if (context.edit.modes.shift) context.two_visible_windows = pick_two_visible_windows(g_design_windows, pair);
      context.list_uses = hooks().list_uses;
      effects = design_key(*grid, *view, context, static_cast<int>(wparam), g_search_highlight);
      break;
    }
    case WM_COMMAND: {
      g_popup_toggle = 0;
      const int id = LOWORD(wparam);
      if (is_function_key(id)) {
        note_design_command();
        effects = apply_function_key(*grid, *view, edit_context(window, false), id);
      } else if (id == CMD_PAGE_UP || id == CMD_PAGE_DOWN || id == CMD_ESCAPE) {
        note_design_command();
        effects = design_page_command(*grid, *view, id);
      } else if (const int command = popup_item_command(id); command != 0) {
        SendMessageW(window, WM_COMMAND, static_cast<WPARAM>(command), 0);
        result = 0;
        return true;
      } else if (id == CMD_POPUP_SHOW_COMMENT) {
        result = 0;
        return true;
      }
      break;
    }
    default:
      break;
  }
  if (!effects.handled) return false;
  apply_design_effects(window, *grid, *view, effects);
  // Mouse messages go on to the default processing as well.
  if (message != WM_KEYDOWN && message != WM_COMMAND) return false;
  result = 0;
  return true;
}
