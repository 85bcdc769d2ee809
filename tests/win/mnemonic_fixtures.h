// Mnemonic windows for the Win32 tests: one created as the frame creates it for a file,
// and the statements its text holds.
#pragma once

#include "target/windows_api.h"

#include <string>
#include <vector>

// A mnemonic window on `path` (a new document for ""), created as the frame creates one
// for an open record, on the mnemonic toolbar; it has the focus. nullptr when refused.
HWND open_mnemonic_window(HWND frame, const std::string& path, const std::string& title);

// The statements of the window's text before its end line, each without its line feed.
std::vector<std::string> nic_window_statements(HWND window);
