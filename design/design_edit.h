// What the editing operations of the design window share: the mode state a click or a
// key is read against, and the record of effects an operation hands back to the window.
//
// An editing operation (part placement, line drawing, cursor keys) works on the grid and
// the window's ViewState alone and never calls the platform. It changes the grid and the
// view and returns an EditEffects: what to repaint, whether the grid changed (the window
// then pushes an undo snapshot), the sync notice for the other views, the status text,
// a message, a dialog or popup menu to show, and the messages the window sends itself
// afterwards. The window applies them in one order: the grid has changed already, then the
// undo snapshot, the repaint, the sync notice, then the rest. A refused edit returns
// effects that change nothing.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "core/ladder_model.h"
#include "design/view_geometry.h"
#include "shell/view_state.h"

// g_current_tool values of the design window (read from the toolbar at each click).
namespace DesignToolId {
inline constexpr int RELAY_A = 1;
inline constexpr int RELAY_B = 2;
inline constexpr int OUT = 7;
inline constexpr int TIM = 8;
inline constexpr int CNT = 9;
inline constexpr int FUNCTION = 10;
inline constexpr int LINE = 11;
inline constexpr int ERASE = 12;
inline constexpr int NUMBER = 14;
inline constexpr int RANGE = 34;
inline constexpr int BLANK_LINE = 35;
inline constexpr int NONE = 151;
}  // namespace DesignToolId

// Sub-modes of the range and blank-line modes (their popup items in this order).
inline constexpr int RANGE_SUBMODE_SELECT = 0;
inline constexpr int RANGE_SUBMODE_PASTE = 4;
inline constexpr int BLANK_SUBMODE_CLOSE = 1;

// The mode state at the moment of a click or key: the tool read from the toolbar, the
// ModeFlags entries, the sub-modes and the Shift key.
struct DesignModes {
  int tool = DesignToolId::NONE;  // g_current_tool
  bool shift = false;             // Shift held during the click or key
  bool line_mode = false;         // flag 1111
  bool erase_mode = false;        // flag 1112
  bool number_mode = false;       // flag 1114
  bool replace_mode = false;      // flag 1115
  bool comment_mode = false;      // flag 1116 (button 1116 checked)
  bool search_mode = false;       // flag 1117
  bool range_mode = false;        // flag 1134 (button 1134 checked)
  bool blank_mode = false;        // flag 1135
  bool initial_settings_mode = false;  // flag 1136
  bool placement_tool_checked = false; // one of the buttons 1101, 1102, 1107, 1108, 1109 is checked
  int range_submode = RANGE_SUBMODE_SELECT;  // g_range_submode
  int blank_submode = 0;                     // g_blank_submode
  // The state of the design dialogs that a click in a dialog mode feeds.
  int number_entry_mode = 0;      // g_number_mode (4: the empty number)
  int number_entry_count = 0;     // g_number_entry_count
  int search_kind = 0;            // g_search_mode (4: instruction names)
  bool search_dialog_open = false;
  bool search_list_form = false;  // g_search_dialog_variant: the list form "SchisDialog"
  bool number_dialog_open = false;  // slot 0 holds a dialog already
};

// A modeless design dialog a click or key asks for.
enum class DesignDialog {
  NONE,
  NUMBER,       // "BanDialog"
  FUNCTION,     // "FuncDialog"
  SEARCH,       // the open search dialog is fed, nothing is created
  COMMENT,      // "COMTDIALOG"
  ROW_COMMENT,  // "COMTGYDIALOG"
};
struct DialogRequest {
  DesignDialog dialog = DesignDialog::NONE;
  bool close_slot0 = false;     // close the dialog in slot 0 first
  bool create = false;          // create the dialog into slot 0 (only when slot 0 is empty for NUMBER)
  bool set_text = false;        // set edit 717 to `text`
  std::string text;             // CP932
  bool send_ok = false;         // then WM_COMMAND IDOK to the dialog
  bool focus_edit = false;      // give edit 717 the focus
  bool list_uses = false;       // the search list form lists the uses of `text` (g_search_list_content 2)
};

// One item of a popup menu.
struct PopupItem {
  int id = 0;            // 0 for a separator
  std::string text;      // CP932
  bool checked = false;
  bool grayed = false;
};

// Work a click hands over to the row and range edits.
enum class RowEditHandoff {
  NONE,
  RANGE_SELECT,  // start or end a range
  RANGE_PASTE,   // paste the range clipboard at the click
  BLANK_LINE,    // a blank-line operation at the click
};

