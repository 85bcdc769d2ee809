// The design window's own commands on the real frame: tool and mode buttons, the number
// dialog's text, Enter, the continued search, Save and Save As with their messages, and
// the compile-error list with its jump.
#include "bars_frame.h"

#include <cstdio>
#include <string>
#include <vector>

#include "core/design_file.h"
#include "core/ladder_compiler.h"
#include "core/seq_file.h"
#include "shell/compile_chain.h"
#include "target/monitor_protocol.h"
#include "design/compile_error_dialog_win.h"
#include "design/compile_errors.h"
#include "design/design_commands.h"
#include "design/design_commands_win.h"
#include "design/design_document.h"
#include "design/design_input_win.h"
#include "design/design_window_win.h"
#include "design/view_geometry_win.h"
#include "shell/documents.h"
#include "shell/settings_file.h"
#include "support/ladder_text.h"
#include "win/design_fixtures.h"

namespace {

using bars_test::BarsFrame;
using bars_test::narrow;
using bars_test::window_text;

// The dialogs the commands open, made by the test: a plain window with the edit 717 and
// the combo box 588 the commands fill, recorded in order.
struct OpenedDialog {
  DesignDialogKind kind;
  HWND window;
};
std::vector<OpenedDialog>& opened_dialogs() {
  static std::vector<OpenedDialog> d;
  return d;
}
HWND open_test_dialog(HWND, DesignDialogKind kind) {
  HWND dialog = CreateWindowW(L"STATIC", L"dialog", WS_POPUP, 0, 0, 200, 100, g_frame, nullptr,
                              GetModuleHandleW(nullptr), nullptr);
  CreateWindowW(L"EDIT", L"", WS_CHILD, 0, 0, 100, 20, dialog, reinterpret_cast<HMENU>(717),
                GetModuleHandleW(nullptr), nullptr);
  CreateWindowW(L"COMBOBOX", L"", WS_CHILD | CBS_DROPDOWNLIST, 0, 30, 100, 80, dialog, reinterpret_cast<HMENU>(588),
                GetModuleHandleW(nullptr), nullptr);
  opened_dialogs().push_back({kind, dialog});
  return dialog;
}

std::string edit_text(HWND dialog) {
  wchar_t text[256] = L"";
  GetDlgItemTextW(dialog, 717, text, 256);
  return narrow(text);
}

// The continued search, recorded.
struct SearchCall {
  char what;  // 'd' device search, 'i' instruction
  int mode;
};
std::vector<SearchCall>& search_calls() {
  static std::vector<SearchCall> c;
  return c;
}
int g_test_search_mode = 0;

class DesignCommands : public BarsFrame {
 protected:
  void SetUp() override {
    BarsFrame::SetUp();
    g_guide_flags = {0, 0, 0, 0};
    g_comments_changed = 0;
    g_design_file_count = 0;
    GetClientRect(frame, &g_client_rect);
    opened_dialogs().clear();
    search_calls().clear();
    set_design_dialog_opener(open_test_dialog);
    ContinuedSearchHooks hooks;
    hooks.search_mode = [] { return g_test_search_mode; };
    hooks.search_device = [](HWND, int mode) { search_calls().push_back({'d', mode}); };
    hooks.find_next_instruction_use = [](HWND) { search_calls().push_back({'i', g_test_search_mode}); };
    set_continued_search_hooks(hooks);
  }
  void TearDown() override {
    set_design_dialog_opener(nullptr);
    set_continued_search_hooks({});
    for (const OpenedDialog& d : opened_dialogs())
      if (IsWindow(d.window)) DestroyWindow(d.window);
    for (auto& row : g_dialog_slots) row.fill(0);
    BarsFrame::TearDown();
  }

