#include "win/rig_helper.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "frame/frame_win.h"
#include "shell/message_box_win.h"
#include "shell/settings_file.h"
#include "shell/text_win.h"
#include "shell/window_lists.h"

namespace {

bool g_quit_seen = false;

void remove_tree(const std::wstring& folder) {
  WIN32_FIND_DATAW found;
  HANDLE search = FindFirstFileW((folder + L"\\*").c_str(), &found);
  if (search != INVALID_HANDLE_VALUE) {
    do {
      const std::wstring name = found.cFileName;
      if (name == L"." || name == L"..") continue;
      const std::wstring path = folder + L"\\" + name;
      if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
        remove_tree(path);
      } else {
        SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
        DeleteFileW(path.c_str());
      }
    } while (FindNextFileW(search, &found));
    FindClose(search);
  }
  RemoveDirectoryW(folder.c_str());
}

std::wstring current_folder() {
  wchar_t buffer[MAX_PATH] = L"";
  GetCurrentDirectoryW(MAX_PATH, buffer);
  return buffer;
}
}  // namespace

void pump_messages() {
  MSG message;
  while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
    if (message.message == WM_QUIT) {
      g_quit_seen = true;
      continue;
    }
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
}

bool quit_posted() { return g_quit_seen; }
void forget_quit() { g_quit_seen = false; }

TemporaryFolder::TemporaryFolder() : previous_(current_folder()) {
  static unsigned counter = 0;
  wchar_t temp[MAX_PATH];
  GetTempPathW(MAX_PATH, temp);
  path_ = std::wstring(temp) + L"tavolin_test_" + std::to_wstring(GetCurrentProcessId()) + L"_" +
          std::to_wstring(++counter);
  remove_tree(path_);
  CreateDirectoryW(path_.c_str(), nullptr);
  SetCurrentDirectoryW(path_.c_str());
}

TemporaryFolder::~TemporaryFolder() {
  SetCurrentDirectoryW(previous_.c_str());
  remove_tree(path_);
}

ScriptedMessageBoxes::ScriptedMessageBoxes() {
  set_message_box_handler([this](HWND owner, const std::wstring& text, const std::wstring& caption, UINT style) {
    shown_.push_back({owner, text, caption, style});
    if (answers_.empty()) {
      ADD_FAILURE() << "a message box nobody expected: caption \"" << ::testing::PrintToString(caption) << "\"";
      return IDCANCEL;
    }
    const int answer = answers_.front();
    answers_.pop_front();
    return answer;
  });
}

ScriptedMessageBoxes::~ScriptedMessageBoxes() {
  set_message_box_handler({});
  EXPECT_TRUE(answers_.empty()) << answers_.size() << " message box answers were not used";
}

std::vector<std::string> ScriptedMessageBoxes::texts() const {
  std::vector<std::string> out;
  for (const ShownMessageBox& box : shown_) {
    std::string text;
    wide_to_cp932(box.text, text);
    out.push_back(text);
  }
  return out;
}

ScriptedFileDialogs::ScriptedFileDialogs() {
  set_file_dialog_handler([this](FileDialogKind kind, OPENFILENAMEA& record) -> BOOL {
    ShownFileDialog shown{kind, "", record.lpstrInitialDir ? record.lpstrInitialDir : ""};
    if (record.lpstrFilter) {
      shown.filter = record.lpstrFilter;
      shown.filter += '|';
      shown.filter += record.lpstrFilter + std::strlen(record.lpstrFilter) + 1;
    }
    shown_.push_back(shown);
    if (choices_.empty()) {
      ADD_FAILURE() << "a file dialog nobody expected";
      return FALSE;
    }
    const std::string choice = choices_.front();
    choices_.pop_front();
    if (choice.empty() || choice.size() + 1 > record.nMaxFile) return FALSE;
    std::memcpy(record.lpstrFile, choice.c_str(), choice.size() + 1);
    return TRUE;
  });
}