// A synthetic mouse message the window sends itself (client coordinates).
struct SelfMouse {
  enum Kind { LEFT_CLICK, DRAG_SHIFT } kind;  // WM_LBUTTONDOWN; WM_MOUSEMOVE with MK_LBUTTON | MK_SHIFT
  int x, y;
};

struct EditEffects {
  bool handled = true;         // false: the message goes on to the default processing
  bool changed = false;        // the grid changed: push an undo snapshot
  std::vector<PixelRect> invalidate;  // client rectangles to repaint (with erasing)
  bool invalidate_all = false;        // repaint the whole client area
  std::optional<SyncViewNotice> sync; // CMD_SYNC_VIEW to the other design views of the file
  bool clear_other_cursors = false;   // a span was shown: the other windows drop theirs
  bool sync_hits = false;             // copy the search hits to the other design views
  bool note_shared_click = false;     // a click into a view of the main file (repaint mask)
  bool scrolled = false;              // top_row moved: set the scroll position
  int scroll_pair = 0;                // scroll the two visible design windows by this many lines
  bool uncheck_function_tool = false; // uncheck button 1110 and clear its flag
  const char* status = nullptr;       // status-bar part 0 (CP932)
  const char* message = nullptr;      // a warning box (CP932) owned by the dialog in slot 0
  const char* message_caption = nullptr;
  DialogRequest dialog;
  std::vector<PopupItem> popup;       // a popup menu to show at the cursor (empty: none)
  RowEditHandoff handoff = RowEditHandoff::NONE;
  std::vector<int> keys;              // virtual keys the window sends itself afterwards (WM_KEYDOWN)
  std::optional<SelfMouse> mouse;     // a mouse message the window sends itself afterwards
  int rows_after_mouse = 0;           // cursor rows to move (and show the span) after `mouse`
  int blank_submode = -1;             // g_blank_submode becomes this (-1: unchanged)
  bool close_dialogs = false;         // WM_CLOSE to dialog slots 0-3 of the screen
  bool reset_modes = false;           // reset_design_modes

  static EditEffects not_handled() {
    EditEffects e;
    e.handled = false;
    return e;
  }
};

// What an editing operation needs of its window besides the grid and the view.
struct EditContext {
  int client_width = 0;   // of the design window
  DesignModes modes;
};

// ---- Helpers over cells and rows (bounded by the grid) -----------------------------------------

// The grid row, or null outside the grid.
inline LadderRow* edit_row(GridSpan grid, int index) {
  return index >= 0 && static_cast<size_t>(index) < grid.size() ? &grid[static_cast<size_t>(index)] : nullptr;
}
inline uint32_t cell_word0(ConstGridSpan grid, int row, int column) {
  const LadderRow* r = grid_row_at(grid, row);
  return r != nullptr && column >= 0 && column < ROW_CELLS ? r->cell[column].word[0] : 0;
}

// The rows a click or key may edit: program rows up to and including the END row. A grid
// without an END row lets no row be edited past its capacity.
int editable_row_limit(ConstGridSpan grid);
// A row that is neither a comment row, a special row nor the end mark, and lies at or before
// the END row.
bool is_program_row(ConstGridSpan grid, int row);

// Repaint rectangle of the cells [first_column, last_column] of rows [first_row, last_row],
// reaching half a cell beyond on each side (the pictures overhang their cells); a last
// column of 11 or more runs to the right edge of the client.
PixelRect cells_rect(const ViewState& view, int client_width, int first_row, int last_row, int first_column,
                     int last_column);

// The columns in which `after` differs from `before` (words 0 and 1 of the cells and the
// cells' texts): the output's operand cells 12-14 count as column 11, the label as column
// 15 only when nothing else changed. False when the rows hold the same.
bool changed_columns(const LadderRow& before, const LadderRow& after, int& first, int& last);

// Clears the output of a row: cells 11 to 14 (words 0 and 1) and every cell of the element
// that ends in column 11 (a box back to its first cell, the coil cell of a TIM or CNT),
// keeping the link bits and emptying the texts of the cleared cells. A text row loses its
// text mark and text. Returns the first column cleared (11 when the output has no cells
// left of column 11).
int erase_row_output(LadderRow& row);

// The span's pixel rectangle was drawn / erased: add it to the effects.
// add_span_show returns show_cursor_span's result (0, or -2 with nothing drawn).
int add_span_show(EditEffects& effects, ViewState& view, ConstGridSpan grid, const EditContext& context);
void add_span_erase(EditEffects& effects, ViewState& view, const EditContext& context);
void add_marker_clear(EditEffects& effects, ViewState& view);
