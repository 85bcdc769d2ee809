// Valid mnemonic programs through the mnemonic compile's road and the design compile's
// after it (tests/support/list_round_trip.h): parsed, drawn, checked, compiled; the
// compiled list drawn as the design, checked and compiled again to the same list, whose
// drawing is the design. Programs written here by hand for the shapes of the list-to-ladder
// conversion, programs of the list grammar (tests/support/list_grammar.h), and the inputs
// the list fuzzer once failed on.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "support/ladder_text.h"
#include "support/list_grammar.h"
#include "support/list_round_trip.h"

namespace {

using Lines = std::vector<std::string>;

std::string joined(const Lines& lines) {
  std::string s;
  for (const std::string& l : lines) s += "  " + l + "\n";
  return s;
}

// What a failed round shows: the program, the step, and the drawings made so far.
std::string report(const Lines& lines, const RoundTrip& t) {
  std::string s = "program:\n" + joined(lines) + "step \"" + round_step_name(t.failed) + "\": " + t.detail + "\n";
  if (!t.drawing.empty()) s += "drawing:\n" + ladder_picture(t.drawing) + "\n";
  if (!t.compiled.empty()) s += "compiled:\n" + records_text(t.compiled) + "\n";
  if (!t.design.empty()) s += "design:\n" + ladder_picture(t.design) + "\n";
  if (!t.recompiled.empty()) s += "design's list:\n" + records_text(t.recompiled) + "\n";
  if (!t.redesign.empty()) s += "its drawing:\n" + ladder_picture(t.redesign) + "\n";
  return s;
}

// The program that the mnemonic compile once refused (kind 7 at row 4, column 1): its
// outputs moved up into its five-row condition, and the gap closing took the link that
// joined Y0A, the last contact of the condition, to the branch point with it.
// LD X0 and n - 1 ANDs in series (X1, X2 ... in hex), then the given lines and END.
Lines series(int n, const Lines& tail) {
  Lines out{"LD X0"};
  for (int k = 1; k < n; ++k) out.push_back("AND X" + std::string(1, "0123456789ABCDEF"[k]));
  out.insert(out.end(), tail.begin(), tail.end());
  out.push_back("END");
  return out;
}

const Lines kFiveRowCondition = {"LDI T3", "LDI T1", "ORB", "LD T3", "LD T4", "OR Y0A", "ORB", "ORB", "MPS",
                                 "OUT M79", "LD M92", "OR T3", "ANB", "OUT Y1A", "OUT C6 K73", "MPP", "RST M23",
                                 "END"};

TEST(ListRoundTrip, AFiveRowConditionKeepsTheLinkOfItsLastContact) {
  // The fuzzer's first regression input is the same program.
  std::ifstream in(std::string(TAVOLIN_TEST_DATA) + "/../fuzz/regressions/list_round_trip_fuzz/five_row_condition_lost_link",
                   std::ios::binary);
  const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  EXPECT_EQ(ListGrammar(bytes).program(), kFiveRowCondition);

  const RoundTrip t = run_round_trip(kFiveRowCondition);
  ASSERT_TRUE(t.held()) << report(kFiveRowCondition, t);
  // The outputs sit beside the condition; Y0A keeps its link up to the branch point.
  EXPECT_EQ(ladder_to_text(t.drawing), (Lines{
                                           "^/T3 - - - - - - - - - - (M79)",
                                           "^/T1 ^M92 - - - - - - - - - (Y1A)",
                                           "^T3 ^T3 ^- - - - - - - - (C6 K73)",
                                           "^T4 ^- - - - - - - - - [RST M23]",
                                           "^YA ^",
                                           "END",
                                       }));
}

// A link that a part left of the moved columns still needs stays where it is, whichever
// row of a gap the output comes from; a link below every part it serves goes.
TEST(ListRoundTrip, GapClosingKeepsTheLinksOfTheCondition) {
  struct Case {
    const char* what;
    Lines lines;
    Lines drawing;
  };
  const Case cases[] = {
      {"the last contact of a five-row condition, below the moved outputs",
       {"LD X0", "OR X1", "OR X2", "OR X3", "OR X6", "MPS", "OUT Y0", "LD X4", "OR X5", "ANB", "OUT Y1", "OUT Y2",
        "MPP", "OUT Y3", "END"},
       {"^X0 - - - - - - - - - - (Y0)", "^X1 ^X4 - - - - - - - - - (Y1)", "^X2 ^X5 ^- - - - - - - - - (Y2)",
        "^X3 ^- - - - - - - - - - (Y3)", "^X6 ^", "END"}},
      {"a four-row condition, the outputs beside it",
       {"LD X0", "OR X1", "OR X2", "OR X3", "MPS", "OUT Y0", "LD X4", "OR X5", "ANB", "OUT Y1", "OUT Y2", "MPP",
        "OUT Y3", "END"},
       {"^X0 - - - - - - - - - - (Y0)", "^X1 ^X4 - - - - - - - - - (Y1)", "^X2 ^X5 ^- - - - - - - - - (Y2)",
        "^X3 ^- - - - - - - - - - (Y3)", "END"}},
      {"a three-row condition: the link below its last contact serves the last branch only",
       {"LD X0", "OR X1", "OR X2", "MPS", "OUT Y0", "LD X4", "OR X5", "ANB", "OUT Y1", "OUT Y2", "MPP", "OUT Y3",
        "END"},
       {"^X0 - - - - - - - - - - (Y0)", "^X1 ^X4 - - - - - - - - - (Y1)", "^X2 ^X5 ^- - - - - - - - - (Y2)",
        "^ ^- - - - - - - - - - (Y3)", "END"}},
      {"parallel outputs below a condition of four rows",
       {"LD X0", "OR X1", "OR X2", "OR X3", "OUT Y0", "OUT Y1", "END"},
       {"^X0 - - - - - - - - - - (Y0)", "^X1 ^- - - - - - - - - - (Y1)", "^X2 ^", "^X3 ^", "END"}},
  };
  for (const Case& c : cases) {
    const RoundTrip t = run_round_trip(c.lines);
    EXPECT_TRUE(t.held()) << c.what << "\n" << report(c.lines, t);
    if (!t.drawing.empty()) {
      EXPECT_EQ(ladder_to_text(t.drawing), c.drawing) << c.what << "\n" << report(c.lines, t);
    }
  }
}

// Shapes on which the conversion and the compiler once disagreed: each program, the
// ladder it is drawn as, and the round that must hold on it.
TEST(ListRoundTrip, ShapesTheDrawingAndTheCompilerAgreeOn) {
  struct Case {
    const char* what;
    Lines lines;
    Lines drawing;
  };
  const Case cases[] = {
      // A parallel output after an ORB of a narrower block: its link goes up through the
      // rows of that block to the link that closes the logic, here in column 11; the coil
      // hangs from column 11 and moves up to the first row free there.
      {"a second coil after a full row over a narrower block",
       {"LD X0", "AND X1", "AND X2", "AND X3", "AND X4", "AND X5", "AND X6", "AND X7", "AND X8", "AND X9", "AND XA",
        "LD XB", "OR XC", "ORB", "OUT Y0", "OUT Y1", "END"},
       {"^X0 X1 X2 X3 X4 X5 X6 X7 X8 X9 XA (Y0)", "^XB - - - - - - - - - - ^(Y1)", "^XC ^", "END"}},
      {"a second coil after a narrower block, the logic closed in column 4",
       {"LD X0", "AND X1", "AND X2", "AND X3", "LD X4", "OR X5", "OR X6", "ORB", "OUT Y0", "OUT Y1", "END"},
       {"^X0 X1 X2 X3 - - - - - - - (Y0)", "^X4 - - - ^- - - - - - - (Y1)", "^X5 ^", "^X6 ^", "END"}},
      // Three blocks in parallel, the first two narrower than the third: each joins the
      // widest at its right end, so none of them is drawn joined to another.
      {"a block between a contact and a wider comparison",
       {"LD X0", "LD X1", "OR X2", "OR= D0 K0", "ORB", "OUT Y0", "END"},
       {"^X0 - - - - - - - - - - (Y0)", "^X1 - - ^", "^X2 ^ . ^", "^{= D0 K0} ^", "END"}},
      // A branch whose lowest output row lies inside a block of its own (the OR of X3):
      // the branch above it still ends its branch point with MPP.
      {"a nested branch point in the row of an OR",
       {"LD X0", "MPS", "AND X1", "OUT Y0", "LD X2", "OR X3", "ANB", "OUT Y1", "MPS", "OUT Y2", "MPP", "OUT Y3",
        "MPP", "OUT Y4", "END"},
       {"^X0 X1 - - - - - - - - - (Y0)", "^ ^ ^X2 - - - - - - - - (Y1)", "^ ^ ^X3 ^- - - - - - - - (Y2)",
        "^ ^ . . . . . . . . ^- (Y3)", "^ ^- - - - - - - - - - (Y4)", "END"}},
      // A second coil that hangs from column 11 moves up from there, not from the column
      // of another branch's link passing its row (which moved it into the rows of the RST
      // box and left its own link standing under the box).
      {"a coil hanging from column 11 beside a passing branch link",
       {"LD X0", "OR= D0 K0", "MPS", "ANI X1", "LDI X2", "LD>= D1 D2", "ORI X3", "LD= D3 D4", "ORB", "ORB", "ANB",
        "MPS", "AND<> D5 D6", "ANI X4", "OUT Y0", "OUT Y1", "MPP", "RST M0", "MPP", "LDI X5", "LD X6", "LDI X7",
        "ANB", "LDI X8", "ANB", "ORB", "ANB", "OUT Y2", "END"},
       {"^X0 - - /X1 /X2 - - {<> D5 D6} /X4 (Y0)", "^{= D0 K0} ^ ^{>= D1 D2} ^ . . . ^(Y1)",
        "^ . . ^ ^/X3 - - ^- - - [RST M0]", "^ . . ^ ^{= D3 D4} ^", "^ . . ^/X5 - - - - - - - (Y2)",
        "^ . . ^X6 /X7 /X8 ^", "END"}},
      // A U point on a branch whose output is an ASM row stays on the row's first cell.
      {"a U point on an ASM branch",
       {"LD X0", "MPS", "OUT Y0", "U3", "MRD", "ASM K6", "MRD", "BTONJ U3", "MPP", "OUT Y1", "END"},
       {"^X0 - - - - - - - - - - (Y0)", "^ ^[ASM K6]", "^ ^- - - - - - - - - [BTONJ U3]",
        "^ ^- - - - - - - - - - (Y1)", "END"}},
  };
  for (const Case& c : cases) {
    const RoundTrip t = run_round_trip(c.lines);
    EXPECT_TRUE(t.held()) << c.what << "\n" << report(c.lines, t);
    if (!t.drawing.empty()) {
      EXPECT_EQ(ladder_to_text(t.drawing), c.drawing) << c.what << "\n" << report(c.lines, t);
    }
  }
}

// Hand-written programs, one shape of the list-to-ladder conversion each.
TEST(ListRoundTrip, EveryShapeOfTheConversionIsAFixedPointAfterOneRound) {
  const std::vector<Lines> programs = {
      kFiveRowCondition,
      {"LD X0", "AND X1", "OUT Y0", "END"},
      {"LD X0", "OR X1", "OUT Y0", "END"},
      {"LD X0", "OUT Y0", "OUT Y1", "END"},
      {"LD X0", "MPS", "OUT Y0", "MPP", "AND X1", "OUT Y1", "END"},
      {"LD X0", "MPS", "AND X1", "OUT Y0", "MRD", "AND X2", "OUT Y1", "MPP", "AND X3", "OUT Y2", "END"},
      {"LD X0", "MPS", "AND X1", "MPS", "OUT Y0", "MPP", "OUT Y1", "MPP", "OUT Y2", "END"},
      {"LD X0", "MPS", "AND X1", "MPS", "AND X2", "MPS", "AND X3", "OUT Y0", "MPP", "OUT Y1", "MPP", "OUT Y2", "MPP",
       "OUT Y3", "END"},
      {"LD X0", "OR X1", "MPS", "AND X2", "OUT Y0", "MPP", "AND= D0 K1", "OUT Y1", "END"},
      {"LD X0", "OUT T0 K10", "END"},
      {"LD X0", "AND X1", "OUT T0 K10", "OUT Y1", "END"},
      {"LD X0", "OUT Y1", "OUT T0 K10", "END"},
      {"LD X0", "OUT T0 K10", "AND T0", "OUT Y1", "END"},
      {"LD X0", "MPS", "OUT T0 K10", "MPP", "OUT C0 K5", "END"},
      {"LD X0", "RST C0", "LD X1", "OUT C0 D5", "END"},
      {"LD X0", "SET M0", "LD X1", "RST M0", "END"},
      {"LD X0", "PLS M0", "LDI X1", "PLF Y1", "END"},
      {"LD X0", "MOV D0 D1", "OUT Y0", "END"},
      {"LD X0", "OUT Y0", "MOV K5 D1", "END"},
      {"LD X0", "MPS", "DMOV D0 D2", "MPP", "MOVP D4 D6", "END"},
      {"LD X0", "INC D0", "DEC D1", "CMP D0 K5", "END"},
      {"LD X0", "BMOV D0 D10 K3", "+ D0 K1 D2", "END"},
      {"LD X0", "SFTR X1 M0 K8 K1", "END"},
      {"LD X0", "STOP", "END"},
      {"LD X0", "ASM K1", "END"},
      {"LD X0", "AND= D0 K5", "AND X1", "OUT Y0", "END"},
      {"LD= D0 K5", "OR X0", "OUT Y0", "END"},
      {"LD X0", "OR= D0 K5", "OUT Y0", "END"},
      {"LD= D1 K1", "OR= D0 K5", "AND X1", "OUT Y0", "END"},
      {"LDD D3", "ANID D4", "ORD D5", "OUT Y0", "END"},
      {"LDD> D0 D2", "ORD<= D4 K9", "OUT Y0", "END"},
      {"LD X0", "LD X1", "OR X2", "ANB", "OUT Y0", "END"},
      {"LD X0", "AND X1", "LD X2", "AND X3", "ORB", "OUT Y0", "END"},
      {"LD X0", "LD X1", "AND X2", "AND X3", "ORB", "OUT Y0", "END"},
      {"LD X0", "OUT Y0", "AND X1", "OUT Y1", "AND X2", "OUT Y2", "END"},
      {"LD X0", "OUT Y0", "AND X1", "MPS", "OUT Y1", "MPP", "OUT Y2", "END"},
      {"LD X0", "OUT Y0", "LD X1", "OR X2", "ANB", "OUT Y1", "END"},
      {"LD X0", "MC 00 M100", "LD X1", "OUT Y0", "MCR 00", "END"},
      {"LD X0", "OUT Y0", "FEND", "LD X1", "OUT Y1", "LD X2", "RETRN", "END"},
      {";a comment", "LD X0", "OUT Y0", ";another", "LD X1", "OUT Y1", "END"},
      {"LD X0", "CJ P5", "LD X1", "OUT Y0", "P5", "LD X2", "OUT Y1", "END"},
      {"LD X0", "SCALL P1", "FEND", "P1", "LD X1", "OUT Y1", "LD X2", "RETRN", "END"},
      // Every contact column taken: the output in column 11, TIM/CNT in 10, a box at its width.
      {"LD X0", "AND X1", "AND X2", "AND X3", "AND X4", "AND X5", "AND X6", "AND X7", "AND X8", "AND X9", "AND XA",
       "OUT Y0", "OUT Y1", "END"},
      {"LD X0", "AND X1", "AND X2", "AND X3", "AND X4", "AND X5", "AND X6", "AND X7", "AND X8", "AND X9", "OUT T0 K5",
       "END"},
      {"LD X0", "AND X1", "AND X2", "AND X3", "AND X4", "AND X5", "AND X6", "AND X7", "AND X8", "MOV D0 D1", "END"},
      {"LD X0", "AND X1", "AND X2", "AND X3", "AND X4", "AND X5", "AND X6", "AND X7", "BMOV D0 D10 K3", "END"},
      {"LD X0", "AND X1", "AND X2", "AND X3", "AND X4", "AND X5", "AND X6", "AND X7", "AND<> D0 K5", "OUT Y0",
       "END"},
      series(9, {"MOV D0 D1", "OUT Y0"}),
      series(9, {"MOV D0 D1", "OUT T1 K3"}),
      series(10, {"OUT T1 K3", "OUT Y0"}),
      series(10, {"OUT Y0", "OUT T1 K3"}),
      series(10, {"OUT T1 K3", "OUT T2 K4"}),
      series(8, {"MPS", "AND X8", "OUT Y0", "MRD", "MOV D0 D1", "MPP", "SET M0"}),
      series(1, {"OUT T0 K1", "MOV D0 D1", "BMOV D0 D10 K3", "SET M0"}),
      series(1, {"BMOV D0 D10 K3", "MOV D0 D1", "OUT Y0"}),
      // Deep nesting: ten branch points in series, thirteen blocks open at once, chains of
      // ANB and ORB, branches read again and again, outputs in parallel after a branch.
      {"LD X0", "MPS", "AND X1", "MPS", "AND X2", "MPS", "AND X3", "MPS", "AND X4", "MPS", "AND X5", "MPS", "AND X6",
       "MPS", "AND X7", "MPS", "AND X8", "MPS", "AND X9", "MPS", "AND XA", "OUT Y0", "MPP", "OUT Y1", "MPP", "OUT Y2",
       "MPP", "OUT Y3", "MPP", "OUT Y4", "MPP", "OUT Y5", "MPP", "OUT Y6", "MPP", "OUT Y7", "MPP", "OUT Y8", "MPP",
       "OUT Y9", "MPP", "OUT YA", "END"},
      {"LD X0", "LD X1", "LD X2", "LD X3", "LD X4", "LD X5", "LD X6", "LD X7", "LD X8", "LD X9", "LD XA", "LD XB",
       "LD XC", "ORB", "ORB", "ORB", "ORB", "ORB", "ORB", "ORB", "ORB", "ORB", "ORB", "ORB", "ORB", "OUT Y0", "END"},
      {"LD X0", "LD X1", "OR Y1", "LD X2", "OR Y2", "LD X3", "OR Y3", "LD X4", "OR Y4", "LD X5", "OR Y5", "ANB", "ANB",
       "ANB", "ANB", "ANB", "OUT Y0", "END"},
      {"LD X0", "OR X1", "LD X2", "OR X3", "ANB", "LD X4", "OR X5", "ANB", "LD X6", "OR X7", "ANB", "OUT Y0", "END"},
      {"LD X0", "AND X1", "LD X2", "AND X3", "ORB", "LD X4", "AND X5", "ORB", "LD X6", "AND X7", "ORB", "OUT Y0",
       "END"},
      {"LD X0", "MPS", "AND X1", "MPS", "AND X2", "OUT Y0", "MRD", "AND X3", "OUT Y1", "MPP", "AND X4", "OUT Y2", "MRD",
       "AND X5", "MPS", "AND X6", "OUT Y3", "MRD", "OUT Y4", "MPP", "OUT Y5", "MPP", "OUT Y6", "END"},
      {"LD X0", "LD X1", "AND X2", "LD X3", "OR X4", "ANB", "ORB", "LD X5", "OR X6", "ANB", "MPS", "AND X7", "OUT Y0",
       "MRD", "LD X8", "OR X9", "ANB", "OUT Y1", "MPP", "OUT Y2", "OUT Y3", "END"},
      {"LD X0", "MPS", "AND X1", "OUT Y0", "MPP", "AND X2", "OUT Y1", "OUT Y2", "OUT T0 K5", "MOV D0 D1", "END"},
      {"LD X0", "MPS", "AND X1", "MPS", "OUT Y0", "MPP", "OUT Y1", "MRD", "AND X2", "OUT Y2", "MPP", "LD X3", "OR X4",
       "ANB", "OUT Y3", "END"},
      // The program in which the compile's refusal was first seen, whole.
      {"LDI T3", "LDI T1", "ORB", "LD T3", "LD T4", "OR Y0A", "ORB", "AND< D3 D4", "LD X05", "ORB", "ORB", "MPS",
       "OUT M79", "MRD", "LD M92", "OR T3", "ANB", "AND M20", "MOV K97 D5", "OUT Y1A", "ANI X08", "OUT C6 K73", "MPP",
       "RST M5", "LD X08", "OUT Y00", "AND Y03", "OUT C2 K91", "ANI M32", "MOV D2 D9", "RST M23", "END"},
  };
  for (const Lines& p : programs) {
    const RoundTrip t = run_round_trip(p);
    EXPECT_TRUE(t.held()) << report(p, t);
  }
}

// Programs wider than the contact columns are not valid: the conversion refuses them at
// the record that does not fit.
TEST(ListRoundTrip, ProgramsWiderThanTheContactColumnsAreRefusedWhereTheyStopFitting) {
  struct Case {
    Lines lines;
    int record;
  };
  const Case cases[] = {
      {{"LD X0", "AND X1", "AND X2", "AND X3", "AND X4", "AND X5", "AND X6", "AND X7", "AND X8", "AND X9", "AND XA",
        "OUT T0 K1", "END"},
       12},
      {{"LD X0", "AND X1", "AND X2", "AND X3", "AND X4", "AND X5", "AND X6", "AND X7", "AND X8", "AND= D0 K1",
        "OUT Y0", "END"},
       10},
      {{"LD X0", "AND X1", "ASM K1", "END"}, 3},
      // A second output starts where the first one's logic ends.
      {series(11, {"OUT Y0", "OUT T0 K5"}), 13},
      {series(11, {"OUT Y0", "MOV D0 D1"}), 13},
      {series(10, {"MOV D0 D1"}), 11},
      {series(9, {"OUT Y0", "BMOV D0 D10 K3"}), 11},
      {series(8, {"AND= D0 K5", "OUT Y0", "MOV D0 D1"}), 11},
  };
  for (const Case& c : cases) {
    const RoundTrip t = run_round_trip(c.lines);
    EXPECT_EQ(t.failed, RoundStep::DRAW) << report(c.lines, t);
    EXPECT_EQ(t.detail, "refused at record " + std::to_string(c.record)) << joined(c.lines);
  }
}

// A contact or block in parallel with the logic of a rung that has already branched (after
// an output, a branch point or at the start of a branch) would be drawn from the left rail
// across the branch point, so that the outputs drawn before it would take it too (or the
// compiler could not read the drawing at all): the conversion refuses it at that record.
// In parallel inside a block of its own it is drawn.
TEST(ListRoundTrip, ContactsInParallelWithABranchedRungAreRefused) {
  struct Case {
    Lines lines;
    int record;  // 0: drawn, and the round holds
  };
  const Case cases[] = {
      {{"LD X0", "OUT Y0", "OR X1", "OUT Y1", "END"}, 3},
      {{"LD X0", "OUT Y0", "LD X1", "ORB", "OUT Y1", "END"}, 3},
      {{"LD X0", "OUT Y0", "AND X3", "OR X1", "OUT Y1", "END"}, 4},
      {{"LD X0", "MPS", "OR X1", "OUT Y0", "MPP", "OUT Y1", "END"}, 3},
      {{"LD X0", "AND X2", "MPS", "OUT Y0", "MPP", "OR X1", "OUT Y1", "END"}, 6},
      {{"LD X0", "MPS", "OUT Y0", "MPP", "AND X2", "ORI X1", "OUT Y1", "END"}, 6},
      {{"LD X0", "OUT Y0", "LD X3", "OR X1", "ANB", "OUT Y1", "END"}, 0},
      {{"LD X0", "MPS", "OUT Y0", "MPP", "LD X2", "OR X1", "ANB", "OUT Y1", "END"}, 0},
      {{"LD X0", "OR X1", "AND X2", "OR X3", "OUT Y1", "END"}, 0},
  };
  for (const Case& c : cases) {
    const RoundTrip t = run_round_trip(c.lines);
    if (c.record == 0) {
      EXPECT_TRUE(t.held()) << report(c.lines, t);
    } else {
      EXPECT_EQ(t.failed, RoundStep::DRAW) << report(c.lines, t);
      EXPECT_EQ(t.detail, "refused at record " + std::to_string(c.record)) << joined(c.lines);
    }
  }
}

// Programs of the grammar from pseudo-random bytes.
TEST(ListRoundTrip, ProgramsOfTheListGrammarAreFixedPointsAfterOneRound) {
  std::mt19937 rng(41);
  int failed = 0;
  for (int k = 0; k < 1000 && failed < 3; ++k) {
    std::string bytes(static_cast<size_t>(8 + rng() % 200), '\0');
    for (char& b : bytes) b = static_cast<char>(rng());
    const Lines lines = ListGrammar(bytes).program();
    const RoundTrip t = run_round_trip(lines);
    if (!t.held()) {
      ++failed;
      ADD_FAILURE() << "program " << k << "\n" << report(lines, t);
    }
  }
}

// The corpus and the inputs the fuzzer once failed on, read as the fuzzer reads them.
TEST(ListRoundTrip, TheFuzzersInputsAreFixedPointsAfterOneRound) {
  namespace fs = std::filesystem;
  int inputs = 0;
  for (const char* folder : {"corpus", "regressions"}) {
    const fs::path dir = fs::path(TAVOLIN_TEST_DATA) / ".." / "fuzz" / folder / "list_round_trip_fuzz";
    if (!fs::exists(dir)) continue;
    for (const auto& entry : fs::directory_iterator(dir)) {
      std::ifstream in(entry.path(), std::ios::binary);
      const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
      const Lines lines = ListGrammar(bytes).program();
      const RoundTrip t = run_round_trip(lines);
      EXPECT_TRUE(t.held()) << entry.path() << "\n" << report(lines, t);
      ++inputs;
    }
  }
  EXPECT_GT(inputs, 0);
}

}  // namespace
