#include "design/number_entry.h"

#include <cctype>
#include <cstdio>

#include "core/device_tables.h"
#include "core/instruction_tables.h"
#include "design/view_geometry.h"

NumberEntryState g_number_entry;

char keypad_char_of_id(int id) {
  if (id >= keypad_id_of_char('0') && id <= keypad_id_of_char('9')) return static_cast<char>(id - 0x507);
  if (id < keypad_id_of_char('A') || id > keypad_id_of_char('Y')) return 0;
  const char c = static_cast<char>(id - 0x500);
  // The keypad has no G, N, O and Q keys (Z is past the range).
  return c == 'G' || c == 'N' || c == 'O' || c == 'Q' ? 0 : c;
}

void NumberEntryState::open() {
  mode = NumberEntryMode::NUMBER;
  mode_button = NumberDialogId::MODE_NUMBER;
  count = 0;
}

void NumberEntryState::close() { mode = NumberEntryMode::NUMBER; }

void NumberEntryState::choose_mode(int button) {
  mode_button = button;
  mode = button - NumberDialogId::MODE_NUMBER;
  count = 0;
}

bool NumberEntryState::end_run() {
  if (mode < NumberEntryMode::CONSECUTIVE) return false;
  count = 0;
  if (mode != NumberEntryMode::EMPTY) return false;
  choose_mode(NumberDialogId::MODE_NUMBER);
  return true;
}

bool number_store_allowed(uint32_t w) {
  const bool crossed_part = (w & CellFlags::LINE) && (w & CellFlags::PRESENT);
  return !crossed_part || (w & CellFlags::U_MARK);
}

namespace {

bool is_hex_letter(char c) {
  switch (std::toupper(static_cast<unsigned char>(c))) {
    case 'X': case 'Y': case 'S': case 'B': case 'R':
      return true;
    default:
      return false;
  }
}

// The digits after the letter, read in `base`; false without a digit or past 24 bits.
bool read_number(std::string_view digits, int base, uint32_t& number) {
  number = 0;
  size_t i = 0;
  for (; i < digits.size(); ++i) {
    const int c = std::toupper(static_cast<unsigned char>(digits[i]));
    int v;
    if (c >= '0' && c <= '9') {
      v = c - '0';
    } else if (base == 16 && c >= 'A' && c <= 'F') {
      v = c - 'A' + 10;
    } else {
      break;
    }
    number = number * static_cast<uint32_t>(base) + static_cast<uint32_t>(v);
    if (number > 0xFFFFFF) return false;
  }
  return i > 0;
}

std::string_view trim(std::string_view s) {
  while (!s.empty() && std::isspace(static_cast<unsigned char>(s.front()))) s.remove_prefix(1);
  while (!s.empty() && std::isspace(static_cast<unsigned char>(s.back()))) s.remove_suffix(1);
  return s;
}

NextNumber ready(std::string text) { return {NextNumber::READY, std::move(text)}; }
NextNumber refused() { return {NextNumber::REFUSED, {}}; }

// The operand of a SET, RST, PLS, PLF or SFT box plus one. The number is read and written
// in the radix the box operand reader uses for its letter, so that the next click stores
// the device that follows.
NextNumber next_box_operand(InstructionCode code, std::string_view text) {
  text = trim(text);
  size_t blank = 0;
  while (blank < text.size() && !std::isspace(static_cast<unsigned char>(text[blank]))) ++blank;
  const std::string_view operand = trim(text.substr(blank));
  if (operand.size() < 2) return refused();
  const DeviceIndex device = device_letter_to_index(operand[0]);
  if (device < 0) return refused();
  const bool hex = g_box_operand_radix[static_cast<size_t>(device)] == DeviceRadix::HEX;
  uint32_t number = 0;
  if (!read_number(operand.substr(1), hex ? 16 : 10, number)) return refused();
  const char* name = g_instruction_names[static_cast<size_t>(code)];
  char out[64];
  std::snprintf(out, sizeof out, hex ? "%s %c%X" : "%s %c%u", name, operand[0], number + 1);
  return ready(out);
}

NextNumber next_device(std::string_view text) {
  text = trim(text);
  if (text.size() < 2) return refused();
  const char letter = text[0];
  const char upper = static_cast<char>(std::toupper(static_cast<unsigned char>(letter)));
  // A P label ends the run: labels are not numbered in turn.
  if (upper == 'P') return {NextNumber::STOP, {}};
  uint32_t number = 0;
  char out[64];
  if (upper == 'J') {
    // A J range (J1-J5 or its stored range bit) has no next number.
    if (text.find('-') != std::string_view::npos) return refused();
    if (!read_number(text.substr(1), 16, number) || (number & OperandBits::J_RANGE)) return refused();
    ++number;
    std::snprintf(out, sizeof out, "%c%u%02u", letter, number >> 8, number & 0xFF);
    return ready(out);
  }
  if (is_hex_letter(letter)) {
    if (!read_number(text.substr(1), 16, number)) return refused();
    std::snprintf(out, sizeof out, "%c%X", letter, number + 1);
    return ready(out);
  }
  if (!read_number(text.substr(1), 10, number)) return refused();
  std::snprintf(out, sizeof out, "%c%u", letter, number + 1);
  return ready(out);
}

}  // namespace

