#!/usr/bin/env bash
# Printing end to end: a private CUPS scheduler with one queue that writes its PostScript
# into a file becomes the default printer of the Wine prefix; print_rig.exe has the printing
# library dabu42QX.dll print a sample design on it, paginated by rows; the PostScript must
# hold as many pages as the rig expects, and its first page is turned into a PNG
# ($TAVOLIN_SCREENSHOTS/print_page1.png) for a person to look at, beside a picture of the
# print dialog the library shows (print_dialog.png).
#
# The scheduler is this script's own: its configuration, spool, socket and logs live in the
# scratch folder, Wine reaches it through CUPS_SERVER, and it is stopped at the end.
# Runs from scripts/test (which exports the build folders and the prepared prefix) or by
# hand from the source root. Exit 77: skipped (something it needs is missing).
set -uo pipefail

# shellcheck source=scripts/board_rig.sh
source "$(dirname "${BASH_SOURCE[0]}")/../board_rig.sh"
exe=$mingw/print_rig.exe

[ -f "$mingw/dabu42QX.dll" ] || skip "the printing library is not built (mingw build)"
print_queue_missing && skip "$print_queue_missing"
rig_prepare 60-print-e2e "$exe"
start_print_queue || exit 1
output=$print_output

# Rows 1-40 of the sample design: two sheets of rows. On a private display, so that the rig
# also looks at the real print dialog (print_dialog.png among the screenshots).
TAVOLIN_RIG_FROM=1 TAVOLIN_RIG_TO=40 TAVOLIN_RIG_DISPLAY=1 tavolin_with_xvfb tavolin_wine "$exe" 2>&1 |
  tee "$work/rig.out"
status=${PIPESTATUS[0]}
if [ "$status" -ne 0 ] || ! grep -q '^\[  PASSED  \]' "$work/rig.out"; then
  echo "print_rig.exe failed (status $status)"
  exit 1
fi
expected=$(sed -n 's/^expected pages \([0-9]*\).*/\1/p' "$work/rig.out" | tail -1)

# The job leaves the queue when the file is whole.
wait_for_print
if [ ! -s "$output" ]; then
  echo "no print output arrived:"
  lpstat -o 2>&1
  tail -20 "$work/cups/log/error_log" 2>/dev/null
  exit 1
fi
pages=$(grep -a '^%%Pages: [0-9]' "$output" | tail -1 | sed 's/[^0-9]//g')
echo "printed pages: ${pages:-none}, expected: ${expected:-none}"
if [ -z "$expected" ] || [ "$pages" != "$expected" ]; then
  echo "the printout does not hold the expected pages"
  exit 1
fi

mkdir -p "$shots"
rm -f "$shots"/print_page*.png
gs -q -dSAFER -dNOPAUSE -dBATCH -sDEVICE=png16m -r100 -o "$shots/print_page%d.png" "$output" || exit 1
[ -s "$shots/print_page1.png" ] || {
  echo "no picture of the first page"
  exit 1
}
echo "pictures: $shots/print_page1.png ... print_page$pages.png"
echo "printing end-to-end rig passed"
