#include "target/board_link.h"

#include "core/notice.h"
#include "target/monitor_protocol.h"
#include "target/serial_port.h"

bool open_link_for_write() {
  if (g_port_open != 0) return true;
  g_current_port = g_com_number;
  close_port(g_com_number);  // a slot left open by a failed probe would refuse a second open
  open_port(g_com_number, LINK_BAUD_RATE, NO_PARITY);
  if (!query_port_modem_status(g_com_number)) {
    close_port(g_com_number);
    g_port_open = 0;
    show_notice(MSG_NO_COM_LINK, CAPTION_WARNING, NoticeStyle::OK);
    return false;
  }
  g_port_open = 1;
  return true;
}

bool reopen_link_for_dialog() {
  close_port(g_current_port);
  g_current_port = g_com_number;
  g_baud_rate = LINK_BAUD_RATE;
  open_port(g_com_number, LINK_BAUD_RATE, NO_PARITY);
  if (!query_port_modem_status(g_com_number)) {
    g_port_open = 0;
    show_notice(MSG_NO_COM_LINK, CAPTION_WARNING, NoticeStyle::OK);
    close_port(g_com_number);
    return false;
  }
  g_port_open = 1;
  return true;
}
