// The frame window: its creation and layout, the registration of every window class, the
// start-up before the message loop, the loop itself and the end of the program.
#include "core/design_file.h"
#include "core/ladder_model.h"
#include "target/device_images.h"
#include "target/serial_port.h"
#include "target/serial_port_win.h"

#include "shell/file_replace_win.h"
#include "frame/frame_win.h"

#include <commctrl.h>

#include <cstring>

#include "board/monitor_window_win.h"
#include "design/design_window_win.h"
#include "mnemonic/mnemonic_window_win.h"
#include "resources/resource_ids.h"
#include "shell/command_ids.h"
#include "shell/frame_layout.h"
#include "shell/io_parts_list.h"
#include "shell/message_box_win.h"
#include "frame/print_command.h"
#include "frame/print_command_win.h"
#include "shell/settings_file.h"
#include "shell/settings_win.h"
#include "shell/status_bar_win.h"
#include "shell/status_parts.h"
#include "shell/text_win.h"
#include "shell/window_lists_win.h"

int g_show_command = SW_SHOWNORMAL;
HMODULE g_print_library = nullptr;
int g_first_guide_shown = 0;
FrameSlots g_frame_slots;

namespace {

constexpr wchar_t FRAME_CLASS[] = L"mdi01";
constexpr wchar_t MNEMONIC_CLASS[] = L"nicfl";
constexpr wchar_t MONITOR_CLASS[] = L"jikfl";
constexpr wchar_t DESIGN_CLASS[] = L"massfl";
constexpr wchar_t DESIGN_SECOND_CLASS[] = L"motofl";
constexpr COLORREF MONITOR_BACKGROUND = 0x5F0000;
constexpr UINT MENU_ITEM_HEIGHT = 22;

// Brushes the classes own; freed when the classes are unregistered.
HBRUSH g_monitor_brush = nullptr;
HBRUSH g_massfl_brush = nullptr;
HBRUSH g_motofl_brush = nullptr;

void delete_brush(HBRUSH& brush) {
  if (brush) DeleteObject(brush);
  brush = nullptr;
}

// Step 7 of the frame's creation: the start folder in its short form, the program path
// and the folder where file.ini is written.
void take_start_folder() {
  wchar_t folder[MAX_PATH] = L"";
  const DWORD n = GetCurrentDirectoryW(MAX_PATH, folder);
  if (n == 0 || n >= MAX_PATH) folder[0] = L'\0';
  wchar_t short_folder[MAX_PATH];
  const DWORD s = GetShortPathNameW(folder, short_folder, MAX_PATH);
  if (s > 0 && s < MAX_PATH) std::memcpy(folder, short_folder, (s + 1) * sizeof(wchar_t));
  g_program_folder = folder;

  std::string start;
  // A folder that CP932 cannot spell even in its short form stays usable for file.ini
  // (g_program_folder); the CP932 texts then name the current folder.
  if (!wide_to_cp932(folder, start) || !copy_text(g_start_folder, start)) copy_text(g_start_folder, ".");
  std::string program = g_start_folder;
  if (!ends_with_separator(program)) program += '\\';
  program += "tavolin.exe";
  copy_text(g_program_path, program);
}

void create_status_bar(HWND frame) {
  g_status_bar = CreateStatusWindowW(WS_CHILD | WS_VISIBLE | SBARS_SIZEGRIP | CCS_BOTTOM, L"Ready", frame,
                                     STATUS_BAR_ID);
}

// The decorative band across the top: transparent, so the toolbar shows through it and
// clicks reach the toolbar.
void create_band(HWND frame) {
  CreateWindowExW(WS_EX_TRANSPARENT, L"static", L"", WS_CHILD | WS_VISIBLE | SS_GRAYFRAME, 0, 0,
                  GetSystemMetrics(SM_CXSCREEN), BAND_HEIGHT, frame, nullptr, g_instance, nullptr);
}

// The MDI client starts hidden and empty; the commands that create children show it.
void create_mdi_client(HWND frame) {
  CLIENTCREATESTRUCT client{};
  client.hWindowMenu = g_main_window_menu;
  client.idFirstChild = FIRST_MDI_CHILD_ID;
  g_mdi_client = CreateWindowExW(WS_EX_CLIENTEDGE, L"MDICLIENT", nullptr, WS_CHILD | WS_CLIPCHILDREN, 0, 0, 0, 0,
                                 frame, reinterpret_cast<HMENU>(static_cast<INT_PTR>(MDI_CLIENT_ID)), g_instance,
                                 &client);
}

// Step 12: the design colour set and the two design classes.
bool register_design_classes() {
  const DesignColourSet colours = design_colour_set(g_option_bits);
  g_design_background = colours.background;
  g_design_comment_color = colours.comment_colour;
  g_design_text_color = colours.text_colour;
  delete_brush(g_massfl_brush);
  delete_brush(g_motofl_brush);
  HBRUSH massfl = nullptr;
  if (colours.massfl_white_brush) {
    massfl = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
  } else {
    g_massfl_brush = CreateSolidBrush(colours.massfl_brush);
    massfl = g_massfl_brush;
  }
  g_motofl_brush = CreateSolidBrush(colours.motofl_brush);
  if (!register_window_class(design_window_proc, CHILD_WINDOW_EXTRA_BYTES, DESIGN_CLASS, massfl, L"enpitu"))
    return false;
  return register_window_class(design_window_proc, CHILD_WINDOW_EXTRA_BYTES, DESIGN_SECOND_CLASS, g_motofl_brush,
                               L"enpitu") != 0;
}

LRESULT on_create(HWND frame) {
  INITCOMMONCONTROLSEX controls{sizeof controls, ICC_BAR_CLASSES | ICC_WIN95_CLASSES};
  InitCommonControlsEx(&controls);
  g_frame = frame;
  g_frame_menu = GetMenu(frame);

  g_toolbar = g_frame_slots.create_initial_toolbar ? g_frame_slots.create_initial_toolbar(frame) : nullptr;
  g_print_library = nullptr;
  create_status_bar(frame);
  create_band(frame);
  create_mdi_client(frame);

  take_start_folder();
  empty_io_parts_list(g_io_parts_list);
  set_default_settings(g_app_settings, g_start_folder);
  // The design and operation writers name the current project in their files.
  g_file_project_name = g_project_name;
  g_guide_dialog = 0;
  g_first_guide_shown = 0;
  g_recent_expanded = 0;

  // May move the frame: WM_SIZE then runs while this creation is still under way.
  read_settings_file(frame);

  copy_text(g_cpu_settings.cpu_name, "pic18F452");
  copy_text(g_loaded_cpu_settings.cpu_name, "pic18F452");

  if (!register_design_classes()) return 0;

  reset_window_tables();
  copy_text(g_cpu_settings.program_folder, g_start_folder);
  // Words 1-5 of the device image start cleared (the monitor's marks live there).
  clear_device_image();
  return 0;
}

// WM_SIZE; it also runs inside WM_CREATE, when file.ini moves the frame, so every part
// may still be missing.
void on_size(HWND frame, int width, int height) {
  if (!g_first_guide_shown && g_guide_flags[0] != 0) {
    if (g_guide_dialog) SendMessageW(as_hwnd(g_guide_dialog), WM_CLOSE, 0, 0);
    g_guide_dialog = 0;
    if (g_frame_slots.create_first_use_guide)
      g_guide_dialog = as_window_handle(g_frame_slots.create_first_use_guide(frame));
    GetClientRect(frame, &g_client_rect);
    g_first_guide_shown = 1;
  }

  int toolbar_height = 0;
  if (g_toolbar) {
    SendMessageW(g_toolbar, TB_AUTOSIZE, 0, 0);
    InvalidateRect(g_toolbar, nullptr, TRUE);
    RECT rect;
    GetWindowRect(g_toolbar, &rect);
    MapWindowPoints(nullptr, frame, reinterpret_cast<POINT*>(&rect), 2);
    toolbar_height = rect.bottom - rect.top;
  }

  if (g_status_bar) {
    const auto edges = status_part_edges(width, measured_status_indicator_width());
    SendMessageW(g_status_bar, SB_SETPARTS, STATUS_PART_COUNT, reinterpret_cast<LPARAM>(edges.data()));
    RECT rect;
    GetWindowRect(g_status_bar, &rect);
    g_status_height = rect.bottom - rect.top;
    MoveWindow(g_status_bar, 0, height - g_status_height, width, g_status_height, TRUE);
  }

  if (g_mdi_client) {
    const LayoutRect client = mdi_client_layout(width, height, toolbar_height, g_status_height);
    MoveWindow(g_mdi_client, client.x, client.y, client.width, client.height, TRUE);
  }
}

// Menu help in the status bar: while a menu is open the bar shows, as one pane, the
// string-table entry of the highlighted command (entry 71, a blank, for a popup) and
// goes back to its parts when the menu closes. Written out here rather than left to the
// common controls' MenuHelp, whose lookup of popup entries differs between versions.
void on_menu_select(WPARAM wparam, LPARAM lparam) {
  if (!g_status_bar) return;
  const UINT item = LOWORD(wparam);
  const UINT flags = HIWORD(wparam);
  if (flags == 0xFFFF && lparam == 0) {
    SendMessageW(g_status_bar, SB_SIMPLE, FALSE, 0);
    return;
  }
  SendMessageW(g_status_bar, SB_SIMPLE, TRUE, 0);
  const UINT string_id = (flags & MF_POPUP) ? STR_POPUP_HELP : item;
  wchar_t text[256] = L"";
  if (LoadStringW(g_instance, string_id, text, 256) <= 0) text[0] = L'\0';
  SendMessageW(g_status_bar, SB_SETTEXTW, 255 | SBT_NOBORDERS, reinterpret_cast<LPARAM>(text));
}

LRESULT default_frame(HWND frame, UINT message, WPARAM wparam, LPARAM lparam) {
  return DefFrameProcW(frame, g_mdi_client, message, wparam, lparam);
}

}  // namespace

