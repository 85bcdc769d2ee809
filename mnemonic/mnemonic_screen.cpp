#include "mnemonic/mnemonic_screen.h"

#include <algorithm>

#include "core/sjis.h"
#include "shell/path_parts.h"

int g_mnemonic_doc_counter = 0;

int mnemonic_file_number(int slot, int counter) {
  if (slot == 0) return 0;
  return (std::max(counter, 1) - 1) % 15 + 1;
}
uint32_t g_mnemonic_repaint_mask = 0;
int g_mnemonic_line_count = 0;
int g_text_line_height = 0;
int g_text_char_width = 0;

void take_header_settings(CpuSettings& active, const CpuSettings& loaded) {
  copy_text_bounded(active.cpu_name, fixed_text(loaded.cpu_name));
  active.option_a = loaded.option_a;
  active.option_b = loaded.option_b;
  active.option_c = loaded.option_c;
  active.option_d = loaded.option_d;
  active.clock_high = loaded.clock_high;
  active.clock_low = loaded.clock_low;
  active.port_value = loaded.port_value;
}

std::string mnemonic_save_path(std::string_view chosen) {
  PathParts parts{};
  if (split_path(chosen, parts) != 0 || parts.name[0] == '\0') return {};
  if (!copy_text(parts.ext, MNEMONIC_EXTENSION)) return {};
  char joined[PATH_BYTES];
  if (!join_path(parts, joined)) return {};
  return joined;
}
