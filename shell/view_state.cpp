#include "shell/view_state.h"

#include <cstring>

void init_view_state(ViewState& view, uint32_t background) {
  std::memset(&view, 0, sizeof view);
  view.sel_col = NO_SELECTION;
  view.mark_rows[0] = NO_MARK_ROW;
  view.zoom_percent = DEFAULT_ZOOM_PERCENT;
  view.background = background;
}
