#!/usr/bin/env bash
# The layer check's own test: in a scratch copy of the program's folders it plants one include
# of each forbidden kind, one at a time, and asserts that scripts/check_layers.sh fails and
# names the planted line under the rule it breaks; then it plants includes the layers allow,
# all at once, and asserts that the check passes. The tree itself is never written.
#   scripts/check_layers_test.sh
set -uo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)

scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
# The folders as the index lists them, with their content in the working tree, and the check.
(cd "$root" && git ls-files -z -- core target shell design mnemonic board frame printer scripts/check_layers.sh |
  tar -cf - --null -T -) | tar -xf - -C "$scratch"
git -C "$scratch" init -q && git -C "$scratch" add -A || { echo "the scratch copy could not be made"; exit 1; }

check() { (cd "$scratch" && scripts/check_layers.sh 2>&1); }
failures=0
fail() { echo "FAIL $*"; failures=$((failures + 1)); }

out=$(check) || { fail "the unplanted copy does not pass:"; printf '%s\n' "$out"; exit 1; }

# Forbidden includes: the rule's label (as the check prints it) | the file | the line planted.
forbidden=(
  'core/ includes another folder|core/cell_text.cpp|#include "target/monitor_protocol.h"'
  'core/ includes another folder|core/notice.h|#include "shell/documents.h"'
  '<windows.h> included elsewhere|core/ladder_model.h|#include <windows.h>'
  'target/ includes more than the core|target/poll_cadence.cpp|#include "shell/mode_flags.h"'
  'target/ includes more than the core|target/monitor_protocol.h|#include "design/undo_ring.h"'
  '<windows.h> included elsewhere|target/serial_port_win.cpp|#include <windows.h>'
  '<windows.h> included elsewhere|shell/message_box_win.cpp|#include <windows.h>'
  'shell/ includes a screen or the frame|shell/compile_chain.cpp|#include "design/design_window_win.h"'
  'shell/ includes a screen or the frame|shell/documents.cpp|#include "mnemonic/mnemonic_editor.h"'
  'shell/ includes a screen or the frame|shell/window_lists.h|#include "board/monitor_view.h"'
  'shell/ includes a screen or the frame|shell/settings_win.cpp|#include "frame/frame_win.h"'
  'a screen includes the frame|design/undo_ring.cpp|#include "frame/frame_win.h"'
  'a screen includes the frame|board/monitor_view.cpp|#include "frame/one_click.h"'
  'a screen includes the frame|board/com_dialog.cpp|#include "frame/frame_commands_win.h"'
  'a screen includes the frame|mnemonic/mnemonic_window_win.cpp|#include "frame/frame_win.h"'
  "mnemonic/ includes another screen's window files|mnemonic/mnemonic_editor.cpp|#include \"board/monitor_window_win.h\""
  "mnemonic/ includes another screen's window files|mnemonic/mnemonic_search_win.cpp|#include \"design/design_window_win.h\""
  "board/ includes another screen's window files|board/monitor_window_win.cpp|#include \"mnemonic/mnemonic_window_win.h\""
  "design/ includes another screen's window files|design/design_window_win.h|#include \"board/com_dialog_win.h\""
  '<windows.h> included elsewhere|frame/entry_win.cpp|#include <windows.h>'
  'printer/ includes the frame|printer/print_dialog_win.cpp|#include "frame/print_command.h"'
  'printer/ includes the frame|printer/print_design_win.cpp|#include "design/design_window_win.h"'
  '<windows.h> included elsewhere|printer/printer_main_win.cpp|#include <windows.h>'
  # The same kinds written otherwise: a path from the file's own folder, the include path's
  # angle brackets, another spelling, a subfolder or a name with a digit, a macro. A fourth
  # field is the include as the check shows it, when that is not the line planted.
  "mnemonic/ includes another screen's window files|mnemonic/mnemonic_editor.cpp|#include \"../board/monitor_window_win.h\"|#include \"board/monitor_window_win.h\" (written #include \"../board/monitor_window_win.h\")"
  'core/ includes another folder|core/cell_text.cpp|#include "../target/monitor_protocol.h"|#include "target/monitor_protocol.h" (written #include "../target/monitor_protocol.h")'
  'a screen includes the frame|board/monitor_view.cpp|#include "design/../frame/frame_win.h"|#include "frame/frame_win.h" (written #include "design/../frame/frame_win.h")'
  'shell/ includes a screen or the frame|shell/documents.cpp|#include <design/design_window_win.h>|#include "design/design_window_win.h" (written #include <design/design_window_win.h>)'
  'target/ includes more than the core|target/poll_cadence.cpp|#include <shell/mode_flags.h>|#include "shell/mode_flags.h" (written #include <shell/mode_flags.h>)'
  '<windows.h> included elsewhere|shell/message_box_win.cpp|#include "windows.h"|#include <windows.h> (written #include "windows.h")'
  '<windows.h> included elsewhere|frame/entry_win.cpp|#include <Windows.H>|#include <windows.h> (written #include <Windows.H>)'
  "board/ includes another screen's window files|board/monitor_window_win.cpp|#include \"mnemonic/mnemonic2_win.h\""
  "design/ includes another screen's window files|design/design_window_win.h|#include \"board/sub/com_dialog_win.h\""
  'an include by a macro|shell/documents.cpp|#include FRAME_HEADER'
  'an include by a macro|core/notice.h|  #  include SCREEN_HEADER(x)|#include SCREEN_HEADER(x)'
)
for row in "${forbidden[@]}"; do
  IFS='|' read -r label file line shown <<<"$row"
  [ -f "$scratch/$file" ] || { fail "no file $file to plant into"; continue; }
  echo "$line" >>"$scratch/$file"
  planted="$file:$(wc -l <"$scratch/$file"):${shown:-$line}"
  if out=$(check); then
    fail "not caught: $planted"
  elif ! printf '%s\n' "$out" | grep -q -F "$label" || ! printf '%s\n' "$out" | grep -q -x -F "  $planted"; then
    fail "caught, but not as \"$label\" naming $planted:"
    printf '%s\n' "$out" | sed 's/^/    /'
  else
    echo "caught  $planted  ($label)"
  fi
  git -C "$scratch" checkout -q -- "$file"
