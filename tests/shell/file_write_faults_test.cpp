// What a write that cannot be done leaves on disk: a disk that fills half way, a file of the
// user's under the name a write might use for its new file, a folder or a read-only file in
// place of the target. Each time the old file (or folder) is as it was and nothing else is
// left in the folder.
#include <gtest/gtest.h>

#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "core/seq_to_nic.h"
#include "shell/file_replace.h"
#include "support/notice_recorder.h"
#include "support/scratch_files.h"

namespace {

namespace fs = std::filesystem;

using scratch::contents;
using scratch::FileSizeLimit;
using scratch::put;

class FileWriteFaults : public ::testing::Test {
 protected:
  void SetUp() override {
    folder = scratch::fresh_folder("write_faults_");
  }
  void TearDown() override { scratch::remove_folder(folder); }
  size_t entries() const { return static_cast<size_t>(std::distance(fs::directory_iterator(folder), {})); }

  fs::path folder;
  NoticeRecorder notices;
};

const std::string OLD_NIC = std::string(5000, 'x') + "\r\n";

// The conversion to mnemonics on a disk that fills up: the old mnemonic file is kept whole
// (it was cut to the bytes that fitted), and the message names the file it could not write.
TEST_F(FileWriteFaults, TheMnemonicConversionKeepsTheOldFileWhenTheDiskFills) {
  fs::copy_file(TAVOLIN_TEST_DATA "/seq_to_nic/PUMP.SEQ", folder / "PUMP.SEQ");
  put(folder / "PUMP.NIC", OLD_NIC);
  int result = 0;
  {
    FileSizeLimit limit(64);
    result = convert_seq_to_nic(nullptr, nullptr, (folder / "PUMP.SEQ").c_str(), 0);
  }
  EXPECT_EQ(result, SEQ_TO_NIC_NO_NIC);
  EXPECT_EQ(contents(folder / "PUMP.NIC"), OLD_NIC);
  EXPECT_EQ(entries(), 2u);  // the two files, nothing half written beside them
  ASSERT_EQ(notices.notices.size(), 1u);
  EXPECT_EQ(notices.notices[0].text, "書込みエラ－が発生しました！");
  EXPECT_EQ(notices.notices[0].caption, (folder / "PUMP.NIC").string());
}

// A read-only mnemonic file is never replaced by the conversion (whoever runs it: the
// attribute is read, the system's refusal is not counted on).
TEST_F(FileWriteFaults, TheMnemonicConversionNeverReplacesAReadOnlyFile) {
  fs::copy_file(TAVOLIN_TEST_DATA "/seq_to_nic/PUMP.SEQ", folder / "PUMP.SEQ");
  put(folder / "PUMP.NIC", OLD_NIC);
  fs::permissions(folder / "PUMP.NIC", fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
  EXPECT_EQ(convert_seq_to_nic(nullptr, nullptr, (folder / "PUMP.SEQ").c_str(), 0), SEQ_TO_NIC_NO_NIC);
  EXPECT_EQ(contents(folder / "PUMP.NIC"), OLD_NIC);
  EXPECT_EQ(entries(), 2u);
  ASSERT_EQ(notices.notices.size(), 1u);
  EXPECT_EQ(notices.notices[0].text, "読取り専用ファイルです");
  EXPECT_EQ(notices.notices[0].caption, (folder / "PUMP.NIC").string());
}

TEST_F(FileWriteFaults, AFolderInPlaceOfTheFileStaysAndNothingIsLeftBeside) {
  fs::create_directories(folder / "A.MBS");
  EXPECT_FALSE(write_file_replacing((folder / "A.MBS").string(), std::string_view("new\r\n")));
  EXPECT_TRUE(fs::is_directory(folder / "A.MBS"));
  EXPECT_EQ(entries(), 1u);
  fs::copy_file(TAVOLIN_TEST_DATA "/seq_to_nic/PUMP.SEQ", folder / "PUMP.SEQ");
  fs::create_directories(folder / "PUMP.NIC");
  EXPECT_EQ(convert_seq_to_nic(nullptr, nullptr, (folder / "PUMP.SEQ").c_str(), 0), SEQ_TO_NIC_NO_NIC);
  EXPECT_TRUE(fs::is_directory(folder / "PUMP.NIC"));
  EXPECT_EQ(entries(), 3u);
}

// The user's own file named like the target with ".new" (or any other name) is never taken
// for the new file of a write, and survives the save.
TEST_F(FileWriteFaults, AUsersFileBesideTheTargetIsNeverTakenForTheNewFile) {
  put(folder / "A.MBS", "old\r\n");
  put(folder / "A.MBS.new", "the user's own file\r\n");
  put(folder / "A.MBS.tmp", "another of the user's files\r\n");
  EXPECT_TRUE(write_file_replacing((folder / "A.MBS").string(), std::string_view("new\r\n")));
  EXPECT_EQ(contents(folder / "A.MBS"), "new\r\n");
  EXPECT_EQ(contents(folder / "A.MBS.new"), "the user's own file\r\n");
  EXPECT_EQ(contents(folder / "A.MBS.tmp"), "another of the user's files\r\n");
  EXPECT_EQ(entries(), 3u);
}

// The staged write itself on a disk that fills up: the old file whole, nothing left beside it.
TEST_F(FileWriteFaults, AStagedWriteOnADiskThatFillsKeepsTheOldFile) {
  const std::string old = std::string(5000, 'o') + "\r\n";
  put(folder / "A.MBS", old);
  bool written = true;
  {
    FileSizeLimit limit(64);
    written = write_file_replacing((folder / "A.MBS").string(), std::string_view(std::string(4000, 'y')));
  }
  EXPECT_FALSE(written);
  EXPECT_EQ(contents(folder / "A.MBS"), old);
  EXPECT_EQ(entries(), 1u);
}

}  // namespace
