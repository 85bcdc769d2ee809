#include "mnemonic/mnemonic_window_win.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <new>
#include <string>
#include <vector>

#include "core/mnemonic_text.h"
#include "core/sjis.h"
#include "design/undo_ring.h"
#include "design/view_geometry_win.h"
#include "shell/view_state.h"
#include "core/current_mnemonic_text.h"
#include "mnemonic/mnemonic_editor.h"
#include "mnemonic/mnemonic_compile_win.h"
#include "mnemonic/mnemonic_screen.h"
#include "mnemonic/mnemonic_search_win.h"
#include "mnemonic/text_clipboard_win.h"
#include "shell/file_replace.h"
#include "shell/command_ids.h"
#include "shell/command_routing_win.h"
#include "shell/documents.h"
#include "shell/documents_win.h"
#include "shell/file_dialog_win.h"
#include "shell/frame_handles_win.h"
#include "shell/menu_states_win.h"
#include "shell/message_box_win.h"
#include "shell/mode_flags.h"
#include "shell/modifier_keys_win.h"
#include "shell/path_parts.h"
#include "shell/popup_menu_win.h"
#include "shell/settings_file.h"
#include "shell/settings_win.h"
#include "shell/status_bar_win.h"
#include "shell/text_win.h"
#include "shell/toolbar_win.h"
#include "shell/window_lists_win.h"

