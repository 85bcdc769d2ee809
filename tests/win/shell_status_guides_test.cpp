// The status bar's parts and menu help, and the four guide dialogs.
#include "bars_frame.h"


#include "resources/resource_ids.h"
#include "frame/frame_commands_win.h"
#include "shell/guide_dialogs_win.h"
#include "shell/settings_file.h"
#include "shell/status_parts.h"

namespace {

using bars_test::BarsFrame;
using bars_test::window_text;

class StatusBar : public BarsFrame {
 protected:
  std::string part_text(int part) const {
    wchar_t text[256] = {};
    SendMessageW(g_status_bar, SB_GETTEXTW, static_cast<WPARAM>(part), reinterpret_cast<LPARAM>(text));
    return bars_test::narrow(text);
  }
  bool part_raised(int part) const {
    const LRESULT r = SendMessageW(g_status_bar, SB_GETTEXTLENGTHW, static_cast<WPARAM>(part), 0);
    return (HIWORD(r) & SBT_POPOUT) != 0;
  }
};

TEST_F(StatusBar, RangeIndicators) {
  ASSERT_EQ(SendMessageW(g_status_bar, SB_GETPARTS, 0, 0), 7);
  set_status_part_text(6, "x");
  show_edit_mode_indicators(CMD_RANGE_MODE, 2);
  const char* texts[] = {"  範囲", "  ｺﾋﾟｰ", "○切り取り", "  削除", "  貼り付け"};
  for (int i = 0; i < 5; ++i) {
    EXPECT_EQ(part_text(i + 1), texts[i]);
    EXPECT_EQ(part_raised(i + 1), i == 2) << i;
  }
  EXPECT_EQ(part_text(6), "x");  // part 6 is not the range mode's
}

TEST_F(StatusBar, TextAndModesThenReady) {
  show_status_text_and_modes(BLANK_SUBMODE_NAMES, 3, CMD_BLANK_LINE_MODE);
  EXPECT_EQ(part_text(0), "左詰め");
  EXPECT_EQ(part_text(4), "○左詰め");
  EXPECT_TRUE(part_raised(4));
  EXPECT_EQ(part_text(6), "  ﾌﾞﾛｯｸ詰め");
  show_ready_status();
  EXPECT_EQ(part_text(0), "READY");
  for (int part = 1; part <= 6; ++part) {
    EXPECT_EQ(part_text(part), "") << part;
    EXPECT_FALSE(part_raised(part)) << part;
  }
}

// ---- guide dialogs ---------------------------------------------------------------------

std::vector<std::string> g_prepared;
std::vector<std::string> g_sample_windows;

void record_prepare(const char* path, const char*) { g_prepared.push_back(path); }
HWND record_sample_window(HWND, const char* title) {
  g_sample_windows.push_back(title);
  return nullptr;
}

class Guides : public BarsFrame {
 protected:
  void SetUp() override {
    g_prepared.clear();
    g_sample_windows.clear();
    BarsFrame::SetUp();
    // In place of the frame's own hooks, which install_frame_slots put in.
    set_sample_open_hooks({record_prepare, record_sample_window});
    g_guide_flags = {1, 1, 1, 1};
    // Whether a guide writes file.ini shows in the file coming back.
    DeleteFileW(folder_->file(L"file.ini").c_str());
  }
  HWND guide() const { return as_hwnd(g_guide_dialog); }
  void click(HWND dialog, int id) { SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), 0); }
  bool settings_written() const { return file_exists(folder_->file(L"file.ini")); }
};

class FirstStart : public Guides {
 protected:
  FirstStart() { close_first_guide = false; }
};

TEST_F(FirstStart, TheFrameOpensTheFirstUseGuide) {
  ASSERT_NE(guide(), nullptr);
  EXPECT_EQ(bars_test::window_text(guide()), "大体の使い方");
  EXPECT_EQ(GetWindow(guide(), GW_OWNER), frame);
  // Enter reaches it through the frame and closes it.
  command(CMD_ENTER, 1);
  EXPECT_EQ(g_guide_dialog, 0u);
}

