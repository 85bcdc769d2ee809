// Whole conversions with their device comments, over generated programs:
//   ladder -> list -> ladder           (the design compile)
//   ladder -> list -> mnemonic text -> list -> ladder   (operation file to mnemonic file,
//                                        then the mnemonic compile)
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "core/device_comments.h"
#include "core/core_state.h"
#include "core/ladder_builder.h"
#include "core/ladder_compiler.h"
#include "core/mnemonic_parser.h"
#include "core/mnemonic_text.h"
#include "core/seq_to_nic.h"
#include "core/sjis.h"
#include "support/instruction_records.h"
#include "support/ladder_text.h"
#include "support/mnemonic_lines.h"
#include "support/program_generator.h"
#include "support/stack_evaluator.h"

namespace {

constexpr int kPrograms = 300;
constexpr int kGridRows = 256;

std::string seed_text(uint32_t seed) { return "seed " + std::to_string(seed); }

// Comment texts as the design screen keeps them (each line ended by a line feed), short
// enough to come back unchanged from mnemonic text: Shift-JIS texts among them, two with
// a trail byte 0x5C (表, ソ).
const char* const kComments[] = {"ポンプ\n", "START\nPB\n", "表示\n", "ﾗﾝﾌﾟ\n", "ソース\n弁\n", "motor\n"};
std::string comment_for(uint32_t key) { return kComments[(key * 2654435761u >> 7) % std::size(kComments)]; }

void set_comment(LadderRow& row, int column, const std::string& text) {
  row.cell[column].word[0] |= CellFlags::HAS_COMMENT;
  std::memset(row.text[column], 0, sizeof row.text[column]);
  copy_text_bounded(row.text[column], text);
}

// Gives every cell that shows a device the comment of that device, and every label row
// a comment of its own.
void comment_every_device(LadderGrid& grid) {
  const int rows = count_program_rows(grid);
  for (int r = 0; r < rows; ++r) {
    LadderRow& row = grid[static_cast<size_t>(r)];
    if (is_comment_row(row)) continue;
    if (row.cell[LABEL_COLUMN].word[0] & CellFlags::U_MARK) set_comment(row, LABEL_COLUMN, "label\n" + std::to_string(r) + "\n");
    const int columns = is_text_row(row) ? 1 : OUTPUT_COLUMN + 1;
    for (int c = 0; c < columns; ++c) {
      const DeviceOperand key = get_cell_device_operand(grid, r, c);
      if (key != NO_CELL_DEVICE && key != LABEL_CELL_DEVICE) set_comment(row, c, comment_for(key));
    }
  }
}

std::string cell_text_of(const LadderRow& row, int column) { return std::string(fixed_text(row.text[column])); }

// Each cell of the grid that shows a device has the comment `expected` gives for it (or
// none when it gives none); the first difference, or empty.
std::string check_comments(ConstGridSpan grid, const std::map<uint32_t, std::string>& expected) {
  const int rows = count_program_rows(grid);
  for (int r = 0; r < rows; ++r) {
    const LadderRow& row = grid[static_cast<size_t>(r)];
    if (is_comment_row(row)) continue;
    const int columns = is_text_row(row) ? 1 : OUTPUT_COLUMN + 1;
    for (int c = 0; c < columns; ++c) {
      const uint32_t w = row.cell[c].word[0];
      if (!(w & CellFlags::PRESENT) || (w & CellFlags::LINE)) continue;
      const DeviceOperand key = get_cell_device_operand(grid, r, c);
      if (key == NO_CELL_DEVICE) continue;
      char where[64];
      std::snprintf(where, sizeof where, "row %d column %d device %08X: ", r, c, key);
      auto found = expected.find(key);
      const bool has = (w & CellFlags::HAS_COMMENT) != 0;
      if (found == expected.end()) {
        if (has) return where + std::string("a comment it should not have");
      } else if (!has) {
        return where + std::string("no comment");
      } else if (cell_text_of(row, c) != found->second) {
        return where + cell_text_of(row, c) + " for " + found->second;
      }
    }
  }
  return {};
}

std::map<uint32_t, std::string> device_comments(ConstCommentSpan table) {
  std::map<uint32_t, std::string> out;
  for (const DeviceComment& c : table) {
    if (static_cast<uint32_t>(c.key) == COMMENT_TABLE_END_KEY) break;
    if ((static_cast<uint32_t>(c.key) >> 24) == 0xF4) continue;  // row labels
    out.emplace(static_cast<uint32_t>(c.key), std::string(fixed_text(c.text)));
  }
  return out;
}


// Mnemonic text has no form for the limit-switch and push-button kinds of a contact (part
// codes 3-6): they come back as relay contacts of the same a- or b-form.
std::vector<std::string> without_contact_kinds(std::vector<std::string> rows) {
  for (std::string& row : rows) {
    for (size_t at = row.find('#'); at != std::string::npos; at = row.find('#', at)) {
      if (at + 1 < row.size() && row[at + 1] >= '3' && row[at + 1] <= '6' &&
          (at + 2 == row.size() || row[at + 2] == ' '))
        row.erase(at, 2);
      else
        ++at;
    }
  }
  return rows;
}

class ConversionRoundTrip : public ::testing::Test {
 protected:
  void SetUp() override {
    reset_core_state();
    reset_compiler_state();
  }
  ::testing::AssertionResult compile(LadderGrid& grid, InstructionList& list) {
    list = make_instruction_list(4000);
    const int result = compile_ladder(nullptr, grid, list, nullptr, 0);
    if (result == 0) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "compile_ladder gave " << result << "\n" << ladder_picture(grid);
  }
  // The design of program `seed` as the design screen holds it after a compile.
  ::testing::AssertionResult design(uint32_t seed, LadderGrid& grid) {
    InstructionList list = il::make_list(il::generate_program(seed), false);
    grid = make_ladder_grid(kGridRows);
    const int result = build_ladder_from_instructions(grid, list);
    if (result != 0) return ::testing::AssertionFailure() << seed_text(seed) << " does not draw: " << std::hex << result;
    return ::testing::AssertionSuccess();
  }
  // The design of program `seed` with a comment on every device, its comment table and
  // its compiled list.
  ::testing::AssertionResult commented_design(uint32_t seed, LadderGrid& grid, DeviceCommentTable& table,
                                              InstructionList& compiled) {
    if (auto drawn = design(seed, grid); !drawn) return drawn;
    comment_every_device(grid);
    table = make_device_comment_table(comment_table_size_for_rows(count_program_rows(grid)));
    collect_comment_table(table, grid);
    if (auto result = compile(grid, compiled); !result) return result << seed_text(seed);
    return ::testing::AssertionSuccess();
  }
  // Mnemonic text of a compiled list, annotated with the comments of `table`, parsed.
  ::testing::AssertionResult through_text(ConstListSpan compiled, ConstCommentSpan table, MnemonicText& text,
                                          DeviceCommentTable& parsed_table, InstructionList& parsed) {
    const std::vector<std::string> lines = split_printed_lines(print_mnemonic_records(compiled));
    text = make_text(lines);
    annotate_text_with_comments(table, text);
    parsed_table = make_device_comment_table(static_cast<int>(lines.size()) + 10);
    parsed = InstructionList(lines.size() * 2 + 2);
    const int result = parse_mnemonic_text(nullptr, parsed_table, text, parsed, nullptr, 0);
    if (result == PARSE_OK) return ::testing::AssertionSuccess();
    auto failure = ::testing::AssertionFailure() << "parse gave " << result;
    for (int k = 0; k < g_conversion_error_count; ++k) {
      char shown[160];
      format_parse_error(g_conversion_errors[static_cast<size_t>(k)], shown);
      failure << "\n" << shown;
    }
    return failure;
  }
};

// ladder -> mnemonic text -> ladder gives the same ladder, and the compile of it the
// same program.
TEST_F(ConversionRoundTrip, MnemonicTextRebuildsTheSameLadder) {
  for (uint32_t seed = 1; seed <= kPrograms; ++seed) {
    SetUp();
    LadderGrid first;
    ASSERT_TRUE(design(seed, first));
    InstructionList compiled;
    ASSERT_TRUE(compile(first, compiled)) << seed_text(seed);
    MnemonicText text;
    DeviceCommentTable table;
    InstructionList parsed;
    const DeviceCommentTable none = make_device_comment_table(1);
    ASSERT_TRUE(through_text(compiled, none, text, table, parsed)) << seed_text(seed) << "\n" << print_mnemonic_records(compiled);
    LadderGrid second = make_ladder_grid(kGridRows);
    ASSERT_EQ(build_ladder_from_instructions(second, parsed), 0) << seed_text(seed) << "\n" << print_mnemonic_records(compiled);
    InstructionList recompiled;
    ASSERT_TRUE(compile(second, recompiled)) << seed_text(seed);
    EXPECT_EQ(il::compare_list_logic(compiled, recompiled), "") << seed_text(seed);
    // The text of the recompiled program is the text the first compile gave.
    EXPECT_EQ(print_mnemonic_records(recompiled), print_mnemonic_records(compiled)) << seed_text(seed);
    EXPECT_EQ(ladder_to_text(second), without_contact_kinds(ladder_to_text(first))) << seed_text(seed) << "\nfirst:\n"
                                                            << ladder_picture(first) << "\nrebuilt:\n"
                                                            << ladder_picture(second);
  }
}

// ladder -> list -> ladder: every device keeps its comment, row labels theirs.
TEST_F(ConversionRoundTrip, DeviceCommentsSurviveTheDesignCompile) {
  int labels = 0;
  for (uint32_t seed = 1; seed <= kPrograms; ++seed) {
    SetUp();
    LadderGrid first;
    DeviceCommentTable table;
    InstructionList compiled;
    ASSERT_TRUE(commented_design(seed, first, table, compiled));
    LadderGrid second = make_ladder_grid(kGridRows);
    ASSERT_EQ(build_ladder_from_instructions(second, compiled), 0) << seed_text(seed);
    apply_comment_table(second, table);
    EXPECT_EQ(check_comments(second, device_comments(table)), "") << seed_text(seed) << "\n" << ladder_picture(second);
    // Each label has the comment of the label it was rebuilt from.
    for (int r = 0; r < count_program_rows(second); ++r) {
      const LadderRow& row = second[static_cast<size_t>(r)];
      if (!(row.cell[LABEL_COLUMN].word[0] & CellFlags::U_MARK)) continue;
      ASSERT_TRUE(row.cell[LABEL_COLUMN].word[0] & CellFlags::HAS_COMMENT) << seed_text(seed) << " row " << r;
      EXPECT_EQ(cell_text_of(row, LABEL_COLUMN), "label\n" + std::to_string(row.source_position) + "\n");
      EXPECT_EQ(row.cell[LABEL_COLUMN].word[1], first[static_cast<size_t>(row.source_position)].cell[LABEL_COLUMN].word[1]);
      ++labels;
    }
  }
  EXPECT_GT(labels, 0);
}

// ladder -> mnemonic text -> ladder: the comment of every device that a contact or output
// line names comes back to every cell of that device; no other cell gets one.
TEST_F(ConversionRoundTrip, DeviceCommentsSurviveTheMnemonicText) {
  int commented = 0;
  for (uint32_t seed = 1; seed <= kPrograms; ++seed) {
    SetUp();
    LadderGrid first;
    DeviceCommentTable table;
    InstructionList compiled;
    ASSERT_TRUE(commented_design(seed, first, table, compiled));

    // The devices that contact and output lines name.
    std::map<uint32_t, std::string> expected;
    const std::map<uint32_t, std::string> all = device_comments(table);
    for (const InstructionRecord& r : compiled) {
      if (is_end_record(r)) break;
      const InstructionCode code = static_cast<InstructionCode>(r.word[0] & RecordFlags::CODE_MASK);
      if ((r.word[0] & RecordFlags::COMPARISON) || !is_commented_statement_code(code)) continue;
      // A contact on a U point carries the U number beside its device.
      const bool j = operand_device_index(r.word[1]) == Device::J;
      auto found = all.find(j ? r.word[1] : r.word[1] & ~0x1F0000u);
      if (found != all.end()) expected.insert(*found);
    }

    MnemonicText text;
    DeviceCommentTable parsed_table;
    InstructionList parsed;
    ASSERT_TRUE(through_text(compiled, table, text, parsed_table, parsed)) << seed_text(seed);
    LadderGrid second = make_ladder_grid(kGridRows);
    ASSERT_EQ(build_ladder_from_instructions(second, parsed), 0) << seed_text(seed);
    InstructionList recompiled;
    ASSERT_TRUE(compile(second, recompiled)) << seed_text(seed);
    apply_comment_table(second, parsed_table);
    EXPECT_EQ(check_comments(second, expected), "") << seed_text(seed) << "\n" << ladder_picture(second);
    commented += static_cast<int>(expected.size());
  }
  EXPECT_GT(commented, kPrograms);
}

// A second mnemonic compile of the text the first one left (its lines now carry the
// spread comments) gives the same comments.
TEST_F(ConversionRoundTrip, ASecondCompileOfTheSameTextKeepsTheComments) {
  LadderGrid first = ladder_from_text({"X0 X1 ~ (Y0)", "^X2 - ~ (T3 K10)", "T3 /M5 ~ (Y1)", "D3 ~ (M5)"},
                                      {true, true, 16});
  comment_every_device(first);
  DeviceCommentTable table = make_device_comment_table(40);
  collect_comment_table(table, first);
  InstructionList compiled;
  ASSERT_TRUE(compile(first, compiled));
  MnemonicText text;
  DeviceCommentTable parsed_table;
  InstructionList parsed;
  ASSERT_TRUE(through_text(compiled, table, text, parsed_table, parsed));
  const auto once = device_comments(parsed_table);
  EXPECT_EQ(once.size(), 8u);  // X0, X1, X2, Y0, T3, M5, Y1 and bit 3 of D
  DeviceCommentTable again = make_device_comment_table(40);
  InstructionList parsed_again(parsed.size());
  ASSERT_EQ(parse_mnemonic_text(nullptr, again, text, parsed_again, nullptr, 0), PARSE_OK);
  EXPECT_EQ(device_comments(again), once);
}

}  // namespace
