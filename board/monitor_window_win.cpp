// The monitor window's procedure: creation, the poll timer, painting, the mouse and the close.
#include "core/cell_text.h"
#include "core/ladder_model.h"
#include "core/seq_file.h"

#include "board/monitor_window_win.h"

#include <cstdio>
#include <cstring>
#include <memory>
#include <new>
#include <string>
#include <vector>

#include "design/design_paint_win.h"
#include "design/element_pictures_win.h"
#include "board/monitor_paint.h"
#include "board/monitor_view.h"
#include "design/search_dialogs_win.h"
#include "design/view_geometry_win.h"
#include "shell/command_ids.h"
#include "shell/command_routing.h"
#include "shell/command_routing_win.h"
#include "shell/compile_chain.h"
#include "shell/documents_win.h"
#include "shell/frame_handles_win.h"
#include "shell/menu_states_win.h"
#include "shell/message_box_win.h"
#include "shell/mode_flags.h"
#include "shell/path_parts.h"
#include "shell/settings_file.h"
#include "shell/settings_win.h"
#include "shell/status_bar_win.h"
#include "shell/text_win.h"
#include "shell/toolbar_win.h"
#include "shell/window_lists_win.h"
#include "target/device_images.h"
#include "target/poll_cadence.h"
#include "target/runtime_tables.h"
#include "target/serial_port.h"

ElementPictureSet g_monitor_bright_pictures{};
ElementPictureSet g_monitor_plain_pictures{};

