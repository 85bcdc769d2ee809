#include "design/search_dialogs_win.h"

#include <algorithm>
#include <cstdio>
#include <string>

#include "core/device_tables.h"
#include "design/design_dialogs_win.h"
#include "design/design_input_win.h"
#include "design/device_search.h"
#include "design/search_dialogs.h"
#include "design/undo_ring.h"
#include "design/view_geometry_win.h"
#include "shell/command_ids.h"
#include "shell/command_routing.h"
#include "shell/command_routing_win.h"
#include "shell/dialog_placement_win.h"
#include "shell/frame_handles_win.h"
#include "shell/message_box_win.h"
#include "shell/mode_flags.h"
#include "shell/text_win.h"
#include "shell/window_lists.h"
#include "shell/window_lists_win.h"

namespace {

constexpr char MSG_NO_OUTPUT_SEARCH[] = "出力ｻｰﾁは ﾆｰﾓﾆｯｸ画面ではｻﾎﾟｰﾄしていません！";
constexpr char MSG_NO_LIST_ON_MNEMONIC[] = "ﾆｰﾓﾆｯｸでは既存ﾌｧｲﾙ表示は有りません！\n記憶か番号のメモが必要です。";
constexpr size_t TEXT_LIMIT = SEARCH_TEXT_SIZE - 1;  // characters read from an edit box

MnemonicSearchHooks g_mnemonic_hooks;
ReplaceCommentAssigner g_comment_assigner = nullptr;
HWND g_keypad_target = nullptr;  // the edit the keypad of the open dialog types into

HWND active_child() {
  return g_mdi_client != nullptr ? reinterpret_cast<HWND>(SendMessageW(g_mdi_client, WM_MDIGETACTIVE, 0, 0)) : nullptr;
}


// A window's document with its kind and its ViewState, taken afresh for every message.
struct Target {
  HWND window = nullptr;
  void* document = nullptr;
  ViewState* view = nullptr;
  DocumentKind kind = DocumentKind::NONE;
  bool valid() const { return window != nullptr && document != nullptr && view != nullptr; }
  // A grid is taken only from a window whose document is one.
  bool holds_grid() const { return valid() && search_branch(kind) == SearchBranch::GRID; }
};

Target target_of(HWND window) {
  Target t;
  t.window = window;
  if (t.window == nullptr) return t;
  t.kind = document_kind_of(window);
  if (t.kind == DocumentKind::NONE) return t;
  t.document = reinterpret_cast<void*>(GetWindowLongPtrW(t.window, CHILD_EXTRA_DOCUMENT));
  t.view = reinterpret_cast<ViewState*>(GetWindowLongPtrW(t.window, CHILD_EXTRA_VIEW_STATE));
  return t;
}

// The dialogs act on the active child, whatever screen they were opened on.
Target active_target() { return target_of(active_child()); }

GridSpan grid_of(const Target& t) { return GridSpan(*static_cast<LadderGrid*>(t.document)); }

// The mnemonic screen's form of the dialogs (no instruction search, no list form): when the
// active child holds a mnemonic text, or, with no document window active, on that screen.
bool on_mnemonic_screen() {
  const DocumentKind kind = document_kind_of(active_child());
  return kind == DocumentKind::NONE ? g_screen_kind == SCREEN_KIND_MNEMONIC : kind == DocumentKind::MNEMONIC_TEXT;
}

HWND slot_zero() {
  HWND dialog = as_hwnd(dialog_slot_row(g_screen_kind)[0]);
  return dialog != nullptr && IsWindow(dialog) ? dialog : nullptr;
}

HWND message_owner(HWND window) {
  HWND owner = slot_zero();
  return owner != nullptr ? owner : window;
}

std::string edit_text(HWND dialog, int id) {
  wchar_t wide[SEARCH_TEXT_SIZE] = {};
  GetDlgItemTextW(dialog, id, wide, SEARCH_TEXT_SIZE);
  std::string text;
  wide_to_cp932(wide, text);
  if (text.size() > TEXT_LIMIT) text.resize(TEXT_LIMIT);
  return text;
}

void set_edit_text(HWND dialog, int id, const std::string& text) {
  SetDlgItemTextW(dialog, id, cp932_to_wide(text).c_str());
}

SearchContext current_context() {
  SearchContext context;
  context.search_mode = g_search_mode;
  context.search_dialog_open = get_mode_flag(CMD_SEARCH) != 0;
  context.replace_dialog_open = get_mode_flag(CMD_REPLACE) != 0;
  return context;
}

bool comment_mode() { return get_mode_flag(CMD_COMMENT) != 0; }

void draw_hit(HWND window, GridSpan grid, ViewState& view, const SearchHit& hit, int span) {
  erase_cursor_span(window, view);
  if (place_hit(view, hit, span, comment_mode())) InvalidateRect(window, nullptr, TRUE);
  show_cursor_span(window, grid, view);
  SetScrollPos(window, SB_VERT, view.top_row, TRUE);
  finish_hit(view, hit);
}

// Clears the dialog from every slot 0 that holds it (the screen may have changed since it
// was created) and the mode flag of its command.
void forget_dialog(HWND dialog, int command) {
  for (auto& row : g_dialog_slots)
    if (as_hwnd(row[0]) == dialog) row[0] = 0;
  set_mode_flag(command, 0);
  if (g_keypad_target != nullptr && GetParent(g_keypad_target) == dialog) g_keypad_target = nullptr;
}

void close_dialog(HWND dialog) {
  if (g_mnemonic_hooks.repaint_windows != nullptr) g_mnemonic_hooks.repaint_windows();
  DestroyWindow(dialog);
}

void feed_edit_717(HWND dialog, const std::string& text) {
  HWND edit = GetDlgItem(dialog, IDC_DEVICE_EDIT);
  SetFocus(edit);
  set_edit_text(dialog, IDC_DEVICE_EDIT, text);
  SendMessageW(edit, EM_SETSEL, 0, -1);
}

// ---- Soft keypad ------------------------------------------------------------------------------

bool is_keypad_id(int id) {
  return (id >= 1335 && id <= 1350) || (id >= 1352 && id <= 1357) || id == 1360 || (id >= 1362 && id <= 1369) ||
         (id >= 1371 && id <= 1374) || id == 1376 || id == 1377;
}

// The number entry dialog's keypad, shared: its 51-step rule, its text limit and its caret.
void keypad_command(HWND dialog, HWND edit, int id) {
  if (edit == nullptr) return;
  g_keypad_edit = edit;
  handle_keypad_command(dialog, id);
}

// ---- The list of the list form -------------------------------------------------------------------

void check_class_button(HWND dialog, int id) {
  for (const DeviceClassButton& b : DEVICE_CLASS_BUTTONS) CheckDlgButton(dialog, b.id, b.id == id ? BST_CHECKED : BST_UNCHECKED);
}

void fill_list(HWND dialog, const std::vector<std::string>& lines) {
  HWND list = GetDlgItem(dialog, IDC_DEVICE_LIST);
  if (list == nullptr) return;
  SendMessageW(list, LB_RESETCONTENT, 0, 0);
  for (const std::string& line : lines)
    SendMessageW(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(cp932_to_wide(line).c_str()));
}

void rebuild_used_list(HWND dialog, const Target& t) {
  if (!t.holds_grid() || GetDlgItem(dialog, IDC_DEVICE_LIST) == nullptr) return;
  g_search_list_content = used_list_content();
  UsedDeviceList used = build_used_device_list(grid_of(t), g_search_one_column != 0, g_search_class);
  g_search_list_entries = used.entries;
  fill_list(dialog, used.lines);
}

void list_uses(HWND dialog, ConstGridSpan grid, const std::string& text) {
  CrossReference xref;
  if (!cross_reference(grid, text, g_device_hits, xref)) return;
  g_search_list_content = SearchListContent::USES;
  if (xref.more > 0) {
    // Uses beyond the hit table are counted on a last line; they cannot be jumped to.
    char more[16];
    std::snprintf(more, sizeof more, "+%d", xref.more);
    xref.lines.emplace_back(more);
  }
  fill_list(dialog, xref.lines);
}

void on_list_selection(HWND dialog, const Target& t) {
  const int line = static_cast<int>(SendDlgItemMessageW(dialog, IDC_DEVICE_LIST, LB_GETCURSEL, 0, 0));
  if (line < 0 || !t.holds_grid()) return;
  const ListChoice choice = choose_list_line(line, edit_text(dialog, IDC_DEVICE_EDIT), g_device_hits);
  switch (choice.action) {
    case ListChoice::JUMP: {
      GridSpan grid = grid_of(t);
      erase_cursor_span(t.window, *t.view);
      if (!jump_to_use(grid, *t.view, choice.hit)) return;
      SetScrollPos(t.window, SB_VERT, t.view->top_row, TRUE);
      InvalidateRect(t.window, nullptr, TRUE);
      return;
    }
    case ListChoice::LIST_USES:
      g_search_entry = choice.edit_text;
      set_edit_text(dialog, IDC_DEVICE_EDIT, choice.edit_text);
      list_uses(dialog, grid_of(t), choice.edit_text);
      return;
    case ListChoice::SET_TEXT:
      g_search_entry = choice.edit_text;
      set_edit_text(dialog, IDC_DEVICE_EDIT, choice.edit_text);
      return;
    case ListChoice::NOTHING:
      return;
  }
}

// ---- Search dialog ---------------------------------------------------------------------------------

void init_search_dialog(HWND dialog) {
  const Target t = active_target();
  if (on_mnemonic_screen()) EnableWindow(GetDlgItem(dialog, IDC_SEARCH_INSTRUCTION), FALSE);
  CheckRadioButton(dialog, IDC_SEARCH_DOWN, IDC_SEARCH_INSTRUCTION, IDC_SEARCH_DOWN);
  g_search_mode = SEARCH_DOWN;
  g_keypad_target = GetDlgItem(dialog, IDC_DEVICE_EDIT);
  set_edit_text(dialog, IDC_DEVICE_EDIT, g_search_entry);
  if (GetDlgItem(dialog, IDC_DEVICE_LIST) != nullptr) {
    rebuild_used_list(dialog, t);
    check_class_button(dialog, g_search_class_button);
    CheckDlgButton(dialog, IDC_ONE_COLUMN, g_search_one_column != 0 ? BST_CHECKED : BST_UNCHECKED);
  }
  set_mode_flag(CMD_SEARCH, 1);
}

void search_ok(HWND dialog) {
  const Target t = active_target();
  g_search_text = edit_text(dialog, IDC_DEVICE_EDIT);
  bool failed = false;
  const SearchBranch branch = t.valid() ? search_branch(t.kind) : SearchBranch::NOTHING;
  if (branch == SearchBranch::TEXT) {
    if (g_mnemonic_hooks.search_in_text != nullptr) {
      const int result = g_mnemonic_hooks.search_in_text(t.window, t.document, *t.view, g_search_text.c_str());
      if (result == 0) InvalidateRect(t.window, nullptr, TRUE);
      failed = result != 0;
    }
  } else if (branch == SearchBranch::GRID) {
    GridSpan grid = grid_of(t);
    if (g_search_mode < SEARCH_INSTRUCTION) {
      failed = search_device(t.window, grid, *t.view, g_search_text.c_str()) != 0;
    } else {
      InstructionCode code = 0;
      const std::vector<std::string> words = search_words(g_search_text, 1);
      if (!words.empty() && instruction_code_from_name(words[0], code) == 0)
        find_next_instruction_use(t.window, grid, *t.view, code);
      else
        failed = true;
    }
  }
  // The list of the list form follows the class again.
  if (GetDlgItem(dialog, IDC_DEVICE_LIST) != nullptr)
    SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(g_search_class_button, BN_CLICKED), 0);
  if (failed) SetFocus(GetDlgItem(dialog, IDC_DEVICE_EDIT));
}

