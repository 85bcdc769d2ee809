// How a design window paints its ladder program, as a display list: rails and grid
// ticks, comment and text rows, row-label and device comments, the element pictures by
// part code, instruction names and operand texts, step numbers and row labels, and the
// frames of the selection, a row range, the search hits and the line-draw marker.
//
// The list is built from the grid and the view alone and holds plain items (lines,
// pictures, texts with their font and colours, frames); design/design_paint_win.cpp plays
// it with GDI. The painter reads the grid and never changes it.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "core/ladder_model.h"
#include "design/view_geometry.h"
#include "shell/view_state.h"

// 1 while the search hits of the views are shown framed (the search dialogs set it).
extern int32_t g_search_highlight;

constexpr uint32_t rgb(uint32_t r, uint32_t g, uint32_t b) { return r | g << 8 | b << 16; }

// The colours of the design screen's scheme that the painter uses (the frame chooses
// the scheme at start-up by settings option bit 0, shell/frame_layout.h).
struct DesignColours {
  uint32_t background;  // behind texts (the ViewState's background)
  uint32_t text;        // instruction names, operand texts, device names, row labels
  uint32_t comment;     // device comments
};

inline constexpr uint32_t COMMENT_ROW_TEXT = rgb(195, 0, 0);
inline constexpr uint32_t ROW_LABEL_COMMENT_TEXT = rgb(0, 0, 130);
inline constexpr uint32_t STEP_FIELD = rgb(255, 210, 93);
inline constexpr uint32_t COMMENT_STEP_FIELD = rgb(195, 0, 0);
inline constexpr uint32_t BLACK = rgb(0, 0, 0);
inline constexpr uint32_t FRAME_BLUE = rgb(0, 0, 255);
inline constexpr uint32_t FRAME_GREEN = rgb(0, 255, 0);

// Text layout flags, with the values of the DrawText flags they stand for.
namespace TextFormat {
inline constexpr uint32_t LEFT = 0x0;
inline constexpr uint32_t TOP = 0x0;
inline constexpr uint32_t CENTER = 0x1;
inline constexpr uint32_t RIGHT = 0x2;
inline constexpr uint32_t VCENTER = 0x4;
inline constexpr uint32_t BOTTOM = 0x8;
inline constexpr uint32_t WORDBREAK = 0x10;
inline constexpr uint32_t SINGLELINE = 0x20;
}  // namespace TextFormat

enum class PaintKind : uint8_t { LINE, PICTURE, TEXT, FRAME };
// COMMENT_ROW_COMPACT: the comment-row face at the smaller size the monitor uses while
// its rows are taller for comments.
enum class PaintFont : uint8_t { ELEMENT, COMMENT_ROW, CELL_COMMENT, COMMENT_ROW_COMPACT };
inline constexpr int PAINT_FONTS = 4;

struct PaintItem {
  PaintKind kind;
  PixelRect rect;        // LINE: from (left, top) to (right, bottom); others: the rectangle
  int picture = -1;      // PICTURE: the ElementPicture slot
  PaintFont font = PaintFont::ELEMENT;  // TEXT
  uint32_t colour = 0;   // LINE, FRAME: pen; TEXT: text
  uint32_t background = 0;  // TEXT: opaque background
  int width = 1;         // LINE: pen width; FRAME: border width and height
  uint32_t format = 0;   // TEXT: TextFormat flags
  std::string text;      // TEXT: CP932
  int row = -1;          // the grid row the item belongs to (-1: the rails and ticks)
  int column = -1;       // its column (15 the margin), -1 for a whole row
  uint8_t picture_source = 0;  // PICTURE: which of the player's picture sets (0 the first)
};

struct PaintInputs {
  ConstGridSpan grid;
  const ViewState* view = nullptr;
  PixelRect update{};    // the update rectangle
  int client_width = 0;
  int client_height = 0;
  bool comment_mode = false;  // the ModeFlags entry of CMD_COMMENT
  int picture_set = 0;        // 1: the bold twins
  bool double_lines = false;
  bool search_highlight = false;
  DesignColours colours{};
};

struct DisplayList {
  std::vector<PaintItem> items;
  int program_rows = 0;  // count_program_rows of the grid, kept for the compile command
};

// Builds the display list of one WM_PAINT.
DisplayList build_design_display_list(const PaintInputs& in);

// The first word of a device comment, as it is shown on one line above a part: the text up
// to its first blank or line feed. A comment stored from the comment dialog ends each line
// with a line feed, one read from a design file with a blank and a line feed.
std::string comment_first_word(std::string_view comment);

// The text of a text row as it is painted: at each '/' after which the line would be
// longer than 70 characters the line breaks there; where a third break would be needed
// the text ends instead, without the character before that '/'.
std::string fold_text_row(std::string_view text);

// Fonts: the size a font takes for a client width and picture band height (device units,
// before the conversion to logical units).
struct FontSize {
  int x;
  int y;
};
FontSize cell_font_size(std::string_view face, int client_width, int part_height, int a, int b);
