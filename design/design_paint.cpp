#include "design/design_paint.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string_view>

#include "core/bounded_text.h"
#include "core/device_tables.h"
#include "core/instruction_tables.h"
#include "core/sjis.h"
#include "design/element_pictures.h"

int32_t g_search_highlight = 0;

namespace {

constexpr int TEXT_ROW_LINE_LIMIT = 70;
constexpr int COMMENT_BREAKS_MAX = 2;
constexpr uint32_t SHIFTED_CODE_MASK = 0x31FF;  // part code with the TIM/CNT output and coil bits
constexpr uint32_t TIMER_OUTPUT_CODE = 0x1000;
constexpr uint32_t TIMER_COIL_CODE = 0x2000;

std::string format(const char* fmt, auto... args) {
  char buffer[128];
  const int n = std::snprintf(buffer, sizeof buffer, fmt, args...);
  return std::string(buffer, static_cast<size_t>(std::clamp(n, 0, static_cast<int>(sizeof buffer) - 1)));
}

const char* letter_of(uint32_t operand) { return device_letter(operand_device_index(operand)); }
DeviceIndex index_of(uint32_t operand) { return operand_device_index(operand); }

bool is_comparison_part(uint32_t code) { return (code >= 0x1C1 && code <= 0x1C6) || (code >= 0x1C9 && code <= 0x1CE); }

class Painter {
 public:
  explicit Painter(const PaintInputs& in)
      : in_(in),
        v_(*in.view),
        cw_(v_.cell_width),
        rh_(v_.row_height),
        ph_(v_.part_height),
        l_(v_.left_rail_x),
        r_(v_.right_rail_x),
        w_(in.client_width) {}

  DisplayList run();

 private:
  int top(int row) const { return (row - v_.top_row) * rh_ + v_.top_margin; }
  int x0(int column) const { return l_ + column * cw_; }
  const LadderRow* row_at(int index) const { return grid_row_at(in_.grid, index); }
  int pic(int plain) const { return picture_in_set(plain, in_.picture_set); }

  void line(int x1, int y1, int x2, int y2, int width) {
    list_.items.push_back({PaintKind::LINE, {x1, y1, x2, y2}, -1, PaintFont::ELEMENT, BLACK, 0, width});
  }
  void picture(int plain, PixelRect rect, int row, int column) {
    PaintItem item{PaintKind::PICTURE, rect, pic(plain)};
    item.row = row;
    item.column = column;
    list_.items.push_back(item);
  }
  void text(std::string s, PixelRect rect, uint32_t flags, PaintFont font, uint32_t colour, uint32_t background,
            int row, int column) {
    PaintItem item{PaintKind::TEXT, rect, -1, font, colour, background, 1, flags, std::move(s)};
    item.row = row;
    item.column = column;
    list_.items.push_back(std::move(item));
  }
  void element_text(std::string s, PixelRect rect, uint32_t flags, int row, int column) {
    text(std::move(s), rect, flags, PaintFont::ELEMENT, in_.colours.text, v_.background, row, column);
  }
  void frame(PixelRect rect, uint32_t colour, int width, int row, int column) {
    PaintItem item{PaintKind::FRAME, rect, -1, PaintFont::ELEMENT, colour, 0, width};
    item.row = row;
    item.column = column;
    list_.items.push_back(item);
  }
  int frame_width() const { return l_ / 28 + 1; }

  void rails();
  void ticks();
  void comment_rows(int first, int last);
  void comments(int first, int last);
  void elements(int first, int last, int steps);
  void cell(const LadderRow& row, int r, int c);
  void operands(const LadderRow& row, int r, int c);
  bool cell_frames(const LadderRow& row, int r, int c);
  bool range_frame(int r, int first);
  void margin(const LadderRow& row, int r, int steps);

