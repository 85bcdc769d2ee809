// The gate and the windows around it at their edges, under Wine: a comment change that Undo
// or Redo brings back is a change the close question asks about; Japanese folder and file
// names whose second byte is 0x5C ("表", "ソ") save, refuse and compile in their own folder;
// a project whose path is a few characters short of MAX_PATH compiles; a folder on a
// read-only file system refuses the save and keeps the window; text typed into a further
// mnemonic window is asked about before its close drops it.
#include "win/window_safety_fixture.h"

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "core/ladder_model.h"
#include "design/design_document.h"
#include "design/undo_ring.h"
#include "shell/documents.h"
#include "win/rig_helper.h"

namespace {

using namespace window_safety;

constexpr char SAVE_QUESTION_DESIGN[] = "変更がありました！\n設計ファイルを保存しますか？";
constexpr char DROP_QUESTION_MNEMONIC[] = "変更がありました！\n最初のファイル以外は保存出来ません！\n変更を捨てて閉じますか？";

// The comment of a cell as the design holds it, without the blanks and line ends around it.
std::string comment_of(const LadderRow& row, int column) {
  std::string text(row.text[column], strnlen(row.text[column], CELL_TEXT_SIZE));
  while (!text.empty() && (text.back() == ' ' || text.back() == '\n' || text.back() == '\r')) text.pop_back();
  return text;
}

// The names in a folder (without "." and "..").
std::vector<std::wstring> names_in(const std::wstring& folder) {
  std::vector<std::wstring> names;
  WIN32_FIND_DATAW found;
  HANDLE search = FindFirstFileW((folder + L"\\*").c_str(), &found);
  for (BOOL more = search != INVALID_HANDLE_VALUE; more; more = FindNextFileW(search, &found))
    if (std::wcscmp(found.cFileName, L".") != 0 && std::wcscmp(found.cFileName, L"..") != 0)
      names.push_back(found.cFileName);
  if (search != INVALID_HANDLE_VALUE) FindClose(search);
  std::sort(names.begin(), names.end());
  return names;
}

// The Unix name Wine gives a folder, "" when there is none.
std::string unix_name(const std::wstring& path) {
  using UnixName = char*(__cdecl*)(const wchar_t*);
  auto call = reinterpret_cast<UnixName>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "wine_get_unix_file_name")));
  if (call == nullptr) return {};
  char* name = call(path.c_str());
  if (name == nullptr) return {};
  std::string out(name);
  HeapFree(GetProcessHeap(), 0, name);
  return out;
}

bool any_staging_file(const std::wstring& folder) {
  for (const std::wstring& name : names_in(folder))
    if (name.rfind(L"~TV", 0) == 0) return true;
  return false;
}

class WriteGateEdges : public WindowSafetyFrame {
 protected:
  // What the comment dialog does when the user stores a comment: the text changes, the cell
  // words do not, the change is noted and the undo ring takes the grid.
  static void store_comment(HWND window, const char* text) {
    LadderGrid& grid = *design_grid_of(window);
    set_comment(grid[0], 0, text);
    g_comments_changed = 1;
    push_design_undo(grid);
  }
  void send(HWND window, int id) {
    SendMessageW(window, WM_COMMAND, id, 0);
    pump_messages();
  }
};

