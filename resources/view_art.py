#!/usr/bin/env python3
"""Draws the game view's embedded 32-bit images and writes them as a C++
source: three marker sources, the player box and the cursor in the
base/tint/alpha encoding (byte 0 base level, byte 1 tint amount, byte 2
alpha, all premultiplied), and the target flag as plain premultiplied BGRA.

usage: view_art.py OUTPUT.cpp
"""
import math
import sys

SUB = 4  # subsamples per pixel and axis


def render(w, h, layers):
    """layers: functions (x, y) -> (b0, b1, b2, a) or None, painted in
    order; returns premultiplied 4-tuples averaged over the subsamples."""
    out = []
    n = SUB * SUB
    for py in range(h):
        for px in range(w):
            acc = [0.0, 0.0, 0.0, 0.0]
            for sy in range(SUB):
                for sx in range(SUB):
                    x = px + (sx + 0.5) / SUB
                    y = py + (sy + 0.5) / SUB
                    top = None
                    for f in layers:
                        v = f(x, y)
                        if v is not None:
                            top = v
                    if top is not None:
                        a = top[3] / 255.0
                        acc[0] += top[0] * a
                        acc[1] += top[1] * a
                        acc[2] += top[2] * a
                        acc[3] += top[3]
            out.append(tuple(int(round(c / n)) for c in acc))
    return out


def encoded(pixels):
    # base/tint/alpha: bytes 0, 1, 2
    return [p[0] | (p[1] << 8) | (p[3] << 16) for p in pixels]


def bgra(pixels):
    # plain: blue, green, red, alpha
    return [p[0] | (p[1] << 8) | (p[2] << 16) | (p[3] << 24) for p in pixels]


def circle(cx, cy, r, value):
    return lambda x, y: value if (x - cx) ** 2 + (y - cy) ** 2 <= r * r else None


def ring(cx, cy, r0, r1, value):
    return lambda x, y: value if r0 * r0 <= (x - cx) ** 2 + (y - cy) ** 2 <= r1 * r1 else None


def polygon(points, value):
    def inside(x, y):
        c = False
        j = len(points) - 1
        for i in range(len(points)):
            xi, yi = points[i]
            xj, yj = points[j]
            if (yi > y) != (yj > y) and x < (xj - xi) * (y - yi) / (yj - yi) + xi:
                c = not c
            j = i
        return value if c else None
    return inside


def thick_line(x0, y0, x1, y1, width, value):
    dx, dy = x1 - x0, y1 - y0
    ln = math.hypot(dx, dy)

    def f(x, y):
        t = max(0.0, min(1.0, ((x - x0) * dx + (y - y0) * dy) / (ln * ln)))
        d = math.hypot(x - (x0 + t * dx), y - (y0 + t * dy))
        return value if d <= width / 2 else None
    return f


def rounded_rect(x0, y0, x1, y1, r, value):
    def f(x, y):
        if x < x0 or x > x1 or y < y0 or y > y1:
            return None
        cx = min(max(x, x0 + r), x1 - r)
        cy = min(max(y, y0 + r), y1 - r)
        return value if (x - cx) ** 2 + (y - cy) ** 2 <= r * r else None
    return f


# encoded layer values: (base, tint, unused, alpha)
OUTLINE = (0, 0, 0, 255)
FILL = (30, 225, 0, 255)
SHINE = (255, 0, 0, 255)


def pin():
    # tip at (12, 31): the map's hot spot
    head = circle(12.5, 11.5, 10.5, OUTLINE)
    tail = polygon([(3.5, 15), (21.5, 15), (12.5, 31.8)], OUTLINE)
    head_in = circle(12.5, 11.5, 8.8, FILL)
    tail_in = polygon([(5.6, 15), (19.4, 15), (12.5, 28.6)], FILL)
    dot = circle(12.5, 11.5, 3.2, SHINE)
    return encoded(render(32, 32, [head, tail, head_in, tail_in, dot]))


