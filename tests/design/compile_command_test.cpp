// The design screen's compile command without a window: its refusals and questions, the
// files it writes through the compile chain, and the read-back and conversion that follow
// every compile that ran, with the windows' side recorded.
#include "design/compile_command.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "core/core_state.h"
#include "core/design_file.h"
#include "core/ladder_compiler.h"
#include "core/mnemonic_text.h"
#include "support/ladder_text.h"
#include "support/notice_recorder.h"
#include "support/scratch_files.h"
#include "target/monitor_protocol.h"

namespace {

namespace fs = std::filesystem;

using scratch::contents;

class DesignCompile : public ::testing::Test {
 protected:
  void SetUp() override {
    reset_core_state();
    reset_compiler_state();
    release_read_back();
    release_frame_mnemonic_text();
    g_mnemonic_text = {};
    folder = scratch::fresh_folder("design_compile_");
    files = project_files("", (folder.string() + "/").c_str(), "PUMP");
    g_file_project_name = "PUMP";
    grid = ladder_from_text({"X0 /X1 ~ (Y0)", "^Y0 ^", "Y0 ~ (T0 K50)", "T0 ~ (Y1)"}, {.grid_rows = 64});
    saved = grid;

    host.reset_design_modes = [this] { calls.push_back("reset"); };
    host.status = [this](const char* text) { calls.push_back(std::string("status ") + text); };
    host.other_screens_open = [this] { return others_open; };
    host.close_other_screens = [this] {
      calls.push_back("close others");
      others_open = refusing_close;
      return !refusing_close;
    };
    host.close_screen_dialogs = [this] { calls.push_back("close dialogs"); };
    host.query_modified = [this] { return static_cast<int>(grid_differs()); };
    host.file_exists = [](const std::string& path) { return fs::exists(path); };
    host.open_compile_errors = [this] { calls.push_back("errors"); };
    host.repaint_designs = [this] { calls.push_back("repaint"); };
    // The frame's 1193: the real conversion into the commented mnemonic file.
    host.convert_compiled_files = [this] {
      calls.push_back("convert");
      return convert_seq_to_commented_nic(nullptr, files.mnemonic, files.listing, files.design);
    };
    host.clear_main_selection = [this] { calls.push_back("clear selection"); };
  }
  void TearDown() override {
    release_read_back();
    release_frame_mnemonic_text();
    g_mnemonic_text = {};
    g_file_project_name = nullptr;
    scratch::remove_folder(folder);
  }

  bool grid_differs() const {
    for (size_t r = 0; r < grid.size(); ++r)
      for (int c = 0; c < ROW_CELLS; ++c)
        if (grid[r].cell[c].word[0] != saved[r].cell[c].word[0] || grid[r].cell[c].word[1] != saved[r].cell[c].word[1])
          return true;
    return false;
  }

  DesignCompileResult run(const std::string& project = "PUMP", const std::string& main_path = "") {
    DesignCompileRequest request;
    request.main_exists = main_exists;
    request.grid = grid;
    request.saved_copy = saved;
    request.project_name = project;
    request.files = files;
    request.view_path = main_path.empty() ? files.design : main_path;
    request.open_path = files.design;
    return run_design_compile(request, host);
  }

  bool refusing_close = false;  // a window keeps its edits when the compile closes the others

  bool called(const std::string& what) const {
    for (const auto& c : calls)
      if (c == what) return true;
    return false;
  }
  std::vector<std::string> texts() const {
    std::vector<std::string> out;
    for (const auto& n : recorder.notices) out.push_back(n.text);
    return out;
  }

