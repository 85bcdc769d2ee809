// The design window's own commands, the rules without a window: tool and mode switching,
// the number dialog's text, Enter, the refusals of Save, the Save As path and the
// continued search.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "design/design_commands.h"
#include "shell/command_ids.h"
#include "support/ladder_text.h"

namespace {

int32_t flag(const ModeFlags& flags, int id) {
  const int index = mode_flag_index(id);
  return index < 0 ? 0 : flags[static_cast<size_t>(index)];
}

// Presses a command as the window does: the switch from its flag, applied to the flags.
ModeSwitch press(ModeFlags& flags, int id) {
  const ModeSwitch change = switch_design_mode(id, flag(flags, id));
  apply_mode_switch(change, flags);
  return change;
}

int flags_on(const ModeFlags& flags) {
  int on = 0;
  for (int32_t f : flags) on += f != 0;
  return on;
}

TEST(DesignModes, ToolsAreExclusiveAndASecondPressSwitchesEverythingOff) {
  const std::vector<int> toggles = {CMD_TOOL_RELAY_A, CMD_TOOL_RELAY_B, CMD_TOOL_OUT,   CMD_TOOL_TIM,
                                    CMD_TOOL_CNT,     CMD_TOOL_FUNCTION, CMD_TOOL_LINE, CMD_TOOL_ERASE,
                                    CMD_SET_NUMBER,   CMD_COMMENT,       CMD_RANGE_MODE, CMD_BLANK_LINE_MODE};
  for (int id : toggles) {
    SCOPED_TRACE(id);
    ModeFlags flags{};
    flags[static_cast<size_t>(mode_flag_index(CMD_SEARCH))] = 1;  // another mode is on
    ModeSwitch on = press(flags, id);
    EXPECT_TRUE(on.reset_modes);
    EXPECT_TRUE(on.check_button);
    EXPECT_EQ(flag(flags, id), 1);
    EXPECT_EQ(flags_on(flags), 1);
    ModeSwitch off = press(flags, id);
    EXPECT_TRUE(off.switched_off);
    EXPECT_EQ(flags_on(flags), 0);
  }
}

TEST(DesignModes, DialogAndUndoCommandsSetTheirFlagWithoutAButton) {
  for (int id : {CMD_REPLACE, CMD_SEARCH, CMD_UNDO, CMD_REDO}) {
    SCOPED_TRACE(id);
    ModeFlags flags{};
    flags[static_cast<size_t>(mode_flag_index(CMD_TOOL_LINE))] = 1;
    ModeSwitch first = press(flags, id);
    EXPECT_FALSE(first.check_button);
    EXPECT_EQ(flag(flags, id), 1);
    EXPECT_EQ(flag(flags, CMD_TOOL_LINE), 0);
    // Pressed again it is no toggle: the flag stays on.
    ModeSwitch second = press(flags, id);
    EXPECT_FALSE(second.switched_off);
    EXPECT_EQ(flag(flags, id), 1);
  }
}

TEST(DesignModes, EditModesShowTheirIndicators) {
  ModeFlags flags{};
  const ModeSwitch range = press(flags, CMD_RANGE_MODE);
  EXPECT_TRUE(range.reset_range_submode);
  EXPECT_EQ(range.indicators, CMD_RANGE_MODE);
  const ModeSwitch blank = press(flags, CMD_BLANK_LINE_MODE);
  EXPECT_FALSE(blank.reset_range_submode);
  EXPECT_EQ(blank.indicators, CMD_BLANK_LINE_MODE);
  EXPECT_EQ(press(flags, CMD_TOOL_LINE).indicators, 0);
}

TEST(DesignModes, CommandsOutsideTheModesSwitchNothing) {
  for (int id : {IDOK, CMD_SAVE, CMD_SAVE_AS, CMD_COMPILE_LADDER, CMD_SEARCH_UP, CMD_SEARCH_DOWN}) {
    ModeFlags flags{};
    flags[static_cast<size_t>(mode_flag_index(CMD_TOOL_LINE))] = 1;
    EXPECT_FALSE(press(flags, id).applies) << id;
    EXPECT_EQ(flag(flags, CMD_TOOL_LINE), 1) << id;
    EXPECT_EQ(mode_preparation(id), ModePreparation::NONE) << id;
  }
}

TEST(DesignModes, PreparationKeepsTheCursorForTheDialogModes) {
  for (int id : {CMD_TOOL_FUNCTION, CMD_REPLACE, CMD_SEARCH, CMD_BLANK_LINE_MODE})
    EXPECT_EQ(mode_preparation(id), ModePreparation::KEEP_CURSOR) << id;
  for (int id : {CMD_TOOL_RELAY_A, CMD_TOOL_ERASE, CMD_SET_NUMBER, CMD_COMMENT, CMD_UNDO, CMD_REDO, CMD_RANGE_MODE})
    EXPECT_EQ(mode_preparation(id), ModePreparation::ALL) << id;
  EXPECT_TRUE(is_tool_guarded(CMD_TOOL_RELAY_A));
  EXPECT_TRUE(is_tool_guarded(CMD_RANGE_MODE));
  EXPECT_FALSE(is_tool_guarded(CMD_SAVE));
  EXPECT_FALSE(is_tool_guarded(CMD_COMPILE_LADDER));
}

ViewState view_on(int row, int col, int sel_col = NO_SELECTION) {
  ViewState view{};
  init_view_state(view, 0);
  view.cursor_row = view.sel_row = row;
  view.cursor_col = col;
  view.sel_col = sel_col;
  return view;
}

TEST(NumberEntry, TheLabelMarginGivesTheLabel) {
  LadderGrid grid = ladder_from_text({"P12: X0 ~ (Y0)", "X1 ~ (Y1)"});
  NumberEntryFill fill = number_entry_fill(grid, view_on(0, LABEL_MARGIN_COLUMN));
  EXPECT_TRUE(fill.fill);
  EXPECT_EQ(fill.text, "P12");
  EXPECT_FALSE(fill.move_cursor);
  // A label without its number.
  grid[0].cell[LABEL_MARGIN_COLUMN].word[0] &= ~CellFlags::OPERAND_SET;
  EXPECT_EQ(number_entry_fill(grid, view_on(0, LABEL_MARGIN_COLUMN)).text, "P");
  // The margin of a row without a label gives nothing.
  EXPECT_FALSE(number_entry_fill(grid, view_on(1, LABEL_MARGIN_COLUMN)).fill);
}

TEST(NumberEntry, ASelectedCellGivesItsTextAndBoxesGoThroughTheirOutputCell) {
  const LadderGrid grid = ladder_from_text({"X0 /X1 ~ (T3 K10)", "X2 ~ [MOV D0 D1]"});
  struct Case {
    int row, sel_col, want_col;
  };
  const std::vector<Case> cases = {
      {0, 0, 0},    // a contact
      {0, 1, 1},
      {0, 10, 11},  // the coil cell of TIM
      {0, 11, 11},
      {1, 9, 11},   // the middle and first cells of a box
      {1, 10, 11},
      {1, 11, 11},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.sel_col);
    const NumberEntryFill fill = number_entry_fill(grid, view_on(c.row, 4, c.sel_col));
    EXPECT_TRUE(fill.fill);
    EXPECT_TRUE(fill.move_cursor);
    EXPECT_EQ(fill.row, c.row);
    EXPECT_EQ(fill.col, c.want_col);
  }
  EXPECT_EQ(number_entry_fill(grid, view_on(0, 0, 0)).text, "X0");
  EXPECT_EQ(number_entry_fill(grid, view_on(0, 0, 1)).text, "X1");
  EXPECT_FALSE(number_entry_fill(grid, view_on(0, 0, NO_SELECTION)).fill);
  EXPECT_FALSE(number_entry_fill(grid, view_on(500, 0, 0)).fill);  // beyond the grid
}

