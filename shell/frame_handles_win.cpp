#include "shell/frame_handles_win.h"

HINSTANCE g_instance = nullptr;
HWND g_frame = nullptr;
HMENU g_frame_menu = nullptr;
HMENU g_main_menu = nullptr;
HMENU g_document_menu = nullptr;
HMENU g_main_window_menu = nullptr;
HMENU g_document_window_menu = nullptr;
HWND g_mdi_client = nullptr;
HWND g_status_bar = nullptr;
HWND g_toolbar = nullptr;
int g_status_height = 0;
RECT g_client_rect{};
char g_start_folder[PATH_BYTES] = "";
char g_program_path[PATH_BYTES] = "";
std::wstring g_program_folder;
COLORREF g_design_background = 0;
COLORREF g_design_comment_color = 0;
COLORREF g_design_text_color = 0;
