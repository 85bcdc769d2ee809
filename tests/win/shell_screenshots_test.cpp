// Pictures of the toolbars, the status bar and the guide dialogs as the screen shows
// them, for a person to look at. Written only when TAVOLIN_SCREENSHOTS names a folder
// (a Windows path, or a Unix path that Wine reaches through Z:).
#include "bars_frame.h"

#include <cstdio>
#include <cstdlib>
#include <string>

#include "shell/guide_dialogs_win.h"
#include "shell/settings_file.h"
#include "shell/status_parts.h"

namespace {

using bars_test::BarsFrame;

std::string screenshot_folder() {
  const char* folder = std::getenv("TAVOLIN_SCREENSHOTS");
  if (folder == nullptr || *folder == '\0') return {};
  std::string path = folder;
  if (path[0] == '/') path = "Z:" + path;
  return path;
}

// Copies a window's rectangle from the screen into a 24-bit BMP file.
bool save_window_picture(HWND window, const std::string& path) {
  RECT r{};
  GetWindowRect(window, &r);
  const int w = r.right - r.left, h = r.bottom - r.top;
  if (w <= 0 || h <= 0) return false;
  HDC screen = GetDC(nullptr);
  HDC dc = CreateCompatibleDC(screen);
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = w;
  info.bmiHeader.biHeight = h;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 24;
  void* bits = nullptr;
  HBITMAP bitmap = CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  HGDIOBJ old = SelectObject(dc, bitmap);
  BitBlt(dc, 0, 0, w, h, screen, r.left, r.top, SRCCOPY);
  GdiFlush();
  const DWORD row = static_cast<DWORD>((w * 3 + 3) & ~3);
  BITMAPFILEHEADER file{};
  file.bfType = 0x4D42;
  file.bfOffBits = sizeof file + sizeof info.bmiHeader;
  file.bfSize = file.bfOffBits + row * static_cast<DWORD>(h);
  FILE* out = _wfopen(wide_from_cp932(path).c_str(), L"wb");
  bool ok = out != nullptr;
  if (ok) {
    fwrite(&file, sizeof file, 1, out);
    fwrite(&info.bmiHeader, sizeof info.bmiHeader, 1, out);
    fwrite(bits, row, static_cast<size_t>(h), out);
    fclose(out);
  }
  SelectObject(dc, old);
  DeleteObject(bitmap);
  DeleteDC(dc);
  ReleaseDC(nullptr, screen);
  return ok;
}

class Screenshots : public BarsFrame {
 protected:
  static void settle() {
    for (int i = 0; i < 20; ++i) {
      pump();
      Sleep(25);
    }
  }
};

int two_ports(int slot) { return slot == 3 || slot == 5 ? 1 : 0; }
int no_connect(int) { return 0; }
void no_link() {}
int port_five() { return 5; }

TEST_F(Screenshots, ToolbarsOfEveryScreen) {
  const std::string folder = screenshot_folder();
  if (folder.empty()) GTEST_SKIP() << "TAVOLIN_SCREENSHOTS is not set";
  const TargetPortHooks saved = target_port_hooks();
  set_target_port_hooks({two_ports, no_connect, no_link, port_five});
  struct Shot {
    int kind;
    int32_t options;
    const char* name;
  };
  const int32_t saved_bits = g_option_bits;
  for (Shot s : {Shot{TOOLBAR_INITIAL, 0x11, "toolbar_initial"}, Shot{CMD_SCREEN_DESIGN, 0x11, "toolbar_design"},
                 Shot{CMD_SCREEN_DESIGN, 0x13, "toolbar_design_keys"}, Shot{CMD_SCREEN_OPERATION, 0x11, "toolbar_monitor"},
                 Shot{CMD_SCREEN_MNEMONIC, 0x11, "toolbar_mnemonic"}}) {
    g_option_bits = s.options;
    show_toolbar(s.kind);
    if (s.kind == CMD_SCREEN_DESIGN) check_toolbar_button(CMD_TOOL_OUT, true);
    settle();
    if (const char* hold = std::getenv("TAVOLIN_SCREENSHOT_HOLD_MS")) Sleep(static_cast<DWORD>(std::atoi(hold)));
    EXPECT_TRUE(save_window_picture(g_toolbar, folder + "\\" + s.name + ".bmp")) << s.name;
  }
  g_option_bits = saved_bits;
  set_target_port_hooks(saved);
}

TEST_F(Screenshots, StatusBarWithTheRangeIndicators) {
  const std::string folder = screenshot_folder();
  if (folder.empty()) GTEST_SKIP() << "TAVOLIN_SCREENSHOTS is not set";
  RECT client{};
  GetClientRect(frame, &client);
  int edges[7];
  for (int i = 0; i < 7; ++i) edges[i] = client.right - 432 + 66 * i;
  SendMessageW(g_status_bar, SB_SETPARTS, 7, reinterpret_cast<LPARAM>(edges));
  show_status_text_and_modes(RANGE_SUBMODE_NAMES, 1, CMD_RANGE_MODE);
  settle();
  EXPECT_TRUE(save_window_picture(g_status_bar, folder + "\\status_bar.bmp"));
  EXPECT_TRUE(save_window_picture(frame, folder + "\\frame.bmp"));
}

TEST_F(Screenshots, GuideDialogs) {
  const std::string folder = screenshot_folder();
  if (folder.empty()) GTEST_SKIP() << "TAVOLIN_SCREENSHOTS is not set";
  struct Shot {
    GuideKind kind;
    const char* name;
  };
  for (Shot s : {Shot{GuideKind::FirstUse, "guide_first_use"}, Shot{GuideKind::DesignTips, "guide_design"},
                 Shot{GuideKind::MonitorTips, "guide_monitor"}, Shot{GuideKind::PinViewTips, "guide_pin_view"}}) {
    HWND dialog = open_guide_dialog(frame, s.kind);
    ASSERT_NE(dialog, nullptr);
    SetWindowPos(dialog, HWND_TOP, 700, 100, 0, 0, SWP_NOSIZE);
    settle();
    EXPECT_TRUE(save_window_picture(dialog, folder + "\\" + s.name + ".bmp")) << s.name;
  }
  DestroyWindow(reinterpret_cast<HWND>(g_guide_dialog));
}

}  // namespace
