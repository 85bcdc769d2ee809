#include "shell/file_replace_win.h"

#include "core/text_file.h"  // before windows.h, whose ERROR macro it would meet

#include <fcntl.h>
#include <io.h>

#include "shell/text_win.h"
#include "target/windows_api.h"

namespace {

// Paths from this length on go to the system in their long form: the new file of a write
// sits in the same folder under a name of 12 characters, which may be longer than the
// target's own.
constexpr size_t LONG_PATH_FROM = MAX_PATH - 16;

std::FILE* open_wide(const char* path, const char* mode) {
  std::wstring wide_mode;
  for (const char* m = mode; *m; ++m) wide_mode.push_back(static_cast<wchar_t>(*m));
  if (wide_mode.find(L'b') == std::wstring::npos) wide_mode.push_back(L'b');
  const std::wstring wide = system_path(path);
  return wide.empty() ? nullptr : _wfopen(wide.c_str(), wide_mode.c_str());
}

std::FILE* create_new_wide(const char* path) {
  const std::wstring wide = system_path(path);
  if (wide.empty()) return nullptr;
  HANDLE file = CreateFileW(wide.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL,
                            nullptr);
  if (file == INVALID_HANDLE_VALUE) return nullptr;
  const int descriptor = _open_osfhandle(reinterpret_cast<intptr_t>(file), _O_BINARY | _O_WRONLY);
  if (descriptor < 0) {
    CloseHandle(file);
    DeleteFileW(wide.c_str());
    return nullptr;
  }
  std::FILE* stream = _fdopen(descriptor, "wb");
  if (stream == nullptr) {
    _close(descriptor);
    DeleteFileW(wide.c_str());
  }
  return stream;
}

// The folder part of a UTF-16 path ("" when it has none).
std::wstring folder_of(const std::wstring& path) {
  const size_t slash = path.find_last_of(L"\\/");
  if (slash == std::wstring::npos) return {};
  // "C:\A.MBS": the folder is the drive's root, "C:\".
  if (slash == 2 && path[1] == L':') return path.substr(0, 3);
  if (path.rfind(L"\\\\?\\", 0) == 0 && slash == 6 && path[5] == L':') return path.substr(0, 7);
  return path.substr(0, slash);
}

TargetState wide_state(const char* path) {
  TargetState state;
  const std::wstring wide = system_path(path);
  if (wide.empty()) {
    state.unreachable = true;
    return state;
  }
  const DWORD attributes = GetFileAttributesW(wide.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) {
    const std::wstring folder = folder_of(wide);
    if (!folder.empty()) {
      const DWORD folder_attributes = GetFileAttributesW(folder.c_str());
      state.no_folder =
          folder_attributes == INVALID_FILE_ATTRIBUTES || (folder_attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
    }
    return state;
  }
  state.exists = true;
  if (attributes & FILE_ATTRIBUTE_DIRECTORY) {
    state.folder = true;
    return state;
  }
  if (attributes & FILE_ATTRIBUTE_READONLY) {
    state.read_only = true;
    return state;
  }
  // The file is replaced by a move, which needs it deletable; another program that holds it
  // open without letting others write or delete it makes this open fail with a sharing
  // violation. Nothing is written: the file is opened and closed again.
  HANDLE file = CreateFileW(wide.c_str(), GENERIC_WRITE | DELETE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                            nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) {
    state.locked = true;
  } else {
    CloseHandle(file);
  }
  return state;
}

// A path as the system knows it, to compare with another: full, in its long form (as far as
// the path exists), in capitals.
std::wstring comparable_path(const char* path) {
  std::wstring full = system_path(path);
  if (full.empty()) return full;
  const DWORD needed = GetFullPathNameW(full.c_str(), 0, nullptr, nullptr);
  if (needed != 0) {
    std::wstring buffer(needed, L'\0');
    const DWORD length = GetFullPathNameW(full.c_str(), needed, buffer.data(), nullptr);
    if (length != 0 && length < needed) full.assign(buffer.c_str(), length);
  }
  // The long form of the whole path, or of its folder when the file is not there.
  auto long_form = [](const std::wstring& p) -> std::wstring {
    const DWORD n = GetLongPathNameW(p.c_str(), nullptr, 0);
    if (n == 0) return {};
    std::wstring out(n, L'\0');
    const DWORD m = GetLongPathNameW(p.c_str(), out.data(), n);
    if (m == 0 || m >= n) return {};
    out.resize(m);
    return out;
  };
  std::wstring result = long_form(full);
  if (result.empty()) {
    const size_t slash = full.find_last_of(L'\\');
    if (slash != std::wstring::npos) {
      const std::wstring folder = long_form(full.substr(0, slash));
      if (!folder.empty()) result = folder + full.substr(slash);
    }
  }
  if (result.empty()) result = full;
  CharUpperBuffW(result.data(), static_cast<DWORD>(result.size()));
  return result;
}

}  // namespace

std::wstring system_path(const char* path) {
  const std::wstring wide = cp932_to_wide(path ? path : "");
  if (wide.size() < LONG_PATH_FROM || wide.rfind(L"\\\\?\\", 0) == 0) return wide;
  // The long form takes no relative parts and no forward slashes: the full path first.
  const DWORD needed = GetFullPathNameW(wide.c_str(), 0, nullptr, nullptr);
  if (needed == 0) return wide;
  std::wstring full(needed, L'\0');
  const DWORD length = GetFullPathNameW(wide.c_str(), needed, full.data(), nullptr);
  if (length == 0 || length >= needed) return wide;
  full.resize(length);
  if (full.rfind(L"\\\\", 0) == 0) return L"\\\\?\\UNC\\" + full.substr(2);
  return L"\\\\?\\" + full;
}

FileAccess win32_file_access() {
  FileAccess access;
  access.open = open_wide;
  access.create_new = create_new_wide;
  access.replace = [](const char* from, const char* to) {
    return MoveFileExW(system_path(from).c_str(), system_path(to).c_str(),
                       MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
  };
  access.remove = [](const char* path) { return DeleteFileW(system_path(path).c_str()) != 0; };
  access.exists = [](const char* path) {
    const DWORD attributes = GetFileAttributesW(system_path(path).c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
  };
  access.state = wide_state;
  access.same_file = [](const char* a, const char* b) {
    const std::wstring first = comparable_path(a);
    return !first.empty() && first == comparable_path(b);
  };
  return access;
}

void install_win32_file_access() {
  set_file_access(win32_file_access());
  // The portable readers and writers (the mnemonic conversion among them) open their files
  // through open_text_file: they get the same wide-character open.
  set_text_file_opener(open_wide);
}
