// Writing a user's file: the one gate every writer passes before it writes, and the staged
// write that never leaves a file half written.
//
// The gate (check_write_target) looks at the target as it is at that moment, through the
// installed file calls: a folder in its place, the read-only attribute, another program
// holding it open, a folder that does not exist, a path the program cannot keep. It never
// counts on the system refusing to replace a read-only file (some systems replace it). With
// the target it weighs the marks of the document the write comes from (opened read-only,
// its file did not open, lines cut when it was read).
//
// A write the gate lets through goes to a new file in the target's folder, under a name made
// for this write and created only when nothing of that name exists, so no file of the user's
// is ever taken for it. That file is moved over the target only when every byte reached it,
// and the gate is asked once more just before the move.
//
// Paths are CP932, as the program keeps them. The Win32 program installs the wide-character
// calls (install_win32_file_access, shell/file_replace_win.h); until then, and in the native
// tests, the C library and std::filesystem serve.
#pragma once

#include <cstddef>
#include <cstdio>
#include <functional>
#include <string>
#include <string_view>

// The longest path the program keeps (its path buffers hold this many bytes with the NUL).
inline constexpr std::size_t WRITE_PATH_BYTES = 260;

// What the file calls report of a target at one moment.
struct TargetState {
  bool exists = false;       // a file or a folder stands at the path
  bool folder = false;       // ... a folder
  bool read_only = false;    // a file with the read-only attribute
  bool locked = false;       // a file that another program holds open, so it cannot be replaced now
  bool no_folder = false;    // the folder the file would go into does not exist
  bool unreachable = false;  // the path cannot be handed to the system at all
};

// What the program knows of the document whose own file a write would replace.
struct DocumentMarks {
  bool opened_read_only = false;  // opened with "Open as read-only", or the file had the attribute
  bool not_opened = false;        // its file did not open: the document holds nothing of it
  std::string cut_lines;          // the lines cut when the file was read ("2, 40"), empty when none
};

enum class GateVerdict {
  WRITE,             // nothing stands against the write
  ASK_CUT_LINES,     // the document holds lines cut at open: ask before the file is written over
  OPENED_READ_ONLY,  // the document was opened read-only
  NOT_OPENED,        // the document's file did not open
  READ_ONLY,         // the target has the read-only attribute now
  FOLDER,            // a folder stands at the path
  LOCKED,            // another program holds the target open
  NO_FOLDER,         // the target's folder does not exist
  PATH_TOO_LONG,     // the path does not fit the program's buffers, or cannot reach the system
};

// The decision itself: the marks first (they hold whatever the disk says), then the state of
// the target. `marks` is nullptr when the write comes from no document, or the target is not
// the document's own file.
GateVerdict judge_write_target(std::string_view path, const TargetState& state, const DocumentMarks* marks);
// True for the verdicts that let the write go on (WRITE only; ASK_CUT_LINES goes on once the
// user agreed, and the caller then asks again without the cut lines).
inline bool write_allowed(GateVerdict verdict) { return verdict == GateVerdict::WRITE; }
// The read-only kinds (the attribute, or the document opened read-only).
inline bool is_read_only_refusal(GateVerdict verdict) {
  return verdict == GateVerdict::READ_ONLY || verdict == GateVerdict::OPENED_READ_ONLY;
}

// The file calls. Every field may be left empty: the C library serves then.
struct FileAccess {
  std::function<std::FILE*(const char* path, const char* mode)> open;
  // Creates `path` and opens it for writing, only when nothing of that name exists yet.
  std::function<std::FILE*(const char* path)> create_new;
  // Moves `from` over `to`, replacing `to` when it exists; false when it could not.
  std::function<bool(const char* from, const char* to)> replace;
  std::function<bool(const char* path)> remove;
  std::function<bool(const char* path)> exists;  // an existing file (not a folder)
  std::function<TargetState(const char* path)> state;
  // True when the two paths name one file (a short 8.3 form and the long one, say).
  std::function<bool(const char* a, const char* b)> same_file;
};
// Installs the calls; an empty field falls back to the C library.
void set_file_access(FileAccess access);
// The installed calls, for a test that wraps them.
const FileAccess& file_access();

// The calls themselves. open_file always opens in binary mode.
std::FILE* open_file(const char* path, const char* mode);
std::FILE* create_new_file(const char* path);
bool replace_file(const char* from, const char* to);
bool remove_file(const char* path);
bool file_exists(const char* path);
TargetState target_state(const char* path);

// The gate: the target's state now, judged with the document's marks.
GateVerdict check_write_target(const std::string& path, const DocumentMarks* marks = nullptr);

// True when two paths name the same file: through the installed call, or, without one, when
// they are equal but for the case of single-byte letters and the kind of separator.
bool same_file_path(std::string_view a, std::string_view b);

// The names the new file of a write to `path` is tried under: in the target's folder,
// "~TV" and five hexadecimal digits with ".TMP" ("C:\P\~TV0A3F1.TMP"); `number` picks one.
std::string staging_candidate(std::string_view path, unsigned number);
// True for a name staging_candidate makes (the name alone, without its folder).
bool is_staging_name(std::string_view name);

// A file written beside its final place and moved over it by commit(); dropped (the new
// file removed, the old one untouched) unless committed.
class StagedFile {
 public:
  explicit StagedFile(std::string path, const DocumentMarks* marks = nullptr);
  ~StagedFile();
  StagedFile(const StagedFile&) = delete;
  StagedFile& operator=(const StagedFile&) = delete;

  // Asks the gate and creates the new file; false when the gate refused (verdict() says
  // why) or the new file could not be made (verdict() is then WRITE).
  bool open();
  std::FILE* stream() const { return stream_; }
  // Flushes and closes the new file, asks the gate again and moves the new file over the
  // old one; false when a write failed, the gate refused (verdict()) or the move did not
  // happen. The old file is then kept.
  bool commit();
  void discard();
  GateVerdict verdict() const { return verdict_; }
  const std::string& path() const { return path_; }

 private:
  std::string path_;
  std::string staging_;
  bool has_marks_ = false;
  DocumentMarks marks_;
  std::FILE* stream_ = nullptr;
  bool committed_ = false;
  GateVerdict verdict_ = GateVerdict::WRITE;
};

enum class ReplaceResult {
  REPLACED,
  REFUSED,      // the gate refused the target: nothing was written
  NOT_OPENED,   // the new file could not be made
  NOT_WRITTEN,  // the write or the move failed
};

// Writes the whole content of `path` with `write` (true when it wrote everything) through a
// StagedFile. The old file is kept unless the result is REPLACED; `verdict`, when given,
// receives the gate's answer.
ReplaceResult write_file_replacing(const std::string& path, const std::function<bool(std::FILE*)>& write,
                                   const DocumentMarks* marks = nullptr, GateVerdict* verdict = nullptr);
// The same for a text that is already whole; true when `path` now holds exactly `text`.
bool write_file_replacing(const std::string& path, std::string_view text);
// The same, with the outcome.
ReplaceResult write_text_replacing(const std::string& path, std::string_view text, const DocumentMarks* marks = nullptr,
                                   GateVerdict* verdict = nullptr);
