#!/usr/bin/env bash
# Screenshots, for a person to look at (a screenshot is not a test).
#
#   scripts/screenshot.sh DISPLAY OUT.png
#       takes a screenshot of a whole X display into a PNG. A bare file name goes to
#       build/screenshots/ (or $TAVOLIN_BUILD/screenshots/); a name with a folder is used as
#       given. Prints the path of the PNG. Under a private Xvfb of scripts/wine_env.sh, pass
#       "$DISPLAY" (XAUTHORITY is exported there too).
#
#   scripts/screenshot.sh --shots [FILTER]
#       runs build/mingw/screenshots.exe (tests/win/*_shots.cpp: the frame, its menus,
#       toolbars and guide dialogs) under Wine on a private Xvfb; each picture it takes goes to
#       the screenshots folder through the first form. FILTER is a GoogleTest filter
#       ("FrameShots.*"). Build the Windows tree first (see README.md). Prints the folder.
set -euo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)

if [ "${1:-}" = --shots ]; then
  filter=${2:-*}
  exe=${TAVOLIN_MINGW_BUILD:-${TAVOLIN_BUILD:-$root/build}/mingw}/screenshots.exe
  if [ ! -f "$exe" ]; then
    echo "screenshot: $exe is not built (the Windows build)" >&2
    exit 1
  fi
  # shellcheck source=/dev/null
  source "$root/scripts/wine_env.sh"
  tavolin_wine_prepare
  status=0
  tavolin_with_xvfb "$TAVOLIN_WINE_LOADER" "$exe" --gtest_brief=1 --gtest_filter="$filter" || status=$?
  echo "${TAVOLIN_BUILD:-$root/build}/screenshots"
  exit "$status"
fi

if [ $# -ne 2 ]; then
  echo "usage: $0 DISPLAY OUT.png | $0 --shots [FILTER]" >&2
  exit 2
fi
display=$1
out=$2
case "$out" in
  */*) ;;
  *) out=${TAVOLIN_BUILD:-$root/build}/screenshots/$out ;;
esac
case "$out" in
  *.png) ;;
  *) out=$out.png ;;
esac
mkdir -p "$(dirname "$out")"
if ! command -v import >/dev/null 2>&1; then
  echo "screenshot: ImageMagick's import is missing (run scripts/setup)" >&2
  exit 1
fi
DISPLAY=$display import -window root "png:$out"
echo "$out"
