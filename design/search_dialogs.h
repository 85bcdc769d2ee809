// The state of the search and replace dialogs that survives them, and their window-free
// decisions: what choosing a line of the search dialog's list does, and where a jump to
// one use of a device puts the cursor.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "core/ladder_model.h"
#include "shell/view_state.h"
#include "shell/window_lists.h"

// Controls of the search dialogs ("SchDialog", "SchisDialog") and the replace dialog ("OkicDialog").
inline constexpr int IDC_SEARCH_DOWN = 651;     // 651-655: g_search_mode 0-4
inline constexpr int IDC_SEARCH_INSTRUCTION = 655;
inline constexpr int IDC_SEARCH_OUTPUTS = 654;
inline constexpr int IDC_DEVICE_EDIT = 717;
inline constexpr int IDC_NEW_DEVICE_EDIT = 718;
inline constexpr int IDC_SWITCH_FORM = 734;
inline constexpr int IDC_MOVE_DIALOG = 586;
inline constexpr int IDC_DEVICE_LIST = 699;
inline constexpr int IDC_LIST_CLASS = 746;
inline constexpr int IDC_ONE_COLUMN = 567;
inline constexpr int IDC_KEEP_COMMENT = 561;
inline constexpr int IDC_CLASS_P = 560;          // has no function
inline constexpr int IDC_KEYPAD_CLEAR = 1373;

// The device-class buttons and their DeviceIndex values.
struct DeviceClassButton {
  int id;
  int index;
};
inline constexpr DeviceClassButton DEVICE_CLASS_BUTTONS[] = {
    {553, 0}, {554, 1}, {555, 2}, {564, 7}, {557, 4}, {558, 5}, {556, 6}, {559, 13}, {565, 12}, {563, 16}, {566, 14},
};
// The DeviceIndex of a class button; -1 for any other id (560 among them).
int device_class_of_button(int id);

inline constexpr int SEARCH_TEXT_SIZE = 100;  // 99 characters of a typed text

// Program-wide state of the dialogs, kept for the rest of the run.
enum class SearchListContent { USED_FOUR_A_LINE = 0, USED_ONE_A_LINE = 1, USES = 2 };
extern int g_search_dialog_variant;   // 0 "SchDialog", 1 "SchisDialog"
extern int g_search_class_button;     // 553
extern int g_search_class;            // DeviceIndex, 0
extern int g_search_one_column;       // the 一列 box
extern SearchListContent g_search_list_content;
extern std::string g_search_entry;    // what the box shows when the dialog opens
extern std::vector<std::string> g_search_list_entries;  // one entry per line of list 699
extern std::string g_search_text;     // the text of the last search (the continued search's too)
extern int g_replace_keep_comment;    // the ｺﾒﾝﾄ残 box, 1

// The content a refilled used-device list has.
inline SearchListContent used_list_content() {
  return g_search_one_column != 0 ? SearchListContent::USED_ONE_A_LINE : SearchListContent::USED_FOUR_A_LINE;
}

// What choosing line `line` of list 699 does.
struct ListChoice {
  enum Action { NOTHING, JUMP, LIST_USES, SET_TEXT } action = NOTHING;
  std::string edit_text;   // the new text of edit 717 (LIST_USES, SET_TEXT)
  int32_t hit = 0;         // JUMP: the use
};
// `edit_text` is what edit 717 holds; `hits` the uses last listed. A line out of the list,
// or a use at or past the end of the hits, does nothing.
ListChoice choose_list_line(int line, const std::string& edit_text, std::span<const int32_t> hits);

// Moves the view's cursor to a use (hit word: row | column << 20 | kind << 28) and scrolls it
// into view two rows below the top, or so that the END row ends the view. False when the
// hit lies outside the grid (nothing changes).
bool jump_to_use(ConstGridSpan grid, ViewState& view, int32_t hit);

void reset_search_dialog_state();

// What a dialog's OK does with the window it acts on, chosen by the kind of that window's
// document and never by the current screen alone: the grid operations on a design grid,
// the text search and replace on a mnemonic text. The monitor's grid is the board's
// program: it is searched, never replaced in. Anything else is left alone.
enum class SearchBranch { NOTHING, GRID, TEXT };
SearchBranch search_branch(DocumentKind kind);
SearchBranch replace_branch(DocumentKind kind);
