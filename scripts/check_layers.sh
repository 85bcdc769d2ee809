#!/usr/bin/env bash
# Checks the direction of the tree's includes. The program's folders are layers, lowest first:
#   core/      the ladder program core: includes nothing of the other folders;
#   target/    the link to the board: includes only the core (and itself);
#   shell/     the services the screens use: includes no screen (design/, mnemonic/, board/)
#              and nothing of frame/;
#   design/, mnemonic/, board/   the screens: include nothing of frame/ and no other screen's
#              window files (*_win.h), except the design screen's pieces every screen draws and
#              searches with (view_geometry_win, design_paint_win, element_pictures_win,
#              search_dialogs_win);
#   frame/     the frame on top: the only folder that includes the screens' window headers;
#   printer/   the printing library: draws with the same shared design pieces and the
#              services, and includes nothing of frame/ and no other screen window file.
# <windows.h> is included by target/windows_api.h alone, in every folder of the program (the
# test programs under tests/ and scripts/rig/ are outside these rules).
# Prints each include that breaks a rule and exits 1; prints one line and exits 0 otherwise.
set -uo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."

folders=(core target shell design mnemonic board frame printer)
shared='"design/(view_geometry_win|design_paint_win|element_pictures_win|search_dialogs_win)\.h"'

# Every include of the program's folders as "file:line:#include <name>" or '... "name"', each
# named as the compiler finds it: a quoted path with "." or ".." steps taken from the file's
# own folder, a program folder in angle brackets (found through the include path) as the
# quoted name, <windows.h> in any spelling as <windows.h>; the line as written follows in
# "(written ...)" when it differs. An include by a macro keeps its macro: a rule below
# refuses it, since no rule can read where it points.
includes=$(git grep -n -E '^[[:space:]]*#[[:space:]]*include' -- "${folders[@]}" |
  awk -v folders="$(IFS='|'; echo "${folders[*]}")" '
    function collapse(path,   n, parts, out, k, i) {
      n = split(path, parts, "/"); k = 0
      for (i = 1; i <= n; ++i) {
        if (parts[i] == "." || parts[i] == "") continue
        if (parts[i] == ".." && k > 0 && out[k] != "..") { --k; continue }
        out[++k] = parts[i]
      }
      path = ""
      for (i = 1; i <= k; ++i) path = path (i > 1 ? "/" : "") out[i]
      return path
    }
    {
      colon1 = index($0, ":"); file = substr($0, 1, colon1 - 1)
      rest = substr($0, colon1 + 1); colon2 = index(rest, ":")
      where = file ":" substr(rest, 1, colon2 - 1) ":"
      text = substr(rest, colon2 + 1)
      sub(/^[[:space:]]*#[[:space:]]*include[[:space:]]*/, "", text)
      opener = substr(text, 1, 1)
      if (opener == "\"" || opener == "<") {
        closer = opener == "<" ? ">" : "\""
        end = index(substr(text, 2), closer)
        name = end > 0 ? substr(text, 2, end - 1) : substr(text, 2)
        written = "#include " opener name closer
        if (tolower(name) == "windows.h") { shown = "#include <windows.h>" }
        else if (opener == "\"") {
          if (name ~ /^\.\.?\//) { dir = file; sub(/\/[^\/]*$/, "", dir); name = dir "/" name }
          if (name ~ /(^|\/)\.\.?\//) name = collapse(name)
          shown = "#include \"" name "\""
        } else if (name ~ ("^(" folders ")/")) { shown = "#include \"" collapse(name) "\"" }
        else { shown = written }
      } else {
        name = text; sub(/[[:space:]]*(\/[\/*].*)?$/, "", name)
        written = "#include " name; shown = written
      }
      print where shown (shown != written ? " (written " written ")" : "")
    }') || { echo "the includes could not be read"; exit 2; }

broken=0
report() {  # report LABEL LINES
  [ -n "$2" ] || return 0
  echo "$1:"
  printf '%s\n' "$2" | sed 's/^/  /'
  broken=1
}
# from FOLDER...: the includes made by files of these folders
from() {
  local pattern
  pattern="^($(IFS='|'; echo "$*"))/"
  printf '%s\n' "$includes" | grep -E "$pattern" || true
}
# naming REGEX: the includes (read from stdin) of a name matching REGEX (with its < or ")
naming() { grep -E ":#include $1" || true; }

report "an include by a macro (the check cannot tell where it points)" \
  "$(printf '%s\n' "$includes" | grep -E ':#include [^<"]' || true)"
report "<windows.h> included elsewhere than target/windows_api.h" \
  "$(printf '%s\n' "$includes" | naming '<windows\.h>' | grep -v '^target/windows_api\.h:' || true)"
report "core/ includes another folder" \
  "$(from core | naming '"[^"/]+/' | grep -v -E ':#include "core/' || true)"
report "target/ includes more than the core" \
  "$(from target | naming '"[^"/]+/' | grep -v -E ':#include "(core|target)/' || true)"
report "shell/ includes a screen or the frame" \
  "$(from shell | naming '"(design|mnemonic|board|frame|printer)/')"
report "a screen includes the frame" \
  "$(from design mnemonic board | naming '"frame/' || true)"
for screen in design mnemonic board; do
  others=$(printf '%s\n' design mnemonic board | grep -v "^$screen$" | paste -sd'|')
  report "$screen/ includes another screen's window files" \
    "$(from "$screen" | naming "\"($others)/[^\"]*_win\.h\"" | grep -v -E ":#include $shared" || true)"
done
report "printer/ includes the frame or a screen's window files" \
  "$(from printer | naming '"(frame/|(design|mnemonic|board)/[^"]*_win\.h")' | grep -v -E ":#include $shared" || true)"

if [ "$broken" -ne 0 ]; then
  exit 1
fi
echo "layers: core, target, shell, the screens, frame on top; no screen in another's window files;" \
  "<windows.h> through target/windows_api.h alone"
