// The range mode and the blank-line mode of the design window as operations returning
// their effects: a click that starts or ends a row range, the drag (and Shift+Down) that
// grows it, the copy, cut, delete and paste commands through the row clipboard, the
// sub-mode commands of both modes, and the blank-line clicks that open and close rows and
// shift cells.
//
// Questions and warnings go through the core's notice handler (core/notice.h) with the
// design window as owner; everything else comes back as effects for the window to apply.
// A refused or cancelled edit changes nothing in the grid.
#pragma once

#include <utility>
#include <vector>

#include "design/design_edit.h"
#include "design/row_edits.h"

inline constexpr char RANGE_STATUS_TEXT[] =
    "マウスのﾄﾞﾗｯｸﾞで範囲を指定します。 シフト+↓によっても範囲を設定できます。";
inline constexpr char BLANK_STATUS_TEXT[] = "指定した場所の行を空けます。";
inline constexpr char COPY_WITHOUT_RANGE_MESSAGE[] = "コピー範囲を指定して下さい！";
inline constexpr char CUT_WITHOUT_RANGE_MESSAGE[] = "カット範囲を指定して下さい！";
inline constexpr char CUT_QUESTION[] = "この範囲を切り取っていいですか？";
inline constexpr char DELETE_QUESTION[] = "この範囲を削除していいですか？";
inline constexpr char CLIPBOARD_EMPTY_MESSAGE[] = "クリップボ－ドが空です！";
inline constexpr char PASTE_QUESTION[] = "コピ－した範囲をこの上方に挿入しますか？";
inline constexpr char PASTE_REFERENCE_MESSAGE[] = "参照ﾌｧｲﾙには貼り付け出来ません！";
// A paste or blank row that would push the end mark past the grid is refused.
inline constexpr char PASTE_FULL_MESSAGE[] = "行数が上限を超えるため貼り付け出来ません！";
inline constexpr char BLANK_FULL_MESSAGE[] = "行数が上限を超えるため行を空けられません！";
inline constexpr char ROW_EDIT_WARNING_CAPTION[] = "警告";
inline constexpr char ROW_EDIT_CONFIRM_CAPTION[] = "確認";

// Sub-modes of the range mode (g_range_submode).
namespace RangeSubmode {
inline constexpr int SELECT = 0;
inline constexpr int COPY = 1;
inline constexpr int CUT = 2;
inline constexpr int REMOVE = 3;  // delete
inline constexpr int PASTE = 4;
}  // namespace RangeSubmode
// Sub-modes of the blank-line mode (g_blank_submode).
namespace BlankSubmode {
inline constexpr int OPEN_ROW = 0;
inline constexpr int CLOSE_ROW = 1;
inline constexpr int OPEN_LEFT = 2;
inline constexpr int CLOSE_LEFT = 3;
}  // namespace BlankSubmode

// The rows the sync notice of a row edit covers, and its width.
inline constexpr int ROW_EDIT_SYNC_ROWS = 30;
inline constexpr int ROW_EDIT_SYNC_WIDTH = 11;
// Margin-click blank lines open or close this many rows at once.
inline constexpr int MARGIN_BLANK_ROWS = 4;

// What a row edit asks of the window besides the common effects.
struct RowEditEffects {
  EditEffects edit;
  bool set_scroll_range = false;  // scroll range 0..scroll_max and position top_row, then the
                                  // other views of the file take the range (sync_scroll_range)
  bool enable_paste = false;      // menu item 1183 becomes enabled
  int status_modes = 0;           // with edit.status: the sub-mode indicators of 1134 or 1135
  std::vector<std::pair<int, int>> resync_rows;  // (row, 1 inserted / 0 deleted), one per row
};

// The state the range commands share across messages.
struct RowEditState {
  int range_submode = RangeSubmode::SELECT;  // g_range_submode
  int blank_submode = BlankSubmode::OPEN_ROW;  // g_blank_submode
  int drag_scroll_count = 0;                 // g_drag_scroll_count
};

// A left click in the range mode's select sub-mode (after the hit test): ends the range
// shown, or starts one at the cursor row.
RowEditEffects range_select_click(GridSpan grid, ViewState& view, const EditContext& context);
// A mouse move with the left button held at client y while a range is drawn: grows or
// shrinks the range (never above its first row, never onto the END row). not_handled
// when no range is being drawn.
RowEditEffects range_drag(GridSpan grid, ViewState& view, const EditContext& context, int y, RowEditState& state);
// WM_COMMAND 1179-1187 and 1896-1906: the sub-modes, copy, cut and delete. `owner` is the
// design window (the owner of the questions). not_handled for any other id.
RowEditEffects range_command(GridSpan grid, ViewState& view, const EditContext& context, int command_id,
                             RowEditState& state, RangeClipboard& clip, void* owner);
// A left click in the paste sub-mode: the clipboard's rows go above the clicked row.
RowEditEffects range_paste_click(GridSpan grid, ViewState& view, const EditContext& context,
                                 const RangeClipboard& clip, void* owner);
// A left click in the blank-line mode (after the hit test), with the sub-mode in force.
RowEditEffects blank_line_click(GridSpan grid, ViewState& view, const EditContext& context, int blank_submode,
                                void* owner);
