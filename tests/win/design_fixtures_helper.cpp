#include "win/design_fixtures.h"

#include <cstdio>
#include <string>

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

bool write_design_without_end_row(const std::wstring& path) {
  LadderGrid grid = make_ladder_grid();
  build_new_design(grid);
  std::FILE* stream = std::tmpfile();
  if (stream == nullptr) return false;
  write_design_file(nullptr, grid, nullptr, stream, DESIGN_FILE_STANDALONE);
  std::rewind(stream);
  std::string all;
  char buffer[4096];
  size_t n;
  while ((n = std::fread(buffer, 1, sizeof buffer, stream)) > 0) all.append(buffer, n);
  std::fclose(stream);
  // The END row's line (it holds the END output 6C08), and the comment line of its row.
  const size_t at = all.find("000006C08");
  if (at == std::string::npos) return false;
  const size_t start = all.rfind("\r\n", at) + 2;
  const size_t end = all.find("\r\n", at) + 2;
  const std::string row_number = all.substr(start, 5);
  all.erase(start, end - start);
  const size_t comment = all.find("\r\n" + row_number + "  F");
  if (comment != std::string::npos) all.erase(comment, all.find("\r\n", comment + 2) - comment);
  FILE* out = _wfopen(path.c_str(), L"wb");
  if (out == nullptr) return false;
  const bool written = std::fwrite(all.data(), 1, all.size(), out) == all.size();
  return std::fclose(out) == 0 && written;
}
