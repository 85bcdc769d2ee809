// The design window's procedure and life: creation, activation, the close question, painting.
#include "core/cell_text.h"
#include "core/design_file.h"
#include "core/ladder_model.h"

#include "design/design_dialog_hooks_win.h"
#include "design/design_window_win.h"

#include <commctrl.h>

#include <cstdio>
#include <cstring>
#include <memory>
#include <string>

#include "design/design_commands_win.h"
#include "design/design_document.h"
#include "design/design_input_win.h"
#include "design/design_paint_win.h"
#include "design/element_pictures_win.h"
#include "design/row_edits_win.h"
#include "design/undo_ring.h"
#include "design/view_geometry_win.h"
#include "shell/file_replace.h"
#include "shell/command_ids.h"
#include "shell/command_routing_win.h"
#include "shell/documents_win.h"
#include "shell/frame_handles_win.h"
#include "shell/menu_states_win.h"
#include "shell/message_box_win.h"
#include "shell/settings_file.h"
#include "shell/settings_win.h"
#include "shell/status_bar_win.h"
#include "shell/text_win.h"
#include "shell/toolbar_win.h"
#include "shell/window_lists_win.h"

int g_design_file_count = 0;
// g_comments_changed is defined with the conversions that clear it (shell/compile_chain.cpp).

