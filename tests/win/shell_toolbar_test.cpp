// The toolbars of the four screens, their tooltips and the COM-port list.
#include "bars_frame.h"

#include <cstdlib>
#include <set>

#include "shell/settings_file.h"
#include "shell/toolbar_layout.h"

namespace {

using bars_test::BarsFrame;

std::set<int> g_answering;
int g_probes = 0;
std::vector<int> g_connected;
int g_link_off_calls = 0;
int g_board_com = 0;

std::vector<std::string> g_connect_texts;

int scripted_probe(int slot) {
  ++g_probes;
  return g_answering.count(slot) ? 1 : 0;
}
// The board answers on the slots in g_answering; a port it answers on becomes its port.
int scripted_connect(const char* text) {
  g_connect_texts.push_back(text);
  const int slot = std::atoi(text + 3);
  ++g_probes;
  if (!g_answering.count(slot)) return 0;
  g_connected.push_back(slot);
  g_board_com = slot;
  return 1;
}
void scripted_link_off() { ++g_link_off_calls; }
int scripted_com() { return g_board_com; }

class Toolbar : public BarsFrame {
 protected:
  void SetUp() override {
    saved = target_port_hooks();
    set_target_port_hooks({scripted_probe, scripted_connect, scripted_link_off, scripted_com});
    g_answering = {};
    g_probes = 0;
    g_connected.clear();
    g_connect_texts.clear();
    g_link_off_calls = 0;
    g_board_com = 0;
    BarsFrame::SetUp();
  }
  void TearDown() override {
    set_target_port_hooks(saved);
    BarsFrame::TearDown();
  }

  std::vector<std::wstring> combo_entries() const {
    std::vector<std::wstring> out;
    const int n = static_cast<int>(SendMessageW(g_com_combo, CB_GETCOUNT, 0, 0));
    for (int i = 0; i < n; ++i) {
      wchar_t text[32] = {};
      SendMessageW(g_com_combo, CB_GETLBTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(text));
      out.emplace_back(text);
    }
    return out;
  }

  int selected() const { return static_cast<int>(SendMessageW(g_com_combo, CB_GETCURSEL, 0, 0)); }

  TargetPortHooks saved{};
};

TEST_F(Toolbar, EveryKindHasItsButtonsImagesAndCombo) {
  struct Case {
    int kind;
    int shown;
  };
  for (Case c : {Case{TOOLBAR_INITIAL, TOOLBAR_KIND_INITIAL}, Case{CMD_SCREEN_DESIGN, TOOLBAR_KIND_DESIGN},
                 Case{CMD_SCREEN_OPERATION, TOOLBAR_KIND_MONITOR}, Case{CMD_SCREEN_MNEMONIC, TOOLBAR_KIND_MNEMONIC}}) {
    SCOPED_TRACE(c.kind);
    HWND toolbar = show_toolbar(c.kind);
    ASSERT_NE(toolbar, nullptr);
    EXPECT_EQ(g_toolbar_kind, c.shown);
    EXPECT_EQ(GetDlgCtrlID(toolbar), TOOLBAR_ID);
    const ToolbarLayout& layout = *find_toolbar_layout(c.kind);
    const int count = toolbar_item_count(layout);
    ASSERT_EQ(SendMessageW(toolbar, TB_BUTTONCOUNT, 0, 0), count);
    for (int i = 0; i < count; ++i) {
      TBBUTTON button{};
      ASSERT_TRUE(SendMessageW(toolbar, TB_GETBUTTON, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&button)));
      const ToolbarButtonSpec expected = toolbar_item(layout, i);
      EXPECT_EQ(button.idCommand, expected.command_id) << i;
      if (expected.command_id == 0) {
        EXPECT_TRUE(button.fsStyle & TBSTYLE_SEP) << i;
        continue;
      }
      EXPECT_EQ((button.fsStyle & TBSTYLE_CHECK) != 0, expected.check) << i;
      EXPECT_TRUE(button.fsState & TBSTATE_ENABLED) << i;
      // The extra bitmap's images follow the four of the base bitmap.
      EXPECT_EQ(button.iBitmap, i < 4 ? expected.image : 4 + expected.image) << i;
    }
    if (layout.combo_item < 0) {
      EXPECT_EQ(g_com_combo, nullptr);
      continue;
    }
    ASSERT_NE(g_com_combo, nullptr);
    EXPECT_EQ(GetParent(g_com_combo), toolbar);
    EXPECT_EQ(GetDlgCtrlID(g_com_combo), ID_COM_COMBO);
    EXPECT_EQ(IsWindowEnabled(g_com_combo) != 0, layout.combo_enabled);
    RECT item{}, combo{};
    SendMessageW(toolbar, TB_GETITEMRECT, static_cast<WPARAM>(layout.combo_item), reinterpret_cast<LPARAM>(&item));
    GetWindowRect(g_com_combo, &combo);
    MapWindowPoints(nullptr, toolbar, reinterpret_cast<POINT*>(&combo), 2);
    EXPECT_EQ(combo.left, item.left);
    EXPECT_EQ(combo.top, item.top);
    EXPECT_EQ(combo.right - combo.left, 180);
  }
}

