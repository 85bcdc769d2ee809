// The element pictures as recorded metafiles: the set's handles, the records of a few
// pictures, a picture played into cells of several sizes, and a picture of all 64 for a
// person to look at (build/screenshots/element_pictures.png).
#include "target/windows_api.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <span>
#include <vector>

#include "design/element_pictures_win.h"
#include "win/rig_helper.h"

namespace {

constexpr COLORREF PEN = RGB(255, 0, 0);
constexpr COLORREF SECOND = RGB(0, 0, 255);
constexpr COLORREF BRUSH = RGB(0, 255, 0);

// What a picture's metafile holds.
struct Records {
  std::vector<POINTL> moves, lines;
  int ellipses = 0, rectangles = 0, polylines = 0;
  std::vector<COLORREF> pens;  // colours of the pens created, in order
  std::vector<COLORREF> brushes;
  std::vector<DWORD> order;    // record types after the header
  RECTL frame{};
};

int CALLBACK collect(HDC, HANDLETABLE*, const ENHMETARECORD* record, int, LPARAM data) {
  Records& r = *reinterpret_cast<Records*>(data);
  switch (record->iType) {
    case EMR_HEADER: r.frame = reinterpret_cast<const ENHMETAHEADER*>(record)->rclFrame; return 1;
    case EMR_MOVETOEX: r.moves.push_back(reinterpret_cast<const EMRMOVETOEX*>(record)->ptl); break;
    case EMR_LINETO: r.lines.push_back(reinterpret_cast<const EMRLINETO*>(record)->ptl); break;
    case EMR_ELLIPSE: ++r.ellipses; break;
    case EMR_RECTANGLE: ++r.rectangles; break;
    case EMR_POLYLINE:
    case EMR_POLYLINE16: ++r.polylines; break;
    case EMR_CREATEPEN: r.pens.push_back(reinterpret_cast<const EMRCREATEPEN*>(record)->lopn.lopnColor); break;
    case EMR_CREATEBRUSHINDIRECT:
      r.brushes.push_back(reinterpret_cast<const EMRCREATEBRUSHINDIRECT*>(record)->lb.lbColor);
      break;
    default: break;
  }
  r.order.push_back(record->iType);
  return 1;
}

Records records_of(HENHMETAFILE picture) {
  Records r;
  EnumEnhMetaFile(nullptr, picture, collect, &r, nullptr);
  return r;
}

std::vector<BYTE> bits_of(HENHMETAFILE picture) {
  std::vector<BYTE> bits(GetEnhMetaFileBits(picture, 0, nullptr));
  GetEnhMetaFileBits(picture, static_cast<UINT>(bits.size()), bits.data());
  return bits;
}

class ElementPictureSetTest : public ::testing::Test {
 protected:
  void SetUp() override {
    brush = CreateSolidBrush(BRUSH);
    pen = CreatePen(PS_SOLID, 1, PEN);
    second = CreatePen(PS_SOLID, 1, SECOND);
    for (int slot = FIRST_EMPTY_SLOT; slot <= LAST_EMPTY_SLOT; ++slot)
      set[static_cast<size_t>(slot)] = reinterpret_cast<HENHMETAFILE>(static_cast<INT_PTR>(0x5000 + slot));
    create_element_pictures(set, screen_picture_frame(), brush, pen, second);
  }
  void TearDown() override {
    delete_element_pictures(set);
    DeleteObject(second);
    DeleteObject(pen);
    DeleteObject(brush);
  }
  ElementPictureSet set{};
  HBRUSH brush{};
  HPEN pen{}, second{};
};

TEST_F(ElementPictureSetTest, SixtyFourPicturesAndTheEmptySlotsLeftAlone) {
  std::set<HENHMETAFILE> handles;
  for (int slot = 0; slot < PICTURE_SLOTS; ++slot) {
    if (!is_picture_slot(slot)) {
      EXPECT_EQ(set[static_cast<size_t>(slot)], reinterpret_cast<HENHMETAFILE>(static_cast<INT_PTR>(0x5000 + slot)));
      continue;
    }
    ASSERT_NE(set[static_cast<size_t>(slot)], nullptr) << slot;
    handles.insert(set[static_cast<size_t>(slot)]);
  }
  EXPECT_EQ(handles.size(), 64u);
  const HENHMETAFILE wire = set[PIC_WIRE_H];
  ENHMETAHEADER header{};
  ASSERT_NE(GetEnhMetaFileHeader(wire, sizeof header, &header), 0u);
  delete_element_pictures(set);
  EXPECT_EQ(GetEnhMetaFileHeader(wire, sizeof header, &header), 0u);
  for (int slot = 0; slot < PICTURE_SLOTS; ++slot) {
    if (is_picture_slot(slot)) EXPECT_EQ(set[static_cast<size_t>(slot)], nullptr);
    else EXPECT_EQ(set[static_cast<size_t>(slot)], reinterpret_cast<HENHMETAFILE>(static_cast<INT_PTR>(0x5000 + slot)));
  }
  delete_element_pictures(set);  // a second delete finds nothing to delete
}

TEST_F(ElementPictureSetTest, TheRecordsOfAFewPictures) {
  struct Case {
    int slot;
    int moves, ellipses, rectangles, polylines;
    std::vector<COLORREF> pens;
  };
  const Case cases[] = {
      {PIC_WIRE_H, 1, 0, 0, 0, {PEN}},
      {PIC_CORNER_BOLD, 4, 0, 0, 0, {PEN}},  // a plain stroke and a thick one (three)
      {PIC_LIMIT_A, 2, 2, 1, 0, {PEN}},
      {PIC_COIL, 1, 0, 0, 2, {PEN}},
      {PIC_PUSH_B, 4, 2, 0, 0, {PEN, SECOND}},
      {PIC_BOX_CONTACT_A_BOLD, 3, 0, 2, 0, {PEN, SECOND}},  // a double rectangle is two
      {PIC_PULSE_BOLD, 11, 0, 0, 0, {PEN}},
  };
  const RECT frame = screen_picture_frame();
  for (const Case& c : cases) {
    SCOPED_TRACE(element_picture_name(c.slot));
    const Records r = records_of(set[static_cast<size_t>(c.slot)]);
    EXPECT_EQ(static_cast<int>(r.moves.size()), c.moves);
    EXPECT_EQ(static_cast<int>(r.lines.size()), c.moves);
    EXPECT_EQ(r.ellipses, c.ellipses);
    EXPECT_EQ(r.rectangles, c.rectangles);
    EXPECT_EQ(r.polylines, c.polylines);
    EXPECT_EQ(r.pens, c.pens);
    EXPECT_EQ(r.brushes, (std::vector<COLORREF>{BRUSH}));
    EXPECT_EQ(r.frame.right, frame.right);
    EXPECT_EQ(r.frame.bottom, frame.bottom);
  }
  const Records wire = records_of(set[PIC_WIRE_H]);
  ASSERT_EQ(wire.moves.size(), 1u);
  EXPECT_EQ(wire.moves[0].x, 0);
  EXPECT_EQ(wire.moves[0].y, 27);
  EXPECT_EQ(wire.lines[0].x, 83);
  EXPECT_EQ(wire.lines[0].y, 27);
  // A two-pen picture draws its second routine after the second pen is selected: the bar
  // and the stem of the push button are the last two lines.
  const Records push = records_of(set[PIC_PUSH_B]);
  ASSERT_EQ(push.lines.size(), 4u);
  EXPECT_EQ(push.lines[2].y, 30);
  EXPECT_EQ(push.lines[3].y, 30);
  size_t second_pen_at = 0, pens_seen = 0;
  for (size_t i = 0; i < push.order.size(); ++i)
    if (push.order[i] == EMR_CREATEPEN && ++pens_seen == 2) second_pen_at = i;
  size_t lines_after = 0;
  for (size_t i = second_pen_at; i < push.order.size(); ++i) lines_after += push.order[i] == EMR_LINETO;
  EXPECT_EQ(lines_after, 2u);
}

// A white 32-bit picture of w x h pixels to play into.
struct Canvas {
  Canvas(int w, int h) : width(w), height(h) {
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = w;
    info.bmiHeader.biHeight = -h;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    dc = CreateCompatibleDC(nullptr);
    bitmap = CreateDIBSection(dc, &info, DIB_RGB_COLORS, reinterpret_cast<void**>(&bits), nullptr, 0);
    old = SelectObject(dc, bitmap);
    for (int i = 0; i < w * h; ++i) bits[i] = 0xFFFFFF;
  }
  ~Canvas() {
    SelectObject(dc, old);
    DeleteObject(bitmap);
    DeleteDC(dc);
  }
  COLORREF at(int x, int y) const {
    const uint32_t p = bits[y * width + x];
    return RGB(p >> 16 & 0xFF, p >> 8 & 0xFF, p & 0xFF);
  }
  int width, height;
  HDC dc{};
  HBITMAP bitmap{};
  HGDIOBJ old{};
  uint32_t* bits = nullptr;
};

TEST_F(ElementPictureSetTest, TheWireCrossesCellsOfAnySizeAtTheRungsHeight) {
  const SIZE sizes[] = {{84, 56}, {168, 112}, {60, 40}, {30, 20}};
  for (SIZE size : sizes) {
    SCOPED_TRACE(size.cx);
    Canvas canvas(static_cast<int>(size.cx), static_cast<int>(size.cy));
    const RECT cell{0, 0, size.cx, size.cy};
    play_element_picture(canvas.dc, set, PIC_WIRE_H, cell);
    GdiFlush();
    const int wire_y = static_cast<int>(27 * size.cy / 56);
    for (int x : {1, static_cast<int>(size.cx / 2), static_cast<int>(size.cx - 3)}) {
      bool found = false;
      for (int y = wire_y - 1; y <= wire_y + 1; ++y) found = found || canvas.at(x, y) == PEN;
      EXPECT_TRUE(found) << "x " << x;
      EXPECT_EQ(canvas.at(x, 0), RGB(255, 255, 255));
      EXPECT_EQ(canvas.at(x, static_cast<int>(size.cy) - 1), RGB(255, 255, 255));
    }
  }
  // An empty slot plays nothing.
  Canvas canvas(84, 56);
  play_element_picture(canvas.dc, set, 65, RECT{0, 0, 84, 56});
  GdiFlush();
  EXPECT_EQ(canvas.at(42, 27), RGB(255, 255, 255));
}

TEST(ElementPictures, TheDesignSetFollowsTheColourScheme) {
  for (bool white : {true, false}) {
    for (bool doubled : {false, true}) {
      ASSERT_TRUE(create_design_pictures(white, doubled));
      const Records r = records_of(g_design_pictures[PIC_PUSH_B]);
      const PictureColours colours = design_picture_colours(white);
      EXPECT_EQ(r.pens, (std::vector<COLORREF>{colours.pen}));  // the one pen serves as both
      EXPECT_EQ(r.brushes, (std::vector<COLORREF>{colours.brush}));
      delete_design_pictures();
      EXPECT_EQ(g_design_pictures[PIC_PUSH_B], nullptr);
    }
  }
  EXPECT_EQ(design_picture_colours(false).brush, RGB(0, 0, 95));
  EXPECT_EQ(design_picture_colours(false).pen, RGB(205, 205, 191));
}

// ---- The picture for a person to look at ---------------------------------------------------

struct Sheet {
  const ElementPictureSet* set;
  COLORREF background;
  int left, top, cell_w, cell_h, gap;
};
std::vector<Sheet>* g_sheets = nullptr;

// The 64 pictures in slot order, eight to a row.
void draw_sheet(HDC dc, const Sheet& s) {
  HBRUSH back = CreateSolidBrush(s.background);
  const RECT area{s.left, s.top, s.left + 8 * (s.cell_w + s.gap), s.top + 8 * (s.cell_h + s.gap)};
  FillRect(dc, &area, back);
  DeleteObject(back);
  int i = 0;
  for (int slot = 0; slot < PICTURE_SLOTS; ++slot) {
    if (!is_picture_slot(slot)) continue;
    const int x = s.left + (i % 8) * (s.cell_w + s.gap);
    const int y = s.top + (i / 8) * (s.cell_h + s.gap);
    play_element_picture(dc, *s.set, slot, RECT{x, y, x + s.cell_w, y + s.cell_h});
    ++i;
  }
}

LRESULT CALLBACK sheet_proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == WM_PAINT) {
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(window, &paint);
    RECT client;
    GetClientRect(window, &client);
    FillRect(dc, &client, static_cast<HBRUSH>(GetStockObject(GRAY_BRUSH)));
    if (g_sheets != nullptr)
      for (const Sheet& s : *g_sheets) draw_sheet(dc, s);
    EndPaint(window, &paint);
    return 0;
  }
  return DefWindowProcW(window, message, wparam, lparam);
}

