#include "shell/settings_win.h"

#include <cstdio>
#include <string>
#include <vector>

#include "shell/command_ids.h"
#include "shell/file_replace_win.h"
#include "shell/frame_handles_win.h"
#include "shell/settings_file.h"
#include "shell/text_win.h"
#include "target/serial_port.h"

namespace {

constexpr wchar_t SETTINGS_FILE[] = L"file.ini";
// More than any file.ini the program writes; what lies beyond is not read.
constexpr std::size_t MAX_SETTINGS_BYTES = 1 << 20;

std::string read_whole(FILE* file) {
  std::string text;
  char buffer[4096];
  std::size_t n;
  while (text.size() < MAX_SETTINGS_BYTES && (n = std::fread(buffer, 1, sizeof buffer, file)) > 0) text.append(buffer, n);
  if (text.size() > MAX_SETTINGS_BYTES) text.resize(MAX_SETTINGS_BYTES);
  return text;
}

// A file.ini that exists but could not be read at start-up (another program held it, say):
// its full path. The settings of this run never replace it, since the program knows nothing
// of what it holds.
std::wstring g_unread_settings_file;

std::wstring full_path(const std::wstring& path) {
  wchar_t buffer[MAX_PATH * 2];
  const DWORD n = GetFullPathNameW(path.c_str(), MAX_PATH * 2, buffer, nullptr);
  return n == 0 || n >= MAX_PATH * 2 ? path : std::wstring(buffer, n);
}

// The file is written as a new file and moved over the old one only when complete, so a
// failed or interrupted write never leaves a damaged file.ini, and through the gate of
// core/file_replace.h: a read-only, locked or unread file.ini, or a folder in its place,
// keeps what it holds. The settings writer tells nobody (the program writes file.ini at
// every change and when it closes, and a message each time would stand in the user's way).
// A folder whose name has no CP932 form cannot take the file (the program keeps its paths in
// CP932): the write fails and the old file stays.
bool write_whole(const std::wstring& path, const std::string& text) {
  std::string narrow;
  if (!wide_to_cp932(path, narrow)) return false;
  DocumentMarks unread;
  unread.not_opened = true;
  std::string unread_path;
  const bool was_unread = !g_unread_settings_file.empty() && wide_to_cp932(g_unread_settings_file, unread_path) &&
                          same_file_path(unread_path, narrow);
  return write_text_replacing(narrow, text, was_unread ? &unread : nullptr) == ReplaceResult::REPLACED;
}

// A rectangle that lies on no monitor would put the frame where nobody can reach it.
bool reachable(const FramePlacement& frame) {
  RECT rect{frame.left, frame.top, frame.left + frame.width, frame.top + frame.height};
  return MonitorFromRect(&rect, MONITOR_DEFAULTTONULL) != nullptr;
}

// Menu texts show '&' as a mnemonic mark; a path shows it as it is.
std::wstring menu_text(const std::string& text) {
  std::wstring wide = cp932_to_wide(text);
  std::wstring escaped;
  for (wchar_t c : wide) {
    if (c == L'&') escaped += L'&';
    escaped += c;
  }
  return escaped;
}

void append_items(HMENU menu, const std::vector<RecentMenuItem>& items) {
  for (const auto& item : items)
    AppendMenuW(menu, MF_STRING, static_cast<UINT_PTR>(item.id), menu_text(item.text).c_str());
}

void read_settings_lines(HWND frame);

void delete_items(HMENU menu, int first_id, int last_id) {
  for (int id = first_id; id <= last_id; ++id) DeleteMenu(menu, static_cast<UINT>(id), MF_BYCOMMAND);
}

}  // namespace

void read_settings_file(HWND frame) {
  read_settings_lines(frame);
  // The link owns the board's COM number; the settings hand it down.
  g_com_number = g_app_settings.com_number;
}

namespace {

void read_settings_lines(HWND frame) {
  SettingsReadOutcome outcome;
  g_unread_settings_file.clear();
  if (GetFileAttributesW(SETTINGS_FILE) == INVALID_FILE_ATTRIBUTES) {
    g_app_settings.com_number = 1;
    // A file that cannot be created leaves the defaults in memory.
    AppSettings created = g_app_settings;
    outcome = settings_for_missing_file(created);
    if (!write_whole(SETTINGS_FILE, outcome.default_text)) return;
    g_app_settings = created;
  } else {
    // Read only: the default lines that may have to replace it are written as a whole new
    // file (a read-only file.ini is read and kept).
    FILE* file = _wfopen(SETTINGS_FILE, L"rb");
    if (!file) {
      g_unread_settings_file = full_path(SETTINGS_FILE);
      return;
    }
    const std::string text = read_whole(file);
    std::fclose(file);
    outcome = read_settings_text(text, g_app_settings);
    if (outcome.write_defaults) write_whole(SETTINGS_FILE, outcome.default_text);
  }

  if (outcome.change_directory) {
    const std::wstring folder = cp932_to_wide(g_work_folder);
    if (!folder.empty()) SetCurrentDirectoryW(folder.c_str());
  }
  if (outcome.move_frame && reachable(outcome.frame))
    MoveWindow(frame, outcome.frame.left, outcome.frame.top, outcome.frame.width, outcome.frame.height, TRUE);
  rebuild_recent_file_menu();
}

}  // namespace

RECT frame_rectangle_to_save(HWND frame) {
  RECT rect{};
  if (!frame || !IsWindow(frame)) return rect;
  if (!IsIconic(frame)) {
    GetWindowRect(frame, &rect);
    return rect;
  }
  // A minimised frame reports its icon's place; keep where it will be restored to. The
  // placement counts from the work area, the saved rectangle from the screen.
  WINDOWPLACEMENT placement{};
  placement.length = sizeof placement;
  GetWindowPlacement(frame, &placement);
  rect = placement.rcNormalPosition;
  MONITORINFO monitor{};
  monitor.cbSize = sizeof monitor;
  if (GetMonitorInfoW(MonitorFromRect(&rect, MONITOR_DEFAULTTOPRIMARY), &monitor))
    OffsetRect(&rect, monitor.rcWork.left - monitor.rcMonitor.left, monitor.rcWork.top - monitor.rcMonitor.top);
  return rect;
}

void save_settings() {
  const RECT rect = frame_rectangle_to_save(g_frame);
  const FramePlacement frame{rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top};
  // The link may have moved to another port since the file was read.
  g_app_settings.com_number = g_com_number;
  const std::string text = format_settings_file(g_app_settings, frame);
  std::wstring path = g_program_folder;
  if (!path.empty() && path.back() != L'\\' && path.back() != L'/') path += L'\\';
  path += SETTINGS_FILE;
  write_whole(path, text);
}

void rebuild_recent_file_menu() {
  if (!g_main_window_menu) return;
  const RecentMenuPlan plan = recent_menu_plan(g_recent_files, g_recent_expanded != 0);
  if (!plan.change) return;
  delete_items(g_main_window_menu, plan.delete_first_id, plan.delete_last_id);
  append_items(g_main_window_menu, plan.append);
}

void expand_recent_file_menu() {
  g_recent_expanded = 1;
  if (!g_main_window_menu) return;
  DeleteMenu(g_main_window_menu, CMD_RECENT_EXPAND, MF_BYCOMMAND);
  append_items(g_main_window_menu, recent_expand_items(g_recent_files));
}
