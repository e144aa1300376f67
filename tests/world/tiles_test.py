"""The generator gives the same files at 2 and 8 processes, as the cache
holds them: every tile of zoom 0-6 a 256 x 256 JFIF JPEG, land, sea and
lakes where the world has them."""
import filecmp
import math
import os
import subprocess
import sys

from PIL import Image

import worldtest

TILES = sum(4 ** z for z in range(7))  # 5,461


def pixel(lon, lat, zoom=6):
    """(x, y, px, py): the tile and the pixel in it of a place, by the
    usual slippy-map formulas."""
    n = 2 ** zoom
    fx = (lon + 180.0) / 360.0 * n
    lr = math.radians(lat)
    fy = (1.0 - math.asinh(math.tan(lr)) / math.pi) / 2.0 * n
    return int(fx), int(fy), int((fx % 1) * 256), int((fy % 1) * 256)


def mean(root, lon, lat, r=3):
    x, y, px, py = pixel(lon, lat)
    with Image.open(os.path.join(root, "6", str(x), "%d.jpg" % y)) as im:
        im = im.convert("RGB")
        pts = [im.getpixel((min(255, max(0, px + i)), min(255, max(0, py + j))))
               for i in range(-r, r + 1) for j in range(-r, r + 1)]
    return tuple(sum(p[c] for p in pts) / len(pts) for c in range(3))


def dist(a, b):
    return math.sqrt(sum((x - y) ** 2 for x, y in zip(a, b)))


def tree(root):
    return sorted(os.path.relpath(os.path.join(d, f), root) for d, _, fs in os.walk(root) for f in fs)


def main():
    cached = os.path.join(worldtest.world(), "tiles")
    data = os.path.join(worldtest.world(), "data")
    runs = []
    for procs in (2, 8):
        out = worldtest.work_dir("tiles-%d" % procs)
        subprocess.run([sys.executable, "-B", os.path.join(worldtest.SCRIPTS, "tiles.py"), "--data", data,
                        "--out", out, "--procs", str(procs)], check=True, stdout=subprocess.DEVNULL)
        runs.append(out)

    names = tree(runs[0])
    assert len(names) == TILES, len(names)
    assert all(n.endswith(".jpg") for n in names), [n for n in names if not n.endswith(".jpg")][:5]
    for other in (runs[1], cached):
        assert tree(other) == names, other
        _, mismatch, errors = filecmp.cmpfiles(runs[0], other, names, shallow=False)
        assert not mismatch and not errors, (other, mismatch[:5], errors[:5])

    total = 0
    for n in names:
        path = os.path.join(runs[0], n)
        with open(path, "rb") as f:
            head = f.read(11)
        assert head[:4] == b"\xff\xd8\xff\xe0" and head[6:11] == b"JFIF\0", n
        with Image.open(path) as im:
            assert im.format == "JPEG" and im.size == (256, 256), (n, im.format, im.size)
        total += os.path.getsize(path)
    assert 8e6 < total < 30e6, total

    sea = mean(runs[0], *tile_centre(24, 24))  # the open Atlantic
    assert sea[2] > sea[0] + 20, sea  # blue water
    munich = mean(runs[0], 11.576, 48.137)
    assert pixel(11.576, 48.137)[:2] == (34, 22)
    assert dist(munich, sea) > 40, (munich, sea)
    victoria = mean(runs[0], 33.0, -1.0)
    assert dist(victoria, sea) < 15, (victoria, sea)
    for out in runs:
        subprocess.run(["rm", "-rf", out], check=True)
    print("tiles: %d files, %.1f MB, identical at 2 and 8 processes and in the cache" % (TILES, total / 1e6))


def tile_centre(x, y, zoom=6):
    n = 2 ** zoom
    lon = (x + 0.5) / n * 360.0 - 180.0
    lat = math.degrees(math.atan(math.sinh(math.pi * (1 - 2 * (y + 0.5) / n))))
    return lon, lat


if __name__ == "__main__":
    main()
