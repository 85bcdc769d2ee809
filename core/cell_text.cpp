#include "core/cell_text.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>

#include "core/instruction_tables.h"
#include "core/sjis.h"

TextSlotList g_initial_on_texts(1);
TextSlotList g_interlock_texts(1);

namespace {

// Appends formatted text to a caller buffer, never past its end; the buffer always
// holds a NUL-terminated text.
class TextBuilder {
 public:
  explicit TextBuilder(std::span<char> buffer) : buffer_(buffer) {
    if (!buffer_.empty()) buffer_[0] = '\0';
  }
  void append(std::string_view s) {
    if (buffer_.empty()) return;
    size_t room = buffer_.size() - 1 - length_;
    size_t n = sjis_cut_length(s, room);
    std::memcpy(buffer_.data() + length_, s.data(), n);
    length_ += n;
    buffer_[length_] = '\0';
  }
  void appendf(const char* format, ...) {
    char piece[CELL_TEXT_BUFFER_SIZE];
    va_list args;
    va_start(args, format);
    std::vsnprintf(piece, sizeof piece, format, args);
    va_end(args);
    append(piece);
  }
  size_t length() const { return length_; }

 private:
  std::span<char> buffer_;
  size_t length_ = 0;
};

const LadderCell* cursor_cell(ConstGridSpan grid, CellCursor cursor) {
  if (cursor.row < 0 || static_cast<size_t>(cursor.row) >= grid.size()) return nullptr;
  if (cursor.column < 0 || cursor.column >= ROW_CELLS) return nullptr;
  return &grid[static_cast<size_t>(cursor.row)].cell[cursor.column];
}

bool is_decimal_digit(char c) { return c >= '0' && c <= '9'; }

int digit_value(char c, int radix) {
  int v = -1;
  if (c >= '0' && c <= '9') v = c - '0';
  else if (c >= 'A' && c <= 'F') v = c - 'A' + 10;
  else if (c >= 'a' && c <= 'f') v = c - 'a' + 10;
  return v < radix ? v : -1;
}

// A non-empty run of digits of `radix` whose value is at most `limit`.
bool parse_number(std::string_view s, int radix, uint32_t limit, uint32_t& out) {
  if (s.empty()) return false;
  uint64_t value = 0;
  for (char c : s) {
    int d = digit_value(c, radix);
    if (d < 0) return false;
    value = value * static_cast<uint64_t>(radix) + static_cast<uint64_t>(d);
    if (value > limit) return false;
  }
  out = static_cast<uint32_t>(value);
  return true;
}

uint32_t cell_limit(DeviceIndex device) {
  uint32_t max = static_cast<uint32_t>(device_max_number(device));
  return max < CELL_NUMBER_LIMIT ? max : CELL_NUMBER_LIMIT;
}

// A J number typed as decimal digits: the last two are the step, the one before them
// the group (J105 is group 1, step 5). Both are kept as binary numbers.
bool parse_j_number(std::string_view digits, int& group, int& step) {
  if (digits.empty() || digits.size() > 3) return false;
  for (char c : digits)
    if (!is_decimal_digit(c)) return false;
  size_t step_digits = digits.size() < 2 ? digits.size() : 2;
  step = 0;
  for (size_t i = digits.size() - step_digits; i < digits.size(); ++i) step = step * 10 + (digits[i] - '0');
  group = digits.size() == 3 ? digits[0] - '0' : 0;
  return group <= J_GROUP_MAX && step <= J_STEP_MAX;
}

}  // namespace

