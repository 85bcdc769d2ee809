// The per-window record of every grid or text window (design, monitor and mnemonic
// windows): cursor, drawn selection span, range selection, line-draw marker, the pixel
// geometry of the grid, scroll position and range, window index, view id, search hits,
// background colour, the window's own open-file record, path and title.
//
// One record per window, allocated zero-filled when the window is created and kept in
// the window's extra bytes (CHILD_EXTRA_VIEW_STATE); the frame and the dialogs reach the
// record of the window they serve through g_active_view_state. The field order is fixed
// and checked below. The record holds no Win32 type so that the portable view logic can
// work on it: the open-file record mirrors OPENFILENAMEA field for field (the Windows
// side checks that the two layouts agree and uses it in place), the heap handles are
// plain pointers and the background is a COLORREF value (0x00BBGGRR).
#pragma once

#include <cstddef>
#include <cstdint>

inline constexpr int VIEW_PATH_SIZE = 260;
inline constexpr int VIEW_HIT_SLOTS = 100;
inline constexpr int VIEW_MARK_ROWS = 4;
inline constexpr int32_t HIT_LIST_END = -0x10000;  // ends hit_rows
inline constexpr int32_t NO_MARK_ROW = 0xFFFF;     // mark_rows[0] when no row is marked
inline constexpr int32_t NO_SELECTION = -1;        // sel_col: nothing drawn as selected
inline constexpr int32_t SELECTION_WHOLE_ROWS = -2; // sel_col: a row range is drawn
inline constexpr int32_t LABEL_MARGIN_COLUMN = 15; // the row-label margin left of the left rail
inline constexpr int32_t DEFAULT_ZOOM_PERCENT = 100;
inline constexpr uint32_t OPEN_FILE_READ_ONLY = 0x1;  // OFN_READONLY in OpenFileRecord::flags

// The same fields, in the same order and at the same offsets, as OPENFILENAMEA.
struct OpenFileRecord {
  uint32_t struct_size;
  void* owner;
  void* instance;
  const char* filter;
  char* custom_filter;
  uint32_t max_custom_filter;
  uint32_t filter_index;
  char* file;
  uint32_t max_file;
  char* file_title;
  uint32_t max_file_title;
  const char* initial_dir;
  const char* title;
  uint32_t flags;
  uint16_t file_offset;
  uint16_t file_extension;
  const char* default_extension;
  intptr_t custom_data;
  void* hook;
  const char* template_name;
  void* reserved_pointer;
  uint32_t reserved;
  uint32_t flags_ex;
};

struct ViewState {
  int32_t range_active;     // a row range is selected (design); a line selection is on (mnemonic)
  int32_t comment_display;  // 0 normal rows; n makes rows n/3 taller for comments
  int32_t marker_on;        // the line-draw marker is shown at marker_col, marker_row
  int32_t cursor_col;       // 0-10 contacts, 11 output, 15 row-label margin; mnemonic: caret column
  int32_t cursor_row;       // grid row; mnemonic: caret line
  int32_t click_dx;         // x offset of the last click in its cell; negative left of the left rail
  int32_t click_dy;         // y offset of the last click in its row
  int32_t box_start_col;    // first column of the element invalidate_cell_area last covered
  int32_t hover_row;        // row under the mouse pointer
  int32_t sel_col;          // drawn selection span: first column, NO_SELECTION, SELECTION_WHOLE_ROWS, 15
  int32_t sel_row;          // its row; mnemonic: line of the highlighted match
  int32_t marker_col;
  int32_t marker_row;
  int32_t range_row;        // current row of a range selection; mnemonic: line of the last click
  int32_t text_click_col;   // mnemonic: column of the last click
  int32_t range_scroll;     // top_row when the range selection started
  int32_t range_start_row;  // first row of the range; mnemonic: anchor line
  int32_t comment_copied;   // mnemonic
  int32_t sel_width;        // further columns of the drawn span; mnemonic: length of the match
  int32_t sel_rows;         // further rows of the drawn span
  int32_t entry_device;     // DeviceOperand searched for or entered through the design dialogs
  int32_t replace_device;   // replacement DeviceOperand of the replace dialog
  int32_t window_number;    // monitor window number
  int32_t cell_width;       // pixels per grid column
  int32_t row_height;       // pixels per grid row
  int32_t left_rail_x;      // = cell_width
  int32_t right_rail_x;
  int32_t top_row;          // first row shown: the vertical scroll position
  int32_t scroll_max;       // largest top_row
  int32_t visible_rows;     // whole rows that fit
  int32_t visible_cols;     // mnemonic: text columns that fit
  int32_t window_index;     // slot in the WindowList of its kind; 0 = the main window
  int32_t rung_first_row;   // monitor: rungs around the visible rows
  int32_t rung_last_row;
  void* doc_heap;           // heap of the document buffer
  void* view_heap;          // heap of this record
  void* saved_heap;         // heap of the saved copy of the document
  int32_t mark_rows[VIEW_MARK_ROWS];  // element 0: a mark row, NO_MARK_ROW = none
  int32_t view_id;          // bits 4-7 file number (0 = the main file); bits 0-3 0 = owns its document
  int32_t zoom_percent;     // vertical zoom, 100
  int32_t reference_view;
  int32_t part_height;      // height of the band in which element pictures are drawn
  int32_t top_margin;       // y of the top of the first shown row
  int32_t hit_cols[VIEW_HIT_SLOTS];  // columns of the search hits, parallel to hit_rows
  int32_t hit_rows[VIEW_HIT_SLOTS];  // rows of the search hits, ended by HIT_LIST_END
  uint32_t background;      // COLORREF behind the window's texts
  OpenFileRecord open_file; // the window's open/save-file record (file = path, file_title = title)
  char path[VIEW_PATH_SIZE];   // full path of the document (CP932)
  char title[VIEW_PATH_SIZE];  // file title of the document
};

