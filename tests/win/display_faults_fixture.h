// The design screen on the glass, for the tests and pictures of its display faults: the
// real frame with a design window (a new design or sample 1), driven by messages, and the
// window's client area read back from the screen (Glass).
#pragma once

#include "core/device_tables.h"  // before <windows.h>, which defines OUT
#include "core/instruction_tables.h"
#include "core/ladder_model.h"

#include "bars_frame.h"

#include <algorithm>
#include <cwchar>
#include <cstdio>
#include <string>
#include <vector>

#include "design/comment_dialog_win.h"
#include "design/comment_entry.h"
#include "design/design_dialogs_win.h"
#include "design/design_paint.h"
#include "design/design_paint_win.h"
#include "design/design_window_win.h"
#include "design/undo_ring.h"
#include "design/view_geometry_win.h"
#include "frame/frame_win.h"
#include "shell/mode_flags.h"
#include "shell/status_parts.h"
#include "shell/text_win.h"
#include "shell/toolbar_win.h"
#include "shell/window_lists_win.h"
#include "support/ladder_text.h"

namespace display_faults {

using bars_test::BarsFrame;
using bars_test::narrow;

// The client area of a window as it stands on the screen.
class Glass {
 public:
  explicit Glass(HWND window) {
    GetClientRect(window, &client_);
    HDC screen = GetDC(window);
    dc_ = CreateCompatibleDC(screen);
    bitmap_ = CreateCompatibleBitmap(screen, client_.right, client_.bottom);
    old_ = SelectObject(dc_, bitmap_);
    BitBlt(dc_, 0, 0, client_.right, client_.bottom, screen, 0, 0, SRCCOPY);
    ReleaseDC(window, screen);
  }
  ~Glass() {
    SelectObject(dc_, old_);
    DeleteObject(bitmap_);
    DeleteDC(dc_);
  }
  // Outside the client area: white.
  COLORREF at(int x, int y) const {
    if (x < 0 || y < 0 || x >= client_.right || y >= client_.bottom) return RGB(255, 255, 255);
    return GetPixel(dc_, x, y);
  }
 private:
  RECT client_{};
  HDC dc_ = nullptr;
  HBITMAP bitmap_ = nullptr;
  HGDIOBJ old_ = nullptr;
};

// The green of a device comment, in either colour scheme (also its anti-aliased edge).
inline bool comment_ink(COLORREF c) {
  return GetGValue(c) > GetRValue(c) + 20 && GetGValue(c) > GetBValue(c) + 20;
}

inline int count_ink(const Glass& glass, RECT r) {
  int n = 0;
  for (int y = r.top; y < r.bottom; ++y)
    for (int x = r.left; x < r.right; ++x)
      if (comment_ink(glass.at(x, y))) ++n;
  return n;
}

inline int rightmost_ink(const Glass& glass, RECT r) {
  for (int x = r.right - 1; x >= r.left; --x)
    for (int y = r.top; y < r.bottom; ++y)
      if (comment_ink(glass.at(x, y))) return x;
  return -1;
}

// The first program row from the top whose cell `col` holds `operand`.
inline int row_holding(const LadderGrid& grid, int col, uint32_t operand) {
  for (int r = 0; r < static_cast<int>(grid.size()) && !is_end_mark_row(grid[static_cast<size_t>(r)]); ++r) {
    const LadderRow& row = grid[static_cast<size_t>(r)];
    if (!is_comment_row(row) && (row.cell[col].word[0] & CellFlags::OPERAND_SET) && row.cell[col].word[1] == operand)
      return r;
  }
  return -1;
}

class DisplayFaults : public BarsFrame {
 protected:
  void SetUp() override {
    BarsFrame::SetUp();
    GetClientRect(frame, &g_client_rect);
  }
  void TearDown() override {
    if (HWND slot = slot0()) SendMessageW(slot, WM_CLOSE, 0, 0);
    reset_design_modes();
    if (window != nullptr && IsWindow(window)) {
      // A changed design, or one with new comments, asks whether to save it: not saved.
      if (SendMessageW(window, WM_COMMAND, CMD_QUERY_MODIFIED, 0) == 1 || g_comments_changed != 0) boxes_->answer(IDNO);
      SendMessageW(window, WM_CLOSE, 0, 0);
      pump_messages();
    }
    BarsFrame::TearDown();
  }

