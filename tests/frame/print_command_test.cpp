// The print command's decisions: which case applies on which screen, the print mode, the
// question and the paths handed to the printing library.
#include "frame/print_command.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "shell/command_routing.h"
#include "shell/io_parts_list.h"

namespace {

struct CaseRow {
  int toolbar_kind;
  bool first_design;
  bool first_mnemonic;
  PrintCase expected;
};

class PrintCaseTable : public ::testing::TestWithParam<CaseRow> {};

TEST_P(PrintCaseTable, ScreenAndFirstWindowChooseTheCase) {
  const CaseRow& c = GetParam();
  EXPECT_EQ(print_case(c.toolbar_kind, c.first_design, c.first_mnemonic), c.expected);
}

constexpr int D = TOOLBAR_KIND_DESIGN;
constexpr int M = TOOLBAR_KIND_MNEMONIC;
constexpr int O = TOOLBAR_KIND_MONITOR;
constexpr int I = TOOLBAR_KIND_INITIAL;
using enum PrintCase;

INSTANTIATE_TEST_SUITE_P(
    Screens, PrintCaseTable,
    ::testing::Values(
        // The design screen prints its first design window; a mnemonic window beside it changes nothing.
        CaseRow{D, true, false, AskThenPrint}, CaseRow{D, true, true, AskThenPrint},
        // The design toolbar without a design window, even with a mnemonic window open.
        CaseRow{D, false, false, Nothing}, CaseRow{D, false, true, Nothing},
        // The mnemonic screen never prints; it warns only when its first window exists.
        CaseRow{M, false, true, Unsupported}, CaseRow{M, true, true, Unsupported},
        CaseRow{M, true, false, Nothing}, CaseRow{M, false, false, Nothing},
        // Monitor and initial toolbars do nothing, whatever is open.
        CaseRow{O, true, true, Nothing}, CaseRow{O, true, false, Nothing}, CaseRow{I, false, false, Nothing},
        CaseRow{I, true, true, Nothing},
        // A toolbar kind outside the four is no screen that prints.
        CaseRow{-1, true, true, Nothing}, CaseRow{4, true, true, Nothing}));

TEST(PrintMode, FourWithTheFirstPictureSetSixWithTheSecond) {
  struct Row {
    int32_t picture_set;
    int32_t mode;
  };
  // Only bit 0 of the picture-set choice counts.
  for (const Row& r : {Row{0, 4}, Row{1, 6}, Row{2, 4}, Row{3, 6}, Row{-1, 6}})
    EXPECT_EQ(print_mode_for(r.picture_set), r.mode) << r.picture_set;
}

TEST(PrintQuestion, NamesTheProjectAndTheExtensionOfTheFileChosenLast) {
  EXPECT_EQ(print_question("SAMPLE1", ".MBS"), "SAMPLE1.MBSの 設計画面を\nプリントアウトしますか？");
  EXPECT_EQ(print_question("LAMP", ".NIC"), "LAMP.NICの 設計画面を\nプリントアウトしますか？");
  // A name holding a percent sign is shown as it is, never taken as a format.
  EXPECT_EQ(print_question("A%sB", ""), "A%sBの 設計画面を\nプリントアウトしますか？");
}

TEST(PrintPath, TheProjectsDesignFileWhateverItsExtension) {
  struct Row {
    const char* project;
    const char* expected;
  };
  for (const Row& r : {Row{"C:\\WORK\\LAMP.NIC", "C:\\WORK\\LAMP.MBS"}, Row{"C:\\WORK\\LAMP.MBS", "C:\\WORK\\LAMP.MBS"},
                       Row{"C:\\WORK\\LAMP.SEQ", "C:\\WORK\\LAMP.MBS"}, Row{"D:\\\x95\x5C\\A", "D:\\\x95\x5C\\A.MBS"}}) {
    PathParts project{};
    ASSERT_EQ(split_path(r.project, project), 0);
    char path[PATH_BYTES] = "x";
    EXPECT_TRUE(build_print_path(project, path));
    EXPECT_STREQ(path, r.expected) << r.project;
  }
}

TEST(PrintPath, APathThatDoesNotFitIsRefusedNotCut) {
  PathParts project{};
  ASSERT_EQ(split_path("C:\\" + std::string(200, 'd') + "\\" + std::string(54, 'n'), project), 0);
  char path[PATH_BYTES] = "x";
  EXPECT_FALSE(build_print_path(project, path));
  EXPECT_STREQ(path, "");
}

TEST(PrintLibraryPath, TheLibraryFileInTheProgramFolder) {
  struct Row {
    const char* folder;
    const char* expected;
  };
  for (const Row& r : {Row{"C:\\TAVOLIN", "C:\\TAVOLIN\\dabu42QX.dll"}, Row{"C:\\", "C:\\dabu42QX.dll"},
                       Row{"Z:\\tmp\\PRO~1", "Z:\\tmp\\PRO~1\\dabu42QX.dll"},
                       // "ソ" ends in the byte 0x5C, which is no separator.
                       Row{"C:\\\x83\x5C", "C:\\\x83\x5C\\dabu42QX.dll"}}) {
    char path[PATH_BYTES] = "x";
    EXPECT_TRUE(build_print_library_path(r.folder, path));
    EXPECT_STREQ(path, r.expected) << r.folder;
  }
  char path[PATH_BYTES] = "x";
  EXPECT_FALSE(build_print_library_path(std::string(250, 'f'), path));
  EXPECT_STREQ(path, "");
}

TEST(IoPartsList, EmptiedListHoldsItsEndEntryAlone) {
  IoPartsList list;
  for (auto& line : list) line.fill('x');
  empty_io_parts_list(list);
  EXPECT_STREQ(list[0].data(), "QQQQQQ");
  for (int i = 6; i < IO_PARTS_LINE_BYTES; ++i) EXPECT_EQ(list[0][i], '\0') << i;
  for (int line = 1; line < IO_PARTS_LINES; ++line) EXPECT_EQ(list[line][0], '\0') << line;
}

}  // namespace
