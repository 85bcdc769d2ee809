#include "design/function_picker.h"

#include <algorithm>
#include <cstring>

#include "design/design_edit.h"
#include "design/operand_entry.h"
#include "shell/view_state.h"

const std::array<const char*, 12> g_function_names = {"SET", "RST", "PLS", "PLF", "SETS", "RSTS",
                                                      "INC", "DEC", "MOV", "CMP", "END", "QQ"};
const std::array<const char*, 12> g_function_names_sorted = {"CMP", "DEC", "END", "INC", "MOV", "PLF",
                                                             "PLS", "RST", "RSTS", "SET", "SETS", "QQ"};

int g_function_sort = 0;

namespace {

bool is_list_end(const char* name) { return std::strcmp(name, "QQ") == 0; }

bool offered(const char* name) {
  for (const char* n : g_function_names) {
    if (is_list_end(n)) return false;
    if (std::strcmp(n, name) == 0) return true;
  }
  return false;
}

}  // namespace

std::vector<std::string> function_combo_names(bool sorted) {
  std::vector<std::string> names;
  for (const char* name : sorted ? g_function_names_sorted : g_function_names) {
    if (is_list_end(name)) break;
    if (!sorted || offered(name)) names.emplace_back(name);
  }
  return names;
}

FunctionOk function_ok_action(std::string_view combo_text, int sel_col) {
  if (combo_text.empty() || sel_col == NO_SELECTION) return FunctionOk::NOTHING;
  return FunctionOk::STORE;
}

EditEffects function_store(GridSpan grid, ViewState& view, std::string_view text, const EntryOptions& options,
                           int client_width) {
  EditEffects e;
  // The special rows and the end mark take no instruction (a click there moves the cursor).
  if (!is_program_row(grid, view.cursor_row)) return e;
  // The rows up to the end mark are kept, so that rejected operands leave no half-placed box.
  const int mark = find_end_mark_row(grid);
  const size_t kept = mark < 0 ? grid.size() : std::min(grid.size(), static_cast<size_t>(mark) + 1);
  const std::vector<LadderRow> before(grid.begin(), grid.begin() + static_cast<std::ptrdiff_t>(kept));
  const ViewState view_before = view;
  int code = 0, flags = 0;
  EntryChanges changes;
  const int placed = place_instruction(grid, view, text, code, flags, options, &changes);
  if (placed < 0) {
    std::copy(before.begin(), before.end(), grid.begin());
    view = view_before;
    return e;
  }
  if (placed == 1 && encode_cell_operands(grid, view, text, code, flags, options, &changes) != 0) {
    std::copy(before.begin(), before.end(), grid.begin());
    view = view_before;
    e.message = FUNCTION_OPERAND_MESSAGE;
    e.message_caption = FUNCTION_WARNING_CAPTION;
    return e;
  }
  e.changed = true;
  // END cuts the rows after it, a TIM/CNT renumber reaches other rows: the whole view.
  if (changes.rows_changed || !changes.cells.empty()) {
    e.invalidate_all = true;
    e.sync = SyncViewNotice{0, 0, SYNC_WHOLE_VIEW, 0};
    return e;
  }
  // From the first cell that changed: an older, wider output leaves lines left of the new one.
  int first = view.box_start_col, last = OUTPUT_COLUMN;
  if (changed_columns(before[static_cast<size_t>(view.cursor_row)], grid[static_cast<size_t>(view.cursor_row)], first,
                      last))
    first = std::min(first, view.box_start_col);
  else
    first = view.box_start_col;
  first = std::clamp(first, 0, OUTPUT_COLUMN);
  const int top = view.top_margin + (view.cursor_row - view.top_row) * view.row_height;
  e.invalidate.push_back(PixelRect{first * view.cell_width + view.left_rail_x, top - 9, client_width,
                                   top + view.row_height + 9});
  e.sync = SyncViewNotice{view.cursor_row, first, view.sel_rows, std::max(view.sel_width, OUTPUT_COLUMN - first)};
  return e;
}
