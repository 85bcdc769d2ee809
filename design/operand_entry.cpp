#include "design/operand_entry.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstring>

#include "core/device_tables.h"
#include "core/instruction_tables.h"
#include "core/notice.h"
#include "core/grid_invariants.h"
#include "design/line_drawing.h"
#include "design/part_placement.h"
#include "design/row_edits.h"

namespace {

constexpr uint32_t OPERAND_FLAG_CLEAR = ~static_cast<uint32_t>(0x800000);
// The highest K constant: its decimal digits read as hexadecimal must stay at or below this.
constexpr uint64_t K_CONSTANT_LIMIT = 214783647;
constexpr uint64_t H_CONSTANT_LIMIT = 0x7FFFFFFF;
constexpr int MAX_NUMBER_DIGITS = 8;
constexpr int MAX_WORDS = 5;
constexpr int P_LABEL_MAX = 255;

LadderRow* row_at(GridSpan grid, int row) {
  return row >= 0 && row < grid_row_capacity(grid) ? &grid[static_cast<size_t>(row)] : nullptr;
}

std::vector<std::string> split_words(std::string_view text, int limit) {
  std::vector<std::string> words;
  size_t i = 0;
  while (i < text.size() && static_cast<int>(words.size()) < limit) {
    while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) ++i;
    size_t j = i;
    while (j < text.size() && text[j] != ' ' && text[j] != '\t') ++j;
    if (j > i) words.emplace_back(text.substr(i, j - i));
    i = j;
  }
  return words;
}

bool equals_ignoring_case(std::string_view a, std::string_view b) {
  return a.size() == b.size() &&
         std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) { return std::toupper(static_cast<unsigned char>(x)) == std::toupper(static_cast<unsigned char>(y)); });
}
bool is_one_of(std::string_view word, std::initializer_list<const char*> names) {
  for (const char* name : names)
    if (equals_ignoring_case(word, name)) return true;
  return false;
}

// Reads digits in `radix` (10 or 16); false for an empty text, a wrong digit or more than
// eight digits (so that nothing can overflow).
bool read_number(std::string_view digits, int radix, uint64_t& value) {
  if (digits.empty() || digits.size() > MAX_NUMBER_DIGITS) return false;
  value = 0;
  for (char ch : digits) {
    const int c = std::toupper(static_cast<unsigned char>(ch));
    int d = -1;
    if (c >= '0' && c <= '9') d = c - '0';
    else if (radix == 16 && c >= 'A' && c <= 'F') d = c - 'A' + 10;
    if (d < 0) return false;
    value = value * static_cast<uint64_t>(radix) + static_cast<uint64_t>(d);
  }
  return true;
}
bool is_hex_digit(char c) { return std::isxdigit(static_cast<unsigned char>(c)) != 0; }

void notice(const char* text, const EntryOptions& options, const char* caption = ENTRY_CAPTION,
            unsigned style = NoticeStyle::OK) {
  show_notice(text, caption, style, options.owner);
}

uint32_t device_code_word(DeviceIndex index) {
  return static_cast<uint32_t>(device_code_from_index(index)) << OperandBits::CODE_SHIFT;
}

// The canonical spelling of a stored contact or coil device.
std::string device_text(uint32_t device) {
  char letter[8] = {};
  const DeviceIndex index = device_letter_of_operand(device, letter);
  const bool hex = index == Device::X || index == Device::Y || index == Device::S || index == Device::B ||
                   index == Device::R || index == Device::J;
  char text[32];
  std::snprintf(text, sizeof text, hex ? "%s%X" : "%s%u", letter, device & 0xFFFFF);
  return text;
}

void assign_comment(GridSpan grid, const ViewState& view, int column, uint32_t device, const EntryOptions& options) {
  if (!options.keep_comment && options.assign_comment != nullptr)
    options.assign_comment(grid, view.cursor_row, column, device);
}

// ---- Operands of boxes and comparisons ---------------------------------------------------------

struct OperandContext {
  int code;       // the instruction (comparisons with their D code)
  int k;          // 0-based operand number
  int count;      // operands of the instruction
  uint32_t kind;  // its kind byte
};

// A bit range (MOVK and MIVK): "B", one hex digit of count, a device letter, a hex start bit.
bool read_bit_range(std::string_view text, DeviceIndex want, bool start_on_word, uint32_t& out) {
  if (text.size() < 4 || std::toupper(static_cast<unsigned char>(text[0])) != 'B' || !is_hex_digit(text[1])) return false;
  if (device_letter_to_index(text[2]) != want) return false;
  uint64_t count = 0, start = 0;
  if (!read_number(text.substr(1, 1), 16, count) || !read_number(text.substr(3), 16, start)) return false;
  if (count == 0 || (start & 0xF) + count > 16 || start > static_cast<uint64_t>(device_max_number(want))) return false;
  if (start_on_word && start % 16 != 0) return false;
  out = static_cast<uint32_t>(count) << 24 | static_cast<uint32_t>(want) << 28 | static_cast<uint32_t>(start);
  return true;
}
bool looks_like_bit_range(std::string_view text) {
  return text.size() >= 4 && std::toupper(static_cast<unsigned char>(text[0])) == 'B' && is_hex_digit(text[1]) &&
         std::isalpha(static_cast<unsigned char>(text[2])) && device_letter_to_index(text[2]) >= 0;
}

