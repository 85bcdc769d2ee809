#include "shell/file_replace.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "support/scratch_files.h"
#include "support/staging_files.h"

namespace {

namespace fs = std::filesystem;

using scratch::contents;
using scratch::put;

const std::string OLD_TEXT = "iDirectory C:\\OLD\\A.MBS\r\n[SETUF] 1 1 1 1 11 Courier 0 125 0 0 0 640 480\r\n";

class FileReplace : public ::testing::Test {
 protected:
  void SetUp() override {
    folder = scratch::fresh_folder("file_replace_");
    path = (folder / "file.ini").string();
    put(path, OLD_TEXT);
  }
  void TearDown() override { scratch::remove_folder(folder); }

  // Only the file itself is left in the folder.
  void expect_no_new_file() {
    EXPECT_EQ(staging_files_in(folder), 0);
    EXPECT_EQ(std::distance(fs::directory_iterator(folder), fs::directory_iterator()), 1);
  }

  fs::path folder;
  std::string path;
};

TEST_F(FileReplace, AWholeWriteReplacesTheFile) {
  const std::string text = "iDirectory C:\\NEW\\B.MBS\r\n";
  EXPECT_TRUE(write_file_replacing(path, text));
  EXPECT_EQ(contents(path), text);
  expect_no_new_file();
  // A file that did not exist yet is created the same way.
  fs::remove(path);
  EXPECT_TRUE(write_file_replacing(path, OLD_TEXT));
  EXPECT_EQ(contents(path), OLD_TEXT);
  expect_no_new_file();
}

// The disk fills up while the new text is written (here: the process may write no file
// beyond 16 bytes). Written in place, the file would be left cut off; the old text stays.
TEST_F(FileReplace, AWriteThatFailsHalfWayLeavesTheOldFile) {
  const std::string text(4096, 'x');
  bool written = true;
  {
    scratch::FileSizeLimit limit(16);
    ASSERT_TRUE(limit.in_force());
    written = write_file_replacing(path, text);
  }

  EXPECT_FALSE(written);
  EXPECT_EQ(contents(path), OLD_TEXT);
  expect_no_new_file();
}

TEST_F(FileReplace, AMoveThatFailsLeavesTheOldFile) {
  FileAccess failing_move;
  failing_move.replace = [](const char*, const char*) { return false; };
  set_file_access(failing_move);
  const bool written = write_file_replacing(path, "new");
  set_file_access({});
  EXPECT_FALSE(written);
  EXPECT_EQ(contents(path), OLD_TEXT);
  expect_no_new_file();
}

TEST_F(FileReplace, AWriterThatFailsLeavesTheOldFileAndSaysWhy) {
  EXPECT_EQ(write_file_replacing(path, [](std::FILE* stream) { return std::fputs("half", stream) >= 0 && false; }),
            ReplaceResult::NOT_WRITTEN);
  EXPECT_EQ(contents(path), OLD_TEXT);
  expect_no_new_file();
  // No new file can be made in the folder.
  FileAccess no_new_file;
  no_new_file.create_new = [](const char*) -> std::FILE* { return nullptr; };
  set_file_access(no_new_file);
  EXPECT_EQ(write_file_replacing(path, [](std::FILE*) { return true; }), ReplaceResult::NOT_OPENED);
  set_file_access({});
  EXPECT_EQ(contents(path), OLD_TEXT);
}

TEST_F(FileReplace, ANewFileThatCannotBeMadeLeavesTheOldFile) {
  FileAccess no_new_file;
  no_new_file.create_new = [](const char*) -> std::FILE* { return nullptr; };
  set_file_access(no_new_file);
  EXPECT_FALSE(write_file_replacing(path, "new"));
  set_file_access({});
  EXPECT_EQ(contents(path), OLD_TEXT);
  expect_no_new_file();
  // A file left behind by an interrupted write (or any file of that kind of name) is never
  // written over: the next write makes a new file of its own.
  const fs::path left = folder / "~TV00000.TMP";
  put(left, "half a fi");
  EXPECT_TRUE(write_file_replacing(path, "new"));
  EXPECT_EQ(contents(path), "new");
  EXPECT_EQ(contents(left), "half a fi");
  EXPECT_EQ(std::distance(fs::directory_iterator(folder), fs::directory_iterator()), 2);
}

}  // namespace
