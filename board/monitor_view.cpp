#include "board/monitor_view.h"

#include <algorithm>

#include "core/cell_text.h"
#include "core/device_tables.h"
#include "target/device_images.h"
#include "target/runtime_tables.h"

int g_monitor_client_height = 0;

namespace {

constexpr long SEQ_BYTES_PER_ROW = 118;
constexpr int SPARE_ROWS = 100;
constexpr uint32_t NOT_SWITCHABLE = 0x20C00;  // output columns, box cells, TIM/CNT coil fronts
constexpr uint32_t NOT_RELEASED = 0xC00;
constexpr uint32_t DRAWN = 0xB;               // line, link or part
constexpr int RELEASE_ZONE = 28;              // half of the picture frame's 56: fixed pixels
constexpr uint32_t MOMENTARY_FIRST = 9050;
constexpr uint32_t MOMENTARY_LAST = 9069;

int rows_of(ConstGridSpan grid) { return static_cast<int>(std::min<size_t>(grid.size(), MAX_GRID_ROWS)); }

bool links_up_from_column_1(const LadderRow& row) {
  for (int j = 1; j <= OUTPUT_COLUMN; ++j)
    if ((row.cell[j].word[0] & CellFlags::LINK_UP) != 0) return true;
  return false;
}

bool is_momentary_m(uint32_t operand) {
  const uint32_t n = operand_number(operand);
  return operand_device_index(operand) == Device::M && n >= MOMENTARY_FIRST && n <= MOMENTARY_LAST;
}

bool image_bit(uint32_t operand) {
  const DeviceImageEntry* entry = device_image_entry(operand);
  return entry != nullptr && ((static_cast<uint32_t>(entry->word[0]) >> (operand & 15)) & 1) != 0;
}

void set_image_bit(uint32_t operand, bool on) {
  DeviceImageEntry* entry = device_image_entry(operand);
  if (entry == nullptr) return;
  const int32_t bit = static_cast<int32_t>(1u << (operand & 15));
  if (on) entry->word[0] |= bit;
  else entry->word[0] &= ~bit;
}

// Steps 5 and 6 of a switch: the clicked cell's state word, then every cell of columns
// 0-10 above the END row that shows the device.
void finish_switch(GridSpan grid, const ViewState& view, InputSwitch& out) {
  LadderCell& clicked = grid[static_cast<size_t>(view.cursor_row)].cell[view.cursor_col];
  clicked.word[2] = (clicked.word[2] & ~1u) | (image_bit(out.operand) ? 1u : 0u);
  const int rows = rows_of(grid);
  for (int r = 0; r < rows; ++r) {
    const LadderRow& row = grid[static_cast<size_t>(r)];
    if (is_end_row(row) || row.cell[0].word[0] == END_MARK_CELL) break;
    for (int j = 0; j < OUTPUT_COLUMN; ++j) {
      const LadderCell& cell = row.cell[j];
      if ((cell.word[0] & CellFlags::OPERAND_SET) != 0 && (cell.word[0] & CellFlags::TIMER_OUTPUT) == 0 &&
          cell.word[1] == out.operand)
        out.cells.push_back({r, j});
    }
  }
  out.result = -1;
}

const LadderCell* cursor_cell(ConstGridSpan grid, const ViewState& view) {
  if (view.cursor_col < 0 || view.cursor_col > OUTPUT_COLUMN) return nullptr;
  if (view.cursor_row < 0 || view.cursor_row >= rows_of(grid)) return nullptr;
  return &grid[static_cast<size_t>(view.cursor_row)].cell[view.cursor_col];
}

}  // namespace

int monitor_grid_rows(long file_length) {
  const long rows = std::max(0L, file_length) / SEQ_BYTES_PER_ROW + SPARE_ROWS;
  return static_cast<int>(std::min<long>(rows, MAX_GRID_ROWS));
}

int monitor_end_row(ConstGridSpan grid) {
  const int rows = rows_of(grid);
  for (int r = 0; r < rows; ++r)
    if (is_end_row(grid[static_cast<size_t>(r)])) return r;
  return std::max(0, rows - 1);
}

void update_monitor_scroll_max(ViewState& view, int client_height, ConstGridSpan grid) {
  const int page = view.row_height > 0 ? client_height / view.row_height : 0;
  view.scroll_max = std::max(0, monitor_end_row(grid) + 2 - page);
  view.top_row = std::clamp(view.top_row, 0, view.scroll_max);
}

ScrollSetting size_monitor_view(ViewState& view, int client_width, int client_height, int mdi_client_height,
                                ConstGridSpan grid) {
  const int r = view.zoom_percent * mdi_client_height / 106;
  const int unit = r / 11;
  view.part_height = std::max(2, unit);
  view.row_height = std::max(2, unit + unit * view.comment_display / 3);
  view.top_margin = unit / 2;
  view.cell_width = client_width / WIDTH_SHARES;
  view.left_rail_x = view.cell_width;
  view.right_rail_x = client_width - view.cell_width / 18;
  view.visible_rows = mdi_client_height < view.row_height ? 0 : (mdi_client_height - view.row_height) / view.row_height;
  g_monitor_client_height = client_height;
  update_monitor_scroll_max(view, client_height, grid);
  compute_visible_rung_range(view, grid);
  return {view.scroll_max, view.top_row};
}

