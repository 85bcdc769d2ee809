// The mnemonic screen works on the window's ViewState: caret (cursor_col, cursor_row),
// line selection (range_active, range_start_row, range_row), highlighted match
// (sel_col, sel_row, sel_width), scrolling (top_row, scroll_max, visible_rows,
// visible_cols), text_click_col and comment_copied.
#pragma once

#include "shell/view_state.h"

using MnemonicView = ViewState;