namespace {

constexpr char SAVE_QUESTION[] = "変更がありました！\n設計ファイルを保存しますか？";
// A further window's file cannot be saved from it: its changes are dropped only when the
// user agrees.
constexpr char DROP_QUESTION[] = "変更がありました！\n最初のファイル以外は保存出来ません！\n変更を捨てて閉じますか？";
constexpr char CONFIRM_CAPTION[] = "確認";
constexpr char WARNING_CAPTION[] = "警告";
constexpr char CANNOT_OPEN[] = "ファイルが開けません！";
constexpr char BAD_FORMAT[] = "フォーマットが違います";
constexpr char READ_ONLY_FILE[] = "読取り専用ファイルです";
const std::string TOO_LONG =
    "回路が長すぎるため開けません！\n" + std::to_string(MAX_GRID_ROWS) + "行を超える設計ファイルです";
constexpr char CANNOT_WRITE[] = "ファイルが開けません\n共用をチェックして下さい";
constexpr char SAVE_FAILED[] = "ファイル保存に失敗しました！";
constexpr char FITTED[] = "画面を最大化しました。";
constexpr char NEW_DESIGN_FILE[] = "新規.MBS";

// The title of a window being created. The MDI client lists the window in its Window menu,
// with this title, and redraws the menu bar when it shows and activates the window after
// WM_CREATE; a refresh of the menu now would only list the other windows again.
void title_new_window(HWND window, const std::string& text) { SetWindowTextW(window, cp932_to_wide(text).c_str()); }

void store_grid(HWND window, LadderGrid* grid) {
  SetWindowLongPtrW(window, CHILD_EXTRA_DOCUMENT, reinterpret_cast<LONG_PTR>(grid));
}
void store_saved_copy(HWND window, LadderGrid* copy) {
  SetWindowLongPtrW(window, CHILD_EXTRA_SAVED_COPY, reinterpret_cast<LONG_PTR>(copy));
}

void free_saved_copy(HWND window, ViewState* view) {
  delete design_saved_copy_of(window);
  store_saved_copy(window, nullptr);
  if (view != nullptr) view->saved_heap = nullptr;
}

// The saved copy of a window, from the grid as it is now: the whole rows, so that a further
// window's close can tell changed texts too.
void make_saved_copy(HWND window, ViewState& view, const LadderGrid& grid) {
  free_saved_copy(window, &view);
  auto* copy = new LadderGrid(grid);
  store_saved_copy(window, copy);
  view.saved_heap = copy;
}

void show_cpu_label() { set_cpu_label_text(cpu_label_text(g_cpu_settings)); }

// The active settings take what the reader found in the file.
void take_loaded_settings() {
  CpuSettings& to = g_cpu_settings;
  const CpuSettings& from = g_loaded_cpu_settings;
  to.base_value = from.base_value;
  to.option_a = from.option_a;
  to.option_b = from.option_b;
  to.option_c = from.option_c;
  to.option_d = from.option_d;
  to.port_value = from.port_value;
  to.extra_value = from.extra_value;
  to.clock_high = from.clock_high;
  to.clock_low = from.clock_low;
  to.vector_high = from.vector_high;
  to.vector_low = from.vector_low;
  std::memcpy(to.user_words, from.user_words, sizeof to.user_words);
  std::memcpy(to.interrupt_words, from.interrupt_words, sizeof to.interrupt_words);
  std::memcpy(to.cpu_name, from.cpu_name, sizeof to.cpu_name);
}

void clear_new_design_settings() {
  CpuSettings& s = g_cpu_settings;
  s.option_a = s.option_b = s.option_c = s.option_d = 0;
  s.port_value = s.extra_value = s.clock_high = s.clock_low = 0;
}

void build_new(HWND window, ViewState& view, LadderGrid& grid) {
  build_new_design(grid);
  reset_design_undo();
  push_design_undo(grid);
  make_saved_copy(window, view, grid);
  view.comment_display = 0;
  std::string path = g_work_folder;
  path += NEW_DESIGN_FILE;
  copy_text(view.path, path);
  copy_text(view.title, NEW_DESIGN_FILE);
  set_cpu_label_text("");
  clear_new_design_settings();
  // The comments of the design closed before are not this one's changes.
  g_comments_changed = 0;
}

// Reads a design file into `grid`: 0, or -1 after the message of the failure.
int read_into(HWND window, const char* path, LadderGrid& grid, bool report) {
  FILE* stream = open_file_cp932(path, L"rb");
  if (stream == nullptr) {
    if (report) show_message_box(window, CANNOT_OPEN, path, MB_OK);
    return -1;
  }
  const int result = read_design_file(grid, stream, DESIGN_FILE_STANDALONE);
  std::fclose(stream);
  if (result == DESIGN_FILE_TOO_LONG) {
    // Not a damaged file: one with more rows than a design holds. It is not opened, so it
    // can never be saved back cut short.
    if (report) show_message_box(window, TOO_LONG.c_str(), path, MB_OK);
    return -1;
  }
  if (result != DESIGN_FILE_OK) {
    if (report) show_message_box(window, BAD_FORMAT, path, MB_OK);
    return -1;
  }
  return 0;
}

// Loads the file of the open record. Returns false when the window holds no design.
bool load_design(HWND window, ViewState& view, LadderGrid*& grid) {
  if (read_into(window, view.path, *grid, true) != 0) return false;
  // A design whose end mark comes before any END row gets its END row back, so that it
  // can be saved and compiled.
  if (count_program_rows(*grid) < 0) repair_missing_end_row(*grid);
  const int end_mark = find_end_mark_row(*grid);

  if (view.window_index == 0) {
    format_special_row_devices(*grid);
    reset_design_modes();
    reset_design_undo();
    push_design_undo(*grid);
    make_saved_copy(window, view, *grid);
    g_comments_changed = 0;
    view.comment_display = 0;
    take_loaded_settings();
    if (!is_live_window(g_mnemonic_windows[0])) save_settings();
    show_cpu_label();
    title_new_window(window, view.path);
    return true;
  }

  // A further window keeps only its program and 20 rows of room after its end mark.
  auto* small = new LadderGrid(make_ladder_grid(further_window_rows(end_mark)));
  if (read_into(window, view.path, *small, false) != 0) {
    // The file changed between the two reads: the whole grid stays.
    delete small;
  } else {
    if (count_program_rows(*small) < 0) repair_missing_end_row(*small);
    delete grid;
    grid = small;
    store_grid(window, grid);
    view.doc_heap = grid;
  }
  // Its saved copy tells its close whether it holds changes that would be dropped.
  auto* copy = new LadderGrid(*grid);
  store_saved_copy(window, copy);
  view.saved_heap = copy;
  std::string title = g_open_path;
  title += "    ";
  title += g_loaded_cpu_settings.cpu_name;
  title_new_window(window, title);
  return true;
}

LRESULT on_create(HWND window, LPARAM lparam) {
  const auto* create = reinterpret_cast<const CREATESTRUCTW*>(lparam);
  const auto* mdi = create ? reinterpret_cast<const MDICREATESTRUCTW*>(create->lpCreateParams) : nullptr;
  ChildOpenRecord record{};
  if (mdi != nullptr && mdi->lParam != 0) record = *reinterpret_cast<const ChildOpenRecord*>(mdi->lParam);

  auto* view = static_cast<ViewState*>(HeapAlloc(GetProcessHeap(), HEAP_ZERO_MEMORY, sizeof(ViewState)));
  if (view == nullptr) return -1;
  init_view_state(*view, g_design_background);
  view->view_heap = view;
  SetWindowLongPtrW(window, CHILD_EXTRA_VIEW_STATE, reinterpret_cast<LONG_PTR>(view));

  split_path(record.path, g_chosen_path);

  g_screen_kind = SCREEN_KIND_DESIGN;
  const int slot = register_window(g_design_windows, g_design_window_count, as_window_handle(window));
  if (slot < 0) return -1;  // the list is full: the window is not created
  view->window_index = slot;

  copy_text(view->path, record.path);
  init_open_file_name(*open_file_of(*view), window, FileFilter::MBS, view->path, view->title);
  copy_text(view->title, record.title);
  view->open_file.flags = record.flags;
  // A file with the read-only attribute is refused by Save as the dialog's choice is.
  if (record.path[0] != '\0' && path_is_read_only(record.path)) view->open_file.flags |= OPEN_FILE_READ_ONLY;

  auto* grid = new LadderGrid(make_ladder_grid());
  store_grid(window, grid);
  set_document_kind(window, DocumentKind::DESIGN_GRID);
  view->doc_heap = grid;
  const int file_number = slot == 0 ? 0 : design_file_number(g_design_file_count == 0 ? 1 : g_design_file_count);
  view->view_id = file_number << 4;
  ++g_design_file_count;

  if (record.path[0] == '\0') {
    build_new(window, *view, *grid);
  } else if (!load_design(window, *view, grid)) {
    // A window that holds no design: it gives its registration back and closes itself;
    // the close skips the save question.
    (*grid)[0].cell[0].word[0] = END_MARK_CELL;
    release_window_registration(g_design_windows, g_design_window_count, slot);
    --g_design_file_count;
    SendMessageW(window, WM_SYSCOMMAND, SC_CLOSE, 0);
    return 0;
  }

  if (g_design_window_count == 1) {
    use_design_pictures((g_option_bits & OptionBit::WHITE_DESIGN_BACKGROUND) != 0, g_double_lines != 0);
    InvalidateRect(window, nullptr, TRUE);
  }
  return 0;
}

// Rebuilds the toolbar for the screen that is left when the last design window closes.
void leave_design_screen() {
  if (g_frame == nullptr || !IsWindow(g_frame) || !IsWindowVisible(g_frame)) return;
  if (next_live_window(g_monitor_windows, 0) != 0) {
    rebuild_screen_toolbar(g_frame, CMD_SCREEN_OPERATION);
  } else if (next_live_window(g_mnemonic_windows, 0) != 0) {
    rebuild_screen_toolbar(g_frame, CMD_SCREEN_MNEMONIC);
  } else {
    rebuild_screen_toolbar(g_frame, TOOLBAR_INITIAL);
    set_menu_state_empty(g_frame);
    g_design_window_count = 0;
  }
}

void on_destroy(HWND window) {
  ViewState* view = view_state_of(window);
  reset_design_modes();
  show_ready_status();
  const int position = find_window_in_list(g_design_windows, window);
  if (position > 0) g_design_windows[position - 1] = 0;
  if (next_live_window(g_design_windows, 0) == 0) leave_design_screen();

  auto& row = dialog_slot_row(g_screen_kind);
  for (int slot = 0; slot <= 1; ++slot)
    if (row[slot] != 0) SendMessageW(as_hwnd(row[slot]), WM_CLOSE, 0, 0);
  if (g_guide_dialog != 0) SendMessageW(as_hwnd(g_guide_dialog), WM_CLOSE, 0, 0);

  set_document_kind(window, DocumentKind::NONE);
  if (view == nullptr || view_owns_document(*view)) delete design_grid_of(window);
  store_grid(window, nullptr);
  free_saved_copy(window, view);
  SetWindowLongPtrW(window, CHILD_EXTRA_VIEW_STATE, 0);
  if (view != nullptr) HeapFree(GetProcessHeap(), 0, view);
}

bool holds_design(const LadderGrid* grid) {
  return grid != nullptr && !grid->empty() && (*grid)[0].cell[0].word[0] != END_MARK_CELL;
}

// A further window with changes asks before they are dropped: 0 to close, -1 to stay. Its
// saved copy keeps the texts as well, so a changed device comment counts as a change.
int confirm_drop_changes(HWND window, const LadderGrid& grid) {
  const LadderGrid* saved = design_saved_copy_of(window);
  if (saved == nullptr || !grid_or_texts_differ(grid, *saved)) return 0;
  return show_message_box(window, DROP_QUESTION, CONFIRM_CAPTION, MB_OKCANCEL) == IDOK ? 0 : -1;
}

// The save question of the main window (a further window's drop question), and the save,
// with nothing freed or closed: 0 when the window may go, -1 when it stays. A save that
// is refused, fails or is cancelled keeps the window with its edits, comments included.
int ask_before_close(HWND window, LadderGrid& grid, ViewState& view) {
  if (view.window_index != 0) return confirm_drop_changes(window, grid);
  LadderGrid* saved = design_saved_copy_of(window);
  const bool changed = (saved != nullptr && grid_differs(grid, *saved) == 1) || g_comments_changed != 0;
  const int answer = changed ? show_message_box(window, SAVE_QUESTION, CONFIRM_CAPTION, MB_YESNOCANCEL) : IDNO;
  const bool untitled = std::strcmp(view.title, NEW_DESIGN_FILE) == 0;
  const bool read_only = (view.open_file.flags & OPEN_FILE_READ_ONLY) != 0;
  // Yes for a read-only file: it is never written; the refusal, then Save As.
  if (changed && answer == IDYES && read_only && !untitled) show_message_box(window, READ_ONLY_FILE, view.path, MB_OK);
  switch (close_step(changed, answer, untitled || read_only)) {
    case CloseStep::REFUSE:
      return -1;
    case CloseStep::SAVE_AS:
      // Save As names the design and takes its saved copy when it completes; a cancelled,
      // refused or failed Save As leaves the window open with its edits.
      return save_design_as_command(window, grid, view) ? 0 : -1;
    case CloseStep::SAVE: {
      const DocumentMarks marks = design_window_marks(view);
      GateVerdict verdict = GateVerdict::WRITE;
      switch (save_design_file_telling(window, grid, &view, view.path, &marks, &verdict)) {
        case DesignSaveResult::SAVED:
          if (saved != nullptr) copy_grid_cells(*saved, grid);
          g_comments_changed = 0;
          break;
        case DesignSaveResult::REFUSED:
          // A file that became read-only since it was opened: its edits may still go to
          // another name.
          if (is_read_only_refusal(verdict)) return save_design_as_command(window, grid, view) ? 0 : -1;
          return -1;
        case DesignSaveResult::CANNOT_OPEN:
        case DesignSaveResult::WRITE_FAILED:
          return -1;
      }
      break;
    }
    case CloseStep::CLOSE:
      break;
  }
  return 0;
}

// The session may end when every design window agrees; unlike a close, the query frees
// nothing, so a window whose session goes on keeps its design, its saved copy and its slot.
LRESULT on_query_end_session(HWND window) {
  LadderGrid* grid = design_grid_of(window);
  ViewState* view = view_state_of(window);
  if (view == nullptr || !holds_design(grid)) return TRUE;
  return ask_before_close(window, *grid, *view) == 0 ? TRUE : FALSE;
}

LRESULT on_close(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  LadderGrid* grid = design_grid_of(window);
  ViewState* view = view_state_of(window);
  if (view == nullptr || !holds_design(grid)) return DefMDIChildProcW(window, message, wparam, lparam);
  if (view->window_index != 0) {
    if (confirm_drop_changes(window, *grid) != 0) return -1;
    return DefMDIChildProcW(window, message, wparam, lparam);
  }
  if (confirm_save_design(window, *grid, *view, 0) != 0) return -1;
  g_design_file_count = 0;
  delete_design_pictures();
  return DefMDIChildProcW(window, message, wparam, lparam);
}

void fit_window(HWND window) {
  int minimised_height = 0;
  if (IsIconic(window) && (any_other_window_iconic(g_design_windows, window) ||
                           any_other_window_iconic(g_mnemonic_windows, window) ||
                           any_other_window_iconic(g_monitor_windows, window)))
    minimised_height = GetSystemMetrics(SM_CYMINIMIZED);
  SendMessageW(window, WM_SYSCOMMAND, SC_RESTORE, 0);
  if (g_mdi_client != nullptr) GetClientRect(g_mdi_client, &g_client_rect);
  MoveWindow(window, 0, 0, g_client_rect.right - g_client_rect.left,
             g_client_rect.bottom - g_client_rect.top - minimised_height, TRUE);
  InvalidateRect(window, nullptr, TRUE);
  set_status_part_text(0, FITTED);
  if (g_frame != nullptr) SetFocus(g_frame);
}

void on_activate(HWND window, LPARAM lparam) {
  // A frame whose menu the MDI client switches has its menu bar drawn by that switch; it is
  // drawn here only when the frame keeps its menu.
  const HMENU menu_before = g_frame != nullptr ? GetMenu(g_frame) : nullptr;
  if (reinterpret_cast<HWND>(lparam) == window) {
    // The current screen follows the window the user works in.
    g_screen_kind = SCREEN_KIND_DESIGN;
    if (g_mdi_client != nullptr)
      SendMessageW(g_mdi_client, WM_MDISETMENU, reinterpret_cast<WPARAM>(g_document_menu),
                   reinterpret_cast<LPARAM>(g_document_window_menu));
    const ViewState* view = view_state_of(window);
    if (view != nullptr && next_live_window(g_design_windows, 1) != 0 && view_file_number(*view) == 0 &&
        take_repaint_bit(view->window_index))
      InvalidateRect(window, nullptr, TRUE);
    // The menu bar shows only pop-up menus, whose states these are not: it needs no
    // drawing of its own for them.
    if (g_frame != nullptr) set_menu_items_state(g_frame, MenuScreen::Design);
    show_ready_status();
  } else if (g_mdi_client != nullptr) {
    SendMessageW(g_mdi_client, WM_MDISETMENU, reinterpret_cast<WPARAM>(g_main_menu),
                 reinterpret_cast<LPARAM>(g_main_window_menu));
  }
  if (g_frame != nullptr && GetMenu(g_frame) == menu_before) DrawMenuBar(g_frame);
}

}  // namespace