// A comment stored and saved, then taken back by Undo: the window shows a design its file does
// not hold, though no cell word differs. The close asks; Cancel keeps the window and the
// comment Undo brought back. Redo after a save brings a comment back the same way.
TEST_F(WriteGateEdges, ACommentThatUndoOrRedoBringsBackIsAskedAboutAtTheClose) {
  const std::string path = commented_design(folder_->file(L"A.MBS"));
  HWND window = open_design(path);
  ASSERT_TRUE(IsWindow(window));
  store_comment(window, "PUMP ON\n");
  boxes_->answer(IDOK);  // ファイルが上書きされました！
  send(window, CMD_SAVE);
  ASSERT_EQ(shown().back(), "ファイルが上書きされました！");
  ASSERT_EQ(g_comments_changed, 0);
  const std::string saved = file_bytes(path);

  send(window, CMD_UNDO);
  ASSERT_EQ(comment_of((*design_grid_of(window))[0], 0), "START") << "Undo did not take the comment back";

  boxes_->answer(IDCANCEL);
  const size_t before = shown().size();
  SendMessageW(window, WM_SYSCOMMAND, SC_CLOSE, 0);
  pump_messages();
  ASSERT_TRUE(IsWindow(window)) << "the window closed without a question and dropped the comment Undo brought back";
  ASSERT_EQ(shown().size(), before + 1);
  EXPECT_EQ(shown().back(), SAVE_QUESTION_DESIGN);
  EXPECT_EQ(comment_of((*design_grid_of(window))[0], 0), "START");
  EXPECT_EQ(file_bytes(path), saved);

  // Saved again with the comment Undo brought back, then Redo.
  boxes_->answer(IDOK);
  send(window, CMD_SAVE);
  ASSERT_EQ(shown().back(), "ファイルが上書きされました！");
  send(window, CMD_REDO);
  ASSERT_EQ(comment_of((*design_grid_of(window))[0], 0), "PUMP ON") << "Redo did not bring the comment back";
  boxes_->answer(IDCANCEL);
  const size_t before_redo = shown().size();
  SendMessageW(window, WM_SYSCOMMAND, SC_CLOSE, 0);
  pump_messages();
  ASSERT_TRUE(IsWindow(window)) << "the window closed without a question and dropped the comment Redo brought back";
  EXPECT_EQ(shown().size(), before_redo + 1);
}

// Folder and file names in Japanese whose second byte is 0x5C (表 is 95 5C, ソ is 83 5C): the
// new file of a save lies in the design's own folder and is gone afterwards, a read-only file
// is refused and kept, and the compile writes its .SEQ and .NIC beside the design.
TEST_F(WriteGateEdges, NamesWhoseSecondByteIs5CSaveRefuseAndCompileInTheirOwnFolder) {
  const std::wstring folder = folder_->file(L"表ソ");
  ASSERT_TRUE(CreateDirectoryW(folder.c_str(), nullptr));
  const std::wstring design = folder + L"\\ソ表.MBS";
  const std::string path = commented_design(design);
  const std::string before = read_file_bytes(design);
  HWND window = open_design(path);
  ASSERT_TRUE(IsWindow(window)) << (shown().empty() ? std::string() : shown().back());
  set_row_from_text((*design_grid_of(window))[0], "X7 ~ (Y7)");

  boxes_->answer(IDOK);
  send(window, CMD_SAVE);
  EXPECT_EQ(shown().back(), "ファイルが上書きされました！");
  const std::string after_save = read_file_bytes(design);
  EXPECT_NE(after_save, before) << "the save did not reach the file";
  EXPECT_EQ(names_in(folder), std::vector<std::wstring>{L"ソ表.MBS"});
  EXPECT_FALSE(any_staging_file(folder_->path())) << "a new file went to the folder above";

  // Read-only since it was opened: refused, kept, the window open with its change.
  set_row_from_text((*design_grid_of(window))[1], "X6 ~ (Y6)");
  make_read_only(design);
  boxes_->answer(IDOK);
  send(window, CMD_SAVE);
  EXPECT_EQ(shown().back(), "読取り専用ファイルです");
  EXPECT_EQ(read_file_bytes(design), after_save);
  EXPECT_TRUE(IsWindow(window));
  EXPECT_EQ(names_in(folder), std::vector<std::wstring>{L"ソ表.MBS"});
  SetFileAttributesW(design.c_str(), FILE_ATTRIBUTE_NORMAL);

  // The compile of the project ソ表: its files beside the design, nothing left over.
  boxes_->answer(IDOK);  // overwritten
  send(window, CMD_SAVE);
  boxes_->answer(IDOK);  // SEQ to NICが終了しました
  send(window, CMD_COMPILE_LADDER);
  EXPECT_EQ(shown().back(), "SEQ to NICが終了しました");
  EXPECT_EQ(names_in(folder), (std::vector<std::wstring>{L"ソ表.MBS", L"ソ表.NIC", L"ソ表.SEQ"}));
  EXPECT_FALSE(any_staging_file(folder_->path()));
}

