#include "shell/file_replace.h"

#include <fstream>
#include <system_error>

bool rename_over(const std::filesystem::path& from, const std::filesystem::path& to) {
  std::error_code error;
  std::filesystem::rename(from, to, error);
  return !error;
}

std::filesystem::path new_file_path(const std::filesystem::path& path) {
  std::filesystem::path fresh = path;
  fresh += ".new";
  return fresh;
}

bool write_file_replacing(const std::filesystem::path& path, std::string_view text, const FileMover& move_over) {
  const std::filesystem::path fresh = new_file_path(path);
  bool written = false;
  {
    std::ofstream out(fresh, std::ios::binary | std::ios::trunc);
    if (out) {
      out.write(text.data(), static_cast<std::streamsize>(text.size()));
      out.flush();
      out.close();
      written = !out.fail();
    }
  }
  if (written && move_over(fresh, path)) return true;
  std::error_code ignored;
  std::filesystem::remove(fresh, ignored);
  return false;
}
