#include "shell/settings_file.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

constexpr const char* START = "C:\\START";

// The four fixed lines as the writer produces them, and a settings state to read into.
class SettingsFileTest : public ::testing::Test {
 protected:
  void SetUp() override { set_default_settings(s, START); }
  SettingsReadOutcome read(const std::string& text) { return read_settings_text(text, s); }
  std::vector<std::string> recent() const {
    std::vector<std::string> paths;
    for (int i = 0; i < recent_file_count(s.recent_files); ++i) paths.emplace_back(recent_file_entry(s.recent_files, i));
    return paths;
  }
  AppSettings s{};
};

const std::string DEFAULT_LINES_FROM_START =
    "iDirectory C:\\START\\Sample\r\n"
    "[SETUF] 1 1 1 1 11 Courier 0 125 0\r\n"
    "[RS232C] 1\r\n"
    "[ROMWRT] \r\n";

TEST_F(SettingsFileTest, DefaultsBeforeTheFileIsRead) {
  EXPECT_STREQ(s.work_folder, START);
  EXPECT_EQ(s.guide_flags, (std::array<int32_t, 4>{1, 1, 1, 1}));
  EXPECT_EQ(s.option_bits, 0x11);
  EXPECT_EQ(s.double_lines, 1);
  EXPECT_EQ(s.picture_set, 0);
  EXPECT_STREQ(s.font_name, "Courier New");
  EXPECT_EQ(s.ini_numbers, (std::array<int32_t, 3>{0, 125, 0}));
  EXPECT_EQ(s.com_number, 0);
  EXPECT_EQ(recent_file_count(s.recent_files), 0);
}

TEST_F(SettingsFileTest, MissingFileGetsTheDefaultLinesAndComOne) {
  const auto outcome = settings_for_missing_file(s);
  EXPECT_TRUE(outcome.write_defaults);
  EXPECT_EQ(outcome.default_text, DEFAULT_LINES_FROM_START);
  EXPECT_EQ(s.com_number, 1);
  EXPECT_STREQ(s.work_folder, "C:\\START\\Sample");
  EXPECT_FALSE(outcome.move_frame);
  EXPECT_FALSE(outcome.change_directory);
}

TEST_F(SettingsFileTest, FourFixedLinesGiveTheProjectAsTheOnlyRecentEntry) {
  const auto outcome = read(
      "iDirectory C:\\PROJ\\LAMP.MBS\r\n"
      "[SETUF] 1 1 1 1 11 Courier 0 125 0 10 20 800 600\r\n"
      "[RS232C] 4\r\n"
      "[ROMWRT] C:\\TOOLS\\WRITER.EXE\r\n");
  EXPECT_FALSE(outcome.write_defaults);
  EXPECT_STREQ(s.project.drive, "C:");
  EXPECT_STREQ(s.project.dir, "\\PROJ\\");
  EXPECT_STREQ(s.project.name, "LAMP");
  EXPECT_STREQ(s.project.ext, ".MBS");
  EXPECT_STREQ(s.work_folder, "C:\\PROJ\\");
  EXPECT_TRUE(outcome.change_directory);
  EXPECT_EQ(s.com_number, 4);
  EXPECT_STREQ(s.rom_writer_path, "C:\\TOOLS\\WRITER.EXE");
  EXPECT_EQ(recent(), (std::vector<std::string>{"C:\\PROJ\\LAMP.MBS"}));
  ASSERT_TRUE(outcome.move_frame);
  EXPECT_EQ(outcome.frame.left, 10);
  EXPECT_EQ(outcome.frame.top, 20);
  EXPECT_EQ(outcome.frame.width, 800);
  EXPECT_EQ(outcome.frame.height, 600);
}

TEST_F(SettingsFileTest, TenWordSetupLineSetsGuidesOptionsAndFaceButLeavesTheFrame) {
  const auto outcome = read(
      "iDirectory C:\\P\\A.MBS\n"
      "[SETUF] 0 1 1 1 11 Arial 0 125 0\n"
      "[RS232C] 1\n"
      "[ROMWRT] \n");
  EXPECT_EQ(s.guide_flags, (std::array<int32_t, 4>{0, 1, 1, 1}));
  EXPECT_EQ(s.option_bits, 0x11);
  EXPECT_STREQ(s.font_name, "Arial");
  EXPECT_FALSE(outcome.move_frame);
  EXPECT_FALSE(outcome.write_defaults);
}

struct SetupCase {
  const char* line2;
  std::array<int32_t, 4> guides;
  int32_t options, picture_set, double_lines;
  const char* face;
  std::array<int32_t, 3> numbers;
  bool moves;
};

