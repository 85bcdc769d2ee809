#include "shell/modifier_keys_win.h"

#include <utility>

#include "target/windows_api.h"

namespace {
ModifierKeyHandler& handler() {
  static ModifierKeyHandler h;
  return h;
}
bool key_down(int virtual_key) {
  if (handler()) return handler()(virtual_key);
  return (GetKeyState(virtual_key) & 0x8000) != 0;
}
}  // namespace

bool shift_key_down() { return key_down(VK_SHIFT); }
bool control_key_down() { return key_down(VK_CONTROL); }

void set_modifier_key_handler(ModifierKeyHandler h) { handler() = std::move(h); }
