// The element pictures as enhanced metafiles: each stroke list of element_pictures.h is
// recorded once, with the set's brush and pens, in a frame of one screen pixel per unit,
// and played into grid cells, where GDI scales it to the cell.
#pragma once

#include "target/windows_api.h"

#include <array>
#include <functional>
#include <span>

#include "design/element_pictures.h"

// 72 metafile handles indexed by ElementPicture; slots 62-69 are never recorded.
using ElementPictureSet = std::array<HENHMETAFILE, PICTURE_SLOTS>;

// The design screen's set (the first design window takes the shared set into it, the main
// one lets go of it; the printer records a set of its own when none is there).
extern ElementPictureSet g_design_pictures;

// A line from (x1, y1) to (x2, y2); thick: also one unit lower and one unit to the right.
void draw_line(HDC dc, int x1, int x2, int y1, int y2, bool thick);
// A rectangle, then the same one unit narrower on each side.
void draw_double_rect(HDC dc, int left, int top, int right, int bottom);
// Draws a list of strokes with what is selected into the device context (a SECOND_PEN
// step ends the list: make_two_pen_picture splits there).
void draw_strokes(HDC dc, std::span<const Stroke> strokes);

// The pictures' metafile frame for this screen (0.01 mm, one screen pixel per unit).
RECT screen_picture_frame();

// Records one picture into `slot`: the brush, then the pen, then the routine.
void make_picture(std::span<const Stroke> routine, HENHMETAFILE& slot, const RECT& frame, HBRUSH brush, HPEN pen);
// The same, then the second pen and the second routine.
void make_two_pen_picture(std::span<const Stroke> first, std::span<const Stroke> second, HENHMETAFILE& slot,
                          const RECT& frame, HBRUSH brush, HPEN pen, HPEN second_pen);
// Records all 64 pictures; slots 62-69 are left alone. The caller keeps and later deletes
// the brush and the pens.
void create_element_pictures(ElementPictureSet& set, const RECT& frame, HBRUSH brush, HPEN pen, HPEN second_pen);
// Deletes the 64 metafiles of a set (each once; their slots become null).
void delete_element_pictures(ElementPictureSet& set);

// Plays a picture into a destination rectangle (the whole frame is scaled to it). A slot
// without a picture draws nothing.
void play_element_picture(HDC dc, const ElementPictureSet& set, int slot, const RECT& cell);

// The colours of the design set: white background (settings option bit 0) or dark blue.
struct PictureColours {
  COLORREF brush;
  COLORREF pen;
};
PictureColours design_picture_colours(bool white_background);
// Records g_design_pictures: a solid brush and pen of the colour scheme, the pen 2 wide
// with double lines, passed as both pens. Returns false when GDI gave no brush or pen.
bool create_design_pictures(bool white_background, bool double_lines);
// Deletes the set create_design_pictures recorded; a shared set taken by
// use_design_pictures is only let go (its slots become null, its metafiles stay).
void delete_design_pictures();

// The pictures never change, and recording them costs GDI work each time: a set recorded
// once for a key (what its pens and brush are) and a frame is kept for the rest of the
// process and handed again to every window that asks for the same. `record` fills a new
// set (with create_element_pictures) the first time. The shared metafiles are never
// deleted: the windows copy the handles and forget them when they close.
const ElementPictureSet& shared_element_pictures(int key, const RECT& frame,
                                                 const std::function<void(ElementPictureSet&)>& record);
// Keys of the shared sets (a set's own bits are or-ed in).
inline constexpr int SHARED_DESIGN_PICTURES = 0x10;   // | 1 white background, | 2 double lines
inline constexpr int SHARED_MONITOR_BRIGHT = 0x20;    // | 2 double lines
inline constexpr int SHARED_MONITOR_PLAIN = 0x30;     // | 2 double lines
// g_design_pictures as create_design_pictures records it, from the shared set of the
// scheme (recorded the first time). delete_design_pictures lets it go again.
void use_design_pictures(bool white_background, bool double_lines);
