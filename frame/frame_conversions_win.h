// The frame's own conversion commands: the operation file into the commented mnemonic
// file (1193) and into a design file (1191), the one-click save, compile and write of
// the design toolbar (1254), and the COM communication command (1162) that opens the
// COM dialog and the board's port. The work itself is portable (shell/compile_chain.h,
// frame/one_click.h); these handlers supply the windows.
#pragma once

#include "target/windows_api.h"

#include "core/ladder_model.h"

// What the frame's commands need of a design window: its grid and its saved copy. The
// design window keeps them in its extra bytes; the reader that the frame uses unless
// another is installed takes CHILD_EXTRA_DOCUMENT and CHILD_EXTRA_SAVED_COPY as
// LadderGrid pointers (either may be null).
struct DesignWindowDocument {
  GridSpan grid;
  GridSpan saved_copy;
};
using DesignDocumentReader = DesignWindowDocument (*)(HWND window);
void set_design_document_reader(DesignDocumentReader reader);

// Opens the compile-error list of the design screen after a compile with errors (none
// until the design screen installs one).
using CompileErrorListOpener = void (*)(HWND frame);
void set_compile_error_list_opener(CompileErrorListOpener opener);

// Installs the handlers of 1162, 1191, 1193 and 1254 and the wide-character file calls
// of the conversions.
void install_frame_conversion_commands();

LRESULT seq_to_mnemonic_command(HWND frame, WPARAM wparam, LPARAM lparam);
LRESULT seq_to_design_command(HWND frame, WPARAM wparam, LPARAM lparam);
LRESULT write_ladder_command(HWND frame, WPARAM wparam, LPARAM lparam);
LRESULT com_dialog_command(HWND frame, WPARAM wparam, LPARAM lparam);
