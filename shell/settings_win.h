// file.ini on disk and the recent-file items of the File menu (the format itself is in
// shell/settings_file.h).
#pragma once

#include "target/windows_api.h"

// Reads file.ini from the current folder (the start folder) while the frame is created:
// a missing file is created with the default lines, a malformed one is replaced by
// them; the frame moves to the rectangle the file holds, the work folder becomes
// current, and the newest recent file is added to the File menu.
void read_settings_file(HWND frame);

// Writes the whole of file.ini into the program folder, with the frame's rectangle
// (its restored rectangle while it is minimised, so that it never starts off-screen).
// A file that cannot be written is given up silently.
void save_settings();

// The frame's rectangle as file.ini keeps it.
RECT frame_rectangle_to_save(HWND frame);

// At every system command: rebuilds the recent items after the fixed items of the File
// menu of MYMENU from the list as it is now.
void rebuild_recent_file_menu();

// Command CMD_RECENT_EXPAND: every recent entry is shown from now on.
void expand_recent_file_menu();