enum class OperandClass { DEVICE, DIGIT_GROUP, K_CONSTANT, H_CONSTANT, BIT_RANGE };

struct Operand {
  uint32_t word = 0;
  OperandClass kind = OperandClass::DEVICE;
  DeviceIndex device = -1;  // the device letter (of the group or bit range too)
};

// Reads one operand; false when it is bad.
bool read_operand(std::string_view text, const OperandContext& c, Operand& out) {
  if (text.empty()) return false;
  const DeviceIndex index = device_letter_to_index(text[0]);
  if (index < 0) return false;
  const int code = c.code;
  const bool first = c.k == 0;
  // Bit ranges of MOVK and MIVK.
  if (code == Instr::MOVK && c.k == 1) {
    if (!read_bit_range(text, Device::Y, false, out.word)) return false;
    out.kind = OperandClass::BIT_RANGE;
    out.device = Device::Y;
    return true;
  }
  if (code == Instr::MIVK && first) {
    if (!read_bit_range(text, Device::X, true, out.word)) return false;
    out.kind = OperandClass::BIT_RANGE;
    out.device = Device::X;
    return true;
  }
  if ((code == Instr::MOVK || code == Instr::MIVK) && looks_like_bit_range(text) && index == Device::B) {
    // Any other operand of these two that reads as a bit range is one, and is refused.
    const std::string_view rest = text.substr(3);
    uint64_t ignored = 0;
    if (read_number(rest, 16, ignored)) return false;
  }
  // General rules of the first operand.
  if (index == Device::N && !(first && (code == Instr::MC || code == Instr::MCR))) return false;
  if (index == Device::P && !(first && (code == Instr::JMP || code == Instr::CJ || code == Instr::CALL ||
                                        code == Instr::SCALL)))
    return false;
  if (index == Device::U && !(first && code == Instr::BTONJ)) return false;
  if (index == Device::J) return false;

  if (index == Device::K) {
    if (text.size() < 2 || !is_hex_digit(text[1])) return false;
    if (text.size() > 2 && !std::isdigit(static_cast<unsigned char>(text[2]))) {
      // A digit group: K, the digit count, a device letter, a start number.
      const DeviceIndex group = device_letter_to_index(text[2]);
      if (group != Device::X && group != Device::Y && group != Device::M && group != Device::L && group != Device::B)
        return false;
      if (group == Device::X && (c.kind & OperandKind::X_DEVICE) == 0) return false;
      if ((c.kind & OperandKind::DIGIT_GROUP) == 0) return false;
      uint64_t digits = 0, start = 0;
      if (!read_number(text.substr(1, 1), 16, digits) || digits == 0 || digits > DIGIT_GROUP_MAX_DIGITS) return false;
      const int radix = group == Device::X || group == Device::Y ? 16 : 10;
      if (!read_number(text.substr(3), radix, start) || start > static_cast<uint64_t>(device_max_number(group)))
        return false;
      out.word = make_digit_group_operand(group, static_cast<int>(digits), static_cast<uint32_t>(start));
      out.kind = OperandClass::DIGIT_GROUP;
      out.device = group;
      return true;
    }
    if ((c.kind & OperandKind::K_CONSTANT) == 0) return false;
    const std::string_view digits = text.substr(1);
    uint64_t decimal = 0;
    if (!read_number(digits, 10, decimal)) return false;  // decimal digits only
    uint64_t value = 0;
    const bool as_decimal = first && (code == Instr::STEP || code == Instr::PULSE);
    read_number(digits, as_decimal ? 10 : 16, value);
    if (value > K_CONSTANT_LIMIT) return false;
    out.word = static_cast<uint32_t>(value);
    out.kind = OperandClass::K_CONSTANT;
    out.device = Device::K;
    return true;
  }
  if (index == Device::H) {
    if ((c.kind & OperandKind::H_CONSTANT) == 0) return false;
    uint64_t value = 0;
    if (!read_number(text.substr(1), 16, value) || value > H_CONSTANT_LIMIT) return false;
    out.word = static_cast<uint32_t>(value);
    out.kind = OperandClass::H_CONSTANT;
    out.device = Device::H;
    return true;
  }
  // A device: the kind bits it needs, its radix and its highest number.
  std::string_view digits = text.substr(1);
  uint32_t suffix = 0;
  if (code == Instr::SET && first && !digits.empty() && (digits.back() == 'T' || digits.back() == 't')) {
    digits.remove_suffix(1);
    suffix = OperandBits::SUFFIX_T;
  }
  switch (index) {
    case Device::X:
      if ((c.kind & OperandKind::X_DEVICE) == 0 || (c.kind & OperandKind::BIT_DEVICE) == 0) return false;
      break;
    case Device::Y: case Device::M: case Device::S: case Device::L: case Device::B:
      if ((c.kind & OperandKind::BIT_DEVICE) == 0) return false;
      break;
    case Device::Q: case Device::W: case Device::D: case Device::V:
      if ((c.kind & OperandKind::WORD_DEVICE) == 0) return false;
      break;
    default:
      break;
  }
  const int radix = index == Device::X || index == Device::Y || index == Device::R || index == Device::V ? 16 : 10;
  uint64_t number = 0;
  if (!read_number(digits, radix, number)) return false;
  if (index == Device::V && number != 0x0 && number != 0x1 && number != 0xB && number != 0xF) return false;
  const int32_t highest = device_max_number(index);
  if (highest < 0 || number > static_cast<uint64_t>(highest)) return false;
  out.word = device_code_word(index) | static_cast<uint32_t>(number) | suffix;
  out.kind = OperandClass::DEVICE;
  out.device = index;
  return true;
}