void switch_search_form(HWND dialog) {
  if (on_mnemonic_screen()) {
    show_message_box(dialog, MSG_NO_LIST_ON_MNEMONIC, SEARCH_CAPTION_WARN, MB_OK);
    return;
  }
  HWND owner = active_child();
  DestroyWindow(dialog);
  g_search_dialog_variant = g_search_dialog_variant == 0 ? 1 : 0;
  open_search_dialog(owner != nullptr ? owner : g_frame);
}

void search_command(HWND dialog, int id, int code) {
  const Target t = active_target();
  if (id >= IDC_SEARCH_DOWN && id <= IDC_SEARCH_INSTRUCTION) {
    g_search_mode = id - IDC_SEARCH_DOWN;
    if (id == IDC_SEARCH_OUTPUTS && on_mnemonic_screen()) show_message_box(dialog, MSG_NO_OUTPUT_SEARCH, SEARCH_CAPTION_WARN, MB_OK);
    return;
  }
  if (const int index = device_class_of_button(id); index >= 0) {
    g_search_class = index;
    g_search_class_button = id;
    check_class_button(dialog, id);
    rebuild_used_list(dialog, t);
    return;
  }
  if (is_keypad_id(id)) {
    keypad_command(dialog, g_keypad_target != nullptr ? g_keypad_target : GetDlgItem(dialog, IDC_DEVICE_EDIT), id);
    return;
  }
  switch (id) {
    case IDC_ONE_COLUMN:
      g_search_one_column = IsDlgButtonChecked(dialog, IDC_ONE_COLUMN) == BST_CHECKED ? 0 : 1;
      CheckDlgButton(dialog, IDC_ONE_COLUMN, g_search_one_column != 0 ? BST_CHECKED : BST_UNCHECKED);
      rebuild_used_list(dialog, t);
      return;
    case IDC_LIST_CLASS:
      rebuild_used_list(dialog, t);
      return;
    case IDC_SWITCH_FORM:
      switch_search_form(dialog);
      return;
    case IDOK:
      search_ok(dialog);
      return;
    case IDC_MOVE_DIALOG: {
      RECT client{};
      GetWindowRect(g_mdi_client, &client);
      RECT own{};
      GetWindowRect(dialog, &own);
      SetWindowPos(dialog, nullptr, client.right - 25 - (own.right - own.left), client.bottom - 17 - (own.bottom - own.top),
                   0, 0, SWP_NOSIZE | SWP_NOZORDER);
      keep_window_on_screen(dialog);
      InvalidateRect(dialog, nullptr, TRUE);
      return;
    }
    case IDCANCEL:
      close_dialog(dialog);
      return;
    case IDC_DEVICE_LIST:
      if (code == LBN_SELCHANGE) on_list_selection(dialog, t);
      return;
    default:
      return;
  }
}