namespace {

constexpr char MSG_CANNOT_OPEN[] = "ファイルが開けません！";
constexpr char MSG_BAD_FORMAT[] = "フォーマットが違います";
constexpr char MSG_SAVE_QUESTION[] = "変更がありました！\nﾆｰﾓﾆｯｸ画面を保存しますか？";
constexpr char MSG_CANNOT_WRITE[] = "ファイルが開けません\n共用をチェックして下さい";
constexpr char MSG_WRITE_FAILED[] = "ファイル保存に失敗しました！";
constexpr char MSG_NOT_FIRST[] = "最初のファイル以外は保存出来ません！";
constexpr char MSG_READ_ONLY[] = "読取り専用ファイルです";
constexpr char MSG_NAME_FIRST[] = "名前付けて保存して下さい！";
constexpr char MSG_SAVED[] = "ファイルが上書きされました！";
constexpr char MSG_EXISTS[] = "同一ファイル名が存在していますが、\n強行しますか？";
constexpr char MSG_SAVED_AS[] = "ファイルが新しい名前で保存されました！";
// A further window (a second file) cannot be saved: its close asks before typed text is dropped.
constexpr char MSG_DROP_QUESTION[] = "変更がありました！\n最初のファイル以外は保存出来ません！\n変更を捨てて閉じますか？";
constexpr char MSG_LINES_CUT[] = "次の行が長すぎるため、%d文字で切りました：\n%s\n上書き保存すると元の行は失われます";
constexpr char CAPTION_WARNING[] = "警告";
constexpr char CAPTION_CONFIRM[] = "確認";
constexpr uint32_t WINDOW_BACKGROUND = 0xFFFFFF;

int g_nic_client_height = 0;  // client height at the last size change: the page of the scroll bar

// How a window's text may be written back over the file it came from.
//   ASK_FIRST: the file had lines too long for a statement, and the text holds them cut;
//              a save over the file asks first (the text names the lines).
//   SAVE_AS_ONLY: the file did not open; the text is saved only under a chosen name, so
//              that a file the program could not read is never written over.
enum class SaveGuard { ASK_FIRST, SAVE_AS_ONLY };
struct GuardedWindow {
  HWND window;
  SaveGuard guard;
  std::string lines;  // ASK_FIRST: the cut lines, as shown to the user
};
std::vector<GuardedWindow> g_guarded_windows;

const GuardedWindow* guard_of(HWND window) {
  for (const GuardedWindow& g : g_guarded_windows)
    if (g.window == window) return &g;
  return nullptr;
}
void drop_guard(HWND window) {
  std::erase_if(g_guarded_windows, [window](const GuardedWindow& g) { return g.window == window; });
}

// The text a further window held when it was made (its file as read, or the empty text of a
// file that did not open): its close compares with it. The first window, and a new document,
// keep their saved copy in the window instead.
struct FurtherCopy {
  HWND window;
  std::unique_ptr<SavedText> text;
};
std::vector<FurtherCopy> g_further_copies;

const SavedText* further_copy_of(HWND window) {
  for (const FurtherCopy& c : g_further_copies)
    if (c.window == window) return c.text.get();
  return nullptr;
}
void drop_further_copy(HWND window) {
  std::erase_if(g_further_copies, [window](const FurtherCopy& c) { return c.window == window; });
}

// "2, 40, 41" (at most 20 numbers, then "…").
std::string line_numbers_text(const std::vector<int>& lines) {
  std::string out;
  for (size_t i = 0; i < lines.size(); ++i) {
    if (i == 20) return out + ", …";
    if (i) out += ", ";
    out += std::to_string(lines[i]);
  }
  return out;
}

std::string formatted(const char* pattern, const std::string& a, int n = -1) {
  char buffer[1024];
  if (n >= 0)
    std::snprintf(buffer, sizeof buffer, pattern, n, a.c_str());
  else
    std::snprintf(buffer, sizeof buffer, pattern, a.c_str());
  return buffer;
}

// ---- What a window holds ---------------------------------------------------------------------

struct NicWindow {
  HWND hwnd;
  MnemonicText* text;
  ViewState* view;
  SavedText* saved;
};

NicWindow window_data(HWND window) {
  return {window, nic_window_text(window), nic_window_view(window), nic_window_saved_text(window)};
}

TextSpan span_of(MnemonicText* text) { return text ? TextSpan(*text) : TextSpan(); }
SavedSpan span_of(SavedText* saved) { return saved ? SavedSpan(*saved) : SavedSpan(); }

// The shared names of the document follow the window that handles a message.
void name_document(const NicWindow& w) { name_current_mnemonic_text(span_of(w.text), span_of(w.saved)); }

TextMetrics metrics() { return {g_text_line_height, g_text_char_width}; }

bool is_first_window(HWND window) { return g_mnemonic_windows[0] == as_window_handle(window); }

// Only the main file's document (file number 0) has the undo ring.
bool owns_undo_ring(const ViewState& view) { return view_file_number(view) == 0; }

void close_dialog_slots_0_and_1() {
  auto& row = dialog_slot_row(g_screen_kind);
  for (int slot = 0; slot < 2; ++slot)
    if (row[slot] && IsWindow(as_hwnd(row[slot]))) SendMessageW(as_hwnd(row[slot]), WM_CLOSE, 0, 0);
}

HWND open_dialog_in_slot_0() {
  WindowHandle dialog = dialog_slot_row(g_screen_kind)[0];
  return dialog && IsWindow(as_hwnd(dialog)) ? as_hwnd(dialog) : nullptr;
}

void mark_other_windows(const ViewState& view) {
  for (int i = 0; i < g_mnemonic_window_count && i < 32; ++i)
    if (i != view.window_index) g_mnemonic_repaint_mask |= 1u << i;
}

void place_caret(HWND window, const ViewState& view) {
  if (GetFocus() != window) return;
  const int lh = std::max(1, g_text_line_height);
  SetCaretPos(view.cursor_col * g_text_char_width, (view.cursor_row - view.top_row) * lh + lh * 2 / 3);
}

void set_scroll_range(HWND window, const ViewState& view, BOOL redraw) {
  SetScrollRange(window, SB_VERT, 0, std::max(0, view.scroll_max), redraw);
}

void apply_effects(const NicWindow& w, const MnemonicEffects& e);

void lay_out_window(const NicWindow& w) {
  RECT client{};
  GetClientRect(w.hwnd, &client);
  g_nic_client_height = client.bottom;
  apply_effects(w, lay_out_text(*w.text, *w.view, metrics(), client.right, client.bottom));
}

void apply_effects(const NicWindow& w, const MnemonicEffects& e) {
  ViewState& view = *w.view;
  if (e.resync_line >= 0) resync_nic_view_scrollbars(w.hwnd, e.resync_line, e.resync_insert);
  if (e.lay_out) lay_out_window(w);
  if (e.scroll_range) set_scroll_range(w.hwnd, view, FALSE);
  if (e.scroll_position) SetScrollPos(w.hwnd, SB_VERT, view.top_row, TRUE);
  if (e.repaint) {
    InvalidateRect(w.hwnd, nullptr, TRUE);
  } else if (e.draw_line >= 0) {
    // A typed character shows at once: the line is drawn again now.
    const int lh = std::max(1, g_text_line_height);
    RECT client{};
    GetClientRect(w.hwnd, &client);
    RECT line{0, (e.draw_line - view.top_row) * lh, client.right, (e.draw_line - view.top_row + 1) * lh};
    InvalidateRect(w.hwnd, &line, TRUE);
    UpdateWindow(w.hwnd);
  }
  if (e.broadcast) broadcast_mnemonic_line(w.hwnd, e.broadcast_line);
  if (owns_undo_ring(view)) take_undo_snapshot(g_mnemonic_undo, *w.text, e);
  if (e.mark_other_windows) mark_other_windows(view);
  if (e.status_text) set_status_part_text(0, e.status_text);
  if (e.place_caret) place_caret(w.hwnd, view);
}

// ---- Painting ----------------------------------------------------------------------------------

// Draws a run with every character on the column grid: a double-byte character takes
// two columns, whatever width the font gives its glyph.
void draw_run(HDC dc, const TextRun& run) {
  const std::wstring wide = cp932_to_wide(run.text);
  if (wide.empty()) return;
  std::vector<INT> advances;
  for (size_t i = 0; i < run.text.size();) {
    const size_t n = sjis_char_length(run.text, i);
    advances.push_back(static_cast<INT>(n) * g_text_char_width);
    i += n;
  }
  SetTextColor(dc, run.colour);
  SetBkColor(dc, run.background);
  if (advances.size() == wide.size())
    ExtTextOutW(dc, run.x, run.y, 0, nullptr, wide.c_str(), static_cast<UINT>(wide.size()), advances.data());
  else
    TextOutW(dc, run.x, run.y, wide.c_str(), static_cast<int>(wide.size()));
}

void paint_window(const NicWindow& w) {
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(w.hwnd, &ps);
  HGDIOBJ old_font = SelectObject(dc, GetStockObject(OEM_FIXED_FONT));
  SetBkMode(dc, OPAQUE);
  for (const TextRun& run : paint_text(*w.text, *w.view, metrics(), ps.rcPaint.top, ps.rcPaint.bottom))
    draw_run(dc, run);
  SelectObject(dc, old_font);
  EndPaint(w.hwnd, &ps);
}

// ---- Files -----------------------------------------------------------------------------------

enum class SaveResult { SAVED, CANCELLED, REFUSED, NOT_OPENED, NOT_WRITTEN };

// Writes the text over `path` through the gate with `marks` (the window's own marks when
// `path` is its own file): a text with lines cut at open asks first, a refused target says
// why. The text goes to a new file beside `path`, moved over it only when the whole text
// was written, so a refused or failed save leaves the old file as it was.
SaveResult save_text_file(HWND window, const std::string& path, ConstTextSpan text, const DocumentMarks* marks,
                          GateVerdict* verdict = nullptr) {
  DocumentMarks agreed;
  if (marks != nullptr && check_write_target(path, marks) == GateVerdict::ASK_CUT_LINES) {
    if (show_message_box(window, cut_lines_question(marks->cut_lines).c_str(), path.c_str(),
                         MB_OKCANCEL | MB_ICONWARNING) != IDOK)
      return SaveResult::CANCELLED;
    // The user agreed to lose the cut parts.
    agreed = *marks;
    agreed.cut_lines.clear();
    marks = &agreed;
  }
  GateVerdict answer = GateVerdict::WRITE;
  const ReplaceResult result = write_file_replacing(
      path, [&](std::FILE* stream) { return write_nic_text(text, stream, 0) == 0; }, marks, &answer);
  if (verdict) *verdict = answer;
  switch (result) {
    case ReplaceResult::REPLACED:
      return SaveResult::SAVED;
    case ReplaceResult::REFUSED: {
      const WriteNotice notice = save_refusal_notice(answer, path);
      show_message_box(window, notice.text.c_str(), notice.caption.c_str(), MB_OK);
      return SaveResult::REFUSED;
    }
    case ReplaceResult::NOT_OPENED:
      show_message_box(window, MSG_CANNOT_WRITE, path.c_str(), MB_OK);
      return SaveResult::NOT_OPENED;
    case ReplaceResult::NOT_WRITTEN:
      break;
  }
  show_message_box(window, MSG_WRITE_FAILED, CAPTION_WARNING, MB_OK);
  return SaveResult::NOT_WRITTEN;
}

void take_saved_copy(const NicWindow& w) {
  if (w.saved) copy_text_to_saved(*w.text, *w.saved, &g_mnemonic_line_count);
}

bool file_exists(const std::string& path) {
  const std::wstring wide = cp932_to_wide(path);
  return !wide.empty() && GetFileAttributesW(wide.c_str()) != INVALID_FILE_ATTRIBUTES;
}

// The folder in its short (8.3) form, as the project keeps it; unchanged when there is none.
std::string short_folder(const std::string& folder) {
  const std::wstring wide = cp932_to_wide(folder);
  wchar_t buffer[MAX_PATH];
  const DWORD n = wide.empty() ? 0 : GetShortPathNameW(wide.c_str(), buffer, MAX_PATH);
  std::string out;
  if (n == 0 || n >= MAX_PATH || !wide_to_cp932(std::wstring_view(buffer, n), out)) return folder;
  return out;
}

bool command_save_as(const NicWindow& w);

void command_save(const NicWindow& w) {
  ViewState& view = *w.view;
  if (view_file_number(view) != 0) {
    show_message_box(w.hwnd, MSG_NOT_FIRST, CAPTION_WARNING, MB_OK);
    return;
  }
  if (view.open_file.flags & OPEN_FILE_READ_ONLY) {
    show_message_box(w.hwnd, MSG_READ_ONLY, view.path, MB_OK);
    return;
  }
  if (fixed_text(view.title) == NEW_MNEMONIC_TITLE) {
    show_message_box(w.hwnd, MSG_NAME_FIRST, CAPTION_WARNING, MB_OK);
    return;
  }
  const DocumentMarks marks = nic_window_marks(w.hwnd);
  if (marks.not_opened) {
    // The text of a file that did not open goes to a name the user chooses.
    command_save_as(w);
    return;
  }
  show_ready_status();
  if (save_text_file(w.hwnd, view.path, *w.text, &marks) == SaveResult::SAVED) {
    drop_guard(w.hwnd);
    show_message_box(w.hwnd, MSG_SAVED, view.path, MB_OK);
    take_saved_copy(w);
  }
  clear_line_selection(*w.text, view);
  InvalidateRect(w.hwnd, nullptr, TRUE);
}

// Save as: true when the text was written under the new name.
bool command_save_as(const NicWindow& w) {
  ViewState& view = *w.view;
  if (view_file_number(view) != 0) {
    show_message_box(w.hwnd, MSG_NOT_FIRST, CAPTION_WARNING, MB_OK);
    return false;
  }
  char file[PATH_BYTES] = "";
  char file_title[PATH_BYTES] = "";
  OPENFILENAMEA record{};
  record.lStructSize = sizeof record;
  record.hwndOwner = w.hwnd;
  record.lpstrFilter = filter_pairs(FileFilter::NIC).data();
  record.nFilterIndex = 1;
  record.lpstrFile = file;
  record.nMaxFile = sizeof file;
  record.lpstrFileTitle = file_title;
  record.nMaxFileTitle = sizeof file_title;
  record.lpstrInitialDir = g_work_folder;
  if (!get_save_file_name(&record)) return false;
  const std::string target = mnemonic_save_path(file);
  if (target.empty()) {
    show_message_box(w.hwnd, MSG_CANNOT_WRITE, file, MB_OK);
    return false;
  }
  // The window's own marks count when the chosen file is its own file.
  const DocumentMarks own_marks = nic_window_marks(w.hwnd);
  const DocumentMarks* marks = same_file_path(target, view.path) ? &own_marks : nullptr;
  // A target the gate refuses is refused before the question whether to write over it.
  if (const GateVerdict verdict = check_write_target(target, marks);
      !write_allowed(verdict) && verdict != GateVerdict::ASK_CUT_LINES) {
    const WriteNotice notice = save_refusal_notice(verdict, target);
    show_message_box(w.hwnd, notice.text.c_str(), notice.caption.c_str(), MB_OK);
    return false;
  }
  if (file_exists(target) && show_message_box(w.hwnd, MSG_EXISTS, CAPTION_CONFIRM, MB_OKCANCEL) != IDOK) return false;
  show_ready_status();
  if (save_text_file(w.hwnd, target, *w.text, marks) != SaveResult::SAVED) return false;
  take_saved_copy(w);
  // The text is the new file's now: that one may be saved over.
  drop_guard(w.hwnd);
  view.open_file.flags &= ~OPEN_FILE_READ_ONLY;
  show_message_box(w.hwnd, MSG_SAVED_AS, target.c_str(), MB_OK);

  PathParts parts{};
  split_path(target, parts);
  copy_text_bounded(view.path, target);
  copy_text_bounded(view.title, std::string(parts.name) + MNEMONIC_EXTENSION);
  retitle_document_window(w.hwnd, target);
  const std::string folder = std::string(parts.drive) + parts.dir;
  PathParts short_parts{};
  if (split_path(short_folder(folder), short_parts) == 0) copy_text(g_project_dir, short_parts.dir);
  copy_text(g_project_drive, parts.drive);
  copy_text(g_project_name, parts.name);
  if (folder != fixed_text(g_work_folder)) {
    copy_text(g_work_folder, folder);
    save_settings();
  }
  return true;
}

void command_fit(const NicWindow& w) {
  int h = 0;
  if (IsIconic(w.hwnd) && (any_other_window_iconic(g_design_windows, w.hwnd) ||
                           any_other_window_iconic(g_mnemonic_windows, w.hwnd) ||
                           any_other_window_iconic(g_monitor_windows, w.hwnd)))
    h = GetSystemMetrics(SM_CYMINIMIZED);
  SendMessageW(w.hwnd, WM_SYSCOMMAND, SC_RESTORE, 0);
  GetClientRect(g_mdi_client, &g_client_rect);
  MoveWindow(w.hwnd, 0, 0, g_client_rect.right, g_client_rect.bottom - h, TRUE);
  InvalidateRect(w.hwnd, nullptr, TRUE);
  SendMessageW(w.hwnd, WM_SETFOCUS, 0, 0);
}

// ---- Creation and destruction --------------------------------------------------------------

bool text_has_header_line(ConstTextSpan text) {
  const int end = count_text_lines(text);
  for (int i = 0; i < end; ++i)
    if (text[i].statement[0] == '\\') return true;
  return false;
}

void take_text_metrics(HWND window) {
  HDC dc = GetDC(window);
  HGDIOBJ old = SelectObject(dc, GetStockObject(OEM_FIXED_FONT));
  TEXTMETRICW tm{};
  if (GetTextMetricsW(dc, &tm)) {
    g_text_line_height = tm.tmHeight;
    g_text_char_width = tm.tmAveCharWidth;
  }
  SelectObject(dc, old);
  ReleaseDC(window, dc);
}

MnemonicText* new_text() { return new (std::nothrow) MnemonicText(make_mnemonic_text()); }
SavedText* new_saved_text() { return new (std::nothrow) SavedText(make_saved_text()); }

LRESULT create_window(HWND window, LPARAM lparam) {
  const auto* create = reinterpret_cast<const CREATESTRUCTW*>(lparam);
  const auto* mdi = create ? static_cast<const MDICREATESTRUCTW*>(create->lpCreateParams) : nullptr;
  const auto* record = mdi ? reinterpret_cast<const ChildOpenRecord*>(mdi->lParam) : nullptr;

  auto* view = new (std::nothrow) ViewState{};
  if (!view) return -1;
  install_mnemonic_search_hooks();
  init_view_state(*view, WINDOW_BACKGROUND);
  view->sel_row = -1;
  SetWindowLongPtrW(window, CHILD_EXTRA_VIEW_STATE, reinterpret_cast<LONG_PTR>(view));
  // A full list refuses the window rather than writing past its end.
  const int slot = register_window(g_mnemonic_windows, g_mnemonic_window_count, as_window_handle(window));
  if (slot < 0) return -1;
  view->window_index = slot;
  g_screen_kind = SCREEN_KIND_MNEMONIC;
  if (record) copy_text_bounded(view->path, fixed_text(record->path));
  init_open_file_name(*open_file_of(*view), window, FileFilter::NIC, view->path, view->title);
  if (record) {
    copy_text_bounded(view->title, fixed_text(record->title));
    view->open_file.flags = record->flags & CHILD_OPEN_READ_ONLY ? OPEN_FILE_READ_ONLY : 0;
    // A file with the read-only attribute is refused by Save as the dialog's choice is.
    if (view->path[0] != '\0' && path_is_read_only(view->path)) view->open_file.flags |= OPEN_FILE_READ_ONLY;
  }
  empty_clipboard(window);

  MnemonicText* text = new_text();
  if (!text) {
    release_window_registration(g_mnemonic_windows, g_mnemonic_window_count, slot);
    return -1;
  }
  SetWindowLongPtrW(window, CHILD_EXTRA_DOCUMENT, reinterpret_cast<LONG_PTR>(text));
  set_document_kind(window, DocumentKind::MNEMONIC_TEXT);
  // Only the first window's document has file number 0 (the undo ring, Save, the compile);
  // further documents take 1-15 in turn, never 0, however many were opened.
  view->view_id = mnemonic_file_number(slot, g_mnemonic_doc_counter++) << 4;
  view->range_active = 0;
  view->mark_rows[0] = NO_MARK_ROW;

  SavedText* saved = nullptr;
  if (view->path[0] != '\0') {
    FILE* stream = open_file_cp932(view->path, L"rb");
    if (!stream) {
      show_message_box(window, MSG_CANNOT_OPEN, view->path, MB_OK);
      set_end_line((*text)[0]);
      ensure_caret_line(*text);  // an empty document the user can still type into
      if (slot == 0) {
        // Its own ring: Undo never brings back the document closed before it. Its saved
        // copy is the empty text, so that what is typed is asked about at the close.
        reset_mnemonic_undo();
        push_mnemonic_undo(*text);
        saved = new_saved_text();
        if (saved) copy_text_to_saved(*text, *saved, nullptr);
        g_guarded_windows.push_back({window, SaveGuard::SAVE_AS_ONLY, {}});
      }
    } else {
      int count = 0;
      std::vector<int> cut_lines;
      const int read = read_nic_file(*text, stream, &count, &cut_lines);
      std::fclose(stream);
      if (read == 0 && !cut_lines.empty()) {
        const std::string lines = line_numbers_text(cut_lines);
        show_message_box(window, formatted(MSG_LINES_CUT, lines, MAX_STATEMENT_CHARS).c_str(), view->path,
                         MB_OK | MB_ICONWARNING);
        g_guarded_windows.push_back({window, SaveGuard::ASK_FIRST, lines});
      }
      if (read != 0) {
        show_message_box(window, MSG_BAD_FORMAT, view->path, MB_OK);
        // The window gives its registration back and is not created.
        release_window_registration(g_mnemonic_windows, g_mnemonic_window_count, slot);
        return -1;
      }
      g_mnemonic_line_count = count;
      ensure_caret_line(*text);
      if (slot == 0) {
        reset_design_modes();
        reset_mnemonic_undo();
        push_mnemonic_undo(*text);
        saved = new_saved_text();
        if (saved) copy_text_to_saved(*text, *saved, &g_mnemonic_line_count);
        std::string folder = std::string(fixed_text(g_project_drive)) + std::string(fixed_text(g_project_dir));
        if (!folder.empty()) copy_text(g_work_folder, folder);
        if (next_live_window(g_design_windows, 0) == 0) save_settings();
        retitle_document_window(window, view->path);
        // A file without a header line leaves the target settings as they are.
        if (text_has_header_line(*text)) take_header_settings(g_cpu_settings, g_loaded_cpu_settings);
      }
      view->top_row = 0;
    }
  } else {
    saved = new_saved_text();
    std::string path = std::string(fixed_text(g_work_folder)) + NEW_MNEMONIC_TITLE;
    copy_text_bounded(view->path, path);
    copy_text_bounded(view->title, NEW_MNEMONIC_TITLE);
    set_line_statement((*text)[0], "END");
    set_end_line((*text)[1]);
    if (saved) copy_text_to_saved(*text, *saved, nullptr);
    if (slot == 0) {
      reset_mnemonic_undo();
      push_mnemonic_undo(*text);
    }
  }
  if (saved) SetWindowLongPtrW(window, CHILD_EXTRA_SAVED_COPY, reinterpret_cast<LONG_PTR>(saved));
  // A further window keeps the text it starts with apart, so that its close can tell text
  // typed into it, which it cannot save.
  if (saved == nullptr && slot != 0) {
    if (SavedText* copy = new_saved_text()) {
      copy_text_to_saved(*text, *copy, nullptr);
      g_further_copies.push_back({window, std::unique_ptr<SavedText>(copy)});
    }
  }

  take_text_metrics(window);
  view->cursor_col = view->cursor_row = 0;
  view->comment_copied = 0;
  g_mnemonic_drag_enabled = 0;
  g_popup_toggle = 0;
  clear_line_selection(*text, *view);
  place_caret(window, *view);
  return 0;
}

// A text or a saved copy.
template <typename Document>
void forget_document(Document* document) {
  if (!document) return;
  // Nothing keeps naming a text that is freed.
  forget_mnemonic_text(document->data());
  delete document;
}

void free_saved_copy(HWND window) {
  forget_document(nic_window_saved_text(window));
  SetWindowLongPtrW(window, CHILD_EXTRA_SAVED_COPY, 0);
}

void destroy_window(HWND window) {
  reset_design_modes();
  show_ready_status();
  if (is_first_window(window)) {
    // The frame is hidden while it is destroyed: then no toolbar is built any more.
    if (g_toolbar_kind != TOOLBAR_KIND_INITIAL && g_frame && IsWindowVisible(g_frame)) {
      if (next_live_window(g_design_windows, 0)) {
        rebuild_screen_toolbar(g_frame, CMD_SCREEN_DESIGN);
      } else if (next_live_window(g_monitor_windows, 0)) {
        rebuild_screen_toolbar(g_frame, CMD_SCREEN_OPERATION);
      } else {
        rebuild_screen_toolbar(g_frame, TOOLBAR_INITIAL);
        set_menu_state_empty(g_frame);
      }
    }
    g_mnemonic_window_count = 0;
    g_mnemonic_doc_counter = 0;
    close_dialog_slots_0_and_1();
  }
  const int position = find_window_in_list(g_mnemonic_windows, window);
  if (position > 0) g_mnemonic_windows[static_cast<size_t>(position - 1)] = 0;
  set_document_kind(window, DocumentKind::NONE);
  drop_guard(window);
  drop_further_copy(window);
  forget_document(nic_window_text(window));
  SetWindowLongPtrW(window, CHILD_EXTRA_DOCUMENT, 0);
  free_saved_copy(window);
  delete nic_window_view(window);
  SetWindowLongPtrW(window, CHILD_EXTRA_VIEW_STATE, 0);
}

// ---- Activation ------------------------------------------------------------------------------

void activate_window(const NicWindow& w, bool active) {
  if (active) {
    g_screen_kind = SCREEN_KIND_MNEMONIC;
    SendMessageW(g_mdi_client, WM_MDISETMENU, reinterpret_cast<WPARAM>(g_document_menu),
                 reinterpret_cast<LPARAM>(g_document_window_menu));
    const uint32_t bit = w.view->window_index < 32 ? 1u << w.view->window_index : 0;
    if (next_live_window(g_mnemonic_windows, 1) && (g_mnemonic_repaint_mask & bit))
      InvalidateRect(w.hwnd, nullptr, TRUE);
    g_mnemonic_repaint_mask &= ~bit;
    place_caret(w.hwnd, *w.view);
    set_menu_state_mnemonic(g_frame);  // which draws the menu bar again
    show_ready_status();
  } else {
    SendMessageW(g_mdi_client, WM_MDISETMENU, reinterpret_cast<WPARAM>(g_main_menu),
                 reinterpret_cast<LPARAM>(g_main_window_menu));
    DrawMenuBar(g_frame);
  }
}

// ---- Popup menu and clipboard commands --------------------------------------------------------

void open_popup_menu(const NicWindow& w, LPARAM lparam) {
  g_popup_toggle ^= 1;
  if (g_popup_toggle == 0) return;
  std::vector<PopupMenuItem> menu;
  if (w.view->range_active) {
    menu = {{CMD_POPUP_RANGE_COPY, "&C コピ－"},
            {CMD_POPUP_RANGE_CUT, "&T 切り取り"},
            {CMD_POPUP_RANGE_DELETE, "&K 削除"},
            {CMD_POPUP_COMMENT_COPY, "&M ｺﾒﾝﾄ･ｺﾋﾟｰ"}};
  } else if (w.view->comment_copied) {
    menu = {{CMD_POPUP_RANGE_PASTE, "&P ｺﾒﾝﾄ貼付け"}};
  } else {
    menu = {{CMD_POPUP_RANGE_PASTE, "&P 貼り付け", false, !clipboard_has_text()}};
  }
  POINT at{static_cast<short>(LOWORD(lparam)), static_cast<short>(HIWORD(lparam))};
  ClientToScreen(w.hwnd, &at);
  const int chosen = show_popup_menu(w.hwnd, menu, at);
  if (chosen) SendMessageW(w.hwnd, WM_COMMAND, static_cast<WPARAM>(chosen), 0);
  place_caret(w.hwnd, *w.view);
}

// After a copy, cut or comment copy the frame's paste item can be used.
void enable_paste_item() {
  if (g_frame) enable_menu_range(GetMenu(g_frame), CMD_RANGE_PASTE, 1, 1);
  g_popup_toggle = 0;
}

void clipboard_command(const NicWindow& w, int id) {
  std::string clip;
  switch (id) {
    case CMD_RANGE_COPY:
    case CMD_POPUP_RANGE_COPY:
      apply_effects(w, copy_lines(*w.text, *w.view, clip));
      if (!clip.empty()) put_clipboard_text(w.hwnd, clip);
      enable_paste_item();
      break;
    case CMD_RANGE_CUT:
    case CMD_POPUP_RANGE_CUT: {
      MnemonicEffects e = cut_lines(*w.text, *w.view, clip);
      if (!clip.empty()) put_clipboard_text(w.hwnd, clip);
      apply_effects(w, e);
      enable_paste_item();
      break;
    }
    case CMD_POPUP_RANGE_DELETE:
      apply_effects(w, delete_lines(*w.text, *w.view));
      enable_paste_item();
      break;
    case CMD_POPUP_COMMENT_COPY:
      apply_effects(w, copy_comment(*w.text, *w.view));
      enable_paste_item();
      break;
    case CMD_RANGE_PASTE:
    case CMD_POPUP_RANGE_PASTE:
      if (!w.view->comment_copied) clip = get_clipboard_text(w.hwnd);
      apply_effects(w, paste_text(*w.text, *w.view, clip));
      break;
    default:
      break;
  }
}

// ---- Commands --------------------------------------------------------------------------------

void prepare_mode_command(int id) {
  close_dialog_slots_0_and_1();
  reset_design_modes();
  set_mode_flag(id, 1);
}

void undo_or_redo(const NicWindow& w, bool undo) {
  if (!owns_undo_ring(*w.view)) return;
  const int result = undo ? undo_mnemonic(*w.text) : redo_mnemonic(*w.text);
  if (result != 0) return;
  clear_line_selection(*w.text, *w.view);
  w.view->cursor_row = std::min(w.view->cursor_row, last_caret_line(*w.text));
  w.view->cursor_col = limit_caret_column((*w.text)[static_cast<size_t>(w.view->cursor_row)], w.view->cursor_col);
  broadcast_mnemonic_line(w.hwnd, -1);
  lay_out_window(w);
}

LRESULT command(const NicWindow& w, WPARAM wparam, LPARAM lparam) {
  const int id = LOWORD(wparam);
  mark_other_windows(*w.view);
  if (refuse_foreign_tool_command(w.hwnd, TOOLBAR_KIND_MNEMONIC, id)) return 0;
  switch (id) {
    case CMD_SAVE:
      command_save(w);
      return 0;
    case CMD_SAVE_AS:
      command_save_as(w);
      return 0;
    case CMD_FIT_WINDOW:
      command_fit(w);
      return 0;
    case CMD_ENTER:
      apply_effects(w, split_line(*w.text, *w.view));
      return 0;
    case CMD_BLANK_LINE_MODE:
      prepare_mode_command(id);
      apply_effects(w, open_blank_line(*w.text, *w.view));
      return 0;
    case CMD_COMMENT:
      prepare_mode_command(id);
      return 0;
    case CMD_SEARCH:
      open_mnemonic_search_dialog(w.hwnd);
      return 0;
    case CMD_REPLACE:
      open_mnemonic_replace_dialog(w.hwnd);
      return 0;
    case CMD_COMPILE_MNEMONIC:
      compile_mnemonic_command(w.hwnd);
      return 0;
    case CMD_UNDO:
    case CMD_REDO:
      undo_or_redo(w, id == CMD_UNDO);
      return 0;
    case CMD_SYNC_VIEW:
      repaint_if_line_visible(w.hwnd, *w.view, lparam == -1 ? -1 : static_cast<int>(lparam & 0x1FFFF));
      return 0;
    case CMD_POPUP_RANGE_COPY:
    case CMD_POPUP_RANGE_CUT:
    case CMD_POPUP_RANGE_DELETE:
    case CMD_POPUP_RANGE_PASTE:
      close_dialog_slots_0_and_1();
      reset_design_modes();
      clipboard_command(w, id);
      return 0;
    case CMD_RANGE_COPY:
    case CMD_RANGE_CUT:
    case CMD_RANGE_PASTE:
    case CMD_POPUP_COMMENT_COPY:
      clipboard_command(w, id);
      return 0;
    default:
      return DefMDIChildProcW(w.hwnd, WM_COMMAND, wparam, lparam);
  }
}

// ---- Keys, characters and the mouse ---------------------------------------------------------

bool key_of(WPARAM vk, MnemonicKey& key) {
  switch (vk) {
    case VK_HOME: key = MnemonicKey::HOME; return true;
    case VK_END: key = MnemonicKey::END; return true;
    case VK_LEFT: key = MnemonicKey::LEFT; return true;
    case VK_RIGHT: key = MnemonicKey::RIGHT; return true;
    case VK_UP: key = MnemonicKey::UP; return true;
    case VK_DOWN: key = MnemonicKey::DOWN; return true;
    case VK_DELETE: key = MnemonicKey::DEL; return true;
    default: return false;
  }
}

// A typed UTF-16 character as CP932 bytes; empty when it has no CP932 form.
std::string character_bytes(wchar_t c) {
  if (c < 0x80) return std::string(1, static_cast<char>(c));
  if (c >= 0xD800 && c <= 0xDFFF) return {};
  char bytes[4];
  BOOL lossy = FALSE;
  const int n = WideCharToMultiByte(932, WC_NO_BEST_FIT_CHARS, &c, 1, bytes, sizeof bytes, nullptr, &lossy);
  if (n <= 0 || lossy) return {};
  return std::string(bytes, static_cast<size_t>(n));
}

void type_characters(const NicWindow& w, WPARAM wparam, LPARAM lparam) {
  const std::string bytes = character_bytes(static_cast<wchar_t>(wparam));
  if (bytes.empty()) return;
  const int repeat = std::max(1, static_cast<int>(lparam & 0xFFFF));
  for (int i = 0; i < repeat; ++i) apply_effects(w, type_character(*w.text, *w.view, bytes));
  place_caret(w.hwnd, *w.view);
}

void left_button_down(const NicWindow& w, LPARAM lparam) {
  HWND dialog = open_dialog_in_slot_0();
  const int x = static_cast<short>(LOWORD(lparam));
  const int y = static_cast<short>(HIWORD(lparam));
  MnemonicEffects e = click_text(*w.text, *w.view, metrics(), x, y, dialog != nullptr);
  if (feed_caret_word_to_dialog(w.hwnd, dialog)) {
    apply_effects(w, e);
    return;
  }
  if (dialog && get_mode_flag(CMD_COMMENT)) {
    bool handled = false;
    MnemonicEffects c = comment_write_click(*w.text, *w.view, handled);
    if (handled) {
      SetDlgItemTextW(dialog, 717, cp932_to_wide(g_comment_edit_text).c_str());
      apply_effects(w, c);
    }
  }
  apply_effects(w, e);
}

ScrollRequest scroll_request(int code) {
  switch (code) {
    case SB_LINEUP: return ScrollRequest::LINE_UP;
    case SB_LINEDOWN: return ScrollRequest::LINE_DOWN;
    case SB_PAGEUP: return ScrollRequest::PAGE_UP;
    case SB_PAGEDOWN: return ScrollRequest::PAGE_DOWN;
    case SB_THUMBTRACK: return ScrollRequest::THUMB;
    case SB_TOP: return ScrollRequest::TOP;
    case SB_BOTTOM: return ScrollRequest::BOTTOM;
    default: return ScrollRequest::OTHER;
  }
}

void scroll(const NicWindow& w, ScrollRequest request, int thumb) {
  apply_effects(w, scroll_text(*w.view, metrics(), request, thumb, g_nic_client_height));
}

}  // namespace

