// The state of the Shift key as a key or click handler reads it. A test sets the answer
// instead of pressing the key.
#pragma once

#include <functional>

// True while a Shift key is down (GetKeyState).
bool shift_key_down();

// A stand-in for the keyboard; an empty function brings the real keyboard back.
void set_shift_key_reader(std::function<bool()> reader);
