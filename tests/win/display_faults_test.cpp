// What the design screen shows, read back from the glass: the pixels the design window
// painted (its client area copied from the screen), the rectangles of the dialogs placed near
// a cell, and the status bar's parts. Each case is a fault once seen on the screen: a stray
// glyph after a freshly typed comment, the second line of an output comment lost to a
// repaint of the row below, a dialog opened partly off the screen, the last status part cut
// by the size grip.
#include "win/display_faults_fixture.h"

#include <algorithm>
#include <cwchar>
#include <string>
#include <vector>

#include "design/function_picker.h"
#include "shell/status_parts.h"

using display_faults::DisplayFaults;
using display_faults::Glass;
using display_faults::count_ink;
using display_faults::rightmost_ink;
using display_faults::row_holding;
using bars_test::narrow;

namespace {

// A comment typed on a contact in column 0 whose row below holds a part is shown by its
// first word only, on one line; nothing of it may be painted past that word (the comment
// is kept with a line feed after each line, and a line feed drawn on one line is a glyph).
TEST_F(DisplayFaults, FreshCommentAboveAPartPaintsNothingPastItsFirstWord) {
  open_sample1();
  struct Case {
    uint32_t device;  // the contact in column 0
    const char* typed;
    const char* shown;
  };
  const Case cases[] = {
      {make_device_operand(Device::X, 0), "始動", "始動"},        // Y00 below it
      {make_device_operand(Device::X, 0), "始動 ボタン", "始動"},  // a second word is not shown
      {make_device_operand(Device::Y, 0), "モータ", "モータ"},    // a comment row below it
  };
  for (const Case& c : cases) {
    const int row = row_holding(*grid, 0, c.device);
    ASSERT_GE(row, 0);
    type_comment(row, 0, c.typed);
    EXPECT_EQ(comment_items(row, 0), std::vector<std::string>{c.shown}) << c.typed;
    const Glass glass(window);
    const RECT band = comment_rect(row, 0);
    const int right = rightmost_ink(glass, band);
    const int width = comment_text_width(c.shown);
    EXPECT_GT(right, band.left + width / 2) << c.typed << ": the comment is not on the glass";
    EXPECT_LE(right, band.left + width) << c.typed << ": ink past the comment's last character";
  }
  save_screenshot("display_fault_fresh_comment");
}

}  // namespace

