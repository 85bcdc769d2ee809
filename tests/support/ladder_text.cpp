#include "support/ladder_text.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstring>
#include <ostream>
#include <stdexcept>

#include "core/device_tables.h"
#include "core/instruction_tables.h"

namespace {

constexpr uint32_t LINE_CELL = CellWord::LINE_ONLY;
constexpr uint32_t CONTACT_BASE = CellWord::CONTACT_BASE;
constexpr uint32_t COIL_BASE = CellFlags::OUTPUT | CellFlags::PRESENT;  // a coil before its operand is set
constexpr uint32_t BOX_LAST_UNSET = CellWord::BOX_LAST_CELL & ~CellFlags::OPERAND_SET;
constexpr uint32_t TEXT_BOX_BITS = CellWord::TEXT_ROW_MARK;
constexpr uint32_t LABEL_CELL = CellFlags::U_MARK | CellFlags::PRESENT;
constexpr uint32_t U_NUMBER_BITS = 0x1F0000;  // the U number (bits 16-19) and its set bit (20)

[[noreturn]] void fail(std::string_view what, std::string_view token) {
  throw std::invalid_argument(std::string(what) + ": \"" + std::string(token) + "\"");
}

std::string upper(std::string_view s) {
  std::string out(s);
  for (char& ch : out) ch = static_cast<char>(std::toupper(static_cast<unsigned char>(ch)));
  return out;
}

bool is_hex_device(DeviceIndex index) {
  return index == Device::X || index == Device::Y || index == Device::S || index == Device::B || index == Device::R;
}

uint32_t parse_number(std::string_view digits, int base, std::string_view token) {
  if (digits.empty() || digits.size() > 8) fail("bad number", token);
  uint32_t value = 0;
  for (char ch : digits) {
    int d;
    if (ch >= '0' && ch <= '9') d = ch - '0';
    else if (base == 16 && std::isxdigit(static_cast<unsigned char>(ch))) d = std::toupper(static_cast<unsigned char>(ch)) - 'A' + 10;
    else fail("bad number", token);
    value = value * static_cast<uint32_t>(base) + static_cast<uint32_t>(d);
  }
  return value;
}

// An operand of an element: a device, a digit group, or a K/H constant.
struct Operand {
  uint32_t word = 0;
  bool constant = false;
  bool hex = false;
};

Operand parse_operand(std::string_view text) {
  Operand op;
  if (text.size() >= 2 && (text[0] == 'K' || text[0] == 'k') && std::isdigit(static_cast<unsigned char>(text[1]))) {
    size_t digits = 1;
    while (digits < text.size() && std::isdigit(static_cast<unsigned char>(text[digits]))) ++digits;
    if (digits == text.size()) {
      // A K constant holds its decimal digits as hexadecimal nibbles (K100 is 0x100).
      op.word = parse_number(text.substr(1), 16, text);
      op.constant = true;
      return op;
    }
    // A digit group: K, the digit count, a bit device.
    const int count = static_cast<int>(parse_number(text.substr(1, 1), 10, text));
    const uint32_t device = device_operand(text.substr(2));
    return Operand{make_digit_group_operand(operand_device_index(device), count, operand_number(device)), false, false};
  }
  if (text.size() >= 2 && (text[0] == 'H' || text[0] == 'h')) {
    op.word = parse_number(text.substr(1), 16, text);
    op.constant = op.hex = true;
    return op;
  }
  op.word = device_operand(text);
  return op;
}

void set_constant_bits(uint32_t& word0, int k, const Operand& op) {
  if (op.constant) word0 |= CellFlags::CONSTANT_0 << k;
  if (op.hex) word0 |= CellFlags::HEX_0 << k;
}

// Splits a row into tokens at blanks; (...), [...] and {...} stay whole.
std::vector<std::string> tokenize(std::string_view text) {
  std::vector<std::string> tokens;
  std::string current;
  int depth = 0;
  for (char ch : text) {
    if (ch == '(' || ch == '[' || ch == '{') ++depth;
    if (ch == ')' || ch == ']' || ch == '}') --depth;
    if (ch == ' ' && depth == 0) {
      if (!current.empty()) tokens.push_back(current);
      current.clear();
      continue;
    }
    current += ch;
  }
  if (depth != 0) fail("unbalanced brackets", text);
  if (!current.empty()) tokens.push_back(current);
  return tokens;
}

// Prefixes of a contact-column token: ^ (link up), @n (U mark with its number), @ (unset).
struct Prefixes {
  uint32_t word0 = 0;
  uint32_t word1 = 0;
};
std::string_view take_prefixes(std::string_view token, Prefixes& p) {
  for (;;) {
    if (!token.empty() && token[0] == '^') {
      p.word0 |= CellFlags::LINK_UP;
      token.remove_prefix(1);
    } else if (!token.empty() && token[0] == '@') {
      p.word0 |= CellFlags::U_MARK;
      token.remove_prefix(1);
      size_t digits = 0;
      while (digits < token.size() && std::isdigit(static_cast<unsigned char>(token[digits]))) ++digits;
      if (digits) {
        p.word1 |= parse_number(token.substr(0, digits), 10, token) << 16 | 0x100000;
        token.remove_prefix(digits);
      }
    } else {
      return token;
    }
  }
}

// Writes the comparison {op a b} into cells col .. col + 2.
void put_comparison(LadderRow& row, int col, std::string_view token, const Prefixes& p) {
  const auto inner = tokenize(token.substr(1, token.size() - 2));
  if (inner.empty()) fail("empty comparison", token);
  const InstructionCode code = find_instruction_code(upper(inner[0]));
  if (!is_comparison_code(code)) fail("unknown comparison", token);
  if (col + 2 > 10) fail("comparison does not fit", token);
  uint32_t word0 = static_cast<uint32_t>(code) << 4 | CellWord::COMPARISON_BASE | p.word0;
  if (inner.size() < 3) word0 &= ~CellFlags::OPERAND_SET;
  for (size_t k = 1; k < inner.size() && k <= 2; ++k) {
    const Operand op = parse_operand(inner[k]);
    set_constant_bits(word0, static_cast<int>(k - 1), op);
    row.cell[col + static_cast<int>(k) - 1].word[1] = op.word;
  }
  row.cell[col].word[0] = word0;
  row.cell[col].word[1] |= p.word1;
  row.cell[col + 1].word[0] = CellWord::COMPARISON_MIDDLE;
  row.cell[col + 2].word[0] = CellWord::COMPARISON_LAST;
}

// A contact-column token other than a comparison.
void put_cell(LadderRow& row, int col, std::string_view token) {
  Prefixes p;
  std::string_view body = take_prefixes(token, p);
  LadderCell& cell = row.cell[col];
  cell.word[1] = p.word1;
  if (body.empty() || body == ".") {
    cell.word[0] = p.word0;
    return;
  }
  if (body == "-") {
    cell.word[0] = LINE_CELL | p.word0;
    return;
  }
  if (body[0] == '#') {
    // A raw cell: #word0 or #word0:word1, in hex.
    const size_t colon = body.find(':');
    cell.word[0] = parse_number(body.substr(1, colon == std::string_view::npos ? std::string_view::npos : colon - 1), 16, token);
    if (colon != std::string_view::npos) cell.word[1] = parse_number(body.substr(colon + 1), 16, token);
    return;
  }
  if (body[0] == '>') {
    cell.word[0] = PartCode::CONTINUATION_IN << 4 | CellFlags::CONTINUATION | CONTACT_BASE | p.word0;
    cell.word[1] = parse_number(body.substr(1), 10, token) | p.word1;
    return;
  }
  bool b_contact = false;
  if (body[0] == '/') {
    b_contact = true;
    body.remove_prefix(1);
  }
  uint32_t part = b_contact ? PartCode::RELAY_B : PartCode::RELAY_A;
  const size_t hash = body.find('#');
  if (hash != std::string_view::npos) {
    part = parse_number(body.substr(hash + 1), 10, token);
    body = body.substr(0, hash);
  }
  uint32_t word0 = CONTACT_BASE | p.word0;
  uint32_t operand = 0;
  if (body == "?") {
    word0 &= ~CellFlags::OPERAND_SET;
  } else {
    operand = device_operand(body);
    if (operand_device_index(operand) == Device::D) {
      // A contact on one bit of a data register.
      if (hash == std::string_view::npos) part = b_contact ? PartCode::D_CONTACT_B : PartCode::D_CONTACT_A;
      operand |= OperandBits::D_BIT;
    }
  }
  cell.word[0] = word0 | part << 4;
  cell.word[1] = operand | p.word1;
}

struct OutputShape {
  int first_col = OUTPUT_COLUMN;  // the first column the element occupies
};

// The output token: the element ending in column 11 (and its operands in cells 12-14).
OutputShape put_output(LadderRow& row, std::string_view token, uint32_t link) {
  OutputShape shape;
  const auto inner = tokenize(token.substr(1, token.size() - 2));
  LadderCell* cells = row.cell;
  if (token[0] == '(') {
    const std::string first = inner.empty() ? "?" : inner[0];
    const DeviceIndex device = first == "?" ? -1 : device_letter_to_index(first[0]);
    if (device == Device::T || device == Device::C) {
      // TIM or CNT: the coil cell in column 10, the output in column 11.
      const bool set = first.size() > 1 && first[1] != '?' && inner.size() >= 2;
      uint32_t word0 = COIL_BASE | CellFlags::TIMER_OUTPUT | (device == Device::T ? PartCode::TIM : PartCode::CNT) << 4;
      if (set) {
        word0 |= CellFlags::OPERAND_SET;
        cells[11].word[1] = device_operand(first);
        const Operand value = parse_operand(inner[1]);
        set_constant_bits(word0, 1, value);
        cells[12].word[1] = value.word;
      }
      cells[10].word[0] = CellWord::TIMER_COIL_CELL | link;
      cells[11].word[0] = word0;
      cells[12].word[0] = static_cast<uint32_t>(device == Device::T ? Instr::TIM : Instr::CNT);
      shape.first_col = 10;
      return shape;
    }
    if (inner.size() > 1) fail("a coil has one operand", token);
    cells[12].word[0] = static_cast<uint32_t>(Instr::OUT);
    if (first == "?") {
      cells[11].word[0] = COIL_BASE | PartCode::OUT << 4 | link;
    } else if (first[0] == '>') {
      cells[11].word[0] = COIL_BASE | CellFlags::OPERAND_SET | CellFlags::CONTINUATION | PartCode::CONTINUATION_OUT << 4 | link;
      cells[11].word[1] = parse_number(std::string_view(first).substr(1), 10, token);
    } else {
      cells[11].word[0] = COIL_BASE | CellFlags::OPERAND_SET | PartCode::OUT << 4 | link;
      cells[11].word[1] = device_operand(first);
    }
    return shape;
  }
  // A box.
  if (inner.empty()) fail("box without a name", token);
  // The name alone, or with the D prefix and/or the P suffix of the D and P forms.
  const std::string name = upper(inner[0]);
  uint32_t forms = 0;
  InstructionCode code = -1;
  for (uint32_t variant = 0; variant < 4 && code < 0; ++variant) {
    std::string base = name;
    if (variant & 1) {
      if (base.size() < 2 || base[0] != 'D') continue;
      base.erase(0, 1);
    }
    if (variant & 2) {
      if (base.size() < 2 || base.back() != 'P') continue;
      base.pop_back();
    }
    code = find_instruction_code(base);
    forms = (variant & 1 ? RecordFlags::D_FORM : 0) | (variant & 2 ? RecordFlags::P_FORM : 0);
  }
  if (code < 0 || code == Instr::END || is_comparison_code(code)) fail("unknown box", token);
  const int n = box_operand_cells(code);
  if (inner.size() > 5) fail("too many operands", token);
  uint32_t last = n == 0 ? CellWord::BOX_SINGLE_CELL : (inner.size() > 1 ? CellWord::BOX_LAST_CELL : BOX_LAST_UNSET);
  for (size_t k = 1; k < inner.size(); ++k) {
    const Operand op = parse_operand(inner[k]);
    set_constant_bits(last, static_cast<int>(k - 1), op);
    cells[10 + k].word[1] = op.word;
  }
  shape.first_col = OUTPUT_COLUMN - n;
  if (n > 0) {
    cells[shape.first_col].word[0] = CellWord::BOX_FIRST_CELL | link;
    for (int c = shape.first_col + 1; c < OUTPUT_COLUMN; ++c) cells[c].word[0] = CellWord::BOX_MIDDLE_CELL;
    cells[11].word[0] = last;
  } else {
    cells[11].word[0] = last | link;
  }
  if (n == InstrAttr::TEXT_BOX) {
    cells[shape.first_col].word[0] |= TEXT_BOX_BITS;
    cells[11].word[0] |= TEXT_BOX_BITS;
  }
  cells[12].word[0] = static_cast<uint32_t>(code) | forms;
  return shape;
}

void make_comment_row(LadderRow& row, std::string_view text) {
  row.cell[0].word[0] = CellWord::COMMENT_ROW_FIRST;
  for (int c = 1; c <= 10; ++c) row.cell[c].word[0] = CellWord::COMMENT_ROW_LINE;
  row.cell[11].word[0] = CellWord::COMMENT_ROW_OUTPUT;
  row.cell[12].word[0] = static_cast<uint32_t>(Instr::COMMENT);
  const size_t length = std::min(text.size(), static_cast<size_t>(ROW_TEXT_SIZE - 1));
  std::memcpy(row.row_text(), text.data(), length);
}

bool is_end_text(std::string_view text) { return text == "END"; }

}  // namespace