// ---- Public operations ----------------------------------------------------------------------

MnemonicText* nic_window_text(HWND window) {
  return reinterpret_cast<MnemonicText*>(GetWindowLongPtrW(window, CHILD_EXTRA_DOCUMENT));
}
SavedText* nic_window_saved_text(HWND window) {
  return reinterpret_cast<SavedText*>(GetWindowLongPtrW(window, CHILD_EXTRA_SAVED_COPY));
}
ViewState* nic_window_view(HWND window) {
  return reinterpret_cast<ViewState*>(GetWindowLongPtrW(window, CHILD_EXTRA_VIEW_STATE));
}

void apply_nic_effects(HWND window, const MnemonicEffects& effects) {
  const NicWindow w = window_data(window);
  if (w.text && w.view) apply_effects(w, effects);
}

void repaint_nic_windows() { invalidate_window_list(g_mnemonic_windows, 0); }

void broadcast_mnemonic_line(HWND sender, int line) {
  const LPARAM value = line < 0 ? -1 : static_cast<LPARAM>(line & 0x1FFFF);
  for (WindowHandle handle : g_mnemonic_windows) {
    if (handle == WINDOW_LIST_END) break;
    HWND other = as_hwnd(handle);
    if (!handle || other == sender || !IsWindow(other) || IsIconic(other)) continue;
    const ViewState* view = nic_window_view(other);
    if (!view || view_file_number(*view) != 0) continue;
    SendMessageW(other, WM_COMMAND, CMD_SYNC_VIEW, value);
  }
}

