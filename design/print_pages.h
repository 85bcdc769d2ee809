// How a printed design is laid out on paper: which rows are printed, how many rows go on
// a page and where the rows, rails and columns lie on it. The printout draws a page as
// the design screen draws its window, with the same geometry rules: twelve columns
// between the rails, the thirteenth share of the width as the row-label margin, the
// element pictures in the top band of each row.
//
// The page range of the print dialog counts rows, not sheets: "from 11 to 40" prints
// rows 11 to 40 (1-based, as many sheets as they need).
#pragma once

#include <vector>

#include "core/ladder_model.h"
#include "design/design_paint.h"
#include "shell/view_state.h"

// Rows [first, end) of the grid.
struct PrintRowRange {
  int first = 0;
  int end = 0;
  int count() const { return end > first ? end - first : 0; }
};

// The rows a printout can hold: every row through the END row. A grid without an END row
// (which a design window never keeps) gives its rows up to the first end-mark or empty
// row; nothing is ever read past the grid.
int printable_row_count(ConstGridSpan grid);

// The rows to print. `range_chosen` is the dialog's "pages" choice with from_row and
// to_row (1-based, inclusive); they are kept within 1..printable_rows, and a range given
// backwards is taken in order. Without a choice every printable row is printed.
PrintRowRange rows_to_print(int printable_rows, bool range_chosen, int from_row, int to_row);

// Where one page of a printout lies, in page units (origin at the top-left corner of the
// printable area).
struct PrintPageLayout {
  int page_width = 0;
  int page_height = 0;
  int header_height = 0;  // the line naming the file and the page, above the first row
  int cell_width = 0;     // one grid column; also the row-label margin left of the left rail
  int row_height = 0;
  int part_height = 0;    // the band of a row in which element pictures are drawn
  int top_margin = 0;     // y of the top of the first row on the page
  int left_rail_x = 0;
  int right_rail_x = 0;
  int rows_per_page = 0;  // at least 1
};

// A page is painted as a window PRINT_PAGE_WIDTH units wide (and as high as the paper's
// proportions make it), so that the screen's geometry and font sizes give the screen's
// look; the printer scales the page to the paper.
inline constexpr int PRINT_PAGE_WIDTH = 1280;
// The layout of a printable area of device_width × device_height printer pixels, in page
// units; 0 × 0 for a device without an area.
PrintPageLayout print_page_layout_for_device(int device_width, int device_height);

// Inside a printable area of `width` × `height` page units. A row keeps the
// proportions of a row on the design screen (its height 5/8 of a column's width) unless
// fewer than MIN_ROWS_PER_PAGE rows would fit, which a very wide page would give.
inline constexpr int MIN_ROWS_PER_PAGE = 8;
PrintPageLayout print_page_layout(int width, int height);

// The view through which the design painter draws one page, as it draws a window: the
// page's geometry, its first row at the top, nothing selected, no search hits, no marker,
// white behind the texts.
ViewState print_page_view(const PrintPageLayout& layout, PrintRowRange page);

// The inputs of the design painter for one page: the page's rows as the update area, the
// page as the client, white paper (black texts, dark green comments), the picture set.
PaintInputs print_page_paint_inputs(ConstGridSpan grid, const ViewState& view, const PrintPageLayout& layout,
                                    PrintRowRange page, int picture_set);
// Keeps what a printout shows of a display list: the rails and ticks and the items of the
// page's rows; the selection, range, search-hit and marker frames are the screen's alone.
void keep_page_items(DisplayList& list, PrintRowRange page);

// Consecutive pages of at most rows_per_page rows covering `rows`; none for no rows.
std::vector<PrintRowRange> paginate_rows(PrintRowRange rows, int rows_per_page);
