// The range and blank-line modes as a user drives them: clicks, drags and commands on a
// window-less design screen, with the questions answered by a notice recorder. Each case
// checks the ladder after, the words shown and the effects the window would apply.
#include "design/range_commands.h"

#include <gtest/gtest.h>

#include <cstring>

#include "edit_screen.h"
#include "shell/command_ids.h"
#include "shell/menu_states.h"
#include "support/notice_recorder.h"

namespace {

using edit_test::Screen;
using Rows = std::vector<std::string>;

Rows canonical(const Rows& rows) { return ladder_to_text(ladder_from_text(rows)); }

Rows numbered_rows(int count) {
  Rows rows;
  for (int i = 0; i < count; ++i) rows.push_back("X" + std::to_string(i) + " ~ (Y" + std::to_string(i) + ")");
  return rows;
}

EditEffects upper_click(Screen& s, int row, int col, int dx) {
  const int x = col == LABEL_COLUMN ? s.view.left_rail_x / 2 : s.x_of(col, dx);
  return design_left_click(s.grid, s.view, s.context(), x, s.y_of(row) - s.view.row_height / 4, s.highlight);
}

// A screen in the range mode with its own clipboard.
struct RangeScreen : Screen {
  RowEditState state;
  RangeClipboard clip;
  explicit RangeScreen(const Rows& rows, int grid_rows = 40) : Screen(rows, grid_rows) {
    modes().range_mode = true;
    g_clip_valid = 0;
  }
  // A click in the upper half of a cell: the row under the mouse (hover_row) is the row
  // itself there, while the lower half names the boundary below it.
  RowEditEffects click_row(int row, int col = 2) {
    modes().range_submode = state.range_submode;
    const EditEffects e = upper_click(*this, row, col, 50);
    if (e.handoff == RowEditHandoff::RANGE_SELECT) return range_select_click(grid, view, context());
    if (e.handoff == RowEditHandoff::RANGE_PASTE) return range_paste_click(grid, view, context(), clip, nullptr);
    ADD_FAILURE() << "the click was not handed to the range edits";
    return {};
  }
  // Shift+Down as the key sends it: a drag one row below the row under the mouse.
  RowEditEffects shift_down() {
    modes().shift = true;
    const EditEffects key_effects = key(0x28);
    modes().shift = false;
    if (!key_effects.mouse) {
      ADD_FAILURE() << "Shift+Down sent no drag";
      return {};
    }
    return range_drag(grid, view, context(), key_effects.mouse->y, state);
  }
  RowEditEffects command(int id) { return range_command(grid, view, context(), id, state, clip, nullptr); }
};

TEST(RangeCommands, SelectCopyAndPasteBelowAsTheUserDoes) {
  RangeScreen s(numbered_rows(5));
  NoticeRecorder notices;
  s.click_row(1);
  EXPECT_EQ(s.view.sel_col, SELECTION_WHOLE_ROWS);
  s.shift_down();
  s.shift_down();
  EXPECT_EQ(range_row_count(s.grid, s.view), 3);
  const RowEditEffects copy = s.command(CMD_RANGE_COPY);
  EXPECT_TRUE(copy.enable_paste);
  EXPECT_FALSE(copy.edit.changed);
  EXPECT_STREQ(copy.edit.status, RANGE_STATUS_TEXT);
  EXPECT_EQ(s.clip.bounds, (std::array<int32_t, 3>{1, 1, 3}));
  EXPECT_EQ(s.view.range_active, 0);
  for (const LadderRow& row : s.grid) EXPECT_EQ(row.selected, 0);

  s.command(CMD_POPUP_RANGE_PASTE);
  EXPECT_EQ(s.state.range_submode, RangeSubmode::PASTE);
  const RowEditEffects paste = s.click_row(4, 5);
  ASSERT_EQ(notices.notices.size(), 1u);
  EXPECT_EQ(notices.notices[0].text, PASTE_QUESTION);
  EXPECT_EQ(notices.notices[0].caption, ROW_EDIT_CONFIRM_CAPTION);
  EXPECT_TRUE(paste.edit.changed);
  EXPECT_TRUE(paste.set_scroll_range);
  ASSERT_TRUE(paste.edit.sync.has_value());
  EXPECT_EQ(*paste.edit.sync, (SyncViewNotice{5, 0, 30, 11}));
  EXPECT_EQ(s.text(), canonical({"X0 ~ (Y0)", "X1 ~ (Y1)", "X2 ~ (Y2)", "X3 ~ (Y3)", "X1 ~ (Y1)", "X2 ~ (Y2)",
                                 "X3 ~ (Y3)", "X4 ~ (Y4)", "END"}));
  EXPECT_EQ(s.view.cursor_row, 7);
  // The sub-mode stays: a second click pastes again.
  s.click_row(0);
  EXPECT_EQ(s.text().size(), 12u);
}

TEST(RangeCommands, TheDragNeverTakesTheEndRow) {
  RangeScreen s(numbered_rows(3));
  s.click_row(1);
  for (int i = 0; i < 6; ++i) s.shift_down();
  EXPECT_EQ(range_row_count(s.grid, s.view), 2);
  EXPECT_EQ(s.grid[3].selected, 0);  // END
  // Shift+Up shrinks it again, never past its first row.
  s.modes().shift = true;
  for (int i = 0; i < 4; ++i) {
    const EditEffects up = s.key(0x26);
    if (up.mouse) range_drag(s.grid, s.view, s.context(), up.mouse->y, s.state);
  }
  EXPECT_EQ(range_row_count(s.grid, s.view), 1);
}

TEST(RangeCommands, WithoutARangeTheCommandsWarnAndKeepTheirSubmode) {
  struct Case {
    int id;
    const char* message;
    int submode;
  };
  for (const Case& c : {Case{CMD_RANGE_COPY, COPY_WITHOUT_RANGE_MESSAGE, RangeSubmode::COPY},
                        Case{CMD_RANGE_CUT, CUT_WITHOUT_RANGE_MESSAGE, RangeSubmode::CUT},
                        Case{CMD_POPUP_RANGE_DELETE, CUT_WITHOUT_RANGE_MESSAGE, RangeSubmode::REMOVE}}) {
    RangeScreen s(numbered_rows(3));
    NoticeRecorder notices;
    const LadderGrid before = s.grid;
    const RowEditEffects e = s.command(c.id);
    ASSERT_EQ(notices.notices.size(), 1u);
    EXPECT_EQ(notices.notices[0].text, c.message);
    EXPECT_EQ(notices.notices[0].caption, ROW_EDIT_WARNING_CAPTION);
    EXPECT_EQ(s.state.range_submode, c.submode);
    EXPECT_STREQ(e.edit.status, RANGE_STATUS_TEXT);
    EXPECT_FALSE(e.edit.changed);
    EXPECT_EQ(s.text(), ladder_to_text(before));
  }
}

TEST(RangeCommands, CutAndDeleteAskFirst) {
  struct Case {
    int id;
    int answer;
    const char* question;
    Rows after;
    bool copied;
  };
  const Rows all = numbered_rows(4);
  for (const Case& c : {Case{CMD_RANGE_CUT, NoticeAnswer::CANCEL, CUT_QUESTION, numbered_rows(4), false},
                        Case{CMD_RANGE_CUT, NoticeAnswer::OK, CUT_QUESTION, {"X0 ~ (Y0)", "X3 ~ (Y3)"}, true},
                        Case{CMD_RANGE_DELETE, NoticeAnswer::OK, DELETE_QUESTION, {"X0 ~ (Y0)", "X3 ~ (Y3)"}, false}}) {
    RangeScreen s(all);
    NoticeRecorder notices;
    notices.answers = {c.answer};
    s.click_row(1);
    s.shift_down();
    const RowEditEffects e = s.command(c.id);
    ASSERT_EQ(notices.notices.size(), 1u);
    EXPECT_EQ(notices.notices[0].text, c.question);
    EXPECT_EQ(notices.notices[0].style, NoticeStyle::OK_CANCEL);
    Rows expected = c.after;
    expected.push_back("END");
    EXPECT_EQ(s.text(), canonical(expected));
    EXPECT_EQ(e.edit.changed, c.answer == NoticeAnswer::OK);
    EXPECT_EQ(clipboard_holds_design_rows(s.clip), c.copied);
    EXPECT_EQ(s.state.range_submode, RangeSubmode::SELECT);
    for (const LadderRow& row : s.grid) EXPECT_EQ(row.selected, 0);
    if (c.answer == NoticeAnswer::OK) {
      ASSERT_TRUE(e.edit.sync.has_value());
      EXPECT_EQ(*e.edit.sync, (SyncViewNotice{1, 0, 30, 11}));
      EXPECT_TRUE(e.set_scroll_range);
    }
  }
}

TEST(RangeCommands, PasteRefusals) {
  // An empty clipboard, a mnemonic copy alone, a cancelled question, a view of a further
  // file and a grid without room: each says its word (or nothing) and changes nothing.
  struct Case {
    const char* name;
    bool design_rows;
    int answer;
    int view_id;
    int grid_rows;
    std::vector<std::string> texts;
  };
  const std::vector<Case> cases = {
      {"Empty", false, NoticeAnswer::OK, 0, 40, {CLIPBOARD_EMPTY_MESSAGE}},
      {"Cancelled", true, NoticeAnswer::CANCEL, 0, 40, {PASTE_QUESTION}},
      {"FurtherFile", true, NoticeAnswer::OK, 0x10, 40, {PASTE_QUESTION, PASTE_REFERENCE_MESSAGE}},
      {"Full", true, NoticeAnswer::OK, 0, 5, {PASTE_QUESTION, PASTE_FULL_MESSAGE}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    RangeScreen s(numbered_rows(3), c.grid_rows);
    if (c.design_rows) {
      s.click_row(0);
      s.command(CMD_RANGE_COPY);
    } else {
      g_clip_valid = 1;  // as a mnemonic copy leaves it
      s.clip.bounds = {7, 0, 0};
    }
    s.view.view_id = c.view_id;
    s.state.range_submode = RangeSubmode::PASTE;
    const LadderGrid before = s.grid;
    NoticeRecorder notices;
    notices.answers = {c.answer};
    const RowEditEffects e = s.click_row(2);
    std::vector<std::string> texts;
    for (const auto& n : notices.notices) texts.push_back(n.text);
    EXPECT_EQ(texts, std::vector<std::string>(c.texts.begin(), c.texts.end()));
    EXPECT_FALSE(e.edit.changed);
    EXPECT_EQ(std::memcmp(s.grid.data(), before.data(), before.size() * sizeof(LadderRow)), 0);
  }
}

// ---- Blank-line clicks ------------------------------------------------------------------------------

struct BlankCase {
  const char* name;
  Rows before;
  int submode;
  int row;
  int column;  // LABEL_COLUMN: the margin
  int dx;
  Rows after;  // empty: nothing changes
};

class BlankLineClick : public testing::TestWithParam<BlankCase> {};

TEST_P(BlankLineClick, EditsTheRow) {
  const BlankCase& c = GetParam();
  Screen s(c.before);
  s.modes().blank_mode = true;
  s.modes().blank_submode = c.submode;
  const EditEffects click = upper_click(s, c.row, c.column, c.dx);
  ASSERT_EQ(click.handoff, RowEditHandoff::BLANK_LINE);
  const Rows before = s.text();
  NoticeRecorder notices;
  const RowEditEffects e = blank_line_click(s.grid, s.view, s.context(), c.submode, nullptr);
  EXPECT_TRUE(notices.notices.empty());
  if (c.after.empty()) {
    EXPECT_EQ(s.text(), before);
    EXPECT_FALSE(e.edit.changed);
    return;
  }
  EXPECT_EQ(s.text(), canonical(c.after));
  EXPECT_TRUE(e.edit.changed);
  ASSERT_TRUE(e.edit.sync.has_value());
}

INSTANTIATE_TEST_SUITE_P(
    Table, BlankLineClick,
    testing::Values(
        BlankCase{"OpenRow", {"X0 ~ (Y0)", "X1 ~ (Y1)"}, 0, 1, 3, 50, {"X0 ~ (Y0)", "^", "X1 ~ (Y1)", "END"}},
        // In the margin four rows at once, each linked to the rail.
        BlankCase{"OpenFourInTheMargin", {"X0 ~ (Y0)"}, 0, 0, LABEL_COLUMN, 0, {"^", "^", "^", "^", "X0 ~ (Y0)", "END"}},
        BlankCase{"CloseUnderEmptyRow", {"X0 ~ (Y0)", "^", "X1 ~ (Y1)"}, 1, 2, 3, 50, {"X0 ~ (Y0)", "X1 ~ (Y1)", "END"}},
        // The margin closes up to four empty rows and stops at the first refusal.
        BlankCase{"CloseInTheMargin", {"X0 ~ (Y0)", "^", "^", "X1 ~ (Y1)"}, 1, 1, LABEL_COLUMN, 0,
                  {"X0 ~ (Y0)", "X1 ~ (Y1)", "END"}},
        BlankCase{"CloseRefused", {"X0 ~ (Y0)", "X1 ~ (Y1)"}, 1, 1, 3, 50, {}},
        // The right half of a cell means the next column.
        BlankCase{"OpenLeftRightHalf", {"X0 X1 X2 .8 (Y0)"}, 2, 0, 0, 80, {"X0 - X1 X2 .7 (Y0)", "END"}},
        BlankCase{"CloseLeft", {"X0 - X1 X2 ~ (Y0)"}, 3, 0, 2, 20, {"X0 X1 X2 ~ (Y0)", "END"}},
        BlankCase{"MarginShiftDoesNothing", {"X0 X1 .9 (Y0)"}, 2, 0, LABEL_COLUMN, 0, {}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(BlankLineCommands, SubmodeCommandsSwitchTheModeOn) {
  RangeScreen s(numbered_rows(1));
  const RowEditEffects e = s.command(CMD_POPUP_LEFT_CLOSE);
  EXPECT_EQ(s.state.blank_submode, BlankSubmode::CLOSE_LEFT);
  EXPECT_EQ(e.edit.blank_submode, BlankSubmode::CLOSE_LEFT);
  EXPECT_STREQ(e.edit.status, BLANK_STATUS_TEXT);
  EXPECT_EQ(e.status_modes, CMD_BLANK_LINE_MODE);
  EXPECT_FALSE(s.command(1188).edit.handled);
}

TEST(BlankLineCommands, ARowThatWouldNotFitIsRefusedWithAWord) {
  Screen s({"X0 ~ (Y0)"}, 3);
  s.modes().blank_mode = true;
  s.click(0, 3);
  NoticeRecorder notices;
  const RowEditEffects e = blank_line_click(s.grid, s.view, s.context(), BlankSubmode::OPEN_ROW, nullptr);
  ASSERT_EQ(notices.notices.size(), 1u);
  EXPECT_EQ(notices.notices[0].text, BLANK_FULL_MESSAGE);
  EXPECT_FALSE(e.edit.changed);
  EXPECT_EQ(s.text(), canonical({"X0 ~ (Y0)", "END"}));
}

}  // namespace

namespace {

// One clipboard for every window of the run: rows copied in a further file's window are
// pasted into the main file's window; the further window itself takes no paste.
TEST(RangeCommands, RowsCopiedInAFurtherWindowGoIntoTheMainOne) {
  RangeScreen further({"X7 ~ (Y7)", "X8 ~ (Y8)"});
  further.view.view_id = 0x10;
  further.click_row(0);
  further.shift_down();
  further.command(CMD_RANGE_COPY);
  ASSERT_EQ(further.clip.rows.size(), 2u);

  RangeScreen main_view(numbered_rows(2));
  main_view.clip = further.clip;
  g_clip_valid = 1;
  main_view.state.range_submode = RangeSubmode::PASTE;
  NoticeRecorder notices;
  notices.answers = {NoticeAnswer::OK, NoticeAnswer::OK};
  EXPECT_TRUE(main_view.click_row(1).edit.changed);
  EXPECT_EQ(main_view.text(), canonical({"X0 ~ (Y0)", "X7 ~ (Y7)", "X8 ~ (Y8)", "X1 ~ (Y1)", "END"}));

  further.state.range_submode = RangeSubmode::PASTE;
  EXPECT_FALSE(further.click_row(1).edit.changed);
  ASSERT_EQ(notices.notices.size(), 3u);
  EXPECT_EQ(notices.notices[2].text, PASTE_REFERENCE_MESSAGE);
}

}  // namespace
