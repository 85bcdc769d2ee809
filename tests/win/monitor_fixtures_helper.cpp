#include "core/ladder_compiler.h"
#include "core/design_file.h"
#include "core/seq_file.h"

#include "win/monitor_fixtures.h"

#include <cstdio>

#include "design/design_paint.h"
#include "board/monitor_paint.h"
#include "board/monitor_window_win.h"
#include "design/view_geometry_win.h"
#include "shell/command_ids.h"
#include "shell/documents.h"
#include "shell/documents_win.h"
#include "frame/frame_win.h"
#include "shell/path_parts.h"
#include "shell/text_win.h"
#include "support/ladder_text.h"
#include "win/rig_helper.h"

bool write_operation_file(const std::wstring& path, const std::vector<std::string>& rows) {
  LadderGrid grid = ladder_from_text(rows);
  InstructionList list = make_instruction_list(2000);
  const ListSpan saved = g_instruction_list;
  if (compile_ladder(nullptr, grid, list, nullptr, 0) != CompileResult::OK) return false;
  g_instruction_list = list;
  std::FILE* f = _wfopen(path.c_str(), L"wb");
  bool ok = f != nullptr;
  if (ok) ok = write_seq_file(f) == 0 && write_design_file(nullptr, grid, nullptr, f, DESIGN_FILE_APPENDED) == 0;
  if (f != nullptr) std::fclose(f);
  g_instruction_list = saved;
  return ok;
}

bool write_operation_file_beside(const std::string& child_path) {
  std::string path = child_path;
  const size_t slash = path.find_last_of("\\/:");
  const size_t dot = path.find_last_of('.');
  if (dot != std::string::npos && (slash == std::string::npos || dot > slash)) path.erase(dot);
  path += ".SEQ";
  return write_operation_file(cp932_to_wide(path), {"X0 ~ (Y0)"});
}

HWND open_monitor_window(const std::wstring& seq_path, bool monitor) {
  std::string narrow;
  wide_to_cp932(seq_path, narrow);
  copy_text(g_child_open.path, narrow);
  copy_text(g_child_open.title, "TEST.SEQ");
  g_child_open.flags = CHILD_OPEN_READ_ONLY;
  g_monitor_mode = monitor ? 1 : 0;
  ShowWindow(g_mdi_client, SW_SHOW);
  HWND window = create_document_child(L"jikfl", "TEST.SEQ  No. = 1", ChildRoute::MONITOR);
  pump_messages();
  if (window != nullptr) {
    SendMessageW(window, WM_COMMAND, CMD_FIT_WINDOW, 0);
    pump_messages();
  }
  return window;
}

DisplayList monitor_window_display_list(HWND window) {
  RECT client{};
  GetClientRect(window, &client);
  MonitorPaintInputs in;
  in.grid = ConstGridSpan(*monitor_grid());
  in.view = view_state_of(window);
  in.update = {0, 0, client.right, client.bottom};
  in.client_width = client.right;
  in.client_height = client.bottom;
  in.monitor_screen = g_monitor_mode == 1;
  return build_monitor_display_list(in);
}

void pump_for(int ms) {
  const DWORD end = GetTickCount() + static_cast<DWORD>(ms);
  while (static_cast<int>(end - GetTickCount()) > 0) {
    pump_messages();
    Sleep(5);
  }
  pump_messages();
}
