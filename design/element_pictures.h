// The shapes of the ladder elements (contacts, coils, boxes, lines, links, pulse edges) as
// data: the strokes of each picture in its frame of 84 x 56 units, x 0 (left edge of the
// cell) to 83, y 0 (top) to 55, with the rung's wire at y 27. The window side
// (element_pictures_win.h) records each list once as an enhanced metafile and plays the
// picture into grid cells, scaled to the cell.
//
// A set has 72 slots; slots 62-69 hold no picture. Every shape has a bold twin in which the
// strokes that carry meaning are drawn three-fold (a thick stroke: the line, the same one
// unit lower and one unit to the right). Some pictures draw part of their strokes with a
// second pen (the monitor draws states that way); SECOND_PEN marks where it takes over.
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <vector>

#include "design/view_geometry.h"

inline constexpr int PICTURE_SLOTS = 72;
inline constexpr int PICTURE_COUNT = 64;
inline constexpr int PICTURE_FRAME_WIDTH = 84;
inline constexpr int PICTURE_FRAME_HEIGHT = 56;
inline constexpr int PICTURE_WIRE_Y = 27;
inline constexpr int FIRST_EMPTY_SLOT = 62;
inline constexpr int LAST_EMPTY_SLOT = 69;

// ElementPicture: the slot of a picture in a set.
enum ElementPicture : int {
  PIC_CONTACT_B = 0,
  PIC_CONTACT_A = 1,
  PIC_BOX_CONTACT_B = 2,
  PIC_LIMIT_A = 3,
  PIC_LIMIT_A_ACTUATED = 4,
  PIC_LIMIT_B = 5,
  PIC_LIMIT_B_ACTUATED = 6,
  PIC_PUSH_A = 7,
  PIC_PUSH_A_ACTUATED = 8,
  PIC_PUSH_B = 9,
  PIC_PUSH_B_ACTUATED = 10,
  PIC_BOX_CONTACT_A = 11,
  PIC_CONTACT_TICKED = 12,
  PIC_COIL = 13,
  PIC_WIRE_TO_CHEVRON = 14,
  PIC_CHEVRON_TO_WIRE = 15,
  PIC_WIRE_H = 16,
  PIC_WIRE_V = 17,
  PIC_WIRE_V_UPPER = 18,
  PIC_WIRE_V_LOWER = 19,
  PIC_BOX = 20,
  PIC_BOX_LEFT = 21,
  PIC_BOX_RIGHT = 22,
  PIC_COIL_LEFT = 23,
  PIC_COIL_RIGHT = 24,
  PIC_CONTACT_TICKED_BOLD = 25,
  PIC_CONTACT_A_BOLD = 26,
  PIC_BOX_CONTACT_B_BOLD = 27,
  PIC_CONTACT_B_BOLD = 28,
  PIC_LIMIT_A_BOLD = 29,
  PIC_LIMIT_B_BOLD = 30,
  PIC_PUSH_A_BOLD = 31,
  PIC_PUSH_B_BOLD = 32,
  PIC_PUSH_A_ACTUATED_BOLD = 33,
  PIC_LIMIT_A_ACTUATED_BOLD = 34,
  PIC_BOX_CONTACT_A_BOLD = 35,
  PIC_LIMIT_B_ACTUATED_BOLD = 36,
  PIC_PUSH_B_ACTUATED_BOLD = 37,
  PIC_COIL_BOLD = 38,
  PIC_WIRE_TO_CHEVRON_BOLD = 39,
  PIC_CHEVRON_TO_WIRE_BOLD = 40,
  PIC_WIRE_H_BOLD = 41,
  PIC_WIRE_V_BOLD = 42,
  PIC_WIRE_V_UPPER_BOLD = 43,
  PIC_WIRE_V_LOWER_BOLD = 44,
  PIC_BOX_BOLD = 45,
  PIC_BOX_LEFT_BOLD = 46,
  PIC_BOX_RIGHT_BOLD = 47,
  PIC_COIL_LEFT_BOLD = 48,
  PIC_COIL_RIGHT_BOLD = 49,
  PIC_CONTACT_A_LEFT = 50,
  PIC_TERMINAL_LEFT = 51,
  PIC_CONTACT_TICKED_LEFT = 52,
  PIC_CONTACT_A_LEFT_BOLD = 53,
  PIC_TERMINAL_LEFT_BOLD = 54,
  PIC_CONTACT_TICKED_LEFT_BOLD = 55,
  PIC_JOG = 56,
  PIC_JOG_BOX = 57,
  PIC_CORNER = 58,
  PIC_JOG_BOLD = 59,
  PIC_JOG_BOX_BOLD = 60,
  PIC_CORNER_BOLD = 61,
  PIC_PULSE = 70,
  PIC_PULSE_BOLD = 71,
};

// One drawing step of a picture.
enum class StrokeKind : uint8_t {
  LINE,         // p[0]-p[1]
  THICK_LINE,   // p[0]-p[1], again one unit lower and one unit to the right
  ELLIPSE,      // bounding box p[0]-p[1], filled with the brush
  RECTANGLE,    // p[0]-p[1] (right and bottom exclusive), filled with the brush
  DOUBLE_RECT,  // the rectangle, then again one unit narrower on each side
  POLYLINE,     // the six points p[0]..p[5]
  SECOND_PEN,   // what follows is drawn with the set's second pen
};

struct PicturePoint {
  int16_t x, y;
  friend bool operator==(const PicturePoint&, const PicturePoint&) = default;
};

struct Stroke {
  StrokeKind kind;
  std::array<PicturePoint, 6> p;
  friend bool operator==(const Stroke&, const Stroke&) = default;
};

// True for the slots that hold a picture (all but 62-69).
constexpr bool is_picture_slot(int slot) {
  return slot >= 0 && slot < PICTURE_SLOTS && (slot < FIRST_EMPTY_SLOT || slot > LAST_EMPTY_SLOT);
}

// The strokes of a picture, in drawing order; empty for a slot without a picture.
std::span<const Stroke> element_picture_strokes(int slot);
// The name of a slot's picture ("PIC_COIL"); empty for a slot without one.
const char* element_picture_name(int slot);
// The bold twin of a plain picture; a bold picture is its own twin.
int bold_twin(int slot);
// The picture to draw for a plain shape in picture set 0 (plain) or 1 (bold).
inline int picture_in_set(int plain_slot, int picture_set) { return picture_set == 1 ? bold_twin(plain_slot) : plain_slot; }
// True when the picture draws part of its strokes with the second pen.
bool uses_second_pen(int slot);

// The strokes as the line segments they draw (a thick line as its three segments, a double
// rectangle as its two outlines of four), for checking what a picture covers.
struct Segment {
  PicturePoint a, b;
  friend bool operator==(const Segment&, const Segment&) = default;
};
std::vector<Segment> picture_segments(int slot);

// The metafile frame of the pictures in 0.01 mm: 83 and 55 frame units of one screen pixel
// each (the device's size in millimetres per pixel, truncated before the multiplication).
PixelRect picture_frame_rect(int horz_size_mm, int vert_size_mm, int horz_res_px, int vert_res_px);
