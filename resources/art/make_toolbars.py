#!/usr/bin/env python3
"""Draws the toolbar bitmaps of the main frame: toolbar 128 (16 x 15 cells on
the mask colour 0xC0C0C0) and the player bar 140 (areas to colour in
0xFF00FF). Writes 24-bit BMP files into the folder given."""
import os
import struct
import sys

MASK = (0xC0, 0xC0, 0xC0)
KEY = (0xFF, 0x00, 0xFF)
BLACK = (0, 0, 0)
WHITE = (0xFF, 0xFF, 0xFF)
GREY = (0x80, 0x80, 0x80)
DARK = (0x40, 0x40, 0x40)
YELLOW = (0xFF, 0xD8, 0x40)
BLUE = (0x20, 0x50, 0xC0)
GREEN = (0x10, 0x90, 0x30)
RED = (0xD0, 0x20, 0x20)
BROWN = (0xA0, 0x70, 0x20)
W, H = 16, 15

DIGITS = {  # 3 x 5
    "1": ["010", "110", "010", "010", "111"], "2": ["111", "001", "111", "100", "111"],
    "3": ["111", "001", "011", "001", "111"], "4": ["101", "101", "111", "001", "001"],
    "5": ["111", "100", "111", "001", "111"], "6": ["111", "100", "111", "101", "111"],
    "7": ["111", "001", "010", "010", "010"], "8": ["111", "101", "111", "101", "111"],
}


class Cell:
    def __init__(self):
        self.p = [[MASK] * W for _ in range(H)]

    def set(self, x, y, c):
        if 0 <= x < W and 0 <= y < H:
            self.p[y][x] = c

    def rect(self, x0, y0, x1, y1, c):  # inclusive
        for y in range(y0, y1 + 1):
            for x in range(x0, x1 + 1):
                self.set(x, y, c)

    def frame(self, x0, y0, x1, y1, c):
        for x in range(x0, x1 + 1):
            self.set(x, y0, c)
            self.set(x, y1, c)
        for y in range(y0, y1 + 1):
            self.set(x0, y, c)
            self.set(x1, y, c)

    def line(self, x0, y0, x1, y1, c):
        n = max(abs(x1 - x0), abs(y1 - y0), 1)
        for i in range(n + 1):
            self.set(round(x0 + (x1 - x0) * i / n), round(y0 + (y1 - y0) * i / n), c)

    def digit(self, d, x0, y0, c):
        for y, row in enumerate(DIGITS[d]):
            for x, bit in enumerate(row):
                if bit == "1":
                    self.set(x0 + x, y0 + y, c)


def open_folder(c):
    c.rect(1, 4, 12, 12, YELLOW); c.frame(1, 4, 12, 12, BROWN); c.rect(2, 3, 6, 3, BROWN)
    c.line(3, 12, 6, 7, BROWN); c.line(6, 7, 15, 7, BROWN); c.line(15, 7, 12, 12, BROWN)


def printer(c):
    c.rect(4, 1, 11, 6, WHITE); c.frame(4, 1, 11, 6, BLACK)
    c.rect(1, 6, 14, 11, GREY); c.frame(1, 6, 14, 11, BLACK)
    c.rect(4, 10, 11, 13, WHITE); c.frame(4, 10, 11, 13, BLACK); c.set(12, 8, GREEN)


def copy(c):
    c.rect(1, 1, 8, 10, WHITE); c.frame(1, 1, 8, 10, BLACK)
    c.rect(6, 4, 13, 13, WHITE); c.frame(6, 4, 13, 13, BLACK)
    for y in (6, 8, 10):
        c.line(8, y, 11, y, BLUE)


def copy_position(c):
    c.frame(2, 2, 12, 12, GREY); c.line(7, 0, 7, 14, BLACK); c.line(0, 7, 14, 7, BLACK)
    c.rect(6, 6, 8, 8, RED)


def move_map(c):
    c.line(7, 1, 7, 13, BLACK); c.line(1, 7, 13, 7, BLACK)
    for dx, dy in ((0, 1), (0, -1), (1, 0), (-1, 0)):
        tx, ty = 7 + 6 * dx, 7 + 6 * dy
        c.line(tx, ty, tx - 2 * dx - 2 * dy, ty - 2 * dy - 2 * dx, BLACK)
        c.line(tx, ty, tx - 2 * dx + 2 * dy, ty - 2 * dy + 2 * dx, BLACK)


def copy_rect(c):
    for i in range(1, 15, 2):
        c.set(i, 2, BLACK); c.set(i, 12, BLACK); c.set(1, i - 1 if i > 1 else 2, BLACK); c.set(14, i, BLACK)
    c.rect(4, 5, 10, 9, BLUE)


