#include "design/comment_entry.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstring>

#include "core/device_comments.h"
#include "core/instruction_tables.h"
#include "core/sjis.h"
#include "design/design_edit.h"
#include "core/grid_invariants.h"

namespace {

constexpr uint32_t TOP_FLAGS = 0x800000 | 0x200000;  // T suffix / D bit and the U point's set bit
constexpr uint32_t U_POINT_BITS = 0x1F0000;           // a contact on a U point keeps its number here

uint32_t word0(const LadderRow& row, int c) { return row.cell[c].word[0]; }

// The row ends the walk: the END row, the end mark.
bool ends_walk(const LadderRow& row) { return is_end_row(row) || is_end_mark_row(row); }

std::string_view cell_text_view(const LadderRow& row, int column) {
  const char* t = row.text[column];
  return {t, strnlen(t, CELL_TEXT_SIZE)};
}

// Writes `text` into a cell's 100-byte text, cut on a character boundary.
void set_text(LadderRow& row, int column, std::string_view text) {
  const size_t n = sjis_cut_length(text, CELL_TEXT_SIZE - 1);
  std::memset(row.text[column], 0, CELL_TEXT_SIZE);
  std::memcpy(row.text[column], text.data(), n);
}

bool is_constant(uint32_t flags_word, int k) { return (flags_word & (CellFlags::CONSTANT_0 << k)) != 0; }

}  // namespace

void walk_comment_places(ConstGridSpan grid, const std::function<bool(const CommentPlace&)>& visit) {
  const size_t rows = std::min(grid.size(), static_cast<size_t>(MAX_GRID_ROWS));
  for (size_t r = 0; r < rows; ++r) {
    const LadderRow& row = grid[r];
    if (ends_walk(row)) return;
    if (is_comment_row(row) || is_text_row(row) || is_empty_row(row)) continue;
    const int ri = static_cast<int>(r);
    const uint32_t out = word0(row, OUTPUT_COLUMN);
    for (int c = 0; c <= OUTPUT_COLUMN; ++c) {
      const uint32_t w = word0(row, c);
      if ((w & CellFlags::COMPARISON) && (w & CellFlags::OPERAND_SET)) {
        // A comparison contact: operands in this cell and the next, their comments in
        // the two cells after the contact's first cell.
        for (int k = 0; k < 2 && c + k + 1 <= OUTPUT_COLUMN; ++k)
          if (!is_constant(w, k) && !visit({ri, c + k + 1, row.cell[c + k].word[1], false})) return;
        int last = c + 1;
        while (last < OUTPUT_COLUMN && (word0(row, last) & CellFlags::BOX_POSITION) != 0x400) ++last;
        c = last;
        continue;
      }
      if ((w & CellFlags::BOX) && (out & CellFlags::OPERAND_SET)) {
        // An output box: its operands from cell 11 on, their comments in the cells after
        // the box's first cell. The row's output ends the walk of the row.
        const InstructionCode code = static_cast<InstructionCode>(row.cell[12].word[0] & 0x1FF);
        const int count = code >= 0 && static_cast<size_t>(code) < g_instruction_attributes.size()
                              ? g_instruction_attributes[static_cast<size_t>(code)] & 0xF
                              : 0;
        for (int k = 0; k < count && OUTPUT_COLUMN + k < ROW_CELLS && c + k + 1 <= OUTPUT_COLUMN; ++k)
          if (!is_constant(out, k) && !visit({ri, c + k + 1, row.cell[OUTPUT_COLUMN + k].word[1], false})) return;
        break;
      }
      if ((w & CellFlags::TIMER_COIL) && (out & CellFlags::OPERAND_SET)) {
        // The coil cell of a timer or counter shows the timer's comment.
        if (!is_constant(out, 0) && !visit({ri, c, row.cell[OUTPUT_COLUMN].word[1], false})) return;
        continue;
      }
      if ((w & CellFlags::TIMER_OUTPUT) && (out & CellFlags::OPERAND_SET)) {
        // The output cell of a timer or counter shows its set value's comment.
        if (!is_constant(out, 1) && !visit({ri, c, row.cell[12].word[1], false})) return;
        ++c;
        continue;
      }
      if ((w & CellFlags::OPERAND_SET) && !(w & CellFlags::CONSTANT_0)) {
        uint32_t operand = row.cell[c].word[1];
        if (w & CellFlags::U_MARK) operand &= ~U_POINT_BITS;
        if (!visit({ri, c, operand, true})) return;
      }
    }
  }
}

