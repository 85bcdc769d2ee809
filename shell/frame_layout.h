// The frame's layout and colour choices, as plain arithmetic over sizes and option bits.
#pragma once

#include <cstdint>

inline constexpr int BAND_HEIGHT = 52;  // the decorative band across the top of the frame

struct LayoutRect {
  int x;
  int y;
  int width;
  int height;
};
// The MDI client between the toolbar (height t) and the status bar (height s) of a
// client area w x h. A height that would be negative is 0.
LayoutRect mdi_client_layout(int client_width, int client_height, int toolbar_height, int status_height);

// COLORREF values, 0x00BBGGRR.
struct DesignColourSet {
  uint32_t background;       // background of new design views
  uint32_t comment_colour;   // device comments
  uint32_t text_colour;      // element texts
  bool massfl_white_brush;   // "massfl" uses the stock white brush (else a solid brush)
  uint32_t massfl_brush;     // colour of its solid brush
  uint32_t motofl_brush;     // colour of the "motofl" brush
};
// Chosen once at start-up by bit 0 of the option bits (white background).
DesignColourSet design_colour_set(int32_t option_bits);
