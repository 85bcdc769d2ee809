#!/usr/bin/env bash
# The serial link end to end: the board simulator serves a pty, the test prefix maps a COM
# port to it, and serial_link_rig.exe (the real Win32 comm calls) probes the board, writes
# a program into it, verifies it, reads it back, runs and stops it, and polls contacts and
# registers. Through a control file the tests make the board fall silent on the open port,
# send a wrong echo and cut its answers short, and check that each ends in failure.
#
# A pty has no modem lines, so Wine's GetCommModemStatus fails on it; the LD_PRELOAD shim
# tests/tools/modem_shim.c answers those ioctls on ptys only, like a null-modem cable. It
# is built here for the bitness Wine's serial code runs in: 64-bit, like the program.
#
# Runs from scripts/test (which exports the build folders and the prepared prefix) or by
# hand from the source root. Exit 77: skipped (something it needs was not built).
set -uo pipefail

root=${TAVOLIN_ROOT:-$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)}
cd "$root"
build=${TAVOLIN_BUILD:-$root/build}
native=${TAVOLIN_NATIVE_BUILD:-$build/native}
mingw=${TAVOLIN_MINGW_BUILD:-$build/mingw}
work=${TAVOLIN_WORK:-$build/test.d/50-serial-e2e}
wine_env=${TAVOLIN_WINE_ENV:-$root/scripts/wine_env.sh}
simulator=$native/board_simulator
exe=$mingw/serial_link_rig.exe

# The COM number mapped to the simulator, and one that stays closed.
slot=7
free_slot=9
bits="X26=1,M12=0,X03=1,Y19=1"
words="3=00FF,10=BEEF"

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

sim_args=(--link "$work/board" --state "$work/state" --control "$work/control")
IFS=, read -ra list <<<"$bits"
for b in "${list[@]}"; do sim_args+=(--bit "$b"); done
IFS=, read -ra list <<<"$words"
for w in "${list[@]}"; do sim_args+=(--register "$w"); done
"$simulator" "${sim_args[@]}" >"$work/simulator.out" 2>&1 &
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
echo "board simulator on $pty (COM$slot)"

tavolin_wine_map_com_port "$slot" "$pty" || exit 1

LD_PRELOAD="$work/shim/modem_shim.so" \
  TAVOLIN_RIG_SLOT=$slot TAVOLIN_RIG_FREE=$free_slot TAVOLIN_RIG_BITS=$bits TAVOLIN_RIG_WORDS=$words \
  TAVOLIN_RIG_STATE="$work/state" TAVOLIN_RIG_CONTROL="$work/control" \
  tavolin_wine "$exe" 2>&1 | tee "$work/rig.out"
status=${PIPESTATUS[0]}

if [ "$status" -ne 0 ]; then
  echo "serial_link_rig.exe failed (status $status)"
  exit 1
fi
if grep -q '^\[  SKIPPED \]' "$work/rig.out" || ! grep -q '^\[  PASSED  \]' "$work/rig.out"; then
  echo "the rig tests did not all run"
  exit 1
fi
# What the board holds at the end is what the test wrote.
if ! grep -qx '9 END' "$work/state"; then
  echo "the board does not hold the program:"
  cat "$work/state"
  exit 1
fi
echo "serial end-to-end rig passed"
