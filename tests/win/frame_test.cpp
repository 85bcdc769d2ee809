// The frame's start-up, classes and layout with the real windows.
#include "core/ladder_model.h"  // before <windows.h>, which defines OUT
#include "target/device_images.h"

#include "target/windows_api.h"
#include <commctrl.h>

#include <gtest/gtest.h>

#include <string>

#include "resources/resource_ids.h"
#include "shell/command_ids.h"
#include "frame/frame_win.h"
#include "shell/io_parts_list.h"
#include "shell/settings_file.h"
#include "target/serial_port.h"
#include "shell/status_bar_win.h"
#include "shell/status_parts.h"
#include "shell/window_lists_win.h"
#include "win/rig_helper.h"
#include "support/staging_files.h"

namespace {

std::wstring class_of(HWND window) {
  wchar_t name[64] = L"";
  GetClassNameW(window, name, 64);
  return name;
}

std::wstring text_of(HWND window) {
  wchar_t text[256] = L"";
  GetWindowTextW(window, text, 256);
  return text;
}

RECT rect_in_frame(HWND child) {
  RECT rect;
  GetWindowRect(child, &rect);
  MapWindowPoints(nullptr, g_frame, reinterpret_cast<POINT*>(&rect), 2);
  return rect;
}

std::wstring status_text(int part) {
  wchar_t text[256] = L"";
  SendMessageW(g_status_bar, SB_GETTEXTW, part, reinterpret_cast<LPARAM>(text));
  return text;
}

// Checks that the status bar and the MDI client fill the client area as laid out.
void expect_layout_follows_client(HWND frame) {
  RECT client;
  GetClientRect(frame, &client);
  int edges[STATUS_PART_COUNT + 1] = {};
  ASSERT_EQ(SendMessageW(g_status_bar, SB_GETPARTS, STATUS_PART_COUNT + 1, reinterpret_cast<LPARAM>(edges)),
            STATUS_PART_COUNT);
  const auto expected = status_part_edges(client.right, measured_status_indicator_width());
  for (int i = 0; i < STATUS_PART_COUNT; ++i) EXPECT_EQ(edges[i], expected[i]) << "part " << i;
  const RECT status = rect_in_frame(g_status_bar);
  EXPECT_EQ(status.bottom, client.bottom);
  EXPECT_EQ(status.right - status.left, client.right);
  EXPECT_EQ(g_status_height, status.bottom - status.top);
  const RECT mdi = rect_in_frame(g_mdi_client);
  EXPECT_EQ(mdi.left, 0);
  EXPECT_EQ(mdi.top, 0);  // no toolbar in the toolbar slot
  EXPECT_EQ(mdi.right, client.right);
  EXPECT_EQ(mdi.bottom, status.top);
}

class FrameTest : public ProgramTest {};

TEST_F(FrameTest, FirstStartCoversTheWorkAreaAndWritesTheDefaultLines) {
  ASSERT_TRUE(start());
  RECT work;
  SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
  RECT frame;
  GetWindowRect(frame_, &frame);
  EXPECT_EQ(frame.left, work.left);
  EXPECT_EQ(frame.top, work.top);
  EXPECT_EQ(frame.right, work.right);
  EXPECT_EQ(frame.bottom, work.bottom);
  EXPECT_EQ(class_of(frame_), L"mdi01");
  EXPECT_EQ(text_of(frame_), L"Tavolin Ver.1.7β");
  EXPECT_TRUE(IsWindowVisible(frame_));
  EXPECT_EQ(GetMenu(frame_), g_main_menu);

  const std::string start_folder = g_start_folder;
  EXPECT_EQ(read_file_bytes(folder_->file(L"file.ini")),
            "iDirectory " + start_folder + "\\Sample\r\n[SETUF] 1 1 1 1 11 Courier 0 125 0\r\n[RS232C] 1\r\n[ROMWRT] \r\n");
  EXPECT_EQ(g_com_number, 1);
  EXPECT_EQ(std::string(g_program_path), start_folder + "\\tavolin.exe");
  EXPECT_STREQ(g_cpu_settings.cpu_name, "pic18F452");
  EXPECT_STREQ(g_loaded_cpu_settings.cpu_name, "pic18F452");
  EXPECT_STREQ(g_cpu_settings.program_folder, g_start_folder);
  // The start folder is the current folder in its short form.
  wchar_t short_folder[MAX_PATH];
  GetShortPathNameW(folder_->path().c_str(), short_folder, MAX_PATH);
  EXPECT_EQ(g_program_folder, short_folder);
  // The start-up guide had its turn at the first WM_SIZE.
  EXPECT_EQ(g_first_guide_shown, 1);
}

TEST_F(FrameTest, CreationClearsTheDeviceImageAndEmptiesTheIoPartsList) {
  // Left over from an earlier run of the frame in this process.
  for (int type : {0, 7, 15})
    for (int entry : {0, 400, 767}) {
      for (int w = 0; w < 6; ++w) g_device_bit_image[type][entry].word[w] = 0x5A5A + w;
    }
  g_device_bit_image[16][0].word[1] = 9;    // J: not a cleared type
  g_device_bit_image[0][768].word[1] = 9;   // beyond the cleared entries
  g_io_parts_list[0].fill('Z');
  g_io_parts_list[1].fill('Z');

  ASSERT_TRUE(start());
  for (int type : {0, 7, 15})
    for (int entry : {0, 400, 767}) {
      EXPECT_EQ(g_device_bit_image[type][entry].word[0], 0x5A5A) << type << " " << entry;  // states kept
      for (int w = 1; w < 6; ++w) EXPECT_EQ(g_device_bit_image[type][entry].word[w], 0) << type << " " << entry;
    }
  EXPECT_EQ(g_device_bit_image[16][0].word[1], 9);
  EXPECT_EQ(g_device_bit_image[0][768].word[1], 9);
  EXPECT_EQ(std::string(g_io_parts_list[0].data()), "QQQQQQ");
  EXPECT_EQ(g_io_parts_list[1][0], '\0');
  // file.ini was written through a new file that is gone again.
  EXPECT_EQ(staging_files_in(folder_->path()), 0);
  reset_device_images();
}

TEST_F(FrameTest, CreationBuildsStatusBarBandAndHiddenMdiClientInOrder) {
  ASSERT_TRUE(start());
  ASSERT_TRUE(g_status_bar);
  EXPECT_EQ(class_of(g_status_bar), L"msctls_statusbar32");
  EXPECT_EQ(GetDlgCtrlID(g_status_bar), STATUS_BAR_ID);
  EXPECT_EQ(status_text(0), L"Ready");
  EXPECT_TRUE(GetWindowLongW(g_status_bar, GWL_STYLE) & SBARS_SIZEGRIP);

  // The band: the static after the status bar, transparent, 52 pixels across the screen.
  HWND band = GetWindow(g_status_bar, GW_HWNDNEXT);
  ASSERT_TRUE(band);
  EXPECT_EQ(class_of(band), L"Static");
  EXPECT_TRUE(GetWindowLongW(band, GWL_EXSTYLE) & WS_EX_TRANSPARENT);
  EXPECT_EQ(GetWindowLongW(band, GWL_STYLE) & SS_TYPEMASK, SS_GRAYFRAME);
  const RECT band_rect = rect_in_frame(band);
  EXPECT_EQ(band_rect.top, 0);
  EXPECT_EQ(band_rect.bottom - band_rect.top, 52);
  EXPECT_EQ(band_rect.right - band_rect.left, GetSystemMetrics(SM_CXSCREEN));

  // The MDI client comes last and stays hidden until a document window is created.
  ASSERT_TRUE(g_mdi_client);
  EXPECT_EQ(GetWindow(band, GW_HWNDNEXT), g_mdi_client);
  EXPECT_EQ(class_of(g_mdi_client), L"MDIClient");
  EXPECT_EQ(GetDlgCtrlID(g_mdi_client), 1);
  EXPECT_FALSE(IsWindowVisible(g_mdi_client));
  EXPECT_TRUE(GetWindowLongW(g_mdi_client, GWL_EXSTYLE) & WS_EX_CLIENTEDGE);
  expect_layout_follows_client(frame_);
}

TEST_F(FrameTest, ClassesAreRegisteredWithTheirProceduresBrushesAndExtraBytes) {
  ASSERT_TRUE(start());
  struct ClassCase {
    const wchar_t* name;
    int extra;
  };
  constexpr int child_extra = 9 * sizeof(LONG_PTR);  // nine pointer slots
  static_assert(child_extra >= 3 * sizeof(void*));
  for (const ClassCase& c :
       {ClassCase{L"mdi01", 0}, ClassCase{L"nicfl", child_extra}, ClassCase{L"jikfl", child_extra},
        ClassCase{L"massfl", child_extra}, ClassCase{L"motofl", child_extra}}) {
    WNDCLASSEXW info{};
    info.cbSize = sizeof info;
    ASSERT_TRUE(GetClassInfoExW(g_instance, c.name, &info)) << ::testing::PrintToString(std::wstring(c.name));
    EXPECT_EQ(info.cbWndExtra, c.extra);
    EXPECT_EQ(info.cbClsExtra, 0);
    EXPECT_EQ(info.style, static_cast<UINT>(CS_HREDRAW | CS_VREDRAW));
    EXPECT_EQ(info.lpszMenuName, nullptr);
  }
  WNDCLASSEXW frame_class{};
  frame_class.cbSize = sizeof frame_class;
  GetClassInfoExW(g_instance, L"mdi01", &frame_class);
  EXPECT_EQ(reinterpret_cast<INT_PTR>(frame_class.hbrBackground), COLOR_APPWORKSPACE + 1);
}

LOGBRUSH class_brush(const wchar_t* name) {
  WNDCLASSEXW info{};
  info.cbSize = sizeof info;
  GetClassInfoExW(g_instance, name, &info);
  LOGBRUSH brush{};
  GetObjectW(info.hbrBackground, sizeof brush, &brush);
  return brush;
}

TEST_F(FrameTest, OptionBitZeroChoosesTheDesignColoursOnceAtStartUp) {
  write_file_bytes(folder_->file(L"file.ini"),
                   "iDirectory C:\\A.MBS\r\n[SETUF] 1 1 1 1 10 Courier 0 125 0\r\n[RS232C] 1\r\n[ROMWRT] \r\n");
  ASSERT_TRUE(start());
  EXPECT_EQ(g_design_background, 0x820000u);
  EXPECT_EQ(g_design_comment_color, 0x00FF33u);
  EXPECT_EQ(g_design_text_color, 0xFFFFFFu);
  EXPECT_EQ(class_brush(L"massfl").lbColor, 0x820000u);
  EXPECT_EQ(class_brush(L"motofl").lbColor, 0x000000u);
  EXPECT_EQ(class_brush(L"jikfl").lbColor, 0x5F0000u);
}

TEST_F(FrameTest, WhiteDesignColoursByDefault) {
  ASSERT_TRUE(start());
  EXPECT_EQ(g_design_background, 0xFFFFFFu);
  EXPECT_EQ(g_design_comment_color, 0x005A00u);
  EXPECT_EQ(g_design_text_color, 0x000000u);
  EXPECT_EQ(class_brush(L"massfl").lbColor, 0xFFFFFFu);
  EXPECT_EQ(class_brush(L"motofl").lbColor, 0xF5FFF0u);
}

TEST_F(FrameTest, SettingsFileMovesTheFrameAndTheLayoutFollows) {
  write_file_bytes(folder_->file(L"file.ini"),
                   "iDirectory C:\\A.MBS\r\n[SETUF] 1 1 1 1 11 Courier 0 125 0 100 50 700 500\r\n[RS232C] 1\r\n"
                   "[ROMWRT] \r\n");
  ASSERT_TRUE(start());
  RECT frame;
  GetWindowRect(frame_, &frame);
  EXPECT_EQ(frame.left, 100);
  EXPECT_EQ(frame.top, 50);
  EXPECT_EQ(frame.right - frame.left, 700);
  EXPECT_EQ(frame.bottom - frame.top, 500);
  expect_layout_follows_client(frame_);
}

TEST_F(FrameTest, ARectangleOnNoScreenLeavesTheFrameOverTheWorkArea) {
  write_file_bytes(folder_->file(L"file.ini"),
                   "iDirectory C:\\A.MBS\r\n[SETUF] 1 1 1 1 11 Courier 0 125 0 -32000 -32000 160 28\r\n[RS232C] 1\r\n"
                   "[ROMWRT] \r\n");
  ASSERT_TRUE(start());
  RECT work, frame;
  SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
  GetWindowRect(frame_, &frame);
  EXPECT_EQ(frame.left, work.left);
  EXPECT_EQ(frame.right, work.right);
}

TEST_F(FrameTest, NarrowFrameStillGetsSevenStatusParts) {
  ASSERT_TRUE(start());
  MoveWindow(frame_, 0, 0, 300, 300, TRUE);
  pump_messages();
  expect_layout_follows_client(frame_);
}

TEST_F(FrameTest, MenuHelpShowsTheCommandsStringAndABlankForAPopup) {
  ASSERT_TRUE(start());
  SendMessageW(frame_, WM_MENUSELECT, MAKEWPARAM(CMD_OPEN_DESIGN, MF_HILITE), reinterpret_cast<LPARAM>(g_main_window_menu));
  EXPECT_TRUE(SendMessageW(g_status_bar, SB_ISSIMPLE, 0, 0));
  wchar_t help[256] = L"";
  ASSERT_GT(LoadStringW(g_instance, CMD_OPEN_DESIGN, help, 256), 0);
  // In its single-pane mode the bar answers every part with the single pane's text.
  EXPECT_EQ(status_text(0), help);

  SendMessageW(frame_, WM_MENUSELECT, MAKEWPARAM(0, MF_POPUP | MF_HILITE), reinterpret_cast<LPARAM>(g_main_menu));
  EXPECT_EQ(status_text(0), L" ");

  // The menu closes: the parts come back.
  SendMessageW(frame_, WM_MENUSELECT, MAKEWPARAM(0, 0xFFFF), 0);
  EXPECT_FALSE(SendMessageW(g_status_bar, SB_ISSIMPLE, 0, 0));
  EXPECT_EQ(status_text(0), L"Ready");
}

TEST_F(FrameTest, MeasureItemGivesHeight22) {
  ASSERT_TRUE(start());
  MEASUREITEMSTRUCT item{};
  item.CtlType = ODT_MENU;
  item.itemID = static_cast<UINT>(-1);
  EXPECT_EQ(SendMessageW(frame_, WM_MEASUREITEM, 0, reinterpret_cast<LPARAM>(&item)), TRUE);
  EXPECT_EQ(item.itemHeight, 22u);
  item.itemID = CMD_EXIT;
  item.itemHeight = 0;
  SendMessageW(frame_, WM_MEASUREITEM, 0, reinterpret_cast<LPARAM>(&item));
  EXPECT_EQ(item.itemHeight, 22u);
}

}  // namespace
