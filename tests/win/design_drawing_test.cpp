// Drawing a ladder in the real design window: clicks at cell centres from the view's
// geometry, the cursor keys and the function keys through the frame, the line tool, the
// popup menus and the modifier keys through their stand-ins; the drawn grid is compiled by
// the core compiler.
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

namespace {

using bars_test::BarsFrame;
using bars_test::narrow;

struct ShownPopup {
  std::vector<PopupMenuItem> items;
};

// Commands the design window received, seen by a subclass that passes everything on.
std::vector<int>& received_commands() {
  static std::vector<int> ids;
  return ids;
}
WNDPROC g_design_proc = nullptr;
LRESULT CALLBACK recording_proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == WM_COMMAND) received_commands().push_back(LOWORD(wparam));
  return CallWindowProcW(g_design_proc, window, message, wparam, lparam);
}

class DesignDrawing : public BarsFrame {
 protected:
  void SetUp() override {
    BarsFrame::SetUp();
    GetClientRect(frame, &g_client_rect);
    set_popup_menu_handler([this](HWND, const std::vector<PopupMenuItem>& items) {
      popups.push_back({items});
      if (popup_answers.empty()) return 0;
      const int id = popup_answers.front();
      popup_answers.pop_front();
      return id;
    });
    set_shift_key_reader([this] { return shift; });
    command(CMD_NEW_DESIGN);
    pump_messages();
    window = as_hwnd(g_design_windows[0]);
    ASSERT_NE(window, nullptr);
    SendMessageW(window, WM_COMMAND, CMD_FIT_WINDOW, 0);
    pump_messages();
    if (g_toolbar_kind != TOOLBAR_KIND_DESIGN) show_toolbar(CMD_SCREEN_DESIGN);
    view = view_state_of(window);
    grid = design_grid_of(window);
    ASSERT_NE(view, nullptr);
    ASSERT_GT(view->cell_width, 0);
    received_commands().clear();
  }
  void TearDown() override {
    set_popup_menu_handler({});
    set_shift_key_reader({});
    g_search_highlight = g_popup_toggle = 0;
    if (window != nullptr && IsWindow(window)) {
      if (SendMessageW(window, WM_COMMAND, CMD_QUERY_MODIFIED, 0) == 1) boxes_->answer(IDNO);  // not saved
      SendMessageW(window, WM_CLOSE, 0, 0);
      pump_messages();
    }
    BarsFrame::TearDown();
  }

