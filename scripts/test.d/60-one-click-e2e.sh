#!/usr/bin/env bash
# The one-click write and the COM communication dialog end to end: three board simulators
# serve ptys that COM ports are mapped to (one answering at 9600-baud pacing, one silent,
# one that echoes every character wrong), and win_tests.exe drives the real frame, a design
# window with a sample design and the COM dialog against them (tests/win/one_click_rig_test.cpp),
# inside a private Xvfb so that it can take its screenshots.
#
# The modem-status shim (tests/tools/modem_shim.c) answers the modem ioctls on ptys, as in
# 50-serial-e2e.sh. Runs from scripts/test or by hand from the source root. Exit 77: skipped.
set -uo pipefail

root=${TAVOLIN_ROOT:-$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)}
cd "$root"
build=${TAVOLIN_BUILD:-$root/build}
native=${TAVOLIN_NATIVE_BUILD:-$build/native}
mingw=${TAVOLIN_MINGW_BUILD:-$build/mingw}
work=${TAVOLIN_WORK:-$build/test.d/60-one-click-e2e}
wine_env=${TAVOLIN_WINE_ENV:-$root/scripts/wine_env.sh}
simulator=$native/board_simulator
exe=$mingw/win_tests.exe

# COM numbers of the answering, the silent and the garbling board.
slot=4
silent_slot=5
garbled_slot=6

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

pids=()
cleanup() {
  tavolin_wine_stop
  for n in "$slot" "$silent_slot" "$garbled_slot"; do tavolin_wine_unmap_com_port "$n" >/dev/null 2>&1; done
  for pid in "${pids[@]}"; do
    kill "$pid" 2>/dev/null
    wait "$pid" 2>/dev/null
  done
}
trap cleanup EXIT

# start_board NAME SLOT ARGS...: a simulator on a pty mapped to COM<SLOT>.
start_board() {
  local name=$1 n=$2
  shift 2
  "$simulator" --link "$work/$name" "$@" >"$work/$name.out" 2>&1 &
  pids+=($!)
  local pty= i
  for i in $(seq 50); do
    pty=$(sed -n 's/^ready //p' "$work/$name.out")
    [ -n "$pty" ] && break
    sleep 0.1
  done
  if [ -z "$pty" ]; then
    echo "the $name board simulator did not start:"
    cat "$work/$name.out"
    exit 1
  fi
  echo "$name board on $pty (COM$n)"
  tavolin_wine_map_com_port "$n" "$pty" || exit 1
}
start_board board "$slot" --pace --state "$work/state" --received "$work/received"
start_board silent "$silent_slot" --silent
start_board garbled "$garbled_slot" --garble

LD_PRELOAD="$work/shim/modem_shim.so" \
  TAVOLIN_RIG_SLOT=$slot TAVOLIN_RIG_SILENT_SLOT=$silent_slot TAVOLIN_RIG_GARBLED_SLOT=$garbled_slot \
  TAVOLIN_RIG_STATE="$work/state" TAVOLIN_RIG_RECEIVED="$work/received" TAVOLIN_BUILD="$build" \
  tavolin_with_xvfb "$TAVOLIN_WINE_LOADER" "$exe" --gtest_filter='OneClickRig.*' --gtest_color=no 2>&1 | tee "$work/rig.out"
status=${PIPESTATUS[0]}

if [ "$status" -ne 0 ]; then
  echo "the one-click rig tests failed (status $status)"
  exit 1
fi
if grep -q '^\[  SKIPPED \]' "$work/rig.out" || ! grep -q '^\[  PASSED  \]' "$work/rig.out"; then
  echo "the one-click rig tests did not all run"
  exit 1
fi
for picture in com_dialog_open com_dialog_writing com_dialog_written; do
  [ -s "$build/screenshots/$picture.png" ] || { echo "no screenshot $picture"; exit 1; }
done
echo "one-click end-to-end rig passed"