TEST_F(Toolbar, TooltipsOfEveryButton) {
  for (int kind : {TOOLBAR_INITIAL, CMD_SCREEN_DESIGN, CMD_SCREEN_OPERATION, CMD_SCREEN_MNEMONIC}) {
    SCOPED_TRACE(kind);
    HWND toolbar = show_toolbar(kind);
    const ToolbarLayout& layout = *find_toolbar_layout(kind);
    ASSERT_NE(g_toolbar_tooltips, nullptr);
    EXPECT_EQ(reinterpret_cast<HWND>(SendMessageW(toolbar, TB_GETTOOLTIPS, 0, 0)), g_toolbar_tooltips);
    int tools = 0;
    for (int i = 0; i < tooltip_item_end(layout); ++i) {
      const int id = toolbar_item(layout, i).command_id;
      if (id == 0) continue;
      ++tools;
      wchar_t text[256] = {};
      TOOLINFOW tool{};
      tool.cbSize = sizeof tool;
      tool.hwnd = toolbar;
      tool.uId = static_cast<UINT_PTR>(id);
      tool.lpszText = text;
      SendMessageW(g_toolbar_tooltips, TTM_GETTEXTW, 256, reinterpret_cast<LPARAM>(&tool));
      std::wstring expected;
      if (i < 3) {
        const int ids[] = {CMD_SCREEN_DESIGN, CMD_SCREEN_MNEMONIC, CMD_SCREEN_MONITOR};
        wchar_t s[256] = {};
        LoadStringW(GetModuleHandleW(nullptr), static_cast<UINT>(ids[i]), s, 256);
        expected = s;
      } else {
        expected = cp932_to_wide(tooltip_label(id));
      }
      EXPECT_FALSE(expected.empty()) << id;
      EXPECT_EQ(std::wstring(text), expected) << id;
    }
    EXPECT_EQ(SendMessageW(g_toolbar_tooltips, TTM_GETTOOLCOUNT, 0, 0), tools);
  }
}

