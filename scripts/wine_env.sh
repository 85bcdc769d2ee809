# Wine and display set-up for every script that runs a Windows program. Source it, don't run it:
#   source scripts/wine_env.sh            # the test prefix (build/wineprefix)
#   tavolin_wine_use run                  # or the prefix of scripts/run (build/wineprefix-run)
#
# Before sourcing you may set
#   TAVOLIN_BUILD       the build folder (default: build/ in the source tree)
#   TAVOLIN_WINEDEBUG   a WINEDEBUG value for hunting a Wine problem (default: -all)
#
# After sourcing these are exported:
#   TAVOLIN_ROOT TAVOLIN_BUILD TAVOLIN_WINE_KIND WINEPREFIX WINEDEBUG WINEDLLOVERRIDES
#   TAVOLIN_WINE_LOADER (the 64-bit Wine loader: run a Windows program as "$TAVOLIN_WINE_LOADER" EXE)
#   WINELOADER (the same, for the programs Wine starts itself)
#
# Functions (each returns non-zero on failure):
#   tavolin_wine_use test|run         choose the prefix ("test" when sourced)
#   tavolin_wine_prepare              create and configure the prefix, once (later calls are quick)
#   tavolin_wine EXE [ARGS...]        run a Windows program under Wine, with its exit status
#   tavolin_wine_stop                 stop the prefix's wineserver and every Wine process in it
#   tavolin_wine_map_com_port N PATH  make COMn open PATH (an existing pty, say); waits until no Wine
#                                     program of the prefix runs (Wine reads the mapping at start)
#   tavolin_wine_unmap_com_port N     close COMn again
#   tavolin_with_xvfb CMD [ARGS...]   run CMD on a private Xvfb (DISPLAY set), stop it afterwards
#   tavolin_xvfb_start / tavolin_xvfb_stop
#                                     the same in two steps, for a rig that needs the display
#                                     while it does several things (the first exports DISPLAY and
#                                     TAVOLIN_XVFB_PID)
#
# The prefixes live inside the build folder and never touch ~/.wine. Both map the Japanese UI fonts
# to IPAGothic (otherwise Japanese text shows as boxes). The test prefix also maps every port from
# COM1 to COM255 to an empty folder, so that no test ever opens a real serial device: Wine maps
# /dev/ttyS*, /dev/ttyUSB* and /dev/ttyACM* to the first free COM numbers at every start, unless
# HKLM\Software\Wine\Ports names a path for that number. An empty value is not enough: the number
# then opens a dummy device that accepts CreateFile. A folder makes CreateFile fail. (Wine cannot
# be told about COM256 and above; the first real device lands there.)

TAVOLIN_ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
TAVOLIN_BUILD=${TAVOLIN_BUILD:-$TAVOLIN_ROOT/build}
export TAVOLIN_ROOT TAVOLIN_BUILD
export WINEDEBUG=${TAVOLIN_WINEDEBUG:--all}
# No Mono or Gecko install prompts on a fresh prefix.
export WINEDLLOVERRIDES="mscoree,mshtml="
# The prefix records its own architecture (ours are 64-bit); a WINEARCH from outside would clash.
unset WINEARCH

# The program and its tests are 64-bit, and so is every Wine process here: the 64-bit loader is
# called directly. The Debian `wine` wrapper picks the 32-bit loader whenever 32-bit Wine happens to be
# installed, and some kernels cannot run 32-bit programs at all.
_tavolin_find_wine_loader() {
  local candidate
  for candidate in /usr/lib/wine/wine64 /usr/lib/x86_64-linux-gnu/wine/wine64 /opt/wine-stable/bin/wine64 \
    "$(command -v wine64 2>/dev/null)"; do
    [ -n "$candidate" ] && [ -x "$candidate" ] && { printf '%s' "$candidate"; return 0; }
  done
  printf '%s' /usr/lib/wine/wine64
  return 1
}
TAVOLIN_WINE_LOADER=${TAVOLIN_WINE_LOADER:-$(_tavolin_find_wine_loader)}
export TAVOLIN_WINE_LOADER WINELOADER=$TAVOLIN_WINE_LOADER

# Bumped whenever the configuration below changes, so that existing prefixes are configured again.
TAVOLIN_WINE_CONFIG_VERSION=3
TAVOLIN_WINE_FONTS=("Tahoma" "MS Shell Dlg" "MS Shell Dlg 2" "MS UI Gothic" "MS Gothic" "ＭＳ ゴシック" "Arial" "Courier New")
# The proportional face of the guide dialogs and the COM list.
TAVOLIN_WINE_PROPORTIONAL_FONTS=("MS PGothic" "ＭＳ Ｐゴシック")
TAVOLIN_WINE_LAST_PORT=255

