// The function picker's own logic: the instruction names its combo box offers, in their
// own order or alphabetically, and what OK does with the combo's text. The dialog
// procedure (function_dialog_win.cpp) fills the combo and runs the store of the operand
// entry (design/operand_entry.h).
#pragma once

#include <array>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "core/ladder_model.h"
#include "design/design_edit.h"
#include "design/operand_entry.h"
#include "shell/view_state.h"

namespace FunctionDialogId {
inline constexpr int SORT = 556;
inline constexpr int COMBO = 588;
inline constexpr int MOVE_DIALOG = 586;
}  // namespace FunctionDialogId

// The names offered ("QQ" after the last), and the same names in alphabetical order.
extern const std::array<const char*, 12> g_function_names;
extern const std::array<const char*, 12> g_function_names_sorted;

// The SORT choice, kept between openings of the dialog.
extern int g_function_sort;

// The lines of the combo box: every name of g_function_names, in the order of
// g_function_names_sorted when `sorted`. A name list ends at its "QQ" entry.
std::vector<std::string> function_combo_names(bool sorted);

// What OK does with the combo's text.
enum class FunctionOk {
  NOTHING,  // an empty text, or no cell selected
  STORE,    // place the instruction and store its operands
};
FunctionOk function_ok_action(std::string_view combo_text, int sel_col);

inline constexpr char FUNCTION_OPERAND_MESSAGE[] = "ｵﾍﾟﾗﾝﾄﾞに間違いが有ります！";
inline constexpr char FUNCTION_WARNING_CAPTION[] = "警告";

// The store of the picker's OK into the cursor cell of `grid`: the instruction placed and
// its operands stored. Rejected operands set `message` (FUNCTION_OPERAND_MESSAGE) and leave
// the grid as it was; a refused instruction has told the user already. On success the
// effects repaint the output band of the cursor row, announce it to every view and ask
// for an undo snapshot.
EditEffects function_store(GridSpan grid, ViewState& view, std::string_view text,
                           const EntryOptions& options, int client_width);
