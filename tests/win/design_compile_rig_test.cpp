// Designs with rows after END, through the real screens: the frame opens the design, the
// design screen's compile (Ctrl+F11, command 1190) makes the project's files, and the frame's
// one-click write puts the program into the board simulator on a pty that a COM port is
// mapped to (scripts/test.d/61-design-compile-e2e.sh sets it up). The designs are the
// project's small.MBS (a row of initially-on devices) and one design file of each kind of
// special row, and the older layouts with their boxes of width 0. Without the rig every test
// is skipped.
//
// The rig passes, in the environment:
//   TAVOLIN_COMPILE_RIG_SLOT    the COM number of the board
//   TAVOLIN_COMPILE_RIG_STATE   the Unix path of the board's state file
#include "core/ladder_model.h"  // before <windows.h>, which defines OUT

#include "win/one_click_frame.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ostream>
#include <sstream>
#include <string>
#include <vector>

#include "design/design_window_win.h"
#include "shell/view_state.h"
#include "shell/command_ids.h"
#include "shell/compile_chain.h"
#include "frame/frame_win.h"
#include "frame/one_click.h"
#include "shell/settings_file.h"
#include "shell/text_win.h"
#include "shell/window_lists.h"
#include "support/board_listing.h"
#include "support/design_fixture_files.h"
#include "target/monitor_protocol.h"
#include "target/serial_port.h"
#include "win/rig_helper.h"

namespace {

using bars_test::narrow;
using design_fixture::rows_after_end_of;

using board_listing::listing_of;

// A design file's row lines after the END row (less their row numbers), as the file
// holds them: the lines the saved design must hold again.
std::vector<std::string> special_lines_of(const std::string& file) {
  std::vector<std::string> lines;
  std::stringstream in(file);
  bool after_end = false;
  for (std::string line; std::getline(in, line);) {
    if (line.size() < 7) continue;
    const std::string body = line.substr(7);
    if (body.rfind("000000FF0 ", 0) == 0) break;
    if (after_end) lines.push_back(body);
    if (body.find("000006C08 000000010 ") != std::string::npos) after_end = true;
  }
  return lines;
}

struct RigDesign {
  const char* name;    // the design's file name without ".MBS"
  const char* folder;  // under tests/data
  size_t special_rows;
};

void PrintTo(const RigDesign& design, std::ostream* out) { *out << design.name << ".MBS"; }

const RigDesign kDesigns[] = {
    {"small", "", 1},
    {"initial_on", "/designs", 1},
    {"interlock", "/designs", 3},
    {"initial_values", "/designs", 2},
    {"old_run_length", "/designs", 0},
    {"old_two_line", "/designs", 0},
    {"old_output_col_9", "/designs", 0},
};

class DesignCompileRig : public bars_test::OneClickFrame, public ::testing::WithParamInterface<RigDesign> {
 protected:
  void SetUp() override {
    OneClickFrame::SetUp();
    if (std::atoi(environment_text("TAVOLIN_COMPILE_RIG_SLOT").c_str()) <= 0)
      GTEST_SKIP() << "no board simulator (run scripts/test.d/61-design-compile-e2e.sh)";
  }

  std::vector<std::string> shown() const { return boxes_->texts(); }
  std::vector<std::string> shown_since(size_t first) const {
    const std::vector<std::string> all = shown();
    return std::vector<std::string>(all.begin() + static_cast<std::ptrdiff_t>(std::min(first, all.size())), all.end());
  }
};

TEST_P(DesignCompileRig, CompiledFromTheDesignScreenAndWrittenByOneClick) {
  const RigDesign& d = GetParam();
  const std::string source = std::string(TAVOLIN_TEST_DATA) + d.folder + "/" + d.name + ".MBS";
  const std::string original = read_file_bytes(cp932_to_wide(source));
  ASSERT_FALSE(original.empty()) << source;
  const std::wstring file = folder_->file(cp932_to_wide(std::string(d.name) + ".MBS"));
  write_file_bytes(file, original);
  dialogs_->choose(narrow(file));
  SendMessageW(frame, WM_COMMAND, CMD_OPEN_DESIGN, 0);
  pump_messages();
  HWND design = as_hwnd(g_design_windows[0]);
  ASSERT_NE(design, nullptr);
  LadderGrid* grid = design_grid_of(design);
  ASSERT_NE(grid, nullptr);
  const auto specials = rows_after_end_of(*grid);
  ASSERT_EQ(specials.size(), d.special_rows);
  const std::string base = std::string(g_project_drive) + g_project_dir + g_project_name;

  // The design screen's compile (the frame hands Ctrl+F11's command to the design window).
  boxes_->answer(IDOK);
  SendMessageW(frame, WM_COMMAND, CMD_COMPILE_LADDER, 0);
  pump_messages();
  const std::vector<std::string> compile_notices = shown();
  for (const std::string& text : compile_notices) std::printf("[ notice   ] %s compile: %s\n", d.name, text.c_str());
  EXPECT_EQ(compile_notices, std::vector<std::string>{"SEQ to NICが終了しました"});
  for (const char* extension : {".MBS", ".SEQ", ".NIC"})
    EXPECT_FALSE(read_file_bytes(cp932_to_wide(base + extension)).empty()) << base << extension;
  // The design keeps its special rows, in the window and in the saved file.
  EXPECT_EQ(rows_after_end_of(*grid), specials);
  const std::string saved_file = read_file_bytes(cp932_to_wide(base + ".MBS"));
  EXPECT_EQ(saved_file.rfind("mbs-file 3winv.1\r\n", 0), 0u);
  EXPECT_EQ(special_lines_of(saved_file), special_lines_of(original));
  EXPECT_EQ(SendMessageW(design, WM_COMMAND, CMD_QUERY_MODIFIED, 0), 0);
  save_screenshot(std::string("design_compile_rig_") + d.name);

  // The one-click write into the board.
  reset_serial_state();
  g_com_number = std::atoi(environment_text("TAVOLIN_COMPILE_RIG_SLOT").c_str());
  g_port_open = 0;
  for (int i = 0; i < 3; ++i) boxes_->answer(IDOK);
  const size_t before = shown().size();
  SendMessageW(frame, WM_COMMAND, CMD_WRITE_LADDER, 0);
  pump_messages();
  const std::vector<std::string> write_notices = shown_since(before);
  for (const std::string& text : write_notices) std::printf("[ notice   ] %s one-click: %s\n", d.name, text.c_str());
  EXPECT_EQ(write_notices,
            (std::vector<std::string>{MSG_ONE_CLICK_NOTICE, "SEQ to NICが終了しました", MSG_PROGRAM_WRITTEN}));
  const std::string nic = read_file_bytes(cp932_to_wide(base + ".NIC"));
  const std::string listing = listing_of(nic);
  ASSERT_FALSE(listing.empty());
  EXPECT_NE(listing.find(" END"), std::string::npos) << listing;
  const std::string state = read_file_bytes(cp932_to_wide("Z:" + environment_text("TAVOLIN_COMPILE_RIG_STATE")));
  EXPECT_EQ(state, "running=0\n" + listing);
  std::printf("[ board    ] %s: %zu lines written\n", d.name,
              static_cast<size_t>(std::count(listing.begin(), listing.end(), '\n')));
  EXPECT_EQ(rows_after_end_of(*grid), specials);
}

INSTANTIATE_TEST_SUITE_P(Designs, DesignCompileRig, ::testing::ValuesIn(kDesigns),
                         [](const ::testing::TestParamInfo<RigDesign>& info) { return std::string(info.param.name); });

}  // namespace