namespace {

// Sample 1's lamp Y01 has the two-line comment "運転 / ランプ"; its second line reaches into
// the row below, where an output in the output column draws nothing (its device name sits in
// the middle of the picture band). The second line is painted whatever stands below, and a
// repaint of the row below paints it again.
TEST_F(DisplayFaults, OutputCommentKeepsItsSecondLineWhenTheRowBelowIsRepainted) {
  open_sample1();
  const int lamp = row_holding(*grid, OUTPUT_COLUMN, make_device_operand(Device::Y, 1));
  ASSERT_GE(lamp, 0);
  ASSERT_TRUE(is_end_row((*grid)[static_cast<size_t>(lamp + 1)]));

  // The band of the comment's second line: below its first line, inside its rectangle.
  RECT client{};
  GetClientRect(window, &client);
  HDC dc = GetDC(window);
  HFONT font = create_cell_font(dc, *view, "ＭＳゴシック", 120, 10, FW_NORMAL, SHIFTJIS_CHARSET, client);
  HGDIOBJ old = SelectObject(dc, font);
  TEXTMETRICW metrics{};
  GetTextMetricsW(dc, &metrics);
  SelectObject(dc, old);
  DeleteObject(font);
  ReleaseDC(window, dc);
  auto second_line = [&] {
    RECT r = comment_rect(lamp, OUTPUT_COLUMN);
    r.top += metrics.tmHeight;
    r.bottom = std::min<LONG>(r.bottom, r.top + metrics.tmHeight);
    return r;
  };
  auto repaint_row_below = [&] {
    // The row below repainted, as the view-sync notice of an edit there asks, then its band.
    SendMessageW(window, WM_COMMAND, CMD_SYNC_VIEW, static_cast<LPARAM>((lamp + 1) | 11 << 16));
    UpdateWindow(window);
    pump_messages();
  };

  // Above END's box only the first word shows, after any repaint.
  ASSERT_EQ(comment_items(lamp, OUTPUT_COLUMN), std::vector<std::string>{"運転"});
  repaint();
  EXPECT_EQ(count_ink(Glass(window), second_line()), 0) << "above END";

  // Blank rows opened before END: nothing stands below, and the second line shows and stays
  // through every repaint of the row below.
  command(CMD_BLANK_OPEN);
  const LPARAM margin = MAKELPARAM(view->left_rail_x / 2, row_top(lamp + 1) + 2);
  SendMessageW(window, WM_LBUTTONDOWN, MK_LBUTTON, margin);
  SendMessageW(window, WM_LBUTTONUP, 0, margin);
  command(CMD_BLANK_LINE_MODE);
  pump_messages();
  ASSERT_FALSE(is_end_row((*grid)[static_cast<size_t>(lamp + 1)])) << "no blank row was opened";
  const std::vector<std::string> items = comment_items(lamp, OUTPUT_COLUMN);
  ASSERT_EQ(items.size(), 1u);
  EXPECT_NE(items[0].find("ランプ"), std::string::npos) << "the list paints [" << items[0] << "]";
  const int whole = count_ink(Glass(window), second_line());
  EXPECT_GT(whole, 10) << "no second line above the blank rows";
  repaint_row_below();
  EXPECT_EQ(count_ink(Glass(window), second_line()), whole) << "after a repaint of the row below";
  repaint_band(row_top(lamp + 1), row_top(lamp + 2));
  EXPECT_EQ(count_ink(Glass(window), second_line()), whole) << "after a repaint of its band";

  // A rung drawn into the row below puts a coil under the comment: from then on only the
  // first word shows, and nothing of the second line is left on the glass by the edit.
  draw_rung(lamp + 1);
  ASSERT_EQ(row_output_code((*grid)[static_cast<size_t>(lamp + 1)]), static_cast<uint32_t>(Instr::OUT));
  EXPECT_EQ(comment_items(lamp, OUTPUT_COLUMN), std::vector<std::string>{"運転"});
  EXPECT_EQ(count_ink(Glass(window), second_line()), 0) << "the edit below left the second line on the glass";
  repaint_row_below();
  EXPECT_EQ(count_ink(Glass(window), second_line()), 0) << "after a repaint of the row below";
  save_screenshot("display_fault_output_comment");
}

}  // namespace

