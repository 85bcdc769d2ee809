// The program's start-up, its MDI frame window (class "mdi01") and the one message loop.
//
// The entry point registers the classes of the frame and of the mnemonic and monitor
// screens, loads the menus, creates the frame over the desktop work area and runs the
// loop. While the frame is created it builds its toolbar, the status bar, a band across
// the top and the MDI client, reads file.ini, registers the design classes and empties
// the window tables. Closing the frame (or ending the session) first asks the main
// window of each kind to close; any of them can refuse, and then nothing else happens.
#pragma once

#include "target/windows_api.h"

#include "shell/frame_handles_win.h"

// ---- the frame's own state (its windows and menus are in shell/frame_handles_win.h) --------
extern int g_show_command;        // the show mode given to the entry point
extern HMODULE g_print_library;   // the printing library once loaded, else 0
extern int g_first_guide_shown;   // 1 once the start-up guide was opened

inline constexpr int MDI_CLIENT_ID = 1;
// ChildWindowExtra of every document window: nine pointer-sized slots (36 bytes in a 32-bit
// build, where a slot is a long), of which the first four are used.
inline constexpr int CHILD_WINDOW_EXTRA_BYTES = 9 * static_cast<int>(sizeof(LONG_PTR));
inline constexpr char FRAME_TITLE[] = "Tavolin Ver.1.7β";

// What the frame leaves to the toolbar, guide and command code. Each is called when
// set; an empty slot leaves its part out (no toolbar, no guide, commands go only to the
// default frame processing).
struct FrameSlots {
  // Builds the initial toolbar and applies the empty menu state; returns the toolbar.
  HWND (*create_initial_toolbar)(HWND frame) = nullptr;
  // Opens the modeless start-up guide "InitFrDialog"; returns it.
  HWND (*create_first_use_guide)(HWND frame) = nullptr;
  // The frame's WM_COMMAND (routing to the frame's own commands and the active child).
  LRESULT (*frame_command)(HWND frame, WPARAM wparam, LPARAM lparam) = nullptr;
};
extern FrameSlots g_frame_slots;

// Registers one window class: CS_HREDRAW | CS_VREDRAW, the arrow cursor, no class menu
// and no class extra bytes; the named icon serves as large and small icon. Returns the
// class atom, 0 on failure.
ATOM register_window_class(WNDPROC procedure, int window_extra_bytes, const wchar_t* class_name, HBRUSH background,
                           const wchar_t* icon_name);

LRESULT CALLBACK frame_window_proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam);

// Start-up up to the message loop: registers "mdi01", "nicfl" and "jikfl", loads the
// menus, creates the frame over the work area, loads the accelerator table and shows
// the frame. Returns the frame, or nullptr when a class cannot be registered or the
// frame cannot be created.
HWND start_program(HINSTANCE instance, int show_command, HACCEL* accelerators);

// The loop's handling of one message before it is dispatched. The accelerator table
// comes first and the MDI system keys second: the table gives Ctrl+F4 to replace and
// Ctrl+F6 to comment writing, which the MDI keys would take as "close the active
// window" and "next window". Returns true when the message was taken.
bool translate_program_message(MSG& message, HACCEL accelerators);
// Runs the loop until the quit message; returns its exit code.
int run_message_loop(HACCEL accelerators);
// After the loop: destroys MYDOCUMENT (MYMENU went with the frame).
void end_program();

// Sends WM_CLOSE to the main design, mnemonic and monitor windows in this order and
// returns false at the first refusal (a non-zero answer).
bool close_main_windows();

// Unregisters the five window classes and frees their brushes, so that another frame
// can be started in the same process (the test rig does).
void unregister_program_classes();