LadderGrid* design_grid_of(HWND window) {
  return reinterpret_cast<LadderGrid*>(GetWindowLongPtrW(window, CHILD_EXTRA_DOCUMENT));
}

LadderGrid* design_saved_copy_of(HWND window) {
  return reinterpret_cast<LadderGrid*>(GetWindowLongPtrW(window, CHILD_EXTRA_SAVED_COPY));
}

DesignSaveResult save_design_file(HWND owner, GridSpan grid, const ViewState* view, const char* path,
                                  const DocumentMarks* marks, GateVerdict* verdict) {
  if (path == nullptr || path[0] == '\0') return DesignSaveResult::CANNOT_OPEN;
  switch (write_file_replacing(
      path,
      [&](std::FILE* stream) { return write_design_file(owner, grid, view, stream, DESIGN_FILE_STANDALONE) == 0; },
      marks, verdict)) {
    case ReplaceResult::REPLACED:
      return DesignSaveResult::SAVED;
    case ReplaceResult::REFUSED:
      return DesignSaveResult::REFUSED;
    case ReplaceResult::NOT_OPENED:
      return DesignSaveResult::CANNOT_OPEN;
    case ReplaceResult::NOT_WRITTEN:
      break;
  }
  return DesignSaveResult::WRITE_FAILED;
}