done

# Allowed includes, planted together: the check must still pass.
allowed=(
  'target/poll_cadence.cpp|#include "core/notice.h"'
  'target/serial_port.cpp|#include "target/windows_api.h"'
  'shell/documents.cpp|#include "target/monitor_protocol.h"'
  'shell/message_box_win.cpp|#include "shell/window_lists_win.h"'
  'design/undo_ring.cpp|#include "design/design_window_win.h"'
  'design/design_window_win.cpp|#include "shell/frame_handles_win.h"'
  'board/monitor_view.cpp|#include "design/view_geometry_win.h"'
  'board/monitor_view.cpp|#include "design/undo_ring.h"'
  'mnemonic/mnemonic_editor.cpp|#include "design/search_dialogs_win.h"'
  'mnemonic/mnemonic_editor.cpp|#include "design/design_paint_win.h"'
  'frame/one_click.cpp|#include "mnemonic/mnemonic_window_win.h"'
  'frame/print_command.cpp|#include "board/monitor_window_win.h"'
  'printer/print_dialog_win.cpp|#include "design/element_pictures_win.h"'
  'printer/print_dialog_win.cpp|#include "shell/settings_file.h"'
  'board/monitor_view.cpp|#include "../design/view_geometry_win.h"'
  'mnemonic/mnemonic_editor.cpp|#include "../mnemonic/mnemonic_window_win.h"'
  'core/cell_text.cpp|#include "./notice.h"'
  'core/cell_text.cpp|#include "notice.h"'
  'core/cell_text.cpp|#include <sys/stat.h>'
  'target/poll_cadence.cpp|#include <core/notice.h>'
)
for row in "${allowed[@]}"; do
  IFS='|' read -r file line <<<"$row"
  echo "$line" >>"$scratch/$file"
done
if out=$(check); then
  echo "passed with ${#allowed[@]} allowed includes planted"
else
  fail "an allowed include is refused:"
  printf '%s\n' "$out" | sed 's/^/    /'
fi

if [ "$failures" -ne 0 ]; then
  echo "$failures failed"
  exit 1
fi
echo "layer check plants: ${#forbidden[@]} forbidden includes caught, the allowed ones pass"
