// The in-memory forms of a ladder program shared by every screen and conversion:
// the ladder grid, the instruction list, the mnemonic text, the device-comment table,
// the inter-line comments, the conversion-error list and the target settings record.
//
// Every record is a fixed layout of 32-bit little-endian words and fixed-size
// character buffers; the file formats write them word by word, so the sizes and
// offsets below are part of the contract and are checked at compile time.
// Text is narrow Shift-JIS (CP932).
//
// Big tables live on the heap, zero-filled (std::vector value-initialises). Every
// function that walks one takes a std::span, and never reads or writes past it, even
// when the sentinel that should end the table is missing.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

// ---- Limits and sentinels ------------------------------------------------------------
inline constexpr int MAX_GRID_ROWS = 6000;
inline constexpr int MAX_INSTRUCTIONS = 18000;
inline constexpr int MAX_TEXT_LINES = 18000;
inline constexpr int MAX_DEVICE_COMMENTS = 24000;
inline constexpr uint32_t END_MARK_CELL = 0xFF0;
inline constexpr uint32_t EMPTY_MARK = 0xF0F0F0F0;
inline constexpr uint32_t END_RECORD_WORD = 0xFFFF;
inline constexpr uint32_t EMPTY_RECORD_WORD0 = 0x8000;

// ---- Ladder cells --------------------------------------------------------------------
// Bits of a cell's word 0.
namespace CellFlags {
inline constexpr uint32_t LINE = 0x00000001;          // a horizontal line crosses the cell
inline constexpr uint32_t LINK_UP = 0x00000002;       // vertical link to the row above (cell 0: left rail)
inline constexpr uint32_t CONTINUATION = 0x00000004;  // continuation output (col 11) / input (col 0)
inline constexpr uint32_t PRESENT = 0x00000008;       // a part is present
inline constexpr uint32_t PART_CODE_MASK = 0x00001FF0; // part code, bits 4-12
inline constexpr int PART_CODE_SHIFT = 4;
inline constexpr uint32_t COMPARISON = 0x00001000;    // in-cell comparison contact (bit 12 of the code)
inline constexpr uint32_t BOX_POSITION = 0x00000C00;  // position of a cell inside a box
inline constexpr uint32_t END = 0x00002000;           // cell 11 of the END row
inline constexpr uint32_t OUTPUT = 0x00004000;        // output cell of column 11
inline constexpr uint32_t OPERAND_SET = 0x00008000;   // word 1 holds a valid operand
inline constexpr uint32_t TIMER_OUTPUT = 0x00010000;  // TIM/CNT output cell (column 11)
inline constexpr uint32_t TIMER_COIL = 0x00020000;    // TIM/CNT coil cell (column 10)
inline constexpr uint32_t BOX = 0x00040000;           // cell of an applied-instruction box
inline constexpr uint32_t HAS_COMMENT = 0x00080000;   // the cell has a device comment
inline constexpr uint32_t CONSTANT_0 = 0x00100000;    // operand k is a constant: CONSTANT_0 << k
inline constexpr uint32_t HEX_0 = 0x01000000;         // constant k is hexadecimal: HEX_0 << k
inline constexpr uint32_t CONSTANT_MASK = 0x00F00000;
inline constexpr uint32_t HEX_MASK = 0x0F000000;
inline constexpr uint32_t TEXT_ROW = 0x04000000;      // with COMMENT_ROW in cell 1: a text row
inline constexpr uint32_t COMMENT_ROW = 0x10000000;   // in cell 0: a comment row
inline constexpr uint32_t SPECIAL = 0x20000000;       // cell of a special row
inline constexpr uint32_t WORD_DEVICE = 0x08000000;   // initial-value entry of a word device
inline constexpr uint32_t U_MARK = 0x80000000;        // columns 0-14: JMS marker; column 15: row label
}  // namespace CellFlags

// Part codes: (word 0 >> 4) & 0x1FF.
namespace PartCode {
inline constexpr uint32_t NONE = 0;
inline constexpr uint32_t RELAY_A = 1;
inline constexpr uint32_t RELAY_B = 2;
inline constexpr uint32_t LIMIT_A = 3;
inline constexpr uint32_t LIMIT_B = 4;
inline constexpr uint32_t PUSH_A = 5;
inline constexpr uint32_t PUSH_B = 6;
inline constexpr uint32_t OUT = 7;
inline constexpr uint32_t TIM = 8;
inline constexpr uint32_t CNT = 9;
inline constexpr uint32_t LINE = 11;
inline constexpr uint32_t CONTINUATION_OUT = 12;
inline constexpr uint32_t CONTINUATION_IN = 13;
inline constexpr uint32_t D_CONTACT_A = 19;
inline constexpr uint32_t D_CONTACT_B = 20;
inline constexpr uint32_t BOX_LAST = 64;
inline constexpr uint32_t BOX_MIDDLE = 128;
inline constexpr uint32_t BOX_FIRST = 192;
}  // namespace PartCode

