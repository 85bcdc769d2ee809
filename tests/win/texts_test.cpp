// The program keeps its texts as CP932 and shows them through the W functions, so the
// user reads them right whatever the system's ANSI code page (Wine's default is 1252).
#include "target/windows_api.h"

#include <gtest/gtest.h>

#include <string>

#include "core/notice.h"
#include "shell/command_ids.h"
#include "frame/frame_win.h"
#include "shell/message_box_win.h"
#include "shell/text_win.h"
#include "win/rig_helper.h"

namespace {

TEST(Texts, Cp932ConvertsBothWays) {
  const std::string cp932 = "通信に失敗しました！ﾂｰﾙ･ﾊﾞｰ";  // CP932 bytes in the program
  EXPECT_EQ(cp932.substr(0, 2), "\x92\xCA");
  const std::wstring wide = cp932_to_wide(cp932);
  EXPECT_EQ(wide, L"通信に失敗しました！ﾂｰﾙ･ﾊﾞｰ");
  std::string back;
  ASSERT_TRUE(wide_to_cp932(wide, back));
  EXPECT_EQ(back, cp932);
  // A character CP932 lacks is refused rather than replaced.
  EXPECT_FALSE(wide_to_cp932(L"caf\u00E9", back));
  EXPECT_TRUE(back.empty());
}

class TextsOnScreen : public ProgramTest {};

TEST_F(TextsOnScreen, MenuTextsReachTheMenuAsUtf16) {
  ASSERT_TRUE(start());
  wchar_t text[64] = L"";
  GetMenuStringW(GetMenu(frame_), 0, text, 64, MF_BYPOSITION);
  EXPECT_EQ(std::wstring(text), L"ファイル(&F)");
  GetMenuStringW(g_main_window_menu, CMD_EXIT, text, 64, MF_BYCOMMAND);
  EXPECT_EQ(std::wstring(text), L"終了(&X)");
}

// What the real message box shows, read from its window while it is up.
struct BoxOnScreen {
  std::wstring caption;
  std::wstring text;
  HWND owner = nullptr;
  bool seen = false;
};
BoxOnScreen* g_box = nullptr;

BOOL CALLBACK read_static_text(HWND child, LPARAM) {
  wchar_t class_name[32] = L"";
  GetClassNameW(child, class_name, 32);
  wchar_t text[512] = L"";
  GetWindowTextW(child, text, 512);
  if (std::wstring(class_name) == L"Static" && text[0]) g_box->text = text;
  return TRUE;
}

void CALLBACK look_for_box(HWND, UINT, UINT_PTR, DWORD) {
  HWND window = find_visible_dialog();
  if (g_box->seen || !window) return;
  wchar_t caption[256] = L"";
  GetWindowTextW(window, caption, 256);
  g_box->caption = caption;
  g_box->owner = GetWindow(window, GW_OWNER);
  EnumChildWindows(window, read_static_text, 0);
  g_box->seen = true;
  PostMessageW(window, WM_COMMAND, IDOK, 0);
}

TEST_F(TextsOnScreen, ACoreNoticeShowsItsTextInARealMessageBox) {
  ASSERT_TRUE(start());
  boxes_.reset();  // the real box this time
  BoxOnScreen box;
  g_box = &box;
  const UINT_PTR timer = SetTimer(nullptr, 0, 100, look_for_box);
  const int answer = show_notice("通信に失敗しました！\nＣＰＵか、配線の確認をお願いします", "警告",
                                 NoticeStyle::OK | NoticeStyle::ICON_WARNING);
  KillTimer(nullptr, timer);
  g_box = nullptr;
  ASSERT_TRUE(box.seen);
  EXPECT_EQ(answer, IDOK);
  EXPECT_EQ(box.caption, L"警告");
  EXPECT_EQ(box.text, L"通信に失敗しました！\nＣＰＵか、配線の確認をお願いします");
  EXPECT_EQ(box.owner, frame_);
}

TEST_F(TextsOnScreen, TheScriptedBoxRecordsWhatTheUserWouldRead) {
  ASSERT_TRUE(start());
  boxes_->answer(IDCANCEL);
  EXPECT_EQ(show_message_box(frame_, "変更がありました！\n設計ファイルを保存しますか？", "確認",
                             MB_YESNOCANCEL | MB_ICONQUESTION),
            IDCANCEL);
  ASSERT_EQ(boxes_->shown().size(), 1u);
  EXPECT_EQ(boxes_->shown()[0].text, L"変更がありました！\n設計ファイルを保存しますか？");
  EXPECT_EQ(boxes_->shown()[0].caption, L"確認");
  EXPECT_EQ(boxes_->shown()[0].style, static_cast<UINT>(MB_YESNOCANCEL | MB_ICONQUESTION));
}

// An open record for design files as the frame fills one.
OPENFILENAMEA design_open_record(HWND owner, char (&file)[MAX_PATH], char (&title)[256], const char* folder) {
  OPENFILENAMEA record{};
  record.lStructSize = sizeof record;
  record.hwndOwner = owner;
  record.lpstrFilter = "MBS\0*.MBS\0";
  record.nFilterIndex = 1;
  record.lpstrFile = file;
  record.nMaxFile = MAX_PATH;
  record.lpstrFileTitle = title;
  record.nMaxFileTitle = sizeof title;
  record.lpstrInitialDir = folder;
  record.Flags = OFN_FILEMUSTEXIST;
  return record;
}

TEST_F(TextsOnScreen, FileDialogStandInGetsTheRecordAndReturnsTheChoiceInCp932) {
  ASSERT_TRUE(start());
  char file[MAX_PATH] = "";
  char title[256] = "";
  OPENFILENAMEA record = design_open_record(frame_, file, title, "C:\\作業");
  dialogs_->choose("C:\\作業\\表示.MBS");
  ASSERT_TRUE(get_open_file_name(&record));
  EXPECT_STREQ(file, "C:\\作業\\表示.MBS");
  EXPECT_STREQ(title, "表示.MBS");
  EXPECT_EQ(record.nFileOffset, std::string("C:\\作業\\").size());
  EXPECT_EQ(record.nFileExtension, std::string("C:\\作業\\表示.").size());
  ASSERT_EQ(dialogs_->shown().size(), 1u);
  EXPECT_EQ(dialogs_->shown()[0].filter, "MBS|*.MBS");
  EXPECT_EQ(dialogs_->shown()[0].initial_folder, "C:\\作業");

  dialogs_->cancel();
  EXPECT_FALSE(get_save_file_name(&record));
  ASSERT_EQ(dialogs_->shown().size(), 2u);
  EXPECT_EQ(dialogs_->shown()[1].kind, FileDialogKind::SAVE);
}

}  // namespace

