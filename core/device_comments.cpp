#include "core/device_comments.h"

#include <algorithm>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

#include "core/mnemonic_device.h"
#include "core/mnemonic_text.h"
#include "core/sjis.h"

namespace {

constexpr bool is_blank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\v' || c == '\f'; }
constexpr char FULL_WIDTH_BLANK[] = "\x81\x40";  // "　" in CP932
constexpr uint32_t U_POINT_BITS = 0x1F0000;        // word 1 of a cell on a U point: its number and set bit

// Row-label keys carry the source row; the row word of a rebuilt row is that source row.
constexpr uint32_t label_key(uint32_t source_row) { return ROW_LABEL_KEY_BASE + source_row; }

size_t grid_rows(ConstGridSpan grid) { return std::min(grid.size(), static_cast<size_t>(MAX_GRID_ROWS)); }

// ---- The table ------------------------------------------------------------------------------
// Appends records while the table has room for one more record and the end key.
class TableWriter {
 public:
  explicit TableWriter(CommentSpan table) : table_(table) {
    if (!table_.empty()) table_[0].key = static_cast<int32_t>(COMMENT_TABLE_END_KEY);
  }
  bool full() const { return table_.empty() || count_ + 1 >= table_.size(); }
  bool holds(uint32_t key) const { return keys_.count(key) != 0; }
  bool append(uint32_t key, std::string_view text) {
    if (full()) return false;
    DeviceComment& record = table_[count_];
    record.key = static_cast<int32_t>(key);
    std::fill(std::begin(record.text), std::end(record.text), '\0');
    copy_text_bounded(record.text, text);
    table_[++count_].key = static_cast<int32_t>(COMMENT_TABLE_END_KEY);
    keys_.emplace(key, true);
    return true;
  }

 private:
  CommentSpan table_;
  size_t count_ = 0;
  std::unordered_map<uint32_t, bool> keys_;
};

// The first record of each key, up to the end key (or the table's end, or the most
// records a table holds).
std::unordered_map<uint32_t, const DeviceComment*> first_records(ConstCommentSpan table) {
  std::unordered_map<uint32_t, const DeviceComment*> first;
  const size_t limit = std::min(table.size(), static_cast<size_t>(MAX_DEVICE_COMMENTS));
  for (size_t i = 0; i < limit; ++i) {
    const uint32_t key = static_cast<uint32_t>(table[i].key);
    if (key == COMMENT_TABLE_END_KEY) break;
    first.emplace(key, &table[i]);
  }
  return first;
}

std::string_view record_text(const DeviceComment& record) { return fixed_text(record.text); }
std::string_view cell_text(const LadderRow& row, int column) { return fixed_text(row.text[column]); }
void set_cell_text(LadderRow& row, int column, std::string_view text) {
  std::fill(std::begin(row.text[column]), std::end(row.text[column]), '\0');
  copy_text_bounded(row.text[column], text);
}

// ---- Text lines ------------------------------------------------------------------------------
std::string_view line_body(const MnemonicLine& line) {
  std::string_view s = line_statement(line);
  size_t lf = s.find('\n');
  return lf == std::string_view::npos ? s : s.substr(0, lf);
}

// The statement before its first ';'.
std::string_view code_part(std::string_view body) {
  size_t semicolon = sjis_find(body, ';');
  return semicolon == std::string_view::npos ? body : body.substr(0, semicolon);
}

std::string_view trim_right(std::string_view s) {
  while (!s.empty() && is_blank(s.back())) s.remove_suffix(1);
  return s;
}

// The first two words of a statement (before its ';').
void statement_words(const MnemonicLine& line, std::string_view& first, std::string_view& second) {
  std::string_view s = code_part(line_body(line));
  std::string_view words[2];
  size_t n = 0, i = 0;
  while (n < 2) {
    while (i < s.size() && is_blank(s[i])) ++i;
    if (i >= s.size()) break;
    size_t start = i;
    while (i < s.size() && !is_blank(s[i])) ++i;
    words[n++] = s.substr(start, i - start);
  }
  first = words[0];
  second = words[1];
}

bool is_d_contact(InstructionCode code) { return code >= Instr::LDD && code <= Instr::ORID; }

// The key of the device a contact or output line names; D-form contacts name one bit of a
// data register, as their operand words do.
std::optional<DeviceOperand> line_device_key(const MnemonicLine& line) {
  std::string_view first, second;
  statement_words(line, first, second);
  DeviceOperand key = 0;
  if (parse_comment_device(second, key) != 0) return std::nullopt;
  if (is_d_contact(opcode_of_line(line))) key |= OperandBits::D_BIT;
  return key;
}

// The column at which a comment's ';' goes after a statement of `length` characters: at
// least `minimum` (`long_minimum` after a statement longer than 24), at least the length,
// and on the step the alignment asks for.
size_t comment_column(size_t length, size_t minimum, size_t long_minimum, bool (*aligned)(size_t)) {
  size_t p = std::max(length, length > 24 ? long_minimum : minimum);
  while (!aligned(p)) ++p;
  return p;
}

// A grid comment as one line of mnemonic text: every line break becomes a blank (a blank
// and a line break two blanks), and the blanks at its end go.
std::string comment_as_one_line(std::string_view text) {
  std::string out;
  for (size_t i = 0; i < text.size(); i += sjis_char_length(text, i)) {
    const size_t n = sjis_char_length(text, i);
    if (n == 1 && (text[i] == '\n' || text[i] == '\r')) {
      if (text[i] == '\n') out.push_back(' ');
      continue;
    }
    out.append(text.substr(i, n));
  }
  return std::string(trim_right(out));
}

}  // namespace

