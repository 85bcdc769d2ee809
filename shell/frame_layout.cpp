#include "shell/frame_layout.h"

std::array<int, STATUS_PART_COUNT> status_part_edges(int client_width) {
  std::array<int, STATUS_PART_COUNT> edges{};
  for (int i = 0; i < STATUS_PART_COUNT; ++i) {
    const int edge = client_width - 432 + 66 * i;
    edges[i] = edge < 0 ? 0 : edge;
  }
  return edges;
}

LayoutRect mdi_client_layout(int client_width, int client_height, int toolbar_height, int status_height) {
  int height = client_height - (status_height + toolbar_height);
  if (height < 0) height = 0;
  return {0, toolbar_height, client_width < 0 ? 0 : client_width, height};
}

DesignColourSet design_colour_set(int32_t option_bits) {
  if (option_bits & 0x01) return {0xFFFFFF, 0x005A00, 0x000000, true, 0xFFFFFF, 0xF5FFF0};
  return {0x820000, 0x00FF33, 0xFFFFFF, false, 0x820000, 0x000000};
}
