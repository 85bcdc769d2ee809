// The print command with the real windows: the question, the printing library, the hand-over.
#include "core/ladder_model.h"

#include "frame/print_command_win.h"

#include <string>

#include "shell/command_ids.h"
#include "shell/command_routing.h"
#include "shell/command_routing_win.h"
#include "shell/documents.h"
#include "frame/frame_win.h"
#include "shell/message_box_win.h"
#include "shell/settings_file.h"
#include "shell/status_bar_win.h"
#include "shell/text_win.h"
#include "shell/window_lists_win.h"

PrinterEntry g_print_proc = nullptr;

namespace {

// The first window of a list when it is still open.
HWND first_window(std::span<const WindowHandle> list) {
  const WindowHandle first = list.empty() ? 0 : list[0];
  if (first == 0 || first == WINDOW_LIST_END) return nullptr;
  HWND window = as_hwnd(first);
  return IsWindow(window) ? window : nullptr;
}

// The grid of the first design window (its document, window long 0), or 0 when there is
// no such window or it holds no grid.
const LadderGrid* first_design_grid() {
  HWND window = first_window(g_design_windows);
  if (window == nullptr) return nullptr;
  return reinterpret_cast<const LadderGrid*>(GetWindowLongPtrW(window, CHILD_EXTRA_DOCUMENT));
}

void warn(HWND frame, const std::string& text) {
  show_message_box(frame, text.c_str(), PRINT_WARNING_CAPTION, MB_OK | MB_ICONEXCLAMATION);
}

// Loads the library when it is not loaded yet and looks up its entry point again.
// Returns the entry point, or 0 after warning about what is missing.
PrinterEntry find_print_entry(HWND frame) {
  char library_path[PATH_BYTES] = "";
  if (!build_print_library_path(g_cpu_settings.program_folder, library_path)) {
    warn(frame, print_library_missing_text(PRINT_LIBRARY_FILE));
    return nullptr;
  }
  if (g_print_library == nullptr) {
    const std::wstring wide_path = cp932_to_wide(library_path);
    // A full path: the library is never searched for elsewhere.
    g_print_library = LoadLibraryExW(wide_path.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
  }
  if (g_print_library == nullptr) {
    g_print_proc = nullptr;
    warn(frame, print_library_missing_text(library_path));
    return nullptr;
  }
  g_print_proc = reinterpret_cast<PrinterEntry>(
      reinterpret_cast<void*>(GetProcAddress(g_print_library, PRINT_ENTRY_NAME)));
  if (g_print_proc == nullptr) warn(frame, print_entry_missing_text(library_path));
  return g_print_proc;
}

}  // namespace

LRESULT print_command(HWND frame, WPARAM, LPARAM) {
  set_status_part_text(0, PRINT_STATUS_TEXT);

  const LadderGrid* grid = first_design_grid();
  switch (print_case(g_toolbar_kind, grid != nullptr, first_window(g_mnemonic_windows) != nullptr)) {
    case PrintCase::Nothing:
      return 0;
    case PrintCase::Unsupported:
      show_message_box(frame, PRINT_UNSUPPORTED_TEXT, PRINT_WARNING_CAPTION, MB_OK);
      return 0;
    case PrintCase::AskThenPrint:
      break;
  }

  if (!build_print_path(g_app_settings.project, g_print_path)) return 0;
  const std::string question = print_question(g_project_name, g_path_ext);
  // The caption is the path of the open-file record, the document the frame opened last.
  if (show_message_box(frame, question.c_str(), g_child_open.path, MB_OKCANCEL) != IDOK) return 0;

  g_cpu_settings.print_mode = print_mode_for(g_picture_set);
  const PrinterEntry entry = find_print_entry(frame);
  if (entry == nullptr) return 0;
  entry(frame, &g_cpu_settings, g_print_path, grid, nullptr, g_io_parts_list.data());
  return 0;
}

void install_print_command() { set_frame_command_handler(CMD_PRINT, print_command); }

void release_print_library() {
  if (g_print_library) FreeLibrary(g_print_library);
  g_print_library = nullptr;
  g_print_proc = nullptr;
}
