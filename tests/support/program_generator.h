// Random ladder programs as instruction lists, for property tests. A seed gives one
// program: rungs of series-parallel contact logic (relay, limit-switch and push-button
// contacts in a- and b-form, D-form contacts, comparisons) that drive one output, several
// outputs in parallel (each optionally behind more contacts), or output branches behind
// MPS/MRD/MPP; outputs are coils, timers, counters and applied instructions; comment rows
// stand between some rungs. Every program fits the contact columns and ends with END.
#pragma once

#include <cstdint>
#include <vector>

#include "core/ladder_model.h"

namespace il {

struct GeneratorOptions {
  int max_rungs = 4;
  int max_depth = 3;      // nesting of series and parallel blocks in one condition
  int max_height = 4;     // rows of one condition
  bool comments = true;   // comment records between rungs (their texts go to g_line_comments)
  bool branches = true;   // MPS/MRD/MPP output branches
  bool sections = true;   // a subroutine after FEND, called by SCALL
};

// The records of one program, END included (no end record). Comment texts are written
// into g_line_comments from entry 0.
std::vector<InstructionRecord> generate_program(uint32_t seed, const GeneratorOptions& options = {});

}  // namespace il
