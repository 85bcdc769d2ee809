// Every writer of a user's file against every way the file may not be written, on the real
// program under Wine: one cell per writer and guard. In each cell the program is started in a
// fresh folder, the document is opened and changed as a user does it, the guard is put in
// place (before or after the open), and the writer's command is given with the answers a
// user would give. Each cell checks:
//   - the target file byte for byte (a folder stays a folder), and every other file of the
//     project too: nothing of a refused set is written;
//   - the message the refusal ended with (its text, and the caption where that names the file);
//   - that the window is still open and still holds its change.
// The column "none" is the writer without a guard: the file is written and the success is
// said, which shows that each row drives a writer that does write.
//
// Guards: the read-only attribute set before the document was opened and after; the document
// opened with "Open as read-only"; a mnemonic text with lines cut when it was read; a mnemonic
// window whose file did not open; a folder in place of the file; the file held open by
// another program (file_holder.exe, sharing nothing); a full disk (a small tmpfs mounted for
// the cell and reached through Z:).
//
// Writers: design Save, Save As and the close question's save; mnemonic Save, Save As and the
// close question's save; the design compile's .MBS, .SEQ and .NIC; the mnemonic compile's
// .SEQ and .NIC; the one-click write's save; the frame's conversion of the mnemonic compile's
// operation file into the design file (1191); the frame's conversion of the operation file
// into the mnemonic file (1193); file.ini.
#include "target/windows_api.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "core/mnemonic_text.h"
#include "design/design_document.h"
#include "design/design_window_win.h"
#include "shell/view_state.h"
#include "mnemonic/mnemonic_window_win.h"
#include "shell/command_ids.h"
#include "frame/frame_commands_win.h"
#include "shell/compile_chain.h"
#include "shell/documents.h"
#include "shell/file_dialog_win.h"
#include "frame/frame_win.h"
#include "shell/message_box_win.h"
#include "shell/settings_file.h"
#include "shell/text_win.h"
#include "shell/window_lists_win.h"
#include "support/ladder_text.h"
#include "target/monitor_protocol.h"
#include "target/serial_port.h"
#include "win/design_fixtures.h"
#include "win/file_holder.h"
#include "win/monitor_fixtures.h"
#include "win/rig_helper.h"