  HWND main_window() const { return as_hwnd(g_design_windows[0]); }
  std::string file(const std::wstring& name) const { return narrow(folder_->file(name)); }
  HWND open(const std::string& path) { return open_through_dialog(CMD_OPEN_DESIGN, path); }
  // A design file written from ladder text, opened into the main window.
  HWND open_ladder(const std::wstring& name, const std::vector<std::string>& rows) {
    LadderGrid grid = ladder_from_text(rows, LadderTextOptions{true, true, 60});
    EXPECT_TRUE(write_design_grid(folder_->file(name), grid));
    return open(file(name));
  }
  LRESULT send(HWND window, int id) { return SendMessageW(window, WM_COMMAND, id, 0); }
  static bool checked(int id) { return SendMessageW(g_toolbar, TB_ISBUTTONCHECKED, id, 0) != 0; }
  static int flags_on() {
    int on = 0;
    for (int32_t f : g_mode_flags) on += f != 0;
    return on;
  }
  std::string shown(size_t i) const { return narrow(boxes_->shown().at(i).text); }
  std::string caption(size_t i) const { return narrow(boxes_->shown().at(i).caption); }
};

TEST_F(DesignCommands, ToolButtonsAreExclusiveAndASecondPressSwitchesOff) {
  command(CMD_NEW_DESIGN);
  HWND window = main_window();
  ASSERT_EQ(g_toolbar_kind, TOOLBAR_KIND_DESIGN);
  send(window, CMD_TOOL_RELAY_A);
  EXPECT_TRUE(checked(CMD_TOOL_RELAY_A));
  EXPECT_EQ(get_mode_flag(CMD_TOOL_RELAY_A), 1);
  send(window, CMD_TOOL_LINE);
  EXPECT_FALSE(checked(CMD_TOOL_RELAY_A));
  EXPECT_TRUE(checked(CMD_TOOL_LINE));
  EXPECT_EQ(flags_on(), 1);
  send(window, CMD_TOOL_LINE);
  EXPECT_FALSE(checked(CMD_TOOL_LINE));
  EXPECT_EQ(flags_on(), 0);

  // The range mode: its indicators show and its sub-mode starts at select.
  g_range_submode = 3;
  send(window, CMD_RANGE_MODE);
  EXPECT_TRUE(checked(CMD_RANGE_MODE));
  EXPECT_EQ(g_range_submode, 0);
  // Search sets its flag only and clears the range mode.
  send(window, CMD_SEARCH);
  EXPECT_FALSE(checked(CMD_RANGE_MODE));
  EXPECT_EQ(get_mode_flag(CMD_SEARCH), 1);
  EXPECT_EQ(flags_on(), 1);
  EXPECT_TRUE(boxes_->shown().empty());
}

TEST_F(DesignCommands, ToolsAreRefusedUnderAnotherScreensToolbar) {
  command(CMD_NEW_DESIGN);
  HWND window = main_window();
  show_toolbar(CMD_SCREEN_MNEMONIC);
  boxes_->answer(IDOK);
  send(window, CMD_TOOL_LINE);
  ASSERT_EQ(boxes_->shown().size(), 1u);
  EXPECT_EQ(shown(0), MSG_TOOLBAR_MISMATCH);
  EXPECT_EQ(caption(0), "警告");
  EXPECT_EQ(flags_on(), 0);
}

TEST_F(DesignCommands, NumberEntryFillsTheDialogWithTheLabelOrTheCell) {
  HWND window = open_ladder(L"LABEL.MBS", {"P12: X0 /X1 ~ (Y0)", "X2 ~ (Y1)"});
  ViewState* view = view_state_of(window);
  view->cursor_row = 0;
  view->cursor_col = LABEL_MARGIN_COLUMN;
  send(window, CMD_SET_NUMBER);
  ASSERT_EQ(opened_dialogs().size(), 1u);
  EXPECT_EQ(opened_dialogs()[0].kind, DesignDialogKind::NUMBER);
  EXPECT_EQ(dialog_slot_row(g_screen_kind)[0], as_window_handle(opened_dialogs()[0].window));
  EXPECT_EQ(edit_text(opened_dialogs()[0].window), "P12");
  EXPECT_TRUE(checked(CMD_SET_NUMBER));

  // Pressed again, the mode goes off and nothing opens.
  send(window, CMD_SET_NUMBER);
  EXPECT_EQ(opened_dialogs().size(), 1u);
  EXPECT_FALSE(checked(CMD_SET_NUMBER));

  // On a contact: the span is drawn and its text goes into the dialog.
  view->cursor_row = 0;
  view->cursor_col = 1;
  send(window, CMD_SET_NUMBER);
  ASSERT_EQ(opened_dialogs().size(), 2u);
  EXPECT_EQ(edit_text(opened_dialogs()[1].window), "X1");
  EXPECT_EQ(view->sel_col, 1);
}

TEST_F(DesignCommands, ReplaceAndSearchOpenTheirDialogsWithTheCursorCell) {
  HWND window = open_ladder(L"FIND.MBS", {"X0 /X1 ~ (Y0)"});
  ViewState* view = view_state_of(window);
  view->cursor_row = view->sel_row = 0;
  view->cursor_col = 0;
  send(window, CMD_REPLACE);
  ASSERT_EQ(opened_dialogs().size(), 1u);
  EXPECT_EQ(opened_dialogs()[0].kind, DesignDialogKind::REPLACE);
  EXPECT_EQ(edit_text(opened_dialogs()[0].window), "X00");  // as the ladder draws it
  send(window, CMD_SEARCH);
  // The replace dialog was closed by the switch; the search dialog takes slot 0.
  EXPECT_FALSE(IsWindow(opened_dialogs()[0].window));
  ASSERT_EQ(opened_dialogs().size(), 2u);
  EXPECT_EQ(opened_dialogs()[1].kind, DesignDialogKind::SEARCH);
  EXPECT_EQ(edit_text(opened_dialogs()[1].window), "X0");
  wchar_t status[256] = L"";
  SendMessageW(g_status_bar, SB_GETTEXTW, 0, reinterpret_cast<LPARAM>(status));
  EXPECT_EQ(narrow(status), MSG_SEARCH_STATUS);
}

TEST_F(DesignCommands, EnterClosesAnOpenDialogFirst) {
  HWND window = open_ladder(L"ENTER.MBS", {"X0 ~ (Y0)"});
  ViewState* view = view_state_of(window);
  send(window, CMD_SET_NUMBER);
  ASSERT_EQ(opened_dialogs().size(), 1u);
  HWND dialog = opened_dialogs()[0].window;
  send(window, IDOK);
  EXPECT_FALSE(IsWindow(dialog));
  EXPECT_EQ(opened_dialogs().size(), 1u);

  // With no dialog open, Enter on a part in the number mode opens the dialog with its text.
  dialog_slot_row(g_screen_kind)[0] = 0;
  view->sel_row = 0;
  view->sel_col = 0;
  send(window, IDOK);
  ASSERT_EQ(opened_dialogs().size(), 2u);
  EXPECT_EQ(opened_dialogs()[1].kind, DesignDialogKind::NUMBER);
  EXPECT_EQ(edit_text(opened_dialogs()[1].window), "X0");
}

TEST_F(DesignCommands, EnterInBlankLineModeClicksTheCursorCellAndKeepsTheElement) {
  HWND window = open_ladder(L"BLANK.MBS", {"X0 ~ (Y0)", "X1 ~ (Y1)", "X2 ~ (Y2)"});
  ViewState* view = view_state_of(window);
  static std::vector<RowEditHandoff> handoffs;
  handoffs.clear();
  const DesignInputHooks before = design_input_hooks();
  DesignInputHooks hooks = before;
  hooks.row_edit = [](HWND, RowEditHandoff handoff) { handoffs.push_back(handoff); };
  set_design_input_hooks(hooks);
  send(window, CMD_BLANK_LINE_MODE);
  g_blank_submode = 1;
  view->cursor_row = view->sel_row = 2;
  view->cursor_col = view->sel_col = 0;
  send(window, IDOK);
  set_design_input_hooks(before);
  EXPECT_EQ(g_blank_submode, 0);
  ASSERT_EQ(handoffs.size(), 1u);
  EXPECT_EQ(handoffs[0], RowEditHandoff::BLANK_LINE);
  EXPECT_EQ(view->cursor_row, 3);
}

TEST_F(DesignCommands, ContinuedSearchRunsUpOrDownAndTheInstructionSearchOnlyDown) {
  command(CMD_NEW_DESIGN);
  HWND window = main_window();
  g_test_search_mode = 0;
  send(window, CMD_SEARCH_UP);
  send(window, CMD_SEARCH_DOWN);
  g_test_search_mode = 4;
  send(window, CMD_SEARCH_UP);
  send(window, CMD_SEARCH_DOWN);
  ASSERT_EQ(search_calls().size(), 3u);
  EXPECT_EQ(search_calls()[0].what, 'd');
  EXPECT_EQ(search_calls()[0].mode, 1);
  EXPECT_EQ(search_calls()[1].what, 'd');
  EXPECT_EQ(search_calls()[1].mode, 2);
  EXPECT_EQ(search_calls()[2].what, 'i');
}

TEST_F(DesignCommands, SaveWritesTheFileAndRefreshesTheSavedCopy) {
  HWND window = open_ladder(L"SAVE.MBS", {"X0 ~ (Y0)"});
  ViewState* view = view_state_of(window);
  LadderGrid& grid = *design_grid_of(window);
  set_row_from_text(grid[0], "X5 ~ (Y5)");
  EXPECT_EQ(send(window, CMD_QUERY_MODIFIED), 1);
  g_comments_changed = 1;
  boxes_->answer(IDOK);
  send(window, CMD_SAVE);
  ASSERT_EQ(boxes_->shown().size(), 1u);
  EXPECT_EQ(shown(0), "ファイルが上書きされました！");
  EXPECT_EQ(caption(0), view->path);
  EXPECT_EQ(send(window, CMD_QUERY_MODIFIED), 0);
  EXPECT_EQ(g_saved_uncompiled, 1);
  EXPECT_EQ(g_comments_changed, 0);

  // The file holds what the design-file writer makes of the grid.
  const std::wstring expected_path = folder_->file(L"EXPECTED.MBS");
  ASSERT_TRUE(write_design_grid(expected_path, grid));
  EXPECT_EQ(read_file_bytes(folder_->file(L"SAVE.MBS")), read_file_bytes(expected_path));
  EXPECT_FALSE(file_exists(folder_->file(L"SAVE.MBS.$$$")));
}

TEST_F(DesignCommands, AFailedSaveSaysSoAndKeepsTheFileAndTheChange) {
  HWND window = open_ladder(L"FAIL.MBS", {"X0 ~ (Y0)"});
  const std::string before = read_file_bytes(folder_->file(L"FAIL.MBS"));
  LadderGrid& grid = *design_grid_of(window);
  set_row_from_text(grid[0], "X5 ~ (Y5)");
  const int end_row = count_program_rows(grid) - 1;
  const uint32_t end_word = grid[static_cast<size_t>(end_row)].cell[11].word[0];
  grid[static_cast<size_t>(end_row)].cell[11].word[0] = 0;  // the writer refuses a design without END
  boxes_->answer(IDOK);
  boxes_->answer(IDOK);
  send(window, CMD_SAVE);
  ASSERT_EQ(boxes_->shown().size(), 2u);
  EXPECT_EQ(shown(1), "ファイル保存に失敗しました！");
  EXPECT_EQ(caption(1), "警告");
  EXPECT_EQ(read_file_bytes(folder_->file(L"FAIL.MBS")), before);
  EXPECT_EQ(send(window, CMD_QUERY_MODIFIED), 1);
  grid[static_cast<size_t>(end_row)].cell[11].word[0] = end_word;
}

TEST_F(DesignCommands, SaveRefusesUnnamedReadOnlyAndFurtherFiles) {
  command(CMD_NEW_DESIGN);
  HWND window = main_window();
  boxes_->answer(IDOK);
  send(window, CMD_SAVE);
  ASSERT_EQ(boxes_->shown().size(), 1u);
  EXPECT_EQ(shown(0), "名前付けて保存して下さい！");
  EXPECT_EQ(caption(0), "警告");

  ViewState* view = view_state_of(window);
  copy_text(view->title, "RO.MBS");
  view->open_file.flags |= OPEN_FILE_READ_ONLY;
  boxes_->answer(IDOK);
  send(window, CMD_SAVE);
  ASSERT_EQ(boxes_->shown().size(), 2u);
  EXPECT_EQ(shown(1), "読取り専用ファイルです");
  EXPECT_EQ(caption(1), view->path);
  view->open_file.flags &= ~OPEN_FILE_READ_ONLY;

  // A further design window shows another file.
  ASSERT_TRUE(write_sample_design(folder_->file(L"OTHER.MBS")));
  HWND further = open(file(L"OTHER.MBS"));
  ASSERT_NE(further, window);
  const size_t file_dialogs = dialogs_->shown().size();
  const std::string other_before = read_file_bytes(folder_->file(L"OTHER.MBS"));
  boxes_->answer(IDOK);
  send(further, CMD_SAVE);
  boxes_->answer(IDOK);
  send(further, CMD_SAVE_AS);
  ASSERT_EQ(boxes_->shown().size(), 4u);
  EXPECT_EQ(shown(2), "メイン･ファイル以外は保存出来ません！");
  EXPECT_EQ(shown(3), "メイン･ファイル以外は保存出来ません！");
  EXPECT_EQ(read_file_bytes(folder_->file(L"OTHER.MBS")), other_before);
  EXPECT_EQ(dialogs_->shown().size(), file_dialogs);
}

TEST_F(DesignCommands, SaveAsNamesTheDesignAndAddsTheExtension) {
  command(CMD_NEW_DESIGN);
  HWND window = main_window();
  ViewState* view = view_state_of(window);
  set_row_from_text((*design_grid_of(window))[1], "X5 ~ (Y5)");
  dialogs_->choose(file(L"PUMP"));
  boxes_->answer(IDOK);
  send(window, CMD_SAVE_AS);
  ASSERT_EQ(dialogs_->shown().size(), 1u);
  EXPECT_EQ(dialogs_->shown()[0].kind, FileDialogKind::SAVE);
  ASSERT_EQ(boxes_->shown().size(), 1u);
  EXPECT_EQ(shown(0), "ファイルが新しい名前で保存されました！");
  EXPECT_EQ(caption(0), file(L"PUMP.MBS"));
  EXPECT_TRUE(file_exists(folder_->file(L"PUMP.MBS")));
  EXPECT_EQ(std::string(view->path), file(L"PUMP.MBS"));
  EXPECT_STREQ(view->title, "PUMP.MBS");
  EXPECT_STREQ(g_project_name, "PUMP");
  EXPECT_EQ(window_text(window), file(L"PUMP.MBS"));
  EXPECT_EQ(send(window, CMD_QUERY_MODIFIED), 0);

  // Now named, Save writes over it.
  boxes_->answer(IDOK);
  send(window, CMD_SAVE);
  EXPECT_EQ(shown(1), "ファイルが上書きされました！");
}

TEST_F(DesignCommands, SaveAsOntoAnExistingFileAsksAndCancelWritesNothing) {
  ASSERT_TRUE(write_sample_design(folder_->file(L"KEEP.MBS")));
  const std::string before = read_file_bytes(folder_->file(L"KEEP.MBS"));
  HWND window = open_ladder(L"MINE.MBS", {"X0 ~ (Y0)", "X1 ~ (Y1)"});
  ViewState* view = view_state_of(window);
  const std::string old_path = view->path;
  dialogs_->choose(file(L"KEEP.MBS"));
  boxes_->answer(IDCANCEL);
  send(window, CMD_SAVE_AS);
  ASSERT_EQ(boxes_->shown().size(), 1u);
  EXPECT_EQ(shown(0), "同一ファイル名が存在していますが、\n強行しますか？");
  EXPECT_EQ(caption(0), "確認");
  EXPECT_EQ(read_file_bytes(folder_->file(L"KEEP.MBS")), before);
  EXPECT_EQ(std::string(view->path), old_path);

  // A cancelled dialog writes nothing either.
  dialogs_->cancel();
  send(window, CMD_SAVE_AS);
  EXPECT_EQ(boxes_->shown().size(), 1u);
  EXPECT_EQ(std::string(view->path), old_path);

  // OK writes it.
  dialogs_->choose(file(L"KEEP.MBS"));
  boxes_->answer(IDOK);
  boxes_->answer(IDOK);
  send(window, CMD_SAVE_AS);
  ASSERT_EQ(boxes_->shown().size(), 3u);
  EXPECT_EQ(shown(2), "ファイルが新しい名前で保存されました！");
  // The file is the design as the writer writes it under the new project name.
  EXPECT_STREQ(g_project_name, "KEEP");
  const std::string written = read_file_bytes(folder_->file(L"KEEP.MBS"));
  EXPECT_NE(written.find("\r\nKEEP.MBS\r\n"), std::string::npos);
  ASSERT_TRUE(write_design_grid(folder_->file(L"EXPECTED.MBS"), *design_grid_of(window)));
  EXPECT_EQ(written, read_file_bytes(folder_->file(L"EXPECTED.MBS")));
}

uint32_t error_word(uint32_t kind, int column, int row) {
  return kind << 24 | static_cast<uint32_t>(column) << 20 | static_cast<uint32_t>(row);
}

std::vector<std::string> list_lines(HWND dialog) {
  std::vector<std::string> lines;
  const LRESULT count = SendDlgItemMessageW(dialog, COMPILE_ERROR_LIST, LB_GETCOUNT, 0, 0);
  for (LRESULT i = 0; i < count; ++i) {
    wchar_t line[256] = L"";
    SendDlgItemMessageW(dialog, COMPILE_ERROR_LIST, LB_GETTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(line));
    lines.push_back(narrow(line));
  }
  return lines;
}

TEST_F(DesignCommands, TheErrorListJumpsToTheCellAndClosesForGood) {
  std::vector<std::string> rows;
  for (int i = 0; i < 60; ++i) {
    if (i == 3) rows.push_back("; a comment row");
    rows.push_back("X" + std::to_string(i) + " ~ (Y" + std::to_string(i) + ")");
  }
  LadderGrid grid = ladder_from_text(rows, LadderTextOptions{true, true, 200});
  ASSERT_TRUE(write_design_grid(folder_->file(L"JUMP.MBS"), grid));
  HWND window = open(file(L"JUMP.MBS"));
  ViewState* view = view_state_of(window);
  ASSERT_GT(view->visible_rows, 0);
  ASSERT_LT(view->visible_rows, 40);

  clear_conversion_errors();
  add_conversion_error(error_word(6, 2, 4));
  add_conversion_error(error_word(5, 0, 45));
  const int count_before = g_conversion_error_count;
  HWND dialog = open_compile_error_list(frame);
  ASSERT_NE(dialog, nullptr);
  EXPECT_EQ(dialog_slot_row(g_screen_kind)[0], as_window_handle(dialog));
  EXPECT_EQ(list_lines(dialog), (std::vector<std::string>{format_compile_error_line(error_word(6, 2, 4), g_path_name),
                                                          format_compile_error_line(error_word(5, 0, 45), g_path_name)}));
  EXPECT_EQ(g_conversion_error_count, count_before);

  // Program row 4 is grid row 5 (the comment row above it counts).
  SendDlgItemMessageW(dialog, COMPILE_ERROR_LIST, LB_SETCURSEL, 0, 0);
  SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(COMPILE_ERROR_JUMP, BN_CLICKED), 0);
  EXPECT_EQ(view->cursor_row, 5);
  EXPECT_EQ(view->sel_row, 5);
  EXPECT_EQ(view->cursor_col, 2);
  EXPECT_EQ(view->top_row, 0);

