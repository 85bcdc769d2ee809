#include "win/design_fixtures.h"

#include <cstdio>

#include "core/design_file.h"
#include "design/design_document.h"
#include "shell/text_win.h"

bool write_design_grid(const std::wstring& path, GridSpan grid) {
  FILE* stream = _wfopen(path.c_str(), L"wb");
  if (stream == nullptr) return false;
  const int result = write_design_file(nullptr, grid, nullptr, stream, DESIGN_FILE_STANDALONE);
  return std::fclose(stream) == 0 && result == 0;
}

bool write_sample_design(const std::wstring& path) {
  LadderGrid grid = make_ladder_grid();
  build_new_design(grid);
  return write_design_grid(path, grid);
}
