#include "core/old_design_file.h"

#include <algorithm>
#include <cstring>
#include <string>

#include "core/instruction_tables.h"
#include "core/notice.h"
#include "core/sjis.h"
#include "core/text_file.h"

const std::array<uint8_t, 16> g_old_contact_kinds = {1, 2, 3, 4, 5, 6, 6, 7, 7, 8, 1, 2, 0, 0, 0, 0};

const std::array<uint16_t, OLD_OUTPUT_CODES> g_old_box_codes = {
    15,  53, 54, 29, 30, 18, 23, 26, 41, 81,  82,  100, 101, 104, 105, 106, 42,
    89,  90, 16, 240, 241, 85, 86, 28, 31, 102, 103, 48, 49, 36, 37, 39, 40};

const std::array<uint8_t, OLD_OUTPUT_CODES> g_old_box_widths = {
    0, 0, 0, 1, 1, 2, 1, 1, 1, 2, 2, 3, 3, 3, 3, 3, 3, 2, 2, 0, 0, 0, 2, 2, 1, 1, 3, 3, 2, 2, 2, 2, 1, 1};

namespace {

constexpr size_t OLD_LINE_LIMIT = 1023;
constexpr uint32_t OLD_OUTPUT_MARK = 0x4000;  // word 0 of the old output column
constexpr uint32_t OLD_LINE_CELL = 0x209;     // an old line cell: carries no device
constexpr uint32_t M_INDEX = 2;
constexpr uint32_t L_INDEX = 6;

// An old row: words 0 and 1 of the cells as read.
struct OldRow {
  std::array<uint32_t, ROW_CELLS> w0{};
  std::array<uint32_t, ROW_CELLS> w1{};
};

uint16_t box_code(uint32_t o) { return o < OLD_OUTPUT_CODES ? g_old_box_codes[o] : 0; }
int box_width(uint32_t o) { return o < OLD_OUTPUT_CODES ? g_old_box_widths[o] : 0; }

// An old output operand: device index in bits 12-15, digit count in bits 10-11, number
// in bits 0-9. In the layout with outputs in column 9 the indexes 0 and 1 stand for M and L.
uint32_t convert_output_operand(uint32_t v, bool output_col_9) {
  uint32_t index = v >> 12 & 0xF;
  if (output_col_9) {
    if (index == 0) index = M_INDEX;
    else if (index == 1) index = L_INDEX;
  }
  return index << 28 | (v >> 10 & 3) << 24 | (v & 0x3FF);
}

// Contact columns: an old cell with a part gets the new part code, and its device index
// (old word 0 bits 8-11) moves to the top nibble of the operand.
void convert_contact_cells(const OldRow& old, LadderRow& row, int last, OldDesignLayout layout) {
  for (int c = 0; c <= last; ++c) {
    uint32_t w0 = old.w0[static_cast<size_t>(c)];
    uint32_t w1 = old.w1[static_cast<size_t>(c)];
    if (!(w0 & 0x8)) {
      row.cell[c].word[0] = w0;
      row.cell[c].word[1] = w1;
      continue;
    }
    uint32_t kind = w0 >> 4 & 0xF;
    uint32_t part = (w0 & 0x1) ? PartCode::LINE : g_old_contact_kinds[kind];
    row.cell[c].word[0] = (w0 & 0xF00F) | part << 4;
    if (layout == OldDesignLayout::TWO_LINE) w1 &= 0xFFF;
    if (w0 != OLD_LINE_CELL) {
      uint32_t index = w0 >> 8 & 0xF;
      if (layout == OldDesignLayout::OUTPUT_COL_9 && kind < 2) index = M_INDEX;
      w1 |= index << 28;
    }
    row.cell[c].word[1] = w1;
  }
}

// The output of a 14-cell row: the old code and its constant bits are in cell 12.
void convert_output_14(const OldRow& old, LadderRow& row, OldDesignLayout layout, bool& unconverted) {
  const uint32_t old11 = old.w0[11];
  const uint32_t old12 = old.w0[12];
  const uint32_t o = old12 & 0x7F;
  const uint32_t q = old12 >> 8 & 0xF;
  const uint32_t constant_bits = (q & 3) << 20;
  const uint32_t hex_bits = (q & 0xC) << 22;
  const uint32_t operand_set = (old12 & 0xF000) ? CellFlags::OPERAND_SET : 0;
  uint32_t cell11;
  if (o <= 2) {
    // OUT, TIM, CNT. The two-line layout keeps the old low bits; the run-length one its link.
    uint32_t kept = (layout == OldDesignLayout::TWO_LINE) ? (old11 & 0xF) : (old11 & CellFlags::LINK_UP);
    cell11 = kept | (o == 0 ? CellFlags::OUTPUT : CellFlags::OUTPUT | CellFlags::TIMER_OUTPUT) |
             (PartCode::OUT + o) << 4 | CellFlags::PRESENT;
    if (o > 0) row.cell[10].word[0] = (row.cell[10].word[0] & CellFlags::LINK_UP) | 0x20008;
  } else {
    // An applied-instruction box ending in column 11, with the box flag on every cell.
    // A code beyond the table names no instruction: the box stays empty and the row is
    // reported.
    if (box_code(o) == 0) unconverted = true;
    cell11 = (old11 & 0xF00F) | 0x44408;
    int w = box_width(o);
    if (w > 0) {
      LadderCell& first = row.cell[OUTPUT_COLUMN - w];
      first.word[0] = (first.word[0] & CellFlags::LINK_UP) | 0x40C08;
      for (int c = OUTPUT_COLUMN + 1 - w; c <= 10; ++c) row.cell[c].word[0] = 0x40808;
    }
  }
  row.cell[11].word[0] = hex_bits | constant_bits | cell11 | operand_set;
  row.cell[12].word[0] = box_code(o) | (old12 & 0x80) << 6;  // bit 7: the P form
  // Operands 1-3; a constant keeps its value.
  for (int k = 0; k < 3; ++k) {
    uint32_t v = old.w1[static_cast<size_t>(11 + k)];
    row.cell[11 + k].word[1] = ((q & 3) >> k & 1) ? v : convert_output_operand(v, false);
  }
}

void convert_row_14(const OldRow& old, LadderRow& row, OldDesignLayout layout, bool& unconverted) {
  convert_contact_cells(old, row, 10, layout);
  for (int c = 11; c <= 13; ++c) {
    row.cell[c].word[0] = old.w0[static_cast<size_t>(c)];
    row.cell[c].word[1] = old.w1[static_cast<size_t>(c)];
  }
  if (old.w0[11] & OLD_OUTPUT_MARK) convert_output_14(old, row, layout, unconverted);
  row.cell[0].word[0] |= CellFlags::LINK_UP;
}

void convert_row_col_9(const OldRow& old, LadderRow& row, bool& unconverted) {
  convert_contact_cells(old, row, 8, OldDesignLayout::OUTPUT_COL_9);
  for (int c = 9; c <= 11; ++c) {
    row.cell[c].word[0] = old.w0[static_cast<size_t>(c)];
    row.cell[c].word[1] = old.w1[static_cast<size_t>(c)];
  }
  row.cell[0].word[0] |= CellFlags::LINK_UP;

  const uint32_t old9 = old.w0[9];
  int operands = 0;  // the old operand words of columns 9-11 that the element uses
  uint32_t q = 0;
  if (old9 & OLD_OUTPUT_MARK) {
    const uint32_t old10 = old.w0[10];
    const uint32_t o = old10 & 0x7F;
    q = old10 >> 9 & 0xF;
    const uint32_t constant_bits = (q & 7) << 20;
    const uint32_t operand_set = (old10 & 0xF000) ? CellFlags::OPERAND_SET : 0;
    row.cell[9].word[0] = 0xB9;
    if (o <= 1) {  // TIM, CNT
      row.cell[10].word[0] = 0x20008;
      row.cell[11].word[0] = constant_bits | CellFlags::OUTPUT | CellFlags::TIMER_OUTPUT | (PartCode::TIM + o) << 4 |
                             CellFlags::PRESENT | operand_set;
      row.cell[12].word[0] = 53 + o;
      operands = 2;
    } else if (old9 & CellFlags::END) {
      row.cell[10].word[0] = 0xB9;
      row.cell[11].word[0] = 0x6408;
      row.cell[12].word[0] = 16;
    } else if (o <= 3) {  // PLS, PLF
      row.cell[10].word[0] = 0x40C08;
      row.cell[11].word[0] = 0x4C408;
      row.cell[12].word[0] = 29 + (o & 1);
      operands = 1;
    } else {
      // The other old codes of this layout count from TIM (0), one below the codes of the
      // 14-cell layouts, which count from OUT: TIM, CNT, PLS and PLF above are the first
      // four of them. The box takes its operand cells left of column 11; the contacts of
      // this layout end in column 8, so a box of three operand cells needs column 8 free.
      const uint32_t table_code = o + 1;
      const uint16_t code = box_code(table_code);
      if (code == 0) {
        // No instruction: an empty box, and the row is reported.
        row.cell[10].word[0] = 0x40C08;
        row.cell[11].word[0] = 0x40408;
        operands = 3;
        unconverted = true;
      } else {
        int first = OUTPUT_COLUMN - box_width(table_code);
        if (first < 9 && (old.w0[8] & 0x8) && old.w0[8] != OLD_LINE_CELL && !(old.w0[8] & 0x1)) {
          // Column 8 holds a contact: the instruction is kept in a box of columns 9-11,
          // and the row is reported, as it cannot be drawn as it should.
          first = 9;
          unconverted = true;
        }
        for (int c = 9; c < first; ++c) row.cell[c].word[0] = 0xB9;
        if (first < OUTPUT_COLUMN) {
          LadderCell& left = row.cell[first];
          left.word[0] = (first == 9 ? (old9 & CellFlags::LINK_UP) : (left.word[0] & CellFlags::LINK_UP)) | 0x40C08;
          if (first < 9) left.word[1] = 0;
          for (int c = first + 1; c <= 10; ++c) row.cell[c].word[0] = 0x40808;
        }
        row.cell[11].word[0] = constant_bits | 0x44408 | operand_set;
        row.cell[12].word[0] = code;
        operands = std::min(box_operand_cells(code), 3);
      }
    }
  } else if (old9 == 0xE0) {
    for (int c = 9; c <= 11; ++c) row.cell[c].word[0] = 0;
  } else if (old9 & 0x8) {  // a coil
    row.cell[9].word[0] = 0xB9;
    row.cell[10].word[0] = 0xB9;
    row.cell[11].word[0] = 0xC078;
    row.cell[12].word[0] = 15;
    operands = 1;
  }
  // Operand words the element does not use stay as they are; a constant keeps its value.
  for (int k = 0; k < operands; ++k)
      if (!((q & 7) >> k & 1)) row.cell[9 + k].word[1] = convert_output_operand(row.cell[9 + k].word[1], true);
  // The output's operands move from columns 9-11 to 11-13.
  row.cell[13].word[1] = row.cell[11].word[1];
  row.cell[12].word[1] = row.cell[10].word[1];
  row.cell[11].word[1] = row.cell[9].word[1];
  row.cell[10].word[1] = 0;
  row.cell[9].word[1] = 0;
}

// The value field of a group: four characters, hexadecimal digits of either case that
// the older program padded with blanks on the left ("%4x"); files that were passed
// through other tools may carry zeros instead. At least one digit, and no blank after
// the first digit.
bool decode_group_value(std::string_view field, uint32_t& value) {
  size_t i = 0;
  while (i < field.size() && field[i] == ' ') ++i;
  if (i == field.size()) return false;
  uint32_t v = 0;
  for (; i < field.size(); ++i) {
    int d = hex_digit_value(field[i]);
    if (d < 0) return false;
    v = v << 4 | static_cast<uint32_t>(d);
  }
  value = v;
  return true;
}

// Run-length groups "%1x%4x " from column 5: each fills `repeat` cells (none for 0);
// the group D DDDD is a separator. Cells beyond the layout's are ignored.
bool decode_old_groups(const TextLine& line, int cells, OldRow& old) {
  const std::string& s = line.text;
  size_t len = line.length_with_end();
  size_t groups = len > 5 ? (len - 5) / 6 : 0;
  int filled = 0;
  for (size_t g = 0; g < groups && filled < 2 * cells; ++g) {
    size_t at = 5 + g * 6;
    if (at + 5 > s.size()) return false;
    int repeat = hex_digit_value(s[at]);
    if (repeat < 0) return false;
    uint32_t v = 0;
    if (!decode_group_value(std::string_view(s).substr(at + 1, 4), v)) return false;
    if (at + 5 < s.size() && s[at + 5] != ' ') return false;
    if (repeat == 0xD && v == 0xDDDD) continue;
    for (int i = 0; i < repeat && filled < 2 * cells; ++i, ++filled) {
      if (filled < cells) old.w0[static_cast<size_t>(filled)] = v;
      else old.w1[static_cast<size_t>(filled - cells)] = v;
    }
  }
  return true;
}

enum class LineResult { OK, BAD, END };

LineResult read_old_line(std::FILE* stream, TextLine& line) {
  LineStatus st = read_text_line(stream, OLD_LINE_LIMIT, line);
  if (st == LineStatus::ERROR) return LineResult::BAD;
  if (st == LineStatus::END_OF_FILE) return LineResult::END;
  if (line.too_long || line.text.find('\xFF') != std::string::npos) return LineResult::BAD;
  return LineResult::OK;
}

}  // namespace