  const PaintInputs& in_;
  const ViewState& v_;
  const int cw_, rh_, ph_, l_, r_, w_;
  DisplayList list_;
};

void Painter::rails() {
  const int width = in_.double_lines ? 2 : 1;
  line(r_, 0, r_, in_.client_height, width);
  line(l_, 0, l_, in_.client_height, width);
}

// The ticks are drawn with the rails' pen.
void Painter::ticks() {
  const int width = in_.double_lines ? 2 : 1;
  for (int i = 0; i <= v_.visible_rows; ++i) {
    const LadderRow* row = row_at(v_.top_row + i);
    if (row == nullptr) break;
    const int y = ph_ / 2 + v_.top_margin + i * rh_;
    const bool first_holds_part = (row->cell[0].word[0] & CellFlags::PRESENT) != 0;
    if (!first_holds_part) line(l_, y, l_ + 7, y, width);
    for (int j = 1; j <= 11; ++j) {
      if (j == 1 && first_holds_part) continue;
      const uint32_t w0 = row->cell[j].word[0];
      if ((w0 & CellFlags::PRESENT) != 0 || (w0 & CellFlags::BOX_POSITION) != 0) {
        ++j;  // the element and the column after it carry no tick
        continue;
      }
      if ((w0 & CellFlags::LINK_UP) == 0) line(l_ + j * cw_, y, l_ + j * cw_ + 2, y, width);
    }
  }
}

void Painter::comment_rows(int first, int last) {
  for (int r = first; r < last; ++r) {
    const LadderRow* row = row_at(r);
    if (row == nullptr) break;
    const int y0 = top(r);
    if (is_comment_row(*row)) {
      text(std::string(bounded(row->row_text(), ROW_TEXT_SIZE)),
           {l_ + cw_ / 2, y0 + rh_ / 6, w_ - cw_ / 18, y0 + rh_ / 6 + rh_}, TextFormat::LEFT | TextFormat::TOP,
           PaintFont::COMMENT_ROW, COMMENT_ROW_TEXT, v_.background, r, -1);
    } else if ((row->cell[1].word[0] & CellFlags::COMMENT_ROW) != 0) {
      const std::string_view slot1 = bounded(row->text[1], ROW_TEXT_SIZE - CELL_TEXT_SIZE);
      text(fold_text_row(slot1), {l_ + 2 * cw_ + cw_ / 2, y0 + rh_ / 6, w_ - cw_ / 18, y0 + rh_ / 6 + rh_},
           TextFormat::LEFT | TextFormat::TOP, PaintFont::COMMENT_ROW, COMMENT_ROW_TEXT, v_.background, r, -1);
    }
  }
}

void Painter::comments(int first, int last) {
  for (int r = first; r < last; ++r) {
    const LadderRow* row = row_at(r);
    if (row == nullptr) break;
    const int y0 = top(r);
    const int y1 = y0 + rh_;
    const uint32_t label = row->cell[LABEL_COLUMN].word[0];
    if ((label & CellFlags::HAS_COMMENT) != 0) {
      const std::string all(bounded(row->text[LABEL_COLUMN], CELL_TEXT_SIZE));
      char words[3][CELL_TEXT_SIZE] = {};
      const int n = std::sscanf(all.c_str(), "%99s %99s %99s", words[0], words[1], words[2]);
      std::string shown = all;
      if (v_.comment_display == 0 && n >= 3 && (label & CellFlags::TIMER_OUTPUT) != 0)
        shown = std::string(words[0]) + "\n" + words[1];
      text(shown, {cw_ / 20, y0 + 3 * rh_ / 8, l_ - cw_ / 20, y1 + 3 * rh_ / 8}, TextFormat::LEFT,
           PaintFont::CELL_COMMENT, ROW_LABEL_COMMENT_TEXT, v_.background, r, LABEL_COLUMN);
    }
    const LadderRow* below = row_at(r + 1);
    for (int c = 0; c <= OUTPUT_COLUMN; ++c) {
      const std::string_view comment = bounded(row->text[c], CELL_TEXT_SIZE);
      if ((row->cell[c].word[0] & CellFlags::HAS_COMMENT) == 0 || comment.empty()) continue;
      const int t = y0 + 3 * ph_ / 5 + 3 * ph_ / 25;
      const int b = t + 13 * rh_ / 20 + 3 * rh_ / 40;
      const PixelRect rect = c < OUTPUT_COLUMN ? PixelRect{x0(c) + cw_ / 12, t, x0(c) + cw_, b}
                                               : PixelRect{r_ - cw_ + cw_ / 12, t, r_, b};
      // Above a part (an output counts in the output column) only the first word is shown,
      // and on one line: a word the rectangle would break in two would put its second line
      // on the device name of the part below. The word ends at a blank or a line feed (the
      // comment dialog ends each line with a line feed alone), so no line feed reaches the
      // one-line text, where it would be drawn as a glyph.
      bool first_word_only = false;
      if (v_.comment_display == 0 && below != nullptr)
        first_word_only = is_comment_row(*below) || (below->cell[c].word[0] & 0x9) == 0x8 ||
                          (c == OUTPUT_COLUMN && row_output_code(*below) != 0);
      const std::string shown(first_word_only ? comment_first_word(comment) : comment);
      text(shown, rect, TextFormat::LEFT | (first_word_only ? TextFormat::SINGLELINE : TextFormat::WORDBREAK),
           PaintFont::CELL_COMMENT, in_.colours.comment, v_.background, r, c);
    }
  }
}

void Painter::operands(const LadderRow& row, int r, int c) {
  using namespace TextFormat;
  const uint32_t w0 = row.cell[c].word[0];
  const int y0 = top(r);
  const int band_top = y0 + ph_ / 2 - ph_ / 6;
  const int band_bottom = y0 + ph_ / 2 + ph_ / 6;
  const uint32_t output_code = row_output_code(row);

  if (c == OUTPUT_COLUMN && output_code == static_cast<uint32_t>(Instr::OUT)) {
    if (((w0 >> 4) & 0xF) == 12) return;
    const uint32_t w = row.cell[OUTPUT_COLUMN].word[1];
    const char* suffix = (w & OperandBits::SUFFIX_T) != 0 ? "t" : "";
    const DeviceIndex d = index_of(w);
    std::string s;
    if (d == Device::Y || d == Device::B || d == Device::R)
      s = format("%s%02X%s", letter_of(w), w & 0x3FFF, suffix);
    else if (d == Device::J)
      s = format("J%01d%02d%s", (w >> 8) & 0xFF, w & 0xFF, suffix);
    else
      s = format("%s%d%s", letter_of(w), w & 0x3FFF, suffix);
    element_text(s, {x0(c) + cw_ / 6, band_top, x0(c) + cw_ + cw_ / 6, band_bottom}, LEFT | VCENTER | SINGLELINE, r,
                 c);
    return;
  }

  if ((w0 & CellFlags::OUTPUT) != 0 || (w0 & CellFlags::COMPARISON) != 0) {
    const bool comparison = (w0 & CellFlags::OUTPUT) == 0;
    const uint32_t k = comparison ? (w0 >> 4) & 0xFF : output_code;
    const bool text_box = k == static_cast<uint32_t>(Instr::ASM) || k == static_cast<uint32_t>(Instr::TABL);
    const bool timer = k == static_cast<uint32_t>(Instr::TIM) || k == static_cast<uint32_t>(Instr::CNT);
    // A timer or counter shows its set value (operand 1, in cell 12) inside its output
    // cell, as the second of two operands.
    const int n = comparison || timer ? 2 : g_instruction_attributes[k] & InstrAttr::OPERAND_CELLS_MASK;
    for (int i = timer ? 1 : 0; i < n; ++i) {
      if (text_box && i > 0) break;
      if (c + i >= ROW_CELLS) break;
      const uint32_t v = row.cell[c + i].word[1];
      std::string s;
      bool high_constant = false;
      if ((w0 & (CellFlags::CONSTANT_0 << i)) != 0) {
        const bool hex = (w0 & (CellFlags::HEX_0 << i)) != 0;
        const bool wide = i != n - 1 && !comparison && !text_box;
        s = format(wide ? (hex ? "H%04X" : "K%04X") : (hex ? "H%X" : "K%X"), v);
        high_constant = (v & 0xFFFF0000u) != 0;
      } else {
        const int g = static_cast<int>((v >> 24) & 0xF);
        const uint32_t number = v & 0x3FFFF;
        const DeviceIndex d = index_of(v);
        const uint32_t kind = (g_operand_kinds[k] >> (8 * i)) & 0xFF;
        const bool bit_operand = (kind & OperandKind::BIT_DEVICE) != 0;
        const char* letter = letter_of(v);
        // A digit group carries its digit count; a register in a word operand (R1F) has
        // none and is shown by its name alone.
        const bool digit_group = !bit_operand && g != 0;
        if ((d == Device::X || d == Device::Y || d == Device::B || d == Device::R) && digit_group) {
          const bool by_bits = (k == static_cast<uint32_t>(Instr::MIVK) && i == 0) ||
                               (k == static_cast<uint32_t>(Instr::MOVK) && i == 1);
          s = format(by_bits ? "B%X%s%X" : "K%d%s%X", g, letter, number & 0x7FFF);
        } else if ((d == Device::M || d == Device::L) && digit_group) {
          s = format("K%d%s%d", g, letter, number);
        } else if (d == Device::X || d == Device::Y || d == Device::B || d == Device::R || d == Device::V ||
                   (d == Device::S && i >= 1)) {
          s = format(d == Device::V ? "%s%X" : "%s%02X", letter, number & 0x7FFF);
        } else if (d == Device::S) {
          s = format("%s%03d%s", letter, number, (v & OperandBits::SUFFIX_T) != 0 ? "t" : "");
        } else {
          s = format("%s%d%s", letter, number, (v & OperandBits::SUFFIX_T) != 0 ? "t" : "");
        }
      }
      PixelRect rect = comparison ? PixelRect{x0(c) + (i + 1) * cw_ + cw_ / 14, band_top,
                                              x0(c) + cw_ + (i + 2) * cw_ + cw_ / 14, band_bottom}
                                  : PixelRect{x0(c) + (i + 1 - n) * cw_, band_top, x0(c) + cw_ + (i + 2 - n) * cw_,
                                              band_bottom};
      if (high_constant) {
        rect.top -= rh_ / 4;
        rect.bottom -= rh_ / 4;
        rect.left -= cw_ / 3;
        rect.right -= cw_ / 3;
      }
      element_text(s, rect, LEFT | VCENTER | SINGLELINE, r, c);
    }
    return;
  }

  if (c > 10 || (c == 0 && ((w0 >> 4) & 0xF) == 13)) return;
  const uint32_t word1 = row.cell[c].word[1];
  const uint32_t w = word1 & 0xFFFFFFF;
  const DeviceIndex d = index_of(word1);
  const std::string letter = d == Device::D ? "d" : letter_of(word1);
  const bool range = (w & 0x8000) != 0;
  std::string s;
  if (d == Device::X || d == Device::Y || d == Device::B || d == Device::R) {
    s = range ? format("%s%02X-%02X", letter.c_str(), w & 0x3FFF, (((w >> 16) & 0xFF) + (w & 0x3FFF)) & 0xFF)
              : format("%s%02X", letter.c_str(), w & 0x3FFF);
  } else if (d == Device::T || d == Device::C) {
    s = format("%s%d", letter.c_str(), w & 0x7FF);
  } else if (d == Device::J) {
    s = range ? format("J%01d%02d-%02d", (w & 0x7F00) >> 8, w & 0xFF, ((w >> 16) & 0x1F) + (w & 0xFF))
              : format("J%01d%02d", (w & 0x7F00) >> 8, w & 0xFF);
  } else if (range) {
    const uint32_t end = ((w >> 16) & 0xFF) + (w & 0x3FFF);
    const std::string end_text = std::to_string(end);
    s = format("%s%d-%s", letter.c_str(), w & 0x3FFF,
               (end_text.size() > 1 ? end_text.substr(end_text.size() - 2) : end_text).c_str());
  } else {
    s = format("%s%d", letter.c_str(), w & 0x3FFF);
  }
  element_text(s, {x0(c), y0 - ph_ / 10, x0(c) + cw_, y0 + ph_ / 4 + ph_ / 20}, CENTER | BOTTOM | SINGLELINE, r, c);
}

void Painter::cell(const LadderRow& row, int r, int c) {
  using namespace TextFormat;
  const uint32_t w0 = row.cell[c].word[0];
  const uint32_t code = (w0 >> 4) & SHIFTED_CODE_MASK;
  const int y0 = top(r);
  const int yp = y0 + ph_;
  const int xa = x0(c);
  const int xb = xa + cw_;
  const PixelRect cell_rect{xa, y0, xb, yp};
  const PixelRect to_rail{xa, y0, r_, yp};
  const uint32_t output_code = row_output_code(row);
  const uint32_t out_word = row.cell[12].word[0];
  const int band_top = y0 + ph_ / 2 - ph_ / 6;
  const int band_bottom = y0 + ph_ / 2 + ph_ / 6;

  switch (code) {
    case 1:
      picture(PIC_CONTACT_A, cell_rect, r, c);
      break;
    case 2:
      picture(PIC_CONTACT_B, cell_rect, r, c);
      break;
    case 3:
      picture(PIC_LIMIT_A, cell_rect, r, c);
      break;
    case 4:
      picture(PIC_LIMIT_B, cell_rect, r, c);
      break;
    case 5:
      picture(PIC_PUSH_A, cell_rect, r, c);
      break;
    case 6:
      picture(PIC_PUSH_B, cell_rect, r, c);
      break;
    case 7:
      picture(PIC_COIL, to_rail, r, c);
      break;
    case TIMER_OUTPUT_CODE | 8:
    case TIMER_OUTPUT_CODE | 9:
      picture(PIC_COIL_RIGHT, to_rail, r, c);
      break;
    case TIMER_COIL_CODE:
      picture(PIC_COIL_LEFT, cell_rect, r, c);
      break;
    case 11:
      picture(PIC_WIRE_H, cell_rect, r, c);
      break;
    case 12:
      picture(PIC_WIRE_TO_CHEVRON, cell_rect, r, c);
      break;
    case 13:
      picture(PIC_CHEVRON_TO_WIRE, cell_rect, r, c);
      break;
    case 15:
      picture(PIC_PULSE, cell_rect, r, c);
      break;
    case PartCode::BOX_FIRST: {
      const uint32_t k = output_code;
      const char* name = g_instruction_names[k] ? g_instruction_names[k] : "";
      const char* p = (out_word & 0x2000) != 0 ? "P" : "";
      if (g_operand_line_counts[k] == 0 && k != static_cast<uint32_t>(Instr::ASM)) {
        picture(PIC_BOX, to_rail, r, c);
        element_text(format("%s%s", name, p), {xa, band_top, xb, band_bottom}, CENTER | VCENTER | SINGLELINE, r, c);
      } else {
        picture(PIC_BOX_LEFT, cell_rect, r, c);
        const bool d_form = (out_word & 0x800) != 0 && !(k >= static_cast<uint32_t>(Instr::DAND) &&
                                                         k <= static_cast<uint32_t>(Instr::DXNR));
        element_text(format(d_form ? "D%s%s" : "%s%s", name, p), {xa + 10, band_top, xb + 10, y0 + ph_ / 2 + rh_ / 6},
                     LEFT | VCENTER | SINGLELINE, r, c);
      }
      break;
    }
    case PartCode::BOX_LAST:
      if (c == OUTPUT_COLUMN && (output_code == static_cast<uint32_t>(Instr::END) ||
                                 output_code == static_cast<uint32_t>(Instr::FEND))) {
        picture(PIC_BOX, to_rail, r, c);
        element_text(format("%s", g_instruction_names[output_code]), {xa, y0, r_, yp}, CENTER | VCENTER | SINGLELINE,
                     r, c);
      } else {
        picture(PIC_BOX_RIGHT, c == OUTPUT_COLUMN ? to_rail : cell_rect, r, c);
      }
      break;
    default:
      if (is_comparison_part(code)) {
        picture(PIC_BOX_LEFT, cell_rect, r, c);
        const char* name = g_instruction_names[(w0 >> 4) & 0xFF];
        element_text(name ? name : "", {xa + cw_ / 7, band_top, xb + cw_ + cw_ / 7, band_bottom},
                     LEFT | VCENTER | SINGLELINE, r, c);
      }
      break;
  }

  if (code == TIMER_COIL_CODE) {
    const uint32_t w11 = row.cell[OUTPUT_COLUMN].word[0];
    const uint32_t v = row.cell[OUTPUT_COLUMN].word[1];
    const std::string s = (w11 & CellFlags::OPERAND_SET) != 0 ? format("%s%d", letter_of(v), v & 0x7FF)
                                                               : format("%s", letter_of(v));
    element_text(s, {xa + 10, band_top, xb + 10, band_bottom}, LEFT | VCENTER | SINGLELINE, r, c);
  }
  if ((w0 & CellFlags::LINK_UP) != 0) picture(PIC_WIRE_V, {xa, y0 - rh_ + ph_ / 2, xb, y0 + ph_ / 2}, r, c);
  if ((w0 & CellFlags::OPERAND_SET) != 0) operands(row, r, c);
  if ((w0 & CellFlags::U_MARK) != 0) {
    const uint32_t w1 = row.cell[c].word[1];
    const std::string s = (w1 & 0x100000) != 0 ? format("U%d", (w1 >> 16) & 0xF) : std::string("U");
    element_text(s, {xa + cw_ / 4 - cw_, band_top, xb + cw_ / 4 - cw_, band_bottom}, CENTER | BOTTOM | SINGLELINE, r,
                 c);
  }
}

// Returns false when the rest of the row's columns are not painted.
bool Painter::cell_frames(const LadderRow&, int r, int c) {
  const int y0 = top(r);
  const int yp = y0 + ph_;
  const int xa = x0(c);
  int span = -1;
  if (in_.search_highlight) {
    for (int i = 0; i < VIEW_HIT_SLOTS && v_.hit_rows[i] != HIT_LIST_END; ++i)
      if (v_.hit_cols[i] == c && v_.hit_rows[i] == r) span = 0;
  }
  if (span < 0 && c == v_.sel_col && r == v_.sel_row) span = v_.sel_width;
  bool go_on = true;
  if (span >= 0) {
    PixelRect rect{xa, y0 - ph_ / 8, c + span >= 11 ? r_ - cw_ / 28 : xa + cw_ + span * cw_, yp - ph_ / 10};
    if (in_.comment_mode) {
      if (v_.sel_width == 10 || v_.sel_width == 11) {
        rect = {rect.left + 4, rect.top + 2, rect.right, yp + rh_ * v_.comment_display / 3 - rh_ / 5};
        go_on = false;
      } else {
        rect = {rect.left, y0 + ph_ / 2 + ph_ / 7, rect.right, yp + rh_ * v_.comment_display / 3 - rh_ / 19};
      }
      frame(rect, FRAME_GREEN, frame_width(), r, c);
    } else {
      frame({rect.left, rect.top + 2, rect.right, rect.bottom}, FRAME_BLUE, frame_width(), r, c);
    }
  }
  if (v_.marker_on && c == v_.marker_col && r == v_.marker_row) {
    const int x = xa - 7;
    const int y = y0 + ph_ / 2 - ph_ / 8;
    frame({x, y, x + 16, y + 16}, FRAME_BLUE, 2, r, c);
  }
  return go_on;
}

bool Painter::range_frame(int r, int first) {
  const LadderRow* row = row_at(r);
  if (row == nullptr) return false;
  if (!((v_.sel_col == SELECTION_WHOLE_ROWS && r == v_.sel_row) || (r == first && row->selected != 0))) return false;
  int k = 0;
  for (const LadderRow* q = row; q != nullptr && q->selected != 0 && !is_end_mark_row(*q); q = row_at(r + k)) ++k;
  const int y0 = top(r);
  const PixelRect rect = (r == v_.sel_row && v_.range_active != 0)
                             ? PixelRect{l_, y0 - ph_ / 11, r_, y0 + k * rh_ - ph_ / 11}
                             : PixelRect{l_, y0 - rh_, r_, y0 + k * rh_ - ph_ / 11};
  frame(rect, FRAME_BLUE, frame_width(), r, -1);
  return true;
}

void Painter::margin(const LadderRow& row, int r, int steps) {
  using namespace TextFormat;
  const int y0 = top(r);
  PixelRect rect{steps > 999 ? 10 : cw_ / 5 + 10, y0 - 6, l_ - 1, y0 + rh_ + 6};
  const uint32_t label = row.cell[LABEL_COLUMN].word[0];
  if ((label & CellFlags::U_MARK) != 0) {
    const uint32_t v = row.cell[LABEL_COLUMN].word[1];
    const std::string s = (label & CellFlags::OPERAND_SET) != 0 ? format("%s%d", letter_of(v), v & 0x3FF)
                                                                 : format("%s", letter_of(v));
    element_text(s, {rect.left, rect.top + v_.top_margin / 8, rect.right, rect.bottom}, CENTER | SINGLELINE, r,
                 LABEL_COLUMN);
  }
  text(format("%d", steps), rect, RIGHT | VCENTER | SINGLELINE, PaintFont::ELEMENT, BLACK,
       is_comment_row(row) ? COMMENT_STEP_FIELD : STEP_FIELD, r, LABEL_COLUMN);
}

void Painter::elements(int first, int last, int steps) {
  const int program_rows = list_.program_rows;
  for (int r = first; r <= last && r <= program_rows; ++r) {
    const LadderRow* row = row_at(r);
    if (row == nullptr) break;
    const bool comment = is_comment_row(*row);
    if (comment && range_frame(r, first)) continue;
    if (!comment) ++steps;
    const LadderRow* above = row_at(r - 1);
    if ((above != nullptr && is_end_row(*above)) || row->cell[0].word[0] == END_MARK_CELL ||
        (row->cell[0].word[0] & CellFlags::SPECIAL) != 0)
      break;
    for (int c = 0; c <= OUTPUT_COLUMN; ++c) {
      const uint32_t w0 = row->cell[c].word[0];
      if ((w0 & 0xF) != 0 && !comment) cell(*row, r, c);
      if (!cell_frames(*row, r, c)) break;
    }
    if (!comment && !range_frame(r, first) && v_.sel_col == LABEL_MARGIN_COLUMN && r == v_.sel_row) {
      const int y0 = top(r);
      if (in_.comment_mode)
        frame({0, y0 + ph_ / 4, l_ - 1, y0 + rh_ + rh_ / 4}, FRAME_GREEN, frame_width(), r, LABEL_COLUMN);
      else
        frame({0, y0, l_ - 1, y0 + rh_}, FRAME_BLUE, frame_width(), r, LABEL_COLUMN);
    }
    margin(*row, r, steps);
  }
}

DisplayList Painter::run() {
  if (rh_ <= 0 || cw_ <= 0) return {};
  const int first = std::max(0, in_.update.top / rh_ + v_.top_row);
  const int last = std::min(MAX_GRID_ROWS, in_.update.bottom / rh_ + v_.top_row) + 1;
  rails();
  ticks();
  int steps = 0;
  for (int r = 0; r < first; ++r) {
    const LadderRow* row = row_at(r);
    if (row == nullptr) break;
    if (!is_comment_row(*row)) ++steps;
  }
  comment_rows(first, last);
  // The comments of the row above reach down into the first row: drawn again, or the part
  // inside the update area stays erased.
  comments(std::max(0, first - 1), last);
  list_.program_rows = count_program_rows(in_.grid);
  elements(first, last, steps);
  return std::move(list_);
}

}  // namespace

