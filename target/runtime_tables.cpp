#include "target/runtime_tables.h"

#include <cstring>

namespace {

DeviceBitImage usage_image_store{};
UsedDeviceList used_list_store{};

// ---- Record fields ------------------------------------------------------------------------------
constexpr uint32_t RECORD_CODE_MASK = 0x1FF;
constexpr uint32_t CONSTANT_BIT_0 = 0x100000;   // operand k (from 0) is a constant: bit 20 + k
constexpr uint32_t SECOND_MARK_SHIFT = 16;
constexpr uint32_t INTERRUPT_SECTION = 0x10000; // the second-mark flag of the section after LD M9050-M9089
constexpr uint32_t SECTION_RELAY_FIRST = 9050;
constexpr uint32_t SECTION_RELAY_LAST = 9089;
constexpr int MAX_RECORD_OPERANDS = 4;          // words 1-4
constexpr int COMPARISON_OPERANDS = 3;          // word 1 (the comparison code, skipped), words 2 and 3

// The resets stop after this many TIM or CNT records.
constexpr int TIM_RESET_LIMIT = 2048;
constexpr int CNT_RESET_LIMIT = 4096;

// ---- Grid fields ----------------------------------------------------------------------------------
constexpr int CODE_CELL = 12;
constexpr int TIMER_COIL_CELL = 10;
constexpr int STEP_NAME_CELL = 8;               // the first cell of a STEP or PULSE box
constexpr int MAX_CELL_OPERANDS = 4;            // operands 1-4 are word 1 of cells 11-14
constexpr uint32_t GRID_CONSTANT_BIT_1 = 0x100000;  // operand j (from 1) is a constant: bit 19 + j
constexpr uint32_t DOUBLE_WORD_FORM = 0x800;
constexpr uint32_t CELL_NUMBER_BITS = 0x3FFF;

int record_code(uint32_t word0) { return static_cast<int>(word0 & RECORD_CODE_MASK); }
bool is_comparison_record(uint32_t word0) { return (word0 & RecordFlags::COMPARISON) != 0; }
int device_type(uint32_t operand) { return operand_device_index(operand); }

// Sets `bits` in usage word 0 of entry `entry` of `type`; nothing outside the image.
void mark_usage(int type, uint32_t entry, uint32_t bits) {
  if (type < 0 || type >= IMAGE_TYPES || entry >= static_cast<uint32_t>(IMAGE_ENTRIES)) return;
  g_device_usage_image[static_cast<size_t>(type)][entry].word[0] |= static_cast<int32_t>(bits);
}

// TIM, CNT and code 52 (an unnamed timer form) take their device and one set value.
constexpr int TIMER_FORM = 52;
bool is_timer_or_counter(int code) { return code == TIMER_FORM || code == Instr::TIM || code == Instr::CNT; }

bool is_x_or_y(int type) { return type == Device::X || type == Device::Y; }

// A digit group of k nibbles (K4Y0) from the nibble of its first device on, moving to the
// next entry after nibble 3. With `second` the same bits are marked shifted up by 16.
void mark_nibbles(int type, uint32_t operand, int count, bool second) {
  uint32_t entry = (operand >> 4) & 0x3FF;
  uint32_t nibble = (operand >> 2) & 3;
  for (int i = 0; i < count; ++i) {
    const uint32_t bits = 0xFu << (4 * nibble);
    mark_usage(type, entry, second ? bits | bits << SECOND_MARK_SHIFT : bits);
    if (++nibble == 4) {
      nibble = 0;
      ++entry;
    }
  }
}

// A bit group of k single bits (MOVK's destination) from its first device on, moving to the
// next entry after bit 15; X and Y get their second marks too.
void mark_bits(int type, uint32_t operand, int count) {
  uint32_t entry = (operand >> 4) & 0x3FF;
  uint32_t bit = operand & 15;
  const bool second = is_x_or_y(type);
  for (int i = 0; i < count; ++i) {
    const uint32_t b = 1u << bit;
    mark_usage(type, entry, second ? b | b << SECOND_MARK_SHIFT : b);
    if (++bit == 16) {
      bit = 0;
      ++entry;
    }
  }
}

// The digit-group operands of a word instruction or a comparison: operands j = first ..
// count - 1 are record words 1 + j, and operand j is a constant when bit 20 + j - shift of
// `flags` is set (a comparison's operands start at word 2 with bit 20).
void mark_word_operands(const InstructionRecord& r, int code, uint32_t flags, int count, int first,
                        int constant_shift, uint32_t section) {
  if (count > MAX_RECORD_OPERANDS) count = MAX_RECORD_OPERANDS;
  const int destination = g_destination_operands[code] & 0xF;
  for (int j = first; j < count; ++j) {
    if (flags & (CONSTANT_BIT_0 << (j - constant_shift))) continue;
    const uint32_t p = r.word[1 + j];
    const int type = device_type(p);
    const int digits = static_cast<int>((p >> 24) & 15);
    if (digits == 0 || type >= 16) continue;
    if (j + 1 == destination && code == Instr::MOVK) {
      mark_bits(type, p, digits);
    } else if (j + 1 == destination) {
      mark_nibbles(type, p, digits, is_x_or_y(type) && (section != 0 || code == Instr::MOVD));
    } else if (code != Instr::MIVK) {
      mark_nibbles(type, p, digits, false);
    }
  }
}

bool is_bit_output(int code) {
  switch (code) {
    case Instr::OUT: case Instr::SET: case Instr::PLS: case Instr::PLF: case Instr::RST: case Instr::INT:
    case Instr::SFT:
      return true;
    default:
      return false;
  }
}

// ---- g_destination_operands ---------------------------------------------------------------------
constexpr uint32_t CONSTANT_KINDS = OperandKind::K_CONSTANT | OperandKind::H_CONSTANT;
constexpr uint32_t WORD_KINDS = OperandKind::DIGIT_GROUP | OperandKind::WORD_DEVICE;

constexpr bool operand_can_be_written(uint32_t kind) {
  if (kind == 0 || (kind & CONSTANT_KINDS) != 0) return false;
  // A single-bit operand that accepts an X input is read (the contacts).
  const bool single_bit = (kind & OperandKind::BIT_DEVICE) != 0 && (kind & WORD_KINDS) == 0;
  return !(single_bit && (kind & OperandKind::X_DEVICE) != 0);
}

InstructionWordTable derive_destination_operands() {
  InstructionWordTable table{};
  for (size_t code = 0; code < table.size(); ++code) {
    const uint32_t kinds = g_operand_kinds[code];
    for (int j = 0; j < MAX_RECORD_OPERANDS; ++j)
      if (operand_can_be_written((kinds >> (OperandKind::BYTE_SHIFT * j)) & 0xFF)) table[code] = j + 1;
  }
  return table;
}

// ---- Value marks ------------------------------------------------------------------------------------
uint32_t value_mark_of_type(int type) {
  switch (type) {
    case Device::T: return ValueMark::TIMER;
    case Device::C: return ValueMark::COUNTER;
    case Device::Q: case Device::R: case Device::W: case Device::D: case Device::V: return ValueMark::WORD;
    default: return 0;
  }
}

bool is_reset_value_type(int type) {
  return type == Device::T || type == Device::C || type == Device::W || type == Device::D || type == Device::V;
}

void mark_output_row(LadderRow& row) {
  LadderCell& output = row.cell[OUTPUT_COLUMN];
  const int code = record_code(row.cell[CODE_CELL].word[0]);
  if (code == Instr::OUT) {
    if (device_type(output.word[1]) == Device::J) output.word[3] = output.word[1] | ValueMark::WORD;
    return;
  }

  const bool timer_or_counter = is_timer_or_counter(code);
  const int n = timer_or_counter ? 2 : g_instruction_attributes[code] & InstrAttr::OPERAND_CELLS_MASK;
  const uint32_t kinds = g_operand_kinds[code];
  const uint32_t extra = (row.cell[CODE_CELL].word[0] & DOUBLE_WORD_FORM) ? ValueMark::DOUBLE : 0;
  // Only the four operand cells 11-14 hold operands; a text box (n = 10) has no more.
  const int last = n < MAX_CELL_OPERANDS ? n : MAX_CELL_OPERANDS;
  for (int j = timer_or_counter ? 2 : 1; j <= last; ++j) {
    if (output.word[0] & (GRID_CONSTANT_BIT_1 << (j - 1))) continue;
    const uint32_t p = row.cell[OUTPUT_COLUMN - 1 + j].word[1];
    const int type = device_type(p);
    const bool bit_operand = ((kinds >> (OperandKind::BYTE_SHIFT * (j - 1))) & OperandKind::BIT_DEVICE) != 0;
    if (bit_operand && !(code == Instr::RST && is_reset_value_type(type))) continue;
    const int shown_in = OUTPUT_COLUMN - n + j;
    if (shown_in >= 0) row.cell[shown_in].word[3] = p | value_mark_of_type(type) | extra;
  }

  if (timer_or_counter) {
    const uint32_t mark = code == Instr::CNT ? ValueMark::COUNTER : ValueMark::TIMER;
    row.cell[TIMER_COIL_CELL].word[3] = output.word[1] | mark;
  } else if (code == Instr::STEP || code == Instr::PULSE) {
    row.cell[STEP_NAME_CELL].word[3] = output.word[1] | ValueMark::STEP;
  }
}

void reset_values(ConstListSpan list) {
  int timers = 0;
  int counters = 0;
  for (const InstructionRecord& r : list) {
    if (is_end_record(r)) break;
    const int code = record_code(r.word[0]);
    const uint32_t number = operand_number(r.word[1]);
    if (code == Instr::TIM) {
      if (TimerCounterRecord* t = timer_record(number)) t->word[0] = 0;
      if (++timers >= TIM_RESET_LIMIT) break;
    } else if (code == Instr::CNT) {
      if (TimerCounterRecord* c = counter_record(number)) c->word[0] = 0;
      if (++counters >= CNT_RESET_LIMIT) break;
    } else if (code == Instr::PULSE || code == Instr::STEP) {
      if (StepRecord* s = step_record(number)) s->word[0] = 0;
    }
  }
}

void build_used_device_list() {
  size_t n = 0;
  for (int type = 0; type < USED_LIST_TYPES; ++type) {
    const int entries = type == Device::M ? USED_LIST_M_ENTRIES : USED_LIST_ENTRIES;
    const uint32_t code = static_cast<uint32_t>(device_code_from_index(type)) << OperandBits::CODE_SHIFT;
    for (int e = 0; e < entries; ++e)
      if (g_device_usage_image[static_cast<size_t>(type)][static_cast<size_t>(e)].word[0] != 0)
        g_used_device_list[n++] = code | static_cast<uint32_t>(e);
  }
  g_used_device_list[n] = USED_DEVICE_LIST_END;
}

}  // namespace

