#include "shell/documents.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(DocumentTitles, FollowTheCommandThatCreatesTheWindow) {
  struct Case {
    std::string got;
    const char* expected;
  };
  for (const Case& c : {
           Case{new_document_title(false), "  新規.MBS"},
           Case{new_document_title(true), "  新規.NIC"},
           Case{opened_document_title("SAMPLE1.MBS", false), "  SAMPLE1.MBS"},
           Case{opened_document_title("制御.NIC", true), "  制御.NIC -Refer."},
           Case{switch_document_title("SINGOU1", ".MBS"), "  SINGOU1.MBS"},
           Case{switch_document_title("SINGOU1", ".NIC"), "  SINGOU1.NIC"},
           Case{monitor_window_title("PUMP", 1), "PUMP.SEQ  No. = 1"},
           Case{monitor_window_title("PUMP", 12), "PUMP.SEQ  No. = 12"},
           Case{io_display_title("PUMP"), "I/O DSPLAY  PUMP.SEQ"},
       })
    EXPECT_EQ(c.got, c.expected);
}

TEST(ChildPlacement, ByRoute) {
  struct Case {
    ChildRoute route;
    ChildPlacement expected;
  };
  for (const Case& c : {
           Case{ChildRoute::OPEN, {0, 0, 800, 560, 0xE00000}},
           Case{ChildRoute::SCREEN_SWITCH, {0, -23, 800, 583, 0xE00000}},
           Case{ChildRoute::MONITOR, {0, -23, 792, 583, 0x200000}},
       }) {
    const ChildPlacement p = child_placement(c.route, 800, 560);
    EXPECT_EQ(p.x, c.expected.x);
    EXPECT_EQ(p.y, c.expected.y);
    EXPECT_EQ(p.width, c.expected.width);
    EXPECT_EQ(p.height, c.expected.height);
    EXPECT_EQ(p.style, c.expected.style);
  }
}

TEST(ProjectFiles, TakeTheProjectsFolderAndNameWithTheWantedExtension) {
  PathParts project{};
  ASSERT_EQ(split_path("C:\\表\\能.MBS", project), 0);  // 表 and 能 end in the byte 0x5C
  char path[PATH_BYTES];
  ASSERT_TRUE(project_file_path(project, ".SEQ", path));
  EXPECT_STREQ(path, "C:\\表\\能.SEQ");
  ASSERT_TRUE(project_file_path(project, ".NIC", path));
  EXPECT_STREQ(path, "C:\\表\\能.NIC");
  EXPECT_EQ(file_title_of(project), "能.MBS");

  // A project path that would no longer fit is refused, never cut.
  PathParts long_project{};
  std::string long_path = "C:\\" + std::string(240, 'd') + "\\" + std::string(12, 'n') + ".M";
  ASSERT_EQ(split_path(long_path, long_project), 0);
  char small[PATH_BYTES];
  EXPECT_FALSE(project_file_path(long_project, ".MBS", small));
  EXPECT_STREQ(small, "");
}

TEST(ChosenPath, KeepsTheLongNameAndTheShortFolder) {
  PathParts parts{};
  ASSERT_EQ(split_chosen_path("C:\\long folder\\my design.MBS", "C:\\LONGFO~1\\MYDESI~1.MBS", parts), 0);
  EXPECT_STREQ(parts.drive, "C:");
  EXPECT_STREQ(parts.dir, "\\LONGFO~1\\");
  EXPECT_STREQ(parts.name, "my design");
  EXPECT_STREQ(parts.ext, ".MBS");
}

TEST(ChildOpenRecord, IsFilledWholeOrNotAtAll) {
  ChildOpenRecord record{};
  ASSERT_TRUE(fill_child_open(record, FileFilter::NIC, "C:\\W\\A.NIC", "A.NIC", 0));
  EXPECT_STREQ(record.path, "C:\\W\\A.NIC");
  EXPECT_STREQ(record.title, "A.NIC");
  EXPECT_EQ(record.filter, FileFilter::NIC);
  EXPECT_FALSE(fill_child_open(record, FileFilter::SEQ, std::string(PATH_BYTES, 'x'), "T", CHILD_OPEN_READ_ONLY));
  EXPECT_STREQ(record.path, "");
  EXPECT_STREQ(record.title, "");
  EXPECT_EQ(record.flags, CHILD_OPEN_READ_ONLY);
}

TEST(Filters, AreDoubleNulEndedPatternPairs) {
  using namespace std::string_view_literals;
  EXPECT_EQ(filter_pairs(FileFilter::MBS), "MBS\0*.MBS\0\0"sv);
  EXPECT_EQ(filter_pairs(FileFilter::NIC), "NIC\0*.NIC\0\0"sv);
  EXPECT_EQ(filter_pairs(FileFilter::SEQ), "SEQ\0*.SEQ\0\0"sv);
  EXPECT_EQ(filter_pairs(FileFilter::EXE), "EXE\0*.EXE\0\0"sv);
}

}  // namespace