class SetupLine : public ::testing::TestWithParam<SetupCase> {};

TEST_P(SetupLine, ReadsWhatTheLineHolds) {
  const SetupCase& c = GetParam();
  AppSettings s{};
  set_default_settings(s, START);
  const auto outcome =
      read_settings_text(std::string("iDirectory C:\\A.MBS\n") + c.line2 + "\n[RS232C] 1\n[ROMWRT] \n", s);
  EXPECT_FALSE(outcome.write_defaults);
  EXPECT_EQ(s.guide_flags, c.guides);
  EXPECT_EQ(s.option_bits, c.options);
  EXPECT_EQ(s.picture_set, c.picture_set);
  EXPECT_EQ(s.double_lines, c.double_lines);
  EXPECT_STREQ(s.font_name, c.face);
  EXPECT_EQ(s.ini_numbers, c.numbers);
  EXPECT_EQ(outcome.move_frame, c.moves);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, SetupLine,
    ::testing::Values(
        // Options are masked with 0x3F; bit 2 picks the second picture set, bit 4 double lines.
        SetupCase{"[SETUF] 1 1 1 1 ff Courier 1 2 3", {1, 1, 1, 1}, 0x3F, 1, 1, "Courier New", {1, 2, 3}, false},
        SetupCase{"[SETUF] 1 0 0 0 4 Times 5 6 7 1 2 3 4", {1, 0, 0, 0}, 0x04, 1, 0, "Courier New", {5, 6, 7}, true},
        // Any guide token other than "0" leaves the guide on.
        SetupCase{"[SETUF] x 00 1 0", {1, 1, 1, 0}, 0x11, 0, 1, "Courier New", {0, 125, 0}, false},
        // Fewer than eight words: the numbers are 0 125 0; eight or nine: the missing ones too.
        SetupCase{"[SETUF] 1 1 1 1 3 Arial", {1, 1, 1, 1}, 0x03, 0, 0, "Arial", {0, 125, 0}, false},
        SetupCase{"[SETUF] 1 1 1 1 3 Arial 9", {1, 1, 1, 1}, 0x03, 0, 0, "Arial", {9, 125, 0}, false},
        // A word that does not convert ends the reading there: "0x11" is not a hex word.
        SetupCase{"[SETUF] 1 1 1 0 0x11 Arial 9 9 9 1 1 1 1", {1, 1, 1, 0}, 0x11, 0, 1, "Courier New", {0, 125, 0},
                  false},
        SetupCase{"[SETUF] 1 1 1 1 11 Arial 1 2 3 4 5 6 x", {1, 1, 1, 1}, 0x11, 0, 1, "Arial", {1, 2, 3}, false},
        // Eleven to thirteen words name part of a rectangle: the frame stays.
        SetupCase{"[SETUF] 1 1 1 1 11 Arial 1 2 3 4 5 6", {1, 1, 1, 1}, 0x11, 0, 1, "Arial", {1, 2, 3}, false},
        // A rectangle without size does not move the frame.
        SetupCase{"[SETUF] 1 1 1 1 11 Arial 1 2 3 4 5 0 600", {1, 1, 1, 1}, 0x11, 0, 1, "Arial", {1, 2, 3}, false},
        // Only the tag.
        SetupCase{"[SETUF]", {1, 1, 1, 1}, 0x11, 0, 1, "Courier New", {0, 125, 0}, false}));

TEST_F(SettingsFileTest, ComNumbersTenToFifteenComeBackAsWritten) {
  for (int com = 0; com <= MAX_COM_NUMBER; ++com) {
    AppSettings written{};
    set_default_settings(written, START);
    written.com_number = com;
    const std::string text = format_settings_file(written, {0, 0, 640, 480});
    AppSettings back{};
    set_default_settings(back, START);
    read_settings_text(text, back);
    EXPECT_EQ(back.com_number, com) << text;
  }
}

struct ComCase {
  const char* word;
  int32_t com;
};
class ComWord : public ::testing::TestWithParam<ComCase> {};
TEST_P(ComWord, GivesTheComNumber) {
  AppSettings s{};
  set_default_settings(s, START);
  read_settings_text(std::string("iDirectory C:\\A.MBS\n[SETUF] 1\n[RS232C] ") + GetParam().word + "\n[ROMWRT] \n", s);
  EXPECT_EQ(s.com_number, GetParam().com);
}
INSTANTIATE_TEST_SUITE_P(Cases, ComWord,
                         ::testing::Values(ComCase{"1", 1}, ComCase{"9", 9}, ComCase{"a", 10}, ComCase{"C", 12},
                                           ComCase{"f", 15}, ComCase{"0", 0},
                                           // Not a number 0-15: the low four bits of its first character.
                                           ComCase{"Z", 10}, ComCase{"16", 1}, ComCase{"-1", 13}));

