// Connects the design window's clicks, keys and commands to its dialogs: the number entry dialog, the
// comment dialogs and the function picker are opened and fed as the click asks, and the
// number dialog's mode and run count are read for each click; the design commands open the
// number entry dialog and the function picker through the opener installed here. Hooks installed before are
// kept for the dialogs handled elsewhere.
#pragma once

#include "target/windows_api.h"

#include "design/design_commands_win.h"

void install_design_dialog_hooks();

// The opener of the design commands (set_design_dialog_opener), installed at start-up by
// install_design_dialog_opener: the number entry dialog and the function picker; the other
// kinds go to the opener installed before it.
HWND open_design_dialog_for_command(HWND design_window, DesignDialogKind kind);
void install_design_dialog_opener();
