// The Win32 test rig: the real program's windows, created in the test process under
// Wine (inside Xvfb), driven by messages and commands and checked by their state.
//
// ProgramTest starts the program as its entry point does, in a fresh folder made
// current for the test, with message boxes and file dialogs answered by the test
// instead of a user; afterwards the frame is destroyed, the window classes are
// unregistered and the previous current folder comes back.
#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include <deque>
#include <memory>
#include <string>
#include <vector>

#include "shell/file_dialog_win.h"

// Handles every message waiting for this thread (sent and posted). The quit message
// that a destroyed frame posts is noted (quit_posted) and not acted on.
void pump_messages();
bool quit_posted();
void forget_quit();

// A new empty folder, current while the object lives. The folder and what the test
// put into it are removed afterwards.
class TemporaryFolder {
 public:
  TemporaryFolder();
  ~TemporaryFolder();
  TemporaryFolder(const TemporaryFolder&) = delete;
  TemporaryFolder& operator=(const TemporaryFolder&) = delete;
  const std::wstring& path() const { return path_; }
  std::wstring file(const std::wstring& name) const { return path_ + L"\\" + name; }

 private:
  std::wstring previous_;
  std::wstring path_;
};

// A message box as the user would have seen it.
struct ShownMessageBox {
  HWND owner;
  std::wstring text;
  std::wstring caption;
  UINT style;
};

// Message boxes answered by the test: each box takes the next queued answer and is
// recorded. A box with no answer queued fails the test and is answered IDCANCEL.
class ScriptedMessageBoxes {
 public:
  ScriptedMessageBoxes();
  ~ScriptedMessageBoxes();
  void answer(int button) { answers_.push_back(button); }
  const std::vector<ShownMessageBox>& shown() const { return shown_; }
  // The texts of the boxes shown so far, in CP932.
  std::vector<std::string> texts() const;

 private:
  std::deque<int> answers_;
  std::vector<ShownMessageBox> shown_;
};

// File dialogs answered by the test: each dialog takes the next queued CP932 path (an
// empty one cancels) and is recorded with its filter and initial folder.
struct ShownFileDialog {
  FileDialogKind kind;
  std::string filter;          // the first filter pattern pair, "NAME|PATTERN"
  std::string initial_folder;  // CP932
};
class ScriptedFileDialogs {
 public:
  ScriptedFileDialogs();
  ~ScriptedFileDialogs();
  void choose(const std::string& path) { choices_.push_back(path); }
  void cancel() { choices_.push_back(std::string()); }
  const std::vector<ShownFileDialog>& shown() const { return shown_; }

 private:
  std::deque<std::string> choices_;
  std::vector<ShownFileDialog> shown_;
};

class ProgramTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;
  // Starts the program; a test that prepares file.ini does so first.
  HWND start();
  // The frame's lifetime ended (a close that nobody refused).
  bool frame_alive() const { return frame_ && IsWindow(frame_); }

  std::unique_ptr<TemporaryFolder> folder_;
  std::unique_ptr<ScriptedMessageBoxes> boxes_;
  std::unique_ptr<ScriptedFileDialogs> dialogs_;
  HWND frame_ = nullptr;
  HACCEL accelerators_ = nullptr;
};

// A document window of one of the frame's classes, created as the frame creates them.
HWND create_document_window(const wchar_t* class_name, const wchar_t* title);

// The visible dialog window (class "#32770": a message box, a file dialog, a modal or
// modeless dialog) of this thread, or nullptr. Tests that let a real modal window run
// find it from a timer and answer it.
HWND find_visible_dialog();

// The box shown once more as a real message box over its owner, photographed with
// save_screenshot(name) and then closed with `dismiss`; the picture's path, empty when none came.
std::string photograph_message_box(const ShownMessageBox& box, const std::string& name, int dismiss = IDOK);

// The value of the environment variable, empty when it is not set.
std::string environment_text(const char* name);

std::string read_file_bytes(const std::wstring& path);
void write_file_bytes(const std::wstring& path, const std::string& bytes);
bool file_exists(const std::wstring& path);

// Starts a Unix shell command (sh -c SCRIPT) on the test's display and returns without
// waiting for it; false when it could not be started.
bool start_unix_shell(const std::string& script);

// Saves a PNG of the whole screen as $TAVOLIN_BUILD/screenshots/<name>.png (build/ of the
// source tree when TAVOLIN_BUILD is not set) with scripts/screenshot.sh on the display the
// tests run on, and returns its path; empty when no picture came.
std::string save_screenshot(const std::string& name);

// The X windows of the test's display, from the top of the stack down (xwininfo), empty when
// that could not be read. Under Wine the stacking on the glass can differ from the Win32 order.
std::vector<unsigned long> x_windows_top_first();
