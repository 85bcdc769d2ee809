// A small stack machine for instruction lists, for tests: it runs one scan of a list the
// way the controller does (LD pushes the logic, ANB/ORB combine, MPS/MRD/MPP keep a branch
// point) and records the logic value every output sees. Two lists compute the same program
// when they give the same outputs for every combination of their inputs.
//
// Inputs are the contacts' conditions: a device (as a plain or a D-form contact) or a
// comparison (its operator and operands), each a free boolean. Outputs are keyed by the
// record's code, flags and operands, so the same output drawn another way still matches.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <tuple>

#include "core/ladder_model.h"

namespace il {

// kind: 0 plain contact, 1 D-form contact, 2 comparison; then the operand words.
using InputKey = std::tuple<int, uint32_t, uint32_t, uint32_t>;
// The output record's code and flags (block start left out) and its operand words.
using OutputKey = std::tuple<uint32_t, uint32_t, uint32_t, uint32_t, uint32_t>;

// Runs both lists over every combination of the inputs of either (at most 16 inputs) and
// returns an empty string when they agree, else a description of the first difference.
std::string compare_list_logic(ConstListSpan expected, ConstListSpan actual);

}  // namespace il
