// Documents and their files on the real frame under Wine: a read-only file is never
// written, a mnemonic file with lines too long for a statement says which lines it cut
// and asks before a save over it, a design too long for the grid says so, a file that
// did not open does not become the project, mnemonic documents never share the first
// window's file number or undo ring, and a project named in Japanese with a blank opens,
// saves, compiles and reaches the monitor on a system whose code page is not 932.
#include "bars_frame.h"

#include <cstdio>
#include <string>
#include <vector>

#include "core/design_file.h"
#include "core/mnemonic_text.h"
#include "core/sjis.h"
#include "design/design_window_win.h"
#include "design/view_geometry_win.h"
#include "shell/view_state.h"
#include "design/undo_ring.h"
#include "mnemonic/mnemonic_screen.h"
#include "mnemonic/mnemonic_window_win.h"
#include "shell/documents.h"
#include "shell/settings_file.h"
#include "shell/settings_win.h"
#include "support/ladder_text.h"
#include "win/design_fixtures.h"
#include "win/mnemonic_fixtures.h"
#include "win/monitor_fixtures.h"

namespace {

using bars_test::BarsFrame;
using bars_test::narrow;

std::string nic_bytes(const std::vector<std::string>& lines) {
  std::string out;
  for (const std::string& l : lines) out += l + "\r\n";
  return out + "0FFFF0 0FFFF0\r\n";
}

class FileSafety : public BarsFrame {
 protected:
  void SetUp() override {
    BarsFrame::SetUp();
    g_guide_flags = {0, 0, 0, 0};
    g_design_file_count = 0;
    GetClientRect(frame, &g_client_rect);
  }
  void TearDown() override {
    for (const std::wstring& f : read_only_files_) SetFileAttributesW(f.c_str(), FILE_ATTRIBUTE_NORMAL);
    BarsFrame::TearDown();
  }

  std::string file(const std::wstring& name) const { return narrow(folder_->file(name)); }
  std::string shown(size_t i) const { return narrow(boxes_->shown().at(i).text); }
  std::string last_shown() const { return boxes_->shown().empty() ? "" : narrow(boxes_->shown().back().text); }
  LRESULT send(HWND window, int id) { return SendMessageW(window, WM_COMMAND, id, 0); }
  void type(HWND window, const std::string& ascii) {
    for (char c : ascii) SendMessageW(window, WM_CHAR, static_cast<WPARAM>(c), 1);
  }
  void make_read_only(const std::wstring& path) {
    ASSERT_TRUE(SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_READONLY));
    read_only_files_.push_back(path);
  }
  HWND open_design(const std::string& path) {
    open_through_dialog(CMD_OPEN_DESIGN, path);
    return as_hwnd(g_design_windows[0]);
  }
  // The open dialog's choice with "Open as read-only" ticked (or not).
  HWND open_mnemonic(const std::string& path, bool tick_read_only = false) {
    if (tick_read_only) {
      set_file_dialog_handler([path](FileDialogKind, OPENFILENAMEA& record) -> BOOL {
        copy_text_bounded(std::span<char>(record.lpstrFile, record.nMaxFile), path);
        record.Flags |= OFN_READONLY;
        return TRUE;
      });
    } else {
      dialogs_->choose(path);
    }
    command(CMD_OPEN_MNEMONIC);
    pump_messages();
    return g_active_child;
  }
  HWND open_mnemonic_record(const std::string& path, const std::string& title) {
    return open_mnemonic_window(frame, path, title);
  }

  std::vector<std::wstring> read_only_files_;
};

// ---- Read-only files ---------------------------------------------------------------------------

