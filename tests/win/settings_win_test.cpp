// file.ini on disk and the recent-file items of the File menu, with the real frame.
#include "core/design_file.h"  // before <windows.h>, which defines OUT

#include "target/windows_api.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "shell/command_ids.h"
#include "frame/frame_win.h"
#include "shell/settings_file.h"
#include "target/serial_port.h"
#include "shell/settings_win.h"
#include "shell/text_win.h"
#include "win/rig_helper.h"

namespace {

struct MenuItem {
  UINT id;
  std::wstring text;
  bool operator==(const MenuItem&) const = default;
};

std::vector<MenuItem> items_of(HMENU menu) {
  std::vector<MenuItem> items;
  const int count = GetMenuItemCount(menu);
  for (int i = 0; i < count; ++i) {
    wchar_t text[300] = L"";
    GetMenuStringW(menu, i, text, 300, MF_BYPOSITION);
    items.push_back({GetMenuItemID(menu, i), text});
  }
  return items;
}

// The items after "終了(&X)", the last fixed item of the File menu.
std::vector<MenuItem> items_after_exit(HMENU menu) {
  const auto all = items_of(menu);
  std::vector<MenuItem> after;
  bool seen = false;
  for (const auto& item : all) {
    if (seen) after.push_back(item);
    if (item.id == CMD_EXIT) seen = true;
  }
  EXPECT_TRUE(seen) << "no 終了 item";
  return after;
}

std::string line2(const std::string& file) {
  const auto start = file.find("\r\n") + 2;
  return file.substr(start, file.find("\r\n", start) - start);
}

const std::string FOUR_LINES_AND_THREE_RECENT =
    "iDirectory C:\\PROJ\\LAMP.MBS\r\n[SETUF] 1 1 1 1 11 Courier 0 125 0\r\n[RS232C] 1\r\n[ROMWRT] \r\n"
    "C:\\PROJ\\LAMP.MBS\r\nC:\\OLD\\A&B.MBS\r\nC:\\OLD\\C.MBS\r\n";

class SettingsWinTest : public ProgramTest {};

TEST_F(SettingsWinTest, AFrameClosedWhileMinimisedIsSavedAtItsRestoredRectangle) {
  write_file_bytes(folder_->file(L"file.ini"),
                   "iDirectory \r\n[SETUF] 1 1 1 1 11 Courier 0 125 0 100 50 700 500\r\n[RS232C] 1\r\n[ROMWRT] \r\n");
  ASSERT_TRUE(start());
  ShowWindow(frame_, SW_MINIMIZE);
  pump_messages();
  ASSERT_TRUE(IsIconic(frame_));
  SendMessageW(frame_, WM_CLOSE, 0, 0);
  pump_messages();
  ASSERT_FALSE(frame_alive());
  const std::string saved = line2(read_file_bytes(folder_->file(L"file.ini")));
  EXPECT_EQ(saved, "[SETUF] 1 1 1 1 11 Courier 0 125 0 100 50 700 500");
}

TEST_F(SettingsWinTest, ANormalFrameIsSavedWhereItIs) {
  ASSERT_TRUE(start());
  MoveWindow(frame_, 30, 40, 640, 480, TRUE);
  pump_messages();
  save_settings();
  EXPECT_EQ(line2(read_file_bytes(folder_->file(L"file.ini"))), "[SETUF] 1 1 1 1 11 Courier 0 125 0 30 40 640 480");
}

TEST_F(SettingsWinTest, TheProjectFolderBecomesCurrentButFileIniStaysInTheStartFolder) {
  const std::wstring project = folder_->file(L"project folder");
  ASSERT_TRUE(CreateDirectoryW(project.c_str(), nullptr));
  std::string project_cp932;
  ASSERT_TRUE(wide_to_cp932(project, project_cp932));
  write_file_bytes(folder_->file(L"file.ini"), "iDirectory " + project_cp932 +
                                                   "\\LAMP.MBS\r\n[SETUF] 1 1 1 1 11 Courier 0 125 0\r\n[RS232C] 5\r\n"
                                                   "[ROMWRT] \r\n");
  ASSERT_TRUE(start());
  wchar_t current[MAX_PATH];
  GetCurrentDirectoryW(MAX_PATH, current);
  EXPECT_EQ(std::wstring(current), project);
  EXPECT_EQ(g_com_number, 5);
  // The project of line 1 is the one the file writers name.
  EXPECT_STREQ(g_project_name, "LAMP");
  EXPECT_EQ(file_name_line(".SEQ").rfind("LAMP.SEQ", 0), 0u);

  SendMessageW(frame_, WM_CLOSE, 0, 0);
  pump_messages();
  EXPECT_FALSE(file_exists(project + L"\\file.ini"));
  const std::string saved = read_file_bytes(folder_->file(L"file.ini"));
  // The path with its blank comes back whole, and the design project heads the list.
  EXPECT_EQ(saved.substr(0, saved.find("\r\n")), "iDirectory " + project_cp932 + "\\LAMP.MBS");
  EXPECT_NE(saved.find("\r\n" + project_cp932 + "\\LAMP.MBS\r\n"), std::string::npos) << saved;
}

TEST_F(SettingsWinTest, AMalformedFileIsReplacedByTheDefaultLines) {
  write_file_bytes(folder_->file(L"file.ini"), "iDirectory C:\\PROJ\\LAMP.MBS\r\ngarbage\r\n");
  ASSERT_TRUE(start());
  EXPECT_EQ(read_file_bytes(folder_->file(L"file.ini")),
            "iDirectory C:\\PROJ\\Sample\r\n[SETUF] 1 1 1 1 11 Courier 0 125 0\r\n[RS232C] 1\r\n[ROMWRT] \r\n");
  EXPECT_EQ(g_com_number, 1);
}

TEST_F(SettingsWinTest, TheNewestRecentFileAndTheExpandItemFollowTheFixedItems) {
  write_file_bytes(folder_->file(L"file.ini"), FOUR_LINES_AND_THREE_RECENT);
  ASSERT_TRUE(start());
  EXPECT_EQ(items_after_exit(g_main_window_menu),
            (std::vector<MenuItem>{{CMD_RECENT_FILE, L"C:\\PROJ\\LAMP.MBS"}, {CMD_RECENT_EXPAND, L"         //"}}));

  // A system command rebuilds the same items (nothing doubles).
  SendMessageW(frame_, WM_SYSCOMMAND, SC_RESTORE, 0);
  EXPECT_EQ(items_after_exit(g_main_window_menu).size(), 2u);

  // The expand item shows every entry; a '&' in a path is shown, not taken as a mnemonic.
  SendMessageW(frame_, WM_COMMAND, CMD_RECENT_EXPAND, 0);
  EXPECT_EQ(g_recent_expanded, 1);
  const std::vector<MenuItem> all{{CMD_RECENT_FILE, L"C:\\PROJ\\LAMP.MBS"},
                                  {CMD_RECENT_FILE + 1, L"C:\\OLD\\A&&B.MBS"},
                                  {CMD_RECENT_FILE + 2, L"C:\\OLD\\C.MBS"}};
  EXPECT_EQ(items_after_exit(g_main_window_menu), all);
  SendMessageW(frame_, WM_SYSCOMMAND, SC_RESTORE, 0);
  EXPECT_EQ(items_after_exit(g_main_window_menu), all);
}

TEST_F(SettingsWinTest, ASavedDesignJoinsTheMenuAtTheNextSystemCommand) {
  ASSERT_TRUE(start());
  const auto before = items_of(g_main_window_menu);
  EXPECT_TRUE(items_after_exit(g_main_window_menu).empty());  // the default lines name no recent file

  split_path("C:\\PROJ\\NEW.MBS", g_app_settings.project);
  save_settings();
  EXPECT_TRUE(items_after_exit(g_main_window_menu).empty());  // the menu follows at the next system command
  SendMessageW(frame_, WM_SYSCOMMAND, SC_RESTORE, 0);
  auto after = items_of(g_main_window_menu);
  ASSERT_EQ(after.size(), before.size() + 2);
  EXPECT_EQ(std::vector<MenuItem>(after.begin(), after.begin() + static_cast<long>(before.size())), before);
  EXPECT_EQ(items_after_exit(g_main_window_menu),
            (std::vector<MenuItem>{{CMD_RECENT_FILE, L"C:\\PROJ\\NEW.MBS"}, {CMD_RECENT_EXPAND, L"         //"}}));

  // A mnemonic project leaves the list alone.
  split_path("C:\\PROJ\\NEW.NIC", g_app_settings.project);
  save_settings();
  SendMessageW(frame_, WM_SYSCOMMAND, SC_RESTORE, 0);
  EXPECT_EQ(items_after_exit(g_main_window_menu).size(), 2u);
  EXPECT_EQ(recent_file_count(g_recent_files), 1);
}

TEST_F(SettingsWinTest, AFileThatCannotBeWrittenIsGivenUpSilently) {
  write_file_bytes(folder_->file(L"file.ini"), FOUR_LINES_AND_THREE_RECENT);
  ASSERT_TRUE(start());
  // Another program holds the file open without sharing it.
  HANDLE held = CreateFileW(folder_->file(L"file.ini").c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(held, INVALID_HANDLE_VALUE);
  SendMessageW(frame_, WM_CLOSE, 0, 0);
  pump_messages();
  CloseHandle(held);
  EXPECT_FALSE(frame_alive());
  EXPECT_EQ(read_file_bytes(folder_->file(L"file.ini")), FOUR_LINES_AND_THREE_RECENT);
}

}  // namespace
