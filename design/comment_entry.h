// Device comments and row comments inside a design grid: where the comment of a device
// lives, giving a newly numbered cell the comment its device already has, storing a typed
// comment on every cell of a device, the device list of the comment dialog, the text the
// dialogs edit, and comment rows. The dialogs (comment_dialog_win.cpp) apply the results.
//
// A device comment is at most three lines, each ended by '\n', in the 100-byte text of the
// cell that shows it, marked by CellFlags::HAS_COMMENT. A comment row holds its text across
// the row's 1600 bytes of texts, each line ended by a blank and '\n'. Every text written
// here is cut to its field on a Shift-JIS character boundary.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "core/cell_text.h"
#include "core/device_tables.h"
#include "core/ladder_model.h"
#include "shell/view_state.h"

// Control ids of the comment dialogs.
namespace CommentDialogId {
inline constexpr int COMMENT_EDIT = 717;
inline constexpr int DEVICE_EDIT = 718;    // "Dev.No."
inline constexpr int LIST = 699;
inline constexpr int CLEAR = 737;          // ｸﾘｱ
inline constexpr int MOVE_DIALOG = 586;    // "v"
inline constexpr int UP = 735;             // ↑
inline constexpr int DOWN = 736;           // ↓
inline constexpr int ADD_LINE = 742;       // 行増
}  // namespace CommentDialogId

inline constexpr char NO_PART_MESSAGE[] = "部品が無いか、番号が設定されていません！";
inline constexpr char PICK_DEVICE_MESSAGE[] = "下のLISTを再ｸﾘｯｸして番号を確定してください！";
inline constexpr char PICK_DEVICE_CAPTION[] = "確認";
inline constexpr char ROW_COMMENT_TOO_LONG_MESSAGE[] = "半角で１６００文字以上は入力出来ません！。";
inline constexpr char COMMENT_WARNING_CAPTION[] = "警告";

// One place of a device comment found by the comment walk.
struct CommentPlace {
  int row;
  int column;           // the cell whose text holds the comment
  uint32_t operand;     // the DeviceOperand as the cell word holds it
  bool plain;           // a plain contact or coil (its operand compares without 0x800000)
};

// The comment walk: program rows up to the END row (or the end mark, or MAX_GRID_ROWS),
// comment and text rows skipped, and in each row cells 0 to 11: comparison contacts,
// box operands, timer and counter coils and set values, plain contacts and coils.
// Constants are not offered. `visit` returns false to stop the walk.
void walk_comment_places(ConstGridSpan grid, const std::function<bool(const CommentPlace&)>& visit);

// The fixed comment of a special relay M9010-M9071 ("無意味" for those without one);
// null for every other device.
const char* special_relay_comment(uint32_t device);

// Gives cell (row, column) the comment of `device`: a special relay's fixed comment, else
// the text of the first place of the device that has a comment. Found: the cell gets the
// text and HAS_COMMENT; not found: its text is emptied and the bit cleared. The operand
// entry calls it for every device it stores.
void assign_cell_comment(GridSpan grid, int row, int column, uint32_t device);

// The comment lines made of a typed text: its first two blank-separated words (three in
// the row-label column), each a line cut to 8 bytes (9 when the word's length is odd) on a
// character boundary; a word holding full-width blanks becomes one line per piece and an
// empty line after them. Three lines at most, each ended by '\n'.
std::string make_comment_lines(std::string_view text, bool label_column);

// What a store in the grid changed.
struct CommentStore {
  int result = -1;                  // 0 stored, -1 not
  const char* message = nullptr;    // a warning to show (COMMENT_WARNING_CAPTION)
  std::vector<CellCursor> cells;    // cells to repaint and announce to the other views
};

// Stores a comment typed in the comment dialog on the device of the selected cell
// (sel_row, sel_col) and on every cell of the same device; in the row-label column on
// the label alone. A selected cell without a device has its comment cleared (-1).
CommentStore store_device_comment(GridSpan grid, const ViewState& view, std::string_view text);

// The editable text of the cursor cell's comment for the dialogs: a comment row's text
// with CR LF line ends; a device comment's first three words, each followed by a blank
// (an empty comment loses its HAS_COMMENT bit); empty otherwise.
std::string get_cell_comment_text(GridSpan grid, const ViewState& view);

// Turns row cursor_row into a comment row holding `text` (CR LF line ends become a blank
// and '\n'); -1 without change when nothing is selected or a row range is drawn, or the
// cursor row is not a row of the program.
int store_row_comment(GridSpan grid, const ViewState& view, std::string_view text);
// The length in bytes a row comment is stored with (the test against ROW_TEXT_SIZE).
size_t row_comment_stored_length(std::string_view text);

// The device list of the comment dialog: one line per distinct device with its comment,
// each class sorted by key, at most COMMENT_LIST_CAPACITY entries.
inline constexpr int COMMENT_LIST_CAPACITY = 999;
inline constexpr int COMMENT_LIST_LINE_SIZE = 100;
struct CommentList {
  std::vector<uint32_t> keys;
  std::vector<std::string> lines;
  bool full = false;  // devices were left out for want of room
};
// The classes the dialog lists, in its order: X, Y, M, L, B, T, C, J, R, D, W.
extern const DeviceIndex COMMENT_LIST_CLASSES[11];
// Appends the devices of one class used in the program.
void build_comment_list(ConstGridSpan grid, DeviceIndex device, CommentList& list);
inline constexpr char COMMENT_LIST_FULL_MESSAGE[] = "コメント一覧が一杯です！\nこれ以上のデバイスにはコメントを付けられません";
// A new comment is refused when the list is full and its device is not among the listed
// ones, so that every commented device stays in the list.
bool comment_list_refuses(const CommentList& list, uint32_t operand);
// The whole list of the dialog.
CommentList build_comment_lists(ConstGridSpan grid);
// Appends one entry unless refused (a D contact bit, a key already listed from `start`, a
// digit group, M above 9000, a J range, a full list); true when appended.
bool add_comment_list_entry(CommentList& list, uint32_t operand, std::string_view comment, size_t start);
// The device label of a list line, without blanks ("X1F", "M100", "J105").
std::string comment_list_label(uint32_t operand);
// The boxes of the comment dialog filled from a list line: the device and the comment.
struct CommentListFields {
  std::string device;
  std::string comment;
};
CommentListFields comment_list_fields(std::string_view line);

// The cell whose comment the device named by `device_text` (a list label such as "X1F" or
// "M100", either case) shows first, by the comment walk; false when no place of the
// program shows that device.
bool find_comment_cell(ConstGridSpan grid, std::string_view device_text, CellCursor& cell, uint32_t& operand);
