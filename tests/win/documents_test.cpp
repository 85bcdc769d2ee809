// The frame's document commands on the real frame: open, new and recent files, the
// screen switches, close all and exit, with message boxes and file dialogs answered by
// the test.
#include "bars_frame.h"

#include <string>

#include "core/design_file.h"
#include "shell/documents.h"
#include "shell/documents_win.h"
#include "shell/settings_file.h"
#include "win/design_fixtures.h"
#include "win/monitor_fixtures.h"

namespace {

using bars_test::BarsFrame;
using bars_test::narrow;
using bars_test::window_text;

std::string cp932(const std::wstring& wide) { return narrow(wide); }

bool is_live_first(std::span<const WindowHandle> list) { return list[0] != 0 && IsWindow(as_hwnd(list[0])); }

class Documents : public BarsFrame {
 protected:
  void SetUp() override {
    BarsFrame::SetUp();
    g_monitor_mode = 0;
    g_saved_uncompiled = 0;
    g_guide_flags = {0, 0, 0, 0};
    GetClientRect(frame, &g_client_rect);
  }

  HWND active() const { return reinterpret_cast<HWND>(SendMessageW(g_mdi_client, WM_MDIGETACTIVE, 0, 0)); }
  std::wstring texts_shown() const {
    std::wstring all;
    for (const auto& box : boxes_->shown()) all += box.text + L"|";
    return all;
  }
  // A design file the design window can read: a new design with one rung.
  std::string design_file(const std::wstring& name) {
    const std::wstring path = folder_->file(name);
    EXPECT_TRUE(write_sample_design(path));
    return cp932(path);
  }
  void project_is(const std::wstring& name) {
    split_path(cp932(folder_->file(name)), g_app_settings.project);
  }
};

TEST_F(Documents, NewDesignCreatesTheMainDesignWindowOnce) {
  command(CMD_NEW_DESIGN);
  ASSERT_EQ(g_design_window_count, 1);
  HWND design = as_hwnd(g_design_windows[0]);
  EXPECT_EQ(window_text(design), "  新規.MBS");
  EXPECT_STREQ(g_project_name, "新規");
  EXPECT_STREQ(g_child_open.path, "");
  EXPECT_STREQ(g_child_open.title, "NEW");
  EXPECT_EQ(g_toolbar_kind, TOOLBAR_KIND_DESIGN);

  for (int id : {CMD_NEW_DESIGN, CMD_NEW_MNEMONIC}) {
    boxes_->answer(IDOK);
    command(id);
  }
  ASSERT_EQ(boxes_->shown().size(), 2u);
  for (const auto& box : boxes_->shown()) {
    EXPECT_EQ(cp932(box.text), "すでにメインファイルが有ります！");
    EXPECT_EQ(cp932(box.caption), "警告");
  }
  EXPECT_EQ(g_design_window_count, 1);
  EXPECT_EQ(g_mnemonic_window_count, 0);
}

TEST_F(Documents, OpeningSetsTheProjectOnlyWhileNoMainWindowExists) {
  const std::string first = design_file(L"FIRST.MBS");
  const std::string second = design_file(L"SECOND.MBS");
  dialogs_->choose(first);
  command(CMD_OPEN_DESIGN);
  ASSERT_EQ(dialogs_->shown().size(), 1u);
  EXPECT_EQ(dialogs_->shown()[0].filter, "MBS|*.MBS");
  ASSERT_TRUE(next_live_window(g_design_windows, 0) != 0);
  EXPECT_STREQ(g_project_name, "FIRST");
  EXPECT_STREQ(g_project_ext, ".MBS");
  std::string folder = g_path_root;
  folder += g_path_dir;
  EXPECT_STREQ(g_work_folder, folder.c_str());

  dialogs_->choose(second);
  command(CMD_OPEN_DESIGN);
  EXPECT_STREQ(g_project_name, "FIRST");  // the main design window still holds the project
  EXPECT_STREQ(g_path_name, "SECOND");
  EXPECT_EQ(dialogs_->shown()[1].initial_folder, folder);
  // The window that had the focus keeps it; the new one is the command's result.
  HWND second_window = g_active_child;
  ASSERT_NE(second_window, nullptr);
  // The frame creates it titled "  SECOND.MBS"; the design window then names its file
  // and the CPU the file was written for.
  EXPECT_EQ(window_text(second_window), std::string(g_open_path) + "    " + g_loaded_cpu_settings.cpu_name);
  EXPECT_NE(window_text(second_window).find("SECOND.MBS"), std::string::npos);

  dialogs_->cancel();
  const int windows = g_design_window_count;
  command(CMD_OPEN_DESIGN);
  EXPECT_EQ(g_design_window_count, windows);
}

TEST_F(Documents, ASecondMnemonicFileIsOpenedForReference) {
  const std::wstring path = folder_->file(L"LAMP.NIC");
  write_file_bytes(path, "LD X0\r\nOUT Y0\r\nEND\r\n");
  for (int i = 0; i < 2; ++i) {
    dialogs_->choose(cp932(path));
    command(CMD_OPEN_MNEMONIC);
  }
  ASSERT_EQ(dialogs_->shown().size(), 2u);
  EXPECT_EQ(dialogs_->shown()[0].filter, "NIC|*.NIC");
  ASSERT_TRUE(is_live_first(g_mnemonic_windows));
  HWND second = g_active_child;
  ASSERT_NE(second, as_hwnd(g_mnemonic_windows[0]));
  EXPECT_EQ(window_text(second), "  LAMP.NIC -Refer.");
  EXPECT_EQ(g_toolbar_kind, TOOLBAR_KIND_MNEMONIC);
}

TEST_F(Documents, ScreenSwitchesWithoutTheProjectsFileSayWhichFileIsMissing) {
  project_is(L"NONE.MBS");
  struct Case {
    int id;
    const char* message;
  };
  for (const Case& c : {Case{CMD_SCREEN_DESIGN, "同じﾃﾞｨﾚｸﾄﾘ中に、\n同名の回路図(.MBS)ﾌｧｲﾙは有りません！"},
                        Case{CMD_SCREEN_MNEMONIC,
                             "同じﾃﾞｨﾚｸﾄﾘ中に、\n同名のﾆｰﾓﾆｯｸ･ﾌｧｲﾙは有りません！\n\n［動作画面中］のSEQ･ﾆｰﾓﾆｯｸ変換によって、"
                             "\nﾌｧｲﾙを生成して下さい。"}}) {
    boxes_->answer(IDOK);
    command(c.id);
    ASSERT_FALSE(boxes_->shown().empty());
    EXPECT_EQ(cp932(boxes_->shown().back().text), c.message);
    EXPECT_EQ(cp932(boxes_->shown().back().caption), "警告");
  }
  EXPECT_EQ(next_live_window(g_design_windows, 0), 0);
  EXPECT_EQ(next_live_window(g_mnemonic_windows, 0), 0);

  // The monitor screen: nothing at all without a document window; with one, the missing
  // operation file.
  const size_t before = boxes_->shown().size();
  command(CMD_SCREEN_MONITOR);
  command(CMD_SCREEN_OPERATION);  // no active document window: ends quietly
  EXPECT_EQ(boxes_->shown().size(), before);
  EXPECT_EQ(next_live_window(g_monitor_windows, 0), 0);

  command(CMD_NEW_DESIGN);
  boxes_->answer(IDOK);
  command(CMD_SCREEN_MONITOR);
  ASSERT_EQ(boxes_->shown().size(), before + 1);
  EXPECT_EQ(cp932(boxes_->shown().back().text), "モニター用ファイルが有りません！\n回路コンパイルで作って下さい");
  EXPECT_EQ(next_live_window(g_monitor_windows, 0), 0);
}

TEST_F(Documents, DesignScreenOpensTheProjectsDesign) {
  design_file(L"PUMP.MBS");
  project_is(L"PUMP.MBS");
  command(CMD_SCREEN_DESIGN);
  EXPECT_TRUE(boxes_->shown().empty()) << cp932(texts_shown());
  ASSERT_TRUE(is_live_first(g_design_windows));
  HWND design = as_hwnd(g_design_windows[0]);
  EXPECT_EQ(window_text(design), std::string(g_work_path));  // the main design window shows its path
  EXPECT_STREQ(g_child_open.title, "PUMP.MBS");
  EXPECT_EQ(g_toolbar_kind, TOOLBAR_KIND_DESIGN);

  // Again: the window is brought back and fitted, nothing new is created.
  ShowWindow(design, SW_MINIMIZE);
  command(CMD_SCREEN_DESIGN);
  EXPECT_EQ(g_design_window_count, 1);
  EXPECT_EQ(as_hwnd(g_design_windows[0]), design);
  EXPECT_FALSE(IsIconic(design));
  EXPECT_EQ(g_screen_kind, SCREEN_KIND_DESIGN);
}

TEST_F(Documents, OperationCheckFromAFurtherFileOffersToKeepItInTheHistory) {
  const std::string main_path = design_file(L"MAIN.MBS");
  const std::string other_path = design_file(L"OTHER.MBS");
  dialogs_->choose(main_path);
  command(CMD_OPEN_DESIGN);
  dialogs_->choose(other_path);
  command(CMD_OPEN_DESIGN);
  HWND further = g_active_child;
  ASSERT_NE(further, as_hwnd(g_design_windows[0]));
  SendMessageW(g_mdi_client, WM_MDIACTIVATE, reinterpret_cast<WPARAM>(further), 0);

  boxes_->answer(IDYES);
  command(CMD_SCREEN_OPERATION);
  ASSERT_EQ(boxes_->shown().size(), 1u);
  EXPECT_EQ(cp932(boxes_->shown()[0].text),
            "メイン画面以外からは動作画面に移行出来ません！\nこの画面を履歴の2ndに残しますか？ ");
  EXPECT_EQ(cp932(boxes_->shown()[0].caption), "確認");
  EXPECT_EQ(next_live_window(g_monitor_windows, 0), 0);
  // The project heads the recent list, the further file follows it.
  ASSERT_GE(recent_file_count(g_recent_files), 2);
  EXPECT_NE(std::string(recent_file_entry(g_recent_files, 0)).find("MAIN"), std::string::npos);
  EXPECT_NE(std::string(recent_file_entry(g_recent_files, 1)).find("OTHER"), std::string::npos);
  EXPECT_STREQ(g_project_name, "MAIN");
}

TEST_F(Documents, OperationCheckAsksAboutAnUncompiledChange) {
  command(CMD_NEW_DESIGN);
  g_saved_uncompiled = 1;
  boxes_->answer(IDCANCEL);
  command(CMD_SCREEN_OPERATION);
  ASSERT_EQ(boxes_->shown().size(), 1u);
  EXPECT_EQ(cp932(boxes_->shown()[0].text), "変更がありました！\nコンパイルしなくて良いのですか？");
  EXPECT_EQ(next_live_window(g_monitor_windows, 0), 0);

  boxes_->answer(IDOK);
  ASSERT_TRUE(write_operation_file_beside(g_child_open.path));
  command(CMD_SCREEN_OPERATION);
  ASSERT_TRUE(is_live_first(g_monitor_windows));
  EXPECT_EQ(g_monitor_mode, 0);
  EXPECT_EQ(g_toolbar_kind, TOOLBAR_KIND_MONITOR);
}

TEST_F(Documents, LeavingThePollingMonitorScreenAsksFirst) {
  command(CMD_NEW_DESIGN);
  ASSERT_TRUE(write_operation_file_beside(g_child_open.path));
  command(CMD_SCREEN_OPERATION);
  ASSERT_TRUE(is_live_first(g_monitor_windows));
  g_monitor_mode = 1;
  boxes_->answer(IDCANCEL);
  command(CMD_SCREEN_DESIGN);
  EXPECT_EQ(cp932(boxes_->shown().back().text), "モニター画面を閉じます！");
  EXPECT_TRUE(is_live_first(g_monitor_windows));
  EXPECT_EQ(g_monitor_mode, 1);

  boxes_->answer(IDOK);
  command(CMD_SCREEN_DESIGN);
  pump_messages();
  EXPECT_EQ(next_live_window(g_monitor_windows, 0), 0);
  EXPECT_EQ(g_monitor_mode, 0);
}

TEST_F(Documents, AMissingRecentFileFallsBackToTheOpenDialog) {
  push_recent_file(g_recent_files, cp932(folder_->file(L"GONE.MBS")));
  dialogs_->cancel();
  command(CMD_RECENT_FILE);
  ASSERT_EQ(dialogs_->shown().size(), 1u);
  // The missing file does not become the project: a later save of the settings would put
  // it at the top of the recent list.
  EXPECT_STRNE(g_project_name, "GONE");
  EXPECT_EQ(g_recent_expanded, 1);

  const std::string path = design_file(L"KEPT.MBS");
  push_recent_file(g_recent_files, path);
  command(CMD_RECENT_FILE);
  EXPECT_EQ(dialogs_->shown().size(), 1u);
  EXPECT_TRUE(is_live_first(g_design_windows));
  EXPECT_STREQ(g_project_name, "KEPT");
}

TEST_F(Documents, CloseAllClosesEveryMainWindowAndExitClosesTheFrame) {
  command(CMD_NEW_DESIGN);
  ASSERT_TRUE(write_operation_file_beside(g_child_open.path));
  command(CMD_SCREEN_OPERATION);
  ASSERT_TRUE(is_live_first(g_monitor_windows));
  command(CMD_CLOSE_ALL);
  pump_messages();
  EXPECT_EQ(next_live_window(g_design_windows, 0), 0);
  EXPECT_EQ(next_live_window(g_monitor_windows, 0), 0);

  command(CMD_NEW_DESIGN);
  command(CMD_EXIT);
  pump_messages();
  EXPECT_FALSE(frame_alive());
}

TEST_F(Documents, ChildWindowsReceiveTheOpenRecord) {
  static ChildOpenRecord seen{};
  static constexpr wchar_t PROBE[] = L"documents_probe";
  WNDCLASSW probe{};
  probe.lpfnWndProc = [](HWND w, UINT m, WPARAM wp, LPARAM lp) -> LRESULT {
    if (m == WM_CREATE) {
      auto* mdi = reinterpret_cast<MDICREATESTRUCTW*>(reinterpret_cast<CREATESTRUCTW*>(lp)->lpCreateParams);
      seen = *reinterpret_cast<ChildOpenRecord*>(mdi->lParam);
    }
    return DefMDIChildProcW(w, m, wp, lp);
  };
  probe.hInstance = GetModuleHandleW(nullptr);
  probe.lpszClassName = PROBE;
  ASSERT_TRUE(RegisterClassW(&probe));
  fill_child_open(g_child_open, FileFilter::MBS, "C:\\P\\A.SEQ", "A.SEQ", CHILD_OPEN_READ_ONLY);
  HWND child = create_document_child(PROBE, "A.SEQ  No. = 1", ChildRoute::MONITOR);
  ASSERT_NE(child, nullptr);
  EXPECT_STREQ(seen.path, "C:\\P\\A.SEQ");
  EXPECT_STREQ(seen.title, "A.SEQ");
  EXPECT_EQ(seen.flags, CHILD_OPEN_READ_ONLY);
  EXPECT_EQ(window_text(child), "A.SEQ  No. = 1");
  DestroyWindow(child);
  UnregisterClassW(PROBE, GetModuleHandleW(nullptr));
}

}  // namespace

