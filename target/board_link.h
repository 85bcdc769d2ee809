// The board link over the serial port: opening slot g_com_number at the link's settings
// and checking it by its modem status, for the commands that talk to the board (the
// one-click write, the COM dialog). Both say MSG_NO_COM_LINK when the port does not answer.
#pragma once

// Opens the board's port for the program write when the link is off: slot g_com_number at
// 9600 baud, checked by its modem status. false after the message MSG_NO_COM_LINK (the
// slot is then closed and the link off).
bool open_link_for_write();
// The COM dialog's opening: closes the current slot, opens g_com_number and checks it.
bool reopen_link_for_dialog();

inline constexpr char MSG_NO_COM_LINK[] = "ＣＯＭ番号の不整合等で、\n通信が成立していません！！";
