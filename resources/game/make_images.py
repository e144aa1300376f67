#!/usr/bin/env python3
"""Draws the star (32 x 32) and the glyph strip (640 x 56: cells of 40 x 56,
digits 0-9, "k" in cell 12, "m" in 13, "." in 14) as 32-bit BMP files with
premultiplied alpha:

    make_images.py OUTDIR [FONT]

The glyphs are white with a dark shadow, drawn from DejaVu Sans Bold; the
"." sits in the left quarter of its cell (the text advances a quarter glyph
for it). The output is the same on every run.
"""
import math
import os
import struct
import sys

from PIL import Image, ImageDraw, ImageFont

FONT = "/usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf"
CELL_W, CELL_H, CELLS = 40, 56, 16
BASELINE = 50
GLYPHS = {**{i: str(i) for i in range(10)}, 12: "k", 13: "m", 14: "."}


def write_bmp(path, width, height, pixels):
    """pixels: rows top-down of (r, g, b, a) premultiplied."""
    rows = []
    for y in range(height - 1, -1, -1):  # bottom-up
        rows.append(b"".join(struct.pack("<BBBB", b, g, r, a) for (r, g, b, a) in pixels[y]))
    data = b"".join(rows)
    header = struct.pack("<IiiHHIIiiII", 40, width, height, 1, 32, 0, len(data), 2835, 2835, 0, 0)
    tmp = path + ".tmp"
    with open(tmp, "wb") as f:
        f.write(b"BM" + struct.pack("<IHHI", 14 + len(header) + len(data), 0, 0, 14 + len(header)))
        f.write(header + data)
    os.replace(tmp, path)


def star():
    # a five-pointed star, gold, edge coverage by 4 x 4 supersampling
    n, cx, cy, outer, inner = 32, 15.5, 16.5, 15.5, 6.3
    poly = []
    for k in range(10):
        a = -math.pi / 2 + k * math.pi / 5
        r = outer if k % 2 == 0 else inner
        poly.append((cx + r * math.cos(a), cy + r * math.sin(a)))

    def inside(x, y):
        c = False
        for i in range(10):
            (x1, y1), (x2, y2) = poly[i], poly[(i + 1) % 10]
            if (y1 > y) != (y2 > y) and x < x1 + (y - y1) * (x2 - x1) / (y2 - y1):
                c = not c
        return c

    rows = []
    for y in range(n):
        row = []
        for x in range(n):
            hits = sum(inside(x + (i + 0.5) / 4, y + (j + 0.5) / 4) for i in range(4) for j in range(4))
            a = hits * 255 // 16
            # lighter towards the top
            r, g, b = 255, 200 + (32 - y) * 40 // 32, 40
            row.append((r * a // 255, min(g, 255) * a // 255, b * a // 255, a))
        rows.append(row)
    return rows


def glyph_masks(font_path):
    font = ImageFont.truetype(font_path, 46)
    masks = {}
    for cell, ch in GLYPHS.items():
        img = Image.new("L", (120, 100), 0)
        ImageDraw.Draw(img).text((30, 80), ch, fill=255, font=font, anchor="ls")
        box = img.getbbox()
        crop = img.crop(box)
        # the dot and its 2-px shadow fit the quarter cell the text advances for it
        limit = CELL_W - 4 if ch != "." else CELL_W // 4 - 2
        if crop.width > limit:
            crop = crop.resize((limit, crop.height), Image.LANCZOS)
        masks[cell] = (crop, box[3] - 80)  # descent below the baseline (0 for these)
    return masks


def strip(font_path):
    width = CELL_W * CELLS
    pix = [[(0, 0, 0, 0)] * width for _ in range(CELL_H)]
    for cell, (mask, below) in glyph_masks(font_path).items():
        x0 = cell * CELL_W + (0 if GLYPHS[cell] == "." else (CELL_W - mask.width) // 2)
        y0 = BASELINE + below - mask.height
        cov = {}
        for y in range(mask.height):
            for x in range(mask.width):
                v = mask.getpixel((x, y))
                if v:
                    cov[(x0 + x, y0 + y)] = v
        # shadow: the coverage moved 2 px right and down, black at half strength
        shade = {(x + 2, y + 2): v // 2 for (x, y), v in cov.items()}
        for (x, y) in set(cov) | set(shade):
            if not (cell * CELL_W <= x < (cell + 1) * CELL_W and 0 <= y < CELL_H):
                continue
            w, s = cov.get((x, y), 0), shade.get((x, y), 0)
            a = w + s * (255 - w) // 255  # white over the shadow
            pix[y][x] = (w, w, w, a)
    return pix


def main():
    out = sys.argv[1]
    font = sys.argv[2] if len(sys.argv) > 2 else FONT
    os.makedirs(out, exist_ok=True)
    write_bmp(os.path.join(out, "star.bmp"), 32, 32, star())
    write_bmp(os.path.join(out, "glyphs.bmp"), CELL_W * CELLS, CELL_H, strip(font))


if __name__ == "__main__":
    main()