void repaint_if_line_visible(HWND window, const ViewState& view, int line) {
  if (line != -1 && (line + 1 < view.top_row || line > view.top_row + view.visible_rows + 1)) return;
  InvalidateRect(window, nullptr, TRUE);
}

ViewState* resync_nic_view_scrollbars(HWND sender, int line, int flag) {
  for (WindowHandle handle : g_mnemonic_windows) {
    if (handle == WINDOW_LIST_END) break;
    HWND other = as_hwnd(handle);
    if (!handle || other == sender || !IsWindow(other)) continue;
    ViewState* view = nic_window_view(other);
    if (!view || view->top_row <= line) continue;
    SendMessageW(other, WM_VSCROLL, flag ? SB_LINEDOWN : SB_LINEUP, 0);
    view->scroll_max = std::max(0, view->scroll_max + (flag ? 1 : -1));
    set_scroll_range(other, *view, FALSE);
  }
  return nic_window_view(sender);
}

namespace {

// The first window's save question and the save, with nothing freed or closed: 0 when the
// window may go, -1 when it stays. A text that could not be saved keeps its window: nothing
// typed is lost. A read-only file, or one that did not open, is never written over: its text
// goes to Save As, and a cancelled or failed Save As keeps the window too.
int ask_before_close_nic(const NicWindow& w) {
  if (!w.saved || !text_differs_from_saved(*w.text, *w.saved)) return 0;
  const int answer = show_message_box(w.hwnd, MSG_SAVE_QUESTION, CAPTION_CONFIRM, MB_YESNOCANCEL);
  if (answer == IDCANCEL) return -1;
  if (answer != IDYES) return 0;
  const bool read_only = (w.view->open_file.flags & OPEN_FILE_READ_ONLY) != 0;
  const DocumentMarks marks = nic_window_marks(w.hwnd);
  const bool untitled = fixed_text(w.view->title) == NEW_MNEMONIC_TITLE;
  if (!untitled && read_only) show_message_box(w.hwnd, MSG_READ_ONLY, w.view->path, MB_OK);
  if (untitled || read_only || marks.not_opened) return command_save_as(w) ? 0 : -1;
  GateVerdict verdict = GateVerdict::WRITE;
  switch (save_text_file(w.hwnd, w.view->path, *w.text, &marks, &verdict)) {
    case SaveResult::SAVED:
      take_saved_copy(w);
      drop_guard(w.hwnd);
      return 0;
    case SaveResult::REFUSED:
      // A file made read-only since it was opened: the text may still go to another name.
      if (is_read_only_refusal(verdict)) return command_save_as(w) ? 0 : -1;
      return -1;
    case SaveResult::CANCELLED:
    case SaveResult::NOT_OPENED:
    case SaveResult::NOT_WRITTEN:
      break;
  }
  return -1;
}

}  // namespace

