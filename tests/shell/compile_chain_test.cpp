// The design's way into the project's files and back: compile, check rebuild, branch
// screening, operation file, design file, read-back, the commented mnemonic file and the
// design file made from an operation file. Each test works in a folder of its own.
#include "shell/compile_chain.h"

#include <gtest/gtest.h>

#include "core/core_state.h"

#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "core/core_state.h"
#include "core/design_file.h"
#include "core/ladder_compiler.h"
#include "core/mnemonic_text.h"
#include "core/text_file.h"
#include "shell/file_replace.h"
#include "support/instruction_records.h"
#include "support/ladder_text.h"
#include "support/notice_recorder.h"
#include "support/scratch_files.h"
#include "support/staging_files.h"
#include "target/monitor_protocol.h"

namespace {

namespace fs = std::filesystem;

using scratch::contents;

void set_comment(LadderGrid& grid, int row, int column, const std::string& text) {
  LadderRow& r = grid[static_cast<size_t>(row)];
  r.cell[column].word[0] |= CellFlags::HAS_COMMENT;
  std::memset(r.text[column], 0, CELL_TEXT_SIZE);
  std::memcpy(r.text[column], text.data(), text.size());
}

std::string cell_comment(const LadderRow& row, int column) {
  return std::string(row.text[column], strnlen(row.text[column], CELL_TEXT_SIZE));
}

std::vector<std::string> statements(ConstTextSpan text) {
  std::vector<std::string> out;
  for (const MnemonicLine& line : text) {
    if (is_end_line(line)) break;
    std::string s = line.statement;
    if (!s.empty() && s.back() == '\n') s.pop_back();
    out.push_back(s + (line.comment[0] ? std::string(" ") + line.comment : ""));
  }
  return out;
}

class CompileChain : public ::testing::Test {
 protected:
  void SetUp() override {
    reset_core_state();
    reset_compiler_state();
    release_read_back();
    release_frame_mnemonic_text();
    g_mnemonic_text = {};
    folder = scratch::fresh_folder("chain_");
    files = project_files("", (folder.string() + "/").c_str(), "PUMP");
    g_file_project_name = "PUMP";
  }
  void TearDown() override {
    release_read_back();
    release_frame_mnemonic_text();
    g_mnemonic_text = {};
    g_file_project_name = nullptr;
    scratch::remove_folder(folder);
  }

  CompileOutcome compile(LadderGrid& grid, LadderGrid* saved = nullptr) {
    CompileRequest request;
    request.grid = grid;
    if (saved) request.saved_copy = *saved;
    request.files = files;
    request.view_path = files.design;
    request.open_path = files.design;
    return compile_design_to_files(request);
  }

  std::vector<std::string> notice_texts() const {
    std::vector<std::string> out;
    for (const auto& n : recorder.notices) out.push_back(n.text);
    return out;
  }

  // A small pump design: two rungs, a timer, comments on three devices.
  LadderGrid pump_design() {
    LadderGrid grid = ladder_from_text({"X0 /X1 ~ (Y0)", "^Y0 ^", "Y0 ~ (T0 K50)", "T0 ~ (Y1)"}, {.grid_rows = 64});
    set_comment(grid, 0, 0, "START\n");
    set_comment(grid, 0, 1, "STOP\n");
    set_comment(grid, 0, OUTPUT_COLUMN, "ﾎﾟﾝﾌﾟ\n");
    return grid;
  }

