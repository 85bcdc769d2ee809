// A file held open by another program (file_holder.exe, tests/win/file_holder_tool.cpp) that
// shares it with nobody, for the Win32 tests of writes to such a file.
#pragma once

#include "target/windows_api.h"

#include <string>

#include "shell/text_win.h"
#include "win/rig_helper.h"

class FileHolder {
 public:
  // `path` is CP932.
  explicit FileHolder(const std::string& path) {
    static int counter = 0;
    const std::wstring tag = std::to_wstring(GetCurrentProcessId()) + L"_" + std::to_wstring(++counter);
    wchar_t exe[MAX_PATH];
    GetModuleFileNameW(nullptr, exe, MAX_PATH);
    std::wstring program = exe;
    program = program.substr(0, program.find_last_of(L'\\') + 1) + L"file_holder.exe";
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    ready_ = std::wstring(temp) + L"held_" + tag + L".txt";
    event_name_ = L"tavolin_file_holder_" + tag;
    release_ = CreateEventW(nullptr, TRUE, FALSE, event_name_.c_str());
    std::wstring command = L"\"" + program + L"\" \"" + cp932_to_wide(path) + L"\" \"" + ready_ + L"\" " + event_name_;
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    if (CreateProcessW(program.c_str(), command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                       &process_)) {
      CloseHandle(process_.hThread);
      // Waits for the holder's word (up to half a minute on a loaded machine), or for the holder
      // to have ended without one.
      std::string word;
      for (int i = 0; i < 600 && word != "held" && word != "failed"; ++i) {
        if (GetFileAttributesW(ready_.c_str()) != INVALID_FILE_ATTRIBUTES) word = read_file_bytes(ready_);
        if (word != "held" && word != "failed") {
          if (WaitForSingleObject(process_.hProcess, 0) == WAIT_OBJECT_0) break;
          pump_messages();
          Sleep(50);
        }
      }
      held_ = word == "held";
    }
  }
  ~FileHolder() { release(); }
  bool held() const { return held_; }
  void release() {
    if (release_ != nullptr) SetEvent(release_);
    if (process_.hProcess != nullptr) {
      WaitForSingleObject(process_.hProcess, 20000);
      CloseHandle(process_.hProcess);
      process_.hProcess = nullptr;
    }
    if (release_ != nullptr) CloseHandle(release_);
    release_ = nullptr;
    DeleteFileW(ready_.c_str());
  }

 private:
  std::wstring ready_;
  std::wstring event_name_;
  HANDLE release_ = nullptr;
  PROCESS_INFORMATION process_{};
  bool held_ = false;
};