OldDesignLayout old_design_layout_of(std::string_view first_line) {
  if (ascii_iequal(first_line, "mbs-file ver.1") || ascii_iequal(first_line, "mas-file ver.1"))
    return OldDesignLayout::TWO_LINE;
  if (ascii_iequal(first_line, "mbs-file 3bis ver.1") || ascii_iequal(first_line, "mas-file 3bis ver.1"))
    return OldDesignLayout::RUN_LENGTH;
  if (ascii_iequal(first_line, "mas-file omro ver.1")) return OldDesignLayout::OUTPUT_COL_9;
  return OldDesignLayout::NONE;
}

int read_old_design_rows(GridSpan grid, std::FILE* stream, OldDesignLayout layout, int* rows_read,
                         std::vector<int>* unconverted_rows) {
  const int limit = grid.size() < static_cast<size_t>(MAX_GRID_ROWS) ? static_cast<int>(grid.size()) : MAX_GRID_ROWS;
  if (rows_read) *rows_read = 0;
  if (unconverted_rows) unconverted_rows->clear();
  TextLine line;
  bool unconverted = false;
  auto note_row = [&](int r) {
    if (unconverted && unconverted_rows) unconverted_rows->push_back(r);
    unconverted = false;
  };
  for (int r = 0; r < limit; ++r) {
    LineResult lr = read_old_line(stream, line);
    if (lr != LineResult::OK) return 1;  // damaged, or the file ends before its end mark
    OldRow old;
    LadderRow& row = grid[static_cast<size_t>(r)];
    std::memset(&row, 0, sizeof row);
    if (layout == OldDesignLayout::TWO_LINE) {
      // The step number (not used) and words 0 of cells 0-13; further words are ignored.
      std::array<uint32_t, 15> words{};
      int n = parse_hex_words(line.text, words);
      if (n < 0) return 1;
      if (n >= 2 && words[1] == END_MARK_CELL) {
        make_end_mark_row(row);
        if (rows_read) *rows_read = r + 1;
        return 0;
      }
      if (n < 15) return 1;
      for (int c = 0; c < 14; ++c) old.w0[static_cast<size_t>(c)] = words[static_cast<size_t>(c + 1)];
      if (read_old_line(stream, line) != LineResult::OK) return 1;
      if (parse_hex_words(line.text, std::span<uint32_t>(words.data(), 14)) < 14) return 1;
      for (int c = 0; c < 14; ++c) old.w1[static_cast<size_t>(c)] = words[static_cast<size_t>(c)];
      convert_row_14(old, row, layout, unconverted);
    } else {
      const int cells = (layout == OldDesignLayout::OUTPUT_COL_9) ? 12 : 14;
      if (!decode_old_groups(line, cells, old)) return 1;
      bool end_mark = (layout == OldDesignLayout::OUTPUT_COL_9)
                          ? std::find(old.w0.begin(), old.w0.begin() + cells, END_MARK_CELL) != old.w0.begin() + cells
                          : old.w0[0] == END_MARK_CELL;
      if (end_mark) {
        make_end_mark_row(row);
        if (rows_read) *rows_read = r + 1;
        return 0;
      }
      if (layout == OldDesignLayout::OUTPUT_COL_9) convert_row_col_9(old, row, unconverted);
      else convert_row_14(old, row, layout, unconverted);
    }
    note_row(r);
    if (rows_read) *rows_read = r + 1;
  }
  return 1;  // the grid is full and no end mark came
}

void report_unconverted_rows(const std::vector<int>& rows) {
  if (rows.empty()) return;
  std::string text = OLD_ROWS_NOT_CONVERTED_TEXT;
  for (size_t i = 0; i < rows.size() && i < static_cast<size_t>(OLD_ROWS_NAMED); ++i) {
    if (i > 0) text += ", ";
    text += std::to_string(rows[i] + 1);
  }
  if (rows.size() > static_cast<size_t>(OLD_ROWS_NAMED)) text += ", …";
  show_notice(text.c_str(), "警告", NoticeStyle::OK | NoticeStyle::ICON_WARNING);
}
