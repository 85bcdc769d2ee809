#include "target/monitor_operands.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>

#include "core/device_tables.h"
#include "core/instruction_tables.h"
#include "target/device_images.h"
#include "target/runtime_tables.h"

namespace {

constexpr int CODE_CELL = 12;
constexpr int LAST_TEXT_COLUMN = 11;
constexpr int MAX_SHOWN_OPERANDS = 4;              // constant bits exist for operands 0-3
constexpr uint32_t CONSTANT_BIT_0 = 0x100000;      // operand i is a constant: bit 20 + i
constexpr uint32_t HEX_BIT_0 = 0x1000000;          // ... an H constant: bit 24 + i
constexpr uint32_t OPERAND_VALUE_MASK = 0xFFFFFFF; // v: the operand word without its top nibble
constexpr uint32_t RANGE = 0x8000;
constexpr uint32_t T_SUFFIX = 0x800000;
constexpr uint32_t PART_NIBBLE_MASK = 0xF;
constexpr uint32_t CONTINUATION_OUT_NIBBLE = 12;
constexpr uint32_t CONTINUATION_IN_NIBBLE = 13;
constexpr int COIL_TEXT_SHIFT = 10;    // an OUT coil's text stands 10 pixels right of its picture
constexpr int VALUE_SHIFT = 8;         // a value stands 8 pixels left of it
constexpr int HIGH_CONSTANT_RAISE = 16;

// printf into a text slot; the slot is always NUL-terminated and cut to its size.
__attribute__((format(printf, 2, 3))) void put(std::span<char> text, const char* format, ...) {
  if (text.empty()) return;
  va_list args;
  va_start(args, format);
  std::vsnprintf(text.data(), text.size(), format, args);
  va_end(args);
}

void append_out_of_range(std::span<char> text) {
  if (text.empty()) return;
  const size_t length = std::strlen(text.data());
  put(text.subspan(length), "%s", OUT_OF_RANGE_MARK);
}

struct Letter {
  char text[8];
  DeviceIndex index;
};
Letter letter_of(uint32_t operand) {
  Letter l{};
  l.index = device_letter_of_operand(operand, l.text);
  return l;
}

bool is_hex_type(DeviceIndex t) { return t == Device::X || t == Device::Y || t == Device::B || t == Device::R; }
const char* suffix_t(uint32_t word) { return (word & T_SUFFIX) ? "t" : ""; }

// The band of a cell: from p / 2 - p / 6 to p / 2 + p / 6 below its picture's top.
MonitorRect band(const MonitorRect& picture, int p, int left, int right) {
  return {left, picture.top + p / 2 - p / 6, right, picture.top + p / 2 + p / 6};
}

MonitorText& add_text(MonitorCellTexts& out, const MonitorRect& rect, uint32_t format, uint32_t colour) {
  MonitorText& t = out.item[static_cast<size_t>(out.count++)];
  t.text[0] = '\0';
  t.rect = rect;
  t.format = format | MonitorTextFormat::SINGLE_LINE;
  t.colour = colour;
  return t;
}

// ---- The three kinds of operand cell --------------------------------------------------------------

void coil_texts(const LadderRow& row, const MonitorRect& picture, int p, MonitorCellTexts& out) {
  MonitorText& t = add_text(out, band(picture, p, picture.left + COIL_TEXT_SHIFT, picture.right + COIL_TEXT_SHIFT),
                            MonitorTextFormat::LEFT | MonitorTextFormat::BOTTOM, MONITOR_OPERAND_COLOUR);
  format_coil_operand(row.cell[LAST_TEXT_COLUMN].word[1], t.text);
}

void box_texts(const LadderRow& row, int column, const MonitorRect& picture, int w, int p, MonitorCellTexts& out) {
  const uint32_t word0 = row.cell[column].word[0];
  const bool comparison = (word0 & CellFlags::COMPARISON) != 0;
  const int code = comparison ? static_cast<int>((word0 >> 4) & 0xFF)
                              : static_cast<int>(row.cell[CODE_CELL].word[0] & 0x1FF);
  int count = code == Instr::ASM ? 0 : g_instruction_attributes[static_cast<size_t>(code)] & InstrAttr::OPERAND_CELLS_MASK;
  int first = 0;
  if (code == Instr::TIM || code == Instr::CNT) {
    count = 2;  // the timer and its set value, of which only the set value is written
    first = 1;
  }
  const int last = code == Instr::TABL ? 0 : count - 1;
  for (int i = first; i <= last && i < MAX_SHOWN_OPERANDS && column + i < ROW_CELLS; ++i) {
    const uint32_t word = row.cell[column + i].word[1];
    MonitorRect rect = comparison
        ? band(picture, p, picture.left + (i + 1) * w + w / 14, picture.left + (i + 3) * w + w / 14)
        : band(picture, p, picture.left + (i + 1 - count) * w, picture.left + (i + 3 - count) * w);
    const bool constant = (word0 & (CONSTANT_BIT_0 << i)) != 0;
    if (constant && (word & 0xFFFF0000u) != 0) {
      // A long constant stands higher and further left, clear of the box's name.
      rect.top -= HIGH_CONSTANT_RAISE;
      rect.bottom -= HIGH_CONSTANT_RAISE;
      rect.left -= w / 3;
      rect.right -= w / 3;
    }
    MonitorText& t = add_text(out, rect, MonitorTextFormat::LEFT | MonitorTextFormat::VCENTRE, MONITOR_OPERAND_COLOUR);
    format_box_operand(code, i, i == count - 1, comparison, word0, word, t.text);
  }
}

void contact_texts(const LadderRow& row, int column, const MonitorRect& picture, int p, MonitorCellTexts& out) {
  MonitorText& t = add_text(out, {picture.left, picture.top - p / 10, picture.right, picture.top + p / 4 + p / 20},
                            MonitorTextFormat::CENTRE | MonitorTextFormat::BOTTOM, MONITOR_OPERAND_COLOUR);
  format_contact_operand(row.cell[column].word[1], t.text);
}

// The current value of a step counter or a W or D register marked in word 3.
void value_text(uint32_t word3, const MonitorRect& picture, int p, MonitorCellTexts& out) {
  const DeviceIndex type = operand_device_index(word3);
  const uint32_t number = word3 & 0xFFFF;
  const MonitorRect rect{picture.left - VALUE_SHIFT, picture.top - p / 11, picture.right - VALUE_SHIFT, picture.top + p / 3};
  if (type == Device::S) {
    MonitorText& t = add_text(out, rect, MonitorTextFormat::RIGHT, MONITOR_VALUE_COLOUR);
    if (const StepRecord* s = step_record(number)) put(t.text, "%d", s->word[0]);
    else put(t.text, "%s", OUT_OF_RANGE_MARK);
  } else if (type == Device::W || type == Device::D) {
    MonitorText& t = add_text(out, rect, MonitorTextFormat::CENTRE, MONITOR_VALUE_COLOUR);
    if (const WordDeviceRecord* r = word_device_record(type, number)) put(t.text, "%X", static_cast<uint32_t>(r->word[0]) & 0xFFFF);
    else put(t.text, "%s", OUT_OF_RANGE_MARK);
  }
  // Q, R, V and J values (a J coil is marked too) have no format: nothing is shown.
}

}  // namespace

