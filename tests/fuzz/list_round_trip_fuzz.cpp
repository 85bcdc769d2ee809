// Valid instruction lists through the converters: the bytes choose a program from the
// grammar of instruction lists (tests/support/list_grammar.h: every choice gives a valid
// program), which takes the mnemonic compile's road and the design compile's after it
// (tests/support/list_round_trip.h): parsed, drawn, checked against the grid's rules,
// compiled; the compiled list drawn as the design, checked, compiled again. Every step
// must hold, and the design's list must be the compiled list, drawing the design again.
//
// A step that does not hold aborts with the program, the step and the drawings. The
// compile's questions and messages are answered OK and recorded: a valid program asks
// none but the duplicate-output question.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "core/notice.h"
#include "support/list_grammar.h"
#include "support/list_round_trip.h"

namespace {

// A drawing as text, for the report (the cells that the ladder text cannot spell shown
// by their words).
void print_grid(const char* title, ConstGridSpan grid) {
  std::fprintf(stderr, "--- %s\n", title);
  for (size_t r = 0; r < grid.size(); ++r) {
    const LadderRow& row = grid[r];
    std::fprintf(stderr, "%3zu:", r);
    for (int c = 0; c < 13; ++c) std::fprintf(stderr, " %08X", row.cell[c].word[0]);
    std::fprintf(stderr, "\n");
    if (is_end_mark_row(row)) break;
  }
}

void print_records(const char* title, const std::vector<InstructionRecord>& records) {
  std::fprintf(stderr, "--- %s\n", title);
  for (const InstructionRecord& r : records)
    std::fprintf(stderr, "  %05X %08X %08X %08X %08X %08X\n", r.word[0], r.word[1], r.word[2], r.word[3], r.word[4],
                 r.word[5]);
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  set_notice_handler([](void*, const char* text, const char*, unsigned) {
    // The duplicate-output question is the only one a valid program may ask.
    if (std::string(text).find("同一出力") == std::string::npos) {
      std::fprintf(stderr, "unexpected notice: %s\n", text);
      std::abort();
    }
    return NoticeAnswer::OK;
  });
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::vector<std::string> lines = ListGrammar(data, size).program();
  const RoundTrip t = run_round_trip(lines);
  if (t.held()) return 0;
  std::fprintf(stderr, "program:\n");
  for (const std::string& line : lines) std::fprintf(stderr, "  %s\n", line.c_str());
  std::fprintf(stderr, "step \"%s\" failed: %s\n", round_step_name(t.failed), t.detail.c_str());
  print_records("parsed", t.parsed);
  if (!t.drawing.empty()) print_grid("drawing", t.drawing);
  if (!t.compiled.empty()) print_records("compiled", t.compiled);
  if (!t.design.empty()) print_grid("design", t.design);
  if (!t.recompiled.empty()) print_records("design's list", t.recompiled);
  if (!t.redesign.empty()) print_grid("its drawing", t.redesign);
  std::abort();
}
