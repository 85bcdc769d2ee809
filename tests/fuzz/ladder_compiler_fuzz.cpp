// Builds a ladder grid from the fuzz bytes and compiles it. The grid and the list are
// exactly as large as they need to be, so a read or write past either one is caught.
//
// Most bytes pick meaningful cells (contacts, lines, links, coils, timers, boxes,
// comparisons, comment and text rows, labels, U marks) so that the compiler's rung pass
// is reached often; some give raw words, and texts are left without their NUL.
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "core/compiler_checks.h"
#include "core/core_state.h"
#include "core/device_tables.h"
#include "core/instruction_tables.h"
#include "core/ladder_compiler.h"
#include "core/ladder_model.h"
#include "core/notice.h"

namespace {

struct Bytes {
  const uint8_t* data;
  size_t size;
  size_t pos = 0;
  uint8_t next() { return pos < size ? data[pos++] : 0; }
  uint32_t next32() {
    uint32_t v = 0;
    for (int i = 0; i < 4; ++i) v = v << 8 | next();
    return v;
  }
  bool done() const { return pos >= size; }
};

uint32_t pick_operand(Bytes& in) {
  static constexpr DeviceIndex devices[] = {Device::X, Device::Y, Device::M, Device::T, Device::C,
                                            Device::D, Device::P, Device::I, Device::U, Device::K};
  const uint8_t b = in.next();
  return make_device_operand(devices[b % (sizeof devices / sizeof devices[0])], in.next() % 24);
}

void fill_output(LadderRow& row, Bytes& in) {
  const uint8_t kind = in.next();
  const uint32_t link = kind & 0x80 ? CellFlags::LINK_UP : 0;
  switch (kind % 8) {
    case 0:
      return;  // no output
    case 1:  // OUT coil
    case 2:
      row.cell[11].word[0] = 0xC078 | link;
      row.cell[11].word[1] = pick_operand(in);
      row.cell[12].word[0] = static_cast<uint32_t>(Instr::OUT);
      return;
    case 3:  // TIM or CNT
      row.cell[10].word[0] = 0x20008 | link;
      row.cell[11].word[0] = 0x21C088 | (kind & 0x40 ? 0x10 : 0);
      row.cell[11].word[1] = pick_operand(in);
      row.cell[12].word[0] = static_cast<uint32_t>(kind & 0x40 ? Instr::CNT : Instr::TIM);
      row.cell[12].word[1] = in.next();
      return;
    case 4: {  // any box
      const int code = in.next() | (in.next() & 1) << 8;
      const int n = box_operand_cells(code);
      const int first = n > 11 ? 0 : 11 - n;
      if (n > 0) {
        row.cell[first].word[0] = 0x40C08 | link | (n == InstrAttr::TEXT_BOX ? 0x14000000u : 0u);
        for (int c = first + 1; c < 11; ++c) row.cell[c].word[0] = 0x40808;
        row.cell[11].word[0] = 0x4C408 | (in.next() & 0xF) << 20 | (in.next() & 0xF) << 24;
      } else {
        row.cell[11].word[0] = 0x4CC08 | link;
      }
      row.cell[12].word[0] = static_cast<uint32_t>(code) | (in.next() & 0x28) << 8;
      for (int c = 11; c < 15; ++c) row.cell[c].word[1] = pick_operand(in);
      return;
    }
    case 5:  // continuation output
      row.cell[11].word[0] = 0xC0CC | link;
      row.cell[11].word[1] = in.next();
      row.cell[12].word[0] = static_cast<uint32_t>(Instr::OUT);
      return;
    default:  // raw words
      row.cell[11].word[0] = in.next32();
      row.cell[11].word[1] = in.next32();
      row.cell[12].word[0] = in.next32();
      return;
  }
}

void fill_contacts(LadderRow& row, Bytes& in) {
  for (int c = 0; c <= 10; ++c) {
    if (row.cell[c].word[0] != 0) break;  // an output element reaches here
    const uint8_t b = in.next();
    uint32_t w0 = 0;
    uint32_t w1 = 0;
    switch (b & 0xF) {
      case 0: case 1: break;                    // empty
      case 2: case 3: case 4: w0 = 0xB9; break;  // line
      case 5: case 6: w0 = 0x8018; w1 = pick_operand(in); break;
      case 7: w0 = 0x8028; w1 = pick_operand(in); break;
      case 8: w0 = 0x8138; w1 = make_device_operand(Device::D, 3) | 0x800000; break;
      case 9:  // comparison over three cells
        if (c + 2 <= 10 && row.cell[c + 1].word[0] == 0 && row.cell[c + 2].word[0] == 0) {
          w0 = 0x9C18 | (in.next() % 14 < 6 ? 0u : 0x80u) | (in.next() & 3) << 20;
          w1 = pick_operand(in);
          row.cell[c + 1].word[0] = 0x808;
          row.cell[c + 1].word[1] = pick_operand(in);
          row.cell[c + 2].word[0] = 0x408;
        }
        break;
      case 10: w0 = 0x80DC; w1 = in.next(); break;  // continuation input
      case 11: w0 = 0x0018; break;                   // contact without its operand
      case 12: w0 = in.next32(); w1 = in.next32(); break;
      default: w0 = 0xB9; break;
    }
    if (b & 0x10) w0 |= CellFlags::LINK_UP;
    if (b & 0x20) {
      w0 |= CellFlags::U_MARK;
      w1 |= static_cast<uint32_t>(in.next() & 0x1F) << 16;
    }
    if (row.cell[c].word[0] == 0) {
      row.cell[c].word[0] = w0;
      row.cell[c].word[1] = w1;
    }
    if ((b & 0xF) == 9 && w0) c += 2;
  }
}

void fill_row(LadderRow& row, Bytes& in) {
  const uint8_t kind = in.next();
  if (kind % 16 == 0) {  // comment row, its text without a NUL
    row.cell[0].word[0] = CellWord::COMMENT_ROW_FIRST;
    for (int c = 1; c <= 10; ++c) row.cell[c].word[0] = CellWord::COMMENT_ROW_LINE;
    row.cell[11].word[0] = CellWord::COMMENT_ROW_OUTPUT;
    row.cell[12].word[0] = static_cast<uint32_t>(Instr::COMMENT);
    std::memset(row.row_text(), 'c', ROW_TEXT_SIZE);
    return;
  }
  fill_output(row, in);
  fill_contacts(row, in);
  if (kind & 0x20) {  // a row label
    row.cell[15].word[0] = 0x80008008;
    row.cell[15].word[1] = pick_operand(in);
  }
  if (kind & 0x40) std::memset(row.text[1], 'T', ROW_TEXT_SIZE - CELL_TEXT_SIZE);  // text without a NUL
  if (kind & 0x80) std::memcpy(row.text[1], "TABLE3", 6);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  Bytes in{data, size};
  const int rows = 1 + in.next() % 40;
  const int list_capacity = 1 + (in.next() % 4 == 0 ? in.next() % 16 : 400);
  const uint8_t answers = in.next();
  const uint8_t tail = in.next();

  // Program rows, the END row (unless the bytes leave it out), then the end mark.
  LadderGrid grid = make_ladder_grid(rows + 2);
  for (int r = 0; r < rows && !in.done(); ++r) fill_row(grid[static_cast<size_t>(r)], in);
  if (!(tail & 1)) {
    grid[static_cast<size_t>(rows)] = LadderRow{};
    make_new_end_row(grid[static_cast<size_t>(rows)]);
  }
  if (!(tail & 2)) make_end_mark_row(grid[static_cast<size_t>(rows) + 1]);

  int asked = 0;
  set_notice_handler([&](void*, const char* text, const char* caption, unsigned) {
    if (!text || !caption) __builtin_trap();
    return (answers >> (asked++ & 7)) & 1 ? NoticeAnswer::CANCEL : NoticeAnswer::OK;
  });
  reset_core_state();
  reset_compiler_state();
  g_duplicate_warning_shown = tail & 4 ? 1 : 0;
  InstructionList list = make_instruction_list(list_capacity);
  const int result = compile_ladder(nullptr, grid, list, nullptr, 0);
  if (result != 0 && result != -1 && result != -2 && result != -3) __builtin_trap();
  if (result == 0) {
    // A successful compile ends its list with the end record right after the last record.
    if (g_end_record_index < -1 || static_cast<size_t>(g_end_record_index + 1) >= list.size()) __builtin_trap();
    if (!is_end_record(list[static_cast<size_t>(g_end_record_index + 1)])) __builtin_trap();
  }
  for (int i = 0; i < g_conversion_error_count; ++i) {
    const uint32_t kind = g_conversion_errors[static_cast<size_t>(i)] >> 24;
    if (kind >= static_cast<uint32_t>(CompileError::KIND_COUNT)) __builtin_trap();
    // A success leaves at most the repeated-output warning behind.
    if (result == 0 && kind != CompileError::DUPLICATE_WARNING) __builtin_trap();
  }
  set_notice_handler({});
  return 0;
}