namespace {

struct SpecialRelay {
  int number;
  const char* comment;
};
constexpr SpecialRelay SPECIAL_RELAYS[] = {
    {9010, "エラー\nフラグ"},        {9012, "キャリー\nフラグ"},    {9013, " ゼロ\nフラグ"},
    {9030, " 0.1秒\nパルス"},        {9031, " 0.2秒\nパルス"},      {9032, " １秒\nパルス"},
    {9035, " 比較\nフラグ"},         {9036, "常時オン\nリレー"},    {9037, "常時オフ\nリレー"},
    {9038, "１ｽｷｬﾝ\nオンRELY"},      {9039, "1-ｽｷｬﾝｵﾝ\nafter1ｸｰﾙ"}, {9040, "受信-Err\nﾌﾗｸﾞ"},
    {9041, "受信有り\nﾌﾗｸﾞ"},        {9050, "TMR0\n割込み"},        {9051, "TMR1\n割込み"},
    {9052, "TMR2\n割込み"},          {9053, "TMR3\n割込み"},        {9054, "RB0\n割込み"},
    {9055, "RB1\n割込み"},           {9056, "RB2\n割込み"},         {9057, "RB4:7\n割込み"},
    {9070, "ｿﾌﾄ割込み0\nby-INT1"},   {9071, "ｿﾌﾄ割込み1\nby-INT2"},
};
constexpr char MEANINGLESS[] = "無意味";

}  // namespace

const char* special_relay_comment(uint32_t device) {
  device &= ~TOP_FLAGS;
  if (operand_device_index(device) != Device::M || (device & 0x0F000000) != 0) return nullptr;
  const int number = static_cast<int>(device & 0xFFFFF);
  if (number < 9010 || number > 9071) return nullptr;
  for (const SpecialRelay& s : SPECIAL_RELAYS)
    if (s.number == number) return s.comment;
  return MEANINGLESS;
}

void assign_cell_comment(GridSpan grid, int row, int column, uint32_t device) {
  if (row < 0 || static_cast<size_t>(row) >= grid.size() || column < 0 || column >= ROW_CELLS) return;
  LadderRow& target = grid[static_cast<size_t>(row)];
  if (const char* fixed = special_relay_comment(device)) {
    set_text(target, column, fixed);
    target.cell[column].word[0] |= CellFlags::HAS_COMMENT;
    return;
  }
  const uint32_t key = device & ~TOP_FLAGS;
  std::string found;
  bool has = false;
  walk_comment_places(grid, [&](const CommentPlace& p) {
    const LadderRow& r = grid[static_cast<size_t>(p.row)];
    if ((p.operand & ~TOP_FLAGS) != key || !(word0(r, p.column) & CellFlags::HAS_COMMENT)) return true;
    found = std::string(cell_text_view(r, p.column));
    has = true;
    return false;
  });
  set_text(target, column, found);
  if (has) {
    target.cell[column].word[0] |= CellFlags::HAS_COMMENT;
  } else {
    target.cell[column].word[0] &= ~CellFlags::HAS_COMMENT;
  }
}

namespace {

// One line of a comment: a word cut to 8 bytes, or 9 when its length is odd (a word of
// single-byte characters with one double-byte character keeps that character whole).
std::string comment_line(std::string_view word) {
  if (word.size() > 8) word = word.substr(0, sjis_cut_length(word, word.size() % 2 != 0 ? 9 : 8));
  return std::string(word) + '\n';
}

// The words of a text split at ASCII blanks (and tabs and line ends), stepping over
// double-byte characters.
std::vector<std::string_view> split_words(std::string_view text, bool at_newlines) {
  std::vector<std::string_view> words;
  size_t i = 0;
  while (i < text.size()) {
    while (i < text.size() && sjis_char_length(text, i) == 1 &&
           (text[i] == ' ' || text[i] == '\t' || (at_newlines && (text[i] == '\n' || text[i] == '\r'))))
      ++i;
    const size_t start = i;
    while (i < text.size() && !(sjis_char_length(text, i) == 1 && (text[i] == ' ' || text[i] == '\t' ||
                                                                    (at_newlines && (text[i] == '\n' || text[i] == '\r')))))
      i += sjis_char_length(text, i);
    if (i > start) words.push_back(text.substr(start, i - start));
  }
  return words;
}

// The position of the first full-width blank (0x81 0x40) in `word`, npos when none.
size_t find_wide_blank(std::string_view word) {
  for (size_t i = 0; i < word.size(); i += sjis_char_length(word, i))
    if (sjis_char_length(word, i) == 2 && static_cast<unsigned char>(word[i]) == 0x81 && word[i + 1] == 0x40) return i;
  return std::string_view::npos;
}

}  // namespace

