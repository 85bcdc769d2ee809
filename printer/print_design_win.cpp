#include "printer/print_design_win.h"

#include <algorithm>
#include <string>
#include <vector>

#include "design/design_paint.h"
#include "design/design_paint_win.h"
#include "design/element_pictures_win.h"
#include "shell/path_parts.h"
#include "shell/settings_file.h"

namespace {

constexpr char DEFAULT_FONT[] = "Courier New";

// The header line: the file, the rows of this page (1-based) and the page number.
void draw_header(HDC dc, const PrintPageLayout& layout, const PrintDesignJob& job, PrintRowRange page,
                 int page_number, int page_count) {
  const std::wstring header = job.design_path + L"    " + std::to_wstring(page.first + 1) + L" - " +
                              std::to_wstring(page.end) + L"    " + std::to_wstring(page_number) + L" / " +
                              std::to_wstring(page_count);
  HFONT font = CreateFontW(-std::max(layout.header_height * 5 / 8, 1), 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE,
                           DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                           FIXED_PITCH | FF_MODERN, L"Courier New");
  const HGDIOBJ old_font = SelectObject(dc, font);
  SetTextColor(dc, RGB(0, 0, 0));
  SetBkMode(dc, TRANSPARENT);
  RECT box{0, 0, layout.page_width, layout.header_height};
  DrawTextW(dc, header.c_str(), static_cast<int>(header.size()), &box,
            DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
  SelectObject(dc, old_font);
  DeleteObject(font);
}

}  // namespace

PrintPictures::PrintPictures() {
  if (g_design_pictures[PIC_CONTACT_A] != nullptr) {
    ready_ = true;
    return;
  }
  recorded_ = create_design_pictures(true, false);
  ready_ = recorded_;
}

PrintPictures::~PrintPictures() {
  if (recorded_) delete_design_pictures();
}

void draw_print_page(HDC dc, const PrintPageLayout& layout, const PrintDesignJob& job, PrintRowRange page,
                     int page_number, int page_count) {
  const int saved = SaveDC(dc);
  draw_header(dc, layout, job, page, page_number, page_count);

  // The element font follows the face the program uses; a library without the program's
  // settings takes the program's default.
  if (g_font_name[0] == '\0') copy_text(g_font_name, DEFAULT_FONT);
  const ViewState view = print_page_view(layout, page);
  const PaintInputs in = print_page_paint_inputs(job.grid, view, layout, page, job.picture_set);
  DisplayList list = build_design_display_list(in);
  keep_page_items(list, page);
  // The rails start below the header; device names written over the first row's contacts
  // still show.
  IntersectClipRect(dc, 0, layout.header_height, layout.page_width, in.client_height + layout.row_height / 2);
  play_display_list(dc, list, view, RECT{0, 0, in.client_width, in.client_height});
  RestoreDC(dc, saved);
}

int print_design(HDC printer, const PrintDesignJob& job) {
  const int device_width = GetDeviceCaps(printer, HORZRES);
  const int device_height = GetDeviceCaps(printer, VERTRES);
  const PrintPageLayout layout = print_page_layout_for_device(device_width, device_height);
  const std::vector<PrintRowRange> pages = paginate_rows(job.rows, layout.rows_per_page);
  if (pages.empty() || layout.page_width <= 0) return 0;
  PrintPictures pictures;
  if (!pictures.ready()) return 0;

  DOCINFOW document{};
  document.cbSize = sizeof document;
  document.lpszDocName = job.design_path.c_str();
  if (StartDocW(printer, &document) <= 0) return 0;
  // Page units to printer pixels.
  const float scale = static_cast<float>(device_width) / static_cast<float>(layout.page_width);
  const XFORM to_paper{scale, 0.0f, 0.0f, scale, 0.0f, 0.0f};
  int printed = 0;
  for (const PrintRowRange& page : pages) {
    if (StartPage(printer) <= 0) break;
    // Set for every page: a printer may reset the context at the start of a page.
    SetGraphicsMode(printer, GM_ADVANCED);
    SetWorldTransform(printer, &to_paper);
    draw_print_page(printer, layout, job, page, printed + 1, static_cast<int>(pages.size()));
    ModifyWorldTransform(printer, nullptr, MWT_IDENTITY);
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
