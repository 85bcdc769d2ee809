#!/usr/bin/env bash
# The README's "A first program", walked as written: the board simulator serves a pty that a
# COM port is mapped to, and win_tests.exe (FirstProgram.*, tests/win/first_program_rig_test.cpp)
# walks the real program inside a private Xvfb by the names the README gives: the guide's
# "サンプル１", 編集 > 空行 > 空行開け and Ctrl+F2, a click, F1, Right and F7, the "123" button
# and the number entry dialog, the comment button and the コメント設定 dialog, Ctrl+F11 (the key
# of 変換 > ラダー => ﾆｰﾓﾆｯｸ変換), the toolbar's port list and its ラダー書込み button,
# ファイル > COM通信 and its ﾆｰﾓﾆｯｸﾍﾞﾘﾌｧｲ and 実行, the monitor and mnemonic buttons. Its
# screenshots (first_*.png) land in $TAVOLIN_BUILD/screenshots.
#
# The rig (simulator, port mapping, modem-status shim) is scripts/board_rig.sh. Runs from
# scripts/test or by hand from the source root. Exit 77: skipped.
set -uo pipefail

# shellcheck source=scripts/board_rig.sh
source "$(dirname "${BASH_SOURCE[0]}")/../board_rig.sh"
exe=$mingw/win_tests.exe
slot=4

board_rig_prepare 85-first-program "$exe"
start_board board "$slot" --pace --state "$work/state" --bit X2=1

LD_PRELOAD="$shim" TAVOLIN_FIRST_PROGRAM_SLOT=$slot TAVOLIN_FIRST_PROGRAM_STATE="$work/state" TAVOLIN_BUILD="$build" \
  tavolin_with_xvfb "$TAVOLIN_WINE_LOADER" "$exe" --gtest_filter='FirstProgram.*' --gtest_color=no 2>&1 |
  tee "$work/rig.out"
rig_passed "the first-program walk" "${PIPESTATUS[0]}" "$work/rig.out"
for picture in first_01_guide first_03_blank_rows first_06_rung first_07_compiled first_08_written first_09_verified \
  first_10_monitor first_11_mnemonic; do
  [ -s "$build/screenshots/$picture.png" ] || { echo "no screenshot $picture"; exit 1; }
done
echo "the README's first program walked as written"
