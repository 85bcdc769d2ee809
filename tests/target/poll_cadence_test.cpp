#include "target/poll_cadence.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// A timer of 20 ms on a virtual clock, delivering WM_TIMER as the message loop does: a
// poll blocks the loop, and a timer that came due meanwhile is delivered once when the
// loop runs again (timer messages are not queued). Each poll advances the clock by its
// duration; a poll may open a modal loop that delivers ticks inside it.
class VirtualTimer {
 public:
  int now = 0;  // ms
  int next_due = POLL_TICK_MS;
  PollCadence cadence;
  bool monitoring = true;
  bool link_on = true;
  int bit_poll_ms = 30;
  int word_poll_ms = 40;
  std::vector<int> bit_results;  // consumed front to back; 0 when exhausted
  std::vector<int> poll_starts;
  std::vector<TickOutcome> outcomes;
  std::vector<TickOutcome> nested;
  int word_polls = 0;
  int modal_ticks = 0;  // ticks a message box of the word poll delivers

  PollSteps steps() {
    return {[this] {
              poll_starts.push_back(now);
              now += bit_poll_ms;
              if (bit_results.empty()) return 0;
              const int r = bit_results.front();
              bit_results.erase(bit_results.begin());
              return r;
            },
            [this] {
              ++word_polls;
              now += word_poll_ms;
              for (int i = 0; i < modal_ticks; ++i) nested.push_back(tick());
              return 0;
            }};
  }
  TickOutcome tick() { return run_poll_tick(cadence, monitoring, link_on, steps()); }

  // Runs the loop until `until` ms: waits for the next due timer, delivers it.
  void run(int until) {
    while (true) {
      if (next_due > now) now = next_due;
      if (now > until) break;
      // The next period starts from this delivery (a blocked loop loses the missed ones).
      next_due = now - now % POLL_TICK_MS + POLL_TICK_MS;
      const TickOutcome outcome = tick();
      outcomes.push_back(outcome);
      if (outcome == TickOutcome::STOP) {
        monitoring = false;
        link_on = false;
      }
    }
  }
};

TEST(PollCadence, FirstPollOnTheEleventhTickThenOneEveryElevenWhenPollsTakeNoTime) {
  VirtualTimer t;
  t.bit_poll_ms = 0;
  t.word_poll_ms = 0;
  t.run(1000);
  ASSERT_GE(t.outcomes.size(), 11u);
  for (int i = 0; i < 10; ++i) EXPECT_EQ(t.outcomes[static_cast<size_t>(i)], TickOutcome::COUNTED) << i;
  EXPECT_EQ(t.outcomes[10], TickOutcome::POLLED);
  EXPECT_EQ(t.poll_starts, (std::vector<int>{220, 440, 660, 880}));
  EXPECT_EQ(t.word_polls, 4);
}

TEST(PollCadence, ABlockingPollDelaysTheCadenceByItsDurationAndLosesTheMissedTicks) {
  VirtualTimer t;
  t.bit_poll_ms = 30;
  t.word_poll_ms = 45;  // a poll of 75 ms: the due tick is delivered once at its end
  t.run(1200);
  ASSERT_GE(t.poll_starts.size(), 3u);
  // From one poll's start: 75 ms blocked, one late tick at its end (tick 1), then ten
  // more on the timer's period: never fewer than ten periods after the poll.
  const int cycle = t.poll_starts[1] - t.poll_starts[0];
  EXPECT_EQ(t.poll_starts[2] - t.poll_starts[1], cycle);
  EXPECT_GE(cycle, 75 + 9 * POLL_TICK_MS);
  EXPECT_LE(cycle, 75 + 11 * POLL_TICK_MS);
}

TEST(PollCadence, NothingIsCountedWhileNotMonitoringOrWithTheLinkOff) {
  for (auto [monitoring, link] : {std::pair{false, true}, std::pair{true, false}, std::pair{false, false}}) {
    VirtualTimer t;
    t.monitoring = monitoring;
    t.link_on = link;
    t.run(1000);
    EXPECT_TRUE(t.poll_starts.empty());
    EXPECT_EQ(t.cadence.poll_divider, 0);
    // Monitoring starts: the divider was never reset, so ten counted ticks come first.
    t.monitoring = t.link_on = true;
    t.outcomes.clear();
    t.bit_poll_ms = t.word_poll_ms = 0;
    t.run(1220);
    ASSERT_EQ(t.outcomes.size(), 11u);
    EXPECT_EQ(t.outcomes.back(), TickOutcome::POLLED);
  }
}

