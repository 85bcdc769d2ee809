// Writing a file so that a failure never damages it: the whole text goes to a new file
// beside it (its name with ".new" added), which is moved over the old file only when every
// byte was written and the new file was closed cleanly. A write that fails or is
// interrupted leaves the old file as it was; a failed write removes the new file.
#pragma once

#include <filesystem>
#include <functional>
#include <string_view>

// Moves `from` over `to`, replacing `to` when it exists; false when it could not.
using FileMover = std::function<bool(const std::filesystem::path& from, const std::filesystem::path& to)>;

// The portable mover: std::filesystem::rename, which replaces `to` in one step on POSIX
// systems. The Win32 program passes move_file_over (shell/file_replace_win.h).
bool rename_over(const std::filesystem::path& from, const std::filesystem::path& to);

// The new file that write_file_replacing writes first: `path` with ".new" added.
std::filesystem::path new_file_path(const std::filesystem::path& path);

// Writes `text` as the whole content of `path` through the new file; true when `path`
// now holds exactly `text`.
bool write_file_replacing(const std::filesystem::path& path, std::string_view text,
                          const FileMover& move_over = rename_over);