  // A row out of view scrolls in.
  SendDlgItemMessageW(dialog, COMPILE_ERROR_LIST, LB_SETCURSEL, 1, 0);
  SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(COMPILE_ERROR_JUMP, BN_CLICKED), 0);
  EXPECT_EQ(view->cursor_row, 46);
  EXPECT_LE(view->top_row, 46);
  EXPECT_GT(view->top_row + view->visible_rows, 46);
  EXPECT_EQ(GetScrollPos(window, SB_VERT), view->top_row);

  // The close button ends the dialog and frees its slot.
  SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(COMPILE_ERROR_CLOSE, BN_CLICKED), 0);
  EXPECT_FALSE(IsWindow(dialog));
  EXPECT_EQ(dialog_slot_row(g_screen_kind)[0], 0u);

  // A second list replaces the first; WM_CLOSE ends it too.
  HWND first = open_compile_error_list(frame);
  HWND second = open_compile_error_list(frame);
  EXPECT_FALSE(IsWindow(first));
  SendMessageW(second, WM_CLOSE, 0, 0);
  EXPECT_FALSE(IsWindow(second));
  EXPECT_EQ(dialog_slot_row(g_screen_kind)[0], 0u);
  clear_conversion_errors();
}

}  // namespace

namespace {

// The design-file and operation-file writers applied to a grid, into a file of the folder.
std::string written_design(const std::wstring& path, GridSpan grid) {
  EXPECT_TRUE(write_design_grid(path, grid));
  return read_file_bytes(path);
}

std::string written_operation(const std::wstring& path, const LadderGrid& design) {
  LadderGrid grid = design;
  InstructionList list = make_instruction_list();
  EXPECT_EQ(compile_ladder(nullptr, grid, list, nullptr, 0), 0);
  g_instruction_list = list;
  FILE* stream = _wfopen(path.c_str(), L"w+b");
  EXPECT_NE(stream, nullptr);
  EXPECT_EQ(write_seq_file(stream), 0);
  EXPECT_EQ(write_design_file(nullptr, grid, nullptr, stream, DESIGN_FILE_APPENDED), 0);
  fclose(stream);
  g_instruction_list = {};
  return read_file_bytes(path);
}

TEST_F(DesignCommands, CompileListsTheErrorJumpsToItAndWritesTheProjectFiles) {
  // The start-up guide's first sample as the project PUMP.
  const std::wstring sample = cp932_to_wide(TAVOLIN_SOURCE_DIR "/resources/samples/SAMPLE1.MBS");
  ASSERT_TRUE(CopyFileW(sample.c_str(), folder_->file(L"PUMP.MBS").c_str(), FALSE));
  HWND window = open(file(L"PUMP.MBS"));
  ASSERT_EQ(window, main_window());
  ASSERT_STREQ(g_project_name, "PUMP");
  LadderGrid& grid = *design_grid_of(window);
  ViewState* view = view_state_of(window);

  // Break a rung: the first coil loses its operand.
  int coil_row = -1;
  for (int r = 0; r < count_program_rows(grid) && coil_row < 0; ++r)
    if (part_code_of(grid[static_cast<size_t>(r)].cell[11].word[0]) == PartCode::OUT) coil_row = r;
  ASSERT_GE(coil_row, 0);
  const LadderCell coil = grid[static_cast<size_t>(coil_row)].cell[11];
  grid[static_cast<size_t>(coil_row)].cell[11].word[0] &= ~CellFlags::OPERAND_SET;
  grid[static_cast<size_t>(coil_row)].cell[11].word[1] = 0;
  int comments_above = 0;
  for (int r = 0; r < coil_row; ++r) comments_above += is_comment_row(grid[static_cast<size_t>(r)]);

  // No operation file to read back yet: the error list is all the compile shows.
  send(window, CMD_COMPILE_LADDER);
  ASSERT_EQ(boxes_->shown().size(), 0u);
  EXPECT_FALSE(file_exists(folder_->file(L"PUMP.SEQ")));
  HWND list = as_hwnd(dialog_slot_row(g_screen_kind)[0]);
  ASSERT_TRUE(IsWindow(list));
  const std::vector<std::string> lines = list_lines(list);
  ASSERT_FALSE(lines.empty());
  char where[32];
  std::snprintf(where, sizeof where, "%d行-12列", coil_row - comments_above + 1);
  EXPECT_EQ(lines[0].rfind(where, 0), 0u) << lines[0];

  view->cursor_row = 0;
  view->cursor_col = 0;
  SendDlgItemMessageW(list, COMPILE_ERROR_LIST, LB_SETCURSEL, 0, 0);
  SendMessageW(list, WM_COMMAND, MAKEWPARAM(COMPILE_ERROR_JUMP, BN_CLICKED), 0);
  EXPECT_EQ(view->cursor_row, coil_row);
  EXPECT_EQ(view->cursor_col, 11);

  // Mended, the design compiles: the files are written and the frame converts them.
  grid[static_cast<size_t>(coil_row)].cell[11] = coil;
  boxes_->answer(IDOK);
  send(window, CMD_COMPILE_LADDER);
  pump_messages();
  // The only message is the conversion's own report.
  ASSERT_EQ(boxes_->shown().size(), 1u);
  EXPECT_EQ(shown(0), "SEQ to NICが終了しました");
  EXPECT_FALSE(IsWindow(list));
  EXPECT_EQ(send(window, CMD_QUERY_MODIFIED), 0);
  EXPECT_EQ(read_file_bytes(folder_->file(L"PUMP.MBS")), written_design(folder_->file(L"EXPECTED.MBS"), grid));
  EXPECT_EQ(read_file_bytes(folder_->file(L"PUMP.SEQ")), written_operation(folder_->file(L"EXPECTED.SEQ"), grid));
  EXPECT_FALSE(g_mnemonic_text.empty());
  // The mnemonic file is what the frame's conversion makes of that operation file.
  const std::string nic = read_file_bytes(folder_->file(L"PUMP.NIC"));
  EXPECT_FALSE(nic.empty());
  ASSERT_TRUE(read_back_operation_file(file(L"EXPECTED.SEQ"), file(L"EXPECTED.SEQ")));
  boxes_->answer(IDOK);
  ASSERT_EQ(convert_seq_to_commented_nic(nullptr, file(L"EXPECTED.NIC"), file(L"EXPECTED.LST"), file(L"EXPECTED.SEQ")), 0);
  EXPECT_EQ(nic, read_file_bytes(folder_->file(L"EXPECTED.NIC")));

  // Unchanged since, a second compile asks first; Cancel leaves the files alone.
  const std::string seq = read_file_bytes(folder_->file(L"PUMP.SEQ"));
  boxes_->answer(IDCANCEL);
  const size_t before = boxes_->shown().size();
  ASSERT_NE(before, 0u);
  send(window, CMD_COMPILE_LADDER);
  ASSERT_EQ(boxes_->shown().size(), before + 1);
  EXPECT_EQ(shown(before), "回路上の変更が有りませんが\n強行しますか？");
  EXPECT_EQ(read_file_bytes(folder_->file(L"PUMP.SEQ")), seq);
}

TEST_F(DesignCommands, CompileRefusesAnUnnamedDesignBeforeClosingAnything) {
  command(CMD_NEW_DESIGN);
  copy_text(g_project_name, "新規");
  boxes_->answer(IDOK);
  send(main_window(), CMD_COMPILE_LADDER);
  ASSERT_EQ(boxes_->shown().size(), 1u);
  EXPECT_EQ(shown(0), "新しい名前で保存してからにして下さい！");
  EXPECT_EQ(caption(0), "警告");
}

TEST_F(DesignCommands, TheCloseQuestionsYesNamesAnUnnamedDesignThroughSaveAs) {
  command(CMD_NEW_DESIGN);
  HWND window = main_window();
  set_row_from_text((*design_grid_of(window))[1], "X5 ~ (Y5)");
  boxes_->answer(IDYES);
  dialogs_->choose(file(L"NAMED"));
  boxes_->answer(IDOK);
  EXPECT_EQ(SendMessageW(window, WM_CLOSE, 0, 0), 0);
  pump_messages();
  EXPECT_FALSE(IsWindow(window));
  EXPECT_TRUE(file_exists(folder_->file(L"NAMED.MBS")));
}

}  // namespace
