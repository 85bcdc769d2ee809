// Pictures of two questions that keep a change (build/screenshots/*.png), each message box shown
// for real over the window the user was working in:
//   keep_further_mnemonic_text   the close of a further mnemonic window with typed text;
//   keep_comment_after_undo      the close of a design whose comment Undo brought back after a save;
//   refuse_not_project_file      the compile of a main design after a recent file became the project.
// Not a test: scripts/screenshot.sh --shots 'KeepChangeShots.*' runs it.
#include "win/window_safety_fixture.h"

#include <cstring>
#include <string>

#include "design/undo_ring.h"
#include "shell/command_ids.h"
#include "shell/settings_file.h"
#include "shell/message_box_win.h"
#include "win/rig_helper.h"

namespace {

using namespace window_safety;

class KeepChangeShots : public WindowSafetyFrame {};

TEST_F(KeepChangeShots, TwoQuestionsThatKeepAChange) {
  // 1. A further mnemonic window with typed text is closed.
  HWND first = open_mnemonic(nic_file(L"A.NIC"));
  open_mnemonic(nic_file(L"B.NIC", {"LD      X02", "OUT     Y04", "END"}));
  HWND further = as_hwnd(g_mnemonic_windows[1]);
  ASSERT_TRUE(IsWindow(first) && IsWindow(further));
  activate(further);
  type(further, "Q");
  InvalidateRect(further, nullptr, TRUE);
  pump_messages();
  boxes_->answer(IDCANCEL);
  SendMessageW(further, WM_SYSCOMMAND, SC_CLOSE, 0);
  pump_messages();
  ASSERT_EQ(boxes_->shown().size(), 1u);
  EXPECT_FALSE(photograph_message_box(boxes_->shown().back(), "keep_further_mnemonic_text", IDCANCEL).empty());
  boxes_->answer(IDOK);
  SendMessageW(first, WM_SYSCOMMAND, SC_CLOSE, 0);
  pump_messages();

  // 2. A design whose comment Undo brought back after the save is closed.
  LadderGrid rows = ladder_from_text({"X0 ~ (Y0)", "X1 ~ (Y1)"});
  set_comment(rows[0], 0, "START\n");
  ASSERT_TRUE(write_design_grid(folder_->file(L"PUMP.MBS"), rows));
  HWND design = open_design(path_of(L"PUMP.MBS"));
  ASSERT_TRUE(IsWindow(design));
  LadderGrid& grid = *design_grid_of(design);
  set_comment(grid[0], 0, "PUMP ON\n");
  g_comments_changed = 1;
  push_design_undo(grid);
  boxes_->answer(IDOK);  // ファイルが上書きされました！
  SendMessageW(design, WM_COMMAND, CMD_SAVE, 0);
  pump_messages();
  SendMessageW(design, WM_COMMAND, CMD_UNDO, 0);
  InvalidateRect(design, nullptr, TRUE);
  pump_messages();
  boxes_->answer(IDCANCEL);
  SendMessageW(design, WM_SYSCOMMAND, SC_CLOSE, 0);
  pump_messages();
  ASSERT_EQ(boxes_->shown().size(), 4u);
  EXPECT_FALSE(photograph_message_box(boxes_->shown().back(), "keep_comment_after_undo", IDCANCEL).empty());
}

TEST_F(KeepChangeShots, TheCompileOfADesignThatIsNotTheProjectsFile) {
  HWND main = open_design(design_file(L"A.MBS", {"X0 ~ (Y0)"}));
  ASSERT_TRUE(IsWindow(main));
  push_recent_file(g_recent_files, design_file(L"Q.MBS", {"X5 ~ (Y5)"}));
  command(CMD_RECENT_FILE);
  pump_messages();
  activate(main);
  InvalidateRect(main, nullptr, TRUE);
  pump_messages();
  boxes_->answer(IDOK);
  SendMessageW(main, WM_COMMAND, CMD_COMPILE_LADDER, 0);
  pump_messages();
  ASSERT_EQ(boxes_->shown().size(), 1u);
  EXPECT_FALSE(photograph_message_box(boxes_->shown().back(), "refuse_not_project_file", IDCANCEL).empty());
}

}  // namespace
