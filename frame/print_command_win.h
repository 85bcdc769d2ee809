// The print command on the frame (CMD_PRINT): status text, question, loading the printing
// library once from the program folder and handing it the design. The decisions are in
// frame/print_command.h; this file only carries them out with the real windows.
#pragma once

#include "target/windows_api.h"

#include "frame/print_command.h"
#include "shell/printer_entry.h"

extern PrinterEntry g_print_proc;  // "PrinterM" of the loaded library, looked up at every print

// The frame command handler of CMD_PRINT.
LRESULT print_command(HWND frame, WPARAM wparam, LPARAM lparam);
// Installs print_command as the frame's handler of CMD_PRINT.
void install_print_command();
// Frees the printing library (g_print_library) when it was loaded and forgets its entry
// point: the frame's destruction.
void release_print_library();