TEST(Enter, OpensTheDialogOfTheModeInForce) {
  const LadderGrid grid = ladder_from_text({"X0 - - ~ (Y0)", "; note"});
  auto flags_with = [](int id) {
    ModeFlags flags{};
    if (id != 0) flags[static_cast<size_t>(mode_flag_index(id))] = 1;
    return flags;
  };
  struct Case {
    int mode;
    int row, sel_col;
    bool dialog_open;
    int number_mode;
    EnterAction action;
    bool fill;
  };
  const std::vector<Case> cases = {
      {CMD_SET_NUMBER, 0, 0, true, 0, EnterAction::CLOSE_DIALOG, false},   // a dialog first closes
      {0, 0, 0, true, 0, EnterAction::CLOSE_DIALOG, false},
      {CMD_SET_NUMBER, 0, 0, false, 0, EnterAction::NUMBER_DIALOG, true},
      {CMD_SET_NUMBER, 0, 0, false, 2, EnterAction::NUMBER_DIALOG, false},  // consecutive numbers
      {CMD_SET_NUMBER, 0, 1, false, 0, EnterAction::NONE, false},           // a line, not a part
      {CMD_SET_NUMBER, 1, 0, false, 0, EnterAction::NONE, false},           // a comment row
      {CMD_SET_NUMBER, 0, NO_SELECTION, false, 0, EnterAction::NONE, false},
      {CMD_TOOL_FUNCTION, 0, 1, false, 0, EnterAction::FUNCTION_DIALOG, false},
      {CMD_TOOL_FUNCTION, 0, LABEL_MARGIN_COLUMN, false, 0, EnterAction::NONE, false},
      {CMD_BLANK_LINE_MODE, 0, 0, false, 0, EnterAction::BLANK_ROW, false},
      {CMD_TOOL_LINE, 0, 0, false, 0, EnterAction::NONE, false},
      {0, 0, 0, false, 0, EnterAction::NONE, false},
  };
  for (size_t i = 0; i < cases.size(); ++i) {
    const Case& c = cases[i];
    SCOPED_TRACE(i);
    const EnterDecision decision =
        enter_action(grid, view_on(c.row, 0, c.sel_col), flags_with(c.mode), c.dialog_open, c.number_mode);
    EXPECT_EQ(decision.action, c.action);
    EXPECT_EQ(decision.fill_text, c.fill);
  }
}

