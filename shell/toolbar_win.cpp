// The serial layer first: it reaches the core's model, whose part-code names <windows.h>
// would swallow (OUT is an empty macro there).
#include "target/monitor_protocol.h"
#include "target/serial_port.h"

#include "shell/toolbar_win.h"

#include <commctrl.h>

#include <array>
#include <string>
#include <vector>

#include "shell/command_routing.h"
#include "shell/frame_handles_win.h"
#include "shell/message_box_win.h"
#include "shell/mode_flags.h"
#include "shell/settings_file.h"
#include "shell/text_win.h"
#include "shell/window_lists.h"

HWND g_toolbar_tooltips = nullptr;
HWND g_com_combo = nullptr;
WNDPROC g_combo_base_proc = nullptr;
ComPortNumbers g_com_port_numbers{};
int g_combo_selection = 0;
int g_current_tool = NO_TOOL_SELECTED;

namespace {

HFONT g_combo_font = nullptr;

void link_off() { g_port_open = 0; }
int settings_com_number() { return g_com_number; }

TargetPortHooks g_port_hooks{probe_target_port, connect_target_link, link_off, settings_com_number};

HINSTANCE module_instance() { return g_instance != nullptr ? g_instance : GetModuleHandleW(nullptr); }

TBBUTTON make_button(const ToolbarButtonSpec& button, int image_offset) {
  TBBUTTON b{};
  if (button.command_id == 0) {
    b.fsStyle = TBSTYLE_SEP;
    return b;
  }
  b.iBitmap = button.image + image_offset;
  b.idCommand = button.command_id;
  b.fsState = TBSTATE_ENABLED;
  b.fsStyle = button.check ? TBSTYLE_CHECK : TBSTYLE_BUTTON;
  return b;
}

void fill_combo(HWND combo, const std::vector<std::string>& entries) {
  SendMessageW(combo, CB_RESETCONTENT, 0, 0);
  for (const auto& e : entries) {
    const std::wstring text = cp932_to_wide(e);
    SendMessageW(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str()));
  }
}