TEST_F(FileSafety, ADesignWithTheReadOnlyAttributeIsNeverWrittenAndSaveAsStillWorks) {
  ASSERT_TRUE(write_sample_design(folder_->file(L"RO.MBS")));
  const std::string before = read_file_bytes(folder_->file(L"RO.MBS"));
  make_read_only(folder_->file(L"RO.MBS"));
  HWND window = open_design(file(L"RO.MBS"));
  ASSERT_TRUE(IsWindow(window));
  set_row_from_text((*design_grid_of(window))[0], "X7 ~ (Y7)");

  boxes_->answer(IDOK);
  send(window, CMD_SAVE);
  ASSERT_EQ(boxes_->shown().size(), 1u);
  EXPECT_EQ(shown(0), "読取り専用ファイルです");
  EXPECT_EQ(read_file_bytes(folder_->file(L"RO.MBS")), before);
  EXPECT_FALSE(photograph_message_box(boxes_->shown()[0], "read_only_refusal_design").empty());

  // Yes at the close question: the refusal again, then Save As under a new name.
  boxes_->answer(IDYES);
  boxes_->answer(IDOK);
  dialogs_->choose(file(L"COPY"));
  boxes_->answer(IDOK);  // saved under the new name
  SendMessageW(window, WM_CLOSE, 0, 0);
  pump_messages();
  EXPECT_FALSE(IsWindow(window));
  ASSERT_GE(boxes_->shown().size(), 3u);
  EXPECT_EQ(shown(2), "読取り専用ファイルです");
  EXPECT_TRUE(file_exists(folder_->file(L"COPY.MBS")));
  EXPECT_EQ(read_file_bytes(folder_->file(L"RO.MBS")), before);
}

TEST_F(FileSafety, AMnemonicFileOpenedReadOnlyInTheDialogIsNeverWritten) {
  write_file_bytes(folder_->file(L"RO.NIC"), nic_bytes({"LD X0", "OUT Y0", "END"}));
  HWND window = open_mnemonic(file(L"RO.NIC"), true);
  ASSERT_TRUE(IsWindow(window));
  ASSERT_EQ(window, as_hwnd(g_mnemonic_windows[0]));
  type(window, "Z");
  boxes_->answer(IDOK);
  send(window, CMD_SAVE);
  EXPECT_EQ(last_shown(), "読取り専用ファイルです");
  EXPECT_EQ(read_file_bytes(folder_->file(L"RO.NIC")), nic_bytes({"LD X0", "OUT Y0", "END"}));
  EXPECT_FALSE(photograph_message_box(boxes_->shown().back(), "read_only_refusal_mnemonic").empty());

  // Save As writes the new file; the window then saves there.
  dialogs_.reset();  // the old stand-in gives the dialog back before the new one takes it
  dialogs_ = std::make_unique<ScriptedFileDialogs>();
  dialogs_->choose(file(L"NEW.NIC"));
  boxes_->answer(IDOK);
  send(window, CMD_SAVE_AS);
  EXPECT_EQ(read_file_bytes(folder_->file(L"NEW.NIC")), nic_bytes({"ZLD X0", "OUT Y0", "END"}));
  type(window, "Q");
  boxes_->answer(IDOK);
  send(window, CMD_SAVE);
  EXPECT_EQ(last_shown(), "ファイルが上書きされました！");
  EXPECT_EQ(read_file_bytes(folder_->file(L"NEW.NIC")), nic_bytes({"ZQLD X0", "OUT Y0", "END"}));
  EXPECT_EQ(read_file_bytes(folder_->file(L"RO.NIC")), nic_bytes({"LD X0", "OUT Y0", "END"}));
}

TEST_F(FileSafety, AMnemonicFileWithTheReadOnlyAttributeGoesToSaveAsAtTheCloseQuestion) {
  write_file_bytes(folder_->file(L"RO.NIC"), nic_bytes({"LD X0", "END"}));
  make_read_only(folder_->file(L"RO.NIC"));
  HWND window = open_mnemonic(file(L"RO.NIC"));
  ASSERT_TRUE(IsWindow(window));
  type(window, "Z");
  boxes_->answer(IDYES);  // save the changes?
  boxes_->answer(IDOK);   // read-only
  dialogs_->cancel();     // Save As cancelled: the window stays with its text
  SendMessageW(window, WM_SYSCOMMAND, SC_CLOSE, 0);
  pump_messages();
  EXPECT_TRUE(IsWindow(window));
  ASSERT_EQ(boxes_->shown().size(), 2u);
  EXPECT_EQ(shown(1), "読取り専用ファイルです");
  EXPECT_EQ(read_file_bytes(folder_->file(L"RO.NIC")), nic_bytes({"LD X0", "END"}));
  boxes_->answer(IDNO);
  SendMessageW(window, WM_SYSCOMMAND, SC_CLOSE, 0);
  pump_messages();
  EXPECT_FALSE(IsWindow(window));
}

// ---- Lines and rows that do not fit ---------------------------------------------------------------

