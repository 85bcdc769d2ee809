// The design window's document, without the window: the grid of a new design, the
// change test against the saved copy, the copy itself, the CPU label of the toolbar,
// the file numbers of further design windows and the answer to the close question.
#pragma once

#include <cstdint>
#include <string>

#include "core/ladder_model.h"

// The grid of a new design: rows 0-10 linked to the left rail, row 11 the END row (a
// line across and END in column 11), row 12 the end mark; the 16 texts of row 0 hold
// "F0F0F0F0". The grid must hold at least 13 rows (it is zero-filled by the caller).
void build_new_design(GridSpan grid);

// 1 when the program of `a` differs from `b`: word 0 or word 1 of some cell differs in a
// row before a's END row, or the END rows of the two grids lie at different rows (so
// deleting the last rungs counts as a change). 0 otherwise. Texts, comments and the END
// row's own words are not compared. Never reads past either grid or MAX_GRID_ROWS.
int grid_differs(ConstGridSpan a, ConstGridSpan b);

// True when the document `a` holds changes against the full copy `b` (a further window's
// saved copy keeps the texts too): grid_differs, or some cell text (a device comment, a
// comment row's text) differs in a row up to a's end-mark row.
bool grid_or_texts_differ(ConstGridSpan a, ConstGridSpan b);

// Copies word 0 and word 1 of the 16 cells of each row from row 0 up to and including
// the end-mark row (cell 0 word 0 = END_MARK_CELL), within both grids and MAX_GRID_ROWS.
void copy_grid_cells(GridSpan destination, ConstGridSpan source);

// The toolbar's CPU label: "pic12F683" for a pic12F629 with option_b set, else
// "<cpu name> Exp" (option_b set) or "<cpu name> ".
std::string cpu_label_text(const CpuSettings& settings);

// The file number (bits 4-7 of view_id) of a design window created while `file_count`
// files are open since the main design window opened: 0 for the main window; further
// windows count 1..15 and then start again at 1, so that no further window can pass for
// the main file.
int design_file_number(int file_count);

// Rows of a further design window's grid: its end-mark row and 20 more, at least 13
// (a new design's rows) and at most MAX_GRID_ROWS.
int further_window_rows(int end_mark_row);

// What the main design window's close does after the save question.
enum class CloseStep {
  CLOSE,          // close now (nothing changed, or No)
  REFUSE,         // Cancel: the window stays
  SAVE_AS,        // Yes for a never-saved design: run Save As first
  SAVE,           // Yes: write the file first
};
// `changed`: the grid differs from its saved copy or a comment changed; `answer`: the
// answer to the question (IDYES 6, IDNO 7, IDCANCEL 2), not looked at when nothing
// changed; `untitled`: the title is "新規.MBS".
CloseStep close_step(bool changed, int answer, bool untitled);

inline constexpr char NEW_DESIGN_TITLE[] = "新規.MBS";
