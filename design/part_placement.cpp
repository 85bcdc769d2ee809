#include "design/part_placement.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "core/cell_text.h"
#include "core/device_tables.h"
#include "core/instruction_tables.h"
#include "core/grid_invariants.h"
#include "design/line_drawing.h"

int g_click_x = 0;
int g_click_y = 0;

const char ALWAYS_ON_TEXT[] = "常時オン\nリレー";
const char ALWAYS_OFF_TEXT[] = "常時オフ\nリレー";

namespace {

constexpr uint32_t KEEP_FOR_CONTACT = 0xFFFF8002;   // link bit and the bits from 0x8000 up
constexpr uint32_t MULTI_CELL_BITS = 0x70C00;       // box position, TIM/CNT output and coil, box
constexpr uint32_t ALWAYS_ON_WORD = 0x880F8;        // part code 15, operand set, comment
constexpr uint32_t ALWAYS_OFF_WORD = 0x88018;       // part code 1, operand set, comment
constexpr uint32_t ALWAYS_ON_DEVICE = 0x2000234C;   // M9036
constexpr uint32_t ALWAYS_OFF_DEVICE = 0x2000234D;  // M9037
constexpr uint32_t OUT_CELL = 0x4078;               // cell 11 of an OUT coil
constexpr uint32_t TIMER_CELL = 0x14008;            // cell 11 of a TIM/CNT, | part code << 4
constexpr int KEY_RIGHT = 0x27;                     // VK_RIGHT

bool is_part_not_box(uint32_t w) { return (w & 9) == 8 && (w & CellFlags::BOX) == 0; }

// Keeps the line marker from showing once a part is placed.
void drop_marker(EditEffects& e, ViewState& view) { add_marker_clear(e, view); }

// The undo snapshot, the repaint and the sync notice of a placement at the cursor row.
// `before` is the cursor row as it was: the repaint reaches every cell that changed, the
// cells of an older, wider output turned into lines included.
void finish_row_edit(EditEffects& e, const ViewState& view, const EditContext& context, bool output,
                     const LadderRow& before, const LadderRow& after) {
  e.changed = true;
  int first = std::max(0, view.box_start_col - 1);
  int last = output ? OUTPUT_COLUMN : view.box_start_col + view.sel_width + 2;
  int sync_first = view.box_start_col, sync_width = view.sel_width;
  int changed_first = 0, changed_last = 0;
  if (changed_columns(before, after, changed_first, changed_last) && changed_first != LABEL_COLUMN) {
    first = std::min(first, std::max(0, changed_first - 1));
    last = std::max(last, changed_last);
    if (changed_first < sync_first) {
      sync_width += sync_first - changed_first;
      sync_first = changed_first;
    }
    sync_width = std::max(sync_width, changed_last - sync_first);
  }
  e.invalidate.push_back(cells_rect(view, context.client_width, view.cursor_row, view.cursor_row, first, last));
  e.sync = SyncViewNotice{view.cursor_row, sync_first, view.sel_rows, sync_width};
}

// The old output's operand cells go when another output is written over it.
void clear_output_operands(LadderRow& row) {
  row.cell[12].word[1] = 0;
  for (int c = 13; c <= 14; ++c) row.cell[c].word[0] = row.cell[c].word[1] = 0;
}

void write_output(LadderRow& row, int tool) {
  clear_output_operands(row);
  LadderCell& out = row.cell[OUTPUT_COLUMN];
  const uint32_t link = out.word[0] & CellFlags::LINK_UP;
  if (tool == DesignToolId::OUT) {
    out.word[0] = link | OUT_CELL;
    row.cell[12].word[0] = static_cast<uint32_t>(Instr::OUT);
    return;
  }
  const uint32_t p = static_cast<uint32_t>(tool);  // 8 TIM, 9 CNT
  out.word[0] = link | TIMER_CELL | p << 4;
  out.word[1] = (p - 4) << 28;  // T0 or C0
  LadderCell& coil = row.cell[OUTPUT_COLUMN - 1];
  coil.word[0] = (coil.word[0] & CellFlags::LINK_UP) | CellWord::TIMER_COIL_CELL;
  row.cell[12].word[0] = static_cast<uint32_t>(tool == DesignToolId::TIM ? Instr::TIM : Instr::CNT);
}

// Places an OUT, TIM or CNT at the cursor: lines from the cursor to the output's first
// column, then the output. `by_key` follows the function keys' order (the check first,
// with the TIM rule). Returns false, with nothing written, when refused.
bool place_output(GridSpan grid, ViewState& view, int tool, bool by_key) {
  LadderRow* row = edit_row(grid, view.cursor_row);
  // The END row keeps its END: no output replaces it.
  if (row == nullptr || is_end_row(*row) || !is_program_row(grid, view.cursor_row)) return false;
  const bool timer = tool != DesignToolId::OUT;
  const int first_output_col = timer ? OUTPUT_COLUMN - 1 : OUTPUT_COLUMN;
  if (by_key && check_output_placement(grid, view, Instr::TIM) == -1) return false;

  view.sel_width = timer ? 1 : 0;
  const int start = view.cursor_col;
  bool lines = false;
  if (start < first_output_col) {
    for (int c = start; c < first_output_col; ++c) {
      const uint32_t w = row->cell[c].word[0];
      if (is_part_not_box(w) || (c > start && (w & CellFlags::LINK_UP) != 0)) return false;
    }
    lines = true;
    view.sel_width = first_output_col - start;
  } else {
    view.cursor_col = first_output_col;
  }
  if (timer) {
    // From a contact column the placement makes no check of its own, and an OUT coil may
    // stand beside a link in column 11. A TIM or CNT takes column 11 as the inside of its
    // element: a link there (on this row or rising from the row below) would run through
    // it, so its own cells are checked wherever the click or key was.
    ViewState probe = view;
    probe.cursor_col = OUTPUT_COLUMN;
    if (check_output_placement(grid, probe, Instr::TIM) == -1) return false;
  } else if (!by_key) {
    // The OUT tool from column 10 or 11 (the function key checked already).
    ViewState probe = view;
    if (check_output_placement(grid, probe, Instr::OUT) == -1) return false;
  }

  // The old box or timer goes as a whole first: lines drawn from a cursor inside a box would
  // otherwise cut its first cells off from the rest.
  if ((row->cell[OUTPUT_COLUMN].word[0] & (CellFlags::TIMER_OUTPUT | 0x400)) != 0) {
    const int width = view.sel_width;
    view.sel_width = timer ? 1 : 0;
    replace_box_by_lines(grid, view);
    if (lines) view.sel_width = width;
  }
  if (lines)
    for (int c = start; c < first_output_col; ++c)
      row->cell[c].word[0] = (row->cell[c].word[0] & CellFlags::LINK_UP) | CellWord::LINE_ONLY;
  write_output(*row, tool);
  if (by_key) {
    view.box_start_col = view.cursor_col;
  } else {
    view.box_start_col = lines ? start : OUTPUT_COLUMN - view.sel_width;
  }
  return true;
}

bool place_contact(GridSpan grid, ViewState& view, int part, bool shift) {
  LadderRow* row = edit_row(grid, view.cursor_row);
  if (row == nullptr || !is_program_row(grid, view.cursor_row)) return false;
  const int col = view.cursor_col;
  const int accepts = cell_accepts_contact(grid, view.cursor_row, col);
  if (accepts == -1) return false;
  view.sel_width = 0;
  if (accepts == -2) {
    for (int c = col + 1; c <= col + 2 && c < OUTPUT_COLUMN; ++c) row->cell[c].word[0] = row->cell[c].word[1] = 0;
    view.sel_width = 2;
  }
  LadderCell& cell = row->cell[col];
  if (shift && part == DesignToolId::RELAY_A) {
    cell.word[0] = (cell.word[0] & KEEP_FOR_CONTACT) | ALWAYS_ON_WORD;
    cell.word[1] = ALWAYS_ON_DEVICE;
    std::snprintf(row->text[col], CELL_TEXT_SIZE, "%s", ALWAYS_ON_TEXT);
  } else if (shift && part == DesignToolId::RELAY_B) {
    cell.word[0] = (cell.word[0] & KEEP_FOR_CONTACT) | ALWAYS_OFF_WORD;
    cell.word[1] = ALWAYS_OFF_DEVICE;
    std::snprintf(row->text[col], CELL_TEXT_SIZE, "%s", ALWAYS_OFF_TEXT);
  } else {
    cell.word[0] = (cell.word[0] & KEEP_FOR_CONTACT) | static_cast<uint32_t>(part) << 4 | CellFlags::PRESENT;
  }
  view.box_start_col = col;
  return true;
}

void merge(EditEffects& into, EditEffects&& from) {
  into.changed = into.changed || from.changed;
  into.invalidate.insert(into.invalidate.end(), from.invalidate.begin(), from.invalidate.end());
  into.invalidate_all = into.invalidate_all || from.invalidate_all;
  if (from.sync) into.sync = from.sync;
  into.clear_other_cursors = into.clear_other_cursors || from.clear_other_cursors;
  into.sync_hits = into.sync_hits || from.sync_hits;
  if (from.status) into.status = from.status;
  if (from.message) {
    into.message = from.message;
    into.message_caption = from.message_caption;
  }
  if (from.dialog.dialog != DesignDialog::NONE) into.dialog = std::move(from.dialog);
  if (from.handoff != RowEditHandoff::NONE) into.handoff = from.handoff;
  into.keys.insert(into.keys.end(), from.keys.begin(), from.keys.end());
}

std::string cell_text(ConstGridSpan grid, int row, int col, bool last_operand_only) {
  char text[CELL_TEXT_BUFFER_SIZE] = {};
  char mark[MARK_TEXT_BUFFER_SIZE] = {};
  format_cell_text(grid, CellCursor{row, col}, text, mark, last_operand_only);
  return text;
}

}  // namespace

