// file_holder.exe PATH READY_FILE RELEASE_EVENT: holds PATH open as another program does that
// lets nobody else read, write or delete it (no sharing), until the named event RELEASE_EVENT
// is set (or a minute has passed). READY_FILE appears once the file is held, holding "held" (or
// "failed"), so that the test that started it knows when to go on: it is written under another
// name and then renamed, so the test never sees it empty or half written. Exit code 0 when the
// file was held, 1 otherwise.
#include <windows.h>

#include <string>

int wmain(int argc, wchar_t** argv) {
  if (argc != 4) return 2;
  HANDLE release = CreateEventW(nullptr, TRUE, FALSE, argv[3]);
  HANDLE held = CreateFileW(argv[1], GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  const std::wstring partial = std::wstring(argv[2]) + L".part";
  HANDLE ready = CreateFileW(partial.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (ready != INVALID_HANDLE_VALUE) {
    const char* word = held != INVALID_HANDLE_VALUE ? "held" : "failed";
    DWORD written = 0;
    WriteFile(ready, word, static_cast<DWORD>(std::string(word).size()), &written, nullptr);
    CloseHandle(ready);
    MoveFileExW(partial.c_str(), argv[2], MOVEFILE_REPLACE_EXISTING);
  }
  if (release != nullptr) WaitForSingleObject(release, 60000);
  if (held == INVALID_HANDLE_VALUE) return 1;
  CloseHandle(held);
  return 0;
}
