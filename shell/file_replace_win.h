// The Win32 file calls of core/file_replace.h: CP932 paths turned into UTF-16 for the
// wide-character functions, so that Japanese names work whatever the system code page, and
// long paths handed over in their "\\?\" form, so that a file whose path is a few characters
// short of MAX_PATH (which opens) can be saved too: its new file beside it has a longer name.
#pragma once

#include <string>

#include "shell/file_replace.h"

// The calls themselves: _wfopen (always binary); CreateFileW with CREATE_NEW for the new file
// of a write; MoveFileExW with MOVEFILE_REPLACE_EXISTING and MOVEFILE_WRITE_THROUGH (the move
// is on disk when it returns); DeleteFileW; GetFileAttributesW; and the state of a target:
// its attributes now, and whether it can be opened for writing and replacing while others
// have it open (a sharing violation: another program holds it).
FileAccess win32_file_access();
// Installs them for every writer and reader of the program, open_text_file included.
void install_win32_file_access();
// The UTF-16 path the system is given for a CP932 path: as it is, or, when it is long, its
// full form behind "\\?\" (UNC paths behind "\\?\UNC\"). Empty when the path has no UTF-16 form.
std::wstring system_path(const char* path);
