// The frame's WM_COMMAND and the wiring of the screens' hooks. The frame carries out its
// own commands of this module (the COM list, Enter, the port check, the edit-mode
// preparation), hands every frame command of another module to the handler it installed
// (shell/command_routing_win.h) and forwards every other id to the active document window.
#pragma once

#include "target/windows_api.h"

#include "shell/command_routing_win.h"

// The frame's WM_COMMAND.
LRESULT route_frame_command(HWND frame, WPARAM wparam, LPARAM lparam);

// Hands the frame its toolbar, start-up guide and command routing (g_frame_slots), installs
// the frame's command handlers and wires the screens' hooks into each other: called once
// before the program starts.
void install_frame_slots();
