# The rig the end-to-end scripts of scripts/test.d share; source it, then call
#   rig_prepare NAME FILE...        skips (exit 77) unless every FILE is built, sources the Wine
#                                   environment, prepares the test prefix and makes the fresh
#                                   scratch folder $work ($TAVOLIN_WORK, else build/test.d/NAME)
#   board_rig_prepare NAME FILE...  the same, and also needs the board simulator; builds the
#                                   modem-status shim ($shim) and stops every board, unmaps
#                                   its port and stops Wine when the script exits
#   print_queue_missing             true, with the reason in $print_queue_missing, when a private
#                                   print queue cannot be had (CUPS, cups-pdf, ghostscript, root)
#   start_print_queue               a private CUPS scheduler (configuration, spool, socket and logs
#                                   in $work/cups, reached through CUPS_SERVER) whose one queue
#                                   $print_queue, the prefix's default printer, writes its
#                                   PostScript into $print_output; stopped when the script exits
#   wait_for_print                  true once that file is whole
#   start_board NAME SLOT ARGS...   a board simulator (ARGS are its options) serving a pty,
#                                   mapped to COM<SLOT>; $work/NAME is its link, $work/NAME.out
#                                   its output, $board_pty its pty
#   rig_passed WHAT STATUS OUT      exits 1 (saying so) unless the test program WHAT ended
#                                   with STATUS 0 and its output OUT shows every test run and passed
#
# A pty has no modem lines, so Wine's GetCommModemStatus fails on it; the LD_PRELOAD shim
# tests/tools/modem_shim.c answers those ioctls on ptys only, like a null-modem cable. It is
# built for the bitness Wine's serial code runs in: 64-bit, like the program.
#
# The variables it sets: root (the source tree, also the current folder), build, native,
# mingw, shots, wine_env, simulator, work, shim. Works from scripts/test (which exports the
# build folders and the prepared prefix) and by hand from the source root.

root=${TAVOLIN_ROOT:-$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)}
cd "$root" || exit 1
build=${TAVOLIN_BUILD:-$root/build}
native=${TAVOLIN_NATIVE_BUILD:-$build/native}
mingw=${TAVOLIN_MINGW_BUILD:-$build/mingw}
shots=${TAVOLIN_SCREENSHOTS:-$build/screenshots}
wine_env=${TAVOLIN_WINE_ENV:-$root/scripts/wine_env.sh}
simulator=$native/board_simulator
work=
shim=

skip() {
  echo "skipped: $*"
  exit 77
}

[ -f "$wine_env" ] || skip "$wine_env is missing"
# shellcheck source=/dev/null
source "$wine_env"

rig_prepare() {
  local name=$1 file
  shift
  for file in "$@"; do
    [ -f "$file" ] || skip "$file is not built (mingw build)"
  done
  [ -n "${WINEPREFIX:-}" ] || tavolin_wine_use test
  tavolin_wine_prepare || exit 1
  work=${TAVOLIN_WORK:-$build/test.d/$name}
  rm -rf "$work"
  mkdir -p "$work"
}

board_pids=()
board_slots=()
board_rig_cleanup() {
  local n pid
  tavolin_wine_stop
  stop_print_queue
  for n in "${board_slots[@]}"; do tavolin_wine_unmap_com_port "$n" >/dev/null 2>&1; done
  for pid in "${board_pids[@]}"; do
    kill "$pid" 2>/dev/null
    wait "$pid" 2>/dev/null
  done
}

board_rig_prepare() {
  [ -x "$simulator" ] || skip "$simulator is not built (native build)"
  rig_prepare "$@"
  mkdir -p "$work/shim"
  shim=$work/shim/modem_shim.so
  gcc -shared -fPIC -O2 -Wall -o "$shim" tests/tools/modem_shim.c -ldl || exit 1
  trap board_rig_cleanup EXIT
}

board_pty=
start_board() {
  local name=$1 n=$2 pid i
  shift 2
  "$simulator" --link "$work/$name" "$@" >"$work/$name.out" 2>&1 &
  pid=$!
  board_pids+=("$pid")
  board_pty=
  for i in $(seq 50); do
    board_pty=$(sed -n 's/^ready //p' "$work/$name.out")
    [ -n "$board_pty" ] && break
    kill -0 "$pid" 2>/dev/null || break
    sleep 0.1
  done
  if [ -z "$board_pty" ]; then
    echo "the $name board simulator did not start:"
    cat "$work/$name.out"
    exit 1
  fi
  echo "$name board on $board_pty (COM$n)"
  board_slots+=("$n")
  tavolin_wine_map_com_port "$n" "$board_pty" || exit 1
}

