// The windows stay sound as the user moves between them: the search and replace dialogs act
// on the document of the window they serve, whatever screen they were opened on; a window
// that refuses its close keeps its slot and stops the command that asked; further views
// keep to their own file; the mnemonic screen reaches the replace dialog; and no change is
// dropped without a question.
#include "win/window_safety_fixture.h"

#include <string>
#include <vector>

#include "design/device_search.h"
#include "design/search_dialogs.h"
#include "design/search_dialogs_win.h"
#include "mnemonic/mnemonic_search.h"
#include "mnemonic/mnemonic_search_win.h"

namespace {

using namespace window_safety;

std::wstring class_name(HWND window) {
  wchar_t name[32] = L"";
  GetClassNameW(window, name, 32);
  return name;
}

// The text hooks the dialogs call, recorded. A window that is no mnemonic window is only
// noted (handing it on would read its grid as text).
struct TextHookCalls {
  std::vector<std::wstring> windows;
};
TextHookCalls g_text_hook_calls;

int recording_search(HWND window, void* text, ViewState& view, const char* word) {
  g_text_hook_calls.windows.push_back(class_name(window));
  return class_name(window) == L"nicfl" ? mnemonic_search_hook(window, text, view, word) : WORD_NOT_FOUND;
}
int recording_replace(HWND window, void* text, ViewState& view, const char* old_text, const char* new_text) {
  g_text_hook_calls.windows.push_back(class_name(window));
  return class_name(window) == L"nicfl" ? mnemonic_replace_hook(window, text, view, old_text, new_text) : 0;
}

class WindowSafety : public WindowSafetyFrame {
 protected:
  void record_text_hooks() {
    g_text_hook_calls = {};
    MnemonicSearchHooks hooks;
    hooks.search_in_text = recording_search;
    hooks.replace_in_text = recording_replace;
    hooks.push_undo = mnemonic_push_undo_hook;
    hooks.repaint_windows = repaint_nic_windows;
    set_mnemonic_search_hooks(hooks);
  }
  void TearDown() override {
    for (HWND dialog : {as_hwnd(g_dialog_slots[0][0]), as_hwnd(g_dialog_slots[1][0]), as_hwnd(g_dialog_slots[2][0])})
      if (dialog != nullptr && IsWindow(dialog)) DestroyWindow(dialog);
    install_mnemonic_search_hooks();
    WindowSafetyFrame::TearDown();
  }
};

// ---- The dialogs act on the document of the window they serve -------------------------------

TEST_F(WindowSafety, ADialogOpenedOnTheMnemonicScreenSearchesTheGridOfADesignOrMonitorWindow) {
  HWND design = open_design(design_file(L"PUMP.MBS"));
  ASSERT_EQ(design, as_hwnd(g_design_windows[0]));
  ASSERT_TRUE(write_operation_file(folder_->file(L"PUMP.SEQ"), DESIGN_ROWS));
  HWND mnemonic = open_mnemonic(nic_file(L"PUMP.NIC"));
  ASSERT_EQ(mnemonic, as_hwnd(g_mnemonic_windows[0]));
  SendMessageW(mnemonic, WM_COMMAND, CMD_SEARCH, 0);
  pump_messages();
  HWND dialog = as_hwnd(g_dialog_slots[SCREEN_KIND_MNEMONIC][0]);
  ASSERT_NE(dialog, nullptr);
  record_text_hooks();

  // The user clicks the design window and presses OK: the design's grid is searched.
  activate(design);
  ViewState* view = view_state_of(design);
  view->cursor_row = 1;
  view->cursor_col = 0;
  SetDlgItemTextW(dialog, IDC_DEVICE_EDIT, L"X0");
  click(dialog, IDOK);
  pump_messages();
  EXPECT_TRUE(g_text_hook_calls.windows.empty()) << narrow(g_text_hook_calls.windows.front());
  EXPECT_TRUE(boxes_->shown().empty()) << shown().front();
  // The cursor stands on an X0 of the design (rows 0 and 2), where the search found it.
  EXPECT_TRUE(view->cursor_row == 0 || view->cursor_row == 2) << view->cursor_row;
  EXPECT_EQ(view->cursor_col, 0);

  // The same with the monitor window of the program.
  HWND monitor = open_monitor_window(folder_->file(L"PUMP.SEQ"), false);
  ASSERT_NE(monitor, nullptr);
  activate(monitor);
  SetDlgItemTextW(dialog, IDC_DEVICE_EDIT, L"Y1");
  click(dialog, IDOK);
  pump_messages();
  EXPECT_TRUE(g_text_hook_calls.windows.empty());
  EXPECT_EQ(view_state_of(monitor)->cursor_row, 1);

  // Back in the mnemonic window the same dialog searches its text.
  activate(mnemonic);
  SetDlgItemTextW(dialog, IDC_DEVICE_EDIT, L"OUT");
  click(dialog, IDOK);
  pump_messages();
  EXPECT_EQ(g_text_hook_calls.windows, std::vector<std::wstring>{L"nicfl"});
  EXPECT_EQ(nic_window_view(mnemonic)->cursor_row, 1);
}

TEST_F(WindowSafety, AReplaceDialogLeftOpenReplacesInTheGridOfTheDesignWindowItServes) {
  HWND design = open_design(design_file(L"PUMP.MBS"));
  HWND mnemonic = open_mnemonic(nic_file(L"PUMP.NIC"));
  ASSERT_NE(mnemonic, nullptr);
  activate(mnemonic);
  g_screen_kind = SCREEN_KIND_MNEMONIC;
  HWND dialog = open_replace_dialog(mnemonic, nullptr);
  ASSERT_NE(dialog, nullptr);
  record_text_hooks();

  activate(design);
  view_state_of(design)->cursor_row = 0;
  view_state_of(design)->cursor_col = 0;
  SetDlgItemTextW(dialog, IDC_DEVICE_EDIT, L"X1");
  SetDlgItemTextW(dialog, IDC_NEW_DEVICE_EDIT, L"X5");
  boxes_->answer(IDCANCEL);  // "置換えを実行しますか": the design's own replace asks
  click(dialog, IDOK);
  pump_messages();
  EXPECT_TRUE(g_text_hook_calls.windows.empty());
  ASSERT_EQ(shown().size(), 1u);
  EXPECT_EQ(shown()[0], "置換えを実行しますか");
  EXPECT_EQ(view_state_of(design)->cursor_row, 1);
}

// The text hooks themselves never take a grid for a text, whoever calls them.
TEST_F(WindowSafety, TheTextHooksLeaveAnyOtherDocumentAlone) {
  HWND design = open_design(design_file(L"PUMP.MBS"));
  HWND mnemonic = open_mnemonic(nic_file(L"PUMP.NIC"));
  ASSERT_NE(mnemonic, nullptr);
  LadderGrid* grid = design_grid_of(design);
  ViewState* view = view_state_of(design);
  const std::vector<std::string> before = ladder_to_text(*grid);
  EXPECT_EQ(mnemonic_search_hook(design, grid, *view, "X0"), WORD_NOT_FOUND);
  EXPECT_EQ(mnemonic_replace_hook(design, grid, *view, "X0", "X7"), 0);
  mnemonic_push_undo_hook(design, grid);
  // A mnemonic window handed a document that is not its own.
  EXPECT_EQ(mnemonic_search_hook(mnemonic, grid, *nic_window_view(mnemonic), "X0"), WORD_NOT_FOUND);
  EXPECT_EQ(ladder_to_text(*grid), before);
  EXPECT_TRUE(boxes_->shown().empty());
  EXPECT_EQ(SendMessageW(design, WM_COMMAND, CMD_QUERY_MODIFIED, 0), 0);
}

// ---- A refused close keeps the window's slot and stops the command ---------------------------

TEST_F(WindowSafety, CancelAtTheMnemonicSaveQuestionStopsTheConversionAndKeepsTheSlot) {
  const std::string nic = nic_file(L"PUMP.NIC");
  HWND mnemonic = open_mnemonic(nic);
  ASSERT_EQ(mnemonic, as_hwnd(g_mnemonic_windows[0]));
  type(mnemonic, "Q");
  const std::string on_disk = file_bytes(nic);

  boxes_->answer(IDCANCEL);  // the save question: the window keeps its edit
  command(CMD_SEQ_TO_MNEMONIC);
  pump_messages();
  ASSERT_TRUE(IsWindow(mnemonic));
  EXPECT_EQ(as_hwnd(g_mnemonic_windows[0]), mnemonic);
  EXPECT_EQ(nic_window_statements(mnemonic)[0], "QLD      X00");
  EXPECT_EQ(file_bytes(nic), on_disk);
  EXPECT_EQ(shown(), std::vector<std::string>{"変更がありました！\nﾆｰﾓﾆｯｸ画面を保存しますか？"});

  // Its later close still asks.
  boxes_->answer(IDNO);
  SendMessageW(mnemonic, WM_SYSCOMMAND, SC_CLOSE, 0);
  pump_messages();
  EXPECT_FALSE(IsWindow(mnemonic));
  EXPECT_EQ(shown().size(), 2u);
}

TEST_F(WindowSafety, CancelAtTheDesignSaveQuestionStopsTheDesignConversion) {
  const std::string path = design_file(L"PUMP.MBS");
  HWND design = open_design(path);
  (*design_grid_of(design))[1].cell[5].word[0] = 0x801A;  // an unsaved edit
  const std::string on_disk = file_bytes(path);
  boxes_->answer(IDOK);      // "他の画面は閉じられます！"
  boxes_->answer(IDCANCEL);  // the design's save question
  command(CMD_SEQ_TO_DESIGN);
  pump_messages();
  ASSERT_TRUE(IsWindow(design));
  EXPECT_EQ(as_hwnd(g_design_windows[0]), design);
  EXPECT_EQ(file_bytes(path), on_disk);
  EXPECT_EQ(shown().size(), 2u);
  EXPECT_EQ(SendMessageW(design, WM_COMMAND, CMD_QUERY_MODIFIED, 0), 1);
}

TEST_F(WindowSafety, AMnemonicWindowThatKeepsItsEditsStopsTheDesignCompile) {
  HWND design = open_design(design_file(L"PUMP.MBS"));
  const std::string nic = nic_file(L"PUMP.NIC");
  HWND mnemonic = open_mnemonic(nic);
  type(mnemonic, "Q");
  const std::string on_disk = file_bytes(nic);
  boxes_->answer(IDOK);      // "開かれているNICファイル等を閉じます！"
  boxes_->answer(IDCANCEL);  // the mnemonic window's save question
  SendMessageW(design, WM_COMMAND, CMD_COMPILE_LADDER, 0);
  pump_messages();
  ASSERT_TRUE(IsWindow(mnemonic));
  EXPECT_EQ(as_hwnd(g_mnemonic_windows[0]), mnemonic);
  EXPECT_EQ(file_bytes(nic), on_disk);
  EXPECT_FALSE(file_exists(folder_->file(L"PUMP.SEQ")));
  EXPECT_EQ(shown().size(), 2u);
}

// ---- Further views keep to their own file ----------------------------------------------------

TEST_F(WindowSafety, AFurtherWindowGetsItsEndRowBackToo) {
  open_design(design_file(L"MAIN.MBS"));
  ASSERT_TRUE(write_design_without_end_row(folder_->file(L"NOEND.MBS")));
  HWND further = open_design(path_of(L"NOEND.MBS"));
  ASSERT_NE(further, as_hwnd(g_design_windows[0]));
  const LadderGrid& grid = *design_grid_of(further);
  EXPECT_EQ(count_program_rows(grid), 11);
  EXPECT_TRUE(is_end_row(grid[10]));
}

// The session query asks the save question and frees nothing: the window lives on with its
// edits, its saved copy and its slot.
TEST_F(WindowSafety, TheSessionQueryAsksAndFreesNothing) {
  HWND design = open_design(design_file(L"PUMP.MBS"));
  (*design_grid_of(design))[1].cell[5].word[0] = 0x801A;
  boxes_->answer(IDCANCEL);
  EXPECT_EQ(SendMessageW(design, WM_QUERYENDSESSION, 0, 0), FALSE);
  boxes_->answer(IDNO);
  EXPECT_NE(SendMessageW(design, WM_QUERYENDSESSION, 0, 0), FALSE);
  pump_messages();
  ASSERT_TRUE(IsWindow(design));
  EXPECT_NE(design_saved_copy_of(design), nullptr);
  EXPECT_EQ(as_hwnd(g_design_windows[0]), design);
  EXPECT_EQ(g_design_window_count, 1);
  EXPECT_EQ(SendMessageW(design, WM_COMMAND, CMD_QUERY_MODIFIED, 0), 1);
  EXPECT_EQ(shown().size(), 2u);
}

// ---- Replace on the mnemonic screen ----------------------------------------------------------

TEST_F(WindowSafety, TheMnemonicScreenOpensTheReplaceDialogFromTheMenuAndCtrlF4) {
  HWND mnemonic = open_mnemonic(nic_file(L"PUMP.NIC"));
  ASSERT_NE(mnemonic, nullptr);
  activate(mnemonic);
  command(CMD_REPLACE);  // 編集 > 置換 and Ctrl+F4 reach the frame as this command
  pump_messages();
  HWND dialog = replace_dialog();
  ASSERT_NE(dialog, nullptr);
  EXPECT_EQ(as_hwnd(g_dialog_slots[SCREEN_KIND_MNEMONIC][0]), dialog);
  EXPECT_EQ(get_mode_flag(CMD_REPLACE), 1);
  SetDlgItemTextW(dialog, IDC_DEVICE_EDIT, L"X00");
  SetDlgItemTextW(dialog, IDC_NEW_DEVICE_EDIT, L"X07");
  UpdateWindow(mnemonic);
  pump_messages();
  EXPECT_FALSE(save_screenshot("mnemonic_replace_dialog").empty());
  boxes_->answer(IDYES);  // "置換えを実行しますか"
  boxes_->answer(IDNO);   // "頭からサ－チ置換し始めますか？"
  click(dialog, IDOK);
  pump_messages();
  EXPECT_EQ(nic_window_statements(mnemonic)[0], "LD      X07");
}

TEST_F(WindowSafety, TheDesignsReplaceDialogStaysOpenAcrossTheSwitchToTheMnemonicScreen) {
  HWND design = open_design(design_file(L"PUMP.MBS"));
  HWND mnemonic = open_mnemonic(nic_file(L"PUMP.NIC"));
  activate(design);
  command(CMD_SCREEN_DESIGN);
  SendMessageW(design, WM_COMMAND, CMD_REPLACE, 0);
  pump_messages();
  HWND dialog = as_hwnd(g_dialog_slots[SCREEN_KIND_DESIGN][0]);
  ASSERT_NE(dialog, nullptr);
  command(CMD_SCREEN_MNEMONIC);
  pump_messages();
  ASSERT_TRUE(IsWindow(dialog));
  EXPECT_EQ(reinterpret_cast<HWND>(SendMessageW(g_mdi_client, WM_MDIGETACTIVE, 0, 0)), mnemonic);
  SetDlgItemTextW(dialog, IDC_DEVICE_EDIT, L"Y00");
  SetDlgItemTextW(dialog, IDC_NEW_DEVICE_EDIT, L"Y03");
  boxes_->answer(IDYES);
  boxes_->answer(IDNO);
  click(dialog, IDOK);
  pump_messages();
  EXPECT_EQ(nic_window_statements(mnemonic)[1], "OUT     Y03");
}

// ---- No change is dropped without a question -----------------------------------------------

TEST_F(WindowSafety, AFurtherDesignWindowAsksBeforeItsEditsAreDropped) {
  HWND main = open_design(design_file(L"MAIN.MBS"));
  HWND further = open_design(design_file(L"OTHER.MBS"));
  ASSERT_NE(further, main);
  (*design_grid_of(further))[1].cell[3].word[0] = 0x801A;

  // Its own close.
  boxes_->answer(IDCANCEL);
  EXPECT_NE(SendMessageW(further, WM_CLOSE, 0, 0), 0);
  ASSERT_TRUE(IsWindow(further));
  ASSERT_EQ(shown().size(), 1u);
  EXPECT_EQ(shown()[0], "変更がありました！\n最初のファイル以外は保存出来ません！\n変更を捨てて閉じますか？");

  // The main window's close asks it too, and stops when it is kept.
  boxes_->answer(IDCANCEL);
  EXPECT_NE(SendMessageW(main, WM_CLOSE, 0, 0), 0);
  ASSERT_TRUE(IsWindow(main));
  ASSERT_TRUE(IsWindow(further));
  EXPECT_EQ(as_hwnd(g_design_windows[0]), main);
  EXPECT_NE(design_saved_copy_of(main), nullptr);
  EXPECT_EQ(shown().size(), 2u);

  boxes_->answer(IDOK);
  EXPECT_EQ(SendMessageW(main, WM_CLOSE, 0, 0), 0);
  pump_messages();
  EXPECT_FALSE(IsWindow(further));
  EXPECT_FALSE(IsWindow(main));
}

TEST_F(WindowSafety, ACommentChangeDroppedWithItsDesignIsNotAskedForAgain) {
  HWND design = open_design(design_file(L"PUMP.MBS"));
  g_comments_changed = 1;  // a comment written through the comment dialog
  boxes_->answer(IDNO);
  EXPECT_EQ(SendMessageW(design, WM_CLOSE, 0, 0), 0);
  pump_messages();
  ASSERT_EQ(shown().size(), 1u);
  command(CMD_NEW_DESIGN);
  pump_messages();
  HWND fresh = as_hwnd(g_design_windows[0]);
  ASSERT_NE(fresh, nullptr);
  EXPECT_EQ(SendMessageW(fresh, WM_CLOSE, 0, 0), 0);
  pump_messages();
  EXPECT_EQ(shown().size(), 1u);
  EXPECT_FALSE(IsWindow(fresh));
}

}  // namespace
