// Paths as the program keeps them: CP932 byte strings split into drive, directory, name
// and extension. The split steps over double-byte characters as units, so the trail
// byte 0x5C of a character such as "表" is never taken for a separator.
#pragma once

#include <cstddef>
#include <span>
#include <string_view>

inline constexpr int PATH_BYTES = 260;        // a whole path with its terminating NUL
inline constexpr int PATH_DRIVE_BYTES = 3;    // "C:" and NUL
inline constexpr int PATH_DIR_BYTES = 256;
inline constexpr int PATH_NAME_BYTES = 256;
inline constexpr int PATH_EXT_BYTES = 256;

struct PathParts {
  char drive[PATH_DRIVE_BYTES];  // "C:" or empty
  char dir[PATH_DIR_BYTES];      // "\folder\sub\" (with the last separator) or empty
  char name[PATH_NAME_BYTES];    // file name without extension
  char ext[PATH_EXT_BYTES];      // ".MBS" (with the dot) or empty
};

// Copies `text` and a NUL into `dest`. A text that does not fit is refused, never cut
// (paths must stay whole; core/sjis.h has the cut for display texts):
// dest becomes empty and the result is false.
bool copy_text(std::span<char> dest, std::string_view text);
// Appends `text` to the NUL-terminated string in `dest`; refused (dest unchanged) when
// the result would not fit.
bool append_text(std::span<char> dest, std::string_view text);

// Splits `path` into its pieces. Returns 0, or -1 when a piece does not fit its buffer
// (every piece is then empty).
int split_path(std::string_view path, PathParts& parts);
// Joins drive, directory, name and extension into `dest`; false when it does not fit
// (dest is then empty).
bool join_path(const PathParts& parts, std::span<char> dest);

// True when `text` ends in a path separator that is not the trail byte of a double-byte
// character.
bool ends_with_separator(std::string_view text);
