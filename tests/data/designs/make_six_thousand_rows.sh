#!/usr/bin/env bash
# Writes six_thousand_rows.MBS beside this script: a design of 6000 rows, as many as a grid
# holds. Rows 0-5988 are one-row rungs (contact X(i & FF), lines, OUT coil M(i)); rows
# 5989-5997 are one rung of nine contacts X0-X8 in parallel driving Y0 (its first row at row
# 5989, the last row a rung may start on); row 5998 is the END row and row 5999 the end mark.
# Every row is written as the design file writes it: the row number, the run-length groups
# of the 16 words 0, the separator group, those of the 16 words 1, CR LF; the final row has
# no line end.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")"
awk 'BEGIN {
  ORS = "\r\n"
  print "mbs-file 3winv.1"
  print "SIX_THOUSAND_ROWS.MBS"
  for (i = 0; i < 5989; i++) {
    x = i % 256
    w1 = (x == 0) ? "A00000000 " : sprintf("0%08X 900000000 ", x)
    printf "%05d  00000801A 9000000B9 00000C078 00000000F 200000000 DDDDDDDDD %s0%08X 300000000 \r\n",
      i + 1, w1, 536870912 + i
  }
  printf "%05d  00000801A 9000000B9 00000C078 00000000F 200000000 DDDDDDDDD A00000000 010000000 300000000 \r\n", 5990
  for (k = 1; k <= 8; k++)
    printf "%05d  00000801A 000000002 D00000000 DDDDDDDDD 0%08X E00000000 \r\n", 5990 + k, k
  printf "%05d  0000000BB 9000000B9 000006C08 000000010 200000000 DDDDDDDDD F00000000 \r\n", 5999
  line = sprintf("%05d  ", 6000)
  for (c = 0; c < 16; c++) line = line "000000FF0 "
  print line
  line = sprintf("%05d  ", 6001)
  for (c = 0; c < 16; c++) line = line "0F0F0F0F0 "
  printf "%s", line
}' >six_thousand_rows.MBS
