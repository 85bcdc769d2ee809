#!/usr/bin/env bash
# Checks the direction of the tree's includes, so that a screen never reaches into another
# screen's window code:
#   core/     includes nothing of the other folders and never <windows.h>;
#   target/   (the link) includes nothing of the shell or the screens;
#   design/, mnemonic/, board/ (the screens) include no other screen's *_win.h, except the
#             design screen's pieces that every screen draws and searches with.
# Prints each include that breaks a rule and exits 1; prints one line and exits 0 otherwise.
set -uo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."

shared='design/(view_geometry_win|design_paint_win|element_pictures_win|search_dialogs_win)\.h'
broken=0
report() {  # report LABEL GREP-OUTPUT
  [ -n "$2" ] || return 0
  echo "$1:"
  printf '%s\n' "$2" | sed 's/^/  /'
  broken=1
}

report "core/ includes another folder or Win32" \
  "$(git grep -n -E '#include [<"](windows\.h|(shell|design|mnemonic|board|target)/)' -- 'core/*' || true)"
report "target/ includes the shell or a screen" \
  "$(git grep -n -E '#include "(shell|design|mnemonic|board)/' -- 'target/*' | grep -v 'shell/windows_api\.h' || true)"
for screen in design mnemonic board; do
  others=$(printf '%s\n' design mnemonic board | grep -v "^$screen$" | paste -sd'|')
  report "$screen/ includes another screen's window files" \
    "$(git grep -n -E "#include \"($others)/[a-z_]*_win\.h\"" -- "$screen/*" | grep -v -E "$shared" || true)"
done

if [ "$broken" -ne 0 ]; then
  exit 1
fi
echo "layers: core below everything, the link below the shell, no screen in another's window files"