DocumentMarks design_window_marks(const ViewState& view) {
  DocumentMarks marks;
  marks.opened_read_only = (view.open_file.flags & OPEN_FILE_READ_ONLY) != 0;
  return marks;
}

DesignSaveResult save_design_file_telling(HWND owner, GridSpan grid, const ViewState* view, const char* path,
                                          const DocumentMarks* marks, GateVerdict* verdict) {
  GateVerdict answer = GateVerdict::WRITE;
  const DesignSaveResult result = save_design_file(owner, grid, view, path, marks, &answer);
  if (verdict) *verdict = answer;
  switch (result) {
    case DesignSaveResult::SAVED:
      break;
    case DesignSaveResult::REFUSED: {
      const WriteNotice notice = save_refusal_notice(answer, path);
      show_message_box(owner, notice.text.c_str(), notice.caption.c_str(), MB_OK);
      break;
    }
    case DesignSaveResult::CANNOT_OPEN:
      show_message_box(owner, CANNOT_WRITE, path, MB_OK);
      break;
    case DesignSaveResult::WRITE_FAILED:
      show_message_box(owner, SAVE_FAILED, WARNING_CAPTION, MB_OK);
      break;
  }
  return result;
}

int confirm_save_design(HWND window, LadderGrid& grid, ViewState& view, int) {
  if (ask_before_close(window, grid, view) != 0) return -1;
  // A further window that keeps its changes keeps the main window open too.
  if (!close_listed_windows(g_design_windows, MAX_LIST_WINDOWS - 1)) return -1;
  // What was not saved now is dropped with the design, its comment changes too.
  g_comments_changed = 0;
  g_design_window_count = 0;
  free_saved_copy(window, &view);
  release_design_undo();
  return 0;
}