MonitorRect monitor_cell_picture(const MonitorGeometry& g, int row, int column) {
  const int top = (row - g.top_row) * g.row_height + g.top_margin;
  return {column * g.cell_width + g.left_rail_x, top, (column + 1) * g.cell_width + g.left_rail_x, top + g.part_height};
}

void format_coil_operand(uint32_t word1, std::span<char> text) {
  const Letter l = letter_of(word1);
  const uint32_t v = word1 & OPERAND_VALUE_MASK;
  const bool beyond = operand_beyond_runtime_tables(word1);
  if (l.index == Device::Y || l.index == Device::B || l.index == Device::R)
    put(text, "%s%02X%s", l.text, v & 0x3FFF, suffix_t(word1));
  else if (l.index == Device::T || l.index == Device::C)
    put(text, "%s%u%s", l.text, v & (beyond ? 0x3FFF : 0x7FF), suffix_t(word1));
  else if (l.index == Device::J)
    put(text, "J%01u%02u%s", (v & 0xFF00) >> 8, v & 0xFF, suffix_t(word1));
  else
    put(text, "%s%u%s", l.text, v & 0x7FFF, suffix_t(word1));
  if (beyond) append_out_of_range(text);
}

void format_contact_operand(uint32_t word1, std::span<char> text) {
  Letter l = letter_of(word1);
  if (l.index == Device::D) l.text[0] = 'd';  // a bit of a data register
  const uint32_t v = word1 & OPERAND_VALUE_MASK;
  const bool range = (v & RANGE) != 0;
  const bool beyond = operand_beyond_runtime_tables(word1);
  if (is_hex_type(l.index)) {
    if (range) put(text, "%s%02X-%02X", l.text, v & 0x3FFF, (((v >> 16) & 0xFF) + (v & 0x3FFF)) & 0xFF);
    else put(text, "%s%02X", l.text, v & 0x7FFF);
  } else if (l.index == Device::T || l.index == Device::C) {
    put(text, "%s%u", l.text, v & (beyond ? 0x3FFF : 0x7FF));
  } else if (l.index == Device::J) {
    if (range) put(text, "J%01u%02u-%02u", (v & 0x7F00) >> 8, v & 0xFF, ((v >> 16) & 0x1F) + (v & 0xFF));
    else put(text, "J%01u%02u", (v & 0x7F00) >> 8, v & 0xFF);
  } else if (range) {
    // The end of the range by its last two digits (M100-05), or its one digit (M0-5).
    char end[16];
    std::snprintf(end, sizeof end, "%u", ((v >> 16) & 0xFF) + (v & 0x3FFF));
    const size_t length = std::strlen(end);
    put(text, "%s%u-%s", l.text, v & 0x3FFF, length > 2 ? end + length - 2 : end);
  } else {
    put(text, "%s%u", l.text, v & 0x3FFF);
  }
  if (beyond) append_out_of_range(text);
}

