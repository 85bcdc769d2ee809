// The four guide dialogs: small modeless windows that explain a screen to a new user.
// At most one is open; it is registered in g_guide_dialog so that the frame can close it
// and relay Enter to it. A closed guide is destroyed and no longer registered.
#pragma once

#include "target/windows_api.h"

#include "shell/guide_rules.h"

// What the first-use guide needs of the frame's documents to open a sample design (the
// guide itself makes the sample the current project): fill the open record with its
// path and title, and, when the file exists, create its design window ("massfl").
struct SampleOpenHooks {
  void (*prepare_sample_open)(const char* path, const char* title);
  HWND (*create_sample_window)(HWND frame, const char* title);
};
void set_sample_open_hooks(const SampleOpenHooks& hooks);

// Closes the open guide, opens the guide of `kind` owned by the frame and registers it.
HWND open_guide_dialog(HWND frame, GuideKind kind);

// Opens the guide of `kind` when its guide flag is on; returns it, or 0.
HWND show_guide(HWND frame, GuideKind kind);

INT_PTR CALLBACK first_use_dialog_proc(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam);
INT_PTR CALLBACK design_screen_tips_dialog_proc(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam);
INT_PTR CALLBACK monitor_screen_tips_dialog_proc(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam);
INT_PTR CALLBACK pin_view_tips_dialog_proc(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam);
