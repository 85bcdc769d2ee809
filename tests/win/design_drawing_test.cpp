// Drawing a ladder in the real design window: clicks at cell centres from the view's
// geometry, the cursor keys and the function keys through the frame, the line tool, the
// popup menus and the modifier keys through their stand-ins; the drawn grid is compiled by
// the core compiler.
#include "win/design_drawing_fixture.h"

#include "core/ladder_compiler.h"

namespace {

using design_drawing::DesignDrawing;
using bars_test::narrow;
using design_drawing::received_commands;

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

// The coil's device name sits in the right half of column 11: a click there with the line
// tool completes the row up to the coil as a click on its left half does.
TEST_F(DesignDrawing, TheLineToolCompletesTheRowFromAClickAnywhereOnTheCoil) {
  for (int dx : {view->cell_width / 4, 3 * view->cell_width / 4}) {
    const LadderGrid ladder = ladder_from_text({"X0 . . . . . . . . . . (Y0)"});
    (*grid)[0] = ladder[0];
    use_tool(CMD_TOOL_LINE);
    click(0, 11, dx);
    EXPECT_EQ(ladder_to_text(*grid)[0], "X0 - - - - - - - - - - (Y0)") << dx;
    EXPECT_EQ(view->marker_on, 0) << dx;
  }
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
  EXPECT_EQ(items[1].text, "&C コピ－");
  EXPECT_TRUE(items[1].checked);
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
  EXPECT_EQ(popups[0].items[0].text, "&K 空行開け");
  EXPECT_EQ(popups[0].items[2].id, 0);

  use_tool(CMD_TOOL_RELAY_A);
  click(2, 3);
  use_tool(CMD_COMMENT);
  right_click(2, 3);
  ASSERT_EQ(popups.size(), 2u);
  EXPECT_EQ(popups[1].items[0].id, CMD_POPUP_SHOW_COMMENT);
  EXPECT_EQ(popups[1].items[0].text, "No Comment!");
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

}  // namespace
