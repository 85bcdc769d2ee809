// Cell text codecs: the text the design, monitor and number-entry screens show for the
// cell under the cursor, the device operand of a typed contact or coil name, the device
// lists of the special rows after END, and the splitting of multi-line cell texts.
//
// The cell under the cursor is named by a CellCursor (the cursor row and column of the
// window's view); a cursor outside the grid names no cell. Output texts go into
// caller buffers and are always NUL-terminated and cut to the buffer.
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

#include "core/device_tables.h"
#include "core/ladder_model.h"

struct CellCursor {
  int row;
  int column;
};

// Results of parse_cell_operand.
inline constexpr int CELL_PARSE_OK = 0;
inline constexpr int CELL_PARSE_BAD_OPERAND = -1;  // malformed, unknown, refused or out-of-range device
inline constexpr int CELL_PARSE_MISMATCH = -2;     // the device does not fit the part
inline constexpr int CELL_PARSE_NOT_DEVICE = -4;   // the text starts with a digit, or the part takes no device

// A contact or coil operand keeps its number in 14 bits (the design display shows
// number & 0x3FFF), so a typed number above this is refused even where the device's
// highest number is larger (K).
inline constexpr uint32_t CELL_NUMBER_LIMIT = 0x3FFF;

// Parses the device typed for the contact or coil cell at the cursor into `out`
// (DeviceCode << 24 | flags | number); `out` is left alone on failure. While the
// number-entry dialog numbers consecutively (`consecutive_numbering`), "4" and "U" are
// refused. Numbers above the device's highest number are refused, never wrapped.
int parse_cell_operand(ConstGridSpan grid, CellCursor cursor, std::string_view text, DeviceOperand& out,
                       bool consecutive_numbering = false);

// Room for any text format_cell_text writes (a box name and four operands).
inline constexpr int CELL_TEXT_BUFFER_SIZE = 128;
inline constexpr int MARK_TEXT_BUFFER_SIZE = 8;

// The display text of the cursor cell into `text` and its U-mark text into `mark`.
// With `last_operand_only` only the last operand shown, without its blank. While the
// search or replace mode is on (`search_or_replace_mode`), TIM and CNT show one operand.
void format_cell_text(ConstGridSpan grid, CellCursor cursor, std::span<char> text, std::span<char> mark,
                      bool last_operand_only, bool search_or_replace_mode = false);

// The instruction name of the cursor cell without D or P decoration: the operator of a
// comparison contact, "T"/"C" for TIM/CNT, the box name of an output; empty otherwise.
void get_cell_instruction_name(ConstGridSpan grid, CellCursor cursor, std::span<char> name);

// One 100-byte text slot of a display list.
inline constexpr int TEXT_SLOT_SIZE = 100;
using TextSlot = std::array<char, TEXT_SLOT_SIZE>;
using TextSlotList = std::vector<TextSlot>;

// The devices of the special rows after END, as the dialogs show them: one slot per
// initially-on device (0x3F0 rows), one slot per interlock group (0x3F1 rows). Each
// list ends with an empty slot; an empty list is that slot alone.
extern TextSlotList g_initial_on_texts;
extern TextSlotList g_interlock_texts;

// Rebuilds g_initial_on_texts and g_interlock_texts from the special rows of the grid
// (both are emptied when the grid has no END row).
void format_special_row_devices(ConstGridSpan grid);

// Splits `text` at each line feed into consecutive slots (the part after the last line
// feed included), each cut to 99 bytes on a character boundary; pieces beyond the
// slots are dropped. Returns the number of pieces stored. The text is not changed.
int split_text_lines(std::string_view text, std::span<TextSlot> slots);

// Replaces every line feed of the NUL-terminated text in `text` by a blank in place
// and returns its length (the whole buffer when it holds no NUL).
int newlines_to_blanks(std::span<char> text);

// Empties the display lists (start-up state).
void reset_cell_text_state();