TEST(Save, RefusalsComeInOrder) {
  ViewState view{};
  init_view_state(view, 0);
  std::snprintf(view.title, sizeof view.title, "%s", UNNAMED_DESIGN);
  view.open_file.flags = OPEN_FILE_READ_ONLY;
  view.view_id = 1 << 4;
  EXPECT_EQ(save_refusal(view), SaveRefusal::NOT_MAIN_FILE);
  view.view_id = 0;
  EXPECT_EQ(save_refusal(view), SaveRefusal::READ_ONLY);
  view.open_file.flags = 0;
  EXPECT_EQ(save_refusal(view), SaveRefusal::UNNAMED);
  std::snprintf(view.title, sizeof view.title, "PUMP.MBS");
  EXPECT_EQ(save_refusal(view), SaveRefusal::NONE);
  view.view_id = 0x01;  // a view of the main file that shares its grid
  EXPECT_EQ(save_refusal(view), SaveRefusal::NONE);
}

TEST(SaveAs, ANameWithoutExtensionGetsMbs) {
  const std::vector<std::pair<std::string, std::string>> cases = {
      {"C:\\work\\PUMP", "C:\\work\\PUMP.MBS"},
      {"C:\\work\\PUMP.MBS", "C:\\work\\PUMP.MBS"},
      {"C:\\work\\PUMP.TXT", "C:\\work\\PUMP.TXT"},           // an extension stays as chosen
      {"C:\\w.d\\PUMP", "C:\\w.d\\PUMP.MBS"},                 // a dot in a folder is no extension
      {"C:\\\x95\\\\PUMP", "C:\\\x95\\\\PUMP.MBS"},           // 表 ends in the byte of a backslash
      {"", ""},
      {std::string(258, 'A'), ""},                            // no room for the extension
  };
  for (const auto& [chosen, want] : cases) EXPECT_EQ(save_as_target(chosen), want) << chosen;
}

TEST(SaveAs, TheDialogStartsInTheCurrentFolderWithTheProjectName) {
  EXPECT_EQ(save_as_prefill("C:\\work\\OLD.MBS", "PUMP"), "C:\\work\\PUMP.MBS");
  EXPECT_EQ(save_as_prefill("C:\\\\OLD.MBS", "PUMP"), "C:\\PUMP.MBS");            // doubled separator
  EXPECT_EQ(save_as_prefill("C:\\a\\\\b\\OLD.MBS", "PUMP"), "C:\\a\\b\\PUMP.MBS");
  // The trail byte of 表 (0x5C) before a separator is no doubled separator.
  EXPECT_EQ(save_as_prefill("C:\\\x95\\\\OLD.MBS", "PUMP"), "C:\\\x95\\\\PUMP.MBS");
}

TEST(ContinuedSearch, AltF10SearchesUpAndAltF5DownWithOneWrap) {
  struct Case {
    int id, mode;
    ContinuedSearchAction action;
    int new_mode;
  };
  const std::vector<Case> cases = {
      {CMD_SEARCH_UP, 0, ContinuedSearchAction::DEVICE, 1},
      {CMD_SEARCH_UP, 3, ContinuedSearchAction::DEVICE, 1},
      {CMD_SEARCH_DOWN, 0, ContinuedSearchAction::DEVICE, 2},
      {CMD_SEARCH_DOWN, 1, ContinuedSearchAction::DEVICE, 2},
      {CMD_SEARCH_UP, 4, ContinuedSearchAction::NONE, 4},     // instruction mode: nothing upwards
      {CMD_SEARCH_DOWN, 4, ContinuedSearchAction::INSTRUCTION, 4},
      {CMD_SEARCH, 0, ContinuedSearchAction::NONE, 0},
  };
  for (const Case& c : cases) {
    const ContinuedSearch search = continued_search(c.id, c.mode);
    EXPECT_EQ(search.action, c.action) << c.id << " " << c.mode;
    EXPECT_EQ(search.search_mode, c.new_mode) << c.id << " " << c.mode;
  }
}

TEST(ReplacePrefill, DevicesReadAsTheLadderDrawsThem) {
  struct Case {
    const char* in;
    const char* out;
  };
  for (const Case& c : {Case{"X1", "X01"}, Case{"YA", "Y0A"}, Case{"B3", "B03"}, Case{"R0", "R00"}, Case{"X1A", "X1A"},
                        Case{"T1", "T1"}, Case{"M5", "M5"}, Case{"D3", "D3"}, Case{"X", "X"}, Case{"", ""},
                        Case{"Xg", "Xg"}})
    EXPECT_EQ(as_ladder_shows(c.in), c.out) << c.in;
}

}  // namespace