int comment_table_size_for_rows(int rows) {
  if (rows < 0) rows = 0;
  const long long size = static_cast<long long>(rows) * COMMENT_RECORDS_PER_ROW + 1;
  return static_cast<int>(std::min<long long>(size, MAX_DEVICE_COMMENTS));
}

DeviceOperand get_cell_device_operand(ConstGridSpan grid, int r, int c) {
  if (r < 0 || static_cast<size_t>(r) >= grid.size() || c < 0 || c >= ROW_CELLS) return NO_CELL_DEVICE;
  if (c == LABEL_COLUMN) return LABEL_CELL_DEVICE;
  const LadderRow& row = grid[static_cast<size_t>(r)];
  auto word0 = [&](int k) { return row.cell[k].word[0]; };
  auto word1 = [&](int k) { return row.cell[k].word[1]; };
  const uint32_t w = word0(c);
  const InstructionCode box = static_cast<InstructionCode>(row_output_code(row));
  const int n = box_operand_cells(box);
  if ((w & CellFlags::BOX_POSITION) == CellFlags::BOX_POSITION) return NO_CELL_DEVICE;
  if (!(w & CellFlags::PRESENT) || (w & CellFlags::LINE)) return NO_CELL_DEVICE;
  if (c == OUTPUT_COLUMN && box == Instr::OUT) return word1(c);
  constexpr uint32_t ELEMENT_BITS = CellFlags::TIMER_OUTPUT | CellFlags::TIMER_COIL | CellFlags::BOX |
                                    CellFlags::BOX_POSITION;  // 0x70C00
  if (!(w & ELEMENT_BITS)) {
    if (!(w & CellFlags::OPERAND_SET)) return NO_CELL_DEVICE;
    // A contact on a U point keeps the U number beside its device (word 1 bits 16-20);
    // the device is the same with or without the point.
    return (w & CellFlags::U_MARK) ? word1(c) & ~U_POINT_BITS : word1(c);
  }
  if (c > OUTPUT_COLUMN) return NO_CELL_DEVICE;

  // A cell inside a comparison contact or a box: find the element's first cell and end.
  int j = c;
  while (j >= 0 && (word0(j) & CellFlags::BOX_POSITION) != CellFlags::BOX_POSITION &&
         !(word0(j) & CellFlags::TIMER_COIL))
    --j;
  if (j < 0) return NO_CELL_DEVICE;
  int i = c;
  while (i < OUTPUT_COLUMN && (word0(i) & CellFlags::BOX_POSITION) != 0x400 &&
         !(word0(i) & (CellFlags::TIMER_OUTPUT | CellFlags::OUTPUT)))
    ++i;
  if (i < OUTPUT_COLUMN) {
    // A comparison contact: its k-th body cell shows operand k, a constant shows none.
    const int k = c - j - 1;
    if (k < 0 || k > 3) return NO_CELL_DEVICE;
    if (!(word0(j) & CellFlags::OPERAND_SET) || (word0(j) & (CellFlags::CONSTANT_0 << k))) return NO_CELL_DEVICE;
    return word1(c - 1);
  }
  const uint32_t out = word0(OUTPUT_COLUMN);
  if (!(out & CellFlags::OPERAND_SET)) return NO_CELL_DEVICE;
  if (box == Instr::TIM || box == Instr::CNT) {
    // Column 10 shows the timer or counter, column 11 its set value.
    if (c == OUTPUT_COLUMN && (out & (CellFlags::CONSTANT_0 << 1))) return NO_CELL_DEVICE;
    return word1(c + 1);
  }
  const int k = n + c - 12;  // the operand a box body cell shows
  if (k < 0 || k > 3) return NO_CELL_DEVICE;
  if (out & (CellFlags::CONSTANT_0 << k)) return NO_CELL_DEVICE;
  return word1(OUTPUT_COLUMN + k);
}

