#include "shell/path_parts.h"

#include <gtest/gtest.h>

#include <string>

namespace {

struct SplitCase {
  const char* path;
  const char* drive;
  const char* dir;
  const char* name;
  const char* ext;
};

class SplitPath : public ::testing::TestWithParam<SplitCase> {};

TEST_P(SplitPath, GivesDriveDirectoryNameAndExtension) {
  const SplitCase& c = GetParam();
  PathParts parts{};
  ASSERT_EQ(split_path(c.path, parts), 0);
  EXPECT_STREQ(parts.drive, c.drive);
  EXPECT_STREQ(parts.dir, c.dir);
  EXPECT_STREQ(parts.name, c.name);
  EXPECT_STREQ(parts.ext, c.ext);
  char joined[PATH_BYTES];
  ASSERT_TRUE(join_path(parts, joined));
  EXPECT_STREQ(joined, c.path);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, SplitPath,
    ::testing::Values(SplitCase{"C:\\WORK\\SAMPLE1.MBS", "C:", "\\WORK\\", "SAMPLE1", ".MBS"},
                      SplitCase{"C:\\A.B\\NAME", "C:", "\\A.B\\", "NAME", ""},
                      SplitCase{"C:\\X\\Sample", "C:", "\\X\\", "Sample", ""},
                      SplitCase{"name.tar.gz", "", "", "name.tar", ".gz"},
                      SplitCase{"C:\\", "C:", "\\", "", ""},
                      SplitCase{"D:rel\\f.NIC", "D:", "rel\\", "f", ".NIC"},
                      SplitCase{"C:/unix/style.seq", "C:", "/unix/", "style", ".seq"},
                      SplitCase{"C:\\my designs\\a b.MBS", "C:", "\\my designs\\", "a b", ".MBS"},
                      // "表" is 95 5C and "ソ" 83 5C: the trail byte 0x5C is not a separator.
                      SplitCase{"C:\\\x95\x5C\\\x83\x5C.MBS", "C:", "\\\x95\x5C\\", "\x83\x5C", ".MBS"},
                      SplitCase{"C:\\dir\\\x95\x5C", "C:", "\\dir\\", "\x95\x5C", ""}));

TEST(SplitPathLimits, APieceThatDoesNotFitIsRefusedAndEmptiesEveryPiece) {
  PathParts parts{};
  const std::string long_name = "C:\\d\\" + std::string(300, 'n') + ".MBS";
  EXPECT_EQ(split_path(long_name, parts), -1);
  EXPECT_STREQ(parts.drive, "");
  EXPECT_STREQ(parts.dir, "");
  EXPECT_STREQ(parts.name, "");
  EXPECT_STREQ(parts.ext, "");
}

TEST(SplitPathLimits, JoinRefusesAPathLongerThanItsBuffer) {
  PathParts parts{};
  ASSERT_EQ(split_path("C:\\" + std::string(200, 'd') + "\\" + std::string(200, 'n'), parts), 0);
  char joined[PATH_BYTES];
  EXPECT_FALSE(join_path(parts, joined));
  EXPECT_STREQ(joined, "");
}

TEST(TextCopies, CopyAndAppendRefuseRatherThanCut) {
  char buffer[6];
  EXPECT_TRUE(copy_text(buffer, "abcde"));
  EXPECT_STREQ(buffer, "abcde");
  EXPECT_FALSE(copy_text(buffer, "abcdef"));
  EXPECT_STREQ(buffer, "");
  EXPECT_TRUE(copy_text(buffer, "ab"));
  EXPECT_TRUE(append_text(buffer, "cde"));
  EXPECT_FALSE(append_text(buffer, "f"));
  EXPECT_STREQ(buffer, "abcde");
}

TEST(TextCopies, SeparatorAtTheEndIsNotATrailByte) {
  EXPECT_TRUE(ends_with_separator("C:\\WORK\\"));
  EXPECT_FALSE(ends_with_separator("C:\\WORK"));
  EXPECT_FALSE(ends_with_separator("C:\\\x95\x5C"));
  EXPECT_TRUE(ends_with_separator("C:\\\x95\x5C\\"));
  EXPECT_FALSE(ends_with_separator(""));
}

}  // namespace
