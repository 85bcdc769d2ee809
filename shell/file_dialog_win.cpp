#include "shell/file_dialog_win.h"

#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "shell/path_parts.h"
#include "shell/text_win.h"

namespace {

FileDialogHandler& handler() {
  static FileDialogHandler h;
  return h;
}

// A double-NUL-ended list of CP932 strings as its UTF-16 form.
std::wstring wide_string_list(const char* list) {
  std::wstring wide;
  if (!list) return wide;
  while (*list) {
    wide += cp932_to_wide(list);
    wide += L'\0';
    list += std::strlen(list) + 1;
  }
  wide += L'\0';
  return wide;
}

std::wstring wide_or_empty(const char* text) { return text ? cp932_to_wide(text) : std::wstring(); }

// Fills the offsets and the file title from the chosen path, as the dialog would.
BOOL finish_choice(OPENFILENAMEA& record) {
  if (!record.lpstrFile || record.nMaxFile == 0) return FALSE;
  const std::size_t length = strnlen(record.lpstrFile, record.nMaxFile);
  if (length == 0 || length == record.nMaxFile) return FALSE;
  PathParts parts{};
  if (split_path({record.lpstrFile, length}, parts) != 0) return FALSE;
  const std::size_t offset = std::strlen(parts.drive) + std::strlen(parts.dir);
  record.nFileOffset = static_cast<WORD>(offset);
  record.nFileExtension =
      static_cast<WORD>(parts.ext[0] ? offset + std::strlen(parts.name) + 1 : length);
  if (record.lpstrFileTitle && record.nMaxFileTitle > 0) {
    const std::string title = std::string(parts.name) + parts.ext;
    if (!copy_text({record.lpstrFileTitle, record.nMaxFileTitle}, title)) return FALSE;
  }
  return TRUE;
}

// The chosen path in CP932, or its short form when the long one has characters that
// CP932 lacks.
bool chosen_path_cp932(const wchar_t* chosen, std::string& path) {
  if (wide_to_cp932(chosen, path)) return true;
  wchar_t short_path[MAX_PATH];
  const DWORD n = GetShortPathNameW(chosen, short_path, MAX_PATH);
  return n > 0 && n < MAX_PATH && wide_to_cp932(short_path, path);
}

BOOL run_dialog(FileDialogKind kind, OPENFILENAMEA* record) {
  if (!record || !record->lpstrFile || record->nMaxFile == 0) return FALSE;
  if (handler()) return handler()(kind, *record) && finish_choice(*record);

  const std::wstring filter = wide_string_list(record->lpstrFilter);
  const std::wstring initial_folder = wide_or_empty(record->lpstrInitialDir);
  const std::wstring title = wide_or_empty(record->lpstrTitle);
  const std::wstring default_ext = wide_or_empty(record->lpstrDefExt);
  std::vector<wchar_t> file(record->nMaxFile < MAX_PATH ? MAX_PATH : record->nMaxFile, L'\0');
  const std::wstring start = cp932_to_wide({record->lpstrFile, strnlen(record->lpstrFile, record->nMaxFile)});
  if (start.size() < file.size()) std::copy(start.begin(), start.end(), file.begin());

  OPENFILENAMEW dialog{};
  dialog.lStructSize = sizeof dialog;
  dialog.hwndOwner = record->hwndOwner;
  dialog.hInstance = record->hInstance;
  dialog.lpstrFilter = record->lpstrFilter ? filter.c_str() : nullptr;
  dialog.nFilterIndex = record->nFilterIndex;
  dialog.lpstrFile = file.data();
  dialog.nMaxFile = static_cast<DWORD>(file.size());
  dialog.lpstrInitialDir = record->lpstrInitialDir ? initial_folder.c_str() : nullptr;
  dialog.lpstrTitle = record->lpstrTitle ? title.c_str() : nullptr;
  dialog.lpstrDefExt = record->lpstrDefExt ? default_ext.c_str() : nullptr;
  dialog.Flags = record->Flags & ~static_cast<DWORD>(OFN_ENABLEHOOK | OFN_ENABLETEMPLATE | OFN_ENABLETEMPLATEHANDLE |
                                                      OFN_ALLOWMULTISELECT);
  const BOOL chosen = kind == FileDialogKind::OPEN ? GetOpenFileNameW(&dialog) : GetSaveFileNameW(&dialog);
  if (!chosen) return FALSE;

  std::string path;
  if (!chosen_path_cp932(file.data(), path)) return FALSE;
  if (path.size() + 1 > record->nMaxFile) return FALSE;
  std::memcpy(record->lpstrFile, path.c_str(), path.size() + 1);
  record->nFilterIndex = dialog.nFilterIndex;
  record->Flags = (record->Flags & ~static_cast<DWORD>(OFN_READONLY)) | (dialog.Flags & OFN_READONLY);
  return finish_choice(*record);
}

}  // namespace

BOOL get_open_file_name(OPENFILENAMEA* record) { return run_dialog(FileDialogKind::OPEN, record); }
BOOL get_save_file_name(OPENFILENAMEA* record) { return run_dialog(FileDialogKind::SAVE, record); }

void set_file_dialog_handler(FileDialogHandler h) { handler() = std::move(h); }