int parse_cell_operand(ConstGridSpan grid, CellCursor cursor, std::string_view text, DeviceOperand& out,
                       bool consecutive_numbering) {
  const LadderCell* cell = cursor_cell(grid, cursor);
  if (cell == nullptr) return CELL_PARSE_BAD_OPERAND;
  const uint32_t c = (cell->word[0] >> 4) & 0x1F;

  if (text.size() == 1) return CELL_PARSE_BAD_OPERAND;
  if (!text.empty() && is_decimal_digit(text[0])) return CELL_PARSE_NOT_DEVICE;
  const DeviceIndex device = text.empty() ? -1 : device_letter_to_index(text[0]);
  if (device < 0) return CELL_PARSE_BAD_OPERAND;
  if (consecutive_numbering && (device == Device::ROW_LABEL || device == Device::U)) return CELL_PARSE_BAD_OPERAND;
  if (c == 15) return CELL_PARSE_NOT_DEVICE;
  if (c == 23 && device != Device::Y) return CELL_PARSE_MISMATCH;
  if ((c & 0xF) == 7 && (device == Device::T || device == Device::C)) return CELL_PARSE_MISMATCH;
  if (device == Device::H) return CELL_PARSE_MISMATCH;

  const std::string_view rest = text.substr(1);
  const bool in_output_column = cursor.column == OUTPUT_COLUMN;
  const size_t dash = rest.find('-');
  uint32_t flags = 0;
  uint32_t number = 0;

  switch (device) {
    case Device::X:
    case Device::Y:
    case Device::R:
    case Device::S:
    case Device::B:
      if (device == Device::X && in_output_column) return CELL_PARSE_BAD_OPERAND;
      if (dash != std::string_view::npos) return CELL_PARSE_BAD_OPERAND;
      if (!parse_number(rest, 16, cell_limit(device), number)) return CELL_PARSE_BAD_OPERAND;
      break;

    case Device::M:
    case Device::L:
    case Device::J:
    case Device::D:
      if (dash != std::string_view::npos) {
        // A range of J steps: J, the group digit, two step digits, "-" and the last step.
        if (device != Device::J || in_output_column) return CELL_PARSE_BAD_OPERAND;
        int group = 0;
        int first = 0;
        uint32_t last = 0;
        if (!parse_j_number(rest.substr(0, dash), group, first)) return CELL_PARSE_BAD_OPERAND;
        if (!parse_number(rest.substr(dash + 1), 10, J_STEP_MAX, last)) return CELL_PARSE_BAD_OPERAND;
        const int span = static_cast<int>(last) - first;
        if (span <= 0 || span >= J_CELL_SPAN_LIMIT) return CELL_PARSE_BAD_OPERAND;
        number = static_cast<uint32_t>(span) << OperandBits::J_SPAN_SHIFT | make_j_number(group, first) |
                 OperandBits::J_RANGE;
        break;
      }
      if (device == Device::J) {
        int group = 0;
        int step = 0;
        if (!parse_j_number(rest, group, step)) return CELL_PARSE_BAD_OPERAND;
        number = make_j_number(group, step);
        break;
      }
      {
        std::string_view digits = rest;
        if (device == Device::M && c == 7 && !digits.empty() && (digits.back() == 'T' || digits.back() == 't')) {
          flags |= OperandBits::SUFFIX_T;
          digits.remove_suffix(1);
        }
        if (device == Device::D) {
          if (!parse_number(digits, 10, 7, number)) return CELL_PARSE_BAD_OPERAND;
          flags |= OperandBits::D_BIT;
        } else if (!parse_number(digits, 10, cell_limit(device), number)) {
          return CELL_PARSE_BAD_OPERAND;
        }
      }
      break;

    case Device::T:
    case Device::C:
    case Device::N:
    case Device::K:
      if (!parse_number(rest, 10, cell_limit(device), number)) return CELL_PARSE_BAD_OPERAND;
      break;

    default:
      return CELL_PARSE_BAD_OPERAND;
  }

  out = make_device_operand(device, 0) + flags + number;
  return CELL_PARSE_OK;
}

