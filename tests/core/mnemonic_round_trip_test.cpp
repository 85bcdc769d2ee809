// Mnemonic text -> instruction list -> mnemonic text: the text forms that the
// operation-file-to-mnemonic printer writes read back to fixed expected records, which
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
#include "support/instruction_records.h"
#include "support/ladder_text.h"
#include "support/mnemonic_lines.h"

namespace {

using namespace il;

constexpr uint32_t K1 = 0x00100000, K2 = 0x00200000, K3 = 0x00400000, H1 = 0x01100000;
constexpr uint32_t DF = 0x800, PF = 0x2000;

// One text form of the printer and the records the parser reads from it: the records
// print the same bytes again.
struct TextForm {
  const char* text;
  std::vector<InstructionRecord> records;
};

const TextForm kForms[] = {
    // Contacts, each device in the radix the printer writes it.
    {"LD      X1F\n", {plain(0x8001, X(0x1F), 0, 1)}},
    {"LDI     M9255\n", {plain(0x8002, M(9255), 0, 2)}},
    {"AND     S10\n", {plain(0x8003, S(10), 0, 1)}},
    {"ANI     L08\n", {plain(0x8004, L(8), 0, 2)}},
    {"OR      B1F\n", {plain(0x8005, B(0x1F), 0, 1)}},
    {"ORI     T05\n", {plain(0x8006, T(5), 0, 2)}},
    {"AND     C12\n", {plain(0x8003, C(12), 0, 1)}},
    {"LD      R2A\n", {plain(0x8001, R(0x2A), 0, 1)}},
    {"AND     J105\n", {plain(0x8003, J(1, 5), 0, 1)}},
    {"LD      J920-83\n", {plain(0x8001, J(9, 20, 63), 0, 1)}},
    {"LDD     D03\n", {plain(0x8201, Dbit(3), 0, 19)}},
    {"ORID    D07\n", {plain(0x8206, Dbit(7), 0, 20)}},
    {"ANDD    M00\n", {plain(0x8203, M(0), 0, 19)}},
    // Comparisons: LD and AND forms, plain and D.
    {"LD=     D00 K5\n", {plain(0xC001, 0xC0C1 | K2, D(0), 5)}},
    {"ANDD<>  D00 D02\n", {plain(0xC003, 0xC0CA, D(0), D(2))}},
    {"LD<=    H1F K100000\n", {plain(0xC001, 0xC0C6 | 0x00300000 | 0x01000000, 0x1F, 0x100000)}},
    // Coils, timers and counters with their set values on the next line.
    {"OUT     Y00\n", {plain(0x800F, Y(0), 0, 7)}},
    {"OUT     M100\n", {plain(0x800F, M(100), 0, 7)}},
    {"OUT     T05\nK10\n", {plain(0x8035 | K2, T(5), 0x10, 8)}},
    {"OUT     C12\nH0A\n", {plain(0x8036 | 0x02200000, C(12), 0xA, 9)}},
    {"OUT     T1234\nD100\n", {plain(0x8035, T(1234), D(100), 8)}},
    {"SET     L05\n", {plain(0x801C, L(5))}},
    {"SET     B1F\n", {plain(0x801C, B(0x1F))}},
    {"RST     R2A\n", {plain(0x801F, R(0x2A))}},
    {"PLS     M10\n", {plain(0x801D, M(10))}},
    {"PLF     Y01\n", {plain(0x801E, Y(1))}},
    {"SETSP   Y10\n", {plain(0x8022 | PF, Y(0x10))}},
    // MC with its device as a third word, MCR, jumps and labels.
    {"MC      00 M100\n", {plain(0x8012, N(0), M(100))}},
    {"MC      07 Y1F\n", {plain(0x8012, N(7), Y(0x1F))}},
    {"MCR     03\n", {plain(0x9017, N(3))}},
    {"CJ      P05\n", {plain(0x801A, P(5))}},
    {"P05\n", {plain(0x901B, P(5))}},
    {"I12\n", {plain(0x902C, I(12))}},
    {"U03\n", {plain(0x802B, U(3))}},
    {"BTONJ   U03\n", {plain(0x8021, U(3))}},
    {"INT     \nI05\n", {plain(0x802D, I(5))}},
    {"SCALL   \nP07\n", {plain(0x802E, P(7))}},
    // Word instructions with their operands on the lines below, in every name form.
    {"MOV     \nD00\nD01\n", {plain(0x8051, D(0), D(1))}},
    {"MOVP    \nW12\nV11\n", {plain(0x8051 | PF, W(12), make_device_operand(Device::V, 11))}},
    {"DMOV    \nK9999999\nD32767\n", {plain(0x8051 | DF | K1, 0x9999999, D(32767))}},
    {"DMOVP   \nK12345\nD04\n", {plain(0x8051 | DF | PF | K1, 0x12345, D(4))}},
    {"MOV     \nH7FFFFFFF\nD00\n", {plain(0x8051 | H1, 0x7FFFFFFF, D(0))}},
    {"MOV     \nK4M00\nK2Y10\n", {plain(0x8051, group(M(0), 4), group(Y(0x10), 2))}},
    {"MOV     \nK8X10\nK1B20\n", {plain(0x8051, group(X(0x10), 8), group(B(0x20), 1))}},
    {"INC     D05\n", {plain(0x8027, D(5))}},
    {"DEC    W12\n", {plain(0x8028, W(12))}},
    {"DDECP   D02\n", {plain(0x8028 | DF | PF, D(2))}},
    {"CMP     \nD00\nK100\n", {plain(0x8052 | K2, D(0), 0x100)}},
    {"RCR     \nD00\nK4\n", {plain(0x8024 | K2, D(0), 4)}},
    {"+       \nD00\nK1\nD02\n", {plain(0x8062 | K2, D(0), 1, D(2))}},
    {"DB*P    \nD00\nD02\nD04\n", {plain(0x8066 | DF | PF, D(0), D(2), D(4))}},
    {"DAND    \nD00\nH99999\nD04\n", {plain(0x8088 | 0x02200000, D(0), 0x99999, D(4))}},
    {"WAND=P   \nD00\nD01\n", {plain(0x8078 | PF, D(0), D(1))}},
    {"STEP   \nS02\nK5\nD00\n", {plain(0x8071 | K2, S(2), 5, D(0))}},
    {"MOVK    \nK5\nK12Y14\n", {plain(0x809F | K1, 5, group(Y(0x14), 12))}},
    {"MIVK    \nK4X10\nD00\n", {plain(0x809E, group(X(0x10), 4), D(0))}},
    {"ASM     \nK1\n", {plain(0x807F | K1, 1, 0, 0, NO_LINE_COMMENT)}},
    // Stack, section and single-word instructions.
    {"MPS\nMRD\nMPP\n", {plain(0x800C), plain(0x800D), plain(0x800E)}},
    {"ANB\nORB\n", {plain(0x8007), plain(0x8008)}},
    {"END\n", {plain(0x9010)}},
    {"FEND\n", {plain(0x9013)}},
    {"IEND\n", {plain(0x9014)}},
    {"SEND\n", {plain(0x9081)}},
    {"RETRN\n", {plain(0x802F)}},
    {"IRET\n", {plain(0x8099)}},
    {"STC\nCLC\nLOOP\n", {plain(0x8015), plain(0x8016), plain(0x809A)}},
};

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

TEST(MnemonicRoundTrip, EveryTextFormReadsToItsRecordsAndBack) {
  for (const TextForm& f : kForms) {
    reset_core_state();
    std::vector<ConversionError> errors;
    const std::vector<InstructionRecord> parsed = parse_printed(f.text, errors);
    EXPECT_TRUE(errors.empty()) << f.text << "error " << std::hex << (errors.empty() ? 0u : errors[0]);
    EXPECT_EQ(parsed, f.records) << f.text;
    EXPECT_EQ(print_mnemonic_records(f.records), f.text);
  }
}

TEST(MnemonicRoundTrip, CommentsAndAWholeProgram) {
  reset_core_state();
  std::vector<std::string> texts = {"pump control", "", " leading blank", "表示ランプ"};
  for (size_t i = 0; i < texts.size(); ++i) copy_text_bounded(std::span<char>(g_line_comments[i]), texts[i]);
  // The records as the parser gives them: rung starts marked, part codes of contacts
  // and coils, MPS levels.
  const std::vector<InstructionRecord> program = {
      plain(0x9020, 0),
      plain(0x901B, P(5)),
      plain(0x9001, X(0), 0, 1),
      plain(0x8005, X(0x1A), 0, 1),
      plain(0x800C),
      plain(0x8003, M(10), 0, 1),
      plain(0x800F, Y(0), 0, 7),
      plain(0x802B, U(2)),
      plain(0x800D),
      plain(0x8035 | K2, T(5), 0x100, 8),
      plain(0x800E),
      plain(0x8051 | PF, D(0), D(1)),
      plain(0x9020, 1),
      plain(0x9020, 2),
      plain(0xD001, 0xC0C3 | K2, D(0), 0x100),
      plain(0xC001, 0xC0C9, D(2), D(3)),
      plain(0x8008),
      plain(0x8012, N(0), M(1)),
      plain(0x800F, Y(1), 0, 7),
      plain(0x9017, N(0)),
      plain(0x9020, 3),
      plain(0x9013),
      plain(0x9010),
  };
  const std::string printed = print_mnemonic_records(program);
  std::vector<ConversionError> errors;
  const std::vector<InstructionRecord> parsed = parse_printed(printed, errors);
  ASSERT_TRUE(errors.empty()) << std::hex << errors[0];
  EXPECT_EQ(parsed, program);
  EXPECT_EQ(print_mnemonic_records(parsed), printed);
  // The comments were numbered again from 0, in the same order.
  for (size_t i = 0; i < texts.size(); ++i) EXPECT_EQ(std::string(fixed_text(g_line_comments[i])), texts[i]);
}

}  // namespace
