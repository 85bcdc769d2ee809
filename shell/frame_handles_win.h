// The frame's windows, menus and program-wide state that the screens and the services
// read: the instance, the frame and its MDI client, toolbar and status bar, the menus,
// the start folder and the design colour set. The frame (frame/frame_win.cpp) fills
// them in as it is created and empties them when it ends; everything else only reads them.
#pragma once

#include "target/windows_api.h"

#include <string>

#include "shell/path_parts.h"

extern HINSTANCE g_instance;
extern HWND g_frame;
extern HMENU g_frame_menu;        // the frame's menu bar at its creation
extern HMENU g_main_menu;         // MYMENU
extern HMENU g_document_menu;     // MYDOCUMENT
extern HMENU g_main_window_menu;  // File popup of MYMENU: MDI window menu and home of the recent items
extern HMENU g_document_window_menu;  // popup 1 of MYDOCUMENT, the window menu of the document menu
extern HWND g_mdi_client;
extern HWND g_status_bar;
extern HWND g_toolbar;
extern int g_status_height;       // height of the status bar, taken again before every child creation
extern RECT g_client_rect;        // the frame's client rectangle
extern char g_start_folder[PATH_BYTES];  // the current folder at start-up, short (8.3) form
extern char g_program_path[PATH_BYTES];  // g_start_folder + "\tavolin.exe"
extern std::wstring g_program_folder;    // g_start_folder as UTF-16: where file.ini is written

// The design colour set, chosen once at start-up by option bit 0.
extern COLORREF g_design_background;
extern COLORREF g_design_comment_color;
extern COLORREF g_design_text_color;
