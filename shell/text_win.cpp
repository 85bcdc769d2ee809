#include "shell/text_win.h"

namespace {
constexpr UINT CP932 = 932;
}

std::wstring cp932_to_wide(std::string_view text) {
  if (text.empty()) return {};
  const int n = MultiByteToWideChar(CP932, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
  if (n <= 0) return {};
  std::wstring wide(static_cast<std::size_t>(n), L'\0');
  MultiByteToWideChar(CP932, 0, text.data(), static_cast<int>(text.size()), wide.data(), n);
  return wide;
}

bool wide_to_cp932(std::wstring_view text, std::string& out) {
  out.clear();
  if (text.empty()) return true;
  BOOL lossy = FALSE;
  const int n = WideCharToMultiByte(CP932, WC_NO_BEST_FIT_CHARS, text.data(), static_cast<int>(text.size()), nullptr,
                                    0, nullptr, &lossy);
  if (n <= 0 || lossy) return false;
  out.assign(static_cast<std::size_t>(n), '\0');
  WideCharToMultiByte(CP932, WC_NO_BEST_FIT_CHARS, text.data(), static_cast<int>(text.size()), out.data(), n, nullptr,
                      nullptr);
  // A character that only resembles its replacement ("é" as "e") would name another
  // file: the text must come back unchanged.
  if (cp932_to_wide(out) != text) {
    out.clear();
    return false;
  }
  return true;
}

bool path_is_read_only(const char* path) {
  const std::wstring wide = cp932_to_wide(path);
  if (wide.empty()) return false;
  const DWORD attributes = GetFileAttributesW(wide.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY) != 0;
}

FILE* open_file_cp932(const char* path, const wchar_t* mode) {
  const std::wstring wide = cp932_to_wide(path);
  if (wide.empty()) return nullptr;
  return _wfopen(wide.c_str(), mode);
}
