#include "shell/documents_win.h"

#include <cstring>
#include <string>

#include "shell/command_ids.h"
#include "shell/command_routing_win.h"
#include "shell/file_dialog_win.h"
#include "shell/frame_handles_win.h"
#include "shell/guide_dialogs_win.h"
#include "shell/menu_states_win.h"
#include "shell/message_box_win.h"
#include "shell/settings_file.h"
#include "shell/settings_win.h"
#include "shell/status_bar_win.h"
#include "shell/status_parts.h"
#include "shell/text_win.h"
#include "shell/toolbar_win.h"
#include "shell/window_lists_win.h"
#include "target/serial_port.h"

HWND g_focus_after_create = nullptr;

namespace {

constexpr wchar_t DESIGN_CLASS[] = L"massfl";
constexpr wchar_t MNEMONIC_CLASS[] = L"nicfl";
constexpr wchar_t MONITOR_CLASS[] = L"jikfl";
constexpr wchar_t IO_DISPLAY_CLASS[] = L"i_ofl";

constexpr char WARNING_CAPTION[] = "警告";
constexpr char CONFIRM_CAPTION[] = "確認";
constexpr char MAIN_FILE_EXISTS[] = "すでにメインファイルが有ります！";
constexpr char NO_PROJECT_DESIGN[] = "同じﾃﾞｨﾚｸﾄﾘ中に、\n同名の回路図(.MBS)ﾌｧｲﾙは有りません！";
constexpr char NO_PROJECT_MNEMONIC[] =
    "同じﾃﾞｨﾚｸﾄﾘ中に、\n同名のﾆｰﾓﾆｯｸ･ﾌｧｲﾙは有りません！\n\n［動作画面中］のSEQ･ﾆｰﾓﾆｯｸ変換によって、\nﾌｧｲﾙを生成して下さい。";
constexpr char NO_MONITOR_FILE[] = "モニター用ファイルが有りません！\n回路コンパイルで作って下さい";
constexpr char CLOSE_MONITOR[] = "モニター画面を閉じます！";
constexpr char NOT_MAIN_SCREEN[] = "メイン画面以外からは動作画面に移行出来ません！\nこの画面を履歴の2ndに残しますか？ ";
constexpr char NOT_COMPILED[] = "変更がありました！\nコンパイルしなくて良いのですか？";
constexpr char NEW_PROJECT_NAME[] = "新規";

// The file number and path of a document window's view; a window without a ViewState
// counts as the main file and has no path of its own.
struct DocumentViewInfo {
  int file_number = 0;
  const char* path = nullptr;
};
DocumentViewInfo view_info(HWND window) {
  const auto* view = reinterpret_cast<const ViewState*>(GetWindowLongPtrW(window, CHILD_EXTRA_VIEW_STATE));
  if (view == nullptr) return {};
  return {view_file_number(*view), view->path};
}

bool first_window_exists(std::span<const WindowHandle> list) { return !list.empty() && is_live_window(list[0]); }
HWND first_window(std::span<const WindowHandle> list) { return first_window_exists(list) ? as_hwnd(list[0]) : nullptr; }

bool file_exists(const char* path) {
  const std::wstring wide = cp932_to_wide(path);
  if (wide.empty()) return false;
  const DWORD attributes = GetFileAttributesW(wide.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

int measure_status_height() {
  if (g_status_bar == nullptr) return 0;
  RECT rect{};
  GetWindowRect(g_status_bar, &rect);
  g_status_height = rect.bottom - rect.top;
  return g_status_height;
}

void show_mdi_client() {
  if (g_mdi_client != nullptr) ShowWindow(g_mdi_client, SW_SHOW);
}

void tile_children() {
  if (g_mdi_client != nullptr) TileWindows(g_mdi_client, MDITILE_VERTICAL, nullptr, 0, nullptr);
}

void close_guide() {
  if (g_guide_dialog != 0) SendMessageW(as_hwnd(g_guide_dialog), WM_CLOSE, 0, 0);
}

void activate(HWND window) {
  if (window != nullptr && g_mdi_client != nullptr)
    SendMessageW(g_mdi_client, WM_MDIACTIVATE, reinterpret_cast<WPARAM>(window), 0);
}

void send_command(HWND window, int id) {
  if (window != nullptr) SendMessageW(window, WM_COMMAND, static_cast<WPARAM>(id), 0);
}

HWND active_child() {
  if (g_mdi_client == nullptr) return nullptr;
  return reinterpret_cast<HWND>(SendMessageW(g_mdi_client, WM_MDIGETACTIVE, 0, 0));
}

// The shortened form of a path that exists; the path itself when it has none.
std::string short_form(const char* path) {
  const std::wstring wide = cp932_to_wide(path);
  wchar_t buffer[MAX_PATH];
  const DWORD n = wide.empty() ? 0 : GetShortPathNameW(wide.c_str(), buffer, MAX_PATH);
  std::string out;
  if (n == 0 || n >= MAX_PATH || !wide_to_cp932(std::wstring_view(buffer, n), out)) return path;
  return out;
}

void use_project_file(std::string_view extension, uint32_t flags, FileFilter filter) {
  project_file_path(g_app_settings.project, extension, g_work_path);
  std::string title(g_project_name);
  title += extension;
  fill_child_open(g_child_open, filter, g_work_path, title, flags);
}

// What follows every creation by the open, new and recent commands (steps 4-6).
void after_open_creation(HWND frame, HWND child, bool design) {
  g_active_child = child;
  if (child != nullptr) SetWindowPos(child, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
  if (g_focus_after_create != nullptr) SetFocus(g_focus_after_create);
  tile_children();
  if (design && g_design_window_count == 1 && g_guide_flags[0] != 0) open_guide_dialog(frame, GuideKind::DesignTips);
  show_ready_status();
}

// Creates the child of an open, new or recent command from g_child_open; the window, or
// nullptr when it was refused or closed itself (its file did not open).
HWND create_opened_child(HWND frame, int command, bool is_new) {
  show_mdi_client();
  const bool mnemonic = command == CMD_OPEN_MNEMONIC || command == CMD_NEW_MNEMONIC;
  std::string title;
  if (is_new) {
    title = new_document_title(mnemonic);
  } else {
    const bool reference = command == CMD_OPEN_MNEMONIC && first_window_exists(g_mnemonic_windows);
    title = opened_document_title(g_child_open.title, reference);
  }
  HWND child = create_document_child(mnemonic ? MNEMONIC_CLASS : DESIGN_CLASS, title.c_str(), ChildRoute::OPEN);
  after_open_creation(frame, child, !mnemonic);
  return child != nullptr && IsWindow(child) ? child : nullptr;
}

// A file that did not open does not stay the project: the next save of the settings would
// put it at the top of the recent list.
void open_as_project(HWND frame, int command, const PathParts& project_before) {
  if (create_opened_child(frame, command, false) == nullptr) g_app_settings.project = project_before;
}

// Writes file.ini with `chosen` as the project (keeping the project's extension), then
// again with the project itself: the chosen file becomes the second recent entry and the
// project the first.
void keep_as_second_history(const PathParts& chosen) {
  const PathParts project = g_app_settings.project;
  PathParts kept = chosen;
  std::memcpy(kept.ext, project.ext, sizeof kept.ext);
  g_app_settings.project = kept;
  save_settings();
  g_app_settings.project = project;
  save_settings();
}

void install_sample_hooks() {
  set_sample_open_hooks(
      {[](const char* path, const char* title) {
         fill_child_open(g_child_open, FileFilter::MBS, path, title, 0);
         copy_text(g_open_path, g_child_open.path);
         copy_text(g_open_title, g_child_open.title);
       },
       [](HWND frame, const char* title) -> HWND {
         GetClientRect(frame, &g_client_rect);
         show_mdi_client();
         return create_document_child(DESIGN_CLASS, title, ChildRoute::OPEN);
       }});
}

}  // namespace

HWND g_cpu_label = nullptr;
std::string g_cpu_label_text;

void set_cpu_label_text(const std::string& text) {
  g_cpu_label_text = text;
  if (g_cpu_label != nullptr && IsWindow(g_cpu_label)) SetWindowTextW(g_cpu_label, cp932_to_wide(text).c_str());
}

void init_open_file_name(OPENFILENAMEA& record, HWND owner, FileFilter filter, char* file, char* title) {
  record = OPENFILENAMEA{};
  record.lStructSize = sizeof record;
  record.hwndOwner = owner;
  record.lpstrFilter = filter_pairs(filter).data();
  record.nFilterIndex = 1;
  record.lpstrFile = file;
  record.nMaxFile = PATH_BYTES;
  record.lpstrFileTitle = title;
  record.nMaxFileTitle = 255;
  record.Flags = OFN_FILEMUSTEXIST;
}

int close_monitor_screen() {
  if (next_live_window(g_monitor_windows, 0) == 0) return 0;
  if (g_monitor_mode != 1) return 0;
  if (show_message_box(g_frame, CLOSE_MONITOR, g_child_open.path, MB_OKCANCEL) == IDCANCEL) return -1;
  g_monitor_mode = 0;
  close_port(g_current_port);
  g_port_open = 0;
  // A monitor window that is still there (its close waits for a poll) stops the switch.
  return close_window_list(g_monitor_windows, 0) ? 0 : -1;
}

HWND create_document_child(const wchar_t* class_name, const char* title, ChildRoute route) {
  if (g_mdi_client == nullptr) return nullptr;
  // The MDI client's own client area: the frame's client area less the toolbar, the status
  // bar and the client's edge. The frame's would make the child as much taller as the toolbar
  // is high, its bottom under the status bar.
  measure_status_height();
  RECT client{};
  GetClientRect(g_mdi_client, &client);
  const ChildPlacement place = child_placement(route, client.right, client.bottom);
  const std::wstring wide_title = cp932_to_wide(title);
  MDICREATESTRUCTW create{};
  create.szClass = class_name;
  create.szTitle = wide_title.c_str();
  create.hOwner = g_instance;
  create.x = place.x;
  create.y = place.y;
  create.cx = place.width;
  create.cy = place.height;
  create.style = place.style;
  create.lParam = reinterpret_cast<LPARAM>(&g_child_open);
  return reinterpret_cast<HWND>(SendMessageW(g_mdi_client, WM_MDICREATE, 0, reinterpret_cast<LPARAM>(&create)));
}

// ---- open, recent, new -------------------------------------------------------------------

namespace {

// Steps 2-7 of the open commands, with the record already filled.
LRESULT open_with_dialog(HWND frame, int command, OPENFILENAMEA& record) {
  if (!get_open_file_name(&record)) return 0;
  g_focus_after_create = nullptr;
  const bool design = command == CMD_OPEN_DESIGN;
  const int toolbar_kind = design ? TOOLBAR_KIND_DESIGN : TOOLBAR_KIND_MNEMONIC;
  if (g_toolbar_kind == toolbar_kind) g_focus_after_create = active_child();
  rebuild_screen_toolbar(frame, design ? CMD_SCREEN_DESIGN : CMD_SCREEN_MNEMONIC);

  // The name as the user sees it; drive, folder and extension of the short form, which
  // the open path keeps from now on.
  const std::string long_path = g_open_path;
  const std::string short_path = short_form(g_open_path);
  copy_text(g_open_path, short_path);
  split_chosen_path(long_path, short_path, g_chosen_path);

  const PathParts project_before = g_app_settings.project;
  if (!first_window_exists(g_design_windows) && !first_window_exists(g_monitor_windows) &&
      !first_window_exists(g_mnemonic_windows))
    g_app_settings.project = g_chosen_path;

  std::string folder = g_path_root;
  folder += g_path_dir;
  copy_text(g_work_folder, folder);

  // "Open as read-only" ticked in the dialog: the document is never written over.
  const uint32_t flags = (record.Flags & OFN_READONLY) != 0 ? CHILD_OPEN_READ_ONLY : 0;
  fill_child_open(g_child_open, design ? FileFilter::MBS : FileFilter::NIC, g_open_path, g_open_title, flags);
  open_as_project(frame, command, project_before);
  return 0;
}

}  // namespace

LRESULT open_file_command(HWND frame, WPARAM wparam, LPARAM) {
  const int command = LOWORD(wparam);
  OPENFILENAMEA record;
  init_open_file_name(record, frame, command == CMD_OPEN_MNEMONIC ? FileFilter::NIC : FileFilter::MBS, g_open_path,
                      g_open_title);
  record.lpstrInitialDir = g_work_folder;
  g_open_path[0] = '\0';
  return open_with_dialog(frame, command == CMD_OPEN_MNEMONIC ? CMD_OPEN_MNEMONIC : CMD_OPEN_DESIGN, record);
}

LRESULT recent_file_command(HWND frame, WPARAM wparam, LPARAM) {
  const int index = LOWORD(wparam) - CMD_RECENT_FILE;
  if (!g_recent_expanded) SendMessageW(frame, WM_COMMAND, CMD_RECENT_EXPAND, 0);
  const std::string entry(recent_file_entry(g_recent_files, index));
  const PathParts project_before = g_app_settings.project;
  split_path(entry, g_chosen_path);
  g_app_settings.project = g_chosen_path;
  copy_text(g_open_title, file_title_of(g_chosen_path));

  OPENFILENAMEA record;
  init_open_file_name(record, frame, FileFilter::MBS, g_open_path, g_open_title);
  record.lpstrInitialDir = g_work_folder;
  join_path(g_app_settings.project, g_open_path);
  if (g_open_path[0] == '\0' || !file_exists(g_open_path)) {
    g_open_path[0] = '\0';
    g_app_settings.project = project_before;  // a missing file never becomes the project
    return open_with_dialog(frame, CMD_OPEN_DESIGN, record);
  }
  rebuild_screen_toolbar(frame, CMD_SCREEN_DESIGN);
  g_focus_after_create = active_child();
  fill_child_open(g_child_open, FileFilter::MBS, g_open_path, g_open_title, 0);
  open_as_project(frame, CMD_OPEN_DESIGN, project_before);
  return 0;
}

LRESULT new_document_command(HWND frame, WPARAM wparam, LPARAM) {
  const int command = LOWORD(wparam) == CMD_NEW_MNEMONIC ? CMD_NEW_MNEMONIC : CMD_NEW_DESIGN;
  rebuild_screen_toolbar(frame, command == CMD_NEW_MNEMONIC ? CMD_SCREEN_MNEMONIC : CMD_SCREEN_DESIGN);
  reset_design_modes();
  if (first_window_exists(g_design_windows)) {
    show_message_box(frame, MAIN_FILE_EXISTS, WARNING_CAPTION, MB_OK);
    return 0;
  }
  fill_child_open(g_child_open, FileFilter::MBS, "", "NEW", 0);
  copy_text(g_project_name, NEW_PROJECT_NAME);
  g_focus_after_create = nullptr;
  create_opened_child(frame, command, true);
  return 0;
}

// ---- screen switches ---------------------------------------------------------------------

LRESULT design_screen_command(HWND frame, WPARAM, LPARAM) {
  reset_design_modes();
  if (close_monitor_screen() != 0) return 0;
  if (g_toolbar_kind != TOOLBAR_KIND_DESIGN) {
    rebuild_screen_toolbar(frame, CMD_SCREEN_DESIGN);
    set_menu_state_design(frame);
  }
  close_screen_dialogs();
  if (HWND design = first_window(g_design_windows)) {
    minimize_window_list(g_monitor_windows);
    minimize_window_list(g_mnemonic_windows);
    activate(design);
    send_command(design, CMD_FIT_WINDOW);
    g_screen_kind = SCREEN_KIND_DESIGN;
    return 0;
  }
  close_guide();
  use_project_file(".MBS", 0, FileFilter::MBS);
  if (!file_exists(g_work_path)) {
    show_message_box(frame, NO_PROJECT_DESIGN, WARNING_CAPTION, MB_OK);
    return 0;
  }
  show_mdi_client();
  const std::string title = switch_document_title(g_project_name, ".MBS");
  minimize_window_list(g_monitor_windows);
  minimize_window_list(g_mnemonic_windows);
  HWND child = create_document_child(DESIGN_CLASS, title.c_str(), ChildRoute::SCREEN_SWITCH);
  if (child != nullptr) SetWindowPos(child, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
  tile_children();
  clear_status_parts();
  return 0;
}

LRESULT mnemonic_screen_command(HWND frame, WPARAM, LPARAM) {
  reset_design_modes();
  if (HWND mnemonic = first_window(g_mnemonic_windows)) {
    minimize_window_list(g_design_windows);
    minimize_window_list(g_monitor_windows);
    activate(mnemonic);
    send_command(mnemonic, CMD_FIT_WINDOW);
    if (g_toolbar_kind != TOOLBAR_KIND_MNEMONIC) {
      rebuild_screen_toolbar(frame, CMD_SCREEN_MNEMONIC);
      set_menu_state_mnemonic(frame);
    }
    g_screen_kind = SCREEN_KIND_MNEMONIC;
    return 0;
  }
  close_screen_dialogs();
  g_child_open.filter = FileFilter::NIC;
  if (close_monitor_screen() != 0) return 0;
  use_project_file(".NIC", 0, FileFilter::NIC);
  if (!file_exists(g_work_path)) {
    show_message_box(frame, NO_PROJECT_MNEMONIC, WARNING_CAPTION, MB_OK);
    return 0;
  }
  if (g_toolbar_kind != TOOLBAR_KIND_MNEMONIC) {
    rebuild_screen_toolbar(frame, CMD_SCREEN_MNEMONIC);
    set_menu_state_mnemonic(frame);
  }
  g_screen_kind = SCREEN_KIND_MNEMONIC;
  show_mdi_client();
  const std::string title = switch_document_title(g_project_name, ".NIC");
  minimize_window_list(g_design_windows);
  minimize_window_list(g_monitor_windows);
  HWND child = create_document_child(MNEMONIC_CLASS, title.c_str(), ChildRoute::SCREEN_SWITCH);
  if (child != nullptr) SetWindowPos(child, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
  tile_children();
  clear_status_parts();
  return 0;
}

LRESULT monitor_screen_command(HWND frame, WPARAM wparam, LPARAM) {
  const bool monitor = LOWORD(wparam) == CMD_SCREEN_MONITOR;
  if (monitor) {
    if (g_design_window_count == 0 && g_mnemonic_window_count == 0) return 0;
    use_project_file(".SEQ", CHILD_OPEN_READ_ONLY, FileFilter::MBS);
    if (!file_exists(g_work_path)) {
      show_message_box(frame, NO_MONITOR_FILE, WARNING_CAPTION, MB_OK);
      return 0;
    }
    g_monitor_mode = 1;
    if (HWND first = first_window(g_monitor_windows)) InvalidateRect(first, nullptr, TRUE);
  } else {
    reset_design_modes();
    g_monitor_mode = 0;
  }

  auto& row = dialog_slot_row(g_screen_kind);
  for (int slot = 0; slot <= 3; ++slot) {
    if (row[slot] == 0) continue;
    SendMessageW(as_hwnd(row[slot]), WM_CLOSE, 0, 0);
    set_status_part_text(0, STATUS_READY);
  }
  close_guide();

  if (HWND first = first_window(g_monitor_windows)) {
    minimize_window_list(g_design_windows);
    minimize_window_list(g_mnemonic_windows);
    activate(first);
    send_command(first, CMD_FIT_WINDOW);
    if (g_toolbar_kind != TOOLBAR_KIND_MONITOR) rebuild_screen_toolbar(frame, CMD_SCREEN_OPERATION);
    return 0;
  }

  // Only the project's main file can be run; with no document window at all there is
  // nothing to run, and the command ends here.
  HWND active = active_child();
  if (active == nullptr || !IsWindow(active)) return 0;
  const DocumentViewInfo view = view_info(active);
  const bool first_of_kind = active == first_window(g_design_windows) || active == first_window(g_mnemonic_windows);
  if (view.file_number != 0 || !first_of_kind) {
    if (show_message_box(frame, NOT_MAIN_SCREEN, CONFIRM_CAPTION, MB_YESNO) == IDYES) {
      // The window the user looks at is the one kept, whatever file was chosen last.
      PathParts chosen = g_chosen_path;
      if (view.path != nullptr && view.path[0] != '\0') split_path(view.path, chosen);
      keep_as_second_history(chosen);
    }
    InvalidateRect(active, nullptr, TRUE);
    return 0;
  }

  HWND design = first_window(g_design_windows);
  const LRESULT modified = design != nullptr ? SendMessageW(design, WM_COMMAND, CMD_QUERY_MODIFIED, 0) : 0;
  if (modified == 1 || g_saved_uncompiled == 1) {
    if (show_message_box(frame, NOT_COMPILED, WARNING_CAPTION, MB_OKCANCEL) == IDCANCEL) return 0;
  }

  const std::string title = monitor_window_title(g_project_name, g_monitor_window_count + 1);
  HWND child = create_document_child(MONITOR_CLASS, title.c_str(), ChildRoute::MONITOR);
  if (child == nullptr) return 0;
  show_mdi_client();
  minimize_window_list(g_mnemonic_windows);
  SetWindowPos(child, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
  if (g_focus_after_create != nullptr) SetFocus(g_focus_after_create);
  tile_children();
  SetFocus(child);
  activate(first_window(g_monitor_windows));
  if (g_monitor_window_count == 1 && g_guide_flags[1] != 0) open_guide_dialog(frame, GuideKind::MonitorTips);
  if (g_toolbar_kind != TOOLBAR_KIND_MONITOR) rebuild_screen_toolbar(frame, CMD_SCREEN_OPERATION);
  activate(child);
  clear_status_parts();
  return 0;
}

// ---- exit, close all, I/O display ----------------------------------------------------------

LRESULT exit_command(HWND frame, WPARAM, LPARAM) {
  for (WindowHandle first : {g_design_windows[0], g_mnemonic_windows[0], g_monitor_windows[0]})
    if (first != 0 && first != WINDOW_LIST_END) SendMessageW(as_hwnd(first), WM_CLOSE, 0, 0);
  SendMessageW(frame, WM_CLOSE, 0, 0);
  if (IsWindow(frame)) set_status_part_text(0, STATUS_READY);
  return 0;
}

LRESULT close_all_command(HWND, WPARAM, LPARAM) {
  for (WindowHandle first : {g_design_windows[0], g_monitor_windows[0], g_mnemonic_windows[0]})
    if (is_live_window(first)) SendMessageW(as_hwnd(first), WM_SYSCOMMAND, SC_CLOSE, 0);
  set_status_part_text(0, STATUS_READY);
  reset_design_modes();
  return 0;
}

LRESULT io_display_command(HWND frame, WPARAM, LPARAM) {
  reset_design_modes();
  HWND monitor = first_window(g_monitor_windows);
  if (monitor == nullptr) return 0;
  // The monitor window's own path is its operation file; the file chosen last names the
  // display.
  g_child_open.filter = FileFilter::MBS;
  g_child_open.flags = CHILD_OPEN_READ_ONLY;
  if (const DocumentViewInfo view = view_info(monitor); view.path != nullptr) copy_text(g_child_open.path, view.path);
  const std::string title = io_display_title(g_path_name);
  // No window of this class is part of the program: the request creates nothing.
  create_document_child(IO_DISPLAY_CLASS, title.c_str(), ChildRoute::MONITOR);
  tile_children();
  if (g_guide_flags[1] != 0) open_guide_dialog(frame, GuideKind::PinViewTips);
  clear_status_parts();
  return 0;
}

void install_document_commands() {
  set_frame_command_handler(CMD_OPEN_DESIGN, open_file_command);
  set_frame_command_handler(CMD_OPEN_MNEMONIC, open_file_command);
  for (int id = CMD_RECENT_FILE; id <= CMD_RECENT_FILE_LAST; ++id) set_frame_command_handler(id, recent_file_command);
  set_frame_command_handler(CMD_NEW_DESIGN, new_document_command);
  set_frame_command_handler(CMD_NEW_MNEMONIC, new_document_command);
  set_frame_command_handler(CMD_SCREEN_DESIGN, design_screen_command);
  set_frame_command_handler(CMD_SCREEN_MNEMONIC, mnemonic_screen_command);
  set_frame_command_handler(CMD_SCREEN_OPERATION, monitor_screen_command);
  set_frame_command_handler(CMD_SCREEN_MONITOR, monitor_screen_command);
  set_frame_command_handler(CMD_EXIT, exit_command);
  set_frame_command_handler(CMD_CLOSE_ALL, close_all_command);
  set_frame_command_handler(CMD_IO_DISPLAY, io_display_command);
  install_sample_hooks();
}
