// The printout of a design on a printer device context: one document, its rows split into
// pages, each page headed by the file name, its rows and its page number, and painted by
// the design screen's own painter (design/design_paint.h) with its element pictures, so
// that the paper shows what the screen shows.
#pragma once

#include "core/ladder_model.h"
#include "target/windows_api.h"

#include <string>

#include "design/print_pages.h"

struct PrintDesignJob {
  ConstGridSpan grid;
  PrintRowRange rows;         // the rows to print
  std::wstring design_path;   // shown in the page header and named as the document
  int picture_set = 0;        // 1: the bold twins (print_mode bit 1)
};

// Prints the job as one document (StartDoc ... EndDoc). Returns the number of pages
// printed; 0 when the printer refused, after the document was aborted.
int print_design(HDC printer, const PrintDesignJob& job);

// Draws one page in page units (the layout's): the header, then the page's rows as the
// design screen paints them. The element pictures must be recorded (PrintPictures).
void draw_print_page(HDC dc, const PrintPageLayout& layout, const PrintDesignJob& job, PrintRowRange page,
                     int page_number, int page_count);

// The element pictures of the design painter, recorded for paper (black strokes on white)
// while the object lives, unless the process already holds a recorded set.
class PrintPictures {
 public:
  PrintPictures();
  ~PrintPictures();
  PrintPictures(const PrintPictures&) = delete;
  PrintPictures& operator=(const PrintPictures&) = delete;
  bool ready() const { return ready_; }

 private:
  bool recorded_ = false;
  bool ready_ = false;
};
