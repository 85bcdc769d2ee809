// The function picker ("FuncDialog", template FUNCDIALOG, caption 関数): an applied
// instruction picked from a combo box, its operands typed after it, stored into the
// output of the cursor row of the active design window. Logic: design/function_picker.h.
#pragma once

#include "target/windows_api.h"

#include <string>
#include <vector>

INT_PTR CALLBACK function_dialog_proc(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam);

// Fills combo 588 with the offered names (alphabetically when `sorted`); the lines are
// kept in g_function_combo_names.
void fill_function_combo(HWND dialog, bool sorted);
extern std::vector<std::string> g_function_combo_names;

// Opens the picker into slot 0 (the dialog there is closed first), drops its list down and
// focuses the combo; returns it.
HWND open_function_dialog();