int cell_accepts_contact(ConstGridSpan grid, int row, int column) {
  if (column >= OUTPUT_COLUMN || column < 0) return -1;
  const uint32_t bits = cell_word0(grid, row, column) & MULTI_CELL_BITS;
  if (bits == CellFlags::BOX_POSITION) return -2;
  return bits != 0 ? -1 : 0;
}

int check_output_placement(ConstGridSpan grid, ViewState& view, int code) {
  if (view.cursor_col != 10 && view.cursor_col != OUTPUT_COLUMN) return 1;
  view.cursor_col = OUTPUT_COLUMN;
  const int n = g_instruction_attributes[static_cast<size_t>(code) & 0xFF] & InstrAttr::OPERAND_CELLS_MASK;
  const int r = view.cursor_row;
  for (int i = OUTPUT_COLUMN - n; i <= OUTPUT_COLUMN; ++i) {
    if (i > OUTPUT_COLUMN - n &&
        ((cell_word0(grid, r, i) & CellFlags::LINK_UP) != 0 || (cell_word0(grid, r + 1, i) & CellFlags::LINK_UP) != 0))
      return -1;
    if (i < OUTPUT_COLUMN && (cell_word0(grid, r, i) & CellFlags::BOX_POSITION) == 0x400) return -1;
  }
  for (int rr = std::min<int>(r, static_cast<int>(grid.size()) - 1); rr >= 0; --rr) {
    const LadderRow& row = grid[static_cast<size_t>(rr)];
    if (is_end_row(row) && row_output_code(row) == static_cast<uint32_t>(Instr::END)) return rr == r ? 0 : -1;
  }
  return 0;
}

