#include "design/undo_ring_win.h"

#include <algorithm>
#include <cstring>

#include "design/undo_ring.h"
#include "design/view_geometry_win.h"
#include "shell/compile_chain.h"

namespace {

// True when a row's texts (device and row comments) differ between the two grids, up to the
// end mark of either.
bool row_texts_differ(ConstGridSpan a, ConstGridSpan b) {
  const size_t rows = std::min(a.size(), b.size());
  for (size_t r = 0; r < rows; ++r) {
    if (std::memcmp(a[r].text, b[r].text, sizeof a[r].text) != 0) return true;
    if (a[r].cell[0].word[0] == END_MARK_CELL && b[r].cell[0].word[0] == END_MARK_CELL) break;
  }
  return false;
}

}  // namespace

int design_undo_command(HWND window, GridSpan grid, bool redo) {
  const ViewState* view = view_state_of(window);
  if (view == nullptr || view->window_index != 0 || view_file_number(*view) != 0) return -1;
  const LadderGrid before(grid.begin(), grid.end());
  const int result = redo ? redo_design(grid) : undo_design(grid);
  if (result != 0) return result;
  // The change test of the close question compares cell words only: a comment that Undo or
  // Redo brings back is noted as a stored comment is, so that it is asked about.
  if (row_texts_differ(before, grid)) g_comments_changed = 1;
  RECT rect{};
  GetClientRect(window, &rect);
  SendMessageW(window, WM_SIZE, SIZE_RESTORED, MAKELPARAM(rect.right, rect.bottom));
  InvalidateRect(window, nullptr, TRUE);
  broadcast_cell_update(window, 0, 0, SYNC_WHOLE_VIEW, 0, false);
  return 0;
}