  fs::path folder;
  ProjectFiles files;
  NoticeRecorder recorder;
};

// ---- Branch screening --------------------------------------------------------------------

TEST(BranchScreening, OutputOnlyBranchesLoseTheirStackRecordsAndContactsRefuseTheProgram) {
  using namespace il;
  struct Case {
    const char* name;
    std::vector<InstructionRecord> records;
    bool supported;
    std::vector<int> emptied;  // indexes whose word 0 becomes 0x8000
  };
  const Case cases[] = {
      {"outputs only", {ld(X(0)), mps(), out(Y(0)), mrd(), out(Y(1)), mpp(), out(Y(2)), end()}, true, {1, 3, 5}},
      {"no MPP up to the end", {ld(X(0)), mps(), out(Y(0)), end()}, true, {1}},
      {"contact before the MPP", {ld(X(0)), mps(), out(Y(0)), mrd(), and_(X(1)), out(Y(1)), mpp(), out(Y(2)), end()},
       false, {}},
      {"block inside", {ld(X(0)), mps(), out(Y(0)), anb(), mpp(), out(Y(1)), end()}, false, {}},
      {"empty record inside", {ld(X(0)), mps(), plain(0x8000), mpp(), out(Y(1)), end()}, false, {}},
      {"contact after the MPP", {ld(X(0)), mps(), out(Y(0)), mpp(), and_(X(1)), out(Y(1)), end()}, true, {1, 3}},
      {"no branch", {ld(X(0)), out(Y(0)), end()}, true, {}},
  };
  for (const Case& c : cases) {
    InstructionList list = make_list(c.records, false);
    const InstructionList before = list;
    EXPECT_EQ(screen_stack_branches(list), c.supported) << c.name;
    for (size_t i = 0; i < c.records.size(); ++i) {
      const bool emptied = std::find(c.emptied.begin(), c.emptied.end(), static_cast<int>(i)) != c.emptied.end();
      EXPECT_EQ(list[i].word[0], emptied ? EMPTY_RECORD_WORD0 : before[i].word[0]) << c.name << " record " << i;
    }
  }
}

// ---- Sizes ------------------------------------------------------------------------------------

TEST(ChainSizes, BuffersHoldWhatTheProgramsNeed) {
  // The rebuilt grid has a row per record and the end mark even for a tiny design.
  EXPECT_GE(rebuilt_grid_rows(2, 40), 42);
  EXPECT_EQ(rebuilt_grid_rows(100, 3), 210);
  EXPECT_EQ(rebuilt_grid_rows(5000, 3), MAX_GRID_ROWS);
  EXPECT_GE(list_grid_rows(0), 2);
  EXPECT_GE(list_grid_rows(7), 9);
  EXPECT_EQ(list_grid_rows(17999), MAX_GRID_ROWS);
  // Mnemonic buffer: never fewer lines than the file and its end line.
  EXPECT_EQ(mnemonic_buffer_lines(1, 100), 101);
  EXPECT_EQ(mnemonic_buffer_lines(10, 20), 160);
  EXPECT_EQ(mnemonic_buffer_lines(0, 0), 2);
  EXPECT_EQ(mnemonic_buffer_lines(5000, 0), MAX_TEXT_LINES);
  // A comment table takes 13 records a row up to the end mark, and the end key.
  LadderGrid ten_rows = ladder_from_text({"X0 X1 X2 X3 X4 X5 X6 X7 X8 X9 XA (Y0)"}, {.grid_rows = 16});
  EXPECT_EQ(comment_table_records(ten_rows), 3 * 13 + 1);
}

// ---- Row merge ----------------------------------------------------------------------------------

TEST(RowMerge, RebuiltRowsComeFirstAndTheSpecialRowsFollowThem) {
  LadderGrid design = ladder_from_text({"X0 ~ (Y0)", ". ", "X1 ~ (Y1)"}, {.grid_rows = 16});
  // A special row after END (devices on at start) and the end mark after it.
  const int end_mark = find_end_mark_row(design);
  ASSERT_EQ(end_mark, 4);
  design[5] = design[4];
  LadderRow& special = design[4];
  std::memset(&special, 0, sizeof special);
  special.cell[0].word[0] = CellFlags::SPECIAL;
  special.cell[12].word[0] = SpecialRow::INITIAL_ON;
  special.cell[0].word[1] = il::M(5);
  design[2].cell[0].word[2] = 77;  // monitor state: never touched

  LadderGrid rebuilt = ladder_from_text({"X0 ~ (Y0)", "X1 ~ (Y1)"}, {.grid_rows = 16});
  set_comment(rebuilt, 1, 0, "in\n");
  ASSERT_TRUE(replace_program_rows(design, rebuilt));
  EXPECT_EQ(ladder_to_text(std::span(design).first(3)), ladder_to_text(std::span(rebuilt).first(3)));
  EXPECT_EQ(special_row_kind(design[3]), SpecialRow::INITIAL_ON);
  EXPECT_EQ(design[3].cell[0].word[1], il::M(5));
  EXPECT_TRUE(is_end_mark_row(design[4]));
  EXPECT_EQ(cell_comment(design[4], 7), "f0f0f0f0");
  EXPECT_EQ(cell_comment(design[1], 0), "in\n");
  EXPECT_EQ(design[2].cell[0].word[2], 77u);
  // The row the shorter program left behind holds nothing.
  EXPECT_EQ(design[5].cell[0].word[0], 0u);

  // A rebuilt grid without an end mark changes nothing.
  LadderGrid broken(3);
  const LadderGrid before = design;
  EXPECT_FALSE(replace_program_rows(design, broken));
  EXPECT_EQ(std::memcmp(design.data(), before.data(), design.size() * sizeof(LadderRow)), 0);
}

// ---- The compile phase and the read-back --------------------------------------------------------

TEST_F(CompileChain, ADesignBecomesItsOperationFileDesignFileAndCommentedMnemonicFile) {
  LadderGrid grid = pump_design();
  LadderGrid saved = make_ladder_grid(64);
  g_saved_uncompiled = 1;
  g_comments_changed = 1;
  std::ofstream(files.listing) << "old listing";

  const CompileOutcome outcome = compile(grid, &saved);
  ASSERT_EQ(outcome.step, CompileStep::WRITTEN) << ::testing::PrintToString(notice_texts());
  EXPECT_TRUE(recorder.notices.empty());
  EXPECT_EQ(std::memcmp(saved.data(), grid.data(), grid.size() * sizeof(LadderRow)), 0);
  EXPECT_EQ(g_saved_uncompiled, 0);
  EXPECT_EQ(g_comments_changed, 0);
  EXPECT_EQ(staging_files_in(folder), 0);
  EXPECT_EQ(contents(files.operation).rfind("seq/mbs-file 3winv.1\r\nPUMP.SEQ\r\n", 0), 0u);
  EXPECT_EQ(contents(files.design).rfind("mbs-file 3winv.1\r\nPUMP.MBS\r\n", 0), 0u);
  // The design keeps its comments on the rebuilt rows.
  EXPECT_EQ(cell_comment(grid[0], 0), "START\n");

  ASSERT_TRUE(read_back_operation_file(files.operation, files.design));
  EXPECT_EQ(g_seq_path, files.operation);
  ASSERT_FALSE(g_seq_grid.empty());
  EXPECT_EQ(ladder_to_text(g_seq_grid), ladder_to_text(grid));
  EXPECT_GT(g_end_record_index, 0);

  ASSERT_EQ(convert_seq_to_commented_nic(nullptr, files.mnemonic, files.listing, files.design), 0);
  EXPECT_EQ(notice_texts(), std::vector<std::string>{"SEQ to NICが終了しました"});
  EXPECT_FALSE(fs::exists(files.listing));
  ASSERT_FALSE(g_mnemonic_text.empty());
  EXPECT_TRUE(mnemonic_text_is_frame_owned());
  const std::vector<std::string> lines = statements(g_mnemonic_text);
  ASSERT_GE(lines.size(), 4u);
  EXPECT_NE(lines[0].find("X0"), std::string::npos);
  EXPECT_NE(lines[0].find("; START"), std::string::npos);
  // The file on disk holds the commented text.
  const std::string nic = contents(files.mnemonic);
  EXPECT_NE(nic.find("; START"), std::string::npos);
  EXPECT_NE(nic.find("; STOP"), std::string::npos);
  EXPECT_NE(nic.find("0FFFF0 0FFFF0\r\n"), std::string::npos);
  EXPECT_STREQ(g_cpu_settings.mnemonic_path, files.mnemonic.c_str());
}

TEST_F(CompileChain, ARefusedOrFailedCompileKeepsThePreviousFiles) {
  LadderGrid good = pump_design();
  ASSERT_EQ(compile(good).step, CompileStep::WRITTEN);
  const std::string seq = contents(files.operation);
  const std::string mbs = contents(files.design);

  struct Case {
    const char* name;
    std::vector<std::string> rows;
    CompileStep step;
    const char* message;  // the last message shown, or nullptr
  };
  const Case cases[] = {
      // An output branch that holds a contact before its output: MPS ... AND ... MPP.
      {"unsupported branch", {"X0 X1 ~ (Y0)", ".5 ^X5 ~ (Y1)", ".5 ^X6 ~ (Y2)"}, CompileStep::UNSUPPORTED_BRANCH,
       MSG_UNSUPPORTED_BRANCH},
      {"compile errors", {"X0 ? ~ (Y0)"}, CompileStep::COMPILE_ERRORS, nullptr},
  };
  for (const Case& c : cases) {
    recorder.notices.clear();
    LadderGrid grid = ladder_from_text(c.rows, {.grid_rows = 32});
    const CompileOutcome outcome = compile(grid);
    EXPECT_EQ(outcome.step, c.step) << c.name << ::testing::PrintToString(notice_texts());
    if (c.message) {
      ASSERT_FALSE(recorder.notices.empty()) << c.name;
      EXPECT_EQ(recorder.notices.back().text, c.message) << c.name;
    }
    EXPECT_EQ(contents(files.operation), seq) << c.name;
    EXPECT_EQ(contents(files.design), mbs) << c.name;
    EXPECT_EQ(staging_files_in(folder), 0) << c.name;
  }
}

TEST_F(CompileChain, AnOperationFileThatCannotBeWrittenIsReportedAndNothingIsSaved) {
  files = project_files("", (folder.string() + "/missing/").c_str(), "PUMP");
  LadderGrid grid = pump_design();
  LadderGrid saved = make_ladder_grid(64);
  // Every file of the set is looked at first: the missing folder refuses the operation file
  // before anything is compiled or written.
  EXPECT_EQ(compile(grid, &saved).step, CompileStep::TARGET_REFUSED);
  ASSERT_EQ(recorder.notices.size(), 1u);
  EXPECT_EQ(recorder.notices[0].text, "" + files.operation + "ファイルが開けません\n共用をチェックして下さい");
  EXPECT_EQ(recorder.notices[0].caption, "警告");
  // The saved copy still differs: the design counts as changed.
  EXPECT_NE(std::memcmp(saved.data(), grid.data(), grid.size() * sizeof(LadderRow)), 0);
}

TEST_F(CompileChain, ReadBackOfAMissingOrDamagedFileSaysSoAndLeavesNoGrid) {
  EXPECT_FALSE(read_back_operation_file(files.operation, "cap"));
  std::ofstream(files.operation, std::ios::binary) << "seq/mbs-file 3winv.1\r\nPUMP.SEQ\r\nnonsense\r\n";
  EXPECT_FALSE(read_back_operation_file(files.operation, "cap"));
  ASSERT_EQ(recorder.notices.size(), 2u);
  for (const auto& n : recorder.notices) {
    EXPECT_EQ(n.text, MSG_NO_OPERATION_FILE);
    EXPECT_EQ(n.caption, "cap");
  }
  EXPECT_TRUE(g_seq_grid.empty());
}

TEST_F(CompileChain, AFailedMnemonicConversionLeavesTheCurrentTextAlone) {
  LadderGrid grid = pump_design();
  ASSERT_EQ(compile(grid).step, CompileStep::WRITTEN);
  ASSERT_TRUE(read_back_operation_file(files.operation, files.design));
  MnemonicText window_text = make_mnemonic_text(4);
  g_mnemonic_text = window_text;
  g_seq_path = folder.string() + "/GONE.SEQ";
  EXPECT_EQ(convert_seq_to_commented_nic(nullptr, files.mnemonic, files.listing, files.design), 2);
  EXPECT_EQ(g_mnemonic_text.data(), window_text.data());
  EXPECT_FALSE(fs::exists(files.mnemonic));
  // The frame never frees a window's text.
  release_frame_mnemonic_text();
  EXPECT_EQ(g_mnemonic_text.data(), window_text.data());
  g_mnemonic_text = {};
}

TEST_F(CompileChain, ManyCommentedRowsAllReachTheMnemonicFile) {
  // Ten rows, every column a different commented device: 13 records a row fit the table.
  std::vector<std::string> rows;
  for (int r = 0; r < 10; ++r) {
    std::string row;
    for (int c = 0; c < 10; ++c) row += "M" + std::to_string(r * 10 + c) + " ";
    rows.push_back(row + "- (Y" + std::to_string(r) + ")");
  }
  LadderGrid grid = ladder_from_text(rows, {.grid_rows = 64});
  for (int r = 0; r < 10; ++r)
    for (int c = 0; c <= OUTPUT_COLUMN; ++c)
      if (c != 10) set_comment(grid, r, c, "c" + std::to_string(r) + "_" + std::to_string(c) + "\n");
  ASSERT_EQ(compile(grid).step, CompileStep::WRITTEN) << ::testing::PrintToString(notice_texts());
  ASSERT_TRUE(read_back_operation_file(files.operation, files.design));
  ASSERT_EQ(convert_seq_to_commented_nic(nullptr, files.mnemonic, files.listing, files.design), 0);
  const std::string nic = contents(files.mnemonic);
  for (int r = 0; r < 10; ++r)
    for (int c = 0; c <= OUTPUT_COLUMN; ++c)
      if (c != 10) {
        const std::string comment = "; c" + std::to_string(r) + "_" + std::to_string(c);
        EXPECT_NE(nic.find(comment + "\r\n"), std::string::npos) << comment;
      }
}

// The converted text has room for sixteen lines a design row, or for the file's lines and
// one more where those are more, up to the most a text holds: a long design gets the
// whole text.
TEST_F(CompileChain, TheConvertedTextIsSizedByTheDesignOrItsFile) {
  LadderGrid pump = pump_design();
  ASSERT_EQ(compile(pump).step, CompileStep::WRITTEN) << ::testing::PrintToString(notice_texts());
  ASSERT_TRUE(read_back_operation_file(files.operation, files.design));
  const int pump_end_mark = find_end_mark_row(g_seq_grid);
  ASSERT_GT(pump_end_mark, 0);
  ASSERT_EQ(convert_seq_to_commented_nic(nullptr, files.mnemonic, files.listing, files.design), 0);
  EXPECT_EQ(g_mnemonic_text.size(), static_cast<size_t>(16 * pump_end_mark));

  LadderGrid long_design = ladder_from_text(std::vector<std::string>(1200, "X0 ~ (Y0)"), {.grid_rows = 1300});
  ASSERT_EQ(compile(long_design).step, CompileStep::WRITTEN) << ::testing::PrintToString(notice_texts());
  ASSERT_TRUE(read_back_operation_file(files.operation, files.design));
  ASSERT_EQ(convert_seq_to_commented_nic(nullptr, files.mnemonic, files.listing, files.design), 0);
  EXPECT_EQ(g_mnemonic_text.size(), static_cast<size_t>(MAX_TEXT_LINES));
  EXPECT_GE(statements(g_mnemonic_text).size(), 2400u);  // LD and OUT for each rung
}

// ---- Operation file to design file -------------------------------------------------------------

TEST_F(CompileChain, TheListReadBackBecomesADesignFileWithItsComments) {
  LadderGrid grid = pump_design();
  ASSERT_EQ(compile(grid).step, CompileStep::WRITTEN);
  const std::vector<std::string> drawn = ladder_to_text(grid);
  fs::remove(files.design);
  ASSERT_TRUE(read_back_operation_file(files.operation, files.design));
  recorder.notices.clear();

  EXPECT_EQ(convert_list_to_design_file(files.design, "PUMP", files.design), DesignConversion::WRITTEN);
  ASSERT_EQ(recorder.notices.size(), 1u);
  EXPECT_EQ(recorder.notices[0].text, "PUMP.MBS ファイルが出来ました！");
  EXPECT_EQ(recorder.notices[0].caption, "確認");

  LadderGrid read = make_ladder_grid(64);
  std::FILE* f = open_text_file(files.design.c_str(), "r");
  ASSERT_NE(f, nullptr);
  EXPECT_EQ(read_design_file(read, f, DESIGN_FILE_STANDALONE), DESIGN_FILE_OK);
  std::fclose(f);
  EXPECT_EQ(ladder_to_text(read), drawn);
  // The comment as the design part of the operation file carries it.
  EXPECT_EQ(cell_comment(read[0], 0).rfind("START", 0), 0u);
  EXPECT_EQ(cell_comment(read[0], 0), cell_comment(g_seq_grid[0], 0));
}

TEST_F(CompileChain, ADesignFileThatCannotBeMadeIsNeverReportedAsMade) {
  LadderGrid grid = pump_design();
  ASSERT_EQ(compile(grid).step, CompileStep::WRITTEN);
  ASSERT_TRUE(read_back_operation_file(files.operation, files.design));
  recorder.notices.clear();
  const std::string elsewhere = folder.string() + "/missing/PUMP.MBS";
  EXPECT_EQ(convert_list_to_design_file(elsewhere, "PUMP", "cap"), DesignConversion::NOT_OPENED);
  ASSERT_EQ(recorder.notices.size(), 1u);
  EXPECT_EQ(recorder.notices[0].text, MSG_FILE_NOT_OPENED);

  // A list that cannot be drawn: an ORB with nothing to join, at record 2.
  InstructionList bad = il::make_list({il::ld(il::X(0)), il::orb(), il::out(il::Y(0)), il::end()});
  g_instruction_list = bad;
  recorder.notices.clear();
  EXPECT_EQ(convert_list_to_design_file(files.design, "PUMP", "cap"), DesignConversion::BUILD_FAILED);
  ASSERT_EQ(recorder.notices.size(), 1u);
  EXPECT_EQ(recorder.notices[0].text, "3ステップ付近の\n命令中にエラ－が有ります！");
  EXPECT_EQ(recorder.notices[0].caption, "警告");
  g_instruction_list = {};
}

// A list the conversion draws, but into a grid that breaks the grid's rules (an output of a
// code that names no box instruction is drawn as a box without one): no design file is
// written, and the old one stays.
TEST_F(CompileChain, ADrawnLadderThatBreaksTheGridRulesIsNotWritten) {
  LadderGrid grid = pump_design();
  ASSERT_EQ(compile(grid).step, CompileStep::WRITTEN);
  const std::string before = contents(files.design);
  InstructionList drawn_badly = il::make_list({il::ld(il::X(0)), il::box(0x80FA), il::end()});
  g_instruction_list = drawn_badly;
  recorder.notices.clear();
  EXPECT_EQ(convert_list_to_design_file(files.design, "PUMP", "cap"), DesignConversion::BUILD_FAILED);
  ASSERT_EQ(recorder.notices.size(), 1u);
  EXPECT_EQ(recorder.notices[0].text, MSG_REBUILT_LADDER_BROKEN);
  EXPECT_EQ(recorder.notices[0].caption, "警告");
  EXPECT_EQ(contents(files.design), before);
  g_instruction_list = {};
}

}  // namespace

namespace {

// The design file is committed before the operation file: when the operation file's move
// then fails, the saved design has no operation file that matches it, and it must count
// as not compiled (the monitor warns about such a design).
TEST_F(CompileChain, AnOperationFileThatFailsAfterTheDesignWasSavedLeavesTheDesignNotCompiled) {
  LadderGrid grid = pump_design();
  LadderGrid saved = make_ladder_grid(64);
  FileAccess refuse_operation_move;
  refuse_operation_move.replace = [&](const char* from, const char* to) {
    if (to == files.operation) return false;
    return std::rename(from, to) == 0;
  };
  set_file_access(refuse_operation_move);
  g_saved_uncompiled = 0;
  const CompileStep step = compile(grid, &saved).step;
  set_file_access({});
  EXPECT_EQ(step, CompileStep::OPERATION_NOT_WRITTEN);
  EXPECT_TRUE(fs::exists(files.design));
  EXPECT_FALSE(fs::exists(files.operation));
  EXPECT_EQ(g_saved_uncompiled, 1);
}

}  // namespace
