// A long random walk through the windows as a restless user would take it: frame commands,
// screen switches, opening and closing files, edits, window activations, the search and
// replace dialogs' OK, and random answers to every question, over design, mnemonic and
// monitor windows of two files. After every step the walk checks what must always hold:
//   - the heaps are sound (no write went astray);
//   - every document window stands in its slot of its kind's list, every listed handle is
//     a live window of that kind, and further windows never outlive their main window;
//   - every window shows a document of its own kind, and the main windows keep their saved
//     copies; the current mnemonic text names a live text or none;
//   - no change is lost without a question: a window that held unsaved changes and is gone
//     asked its question first, and no file is rewritten under a window that still holds
//     unsaved changes to it.
// The test command runs a fixed seed for a few hundred steps. TAVOLIN_WALK_SEED (first
// seed), TAVOLIN_WALK_RUNS (seeds in a row) and TAVOLIN_WALK_STEPS (steps per seed) make
// a longer walk; the figures are printed at the end.
#include "win/window_safety_fixture.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <iterator>
#include <functional>
#include <map>
#include <random>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "design/design_document.h"
#include "board/monitor_window_win.h"
#include "design/search_dialogs.h"
#include "design/search_dialogs_win.h"
#include "mnemonic/current_text.h"
#include "shell/file_dialog_win.h"
#include "shell/message_box_win.h"
#include "target/serial_port.h"

namespace {

using namespace window_safety;

int env_number(const char* name, int fallback) {
  const char* value = std::getenv(name);
  if (value == nullptr || *value == '\0') return fallback;
  return std::atoi(value);
}

enum class Kind { DESIGN, MNEMONIC, MONITOR };

std::wstring class_name(HWND window) {
  wchar_t name[32] = L"";
  GetClassNameW(window, name, 32);
  return name;
}

bool kind_of_class(const std::wstring& name, Kind& kind) {
  if (name == L"massfl" || name == L"motofl") kind = Kind::DESIGN;
  else if (name == L"nicfl") kind = Kind::MNEMONIC;
  else if (name == L"jikfl") kind = Kind::MONITOR;
  else return false;
  return true;
}

// What the walk knows of a document window before a step.
struct WindowNote {
  HWND window;
  Kind kind;
  bool main;
  bool changed;       // holds changes that are not in its file
  std::string path;   // its file
  std::string bytes;  // the file's bytes before the step
};

struct ShownBox {
  HWND owner;
  std::string text;
  UINT style;
  int answer;
};

class WindowWalk : public WindowSafetyFrame {
 protected:
  void SetUp() override {
    WindowSafetyFrame::SetUp();
    reset_serial_state();
    g_com_number = 12;  // a port that is not mapped: every board command ends at the port
    set_message_box_handler([this](HWND owner, const std::wstring& text, const std::wstring&, UINT style) {
      const int answer = answer_for(style);
      boxes.push_back({owner, narrow(text), style, answer});
      return answer;
    });
    set_file_dialog_handler([this](FileDialogKind kind, OPENFILENAMEA& record) { return choose_file(kind, record); });
  }
  void TearDown() override {
    set_message_box_handler({});
    set_file_dialog_handler({});
    // Whatever is still open goes without questions.
    set_message_box_handler([](HWND, const std::wstring&, const std::wstring&, UINT style) {
      return (style & 0xF) == MB_YESNOCANCEL || (style & 0xF) == MB_YESNO ? IDNO : IDOK;
    });
    for (HWND dialog : {as_hwnd(g_dialog_slots[0][0]), as_hwnd(g_dialog_slots[1][0]), as_hwnd(g_dialog_slots[2][0])})
      if (dialog != nullptr && IsWindow(dialog)) DestroyWindow(dialog);
    for (int i = 0; i < 3; ++i) {
      command(CMD_CLOSE_ALL);
      pump_messages();
    }
    set_message_box_handler({});
    reset_serial_state();
    WindowSafetyFrame::TearDown();
  }

  int pick(int n) { return static_cast<int>(random() % static_cast<unsigned>(n)); }

