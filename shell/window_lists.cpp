#include "shell/window_lists.h"

WindowList g_design_windows{0, WINDOW_LIST_END};
MnemonicWindowList g_mnemonic_windows{0, WINDOW_LIST_END};
WindowList g_monitor_windows{0, WINDOW_LIST_END};
int g_design_window_count = 0;
int g_mnemonic_window_count = 0;
int g_monitor_window_count = 0;

DialogSlotTable g_dialog_slots{};
WindowHandle g_guide_dialog = 0;
ScreenKind g_screen_kind = SCREEN_KIND_DESIGN;
ToolbarKind g_toolbar_kind = TOOLBAR_KIND_INITIAL;

namespace {

int slot_count(std::span<const WindowHandle> list) { return static_cast<int>(list.size()); }

bool holds_window(WindowHandle slot, const WindowOps& ops) {
  return slot != 0 && slot != WINDOW_LIST_END && ops.is_live(slot);
}

}  // namespace

void empty_window_list(std::span<WindowHandle> list, int& count) {
  if (list.size() >= 1) list[0] = 0;
  if (list.size() >= 2) list[1] = WINDOW_LIST_END;
  count = 0;
}

int register_window(std::span<WindowHandle> list, int& count, WindowHandle window) {
  const int size = slot_count(list);
  if (window == 0 || window == WINDOW_LIST_END || count < 0) return -1;
  // The window and the end mark behind it must both fit.
  if (count + 1 < size) {
    const int slot = count;
    list[slot] = window;
    ++count;
    list[count] = WINDOW_LIST_END;
    return slot;
  }
  // The used slots reach the end of the list: take a slot that a closed further
  // window left empty.
  for (int slot = 1; slot < count && slot < size; ++slot) {
    if (list[slot] == 0) {
      list[slot] = window;
      return slot;
    }
  }
  return -1;
}

void release_window_registration(std::span<WindowHandle> list, int& count, int slot) {
  if (slot < 0 || slot >= slot_count(list)) return;
  if (slot == count - 1) {
    list[slot] = WINDOW_LIST_END;
    --count;
  } else {
    list[slot] = 0;
  }
}

namespace {

// Sends the close command to the window of `slot`. False when the window is still there
// afterwards: it refused, and keeps its slot.
bool close_slot(WindowHandle& slot, const WindowOps& ops) {
  if (slot == 0 || !ops.is_live(slot)) return true;
  const WindowHandle window = slot;
  // The window's own close handling runs first and may clear the slot itself.
  ops.send_close(window);
  if (ops.is_live(window)) return false;
  slot = 0;
  return true;
}

}  // namespace

bool close_window_list(std::span<WindowHandle> list, int start, const WindowOps& ops) {
  for (int i = start < 0 ? 0 : start; i < slot_count(list) && list[i] != WINDOW_LIST_END; ++i)
    if (!close_slot(list[i], ops)) return false;
  return true;
}

bool close_listed_windows(std::span<WindowHandle> list, int last, const WindowOps& ops) {
  for (int i = 1; i <= last && i < slot_count(list) && list[i] != WINDOW_LIST_END; ++i)
    if (!close_slot(list[i], ops)) return false;
  return true;
}

void invalidate_window_list(std::span<WindowHandle> list, int start, const WindowOps& ops) {
  for (int i = start < 0 ? 0 : start; i < slot_count(list) && list[i] != WINDOW_LIST_END; ++i) {
    if (holds_window(list[i], ops)) ops.invalidate(list[i]);
  }
}

void minimize_window_list(std::span<WindowHandle> list, const WindowOps& ops) {
  for (int i = 0; i < slot_count(list) && list[i] != WINDOW_LIST_END; ++i) {
    if (holds_window(list[i], ops) && !ops.is_iconic(list[i])) ops.send_minimize(list[i]);
  }
}

int find_window_in_list(std::span<const WindowHandle> list, WindowHandle window, const WindowOps& ops) {
  if (window == 0 || window == WINDOW_LIST_END) return 0;
  for (int i = 0; i < slot_count(list) && list[i] != WINDOW_LIST_END; ++i) {
    if (list[i] == window && ops.is_live(window)) return i + 1;
  }
  return 0;
}

int next_live_window(std::span<const WindowHandle> list, int start, const WindowOps& ops) {
  for (int i = start < 0 ? 0 : start; i < slot_count(list) && list[i] != WINDOW_LIST_END; ++i) {
    if (holds_window(list[i], ops)) return i + 1;
  }
  return 0;
}

int any_other_window_iconic(std::span<const WindowHandle> list, WindowHandle window, const WindowOps& ops) {
  for (int i = 0; i < slot_count(list) && list[i] != WINDOW_LIST_END; ++i) {
    if (list[i] != window && holds_window(list[i], ops) && ops.is_iconic(list[i])) return 1;
  }
  return 0;
}

void reset_window_tables() {
  empty_window_list(g_design_windows, g_design_window_count);
  empty_window_list(g_mnemonic_windows, g_mnemonic_window_count);
  empty_window_list(g_monitor_windows, g_monitor_window_count);
  for (auto& row : g_dialog_slots) row.fill(0);
}
