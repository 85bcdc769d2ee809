// The open and save dialogs. Callers fill an OPENFILENAMEA with CP932 texts (filter,
// initial folder, file buffer) as for the Win32 calls; the dialog itself runs on the
// UTF-16 form, and the chosen path comes back as CP932 in the caller's buffers. Tests
// put a stand-in in place of the dialog that picks a path or cancels.
#pragma once

#include "target/windows_api.h"
#include <commdlg.h>

#include <functional>

enum class FileDialogKind { OPEN, SAVE };

// TRUE when the user chose a file; its path is in lpstrFile (and its title in
// lpstrFileTitle when given), nFileOffset and nFileExtension count CP932 bytes.
// FALSE on Cancel, and for a choice whose path has no CP932 form or does not fit the
// caller's buffer (nothing is cut).
BOOL get_open_file_name(OPENFILENAMEA* record);
BOOL get_save_file_name(OPENFILENAMEA* record);

// A stand-in gets the caller's record as it is and answers for the dialog, writing the
// chosen path into lpstrFile.
using FileDialogHandler = std::function<BOOL(FileDialogKind kind, OPENFILENAMEA& record)>;
// Installs the stand-in; an empty handler brings the real dialogs back.
void set_file_dialog_handler(FileDialogHandler handler);
