// Replace-all of a device over the largest mnemonic text (17,998 statement lines, END and
// the end line): every use of X010 (one line in four) replaced by Y020 with Yes to each
// question and No to the restart; and one search step from the top to the last use.
// Aim: the replace-all under 50 ms.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <string>

#include "core/mnemonic_text.h"
#include "core/notice.h"
#include "mnemonic/mnemonic_search.h"

namespace {

MnemonicText long_text() {
  MnemonicText text = make_mnemonic_text();
  for (int i = 0; i < MAX_TEXT_LINES - 2; ++i) {
    char line[64];
    if (i % 4 == 0)
      std::snprintf(line, sizeof line, "LD      X010            ; 入力 %d", i);
    else
      std::snprintf(line, sizeof line, "OUT     Y%03X", i & 0xFFF);
    set_line_statement(text[static_cast<size_t>(i)], line);
  }
  set_line_statement(text[MAX_TEXT_LINES - 2], "END");
  set_end_line(text[MAX_TEXT_LINES - 1]);
  return text;
}

void BM_ReplaceAllOfADevice(benchmark::State& state) {
  const MnemonicText original = long_text();
  set_notice_handler([](void*, const char*, const char*, unsigned style) {
    return style == NoticeStyle::YES_NO_CANCEL ? NoticeAnswer::YES : NoticeAnswer::NO;
  });
  int replaced = 0;
  for (auto _ : state) {
    state.PauseTiming();
    MnemonicText text = original;
    MnemonicView view{};
    view.sel_row = -1;
    view.visible_rows = 50;
    state.ResumeTiming();
    replaced += replace_in_text(text, view, "x010", "Y020", SearchMode::DOWN, {}, {});
    benchmark::DoNotOptimize(text.data());
  }
  set_notice_handler({});
  if (replaced != static_cast<int>(state.iterations())) state.SkipWithError("nothing was replaced");
}
BENCHMARK(BM_ReplaceAllOfADevice)->Unit(benchmark::kMillisecond);

void BM_SearchFromTopToTheLastLine(benchmark::State& state) {
  MnemonicText text = long_text();
  set_line_statement(text[MAX_TEXT_LINES - 3], "OUT     M777");
  for (auto _ : state) {
    MnemonicView view{};
    view.sel_row = -1;
    benchmark::DoNotOptimize(find_word(text, view, "m777", SearchMode::DOWN));
  }
}
BENCHMARK(BM_SearchFromTopToTheLastLine)->Unit(benchmark::kMillisecond);

}  // namespace