def done_symbol():
    # outlined, so that the tick shows on a white player's face too
    check = [thick_line(9, 16.5, 14, 22, 5.8, OUTLINE), thick_line(14, 22, 23.5, 10.5, 5.8, OUTLINE),
             thick_line(9, 16.5, 14, 22, 3.4, SHINE), thick_line(14, 22, 23.5, 10.5, 3.4, SHINE)]
    return encoded(render(32, 32, [circle(16, 16, 14.5, OUTLINE), circle(16, 16, 12.8, FILL)] + check))


def current_symbol():
    outer = polygon([(2, 6), (30, 6), (16, 29)], OUTLINE)
    inner = polygon([(6.2, 8.2), (25.8, 8.2), (16, 24.8)], FILL)
    return encoded(render(32, 32, [outer, inner, circle(16, 13, 2.6, SHINE)]))


def box():
    frame = rounded_rect(0.5, 0.5, 41.5, 41.5, 7, (0, 0, 0, 230))
    face = rounded_rect(2.5, 2.5, 39.5, 39.5, 5.5, (40, 200, 0, 210))
    gloss = rounded_rect(4.5, 4.5, 37.5, 14, 4, (120, 135, 0, 210))
    return encoded(render(42, 42, [frame, face, gloss]))


def cursor():
    # hot spot (15, 15)
    layers = [
        ring(15.5, 15.5, 6.5, 11.5, OUTLINE), ring(15.5, 15.5, 8.0, 10.0, FILL),
        thick_line(15.5, 0.5, 15.5, 6, 3, OUTLINE), thick_line(15.5, 25, 15.5, 30.5, 3, OUTLINE),
        thick_line(0.5, 15.5, 6, 15.5, 3, OUTLINE), thick_line(25, 15.5, 30.5, 15.5, 3, OUTLINE),
        circle(15.5, 15.5, 1.6, OUTLINE),
    ]
    return encoded(render(32, 32, layers))


def target():
    # a chequered flag, the pole's foot at (11, 31): the map's hot spot
    black = (0, 0, 0, 255)
    white = (255, 255, 255, 255)
    red = (30, 30, 220, 255)  # blue, green, red

    def flag(x, y):
        if not (12.5 <= x <= 29.5 and 3.5 <= y <= 15.5):
            return None
        cell = int((x - 12.5) // 4.25) + int((y - 3.5) // 4)
        return red if cell % 2 else white
    pole = thick_line(11.5, 2.5, 11.5, 31.5, 2.4, black)
    border = rounded_rect(12, 3, 30, 16, 0.5, black)
    return bgra(render(32, 32, [pole, border, flag, circle(11.5, 2.5, 2.2, red)]))


def emit(out, name, w, h, pixels):
    out.append("const uint32_t k%sPixels[%d] = {" % (name, w * h))
    for i in range(0, len(pixels), 8):
        out.append("    " + ", ".join("0x%08X" % p for p in pixels[i:i + 8]) + ",")
    out.append("};")
    out.append("const EmbeddedImage k%s = {%d, %d, k%sPixels};" % (name, w, h, name))


def main():
    if len(sys.argv) != 2:
        sys.exit(__doc__)
    out = ["// Generated by resources/view_art.py; do not edit.",
           '#include "game/view/view_art.h"', "", "namespace view {", ""]
    emit(out, "ArtPin", 32, 32, pin())
    emit(out, "ArtDone", 32, 32, done_symbol())
    emit(out, "ArtCurrent", 32, 32, current_symbol())
    emit(out, "ArtBox", 42, 42, box())
    emit(out, "ArtCursor", 32, 32, cursor())
    emit(out, "ArtTarget", 32, 32, target())
    out += ["", "}  // namespace view", ""]
    with open(sys.argv[1] + ".tmp", "w") as f:
        f.write("\n".join(out))
    import os
    os.replace(sys.argv[1] + ".tmp", sys.argv[1])


if __name__ == "__main__":
    main()
