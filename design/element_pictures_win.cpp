#include "design/element_pictures_win.h"

#include <algorithm>
#include <vector>

ElementPictureSet g_design_pictures{};

namespace {
// g_design_pictures holds handles of a shared set (which a delete must leave alone).
bool g_design_pictures_shared = false;

// The sets recorded once for the process, by what they were recorded with.
struct SharedSet {
  int key;
  RECT frame;
  ElementPictureSet set;
};
std::vector<SharedSet>& shared_sets() {
  static std::vector<SharedSet> sets;
  return sets;
}
}  // namespace

void draw_line(HDC dc, int x1, int x2, int y1, int y2, bool thick) {
  MoveToEx(dc, x1, y1, nullptr);
  LineTo(dc, x2, y2);
  if (!thick) return;
  MoveToEx(dc, x1, y1 + 1, nullptr);
  LineTo(dc, x2, y2 + 1);
  MoveToEx(dc, x1 + 1, y1, nullptr);
  LineTo(dc, x2 + 1, y2);
}

void draw_double_rect(HDC dc, int left, int top, int right, int bottom) {
  Rectangle(dc, left, top, right, bottom);
  Rectangle(dc, left + 1, top, right - 1, bottom);
}

void draw_strokes(HDC dc, std::span<const Stroke> strokes) {
  for (const Stroke& s : strokes) {
    const auto& p = s.p;
    switch (s.kind) {
      case StrokeKind::LINE: draw_line(dc, p[0].x, p[1].x, p[0].y, p[1].y, false); break;
      case StrokeKind::THICK_LINE: draw_line(dc, p[0].x, p[1].x, p[0].y, p[1].y, true); break;
      case StrokeKind::ELLIPSE: Ellipse(dc, p[0].x, p[0].y, p[1].x, p[1].y); break;
      case StrokeKind::RECTANGLE: Rectangle(dc, p[0].x, p[0].y, p[1].x, p[1].y); break;
      case StrokeKind::DOUBLE_RECT: draw_double_rect(dc, p[0].x, p[0].y, p[1].x, p[1].y); break;
      case StrokeKind::POLYLINE: {
        POINT points[6];
        for (size_t i = 0; i < 6; ++i) points[i] = POINT{p[i].x, p[i].y};
        Polyline(dc, points, 6);
        break;
      }
      case StrokeKind::SECOND_PEN: return;
    }
  }
}

RECT screen_picture_frame() {
  HDC screen = GetDC(nullptr);
  const PixelRect frame = picture_frame_rect(GetDeviceCaps(screen, HORZSIZE), GetDeviceCaps(screen, VERTSIZE),
                                             GetDeviceCaps(screen, HORZRES), GetDeviceCaps(screen, VERTRES));
  ReleaseDC(nullptr, screen);
  return RECT{frame.left, frame.top, frame.right, frame.bottom};
}

namespace {

// Records the routines into a new metafile on `reference`, or on the screen when it is null.
void record(std::span<const Stroke> first, std::span<const Stroke> second, HENHMETAFILE& slot, const RECT& frame,
            HBRUSH brush, HPEN pen, HPEN second_pen, HDC reference = nullptr) {
  HDC screen = reference == nullptr ? GetDC(nullptr) : nullptr;
  HDC dc = CreateEnhMetaFileW(reference != nullptr ? reference : screen, nullptr, &frame, nullptr);
  if (screen != nullptr) ReleaseDC(nullptr, screen);
  if (dc == nullptr) {
    slot = nullptr;
    return;
  }
  SelectObject(dc, brush);
  SelectObject(dc, pen);
  draw_strokes(dc, first);
  if (second_pen != nullptr) {
    SelectObject(dc, second_pen);
    draw_strokes(dc, second);
  }
  slot = CloseEnhMetaFile(dc);
}

}  // namespace

void make_picture(std::span<const Stroke> routine, HENHMETAFILE& slot, const RECT& frame, HBRUSH brush, HPEN pen) {
  record(routine, {}, slot, frame, brush, pen, nullptr);
}

void make_two_pen_picture(std::span<const Stroke> first, std::span<const Stroke> second, HENHMETAFILE& slot,
                          const RECT& frame, HBRUSH brush, HPEN pen, HPEN second_pen) {
  record(first, second, slot, frame, brush, pen, second_pen != nullptr ? second_pen : pen);
}

