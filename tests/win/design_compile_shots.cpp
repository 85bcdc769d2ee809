// Pictures of the design screen's compile (build/screenshots/*.png): the compile-error
// list over a design with a broken rung, with its first entry jumped to, and the design
// after the mended compile. Not a test: scripts/screenshot.sh --shots runs it.
#include "bars_frame.h"

#include <string>

#include "core/ladder_model.h"
#include "design/compile_error_dialog_win.h"
#include "design/design_window_win.h"
#include "design/view_geometry_win.h"
#include "shell/documents.h"
#include "shell/settings_file.h"
#include "win/rig_helper.h"

namespace {

using bars_test::BarsFrame;
using bars_test::narrow;

class CompileShots : public BarsFrame {};

TEST_F(CompileShots, ErrorListAndTheCompiledDesign) {
  g_guide_flags = {0, 0, 0, 0};
  GetClientRect(frame, &g_client_rect);
  const std::wstring sample = cp932_to_wide(TAVOLIN_SOURCE_DIR "/resources/samples/SAMPLE1.MBS");
  ASSERT_TRUE(CopyFileW(sample.c_str(), folder_->file(L"PUMP.MBS").c_str(), FALSE));
  dialogs_->choose(narrow(folder_->file(L"PUMP.MBS")));
  command(CMD_OPEN_DESIGN);
  pump_messages();
  HWND window = as_hwnd(g_design_windows[0]);
  ASSERT_NE(window, nullptr);
  LadderGrid& grid = *design_grid_of(window);

  // Two broken rungs: a coil without its operand, a contact without its operand.
  int coil_row = -1;
  for (int r = 0; r < count_program_rows(grid) && coil_row < 0; ++r)
    if (part_code_of(grid[static_cast<size_t>(r)].cell[11].word[0]) == PartCode::OUT) coil_row = r;
  ASSERT_GE(coil_row, 0);
  const LadderRow kept = grid[static_cast<size_t>(coil_row)];
  grid[static_cast<size_t>(coil_row)].cell[11].word[0] &= ~CellFlags::OPERAND_SET;
  grid[static_cast<size_t>(coil_row)].cell[0].word[0] &= ~CellFlags::OPERAND_SET;
  InvalidateRect(window, nullptr, TRUE);

  boxes_->answer(IDOK);  // no operation file yet
  SendMessageW(window, WM_COMMAND, CMD_COMPILE_LADDER, 0);
  HWND list = as_hwnd(dialog_slot_row(g_screen_kind)[0]);
  ASSERT_TRUE(IsWindow(list));
  SetWindowPos(list, HWND_TOP, 420, 260, 0, 0, SWP_NOSIZE);
  SendDlgItemMessageW(list, COMPILE_ERROR_LIST, LB_SETCURSEL, 0, 0);
  SendMessageW(list, WM_COMMAND, MAKEWPARAM(COMPILE_ERROR_JUMP, BN_CLICKED), 0);
  pump_messages();
  EXPECT_FALSE(save_screenshot("design_compile_errors").empty());

  grid[static_cast<size_t>(coil_row)] = kept;
  boxes_->answer(IDOK);  // "SEQ to NICが終了しました"
  SendMessageW(window, WM_COMMAND, CMD_COMPILE_LADDER, 0);
  pump_messages();
  EXPECT_FALSE(save_screenshot("design_compiled").empty());
}

}  // namespace
