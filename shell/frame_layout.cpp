#include "shell/frame_layout.h"

LayoutRect mdi_client_layout(int client_width, int client_height, int toolbar_height, int status_height) {
  int height = client_height - (status_height + toolbar_height);
  if (height < 0) height = 0;
  return {0, toolbar_height, client_width < 0 ? 0 : client_width, height};
}

DesignColourSet design_colour_set(int32_t option_bits) {
  if (option_bits & 0x01) return {0xFFFFFF, 0x005A00, 0x000000, true, 0xFFFFFF, 0xF5FFF0};
  return {0x820000, 0x00FF33, 0xFFFFFF, false, 0x820000, 0x000000};
}