  int answer_for(UINT style) {
    switch (style & 0xF) {
      case MB_OKCANCEL: return pick(10) < 7 ? IDOK : IDCANCEL;
      case MB_YESNOCANCEL: {
        const int r = pick(10);
        return r < 3 ? IDYES : r < 7 ? IDNO : IDCANCEL;
      }
      case MB_YESNO: return pick(2) == 0 ? IDYES : IDNO;
      default: return IDOK;
    }
  }

  // The files of the two projects: A (design, mnemonic text and compiled program) and B.
  void write_files() {
    design_file(L"A.MBS");
    nic_file(L"A.NIC");
    ASSERT_TRUE(write_operation_file(folder_->file(L"A.SEQ"), DESIGN_ROWS));
    design_file(L"B.MBS", {"X2 ~ (Y4)", "X3 /X0 ~ (M1)"});
    nic_file(L"B.NIC", {"LD      X02", "OUT     Y04", "END"});
  }

  std::vector<HWND> document_windows() const {
    std::vector<HWND> out;
    for (HWND w = GetWindow(g_mdi_client, GW_CHILD); w != nullptr; w = GetWindow(w, GW_HWNDNEXT)) {
      Kind kind;
      if (kind_of_class(class_name(w), kind)) out.push_back(w);
    }
    return out;
  }

  static bool design_changed(HWND w, bool main) {
    const LadderGrid* grid = design_grid_of(w);
    const LadderGrid* saved = design_saved_copy_of(w);
    if (grid == nullptr) return false;
    if (saved != nullptr && grid_differs(*grid, *saved) == 1) return true;
    return main && g_comments_changed != 0;
  }

  std::vector<WindowNote> note_windows() const {
    std::vector<WindowNote> notes;
    for (HWND w : document_windows()) {
      WindowNote n{w, Kind::DESIGN, false, false, "", ""};
      kind_of_class(class_name(w), n.kind);
      const ViewState* view = reinterpret_cast<ViewState*>(GetWindowLongPtrW(w, CHILD_EXTRA_VIEW_STATE));
      if (view == nullptr) continue;
      n.path = view->path;
      switch (n.kind) {
        case Kind::DESIGN:
          n.main = w == as_hwnd(g_design_windows[0]);
          n.changed = design_changed(w, n.main);
          break;
        case Kind::MNEMONIC:
          n.main = w == as_hwnd(g_mnemonic_windows[0]);
          if (const SavedText* saved = nic_window_saved_text(w); saved != nullptr && nic_window_text(w) != nullptr)
            n.changed = text_differs_from_saved(*nic_window_text(w), *saved) != 0;
          break;
        case Kind::MONITOR:
          n.main = w == as_hwnd(g_monitor_windows[0]);
          break;
      }
      if (n.changed && n.main) n.bytes = file_bytes(n.path);
      notes.push_back(n);
    }
    return notes;
  }

  // ---- The checks after a step ------------------------------------------------------------

  void check_heaps(std::vector<std::string>& findings) const {
    HANDLE heaps[64];
    const DWORD count = GetProcessHeaps(64, heaps);
    for (DWORD i = 0; i < count && i < 64; ++i)
      if (!HeapValidate(heaps[i], 0, nullptr)) findings.push_back("a heap is damaged");
  }

  template <typename List>
  void check_list(const char* name, const List& list, const std::wstring& class_a, const std::wstring& class_b,
                  std::vector<std::string>& findings) const {
    for (size_t i = 0; i < list.size() && list[i] != WINDOW_LIST_END; ++i) {
      if (list[i] == 0) continue;
      HWND w = as_hwnd(list[i]);
      const std::wstring c = IsWindow(w) ? class_name(w) : L"";
      if (c != class_a && c != class_b)
        findings.push_back(std::string(name) + " slot " + std::to_string(i) + " names no live window of its kind");
    }
  }

