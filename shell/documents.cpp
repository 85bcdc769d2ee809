#include "shell/documents.h"

#include <cstdio>
#include <cstring>

ChildOpenRecord g_child_open{};
char g_open_path[PATH_BYTES] = "";
char g_open_title[PATH_BYTES] = "";
char g_work_path[PATH_BYTES] = "";
PathParts g_chosen_path{};
char (&g_path_root)[PATH_DRIVE_BYTES] = g_chosen_path.drive;
char (&g_path_drive)[PATH_DRIVE_BYTES] = g_chosen_path.drive;
char (&g_path_dir)[PATH_DIR_BYTES] = g_chosen_path.dir;
char (&g_path_name)[PATH_NAME_BYTES] = g_chosen_path.name;
char (&g_path_ext)[PATH_EXT_BYTES] = g_chosen_path.ext;
int32_t g_monitor_mode = 0;
int32_t g_saved_uncompiled = 0;

namespace {

std::string_view text_of(const char* buffer, std::size_t size) { return {buffer, strnlen(buffer, size)}; }

}  // namespace

std::string_view filter_pairs(FileFilter filter) {
  using namespace std::string_view_literals;
  switch (filter) {
    case FileFilter::MBS:
      return "MBS\0*.MBS\0\0"sv;
    case FileFilter::NIC:
      return "NIC\0*.NIC\0\0"sv;
    case FileFilter::SEQ:
      return "SEQ\0*.SEQ\0\0"sv;
    case FileFilter::EXE:
      return "EXE\0*.EXE\0\0"sv;
  }
  return "MBS\0*.MBS\0\0"sv;
}

bool fill_child_open(ChildOpenRecord& record, FileFilter filter, std::string_view path, std::string_view title,
                     uint32_t flags) {
  record.filter = filter;
  record.flags = flags;
  const bool path_fits = copy_text(record.path, path);
  const bool title_fits = copy_text(record.title, title);
  if (path_fits && title_fits) return true;
  record.path[0] = record.title[0] = '\0';
  return false;
}

ChildPlacement child_placement(ChildRoute route, int client_width, int client_height) {
  // A window placed above the client's top (its caption hidden) is that much taller, so
  // that its bottom border and scroll arrow sit on the client's bottom edge.
  switch (route) {
    case ChildRoute::OPEN:
      return {0, 0, client_width, client_height, CHILD_STYLE_DOCUMENT};
    case ChildRoute::SCREEN_SWITCH:
      return {0, -23, client_width, client_height + 23, CHILD_STYLE_DOCUMENT};
    case ChildRoute::MONITOR:
      return {0, -23, client_width - 8, client_height + 23, CHILD_STYLE_MONITOR};
  }
  return {0, 0, client_width, client_height, CHILD_STYLE_DOCUMENT};
}

std::string new_document_title(bool mnemonic) { return mnemonic ? "  新規.NIC" : "  新規.MBS"; }

std::string opened_document_title(std::string_view file_title, bool reference) {
  std::string title = "  ";
  title += file_title;
  if (reference) title += " -Refer.";
  return title;
}

std::string switch_document_title(std::string_view project_name, std::string_view extension) {
  std::string title = "  ";
  title += project_name;
  title += extension;
  return title;
}

std::string monitor_window_title(std::string_view project_name, int number) {
  std::string title(project_name);
  title += ".SEQ  No. = ";
  title += std::to_string(number);
  return title;
}

std::string io_display_title(std::string_view name) {
  std::string title = "I/O DSPLAY  ";
  title += name;
  title += ".SEQ";
  return title;
}

bool project_file_path(const PathParts& project, std::string_view extension, std::span<char> dest) {
  PathParts parts = project;
  if (!copy_text(parts.ext, extension)) {
    if (!dest.empty()) dest[0] = '\0';
    return false;
  }
  return join_path(parts, dest);
}

int split_chosen_path(std::string_view long_path, std::string_view short_path, PathParts& parts) {
  PathParts long_parts{};
  if (split_path(long_path, long_parts) != 0) {
    split_path("", parts);
    return -1;
  }
  if (split_path(short_path, parts) != 0) return -1;
  std::memcpy(parts.name, long_parts.name, sizeof parts.name);
  return 0;
}

std::string file_title_of(const PathParts& parts) {
  std::string title(text_of(parts.name, sizeof parts.name));
  title += text_of(parts.ext, sizeof parts.ext);
  return title;
}
