#include "design/element_pictures.h"

#include <cstring>
#include <initializer_list>

namespace {

using Shape = std::vector<Stroke>;

Stroke line(int x1, int y1, int x2, int y2) {
  return {StrokeKind::LINE, {{{int16_t(x1), int16_t(y1)}, {int16_t(x2), int16_t(y2)}}}};
}
Stroke thick(int x1, int y1, int x2, int y2) {
  return {StrokeKind::THICK_LINE, {{{int16_t(x1), int16_t(y1)}, {int16_t(x2), int16_t(y2)}}}};
}
Stroke box(StrokeKind kind, int left, int top, int right, int bottom) {
  return {kind, {{{int16_t(left), int16_t(top)}, {int16_t(right), int16_t(bottom)}}}};
}
Stroke rect(int left, int top, int right, int bottom) { return box(StrokeKind::RECTANGLE, left, top, right, bottom); }
Stroke double_rect(int left, int top, int right, int bottom) {
  return box(StrokeKind::DOUBLE_RECT, left, top, right, bottom);
}
Stroke ellipse(int left, int top, int right, int bottom) { return box(StrokeKind::ELLIPSE, left, top, right, bottom); }
Stroke polyline(std::initializer_list<PicturePoint> points) {
  Stroke s{StrokeKind::POLYLINE, {}};
  int i = 0;
  for (PicturePoint p : points) s.p[static_cast<size_t>(i++)] = p;
  return s;
}
Stroke second_pen() { return {StrokeKind::SECOND_PEN, {}}; }

// Shapes are put together from parts.
Shape operator+(Shape a, const Shape& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}
Shape operator+(Shape a, const Stroke& b) {
  a.push_back(b);
  return a;
}

// The rung's wire from x a to x b.
Shape wire(int a, int b) { return {line(a, PICTURE_WIRE_Y, b, PICTURE_WIRE_Y)}; }
// The two terminal circles of a switch.
Shape terminals() { return {ellipse(23, 24, 30, 30), ellipse(54, 24, 61, 30)}; }
Shape left_terminal() { return {ellipse(23, 24, 30, 30)}; }
// Coil arcs; `dx` shifts the arc (the bold coil draws each arc twice).
Stroke left_arc(int dx = 0) {
  return polyline({{int16_t(5 + dx), 18}, {int16_t(2 + dx), 21}, {int16_t(0 + dx), 24}, {int16_t(0 + dx), 30},
                   {int16_t(2 + dx), 33}, {int16_t(5 + dx), 36}});
}
Stroke right_arc(int dx = 0) {
  return polyline({{int16_t(74 + dx), 18}, {int16_t(77 + dx), 21}, {int16_t(79 + dx), 24}, {int16_t(79 + dx), 30},
                   {int16_t(77 + dx), 33}, {int16_t(74 + dx), 36}});
}
// The chevrons of a continuation mark.
Shape chevrons() {
  return {line(32, 19, 41, 27), line(41, 27, 31, 36), line(38, 19, 47, 27), line(47, 27, 37, 36)};
}
// Box brackets: the three strokes, plain or thick, and the wire stub.
Shape left_bracket_strokes(bool bold) {
  auto s = bold ? thick : line;
  return {s(11, 19, 4, 19), s(4, 19, 4, 35), s(4, 35, 11, 35)};
}
Shape right_bracket_strokes(bool bold) {
  auto s = bold ? thick : line;
  return {s(73, 19, 79, 19), s(79, 19, 79, 35), s(79, 35, 73, 35)};
}
Shape left_bracket() { return left_bracket_strokes(false) + line(0, 27, 4, 27); }
Shape right_bracket() { return right_bracket_strokes(false) + line(79, 27, 83, 27); }

// Contacts: the two bars, plain or thick, between y top and bottom.
Shape bars(int top, int bottom, bool bold) {
  auto s = bold ? thick : line;
  return {s(36, top, 36, bottom), s(48, top, 48, bottom)};
}
Shape contact(int top, int bottom, bool bold) { return wire(0, 36) + bars(top, bottom, bold) + wire(48, 83); }
// Push buttons: the bar and the stem above it.
Shape push(int bar_y, int stem_top, bool bold) {
  auto s = bold ? thick : line;
  return {s(25, bar_y, 59, bar_y), s(41, stem_top, 41, bar_y)};
}
Shape switch_left(int wire_end = 23) { return wire(0, wire_end) + terminals(); }
Shape pulse(bool bold) {
  auto s = bold ? thick : line;
  return wire(0, 37) + Shape{s(36, 16, 36, 28), s(36, 16, 48, 16), s(48, 16, 48, 27)} + wire(48, 83);
}
Shape jog(bool bold) {
  auto s = bold ? thick : line;
  return {line(0, 0, 0, 16), s(0, 16, 11, 16), s(10, 24, 0, 24), line(0, 24, 0, 55)};
}
Shape corner(bool bold) { return {line(0, 0, 0, 11), (bold ? thick : line)(0, 11, 11, 11)}; }
Shape box_contact_a_frame() { return {rect(35, 16, 47, 39), rect(35, 16, 42, 39)}; }

struct Picture {
  const char* name;
  Shape strokes;
};

std::array<Picture, PICTURE_SLOTS> build_pictures() {
  std::array<Picture, PICTURE_SLOTS> t{};
  const auto set = [&](int slot, const char* name, Shape strokes) { t[static_cast<size_t>(slot)] = {name, std::move(strokes)}; };
  const Shape box_wires = wire(0, 35) + wire(47, 83);

  set(PIC_CONTACT_B, "PIC_CONTACT_B", contact(17, 37, false) + line(29, 36, 54, 17));
  set(PIC_CONTACT_A, "PIC_CONTACT_A", contact(16, 39, false));
  set(PIC_BOX_CONTACT_B, "PIC_BOX_CONTACT_B", box_wires + second_pen() + box_contact_a_frame() + line(29, 37, 56, 16));
  set(PIC_LIMIT_A, "PIC_LIMIT_A", switch_left() + rect(25, 15, 59, 21) + wire(60, 83));
  set(PIC_LIMIT_A_ACTUATED, "PIC_LIMIT_A_ACTUATED", switch_left() + wire(60, 83) + second_pen() + rect(25, 18, 59, 24));
  set(PIC_LIMIT_B, "PIC_LIMIT_B", switch_left(22) + wire(60, 83) + second_pen() + rect(25, 30, 59, 36));
  set(PIC_LIMIT_B_ACTUATED, "PIC_LIMIT_B_ACTUATED", switch_left(22) + rect(25, 33, 59, 39) + wire(60, 83));
  set(PIC_PUSH_A, "PIC_PUSH_A", switch_left() + push(20, 15, false) + wire(61, 83));
  set(PIC_PUSH_A_ACTUATED, "PIC_PUSH_A_ACTUATED",
      switch_left() + push(23, 18, false) + wire(60, 83) + second_pen() + push(23, 18, false));
  set(PIC_PUSH_B, "PIC_PUSH_B", switch_left() + wire(60, 83) + second_pen() + push(30, 26, false));
  set(PIC_PUSH_B_ACTUATED, "PIC_PUSH_B_ACTUATED", switch_left() + push(35, 31, false) + wire(60, 83));
  set(PIC_BOX_CONTACT_A, "PIC_BOX_CONTACT_A", box_wires + second_pen() + box_contact_a_frame());
  set(PIC_CONTACT_TICKED, "PIC_CONTACT_TICKED", contact(16, 39, false) + line(26, 37, 36, 30) + line(48, 24, 58, 17));
  set(PIC_COIL, "PIC_COIL", Shape{left_arc(), right_arc()} + wire(79, 83));
  set(PIC_WIRE_TO_CHEVRON, "PIC_WIRE_TO_CHEVRON", wire(0, 40) + chevrons());
  set(PIC_CHEVRON_TO_WIRE, "PIC_CHEVRON_TO_WIRE", chevrons() + wire(48, 83));
  set(PIC_WIRE_H, "PIC_WIRE_H", wire(0, 83));
  set(PIC_WIRE_V, "PIC_WIRE_V", {line(0, 0, 0, 55)});
  set(PIC_WIRE_V_UPPER, "PIC_WIRE_V_UPPER", {line(0, 0, 0, 27)});
  set(PIC_WIRE_V_LOWER, "PIC_WIRE_V_LOWER", {line(0, 27, 0, 55)});
  set(PIC_BOX, "PIC_BOX", left_bracket() + right_bracket());
  set(PIC_BOX_LEFT, "PIC_BOX_LEFT", left_bracket());
  set(PIC_BOX_RIGHT, "PIC_BOX_RIGHT", right_bracket());
  set(PIC_COIL_LEFT, "PIC_COIL_LEFT", {left_arc()});
  set(PIC_COIL_RIGHT, "PIC_COIL_RIGHT", Shape{right_arc()} + wire(79, 83));

  set(PIC_CONTACT_TICKED_BOLD, "PIC_CONTACT_TICKED_BOLD",
      contact(16, 39, true) + line(25, 36, 36, 30) + line(48, 24, 58, 17));
  set(PIC_CONTACT_A_BOLD, "PIC_CONTACT_A_BOLD", contact(17, 39, true));
  set(PIC_BOX_CONTACT_B_BOLD, "PIC_BOX_CONTACT_B_BOLD",
      box_wires + second_pen() + rect(35, 17, 47, 39) + thick(41, 18, 41, 39) + line(29, 37, 56, 17));
  set(PIC_CONTACT_B_BOLD, "PIC_CONTACT_B_BOLD", contact(17, 37, true) + line(30, 37, 54, 17));
  set(PIC_LIMIT_A_BOLD, "PIC_LIMIT_A_BOLD", t[PIC_LIMIT_A].strokes);
  set(PIC_LIMIT_B_BOLD, "PIC_LIMIT_B_BOLD", switch_left(22) + wire(60, 83) + second_pen() + rect(25, 31, 59, 37));
  set(PIC_PUSH_A_BOLD, "PIC_PUSH_A_BOLD", switch_left() + push(18, 13, true) + wire(60, 83));
  set(PIC_PUSH_B_BOLD, "PIC_PUSH_B_BOLD", switch_left() + wire(60, 83) + second_pen() + push(30, 26, true));
  set(PIC_PUSH_A_ACTUATED_BOLD, "PIC_PUSH_A_ACTUATED_BOLD",
      switch_left() + wire(60, 83) + second_pen() + push(23, 18, true));
  set(PIC_LIMIT_A_ACTUATED_BOLD, "PIC_LIMIT_A_ACTUATED_BOLD",
      switch_left() + wire(60, 83) + second_pen() + rect(25, 17, 59, 23));
  set(PIC_BOX_CONTACT_A_BOLD, "PIC_BOX_CONTACT_A_BOLD",
      box_wires + second_pen() + double_rect(35, 17, 47, 39) + line(41, 18, 41, 39));
  set(PIC_LIMIT_B_ACTUATED_BOLD, "PIC_LIMIT_B_ACTUATED_BOLD", t[PIC_LIMIT_B_ACTUATED].strokes);
  set(PIC_PUSH_B_ACTUATED_BOLD, "PIC_PUSH_B_ACTUATED_BOLD", switch_left() + push(35, 31, true) + wire(60, 83));
  set(PIC_COIL_BOLD, "PIC_COIL_BOLD",
      Shape{left_arc(), left_arc(1), right_arc()} + wire(79, 83) + right_arc(-1) + wire(79, 83));
  set(PIC_WIRE_TO_CHEVRON_BOLD, "PIC_WIRE_TO_CHEVRON_BOLD", t[PIC_WIRE_TO_CHEVRON].strokes);
  set(PIC_CHEVRON_TO_WIRE_BOLD, "PIC_CHEVRON_TO_WIRE_BOLD", t[PIC_CHEVRON_TO_WIRE].strokes);
  set(PIC_WIRE_H_BOLD, "PIC_WIRE_H_BOLD", t[PIC_WIRE_H].strokes);
  set(PIC_WIRE_V_BOLD, "PIC_WIRE_V_BOLD", t[PIC_WIRE_V].strokes);
  set(PIC_WIRE_V_UPPER_BOLD, "PIC_WIRE_V_UPPER_BOLD", t[PIC_WIRE_V_UPPER].strokes);
  set(PIC_WIRE_V_LOWER_BOLD, "PIC_WIRE_V_LOWER_BOLD", t[PIC_WIRE_V_LOWER].strokes);
  set(PIC_BOX_BOLD, "PIC_BOX_BOLD", wire(0, 4) + left_bracket_strokes(true) + right_bracket_strokes(true) + wire(79, 83));
  set(PIC_BOX_LEFT_BOLD, "PIC_BOX_LEFT_BOLD", wire(0, 4) + left_bracket_strokes(true));
  set(PIC_BOX_RIGHT_BOLD, "PIC_BOX_RIGHT_BOLD",
      Shape{thick(72, 19, 79, 19), thick(77, 19, 77, 35), thick(78, 35, 71, 35)} + wire(78, 83));
  set(PIC_COIL_LEFT_BOLD, "PIC_COIL_LEFT_BOLD", {left_arc(), left_arc(1)});
  set(PIC_COIL_RIGHT_BOLD, "PIC_COIL_RIGHT_BOLD", Shape{right_arc(-1), right_arc()} + wire(79, 83));

  set(PIC_CONTACT_A_LEFT, "PIC_CONTACT_A_LEFT", wire(0, 36) + line(36, 17, 36, 39));
  set(PIC_TERMINAL_LEFT, "PIC_TERMINAL_LEFT", wire(0, 23) + left_terminal());
  set(PIC_CONTACT_TICKED_LEFT, "PIC_CONTACT_TICKED_LEFT", wire(0, 36) + line(36, 16, 36, 39) + line(26, 37, 36, 30));
  set(PIC_CONTACT_A_LEFT_BOLD, "PIC_CONTACT_A_LEFT_BOLD", wire(0, 36) + thick(36, 17, 36, 39));
  set(PIC_TERMINAL_LEFT_BOLD, "PIC_TERMINAL_LEFT_BOLD", t[PIC_TERMINAL_LEFT].strokes);
  set(PIC_CONTACT_TICKED_LEFT_BOLD, "PIC_CONTACT_TICKED_LEFT_BOLD",
      wire(0, 36) + thick(36, 16, 36, 39) + line(25, 36, 36, 30));
  set(PIC_JOG, "PIC_JOG", jog(false));
  set(PIC_JOG_BOX, "PIC_JOG_BOX",
      {line(0, 0, 0, 16), line(0, 16, 7, 16), line(7, 16, 7, 24), line(7, 24, 0, 24), line(0, 24, 0, 55)});
  set(PIC_CORNER, "PIC_CORNER", corner(false));
  set(PIC_JOG_BOLD, "PIC_JOG_BOLD", jog(true));
  set(PIC_JOG_BOX_BOLD, "PIC_JOG_BOX_BOLD",
      {line(0, 0, 0, 16), thick(0, 16, 7, 16), thick(7, 16, 7, 24), thick(8, 24, 0, 24), line(0, 24, 0, 55)});
  set(PIC_CORNER_BOLD, "PIC_CORNER_BOLD", corner(true));
  set(PIC_PULSE, "PIC_PULSE", pulse(false));
  set(PIC_PULSE_BOLD, "PIC_PULSE_BOLD", pulse(true));
  return t;
}

const std::array<Picture, PICTURE_SLOTS>& pictures() {
  static const std::array<Picture, PICTURE_SLOTS> table = build_pictures();
  return table;
}

// Plain shapes and their bold twins.
constexpr std::array<std::array<int, 2>, 32> TWINS{{
    {PIC_CONTACT_B, PIC_CONTACT_B_BOLD},
    {PIC_CONTACT_A, PIC_CONTACT_A_BOLD},
    {PIC_BOX_CONTACT_B, PIC_BOX_CONTACT_B_BOLD},
    {PIC_LIMIT_A, PIC_LIMIT_A_BOLD},
    {PIC_LIMIT_A_ACTUATED, PIC_LIMIT_A_ACTUATED_BOLD},
    {PIC_LIMIT_B, PIC_LIMIT_B_BOLD},
    {PIC_LIMIT_B_ACTUATED, PIC_LIMIT_B_ACTUATED_BOLD},
    {PIC_PUSH_A, PIC_PUSH_A_BOLD},
    {PIC_PUSH_A_ACTUATED, PIC_PUSH_A_ACTUATED_BOLD},
    {PIC_PUSH_B, PIC_PUSH_B_BOLD},
    {PIC_PUSH_B_ACTUATED, PIC_PUSH_B_ACTUATED_BOLD},
    {PIC_BOX_CONTACT_A, PIC_BOX_CONTACT_A_BOLD},
    {PIC_CONTACT_TICKED, PIC_CONTACT_TICKED_BOLD},
    {PIC_COIL, PIC_COIL_BOLD},
    {PIC_WIRE_TO_CHEVRON, PIC_WIRE_TO_CHEVRON_BOLD},
    {PIC_CHEVRON_TO_WIRE, PIC_CHEVRON_TO_WIRE_BOLD},
    {PIC_WIRE_H, PIC_WIRE_H_BOLD},
    {PIC_WIRE_V, PIC_WIRE_V_BOLD},
    {PIC_WIRE_V_UPPER, PIC_WIRE_V_UPPER_BOLD},
    {PIC_WIRE_V_LOWER, PIC_WIRE_V_LOWER_BOLD},
    {PIC_BOX, PIC_BOX_BOLD},
    {PIC_BOX_LEFT, PIC_BOX_LEFT_BOLD},
    {PIC_BOX_RIGHT, PIC_BOX_RIGHT_BOLD},
    {PIC_COIL_LEFT, PIC_COIL_LEFT_BOLD},
    {PIC_COIL_RIGHT, PIC_COIL_RIGHT_BOLD},
    {PIC_CONTACT_A_LEFT, PIC_CONTACT_A_LEFT_BOLD},
    {PIC_TERMINAL_LEFT, PIC_TERMINAL_LEFT_BOLD},
    {PIC_CONTACT_TICKED_LEFT, PIC_CONTACT_TICKED_LEFT_BOLD},
    {PIC_JOG, PIC_JOG_BOLD},
    {PIC_JOG_BOX, PIC_JOG_BOX_BOLD},
    {PIC_CORNER, PIC_CORNER_BOLD},
    {PIC_PULSE, PIC_PULSE_BOLD},
}};

}  // namespace

