// The mnemonic parser: the text of a mnemonic screen (one statement per line) compiled
// into an instruction list that the list-to-ladder conversion draws.
//
// Every form the operation-file-to-mnemonic printer writes is read back to a record that
// prints the same text again: word instructions with their operands on the lines below,
// the D and P variants of every name, label lines (P05, I05, U05), the number form of MC
// and MCR, MPS/MRD/MPP, and the comparison contacts in their LD and AND forms. An OR
// comparison (OR=; the compiler never writes one, it writes LD= and ORB) is read as an LD
// comparison followed by ORB, so that it can be drawn.
//
// The parser checks the grammar of each statement only; the structure of the program is
// the list-to-ladder conversion's business. Faulty statements are collected in
// g_conversion_errors (parser layout of ConversionError) and the walk goes on, so one run
// reports every fault. Device comments written after statements are gathered into the
// comment table on the way and spread over the other lines of the same device.
#pragma once

#include <cstdint>
#include <span>
#include <string_view>

#include "core/device_tables.h"
#include "core/instruction_tables.h"
#include "core/ladder_model.h"
#include "core/mnemonic_device.h"

// ---- Results ---------------------------------------------------------------------------
inline constexpr int PARSE_OK = 0;
inline constexpr int PARSE_ERRORS = -1;   // errors recorded in g_conversion_errors
inline constexpr int PARSE_NOTHING = -2;  // the text holds no statement or comment line; nothing recorded

// ---- Error words ---------------------------------------------------------------------------
// kind << 28 | operand << 24 | header lines << 20 | merged lines << 12 | line.
// The line the error names is the line the user sees: header + merged + line is its
// 0-based index in the text, every line above it counted (header, comment and blank lines
// included). The header field stays 0, so that the sum of the line and merged fields
// alone is that index too. An index beyond what the fields hold is clamped to the largest
// they hold (both fields full), which parse_error_line_clamped reports.
namespace ParseError {
inline constexpr uint32_t NO_END = 0;          // never recorded by the parser
inline constexpr uint32_t BAD_OPERAND = 1;     // operand field: its 1-based number; 0: a D or P form refused
inline constexpr uint32_t FILE_MADE = 2;       // never recorded
inline constexpr uint32_t BAD_INSTRUCTION = 3;
inline constexpr uint32_t PLAIN = 4;           // never recorded
inline constexpr uint32_t NO_JUMP_POINT = 5;   // never recorded
inline constexpr uint32_t FIRST_LINE = 6;      // never recorded
inline constexpr uint32_t OPERAND_COUNT = 7;   // operand field 1
inline constexpr uint32_t LIST_FULL = 8;       // the program does not fit the instruction list
inline constexpr uint32_t COMMENTS_FULL = 9;   // more comment lines than g_line_comments holds
inline constexpr uint32_t KIND_COUNT = 10;
}  // namespace ParseError

inline constexpr uint32_t PARSE_ERROR_LINE_MAX = 0xFFF;
inline constexpr uint32_t PARSE_ERROR_MERGED_MAX = 0xFF;

// The texts by kind, packed one after the other (each ended by a NUL).
extern const char g_parse_error_texts[];
// The text of a kind; "" for a kind beyond the table.
const char* parse_error_text(uint32_t kind);

// The error word for a fault on the 0-based text line `line`, `merged` continuation lines
// having been merged so far; the operand is clamped to its four bits.
ConversionError make_parse_error(uint32_t kind, uint32_t operand, uint32_t line, uint32_t merged);
inline uint32_t parse_error_kind(ConversionError w) { return w >> 28; }
inline uint32_t parse_error_operand(ConversionError w) { return (w >> 24) & 0xF; }
// The 0-based line of the text the error names (header + merged + line fields).
inline uint32_t parse_error_line(ConversionError w) { return ((w >> 20) & 0xF) + ((w >> 12) & 0xFF) + (w & 0xFFF); }
// True when the line was beyond the fields and the word names the last line they hold.
inline bool parse_error_line_clamped(ConversionError w) {
  return (w & 0xFFF) == PARSE_ERROR_LINE_MAX && ((w >> 12) & 0xFF) == PARSE_ERROR_MERGED_MAX;
}
// One line of the mnemonic error list: "<n>行-<operand>ｵﾍﾟﾗﾝﾄﾞ   <text>" with the 1-based line
// number, or "<n>行以降-..." when the line was clamped. NUL-terminated, cut to the buffer.
void format_parse_error(ConversionError w, std::span<char> out);

// ---- The parser ---------------------------------------------------------------------------
// Compiles `text` up to its end line into `list` (zero-filled by the caller). The owner
// window, view state and `reserved` are not used. Writes each statement line's trailing
// comment (comment field) and line flags, rewrites the lines that receive a spread device
// comment, and fills `table` with the device comments (collect_and_spread_comments).
// Comment lines become comment records numbered into g_line_comments from 0. On success
// the list ends with the end record and the rung starts carry the block-start bit.
// Nothing is written past the list, the table, g_line_comments or the error list.
int parse_mnemonic_text(void* owner, CommentSpan table, TextSpan text, ListSpan list, const void* view_state,
                        int reserved);

// The instruction word of a statement, for the statement on text line `line` (`merged`
// lines merged so far, for the error word). -1: the statement has no word; -2: the
// statement is dropped after an error was recorded; otherwise the InstructionCode with
// its D (0x800) and P (0x2000) form bits. OUT with a T or C operand gives TIM or CNT;
// P05, I05 and U05 give the labels JME, JMI and JMS.
int parse_mnemonic_word(std::string_view statement, uint32_t line, uint32_t merged);

// The InstructionCode a word names (with or without its D and P decoration), or -2 when it
// names none: it decides whether a line after a word instruction holds its operands.
InstructionCode lookup_mnemonic_word(std::string_view word);

// Encodes the statement (its first word the instruction, the rest its operands) as the
// records of `code` (from parse_mnemonic_word) at list[index], advancing index past
// them. Returns 0, 14 for a wrong operand count, or the 1-based number of the first bad
// operand; nothing is written then. The caller leaves room for the record and the end
// record (an index at or beyond list.size() - 1 writes nothing and returns 0).
int encode_instruction_operands(ListSpan list, std::string_view statement, int code, int& index);
// The records a statement of `code` gives: 2 for an OR comparison (an LD comparison and
// the ORB that joins it), else 1.
int statement_records(int code);

// parse_mnemonic_device (core/mnemonic_device.h) reads a device operand.

// The MPS level that the last run left (MPS raises it, MPP lowers it); -1 at the start
// of every run.
extern int g_parse_branch_level;

// The comment number a parsed ASM or TABL record carries: no text of g_line_comments.
inline constexpr uint32_t NO_LINE_COMMENT = 0xFFFFFFFF;
