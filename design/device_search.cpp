#include "design/device_search.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <map>

int g_search_mode = SEARCH_DOWN;
std::array<int32_t, DEVICE_HIT_SLOTS> g_device_hits = [] {
  std::array<int32_t, DEVICE_HIT_SLOTS> hits{};
  hits[0] = HIT_LIST_END;
  return hits;
}();
int g_replace_restarted = 0;

void reset_device_search_state() {
  g_search_mode = SEARCH_DOWN;
  g_device_hits.fill(0);
  g_device_hits[0] = HIT_LIST_END;
  g_replace_restarted = 0;
}

namespace {

constexpr uint32_t FLAG_BITS = 0xC00000;        // the T suffix / D bit and the lower-case mark
constexpr uint32_t COMPARED_MASK = 0xF03FFFFF;  // comparison and output operands below J
constexpr int LAST_CONTACT_COLUMN = 10;
constexpr int VISIBLE_SPAN_UP = 10;             // the upward search takes 10 rows as visible

bool hex_value(char c, uint32_t& value) {
  if (c >= '0' && c <= '9') value = static_cast<uint32_t>(c - '0');
  else if (c >= 'A' && c <= 'F') value = static_cast<uint32_t>(c - 'A' + 10);
  else if (c >= 'a' && c <= 'f') value = static_cast<uint32_t>(c - 'a' + 10);
  else return false;
  return true;
}

bool hex_letter(DeviceIndex index) {
  return index == Device::X || index == Device::Y || index == Device::B || index == Device::R;
}

// Digits of `text` in the radix, at most 0xFFFF; false for a bad digit or none.
bool read_number(std::string_view text, bool hex, bool j_device, uint32_t& number) {
  if (text.empty()) return false;
  number = 0;
  for (char c : text) {
    uint32_t digit = 0;
    if (!hex_value(c, digit) || (!hex && digit > 9)) return false;
    number = number * (hex || j_device ? 16 : 10) + digit;
    if (number > 0xFFFF) return false;
  }
  if (j_device) {
    auto pair = [](uint32_t byte) { return (byte >> 4) * 10 + (byte & 0xF); };
    number = pair(number >> 8 & 0xFF) * 256 + pair(number & 0xFF);
  }
  return true;
}

int program_end_row(ConstGridSpan grid) {
  const int limit = static_cast<int>(std::min<size_t>(grid.size(), MAX_GRID_ROWS));
  const int count = count_program_rows(grid);
  if (count <= 0 || count > limit) return limit;  // no END row: the whole grid
  return count - 1;                              // the END row itself is not searched
}

int output_operand_count(const LadderRow& row) {
  const uint32_t code = row_output_code(row);
  if (code == Instr::TIM || code == Instr::CNT) return 2;
  return std::clamp(static_cast<int>(g_instruction_attributes[code] & 0xF), 0, 4);
}

bool is_candidate(const LadderRow& row, int column) {
  const uint32_t w = row.cell[column].word[0];
  if ((w & CellFlags::PRESENT) == 0 || (w & (CellFlags::LINE | CellFlags::CONTINUATION)) != 0) return false;
  if (is_comment_row(row)) return false;
  if (column != OUTPUT_COLUMN && (w & CellFlags::BOX_POSITION) == 0x400) return false;
  if (column <= LAST_CONTACT_COLUMN && (w & (CellFlags::TIMER_COIL | CellFlags::BOX)) != 0) return false;
  return true;
}

// Whether operand `k` of candidate (row, column) names `device`; operand 0 only in the
// contact columns. In mode 3 only output operands count: the last one, both for TIM and CNT.
bool operand_matches(const LadderRow& row, int column, int k, uint32_t device, bool outputs_only) {
  const uint32_t w = row.cell[column].word[0];
  if (column <= LAST_CONTACT_COLUMN) {
    if (outputs_only || k != 0) return false;
    if ((w & CellFlags::COMPARISON) != 0 && (w & CellFlags::CONSTANT_0) != 0) return false;
    if (column > 0 && (row.cell[column - 1].word[0] & CellFlags::COMPARISON) != 0 &&
        (row.cell[column - 1].word[0] & (CellFlags::CONSTANT_0 << 1)) != 0)
      return false;  // the second operand of a comparison is a constant
    return same_device(row.cell[column].word[1], device);
  }
  const int n = output_operand_count(row);
  if (k >= n || OUTPUT_COLUMN + k >= ROW_CELLS) return false;
  if (outputs_only) {
    const uint32_t code = row_output_code(row);
    if (code != Instr::TIM && code != Instr::CNT && k != n - 1) return false;
  }
  if ((w & (CellFlags::CONSTANT_0 << k)) != 0) return false;
  return same_device(row.cell[OUTPUT_COLUMN + k].word[1], device);
}

SearchHit make_hit(const LadderRow& row, int r, int column, int k) {
  SearchHit hit;
  hit.row = r;
  hit.column = column;
  hit.operand = k;
  hit.operands = column == OUTPUT_COLUMN ? std::max(1, output_operand_count(row)) : 1;
  return hit;
}

// A position (row, column) in the scan order: columns 0-10, then the operands of the
// output as columns 11, 12, ... up to 14.
struct Position {
  int row;
  int column;
};

Position next_position(Position p) {
  if (p.column >= OUTPUT_COLUMN + 3) return {p.row + 1, 0};
  return {p.row, p.column + 1};
}

bool in_view(const ViewState& view, int row, int span) { return row >= view.top_row && row <= view.top_row + span; }

}  // namespace

