// The design window's own commands: the tool and mode buttons, the commands that open the
// design dialogs (number entry, replace, search), the continued search, Enter, undo and
// redo, the compile command and the two saves. design_window_proc hands every WM_COMMAND
// to design_handle_command first; the rules are design/design_commands.h.
#pragma once

#include "target/windows_api.h"

#include "core/ladder_model.h"
#include "shell/view_state.h"

// True when the command was one of these; `result` is then the message's result.
bool design_handle_command(HWND window, WPARAM wparam, LPARAM lparam, LRESULT& result);

// The modeless dialogs the commands open. Their templates and procedures belong to the
// dialogs' own module, which installs an opener; without one the commands open nothing.
enum class DesignDialogKind {
  NUMBER,       // "BanDialog", number_dialog_proc
  REPLACE,      // "OkicDialog", replace_device_dialog_proc
  SEARCH,       // "SchDialog", search_dialog_proc
  SEARCH_LIST,  // "SchisDialog", search_dialog_proc (g_search_dialog_variant set)
  FUNCTION,     // "FuncDialog", function_dialog_proc
};
// Creates the dialog (owned by the frame) and returns it, or null. The command puts it
// into slot 0 of the current screen's row and fills its edit 717.
using DesignDialogOpener = HWND (*)(HWND design_window, DesignDialogKind kind);
void set_design_dialog_opener(DesignDialogOpener opener);
// The opener installed now (null: none), so that a module can hand on the kinds it does not own.
DesignDialogOpener design_dialog_opener();

// The device search engines the continued search runs (Alt+F10, Alt+F5). They belong to
// the search module, which keeps g_search_text and g_search_mode; without them the two
// keys do nothing.
struct ContinuedSearchHooks {
  // g_search_mode (0 down, 1 up, 2 down with one wrap, 3 outputs, 4 instruction).
  int (*search_mode)() = nullptr;
  // g_search_mode := mode, then search_device: the next use of g_search_text.
  void (*search_device)(HWND design_window, int mode) = nullptr;
  // instruction_code_from_name of g_search_text and, when it is known, find_next_instruction_use.
  void (*find_next_instruction_use)(HWND design_window) = nullptr;
};
void set_continued_search_hooks(const ContinuedSearchHooks& hooks);

// The compile command (1190), design/compile_command_win.cpp.
void design_compile_command(HWND window);

// Save (1213) and Save As (1214) of a design window. True when the file was written.
bool save_design_command(HWND window, LadderGrid& grid, ViewState& view);
bool save_design_as_command(HWND window, LadderGrid& grid, ViewState& view);
