#include "frame/frame_conversions_win.h"

#include "shell/file_replace_win.h"

#include <cstring>
#include <string>

#include "shell/view_state.h"
#include "board/com_dialog.h"
#include "board/com_dialog_win.h"
#include "shell/command_ids.h"
#include "shell/command_routing_win.h"
#include "shell/compile_chain.h"
#include "core/bounded_text.h"
#include "core/seq_to_nic.h"
#include "frame/frame_win.h"
#include "shell/message_box_win.h"
#include "frame/one_click.h"
#include "shell/settings_file.h"
#include "shell/status_bar_win.h"
#include "shell/text_win.h"
#include "shell/toolbar_win.h"
#include "shell/window_lists_win.h"
#include "target/monitor_protocol.h"

namespace {

DesignWindowDocument read_design_document(HWND window) {
  DesignWindowDocument document;
  if (auto* grid = reinterpret_cast<LadderGrid*>(GetWindowLongPtrW(window, CHILD_EXTRA_DOCUMENT))) document.grid = *grid;
  if (auto* saved = reinterpret_cast<LadderGrid*>(GetWindowLongPtrW(window, CHILD_EXTRA_SAVED_COPY)))
    document.saved_copy = *saved;
  return document;
}

DesignDocumentReader g_design_reader = read_design_document;
CompileErrorListOpener g_compile_error_opener = nullptr;

bool is_design_window(HWND window) {
  if (window == nullptr || !IsWindow(window)) return false;
  wchar_t name[32] = L"";
  GetClassNameW(window, name, 32);
  return std::wcscmp(name, L"massfl") == 0 || std::wcscmp(name, L"motofl") == 0;
}

ViewState* view_of(HWND window) {
  return window ? reinterpret_cast<ViewState*>(GetWindowLongPtrW(window, CHILD_EXTRA_VIEW_STATE)) : nullptr;
}

ProjectFiles current_project_files() { return project_files(g_project_drive, g_project_dir, g_project_name); }

// The caption of the messages that name the open-file record: the main design's path,
// or the project's design file when there is no main design window.
std::string open_record_path() {
  if (ViewState* view = is_live_window(g_design_windows[0]) ? view_of(as_hwnd(g_design_windows[0])) : nullptr)
    return std::string(bounded(view->path, sizeof view->path));
  return current_project_files().design;
}

// The mnemonic windows free their texts as they close; the current text must then no
// longer name one of them. False when a window kept its edits (it stays, in its slot).
bool close_mnemonic_windows() {
  if (!close_window_list(g_mnemonic_windows, 0)) return false;
  if (!mnemonic_text_is_frame_owned()) clear_current_mnemonic_text();
  return true;
}

}  // namespace

void set_design_document_reader(DesignDocumentReader reader) {
  g_design_reader = reader ? reader : read_design_document;
}

void set_compile_error_list_opener(CompileErrorListOpener opener) { g_compile_error_opener = opener; }

namespace {

// True when a live mnemonic window shows the file at `path`.
bool mnemonic_window_shows(const std::string& path) {
  for (WindowHandle handle : g_mnemonic_windows) {
    if (handle == WINDOW_LIST_END) break;
    if (!is_live_window(handle)) continue;
    const ViewState* view = view_of(as_hwnd(handle));
    if (view != nullptr && same_file_path(bounded(view->path, sizeof view->path), path)) return true;
  }
  return false;
}

}  // namespace

LRESULT seq_to_mnemonic_command(HWND frame, WPARAM, LPARAM) {
  reset_design_modes();
  // The conversion makes the mnemonic file beside the operation file it converts: that is
  // the file the windows are asked about and the file read back, annotated and written.
  // (It is the project's mnemonic file whenever the operation file is the project's.)
  const std::string mnemonic = mnemonic_path_beside(g_seq_path);
  const std::string listing = path_without_extension(g_seq_path) + ".LST";
  // The mnemonic windows close first (each asks about its changes) when the project's
  // mnemonic file exists, and when the file the conversion writes exists or a window shows
  // it; a window that keeps its edits stops the command, and its file is not rewritten.
  const std::string project_mnemonic = current_project_files().mnemonic;
  if (is_live_window(g_mnemonic_windows[0]) &&
      (file_exists(project_mnemonic.c_str()) || file_exists(mnemonic.c_str()) || mnemonic_window_shows(mnemonic)) &&
      !close_mnemonic_windows())
    return 1;
  // A window of that file that outlived the first window's close (none should) still holds it.
  if (mnemonic_window_shows(mnemonic)) return 1;
  // 0 when the text was made; the one-click write goes on only then.
  return convert_seq_to_commented_nic(frame, mnemonic, listing, open_record_path()) == 0 ? 0 : 1;
}