ATOM register_window_class(WNDPROC procedure, int window_extra_bytes, const wchar_t* class_name, HBRUSH background,
                           const wchar_t* icon_name) {
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof wc;
  wc.style = CS_HREDRAW | CS_VREDRAW;
  wc.lpfnWndProc = procedure;
  wc.cbWndExtra = window_extra_bytes;
  wc.hInstance = g_instance;
  wc.hIcon = LoadIconW(g_instance, icon_name);
  wc.hIconSm = wc.hIcon;
  wc.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
  wc.hbrBackground = background;
  wc.lpszClassName = class_name;
  return RegisterClassExW(&wc);
}

bool close_main_windows() {
  for (WindowHandle first : {g_design_windows[0], g_mnemonic_windows[0], g_monitor_windows[0]}) {
    if (first == 0 || first == WINDOW_LIST_END) continue;
    if (SendMessageW(as_hwnd(first), WM_CLOSE, 0, 0) != 0) return false;
  }
  return true;
}

LRESULT CALLBACK frame_window_proc(HWND frame, UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case WM_CREATE:
      return on_create(frame);
    case WM_SIZE:
      on_size(frame, LOWORD(lparam), HIWORD(lparam));
      return 0;
    case WM_MENUSELECT:
      on_menu_select(wparam, lparam);
      return 0;
    case WM_MEASUREITEM: {
      auto* item = reinterpret_cast<MEASUREITEMSTRUCT*>(lparam);
      item->itemHeight = MENU_ITEM_HEIGHT;
      if (item->itemID == static_cast<UINT>(-1)) return TRUE;
      return default_frame(frame, message, wparam, lparam);
    }
    case WM_CLOSE:
    case WM_QUERYENDSESSION:
      // A refusal keeps the frame (or refuses the end of the session) and leaves file.ini
      // as it is.
      if (!close_main_windows()) return 0;
      save_settings();
      return default_frame(frame, message, wparam, lparam);
    case WM_DESTROY:
      release_print_library();
      PostQuitMessage(0);
      return default_frame(frame, message, wparam, lparam);
    case WM_COMMAND:
      if (LOWORD(wparam) == CMD_RECENT_EXPAND) {
        expand_recent_file_menu();
        return 0;
      }
      if (g_frame_slots.frame_command) return g_frame_slots.frame_command(frame, wparam, lparam);
      return default_frame(frame, message, wparam, lparam);
    case WM_SYSCOMMAND:
      // The recent list may have changed since the menu was last built.
      rebuild_recent_file_menu();
      return default_frame(frame, message, wparam, lparam);
    default:
      return default_frame(frame, message, wparam, lparam);
  }
}

