// The road of a mnemonic program through the converters, step by step, as the program
// takes it: the mnemonic compile parses the text, draws the list as a ladder, checks the
// drawing and compiles it; the frame draws the compiled list again as the design; the
// design compile compiles that design and draws its list once more. A valid program keeps
// every step, and after that one round it is a fixed point: the list compiled from the
// design is the list the mnemonic compile wrote, and its drawing is the design.
//
// Header-only, so that the fuzz targets (which link no test helpers) use it too.
#pragma once

#include <cstdio>
#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "core/core_state.h"
#include "core/ladder_builder.h"
#include "core/ladder_compiler.h"
#include "core/mnemonic_parser.h"
#include "core/mnemonic_text.h"
#include "core/grid_invariants.h"
#include "mnemonic/mnemonic_compile.h"
#include "shell/compile_chain.h"
#include "support/list_logic.h"

// The steps, in order; the result names the first that did not hold.
enum class RoundStep {
  PARSE,          // parse_mnemonic_text accepts the text, which has its END line
  DRAW,           // the parsed list is drawn (the mnemonic compile's grid size)
  CHECK,          // the drawing keeps the grid's rules
  COMPILE,        // the drawing compiles
  SAME_LOGIC,     // to a list that computes what the parsed list computes
  REDRAW,         // the compiled list is drawn again (the frame's grid size)
  RECHECK,        // that design keeps the grid's rules
  RECOMPILE,      // the design compiles
  SAME_LIST,      // to the compiled list again (every word but the positions)
  SAME_DESIGN,    // and its drawing is the design
  HELD,           // every step held
};

inline const char* round_step_name(RoundStep s) {
  switch (s) {
    case RoundStep::PARSE: return "parse";
    case RoundStep::DRAW: return "draw";
    case RoundStep::CHECK: return "check the drawing";
    case RoundStep::COMPILE: return "compile the drawing";
    case RoundStep::SAME_LOGIC: return "the compiled list computes the parsed program";
    case RoundStep::REDRAW: return "draw the compiled list";
    case RoundStep::RECHECK: return "check the design";
    case RoundStep::RECOMPILE: return "compile the design";
    case RoundStep::SAME_LIST: return "the design's list is the compiled list";
    case RoundStep::SAME_DESIGN: return "the design's list draws the design";
    case RoundStep::HELD: return "held";
  }
  return "?";
}

struct RoundTrip {
  RoundStep failed = RoundStep::HELD;
  std::string detail;                        // what the failing step said
  std::vector<InstructionRecord> parsed;     // the records before the end record
  std::vector<InstructionRecord> compiled;   // of the drawing
  std::vector<InstructionRecord> recompiled; // of the design
  LadderGrid drawing;                        // drawn from the parsed list
  LadderGrid design;                         // drawn from the compiled list
  LadderGrid redesign;                       // drawn from the design's list
  bool held() const { return failed == RoundStep::HELD; }
};

namespace round_trip_detail {

inline std::vector<InstructionRecord> records_of(ConstListSpan list) {
  std::vector<InstructionRecord> out;
  for (const InstructionRecord& r : list) {
    if (is_end_record(r)) break;
    out.push_back(r);
  }
  return out;
}

inline InstructionList list_of(const std::vector<InstructionRecord>& records) {
  InstructionList list(records.begin(), records.end());
  list.push_back(InstructionRecord{{END_RECORD_WORD, END_RECORD_WORD, END_RECORD_WORD, END_RECORD_WORD,
                                    END_RECORD_WORD, END_RECORD_WORD}});
  return list;
}

inline int end_mark_of(ConstGridSpan grid) {
  for (size_t r = 0; r < grid.size(); ++r)
    if (is_end_mark_row(grid[r])) return static_cast<int>(r);
  return -1;
}

inline std::string hex_word(uint32_t w) {
  char text[16];
  std::snprintf(text, sizeof text, "%08X", w);
  return text;
}

inline std::string compile_errors() {
  std::string out;
  for (int k = 0; k < g_conversion_error_count && k < 4; ++k) {
    const uint32_t w = g_conversion_errors[static_cast<size_t>(k)];
    out += " kind " + std::to_string(w >> 24) + " at row " + std::to_string(w & 0xFFFFF) + " column " +
           std::to_string((w >> 20) & 0xF) + ";";
  }
  return out;
}

// compile_ladder as the compile commands call it, into a list of `capacity` records
// (the commands give it 18,000; a compiled program has at most about three records for
// each it was drawn from); "" or what it refused.
inline std::string compile(GridSpan grid, std::vector<InstructionRecord>& records, size_t capacity) {
  InstructionList list = make_instruction_list(static_cast<int>(std::min<size_t>(capacity, MAX_INSTRUCTIONS)));
  g_program_row_count = count_program_rows(grid);
  clear_conversion_errors();
  const int result = compile_ladder(nullptr, grid, list, nullptr, 0);
  g_instruction_list = {};
  records = records_of(list);
  if (result == CompileResult::OK) return {};
  return "compile_ladder gave " + std::to_string(result) + compile_errors();
}

inline std::string draw(GridSpan grid, ListSpan list) {
  const int result = build_ladder_from_instructions(grid, list);
  if (result == BUILD_OK) return {};
  return "refused at record " + std::to_string(build_error_position(result));
}

// The first record whose words 0-4 differ, or "".
inline std::string compare_lists(const std::vector<InstructionRecord>& a, const std::vector<InstructionRecord>& b) {
  for (size_t k = 0; k < a.size() || k < b.size(); ++k) {
    if (k >= a.size() || k >= b.size()) return "record " + std::to_string(k + 1) + " is missing in one list";
    for (int w = 0; w < 5; ++w)
      if (a[k].word[w] != b[k].word[w])
        return "record " + std::to_string(k + 1) + " word " + std::to_string(w) + ": " + hex_word(a[k].word[w]) +
               " then " + hex_word(b[k].word[w]);
  }
  return {};
}

// The first difference of cell words 0 and 1 and texts up to the end mark, or "".
inline std::string compare_grids(ConstGridSpan a, ConstGridSpan b) {
  for (size_t r = 0; r < a.size() && r < b.size(); ++r) {
    for (int c = 0; c < ROW_CELLS; ++c)
      for (int w = 0; w < 2; ++w)
        if (a[r].cell[c].word[w] != b[r].cell[c].word[w])
          return "row " + std::to_string(r) + " cell " + std::to_string(c) + " word " + std::to_string(w) + ": " +
                 hex_word(a[r].cell[c].word[w]) + " then " + hex_word(b[r].cell[c].word[w]);
    if (std::memcmp(a[r].text, b[r].text, sizeof a[r].text) != 0) return "the texts of row " + std::to_string(r);
    if (is_end_mark_row(a[r])) return {};
  }
  return "no end mark";
}

}  // namespace round_trip_detail