void collect_comment_table(CommentSpan table, ConstGridSpan grid) {
  TableWriter writer(table);
  const size_t rows = grid_rows(grid);
  for (size_t r = 0; r < rows && !writer.full(); ++r) {
    const LadderRow& row = grid[r];
    if (is_end_mark_row(row)) break;
    if (is_comment_row(row)) continue;
    if (row.cell[LABEL_COLUMN].word[0] & CellFlags::HAS_COMMENT)
      writer.append(label_key(static_cast<uint32_t>(r)), cell_text(row, LABEL_COLUMN));
    const int columns = is_text_row(row) ? 1 : OUTPUT_COLUMN + 1;
    for (int c = 0; c < columns; ++c) {
      if (!(row.cell[c].word[0] & CellFlags::HAS_COMMENT)) continue;
      const DeviceOperand key = get_cell_device_operand(grid, static_cast<int>(r), c);
      if (key == NO_CELL_DEVICE || key == LABEL_CELL_DEVICE || writer.holds(key)) continue;
      writer.append(key, cell_text(row, c));
    }
  }
}

void apply_comment_table(GridSpan grid, ConstCommentSpan table) {
  const auto first = first_records(table);
  if (first.empty()) return;
  const size_t rows = grid_rows(grid);
  for (size_t r = 0; r < rows; ++r) {
    LadderRow& row = grid[r];
    if (is_end_mark_row(row) || is_end_row(row)) break;
    if (is_comment_row(row)) continue;
    // A label takes the comment of the label of the source row it was rebuilt from.
    LadderCell& label = row.cell[LABEL_COLUMN];
    if (label.word[0] & CellFlags::U_MARK) {
      auto found = first.find(label_key(static_cast<uint32_t>(row.source_position)));
      if (found != first.end()) {
        set_cell_text(row, LABEL_COLUMN, record_text(*found->second));
        label.word[0] |= CellFlags::HAS_COMMENT;
      }
    }
    const int columns = is_text_row(row) ? 1 : OUTPUT_COLUMN + 1;
    for (int c = 0; c < columns; ++c) {
      const uint32_t w = row.cell[c].word[0];
      if (!(w & CellFlags::PRESENT) || (w & CellFlags::LINE)) continue;
      if ((w & CellFlags::BOX_POSITION) == CellFlags::BOX_POSITION) continue;
      const DeviceOperand key = get_cell_device_operand(grid, static_cast<int>(r), c);
      if (key == NO_CELL_DEVICE) continue;
      auto found = first.find(key);
      if (found == first.end()) continue;
      set_cell_text(row, c, record_text(*found->second));
      row.cell[c].word[0] |= CellFlags::HAS_COMMENT;
    }
  }
}

int parse_comment_device(std::string_view text, DeviceOperand& key) {
  DeviceIndex device = -1;
  uint32_t number = 0;
  if (!parse_mnemonic_device(text, device, number)) return -1;
  key = make_device_operand(device, number);
  return 0;
}

InstructionCode opcode_of_line(const MnemonicLine& line) {
  std::string_view first, second;
  statement_words(line, first, second);
  if (first == "OUT" || first == "out") {
    if (second.size() >= 2 && (ascii_upper(second[0]) == 'T' || ascii_upper(second[0]) == 'C') &&
        second[1] >= '0' && second[1] <= '9')
      return ascii_upper(second[0]) == 'T' ? Instr::TIM : Instr::CNT;
    return Instr::OUT;
  }
  const InstructionCode code = find_mnemonic_code(first);
  return code < 0 ? OPCODE_NONE : code;
}

bool is_commented_statement_code(InstructionCode code) {
  switch (code) {
    case Instr::LD: case Instr::LDI: case Instr::AND: case Instr::ANI: case Instr::OR: case Instr::ORI:
    case Instr::LDD: case Instr::LDID: case Instr::ANDD: case Instr::ANID: case Instr::ORD: case Instr::ORID:
    case Instr::OUT: case Instr::SET: case Instr::PLS: case Instr::PLF: case Instr::RST:
    case Instr::TIM: case Instr::CNT:
      return true;
    default:
      return false;
  }
}