std::vector<std::string> search_words(std::string_view text, size_t limit) {
  std::vector<std::string> words;
  std::string word;
  for (char c : text) {
    if (c == ' ' || c == '\t' || c == '\r' || c == '\n') {
      if (!word.empty()) words.push_back(std::move(word));
      word.clear();
      if (words.size() >= limit) return words;
    } else {
      word += c;
    }
  }
  if (!word.empty() && words.size() < limit) words.push_back(std::move(word));
  return words;
}

std::string search_device_word(std::string_view text) {
  const std::vector<std::string> words = search_words(text, 2);
  if (words.empty()) return {};
  const std::string& first = words[0];
  if ((first == "SET" || first == "RST" || first == "PLS" || first == "PLF" || first == "set" || first == "rst" ||
       first == "pls" || first == "plf") &&
      words.size() > 1)
    return words[1];
  return first;
}

int parse_search_device(std::string_view text, int search_mode, uint32_t& device) {
  if (text.size() > 1 && (text.back() == 'T' || text.back() == 't')) text.remove_suffix(1);
  if (text.empty()) return -1;
  const DeviceIndex index = device_letter_to_index(text[0]);
  if (index < 0 || index >= DEVICE_COUNT || index == Device::ROW_LABEL) return -1;
  if (index == Device::X && (search_mode == SEARCH_OUTPUTS || search_mode == SEARCH_INSTRUCTION)) return -1;
  if (index == Device::K && text.size() > 2 && text[1] >= '0' && text[1] <= '9') {
    const DeviceIndex group = device_letter_to_index(text[2]);
    const char letter = static_cast<char>(std::toupper(static_cast<unsigned char>(text[2])));
    if (std::string_view("XYMSTCLB").find(letter) == std::string_view::npos) return -1;
    bool hex = false;
    if (letter == 'X' || letter == 'Y' || letter == 'B') hex = true;
    else if (letter != 'M' && letter != 'L') return -1;
    uint32_t number = 0;
    if (!read_number(text.substr(3), hex, false, number)) return -1;
    device = (static_cast<uint32_t>(device_code_from_index(group)) << 24) +
             (static_cast<uint32_t>(text[1] - '0') << 24) + number;
    return 0;
  }
  uint32_t number = 0;
  if (!read_number(text.substr(1), hex_letter(index), index == Device::J, number)) return -1;
  device = static_cast<uint32_t>(device_code_from_index(index)) << 24 | number;
  return 0;
}

