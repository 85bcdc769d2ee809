// The grid's invariants: sound designs (the samples, the test ladders) pass, and each broken
// grid is reported with the rule it breaks.
#include "core/grid_invariants.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "core/design_file.h"
#include "core/instruction_tables.h"
#include "support/design_fixture_files.h"
#include "support/ladder_text.h"

namespace {

const std::string kSampleFolder = std::string(TAVOLIN_TEST_DATA) + "/../../resources/samples/";

// The starting inputs of the edit-sequence fuzzer: a design file after a 1 and its length,
// then a few edits. Written with
//   TAVOLIN_WRITE_FUZZ_CORPUS=tests/fuzz/corpus/design_edit_sequence_fuzz build/native/design_tests
//     --gtest_filter='GridInvariants.*'
// A design file of tests/data/designs is named instead (0xFD, the name, a NUL), so that the
// fuzzer reads it from the folder whatever its length.
void write_corpus_input(const std::string& name, const std::string& design, bool named = false) {
  const char* folder = std::getenv("TAVOLIN_WRITE_FUZZ_CORPUS");
  if (folder == nullptr) return;
  std::string input;
  if (named) {
    input.push_back('\xFD');
    input += design;
    input.push_back('\0');
  } else {
    input.push_back('\x01');
    input.push_back(static_cast<char>(design.size() & 0xFF));
    input.push_back(static_cast<char>(design.size() >> 8));
    input += design;
  }
  // A few edits: a tool click, a function key, a line drag, typed text, a picked box, undo.
  const unsigned char edits[] = {0x00, 0x02, 0x00, 0x90, 0x01, 0x60, 0x00, 0x01, 0x10, 0x02, 0x30, 0x01, 0x06,
                                 0x02, 0x00, 0x20, 0x00, 0x50, 0x00, 0x00, 0x04, 0x40, 0x00, 0x07, 0x01, 0x58,
                                 0x04, 0x70, 0x01, 0x0B, 0x01, 0x08, 0x01, 0x80, 0x02, 0x30, 0x00, 0x09, 0x00,
                                 0x0A, 0x01};
  input.append(reinterpret_cast<const char*>(edits), sizeof edits);
  const std::string path = std::string(folder) + "/" + name;
  std::FILE* f = std::fopen(path.c_str(), "wb");
  ASSERT_NE(f, nullptr) << path;
  std::fwrite(input.data(), 1, input.size(), f);
  std::fclose(f);
}

std::string design_file_bytes(LadderGrid grid) {
  char* buffer = nullptr;
  size_t length = 0;
  std::FILE* out = open_memstream(&buffer, &length);
  EXPECT_EQ(write_design_file(nullptr, grid, nullptr, out, DESIGN_FILE_STANDALONE), 0);
  std::fclose(out);
  std::string bytes(buffer, length);
  std::free(buffer);
  return bytes;
}

TEST(GridInvariants, TheSampleDesignsAreSound) {
  for (const char* name : {"SAMPLE1.MBS", "SINGOU1.MBS"}) {
    LadderGrid grid = make_ladder_grid();
    std::FILE* f = std::fopen((kSampleFolder + name).c_str(), "rb");
    ASSERT_NE(f, nullptr) << name;
    ASSERT_EQ(read_design_file(grid, f, DESIGN_FILE_STANDALONE), DESIGN_FILE_OK) << name;
    std::fclose(f);
    EXPECT_EQ(describe_grid_fault(check_grid_invariants(grid)), "sound") << name;
    write_corpus_input(name, design_file_bytes(grid));
  }
}

// The hand-written design files are sound as read; the fuzzer starts from each of them, by
// name, and from the bytes of those short enough to be mutated as a file.
TEST(GridInvariants, TheDesignFilesAreSound) {
  const std::vector<std::string> names = design_fixture::names();
  ASSERT_FALSE(names.empty());
  for (const std::string& name : names) {
    const LadderGrid grid = design_fixture::grid_of(name);
    ASSERT_FALSE(grid.empty()) << name;
    EXPECT_EQ(describe_grid_fault(check_grid_invariants(grid)), "sound") << name;
    const std::string stem = name.substr(0, name.size() - 4);
    write_corpus_input("named_" + stem, name, true);
    const std::string bytes = design_fixture::bytes_of(name);
    if (bytes.size() < 0x10000) write_corpus_input("file_" + stem, bytes);
  }
  // The project's own design with a row of initially-on devices.
  std::FILE* f = std::fopen(TAVOLIN_TEST_DATA "/small.MBS", "rb");
  ASSERT_NE(f, nullptr);
  LadderGrid small = make_ladder_grid(64);
  ASSERT_EQ(read_design_file(small, f, DESIGN_FILE_STANDALONE), DESIGN_FILE_OK);
  std::fclose(f);
  EXPECT_EQ(describe_grid_fault(check_grid_invariants(small)), "sound");
  write_corpus_input("file_small", design_file_bytes(small));
}

TEST(GridInvariants, LaddersOfEveryElementAreSound) {
  const std::vector<std::vector<std::string>> ladders = {
      {"X0 /X1 - - - - - - - - - (Y0)"},
      {"X0 ~ (T0 K10)", "^X2 ^", "X1 ~ (C1 D5)"},
      {"X0 ~ [MOV D0 D1]", "X1 {= D0 K5} ~ [DMOV D0 D2]", "X2 ~ [FEND]"},
      {"; a comment row", "P5: X0 ~ (Y0)", "X3 ~ (>7)", ">7 ~ (Y1)"},
      {"X0 [ASM K1] | text"},
      {},
  };
  for (const auto& rows : ladders) {
    const LadderGrid grid = ladder_from_text(rows, LadderTextOptions{true, true, 20});
    EXPECT_EQ(describe_grid_fault(check_grid_invariants(grid)), "sound") << ladder_picture(grid);
    write_corpus_input("ladder" + std::to_string(&rows - ladders.data()), design_file_bytes(grid));
  }
  // A new design: the END row and the end mark.
  LadderGrid fresh = make_ladder_grid(4);
  make_new_end_row(fresh[0]);
  make_end_mark_row(fresh[1]);
  EXPECT_FALSE(check_grid_invariants(fresh));
}

// Each case breaks one word of a sound ladder.
struct Broken {
  const char* name;
  int row, column, word;  // word -1: the whole row is rewritten by `text`
  uint32_t value;
  const char* rule;
};

TEST(GridInvariants, EachBrokenGridNamesItsRule) {
  const std::vector<std::string> rows = {"X0 ~ [MOV D0 D1]", "X1 {= D0 K5} ~ (T0 K10)", "X2 ^ ~ (Y0)"};
  const Broken cases[] = {
      {"END replaced", 3, OUTPUT_COLUMN, 0, 0x4078, "no END row"},
      {"end mark cut", 4, 1, 0, 0, "no end mark"},
      {"end mark cell", 4, 7, 0, 0, "end mark broken"},
      {"box first cell moved", 0, 9, 0, CellWord::LINE_ONLY, "box split"},
      {"orphan box cell", 1, 5, 0, CellWord::BOX_MIDDLE_CELL, "orphan box cell"},
      {"timer coil gone", 1, 10, 0, CellWord::LINE_ONLY, "TIM/CNT cells apart"},
      {"comparison cut", 1, 3, 0, CellWord::LINE_ONLY, "comparison split"},
      {"link above row 0", 0, 3, 0, CellWord::LINE_ONLY | CellFlags::LINK_UP, "link above row 0"},
      {"link into a box", 1, 10, 0, CellWord::TIMER_COIL_CELL | CellFlags::LINK_UP, "link into an element"},
      {"contact in column 11", 2, OUTPUT_COLUMN, 0, CellWord::CONTACT_BASE | PartCode::RELAY_A << 4,
       "contact in column 11"},
      {"output in a contact column", 2, 4, 0, 0x4078, "output outside column 11"},
      {"second END", 2, OUTPUT_COLUMN, 0, CellWord::END_OUTPUT, "END bit outside the END row"},
      {"element past column 11", 2, 13, 0, CellWord::LINE_ONLY, "element past column 11"},
      {"a line without its part", 0, 3, 0, CellFlags::LINE, "line without its part"},
      {"a linked line without its part", 1, 6, 0, CellFlags::LINE | CellFlags::LINK_UP, "line without its part"},
  };
  for (const Broken& b : cases) {
    LadderGrid grid = ladder_from_text(rows, LadderTextOptions{true, true, 10});
    ASSERT_FALSE(check_grid_invariants(grid)) << ladder_picture(grid);
    grid[b.row].cell[b.column].word[b.word] = b.value;
    const GridFault f = check_grid_invariants(grid);
    EXPECT_STREQ(f.rule == nullptr ? "sound" : f.rule, b.rule) << b.name;
  }
}

// The special rows as the design file gives them: known by cell 12's kind alone, their device
// cells as the file holds them. Each case breaks one word of initial_on.MBS's special row.
// A comment row compiles into its comment record: the comment code in cell 12, the output
// cell with the comment bit.
TEST(GridInvariants, ACommentRowKeepsItsCommentCells) {
  const LadderGrid file = design_fixture::grid_of("comments.MBS", 16);
  ASSERT_FALSE(file.empty());
  ASSERT_TRUE(is_comment_row(file[0]));
  ASSERT_FALSE(check_grid_invariants(file));
  struct Case {
    const char* name;
    int column;
    uint32_t value;
  } cases[] = {
      {"another code in cell 12", 12, static_cast<uint32_t>(Instr::JMP)},
      {"the P form of the comment code", 12, static_cast<uint32_t>(Instr::COMMENT) | RecordFlags::P_FORM},
      {"no comment bit in the output cell", OUTPUT_COLUMN, CellFlags::OUTPUT | 0x48},
      {"no output cell", OUTPUT_COLUMN, CellFlags::COMMENT_ROW | 0x48},
      {"END in the output cell", OUTPUT_COLUMN, CellWord::COMMENT_ROW_OUTPUT | CellFlags::END},
      {"a link", 4, CellWord::COMMENT_ROW_LINE | CellFlags::LINK_UP},
  };
  for (const Case& c : cases) {
    LadderGrid grid = file;
    grid[0].cell[c.column].word[0] = c.value;
    const GridFault f = check_grid_invariants(grid);
    EXPECT_NE(f.rule, nullptr) << c.name;
    EXPECT_EQ(f.row, 0) << c.name;
  }
}

TEST(GridInvariants, SpecialRowsStandBetweenEndAndTheEndMark) {
  const LadderGrid file = design_fixture::grid_of("initial_on.MBS", 16);
  ASSERT_FALSE(file.empty());
  ASSERT_EQ(describe_grid_fault(check_grid_invariants(file)), "sound");
  const size_t special = static_cast<size_t>(count_program_rows(file));
  ASSERT_EQ(special_row_kind(file[special]), SpecialRow::INITIAL_ON);
  struct Case {
    const char* name;
    int column, word;
    uint32_t value;
    const char* rule;  // nullptr: still sound
  } cases[] = {
      {"interlock kind", 12, 0, SpecialRow::INTERLOCK, nullptr},
      {"initial values kind", 12, 0, SpecialRow::INITIAL_VALUES, nullptr},
      {"the kind with 0x20000000 in cell 12", 12, 0, CellFlags::SPECIAL | SpecialRow::INITIAL_ON, nullptr},
      {"0x20000000 in cell 0", 0, 0, CellFlags::SPECIAL | CellFlags::PRESENT, nullptr},
      {"no device in cell 0", 0, 0, 0, nullptr},
      {"cells 13-15 cleared", 13, 0, 0, nullptr},
      {"an unknown kind", 12, 0, 0x3F7, "not a special row after END"},
      {"a program row's code", 12, 0, static_cast<uint32_t>(Instr::OUT), "not a special row after END"},
      {"the end-mark cell in cell 0", 0, 0, END_MARK_CELL, "special row read as an end"},
  };
  for (const Case& c : cases) {
    LadderGrid grid = file;
    grid[special].cell[c.column].word[c.word] = c.value;
    if (c.column == 13) grid[special].cell[14].word[0] = grid[special].cell[15].word[0] = 0;
    const GridFault f = check_grid_invariants(grid);
    EXPECT_STREQ(f.rule == nullptr ? "sound" : f.rule, c.rule == nullptr ? "sound" : c.rule) << c.name;
  }
  LadderGrid empty = file;
  empty[special].cell[0].word[0] = empty[special].cell[1].word[0] = EMPTY_MARK;
  EXPECT_STREQ(check_grid_invariants(empty).rule, "special row read as an end");
}

// The older layouts draw END, INI and IPX as boxes of width 0: a last box cell in column 11
// without a first cell. Another instruction there is still a split box, and a box still
// needs an instruction.
TEST(GridInvariants, BoxesOfWidthZeroOfTheOlderLayouts) {
  const LadderGrid file = design_fixture::grid_of("old_run_length.MBS", 16);
  ASSERT_FALSE(file.empty());
  ASSERT_EQ(describe_grid_fault(check_grid_invariants(file)), "sound");
  // Row 1 holds INI, row 2 IPX, row 3 END, each a last box cell alone.
  ASSERT_EQ(file[1].cell[12].word[0], static_cast<uint32_t>(Instr::INI));
  ASSERT_EQ(file[3].cell[OUTPUT_COLUMN].word[0] & 0x40C00, 0x40400u);
  constexpr uint32_t KEEP = 0xFFFFFFFF;
  struct Case {
    const char* name;
    uint32_t cell11, code;  // row 1's cell 11 word 0 (KEEP: as read) and its instruction
    const char* rule;       // nullptr: sound
  } cases[] = {
      {"IPX", KEEP, static_cast<uint32_t>(Instr::IPX), nullptr},
      {"END's code in a box of width 0 before the END row", KEEP, static_cast<uint32_t>(Instr::END), nullptr},
      {"INI rebuilt as a single box", CellWord::BOX_SINGLE_CELL, static_cast<uint32_t>(Instr::INI), nullptr},
      {"MOV in a last cell alone", KEEP, static_cast<uint32_t>(Instr::MOV), "box split"},
      {"no instruction in a last cell alone", KEEP, 0, "box split"},
      {"a single box without an instruction", CellWord::BOX_SINGLE_CELL, 0, "box without its instruction"},
      {"a single box of a continuation code", CellWord::BOX_SINGLE_CELL, 224, "box without its instruction"},
      {"a single box of a comparison code", CellWord::BOX_SINGLE_CELL, static_cast<uint32_t>(Instr::CMP_EQ),
       "box without its instruction"},
  };
  for (const Case& c : cases) {
    LadderGrid grid = file;
    if (c.cell11 != KEEP) grid[1].cell[OUTPUT_COLUMN].word[0] = c.cell11;
    grid[1].cell[12].word[0] = c.code;
    const GridFault f = check_grid_invariants(grid);
    EXPECT_STREQ(f.rule == nullptr ? "sound" : f.rule, c.rule == nullptr ? "sound" : c.rule) << c.name;
  }
  // A middle box cell before the last cell alone splits it.
  LadderGrid split = file;
  split[1].cell[10].word[0] = CellWord::BOX_MIDDLE_CELL;
  EXPECT_STREQ(check_grid_invariants(split).rule, "box split");
}

}  // namespace