namespace {

constexpr char WARNING_CAPTION[] = "警告";
constexpr int SEARCH_TEXT_BOX = 717;
constexpr int FIRST_TOOL_COMMAND = 1101;
constexpr int LAST_TOOL_COMMAND = 1148;

MonitorPollHooks g_poll_hooks{poll_target_bits, poll_target_words};

// The grid read from the operation file; the window's long 0 and g_monitor_grid name it.
LadderGrid* g_monitor_grid = nullptr;

// The records read from the operation file; g_instruction_list designates them while the
// window holds them.
std::vector<InstructionRecord>* g_monitor_records = nullptr;
// The window that holds the loaded program (none while creation failed).
HWND g_loaded_window = nullptr;
// A close asked for while a poll ran: carried out when the tick ends.
bool g_close_after_tick = false;

bool any_live(std::span<const WindowHandle> list) { return next_live_window(list, 0) != 0; }

ConstGridSpan shown_grid() { return g_monitor_grid != nullptr ? ConstGridSpan(*g_monitor_grid) : ConstGridSpan(); }

void invalidate(HWND window, ViewState& view, const std::vector<CellRef>& cells) {
  for (const CellRef& c : cells) invalidate_cell_area(window, shown_grid(), view, c.row, c.column, 0, c.value_area);
}

void set_scroll(HWND window, const ViewState& view, bool redraw_position) {
  SetScrollRange(window, SB_VERT, 0, view.scroll_max, FALSE);
  SetScrollPos(window, SB_VERT, view.top_row, redraw_position ? TRUE : FALSE);
}

void free_program() {
  if (g_monitor_records != nullptr && g_instruction_list.data() == g_monitor_records->data()) g_instruction_list = {};
  delete g_monitor_records;
  g_monitor_records = nullptr;
  if (g_monitor_grid != nullptr && g_seq_grid.data() == g_monitor_grid->data()) g_seq_grid = {};
  delete g_monitor_grid;
  g_monitor_grid = nullptr;
}

// The link set-up of the creation: the entry chosen in the toolbar's COM list, if any.
void set_up_link() {
  if (g_com_combo == nullptr) return;
  const LRESULT index = SendMessageW(g_com_combo, CB_GETCURSEL, 0, 0);
  if (index == CB_ERR) return;
  const LRESULT length = SendMessageW(g_com_combo, CB_GETLBTEXTLEN, static_cast<WPARAM>(index), 0);
  if (length == CB_ERR || length <= 0 || length > 64) return;
  std::wstring text(static_cast<size_t>(length) + 1, L'\0');
  SendMessageW(g_com_combo, CB_GETLBTEXT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(text.data()));
  text.resize(static_cast<size_t>(length));
  std::string narrow;
  if (!wide_to_cp932(text, narrow)) return;
  target_port_hooks().connect_target_link(narrow.c_str());
}

std::string operation_file_path(const char* path) {
  std::string p = path;
  const size_t slash = p.find_last_of("\\/:");
  const size_t dot = p.find_last_of('.');
  if (dot != std::string::npos && (slash == std::string::npos || dot > slash)) p.erase(dot);
  return p + ".SEQ";
}

void create_monitor_pictures(HWND window) {
  HDC dc = GetDC(window);
  const PixelRect f = picture_frame_rect(GetDeviceCaps(dc, HORZSIZE), GetDeviceCaps(dc, VERTSIZE),
                                         GetDeviceCaps(dc, HORZRES), GetDeviceCaps(dc, VERTRES));
  ReleaseDC(window, dc);
  const RECT frame{f.left, f.top, f.right, f.bottom};
  const int width = g_double_lines != 0 ? 2 : 1;
  const int doubled = g_double_lines != 0 ? 2 : 0;
  // Both sets are recorded once for the process and shared by every monitor window.
  auto record = [&](ElementPictureSet& set, COLORREF line) {
    HBRUSH brush = CreateSolidBrush(MONITOR_BACKGROUND);
    HPEN bright = CreatePen(PS_SOLID, width, MONITOR_BRIGHT_LINE);
    HPEN pen = CreatePen(PS_SOLID, width, line);
    create_element_pictures(set, frame, brush, pen, bright);
    DeleteObject(pen);
    DeleteObject(bright);
    DeleteObject(brush);
  };
  g_monitor_bright_pictures = shared_element_pictures(
      SHARED_MONITOR_BRIGHT | doubled, frame, [&](ElementPictureSet& set) { record(set, MONITOR_BRIGHT_LINE); });
  g_monitor_plain_pictures = shared_element_pictures(
      SHARED_MONITOR_PLAIN | doubled, frame, [&](ElementPictureSet& set) { record(set, MONITOR_PLAIN_LINE); });
}

// A creation that failed after the registration: the message, nothing kept, the list and
// its count as they were. WM_CREATE then returns -1 and the window is never shown.
LRESULT fail_creation(HWND window, ViewState& view, const char* message, const char* caption, int count_before) {
  show_message_box(window, message, caption, MB_OK);
  free_program();
  const int position = find_window_in_list(g_monitor_windows, window);
  if (position > 0) g_monitor_windows[static_cast<size_t>(position - 1)] = 0;
  g_monitor_window_count = count_before;
  (void)view;
  return -1;
}

LRESULT on_create(HWND window, LPARAM lparam) {
  const auto* create = reinterpret_cast<const CREATESTRUCTW*>(lparam);
  const auto* mdi = create ? reinterpret_cast<const MDICREATESTRUCTW*>(create->lpCreateParams) : nullptr;
  ChildOpenRecord record{};
  if (mdi != nullptr && mdi->lParam != 0) record = *reinterpret_cast<const ChildOpenRecord*>(mdi->lParam);

  auto* view = static_cast<ViewState*>(HeapAlloc(GetProcessHeap(), HEAP_ZERO_MEMORY, sizeof(ViewState)));
  if (view == nullptr) return -1;
  view->view_heap = view;
  SetWindowLongPtrW(window, CHILD_EXTRA_VIEW_STATE, reinterpret_cast<LONG_PTR>(view));

  const int count_before = g_monitor_window_count;
  const int slot = register_window(g_monitor_windows, g_monitor_window_count, as_window_handle(window));
  if (slot < 0) return -1;
  view->window_index = slot;
  g_screen_kind = SCREEN_KIND_MONITOR;

  set_up_link();

  copy_text(view->path, record.path);
  init_open_file_name(*open_file_of(*view), window, FileFilter::MBS, view->path, view->title);
  copy_text(view->title, record.title);

  const std::string seq_path = operation_file_path(record.path);
  // Through the wide-character open: a project name in Japanese opens on any code page.
  std::FILE* file = open_file_cp932(seq_path.c_str(), L"rb");
  if (file == nullptr) return fail_creation(window, *view, MSG_NO_OPERATION_FILE, record.path, count_before);
  std::fseek(file, 0, SEEK_END);
  const long length = std::ftell(file);
  std::fseek(file, 0, SEEK_SET);

  g_monitor_records = new (std::nothrow) std::vector<InstructionRecord>();
  g_monitor_grid = new (std::nothrow) LadderGrid();
  try {
    if (g_monitor_records != nullptr) g_monitor_records->resize(MAX_INSTRUCTIONS);
    if (g_monitor_grid != nullptr) g_monitor_grid->resize(static_cast<size_t>(monitor_grid_rows(length)));
  } catch (const std::bad_alloc&) {
    free_program();
  }
  if (g_monitor_records == nullptr || g_monitor_grid == nullptr || g_monitor_grid->empty()) {
    std::fclose(file);
    return fail_creation(window, *view, MSG_NO_MEMORY_READ_BACK, record.path, count_before);
  }
  g_instruction_list = ListSpan(*g_monitor_records);
  g_end_record_index = 0;
  const int result = read_seq_file(*g_monitor_grid, g_instruction_list, file, true);
  if (result == SEQ_FILE_BAD) {
    std::fclose(file);
    return fail_creation(window, *view, MSG_NO_OPERATION_FILE, record.path, count_before);
  }
  clear_cell_states(*g_monitor_grid, count_program_rows(*g_monitor_grid) + 1);
  if (!is_live_window(g_design_windows[0])) save_settings();  // without the main design window
  std::fclose(file);

  set_cpu_label_text(monitor_cpu_label(g_cpu_settings.cpu_name, g_cpu_settings.option_b != 0));
  SetWindowTextW(window, cp932_to_wide(view->path).c_str());
  g_seq_grid = GridSpan(*g_monitor_grid);
  g_seq_path = view->path;

  build_runtime_tables(*g_monitor_grid);
  init_run_memory_from_design(g_used_device_list, *g_monitor_grid);
  clear_monitor_mode_flags();

  SetTimer(window, MONITOR_TIMER_ID, POLL_TICK_MS, nullptr);
  create_monitor_pictures(window);

  dialog_slot_row(SCREEN_KIND_MONITOR)[0] = 0;
  view->comment_display = 0;
  minimize_window_list(g_design_windows);

  SetWindowLongPtrW(window, CHILD_EXTRA_DOCUMENT, reinterpret_cast<LONG_PTR>(g_monitor_grid));
  set_document_kind(window, DocumentKind::MONITOR_GRID);
  view->zoom_percent = DEFAULT_ZOOM_PERCENT;
  view->sel_col = NO_SELECTION;
  view->mark_rows[0] = NO_MARK_ROW;
  view->background = MONITOR_BACKGROUND;
  g_loaded_window = window;
  return 0;
}

bool holds_program(HWND window) { return window != nullptr && window == g_loaded_window && g_monitor_grid != nullptr; }

void on_size(HWND window, ViewState& view, int width, int height) {
  RECT mdi{};
  if (g_mdi_client != nullptr) GetClientRect(g_mdi_client, &mdi);
  size_monitor_view(view, width, height, mdi.bottom - mdi.top, shown_grid());
  SetScrollRange(window, SB_VERT, 0, view.scroll_max, FALSE);
  SetScrollPos(window, SB_VERT, view.top_row, TRUE);
}

void scroll_by(HWND window, ViewState& view, int step) {
  if (scroll_monitor_view(view, step, shown_grid())) {
    SetScrollPos(window, SB_VERT, view.top_row, TRUE);
    InvalidateRect(window, nullptr, TRUE);
  }
}

void on_vscroll(HWND window, ViewState& view, int code, int thumb) {
  update_monitor_scroll_max(view, g_monitor_client_height, shown_grid());
  SetScrollRange(window, SB_VERT, 0, view.scroll_max, FALSE);
  scroll_by(window, view, monitor_scroll_step(view, code, thumb, g_monitor_client_height));
}

void on_wheel(HWND window, ViewState& view, int delta) {
  update_monitor_scroll_max(view, g_monitor_client_height, shown_grid());
  SetScrollRange(window, SB_VERT, 0, view.scroll_max, FALSE);
  scroll_by(window, view, monitor_wheel_step(delta));
}

void apply_switch(HWND window, ViewState& view, const InputSwitch& change) {
  if (change.cells.empty() && change.operand == 0) return;
  invalidate(window, view, change.cells);
  invalidate_cell_area(window, shown_grid(), view, view.cursor_row, view.cursor_col, 0, false);
  notify_monitor_windows(window, 0);
}

// The search dialog's pick: the clicked cell's device text, or its instruction name in
// instruction mode, goes into its text box.
bool search_pick(HWND window, ViewState& view) {
  HWND dialog = as_hwnd(dialog_slot_row(g_screen_kind)[0]);
  if (get_mode_flag(CMD_SEARCH) == 0 || dialog == nullptr || !IsWindow(dialog)) return false;
  const LadderCell& cell = (*g_monitor_grid)[static_cast<size_t>(view.cursor_row)].cell[view.cursor_col];
  if ((cell.word[0] & 9) != 8) return false;
  if (show_cursor_span(window, shown_grid(), view) != 0) return true;
  DesignModes modes;
  read_search_dialog_state(modes);
  // Search kind 4 looks for instruction names, as on the design screen.
  const std::string text =
      monitor_search_pick_text(shown_grid(), {view.cursor_row, view.cursor_col}, modes.search_kind >= 4);
  SetDlgItemTextW(dialog, SEARCH_TEXT_BOX, cp932_to_wide(text).c_str());
  return true;
}

void on_button_down(HWND window, ViewState& view, LPARAM position) {
  if (!holds_program(window)) return;
  hit_test_grid_cell(window, view, position);
  erase_cursor_span(window, view);
  view.sel_width = 0;
  view.sel_rows = 0;
  if (view.cursor_col == LABEL_COLUMN || view.cursor_col < 0 || view.cursor_row < 0 ||
      view.cursor_row >= static_cast<int>(g_monitor_grid->size()))
    return;
  if (g_monitor_mode == 1) return;
  if (search_pick(window, view)) return;
  apply_switch(window, view, press_input_contact(*g_monitor_grid, view));
}

void on_button_up(HWND window, ViewState& view) {
  if (!holds_program(window) || g_monitor_mode == 1) return;
  apply_switch(window, view, release_input_contact(*g_monitor_grid, view));
}

void stop_monitoring(HWND window) {
  g_poll_failures = 0;
  g_monitor_mode = 0;
  close_port(g_current_port);
  g_port_open = 0;
  show_message_box(window, monitor_failure_message(g_cpu_settings.cpu_name), WARNING_CAPTION, MB_OK);
  SendMessageW(window, WM_CLOSE, 0, 0);
}

void on_timer(HWND window) {
  if (!holds_program(window)) return;
  ViewState* view = view_state_of(window);
  if (view == nullptr) return;
  MonitorPollView poll_view;
  poll_view.top_row = view->top_row;
  poll_view.visible_rows = view->visible_rows;
  poll_view.invalidate_cell = [window, view](int row, int column) {
    invalidate_cell_area(window, shown_grid(), *view, row, column, 0, false);
  };
  const PollSteps steps{[&] { return g_poll_hooks.poll_bits(poll_view, *g_monitor_grid); },
                        [&] {
                          const int result = g_poll_hooks.poll_words(poll_view, *g_monitor_grid);
                          // The values stand in the small areas above their cells.
                          for (const CellRef& c : changed_cells(*view, shown_grid()))
                            if (c.value_area) invalidate_cell_area(window, shown_grid(), *view, c.row, c.column, 0, true);
                          return result;
                        }};
  const TickOutcome outcome = run_poll_tick(g_poll_cadence, g_monitor_mode == 1, g_port_open == 1, steps);
  if (outcome == TickOutcome::STOP) {
    stop_monitoring(window);
    return;
  }
  if (g_close_after_tick && !g_poll_cadence.poll_running) {
    g_close_after_tick = false;
    SendMessageW(window, WM_CLOSE, 0, 0);
  }
}

void on_activate(HWND window, LPARAM lparam) {
  if (reinterpret_cast<HWND>(lparam) == window) {
    // The current screen follows the window the user works in.
    g_screen_kind = SCREEN_KIND_MONITOR;
    if (g_mdi_client != nullptr)
      SendMessageW(g_mdi_client, WM_MDISETMENU, reinterpret_cast<WPARAM>(g_document_menu),
                   reinterpret_cast<LPARAM>(g_document_window_menu));
    // The menu states draw the menu bar; without them it is drawn here.
    if (g_monitor_mode == 1 && g_frame != nullptr) set_menu_state_monitor(g_frame);
    else if (g_frame != nullptr) DrawMenuBar(g_frame);
    show_ready_status();
  } else {
    if (g_mdi_client != nullptr)
      SendMessageW(g_mdi_client, WM_MDISETMENU, reinterpret_cast<WPARAM>(g_main_menu),
                   reinterpret_cast<LPARAM>(g_main_window_menu));
    if (g_frame != nullptr) DrawMenuBar(g_frame);
  }
}

void fit_window(HWND window) {
  int minimised_height = 0;
  if (any_other_window_iconic(g_design_windows, window) != 0 ||
      any_other_window_iconic(g_mnemonic_windows, window) != 0 || any_other_window_iconic(g_monitor_windows, window) != 0)
    minimised_height = GetSystemMetrics(SM_CYMINIMIZED);
  SendMessageW(window, WM_SYSCOMMAND, SC_RESTORE, 0);
  RECT client{};
  if (g_mdi_client != nullptr) GetClientRect(g_mdi_client, &client);
  MoveWindow(window, 0, 0, client.right - client.left, client.bottom - client.top - minimised_height, TRUE);
  InvalidateRect(window, nullptr, TRUE);
}

void on_search(HWND window) {
  show_ready_status();
  auto& row = dialog_slot_row(SCREEN_KIND_MONITOR);
  if (row[0] != 0 && IsWindow(as_hwnd(row[0]))) SendMessageW(as_hwnd(row[0]), WM_CLOSE, 0, 0);
  set_mode_flag(CMD_SEARCH, 1);
  // The search dialog of the form last chosen, with an empty text box.
  const std::string empty;
  open_search_dialog(window, &empty);
}

LRESULT on_close(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  if (g_poll_cadence.poll_running && holds_program(window)) {
    // A message box of a poll is open: the window closes when the tick has ended.
    g_close_after_tick = true;
    return 0;
  }
  if (holds_program(window)) KillTimer(window, MONITOR_TIMER_ID);
  return DefMDIChildProcW(window, message, wparam, lparam);
}

void on_destroy(HWND window) {
  set_document_kind(window, DocumentKind::NONE);
  if (holds_program(window)) {
    if (g_toolbar_kind == TOOLBAR_KIND_MONITOR && g_frame != nullptr) {
      if (any_live(g_design_windows)) {
        rebuild_screen_toolbar(g_frame, CMD_SCREEN_DESIGN);
        set_menu_state_design(g_frame);
      } else if (any_live(g_mnemonic_windows)) {
        rebuild_screen_toolbar(g_frame, CMD_SCREEN_MNEMONIC);
      } else {
        rebuild_screen_toolbar(g_frame, TOOLBAR_INITIAL);
        set_menu_state_empty(g_frame);
        g_design_window_count = 0;
      }
    }
    clear_monitor_mode_flags();
    set_mode_flag(CMD_RUN_TRIAL, 0);
    set_mode_flag(CMD_PAUSE, 0);
    auto& row = dialog_slot_row(g_screen_kind);
    for (int slot = 0; slot <= 1; ++slot)
      if (row[static_cast<size_t>(slot)] != 0 && IsWindow(as_hwnd(row[static_cast<size_t>(slot)])))
        SendMessageW(as_hwnd(row[static_cast<size_t>(slot)]), WM_CLOSE, 0, 0);
    g_monitor_window_count = 0;
    if (g_monitor_mode != 0) {
      close_port(g_current_port);
      g_monitor_mode = 0;
      g_port_open = 0;
    }
    free_program();
    // The sets are shared for the process: only this hold on them ends.
    g_monitor_bright_pictures.fill(nullptr);
    g_monitor_plain_pictures.fill(nullptr);
    g_loaded_window = nullptr;
    g_close_after_tick = false;
  }
  const int position = find_window_in_list(g_monitor_windows, window);
  if (position > 0) g_monitor_windows[static_cast<size_t>(position - 1)] = 0;
  if (ViewState* view = view_state_of(window)) {
    SetWindowLongPtrW(window, CHILD_EXTRA_VIEW_STATE, 0);
    HeapFree(GetProcessHeap(), 0, view);
  }
  SetWindowLongPtrW(window, CHILD_EXTRA_DOCUMENT, 0);
}

}  // namespace

