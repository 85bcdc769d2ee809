// Text typed for the cursor cell of a design window becomes grid contents: a device
// operand for a contact or coil, a row label for the row-label margin, or an instruction
// with its operands for an output box or an in-line comparison contact. The number entry
// dialog and the function picker hand their edit text here.
//
// Every text is checked before the grid is written: a refused entry (a bad device, a
// wrong operand count, a cancelled question) leaves the grid as it was. Messages and the
// OK/Cancel questions go through the core's notice handler with the design window as
// owner. Device text follows the cell text codecs (core/cell_text.h); the encodings of
// cells and operands are those of the ladder model.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "core/cell_text.h"
#include "core/ladder_model.h"
#include "design/design_edit.h"
#include "shell/view_state.h"

inline constexpr char OPERAND_ERROR_MESSAGE[] = "ｵﾍﾟﾗﾝﾄﾞに間違いが有ります！";
inline constexpr char SHAPE_MISMATCH_MESSAGE[] = "接点の形状と番号が合いません！";
inline constexpr char DUPLICATE_OUTPUT_FORMAT[] = "第%d段のラダ－に同一番号の出力が有ります！";
inline constexpr char INSTRUCTION_ERROR_MESSAGE[] = "命令に間違いが有ります！";
inline constexpr char DUPLICATE_TIMER_FORMAT[] =
    "%d行目に同一タイマ－番号か同一カウンタ番号があります！\nタイマ－とカウンタ別なら同一番号が使用出来ます\nこのまま入力しますか？";
inline constexpr char END_QUESTION[] = "ＥＮＤを入れると、ここが画面スクロ－ルの下端になります！\n良いですか？";
inline constexpr char OPERAND_COUNT_MESSAGE[] = "ｵﾍﾟﾗﾝﾄﾞ数が違います！";
inline constexpr char BAD_OPERAND_FORMAT[] = "第%dｵﾍﾟﾗﾝﾄﾞに間違いが有ります！";
inline constexpr char ENTRY_CAPTION[] = "警告";

// Results of encode_cell_operands besides 0 and the 1-based number of a bad operand.
inline constexpr int TOO_FEW_OPERANDS = 14;
inline constexpr int TOO_MANY_OPERANDS = 15;

// Gives the cell at (row, column) the comment another cell of the same device already has
// (the device comments' side); the entry calls it for every device it stores.
using CommentAssigner = void (*)(GridSpan grid, int row, int column, uint32_t device);

// What an entry needs besides the grid and the view.
struct EntryOptions {
  void* owner = nullptr;             // the design window: owner of the messages
  const char* file_path = "";        // caption of the END question (the frame's current file)
  bool keep_comment = false;         // the dialog's keep-comment box (561) is checked
  bool change_same_numbers = false;  // g_change_same_numbers (同番変): renumber the other uses
  int number_mode = 0;               // g_number_mode: 0 number, 2 consecutive, 3 copy, 4 empty
  CommentAssigner assign_comment = nullptr;
};

// Cells an entry changed outside the cursor row's element (renumbered uses, rows cut by END).
struct EntryChanges {
  std::vector<CellCursor> cells;  // renumbered cells
  bool rows_changed = false;      // rows after the cursor row changed (END)
};

// The 1-based row of the first other row before the END row whose output is an OUT coil
// with its operand set (not a constant) on `device`, or an MC whose second operand is it;
// 0 when there is none.
int find_duplicate_output(ConstGridSpan grid, const ViewState& view, uint32_t device);
// Every use of the cursor cell's device (word 1 without 0x800000) in the program's
// contacts, and in the outputs of OUT, SET, PLS, PLF and RST rows, becomes `new_device`
// (each cell keeps its own 0x800000 bit). The cells changed are added to `changes`.
void renumber_operand(GridSpan grid, const ViewState& view, uint32_t new_device, EntryChanges* changes);

// The operand of a contact or coil, or the row label in the margin: 0 stored (`text`
// becomes the stored device's canonical spelling), -1/-2/-4 from the parse or the label
// check, n > 0 a duplicate OUT in row n (nothing stored).
int apply_cell_operand(GridSpan grid, ViewState& view, std::string& text, const EntryOptions& options,
                       EntryChanges* changes = nullptr);
// The contact store: nothing (-1) without a selection, on an empty cell or on the wrong
// side of a continuation mark; otherwise apply_cell_operand, with its message on failure.
int store_cell_operand(GridSpan grid, ViewState& view, std::string& text, const EntryOptions& options,
                       EntryChanges* changes = nullptr);

// 0 when a comparison contact may stand at (row, column), 1 when not.
int check_comparison_placement(ConstGridSpan grid, int row, int column);

// Places the instruction named by the first word of `text` at the cursor: -1 refused
// (after its message where there is one), 0 placed and the text had one word, 1 placed
// and operands follow. `code` and `form_flags` get the instruction code (TIM 53, CNT 54)
// and its D (0x800) and P (0x2000) form bits.
int place_instruction(GridSpan grid, ViewState& view, std::string_view text, int& code, int& form_flags,
                      const EntryOptions& options, EntryChanges* changes = nullptr);
// Stores the operands of the placed instruction: 0 stored (also when nothing is
// selected), TOO_FEW_OPERANDS, TOO_MANY_OPERANDS, or the 1-based number of the first bad
// operand. A failure leaves what place_instruction wrote, without the operand-set bit.
int encode_cell_operands(GridSpan grid, ViewState& view, std::string_view text, int code, int form_flags,
                         const EntryOptions& options, EntryChanges* changes = nullptr);

// The store of the number entry dialog's OK for the cursor cell: an instruction store for
// an output (other than an OUT coil's cell 11) or a comparison cell clicked on its picture,
// a contact store otherwise. A refused store shows its message and restores every row it
// touched, so the grid is as before. On success the effects repaint the element (and any
// renumbered cell or cut row), announce it to the other views and ask for an undo snapshot.
// `text` becomes the stored text of a contact store.
EditEffects enter_cell_text(GridSpan grid, ViewState& view, std::string& text, const EntryOptions& options,
                            int client_width);
