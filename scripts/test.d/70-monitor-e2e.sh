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

root=${TAVOLIN_ROOT:-$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)}
cd "$root"
build=${TAVOLIN_BUILD:-$root/build}
native=${TAVOLIN_NATIVE_BUILD:-$build/native}
mingw=${TAVOLIN_MINGW_BUILD:-$build/mingw}
work=${TAVOLIN_WORK:-$build/test.d/70-monitor-e2e}
wine_env=${TAVOLIN_WINE_ENV:-$root/scripts/wine_env.sh}
simulator=$native/board_simulator
exe=$mingw/win_tests.exe
slot=7

skip() {
  echo "skipped: $*"
  exit 77
}
[ -x "$simulator" ] || skip "$simulator is not built (native build)"
[ -f "$exe" ] || skip "$exe is not built (mingw build)"
[ -f "$wine_env" ] || skip "$wine_env is missing"
# shellcheck source=/dev/null
source "$wine_env"
[ -n "${WINEPREFIX:-}" ] || tavolin_wine_use test
tavolin_wine_prepare || exit 1

rm -rf "$work"
mkdir -p "$work/shim"
gcc -shared -fPIC -O2 -Wall -o "$work/shim/modem_shim.so" tests/tools/modem_shim.c -ldl || exit 1
: >"$work/control"

sim_pid=
cleanup() {
  tavolin_wine_stop
  tavolin_wine_unmap_com_port "$slot" >/dev/null 2>&1
  if [ -n "$sim_pid" ]; then
    kill "$sim_pid" 2>/dev/null
    wait "$sim_pid" 2>/dev/null
  fi
}
trap cleanup EXIT

"$simulator" --link "$work/board" --state "$work/state" --control "$work/control" --counters "$work/counters" \
  --pace-us 1042 --bit X26=1 --register 3=00FF >"$work/simulator.out" 2>&1 &
sim_pid=$!
pty=
for _ in $(seq 50); do
  pty=$(sed -n 's/^ready //p' "$work/simulator.out")
  [ -n "$pty" ] && break
  kill -0 "$sim_pid" 2>/dev/null || break
  sleep 0.1
done
if [ -z "$pty" ]; then
  echo "the board simulator did not start:"
  cat "$work/simulator.out"
  exit 1
fi
echo "board simulator on $pty (COM$slot), 9600-baud pacing"
tavolin_wine_map_com_port "$slot" "$pty" || exit 1

LD_PRELOAD="$work/shim/modem_shim.so" \
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