DocumentMarks nic_window_marks(HWND window) {
  DocumentMarks marks;
  if (const ViewState* view = nic_window_view(window))
    marks.opened_read_only = (view->open_file.flags & OPEN_FILE_READ_ONLY) != 0;
  if (const GuardedWindow* guard = guard_of(window)) {
    if (guard->guard == SaveGuard::SAVE_AS_ONLY) marks.not_opened = true;
    if (guard->guard == SaveGuard::ASK_FIRST) marks.cut_lines = guard->lines;
  }
  return marks;
}

namespace {

// A further window, or a new document that is not the first: it cannot be saved, so text
// typed into it is asked about before it is dropped. 0 when the window may go, -1 when it
// stays.
int confirm_drop_further(const NicWindow& w) {
  const SavedText* kept = w.saved != nullptr ? w.saved : further_copy_of(w.hwnd);
  if (kept == nullptr || !text_differs_from_saved(*w.text, *kept)) return 0;
  return show_message_box(w.hwnd, MSG_DROP_QUESTION, CAPTION_CONFIRM, MB_OKCANCEL) == IDOK ? 0 : -1;
}

}  // namespace

int close_nic_document(HWND window) {
  const NicWindow w = window_data(window);
  if (!w.text || !w.view) return 0;
  if (ask_before_close_nic(w) != 0) return -1;
  // A further window that keeps its typed text keeps the first window open too.
  if (g_mnemonic_window_count > 1 && !close_listed_windows(g_mnemonic_windows, g_mnemonic_window_count - 1))
    return -1;
  free_saved_copy(window);
  g_mnemonic_window_count = 0;
  close_dialog_slots_0_and_1();
  return 0;
}

