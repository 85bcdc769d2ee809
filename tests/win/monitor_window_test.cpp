// The monitor window under Wine, with the board's polls answered by the test.
// The core's model first: <windows.h> defines OUT as an empty macro.
#include "core/device_tables.h"
#include "core/ladder_model.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "core/device_tables.h"
#include "core/ladder_model.h"
#include "design/design_paint.h"
#include "design/element_pictures.h"
#include "board/monitor_paint.h"
#include "board/monitor_window_win.h"
#include "design/view_geometry_win.h"
#include "shell/command_ids.h"
#include "shell/command_routing.h"
#include "shell/documents.h"
#include "frame/frame_win.h"
#include "shell/text_win.h"
#include "shell/toolbar_win.h"
#include "shell/window_lists.h"
#include "target/device_images.h"
#include "target/poll_cadence.h"
#include "target/serial_port.h"
#include "win/monitor_fixtures.h"
#include "win/rig_helper.h"

namespace {

const std::vector<std::string> PROGRAM = {"X1A /X2 - - ~ (Y3)", "X0 ~ [MOV K5 D3]"};

// Scripted polls: each call takes the next result (0 when the script has ended) and may
// run an action while "the board answers" (a modal loop of the word poll, say).
struct PollScript {
  std::vector<int> bits;
  size_t next_bit = 0;
  int bit_calls = 0;
  int word_calls = 0;
  std::function<void()> during_words;
};
PollScript* g_script = nullptr;

int scripted_bits(MonitorPollView&, GridSpan) {
  ++g_script->bit_calls;
  return g_script->next_bit < g_script->bits.size() ? g_script->bits[g_script->next_bit++] : 0;
}
int scripted_words(MonitorPollView&, GridSpan) {
  ++g_script->word_calls;
  if (g_script->during_words) g_script->during_words();
  return 0;
}

class MonitorWindowTest : public ProgramTest {
 protected:
  void SetUp() override {
    ProgramTest::SetUp();
    reset_device_images();
    g_poll_cadence = PollCadence{};
    g_script = &script_;
    set_monitor_poll_hooks({scripted_bits, scripted_words});
    ASSERT_NE(start(), nullptr);
    seq_ = folder_->file(L"TEST.SEQ");
    ASSERT_TRUE(write_operation_file(seq_, PROGRAM));
    std::strcpy(g_cpu_settings.cpu_name, "pic16F84");
  }
  void TearDown() override {
    ProgramTest::TearDown();
    set_monitor_poll_hooks({poll_target_bits, poll_target_words});
    g_script = nullptr;
    g_port_open = 0;
    g_monitor_mode = 0;
    reset_device_images();
  }
  // A point in the picture of a cell: dx, dy from its top left corner.
  LPARAM at(HWND window, int row, int column, int dx, int dy) {
    const ViewState* v = view_state_of(window);
    const int x = v->left_rail_x + column * v->cell_width + dx;
    const int y = (row - v->top_row) * v->row_height + v->top_margin + dy;
    return MAKELPARAM(x, y);
  }
  bool x1a_on() const { return (device_image_entry(make_device_operand(Device::X, 0x1A))->word[0] >> 10) & 1; }

  PollScript script_;
  std::wstring seq_;
};

TEST_F(MonitorWindowTest, AMissingOperationFileIsRefusedWithItsMessageAndLeavesNothing) {
  boxes_->answer(IDOK);
  const int count = g_monitor_window_count;
  EXPECT_EQ(open_monitor_window(folder_->file(L"NONE.SEQ"), true), nullptr);
  ASSERT_EQ(boxes_->shown().size(), 1u);
  EXPECT_EQ(boxes_->shown()[0].text, cp932_to_wide(MSG_NO_OPERATION_FILE));
  EXPECT_NE(boxes_->shown()[0].caption.find(L"NONE.SEQ"), std::wstring::npos);
  EXPECT_EQ(g_monitor_window_count, count);
  EXPECT_EQ(monitor_grid(), nullptr);
  for (WindowHandle h : g_monitor_windows) {
    if (h == WINDOW_LIST_END) break;
    EXPECT_EQ(h, 0u);
  }
  // A damaged file the same way.
  write_file_bytes(folder_->file(L"BAD.SEQ"), "not an operation file\r\n");
  boxes_->answer(IDOK);
  EXPECT_EQ(open_monitor_window(folder_->file(L"BAD.SEQ"), true), nullptr);
  EXPECT_EQ(monitor_grid(), nullptr);
}

TEST_F(MonitorWindowTest, LoadsTheProgramPaintsWithoutLeakingAndTearsDown) {
  HWND window = open_monitor_window(seq_, false);
  ASSERT_NE(window, nullptr);
  ASSERT_NE(monitor_grid(), nullptr);
  EXPECT_EQ(g_monitor_window_count, 1);
  EXPECT_EQ(g_screen_kind, SCREEN_KIND_MONITOR);
  wchar_t title[300] = {};
  GetWindowTextW(window, title, 300);
  EXPECT_EQ(std::wstring(title), seq_);
  const DisplayList list = monitor_window_display_list(window);
  bool contact = false;
  for (const PaintItem& item : list.items)
    if (item.kind == PaintKind::PICTURE && item.row == 0 && item.column == 0 && item.picture == PIC_CONTACT_A) contact = true;
  EXPECT_TRUE(contact);

  InvalidateRect(window, nullptr, TRUE);
  UpdateWindow(window);
  const DWORD before = GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS);
  for (int i = 0; i < 5; ++i) {
    InvalidateRect(window, nullptr, TRUE);
    UpdateWindow(window);
  }
  EXPECT_EQ(GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS), before);

  SendMessageW(window, WM_CLOSE, 0, 0);
  pump_messages();
  EXPECT_FALSE(IsWindow(window));
  EXPECT_EQ(monitor_grid(), nullptr);
  EXPECT_EQ(g_monitor_window_count, 0);
  EXPECT_EQ(g_monitor_windows[0], 0u);
}