namespace {

// Operand k of an element (comparison contact or output box) with word v and kind byte b.
void format_element_operand(TextBuilder& out, uint32_t w0, int k, uint32_t v, uint32_t b, InstructionCode code) {
  const uint32_t constant_bit = CellFlags::CONSTANT_0 << k;
  const uint32_t hex_bit = CellFlags::HEX_0 << k;
  if (w0 & constant_bit) {
    // A K constant is stored digit by digit as nibbles, so both kinds show as hex.
    out.appendf((w0 & hex_bit) ? "H%X" : "K%X", v);
    return;
  }
  char letter[4];
  const DeviceIndex device = device_letter_of_operand(v, letter);
  const unsigned digits = (v >> 24) & 0xF;
  const bool bit_kind = (b & OperandKind::BIT_DEVICE) != 0;
  switch (device) {
    case Device::X:
    case Device::Y:
    case Device::S:
      if (bit_kind) {
        if (k == 0 && (code == Instr::STEP || code == Instr::PULSE))
          out.appendf("%s%d", letter, static_cast<int>(v & 0xFFFF));
        else
          out.appendf("%s%X", letter, v & 0xFFFFF);
      } else if ((code == Instr::MIVK && k == 0) || (code == Instr::MOVK && k == 1)) {
        out.appendf("B%X%s%X", digits, letter, v & 0xFFFF);
      } else {
        out.appendf("K%u%s%X", digits, letter, v & 0xFFFF);
      }
      return;
    case Device::M:
    case Device::L:
      if (!bit_kind) {
        out.appendf("K%u%s%d", digits, letter, static_cast<int>(v & 0xFFFFF));
        return;
      }
      break;
    case Device::B:
      // A B digit group keeps its digit count in the text, as X, Y and M groups do.
      if (!bit_kind && digits != 0) {
        out.appendf("K%u%s%X", digits, letter, v & 0xFFFF);
        return;
      }
      out.appendf("%s%X", letter, v & 0xFFFFF);
      return;
    case Device::V:
    case Device::R:
    case Device::J:
      out.appendf("%s%X", letter, v & 0xFFFFF);
      return;
    default:
      break;
  }
  out.appendf("%s%d", letter, static_cast<int>(v & 0xFFFFF));
}

// The text of a contact or coil cell (OUT coils included).
void format_contact_text(TextBuilder& out, const LadderCell& cell, int column) {
  const uint32_t w0 = cell.word[0];
  if (!(w0 & CellFlags::OPERAND_SET) || (w0 & CellFlags::CONTINUATION)) return;
  const uint32_t v = cell.word[1];
  char letter[4];
  const DeviceIndex device = device_letter_of_operand(v, letter);
  if (device == Device::D) std::strcpy(letter, "d");
  const char* suffix = (v & OperandBits::SUFFIX_T) ? "t" : "";
  const int low14 = static_cast<int>(v & 0x3FFF);
  switch (device) {
    case Device::X:
    case Device::Y:
    case Device::S:
    case Device::B:
    case Device::R:
      // The whole 16-bit number: B runs up to 0x1FFF.
      out.appendf("%s%X%s", letter, v & OperandBits::NUMBER_MASK, suffix);
      return;
    case Device::J:
      if (column == OUTPUT_COLUMN)
        out.appendf("J%01d%02d%s", static_cast<int>((v >> 8) & 0xFF), static_cast<int>(v & 0xFF), suffix);
      else if (v & OperandBits::J_RANGE)
        out.appendf("J%01d%02d-%02d", static_cast<int>((v >> 8) & 0x7F), static_cast<int>(v & 0xFF),
                    static_cast<int>(((v >> 16) & 0xFF) + (v & 0xFF)));
      else
        out.appendf("J%01d%02d%s", static_cast<int>((v >> 8) & 0x7F), static_cast<int>(v & 0xFF), suffix);
      return;
    case Device::M:
    case Device::L:
      if (v & OperandBits::J_RANGE)
        out.appendf("%s%d-%d", letter, low14, static_cast<int>(((v >> 16) & 0xFF) + (v & 0x3FFF)));
      else
        out.appendf("%s%d%s", letter, low14, suffix);
      return;
    default:
      out.appendf("%s%d", letter, low14);
      return;
  }
}

bool is_out_coil(const LadderRow& row, int column) {
  return column == OUTPUT_COLUMN && (row.cell[12].word[0] & 0x1FF) == static_cast<uint32_t>(Instr::OUT);
}

bool is_element_cell(const LadderRow& row, int column) {
  const uint32_t w0 = row.cell[column].word[0];
  return (w0 & (CellFlags::COMPARISON | CellFlags::OUTPUT)) != 0 && !is_out_coil(row, column);
}

bool is_d_named(InstructionCode code) { return code >= Instr::DAND && code <= Instr::DXNR; }

}  // namespace

void format_cell_text(ConstGridSpan grid, CellCursor cursor, std::span<char> text, std::span<char> mark,
                      bool last_operand_only, bool search_or_replace_mode) {
  TextBuilder out(text);
  TextBuilder mark_out(mark);
  const LadderCell* cell = cursor_cell(grid, cursor);
  if (cell == nullptr) return;
  const LadderRow& row = grid[static_cast<size_t>(cursor.row)];
  const uint32_t w0 = cell->word[0];

  if ((w0 & CellFlags::U_MARK) && cursor.column != LABEL_COLUMN) {
    if (cell->word[1] & 0x100000)
      mark_out.appendf("U%x", (cell->word[1] >> 16) & 0xF);
    else
      mark_out.append("U");
  }

  if (!is_element_cell(row, cursor.column)) {
    format_contact_text(out, *cell, cursor.column);
    return;
  }

  InstructionCode code = 0;
  int operands = 0;
  uint32_t kinds = 0;
  char name_part[32];
  TextBuilder name(name_part);
  if (w0 & CellFlags::COMPARISON) {
    code = static_cast<InstructionCode>((w0 >> 4) & 0xFF);
    name.append(g_instruction_names[static_cast<size_t>(code)]);
    name.append(" ");
    operands = 2;
    kinds = g_operand_kinds[static_cast<size_t>(code)];
  } else {
    const uint32_t box = row.cell[12].word[0];
    code = static_cast<InstructionCode>(box & 0x1FF);
    operands = g_operand_line_counts[static_cast<size_t>(code)] & 0xF;
    kinds = g_operand_kinds[static_cast<size_t>(code)];
    if (code == Instr::TIM || code == Instr::CNT) {
      if (!(w0 & CellFlags::OPERAND_SET)) name.append(code == Instr::TIM ? "T" : "C");
      if (search_or_replace_mode && operands > 1) operands = 1;
    } else {
      if ((box & RecordFlags::D_FORM) && !is_d_named(code)) name.append("D");
      name.append(g_instruction_names[static_cast<size_t>(code)]);
      name.append((box & RecordFlags::P_FORM) ? "P " : " ");
    }
  }

  if (!(w0 & CellFlags::OPERAND_SET)) {
    if (!last_operand_only) out.append(name_part);
    return;
  }
  if (!last_operand_only) out.append(name_part);
  char operand_text[CELL_TEXT_BUFFER_SIZE] = "";
  for (int k = 0; k < operands && cursor.column + k < ROW_CELLS; ++k) {
    TextBuilder piece(operand_text);
    format_element_operand(piece, w0, k, row.cell[cursor.column + k].word[1], kinds & 0xFF, code);
    if (!last_operand_only) {
      out.append(operand_text);
      out.append(" ");
    }
    kinds >>= OperandKind::BYTE_SHIFT;
  }
  if (last_operand_only) out.append(operand_text);
}

