// The gate every writer passes (core/file_replace.h): its decision for each state of a target
// and each mark of a document, the names of the new files a write makes, the look at a
// compile's whole set of files before any is written, and a compile stopped by its set.
#include "shell/file_replace.h"

#include <gtest/gtest.h>

#include <signal.h>
#include <sys/resource.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "core/core_state.h"
#include "core/design_file.h"
#include "core/ladder_compiler.h"
#include "shell/compile_chain.h"
#include "support/ladder_text.h"
#include "support/notice_recorder.h"
#include "support/scratch_files.h"
#include "support/staging_files.h"

namespace {

namespace fs = std::filesystem;

using scratch::contents;
using scratch::put;

DocumentMarks marks_of(bool read_only, bool not_opened, const char* cut) {
  DocumentMarks marks;
  marks.opened_read_only = read_only;
  marks.not_opened = not_opened;
  marks.cut_lines = cut;
  return marks;
}

// ---- The decision -----------------------------------------------------------------------------

TEST(WriteGate, DecidesByTheMarksFirstThenByTheTargetAsItIsNow) {
  const std::string path = "C:\\P\\A.MBS";
  struct Case {
    const char* name;
    TargetState state;
    bool marks;
    DocumentMarks document;
    GateVerdict verdict;
  };
  const TargetState file{.exists = true};
  const Case cases[] = {
      {"a file, no document", file, false, {}, GateVerdict::WRITE},
      {"no file yet", {}, false, {}, GateVerdict::WRITE},
      {"a file of a document with no marks", file, true, {}, GateVerdict::WRITE},
      {"read-only attribute", {.exists = true, .read_only = true}, false, {}, GateVerdict::READ_ONLY},
      {"a folder", {.exists = true, .folder = true}, false, {}, GateVerdict::FOLDER},
      {"held by another program", {.exists = true, .locked = true}, false, {}, GateVerdict::LOCKED},
      {"no folder to go into", {.no_folder = true}, false, {}, GateVerdict::NO_FOLDER},
      {"a path the system cannot take", {.unreachable = true}, false, {}, GateVerdict::PATH_TOO_LONG},
      {"opened read-only", file, true, marks_of(true, false, ""), GateVerdict::OPENED_READ_ONLY},
      // The mark holds whatever the disk says: the attribute may have been cleared since.
      {"opened read-only, attribute cleared", file, true, marks_of(true, false, ""), GateVerdict::OPENED_READ_ONLY},
      {"file that did not open", {}, true, marks_of(false, true, ""), GateVerdict::NOT_OPENED},
      {"lines cut at open", file, true, marks_of(false, false, "2, 40"), GateVerdict::ASK_CUT_LINES},
      // A refusal of the target comes before the question about the cut lines.
      {"lines cut, now read-only", {.exists = true, .read_only = true}, true, marks_of(false, false, "2"),
       GateVerdict::READ_ONLY},
      {"lines cut, now held", {.exists = true, .locked = true}, true, marks_of(false, false, "2"), GateVerdict::LOCKED},
  };
  for (const Case& c : cases)
    EXPECT_EQ(judge_write_target(path, c.state, c.marks ? &c.document : nullptr), c.verdict) << c.name;
  // The program keeps paths of at most 259 bytes: a longer one is never written.
  EXPECT_EQ(judge_write_target(std::string(259, 'a'), {}, nullptr), GateVerdict::WRITE);
  EXPECT_EQ(judge_write_target(std::string(260, 'a'), {}, nullptr), GateVerdict::PATH_TOO_LONG);
  EXPECT_EQ(judge_write_target("", {}, nullptr), GateVerdict::PATH_TOO_LONG);
}

class WriteGateOnDisk : public ::testing::Test {
 protected:
  void SetUp() override {
    folder = scratch::fresh_folder("write_gate_");
  }
  void TearDown() override { scratch::remove_folder(folder); }
  std::string file(const char* name) const { return (folder / name).string(); }
  void make_read_only(const std::string& path) const {
    fs::permissions(path, fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
  }

  fs::path folder;
};

TEST_F(WriteGateOnDisk, ReadsTheTargetAtTheMomentItIsAsked) {
  put(file("A.MBS"), "old");
  EXPECT_EQ(check_write_target(file("A.MBS")), GateVerdict::WRITE);
  make_read_only(file("A.MBS"));
  EXPECT_EQ(check_write_target(file("A.MBS")), GateVerdict::READ_ONLY);
  fs::permissions(file("A.MBS"), fs::perms::owner_write, fs::perm_options::add);
  EXPECT_EQ(check_write_target(file("A.MBS")), GateVerdict::WRITE);
  fs::create_directory(file("B.MBS"));
  EXPECT_EQ(check_write_target(file("B.MBS")), GateVerdict::FOLDER);
  EXPECT_EQ(check_write_target(file("missing/C.MBS")), GateVerdict::NO_FOLDER);
  EXPECT_EQ(check_write_target(file("D.MBS")), GateVerdict::WRITE);
}

// The attribute is read again right before the new file is moved over the old one: a file
// made read-only while the new one was written is kept.
TEST_F(WriteGateOnDisk, AskedAgainBeforeTheMove) {
  put(file("A.MBS"), "old");
  GateVerdict verdict = GateVerdict::WRITE;
  const ReplaceResult result = write_file_replacing(
      file("A.MBS"),
      [&](std::FILE* stream) {
        make_read_only(file("A.MBS"));
        return std::fputs("new", stream) >= 0;
      },
      nullptr, &verdict);
  EXPECT_EQ(result, ReplaceResult::REFUSED);
  EXPECT_EQ(verdict, GateVerdict::READ_ONLY);
  EXPECT_EQ(contents(file("A.MBS")), "old");
  EXPECT_EQ(staging_files_in(folder), 0);
}

TEST_F(WriteGateOnDisk, ARefusedWriteMakesNoFileAndCallsNoWriter) {
  put(file("A.MBS"), "old");
  make_read_only(file("A.MBS"));
  bool called = false;
  GateVerdict verdict = GateVerdict::WRITE;
  EXPECT_EQ(write_file_replacing(
                file("A.MBS"), [&](std::FILE*) { return called = true; }, nullptr, &verdict),
            ReplaceResult::REFUSED);
  EXPECT_FALSE(called);
  EXPECT_EQ(verdict, GateVerdict::READ_ONLY);
  const DocumentMarks read_only = marks_of(true, false, "");
  put(file("B.MBS"), "old");
  EXPECT_EQ(write_file_replacing(
                file("B.MBS"), [&](std::FILE*) { return called = true; }, &read_only, &verdict),
            ReplaceResult::REFUSED);
  EXPECT_FALSE(called);
  EXPECT_EQ(verdict, GateVerdict::OPENED_READ_ONLY);
  EXPECT_EQ(contents(file("B.MBS")), "old");
  EXPECT_EQ(staging_files_in(folder), 0);
}

// ---- The new file of a write ---------------------------------------------------------------------

TEST(StagingNames, LieInTheTargetsFolderAndAreNoNameAUserWouldGive) {
  EXPECT_EQ(staging_candidate("C:\\P\\A.MBS", 0x0A3F1), "C:\\P\\~TV0A3F1.TMP");
  EXPECT_EQ(staging_candidate("/tmp/x/file.ini", 0xFFFFF), "/tmp/x/~TVFFFFF.TMP");
  EXPECT_EQ(staging_candidate("file.ini", 1), "~TV00001.TMP");
  // A trail byte 0x5C of a double-byte character is no separator: "ソ" is 83 5C.
  EXPECT_EQ(staging_candidate("C:\\\x83\x5C\\A.MBS", 2), "C:\\\x83\x5C\\~TV00002.TMP");
  EXPECT_EQ(staging_candidate("C:\\\x83\x5CA.MBS", 2), "C:\\~TV00002.TMP");
  EXPECT_TRUE(is_staging_name("~TV0A3F1.TMP"));
  for (const char* name : {"A.MBS.new", "~TV0a3f1.TMP", "~TV0A3F1.tmp", "~TV0A3F.TMP", "TV0A3F1.TMP"})
    EXPECT_FALSE(is_staging_name(name)) << name;
}

TEST_F(WriteGateOnDisk, EveryWriteMakesANewFileOfItsOwn) {
  put(file("A.MBS"), "old");
  std::set<std::string> names;
  FileAccess recording;
  recording.create_new = [&](const char* path) -> std::FILE* {
    names.insert(fs::path(path).filename().string());
    EXPECT_EQ(fs::path(path).parent_path(), folder);
    return std::fopen(path, "wbx");
  };
  set_file_access(recording);
  for (int i = 0; i < 20; ++i) EXPECT_TRUE(write_file_replacing(file("A.MBS"), std::to_string(i)));
  set_file_access({});
  EXPECT_EQ(contents(file("A.MBS")), "19");
  EXPECT_EQ(names.size(), 20u);
  for (const std::string& name : names) EXPECT_TRUE(is_staging_name(name)) << name;
  EXPECT_EQ(staging_files_in(folder), 0);
}

TEST(SameFilePath, IgnoresTheCaseOfLettersAndTheKindOfSeparator) {
  EXPECT_TRUE(same_file_path("C:\\P\\A.MBS", "c:/p/a.mbs"));
  EXPECT_FALSE(same_file_path("C:\\P\\A.MBS", "C:\\P\\B.MBS"));
  EXPECT_FALSE(same_file_path("", ""));
  // The trail byte of a double-byte character is compared as it is ("ア" 83 41 and "ーa" ...).
  EXPECT_FALSE(same_file_path("C:\\\x83\x41.MBS", "C:\\\x83\x61.MBS"));
}

// ---- A set of files --------------------------------------------------------------------------------

TEST_F(WriteGateOnDisk, ASetIsRefusedAtItsFirstRefusedFileWhichTheMessageNames) {
  const ProjectFiles files = project_files("", (folder.string() + "/").c_str(), "PUMP");
  for (const std::string& path : {files.design, files.operation, files.mnemonic}) put(path, "old");
  struct Case {
    const char* name;
    std::string refused;  // the file made read-only or replaced by a folder
    bool folder;
    std::string text;
    std::string caption;
  };
  const Case cases[] = {
      {"read-only .NIC", files.mnemonic, false, "読取り専用ファイルです", files.mnemonic},
      {"read-only .SEQ", files.operation, false, "読取り専用ファイルです", files.operation},
      {"read-only .MBS", files.design, false, "読取り専用ファイルです", files.design},
      {"folder .SEQ", files.operation, true, files.operation + "ファイルが開けません\n共用をチェックして下さい", "警告"},
      {"folder .MBS", files.design, true, "ファイルが開けません\n共用をチェックして下さい", files.design},
      {"folder .NIC", files.mnemonic, true,
       (folder / "PUMP").string() + ".NIC ファイルが、開けません\n共用をチェックして下さい", "警告"},
  };
  for (const Case& c : cases) {
    NoticeRecorder notices;
    if (c.folder) {
      fs::remove(c.refused);
      fs::create_directory(c.refused);
    } else {
      make_read_only(c.refused);
    }
    std::vector<SetTarget> set = project_set(files);
    EXPECT_FALSE(check_set_targets(set)) << c.name;
    ASSERT_EQ(notices.notices.size(), 1u) << c.name;
    EXPECT_EQ(notices.notices[0].text, c.text) << c.name;
    EXPECT_EQ(notices.notices[0].caption, c.caption) << c.name;
    if (c.folder) {
      fs::remove(c.refused);
      put(c.refused, "old");
    } else {
      fs::permissions(c.refused, fs::perms::owner_write, fs::perm_options::add);
    }
  }
  NoticeRecorder notices;
  std::vector<SetTarget> set = project_set(files);
  EXPECT_TRUE(check_set_targets(set));
  EXPECT_TRUE(notices.notices.empty());
  // The design's window was opened read-only: its own file refuses the set.
  const DocumentMarks read_only = marks_of(true, false, "");
  set = project_set(files, &read_only);
  EXPECT_FALSE(check_set_targets(set));
  ASSERT_EQ(notices.notices.size(), 1u);
  EXPECT_EQ(notices.notices[0].caption, files.design);
}

TEST_F(WriteGateOnDisk, CutLinesAreAskedAboutAndOnlyAYesWritesOverThem) {
  put(file("A.NIC"), "old");
  for (const int answer : {NoticeAnswer::CANCEL, NoticeAnswer::OK}) {
    NoticeRecorder notices;
    notices.answers.push_back(answer);
    std::vector<SetTarget> set{{file("A.NIC"), SetFile::MNEMONIC, true, marks_of(false, false, "2, 40")}};
    EXPECT_EQ(check_set_targets(set), answer == NoticeAnswer::OK);
    ASSERT_EQ(notices.notices.size(), 1u);
    EXPECT_EQ(notices.notices[0].text, "長すぎて切った行があります（2, 40行目）。\n元のファイルに上書きすると、"
                                       "切った部分は失われます。\n上書きしますか？");
    EXPECT_EQ(notices.notices[0].caption, file("A.NIC"));
    // After a Yes the marks no longer stop the write of that file.
    if (answer == NoticeAnswer::OK) EXPECT_EQ(check_write_target(set[0].path, set[0].marks_or_null()), GateVerdict::WRITE);
  }
}

// ---- A compile stopped by its set -------------------------------------------------------------------

bool same_document(const LadderGrid& a, const LadderGrid& b) {
  if (a.size() != b.size()) return false;
  for (size_t r = 0; r < a.size(); ++r) {
    if (std::memcmp(a[r].text, b[r].text, sizeof a[r].text) != 0) return false;
    for (int c = 0; c < ROW_CELLS; ++c)
      if (a[r].cell[c].word[0] != b[r].cell[c].word[0] || a[r].cell[c].word[1] != b[r].cell[c].word[1]) return false;
  }
  return true;
}

class CompileSet : public WriteGateOnDisk {
 protected:
  void SetUp() override {
    WriteGateOnDisk::SetUp();
    reset_core_state();
    reset_compiler_state();
    release_read_back();
    files = project_files("", (folder.string() + "/").c_str(), "PUMP");
    g_file_project_name = "PUMP";
    for (const std::string& path : {files.design, files.operation, files.mnemonic}) put(path, "old " + path);
    grid = ladder_from_text({"X0 /X1 ~ (Y0)", "Y0 ~ (T0 K50)", "T0 ~ (Y1)"}, {.grid_rows = 64});
    saved = make_ladder_grid(64);
    edited = grid;
  }
  void TearDown() override {
    release_read_back();
    g_instruction_list = {};
    g_file_project_name = nullptr;
    WriteGateOnDisk::TearDown();
  }
  CompileOutcome compile() {
    CompileRequest request;
    request.grid = grid;
    request.saved_copy = saved;
    request.files = files;
    request.view_path = files.design;
    request.open_path = files.design;
    return compile_design_to_files(request);
  }
  void expect_nothing_written(const char* name) {
    for (const std::string& path : {files.design, files.operation, files.mnemonic})
      EXPECT_EQ(contents(path), "old " + path) << name;
    EXPECT_EQ(staging_files_in(folder), 0) << name;
    // The design is as the user left it (its cell words and texts; words 2 and 3 are the
    // run-time state the compile marks), and still counts as changed.
    EXPECT_TRUE(same_document(grid, edited)) << name;
    EXPECT_FALSE(same_document(saved, grid)) << name;
  }