namespace {

class DocumentGuides : public Documents {};

TEST_F(DocumentGuides, TheFirstWindowOfAScreenOpensItsGuide) {
  g_guide_flags = {1, 1, 1, 1};
  command(CMD_NEW_DESIGN);
  ASSERT_NE(g_guide_dialog, 0u);
  EXPECT_EQ(window_text(as_hwnd(g_guide_dialog)), "設計画面の使い方");

  ASSERT_TRUE(write_operation_file_beside(g_child_open.path));
  command(CMD_SCREEN_OPERATION);
  ASSERT_TRUE(is_live_first(g_monitor_windows));
  ASSERT_NE(g_guide_dialog, 0u);
  EXPECT_EQ(window_text(as_hwnd(g_guide_dialog)), "動作画面の使い方");

  // The I/O display request creates no window (no such screen is part of the program)
  // and opens the pin-view guide in place of the open one.
  const HWND before = as_hwnd(g_guide_dialog);
  HWND monitor = as_hwnd(g_monitor_windows[0]);
  command(CMD_IO_DISPLAY);
  ASSERT_NE(g_guide_dialog, 0u);
  EXPECT_FALSE(IsWindow(before));
  EXPECT_EQ(window_text(as_hwnd(g_guide_dialog)), "ＣＰＵピン対応図の見方");
  EXPECT_EQ(g_child_open.flags, CHILD_OPEN_READ_ONLY);
  EXPECT_EQ(as_hwnd(g_monitor_windows[0]), monitor);
  EXPECT_EQ(next_live_window(g_monitor_windows, 1), 0);
}

}  // namespace
