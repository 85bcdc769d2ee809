// The program's texts are CP932 bytes; the Win32 boundary takes UTF-16. Every text that
// reaches a window, a menu, a message box or a file name goes through these, so the
// Japanese texts read the same whatever the system's ANSI code page is.
#pragma once

#include "target/windows_api.h"

#include <cstdio>
#include <string>
#include <string_view>

std::wstring cp932_to_wide(std::string_view text);
// False when some character has no CP932 form (`out` is then empty).
bool wide_to_cp932(std::wstring_view text, std::string& out);

// fopen for a CP932 path.
FILE* open_file_cp932(const char* path, const wchar_t* mode);
// True when the file at the CP932 path has the read-only attribute.
bool path_is_read_only(const char* path);