std::string comment_first_word(std::string_view comment) {
  // Blanks and line feeds are never trail bytes of a double-byte character.
  return std::string(comment.substr(0, comment.find_first_of(" \n")));
}

std::string fold_text_row(std::string_view text) {
  std::string out(text);
  size_t line_start = 0;
  int breaks = 0;
  size_t previous_character = std::string::npos;  // start of the character before the current one
  for (size_t i = 0; i < out.size(); i += sjis_char_length(out, i)) {
    if (out[i] == '/' && i - line_start + 1 > static_cast<size_t>(TEXT_ROW_LINE_LIMIT)) {
      if (breaks == COMMENT_BREAKS_MAX) {
        out.resize(previous_character == std::string::npos ? i : previous_character);
        return out;
      }
      out[i] = '\n';
      ++breaks;
      line_start = i + 1;
    }
    previous_character = i;
  }
  return out;
}

FontSize cell_font_size(std::string_view face, int client_width, int part_height, int a, int b) {
  if (a == 0 || b == 0) return {0, 0};
  if (face == "Courier New")
    return {std::clamp(client_width * 10 / a, 80, 124), std::clamp(part_height * 100 / 3 / b, 80, 174)};
  if (face == "Arial")
    return {std::clamp(client_width * 9 / a, 80, 108), std::clamp(part_height * 90 / 3 / b, 80, 150)};
  return {std::clamp(client_width * 13 / a, 43, 114), std::clamp(part_height * 242 / 10 / b, 73, 192)};
}

DisplayList build_design_display_list(const PaintInputs& in) {
  if (in.view == nullptr) return {};
  return Painter(in).run();
}
