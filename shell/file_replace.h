// Writing files so that a failure never damages them, and the file calls every writer goes
// through.
//
// A document is written to a new file beside it (its name with ".new" added), which is
// moved over the old file only when every byte was written and the new file was closed
// cleanly. A write that fails or is interrupted leaves the old file as it was, and the new
// file is removed.
//
// Paths are CP932, as the program keeps them. The Win32 program installs the
// wide-character calls (install_win32_file_access, shell/file_replace_win.h); until then,
// and in the native tests, the C library serves.
#pragma once

#include <cstdio>
#include <functional>
#include <string>
#include <string_view>

struct FileAccess {
  std::function<std::FILE*(const char* path, const char* mode)> open;
  // Moves `from` over `to`, replacing `to` when it exists; false when it could not.
  std::function<bool(const char* from, const char* to)> replace;
  std::function<bool(const char* path)> remove;
  std::function<bool(const char* path)> exists;
};
// Installs the calls; an empty field falls back to the C library.
void set_file_access(FileAccess access);
// The installed calls, for a test that wraps them.
const FileAccess& file_access();

// The calls themselves. open_file always opens in binary mode.
std::FILE* open_file(const char* path, const char* mode);
bool replace_file(const char* from, const char* to);
bool remove_file(const char* path);
bool file_exists(const char* path);

// The new file written before it replaces `path`: `path` with ".new" added.
std::string staging_path(const std::string& path);

// A file written beside its final place and moved over it by commit(); dropped (the new
// file removed, the old one untouched) unless committed.
class StagedFile {
 public:
  explicit StagedFile(std::string path);
  ~StagedFile();
  StagedFile(const StagedFile&) = delete;
  StagedFile& operator=(const StagedFile&) = delete;

  // Creates the new file; false when it cannot be made.
  bool open();
  std::FILE* stream() const { return stream_; }
  // Flushes and closes the new file and moves it over the old one; false when a write
  // failed or the move did not happen (the old file is then kept).
  bool commit();
  void discard();

 private:
  std::string path_;
  std::string staging_;
  std::FILE* stream_ = nullptr;
  bool opened_ = false;
  bool committed_ = false;
};

enum class ReplaceResult { REPLACED, NOT_OPENED, NOT_WRITTEN };

// Writes the whole content of `path` with `write` (true when it wrote everything) through
// a StagedFile. NOT_OPENED: the new file could not be made; NOT_WRITTEN: the write or the
// move failed. The old file is kept in both cases.
ReplaceResult write_file_replacing(const std::string& path, const std::function<bool(std::FILE*)>& write);
// The same for a text that is already whole; true when `path` now holds exactly `text`.
bool write_file_replacing(const std::string& path, std::string_view text);