void create_element_pictures(ElementPictureSet& set, const RECT& frame, HBRUSH brush, HPEN pen, HPEN second_pen) {
  // The pictures are recorded on a metafile device made once on the screen, which stands
  // for it: a recording asks its reference device for the screen's size and resolution,
  // and the metafile device answers from what it took at its creation where the screen's
  // own device asks the display each time (under Wine some 1 ms a picture, 64 ms a set).
  // The pictures come out byte for byte as recorded on the screen itself.
  HDC screen = GetDC(nullptr);
  HDC reference = CreateEnhMetaFileW(screen, nullptr, &frame, nullptr);
  ReleaseDC(nullptr, screen);
  for (int slot = 0; slot < PICTURE_SLOTS; ++slot) {
    if (!is_picture_slot(slot)) continue;
    const std::span<const Stroke> strokes = element_picture_strokes(slot);
    const auto split = std::find_if(strokes.begin(), strokes.end(),
                                    [](const Stroke& s) { return s.kind == StrokeKind::SECOND_PEN; });
    HENHMETAFILE& out = set[static_cast<size_t>(slot)];
    if (split == strokes.end()) {
      record(strokes, {}, out, frame, brush, pen, nullptr, reference);
    } else {
      const size_t at = static_cast<size_t>(split - strokes.begin());
      record(strokes.first(at), strokes.subspan(at + 1), out, frame, brush, pen,
             second_pen != nullptr ? second_pen : pen, reference);
    }
  }
  if (reference != nullptr) DeleteEnhMetaFile(CloseEnhMetaFile(reference));
}

void delete_element_pictures(ElementPictureSet& set) {
  for (int slot = 0; slot < PICTURE_SLOTS; ++slot) {
    if (!is_picture_slot(slot)) continue;
    HENHMETAFILE& picture = set[static_cast<size_t>(slot)];
    if (picture != nullptr) DeleteEnhMetaFile(picture);
    picture = nullptr;
  }
}

void play_element_picture(HDC dc, const ElementPictureSet& set, int slot, const RECT& cell) {
  if (!is_picture_slot(slot) || set[static_cast<size_t>(slot)] == nullptr) return;
  PlayEnhMetaFile(dc, set[static_cast<size_t>(slot)], &cell);
}

PictureColours design_picture_colours(bool white_background) {
  return white_background ? PictureColours{RGB(255, 255, 255), RGB(0, 0, 0)}
                          : PictureColours{RGB(0, 0, 95), RGB(205, 205, 191)};
}

bool create_design_pictures(bool white_background, bool double_lines) {
  const PictureColours colours = design_picture_colours(white_background);
  HBRUSH brush = CreateSolidBrush(colours.brush);
  HPEN pen = CreatePen(PS_SOLID, double_lines ? 2 : 1, colours.pen);
  const bool made = brush != nullptr && pen != nullptr;
  if (made) create_element_pictures(g_design_pictures, screen_picture_frame(), brush, pen, pen);
  if (pen != nullptr) DeleteObject(pen);
  if (brush != nullptr) DeleteObject(brush);
  return made;
}

void delete_design_pictures() {
  if (g_design_pictures_shared) {
    // The shared set stays recorded for the next window; only this hold on it ends.
    g_design_pictures.fill(nullptr);
    g_design_pictures_shared = false;
    return;
  }
  delete_element_pictures(g_design_pictures);
}

const ElementPictureSet& shared_element_pictures(int key, const RECT& frame,
                                                 const std::function<void(ElementPictureSet&)>& record) {
  for (const SharedSet& s : shared_sets())
    if (s.key == key && EqualRect(&s.frame, &frame)) return s.set;
  SharedSet made{key, frame, {}};
  record(made.set);
  shared_sets().push_back(made);
  return shared_sets().back().set;
}

void use_design_pictures(bool white_background, bool double_lines) {
  if (!g_design_pictures_shared) delete_element_pictures(g_design_pictures);
  const RECT frame = screen_picture_frame();
  const int key = SHARED_DESIGN_PICTURES | (white_background ? 1 : 0) | (double_lines ? 2 : 0);
  g_design_pictures = shared_element_pictures(key, frame, [&](ElementPictureSet& set) {
    const PictureColours colours = design_picture_colours(white_background);
    HBRUSH brush = CreateSolidBrush(colours.brush);
    HPEN pen = CreatePen(PS_SOLID, double_lines ? 2 : 1, colours.pen);
    if (brush != nullptr && pen != nullptr) create_element_pictures(set, frame, brush, pen, pen);
    if (pen != nullptr) DeleteObject(pen);
    if (brush != nullptr) DeleteObject(brush);
  });
  g_design_pictures_shared = true;
}