ScriptedFileDialogs::~ScriptedFileDialogs() {
  set_file_dialog_handler({});
  EXPECT_TRUE(choices_.empty()) << choices_.size() << " file dialog answers were not used";
}

void ProgramTest::SetUp() {
  folder_ = std::make_unique<TemporaryFolder>();
  boxes_ = std::make_unique<ScriptedMessageBoxes>();
  dialogs_ = std::make_unique<ScriptedFileDialogs>();
  forget_quit();
}

HWND ProgramTest::start() {
  frame_ = start_program(GetModuleHandleW(nullptr), SW_SHOWNORMAL, &accelerators_);
  pump_messages();
  return frame_;
}

void ProgramTest::TearDown() {
  if (frame_alive()) DestroyWindow(frame_);
  pump_messages();
  forget_quit();
  end_program();
  if (accelerators_) DestroyAcceleratorTable(accelerators_);
  accelerators_ = nullptr;
  unregister_program_classes();
  reset_window_tables();
  g_guide_dialog = 0;
  g_frame_slots = FrameSlots{};
  dialogs_.reset();
  boxes_.reset();
  folder_.reset();
}

HWND create_document_window(const wchar_t* class_name, const wchar_t* title) {
  ShowWindow(g_mdi_client, SW_SHOW);
  MDICREATESTRUCTW create{};
  create.szClass = class_name;
  create.szTitle = title;
  create.hOwner = g_instance;
  create.x = create.y = 0;
  create.cx = 400;
  create.cy = 300;
  HWND window = reinterpret_cast<HWND>(SendMessageW(g_mdi_client, WM_MDICREATE, 0, reinterpret_cast<LPARAM>(&create)));
  pump_messages();
  return window;
}

namespace {
BOOL CALLBACK take_visible_dialog(HWND window, LPARAM result) {
  wchar_t class_name[32] = L"";
  GetClassNameW(window, class_name, 32);
  if (std::wstring(class_name) != L"#32770" || !IsWindowVisible(window)) return TRUE;
  *reinterpret_cast<HWND*>(result) = window;
  return FALSE;
}
}  // namespace

HWND find_visible_dialog() {
  HWND found = nullptr;
  EnumThreadWindows(GetCurrentThreadId(), take_visible_dialog, reinterpret_cast<LPARAM>(&found));
  return found;
}

namespace {
std::string g_photograph_name;
std::string g_photograph_png;
int g_photograph_dismiss = IDOK;
void CALLBACK photograph_shown_box(HWND, UINT, UINT_PTR id, DWORD) {
  KillTimer(nullptr, id);
  g_photograph_png = save_screenshot(g_photograph_name);
  if (HWND box = find_visible_dialog()) PostMessageW(box, WM_COMMAND, static_cast<WPARAM>(g_photograph_dismiss), 0);
}
}  // namespace

// The real box is modal: a timer, run by its message loop, takes the picture and closes it.
std::string photograph_message_box(const ShownMessageBox& box, const std::string& name, int dismiss) {
  g_photograph_name = name;
  g_photograph_png.clear();
  g_photograph_dismiss = dismiss;
  SetTimer(nullptr, 0, 800, photograph_shown_box);
  MessageBoxW(box.owner, box.text.c_str(), box.caption.c_str(), box.style);
  return g_photograph_png;
}

std::string environment_text(const char* name) {
  const char* value = std::getenv(name);
  return value ? value : "";
}

std::string read_file_bytes(const std::wstring& path) {
  std::string bytes;
  FILE* file = _wfopen(path.c_str(), L"rb");
  if (!file) return bytes;
  char buffer[4096];
  std::size_t n;
  while ((n = std::fread(buffer, 1, sizeof buffer, file)) > 0) bytes.append(buffer, n);
  std::fclose(file);
  return bytes;
}