namespace {

enum class Writer {
  DESIGN_SAVE,
  DESIGN_SAVE_AS,
  DESIGN_CLOSE,
  NIC_SAVE,
  NIC_SAVE_AS,
  NIC_CLOSE,
  COMPILE_MBS,
  COMPILE_SEQ,
  COMPILE_NIC,
  NIC_COMPILE_SEQ,
  NIC_COMPILE_NIC,
  ONE_CLICK,
  SEQ_TO_DESIGN,
  SEQ_TO_NIC,
  SETTINGS,
};
enum class Guard { NONE, ATTRIBUTE_BEFORE, ATTRIBUTE_AFTER, OPENED_READ_ONLY, LINES_CUT, NOT_OPENED, FOLDER, LOCKED, DISK_FULL };

constexpr Writer WRITERS[] = {Writer::DESIGN_SAVE,     Writer::DESIGN_SAVE_AS, Writer::DESIGN_CLOSE,   Writer::NIC_SAVE,
                              Writer::NIC_SAVE_AS,     Writer::NIC_CLOSE,      Writer::COMPILE_MBS,    Writer::COMPILE_SEQ,
                              Writer::COMPILE_NIC,     Writer::NIC_COMPILE_SEQ, Writer::NIC_COMPILE_NIC, Writer::ONE_CLICK,
                              Writer::SEQ_TO_DESIGN,   Writer::SEQ_TO_NIC,     Writer::SETTINGS};
constexpr Guard GUARDS[] = {Guard::NONE,       Guard::ATTRIBUTE_BEFORE, Guard::ATTRIBUTE_AFTER, Guard::OPENED_READ_ONLY,
                            Guard::LINES_CUT,  Guard::NOT_OPENED,       Guard::FOLDER,          Guard::LOCKED,
                            Guard::DISK_FULL};

const char* writer_name(Writer w) {
  switch (w) {
    case Writer::DESIGN_SAVE: return "design Save";
    case Writer::DESIGN_SAVE_AS: return "design Save As";
    case Writer::DESIGN_CLOSE: return "design close";
    case Writer::NIC_SAVE: return "mnemonic Save";
    case Writer::NIC_SAVE_AS: return "mnemonic Save As";
    case Writer::NIC_CLOSE: return "mnemonic close";
    case Writer::COMPILE_MBS: return "1190 .MBS";
    case Writer::COMPILE_SEQ: return "1190 .SEQ";
    case Writer::COMPILE_NIC: return "1190 .NIC";
    case Writer::NIC_COMPILE_SEQ: return "1192 .SEQ";
    case Writer::NIC_COMPILE_NIC: return "1192 .NIC";
    case Writer::ONE_CLICK: return "1254 save";
    case Writer::SEQ_TO_DESIGN: return "1191 .MBS";
    case Writer::SEQ_TO_NIC: return "1193 .NIC";
    case Writer::SETTINGS: return "file.ini";
  }
  return "?";
}
const char* guard_name(Guard g) {
  switch (g) {
    case Guard::NONE: return "none";
    case Guard::ATTRIBUTE_BEFORE: return "RO before";
    case Guard::ATTRIBUTE_AFTER: return "RO after";
    case Guard::OPENED_READ_ONLY: return "opened RO";
    case Guard::LINES_CUT: return "lines cut";
    case Guard::NOT_OPENED: return "not opened";
    case Guard::FOLDER: return "folder";
    case Guard::LOCKED: return "locked";
    case Guard::DISK_FULL: return "disk full";
  }
  return "?";
}

bool design_document(Writer w) {
  switch (w) {
    case Writer::DESIGN_SAVE:
    case Writer::DESIGN_SAVE_AS:
    case Writer::DESIGN_CLOSE:
    case Writer::COMPILE_MBS:
    case Writer::COMPILE_SEQ:
    case Writer::COMPILE_NIC:
    case Writer::ONE_CLICK:
    case Writer::SEQ_TO_NIC:
      return true;
    default:
      return false;
  }
}
bool mnemonic_document(Writer w) { return !design_document(w) && w != Writer::SETTINGS; }

// Why a cell cannot arise, or nullptr when it can.
const char* not_applicable(Writer w, Guard g) {
  const bool design_only = w == Writer::DESIGN_SAVE || w == Writer::DESIGN_SAVE_AS || w == Writer::DESIGN_CLOSE ||
                           w == Writer::ONE_CLICK;
  if (g == Guard::LINES_CUT && design_only) return "a design holds no cut lines and writes only its .MBS";
  if (g == Guard::NOT_OPENED && design_only) return "a design window whose file did not open closes itself";
  if (w == Writer::SETTINGS && (g == Guard::OPENED_READ_ONLY || g == Guard::LINES_CUT))
    return "file.ini is not opened through the dialog and has no cut lines";
  return nullptr;
}

struct Cell {
  Writer writer;
  Guard guard;
};

std::vector<Cell> all_cells() {
  std::vector<Cell> cells;
  for (Writer w : WRITERS)
    for (Guard g : GUARDS)
      if (not_applicable(w, g) == nullptr) cells.push_back({w, g});
  return cells;
}

// The outcome of every cell that ran, for the table printed at the end.
std::map<std::pair<int, int>, bool>& outcomes() {
  static std::map<std::pair<int, int>, bool> table;
  return table;
}

class TablePrinter : public ::testing::Environment {
 public:
  void TearDown() override {
    if (outcomes().empty()) return;
    std::printf("\nwriter x guard (pass, FAIL, n/a, - not run):\n%-17s", "");
    for (Guard g : GUARDS) std::printf("|%-11s", guard_name(g));
    std::printf("\n");
    int passed = 0, failed = 0;
    for (Writer w : WRITERS) {
      std::printf("%-17s", writer_name(w));
      for (Guard g : GUARDS) {
        const char* text = "-";
        if (not_applicable(w, g) != nullptr) {
          text = "n/a";
        } else if (auto it = outcomes().find({static_cast<int>(w), static_cast<int>(g)}); it != outcomes().end()) {
          text = it->second ? "pass" : "FAIL";
          (it->second ? passed : failed) += 1;
        }
        std::printf("|%-11s", text);
      }
      std::printf("\n");
    }
    std::printf("%d cells passed, %d failed\n", passed, failed);
  }
};
const auto* const g_table_printer = ::testing::AddGlobalTestEnvironment(new TablePrinter);

std::string narrow(const std::wstring& wide) {
  std::string text;
  wide_to_cp932(wide, text);
  return text;
}
std::wstring wide(const std::string& text) { return cp932_to_wide(text); }

bool is_folder(const std::string& path) {
  const DWORD attributes = GetFileAttributesW(wide(path).c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

// What a path holds: its bytes, "<folder>" for a folder, "<none>" when nothing is there.
std::string snapshot(const std::string& path) {
  if (is_folder(path)) return "<folder>";
  if (GetFileAttributesW(wide(path).c_str()) == INVALID_FILE_ATTRIBUTES) return "<none>";
  return read_file_bytes(wide(path));
}

// Waits (handling messages) until `path` exists; false after about 30 s.
bool wait_for(const std::wstring& path) {
  for (int i = 0; i < 600; ++i) {
    if (GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES) return true;
    pump_messages();
    Sleep(50);
  }
  return false;
}

// A small file system (tmpfs) of its own, mounted for the cell and reached through Z:.
class SmallDisk {
 public:
  SmallDisk() {
    static int counter = 0;
    unix_ = "/tmp/tavolin_small_disk_" + std::to_string(GetCurrentProcessId()) + "_" + std::to_string(++counter);
    const std::string script = "rm -f '" + unix_ + ".ok' '" + unix_ + ".failed'; mkdir -p '" + unix_ +
                               "' && mount -t tmpfs -o size=256k tmpfs '" + unix_ + "' && touch '" + unix_ +
                               ".ok' || touch '" + unix_ + ".failed'";
    if (!start_unix_shell(script)) return;
    for (int i = 0; i < 600 && !mounted_; ++i) {
      if (GetFileAttributesW(wide("Z:" + unix_ + ".ok").c_str()) != INVALID_FILE_ATTRIBUTES) mounted_ = true;
      if (GetFileAttributesW(wide("Z:" + unix_ + ".failed").c_str()) != INVALID_FILE_ATTRIBUTES) break;
      pump_messages();
      Sleep(50);
    }
  }
  ~SmallDisk() {
    const std::string done = unix_ + ".gone";
    const std::string script = "umount '" + unix_ + "'; rmdir '" + unix_ + "'; rm -f '" + unix_ + ".ok' '" + unix_ +
                               ".failed'; touch '" + done + "'";
    if (start_unix_shell(script)) {
      wait_for(wide("Z:" + done));
      DeleteFileW(wide("Z:" + done).c_str());
    }
  }
  bool mounted() const { return mounted_; }
  std::string folder() const {
    std::string path = "Z:" + unix_;
    std::replace(path.begin(), path.end(), '/', '\\');
    return path;
  }
  // Fills the disk to its last byte.
  void fill() const {
    HANDLE file = CreateFileW(wide(folder() + "\\~filler").c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return;
    static char block[65536];
    for (DWORD size = sizeof block; size > 0; size /= 2) {
      DWORD written = 0;
      while (WriteFile(file, block, size, &written, nullptr) && written == size) {
      }
    }
    CloseHandle(file);
  }

 private:
  std::string unix_;
  bool mounted_ = false;
};


// A message box the program showed.
struct Box {
  std::string text;
  std::string caption;
  UINT style;
};

// What a cell expects the refusal to end with.
struct Expected {
  enum Kind { BOX, SAVE_DIALOG, SILENT } kind = BOX;
  std::string text;
  std::string caption;      // empty: not looked at; a path matches any form of that path
  std::string text_prefix;  // a path the text starts with (any form of it), before `text`
};

// A path in a form to compare: its folder in the long form, in capitals (the program keeps
// the short 8.3 form of the folders it opened from).
std::string comparable(const std::string& path) {
  std::wstring w = wide(path);
  const size_t slash = w.find_last_of(L'\\');
  if (slash != std::wstring::npos) {
    wchar_t folder[MAX_PATH * 2];
    const DWORD n = GetLongPathNameW(w.substr(0, slash).c_str(), folder, MAX_PATH * 2);
    if (n != 0 && n < MAX_PATH * 2) w = std::wstring(folder, n) + w.substr(slash);
  }
  CharUpperBuffW(w.data(), static_cast<DWORD>(w.size()));
  return narrow(w);
}
bool same_path(const std::string& a, const std::string& b) { return comparable(a) == comparable(b); }
bool looks_like_path(const std::string& text) { return text.find('\\') != std::string::npos; }

bool matches(const Expected& e, const struct Box& box);

bool matches(const Expected& e, const Box& box) {
  if (box.text.size() < e.text.size() || box.text.compare(box.text.size() - e.text.size(), e.text.size(), e.text) != 0)
    return false;
  const std::string prefix = box.text.substr(0, box.text.size() - e.text.size());
  if (e.text_prefix.empty() ? !prefix.empty() : !same_path(prefix, e.text_prefix)) return false;
  if (e.caption.empty()) return true;
  return looks_like_path(e.caption) ? same_path(box.caption, e.caption) : box.caption == e.caption;
}

const std::vector<std::string> DESIGN_ROWS = {"X0 ~ (Y0)", "X1 ~ (Y1)", "X0 ~ (Y2)"};
const std::string EDITED_ROW = "X7 ~ (Y7)";
const std::string LONG_LINE = "LD      X00 ;" + std::string(300, 'c');
constexpr char MARK[] = ";Q";

std::string nic_text(const std::vector<std::string>& lines) {
  std::string out;
  for (const std::string& l : lines) out += l + "\r\n";
  return out + "0FFFF0 0FFFF0\r\n";
}

const char* const SUCCESS_TEXTS[] = {"ファイルが上書きされました！", "ファイルが新しい名前で保存されました！",
                                     "SEQ to NICが終了しました", "ファイルが出来ました！",
                                     "プログラムの書き込み処理が終了しました。"};

class WriteGateTable : public ProgramTest, public ::testing::WithParamInterface<Cell> {
 protected:
  void SetUp() override {
    ProgramTest::SetUp();
    set_message_box_handler([this](HWND, const std::wstring& text, const std::wstring& caption, UINT style) {
      boxes.push_back({narrow(text), narrow(caption), style});
      return answer_for(boxes.back());
    });
    set_file_dialog_handler([this](FileDialogKind kind, OPENFILENAMEA& record) -> BOOL {
      dialogs.push_back(kind);
      std::string choice;
      if (kind == FileDialogKind::OPEN) {
        if (open_choices.empty()) return FALSE;
        choice = open_choices.front();
        open_choices.erase(open_choices.begin());
        if (tick_read_only) record.Flags |= OFN_READONLY;
      } else {
        if (save_choices.empty()) return FALSE;  // a Save As the user cancels
        choice = save_choices.front();
        save_choices.erase(save_choices.begin());
      }
      if (choice.size() + 1 > record.nMaxFile) return FALSE;
      std::memcpy(record.lpstrFile, choice.c_str(), choice.size() + 1);
      return TRUE;
    });
  }
  void TearDown() override {
    holder.reset();
    // Whatever is still open goes without questions.
    set_message_box_handler([](HWND, const std::wstring&, const std::wstring&, UINT style) {
      return (style & 0xF) == MB_YESNOCANCEL || (style & 0xF) == MB_YESNO ? IDNO : IDOK;
    });
    set_file_dialog_handler([](FileDialogKind, OPENFILENAMEA&) -> BOOL { return FALSE; });
    for (const std::string& path : read_only)
      SetFileAttributesW(wide(path).c_str(), FILE_ATTRIBUTE_NORMAL);
    if (frame_alive()) {
      SendMessageW(frame_, WM_COMMAND, CMD_CLOSE_ALL, 0);
      pump_messages();
    }
    release_read_back();
    release_frame_mnemonic_text();
    g_mnemonic_text = {};
    set_message_box_handler({});
    set_file_dialog_handler({});
    // The folder goes before the disk it may lie on.
    const bool on_disk = disk != nullptr;
    if (on_disk) SetCurrentDirectoryW(folder_->path().c_str());
    if (on_disk && project_folder != narrow(folder_->path())) {
      for (const char* name : {"P.MBS", "P.SEQ", "P.NIC", "T.MBS", "T.NIC", "file.ini", "~filler", "P.LST"}) {
        const std::string path = project_folder + "\\" + name;
        SetFileAttributesW(wide(path).c_str(), FILE_ATTRIBUTE_NORMAL);
        DeleteFileW(wide(path).c_str());
        RemoveDirectoryW(wide(path).c_str());
      }
    }
    ProgramTest::TearDown();
    disk.reset();
    reset_serial_state();
  }

  int answer_for(const Box& box) {
    const UINT buttons = box.style & 0xF;
    if (buttons == MB_YESNOCANCEL || buttons == MB_YESNO) return IDYES;
    // The question before cut lines are written over: the user keeps the file.
    if (box.text.rfind("長すぎて切った行があります", 0) == 0) return IDCANCEL;
    return IDOK;
  }

  std::string file(const char* name) const { return project_folder + "\\" + name; }
  void make_read_only(const std::string& path) {
    ASSERT_TRUE(SetFileAttributesW(wide(path).c_str(), FILE_ATTRIBUTE_READONLY)) << path;
    read_only.push_back(path);
  }
  void replace_by_folder(const std::string& path) {
    DeleteFileW(wide(path).c_str());
    ASSERT_TRUE(CreateDirectoryW(wide(path).c_str(), nullptr)) << path;
  }
  void hold(const std::string& path) {
    holder = std::make_unique<FileHolder>(path);
    ASSERT_TRUE(holder->held()) << "file_holder.exe did not hold " << path;
  }

  // Starts the program as its entry point does, from the start folder.
  void start_program_here() {
    install_frame_slots();
    ASSERT_NE(start(), nullptr);
    if (g_guide_dialog != 0) DestroyWindow(as_hwnd(g_guide_dialog));
    g_guide_dialog = 0;
    g_guide_flags = {0, 0, 0, 0};
    g_com_number = 12;  // a port that is not mapped: the one-click write ends at the port
    GetClientRect(frame_, &g_client_rect);
    pump_messages();
  }
  HWND command(int id) {
    SendMessageW(frame_, WM_COMMAND, MAKEWPARAM(id, 0), 0);
    pump_messages();
    return reinterpret_cast<HWND>(SendMessageW(g_mdi_client, WM_MDIGETACTIVE, 0, 0));
  }
  HWND open(int open_command, const std::string& path, bool ticked) {
    open_choices.push_back(path);
    tick_read_only = ticked;
    HWND window = command(open_command);
    tick_read_only = false;
    return window;
  }
  void send(HWND window, int id) {
    SendMessageW(window, WM_COMMAND, id, 0);
    pump_messages();
  }
  // The design window's change: a new first rung.
  void change_design(HWND window) {
    LadderGrid* grid = design_grid_of(window);
    ASSERT_NE(grid, nullptr);
    set_row_from_text((*grid)[0], EDITED_ROW);
    edited_row = (*grid)[0];
  }
  // The mnemonic window's change: a comment behind the second line, or a whole program
  // typed into a window whose file did not open.
  void change_mnemonic(HWND window, bool empty) {
    auto type = [window](const std::string& ascii) {
      for (char c : ascii) SendMessageW(window, WM_CHAR, static_cast<WPARAM>(c), 1);
    };
    if (empty) {
      type("LD X0");
      SendMessageW(window, WM_COMMAND, CMD_ENTER, 0);
      type("OUT Y0 ");
      type(MARK);
      SendMessageW(window, WM_COMMAND, CMD_ENTER, 0);
      type("END");
    } else {
      SendMessageW(window, WM_KEYDOWN, VK_DOWN, 1);
      SendMessageW(window, WM_KEYDOWN, VK_END, 1);
      type(" ");
      type(MARK);
    }
    pump_messages();
  }
  bool design_still_changed(HWND window) const {
    if (!IsWindow(window)) return false;
    const LadderGrid* grid = design_grid_of(window);
    if (grid == nullptr) return false;
    // Every write of a design sets the link bit of each row's cell 0: that is the writer's,
    // not a change of the user's.
    for (int c = 0; c < ROW_CELLS; ++c) {
      const uint32_t mask = c == 0 ? ~CellFlags::LINK_UP : ~0u;
      if (((*grid)[0].cell[c].word[0] & mask) != (edited_row.cell[c].word[0] & mask) ||
          (*grid)[0].cell[c].word[1] != edited_row.cell[c].word[1])
        return false;
    }
    return SendMessageW(window, WM_COMMAND, CMD_QUERY_MODIFIED, 0) == 1;
  }
  static bool mnemonic_still_changed(HWND window) {
    if (!IsWindow(window)) return false;
    const MnemonicText* text = nic_window_text(window);
    const SavedText* saved = nic_window_saved_text(window);
    if (text == nullptr || saved == nullptr || text_differs_from_saved(*text, *saved) == 0) return false;
    for (const MnemonicLine& line : *text) {
      if (is_end_line(line)) break;
      if (std::strstr(line.statement, MARK) != nullptr) return true;
    }
    return false;
  }

  std::string target_of(Writer w) const {
    switch (w) {
      case Writer::DESIGN_SAVE:
      case Writer::DESIGN_CLOSE:
      case Writer::COMPILE_MBS:
      case Writer::ONE_CLICK:
      case Writer::SEQ_TO_DESIGN:
        return file("P.MBS");
      case Writer::DESIGN_SAVE_AS:
        return file("T.MBS");
      case Writer::NIC_SAVE_AS:
        return file("T.NIC");
      case Writer::NIC_SAVE:
      case Writer::NIC_CLOSE:
      case Writer::COMPILE_NIC:
      case Writer::NIC_COMPILE_NIC:
      case Writer::SEQ_TO_NIC:
        return file("P.NIC");
      case Writer::COMPILE_SEQ:
      case Writer::NIC_COMPILE_SEQ:
        return file("P.SEQ");
      case Writer::SETTINGS:
        return start_folder + "\\file.ini";
    }
    return {};
  }

  // The message each refused cell ends with.
  Expected expected(const Cell& c) const {
    const Writer w = c.writer;
    const std::string target = target_of(w);
    const std::string p_mbs = file("P.MBS"), p_seq = file("P.SEQ"), p_nic = file("P.NIC");
    const std::string read_only_text = "読取り専用ファイルです";
    const std::string cannot_open = "ファイルが開けません\n共用をチェックして下さい";
    const std::string cut_question =
        "長すぎて切った行があります（1行目）。\n元のファイルに上書きすると、切った部分は失われます。\n上書きしますか？";
    const std::string not_opened = "開けなかったファイルには上書き出来ません！\n名前を付けて保存して下さい";
    const std::string seq_cannot_open = "ファイルが開けません\n共用をチェックして下さい";
    const std::string nic_cannot_open = " ファイルが、開けません\n共用をチェックして下さい";
    if (w == Writer::SETTINGS) return {Expected::SILENT, "", ""};
    // Save As of the guards that mark the document is given the document's own file.
    const bool own_save_as = (w == Writer::DESIGN_SAVE_AS || w == Writer::NIC_SAVE_AS) &&
                             (c.guard == Guard::OPENED_READ_ONLY || c.guard == Guard::LINES_CUT ||
                              c.guard == Guard::NOT_OPENED);
    const std::string own = own_save_as ? (w == Writer::DESIGN_SAVE_AS ? p_mbs : p_nic) : target;
    switch (c.guard) {
      case Guard::NONE:
        return {};
      case Guard::ATTRIBUTE_BEFORE:
      case Guard::ATTRIBUTE_AFTER:
        return {Expected::BOX, read_only_text, target};
      case Guard::OPENED_READ_ONLY:
        // The document's own file names the refusal; 1193 asks the mnemonic window first.
        if (w == Writer::SEQ_TO_NIC) return {Expected::BOX, read_only_text, p_nic};
        if (design_document(w)) return {Expected::BOX, read_only_text, w == Writer::DESIGN_SAVE_AS ? own : p_mbs};
        return {Expected::BOX, read_only_text, own_save_as ? own : p_nic};
      case Guard::LINES_CUT:
        return {Expected::BOX, cut_question, p_nic};
      case Guard::NOT_OPENED:
        // A window whose file did not open saves only under a chosen name; a compile, or a
        // Save As onto that file, refuses.
        if (w == Writer::NIC_SAVE || w == Writer::NIC_CLOSE || design_document(w)) return {Expected::SAVE_DIALOG, "", ""};
        return {Expected::BOX, not_opened, p_nic};
      case Guard::FOLDER:
      case Guard::LOCKED:
        switch (w) {
          case Writer::COMPILE_SEQ:
          case Writer::NIC_COMPILE_SEQ:
            return {Expected::BOX, seq_cannot_open, "警告", p_seq};
          case Writer::COMPILE_NIC:
          case Writer::NIC_COMPILE_NIC:
          case Writer::SEQ_TO_NIC:
            return {Expected::BOX, nic_cannot_open, "警告", p_nic};
          default:
            return {Expected::BOX, cannot_open, target};
        }
      case Guard::DISK_FULL:
        switch (w) {
          case Writer::DESIGN_SAVE:
          case Writer::DESIGN_SAVE_AS:
          case Writer::DESIGN_CLOSE:
          case Writer::NIC_SAVE:
          case Writer::NIC_SAVE_AS:
          case Writer::NIC_CLOSE:
            return {Expected::BOX, "ファイル保存に失敗しました！", "警告"};
          case Writer::COMPILE_MBS:
          case Writer::COMPILE_SEQ:
          case Writer::COMPILE_NIC:
            // The operation file is the first of the set written: the disk is full there.
            return {Expected::BOX, "書込みエラ－が発生しました！", p_seq};
          case Writer::NIC_COMPILE_SEQ:
          case Writer::NIC_COMPILE_NIC:
          case Writer::SEQ_TO_DESIGN:
            return {Expected::BOX, "ファイル保存に失敗しました！", p_seq};
          case Writer::ONE_CLICK:
            return {Expected::BOX, "書込みエラ－が発生しました！", p_mbs};
          case Writer::SEQ_TO_NIC:
            return {Expected::BOX, "書込みエラ－が発生しました！", p_nic};
          default:
            break;
        }
        break;
    }
    return {};
  }

  // The success a writer without a guard ends with ("" for none).
  std::string success(Writer w) const {
    switch (w) {
      case Writer::DESIGN_SAVE:
      case Writer::NIC_SAVE:
        return "ファイルが上書きされました！";
      case Writer::DESIGN_SAVE_AS:
      case Writer::NIC_SAVE_AS:
        return "ファイルが新しい名前で保存されました！";
      case Writer::COMPILE_MBS:
      case Writer::COMPILE_SEQ:
      case Writer::COMPILE_NIC:
      case Writer::SEQ_TO_NIC:
        return "SEQ to NICが終了しました";
      case Writer::NIC_COMPILE_SEQ:
      case Writer::NIC_COMPILE_NIC:
      case Writer::SEQ_TO_DESIGN:
        return "P.MBS ファイルが出来ました！";
      case Writer::ONE_CLICK:
        return "ＣＯＭ番号の不整合等で、\n通信が成立していません！！";
      default:
        return "";
    }
  }

  void run_cell(const Cell& c);

  std::vector<Box> boxes;
  std::vector<FileDialogKind> dialogs;
  std::vector<std::string> open_choices;
  std::vector<std::string> save_choices;
  bool tick_read_only = false;
  std::vector<std::string> read_only;
  std::unique_ptr<FileHolder> holder;
  std::unique_ptr<SmallDisk> disk;
  std::string project_folder;
  std::string start_folder;
  LadderRow edited_row{};
};

void WriteGateTable::run_cell(const Cell& c) {
  const Writer w = c.writer;
  const Guard g = c.guard;
  project_folder = narrow(folder_->path());
  if (g == Guard::DISK_FULL) {
    disk = std::make_unique<SmallDisk>();
    if (!disk->mounted()) {
      GTEST_SKIP() << "no small file system could be mounted (the test needs root)";
    }
    project_folder = disk->folder();
    // file.ini goes where the program starts: on the small disk for its own cell.
    if (w == Writer::SETTINGS) {
      ASSERT_TRUE(SetCurrentDirectoryW(wide(project_folder).c_str()));
    }
  }
  wchar_t current[MAX_PATH];
  GetCurrentDirectoryW(MAX_PATH, current);
  start_folder = narrow(current);

  // The project P (design, compiled program, mnemonic text) and the files T of Save As.
  LadderGrid design_rows = ladder_from_text(DESIGN_ROWS);
  LadderGrid other_rows = ladder_from_text({"X5 ~ (Y5)"});
  ASSERT_TRUE(write_design_grid(wide(file("P.MBS")), design_rows));
  ASSERT_TRUE(write_operation_file(wide(file("P.SEQ")), DESIGN_ROWS));
  write_file_bytes(wide(file("P.NIC")),
                   nic_text({g == Guard::LINES_CUT ? LONG_LINE : "LD      X00", "OUT     Y00", "END"}));
  ASSERT_TRUE(write_design_grid(wide(file("T.MBS")), other_rows));
  write_file_bytes(wide(file("T.NIC")), nic_text({"LD      X05", "OUT     Y05", "END"}));
  write_file_bytes(wide(start_folder + "\\file.ini"), "iDirectory " + file("P.MBS") +
                                                          "\r\n[SETUF] 0 0 0 0 11 Courier 0 125 0\r\n[RS232C] 1\r\n"
                                                          "[ROMWRT] \r\n" + file("P.MBS") + "\r\n");
  const std::string target = target_of(w);
  const bool own_save_as = (w == Writer::DESIGN_SAVE_AS || w == Writer::NIC_SAVE_AS) &&
                           (g == Guard::OPENED_READ_ONLY || g == Guard::LINES_CUT || g == Guard::NOT_OPENED);
  const std::string save_as_choice = own_save_as ? (w == Writer::DESIGN_SAVE_AS ? file("P.MBS") : file("P.NIC")) : target;

  // Guards in place before the program starts or the document opens.
  if (g == Guard::ATTRIBUTE_BEFORE) make_read_only(target);
  if (w == Writer::SETTINGS && g == Guard::FOLDER) replace_by_folder(target);
  if (w == Writer::SETTINGS && g == Guard::NOT_OPENED) hold(target);
  if (HasFatalFailure()) return;
  start_program_here();
  if (HasFatalFailure()) return;
  if (w == Writer::SETTINGS && g == Guard::NOT_OPENED) holder.reset();

  // The documents, changed as a user changes them.
  HWND design = nullptr;
  HWND mnemonic = nullptr;
  const bool ticked = g == Guard::OPENED_READ_ONLY;
  if (design_document(w)) {
    design = open(CMD_OPEN_DESIGN, file("P.MBS"), ticked && w != Writer::SEQ_TO_NIC);
    ASSERT_TRUE(design != nullptr && IsWindow(design)) << "the design did not open";
    change_design(design);
  }
  // A mnemonic window: the document itself, or beside a design the window whose guard the
  // design's compile and 1193 must respect.
  const bool mnemonic_beside = design_document(w) && (w == Writer::COMPILE_MBS || w == Writer::COMPILE_SEQ ||
                                                      w == Writer::COMPILE_NIC || w == Writer::SEQ_TO_NIC) &&
                               (g == Guard::LINES_CUT || g == Guard::NOT_OPENED ||
                                (w == Writer::SEQ_TO_NIC && g == Guard::OPENED_READ_ONLY));
  if (mnemonic_document(w) || mnemonic_beside) {
    if (g == Guard::NOT_OPENED) hold(file("P.NIC"));
    if (HasFatalFailure()) return;
    mnemonic = open(CMD_OPEN_MNEMONIC, file("P.NIC"), ticked);
    holder.reset();
    ASSERT_TRUE(mnemonic != nullptr && IsWindow(mnemonic)) << "the mnemonic window did not open";
    ASSERT_EQ(as_hwnd(g_mnemonic_windows[0]), mnemonic);
    change_mnemonic(mnemonic, g == Guard::NOT_OPENED);
    ASSERT_TRUE(mnemonic_still_changed(mnemonic)) << "the mnemonic change did not take";
  }
  if (w == Writer::SEQ_TO_NIC) {
    ASSERT_TRUE(read_back_operation_file(file("P.SEQ"), file("P.MBS")));
  }
  if (design != nullptr && mnemonic != nullptr) {
    SendMessageW(g_mdi_client, WM_MDIACTIVATE, reinterpret_cast<WPARAM>(design), 0);
    pump_messages();
  }

  // What every file of the project holds before the writer runs (a folder put in place of
  // the target stays a folder).
  std::map<std::string, std::string> before;
  std::vector<std::string> watched = {file("P.MBS"), file("P.SEQ"), file("P.NIC"), file("T.MBS"), file("T.NIC")};
  if (w == Writer::SETTINGS) watched.push_back(target);
  for (const std::string& path : watched) before[path] = snapshot(path);
  if (g == Guard::FOLDER) before[target] = "<folder>";

  // Guards in place after the open.
  if (g == Guard::ATTRIBUTE_AFTER) make_read_only(target);
  if (g == Guard::FOLDER && w != Writer::SETTINGS) replace_by_folder(target);
  if (g == Guard::LOCKED) hold(target);
  if (g == Guard::DISK_FULL) disk->fill();
  if (HasFatalFailure()) return;

  boxes.clear();
  dialogs.clear();

  // The writer.
  switch (w) {
    case Writer::DESIGN_SAVE:
      send(design, CMD_SAVE);
      break;
    case Writer::DESIGN_SAVE_AS:
    case Writer::NIC_SAVE_AS:
      save_choices.push_back(save_as_choice);
      send(w == Writer::DESIGN_SAVE_AS ? design : mnemonic, CMD_SAVE_AS);
      break;
    case Writer::DESIGN_CLOSE:
      SendMessageW(design, WM_SYSCOMMAND, SC_CLOSE, 0);
      pump_messages();
      break;
    case Writer::NIC_SAVE:
      send(mnemonic, CMD_SAVE);
      break;
    case Writer::NIC_CLOSE:
      SendMessageW(mnemonic, WM_SYSCOMMAND, SC_CLOSE, 0);
      pump_messages();
      break;
    case Writer::COMPILE_MBS:
    case Writer::COMPILE_SEQ:
    case Writer::COMPILE_NIC:
      send(design, CMD_COMPILE_LADDER);
      break;
    case Writer::NIC_COMPILE_SEQ:
    case Writer::NIC_COMPILE_NIC:
    case Writer::SEQ_TO_DESIGN:
      send(mnemonic, CMD_COMPILE_MNEMONIC);
      break;
    case Writer::ONE_CLICK:
      command(CMD_WRITE_LADDER);
      break;
    case Writer::SEQ_TO_NIC:
      command(CMD_SEQ_TO_MNEMONIC);
      break;
    case Writer::SETTINGS:
      // Opening a design writes file.ini (the file opened heads the recent files).
      design = open(CMD_OPEN_DESIGN, file("P.MBS"), false);
      break;
  }
  holder.reset();

  std::string shown;
  for (const Box& b : boxes) shown += "\n    [" + b.caption + "] " + b.text;
  shown += "\n    file dialogs: " + std::to_string(dialogs.size());
  SCOPED_TRACE("boxes shown:" + shown);

  if (g == Guard::NONE) {
    EXPECT_NE(snapshot(target), before[target]) << "the writer did not write its file";
    const std::string said = success(w);
    if (!said.empty()) {
      bool found = false;
      for (const Box& b : boxes) found = found || b.text == said;
      EXPECT_TRUE(found) << "no success message \"" << said << "\"";
    }
    return;
  }

  // The target and every other file of the project are as they were.
  for (const std::string& path : watched) EXPECT_EQ(snapshot(path), before[path]) << path << " was changed";
  if (g == Guard::FOLDER) {
    EXPECT_TRUE(is_folder(target));
  }
  if (g == Guard::ATTRIBUTE_BEFORE || g == Guard::ATTRIBUTE_AFTER) {
    const DWORD attributes = GetFileAttributesW(wide(target).c_str());
    EXPECT_TRUE(attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY)) << "the attribute is gone";
  }
  // The refusal's message, and no success.
  const Expected e = expected(c);
  switch (e.kind) {
    case Expected::BOX: {
      bool found = false;
      for (const Box& b : boxes) found = found || matches(e, b);
      EXPECT_TRUE(found) << "no message \"" << e.text_prefix << e.text << "\" (caption \"" << e.caption << "\")";
      break;
    }
    case Expected::SAVE_DIALOG:
      EXPECT_NE(std::find(dialogs.begin(), dialogs.end(), FileDialogKind::SAVE), dialogs.end())
          << "the text did not go to Save As";
      break;
    case Expected::SILENT:
      EXPECT_TRUE(boxes.empty()) << "the settings writer tells nobody";
      break;
  }
  for (const Box& b : boxes)
    for (const char* text : SUCCESS_TEXTS)
      EXPECT_EQ(b.text.find(text), std::string::npos) << "a success was said: " << b.text;
  // The windows are open with their changes.
  EXPECT_TRUE(frame_alive());
  if (w == Writer::SETTINGS) {
    EXPECT_TRUE(design != nullptr && IsWindow(design));
    EXPECT_TRUE(same_path(g_recent_files[0].data(), file("P.MBS"))) << "the settings in memory took the change";
  }
  if (design != nullptr && w != Writer::SETTINGS) {
    EXPECT_TRUE(design_still_changed(design)) << "the design lost its change";
  }
  if (mnemonic != nullptr) {
    EXPECT_TRUE(mnemonic_still_changed(mnemonic)) << "the mnemonic text lost its change";
  }
}

TEST_P(WriteGateTable, TheFileIsKeptTheRefusalSaidAndTheChangeKept) {
  const Cell c = GetParam();
  run_cell(c);
  if (IsSkipped()) return;
  outcomes()[{static_cast<int>(c.writer), static_cast<int>(c.guard)}] = !HasFailure();
}

std::string cell_name(const ::testing::TestParamInfo<Cell>& info) {
  std::string name = std::string(writer_name(info.param.writer)) + "_" + guard_name(info.param.guard);
  for (char& ch : name)
    if (!std::isalnum(static_cast<unsigned char>(ch))) ch = '_';
  return name;
}

INSTANTIATE_TEST_SUITE_P(EveryWriterAndGuard, WriteGateTable, ::testing::ValuesIn(all_cells()), cell_name);

}  // namespace