// ---- Replace dialog ---------------------------------------------------------------------------------

void replace_ok(HWND dialog) {
  const Target t = active_target();
  const std::string old_text = edit_text(dialog, IDC_DEVICE_EDIT);
  const std::string new_text = edit_text(dialog, IDC_NEW_DEVICE_EDIT);
  if (!t.valid()) return;
  switch (replace_branch(t.kind)) {
    case SearchBranch::TEXT:
      if (g_mnemonic_hooks.replace_in_text == nullptr) return;
      if (g_mnemonic_hooks.replace_in_text(t.window, t.document, *t.view, old_text.c_str(), new_text.c_str()) != 0 &&
          g_mnemonic_hooks.push_undo != nullptr)
        g_mnemonic_hooks.push_undo(t.window, t.document);
      return;
    case SearchBranch::GRID:
      break;
    case SearchBranch::NOTHING:
      // The monitor window's grid is the board's program, never edited here.
      return;
  }
  GridSpan grid = grid_of(t);
  if (replace_devices(t.window, grid, *t.view, old_text.c_str(), new_text.c_str()) != 0 && view_file_number(*t.view) == 0)
    push_design_undo(grid);
}

void replace_command(HWND dialog, int id) {
  HWND focus = GetFocus();
  if (focus == GetDlgItem(dialog, IDC_DEVICE_EDIT) || focus == GetDlgItem(dialog, IDC_NEW_DEVICE_EDIT)) g_keypad_target = focus;
  if (is_keypad_id(id)) {
    keypad_command(dialog, g_keypad_target != nullptr ? g_keypad_target : GetDlgItem(dialog, IDC_DEVICE_EDIT), id);
    return;
  }
  switch (id) {
    case IDC_KEEP_COMMENT:
      g_replace_keep_comment = g_replace_keep_comment != 0 ? 0 : 1;
      CheckDlgButton(dialog, IDC_KEEP_COMMENT, g_replace_keep_comment != 0 ? BST_CHECKED : BST_UNCHECKED);
      return;
    case IDOK:
      replace_ok(dialog);
      return;
    case IDC_MOVE_DIALOG:
      search_command(dialog, IDC_MOVE_DIALOG, 0);
      return;
    case IDCANCEL:
      close_dialog(dialog);
      return;
    default:
      return;
  }
}

