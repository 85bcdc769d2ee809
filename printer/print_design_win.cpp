#include "printer/print_design_win.h"

#include <algorithm>
#include <string>

#include "core/cell_text.h"
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
bool is_b_contact(uint32_t code) {
  return code == PartCode::RELAY_B || code == PartCode::LIMIT_B || code == PartCode::PUSH_B ||
         code == PartCode::D_CONTACT_B;
}

// The geometry of one row on the page.
struct RowBox {
  int top;
  int mid;     // the wire
  int bottom;  // of the element band
};

void draw_contact(HDC dc, const PrintPageLayout& l, int x0, const RowBox& row, uint32_t code) {
  const int cw = l.cell_width;
  const int a = x0 + cw * 3 / 8;
  const int b = x0 + cw * 5 / 8;
  const int h = l.part_height / 5;
  line(dc, x0, row.mid, a, row.mid);
  line(dc, a, row.mid - h, a, row.mid + h);
  line(dc, b, row.mid - h, b, row.mid + h);
  line(dc, b, row.mid, x0 + cw, row.mid);
  if (is_b_contact(code)) line(dc, a - cw / 16, row.mid + h, b + cw / 16, row.mid - h);
}

// A coil from x0 to the right rail: the wire, then "( )" just before the rail.
void draw_coil(HDC dc, const PrintPageLayout& l, int x0, const RowBox& row) {
  const int cw = l.cell_width;
  const int right = l.right_rail_x;
  const int centre = right - cw / 2;
  const int r = std::min(cw / 5, l.part_height / 4);
  line(dc, x0, row.mid, centre - r, row.mid);
  Arc(dc, centre - r, row.mid - r, centre + r, row.mid + r, centre - r / 3, row.mid - r, centre - r / 3,
      row.mid + r);
  Arc(dc, centre - r, row.mid - r, centre + r, row.mid + r, centre + r / 3, row.mid + r, centre + r / 3,
      row.mid - r);
  line(dc, centre + r, row.mid, right, row.mid);
}

void draw_box(HDC dc, const PrintPageLayout& l, int x0, int x1, const RowBox& row) {
  const int h = l.part_height / 4;
  HGDIOBJ old = SelectObject(dc, GetStockObject(NULL_BRUSH));
  Rectangle(dc, x0 + l.cell_width / 10, row.mid - h, x1, row.mid + h);
  SelectObject(dc, old);
}

void draw_row_elements(HDC dc, const PrintPageLayout& l, const LadderRow& row, int r, ConstGridSpan grid,
                       const RowBox& box, HFONT element_font, HFONT comment_font) {
  const int cw = l.cell_width;
  for (int c = 0; c <= OUTPUT_COLUMN; ++c) {
    const uint32_t w0 = row.cell[c].word[0];
    const int x0 = l.left_rail_x + c * cw;
    const int x1 = x0 + cw;
    if (w0 & CellFlags::LINK_UP) line(dc, x0, box.mid - l.row_height, x0, box.mid);
    if ((w0 & 0xF) == 0) continue;
    const uint32_t code = part_code_of(w0);
    const bool box_cell = (w0 & CellFlags::BOX) != 0 || code >= PartCode::BOX_LAST;
    if (code == PartCode::OUT || (w0 & CellFlags::TIMER_OUTPUT)) {
      draw_coil(dc, l, x0, box);
    } else if (is_contact(code)) {
      draw_contact(dc, l, x0, box, code);
    } else if (box_cell && code == PartCode::BOX_FIRST) {
      // A box runs from its first cell to the right rail.
      draw_box(dc, l, x0, l.right_rail_x, box);
    } else if (!box_cell && ((w0 & CellFlags::LINE) || code == PartCode::LINE || code == 0)) {
      line(dc, x0, box.mid, x1, box.mid);
    }

    // Operand texts: a contact's device above it, an element's name and operands inside.
    if (!(w0 & (CellFlags::OPERAND_SET | CellFlags::BOX | CellFlags::OUTPUT | CellFlags::COMPARISON)) &&
        !is_contact(code))
      continue;
    char text[CELL_TEXT_BUFFER_SIZE] = "";
    char mark[MARK_TEXT_BUFFER_SIZE] = "";
    format_cell_text(grid, {r, c}, text, mark, false);
    SelectObject(dc, element_font);
    if (is_contact(code)) {
      RECT above{x0, box.top - l.part_height / 10, x1, box.mid - l.part_height / 5};
      text_in(dc, text, above, DT_CENTER | DT_BOTTOM | DT_SINGLELINE, BLACK);
    } else if (w0 & (CellFlags::OUTPUT | CellFlags::BOX | CellFlags::COMPARISON | CellFlags::TIMER_COIL)) {
      if (box_cell && code != PartCode::BOX_FIRST) continue;
      RECT inside{x0 + cw / 5, box.mid - l.part_height / 4, l.right_rail_x - cw / 5, box.mid};
      if (!box_cell) inside.right = l.right_rail_x - cw;
      text_in(dc, text, inside, DT_LEFT | DT_BOTTOM | DT_SINGLELINE, BLACK);
    }
    if (mark[0]) {
      RECT left_of{x0 - cw + cw / 4, box.mid - l.part_height / 4, x0, box.mid};
      text_in(dc, mark, left_of, DT_CENTER | DT_BOTTOM | DT_SINGLELINE, BLACK);
    }
  }

  // Device comments under their elements.
  SelectObject(dc, comment_font);
  for (int c = 0; c <= OUTPUT_COLUMN; ++c) {
    if (!(row.cell[c].word[0] & CellFlags::HAS_COMMENT)) continue;
    const std::string comment = slot_text(row.text[c], CELL_TEXT_SIZE);
    const int x0 = c == OUTPUT_COLUMN ? l.right_rail_x - cw : l.left_rail_x + c * cw;
    RECT under{x0 + cw / 12, box.mid + l.part_height / 5, x0 + cw, box.top + l.row_height};
    text_in(dc, comment, under, DT_LEFT | DT_TOP | DT_WORDBREAK | DT_END_ELLIPSIS, DEVICE_COMMENT_COLOUR);
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

void draw_print_page(HDC dc, const PrintPageLayout& l, const PrintDesignJob& job, PrintRowRange page,
                     int page_number, int page_count) {
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
      draw_row_elements(dc, l, row, r, job.grid, box, element_font, comment_font);
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

  DOCINFOW document{};
  document.cbSize = sizeof document;
  document.lpszDocName = job.design_path.c_str();
  if (StartDocW(printer, &document) <= 0) return 0;
  int printed = 0;
  for (const PrintRowRange& page : pages) {
    if (StartPage(printer) <= 0) break;
    draw_print_page(printer, layout, job, page, printed + 1, static_cast<int>(pages.size()));
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
