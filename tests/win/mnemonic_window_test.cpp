// The mnemonic window on real windows under Wine: opening a .NIC written by the core,
// typing, undo, the Windows clipboard and the popup menu, saving, and the close question.
#include "target/windows_api.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "core/mnemonic_text.h"
#include "design/undo_ring.h"
#include "shell/view_state.h"
#include "core/current_mnemonic_text.h"
#include "mnemonic/mnemonic_editor.h"
#include "mnemonic/mnemonic_screen.h"
#include "mnemonic/mnemonic_window_win.h"
#include "shell/command_ids.h"
#include "frame/frame_commands_win.h"
#include "shell/documents.h"
#include "shell/path_parts.h"
#include "shell/settings_file.h"
#include "frame/frame_win.h"
#include "shell/modifier_keys_win.h"
#include "shell/popup_menu_win.h"
#include "shell/text_win.h"
#include "shell/toolbar_win.h"
#include "shell/window_lists_win.h"
#include "win/mnemonic_fixtures.h"
#include "win/rig_helper.h"
#include "support/staging_files.h"

namespace {

const std::vector<std::string> PROGRAM = {"LD      X00", "OUT     Y00", "; a comment", "END"};

// Writes the lines with the core's writer, as a conversion would.
void write_nic(const std::wstring& path, const std::vector<std::string>& lines) {
  MnemonicText text = make_mnemonic_text(static_cast<int>(lines.size()) + 2);
  for (size_t i = 0; i < lines.size(); ++i) set_line_statement(text[i], lines[i]);
  set_end_line(text[lines.size()]);
  FILE* f = _wfopen(path.c_str(), L"wb");
  ASSERT_NE(f, nullptr);
  ASSERT_EQ(write_nic_text(text, f, 0), 0);
  std::fclose(f);
}

std::string nic_bytes(const std::vector<std::string>& lines) {
  std::string out;
  for (const std::string& l : lines) out += l + "\r\n";
  return out + "0FFFF0 0FFFF0\r\n";
}

std::vector<std::string> statements(HWND window) { return nic_window_statements(window); }

std::string clipboard_unicode_as_cp932() {
  std::string out;
  if (!OpenClipboard(nullptr)) return out;
  if (HANDLE data = GetClipboardData(CF_UNICODETEXT)) {
    if (auto* chars = static_cast<const wchar_t*>(GlobalLock(data))) {
      wide_to_cp932(chars, out);
      GlobalUnlock(data);
    }
  }
  CloseClipboard();
  return out;
}

void set_clipboard_unicode(const std::wstring& text) {
  ASSERT_TRUE(OpenClipboard(nullptr));
  EmptyClipboard();
  HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, (text.size() + 1) * sizeof(wchar_t));
  auto* chars = static_cast<wchar_t*>(GlobalLock(block));
  std::copy(text.begin(), text.end(), chars);
  chars[text.size()] = L'\0';
  GlobalUnlock(block);
  SetClipboardData(CF_UNICODETEXT, block);
  CloseClipboard();
}

class MnemonicWindowTest : public ProgramTest {
 protected:
  void TearDown() override {
    set_modifier_key_handler({});
    set_popup_menu_handler({});
    ProgramTest::TearDown();
  }

  // A mnemonic window as the frame creates it for a file (or a new document for "").
  HWND open_window(const std::string& path, const std::string& title) {
    return open_mnemonic_window(frame_, path, title);
  }

  std::string path_of(const std::wstring& name) {
    std::string path;
    wide_to_cp932(folder_->file(name), path);
    return path;
  }

  void type(HWND window, const std::string& ascii) {
    for (char c : ascii) SendMessageW(window, WM_CHAR, static_cast<WPARAM>(c), 1);
  }
  void key(HWND window, UINT vk, bool shift = false) {
    set_modifier_key_handler([shift](int key) { return key == VK_SHIFT && shift; });
    SendMessageW(window, WM_KEYDOWN, vk, 1);
  }
  void command(HWND window, int id) { SendMessageW(window, WM_COMMAND, static_cast<WPARAM>(id), 0); }
  void click(HWND window, int col, int row) {
    SendMessageW(window, WM_LBUTTONDOWN, MK_LBUTTON,
                 MAKELPARAM(col * g_text_char_width + 1, row * g_text_line_height + 1));
    SendMessageW(window, WM_LBUTTONUP, 0, 0);
  }
};

