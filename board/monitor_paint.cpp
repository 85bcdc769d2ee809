#include "board/monitor_paint.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string_view>

#include "core/bounded_text.h"
#include "core/device_tables.h"
#include "core/instruction_tables.h"
#include "design/element_pictures.h"
#include "design/view_geometry.h"
#include "target/device_images.h"
#include "target/monitor_operands.h"
#include "target/runtime_tables.h"

namespace {

constexpr uint32_t STOP_ROW = CellFlags::SPECIAL;
constexpr uint32_t SHIFTED_CODE_MASK = 0x31FF;
constexpr int LINK_BELOW_ROW = 10;  // the eleventh visible row draws the link to the row below

// A picture of one of the two sets: source << 8 | plain slot.
constexpr int plain(int slot) { return MONITOR_PLAIN_SOURCE << 8 | slot; }
constexpr int bright(int slot) { return MONITOR_BRIGHT_SOURCE << 8 | slot; }

std::string format(const char* fmt, auto... args) {
  char buffer[128];
  const int n = std::snprintf(buffer, sizeof buffer, fmt, args...);
  return std::string(buffer, static_cast<size_t>(std::clamp(n, 0, static_cast<int>(sizeof buffer) - 1)));
}

PaintItem make_item(PaintKind kind, PixelRect rect, int row, int column) {
  PaintItem item{};
  item.kind = kind;
  item.rect = rect;
  item.row = row;
  item.column = column;
  return item;
}

bool is_stop_row(const LadderRow& row) {
  return (row.cell[0].word[0] & STOP_ROW) != 0 || row.cell[0].word[0] == END_MARK_CELL;
}

const char* name_of(int code) {
  const char* name =
      code >= 0 && static_cast<size_t>(code) < g_instruction_names.size() ? g_instruction_names[static_cast<size_t>(code)] : nullptr;
  return name != nullptr ? name : "";
}

class MonitorPainter {
 public:
  explicit MonitorPainter(const MonitorPaintInputs& in)
      : in_(in),
        v_(*in.view),
        w_(v_.cell_width),
        h_(v_.row_height),
        p_(v_.part_height),
        l_(v_.left_rail_x),
        rr_(v_.right_rail_x) {}

  DisplayList run();

 private:
  int top(int r) const { return (r - v_.top_row) * h_ + v_.top_margin; }
  PixelRect picture_rect(int r, int j) const { return {j * w_ + l_, top(r), (j + 1) * w_ + l_, top(r) + p_}; }
  PixelRect band_rect(int r, int j) const { return {j * w_ + l_, top(r), (j + 1) * w_ + l_, top(r) + h_}; }
  const LadderRow* row_at(int index) const { return grid_row_at(in_.grid, index); }

  void picture(int code, PixelRect rect, int r, int j) {
    if (code < 0) return;
    const int source = code >> 8;
    int slot = code & 0xFF;
    if (slot != PIC_BOX) slot = picture_in_set(slot, in_.picture_set);
    PaintItem item = make_item(PaintKind::PICTURE, rect, r, j);
    item.picture = slot;
    item.picture_source = static_cast<uint8_t>(source);
    list_.items.push_back(item);
  }
  void pictures(PickedPictures picked, PixelRect rect, int r, int j) {
    picture(picked.first, rect, r, j);
    picture(picked.second, rect, r, j);
  }
  void state_picture(uint32_t state, int slot, PixelRect rect, int r, int j) {
    // The pickers' bold choice is made by picture() for every picture but PIC_BOX.
    picture((state & STATE_LIT) ? bright(slot) : plain(slot), rect, r, j);
  }
  void text(std::string s, PixelRect rect, uint32_t flags, PaintFont font, uint32_t colour, int r, int j,
            uint32_t background = MONITOR_BACKGROUND) {
    PaintItem item = make_item(PaintKind::TEXT, rect, r, j);
    item.font = font;
    item.colour = colour;
    item.background = background;
    item.format = flags;
    item.text = std::move(s);
    list_.items.push_back(std::move(item));
  }
  void frame(PixelRect rect, uint32_t colour, int width, int r, int j) {
    PaintItem item = make_item(PaintKind::FRAME, rect, r, j);
    item.colour = colour;
    item.width = width;
    list_.items.push_back(item);
  }
  void line(int x1, int y1, int x2, int y2, uint32_t colour, int width) {
    PaintItem item = make_item(PaintKind::LINE, {x1, y1, x2, y2}, -1, -1);
    item.colour = colour;
    item.width = width;
    list_.items.push_back(item);
  }

