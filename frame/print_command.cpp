#include "frame/print_command.h"

#include <cstring>

#include "shell/command_routing.h"

char g_print_path[PATH_BYTES] = "";

PrintCase print_case(int toolbar_kind, bool has_first_design_window, bool has_first_mnemonic_window) {
  if (toolbar_kind == TOOLBAR_KIND_DESIGN && has_first_design_window) return PrintCase::AskThenPrint;
  if (toolbar_kind == TOOLBAR_KIND_MNEMONIC && has_first_mnemonic_window) return PrintCase::Unsupported;
  return PrintCase::Nothing;
}

namespace {

// printf-style filling of one or two %s, without the length limits of a fixed buffer.
std::string fill(std::string_view format, std::string_view first, std::string_view second = {}) {
  std::string out;
  int taken = 0;
  for (std::size_t i = 0; i < format.size(); ++i) {
    if (format[i] == '%' && i + 1 < format.size() && format[i + 1] == 's') {
      out += taken++ == 0 ? first : second;
      ++i;
    } else {
      out += format[i];
    }
  }
  return out;
}

}  // namespace

std::string print_question(std::string_view project_name, std::string_view chosen_ext) {
  return fill(PRINT_QUESTION_FORMAT, project_name, chosen_ext);
}

bool build_print_path(const PathParts& project, std::span<char> dest) {
  PathParts design = project;
  copy_text(design.ext, ".MBS");
  return join_path(design, dest);
}

bool build_print_library_path(std::string_view program_folder, std::span<char> dest) {
  std::string path(program_folder);
  if (!ends_with_separator(path)) path += '\\';
  path += PRINT_LIBRARY_FILE;
  return copy_text(dest, path);
}

std::string print_library_missing_text(std::string_view library_path) {
  return fill(PRINT_LIBRARY_MISSING_FORMAT, library_path);
}

std::string print_entry_missing_text(std::string_view library_path) {
  return fill(PRINT_ENTRY_MISSING_FORMAT, library_path);
}
