#include "mnemonic/text_clipboard_win.h"

#include <cstring>

#include "shell/text_win.h"

namespace {

// The clipboard may be held for a moment by another program: try a few times.
bool open_clipboard(HWND owner) {
  for (int attempt = 0; attempt < 10; ++attempt) {
    if (OpenClipboard(owner)) return true;
    Sleep(10);
  }
  return false;
}

std::string to_cp932(std::wstring_view wide) {
  if (wide.empty()) return {};
  const int n = WideCharToMultiByte(932, 0, wide.data(), static_cast<int>(wide.size()), nullptr, 0, "?", nullptr);
  if (n <= 0) return {};
  std::string out(static_cast<size_t>(n), '\0');
  WideCharToMultiByte(932, 0, wide.data(), static_cast<int>(wide.size()), out.data(), n, "?", nullptr);
  return out;
}

}  // namespace

bool put_clipboard_text(HWND owner, std::string_view text) {
  const std::wstring wide = cp932_to_wide(text);
  HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, (wide.size() + 1) * sizeof(wchar_t));
  if (!block) return false;
  void* bytes = GlobalLock(block);
  if (!bytes) {
    GlobalFree(block);
    return false;
  }
  std::memcpy(bytes, wide.data(), wide.size() * sizeof(wchar_t));
  GlobalUnlock(block);
  if (!open_clipboard(owner)) {
    GlobalFree(block);
    return false;
  }
  EmptyClipboard();
  const bool put = SetClipboardData(CF_UNICODETEXT, block) != nullptr;
  CloseClipboard();
  if (!put) GlobalFree(block);
  return put;
}

std::string get_clipboard_text(HWND owner) {
  if (!IsClipboardFormatAvailable(CF_UNICODETEXT) || !open_clipboard(owner)) return {};
  std::string out;
  if (HANDLE data = GetClipboardData(CF_UNICODETEXT)) {
    if (const auto* chars = static_cast<const wchar_t*>(GlobalLock(data))) {
      const size_t limit = GlobalSize(data) / sizeof(wchar_t);
      out = to_cp932(std::wstring_view(chars, wcsnlen(chars, limit)));
      GlobalUnlock(data);
    }
  }
  CloseClipboard();
  return out;
}

bool clipboard_has_text() { return IsClipboardFormatAvailable(CF_UNICODETEXT) || IsClipboardFormatAvailable(CF_TEXT); }

void empty_clipboard(HWND owner) {
  if (!open_clipboard(owner)) return;
  EmptyClipboard();
  CloseClipboard();
}