// Selects the entry of the board's port, else the entry chosen last. Returns whether
// the list holds entries.
bool select_combo_entry(HWND combo, const std::vector<std::string>& entries) {
  if (entries.empty()) return false;
  const int index = com_entry_to_select(entries, g_port_hooks.board_com_number(), g_combo_selection);
  if (index >= 0) {
    SendMessageW(combo, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
    g_combo_selection = index;
  }
  return true;
}

std::vector<std::string> probe_ports() {
  auto entries = probe_com_entries(g_port_hooks.probe_target_port, g_com_port_numbers);
  g_port_hooks.set_link_off();
  return entries;
}

void create_com_combo(HWND frame, HWND toolbar, const ToolbarLayout& layout) {
  RECT item{};
  SendMessageW(toolbar, TB_GETITEMRECT, static_cast<WPARAM>(layout.combo_item), reinterpret_cast<LPARAM>(&item));
  // Hidden until it sits in the toolbar: shown while still the frame's child it would draw
  // over the MDI client, whose pixels nobody repaints after the move.
  DWORD style = WS_CHILD | WS_VSCROLL | CBS_DROPDOWNLIST;
  if (!layout.combo_enabled) style |= WS_DISABLED;
  HWND combo = CreateWindowExW(0, L"COMBOBOX", L"", style, item.left, item.top, 180, 100, frame,
                               reinterpret_cast<HMENU>(static_cast<INT_PTR>(ID_COM_COMBO)), module_instance(), nullptr);
  g_com_combo = combo;
  if (combo == nullptr) return;
  SendMessageW(combo, WM_SETFONT, reinterpret_cast<WPARAM>(g_combo_font), FALSE);

  const std::vector<std::string> entries =
      layout.toolbar_kind == TOOLBAR_KIND_DESIGN ? probe_ports() : listed_com_entries(g_com_port_numbers);
  fill_combo(combo, entries);

  g_combo_base_proc = reinterpret_cast<WNDPROC>(
      SetWindowLongPtrW(combo, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(forward_to_combo_proc)));
  // With the toolbar as parent, the list's notifications reach the frame through it.
  SetParent(combo, toolbar);
  select_combo_entry(combo, entries);
  ShowWindow(combo, SW_SHOWNA);
}

void add_tooltips(HWND frame, HWND toolbar, const ToolbarLayout& layout) {
  HWND tips = CreateWindowExW(0, TOOLTIPS_CLASSW, nullptr, TTS_ALWAYSTIP, CW_USEDEFAULT, CW_USEDEFAULT,
                              CW_USEDEFAULT, CW_USEDEFAULT, frame, nullptr, module_instance(), nullptr);
  g_toolbar_tooltips = tips;
  if (tips == nullptr) return;
  for (int item = 0; item < tooltip_item_end(layout); ++item) {
    const ToolbarButtonSpec button = toolbar_item(layout, item);
    if (button.command_id == 0) continue;
    const TooltipSource source = tooltip_source(item, button.command_id);
    std::wstring text;
    if (source.string_id != 0) {
      wchar_t buffer[256] = {};
      LoadStringW(module_instance(), static_cast<UINT>(source.string_id), buffer, 256);
      text = buffer;
    } else {
      text = cp932_to_wide(source.label);
    }
    TOOLINFOW tool{};
    tool.cbSize = sizeof tool;
    // No TTF_SUBCLASS: the toolbar hands its mouse messages on to the tooltip window set
    // with TB_SETTOOLTIPS below. A subclassed toolbar costs every message sent to it (the
    // mode buttons' checks, the tool queries of each click) a tenth of a millisecond
    // under Wine.
    tool.uFlags = 0;
    tool.hwnd = toolbar;
    tool.uId = static_cast<UINT_PTR>(button.command_id);
    SendMessageW(toolbar, TB_GETITEMRECT, static_cast<WPARAM>(item), reinterpret_cast<LPARAM>(&tool.rect));
    tool.lpszText = text.data();
    SendMessageW(tips, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
  }
  SendMessageW(toolbar, TB_SETTOOLTIPS, reinterpret_cast<WPARAM>(tips), 0);
}

}  // namespace

void set_target_port_hooks(const TargetPortHooks& hooks) { g_port_hooks = hooks; }
const TargetPortHooks& target_port_hooks() { return g_port_hooks; }

HWND create_screen_toolbar(HWND frame, int kind) {
  const ToolbarLayout* layout = find_toolbar_layout(kind);
  if (layout == nullptr) return nullptr;
  if (g_combo_font == nullptr) {
    g_combo_font = CreateFontW(36, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, SHIFTJIS_CHARSET, OUT_DEFAULT_PRECIS,
                               CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE,
                               cp932_to_wide("ＭＳ Ｐゴシック").c_str());
  }

  std::array<TBBUTTON, 4> base{};
  for (int i = 0; i < 4; ++i) base[i] = make_button(layout->base[i], 0);
  // CreateToolbarEx hands a button size on as the image size (a compatibility quirk of
  // the common controls), which would cut the 32-pixel image strips wrongly; so the
  // button size of 36 x 40 is set after the images are in.
  HWND toolbar = CreateToolbarEx(frame, WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | TBSTYLE_TOOLTIPS | CCS_NODIVIDER | CCS_TOP,
                                 TOOLBAR_ID, BMP_TOOLBAR_BASE_IMAGES, module_instance(), BMP_TOOLBAR_BASE, base.data(),
                                 static_cast<int>(base.size()), 0, 0, TOOLBAR_IMAGE_SIZE, TOOLBAR_IMAGE_SIZE,
                                 sizeof(TBBUTTON));
  if (toolbar == nullptr) return nullptr;
  SendMessageW(toolbar, TB_SETBUTTONSIZE, 0, MAKELPARAM(36, 40));
  g_com_combo = nullptr;

  if (layout->extra_bitmap != 0) {
    g_toolbar_kind = layout->toolbar_kind;
    TBADDBITMAP bitmap{};
    bitmap.hInst = module_instance();
    bitmap.nID = static_cast<UINT_PTR>(layout->toolbar_kind == TOOLBAR_KIND_DESIGN
                                           ? design_toolbar_bitmap(static_cast<uint32_t>(g_option_bits))
                                           : layout->extra_bitmap);
    const LRESULT first_image = SendMessageW(toolbar, TB_ADDBITMAP, static_cast<WPARAM>(layout->extra_images),
                                             reinterpret_cast<LPARAM>(&bitmap));
    const int offset = first_image < 0 ? 0 : static_cast<int>(first_image);
    std::vector<TBBUTTON> buttons;
    for (int item = static_cast<int>(layout->base.size()); item < toolbar_item_count(*layout); ++item)
      buttons.push_back(make_button(toolbar_item(*layout, item), offset));
    SendMessageW(toolbar, TB_ADDBUTTONSW, buttons.size(), reinterpret_cast<LPARAM>(buttons.data()));
    create_com_combo(frame, toolbar, *layout);
  } else {
    g_toolbar_kind = TOOLBAR_KIND_INITIAL;
  }

  ShowWindow(toolbar, SW_SHOW);
  add_tooltips(frame, toolbar, *layout);
  return toolbar;
}

HWND rebuild_screen_toolbar(HWND frame, int kind) {
  if (g_toolbar != nullptr) DestroyWindow(g_toolbar);
  if (g_toolbar_tooltips != nullptr) DestroyWindow(g_toolbar_tooltips);
  g_toolbar_tooltips = nullptr;
  g_toolbar = create_screen_toolbar(frame, kind);
  if (g_toolbar != nullptr) SendMessageW(g_toolbar, TB_AUTOSIZE, 0, 0);
  // The old toolbar and its list may have stood lower than the new one: what lay under
  // them is drawn again.
  RedrawWindow(frame, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
  return g_toolbar;
}

LRESULT CALLBACK forward_to_combo_proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  return CallWindowProcW(g_combo_base_proc, window, message, wparam, lparam);
}

void check_toolbar_button(int command_id, bool checked) {
  if (g_toolbar != nullptr)
    SendMessageW(g_toolbar, TB_CHECKBUTTON, static_cast<WPARAM>(command_id), MAKELPARAM(checked ? TRUE : FALSE, 0));
}

void reset_design_modes() {
  for (int id : DESIGN_MODE_BUTTONS) check_toolbar_button(id, false);
  clear_mode_flags();
}

int get_selected_tool() {
  g_current_tool = select_tool([](int id) -> int {
    if (g_toolbar == nullptr) return 0;
    return static_cast<int>(SendMessageW(g_toolbar, TB_ISBUTTONCHECKED, static_cast<WPARAM>(id), 0));
  });
  return g_current_tool;
}

void run_port_check(HWND frame) {
  if (g_com_combo == nullptr) return;
  SendMessageW(g_com_combo, CB_RESETCONTENT, 0, 0);
  const std::vector<std::string> entries = probe_ports();
  fill_combo(g_com_combo, entries);
  if (!select_combo_entry(g_com_combo, entries)) {
    SendMessageW(g_com_combo, CB_SETCURSEL, 0, 0);
    show_message_box(frame, PORT_CHECK_EMPTY_MESSAGE, PORT_CHECK_EMPTY_CAPTION, MB_OK);
  }
}

void pick_com_port(HWND frame, WPARAM wparam, LPARAM lparam) {
  if (HIWORD(wparam) != CBN_SELCHANGE) return;
  HWND combo = lparam != 0 ? reinterpret_cast<HWND>(lparam) : g_com_combo;
  if (combo == nullptr) return;
  const LRESULT index = SendMessageW(combo, CB_GETCURSEL, 0, 0);
  if (index == CB_ERR) return;
  const LRESULT length = SendMessageW(combo, CB_GETLBTEXTLEN, static_cast<WPARAM>(index), 0);
  if (length == CB_ERR || length <= 0 || length > 64) return;
  std::wstring text(static_cast<size_t>(length) + 1, L'\0');
  SendMessageW(combo, CB_GETLBTEXT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(text.data()));
  text.resize(static_cast<size_t>(length));
  std::string narrow;
  if (!wide_to_cp932(text, narrow)) return;
  const int slot = port_number_from_combo_text(narrow.c_str());
  if (slot < 0 || slot >= PORT_SLOT_COUNT) return;

  // The probe closes the port that was open, so the link is off until it is set up again.
  g_port_hooks.set_link_off();
  g_port_hooks.connect_target_link(narrow.c_str());
  // A board that answered made its port the board's COM number: a rebuilt toolbar shows
  // this entry again.
  if (g_port_hooks.board_com_number() == slot) g_combo_selection = static_cast<int>(index);
}