namespace {

void expect_on_screen(HWND dialog, const char* what) {
  ASSERT_NE(dialog, nullptr) << what << ": no dialog";
  RECT r{};
  GetWindowRect(dialog, &r);
  RECT work{};
  SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
  EXPECT_TRUE(r.left >= work.left && r.top >= work.top && r.right <= work.right && r.bottom <= work.bottom)
      << what << ": the dialog stands at " << r.left << "," << r.top << " - " << r.right << "," << r.bottom
      << ", the work area is " << work.left << "," << work.top << " - " << work.right << "," << work.bottom;
}

// The comment dialog reopens 25 pixels left of and 17 above the place it was closed, and
// the dialogs that open at their template's place stand where the frame's client area puts
// them: wherever that would be, a dialog opens wholly inside the work area.
TEST_F(DisplayFaults, DialogsPlacedNearACellOpenWhollyOnTheScreen) {
  open_sample1();
  const int motor = row_holding(*grid, OUTPUT_COLUMN, make_device_operand(Device::Y, 0));
  const int lamp = row_holding(*grid, OUTPUT_COLUMN, make_device_operand(Device::Y, 1));
  const int start = row_holding(*grid, 0, make_device_operand(Device::X, 0));
  ASSERT_GE(motor, 0);
  ASSERT_GE(lamp, 0);
  ASSERT_GE(start, 0);

  // Comments written on one device after another, the coils in column 11 among them.
  struct Cell {
    int row, col;
  };
  const Cell cells[] = {{start, 0}, {motor, OUTPUT_COLUMN}, {lamp, OUTPUT_COLUMN}, {start, 1},
                        {motor, OUTPUT_COLUMN}, {lamp, OUTPUT_COLUMN}, {lamp, OUTPUT_COLUMN}};
  int n = 0;
  for (const Cell& c : cells) {
    use_tool(CMD_COMMENT);
    click(c.row, c.col);
    const std::string what = "comment dialog, opening " + std::to_string(++n) + " (column " + std::to_string(c.col) + ")";
    expect_on_screen(slot0(), what.c_str());
    if (n == 3) save_screenshot("display_fault_comment_dialog_third");
    if (HWND dialog = slot0()) press(dialog, IDCANCEL);
  }
  use_tool(0);

  // The frame moved partly off the screen to the left and the top: the dialogs that open at
  // their template's place.
  RECT frame_rect{};
  GetWindowRect(frame, &frame_rect);
  const int w = frame_rect.right - frame_rect.left, h = frame_rect.bottom - frame_rect.top;
  MoveWindow(frame, -260, -120, w, h, TRUE);
  pump_messages();
  use_tool(CMD_SET_NUMBER);
  click(lamp, OUTPUT_COLUMN);
  expect_on_screen(slot0(), "number dialog on a coil");
  use_tool(CMD_COMMENT);
  click(lamp, OUTPUT_COLUMN);
  expect_on_screen(slot0(), "comment dialog after the frame moved");
  use_tool(CMD_TOOL_FUNCTION);
  click(lamp, OUTPUT_COLUMN);
  expect_on_screen(slot0(), "function picker");
  use_tool(0);
  click(start, 0);
  command(CMD_SEARCH);
  pump_messages();
  expect_on_screen(slot0(), "search dialog");
  command(CMD_REPLACE);
  pump_messages();
  expect_on_screen(slot0(), "replace dialog");

  // The frame moved partly off to the right and the bottom: "v" parks a dialog in the MDI
  // client's bottom-right corner.
  MoveWindow(frame, 300, 200, w, h, TRUE);
  pump_messages();
  use_tool(CMD_SET_NUMBER);
  click(lamp, OUTPUT_COLUMN);
  HWND dialog = slot0();
  ASSERT_NE(dialog, nullptr);
  press(dialog, CommentDialogId::MOVE_DIALOG);
  expect_on_screen(dialog, "number dialog parked by its v button");
  use_tool(CMD_COMMENT);
  click(lamp, OUTPUT_COLUMN);
  dialog = slot0();
  ASSERT_NE(dialog, nullptr);
  press(dialog, CommentDialogId::MOVE_DIALOG);
  expect_on_screen(dialog, "comment dialog parked by its v button");
  use_tool(0);
  MoveWindow(frame, frame_rect.left, frame_rect.top, w, h, TRUE);
  pump_messages();
}

// The function picker drops its list of names down as it opens. Opened at the bottom of the
// screen (the frame moved down, the picker at its template's place, kept on the screen), the
// list must open above its box, where it has room, and not run off the screen below it; the
// same when the frame stands high and the list has room below.
TEST_F(DisplayFaults, FunctionPickersListOpensWhollyOnTheScreen) {
  open_sample1();
  const int lamp = row_holding(*grid, OUTPUT_COLUMN, make_device_operand(Device::Y, 1));
  ASSERT_GE(lamp, 0);
  RECT frame_rect{};
  GetWindowRect(frame, &frame_rect);
  const int w = frame_rect.right - frame_rect.left, h = frame_rect.bottom - frame_rect.top;
  RECT work{};
  SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
  struct Case {
    const char* what;
    int frame_top;
    int col;  // 3 to 6 put the picker beside the grid, the others leave it at its template's place
  };
  const Case cases[] = {
      {"frame at the top, column 0", work.top, 0},
      {"frame at the top, column 4", work.top, 4},
      {"frame near the bottom, column 0", work.bottom - 150, 0},
      {"frame near the bottom, column 8", work.bottom - 150, 8},
      {"frame at the bottom edge, column 0", work.bottom - 60, 0},
  };
  for (const Case& c : cases) {
    MoveWindow(frame, 100, c.frame_top, w, h, TRUE);
    pump_messages();
    use_tool(CMD_TOOL_FUNCTION);
    click(lamp + 1, c.col);
    // The list is placed again a little after the picker opens.
    for (int i = 0; i < 10; ++i) {
      Sleep(30);
      pump_messages();
    }
    HWND dialog = slot0();
    ASSERT_NE(dialog, nullptr) << c.what;
    HWND combo = GetDlgItem(dialog, FunctionDialogId::COMBO);
    COMBOBOXINFO info{};
    info.cbSize = sizeof info;
    ASSERT_TRUE(GetComboBoxInfo(combo, &info)) << c.what;
    ASSERT_NE(SendMessageW(combo, CB_GETDROPPEDSTATE, 0, 0), 0) << c.what << ": the list is not dropped";
    RECT list{}, box{};
    GetWindowRect(info.hwndList, &list);
    GetWindowRect(combo, &box);
    EXPECT_TRUE(list.left >= work.left && list.top >= work.top && list.right <= work.right && list.bottom <= work.bottom)
        << c.what << ": the list stands at " << list.left << "," << list.top << " - " << list.right << ","
        << list.bottom << ", the work area is " << work.left << "," << work.top << " - " << work.right << ","
        << work.bottom;
    EXPECT_TRUE(list.top == box.bottom || list.bottom == box.top)
        << c.what << ": the list (" << list.top << " - " << list.bottom << ") does not touch its box ("
        << box.top << " - " << box.bottom << ")";
    if (c.frame_top == work.bottom - 150 && c.col == 0) save_screenshot("display_fault_picker_list_at_the_bottom");
    press(dialog, IDCANCEL);
  }
  use_tool(0);
  MoveWindow(frame, frame_rect.left, frame_rect.top, w, h, TRUE);
  pump_messages();
}

// The status bar's parts for the sub-modes of the range and blank-line modes: each shows its
// text whole, the last one left of the size grip.
TEST_F(DisplayFaults, StatusPartsShowTheirTextsWhole) {
  open_sample1();
  HFONT font = reinterpret_cast<HFONT>(SendMessageW(g_status_bar, WM_GETFONT, 0, 0));
  HFONT made = nullptr;
  if (font == nullptr) {
    NONCLIENTMETRICSW metrics{};
    metrics.cbSize = sizeof metrics;
    SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0);
    font = made = CreateFontIndirectW(&metrics.lfStatusFont);
  }
  RECT bar{};
  GetClientRect(g_status_bar, &bar);
  const int grip = GetSystemMetrics(SM_CXVSCROLL);
  for (int mode : {CMD_BLANK_LINE_MODE, CMD_RANGE_MODE}) {
    command(mode);
    pump_messages();
    HDC dc = GetDC(g_status_bar);
    HGDIOBJ old = SelectObject(dc, font);
    int last_right = 0;
    for (int part = 1; part < STATUS_PART_COUNT; ++part) {
      wchar_t text[128] = L"";
      SendMessageW(g_status_bar, SB_GETTEXTW, static_cast<WPARAM>(part), reinterpret_cast<LPARAM>(text));
      RECT r{};
      SendMessageW(g_status_bar, SB_GETRECT, static_cast<WPARAM>(part), reinterpret_cast<LPARAM>(&r));
      if (text[0] == 0) continue;
      SIZE size{};
      GetTextExtentPoint32W(dc, text, static_cast<int>(wcslen(text)), &size);
      // The part's edge takes a pixel on each side, and its text starts 3 pixels in.
      EXPECT_LE(size.cx + 5, r.right - r.left) << "mode " << mode << ", part " << part << " \"" << narrow(text)
                                              << "\": " << size.cx << " pixels of text in a part of "
                                              << r.right - r.left;
      last_right = std::max<int>(last_right, r.right);
    }
    SelectObject(dc, old);
    ReleaseDC(g_status_bar, dc);
    EXPECT_LE(last_right, bar.right - grip) << "mode " << mode << ": the last part reaches under the size grip";
    command(mode);  // the mode off again
    pump_messages();
  }
  if (made != nullptr) DeleteObject(made);
  command(CMD_BLANK_LINE_MODE);
  pump_messages();
  save_screenshot("display_fault_status_parts");
  command(CMD_BLANK_LINE_MODE);
}

}  // namespace
