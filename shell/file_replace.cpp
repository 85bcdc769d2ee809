#include "shell/file_replace.h"

#include <utility>

#include "core/text_file.h"

namespace {

FileAccess g_files;

}  // namespace

void set_file_access(FileAccess access) { g_files = std::move(access); }
const FileAccess& file_access() { return g_files; }

std::FILE* open_file(const char* path, const char* mode) {
  return g_files.open ? g_files.open(path, mode) : open_text_file(path, mode);
}

bool replace_file(const char* from, const char* to) {
  if (g_files.replace) return g_files.replace(from, to);
  return std::rename(from, to) == 0;
}

bool remove_file(const char* path) { return g_files.remove ? g_files.remove(path) : std::remove(path) == 0; }

bool file_exists(const char* path) {
  if (g_files.exists) return g_files.exists(path);
  std::FILE* f = std::fopen(path, "rb");
  if (!f) return false;
  std::fclose(f);
  return true;
}

std::string staging_path(const std::string& path) { return path + ".new"; }

StagedFile::StagedFile(std::string path) : path_(std::move(path)), staging_(staging_path(path_)) {}

StagedFile::~StagedFile() { discard(); }

bool StagedFile::open() {
  if (stream_) return true;
  stream_ = open_file(staging_.c_str(), "w+");
  opened_ = opened_ || stream_ != nullptr;
  return stream_ != nullptr;
}

bool StagedFile::commit() {
  if (!stream_) return false;
  const bool written = finish_writing(stream_);
  const bool closed = std::fclose(stream_) == 0;
  stream_ = nullptr;
  if (!written || !closed || !replace_file(staging_.c_str(), path_.c_str())) {
    remove_file(staging_.c_str());
    return false;
  }
  committed_ = true;
  return true;
}

void StagedFile::discard() {
  if (stream_) {
    std::fclose(stream_);
    stream_ = nullptr;
  }
  if (opened_ && !committed_) remove_file(staging_.c_str());
  opened_ = false;
}

ReplaceResult write_file_replacing(const std::string& path, const std::function<bool(std::FILE*)>& write) {
  StagedFile file(path);
  if (!file.open()) return ReplaceResult::NOT_OPENED;
  const bool written = write(file.stream());
  if (!written) return ReplaceResult::NOT_WRITTEN;  // the destructor drops the new file
  return file.commit() ? ReplaceResult::REPLACED : ReplaceResult::NOT_WRITTEN;
}

bool write_file_replacing(const std::string& path, std::string_view text) {
  return write_file_replacing(path, [text](std::FILE* stream) { return write_text(stream, text); }) ==
         ReplaceResult::REPLACED;
}