SearchHit find_device_down(ConstGridSpan grid, const ViewState& view, const SearchContext& context) {
  const bool outputs_only = context.search_mode == SEARCH_OUTPUTS;
  const int end_row = program_end_row(grid);
  Position p{view.top_row, 0};
  if (context.replace_dialog_open) {
    if (view.sel_col != NO_SELECTION) p = {view.cursor_row, std::max(0, view.cursor_col)};
  } else if (view.sel_col != NO_SELECTION && in_view(view, view.sel_row, view.visible_rows)) {
    p = next_position({view.cursor_row, std::max(0, view.cursor_col)});
  }
  if (outputs_only && context.search_dialog_open && p.column < OUTPUT_COLUMN) p.column = OUTPUT_COLUMN;
  bool wrap = context.search_mode == SEARCH_DOWN_WRAP && context.search_dialog_open;
  const uint32_t device = static_cast<uint32_t>(view.entry_device);
  for (;;) {
    for (; p.row >= 0 && p.row < end_row; p = {p.row + 1, outputs_only ? OUTPUT_COLUMN : 0}) {
      const LadderRow& row = grid[static_cast<size_t>(p.row)];
      for (int c = p.column; c <= LAST_CONTACT_COLUMN; ++c)
        if (is_candidate(row, c) && operand_matches(row, c, 0, device, outputs_only)) return make_hit(row, p.row, c, 0);
      if (!is_candidate(row, OUTPUT_COLUMN)) continue;
      for (int k = std::max(0, p.column - OUTPUT_COLUMN); k < 4; ++k)
        if (operand_matches(row, OUTPUT_COLUMN, k, device, outputs_only)) return make_hit(row, p.row, OUTPUT_COLUMN, k);
    }
    if (!wrap) return {};
    wrap = false;
    p = {0, outputs_only ? OUTPUT_COLUMN : 0};
  }
}

SearchHit find_device_up(ConstGridSpan grid, const ViewState& view) {
  const int end_row = program_end_row(grid);
  Position p{view.top_row + VISIBLE_SPAN_UP, OUTPUT_COLUMN + 3};
  if (in_view(view, view.cursor_row, VISIBLE_SPAN_UP)) {
    p = {view.cursor_row, std::max(0, view.cursor_col) - 1};
    if (p.column < 0) p = {p.row - 1, OUTPUT_COLUMN + 3};  // nothing is before row 0, column 0
  }
  if (p.row >= end_row) p = {end_row - 1, OUTPUT_COLUMN + 3};
  const uint32_t device = static_cast<uint32_t>(view.entry_device);
  for (; p.row >= 0; p = {p.row - 1, OUTPUT_COLUMN + 3}) {
    const LadderRow& row = grid[static_cast<size_t>(p.row)];
    if (p.column >= OUTPUT_COLUMN && is_candidate(row, OUTPUT_COLUMN))
      for (int k = std::min(3, p.column - OUTPUT_COLUMN); k >= 0; --k)
        if (operand_matches(row, OUTPUT_COLUMN, k, device, false)) return make_hit(row, p.row, OUTPUT_COLUMN, k);
    for (int c = std::min(p.column, LAST_CONTACT_COLUMN); c >= 0; --c)
      if (is_candidate(row, c) && operand_matches(row, c, 0, device, false)) return make_hit(row, p.row, c, 0);
  }
  return {};
}

SearchHit find_instruction_down(ConstGridSpan grid, const ViewState& view, InstructionCode code) {
  const int end_row = program_end_row(grid);
  Position p{view.top_row, 0};
  if (view.sel_col != NO_SELECTION && in_view(view, view.sel_row, view.visible_rows)) {
    p = {view.cursor_row, std::max(0, view.cursor_col) + 1};
    if (p.column > OUTPUT_COLUMN) p = {p.row + 1, 0};
  }
  for (int pass = 0; pass < 2; ++pass, p = {0, 0}) {
    for (; p.row >= 0 && p.row < end_row; p = {p.row + 1, 0}) {
      const LadderRow& row = grid[static_cast<size_t>(p.row)];
      for (int c = p.column; c <= OUTPUT_COLUMN; ++c) {
        const uint32_t w = row.cell[c].word[0];
        SearchHit hit;
        if (c <= LAST_CONTACT_COLUMN && (w & CellFlags::COMPARISON) != 0 && (w & CellFlags::PRESENT) != 0 &&
            static_cast<InstructionCode>((w >> 4) & 0xFF) == code)
          hit.width = 2;
        else if (c == OUTPUT_COLUMN && (w & CellFlags::OUTPUT) != 0 && row_output_code(row) == static_cast<uint32_t>(code))
          hit.width = static_cast<int>(g_instruction_attributes[static_cast<size_t>(code) & 0x1FF] & 0xF);
        else
          continue;
        hit.row = p.row;
        hit.column = c;
        return hit;
      }
    }
  }
  return {};
}