// The per-instruction rules over a read operand.
bool operand_fits(const Operand& o, const OperandContext& c) {
  const bool device = o.kind == OperandClass::DEVICE;
  const bool constant_or_d = (device && o.device == Device::D) || o.kind == OperandClass::K_CONSTANT ||
                             o.kind == OperandClass::H_CONSTANT;
  switch (c.code) {
    case Instr::TIM:
      if (c.k == 0 && !(device && o.device == Device::T)) return false;
      if (c.k == 1 && !constant_or_d) return false;
      break;
    case Instr::CNT:
      if (c.k == 0 && !(device && o.device == Device::C)) return false;
      if (c.k == 1 && !constant_or_d) return false;
      break;
    case Instr::STEP:
      if (c.k == 0 && !(device && o.device == Device::S)) return false;
      if (c.k == 2 && !((device && o.device == Device::D) || o.kind == OperandClass::K_CONSTANT)) return false;
      break;
    case Instr::OUTD:
      if (c.k == 0 && !(device && o.device == Device::Y)) return false;
      break;
    case Instr::MOVD:
      if (c.k == 1 && !(o.kind == OperandClass::DIGIT_GROUP && o.device == Device::Y)) return false;
      break;
    case Instr::SET: case Instr::PLS: case Instr::PLF: case Instr::SETS: case Instr::RSTS:
      if (c.k == 0 && !(device && (o.device == Device::Y || o.device == Device::M || o.device == Device::S ||
                                   o.device == Device::L || o.device == Device::B || o.device == Device::R)))
        return false;
      break;
    case Instr::MC: case Instr::MCR:
      if (c.k == 0 && !(device && o.device == Device::N)) return false;
      break;
    case Instr::SCALL: case Instr::JMP:
      if (c.k == 0 && !(device && o.device == Device::P)) return false;
      break;
    default:
      break;
  }
  if (c.code != Instr::SERO && c.count > 1 && c.k == c.count - 1 && o.kind == OperandClass::DIGIT_GROUP &&
      o.device == Device::X)
    return false;
  return true;
}

// ---- Placement helpers ---------------------------------------------------------------------------

int instruction_attributes(int code) {
  return code >= 0 && code < INSTRUCTION_TABLE_SIZE ? g_instruction_attributes[static_cast<size_t>(code)] : 0;
}
int operand_count(int code) {
  return code >= 0 && code < INSTRUCTION_TABLE_SIZE ? g_operand_line_counts[static_cast<size_t>(code)] & 0xF : 0;
}

// END typed mid-program: the row after the cursor row becomes the end mark. The special
// rows after the old END row move up behind the new one, so that the initial-on devices,
// interlocks and initial values are kept.
// `old_end` is the END row before the entry began (the cursor row itself when END is typed
// again on it).
void cut_program_at(GridSpan grid, int cursor_row, int old_end) {
  const int old_mark = find_end_mark(grid);
  if (old_mark < 0) return;
  std::vector<LadderRow> specials;
  if (old_end >= 0 && old_end >= cursor_row)
    for (int r = old_end + 1; r < old_mark; ++r) specials.push_back(grid[static_cast<size_t>(r)]);
  for (int r = cursor_row + 1; r <= old_mark; ++r) {
    LadderRow& row = grid[static_cast<size_t>(r)];
    for (auto& cell : row.cell) cell.word[0] = cell.word[1] = 0;
    std::memset(row.row_text(), 0, ROW_TEXT_SIZE);
  }
  int r = cursor_row + 1;
  for (const LadderRow& special : specials) move_row_contents(grid[static_cast<size_t>(r++)], special);
  LadderRow& mark = grid[static_cast<size_t>(r)];
  for (int c = 0; c < ROW_CELLS; ++c) {
    mark.cell[c].word[0] = END_MARK_CELL;
    std::snprintf(mark.text[c], CELL_TEXT_SIZE, "F0F0F0F0");
  }
}

// Reads a TIM or CNT word ("T5", "c12", "T5R"): the code, or 0 when the word is no such word,
// -1 when it starts like one and is bad.
int timer_word(std::string_view word, uint32_t& number) {
  if (word.size() < 2) return 0;
  const char first = static_cast<char>(std::toupper(static_cast<unsigned char>(word[0])));
  if ((first != 'T' && first != 'C') || !std::isdigit(static_cast<unsigned char>(word[1]))) return 0;
  if (word.size() > 2 && std::strchr("RrWw", word.back()) != nullptr) word.remove_suffix(1);
  uint64_t value = 0;
  const DeviceIndex index = first == 'T' ? Device::T : Device::C;
  if (!read_number(word.substr(1), 10, value) || value > static_cast<uint64_t>(device_max_number(index))) return -1;
  number = static_cast<uint32_t>(value);
  return first == 'T' ? Instr::TIM : Instr::CNT;
}

