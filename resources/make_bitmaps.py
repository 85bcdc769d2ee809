#!/usr/bin/env python3
"""Draws the toolbar bitmaps and the window icons of Tavolin.

Writes resources/bitmaps/*.bmp (16-colour strips of 32 x 32 images) and
resources/icons/*.ico. Run it from anywhere; the outputs are committed, so a build needs
no Python. The pictures are pixel art drawn with a few primitives: the ladder symbols a
user of a ladder tool knows (contacts, coils, timer, counter, boxes) and plain pictures for
the other commands.

The toolbar strips are mapped bitmaps: black, dark grey, light grey and white follow the
user's button colours, so the background is light grey (the button face).
"""
import math
import os
import struct

HERE = os.path.dirname(os.path.abspath(__file__))

# The 16-colour palette (index: RGB).
PALETTE = [
    (0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0),
    (0, 0, 128), (128, 0, 128), (0, 128, 128), (192, 192, 192),
    (128, 128, 128), (255, 0, 0), (0, 255, 0), (255, 255, 0),
    (0, 0, 255), (255, 0, 255), (0, 255, 255), (255, 255, 255),
]
K, DRED, DGRN, OLIVE, NAVY, PURP, TEAL, SILV, GREY, RED, GRN, YEL, BLUE, MAG, CYAN, WHT = range(16)
FACE = SILV
SIZE = 32

# ---- a tiny pixel font ------------------------------------------------------------------
# 3 x 5 glyphs for the key labels, 5 x 7 glyphs for words inside the pictures.
FONT3 = {
    '0': ["111", "101", "101", "101", "111"], '1': ["010", "110", "010", "010", "111"],
    '2': ["111", "001", "111", "100", "111"], '3': ["111", "001", "011", "001", "111"],
    '4': ["101", "101", "111", "001", "001"], '5': ["111", "100", "111", "001", "111"],
    '6': ["111", "100", "111", "101", "111"], '7': ["111", "001", "010", "010", "010"],
    '8': ["111", "101", "111", "101", "111"], '9': ["111", "101", "111", "001", "111"],
    'F': ["111", "100", "110", "100", "100"], 'Z': ["111", "001", "010", "100", "111"],
    'A': ["010", "101", "111", "101", "101"], 'L': ["100", "100", "100", "100", "111"],
    'D': ["110", "101", "101", "101", "110"], 'X': ["101", "101", "010", "101", "101"],
    'Y': ["101", "101", "010", "010", "010"], 'O': ["111", "101", "101", "101", "111"],
    'U': ["101", "101", "101", "101", "111"], 'T': ["111", "010", "010", "010", "010"],
    'M': ["101", "111", "111", "101", "101"], 'K': ["101", "110", "100", "110", "101"],
    'C': ["111", "100", "100", "100", "111"], 'N': ["110", "101", "101", "101", "101"],
    'I': ["111", "010", "010", "010", "111"], 'R': ["110", "101", "110", "101", "101"],
    'S': ["111", "100", "111", "001", "111"], 'P': ["111", "101", "111", "100", "100"],
    'V': ["101", "101", "101", "101", "010"], 'E': ["111", "100", "110", "100", "111"],
    '^': ["010", "101", "000", "000", "000"], '.': ["000", "000", "000", "000", "010"],
    '+': ["000", "010", "111", "010", "000"], ' ': ["000", "000", "000", "000", "000"],
    '?': ["111", "001", "011", "000", "010"], '=': ["000", "111", "000", "111", "000"],
    '>': ["100", "010", "001", "010", "100"],
}
FONT5 = {
    'T': ["11111", "00100", "00100", "00100", "00100", "00100", "00100"],
    'I': ["11111", "00100", "00100", "00100", "00100", "00100", "11111"],
    'M': ["10001", "11011", "10101", "10101", "10001", "10001", "10001"],
    'C': ["01110", "10001", "10000", "10000", "10000", "10001", "01110"],
    'N': ["10001", "11001", "10101", "10011", "10001", "10001", "10001"],
    'F': ["11111", "10000", "10000", "11110", "10000", "10000", "10000"],
    'U': ["10001", "10001", "10001", "10001", "10001", "10001", "01110"],
    'K': ["10001", "10010", "10100", "11000", "10100", "10010", "10001"],
    'L': ["10000", "10000", "10000", "10000", "10000", "10000", "11111"],
    'D': ["11110", "10001", "10001", "10001", "10001", "10001", "11110"],
    '1': ["00100", "01100", "00100", "00100", "00100", "00100", "01110"],
    '2': ["01110", "10001", "00001", "00010", "00100", "01000", "11111"],
    '3': ["11110", "00001", "00001", "01110", "00001", "00001", "11110"],
    '0': ["01110", "10001", "10011", "10101", "11001", "10001", "01110"],
    '?': ["01110", "10001", "00001", "00110", "00100", "00000", "00100"],
}


