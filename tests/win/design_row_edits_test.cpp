// Row ranges and typed operands in the real design window: a rung drawn and numbered, the
// range selected with a click, copied through the edit menu's command, pasted below with
// the paste click and its question, numbered again by typed text, then compiled; and the
// refusals and the blank-line clicks with their effects on the window.
#include "bars_frame.h"

#include <string>
#include <vector>

#include "core/ladder_compiler.h"
#include "design/design_input_win.h"
#include "design/design_window_win.h"
#include "design/row_edits_win.h"
#include "design/undo_ring.h"
#include "design/view_geometry_win.h"
#include "shell/modifier_keys_win.h"
#include "shell/menu_states.h"
#include "shell/popup_menu_win.h"
#include "support/instruction_records.h"
#include "support/ladder_text.h"

namespace {

using bars_test::BarsFrame;
using bars_test::narrow;

class DesignRowEdits : public BarsFrame {
 protected:
  void SetUp() override {
    BarsFrame::SetUp();
    GetClientRect(frame, &g_client_rect);
    window = open_new_design();
    ASSERT_NE(window, nullptr);
    view = view_state_of(window);
    grid = design_grid_of(window);
    ASSERT_NE(view, nullptr);
    ASSERT_GT(view->cell_width, 0);
    g_range_submode = g_blank_submode = 0;
    g_range_clipboard = RangeClipboard{};
    g_clip_valid = 0;
  }
  void TearDown() override {
    reset_design_modes();
    g_range_submode = g_blank_submode = 0;
    if (window != nullptr && IsWindow(window)) {
      if (SendMessageW(window, WM_COMMAND, CMD_QUERY_MODIFIED, 0) == 1) boxes_->answer(IDNO);
      SendMessageW(window, WM_CLOSE, 0, 0);
      pump_messages();
    }
    BarsFrame::TearDown();
  }

  // A click in the upper half of a cell: there the row under the mouse is the row itself.
  LPARAM cell_position(int row, int col) const {
    const int x = col == LABEL_COLUMN ? view->left_rail_x / 2 : view->left_rail_x + col * view->cell_width + view->cell_width / 2;
    const int y = view->top_margin + (row - view->top_row) * view->row_height + view->row_height / 4;
    return MAKELPARAM(x, y);
  }
  void click(int row, int col) {
    SendMessageW(window, WM_LBUTTONDOWN, MK_LBUTTON, cell_position(row, col));
    SendMessageW(window, WM_LBUTTONUP, 0, cell_position(row, col));
  }
  void key(int vk) { SendMessageW(window, WM_KEYDOWN, static_cast<WPARAM>(vk), 0); }
  // Selects the cell with no tool and types `text` into it, as the number entry's OK does.
  bool type_into(int row, int col, const char* text) {
    use_tool(0);
    click(row, col);
    std::string typed = text;
    return design_store_text(window, typed, EntryOptions{});
  }
  std::vector<std::string> rows(int count) const {
    std::vector<std::string> all = ladder_to_text(*grid);
    return std::vector<std::string>(all.begin(), all.begin() + count);
  }
  std::vector<std::string> shown_texts() const { return boxes_->texts(); }