LRESULT CALLBACK nic_window_proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == WM_CREATE) return create_window(window, lparam);
  const NicWindow w = window_data(window);
  if (message == WM_DESTROY || message == WM_NCDESTROY) {
    if (message == WM_DESTROY) destroy_window(window);
    return DefMDIChildProcW(window, message, wparam, lparam);
  }
  if (!w.view || !w.text) return DefMDIChildProcW(window, message, wparam, lparam);
  name_document(w);
  switch (message) {
    case WM_SIZE:
      g_nic_client_height = HIWORD(lparam);
      apply_effects(w, lay_out_text(*w.text, *w.view, metrics(), LOWORD(lparam), HIWORD(lparam)));
      break;
    case WM_SETFOCUS:
      CreateCaret(window, nullptr, g_text_char_width, std::max(1, g_text_line_height / 4));
      place_caret(window, *w.view);
      ShowCaret(window);
      break;
    case WM_KILLFOCUS:
      HideCaret(window);
      DestroyCaret();
      break;
    case WM_MDIACTIVATE:
      if (reinterpret_cast<HWND>(lparam) == window)
        activate_window(w, true);
      else if (reinterpret_cast<HWND>(wparam) == window)
        activate_window(w, false);
      break;
    case WM_QUERYENDSESSION:
      // The session may end when the first window's text is saved or may go; unlike a
      // close, the question frees nothing and closes nothing: a window whose session goes
      // on keeps its text, its saved copy and the other windows.
      return !is_first_window(window) || ask_before_close_nic(w) == 0 ? TRUE : FALSE;
    case WM_CLOSE: {
      if (is_first_window(window)) {
        if (w.saved) {
          if (close_nic_document(window) != 0) return -1;
        } else {
          if (g_mnemonic_window_count > 1 && !close_listed_windows(g_mnemonic_windows, g_mnemonic_window_count - 1))
            return -1;
          g_mnemonic_window_count = 0;
        }
        // The numbering restarts only when the first window really goes.
        g_mnemonic_doc_counter = 0;
      } else if (confirm_drop_further(w) != 0) {
        return -1;
      }
      break;
    }
    case WM_COMMAND:
      return command(w, wparam, lparam);
    case WM_KEYDOWN: {
      MnemonicKey key;
      if (!key_of(wparam, key)) break;
      apply_effects(w, press_key(*w.text, *w.view, key, shift_key_down()));
      return 0;
    }
    case WM_CHAR:
      type_characters(w, wparam, lparam);
      return 0;
    case WM_LBUTTONDOWN:
      left_button_down(w, lparam);
      return 0;
    case WM_LBUTTONUP:
      g_mnemonic_drag_enabled = 1;
      return 0;
    case WM_MOUSEMOVE:
      if (wparam & MK_LBUTTON) apply_effects(w, drag_text(*w.text, *w.view, metrics(), static_cast<short>(HIWORD(lparam))));
      return 0;
    case WM_MOUSEWHEEL:
      scroll(w, GET_WHEEL_DELTA_WPARAM(wparam) > 0 ? ScrollRequest::LINE_UP : ScrollRequest::LINE_DOWN, 0);
      return 0;
    case WM_VSCROLL:
      scroll(w, scroll_request(LOWORD(wparam)), HIWORD(wparam));
      return 0;
    case WM_RBUTTONDOWN:
      open_popup_menu(w, lparam);
      return 0;
    case WM_PAINT:
      paint_window(w);
      return 0;
    default:
      break;
  }
  return DefMDIChildProcW(window, message, wparam, lparam);
}
