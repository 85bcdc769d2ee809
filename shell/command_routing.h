// How the frame routes a command id, and the rules the document windows share:
// the tool guard, the preparation of the edit-menu modes and the routing of Enter.
// Window-free, so that the decisions are tested natively; with the real windows the frame
// carries out the routing (frame/frame_commands_win.cpp), the document windows the tool
// guard (shell/command_routing_win.cpp).
#pragma once

#include <cstdint>

#include "shell/command_ids.h"

// Screen kinds (g_screen_kind) and toolbar kinds (g_toolbar_kind) by value.
inline constexpr int SCREEN_KIND_DESIGN = 0;
inline constexpr int SCREEN_KIND_MONITOR = 1;   // monitor and operation-check screens
inline constexpr int SCREEN_KIND_MNEMONIC = 2;
inline constexpr int TOOLBAR_KIND_DESIGN = 0;
inline constexpr int TOOLBAR_KIND_MONITOR = 1;
inline constexpr int TOOLBAR_KIND_MNEMONIC = 2;
inline constexpr int TOOLBAR_KIND_INITIAL = 3;

// What the frame does with a WM_COMMAND id.
enum class CommandRoute {
  ComboSelection,      // 679: a port picked in the toolbar's COM list (never forwarded)
  EnterKey,            // 706: IDOK to the screen's dialogs, or the line split of the mnemonic screen
  PortCheck,           // 1253: probe the ports again and refill the COM list
  FrameCommand,        // carried out by the frame itself and not forwarded
  PrepareThenForward,  // 1179-1181, 1183-1187: close dialogs, set the edit mode, then forward
  Forward,             // everything else: unchanged to the active document window
};

CommandRoute classify_frame_command(int id);

// The edit mode (CMD_RANGE_MODE or CMD_BLANK_LINE_MODE) that the frame switches on before
// forwarding an edit-menu command, or 0 when the id is not prepared (1182 among them).
int edit_mode_prepared_for(int id);

// The tool guard of the document windows: a tool command (1101..1148) is refused while the
// toolbar shown is not the window's own. own_toolbar_kind is the window's toolbar kind
// (design 0, monitor 1, mnemonic 2).
constexpr bool tool_guard_refuses(int shown_toolbar_kind, int own_toolbar_kind, int id) {
  return shown_toolbar_kind != own_toolbar_kind && id >= TOOL_GUARD_FIRST_ID && id <= TOOL_GUARD_LAST_ID;
}

inline constexpr const char* TOOL_GUARD_MESSAGE =
    "左上のﾂｰﾙ･ﾊﾞｰで、ｱｸﾃｨﾌﾞ画面と\nﾂｰﾙ･ﾊﾞｰを適合させて下さい！";
inline constexpr const char* TOOL_GUARD_CAPTION = "警告";

// Where Enter goes on a screen.
struct EnterRouting {
  bool forward_to_child;   // the mnemonic screen: 706 unchanged to the active child, nothing else
  bool ok_to_dialogs;      // IDOK to dialog slots 0..3 of the screen's row and to the guide dialog
  bool ok_to_child;        // then IDOK to the active child (the design screen)
};

constexpr EnterRouting route_enter(int screen_kind) {
  if (screen_kind == SCREEN_KIND_MNEMONIC) return {true, false, false};
  return {false, true, screen_kind == SCREEN_KIND_DESIGN};
}

// The port number of a COM-list entry: the decimal number after its first three
// characters ("COM12" gives 12). -1 when the text is shorter or holds no digit there.
int port_number_from_combo_text(const char* text);

// The port check found no board on any port.
inline constexpr const char* PORT_CHECK_EMPTY_MESSAGE =
    "接続できるポートがありませんでした。\nドライバのインストールを確認してください。";
inline constexpr const char* PORT_CHECK_EMPTY_CAPTION = "エラー";