// A project whose design path is a few characters short of MAX_PATH compiles: the .SEQ and
// .NIC of the same length are written beside it and no new file is left behind.
TEST_F(WriteGateEdges, AProjectWhosePathIsAFewCharactersShortOfMaxPathCompiles) {
  std::wstring folder;
  ASSERT_NO_FATAL_FAILURE(make_deep_folder(folder));
  const std::wstring design = folder + L"\\" + std::wstring(259 - folder.size() - 5, L'L') + L".MBS";
  ASSERT_EQ(design.size(), 259u);
  LadderGrid rows = ladder_from_text(DESIGN_ROWS);
  ASSERT_TRUE(write_design_grid(design, rows));
  HWND window = open_design(narrow(design));
  ASSERT_TRUE(IsWindow(window));
  set_row_from_text((*design_grid_of(window))[0], "X7 ~ (Y7)");
  boxes_->answer(IDOK);  // SEQ to NICが終了しました
  send(window, CMD_COMPILE_LADDER);
  EXPECT_EQ(shown().back(), "SEQ to NICが終了しました");
  const std::wstring base = design.substr(0, design.size() - 4);
  EXPECT_NE(read_file_bytes(base + L".SEQ"), "");
  EXPECT_NE(read_file_bytes(base + L".NIC"), "");
  EXPECT_EQ(names_in(folder).size(), 3u);
  EXPECT_FALSE(any_staging_file(folder));
  EXPECT_EQ(SendMessageW(window, WM_COMMAND, CMD_QUERY_MODIFIED, 0), 0);
}

// A read-only file system (a folder mounted read-only): the file has no read-only attribute,
// yet nothing can be written there. The save is refused with a message, the file is kept and
// the window stays with its change; its close question keeps it too.
TEST_F(WriteGateEdges, AFolderOnAReadOnlyFileSystemRefusesTheSaveAndKeepsTheWindow) {
  const std::wstring folder = folder_->file(L"ro");
  ASSERT_TRUE(CreateDirectoryW(folder.c_str(), nullptr));
  const std::wstring design = folder + L"\\A.MBS";
  LadderGrid rows = ladder_from_text(DESIGN_ROWS);
  ASSERT_TRUE(write_design_grid(design, rows));
  const std::string before = read_file_bytes(design);
  const std::string unix_folder = unix_name(folder);
  if (unix_folder.empty()) GTEST_SKIP() << "Wine gives no Unix name of the folder";
  const std::string done = unix_folder + ".mounted";
  ASSERT_TRUE(start_unix_shell("mount --bind '" + unix_folder + "' '" + unix_folder + "' && mount -o remount,ro,bind '" +
                               unix_folder + "' '" + unix_folder + "' && touch '" + done + "' || touch '" + done +
                               ".failed'"));
  bool mounted = false;
  for (int i = 0; i < 600; ++i) {
    if (GetFileAttributesW(cp932_to_wide("Z:" + done).c_str()) != INVALID_FILE_ATTRIBUTES) mounted = true;
    if (mounted || GetFileAttributesW(cp932_to_wide("Z:" + done + ".failed").c_str()) != INVALID_FILE_ATTRIBUTES) break;
    pump_messages();
    Sleep(50);
  }
  if (!mounted) GTEST_SKIP() << "no read-only mount could be made (the test needs root)";
  struct Unmount {
    std::string folder;
    ~Unmount() {
      const std::string gone = folder + ".gone";
      start_unix_shell("umount '" + folder + "'; touch '" + gone + "'");
      for (int i = 0; i < 600; ++i) {
        if (GetFileAttributesW(cp932_to_wide("Z:" + gone).c_str()) != INVALID_FILE_ATTRIBUTES) break;
        Sleep(50);
      }
    }
  } unmount{unix_folder};

  HWND window = open_design(narrow(design));
  ASSERT_TRUE(IsWindow(window));
  set_row_from_text((*design_grid_of(window))[0], "X7 ~ (Y7)");
  boxes_->answer(IDOK);
  send(window, CMD_SAVE);
  ASSERT_FALSE(shown().empty());
  EXPECT_EQ(shown().back(), "ファイルが開けません\n共用をチェックして下さい");
  EXPECT_EQ(read_file_bytes(design), before);
  EXPECT_TRUE(IsWindow(window));
  EXPECT_EQ(SendMessageW(window, WM_COMMAND, CMD_QUERY_MODIFIED, 0), 1);

  boxes_->answer(IDYES);  // save the changes?
  boxes_->answer(IDOK);   // the refusal
  SendMessageW(window, WM_SYSCOMMAND, SC_CLOSE, 0);
  pump_messages();
  EXPECT_TRUE(IsWindow(window)) << "the close went on after a refused save";
  EXPECT_EQ(read_file_bytes(design), before);
  EXPECT_EQ(names_in(folder), std::vector<std::wstring>{L"A.MBS"});
}