LadderGrid* monitor_grid() { return g_monitor_grid; }

void set_monitor_poll_hooks(const MonitorPollHooks& hooks) { g_poll_hooks = hooks; }

void notify_monitor_windows(HWND sender, LPARAM lparam) {
  (void)sender;
  for (size_t i = 0; i < g_monitor_windows.size(); ++i) {
    const WindowHandle handle = g_monitor_windows[i];
    if (handle == WINDOW_LIST_END) break;
    if (is_live_window(handle)) SendMessageW(as_hwnd(handle), WM_COMMAND, CMD_SYNC_VIEW, lparam);
  }
}

void redraw_changed_cells(HWND window, ViewState& view) { invalidate(window, view, changed_cells(view, shown_grid())); }

LRESULT paint_monitor_window(HWND window) {
  PAINTSTRUCT paint{};
  HDC dc = BeginPaint(window, &paint);
  const ViewState* view = view_state_of(window);
  if (dc != nullptr && view != nullptr && holds_program(window)) {
    RECT client{};
    GetClientRect(window, &client);
    MonitorPaintInputs in;
    in.grid = shown_grid();
    in.view = view;
    in.update = to_pixel_rect(paint.rcPaint);
    in.client_width = client.right - client.left;
    in.client_height = client.bottom - client.top;
    in.monitor_screen = g_monitor_mode == 1;
    in.picture_set = g_picture_set;
    in.double_lines = g_double_lines != 0;
    const DisplayList list = build_monitor_display_list(in);
    const ElementPictureSet* sets[2] = {&g_monitor_plain_pictures, &g_monitor_bright_pictures};
    SetBkColor(dc, MONITOR_BACKGROUND);
    play_display_list(dc, list, *view, client, sets);
  }
  EndPaint(window, &paint);
  return 0;
}