uint32_t device_operand(std::string_view text) {
  if (text.empty()) fail("empty operand", text);
  const DeviceIndex index = device_letter_to_index(text[0]);
  if (index < 0) fail("unknown device", text);
  const std::string_view digits = text.substr(1);
  uint32_t number;
  if (index == Device::J) {
    if (digits.size() != 3) fail("J needs a group digit and two step digits", text);
    number = make_j_number(static_cast<int>(parse_number(digits.substr(0, 1), 10, text)),
                           static_cast<int>(parse_number(digits.substr(1), 10, text)));
  } else {
    number = parse_number(digits, is_hex_device(index) ? 16 : 10, text);
  }
  return make_device_operand(index, number);
}

std::string operand_text(uint32_t operand) {
  char text[32];
  const DeviceIndex index = operand_device_index(operand);
  if (is_digit_group(operand)) {
    std::snprintf(text, sizeof text, "K%d%s%s", digit_group_count(operand), device_letter(index),
                  operand_text(make_device_operand(index, operand_number(operand))).substr(1).c_str());
    return text;
  }
  const uint32_t number = operand & 0xFFFFF;
  if (index == Device::J) std::snprintf(text, sizeof text, "J%d%02d", j_group(operand), j_step(operand));
  else if (is_hex_device(index)) std::snprintf(text, sizeof text, "%s%X", device_letter(index), number);
  else std::snprintf(text, sizeof text, "%s%u", device_letter(index), number);
  return text;
}