  void check_windows(std::vector<std::string>& findings) const {
    check_list("design list", g_design_windows, L"massfl", L"motofl", findings);
    check_list("mnemonic list", g_mnemonic_windows, L"nicfl", L"nicfl", findings);
    check_list("monitor list", g_monitor_windows, L"jikfl", L"jikfl", findings);
    std::set<const void*> texts;  // the texts and saved copies the windows hold
    for (HWND w : document_windows()) {
      Kind kind;
      kind_of_class(class_name(w), kind);
      const ViewState* view = reinterpret_cast<ViewState*>(GetWindowLongPtrW(w, CHILD_EXTRA_VIEW_STATE));
      void* document = reinterpret_cast<void*>(GetWindowLongPtrW(w, CHILD_EXTRA_DOCUMENT));
      const std::string who = narrow(class_name(w)) + " window " + std::to_string(view ? view->window_index : -1);
      if (view == nullptr || document == nullptr) {
        findings.push_back(who + " shows no document");
        continue;
      }
      const int slot = view->window_index;
      WindowHandle listed = 0;
      WindowHandle main = 0;
      DocumentKind want = DocumentKind::NONE;
      switch (kind) {
        case Kind::DESIGN:
          listed = slot >= 0 && slot < MAX_LIST_WINDOWS ? g_design_windows[static_cast<size_t>(slot)] : 0;
          main = g_design_windows[0];
          want = DocumentKind::DESIGN_GRID;
          break;
        case Kind::MNEMONIC:
          listed = slot >= 0 && slot < MNEMONIC_LIST_SLOTS ? g_mnemonic_windows[static_cast<size_t>(slot)] : 0;
          main = g_mnemonic_windows[0];
          want = DocumentKind::MNEMONIC_TEXT;
          break;
        case Kind::MONITOR:
          listed = slot >= 0 && slot < MAX_LIST_WINDOWS ? g_monitor_windows[static_cast<size_t>(slot)] : 0;
          main = g_monitor_windows[0];
          want = DocumentKind::MONITOR_GRID;
          break;
      }
      if (listed != as_window_handle(w)) findings.push_back(who + " is not in its slot");
      if (main == 0 || main == WINDOW_LIST_END || !IsWindow(as_hwnd(main)))
        findings.push_back(who + " outlives the main window of its kind");
      if (document_kind_of(w) != want) findings.push_back(who + " carries the wrong document kind");
      switch (kind) {
        case Kind::DESIGN: {
          const LadderGrid& grid = *static_cast<LadderGrid*>(document);
          if (grid.empty() || grid.size() > static_cast<size_t>(MAX_GRID_ROWS) || find_end_mark_row(grid) < 0)
            findings.push_back(who + " shows a grid without its end");
          if (slot == 0 && design_saved_copy_of(w) == nullptr) findings.push_back(who + " lost its saved copy");
          break;
        }
        case Kind::MNEMONIC: {
          const MnemonicText& text = *static_cast<MnemonicText*>(document);
          if (text.empty() || count_text_lines(text) < 0) findings.push_back(who + " shows a text without its end");
          texts.insert(text.data());
          if (const SavedText* saved = nic_window_saved_text(w)) texts.insert(saved->data());
          if (slot == 0 && nic_window_saved_text(w) == nullptr) findings.push_back(who + " lost its saved copy");
          break;
        }
        case Kind::MONITOR:
          if (document != monitor_grid()) findings.push_back(who + " shows a grid that is not the monitor's");
          break;
      }
    }
    const MnemonicLine* current = current_mnemonic_text_data();
    if (current != nullptr && !mnemonic_text_is_frame_owned() && texts.count(current) == 0)
      findings.push_back("the current mnemonic text names a text no window holds");
  }

  void check_changes(const std::vector<WindowNote>& before, const std::vector<ShownBox>& step_boxes,
                     std::vector<std::string>& findings) const {
    const std::vector<WindowNote> after = note_windows();
    for (const WindowNote& n : before) {
      if (!n.changed) continue;
      bool alive = false;
      bool changed_after = false;
      for (const WindowNote& a : after)
        if (a.window == n.window) {
          alive = true;
          changed_after = a.changed;
        }
      if (!alive) {
        bool asked = false;
        for (const ShownBox& b : step_boxes) asked = asked || b.owner == n.window;
        if (!asked) findings.push_back(narrow(std::wstring(n.kind == Kind::DESIGN ? L"design" : L"mnemonic")) +
                                       " window with changes closed without a question");
      } else if (n.main && changed_after && file_bytes(n.path) != n.bytes) {
        // Only a main window's file is written from its window; a further window of the
        // same file keeps its changes when the main window saves.
        findings.push_back("a file was rewritten under a window that holds changes to it: " + n.path);
      }
    }
  }