void write_file_bytes(const std::wstring& path, const std::string& bytes) {
  FILE* file = _wfopen(path.c_str(), L"wb");
  ASSERT_NE(file, nullptr);
  std::fwrite(bytes.data(), 1, bytes.size(), file);
  std::fclose(file);
}

bool file_exists(const std::wstring& path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

namespace {
// The screenshot folder of the test command: $TAVOLIN_BUILD/screenshots, else the build/
// folder of the source tree (both Unix paths).
std::string unix_screenshot_folder() {
  wchar_t build[MAX_PATH] = L"";
  const DWORD n = GetEnvironmentVariableW(L"TAVOLIN_BUILD", build, MAX_PATH);
  std::string folder;
  if (n == 0 || n >= MAX_PATH || !wide_to_cp932(build, folder) || folder.empty() || folder[0] != '/')
    folder = std::string(TAVOLIN_SOURCE_DIR).substr(2) + "/build";
  return folder + "/screenshots";
}
}  // namespace

// Wine starts a Unix program from its path; it cannot be waited for from here, so the
// caller waits for the file it makes. Wine has no Win32 process for a Unix program, and
// the handles and ids CreateProcessW fills in for it are not the child's: Wine 8 leaves
// there whatever its own stack held (often a handle this program still uses, such as the
// COM port's after an exchange). They are never closed: closing them closed the board's
// port under the dialog, and its next exchange found no port.
bool start_unix_shell(const std::string& script) {
  std::wstring command = L"/bin/sh -c \"" + cp932_to_wide(script) + L"\"";
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  return CreateProcessW(L"Z:\\bin\\sh", command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                        &process) != FALSE;
}

namespace {
bool wait_for_file(const std::wstring& path) {
  for (int i = 0; i < 600 && !file_exists(path); ++i) {
    pump_messages();
    Sleep(50);
  }
  return file_exists(path);
}
}  // namespace

std::string save_screenshot(const std::string& name) {
  const std::string folder = unix_screenshot_folder();
  const std::string png = "Z:" + folder + "/" + name + ".png";
  const std::wstring wide_png = cp932_to_wide(png);
  DeleteFileW(wide_png.c_str());
  for (int i = 0; i < 10; ++i) {
    pump_messages();
    Sleep(50);
  }
  // The picture is taken by the test command's screenshot script on this display and
  // renamed into place only when it is whole.
  const std::string part = folder + "/" + name + ".part.png";
  const std::string script = "'" + std::string(TAVOLIN_SOURCE_DIR).substr(2) + "/scripts/screenshot.sh' $DISPLAY '" +
                             part + "' >/dev/null && mv '" + part + "' '" + folder + "/" + name + ".png'";
  if (!start_unix_shell(script)) return {};
  return wait_for_file(wide_png) ? png : std::string();
}

std::vector<unsigned long> x_windows_top_first() {
  const std::string folder = unix_screenshot_folder();
  const std::string list = folder + "/x-stacking.txt";
  const std::wstring wide_list = cp932_to_wide("Z:" + list);
  DeleteFileW(wide_list.c_str());
  const std::string script = "mkdir -p '" + folder + "' && xwininfo -root -children >'" + list + ".part' && mv '" +
                             list + ".part' '" + list + "'";
  std::vector<unsigned long> ids;
  if (!start_unix_shell(script) || !wait_for_file(wide_list)) return ids;
  std::string text = read_file_bytes(wide_list);
  DeleteFileW(wide_list.c_str());
  // After its header, xwininfo lists the root's children from the top of the stack down,
  // one a line, each starting with its id ("     0xa00009 ...").
  size_t at = text.find("children");
  while (at != std::string::npos && (at = text.find('\n', at)) != std::string::npos) {
    ++at;
    size_t first = text.find_first_not_of(' ', at);
    if (first == std::string::npos || text.compare(first, 2, "0x") != 0) continue;
    ids.push_back(std::strtoul(text.c_str() + first, nullptr, 16));
  }
  return ids;
}