TEST_F(MonitorWindowTest, OperationCheckClicksSwitchInputsAndMonitorClicksDoNot) {
  HWND window = open_monitor_window(seq_, false);
  ASSERT_NE(window, nullptr);
  const ViewState* v = view_state_of(window);
  ASSERT_GT(v->part_height, 10);
  // Left half, upper half of the picture: latched.
  SendMessageW(window, WM_LBUTTONDOWN, MK_LBUTTON, at(window, 0, 0, 5, 3));
  SendMessageW(window, WM_LBUTTONUP, 0, at(window, 0, 0, 5, 3));
  EXPECT_TRUE(x1a_on());
  EXPECT_EQ((*monitor_grid())[0].cell[0].word[2], 1u);
  // Lower half: off.
  SendMessageW(window, WM_LBUTTONDOWN, MK_LBUTTON, at(window, 0, 0, 5, v->part_height - 2));
  EXPECT_FALSE(x1a_on());
  // Right half near the top: on while held.
  SendMessageW(window, WM_LBUTTONDOWN, MK_LBUTTON, at(window, 0, 0, v->cell_width - 5, 3));
  EXPECT_TRUE(x1a_on());
  SendMessageW(window, WM_LBUTTONUP, 0, at(window, 0, 0, v->cell_width - 5, 3));
  EXPECT_FALSE(x1a_on());
  // The coil and the Y device are not switched.
  SendMessageW(window, WM_LBUTTONDOWN, MK_LBUTTON, at(window, 0, 11, 5, 3));
  EXPECT_EQ(device_image_entry(make_device_operand(Device::Y, 3))->word[0] & 8, 0);

  // On the monitor screen a click moves the cursor only.
  g_monitor_mode = 1;
  SendMessageW(window, WM_LBUTTONDOWN, MK_LBUTTON, at(window, 0, 0, 5, 3));
  EXPECT_FALSE(x1a_on());
  EXPECT_EQ(v->cursor_col, 0);
  EXPECT_EQ(v->cursor_row, 0);
  g_monitor_mode = 0;
}

TEST_F(MonitorWindowTest, PollsOnEveryEleventhTickOnlyWithTheLinkOn) {
  HWND window = open_monitor_window(seq_, true);
  ASSERT_NE(window, nullptr);
  pump_for(500);
  EXPECT_EQ(script_.bit_calls, 0);  // the link is off: nothing is polled
  g_port_open = 1;
  pump_for(1200);
  EXPECT_GE(script_.bit_calls, 2);
  EXPECT_LE(script_.bit_calls, 6);  // about one in 220 ms
  EXPECT_EQ(script_.word_calls, script_.bit_calls);
  SendMessageW(window, WM_CLOSE, 0, 0);
  pump_messages();
  EXPECT_EQ(g_port_open, 0);  // the monitor screen's teardown ends the link
}