HWND start_program(HINSTANCE instance, int show_command, HACCEL* accelerators) {
  g_instance = instance;
  g_show_command = show_command;
  if (accelerators) *accelerators = nullptr;

  if (!register_window_class(frame_window_proc, 0, FRAME_CLASS, reinterpret_cast<HBRUSH>(COLOR_APPWORKSPACE + 1),
                             L"arensta"))
    return nullptr;
  if (!register_window_class(nic_window_proc, CHILD_WINDOW_EXTRA_BYTES, MNEMONIC_CLASS,
                             static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)), L"nimoc"))
    return nullptr;
  delete_brush(g_monitor_brush);
  g_monitor_brush = CreateSolidBrush(MONITOR_BACKGROUND);
  if (!register_window_class(monitor_window_proc, CHILD_WINDOW_EXTRA_BYTES, MONITOR_CLASS, g_monitor_brush, L"dousa"))
    return nullptr;

  install_core_notice_handler();
  // The serial link opens the system's comm ports; files are reached by their UTF-16 names.
  set_system_port_opener(open_win32_port);
  install_win32_file_access();

  g_main_menu = LoadMenuW(instance, L"MYMENU");
  g_document_menu = LoadMenuW(instance, L"MYDOCUMENT");
  g_main_window_menu = g_main_menu ? GetSubMenu(g_main_menu, 0) : nullptr;
  g_document_window_menu = g_document_menu ? GetSubMenu(g_document_menu, 1) : nullptr;

  RECT work{};
  SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
  const std::wstring title = cp932_to_wide(FRAME_TITLE);
  HWND frame = CreateWindowExW(0, FRAME_CLASS, title.c_str(), WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, work.left,
                               work.top, work.right - work.left, work.bottom - work.top, nullptr, g_main_menu,
                               instance, nullptr);
  if (!frame) return nullptr;

  if (accelerators) *accelerators = LoadAcceleratorsW(instance, L"MYMENU");
  ShowWindow(frame, show_command);
  UpdateWindow(frame);
  return frame;
}

