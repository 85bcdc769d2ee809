// Pictures of three refused writes (build/screenshots/*.png), each message box shown for real
// over the window the user was working in:
//   refusal_design_save_read_only   Save of a design whose file became read-only after it opened;
//   refusal_compile_nic_held        the design compile, its mnemonic file held by another program;
//   refusal_mnemonic_not_opened     the mnemonic compile of a window whose file did not open.
// Not a test: scripts/screenshot.sh --shots 'RefusalShots.*' runs it.
#include "win/window_safety_fixture.h"

#include <string>

#include "shell/message_box_win.h"
#include "win/file_holder.h"
#include "win/rig_helper.h"

namespace {

using namespace window_safety;

class RefusalShots : public WindowSafetyFrame {};

TEST_F(RefusalShots, ThreeRefusedWrites) {
  ASSERT_TRUE(write_operation_file(folder_->file(L"PUMP.SEQ"), DESIGN_ROWS));
  nic_file(L"PUMP.NIC");
  HWND design = open_design(design_file(L"PUMP.MBS"));
  ASSERT_TRUE(IsWindow(design));
  set_row_from_text((*design_grid_of(design))[0], "X7 ~ (Y7)");
  InvalidateRect(design, nullptr, TRUE);
  pump_messages();

  // 1. Save of a design made read-only after it was opened.
  ASSERT_TRUE(SetFileAttributesW(folder_->file(L"PUMP.MBS").c_str(), FILE_ATTRIBUTE_READONLY));
  boxes_->answer(IDOK);
  SendMessageW(design, WM_COMMAND, CMD_SAVE, 0);
  pump_messages();
  SetFileAttributesW(folder_->file(L"PUMP.MBS").c_str(), FILE_ATTRIBUTE_NORMAL);
  ASSERT_EQ(boxes_->shown().size(), 1u);
  EXPECT_FALSE(photograph_message_box(boxes_->shown().back(), "refusal_design_save_read_only").empty());

  // 2. The design compile while another program holds the mnemonic file.
  {
    FileHolder holder(path_of(L"PUMP.NIC"));
    ASSERT_TRUE(holder.held());
    boxes_->answer(IDOK);
    SendMessageW(design, WM_COMMAND, CMD_COMPILE_LADDER, 0);
    pump_messages();
  }
  ASSERT_EQ(boxes_->shown().size(), 2u);
  EXPECT_FALSE(photograph_message_box(boxes_->shown().back(), "refusal_compile_nic_held").empty());

  // 3. The mnemonic compile of a first mnemonic window whose file did not open.
  boxes_->answer(IDNO);  // the design's save question
  SendMessageW(design, WM_SYSCOMMAND, SC_CLOSE, 0);
  pump_messages();
  HWND mnemonic = nullptr;
  {
    FileHolder holder(path_of(L"PUMP.NIC"));
    ASSERT_TRUE(holder.held());
    boxes_->answer(IDOK);  // ファイルが開けません！
    mnemonic = open_mnemonic(path_of(L"PUMP.NIC"));
  }
  ASSERT_TRUE(IsWindow(mnemonic));
  type(mnemonic, "LD X0");
  SendMessageW(mnemonic, WM_COMMAND, CMD_ENTER, 0);
  type(mnemonic, "OUT Y0");
  SendMessageW(mnemonic, WM_COMMAND, CMD_ENTER, 0);
  type(mnemonic, "END");
  boxes_->answer(IDOK);
  SendMessageW(mnemonic, WM_COMMAND, CMD_COMPILE_MNEMONIC, 0);
  pump_messages();
  EXPECT_FALSE(photograph_message_box(boxes_->shown().back(), "refusal_mnemonic_not_opened").empty());
}

}  // namespace