TEST_F(MnemonicWindowTest, OpenTypeUndoCopyPasteAndSave) {
  ASSERT_TRUE(start());
  const std::wstring file = folder_->file(L"prog.NIC");
  write_nic(file, PROGRAM);
  HWND window = open_window(path_of(L"prog.NIC"), "prog.NIC");
  ASSERT_TRUE(window);
  EXPECT_EQ(statements(window), PROGRAM);
  ASSERT_GT(g_text_line_height, 0);
  ASSERT_GT(g_text_char_width, 0);
  EXPECT_EQ(g_mnemonic_line_count, 4);
  ASSERT_EQ(GetFocus(), window);

  // A new line after line 1, typed, then taken back by undo one step at a time.
  click(window, 40, 1);
  SendMessageW(window, WM_COMMAND, CMD_ENTER, 0);
  type(window, "NOP");
  EXPECT_EQ(statements(window), (std::vector<std::string>{"LD      X00", "OUT     Y00", "NOP", "; a comment", "END"}));
  POINT caret{};
  GetCaretPos(&caret);
  EXPECT_EQ(caret.x, 3 * g_text_char_width);
  EXPECT_EQ(caret.y, 2 * g_text_line_height + g_text_line_height * 2 / 3);
  command(window, CMD_UNDO);
  EXPECT_EQ(statements(window)[2], "NO");
  for (int i = 0; i < 3; ++i) command(window, CMD_UNDO);
  EXPECT_EQ(statements(window), PROGRAM);
  command(window, CMD_REDO);
  EXPECT_EQ(statements(window).size(), 5u);
  command(window, CMD_UNDO);
  EXPECT_EQ(statements(window), PROGRAM);

  // Lines 0 and 1 to the Windows clipboard, each ended by a line feed alone.
  click(window, 0, 0);
  key(window, VK_DOWN, true);
  key(window, VK_DOWN, true);
  command(window, CMD_RANGE_COPY);
  EXPECT_EQ(clipboard_unicode_as_cp932(), "LD      X00\nOUT     Y00\n");
  EXPECT_EQ(nic_window_view(window)->range_active, 0);

  // Pasted back above the END line.
  click(window, 0, 3);
  command(window, CMD_RANGE_PASTE);
  const std::vector<std::string> pasted = {"LD      X00", "OUT     Y00", "; a comment", "LD      X00", "OUT     Y00",
                                           "END"};
  EXPECT_EQ(statements(window), pasted);
  EXPECT_EQ(nic_window_view(window)->cursor_row, 5);

  // The save overwrites the file with exactly the text.
  boxes_->answer(IDOK);
  command(window, CMD_SAVE);
  ASSERT_EQ(boxes_->shown().size(), 1u);
  EXPECT_EQ(boxes_->shown()[0].text, cp932_to_wide("ファイルが上書きされました！"));
  EXPECT_EQ(read_file_bytes(file), nic_bytes(pasted));
  EXPECT_EQ(staging_files_in(folder_->path()), 0);

  // Saved: the close asks nothing, and nothing names the freed text afterwards.
  SendMessageW(window, WM_SYSCOMMAND, SC_CLOSE, 0);
  pump_messages();
  EXPECT_FALSE(IsWindow(window));
  EXPECT_EQ(current_mnemonic_text_data(), nullptr);
  EXPECT_EQ(g_mnemonic_window_count, 0);
}

TEST_F(MnemonicWindowTest, ClipboardTextWithCrLfPastesAsLinesEndingInABlank) {
  ASSERT_TRUE(start());
  HWND window = open_window("", "");
  ASSERT_TRUE(window);
  set_clipboard_unicode(L"LD X0\r\nOUT Y0\r\n");
  command(window, CMD_RANGE_PASTE);
  EXPECT_EQ(statements(window), (std::vector<std::string>{"LD X0 ", "OUT Y0 ", "END"}));
}

