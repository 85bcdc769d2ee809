// The four guide dialogs: small modeless windows that explain a screen to a new user.
// At most one is open; it is registered in g_guide_dialog so that the frame can close it
// and relay Enter to it. A closed guide is destroyed and no longer registered.
#pragma once

#include <windows.h>

#include "shell/guide_rules.h"

// What the guides need of the frame's documents and settings.
struct GuideHooks {
  void (*save_settings)();                 // writes file.ini
  const char* (*start_folder)();           // the folder current at start-up (CP932)
  // The first-use guide's samples: make the sample the current project and fill the
  // open record with its path and title ...
  void (*prepare_sample_open)(const char* path, const char* title);
  // ... and, when the file exists, create its design window.
  HWND (*create_sample_window)(HWND frame, const char* title);
};
void set_guide_hooks(const GuideHooks& hooks);

// Closes the open guide, opens the guide of `kind` owned by the frame and registers it.
HWND open_guide_dialog(HWND frame, GuideKind kind);

// Opens the guide of `kind` when its guide flag is on; returns it, or 0.
HWND show_guide(HWND frame, GuideKind kind);

INT_PTR CALLBACK first_use_dialog_proc(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam);
INT_PTR CALLBACK design_screen_tips_dialog_proc(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam);
INT_PTR CALLBACK monitor_screen_tips_dialog_proc(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam);
INT_PTR CALLBACK pin_view_tips_dialog_proc(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam);
