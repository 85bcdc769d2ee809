// The number entry dialog's logic: the next number of a consecutive run over real cells,
// the cells OK leaves alone, the run counter, and the keypad's edits at the caret.
#include "design/number_entry.h"

#include <gtest/gtest.h>

#include "tests/support/ladder_text.h"

namespace {

ViewState cursor_at(int row, int column, int click_dx = 10) {
  ViewState view{};
  view.cursor_row = row;
  view.cursor_col = column;
  view.click_dx = click_dx;
  return view;
}

struct NextCase {
  const char* ladder;  // one row
  int column;
  int click_dx;
  const char* stored;  // the text the store left
  NextNumber::Kind kind;
  const char* next;
};

TEST(NextNumber, FollowsEachLettersRadix) {
  const NextCase cases[] = {
      {"X1F ~ (Y0)", 0, 10, "X1F", NextNumber::READY, "X20"},
      {"M9 ~ (Y0)", 0, 10, "M9", NextNumber::READY, "M10"},
      {"S9 ~ (Y0)", 0, 10, "S9", NextNumber::READY, "SA"},
      {"B0F ~ (Y0)", 0, 10, "B0F", NextNumber::READY, "B10"},
      {"R1 ~ (Y0)", 0, 10, "RFF", NextNumber::READY, "R100"},
      {"T9 ~ (Y0)", 0, 10, "T9", NextNumber::READY, "T10"},
      {"X1 ~ (Y0)", 0, 10, "x9", NextNumber::READY, "xA"},
      // J is stored as group << 8 | step in hexadecimal and shown as group and two digits.
      {"J105 ~ (Y0)", 0, 10, "J105", NextNumber::READY, "J106"},
      {"J110 ~ (Y0)", 0, 10, "J10A", NextNumber::READY, "J111"},
      {"J105 ~ (Y0)", 0, 10, "J1-5", NextNumber::REFUSED, ""},
      // An OUT coil follows the contact rules, also when clicked on its picture.
      {"X0 ~ (Y1F)", 11, 10, "Y1F", NextNumber::READY, "Y20"},
      // P labels stop the run without a message.
      {"X0 ~ (Y0)", 0, 10, "P5", NextNumber::STOP, ""},
      // Boxes: SET, RST, PLS, PLF and SFT count on.
      {"X0 ~ [SET M100]", 11, 10, "SET M100", NextNumber::READY, "SET M101"},
      {"X0 ~ [PLS X0F]", 11, 10, "PLS X0F", NextNumber::READY, "PLS X10"},
      {"X0 ~ [RST Y9]", 11, 10, "RST Y9", NextNumber::READY, "RST YA"},
      {"X0 ~ [MOV D0 D1]", 11, 10, "MOV D0 D1", NextNumber::REFUSED, ""},
      {"X0 ~ (T0 K10)", 11, 10, "T0 K10", NextNumber::REFUSED, ""},
      // A comparison contact clicked on its picture, and a U-marked cell, are refused.
      {"{= D0 K5} ~ (Y0)", 0, 10, "= D0 K5", NextNumber::REFUSED, ""},
      {"@3X0 ~ (Y0)", 0, 10, "X0", NextNumber::REFUSED, ""},
      // Text that names no number.
      {"X0 ~ (Y0)", 0, 10, "M", NextNumber::REFUSED, ""},
      {"X0 ~ (Y0)", 0, 10, "", NextNumber::REFUSED, ""},
  };
  for (const NextCase& c : cases) {
    SCOPED_TRACE(std::string(c.ladder) + " / " + c.stored);
    const LadderGrid grid = ladder_from_text({c.ladder});
    const NextNumber n = next_number(grid, cursor_at(0, c.column, c.click_dx), c.stored);
    EXPECT_EQ(n.kind, c.kind);
    EXPECT_EQ(n.text, c.next);
  }
}

TEST(NextNumber, CursorOutsideTheGridIsRefused) {
  const LadderGrid grid = ladder_from_text({"X0 ~ (Y0)"});
  EXPECT_EQ(next_number(grid, cursor_at(500, 0), "X0").kind, NextNumber::REFUSED);
  EXPECT_EQ(next_number(grid, cursor_at(0, 16), "X0").kind, NextNumber::REFUSED);
}

TEST(NumberStore, LeavesCrossedPartsAloneUnlessUMarked) {
  struct {
    uint32_t word0;
    bool allowed;
  } cases[] = {
      {CellFlags::LINE | CellFlags::PRESENT, false},
      {CellFlags::LINE | CellFlags::PRESENT | CellFlags::U_MARK, true},
      {CellFlags::LINE, true},
      {CellWord::CONTACT_BASE, true},
      {0, true},
  };
  for (const auto& c : cases) EXPECT_EQ(number_store_allowed(c.word0), c.allowed) << std::hex << c.word0;
}

TEST(NumberEntryState, RunsStartWithAModeAndEndWithEndRun) {
  NumberEntryState s;
  s.keep_comment = true;
  s.open();
  EXPECT_EQ(s.mode, NumberEntryMode::NUMBER);
  s.choose_mode(NumberDialogId::MODE_CONSECUTIVE);
  EXPECT_EQ(s.mode, NumberEntryMode::CONSECUTIVE);
  EXPECT_FALSE(s.in_run());
  s.count = 3;
  EXPECT_TRUE(s.in_run());
  EXPECT_FALSE(s.end_run());  // consecutive stays consecutive
  EXPECT_EQ(s.count, 0);
  EXPECT_EQ(s.mode, NumberEntryMode::CONSECUTIVE);

  s.choose_mode(NumberDialogId::MODE_EMPTY);
  s.count = 2;
  EXPECT_TRUE(s.end_run());  // the empty mode goes back to numbering
  EXPECT_EQ(s.mode, NumberEntryMode::NUMBER);
  EXPECT_EQ(s.mode_button, NumberDialogId::MODE_NUMBER);

  s.choose_mode(NumberDialogId::MODE_COPY);
  s.count = 1;
  s.choose_mode(NumberDialogId::MODE_COPY);  // a radio click ends the run too
  EXPECT_EQ(s.count, 0);
  s.close();
  EXPECT_EQ(s.mode, NumberEntryMode::NUMBER);
  EXPECT_TRUE(s.keep_comment);  // the option boxes survive closing

  s.choose_mode(NumberDialogId::MODE_NUMBER);
  s.count = 4;
  EXPECT_FALSE(s.in_run());  // the number mode has no run
  EXPECT_FALSE(s.end_run());
  EXPECT_EQ(s.count, 4);
}

TEST(Keypad, IdsFollowTheCharacterTheyType) {
  EXPECT_EQ(keypad_id_of_char('0'), 1335);
  EXPECT_EQ(keypad_id_of_char('9'), 1344);
  EXPECT_EQ(keypad_id_of_char('A'), 1345);
  EXPECT_EQ(keypad_id_of_char('Y'), 1369);
  for (char c : std::string("0123456789ABCDEFHIJKLMPRSTUVWXY")) EXPECT_EQ(keypad_char_of_id(keypad_id_of_char(c)), c);
  for (int id : {1351, 1358, 1359, 1361, 1370, 1371, 1373, 1374, 1334}) EXPECT_EQ(keypad_char_of_id(id), 0) << id;
}

TEST(Keypad, EditsAtTheCaret) {
  struct Case {
    const char* op;  // i: insert 'Z', b: backspace, d: delete
    std::u16string text;
    int caret;
    std::u16string result;
    int new_caret;
    bool changed;
  };
  const std::u16string long_text(90, u'1');
  const Case cases[] = {
      {"i", u"X10", 1, u"XZ10", 2, true},
      {"i", u"", 0, u"Z", 1, true},
      {"i", u"X10", 3, u"X10Z", 4, true},
      {"b", u"X10", 2, u"X0", 1, true},
      {"b", u"X10", 0, u"X10", 0, false},
      {"d", u"X10", 1, u"X0", 1, true},
      {"d", u"X10", 3, u"X10", 3, false},
      // The caret cannot be found more than 51 places from the start.
      {"i", std::u16string(60, u'1'), 52, std::u16string(60, u'1'), 52, false},
      {"i", std::u16string(60, u'1'), 51, std::u16string(51, u'1') + u"Z" + std::u16string(9, u'1'), 52, true},
      // The text is taken cut to 79 characters.
      {"d", long_text, 0, std::u16string(78, u'1'), 0, true},
  };
  for (const Case& c : cases) {
    const KeypadEdit e = c.op[0] == 'i'   ? keypad_text_insert(c.text, c.caret, u'Z')
                         : c.op[0] == 'b' ? keypad_text_backspace(c.text, c.caret)
                                          : keypad_text_delete(c.text, c.caret);
    EXPECT_EQ(e.text, c.result) << c.op << " at " << c.caret;
    EXPECT_EQ(e.caret, c.new_caret) << c.op << " at " << c.caret;
    EXPECT_EQ(e.changed, c.changed) << c.op << " at " << c.caret;
  }
}

}  // namespace