NextNumber next_number(ConstGridSpan grid, const ViewState& view, std::string_view stored) {
  const LadderRow* row = grid_row_at(grid, view.cursor_row);
  if (row == nullptr || view.cursor_col < 0 || view.cursor_col >= ROW_CELLS) return refused();
  const uint32_t w = row->cell[view.cursor_col].word[0];
  const bool on_picture = view.click_dx >= 0;
  if ((on_picture && (w & CellFlags::COMPARISON)) || (w & CellFlags::U_MARK)) return refused();
  const InstructionCode code = static_cast<InstructionCode>(row->cell[12].word[0] & 0x1FF);
  if (on_picture && (w & CellFlags::OUTPUT) && code != Instr::OUT) {
    const bool counts = (code >= Instr::SET && code <= Instr::SET + 3) || code == Instr::SFT;
    return counts ? next_box_operand(code, stored) : refused();
  }
  return next_device(stored);
}

namespace {

KeypadEdit start_edit(std::u16string_view text, int caret) {
  KeypadEdit e;
  e.text = std::u16string(text.substr(0, KEYPAD_TEXT_LIMIT));
  e.caret = caret;
  return e;
}

bool caret_found(int caret) { return caret >= 0 && caret <= KEYPAD_CARET_STEPS; }

}  // namespace

KeypadEdit keypad_text_insert(std::u16string_view text, int caret, char16_t c) {
  KeypadEdit e = start_edit(text, caret);
  if (!caret_found(caret)) return e;
  const size_t at = std::min(static_cast<size_t>(caret), e.text.size());
  e.text.insert(at, 1, c);
  e.caret = static_cast<int>(at) + 1;
  e.changed = true;
  return e;
}

KeypadEdit keypad_text_backspace(std::u16string_view text, int caret) {
  KeypadEdit e = start_edit(text, caret);
  if (!caret_found(caret) || caret == 0) return e;
  const size_t at = std::min(static_cast<size_t>(caret), e.text.size());
  if (at == 0) return e;
  e.text.erase(at - 1, 1);
  e.caret = static_cast<int>(at) - 1;
  e.changed = true;
  return e;
}

KeypadEdit keypad_text_delete(std::u16string_view text, int caret) {
  KeypadEdit e = start_edit(text, caret);
  if (!caret_found(caret)) return e;
  const size_t at = static_cast<size_t>(caret);
  if (at >= e.text.size()) return e;
  e.text.erase(at, 1);
  e.changed = true;
  return e;
}