// What the replace asks of the window: the grid operations with their drawing.
class WindowReplacePort : public ReplacePort {
 public:
  WindowReplacePort(HWND window, GridSpan grid, ViewState& view) : window_(window), grid_(grid), view_(view) {}
  void show_hit(ViewState& view, const SearchHit& hit) override { draw_hit(window_, grid_, view, hit, view.visible_rows); }
  ReplaceAnswer ask_replace() override {
    switch (show_message_box(message_owner(window_), ASK_REPLACE, SEARCH_CAPTION_CONFIRM, MB_YESNOCANCEL)) {
      case IDYES: return ReplaceAnswer::YES;
      case IDNO: return ReplaceAnswer::NO;
      default: return ReplaceAnswer::CANCEL;
    }
  }
  bool ask_restart() override {
    return show_message_box(message_owner(window_), ASK_RESTART_REPLACE, SEARCH_CAPTION_CONFIRM, MB_YESNO) == IDYES;
  }
  void show_message(const char* text, const char* caption) override {
    show_message_box(message_owner(window_), text, caption, MB_OK);
  }
  void assign_comment(int row, int column, uint32_t device) override {
    if (g_comment_assigner != nullptr) g_comment_assigner(window_, grid_, view_, row, column, device);
  }
  void cell_changed(int row, int column) override {
    invalidate_cell_area(window_, grid_, view_, row, column, 0, false);
    broadcast_cell_update(window_, row, column, 0, 0, false);
  }
  void cell_passed(int row, int column) override { invalidate_cell_area(window_, grid_, view_, row, column, 0, false); }
  void repaint_all() override { InvalidateRect(window_, nullptr, TRUE); }