bool place_hit(ViewState& view, const SearchHit& hit, int visible_span, bool comment_mode) {
  bool repaint = false;
  if (!in_view(view, hit.row, visible_span)) {
    view.top_row = hit.row;
    if (view.scroll_max > 0 && view.top_row > view.scroll_max) view.top_row = view.scroll_max;
    repaint = true;
  }
  view.cursor_row = hit.row;
  view.cursor_col = hit.column;
  if (hit.column == OUTPUT_COLUMN && comment_mode)
    view.cursor_col = hit.column - hit.operands + hit.operand + 1;
  if (hit.width > 0) view.sel_width = hit.width;
  return repaint;
}

void finish_hit(ViewState& view, const SearchHit& hit) {
  view.cursor_col = hit.width > 0 ? hit.column + hit.width : hit.column + hit.operand;
}

bool move_to_hit(ViewState& view, const SearchHit& hit, int visible_span, bool comment_mode) {
  const bool repaint = place_hit(view, hit, visible_span, comment_mode);
  view.sel_col = view.cursor_col;
  view.sel_row = view.cursor_row;
  finish_hit(view, hit);
  return repaint;
}

int instruction_code_from_name(std::string_view name, InstructionCode& code) {
  if (name == "T") return code = Instr::TIM, 0;
  if (name == "C") return code = Instr::CNT, 0;
  if (name.empty()) return -1;
  for (const auto* table : {&g_instruction_names, &g_instruction_names_lower}) {
    for (int i = 0; i < GRID_NAME_SEARCH_SIZE; ++i) {
      const char* entry = (*table)[static_cast<size_t>(i)];
      if (entry != nullptr && name == entry) return code = static_cast<InstructionCode>(i), 0;
    }
  }
  return -1;
}

SearchOutcome plan_device_search(ConstGridSpan grid, ViewState& view, const SearchContext& context,
                                 std::string_view text) {
  SearchOutcome outcome;
  const std::string word = search_device_word(text);
  uint32_t device = 0;
  if (word.empty() || parse_search_device(word, context.search_mode, device) != 0) {
    outcome.result = -1;
    outcome.message = MSG_BAD_NUMBER;
    return outcome;
  }
  view.entry_device = static_cast<int32_t>(device);
  outcome.hit = context.search_mode == SEARCH_UP ? find_device_up(grid, view) : find_device_down(grid, view, context);
  if (!outcome.hit.found()) {
    outcome.result = SEARCH_NOT_FOUND;
    outcome.message = MSG_NOT_FOUND;
  }
  return outcome;
}

// ---- Replace ------------------------------------------------------------------------------------

int comment_cell_column(const LadderRow& row, int column) {
  // A timer or counter output keeps its comment in its coil cell, column 10.
  if (column == OUTPUT_COLUMN && (row.cell[LAST_CONTACT_COLUMN].word[0] & CellFlags::TIMER_COIL) != 0)
    return LAST_CONTACT_COLUMN;
  if (column <= OUTPUT_COLUMN && (row.cell[column].word[0] & CellFlags::BOX_POSITION) == 0) return column;
  if (column <= LAST_CONTACT_COLUMN) return column + 1;
  return std::clamp(column + 1 - output_operand_count(row), 0, OUTPUT_COLUMN + 3);
}