LRESULT CALLBACK design_window_proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  if (LRESULT input_result = 0; design_handle_input(window, message, wparam, lparam, input_result)) return input_result;
  switch (message) {
    case WM_CREATE:
      install_row_edit_hooks();
      return on_create(window, lparam);
    case WM_MOUSEMOVE:
      if (design_range_drag(window, wparam, lparam)) return 0;
      break;
    case WM_SIZE:
      if (ViewState* view = view_state_of(window); view != nullptr && design_grid_of(window) != nullptr)
        design_view_size(window, *view, *design_grid_of(window), LOWORD(lparam), HIWORD(lparam));
      break;
    case WM_VSCROLL:
      if (ViewState* view = view_state_of(window))
        return design_view_vscroll(window, *view, LOWORD(wparam), static_cast<short>(HIWORD(wparam)));
      break;
    case WM_MOUSEWHEEL:
      if (ViewState* view = view_state_of(window))
        return design_view_wheel(window, *view, GET_WHEEL_DELTA_WPARAM(wparam));
      break;
    case WM_PAINT:
      return paint_design_window(window);
    case WM_MDIACTIVATE:
      on_activate(window, lparam);
      return 0;
    case WM_CLOSE:
      return on_close(window, message, wparam, lparam);
    case WM_QUERYENDSESSION:
      return on_query_end_session(window);
    case WM_DESTROY:
      on_destroy(window);
      break;
    case WM_COMMAND:
      switch (LOWORD(wparam)) {
        case CMD_QUERY_MODIFIED: {
          LadderGrid* grid = design_grid_of(window);
          LadderGrid* saved = design_saved_copy_of(window);
          return grid != nullptr && saved != nullptr && grid_differs(*grid, *saved) == 1 ? 1 : 0;
        }
        case CMD_FIT_WINDOW:
          fit_window(window);
          break;
        case CMD_SYNC_VIEW:
          if (ViewState* view = view_state_of(window)) repaint_synced_cells(window, *view, lparam);
          break;
        default:
          if (design_row_edit_command(window, LOWORD(wparam))) return 0;
          if (LRESULT command_result = 0; design_handle_command(window, wparam, lparam, command_result))
            return command_result;
          break;
      }
      break;
    default:
      break;
  }
  return DefMDIChildProcW(window, message, wparam, lparam);
}
