// The COM communication dialog "COMDIalog" (template COMDIALOG): the frame's COM command
// opens it into slot 0 of row 0 of the dialog table, whatever screen is current; its
// procedure turns button presses into the exchanges of board/com_dialog.h and shows
// their results in its send and receive boxes.
#pragma once

#include "board/com_dialog.h"
#include "target/windows_api.h"

INT_PTR CALLBACK com_dialog_proc(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam);
// The open COM dialog, or nullptr.
HWND com_dialog();
// Creates the dialog into its slot when it is not open (a different dialog in that slot
// is closed first) and shows it; returns it.
HWND open_com_dialog(HWND frame);
// The receive box says what the link is.
void show_link_state(HWND dialog, ComLinkState state);
