// The frame's conversion commands on the real frame and design window, without a board:
// the one-click write's refusals and its stop at the port, the operation file turned into
// a design file (1191) and into the commented mnemonic file (1193).
#include "win/one_click_frame.h"

#include <string>
#include <vector>

#include "design/design_window_win.h"
#include "shell/view_state.h"
#include "shell/compile_chain.h"
#include "frame/one_click.h"
#include "shell/settings_file.h"
#include "target/board_link.h"
#include "target/monitor_protocol.h"
#include "target/serial_port.h"
#include "win/design_fixtures.h"
#include "win/monitor_fixtures.h"

namespace {

using bars_test::narrow;

constexpr int UNMAPPED_PORT = 12;

class FrameConversions : public bars_test::OneClickFrame {
 protected:
  void SetUp() override {
    OneClickFrame::SetUp();
    g_com_number = UNMAPPED_PORT;
  }

  void open_sample() {
    const std::wstring file = folder_->file(L"PUMP.MBS");
    write_file_bytes(file, read_file_bytes(cp932_to_wide(std::string(TAVOLIN_TEST_DATA) + "/one_click/PUMP.MBS")));
    dialogs_->choose(narrow(file));
    command(CMD_OPEN_DESIGN);
    ASSERT_NE(g_design_windows[0], 0u);
    base = std::string(g_project_drive) + g_project_dir + g_project_name;
  }
  void command(int id) {
    SendMessageW(frame, WM_COMMAND, id, 0);
    pump_messages();
  }
  std::vector<std::string> shown() const { return boxes_->texts(); }
  std::string project_file(const char* extension) const { return read_file_bytes(cp932_to_wide(base + extension)); }

  std::string base;
};

TEST_F(FrameConversions, AnUnnamedDesignIsRefusedAfterTheNotice) {
  command(CMD_NEW_DESIGN);
  ASSERT_NE(g_design_windows[0], 0u);
  boxes_->answer(IDOK);
  boxes_->answer(IDOK);
  command(CMD_WRITE_LADDER);
  EXPECT_EQ(shown(), (std::vector<std::string>{MSG_ONE_CLICK_NOTICE, MSG_UNNAMED}));
  EXPECT_EQ(narrow(boxes_->shown().back().caption), "警告");
}

TEST_F(FrameConversions, WithoutABoardPortTheFilesAreMadeAndNoSuccessIsShown) {
  open_sample();
  for (int i = 0; i < 3; ++i) boxes_->answer(IDOK);
  command(CMD_WRITE_LADDER);
  EXPECT_EQ(shown(), (std::vector<std::string>{MSG_ONE_CLICK_NOTICE, "SEQ to NICが終了しました", MSG_NO_COM_LINK}));
  EXPECT_FALSE(project_file(".SEQ").empty());
  EXPECT_NE(project_file(".NIC").find("; START"), std::string::npos);
  EXPECT_EQ(g_port_open, 0);
}

TEST_F(FrameConversions, CancelAtTheCloseQuestionKeepsTheMonitorWindowAndCompilesNothing) {
  open_sample();
  ASSERT_TRUE(write_operation_file_beside(""));  // the monitor window shows a compiled program
  HWND monitor = create_document_window(L"jikfl", L"monitor");
  ASSERT_NE(monitor, nullptr);
  SendMessageW(g_mdi_client, WM_MDIACTIVATE, reinterpret_cast<WPARAM>(as_hwnd(g_design_windows[0])), 0);
  pump_messages();
  boxes_->answer(IDOK);
  boxes_->answer(IDCANCEL);
  command(CMD_WRITE_LADDER);
  EXPECT_EQ(shown(), (std::vector<std::string>{MSG_ONE_CLICK_NOTICE, MSG_CLOSE_OTHERS}));
  EXPECT_TRUE(IsWindow(monitor));
  EXPECT_TRUE(project_file(".SEQ").empty());
}

TEST_F(FrameConversions, TheOperationFileBecomesADesignFileAfterTheOtherScreensClose) {
  open_sample();
  for (int i = 0; i < 3; ++i) boxes_->answer(IDOK);
  command(CMD_WRITE_LADDER);  // makes the operation file and reads it back
  ASSERT_FALSE(project_file(".SEQ").empty());
  const std::string design_before = project_file(".MBS");
  DeleteFileW(cp932_to_wide(base + ".MBS").c_str());

  // Cancel: nothing is closed or written.
  boxes_->answer(IDCANCEL);
  command(CMD_SEQ_TO_DESIGN);
  EXPECT_EQ(shown().back(), "他の画面は閉じられます！");
  EXPECT_NE(g_design_windows[0], 0u);
  EXPECT_TRUE(project_file(".MBS").empty());

  boxes_->answer(IDOK);
  boxes_->answer(IDOK);
  command(CMD_SEQ_TO_DESIGN);
  const std::vector<std::string> texts = shown();
  ASSERT_GE(texts.size(), 2u);
  EXPECT_EQ(texts[texts.size() - 2], "他の画面は閉じられます！");
  EXPECT_EQ(texts.back(), std::string(g_project_name) + ".MBS ファイルが出来ました！");
  EXPECT_EQ(narrow(boxes_->shown().back().caption), "確認");
  EXPECT_FALSE(g_design_windows[0] != 0 && IsWindow(as_hwnd(g_design_windows[0])));
  // The design made from the operation file is the design the compile saved.
  EXPECT_EQ(project_file(".MBS"), design_before);
}

TEST_F(FrameConversions, TheOperationFileBecomesTheCommentedMnemonicFile) {
  open_sample();
  for (int i = 0; i < 3; ++i) boxes_->answer(IDOK);
  command(CMD_WRITE_LADDER);
  DeleteFileW(cp932_to_wide(base + ".NIC").c_str());
  write_file_bytes(cp932_to_wide(base + ".LST"), "listing");
  boxes_->answer(IDOK);
  EXPECT_EQ(SendMessageW(frame, WM_COMMAND, CMD_SEQ_TO_MNEMONIC, 0), 0);
  EXPECT_EQ(shown().back(), "SEQ to NICが終了しました");
  EXPECT_NE(project_file(".NIC").find("; STOP"), std::string::npos);
  EXPECT_FALSE(file_exists(cp932_to_wide(base + ".LST")));
  EXPECT_TRUE(mnemonic_text_is_frame_owned());
}

}  // namespace
