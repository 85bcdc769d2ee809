// How the monitor window paints a compiled program, as a display list played by the
// design screen's player (design/design_paint_win.h): comment and text rows, row labels
// and device comments, the element pictures chosen by each cell's live state from the
// monitor's two picture sets (plain and bright), operand texts and register values, the
// "U" marks, the selection frame, the live frames of conducting parts on the monitor
// screen, and the row margins with their program row numbers.
//
// On the monitor screen a cell's state is its device's bit in the polled device image
// (J steps from the active step of their group); on the operation-check screen it is the
// cell's own state word. A device the board's queries cannot name (marked as not polled)
// is drawn off, without a live frame, with the not-polled mark beside it; a register
// value that was not polled is drawn as the mark alone. Every row, table and group index
// is checked before it is read.
#pragma once

#include <cstdint>
#include <string>

#include "core/ladder_model.h"
#include "design/design_paint.h"
#include "shell/view_state.h"

// Picture sources of the items (design/design_paint.h PaintItem::picture_source).
inline constexpr uint8_t MONITOR_PLAIN_SOURCE = 0;   // g_monitor_plain_pictures
inline constexpr uint8_t MONITOR_BRIGHT_SOURCE = 1;  // g_monitor_bright_pictures

inline constexpr uint32_t MONITOR_BACKGROUND = rgb(0, 0, 95);
inline constexpr uint32_t MONITOR_BRIGHT_LINE = rgb(255, 255, 31);
inline constexpr uint32_t MONITOR_PLAIN_LINE = rgb(205, 205, 191);
inline constexpr uint32_t MONITOR_TEXT = rgb(255, 255, 255);
inline constexpr uint32_t MONITOR_COMMENT_ROW_TEXT = rgb(0, 191, 255);
inline constexpr uint32_t MONITOR_LABEL_TEXT = rgb(51, 255, 0);
inline constexpr uint32_t MONITOR_SELECTION = rgb(103, 199, 255);
inline constexpr uint32_t MONITOR_LIVE_FRAME = rgb(255, 103, 103);
inline constexpr uint32_t MONITOR_ROW_NUMBER_FIELD = rgb(111, 91, 255);
inline constexpr uint32_t MONITOR_COMMENT_ROW_NUMBER_FIELD = rgb(0, 191, 255);

// Drawn beside a contact whose device the queries cannot name, and in place of a value
// that was not polled.
inline constexpr char NOT_POLLED_MARK[] = "--";

// The state word bits the picture pickers read.
inline constexpr uint32_t STATE_ON = 0x1;
inline constexpr uint32_t STATE_LIT = 0x2;

struct MonitorPaintInputs {
  ConstGridSpan grid;           // the rows allocated for the program
  const ViewState* view = nullptr;
  PixelRect update{};
  int client_width = 0;
  int client_height = 0;
  bool monitor_screen = false;  // g_monitor_mode == 1
  int picture_set = 0;          // 1: the bold twins (every picture but PIC_BOX)
  bool double_lines = false;
};

DisplayList build_monitor_display_list(const MonitorPaintInputs& in);

// The pickers among four pictures by a state word (bit 0 on, bit 1 lit); each returns
// up to two pictures, the second played over the first (-1: none).
struct PickedPictures {
  int first = -1;
  int second = -1;
  friend bool operator==(const PickedPictures&, const PickedPictures&) = default;
};
PickedPictures draw_contact_symbol_a(uint32_t state, int p1, int p2, int p3, int p4);
PickedPictures draw_contact_symbol_b(uint32_t state, int p1, int p2, int p3, int p4);
int draw_state_symbol(uint32_t state, int picture_set, int q1, int q2, int q3, int q4);

// The live state of a cell's operand on the monitor screen: its bit in the polled image,
// or for J whether its group's active step is its step (a group beyond the table is off).
// `not_polled` is set when the queries cannot name the device.
uint32_t monitor_device_state(uint32_t operand, bool& not_polled);
