// Where a dialog may stand on the screen: wholly inside the work area. The design dialogs
// are placed near the cell they serve, reopen a little left of and above their last place
// and are parked in a corner of the MDI client by their "v" button; each of those places is
// taken only as far as the whole dialog, its border and caption included, stays visible.
#pragma once

#include "shell/frame_layout.h"

// The rectangle moved, its size kept, by the least distance that puts it inside `area`.
// A rectangle wider (or taller) than the area is put at the area's left (or top) edge, so
// that its caption and system menu stay reachable.
LayoutRect fit_within_area(LayoutRect window, LayoutRect area);

// Where the dropped list of a combo box whose box stands at `box` opens: right under the
// box when it fits there inside `area`, else right over it when it fits there, else on the
// side with more room, moved inside the area; across, as far left as the box and moved
// inside the area. The list's width and height are kept.
LayoutRect place_dropped_list(LayoutRect box, int list_width, int list_height, LayoutRect area);