  // Switches one tool or mode on, as its toolbar button does.
  void use_tool(int id) {
    reset_design_modes();
    if (id == 0) return;
    check_toolbar_button(id, true);
    set_mode_flag(id, 1);
  }
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

TEST_F(DesignDrawing, ARungDrawnWithTheMouseAndTheKeysCompiles) {
  const int undo_before = g_design_undo.count;

  draw_rung();
  EXPECT_EQ(drawing(), (std::vector<std::string>{"^? /? - - - - - - - - - (?)", "^? ^",
                                                  "^? - - - - - - - - - (T?)"}));
  EXPECT_EQ(g_design_undo.count, undo_before + 7) << "one undo snapshot per edit";
  EXPECT_EQ(SendMessageW(window, WM_COMMAND, CMD_QUERY_MODIFIED, 0), 1);

  set_devices();

  InstructionList list = make_instruction_list(200);
  ASSERT_EQ(compile_ladder(window, *grid, list, nullptr, 0), 0) << ladder_picture(*grid);
  std::vector<InstructionRecord> records = list_records(list);
  for (InstructionRecord& r : records) r.word[5] = 0;  // source positions are not the point here
  // The first load of each rung opens a block.
  auto rung = [](InstructionRecord r) {
    r.word[0] |= RecordFlags::BLOCK_START;
    return r;
  };
  const std::vector<InstructionRecord> expected{rung(il::ld(il::X(0))), il::or_(il::X(2)),     il::ani(il::X(1)),
                                                il::out(il::Y(0)),      rung(il::ld(il::X(3))), il::tim(il::T(0), 10),
                                                il::plain(0x9010)};
  EXPECT_EQ(records, expected) << records_text(records);
  EXPECT_EQ(boxes_->shown().size(), 0u);
}

TEST_F(DesignDrawing, ShiftWithTheRelayToolsPlacesTheAlwaysOnRelay) {
  use_tool(CMD_TOOL_RELAY_A);
  shift = true;
  pump_messages();
  ValidateRect(window, nullptr);
  click(3, 2);
  RECT changed{};
  EXPECT_TRUE(GetUpdateRect(window, &changed, FALSE)) << "the placed cell is repainted";
  const LadderCell& cell = (*grid)[3].cell[2];
  EXPECT_EQ(cell.word[0], 0x880F8u);
  EXPECT_EQ(cell.word[1], 0x2000234Cu);
  EXPECT_STREQ((*grid)[3].text[2], "常時オン\nリレー");
}

TEST_F(DesignDrawing, DraggingTheLineToolFillsTheRow) {
  use_tool(CMD_TOOL_RELAY_A);
  click(4, 6);
  use_tool(CMD_TOOL_LINE);
  click(4, 1);
  SendMessageW(window, WM_MOUSEMOVE, MK_LBUTTON,
               MAKELPARAM(view->left_rail_x + 11 * view->cell_width, HIWORD(cell_position(4, 1))));
  EXPECT_EQ(ladder_to_text(*grid)[4], "^ - - - - - ?");
  EXPECT_EQ(view->marker_on, 0);
}

TEST_F(DesignDrawing, TheCheckedLineButtonAloneDrawsLines) {
  reset_design_modes();
  check_toolbar_button(CMD_TOOL_LINE, true);
  click(6, 2);
  click(6, 5);
  EXPECT_EQ(ladder_to_text(*grid)[6], "^ . - - -");
}

TEST_F(DesignDrawing, ErasingAcrossTheEndRowIsRefusedWithAMessage) {
  use_tool(CMD_TOOL_ERASE);
  click(11, 0);
  boxes_->answer(IDOK);
  click(11, 11, view->cell_width - 5);
  ASSERT_EQ(boxes_->shown().size(), 1u);
  EXPECT_EQ(narrow(boxes_->shown()[0].text), "ＥＮＤ命令の行は消せません！");
  EXPECT_EQ(narrow(boxes_->shown()[0].caption), "警告");
  EXPECT_TRUE(is_end_row((*grid)[11]));
  EXPECT_EQ(SendMessageW(window, WM_COMMAND, CMD_QUERY_MODIFIED, 0), 0);
}

TEST_F(DesignDrawing, TwoRightClicksInRangeModeOpenTheMenuOnceAndItsChoiceActsAsTheEditCommand) {
  record_commands();
  use_tool(CMD_RANGE_MODE);
  g_range_submode = 1;
  // The first right click opens the menu; the user dismisses it with the second.
  popup_answers.push_back(0);
  right_click(2, 3);
  right_click(2, 3);
  ASSERT_EQ(popups.size(), 1u);
  const auto& items = popups[0].items;
  ASSERT_EQ(items.size(), 5u);
  EXPECT_EQ(narrow(items[1].text), "&C コピ－");
  EXPECT_TRUE(received_commands().empty());
  // Any other message in between lets the next right click open it again; its choice
  // comes to the window and acts as the edit menu's command.
  key(VK_LEFT);
  popup_answers.push_back(CMD_POPUP_RANGE_COPY);
  boxes_->answer(IDOK);  // no range is drawn: the copy says so
  right_click(2, 3);
  EXPECT_EQ(popups.size(), 2u);
  EXPECT_EQ(received_commands(), (std::vector<int>{CMD_POPUP_RANGE_COPY, CMD_RANGE_COPY}));
  ASSERT_EQ(boxes_->shown().size(), 1u);
  EXPECT_EQ(narrow(boxes_->shown()[0].text), "コピー範囲を指定して下さい！");
  g_range_submode = 0;
}

TEST_F(DesignDrawing, BlankLineAndCommentPopups) {
  use_tool(CMD_BLANK_LINE_MODE);
  right_click(2, 3);
  ASSERT_EQ(popups.size(), 1u);
  ASSERT_EQ(popups[0].items.size(), 5u);
  EXPECT_EQ(narrow(popups[0].items[0].text), "&K 空行開け");
  EXPECT_EQ(popups[0].items[2].id, 0u);

  use_tool(CMD_TOOL_RELAY_A);
  click(2, 3);
  use_tool(CMD_COMMENT);
  right_click(2, 3);
  ASSERT_EQ(popups.size(), 2u);
  EXPECT_EQ(popups[1].items[0].id, CMD_POPUP_SHOW_COMMENT);
  EXPECT_EQ(narrow(popups[1].items[0].text), "No Comment!");
  right_click(2, 5);  // a line holds no part
  EXPECT_EQ(popups.size(), 2u);
}

TEST_F(DesignDrawing, DeleteTakesAnUndoSnapshotAndEscapeClosesTheDialogs) {
  use_tool(CMD_TOOL_RELAY_A);
  click(5, 2);
  use_tool(0);
  click(5, 2);
  const int before = g_design_undo.count;
  key(VK_DELETE);
  EXPECT_EQ(ladder_to_text(*grid)[5], "^");
  EXPECT_EQ(g_design_undo.count, before + 1);

  HWND dialog = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 10, 10, frame, nullptr, nullptr, nullptr);
  dialog_slot_row(SCREEN_KIND_DESIGN)[0] = as_window_handle(dialog);
  use_tool(CMD_TOOL_LINE);
  command(CMD_ESCAPE);
  pump_messages();
  EXPECT_FALSE(IsWindow(dialog));
  EXPECT_EQ(get_mode_flag(CMD_TOOL_LINE), 0);
  EXPECT_EQ(SendMessageW(g_toolbar, TB_ISBUTTONCHECKED, CMD_TOOL_LINE, 0), 0);
  dialog_slot_row(SCREEN_KIND_DESIGN)[0] = 0;
}

