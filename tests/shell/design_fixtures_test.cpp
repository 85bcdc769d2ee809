// The hand-written design files of tests/data/designs, each along the road a design takes:
// read as the design window opens it, held to the grid's rules, written back, and compiled
// into the project's files by the design compile. The files are written from the file format,
// not by this program, so that the reader, the rules and the compile are held to the format.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include <unistd.h>

#include "core/core_state.h"
#include "core/design_file.h"
#include "core/ladder_compiler.h"
#include "core/seq_file.h"
#include "core/grid_invariants.h"
#include "shell/compile_chain.h"
#include "support/design_fixture_files.h"
#include "support/ladder_text.h"
#include "support/notice_recorder.h"

namespace {

namespace fs = std::filesystem;

constexpr int COMPILES = -1;

struct Fixture {
  const char* name;
  int error_kind;     // COMPILES: compiled and both files written; else the kind of every compile error
  bool written_back;  // the writer gives the file back byte for byte (older layouts are never written)
};

// In name order, as the folder lists them.
const Fixture kFixtures[] = {
    {"boxes.MBS", COMPILES, true},
    {"comments.MBS", COMPILES, true},
    {"comparisons.MBS", COMPILES, true},
    {"edges_comment_last.MBS", COMPILES, true},
    {"edges_text_last.MBS", COMPILES, true},
    {"end_only.MBS", 11, true},  // "１行目は接点から始めます。..." : a program of its END row alone
    {"end_settings.MBS", COMPILES, true},
    {"initial_on.MBS", COMPILES, true},
    {"initial_values.MBS", COMPILES, true},
    {"interlock.MBS", COMPILES, true},
    {"interrupt_end.MBS", COMPILES, true},
    {"old_every_box.MBS", COMPILES, false},
    {"old_output_col_9.MBS", COMPILES, false},
    {"old_run_length.MBS", COMPILES, false},
    {"old_two_line.MBS", COMPILES, false},
    {"on_and_interlock_full.MBS", COMPILES, true},
    {"six_thousand_rows.MBS", COMPILES, true},
    {"text_rows.MBS", COMPILES, true},
    {"timers_counters.MBS", COMPILES, true},
};

std::string memory_file(const LadderGrid& grid) {
  LadderGrid copy = grid;
  char* buffer = nullptr;
  size_t length = 0;
  std::FILE* out = open_memstream(&buffer, &length);
  EXPECT_EQ(write_design_file(nullptr, copy, nullptr, out, DESIGN_FILE_STANDALONE), DESIGN_FILE_OK);
  std::fclose(out);
  std::string bytes(buffer, length);
  std::free(buffer);
  return bytes;
}

LadderGrid grid_from_bytes(const std::string& bytes) {
  LadderGrid grid = make_ladder_grid();
  std::FILE* in = fmemopen(const_cast<char*>(bytes.data()), bytes.size(), "rb");
  EXPECT_EQ(read_design_file(grid, in, DESIGN_FILE_STANDALONE), DESIGN_FILE_OK);
  std::fclose(in);
  return grid;
}

// Words 0 and 1 of every cell from row 0 through the end mark.
bool same_words(const LadderGrid& a, const LadderGrid& b) {
  for (size_t r = 0; r < a.size() && r < b.size(); ++r) {
    for (int c = 0; c < ROW_CELLS; ++c)
      if (a[r].cell[c].word[0] != b[r].cell[c].word[0] || a[r].cell[c].word[1] != b[r].cell[c].word[1]) return false;
    if (is_end_mark_row(a[r])) return is_end_mark_row(b[r]);
  }
  return true;
}

// The name line of a stand-alone file, less ".MBS": the writer writes the project's name.
std::string project_name_of(const std::string& bytes) {
  const size_t first = bytes.find("\r\n");
  const size_t second = bytes.find("\r\n", first + 2);
  std::string name = bytes.substr(first + 2, second - first - 2);
  return name.size() >= 4 ? name.substr(0, name.size() - 4) : name;
}

class DesignFixtures : public ::testing::Test {
 protected:
  void SetUp() override {
    reset_core_state();
    reset_compiler_state();
    release_read_back();
  }
  void TearDown() override {
    release_read_back();
    g_file_project_name = nullptr;
  }
};

TEST_F(DesignFixtures, EveryFileOfTheFolderIsListedHereAndInItsReadme) {
  std::vector<std::string> listed;
  for (const Fixture& f : kFixtures) listed.push_back(f.name);
  EXPECT_EQ(design_fixture::names(), listed);
  const std::string readme = design_fixture::bytes_of("README.md");
  for (const Fixture& f : kFixtures) EXPECT_NE(readme.find(std::string("`") + f.name + "`"), std::string::npos) << f.name;
}

TEST_F(DesignFixtures, EachFileReadsAndKeepsTheGridRules) {
  for (const Fixture& f : kFixtures) {
    SCOPED_TRACE(f.name);
    reset_core_state();
    LadderGrid grid = make_ladder_grid();
    ASSERT_EQ(design_fixture::read_into(f.name, grid), DESIGN_FILE_OK);
    EXPECT_EQ(describe_grid_fault(check_grid_invariants(grid)), "sound") << ladder_picture(grid);
  }
}

TEST_F(DesignFixtures, EachFileWritesBackAsTheFormatSays) {
  for (const Fixture& f : kFixtures) {
    SCOPED_TRACE(f.name);
    reset_core_state();
    const std::string bytes = design_fixture::bytes_of(f.name);
    LadderGrid grid = make_ladder_grid();
    ASSERT_EQ(design_fixture::read_into(f.name, grid), DESIGN_FILE_OK);
    // The writer fills the END row and the interrupt-end row from the active settings: those
    // the file gave.
    g_cpu_settings = g_loaded_cpu_settings;
    const std::string name = project_name_of(bytes);
    g_file_project_name = name.c_str();
    const std::string written = memory_file(grid);
    if (f.written_back) {
      EXPECT_EQ(written, bytes);
    } else {
      // An older layout is written in the current one, which then holds the same program and
      // writes back as itself.
      EXPECT_EQ(written.rfind("mbs-file 3winv.1\r\n", 0), 0u);
      const LadderGrid again = grid_from_bytes(written);
      EXPECT_TRUE(same_words(grid, again));
      EXPECT_EQ(memory_file(again), written);
    }
    g_file_project_name = nullptr;
  }
}

// One file through compile_design_to_files, in a folder of its own.
void compile_fixture(const Fixture& f) {
  {
    reset_core_state();
    reset_compiler_state();
    release_read_back();
    LadderGrid grid = make_ladder_grid();
    ASSERT_EQ(design_fixture::read_into(f.name, grid), DESIGN_FILE_OK);
    g_cpu_settings = g_loaded_cpu_settings;
    const auto specials = design_fixture::rows_after_end_of(grid);
    const fs::path folder = fs::temp_directory_path() / ("fixture_" + std::to_string(getpid()) + "_" + f.name);
    fs::remove_all(folder);
    fs::create_directories(folder);
    g_file_project_name = "FIX";
    NoticeRecorder notices;
    CompileRequest request;
    request.grid = grid;
    request.files = project_files("", (folder.string() + "/").c_str(), "FIX");
    request.view_path = request.open_path = request.files.design;
    const CompileOutcome outcome = compile_design_to_files(request);
    std::string said;
    for (const auto& n : notices.notices) said += n.text + "\n";
    if (f.error_kind == COMPILES) {
      ASSERT_EQ(static_cast<int>(outcome.step), static_cast<int>(CompileStep::WRITTEN)) << said;
      EXPECT_EQ(describe_grid_fault(check_grid_invariants(grid)), "sound");
      // The saved design holds the rebuilt program, sound, with the special rows it had.
      LadderGrid from_file = make_ladder_grid();
      std::FILE* in = std::fopen(request.files.design.c_str(), "rb");
      ASSERT_NE(in, nullptr);
      ASSERT_EQ(read_design_file(from_file, in, DESIGN_FILE_STANDALONE), DESIGN_FILE_OK);
      std::fclose(in);
      EXPECT_EQ(describe_grid_fault(check_grid_invariants(from_file)), "sound");
      EXPECT_EQ(design_fixture::rows_after_end_of(from_file), specials);
      EXPECT_TRUE(same_words(from_file, grid));
      // The operation file reads back with its records and its design part.
      LadderGrid seq_grid = make_ladder_grid();
      InstructionList list = make_instruction_list();
      in = std::fopen(request.files.operation.c_str(), "rb");
      ASSERT_NE(in, nullptr);
      EXPECT_EQ(read_seq_file(seq_grid, list, in, true), SEQ_FILE_OK);
      std::fclose(in);
      EXPECT_TRUE(same_words(seq_grid, grid));
    } else {
      ASSERT_EQ(static_cast<int>(outcome.step), static_cast<int>(CompileStep::COMPILE_ERRORS)) << said;
      ASSERT_GT(g_conversion_error_count, 0);
      for (int k = 0; k < g_conversion_error_count; ++k)
        EXPECT_EQ(static_cast<int>(g_conversion_errors[static_cast<size_t>(k)] >> 24), f.error_kind);
      EXPECT_FALSE(fs::exists(request.files.operation));
      EXPECT_FALSE(fs::exists(request.files.design));
    }
    g_file_project_name = nullptr;
    fs::remove_all(folder);
  }
}

TEST_F(DesignFixtures, EachFileCompilesIntoTheProjectsFiles) {
  for (const Fixture& f : kFixtures) {
    SCOPED_TRACE(f.name);
    compile_fixture(f);
    g_file_project_name = nullptr;
  }
}

// The other design files of the tree (the samples, the fixtures of the readers and of the
// rigs) keep the grid's rules as read too; small.MBS, a design with a row of initially-on
// devices, compiles.
TEST_F(DesignFixtures, TheTreesOtherDesignFilesKeepTheRulesAndSmallCompiles) {
  const fs::path data(TAVOLIN_TEST_DATA);
  std::vector<fs::path> files;
  for (const fs::path& folder : {data, data / "one_click", data / "seq_to_nic", data / "../../resources/samples"})
    for (const auto& entry : fs::directory_iterator(folder))
      if (entry.path().extension() == ".MBS") files.push_back(entry.path());
  ASSERT_GE(files.size(), 8u);
  for (const fs::path& path : files) {
    SCOPED_TRACE(path.string());
    reset_core_state();
    LadderGrid grid = make_ladder_grid();
    std::FILE* in = std::fopen(path.c_str(), "rb");
    ASSERT_NE(in, nullptr);
    ASSERT_EQ(read_design_file(grid, in, DESIGN_FILE_STANDALONE), DESIGN_FILE_OK);
    std::fclose(in);
    EXPECT_EQ(describe_grid_fault(check_grid_invariants(grid)), "sound") << ladder_picture(grid);
  }
  const fs::path folder = fs::temp_directory_path() / ("fixture_small_" + std::to_string(getpid()));
  fs::remove_all(folder);
  fs::create_directories(folder);
  std::FILE* in = std::fopen((data / "small.MBS").c_str(), "rb");
  ASSERT_NE(in, nullptr);
  LadderGrid grid = make_ladder_grid();
  ASSERT_EQ(read_design_file(grid, in, DESIGN_FILE_STANDALONE), DESIGN_FILE_OK);
  std::fclose(in);
  const auto specials = design_fixture::rows_after_end_of(grid);
  ASSERT_EQ(specials.size(), 1u);
  g_file_project_name = "TEST";
  NoticeRecorder notices;
  CompileRequest request;
  request.grid = grid;
  request.files = project_files("", (folder.string() + "/").c_str(), "TEST");
  request.view_path = request.open_path = request.files.design;
  EXPECT_EQ(static_cast<int>(compile_design_to_files(request).step), static_cast<int>(CompileStep::WRITTEN));
  EXPECT_TRUE(notices.notices.empty());
  EXPECT_TRUE(fs::exists(request.files.operation));
  EXPECT_EQ(design_fixture::rows_after_end_of(grid), specials);
  fs::remove_all(folder);
}

// The END row's settings words, as the file gives them, become the loaded settings.
TEST_F(DesignFixtures, TheEndRowCarriesTheSettings) {
  const LadderGrid grid = design_fixture::grid_of("end_settings.MBS");
  ASSERT_FALSE(grid.empty());
  const CpuSettings& s = g_loaded_cpu_settings;
  EXPECT_STREQ(s.cpu_name, "pic16F84");
  EXPECT_EQ(s.option_a, 1);
  EXPECT_EQ(s.option_b, 1);
  EXPECT_EQ(s.option_c, 1);
  EXPECT_EQ(s.option_d, 5);
  EXPECT_EQ(s.clock_high, 0x0A);
  EXPECT_EQ(s.clock_low, 0x14);
  EXPECT_EQ(s.vector_high, 3);
  EXPECT_EQ(s.vector_low, 5);
  EXPECT_EQ(s.port_value, 0x1234);
  EXPECT_EQ(s.extra_value, 0xFF);
  EXPECT_EQ(s.base_value, 0x10000);
  EXPECT_EQ(s.user_words[0], 0x11);
  EXPECT_EQ(s.user_words[3], 0x44);
  // The interrupt-end row's 16 words are the interrupt words.
  const LadderGrid interrupts = design_fixture::grid_of("interrupt_end.MBS");
  ASSERT_FALSE(interrupts.empty());
  EXPECT_EQ(g_loaded_cpu_settings.interrupt_words[0], 7);
  EXPECT_EQ(g_loaded_cpu_settings.interrupt_words[1], 0);
}

}  // namespace