  // ---- The steps ----------------------------------------------------------------------------

  HWND random_window() {
    const std::vector<HWND> windows = document_windows();
    return windows.empty() ? nullptr : windows[static_cast<size_t>(pick(static_cast<int>(windows.size())))];
  }
  HWND active() const { return reinterpret_cast<HWND>(SendMessageW(g_mdi_client, WM_MDIGETACTIVE, 0, 0)); }

  HWND open_dialog() const {
    for (const auto& row : g_dialog_slots)
      if (row[0] != 0 && IsWindow(as_hwnd(row[0]))) return as_hwnd(row[0]);
    return nullptr;
  }

  std::string step() {
    static const int FRAME_COMMANDS[] = {CMD_SCREEN_DESIGN, CMD_SCREEN_MNEMONIC, CMD_SCREEN_OPERATION, CMD_OPEN_DESIGN,
                                         CMD_OPEN_MNEMONIC, CMD_NEW_DESIGN,      CMD_NEW_MNEMONIC,     CMD_CLOSE_ALL,
                                         CMD_SEQ_TO_DESIGN, CMD_SEQ_TO_MNEMONIC, CMD_WRITE_LADDER};
    static const int CHILD_COMMANDS[] = {CMD_SAVE,    CMD_UNDO,           CMD_REDO,   CMD_SEARCH,
                                         CMD_REPLACE, CMD_COMPILE_LADDER, CMD_COMPILE_MNEMONIC};
    static const wchar_t* const WORDS[] = {L"X0", L"Y0", L"X00", L"Y00", L"X1", L"OUT", L"LD", L"Y4"};
    const int r = pick(100);
    if (r < 22) {
      const int id = FRAME_COMMANDS[pick(static_cast<int>(std::size(FRAME_COMMANDS)))];
      command(id);
      return "frame command " + std::to_string(id);
    }
    if (r < 40) {
      HWND w = random_window();
      if (w == nullptr) return "activate: no window";
      activate(w);
      return "activate " + narrow(class_name(w));
    }
    if (r < 60) {
      HWND w = active();
      Kind kind;
      if (w == nullptr || !kind_of_class(class_name(w), kind)) return "edit: no window";
      if (kind == Kind::DESIGN) {
        const int id = pick(2) == 0 ? CMD_BLANK_OPEN : CMD_BLANK_CLOSE;
        ViewState* view = view_state_of(w);
        if (view != nullptr) view->cursor_row = pick(4);
        command(id);
        return "design row edit " + std::to_string(id);
      }
      if (kind == Kind::MNEMONIC) {
        // Only the main text can be saved; typing goes there.
        if (w != as_hwnd(g_mnemonic_windows[0])) return "edit: a further mnemonic window";
        if (pick(3) == 0) SendMessageW(w, WM_KEYDOWN, VK_DELETE, 1);
        else SendMessageW(w, WM_CHAR, static_cast<WPARAM>('A' + pick(26)), 1);
        return "mnemonic typing";
      }
      return "edit: the monitor";
    }
    if (r < 75) {
      HWND w = active();
      if (w == nullptr) return "child command: no window";
      const int id = CHILD_COMMANDS[pick(static_cast<int>(std::size(CHILD_COMMANDS)))];
      command(id);
      return "child command " + std::to_string(id);
    }
    if (r < 88) {
      HWND dialog = open_dialog();
      if (dialog == nullptr) return "dialog OK: no dialog";
      SetDlgItemTextW(dialog, IDC_DEVICE_EDIT, WORDS[pick(static_cast<int>(std::size(WORDS)))]);
      if (GetDlgItem(dialog, IDC_NEW_DEVICE_EDIT) != nullptr)
        SetDlgItemTextW(dialog, IDC_NEW_DEVICE_EDIT, WORDS[pick(static_cast<int>(std::size(WORDS)))]);
      click(dialog, IDOK);
      return "dialog OK";
    }
    if (r < 94) {
      HWND w = random_window();
      if (w == nullptr) return "close: no window";
      const std::string what = "close " + narrow(class_name(w));
      SendMessageW(w, WM_SYSCOMMAND, SC_CLOSE, 0);
      return what;
    }
    HWND dialog = open_dialog();
    if (dialog == nullptr) return "dialog close: no dialog";
    click(dialog, IDCANCEL);
    return "dialog close";
  }

