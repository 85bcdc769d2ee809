#include "shell/current_project.h"

#include <cstring>
#include <string_view>

char g_project_drive[PATH_DRIVE_BYTES] = "";
char g_project_dir[PATH_DIR_BYTES] = "";
char g_project_ext[PATH_EXT_BYTES] = "";

namespace {
template <std::size_t N>
std::string_view text_of(const char (&buffer)[N]) {
  return {buffer, strnlen(buffer, N)};
}
}  // namespace

PathParts current_project() {
  PathParts project{};
  if (!copy_text(project.drive, text_of(g_project_drive)) || !copy_text(project.dir, text_of(g_project_dir)) ||
      !copy_text(project.name, text_of(g_project_name)) || !copy_text(project.ext, text_of(g_project_ext)))
    project = PathParts{};
  return project;
}

void set_current_project(const PathParts& project) {
  copy_text(g_project_drive, text_of(project.drive));
  copy_text(g_project_dir, text_of(project.dir));
  copy_text(g_project_name, text_of(project.name));
  copy_text(g_project_ext, text_of(project.ext));
}
