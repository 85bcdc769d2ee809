// The poll cadence of the monitor screen: a 20 ms timer ticks on both monitor screens,
// and on every eleventh tick, while the monitor screen is shown and the link is on, the
// board's contacts are polled and then its data registers. Three failed contact polls
// in a row stop monitoring.
//
// The cadence is a small state machine that the window's WM_TIMER drives; the polls
// themselves are passed in, so that the machine runs the same on a virtual clock in the
// tests as behind the window. A poll runs to its end inside one tick; a tick that
// arrives while a poll runs (a message box of the word poll runs a modal loop that
// delivers WM_TIMER) is dropped, not queued, and does not count towards the next poll.
#pragma once

#include <cstdint>
#include <functional>
#include <string_view>

struct PollCadence {
  int32_t poll_divider = 0;   // ticks since the last poll; never reset except by a poll
  int32_t poll_failures = 0;  // consecutive failed bit polls
  bool poll_running = false;  // a poll runs now: ticks are dropped
};

// The one cadence of the program (there is at most one monitor window), and its fields
// under the names the rest of the program uses.
extern PollCadence g_poll_cadence;
extern int32_t& g_poll_divider;
extern int32_t& g_poll_failures;

inline constexpr int POLL_TICK_MS = 20;
inline constexpr int POLL_DIVIDER_LIMIT = 10;  // a tick that finds the divider at 10 polls
inline constexpr int POLL_FAILURE_LIMIT = 3;

// The two polls of one cadence step; each returns 0 or -1 (target/monitor_protocol.h).
struct PollSteps {
  std::function<int()> poll_bits;
  std::function<int()> poll_words;
};

enum class TickOutcome {
  IDLE,     // not monitoring, or the link is off: nothing counted
  COUNTED,  // the tick was counted; no poll yet
  DROPPED,  // a poll was running: the tick is ignored
  POLLED,   // a poll ran (bits, then words)
  STOP,     // the third failed bit poll in a row: the caller stops monitoring
};

// One timer tick. `monitoring` is g_monitor_mode == 1, `link_on` g_port_open == 1.
// On STOP the failure count is already 0 again and no word poll ran; the caller clears
// the mode, closes the port, clears the link state, shows the failure message and closes
// the window.
TickOutcome run_poll_tick(PollCadence& cadence, bool monitoring, bool link_on, const PollSteps& steps);

// The message shown when monitoring stops: the AVR line is added for CPU names whose
// first four characters are "AT90".
inline constexpr char MSG_MONITOR_FAILED[] = "通信に失敗しました！\nＣＰＵか、配線の確認をお願いします";
inline constexpr char MSG_MONITOR_FAILED_AVR[] =
    "通信に失敗しました！\nＣＰＵか、配線の確認をお願いします\nＡＶＲの場合、PB4=0の必要があります";
const char* monitor_failure_message(std::string_view cpu_name);
