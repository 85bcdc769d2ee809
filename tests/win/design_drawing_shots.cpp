// Pictures for a person to look at: a rung drawn with the mouse and the keys, and the
// design window's three popup menus (range, blank line, comment), opened for real by the
// right button. Not a test: scripts/screenshot.sh --shots runs this program; a timer takes
// each picture inside the menu loop and closes the menu.
#include "win/design_drawing_fixture.h"

#include <cstdio>

namespace {

using design_drawing::DesignDrawing;

// Pictures of the drawn rung and of the three popup menus, the real menus opened by the
// right button; a timer takes the picture inside the menu loop and closes the menu.
std::string g_popup_shot_name;
std::string g_popup_png;
void CALLBACK shoot_popup(HWND, UINT, UINT_PTR timer, DWORD) {
  KillTimer(nullptr, timer);
  g_popup_png = save_screenshot(g_popup_shot_name);
  EndMenu();
}

TEST_F(DesignDrawing, PicturesOfTheDrawnRungAndThePopupMenus) {
  draw_rung();
  set_devices();
  use_tool(0);
  click(2, 0);
  key(VK_SPACE);
  InvalidateRect(window, nullptr, TRUE);
  UpdateWindow(window);
  pump_messages();
  EXPECT_FALSE(save_screenshot("design_drawn_rung").empty());

  set_popup_menu_handler({});
  (*grid)[0].cell[0].word[0] |= CellFlags::HAS_COMMENT;
  std::snprintf((*grid)[0].text[0], CELL_TEXT_SIZE, "%s", "起動スイッチ");
  struct Shot {
    int mode;
    const char* name;
  };
  for (Shot shot : {Shot{CMD_RANGE_MODE, "design_popup_range"}, Shot{CMD_BLANK_LINE_MODE, "design_popup_blank_line"},
                    Shot{CMD_COMMENT, "design_popup_comment"}}) {
    use_tool(shot.mode);
    g_popup_toggle = 0;
    POINT at{LOWORD(cell_position(0, 0)), HIWORD(cell_position(0, 0))};
    ClientToScreen(window, &at);
    SetCursorPos(at.x, at.y);
    g_popup_shot_name = shot.name;
    g_popup_png.clear();
    SetTimer(nullptr, 0, 500, shoot_popup);
    right_click(0, 0);
    EXPECT_FALSE(g_popup_png.empty()) << shot.name;
  }
  use_tool(0);
}

}  // namespace
