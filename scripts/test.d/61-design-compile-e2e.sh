#!/usr/bin/env bash
# Designs with rows after END through the real screens: a board simulator serves a pty that a
# COM port is mapped to, and win_tests.exe (DesignCompileRig.*, tests/win/design_compile_rig_test.cpp)
# opens each design in the real frame, compiles it from the design screen (command 1190) and
# writes it into the board with the one-click command, inside a private Xvfb for its
# screenshots (design_compile_rig_*.png). The designs: tests/data/small.MBS and the design
# files of tests/data/designs with initially-on, interlock and initial-value rows and the
# three older layouts.
#
# The rig (simulator, port mapping, modem-status shim) is scripts/board_rig.sh. Runs from
# scripts/test or by hand from the source root. Exit 77: skipped.
set -uo pipefail

# shellcheck source=scripts/board_rig.sh
source "$(dirname "${BASH_SOURCE[0]}")/../board_rig.sh"
exe=$mingw/win_tests.exe
slot=10

board_rig_prepare 61-design-compile-e2e "$exe"
start_board board "$slot" --pace --state "$work/state" --received "$work/received"

LD_PRELOAD="$shim" TAVOLIN_COMPILE_RIG_SLOT=$slot TAVOLIN_COMPILE_RIG_STATE="$work/state" TAVOLIN_BUILD="$build" \
  tavolin_with_xvfb "$TAVOLIN_WINE_LOADER" "$exe" --gtest_filter='Designs/DesignCompileRig.*' --gtest_color=no 2>&1 |
  tee "$work/rig.out"
rig_passed "the design-compile rig" "${PIPESTATUS[0]}" "$work/rig.out"
grep -q '^\[  PASSED  \] 7 tests' "$work/rig.out" || { echo "the design-compile rig did not run every design"; exit 1; }
for design in small initial_on interlock initial_values old_run_length old_two_line old_output_col_9; do
  [ -s "$build/screenshots/design_compile_rig_$design.png" ] || { echo "no screenshot design_compile_rig_$design"; exit 1; }
done
echo "design-compile end-to-end rig passed"
