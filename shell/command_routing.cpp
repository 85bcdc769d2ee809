#include "shell/command_routing.h"

CommandRoute classify_frame_command(int id) {
  switch (id) {
    case ID_COM_COMBO:
      return CommandRoute::ComboSelection;
    case CMD_ENTER:
      return CommandRoute::EnterKey;
    case CMD_PORT_CHECK:
      return CommandRoute::PortCheck;
    case CMD_IO_DISPLAY:
    case CMD_OPEN_DESIGN:
    case CMD_OPEN_MNEMONIC:
    case CMD_SCREEN_DESIGN:
    case CMD_SCREEN_OPERATION:
    case CMD_COM_DIALOG:
    case CMD_SCREEN_MNEMONIC:
    case CMD_SEQ_TO_DESIGN:
    case CMD_SEQ_TO_MNEMONIC:
    case CMD_NEW_DESIGN:
    case CMD_NEW_MNEMONIC:
    case CMD_EXIT:
    case CMD_CLOSE_ALL:
    case CMD_PRINT:
    case CMD_SCREEN_MONITOR:
    case CMD_WRITE_LADDER:
      return CommandRoute::FrameCommand;
    default:
      break;
  }
  if (id >= CMD_RECENT_FILE && id <= CMD_RECENT_EXPAND) return CommandRoute::FrameCommand;
  if (edit_mode_prepared_for(id) != 0) return CommandRoute::PrepareThenForward;
  return CommandRoute::Forward;
}

int edit_mode_prepared_for(int id) {
  if (id == CMD_RANGE_DELETE) return 0;  // reaches the window with dialogs and modes as they are
  if (id >= CMD_RANGE_SELECT && id <= CMD_RANGE_PASTE) return CMD_RANGE_MODE;
  if (id >= CMD_BLANK_OPEN && id <= CMD_LEFT_CLOSE) return CMD_BLANK_LINE_MODE;
  return 0;
}

int port_number_from_combo_text(const char* text) {
  if (text == nullptr) return -1;
  for (int i = 0; i < 3; ++i)
    if (text[i] == '\0') return -1;
  const char* p = text + 3;
  if (*p < '0' || *p > '9') return -1;
  int n = 0;
  // A port number is a slot of the 16-slot port table; longer digit runs are no port.
  while (*p >= '0' && *p <= '9') {
    n = n * 10 + (*p - '0');
    if (n > 9999) return -1;
    ++p;
  }
  return n;
}
