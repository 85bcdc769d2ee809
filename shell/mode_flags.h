// ModeFlags: which tool or edit mode is active, one int32 flag per command id
// 1101..1251 (entry i belongs to command id MODE_FLAG_FIRST_ID + i).
//
// The frame writes the entries of the range and blank-line modes when it prepares the
// edit-menu commands; the document windows set the entries of the tools and modes they
// carry out; reset_design_modes and clear_monitor_mode_flags clear them.
#pragma once

#include <array>
#include <cstdint>

#include "shell/command_ids.h"

using ModeFlags = std::array<int32_t, MODE_FLAG_COUNT>;

extern ModeFlags g_mode_flags;

// Index of the flag of a command id, or -1 when the id has no flag.
constexpr int mode_flag_index(int id) {
  return (id >= MODE_FLAG_FIRST_ID && id <= MODE_FLAG_LAST_ID) ? id - MODE_FLAG_FIRST_ID : -1;
}

// The flag of a command id; 0 for an id without a flag.
int32_t get_mode_flag(int id);

// Sets the flag of a command id; an id without a flag is ignored.
void set_mode_flag(int id, int32_t value);

// Clears every flag.
void clear_mode_flags();

// Clears every flag except that of CMD_PAUSE (1127), which the monitor window keeps.
void clear_monitor_mode_flags();
