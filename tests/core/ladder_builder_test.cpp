#include "core/ladder_builder.h"
#include "core/core_state.h"

#include <gtest/gtest.h>

#include <cstring>

#include "core/instruction_tables.h"
#include "support/instruction_records.h"
#include "support/ladder_text.h"

using namespace il;

namespace {

constexpr uint32_t LINK = CellFlags::LINK_UP;

uint32_t contact_cell(uint32_t part) { return CellWord::CONTACT_BASE | part << 4; }
uint32_t coil_cell(uint32_t part = PartCode::OUT) { return CellWord::COIL_BASE | part << 4; }

struct Built {
  LadderGrid grid;
  InstructionList list;
  int result;
  uint32_t w0(int row, int col) const { return grid[static_cast<size_t>(row)].cell[col].word[0]; }
  uint32_t w1(int row, int col) const { return grid[static_cast<size_t>(row)].cell[col].word[1]; }
  uint32_t position(int index) const { return list[static_cast<size_t>(index)].word[5]; }
};

Built build(InstructionList list, int rows = 64) {
  Built b{make_ladder_grid(rows), std::move(list), 0};
  b.result = build_ladder_from_instructions(b.grid, b.list);
  return b;
}

class LadderBuilder : public ::testing::Test {
 protected:
  void SetUp() override { reset_core_state(); }
};

TEST_F(LadderBuilder, SeriesContactsDriveACoil) {
  const Built b = build(make_list({ld(X(0)), and_(X(1)), out(Y(0)), end()}));
  ASSERT_EQ(b.result, 0);
  EXPECT_EQ(b.w0(0, 0), contact_cell(1) | LINK);
  EXPECT_EQ(b.w1(0, 0), X(0));
  EXPECT_EQ(b.w0(0, 1), contact_cell(1));
  EXPECT_EQ(b.w1(0, 1), X(1));
  for (int c = 2; c <= 10; ++c) EXPECT_EQ(b.w0(0, c), CellWord::LINE_ONLY) << c;
  EXPECT_EQ(b.w0(0, 11), coil_cell());
  EXPECT_EQ(b.w1(0, 11), Y(0));
  EXPECT_EQ(b.w0(0, 12), 15u);
  EXPECT_TRUE(is_end_row(b.grid[1]));
  EXPECT_EQ(b.w0(1, 0), CellWord::LINE_LINKED);
  EXPECT_TRUE(is_end_mark_row(b.grid[2]));
  EXPECT_EQ(b.position(0), source_position(0, 0));
  EXPECT_EQ(b.position(1), source_position(0, 1));
  EXPECT_EQ(b.position(2), source_position(0, 11));
  EXPECT_EQ(b.position(3), source_position(1, 11));
}

TEST_F(LadderBuilder, OrContactGoesBelowWithRailAndClosingLinks) {
  const Built b = build(make_list({ld(X(0)), or_(X(1)), out(Y(0)), end()}));
  ASSERT_EQ(b.result, 0);
  EXPECT_EQ(b.w0(1, 0), contact_cell(1) | LINK);
  EXPECT_EQ(b.w1(1, 0), X(1));
  EXPECT_EQ(b.w0(1, 1), LINK);  // joins X1's right side to row 0 at boundary 1
  EXPECT_EQ(b.w0(0, 1), CellWord::LINE_ONLY);
  EXPECT_EQ(b.w0(0, 11), coil_cell());
  EXPECT_TRUE(is_end_row(b.grid[2]));
  EXPECT_EQ(b.position(1), source_position(1, 0));
}

TEST_F(LadderBuilder, BranchWithAContactKeepsItsLinkColumn) {
  const Built b = build(make_list({ld(X(0)), mps(), out(Y(0)), mpp(), and_(X(1)), out(Y(1)), end()}));
  ASSERT_EQ(b.result, 0);
  EXPECT_EQ(b.w0(1, 1), contact_cell(1) | LINK);
  EXPECT_EQ(b.w1(1, 1), X(1));
  for (int c = 2; c <= 10; ++c) EXPECT_EQ(b.w0(1, c), CellWord::LINE_ONLY) << c;
  EXPECT_EQ(b.w1(1, 11), Y(1));
  EXPECT_EQ(b.position(1), source_position(0, 1));  // MPS at the branch point
  EXPECT_EQ(b.position(3), source_position(0, 1));  // MPP names the same point
}

TEST_F(LadderBuilder, ParallelOutputLinkMovesNextToTheCoil) {
  const Built b = build(make_list({ld(X(0)), out(Y(0)), out(Y(1)), end()}));
  ASSERT_EQ(b.result, 0);
  for (int c = 1; c <= 10; ++c) EXPECT_EQ(b.w0(0, c), CellWord::LINE_ONLY) << c;
  EXPECT_EQ(b.w0(1, 0), LINK);  // the left rail
  for (int c = 1; c <= 9; ++c) EXPECT_EQ(b.w0(1, c), 0u) << c;
  EXPECT_EQ(b.w0(1, 10), CellWord::LINE_LINKED);
  EXPECT_EQ(b.w1(1, 11), Y(1));
  EXPECT_EQ(b.position(2), source_position(1, 11));
}

TEST_F(LadderBuilder, GapBelowAParallelBlockCloses) {
  // Y1 is first drawn below X1's row, then moved up beside it.
  const Built b = build(make_list({ld(X(0)), or_(X(1)), out(Y(0)), out(Y(1)), end()}));
  ASSERT_EQ(b.result, 0);
  EXPECT_EQ(b.w1(1, 0), X(1));
  EXPECT_EQ(b.w1(1, 11), Y(1));
  EXPECT_TRUE(is_end_row(b.grid[2]));
  EXPECT_TRUE(is_end_mark_row(b.grid[3]));
  EXPECT_EQ(b.position(3), source_position(1, 11));  // OUT Y1 followed its row
  EXPECT_EQ(b.position(4), source_position(2, 11));  // and END its row
  EXPECT_EQ(b.grid[3].cell[1].word[0], END_MARK_CELL);
  for (int c = 0; c < ROW_CELLS; ++c) EXPECT_EQ(b.grid[4].cell[c].word[0], 0u) << c;
}

TEST_F(LadderBuilder, RowWordKeepsTheRecordsFormerPosition) {
  InstructionList list = make_list({ld(X(0)), out(Y(0)), ld(X(1)), out(Y(1)), end()});
  list[0].word[5] = source_position(4, 0);
  list[1].word[5] = source_position(4, 11);
  list[2].word[5] = source_position(7, 0);
  list[3].word[5] = source_position(7, 11);
  const Built b = build(std::move(list));
  ASSERT_EQ(b.result, 0);
  EXPECT_EQ(b.grid[0].source_position, 4);
  EXPECT_EQ(b.grid[1].source_position, 7);
  EXPECT_EQ(b.position(2), source_position(1, 0));
}

TEST_F(LadderBuilder, JmsBeforeMrdMarksTheBranchWithAllFourBits) {
  const Built b = build(make_list({ld(X(0)), mps(), out(Y(0)), jms(9), mrd(), and_(X(1)), out(Y(1)), mpp(), and_(X(2)),
                                   out(Y(2)), end()}));
  ASSERT_EQ(b.result, 0);
  EXPECT_EQ(b.w0(1, 1), CellFlags::U_MARK | contact_cell(1) | LINK);
  EXPECT_EQ(b.w1(1, 1), X(1) | 9u << 16 | 0x100000);  // U9, not U1, and the number-set bit
  EXPECT_EQ(b.w1(2, 1), X(2));
}

std::vector<InstructionRecord> series(int contacts) {
  std::vector<InstructionRecord> r{ld(X(0))};
  for (int k = 1; k < contacts; ++k) r.push_back(and_(X(static_cast<uint32_t>(k))));
  return r;
}

// A branch without contacts: its U point is the first cell of its output, a line, a box
// or the coil itself.
TEST_F(LadderBuilder, UPointOnABranchWithoutContactsKeepsItsMark) {
  std::vector<InstructionRecord> r{ld(X(0)), mps(0), out(Y(0)), jms(12), mrd(0), out(Y(1)), mpp(0), out(Y(2))};
  for (const auto& [contacts, u] : {std::pair{9, 13u}, std::pair{11, 5u}}) {
    for (const InstructionRecord& contact : series(contacts)) r.push_back(contact);
    const InstructionRecord branch_output = contacts == 9 ? box(Instr::MOV, D(0), D(1)) : out(Y(4));
    for (const InstructionRecord& more : {mps(1), out(Y(3)), jms(u), mrd(1), branch_output, mpp(1), out(Y(5))})
      r.push_back(more);
  }
  r.push_back(end());
  const Built b = build(make_list(r));
  ASSERT_EQ(b.result, 0);
  EXPECT_EQ(b.w0(1, 1) & ~0xFFu, CellFlags::U_MARK);  // a line from the branch point
  EXPECT_EQ(b.w1(1, 1), 12u << 16 | 0x100000);
  EXPECT_EQ(b.w0(4, 9), CellFlags::U_MARK | CellWord::BOX_FIRST_CELL | LINK);
  EXPECT_EQ(b.w1(4, 9), 13u << 16 | 0x100000);
  EXPECT_EQ(b.w0(7, 11), CellFlags::U_MARK | coil_cell() | LINK);
  EXPECT_EQ(b.w1(7, 11), Y(4) | 5u << 16 | 0x100000);
}

TEST_F(LadderBuilder, NestedBranchPointsAtTwoColumns) {
  const Built b = build(make_list({ld(X(0)), mps(0, 0), and_(X(1)), mps(0, 1), and_(X(2)), out(Y(0)), mpp(0, 1),
                                   and_(X(3)), out(Y(1)), mpp(0, 0), and_(X(4)), out(Y(2)), end()}));
  ASSERT_EQ(b.result, 0);
  EXPECT_EQ(b.w1(0, 2), X(2));
  EXPECT_EQ(b.w0(1, 2), contact_cell(1) | LINK);  // X3 from the point at column 2
  EXPECT_EQ(b.w1(1, 2), X(3));
  EXPECT_EQ(b.w0(1, 1), LINK);  // the link of column 1 passes row 1 on its way down
  EXPECT_EQ(b.w0(2, 1), contact_cell(1) | LINK);
  EXPECT_EQ(b.w1(2, 1), X(4));
}

TEST_F(LadderBuilder, OrbMergeFillsTheShorterRow) {
  // (X0 X1 | X2) X3: the lower row is shorter and gets the line.
  Built b = build(make_list({ld(X(0)), and_(X(1)), ld(X(2)), orb(), and_(X(3)), out(Y(0)), end()}));
  ASSERT_EQ(b.result, 0);
  EXPECT_EQ(b.w1(1, 0), X(2));
  EXPECT_EQ(b.w0(1, 1), CellWord::LINE_ONLY);
  EXPECT_EQ(b.w0(1, 2), LINK);
  EXPECT_EQ(b.w1(0, 2), X(3));
  // (X0 | X1 X2) X3: the upper row is shorter.
  b = build(make_list({ld(X(0)), ld(X(1)), and_(X(2)), orb(), and_(X(3)), out(Y(0)), end()}));
  ASSERT_EQ(b.result, 0);
  EXPECT_EQ(b.w0(0, 1), CellWord::LINE_ONLY);
  EXPECT_EQ(b.w1(1, 1), X(2));
  EXPECT_EQ(b.w0(1, 2), LINK);
  EXPECT_EQ(b.w1(0, 2), X(3));
}

TEST_F(LadderBuilder, AnbJoinsABlockInSeries) {
  // X0 (X1 | X2): the block starts at column 1 and its lower row links on both sides.
  const Built b = build(make_list({ld(X(0)), ld(X(1)), or_(X(2)), anb(), out(Y(0)), end()}));
  ASSERT_EQ(b.result, 0);
  EXPECT_EQ(b.w1(0, 1), X(1));
  EXPECT_EQ(b.w0(1, 1), contact_cell(1) | LINK);
  EXPECT_EQ(b.w1(1, 1), X(2));
  EXPECT_EQ(b.w0(1, 2), LINK);
  EXPECT_EQ(b.w0(1, 0), LINK);  // the rail reaches the END row
}

TEST_F(LadderBuilder, ContactForms) {
  const Built b = build(make_list({ldi(X(0), 4), and_cmp(Instr::CMP_EQ, D(0), K(5)), andd(3), anid(4),
                                   contact(0x203, Dbit(5), 1), out(Y(0)), end()}));
  ASSERT_EQ(b.result, 0);
  EXPECT_EQ(b.w0(0, 0), contact_cell(4) | LINK);  // limit-switch b-contact
  EXPECT_EQ(b.w0(0, 1), (Instr::CMP_EQ << 4 | 0x1C00 | CellWord::CONTACT_BASE | 0x200000));
  EXPECT_EQ(b.w1(0, 1), D(0));
  EXPECT_EQ(b.w0(0, 2), CellWord::COMPARISON_MIDDLE);
  EXPECT_EQ(b.w1(0, 2), K(5));
  EXPECT_EQ(b.w0(0, 3), CellWord::COMPARISON_LAST);
  EXPECT_EQ(b.w0(0, 4), contact_cell(19));
  EXPECT_EQ(b.w1(0, 4), Dbit(3));
  EXPECT_EQ(b.w0(0, 5), contact_cell(20));
  // A D-form contact that names a relay part code (as typed text gives) is still drawn as one.
  EXPECT_EQ(b.w0(0, 6), contact_cell(19));
  EXPECT_EQ(b.position(1), source_position(0, 1));
  EXPECT_EQ(b.position(2), source_position(0, 4));
}

TEST_F(LadderBuilder, OutputForms) {
  const Built b = build(make_list({ld(X(0)), tim(T(3), 10), ld(X(1)), box(Instr::ADD, D(0), D(1), D(2)), ld(X(2)),
                                   box(Instr::MOV | 0x2000 | 0x100000, K(7), D(4)), end()}));
  ASSERT_EQ(b.result, 0);
  for (int c = 1; c <= 9; ++c) EXPECT_EQ(b.w0(0, c), CellWord::LINE_ONLY) << c;
  EXPECT_EQ(b.w0(0, 10), CellWord::TIMER_COIL_CELL);
  EXPECT_EQ(b.w0(0, 11), coil_cell(PartCode::TIM) | CellFlags::TIMER_OUTPUT | 0x200000);
  EXPECT_EQ(b.w1(0, 11), T(3));
  EXPECT_EQ(b.w0(0, 12), 53u);
  EXPECT_EQ(b.w1(0, 12), K(10));
  EXPECT_EQ(b.w1(0, 13), 0u);  // the part code of word 3 is not an operand
  // ADD: three operand cells, so the box spans columns 8-11.
  for (int c = 1; c <= 7; ++c) EXPECT_EQ(b.w0(1, c), CellWord::LINE_ONLY) << c;
  EXPECT_EQ(b.w0(1, 8), CellWord::BOX_FIRST_CELL);
  EXPECT_EQ(b.w0(1, 9), CellWord::BOX_MIDDLE_CELL);
  EXPECT_EQ(b.w0(1, 10), CellWord::BOX_MIDDLE_CELL);
  EXPECT_EQ(b.w0(1, 11), CellWord::BOX_LAST_CELL);
  EXPECT_EQ(b.w1(1, 11), D(0));
  EXPECT_EQ(b.w1(1, 12), D(1));
  EXPECT_EQ(b.w1(1, 13), D(2));
  EXPECT_EQ(b.w0(1, 12), 98u);
  // MOVP K7 D4: the P form and the constant bit stay with the box.
  EXPECT_EQ(b.w0(2, 9), CellWord::BOX_FIRST_CELL);
  EXPECT_EQ(b.w0(2, 11), CellWord::BOX_LAST_CELL | 0x100000);
  EXPECT_EQ(b.w0(2, 12), 81u | 0x2000);
}

TEST_F(LadderBuilder, RowsWrittenWhole) {
  std::snprintf(g_line_comments[3].data(), LINE_COMMENT_SIZE, "pump control");
  const Built b = build(make_list({comment(3), jme(5), ld(X(0)), out(Y(0)), fend(), plain(0x9000 | Instr::MCR, make_device_operand(Device::N, 1)),
                                   end()}));
  ASSERT_EQ(b.result, 0);
  EXPECT_TRUE(is_comment_row(b.grid[0]));
  EXPECT_EQ(b.w0(0, 0), CellWord::COMMENT_ROW_FIRST);
  EXPECT_EQ(b.w0(0, 10), CellWord::COMMENT_ROW_LINE);
  EXPECT_EQ(b.w0(0, 11), CellWord::COMMENT_ROW_OUTPUT);
  EXPECT_EQ(b.w1(0, 11), 3u);
  EXPECT_EQ(b.w0(0, 12), 32u);
  EXPECT_STREQ(b.grid[0].row_text(), "pump control");
  EXPECT_EQ(b.position(0), source_position(0, 11));
  EXPECT_EQ(b.w0(1, 15), 0x80008000u);  // the row label P5
  EXPECT_EQ(b.w1(1, 15), 0xF1000005u);
  EXPECT_EQ(b.position(1), source_position(1, 15));
  EXPECT_EQ(b.w0(2, 0), CellWord::LINE_LINKED);  // FEND row
  EXPECT_EQ(b.w0(2, 11), 0x40004C08u);
  EXPECT_EQ(b.w0(2, 12), 19u);
  for (int c = 1; c <= 9; ++c) EXPECT_EQ(b.w0(3, c), CellWord::LINE_ONLY) << c;  // MCR row
  EXPECT_EQ(b.w0(3, 10), CellWord::BOX_FIRST_CELL);
  EXPECT_EQ(b.w0(3, 11), CellWord::BOX_LAST_CELL);
  EXPECT_EQ(row_output_code(b.grid[3]), 23u);
  EXPECT_TRUE(is_end_row(b.grid[4]));
}

TEST_F(LadderBuilder, InputlessOutputRowsAreDrawnFromTheRail) {
  // A RET on a line alone is a rung the compiler accepts; it must come back.
  const Built b = build(make_list({ld(X(0)), out(Y(0)), plain(0x9000 | Instr::RET), end()}));
  ASSERT_EQ(b.result, 0);
  EXPECT_EQ(b.w0(1, 0), CellWord::LINE_LINKED);
  for (int c = 1; c <= 10; ++c) EXPECT_EQ(b.w0(1, c), CellWord::LINE_ONLY) << c;
  EXPECT_EQ(b.w0(1, 11), CellWord::BOX_SINGLE_CELL);
  EXPECT_EQ(row_output_code(b.grid[1]), 150u);
}

TEST_F(LadderBuilder, TextRowTextIsBoundedByItsRow) {
  auto& text = g_line_comments[0];
  std::memset(text.data(), 'A', text.size());  // a full entry without its NUL
  const Built b = build(make_list({ld(X(0)), box(Instr::ASM, 0, 0, 0, 0), end()}));
  ASSERT_EQ(b.result, 0);
  EXPECT_TRUE(is_text_row(b.grid[0]));
  EXPECT_EQ(b.w0(0, 1), 0x14040C08u);
  EXPECT_EQ(b.w0(0, 10), CellWord::BOX_MIDDLE_CELL);
  EXPECT_EQ(b.w0(0, 11), 0x1404C408u);
  const char* row_text = b.grid[0].text[1];
  EXPECT_EQ(std::strlen(row_text), 1499u);
  EXPECT_EQ(b.grid[0].source_position, 0);
  EXPECT_TRUE(is_end_row(b.grid[1]));
}

// ---- Drawings ------------------------------------------------------------------------------

struct Drawing {
  const char* what;
  std::vector<InstructionRecord> records;
  const char* picture;
};

void PrintTo(const Drawing& d, std::ostream* out) { *out << d.what; }

class LadderBuilderDrawing : public LadderBuilder, public ::testing::WithParamInterface<Drawing> {};

TEST_P(LadderBuilderDrawing, DrawsTheList) {
  const Drawing& c = GetParam();
  std::snprintf(g_line_comments[0].data(), LINE_COMMENT_SIZE, "pump");
  const Built b = build(make_list(c.records));
  ASSERT_EQ(b.result, 0) << c.what;
  EXPECT_EQ(ladder_picture(b.grid), c.picture) << c.what;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, LadderBuilderDrawing,
    ::testing::Values(
        Drawing{"series", {ld(X(0)), ani(X(1)), out(Y(0)), end()},
                "^X0 /X1 - - - - - - - - - (Y0)\n"
                "END\n"},
        Drawing{"a contact in parallel", {ld(X(0)), or_(X(1)), out(Y(0)), end()},
                "^X0 - - - - - - - - - - (Y0)\n"
                "^X1 ^\n"
                "END\n"},
        Drawing{"a block in series, a block in parallel",
                {ld(X(0)), ld(X(1)), or_(X(2)), anb(), ld(X(3)), and_(X(4)), orb(), tim(T(0), 10), end()},
                "^X0 X1 - - - - - - - - (T0 K10)\n"
                "^ ^X2 ^\n"
                "^X3 X4 ^\n"
                "END\n"},
        Drawing{"outputs in parallel: the link moves next to the coil", {ld(X(0)), out(Y(0)), out(Y(1)), end()},
                "^X0 - - - - - - - - - - (Y0)\n"
                "^ . . . . . . . . . ^- (Y1)\n"
                "END\n"},
        Drawing{"a parallel output beside a parallel contact", {ld(X(0)), or_(X(1)), out(Y(0)), out(Y(1)), end()},
                "^X0 - - - - - - - - - - (Y0)\n"
                "^X1 ^- - - - - - - - - - (Y1)\n"
                "END\n"},
        Drawing{"branches with contacts stay at their point",
                {ld(X(0)), mps(), out(Y(0)), mrd(), and_(X(1)), out(Y(1)), mpp(), and_(X(2)), out(Y(2)), end()},
                "^X0 - - - - - - - - - - (Y0)\n"
                "^ ^X1 - - - - - - - - - (Y1)\n"
                "^ ^X2 - - - - - - - - - (Y2)\n"
                "END\n"},
        Drawing{"a U point", {ld(X(0)), mps(), out(Y(0)), jms(9), mrd(), and_(X(1)), out(Y(1)), mpp(), and_(X(2)), out(Y(2)), end()},
                "^X0 - - - - - - - - - - (Y0)\n"
                "^ ^@9X1 - - - - - - - - - (Y1)\n"
                "^ ^X2 - - - - - - - - - (Y2)\n"
                "END\n"},
        Drawing{"a branch group with a U point and its BTONJ keeps its column",
                {ld(X(0)), or_(X(1)), or_(X(2)), mps(), out(Y(0)), jms(9), mrd(), out(Y(1)), mrd(),
                 box(Instr::BTONJ, make_device_operand(Device::U, 9)), mpp(), out(Y(2)), end()},
                "^X0 - - - - - - - - - - (Y0)\n"
                "^X1 ^@9- - - - - - - - - - (Y1)\n"
                "^X2 ^- - - - - - - - - [BTONJ U9]\n"
                "^ ^- - - - - - - - - - (Y2)\n"
                "END\n"},
        Drawing{"branch points at two columns",
                {ld(X(0)), mps(0, 0), and_(X(1)), mps(0, 1), and_(X(2)), out(Y(0)), mpp(0, 1), and_(X(3)), out(Y(1)),
                 mpp(0, 0), and_(X(4)), out(Y(2)), end()},
                "^X0 X1 X2 - - - - - - - - (Y0)\n"
                "^ ^ ^X3 - - - - - - - - (Y1)\n"
                "^ ^X4 - - - - - - - - - (Y2)\n"
                "END\n"},
        Drawing{"rows written whole",
                {comment(0), jme(5), ld(X(0)), box(Instr::ADD, D(0), D(1), D(2)), fend(),
                 plain(0x9000 | Instr::MCR, make_device_operand(Device::N, 1)), end()},
                "; pump\n"
                "P5: ^X0 - - - - - - - [+ D0 D1 D2]\n"
                "^- - - - - - - - - - - [FEND]\n"
                "^- - - - - - - - - - [MCR n1]\n"
                "END\n"}),
    [](const ::testing::TestParamInfo<Drawing>& info) { return std::to_string(info.index); });

// ---- Records that cannot be drawn -----------------------------------------------------------

struct Refusal {
  const char* what;
  std::vector<InstructionRecord> records;
  int position;  // 1-based position of the record reported
};

void PrintTo(const Refusal& r, std::ostream* out) { *out << r.what; }

class LadderBuilderRefusal : public LadderBuilder, public ::testing::WithParamInterface<Refusal> {};

TEST_P(LadderBuilderRefusal, ReportsTheRecordAndWritesInsideTheGrid) {
  const Refusal& c = GetParam();
  Built b = build(make_list(c.records), 16);
  EXPECT_EQ(b.result, BUILD_ERROR_BASE + c.position) << c.what;
}

std::vector<InstructionRecord> deep_nesting(int lds) {
  std::vector<InstructionRecord> r{ld(X(0))};
  for (int k = 1; k < lds; ++k) r.push_back(ld(X(static_cast<uint32_t>(k))));
  for (int k = 1; k < lds; ++k) r.push_back(orb());
  r.push_back(out(Y(0)));
  r.push_back(end());
  return r;
}

std::vector<InstructionRecord> tall_rung(int contacts) {
  std::vector<InstructionRecord> r{ld(X(0))};
  for (int k = 1; k < contacts; ++k) r.push_back(or_(X(static_cast<uint32_t>(k))));
  r.push_back(out(Y(0)));
  r.push_back(end());
  return r;
}

std::vector<InstructionRecord> wide_rung(int contacts, InstructionRecord output) {
  std::vector<InstructionRecord> r{ld(X(0))};
  for (int k = 1; k < contacts; ++k) r.push_back(and_(X(static_cast<uint32_t>(k))));
  r.push_back(output);
  r.push_back(end());
  return r;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, LadderBuilderRefusal,
    ::testing::Values(Refusal{"output first", {out(Y(0)), end()}, 1},
                      Refusal{"ANB with one block", {ld(X(0)), anb(), out(Y(0)), end()}, 2},
                      Refusal{"ORB with one block", {ld(X(0)), and_(X(1)), orb(), out(Y(0)), end()}, 3},
                      Refusal{"AND first", {and_(X(0)), out(Y(0)), end()}, 1},
                      Refusal{"MPS first", {mps(), out(Y(0)), end()}, 1},
                      Refusal{"block never closed", {ld(X(0)), ld(X(1)), out(Y(0)), end()}, 2},
                      Refusal{"output with a block open", {ld(X(0)), ld(X(1)), out(Y(0)), anb(), end()}, 3},
                      Refusal{"MRD without MPS", {ld(X(0)), out(Y(0)), mrd(), out(Y(1)), end()}, 3},
                      Refusal{"MRD after the MPP", {ld(X(0)), mps(), out(Y(0)), mpp(), out(Y(1)), mrd(), out(Y(2)), end()}, 6},
                      Refusal{"rung without an output", {ld(X(0)), and_(X(1)), end()}, 3},
                      Refusal{"contacts past column 10", wide_rung(12, out(Y(0))), 12},
                      Refusal{"contacts under a box", wide_rung(10, box(Instr::MOV, D(0), D(1))), 11},
                      Refusal{"contacts under a timer coil", wide_rung(11, tim(T(0), 5)), 12},
                      Refusal{"OR comparison wider than its block", {ld(X(0)), or_cmp(Instr::CMP_EQ, D(0), K(1)), out(Y(0)), end()}, 2}),
    [](const ::testing::TestParamInfo<Refusal>& info) { return std::to_string(info.index); });

TEST_F(LadderBuilder, BlockStackHoldsThirtyTwoLevels) {
  EXPECT_EQ(build(make_list(deep_nesting(32))).result, 0);
  // The 33rd LD would open a 33rd level.
  EXPECT_EQ(build(make_list(deep_nesting(33))).result, BUILD_ERROR_BASE + 33);
}

// A program is never cut to fit: the first record without room is reported.
TEST_F(LadderBuilder, RowsBeyondTheGridAreAnError) {
  Built b = build(make_list(tall_rung(15)), 16);
  EXPECT_EQ(b.result, BUILD_ERROR_BASE + 17) << "END needs row 15, the end mark row 16";
  b = build(make_list(tall_rung(14)), 16);
  EXPECT_EQ(b.result, 0);
  b = build(make_list(tall_rung(20)), 16);
  EXPECT_EQ(b.result, BUILD_ERROR_BASE + 17) << "the OR for row 16";
  b = build(make_list({ld(X(0)), out(Y(0)), end()}), 2);
  EXPECT_EQ(b.result, BUILD_ERROR_BASE + 3);
}

// Each rung first takes three rows (the second coil goes below X1's row) and gives one
// back when its gap closes: the tidied program fits a grid the untidied one would not.
TEST_F(LadderBuilder, RowsAGapGivesBackAreThereForTheNextRung) {
  std::vector<InstructionRecord> r;
  for (uint32_t k = 0; k < 3; ++k)
    for (const InstructionRecord& rec : {ld(X(0)), or_(X(1)), out(Y(2 * k)), out(Y(2 * k + 1))}) r.push_back(rec);
  r.push_back(end());
  const Built b = build(make_list(r), 8);
  ASSERT_EQ(b.result, 0);
  EXPECT_EQ(ladder_picture(b.grid),
            "^X0 - - - - - - - - - - (Y0)\n"
            "^X1 ^- - - - - - - - - - (Y1)\n"
            "^X0 - - - - - - - - - - (Y2)\n"
            "^X1 ^- - - - - - - - - - (Y3)\n"
            "^X0 - - - - - - - - - - (Y4)\n"
            "^X1 ^- - - - - - - - - - (Y5)\n"
            "END\n");
  EXPECT_EQ(b.position(11), source_position(5, 11));
  EXPECT_EQ(b.position(12), source_position(6, 11));
}

TEST_F(LadderBuilder, ListWithoutEndIsAnError) {
  InstructionList list{ld(X(0)), out(Y(0))};
  list[0].word[0] |= RecordFlags::BLOCK_START;
  EXPECT_EQ(build(list).result, BUILD_ERROR_BASE + 3);
  InstructionList empty;
  EXPECT_EQ(build(empty).result, BUILD_ERROR_BASE + 1);
}

TEST_F(LadderBuilder, BranchPointsDoNotOutliveTheirConversion) {
  ASSERT_EQ(build(make_list({ld(X(0)), mps(), out(Y(0)), mrd(), out(Y(1)), mpp(), out(Y(2)), end()})).result, 0);
  // The same MRD in a new program, without its MPS.
  EXPECT_EQ(build(make_list({ld(X(0)), out(Y(0)), mrd(), out(Y(1)), end()})).result, BUILD_ERROR_BASE + 3);
  // Nor do they pass from one rung to the next.
  EXPECT_EQ(build(make_list({ld(X(0)), mps(), out(Y(0)), mrd(), out(Y(1)), ld(X(1)), out(Y(2)), mpp(), out(Y(3)),
                             end()}))
                .result,
            BUILD_ERROR_BASE + 8);
}

}  // namespace
