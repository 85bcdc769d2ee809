// The routines every window uses to write the frame's status bar (g_status_bar, made
// by the frame): part 0 for messages, parts 1-6 for the sub-mode indicators of the
// design screen's edit modes.
#pragma once

#include "target/windows_api.h"

// Writes CP932 text into a part; style is 0 or an SBT_ drawing style.
void set_status_part_text(int part, const char* text, int style = 0);

// Part 0 = "READY", then clear_status_parts.
void show_ready_status();
// Parts 1 to 6 = empty text.
void clear_status_parts();
// The indicators of mode 1134 (parts 1-5) or 1135 (parts 1-6), the chosen sub-mode raised.
void show_edit_mode_indicators(int mode, int selected);
// Part 0 = entry `index` of a NUL-separated list, then the indicators of `mode`.
void show_status_text_and_modes(const char* text_list, int index, int mode);

// The width of the indicator parts that shows every indicator text whole in the font the
// status bar draws with (status_indicator_width of the widest text); measured once.
int measured_status_indicator_width();