  // One walk; the findings, each with its step and the steps that led to it.
  std::vector<std::string> walk(unsigned seed, int steps, int& questions) {
    random.seed(seed);
    write_files();
    // The project is A: its design opens first.
    first_open = true;
    command(CMD_OPEN_DESIGN);
    pump_messages();
    std::vector<std::string> history;
    std::vector<std::string> findings;
    for (int i = 0; i < steps && findings.empty(); ++i) {
      const std::vector<WindowNote> before = note_windows();
      boxes.clear();
      const std::string action = step();
      pump_messages();
      history.push_back(action);
      if (history.size() > 12) history.erase(history.begin());
      questions += static_cast<int>(boxes.size());
      std::vector<std::string> found;
      check_heaps(found);
      check_windows(found);
      check_changes(before, boxes, found);
      for (const std::string& f : found) {
        std::ostringstream out;
        out << "seed " << seed << " step " << i << ": " << f << "\n  after:";
        for (const std::string& h : history) out << " | " << h;
        findings.push_back(out.str());
      }
    }
    return findings;
  }
  // The open dialog picks one of the two projects' files; the save dialog mostly cancels,
  // else it names a new file in the folder.
  BOOL choose_file(FileDialogKind kind, OPENFILENAMEA& record) {
    const bool nic = record.lpstrFilter != nullptr && std::string(record.lpstrFilter).find("NIC") != std::string::npos;
    std::string choice;
    if (first_open) {
      choice = path_of(L"A.MBS");
      first_open = false;
    } else if (kind == FileDialogKind::OPEN) {
      choice = path_of(pick(2) == 0 ? (nic ? L"A.NIC" : L"A.MBS") : (nic ? L"B.NIC" : L"B.MBS"));
    } else if (pick(3) == 0) {
      choice = path_of(L"S" + std::to_wstring(pick(3)) + (nic ? L".NIC" : L".MBS"));
    }
    if (choice.empty() || choice.size() + 1 > record.nMaxFile) return FALSE;
    std::memcpy(record.lpstrFile, choice.c_str(), choice.size() + 1);
    return TRUE;
  }

  std::mt19937 random;
  bool first_open = false;
  std::vector<ShownBox> boxes;
};

TEST_F(WindowWalk, RandomStepsKeepEveryWindowAndEveryChange) {
  const unsigned first_seed = static_cast<unsigned>(env_number("TAVOLIN_WALK_SEED", 33));
  const int runs = std::max(1, env_number("TAVOLIN_WALK_RUNS", 1));
  const int steps = std::max(1, env_number("TAVOLIN_WALK_STEPS", 300));
  int questions = 0;
  int total_steps = 0;
  std::vector<std::string> findings;
  for (int run = 0; run < runs && findings.empty(); ++run) {
    const unsigned seed = first_seed + static_cast<unsigned>(run);
    if (run > 0) {
      // A fresh start for the next seed: every window closed without a question.
      set_message_box_handler([](HWND, const std::wstring&, const std::wstring&, UINT style) {
        return (style & 0xF) == MB_YESNOCANCEL || (style & 0xF) == MB_YESNO ? IDNO : IDOK;
      });
      for (HWND dialog : {as_hwnd(g_dialog_slots[0][0]), as_hwnd(g_dialog_slots[1][0]), as_hwnd(g_dialog_slots[2][0])})
        if (dialog != nullptr && IsWindow(dialog)) DestroyWindow(dialog);
      for (int i = 0; i < 3; ++i) command(CMD_CLOSE_ALL);
      pump_messages();
      set_message_box_handler([this](HWND owner, const std::wstring& text, const std::wstring&, UINT style) {
        const int answer = answer_for(style);
        boxes.push_back({owner, narrow(text), style, answer});
        return answer;
      });
    }
    findings = walk(seed, steps, questions);
    total_steps += steps;
  }
  std::printf("window walk: %d seed(s) from %u, %d steps each, %d questions answered, %zu finding(s)\n", runs,
              first_seed, steps, questions, findings.size());
  for (const std::string& f : findings) ADD_FAILURE() << f;
  (void)total_steps;
}

}  // namespace