  void take(HWND w) {
    window = w;
    ASSERT_NE(window, nullptr);
    fit_design_window(window);
    view = view_state_of(window);
    grid = design_grid_of(window);
    ASSERT_NE(view, nullptr);
    ASSERT_NE(grid, nullptr);
  }
  void new_design(std::initializer_list<const char*> rows) {
    command(CMD_NEW_DESIGN);
    pump_messages();
    take(as_hwnd(g_design_windows[0]));
    const LadderGrid ladder = ladder_from_text(rows);
    for (size_t r = 0; r < ladder.size(); ++r) (*grid)[r] = ladder[r];
    push_design_undo(*grid);
    repaint();
  }
  void open_sample1() {
    const std::wstring path = folder_->file(L"SAMPLE1.MBS");
    CopyFileW(cp932_to_wide(TAVOLIN_SOURCE_DIR "/resources/samples/SAMPLE1.MBS").c_str(), path.c_str(), FALSE);
    take(open_through_dialog(CMD_OPEN_DESIGN, narrow(path)));
    repaint();
  }
  void repaint() {
    RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
    pump_messages();
  }
  // Invalidates a band of the client area and lets the window paint it, as an edit does.
  void repaint_band(int top, int bottom) {
    RECT client{};
    GetClientRect(window, &client);
    RECT band{0, top, client.right, bottom};
    InvalidateRect(window, &band, TRUE);
    UpdateWindow(window);
    pump_messages();
  }
  int row_top(int row) const { return view->top_margin + (row - view->top_row) * view->row_height; }
  LPARAM cell_position(int row, int col) const {
    const int x = view->left_rail_x + col * view->cell_width + view->cell_width / 2;
    return MAKELPARAM(x, row_top(row) + view->row_height / 4);
  }
  void click(int row, int col) {
    SendMessageW(window, WM_LBUTTONDOWN, MK_LBUTTON, cell_position(row, col));
    SendMessageW(window, WM_LBUTTONUP, 0, cell_position(row, col));
    pump_messages();
  }
  static void press(HWND dialog, int id) {
    SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), 0);
    pump_messages();
  }
  // A rung drawn into the row with the keys: an a-contact in its first cell, then from the
  // second cell the line to the right end and the OUT coil.
  void draw_rung(int row) {
    use_tool(0);
    click(row, 0);
    command(CMD_KEY_RELAY_A);
    click(row, 1);
    command(CMD_KEY_OUT);
    pump_messages();
  }
  HWND slot0() const { return as_hwnd(dialog_slot_row(g_screen_kind)[0]); }
  // The comment as the comment dialog stores it: the comment button, a click on the part,
  // the text typed, OK, the dialog closed.
  void type_comment(int row, int col, const char* text) {
    use_tool(CMD_COMMENT);
    click(row, col);
    HWND dialog = slot0();
    ASSERT_NE(dialog, nullptr) << "no comment dialog";
    set_dialog_item_text(dialog, CommentDialogId::COMMENT_EDIT, text);
    press(dialog, IDOK);
    press(dialog, IDCANCEL);
    use_tool(0);
    repaint();
  }
  // The painted texts of a cell's comment in the display list of a whole repaint.
  std::vector<std::string> comment_items(int row, int col) const {
    RECT client{};
    GetClientRect(window, &client);
    const DisplayList list = build_design_display_list(design_paint_inputs(window, *view, *grid, client));
    std::vector<std::string> texts;
    for (const PaintItem& item : list.items)
      if (item.kind == PaintKind::TEXT && item.font == PaintFont::CELL_COMMENT && item.row == row && item.column == col)
        texts.push_back(item.text);
    return texts;
  }
  // The band where the device comment of a cell is written (the painter's rectangle).
  RECT comment_rect(int row, int col) const {
    const int ph = view->part_height, rh = view->row_height, cw = view->cell_width;
    const int t = row_top(row) + 3 * ph / 5 + 3 * ph / 25;
    const int b = t + 13 * rh / 20 + 3 * rh / 40;
    if (col == OUTPUT_COLUMN) return {view->right_rail_x - cw + cw / 12, t, view->right_rail_x, b};
    const int x = view->left_rail_x + col * cw;
    return {x + cw / 12, t, x + cw, b};
  }
  // The width of a text in the device-comment font of the window.
  int comment_text_width(const std::string& text) const {
    RECT client{};
    GetClientRect(window, &client);
    HDC dc = GetDC(window);
    HFONT font = create_cell_font(dc, *view, "ＭＳゴシック", 120, 10, FW_NORMAL, SHIFTJIS_CHARSET, client);
    HGDIOBJ old = SelectObject(dc, font);
    const std::wstring wide = cp932_to_wide(text);
    SIZE size{};
    GetTextExtentPoint32W(dc, wide.c_str(), static_cast<int>(wide.size()), &size);
    SelectObject(dc, old);
    DeleteObject(font);
    ReleaseDC(window, dc);
    return size.cx;
  }

  HWND window = nullptr;
  ViewState* view = nullptr;
  LadderGrid* grid = nullptr;
};

}  // namespace display_faults
