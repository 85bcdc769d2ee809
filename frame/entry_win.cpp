// The program's entry point. The command line is not used.
#include "target/windows_api.h"

#include "frame/frame_commands_win.h"
#include "frame/frame_win.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int show_command) {
  HACCEL accelerators = nullptr;
  install_frame_slots();
  if (!start_program(instance, show_command, &accelerators)) return 0;
  const int exit_code = run_message_loop(accelerators);
  end_program();
  return exit_code;
}
