// What every timing program of the screens shares: a millisecond clock
// (QueryPerformanceCounter), medians of several runs, the message pump, a scratch folder
// that becomes the current one (file.ini is written there), and the real program started
// with a maximised frame.
#pragma once

#include "target/windows_api.h"

#include <algorithm>
#include <cstdio>
#include <string>
#include <utility>
#include <vector>

#include "frame/frame_commands_win.h"
#include "frame/frame_win.h"

namespace timing {

inline double now_ms() {
  static LARGE_INTEGER frequency{};
  if (frequency.QuadPart == 0) QueryPerformanceFrequency(&frequency);
  LARGE_INTEGER t;
  QueryPerformanceCounter(&t);
  return static_cast<double>(t.QuadPart) * 1000.0 / static_cast<double>(frequency.QuadPart);
}

inline double median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v.empty() ? 0 : v[v.size() / 2];
}

// The median time of `runs` calls of `f`.
template <typename F>
double median_ms(int runs, F&& f) {
  std::vector<double> times;
  for (int i = 0; i < runs; ++i) {
    const double start = now_ms();
    f();
    times.push_back(now_ms() - start);
  }
  return median(std::move(times));
}

// Prints one figure: what it is, its time, its aim, and (when `core_ms` > 0) its ratio to
// the core work it wraps, with the ratio's aim when there is one (0: none). A figure over
// its aim is marked, so that a run shows at a glance what still misses.
inline void print_figure(const char* what, double ms, double aim_ms, const char* core = nullptr, double core_ms = 0,
                         double ratio_aim = 0) {
  std::printf("%-50s %8.2f ms  aim %6.1f ms%s", what, ms, aim_ms, ms > aim_ms ? " (over)" : "");
  if (core != nullptr && core_ms > 0) {
    const double ratio = ms / core_ms;
    std::printf("  %.2f x %s", ratio, core);
    if (ratio_aim > 0) std::printf(" (aim at most %.1f x%s)", ratio_aim, ratio > ratio_aim ? ", over" : "");
  }
  std::printf("\n");
}

// Dispatches every waiting message (a quit message is dropped: the program goes on).
inline void pump() {
  MSG m;
  while (PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE)) {
    if (m.message == WM_QUIT) continue;
    TranslateMessage(&m);
    DispatchMessageW(&m);
  }
}

// The folder `name` under the temporary folder, made if missing and made current.
inline std::wstring enter_scratch_folder(const wchar_t* name) {
  wchar_t temp[MAX_PATH];
  GetTempPathW(MAX_PATH, temp);
  const std::wstring folder = std::wstring(temp) + name;
  CreateDirectoryW(folder.c_str(), nullptr);
  SetCurrentDirectoryW(folder.c_str());
  return folder;
}

// The program as the entry point starts it, its frame maximised; 0 when it did not start.
inline HWND start_maximised_program() {
  install_frame_slots();
  HACCEL accelerators = nullptr;
  HWND frame = start_program(GetModuleHandleW(nullptr), SW_SHOWMAXIMIZED, &accelerators);
  if (frame == nullptr) return nullptr;
  ShowWindow(frame, SW_SHOWMAXIMIZED);
  pump();
  return frame;
}

}  // namespace timing
