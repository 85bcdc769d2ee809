// The design window's WM_PAINT: builds the display list of design/design_paint.h for the
// update region and plays it with GDI (pens, the element pictures, fonts made for the
// window's size, DrawText, frame regions).
#pragma once

#include "target/windows_api.h"

#include <span>
#include <string_view>

#include "design/element_pictures_win.h"

#include "design/design_paint.h"
#include "shell/view_state.h"

// Makes a font whose size follows the client width and the picture band of the view
// (cell_font_size, converted from device to logical units with the device context's
// transformations reset for the conversion). The caller deletes it.
HFONT create_cell_font(HDC dc, const ViewState& view, std::string_view face, int a, int b, int weight, int charset,
                       const RECT& client);

// Plays a display list into a device context. A picture item plays from the set its
// picture_source names in `sets` (the design screen's pictures when `sets` is empty);
// a source beyond `sets` plays nothing.
void play_display_list(HDC dc, const DisplayList& list, const ViewState& view, const RECT& client,
                       std::span<const ElementPictureSet* const> sets = {});

// The inputs of a paint of `window` over `update` (its grid, its ViewState, the settings,
// the comment mode and the colour scheme).
PaintInputs design_paint_inputs(HWND window, const ViewState& view, ConstGridSpan grid, const RECT& update);

// WM_PAINT of a design window; returns 0.
LRESULT paint_design_window(HWND window);