LRESULT seq_to_design_command(HWND frame, WPARAM, LPARAM) {
  reset_design_modes();
  if (show_message_box(frame, "他の画面は閉じられます！", "警告", MB_OKCANCEL) != IDOK) return 0;
  // A design window that keeps its edits stops the command: its file is not rewritten.
  if (!close_window_list(g_design_windows, 0)) return 0;
  const ProjectFiles files = current_project_files();
  convert_list_to_design_file(files.design, g_project_name, open_record_path());
  return 0;
}

LRESULT write_ladder_command(HWND frame, WPARAM, LPARAM) {
  HWND active = g_active_child;
  ViewState* view = is_design_window(active) ? view_of(active) : nullptr;
  OneClickRequest request;
  request.files = current_project_files();
  if (view != nullptr) {
    request.view.is_design_window = true;
    request.view.second_file = view_file_number(*view) != 0;
    request.view.read_only = (view->open_file.flags & OPEN_FILE_READ_ONLY) != 0;
    request.view.path = bounded(view->path, sizeof view->path);
    request.view.title = bounded(view->title, sizeof view->title);
    request.view.grid = g_design_reader(active).grid;
  }
  HWND main = is_live_window(g_design_windows[0]) ? as_hwnd(g_design_windows[0]) : nullptr;
  ViewState* main_view = view_of(main);
  if (main != nullptr && main_view != nullptr) {
    const DesignWindowDocument document = g_design_reader(main);
    request.main.exists = true;
    request.main.grid = document.grid;
    request.main.saved_copy = document.saved_copy;
    request.main.open_path = bounded(main_view->path, sizeof main_view->path);
  }

  CompileHost host;
  host.other_screens_open = [] { return is_live_window(g_monitor_windows[0]) || is_live_window(g_mnemonic_windows[0]); };
  host.close_other_screens = [] { return close_window_list(g_monitor_windows, 0) && close_mnemonic_windows(); };
  host.close_screen_dialogs = [] { close_live_dialogs(1); };
  host.open_compile_errors = [frame] {
    if (g_compile_error_opener) g_compile_error_opener(frame);
  };
  host.repaint_designs = [] { invalidate_window_list(g_design_windows, 0); };
  host.status = [](const char* text) { set_status_part_text(0, text); };
  host.reset_design_modes = [] { reset_design_modes(); };
  host.clear_main_selection = [main_view] {
    if (main_view == nullptr) return;
    main_view->range_active = 0;
    main_view->mark_rows[0] = NO_MARK_ROW;
  };
  host.convert_compiled_files = [frame] {
    return static_cast<int>(SendMessageW(frame, WM_COMMAND, CMD_SEQ_TO_MNEMONIC, 0));
  };
  // From here the command serves the main design window.
  if (request.view.is_design_window && main_view != nullptr) g_active_view_state = main_view;
  run_one_click_write(request, host);
  return 0;
}

LRESULT com_dialog_command(HWND frame, WPARAM, LPARAM) {
  HWND dialog = open_com_dialog(frame);
  reset_design_modes();
  const ComLinkState state = com_open_link();
  if (dialog != nullptr) {
    show_link_state(dialog, state);
    if (state != ComLinkState::CLOSED) SetFocus(GetDlgItem(dialog, ComControl::SEND_BOX));
  }
  return 0;
}

void install_frame_conversion_commands() {
  install_win32_file_access();
  set_frame_command_handler(CMD_SEQ_TO_MNEMONIC, seq_to_mnemonic_command);
  set_frame_command_handler(CMD_SEQ_TO_DESIGN, seq_to_design_command);
  set_frame_command_handler(CMD_WRITE_LADDER, write_ladder_command);
  set_frame_command_handler(CMD_COM_DIALOG, com_dialog_command);
}