TEST_F(DesignDrawing, SpaceHighlightsEveryUseOfTheSelectedDevice) {
  draw_rung();
  set_devices();
  (*grid)[2].cell[0].word[1] = il::X(0);  // X0 once more, in the timer's rung
  use_tool(0);
  click(2, 0);
  key(VK_SPACE);
  EXPECT_EQ(g_search_highlight, 1);
  EXPECT_EQ(view->hit_rows[0], 0);
  EXPECT_EQ(view->hit_cols[0], 0);
  EXPECT_EQ(view->hit_rows[1], 2);
  EXPECT_EQ(view->hit_rows[2], HIT_LIST_END);
  // A click clears the highlight.
  click(1, 0);
  EXPECT_EQ(g_search_highlight, 0);
  EXPECT_EQ(view->hit_rows[0], HIT_LIST_END);
}

// Pictures of the drawn rung and of the three popup menus, the real menus opened by the
// right button; a timer takes the picture inside the menu loop and closes the menu.
std::string g_popup_shot_name;
std::string g_popup_png;
void CALLBACK shoot_popup(HWND, UINT, UINT_PTR timer, DWORD) {
  KillTimer(nullptr, timer);
  g_popup_png = save_screenshot(g_popup_shot_name);
  EndMenu();
}

TEST_F(DesignDrawing, PicturesOfTheDrawnRungAndThePopupMenus) {
  draw_rung();
  set_devices();
  use_tool(0);
  click(2, 0);
  key(VK_SPACE);
  InvalidateRect(window, nullptr, TRUE);
  UpdateWindow(window);
  pump_messages();
  EXPECT_FALSE(save_screenshot("design_drawn_rung").empty());

  set_popup_menu_handler({});
  (*grid)[0].cell[0].word[0] |= CellFlags::HAS_COMMENT;
  std::snprintf((*grid)[0].text[0], CELL_TEXT_SIZE, "%s", "起動スイッチ");
  struct Shot {
    int mode;
    const char* name;
  };
  for (Shot shot : {Shot{CMD_RANGE_MODE, "design_popup_range"}, Shot{CMD_BLANK_LINE_MODE, "design_popup_blank_line"},
                    Shot{CMD_COMMENT, "design_popup_comment"}}) {
    use_tool(shot.mode);
    g_popup_toggle = 0;
    POINT at{LOWORD(cell_position(0, 0)), HIWORD(cell_position(0, 0))};
    ClientToScreen(window, &at);
    SetCursorPos(at.x, at.y);
    g_popup_shot_name = shot.name;
    g_popup_png.clear();
    SetTimer(nullptr, 0, 500, shoot_popup);
    right_click(0, 0);
    EXPECT_FALSE(g_popup_png.empty()) << shot.name;
  }
  use_tool(0);
}

}  // namespace