void replace_box_by_lines(GridSpan grid, ViewState& view) {
  LadderRow* row = edit_row(grid, view.cursor_row);
  if (row == nullptr) return;
  int n = 0;
  for (int c = OUTPUT_COLUMN - 1; c >= 0; --c) {
    const uint32_t w = row->cell[c].word[0];
    if ((w & (CellFlags::TIMER_COIL | CellFlags::TIMER_OUTPUT | CellFlags::BOX_POSITION)) == 0) break;
    ++n;
    // The element's own first cell ends its run: a comparison contact left of a box
    // is not part of the box.
    if ((w & CellFlags::TIMER_COIL) != 0 || (w & CellFlags::BOX_POSITION) == CellFlags::BOX_POSITION) break;
  }
  if (n <= view.sel_width) return;
  const int old_width = view.sel_width;
  view.sel_width = n;
  for (int c = OUTPUT_COLUMN - n; c < OUTPUT_COLUMN - n + (n - old_width); ++c) {
    row->cell[c].word[0] = (row->cell[c].word[0] & CellFlags::LINK_UP) | CellWord::LINE_ONLY;
    row->cell[c].word[1] = 0;
  }
}

EditEffects place_with_tool(GridSpan grid, ViewState& view, const EditContext& context) {
  EditEffects e;
  drop_marker(e, view);
  const int tool = context.modes.tool;
  switch (tool) {
    case DesignToolId::OUT:
    case DesignToolId::TIM:
    case DesignToolId::CNT:
      if (const LadderRow* row = edit_row(grid, view.cursor_row); row != nullptr) {
        const LadderRow before = *row;
        if (place_output(grid, view, tool, false)) finish_row_edit(e, view, context, true, before, *row);
      }
      break;
    case DesignToolId::FUNCTION:
      e.dialog.dialog = DesignDialog::FUNCTION;
      e.dialog.close_slot0 = true;
      e.dialog.create = true;
      add_span_show(e, view, grid, context);
      break;
    case DesignToolId::RELAY_A:
    case DesignToolId::RELAY_B:
      if (const LadderRow* row = edit_row(grid, view.cursor_row); row != nullptr) {
        const LadderRow before = *row;
        if (place_contact(grid, view, tool, context.modes.shift)) finish_row_edit(e, view, context, false, before, *row);
      }
      break;
    default:
      break;
  }
  return e;
}

