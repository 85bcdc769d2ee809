#!/usr/bin/env bash
# The one-click write and the COM communication dialog end to end: three board simulators
# serve ptys that COM ports are mapped to (one answering at 9600-baud pacing, one silent,
# one that echoes every character wrong), and win_tests.exe drives the real frame, a design
# window with a sample design and the COM dialog against them (tests/win/one_click_rig_test.cpp),
# inside a private Xvfb so that it can take its screenshots.
#
# The rig (simulators, port mappings, the modem-status shim) is scripts/board_rig.sh. Runs from scripts/test or by hand from the source root. Exit 77: skipped.
set -uo pipefail

# shellcheck source=scripts/board_rig.sh
source "$(dirname "${BASH_SOURCE[0]}")/../board_rig.sh"
exe=$mingw/win_tests.exe

# COM numbers of the answering, the silent and the garbling board.
slot=4
silent_slot=5
garbled_slot=6

board_rig_prepare 60-one-click-e2e "$exe"
start_board board "$slot" --pace --state "$work/state" --received "$work/received"
start_board silent "$silent_slot" --silent
start_board garbled "$garbled_slot" --garble

LD_PRELOAD="$shim" \
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