int replace_devices(GridSpan grid, ViewState& view, std::string_view old_text, std::string_view new_text,
                    bool keep_comment, ReplacePort& port) {
  const std::string old_word = search_device_word(old_text);
  const std::string new_word = search_device_word(new_text);
  if (old_word.empty() || new_word.empty()) return 0;
  uint32_t old_device = 0;
  uint32_t new_device = 0;
  if (parse_search_device(old_word, g_search_mode, old_device) != 0 ||
      parse_search_device(new_word, g_search_mode, new_device) != 0) {
    port.show_message(MSG_BAD_OPERAND, SEARCH_CAPTION_WARN);
    return 0;
  }
  view.entry_device = static_cast<int32_t>(old_device);
  view.replace_device = static_cast<int32_t>(new_device);
  if (!in_view(view, view.cursor_row, VISIBLE_SPAN_UP)) {
    view.cursor_row = view.top_row;
    view.cursor_col = 0;
  }
  g_replace_restarted = 0;
  SearchContext context;
  context.search_mode = SEARCH_DOWN;
  context.replace_dialog_open = true;
  int changed = 0;
  const size_t rows = grid.size();
  for (;;) {
    const SearchHit hit = find_device_down(grid, view, context);
    if (!hit.found()) {
      port.repaint_all();
      if (g_replace_restarted == 0) {
        if (!port.ask_restart()) break;
        view.top_row = 0;
        port.repaint_all();
        view.cursor_row = 0;
        view.cursor_col = 0;
        view.sel_col = 0;
        ++g_replace_restarted;
        continue;
      }
      g_replace_restarted = 0;
      port.show_message(MSG_NOTHING_TO_REPLACE, SEARCH_CAPTION_WARN);
      break;
    }
    port.show_hit(view, hit);
    view.sel_col = std::max(0, view.sel_col);
    view.cursor_row = hit.row;
    view.cursor_col = hit.column + hit.operand;
    const ReplaceAnswer answer = port.ask_replace();
    if (answer == ReplaceAnswer::CANCEL) break;
    if (static_cast<size_t>(hit.row) >= rows) break;
    LadderRow& row = grid[static_cast<size_t>(hit.row)];
    const int cell = hit.column + hit.operand;
    if (answer == ReplaceAnswer::YES) {
      const uint32_t old_word_in_cell = row.cell[cell].word[1];
      const uint32_t replacement = (new_device & ~FLAG_BITS) | (old_word_in_cell & FLAG_BITS);
      if (old_word_in_cell != replacement) {
        const int comment_column = comment_cell_column(row, cell);
        if (!keep_comment) port.assign_comment(hit.row, comment_column, replacement);
        row.cell[cell].word[1] = replacement;
        port.cell_changed(hit.row, comment_column);
        changed = 1;
      }
    } else {
      port.cell_passed(hit.row, cell);
    }
    // One cell on: the next contact column, the next operand of the output, else the next row.
    if (cell < OUTPUT_COLUMN || (hit.operand + 1 < hit.operands && cell < OUTPUT_COLUMN + 3)) {
      view.cursor_row = hit.row;
      view.cursor_col = cell + 1;
    } else {
      view.cursor_row = hit.row + 1;
      view.cursor_col = 0;
    }
  }
  return changed;
}

// ---- Cross-reference ---------------------------------------------------------------------------

namespace {

bool compared_operand_matches(uint32_t word, uint32_t device) {
  if (operand_device_index(device) < 16) return (word & COMPARED_MASK) == (device & COMPARED_MASK);
  return word == device;
}

struct HitWriter {
  std::span<int32_t> hits;
  size_t count = 0;
  int more = 0;
  bool add(int row, int column, int kind) {
    if (hits.size() < 2 || count + 1 >= hits.size()) {
      ++more;
      return false;
    }
    hits[count++] = static_cast<int32_t>(static_cast<uint32_t>(row) | static_cast<uint32_t>(column & 0xF) << 20 |
                                         static_cast<uint32_t>(kind) << 28);
    hits[count] = HIT_LIST_END;
    return true;
  }
};

// The device of a cross-reference text; false when it names none.
bool cross_reference_device(std::string_view text, std::string& name, uint32_t& device) {
  const std::vector<std::string> words = search_words(text, 3);
  if (words.empty() || words.size() > 2) return false;
  name = words[0];
  if (words.size() == 2) {
    const std::string& first = words[0];
    if (first == "SET" || first == "RST" || first == "PLS" || first == "PLF") {
      name = words[1];
    } else {
      const char c = static_cast<char>(std::toupper(static_cast<unsigned char>(first[0])));
      if (c != 'T' && c != 'C') return false;
    }
  }
  std::string_view word = name;
  if (word.size() > 1 && (word.back() == 'T' || word.back() == 't')) word.remove_suffix(1);
  if (word.size() < 2) return false;
  const DeviceIndex index = device_letter_to_index(word[0]);
  if (index < 0 || index >= DEVICE_COUNT || index == Device::ROW_LABEL) return false;
  uint32_t number = 0;
  if (!read_number(word.substr(1), hex_letter(index), index == Device::J, number)) return false;
  device = static_cast<uint32_t>(device_code_from_index(index)) << 24 | number;
  return true;
}

std::string use_line(const std::string& name, int line, const char* kind) {
  char buffer[64];
  std::snprintf(buffer, sizeof buffer, "%.30s-%d%s ", name.c_str(), line, kind);
  return buffer;
}

}  // namespace

