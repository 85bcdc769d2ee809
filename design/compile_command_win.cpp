// The compile command (1190) of a design window: the windows' side of run_design_compile.
// Whichever design view received it, the command compiles the main design window's grid.
#include "core/ladder_model.h"

#include "design/design_commands_win.h"

#include <cstring>
#include <string>

#include "core/bounded_text.h"
#include "design/compile_command.h"
#include "design/compile_error_dialog_win.h"
#include "design/design_window_win.h"
#include "design/view_geometry_win.h"
#include "shell/file_replace.h"
#include "shell/command_ids.h"
#include "shell/compile_chain.h"
#include "shell/command_routing_win.h"
#include "shell/frame_handles_win.h"
#include "shell/settings_file.h"
#include "shell/status_bar_win.h"
#include "shell/text_win.h"
#include "shell/toolbar_win.h"
#include "shell/window_lists_win.h"
#include "target/monitor_protocol.h"

void design_compile_command(HWND window) {
  HWND main = is_live_window(g_design_windows[0]) ? as_hwnd(g_design_windows[0]) : nullptr;
  LadderGrid* grid = main ? design_grid_of(main) : nullptr;
  LadderGrid* saved = main ? design_saved_copy_of(main) : nullptr;
  ViewState* main_view = main ? view_state_of(main) : nullptr;

  DesignCompileRequest request;
  // The further windows close during the command: the main window owns its questions.
  request.owner = main ? main : window;
  request.main_exists = grid != nullptr && main_view != nullptr;
  if (grid) request.grid = *grid;
  if (saved) request.saved_copy = *saved;
  request.project_name = bounded(g_project_name, sizeof g_project_name);
  request.files = project_files(g_project_drive, g_project_dir, g_project_name);
  if (main_view) {
    request.view_path = bounded(main_view->path, sizeof main_view->path);
    request.open_path = request.view_path;
    request.design_marks = design_window_marks(*main_view);
  }

  CompileHost host;
  host.reset_design_modes = [] { reset_design_modes(); };
  host.status = [](const char* text) { set_status_part_text(0, text); };
  host.other_screens_open = [] {
    return next_live_window(g_monitor_windows, 0) != 0 || next_live_window(g_mnemonic_windows, 0) != 0 ||
           next_live_window(g_design_windows, 1) != 0;
  };
  host.close_other_screens = [] {
    // A window that keeps its edits stops the compile: the files under it stay as they are.
    if (!close_window_list(g_monitor_windows, 0)) return false;
    const bool mnemonic_closed = close_window_list(g_mnemonic_windows, 0);
    // A closed mnemonic window took its text with it.
    if (mnemonic_closed && !mnemonic_text_is_frame_owned()) clear_current_mnemonic_text();
    return mnemonic_closed && close_listed_windows(g_design_windows, MAX_LIST_WINDOWS - 1);
  };
  host.close_screen_dialogs = [] { close_live_dialogs(1); };
  host.query_modified = [main] { return static_cast<int>(SendMessageW(main, WM_COMMAND, CMD_QUERY_MODIFIED, 0)); };
  host.file_exists = [](const std::string& path) { return file_exists(path.c_str()); };
  host.open_compile_errors = [] { open_compile_error_list(g_frame); };
  host.repaint_designs = [] { invalidate_window_list(g_design_windows, 0); };
  host.convert_compiled_files = [] {
    return g_frame ? static_cast<int>(SendMessageW(g_frame, WM_COMMAND, CMD_SEQ_TO_MNEMONIC, 0)) : -1;
  };
  host.clear_main_selection = [main_view] {
    main_view->range_active = 0;
    main_view->mark_rows[0] = NO_MARK_ROW;
  };
  const DesignCompileResult result = run_design_compile(request, host);

  // The rebuilt design may be longer or shorter than before: the main window's scroll
  // range follows it.
  if (result.compiled && main != nullptr && IsWindow(main)) {
    RECT rect{};
    GetClientRect(main, &rect);
    SendMessageW(main, WM_SIZE, SIZE_RESTORED, MAKELPARAM(rect.right, rect.bottom));
  }
}