TEST_F(FileSafety, AMnemonicFileWithLinesTooLongSaysWhichAndAsksBeforeASaveOverIt) {
  const std::string long_line = "LD X0 ;" + std::string(300, 'c');
  const std::string original = "NOP\r\n" + long_line + "\r\nOUT Y0\r\n" + long_line + "\r\nEND\r\n0FFFF0 0FFFF0\r\n";
  write_file_bytes(folder_->file(L"LONG.NIC"), original);
  boxes_->answer(IDOK);
  HWND window = open_mnemonic(file(L"LONG.NIC"));
  ASSERT_TRUE(IsWindow(window));
  ASSERT_EQ(boxes_->shown().size(), 1u);
  EXPECT_NE(shown(0).find("2, 4"), std::string::npos) << shown(0);
  EXPECT_NE(shown(0).find("126"), std::string::npos) << shown(0);
  EXPECT_FALSE(photograph_message_box(boxes_->shown()[0], "long_line_message").empty());

  // Save asks first; Cancel writes nothing.
  boxes_->answer(IDCANCEL);
  send(window, CMD_SAVE);
  ASSERT_EQ(boxes_->shown().size(), 2u);
  EXPECT_NE(shown(1).find("上書きしますか"), std::string::npos) << shown(1);
  EXPECT_EQ(read_file_bytes(folder_->file(L"LONG.NIC")), original);
  // OK is the user's consent: the cut text is written.
  boxes_->answer(IDOK);
  boxes_->answer(IDOK);
  send(window, CMD_SAVE);
  EXPECT_EQ(last_shown(), "ファイルが上書きされました！");
  EXPECT_NE(read_file_bytes(folder_->file(L"LONG.NIC")), original);
}

TEST_F(FileSafety, ADesignLongerThanTheGridIsRefusedAsTooLongAndDoesNotBecomeTheProject) {
  ASSERT_TRUE(write_sample_design(folder_->file(L"GOOD.MBS")));
  HWND good = open_design(file(L"GOOD.MBS"));
  ASSERT_TRUE(IsWindow(good));
  SendMessageW(good, WM_CLOSE, 0, 0);  // unchanged: no question
  pump_messages();
  const PathParts project_before = g_app_settings.project;

  std::string many = "mbs-file 3winv.1\r\nX\r\n";
  for (int r = 0; r < MAX_GRID_ROWS + 1; ++r) many += "00001  F00000000 DDDDDDDDD F00000000 \r\n";
  write_file_bytes(folder_->file(L"HUGE.MBS"), many);
  const size_t before = boxes_->shown().size();
  boxes_->answer(IDOK);
  HWND window = open_design(file(L"HUGE.MBS"));
  EXPECT_FALSE(IsWindow(window) && view_state_of(window) != nullptr);
  ASSERT_EQ(boxes_->shown().size(), before + 1);
  EXPECT_NE(shown(before).find("6000行"), std::string::npos) << shown(before);
  EXPECT_EQ(shown(before).find("フォーマットが違います"), std::string::npos);

  // The file that did not open is not the project: it never goes to the top of the list.
  EXPECT_EQ(std::string(g_app_settings.project.name), std::string(project_before.name));
  save_settings();
  ASSERT_GT(recent_file_count(g_recent_files), 0);
  EXPECT_EQ(std::string(recent_file_entry(g_recent_files, 0)).find("HUGE"), std::string::npos);
}

// ---- Mnemonic documents -------------------------------------------------------------------------

TEST_F(FileSafety, NoFurtherMnemonicDocumentSharesTheFirstWindowsFileNumberOrUndo) {
  write_file_bytes(folder_->file(L"MAIN.NIC"), nic_bytes({"LD X0", "END"}));
  write_file_bytes(folder_->file(L"OTHER.NIC"), nic_bytes({"ZOTHER", "END"}));
  HWND first = open_mnemonic_record(file(L"MAIN.NIC"), "MAIN.NIC");
  ASSERT_EQ(first, as_hwnd(g_mnemonic_windows[0]));
  type(first, "A");
  for (int i = 0; i < 17; ++i) {
    HWND other = open_mnemonic_record(file(L"OTHER.NIC"), "OTHER.NIC");
    ASSERT_TRUE(IsWindow(other)) << i;
    EXPECT_NE(view_file_number(*nic_window_view(other)), 0) << "further document " << i + 1;
    type(other, "Q");
    // The typed text cannot be saved in a further window: its close asks before dropping it.
    boxes_->answer(IDOK);
    SendMessageW(other, WM_SYSCOMMAND, SC_CLOSE, 0);
    pump_messages();
    EXPECT_FALSE(IsWindow(other)) << i;
  }
  send(first, CMD_UNDO);
  EXPECT_EQ(nic_window_statements(first), (std::vector<std::string>{"LD X0", "END"}));
  SendMessageW(first, WM_SYSCOMMAND, SC_CLOSE, 0);  // its own text again: no question
  pump_messages();
}

