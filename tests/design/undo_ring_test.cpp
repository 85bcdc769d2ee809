// The undo rings: sequences of edits, undos and redos against the document they leave,
// the same table for the design grid and the mnemonic text; then the bounds of a snapshot.
#include "design/undo_ring.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "core/mnemonic_text.h"

namespace {

// A design whose edits are numbered: `length` program rows, each holding the number of the
// edit that wrote it (cell 0 word 1 and its comment text), the END row and the end mark.
// The rows after the end mark keep whatever they held.
struct DesignDoc {
  LadderGrid grid = make_ladder_grid(64);
  // A snapshot runs through the end mark: the program rows, the END row and the end mark.
  static int first_push_rows(int length) { return length + 2; }
  void write(int edit, int length) {
    for (int r = 0; r < length; ++r) {
      LadderRow& row = grid[static_cast<size_t>(r)];
      row = LadderRow{};
      row.cell[0].word[0] = CellWord::CONTACT_BASE | PartCode::RELAY_A << 4;
      row.cell[0].word[1] = static_cast<uint32_t>(edit);
      std::snprintf(row.text[0], CELL_TEXT_SIZE, "edit %d", edit);
    }
    grid[static_cast<size_t>(length)] = LadderRow{};
    make_new_end_row(grid[static_cast<size_t>(length)]);
    make_end_mark_row(grid[static_cast<size_t>(length) + 1]);
  }
  int edit_shown() const { return static_cast<int>(grid[0].cell[0].word[1]); }
  int end_at() const { return find_end_mark_row(grid) - 1; }  // the END row
  // The edit number held by a row (after the end mark: what an earlier program left there).
  int row_edit(int r) const { return static_cast<int>(grid[static_cast<size_t>(r)].cell[0].word[1]); }
  void reset() { reset_design_undo(); }
  int push() { return push_design_undo(grid); }
  int undo() { return undo_design(grid); }
  int redo() { return redo_design(grid); }
};

// The same as a mnemonic text: `length` lines "LD X<edit>", then the end line.
struct MnemonicDoc {
  MnemonicText text = make_mnemonic_text(64);
  // A snapshot runs through the end line.
  static int first_push_rows(int length) { return length + 1; }
  void write(int edit, int length) {
    for (int i = 0; i < length; ++i) {
      MnemonicLine& line = text[static_cast<size_t>(i)];
      line = MnemonicLine{};
      set_line_statement(line, "LD X" + std::to_string(edit));
      set_line_comment(line, "; edit " + std::to_string(edit));
    }
    text[static_cast<size_t>(length)] = MnemonicLine{};
    set_end_line(text[static_cast<size_t>(length)]);
  }
  int line_edit(int i) const { return std::stoi(std::string(line_statement(text[static_cast<size_t>(i)]).substr(4))); }
  int edit_shown() const { return line_edit(0); }
  int end_at() const { return count_text_lines(text); }
  int row_edit(int i) const { return line_edit(i); }
  void reset() { reset_mnemonic_undo(); }
  int push() { return push_mnemonic_undo(text); }
  int undo() { return undo_mnemonic(text); }
  int redo() { return redo_mnemonic(text); }
};

// A script of steps, one letter each:
//   n  a new document of 3 rows (edit 0): reset and the first push
//   e  an edit (the next edit number) of the same length, pushed
//   l  an edit that makes the program 4 rows longer, pushed
//   u  undo, r  redo: each appends its result to the results, '0' for 0 and '-' for -1
struct Case {
  const char* what;
  std::string script;
  std::string results;
  int edit_shown;  // the edit the document shows at the end
  int end_at;      // where its END row is
  int after_end_row = -1, after_end_edit = 0;  // a row after the end mark and what it keeps
};

std::string times(int n, char c) { return std::string(static_cast<size_t>(n), c); }

const Case CASES[] = {
    {"20 edits: 15 undos, the 16th refused, the document after the 5th edit", "n" + times(20, 'e') + times(16, 'u'),
     times(15, '0') + "-", 5, 3},
    {"undo twice, then edit: nothing to redo", "neeeuuer", "00-", 4, 3},
    {"undo then redo gives the document back", "neeur", "00", 2, 3},
    {"undo and redo of a new document are refused", "nur", "--", 0, 3},
    {"redo stops where the pushes ended", "neeeuuurrrr", "000000-", 3, 3},
    {"after a full turn the oldest snapshots are gone", "n" + times(17, 'e') + times(16, 'u') + times(15, 'r') + "r",
     times(15, '0') + "-" + times(15, '0') + "-", 17, 3},
    {"an undo to a shorter program leaves the rows after its end mark", "nlu", "0", 0, 3, 5, 1},
    {"a redo to the longer program restores it whole", "nlur", "00", 1, 7},
    {"a new document forgets the old one's snapshots", "neeenu", "-", 0, 3},
};

template <typename Doc>
void run_cases() {
  for (const Case& c : CASES) {
    SCOPED_TRACE(c.what);
    Doc doc;
    int edit = 0;
    int length = 3;
    std::string results;
    for (char step : c.script) {
      switch (step) {
        case 'n':
          edit = 0;
          length = 3;
          doc.reset();
          doc.write(edit, length);
          EXPECT_EQ(doc.push(), Doc::first_push_rows(length));
          break;
        case 'e':
        case 'l':
          if (step == 'l') length += 4;
          doc.write(++edit, length);
          doc.push();
          break;
        case 'u': results += doc.undo() == 0 ? '0' : '-'; break;
        case 'r': results += doc.redo() == 0 ? '0' : '-'; break;
      }
    }
    EXPECT_EQ(results, c.results);
    EXPECT_EQ(doc.edit_shown(), c.edit_shown);
    EXPECT_EQ(doc.end_at(), c.end_at);
    if (c.after_end_row >= 0) {
      EXPECT_EQ(doc.row_edit(c.after_end_row), c.after_end_edit);
    }
  }
}

TEST(UndoRing, DesignEditsUndosAndRedos) { run_cases<DesignDoc>(); }
TEST(UndoRing, MnemonicEditsUndosAndRedos) { run_cases<MnemonicDoc>(); }

TEST(UndoRing, OnlyTheDocumentPartsAreRestored) {
  DesignDoc doc;
  doc.reset();
  doc.write(0, 3);
  doc.push();
  doc.write(1, 3);
  std::snprintf(doc.grid[2].row_text(), ROW_TEXT_SIZE, "%1500s|", "a comment row's text");
  doc.push();
  doc.write(2, 3);
  doc.push();
  doc.grid[1].cell[4].word[2] = 0x11;  // monitor state
  doc.grid[1].cell[4].word[3] = 0x22;  // value mark
  doc.grid[1].selected = 1;
  doc.grid[1].source_position = 77;
  ASSERT_EQ(doc.undo(), 0);
  EXPECT_EQ(doc.edit_shown(), 1);
  EXPECT_EQ(doc.grid[1].cell[4].word[2], 0x11u);
  EXPECT_EQ(doc.grid[1].cell[4].word[3], 0x22u);
  EXPECT_EQ(doc.grid[1].selected, 1);
  EXPECT_EQ(doc.grid[1].source_position, 77);
  EXPECT_EQ(std::strlen(doc.grid[2].row_text()), 1501u);  // the whole 1600-byte text area came back

  MnemonicDoc text;
  text.reset();
  text.write(0, 2);
  text.text[0].flags = LineFlags::HAS_COMMENT;
  text.push();
  text.write(1, 2);
  text.push();
  text.text[0].selected = 5;
  ASSERT_EQ(text.undo(), 0);
  EXPECT_EQ(text.edit_shown(), 0);
  EXPECT_EQ(line_statement(text.text[1]), "LD X0\n");
  EXPECT_STREQ(text.text[1].comment, "; edit 0");
  EXPECT_EQ(text.text[0].flags, LineFlags::HAS_COMMENT);
  EXPECT_EQ(text.text[0].selected, 5);
}

// Two texts hold the same lines through the end line: statement, comment and flags, each
// field whole.
bool same_through_end_line(const MnemonicText& a, const MnemonicText& b) {
  const int end = count_text_lines(b);
  if (count_text_lines(a) != end) return false;
  for (int i = 0; i <= end; ++i) {
    const MnemonicLine& x = a[static_cast<size_t>(i)];
    const MnemonicLine& y = b[static_cast<size_t>(i)];
    if (std::memcmp(x.statement, y.statement, STATEMENT_SIZE) != 0 ||
        std::memcmp(x.comment, y.comment, LINE_TRAIL_SIZE) != 0 || x.flags != y.flags)
      return false;
  }
  return true;
}

// Undo through every step the ring holds and redo back to the newest: each gives the text
// its copy holds (copies: the first snapshot's text through the one `text` shows now).
void expect_every_step_back(MnemonicUndoRing& ring, MnemonicText& text, const std::vector<MnemonicText>& copies) {
  for (size_t k = copies.size() - 1; k > 0; --k) {
    ASSERT_EQ(undo(ring, text), 0);
    EXPECT_TRUE(same_through_end_line(text, copies[k - 1])) << "undo to step " << k - 1;
  }
  EXPECT_EQ(undo(ring, text), -1);
  for (size_t k = 1; k < copies.size(); ++k) {
    ASSERT_EQ(redo(ring, text), 0);
    EXPECT_TRUE(same_through_end_line(text, copies[k])) << "redo to step " << k;
  }
  EXPECT_EQ(redo(ring, text), -1);
}

// Every field of every line through the end line comes back whole: bytes after a
// statement's line feed, a comment with zero bytes inside it and one filling its field to
// the last byte, and flags such as COPIED; each step below changes only one of them on one
// line of a long text, as a keystroke or a comment copy does.
TEST(UndoRing, UndoAndRedoGiveEveryLineBackByteForByte) {
  MnemonicText text = make_mnemonic_text(400);
  for (int i = 0; i < 300; ++i) {
    MnemonicLine& line = text[static_cast<size_t>(i)];
    set_line_statement(line, "LD X" + std::to_string(i));
    if (i % 3 == 0) set_line_comment(line, "; pump " + std::to_string(i));
  }
  set_end_line(text[300]);
  text[7].statement[100] = 'q';                          // after the line feed
  std::memcpy(text[8].comment, "a\0\0b", 4);           // zeros inside
  std::memset(text[9].comment, 'c', LINE_TRAIL_SIZE);    // to the field's last byte
  text[10].flags = LineFlags::COPIED | LineFlags::HAS_COMMENT;

  struct Step {
    const char* what;
    void (*edit)(MnemonicText&);
  };
  const Step steps[] = {
      {"a typed character", [](MnemonicText& t) { t[150].statement[4] = 'Y'; }},
      {"a comment copied onto a line", [](MnemonicText& t) {
         set_line_comment(t[200], "; copied");
         t[200].flags |= LineFlags::COPIED | LineFlags::HAS_COMMENT;
       }},
      {"a flag alone", [](MnemonicText& t) { t[10].flags &= ~LineFlags::COPIED; }},
      {"a byte after the line feed", [](MnemonicText& t) { t[7].statement[127] = 'z'; }},
      {"a comment's last byte", [](MnemonicText& t) { t[9].comment[LINE_TRAIL_SIZE - 1] = 0; }},
      {"a zero inside a comment", [](MnemonicText& t) { t[8].comment[1] = 'x'; }},
      {"the last line before the end line", [](MnemonicText& t) { t[299].statement[0] = 'S'; }},
  };
  MnemonicUndoRing ring;
  reset_undo(ring);
  push_undo(ring, text);
  std::vector<MnemonicText> copies{text};
  for (const Step& step : steps) {
    step.edit(text);
    push_undo(ring, text);
    copies.push_back(text);
  }
  expect_every_step_back(ring, text, copies);
}

TEST(UndoRing, SnapshotsStayWithinTheDocument) {
  // Without an end mark the whole grid is the snapshot, and no more.
  LadderGrid grid = make_ladder_grid(30);
  for (auto& row : grid) row.cell[0].word[0] = CellWord::LINE_LINKED;
  grid[29].cell[0].word[1] = 29;
  reset_design_undo();
  EXPECT_EQ(push_design_undo(grid), 30);
  grid[29].cell[0].word[1] = 0;
  push_design_undo(grid);
  // An undo into a smaller grid stops at that grid's end.
  LadderGrid small = make_ladder_grid(10);
  ASSERT_EQ(undo_design(small), 0);
  EXPECT_EQ(small[9].cell[0].word[0], CellWord::LINE_LINKED);
  ASSERT_EQ(redo_design(small), 0);
  ASSERT_EQ(undo_design(grid), 0);
  EXPECT_EQ(grid[29].cell[0].word[1], 29u);

  // A text without an end line: every line of it.
  MnemonicText text = make_mnemonic_text(12);
  reset_mnemonic_undo();
  EXPECT_EQ(push_mnemonic_undo(text), 12);
  EXPECT_EQ(push_mnemonic_undo(ConstTextSpan()), 0);
  EXPECT_EQ(undo_mnemonic(text), 0);
}

TEST(UndoRing, AResetRingOrAReleasedOneRefusesEverything) {
  LadderGrid grid = make_ladder_grid(8);
  make_end_mark_row(grid[3]);
  DesignUndoRing ring;  // as after a reset, with no push yet
  EXPECT_EQ(undo(ring, grid), -1);
  EXPECT_EQ(redo(ring, grid), -1);
  push_undo(ring, grid);
  push_undo(ring, grid);
  push_undo(ring, grid);
  ASSERT_EQ(undo(ring, grid), 0);
  release_undo(ring);
  EXPECT_EQ(undo_ring_bytes(ring), 0u);
  EXPECT_EQ(undo(ring, grid), -1);
  EXPECT_EQ(redo(ring, grid), -1);
  reset_undo(ring);
  EXPECT_EQ(ring.count, -1);
  EXPECT_EQ(ring.index, -1);
}

TEST(UndoRing, ARingHoldsTheRowsInUseNotTheCapacity) {
  DesignDoc full;
  full.grid = make_ladder_grid(MAX_GRID_ROWS);
  DesignDoc exact;
  exact.grid = make_ladder_grid(100);
  DesignUndoRing full_ring, exact_ring;
  for (int i = 0; i < 16; ++i) {
    full.write(i, 98);  // 98 program rows, the END row and the end mark: 100 rows
    exact.write(i, 98);
    EXPECT_EQ(push_undo(full_ring, full.grid), 100);
    EXPECT_EQ(push_undo(exact_ring, exact.grid), 100);
  }
  EXPECT_EQ(undo_ring_bytes(full_ring), undo_ring_bytes(exact_ring));
  EXPECT_LT(undo_ring_bytes(full_ring), 4u << 20);
  // A text that fills its whole area comes back whole.
  full.grid[5].cell[3].word[1] = 0x1234;
  std::snprintf(full.grid[5].row_text(), ROW_TEXT_SIZE, "%1599s", "x");
  full.grid[5].row_text()[1598] = 'y';
  full.grid[5].row_text()[1599] = 'z';  // no NUL left in the area
  push_undo(full_ring, full.grid);
  full.write(99, 98);
  push_undo(full_ring, full.grid);
  ASSERT_EQ(undo(full_ring, full.grid), 0);
  EXPECT_EQ(full.grid[5].cell[3].word[1], 0x1234u);
  EXPECT_EQ(std::string(full.grid[5].row_text(), ROW_TEXT_SIZE), std::string(1598, ' ') + "yz");
}

// A keystroke's snapshot packs the lines it names and shares the rest of the newest one.
// Whatever came between (a write by a reader or a compile, counted; an undo; another
// text) the snapshots must still hold each step whole, as whole copies of the text do.
TEST(UndoRing, LinePushesShareTheRestAndEveryStepComesBackWhole) {
  const auto program = [](int lines) {
    MnemonicText t = make_mnemonic_text(lines + 20);
    for (int i = 0; i < lines; ++i) {
      set_line_statement(t[static_cast<size_t>(i)], "LD X" + std::to_string(i));
      if (i % 4 == 0) set_line_comment(t[static_cast<size_t>(i)], "; in " + std::to_string(i));
    }
    set_end_line(t[static_cast<size_t>(lines)]);
    return t;
  };
  MnemonicText text = program(1000);
  MnemonicText other = program(1000);
  set_line_statement(other[3], "OUT Y3");
  struct Step {
    const char* what;
    int first, last;  // the lines the edit names
    void (*edit)(MnemonicText&);
  };
  const Step steps[] = {
      {"a key in the first chunk", 5, 5, [](MnemonicText& t) { t[5].statement[1] = 'X'; }},
      {"a key in a later chunk", 300, 300, [](MnemonicText& t) { t[300].statement[0] = 'A'; }},
      {"a key on the last line before the end line", 999, 999, [](MnemonicText& t) { t[999].statement[0] = 'B'; }},
      {"a counted write elsewhere, then a key", 600, 600,
       [](MnemonicText& t) {
         set_line_comment(t[500], "; copied");
         t[501].flags = LineFlags::COPIED;
         count_mnemonic_text_write();
         t[600].statement[0] = 'C';
       }},
      {"lines across two chunks", 254, 258, [](MnemonicText& t) {
         for (size_t i = 254; i <= 258; ++i) t[i].statement[0] = 'D';
       }},
      {"a range that reaches the end line is a whole push", 998, 1000, [](MnemonicText& t) {
         set_line_statement(t[1000], "END");
         set_end_line(t[1001]);
       }},
  };
  MnemonicUndoRing ring;
  reset_undo(ring);
  push_undo(ring, text);
  std::vector<MnemonicText> copies{text};
  for (const Step& step : steps) {
    step.edit(text);
    EXPECT_EQ(push_undo_lines(ring, text, step.first, step.last), count_text_lines(text) + 1) << step.what;
    copies.push_back(text);
  }
  // An undo, then a key: the ring no longer vouches for the text it restored.
  ASSERT_EQ(undo(ring, text), 0);
  copies.pop_back();
  text[7].statement[0] = 'E';
  push_undo_lines(ring, text, 7, 7);
  copies.push_back(text);
  // A key named on another text of the same size.
  other[3].statement[0] = 'F';
  push_undo_lines(ring, other, 3, 3);
  copies.push_back(other);
  MnemonicText shown = copies.back();
  expect_every_step_back(ring, shown, copies);
}

// Sixteen snapshots of a long text that differ in one line each hold little more than one.
TEST(UndoRing, SnapshotsThatDifferInALineShareTheirOtherChunks) {
  MnemonicText text = make_mnemonic_text(MAX_TEXT_LINES);
  for (int i = 0; i < MAX_TEXT_LINES - 1; ++i)
    set_line_statement(text[static_cast<size_t>(i)], "LD      X" + std::to_string(i % 4096));
  set_end_line(text[MAX_TEXT_LINES - 1]);
  MnemonicUndoRing lines, whole;
  reset_undo(lines);
  reset_undo(whole);
  push_undo(lines, text);
  push_undo(whole, text);
  const size_t one = undo_ring_bytes(whole);
  for (int k = 0; k < 20; ++k) {
    text[static_cast<size_t>(k * 700)].statement[0] = 'S';
    push_undo_lines(lines, text, k * 700, k * 700);
    push_undo(whole, text);  // a whole push shares the chunks that pack the same
  }
  EXPECT_LT(undo_ring_bytes(lines), one + one / 4);
  EXPECT_LT(undo_ring_bytes(whole), one + one / 4);
}

}  // namespace
