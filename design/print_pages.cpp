#include "design/print_pages.h"

#include <algorithm>

int printable_row_count(ConstGridSpan grid) {
  const int size = static_cast<int>(std::min<std::size_t>(grid.size(), MAX_GRID_ROWS));
  const int program_rows = count_program_rows(grid);
  if (program_rows > 0 && program_rows <= size) return program_rows;
  int rows = 0;
  while (rows < size && !is_end_mark_row(grid[rows]) && !is_empty_row(grid[rows])) ++rows;
  return rows;
}

PrintRowRange rows_to_print(int printable_rows, bool range_chosen, int from_row, int to_row) {
  if (printable_rows <= 0) return {};
  if (!range_chosen) return {0, printable_rows};
  if (from_row > to_row) std::swap(from_row, to_row);
  from_row = std::clamp(from_row, 1, printable_rows);
  to_row = std::clamp(to_row, 1, printable_rows);
  return {from_row - 1, to_row};
}

PrintPageLayout print_page_layout(int width, int height) {
  PrintPageLayout layout;
  layout.page_width = std::max(width, 0);
  layout.page_height = std::max(height, 0);
  // Thirteen shares across: the row-label margin and the twelve columns.
  layout.cell_width = std::max(layout.page_width / 13, 1);
  layout.left_rail_x = layout.cell_width;
  layout.right_rail_x = layout.page_width - layout.cell_width / 18;
  layout.header_height = std::max(layout.page_height / 30, 1);
  const int body = std::max(layout.page_height - layout.header_height, 1);
  // A row on the screen is about 5/8 of a column's width high.
  int row_height = std::max(layout.cell_width * 5 / 8, 2);
  // The first row starts half a row below the header.
  if ((body - row_height / 2) / row_height < MIN_ROWS_PER_PAGE)
    row_height = std::max(2 * body / (2 * MIN_ROWS_PER_PAGE + 1), 2);
  layout.row_height = row_height;
  layout.part_height = row_height;
  // Half a row above the first one leaves room for the device names written over the
  // contacts of the first row, as on the screen.
  layout.top_margin = layout.header_height + row_height / 2;
  layout.rows_per_page = std::max((layout.page_height - layout.top_margin) / row_height, 1);
  return layout;
}

std::vector<PrintRowRange> paginate_rows(PrintRowRange rows, int rows_per_page) {
  std::vector<PrintRowRange> pages;
  rows_per_page = std::max(rows_per_page, 1);
  for (int first = rows.first; first < rows.end; first += rows_per_page)
    pages.push_back({first, std::min(first + rows_per_page, rows.end)});
  return pages;
}


ViewState print_page_view(const PrintPageLayout& layout, PrintRowRange page) {
  ViewState view{};
  view.cell_width = layout.cell_width;
  view.left_rail_x = layout.left_rail_x;
  view.right_rail_x = layout.right_rail_x;
  view.row_height = layout.row_height;
  view.part_height = layout.part_height;
  view.top_margin = layout.top_margin;
  view.top_row = page.first;
  view.scroll_max = page.first;
  // The painter's ticks run over rows 0 ... visible_rows of the view.
  view.visible_rows = std::max(page.count() - 1, 0);
  view.zoom_percent = DEFAULT_ZOOM_PERCENT;
  view.sel_col = NO_SELECTION;
  view.sel_row = -1;
  view.hit_cols[0] = HIT_LIST_END;
  view.hit_rows[0] = HIT_LIST_END;
  view.mark_rows[0] = NO_MARK_ROW;
  view.background = 0xFFFFFF;
  return view;
}

PrintPageLayout print_page_layout_for_device(int device_width, int device_height) {
  if (device_width <= 0 || device_height <= 0) return print_page_layout(0, 0);
  const long long height = static_cast<long long>(device_height) * PRINT_PAGE_WIDTH / device_width;
  return print_page_layout(PRINT_PAGE_WIDTH, static_cast<int>(std::min<long long>(height, 1 << 20)));
}

PaintInputs print_page_paint_inputs(ConstGridSpan grid, const ViewState& view, const PrintPageLayout& layout,
                                    PrintRowRange page, int picture_set) {
  PaintInputs in;
  in.grid = grid;
  in.view = &view;
  in.client_width = layout.page_width;
  in.client_height = layout.top_margin + page.count() * layout.row_height;
  // From y 0: the painter counts the first row to paint from the top of the area.
  in.update = {0, 0, layout.page_width, in.client_height};
  in.picture_set = picture_set;
  in.colours = {0xFFFFFF, BLACK, rgb(0, 90, 0)};
  return in;
}

void keep_page_items(DisplayList& list, PrintRowRange page) {
  std::erase_if(list.items, [&](const PaintItem& item) {
    if (item.kind == PaintKind::FRAME) return true;
    return item.row != -1 && (item.row < page.first || item.row >= page.end);
  });
}