inline constexpr uint32_t part_code_of(uint32_t word0) { return (word0 >> 4) & 0x1FF; }

// Word 0 of the cells of the common elements.
namespace CellWord {
inline constexpr uint32_t LINE_ONLY = 0xB9;              // a cell holding a horizontal line alone
inline constexpr uint32_t LINE_LINKED = 0xBB;            // the same with the link bit (cell 0 of a row)
inline constexpr uint32_t CONTACT_BASE = 0x8008;         // | part code << 4: a contact with its operand
inline constexpr uint32_t COIL_BASE = 0xC008;            // | part code << 4: OUT, TIM, CNT in column 11
inline constexpr uint32_t TIMER_COIL_CELL = 0x20008;     // column 10 of a TIM/CNT output
inline constexpr uint32_t BOX_FIRST_CELL = 0x40C08;      // first cell of a box (link bit kept)
inline constexpr uint32_t BOX_MIDDLE_CELL = 0x40808;
inline constexpr uint32_t BOX_LAST_CELL = 0x4C408;       // cell 11 of a box
inline constexpr uint32_t BOX_SINGLE_CELL = 0x4CC08;     // a box without operand cells
inline constexpr uint32_t COMPARISON_BASE = 0x1C00 | 0x8008;  // | code << 4: anchor of a comparison
inline constexpr uint32_t COMPARISON_MIDDLE = 0x808;
inline constexpr uint32_t COMPARISON_LAST = 0x408;
inline constexpr uint32_t END_OUTPUT = 0x6C08;           // cell 11 of a new design's END row
inline constexpr uint32_t END_OUTPUT_REPAIRED = 0x6408;  // cell 11 of a repaired END row
inline constexpr uint32_t COMMENT_ROW_FIRST = 0x100000BB;
inline constexpr uint32_t COMMENT_ROW_LINE = 0x100000B9;
inline constexpr uint32_t COMMENT_ROW_OUTPUT = 0x1000C048;
inline constexpr uint32_t TEXT_ROW_MARK = 0x14000000;    // in cell 1 of a text row (ASM, TABL)
}  // namespace CellWord

// Kinds of the special rows after END (cell 12 word 0 & 0xFFF).
namespace SpecialRow {
inline constexpr uint32_t INITIAL_ON = 0x3F0;  // devices that are on at start
inline constexpr uint32_t INTERLOCK = 0x3F1;   // the devices of one row belong together
inline constexpr uint32_t INITIAL_VALUES = 0x3F2;
// An initial-value entry (0x3F2 rows): DeviceIndex in bits 20-23, number in bits 0-13,
// WORD_DEVICE for T, C current values and D; word 1 the value.
inline constexpr uint32_t ENTRY_INDEX_SHIFT = 20;
inline constexpr uint32_t ENTRY_NUMBER_MASK = 0x3FFF;
}  // namespace SpecialRow

struct LadderCell {
  uint32_t word[4];  // 0 flags and part code, 1 operand, 2 monitor state, 3 run-time display flags
};
static_assert(sizeof(LadderCell) == 16);

inline constexpr int ROW_CELLS = 16;
inline constexpr int CELL_TEXT_SIZE = 100;
inline constexpr int OUTPUT_COLUMN = 11;
inline constexpr int LABEL_COLUMN = 15;
inline constexpr int ROW_TEXT_SIZE = ROW_CELLS * CELL_TEXT_SIZE;  // 1600: a comment row's text

struct LadderRow {
  LadderCell cell[ROW_CELLS];                  // bytes 0-255
  int32_t selected;                            // bytes 256-259: selected in a range
  char text[ROW_CELLS][CELL_TEXT_SIZE];        // bytes 260-1859: device comment of column k
  int32_t source_position;                     // bytes 1860-1863: row or step of the source instruction

  // A comment row's (or text row's) text runs across the 16 text slots as one buffer.
  char* row_text() { return &text[0][0]; }
  const char* row_text() const { return &text[0][0]; }
};
static_assert(sizeof(LadderRow) == 1864);
static_assert(offsetof(LadderRow, selected) == 256);
static_assert(offsetof(LadderRow, text) == 260);
static_assert(offsetof(LadderRow, source_position) == 1860);