int place_timer(GridSpan grid, ViewState& view, int code, uint32_t number, const EntryOptions& options,
                EntryChanges* changes) {
  // The check's 1 (the cursor is not on column 10 or 11) refuses as well: the timer's cells
  // would be written in columns 10-11 while its operands went to the cursor's cell.
  if (check_output_placement(grid, view, code) != 0) return -1;
  const int row = view.cursor_row;
  const int end_row = find_end_row(grid);
  // Every other output of the same kind and number is named first; the user may go on.
  for (int r = 0; r < end_row; ++r) {
    if (r == row) continue;
    const LadderRow& other = grid[static_cast<size_t>(r)];
    if (static_cast<int>(row_output_code(other)) != code) continue;
    if ((other.cell[OUTPUT_COLUMN].word[0] & CellFlags::OPERAND_SET) == 0) continue;
    if ((other.cell[OUTPUT_COLUMN].word[1] & OperandBits::NUMBER_MASK) != number) continue;
    char text[256];
    std::snprintf(text, sizeof text, DUPLICATE_TIMER_FORMAT, r + 1);
    if (show_notice(text, ENTRY_CAPTION, NoticeStyle::OK_CANCEL, options.owner) != NoticeAnswer::OK) return -1;
  }
  LadderRow& cells = grid[static_cast<size_t>(row)];
  view.sel_width = 1;
  uint32_t& w11 = cells.cell[OUTPUT_COLUMN].word[0];
  if ((w11 & (CellFlags::TIMER_OUTPUT | 0x400)) != 0) replace_box_by_lines(grid, view);
  const uint32_t device = device_code_word(code == Instr::TIM ? Device::T : Device::C);
  const bool same_output = static_cast<int>(row_output_code(cells)) == code && (w11 & CellFlags::OPERAND_SET) != 0;
  if (same_output && options.change_same_numbers) renumber_operand(grid, view, device | number, changes);
  if (!same_output) {
    w11 = (w11 & (CellFlags::HAS_COMMENT | CellFlags::LINK_UP)) | (code == Instr::TIM ? 0x14088u : 0x14098u);
    cells.cell[OUTPUT_COLUMN].word[1] = device;
  }
  uint32_t& w10 = cells.cell[10].word[0];
  w10 = (w10 & (CellFlags::HAS_COMMENT | CellFlags::LINK_UP)) | CellWord::TIMER_COIL_CELL;
  cells.cell[12].word[0] = static_cast<uint32_t>(code);
  view.box_start_col = 10;
  return 0;
}

}  // namespace

// ---- Contacts, coils and labels ------------------------------------------------------------------

int find_duplicate_output(ConstGridSpan grid, const ViewState& view, uint32_t device) {
  const int end_row = find_end_row(grid);
  for (int r = 0; r < end_row; ++r) {
    if (r == view.cursor_row) continue;
    const LadderRow& row = grid[static_cast<size_t>(r)];
    const uint32_t code = row_output_code(row);
    const uint32_t w11 = row.cell[OUTPUT_COLUMN].word[0];
    if (code == static_cast<uint32_t>(Instr::OUT) && (w11 & CellFlags::OPERAND_SET) != 0 &&
        (w11 & CellFlags::CONSTANT_0) == 0 && row.cell[OUTPUT_COLUMN].word[1] == device)
      return r + 1;
    if (code == static_cast<uint32_t>(Instr::MC) && row.cell[12].word[1] == device) return r + 1;
  }
  return 0;
}

void renumber_operand(GridSpan grid, const ViewState& view, uint32_t new_device, EntryChanges* changes) {
  const LadderRow* cursor = row_at(grid, view.cursor_row);
  if (cursor == nullptr || view.cursor_col < 0 || view.cursor_col >= ROW_CELLS) return;
  const uint32_t old = cursor->cell[view.cursor_col].word[1] & OPERAND_FLAG_CLEAR;
  const int end_row = find_end_row(grid);
  for (int r = 0; r < end_row; ++r) {
    LadderRow& row = grid[static_cast<size_t>(r)];
    const uint32_t code = row_output_code(row);
    const bool output_too = code == static_cast<uint32_t>(Instr::OUT) ||
                            (code >= static_cast<uint32_t>(Instr::SET) && code <= static_cast<uint32_t>(Instr::RST));
    for (int c = 0; c <= (output_too ? OUTPUT_COLUMN : OUTPUT_COLUMN - 1); ++c) {
      LadderCell& cell = row.cell[c];
      if ((cell.word[0] & CellFlags::OPERAND_SET) == 0 || (cell.word[0] & CellFlags::CONSTANT_0) != 0) continue;
      if ((cell.word[1] & OPERAND_FLAG_CLEAR) != old) continue;
      cell.word[1] = (cell.word[1] & ~OPERAND_FLAG_CLEAR) | (new_device & OPERAND_FLAG_CLEAR);
      if (changes != nullptr) changes->cells.push_back(CellCursor{r, c});
    }
  }
}

