// The design files of tests/data/designs, written by hand in the design file's format (the
// folder's README says what each one holds): their names and bytes, and a grid read from one
// through the design file's reader, as the design window opens it.
#pragma once

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "core/design_file.h"
#include "core/ladder_model.h"

namespace design_fixture {

inline std::string folder() { return std::string(TAVOLIN_TEST_DATA) + "/designs/"; }
inline std::string path_of(const std::string& name) { return folder() + name; }

// Every design file of the folder, in name order.
inline std::vector<std::string> names() {
  std::vector<std::string> out;
  for (const auto& entry : std::filesystem::directory_iterator(folder()))
    if (entry.is_regular_file() && entry.path().extension() == ".MBS") out.push_back(entry.path().filename().string());
  std::sort(out.begin(), out.end());
  return out;
}

inline std::string bytes_of(const std::string& name) {
  std::ifstream in(path_of(name), std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

// Reads the file into `grid` (zero-filled first); the reader's result.
inline int read_into(const std::string& name, LadderGrid& grid) {
  std::fill(grid.begin(), grid.end(), LadderRow{});
  std::FILE* f = std::fopen(path_of(name).c_str(), "rb");
  if (f == nullptr) return -1;
  const int result = read_design_file(grid, f, DESIGN_FILE_STANDALONE);
  std::fclose(f);
  return result;
}

// The file's grid, of `rows` rows; an empty grid when the reader refuses the file.
inline LadderGrid grid_of(const std::string& name, int rows = MAX_GRID_ROWS) {
  LadderGrid grid = make_ladder_grid(rows);
  if (read_into(name, grid) != DESIGN_FILE_OK) grid.clear();
  return grid;
}

// The cell words (0 and 1, cells 0-12) of the rows after the END row, up to the end mark.
inline std::vector<std::vector<uint32_t>> rows_after_end_of(const LadderGrid& grid) {
  std::vector<std::vector<uint32_t>> rows;
  for (int r = count_program_rows(grid); r >= 0 && r < static_cast<int>(grid.size()); ++r) {
    const LadderRow& row = grid[static_cast<size_t>(r)];
    if (is_end_mark_row(row)) break;
    std::vector<uint32_t> words;
    for (int c = 0; c <= 12; ++c) words.insert(words.end(), {row.cell[c].word[0], row.cell[c].word[1]});
    rows.push_back(words);
  }
  return rows;
}

}  // namespace design_fixture
