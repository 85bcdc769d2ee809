// The frame's document commands: open and new (1154, 1158, 1209, 1210), the recent
// files (1936-1955), the screen switches (1160 design, 1163 mnemonic, 1161 operation
// check, 1242 monitor), exit (1211), close all (1212) and the I/O display request (1133).
//
// Every document window is created here with WM_MDICREATE; the lParam of its
// MDICREATESTRUCTW is &g_child_open (shell/documents.h), which the window reads in its
// WM_CREATE: the path (empty for a new document), the file title and the read-only flag.
// The design ("massfl"), mnemonic ("nicfl") and monitor ("jikfl") windows are the
// classes the frame registers; what each does with its file is its own module's work.
#pragma once

#include "target/windows_api.h"
#include <commdlg.h>

#include <string>

#include "shell/documents.h"

// The window that gets the focus right after the next child is created, or 0.
extern HWND g_focus_after_create;

// Fills an open/save record for the dialogs of file_dialog_win.h: owner, the filter's
// pattern pair, filter index 1, the file buffer (260 bytes) and title buffer (255),
// OFN_FILEMUSTEXIST; everything else 0. The document windows use it for their own save
// dialogs too.
void init_open_file_name(OPENFILENAMEA& record, HWND owner, FileFilter filter, char* file, char* title);

// Called before a switch to the design or mnemonic screen. While the monitor screen
// polls the board it asks "モニター画面を閉じます！" (OK/Cancel): Cancel returns -1 and
// changes nothing; OK ends monitoring, closes the port and every monitor window and
// returns 0. Without a monitor window, or on the operation-check screen, returns 0.
int close_monitor_screen();

// The frame's part of the creation of a document window: creates an MDI child of the
// class with the title (CP932) at the placement of `route` in the MDI client
// (g_client_rect less the status bar, measured now), with &g_child_open as its creation
// parameter. Returns the child, or 0.
HWND create_document_child(const wchar_t* class_name, const char* title, ChildRoute route);

// Installs the handlers of the commands above on the frame (set_frame_command_handler)
// and the start-up guide's sample opening. install_frame_slots calls it.
void install_document_commands();

// The frame command handlers, for the tests that drive one directly.
LRESULT open_file_command(HWND frame, WPARAM wparam, LPARAM lparam);
LRESULT recent_file_command(HWND frame, WPARAM wparam, LPARAM lparam);
LRESULT new_document_command(HWND frame, WPARAM wparam, LPARAM lparam);
LRESULT design_screen_command(HWND frame, WPARAM wparam, LPARAM lparam);
LRESULT mnemonic_screen_command(HWND frame, WPARAM wparam, LPARAM lparam);
LRESULT monitor_screen_command(HWND frame, WPARAM wparam, LPARAM lparam);
LRESULT exit_command(HWND frame, WPARAM wparam, LPARAM lparam);
LRESULT close_all_command(HWND frame, WPARAM wparam, LPARAM lparam);
LRESULT io_display_command(HWND frame, WPARAM wparam, LPARAM lparam);

// The toolbar's CPU label (a static control of the design and mnemonic toolbars), or 0
// while the toolbar shown has none, and the text it shows. The document windows set the
// text when they load a design; a toolbar that creates the label takes the text from here.
extern HWND g_cpu_label;
extern std::string g_cpu_label_text;
void set_cpu_label_text(const std::string& text);