TEST_F(MonitorWindowTest, ThreeFailedBitPollsStopMonitoringWithTheMessage) {
  struct Case {
    const char* cpu;
    const char* message;
  };
  for (const Case& c : {Case{"pic16F84", MSG_MONITOR_FAILED}, Case{"AT90S2313", MSG_MONITOR_FAILED_AVR}}) {
    std::strcpy(g_cpu_settings.cpu_name, c.cpu);
    script_ = PollScript{};
    script_.bits = {-1, -1, 0, -1, -1, -1};
    g_poll_cadence = PollCadence{};
    HWND window = open_monitor_window(seq_, true);
    ASSERT_NE(window, nullptr);
    std::strcpy(g_cpu_settings.cpu_name, c.cpu);  // the file's settings became the active ones
    g_port_open = 1;
    const size_t shown = boxes_->shown().size();
    boxes_->answer(IDOK);
    for (int i = 0; i < 100 && IsWindow(window); ++i) pump_for(50);
    EXPECT_FALSE(IsWindow(window));
    EXPECT_EQ(script_.bit_calls, 6);
    EXPECT_EQ(script_.word_calls, 5);  // none after the third failure in a row
    ASSERT_EQ(boxes_->shown().size(), shown + 1);
    EXPECT_EQ(boxes_->shown().back().text, cp932_to_wide(c.message));
    EXPECT_EQ(boxes_->shown().back().caption, L"警告");
    EXPECT_EQ(g_port_open, 0);
    EXPECT_EQ(g_monitor_mode, 0);
    EXPECT_EQ(monitor_grid(), nullptr);
  }
}

TEST_F(MonitorWindowTest, ACloseDuringAPollWaitsForTheTickAndNestedTicksAreDropped) {
  HWND window = open_monitor_window(seq_, true);
  ASSERT_NE(window, nullptr);
  g_port_open = 1;
  int nested_polls = 0;
  script_.during_words = [&] {
    const int before = script_.bit_calls;
    // A modal loop: the timer keeps ticking inside it, and the user closes the window.
    pump_for(400);
    nested_polls += script_.bit_calls - before;
    SendMessageW(window, WM_CLOSE, 0, 0);
    EXPECT_TRUE(IsWindow(window));
    EXPECT_NE(monitor_grid(), nullptr);
  };
  for (int i = 0; i < 40 && IsWindow(window); ++i) pump_for(50);
  EXPECT_FALSE(IsWindow(window));
  EXPECT_EQ(nested_polls, 0);
  EXPECT_EQ(script_.bit_calls, 1);
  EXPECT_EQ(monitor_grid(), nullptr);
}

TEST_F(MonitorWindowTest, TeardownPutsBackTheToolbarOfTheScreensLeft) {
  HWND window = open_monitor_window(seq_, false);
  ASSERT_NE(window, nullptr);
  rebuild_screen_toolbar(frame_, CMD_SCREEN_OPERATION);
  ASSERT_EQ(g_toolbar_kind, TOOLBAR_KIND_MONITOR);
  SendMessageW(window, WM_CLOSE, 0, 0);
  pump_messages();
  EXPECT_EQ(g_toolbar_kind, TOOLBAR_KIND_INITIAL);
  EXPECT_EQ(g_monitor_window_count, 0);
}

TEST_F(MonitorWindowTest, WheelAndScrollBarMoveTheRowsShown) {
  std::vector<std::string> rows;
  for (int i = 0; i < 80; ++i) rows.push_back("X0 ~ (M" + std::to_string(i) + ")");
  const std::wstring long_seq = folder_->file(L"LONG.SEQ");
  ASSERT_TRUE(write_operation_file(long_seq, rows));
  HWND window = open_monitor_window(long_seq, false);
  ASSERT_NE(window, nullptr);
  const ViewState* v = view_state_of(window);
  ASSERT_GT(v->scroll_max, 10);
  SendMessageW(window, WM_MOUSEWHEEL, MAKEWPARAM(0, static_cast<WORD>(-360)), 0);
  EXPECT_EQ(v->top_row, 1);  // one row whatever the delta
  SendMessageW(window, WM_VSCROLL, MAKEWPARAM(SB_THUMBPOSITION, 7), 0);
  EXPECT_EQ(v->top_row, 1);
  SendMessageW(window, WM_VSCROLL, MAKEWPARAM(SB_THUMBTRACK, 7), 0);
  EXPECT_EQ(v->top_row, 7);
  EXPECT_EQ(GetScrollPos(window, SB_VERT), 7);
  SendMessageW(window, WM_VSCROLL, MAKEWPARAM(SB_THUMBTRACK, 5000), 0);
  EXPECT_EQ(v->top_row, v->scroll_max);
  SendMessageW(window, WM_VSCROLL, MAKEWPARAM(SB_TOP, 0), 0);
  EXPECT_EQ(v->top_row, v->scroll_max);
  EXPECT_LE(v->rung_last_row, static_cast<int>(monitor_grid()->size()) - 1);
}

TEST_F(MonitorWindowTest, ToolCommandsOfAnotherToolbarAreRefused) {
  HWND window = open_monitor_window(seq_, false);
  ASSERT_NE(window, nullptr);
  g_toolbar_kind = TOOLBAR_KIND_DESIGN;
  boxes_->answer(IDOK);
  SendMessageW(window, WM_COMMAND, 1101, 0);
  ASSERT_EQ(boxes_->shown().size(), 1u);
  EXPECT_EQ(boxes_->shown()[0].caption, L"警告");
}

}  // namespace