void set_row_from_text(LadderRow& row, std::string_view text) {
  row = LadderRow{};
  while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
  while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
  if (is_end_text(text)) {
    make_new_end_row(row);
    return;
  }
  if (!text.empty() && text[0] == ';') {
    text.remove_prefix(1);
    if (!text.empty() && text[0] == ' ') text.remove_prefix(1);
    make_comment_row(row, text);
    return;
  }
  // The text of a text row follows a bar outside the brackets.
  std::string_view row_text;
  int depth = 0;
  for (size_t i = 0; i < text.size(); ++i) {
    const char ch = text[i];
    if (ch == '(' || ch == '[' || ch == '{') ++depth;
    if (ch == ')' || ch == ']' || ch == '}') --depth;
    if (ch == '|' && depth == 0) {
      row_text = text.substr(i + 1);
      if (!row_text.empty() && row_text[0] == ' ') row_text.remove_prefix(1);
      text = text.substr(0, i);
      break;
    }
  }
  std::vector<std::string> tokens = tokenize(text);
  if (!tokens.empty() && tokens.front().size() > 1 && tokens.front().back() == ':') {
    const std::string label = tokens.front().substr(0, tokens.front().size() - 1);
    row.cell[LABEL_COLUMN].word[0] = LABEL_CELL | (label == "?" ? 0 : CellFlags::OPERAND_SET);
    if (label != "?") row.cell[LABEL_COLUMN].word[1] = device_operand(label);
    tokens.erase(tokens.begin());
  }
  OutputShape shape{OUTPUT_COLUMN + 1};
  if (!tokens.empty()) {
    std::string_view last = tokens.back();
    uint32_t link = 0;
    while (!last.empty() && last[0] == '^') {
      link = CellFlags::LINK_UP;
      last.remove_prefix(1);
    }
    if (!last.empty() && (last[0] == '(' || last[0] == '[')) {
      shape = put_output(row, last, link);
      tokens.pop_back();
    }
  }
  // Without an output the row's cells run to column 11 (a bare link there joins a branch).
  const int contact_end = shape.first_col;
  const int fill_end = std::min(shape.first_col, OUTPUT_COLUMN);
  int col = 0;
  for (const std::string& token : tokens) {
    if (token == "~") {
      while (col < fill_end) row.cell[col++].word[0] = LINE_CELL;
      continue;
    }
    if (token.size() > 1 && (token[0] == '.' || token[0] == '-') && std::isdigit(static_cast<unsigned char>(token[1]))) {
      // .N: N empty cells; -N: N lines.
      const int count = static_cast<int>(parse_number(std::string_view(token).substr(1), 10, token));
      if (col + count > contact_end) fail("too many cells before the output", token);
      for (int k = 0; k < count; ++k) row.cell[col++].word[0] = token[0] == '-' ? LINE_CELL : 0;
      continue;
    }
    if (col >= contact_end) fail("too many cells before the output", token);
    Prefixes p;
    const std::string_view body = take_prefixes(token, p);
    if (!body.empty() && body[0] == '{') {
      put_comparison(row, col, body, p);
      col += 3;
    } else {
      put_cell(row, col++, token);
    }
  }
  if (!row_text.empty()) {
    const size_t length = std::min(row_text.size(), static_cast<size_t>(ROW_TEXT_SIZE - CELL_TEXT_SIZE - 1));
    std::memcpy(row.text[1], row_text.data(), length);
  }
}