std::string make_comment_lines(std::string_view text, bool label_column) {
  std::vector<std::string_view> words = split_words(text, true);
  words.resize(std::min(words.size(), static_cast<size_t>(label_column ? 3 : 2)));
  std::vector<std::string> lines;
  for (std::string_view word : words) {
    if (find_wide_blank(word) == std::string_view::npos) {
      lines.push_back(comment_line(word));
    } else {
      for (size_t at; (at = find_wide_blank(word)) != std::string_view::npos; word.remove_prefix(at + 2))
        lines.push_back(comment_line(word.substr(0, at)));
      lines.push_back(comment_line(word));
      lines.push_back("\n");
    }
  }
  std::string comment;
  for (size_t i = 0; i < lines.size() && i < 3; ++i) comment += lines[i];
  return comment;
}

CommentStore store_device_comment(GridSpan grid, const ViewState& view, std::string_view text) {
  CommentStore s;
  // Comments go on the cells of program rows: the special rows and the end mark hold none.
  if (view.sel_row < 0 || static_cast<size_t>(view.sel_row) >= grid.size() || view.sel_col < 0 ||
      view.sel_col >= ROW_CELLS || !is_program_row(grid, view.sel_row)) {
    s.message = NO_PART_MESSAGE;
    return s;
  }
  LadderRow& selected = grid[static_cast<size_t>(view.sel_row)];
  const int col = view.sel_col;
  const uint32_t w = word0(selected, col);
  if (col != LABEL_COLUMN && (!(w & CellFlags::PRESENT) || (w & CellFlags::LINE))) {
    s.message = NO_PART_MESSAGE;
    return s;
  }
  const DeviceOperand op = get_cell_device_operand(grid, view.sel_row, col);
  if (op == NO_CELL_DEVICE) {
    set_text(selected, col, "");
    selected.cell[col].word[0] &= ~CellFlags::HAS_COMMENT;
    s.cells.push_back({view.sel_row, col});
    return s;
  }
  const std::string comment = make_comment_lines(text, col == LABEL_COLUMN);
  if (col == LABEL_COLUMN) {
    set_text(selected, col, comment);
    selected.cell[col].word[0] |= CellFlags::HAS_COMMENT;
    s.cells.push_back({view.sel_row, col});
    s.result = 0;
    return s;
  }
  std::vector<CommentPlace> places;
  walk_comment_places(grid, [&](const CommentPlace& p) {
    const bool same = p.plain ? (p.operand & ~OperandBits::SUFFIX_T) == (op & ~OperandBits::SUFFIX_T) : p.operand == op;
    if (same) places.push_back(p);
    return true;
  });
  for (const CommentPlace& p : places) {
    LadderRow& r = grid[static_cast<size_t>(p.row)];
    set_text(r, p.column, comment);
    r.cell[p.column].word[0] |= CellFlags::HAS_COMMENT;
    s.cells.push_back({p.row, p.column});
  }
  s.result = 0;
  return s;
}

std::string get_cell_comment_text(GridSpan grid, const ViewState& view) {
  if (view.cursor_row < 0 || static_cast<size_t>(view.cursor_row) >= grid.size() || view.cursor_col < 0 ||
      view.cursor_col >= ROW_CELLS)
    return {};
  LadderRow& row = grid[static_cast<size_t>(view.cursor_row)];
  const uint32_t code = row_output_code(row);
  if (code == Instr::COMMENT && view.cursor_col != LABEL_COLUMN) {
    const std::string_view text(row.row_text(), strnlen(row.row_text(), ROW_TEXT_SIZE));
    std::string out;
    for (size_t i = 0; i < text.size(); i += sjis_char_length(text, i)) {
      if (sjis_char_length(text, i) == 1 && text[i] == '\n') {
        if (!out.empty() && out.back() == ' ') out.pop_back();
        out += "\r\n";
      } else {
        out.append(text.substr(i, sjis_char_length(text, i)));
      }
    }
    return out;
  }
  if ((code == Instr::ASM || code == Instr::TABL) && view.cursor_col >= 1 && view.cursor_col <= 14) return {};
  const int col = view.cursor_col;
  if (!(row.cell[col].word[0] & CellFlags::HAS_COMMENT)) return {};
  const std::vector<std::string_view> words = split_words(cell_text_view(row, col), true);
  if (words.empty()) {
    row.cell[col].word[0] &= ~CellFlags::HAS_COMMENT;
    return {};
  }
  std::string out;
  for (size_t i = 0; i < words.size() && i < 3; ++i) {
    out.append(words[i]);
    out += ' ';
  }
  return out;
}

