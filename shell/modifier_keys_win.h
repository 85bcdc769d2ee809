// The state of the Shift and Ctrl keys as a key or click handler reads it. It is global
// state, not part of the message, so a test sets the answer instead of pressing the key.
#pragma once

#include <functional>

// True while the key is down (GetKeyState).
bool shift_key_down();
bool control_key_down();

// A stand-in for the keyboard state: returns whether the virtual key (VK_SHIFT,
// VK_CONTROL) is held. An empty function brings the real keyboard back.
using ModifierKeyHandler = std::function<bool(int virtual_key)>;
void set_modifier_key_handler(ModifierKeyHandler handler);
