// What the stand-in printing library (print_probe_dll_win.cpp) keeps of the last call of its
// "PrinterM", read by the print command's tests through its export "ProbeLastCall".
#pragma once

#include "core/ladder_model.h"
#include "shell/io_parts_list.h"
#include "frame/print_command.h"

struct ProbeCall {
  int calls;
  void* owner;
  CpuSettings* settings;
  int print_mode;
  char program_folder[SETTINGS_PATH_SIZE];
  char design_path[PATH_BYTES];
  const LadderGrid* grid;
  const MnemonicText* text;
  const IoPartLine* io_parts;
  char io_first[IO_PARTS_LINE_BYTES];
};
