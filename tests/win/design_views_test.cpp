// The window side of the view geometry on real windows: the scroll bar after WM_SIZE and
// scrolling, and CMD_SYNC_VIEW, scroll ranges and cursors among the design views of a list.
#include "target/windows_api.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "design/undo_ring.h"
#include "design/undo_ring_win.h"
#include "design/view_geometry_win.h"
#include "shell/command_ids.h"
#include "shell/command_routing_win.h"
#include "shell/window_lists_win.h"

namespace {

// A stand-in for the design window: it keeps a grid and a ViewState in its extra bytes and
// answers the geometry messages as a design window does.
struct TestView {
  LadderGrid grid = make_ladder_grid(MAX_GRID_ROWS);
  ViewState view{};
  std::vector<LPARAM> syncs;
};

LRESULT CALLBACK view_proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  auto* self = reinterpret_cast<TestView*>(GetWindowLongPtrW(window, CHILD_EXTRA_DOCUMENT));
  if (self != nullptr) {
    switch (message) {
      case WM_SIZE:
        design_view_size(window, self->view, self->grid, LOWORD(lparam), HIWORD(lparam));
        break;
      case WM_VSCROLL: return design_view_vscroll(window, self->view, LOWORD(wparam), static_cast<short>(HIWORD(wparam)));
      case WM_MOUSEWHEEL: return design_view_wheel(window, self->view, GET_WHEEL_DELTA_WPARAM(wparam));
      case WM_COMMAND:
        if (LOWORD(wparam) == CMD_SYNC_VIEW) {
          self->syncs.push_back(lparam);
          repaint_synced_cells(window, self->view, lparam);
        }
        break;
      default: break;
    }
  }
  return DefWindowProcW(window, message, wparam, lparam);
}

class DesignViews : public ::testing::Test {
 protected:
  void SetUp() override {
    saved_list = g_design_windows;
    WNDCLASSW wc{};
    wc.lpfnWndProc = view_proc;
    wc.cbWndExtra = 3 * CHILD_EXTRA_SLOT;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = L"TavolinTestView";
    RegisterClassW(&wc);
    wc.lpfnWndProc = DefWindowProcW;
    wc.cbWndExtra = 0;
    wc.lpszClassName = L"TavolinTestClient";
    RegisterClassW(&wc);
    // The client stands for the MDI client: 1300 x 1060, rows of 90 pixels.
    RECT outer{0, 0, 1300, 1060};
    AdjustWindowRect(&outer, WS_POPUP, FALSE);
    client = CreateWindowExW(0, L"TavolinTestClient", L"", WS_POPUP | WS_VISIBLE, 0, 0, outer.right - outer.left,
                             outer.bottom - outer.top, nullptr, nullptr, wc.hInstance, nullptr);
    ASSERT_NE(client, nullptr);
  }
  void TearDown() override {
    DestroyWindow(client);
    views.clear();
    UnregisterClassW(L"TavolinTestView", GetModuleHandleW(nullptr));
    UnregisterClassW(L"TavolinTestClient", GetModuleHandleW(nullptr));
    g_design_windows = saved_list;
  }
  // A view of the file `file` (0 the main file), 1300 x 530 with a scroll bar, END at row 200.
  HWND add_view(int file) {
    auto view = std::make_unique<TestView>();
    init_view_state(view->view, 0);
    view->view.view_id = file << 4;
    view->grid[200].cell[OUTPUT_COLUMN].word[0] = CellWord::END_OUTPUT;
    HWND window = CreateWindowExW(0, L"TavolinTestView", L"", WS_CHILD | WS_VISIBLE | WS_VSCROLL, 0, 0,
                                  1300 + GetSystemMetrics(SM_CXVSCROLL), 530,
                                  client, nullptr, GetModuleHandleW(nullptr), nullptr);
    SetWindowLongPtrW(window, CHILD_EXTRA_DOCUMENT, reinterpret_cast<LONG_PTR>(view.get()));
    SetWindowLongPtrW(window, CHILD_EXTRA_VIEW_STATE, reinterpret_cast<LONG_PTR>(&view->view));
    RECT rect;
    GetClientRect(window, &rect);
    SendMessageW(window, WM_SIZE, SIZE_RESTORED, MAKELPARAM(rect.right, rect.bottom));
    const size_t slot = views.size();
    g_design_windows[slot] = as_window_handle(window);
    g_design_windows[slot + 1] = WINDOW_LIST_END;
    views.push_back(std::move(view));
    return window;
  }
  TestView& of(size_t i) { return *views[i]; }