struct Control {
  int id;
  const char* text;
};

void expect_template(HWND dialog, const char* caption, int width_units, int height_units,
                     const std::vector<Control>& controls) {
  ASSERT_NE(dialog, nullptr);
  EXPECT_EQ(window_text(dialog), caption);
  RECT units{0, 0, width_units, height_units};
  MapDialogRect(dialog, &units);
  RECT client{};
  GetClientRect(dialog, &client);
  EXPECT_EQ(client.right, units.right);
  EXPECT_EQ(client.bottom, units.bottom);
  for (const Control& c : controls) {
    HWND item = GetDlgItem(dialog, c.id);
    ASSERT_NE(item, nullptr) << c.id;
    EXPECT_EQ(window_text(item), c.text) << c.id;
  }
  int children = 0;
  for (HWND w = GetWindow(dialog, GW_CHILD); w != nullptr; w = GetWindow(w, GW_HWNDNEXT)) ++children;
  EXPECT_EQ(children, static_cast<int>(controls.size()));
}

TEST_F(Guides, FirstUseTemplate) {
  expect_template(open_guide_dialog(frame, GuideKind::FirstUse), "大体の使い方", 190, 190,
                  {{657, "上部、１番左の鉛筆マ－クを左クリックし、試みに"},
                   {658, "￥ＴＡＶＯＬＩＮ￥ＳＡＭＰＬＥ内のサンプル回路の一つを"},
                   {659, "開いて見て下さい。または右をクリック"},
                   {668, "して「サンプル１、２」を開いて下さい！"},
                   {591, "サンプル１"},
                   {592, "サンプル２"},
                   {660, "ツールバーの２番目をクリックすると、"},
                   {661, "「動作画面」になり回路のシミュレーションができます。"},
                   {662, "１番右をクリックするとニーモニック画面が出て、設計"},
                   {663, "画面の回路図と相互に変換ができます。"},
                   {664, "４番目のクリックによりタッチパネルデの設計画面に"},
                   {665, "移行します。"},
                   {666, "各画面は上下、左右ともにに圧縮します！"},
                   {667, "各画面は対等な意味を持つ２画面に２重化できます！"},
                   {1, "了解・閉"}});
}

TEST_F(Guides, DesignTipsTemplate) {
  expect_template(open_guide_dialog(frame, GuideKind::DesignTips), "設計画面の使い方", 190, 170,
                  {{657, "ツ－ルバ－上の部品をクリックし凹状態にして、画面"},
                   {658, "の適等な位置をクリックすると、その場所に指定部品"},
                   {659, "が置かれます。同じく線引きやイレーズも簡単です。"},
                   {660, "「123」バーをクリックし、ある部品上をクリックすると"},
                   {661, "画面上のその部品の番号付けが出来ます。"},
                   {662, "《ビルド》中の＜コンパイル＞のクリックによって"},
                   {663, "「動作画面」等のための．ｓｅｑファイルが出来ます。"},
                   {666, "ＳＥＱｰ>ニーモニク変換は動作画面中で行います。"},
                   {664, "左から２番目の青いツールバーをクリック"},
                   {665, "するか、右の押し釦を押すと、［動作画面］"},
                   {667, "に変化し、この画面が最小化されます！"},
                   {591, "動作画面"},
                   {1, "了解・閉"},
                   {553, "今後これらを表示しない"}});
  const LONG style = GetWindowLongW(GetDlgItem(guide(), 553), GWL_STYLE);
  EXPECT_EQ(style & BS_TYPEMASK, BS_CHECKBOX);  // toggled by the program, not automatic
}