struct BadFile {
  const char* name;
  const char* text;
  bool project_kept;
};
class MalformedFile : public ::testing::TestWithParam<BadFile> {};
TEST_P(MalformedFile, GetsTheDefaultLinesAndStartsUpAnyway) {
  AppSettings s{};
  set_default_settings(s, START);
  const auto outcome = read_settings_text(GetParam().text, s);
  ASSERT_TRUE(outcome.write_defaults);
  EXPECT_EQ(s.com_number, 1);
  EXPECT_EQ(recent_file_count(s.recent_files), 0);
  EXPECT_STREQ(s.rom_writer_path, "");
  if (GetParam().project_kept) {
    // Line 1 was read: the project stays, and the default line 1 names its folder.
    EXPECT_STREQ(s.project.name, "LAMP");
    EXPECT_EQ(outcome.default_text.substr(0, outcome.default_text.find('\r')), "iDirectory C:\\PROJ\\Sample");
    EXPECT_STREQ(s.work_folder, "C:\\PROJ\\Sample");
  } else {
    EXPECT_EQ(outcome.default_text, DEFAULT_LINES_FROM_START);
    EXPECT_STREQ(s.project.name, "");
  }
}
INSTANTIATE_TEST_SUITE_P(
    Cases, MalformedFile,
    ::testing::Values(BadFile{"Empty", "", false}, BadFile{"BlankLine", "\r\n", false},
                      BadFile{"WrongLine1", "Directory C:\\PROJ\\LAMP.MBS\n[SETUF] 1\n[RS232C] 1\n[ROMWRT] \n", false},
                      BadFile{"WrongLine2", "iDirectory C:\\PROJ\\LAMP.MBS\n[SETUP] 1\n[RS232C] 1\n[ROMWRT] \n", true},
                      BadFile{"WrongLine3", "iDirectory C:\\PROJ\\LAMP.MBS\n[SETUF] 1\n[RS232] 1\n[ROMWRT] \n", true},
                      BadFile{"WrongLine4", "iDirectory C:\\PROJ\\LAMP.MBS\n[SETUF] 1\n[RS232C] 1\nROMWRT\n", true},
                      BadFile{"EndsAfterLine3", "iDirectory C:\\PROJ\\LAMP.MBS\n[SETUF] 1\n[RS232C] 3\n", true},
                      // 0x1A ends the text like the end of the file.
                      BadFile{"EndOfTextMark", "iDirectory C:\\PROJ\\LAMP.MBS\n[SETUF] 1\n\x1A[RS232C] 3\n", true}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(SettingsFileTest, LineEndingsCrLfAndLfReadTheSame) {
  const std::string lf = "iDirectory C:\\P\\X.MBS\n[SETUF] 0 0 1 1 15 Arial 1 2 3\n[RS232C] 2\n[ROMWRT] R\nC:\\P\\Y.MBS\n";
  std::string crlf;
  for (char c : lf) crlf += c == '\n' ? std::string("\r\n") : std::string(1, c);
  AppSettings a{}, b{};
  set_default_settings(a, START);
  set_default_settings(b, START);
  read_settings_text(lf, a);
  read_settings_text(crlf, b);
  EXPECT_EQ(a.recent_files[0].data(), std::string("C:\\P\\Y.MBS"));
  EXPECT_STREQ(b.rom_writer_path, "R");
  EXPECT_EQ(format_settings_file(a, {1, 2, 3, 4}), format_settings_file(b, {1, 2, 3, 4}));
}

TEST_F(SettingsFileTest, RecentLinesAfterTheEndOfTextMarkAreNotRead) {
  read("iDirectory C:\\P\\X.MBS\n[SETUF] 1\n[RS232C] 2\n[ROMWRT] \nC:\\A.MBS\n\x1A" "C:\\B.MBS\n");
  EXPECT_EQ(recent(), (std::vector<std::string>{"C:\\A.MBS"}));
}

TEST_F(SettingsFileTest, LineOneWithoutAPathLeavesNoProjectAndNoFolderChange) {
  const auto outcome = read("iDirectory \r\n[SETUF] 1\r\n[RS232C] 1\r\n[ROMWRT] \r\n");
  EXPECT_FALSE(outcome.write_defaults);
  EXPECT_FALSE(outcome.change_directory);
  EXPECT_STREQ(s.project.name, "");
  EXPECT_STREQ(s.work_folder, START);
  EXPECT_EQ(recent_file_count(s.recent_files), 0);
}

TEST_F(SettingsFileTest, PathsWithBlanksRoundTripWhole) {
  PathParts project{};
  ASSERT_EQ(split_path("C:\\my designs\\traffic light.MBS", project), 0);
  s.project = project;
  copy_text(s.rom_writer_path, "C:\\Program Files\\rom writer\\w.exe");
  push_recent_file(s.recent_files, "C:\\old one\\a b.MBS");
  const std::string text = format_settings_file(s, {0, 0, 640, 480});

  AppSettings back{};
  set_default_settings(back, START);
  const auto outcome = read_settings_text(text, back);
  EXPECT_FALSE(outcome.write_defaults);
  EXPECT_STREQ(back.project.dir, "\\my designs\\");
  EXPECT_STREQ(back.project.name, "traffic light");
  EXPECT_STREQ(back.work_folder, "C:\\my designs\\");
  EXPECT_STREQ(back.rom_writer_path, "C:\\Program Files\\rom writer\\w.exe");
  EXPECT_EQ(std::string(back.recent_files[0].data()), "C:\\my designs\\traffic light.MBS");
  EXPECT_EQ(std::string(back.recent_files[1].data()), "C:\\old one\\a b.MBS");
  EXPECT_EQ(format_settings_file(back, {0, 0, 640, 480}), text);
}

TEST_F(SettingsFileTest, OverLongPathsAreLeftOutNeverCut) {
  const std::string long_path = "C:\\" + std::string(300, 'x') + ".MBS";
  const std::string long_recent = "C:\\" + std::string(RECENT_ENTRY_BYTES, 'r') + ".MBS";
  const auto outcome = read("iDirectory " + long_path + "\n[SETUF] 1\n[RS232C] 1\n[ROMWRT] " + long_path + "\n" +
                            long_recent + "\nC:\\OK.MBS\n" + std::string(5000, 'z') + "\n");
  EXPECT_FALSE(outcome.write_defaults);
  EXPECT_FALSE(outcome.change_directory);
  EXPECT_STREQ(s.project.name, "");
  EXPECT_STREQ(s.work_folder, START);
  EXPECT_STREQ(s.rom_writer_path, "");
  EXPECT_EQ(recent(), (std::vector<std::string>{"C:\\OK.MBS"}));
}

TEST_F(SettingsFileTest, AtMostTwentyRecentLinesAreRead) {
  std::string text = "iDirectory C:\\P\\X.MBS\n[SETUF] 1\n[RS232C] 1\n[ROMWRT] \n";
  for (int i = 0; i < 25; ++i) text += "C:\\F" + std::to_string(i) + ".MBS\n";
  read(text);
  ASSERT_EQ(recent_file_count(s.recent_files), 20);
  EXPECT_EQ(recent().back(), "C:\\F19.MBS");
  EXPECT_EQ(std::string(s.recent_files[20].data()), "QQ");
}

TEST_F(SettingsFileTest, WriterProducesTheExactLines) {
  PathParts project{};
  ASSERT_EQ(split_path("C:\\PROJ\\LAMP.NIC", project), 0);
  s.project = project;
  s.guide_flags = {0, 1, 1, 0};
  s.option_bits = 0x3B;
  copy_text(s.font_name, "Arial");
  s.ini_numbers = {7, 125, -2};
  s.com_number = 12;
  push_recent_file(s.recent_files, "C:\\B.MBS");
  push_recent_file(s.recent_files, "C:\\A.MBS");
  EXPECT_EQ(format_settings_file(s, {-4, 8, 1024, 700}),
            "iDirectory C:\\PROJ\\LAMP.NIC\r\n"
            "[SETUF] 0 1 1 0 3b Arial 7 125 -2 -4 8 1024 700\r\n"
            "[RS232C] c\r\n"
            "[ROMWRT] \r\n"
            "C:\\A.MBS\r\n"
            "C:\\B.MBS\r\n");
}

TEST_F(SettingsFileTest, SavingADesignProjectPutsItFirstButAMnemonicProjectDoesNot) {
  push_recent_file(s.recent_files, "C:\\OLD.MBS");
  PathParts project{};
  split_path("C:\\P\\LAMP.NIC", project);
  s.project = project;
  format_settings_file(s, {0, 0, 1, 1});
  EXPECT_EQ(recent(), (std::vector<std::string>{"C:\\OLD.MBS"}));
  for (const char* ext : {".MBS", ".mbs", ".Mbs"}) {
    split_path(std::string("C:\\P\\LAMP") + ext, project);
    s.project = project;
    format_settings_file(s, {0, 0, 1, 1});
    EXPECT_EQ(recent().front(), std::string("C:\\P\\LAMP") + ext);
  }
  EXPECT_EQ(recent().back(), "C:\\OLD.MBS");
}

TEST(RecentFiles, PushKeepsOnePathOnceAtTheTopAndTwentyAtMost) {
  RecentFileList list{};
  empty_recent_files(list);
  push_recent_file(list, "A");
  push_recent_file(list, "B");
  push_recent_file(list, "A");
  ASSERT_EQ(recent_file_count(list), 2);
  EXPECT_EQ(recent_file_entry(list, 0), "A");
  EXPECT_EQ(recent_file_entry(list, 1), "B");
  for (int i = 0; i < 25; ++i) push_recent_file(list, "F" + std::to_string(i));
  ASSERT_EQ(recent_file_count(list), 20);
  EXPECT_EQ(recent_file_entry(list, 0), "F24");
  EXPECT_EQ(recent_file_entry(list, 19), "F5");
  EXPECT_EQ(std::string(list[20].data()), "QQ");
  // The 21st distinct path pushes out exactly the oldest.
  push_recent_file(list, "NEW");
  EXPECT_EQ(recent_file_entry(list, 19), "F6");
  // A path already in the middle moves to the top; nothing else is lost.
  push_recent_file(list, "F10");
  EXPECT_EQ(recent_file_entry(list, 0), "F10");
  EXPECT_EQ(recent_file_entry(list, 1), "NEW");
  EXPECT_EQ(recent_file_entry(list, 19), "F6");
  EXPECT_EQ(recent_file_count(list), 20);
}

TEST(RecentFiles, EmptyOrOverLongPathsLeaveTheListAlone) {
  RecentFileList list{};
  empty_recent_files(list);
  push_recent_file(list, "A");
  push_recent_file(list, "");
  push_recent_file(list, std::string(RECENT_ENTRY_BYTES, 'x'));
  push_recent_file(list, "QQ");
  EXPECT_EQ(recent_file_count(list), 1);
  push_recent_file(list, std::string(RECENT_ENTRY_BYTES - 1, 'y'));
  EXPECT_EQ(recent_file_count(list), 2);
}

TEST(RecentFiles, ListWithoutEndEntryIsTreatedAsFull) {
  RecentFileList list{};
  for (int i = 0; i <= RECENT_FILE_MAX; ++i) copy_text(list[i], "P" + std::to_string(i));
  EXPECT_EQ(recent_file_count(list), 20);
  push_recent_file(list, "NEW");
  EXPECT_EQ(recent_file_entry(list, 0), "NEW");
  EXPECT_EQ(recent_file_entry(list, 19), "P18");
  EXPECT_EQ(std::string(list[20].data()), "QQ");
}

TEST(RecentMenu, PlanFollowsTheListAndTheExpandedState) {
  RecentFileList list{};
  empty_recent_files(list);
  EXPECT_FALSE(recent_menu_plan(list, false).change);
  const auto expanded_empty = recent_menu_plan(list, true);
  EXPECT_TRUE(expanded_empty.change);
  EXPECT_TRUE(expanded_empty.append.empty());

  push_recent_file(list, "C:\\B.MBS");
  push_recent_file(list, "C:\\A.MBS");
  const auto folded = recent_menu_plan(list, false);
  EXPECT_EQ(folded.delete_first_id, 1936);
  EXPECT_EQ(folded.delete_last_id, 1956);
  ASSERT_EQ(folded.append.size(), 2u);
  EXPECT_EQ(folded.append[0].id, 1936);
  EXPECT_EQ(folded.append[0].text, "C:\\A.MBS");
  EXPECT_EQ(folded.append[1].id, 1956);
  EXPECT_EQ(folded.append[1].text, "         //");

  const auto all = recent_menu_plan(list, true);
  EXPECT_EQ(all.delete_last_id, 1955);
  ASSERT_EQ(all.append.size(), 2u);
  EXPECT_EQ(all.append[1].id, 1937);
  EXPECT_EQ(all.append[1].text, "C:\\B.MBS");

  const auto more = recent_expand_items(list);
  ASSERT_EQ(more.size(), 1u);
  EXPECT_EQ(more[0].id, 1937);
}

}  // namespace
