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

// The refusal the program asked for, shown once more as a real message box and photographed.
std::string g_shot_name;
std::string g_shot_png;
void CALLBACK shoot_box(HWND, UINT, UINT_PTR id, DWORD) {
  KillTimer(nullptr, id);
  g_shot_png = save_screenshot(g_shot_name);
  if (HWND box = find_visible_dialog()) PostMessageW(box, WM_COMMAND, IDOK, 0);
}
std::string photograph(const ShownMessageBox& box, const std::string& name) {
  g_shot_name = name;
  g_shot_png.clear();
  SetTimer(nullptr, 0, 800, shoot_box);
  MessageBoxW(box.owner, box.text.c_str(), box.caption.c_str(), box.style);
  return g_shot_png;
}

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
  EXPECT_FALSE(photograph(boxes_->shown().back(), "refusal_design_save_read_only").empty());

  // 2. The design compile while another program holds the mnemonic file.
  {
    FileHolder holder(path_of(L"PUMP.NIC"));
    ASSERT_TRUE(holder.held());
    boxes_->answer(IDOK);
    SendMessageW(design, WM_COMMAND, CMD_COMPILE_LADDER, 0);
    pump_messages();
  }
  ASSERT_EQ(boxes_->shown().size(), 2u);
  EXPECT_FALSE(photograph(boxes_->shown().back(), "refusal_compile_nic_held").empty());

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
  EXPECT_FALSE(photograph(boxes_->shown().back(), "refusal_mnemonic_not_opened").empty());
}

}  // namespace
