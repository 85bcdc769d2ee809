// The fields of a window's view record that the mnemonic screen works on.
#pragma once

#include <cstdint>

struct MnemonicView {
  int32_t range_active;
  int32_t cursor_col;
  int32_t cursor_row;
  int32_t sel_col;
  int32_t sel_row;
  int32_t range_row;
  int32_t text_click_col;
  int32_t range_start_row;
  int32_t comment_copied;
  int32_t sel_width;
  int32_t top_row;
  int32_t scroll_max;
  int32_t visible_rows;
  int32_t visible_cols;
};