namespace {

// A typed row comment as the row stores it: CR LF (or a lone line feed) becomes a blank
// and a line feed.
std::string row_comment_form(std::string_view text) {
  std::string out;
  for (size_t i = 0; i < text.size(); i += sjis_char_length(text, i)) {
    if (sjis_char_length(text, i) == 2) {
      out.append(text.substr(i, 2));
    } else if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') {
      out += " \n";
      ++i;
    } else if (text[i] == '\n') {
      out += " \n";
    } else {
      out += text[i];
    }
  }
  return out;
}

}  // namespace

size_t row_comment_stored_length(std::string_view text) { return row_comment_form(text).size(); }

int store_row_comment(GridSpan grid, const ViewState& view, std::string_view text) {
  if (view.sel_col == NO_SELECTION || view.sel_col == SELECTION_WHOLE_ROWS) return -1;
  if (view.cursor_row < 0 || static_cast<size_t>(view.cursor_row) >= grid.size()) return -1;
  // Only a row before the END row may become a comment row.
  for (int r = 0; r <= view.cursor_row; ++r)
    if (ends_walk(grid[static_cast<size_t>(r)])) return -1;
  // A comment row is compiled alone: a row below that links up into this one would be left
  // joined to nothing.
  if (static_cast<size_t>(view.cursor_row) + 1 < grid.size() && !is_comment_row(grid[static_cast<size_t>(view.cursor_row)]) &&
      has_links_up(grid[static_cast<size_t>(view.cursor_row) + 1]) &&
      !is_end_mark_row(grid[static_cast<size_t>(view.cursor_row) + 1]))
    return -1;
  LadderRow& row = grid[static_cast<size_t>(view.cursor_row)];
  const std::string stored = row_comment_form(text);
  const size_t n = sjis_cut_length(stored, ROW_TEXT_SIZE - 1);
  std::memset(row.text, 0, sizeof row.text);
  std::memcpy(row.row_text(), stored.data(), n);
  for (int c = 0; c < 15; ++c) row.cell[c] = LadderCell{};
  row.cell[0].word[0] = CellWord::COMMENT_ROW_FIRST;
  for (int c = 1; c <= 10; ++c) row.cell[c].word[0] = CellWord::COMMENT_ROW_LINE;
  row.cell[OUTPUT_COLUMN].word[0] = CellWord::COMMENT_ROW_OUTPUT;
  row.cell[12].word[0] = static_cast<uint32_t>(Instr::COMMENT);
  return 0;
}

const DeviceIndex COMMENT_LIST_CLASSES[11] = {Device::X, Device::Y, Device::M, Device::L, Device::B, Device::T,
                                              Device::C, Device::J, Device::R, Device::D, Device::W};

std::string comment_list_label(uint32_t operand) {
  const DeviceIndex device = operand_device_index(operand);
  const char* letter = device_letter(device);
  const char l = letter != nullptr && letter[0] != 0 ? letter[0] : '?';
  const uint32_t number = operand & 0xFFFF;
  char out[32];
  if (device == Device::X || device == Device::Y || device == Device::B || device == Device::R) {
    std::snprintf(out, sizeof out, "%c%02X", l, number);
  } else if (device == Device::J) {
    // J numbers are group << 8 | step: shown as the group and two step digits.
    if (number >> 8 == 0) {
      std::snprintf(out, sizeof out, "%c%02u", l, number);
    } else {
      std::snprintf(out, sizeof out, "%c%u%02u", l, number >> 8, number & 0xFF);
    }
  } else {
    std::snprintf(out, sizeof out, "%c%02u", l, number);
  }
  return out;
}