// A ladder grid: program rows, the END row, special rows and the end-mark row.
// Full grids hold MAX_GRID_ROWS rows; some callers allocate fewer.
// Row kinds.
inline constexpr uint32_t row_output_code(const LadderRow& row) { return row.cell[12].word[0] & 0x1FF; }
inline constexpr bool is_empty_row(const LadderRow& row) {
  return row.cell[0].word[0] == EMPTY_MARK && row.cell[1].word[0] == EMPTY_MARK;
}
inline constexpr bool is_end_mark_row(const LadderRow& row) {
  return row.cell[0].word[0] == END_MARK_CELL && row.cell[1].word[0] == END_MARK_CELL;
}
inline constexpr bool is_comment_row(const LadderRow& row) { return (row.cell[0].word[0] & CellFlags::COMMENT_ROW) != 0; }
inline constexpr bool is_text_row(const LadderRow& row) {
  return (row.cell[1].word[0] & CellWord::TEXT_ROW_MARK) == CellWord::TEXT_ROW_MARK;
}
inline constexpr bool is_end_row(const LadderRow& row) { return (row.cell[OUTPUT_COLUMN].word[0] & CellFlags::END) != 0; }
inline constexpr uint32_t special_row_kind(const LadderRow& row) { return row.cell[12].word[0] & 0xFFF; }
// Fills a row with the end mark (every cell word 0 = END_MARK_CELL).
void make_end_mark_row(LadderRow& row);
// Makes `row` the END row of a new design (a line across, END in column 11).
void make_new_end_row(LadderRow& row);

using LadderGrid = std::vector<LadderRow>;
using GridSpan = std::span<LadderRow>;
using ConstGridSpan = std::span<const LadderRow>;
inline LadderGrid make_ladder_grid(int rows = MAX_GRID_ROWS) { return LadderGrid(static_cast<size_t>(rows)); }

// ---- Instruction records ---------------------------------------------------------------
namespace RecordFlags {
inline constexpr uint32_t CODE_MASK = 0x3FF;
inline constexpr uint32_t D_FORM = 0x0800;
inline constexpr uint32_t BLOCK_START = 0x1000;
inline constexpr uint32_t P_FORM = 0x2000;
inline constexpr uint32_t COMPARISON = 0x4000;
inline constexpr uint32_t VALID = 0x8000;
inline constexpr uint32_t CONSTANT_0 = 0x00100000;  // operand k + 1 is a constant: CONSTANT_0 << k
inline constexpr uint32_t HEX_0 = 0x01000000;       // constant k is hexadecimal
inline constexpr uint32_t CONSTANT_MASK = 0x00F00000;
inline constexpr uint32_t HEX_MASK = 0x0F000000;
}  // namespace RecordFlags

struct InstructionRecord {
  uint32_t word[6];  // 0 code and flags, 1-4 operands 1-4, 5 source position (row | column << 20)
};
static_assert(sizeof(InstructionRecord) == 24);

// Word 0 of the records that carry no operands of their own.
namespace RecordWord0 {
inline constexpr uint32_t ANB = 0x8007;
inline constexpr uint32_t ORB = 0x8008;
inline constexpr uint32_t MPS = 0x800C;
inline constexpr uint32_t MRD = 0x800D;
inline constexpr uint32_t MPP = 0x800E;
inline constexpr uint32_t END = 0x9010;
inline constexpr uint32_t FEND = 0x9013;
inline constexpr uint32_t IEND = 0x9014;
inline constexpr uint32_t COMMENT = 0x9020;
}  // namespace RecordWord0

inline constexpr bool is_end_record(const InstructionRecord& r) { return r.word[0] == END_RECORD_WORD; }
inline constexpr bool is_empty_record(const InstructionRecord& r) { return r.word[0] == EMPTY_RECORD_WORD0; }
inline constexpr InstructionRecord end_record() {
  return {{END_RECORD_WORD, END_RECORD_WORD, END_RECORD_WORD, END_RECORD_WORD, END_RECORD_WORD, END_RECORD_WORD}};
}
inline constexpr uint32_t source_position(int row, int column) {
  return (static_cast<uint32_t>(row) & 0xFFFFF) | (static_cast<uint32_t>(column) & 0xFF) << 20;
}

// The end record is one of the MAX_INSTRUCTIONS slots (a list is a 432,000-byte block).
using InstructionList = std::vector<InstructionRecord>;
using ListSpan = std::span<InstructionRecord>;
using ConstListSpan = std::span<const InstructionRecord>;
// A new list holds only the end record in slot 0; the rest is zero.
InstructionList make_instruction_list(int records = MAX_INSTRUCTIONS);