TEST(ElementPictures, ScreenshotOfAllPictures) {
  // White scheme at 100% (one frame unit a pixel), dark scheme with double lines at a
  // design window's usual cell, and both at a small cell.
  ElementPictureSet white{}, dark{};
  HBRUSH white_brush = CreateSolidBrush(RGB(255, 255, 255));
  HPEN black = CreatePen(PS_SOLID, 1, RGB(0, 0, 0));
  HBRUSH dark_brush = CreateSolidBrush(RGB(0, 0, 95));
  HPEN light = CreatePen(PS_SOLID, 2, RGB(205, 205, 191));
  create_element_pictures(white, screen_picture_frame(), white_brush, black, black);
  create_element_pictures(dark, screen_picture_frame(), dark_brush, light, light);
  std::vector<Sheet> sheets{
      {&white, RGB(255, 255, 255), 8, 8, 84, 56, 4},
      {&dark, RGB(0, 0, 95), 720, 8, 60, 40, 4},
      {&white, RGB(255, 255, 255), 720, 360, 28, 19, 3},
      {&dark, RGB(0, 0, 95), 990, 360, 28, 19, 3},
  };
  g_sheets = &sheets;
  WNDCLASSW wc{};
  wc.lpfnWndProc = sheet_proc;
  wc.hInstance = GetModuleHandleW(nullptr);
  wc.lpszClassName = L"TavolinPictureSheet";
  RegisterClassW(&wc);
  HWND window = CreateWindowExW(WS_EX_TOPMOST, L"TavolinPictureSheet", L"pictures", WS_POPUP | WS_VISIBLE, 0, 0, 1280,
                                800, nullptr, nullptr, wc.hInstance, nullptr);
  ASSERT_NE(window, nullptr);
  UpdateWindow(window);
  EXPECT_FALSE(save_screenshot("element_pictures").empty());
  DestroyWindow(window);
  UnregisterClassW(L"TavolinPictureSheet", wc.hInstance);
  g_sheets = nullptr;
  delete_element_pictures(white);
  delete_element_pictures(dark);
  DeleteObject(light);
  DeleteObject(dark_brush);
  DeleteObject(black);
  DeleteObject(white_brush);
}

}  // namespace

