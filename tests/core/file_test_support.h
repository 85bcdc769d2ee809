// Helpers for the tests of the file readers and writers: streams over temporary files,
// fixtures from tests/data, and small builders of ladder rows.
#pragma once

#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <string_view>

#include <gtest/gtest.h>

#include "core/ladder_model.h"

namespace file_test {

struct FileCloser {
  void operator()(std::FILE* f) const {
    if (f) std::fclose(f);
  }
};
using File = std::unique_ptr<std::FILE, FileCloser>;

// A temporary binary stream holding `bytes`, positioned at its start.
inline File stream_with(std::string_view bytes) {
  File f(std::tmpfile());
  if (f && !bytes.empty()) std::fwrite(bytes.data(), 1, bytes.size(), f.get());
  if (f) std::rewind(f.get());
  return f;
}

// Everything the stream holds, from its start.
inline std::string contents_of(std::FILE* f) {
  std::string out;
  std::rewind(f);
  char buf[4096];
  size_t n;
  while ((n = std::fread(buf, 1, sizeof buf, f)) > 0) out.append(buf, n);
  return out;
}

inline std::string read_fixture(const char* name) {
  std::string path = std::string(TAVOLIN_TEST_DATA) + "/" + name;
  std::FILE* f = std::fopen(path.c_str(), "rb");
  if (!f) return {};
  std::string out = contents_of(f);
  std::fclose(f);
  return out;
}

inline void set_text(LadderRow& row, int cell, std::string_view text) {
  std::memcpy(row.row_text() + cell * CELL_TEXT_SIZE, text.data(), text.size());
}
inline std::string text_at(const LadderRow& row, int cell, size_t capacity = CELL_TEXT_SIZE) {
  const char* p = row.row_text() + cell * CELL_TEXT_SIZE;
  return std::string(p, strnlen(p, capacity));
}

inline void lines_across(LadderRow& row, int from, int to) {
  for (int c = from; c <= to; ++c) row.cell[c].word[0] = 0xB9;
}

// A contact of part code `part` on `operand` in column `col`.
inline void contact(LadderRow& row, int col, uint32_t part, uint32_t operand) {
  row.cell[col].word[0] = part << 4 | 0x8008;
  row.cell[col].word[1] = operand;
}

inline void out_coil(LadderRow& row, uint32_t operand) {
  row.cell[11].word[0] = 0xC078;
  row.cell[11].word[1] = operand;
  row.cell[12].word[0] = 15;
}

inline void end_row(LadderRow& row) {
  row.cell[0].word[0] = 0xBB;
  lines_across(row, 1, 10);
  row.cell[11].word[0] = 0x6C08;
  row.cell[12].word[0] = 16;
}

inline void comment_row(LadderRow& row, std::string_view text) {
  row.cell[0].word[0] = 0x100000BB;
  for (int c = 1; c <= 10; ++c) row.cell[c].word[0] = 0x100000B9;
  row.cell[11].word[0] = 0x1000C048;
  row.cell[12].word[0] = 32;
  set_text(row, 0, text);
}

inline void end_mark_row(LadderRow& row) {
  for (auto& cell : row.cell) cell.word[0] = END_MARK_CELL;
}

inline void set_cpu_name(CpuSettings& s, const char* name) {
  std::memset(s.cpu_name, 0, sizeof s.cpu_name);
  std::strncpy(s.cpu_name, name, sizeof s.cpu_name - 1);
}

// The design that tests/data/small.MBS holds (and small.SEQ after its records): a
// contact with a comment and a coil, a comment row, the END row and one list of
// initially-on devices, with its settings.
inline LadderGrid small_fixture_grid() {
  LadderGrid grid = make_ladder_grid(20);
  contact(grid[0], 0, 1, 0x00000000);  // X0
  grid[0].cell[0].word[0] |= CellFlags::HAS_COMMENT;
  set_text(grid[0], 0, "Motor \non \n");
  lines_across(grid[0], 1, 10);
  out_coil(grid[0], 0x10000000);  // Y0
  comment_row(grid[1], "行間コメント表 \n二行目");
  end_row(grid[2]);
  LadderRow& special = grid[3];
  special.cell[0].word[0] = 0x8;
  special.cell[0].word[1] = 0x10000000;
  special.cell[1].word[0] = 0x8;
  special.cell[1].word[1] = 0x20000005;
  special.cell[12].word[0] = 0x3F0;
  for (int c = 13; c <= 15; ++c) special.cell[c].word[0] = CellFlags::SPECIAL;
  end_mark_row(grid[4]);
  return grid;
}

inline void small_fixture_settings(CpuSettings& s) {
  set_cpu_name(s, "pic16F84");
  s.option_a = 1;
  s.option_b = 1;
  s.option_c = 0;
  s.option_d = 3;
  s.clock_high = 4;
  s.clock_low = 0x20;
  s.vector_high = 1;
  s.vector_low = 2;
  s.port_value = 0x300;
  s.extra_value = 7;
  s.base_value = 0x1000;
  s.user_words[0] = 0x11;
  s.user_words[3] = 0x44;
}

// Words 0 and 1 of every cell, and the texts, of rows 0 .. rows - 1.
inline void expect_same_cells(const LadderGrid& got, const LadderGrid& want, int rows) {
  for (int r = 0; r < rows; ++r)
    for (int c = 0; c < ROW_CELLS; ++c) {
      EXPECT_EQ(got[r].cell[c].word[0], want[r].cell[c].word[0]) << "row " << r << " cell " << c << " word 0";
      EXPECT_EQ(got[r].cell[c].word[1], want[r].cell[c].word[1]) << "row " << r << " cell " << c << " word 1";
    }
}
inline void expect_same_texts(const LadderGrid& got, const LadderGrid& want, int rows) {
  for (int r = 0; r < rows; ++r)
    EXPECT_EQ(0, std::memcmp(got[r].text, want[r].text, sizeof got[r].text)) << "texts of row " << r;
}

}  // namespace file_test