EditEffects dialog_mode_click(ConstGridSpan grid, ViewState& view, const EditContext& context) {
  EditEffects e;
  const DesignModes& m = context.modes;
  const int r = view.cursor_row;
  const int c = view.cursor_col;
  const LadderRow* row = grid_row_at(grid, r);
  if (row == nullptr) return e;
  const uint32_t w = cell_word0(grid, r, c);
  const uint32_t k = w & 0x90000009;
  const bool margin = c == LABEL_COLUMN;
  const bool labelled = (row->cell[LABEL_COLUMN].word[0] & CellFlags::U_MARK) != 0;
  if (k != 8 && (m.replace_mode || m.search_mode || m.initial_settings_mode)) return e;
  if (m.comment_mode) {
    if (k == 9) return e;
    if (margin && (!labelled || is_comment_row(*row))) return e;
    const uint32_t output = row_output_code(*row);
    if (c > 0 && c < LABEL_COLUMN && (output == Instr::ASM || output == Instr::TABL)) return e;
  }
  if (m.number_mode && (k & 0xF) != 8 && (k & 0x90000000) == 0) return e;
  if (add_span_show(e, view, grid, context) != 0) return e;

  if (m.number_mode) {
    e.dialog.dialog = DesignDialog::NUMBER;
    e.dialog.create = !m.number_dialog_open;
    if (margin && labelled) {
      e.dialog.set_text = true;
      const LadderCell& label = row->cell[LABEL_COLUMN];
      if ((label.word[0] & CellFlags::OPERAND_SET) != 0) {
        char text[32];
        std::snprintf(text, sizeof text, "%s%u", device_letter(operand_device_index(label.word[1])),
                      label.word[1] & 0xFFF);
        e.dialog.text = text;
      } else {
        e.dialog.text.assign(1, 'P');  // a label without its number
      }
    } else if ((k & 0xF) == 8) {
      if (m.number_entry_mode == 4) {
        e.dialog.set_text = true;
        e.dialog.send_ok = true;
      } else if (m.number_entry_mode >= 2 && m.number_entry_count != 0) {
        e.dialog.send_ok = true;
      } else {
        e.dialog.set_text = true;
        e.dialog.text = cell_text(grid, r, view.cursor_col, false);
      }
    }
    return e;
  }
  if (m.search_mode) {
    if (k == 8 && !margin && m.search_dialog_open) {
      e.dialog.dialog = DesignDialog::SEARCH;
      e.dialog.set_text = true;
      if (m.search_kind < 4) {
        e.dialog.text = cell_text(grid, r, view.cursor_col, true);
      } else {
        char name[CELL_TEXT_BUFFER_SIZE] = {};
        get_cell_instruction_name(grid, CellCursor{r, view.cursor_col}, name);
        e.dialog.text = name;
      }
      e.dialog.list_uses = m.search_list_form;
    }
    return e;
  }
  if (m.comment_mode && (c <= OUTPUT_COLUMN || margin)) {
    int first = 0;
    while (first <= OUTPUT_COLUMN && (row->cell[first].word[0] & (first == 0 ? 0xDu : 0xFu)) == 0) ++first;
    if (first > OUTPUT_COLUMN || is_comment_row(*row)) {
      if (margin) return e;
      e.dialog.dialog = DesignDialog::ROW_COMMENT;
    } else {
      e.dialog.dialog = DesignDialog::COMMENT;
    }
    e.dialog.close_slot0 = true;
    e.dialog.create = true;
    e.dialog.focus_edit = true;
  }
  return e;
}

