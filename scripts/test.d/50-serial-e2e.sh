#!/usr/bin/env bash
# The serial link end to end: the board simulator serves a pty, the test prefix maps a COM
# port to it, and serial_link_rig.exe (the real Win32 comm calls) probes the board, writes
# a program into it, verifies it, reads it back, runs and stops it, and polls contacts and
# registers. Through a control file the tests make the board fall silent on the open port,
# send a wrong echo (also of a line's last byte above 0x7E), cut its answers short, think
# 0.7 s before each answer and answer with a heartbeat (a byte every 0.2 s, never the prompt:
# every wait ends on its time), and check that each ends as it must. It runs
# twice: against a board that keeps every byte and against one that takes only printable
# ASCII (--ascii-only), each on its own COM port.
#
# The rig itself (the simulator, the port mapping, the modem-status shim that a pty needs)
# is scripts/board_rig.sh.
#
# Runs from scripts/test (which exports the build folders and the prepared prefix) or by
# hand from the source root. Exit 77: skipped (something it needs was not built).
set -uo pipefail

# shellcheck source=scripts/board_rig.sh
source "$(dirname "${BASH_SOURCE[0]}")/../board_rig.sh"
exe=$mingw/serial_link_rig.exe

# The COM number mapped to the simulator, and one that stays closed.
slot=7
ascii_slot=8
free_slot=9
bits="X26=1,M12=0,X03=1,Y19=1"
words="3=00FF,10=BEEF"

board_rig_prepare 50-serial-e2e "$exe"

# run_mode NAME SLOT SIMULATOR-OPTIONS...
run_mode() {
  local name=$1 n=$2 b w list ascii=0
  shift 2
  case " $* " in *" --ascii-only "*) ascii=1 ;; esac
  local sim_args=(--state "$work/$name-state" --control "$work/$name-control" "$@")
  IFS=, read -ra list <<<"$bits"
  for b in "${list[@]}"; do sim_args+=(--bit "$b"); done
  IFS=, read -ra list <<<"$words"
  for w in "${list[@]}"; do sim_args+=(--register "$w"); done
  start_board "$name" "$n" "${sim_args[@]}"

  LD_PRELOAD="$shim" \
    TAVOLIN_RIG_SLOT=$n TAVOLIN_RIG_FREE=$free_slot TAVOLIN_RIG_BITS=$bits TAVOLIN_RIG_WORDS=$words \
    TAVOLIN_RIG_STATE="$work/$name-state" TAVOLIN_RIG_CONTROL="$work/$name-control" TAVOLIN_RIG_ASCII_ONLY=$ascii \
    tavolin_wine "$exe" 2>&1 | tee "$work/$name-rig.out"
  rig_passed "serial_link_rig.exe against the $name board" "${PIPESTATUS[0]}" "$work/$name-rig.out"
  # What the board holds at the end is what the test wrote.
  if ! grep -qx '9 END' "$work/$name-state"; then
    echo "the $name board does not hold the program:"
    cat "$work/$name-state"
    exit 1
  fi
}
run_mode board "$slot"
run_mode ascii "$ascii_slot" --ascii-only
echo "serial end-to-end rig passed"
