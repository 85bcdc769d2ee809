// How the frame and the document windows find each other: one list of window handles
// per kind of document window, the table of modeless dialogs per screen, and which
// screen and which toolbar are current.
//
// A WindowList holds handles in slots: slot 0 is the kind's main window (the first one
// opened), later windows take slots 1, 2, ... The slot after the last registration holds
// WINDOW_LIST_END; a closed window leaves 0 in its slot. Every scan skips 0 and windows
// that no longer exist, and stops at WINDOW_LIST_END or at the end of the list's storage,
// so a list is never read or written past its capacity even without its end mark.
//
// The scans reach the windows through a small table of operations (WindowOps), so the
// list logic runs without a window system; the Win32 program passes its own table
// (shell/window_lists_win.h).
#pragma once

#include <array>
#include <cstdint>
#include <span>

#include "shell/command_routing.h"

using WindowHandle = std::uintptr_t;  // a window handle as a plain value; 0 = none

inline constexpr WindowHandle WINDOW_LIST_END = 1214;
inline constexpr int MAX_LIST_WINDOWS = 100;      // slots of the design and monitor lists
inline constexpr int MNEMONIC_LIST_SLOTS = 16;    // slots of the mnemonic list (15 windows)

using WindowList = std::array<WindowHandle, MAX_LIST_WINDOWS>;
using MnemonicWindowList = std::array<WindowHandle, MNEMONIC_LIST_SLOTS>;

extern WindowList g_design_windows;           // classes "massfl" and "motofl"
extern MnemonicWindowList g_mnemonic_windows;  // class "nicfl"
extern WindowList g_monitor_windows;          // class "jikfl"
extern int g_design_window_count;             // index of the next registration
extern int g_mnemonic_window_count;
extern int g_monitor_window_count;

// What the list operations need of the windows.
struct WindowOps {
  bool (*is_live)(WindowHandle window);
  void (*send_close)(WindowHandle window);     // system command "close"
  void (*send_minimize)(WindowHandle window);  // system command "minimise"
  bool (*is_iconic)(WindowHandle window);
  void (*invalidate)(WindowHandle window);     // whole client area, erased
};

// Empties a list: slot 0 = 0, slot 1 = WINDOW_LIST_END, count 0.
void empty_window_list(std::span<WindowHandle> list, int& count);

// Registers a window at its creation and returns its slot, or -1 when the list has no
// room (the window is then not listed and should not be created). The window takes
// slot `count` and the end mark moves behind it. When the slots up to the end of the
// list are used up, a slot that a closed further window left at 0 is taken again
// (never slot 0, which belongs to the main window, and never a slot of a live window).
int register_window(std::span<WindowHandle> list, int& count, WindowHandle window);

// A window that could not load its document gives its registration back as it closes
// itself: its slot is cleared, and when it holds the last registration the count goes
// back by one, so the next window registers in the same slot.
void release_window_registration(std::span<WindowHandle> list, int& count, int slot);

// Each live window from `start` gets the close command; a window that is gone afterwards
// leaves 0 in its slot. A window that is still there refused its close (Cancel at its save
// question): it keeps its slot, the windows after it are not asked, and the result is false,
// so the command that asked for the closes stops. True when every window closed.
bool close_window_list(std::span<WindowHandle> list, int start, const WindowOps& ops);
// The same from slot 1 up to and including `last` (the main window in slot 0 stays).
bool close_listed_windows(std::span<WindowHandle> list, int last, const WindowOps& ops);
// Invalidates each live window from `start`.
void invalidate_window_list(std::span<WindowHandle> list, int start, const WindowOps& ops);
// Minimises each live window that is not minimised.
void minimize_window_list(std::span<WindowHandle> list, const WindowOps& ops);
// 1-based position of the live window `window`, 0 when it is not listed.
int find_window_in_list(std::span<const WindowHandle> list, WindowHandle window, const WindowOps& ops);
// 1-based position of the first live window at or after `start`, 0 when there is none.
int next_live_window(std::span<const WindowHandle> list, int start, const WindowOps& ops);
// 1 when some listed window other than `window` is minimised, else 0.
int any_other_window_iconic(std::span<const WindowHandle> list, WindowHandle window, const WindowOps& ops);

// ---- Document kinds --------------------------------------------------------------------------

// What the document of a document window is. Every window of the frame's document classes
// writes its kind beside its document when it creates it and clears it when it frees it;
// whoever takes the document from a window (the search and replace dialogs, their hooks)
// looks at the kind first, so one kind of document is never taken for another.
enum class DocumentKind : int32_t {
  NONE = 0,           // no document, or a window of another class
  DESIGN_GRID = 1,    // a LadderGrid of a design window ("massfl", "motofl")
  MONITOR_GRID = 2,   // the LadderGrid of the monitor window ("jikfl"): the board's program
  MNEMONIC_TEXT = 3,  // a MnemonicText of a mnemonic window ("nicfl")
};

// ---- Screens, toolbars and modeless dialogs ------------------------------------------------

// The current screen (SCREEN_KIND_DESIGN, _MONITOR, _MNEMONIC); also the row of
// g_dialog_slots.
using ScreenKind = int32_t;
// The toolbar shown (TOOLBAR_KIND_DESIGN, _MONITOR, _MNEMONIC, _INITIAL); written only by
// the toolbar code.
using ToolbarKind = int32_t;

inline constexpr int DIALOG_SLOT_ROWS = 6;   // rows 3 to 5 are not used
inline constexpr int DIALOG_SLOTS_PER_ROW = 5;
// Row = ScreenKind; slot 0 is the screen's current modeless dialog. The COM
// communication dialog always lives in row 0, slot 0. A dialog clears its own slot
// when it closes.
using DialogSlotTable = std::array<std::array<WindowHandle, DIALOG_SLOTS_PER_ROW>, DIALOG_SLOT_ROWS>;

extern DialogSlotTable g_dialog_slots;
extern WindowHandle g_guide_dialog;  // the open guide dialog, or 0
extern ScreenKind g_screen_kind;
extern ToolbarKind g_toolbar_kind;

// The dialog row of a screen.
// The dialog row of a screen; an unknown screen gets the design row.
inline std::array<WindowHandle, DIALOG_SLOTS_PER_ROW>& dialog_slot_row(ScreenKind screen) {
  return g_dialog_slots[screen >= 0 && screen < DIALOG_SLOT_ROWS ? screen : SCREEN_KIND_DESIGN];
}

// Empties the three window lists and clears every dialog slot (start-up of the frame).
void reset_window_tables();