// The mouse over a button brings up that button's tooltip: the toolbar hands its mouse
// messages on to its tooltip window.
TEST_F(Toolbar, TheMouseOverAButtonShowsItsTooltip) {
  HWND toolbar = show_toolbar(CMD_SCREEN_DESIGN);
  const ToolbarLayout& layout = *find_toolbar_layout(CMD_SCREEN_DESIGN);
  const int item = 5;
  const int id = toolbar_item(layout, item).command_id;
  ASSERT_NE(id, 0);
  SendMessageW(g_toolbar_tooltips, TTM_SETDELAYTIME, TTDT_INITIAL, 1);
  RECT rect{};
  SendMessageW(toolbar, TB_GETITEMRECT, static_cast<WPARAM>(item), reinterpret_cast<LPARAM>(&rect));
  POINT center{(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2};
  POINT screen = center;
  ClientToScreen(toolbar, &screen);
  SetCursorPos(screen.x, screen.y);
  SendMessageW(toolbar, WM_MOUSEMOVE, 0, MAKELPARAM(center.x, center.y));
  for (int wait = 0; wait < 100 && !IsWindowVisible(g_toolbar_tooltips); ++wait) {
    Sleep(10);
    pump_messages();
  }
  EXPECT_TRUE(IsWindowVisible(g_toolbar_tooltips));
  TOOLINFOW tool{};
  tool.cbSize = sizeof tool;
  ASSERT_TRUE(SendMessageW(g_toolbar_tooltips, TTM_GETCURRENTTOOLW, 0, reinterpret_cast<LPARAM>(&tool)));
  EXPECT_EQ(tool.hwnd, toolbar);
  EXPECT_EQ(tool.uId, static_cast<UINT_PTR>(id));
}

TEST_F(Toolbar, DesignToolbarProbesAndOthersReuseTheList) {
  g_answering = {3, 5};
  g_board_com = 5;  // the last port that answered
  show_toolbar(CMD_SCREEN_DESIGN);
  EXPECT_EQ(g_probes, 16);
  EXPECT_GE(g_link_off_calls, 1);
  EXPECT_EQ(combo_entries(), (std::vector<std::wstring>{L"COM3", L"COM5"}));
  EXPECT_EQ(selected(), 1);
  EXPECT_EQ(g_com_port_numbers[0], 3);
  EXPECT_EQ(g_com_port_numbers[1], 5);
  EXPECT_EQ(g_com_port_numbers[2], 0);

  show_toolbar(CMD_SCREEN_MNEMONIC);
  EXPECT_EQ(g_probes, 16);  // no new probe
  EXPECT_EQ(combo_entries(), (std::vector<std::wstring>{L"COM3", L"COM5"}));
  EXPECT_EQ(selected(), 1);
  show_toolbar(CMD_SCREEN_OPERATION);
  EXPECT_EQ(g_probes, 16);
  EXPECT_EQ(combo_entries(), (std::vector<std::wstring>{L"COM3", L"COM5"}));
  EXPECT_FALSE(IsWindowEnabled(g_com_combo));
}

TEST_F(Toolbar, PickingAPortThatAnswersConnectsIt) {
  g_answering = {2, 4, 9};
  g_board_com = 9;
  show_toolbar(CMD_SCREEN_DESIGN);
  ASSERT_EQ(combo_entries().size(), 3u);
  // The user picks COM4: the list tells its parent, the toolbar passes it to the frame.
  SendMessageW(g_com_combo, CB_SETCURSEL, 1, 0);
  const int link_offs = g_link_off_calls;
  SendMessageW(g_toolbar, WM_COMMAND, MAKEWPARAM(ID_COM_COMBO, CBN_SELCHANGE), reinterpret_cast<LPARAM>(g_com_combo));
  EXPECT_EQ(g_connect_texts, (std::vector<std::string>{"COM4"}));
  EXPECT_EQ(g_link_off_calls, link_offs + 1);
  EXPECT_EQ(g_connected, (std::vector<int>{4}));
  EXPECT_EQ(g_combo_selection, 1);
  // A rebuilt toolbar shows the chosen port again.
  show_toolbar(CMD_SCREEN_MNEMONIC);
  EXPECT_EQ(selected(), 1);
}

TEST_F(Toolbar, APortWithoutABoardKeepsTheEntryChosenBefore) {
  g_answering = {2, 4};
  g_board_com = 4;
  show_toolbar(CMD_SCREEN_DESIGN);
  ASSERT_EQ(selected(), 1);
  g_answering = {4};  // COM2 stopped answering
  SendMessageW(g_com_combo, CB_SETCURSEL, 0, 0);
  SendMessageW(g_toolbar, WM_COMMAND, MAKEWPARAM(ID_COM_COMBO, CBN_SELCHANGE), reinterpret_cast<LPARAM>(g_com_combo));
  EXPECT_EQ(g_connect_texts, (std::vector<std::string>{"COM2"}));
  EXPECT_TRUE(g_connected.empty());
  EXPECT_EQ(g_board_com, 4);  // the board's port is unchanged
  EXPECT_EQ(g_combo_selection, 1);
  show_toolbar(CMD_SCREEN_MNEMONIC);
  EXPECT_EQ(selected(), 1);
}

TEST_F(Toolbar, OtherNotificationsOfTheListDoNothing) {
  g_answering = {2};
  show_toolbar(CMD_SCREEN_DESIGN);
  const int probes = g_probes;
  SendMessageW(g_toolbar, WM_COMMAND, MAKEWPARAM(ID_COM_COMBO, CBN_DROPDOWN), reinterpret_cast<LPARAM>(g_com_combo));
  EXPECT_EQ(g_probes, probes);
  EXPECT_TRUE(g_connect_texts.empty());
  EXPECT_TRUE(g_connected.empty());
}

TEST_F(Toolbar, ThePickNeverReachesADocumentWindow) {
  g_answering = {2};
  show_toolbar(CMD_SCREEN_DESIGN);
  HWND child = open_child();
  SendMessageW(g_com_combo, CB_SETCURSEL, 0, 0);
  SendMessageW(g_toolbar, WM_COMMAND, MAKEWPARAM(ID_COM_COMBO, CBN_SELCHANGE), reinterpret_cast<LPARAM>(g_com_combo));
  EXPECT_TRUE(commands_of(child).empty());
}

TEST_F(Toolbar, PortCheckRefillsTheList) {
  g_answering = {1};
  g_board_com = 1;
  show_toolbar(CMD_SCREEN_MNEMONIC);
  EXPECT_TRUE(combo_entries().empty());  // nothing was probed yet
  command(CMD_PORT_CHECK);
  EXPECT_EQ(g_probes, 16);
  EXPECT_EQ(combo_entries(), (std::vector<std::wstring>{L"COM1"}));
  EXPECT_EQ(selected(), 0);
  EXPECT_TRUE(boxes_->shown().empty());
}

TEST_F(Toolbar, PortCheckWithoutABoardSaysSo) {
  g_answering = {6};
  show_toolbar(CMD_SCREEN_DESIGN);
  ASSERT_EQ(combo_entries().size(), 1u);
  g_answering = {};
  boxes_->answer(IDOK);
  command(CMD_PORT_CHECK);
  EXPECT_TRUE(combo_entries().empty());
  ASSERT_EQ(boxes_->shown().size(), 1u);
  EXPECT_EQ(bars_test::narrow(boxes_->shown()[0].text),
            "接続できるポートがありませんでした。\nドライバのインストールを確認してください。");
  EXPECT_EQ(bars_test::narrow(boxes_->shown()[0].caption), "エラー");
  for (int n : g_com_port_numbers) EXPECT_EQ(n, 0);
}

TEST_F(Toolbar, SelectedToolReadsTheCheckedButtons) {
  show_toolbar(CMD_SCREEN_DESIGN);
  EXPECT_EQ(get_selected_tool(), 151);  // 1179 and 1135 have no button: not checked
  check_toolbar_button(CMD_RANGE_MODE, true);
  EXPECT_EQ(get_selected_tool(), 34);
  check_toolbar_button(CMD_TOOL_RELAY_A, true);
  EXPECT_EQ(get_selected_tool(), 1);
  EXPECT_EQ(g_current_tool, 1);
  set_mode_flag(CMD_TOOL_RELAY_A, 1);
  reset_design_modes();
  EXPECT_EQ(get_selected_tool(), 151);
  EXPECT_EQ(get_mode_flag(CMD_TOOL_RELAY_A), 0);
  show_toolbar(CMD_SCREEN_MNEMONIC);
  EXPECT_EQ(get_selected_tool(), 151);
}

// What an image's transparent pixels show: the images are drawn over this colour.
constexpr COLORREF TRANSPARENT_SHOWN = RGB(255, 0, 255);

// The 32 x 32 pixels of a toolbar image, row by row.
std::vector<COLORREF> image_pixels(HWND toolbar, int image) {
  std::vector<COLORREF> pixels;
  HIMAGELIST list = reinterpret_cast<HIMAGELIST>(SendMessageW(toolbar, TB_GETIMAGELIST, 0, 0));
  if (list == nullptr) return pixels;
  HDC screen = GetDC(nullptr);
  HDC dc = CreateCompatibleDC(screen);
  HBITMAP bitmap = CreateCompatibleBitmap(screen, 32, 32);
  HGDIOBJ old = SelectObject(dc, bitmap);
  RECT all{0, 0, 32, 32};
  HBRUSH magenta = CreateSolidBrush(TRANSPARENT_SHOWN);
  FillRect(dc, &all, magenta);
  DeleteObject(magenta);
  ImageList_Draw(list, image, dc, 0, 0, ILD_NORMAL);
  for (int y = 0; y < 32; ++y)
    for (int x = 0; x < 32; ++x) pixels.push_back(GetPixel(dc, x, y));
  SelectObject(dc, old);
  DeleteObject(bitmap);
  DeleteDC(dc);
  ReleaseDC(nullptr, screen);
  return pixels;
}

COLORREF image_pixel(HWND toolbar, int image, int x, int y) {
  const auto pixels = image_pixels(toolbar, image);
  return pixels.empty() ? CLR_INVALID : pixels[static_cast<size_t>(y * 32 + x)];
}

TEST_F(Toolbar, KeyInPicturesFollowOptionBit1) {
  const int32_t saved_bits = g_option_bits;
  // Inside the white key label of the key-in picture of 1101, button face elsewhere.
  g_option_bits = 0x13;
  const COLORREF keys = image_pixel(show_toolbar(CMD_SCREEN_DESIGN), 4, 11, 27);
  g_option_bits = 0x11;
  const COLORREF plain = image_pixel(show_toolbar(CMD_SCREEN_DESIGN), 4, 11, 27);
  g_option_bits = saved_bits;
  EXPECT_EQ(keys, GetSysColor(COLOR_BTNHIGHLIGHT));
  EXPECT_EQ(plain, TRANSPARENT_SHOWN);  // the button face of an image is transparent
}

TEST_F(Toolbar, NoImageIsBlank) {
  for (int kind : {CMD_SCREEN_DESIGN, CMD_SCREEN_OPERATION, CMD_SCREEN_MNEMONIC}) {
    HWND toolbar = show_toolbar(kind);
    const ToolbarLayout& layout = *find_toolbar_layout(kind);
    for (int image = 0; image < 4 + layout.extra_images; ++image) {
      int drawn = 0;
      for (COLORREF c : image_pixels(toolbar, image))
        if (c != TRANSPARENT_SHOWN && c != GetSysColor(COLOR_BTNFACE)) ++drawn;
      EXPECT_GT(drawn, 40) << kind << " image " << image;
    }
  }
}

}  // namespace
