// Sequences of design edits as a user makes them: tool clicks and function keys at any pixel
// (x = 0, the label margin, the right margin, the END row, comment and special rows), line,
// link and erase drags, the range and blank-line commands, cell text and instructions through
// the number entry's store, device and row comments, the function picker's store, the cursor
// keys, undo and redo, on a design read from the input (a sample design or a small ladder).
//
// After every edit:
// - the grid keeps its invariants (check_grid_invariants);
// - an edit that reports no change changed no byte of the cells or their texts;
// - the repaint it asks for covers every shown cell that changed;
// - undo after it gives the grid back byte for byte, and redo the edited grid;
// - after an edit that changed the grid, the design compile's own road
//   (compile_design_to_files, on a copy, into files of a scratch folder): when the compiler
//   takes the grid, the rebuilt grid is installed sound and both files are written; a
//   refusal of a sound grid the compiler took ("変換した回路に誤りが有る...", a list it cannot
//   draw, a file it cannot write) is a finding. Only the unsupported-branch refusal stands.
//
// A design not sound as read is not edited: it goes through the readers' own checks (it
// writes and reads back to the same words) and the compile's road (which may refuse it, but
// never installs a grid that breaks the rules). A design file of tests/data/designs that the
// reader accepts and the rules refuse is a finding: those files are written as the format
// says.
//
// Input: byte 0 chooses the design:
//   0xFD       a design file of tests/data/designs, named by the bytes up to a NUL (the
//              corpus starts from every one of them);
//   bit 0 set  a design file follows (two length bytes, little-endian, then the file's bytes);
//   otherwise  a new design.
// The rest are the edits, a few bytes each; answers to the questions come from the same bytes.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "core/core_state.h"
#include "core/design_file.h"
#include "core/ladder_compiler.h"
#include "core/notice.h"
#include "design/comment_entry.h"
#include "design/cursor_keys.h"
#include "design/design_edit.h"
#include "design/function_picker.h"
#include "core/grid_invariants.h"
#include "design/line_drawing.h"
#include "design/operand_entry.h"
#include "design/part_placement.h"
#include "design/range_commands.h"
#include "design/row_edits.h"
#include "design/undo_ring.h"
#include "shell/command_ids.h"
#include "shell/compile_chain.h"
#include "shell/mode_flags.h"