TEST_F(FileSafety, AFirstWindowWhoseFileDidNotOpenHasItsOwnUndoAndAsksAtTheClose) {
  write_file_bytes(folder_->file(L"A.NIC"), nic_bytes({"LD X0", "OUT Y0", "END"}));
  HWND a = open_mnemonic_record(file(L"A.NIC"), "A.NIC");
  type(a, "x");
  boxes_->answer(IDNO);
  SendMessageW(a, WM_SYSCOMMAND, SC_CLOSE, 0);
  pump_messages();
  ASSERT_FALSE(IsWindow(a));

  boxes_->answer(IDOK);  // cannot be opened
  HWND window = open_mnemonic_record(file(L"MISSING.NIC"), "MISSING.NIC");
  ASSERT_TRUE(IsWindow(window));
  type(window, "y");
  send(window, CMD_UNDO);
  EXPECT_EQ(nic_window_statements(window), (std::vector<std::string>{""}));
  type(window, "LD X1");

  // The typed text is asked about; Yes goes to Save As, never over the file that did not open.
  const size_t before = boxes_->shown().size();
  boxes_->answer(IDYES);
  dialogs_->choose(file(L"TYPED.NIC"));
  boxes_->answer(IDOK);  // saved under the new name
  SendMessageW(window, WM_SYSCOMMAND, SC_CLOSE, 0);
  pump_messages();
  EXPECT_FALSE(IsWindow(window));
  ASSERT_GT(boxes_->shown().size(), before);
  EXPECT_EQ(shown(before), "変更がありました！\nﾆｰﾓﾆｯｸ画面を保存しますか？");
  EXPECT_EQ(read_file_bytes(folder_->file(L"TYPED.NIC")), nic_bytes({"LD X1"}));
  EXPECT_FALSE(file_exists(folder_->file(L"MISSING.NIC")));
}

// ---- Japanese names on a code page that is not 932 ------------------------------------------------

TEST_F(FileSafety, AProjectNamedInJapaneseWithABlankOpensSavesCompilesAndMonitors) {
  ASSERT_NE(GetACP(), 932u) << "this test needs a system code page other than 932";
  const std::wstring name = L"回路 A";
  const std::wstring sample = cp932_to_wide(TAVOLIN_SOURCE_DIR "/resources/samples/SAMPLE1.MBS");
  ASSERT_TRUE(CopyFileW(sample.c_str(), folder_->file(name + L".MBS").c_str(), FALSE));
  HWND window = open_design(file(name + L".MBS"));
  ASSERT_TRUE(IsWindow(window));
  ASSERT_EQ(boxes_->shown().size(), 0u) << last_shown();

  boxes_->answer(IDOK);
  send(window, CMD_SAVE);
  EXPECT_EQ(last_shown(), "ファイルが上書きされました！");

  // The compile writes the .SEQ and the frame converts it into the .NIC.
  boxes_->answer(IDOK);  // the conversion's report
  const size_t before = boxes_->shown().size();
  send(window, CMD_COMPILE_LADDER);
  pump_messages();
  ASSERT_GT(boxes_->shown().size(), before);
  EXPECT_EQ(last_shown(), "SEQ to NICが終了しました");
  EXPECT_TRUE(file_exists(folder_->file(name + L".SEQ")));
  EXPECT_TRUE(file_exists(folder_->file(name + L".NIC")));

  // The monitor opens the .SEQ by the same name.
  const size_t shown_before = boxes_->shown().size();
  HWND monitor = open_monitor_window(folder_->file(name + L".SEQ"), true);
  EXPECT_NE(monitor, nullptr);
  EXPECT_EQ(boxes_->shown().size(), shown_before) << last_shown();
  if (monitor) DestroyWindow(monitor);
  pump_messages();
}

}  // namespace