  HWND window = nullptr;
  ViewState* view = nullptr;
  LadderGrid* grid = nullptr;
};

TEST_F(DesignRowEdits, ARungCopiedPastedBelowAndRenumberedCompilesToBothRungs) {
  // The rung: a contact and a coil from the function keys, numbered by typed text.
  use_tool(0);
  click(0, 0);
  command(CMD_KEY_RELAY_A);
  key(VK_RIGHT);
  command(CMD_KEY_OUT);
  ASSERT_TRUE(type_into(0, 0, "X0"));
  ASSERT_TRUE(type_into(0, 11, "y0"));
  EXPECT_EQ(rows(1), (std::vector<std::string>{"^X0 - - - - - - - - - - (Y0)"}));

  // The range: a click on the rung in the range mode, copied by the edit menu's command.
  use_tool(CMD_RANGE_MODE);
  click(0, 3);
  EXPECT_EQ(view->sel_col, SELECTION_WHOLE_ROWS);
  EXPECT_EQ((*grid)[0].selected, 1);
  EXPECT_FALSE(save_screenshot("design_range_selected").empty());
  command(CMD_RANGE_COPY);
  EXPECT_EQ(g_clip_valid, 1);
  EXPECT_EQ(view->range_active, 0);
  EXPECT_EQ((*grid)[0].selected, 0);
  const UINT paste_state = GetMenuState(GetMenu(frame), CMD_RANGE_PASTE, MF_BYCOMMAND);
  if (paste_state != 0xFFFFFFFF) EXPECT_EQ(paste_state & MF_GRAYED, 0u);

  // Pasted above row 1: the paste click asks first.
  const int undo_before = g_design_undo.count;
  command(CMD_RANGE_PASTE);
  EXPECT_EQ(g_range_submode, 4);
  boxes_->answer(IDOK);
  click(1, 4);
  EXPECT_EQ(shown_texts(), (std::vector<std::string>{"コピ－した範囲をこの上方に挿入しますか？"}));
  EXPECT_EQ(g_design_undo.count, undo_before + 1);
  EXPECT_EQ(view->cursor_row, 2);
  EXPECT_EQ(rows(3), (std::vector<std::string>{"^X0 - - - - - - - - - - (Y0)", "^X0 - - - - - - - - - - (Y0)", "^"}));

  // The pasted rung gets its own devices.
  ASSERT_TRUE(type_into(1, 0, "X1"));
  ASSERT_TRUE(type_into(1, 11, "Y1"));
  EXPECT_FALSE(save_screenshot("design_operand_entry").empty());

  InstructionList list = make_instruction_list(200);
  ASSERT_EQ(compile_ladder(window, *grid, list, nullptr, 0), 0) << ladder_picture(*grid);
  std::vector<InstructionRecord> records = list_records(list);
  for (InstructionRecord& r : records) r.word[5] = 0;
  auto rung = [](InstructionRecord r) {
    r.word[0] |= RecordFlags::BLOCK_START;
    return r;
  };
  const std::vector<InstructionRecord> expected{rung(il::ld(il::X(0))), il::out(il::Y(0)), rung(il::ld(il::X(1))),
                                                il::out(il::Y(1)), il::plain(0x9010)};
  EXPECT_EQ(records, expected) << records_text(records);
}

TEST_F(DesignRowEdits, ARefusedTextSaysWhyAndChangesNothing) {
  use_tool(0);
  click(0, 0);
  command(CMD_KEY_RELAY_A);
  const int undo_before = g_design_undo.count;
  const LadderGrid before = *grid;
  boxes_->answer(IDOK);
  EXPECT_FALSE(type_into(0, 0, "Z9"));
  EXPECT_EQ(shown_texts(), (std::vector<std::string>{"ｵﾍﾟﾗﾝﾄﾞに間違いが有ります！"}));
  EXPECT_EQ(narrow(boxes_->shown()[0].caption), "警告");
  EXPECT_EQ(boxes_->shown()[0].owner, window);
  EXPECT_EQ(g_design_undo.count, undo_before);
  EXPECT_EQ(ladder_to_text(*grid), ladder_to_text(before));
}

TEST_F(DesignRowEdits, CopyWithoutARangeWarnsAndPasteWithAnEmptyClipboardToo) {
  use_tool(CMD_RANGE_MODE);
  boxes_->answer(IDOK);
  command(CMD_RANGE_COPY);
  boxes_->answer(IDOK);
  command(CMD_RANGE_PASTE);
  click(2, 2);
  EXPECT_EQ(shown_texts(), (std::vector<std::string>{"コピー範囲を指定して下さい！", "クリップボ－ドが空です！"}));
  EXPECT_EQ(SendMessageW(window, WM_COMMAND, CMD_QUERY_MODIFIED, 0), 0);
}

TEST_F(DesignRowEdits, CutOfTwoRowsByShiftDownWithTheQuestion) {
  for (int r = 0; r < 3; ++r) {
    use_tool(0);
    click(r, 0);
    command(CMD_KEY_RELAY_A);
    ASSERT_TRUE(type_into(r, 0, ("X" + std::to_string(r)).c_str()));
  }
  use_tool(CMD_RANGE_MODE);
  click(0, 2);
  set_modifier_key_handler([](int vk) { return vk == VK_SHIFT; });
  key(VK_DOWN);
  set_modifier_key_handler({});
  EXPECT_EQ((*grid)[1].selected, 1);
  // Cancel keeps the rows; OK cuts them into the clipboard.
  boxes_->answer(IDCANCEL);
  command(CMD_RANGE_CUT);
  EXPECT_EQ(rows(3), (std::vector<std::string>{"^X0", "^X1", "^X2"}));
  click(0, 2);
  set_modifier_key_handler([](int vk) { return vk == VK_SHIFT; });
  key(VK_DOWN);
  set_modifier_key_handler({});
  const int undo_before = g_design_undo.count;
  boxes_->answer(IDOK);
  command(CMD_RANGE_CUT);
  EXPECT_EQ(shown_texts(), (std::vector<std::string>{"この範囲を切り取っていいですか？", "この範囲を切り取っていいですか？"}));
  EXPECT_EQ(rows(1), (std::vector<std::string>{"^X2"}));
  EXPECT_EQ(g_range_clipboard.rows.size(), 2u);
  EXPECT_EQ(g_design_undo.count, undo_before + 1);
  EXPECT_TRUE(is_end_row((*grid)[9]));
}

TEST_F(DesignRowEdits, BlankRowsFromTheMarginKeepTheEndRowInReach) {
  use_tool(CMD_BLANK_LINE_MODE);
  command(CMD_BLANK_OPEN);
  const int scroll_before = view->scroll_max;
  click(2, LABEL_COLUMN);
  EXPECT_TRUE(is_end_row((*grid)[15]));
  EXPECT_EQ(view->scroll_max, scroll_before + 4);
  int low = 0, high = 0;
  GetScrollRange(window, SB_VERT, &low, &high);
  EXPECT_EQ(high, view->scroll_max);
  command(CMD_BLANK_CLOSE);
  click(2, LABEL_COLUMN);
  EXPECT_TRUE(is_end_row((*grid)[11]));
}

TEST_F(DesignRowEdits, ADragWithTheLeftButtonGrowsTheRangeAndAShiftOfCellsFollowsTheBlankMode) {
  use_tool(CMD_RANGE_MODE);
  click(1, 2);
  // The lower half of row 3 counts as row 3.
  const int y = view->top_margin + (3 - view->top_row) * view->row_height + 3 * view->row_height / 4;
  SendMessageW(window, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(view->left_rail_x + 2 * view->cell_width, y));
  EXPECT_EQ(view->range_row, 3);
  EXPECT_EQ(view->sel_rows, 2);
  for (int r = 1; r <= 3; ++r) EXPECT_EQ((*grid)[static_cast<size_t>(r)].selected, 1) << r;
  EXPECT_EQ((*grid)[4].selected, 0);
  // A second click ends the range.
  click(5, 2);
  for (int r = 1; r <= 3; ++r) EXPECT_EQ((*grid)[static_cast<size_t>(r)].selected, 0) << r;
  EXPECT_EQ(view->range_active, 0);

  // Open left in the blank-line mode: the contact moves one column right behind a line.
  use_tool(0);
  click(6, 0);
  command(CMD_KEY_RELAY_A);
  key(VK_RIGHT);
  command(CMD_KEY_RELAY_A);
  const int undo_before = g_design_undo.count;
  use_tool(CMD_BLANK_LINE_MODE);
  command(CMD_LEFT_OPEN);
  click(6, 1);
  EXPECT_EQ(ladder_to_text(*grid)[6], "^? - ?");
  EXPECT_EQ(g_design_undo.count, undo_before + 1);
  command(CMD_LEFT_CLOSE);
  click(6, 2);
  EXPECT_EQ(ladder_to_text(*grid)[6], "^? ?");
}

TEST_F(DesignRowEdits, EndTypedIntoAnOutputEndsTheProgramThereAfterTheQuestion) {
  use_tool(CMD_TOOL_TIM);
  click(2, 3);
  ASSERT_EQ(ladder_to_text(*grid)[2], "^ . . - - - - - - - (T?)");
  use_tool(0);
  click(2, 11);
  boxes_->answer(IDCANCEL);
  std::string text = "END";
  EXPECT_FALSE(design_store_text(window, text, EntryOptions{}));
  EXPECT_TRUE(is_end_row((*grid)[11]));
  boxes_->answer(IDOK);
  EXPECT_TRUE(design_store_text(window, text, EntryOptions{}));
  ASSERT_EQ(boxes_->shown().size(), 2u);
  EXPECT_EQ(narrow(boxes_->shown()[1].text), "ＥＮＤを入れると、ここが画面スクロ－ルの下端になります！\n良いですか？");
  EXPECT_TRUE(is_end_row((*grid)[2]));
  EXPECT_TRUE(is_end_mark_row((*grid)[3]));
  EXPECT_EQ(SendMessageW(window, WM_COMMAND, CMD_QUERY_MODIFIED, 0), 1);
}

}  // namespace
