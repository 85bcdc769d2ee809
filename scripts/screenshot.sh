#!/usr/bin/env bash
# Takes a screenshot of a whole X display into a PNG:
#   scripts/screenshot.sh DISPLAY OUT.png
# A bare file name goes to build/screenshots/ (or $TAVOLIN_BUILD/screenshots/); a name with a
# folder is used as given. Prints the path of the PNG. Under a private Xvfb of
# scripts/wine_env.sh, pass "$DISPLAY" (XAUTHORITY is exported there too).
set -euo pipefail

if [ $# -ne 2 ]; then
  echo "usage: $0 DISPLAY OUT.png" >&2
  exit 2
fi
display=$1
out=$2
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
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
