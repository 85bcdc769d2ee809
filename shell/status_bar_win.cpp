#include "shell/status_bar_win.h"

#include <commctrl.h>

#include <algorithm>
#include <string>

#include "shell/frame_handles_win.h"
#include "shell/status_parts.h"
#include "shell/text_win.h"

void set_status_part_text(int part, const char* text, int style) {
  if (g_status_bar == nullptr) return;
  const std::wstring wide = cp932_to_wide(text != nullptr ? text : "");
  // A part that already shows nothing in this style is left alone: under Wine a text that
  // differs from the part's own (and "" differs from a part never given one) repaints
  // the bar at once, some 1 ms a part.
  if (wide.empty()) {
    const LRESULT now = SendMessageW(g_status_bar, SB_GETTEXTLENGTHW, static_cast<WPARAM>(part), 0);
    if (LOWORD(now) == 0 && HIWORD(now) == style) return;
  }
  SendMessageW(g_status_bar, SB_SETTEXTW, static_cast<WPARAM>(part | style), reinterpret_cast<LPARAM>(wide.c_str()));
}

void show_ready_status() {
  set_status_part_text(0, STATUS_READY);
  clear_status_parts();
}

void clear_status_parts() {
  for (int part = 1; part <= 6; ++part) set_status_part_text(part, "");
}

void show_edit_mode_indicators(int mode, int selected) {
  for (const StatusPartText& p : edit_mode_indicator_texts(mode, selected))
    set_status_part_text(p.part, p.text.c_str(), p.raised ? SBT_POPOUT : 0);
}

void show_status_text_and_modes(const char* text_list, int index, int mode) {
  set_status_part_text(0, list_entry(text_list, index).c_str());
  show_edit_mode_indicators(mode, index);
}

int measured_status_indicator_width() {
  static int width = 0;
  if (width != 0) return width;
  if (g_status_bar == nullptr) return STATUS_INDICATOR_WIDTH;
  // The bar draws with the font it was given, else with its default: the system's status
  // font.
  HFONT font = reinterpret_cast<HFONT>(SendMessageW(g_status_bar, WM_GETFONT, 0, 0));
  HFONT made = nullptr;
  if (font == nullptr) {
    NONCLIENTMETRICSW metrics{};
    metrics.cbSize = sizeof metrics;
    if (SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0))
      font = made = CreateFontIndirectW(&metrics.lfStatusFont);
  }
  HDC dc = GetDC(g_status_bar);
  if (dc == nullptr) {
    if (made != nullptr) DeleteObject(made);
    return STATUS_INDICATOR_WIDTH;
  }
  const HGDIOBJ old = font != nullptr ? SelectObject(dc, font) : nullptr;
  int widest = 0;
  for (const std::string& text : all_indicator_texts()) {
    const std::wstring wide = cp932_to_wide(text);
    SIZE size{};
    if (GetTextExtentPoint32W(dc, wide.c_str(), static_cast<int>(wide.size()), &size)) widest = std::max<int>(widest, size.cx);
  }
  if (old != nullptr) SelectObject(dc, old);
  ReleaseDC(g_status_bar, dc);
  if (made != nullptr) DeleteObject(made);
  width = status_indicator_width(widest);
  return width;
}