def measure(c):
    c.rect(0, 5, 15, 10, YELLOW); c.frame(0, 5, 15, 10, BLACK)
    for x in range(2, 15, 3):
        c.line(x, 6, x, 7 if x % 2 else 8, BLACK)


def reload(c):
    for x, y in ((5, 2), (9, 2), (12, 4), (13, 8), (11, 11), (7, 12), (3, 11), (2, 7), (3, 4)):
        c.rect(x, y, x + 1, y + 1, GREEN)
    c.rect(10, 0, 12, 2, GREEN); c.rect(12, 1, 13, 3, GREEN)


def coordinates(c):
    c.rect(1, 1, 14, 13, WHITE); c.frame(1, 1, 14, 13, BLUE)
    for x in (5, 10):
        c.line(x, 1, x, 13, BLUE)
    for y in (5, 9):
        c.line(1, y, 14, y, BLUE)
    c.rect(10, 9, 11, 10, RED)


def next_game(c):
    for i in range(7):
        c.line(3 + i, 1 + i, 3 + i, 13 - i, GREEN)
    c.line(3, 1, 9, 7, DARK); c.line(9, 7, 3, 13, DARK); c.line(3, 1, 3, 13, DARK)
    c.rect(12, 2, 13, 12, GREEN)


def input_done(c):
    for t in range(3):
        c.line(2, 7 + t, 5, 10 + t, GREEN); c.line(5, 10 + t, 13, 2 + t, GREEN)


def reset(c):
    c.rect(3, 3, 11, 11, RED); c.frame(3, 3, 11, 11, DARK)


def full_screen(c):
    c.frame(1, 1, 14, 13, BLACK)
    for x0, y0, dx, dy in ((3, 3, 1, 1), (12, 3, -1, 1), (3, 11, 1, -1), (12, 11, -1, -1)):
        c.line(x0, y0, x0 + 3 * dx, y0, BLUE); c.line(x0, y0, x0, y0 + 2 * dy, BLUE)
        c.line(x0, y0, x0 + 2 * dx, y0 + 2 * dy, BLUE)


def game_options(c):
    c.rect(2, 1, 13, 13, WHITE); c.frame(2, 1, 13, 13, BLACK)
    for y in (4, 7, 10):
        c.rect(4, y, 5, y + 1, GREEN); c.line(7, y, 11, y, BLACK)


def player(n):
    def draw(c):
        c.rect(5, 0, 10, 4, KEY); c.frame(5, 0, 10, 4, BLACK)
        c.rect(2, 5, 13, 14, KEY); c.frame(2, 5, 13, 14, BLACK)
        c.digit(str(n), 6, 7, BLACK)
    return draw


def nobody(c):
    c.rect(2, 2, 13, 12, KEY); c.frame(2, 2, 13, 12, BLACK)
    c.line(4, 4, 11, 10, BLACK); c.line(11, 4, 4, 10, BLACK)


def results(c):
    c.rect(3, 1, 12, 6, KEY); c.frame(3, 1, 12, 6, BLACK)
    c.rect(6, 7, 9, 10, KEY); c.frame(6, 7, 9, 10, BLACK)
    c.rect(3, 11, 12, 14, KEY); c.frame(3, 11, 12, 14, BLACK)


# the button order of the two toolbar resources (frame.rc)
MAIN = [open_folder, printer, copy, copy_position, move_map, copy_rect, measure, reload, coordinates,
        next_game, input_done, reset, full_screen, game_options]
PLAYERS = [nobody] + [player(i) for i in range(1, 9)] + [results]


def write_bmp(path, cells):
    width, height = W * len(cells), H
    stride = (width * 3 + 3) & ~3
    rows = []
    for y in range(height - 1, -1, -1):  # bottom-up
        row = bytearray()
        for cell in cells:
            for x in range(W):
                r, g, b = cell.p[y][x]
                row += bytes((b, g, r))
        rows.append(bytes(row) + b"\0" * (stride - len(row)))
    data = b"".join(rows)
    head = struct.pack("<2sIHHI", b"BM", 54 + len(data), 0, 0, 54)
    info = struct.pack("<IiiHHIIiiII", 40, width, height, 1, 24, 0, len(data), 2835, 2835, 0, 0)
    tmp = path + ".tmp"
    with open(tmp, "wb") as f:
        f.write(head + info + data)
    os.replace(tmp, path)


def build(images):
    cells = []
    for draw in images:
        c = Cell()
        draw(c)
        cells.append(c)
    return cells


if __name__ == "__main__":
    out = sys.argv[1]
    os.makedirs(out, exist_ok=True)
    write_bmp(os.path.join(out, "toolbar_main.bmp"), build(MAIN))
    write_bmp(os.path.join(out, "toolbar_players.bmp"), build(PLAYERS))