  void comment_rows(int first, int last);
  void comments(int first, int last);
  void cells(int first, int last);
  void part(const LadderRow& row, int r, int j, uint32_t state);
  void live_frame(const LadderRow& row, int r, int j, uint32_t state);
  void margin(const LadderRow& row, int r, int counted);

  const MonitorPaintInputs& in_;
  const ViewState& v_;
  const int w_, h_, p_, l_, rr_;
  DisplayList list_;
};

DisplayList MonitorPainter::run() {
  if (h_ <= 0 || w_ <= 0) return std::move(list_);
  // Rows of the update rectangle, within the rows allocated for the grid.
  const int first = std::max(0, in_.update.top / h_ + v_.top_row);
  const int last = std::min({MAX_GRID_ROWS, in_.update.bottom / h_ + v_.top_row, static_cast<int>(in_.grid.size()) - 1}) + 1;
  const int rail_width = in_.double_lines ? 2 : 1;
  line(rr_, 0, rr_, in_.client_height, MONITOR_BRIGHT_LINE, rail_width);
  if (in_.picture_set != 0) line(rr_ + 1, 0, rr_ + 1, in_.client_height, MONITOR_BRIGHT_LINE, rail_width);
  comment_rows(first, last);
  comments(first, last);
  cells(first, last);
  return std::move(list_);
}

void MonitorPainter::comment_rows(int first, int last) {
  const PaintFont font = v_.comment_display != 0 ? PaintFont::COMMENT_ROW_COMPACT : PaintFont::COMMENT_ROW;
  for (int r = first; r < last; ++r) {
    const LadderRow* row = row_at(r);
    if (row == nullptr || is_stop_row(*row)) break;
    const int y = top(r) + h_ / 6;
    if (is_comment_row(*row)) {
      text(std::string(bounded(row->row_text(), ROW_TEXT_SIZE)), {l_ + w_ / 2, y, in_.client_width - w_ / 18, y + h_},
           TextFormat::LEFT, font, MONITOR_COMMENT_ROW_TEXT, r, -1);
    } else if ((row->cell[1].word[0] & CellFlags::COMMENT_ROW) != 0) {
      text(fold_text_row(bounded(row->text[1], ROW_TEXT_SIZE - CELL_TEXT_SIZE)),
           {2 * w_ + l_ + w_ / 2, y, in_.client_width - w_ / 18, y + h_}, TextFormat::LEFT, font,
           MONITOR_COMMENT_ROW_TEXT, r, -1);
    }
  }
}

void MonitorPainter::comments(int first, int last) {
  for (int r = first; r < last; ++r) {
    const LadderRow* row = row_at(r);
    if (row == nullptr) break;
    const int y0 = top(r);
    const uint32_t label = row->cell[LABEL_COLUMN].word[0];
    if ((label & CellFlags::HAS_COMMENT) != 0) {
      const std::string all(bounded(row->text[LABEL_COLUMN], CELL_TEXT_SIZE));
      char words[3][CELL_TEXT_SIZE] = {};
      const int n = std::sscanf(all.c_str(), "%99s %99s %99s", words[0], words[1], words[2]);
      std::string shown = all;
      if (v_.comment_display == 0 && n >= 3 && (label & CellFlags::TIMER_OUTPUT) != 0)
        shown = std::string(words[0]) + "\n" + words[1];
      text(shown, {w_ / 20, y0 + 3 * h_ / 8, l_ - w_ / 20, y0 + h_ + 3 * h_ / 8}, TextFormat::LEFT,
           PaintFont::CELL_COMMENT, MONITOR_LABEL_TEXT, r, LABEL_COLUMN);
    }
    const LadderRow* below = row_at(r + 1);
    for (int j = 0; j <= OUTPUT_COLUMN; ++j) {
      const std::string_view comment = bounded(row->text[j], CELL_TEXT_SIZE);
      if ((row->cell[j].word[0] & CellFlags::HAS_COMMENT) == 0 || comment.empty()) continue;
      const int t = y0 + 3 * p_ / 5 + 3 * p_ / 25;
      const int b = t + 13 * h_ / 20 + 2 * h_ / 40;
      const PixelRect rect = j < OUTPUT_COLUMN ? PixelRect{j * w_ + l_ + w_ / 12, t, (j + 1) * w_ + l_, b}
                                               : PixelRect{rr_ - w_ + w_ / 12, t, rr_, b};
      bool first_word_only = false;
      if (v_.comment_display == 0 && below != nullptr)
        first_word_only = is_comment_row(*below) || (below->cell[j].word[0] & 0x9) == 0x8;
      std::string shown(comment);
      if (first_word_only) shown = comment_first_word(comment);
      text(shown, rect, TextFormat::LEFT | TextFormat::WORDBREAK, PaintFont::CELL_COMMENT, MONITOR_LABEL_TEXT, r, j);
    }
  }
}

void MonitorPainter::cells(int first, int last) {
  using namespace TextFormat;
  int counted = 0;  // comment rows met so far, those above the first painted row included
  for (int r = 0; r < first; ++r) {
    const LadderRow* row = row_at(r);
    if (row == nullptr || is_stop_row(*row)) break;
    if (is_comment_row(*row)) ++counted;
  }
  const MonitorGeometry geometry{v_.top_row, h_, p_, v_.top_margin, w_, l_};
  for (int r = first; r < last; ++r) {
    const LadderRow* row_pointer = row_at(r);
    if (row_pointer == nullptr || is_stop_row(*row_pointer)) break;
    const LadderRow& row = *row_pointer;
    if (is_comment_row(row)) {
      const int y = top(r);
      state_picture(row.cell[0].word[2], PIC_WIRE_V, {l_, y + p_ / 2 - h_, l_ + w_, y + p_ - p_ / 2}, r, 0);
      ++counted;
      margin(row, r, counted);
      continue;
    }
    for (int j = 0; j <= OUTPUT_COLUMN; ++j) {
      const LadderCell& cell = row.cell[j];
      const uint32_t w0 = cell.word[0];
      const PixelRect pic = picture_rect(r, j);
      uint32_t state = 0;
      bool not_polled = false;
      bool ends = false;
      if ((w0 & 0xF) != 0) {
        state = in_.monitor_screen ? monitor_device_state(cell.word[1], not_polled) : cell.word[2];
        part(row, r, j, state);
        if ((w0 & CellFlags::LINK_UP) != 0) {
          uint32_t link_state = state & ~STATE_LIT;
          if (j == 0 && !in_.monitor_screen && r == counted) link_state |= STATE_LIT;
          state_picture(link_state, PIC_WIRE_V, {pic.left, pic.top + p_ / 2 - h_, pic.right, pic.top + p_ - p_ / 2}, r,
                        j);
        }
        MonitorCellTexts texts;
        ends = format_monitor_cell(row, r, j, geometry, texts) == MONITOR_CELL_ENDS;
        for (int i = 0; i < texts.count; ++i) {
          const MonitorText& t = texts.item[static_cast<size_t>(i)];
          std::string shown(bounded(t.text.data(), t.text.size()));
          // A register value the word poll could not ask for is not another register's.
          if (t.colour == MONITOR_VALUE_COLOUR && in_.monitor_screen &&
              (cell.word[3] & ValueMark::WORD) != 0 && operand_device_index(cell.word[3]) == Device::D &&
              is_word_not_polled(Device::D, cell.word[3] & 0xFFFF))
            shown = NOT_POLLED_MARK;
          text(shown, {t.rect.left, t.rect.top, t.rect.right, t.rect.bottom}, t.format, PaintFont::ELEMENT, t.colour,
               r, j);
        }
        if (in_.monitor_screen && not_polled && (w0 & 0xD) == 8)
          text(NOT_POLLED_MARK, {pic.left - 8, pic.top - p_ / 11, pic.right - 8, pic.top + p_ / 3},
               RIGHT | SINGLELINE, PaintFont::ELEMENT, MONITOR_VALUE_COLOUR, r, j);
      }
      if (ends) continue;
      // Link below the eleventh visible row.
      if (r - v_.top_row == LINK_BELOW_ROW) {
        const LadderRow* next = row_at(r + 1);
        if (next != nullptr && (next->cell[j].word[0] & CellFlags::LINK_UP) != 0 &&
            (next->cell[0].word[0] & STOP_ROW) == 0)
          picture(bright(PIC_WIRE_V_LOWER), band_rect(r, j), r, j);
      }
      // The U mark of a jump.
      if ((w0 & CellFlags::U_MARK) != 0) {
        const std::string mark = format("U%d", static_cast<int>((cell.word[1] >> 16) & 7));
        PixelRect rect;
        if (j != 0 && (row.cell[j - 1].word[0] & CellFlags::PRESENT) == 0) {
          const int dx = w_ - w_ / 4;
          rect = {pic.left - dx, pic.top + p_ / 2 - p_ / 6, pic.right - dx, pic.top + p_ / 2 + p_ / 6};
        } else {
          const int dx = w_ - w_ / 3;
          rect = {pic.left - dx, pic.top + p_ / 2, pic.right - dx, pic.top + p_ / 2 + 4 * p_ / 9};
        }
        text(mark, rect, BOTTOM | CENTER | SINGLELINE, PaintFont::ELEMENT, MONITOR_TEXT, r, j);
      }
      // The selection.
      if (j == v_.sel_col && r == v_.sel_row) {
        const int right = j == OUTPUT_COLUMN ? rr_ - w_ / 28 : pic.right;
        frame({pic.left, pic.top - p_ / 6 + 2, right, pic.bottom + p_ / 10 + 2}, MONITOR_SELECTION, 1, r, j);
      }
      if (in_.monitor_screen && !not_polled) live_frame(row, r, j, state);
    }
    margin(row, r, counted);
  }
}

void MonitorPainter::part(const LadderRow& row, int r, int j, uint32_t state) {
  using namespace TextFormat;
  const uint32_t w0 = row.cell[j].word[0];
  const uint32_t code = (w0 >> 4) & SHIFTED_CODE_MASK;
  const PixelRect pic = picture_rect(r, j);
  const PixelRect to_rail{pic.left, pic.top, rr_, pic.bottom};
  const int band_top = pic.top + p_ / 2 - p_ / 6;
  const int band_bottom = pic.top + p_ / 2 + p_ / 6;
  const int instruction = static_cast<int>(row_output_code(row));
  const bool lit = (state & STATE_LIT) != 0;
  switch (code) {
    case 1:
      pictures(draw_contact_symbol_a(state, bright(PIC_BOX_CONTACT_A), plain(PIC_BOX_CONTACT_A), plain(PIC_CONTACT_A),
                                     bright(PIC_CONTACT_A_LEFT)), pic, r, j);
      break;
    case 2:
      pictures(draw_contact_symbol_b(state, plain(PIC_CONTACT_TICKED), bright(PIC_CONTACT_TICKED_LEFT),
                                     bright(PIC_BOX_CONTACT_B), plain(PIC_BOX_CONTACT_B)), pic, r, j);
      break;
    case 3:
      pictures(draw_contact_symbol_a(state, bright(PIC_LIMIT_A_ACTUATED), plain(PIC_LIMIT_A_ACTUATED),
                                     plain(PIC_LIMIT_A), bright(PIC_TERMINAL_LEFT)), pic, r, j);
      break;
    case 4:
      pictures(draw_contact_symbol_b(state, plain(PIC_LIMIT_B_ACTUATED), bright(PIC_TERMINAL_LEFT), bright(PIC_LIMIT_B),
                                     plain(PIC_LIMIT_B)), pic, r, j);
      break;
    case 5:
      pictures(draw_contact_symbol_a(state, bright(PIC_PUSH_A_ACTUATED), plain(PIC_PUSH_A_ACTUATED), plain(PIC_PUSH_A),
                                     bright(PIC_TERMINAL_LEFT)), pic, r, j);
      break;
    case 6:
      pictures(draw_contact_symbol_b(state, plain(PIC_PUSH_B_ACTUATED), bright(PIC_TERMINAL_LEFT), bright(PIC_PUSH_B),
                                     plain(PIC_PUSH_B)), pic, r, j);
      break;
    case 7:
      if (lit) {
        picture(bright(PIC_COIL), to_rail, r, j);
      } else {
        picture(plain(PIC_COIL), to_rail, r, j);
        picture(bright(PIC_COIL_RIGHT), to_rail, r, j);
      }
      break;
    case 11:
      state_picture(state, PIC_WIRE_H, pic, r, j);
      break;
    case 12:
      state_picture(state, PIC_WIRE_TO_CHEVRON, pic, r, j);
      break;
    case 13:
      state_picture(state, PIC_CHEVRON_TO_WIRE, pic, r, j);
      break;
    case 15:
      pictures(draw_contact_symbol_a(state, bright(PIC_PULSE), plain(PIC_PULSE), plain(PIC_PULSE), plain(PIC_PULSE)),
               pic, r, j);
      break;
    case PartCode::BOX_LAST:
      if (j == OUTPUT_COLUMN) {
        if (instruction == Instr::END || instruction == Instr::FEND || instruction == Instr::IEND) {
          picture(lit ? bright(PIC_BOX) : plain(PIC_BOX), to_rail, r, j);
          text(name_of(instruction), {pic.left, band_top, pic.right, band_bottom}, CENTER | VCENTER | SINGLELINE,
               PaintFont::ELEMENT, MONITOR_TEXT, r, j);
        } else {
          picture(bright(PIC_BOX_RIGHT), to_rail, r, j);
        }
      } else {
        state_picture(state, PIC_BOX_RIGHT, pic, r, j);
      }
      break;
    case PartCode::BOX_FIRST: {
      const uint32_t out_word = row.cell[12].word[0];
      const bool no_lines = g_operand_line_counts[static_cast<size_t>(instruction)] == 0;
      if (no_lines && instruction != Instr::ASM) {
        picture(lit ? bright(PIC_BOX) : plain(PIC_BOX), to_rail, r, j);
        text(name_of(instruction), {pic.left, band_top, pic.right, band_bottom}, CENTER | VCENTER | SINGLELINE,
             PaintFont::ELEMENT, MONITOR_TEXT, r, j);
      } else {
        uint32_t box_state = state;
        if (instruction == Instr::SET)
          box_state = (state & ~STATE_LIT) | ((row.cell[OUTPUT_COLUMN].word[2] & STATE_ON) ? STATE_LIT : 0);
        state_picture(box_state, PIC_BOX_LEFT, pic, r, j);
        const bool d_form = (out_word & 0x800) != 0 && !(instruction >= Instr::DAND && instruction <= Instr::DXNR);
        const char p = (out_word & 0x2000) != 0 ? 'P' : '\0';
        std::string name = format(d_form ? "D%s" : "%s", name_of(instruction));
        if (p != '\0') name += p;
        text(name, {pic.left + 10, band_top, pic.right + 10, band_bottom}, LEFT | VCENTER | SINGLELINE,
             PaintFont::ELEMENT, MONITOR_TEXT, r, j);
      }
      break;
    }
    case 4104:
    case 4105:
      picture(bright(PIC_COIL_RIGHT), to_rail, r, j);
      break;
    case 8192: {
      state_picture(state, PIC_COIL_LEFT, pic, r, j);
      const LadderCell& out = row.cell[OUTPUT_COLUMN];
      char letter[8] = {};
      device_letter_of_operand(out.word[1], letter);
      const std::string label = (out.word[0] & CellFlags::OPERAND_SET) != 0
                                    ? format("%s%d", letter, static_cast<int>(out.word[1] & 0x7FF))
                                    : std::string(letter);
      text(label, {pic.left + 10, band_top, pic.right + 10, band_bottom}, LEFT | VCENTER | SINGLELINE,
           PaintFont::ELEMENT, MONITOR_TEXT, r, j);
      break;
    }
    default:
      if ((code >= 449 && code <= 454) || (code >= 457 && code <= 462)) {
        state_picture(state, PIC_BOX_LEFT, pic, r, j);
        text(name_of(static_cast<int>((w0 >> 4) & 0xFF)), {pic.left + w_ / 7, band_top, pic.right + w_ + w_ / 7, band_bottom},
             LEFT | VCENTER | SINGLELINE, PaintFont::ELEMENT, MONITOR_TEXT, r, j);
      }
      break;
  }
}

void MonitorPainter::live_frame(const LadderRow& row, int r, int j, uint32_t state) {
  const uint32_t w0 = row.cell[j].word[0];
  if ((w0 & 0xD) != 8 || operand_device_index(row.cell[j].word[1]) == Device::J) return;
  const uint32_t x = (w0 >> 4) & 0xFF;
  const bool on = (state & STATE_ON) != 0;
  const PixelRect pic = picture_rect(r, j);
  PixelRect rect;
  bool framed = false;
  if (j == OUTPUT_COLUMN && (w0 & CellFlags::BOX) != 0) {
    const int instruction = static_cast<int>(row_output_code(row));
    framed = instruction >= Instr::SET && instruction <= Instr::RST && on;
    rect = {pic.left, pic.top + p_ / 5, pic.right - w_ / 3, pic.bottom - p_ / 5};
  } else if (j == OUTPUT_COLUMN && (x == 8 || x == 9)) {
    framed = on;
    rect = {pic.left - w_, pic.top + p_ / 5, pic.right - w_ - w_ / 7, pic.bottom - p_ / 5};
  } else if (j == OUTPUT_COLUMN && x >= 1 && x <= 9) {
    framed = on;
    rect = {pic.left, pic.top + p_ / 5, pic.right - w_ / 7, pic.bottom - p_ / 5};
  } else if (j < OUTPUT_COLUMN && x >= 1 && x <= 9) {
    framed = (x % 2 == 1) == on;
    rect = {pic.left + w_ / 7, pic.top + p_ / 5, pic.right - w_ / 7, pic.bottom - p_ / 5};
  }
  if (!framed) return;
  rect = {rect.left + w_ / 10, rect.top + p_ / 20, rect.right - w_ / 10, rect.bottom - p_ / 20};
  frame(rect, MONITOR_LIVE_FRAME, std::max(2, w_ / 28) + in_.picture_set, r, j);
}

void MonitorPainter::margin(const LadderRow& row, int r, int counted) {
  using namespace TextFormat;
  const int y = top(r);
  const PixelRect rect{1, y, l_ - 1, y + h_};
  const LadderCell& label = row.cell[LABEL_COLUMN];
  if ((label.word[0] & CellFlags::U_MARK) != 0)
    text(format("P%d", static_cast<int>(label.word[1] & 0x3FF)), rect, CENTER | TOP | SINGLELINE, PaintFont::ELEMENT,
         MONITOR_TEXT, r, LABEL_COLUMN);
  const uint32_t field = is_comment_row(row) ? MONITOR_COMMENT_ROW_NUMBER_FIELD : MONITOR_ROW_NUMBER_FIELD;
  text(format("%d", r + 1 - counted), rect, RIGHT | VCENTER | SINGLELINE, PaintFont::ELEMENT, MONITOR_TEXT, r,
       LABEL_COLUMN, field);
}

}  // namespace

