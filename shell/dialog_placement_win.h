// Keeps dialogs wholly on the screen: inside the work area of the monitor they stand on
// (shell/dialog_placement.h gives the rule).
#pragma once

#include "target/windows_api.h"

// The work area (the screen without the task bar) of the monitor nearest to `window`.
RECT work_area_of(HWND window);
// Moves `window`, its size kept, as far as it must go to lie wholly inside that work area;
// a window already inside does not move.
void keep_window_on_screen(HWND window);
