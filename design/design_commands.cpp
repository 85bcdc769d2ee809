#include "design/design_commands.h"

#include <array>
#include <cstdio>

#include "core/cell_text.h"
#include "core/device_tables.h"
#include "core/sjis.h"
#include "shell/command_ids.h"
#include "shell/path_parts.h"

namespace {

// The tool and mode buttons: a second press switches everything off.
bool is_toggle(int id) {
  return (id >= CMD_TOOL_RELAY_A && id <= CMD_TOOL_ERASE) || id == CMD_SET_NUMBER || id == CMD_COMMENT ||
         id == CMD_RANGE_MODE || id == CMD_BLANK_LINE_MODE;
}

// The ids whose button the design toolbar carries (the others only set their flag).
bool has_button(int id) { return is_toggle(id); }

bool switches_modes(int id) {
  return (id >= CMD_TOOL_RELAY_A && id <= CMD_TOOL_ERASE) || (id >= CMD_SET_NUMBER && id <= CMD_SEARCH) ||
         id == CMD_UNDO || id == CMD_REDO || id == CMD_RANGE_MODE || id == CMD_BLANK_LINE_MODE;
}

bool cell_in_grid(ConstGridSpan grid, int row, int col) {
  return row >= 0 && static_cast<size_t>(row) < grid.size() && col >= 0 && col < ROW_CELLS;
}

std::string cell_text(ConstGridSpan grid, int row, int col, bool last_operand_only) {
  std::array<char, CELL_TEXT_BUFFER_SIZE> text{};
  std::array<char, MARK_TEXT_BUFFER_SIZE> mark{};
  format_cell_text(grid, CellCursor{row, col}, text, mark, last_operand_only);
  return std::string(text.data());
}

bool has_extension(std::string_view name) {
  // The name part after the last separator; a dot in a folder name does not count.
  PathParts parts{};
  if (split_path(name, parts) != 0) return false;
  return parts.ext[0] != '\0';
}

}  // namespace

ModePreparation mode_preparation(int id) {
  switch (id) {
    case CMD_TOOL_FUNCTION:
    case CMD_REPLACE:
    case CMD_SEARCH:
    case CMD_BLANK_LINE_MODE:
      return ModePreparation::KEEP_CURSOR;
    case CMD_SET_NUMBER:
    case CMD_COMMENT:
    case CMD_UNDO:
    case CMD_REDO:
    case CMD_RANGE_MODE:
      return ModePreparation::ALL;
    default:
      return (id >= CMD_TOOL_RELAY_A && id <= CMD_TOOL_ERASE) ? ModePreparation::ALL : ModePreparation::NONE;
  }
}

bool is_tool_guarded(int id) { return id >= TOOL_GUARD_FIRST_ID && id <= TOOL_GUARD_LAST_ID; }

ModeSwitch switch_design_mode(int id, int32_t current_flag) {
  ModeSwitch change;
  if (!switches_modes(id)) return change;
  change.applies = true;
  if (current_flag == 1 && is_toggle(id)) {
    change.switched_off = true;
    return change;
  }
  if (id == CMD_RANGE_MODE) {
    change.reset_range_submode = true;
    change.indicators = CMD_RANGE_MODE;
  } else if (id == CMD_BLANK_LINE_MODE) {
    change.indicators = CMD_BLANK_LINE_MODE;
  }
  change.reset_modes = true;
  change.flag_id = id;
  change.check_button = has_button(id);
  return change;
}

void apply_mode_switch(const ModeSwitch& change, ModeFlags& flags) {
  if (!change.applies) return;
  if (change.switched_off || change.reset_modes) flags.fill(0);
  if (const int index = mode_flag_index(change.flag_id); index >= 0) flags[static_cast<size_t>(index)] = 1;
}

NumberEntryFill number_entry_fill(ConstGridSpan grid, const ViewState& view) {
  NumberEntryFill fill;
  if (view.cursor_col == LABEL_MARGIN_COLUMN && cell_in_grid(grid, view.cursor_row, LABEL_MARGIN_COLUMN)) {
    const LadderCell& label = grid[static_cast<size_t>(view.cursor_row)].cell[LABEL_MARGIN_COLUMN];
    if ((label.word[0] & CellFlags::U_MARK) != 0) {
      fill.fill = true;
      if ((label.word[0] & CellFlags::OPERAND_SET) != 0) {
        const uint32_t device = label.word[1];
        char text[32];
        std::snprintf(text, sizeof text, "%s%d", device_letter(device_index_from_code(device >> 24)),
                      static_cast<int>(device & 0xFFF));
        fill.text = text;
      } else {
        fill.text = "P";
      }
      return fill;
    }
  }
  if (view.sel_col < 0 || view.sel_col == LABEL_MARGIN_COLUMN || !cell_in_grid(grid, view.sel_row, view.sel_col))
    return fill;
  const uint32_t word0 = grid[static_cast<size_t>(view.sel_row)].cell[view.sel_col].word[0];
  // The first and middle cells of a box, the middle operand of a comparison and the coil
  // cell of TIM/CNT are entered through the output cell of their row.
  const bool through_output = (word0 & (0x800 | CellFlags::TIMER_COIL)) != 0 && (word0 & 0x1000) == 0;
  fill.move_cursor = true;
  fill.row = view.sel_row;
  fill.col = through_output ? 11 : view.sel_col;
  fill.fill = true;
  fill.text = cell_text(grid, fill.row, fill.col, false);
  return fill;
}