namespace {

// The real open dialog, answered by typing a Japanese file name into it.
struct DialogTyping {
  const wchar_t* name;
  bool typed = false;
};
DialogTyping* g_typing = nullptr;

void CALLBACK answer_dialog(HWND, UINT, UINT_PTR, DWORD) {
  HWND window = find_visible_dialog();
  if (g_typing->typed || !window) return;
  // The file-name field: the combobox of the Explorer-style dialog, or the older edit.
  for (int id : {0x47C, 0x480}) {
    if (HWND field = GetDlgItem(window, id)) {
      SetWindowTextW(field, g_typing->name);
      g_typing->typed = true;
      break;
    }
  }
  PostMessageW(window, WM_COMMAND, IDOK, 0);
}

TEST_F(TextsOnScreen, TheRealOpenDialogReturnsAJapanesePathAsCp932) {
  ASSERT_TRUE(start());
  dialogs_.reset();  // the real dialog this time
  write_file_bytes(folder_->file(L"表示.MBS"), "mbs-file 3winv.1\r\n");
  std::string folder;
  ASSERT_TRUE(wide_to_cp932(folder_->path(), folder));
  char file[MAX_PATH] = "";
  char title[256] = "";
  OPENFILENAMEA record = design_open_record(frame_, file, title, folder.c_str());
  DialogTyping typing{L"表示.MBS"};
  g_typing = &typing;
  const UINT_PTR timer = SetTimer(nullptr, 0, 200, answer_dialog);
  const BOOL chosen = get_open_file_name(&record);
  KillTimer(nullptr, timer);
  g_typing = nullptr;
  ASSERT_TRUE(typing.typed);
  ASSERT_TRUE(chosen);
  EXPECT_EQ(std::string(file), folder + "\\表示.MBS");
  EXPECT_STREQ(title, "表示.MBS");
  EXPECT_EQ(record.nFileOffset, folder.size() + 1);
}

}  // namespace