namespace {

// The uses of `device` in grid order. With `lines` each use also gets its list line; without,
// an M output with the D marker on its first operand adds the D contacts (without 0x800) of
// the rows that follow it, up to the next such output or the END row. Returns the uses that
// did not fit into `hits`.
int collect_uses(ConstGridSpan grid, const std::string& name, uint32_t device, std::span<int32_t> hits,
                 std::vector<std::string>* lines) {
  HitWriter writer{hits};
  if (!hits.empty()) hits[0] = HIT_LIST_END;
  auto add = [&](int row, int column, int kind, int line, const char* suffix) {
    if (writer.add(row, column, kind) && lines != nullptr) lines->push_back(use_line(name, line, suffix));
  };
  const bool m_device = operand_device_index(device) == Device::M;
  bool following_d_bits = false;
  const size_t limit = std::min<size_t>(grid.size(), MAX_GRID_ROWS);
  int line = 0;
  for (size_t r = 0; r < limit; ++r) {
    const LadderRow& row = grid[r];
    if (is_end_mark_row(row) || row.cell[0].word[0] == END_MARK_CELL) break;
    if (is_comment_row(row)) continue;
    ++line;
    const int ri = static_cast<int>(r);
    for (int c = 0; c <= LAST_CONTACT_COLUMN; ++c) {
      const LadderCell& cell = row.cell[c];
      const uint32_t w = cell.word[0];
      if ((w & CellFlags::COMPARISON) != 0 && (w & CellFlags::PRESENT) != 0) {
        if ((w & CellFlags::CONSTANT_0) == 0 && compared_operand_matches(cell.word[1], device))
          add(ri, c, HIT_KIND_FIRST_COMPARED, line, "-C");
        if (c + 1 <= LAST_CONTACT_COLUMN && (w & CellFlags::CONSTANT_0 << 1) == 0 &&
            compared_operand_matches(row.cell[c + 1].word[1], device))
          add(ri, c, HIT_KIND_SECOND_COMPARED, line, "-C");
        c += 2;
        continue;
      }
      if ((w & CellFlags::OPERAND_SET) != 0 && same_device(cell.word[1], device))
        add(ri, c, 0, line, (w & 0x10) != 0 ? "-A" : "-B");
      else if (following_d_bits && (w & CellFlags::OPERAND_SET) != 0 && (cell.word[1] >> 28) == 0xD && (w & 0x800) == 0)
        add(ri, c, 0, line, "-A");
    }
    const uint32_t w11 = row.cell[OUTPUT_COLUMN].word[0];
    if (following_d_bits && ((row.cell[OUTPUT_COLUMN].word[1] & 0x800000) != 0 || (w11 & CellFlags::END) != 0))
      following_d_bits = false;
    if ((w11 & CellFlags::OPERAND_SET) != 0 && (w11 & CellFlags::CONTINUATION) == 0) {
      const int n = std::min(4, static_cast<int>(g_operand_line_counts[row_output_code(row)] & 0xF));
      for (int k = 0; k < n; ++k) {
        if ((w11 & CellFlags::CONSTANT_0 << k) != 0) continue;
        const uint32_t operand = row.cell[OUTPUT_COLUMN + k].word[1];
        if (!compared_operand_matches(operand, device)) continue;
        add(ri, OUTPUT_COLUMN, n - 1 - k, line, "-O");
        if (lines == nullptr && m_device && k == 0 && (operand & 0x800000) != 0) following_d_bits = true;
      }
    }
    if (is_end_row(row)) break;
  }
  return writer.more;
}

}  // namespace

bool cross_reference(ConstGridSpan grid, std::string_view text, std::span<int32_t> hits, CrossReference& out) {
  std::string name;
  uint32_t device = 0;
  if (!cross_reference_device(text, name, device)) return false;
  out = {};
  out.more = collect_uses(grid, name, device, hits, &out.lines);
  return true;
}

// list_device_uses is design/device_uses.cpp's (the Space key's highlight shares it).

// ---- Used devices ------------------------------------------------------------------------------