bool add_comment_list_entry(CommentList& list, uint32_t operand, std::string_view comment, size_t start) {
  const DeviceIndex device = operand_device_index(operand);
  if (device == Device::D && (operand & OperandBits::D_BIT)) return false;
  if (device != Device::D) operand &= ~OperandBits::SUFFIX_T;  // M100 and M100T are one device
  if ((operand_code_byte(operand) & 0xF) != 0) return false;
  if (device == Device::M && (operand & 0xFFFF) > 9000) return false;
  if (device == Device::J && (operand & OperandBits::J_RANGE)) return false;
  for (size_t i = start; i < list.keys.size(); ++i)
    if (list.keys[i] == operand) return false;
  if (list.keys.size() >= static_cast<size_t>(COMMENT_LIST_CAPACITY)) {
    list.full = true;
    return false;
  }
  std::string line = comment_list_label(operand) + "    ";
  for (size_t i = 0; i < comment.size(); i += sjis_char_length(comment, i)) {
    if (sjis_char_length(comment, i) == 1 && (comment[i] == '\n' || comment[i] == '\r')) {
      line += ' ';
    } else {
      line.append(comment.substr(i, sjis_char_length(comment, i)));
    }
  }
  if (line.size() < 22) line.resize(22, ' ');
  line.resize(sjis_cut_length(line, COMMENT_LIST_LINE_SIZE - 1));
  list.keys.push_back(operand);
  list.lines.push_back(std::move(line));
  return true;
}

void build_comment_list(ConstGridSpan grid, DeviceIndex device, CommentList& list) {
  const size_t start = list.keys.size();
  const uint32_t code = static_cast<uint32_t>(device_code_from_index(device));
  walk_comment_places(grid, [&](const CommentPlace& p) {
    if (operand_code_byte(p.operand) != code) return true;
    const LadderRow& r = grid[static_cast<size_t>(p.row)];
    add_comment_list_entry(list, p.operand, cell_text_view(r, p.column), start);
    return true;
  });
  // Sorted by key within the class, the lines moving with their keys (stable).
  std::vector<size_t> order(list.keys.size() - start);
  for (size_t i = 0; i < order.size(); ++i) order[i] = start + i;
  std::stable_sort(order.begin(), order.end(), [&](size_t a, size_t b) { return list.keys[a] < list.keys[b]; });
  std::vector<uint32_t> keys;
  std::vector<std::string> lines;
  for (size_t i : order) {
    keys.push_back(list.keys[i]);
    lines.push_back(std::move(list.lines[i]));
  }
  std::copy(keys.begin(), keys.end(), list.keys.begin() + static_cast<std::ptrdiff_t>(start));
  std::move(lines.begin(), lines.end(), list.lines.begin() + static_cast<std::ptrdiff_t>(start));
}

bool comment_list_refuses(const CommentList& list, uint32_t operand) {
  if (!list.full) return false;
  if (operand_device_index(operand) != Device::D) operand &= ~OperandBits::SUFFIX_T;
  return std::find(list.keys.begin(), list.keys.end(), operand) == list.keys.end();
}

CommentList build_comment_lists(ConstGridSpan grid) {
  CommentList list;
  for (DeviceIndex device : COMMENT_LIST_CLASSES) build_comment_list(grid, device, list);
  return list;
}

CommentListFields comment_list_fields(std::string_view line) {
  const std::vector<std::string_view> words = split_words(line, true);
  CommentListFields f;
  if (!words.empty()) f.device = std::string(words[0]);
  if (words.size() >= 2) {
    f.comment = std::string(words[1]);
    f.comment += "  ";
    if (words.size() >= 3) f.comment.append(words[2]);
  }
  return f;
}

bool find_comment_cell(ConstGridSpan grid, std::string_view device_text, CellCursor& cell, uint32_t& operand) {
  const std::vector<std::string_view> words = split_words(device_text, true);
  if (words.empty()) return false;
  std::string wanted(words[0]);
  for (char& ch : wanted) ch = static_cast<char>(std::toupper(static_cast<unsigned char>(ch)));
  bool found = false;
  walk_comment_places(grid, [&](const CommentPlace& p) {
    if ((operand_code_byte(p.operand) & 0xF) != 0) return true;
    std::string label = comment_list_label(p.operand & ~OperandBits::SUFFIX_T);
    for (char& ch : label) ch = static_cast<char>(std::toupper(static_cast<unsigned char>(ch)));
    if (label != wanted) return true;
    cell = CellCursor{p.row, p.column};
    operand = p.operand;
    found = true;
    return false;
  });
  return found;
}
