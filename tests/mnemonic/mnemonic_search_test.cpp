#include "mnemonic/mnemonic_search.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/mnemonic_lines.h"
#include "support/notice_recorder.h"

namespace {

using Lines = std::vector<std::string>;

MnemonicView view_at(int row, int col) {
  MnemonicView v{};
  v.cursor_row = row;
  v.cursor_col = col;
  v.sel_row = -1;
  v.visible_rows = 10;
  return v;
}

const Lines PROGRAM = {
    "\\AT90S2313",          // 0 header line
    "LD X0 ; start x1",     // 1
    "AND X1",               // 2
    "OUT Y0",               // 3
    "LD x1",                // 4
    "OR M100 ; ld X0",      // 5
    "OUT Y1",               // 6
    "END",                  // 7
};

// ---- words of a line ---------------------------------------------------------------------

TEST(MnemonicWords, NextWordInLine) {
  MnemonicText text = make_text({"LD  X0 ; X1", "", "   ", "AND\tM1", "ソX5 Y1", "OUT Y0"});
  struct Case {
    int line, column;
    int result;
    std::string word;
    int cursor;  // cursor_col afterwards (-9: unchanged)
  };
  const Case cases[] = {
      {0, 0, 2, "LD", 0},    {0, 2, 6, "X0", 4},    {0, 5, 6, "0", 5},  // from inside: the rest
      {0, 6, -1, "", -9},                                                // only a comment follows
      {1, 0, -1, "", -9},                                                // empty line
      {2, 0, 3, "", -9},                                                 // blanks only: the length
      {3, 3, 6, "M1", 4},                                                // a tab separates
      {4, 0, 4, "X5", 2},   // a double-byte character is no word, even with a printable trail byte
      {5, 6, 6, "", -9},    // at the end of the line
  };
  for (const Case& c : cases) {
    MnemonicView v = view_at(0, -9);
    std::string word = "junk";
    EXPECT_EQ(next_word_in_line(text, v, c.line, c.column, word), c.result) << c.line << "," << c.column;
    EXPECT_EQ(word, c.word) << c.line << "," << c.column;
    EXPECT_EQ(v.cursor_col, c.cursor) << c.line << "," << c.column;
  }
}

TEST(MnemonicWords, PreviousWordInLine) {
  MnemonicText text = make_text({"LD X0 Y1 ; c", "", "  AND"});
  struct Case {
    int line, column;
    int result;
    std::string word;
    int cursor;
  };
  const Case cases[] = {
      {0, 7, 5, "Y1", 6},   // inside the last word: the word before ends at 5
      {0, 5, 2, "X0", 3},   // just after X0: X0
      {0, 1, -1, "LD", 0},  // the first word of the line
      {0, 8, 5, "Y1", 6},   // on the blank before ';': the nearest word before
      {0, 10, -1, "", -9},  // inside the comment
      {1, 0, -1, "", -9},   // empty line
      {2, 1, -1, "", -9},   // no word at or before the column
  };
  for (const Case& c : cases) {
    MnemonicView v = view_at(0, -9);
    std::string word;
    EXPECT_EQ(previous_word_in_line(text, v, c.line, c.column, word), c.result) << c.line << "," << c.column;
    EXPECT_EQ(word, c.word) << c.line << "," << c.column;
    EXPECT_EQ(v.cursor_col, c.cursor) << c.line << "," << c.column;
  }
}

// ---- find_word --------------------------------------------------------------------------------

TEST(MnemonicFind, FindsWholeWordsInEveryMode) {
  MnemonicText text = make_text(PROGRAM);
  struct Case {
    const char* name;
    int row, col, mode;
    std::string word;
    int result, line, column;
  };
  const Case cases[] = {
      {"lower case finds LD", 0, 0, SearchMode::DOWN, "ld", WORD_FOUND, 1, 0},
      {"upper case finds x1", 2, 5, SearchMode::DOWN, "X1", WORD_FOUND, 4, 3},  // caret inside X1 passes it
      {"a comment is never searched", 2, 0, SearchMode::DOWN, "X0", WORD_NOT_FOUND, -1, -1},
      {"a part of a word is no match", 0, 0, SearchMode::DOWN, "M10", WORD_NOT_FOUND, -1, -1},
      {"down stops at the end line", 7, 0, SearchMode::DOWN, "LD", WORD_NOT_FOUND, -1, -1},
      {"up from the middle finds a first word", 5, 3, SearchMode::UP, "LD", WORD_FOUND, 4, 0},
      {"up within the line", 3, 6, SearchMode::UP, "OUT", WORD_FOUND, 3, 0},
      {"up passes the word at the caret", 3, 4, SearchMode::UP, "Y0", WORD_NOT_FOUND, -1, -1},
      {"wrap goes round from line 2", 6, 0, SearchMode::DOWN_WRAP, "AND", WORD_FOUND, 2, 0},
      {"wrap never reaches lines 0 and 1", 3, 0, SearchMode::DOWN_WRAP, "X0", WORD_NOT_FOUND, -1, -1},
      {"wrap ends at the caret", 4, 4, SearchMode::DOWN_WRAP, "NONE", WORD_NOT_FOUND, -1, -1},
      {"outputs mode finds nothing", 0, 0, SearchMode::OUTPUTS, "LD", WORD_NOT_FOUND, -1, -1},
      {"instruction mode finds nothing", 0, 0, SearchMode::INSTRUCTION, "LD", WORD_NOT_FOUND, -1, -1},
      {"an empty word finds nothing", 0, 0, SearchMode::DOWN, "", WORD_NOT_FOUND, -1, -1},
  };
  for (const Case& c : cases) {
    MnemonicView v = view_at(c.row, c.col);
    v.sel_row = 3;
    EXPECT_EQ(find_word(text, v, c.word, c.mode), c.result) << c.name;
    EXPECT_EQ(v.sel_row, c.line) << c.name;
    if (c.result == WORD_FOUND) {
      EXPECT_EQ(v.cursor_row, c.line) << c.name;
      EXPECT_EQ(v.cursor_col, c.column) << c.name;
      EXPECT_EQ(v.sel_col, c.column) << c.name;
      EXPECT_EQ(v.sel_width, static_cast<int>(c.word.size())) << c.name;
    }
  }
}

TEST(MnemonicFind, WrapFindsAWordBeforeTheCaretInItsOwnLine) {
  MnemonicText text = make_text({"", "", "LD X0 AND X0", "OUT Y0"});
  MnemonicView v = view_at(2, 7);
  ASSERT_EQ(find_word(text, v, "x0", SearchMode::DOWN_WRAP), WORD_FOUND);
  EXPECT_EQ(v.sel_row, 2);
  EXPECT_EQ(v.sel_col, 10);
  v = view_at(2, 4);  // inside the first X0: passes it, finds the second
  ASSERT_EQ(find_word(text, v, "X0", SearchMode::DOWN_WRAP), WORD_FOUND);
  EXPECT_EQ(v.sel_col, 10);
  v = view_at(3, 0);
  ASSERT_EQ(find_word(text, v, "X0", SearchMode::DOWN_WRAP), WORD_FOUND);
  EXPECT_EQ(v.sel_row, 2);
  EXPECT_EQ(v.sel_col, 3);
}

// ---- search_in_text ------------------------------------------------------------------------------

TEST(MnemonicSearchStep, StepsOnFromTheLastMatchAndScrolls) {
  NoticeRecorder notices;
  Lines lines;
  for (int i = 0; i < 40; ++i) lines.push_back(i % 10 == 3 ? "LD X7" : "AND M1");
  MnemonicText text = make_text(lines);
  MnemonicView v = view_at(0, 0);
  MnemonicEffects e;
  const SearchOwners owners{reinterpret_cast<void*>(0xD1A), reinterpret_cast<void*>(0x111)};
  std::vector<int> found;
  while (search_in_text(text, v, "x7", SearchMode::DOWN, owners, e) == WORD_FOUND) {
    found.push_back(v.sel_row);
    EXPECT_TRUE(e.place_caret);
    EXPECT_TRUE(e.repaint);
    EXPECT_GE(v.sel_row, v.top_row);
    EXPECT_LE(v.sel_row, v.top_row + v.visible_rows);
  }
  EXPECT_EQ(found, (std::vector<int>{3, 13, 23, 33}));
  EXPECT_EQ(v.top_row, 28);  // 33 - 5
  ASSERT_EQ(notices.notices.size(), 1u);
  EXPECT_EQ(notices.notices[0].text, MSG_WORD_NOT_FOUND);
  EXPECT_EQ(notices.notices[0].caption, CAPTION_SEARCH_CONFIRM);
  EXPECT_EQ(notices.notices[0].owner, owners.dialog);
  EXPECT_EQ(v.cursor_row, 33);  // a miss leaves the caret on the last match

  // And back up again.
  found.clear();
  while (search_in_text(text, v, "X7", SearchMode::UP, owners, e) == WORD_FOUND) found.push_back(v.sel_row);
  EXPECT_EQ(found, (std::vector<int>{23, 13, 3}));
}

TEST(MnemonicSearchStep, OutputSearchIsRefusedWithItsMessage) {
  NoticeRecorder notices;
  MnemonicText text = make_text(PROGRAM);
  MnemonicView v = view_at(0, 0);
  MnemonicEffects e;
  EXPECT_EQ(search_in_text(text, v, "Y0", SearchMode::OUTPUTS, {}, e), WORD_NOT_FOUND);
  ASSERT_EQ(notices.notices.size(), 1u);
  EXPECT_EQ(notices.notices[0].text, MSG_OUTPUT_SEARCH_UNSUPPORTED);
  EXPECT_EQ(notices.notices[0].caption, CAPTION_SEARCH_WARNING);
  EXPECT_EQ(v.sel_row, -1);
}

TEST(MnemonicSearchStep, UpAtColumnZeroAndDownAtTheLineEndStayInTheText) {
  NoticeRecorder notices;
  MnemonicText text = make_text({"LD X0", "OUT Y0"});
  MnemonicView v = view_at(0, 0);
  MnemonicEffects e;
  EXPECT_EQ(search_in_text(text, v, "LD", SearchMode::UP, {}, e), WORD_NOT_FOUND);
  EXPECT_EQ(v.cursor_col, 0);
  v = view_at(1, 6);
  EXPECT_EQ(search_in_text(text, v, "Y0", SearchMode::DOWN, {}, e), WORD_NOT_FOUND);
  EXPECT_EQ(v.cursor_col, 6);
  EXPECT_EQ(v.cursor_row, 1);
}

// ---- replace_in_text ---------------------------------------------------------------------------

struct ReplaceCase {
  const char* name;
  Lines lines;
  int row, col, mode;
  std::string old_text, new_text;
  std::vector<int> answers;  // YES 6, NO 7, CANCEL 2
  Lines expected;
  int result;
  std::vector<std::string> messages;  // the notices shown, in order
};

TEST(MnemonicReplace, AsksAtEachMatchAndSplicesTheWord) {
  const std::string Q = MSG_REPLACE_QUESTION, R = MSG_REPLACE_RESTART, N = MSG_NO_WORD_TO_REPLACE;
  const ReplaceCase cases[] = {
      {"equal length, yes to both",
       {"LD X0 ; X0", "AND X1", "OUT x0"}, 0, 0, SearchMode::DOWN, "X0", "y5", {6, 6, 7},
       {"LD Y5 ; X0", "AND X1", "OUT Y5"}, 1, {Q, Q, R}},
      {"no steps on to the next match",
       {"LD X0", "AND X0"}, 0, 0, SearchMode::DOWN, "X0", "X9", {7, 6, 7},
       {"LD X0", "AND X9"}, 1, {Q, Q, R}},
      {"cancel ends at once",
       {"LD X0", "AND X0"}, 0, 0, SearchMode::DOWN, "X0", "X9", {2},
       {"LD X0", "AND X0"}, 0, {Q}},
      {"a longer word keeps the rest of the line",
       {"OUT Y0 K10 ; x", "LD Y0"}, 0, 0, SearchMode::DOWN, "Y0", "M1000", {6, 2},
       {"OUT M1000 K10 ; x", "LD Y0"}, 1, {Q, Q}},
      {"a shorter word leaves no tail",
       {"MOV D100 D2", "END"}, 0, 0, SearchMode::DOWN, "D100", "D1", {6, 7},
       {"MOV D1 D2", "END"}, 1, {Q, R}},
      {"a replacement equal but for case is not offered twice",
       {"LD x0", "OUT Y0"}, 0, 0, SearchMode::DOWN, "X0", "x0", {6, 7},
       {"LD X0", "OUT Y0"}, 1, {Q, R}},
      {"restart from the top finds the words above the caret, column 0 included",
       {"LD X0", "AND X0"}, 0, 4, SearchMode::DOWN, "X0", "X1", {6, 6, 6},
       {"LD X1", "AND X1"}, 1, {Q, R, Q, N}},
      {"restart refused ends",
       {"LD X0"}, 0, 4, SearchMode::DOWN, "X0", "X1", {7},
       {"LD X0"}, 0, {R}},
      {"nothing to replace",
       {"LD X0"}, 0, 0, SearchMode::DOWN, "Y7", "X1", {6},
       {"LD X0"}, 0, {R, N}},
      {"upwards, no then yes",
       {"LD X0", "AND X0", "OUT Y0"}, 2, 0, SearchMode::UP, "X0", "X2", {7, 6, 7},
       {"LD X2", "AND X0", "OUT Y0"}, 1, {Q, Q, R}},
      {"a new text of two words is refused",
       {"LD X0"}, 0, 0, SearchMode::DOWN, "X0", "X1 X2", {}, {"LD X0"}, 0, {MSG_BAD_REPLACEMENT}},
      {"a new text with a comment mark is refused",
       {"LD X0"}, 0, 0, SearchMode::DOWN, "X0", "X1;", {}, {"LD X0"}, 0, {MSG_BAD_REPLACEMENT}},
      {"the end line's word is refused",
       {"LD X0", "OUT Y0"}, 0, 0, SearchMode::DOWN, "LD", "0ffff0", {}, {"LD X0", "OUT Y0"}, 0, {MSG_BAD_REPLACEMENT}},
      {"down with wrap goes round only through the restart question",
       {"LD X0", "AND X0", "OUT Y0"}, 1, 0, SearchMode::DOWN_WRAP, "X0", "x0", {6, 6, 6, 6},
       {"LD X0", "AND X0", "OUT Y0"}, 1, {Q, R, Q, Q, N}},
      {"an empty new text does nothing",
       {"LD X0"}, 0, 0, SearchMode::DOWN, "X0", "", {}, {"LD X0"}, 0, {}},
  };
  for (const ReplaceCase& c : cases) {
    NoticeRecorder notices;
    notices.answers.assign(c.answers.begin(), c.answers.end());
    MnemonicText text = make_text(c.lines);
    MnemonicView v = view_at(c.row, c.col);
    int broadcasts = 0;
    const int result = replace_in_text(text, v, c.old_text, c.new_text, c.mode, {}, [&](const MnemonicEffects& e) {
      if (e.broadcast) ++broadcasts;
    });
    EXPECT_EQ(result, c.result) << c.name;
    EXPECT_EQ(text_statements(text), c.expected) << c.name;
    std::vector<std::string> shown;
    for (const auto& n : notices.notices) shown.push_back(n.text);
    EXPECT_EQ(shown, c.messages) << c.name;
    EXPECT_TRUE(notices.answers.empty()) << c.name;
    EXPECT_GE(broadcasts, c.result) << c.name;
  }
}

TEST(MnemonicReplace, OwnersOfTheMessagesAndTheViewOfEachMatch) {
  NoticeRecorder notices;
  notices.answers = {NoticeAnswer::YES, NoticeAnswer::NO};
  Lines lines(60, "AND M1");
  lines[50] = "LD X0";
  MnemonicText text = make_text(lines);
  MnemonicView v = view_at(0, 0);
  const SearchOwners owners{reinterpret_cast<void*>(0xD1A), reinterpret_cast<void*>(0x111)};
  std::vector<int> tops_when_asked;
  int last_top = -1;
  replace_in_text(text, v, "X0", "X3", SearchMode::DOWN, owners, [&](const MnemonicEffects&) { last_top = v.top_row; });
  ASSERT_EQ(notices.notices.size(), 2u);
  EXPECT_EQ(notices.notices[0].owner, owners.dialog);
  EXPECT_EQ(notices.notices[0].style, NoticeStyle::YES_NO_CANCEL);
  EXPECT_EQ(notices.notices[1].owner, owners.window);
  EXPECT_EQ(notices.notices[1].style, NoticeStyle::YES_NO);
  EXPECT_EQ(last_top, 45);
  EXPECT_EQ(text_statements(text)[50], "LD X3");
}

TEST(MnemonicReplace, AMatchWhoseLineWouldOverflowIsPassedOver) {
  NoticeRecorder notices;
  notices.answers = {NoticeAnswer::YES, NoticeAnswer::NO};
  const std::string long_line = "LD X0 " + std::string(MAX_STATEMENT_CHARS - 6, 'A');
  MnemonicText text = make_text({long_line, "AND X0"});
  MnemonicView v = view_at(0, 0);
  EXPECT_EQ(replace_in_text(text, v, "X0", "X100", SearchMode::DOWN, {}, {}), 1);
  EXPECT_EQ(text_statements(text), (Lines{long_line, "AND X100"}));
  EXPECT_EQ(notices.notices.size(), 2u);
}

// ---- word_at_caret and upper case ----------------------------------------------------------------

TEST(MnemonicCaretWord, TakesTheWholeWordAroundTheCaret) {
  MnemonicText text = make_text({"OUT  T10 K5 ; timer", "ソ"});
  struct Case {
    int row, col;
    int result;
    std::string word;
    int start;
  };
  const Case cases[] = {{0, 6, 0, "T10", 5}, {0, 5, 0, "T10", 5}, {0, 0, 0, "OUT", 0},
                        {0, 4, 0, "", -1},   {0, 12, -1, "", -1}, {0, 15, -1, "", -1},
                        {1, 0, 0, "", -1}};
  for (const Case& c : cases) {
    MnemonicView v = view_at(c.row, c.col);
    std::string word = "junk";
    EXPECT_EQ(word_at_caret(text, v, word), c.result) << c.col;
    EXPECT_EQ(word, c.word) << c.col;
    if (c.start >= 0) {
      EXPECT_EQ(v.cursor_col, c.start);
      EXPECT_EQ(v.sel_col, c.start);
      EXPECT_EQ(v.sel_row, c.row);
      EXPECT_EQ(v.sel_width, static_cast<int>(c.word.size()));
    } else {
      EXPECT_EQ(v.sel_row, -1);
    }
  }
}

TEST(MnemonicCaretWord, UppercaseLeavesDoubleByteCharactersAlone) {
  std::string s = "ld x0 \x83\x61 m";  // a double-byte character whose trail byte is 'a'
  uppercase_in_place(s);
  EXPECT_EQ(s, "LD X0 \x83\x61 M");
}

}  // namespace
