// The rig's own helpers under Wine.
#include <windows.h>

#include "win/rig_helper.h"

namespace {

// Leaves `handle` in a long stretch of the stack below the caller's frame, where the
// frames of the calls that follow will lie.
__attribute__((noinline)) void leave_on_stack(HANDLE handle) {
  volatile HANDLE slots[8192];
  for (volatile HANDLE& slot : slots) slot = handle;
}

// A Unix command started by the rig (a screenshot, the X stacking) leaves every handle of
// the program open, whatever the stack held before: Wine has no Win32 process for a Unix
// child and hands back no handles of its own for it.
TEST(RigHelper, AUnixCommandLeavesTheProgramsHandlesOpen) {
  HANDLE event = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  ASSERT_NE(event, nullptr);
  leave_on_stack(event);
  ASSERT_TRUE(start_unix_shell("true"));
  DWORD flags = 0;
  EXPECT_TRUE(GetHandleInformation(event, &flags)) << "the handle was closed (error " << GetLastError() << ")";
  CloseHandle(event);
}

}  // namespace