PickedPictures draw_contact_symbol_a(uint32_t state, int p1, int p2, int p3, int p4) {
  const bool on = (state & STATE_ON) != 0;
  const bool lit = (state & STATE_LIT) != 0;
  if (on) return {lit ? p1 : p2, -1};
  return {p3, lit ? p4 : -1};
}

PickedPictures draw_contact_symbol_b(uint32_t state, int p1, int p2, int p3, int p4) {
  const bool on = (state & STATE_ON) != 0;
  const bool lit = (state & STATE_LIT) != 0;
  if (on) return {p1, lit ? p2 : -1};
  return {lit ? p3 : p4, -1};
}

int draw_state_symbol(uint32_t state, int picture_set, int q1, int q2, int q3, int q4) {
  const bool lit = (state & STATE_LIT) != 0;
  if (picture_set != 0) return lit ? q1 : q2;
  return lit ? q3 : q4;
}

uint32_t monitor_device_state(uint32_t operand, bool& not_polled) {
  not_polled = false;
  if (operand_device_index(operand) == Device::J) {
    const int group = j_group(operand);
    if (group >= J_GROUPS) return 0;
    return g_active_steps[static_cast<size_t>(group)] == j_step(operand) ? STATE_ON : 0;
  }
  if (is_bit_not_polled(operand)) {
    not_polled = true;
    return 0;
  }
  const DeviceImageEntry* entry = polled_image_entry(operand);
  if (entry == nullptr) return 0;
  return (static_cast<uint32_t>(entry->word[0]) >> (operand & 15)) & 1;
}

DisplayList build_monitor_display_list(const MonitorPaintInputs& in) {
  if (in.view == nullptr) return {};
  return MonitorPainter(in).run();
}
