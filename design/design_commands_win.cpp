// The design window's WM_COMMAND: tools, modes, its dialogs, undo, redo, compile and save.
#include "core/cell_text.h"
#include "core/ladder_model.h"

#include "design/design_commands_win.h"

#include <array>
#include <cstring>
#include <string>

#include "design/design_commands.h"
#include "design/design_dialogs_win.h"
#include "design/design_document.h"
#include "design/design_edit.h"
#include "design/design_input_win.h"
#include "design/design_window_win.h"
#include "design/undo_ring_win.h"
#include "design/view_geometry.h"
#include "design/view_geometry_win.h"
#include "shell/command_ids.h"
#include "shell/command_routing_win.h"
#include "shell/documents.h"
#include "shell/documents_win.h"
#include "shell/file_dialog_win.h"
#include "shell/message_box_win.h"
#include "shell/mode_flags.h"
#include "shell/settings_file.h"
#include "shell/settings_win.h"
#include "shell/status_bar_win.h"
#include "shell/status_parts.h"
#include "shell/text_win.h"
#include "shell/toolbar_win.h"
#include "shell/window_lists_win.h"

namespace {

constexpr int FUNCTION_COMBO = 588;    // the function picker's combo box

DesignDialogOpener g_dialog_opener = nullptr;
ContinuedSearchHooks g_search_hooks;

int message(HWND owner, const char* text, const char* caption, UINT style = MB_OK) {
  return show_message_box(owner, text, caption, style);
}

// The dialog state the dialogs' module keeps (g_number_mode, g_search_dialog_variant).
DesignModes dialog_state() {
  DesignModes modes;
  if (design_input_hooks().read_dialog_state != nullptr) design_input_hooks().read_dialog_state(modes);
  return modes;
}

void close_dialogs(int last_slot) {
  auto& row = dialog_slot_row(g_screen_kind);
  for (int slot = 0; slot <= last_slot; ++slot)
    if (row[static_cast<size_t>(slot)] != 0) SendMessageW(as_hwnd(row[static_cast<size_t>(slot)]), WM_CLOSE, 0, 0);
}

HWND open_dialog(HWND window, DesignDialogKind kind) {
  if (g_dialog_opener == nullptr) return nullptr;
  HWND dialog = g_dialog_opener(window, kind);
  if (dialog != nullptr) dialog_slot_row(g_screen_kind)[0] = as_window_handle(dialog);
  return dialog;
}

// Fills edit 717 as a click into the design does: focused, with all of its text selected, so
// that what the user types next replaces the old number instead of landing in front of it.
void set_dialog_text(HWND dialog, const std::string& text) {
  if (dialog != nullptr) set_dialog_text_717(dialog, text.c_str());
}

std::string cursor_cell_text(ConstGridSpan grid, const ViewState& view, bool last_operand_only) {
  if (view.cursor_row < 0 || static_cast<size_t>(view.cursor_row) >= grid.size()) return {};
  std::array<char, CELL_TEXT_BUFFER_SIZE> text{};
  std::array<char, MARK_TEXT_BUFFER_SIZE> mark{};
  format_cell_text(grid, CellCursor{view.cursor_row, view.cursor_col}, text, mark, last_operand_only);
  return std::string(text.data());
}

void prepare(HWND window, ViewState& view, ModePreparation preparation) {
  if (preparation == ModePreparation::NONE) return;
  if (preparation == ModePreparation::ALL) erase_cursor_span(window, view);
  clear_line_marker(window, view);
  close_dialogs(3);
  show_ready_status();
}

// Switches the tool and mode flags and buttons; false when the command switched its mode off.
bool switch_modes(int id) {
  const ModeSwitch change = switch_design_mode(id, get_mode_flag(id));
  if (!change.applies) return true;
  if (change.switched_off) {
    clear_mode_flags();
    check_toolbar_button(id, false);
    clear_status_parts();
    return false;
  }
  if (change.reset_range_submode) g_range_submode = 0;
  if (change.indicators == CMD_RANGE_MODE) show_edit_mode_indicators(CMD_RANGE_MODE, 0);
  if (change.indicators == CMD_BLANK_LINE_MODE) show_edit_mode_indicators(CMD_BLANK_LINE_MODE, g_blank_submode);
  if (change.reset_modes) reset_design_modes();
  set_mode_flag(change.flag_id, 1);
  if (change.check_button) check_toolbar_button(id, true);
  return true;
}

void number_entry_command(HWND window, LadderGrid& grid, ViewState& view) {
  close_dialogs(0);
  HWND dialog = open_dialog(window, DesignDialogKind::NUMBER);
  show_cursor_span(window, grid, view);
  const NumberEntryFill fill = number_entry_fill(grid, view);
  if (fill.move_cursor) {
    view.cursor_row = fill.row;
    view.cursor_col = fill.col;
  }
  if (fill.fill) set_dialog_text(dialog, fill.text);
}

void replace_command(HWND window, LadderGrid& grid, ViewState& view) {
  HWND dialog = open_dialog(window, DesignDialogKind::REPLACE);
  set_dialog_text(dialog, as_ladder_shows(cursor_cell_text(grid, view, false)));
}

void search_command(HWND window, LadderGrid& grid, ViewState& view) {
  HWND dialog = open_dialog(window, dialog_state().search_list_form ? DesignDialogKind::SEARCH_LIST
                                                                     : DesignDialogKind::SEARCH);
  if (view.sel_row >= 0) view.cursor_row = view.sel_row;
  set_dialog_text(dialog, cursor_cell_text(grid, view, true));
  set_status_part_text(0, MSG_SEARCH_STATUS);
}

void continued_search_command(HWND window, int id) {
  if (g_search_hooks.search_mode == nullptr) return;
  const ContinuedSearch search = continued_search(id, g_search_hooks.search_mode());
  if (search.action == ContinuedSearchAction::DEVICE && g_search_hooks.search_device != nullptr)
    g_search_hooks.search_device(window, search.search_mode);
  if (search.action == ContinuedSearchAction::INSTRUCTION && g_search_hooks.find_next_instruction_use != nullptr)
    g_search_hooks.find_next_instruction_use(window);
}

void enter_command(HWND window, LadderGrid& grid, ViewState& view) {
  const auto& row = dialog_slot_row(g_screen_kind);
  HWND open = nullptr;
  for (int slot = 0; slot <= 3 && open == nullptr; ++slot)
    if (row[static_cast<size_t>(slot)] != 0) open = as_hwnd(row[static_cast<size_t>(slot)]);
  const EnterDecision decision =
      enter_action(grid, view, g_mode_flags, open != nullptr, dialog_state().number_entry_mode);
  switch (decision.action) {
    case EnterAction::NONE:
      break;
    case EnterAction::CLOSE_DIALOG:
      SendMessageW(open, WM_CLOSE, 0, 0);
      break;
    case EnterAction::NUMBER_DIALOG: {
      HWND dialog = open_dialog(window, DesignDialogKind::NUMBER);
      if (decision.fill_text) {
        std::array<char, CELL_TEXT_BUFFER_SIZE> text{};
        std::array<char, MARK_TEXT_BUFFER_SIZE> mark{};
        format_cell_text(grid, CellCursor{view.sel_row, view.sel_col}, text, mark, false);
        set_dialog_text(dialog, text.data());
      }
      break;
    }
    case EnterAction::FUNCTION_DIALOG:
      if (HWND dialog = open_dialog(window, DesignDialogKind::FUNCTION)) {
        HWND combo = GetDlgItem(dialog, FUNCTION_COMBO);
        SendMessageW(combo, CB_SHOWDROPDOWN, TRUE, 0);
        SetFocus(combo);
      }
      break;
    case EnterAction::BLANK_ROW: {
      // The window clicks itself at the cursor cell: a blank row opens above the cursor
      // row, and the cursor follows the element down.
      EditEffects effects;
      effects.blank_submode = 0;
      effects.mouse = SelfMouse{SelfMouse::LEFT_CLICK,
                                view.cursor_col * view.cell_width + view.left_rail_x + view.cell_width / 2,
                                (view.cursor_row - view.top_row) * view.row_height + view.top_margin +
                                    view.row_height / 2};
      effects.rows_after_mouse = 1;
      apply_design_effects(window, grid, view, effects);
      break;
    }
  }
}

// The main design window's saved copy follows a saved grid.
void take_saved_copy(LadderGrid& grid) {
  HWND main = is_live_window(g_design_windows[0]) ? as_hwnd(g_design_windows[0]) : nullptr;
  LadderGrid* saved = main != nullptr ? design_saved_copy_of(main) : nullptr;
  if (saved != nullptr) {
    g_saved_uncompiled = grid_differs(grid, *saved) == 1 ? 1 : 0;
    copy_grid_cells(*saved, grid);
  }
  g_comments_changed = 0;
}

bool file_exists(const std::string& path) {
  const DWORD attributes = GetFileAttributesW(cp932_to_wide(path).c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

// The 8.3 form of a folder, or the folder itself when it has none.
std::string short_folder(const std::string& drive, const std::string& dir) {
  const std::wstring wide = cp932_to_wide(drive + dir);
  wchar_t buffer[MAX_PATH] = L"";
  const DWORD length = GetShortPathNameW(wide.c_str(), buffer, MAX_PATH);
  std::string out;
  if (length == 0 || length >= MAX_PATH || !wide_to_cp932(buffer, out)) return dir;
  PathParts parts{};
  if (split_path(out + "X", parts) != 0 || parts.dir[0] == '\0') return dir;
  return parts.dir;
}

}  // namespace

void set_design_dialog_opener(DesignDialogOpener opener) { g_dialog_opener = opener; }
DesignDialogOpener design_dialog_opener() { return g_dialog_opener; }
void set_continued_search_hooks(const ContinuedSearchHooks& hooks) { g_search_hooks = hooks; }

bool save_design_command(HWND window, LadderGrid& grid, ViewState& view) {
  switch (save_refusal(view)) {
    case SaveRefusal::NOT_MAIN_FILE:
      message(window, MSG_NOT_MAIN_FILE, CAPTION_WARNING_DESIGN);
      return false;
    case SaveRefusal::READ_ONLY:
      message(window, MSG_READ_ONLY_FILE, view.path);
      return false;
    case SaveRefusal::UNNAMED:
      message(window, MSG_SAVE_UNNAMED, CAPTION_WARNING_DESIGN);
      return false;
    case SaveRefusal::NONE:
      break;
  }
  set_status_part_text(0, STATUS_READY);
  // The gate reads the file's attribute now: a file made read-only since it was opened is
  // refused as one opened read-only is.
  const DocumentMarks marks = design_window_marks(view);
  if (save_design_file_telling(window, grid, &view, view.path, &marks) != DesignSaveResult::SAVED) return false;
  take_saved_copy(grid);
  message(window, MSG_OVERWRITTEN, view.path);
  return true;
}

bool save_design_as_command(HWND window, LadderGrid& grid, ViewState& view) {
  if (save_refusal(view) == SaveRefusal::NOT_MAIN_FILE) {
    message(window, MSG_NOT_MAIN_FILE, CAPTION_WARNING_DESIGN);
    return false;
  }
  // The dialog works on buffers of its own: the window keeps its path until the new file
  // is written.
  char file[PATH_BYTES] = "";
  char title[PATH_BYTES] = "";
  copy_text(file, save_as_prefill(view.path, g_project_name));
  OPENFILENAMEA record{};
  init_open_file_name(record, window, FileFilter::MBS, file, title);
  record.nMaxFileTitle = PATH_BYTES;
  record.lpstrInitialDir = g_work_folder;
  // A save dialog must accept a name that does not exist yet.
  record.Flags &= ~static_cast<DWORD>(OFN_FILEMUSTEXIST);
  if (!get_save_file_name(&record)) return false;

  const std::string target = save_as_target(file);
  PathParts chosen{};
  if (target.empty() || split_path(target, chosen) != 0) {
    message(window, MSG_CANNOT_WRITE, file);
    return false;
  }
  split_path(file, g_chosen_path);
  // The window's own marks count when the chosen file is the window's own file: a design
  // opened read-only is not written over by choosing its own name.
  const DocumentMarks own_marks = design_window_marks(view);
  const DocumentMarks* marks = same_file_path(target, view.path) ? &own_marks : nullptr;
  // A target the gate refuses is refused before the question whether to write over it.
  if (const GateVerdict verdict = check_write_target(target, marks); !write_allowed(verdict)) {
    const WriteNotice notice = save_refusal_notice(verdict, target);
    message(window, notice.text.c_str(), notice.caption.c_str());
    return false;
  }
  if (file_exists(target) &&
      message(window, MSG_FILE_EXISTS, CAPTION_CONFIRM_DESIGN, MB_OKCANCEL) != IDOK)
    return false;
  // The file's name line carries the new project name; a failed write gives the old one back.
  const std::string old_project = g_project_name;
  copy_text(g_project_name, chosen.name);
  const DesignSaveResult saved = save_design_file_telling(window, grid, &view, target.c_str(), marks);
  if (saved != DesignSaveResult::SAVED) {
    copy_text(g_project_name, old_project);
    return false;
  }

  // The written file is the window's and the project's from now on.
  copy_text(view.path, target);
  std::string new_title = chosen.name;
  new_title += ".MBS";
  copy_text(view.title, new_title);
  init_open_file_name(*open_file_of(view), window, FileFilter::MBS, view.path, view.title);
  take_saved_copy(grid);
  message(window, MSG_SAVED_NEW_NAME, target.c_str());
  SetWindowTextW(window, cp932_to_wide(target).c_str());
  copy_text(g_project_drive, chosen.drive);
  copy_text(g_project_dir, short_folder(chosen.drive, chosen.dir));
  save_settings();
  return true;
}

bool design_handle_command(HWND window, WPARAM wparam, LPARAM lparam, LRESULT& result) {
  (void)lparam;
  const int id = LOWORD(wparam);
  const bool ours = id == IDOK || (id >= CMD_TOOL_RELAY_A && id <= CMD_TOOL_ERASE) ||
                    (id >= CMD_SET_NUMBER && id <= CMD_SEARCH) || id == CMD_UNDO || id == CMD_REDO ||
                    id == CMD_RANGE_MODE || id == CMD_BLANK_LINE_MODE || id == CMD_COMPILE_LADDER ||
                    id == CMD_SAVE || id == CMD_SAVE_AS || id == CMD_SEARCH_UP || id == CMD_SEARCH_DOWN;
  if (!ours) return false;
  LadderGrid* grid = design_grid_of(window);
  ViewState* view = view_state_of(window);
  if (grid == nullptr || view == nullptr || grid->empty()) return false;

  // The start of every command.
  g_popup_toggle = 0;
  note_design_command();
  result = 0;
  if (g_toolbar_kind != TOOLBAR_KIND_DESIGN && is_tool_guarded(id)) {
    message(window, MSG_TOOLBAR_MISMATCH, CAPTION_WARNING_DESIGN);
    return true;
  }
  prepare(window, *view, mode_preparation(id));
  const bool switched_on = switch_modes(id);

  switch (id) {
    case IDOK:
      enter_command(window, *grid, *view);
      break;
    case CMD_SET_NUMBER:
      if (switched_on) number_entry_command(window, *grid, *view);
      break;
    case CMD_REPLACE:
      replace_command(window, *grid, *view);
      break;
    case CMD_SEARCH:
      search_command(window, *grid, *view);
      break;
    case CMD_UNDO:
    case CMD_REDO:
      design_undo_command(window, *grid, id == CMD_REDO);
      break;
    case CMD_SEARCH_UP:
    case CMD_SEARCH_DOWN:
      continued_search_command(window, id);
      break;
    case CMD_COMPILE_LADDER:
      design_compile_command(window);
      break;
    case CMD_SAVE:
      save_design_command(window, *grid, *view);
      break;
    case CMD_SAVE_AS:
      save_design_as_command(window, *grid, *view);
      break;
    default:
      break;  // the tools: the clicks that follow do the work
  }
  return true;
}
