#include "shell/file_replace_win.h"

#include "core/text_file.h"  // before windows.h, whose ERROR macro it would meet

#include "shell/text_win.h"
#include "shell/windows_api.h"

namespace {

std::FILE* open_wide(const char* path, const char* mode) {
  std::wstring wide_mode;
  for (const char* m = mode; *m; ++m) wide_mode.push_back(static_cast<wchar_t>(*m));
  if (wide_mode.find(L'b') == std::wstring::npos) wide_mode.push_back(L'b');
  return open_file_cp932(path, wide_mode.c_str());
}

}  // namespace

FileAccess win32_file_access() {
  FileAccess access;
  access.open = open_wide;
  access.replace = [](const char* from, const char* to) {
    return MoveFileExW(cp932_to_wide(from).c_str(), cp932_to_wide(to).c_str(),
                       MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
  };
  access.remove = [](const char* path) { return DeleteFileW(cp932_to_wide(path).c_str()) != 0; };
  access.exists = [](const char* path) {
    const DWORD attributes = GetFileAttributesW(cp932_to_wide(path).c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
  };
  return access;
}

void install_win32_file_access() {
  set_file_access(win32_file_access());
  // The portable readers and writers (the mnemonic conversion among them) open their files
  // through open_text_file: they get the same wide-character open.
  set_text_file_opener(open_wide);
}
