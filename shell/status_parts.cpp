#include "shell/status_parts.h"

#include <algorithm>
#include <cstring>

#include "shell/command_ids.h"

std::array<int, STATUS_PART_COUNT> status_part_edges(int client_width, int indicator_width) {
  std::array<int, STATUS_PART_COUNT> edges{};
  for (int i = 0; i < STATUS_PART_COUNT; ++i) {
    const int edge = client_width - STATUS_GRIP_ROOM - indicator_width * (STATUS_PART_COUNT - 1 - i);
    edges[i] = edge < 0 ? 0 : edge;
  }
  return edges;
}

int status_indicator_width(int widest_text_width) {
  return std::max(STATUS_INDICATOR_WIDTH, widest_text_width + STATUS_TEXT_ROOM);
}

std::vector<std::string> all_indicator_texts() {
  std::vector<std::string> texts;
  for (const char* names : {RANGE_SUBMODE_NAMES, BLANK_SUBMODE_NAMES}) {
    for (int i = 0; !list_entry(names, i).empty(); ++i) {
      texts.push_back("○" + list_entry(names, i));
      texts.push_back("  " + list_entry(names, i));
    }
  }
  return texts;
}

void skip_list_strings(const char** text, int n, int base) {
  for (int i = n - base; i > 0 && **text != '\0'; --i) *text += std::strlen(*text) + 1;
}

std::string list_entry(const char* list, int index) {
  if (index < 0) return {};
  const char* p = list;
  skip_list_strings(&p, index, 0);
  return p;
}

std::vector<StatusPartText> edit_mode_indicator_texts(int mode, int selected) {
  const char* names = nullptr;
  int count = 0;
  if (mode == CMD_RANGE_MODE) {
    names = RANGE_SUBMODE_NAMES;
    count = RANGE_SUBMODE_COUNT;
  } else if (mode == CMD_BLANK_LINE_MODE) {
    names = BLANK_SUBMODE_NAMES;
    count = BLANK_SUBMODE_COUNT;
  } else {
    return {};
  }
  std::vector<StatusPartText> parts;
  for (int i = 0; i < count; ++i) {
    const std::string name = list_entry(names, i);
    if (i == selected)
      parts.push_back({i + 1, "○" + name, true});
    else
      parts.push_back({i + 1, "  " + name, false});
  }
  return parts;
}