int apply_cell_operand(GridSpan grid, ViewState& view, std::string& text, const EntryOptions& options,
                       EntryChanges* changes) {
  LadderRow* row = row_at(grid, view.cursor_row);
  const int col = view.cursor_col;
  if (row == nullptr || col < 0 || col >= ROW_CELLS) return CELL_PARSE_BAD_OPERAND;
  const std::vector<std::string> words = split_words(text, 1);
  if (words.empty()) {
    if (col == LABEL_COLUMN) {
      row->cell[LABEL_COLUMN].word[0] = 0;
    } else {
      row->cell[col].word[0] &= ~CellFlags::OPERAND_SET;
      row->cell[col].word[1] = 0;
    }
    return 0;
  }
  if (col == LABEL_COLUMN) {
    // The whole text is the label: P and its decimal number, nothing else.
    uint64_t number = 0;
    if (text.size() < 2 || std::toupper(static_cast<unsigned char>(text[0])) != 'P' ||
        !read_number(std::string_view(text).substr(1), 10, number) || number > P_LABEL_MAX)
      return CELL_PARSE_BAD_OPERAND;
    row->cell[LABEL_COLUMN].word[0] |= CellFlags::OPERAND_SET;
    row->cell[LABEL_COLUMN].word[1] = device_code_word(Device::P) + static_cast<uint32_t>(number);
    text[0] = 'P';
    return 0;
  }
  DeviceOperand device = 0;
  const int parsed = parse_cell_operand(grid, CellCursor{view.cursor_row, col}, words[0], device,
                                        options.number_mode == 2);
  if (parsed != CELL_PARSE_OK) return parsed;
  view.entry_device = static_cast<int32_t>(device);
  const uint32_t old_word0 = row->cell[col].word[0];
  if (col == OUTPUT_COLUMN) {
    if (options.change_same_numbers && options.number_mode >= 0 && options.number_mode <= 2) {
      if (row_output_code(*row) == static_cast<uint32_t>(Instr::OUT)) {
        const int duplicate = find_duplicate_output(grid, view, device);
        if (duplicate != 0) return duplicate;
      }
      if ((old_word0 & CellFlags::OPERAND_SET) != 0) renumber_operand(grid, view, device, changes);
    }
    assign_comment(grid, view, col, device, options);
    for (int c = 13; c <= 14; ++c) row->cell[c].word[0] = row->cell[c].word[1] = 0;
    row->cell[12].word[1] = 0;
  } else {
    assign_comment(grid, view, col, device, options);
  }
  row->cell[col].word[0] |= CellFlags::OPERAND_SET;
  row->cell[col].word[1] = device;
  text = device_text(device);
  return 0;
}

int store_cell_operand(GridSpan grid, ViewState& view, std::string& text, const EntryOptions& options,
                       EntryChanges* changes) {
  const LadderRow* row = row_at(grid, view.cursor_row);
  const int col = view.cursor_col;
  if (view.sel_col == NO_SELECTION || row == nullptr || col < 0 || col >= ROW_CELLS) return -1;
  const uint32_t w = row->cell[col].word[0];
  if (col <= 14 && (w & (CellFlags::LINE | CellFlags::PRESENT)) == 0) return -1;
  if (col == 0 && (part_code_of(w) & 0xF) == PartCode::CONTINUATION_IN) return -1;
  if (col == OUTPUT_COLUMN && (part_code_of(w) & 0xF) == PartCode::CONTINUATION_OUT) return -1;
  const int result = apply_cell_operand(grid, view, text, options, changes);
  if (result == 0) return 0;
  if (result == CELL_PARSE_BAD_OPERAND) {
    notice(OPERAND_ERROR_MESSAGE, options);
  } else if (result == CELL_PARSE_MISMATCH) {
    notice(SHAPE_MISMATCH_MESSAGE, options);
  } else if (result > 0) {
    char message[128];
    std::snprintf(message, sizeof message, DUPLICATE_OUTPUT_FORMAT, result);
    notice(message, options);
  }
  return -1;
}

// ---- Instructions ---------------------------------------------------------------------------------

int check_comparison_placement(ConstGridSpan grid, int row, int column) {
  const auto w = [&](int r, int c) { return cell_word0(grid, r, c); };
  // A comparison takes three cells of columns 0-10; over another comparison it may always
  // go (never over a box's first cell, which has the same position bits).
  if (column < 0 || column > 8) return 1;
  if ((w(row, column) & (CellFlags::BOX_POSITION | CellFlags::BOX)) == CellFlags::BOX_POSITION) return 0;
  for (int c = column + 1; c <= column + 2; ++c) {
    if ((w(row, c) & CellFlags::LINK_UP) != 0 || (w(row + 1, c) & CellFlags::LINK_UP) != 0) return 1;
    if ((w(row, c) & (CellFlags::TIMER_COIL | CellFlags::BOX_POSITION)) != 0) return 1;
  }
  const uint32_t position = w(row, column) & CellFlags::BOX_POSITION;
  if (position == 0x800 || position == 0x400) return 1;
  return 0;
}

