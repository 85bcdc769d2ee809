#include "shell/modifier_keys_win.h"

#include <utility>

#include "shell/windows_api.h"

namespace {
std::function<bool()>& reader() {
  static std::function<bool()> r;
  return r;
}
}  // namespace

bool shift_key_down() {
  if (reader()) return reader()();
  return (GetKeyState(VK_SHIFT) & 0x8000) != 0;
}

void set_shift_key_reader(std::function<bool()> r) { reader() = std::move(r); }