void format_box_operand(int code, int i, bool last, bool comparison, uint32_t word0, uint32_t word, std::span<char> text) {
  if (i >= 0 && i < MAX_SHOWN_OPERANDS && (word0 & (CONSTANT_BIT_0 << i))) {
    const char prefix = (word0 & (HEX_BIT_0 << i)) ? 'H' : 'K';
    if (last || comparison || code == Instr::TABL) put(text, "%c%X", prefix, word);
    else put(text, "%c%04X", prefix, word);
    return;
  }
  const Letter l = letter_of(word);
  const uint32_t n = word & 0xFFFF;
  const uint32_t digits = (word >> 24) & 0xF;
  const uint32_t kinds = code >= 0 && code < INSTRUCTION_TABLE_SIZE ? g_operand_kinds[static_cast<size_t>(code)] : 0;
  const bool single_bit = i >= 0 && i < MAX_SHOWN_OPERANDS && ((kinds >> (OperandKind::BYTE_SHIFT * i)) & OperandKind::BIT_DEVICE);
  const DeviceIndex t = l.index;
  const bool step_box = code == Instr::STEP || code == Instr::PULSE;
  if (is_hex_type(t) && !single_bit && ((i == 0 && code == Instr::MIVK) || (i == 1 && code == Instr::MOVK)))
    put(text, "B%X%s%X", digits, l.text, n & 0x7FFF);  // a group of single bits
  else if (is_hex_type(t) && !single_bit)
    put(text, "K%u%s%X", digits, l.text, n & 0x7FFF);
  else if ((t == Device::M || t == Device::L || (t == Device::S && !step_box)) && !single_bit)
    put(text, "K%u%s%u", digits, l.text, n);
  else if (t == Device::X || t == Device::Y || t == Device::B)
    put(text, "%s%02X", l.text, n);
  else if (t == Device::V)
    put(text, "%s%X", l.text, n);
  else if (t == Device::S)
    put(text, "%s%03u%s", l.text, n, suffix_t(word));
  else
    put(text, "%s%u%s", l.text, n, suffix_t(word));
  if (operand_beyond_runtime_tables(word)) append_out_of_range(text);
}

int format_monitor_cell(const LadderRow& row, int row_index, int column, const MonitorGeometry& geometry,
                        MonitorCellTexts& out) {
  out.count = 0;
  if (column < 0 || column > LAST_TEXT_COLUMN) return MONITOR_CELL_DRAWN;
  const LadderCell& cell = row.cell[column];
  const uint32_t word0 = cell.word[0];
  const MonitorRect picture = monitor_cell_picture(geometry, row_index, column);
  const int w = geometry.cell_width;
  const int p = geometry.part_height;
  const uint32_t nibble = (word0 >> 4) & PART_NIBBLE_MASK;

  if (word0 & CellFlags::OPERAND_SET) {
    const int code = static_cast<int>(row.cell[CODE_CELL].word[0] & 0x1FF);
    if (column == LAST_TEXT_COLUMN && code == Instr::OUT) {
      if (nibble == CONTINUATION_OUT_NIBBLE) return MONITOR_CELL_ENDS;
      coil_texts(row, picture, p, out);
    } else if (word0 & (CellFlags::COMPARISON | CellFlags::OUTPUT)) {
      box_texts(row, column, picture, w, p, out);
    } else if (column < LAST_TEXT_COLUMN) {
      if (column == 0 && nibble == CONTINUATION_IN_NIBBLE) return MONITOR_CELL_ENDS;
      contact_texts(row, column, picture, p, out);
    }
  }

  if (cell.word[3] & ValueMark::SHOWN) value_text(cell.word[3], picture, p, out);
  return MONITOR_CELL_DRAWN;
}