EditEffects design_left_click(GridSpan grid, ViewState& view, const EditContext& context, int x, int y,
                              int& search_highlight) {
  EditEffects e;
  const DesignModes& m = context.modes;
  if (!hit_test_grid_cell(view, context.client_width, x, y, m.tool)) return e;
  if (search_highlight != 0) {
    view.hit_rows[0] = HIT_LIST_END;
    search_highlight = 0;
    e.invalidate_all = true;
    e.sync_hits = true;
  }
  g_click_x = x;
  g_click_y = y;

  // Rows past the END row (special rows, the end mark) and comment rows outside the modes
  // that work on them take no click.
  const LadderRow* row = grid_row_at(grid, view.cursor_row);
  if (row == nullptr || view.cursor_row >= editable_row_limit(grid)) return e;
  const uint32_t first = row->cell[0].word[0];
  if ((first & CellFlags::COMMENT_ROW) != 0 && !(m.comment_mode || m.range_mode || m.blank_mode)) return e;
  if ((first & CellFlags::SPECIAL) != 0 || first == END_MARK_CELL) return e;

  add_span_erase(e, view, context);
  view.sel_rows = 0;
  e.note_shared_click = view_file_number(view) == 0;

  if (m.range_mode && m.range_submode == RANGE_SUBMODE_SELECT) {
    e.handoff = RowEditHandoff::RANGE_SELECT;
    return e;
  }
  if (m.number_mode || m.search_mode || m.comment_mode) {
    merge(e, dialog_mode_click(grid, view, context));
    return e;
  }
  if (m.range_mode && m.range_submode == RANGE_SUBMODE_PASTE) {
    e.handoff = RowEditHandoff::RANGE_PASTE;
    return e;
  }
  if (view.cursor_col != LABEL_COLUMN && (m.line_mode || m.tool == DesignToolId::ERASE)) {
    merge(e, line_tool_click(grid, view, context));
    return e;
  }
  if (m.tool >= DesignToolId::RELAY_A && m.tool <= DesignToolId::FUNCTION) {
    merge(e, place_with_tool(grid, view, context));
    return e;
  }
  if (m.blank_mode) {
    e.handoff = RowEditHandoff::BLANK_LINE;
    return e;
  }
  if (m.tool == DesignToolId::NONE) add_span_show(e, view, grid, context);
  return e;
}