DeviceBitImage& g_device_usage_image = usage_image_store;
UsedDeviceList& g_used_device_list = used_list_store;
const InstructionWordTable g_destination_operands = derive_destination_operands();

TimerCounterRecord* timer_record(uint32_t number) {
  return number < static_cast<uint32_t>(TIMER_COUNTER_RECORDS) ? &g_timer_records[number] : nullptr;
}

TimerCounterRecord* counter_record(uint32_t number) {
  return number < static_cast<uint32_t>(TIMER_COUNTER_RECORDS) ? &g_counter_records[number] : nullptr;
}

StepRecord* step_record(uint32_t number) {
  return number < static_cast<uint32_t>(STEP_RECORDS) ? &g_step_records[number] : nullptr;
}

bool operand_beyond_runtime_tables(DeviceOperand operand) {
  if (is_digit_group(operand)) return false;
  const uint32_t number = operand_number(operand);
  // T, C and S numbers are 14 bits; bit 15 marks a range.
  const uint32_t cell_number = number & CELL_NUMBER_BITS;
  switch (operand_device_index(operand)) {
    case Device::T: case Device::C: return cell_number >= static_cast<uint32_t>(TIMER_COUNTER_RECORDS);
    case Device::S: return cell_number >= static_cast<uint32_t>(STEP_RECORDS);
    case Device::J: return j_group(operand) >= J_GROUPS;
    case Device::Q: case Device::R: case Device::W: case Device::D: case Device::V:
      return number >= static_cast<uint32_t>(WORD_DEVICE_RECORDS);
    default: return false;
  }
}