int monitor_scroll_step(const ViewState& view, int code, int thumb_position, int client_height) {
  const int page = view.row_height > 0 ? client_height / view.row_height : 0;
  switch (code) {
    case ScrollCode::LINE_UP: return -1;
    case ScrollCode::LINE_DOWN: return 1;
    case ScrollCode::PAGE_UP: return std::min(-1, -page);
    case ScrollCode::PAGE_DOWN: return std::max(1, page);
    case ScrollCode::THUMB_TRACK: return thumb_position - view.top_row;
    default: return 0;
  }
}

int monitor_wheel_step(int wheel_delta) { return wheel_delta < 0 ? 1 : -1; }

bool scroll_monitor_view(ViewState& view, int step, ConstGridSpan grid) {
  const int clamped = std::clamp(step, -view.top_row, std::max(0, view.scroll_max - view.top_row));
  if (clamped != 0) view.top_row += clamped;
  compute_visible_rung_range(view, grid);
  return clamped != 0;
}

void compute_visible_rung_range(ViewState& view, ConstGridSpan grid) {
  const int rows = rows_of(grid);
  if (rows == 0) {
    view.rung_first_row = view.rung_last_row = 0;
    return;
  }
  const int last_row = rows - 1;
  int i = std::clamp(view.top_row, 0, last_row);
  while (i > 0 && links_up_from_column_1(grid[static_cast<size_t>(i)])) --i;
  view.rung_first_row = i;

  const int limit = std::min(view.top_row + view.visible_rows + 1, last_row);
  for (int r = i; r <= limit; ++r) {
    if (is_end_row(grid[static_cast<size_t>(r)])) {
      view.rung_last_row = r;
      return;
    }
  }
  int k = std::clamp(view.top_row + view.visible_rows, 0, last_row);
  while (k < last_row && !is_end_row(grid[static_cast<size_t>(k)]) &&
         links_up_from_column_1(grid[static_cast<size_t>(k + 1)]))
    ++k;
  view.rung_last_row = k;
}

std::vector<CellRef> changed_cells(const ViewState& view, ConstGridSpan grid) {
  std::vector<CellRef> cells;
  const int last = std::min(view.rung_last_row, rows_of(grid) - 1);
  for (int r = std::max(0, view.rung_first_row); r <= last; ++r) {
    const LadderRow& row = grid[static_cast<size_t>(r)];
    for (int j = 0; j <= OUTPUT_COLUMN; ++j) {
      if ((row.cell[j].word[0] & DRAWN) != 0) {
        cells.push_back({r, j});
        cells.push_back({r, LABEL_COLUMN});
      }
      if ((row.cell[j].word[3] & ValueMark::SHOWN) != 0) cells.push_back({r, j, true});
    }
  }
  return cells;
}

void clear_cell_states(GridSpan grid, int count) {
  const int rows = std::min(count, static_cast<int>(grid.size()));
  for (int r = 0; r < rows; ++r)
    for (LadderCell& cell : grid[static_cast<size_t>(r)].cell) cell.word[2] = 0;
}

InputSwitch press_input_contact(GridSpan grid, const ViewState& view) {
  InputSwitch out;
  const LadderCell* cell = cursor_cell(grid, view);
  if (cell == nullptr) return out;
  if ((cell->word[0] & 9) != 8 || (cell->word[0] & NOT_SWITCHABLE) != 0) return out;
  const uint32_t operand = cell->word[1];
  const DeviceIndex type = operand_device_index(operand);
  if (type != Device::X && type != Device::B && type != Device::R && !is_momentary_m(operand)) return out;
  if (view.click_dy > view.part_height) return out;
  out.operand = operand;
  if (view.click_dy < view.part_height / 2) {
    set_image_bit(operand, true);
    clear_interlocked_bits(operand);
  } else {
    set_image_bit(operand, false);
  }
  finish_switch(grid, view, out);
  return out;
}

InputSwitch release_input_contact(GridSpan grid, const ViewState& view) {
  InputSwitch out;
  const LadderCell* cell = cursor_cell(grid, view);
  if (cell == nullptr) return out;
  if ((cell->word[0] & 9) != 8 || (cell->word[0] & NOT_RELEASED) != 0) return out;
  const uint32_t operand = cell->word[1];
  const DeviceIndex type = operand_device_index(operand);
  if (type != Device::X && type != Device::M && type != Device::R) {
    out.result = -2;
    return out;
  }
  out.result = -1;
  if (view.click_dy >= RELEASE_ZONE) return out;
  if (view.click_dx <= view.cell_width / 2 && !is_momentary_m(operand)) return out;
  out.operand = operand;
  set_image_bit(operand, false);
  finish_switch(grid, view, out);
  return out;
}

std::string monitor_cpu_label(std::string_view cpu_name, bool option_b) {
  if (option_b && cpu_name == "pic12F629") return "pic12F683";
  std::string label(cpu_name);
  label += ' ';
  if (option_b) label += "Exp";
  return label;
}

std::string monitor_search_pick_text(ConstGridSpan grid, CellCursor cursor, bool instruction_names) {
  char text[CELL_TEXT_BUFFER_SIZE] = {};
  if (instruction_names) {
    get_cell_instruction_name(grid, cursor, text);
  } else {
    char mark[CELL_TEXT_BUFFER_SIZE] = {};
    format_cell_text(grid, cursor, text, mark, true);
  }
  return text;
}
