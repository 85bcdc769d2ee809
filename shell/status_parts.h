// The status bar's parts and the texts of its edit-mode indicators, window-free.
// Part 0 shows messages; parts 1-6 show the sub-modes of the range mode (1134, parts 1-5)
// or the blank-line mode (1135, parts 1-6), the chosen one marked "○" and drawn raised.
#pragma once

#include <array>
#include <string>
#include <vector>

// The first part's text when nothing is going on.
inline constexpr char STATUS_READY[] = "READY";

inline constexpr int STATUS_PART_COUNT = 7;

// The width of each indicator part (parts 1-6) while their texts fit it, and the room left
// right of the last part for the size grip.
inline constexpr int STATUS_INDICATOR_WIDTH = 66;
inline constexpr int STATUS_GRIP_ROOM = 36;

// Right edges of the seven parts for a client width: part 6 ends STATUS_GRIP_ROOM before the
// right edge and each indicator part is `indicator_width` wide; with the usual width 66 that
// is width - 432 + 66 * i. An edge of exactly -1 would mean "up to the border" to the status
// bar, so negative edges of a very narrow frame are given as 0.
std::array<int, STATUS_PART_COUNT> status_part_edges(int client_width, int indicator_width = STATUS_INDICATOR_WIDTH);

// Room an indicator part needs besides its text: the gap of 2 pixels between parts, a pixel
// of edge on each side, the text's inset of 3 pixels and one pixel to spare.
inline constexpr int STATUS_TEXT_ROOM = 8;
// The width of the indicator parts that shows the widest indicator text whole (its width in
// pixels in the bar's font): at least STATUS_INDICATOR_WIDTH.
int status_indicator_width(int widest_text_width);

// NUL-separated name lists, each ended by an empty entry.
inline constexpr char RANGE_SUBMODE_NAMES[] = "範囲\0ｺﾋﾟｰ\0切り取り\0削除\0貼り付け\0";
inline constexpr char BLANK_SUBMODE_NAMES[] = "空行開け\0空行詰め\0左空け\0左詰め\0ﾌﾞﾛｯｸ空け\0ﾌﾞﾛｯｸ詰め\0";
inline constexpr int RANGE_SUBMODE_COUNT = 5;
inline constexpr int BLANK_SUBMODE_COUNT = 6;

// Advances *text over n - base NUL-terminated strings (none when n - base is 0 or less).
// It stops at an empty string, the end of a list, so it never runs past a list.
void skip_list_strings(const char** text, int n, int base);

// Entry index of a NUL-separated list ("" past its end).
std::string list_entry(const char* list, int index);

struct StatusPartText {
  int part;          // 1..6
  std::string text;  // CP932
  bool raised;       // SBT_POPOUT
};

// Every text an indicator part can show: each name of both modes, marked chosen and not.
std::vector<std::string> all_indicator_texts();

// The texts show_edit_mode_indicators writes for mode 1134 or 1135 and the chosen
// sub-mode: "○" + name for the chosen one (raised), two blanks + name for the others.
// Any other mode gives nothing; a chosen index outside the list marks no part.
std::vector<StatusPartText> edit_mode_indicator_texts(int mode, int selected);