class Canvas:
    """One 32 x 32 picture of palette indexes."""

    def __init__(self, background=FACE):
        self.px = [[background] * SIZE for _ in range(SIZE)]

    def set(self, x, y, c):
        if 0 <= x < SIZE and 0 <= y < SIZE:
            self.px[y][x] = c

    def get(self, x, y):
        return self.px[y][x]

    def hline(self, x0, x1, y, c):
        for x in range(min(x0, x1), max(x0, x1) + 1):
            self.set(x, y, c)

    def vline(self, x, y0, y1, c):
        for y in range(min(y0, y1), max(y0, y1) + 1):
            self.set(x, y, c)

    def line(self, x0, y0, x1, y1, c, width=1):
        dx, dy = abs(x1 - x0), -abs(y1 - y0)
        sx, sy = (1 if x0 < x1 else -1), (1 if y0 < y1 else -1)
        err = dx + dy
        while True:
            for ox in range(width):
                for oy in range(width):
                    self.set(x0 + ox, y0 + oy, c)
            if x0 == x1 and y0 == y1:
                break
            e2 = 2 * err
            if e2 >= dy:
                err += dy
                x0 += sx
            if e2 <= dx:
                err += dx
                y0 += sy

    def rect(self, x0, y0, x1, y1, c):
        self.hline(x0, x1, y0, c)
        self.hline(x0, x1, y1, c)
        self.vline(x0, y0, y1, c)
        self.vline(x1, y0, y1, c)

    def fill(self, x0, y0, x1, y1, c):
        for y in range(y0, y1 + 1):
            self.hline(x0, x1, y, c)

    def ellipse(self, cx, cy, rx, ry, c, fill=None, arc=None):
        """Outline (and fill) of an ellipse; arc limits the outline to angles in degrees
        (0 = right, counter-clockwise, y up)."""
        if fill is not None:
            for y in range(SIZE):
                for x in range(SIZE):
                    if ((x - cx) / (rx + 0.5)) ** 2 + ((y - cy) / (ry + 0.5)) ** 2 <= 1.0:
                        self.set(x, y, fill)
        steps = int(8 * (rx + ry)) + 8
        for i in range(steps):
            a = 2 * math.pi * i / steps
            deg = math.degrees(a)
            if arc and not (arc[0] <= deg <= arc[1]):
                continue
            self.set(round(cx + rx * math.cos(a)), round(cy - ry * math.sin(a)), c)

    def polygon(self, points, c, outline=None):
        """Filled polygon (even-odd rule over pixel centres)."""
        for y in range(SIZE):
            yc = y + 0.5
            xs = []
            for i in range(len(points)):
                (x0, y0), (x1, y1) = points[i], points[(i + 1) % len(points)]
                if (y0 <= yc < y1) or (y1 <= yc < y0):
                    xs.append(x0 + (yc - y0) * (x1 - x0) / (y1 - y0))
            xs.sort()
            for a, b in zip(xs[::2], xs[1::2]):
                for x in range(int(math.ceil(a - 0.5)), int(math.floor(b - 0.5)) + 1):
                    self.set(x, y, c)
        if outline is not None:
            for i in range(len(points)):
                (x0, y0), (x1, y1) = points[i], points[(i + 1) % len(points)]
                self.line(round(x0), round(y0), round(x1), round(y1), outline)

    def text(self, x, y, s, c, font=FONT3):
        for ch in s:
            glyph = font[ch]
            for gy, row in enumerate(glyph):
                for gx, bit in enumerate(row):
                    if bit == '1':
                        self.set(x + gx, y + gy, c)
            x += len(glyph[0]) + 1

    def text_width(self, s, font=FONT3):
        return sum(len(font[ch][0]) + 1 for ch in s) - 1


