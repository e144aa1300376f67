#!/usr/bin/env python3
"""The glyph text of the scoreboard recomputed here: the strip read from
the generated BMP, the characters placed right to left (a digit, "k" or
"m" a whole cell, "." a quarter, a blank five eighths), each glyph's
alpha lowered by an eighth with its premultiplied channels alike and
composed over the board (the board's channels times (255 - alpha) / 256,
saturated).

    glyph_blend_test.py GLYPH_BLEND_CHECK GLYPHS.bmp
"""
import os
import struct
import subprocess
import sys
import tempfile

CHECK, BMP = sys.argv[1], sys.argv[2]
CELL = {**{str(i): i for i in range(10)}, "k": 12, "m": 13, ".": 14}


def read_bmp(path):
    d = open(path, "rb").read()
    off, = struct.unpack_from("<I", d, 10)
    w, h = struct.unpack_from("<ii", d, 18)
    rows = []
    for y in range(h):
        base = off + (h - 1 - y) * w * 4
        rows.append(list(struct.unpack_from("<%dI" % w, d, base)))
    return w, h, rows


def expected(text, background, strip):
    sw, sh, rows = strip
    gw = sw // 16
    board = [[background] * 800 for _ in range(72)]
    x = 796
    for ch in reversed(text):
        if ch not in CELL:
            x -= gw * 5 // 8
            continue
        x -= gw // 4 if ch == "." else gw
        for j in range(sh):
            for i in range(gw):
                bx, by = x + i, 6 + j
                if not (0 <= bx < 800 and 0 <= by < 72):
                    continue
                p = rows[j][CELL[ch] * gw + i]
                a = p >> 24
                if a == 0:
                    continue
                a2 = a - a // 8
                q, out = board[by][bx], 0
                for sh_ in (0, 8, 16, 24):
                    c = a2 if sh_ == 24 else ((p >> sh_) & 255) * a2 // a
                    out |= min(255, c + ((q >> sh_) & 255) * (255 - a2) // 256) << sh_
                board[by][bx] = out
    return board


def main():
    strip = read_bmp(BMP)
    bad = 0
    for text, bg in (("12 345.6 km", 0xC0104080), ("999.9 km", 0xFF000000), ("7", 0)):
        with tempfile.TemporaryDirectory() as tmp:
            out = os.path.join(tmp, "board.raw")
            runner = [os.environ["ORV_WINE_RUN"]] if CHECK.endswith(".exe") else []
            subprocess.run(runner + [CHECK, BMP if not runner else "Z:" + BMP.replace("/", "\\"), text,
                                     "%08x" % bg, out if not runner else "Z:" + out.replace("/", "\\")],
                           check=True, stdin=subprocess.DEVNULL)
            data = open(out, "rb").read()
        got = struct.unpack("<%dI" % (800 * 72), data)
        want = expected(text, bg, strip)
        diff = sum(got[y * 800 + x] != want[y][x] for y in range(72) for x in range(800))
        changed = sum(want[y][x] != bg for y in range(72) for x in range(800))
        ok = diff == 0 and changed > 100
        print(("ok   " if ok else "FAIL ") + "%r over %08x: %d pixels differ, %d drawn" % (text, bg, diff, changed))
        bad += not ok
    return 1 if bad else 0


if __name__ == "__main__":
    sys.exit(main())
