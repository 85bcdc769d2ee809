// The frame's toolbar: one per screen, rebuilt on every screen switch, with the tool
// buttons of the design screen, the tooltips and the COM-port list.
#pragma once

#include "target/windows_api.h"

#include "shell/toolbar_layout.h"

// g_toolbar, the toolbar shown, is the frame's (shell/frame_handles_win.h).
extern HWND g_toolbar_tooltips;   // its tooltip window
extern HWND g_com_combo;          // its COM-port list (none on the initial toolbar)
extern WNDPROC g_combo_base_proc; // the list's own window procedure
extern ComPortNumbers g_com_port_numbers;  // port number of each list entry, 0 = none
extern int g_combo_selection;     // the list entry chosen last
extern int g_current_tool;        // the tool get_selected_tool found last

// What the toolbar needs of the serial link: by default the serial layer itself
// (target/serial_port.h, target/monitor_protocol.h); tests put a scripted board here.
struct TargetPortHooks {
  int (*probe_target_port)(int slot);                // 1 when the board's monitor answers; the slot is left closed
  int (*connect_target_link)(const char* entry_text);  // a picked "COM%d" entry: probe it (with the message when
                                                     // no board answers), make it the board's port, set the link up
  void (*set_link_off)();                            // the link state becomes off (every probe closes the open port)
  int (*board_com_number)();                         // the board's COM number (selects the list entry)
};
void set_target_port_hooks(const TargetPortHooks& hooks);
const TargetPortHooks& target_port_hooks();

// Builds the toolbar of a kind (TOOLBAR_INITIAL, CMD_SCREEN_DESIGN, CMD_SCREEN_OPERATION or
// CMD_SCREEN_MNEMONIC) on the frame and returns it; sets g_toolbar_kind. The design
// toolbar probes the ports; the others list the ports found last.
HWND create_screen_toolbar(HWND frame, int kind);

// Destroys the toolbar shown, builds the one of `kind` into g_toolbar and lets it size
// itself. Returns the new toolbar.
HWND rebuild_screen_toolbar(HWND frame, int kind);

// The COM list's window procedure after subclassing: passes everything on unchanged.
LRESULT CALLBACK forward_to_combo_proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam);

// Unchecks the tool and mode buttons of the design toolbar and clears every ModeFlags entry.
void reset_design_modes();

// The tool whose button is checked first (toolbar_layout.h gives the order), 151 for
// none; also stored in g_current_tool.
int get_selected_tool();

// Command 1253: probes every port again and refills the COM list.
void run_port_check(HWND frame);

// Command 679 (CBN_SELCHANGE of the COM list): probes the picked port and, when the board
// answers, makes it the board's port and sets the link up; a port without a board is
// refused with "通信ができませんでした。".
void pick_com_port(HWND frame, WPARAM wparam, LPARAM lparam);

// Checks or unchecks a button of the toolbar shown.
void check_toolbar_button(int command_id, bool checked);
