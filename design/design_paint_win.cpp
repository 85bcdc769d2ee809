#include "core/ladder_model.h"

#include "design/design_paint_win.h"

#include <cstdlib>
#include <string>

#include "design/design_window_win.h"
#include "design/element_pictures_win.h"
#include "design/view_geometry_win.h"
#include "shell/command_ids.h"
#include "shell/frame_handles_win.h"
#include "shell/mode_flags.h"
#include "shell/settings_file.h"
#include "shell/text_win.h"

static_assert(TextFormat::CENTER == DT_CENTER && TextFormat::RIGHT == DT_RIGHT && TextFormat::VCENTER == DT_VCENTER &&
              TextFormat::BOTTOM == DT_BOTTOM && TextFormat::WORDBREAK == DT_WORDBREAK &&
              TextFormat::SINGLELINE == DT_SINGLELINE);

namespace {

constexpr int ELEMENT_FONT_A = 80;
constexpr int COMMENT_ROW_FONT_A = 100;
constexpr int CELL_COMMENT_FONT_A = 120;
constexpr int FONT_B = 10;
constexpr char COMMENT_FACE[] = "ＭＳゴシック";

// Made on first use: a paint that draws no comment makes no comment font.
struct Fonts {
  HDC dc;
  const ViewState& view;
  const RECT& client;
  HFONT font[PAINT_FONTS] = {};
  HFONT get(PaintFont which) {
    const int i = static_cast<int>(which);
    if (font[i] == nullptr) {
      switch (which) {
        case PaintFont::ELEMENT:
          font[i] = create_cell_font(dc, view, g_font_name, ELEMENT_FONT_A, FONT_B, FW_NORMAL, ANSI_CHARSET, client);
          break;
        case PaintFont::COMMENT_ROW:
          font[i] = create_cell_font(dc, view, COMMENT_FACE, COMMENT_ROW_FONT_A, FONT_B, FW_NORMAL, SHIFTJIS_CHARSET,
                                     client);
          break;
        case PaintFont::COMMENT_ROW_COMPACT:
          font[i] = create_cell_font(dc, view, COMMENT_FACE, ELEMENT_FONT_A, FONT_B, FW_NORMAL, SHIFTJIS_CHARSET,
                                     client);
          break;
        case PaintFont::CELL_COMMENT:
          font[i] = create_cell_font(dc, view, COMMENT_FACE, CELL_COMMENT_FONT_A, FONT_B, FW_NORMAL, SHIFTJIS_CHARSET,
                                     client);
          break;
      }
    }
    return font[i];
  }
  ~Fonts() {
    for (HFONT f : font)
      if (f) DeleteObject(f);
  }
};

}  // namespace

HFONT create_cell_font(HDC dc, const ViewState& view, std::string_view face, int a, int b, int weight, int charset,
                       const RECT& client) {
  const FontSize size = cell_font_size(face, client.right - client.left, view.part_height, a, b);
  POINT point{size.x, size.y};
  const int saved = SaveDC(dc);
  SetGraphicsMode(dc, GM_ADVANCED);
  ModifyWorldTransform(dc, nullptr, MWT_IDENTITY);
  SetViewportOrgEx(dc, 0, 0, nullptr);
  SetWindowOrgEx(dc, 0, 0, nullptr);
  DPtoLP(dc, &point, 1);
  RestoreDC(dc, saved);
  const std::wstring wide_face = cp932_to_wide(face);
  return CreateFontW(-(std::abs(point.y) / 10), -(std::abs(point.x) / 12), 0, 0, weight, FALSE, FALSE, FALSE,
                     static_cast<DWORD>(charset), OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                     FIXED_PITCH, wide_face.c_str());
}

