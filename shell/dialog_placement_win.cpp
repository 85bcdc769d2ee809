#include "shell/dialog_placement_win.h"

#include "shell/dialog_placement.h"

RECT work_area_of(HWND window) {
  RECT work{};
  MONITORINFO info{};
  info.cbSize = sizeof info;
  if (HMONITOR monitor = MonitorFromWindow(window, MONITOR_DEFAULTTONEAREST); monitor && GetMonitorInfoW(monitor, &info))
    return info.rcWork;
  SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
  return work;
}

void keep_window_on_screen(HWND window) {
  if (window == nullptr || !IsWindow(window) || IsIconic(window)) return;
  RECT own{};
  if (!GetWindowRect(window, &own)) return;
  const RECT work = work_area_of(window);
  const LayoutRect from{own.left, own.top, own.right - own.left, own.bottom - own.top};
  const LayoutRect to =
      fit_within_area(from, {work.left, work.top, work.right - work.left, work.bottom - work.top});
  if (to.x == from.x && to.y == from.y) return;
  SetWindowPos(window, nullptr, to.x, to.y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}
