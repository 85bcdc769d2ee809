// Operation files and monitor windows for the Win32 tests: a ladder written as text is
// compiled and saved as an operation file (records and design) by the program's own
// writers, and the monitor window is created on it as the frame creates it.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "core/ladder_model.h"

// Compiles the rows (ladder text, tests/support/ladder_text.h) and writes the operation
// file `path`; false when the ladder does not compile or the file cannot be written.
bool write_operation_file(const std::wstring& path, const std::vector<std::string>& rows);

// Writes a small compiled program where a monitor window created now would look for its
// operation file: the .SEQ beside `child_path` (the path of the open record the frame
// passes), or ".SEQ" in the current folder for a window created without one.
bool write_operation_file_beside(const std::string& child_path);

// Creates the monitor window on `seq_path` as the frame does (g_child_open carries the
// path) on the monitor screen (`monitor`) or the operation-check screen, and sizes it to
// the MDI client. Returns the window, or nullptr when its creation was refused.
HWND open_monitor_window(const std::wstring& seq_path, bool monitor);

// The display list the monitor window would paint now over its whole client.
struct DisplayList;
DisplayList monitor_window_display_list(HWND window);

// Handles messages for `ms` milliseconds of real time (timers run).
void pump_for(int ms);

// Pumps 50 ms at a time until `done` holds or `ms` passed; true when it held.
template <class F>
bool pump_until(F done, int ms) {
  for (int waited = 0; waited < ms; waited += 50) {
    if (done()) return true;
    pump_for(50);
  }
  return done();
}
