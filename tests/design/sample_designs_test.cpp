// The two sample designs of the start-up guide ("SAMPLE1.MBS" and "SINGOU1.MBS"): small
// commented programs for a newcomer, kept in resources/samples and put into the folder
// "SAMPLE" beside the program by the build and by scripts/run.
//
// The ladders are written here, the files by the program's own design-file writer. The
// test checks that the files in the tree are what the writer makes of these ladders and
// that each compiles into the program it explains. After a change to a ladder, write the
// files again with
//   TAVOLIN_WRITE_SAMPLES=1 build/native/design_tests --gtest_filter='SampleDesigns.*'
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "core/core_state.h"
#include "core/design_file.h"
#include "core/ladder_compiler.h"
#include "core/seq_to_nic.h"
#include "support/ladder_text.h"
#include "support/mnemonic_lines.h"

namespace {

const std::string kSampleFolder = std::string(TAVOLIN_TEST_DATA) + "/../../resources/samples/";

void comment(LadderGrid& grid, int row, int column, const char* text) {
  grid[row].cell[column].word[0] |= CellFlags::HAS_COMMENT;
  std::snprintf(grid[row].text[column], CELL_TEXT_SIZE, "%s", text);
}

// Start and stop with self-holding: the start button X0 switches the motor Y0 on, the
// motor's own contact keeps it on, the stop button X1 (a break contact) switches it off.
LadderGrid start_stop_design() {
  LadderGrid grid = ladder_from_text(
      {
          "; 自己保持回路：押しボタンX0で運転、X1で停止します。",
          "; Y0の接点がX0と並列に入り、X0を離してもY0は入ったままです。",
          "X0#5 X1#6 ~ (Y0)",
          "Y0 ^",
          "; 運転中はランプY1が点灯します。",
          "Y0 ~ (Y1)",
      },
      {.grid_rows = MAX_GRID_ROWS});
  comment(grid, 2, 0, "始動\n");
  comment(grid, 2, 1, "停止\n");
  comment(grid, 2, 11, "モータ\n");
  comment(grid, 3, 0, "モータ\n");
  comment(grid, 5, 0, "モータ\n");
  comment(grid, 5, 11, "運転\nランプ\n");
  return grid;
}

// A traffic signal on three timers: while M0 runs, T0 times the green light, T1 the
// yellow one and T2 the red one; T2 restarts the cycle by switching T0 off.
LadderGrid traffic_signal_design() {
  LadderGrid grid = ladder_from_text(
      {
          "; 信号機：X0で運転開始、X1で停止。青→黄→赤をタイマーで繰り返します。",
          "X0#5 X1#6 ~ (M0)",
          "M0 ^",
          "; T0は青、T1は黄、T2は赤の時間。T2が終わるとT0が切れて最初に戻ります。",
          "M0 /T2 ~ (T0 K100)",
          "T0 ~ (T1 K30)",
          "T1 ~ (T2 K100)",
          "; 各ランプ：前のタイマーが終わってから次のタイマーが終わるまで点灯",
          "M0 /T0 ~ (Y0)",
          "T0 /T1 ~ (Y1)",
          "T1 ~ (Y2)",
      },
      {.grid_rows = MAX_GRID_ROWS});
  comment(grid, 1, 0, "開始\n");
  comment(grid, 1, 1, "停止\n");
  comment(grid, 1, 11, "運転中\n");
  comment(grid, 4, 11, "青時間\n");
  comment(grid, 5, 11, "黄時間\n");
  comment(grid, 6, 11, "赤時間\n");
  comment(grid, 8, 11, "青\n");
  comment(grid, 9, 11, "黄\n");
  comment(grid, 10, 11, "赤\n");
  return grid;
}

std::string design_bytes(LadderGrid grid, const char* project_name) {
  const char* saved = g_file_project_name;
  g_file_project_name = project_name;
  std::FILE* stream = std::tmpfile();
  EXPECT_NE(stream, nullptr);
  if (stream == nullptr) return {};
  EXPECT_EQ(write_design_file(nullptr, grid, nullptr, stream, DESIGN_FILE_STANDALONE), 0);
  g_file_project_name = saved;
  std::string bytes;
  std::rewind(stream);
  char buffer[4096];
  size_t n;
  while ((n = std::fread(buffer, 1, sizeof buffer, stream)) > 0) bytes.append(buffer, n);
  std::fclose(stream);
  return bytes;
}

std::string read_bytes(const std::string& path) {
  std::string bytes;
  if (std::FILE* f = std::fopen(path.c_str(), "rb")) {
    char buffer[4096];
    size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, f)) > 0) bytes.append(buffer, n);
    std::fclose(f);
  }
  return bytes;
}