std::span<const Stroke> element_picture_strokes(int slot) {
  if (!is_picture_slot(slot)) return {};
  return pictures()[static_cast<size_t>(slot)].strokes;
}

const char* element_picture_name(int slot) {
  if (!is_picture_slot(slot)) return "";
  return pictures()[static_cast<size_t>(slot)].name;
}

int bold_twin(int slot) {
  for (const auto& twin : TWINS)
    if (twin[0] == slot) return twin[1];
  return slot;
}

bool uses_second_pen(int slot) {
  for (const Stroke& s : element_picture_strokes(slot))
    if (s.kind == StrokeKind::SECOND_PEN) return true;
  return false;
}

std::vector<Segment> picture_segments(int slot) {
  std::vector<Segment> out;
  const auto seg = [&](int x1, int y1, int x2, int y2) {
    out.push_back({{int16_t(x1), int16_t(y1)}, {int16_t(x2), int16_t(y2)}});
  };
  const auto outline = [&](int l, int t, int r, int b) {
    seg(l, t, r, t);
    seg(r, t, r, b);
    seg(r, b, l, b);
    seg(l, b, l, t);
  };
  for (const Stroke& s : element_picture_strokes(slot)) {
    const int x1 = s.p[0].x, y1 = s.p[0].y, x2 = s.p[1].x, y2 = s.p[1].y;
    switch (s.kind) {
      case StrokeKind::LINE: seg(x1, y1, x2, y2); break;
      case StrokeKind::THICK_LINE:
        seg(x1, y1, x2, y2);
        seg(x1, y1 + 1, x2, y2 + 1);
        seg(x1 + 1, y1, x2 + 1, y2);
        break;
      case StrokeKind::RECTANGLE: outline(x1, y1, x2, y2); break;
      case StrokeKind::DOUBLE_RECT:
        outline(x1, y1, x2, y2);
        outline(x1 + 1, y1, x2 - 1, y2);
        break;
      case StrokeKind::POLYLINE:
        for (size_t i = 0; i + 1 < s.p.size(); ++i) seg(s.p[i].x, s.p[i].y, s.p[i + 1].x, s.p[i + 1].y);
        break;
      case StrokeKind::ELLIPSE:
      case StrokeKind::SECOND_PEN: break;
    }
  }
  return out;
}

PixelRect picture_frame_rect(int horz_size_mm, int vert_size_mm, int horz_res_px, int vert_res_px) {
  const int per_x = horz_res_px > 0 ? horz_size_mm * 100 / horz_res_px : 0;
  const int per_y = vert_res_px > 0 ? vert_size_mm * 100 / vert_res_px : 0;
  return {0, 0, (PICTURE_FRAME_WIDTH - 1) * per_x, (PICTURE_FRAME_HEIGHT - 1) * per_y};
}