EnterDecision enter_action(ConstGridSpan grid, const ViewState& view, const ModeFlags& flags, bool dialog_open,
                           int number_mode) {
  EnterDecision decision;
  if (dialog_open) {
    decision.action = EnterAction::CLOSE_DIALOG;
    return decision;
  }
  const bool selected = view.sel_col >= 0 && view.sel_col != LABEL_MARGIN_COLUMN &&
                        cell_in_grid(grid, view.sel_row, view.sel_col);
  if (!selected) return decision;
  const uint32_t kind = grid[static_cast<size_t>(view.sel_row)].cell[view.sel_col].word[0] & 0x10000009u;
  const auto flag = [&](int id) { return flags[static_cast<size_t>(mode_flag_index(id))] != 0; };
  if (flag(CMD_SET_NUMBER) && kind == CellFlags::PRESENT) {
    decision.action = EnterAction::NUMBER_DIALOG;
    decision.fill_text = number_mode == 0;
  } else if (flag(CMD_TOOL_FUNCTION)) {
    decision.action = EnterAction::FUNCTION_DIALOG;
  } else if (flag(CMD_BLANK_LINE_MODE)) {
    decision.action = EnterAction::BLANK_ROW;
  }
  return decision;
}

SaveRefusal save_refusal(const ViewState& view) {
  if ((view.view_id & 0xF0) != 0) return SaveRefusal::NOT_MAIN_FILE;
  if ((view.open_file.flags & OPEN_FILE_READ_ONLY) != 0) return SaveRefusal::READ_ONLY;
  if (std::string_view(view.title) == UNNAMED_DESIGN) return SaveRefusal::UNNAMED;
  return SaveRefusal::NONE;
}

std::string save_as_target(std::string_view chosen) {
  if (chosen.empty() || chosen.size() >= PATH_BYTES) return {};
  if (has_extension(chosen)) return std::string(chosen);
  std::string path(chosen);
  path += ".MBS";
  return path.size() < PATH_BYTES ? path : std::string();
}

std::string save_as_prefill(std::string_view current_path, std::string_view project_name) {
  PathParts parts{};
  if (split_path(current_path, parts) != 0) return std::string(project_name);
  // A doubled separator (a root folder written with its own backslash) becomes one; the
  // scan steps over double-byte characters, whose trail byte may be 0x5C.
  std::string dir;
  const std::string_view source = parts.dir;
  for (size_t i = 0; i < source.size();) {
    const size_t length = sjis_char_length(source, i);
    if (!(length == 1 && source[i] == '\\' && !dir.empty() && dir.back() == '\\' && ends_with_separator(dir)))
      dir.append(source.substr(i, length));
    i += length;
  }
  std::string prefill = parts.drive;
  prefill += dir;
  prefill += project_name;
  prefill += parts.ext;
  return prefill.size() < PATH_BYTES ? prefill : std::string(project_name);
}

ContinuedSearch continued_search(int id, int search_mode) {
  ContinuedSearch search;
  search.search_mode = search_mode;
  if (search_mode < 4) {
    if (id == CMD_SEARCH_UP) {
      search.action = ContinuedSearchAction::DEVICE;
      search.search_mode = 1;
    } else if (id == CMD_SEARCH_DOWN) {
      search.action = ContinuedSearchAction::DEVICE;
      search.search_mode = 2;
    }
  } else if (search_mode == 4 && id == CMD_SEARCH_DOWN) {
    search.action = ContinuedSearchAction::INSTRUCTION;
  }
  return search;
}

std::string as_ladder_shows(std::string_view device) {
  auto hex_digit = [](char c) { return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F'); };
  if (device.size() == 2 && std::string_view("XYBR").find(device[0]) != std::string_view::npos &&
      hex_digit(device[1]))
    return std::string{device[0], '0', device[1]};
  return std::string(device);
}
