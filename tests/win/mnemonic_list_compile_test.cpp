// Valid programs through the real mnemonic screen under Wine: the program is opened from
// the project's mnemonic file or typed into the mnemonic window, compiled with the screen's
// compile command (1192), and the design the frame makes of it is opened on the design
// screen. The program here is the one on which the compile once stopped ("継続性が無いか、
// 論理接点がありません！"): a five-row condition whose outputs sit beside it.
#include "target/windows_api.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/ladder_model.h"
#include "core/mnemonic_text.h"
#include "design/design_window_win.h"
#include "mnemonic/mnemonic_compile.h"
#include "mnemonic/mnemonic_screen.h"
#include "mnemonic/mnemonic_window_win.h"
#include "shell/command_ids.h"
#include "frame/frame_commands_win.h"
#include "shell/compile_chain.h"
#include "shell/documents.h"
#include "frame/frame_win.h"
#include "shell/mode_flags.h"
#include "shell/path_parts.h"
#include "shell/settings_file.h"
#include "shell/text_win.h"
#include "shell/window_lists_win.h"
#include "support/ladder_text.h"
#include "win/mnemonic_fixtures.h"
#include "win/mnemonic_screen_fixture.h"
#include "win/rig_helper.h"

namespace {

using Lines = std::vector<std::string>;

const Lines kProgram = {"LDI T3", "LDI T1", "ORB", "LD T3", "LD T4", "OR Y0A", "ORB", "ORB", "MPS",
                        "OUT M79", "LD M92", "OR T3", "ANB", "OUT Y1A", "OUT C6 K73", "MPP", "RST M23", "END"};
// The design: the outputs beside the condition, Y0A joined to the branch point.
const Lines kDesign = {"^/T3 - - - - - - - - - - (M79)", "^/T1 ^M92 - - - - - - - - - (Y1A)",
                       "^T3 ^T3 ^- - - - - - - - (C6 K73)", "^T4 ^- - - - - - - - - [RST M23]", "^YA ^", "END"};

class MnemonicListCompileWin : public MnemonicScreenTest {
 protected:
  // Compiles the text of the window and opens the design the frame made; the design's
  // rows as ladder text (empty when it did not open).
  Lines compile_and_open_design(HWND window) {
    boxes_->answer(IDOK);  // "他の画面は閉じられます！"
    boxes_->answer(IDOK);  // "PUMP.MBS ファイルが出来ました！"
    SendMessageW(window, WM_COMMAND, CMD_COMPILE_MNEMONIC, 0);
    pump_messages();
    EXPECT_EQ(shown(), (std::vector<std::string>{"他の画面は閉じられます！", "PUMP.MBS ファイルが出来ました！"}));
    EXPECT_FALSE(project_file(L"PUMP.SEQ").empty());
    dialogs_->choose(path_of(L"PUMP.MBS"));
    SendMessageW(frame_, WM_COMMAND, CMD_OPEN_DESIGN, 0);
    pump_messages();
    if (g_design_windows[0] == 0) return {};
    return ladder_to_text(*design_grid_of(as_hwnd(g_design_windows[0])));
  }
};

TEST_F(MnemonicListCompileWin, TheFiveRowConditionOpenedFromItsFileCompilesToItsDesign) {
  std::string nic;
  for (const std::string& line : kProgram) nic += line + "\r\n";
  HWND window = open_project_text(nic + "0FFFF0 0FFFF0\r\n");
  ASSERT_NE(window, nullptr);
  ASSERT_EQ(nic_window_statements(window), kProgram);
  EXPECT_EQ(compile_and_open_design(window), kDesign);
  EXPECT_EQ(project_file(L"PUMP.NIC"), nic + "0FFFF0 0FFFF0\r\n");

  HWND design = as_hwnd(g_design_windows[0]);
  SendMessageW(frame_, WM_COMMAND, CMD_SCREEN_DESIGN, 0);  // the design in front
  pump_messages();
  InvalidateRect(design, nullptr, TRUE);
  pump_messages();
  EXPECT_FALSE(save_screenshot("mnemonic_five_row_condition_design").empty());
}

TEST_F(MnemonicListCompileWin, TheFiveRowConditionTypedCompilesToItsDesign) {
  HWND window = open_project_text("END\r\n0FFFF0 0FFFF0\r\n");
  ASSERT_NE(window, nullptr);
  for (size_t k = 0; k + 1 < kProgram.size(); ++k) type_line(window, kProgram[k]);
  ASSERT_EQ(nic_window_statements(window), kProgram);
  EXPECT_EQ(compile_and_open_design(window), kDesign);
}

}  // namespace
