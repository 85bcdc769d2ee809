#include "design/undo_ring_win.h"

#include "design/undo_ring.h"
#include "design/view_geometry_win.h"

int design_undo_command(HWND window, GridSpan grid, bool redo) {
  const ViewState* view = view_state_of(window);
  if (view == nullptr || view->window_index != 0 || view_file_number(*view) != 0) return -1;
  const int result = redo ? redo_design(grid) : undo_design(grid);
  if (result != 0) return result;
  RECT rect{};
  GetClientRect(window, &rect);
  SendMessageW(window, WM_SIZE, SIZE_RESTORED, MAKELPARAM(rect.right, rect.bottom));
  InvalidateRect(window, nullptr, TRUE);
  broadcast_cell_update(window, 0, 0, SYNC_WHOLE_VIEW, 0, false);
  return 0;
}
