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
ppd=/usr/share/ppd/cups-pdf/CUPS-PDF_opt.ppd
queue=TAVOLIN_PRINT_TEST

[ -f "$mingw/dabu42QX.dll" ] || skip "the printing library is not built (mingw build)"
command -v cupsd >/dev/null 2>&1 || skip "cupsd is missing (scripts/setup installs cups)"
command -v lpadmin >/dev/null 2>&1 || skip "lpadmin is missing (cups-client)"
command -v gs >/dev/null 2>&1 || skip "gs is missing (ghostscript)"
[ -f "$ppd" ] || skip "$ppd is missing (printer-driver-cups-pdf)"
[ "$(id -u)" -eq 0 ] || skip "the scheduler runs as root (it drops to the lp user for its filters)"
rig_prepare 60-print-e2e "$exe"

cups=$work/cups
mkdir -p "$cups/etc/ppd" "$cups/spool/tmp" "$cups/cache" "$cups/state" "$cups/log" "$cups/run" "$work/out"
chown -R lp "$cups/spool" "$cups/cache" "$work/out"
chmod 777 "$cups/run" "$work/out"
output=$work/out/print.ps

cat >"$cups/etc/cupsd.conf" <<EOF
Listen $cups/run/cups.sock
LogLevel warn
WebInterface No
Browsing No
DefaultAuthType None
<Location />
  Order allow,deny
  Allow all
</Location>
<Policy default>
  <Limit All>
    Order deny,allow
  </Limit>
</Policy>
EOF
cat >"$cups/etc/cups-files.conf" <<EOF
ServerRoot $cups/etc
RequestRoot $cups/spool
TempDir $cups/spool/tmp
CacheDir $cups/cache
StateDir $cups/state
AccessLog $cups/log/access_log
ErrorLog $cups/log/error_log
PageLog $cups/log/page_log
FileDevice Yes
User lp
Group lp
EOF

cupsd_pid=
cleanup() {
  tavolin_wine_stop
  if [ -n "$cupsd_pid" ]; then
    kill "$cupsd_pid" 2>/dev/null
    wait "$cupsd_pid" 2>/dev/null
  fi
}
trap cleanup EXIT

cupsd -f -c "$cups/etc/cupsd.conf" -s "$cups/etc/cups-files.conf" >"$cups/log/cupsd.out" 2>&1 &
cupsd_pid=$!
export CUPS_SERVER=$cups/run/cups.sock
for _ in $(seq 50); do
  [ -S "$CUPS_SERVER" ] && break
  kill -0 "$cupsd_pid" 2>/dev/null || break
  sleep 0.1
done
if [ ! -S "$CUPS_SERVER" ]; then
  echo "the CUPS scheduler did not start:"
  cat "$cups/log/cupsd.out" "$cups/log/error_log" 2>/dev/null
  exit 1
fi
lpadmin -p "$queue" -E -v "file://$output" -P "$ppd" 2>/dev/null || exit 1
lpadmin -d "$queue" || exit 1
echo "print queue $queue writes $output"

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
for _ in $(seq 300); do
  [ -s "$output" ] && [ -z "$(lpstat -o "$queue" 2>/dev/null)" ] && break
  sleep 0.1
done
if [ ! -s "$output" ]; then
  echo "no print output arrived:"
  lpstat -o 2>&1
  tail -20 "$cups/log/error_log" 2>/dev/null
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
