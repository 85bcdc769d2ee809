// The printout of a design on a printer device context: one document, its rows split into
// pages, each page headed by the file name, its rows and its page number.
#pragma once

#include "core/ladder_model.h"
#include "shell/windows_api.h"

#include <string>

#include "design/element_pictures_win.h"
#include "design/print_pages.h"

struct PrintDesignJob {
  ConstGridSpan grid;
  PrintRowRange rows;         // the rows to print
  std::wstring design_path;   // shown in the page header and named as the document
  bool bold_pictures = false; // the second element-picture set (print_mode bit 1)
};

// The element pictures a printout plays into its cells: black strokes on white, plain or
// bold (the second picture set).
struct PrintPictures {
  ElementPictureSet set{};
  int picture_set = 0;
  PrintPictures() = default;
  PrintPictures(const PrintPictures&) = delete;
  PrintPictures& operator=(const PrintPictures&) = delete;
  ~PrintPictures() { delete_element_pictures(set); }
  // Records the set; false when GDI gave no pen or brush.
  bool record(bool bold);
};

// Prints the job as one document (StartDoc ... EndDoc). Returns the number of pages
// printed; 0 when the printer refused, after the document was aborted.
int print_design(HDC printer, const PrintDesignJob& job);

// Draws the rows of one page into `dc`, the page's printable area at the origin.
void draw_print_page(HDC dc, const PrintPageLayout& layout, const PrintDesignJob& job, const PrintPictures& pictures,
                     PrintRowRange page, int page_number, int page_count);