TEST_F(Guides, MonitorTipsTemplate) {
  expect_template(open_guide_dialog(frame, GuideKind::MonitorTips), "動作画面の使い方", 180, 170,
                  {{657, "動作画面では、押し釦の右上クリックでオン、"},
                   {658, "左上クリックでラッチ、下クリックでオフします。"},
                   {659, "６番目のアイコンをオンすると、任意の場所での"},
                   {660, "右クリックで、ブレ－クｐｔ．設定ができます。"},
                   {663, "タイマ、カウンタを凍結すると、タイム（カウンタ）が"},
                   {664, "アップするまでの動作をゆっくり確認できます。"},
                   {665, "各動作は、選択したＣＰＵ種類に係わらず同じです。"},
                   {666, "空色の虫眼鏡のクリック、又は "},
                   {667, "右の釦でコメント表示になります。"},
                   {661, "右から５番目の緑のアイコン、又は"},
                   {662, "右釦でI/Oピンのみ表示されます。"},
                   {591, "コメント表示"},
                   {592, "I/O抽出表示"},
                   {1, "了解・閉"},
                   {553, "今後これらを表示しない"}});
}

TEST_F(Guides, PinViewTemplate) {
  expect_template(open_guide_dialog(frame, GuideKind::PinViewTips), "ＣＰＵピン対応図の見方", 170, 160,
                  {{657, "’緑画面中の任意の場所の右クリック’で、このｸﾘｯｸ"},
                   {658, "４種類の表示のメニューでます。"},
                   {659, "右釦のクリックすると"},
                   {660, "テスト基板が表示されます。"},
                   {591, "ボード表示"},
                   {661, "＜ＣＰＵ表示＞では入力ピンがＧＮＤに落ちると"},
                   {662, "ピンが青色に変化します（０Ｖが１の負論理です）。"},
                   {663, "出力リレ－がオンすると対応ＰＩＣピンが黄色に"},
                   {664, "変化します（出力は、５Ｖが１の正論理です）。"},
                   {665, "Ｉ／Ｏピン以外や不使用ピンは変化しません。"},
                   {666, "実際の回路ではＯＳＣ１、２には、必要に応じて"},
                   {667, "水晶発振子かセラロックを接続して下さい"},
                   {1, "了解・閉"}});
}

TEST_F(Guides, TickingTheBoxAndClosingSavesWithTheFlagOff) {
  HWND dialog = open_guide_dialog(frame, GuideKind::DesignTips);
  click(dialog, IDC_GUIDE_DONT_SHOW);
  EXPECT_EQ(IsDlgButtonChecked(dialog, IDC_GUIDE_DONT_SHOW), BST_CHECKED);
  EXPECT_EQ(g_guide_flags[0], 0);
  click(dialog, IDOK);
  EXPECT_TRUE(settings_written());
  EXPECT_NE(read_file_bytes(folder_->file(L"file.ini")).find("[SETUF] 0 1 1 1 "), std::string::npos);
  EXPECT_FALSE(IsWindow(dialog));
  EXPECT_EQ(g_guide_dialog, 0u);
  // With the flag off the guide is not shown any more.
  EXPECT_EQ(show_guide(frame, GuideKind::DesignTips), nullptr);
  EXPECT_EQ(show_guide(frame, GuideKind::FirstUse), nullptr);
  EXPECT_NE(show_guide(frame, GuideKind::MonitorTips), nullptr);
}

TEST_F(Guides, TickAndUntickLeavesTheFlagOnAndWritesNothing) {
  HWND dialog = open_guide_dialog(frame, GuideKind::MonitorTips);
  click(dialog, IDC_GUIDE_DONT_SHOW);
  EXPECT_EQ(g_guide_flags[1], 0);
  click(dialog, IDC_GUIDE_DONT_SHOW);
  EXPECT_EQ(g_guide_flags[1], 1);
  SendMessageW(dialog, WM_CLOSE, 0, 0);
  EXPECT_FALSE(settings_written());
  EXPECT_FALSE(IsWindow(dialog));
  EXPECT_EQ(g_guide_flags[0], 1);
}

TEST_F(Guides, EnterReachesTheGuideThroughTheFrame) {
  HWND dialog = open_guide_dialog(frame, GuideKind::PinViewTips);
  g_screen_kind = SCREEN_KIND_MONITOR;
  command(CMD_ENTER, 1);
  EXPECT_FALSE(IsWindow(dialog));
  EXPECT_EQ(g_guide_dialog, 0u);
}

