// Connects the design window's clicks and keys to its dialogs: the number entry dialog, the
// comment dialogs and the function picker are opened and fed as the click asks, and the
// number dialog's mode and run count are read for each click. Hooks installed before are
// kept for the dialogs handled elsewhere.
#pragma once

void install_design_dialog_hooks();
