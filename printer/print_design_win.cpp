#include "printer/print_design_win.h"

#include <algorithm>
#include <string>

#include "core/cell_text.h"
#include "core/instruction_tables.h"
#include "shell/text_win.h"

namespace {

constexpr COLORREF BLACK = RGB(0, 0, 0);
constexpr COLORREF COMMENT_ROW_COLOUR = RGB(195, 0, 0);
constexpr COLORREF DEVICE_COMMENT_COLOUR = RGB(0, 90, 0);
constexpr COLORREF ROW_LABEL_COMMENT_COLOUR = RGB(0, 0, 130);
constexpr COLORREF STEP_FIELD = RGB(255, 210, 93);
constexpr COLORREF COMMENT_STEP_FIELD = RGB(195, 0, 0);

// GDI objects selected for the life of one drawing and given back afterwards.
class Selected {
 public:
  Selected(HDC dc, HGDIOBJ object) : dc_(dc), object_(object), previous_(SelectObject(dc, object)) {}
  ~Selected() {
    SelectObject(dc_, previous_);
    DeleteObject(object_);
  }
  Selected(const Selected&) = delete;
  Selected& operator=(const Selected&) = delete;

 private:
  HDC dc_;
  HGDIOBJ object_;
  HGDIOBJ previous_;
};

HFONT make_font(int height, const wchar_t* face, int weight = FW_NORMAL) {
  return CreateFontW(-std::max(height, 1), 0, 0, 0, weight, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                     CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, FIXED_PITCH | FF_MODERN, face);
}

void line(HDC dc, int x0, int y0, int x1, int y1) {
  MoveToEx(dc, x0, y0, nullptr);
  LineTo(dc, x1, y1);
}

void text_in(HDC dc, const std::string& cp932, RECT box, UINT format, COLORREF colour) {
  if (cp932.empty()) return;
  SetTextColor(dc, colour);
  const std::wstring wide = cp932_to_wide(cp932);
  DrawTextW(dc, wide.c_str(), static_cast<int>(wide.size()), &box, format | DT_NOPREFIX);
}

std::string slot_text(const char* text, std::size_t size) { return std::string(text, strnlen(text, size)); }

bool is_contact(uint32_t code) {
  return (code >= PartCode::RELAY_A && code <= PartCode::PUSH_B) || code == PartCode::D_CONTACT_A ||
         code == PartCode::D_CONTACT_B;
}

// The geometry of one row on the page.
struct RowBox {
  int top;
  int mid;     // the wire
  int bottom;  // of the element band
};

// The picture of a cell, by its part code together with the TIM/CNT bits, and whether it
// reaches from the cell to the right rail; -1 for a cell drawn without a picture.
struct CellPicture {
  int slot = -1;
  bool to_right_rail = false;
};

CellPicture cell_picture(const LadderRow& row, int column) {
  const uint32_t w0 = row.cell[column].word[0];
  const uint32_t code = (w0 >> 4) & 0x31FF;
  const uint32_t output = row.cell[12].word[0] & 0x1FF;
  switch (code) {
    case 1: return {PIC_CONTACT_A};
    case 2: return {PIC_CONTACT_B};
    case 3: return {PIC_LIMIT_A};
    case 4: return {PIC_LIMIT_B};
    case 5: return {PIC_PUSH_A};
    case 6: return {PIC_PUSH_B};
    case 7: return {PIC_COIL, true};
    case 0x1008:
    case 0x1009: return {PIC_COIL_RIGHT, true};
    case 0x2000: return {PIC_COIL_LEFT};
    case 11: return {PIC_WIRE_H};
    case 12: return {PIC_WIRE_TO_CHEVRON};
    case 13: return {PIC_CHEVRON_TO_WIRE};
    case 15: return {PIC_PULSE};
    case PartCode::BOX_FIRST:
      // A box without operand cells fills the row to the rail; others open with a bracket.
      if (g_operand_line_counts[output] == 0 && output != Instr::ASM) return {PIC_BOX, true};
      return {PIC_BOX_LEFT};
    case PartCode::BOX_LAST:
      if (column == OUTPUT_COLUMN && (output == Instr::END || output == Instr::FEND)) return {PIC_BOX, true};
      return {PIC_BOX_RIGHT, column == OUTPUT_COLUMN};
    default:
      break;
  }
  if ((code >= 0x1C1 && code <= 0x1C6) || (code >= 0x1C9 && code <= 0x1CE)) return {PIC_BOX_LEFT};
  return {};
}

void draw_row_elements(HDC dc, const PrintPageLayout& l, const LadderRow& row, int r, ConstGridSpan grid,
                       const RowBox& box, const PrintPictures& pictures, HFONT element_font, HFONT comment_font) {
  const int cw = l.cell_width;
  SelectObject(dc, element_font);
  for (int c = 0; c <= OUTPUT_COLUMN; ++c) {
    const uint32_t w0 = row.cell[c].word[0];
    const int x0 = l.left_rail_x + c * cw;
    const int x1 = x0 + cw;
    if ((w0 & 0xF) == 0) continue;
    const CellPicture picture = cell_picture(row, c);
    if (picture.slot >= 0) {
      const RECT cell{x0, box.top, picture.to_right_rail ? l.right_rail_x : x1, box.bottom};
      play_element_picture(dc, pictures.set, picture_in_set(picture.slot, pictures.picture_set), cell);
    }
    if (w0 & CellFlags::LINK_UP) {
      // Joins the middle of the row above to this row's wire.
      const RECT link{x0, box.top - l.row_height + l.part_height / 2, x1, box.top + l.part_height / 2};
      play_element_picture(dc, pictures.set, picture_in_set(PIC_WIRE_V, pictures.picture_set), link);
    }

    // Operand texts: a contact's device above it; a comparison's text from its first
    // cell; an output's name and operands, kept in its output cell, from the element's
    // first cell (the box's opening bracket, a timer's coil).
    const uint32_t code = part_code_of(w0);
    const bool comparison = (w0 & CellFlags::COMPARISON) != 0 && code >= 0x1C0;
    const bool output = (w0 & CellFlags::OUTPUT) != 0;
    if (!is_contact(code) && !comparison && !output) continue;
    char text[CELL_TEXT_BUFFER_SIZE] = "";
    char mark[MARK_TEXT_BUFFER_SIZE] = "";
    format_cell_text(grid, {r, c}, text, mark, false);
    if (is_contact(code) && !comparison) {
      const RECT above{x0, box.top - l.part_height / 10, x1, box.top + l.part_height / 4 + l.part_height / 20};
      text_in(dc, text, above, DT_CENTER | DT_BOTTOM | DT_SINGLELINE, BLACK);
    } else {
      int first = c;
      if (output && (w0 & CellFlags::BOX)) {
        while (first > 0 && (row.cell[first].word[0] & CellFlags::BOX) && part_code_of(row.cell[first].word[0]) != PartCode::BOX_FIRST)
          --first;
      } else if (output && (w0 & CellFlags::TIMER_OUTPUT) && (row.cell[c - 1].word[0] & CellFlags::TIMER_COIL)) {
        first = c - 1;
      }
      const int left = l.left_rail_x + first * cw + cw / 6;
      const int right = comparison ? x1 + 2 * cw : l.right_rail_x - cw / 4;
      const RECT inside{left, box.mid - l.part_height / 6, right, box.mid + l.part_height / 6};
      text_in(dc, text, inside, DT_LEFT | DT_VCENTER | DT_SINGLELINE, BLACK);
    }
    if (mark[0]) {
      const RECT left_of{x0 + cw / 4 - cw, box.mid - l.part_height / 6, x1 + cw / 4 - cw, box.mid + l.part_height / 6};
      text_in(dc, mark, left_of, DT_CENTER | DT_BOTTOM | DT_SINGLELINE, BLACK);
    }
  }

  // Device comments under their elements.
  SelectObject(dc, comment_font);
  for (int c = 0; c <= OUTPUT_COLUMN; ++c) {
    if (!(row.cell[c].word[0] & CellFlags::HAS_COMMENT)) continue;
    const std::string comment = slot_text(row.text[c], CELL_TEXT_SIZE);
    const int left = c == OUTPUT_COLUMN ? l.right_rail_x - cw + cw / 12 : l.left_rail_x + c * cw + cw / 12;
    const int right = c == OUTPUT_COLUMN ? l.right_rail_x : l.left_rail_x + (c + 1) * cw;
    const int top = box.top + 3 * l.part_height / 5 + 3 * l.part_height / 25;
    const RECT under{left, top, right, top + 13 * l.row_height / 20 + 3 * l.row_height / 40};
    text_in(dc, comment, under, DT_LEFT | DT_TOP | DT_WORDBREAK, DEVICE_COMMENT_COLOUR);
  }
}

void draw_margin(HDC dc, const PrintPageLayout& l, const LadderRow& row, int step, const RowBox& box,
                 HFONT element_font, HFONT comment_font) {
  const int cw = l.cell_width;
  SelectObject(dc, element_font);
  // The row label (a jump target) in the upper half, its comment below it.
  if (row.cell[LABEL_COLUMN].word[0] & CellFlags::U_MARK) {
    char text[CELL_TEXT_BUFFER_SIZE] = "";
    char mark[MARK_TEXT_BUFFER_SIZE] = "";
    format_cell_text(ConstGridSpan(&row, 1), {0, LABEL_COLUMN}, text, mark, false);
    RECT label{cw / 20, box.top, l.left_rail_x - cw / 20, box.mid};
    text_in(dc, text, label, DT_LEFT | DT_BOTTOM | DT_SINGLELINE, BLACK);
  }
  if (row.cell[LABEL_COLUMN].word[0] & CellFlags::HAS_COMMENT) {
    SelectObject(dc, comment_font);
    RECT label{cw / 20, box.mid + l.part_height / 5, l.left_rail_x - cw / 20, box.top + l.row_height};
    text_in(dc, slot_text(row.text[LABEL_COLUMN], CELL_TEXT_SIZE), label, DT_LEFT | DT_TOP | DT_WORDBREAK,
            ROW_LABEL_COMMENT_COLOUR);
    SelectObject(dc, element_font);
  }
  // The step number on its field, right aligned against the left rail.
  const std::string number = std::to_string(step);
  SIZE extent{};
  const std::wstring wide = cp932_to_wide(number);
  GetTextExtentPoint32W(dc, wide.c_str(), static_cast<int>(wide.size()), &extent);
  RECT field{l.left_rail_x - cw / 10 - extent.cx - cw / 20, box.mid - extent.cy / 2, l.left_rail_x - cw / 20,
             box.mid + extent.cy / 2};
  const COLORREF old_background = SetBkColor(dc, is_comment_row(row) ? COMMENT_STEP_FIELD : STEP_FIELD);
  const int old_mode = SetBkMode(dc, OPAQUE);
  ExtTextOutW(dc, 0, 0, ETO_OPAQUE, &field, nullptr, 0, nullptr);
  text_in(dc, number, field, DT_RIGHT | DT_VCENTER | DT_SINGLELINE, BLACK);
  SetBkMode(dc, old_mode);
  SetBkColor(dc, old_background);
}

}  // namespace

