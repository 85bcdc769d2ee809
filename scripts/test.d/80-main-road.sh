#!/usr/bin/env bash
# The main road end to end: the board simulator serves a pty that a COM port is mapped to,
# and win_tests.exe (MainRoad.*, tests/win/main_road_rig_test.cpp) walks the real program
# inside a private Xvfb from the first start (no file.ini, the guide opens sample 1) through
# a drawn rung, the compile, the one-click write, the COM dialog's verify, the monitor and
# mnemonic screens and the exit, to a second start that keeps the settings and recent files.
# The second walk types a program on the mnemonic screen, compiles it, opens its design and
# prints it through the printing library on a private CUPS queue (as 60-print-e2e.sh; only
# as root, otherwise that walk is skipped); the first printed page becomes road_print_page1.png.
# Its screenshots (road_*.png) land in $TAVOLIN_BUILD/screenshots.
#
# The rig (simulator, port mapping, modem-status shim) is scripts/board_rig.sh. Runs from
# scripts/test or by hand from the source root. Exit 77: skipped.
set -uo pipefail

# shellcheck source=scripts/board_rig.sh
source "$(dirname "${BASH_SOURCE[0]}")/../board_rig.sh"
exe=$mingw/win_tests.exe
slot=3

board_rig_prepare 80-main-road "$exe"
start_board board "$slot" --pace --state "$work/state" --received "$work/received" --bit X2=1
printing=0
tests=1
if [ -f "$mingw/dabu42QX.dll" ] && ! print_queue_missing; then
  start_print_queue || exit 1
  printing=1
  tests=2
else
  echo "the second walk (printing) is skipped: ${print_queue_missing:-the printing library is not built}"
fi

LD_PRELOAD="$shim" TAVOLIN_ROAD_PRINT=$printing TAVOLIN_ROAD_SLOT=$slot TAVOLIN_ROAD_STATE="$work/state" TAVOLIN_BUILD="$build" \
  tavolin_with_xvfb "$TAVOLIN_WINE_LOADER" "$exe" --gtest_filter='MainRoad.*' --gtest_color=no 2>&1 |
  tee "$work/rig.out"
status=${PIPESTATUS[0]}
if [ "$status" -ne 0 ]; then
  echo "the main-road walk failed (status $status)"
  exit 1
fi
if ! grep -q "^\[  PASSED  \] $tests test" "$work/rig.out"; then
  echo "the main-road walk did not run"
  exit 1
fi
for picture in road_01_first_start road_03_rung_added road_06_monitor road_07_mnemonic road_09_second_start road_10_reopened; do
  [ -s "$build/screenshots/$picture.png" ] || { echo "no screenshot $picture"; exit 1; }
done
if [ "$printing" -eq 1 ]; then
  wait_for_print || { echo "no print output arrived"; exit 1; }
  pages=$(grep -a '^%%Pages: [0-9]' "$print_output" | tail -1 | sed 's/[^0-9]//g')
  echo "printed pages: ${pages:-none}"
  [ "${pages:-0}" -ge 1 ] || { echo "the printout holds no page"; exit 1; }
  gs -q -dSAFER -dNOPAUSE -dBATCH -sDEVICE=png16m -r60 -dFirstPage=1 -dLastPage=1 \
    -o "$build/screenshots/road_print_page1.png" "$print_output" || exit 1
fi
echo "main-road end-to-end walk passed"