 private:
  HWND window_;
  GridSpan grid_;
  ViewState& view_;
};

}  // namespace

// ---- Hooks of the design window ----------------------------------------------------------------------

namespace {

DesignDialogOpener g_other_opener = nullptr;
void (*g_next_open_dialog)(HWND, const DialogRequest&) = nullptr;
void (*g_next_read_state)(DesignModes&) = nullptr;

HWND open_for_design(HWND design_window, DesignDialogKind kind) {
  switch (kind) {
    case DesignDialogKind::REPLACE:
      return create_replace_dialog();
    case DesignDialogKind::SEARCH:
    case DesignDialogKind::SEARCH_LIST:
      return create_search_dialog(kind == DesignDialogKind::SEARCH_LIST);
    default:
      return g_other_opener != nullptr ? g_other_opener(design_window, kind) : nullptr;
  }
}

void open_dialog_hook(HWND window, const DialogRequest& request) {
  if (request.dialog == DesignDialog::SEARCH) feed_search_dialog(window, request);
  else if (g_next_open_dialog != nullptr) g_next_open_dialog(window, request);
}

void read_state_hook(DesignModes& modes) {
  if (g_next_read_state != nullptr) g_next_read_state(modes);
  read_search_dialog_state(modes);
}

void continued_device_search(HWND window, int mode) {
  const Target t = target_of(window);
  if (!t.holds_grid()) return;
  ContinuedSearch search;
  search.action = ContinuedSearchAction::DEVICE;
  search.search_mode = mode;
  run_continued_search(window, grid_of(t), *t.view, search);
}

void continued_instruction_search(HWND window) {
  const Target t = target_of(window);
  if (!t.holds_grid()) return;
  ContinuedSearch search;
  search.action = ContinuedSearchAction::INSTRUCTION;
  search.search_mode = g_search_mode;
  run_continued_search(window, grid_of(t), *t.view, search);
}

}  // namespace

HWND create_search_dialog(bool list_form) {
  g_search_dialog_variant = list_form ? 1 : 0;
  HWND dialog = CreateDialogParamW(g_instance != nullptr ? g_instance : GetModuleHandleW(nullptr),
                                   list_form ? L"SCHISDIALOG" : L"SCHDIALOG", g_frame, search_dialog_proc, 0);
  keep_window_on_screen(dialog);
  if (dialog != nullptr) ShowWindow(dialog, SW_SHOW);
  return dialog;
}

