// Device search, replace and cross-reference over a ladder grid (design and monitor
// windows): reading a typed device text, finding the next or previous cell that uses the
// device or an instruction, replacing one device by another cell by cell with the user's
// confirmation, the uses of one device (the cross-reference list) and the devices of one
// class a program uses.
//
// Everything here is window-free. The searches return where they stopped; the window side
// (search_dialogs_win.cpp) erases and shows the cursor span and repaints. The replace asks
// its questions and reports each change through a ReplacePort.
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "core/device_tables.h"
#include "core/instruction_tables.h"
#include "core/ladder_model.h"
#include "design/device_uses.h"
#include "shell/view_state.h"

// ---- Program-wide state -----------------------------------------------------------------------
inline constexpr int SEARCH_DOWN = 0;
inline constexpr int SEARCH_UP = 1;
inline constexpr int SEARCH_DOWN_WRAP = 2;     // down, wrapping once to the top (dialog open)
inline constexpr int SEARCH_OUTPUTS = 3;       // output operands only
inline constexpr int SEARCH_INSTRUCTION = 4;   // an instruction name
extern int g_search_mode;

inline constexpr int DEVICE_HIT_SLOTS = 100;   // 99 hits and the end value
extern std::array<int32_t, DEVICE_HIT_SLOTS> g_device_hits;  // ended by HIT_LIST_END
extern int g_replace_restarted;

inline constexpr int HIT_KIND_FIRST_COMPARED = 9;
inline constexpr int HIT_KIND_SECOND_COMPARED = 10;
inline constexpr int hit_row(int32_t hit) { return hit & 0x1FFFF; }
inline constexpr int hit_column(int32_t hit) { return (hit >> 20) & 15; }

inline constexpr int SEARCH_NOT_FOUND = 15;
inline constexpr int USED_DEVICE_LIMIT = 1000;   // distinct devices of a class in the list
inline constexpr int USED_DEVICE_COMMENT_SIZE = 80;  // 79 bytes and the terminator
inline constexpr int SEARCH_ENTRY_SIZE = 20;     // an entry text of the used-device list

// Texts (CP932).
inline constexpr char MSG_BAD_NUMBER[] = "番号を正しく入れてください！";
inline constexpr char MSG_NOT_FOUND[] = "見つかりません！";
inline constexpr char MSG_BAD_OPERAND[] = "ｵﾍﾟﾗﾝﾄﾞか、\n書式が間違っています！";
inline constexpr char MSG_NOTHING_TO_REPLACE[] = "置換するものが有りません！";
inline constexpr char ASK_REPLACE[] = "置換えを実行しますか";
inline constexpr char ASK_RESTART_REPLACE[] = "頭からサ－チ置換し始めますか？";
inline constexpr char SEARCH_CAPTION_CONFIRM[] = "確認";
inline constexpr char SEARCH_CAPTION_WARN[] = "警告";

// ---- Reading a device text ----------------------------------------------------------------
// The device word of a search text (DeviceCode << 24 | number; a digit group K<n><letter>
// as (n & 0xF) << 24 plus the group letter's word): 0, or -1 for a text that is no device.
// One trailing 'T'/'t' is dropped; X, Y, B and R are hexadecimal, J is read as group and
// step digits, the rest decimal; X is refused in the modes 3 and 4.
int parse_search_device(std::string_view text, int search_mode, uint32_t& device);

// The words of a typed text (split at blanks, tabs and line ends), at most `limit`.
std::vector<std::string> search_words(std::string_view text, size_t limit = 5);
// The device word of a typed text: its first word, or its second when the first is SET,
// RST, PLS or PLF. Empty when there is none.
std::string search_device_word(std::string_view text);

// True when two operand words name the same device (bits 0x800000 and 0x400000 aside).
inline constexpr bool same_device(uint32_t a, uint32_t b) { return (a & ~0xC00000u) == (b & ~0xC00000u); }

// ---- Searching ----------------------------------------------------------------------------
struct SearchContext {
  int search_mode = SEARCH_DOWN;
  bool search_dialog_open = false;   // the search command's mode flag
  bool replace_dialog_open = false;  // the replace command's mode flag
};

// Where a search stopped: row, the column of the element's first candidate cell (11 for an
// output), the operand index and the operand count of an output; for an instruction the
// width of the found element.
struct SearchHit {
  int row = -1;
  int column = 0;
  int operand = 0;
  int operands = 1;
  int width = 0;
  bool found() const { return row >= 0; }
};