TEST_F(Guides, OpeningAGuideClosesThePreviousOne) {
  HWND first = open_guide_dialog(frame, GuideKind::FirstUse);
  HWND second = open_guide_dialog(frame, GuideKind::MonitorTips);
  EXPECT_FALSE(IsWindow(first));
  EXPECT_TRUE(IsWindow(second));
  EXPECT_EQ(guide(), second);
}

TEST_F(Guides, MissingSampleLeavesTheFirstGuideOpen) {
  HWND dialog = open_guide_dialog(frame, GuideKind::FirstUse);
  click(dialog, IDC_GUIDE_BUTTON_1);
  EXPECT_TRUE(IsWindow(dialog));
  EXPECT_EQ(guide(), dialog);
  ASSERT_EQ(g_prepared.size(), 1u);
  EXPECT_EQ(g_prepared[0], std::string(g_start_folder) + "\\SAMPLE\\SAMPLE1.MBS");
  // The sample became the current project all the same.
  EXPECT_STREQ(g_project_name, "SAMPLE1");
  EXPECT_STREQ(g_project_ext, ".MBS");
  EXPECT_TRUE(g_sample_windows.empty());
}

TEST_F(Guides, SampleOpensAndTheDesignGuideFollows) {
  ASSERT_TRUE(CreateDirectoryW(folder_->file(L"SAMPLE").c_str(), nullptr));
  write_file_bytes(folder_->file(L"SAMPLE\\SAMPLE1.MBS"), "mbs-file 3winv.1\r\n");
  HWND dialog = open_guide_dialog(frame, GuideKind::FirstUse);
  click(dialog, IDC_GUIDE_BUTTON_1);
  EXPECT_FALSE(IsWindow(dialog));
  EXPECT_EQ(g_sample_windows, (std::vector<std::string>{"SAMPLE1.MBS"}));
  EXPECT_EQ(g_toolbar_kind, TOOLBAR_KIND_DESIGN);
  ASSERT_NE(guide(), nullptr);
  EXPECT_EQ(window_text(guide()), "設計画面の使い方");
}

TEST_F(Guides, OperationScreenButtonAsksTheFrameWhenADesignIsOpen) {
  static std::vector<int> handled;
  handled.clear();
  set_frame_command_handler(CMD_SCREEN_OPERATION, [](HWND, WPARAM w, LPARAM) -> LRESULT {
    handled.push_back(LOWORD(w));
    return 0;
  });
  HWND dialog = open_guide_dialog(frame, GuideKind::DesignTips);
  click(dialog, IDC_GUIDE_BUTTON_1);  // no design window: only closes
  EXPECT_TRUE(handled.empty());
  EXPECT_FALSE(IsWindow(dialog));
  HWND child = open_child();
  g_design_windows[0] = as_window_handle(child);
  dialog = open_guide_dialog(frame, GuideKind::DesignTips);
  click(dialog, IDC_GUIDE_BUTTON_1);
  EXPECT_EQ(handled, (std::vector<int>{CMD_SCREEN_OPERATION}));
  EXPECT_FALSE(IsWindow(dialog));
  set_frame_command_handler(CMD_SCREEN_OPERATION, nullptr);
}

TEST_F(Guides, CommentDisplayButtonSetsTheActiveViewsField) {
  HWND child = open_child();
  ViewState view{};
  SetWindowLongPtrW(child, CHILD_EXTRA_VIEW_STATE, reinterpret_cast<LONG_PTR>(&view));
  HWND dialog = open_guide_dialog(frame, GuideKind::MonitorTips);
  click(dialog, IDC_GUIDE_BUTTON_1);
  EXPECT_EQ(view.comment_display, 1);
  EXPECT_EQ(view.range_active, 0);
  EXPECT_TRUE(IsWindow(dialog));  // stays open
  SetWindowLongPtrW(child, CHILD_EXTRA_VIEW_STATE, 0);
}

}  // namespace
