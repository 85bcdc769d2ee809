#!/usr/bin/env bash
# The one-click write and the COM communication dialog end to end: board simulators serve
# ptys that COM ports are mapped to (two answering at 9600-baud pacing, one that keeps
# every byte and one that takes only printable ASCII, one silent, one that echoes every
# character wrong, one with a heartbeat: after each command a byte every 0.2 s and never its
# prompt), and win_tests.exe drives the real frame, a design window with a sample
# design and the COM dialog against them (tests/win/one_click_rig_test.cpp), inside a
# private Xvfb so that it can take its screenshots; the tests run once against each of the
# two answering boards. The screenshots of the 7-bit run end in "_ascii".
#
# The rig (simulators, port mappings, the modem-status shim) is scripts/board_rig.sh. Runs from scripts/test or by hand from the source root. Exit 77: skipped.
set -uo pipefail

# shellcheck source=scripts/board_rig.sh
source "$(dirname "${BASH_SOURCE[0]}")/../board_rig.sh"
exe=$mingw/win_tests.exe

# COM numbers of the answering boards (every byte, printable ASCII only), the silent, the
# garbling and the beating board.
slot=4
ascii_slot=7
silent_slot=5
garbled_slot=6
heartbeat_slot=8

board_rig_prepare 60-one-click-e2e "$exe"
start_board board "$slot" --pace --state "$work/board-state" --received "$work/board-received"
start_board ascii "$ascii_slot" --pace --ascii-only --state "$work/ascii-state" --received "$work/ascii-received"
start_board silent "$silent_slot" --silent
start_board garbled "$garbled_slot" --garble
start_board heartbeat "$heartbeat_slot" --heartbeat-ms 200

# run_rig NAME SLOT ASCII SUFFIX
run_rig() {
  echo "==== the rig against the $1 board"
  LD_PRELOAD="$shim" \
    TAVOLIN_RIG_SLOT=$2 TAVOLIN_RIG_SILENT_SLOT=$silent_slot TAVOLIN_RIG_GARBLED_SLOT=$garbled_slot \
    TAVOLIN_RIG_HEARTBEAT_SLOT=$heartbeat_slot \
    TAVOLIN_RIG_STATE="$work/$1-state" TAVOLIN_RIG_RECEIVED="$work/$1-received" TAVOLIN_BUILD="$build" \
    TAVOLIN_RIG_ASCII_ONLY=$3 TAVOLIN_RIG_SHOT_SUFFIX=$4 \
    tavolin_with_xvfb "$TAVOLIN_WINE_LOADER" "$exe" --gtest_filter='OneClickRig.*' --gtest_color=no 2>&1 | tee "$work/$1-rig.out"
  rig_passed "the one-click rig against the $1 board" "${PIPESTATUS[0]}" "$work/$1-rig.out"
  local picture
  for picture in com_dialog_open com_dialog_writing com_dialog_written one_click_sample_written com_dialog_sample_verified \
    com_dialog_sample_read_back com_dialog_long_verified com_dialog_long_read_back com_dialog_heartbeat_failed; do
    [ -s "$build/screenshots/$picture$4.png" ] || { echo "no screenshot $picture$4"; exit 1; }
  done
}
run_rig board "$slot" 0 ""
run_rig ascii "$ascii_slot" 1 _ascii
echo "one-click end-to-end rig passed"
