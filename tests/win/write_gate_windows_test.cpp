// The windows around the gate under Wine: a refused or cancelled save never closes a window
// or drops a change (comments count as changes wherever the close questions look), the
// end-of-session question frees nothing, the conversion to mnemonics asks the window that
// holds the file it writes, a path a few characters short of MAX_PATH saves, and a user's
// files beside the target are never taken for the new file of a write.
#include "win/window_safety_fixture.h"

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "core/ladder_model.h"
#include "design/design_document.h"
#include "shell/documents.h"

namespace {

using namespace window_safety;

constexpr char SAVE_QUESTION_DESIGN[] = "変更がありました！\n設計ファイルを保存しますか？";
constexpr char SAVE_QUESTION_MNEMONIC[] = "変更がありました！\nﾆｰﾓﾆｯｸ画面を保存しますか？";
constexpr char DROP_QUESTION[] = "変更がありました！\n最初のファイル以外は保存出来ません！\n変更を捨てて閉じますか？";

class WriteGateWindows : public WindowSafetyFrame {};

// A read-only design whose only change is a device comment: Yes at the close question,
// "読取り専用ファイルです", Save As cancelled. The window stays, with the comment.
TEST_F(WriteGateWindows, ACommentChangeOfAReadOnlyDesignKeepsItsWindowWhenSaveAsIsCancelled) {
  const std::string path = commented_design(folder_->file(L"RO.MBS"));
  const std::string before = file_bytes(path);
  make_read_only(folder_->file(L"RO.MBS"));
  HWND window = open_design(path);
  ASSERT_TRUE(IsWindow(window));
  // What the comment dialog does when the user rewrites the comment: the text changes, the
  // cell words do not, and the program notes that a comment changed.
  LadderGrid& grid = *design_grid_of(window);
  set_comment(grid[0], 0, "PUMP ON\n");
  g_comments_changed = 1;
  ASSERT_EQ(grid_differs(grid, *design_saved_copy_of(window)), 0);

  boxes_->answer(IDYES);  // save the changes?
  boxes_->answer(IDOK);   // 読取り専用ファイルです
  dialogs_->cancel();     // Save As cancelled
  SendMessageW(window, WM_SYSCOMMAND, SC_CLOSE, 0);
  pump_messages();
  ASSERT_TRUE(IsWindow(window)) << "the close went on after Yes and a cancelled Save As";
  EXPECT_EQ(shown(), (std::vector<std::string>{SAVE_QUESTION_DESIGN, "読取り専用ファイルです"}));
  EXPECT_EQ(std::string((*design_grid_of(window))[0].text[0]), "PUMP ON\n");
  EXPECT_EQ(g_comments_changed, 1);
  EXPECT_EQ(file_bytes(path), before);

  // The end-of-session question takes the same way and keeps the window as well.
  boxes_->answer(IDYES);
  boxes_->answer(IDOK);
  dialogs_->cancel();
  EXPECT_EQ(SendMessageW(window, WM_QUERYENDSESSION, 0, 0), FALSE);
  EXPECT_TRUE(IsWindow(window));
  EXPECT_EQ(g_comments_changed, 1);
}

// A further design window whose only change is a device comment asks before the change is
// dropped, as it does for a changed rung.
TEST_F(WriteGateWindows, AFurtherDesignWindowAsksBeforeItsChangedCommentIsDropped) {
  HWND main = open_design(design_file(L"A.MBS"));
  HWND further = open_design(commented_design(folder_->file(L"B.MBS")));
  ASSERT_TRUE(IsWindow(main) && IsWindow(further) && main != further);
  ASSERT_EQ(as_hwnd(g_design_windows[0]), main);
  set_comment((*design_grid_of(further))[0], 0, "PUMP ON\n");

  boxes_->answer(IDCANCEL);
  SendMessageW(further, WM_SYSCOMMAND, SC_CLOSE, 0);
  pump_messages();
  EXPECT_TRUE(IsWindow(further));
  EXPECT_EQ(shown(), std::vector<std::string>{DROP_QUESTION});

  boxes_->answer(IDOK);
  SendMessageW(further, WM_SYSCOMMAND, SC_CLOSE, 0);
  pump_messages();
  EXPECT_FALSE(IsWindow(further));
  EXPECT_EQ(shown().size(), 2u);
}

// Windows asks whether the session may end: the first mnemonic window answers with its save
// question and stays whole whatever the answer; its saved copy, the count of the windows and
// the further windows are kept, and a later close asks again.
TEST_F(WriteGateWindows, TheMnemonicEndOfSessionQuestionFreesNothingAndClosesNothing) {
  HWND first = open_mnemonic(nic_file(L"A.NIC"));
  HWND further = open_mnemonic(nic_file(L"B.NIC"));
  ASSERT_EQ(as_hwnd(g_mnemonic_windows[0]), first);
  ASSERT_TRUE(IsWindow(further));
  ASSERT_EQ(g_mnemonic_window_count, 2);
  activate(first);
  type(first, "Q");
  const std::string on_disk = file_bytes(path_of(L"A.NIC"));

  boxes_->answer(IDCANCEL);
  EXPECT_EQ(SendMessageW(first, WM_QUERYENDSESSION, 0, 0), FALSE);
  boxes_->answer(IDNO);
  EXPECT_EQ(SendMessageW(first, WM_QUERYENDSESSION, 0, 0), TRUE);
  pump_messages();
  EXPECT_TRUE(IsWindow(first));
  EXPECT_TRUE(IsWindow(further));
  EXPECT_EQ(g_mnemonic_window_count, 2);
  ASSERT_NE(nic_window_saved_text(first), nullptr) << "the saved copy was freed";
  EXPECT_EQ(text_differs_from_saved(*nic_window_text(first), *nic_window_saved_text(first)), 1);
  EXPECT_EQ(file_bytes(path_of(L"A.NIC")), on_disk);
  EXPECT_EQ(shown(), (std::vector<std::string>{SAVE_QUESTION_MNEMONIC, SAVE_QUESTION_MNEMONIC}));

  // The real close still asks, and closes the further window with the first.
  boxes_->answer(IDNO);
  SendMessageW(first, WM_SYSCOMMAND, SC_CLOSE, 0);
  pump_messages();
  EXPECT_FALSE(IsWindow(first));
  EXPECT_FALSE(IsWindow(further));
  EXPECT_EQ(shown().size(), 3u);
}

// The conversion to mnemonics (1193) writes the mnemonic file beside the operation file it
// converts. A first mnemonic window that holds that file with changes is asked first, even
// when the project changed since (a new design was begun): Cancel keeps the file and the text.
TEST_F(WriteGateWindows, TheConversionToMnemonicsAsksTheWindowThatHoldsTheFileItWrites) {
  const std::string nic = nic_file(L"B.NIC", {"LD      X02", "OUT     Y04", "END"});
  ASSERT_TRUE(write_operation_file(folder_->file(L"B.SEQ"), {"X3 ~ (Y5)"}));
  HWND mnemonic = open_mnemonic(nic);
  ASSERT_EQ(as_hwnd(g_mnemonic_windows[0]), mnemonic);
  // The operation file read back last, as after a compile of B.
  ASSERT_TRUE(read_back_operation_file(path_of(L"B.SEQ"), path_of(L"B.MBS")));
  type(mnemonic, "Q");
  command(CMD_NEW_DESIGN);  // the project becomes 新規
  pump_messages();
  ASSERT_STREQ(g_project_name, "新規");
  const std::string on_disk = file_bytes(nic);

  boxes_->answer(IDCANCEL);  // the save question: the window keeps its edit
  command(CMD_SEQ_TO_MNEMONIC);
  pump_messages();
  EXPECT_EQ(shown(), std::vector<std::string>{SAVE_QUESTION_MNEMONIC});
  EXPECT_EQ(file_bytes(nic), on_disk);
  ASSERT_TRUE(IsWindow(mnemonic));
  EXPECT_EQ(nic_window_statements(mnemonic)[0], "QLD      X02");

  // No: the window goes, and the conversion writes the file.
  boxes_->answer(IDNO);
  boxes_->answer(IDOK);  // SEQ to NICが終了しました
  command(CMD_SEQ_TO_MNEMONIC);
  pump_messages();
  EXPECT_FALSE(IsWindow(mnemonic));
  EXPECT_NE(file_bytes(nic), on_disk);
  EXPECT_EQ(shown().back(), "SEQ to NICが終了しました");
}

// A file whose path is a few characters short of MAX_PATH opens; it saves as well, though the
// new file beside it has a longer name.
TEST_F(WriteGateWindows, AFileWhosePathIsAFewCharactersShortOfMaxPathSaves) {
  std::wstring folder;
  ASSERT_NO_FATAL_FAILURE(make_deep_folder(folder));
  const std::wstring design = folder + L"\\" + std::wstring(258 - folder.size() - 5, L'L') + L".MBS";
  const std::wstring text = folder + L"\\" + std::wstring(259 - folder.size() - 5, L'N') + L".NIC";
  ASSERT_EQ(design.size(), 258u);
  ASSERT_EQ(text.size(), 259u);

  HWND window = open_design(design_file(L"A.MBS"));
  ASSERT_TRUE(IsWindow(window));
  dialogs_->choose(narrow(design));
  boxes_->answer(IDOK);  // saved under the new name
  SendMessageW(window, WM_COMMAND, CMD_SAVE_AS, 0);
  pump_messages();
  EXPECT_EQ(shown().back(), "ファイルが新しい名前で保存されました！");
  const std::string first = read_file_bytes(design);
  EXPECT_EQ(first.rfind("mbs-file 3winv.1\r\n", 0), 0u);
  set_row_from_text((*design_grid_of(window))[0], "X7 ~ (Y7)");
  boxes_->answer(IDOK);  // overwritten
  SendMessageW(window, WM_COMMAND, CMD_SAVE, 0);
  pump_messages();
  EXPECT_EQ(shown().back(), "ファイルが上書きされました！");
  EXPECT_NE(read_file_bytes(design), first);

  HWND mnemonic = open_mnemonic(nic_file(L"A.NIC"));
  ASSERT_TRUE(IsWindow(mnemonic));
  dialogs_->choose(narrow(text));
  boxes_->answer(IDOK);  // saved under the new name
  SendMessageW(mnemonic, WM_COMMAND, CMD_SAVE_AS, 0);
  pump_messages();
  EXPECT_EQ(shown().back(), "ファイルが新しい名前で保存されました！");
  EXPECT_EQ(read_file_bytes(text), read_file_bytes(folder_->file(L"A.NIC")));

  // Nothing else is left in the long folder.
  int entries = 0;
  WIN32_FIND_DATAW found;
  HANDLE search = FindFirstFileW((folder + L"\\*").c_str(), &found);
  for (BOOL more = search != INVALID_HANDLE_VALUE; more; more = FindNextFileW(search, &found))
    if (found.cFileName[0] != L'.') ++entries;
  if (search != INVALID_HANDLE_VALUE) FindClose(search);
  EXPECT_EQ(entries, 2);
}

// Files of the user's beside the design, named as a write's new file might once have been
// named, survive its saves.
TEST_F(WriteGateWindows, AUsersFilesBesideTheDesignSurviveItsSave) {
  const std::string path = design_file(L"A.MBS");
  write_file_bytes(folder_->file(L"A.MBS.new"), "the user's own file\r\n");
  write_file_bytes(folder_->file(L"A.MBS.tmp"), "another of the user's files\r\n");
  HWND window = open_design(path);
  ASSERT_TRUE(IsWindow(window));
  set_row_from_text((*design_grid_of(window))[0], "X7 ~ (Y7)");
  const std::string before = file_bytes(path);
  boxes_->answer(IDOK);  // overwritten
  SendMessageW(window, WM_COMMAND, CMD_SAVE, 0);
  pump_messages();
  EXPECT_EQ(shown().back(), "ファイルが上書きされました！");
  EXPECT_NE(file_bytes(path), before);
  EXPECT_EQ(read_file_bytes(folder_->file(L"A.MBS.new")), "the user's own file\r\n");
  EXPECT_EQ(read_file_bytes(folder_->file(L"A.MBS.tmp")), "another of the user's files\r\n");
}

}  // namespace
