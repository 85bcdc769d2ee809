// The mnemonic screen's editor: a small line editor over a MnemonicText, without any
// window. A caret (line and character index) moves over the statement texts; typed
// characters go in at it; lines are split, joined, inserted and deleted; whole lines
// are selected with Shift and the cursor keys or by dragging; lines travel to and from
// the clipboard as text. Every operation changes the text and the view fields it is
// given and returns what the window has to do afterwards (MnemonicEffects): repaint,
// tell the other windows, take an undo snapshot, set the scroll bar, place the caret.
//
// The caret never stands on the end line "0FFFF0 0FFFF0" and never inside a double-byte
// character. A statement holds at most MAX_STATEMENT_CHARS characters before its line
// feed: typing into a full line changes nothing, a join that would not fit is refused,
// and a pasted or padded line is cut on a character boundary.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "core/ladder_model.h"
#include "core/mnemonic_text.h"
#include "design/cursor_keys.h"  // g_popup_toggle, shared with the design window
#include "design/undo_ring.h"
#include "mnemonic/mnemonic_view.h"

// ---- The program's own line clipboard ------------------------------------------------------
inline constexpr int LINE_CLIPBOARD_SLOTS = 256;
inline constexpr int LINE_CLIPBOARD_SLOT_BYTES = 256;
using LineClipboard = std::array<std::array<char, LINE_CLIPBOARD_SLOT_BYTES>, LINE_CLIPBOARD_SLOTS>;
// One line per slot with its line feed. Slot 0 starting with CR means empty (so it
// starts); after a copy the slot after the last copied line holds "F0F0F0F0".
extern LineClipboard g_line_clipboard;
inline constexpr char LINE_CLIPBOARD_END[] = "F0F0F0F0";

// ---- State of the screen shared by its windows --------------------------------------------
extern int g_mnemonic_drag_enabled;     // 1 after the first release of the left button
extern std::string g_comment_edit_text; // the comment a comment-write click hands its dialog

// What a window has to do after an operation.
struct MnemonicEffects {
  bool changed = false;           // the text changed
  bool repaint = false;           // repaint the whole client area
  int draw_line = -1;             // draw this line again at once (a typed character)
  bool broadcast = false;         // CMD_SYNC_VIEW to the other windows of the file
  int broadcast_line = -1;        //   with this line (-1 = everything)
  bool push_undo = false;         // take an undo snapshot of the text
  int changed_first = -1;         //   when not -1: only lines changed_first..changed_last
  int changed_last = -1;          //   changed and no line moved (the snapshot shares the rest)
  int resync_line = -1;           // the other windows move their view by a line ...
  int resync_insert = 0;          //   ... down (1, a line was inserted) or up (0, deleted)
  bool scroll_range = false;      // set the scroll range (scroll_max) without redraw
  bool scroll_position = false;   // set the scroll position (top_row)
  bool place_caret = false;       // move the caret to cursor_col, cursor_row
  bool mark_other_windows = false;  // the other windows repaint when next activated
  bool lay_out = false;           // lay the window out again as after a size change
  const char* status_text = nullptr;  // text for status part 0
};

// Takes the undo snapshot the effects of an edit ask for, as the window owning the ring
// does: of the changed lines alone when the edit named them, else of the whole text. Any
// other edit counts as a write to the text, so no later snapshot trusts the lines it
// did not name. Returns the lines the snapshot holds (0 when none was taken).
int take_undo_snapshot(MnemonicUndoRing& ring, ConstTextSpan text, const MnemonicEffects& e);

// ---- Line operations ------------------------------------------------------------------------
// They move statement texts only; comments, flags and selections stay with their index.
// Each keeps the end line within the text and refuses (returns false) what does not fit.

// The statements from `index` to the end line move down one line; line `index` becomes
// "\n". False when the text has no room for one more line.
bool insert_empty_line(TextSpan text, int index);
// The statements after `index` move up one line up to the end line; the line where the
// end line was becomes "\n".
void delete_line(TextSpan text, int index);
// Stores a line feed at `column` (column 0 empties the line).
void truncate_line(MnemonicLine& line, int column);
// Clears the selected flag of lines 0 to the end line and range_active.
void clear_line_selection(TextSpan text, MnemonicView& view);
// Deletes the run of selected lines from range_start_row (never the end line); the
// caret goes to the line that follows them, now at range_start_row. Returns the number
// deleted.
int delete_selected_lines(TextSpan text, MnemonicView& view);
// Inserts `lines` above the caret line, as many as the text has room for (each cut to
// its field), and moves the caret below them. Returns the number inserted.
int paste_lines(TextSpan text, MnemonicView& view, const std::vector<std::string>& lines);

// ---- Caret ------------------------------------------------------------------------------------
// A text whose first line is the end line (an empty file, or every line deleted) gets an
// empty line before it, so the caret always has a line to stand on.
void ensure_caret_line(TextSpan text);
// Index of the last line the caret may stand on (the line before the end line, 0 when
// the end line is line 0).
int last_caret_line(ConstTextSpan text);
// The caret column put on a character boundary of its line and not past its line feed.
int limit_caret_column(const MnemonicLine& line, int column);