print_ppd=/usr/share/ppd/cups-pdf/CUPS-PDF_opt.ppd
print_queue=TAVOLIN_PRINT_TEST
print_output=
cupsd_pid=
print_queue_missing() {
  print_queue_missing=
  if ! command -v cupsd >/dev/null 2>&1; then
    print_queue_missing="cupsd is missing (scripts/setup installs cups)"
  elif ! command -v lpadmin >/dev/null 2>&1; then
    print_queue_missing="lpadmin is missing (cups-client)"
  elif ! command -v gs >/dev/null 2>&1; then
    print_queue_missing="gs is missing (ghostscript)"
  elif [ ! -f "$print_ppd" ]; then
    print_queue_missing="$print_ppd is missing (printer-driver-cups-pdf)"
  elif [ "$(id -u)" -ne 0 ]; then
    print_queue_missing="the scheduler runs as root (it drops to the lp user for its filters)"
  fi
  [ -n "$print_queue_missing" ]
}

stop_print_queue() {
  if [ -n "$cupsd_pid" ]; then
    kill "$cupsd_pid" 2>/dev/null
    wait "$cupsd_pid" 2>/dev/null
  fi
  cupsd_pid=
}

start_print_queue() {
  [ -n "$work" ] || return 1
  local cups=$work/cups
  mkdir -p "$cups/etc/ppd" "$cups/spool/tmp" "$cups/cache" "$cups/state" "$cups/log" "$cups/run" "$work/out"
  chown -R lp "$cups/spool" "$cups/cache" "$work/out"
  chmod 777 "$cups/run" "$work/out"
  print_output=$work/out/print.ps
  printf '%s\n' "Listen $cups/run/cups.sock" "LogLevel warn" "WebInterface No" "Browsing No" \
    "DefaultAuthType None" "<Location />" "  Order allow,deny" "  Allow all" "</Location>" \
    "<Policy default>" "  <Limit All>" "    Order deny,allow" "  </Limit>" "</Policy>" >"$cups/etc/cupsd.conf"
  printf '%s\n' "ServerRoot $cups/etc" "RequestRoot $cups/spool" "TempDir $cups/spool/tmp" \
    "CacheDir $cups/cache" "StateDir $cups/state" "AccessLog $cups/log/access_log" \
    "ErrorLog $cups/log/error_log" "PageLog $cups/log/page_log" "FileDevice Yes" "User lp" \
    "Group lp" >"$cups/etc/cups-files.conf"
  trap board_rig_cleanup EXIT
  cupsd -f -c "$cups/etc/cupsd.conf" -s "$cups/etc/cups-files.conf" >"$cups/log/cupsd.out" 2>&1 &
  cupsd_pid=$!
  export CUPS_SERVER=$cups/run/cups.sock
  local i
  for i in $(seq 50); do
    [ -S "$CUPS_SERVER" ] && break
    kill -0 "$cupsd_pid" 2>/dev/null || break
    sleep 0.1
  done
  if [ ! -S "$CUPS_SERVER" ]; then
    echo "the CUPS scheduler did not start:"
    cat "$cups/log/cupsd.out" "$cups/log/error_log" 2>/dev/null
    return 1
  fi
  lpadmin -p "$print_queue" -E -v "file://$print_output" -P "$print_ppd" 2>/dev/null || return 1
  lpadmin -d "$print_queue" || return 1
  echo "print queue $print_queue writes $print_output"
}

# wait_for_print: true once the queue has written its file whole.
wait_for_print() {
  local i
  for i in $(seq 300); do
    [ -s "$print_output" ] && [ -z "$(lpstat -o "$print_queue" 2>/dev/null)" ] && return 0
    sleep 0.1
  done
  [ -s "$print_output" ]
}

rig_passed() {
  if [ "$2" -ne 0 ]; then
    echo "$1 failed (status $2)"
    exit 1
  fi
  if grep -q '^\[  SKIPPED \]' "$3" || ! grep -q '^\[  PASSED  \]' "$3"; then
    echo "$1: the tests did not all run"
    exit 1
  fi
}