// ---- Device comments -------------------------------------------------------------------
inline constexpr int COMMENT_TEXT_SIZE = 100;
inline constexpr uint32_t ROW_LABEL_KEY_BASE = 0xF4000000;  // + row: the comment of that row's label

struct DeviceComment {
  int32_t key;                       // a DeviceOperand, or ROW_LABEL_KEY_BASE + row
  char text[COMMENT_TEXT_SIZE];
};
static_assert(sizeof(DeviceComment) == 104);
static_assert(offsetof(DeviceComment, text) == 4);

using DeviceCommentTable = std::vector<DeviceComment>;
using CommentSpan = std::span<DeviceComment>;
using ConstCommentSpan = std::span<const DeviceComment>;
// A new table holds only the end key in record 0.
DeviceCommentTable make_device_comment_table(int records = MAX_DEVICE_COMMENTS);

// ---- Inter-line comments ----------------------------------------------------------------
inline constexpr int LINE_COMMENT_SIZE = 1600;
inline constexpr int MAX_LINE_COMMENTS = 500;
using LineCommentStore = std::array<std::array<char, LINE_COMMENT_SIZE>, MAX_LINE_COMMENTS>;
extern LineCommentStore& g_line_comments;  // comment rows in order of appearance, from index 0

// ---- Mnemonic text -----------------------------------------------------------------------
inline constexpr int STATEMENT_SIZE = 128;       // 127 characters (the last its line feed) and a NUL
inline constexpr int LINE_TRAIL_SIZE = 1500;     // trailing comment of the line
inline constexpr int MAX_MEASURED_LINE = 200;    // a line is measured over no more than this

namespace LineFlags {
inline constexpr int32_t HAS_COMMENT = 0x1;
inline constexpr int32_t CONTACT_OR_OUTPUT = 0x10;
inline constexpr int32_t COPIED = 0x100;
}  // namespace LineFlags

struct MnemonicLine {
  char statement[STATEMENT_SIZE];   // bytes 0-127
  char comment[LINE_TRAIL_SIZE];    // bytes 128-1627
  int32_t flags;                    // bytes 1628-1631
  int32_t selected;                 // bytes 1632-1635
};
static_assert(sizeof(MnemonicLine) == 1636);
static_assert(offsetof(MnemonicLine, comment) == 128);
static_assert(offsetof(MnemonicLine, flags) == 1628);
static_assert(offsetof(MnemonicLine, selected) == 1632);

using MnemonicText = std::vector<MnemonicLine>;
using TextSpan = std::span<MnemonicLine>;
using ConstTextSpan = std::span<const MnemonicLine>;
inline MnemonicText make_mnemonic_text(int lines = MAX_TEXT_LINES) { return MnemonicText(static_cast<size_t>(lines)); }

// The saved copy of a text, which tells whether the text was changed: its statements alone,
// which are all a change is judged by (a twelfth of a text's 29 MB, so that a window does
// not take and fill memory it never reads).
struct SavedLine {
  char statement[STATEMENT_SIZE];
};
using SavedText = std::vector<SavedLine>;
using SavedSpan = std::span<SavedLine>;
using ConstSavedSpan = std::span<const SavedLine>;
inline SavedText make_saved_text(int lines = MAX_TEXT_LINES) { return SavedText(static_cast<size_t>(lines)); }

// ---- Conversion errors ----------------------------------------------------------------------
// One 32-bit word each. Ladder compiler: kind << 24 | column << 20 | row.
// Mnemonic parser: kind << 28 | operand << 24 | header lines << 20 | merged lines << 12 | line.
using ConversionError = uint32_t;
inline constexpr int MAX_CONVERSION_ERRORS = 1000;
extern std::array<ConversionError, MAX_CONVERSION_ERRORS>& g_conversion_errors;
extern int g_conversion_error_count;
// Appends an error word; once the list is full further words are dropped and the
// last slot is kept, so the list never overflows. Returns false when dropped.
bool add_conversion_error(ConversionError word);
void clear_conversion_errors();
inline constexpr ConversionError compiler_error(uint32_t kind, uint32_t column, uint32_t row) {
  return kind << 24 | (column & 0xF) << 20 | (row & 0xFFFFF);
}
inline constexpr ConversionError parser_error(uint32_t kind, uint32_t operand, uint32_t header_lines,
                                              uint32_t merged_lines, uint32_t line) {
  return kind << 28 | (operand & 0xF) << 24 | (header_lines & 0xF) << 20 | (merged_lines & 0xFF) << 12 | (line & 0xFFF);
}

// ---- Target settings ------------------------------------------------------------------------
inline constexpr int SETTINGS_PATH_SIZE = 261;

