// Mnemonic text -> instruction list -> mnemonic text: every text form that the
// operation-file-to-mnemonic printer writes is read back by the parser to records that
// print the same bytes again.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

#include "core/device_tables.h"
#include "core/core_state.h"
#include "core/instruction_tables.h"
#include "core/mnemonic_parser.h"
#include "core/mnemonic_text.h"
#include "core/seq_to_nic.h"
#include "core/sjis.h"
#include "support/mnemonic_lines.h"

namespace {

struct Operand {
  uint32_t word;
  bool constant = false;
  bool hex = false;
};

Operand dev(DeviceIndex d, uint32_t n) { return {make_device_operand(d, n)}; }
Operand group(DeviceIndex d, int digits, uint32_t n) { return {make_digit_group_operand(d, digits, n)}; }
Operand k_constant(uint32_t bcd) { return {bcd, true, false}; }
Operand h_constant(uint32_t v) { return {v, true, true}; }

// The operands a design can give operand j of the code, by the operand kinds and the
// per-instruction rules of the encoders.
std::vector<Operand> operand_forms(int code, int j, uint32_t k) {
  using namespace Device;
  const int c = code & 0x3FF;
  if (c == Instr::TIM || c == Instr::CNT) {
    if (j == 0) return {dev(c == Instr::TIM ? T : C, 5), dev(c == Instr::TIM ? T : C, 1234)};
    return {k_constant(0x10), k_constant(0x9999), h_constant(0x1A), dev(D, 100), group(M, 4, 0)};
  }
  if (c == Instr::STEP && j == 2) return {dev(D, 100), k_constant(0x5)};
  if (c == Instr::MC || c == Instr::MCR) {
    if (j == 0) return {dev(N, 0), dev(N, 7)};
    return {dev(M, 5)};
  }
  if (j == 0) {
    switch (c) {
      case Instr::JMP: case Instr::CJ: case Instr::SCALL: case Instr::CALL: case Instr::SCJ:
        return {dev(P, 5), dev(P, 255)};
      case Instr::BTONJ: return {dev(U, 3), dev(U, 15)};
      case Instr::INT: return {dev(I, 5)};
      case Instr::STEP: return {dev(S, 2), dev(S, 199)};
      case Instr::SET: return {dev(Y, 0x1F), dev(M, 100), dev(S, 15), dev(L, 8), dev(B, 0x10), dev(R, 0x2A)};
      default: break;
    }
  }
  if (c >= Instr::LDD && c <= Instr::ORID)
    return {{make_device_operand(D, 3) | OperandBits::D_BIT}, {make_device_operand(D, 7) | OperandBits::D_BIT},
            dev(M, 0)};
  std::vector<Operand> forms;
  if (k & OperandKind::BIT_DEVICE) {
    if (k & OperandKind::X_DEVICE) forms.push_back(dev(X, 0x1F));
    forms.push_back(dev(Y, 0xFFF));
    forms.push_back(dev(M, 9255));
    forms.push_back(dev(S, 10));
    forms.push_back(dev(L, 8));
    forms.push_back(dev(B, 0x1F));
    if (j == 0) {
      forms.push_back({make_device_operand(J, make_j_number(1, 5))});
      forms.push_back({make_device_operand(J, make_j_number(9, 20)) | OperandBits::J_RANGE | 63u << 16});
    }
  }
  if (k & OperandKind::WORD_DEVICE) {
    forms.push_back(dev(D, 32767));
    forms.push_back(dev(W, 12));
    forms.push_back(dev(V, 11));
    forms.push_back(dev(Q, 1));
  }
  if ((k & (OperandKind::BIT_DEVICE | OperandKind::WORD_DEVICE)) && c != Instr::OUT) {
    forms.push_back(dev(T, 5));
    forms.push_back(dev(C, 12));
    forms.push_back(dev(R, 0x10));
  }
  if (k & OperandKind::DIGIT_GROUP) {
    if (k & OperandKind::X_DEVICE) forms.push_back(group(X, 2, 0x10));
    forms.push_back(group(Y, 8, 0x20));
    forms.push_back(group(M, 4, 0));
    forms.push_back(group(L, 1, 8));
    forms.push_back(group(B, 3, 0x20));
  }
  if (k & OperandKind::H_CONSTANT) {
    forms.push_back(h_constant(0x1F));
    forms.push_back(h_constant(0x7FFFFFFF));
  }
  if (k & OperandKind::K_CONSTANT) {
    forms.push_back(k_constant(0x5));
    forms.push_back(k_constant(0x12345));
    forms.push_back(k_constant(0x9999999));
  }
  return forms;
}

int operand_count_of(int code) {
  const int c = code & 0x3FF;
  if (c == Instr::MIVK) return box_operand_cells(Instr::MIVK);
  if (c == Instr::JME || c == Instr::JMI || c == Instr::JMS) return 0;
  return g_mnemonic_operand_counts[static_cast<size_t>(code & 0x1FF)] & 0xF;
}
uint32_t operand_kinds_of(int code) {
  if ((code & 0x3FF) == Instr::MIVK) return g_operand_kinds[Instr::MIVK];
  return g_mnemonic_operand_kinds[static_cast<size_t>(code & 0x1FF)];
}

struct Program {
  std::string label;
  InstructionRecord record;
};

InstructionRecord make_record(uint32_t word0, uint32_t head_word, const std::vector<Operand>& ops) {
  InstructionRecord r{};
  r.word[0] = word0;
  const int first = head_word == 0 ? 1 : 2;
  uint32_t head = head_word == 0 ? word0 : head_word;
  for (size_t j = 0; j < ops.size(); ++j) {
    r.word[first + j] = ops[j].word;
    if (ops[j].constant) head |= RecordFlags::CONSTANT_0 << j;
    if (ops[j].hex) head |= RecordFlags::HEX_0 << j;
  }
  if (head_word == 0) r.word[0] = head;
  else r.word[1] = head;
  return r;
}

// Records of every printable code and form, each operand slot run through its forms.
std::vector<Program> printable_records() {
  std::vector<Program> out;
  auto add_variants = [&](const std::string& label, int code, uint32_t word0, uint32_t head_word, int count,
                          uint32_t kinds) {
    std::vector<std::vector<Operand>> slots;
    for (int j = 0; j < count; ++j) slots.push_back(operand_forms(code, j, (kinds >> (8 * j)) & 0xFF));
    for (const auto& s : slots)
      if (s.empty()) return;
    std::vector<Operand> base;
    for (const auto& s : slots) base.push_back(s[0]);
    out.push_back({label, make_record(word0, head_word, base)});
    for (int j = 0; j < count; ++j) {
      for (size_t v = 1; v < slots[static_cast<size_t>(j)].size(); ++v) {
        std::vector<Operand> ops = base;
        ops[static_cast<size_t>(j)] = slots[static_cast<size_t>(j)][v];
        out.push_back({label + " operand " + std::to_string(j + 1) + " form " + std::to_string(v),
                       make_record(word0, head_word, ops)});
      }
    }
  };
  for (int code = 0; code < 0x207; ++code) {
    if (code == Instr::COMMENT) continue;  // a test of its own
    for (uint32_t forms : {0u, 0x800u, 0x2000u, 0x2800u}) {
      std::string probe;
      append_record_mnemonic(InstructionRecord{{0x8000u | forms | static_cast<uint32_t>(code)}}, {}, probe);
      if (probe.rfind(";Not Support", 0) == 0) continue;
      char label[48];
      std::snprintf(label, sizeof label, "code %d forms %x", code, forms);
      if (code == Instr::JME || code == Instr::JMI || code == Instr::JMS) {
        const DeviceIndex d = code == Instr::JME ? Device::P : code == Instr::JMI ? Device::I : Device::U;
        for (uint32_t n : {0u, 5u, static_cast<uint32_t>(device_max_number(d))})
          out.push_back({label, InstructionRecord{{0x8000u | static_cast<uint32_t>(code), make_device_operand(d, n)}}});
        continue;
      }
      add_variants(label, code, 0x8000u | forms | static_cast<uint32_t>(code), 0, operand_count_of(code),
                   operand_kinds_of(code));
    }
  }
  // Comparison contacts: LD, AND and OR records, comparison numbers 1-6, with the D form.
  for (uint32_t word0 : {0xC001u, 0xC003u, 0xC005u}) {
    for (uint32_t k = 1; k <= 6; ++k) {
      for (uint32_t d : {0u, 8u}) {
        char label[48];
        std::snprintf(label, sizeof label, "comparison %x number %u%s", word0, k, d ? " D" : "");
        add_variants(label, Instr::CMP_EQ, word0, 0xC0 | k | d, 2, 0xF8F8);
      }
    }
  }
  return out;
}


// Parses printed text; the records up to the end record.
std::vector<InstructionRecord> parse_printed(const std::string& printed, std::vector<ConversionError>& errors) {
  MnemonicText text = make_text(split_printed_lines(printed));
  DeviceCommentTable table = make_device_comment_table(static_cast<int>(text.size()) + 10);
  InstructionList list(text.size() * 2 + 2);
  const int result = parse_mnemonic_text(nullptr, table, text, list, nullptr, 0);
  errors.assign(g_conversion_errors.begin(), g_conversion_errors.begin() + g_conversion_error_count);
  std::vector<InstructionRecord> records;
  if (result != PARSE_OK) return records;
  for (const InstructionRecord& r : list) {
    if (is_end_record(r)) break;
    records.push_back(r);
  }
  return records;
}

TEST(MnemonicRoundTrip, EveryPrintedFormReadsBackToTheSameText) {
  reset_core_state();
  const std::vector<Program> programs = printable_records();
  ASSERT_GT(programs.size(), 1000u);
  int checked = 0;
  for (const Program& p : programs) {
    const std::string printed = print_mnemonic_records(ConstListSpan(&p.record, 1));
    ASSERT_EQ(printed.rfind(";Not Support", 0), std::string::npos) << p.label;
    std::vector<ConversionError> errors;
    const std::vector<InstructionRecord> parsed = parse_printed(printed, errors);
    ASSERT_TRUE(errors.empty()) << p.label << ":\n" << printed << "error " << std::hex << errors[0];
    EXPECT_EQ(print_mnemonic_records(parsed), printed) << p.label;
    ++checked;
  }
  EXPECT_EQ(checked, static_cast<int>(programs.size()));
}

TEST(MnemonicRoundTrip, CommentsAndAWholeProgram) {
  reset_core_state();
  std::vector<std::string> texts = {"pump control", "", " leading blank", "表示ランプ"};
  for (size_t i = 0; i < texts.size(); ++i) copy_text_bounded(std::span<char>(g_line_comments[i]), texts[i]);
  const std::vector<InstructionRecord> program = {
      {{0x9020, 0}},
      {{0x901B, make_device_operand(Device::P, 5)}},
      {{0x9001, make_device_operand(Device::X, 0)}},
      {{0x8005, make_device_operand(Device::X, 0x1A)}},
      {{0x800C}},
      {{0x8003, make_device_operand(Device::M, 10)}},
      {{0x800F, make_device_operand(Device::Y, 0)}},
      {{0x802B, make_device_operand(Device::U, 2)}},
      {{0x800D}},
      {{0x8035 | 0x200000, make_device_operand(Device::T, 5), 0x100, 8}},
      {{0x800E}},
      {{0x8051 | 0x2000, make_device_operand(Device::D, 0), make_device_operand(Device::D, 1)}},
      {{0x9020, 1}},
      {{0x9020, 2}},
      {{0xC001, 0xC0C3 | 0x200000, make_device_operand(Device::D, 0), 0x100}},
      {{0xC005, 0xC0C9, make_device_operand(Device::D, 2), make_device_operand(Device::D, 3)}},
      {{0x8012, make_device_operand(Device::N, 0), make_device_operand(Device::M, 1)}},
      {{0x800F, make_device_operand(Device::Y, 1)}},
      {{0x9017, make_device_operand(Device::N, 0)}},
      {{0x9020, 3}},
      {{0x9013}},
      {{0x9010}},
  };
  const std::string printed = print_mnemonic_records(program);
  std::vector<ConversionError> errors;
  const std::vector<InstructionRecord> parsed = parse_printed(printed, errors);
  ASSERT_TRUE(errors.empty()) << std::hex << errors[0];
  EXPECT_EQ(print_mnemonic_records(parsed), printed);
  // The comments were numbered again from 0, in the same order.
  for (size_t i = 0; i < texts.size(); ++i) EXPECT_EQ(std::string(fixed_text(g_line_comments[i])), texts[i]);
}

}  // namespace