TEST_F(MnemonicWindowTest, PopupMenuOpensOnEveryOtherRightClickWithTheItemsOfTheState) {
  ASSERT_TRUE(start());
  const std::wstring file = folder_->file(L"pop.NIC");
  write_nic(file, PROGRAM);
  HWND window = open_window(path_of(L"pop.NIC"), "pop.NIC");
  ASSERT_TRUE(window);
  std::vector<std::vector<PopupMenuItem>> menus;
  int choice = 0;
  set_popup_menu_handler([&](HWND owner, const std::vector<PopupMenuItem>& items, POINT) {
    EXPECT_EQ(owner, window);
    menus.push_back(items);
    return choice;
  });
  auto right_click = [&] { SendMessageW(window, WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(5, 5)); };

  // The window emptied the clipboard when it was created: paste is grey.
  right_click();
  ASSERT_EQ(menus.size(), 1u);
  ASSERT_EQ(menus[0].size(), 1u);
  EXPECT_EQ(menus[0][0].id, CMD_POPUP_RANGE_PASTE);
  EXPECT_EQ(menus[0][0].text, "&P 貼り付け");
  EXPECT_TRUE(menus[0][0].grayed);
  right_click();  // the second click only flips the toggle back
  EXPECT_EQ(menus.size(), 1u);

  // With lines selected: copy, cut, delete, comment copy. Choosing comment copy acts.
  click(window, 0, 0);
  key(window, VK_DOWN, true);
  choice = CMD_POPUP_COMMENT_COPY;
  right_click();
  ASSERT_EQ(menus.size(), 2u);
  std::vector<std::string> texts;
  for (const PopupMenuItem& item : menus[1]) texts.push_back(item.text);
  EXPECT_EQ(texts, (std::vector<std::string>{"&C コピ－", "&T 切り取り", "&K 削除", "&M ｺﾒﾝﾄ･ｺﾋﾟｰ"}));
  EXPECT_EQ(nic_window_view(window)->comment_copied, 1);
  EXPECT_EQ(g_popup_toggle, 0);

  // After a comment copy the popup offers the comment paste.
  choice = 0;
  right_click();
  ASSERT_EQ(menus.size(), 3u);
  ASSERT_EQ(menus[2].size(), 1u);
  EXPECT_EQ(menus[2][0].text, "&P ｺﾒﾝﾄ貼付け");
  EXPECT_FALSE(menus[2][0].grayed);
}

TEST_F(MnemonicWindowTest, NewDocumentAsksForANameAndSaveAsForcesTheExtension) {
  ASSERT_TRUE(start());
  HWND window = open_window("", "");
  ASSERT_TRUE(window);
  EXPECT_EQ(statements(window), (std::vector<std::string>{"END"}));
  EXPECT_EQ(std::string(nic_window_view(window)->title), "新規.NIC");

  boxes_->answer(IDOK);
  command(window, CMD_SAVE);
  ASSERT_EQ(boxes_->shown().size(), 1u);
  EXPECT_EQ(boxes_->shown()[0].text, cp932_to_wide("名前付けて保存して下さい！"));

  type(window, "NOP");
  dialogs_->choose(path_of(L"named.txt"));
  boxes_->answer(IDOK);
  command(window, CMD_SAVE_AS);
  ASSERT_EQ(dialogs_->shown().size(), 1u);
  EXPECT_EQ(dialogs_->shown()[0].kind, FileDialogKind::SAVE);
  EXPECT_EQ(dialogs_->shown()[0].filter, "NIC|*.NIC");
  EXPECT_TRUE(file_exists(folder_->file(L"named.NIC")));
  EXPECT_FALSE(file_exists(folder_->file(L"named.txt")));
  EXPECT_EQ(read_file_bytes(folder_->file(L"named.NIC")), nic_bytes({"NOPEND"}));
  EXPECT_EQ(std::string(nic_window_view(window)->title), "named.NIC");
  EXPECT_EQ(boxes_->shown().back().text, cp932_to_wide("ファイルが新しい名前で保存されました！"));

  // Saving again onto the existing name asks first; Cancel writes nothing.
  type(window, "X");
  dialogs_->choose(path_of(L"named.NIC"));
  boxes_->answer(IDCANCEL);
  command(window, CMD_SAVE_AS);
  EXPECT_EQ(boxes_->shown().back().text, cp932_to_wide("同一ファイル名が存在していますが、\n強行しますか？"));
  EXPECT_EQ(read_file_bytes(folder_->file(L"named.NIC")), nic_bytes({"NOPEND"}));
}

