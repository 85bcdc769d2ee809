// file.ini is read at every start and may be edited by hand: any bytes must read without
// a fault, what the writer makes of the result must read back without the default lines,
// and after one more start and save the text no longer changes (the first read of a file
// without recent lines adds the project as one).
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "shell/settings_file.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  AppSettings settings{};
  set_default_settings(settings, "C:\\START");
  const SettingsReadOutcome outcome = read_settings_text(text, settings);
  if (outcome.write_defaults) {
    AppSettings defaults{};
    set_default_settings(defaults, "C:\\START");
    read_settings_text(outcome.default_text, defaults);
  }
  const std::string written = format_settings_file(settings, {0, 0, 640, 480});
  AppSettings again{};
  set_default_settings(again, "C:\\START");
  const SettingsReadOutcome reread = read_settings_text(written, again);
  if (reread.write_defaults) std::abort();
  const std::string settled = format_settings_file(again, {0, 0, 640, 480});
  AppSettings last{};
  set_default_settings(last, "C:\\START");
  if (read_settings_text(settled, last).write_defaults) std::abort();
  if (format_settings_file(last, {0, 0, 640, 480}) != settled) std::abort();
  return 0;
}