# ---- pictures ---------------------------------------------------------------------------
# Each takes the canvas and the centre row cy of the symbol (16, or 12 when a key label is
# drawn below it).

def wire(cv, x0, x1, cy):
    cv.hline(x0, x1, cy, K)


def relay_a(cv, cy):
    wire(cv, 1, 11, cy)
    wire(cv, 20, 30, cy)
    cv.fill(11, cy - 7, 12, cy + 7, NAVY)
    cv.fill(19, cy - 7, 20, cy + 7, NAVY)


def relay_b(cv, cy):
    relay_a(cv, cy)
    cv.line(9, cy + 7, 22, cy - 7, RED, 2)


def paren(cv, x, cy, half, colour, left, width=2, depth=3):
    """One side of a coil: a bow of height 2 * half + 1 whose middle lies at x."""
    for dy in range(-half, half + 1):
        bend = round(depth * (1 - math.sqrt(max(0.0, 1 - (dy / (half + 0.5)) ** 2))))
        px = x + bend if left else x - bend
        for w in range(width):
            cv.set(px + (w if left else -w), cy + dy, colour)


def coil(cv, cy, colour=DRED):
    wire(cv, 1, 10, cy)
    wire(cv, 21, 30, cy)
    paren(cv, 10, cy, 7, colour, True)
    paren(cv, 21, cy, 7, colour, False)


def timer(cv, cy):
    wire(cv, 1, 5, cy)
    wire(cv, 26, 30, cy)
    cv.ellipse(16, cy, 9, 9, K, fill=WHT)
    cv.ellipse(16, cy, 10, 10, K)
    for i in range(12):
        a = 2 * math.pi * i / 12
        cv.set(round(16 + 8 * math.cos(a)), round(cy - 8 * math.sin(a)), NAVY)
    cv.line(16, cy, 16, cy - 6, K)
    cv.line(16, cy, 20, cy + 2, RED)
    cv.set(16, cy, K)
    cv.fill(14, cy - 13, 18, cy - 12, K)  # the winding crown


def counter(cv, cy):
    wire(cv, 1, 3, cy)
    wire(cv, 28, 30, cy)
    cv.fill(4, cy - 8, 27, cy + 8, WHT)
    cv.rect(4, cy - 8, 27, cy + 8, K)
    cv.text(7, cy - 6, "CNT", DGRN, FONT5)
    cv.hline(6, 25, cy + 3, GREY)
    for x in range(8, 25, 4):
        cv.vline(x, cy + 4, cy + 6, DGRN)
    cv.line(7, cy + 6, 25, cy + 4, RED)


def function_box(cv, cy):
    wire(cv, 1, 3, cy)
    wire(cv, 28, 30, cy)
    cv.fill(4, cy - 7, 27, cy + 7, WHT)
    cv.rect(4, cy - 7, 27, cy + 7, K)
    cv.vline(5, cy - 6, cy + 6, K)
    cv.vline(26, cy - 6, cy + 6, K)
    cv.text(8, cy - 3, "FUN", PURP, FONT5)


def line_tool(cv, cy):
    cv.hline(2, 20, cy, K)
    cv.hline(2, 20, cy + 1, K)
    cv.vline(20, cy - 9, cy + 9, K)
    cv.vline(21, cy - 9, cy + 9, K)
    # a pencil drawing the line on
    cv.polygon([(23, cy + 2), (30, cy - 5), (31, cy - 4), (24, cy + 3)], YEL, outline=OLIVE)
    cv.set(22, cy + 3, K)
    cv.set(23, cy + 3, K)