LadderGrid ladder_from_text(const std::vector<std::string>& rows, const LadderTextOptions& options) {
  std::vector<std::string> all = rows;
  bool has_end = std::any_of(all.begin(), all.end(), [](const std::string& r) { return is_end_text(r); });
  if (!has_end && options.add_end_row) all.push_back("END");
  const int needed = static_cast<int>(all.size()) + (options.add_end_mark ? 1 : 0);
  LadderGrid grid = make_ladder_grid(std::max(needed, options.grid_rows));
  for (size_t r = 0; r < all.size(); ++r) set_row_from_text(grid[r], all[r]);
  if (options.add_end_mark) make_end_mark_row(grid[all.size()]);
  return grid;
}

// ---- Drawing a grid back as text --------------------------------------------------------------

namespace {

std::string constant_or_operand(uint32_t word0, int k, uint32_t value) {
  char text[32];
  if (word0 & (CellFlags::CONSTANT_0 << k)) {
    std::snprintf(text, sizeof text, "%c%X", (word0 & (CellFlags::HEX_0 << k)) ? 'H' : 'K', value);
    return text;
  }
  return operand_text(value);
}

std::string hex_cell(const LadderCell& cell) {
  char text[40];
  std::snprintf(text, sizeof text, "#%X:%X", cell.word[0], cell.word[1]);
  return text;
}

// One contact-column cell; `skip` is set to the extra cells a comparison takes.
std::string cell_text(const LadderRow& row, int col, int& skip) {
  const LadderCell& cell = row.cell[col];
  std::string prefix;
  uint32_t w0 = cell.word[0];
  uint32_t w1 = cell.word[1];
  if (w0 & CellFlags::LINK_UP) prefix += '^';
  if (w0 & CellFlags::U_MARK) {
    prefix += '@';
    if (w1 & 0x100000) prefix += std::to_string((w1 >> 16) & 0xF);
    w1 &= ~U_NUMBER_BITS;
  }
  w0 &= ~(CellFlags::LINK_UP | CellFlags::U_MARK);
  if (w0 == 0 && w1 == 0) return prefix.empty() ? "." : prefix;
  if (w0 == LINE_CELL && w1 == 0) return prefix + "-";
  if ((w0 & 0x3C09) == 0x1C08 && col + 2 <= 10) {
    std::string text = "{" + std::string(instruction_name(static_cast<int>(part_code_of(w0) & 0xFF)));
    if (w0 & CellFlags::OPERAND_SET) {
      text += " " + constant_or_operand(w0, 0, w1);
      text += " " + constant_or_operand(w0, 1, row.cell[col + 1].word[1]);
    }
    skip = 2;
    return prefix + text + "}";
  }
  const uint32_t part = (w0 >> 4) & 0x1FF;
  const uint32_t flags = w0 & ~CellFlags::PART_CODE_MASK;
  if (part == PartCode::CONTINUATION_IN && flags == (CellFlags::CONTINUATION | CONTACT_BASE))
    return prefix + ">" + std::to_string(w1);
  const bool contact = (part >= 1 && part <= 6) || part == PartCode::D_CONTACT_A || part == PartCode::D_CONTACT_B;
  if (contact && (flags == CONTACT_BASE || flags == CellFlags::PRESENT)) {
    const bool b = part % 2 == 0;
    std::string text = b ? "/" : "";
    if (flags == CellFlags::PRESENT) {
      text += "?";
    } else {
      const bool d_form = part == PartCode::D_CONTACT_A || part == PartCode::D_CONTACT_B;
      text += operand_text(d_form ? w1 & ~OperandBits::D_BIT : w1);
    }
    if (part > 2 && part <= 6) text += "#" + std::to_string(part);
    return prefix + text;
  }
  return prefix + hex_cell(LadderCell{{w0, w1, 0, 0}});
}

// The output element of a row and the column it starts in; "" when cell 11 holds none.
std::string output_text(const LadderRow& row, int& first_col) {
  const uint32_t w11 = row.cell[11].word[0];
  first_col = OUTPUT_COLUMN + 1;
  if (!(w11 & CellFlags::OUTPUT)) return "";
  const int code = static_cast<int>(row.cell[12].word[0] & 0x1FF);
  const bool set = w11 & CellFlags::OPERAND_SET;
  std::string text;
  if (code == Instr::OUT) {
    first_col = OUTPUT_COLUMN;
    if (w11 & CellFlags::CONTINUATION) text = "(>" + std::to_string(row.cell[11].word[1]) + ")";
    else text = set ? "(" + operand_text(row.cell[11].word[1]) + ")" : "(?)";
    return (w11 & CellFlags::LINK_UP ? "^" : "") + text;
  }
  if (code == Instr::TIM || code == Instr::CNT) {
    first_col = 10;
    const char* letter = code == Instr::TIM ? "T" : "C";
    text = set ? "(" + operand_text(row.cell[11].word[1]) + " " + constant_or_operand(w11, 1, row.cell[12].word[1]) + ")"
               : std::string("(") + letter + "?)";
    return (row.cell[10].word[0] & CellFlags::LINK_UP ? "^" : "") + text;
  }
  const int n = box_operand_cells(code);
  first_col = OUTPUT_COLUMN - n;
  std::string name = instruction_name(code);
  if (row.cell[12].word[0] & RecordFlags::D_FORM) name = "D" + name;
  if (row.cell[12].word[0] & RecordFlags::P_FORM) name += "P";
  text = "[" + name;
  if (set && n > 0) {
    const int operands = std::min(4, std::max(1, static_cast<int>(g_operand_line_counts[static_cast<size_t>(code)] & 0xF)));
    for (int k = 0; k < operands; ++k) text += " " + constant_or_operand(w11, k, row.cell[11 + k].word[1]);
  }
  text += "]";
  return (row.cell[first_col].word[0] & CellFlags::LINK_UP ? "^" : "") + text;
}

}  // namespace