LRESULT CALLBACK monitor_window_proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case WM_CREATE:
      return on_create(window, lparam);
    case WM_SIZE:
      if (ViewState* view = view_state_of(window); view != nullptr && holds_program(window))
        on_size(window, *view, LOWORD(lparam), HIWORD(lparam));
      break;
    case WM_VSCROLL:
      if (ViewState* view = view_state_of(window); view != nullptr && holds_program(window))
        on_vscroll(window, *view, LOWORD(wparam), static_cast<short>(HIWORD(wparam)));
      return 0;
    case WM_MOUSEWHEEL:
      if (ViewState* view = view_state_of(window); view != nullptr && holds_program(window))
        on_wheel(window, *view, GET_WHEEL_DELTA_WPARAM(wparam));
      return 0;
    case WM_LBUTTONDOWN:
      if (ViewState* view = view_state_of(window)) on_button_down(window, *view, lparam);
      return 0;
    case WM_LBUTTONUP:
      if (ViewState* view = view_state_of(window)) on_button_up(window, *view);
      return 0;
    case WM_RBUTTONDOWN:
      return 0;
    case WM_TIMER:
      if (wparam == MONITOR_TIMER_ID) on_timer(window);
      return 0;
    case WM_PAINT:
      return paint_monitor_window(window);
    case WM_MDIACTIVATE:
      on_activate(window, lparam);
      return 0;
    case WM_CLOSE:
    case WM_QUERYENDSESSION:
      return on_close(window, message, wparam, lparam);
    case WM_DESTROY:
      on_destroy(window);
      return 0;
    case WM_COMMAND: {
      const int id = LOWORD(wparam);
      if (id >= FIRST_TOOL_COMMAND && id <= LAST_TOOL_COMMAND &&
          refuse_foreign_tool_command(window, TOOLBAR_KIND_MONITOR, id))
        return 0;
      switch (id) {
        case CMD_SEARCH:
          on_search(window);
          break;
        case CMD_UNDO:
          InvalidateRect(window, nullptr, TRUE);
          break;
        case CMD_FIT_WINDOW:
          fit_window(window);
          break;
        case CMD_SYNC_VIEW:
          if (ViewState* view = view_state_of(window); view != nullptr && holds_program(window))
            redraw_changed_cells(window, *view);
          break;
        default:
          break;
      }
      break;
    }
    default:
      break;
  }
  return DefMDIChildProcW(window, message, wparam, lparam);
}
