// The mouse and keyboard of the design window: decodes WM_LBUTTONDOWN, WM_RBUTTONDOWN,
// WM_MOUSEMOVE (a drawing drag), WM_KEYDOWN and the WM_COMMAND ids of the function keys,
// the page keys, Escape and the popup items, runs the editing operations (part_placement.h,
// line_drawing.h, cursor_keys.h) and applies their effects: the undo snapshot, the repaint,
// CMD_SYNC_VIEW to the other views, the status text, messages, popup menus and the
// messages the window sends itself.
//
// design_window_proc calls design_handle_input first for every message; a message it does
// not take goes on as before.
#pragma once

#include "target/windows_api.h"

#include <cstdint>

#include "core/ladder_model.h"
#include "design/cursor_keys.h"
#include "design/design_edit.h"
#include "design/device_uses.h"

// True when the message was handled; `result` is then the message's result.
bool design_handle_input(HWND window, UINT message, WPARAM wparam, LPARAM lparam, LRESULT& result);

// Applies what an editing operation returned, in the order every edit follows: the grid
// has changed already, then the undo snapshot, the repaint, the sync notice, then the rest.
void apply_design_effects(HWND window, LadderGrid& grid, ViewState& view, const EditEffects& effects);

// Program-wide state of the design window's input (g_search_highlight, the Space key's
// device-use highlight, is the painter's: design/design_paint.h).
extern int g_range_submode;     // the range mode's sub-mode (select 0 .. paste 4)
extern int g_blank_submode;     // the blank-line mode's sub-mode

// What the design window hands to the screens that own the work: the row and range edits,
// the design dialogs and the device-use lister. An empty entry does nothing.
struct DesignInputHooks {
  void (*row_edit)(HWND window, RowEditHandoff handoff) = nullptr;
  void (*open_dialog)(HWND window, const DialogRequest& request) = nullptr;
  void (*read_dialog_state)(DesignModes& modes) = nullptr;  // number and search dialog state
  DeviceUseLister list_uses = list_device_uses;
};
void set_design_input_hooks(const DesignInputHooks& hooks);
const DesignInputHooks& design_input_hooks();