int place_instruction(GridSpan grid, ViewState& view, std::string_view text, int& code, int& form_flags,
                      const EntryOptions& options, EntryChanges* changes) {
  const std::vector<std::string> words = split_words(text, MAX_WORDS);
  LadderRow* row = row_at(grid, view.cursor_row);
  if (words.empty() || row == nullptr) return -1;
  const int result_words = words.size() == 1 ? 0 : 1;
  std::string word = words[0];
  // The END row keeps its END: an instruction written over it would leave the grid without
  // an END row, and every later click and the compile would find no program.
  const bool on_end_row = is_end_row(*row);
  const auto refuse_on_end_row = [&] {
    notice(END_ROW_ERASE_MESSAGE, options, END_ROW_ERASE_CAPTION);
    return -1;
  };

  uint32_t timer_number = 0;
  const int timer = timer_word(word, timer_number);
  if (timer == -1) {
    notice(INSTRUCTION_ERROR_MESSAGE, options);
    return -1;
  }
  if (timer > 0) {
    if (on_end_row) return refuse_on_end_row();
    if (place_timer(grid, view, timer, timer_number, options, changes) != 0) return -1;
    code = timer;
    form_flags = 0;
    return result_words;
  }

  int flags = 0;
  if (word.size() > 1 && (word.back() == 'P' || word.back() == 'p') && !is_one_of(word, {"SWAP", "STEP", "CMP", "LOOP"})) {
    flags |= RecordFlags::P_FORM;
    word.pop_back();
  }
  const std::string named = word;  // the name as typed, without its P
  if (word.size() > 1 && (word[0] == 'D' || word[0] == 'd') && !is_one_of(word, {"DEC", "DECB", "DI", "DACO", "DECO"})) {
    flags |= RecordFlags::D_FORM;
    if (!is_one_of(word, {"DAND", "DOR", "DXOR", "DXNR"})) word.erase(0, 1);
  }
  const int found = find_instruction_code(word);
  if (found < 0) {
    notice(INSTRUCTION_ERROR_MESSAGE, options);
    return -1;
  }
  if (found == 0) return -1;
  const int attributes = instruction_attributes(found);
  const bool exempt = is_one_of(named, {"DAND", "DOR", "DXOR", "DXNR", "DSFR", "DSFL"});
  if (!exempt && (((flags & RecordFlags::D_FORM) != 0 && (attributes & InstrAttr::D_FORM) == 0) ||
                  ((flags & RecordFlags::P_FORM) != 0 && (attributes & InstrAttr::P_FORM) == 0))) {
    notice(INSTRUCTION_ERROR_MESSAGE, options);
    return -1;
  }
  int placed = found;
  if (on_end_row && found != Instr::END) return refuse_on_end_row();
  // END, FEND and IEND make the row one the compiler takes alone: its own links up would take
  // it into the rung above, and a row below that links up into a FEND or IEND row would be
  // left joined to nothing (END cuts the rows after it).
  const bool section_end = found == Instr::FEND || found == Instr::IEND;
  if ((found == Instr::END || section_end) && !on_end_row &&
      (has_links_up(*row) || (section_end && static_cast<size_t>(view.cursor_row) + 1 < grid.size() &&
                              has_links_up(grid[static_cast<size_t>(view.cursor_row) + 1]))))
    return -1;

  if (found < 192) {
    const int n = attributes & InstrAttr::OPERAND_CELLS_MASK;
    const int lead = OUTPUT_COLUMN - n;
    const int start = view.cursor_col;
    // The lead-in cells up to the box may hold only lines, links of their first cell and cells
    // of an applied instruction: all is checked before anything is written.
    for (int k = start; k < lead; ++k) {
      const uint32_t w = row->cell[k].word[0];
      if ((w & (CellFlags::LINE | CellFlags::PRESENT)) == CellFlags::PRESENT && (w & CellFlags::BOX) == 0) return -1;
      if (k > start && (w & CellFlags::LINK_UP) != 0) return -1;
    }
    ViewState probe = view;
    probe.cursor_col = OUTPUT_COLUMN;
    if (check_output_placement(grid, probe, found) == -1) return -1;
    if (found == Instr::END && show_notice(END_QUESTION, options.file_path, NoticeStyle::OK_CANCEL, options.owner) !=
                                   NoticeAnswer::OK)
      return -1;
    view.cursor_col = OUTPUT_COLUMN;
    const int old_end = find_end_row(grid);
    uint32_t& w11 = row->cell[OUTPUT_COLUMN].word[0];
    // The cells of an older, wider output that the new box does not cover become lines.
    view.sel_width = n;
    if ((w11 & (CellFlags::TIMER_OUTPUT | 0x400)) != 0) replace_box_by_lines(grid, view);
    view.sel_width = n;
    int first_changed = -1;
    for (int k = start; k < lead; ++k) {
      uint32_t& w = row->cell[k].word[0];
      w = (w & CellFlags::LINK_UP) | CellWord::LINE_ONLY;
      if (first_changed < 0) first_changed = k;
    }
    if (start < lead) view.sel_width = lead - start;
    row->cell[lead].word[0] &= CellFlags::LINK_UP;
    if (n == 0) {
      w11 = (w11 & CellFlags::LINK_UP) | 0x44C08;
      if (found == Instr::END) {
        cut_program_at(grid, view.cursor_row, old_end);  // before this row says END
        w11 |= 0x42000;
        if (changes != nullptr) changes->rows_changed = true;
      }
      if (found == Instr::END || found == Instr::FEND || found == Instr::IEND || found == Instr::EI ||
          found == Instr::DI || found == Instr::COM) {
        w11 |= CellFlags::BOX;
        for (int c = 0; c < OUTPUT_COLUMN; ++c)
          row->cell[c].word[0] = (row->cell[c].word[0] & CellFlags::LINK_UP) | CellWord::LINE_ONLY;
        view.box_start_col = 0;
        view.sel_width = OUTPUT_COLUMN;
      } else {
        view.box_start_col = view.cursor_col - view.sel_width;
      }
    } else {
      const bool keep_output = static_cast<int>(row_output_code(*row)) == found && (w11 & CellFlags::OPERAND_SET) != 0;
      row->cell[lead].word[0] |= CellWord::BOX_FIRST_CELL;
      for (int c = lead + 1; c < OUTPUT_COLUMN; ++c) {
        uint32_t& w = row->cell[c].word[0];
        w = (w & CellFlags::HAS_COMMENT) | CellWord::BOX_MIDDLE_CELL;
      }
      if (!keep_output) w11 = (w11 & CellFlags::HAS_COMMENT) | 0x44408;
      if (found == Instr::ASM || found == Instr::TABL) {
        row->cell[lead].word[0] |= CellWord::TEXT_ROW_MARK;
        w11 |= CellWord::TEXT_ROW_MARK;
      }
      view.box_start_col = first_changed >= 0 ? first_changed : lead;
    }
    row->cell[12].word[0] = static_cast<uint32_t>(found | flags);
  } else if (found == 224 || found == 225) {
    const bool out_mark = found == 224;  // "-->>" in column 11
    if (out_mark ? view.cursor_col != OUTPUT_COLUMN : view.cursor_col != 0) return -1;
    if (out_mark && check_output_placement(grid, view, Instr::OUT) != 0) return -1;
    // A box or timer that ended in column 11 leaves lines behind, not cells of no element.
    if (out_mark && (row->cell[OUTPUT_COLUMN].word[0] & (CellFlags::TIMER_OUTPUT | 0x400)) != 0) {
      view.sel_width = 0;
      replace_box_by_lines(grid, view);
    }
    uint32_t& w = row->cell[view.cursor_col].word[0];
    w = (w & CellFlags::LINK_UP) | static_cast<uint32_t>((found & 1) + 12) << 4 | 0xC;
    if (out_mark) {
      w |= CellFlags::OUTPUT;
      row->cell[12].word[0] = static_cast<uint32_t>(Instr::OUT);
    }
    row->cell[view.cursor_col].word[1] = 0x90000000;
    view.box_start_col = view.cursor_col;
    view.sel_width = 0;
  } else {
    const int col = view.cursor_col;
    if (check_comparison_placement(grid, view.cursor_row, col) != 0) return -1;
    if ((flags & RecordFlags::D_FORM) != 0) placed += 8;
    uint32_t& w = row->cell[col].word[0];
    w = ((w & 0xFFFF0002) | static_cast<uint32_t>(placed) << 4 | 0x1008) & 0x7FFF;
    row->cell[col + 1].word[0] = CellWord::COMPARISON_MIDDLE;
    row->cell[col + 2].word[0] = CellWord::COMPARISON_LAST;
    view.sel_width = 2;
    view.box_start_col = col;
  }
  code = placed;
  form_flags = flags;
  return result_words;
}