// The record is shared with code that indexes its 32-bit fields, and its size is what
// every window allocates: both are pinned here.
static_assert(offsetof(ViewState, range_active) == 0);
static_assert(offsetof(ViewState, comment_display) == 4);
static_assert(offsetof(ViewState, cursor_col) == 12);
static_assert(offsetof(ViewState, cursor_row) == 16);
static_assert(offsetof(ViewState, sel_col) == 36);
static_assert(offsetof(ViewState, sel_width) == 72);
static_assert(offsetof(ViewState, sel_rows) == 76);
static_assert(offsetof(ViewState, cell_width) == 92);
static_assert(offsetof(ViewState, row_height) == 96);
static_assert(offsetof(ViewState, left_rail_x) == 100);
static_assert(offsetof(ViewState, right_rail_x) == 104);
static_assert(offsetof(ViewState, top_row) == 108);
static_assert(offsetof(ViewState, scroll_max) == 112);
static_assert(offsetof(ViewState, visible_rows) == 116);
static_assert(offsetof(ViewState, window_index) == 124);
static_assert(offsetof(ViewState, rung_last_row) == 132);
static_assert(offsetof(ViewState, doc_heap) == 136);
static_assert(offsetof(ViewState, mark_rows) == 136 + 3 * sizeof(void*));
static_assert(offsetof(ViewState, view_id) == offsetof(ViewState, mark_rows) + 4 * VIEW_MARK_ROWS);
static_assert(offsetof(ViewState, top_margin) == offsetof(ViewState, view_id) + 16);
static_assert(offsetof(ViewState, hit_cols) == offsetof(ViewState, top_margin) + 4);
static_assert(offsetof(ViewState, hit_rows) == offsetof(ViewState, hit_cols) + 4 * VIEW_HIT_SLOTS);
static_assert(offsetof(ViewState, background) == offsetof(ViewState, hit_rows) + 4 * VIEW_HIT_SLOTS);
static_assert(offsetof(ViewState, path) == offsetof(ViewState, open_file) + sizeof(OpenFileRecord));
static_assert(offsetof(ViewState, title) == offsetof(ViewState, path) + VIEW_PATH_SIZE);
static_assert(sizeof(void*) != 8 || sizeof(OpenFileRecord) == 152);
static_assert(sizeof(void*) != 8 || offsetof(ViewState, open_file) == 1000);
static_assert(sizeof(void*) != 8 || sizeof(ViewState) == 1672);

// The file number of a view (view_id bits 4-7): 0 for the views of the main file.
inline constexpr int view_file_number(const ViewState& view) { return (view.view_id >> 4) & 0xF; }
// True when the view owns its document (view_id bits 0-3 are 0).
inline constexpr bool view_owns_document(const ViewState& view) { return (view.view_id & 0xF) == 0; }

// A record as every window sets it up at creation: zero, then no selection, no mark row,
// zoom 100, cursor and top row 0, the given background colour.
void init_view_state(ViewState& view, uint32_t background);