// Runs the whole road for the statement lines (each without its line feed); the program
// state (line comments, errors, the parser's branch level) starts afresh.
inline RoundTrip run_round_trip(const std::vector<std::string>& lines) {
  using namespace round_trip_detail;
  RoundTrip t;
  reset_core_state();
  reset_compiler_state();

  MnemonicText text = make_mnemonic_text(static_cast<int>(lines.size()) + 2);
  for (size_t i = 0; i < lines.size(); ++i) set_line_statement(text[i], lines[i]);
  set_end_line(text[lines.size()]);
  const int line_count = count_text_lines(text);
  InstructionList parsed = make_instruction_list(parse_list_records(line_count));
  DeviceCommentTable table = make_device_comment_table(line_count + 10);
  g_instruction_list = parsed;
  const int parse = parse_mnemonic_text(nullptr, table, text, parsed, nullptr, 0);
  g_instruction_list = {};
  if (parse != PARSE_OK || find_end_line(text) < 0) {
    t.failed = RoundStep::PARSE;
    t.detail = parse != PARSE_OK ? "parse_mnemonic_text gave " + std::to_string(parse) : "no END line";
    for (int k = 0; k < g_conversion_error_count && k < 4; ++k) {
      char shown[200];
      format_parse_error(g_conversion_errors[static_cast<size_t>(k)], shown);
      t.detail += std::string("; ") + shown;
    }
    return t;
  }
  t.parsed = records_of(parsed);

  // The mnemonic compile: draw, check, compile.
  t.drawing = make_ladder_grid(parse_grid_rows(line_count, static_cast<int>(t.parsed.size())));
  if (std::string e = draw(t.drawing, parsed); !e.empty()) return t.failed = RoundStep::DRAW, t.detail = e, t;
  if (const GridFault f = check_grid_invariants(t.drawing))
    return t.failed = RoundStep::CHECK, t.detail = describe_grid_fault(f), t;
  if (std::string e = compile(t.drawing, t.compiled, 8 * t.parsed.size() + 64); !e.empty()) return t.failed = RoundStep::COMPILE, t.detail = e, t;
  if (std::string e = list_logic::compare(t.parsed, t.compiled); !e.empty())
    return t.failed = RoundStep::SAME_LOGIC, t.detail = e, t;

  // The frame draws the list of the operation file as the design.
  InstructionList written = list_of(t.compiled);
  t.design = make_ladder_grid(list_grid_rows(static_cast<int>(t.compiled.size())));
  if (std::string e = draw(t.design, written); !e.empty()) return t.failed = RoundStep::REDRAW, t.detail = e, t;
  if (const GridFault f = check_grid_invariants(t.design))
    return t.failed = RoundStep::RECHECK, t.detail = describe_grid_fault(f), t;

  // The design compile: compile, and draw the list into the rebuilt grid.
  if (std::string e = compile(t.design, t.recompiled, 8 * t.compiled.size() + 64); !e.empty())
    return t.failed = RoundStep::RECOMPILE, t.detail = e, t;
  if (std::string e = compare_lists(t.compiled, t.recompiled); !e.empty())
    return t.failed = RoundStep::SAME_LIST, t.detail = e, t;
  InstructionList again = list_of(t.recompiled);
  t.redesign = make_ladder_grid(
      rebuilt_grid_rows(end_mark_of(t.design), static_cast<int>(t.recompiled.size())));
  if (std::string e = draw(t.redesign, again); !e.empty())
    return t.failed = RoundStep::SAME_DESIGN, t.detail = "the design's list is " + e, t;
  if (std::string e = compare_grids(t.design, t.redesign); !e.empty())
    return t.failed = RoundStep::SAME_DESIGN, t.detail = e, t;
  return t;
}
