// The new files a staged write makes beside its target (core/file_replace.h): a test that
// checks nothing is left behind counts them in the target's folder.
#pragma once

#include <filesystem>
#include <string>
#include <system_error>

#include "core/file_replace.h"

inline int staging_files_in(const std::filesystem::path& folder) {
  int count = 0;
  std::error_code error;
  for (const auto& entry : std::filesystem::directory_iterator(folder, error)) {
    // The names are compared as ASCII: a new file's name has no other characters.
    const auto name = entry.path().filename().native();
    std::string ascii;
    for (auto c : name) ascii.push_back(static_cast<unsigned>(c) < 0x80 ? static_cast<char>(c) : '?');
    if (is_staging_name(ascii)) ++count;
  }
  return count;
}
