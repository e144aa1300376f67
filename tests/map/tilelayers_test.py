#!/usr/bin/python3
"""Layers in the map window's back buffer against Pillow: a base map, a
blended RGBA layer, a colour-keyed RGB layer, an RGBA layer at half its
alpha and a palette layer with transparency (written by Pillow), served by the local tile server; the cells the program writes must
equal Pillow's composition of the same tiles (within rounding), in normal
and in large-tile mode."""
import io
import os
import shutil
import subprocess
import sys
import tempfile

from PIL import Image

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import tileserver  # noqa: E402

EXE = sys.argv[1]
WINE_RUN = os.environ["ORV_WINE_RUN"]
TOLERANCE = 2  # three roundings of one step each


def layer(rows, mode):
    return Image.frombytes(mode, (256, 256), b"".join(rows)).convert("RGBA")


def expected(z, x, y):
    out = Image.new("RGBA", (256, 256), tileserver.tile_colour(z, x, y) + (255,))
    out = Image.alpha_composite(out, layer(tileserver.layer_rgba(z, x, y), "RGBA"))
    keyed = layer(tileserver.layer_keyed(z, x, y), "RGB")
    mask = Image.new("L", (256, 256), 255)
    mask.putdata([0 if p[:3] == tileserver.KEY else 255 for p in keyed.getdata()])
    keyed.putalpha(mask)
    out = Image.alpha_composite(out, keyed)
    half = layer(tileserver.layer_rgba(z, x, y), "RGBA")
    half.putalpha(half.getchannel("A").point(lambda a: a * 128 // 256))
    out = Image.alpha_composite(out, half)
    pal = Image.open(io.BytesIO(tileserver.layer_palette(z, x, y))).convert("RGBA")
    return Image.alpha_composite(out, pal).convert("RGB")


def interior(u):
    # away from the 16-pixel blocks' edges: any scaler keeps these
    return 2 <= u % 16 <= 13


def compare(work, mode, errors):
    info = {}
    cells = []
    for line in open(os.path.join(work, mode + ".txt")):
        k, *v = line.split()
        if k == "cell":
            cells.append(tuple(int(n) for n in v))
        else:
            info[k] = int(v[0])
    size, z = info["size"], info["zoom"]
    scale = size // 256
    checked = 0
    for i, (x, y) in enumerate(cells):
        raw = open(os.path.join(work, f"{mode}_{i}.raw"), "rb").read()
        got = Image.frombytes("RGBA", (size, size), raw, "raw", "BGRA")
        want = expected(z, x, y)
        bad = 0
        for v in range(256):
            for u in range(256):
                if scale > 1 and not (interior(u) and interior(v)):
                    continue
                g = got.getpixel((u * scale, v * scale))[:3]
                w = want.getpixel((u, v))
                checked += 1
                if max(abs(a - b) for a, b in zip(g, w)) > TOLERANCE:
                    if bad < 3:
                        errors.append(f"{mode} tile {z}/{x}/{y} pixel ({u},{v}): {g}, Pillow {w}")
                    bad += 1
        if bad:
            errors.append(f"{mode} tile {z}/{x}/{y}: {bad} pixels differ")
    return checked


def main():
    work = tempfile.mkdtemp(prefix="tilelayers_", dir=os.getcwd())
    srv = tileserver.start(os.path.join(work, "server.log"))
    errors, checked = [], 0
    try:
        rc = subprocess.run([WINE_RUN, EXE, "Z:" + work.replace("/", "\\"), str(srv.server_address[1])],
                            stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, timeout=150).returncode
        if rc != 0:
            errors.append(f"program ended with {rc}")
        else:
            for mode in ("normal", "large"):
                checked += compare(work, mode, errors)
    finally:
        srv.shutdown()
    for e in errors:
        print(e)
    print(f"{checked} pixels compared, {len(errors)} errors")
    if not errors:
        shutil.rmtree(work, ignore_errors=True)
    return 1 if errors else 0


if __name__ == "__main__":
    sys.exit(main())
