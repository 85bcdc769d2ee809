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
