// The Win32 mover of write_file_replacing (shell/file_replace.h).
#pragma once

#include <filesystem>

// MoveFileExW with MOVEFILE_REPLACE_EXISTING (and MOVEFILE_WRITE_THROUGH, so that the
// move is on disk when it returns); false when it failed.
bool move_file_over(const std::filesystem::path& from, const std::filesystem::path& to);
