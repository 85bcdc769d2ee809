#include "target/poll_cadence.h"

PollCadence g_poll_cadence;
int32_t& g_poll_divider = g_poll_cadence.poll_divider;
int32_t& g_poll_failures = g_poll_cadence.poll_failures;

namespace {

// Clears the running mark however the polls leave (a poll may throw in a test).
struct RunningMark {
  explicit RunningMark(bool& flag) : flag_(flag) { flag_ = true; }
  ~RunningMark() { flag_ = false; }
  bool& flag_;
};

}  // namespace

TickOutcome run_poll_tick(PollCadence& cadence, bool monitoring, bool link_on, const PollSteps& steps) {
  if (!monitoring || !link_on) return TickOutcome::IDLE;
  if (cadence.poll_running) return TickOutcome::DROPPED;
  const int32_t count = cadence.poll_divider;
  cadence.poll_divider += 1;
  if (count < POLL_DIVIDER_LIMIT) return TickOutcome::COUNTED;
  cadence.poll_divider = 0;

  RunningMark mark(cadence.poll_running);
  if (steps.poll_bits() == 0) {
    cadence.poll_failures = 0;
  } else if (++cadence.poll_failures >= POLL_FAILURE_LIMIT) {
    cadence.poll_failures = 0;
    return TickOutcome::STOP;
  }
  steps.poll_words();  // its failures are reported by its own message, not counted
  return TickOutcome::POLLED;
}

const char* monitor_failure_message(std::string_view cpu_name) {
  return cpu_name.substr(0, 4) == "AT90" ? MSG_MONITOR_FAILED_AVR : MSG_MONITOR_FAILED;
}
