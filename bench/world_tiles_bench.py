#!/usr/bin/python3
"""Tile generation of the offline world map against Pillow encoding as many
pre-rendered tiles with the same settings, at 2 and 8 processes.

    /usr/bin/python3 -B bench/world_tiles_bench.py [--procs 2,8]

Prints one line per process count; ratio = encoding time / generation time
(above 1 the generation would be faster)."""
import argparse
import io
import multiprocessing
import os
import shutil
import subprocess
import sys
import tempfile
import time

from PIL import Image

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(HERE, "..", "scripts", "world"))
import tiles  # noqa: E402

SAMPLE = None


def encode(count):
    n = 0
    for i in range(count):
        buf = io.BytesIO()
        SAMPLE[i % len(SAMPLE)].save(buf, "JPEG", quality=tiles.QUALITY, optimize=True)
        n += len(buf.getvalue())
    return n


def main():
    global SAMPLE
    ap = argparse.ArgumentParser()
    ap.add_argument("--procs", default="2,8")
    a = ap.parse_args()
    world = subprocess.run([os.path.join(HERE, "..", "scripts", "world", "setup")], check=True,
                           capture_output=True, text=True).stdout.split()[-1]
    data = os.path.join(world, "data")
    total = sum(4 ** z for z in range(tiles.MAX_ZOOM + 1))
    # 256 tiles of zoom 6 spread over the world, decoded once
    SAMPLE = []
    for k in range(256):
        x, y = (k * 37) % 64, (k * 11 + k // 64) % 64
        with Image.open(os.path.join(world, "tiles", "6", str(x), "%d.jpg" % y)) as im:
            SAMPLE.append(im.convert("RGB"))
    for procs in [int(p) for p in a.procs.split(",")]:
        out = tempfile.mkdtemp(prefix="orv-tiles-")
        t = time.perf_counter()
        made = tiles.generate(data, out, procs)
        gen = time.perf_counter() - t
        shutil.rmtree(out)
        shares = [total // procs + (1 if i < total % procs else 0) for i in range(procs)]
        t = time.perf_counter()
        with multiprocessing.get_context("fork").Pool(procs) as pool:
            pool.map(encode, shares)
        enc = time.perf_counter() - t
        print("BENCH world.tiles.p%d: generate %d tiles in %.1f s (%.0f tiles/s), encode %.0f tiles/s, ratio %.3f"
              % (procs, made, gen, made / gen, total / enc, enc / gen))


if __name__ == "__main__":
    main()