// ---- Keys and characters (WM_KEYDOWN, WM_CHAR, commands) --------------------------------
enum class MnemonicKey { HOME, END, LEFT, RIGHT, UP, DOWN, DEL };
MnemonicEffects press_key(TextSpan text, MnemonicView& view, MnemonicKey key, bool shift);
// Delete: the selected lines, else joins the next line at the line feed, else removes the
// character at the caret.
MnemonicEffects delete_at_caret(TextSpan text, MnemonicView& view);
// Enter: splits the caret line at the caret; the caret goes to the new line.
MnemonicEffects split_line(TextSpan text, MnemonicView& view);
// Opens an empty line at the caret line, which moves down with the caret.
MnemonicEffects open_blank_line(TextSpan text, MnemonicView& view);
// A typed character as CP932 bytes (one, or two for a double-byte character): backspace
// (8), tab (9), or a printable character inserted at the caret. Other control codes are
// ignored.
MnemonicEffects type_character(TextSpan text, MnemonicView& view, std::string_view character);

// ---- Mouse and scrolling ------------------------------------------------------------------
struct TextMetrics {
  int line_height = 1;
  int char_width = 1;
};
// Left button down at client pixel (x, y): the caret goes to the clicked character.
// `keep_highlight` is true while a dialog is open in the screen's slot 0.
MnemonicEffects click_text(TextSpan text, MnemonicView& view, const TextMetrics& metrics, int x, int y,
                           bool keep_highlight);
// Mouse move with the left button held: extends or shrinks the line selection.
MnemonicEffects drag_text(TextSpan text, MnemonicView& view, const TextMetrics& metrics, int y);
// Scroll bar request (SB_* code, thumb position) or a wheel step (SB_LINEUP/SB_LINEDOWN).
// `client_height` is the client area's height in pixels (the page).
enum class ScrollRequest { LINE_UP, LINE_DOWN, PAGE_UP, PAGE_DOWN, THUMB, TOP, BOTTOM, OTHER };
MnemonicEffects scroll_text(MnemonicView& view, const TextMetrics& metrics, ScrollRequest request,
                            int thumb_position, int client_height);
// Size change: the visible lines and columns and the scroll range.
MnemonicEffects lay_out_text(ConstTextSpan text, MnemonicView& view, const TextMetrics& metrics, int width,
                             int height);

// Column at which a comment starts on a statement of `length` characters: 24 for up to
// 24 characters, else the smallest multiple of 8 that is at least 32 and at least length.
int comment_column(int length);
// A click in comment-write mode: prepares the clicked line for a comment and hands the
// comment text over in g_comment_edit_text. `handled` is false for a header line.
MnemonicEffects comment_write_click(TextSpan text, MnemonicView& view, bool& handled);

// ---- Clipboard ------------------------------------------------------------------------------
// The selected run of lines from the anchor as clipboard text, each line ended by its
// line feed alone; also fills g_line_clipboard and sets g_clip_valid. Empty when no line
// is selected.
std::string copy_selected_lines(ConstTextSpan text, const MnemonicView& view);
// Copy, cut and delete of the selected lines (nothing without a selection). `clip`
// receives the clipboard text of a copy or cut (empty when there is nothing to put).
MnemonicEffects copy_lines(TextSpan text, MnemonicView& view, std::string& clip);
MnemonicEffects cut_lines(TextSpan text, MnemonicView& view, std::string& clip);
MnemonicEffects delete_lines(TextSpan text, MnemonicView& view);
// Comment copy: the anchor line's comment goes to slot 0 of g_line_clipboard.
MnemonicEffects copy_comment(TextSpan text, MnemonicView& view);
// Clipboard text cut into lines at each line feed; a CR before a line feed becomes a
// blank, text after the last line feed is dropped.
std::vector<std::string> clipboard_text_lines(std::string_view clip);
// Paste: the copied comment onto the caret line, or the clipboard text's lines above
// the caret line. The window lays itself out again afterwards.
MnemonicEffects paste_text(TextSpan text, MnemonicView& view, std::string_view clip);

// ---- Painting -------------------------------------------------------------------------------
inline constexpr uint32_t TEXT_COLOUR_NORMAL = 0x000000;    // RGB(0, 0, 0)
inline constexpr uint32_t TEXT_COLOUR_WHITE = 0xFFFFFF;     // RGB(255, 255, 255)
inline constexpr uint32_t TEXT_COLOUR_BACKGROUND = 0xFFFFFF;
inline constexpr uint32_t TEXT_COLOUR_COMMENT = 0x3B3BE1;   // RGB(225, 59, 59) as a COLORREF
inline constexpr uint32_t TEXT_COLOUR_BLACK = 0x000000;
// One run of text to draw at a pixel position, in a colour, on a background.
struct TextRun {
  int x = 0;
  int y = 0;
  std::string text;
  uint32_t colour = TEXT_COLOUR_NORMAL;
  uint32_t background = TEXT_COLOUR_BACKGROUND;
};
// The runs that draw the lines within the pixel rows top..bottom of the client area,
// in the order they are drawn.
std::vector<TextRun> paint_text(ConstTextSpan text, const MnemonicView& view, const TextMetrics& metrics, int top,
                                int bottom);