bool PrintPictures::record(bool bold) {
  picture_set = bold ? 1 : 0;
  const PictureColours colours = design_picture_colours(true);
  HBRUSH brush = CreateSolidBrush(colours.brush);
  HPEN pen = CreatePen(PS_SOLID, 1, colours.pen);
  const bool made = brush != nullptr && pen != nullptr;
  if (made) create_element_pictures(set, screen_picture_frame(), brush, pen, pen);
  if (pen != nullptr) DeleteObject(pen);
  if (brush != nullptr) DeleteObject(brush);
  return made;
}

void draw_print_page(HDC dc, const PrintPageLayout& l, const PrintDesignJob& job, const PrintPictures& pictures,
                     PrintRowRange page, int page_number, int page_count) {
  const int saved = SaveDC(dc);
  SetBkMode(dc, TRANSPARENT);
  SetTextAlign(dc, TA_LEFT | TA_TOP);
  const int pen_width = std::max(l.cell_width / (job.bold_pictures ? 40 : 80), 1);
  Selected pen(dc, CreatePen(PS_SOLID, pen_width, BLACK));
  Selected header_font(dc, make_font(l.header_height * 5 / 8, L"Courier New"));

  // Header: the file, the rows of this page and the page number.
  const std::wstring header = job.design_path + L"    " + std::to_wstring(page.first + 1) + L" - " +
                              std::to_wstring(page.end) + L"    " + std::to_wstring(page_number) + L" / " +
                              std::to_wstring(page_count);
  RECT header_box{0, 0, l.page_width, l.header_height};
  SetTextColor(dc, BLACK);
  DrawTextW(dc, header.c_str(), static_cast<int>(header.size()), &header_box, DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);

  const HFONT element_font = make_font(l.part_height / 4, L"Courier New");
  const HFONT comment_font = make_font(l.part_height / 5, L"MS Gothic");
  const HFONT comment_row_font = make_font(l.part_height / 4, L"MS Gothic");

  // The rails span the rows of the page.
  const int rows_bottom = l.top_margin + page.count() * l.row_height;
  line(dc, l.left_rail_x, l.top_margin, l.left_rail_x, rows_bottom);
  line(dc, l.right_rail_x, l.top_margin, l.right_rail_x, rows_bottom);

  int step = step_number_of(job.grid, page.first - 1);
  for (int r = page.first; r < page.end && r < static_cast<int>(job.grid.size()); ++r) {
    const LadderRow& row = job.grid[static_cast<std::size_t>(r)];
    const int top = l.top_margin + (r - page.first) * l.row_height;
    const RowBox box{top, top + l.part_height / 2, top + l.part_height};
    if (is_comment_row(row)) {
      SelectObject(dc, comment_row_font);
      RECT text_box{l.left_rail_x + l.cell_width / 2, top + l.row_height / 6, l.page_width - l.cell_width / 18,
                    top + l.row_height};
      text_in(dc, slot_text(row.row_text(), ROW_TEXT_SIZE), text_box, DT_LEFT | DT_TOP | DT_NOPREFIX, COMMENT_ROW_COLOUR);
    } else {
      ++step;
      if (is_text_row(row)) {
        SelectObject(dc, comment_row_font);
        RECT text_box{l.left_rail_x + 2 * l.cell_width + l.cell_width / 2, top + l.row_height / 6,
                      l.page_width - l.cell_width / 18, top + l.row_height};
        text_in(dc, slot_text(row.text[1], CELL_TEXT_SIZE), text_box, DT_LEFT | DT_TOP | DT_WORDBREAK,
                COMMENT_ROW_COLOUR);
      }
      draw_row_elements(dc, l, row, r, job.grid, box, pictures, element_font, comment_font);
    }
    draw_margin(dc, l, row, step, box, element_font, comment_font);
  }
  RestoreDC(dc, saved);
  DeleteObject(element_font);
  DeleteObject(comment_font);
  DeleteObject(comment_row_font);
}

int print_design(HDC printer, const PrintDesignJob& job) {
  const PrintPageLayout layout =
      print_page_layout(GetDeviceCaps(printer, HORZRES), GetDeviceCaps(printer, VERTRES));
  const std::vector<PrintRowRange> pages = paginate_rows(job.rows, layout.rows_per_page);
  if (pages.empty()) return 0;
  PrintPictures pictures;
  if (!pictures.record(job.bold_pictures)) return 0;

  DOCINFOW document{};
  document.cbSize = sizeof document;
  document.lpszDocName = job.design_path.c_str();
  if (StartDocW(printer, &document) <= 0) return 0;
  int printed = 0;
  for (const PrintRowRange& page : pages) {
    if (StartPage(printer) <= 0) break;
    draw_print_page(printer, layout, job, pictures, page, printed + 1, static_cast<int>(pages.size()));
    if (EndPage(printer) <= 0) break;
    ++printed;
  }
  if (printed != static_cast<int>(pages.size())) {
    AbortDoc(printer);
    return 0;
  }
  if (EndDoc(printer) <= 0) return 0;
  return printed;
}