namespace {

constexpr int GRID_ROWS = 64;
constexpr int WIDTH = 1300;
constexpr int HEIGHT = 1060;
constexpr int MAX_EDITS = 48;
// A design longer than this gets a few edits only: each edit copies the grid several times
// and compiles it.
constexpr int LONG_DESIGN_ROWS = 512;
constexpr int LONG_DESIGN_EDITS = 3;
constexpr uint8_t NAMED_DESIGN = 0xFD;

struct Bytes {
  const uint8_t* data;
  size_t size;
  size_t at = 0;
  bool done() const { return at >= size; }
  uint8_t next() { return at < size ? data[at++] : 0; }
  int below(int n) { return next() % n; }
};

Bytes* g_bytes = nullptr;

// The edits played so far and the grid before the last one, for the report of a finding.
std::string g_trace;
const LadderGrid* g_before = nullptr;
const LadderGrid* g_after = nullptr;

void print_row(const char* name, const LadderRow& row) {
  std::fprintf(stderr, "  %s:", name);
  for (int c = 0; c < ROW_CELLS; ++c) std::fprintf(stderr, " %X/%X", row.cell[c].word[0], row.cell[c].word[1]);
  std::fprintf(stderr, "\n");
}

[[noreturn]] void finding(const char* what, const std::string& detail, int row = -1) {
  std::fprintf(stderr, "design edit sequence: %s (%s)\nedits: %s\n", what, detail.c_str(), g_trace.c_str());
  if (row >= 0 && g_before != nullptr && g_after != nullptr) {
    print_row("before", (*g_before)[static_cast<size_t>(row)]);
    print_row("after ", (*g_after)[static_cast<size_t>(row)]);
    for (int c = 0; c < ROW_CELLS; ++c)
      if (std::memcmp((*g_before)[static_cast<size_t>(row)].text[c], (*g_after)[static_cast<size_t>(row)].text[c],
                      CELL_TEXT_SIZE) != 0)
        std::fprintf(stderr, "  text %d: [%.40s] -> [%.40s]\n", c, (*g_before)[static_cast<size_t>(row)].text[c],
                     (*g_after)[static_cast<size_t>(row)].text[c]);
  }
  std::abort();
}

// The cells and texts a user sees and a file keeps (the monitor words and range marks are not
// the design).
bool same_design(const LadderRow& a, const LadderRow& b) {
  for (int c = 0; c < ROW_CELLS; ++c)
    if (a.cell[c].word[0] != b.cell[c].word[0] || a.cell[c].word[1] != b.cell[c].word[1]) return false;
  return std::memcmp(a.text, b.text, sizeof a.text) == 0;
}
bool same_design(const LadderGrid& a, const LadderGrid& b, size_t rows) {
  for (size_t r = 0; r < rows && r < a.size(); ++r)
    if (!same_design(a[r], b[r])) return false;
  return true;
}
bool same_design(const LadderGrid& a, const LadderGrid& b) { return same_design(a, b, a.size()); }
// The rows through the end mark: an undo snapshot holds these, the rows after it are no part
// of the design.
size_t design_rows(const LadderGrid& grid) {
  const int mark = find_end_mark(grid);
  return mark < 0 ? grid.size() : static_cast<size_t>(mark) + 1;
}
bool cell_differs(const LadderRow& a, const LadderRow& b, int c) {
  return a.cell[c].word[0] != b.cell[c].word[0] || a.cell[c].word[1] != b.cell[c].word[1] ||
         std::memcmp(a.text[c], b.text[c], CELL_TEXT_SIZE) != 0;
}

struct Session {
  LadderGrid grid = make_ladder_grid(GRID_ROWS);
  ViewState view{};
  KeyContext keys;
  int highlight = 0;
  RowEditState state;
  RangeClipboard clip;
  DesignUndoRing ring;

