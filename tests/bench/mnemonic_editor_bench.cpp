// The mnemonic editor's work for one keystroke and one paint in the largest text (17,999
// lines and the end line): a typed character in the middle of the text, a line split and
// join, and the display list of a screenful of lines. The window's timing program
// (tests/timing/mnemonic_timing_main.cpp) measures the same keystroke with its undo
// snapshot and drawing under Wine; these show what the editor itself adds. Aim: well
// under 1 ms each.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <string>

#include "core/mnemonic_text.h"
#include "mnemonic/mnemonic_editor.h"

namespace {

MnemonicText long_text() {
  MnemonicText text = make_mnemonic_text();
  for (int i = 0; i < MAX_TEXT_LINES - 2; ++i) {
    char line[64];
    if (i % 4 == 0)
      std::snprintf(line, sizeof line, "LD      X%03X            ; 入力 %d", i & 0xFFF, i);
    else
      std::snprintf(line, sizeof line, "OUT     Y%03X", i & 0xFFF);
    set_line_statement(text[static_cast<size_t>(i)], line);
  }
  set_line_statement(text[MAX_TEXT_LINES - 2], "END");
  set_end_line(text[MAX_TEXT_LINES - 1]);
  return text;
}

MnemonicView middle_view() {
  MnemonicView view{};
  view.sel_row = -1;
  view.top_row = 9000;
  view.cursor_row = 9005;
  view.cursor_col = 3;
  view.visible_rows = 50;
  view.visible_cols = 120;
  view.scroll_max = MAX_TEXT_LINES;
  return view;
}

void BM_TypeAndDeleteACharacter(benchmark::State& state) {
  MnemonicText text = long_text();
  MnemonicView view = middle_view();
  for (auto _ : state) {
    benchmark::DoNotOptimize(type_character(text, view, "x"));
    benchmark::DoNotOptimize(type_character(text, view, "\b"));
  }
}
BENCHMARK(BM_TypeAndDeleteACharacter)->Unit(benchmark::kMicrosecond);

void BM_SplitAndJoinALine(benchmark::State& state) {
  MnemonicText text = long_text();
  MnemonicView view = middle_view();
  for (auto _ : state) {
    benchmark::DoNotOptimize(split_line(text, view));
    benchmark::DoNotOptimize(type_character(text, view, "\b"));
  }
}
BENCHMARK(BM_SplitAndJoinALine)->Unit(benchmark::kMicrosecond);

void BM_PaintAScreenful(benchmark::State& state) {
  const MnemonicText text = long_text();
  const MnemonicView view = middle_view();
  for (auto _ : state) benchmark::DoNotOptimize(paint_text(text, view, TextMetrics{16, 8}, 0, 50 * 16));
}
BENCHMARK(BM_PaintAScreenful)->Unit(benchmark::kMicrosecond);

}  // namespace
