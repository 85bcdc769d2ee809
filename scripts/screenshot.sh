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
#
#   scripts/screenshot.sh --gallery
#       makes the README's pictures of every screen and dialog, docs/screens/*.png: the
#       pictures of screenshots.exe (Gallery.*, the guides, the compile-error list) and, from
#       scripts/test.d/80-main-road.sh, the monitor screen live against the board simulator
#       and a printed page from the print rig (the printed page only as root, where the
#       rig's private print queue can run). Each picture is made smaller (ImageMagick) before
#       it goes into docs/screens/. Needs the Windows build and the native board_simulator.
set -euo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)

if [ "${1:-}" = --gallery ]; then
  build=${TAVOLIN_BUILD:-$root/build}
  shots=$build/screenshots
  docs=$root/docs/screens
  mkdir -p "$docs"
  status=0
  "$0" --shots 'Gallery.*:Screenshots.GuideDialogs:CompileShots.*' >/dev/null || status=$?
  bash "$root/scripts/test.d/80-main-road.sh" >"$build/gallery-road.log" 2>&1 || {
    echo "screenshot: the main-road walk failed or was skipped (see $build/gallery-road.log)" >&2
    status=1
  }
  # picture in build/screenshots -> name in docs/screens
  while read -r from to; do
    if [ ! -s "$shots/$from.png" ]; then
      echo "screenshot: no picture $from" >&2
      status=1
      continue
    fi
    convert "$shots/$from.png" -resize 1024x -colors 192 "PNG8:$docs/$to.png"
  done <<'LIST'
road_01_first_start first_start_guide
screen_design_sample1 design_sample1
screen_design_sample_singou1 design_sample_singou1
dialog_number_entry number_entry
dialog_comment device_comment
dialog_function_picker function_picker
dialog_search search_compact
dialog_search_list search_list
dialog_replace replace
design_compile_errors design_compile_errors
screen_mnemonic mnemonic
dialog_mnemonic_errors mnemonic_compile_errors
dialog_com com_dialog
screen_operation_check operation_check
road_06_monitor monitor_live
guide_design guide_design
guide_monitor guide_monitor
guide_pin_view guide_pin_view
LIST
  if [ -s "$shots/road_print_page1.png" ]; then
    convert "$shots/road_print_page1.png" -resize 700x -colors 64 "PNG8:$docs/printed_page.png"
  else
    echo "screenshot: no printed page (the print rig runs as root only)" >&2
  fi
  echo "$docs"
  exit "$status"
fi

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
  echo "usage: $0 DISPLAY OUT.png | $0 --shots [FILTER] | $0 --gallery" >&2
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
