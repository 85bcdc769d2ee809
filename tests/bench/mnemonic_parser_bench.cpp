// The mnemonic compile's text side on a full text (17,999 lines and the end line): the
// parse with its comment collection and spread, and the annotation of a text printed from
// a compiled program. Aim: well under 100 ms each.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "core/device_comments.h"
#include "core/mnemonic_parser.h"
#include "core/mnemonic_text.h"

namespace {

constexpr int LINES = MAX_TEXT_LINES - 1;

// Rungs of contacts and coils (every contact commented, so every line is a comment source
// or receives one), timers, word instructions on their operand lines and comment lines.
void fill_text(MnemonicText& text, bool comments) {
  int line = 0;
  int rung = 0;
  auto add = [&](const std::string& s) {
    if (line < LINES) set_line_statement(text[static_cast<size_t>(line++)], s);
  };
  while (line < LINES - 1) {
    char x[8], y[8];
    std::snprintf(x, sizeof x, "X%02X", rung % 0x1000);
    std::snprintf(y, sizeof y, "Y%02X", rung % 0x1000);
    const std::string m = "M" + std::to_string(rung % 9000);
    add(std::string("LD      ") + x + (comments ? "             ; 入力 " + std::to_string(rung) : ""));
    add("AND     " + m + (comments ? "             ; relay" : ""));
    add(std::string("OUT     ") + y);
    add("LD      " + m);
    add("OUT     T" + std::to_string(rung % 1000));
    add("K100");
    add("MOV     ");
    add("D" + std::to_string(rung % 30000));
    add("D" + std::to_string((rung + 1) % 30000));
    if (rung % 40 == 0 && rung / 40 < MAX_LINE_COMMENTS) add("; rung " + std::to_string(rung));
    ++rung;
  }
  add("END");
  set_end_line(text[static_cast<size_t>(line)]);
}

void BM_ParseFullText(benchmark::State& state) {
  MnemonicText source = make_mnemonic_text();
  fill_text(source, true);
  MnemonicText text = make_mnemonic_text();
  DeviceCommentTable table = make_device_comment_table(LINES + 10);
  InstructionList list(static_cast<size_t>(MAX_INSTRUCTIONS));
  for (auto _ : state) {
    state.PauseTiming();
    text = source;
    std::fill(list.begin(), list.end(), InstructionRecord{});
    state.ResumeTiming();
    const int result = parse_mnemonic_text(nullptr, table, text, list, nullptr, 0);
    if (result != PARSE_OK) state.SkipWithError("the text does not parse");
    benchmark::DoNotOptimize(list.data());
  }
}
BENCHMARK(BM_ParseFullText)->Unit(benchmark::kMillisecond);

void BM_AnnotateFullText(benchmark::State& state) {
  MnemonicText source = make_mnemonic_text();
  fill_text(source, false);
  // A comment for every device of the text, as a large design gives them.
  DeviceCommentTable table = make_device_comment_table();
  for (int i = 0; i < MAX_DEVICE_COMMENTS - 1; ++i) {
    const DeviceIndex device = i % 2 ? Device::M : Device::X;
    table[static_cast<size_t>(i)].key = static_cast<int32_t>(make_device_operand(device, static_cast<uint32_t>(i / 2 % 4096)));
    std::snprintf(table[static_cast<size_t>(i)].text, COMMENT_TEXT_SIZE, "comment\n%d\n", i);
  }
  table[MAX_DEVICE_COMMENTS - 1].key = static_cast<int32_t>(COMMENT_TABLE_END_KEY);
  MnemonicText text = make_mnemonic_text();
  for (auto _ : state) {
    state.PauseTiming();
    text = source;
    state.ResumeTiming();
    annotate_text_with_comments(table, text);
    benchmark::DoNotOptimize(text.data());
  }
}
BENCHMARK(BM_AnnotateFullText)->Unit(benchmark::kMillisecond);

}  // namespace
