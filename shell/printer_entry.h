// The one entry point of the printing library "dabu42QX.dll", exported undecorated as
// "PrinterM" (extern "C"). The program and the library are built by the same compiler,
// so the records are handed over in their in-memory layouts and the library reads them
// in place: it never keeps, frees or grows any of them.
//
//   owner       the frame window (HWND), owner of the print dialog
//   settings    the active CpuSettings; print_mode 4 or 6 (second element-picture set),
//               program_folder the program's folder
//   design_path the design file's path, CP932, NUL-terminated
//   grid        the design grid of the first design window
//   text        a mnemonic text; the program always passes 0
//   io_parts    the I/O parts list, 100-byte lines ended by "QQQQQQ"
//
// The result is the number of pages printed, 0 when nothing was printed (the dialog was
// cancelled or the printer failed); the program does not use it.
#pragma once

#include "core/ladder_model.h"
#include "shell/io_parts_list.h"

using PrinterEntry = int (*)(void* owner, CpuSettings* settings, const char* design_path, const LadderGrid* grid,
                             const MnemonicText* text, const IoPartLine* io_parts);