std::string compiled_mnemonic(LadderGrid grid) {
  InstructionList list = make_instruction_list();
  EXPECT_EQ(compile_ladder(nullptr, grid, list, nullptr, 0), 0);
  return print_mnemonic_records(list);
}

struct Sample {
  const char* file;
  const char* name;
  LadderGrid (*design)();
  std::vector<std::string> program;  // the printed lines of the compiled program, comments left out
};

const Sample kSamples[] = {
    {"SAMPLE1.MBS",
     "SAMPLE1",
     start_stop_design,
     {"LD X00", "OR Y00", "ANI X01", "OUT Y00", "LD Y00", "OUT Y01", "END"}},
    {"SINGOU1.MBS",
     "SINGOU1",
     traffic_signal_design,
     {"LD X00", "OR M00", "ANI X01", "OUT M00", "LD M00", "ANI T02", "OUT T00", "K100", "LD T00", "OUT T01", "K30",
      "LD T01", "OUT T02", "K100", "LD M00", "ANI T00", "OUT Y00", "LD T00", "ANI T01", "OUT Y01", "LD T01", "OUT Y02",
      "END"}},
};

std::vector<std::string> statements_without_comments(const std::string& printed) {
  std::vector<std::string> out;
  for (std::string line : split_printed_lines(printed)) {
    while (!line.empty() && (line.back() == '\r' || line.back() == ' ')) line.pop_back();
    if (line.empty() || line[0] == ';') continue;
    // Operands are separated by blanks of any width in the printed text.
    std::string compact;
    for (char c : line)
      if (c != ' ' || (compact.size() && compact.back() != ' ')) compact += c;
    const size_t semicolon = compact.find(';');
    if (semicolon != std::string::npos) compact.resize(semicolon);
    while (!compact.empty() && compact.back() == ' ') compact.pop_back();
    out.push_back(compact);
  }
  return out;
}

TEST(SampleDesigns, CompileIntoThePrograms) {
  for (const Sample& s : kSamples) {
    reset_core_state();
    reset_compiler_state();
    EXPECT_EQ(statements_without_comments(compiled_mnemonic(s.design())), s.program) << s.file;
  }
}

TEST(SampleDesigns, TheFilesInTheTreeAreWhatTheWriterMakes) {
  const bool write = std::getenv("TAVOLIN_WRITE_SAMPLES") != nullptr;
  for (const Sample& s : kSamples) {
    reset_core_state();
    const std::string bytes = design_bytes(s.design(), s.name);
    const std::string path = kSampleFolder + s.file;
    if (write) {
      std::FILE* f = std::fopen(path.c_str(), "wb");
      ASSERT_NE(f, nullptr) << path;
      std::fwrite(bytes.data(), 1, bytes.size(), f);
      std::fclose(f);
    }
    EXPECT_EQ(read_bytes(path), bytes) << path;
    // And they read back into the same program.
    std::FILE* f = std::fopen(path.c_str(), "rb");
    ASSERT_NE(f, nullptr) << path;
    LadderGrid back = make_ladder_grid();
    EXPECT_EQ(read_design_file(back, f, DESIGN_FILE_STANDALONE), DESIGN_FILE_OK);
    std::fclose(f);
    EXPECT_EQ(statements_without_comments(compiled_mnemonic(back)), s.program) << s.file;
  }
}

}  // namespace
