// The test-only stack evaluator that the round-trip properties rest on.
#include "support/stack_evaluator.h"

#include <gtest/gtest.h>

#include "core/instruction_tables.h"
#include "support/instruction_records.h"

using namespace il;

namespace {

struct LogicCase {
  const char* what;
  std::vector<InstructionRecord> expected;
  std::vector<InstructionRecord> actual;
  bool same;
};

void PrintTo(const LogicCase& c, std::ostream* out) { *out << c.what; }

class StackEvaluator : public ::testing::TestWithParam<LogicCase> {};

TEST_P(StackEvaluator, ComparesTheLogicOfTwoLists) {
  const LogicCase& c = GetParam();
  const std::string difference = compare_list_logic(make_list(c.expected), make_list(c.actual));
  if (c.same)
    EXPECT_EQ(difference, "") << c.what;
  else
    EXPECT_NE(difference, "") << c.what;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, StackEvaluator,
    ::testing::Values(
        LogicCase{"order of a series", {ld(X(0)), and_(X(1)), out(Y(0)), end()}, {ld(X(1)), and_(X(0)), out(Y(0)), end()}, true},
        LogicCase{"series is not parallel", {ld(X(0)), and_(X(1)), out(Y(0)), end()}, {ld(X(0)), or_(X(1)), out(Y(0)), end()}, false},
        LogicCase{"b-contact", {ldi(X(0)), out(Y(0)), end()}, {ld(X(0)), out(Y(0)), end()}, false},
        LogicCase{"a part code does not change the logic", {ld(X(0), 3), out(Y(0)), end()}, {ld(X(0), 5), out(Y(0)), end()}, true},
        LogicCase{"a folded block",
                  {ld(X(0)), ld(X(1)), or_(X(2)), anb(), out(Y(0)), end()},
                  {ld(X(1)), or_(X(2)), and_(X(0)), out(Y(0)), end()},
                  true},
        LogicCase{"ORB against OR", {ld(X(0)), ld(X(1)), orb(), out(Y(0)), end()}, {ld(X(0)), or_(X(1)), out(Y(0)), end()}, true},
        LogicCase{"a branch point against repeated contacts",
                  {ld(X(0)), mps(), and_(X(1)), out(Y(0)), mpp(), and_(X(2)), out(Y(1)), end()},
                  {ld(X(0)), and_(X(1)), out(Y(0)), ld(X(0)), and_(X(2)), out(Y(1)), end()},
                  true},
        LogicCase{"MRD reads the point back",
                  {ld(X(0)), mps(), and_(X(1)), out(Y(0)), mrd(), out(Y(1)), mpp(), out(Y(2)), end()},
                  {ld(X(0)), mps(), and_(X(1)), out(Y(0)), mrd(), and_(X(1)), out(Y(1)), mpp(), out(Y(2)), end()},
                  false},
        LogicCase{"a missing output", {ld(X(0)), out(Y(0)), out(Y(1)), end()}, {ld(X(0)), out(Y(0)), end()}, false},
        LogicCase{"a D-form contact is not a relay contact", {ldd(3), out(Y(0)), end()}, {ld(Dbit(3)), out(Y(0)), end()}, false},
        LogicCase{"a timer's set value counts",
                  {ld(X(0)), tim(T(0), 10), end()}, {ld(X(0)), tim(T(0), 20), end()}, false},
        LogicCase{"a U number beside a contact's device is no other device",
                  {ld(X(0)), out(Y(0)), end()}, {ld(X(0) | 0x150000), out(Y(0) | 0x150000), end()}, true},
        LogicCase{"combining an empty stack is a fault", {ld(X(0)), out(Y(0)), end()}, {ld(X(0)), anb(), out(Y(0)), end()}, false}),
    [](const ::testing::TestParamInfo<LogicCase>& info) { return std::to_string(info.index); });

}  // namespace
