// Device comments across the conversions. The conversions between ladder grid,
// instruction list and mnemonic text carry only instructions, so the comments travel
// beside them in a DeviceCommentTable keyed by the device: the caller collects the table
// from the source form before converting and applies it to the result afterwards.
//
// Keys are DeviceOperand words (DeviceCode << 24 | flags | number), or ROW_LABEL_KEY_BASE
// plus the source row for the comment of a row label. A key read from mnemonic text is
// spelled in the radix of the text it comes from (g_mnemonic_encoder_radix), so that X10,
// S10, B10 and R10 name the same devices in a comment as in the statement.
//
// The table's own size bounds it: at most table.size() - 1 records and the end key
// (EMPTY_MARK) after them; appends stop when it is full. A grid row may give
// COMMENT_RECORDS_PER_ROW records (its label and columns 0-11).
#pragma once

#include <cstdint>
#include <span>
#include <string_view>

#include "core/device_tables.h"
#include "core/instruction_tables.h"
#include "core/ladder_model.h"

inline constexpr uint32_t COMMENT_TABLE_END_KEY = EMPTY_MARK;
inline constexpr int COMMENT_RECORDS_PER_ROW = 13;
// The records (end key included) a table needs for the comments of `rows` grid rows,
// at most MAX_DEVICE_COMMENTS.
int comment_table_size_for_rows(int rows);

// Results of get_cell_device_operand that name no device.
inline constexpr DeviceOperand NO_CELL_DEVICE = 0xFFFFFFFF;     // -1: the cell shows no device
inline constexpr DeviceOperand LABEL_CELL_DEVICE = 0xFFFFFFFE;  // -2: column 15 (the row label)

// The DeviceOperand whose comment the cell (row, column) shows: a contact or coil its own
// operand, a comparison's body cell the operand before it, a box's k-th body cell operand
// k, a timer's cells the timer and its set value. NO_CELL_DEVICE for a cell without one
// (a constant included), LABEL_CELL_DEVICE for column 15, NO_CELL_DEVICE outside the grid.
DeviceOperand get_cell_device_operand(ConstGridSpan grid, int row, int column);

// Builds a table from the grid's comments (first text of a key wins).
void collect_comment_table(CommentSpan table, ConstGridSpan grid);
// Writes the table's texts into the grid's cells of the same devices and its row-label
// comments into the labels of the rows rebuilt from those source rows.
void apply_comment_table(GridSpan grid, ConstCommentSpan table);
// Appends the comment of its device to every contact and output line of the text that
// has no comment yet: "; <comment>" from column 28 (36 after a statement longer than 24).
void annotate_text_with_comments(ConstCommentSpan table, TextSpan text);
// Builds a table from the comments written after contact and output statements (line
// flags exactly HAS_COMMENT | CONTACT_OR_OUTPUT, as the parser sets them) and copies each
// comment onto the other lines of the same device, which are marked COPIED.
void collect_and_spread_comments(CommentSpan table, TextSpan text);

// The key of a device operand in mnemonic text; 0 with the key, -1 for K, H and "4", a text
// that is no device operand and a bad J range.
int parse_comment_device(std::string_view text, DeviceOperand& key);
// The InstructionCode of a statement line by its first word as written (OUT with a T or C
// operand is TIM or CNT); OPCODE_NONE when the word is no mnemonic.
inline constexpr InstructionCode OPCODE_NONE = 528;
InstructionCode opcode_of_line(const MnemonicLine& line);
// The contact and output instructions whose device can carry a comment in mnemonic text:
// the contacts (with their D forms), OUT, SET, PLS, PLF, RST, TIM and CNT.
bool is_commented_statement_code(InstructionCode code);

// A mnemonic comment folded for a grid cell: its first two words (split at ASCII blanks
// and at the full-width blank), each cut at a character boundary to 8 bytes (9 when its
// length is odd) and ended by a line feed. NUL-terminated, cut to the destination.
void fold_comment_text(std::span<char> destination, std::string_view comment);
