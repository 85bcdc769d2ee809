// Text typed into the design dialogs is input: this target hands the fuzzer's text to
// every reader of the number entry dialog, the comment dialogs and the function picker
// (next number, comment lines, device and row comment stores and their read-back, the
// device list and its lines, the keypad), over a grid of which one row's cell words come
// from the fuzzer too, so that every place of the comment walk is reached.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

#include "core/device_tables.h"
#include "core/instruction_tables.h"
#include "core/ladder_model.h"
#include "design/comment_entry.h"
#include "design/function_picker.h"
#include "design/number_entry.h"

namespace {

constexpr int ROWS = 6;

// Row 0: X1 - ... - (Y0); row 1: the fuzzer's words; row 2: blank; row 3: END; row 4: end mark.
void build_grid(LadderGrid& grid, const uint8_t* words) {
  for (LadderRow& row : grid) row = LadderRow{};
  LadderRow& r0 = grid[0];
  r0.cell[0].word[0] = CellWord::CONTACT_BASE | PartCode::RELAY_A << 4;
  r0.cell[0].word[1] = make_device_operand(Device::X, 1);
  for (int c = 1; c < OUTPUT_COLUMN; ++c) r0.cell[c].word[0] = CellWord::LINE_ONLY;
  r0.cell[OUTPUT_COLUMN].word[0] = CellWord::COIL_BASE | PartCode::OUT << 4;
  r0.cell[OUTPUT_COLUMN].word[1] = make_device_operand(Device::Y, 0);
  r0.cell[12].word[0] = static_cast<uint32_t>(Instr::OUT);
  for (int c = 0; c < ROW_CELLS; ++c) {
    std::memcpy(&grid[1].cell[c].word[0], words + c * 8, 4);
    std::memcpy(&grid[1].cell[c].word[1], words + c * 8 + 4, 4);
    // The row stays a program row: the END, end-mark and comment-row bits come from below.
    grid[1].cell[c].word[0] &= ~(CellFlags::END | CellFlags::COMMENT_ROW);
    std::memcpy(grid[1].text[c], "old\n", 5);
  }
  make_new_end_row(grid[3]);
  make_end_mark_row(grid[4]);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  constexpr size_t HEADER = 3 + ROW_CELLS * 8;
  if (size < HEADER) return 0;
  static LadderGrid grid(ROWS);
  build_grid(grid, data + 3);
  ViewState view{};
  view.cursor_row = view.sel_row = data[0] % ROWS;
  view.cursor_col = view.sel_col = static_cast<int>(data[1] % 18) - 2;  // -2 .. 15
  view.click_dx = (data[2] & 1) != 0 ? -1 : 10;
  const std::string_view text(reinterpret_cast<const char*>(data + HEADER), size - HEADER);

  (void)next_number(grid, view, text);
  (void)make_comment_lines(text, (data[2] & 2) != 0);
  (void)store_device_comment(grid, view, text);
  (void)get_cell_comment_text(grid, view);
  CellCursor cell{};
  uint32_t operand = 0;
  (void)find_comment_cell(grid, text, cell, operand);
  const CommentList list = build_comment_lists(grid);
  for (const std::string& line : list.lines) {
    if (line.size() >= static_cast<size_t>(COMMENT_LIST_LINE_SIZE)) __builtin_trap();
    (void)comment_list_fields(line);
  }
  (void)comment_list_fields(text);
  if (row_comment_stored_length(text) < static_cast<size_t>(ROW_TEXT_SIZE) && store_row_comment(grid, view, text) == 0) {
    if (std::strlen(grid[static_cast<size_t>(view.cursor_row)].row_text()) >= static_cast<size_t>(ROW_TEXT_SIZE))
      __builtin_trap();
    (void)get_cell_comment_text(grid, view);
  }
  for (int r = 0; r < ROWS; ++r)
    for (int c = 0; c < ROW_CELLS; ++c)
      if (std::memchr(grid[static_cast<size_t>(r)].text[c], 0, CELL_TEXT_SIZE) == nullptr && !is_comment_row(grid[static_cast<size_t>(r)]))
        __builtin_trap();
  assign_cell_comment(grid, view.cursor_row, view.cursor_col, static_cast<uint32_t>(data[0]) << 24 | data[1]);

  std::u16string wide(text.begin(), text.end());
  const int caret = data[1];
  (void)keypad_text_insert(wide, caret, u'X');
  (void)keypad_text_backspace(wide, caret);
  (void)keypad_text_delete(wide, caret);
  (void)function_ok_action(text, view.sel_col);
  return 0;
}