tavolin_wine_use() {
  case "${1:-}" in
    test) export WINEPREFIX=$TAVOLIN_BUILD/wineprefix ;;
    run) export WINEPREFIX=$TAVOLIN_BUILD/wineprefix-run ;;
    *) echo "tavolin_wine_use: test or run" >&2; return 2 ;;
  esac
  export TAVOLIN_WINE_KIND=$1
}

# The folder that the closed ports of the test prefix point at.
_tavolin_no_port_dir() { printf '%s/no-serial-port' "$WINEPREFIX"; }

_tavolin_wine_reg_file() {
  # A .reg file in UTF-16 (with BOM), so that the full-width font name arrives intact
  # whatever the locale of the shell is.
  local out=$1 name n
  {
    printf 'Windows Registry Editor Version 5.00\r\n\r\n'
    printf '[HKEY_CURRENT_USER\\Software\\Wine\\Fonts\\Replacements]\r\n'
    for name in "${TAVOLIN_WINE_FONTS[@]}"; do
      printf '"%s"="IPAGothic"\r\n' "$name"
    done
    for name in "${TAVOLIN_WINE_PROPORTIONAL_FONTS[@]}"; do
      printf '"%s"="IPAPGothic"\r\n' "$name"
    done
    if [ "$TAVOLIN_WINE_KIND" = test ]; then
      # Without a window manager (Xvfb), Wine draws the captions and frames itself, so that
      # screenshots show whole windows. The prefix of scripts/run leaves them to the user's one.
      printf '\r\n[HKEY_CURRENT_USER\\Software\\Wine\\X11 Driver]\r\n"Decorated"="N"\r\n'
      # Unmanaged windows: without a window manager a managed top-level window makes Wine
      # wait about two seconds when it is destroyed.
      printf '"Managed"="N"\r\n'
      local dir
      dir=$(_tavolin_no_port_dir)
      dir=${dir//\\/\\\\}
      printf '\r\n[HKEY_LOCAL_MACHINE\\Software\\Wine\\Ports]\r\n'
      for ((n = 1; n <= TAVOLIN_WINE_LAST_PORT; n++)); do
        printf '"COM%d"="%s"\r\n' "$n" "$dir"
      done
    fi
  } | iconv -f UTF-8 -t UTF-16 >"$out"
}

_tavolin_wine_check_config() {
  # The registry files are text; non-ASCII names are stored as \x escapes.
  local fonts ports
  fonts=$(grep -c '="IPAGothic"$' "$WINEPREFIX/user.reg" 2>/dev/null || true)
  if [ "${fonts:-0}" -lt "${#TAVOLIN_WINE_FONTS[@]}" ]; then
    echo "wine_env: font replacements missing in $WINEPREFIX/user.reg" >&2
    return 1
  fi
  if [ "$TAVOLIN_WINE_KIND" = test ]; then
    ports=$(grep -c '^"COM[0-9]*"="' "$WINEPREFIX/system.reg" 2>/dev/null || true)
    if [ "${ports:-0}" -lt "$TAVOLIN_WINE_LAST_PORT" ]; then
      echo "wine_env: closed COM ports missing in $WINEPREFIX/system.reg" >&2
      return 1
    fi
  fi
}

_tavolin_wine_prepare_locked() {
  local marker=$WINEPREFIX/.tavolin-configured
  local want="kind=$TAVOLIN_WINE_KIND version=$TAVOLIN_WINE_CONFIG_VERSION"
  [ "$TAVOLIN_WINE_KIND" = test ] && mkdir -p "$(_tavolin_no_port_dir)"
  if [ -f "$marker" ] && [ "$(cat "$marker")" = "$want" ]; then
    return 0
  fi
  if [ ! -x "$TAVOLIN_WINE_LOADER" ]; then
    echo "wine_env: 64-bit Wine is not installed (run scripts/setup)" >&2
    return 1
  fi
  # A prefix made by an older, 32-bit set-up cannot run the 64-bit programs: make it anew.
  if [ -f "$WINEPREFIX/system.reg" ] && ! grep -q '^#arch=win64' "$WINEPREFIX/system.reg"; then
    echo "wine_env: $WINEPREFIX is not a 64-bit prefix; making it anew"
    WINEPREFIX=$WINEPREFIX wineserver -k >/dev/null 2>&1
    rm -rf "$WINEPREFIX"
  fi
  if [ ! -f "$WINEPREFIX/system.reg" ]; then
    echo "wine_env: creating the Wine prefix $WINEPREFIX (once, about 15 s)"
    mkdir -p "$(dirname "$WINEPREFIX")"
    # A 64-bit prefix, started through the 64-bit loader (never the 32-bit one).
    # A Wine without its 32-bit half cannot start syswow64's rundll32.exe during the first boot
    # and says so on every new prefix; the 64-bit prefix is whole all the same, so that one line
    # is left out of what a user reads.
    local boot_log=$WINEPREFIX.boot.log status
    WINEARCH=win64 "$TAVOLIN_WINE_LOADER" wineboot -i </dev/null >"$boot_log" 2>&1
    status=$?
    grep -v -E 'failed to open .*syswow64.*rundll32\.exe' "$boot_log"
    rm -f "$boot_log"
    if [ "$status" -ne 0 ]; then
      echo "wine_env: wineboot failed for $WINEPREFIX" >&2
      return 1
    fi
    wineserver -w
    if [ ! -f "$WINEPREFIX/system.reg" ]; then
      echo "wine_env: $WINEPREFIX was not created" >&2
      return 1
    fi
  fi
  echo "wine_env: configuring $WINEPREFIX ($TAVOLIN_WINE_KIND prefix)"
  [ "$TAVOLIN_WINE_KIND" = test ] && mkdir -p "$(_tavolin_no_port_dir)"
  # Wine draws the caption buttons with Marlett, which this Wine does not find in its own data
  # folder. (Its other fonts stay out: an installed Tahoma would defeat the replacement above.)
  local marlett=/usr/share/wine/fonts/marlett.ttf fonts=$WINEPREFIX/drive_c/windows/Fonts
  if [ -f "$marlett" ] && [ -d "$fonts" ] && [ ! -f "$fonts/marlett.ttf" ]; then
    cp "$marlett" "$fonts/marlett.ttf"
  fi
  local reg=$WINEPREFIX/tavolin-config.reg
  _tavolin_wine_reg_file "$reg" || return 1
  # Z: is the Unix root in every prefix.
  if ! "$TAVOLIN_WINE_LOADER" reg import "Z:$reg" </dev/null >/dev/null; then
    echo "wine_env: importing $reg failed" >&2
    return 1
  fi
  # The serial port mapping is read when Wine starts: let this session end first.
  wineserver -w
  _tavolin_wine_check_config || return 1
  printf '%s\n' "$want" >"$marker"
}

tavolin_wine_prepare() {
  [ -n "${WINEPREFIX:-}" ] || tavolin_wine_use test || return 1
  mkdir -p "$TAVOLIN_BUILD" || return 1
  # One preparation at a time per prefix (scripts/test prepares in the background while it builds).
  (
    flock 9 || exit 1
    _tavolin_wine_prepare_locked
  ) 9>"$WINEPREFIX.lock"
}

tavolin_wine() {
  tavolin_wine_prepare || return 1
  "$TAVOLIN_WINE_LOADER" "$@"
}

tavolin_wine_stop() {
  [ -n "${WINEPREFIX:-}" ] && [ -d "$WINEPREFIX" ] || return 0
  wineserver -k >/dev/null 2>&1
  # wineserver -k returns at once; wait until the server is really gone.
  wineserver -w >/dev/null 2>&1
  return 0
}

tavolin_wine_map_com_port() {
  local n=${1:-} path=${2:-}
  if ! [[ "$n" =~ ^[0-9]+$ ]] || [ "$n" -lt 1 ] || [ "$n" -gt "$TAVOLIN_WINE_LAST_PORT" ] || [ -z "$path" ]; then
    echo "tavolin_wine_map_com_port: N (1..$TAVOLIN_WINE_LAST_PORT) PATH" >&2
    return 2
  fi
  # Wine resolves the path when a program opens the port; if it is gone by then, COMn opens a
  # dummy device that fails every call after CreateFile. So the path must exist already.
  if [ ! -e "$path" ]; then
    echo "tavolin_wine_map_com_port: $path does not exist (start the pty first)" >&2
    return 1
  fi
  tavolin_wine_prepare || return 1
  "$TAVOLIN_WINE_LOADER" reg add 'HKLM\Software\Wine\Ports' /v "COM$n" /t REG_SZ /d "$path" /f </dev/null >/dev/null || return 1
  # Wine reads the mapping when it starts: wait for this session to end.
  wineserver -w
}

tavolin_wine_unmap_com_port() {
  local n=${1:-}
  if ! [[ "$n" =~ ^[0-9]+$ ]] || [ "$n" -lt 1 ] || [ "$n" -gt "$TAVOLIN_WINE_LAST_PORT" ]; then
    echo "tavolin_wine_unmap_com_port: N (1..$TAVOLIN_WINE_LAST_PORT)" >&2
    return 2
  fi
  tavolin_wine_prepare || return 1
  if [ "$TAVOLIN_WINE_KIND" = test ]; then
    "$TAVOLIN_WINE_LOADER" reg add 'HKLM\Software\Wine\Ports' /v "COM$n" /t REG_SZ /d "$(_tavolin_no_port_dir)" /f </dev/null >/dev/null || return 1
  else
    "$TAVOLIN_WINE_LOADER" reg delete 'HKLM\Software\Wine\Ports' /v "COM$n" /f </dev/null >/dev/null 2>&1
  fi
  wineserver -w
}

tavolin_xvfb_start() {
  if [ -n "${TAVOLIN_XVFB_PID:-}" ]; then
    echo "tavolin_xvfb_start: an Xvfb of this shell is already running (pid $TAVOLIN_XVFB_PID)" >&2
    return 1
  fi
  command -v Xvfb >/dev/null 2>&1 || { echo "tavolin_xvfb_start: Xvfb is not installed (run scripts/setup)" >&2; return 1; }
  local dir
  dir=$(mktemp -d "${TMPDIR:-/tmp}/tavolin-xvfb.XXXXXX") || return 1
  # Xvfb picks a free display itself (-displayfd), so parallel runs never race for a number.
  # Access needs a cookie: the server reads every cookie of its file, the clients look theirs
  # up by display number once it is known.
  local cookie
  cookie=$(od -An -N16 -tx1 /dev/urandom | tr -d ' \n')
  xauth -q -f "$dir/server.auth" add ":0" MIT-MAGIC-COOKIE-1 "$cookie" 2>/dev/null || { rm -rf "$dir"; return 1; }
  Xvfb -displayfd 3 -screen 0 1280x800x24 -nolisten tcp -auth "$dir/server.auth" \
    3>"$dir/display" >"$dir/xvfb.log" 2>&1 </dev/null &
  local pid=$! i
  for ((i = 0; i < 100; i++)); do
    grep -q '^[0-9]' "$dir/display" 2>/dev/null && break
    if ! kill -0 "$pid" 2>/dev/null; then
      echo "tavolin_xvfb_start: Xvfb did not start:" >&2
      cat "$dir/xvfb.log" >&2
      rm -rf "$dir"
      return 1
    fi
    sleep 0.1
  done
  local num
  num=$(head -n1 "$dir/display" | tr -d ' \n')
  if [ -z "$num" ]; then
    echo "tavolin_xvfb_start: Xvfb gave no display number" >&2
    kill "$pid" 2>/dev/null
    rm -rf "$dir"
    return 1
  fi
  xauth -q -f "$dir/client.auth" add ":$num" MIT-MAGIC-COOKIE-1 "$cookie" 2>/dev/null
  export DISPLAY=":$num" XAUTHORITY="$dir/client.auth" TAVOLIN_XVFB_PID=$pid TAVOLIN_XVFB_DIR=$dir
}

tavolin_xvfb_stop() {
  [ -n "${TAVOLIN_XVFB_PID:-}" ] || return 0
  kill "$TAVOLIN_XVFB_PID" 2>/dev/null
  wait "$TAVOLIN_XVFB_PID" 2>/dev/null
  rm -rf "${TAVOLIN_XVFB_DIR:-/nonexistent}"
  unset TAVOLIN_XVFB_PID TAVOLIN_XVFB_DIR DISPLAY XAUTHORITY
  return 0
}

tavolin_with_xvfb() {
  # A Wine session belongs to one display: none may outlive this Xvfb or come from before it.
  (
    set +e
    trap 'tavolin_wine_stop; tavolin_xvfb_stop' EXIT
    trap 'exit 143' TERM
    trap 'exit 130' INT
    tavolin_wine_stop
    tavolin_xvfb_start || exit 1
    "$@"
  )
}

# Keep the prefix a parent script chose; a WINEPREFIX from the user's own environment is never used.
case "${WINEPREFIX:-}" in
  "$TAVOLIN_BUILD/wineprefix-run") tavolin_wine_use run ;;
  *) tavolin_wine_use test ;;
esac
