// The menus, accelerators and string table as the program loads them.
#include "target/windows_api.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "resources/resource_ids.h"
#include "shell/command_ids.h"
#include "shell/text_win.h"

namespace {

// One menu item in walk order: depth, text (CP932), id (-1 popup, 0 separator).
struct Item {
  int depth;
  std::string text;
  int id;
};

std::string narrow(const wchar_t* text) {
  std::string out;
  wide_to_cp932(text, out);
  return out;
}

void walk(HMENU menu, int depth, std::vector<Item>& out) {
  const int n = GetMenuItemCount(menu);
  for (int i = 0; i < n; ++i) {
    MENUITEMINFOW info{};
    wchar_t text[128] = {};
    info.cbSize = sizeof info;
    info.fMask = MIIM_FTYPE | MIIM_ID | MIIM_SUBMENU | MIIM_STRING;
    info.dwTypeData = text;
    info.cch = 128;
    ASSERT_TRUE(GetMenuItemInfoW(menu, static_cast<UINT>(i), TRUE, &info));
    if (info.fType & MFT_SEPARATOR) {
      out.push_back({depth, "", 0});
    } else if (info.hSubMenu != nullptr) {
      out.push_back({depth, narrow(text), -1});
      walk(info.hSubMenu, depth + 1, out);
    } else {
      out.push_back({depth, narrow(text), static_cast<int>(info.wID)});
    }
  }
}

void expect_menu(const wchar_t* name, const std::vector<Item>& expected) {
  HMENU menu = LoadMenuW(GetModuleHandleW(nullptr), name);
  ASSERT_NE(menu, nullptr);
  std::vector<Item> items;
  walk(menu, 0, items);
  DestroyMenu(menu);
  ASSERT_EQ(items.size(), expected.size());
  for (size_t i = 0; i < items.size(); ++i) {
    EXPECT_EQ(items[i].depth, expected[i].depth) << i;
    EXPECT_EQ(items[i].text, expected[i].text) << i;
    EXPECT_EQ(items[i].id, expected[i].id) << i << " " << expected[i].text;
  }
}

TEST(ShellResources, MainMenu) {
  expect_menu(L"MYMENU", {
                             {0, "ファイル(&F)", -1},
                             {1, "新規作成(&N)", -1},
                             {2, "ラダー回路(&M)", 1209},
                             {2, "ﾆｰﾓﾆｯｸ(&C)", 1210},
                             {1, "ラダー回路画面(&O)", 1154},
                             {1, "ﾆｰﾓﾆｯｸ画面(&S)", 1158},
                             {1, "", 0},
                             {1, "印刷(&P)", -1},
                             {2, "ラダー印刷(&C)", 1216},
                             {1, "", 0},
                             {1, "終了(&X)", 1211},
                         });
}

TEST(ShellResources, DocumentMenu) {
  expect_menu(L"MYDOCUMENT", {
                                 {0, "ファイル(&F)", -1},
                                 {1, "上書き保存(&S)", 1213},
                                 {1, "名前を付けて保存(&H)", 1214},
                                 {1, "", 0},
                                 {1, "ラダー回路画面(&O)", 1160},
                                 {1, "ニーモニック画面(&N)", 1163},
                                 {1, "モニター画面(&D)", 1242},
                                 {1, "", 0},
                                 {1, "COM通信(&T)", 1162},
                                 {1, "", 0},
                                 {1, "印刷(&P)", -1},
                                 {2, "ラダー印刷(&C)", 1216},
                                 {1, "", 0},
                                 {1, "全て閉じる(&L)", 1212},
                                 {1, "終了(&X)", 1211},
                                 {1, "", 0},
                                 {0, "編集(&E)", -1},
                                 {1, "範囲設定(&L)", -1},
                                 {2, "範囲(&L)", 1179},
                                 {2, "コピ－(&C)", 1180},
                                 {2, "切り取り(&T)", 1181},
                                 {2, "削除(&K)", 1182},
                                 {2, "貼り付け(&P)", 1183},
                                 {1, "空行(&K)", -1},
                                 {2, "空行開け(&K)", 1184},
                                 {2, "空行詰め(&Z)", 1185},
                                 {2, "", 0},
                                 {2, "左空け(&L)", 1186},
                                 {2, "左詰め(&R)", 1187},
                                 {1, "", 0},
                                 {1, "検索(&S)", 1117},
                                 {1, "", 0},
                                 {1, "番号設定(&B)", 1114},
                                 {1, "置換(&O)", 1115},
                                 {1, "", 0},
                                 {1, "コメント書き(&C)", 1116},
                                 {0, "変換(&B)", -1},
                                 {1, "ラダー => ﾆｰﾓﾆｯｸ変換(&C)", 1190},
                                 {1, "", 0},
                                 {1, "ﾆｰﾓﾆｯｸ => ラダー変換(&N)", 1192},
                             });
}

TEST(ShellResources, AcceleratorTable) {
  HACCEL table = LoadAcceleratorsW(GetModuleHandleW(nullptr), L"MYMENU");
  ASSERT_NE(table, nullptr);
  const int n = CopyAcceleratorTableW(table, nullptr, 0);
  ASSERT_EQ(n, 46);
  std::vector<ACCEL> entries(static_cast<size_t>(n));
  CopyAcceleratorTableW(table, entries.data(), n);
  DestroyAcceleratorTable(table);
  struct Row {
    int key;
    int plain, ctrl, shift, alt;
  };
  const Row rows[] = {
      {VK_F1, 1089, 1134, 1119, 1160}, {VK_F2, 1090, 1135, 1120, 1161}, {VK_F3, 1091, 1114, 1121, 1242},
      {VK_F4, 1092, 1115, 0, 1163},    {VK_F5, 1093, 1117, 1123, 1239}, {VK_F6, 1094, 1116, 1124, 0},
      {VK_F7, 1095, 0, 1126, 0},       {VK_F8, 1096, 1136, 1127, 0},    {VK_F9, 1097, 0, 1128, 0},
      {VK_F10, 1110, 1165, 1129, 1238}, {VK_F11, 1099, 1190, 1231, 0},  {VK_F12, 1100, 0, 1133, 0},
      {VK_HOME, 1164, 0, 1229, 0},     {VK_RETURN, 706, 0, 0, 0},       {VK_ESCAPE, 708, 0, 0, 0},
      {VK_PRIOR, 709, 0, 0, 0},        {VK_NEXT, 710, 0, 0, 0},
  };
  auto find = [&](int key, BYTE modifiers) -> int {
    for (const ACCEL& a : entries)
      if ((a.fVirt & FVIRTKEY) && a.key == key && (a.fVirt & (FCONTROL | FSHIFT | FALT)) == modifiers) return a.cmd;
    return 0;
  };
  for (const Row& r : rows) {
    EXPECT_EQ(find(r.key, 0), r.plain) << r.key;
    EXPECT_EQ(find(r.key, FCONTROL), r.ctrl) << r.key;
    EXPECT_EQ(find(r.key, FSHIFT), r.shift) << r.key;
    EXPECT_EQ(find(r.key, FALT), r.alt) << r.key;
  }
  auto find_char = [&](int ch) -> int {
    for (const ACCEL& a : entries)
      if (!(a.fVirt & FVIRTKEY) && a.key == ch) return a.cmd;
    return -static_cast<int>(entries.size());
  };

  EXPECT_EQ(find_char(0x1A), 1131);
  EXPECT_EQ(find_char(0x01), 1132);
}

TEST(ShellResources, HelpTextOfEveryMenuCommand) {
  const int ids[] = {1154, 1158, 1160, 1162, 1163, 1179, 1180, 1181, 1182, 1183, 1184, 1185, 1186, 1187, 1190,
                     1192, 1209, 1210, 1211, 1212, 1213, 1214, 1216, 1242, 1114, 1115, 1116, 1117};
  for (int id : ids) {
    wchar_t text[256] = {};
    EXPECT_GT(LoadStringW(GetModuleHandleW(nullptr), static_cast<UINT>(id), text, 256), 1) << id;
  }
  wchar_t blank[8] = {};
  EXPECT_EQ(LoadStringW(GetModuleHandleW(nullptr), STR_POPUP_HELP, blank, 8), 1);
  EXPECT_STREQ(blank, L" ");
  wchar_t none[8] = {};
  EXPECT_EQ(LoadStringW(GetModuleHandleW(nullptr), CMD_RECENT_FILE, none, 8), 0);
}

TEST(ShellResources, IconsAndBitmaps) {
  for (const wchar_t* name : {L"arensta", L"nimoc", L"dousa", L"enpitu"}) {
    HICON icon = LoadIconW(GetModuleHandleW(nullptr), name);
    EXPECT_NE(icon, nullptr);
  }
  struct B {
    int id, images;
  };
  for (B b : {B{BMP_TOOLBAR_BASE, 4}, B{BMP_TOOLBAR_DESIGN, 16}, B{BMP_TOOLBAR_DESIGN_KEYS, 16},
              B{BMP_TOOLBAR_MONITOR, 11}, B{BMP_TOOLBAR_MNEMONIC, 9}}) {
    HBITMAP bitmap = LoadBitmapW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(b.id));
    ASSERT_NE(bitmap, nullptr) << b.id;
    BITMAP info{};
    GetObjectW(bitmap, sizeof info, &info);
    EXPECT_EQ(info.bmWidth, 32 * b.images) << b.id;
    EXPECT_EQ(info.bmHeight, 32) << b.id;
    DeleteObject(bitmap);
  }
}

}  // namespace
