#!/usr/bin/env bash
# The monitor screen end to end: the board simulator serves a pty, the test prefix maps a
# COM port to it, and win_tests.exe (MonitorRig.*) runs the program's own monitor window on
# a compiled program inside Xvfb: the window shows the simulator's contacts and a register
# and follows when they change; with the simulator silenced it stops after three failed
# polls. The simulator paces its bytes at 9600 baud, so the test also prints the monitor
# cycle against its floor. The screenshots land in $TAVOLIN_BUILD/screenshots.
#
# Runs from scripts/test or by hand from the source root. Exit 77: skipped.
set -uo pipefail

# shellcheck source=scripts/board_rig.sh
source "$(dirname "${BASH_SOURCE[0]}")/../board_rig.sh"
exe=$mingw/win_tests.exe
slot=7

board_rig_prepare 70-monitor-e2e "$exe"
: >"$work/control"
start_board board "$slot" --state "$work/state" --control "$work/control" --counters "$work/counters" \
  --pace-us 1042 --bit X26=1 --register 3=00FF
echo "(COM$slot paced at 9600 baud)"

LD_PRELOAD="$shim" \
  TAVOLIN_MONITOR_SLOT=$slot TAVOLIN_MONITOR_CONTROL="$work/control" TAVOLIN_MONITOR_COUNTERS="$work/counters" \
  TAVOLIN_MONITOR_PACED=1 \
  tavolin_with_xvfb "$TAVOLIN_WINE_LOADER" "$exe" --gtest_filter='MonitorRig.*' --gtest_color=no 2>&1 |
  tee "$work/rig.out"
status=${PIPESTATUS[0]}
if [ "$status" -ne 0 ]; then
  echo "the monitor rig failed (status $status)"
  exit 1
fi
if grep -q '^\[  SKIPPED \]' "$work/rig.out" || ! grep -q '^\[  PASSED  \] 2 tests' "$work/rig.out"; then
  echo "the monitor rig tests did not all run"
  exit 1
fi
echo "monitor end-to-end rig passed"
