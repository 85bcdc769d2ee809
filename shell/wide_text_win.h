// CP932 text at the Win32 boundary: the program keeps Shift-JIS bytes and calls the W
// functions with UTF-16, so Japanese shows right whatever the system's ANSI code page.
#pragma once

#include <windows.h>

#include <string>
#include <string_view>

inline std::wstring wide_from_cp932(std::string_view text) {
  if (text.empty()) return {};
  const int n = MultiByteToWideChar(932, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
  std::wstring wide(static_cast<size_t>(n > 0 ? n : 0), L'\0');
  if (n > 0) MultiByteToWideChar(932, 0, text.data(), static_cast<int>(text.size()), wide.data(), n);
  return wide;
}

inline std::string cp932_from_wide(std::wstring_view text) {
  if (text.empty()) return {};
  const int n = WideCharToMultiByte(932, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
  std::string narrow(static_cast<size_t>(n > 0 ? n : 0), '\0');
  if (n > 0) WideCharToMultiByte(932, 0, text.data(), static_cast<int>(text.size()), narrow.data(), n, nullptr, nullptr);
  return narrow;
}
