#include "shell/window_lists_win.h"

const WindowOps WIN32_WINDOW_OPS{
    [](WindowHandle w) { return IsWindow(as_hwnd(w)) != FALSE; },
    [](WindowHandle w) { SendMessageW(as_hwnd(w), WM_SYSCOMMAND, SC_CLOSE, 0); },
    [](WindowHandle w) { SendMessageW(as_hwnd(w), WM_SYSCOMMAND, SC_MINIMIZE, 0); },
    [](WindowHandle w) { return IsIconic(as_hwnd(w)) != FALSE; },
    [](WindowHandle w) { InvalidateRect(as_hwnd(w), nullptr, TRUE); },
};
