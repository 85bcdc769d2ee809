// The design window's paint on the real frame: it runs over every part code without
// leaking GDI objects and puts its rails and pictures on the screen; and pictures of the
// design screen for a person to look at (build/screenshots/design_*.png).
#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "design/design_paint_win.h"
#include "design/design_window_win.h"
#include "design/element_pictures_win.h"
#include "design/view_geometry_win.h"
#include "shell/command_ids.h"
#include "frame/frame_commands_win.h"
#include "frame/frame_win.h"
#include "shell/settings_file.h"
#include "shell/text_win.h"
#include "shell/window_lists_win.h"
#include "support/ladder_text.h"
#include "win/design_fixtures.h"
#include "win/rig_helper.h"

namespace {

void comment(LadderGrid& grid, int row, int column, const char* text) {
  grid[row].cell[column].word[0] |= CellFlags::HAS_COMMENT;
  std::snprintf(grid[row].text[column], CELL_TEXT_SIZE, "%s", text);
}

// A design with every part code, a box, a comparison, a text row, a row label with its
// comment, a U mark, comment rows and device comments.
LadderGrid every_part_design() {
  LadderGrid grid = ladder_from_text(
      {
          "; すべての部品：接点、コイル、タイマー、カウンター、箱、比較、継続、ラベル",
          "X0 /X1 X2#3 X3#4 X4#5 X5#6 ~ (Y0)",
          "Y0 ^",
          "M0 - - ~ (T0 K100)",
          "T0 X6#15 ~ (C1 K5)",
          "{= D0 K5} ~ (>7)",
          ">7 D3 ~ (Y1)",
          "X7 ~ [MOV K4M0 D1]",
          "X10 ~ [DMOVP H1F D2]",
          "P5: X11 ~ (Y2)",
          "@3X12 ~ (M100)",
          "X13 ~ [ASM] | MOVLW 0x10/MOVWF PORTB/このテキスト行は長いので七十文字を超えたところの斜線で折り返されます/NOP/NOP",
          "; 最後のコメント行",
      },
      {.grid_rows = MAX_GRID_ROWS});
  comment(grid, 1, 0, "始動\nボタン\n");
  comment(grid, 1, 1, "停止\n");
  comment(grid, 1, 11, "モータ\n");
  comment(grid, 3, 11, "遅延\n");
  comment(grid, 9, LABEL_COLUMN, "ラベル 説明 です");
  return grid;
}

// The program started with file.ini giving the option bits (colour scheme, picture set).
class DesignScreen : public ProgramTest {
 protected:
  void start_with_options(int options) {
    write_file_bytes(folder_->file(L"file.ini"), "iDirectory " + narrow(folder_->path()) +
                                                     "\\X.MBS\r\n[SETUF] 0 0 0 0 " + hex(options) +
                                                     " Courier 0 125 0 0 0 1280 1000\r\n[RS232C] 1\r\n[ROMWRT] \r\n");
    install_frame_slots();
    ASSERT_NE(start(), nullptr);
    GetClientRect(frame_, &g_client_rect);
  }
  void TearDown() override {
    ProgramTest::TearDown();
  }
  static std::string narrow(const std::wstring& wide) {
    std::string out;
    wide_to_cp932(wide, out);
    return out;
  }
  static std::string hex(int v) {
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "%x", v);
    return buffer;
  }
  HWND open_design(const std::wstring& name, LadderGrid grid) {
    const std::wstring path = folder_->file(name);
    EXPECT_TRUE(write_design_grid(path, grid));
    dialogs_->choose(narrow(path));
    SendMessageW(frame_, WM_COMMAND, CMD_OPEN_DESIGN, 0);
    pump_messages();
    HWND window = as_hwnd(g_design_windows[0]);
    SendMessageW(window, WM_COMMAND, CMD_FIT_WINDOW, 0);
    UpdateWindow(window);
    pump_messages();
    return window;
  }
  HWND open_sample(const char* name) {
    const std::string path = std::string(TAVOLIN_SOURCE_DIR) + "/resources/samples/" + name;
    dialogs_->choose(path);
    SendMessageW(frame_, WM_COMMAND, CMD_OPEN_DESIGN, 0);
    pump_messages();
    HWND window = as_hwnd(g_design_windows[0]);
    if (window != nullptr) SendMessageW(window, WM_COMMAND, CMD_FIT_WINDOW, 0);
    pump_messages();
    return window;
  }
};