  fs::path folder;
  ProjectFiles files;
  LadderGrid grid;
  LadderGrid saved;
  CompileHost host;
  std::vector<std::string> calls;
  bool others_open = false;
  bool main_exists = true;
  NoticeRecorder recorder;
};

TEST_F(DesignCompile, RefusalsComeBeforeAnythingIsClosedOrWritten) {
  main_exists = false;
  EXPECT_EQ(run().end, DesignCompileEnd::NO_MAIN_DESIGN);
  main_exists = true;
  others_open = true;
  EXPECT_EQ(run("新規").end, DesignCompileEnd::UNNAMED);
  EXPECT_EQ(texts(), (std::vector<std::string>{MSG_NO_MAIN_DESIGN, MSG_COMPILE_UNNAMED}));
  EXPECT_EQ(recorder.notices[1].caption, "警告");
  EXPECT_FALSE(called("close others"));
  EXPECT_FALSE(called("close dialogs"));
  EXPECT_FALSE(fs::exists(files.operation));
  EXPECT_FALSE(fs::exists(files.design));
}

// A main window of another file than the project's design (the project changed under it):
// its program would go over the project's design. Refused before anything is closed.
TEST_F(DesignCompile, AMainWindowOfAnotherFileThanTheProjectsIsRefused) {
  others_open = true;
  const std::string other = (folder / "OTHER.MBS").string();
  const std::string design_before = "the project's own design";
  { std::ofstream(files.design) << design_before; }
  EXPECT_EQ(run("PUMP", other).end, DesignCompileEnd::NOT_WRITTEN);
  ASSERT_EQ(recorder.notices.size(), 1u);
  char expected[700];
  std::snprintf(expected, sizeof expected, MSG_NOT_PROJECT_FILE, files.design.c_str());
  EXPECT_EQ(recorder.notices[0].text, expected);
  EXPECT_EQ(recorder.notices[0].caption, other);
  EXPECT_FALSE(called("close others"));
  EXPECT_FALSE(fs::exists(files.operation));
  EXPECT_FALSE(fs::exists(files.mnemonic));
  std::ifstream in(files.design);
  EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), design_before);
  // The same file under another case of its letters is the project's.
  recorder.notices.clear();
  std::string upper = files.design;
  for (char& ch : upper)
    if (ch >= 'a' && ch <= 'z') ch = static_cast<char>(ch - 'a' + 'A');
  run("PUMP", upper);
  for (const auto& n : recorder.notices) EXPECT_NE(n.text, expected);
  EXPECT_TRUE(called("close others"));
}

TEST_F(DesignCompile, OpenScreensCloseOnlyWhenTheUserAgrees) {
  others_open = true;
  recorder.answers = {NoticeAnswer::CANCEL};
  EXPECT_EQ(run().end, DesignCompileEnd::KEPT_WINDOWS);
  EXPECT_EQ(texts(), std::vector<std::string>{MSG_CLOSE_OTHERS});
  EXPECT_EQ(recorder.notices[0].style, NoticeStyle::OK_CANCEL);
  EXPECT_FALSE(called("close others"));
  EXPECT_FALSE(fs::exists(files.operation));

  recorder.answers = {NoticeAnswer::OK};
  EXPECT_EQ(run().end, DesignCompileEnd::CONVERTED);
  EXPECT_TRUE(called("close others"));
  EXPECT_TRUE(fs::exists(files.operation));
}

// A window that keeps its edits (Cancel at its save question) stops the compile: nothing
// is written, so the mnemonic file under that window is never rewritten.
TEST_F(DesignCompile, AWindowThatRefusesToCloseStopsTheCompile) {
  others_open = true;
  refusing_close = true;
  recorder.answers = {NoticeAnswer::OK};
  EXPECT_EQ(run().end, DesignCompileEnd::KEPT_WINDOWS);
  EXPECT_TRUE(called("close others"));
  EXPECT_FALSE(called("convert"));
  EXPECT_FALSE(fs::exists(files.operation));
  EXPECT_FALSE(fs::exists(files.mnemonic));
  EXPECT_FALSE(fs::exists(files.design));
}