int encode_cell_operands(GridSpan grid, ViewState& view, std::string_view text, int code, int form_flags,
                         const EntryOptions& options, EntryChanges* changes) {
  if (view.sel_col == NO_SELECTION) return 0;
  LadderRow* row = row_at(grid, view.cursor_row);
  const int anchor = view.cursor_col;
  if (row == nullptr || anchor < 0 || anchor > OUTPUT_COLUMN) return 1;
  const bool timer = code == Instr::TIM || code == Instr::CNT;
  std::vector<std::string> words = split_words(text, 64);
  if (!timer && !words.empty()) words.erase(words.begin());
  const int count = operand_count(code);
  if (static_cast<int>(words.size()) < count) return TOO_FEW_OPERANDS;
  if (static_cast<int>(words.size()) > count) return TOO_MANY_OPERANDS;
  const bool comparison = code >= 192;
  // Everything is read and checked before a word of the grid changes.
  std::vector<Operand> operands;
  for (int k = 0; k < count; ++k) {
    const OperandContext c{code, k, count,
                           (g_operand_kinds[static_cast<size_t>(code) & 0x1FF] >> (OperandKind::BYTE_SHIFT * k)) & 0xFF};
    Operand o;
    if (!read_operand(words[static_cast<size_t>(k)], c, o) || !operand_fits(o, c)) return k + 1;
    operands.push_back(o);
  }
  if (anchor + count - 1 >= ROW_CELLS) return count;
  uint32_t& w = row->cell[anchor].word[0];
  const bool had_operand = (w & CellFlags::OPERAND_SET) != 0;
  w &= ~CellFlags::HEX_MASK;
  for (int k = 0; k < count; ++k) {
    const Operand& o = operands[static_cast<size_t>(k)];
    const uint32_t constant = CellFlags::CONSTANT_0 << k;
    const bool is_constant = o.kind == OperandClass::K_CONSTANT || o.kind == OperandClass::H_CONSTANT;
    if (o.kind == OperandClass::DEVICE || o.kind == OperandClass::DIGIT_GROUP) {
      const int shown = comparison ? anchor + k + 1 : OUTPUT_COLUMN - (count - k) + 1;
      if ((code == Instr::SET || code == Instr::RST || code == Instr::PLS || code == Instr::PLF) && count == 1 &&
          had_operand && options.change_same_numbers)
        renumber_operand(grid, view, o.word, changes);
      view.entry_device = static_cast<int32_t>(o.word);
      assign_comment(grid, view, std::clamp(shown, 0, OUTPUT_COLUMN), o.word, options);
    }
    row->cell[anchor + k].word[1] = o.word;
    w = is_constant ? w | constant : w & ~constant;
    if (o.kind == OperandClass::H_CONSTANT) w |= CellFlags::HEX_0 << k;
  }
  w |= CellFlags::OPERAND_SET;
  if (count > 0) {
    if (count == 1 && anchor + 1 < ROW_CELLS) row->cell[anchor + 1].word[1] = 0;
    if (!comparison) {
      for (int c = std::max(anchor + 2, anchor + count); c <= 14; ++c) row->cell[c].word[0] = row->cell[c].word[1] = 0;
    } else if (anchor + count < ROW_CELLS) {
      row->cell[anchor + count].word[1] = 0;
    }
  }
  (void)form_flags;
  return 0;
}