TEST_F(MnemonicWindowTest, TheCloseQuestionGuardsAChangedText) {
  ASSERT_TRUE(start());
  const std::wstring file = folder_->file(L"close.NIC");
  write_nic(file, PROGRAM);
  HWND window = open_window(path_of(L"close.NIC"), "close.NIC");
  ASSERT_TRUE(window);
  type(window, "X");

  // Cancel keeps the window and its text.
  boxes_->answer(IDCANCEL);
  SendMessageW(window, WM_SYSCOMMAND, SC_CLOSE, 0);
  pump_messages();
  ASSERT_TRUE(IsWindow(window));
  EXPECT_EQ(boxes_->shown().back().text, cp932_to_wide("変更がありました！\nﾆｰﾓﾆｯｸ画面を保存しますか？"));
  EXPECT_EQ(statements(window)[0], "XLD      X00");

  // A further document cannot be saved; closing the first window closes it too.
  write_nic(folder_->file(L"other.NIC"), {"NOP"});
  HWND other = open_window(path_of(L"other.NIC"), "other.NIC");
  ASSERT_TRUE(other);
  boxes_->answer(IDOK);
  command(other, CMD_SAVE);
  EXPECT_EQ(boxes_->shown().back().text, cp932_to_wide("最初のファイル以外は保存出来ません！"));

  // Yes saves, then everything closes.
  boxes_->answer(IDYES);
  SendMessageW(window, WM_SYSCOMMAND, SC_CLOSE, 0);
  pump_messages();
  EXPECT_FALSE(IsWindow(window));
  EXPECT_FALSE(IsWindow(other));
  EXPECT_EQ(read_file_bytes(file), nic_bytes({"XLD      X00", "OUT     Y00", "; a comment", "END"}));
  EXPECT_EQ(g_mnemonic_doc_counter, 0);
}

TEST_F(MnemonicWindowTest, AFileThatCannotBeOpenedLeavesAUsableEmptyWindow) {
  ASSERT_TRUE(start());
  boxes_->answer(IDOK);
  HWND window = open_window(path_of(L"missing.NIC"), "missing.NIC");
  ASSERT_TRUE(window);
  EXPECT_EQ(boxes_->shown().back().text, cp932_to_wide("ファイルが開けません！"));
  type(window, "LD X0");
  EXPECT_EQ(statements(window), (std::vector<std::string>{"LD X0"}));
  // What was typed is asked about at the close, as in any changed document; No drops it.
  boxes_->answer(IDNO);
  SendMessageW(window, WM_SYSCOMMAND, SC_CLOSE, 0);
  pump_messages();
  EXPECT_EQ(boxes_->shown().back().text, cp932_to_wide("変更がありました！\nﾆｰﾓﾆｯｸ画面を保存しますか？"));
  EXPECT_FALSE(IsWindow(window));
}

// The frame's mnemonic screen opens the project's .NIC into a mnemonic window; switching
// again brings that window back, fitted to the client area, instead of a second one.
TEST_F(MnemonicWindowTest, TheMnemonicScreenShowsTheProjectsText) {
  install_frame_slots();  // the frame's commands, as the entry point installs them
  ASSERT_TRUE(start());
  GetClientRect(frame_, &g_client_rect);
  write_nic(folder_->file(L"PUMP.NIC"), PROGRAM);
  split_path(path_of(L"PUMP.MBS"), g_app_settings.project);
  SendMessageW(frame_, WM_COMMAND, CMD_SCREEN_MNEMONIC, 0);
  pump_messages();
  ASSERT_EQ(g_mnemonic_window_count, 1);
  HWND window = as_hwnd(g_mnemonic_windows[0]);
  ASSERT_TRUE(IsWindow(window));
  EXPECT_EQ(statements(window), PROGRAM);
  EXPECT_EQ(std::string(nic_window_view(window)->title), "PUMP.NIC");
  EXPECT_EQ(g_screen_kind, SCREEN_KIND_MNEMONIC);
  EXPECT_EQ(g_toolbar_kind, TOOLBAR_KIND_MNEMONIC);
  ASSERT_NE(nic_window_saved_text(window), nullptr);

  SendMessageW(window, WM_SYSCOMMAND, SC_MINIMIZE, 0);
  SendMessageW(frame_, WM_COMMAND, CMD_SCREEN_MNEMONIC, 0);
  pump_messages();
  EXPECT_EQ(g_mnemonic_window_count, 1);
  EXPECT_EQ(as_hwnd(g_mnemonic_windows[0]), window);
  EXPECT_FALSE(IsIconic(window));
  RECT client{}, placed{};
  GetClientRect(g_mdi_client, &client);
  GetWindowRect(window, &placed);
  MapWindowPoints(nullptr, g_mdi_client, reinterpret_cast<POINT*>(&placed), 2);
  EXPECT_EQ(placed.left, 0);
  EXPECT_EQ(placed.top, 0);
  EXPECT_EQ(placed.right - placed.left, client.right);
  EXPECT_EQ(placed.bottom - placed.top, client.bottom);

  // A new mnemonic text while the main mnemonic window exists is refused by the frame
  // only when a design exists; the open command makes a reference window that cannot save.
  dialogs_->choose(path_of(L"PUMP.NIC"));
  SendMessageW(frame_, WM_COMMAND, CMD_OPEN_MNEMONIC, 0);
  pump_messages();
  ASSERT_EQ(g_mnemonic_window_count, 2);
  HWND reference = as_hwnd(g_mnemonic_windows[1]);
  EXPECT_NE(view_file_number(*nic_window_view(reference)), 0);
  EXPECT_EQ(nic_window_saved_text(reference), nullptr);
  // Typing in the reference window leaves the main text's undo ring alone.
  SetFocus(reference);
  type(reference, "Z");
  command(reference, CMD_UNDO);
  EXPECT_EQ(statements(reference)[0], "ZLD      X00");
}