EditEffects apply_function_key(GridSpan grid, ViewState& view, const EditContext& context, int command_id) {
  int p = 0;
  if (command_id >= 1089 && command_id <= 1097) {
    p = command_id - 1088;
  } else if (command_id == 1099 || command_id == 1100) {
    p = command_id - 1088;
  } else if (command_id == 1231) {
    p = 143;
  } else {
    return EditEffects::not_handled();
  }
  EditEffects e;
  e.uncheck_function_tool = true;
  LadderRow* row = edit_row(grid, view.cursor_row);
  if (view.sel_col == NO_SELECTION || row == nullptr || is_comment_row(*row)) return e;
  // Special rows, the end mark and the rows after END are no part of the program.
  if (!is_program_row(grid, view.cursor_row)) return e;
  drop_marker(e, view);
  const LadderRow before = *row;

  constexpr int LINE = 11, ERASE = 12, LINK = 143;
  if (p >= DesignToolId::OUT && p <= DesignToolId::CNT) {
    if (place_output(grid, view, p, true)) finish_row_edit(e, view, context, true, before, *row);
    return e;
  }
  // The END row keeps what it holds: F12 is refused there as the erase tool refuses it.
  if (p == ERASE && is_end_row(*row)) {
    e.message = END_ROW_ERASE_MESSAGE;
    e.message_caption = END_ROW_ERASE_CAPTION;
    return e;
  }

  const int col = view.cursor_col;
  const DeviceIndex device = operand_device_index(col < ROW_CELLS ? row->cell[col].word[1] : 0);
  view.sel_width = 0;
  int first_changed = col;
  const int accepts = cell_accepts_contact(grid, view.cursor_row, col);
  if (accepts == -1) {
    if (p != ERASE) return e;
    first_changed = erase_row_output(*row);
    view.sel_width = OUTPUT_COLUMN - first_changed;
  } else if (accepts == -2 && p != LINK) {
    // A link goes on the left edge of a comparison contact without taking it apart.
    for (int c = col + 1; c <= col + 2 && c < OUTPUT_COLUMN; ++c) row->cell[c].word[0] = row->cell[c].word[1] = 0;
    view.sel_width = 2;
  }
  if (col < ROW_CELLS && col != LABEL_COLUMN) {
    LadderCell& cell = row->cell[col];
    const bool relay = p == DesignToolId::RELAY_A || p == DesignToolId::RELAY_B;
    const bool switch_part = p >= 3 && p <= 6;
    if (p == LINE || p == ERASE || (relay && device == Device::X) || (switch_part && device != Device::X)) {
      cell.word[0] &= ~(CellFlags::OPERAND_SET | CellFlags::HAS_COMMENT);
      cell.word[1] = 0;
    }
    if (p == LINK) {
      // A link rises to the row above: not from row 0, nor into the inside of an element or
      // into a row compiled alone.
      if (view.cursor_row == 0 || !link_may_rise(grid[static_cast<size_t>(view.cursor_row - 1)], *row, col)) return e;
      cell.word[0] |= CellFlags::LINK_UP;
    } else {
      cell.word[0] &= KEEP_FOR_CONTACT;
      if (p == LINE) cell.word[0] |= CellWord::LINE_ONLY;
      if (p != LINE && p != ERASE) cell.word[0] |= static_cast<uint32_t>(p) << 4 | CellFlags::PRESENT;
    }
  }
  view.box_start_col = std::min(col, first_changed);
  if (accepts == -1) view.sel_width = std::max(view.sel_width, OUTPUT_COLUMN - view.box_start_col);
  if ((p == LINE && col < 10) || p == ERASE) e.keys.push_back(KEY_RIGHT);
  finish_row_edit(e, view, context, accepts == -1, before, *row);
  return e;
}