  WindowList saved_list{};
  HWND client{};
  std::vector<std::unique_ptr<TestView>> views;
};

int scroll_pos(HWND window) { return GetScrollPos(window, SB_VERT); }
int scroll_max(HWND window) {
  int low = -1, high = -1;
  GetScrollRange(window, SB_VERT, &low, &high);
  return low == 0 ? high : -1;
}

TEST_F(DesignViews, SizeSetsTheScrollRangeAndScrollingMovesTheThumb) {
  HWND w = add_view(0);
  ViewState& v = of(0).view;
  EXPECT_EQ(v.row_height, 90);
  EXPECT_EQ(v.scroll_max, 191);  // END row 200 and one more at the bottom of 1000/90 = 11 rows
  EXPECT_EQ(scroll_max(w), 191);
  RECT rect;
  GetClientRect(w, &rect);
  EXPECT_EQ(g_design_client_height, rect.bottom);

  struct Step {
    UINT message;
    WPARAM wparam;
    int top_row;
  };
  const int page = rect.bottom / 90;
  const Step steps[] = {
      {WM_VSCROLL, SB_PAGEDOWN, page},
      {WM_VSCROLL, SB_LINEDOWN, page + 1},
      {WM_MOUSEWHEEL, MAKEWPARAM(0, static_cast<WORD>(-120)), page + 2},
      {WM_MOUSEWHEEL, MAKEWPARAM(0, 120), page + 1},
      {WM_VSCROLL, MAKEWPARAM(SB_THUMBTRACK, 150), 150},
      {WM_VSCROLL, SB_BOTTOM, 191},
      {WM_MOUSEWHEEL, MAKEWPARAM(0, static_cast<WORD>(-120)), 191},
      {WM_VSCROLL, SB_PAGEDOWN, 191},
      {WM_VSCROLL, SB_TOP, 0},
  };
  for (const Step& s : steps) {
    SCOPED_TRACE(s.top_row);
    EXPECT_EQ(SendMessageW(w, s.message, s.wparam, 0), 0);
    EXPECT_EQ(v.top_row, s.top_row);
    EXPECT_EQ(scroll_pos(w), s.top_row);
  }
}

TEST_F(DesignViews, SyncNoticesGoToTheShownViewsOfTheMainFile) {
  HWND first = add_view(0);
  HWND second = add_view(0);
  add_view(1);
  broadcast_cell_update(first, 12, 3, 1, 2, false);
  EXPECT_TRUE(of(0).syncs.empty());
  EXPECT_EQ(of(1).syncs, (std::vector<LPARAM>{0x0132000C}));
  EXPECT_TRUE(of(2).syncs.empty());
  broadcast_cell_update(first, 0, 0, SYNC_WHOLE_VIEW, 0, true);
  EXPECT_EQ(of(0).syncs.size(), 1u);
  EXPECT_EQ(of(1).syncs.size(), 2u);
  EXPECT_TRUE(of(2).syncs.empty());

  // The receiver invalidates just the named cells.
  ValidateRect(second, nullptr);
  SendMessageW(second, WM_COMMAND, CMD_SYNC_VIEW, static_cast<LPARAM>(pack_sync_view(3, 3, 1, 2)));
  RECT update{};
  ASSERT_TRUE(GetUpdateRect(second, &update, FALSE));
  EXPECT_EQ(to_pixel_rect(update), (PixelRect{400, 312, 700, 492}));
}

