// The real design window of a new design on the real frame, driven as a user drives it:
// clicks at cell centres from the view's geometry, keys, the function keys through the
// frame, the popup menus and the modifier keys through their stand-ins. Shared by the Win32
// tests of drawing and by the pictures of the drawn rung and the popup menus.
#pragma once

#include "bars_frame.h"

#include <deque>
#include <string>
#include <vector>

#include "core/ladder_compiler.h"
#include "design/design_input_win.h"
#include "design/design_paint.h"
#include "design/design_window_win.h"
#include "design/undo_ring.h"
#include "design/view_geometry_win.h"
#include "shell/modifier_keys_win.h"
#include "shell/popup_menu_win.h"
#include "support/instruction_records.h"
#include "support/ladder_text.h"

namespace design_drawing {

using bars_test::BarsFrame;
using bars_test::narrow;

struct ShownPopup {
  std::vector<PopupMenuItem> items;
};

// Commands the design window received, seen by a subclass that passes everything on.
inline std::vector<int>& received_commands() {
  static std::vector<int> ids;
  return ids;
}
inline WNDPROC g_design_proc = nullptr;
inline LRESULT CALLBACK recording_proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == WM_COMMAND) received_commands().push_back(LOWORD(wparam));
  return CallWindowProcW(g_design_proc, window, message, wparam, lparam);
}

class DesignDrawing : public BarsFrame {
 protected:
  void SetUp() override {
    BarsFrame::SetUp();
    GetClientRect(frame, &g_client_rect);
    set_popup_menu_handler([this](HWND, const std::vector<PopupMenuItem>& items, POINT) {
      popups.push_back({items});
      if (popup_answers.empty()) return 0;
      const int id = popup_answers.front();
      popup_answers.pop_front();
      return id;
    });
    set_modifier_key_handler([this](int vk) { return vk == VK_SHIFT && shift; });
    window = open_new_design();
    ASSERT_NE(window, nullptr);
    view = view_state_of(window);
    grid = design_grid_of(window);
    ASSERT_NE(view, nullptr);
    ASSERT_GT(view->cell_width, 0);
    received_commands().clear();
  }
  void TearDown() override {
    set_popup_menu_handler({});
    set_modifier_key_handler({});
    g_search_highlight = g_popup_toggle = 0;
    if (window != nullptr && IsWindow(window)) {
      if (SendMessageW(window, WM_COMMAND, CMD_QUERY_MODIFIED, 0) == 1) boxes_->answer(IDNO);  // not saved
      SendMessageW(window, WM_CLOSE, 0, 0);
      pump_messages();
    }
    BarsFrame::TearDown();
  }

  // Switches one tool or mode on, as its toolbar button does.
  LPARAM cell_position(int row, int col, int dx = -1) const {
    const int x = view->left_rail_x + col * view->cell_width + (dx < 0 ? view->cell_width / 2 : dx);
    const int y = view->top_margin + (row - view->top_row) * view->row_height + view->row_height / 2;
    return MAKELPARAM(x, y);
  }
  void click(int row, int col, int dx = -1) {
    SendMessageW(window, WM_LBUTTONDOWN, MK_LBUTTON, cell_position(row, col, dx));
    SendMessageW(window, WM_LBUTTONUP, 0, cell_position(row, col, dx));
  }
  void right_click(int row, int col) { SendMessageW(window, WM_RBUTTONDOWN, MK_RBUTTON, cell_position(row, col)); }
  void key(int vk) { SendMessageW(window, WM_KEYDOWN, static_cast<WPARAM>(vk), 0); }
  std::vector<std::string> drawing() const {
    std::vector<std::string> rows = ladder_to_text(*grid);
    return std::vector<std::string>(rows.begin(), rows.begin() + 3);
  }
  std::string status_text() const {
    wchar_t text[256] = {};
    SendMessageW(g_status_bar, SB_GETTEXTW, 0, reinterpret_cast<LPARAM>(text));
    return narrow(text);
  }
  void record_commands() {
    g_design_proc = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrW(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(recording_proc)));
  }

  // A rung drawn with the mouse and the keys: row 0 from the keys, a branch in row 1 with
  // its link drawn by the line tool, a timer in row 2 placed by its tool.
  void draw_rung() {
    // Row 0 from the keys: a click with no tool selects the cell; F1, Right, F2, Right, F7.
    use_tool(0);
    click(0, 0);
    EXPECT_EQ(view->sel_col, 0);
    command(CMD_KEY_RELAY_A);
    key(VK_RIGHT);
    EXPECT_EQ(view->cursor_col, 1);
    command(CMD_KEY_RELAY_B);
    key(VK_RIGHT);
    command(CMD_KEY_OUT);

    // Row 1 with the mouse: a contact, then the branch's link from row 0 down to row 1 on the
    // left edge of column 1.
    use_tool(CMD_TOOL_RELAY_A);
    click(1, 0);
    use_tool(CMD_TOOL_LINE);
    click(0, 1, 5);
    EXPECT_EQ(view->marker_on, 1);
    EXPECT_EQ(status_text(), "終わり端は？");
    click(1, 1, 5);
    EXPECT_EQ(view->marker_on, 0);
    EXPECT_EQ(status_text(), "始端は？");

    // Row 2: the timer tool in column 1 draws the lines, then the contact before them.
    use_tool(CMD_TOOL_TIM);
    click(2, 1);
    use_tool(CMD_TOOL_RELAY_A);
    click(2, 0);
  }
  void set_devices() {
    // The devices, as the number entry gives them.
    auto set_device = [&](int row, int col, DeviceOperand device) {
      (*grid)[static_cast<size_t>(row)].cell[col].word[0] |= CellFlags::OPERAND_SET;
      (*grid)[static_cast<size_t>(row)].cell[col].word[1] = device;
    };
    set_device(0, 0, il::X(0));
    set_device(0, 1, il::X(1));
    set_device(0, 11, il::Y(0));
    set_device(1, 0, il::X(2));
    set_device(2, 0, il::X(3));
    set_device(2, 11, il::T(0));
    (*grid)[2].cell[11].word[0] |= CellFlags::CONSTANT_0 << 1;
    (*grid)[2].cell[12].word[1] = il::K(10);
  }

  HWND window = nullptr;
  ViewState* view = nullptr;
  LadderGrid* grid = nullptr;
  bool shift = false;
  std::vector<ShownPopup> popups;
  std::deque<int> popup_answers;
};

}  // namespace design_drawing