// The next use of view.entry_device at or after the start the view gives (see the
// rules in device_search.cpp); not found() when there is none.
SearchHit find_device_down(ConstGridSpan grid, const ViewState& view, const SearchContext& context);
// The previous use of view.entry_device, before the cursor (10 rows taken as visible).
SearchHit find_device_up(ConstGridSpan grid, const ViewState& view);
// The next comparison or output of the instruction `code` after the cursor, wrapping once.
SearchHit find_instruction_down(ConstGridSpan grid, const ViewState& view, InstructionCode code);

// Moving the view to a hit, in two halves around the drawing of the cursor span:
// place_hit sets top_row (when the row is out of view; then the whole window repaints),
// cursor_row and the cursor column the span is drawn at; finish_hit sets the cursor column
// the next search starts from. `visible_span` is visible_rows for the downward searches and
// 10 for the upward one; in the comment mode (flag 1116) an output's span is drawn at its
// operand's comment cell. place_hit returns true when the whole window must repaint.
bool place_hit(ViewState& view, const SearchHit& hit, int visible_span, bool comment_mode = false);
void finish_hit(ViewState& view, const SearchHit& hit);
// Both halves (no drawing): what the window does without its repaints.
bool move_to_hit(ViewState& view, const SearchHit& hit, int visible_span, bool comment_mode = false);

// "T" 53, "C" 54, else the first code 0-255 whose upper-case, then lower-case name is the
// text: 0, or -1 for an unknown name.
int instruction_code_from_name(std::string_view name, InstructionCode& code);

// What a search command does with a typed text (search_device): the device goes into
// view.entry_device and the search runs up in mode 1, down otherwise.
struct SearchOutcome {
  int result = 0;              // 0 found, SEARCH_NOT_FOUND, -1 bad text
  const char* message = nullptr;  // MSG_BAD_NUMBER or MSG_NOT_FOUND (caption 確認)
  SearchHit hit;
};
SearchOutcome plan_device_search(ConstGridSpan grid, ViewState& view, const SearchContext& context,
                                 std::string_view text);

// ---- Replacing ----------------------------------------------------------------------------
enum class ReplaceAnswer { YES, NO, CANCEL };

// What the replace needs from its window: the questions, the messages and the repaints.
class ReplacePort {
 public:
  virtual ~ReplacePort() = default;
  virtual void show_hit(ViewState& view, const SearchHit& hit) = 0;     // move the cursor there (drawn)
  virtual ReplaceAnswer ask_replace() = 0;                              // 置換えを実行しますか
  virtual bool ask_restart() = 0;                                       // 頭からサ－チ置換し始めますか？
  virtual void show_message(const char* text, const char* caption) = 0;
  virtual void assign_comment(int row, int column, uint32_t device) = 0;  // the new device's comment
  virtual void cell_changed(int row, int column) = 0;   // invalidate and tell the other views
  virtual void cell_passed(int row, int column) = 0;    // invalidate (its mark goes)
  virtual void repaint_all() = 0;
};

// Replaces `old_text`'s device by `new_text`'s, asking at every use. A replaced operand
// keeps its own flag bits (0x800000, 0x400000); a refused text changes nothing. With
// keep_comment the cells keep their comments. Returns 1 when a cell changed, else 0.
int replace_devices(GridSpan grid, ViewState& view, std::string_view old_text, std::string_view new_text,
                    bool keep_comment, ReplacePort& port);

// The cell that holds the comment of the operand under the cursor (row, column).
int comment_cell_column(const LadderRow& row, int column);

// ---- Cross-reference and used devices -------------------------------------------------------
// The uses of the device of `text` (a device, a T or C with a set value, or SET, RST, PLS or
// PLF with a device) as hits in `hits` (each followed by HIT_LIST_END, never past it) and as
// list lines "<device>-<line>-A " (a contact; B for a b-contact, C a comparison operand,
// O an output operand). A text that names no device leaves `hits` alone and returns false.
// `more` counts the uses that did not fit.
struct CrossReference {
  std::vector<std::string> lines;
  int more = 0;
};
bool cross_reference(ConstGridSpan grid, std::string_view text, std::span<int32_t> hits, CrossReference& out);

// The same uses as hits only, for the Space key's highlight: list_device_uses of
// design/device_uses.h.

// The devices of class `index` the program uses, sorted, with their comments: the list
// lines (four devices a line, or one a line with its comment) and one entry text per line.
struct UsedDeviceList {
  std::vector<std::string> lines;
  std::vector<std::string> entries;
  bool truncated = false;  // more than USED_DEVICE_LIMIT devices
};
UsedDeviceList build_used_device_list(ConstGridSpan grid, bool one_column, DeviceIndex index);
// A device as the list writes it: X, Y, B, R in upper-case hexadecimal, J as group and two
// step digits, the rest decimal.
std::string used_device_text(DeviceIndex index, uint32_t number);

// Returns the state of this file to its start-up values (for tests).
void reset_device_search_state();