  EditContext& context() { return keys.edit; }
  DesignModes& modes() { return keys.edit.modes; }
  void use_tool(int tool) {
    modes() = DesignModes{};
    modes().tool = tool;
    modes().line_mode = tool == DesignToolId::LINE;
    modes().erase_mode = tool == DesignToolId::ERASE;
  }
  int x_of(int col) const { return col == LABEL_COLUMN ? view.left_rail_x / 2 : view.left_rail_x + col * view.cell_width + 50; }
  int y_of(int row) const { return view.top_margin + (row - view.top_row) * view.row_height + view.row_height / 2; }
};

// Any pixel of the client, the left edge and the margins included.
int any_x(Bytes& b) { return (b.next() | b.next() << 8) % (WIDTH + 1); }
int any_y(Bytes& b) { return (b.next() | b.next() << 8) % (HEIGHT + 1); }

EditEffects click(Session& s, int x, int y) {
  return design_left_click(s.grid, s.view, s.context(), x, y, s.highlight);
}
// Puts the cursor on a pixel's cell as a click without a tool does.
void select_at(Session& s, int x, int y) {
  const DesignModes modes = s.modes();
  s.use_tool(DesignToolId::NONE);
  click(s, x, y);
  s.modes() = modes;
}

const char* const TEXTS[] = {
    "X0",        "Y1",       "M5",         "T3",       "C2",          "D7",        "K10",       "H1F",
    "T5 K10",    "C2 K3",    "T0 D1",      "MOV D0 D1", "MOVP D0 D1", "DMOV D0 D2", "END",       "FEND",
    "IEND",      "-->>",     "<<--",       "SET M0",   "RST M1",      "PLS M2",    "= D0 K5",   "<> D1 D2",
    "D= D0 D2",  "STEP S5 K3 D1", "ASM K1", "TABL K2",  "P3",          "",          "CJ P3",     "CALL P3",
    "ADD D0 D1 D2", "MC N0 M5", "MCR N0",  "EI",       "DI",          "COM",       "X7FF",      "K99999999",
};
constexpr int TEXT_COUNT = sizeof TEXTS / sizeof TEXTS[0];

// The text as the report shows it (bytes outside printable ASCII as '?').
std::string shown(const std::string& text) {
  std::string out = text;
  for (char& c : out)
    if (c < 0x20 || c > 0x7E) c = '?';
  return out;
}

std::string some_text(Bytes& b) {
  const int pick = b.next();
  if (pick < 200) return TEXTS[pick % TEXT_COUNT];
  std::string text;
  const int n = b.below(16);
  for (int i = 0; i < n; ++i) text.push_back(static_cast<char>(b.next()));
  return text;
}

EntryOptions some_options(Bytes& b) {
  const uint8_t o = b.next();
  EntryOptions options;
  options.change_same_numbers = (o & 1) != 0;
  options.keep_comment = (o & 2) != 0;
  options.number_mode = (o >> 2) % 5;
  options.assign_comment = assign_cell_comment;
  options.file_path = "C:\\ladder\\fuzz.MBS";
  return options;
}

// What an edit asks to repaint; `rows_shown` says the changed cells need not be in a rectangle.
struct Repaint {
  bool whole = false;
  std::vector<PixelRect> rects;
  std::vector<CellCursor> cells;  // a comment store's own list of cells
  bool by_cells = false;
  bool cursor_band = false;  // the row comment's band: the whole cursor row
};

Repaint repaint_of(const EditEffects& e) {
  Repaint r;
  r.whole = e.invalidate_all || e.scrolled || e.scroll_pair != 0;
  r.rects = e.invalidate;
  return r;
}

bool covered(const Repaint& p, const ViewState& view, int row, int col, int cursor_row) {
  if (p.whole) return true;
  if (p.cursor_band) return row == cursor_row;
  if (p.by_cells) {
    for (const CellCursor& c : p.cells)
      if (c.row == row && (c.column == col || (col > OUTPUT_COLUMN && col < LABEL_COLUMN && c.column == OUTPUT_COLUMN)))
        return true;
    return false;
  }
  const int shown = col == LABEL_COLUMN ? LABEL_COLUMN : std::min(col, OUTPUT_COLUMN);
  const int left = shown == LABEL_COLUMN ? 0 : view.left_rail_x + shown * view.cell_width;
  const int right = shown == LABEL_COLUMN ? view.left_rail_x : left + view.cell_width;
  const int top = view.top_margin + (row - view.top_row) * view.row_height;
  for (const PixelRect& r : p.rects)
    if (r.left <= left && r.right >= right && r.top <= top && r.bottom >= top + view.row_height) return true;
  return false;
}

// One edit; returns its repaint and whether it says it changed the grid.
struct Outcome {
  bool changed = false;
  Repaint repaint;
  bool checked_repaint = true;
};

Outcome row_edit_outcome(const RowEditEffects& e) {
  Outcome o;
  o.changed = e.edit.changed;
  o.repaint = repaint_of(e.edit);
  if (e.set_scroll_range || !e.resync_rows.empty()) o.repaint.whole = true;
  return o;
}

Outcome hand_over(Session& s, const EditEffects& e, Bytes& b) {
  Outcome o;
  o.changed = e.changed;
  o.repaint = repaint_of(e);
  switch (e.handoff) {
    case RowEditHandoff::RANGE_SELECT:
      return row_edit_outcome(range_select_click(s.grid, s.view, s.context()));
    case RowEditHandoff::RANGE_PASTE:
      return row_edit_outcome(range_paste_click(s.grid, s.view, s.context(), s.clip, nullptr));
    case RowEditHandoff::BLANK_LINE:
      return row_edit_outcome(blank_line_click(s.grid, s.view, s.context(), b.below(4), nullptr));
    case RowEditHandoff::NONE:
      break;
  }
  return o;
}

Outcome play_one(Session& s, Bytes& b) {
  Outcome o;
  const int kind = b.below(12);
  g_trace += std::to_string(kind) + " ";
  switch (kind) {
    case 0: {  // a tool click
      static const int TOOLS[] = {DesignToolId::RELAY_A, DesignToolId::RELAY_B, DesignToolId::OUT, DesignToolId::TIM,
                                  DesignToolId::CNT,     DesignToolId::FUNCTION, DesignToolId::LINE, DesignToolId::ERASE,
                                  DesignToolId::NONE,    DesignToolId::NUMBER};
      s.use_tool(TOOLS[b.below(10)]);
      const uint8_t m = b.next();
      s.modes().shift = (m & 1) != 0;
      s.modes().number_mode = (m & 2) != 0;
      s.modes().comment_mode = (m & 4) != 0;
      const int x = any_x(b), y = any_y(b);
      g_trace += "(tool " + std::to_string(s.modes().tool) + " at " + std::to_string(x) + "," + std::to_string(y) + ") ";
      return hand_over(s, click(s, x, y), b);
    }
    case 1: {  // a function key at a cell
      select_at(s, any_x(b), any_y(b));
      static const int KEYS[] = {1089, 1090, 1091, 1092, 1093, 1094, 1095, 1096, 1097, 1099, 1100, 1231};
      const int key = KEYS[b.below(12)];
      g_trace += "(key " + std::to_string(key) + " at " + std::to_string(s.view.cursor_row) + "," +
                 std::to_string(s.view.cursor_col) + ") ";
      const EditEffects e = apply_function_key(s.grid, s.view, s.context(), key);
      o.changed = e.changed;
      o.repaint = repaint_of(e);
      return o;
    }
    case 2: {  // a line, link or erase drag
      s.use_tool(b.next() & 1 ? DesignToolId::ERASE : DesignToolId::LINE);
      EditEffects first = click(s, any_x(b), any_y(b));
      if (first.changed) {
        o.changed = true;
        o.repaint = repaint_of(first);
        return o;
      }
      const EditEffects e = drag_line(s.grid, s.view, s.context(), any_x(b), any_y(b));
      o.changed = e.changed;
      o.repaint = repaint_of(e);
      return o;
    }
    case 3: {  // a cursor key
      static const int KEYS[] = {DesignKey::BACK, DesignKey::SPACE, DesignKey::LEFT,      DesignKey::UP,
                                 DesignKey::RIGHT, DesignKey::DOWN, DesignKey::DELETE_KEY};
      s.modes().shift = (b.next() & 1) != 0;
      const EditEffects e = design_key(s.grid, s.view, s.keys, KEYS[b.below(7)], s.highlight);
      o.changed = e.changed;
      o.repaint = repaint_of(e);
      return o;
    }
    case 4: {  // a range or blank-line command
      static const int COMMANDS[] = {CMD_RANGE_SELECT, CMD_RANGE_COPY, CMD_RANGE_CUT, CMD_RANGE_DELETE,
                                     CMD_RANGE_PASTE,  CMD_BLANK_OPEN, CMD_BLANK_OPEN + 1, CMD_BLANK_OPEN + 2,
                                     CMD_BLANK_OPEN + 3};
      return row_edit_outcome(
          range_command(s.grid, s.view, s.context(), COMMANDS[b.below(9)], s.state, s.clip, nullptr));
    }
    case 5: {  // a range drag
      s.modes() = DesignModes{};
      s.modes().range_mode = true;
      return row_edit_outcome(range_drag(s.grid, s.view, s.context(), any_y(b), s.state));
    }
    case 6: {  // a click in the range or blank-line mode
      s.modes() = DesignModes{};
      if (b.next() & 1) {
        s.modes().range_mode = true;
        s.modes().range_submode = b.next() & 1 ? RANGE_SUBMODE_PASTE : RANGE_SUBMODE_SELECT;
      } else {
        s.modes().blank_mode = true;
      }
      const int x = any_x(b), y = any_y(b);
      return hand_over(s, click(s, x, y), b);
    }
    case 7: {  // text through the number entry's store
      if (b.next() & 1) select_at(s, any_x(b), any_y(b));
      std::string text = some_text(b);
      g_trace += "(typed '" + shown(text) + "' at " + std::to_string(s.view.cursor_row) + "," + std::to_string(s.view.cursor_col) + ") ";
      const EditEffects e = enter_cell_text(s.grid, s.view, text, some_options(b), WIDTH);
      o.changed = e.changed;
      o.repaint = repaint_of(e);
      return o;
    }
    case 8: {  // the function picker's store
      if (b.next() & 1) select_at(s, any_x(b), any_y(b));
      const std::string text = some_text(b);
      g_trace += "(picked '" + shown(text) + "' at " + std::to_string(s.view.cursor_row) + "," + std::to_string(s.view.cursor_col) + ") ";
      if (function_ok_action(text, s.view.sel_col) == FunctionOk::NOTHING) return o;
      const EditEffects e = function_store(s.grid, s.view, text, some_options(b), WIDTH);
      o.changed = e.changed;
      o.repaint = repaint_of(e);
      return o;
    }
    case 9: {  // a device comment, a row comment, or an empty row comment
      if (b.next() & 1) select_at(s, any_x(b), any_y(b));
      const int kind = b.below(3);
      const std::string text = some_text(b) + (b.next() & 1 ? " comment" : "");
      if (kind == 0) {
        const CommentStore store = store_device_comment(s.grid, s.view, text);
        // A cell without a device has its comment cleared (result -1, the cell listed).
        o.changed = store.result == 0 || !store.cells.empty();
        o.repaint.by_cells = true;
        o.repaint.cells = store.cells;
      } else if (kind == 1) {
        o.changed = store_row_comment(s.grid, s.view, text) == 0;
        o.repaint.cursor_band = true;
      } else {
        o.changed = clear_cursor_row(s.grid, s.view);
        o.repaint.cursor_band = true;
      }
      return o;
    }
    case 10: {  // undo or redo as the user asks for them
      const int result = b.next() & 1 ? undo(s.ring, s.grid) : redo(s.ring, s.grid);
      o.changed = result == 0;
      o.repaint.whole = true;
      o.checked_repaint = false;
      return o;
    }
    default: {  // scrolling: the next pixels name other rows
      const int rows = s.view.visible_rows > 0 ? s.view.visible_rows : 1;
      s.view.top_row = std::max(0, std::min(s.view.scroll_max, s.view.top_row + (b.next() & 1 ? rows : -rows)));
      return o;
    }
  }
}

void check_after(Session& s, const LadderGrid& before, const Outcome& o, bool user_undo) {
  const GridFault f = check_grid_invariants(s.grid);
  if (f) finding("the grid breaks an invariant", describe_grid_fault(f), f.row);
  if (user_undo) return;
  if (!o.changed) {
    for (size_t r = 0; r < before.size(); ++r)
      if (!same_design(before[r], s.grid[r]))
        finding("an edit that changed nothing changed the grid", "row " + std::to_string(r), static_cast<int>(r));
    return;
  }
  // Every shown cell that changed is repainted.
  for (int r = 0; r < static_cast<int>(s.grid.size()); ++r) {
    if (r < s.view.top_row || r > s.view.top_row + s.view.visible_rows) continue;
    const LadderRow& old_row = before[static_cast<size_t>(r)];
    const LadderRow& new_row = s.grid[static_cast<size_t>(r)];
    // A comment or text row's text is one buffer painted along the row: a change in any of
    // its slots is repainted with the row's cells.
    const bool row_text = is_comment_row(old_row) || is_text_row(old_row) || is_comment_row(new_row) || is_text_row(new_row);
    for (int c = 0; c < ROW_CELLS; ++c) {
      if (!cell_differs(old_row, new_row, c)) continue;
      if (row_text && old_row.cell[c].word[0] == new_row.cell[c].word[0] &&
          old_row.cell[c].word[1] == new_row.cell[c].word[1]) {
        bool any = false;
        for (int k = 0; k <= OUTPUT_COLUMN && !any; ++k) any = covered(o.repaint, s.view, r, k, s.view.cursor_row);
        if (any) continue;
      }
      if (!covered(o.repaint, s.view, r, c, s.view.cursor_row))
        finding("a changed cell is not repainted", "row " + std::to_string(r) + " column " + std::to_string(c), r);
    }
  }
  // The window takes an undo snapshot; undo gives the old grid back, redo the new one.
  // Kept across calls: a fresh copy of a grid is a large block each time.
  static LadderGrid after;
  after = s.grid;
  push_undo(s.ring, s.grid);
  if (undo(s.ring, s.grid) != 0) finding("no undo after an edit", "");
  if (!same_design(before, s.grid, design_rows(before))) finding("undo does not give the grid back", "");
  if (redo(s.ring, s.grid) != 0) finding("no redo after an undo", "");
  if (!same_design(after, s.grid, design_rows(after))) finding("redo does not give the edit back", "");
  s.grid = after;
}

// Questions during the edits are answered from the input's bytes.
int answer_from_bytes(void*, const char*, const char*, unsigned style) {
  const unsigned buttons = style & 0xF;
  if (buttons == NoticeStyle::OK) return NoticeAnswer::OK;
  const bool yes = g_bytes != nullptr && (g_bytes->next() & 1) != 0;
  if (buttons == NoticeStyle::YES_NO || buttons == NoticeStyle::YES_NO_CANCEL)
    return yes ? NoticeAnswer::YES : NoticeAnswer::NO;
  return yes ? NoticeAnswer::OK : NoticeAnswer::CANCEL;
}

// ---- The design compile's road ------------------------------------------------------------------

// A scratch folder for the project's files, made once (in memory where the system has it).
// It is removed when the fuzzer exits (the path is never freed, so that the exit handler
// can still read it).
const std::string& scratch_folder() {
  static const std::string* const folder = [] {
    const std::filesystem::path base =
        std::filesystem::is_directory("/dev/shm") ? "/dev/shm" : std::filesystem::temp_directory_path();
    std::string pattern = (base / "design_edit_compile_XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr) std::abort();
    auto* path = new std::string(pattern + "/");
    std::atexit([] {
      std::error_code ignored;
      std::filesystem::remove_all(scratch_folder(), ignored);
    });
    return path;
  }();
  return *folder;
}

// The cell words of the grid compiled last in this input: the compile reads no more of a
// design, so a grid that differs only in its texts is not compiled again.
LadderGrid g_compiled;

bool same_words_as_compiled(const LadderGrid& grid) {
  if (g_compiled.size() != grid.size()) return false;
  for (size_t r = 0; r < grid.size(); ++r) {
    for (int c = 0; c < ROW_CELLS; ++c)
      if (grid[r].cell[c].word[0] != g_compiled[r].cell[c].word[0] ||
          grid[r].cell[c].word[1] != g_compiled[r].cell[c].word[1])
        return false;
    if (is_end_mark_row(grid[r])) return true;
  }
  return true;
}

// compile_design_to_files on a copy of `grid`. Its questions (the duplicate output) are
// answered OK, its messages kept, and no input byte is taken, so that the edits after it
// read the bytes they would without it.
void check_compile(const LadderGrid& grid, bool sound) {
  if (same_words_as_compiled(grid)) return;
  g_compiled = grid;
  static LadderGrid copy;
  copy = grid;
  std::string said;
  set_notice_handler([&said](void*, const char* text, const char*, unsigned) {
    said += text;
    said += " / ";
    return NoticeAnswer::OK;
  });
  reset_compiler_state();
  g_file_project_name = "FUZZ";
  CompileRequest request;
  request.grid = copy;
  request.files = project_files("", scratch_folder().c_str(), "FUZZ");
  request.view_path = request.open_path = request.files.design;
  const CompileOutcome outcome = compile_design_to_files(request);
  g_file_project_name = nullptr;
  g_instruction_list = {};
  set_notice_handler(answer_from_bytes);
  // The compiler's own refusals (errors listed, a question cancelled, a structure message).
  if (outcome.compile_result != 0) return;
  if (outcome.step == CompileStep::UNSUPPORTED_BRANCH) return;
  if (outcome.step != CompileStep::WRITTEN) {
    if (!sound) return;  // the compile refuses a design that breaks the rules
    finding("the design compile refuses a sound grid the compiler takes",
            "step " + std::to_string(static_cast<int>(outcome.step)) + ": " + shown(said));
  }
  const GridFault installed = check_grid_invariants(copy);
  if (installed) finding("the design compile installs a grid that breaks an invariant", describe_grid_fault(installed));
  // The saved design reads back as the grid it saved (a special row's cells 13-15 are
  // written as the file format has them, whatever the grid held there).
  static LadderGrid saved;
  saved.assign(copy.size(), LadderRow{});
  std::FILE* in = std::fopen(request.files.design.c_str(), "rb");
  if (in == nullptr) finding("the design compile wrote no design file", request.files.design);
  const int read = read_design_file(saved, in, DESIGN_FILE_STANDALONE);
  std::fclose(in);
  if (read != DESIGN_FILE_OK) finding("the compiled design file does not read back", std::to_string(read));
  const size_t program_rows = static_cast<size_t>(std::max(count_program_rows(copy), 0));
  for (size_t r = 0; r < copy.size(); ++r) {
    const int cells = r < program_rows || is_end_mark_row(copy[r]) ? ROW_CELLS : 13;
    for (int c = 0; c < cells; ++c)
      if (saved[r].cell[c].word[0] != copy[r].cell[c].word[0] || saved[r].cell[c].word[1] != copy[r].cell[c].word[1])
        finding("the compiled design file reads back otherwise", "row " + std::to_string(r));
    if (is_end_mark_row(copy[r])) break;
  }
  if (!std::filesystem::exists(request.files.operation)) finding("the design compile wrote no operation file", "");
}

// ---- A design that is not sound as read -------------------------------------------------------------

// The readers' own checks: the design writes and reads back to the same words (the program
// rows, the special rows it writes, the end mark), and the compile's road takes it or refuses
// it without installing a broken grid.
void check_unsound_design(const LadderGrid& grid) {
  static LadderGrid written;
  written = grid;
  char* buffer = nullptr;
  size_t length = 0;
  std::FILE* out = open_memstream(&buffer, &length);
  if (out == nullptr) return;
  const int result = write_design_file(nullptr, written, nullptr, out, DESIGN_FILE_STANDALONE);
  std::fclose(out);
  if (result == DESIGN_FILE_OK) {
    static LadderGrid back;
    back.assign(grid.size(), LadderRow{});
    std::FILE* in = fmemopen(buffer, length, "rb");
    const int reread = in != nullptr ? read_design_file(back, in, DESIGN_FILE_STANDALONE) : DESIGN_FILE_BAD;
    if (in != nullptr) std::fclose(in);
    if (reread != DESIGN_FILE_OK) finding("a design read and written does not read back", std::to_string(reread));
    const int count = count_program_rows(written);
    for (int r = 0; r < count && r < static_cast<int>(grid.size()); ++r)
      for (int c = 0; c < ROW_CELLS; ++c)
        if (back[r].cell[c].word[0] != written[r].cell[c].word[0] || back[r].cell[c].word[1] != written[r].cell[c].word[1])
          finding("a design read and written reads back otherwise", "row " + std::to_string(r));
  }
  std::free(buffer);
  check_compile(grid, false);
}

// A design file of tests/data/designs named by the bytes up to a NUL; false when the name
// is none of theirs or the file cannot be read.
bool read_named_design(Bytes& b, LadderGrid& grid, int& read) {
  std::string name;
  while (!b.done()) {
    const char c = static_cast<char>(b.next());
    if (c == '\0') break;
    const bool plain = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_' || c == '.';
    if (!plain || name.size() >= 64) return false;
    name.push_back(c);
  }
  if (name.size() < 5 || name.compare(name.size() - 4, 4, ".MBS") != 0) return false;
  const std::string path = std::string(TAVOLIN_TEST_DATA) + "/designs/" + name;
  const auto read_with_rows = [&](int rows) {
    std::FILE* in = std::fopen(path.c_str(), "rb");
    if (in == nullptr) return false;
    grid = make_ladder_grid(rows);
    read = read_design_file(grid, in, DESIGN_FILE_STANDALONE);
    std::fclose(in);
    return true;
  };
  // The grid of a short design, as for a design that follows in the input; a longer one gets
  // the rows it needs and room for the edits after its end mark.
  if (!read_with_rows(GRID_ROWS)) return false;
  if (read == DESIGN_FILE_TOO_LONG || (read == DESIGN_FILE_OK && find_end_mark(grid) < 0)) {
    if (!read_with_rows(MAX_GRID_ROWS)) return false;
    const int mark = find_end_mark(grid);
    if (read == DESIGN_FILE_OK && mark >= 0)
      grid.resize(static_cast<size_t>(std::clamp(mark + GRID_ROWS, GRID_ROWS, MAX_GRID_ROWS)));
  }
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 1) return 0;
  Bytes b{data, size};
  reset_core_state();
  clear_mode_flags();
  static Session* session = nullptr;
  delete session;
  session = new Session;
  Session& s = *session;

  const uint8_t head = b.next();
  bool named = false;
  if (head == NAMED_DESIGN) {
    int read = DESIGN_FILE_BAD;
    if (!read_named_design(b, s.grid, read) || read != DESIGN_FILE_OK) return 0;
    named = true;
  } else if ((head & 1) != 0) {
    const size_t length = b.next() | static_cast<size_t>(b.next()) << 8;
    if (length > size - b.at) return 0;
    std::FILE* in = fmemopen(const_cast<uint8_t*>(data + b.at), length == 0 ? 1 : length, "rb");
    if (in == nullptr) return 0;
    const int read = length == 0 ? DESIGN_FILE_BAD : read_design_file(s.grid, in, DESIGN_FILE_STANDALONE);
    std::fclose(in);
    b.at += length;
    if (read != DESIGN_FILE_OK) return 0;
  } else {
    make_new_end_row(s.grid[0]);
    make_end_mark_row(s.grid[1]);
  }
  g_compiled.clear();
  // Only a sound design is edited; any other goes to the readers' own checks.
  if (const GridFault f = check_grid_invariants(s.grid)) {
    if (named) finding("a design file of tests/data/designs breaks the grid's rules as read", describe_grid_fault(f));
    g_bytes = &b;
    check_unsound_design(s.grid);
    set_notice_handler({});
    g_bytes = nullptr;
    return 0;
  }
  const int edits = find_end_mark(s.grid) > LONG_DESIGN_ROWS ? LONG_DESIGN_EDITS : MAX_EDITS;

  init_view_state(s.view, 0);
  size_ladder_view(s.view, WIDTH, HEIGHT, s.grid);
  s.keys.edit.client_width = WIDTH;
  reset_undo(s.ring);
  push_undo(s.ring, s.grid);

  g_bytes = &b;
  g_trace.clear();
  set_notice_handler(answer_from_bytes);

  for (int edit = 0; edit < edits && !b.done(); ++edit) {
    static LadderGrid before;
    before = s.grid;
    g_before = &before;
    g_after = &s.grid;
    const size_t at = b.at;
    const bool user_undo = at < size && data[at] % 12 == 10;
    const Outcome o = play_one(s, b);
    check_after(s, before, o, user_undo);
    if (o.changed) check_compile(s.grid, true);
  }
  set_notice_handler({});
  g_bytes = nullptr;
  return 0;
}