TEST_F(DesignViews, ScrollRangesSearchHitsAndCursorsReachTheOtherViews) {
  HWND first = add_view(0);
  HWND second = add_view(0);
  HWND other_file = add_view(1);
  of(0).view.scroll_max = 250;
  sync_scroll_range(first, of(0).view);
  EXPECT_EQ(of(1).view.scroll_max, 250);
  EXPECT_EQ(scroll_max(second), 250);
  EXPECT_EQ(of(2).view.scroll_max, 191);  // another file keeps its range

  of(1).view.top_row = 10;
  of(2).view.top_row = 10;
  EXPECT_EQ(resync_design_view_scrollbars(first, 5, 1), &of(0).view);
  EXPECT_EQ(of(1).view.top_row, 11);
  EXPECT_EQ(of(1).view.scroll_max, 251);
  EXPECT_EQ(scroll_pos(second), 11);
  EXPECT_EQ(of(2).view.top_row, 10);  // rows of another file did not move
  EXPECT_EQ(scroll_pos(other_file), 0);
  resync_design_view_scrollbars(first, 20, 0);  // below the top row: nothing moves
  EXPECT_EQ(of(1).view.top_row, 11);

  of(0).view.hit_rows[0] = 7;
  of(0).view.hit_cols[0] = 2;
  of(0).view.hit_rows[1] = HIT_LIST_END;
  sync_search_hits(first, of(0).view);
  EXPECT_EQ(of(2).view.hit_rows[0], 7);
  EXPECT_EQ(of(2).view.hit_rows[1], HIT_LIST_END);

  of(1).view.sel_col = 4;
  of(2).view.sel_col = 5;
  of(0).view.sel_col = 6;
  clear_other_cursors(first);
  EXPECT_EQ(of(0).view.sel_col, 6);
  EXPECT_EQ(of(1).view.sel_col, NO_SELECTION);
  EXPECT_EQ(of(2).view.sel_col, NO_SELECTION);

  HWND two[2]{};
  EXPECT_EQ(pick_two_visible_windows(g_design_windows, two), 3);
  ShowWindow(other_file, SW_MINIMIZE);
  EXPECT_EQ(pick_two_visible_windows(g_design_windows, two), 2);
  EXPECT_EQ(two[0], first);
  EXPECT_EQ(two[1], second);
}

TEST_F(DesignViews, AClickFindsItsCellAndTheSpanIsInvalidated) {
  HWND w = add_view(0);
  TestView& t = of(0);
  t.grid[2].cell[3].word[0] = CellWord::CONTACT_BASE | PartCode::RELAY_A << 4;
  ASSERT_TRUE(hit_test_grid_cell(w, t.view, MAKELPARAM(450, 45 + 2 * 90 + 10)));
  EXPECT_EQ(t.view.cursor_col, 3);
  EXPECT_EQ(t.view.cursor_row, 2);
  ValidateRect(w, nullptr);
  EXPECT_EQ(show_cursor_span(w, t.grid, t.view), 0);
  RECT update{};
  ASSERT_TRUE(GetUpdateRect(w, &update, FALSE));
  EXPECT_EQ(to_pixel_rect(update), (PixelRect{400, 207, 500, 319}));
  ValidateRect(w, nullptr);
  erase_cursor_span(w, t.view);
  EXPECT_EQ(t.view.sel_col, NO_SELECTION);
  ASSERT_TRUE(GetUpdateRect(w, &update, FALSE));
  EXPECT_EQ(to_pixel_rect(update), (PixelRect{400, 207, 500, 333}));
}

TEST_F(DesignViews, UndoInTheMainWindowRestoresTheGridAndItsScrollRange) {
  HWND main = add_view(0);
  HWND further = add_view(1);
  HWND second = add_view(0);
  of(1).view.window_index = 1;
  of(2).view.window_index = 2;
  LadderGrid& grid = of(0).grid;
  make_end_mark_row(grid[201]);
  reset_design_undo();
  push_design_undo(grid);
  // The edit: the END row moves down to row 300.
  grid[200] = LadderRow{};
  grid[300].cell[OUTPUT_COLUMN].word[0] = CellWord::END_OUTPUT;
  make_end_mark_row(grid[301]);
  push_design_undo(grid);
  RECT rect;
  GetClientRect(main, &rect);
  SendMessageW(main, WM_SIZE, SIZE_RESTORED, MAKELPARAM(rect.right, rect.bottom));
  EXPECT_EQ(scroll_max(main), 291);

  EXPECT_EQ(design_undo_command(further, of(1).grid, false), -1);  // not the main window
  EXPECT_EQ(design_undo_command(second, of(2).grid, false), -1);
  EXPECT_EQ(of(2).grid[300].cell[OUTPUT_COLUMN].word[0], 0u);
  EXPECT_EQ(design_undo_command(main, grid, false), 0);
  EXPECT_EQ(scroll_max(main), 191);
  EXPECT_EQ(of(2).syncs, (std::vector<LPARAM>{static_cast<LPARAM>(0xFE000000)}));
  EXPECT_TRUE(of(1).syncs.empty());
  EXPECT_EQ(design_undo_command(main, grid, false), -1);  // nothing further back
  EXPECT_EQ(design_undo_command(main, grid, true), 0);
  EXPECT_EQ(scroll_max(main), 291);
  release_design_undo();
}

}  // namespace
