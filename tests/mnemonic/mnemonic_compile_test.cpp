#include "mnemonic/mnemonic_compile.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "core/core_state.h"
#include "core/mnemonic_parser.h"
#include "core/mnemonic_text.h"
#include "shell/view_state.h"
#include "shell/file_replace.h"
#include "support/staging_files.h"
#include "support/mnemonic_lines.h"
#include "support/notice_recorder.h"

namespace {

namespace fs = std::filesystem;
using Lines = std::vector<std::string>;

std::string read_file(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}
void write_file(const fs::path& path, const std::string& text) {
  std::ofstream out(path, std::ios::binary);
  out << text;
}

struct HostCalls {
  int closed_monitors = 0;
  int closed_dialogs = 0;
  int error_lists = 0;
  int conversions = 0;
  bool monitor = false;
  bool monitor_refuses = false;  // the monitor window stays after its close command
};

class MnemonicCompile : public ::testing::Test {
 protected:
  void SetUp() override {
    reset_core_state();
    set_file_access({});
    dir = fs::temp_directory_path() / ("mnemonic_compile_" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) +
                                       "_" + ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(dir);
    fs::create_directories(dir);
    files = project_files("", (dir.string() + "/").c_str(), "PUMP");
  }
  void TearDown() override {
    release_read_back();
    set_file_access({});
    fs::remove_all(dir);
  }

  MnemonicCompileHost host() {
    MnemonicCompileHost h;
    h.monitor_open = [this] { return calls.monitor; };
    h.close_monitors = [this] {
      ++calls.closed_monitors;
      return !calls.monitor_refuses;
    };
    h.close_screen_dialogs = [this] { ++calls.closed_dialogs; };
    h.open_error_list = [this] { ++calls.error_lists; };
    h.convert_to_design = [this] { ++calls.conversions; };
    return h;
  }
  MnemonicCompileEnd compile(MnemonicText& text, SavedText& saved, bool first = true,
                             const std::string& name = "PUMP") {
    MnemonicCompileRequest r;
    r.owner = reinterpret_cast<void*>(0x1234);
    r.first_window = first;
    r.text = text;
    r.saved = saved;
    r.project_name = name;
    r.files = files;
    r.mnemonic_path = files.mnemonic;
    r.view_path = files.mnemonic;
    r.open_path = files.design;
    return run_mnemonic_compile(r, host());
  }
  // The old files of an earlier compile, which a stopped compile must keep.
  void put_old_files() {
    write_file(files.operation, "OLD SEQ");
    write_file(files.mnemonic, "OLD NIC");
  }
  void expect_old_files_kept() {
    EXPECT_EQ(read_file(files.operation), "OLD SEQ");
    EXPECT_EQ(read_file(files.mnemonic), "OLD NIC");
    for (const auto& entry : fs::directory_iterator(dir))
      EXPECT_FALSE(is_staging_name(entry.path().filename().string())) << "left behind: " << entry.path();
  }