void get_cell_instruction_name(ConstGridSpan grid, CellCursor cursor, std::span<char> name) {
  TextBuilder out(name);
  const LadderCell* cell = cursor_cell(grid, cursor);
  if (cell == nullptr) return;
  const LadderRow& row = grid[static_cast<size_t>(cursor.row)];
  if (!is_element_cell(row, cursor.column)) return;
  const uint32_t w0 = cell->word[0];
  if (w0 & CellFlags::COMPARISON) {
    out.append(g_instruction_names[(w0 >> 4) & 0xFF]);
    return;
  }
  const InstructionCode code = static_cast<InstructionCode>(row.cell[12].word[0] & 0x1FF);
  if (code == Instr::TIM)
    out.append("T");
  else if (code == Instr::CNT)
    out.append("C");
  else
    out.append(g_instruction_names[static_cast<size_t>(code)]);
}

void format_special_row_devices(ConstGridSpan grid) {
  reset_cell_text_state();
  // The special rows follow the END row. Counting rows is a pure query here: the grid
  // is never changed.
  const int first = count_program_rows(grid);
  if (first < 0 || first >= MAX_GRID_ROWS) return;
  const size_t limit = grid.size() < static_cast<size_t>(MAX_GRID_ROWS) ? grid.size() : MAX_GRID_ROWS;

  TextSlotList on_texts;
  TextSlotList interlock_texts;
  for (size_t r = static_cast<size_t>(first); r < limit; ++r) {
    const LadderRow& row = grid[r];
    if (row.cell[0].word[0] == END_MARK_CELL) break;
    const uint32_t kind = row.cell[12].word[0] & 0xFFF;
    if (kind == SpecialRow::INITIAL_ON) {
      for (int col = 0; col <= OUTPUT_COLUMN && (row.cell[col].word[0] & 9) == 8; ++col) {
        TextSlot slot{};
        char letter[4];
        device_letter_of_operand(row.cell[col].word[1], letter);
        TextBuilder(slot).appendf("%s%03X", letter, row.cell[col].word[1] & 0x7FFF);
        on_texts.push_back(slot);
      }
    } else if (kind == SpecialRow::INTERLOCK) {
      TextSlot slot{};
      TextBuilder group(slot);
      for (int col = 0; col <= OUTPUT_COLUMN && (row.cell[col].word[0] & 9) == 8; ++col) {
        char letter[4];
        device_letter_of_operand(row.cell[col].word[1], letter);
        group.appendf("%s%03X ", letter, row.cell[col].word[1] & 0x7FFF);
      }
      interlock_texts.push_back(slot);
    }
  }
  on_texts.push_back(TextSlot{});
  interlock_texts.push_back(TextSlot{});
  g_initial_on_texts = std::move(on_texts);
  g_interlock_texts = std::move(interlock_texts);
}

int split_text_lines(std::string_view text, std::span<TextSlot> slots) {
  int count = 0;
  size_t start = 0;
  for (;;) {
    size_t end = text.find('\n', start);
    std::string_view piece = text.substr(start, end == std::string_view::npos ? std::string_view::npos : end - start);
    if (static_cast<size_t>(count) >= slots.size()) break;
    copy_text_bounded(slots[static_cast<size_t>(count)], piece);
    ++count;
    if (end == std::string_view::npos) break;
    start = end + 1;
  }
  return count;
}

int newlines_to_blanks(std::span<char> text) {
  size_t n = 0;
  for (; n < text.size() && text[n] != '\0'; ++n)
    if (text[n] == '\n') text[n] = ' ';
  return static_cast<int>(n);
}

void reset_cell_text_state() {
  g_initial_on_texts.assign(1, TextSlot{});
  g_interlock_texts.assign(1, TextSlot{});
}