// ---- The dialog's store ----------------------------------------------------------------------------

EditEffects enter_cell_text(GridSpan grid, ViewState& view, std::string& text, const EntryOptions& options,
                            int client_width) {
  EditEffects e;
  const LadderRow* row = row_at(grid, view.cursor_row);
  if (row == nullptr || view.cursor_col < 0 || view.cursor_col >= ROW_CELLS) return e;
  // A click past the END row moves the cursor without taking it there: nothing is stored in
  // the special rows or the end mark.
  if (!is_program_row(grid, view.cursor_row)) return e;
  const uint32_t w = row->cell[view.cursor_col].word[0];
  if ((w & (CellFlags::LINE | CellFlags::PRESENT)) == (CellFlags::LINE | CellFlags::PRESENT) &&
      (w & CellFlags::U_MARK) == 0)
    return e;
  const bool instruction = view.click_dx >= 0 && (w & (CellFlags::OUTPUT | CellFlags::COMPARISON)) != 0 &&
                           !(view.cursor_col == OUTPUT_COLUMN && row_output_code(*row) == static_cast<uint32_t>(Instr::OUT));
  // The rows an entry may touch are kept, so that a refused entry leaves the grid as it was.
  const int mark = find_end_mark(grid);
  const int kept_rows = mark < 0 ? grid_row_capacity(grid) : mark + 1;
  const std::vector<LadderRow> before(grid.begin(), grid.begin() + kept_rows);
  const ViewState view_before = view;
  const auto restore = [&] {
    for (int r = 0; r < kept_rows; ++r) move_row_contents(grid[static_cast<size_t>(r)], before[static_cast<size_t>(r)]);
    const int32_t entry_device = view.entry_device;
    view = view_before;
    view.entry_device = entry_device;
  };
  EntryChanges changes;
  int first_col = view.cursor_col;
  int width = view.sel_width;
  if (instruction) {
    int code = 0, flags = 0;
    if (place_instruction(grid, view, text, code, flags, options, &changes) < 0) {
      restore();
      return e;
    }
    const int result = encode_cell_operands(grid, view, text, code, flags, options, &changes);
    if (result != 0) {
      char message[128];
      if (result == TOO_FEW_OPERANDS || result == TOO_MANY_OPERANDS)
        std::snprintf(message, sizeof message, "%s", OPERAND_COUNT_MESSAGE);
      else
        std::snprintf(message, sizeof message, BAD_OPERAND_FORMAT, result);
      notice(message, options);
      restore();
      return e;
    }
    first_col = std::min(view.box_start_col, view.cursor_col);
    width = OUTPUT_COLUMN - first_col;
    if (first_col > OUTPUT_COLUMN - 1 || view.cursor_col != OUTPUT_COLUMN) width = std::max(view.sel_width, 2);
  } else {
    if (store_cell_operand(grid, view, text, options, &changes) != 0) {
      restore();
      return e;
    }
    first_col = view.cursor_col;
    width = view.cursor_col == OUTPUT_COLUMN ? 3 : 0;
  }
  e.changed = true;
  if (changes.rows_changed || !changes.cells.empty()) {
    e.invalidate_all = true;
    e.sync = SyncViewNotice{0, 0, SYNC_WHOLE_VIEW, 0};
    return e;
  }
  // Every cell the entry changed is repainted, the cells an older, wider output left as
  // lines included.
  int changed_first = 0, changed_last = 0;
  if (changed_columns(before[static_cast<size_t>(view.cursor_row)], *row, changed_first, changed_last) &&
      first_col != LABEL_COLUMN && changed_first < first_col && changed_first != LABEL_COLUMN) {
    width += first_col - changed_first;
    first_col = changed_first;
  }
  const int last_col = std::min(first_col + width, 14);
  e.invalidate.push_back(cells_rect(view, client_width, view.cursor_row, view.cursor_row,
                                    first_col == LABEL_COLUMN ? LABEL_COLUMN : first_col, last_col));
  e.sync = SyncViewNotice{view.cursor_row, first_col, view.sel_rows, std::min(width, 15)};
  return e;
}
