// The Win32 file calls of shell/file_replace.h: CP932 paths turned into UTF-16 for the
// wide-character functions, so that Japanese names work whatever the system code page.
#pragma once

#include "shell/file_replace.h"

// The calls themselves: _wfopen (always binary), MoveFileExW with MOVEFILE_REPLACE_EXISTING
// and MOVEFILE_WRITE_THROUGH (the move is on disk when it returns), DeleteFileW and
// GetFileAttributesW (an existing file, not a folder).
FileAccess win32_file_access();
// Installs them for every writer and reader of the program, open_text_file included.
void install_win32_file_access();
