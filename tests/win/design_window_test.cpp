// The design window's life on the real frame: a new design, a design file read into
// the main window and into further windows, the change test, the close question with
// its save, failed loads, and fitting the window to the MDI client.
#include "bars_frame.h"

#include <string>

#include "core/design_file.h"
#include "design/design_document.h"
#include "design/design_window_win.h"
#include "design/view_geometry_win.h"
#include "shell/documents.h"
#include "shell/settings_file.h"
#include "win/design_fixtures.h"
#include "support/staging_files.h"

namespace {

using bars_test::BarsFrame;
using bars_test::narrow;
using bars_test::window_text;

class DesignWindow : public BarsFrame {
 protected:
  void SetUp() override {
    BarsFrame::SetUp();
    g_guide_flags = {0, 0, 0, 0};
    g_comments_changed = 0;
    g_design_file_count = 0;
    GetClientRect(frame, &g_client_rect);
  }

  HWND main_window() const { return as_hwnd(g_design_windows[0]); }
  std::string file(const std::wstring& name) const { return narrow(folder_->file(name)); }
  std::string new_file(const std::wstring& name) {
    EXPECT_TRUE(write_sample_design(folder_->file(name)));
    return file(name);
  }
  HWND open(const std::string& path) { return open_through_dialog(CMD_OPEN_DESIGN, path); }
  LRESULT close(HWND window) { return SendMessageW(window, WM_CLOSE, 0, 0); }
  static void place_contact(HWND window, int row) {
    (*design_grid_of(window))[row].cell[0].word[0] = 0x801A;  // an a-contact with its operand
    (*design_grid_of(window))[row].cell[0].word[1] = 0x01000003;
  }
};

TEST_F(DesignWindow, NewDesignIsTheMainWindowWithItsSavedCopy) {
  command(CMD_NEW_DESIGN);
  HWND window = main_window();
  ASSERT_NE(window, nullptr);
  ViewState* view = view_state_of(window);
  ASSERT_NE(view, nullptr);
  EXPECT_EQ(view->window_index, 0);
  EXPECT_EQ(view->view_id, 0);
  EXPECT_STREQ(view->title, "新規.MBS");
  EXPECT_EQ(std::string(view->path), std::string(g_work_folder) + "新規.MBS");
  EXPECT_EQ(view->sel_col, -1);
  EXPECT_EQ(view->zoom_percent, 100);
  EXPECT_EQ(view->background, g_design_background);
  ASSERT_NE(design_saved_copy_of(window), nullptr);
  EXPECT_EQ(count_program_rows(*design_grid_of(window)), 12);
  EXPECT_EQ(SendMessageW(window, WM_COMMAND, CMD_QUERY_MODIFIED, 0), 0);
  EXPECT_GT(view->cell_width, 0);  // WM_SIZE came before the first paint

  // Nothing changed: the close asks nothing.
  EXPECT_EQ(close(window), 0);
  pump_messages();
  EXPECT_FALSE(IsWindow(window));
  EXPECT_TRUE(boxes_->shown().empty());
  EXPECT_EQ(g_toolbar_kind, TOOLBAR_KIND_INITIAL);
}

TEST_F(DesignWindow, TheCloseQuestionKeepsEditsTheUserWantsKept) {
  command(CMD_NEW_DESIGN);
  HWND window = main_window();
  place_contact(window, 2);
  EXPECT_EQ(SendMessageW(window, WM_COMMAND, CMD_QUERY_MODIFIED, 0), 1);

  boxes_->answer(IDCANCEL);
  EXPECT_NE(close(window), 0);
  ASSERT_EQ(boxes_->shown().size(), 1u);
  EXPECT_EQ(narrow(boxes_->shown()[0].text), "変更がありました！\n設計ファイルを保存しますか？");
  EXPECT_EQ(narrow(boxes_->shown()[0].caption), "確認");
  EXPECT_TRUE(IsWindow(window));

  // Yes for a design that has no name yet: the design is only dropped once Save As named
  // and wrote it; here the name is not given, so the window stays.
  boxes_->answer(IDYES);
  dialogs_->cancel();
  EXPECT_NE(close(window), 0);
  EXPECT_TRUE(IsWindow(window));

  // The frame's exit is refused the same way.
  boxes_->answer(IDCANCEL);
  SendMessageW(frame, WM_CLOSE, 0, 0);
  EXPECT_TRUE(frame_alive());

  boxes_->answer(IDNO);
  EXPECT_EQ(close(window), 0);
  pump_messages();
  EXPECT_FALSE(IsWindow(window));
}

TEST_F(DesignWindow, AChangedCommentAloneStillAsks) {
  command(CMD_NEW_DESIGN);
  g_comments_changed = 1;
  boxes_->answer(IDNO);
  EXPECT_EQ(close(main_window()), 0);
  EXPECT_EQ(boxes_->shown().size(), 1u);
}

TEST_F(DesignWindow, YesSavesTheDesignOverItsFile) {
  const std::string path = new_file(L"LAMP.MBS");
  HWND window = open(path);
  ASSERT_EQ(window, main_window());
  EXPECT_EQ(window_text(window), std::string(view_state_of(window)->path));
  place_contact(window, 4);
  boxes_->answer(IDYES);
  EXPECT_EQ(close(window), 0);
  pump_messages();
  EXPECT_FALSE(IsWindow(window));

  // The file holds the contact; no temporary file is left beside it.
  LadderGrid back = make_ladder_grid();
  FILE* stream = _wfopen(folder_->file(L"LAMP.MBS").c_str(), L"rb");
  ASSERT_NE(stream, nullptr);
  EXPECT_EQ(read_design_file(back, stream, DESIGN_FILE_STANDALONE), DESIGN_FILE_OK);
  fclose(stream);
  EXPECT_EQ(back[4].cell[0].word[0], 0x801Au);
  EXPECT_EQ(staging_files_in(folder_->path()), 0);
}

TEST_F(DesignWindow, AFailedSaveKeepsTheOldFileAndTheWindow) {
  const std::string path = new_file(L"KEEP.MBS");
  const std::string before = read_file_bytes(folder_->file(L"KEEP.MBS"));
  HWND window = open(path);
  place_contact(window, 4);

  // A design the writer refuses (its END row is gone): the writer says why, the save
  // fails, and the old file stays as it was.
  (*design_grid_of(window))[11].cell[11].word[0] = 0;
  boxes_->answer(IDYES);
  boxes_->answer(IDOK);
  boxes_->answer(IDOK);
  EXPECT_NE(close(window), 0);
  ASSERT_EQ(boxes_->shown().size(), 3u);
  EXPECT_EQ(narrow(boxes_->shown()[1].text), "END が有りません！");
  EXPECT_EQ(narrow(boxes_->shown()[2].text), "ファイル保存に失敗しました！");
  EXPECT_EQ(narrow(boxes_->shown()[2].caption), "警告");
  EXPECT_TRUE(IsWindow(window));
  EXPECT_EQ(read_file_bytes(folder_->file(L"KEEP.MBS")), before);
  EXPECT_EQ(staging_files_in(folder_->path()), 0);
  EXPECT_EQ(SendMessageW(window, WM_COMMAND, CMD_QUERY_MODIFIED, 0), 1);
  (*design_grid_of(window))[11].cell[11].word[0] = 0x6C08;

  // The file's folder is gone: nothing can be opened for writing.
  ViewState* view = view_state_of(window);
  copy_text(view->path, file(L"GONE\\KEEP.MBS"));
  boxes_->answer(IDYES);
  boxes_->answer(IDOK);
  EXPECT_NE(close(window), 0);
  ASSERT_EQ(boxes_->shown().size(), 5u);
  EXPECT_EQ(narrow(boxes_->shown()[4].text), "ファイルが開けません\n共用をチェックして下さい");
  EXPECT_EQ(narrow(boxes_->shown()[4].caption), view->path);
  EXPECT_TRUE(IsWindow(window));

  boxes_->answer(IDNO);
  EXPECT_EQ(close(window), 0);
}

TEST_F(DesignWindow, AFileThatCannotBeReadLeavesNoWindow) {
  write_file_bytes(folder_->file(L"BAD.MBS"), "not a design\r\n");
  struct Case {
    std::string path;
    const char* message;
  };
  for (const Case& c : {Case{file(L"BAD.MBS"), "フォーマットが違います"}, Case{file(L"NONE.MBS"), "ファイルが開けません！"}}) {
    boxes_->answer(IDOK);
    open(c.path);
    ASSERT_FALSE(boxes_->shown().empty());
    EXPECT_EQ(narrow(boxes_->shown().back().text), c.message);
    EXPECT_EQ(next_live_window(g_design_windows, 0), 0) << c.message;
    EXPECT_EQ(g_design_window_count, 0);
    EXPECT_EQ(g_design_file_count, 0);
  }
  // The next design registers as the main window again.
  HWND window = open(new_file(L"GOOD.MBS"));
  ASSERT_NE(window, nullptr);
  EXPECT_EQ(view_state_of(window)->window_index, 0);
}

TEST_F(DesignWindow, FurtherWindowsShowTheirFileAndCloseWithTheMainWindow) {
  HWND main = open(new_file(L"MAIN.MBS"));
  const std::string other = new_file(L"OTHER.MBS");
  HWND further = open(other);
  ASSERT_NE(further, main);
  ViewState* view = view_state_of(further);
  EXPECT_EQ(view->window_index, 1);
  EXPECT_EQ(view->view_id, 0x10);
  // Its saved copy is of its own small grid: it only tells whether the window was changed.
  ASSERT_NE(design_saved_copy_of(further), nullptr);
  EXPECT_EQ(design_saved_copy_of(further)->size(), design_grid_of(further)->size());
  // Room for 20 rows after its end mark (row 12).
  EXPECT_EQ(design_grid_of(further)->size(), 32u);
  EXPECT_EQ(design_grid_of(main)->size(), static_cast<size_t>(MAX_GRID_ROWS));

  // Many further files: none of them passes for the main file.
  for (int i = 0; i < 16; ++i) {
    HWND w = open(other);
    ASSERT_NE(w, nullptr);
    EXPECT_NE(view_file_number(*view_state_of(w)), 0) << i;
  }

  // Its changes cannot be saved from it: they are dropped when the user agrees.
  place_contact(further, 3);
  boxes_->answer(IDOK);
  EXPECT_EQ(close(further), 0);
  ASSERT_EQ(boxes_->shown().size(), 1u);
  EXPECT_EQ(narrow(boxes_->shown()[0].text), "変更がありました！\n最初のファイル以外は保存出来ません！\n変更を捨てて閉じますか？");

  EXPECT_EQ(close(main), 0);
  pump_messages();
  EXPECT_EQ(next_live_window(g_design_windows, 0), 0);
  EXPECT_EQ(g_design_window_count, 0);
}

TEST_F(DesignWindow, ADesignWithoutItsEndRowGetsItBackWhenOpened) {
  ASSERT_TRUE(write_design_without_end_row(folder_->file(L"NOEND.MBS")));
  HWND window = open(file(L"NOEND.MBS"));
  ASSERT_NE(window, nullptr);
  EXPECT_TRUE(boxes_->shown().empty());
  const LadderGrid& grid = *design_grid_of(window);
  // The row before the end mark became the END row, so the design can be saved.
  EXPECT_EQ(count_program_rows(grid), 11);
  EXPECT_TRUE(is_end_row(grid[10]));
  EXPECT_EQ(SendMessageW(window, WM_COMMAND, CMD_QUERY_MODIFIED, 0), 0);
  EXPECT_EQ(save_design_file(window, *design_grid_of(window), view_state_of(window), view_state_of(window)->path),
            DesignSaveResult::SAVED);
}

TEST_F(DesignWindow, FitWindowFillsTheClient) {
  command(CMD_NEW_DESIGN);
  HWND window = main_window();
  MoveWindow(window, 10, 10, 200, 150, TRUE);
  SendMessageW(window, WM_COMMAND, CMD_FIT_WINDOW, 0);
  RECT client{};
  GetClientRect(g_mdi_client, &client);
  RECT rect{};
  GetWindowRect(window, &rect);
  MapWindowPoints(nullptr, g_mdi_client, reinterpret_cast<POINT*>(&rect), 2);
  EXPECT_EQ(rect.left, 0);
  EXPECT_EQ(rect.top, 0);
  EXPECT_EQ(rect.right - rect.left, client.right);
  EXPECT_EQ(rect.bottom - rect.top, client.bottom);
}

// The Window menu lists each opened design by the title its window took when it read its
// file (the main window its path; a further window its path and CPU name), not by the
// title the window was created with.
TEST_F(DesignWindow, TheWindowMenuListsOpenedDesignsByTheirTitles) {
  HWND main = open(new_file(L"MAIN.MBS"));
  HWND further = open(new_file(L"OTHER.MBS"));
  ASSERT_NE(main, nullptr);
  ASSERT_NE(further, nullptr);
  const std::string main_title = window_text(main);
  const std::string further_title = window_text(further);
  ASSERT_GE(main_title.size(), 9u);
  EXPECT_EQ(main_title.substr(main_title.size() - 9), "\\MAIN.MBS");
  EXPECT_NE(further_title.find("\\OTHER.MBS    "), std::string::npos);

  HMENU menu = g_document_window_menu;
  const int count = GetMenuItemCount(menu);
  ASSERT_GE(count, 2);
  const auto item = [&](int position) {
    wchar_t text[512] = L"";
    GetMenuStringW(menu, static_cast<UINT>(position), text, 512, MF_BYPOSITION);
    return narrow(text);
  };
  EXPECT_EQ(item(count - 2), "&1 " + main_title);
  EXPECT_EQ(item(count - 1), "&2 " + further_title);
  EXPECT_EQ(GetMenu(frame), g_document_menu);
}

TEST_F(DesignWindow, ActivationInstallsTheDocumentMenu) {
  command(CMD_NEW_DESIGN);
  SendMessageW(g_mdi_client, WM_MDIACTIVATE, reinterpret_cast<WPARAM>(main_window()), 0);
  EXPECT_EQ(GetMenu(frame), g_document_menu);
  EXPECT_EQ(g_screen_kind, SCREEN_KIND_DESIGN);
}

}  // namespace