void annotate_text_with_comments(ConstCommentSpan table, TextSpan text) {
  count_mnemonic_text_write();
  const auto first = first_records(table);
  if (first.empty()) return;
  const int last = count_text_lines(text);
  for (int i = 0; i < last; ++i) {
    MnemonicLine& line = text[static_cast<size_t>(i)];
    const std::string_view body = line_body(line);
    size_t b = 0;
    while (b < body.size() && is_blank(body[b])) ++b;
    if (b >= body.size() || body[b] == '\\' || body[b] == ';') continue;
    // A line that already carries a comment keeps it.
    if (sjis_find(body, ';') != std::string_view::npos) continue;
    const InstructionCode code = opcode_of_line(line);
    if (!is_commented_statement_code(code)) continue;
    const std::optional<DeviceOperand> key = line_device_key(line);
    if (!key) continue;
    auto found = first.find(*key);
    // An M coil written with the "T" suffix keeps its comment under the flagged operand.
    if (found == first.end() && operand_device_index(*key) == Device::M)
      found = first.find(*key | OperandBits::SUFFIX_T);
    if (found == first.end()) continue;
    const std::string comment = comment_as_one_line(record_text(*found->second));
    std::string updated(body);
    const size_t column = comment_column(body.size(), 24, 32, [](size_t p) { return (p + 4) % 8 == 0; });
    updated.resize(column, ' ');
    updated.append("; ").append(comment);
    set_line_statement(line, updated);
  }
}

void collect_and_spread_comments(CommentSpan table, TextSpan text) {
  count_mnemonic_text_write();
  TableWriter writer(table);
  const int last = count_text_lines(text);
  // The lines of each device, so that a comment reaches them without a walk per comment.
  std::unordered_map<uint32_t, std::vector<int>> lines_of;
  std::vector<std::optional<DeviceOperand>> keys(static_cast<size_t>(std::max(last, 0)));
  for (int k = 0; k < last; ++k) {
    const MnemonicLine& line = text[static_cast<size_t>(k)];
    if (!(line.flags & LineFlags::CONTACT_OR_OUTPUT)) continue;
    keys[static_cast<size_t>(k)] = line_device_key(line);
    if (keys[static_cast<size_t>(k)]) lines_of[*keys[static_cast<size_t>(k)]].push_back(k);
  }
  constexpr int32_t SOURCE = LineFlags::HAS_COMMENT | LineFlags::CONTACT_OR_OUTPUT;
  for (int i = 0; i < last; ++i) {
    MnemonicLine& source = text[static_cast<size_t>(i)];
    if (source.flags != SOURCE || !keys[static_cast<size_t>(i)]) continue;
    const DeviceOperand key = *keys[static_cast<size_t>(i)];
    const std::string comment(fixed_text(source.comment));  // as written, with its line feed

    // The table text: without its blanks in front and one full-width blank after them.
    std::string_view shown = comment;
    while (!shown.empty() && is_blank(shown.front())) shown.remove_prefix(1);
    if (shown.substr(0, 2) == FULL_WIDTH_BLANK) shown.remove_prefix(2);
    char folded[COMMENT_TEXT_SIZE];
    fold_comment_text(folded, shown);
    if (folded[0] != '\0') writer.append(key, folded);

    for (int k : lines_of[key]) {
      MnemonicLine& line = text[static_cast<size_t>(k)];
      const std::string_view kept = trim_right(code_part(line_body(line)));
      std::string updated(kept);
      const size_t column = comment_column(kept.size(), 24, 32, [](size_t p) { return p % 8 == 0; });
      updated.resize(column, ' ');
      updated.push_back(';');
      updated.append(comment);
      set_line_statement(line, updated);
      set_line_comment(line, comment);
      line.flags |= LineFlags::COPIED | LineFlags::HAS_COMMENT;
    }
  }
}

void fold_comment_text(std::span<char> destination, std::string_view comment) {
  while (!comment.empty() && (comment.back() == '\n' || comment.back() == '\r')) comment.remove_suffix(1);
  std::string out;
  int lines = 0;
  size_t i = 0;
  while (lines < 2 && i < comment.size()) {
    // Pass over separators: ASCII blanks and the full-width blank.
    while (i < comment.size()) {
      const size_t n = sjis_char_length(comment, i);
      if (n == 1 && is_blank(comment[i])) ++i;
      else if (n == 2 && comment.substr(i, 2) == FULL_WIDTH_BLANK) i += 2;
      else break;
    }
    if (i >= comment.size()) break;
    const size_t start = i;
    while (i < comment.size()) {
      const size_t n = sjis_char_length(comment, i);
      if ((n == 1 && is_blank(comment[i])) || (n == 2 && comment.substr(i, 2) == FULL_WIDTH_BLANK)) break;
      i += n;
    }
    std::string_view word = comment.substr(start, i - start);
    if (word.size() > 8) word = word.substr(0, sjis_cut_length(word, word.size() % 2 ? 9 : 8));
    out.append(word);
    out.push_back('\n');
    ++lines;
  }
  copy_text_bounded(destination, out);
}