HWND create_replace_dialog() {
  HWND dialog = CreateDialogParamW(g_instance != nullptr ? g_instance : GetModuleHandleW(nullptr), L"OKICDIALOG",
                                   g_frame, replace_device_dialog_proc, 0);
  keep_window_on_screen(dialog);
  if (dialog != nullptr) ShowWindow(dialog, SW_SHOW);
  return dialog;
}

void install_search_dialog_hooks(DesignDialogOpener other_opener) {
  g_other_opener = other_opener;
  set_design_dialog_opener(open_for_design);
  ContinuedSearchHooks search;
  search.search_mode = [] { return g_search_mode; };
  search.search_device = continued_device_search;
  search.find_next_instruction_use = continued_instruction_search;
  set_continued_search_hooks(search);
  DesignInputHooks hooks = design_input_hooks();
  if (hooks.open_dialog == open_dialog_hook) return;
  g_next_open_dialog = hooks.open_dialog;
  g_next_read_state = hooks.read_dialog_state;
  hooks.open_dialog = open_dialog_hook;
  hooks.read_dialog_state = read_state_hook;
  set_design_input_hooks(hooks);
}

// ---- Public -----------------------------------------------------------------------------------------

void set_mnemonic_search_hooks(const MnemonicSearchHooks& hooks) { g_mnemonic_hooks = hooks; }
void set_replace_comment_assigner(ReplaceCommentAssigner assigner) { g_comment_assigner = assigner; }

HWND search_dialog() {
  HWND dialog = slot_zero();
  return dialog != nullptr && reinterpret_cast<DLGPROC>(GetWindowLongPtrW(dialog, DWLP_DLGPROC)) == search_dialog_proc
             ? dialog
             : nullptr;
}

HWND replace_dialog() {
  HWND dialog = slot_zero();
  return dialog != nullptr &&
                 reinterpret_cast<DLGPROC>(GetWindowLongPtrW(dialog, DWLP_DLGPROC)) == replace_device_dialog_proc
             ? dialog
             : nullptr;
}

namespace {

bool is_search_or_replace_dialog(HWND dialog) {
  const auto procedure = reinterpret_cast<DLGPROC>(GetWindowLongPtrW(dialog, DWLP_DLGPROC));
  return procedure == search_dialog_proc || procedure == replace_device_dialog_proc;
}

// The search and replace dialogs serve whichever window is active, so one of them is open
// at a time: one left in another screen's row closes before a new one opens.
void close_search_dialogs_of_every_screen() {
  for (auto& row : g_dialog_slots) {
    HWND dialog = as_hwnd(row[0]);
    if (dialog != nullptr && IsWindow(dialog) && is_search_or_replace_dialog(dialog))
      SendMessageW(dialog, WM_CLOSE, 0, 0);
  }
}

}  // namespace

HWND open_search_dialog(HWND owner, const std::string* text) {
  close_search_dialogs_of_every_screen();
  HWND dialog = open_slot0_dialog(g_search_dialog_variant == 1 ? L"SCHISDIALOG" : L"SCHDIALOG", search_dialog_proc, owner);
  if (dialog != nullptr && text != nullptr) feed_edit_717(dialog, *text);
  return dialog;
}

HWND open_replace_dialog(HWND owner, const std::string* text) {
  close_search_dialogs_of_every_screen();
  HWND dialog = open_slot0_dialog(L"OKICDIALOG", replace_device_dialog_proc, owner);
  if (dialog != nullptr && text != nullptr) feed_edit_717(dialog, *text);
  return dialog;
}

void feed_search_dialog(HWND window, const DialogRequest& request) {
  HWND dialog = search_dialog();
  if (dialog == nullptr) return;
  if (request.set_text) feed_edit_717(dialog, request.text);
  if (request.list_uses && GetDlgItem(dialog, IDC_DEVICE_LIST) != nullptr) {
    // The design or monitor window's grid (the list form is not offered on the mnemonic screen).
    if (const Target t = target_of(window); t.holds_grid()) list_uses(dialog, grid_of(t), request.text);
  }
  if (request.focus_edit) SetFocus(GetDlgItem(dialog, IDC_DEVICE_EDIT));
}