  fs::path dir;
  ProjectFiles files;
  HostCalls calls;
};

const Lines PROGRAM = {"LD X0", "AND X1", "OUT Y0", "END"};

TEST_F(MnemonicCompile, RefusalsTouchNoFile) {
  struct Case {
    const char* name;
    bool first;
    std::string project;
    bool monitor;
    MnemonicCompileEnd end;
    std::string message;
  };
  const Case cases[] = {
      {"not the first window", false, "PUMP", false, MnemonicCompileEnd::NOT_FIRST, MSG_COMPILE_NOT_FIRST},
      {"a new project", true, NEW_PROJECT_NAME, false, MnemonicCompileEnd::UNNAMED, MSG_COMPILE_NEW},
      {"the monitor is kept", true, "PUMP", true, MnemonicCompileEnd::KEPT_MONITOR, MSG_CLOSE_MONITOR},
  };
  for (const Case& c : cases) {
    NoticeRecorder notices;
    notices.answers = {NoticeAnswer::CANCEL};
    calls = {};
    calls.monitor = c.monitor;
    put_old_files();
    MnemonicText text = make_text(PROGRAM);
    SavedText saved = saved_copy_of(make_text({}));
    EXPECT_EQ(compile(text, saved, c.first, c.project), c.end) << c.name;
    ASSERT_EQ(notices.notices.size(), 1u) << c.name;
    EXPECT_EQ(notices.notices[0].text, c.message) << c.name;
    EXPECT_EQ(notices.notices[0].owner, reinterpret_cast<void*>(0x1234)) << c.name;
    EXPECT_EQ(calls.conversions, 0) << c.name;
    EXPECT_EQ(calls.closed_monitors, 0) << c.name;
    expect_old_files_kept();
  }
}

// A monitor window that stays (its close is deferred or refused) stops the compile.
TEST_F(MnemonicCompile, AMonitorThatDoesNotCloseStopsTheCompile) {
  NoticeRecorder notices;
  calls.monitor = true;
  calls.monitor_refuses = true;
  put_old_files();
  MnemonicText text = make_text(PROGRAM);
  SavedText saved = saved_copy_of(make_text({}));
  EXPECT_EQ(compile(text, saved), MnemonicCompileEnd::KEPT_MONITOR);
  EXPECT_EQ(calls.closed_monitors, 1);
  EXPECT_EQ(calls.conversions, 0);
  expect_old_files_kept();
}

TEST_F(MnemonicCompile, ATextBecomesTheOperationFileAndTheFrameConvertsIt) {
  NoticeRecorder notices;
  MnemonicText text = make_text({"LD X0 ; start", "AND X1", "OUT Y0", "END"});
  SavedText saved = saved_copy_of(make_text({}, 10));
  calls.monitor = true;  // answered OK: closed
  ASSERT_EQ(compile(text, saved), MnemonicCompileEnd::CONVERTED);
  ASSERT_EQ(notices.notices.size(), 1u);
  EXPECT_EQ(notices.notices[0].text, MSG_CLOSE_MONITOR);
  EXPECT_EQ(calls.closed_monitors, 1);
  EXPECT_EQ(calls.closed_dialogs, 1);
  EXPECT_EQ(calls.conversions, 1);
  EXPECT_EQ(calls.error_lists, 0);

  // The operation file was read back: its records and its design part.
  std::vector<uint32_t> words;
  for (size_t i = 0; i < g_instruction_list.size() && !is_end_record(g_instruction_list[i]); ++i)
    words.push_back(g_instruction_list[i].word[0] & 0xFFFF);
  EXPECT_EQ(words, (std::vector<uint32_t>{0x9001, 0x8003, 0x800F, 0x9010}));  // LD AND OUT END
  EXPECT_EQ(g_seq_path, files.operation);
  ASSERT_FALSE(g_seq_grid.empty());
  EXPECT_EQ(g_seq_grid[0].cell[0].word[1] & 0xFFFFFF, 0u);         // X0
  EXPECT_EQ(g_seq_grid[0].cell[1].word[1] & 0xFFFFFF, 1u);         // X1
  EXPECT_NE(g_seq_grid[0].cell[11].word[0], 0u);                   // the coil
  EXPECT_EQ(read_file(files.operation).rfind("seq/mbs-file 3winv.1", 0), 0u);
  // The mnemonic file holds the text as shown (the parser set the comment at its column),
  // and the saved copy equals the text.
  std::string shown;
  for (const std::string& line : text_statements(text)) shown += line + "\r\n";
  EXPECT_EQ(read_file(files.mnemonic), shown + "0FFFF0 0FFFF0\r\n");
  EXPECT_EQ(text_statements(text)[0], "LD X0                   ; start");
  EXPECT_EQ(text_differs_from_saved(text, saved), 0);

  // A second compile without a change asks first; Cancel keeps every file.
  const std::string seq = read_file(files.operation);
  write_file(files.mnemonic, "NIC AS IT WAS");
  notices.notices.clear();
  notices.answers = {NoticeAnswer::CANCEL};
  calls = {};
  EXPECT_EQ(compile(text, saved), MnemonicCompileEnd::NOT_FORCED);
  ASSERT_EQ(notices.notices.size(), 1u);
  EXPECT_EQ(notices.notices[0].text, MSG_TEXT_UNCHANGED);
  EXPECT_EQ(notices.notices[0].caption, files.design);
  EXPECT_EQ(notices.notices[0].style, NoticeStyle::OK_CANCEL);
  EXPECT_EQ(read_file(files.operation), seq);
  EXPECT_EQ(read_file(files.mnemonic), "NIC AS IT WAS");
  EXPECT_EQ(calls.conversions, 0);
  // OK compiles again.
  notices.answers = {NoticeAnswer::OK};
  EXPECT_EQ(compile(text, saved), MnemonicCompileEnd::CONVERTED);
  EXPECT_EQ(calls.conversions, 1);
}

// A valid program whose outputs sit beside its five-row condition: the command compiles
// it without a word and has the frame convert the operation file.
TEST_F(MnemonicCompile, AFiveRowConditionWithItsOutputsBesideItCompiles) {
  NoticeRecorder notices;
  MnemonicText text = make_text({"LDI T3", "LDI T1", "ORB", "LD T3", "LD T4", "OR Y0A", "ORB", "ORB", "MPS", "OUT M79",
                                 "LD M92", "OR T3", "ANB", "OUT Y1A", "OUT C6 K73", "MPP", "RST M23", "END"});
  SavedText saved = saved_copy_of(make_text({}, 20));
  ASSERT_EQ(compile(text, saved), MnemonicCompileEnd::CONVERTED);
  for (const auto& notice : notices.notices) ADD_FAILURE() << "a notice: " << notice.text;
  EXPECT_EQ(calls.conversions, 1);
  EXPECT_FALSE(g_seq_grid.empty());
}

TEST_F(MnemonicCompile, StopsKeepTheOldFilesAndNeverConvert) {
  struct Case {
    const char* name;
    Lines lines;
    MnemonicCompileEnd end;
    std::string message;  // the one notice shown ("" for none)
    int error_lists;
  };
  const Case cases[] = {
      {"a parse error opens the list", {"LD X0", "AND X1", "OUT Y0", "; c", "SET X1", "END"},
       MnemonicCompileEnd::PARSE_ERRORS, "", 1},
      {"no END line", {"LD X0", "OUT Y0"}, MnemonicCompileEnd::NO_END, MSG_NO_END_LINE, 0},
      {"an empty text", {}, MnemonicCompileEnd::PARSE_STOPPED, "", 0},
      {"comparisons only, no END", {"OR= D0 K1", "OR= D0 K2", "OR= D1 K3"}, MnemonicCompileEnd::NO_END,
       MSG_NO_END_LINE, 0},
      {"a list that cannot be drawn", {"LD X0", "ANB", "OUT Y0", "END"}, MnemonicCompileEnd::BUILD_FAILED,
       "2ステップの\n命令の使用方にエラ－が有ります！", 0},
  };
  for (const Case& c : cases) {
    reset_core_state();
    NoticeRecorder notices;
    calls = {};
    put_old_files();
    MnemonicText text = make_text(c.lines);
    SavedText saved = saved_copy_of(make_text({"; an older text"}, 10));
    EXPECT_EQ(compile(text, saved), c.end) << c.name;
    std::vector<std::string> shown;
    for (const auto& n : notices.notices) shown.push_back(n.text);
    EXPECT_EQ(shown, c.message.empty() ? Lines{} : Lines{c.message}) << c.name;
    EXPECT_EQ(calls.error_lists, c.error_lists) << c.name;
    EXPECT_EQ(calls.conversions, 0) << c.name;
    EXPECT_TRUE(g_instruction_list.empty()) << c.name;
    expect_old_files_kept();
  }
}

TEST_F(MnemonicCompile, AParseErrorIsListedAndJumpedToOnItsLine) {
  NoticeRecorder notices;
  MnemonicText text = make_text({"LD X0", "AND X1", "OUT Y0", "; comment", "SET X1", "END"});
  SavedText saved = saved_copy_of(make_text({}));
  ASSERT_EQ(compile(text, saved), MnemonicCompileEnd::PARSE_ERRORS);
  const Lines lines = parse_error_list_lines();
  ASSERT_EQ(lines.size(), 1u);
  EXPECT_EQ(lines[0].rfind("5行-1ｵﾍﾟﾗﾝﾄﾞ   ", 0), 0u) << lines[0];
  ViewState view{};
  view.visible_rows = 10;
  EXPECT_EQ(jump_to_parse_error(text, view, g_conversion_errors[0]), 4);
  EXPECT_EQ(view.cursor_row, 4);
  EXPECT_EQ(view.sel_row, 4);
  EXPECT_EQ(view.sel_col, 0);
  EXPECT_EQ(view.cursor_col, 0);
  EXPECT_EQ(view.sel_width, 2);
  EXPECT_EQ(view.top_row, 0);
}

TEST_F(MnemonicCompile, FailedWritesKeepTheOldFilesAndReportNoSuccess) {
  struct Case {
    const char* name;
    const char* refused;  // the file whose move is refused
    MnemonicCompileEnd end;
  };
  const Case cases[] = {
      {"operation file", ".SEQ", MnemonicCompileEnd::OPERATION_NOT_WRITTEN},
      {"mnemonic file", ".NIC", MnemonicCompileEnd::MNEMONIC_NOT_WRITTEN},
  };
  for (const Case& c : cases) {
    NoticeRecorder notices;
    calls = {};
    put_old_files();
    FileAccess access;
    access.replace = [&c](const char* from, const char* to) {
      const std::string target = to;
      if (target.size() >= 4 && target.compare(target.size() - 4, 4, c.refused) == 0) return false;
      return std::rename(from, to) == 0;
    };
    set_file_access(access);
    MnemonicText text = make_text(PROGRAM);
    SavedText saved = saved_copy_of(make_text({}, 10));
    EXPECT_EQ(compile(text, saved), c.end) << c.name;
    set_file_access({});
    ASSERT_EQ(notices.notices.size(), 1u) << c.name;
    EXPECT_EQ(notices.notices[0].text, MSG_FILE_SAVE_FAILED) << c.name;
    EXPECT_EQ(calls.conversions, 0) << c.name;
    EXPECT_EQ(text_differs_from_saved(text, saved), 1) << c.name;  // the text is still unsaved
    if (c.end == MnemonicCompileEnd::OPERATION_NOT_WRITTEN) EXPECT_EQ(read_file(files.operation), "OLD SEQ");
    EXPECT_EQ(read_file(files.mnemonic), "OLD NIC") << c.name;
    EXPECT_EQ(staging_files_in(dir), 0) << c.name;
  }
}

TEST(MnemonicCompileSizes, ListAndGridFitTheText) {
  struct Case {
    int lines, records, list, rows;
  };
  const Case cases[] = {{0, 0, 2, 12}, {3, 7, 8, 19}, {9000, 100, 18000, 6000}, {20000, 0, 18000, 6000}};
  for (const Case& c : cases) {
    EXPECT_EQ(parse_list_records(c.lines), c.list) << c.lines;
    EXPECT_EQ(parse_grid_rows(c.lines, c.records), c.rows) << c.lines;
  }
}

TEST(MnemonicErrorJump, StaysOnTheTextWhereverTheErrorPoints) {
  Lines lines(40, "LD X0");
  lines.push_back("END");
  MnemonicText text = make_text(lines);           // END at 40, end line at 41
  MnemonicText no_end = make_text(Lines(5, "LD X0"));
  struct Case {
    const char* name;
    MnemonicText* text;
    int top, line, merged;
    int target, top_after;
  };
  const Case cases[] = {
      {"in sight: no scroll", &text, 10, 15, 0, 15, 10},
      {"merged lines count", &text, 10, 12, 3, 15, 10},
      {"below: one line under the top", &text, 0, 25, 0, 25, 24},
      {"near the end: as far as END allows", &text, 0, 36, 0, 36, 29},
      {"above the top", &text, 30, 2, 0, 2, 1},
      {"line 0", &text, 30, 0, 0, 0, 0},
      {"no END line", &no_end, 0, 4, 0, 4, 0},
      {"beyond the text", &no_end, 0, 300, 0, 4, 0},
  };
  for (const Case& c : cases) {
    ViewState view{};
    view.visible_rows = 10;
    view.top_row = c.top;
    const ConversionError w = parser_error(ParseError::BAD_OPERAND, 1, 0, static_cast<uint32_t>(c.merged),
                                           static_cast<uint32_t>(c.line));
    EXPECT_EQ(jump_to_parse_error(*c.text, view, w), c.target) << c.name;
    EXPECT_EQ(view.cursor_row, c.target) << c.name;
    EXPECT_EQ(view.top_row, c.top_after) << c.name;
  }
}

}  // namespace
