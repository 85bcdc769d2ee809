#include "shell/path_parts.h"

#include <cstring>
#include <string>

#include "core/sjis.h"

bool copy_text(std::span<char> dest, std::string_view text) {
  if (dest.empty()) return false;
  if (text.size() + 1 > dest.size()) {
    dest[0] = '\0';
    return false;
  }
  if (!text.empty()) std::memcpy(dest.data(), text.data(), text.size());
  dest[text.size()] = '\0';
  return true;
}

bool append_text(std::span<char> dest, std::string_view text) {
  if (dest.empty()) return false;
  const std::size_t used = strnlen(dest.data(), dest.size());
  if (used == dest.size() || used + text.size() + 1 > dest.size()) return false;
  if (!text.empty()) std::memcpy(dest.data() + used, text.data(), text.size());
  dest[used + text.size()] = '\0';
  return true;
}

namespace {

bool is_separator(char c) { return c == '\\' || c == '/'; }

void clear_parts(PathParts& parts) {
  parts.drive[0] = parts.dir[0] = parts.name[0] = parts.ext[0] = '\0';
}

}  // namespace

bool ends_with_separator(std::string_view text) {
  bool last_was_separator = false;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const auto c = static_cast<unsigned char>(text[i]);
    if (is_sjis_lead_byte(c) && i + 1 < text.size()) {
      ++i;
      last_was_separator = false;
    } else {
      last_was_separator = is_separator(text[i]);
    }
  }
  return last_was_separator;
}

int split_path(std::string_view path, PathParts& parts) {
  clear_parts(parts);
  std::size_t pos = 0;
  std::string_view drive;
  if (path.size() >= 2 && path[1] == ':' && static_cast<unsigned char>(path[0]) < 0x80) {
    drive = path.substr(0, 2);
    pos = 2;
  }
  // The directory ends after the last separator; the extension starts at the last dot
  // of the part after it. Both scans step over double-byte characters.
  std::size_t dir_end = pos;
  std::size_t last_dot = std::string_view::npos;
  for (std::size_t i = pos; i < path.size(); ++i) {
    const auto c = static_cast<unsigned char>(path[i]);
    if (is_sjis_lead_byte(c) && i + 1 < path.size()) {
      ++i;
      continue;
    }
    if (is_separator(path[i])) {
      dir_end = i + 1;
      last_dot = std::string_view::npos;
    } else if (path[i] == '.') {
      last_dot = i;
    }
  }
  const std::string_view dir = path.substr(pos, dir_end - pos);
  std::string_view name = path.substr(dir_end);
  std::string_view ext;
  if (last_dot != std::string_view::npos) {
    name = path.substr(dir_end, last_dot - dir_end);
    ext = path.substr(last_dot);
  }
  if (!copy_text(parts.drive, drive) || !copy_text(parts.dir, dir) || !copy_text(parts.name, name) ||
      !copy_text(parts.ext, ext)) {
    clear_parts(parts);
    return -1;
  }
  return 0;
}

bool join_path(const PathParts& parts, std::span<char> dest) {
  std::string joined;
  joined.append(parts.drive, strnlen(parts.drive, sizeof parts.drive));
  joined.append(parts.dir, strnlen(parts.dir, sizeof parts.dir));
  joined.append(parts.name, strnlen(parts.name, sizeof parts.name));
  joined.append(parts.ext, strnlen(parts.ext, sizeof parts.ext));
  return copy_text(dest, joined);
}