void read_search_dialog_state(DesignModes& modes) {
  modes.search_kind = g_search_mode;
  modes.search_dialog_open = search_dialog() != nullptr;
  modes.search_list_form = g_search_dialog_variant != 0;
}

int search_device(HWND window, GridSpan grid, ViewState& view, const char* text) {
  const SearchContext context = current_context();
  const SearchOutcome outcome = plan_device_search(grid, view, context, text != nullptr ? text : "");
  if (outcome.message != nullptr) {
    show_message_box(message_owner(window), outcome.message, SEARCH_CAPTION_CONFIRM, MB_OK);
    return outcome.result;
  }
  draw_hit(window, grid, view, outcome.hit, context.search_mode == SEARCH_UP ? 10 : view.visible_rows);
  return 0;
}

int search_device_down(HWND window, GridSpan grid, ViewState& view) {
  const SearchHit hit = find_device_down(grid, view, current_context());
  if (!hit.found()) return SEARCH_NOT_FOUND;
  draw_hit(window, grid, view, hit, view.visible_rows);
  return 0;
}

int search_device_up(HWND window, GridSpan grid, ViewState& view) {
  const SearchHit hit = find_device_up(grid, view);
  if (!hit.found()) return SEARCH_NOT_FOUND;
  draw_hit(window, grid, view, hit, 10);
  return 0;
}

void find_next_instruction_use(HWND window, GridSpan grid, ViewState& view, InstructionCode code) {
  const SearchHit hit = find_instruction_down(grid, view, code);
  if (hit.found()) draw_hit(window, grid, view, hit, view.visible_rows);
}

int replace_devices(HWND window, GridSpan grid, ViewState& view, const char* old_text, const char* new_text) {
  WindowReplacePort port(window, grid, view);
  return replace_devices(grid, view, old_text != nullptr ? old_text : "", new_text != nullptr ? new_text : "",
                         g_replace_keep_comment != 0, port);
}

void run_continued_search(HWND window, GridSpan grid, ViewState& view, const ContinuedSearch& search) {
  switch (search.action) {
    case ContinuedSearchAction::DEVICE:
      g_search_mode = search.search_mode;
      search_device(window, grid, view, g_search_text.c_str());
      return;
    case ContinuedSearchAction::INSTRUCTION: {
      InstructionCode code = 0;
      const std::vector<std::string> words = search_words(g_search_text, 1);
      if (!words.empty() && instruction_code_from_name(words[0], code) == 0) find_next_instruction_use(window, grid, view, code);
      return;
    }
    case ContinuedSearchAction::NONE:
      return;
  }
}

INT_PTR CALLBACK search_dialog_proc(HWND dialog, UINT message, WPARAM wparam, LPARAM) {
  switch (message) {
    case WM_INITDIALOG:
      init_search_dialog(dialog);
      return TRUE;
    case WM_COMMAND:
      search_command(dialog, LOWORD(wparam), HIWORD(wparam));
      return TRUE;
    case WM_CLOSE:
      close_dialog(dialog);
      return TRUE;
    case WM_DESTROY:
      forget_dialog(dialog, CMD_SEARCH);
      return FALSE;
    default:
      return FALSE;
  }
}

INT_PTR CALLBACK replace_device_dialog_proc(HWND dialog, UINT message, WPARAM wparam, LPARAM) {
  switch (message) {
    case WM_INITDIALOG:
      g_keypad_target = GetDlgItem(dialog, IDC_DEVICE_EDIT);
      CheckDlgButton(dialog, IDC_KEEP_COMMENT, g_replace_keep_comment != 0 ? BST_CHECKED : BST_UNCHECKED);
      g_search_mode = SEARCH_DOWN;
      set_mode_flag(CMD_REPLACE, 1);
      return TRUE;
    case WM_COMMAND:
      replace_command(dialog, LOWORD(wparam));
      return TRUE;
    case WM_CLOSE:
      close_dialog(dialog);
      return TRUE;
    case WM_DESTROY:
      forget_dialog(dialog, CMD_REPLACE);
      return FALSE;
    default:
      return FALSE;
  }
}