// Characters arrive as UTF-16 and go into the text as CP932; the caret steps over a
// double-byte character as a whole and stands two columns further on.
TEST_F(MnemonicWindowTest, JapaneseCharactersAreTypedWholeAndTheCaretFollows) {
  ASSERT_TRUE(start());
  HWND window = open_window("", "");
  ASSERT_TRUE(window);
  ASSERT_EQ(GetFocus(), window);
  command(window, CMD_BLANK_LINE_MODE);  // a line above END to type on
  key(window, VK_UP);
  SendMessageW(window, WM_CHAR, ';', 1);
  SendMessageW(window, WM_CHAR, 0x8868, 1);  // 表
  SendMessageW(window, WM_CHAR, 0x793A, 1);  // 示
  SendMessageW(window, WM_CHAR, 0xFF71, 1);  // a half-width katakana: one byte
  SendMessageW(window, WM_CHAR, 0x20AC, 1);  // the euro sign has no CP932 form: nothing
  SendMessageW(window, WM_CHAR, 'a', 3);     // a repeat count of 3
  EXPECT_EQ(statements(window), (std::vector<std::string>{";表示ｱaaa", "END"}));
  EXPECT_EQ(nic_window_view(window)->cursor_col, 9);
  POINT caret{};
  GetCaretPos(&caret);
  EXPECT_EQ(caret.x, 9 * g_text_char_width);
  key(window, VK_HOME);
  key(window, VK_RIGHT);
  key(window, VK_RIGHT);
  EXPECT_EQ(nic_window_view(window)->cursor_col, 3);
  SendMessageW(window, WM_KEYDOWN, VK_DELETE, 1);
  EXPECT_EQ(statements(window)[0], ";表ｱaaa");
  EXPECT_EQ(g_screen_kind, SCREEN_KIND_MNEMONIC);
}


// In comment-write mode, with a dialog in the screen's slot 0, a click prepares the line
// for a comment and hands its comment to field 717 of the dialog.
TEST_F(MnemonicWindowTest, ACommentWriteClickFillsTheDialogsField) {
  ASSERT_TRUE(start());
  write_nic(folder_->file(L"c.NIC"), {"LD      X00 ; pump", "OUT     Y00", "END"});
  HWND window = open_window(path_of(L"c.NIC"), "c.NIC");
  ASSERT_TRUE(window);
  command(window, CMD_COMMENT);
  // A stand-in for the comment dialog: a window with the edit field 717.
  HWND dialog = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 100, 40, frame_, nullptr, g_instance, nullptr);
  HWND field = CreateWindowExW(0, L"EDIT", L"", WS_CHILD, 0, 0, 100, 20, dialog, reinterpret_cast<HMENU>(717),
                               g_instance, nullptr);
  ASSERT_TRUE(dialog && field);
  dialog_slot_row(g_screen_kind)[0] = as_window_handle(dialog);
  wchar_t text[64] = L"";

  click(window, 2, 0);
  GetWindowTextW(field, text, 64);
  EXPECT_EQ(std::wstring(text), L"pump");
  EXPECT_EQ(nic_window_view(window)->cursor_col, 14);
  EXPECT_EQ(nic_window_view(window)->sel_row, 0);

  click(window, 2, 1);
  GetWindowTextW(field, text, 64);
  EXPECT_EQ(std::wstring(text), L"");
  EXPECT_EQ(statements(window)[1], "OUT     Y00" + std::string(13, ' ') + "; ");
  EXPECT_EQ(nic_window_view(window)->cursor_col, 25);

  dialog_slot_row(g_screen_kind)[0] = 0;
  DestroyWindow(dialog);
}

}  // namespace
