// Lines and vertical links drawn and erased with the line tool (1111) and the erase tool
// (1112): a first click sets the line-draw marker, a second click or a drag from the first
// draws or erases between the marker and the cursor; a line-tool click on an output draws
// the line from the last part of the row up to it.
//
// Lines run left to right along a row; a vertical link between rows r-1 and r is bit 0x2 of
// the cell in row r, on the left edge of its cell. Neither tool cuts an element in two: a
// line never overwrites a cell of an output, and erasing column 11 erases the whole output.
#pragma once

#include "design/design_edit.h"

inline constexpr char START_PROMPT[] = "始端は？";         // the marker is off
inline constexpr char END_PROMPT[] = "終わり端は？";       // the marker waits for its end
inline constexpr char END_ROW_ERASE_MESSAGE[] = "ＥＮＤ命令の行は消せません！";
inline constexpr char END_ROW_ERASE_CAPTION[] = "警告";

// A left click with the line mode on or the erase tool, outside the row-label margin (the
// cursor is the clicked cell).
EditEffects line_tool_click(GridSpan grid, ViewState& view, const EditContext& context);

// Draws (erase = false) or erases between the marker and the cursor: 0 when the grid
// changed (its area is added to `effects`), 1 when refused or there was nothing to do.
int draw_link_line(GridSpan grid, bool erase, ViewState& view, const EditContext& context, EditEffects& effects);

// A mouse move to (x, y) with the left button held: with the line or erase mode on and the
// marker set, a drag to the right fills (or clears) the row up to the next obstacle and a
// drag upwards links (or unlinks) the column up to the next obstacle. not_handled() when
// no drawing drag is in progress.
EditEffects drag_line(GridSpan grid, ViewState& view, const EditContext& context, int x, int y);