std::string used_device_text(DeviceIndex index, uint32_t number) {
  const char* letters = device_letter(index);
  const char letter = letters != nullptr && letters[0] != '\0' ? letters[0] : '?';
  char buffer[32];
  if (hex_letter(index)) std::snprintf(buffer, sizeof buffer, "%c%X", letter, number);
  else if (index == Device::J) std::snprintf(buffer, sizeof buffer, "%c%u%02u", letter, number >> 8 & 0x7F, number & 0xFF);
  else std::snprintf(buffer, sizeof buffer, "%c%u", letter, number);
  return buffer;
}

UsedDeviceList build_used_device_list(ConstGridSpan grid, bool one_column, DeviceIndex index) {
  UsedDeviceList list;
  std::map<uint32_t, std::string> devices;  // number -> comment
  auto comment_of = [](const LadderRow& row, int column) {
    std::string text;
    if ((row.cell[column].word[0] & CellFlags::HAS_COMMENT) == 0) return text;
    const char* slot = row.text[column];
    for (int i = 0; i < CELL_TEXT_SIZE && i < USED_DEVICE_COMMENT_SIZE - 1 && slot[i] != '\0'; ++i)
      text += slot[i] == '\n' || slot[i] == '\r' ? ' ' : slot[i];
    return text;
  };
  auto collect = [&](uint32_t operand, const LadderRow& row, int comment_column) {
    if (operand_device_index(operand) != index) return;
    if (index == Device::M && (operand & 0x3FFF) > 8000) return;
    const uint32_t number = operand & 0xFFFF;
    if (devices.count(number) != 0) return;
    if (devices.size() >= static_cast<size_t>(USED_DEVICE_LIMIT)) {
      list.truncated = true;
      return;
    }
    devices.emplace(number, comment_of(row, comment_column));
  };
  const size_t limit = std::min<size_t>(grid.size(), MAX_GRID_ROWS);
  for (size_t r = 0; r < limit; ++r) {
    const LadderRow& row = grid[r];
    if (is_end_mark_row(row) || row.cell[0].word[0] == END_MARK_CELL || is_end_row(row)) break;
    if (is_comment_row(row)) continue;
    for (int c = 0; c <= LAST_CONTACT_COLUMN; ++c) {
      const uint32_t w = row.cell[c].word[0];
      if ((w & CellFlags::OPERAND_SET) != 0 && (w & CellFlags::BOX_POSITION) == 0) collect(row.cell[c].word[1], row, c);
    }
    const uint32_t w11 = row.cell[OUTPUT_COLUMN].word[0];
    if ((w11 & CellFlags::OPERAND_SET) == 0 || (w11 & CellFlags::CONTINUATION) != 0) continue;
    const uint32_t code = row_output_code(row);
    const int n = std::min(4, static_cast<int>(g_instruction_attributes[code] & 0xF));
    const bool timer = code == Instr::TIM || code == Instr::CNT;
    for (int k = 0; k < std::max(n, timer ? 1 : 0); ++k) {
      if ((w11 & (CellFlags::CONSTANT_0 << k)) != 0) continue;
      collect(row.cell[OUTPUT_COLUMN + k].word[1], row, timer && k == 0 ? LAST_CONTACT_COLUMN : OUTPUT_COLUMN + k);
    }
  }
  std::vector<std::string> texts;
  for (const auto& [number, comment] : devices) texts.push_back(used_device_text(index, number));
  if (one_column) {
    size_t i = 0;
    for (const auto& [number, comment] : devices) {
      list.lines.push_back(comment.empty() ? texts[i] : texts[i] + " " + comment);
      list.entries.push_back(texts[i]);
      ++i;
    }
    return list;
  }
  for (size_t first = 0; first < texts.size(); first += 4) {
    const size_t last = std::min(texts.size(), first + 4);
    std::string line;
    for (size_t i = first; i < last; ++i) line += texts[i] + " ";
    if (last - first == 4) line.pop_back();
    list.lines.push_back(line);
    std::string entry = texts[first];
    if (index == Device::J && last - first < 4) entry += " ";
    entry.pop_back();
    if (entry.size() >= static_cast<size_t>(SEARCH_ENTRY_SIZE)) entry.resize(SEARCH_ENTRY_SIZE - 1);
    list.entries.push_back(entry);
  }
  return list;
}
