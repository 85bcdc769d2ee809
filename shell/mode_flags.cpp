#include "shell/mode_flags.h"

ModeFlags g_mode_flags{};

int32_t get_mode_flag(int id) {
  const int i = mode_flag_index(id);
  return i < 0 ? 0 : g_mode_flags[i];
}

void set_mode_flag(int id, int32_t value) {
  const int i = mode_flag_index(id);
  if (i >= 0) g_mode_flags[i] = value;
}

void clear_mode_flags() { g_mode_flags.fill(0); }

void clear_monitor_mode_flags() {
  const int32_t pause = get_mode_flag(CMD_PAUSE);
  g_mode_flags.fill(0);
  set_mode_flag(CMD_PAUSE, pause);
}