void play_display_list(HDC dc, const DisplayList& list, const ViewState& view, const RECT& client,
                       std::span<const ElementPictureSet* const> sets) {
  Fonts fonts{dc, view, client};
  const HGDIOBJ old_font = SelectObject(dc, fonts.get(PaintFont::ELEMENT));
  const HGDIOBJ old_pen = GetCurrentObject(dc, OBJ_PEN);
  const COLORREF old_text = GetTextColor(dc);
  SetBkMode(dc, OPAQUE);
  // The rails and ticks share a few pens: one is kept while the lines use it.
  HPEN pen = nullptr;
  uint32_t pen_colour = 0;
  int pen_width = -1;
  for (const PaintItem& item : list.items) {
    switch (item.kind) {
      case PaintKind::LINE: {
        if (pen == nullptr || pen_colour != item.colour || pen_width != item.width) {
          HPEN next = CreatePen(PS_SOLID, item.width, item.colour);
          SelectObject(dc, next);
          if (pen != nullptr) DeleteObject(pen);
          pen = next;
          pen_colour = item.colour;
          pen_width = item.width;
        }
        MoveToEx(dc, item.rect.left, item.rect.top, nullptr);
        LineTo(dc, item.rect.right, item.rect.bottom);
        break;
      }
      case PaintKind::PICTURE: {
        const ElementPictureSet* set = sets.empty() ? (item.picture_source == 0 ? &g_design_pictures : nullptr)
                                       : item.picture_source < sets.size() ? sets[item.picture_source]
                                                                           : nullptr;
        if (set != nullptr)
          play_element_picture(dc, *set, item.picture,
                               RECT{item.rect.left, item.rect.top, item.rect.right, item.rect.bottom});
        break;
      }
      case PaintKind::TEXT: {
        SelectObject(dc, fonts.get(item.font));
        SetTextColor(dc, item.colour);
        SetBkColor(dc, item.background);
        RECT rect{item.rect.left, item.rect.top, item.rect.right, item.rect.bottom};
        std::wstring wide = cp932_to_wide(item.text);
        DrawTextW(dc, wide.c_str(), static_cast<int>(wide.size()), &rect, item.format);
        break;
      }
      case PaintKind::FRAME: {
        HRGN region = CreateRectRgn(item.rect.left, item.rect.top, item.rect.right, item.rect.bottom);
        HBRUSH brush = CreateSolidBrush(item.colour);
        FrameRgn(dc, region, brush, item.width, item.width);
        DeleteObject(brush);
        DeleteObject(region);
        break;
      }
    }
  }
  SelectObject(dc, old_pen);
  if (pen != nullptr) DeleteObject(pen);
  SetTextColor(dc, old_text);
  SelectObject(dc, old_font);
}

PaintInputs design_paint_inputs(HWND window, const ViewState& view, ConstGridSpan grid, const RECT& update) {
  RECT client{};
  GetClientRect(window, &client);
  PaintInputs in;
  in.grid = grid;
  in.view = &view;
  in.update = {update.left, update.top, update.right, update.bottom};
  in.client_width = client.right - client.left;
  in.client_height = client.bottom - client.top;
  in.comment_mode = get_mode_flag(CMD_COMMENT) != 0;
  in.picture_set = g_picture_set;
  in.double_lines = g_double_lines != 0;
  in.search_highlight = g_search_highlight != 0;
  in.colours = {view.background, g_design_text_color, g_design_comment_color};
  return in;
}

LRESULT paint_design_window(HWND window) {
  PAINTSTRUCT paint{};
  HDC dc = BeginPaint(window, &paint);
  const ViewState* view = view_state_of(window);
  const LadderGrid* grid = design_grid_of(window);
  if (dc != nullptr && view != nullptr && grid != nullptr) {
    RECT client{};
    GetClientRect(window, &client);
    const DisplayList list = build_design_display_list(design_paint_inputs(window, *view, *grid, paint.rcPaint));
    g_program_row_count = list.program_rows;
    play_display_list(dc, list, *view, client);
  }
  EndPaint(window, &paint);
  return 0;
}
