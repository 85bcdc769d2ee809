#include "core/file_replace.h"

#include <cstdint>
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <system_error>
#include <utility>

#include "core/sjis.h"
#include "core/text_file.h"

namespace {

namespace fs = std::filesystem;

FileAccess g_files;

// Where the last path component starts: after the last separator, a double-byte character's
// trail byte (which may be 0x5C) never taken for one.
size_t name_start(std::string_view path) {
  size_t start = 0;
  for (size_t i = 0; i < path.size();) {
    const size_t n = sjis_char_length(path, i);
    if (n == 1 && (path[i] == '\\' || path[i] == '/' || path[i] == ':')) start = i + 1;
    i += n;
  }
  return start;
}

std::FILE* create_new_with_c_library(const char* path) {
#if defined(_WIN32)
  // The C library of Windows has no exclusive mode: the name is looked at first.
  if (std::FILE* there = std::fopen(path, "rb")) {
    std::fclose(there);
    return nullptr;
  }
  std::error_code error;
  if (fs::exists(fs::path(path), error)) return nullptr;
  return std::fopen(path, "wb");
#else
  return std::fopen(path, "wbx");
#endif
}

TargetState state_with_filesystem(const char* path) {
  TargetState state;
  std::error_code error;
  const fs::path target(path);
  const fs::file_status status = fs::status(target, error);
  if (fs::exists(status)) {
    state.exists = true;
    state.folder = fs::is_directory(status);
    state.read_only = !state.folder && (status.permissions() & fs::perms::owner_write) == fs::perms::none;
    return state;
  }
  const fs::path parent = target.parent_path();
  if (!parent.empty() && !fs::is_directory(parent, error)) state.no_folder = true;
  return state;
}

// A different number at every try, different from one run to the next.
unsigned next_staging_number() {
  static unsigned number = static_cast<unsigned>(std::time(nullptr)) ^ static_cast<unsigned>(std::clock()) ^
                           static_cast<unsigned>(reinterpret_cast<std::uintptr_t>(&number) >> 4);
  number = number * 1103515245u + 12345u;
  return (number >> 8) & 0xFFFFF;
}

}  // namespace

GateVerdict judge_write_target(std::string_view path, const TargetState& state, const DocumentMarks* marks) {
  if (marks != nullptr && marks->opened_read_only) return GateVerdict::OPENED_READ_ONLY;
  if (marks != nullptr && marks->not_opened) return GateVerdict::NOT_OPENED;
  if (path.empty() || path.size() >= WRITE_PATH_BYTES || state.unreachable) return GateVerdict::PATH_TOO_LONG;
  if (state.folder) return GateVerdict::FOLDER;
  if (state.read_only) return GateVerdict::READ_ONLY;
  if (state.locked) return GateVerdict::LOCKED;
  if (!state.exists && state.no_folder) return GateVerdict::NO_FOLDER;
  if (marks != nullptr && !marks->cut_lines.empty()) return GateVerdict::ASK_CUT_LINES;
  return GateVerdict::WRITE;
}

void set_file_access(FileAccess access) { g_files = std::move(access); }
const FileAccess& file_access() { return g_files; }

std::FILE* open_file(const char* path, const char* mode) {
  return g_files.open ? g_files.open(path, mode) : open_text_file(path, mode);
}

std::FILE* create_new_file(const char* path) {
  return g_files.create_new ? g_files.create_new(path) : create_new_with_c_library(path);
}

bool replace_file(const char* from, const char* to) {
  if (g_files.replace) return g_files.replace(from, to);
  std::error_code error;
  fs::rename(fs::path(from), fs::path(to), error);
  return !error;
}

bool remove_file(const char* path) { return g_files.remove ? g_files.remove(path) : std::remove(path) == 0; }

bool file_exists(const char* path) {
  if (g_files.exists) return g_files.exists(path);
  std::error_code error;
  return fs::is_regular_file(fs::path(path), error);
}

TargetState target_state(const char* path) { return g_files.state ? g_files.state(path) : state_with_filesystem(path); }

GateVerdict check_write_target(const std::string& path, const DocumentMarks* marks) {
  const TargetState state = path.empty() || path.size() >= WRITE_PATH_BYTES ? TargetState{} : target_state(path.c_str());
  return judge_write_target(path, state, marks);
}

