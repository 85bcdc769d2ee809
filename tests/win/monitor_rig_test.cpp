// The monitor screen end to end: the program's own monitor window, under Wine, polls the
// board simulator on a pty that a COM port is mapped to (scripts/test.d/70-monitor-e2e.sh
// sets it up). Without the rig every test here is skipped.
//
// The rig passes, in the environment:
//   TAVOLIN_MONITOR_SLOT     the COM number mapped to the simulator
//   TAVOLIN_MONITOR_CONTROL  the Unix path of the simulator's control file
//   TAVOLIN_MONITOR_COUNTERS the Unix path where it counts the bytes of the line
//   TAVOLIN_MONITOR_PACED    1 when the simulator paces its bytes at 9600 baud
// The simulator starts with X26 (X1A) on and D3 = 00FF.
// The core's model first: <windows.h> defines OUT as an empty macro.
#include "core/device_tables.h"
#include "core/ladder_model.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
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
#include "shell/documents.h"
#include "frame/frame_win.h"
#include "shell/text_win.h"
#include "shell/toolbar_win.h"
#include "target/device_images.h"
#include "target/poll_cadence.h"
#include "target/serial_port.h"
#include "win/monitor_fixtures.h"
#include "win/rig_helper.h"

namespace {

std::string env(const char* name) {
  const char* value = std::getenv(name);
  return value ? value : "";
}

void control(const std::string& text) {
  std::ofstream out("Z:" + env("TAVOLIN_MONITOR_CONTROL"), std::ios::binary | std::ios::trunc);
  out << text;
}

// Bytes received and sent by the board so far.
std::pair<double, double> line_bytes() {
  std::ifstream in("Z:" + env("TAVOLIN_MONITOR_COUNTERS"));
  double a = 0, b = 0;
  in >> a >> b;
  return {a, b};
}

std::vector<double> g_poll_starts;  // ms
double now_ms() {
  LARGE_INTEGER f, c;
  QueryPerformanceFrequency(&f);
  QueryPerformanceCounter(&c);
  return 1000.0 * static_cast<double>(c.QuadPart) / static_cast<double>(f.QuadPart);
}
int timed_bits(MonitorPollView& view, GridSpan grid) {
  g_poll_starts.push_back(now_ms());
  return poll_target_bits(view, grid);
}

// Rows: X1A and its b-contact driving Y3; a MOV into D3 whose value the monitor shows;
// an X beyond the two digits of a bit query.
const std::vector<std::string> PROGRAM = {"X1A /X1A - - ~ (Y3)", "X0 ~ [MOV K5 D3]", "X100 ~ (Y4)"};

class MonitorRig : public ProgramTest {
 protected:
  void SetUp() override {
    if (env("TAVOLIN_MONITOR_SLOT").empty()) GTEST_SKIP() << "no monitor rig (scripts/test.d/70-monitor-e2e.sh)";
    ProgramTest::SetUp();
    control("silent=0\nbit=X26=1\nregister=3=00FF\n");  // the board as the rig starts it
    reset_device_images();
    g_poll_cadence = PollCadence{};
    g_poll_starts.clear();
    set_monitor_poll_hooks({timed_bits, poll_target_words});
    frame_ = start();
    ASSERT_NE(frame_, nullptr);
    seq_ = folder_->file(L"RIG.SEQ");
    ASSERT_TRUE(write_operation_file(seq_, PROGRAM));
    // The design toolbar probes the ports; the rig's port is chosen in its list.
    rebuild_screen_toolbar(frame_, CMD_SCREEN_DESIGN);
    pump_messages();
    ASSERT_NE(g_com_combo, nullptr);
    const std::wstring entry = L"COM" + std::to_wstring(std::atoi(env("TAVOLIN_MONITOR_SLOT").c_str()));
    const LRESULT index = SendMessageW(g_com_combo, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                                       reinterpret_cast<LPARAM>(entry.c_str()));
    ASSERT_NE(index, CB_ERR) << "the probe did not list the board's port";
    SendMessageW(g_com_combo, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
  }
  void TearDown() override {
    if (env("TAVOLIN_MONITOR_SLOT").empty()) return;
    control("silent=0\n");
    ProgramTest::TearDown();
    set_monitor_poll_hooks({poll_target_bits, poll_target_words});
    reset_device_images();
  }

  // What the window paints for the X1A contact, its b-contact, the value above the MOV
  // and the far X contact.
  struct Shown {
    int contact = -1, b_contact = -1;
    bool contact_framed = false, b_framed = false;
    std::vector<std::string> row1_texts;
    std::vector<std::string> row2_texts;
  };
  Shown shown(HWND window) {
    Shown s;
    const DisplayList list = monitor_window_display_list(window);
    for (const PaintItem& i : list.items) {
      if (i.kind == PaintKind::PICTURE && i.row == 0 && i.column == 0 && s.contact < 0) s.contact = i.picture;
      if (i.kind == PaintKind::PICTURE && i.row == 0 && i.column == 1 && s.b_contact < 0) s.b_contact = i.picture;
      if (i.kind == PaintKind::FRAME && i.colour == MONITOR_LIVE_FRAME && i.row == 0 && i.column == 0)
        s.contact_framed = true;
      if (i.kind == PaintKind::FRAME && i.colour == MONITOR_LIVE_FRAME && i.row == 0 && i.column == 1) s.b_framed = true;
      if (i.kind == PaintKind::TEXT && i.row == 1) s.row1_texts.push_back(i.text);
      if (i.kind == PaintKind::TEXT && i.row == 2) s.row2_texts.push_back(i.text);
    }
    return s;
  }
  static bool has(const std::vector<std::string>& texts, const std::string& t) {
    return std::find(texts.begin(), texts.end(), t) != texts.end();
  }

  std::wstring seq_;
};

TEST_F(MonitorRig, ShowsTheBoardFollowsItAndStopsAfterThreeFailedPolls) {
  HWND window = open_monitor_window(seq_, true);
  ASSERT_NE(window, nullptr);
  rebuild_screen_toolbar(frame_, CMD_SCREEN_OPERATION);
  ASSERT_EQ(g_port_open, 1) << "the board did not answer the link set-up";
  const uint32_t x1a = make_device_operand(Device::X, 0x1A);
  auto bit_on = [&] { return (polled_image_entry(x1a)->word[0] >> 10) & 1; };
  auto d3 = [] { return word_device_record(Device::D, 3)->word[0] & 0xFFFF; };

  // The board's X26 is on and D3 holds 00FF.
  ASSERT_TRUE(pump_until([&] { return bit_on() && d3() == 0xFF; }, 5000));
  Shown s = shown(window);
  EXPECT_EQ(s.contact, PIC_BOX_CONTACT_A);
  EXPECT_TRUE(s.contact_framed);
  EXPECT_EQ(s.b_contact, PIC_CONTACT_TICKED);
  EXPECT_FALSE(s.b_framed);
  EXPECT_TRUE(has(s.row1_texts, "FF"));
  EXPECT_TRUE(has(s.row2_texts, NOT_POLLED_MARK));  // X100 cannot be asked for
  EXPECT_EQ((*monitor_grid())[0].cell[0].word[2] & 1, 1u);
  InvalidateRect(window, nullptr, TRUE);
  pump_for(300);
  save_screenshot("monitor_screen_live_on");

  // The board changes: the window follows.
  control("bit=X26=0\nregister=3=0100\n");
  ASSERT_TRUE(pump_until([&] { return !bit_on() && d3() == 0x100; }, 5000));
  s = shown(window);
  EXPECT_EQ(s.contact, PIC_CONTACT_A);
  EXPECT_FALSE(s.contact_framed);
  EXPECT_EQ(s.b_contact, PIC_BOX_CONTACT_B);
  EXPECT_TRUE(s.b_framed);
  EXPECT_TRUE(has(s.row1_texts, "100"));
  pump_for(300);
  save_screenshot("monitor_screen_live_changed");

  // The cycle from one poll's start to the next, against its floor: the 220 ms cadence
  // plus the line time of the bytes exchanged (1.0417 ms a byte at 9600 baud, 8N1).
  if (env("TAVOLIN_MONITOR_PACED") == "1") {
    const size_t first = g_poll_starts.size();
    const auto before = line_bytes();
    pump_for(4000);
    const auto after = line_bytes();
    const size_t cycles = g_poll_starts.size() - first - 1;
    if (cycles >= 3) {
      const double cycle = (g_poll_starts.back() - g_poll_starts[first]) / static_cast<double>(cycles);
      const double bytes = (after.first - before.first + after.second - before.second) / static_cast<double>(cycles + 1);
      const double floor = 220.0 + bytes * 10000.0 / 9600.0;
      std::printf("monitor cycle: %.1f ms over %zu cycles, %.1f line bytes a cycle, floor %.1f ms, ratio %.3f\n", cycle,
                  cycles, bytes, floor, cycle / floor);
    }
  }

  // The board falls silent: three failed polls, the message, the window closes. The two
  // word polls after the first two failed bit polls each report their own failure.
  for (int i = 0; i < 3; ++i) boxes_->answer(IDOK);
  const size_t shown_before = boxes_->shown().size();
  const double silenced = now_ms();
  control("silent=1\n");
  ASSERT_TRUE(pump_until([&] { return !IsWindow(window); }, 15000));
  std::printf("monitoring stopped %.0f ms after the board fell silent\n", now_ms() - silenced);
  ASSERT_EQ(boxes_->shown().size(), shown_before + 3);
  EXPECT_EQ(boxes_->shown()[shown_before].text, cp932_to_wide(MSG_LINK_FAILED));
  EXPECT_EQ(boxes_->shown().back().text, cp932_to_wide(MSG_MONITOR_FAILED));
  EXPECT_EQ(boxes_->shown().back().caption, L"警告");
  EXPECT_EQ(g_port_open, 0);
  EXPECT_EQ(g_monitor_mode, 0);
}

TEST_F(MonitorRig, OperationCheckScreenPicture) {
  HWND window = open_monitor_window(seq_, false);
  ASSERT_NE(window, nullptr);
  rebuild_screen_toolbar(frame_, CMD_SCREEN_OPERATION);
  const ViewState* v = view_state_of(window);
  // X1A switched on by a click in the upper left of its picture.
  SendMessageW(window, WM_LBUTTONDOWN, MK_LBUTTON,
               MAKELPARAM(v->left_rail_x + 5, v->top_margin + 3));
  SendMessageW(window, WM_LBUTTONUP, 0, MAKELPARAM(v->left_rail_x + 5, v->top_margin + 3));
  pump_for(300);
  save_screenshot("operation_check_screen");
  EXPECT_EQ((*monitor_grid())[0].cell[0].word[2] & 1, 1u);
  SendMessageW(window, WM_CLOSE, 0, 0);
  pump_messages();

  // More of the parts, on the monitor screen: comment rows, a timer, SET and RST boxes,
  // a comparison, links between rows.
  const std::wstring parts = folder_->file(L"PARTS.SEQ");
  ASSERT_TRUE(write_operation_file(parts, {"; 起動と停止", "X1A /X2 - - ~ (Y3)", "^Y3 ^", "X0 ~ (T3 K100)",
                                           "T3 ~ [SET M10]", "X2 ~ [RST M10]", "X0 {= D3 K255} ~ (Y5)",
                                           "; 値の転送", "X0 ~ [MOV K5 D3]"}));
  HWND monitor = open_monitor_window(parts, true);
  ASSERT_NE(monitor, nullptr);
  ASSERT_TRUE(pump_until([&] { return (word_device_record(Device::D, 3)->word[0] & 0xFFFF) == 0xFF; }, 5000));
  InvalidateRect(monitor, nullptr, TRUE);
  pump_for(400);
  save_screenshot("monitor_screen_parts");
  SendMessageW(monitor, WM_CLOSE, 0, 0);
  pump_messages();
}

}  // namespace