TEST(PollCadence, FailuresCountOnlyInARowAndTheThirdStopsWithoutAWordPoll) {
  struct Case {
    std::vector<int> bits;
    std::vector<TickOutcome> polls;  // the outcome of each poll tick
    int word_polls;
    int failures_after;
  };
  const std::vector<Case> cases = {
      {{-1, -1, 0, -1, -1}, {TickOutcome::POLLED, TickOutcome::POLLED, TickOutcome::POLLED, TickOutcome::POLLED,
                             TickOutcome::POLLED}, 5, 2},
      {{-1, -1, -1}, {TickOutcome::POLLED, TickOutcome::POLLED, TickOutcome::STOP}, 2, 0},
      {{0, -1, -1, -1}, {TickOutcome::POLLED, TickOutcome::POLLED, TickOutcome::POLLED, TickOutcome::STOP}, 3, 0},
  };
  for (const Case& c : cases) {
    VirtualTimer t;
    t.bit_results = c.bits;
    t.bit_poll_ms = t.word_poll_ms = 0;
    t.run(220 * static_cast<int>(c.bits.size()) + 100);
    std::vector<TickOutcome> polls;
    for (TickOutcome o : t.outcomes)
      if (o == TickOutcome::POLLED || o == TickOutcome::STOP) polls.push_back(o);
    EXPECT_EQ(polls, c.polls);
    EXPECT_EQ(t.word_polls, c.word_polls);
    EXPECT_EQ(t.cadence.poll_failures, c.failures_after);
  }
}

TEST(PollCadence, AfterTheStopTheTimerKeepsTickingWithoutPolling) {
  VirtualTimer t;
  t.bit_results = {-1, -1, -1};
  t.run(3000);
  const size_t polls = t.poll_starts.size();
  EXPECT_EQ(polls, 3u);
  EXPECT_EQ(t.outcomes.back(), TickOutcome::IDLE);
}

TEST(PollCadence, TicksDeliveredInsideAPollAreDroppedNotQueued) {
  VirtualTimer t;
  t.bit_poll_ms = t.word_poll_ms = 0;
  t.modal_ticks = 25;  // a message box left open for 25 ticks inside the word poll
  t.run(230);
  ASSERT_EQ(t.poll_starts.size(), 1u);
  ASSERT_EQ(t.nested.size(), 25u);
  for (TickOutcome o : t.nested) EXPECT_EQ(o, TickOutcome::DROPPED);
  // The dropped ticks did not count: ten counted ticks again before the next poll.
  EXPECT_EQ(t.cadence.poll_divider, 0);
  EXPECT_FALSE(t.cadence.poll_running);
  t.modal_ticks = 0;
  t.outcomes.clear();
  t.run(450);
  ASSERT_EQ(t.outcomes.size(), 11u);
  EXPECT_EQ(t.outcomes.back(), TickOutcome::POLLED);
}

TEST(PollCadence, TheRunningMarkIsClearedWhenAPollThrows) {
  PollCadence cadence;
  cadence.poll_divider = POLL_DIVIDER_LIMIT;
  PollSteps steps{[]() -> int { throw std::string("x"); }, [] { return 0; }};
  EXPECT_THROW(run_poll_tick(cadence, true, true, steps), std::string);
  EXPECT_FALSE(cadence.poll_running);
}

TEST(PollCadence, FailureMessageAddsTheAvrLineForAt90NamesOnly) {
  struct Case {
    const char* cpu;
    const char* message;
  };
  for (const Case& c : {Case{"AT90S2313", MSG_MONITOR_FAILED_AVR}, Case{"AT90", MSG_MONITOR_FAILED_AVR},
                        Case{"ATtiny2313", MSG_MONITOR_FAILED}, Case{"AT9", MSG_MONITOR_FAILED},
                        Case{"pic16F84", MSG_MONITOR_FAILED}, Case{"", MSG_MONITOR_FAILED}})
    EXPECT_STREQ(monitor_failure_message(c.cpu), c.message) << c.cpu;
}

}  // namespace