struct CpuSettings {
  int32_t base_value;              // 0
  int32_t option_a;                // 4
  int32_t option_b;                // 8
  int32_t option_c;                // 12
  int32_t reserved_16;             // 16
  int32_t port_value;              // 20
  int32_t reserved_24;             // 24
  int32_t option_d;                // 28
  int32_t extra_value;             // 32
  int32_t print_mode;              // 36
  int32_t clock_high;              // 40
  int32_t clock_low;               // 44
  char cpu_name[SETTINGS_PATH_SIZE];        // 48
  char program_folder[SETTINGS_PATH_SIZE];  // 309
  char reserved_570[SETTINGS_PATH_SIZE];    // 570
  char mnemonic_path[SETTINGS_PATH_SIZE];   // 831
  int32_t user_words[4];           // 1092 (aligned: 831 + 261 = 1092)
  char reserved_1108[144];         // 1108
  int32_t output_usage_words[16];  // 1252
  int32_t interrupt_words[16];     // 1316
  int32_t vector_high;             // 1380
  int32_t vector_low;              // 1384
  char reserved_1388[8];           // 1388
};
static_assert(sizeof(CpuSettings) == 1396);
static_assert(offsetof(CpuSettings, base_value) == 0);
static_assert(offsetof(CpuSettings, option_a) == 4);
static_assert(offsetof(CpuSettings, option_b) == 8);
static_assert(offsetof(CpuSettings, option_c) == 12);
static_assert(offsetof(CpuSettings, port_value) == 20);
static_assert(offsetof(CpuSettings, option_d) == 28);
static_assert(offsetof(CpuSettings, extra_value) == 32);
static_assert(offsetof(CpuSettings, print_mode) == 36);
static_assert(offsetof(CpuSettings, clock_high) == 40);
static_assert(offsetof(CpuSettings, clock_low) == 44);
static_assert(offsetof(CpuSettings, cpu_name) == 48);
static_assert(offsetof(CpuSettings, program_folder) == 309);
static_assert(offsetof(CpuSettings, reserved_570) == 570);
static_assert(offsetof(CpuSettings, mnemonic_path) == 831);
static_assert(offsetof(CpuSettings, user_words) == 1092);
static_assert(offsetof(CpuSettings, reserved_1108) == 1108);
static_assert(offsetof(CpuSettings, output_usage_words) == 1252);
static_assert(offsetof(CpuSettings, interrupt_words) == 1316);
static_assert(offsetof(CpuSettings, vector_high) == 1380);
static_assert(offsetof(CpuSettings, vector_low) == 1384);

extern CpuSettings g_cpu_settings;         // the active settings
extern CpuSettings g_loaded_cpu_settings;  // the settings last read from a file

// ---- Program-wide list state ------------------------------------------------------------------
extern ListSpan g_instruction_list;  // the list being built or read
extern int g_end_record_index;       // index of the END record of the last list read or compiled
extern int g_program_row_count;      // set by find_end_mark_row

// ---- Row finders ---------------------------------------------------------------------------
// These are queries: they never change the grid they look at. Every scan stays below
// MAX_GRID_ROWS and below the grid's own size.
//
// Rows up to and including the END row (the index of the row after it); -1 for an
// empty grid or one whose end mark comes before any END row; MAX_GRID_ROWS + 1 when
// the grid holds none of them. Callers treat any result of MAX_GRID_ROWS or more as
// the absence of an END row.
int count_program_rows(ConstGridSpan grid);
// First row with cell 0 = END_MARK_CELL from the END row on (from row 0 when there is
// no END row); -1 when an empty row comes first; the row count reached (>= MAX_GRID_ROWS)
// when there is none. Stores count_program_rows in g_program_row_count.
int find_end_mark_row(ConstGridSpan grid);
// The interrupt-end row (cell 11 output with cell 12 code IEND) before the END row;
// 0 when the END row or an empty row comes first, MAX_GRID_ROWS when none is found.
int find_interrupt_end_row(ConstGridSpan grid);

// Gives a grid whose end mark comes before any END row its END row: the row before the
// end mark becomes the END row (cell 11 word 0 END_OUTPUT_REPAIRED, cell 12 the END
// code), so every reader finds it. This is done only when that row is a program row
// whose output cells 11-14 are free, so that no element is overwritten. Returns the
// program row count (as count_program_rows) when the grid has an END row afterwards;
// -1, with the grid unchanged, when it has none and cannot get one without loss.
int repair_missing_end_row(GridSpan grid);

// Returns the program-wide tables of this file to their start-up state (for tests; the
// whole core's: reset_core_state, core/core_state.h).
void reset_ladder_model_state();