void build_device_usage_maps(ConstListSpan list) {
  // The whole image is cleared, so that no mark of an earlier program survives anywhere.
  std::memset(static_cast<void*>(&usage_image_store), 0, sizeof usage_image_store);
  std::memset(g_cpu_settings.output_usage_words, 0, sizeof g_cpu_settings.output_usage_words);
  std::memset(g_cpu_settings.interrupt_words, 0, sizeof g_cpu_settings.interrupt_words);

  uint32_t section = 0;
  for (size_t i = 0; i < list.size(); ++i) {
    const InstructionRecord& r = list[i];
    const uint32_t w = r.word[0];
    if (w == END_RECORD_WORD || w == RecordWord0::END) break;
    const int c = record_code(w);
    const uint32_t o = r.word[1];
    const int t = device_type(o);
    const uint32_t number = o & 0x3FFF;
    const uint32_t entry = (o >> 4) & 0xFFF;
    const uint32_t bit = 1u << (o & 15);
    const bool comparison = is_comparison_record(w);

    // LD or LDI of M9050-M9089 opens the section whose Y outputs get their second marks.
    // At a block start the record after it belongs to the section's heading and is not
    // looked at either (unless it ends the program); inside a rung the walk goes on with
    // the next record.
    if ((c == Instr::LD || c == Instr::LDI) && !comparison &&
        t == Device::M && number >= SECTION_RELAY_FIRST && number <= SECTION_RELAY_LAST) {
      section = INTERRUPT_SECTION;
      if ((w & RecordFlags::BLOCK_START) && i + 1 < list.size() && list[i + 1].word[0] != END_RECORD_WORD &&
          list[i + 1].word[0] != RecordWord0::END)
        ++i;
      continue;
    }
    if (c == Instr::RETRN || c == Instr::IRET) section = 0;

    // Contacts (code 0 is no instruction: an emptied record names no device) and bit outputs.
    if (((c >= 1 && c < 7) && !comparison) || is_bit_output(c)) {
      if (!(t == Device::J && (o & OperandBits::J_RANGE))) {
        uint32_t bits = bit;
        if (t == Device::Y) bits |= section << (o & 15);
        mark_usage(t, entry, bits);
      }
    }
    if ((c == Instr::OUTD || c == Instr::SETS || c == Instr::RSTS) && t == Device::Y)
      mark_usage(t, entry, bit | bit << SECOND_MARK_SHIFT);

    if (comparison) {
      // Word 1 holds the comparison's code and the constant bits of its two operands (bit 20
      // for word 2, bit 21 for word 3); word 1 itself is no operand.
      mark_word_operands(r, record_code(o), o, COMPARISON_OPERANDS, 1, 1, section);
    } else if (c > 16) {
      const bool timer_or_counter = is_timer_or_counter(c);
      if (timer_or_counter) mark_usage(t, entry, bit);
      const int count = timer_or_counter ? 2 : g_operand_line_counts[c] & 0xF;
      mark_word_operands(r, c, w, count, 0, 0, section);
    }
  }

  for (int i = 0; i < 16; ++i)
    g_cpu_settings.interrupt_words[i] = g_device_usage_image[Device::Y][static_cast<size_t>(i)].word[0];
}

void build_runtime_tables(GridSpan grid) {
  const ConstListSpan list = g_instruction_list;
  build_device_usage_maps(list);
  reset_values(list);
  build_used_device_list();

  const size_t rows = grid.size() < static_cast<size_t>(MAX_GRID_ROWS) ? grid.size() : static_cast<size_t>(MAX_GRID_ROWS);
  for (size_t r = 0; r < rows; ++r) {
    LadderRow& row = grid[r];
    if (row.cell[0].word[0] == END_MARK_CELL) break;
    if (row.cell[OUTPUT_COLUMN].word[0] & CellFlags::OUTPUT) mark_output_row(row);
  }
}

void reset_runtime_tables() {
  std::memset(static_cast<void*>(&usage_image_store), 0, sizeof usage_image_store);
  used_list_store.fill(0);
  used_list_store[0] = USED_DEVICE_LIST_END;
}