namespace {

// A whole set is recorded on a stand-in for the screen (a metafile device made on it once):
// every picture holds, byte for byte, what recording it alone on the screen gives, for both
// pen widths and the pictures of one pen and of two.
TEST(ElementPictures, TheSetHoldsWhatEachPictureRecordedAloneOnTheScreenGives) {
  const RECT frame = screen_picture_frame();
  HBRUSH brush = CreateSolidBrush(BRUSH);
  for (int width : {1, 2}) {
    SCOPED_TRACE(width);
    HPEN pen = CreatePen(PS_SOLID, width, PEN);
    HPEN second = CreatePen(PS_SOLID, width, SECOND);
    ElementPictureSet set{};
    create_element_pictures(set, frame, brush, pen, second);
    int two_pen = 0;
    for (int slot = 0; slot < PICTURE_SLOTS; ++slot) {
      if (!is_picture_slot(slot)) continue;
      SCOPED_TRACE(element_picture_name(slot));
      const std::span<const Stroke> strokes = element_picture_strokes(slot);
      const auto split = std::find_if(strokes.begin(), strokes.end(),
                                      [](const Stroke& s) { return s.kind == StrokeKind::SECOND_PEN; });
      HENHMETAFILE alone = nullptr;
      if (split == strokes.end()) {
        make_picture(strokes, alone, frame, brush, pen);
      } else {
        ++two_pen;
        const size_t at = static_cast<size_t>(split - strokes.begin());
        make_two_pen_picture(strokes.first(at), strokes.subspan(at + 1), alone, frame, brush, pen, second);
      }
      ASSERT_NE(alone, nullptr);
      ASSERT_NE(set[static_cast<size_t>(slot)], nullptr);
      EXPECT_EQ(bits_of(set[static_cast<size_t>(slot)]), bits_of(alone));
      DeleteEnhMetaFile(alone);
    }
    EXPECT_GT(two_pen, 0);
    delete_element_pictures(set);
    DeleteObject(second);
    DeleteObject(pen);
  }
  DeleteObject(brush);
}

// The design set is recorded once per process and shared: a window that lets go of it
// (delete_design_pictures after use_design_pictures) leaves its metafiles alive, the next
// window gets the same ones back, and another scheme gets a set of its own.
TEST(ElementPictures, TheSharedDesignSetOutlivesItsWindows) {
  use_design_pictures(true, false);
  const HENHMETAFILE first = g_design_pictures[PIC_CONTACT_A];
  ASSERT_NE(first, nullptr);
  delete_design_pictures();
  EXPECT_EQ(g_design_pictures[PIC_CONTACT_A], nullptr);
  EXPECT_GT(GetEnhMetaFileHeader(first, 0, nullptr), 0u);  // still a live metafile
  use_design_pictures(true, false);
  EXPECT_EQ(g_design_pictures[PIC_CONTACT_A], first);
  use_design_pictures(false, false);
  EXPECT_NE(g_design_pictures[PIC_CONTACT_A], first);
  EXPECT_EQ(records_of(g_design_pictures[PIC_PUSH_B]).brushes,
            (std::vector<COLORREF>{design_picture_colours(false).brush}));
  delete_design_pictures();
  EXPECT_GT(GetEnhMetaFileHeader(first, 0, nullptr), 0u);
}

}  // namespace