TEST_F(DesignCompile, ACompileWritesTheFilesReadsThemBackAndConverts) {
  const DesignCompileResult result = run();
  EXPECT_EQ(result.end, DesignCompileEnd::CONVERTED);
  EXPECT_EQ(result.step, CompileStep::WRITTEN);
  EXPECT_TRUE(fs::exists(files.operation));
  EXPECT_TRUE(fs::exists(files.design));
  EXPECT_TRUE(fs::exists(files.mnemonic));
  EXPECT_FALSE(g_mnemonic_text.empty());
  EXPECT_EQ(g_seq_path, files.operation);
  EXPECT_FALSE(grid_differs());  // the saved copy follows the rebuilt design
  EXPECT_EQ(calls, (std::vector<std::string>{"reset", "status READY", "close dialogs", "repaint", "convert",
                                             "clear selection", "reset"}));
  // The design file holds the rebuilt design as the writer writes it.
  const fs::path expected = folder / "EXPECTED.MBS";
  std::FILE* stream = std::fopen(expected.string().c_str(), "wb");
  ASSERT_NE(stream, nullptr);
  ASSERT_EQ(write_design_file(nullptr, grid, nullptr, stream, DESIGN_FILE_STANDALONE), 0);
  std::fclose(stream);
  EXPECT_EQ(contents(files.design), contents(expected.string()));
}

TEST_F(DesignCompile, AnUnchangedDesignAsksFirst) {
  ASSERT_EQ(run().end, DesignCompileEnd::CONVERTED);
  const std::string seq = contents(files.operation);
  calls.clear();
  recorder.notices.clear();
  recorder.answers = {NoticeAnswer::CANCEL};
  EXPECT_EQ(run().end, DesignCompileEnd::NOT_FORCED);
  ASSERT_FALSE(texts().empty());
  EXPECT_EQ(texts().back(), MSG_COMPILE_UNCHANGED);
  EXPECT_EQ(recorder.notices.back().caption, "確認");
  EXPECT_FALSE(called("repaint"));
  EXPECT_EQ(contents(files.operation), seq);

  // Forced, it compiles again.
  recorder.answers = {NoticeAnswer::OK};
  EXPECT_EQ(run().end, DesignCompileEnd::CONVERTED);
}

TEST_F(DesignCompile, CompileErrorsKeepThePreviousFilesAndConvertThemAgain) {
  ASSERT_EQ(run().end, DesignCompileEnd::CONVERTED);
  const std::string seq = contents(files.operation);
  const std::string mbs = contents(files.design);
  calls.clear();
  // A coil without its operand.
  set_row_from_text(grid[0], "X0 /X1 ~ (?)");
  const DesignCompileResult result = run();
  EXPECT_EQ(result.step, CompileStep::COMPILE_ERRORS);
  EXPECT_TRUE(called("errors"));
  EXPECT_GT(g_conversion_error_count, 0);
  EXPECT_EQ(contents(files.operation), seq);
  EXPECT_EQ(contents(files.design), mbs);
  EXPECT_TRUE(grid_differs());  // the broken design stays unsaved
  // The previous operation file is read back and converted again.
  EXPECT_TRUE(called("convert"));
  EXPECT_EQ(result.end, DesignCompileEnd::CONVERTED);
}

// The error list says what failed; no message follows it that the operation file is
// missing, which would read as a second failure.
TEST_F(DesignCompile, WithoutAnOperationFileAFailedCompileShowsTheErrorListAlone) {
  set_row_from_text(grid[0], "X0 /X1 ~ (?)");
  const std::vector<std::string> before = texts();
  const DesignCompileResult result = run();
  EXPECT_EQ(result.step, CompileStep::COMPILE_ERRORS);
  EXPECT_EQ(result.end, DesignCompileEnd::NOT_READ_BACK);
  EXPECT_TRUE(called("errors"));
  EXPECT_EQ(texts(), before);
  EXPECT_FALSE(called("convert"));
  EXPECT_FALSE(fs::exists(files.operation));
  EXPECT_FALSE(fs::exists(files.design));
}

}  // namespace
