// A stand-in for the printing library "dabu42QX.dll" in the tests of the print command: its
// "PrinterM" prints nothing and keeps what it was handed, which the test reads through
// "ProbeLastCall". Built a second time with PRINT_PROBE_WITHOUT_ENTRY, as a library that
// lacks the entry point.
#include "target/windows_api.h"

#include <cstring>

#include "tests/tools/print_probe.h"

namespace {
ProbeCall g_last{};
}

extern "C" __declspec(dllexport) const ProbeCall* ProbeLastCall() { return &g_last; }

#ifndef PRINT_PROBE_WITHOUT_ENTRY
extern "C" __declspec(dllexport) int PrinterM(void* owner, CpuSettings* settings, const char* design_path,
                                              const LadderGrid* grid, const MnemonicText* text,
                                              const IoPartLine* io_parts) {
  ++g_last.calls;
  g_last.owner = owner;
  g_last.settings = settings;
  g_last.print_mode = settings ? settings->print_mode : -1;
  if (settings) std::memcpy(g_last.program_folder, settings->program_folder, sizeof g_last.program_folder);
  std::strncpy(g_last.design_path, design_path ? design_path : "", sizeof g_last.design_path - 1);
  g_last.grid = grid;
  g_last.text = text;
  g_last.io_parts = io_parts;
  if (io_parts) std::memcpy(g_last.io_first, io_parts[0].data(), sizeof g_last.io_first);
  return 0;
}
#endif
