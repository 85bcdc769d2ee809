// Edits that once left the grid without a sound program: each case is a ladder, one edit, and
// what the grid must be afterwards (refused edits change no byte; accepted ones keep the
// grid's invariants; the repaint reaches every changed cell).
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "core/core_state.h"
#include "core/ladder_compiler.h"
#include "design/comment_entry.h"
#include "design/function_picker.h"
#include "core/grid_invariants.h"
#include "design/line_drawing.h"
#include "design/operand_entry.h"
#include "design/row_edits.h"
#include "edit_screen.h"
#include "support/design_fixture_files.h"
#include "support/notice_recorder.h"

namespace {

using edit_test::rows_of;
using edit_test::Screen;

bool same_rows(const LadderGrid& a, const LadderGrid& b) {
  return a.size() == b.size() && std::memcmp(a.data(), b.data(), a.size() * sizeof(LadderRow)) == 0;
}

std::string soundness(const LadderGrid& grid) { return describe_grid_fault(check_grid_invariants(grid)); }

// A design with a row of initially-on devices after END, as the design file gives it.
Screen screen_with_special_row() { return Screen(Screen::Design{}, design_fixture::grid_of("initial_on.MBS", 40)); }

struct Typed {
  const char* text;
  int row, col;
  bool picker;  // through the function picker's store instead of the number dialog's
};

// Stores t's text at its cell of the ladder `row`, as the number dialog or the picker does;
// true when the store was refused and changed no byte.
bool refused_unchanged(const char* row, const Typed& t) {
  Screen s(rows_of({row}));
  s.select(t.row, t.col);
  const LadderGrid before = s.grid;
  std::string text = t.text;
  const EditEffects e = t.picker ? function_store(s.grid, s.view, text, EntryOptions{}, edit_test::WIDTH)
                                 : enter_cell_text(s.grid, s.view, text, EntryOptions{}, edit_test::WIDTH);
  return !e.changed && same_rows(s.grid, before);
}

// An instruction typed or picked on the END row's output would replace END.
TEST(EditSoundness, TheEndRowTakesNoInstructionButEnd) {
  const Typed cases[] = {
      {"MOV D0 D1", 1, 11, false}, {"T0 K10", 1, 11, false}, {"-->>", 1, 11, false}, {"FEND", 1, 11, false},
      {"SET M0", 1, 11, true},     {"SET M0", 1, 5, true},   {"T5 K10", 1, 11, true},
  };
  for (const Typed& t : cases) {
    SCOPED_TRACE(std::string(t.text) + (t.picker ? " picked" : " typed") + " at column " + std::to_string(t.col));
    NoticeRecorder notices;
    EXPECT_TRUE(refused_unchanged("X0 ~ (Y0)", t));
    ASSERT_EQ(notices.notices.size(), 1u);
    EXPECT_EQ(notices.notices[0].text, END_ROW_ERASE_MESSAGE);
  }
}

// TIM/CNT entered with the cursor outside columns 10/11 wrote the timer's cells in 10-11 and
// its operands at the cursor, wiping the rest of the row.
TEST(EditSoundness, ATimerAwayFromTheOutputColumnsIsRefused) {
  const Typed cases[] = {{"T5 K10", 0, 1, false}, {"T5 K10", 0, 3, true}, {"C2 K3", 0, 1, true}};
  for (const Typed& t : cases) {
    SCOPED_TRACE(t.text);
    NoticeRecorder notices;
    EXPECT_TRUE(refused_unchanged("X0 {= D0 K5} - (Y0)", t));
  }
}

// Close-left moved a box's first and middle cells one column left, away from its last cell.
TEST(EditSoundness, CloseLeftMovesNoBoxCell) {
  struct Case {
    const char* row;
    int column;
    const char* after;
  } cases[] = {
      {"X0 X1 . X2 ~ [MOV D0 D1]", 3, "X0 X1 X2 ~ [MOV D0 D1]"},
      {"- . X1 ~ [MOV D0 D1]", 2, "- X1 ~ [MOV D0 D1]"},
      {"X0 . X2 ~ [STEP S5 K3 D1]", 2, "X0 X2 ~ [STEP S5 K3 D1]"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.row);
    Screen s(rows_of({c.row}));
    EXPECT_EQ(close_cell_left(s.grid, 0, c.column), 1);
    EXPECT_EQ(s.row_text(0), Screen(rows_of({c.after})).row_text(0));
    EXPECT_EQ(soundness(s.grid), "sound");
  }
}

// Open-left and close-left move each cell's link with it: a link that would land under the
// inside of an element of the row above, or an element moved over a link rising from the
// row below, would run a line through the element. Such a shift is refused; a link that
// lands beside an element still moves.
TEST(EditSoundness, ShiftsMoveNoLinkIntoAnElement) {
  struct Case {
    const char* what;
    std::vector<std::string> rows;
    int row, col;
    bool open;                 // open-left, else close-left
    const char* after;         // the shifted row, nullptr: refused
  } cases[] = {
      {"an OR branch's closing link under a box", rows_of({"X0 X1 ~ [MOV D0 D1]", "^X2 - - - - - - - - ^"}), 1, 1,
       true, nullptr},
      {"a bare link under a text row", rows_of({"X0 ~ (Y0)", "[ASM] | text", ". ^"}), 2, 1, true, nullptr},
      {"a comparison moved right over a link from below",
       rows_of({"X0 {= D0 K5} - - - - - - - (Y0)", "^X1 - - - ^- ~ (Y1)"}), 0, 1, true, nullptr},
      {"a link pulled left under a comparison", rows_of({"X0 {= D0 K5} - - - - - - - (Y0)", "^X1 - - . ^"}), 1, 4,
       false, nullptr},
      {"a comparison pulled left over a link from below",
       rows_of({"X0 - . {= D0 K5} ~ (Y0)", "^X1 - - ^- ~ (Y1)"}), 0, 2, false, nullptr},
      {"a link moved beside a contact", rows_of({"X0 X1 X2 ~ (Y0)", "^X3 ^"}), 1, 1, true, "^X3 - ^"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Screen s(c.rows);
    const LadderGrid before = s.grid;
    const int result = c.open ? open_cell_left(s.grid, c.row, c.col) : close_cell_left(s.grid, c.row, c.col);
    EXPECT_EQ(soundness(s.grid), "sound") << ladder_picture(s.grid);
    if (c.after == nullptr) {
      EXPECT_EQ(result, -1);
      EXPECT_TRUE(same_rows(s.grid, before));
    } else {
      EXPECT_EQ(result, 1);
      std::vector<std::string> expected = c.rows;
      expected[static_cast<size_t>(c.row)] = c.after;
      EXPECT_EQ(s.text(), Screen(expected).text());
    }
  }
}

// A comment row, and a row whose output is FEND or IEND, is compiled alone: the rung below
// starts afresh, and a link rising into such a row joins nothing (a rung held up by one alone
// compiled without an output, which the compile then could not draw). No edit leaves one.
TEST(EditSoundness, NoLinkRisesIntoARowCompiledAlone) {
  constexpr int LINK_KEY = 1231;  // Shift+F11
  struct Case {
    const char* what;
    std::vector<std::string> rows;
    int row, col;
    int edit;  // 0 row comment, 2 picked, 3 Shift+F11
    const char* text;
  } cases[] = {
      {"a row comment over a row an OR branch links into", rows_of({"X0 ~ (Y0)", "^X1 ^"}), 0, 3, 0, "a comment"},
      {"FEND picked on a row an OR branch links into", rows_of({"X0 ~ (Y0)", "^X1 ^"}), 0, 3, 2, "FEND"},
      {"IEND picked on a row an OR branch links into", rows_of({"X0 ~ (Y0)", "^X1 ^"}), 0, 11, 2, "IEND"},
      {"a link key under a comment row", rows_of({"; a comment", "X1 ~ (Y1)"}), 1, 3, 3, ""},
      {"a link key under a FEND row", rows_of({"X0 ~ (Y0)", "X2 ~ [FEND]", "X1 ~ (Y1)"}), 2, 3, 3, ""},
      // Nor does such a row link up: the compiler would take it into the rung above.
      {"a link key on the END row", rows_of({"X0 ~ (Y0)"}), 1, 3, 3, ""},
      {"a link key in the END row's output column", rows_of({"X0 ~ (Y0)"}), 1, 11, 3, ""},
      {"a link key on a FEND row", rows_of({"X0 ~ (Y0)", "X2 ~ [FEND]"}), 1, 3, 3, ""},
      {"FEND picked on an OR branch row", rows_of({"X0 ~ (Y0)", "^X1 ^"}), 1, 3, 2, "FEND"},
      {"END picked on an OR branch row", rows_of({"X0 ~ (Y0)", "^X1 ^"}), 1, 3, 2, "END"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Screen s(c.rows);
    s.select(c.row, c.col);
    const LadderGrid before = s.grid;
    NoticeRecorder notices;
    std::string text = c.text;
    switch (c.edit) {
      case 0:
        EXPECT_EQ(store_row_comment(s.grid, s.view, text), -1);
        break;
      case 2:
        EXPECT_FALSE(function_store(s.grid, s.view, text, EntryOptions{}, edit_test::WIDTH).changed);
        break;
      default:
        EXPECT_FALSE(s.command(LINK_KEY).changed);
        break;
    }
    EXPECT_TRUE(same_rows(s.grid, before));
    EXPECT_EQ(soundness(s.grid), "sound");
  }
  // Rows that come together at a seam: the empty row between a comment row and a row that
  // links up goes, and that row's link goes with it.
  Screen s(rows_of({"; a comment", "", "X1 ^"}));
  EXPECT_EQ(close_blank_row(s.grid, 2, 0, OUTPUT_COLUMN, nullptr), 0);
  EXPECT_EQ(soundness(s.grid), "sound");
  EXPECT_EQ(s.row_text(1), Screen(rows_of({"X1"})).row_text(0));
  // Without a row compiled alone above it, a row comment is stored.
  Screen plain(rows_of({"X0 ~ (Y0)", "X1 ~ (Y1)"}));
  plain.select(0, 3);
  EXPECT_EQ(store_row_comment(plain.grid, plain.view, "a comment"), 0);
  EXPECT_EQ(soundness(plain.grid), "sound");
}

// A click right of the output column can put the cursor in column 12, where the output's
// instruction is kept: Delete there cleared the instruction alone and left a box without
// one (its output would vanish from the compiled program). Cells 12-14 are the output's own:
// Delete takes the output whole.
TEST(EditSoundness, DeleteRightOfTheOutputTakesTheOutputWhole) {
  for (const char* row : {"X0 ~ [MOV K100 D0]", "X0 ~ (T0 K10)", "X0 ~ (Y0)", "X0 ~ [STEP S5 K3 D1]"}) {
    SCOPED_TRACE(row);
    for (int col = 12; col <= 14; ++col) {
      Screen s(rows_of({row, "X1 ~ (Y1)"}));
      s.view.sel_row = s.view.cursor_row = 0;
      s.view.sel_col = s.view.cursor_col = col;
      s.view.sel_width = 0;
      const EditEffects e = s.key(DesignKey::DELETE_KEY);
      EXPECT_TRUE(e.changed) << col;
      EXPECT_EQ(soundness(s.grid), "sound") << col;
      for (int c = OUTPUT_COLUMN; c <= 14; ++c) EXPECT_EQ(s.grid[0].cell[c].word[0] & ~CellFlags::LINK_UP, 0u) << col;
      EXPECT_EQ(s.row_text(1), "X1 - - - - - - - - - - (Y1)");
    }
  }
}

// From a design file with interlock rows: the contact X1 deleted, DI picked as its row's
// output (an instruction that takes no input, so a row of lines may feed it) and a link drawn
// up from it to Y0 in the output column. The grid keeps its rules, and the compiler took it
// as a rung of two parallel rows, one of them lines only: its list began with an OR of
// nothing, which the compile could then not draw ("1番命令（ステップ）付近の..."). The
// compiler now lists the row of lines among parallel rows.
TEST(EditSoundness, ARowOfLinesLinkedIntoARungAtItsOutputIsACompileError) {
  Screen s(Screen::Design{}, design_fixture::grid_of("interlock.MBS", 40));
  s.select(1, 0);
  ASSERT_TRUE(s.key(DesignKey::DELETE_KEY).changed);
  s.select(1, OUTPUT_COLUMN);
  std::string picked = "DI";
  ASSERT_TRUE(function_store(s.grid, s.view, picked, EntryOptions{}, edit_test::WIDTH).changed);
  s.use_tool(DesignToolId::LINE);
  s.click(1, OUTPUT_COLUMN, 20);
  ASSERT_TRUE(s.drag_to(s.x_of(OUTPUT_COLUMN, 20), s.y_of(0)).changed);
  EXPECT_EQ(soundness(s.grid), "sound");
  EXPECT_EQ(s.row_text(1), "^- - - - - - - - - - - ^[DI]");

  reset_compiler_state();
  InstructionList list = make_instruction_list();
  NoticeRecorder notices;
  ASSERT_EQ(compile_ladder(nullptr, s.grid, list, nullptr, 0), CompileResult::ERRORS) << ladder_picture(s.grid);
  ASSERT_EQ(g_conversion_error_count, 1);
  EXPECT_EQ(g_conversion_errors[0], 0x09000001u);  // kind 9, column 0, row 1
}

// END confirmed on the END row itself wiped the special rows after it.
TEST(EditSoundness, EndRetypedOnTheEndRowKeepsTheSpecialRows) {
  Screen s = screen_with_special_row();
  const LadderRow special = s.grid[3];
  ASSERT_EQ(special_row_kind(special), SpecialRow::INITIAL_ON);
  s.select(2, 11);
  NoticeRecorder notices;
  std::string text = "END";
  enter_cell_text(s.grid, s.view, text, EntryOptions{}, edit_test::WIDTH);
  EXPECT_EQ(soundness(s.grid), "sound");
  EXPECT_EQ(std::memcmp(s.grid[3].cell, special.cell, sizeof special.cell), 0);
  EXPECT_TRUE(is_end_mark_row(s.grid[4]));
}

// Row-comment OK with an empty box cleared whatever row the cursor was on.
TEST(EditSoundness, AnEmptyRowCommentClearsOnlyARowBeforeEnd) {
  struct Case {
    int row;
    bool cleared;
  } cases[] = {{1, true}, {2, false}, {3, false}, {4, false}};  // rung, END, special row, end mark
  for (const Case& c : cases) {
    SCOPED_TRACE(c.row);
    Screen s = screen_with_special_row();
    s.view.cursor_row = c.row;
    const LadderGrid before = s.grid;
    EXPECT_EQ(clear_cursor_row(s.grid, s.view), c.cleared);
    EXPECT_EQ(same_rows(s.grid, before), !c.cleared);
    EXPECT_EQ(soundness(s.grid), "sound");
  }
}

// A click at x = 0 gave column -1, and the line and erase tools read the cell before the row.
TEST(EditSoundness, AClickAtTheLeftEdgeIsInTheLabelMargin) {
  for (int tool : {DesignToolId::LINE, DesignToolId::ERASE, DesignToolId::NONE}) {
    SCOPED_TRACE(tool);
    Screen s(rows_of({"X0 ~ (Y0)", "X1 ~ (Y1)"}));
    s.use_tool(tool);
    const LadderGrid before = s.grid;
    int highlight = 0;
    const EditEffects e = design_left_click(s.grid, s.view, s.context(), 0, s.y_of(1), highlight);
    EXPECT_EQ(s.view.cursor_col, LABEL_COLUMN);
    EXPECT_LT(s.view.click_dx, 0);
    EXPECT_FALSE(e.changed);
    EXPECT_TRUE(same_rows(s.grid, before));
  }
}

// The picker refused a box silently when the cells before it held lines.
TEST(EditSoundness, ThePickerPlacesABoxOverLines) {
  Screen s(rows_of({"X0 ~ (Y0)"}));
  s.select(0, 3);
  NoticeRecorder notices;
  const EditEffects e = function_store(s.grid, s.view, "MOV D0 D1", EntryOptions{}, edit_test::WIDTH);
  EXPECT_TRUE(e.changed);
  EXPECT_EQ(s.row_text(0), Screen(rows_of({"X0 ~ [MOV D0 D1]"})).row_text(0));
  EXPECT_EQ(soundness(s.grid), "sound");
}

// END picked mid-program cut the rows after it but repainted only the cursor's band.
TEST(EditSoundness, EndPickedMidProgramRepaintsTheWholeView) {
  Screen s(rows_of({"X0 ~ (Y0)", "X1 ~ (Y1)", "X2 ~ (Y2)"}));
  s.select(1, 11);
  NoticeRecorder notices;
  const EditEffects e = function_store(s.grid, s.view, "END", EntryOptions{}, edit_test::WIDTH);
  EXPECT_TRUE(e.changed);
  EXPECT_TRUE(e.invalidate_all);
  ASSERT_TRUE(e.sync.has_value());
  EXPECT_EQ(e.sync->count, SYNC_WHOLE_VIEW);
  EXPECT_EQ(soundness(s.grid), "sound");
}

// True when a repaint rectangle of `e` holds the whole of cell (row, col) (cells 12-14 are
// drawn in column 11).
bool repainted(const EditEffects& e, const Screen& s, int row, int col) {
  if (e.invalidate_all) return true;
  const int shown = std::min(col, OUTPUT_COLUMN);
  const int left = col == LABEL_COLUMN ? 0 : s.view.left_rail_x + shown * s.view.cell_width;
  const int right = col == LABEL_COLUMN ? s.view.left_rail_x : left + s.view.cell_width;
  const int top = s.view.top_margin + (row - s.view.top_row) * s.view.row_height;
  for (const PixelRect& r : e.invalidate)
    if (r.left <= left && r.right >= right && r.top <= top && r.bottom >= top + s.view.row_height) return true;
  return false;
}

// The repaint missed cells an output turned into lines when it replaced a wider element.
TEST(EditSoundness, TheRepaintReachesEveryChangedCell) {
  struct Case {
    const char* name;
    const char* row;
    int col;
    int command;       // a function key's command, or 0
    const char* text;  // else typed through the number dialog's store
  } cases[] = {
      {"F7 over a box", "X0 ~ [MOV D0 D1]", 9, 1095, nullptr},
      {"F8 over a wide box", "X0 ~ [STEP S5 K3 D1]", 10, 1096, nullptr},
      {"TIM typed over a box", "X0 ~ [MOV D0 D1]", 11, 0, "T5 K10"},
      {"a box typed over a wider one", "X0 ~ [STEP S5 K3 D1]", 11, 0, "MOV D0 D1"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Screen s(rows_of({c.row}));
    s.select(0, c.col);
    const LadderGrid before = s.grid;
    NoticeRecorder notices;
    std::string text = c.text != nullptr ? c.text : "";
    const EditEffects e =
        c.command != 0 ? s.command(c.command) : enter_cell_text(s.grid, s.view, text, EntryOptions{}, edit_test::WIDTH);
    ASSERT_TRUE(e.changed);
    EXPECT_EQ(soundness(s.grid), "sound");
    for (int col = 0; col < ROW_CELLS; ++col) {
      const LadderCell& a = before[0].cell[col];
      const LadderCell& b = s.grid[0].cell[col];
      if (a.word[0] != b.word[0] || a.word[1] != b.word[1]) {
        EXPECT_TRUE(repainted(e, s, 0, col)) << "column " << col;
      }
    }
  }
}

}  // namespace