def eraser(cv, cy):
    cv.polygon([(4, cy + 4), (16, cy - 8), (27, cy - 8 + 4), (15, cy + 8)], WHT, outline=K)
    cv.polygon([(4, cy + 4), (9, cy - 1), (20, cy + 3), (15, cy + 8)], MAG, outline=K)
    for x in range(3, 14, 3):
        cv.set(x, cy + 10, GREY)


def range_box(cv, cy):
    for i, x in enumerate(range(3, 29)):
        if (i // 2) % 2 == 0:
            cv.set(x, cy - 9, K)
            cv.set(x, cy + 9, K)
    for i, y in enumerate(range(cy - 9, cy + 10)):
        if (i // 2) % 2 == 0:
            cv.set(3, y, K)
            cv.set(28, y, K)
    for y in (cy - 5, cy, cy + 5):
        cv.hline(6, 25, y, NAVY)
        cv.fill(12, y - 2, 13, y + 2, NAVY)
        cv.fill(17, y - 2, 18, y + 2, NAVY)
    cv.fill(4, cy - 8, 27, cy - 7, SILV)


def number_set(cv, cy):
    cv.text(2, cy - 4, "1", BLUE, FONT5)
    cv.text(9, cy - 4, "2", BLUE, FONT5)
    cv.text(16, cy - 4, "3", BLUE, FONT5)
    cv.hline(2, 21, cy + 5, K)
    cv.polygon([(23, cy - 4), (30, cy - 4), (30, cy + 3), (23, cy + 3)], WHT, outline=K)
    cv.text(25, cy - 2, "X", RED)


def comment(cv, cy):
    cv.fill(3, cy - 10, 28, cy + 4, WHT)
    cv.rect(3, cy - 10, 28, cy + 4, K)
    cv.polygon([(8, cy + 4), (14, cy + 4), (7, cy + 10)], WHT, outline=K)
    cv.hline(9, 13, cy + 4, WHT)
    for y in (cy - 7, cy - 4, cy - 1):
        cv.hline(6, 25, y, NAVY)


def curved_arrow(cv, cy, left):
    cx = 16
    for r in (8, 9):
        cv.ellipse(cx, cy + 2, r, r, TEAL, arc=(0, 180))
    tip_x = cx - 8 if left else cx + 8
    # the arrow head points down where the arc ends
    cv.polygon([(tip_x - 5.5, cy + 2), (tip_x + 6.5, cy + 2), (tip_x + 0.5, cy + 9)], TEAL)
    end_x = cx + 8 if left else cx - 8
    cv.fill(min(end_x, end_x + 1), cy + 2, max(end_x, end_x + 1), cy + 8, TEAL)


def undo(cv, cy):
    curved_arrow(cv, cy, True)


def redo(cv, cy):
    curved_arrow(cv, cy, False)


def connector(cv, x, cy, w=16):
    """A D-sub plug seen from the front."""
    cv.polygon([(x, cy - 5), (x + w, cy - 5), (x + w - 2, cy + 5), (x + 2, cy + 5)], GREY, outline=K)
    for i in range(5):
        cv.set(x + 3 + i * (w - 6) // 4, cy - 2, YEL)
    for i in range(4):
        cv.set(x + 4 + i * (w - 8) // 3, cy + 2, YEL)


def port_check(cv, cy):
    connector(cv, 2, cy + 2, 18)
    cv.line(22, cy + 1, 25, cy + 5, DGRN, 2)
    cv.line(25, cy + 5, 30, cy - 6, DGRN, 2)
    cv.text(9, cy - 12, "?", BLUE, FONT5)


def chip(cv, cx, cy, w=14, h=10):
    x0, y0 = cx - w // 2, cy - h // 2
    cv.fill(x0, y0, x0 + w, y0 + h, K)
    for x in range(x0 + 1, x0 + w, 3):
        cv.vline(x, y0 - 3, y0 - 1, GREY)
        cv.vline(x, y0 + h + 1, y0 + h + 3, GREY)
    cv.set(x0 + 2, y0 + 2, WHT)


def board_chip(cv, cy):
    chip(cv, 16, cy, 18, 12)
    cv.text(10, cy - 2, "CPU", WHT)


def write_ladder(cv, cy):
    chip(cv, 16, cy + 6, 18, 7)
    cv.fill(14, cy - 11, 17, cy - 3, RED)
    cv.polygon([(9.5, cy - 3), (22.5, cy - 3), (16, cy + 2)], RED)
    # a small contact on the arrow's tail: the ladder going into the board
    cv.hline(3, 12, cy - 8, K)
    cv.vline(6, cy - 11, cy - 5, NAVY)
    cv.vline(9, cy - 11, cy - 5, NAVY)
    cv.hline(19, 29, cy - 8, K)
    cv.ellipse(25, cy - 8, 2, 3, DRED)


def pencil(cv, cy):
    cv.polygon([(4, cy + 10), (7, cy + 3), (24, cy - 14), (30, cy - 8), (13, cy + 9)], YEL, outline=K)
    cv.polygon([(24, cy - 14), (27, cy - 17), (33, cy - 11), (30, cy - 8)], MAG, outline=K)
    cv.polygon([(4, cy + 10), (7, cy + 3), (11, cy + 7)], WHT, outline=K)
    cv.set(4, cy + 10, K)
    cv.set(5, cy + 9, K)
    cv.line(9, cy + 4, 26, cy - 13, OLIVE)


def mnemonic_page(cv, cy):
    cv.fill(4, cy - 13, 27, cy + 13, WHT)
    cv.rect(4, cy - 13, 27, cy + 13, K)
    cv.polygon([(22, cy - 13), (27, cy - 13), (27, cy - 8)], SILV, outline=K)
    cv.text(7, cy - 10, "LD", NAVY)
    cv.text(7, cy - 4, "AND", NAVY)
    cv.text(7, cy + 2, "OUT", DRED)
    cv.text(7, cy + 8, "END", GREY)


def monitor_screen(cv, cy):
    cv.fill(2, cy - 12, 29, cy + 7, K)
    cv.fill(4, cy - 10, 27, cy + 5, NAVY)
    cv.hline(5, 9, cy - 2, WHT)
    cv.fill(10, cy - 6, 10, cy + 2, GRN)
    cv.fill(14, cy - 6, 14, cy + 2, GRN)
    cv.hline(15, 17, cy - 2, GRN)
    cv.ellipse(21, cy - 2, 2, 4, YEL, fill=YEL)
    cv.hline(24, 26, cy - 2, WHT)
    cv.fill(13, cy + 8, 18, cy + 10, GREY)
    cv.fill(8, cy + 11, 23, cy + 12, GREY)


def play(cv, cy, colour=DGRN, outline_only=False):
    pts = [(9, cy - 10), (25, cy), (9, cy + 10)]
    if outline_only:
        cv.polygon(pts, WHT, outline=colour)
    else:
        cv.polygon(pts, colour, outline=K)


def com_link(cv, cy):
    connector(cv, 1, cy + 6, 12)
    connector(cv, 19, cy + 6, 12)
    cv.hline(6, 25, cy - 6, RED)
    cv.polygon([(22, cy - 9.5), (28, cy - 6), (22, cy - 2.5)], RED)
    cv.hline(6, 25, cy - 1, BLUE)
    cv.polygon([(9, cy - 4.5), (3, cy - 1), (9, cy + 2.5)], BLUE)
    cv.text(10, cy - 14, "COM", K)


def breakpoint(cv, cy):
    relay_a(cv, cy)
    cv.ellipse(25, cy - 8, 4, 4, K, fill=RED)


def freeze(cv, cy):
    timer(cv, cy)
    for a in range(0, 180, 60):
        r = math.radians(a)
        cv.line(round(25 - 5 * math.cos(r)), round(cy + 6 - 5 * math.sin(r)),
                round(25 + 5 * math.cos(r)), round(cy + 6 + 5 * math.sin(r)), BLUE)


def release_all(cv, cy):
    wire(cv, 1, 9, cy)
    wire(cv, 22, 30, cy)
    cv.line(10, cy, 21, cy - 8, K, 2)
    cv.fill(21, cy - 1, 22, cy + 1, K)
    cv.polygon([(13, cy + 4), (19, cy + 4), (16, cy + 9)], RED)


def force_contact(cv, cy):
    relay_a(cv, cy + 4)
    cv.fill(15, cy - 13, 16, cy - 4, RED)
    cv.polygon([(11.5, cy - 5), (20.5, cy - 5), (16, cy + 1)], RED)


def pause(cv, cy):
    cv.fill(9, cy - 9, 13, cy + 9, NAVY)
    cv.fill(18, cy - 9, 22, cy + 9, NAVY)


def power_reset(cv, cy):
    cv.ellipse(16, cy + 1, 9, 9, DGRN, arc=(120, 420))
    cv.ellipse(16, cy + 1, 10, 10, DGRN, arc=(120, 420))
    cv.ellipse(16, cy + 1, 9, 9, DGRN, arc=(-60, 60))
    cv.ellipse(16, cy + 1, 10, 10, DGRN, arc=(-60, 60))
    cv.fill(15, cy - 12, 16, cy + 1, DGRN)


def set_value(cv, cy):
    cv.fill(3, cy - 7, 28, cy + 7, WHT)
    cv.rect(3, cy - 7, 28, cy + 7, K)
    cv.text(6, cy - 3, "K", BLUE, FONT5)
    cv.text(13, cy - 3, "1", BLUE, FONT5)
    cv.text(20, cy - 3, "0", BLUE, FONT5)


def magnifier(cv, cy, glass=CYAN):
    cv.ellipse(13, cy - 3, 8, 8, K, fill=glass)
    cv.ellipse(13, cy - 3, 9, 9, K)
    cv.line(19, cy + 3, 27, cy + 11, K, 3)
    cv.hline(9, 14, cy - 7, WHT)


def copy_pages(cv, cy):
    for ox, oy in ((3, -11), (11, -4)):
        cv.fill(ox, cy + oy, ox + 15, cy + oy + 14, WHT)
        cv.rect(ox, cy + oy, ox + 15, cy + oy + 14, K)
        for i in range(3):
            cv.hline(ox + 3, ox + 12, cy + oy + 4 + 3 * i, NAVY)


def scissors(cv, cy):
    cv.line(8, cy - 12, 20, cy + 3, K, 2)
    cv.line(23, cy - 12, 11, cy + 3, K, 2)
    cv.ellipse(8, cy + 8, 4, 4, RED)
    cv.ellipse(23, cy + 8, 4, 4, RED)
    cv.ellipse(8, cy + 8, 3, 3, RED)
    cv.ellipse(23, cy + 8, 3, 3, RED)


def paste_board(cv, cy):
    cv.fill(5, cy - 11, 24, cy + 12, OLIVE)
    cv.rect(5, cy - 11, 24, cy + 12, K)
    cv.fill(10, cy - 13, 19, cy - 9, GREY)
    cv.rect(10, cy - 13, 19, cy - 9, K)
    cv.fill(12, cy - 5, 29, cy + 13, WHT)
    cv.rect(12, cy - 5, 29, cy + 13, K)
    for i in range(4):
        cv.hline(15, 26, cy - 1 + 4 * i, NAVY)


def compile_to_ladder(cv, cy):
    cv.text(2, cy - 12, "LD", NAVY, FONT5)
    cv.fill(19, cy - 10, 22, cy - 6, RED)
    cv.polygon([(16.5, cy - 6), (25.5, cy - 6), (21, cy - 1)], RED)
    wire(cv, 1, 8, cy + 7)
    cv.fill(8, cy + 2, 9, cy + 12, NAVY)
    cv.fill(13, cy + 2, 14, cy + 12, NAVY)
    wire(cv, 14, 19, cy + 7)
    paren(cv, 19, cy + 7, 5, DRED, True)
    paren(cv, 28, cy + 7, 5, DRED, False)
    wire(cv, 28, 31, cy + 7)


def key_label(cv, label):
    w = cv.text_width(label)
    x = (SIZE - w) // 2
    cv.fill(x - 2, 24, x + w + 1, 30, WHT)
    cv.rect(x - 2, 24, x + w + 1, 30, GREY)
    cv.text(x, 25, label, K)


def picture(draw, label=None):
    cv = Canvas()
    if label is None:
        draw(cv, 16)
    else:
        draw(cv, 11)
        key_label(cv, label)
    return cv


# ---- the strips ---------------------------------------------------------------------------

BASE = [pencil, mnemonic_page, monitor_screen, play]

# Design toolbar: image -> picture, key label of the key-in variant.
DESIGN = [
    (relay_a, "F1"), (relay_b, "F2"), (coil, "F7"), (timer, "F8"),
    (counter, "F9"), (function_box, "F10"), (line_tool, "F11"), (eraser, "F12"),
    (range_box, "^F1"), (number_set, "^F3"), (comment, "^F6"), (undo, "^Z"),
    (redo, "^A"), (port_check, None), (board_chip, None), (write_ladder, None),
]

MONITOR = [com_link, play, lambda cv, cy: play(cv, cy, DGRN, True), breakpoint, freeze,
           release_all, force_contact, pause, power_reset, set_value, magnifier]

MNEMONIC = [com_link, undo, redo, port_check, copy_pages, scissors, paste_board,
            lambda cv, cy: magnifier(cv, cy, WHT), compile_to_ladder]


def write_bmp(path, canvases):
    width = SIZE * len(canvases)
    row_bytes = (width * 4 + 31) // 32 * 4
    pixels = bytearray()
    for y in range(SIZE - 1, -1, -1):
        row = bytearray()
        for x in range(0, width, 2):
            a = canvases[x // SIZE].get(x % SIZE, y)
            b = canvases[(x + 1) // SIZE].get((x + 1) % SIZE, y)
            row.append(a << 4 | b)
        row += b'\0' * (row_bytes - len(row))
        pixels += row
    palette = b''.join(struct.pack('<BBBB', b, g, r, 0) for r, g, b in PALETTE)
    header = struct.pack('<IiiHHIIiiII', 40, width, SIZE, 1, 4, 0, len(pixels), 2835, 2835, 16, 16)
    offset = 14 + len(header) + len(palette)
    with open(path, 'wb') as f:
        f.write(struct.pack('<2sIHHI', b'BM', offset + len(pixels), 0, 0, offset))
        f.write(header + palette + pixels)


def icon_image(cv, size, transparent):
    """A 32-bpp icon image (with its AND mask) from a canvas, scaled down to size."""
    step = SIZE // size
    xor = bytearray()
    mask_rows = []
    for y in range(size - 1, -1, -1):
        bits = 0
        row_mask = bytearray()
        for x in range(size):
            c = cv.get(x * step, y * step)
            if c == transparent:
                xor += b'\0\0\0\0'
                bits = bits << 1 | 1
            else:
                r, g, b = PALETTE[c]
                xor += struct.pack('<BBBB', b, g, r, 255)
                bits = bits << 1
            if x % 8 == 7:
                row_mask.append(bits & 0xFF)
                bits = 0
        row_mask += b'\0' * ((4 - len(row_mask) % 4) % 4)
        mask_rows.append(row_mask)
    header = struct.pack('<IiiHHIIiiII', 40, size, size * 2, 1, 32, 0, len(xor), 0, 0, 0, 0)
    return header + bytes(xor) + b''.join(mask_rows)


def write_ico(path, draw, background):
    cv = Canvas(background)
    draw(cv)
    images = [icon_image(cv, 32, background), icon_image(cv, 16, background)]
    out = struct.pack('<HHH', 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for img, size in zip(images, (32, 16)):
        out += struct.pack('<BBBBHHII', size, size, 0, 0, 1, 32, len(img), offset)
        offset += len(img)
    with open(path, 'wb') as f:
        f.write(out + b''.join(images))


# Icons are drawn on purple, which no icon picture uses; it becomes transparent.
ICON_KEY = PURP


def icon_frame(cv):
    """arensta: the ladder itself, two rails with a contact and a coil between them."""
    cv.fill(1, 1, 30, 30, WHT)
    cv.rect(1, 1, 30, 30, K)
    cv.fill(3, 3, 4, 28, NAVY)
    cv.fill(27, 3, 28, 28, NAVY)
    for cy in (10, 21):
        cv.hline(5, 9, cy, K)
        cv.fill(10, cy - 4, 10, cy + 4, K)
        cv.fill(13, cy - 4, 13, cy + 4, K)
        cv.hline(14, 15, cy, K)
        paren(cv, 16, cy, 4, RED, True, 2, 2)
        paren(cv, 24, cy, 4, RED, False, 2, 2)
        cv.hline(25, 26, cy, K)


def icon_mnemonic(cv):
    """nimoc: a page of instruction lines."""
    cv.fill(4, 1, 27, 30, WHT)
    cv.rect(4, 1, 27, 30, K)
    cv.text(7, 4, "LD X0", NAVY)
    cv.text(7, 11, "AND", NAVY)
    cv.text(7, 18, "OUT Y", DRED)
    cv.text(7, 24, "END", K)


def icon_monitor(cv):
    """dousa: a lit output lamp in a running circuit."""
    cv.fill(1, 3, 30, 24, K)
    cv.fill(3, 5, 28, 22, NAVY)
    cv.hline(4, 9, 13, GRN)
    cv.fill(10, 9, 10, 17, GRN)
    cv.fill(13, 9, 13, 17, GRN)
    cv.hline(14, 17, 13, GRN)
    cv.ellipse(22, 13, 4, 4, YEL, fill=YEL)
    cv.fill(12, 25, 19, 27, GREY)
    cv.fill(6, 28, 25, 30, GREY)


def icon_design(cv):
    """enpitu: the pencil of the design screen."""
    cv.polygon([(2, 30), (5, 22), (23, 4), (28, 9), (10, 27)], YEL, outline=K)
    cv.polygon([(23, 4), (26, 1), (31, 6), (28, 9)], MAG, outline=K)
    cv.polygon([(2, 30), (5, 22), (10, 27)], WHT, outline=K)
    cv.set(2, 29, K)
    cv.set(3, 29, K)
    cv.set(2, 30, K)


def main():
    out = os.path.join(HERE, 'bitmaps')
    os.makedirs(out, exist_ok=True)
    write_bmp(os.path.join(out, 'toolbar_base.bmp'), [picture(d) for d in BASE])
    write_bmp(os.path.join(out, 'toolbar_design.bmp'), [picture(d) for d, _ in DESIGN])
    write_bmp(os.path.join(out, 'toolbar_design_keys.bmp'), [picture(d, k) for d, k in DESIGN])
    write_bmp(os.path.join(out, 'toolbar_monitor.bmp'), [picture(d) for d in MONITOR])
    write_bmp(os.path.join(out, 'toolbar_mnemonic.bmp'), [picture(d) for d in MNEMONIC])
    icons = os.path.join(HERE, 'icons')
    os.makedirs(icons, exist_ok=True)
    write_ico(os.path.join(icons, 'arensta.ico'), icon_frame, ICON_KEY)
    write_ico(os.path.join(icons, 'nimoc.ico'), icon_mnemonic, ICON_KEY)
    write_ico(os.path.join(icons, 'dousa.ico'), icon_monitor, ICON_KEY)
    write_ico(os.path.join(icons, 'enpitu.ico'), icon_design, ICON_KEY)


if __name__ == '__main__':
    main()