bool translate_program_message(MSG& message, HACCEL accelerators) {
  if (accelerators && g_frame && TranslateAcceleratorW(g_frame, accelerators, &message)) return true;
  if (g_mdi_client && TranslateMDISysAccel(g_mdi_client, &message)) return true;
  return false;
}

int run_message_loop(HACCEL accelerators) {
  MSG message{};
  BOOL got;
  while ((got = GetMessageW(&message, nullptr, 0, 0)) != 0) {
    if (got == -1) break;
    if (translate_program_message(message, accelerators)) continue;
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
  return static_cast<int>(message.wParam);
}

void end_program() {
  if (g_document_menu) DestroyMenu(g_document_menu);
  g_document_menu = nullptr;
  g_document_window_menu = nullptr;
  g_main_menu = nullptr;
  g_main_window_menu = nullptr;
  g_frame = nullptr;
  g_mdi_client = nullptr;
  g_status_bar = nullptr;
  g_toolbar = nullptr;
}

void unregister_program_classes() {
  for (const wchar_t* name : {FRAME_CLASS, MNEMONIC_CLASS, MONITOR_CLASS, DESIGN_CLASS, DESIGN_SECOND_CLASS})
    UnregisterClassW(name, g_instance);
  delete_brush(g_monitor_brush);
  delete_brush(g_massfl_brush);
  delete_brush(g_motofl_brush);
}