  ProjectFiles files;
  LadderGrid grid;
  LadderGrid saved;
  LadderGrid edited;
};

TEST_F(CompileSet, AReadOnlyMnemonicFileStopsTheCompileBeforeAnyFileIsWritten) {
  make_read_only(files.mnemonic);
  NoticeRecorder notices;
  EXPECT_EQ(compile().step, CompileStep::TARGET_REFUSED);
  ASSERT_EQ(notices.notices.size(), 1u);
  EXPECT_EQ(notices.notices[0].caption, files.mnemonic);
  expect_nothing_written("read-only .NIC");
  EXPECT_FALSE(CompileOutcome{CompileStep::TARGET_REFUSED}.read_back());
}

// A disk that fills while the files are written: neither the operation file nor the design
// file is replaced, and the design keeps the rows the user drew.
TEST_F(CompileSet, ADiskThatFillsReplacesNoFileOfTheSet) {
  struct sigaction ignore {};
  struct sigaction before_signal {};
  ignore.sa_handler = SIG_IGN;
  sigaction(SIGXFSZ, &ignore, &before_signal);
  rlimit before{};
  getrlimit(RLIMIT_FSIZE, &before);
  NoticeRecorder notices;
  for (const rlim_t limit : {rlim_t{200}, rlim_t{1200}}) {
    const rlimit small{limit, before.rlim_max};
    setrlimit(RLIMIT_FSIZE, &small);
    const CompileStep step = compile().step;
    setrlimit(RLIMIT_FSIZE, &before);
    EXPECT_TRUE(step == CompileStep::OPERATION_NOT_WRITTEN || step == CompileStep::DESIGN_NOT_WRITTEN) << limit;
    expect_nothing_written("a full disk");
    ASSERT_FALSE(notices.notices.empty());
    EXPECT_EQ(notices.notices.back().text, MSG_WRITE_ERROR);
    EXPECT_TRUE(notices.notices.back().caption == files.operation || notices.notices.back().caption == files.design);
  }
  sigaction(SIGXFSZ, &before_signal, nullptr);
  // With room again the same compile writes both.
  EXPECT_EQ(compile().step, CompileStep::WRITTEN);
  EXPECT_NE(contents(files.operation), "old " + files.operation);
  EXPECT_NE(contents(files.design), "old " + files.design);
}

}  // namespace
