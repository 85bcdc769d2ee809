// The gate looks at a target when the write happens, under Wine: a target that becomes
// read-only, or is replaced by a folder, while one of the command's questions is on the
// screen (the user can switch to another program then) stops the command before a file of
// its set is replaced.
#include "win/window_safety_fixture.h"

#include <functional>
#include <map>
#include <string>
#include <vector>

#include "shell/command_ids.h"
#include "shell/message_box_win.h"

namespace {

using namespace window_safety;

constexpr char UNCHANGED_MNEMONIC[] = "回路上の変更が有りませんが、強行しますか？";
constexpr char FILE_EXISTS[] = "同一ファイル名が存在していますが、\n強行しますか？";

// Every question is answered OK and every box recorded; the box of `during` first runs
// `change`, as a user who switched to another program while it was shown.
class WriteGateMoments : public AnsweredFrame {
 protected:
  void heard(const std::string& text) override {
    if (change && text == during) {
      change();
      change = {};
    }
  }
  bool was_said(const std::string& text) const {
    for (const std::string& s : said)
      if (s == text) return true;
    return false;
  }
  void replace_by_folder(const std::string& path) {
    DeleteFileW(cp932_to_wide(path).c_str());
    ASSERT_TRUE(CreateDirectoryW(cp932_to_wide(path).c_str(), nullptr)) << path;
  }
  bool is_folder(const std::string& path) const {
    const DWORD attributes = GetFileAttributesW(cp932_to_wide(path).c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
  }

  std::string during;
  std::function<void()> change;
};

// The mnemonic compile of an unchanged text asks before it goes on; the design file the frame
// writes after it becomes read-only, or a folder, meanwhile. The operation and mnemonic files
// stay as they were: the design file is looked at again before either is replaced.
TEST_F(WriteGateMoments, ADesignFileGuardedDuringTheMnemonicCompilesQuestionStopsTheWholeSet) {
  for (const bool folder : {false, true}) {
    SCOPED_TRACE(folder ? "a folder in place of P.MBS" : "P.MBS read-only");
    const std::wstring sub = folder ? L"F" : L"R";
    CreateDirectoryW((folder_->path() + L"\\" + sub).c_str(), nullptr);
    const std::string p_mbs = design_file(sub + L"\\P.MBS", {"X5 ~ (Y5)"});
    ASSERT_TRUE(write_operation_file(folder_->file(sub + L"\\P.SEQ"), {"X5 ~ (Y5)"}));
    const std::string p_seq = path_of(sub + L"\\P.SEQ");
    const std::string p_nic = nic_file(sub + L"\\P.NIC", {"LD      X01", "OUT     Y01", "END"});
    std::map<std::string, std::string> before;
    for (const std::string& path : {p_mbs, p_seq, p_nic}) before[path] = file_bytes(path);
    if (folder) before[p_mbs] = "<folder>";

    HWND window = open_mnemonic(p_nic);
    ASSERT_TRUE(window != nullptr && as_hwnd(g_mnemonic_windows[0]) == window);
    ASSERT_STREQ(g_project_name, "P");
    said.clear();
    captions.clear();
    during = UNCHANGED_MNEMONIC;
    change = [&] {
      if (folder)
        replace_by_folder(p_mbs);
      else
        make_read_only(cp932_to_wide(p_mbs));
    };
    SendMessageW(window, WM_COMMAND, CMD_COMPILE_MNEMONIC, 0);
    pump_messages();
    SCOPED_TRACE("boxes:" + said_text());
    ASSERT_TRUE(was_said(UNCHANGED_MNEMONIC)) << "the compile did not ask about the unchanged text";
    EXPECT_EQ(file_bytes(p_seq), before[p_seq]) << "the operation file was replaced beside a refused design file";
    EXPECT_EQ(file_bytes(p_nic), before[p_nic]) << "the mnemonic file was replaced beside a refused design file";
    if (folder)
      EXPECT_TRUE(is_folder(p_mbs));
    else
      EXPECT_EQ(file_bytes(p_mbs), before[p_mbs]);
    EXPECT_FALSE(was_said("他の画面は閉じられます！")) << "the command went on to the design file's conversion";
    ASSERT_FALSE(said.empty());
    EXPECT_EQ(said.back(), folder ? "ファイルが開けません\n共用をチェックして下さい" : "読取り専用ファイルです");
    EXPECT_TRUE(same_file_path(captions.back(), p_mbs)) << captions.back();
    EXPECT_TRUE(IsWindow(window));
    SendMessageW(window, WM_SYSCOMMAND, SC_CLOSE, 0);
    pump_messages();
  }
}

// Save As onto an existing file asks first; the file becomes a folder meanwhile. The folder
// stays, and the window keeps its change.
TEST_F(WriteGateMoments, AFolderPutInPlaceDuringSaveAsQuestionIsNotWrittenOver) {
  const std::string p_mbs = design_file(L"P.MBS", {"X0 ~ (Y0)"});
  const std::string t_mbs = design_file(L"T.MBS", {"X5 ~ (Y5)"});
  HWND window = open_design(p_mbs);
  ASSERT_TRUE(window != nullptr);
  LadderGrid* grid = design_grid_of(window);
  ASSERT_NE(grid, nullptr);
  (*grid)[0].cell[0].word[1] ^= 1;  // X0 becomes X1: a change of the cell words
  ASSERT_NE(SendMessageW(window, WM_COMMAND, CMD_QUERY_MODIFIED, 0), 0);
  during = FILE_EXISTS;
  change = [&] { replace_by_folder(t_mbs); };
  dialogs_->choose(t_mbs);
  SendMessageW(window, WM_COMMAND, CMD_SAVE_AS, 0);
  pump_messages();
  SCOPED_TRACE("boxes:" + said_text());
  ASSERT_TRUE(was_said(FILE_EXISTS));
  EXPECT_TRUE(is_folder(t_mbs));
  EXPECT_FALSE(was_said("ファイルが新しい名前で保存されました！"));
  EXPECT_TRUE(IsWindow(window));
  EXPECT_NE(SendMessageW(window, WM_COMMAND, CMD_QUERY_MODIFIED, 0), 0) << "the change counts as saved";
}

}  // namespace