// Text typed into a further mnemonic window (a second file, opened while the first window was
// open) cannot be saved there; its close, and the first window's close that takes it along,
// ask before the typed text is dropped, as a further design window does. Cancel keeps it.
TEST_F(WriteGateEdges, AFurtherMnemonicWindowAsksBeforeItsTypedTextIsDropped) {
  HWND first = open_mnemonic(nic_file(L"A.NIC"));
  open_mnemonic(nic_file(L"B.NIC", {"LD      X02", "OUT     Y04", "END"}));
  ASSERT_EQ(as_hwnd(g_mnemonic_windows[0]), first);
  HWND further = as_hwnd(g_mnemonic_windows[1]);
  ASSERT_TRUE(IsWindow(further) && further != first);
  activate(further);
  type(further, "Q");
  pump_messages();
  ASSERT_EQ(nic_window_statements(further)[0], "QLD      X02") << "the further window took no typing";

  boxes_->answer(IDCANCEL);
  const size_t before = shown().size();
  SendMessageW(further, WM_SYSCOMMAND, SC_CLOSE, 0);
  pump_messages();
  EXPECT_TRUE(IsWindow(further)) << "the further window dropped its typed text without a question";
  EXPECT_EQ(shown().size(), before + 1);

  // The first window goes without a question of its own (it holds no change); the further
  // window it would take along is asked, and Cancel keeps both.
  if (!IsWindow(further)) return;
  boxes_->answer(IDCANCEL);
  SendMessageW(first, WM_SYSCOMMAND, SC_CLOSE, 0);
  pump_messages();
  EXPECT_TRUE(IsWindow(further)) << "the first window's close dropped the further window's typed text";
  EXPECT_TRUE(IsWindow(first)) << "the first window closed and left a further window behind";
  EXPECT_EQ(nic_window_statements(further)[0], "QLD      X02");

  // OK drops the typed text: both windows go.
  boxes_->answer(IDOK);
  SendMessageW(first, WM_SYSCOMMAND, SC_CLOSE, 0);
  pump_messages();
  EXPECT_FALSE(IsWindow(further));
  EXPECT_FALSE(IsWindow(first));
  EXPECT_EQ(shown(), (std::vector<std::string>(3, DROP_QUESTION_MNEMONIC)));
}

}  // namespace
