// The texts the monitor screen writes into a cell while it paints it: the operand texts of
// contacts, coils, comparisons and boxes (the device or constant each refers to), and the
// current value of a step counter or data register above a cell that the run-time tables
// marked as a value. Each text comes with its rectangle, its alignment and its colour; the
// painter draws them in the order given.
//
// The texts follow the ladder's own notation: hexadecimal numbers for X, Y, B and R,
// decimal for the others, J as group and step, "K" and "H" constants, "K" digit groups of
// bit devices. An operand that has no record in the run-time tables (a T number from 2047,
// a step from 200, a J group from 100, a data register from 32767) is written with its own
// number and the out-of-range mark after it, and its value is the out-of-range mark alone:
// the monitor never reads past a table.
#pragma once

#include <array>
#include <cstdint>
#include <span>

#include "core/ladder_model.h"

// ---- Geometry ----------------------------------------------------------------------------------
// The figures of the monitor window's view that place a cell (all in pixels).
struct MonitorGeometry {
  int top_row = 0;       // f: the first row shown
  int row_height = 0;    // h
  int part_height = 0;   // p: the height of a cell's picture
  int top_margin = 0;    // t
  int cell_width = 0;    // w
  int left_rail_x = 0;   // L
};

struct MonitorRect {
  int left = 0;
  int top = 0;
  int right = 0;
  int bottom = 0;
  bool operator==(const MonitorRect&) const = default;
};

// The picture of the cell of grid row `row`, column `column`:
// (j w + L, (r - f) h + t) to ((j + 1) w + L, (r - f) h + t + p).
MonitorRect monitor_cell_picture(const MonitorGeometry& geometry, int row, int column);

// ---- Texts ---------------------------------------------------------------------------------------
// How a text lies in its rectangle: the values of the DrawText flags of the same meaning.
namespace MonitorTextFormat {
inline constexpr uint32_t LEFT = 0x00;
inline constexpr uint32_t CENTRE = 0x01;
inline constexpr uint32_t RIGHT = 0x02;
inline constexpr uint32_t VCENTRE = 0x04;
inline constexpr uint32_t BOTTOM = 0x08;
inline constexpr uint32_t SINGLE_LINE = 0x20;
}  // namespace MonitorTextFormat

// COLORREF values, 0x00BBGGRR.
inline constexpr uint32_t MONITOR_OPERAND_COLOUR = 0xFFFFFF;  // white
inline constexpr uint32_t MONITOR_VALUE_COLOUR = 0xFFFF00;    // (0, 255, 255)

// Written after the number of an operand that has no record, and as its value.
inline constexpr char OUT_OF_RANGE_MARK[] = "?";

inline constexpr int MONITOR_TEXT_SIZE = 32;
struct MonitorText {
  std::array<char, MONITOR_TEXT_SIZE> text{};  // NUL-terminated
  MonitorRect rect;
  uint32_t format = 0;
  uint32_t colour = MONITOR_OPERAND_COLOUR;
};

// A box shows at most four operands; a value follows them.
inline constexpr int MAX_MONITOR_CELL_TEXTS = 5;
struct MonitorCellTexts {
  int count = 0;
  std::array<MonitorText, MAX_MONITOR_CELL_TEXTS> item{};
};

// Results of format_monitor_cell.
inline constexpr int MONITOR_CELL_DRAWN = 0;
// A continuation output (column 11 of an OUT row) or a continuation input (column 0): the
// cell shows no text and no value, and the painter draws nothing more for it (no link
// below, mark, selection or live frame).
inline constexpr int MONITOR_CELL_ENDS = 1;

// The texts of the cell in column `column` (0-11) of `row`, which is grid row `row_index`,
// into `out` (emptied first): its operand texts when its word 0 has the operand-set bit,
// then its value when word 3 marks one. Values come from the step records and the D and W
// records of the device images.
int format_monitor_cell(const LadderRow& row, int row_index, int column, const MonitorGeometry& geometry,
                        MonitorCellTexts& out);

// The text of one operand word as each kind of cell writes it, into `text` (NUL-terminated,
// cut to its size); `text` gets "" when it has no room at all.
// An OUT coil (column 11 of an OUT row).
void format_coil_operand(uint32_t word1, std::span<char> text);
// A contact or other cell of columns 0-10; ranges (0x8000) as first-last.
void format_contact_operand(uint32_t word1, std::span<char> text);
// Operand i (from 0) of the comparison or box instruction `code`, whose constant and hex
// bits are those of `word0`; `last` when it is the instruction's last operand.
void format_box_operand(int code, int i, bool last, bool comparison, uint32_t word0, uint32_t word, std::span<char> text);