bool same_file_path(std::string_view a, std::string_view b) {
  if (a.empty() || b.empty()) return false;
  if (g_files.same_file) return g_files.same_file(std::string(a).c_str(), std::string(b).c_str());
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size();) {
    const size_t n = sjis_char_length(a, i);
    if (n != sjis_char_length(b, i)) return false;
    if (n == 1) {
      auto fold = [](char c) {
        if (c == '/') return '\\';
        return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
      };
      if (fold(a[i]) != fold(b[i])) return false;
    } else if (a.substr(i, n) != b.substr(i, n)) {
      return false;
    }
    i += n;
  }
  return true;
}

std::string staging_candidate(std::string_view path, unsigned number) {
  char name[16];
  std::snprintf(name, sizeof name, "~TV%05X.TMP", number & 0xFFFFF);
  std::string candidate(path.substr(0, name_start(path)));
  candidate += name;
  return candidate;
}

bool is_staging_name(std::string_view name) {
  if (name.size() != 12 || name.substr(0, 3) != "~TV" || name.substr(8) != ".TMP") return false;
  for (char c : name.substr(3, 5))
    if (hex_digit_value(c) < 0 || (c >= 'a' && c <= 'f')) return false;
  return true;
}

StagedFile::StagedFile(std::string path, const DocumentMarks* marks) : path_(std::move(path)) {
  if (marks != nullptr) {
    has_marks_ = true;
    marks_ = *marks;
  }
}

StagedFile::~StagedFile() { discard(); }

bool StagedFile::open() {
  if (stream_) return true;
  verdict_ = check_write_target(path_, has_marks_ ? &marks_ : nullptr);
  if (!write_allowed(verdict_)) return false;
  // A name taken by anything (a file of the user's, a file left by an interrupted write)
  // is passed over: the new file is always one this write made.
  for (int attempt = 0; attempt < 64 && stream_ == nullptr; ++attempt) {
    std::string candidate = staging_candidate(path_, next_staging_number());
    stream_ = create_new_file(candidate.c_str());
    if (stream_) staging_ = std::move(candidate);
  }
  return stream_ != nullptr;
}

bool StagedFile::commit() {
  if (!stream_) return false;
  const bool written = finish_writing(stream_);
  const bool closed = std::fclose(stream_) == 0;
  stream_ = nullptr;
  bool replaced = false;
  if (written && closed) {
    // The target may have changed while the new file was written: the gate is asked again,
    // right before the move.
    verdict_ = check_write_target(path_, has_marks_ ? &marks_ : nullptr);
    replaced = write_allowed(verdict_) && replace_file(staging_.c_str(), path_.c_str());
  }
  if (!replaced) {
    remove_file(staging_.c_str());
    staging_.clear();
    return false;
  }
  staging_.clear();
  committed_ = true;
  return true;
}

void StagedFile::discard() {
  if (stream_) {
    std::fclose(stream_);
    stream_ = nullptr;
  }
  if (!staging_.empty() && !committed_) remove_file(staging_.c_str());
  staging_.clear();
}

ReplaceResult write_file_replacing(const std::string& path, const std::function<bool(std::FILE*)>& write,
                                   const DocumentMarks* marks, GateVerdict* verdict) {
  StagedFile file(path, marks);
  const bool opened = file.open();
  if (verdict) *verdict = file.verdict();
  if (!opened) return write_allowed(file.verdict()) ? ReplaceResult::NOT_OPENED : ReplaceResult::REFUSED;
  const bool written = write(file.stream());
  if (!written) return ReplaceResult::NOT_WRITTEN;  // the destructor drops the new file
  const bool committed = file.commit();
  if (verdict) *verdict = file.verdict();
  if (committed) return ReplaceResult::REPLACED;
  return write_allowed(file.verdict()) ? ReplaceResult::NOT_WRITTEN : ReplaceResult::REFUSED;
}

ReplaceResult write_text_replacing(const std::string& path, std::string_view text, const DocumentMarks* marks,
                                   GateVerdict* verdict) {
  return write_file_replacing(
      path, [text](std::FILE* stream) { return write_text(stream, text); }, marks, verdict);
}

bool write_file_replacing(const std::string& path, std::string_view text) {
  return write_text_replacing(path, text) == ReplaceResult::REPLACED;
}
