// A design window without a window, for the editing tests: a grid written as ladder text,
// its ViewState sized as a 1300 x 1060 view (columns of 100 pixels, rows of 90, the first
// row 45 pixels down), the modes in force, and clicks and keys at cells.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "design/cursor_keys.h"
#include "design/design_edit.h"
#include "core/grid_invariants.h"
#include "design/line_drawing.h"
#include "design/part_placement.h"
#include "support/ladder_text.h"

namespace edit_test {

inline constexpr int WIDTH = 1300;

struct Screen {
  LadderGrid grid;
  ViewState view{};
  KeyContext keys;
  int highlight = 0;
  int popup_toggle = 0;

  explicit Screen(const std::vector<std::string>& rows, int grid_rows = 40)
      : Screen(Design{}, ladder_from_text(rows, LadderTextOptions{true, true, grid_rows})) {}
  // A grid read from a design file, or built otherwise.
  struct Design {};
  Screen(Design, LadderGrid design) : grid(std::move(design)) {
    // Every ladder a test starts from is a sound program.
    EXPECT_EQ(describe_grid_fault(check_grid_invariants(grid)), "sound") << ladder_picture(grid);
    init_view_state(view, 0);
    size_ladder_view(view, WIDTH, 1060, grid);
    keys.edit.client_width = WIDTH;
  }

  DesignModes& modes() { return keys.edit.modes; }
  const EditContext& context() const { return keys.edit; }

  // The pixel inside a cell: dx across from its left edge (the centre by default).
  int x_of(int col, int dx = 50) const {
    return col == LABEL_COLUMN ? view.left_rail_x / 2 : view.left_rail_x + col * view.cell_width + dx;
  }
  int y_of(int row) const { return view.top_margin + (row - view.top_row) * view.row_height + view.row_height / 2; }

  EditEffects click(int row, int col, int dx = 50) {
    return design_left_click(grid, view, keys.edit, x_of(col, dx), y_of(row), highlight);
  }
  EditEffects right_click(int row, int col) {
    return design_right_click(grid, view, keys.edit, x_of(col), y_of(row), popup_toggle);
  }
  EditEffects key(int vk) { return design_key(grid, view, keys, vk, highlight); }
  EditEffects command(int id) { return apply_function_key(grid, view, keys.edit, id); }
  EditEffects drag_to(int x, int y) { return drag_line(grid, view, keys.edit, x, y); }

  // Puts the cursor on a cell and draws its span, as a click with no tool does.
  void select(int row, int col) {
    const int tool = modes().tool;
    modes().tool = DesignToolId::NONE;
    click(row, col);
    modes().tool = tool;
  }
  void use_tool(int tool) {
    modes() = DesignModes{};
    modes().tool = tool;
    modes().line_mode = tool == DesignToolId::LINE;
    modes().erase_mode = tool == DesignToolId::ERASE;
  }

  std::vector<std::string> text() const { return ladder_to_text(grid); }
  std::string row_text(int row) const { return text().at(static_cast<size_t>(row)); }
};

inline std::vector<std::string> rows_of(std::initializer_list<const char*> rows) {
  return std::vector<std::string>(rows.begin(), rows.end());
}

}  // namespace edit_test
