#include "shell/dialog_placement.h"

namespace {

// One axis: the start of a span of `length` at `start`, moved inside [low, low + room).
int fit_span(int start, int length, int low, int room) {
  if (length >= room || start < low) return low;
  if (start + length > low + room) return low + room - length;
  return start;
}

}  // namespace

LayoutRect fit_within_area(LayoutRect window, LayoutRect area) {
  window.x = fit_span(window.x, window.width, area.x, area.width);
  window.y = fit_span(window.y, window.height, area.y, area.height);
  return window;
}

LayoutRect place_dropped_list(LayoutRect box, int list_width, int list_height, LayoutRect area) {
  const int below = box.y + box.height;
  const int above = box.y - list_height;
  const int room_below = area.y + area.height - below;
  const int room_above = box.y - area.y;
  int y = below;
  if (list_height > room_below) {
    if (list_height <= room_above) y = above;
    else y = room_above > room_below ? above : below;
  }
  return fit_within_area({box.x, y, list_width, list_height}, area);
}
