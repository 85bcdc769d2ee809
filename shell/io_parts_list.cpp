#include "shell/io_parts_list.h"

#include <algorithm>

IoPartsList g_io_parts_list{};

void empty_io_parts_list(IoPartsList& list) {
  for (auto& line : list) line.fill('\0');
  std::copy(IO_PARTS_LIST_END.begin(), IO_PARTS_LIST_END.end(), list[0].begin());
}