TEST_F(DesignScreen, PaintRunsOverEveryPartWithoutLeakingAndDrawsTheRails) {
  start_with_options(0x11);
  HWND window = open_design(L"ALL.MBS", every_part_design());
  ASSERT_NE(window, nullptr);
  const ViewState* view = view_state_of(window);
  ASSERT_NE(view, nullptr);
  ASSERT_GT(view->cell_width, 0);

  const DWORD before = GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS);
  for (int i = 0; i < 5; ++i) {
    InvalidateRect(window, nullptr, TRUE);
    UpdateWindow(window);
  }
  const DWORD after = GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS);
  EXPECT_LE(after, before + 2);

  // Painted into a bitmap of the window's size: the left rail is black, and the
  // first contact's picture puts the pen colour into its cell.
  RECT client{};
  GetClientRect(window, &client);
  HDC screen = GetDC(window);
  HDC dc = CreateCompatibleDC(screen);
  HBITMAP bitmap = CreateCompatibleBitmap(screen, client.right, client.bottom);
  HGDIOBJ old = SelectObject(dc, bitmap);
  FillRect(dc, &client, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
  const DisplayList list =
      build_design_display_list(design_paint_inputs(window, *view, *design_grid_of(window), client));
  play_display_list(dc, list, *view, client);
  EXPECT_EQ(GetPixel(dc, view->left_rail_x, client.bottom / 2), RGB(0, 0, 0));
  int inked = 0;
  const int y0 = view->top_margin + view->row_height;  // row 1: the contacts
  for (int x = view->left_rail_x; x < view->left_rail_x + view->cell_width; ++x)
    for (int y = y0; y < y0 + view->part_height; ++y)
      if (GetPixel(dc, x, y) != RGB(255, 255, 255)) ++inked;
  EXPECT_GT(inked, 10);
  SelectObject(dc, old);
  DeleteObject(bitmap);
  DeleteDC(dc);
  ReleaseDC(window, screen);
  EXPECT_EQ(g_program_row_count, count_program_rows(*design_grid_of(window)));
}

struct Look {
  int options;
  const char* name;
};

class DesignLooks : public DesignScreen, public ::testing::WithParamInterface<Look> {};

TEST_P(DesignLooks, EveryPartInBothSchemesAndPictureSets) {
  start_with_options(GetParam().options);
  HWND window = open_design(L"ALL.MBS", every_part_design());
  ASSERT_NE(window, nullptr);
  ViewState* view = view_state_of(window);
  view->sel_col = 1;
  view->sel_row = 1;
  view->sel_width = 0;
  InvalidateRect(window, nullptr, TRUE);
  UpdateWindow(window);
  pump_messages();
  EXPECT_FALSE(save_screenshot(GetParam().name).empty());
}

INSTANTIATE_TEST_SUITE_P(Screens, DesignLooks,
                         ::testing::Values(Look{0x11, "design_every_part_white"}, Look{0x10, "design_every_part_dark"},
                                           Look{0x15, "design_every_part_white_bold"},
                                           Look{0x14, "design_every_part_dark_bold"}));

TEST_F(DesignScreen, TheSampleDesigns) {
  start_with_options(0x11);
  for (const char* name : {"SAMPLE1.MBS", "SINGOU1.MBS"}) {
    HWND window = open_sample(name);
    ASSERT_NE(window, nullptr) << name;
    UpdateWindow(window);
    pump_messages();
    EXPECT_FALSE(save_screenshot(std::string("design_sample_") + name).empty());
    SendMessageW(window, WM_CLOSE, 0, 0);
    pump_messages();
  }
}

TEST_F(DesignScreen, ALongDesignScrolledToItsEnd) {
  start_with_options(0x11);
  std::vector<std::string> rows;
  for (int i = 0; i < 5990; ++i) rows.push_back(i % 50 == 0 ? "; 50行ごとのコメント行" : "X0 X1 ~ (Y0)");
  HWND window = open_design(L"LONG.MBS", ladder_from_text(rows, {.grid_rows = MAX_GRID_ROWS}));
  ASSERT_NE(window, nullptr);
  SendMessageW(window, WM_VSCROLL, SB_BOTTOM, 0);
  UpdateWindow(window);
  pump_messages();
  const ViewState* view = view_state_of(window);
  EXPECT_EQ(view->top_row, view->scroll_max);
  EXPECT_GT(view->top_row, 5900);
  EXPECT_FALSE(save_screenshot("design_long_end").empty());
}

}  // namespace