std::vector<std::string> ladder_to_text(ConstGridSpan grid) {
  std::vector<std::string> rows;
  for (const LadderRow& row : grid) {
    if (row.cell[0].word[0] == END_MARK_CELL) break;
    if (row.cell[0].word[0] & CellFlags::COMMENT_ROW) {
      rows.push_back("; " + std::string(row.row_text(), strnlen(row.row_text(), ROW_TEXT_SIZE)));
      continue;
    }
    if (row.cell[11].word[0] & CellFlags::END) {
      rows.push_back("END");
      continue;
    }
    std::vector<std::string> tokens;
    if (row.cell[LABEL_COLUMN].word[0] & CellFlags::U_MARK) {
      const bool set = row.cell[LABEL_COLUMN].word[0] & CellFlags::OPERAND_SET;
      tokens.push_back((set ? operand_text(row.cell[LABEL_COLUMN].word[1]) : std::string("?")) + ":");
    }
    int first_col = 0;
    const std::string output = output_text(row, first_col);
    std::vector<std::string> cells;
    for (int c = 0; c < first_col; ++c) {
      int skip = 0;
      cells.push_back(cell_text(row, c, skip));
      c += skip;
    }
    if (output.empty())
      while (!cells.empty() && cells.back() == ".") cells.pop_back();
    tokens.insert(tokens.end(), cells.begin(), cells.end());
    if (!output.empty()) tokens.push_back(output);
    std::string text;
    for (const std::string& t : tokens) text += (text.empty() ? "" : " ") + t;
    if (row.cell[1].word[0] & CellFlags::TEXT_ROW && row.text[1][0])
      text += " | " + std::string(row.text[1], strnlen(row.text[1], ROW_TEXT_SIZE - CELL_TEXT_SIZE));
    rows.push_back(text);
  }
  return rows;
}

std::string ladder_picture(ConstGridSpan grid) {
  std::string picture;
  for (const std::string& row : ladder_to_text(grid)) picture += row + "\n";
  return picture;
}

std::vector<InstructionRecord> list_records(ConstListSpan list) {
  std::vector<InstructionRecord> records;
  for (const InstructionRecord& r : list) {
    if (is_end_record(r)) break;
    records.push_back(r);
  }
  return records;
}

std::string record_text(const InstructionRecord& r) {
  char text[96];
  std::snprintf(text, sizeof text, "{0x%X, 0x%X, 0x%X, 0x%X, 0x%X, 0x%X}", r.word[0], r.word[1], r.word[2], r.word[3],
                r.word[4], r.word[5]);
  return text;
}

std::string records_text(const std::vector<InstructionRecord>& records) {
  std::string text;
  for (const InstructionRecord& r : records) text += record_text(r) + "\n";
  return text;
}

bool operator==(const InstructionRecord& a, const InstructionRecord& b) {
  return std::equal(std::begin(a.word), std::end(a.word), std::begin(b.word));
}

void PrintTo(const InstructionRecord& record, std::ostream* out) { *out << record_text(record); }
