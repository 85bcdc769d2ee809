// Mnemonic text in memory (a MnemonicText of MnemonicLine records) and on disk (.NIC):
// one instruction-list statement per line, comments after ';', and the end line
// "0FFFF0 0FFFF0". The line operations here are shared by the mnemonic screen, the
// frame's conversion, the comment carry-over and the board link.
//
// A statement field holds at most 126 characters and its line feed, then a NUL. Every
// store into a line goes through set_line_statement, which cuts a longer text at a
// character boundary (a double-byte character is never split) and never writes past
// the field.
//
// Streams are used in binary mode (open_text_file, use_binary_mode): the reader accepts
// LF or CR LF line ends and stops at a 0x1A byte; the writer ends every line with CR LF.
#pragma once

#include <cstdint>
#include <cstdio>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "core/ladder_model.h"

inline constexpr char END_LINE_TEXT[] = "0FFFF0 0FFFF0";
inline constexpr char END_LINE_WORD[] = "0FFFF0";
// Characters a statement keeps before its line feed.
inline constexpr int MAX_STATEMENT_CHARS = STATEMENT_SIZE - 2;

// ---- One line ------------------------------------------------------------------------
// The statement as a view: its text up to the NUL, within the field.
std::string_view line_statement(const MnemonicLine& line);
// Characters before the first line feed (or the NUL), at most MAX_MEASURED_LINE.
int line_length(const MnemonicLine& line);
// Splits the statement (before its line feed) into blank-separated words; fills at
// most words.size() views into the line and returns how many it filled.
int split_line_words(const MnemonicLine& line, std::span<std::string_view> words);
// The first blank-separated word; empty when the line has none.
std::string_view line_first_word(const MnemonicLine& line);
bool line_first_word_is(const MnemonicLine& line, std::string_view word);
// The line whose first word is "0FFFF0" ends a text.
inline bool is_end_line(const MnemonicLine& line) { return line_first_word_is(line, END_LINE_WORD); }

// Stores text up to its first line feed as the statement, cut to MAX_STATEMENT_CHARS at a
// character boundary, followed by a line feed. The comment, flags and selection stay.
void set_line_statement(MnemonicLine& line, std::string_view text);
// Stores the end line "0FFFF0 0FFFF0".
void set_end_line(MnemonicLine& line);
// Stores text as the line's trailing comment, cut at a character boundary to its field.
void set_line_comment(MnemonicLine& line, std::string_view text);

// When the line holds ';': statement = the text before the first ';' less its trailing
// blanks (cut to 127 characters), comment = the rest from the ';' to the end of the line
// (its line feed included), or empty when only blanks and the line end follow the ';'.
// Without ';' both are empty.
void split_code_and_comment(const MnemonicLine& line, std::string& comment, std::string& statement);

// ---- Writes ----------------------------------------------------------------------------
// Counts the writes made to mnemonic texts by anything but an edit that names the lines it
// changed: every reader, paste, compile, replace and whole-text edit adds one when it
// starts. The undo ring shares the unchanged lines of its newest snapshot only while this
// count stands where it stood when that snapshot was taken.
extern uint64_t g_mnemonic_text_writes;
inline void count_mnemonic_text_write() { ++g_mnemonic_text_writes; }

// ---- The whole text --------------------------------------------------------------------
// Index of the end line; the text's size (at most MAX_TEXT_LINES) when it has none.
int count_text_lines(ConstTextSpan text);
// Index of the first line whose first word is END (or end, as the parser accepts
// either case); -1 when the end line comes first or there is none.
int find_end_line(ConstTextSpan text);
// Copies every statement up to and including the end line into the same line of the
// saved copy and stores the end line's index in *count.
void copy_text_to_saved(ConstTextSpan text, SavedSpan saved, int* count);
// 1 when any statement from line 0 up to and including the text's end line differs
// from the saved copy's, else 0.
int text_differs_from_saved(ConstTextSpan text, ConstSavedSpan saved);

// ---- The .NIC file -----------------------------------------------------------------------
inline constexpr int NIC_READ_OK = 0;
inline constexpr int NIC_READ_ERROR = -1;     // a stream error, or a text without any line
inline constexpr int NIC_READ_TOO_LONG = -3;  // the file holds more lines than the text

// Reads lines into text until the end line or end of file, keeping room for the end
// line: at most text.size() - 1 (17,999) lines are taken, then the end line is stored.
// A header line (first character a backslash) sets the loaded CPU settings; without
// one their header fields are cleared. *line_count receives the end line's index.
// Returns 0; -1 on a stream error (the lines read so far are kept and the end line
// follows them) or when text has no line at all; NIC_READ_TOO_LONG when a statement
// line follows the lines that fit (blank lines before the end line or the end of the
// file do not count): the text then holds the first lines and the end line, and is
// not the whole program, so it must not be written into the board or saved over the file.
// `cut_lines`, when given, receives the 1-based numbers of the lines longer than a
// statement field holds (stored cut), so that the reader's user can say which they were.
int read_nic_file(TextSpan text, std::FILE* stream, int* line_count, std::vector<int>* cut_lines = nullptr);
// Writes every statement up to its line feed, each followed by CR LF, up to and
// including the end line (written as the end line when the text lacks one). flag is
// not used. Returns 0, or -1 as soon as a write fails.
int write_nic_text(ConstTextSpan text, std::FILE* stream, int flag);
