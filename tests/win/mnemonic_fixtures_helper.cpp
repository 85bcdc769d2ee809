#include "win/mnemonic_fixtures.h"

#include <string_view>

#include "core/mnemonic_text.h"
#include "mnemonic/mnemonic_window_win.h"
#include "shell/command_ids.h"
#include "shell/command_routing.h"
#include "shell/documents.h"
#include "frame/frame_win.h"
#include "shell/toolbar_win.h"
#include "shell/window_lists.h"
#include "win/rig_helper.h"

HWND open_mnemonic_window(HWND frame, const std::string& path, const std::string& title) {
  // The frame shows the mnemonic toolbar before it opens a mnemonic file.
  if (g_toolbar_kind != TOOLBAR_KIND_MNEMONIC) rebuild_screen_toolbar(frame, CMD_SCREEN_MNEMONIC);
  ChildOpenRecord record{};
  fill_child_open(record, FileFilter::NIC, path, title, 0);
  ShowWindow(g_mdi_client, SW_SHOW);
  MDICREATESTRUCTW create{};
  create.szClass = L"nicfl";
  create.szTitle = L"  test";
  create.hOwner = g_instance;
  create.cx = 640;
  create.cy = 400;
  create.lParam = reinterpret_cast<LPARAM>(&record);
  HWND window = reinterpret_cast<HWND>(SendMessageW(g_mdi_client, WM_MDICREATE, 0, reinterpret_cast<LPARAM>(&create)));
  pump_messages();
  if (window) SetFocus(window);
  return window;
}

std::vector<std::string> nic_window_statements(HWND window) {
  std::vector<std::string> out;
  const MnemonicText& text = *nic_window_text(window);
  for (int i = 0; i < count_text_lines(text); ++i) {
    std::string_view s = line_statement(text[i]);
    out.emplace_back(s.substr(0, s.find('\n')));
  }
  return out;
}
