// The one way Win32 code includes <windows.h>. The SDK defines IN and OUT as empty
// parameter markers; OUT is also the name of the program's coil instruction
// (Instr::OUT, PartCode::OUT), so the markers are taken away again here, and a Win32
// file may include the core headers before or after this one.
#pragma once

#include <windows.h>

#undef IN
#undef OUT
