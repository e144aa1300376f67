#!/usr/bin/env python3
"""Track lengths of the map window against an independent geodesic: the
world points are turned into positions here (inverse Mercator) and summed
with Vincenty's inverse solution on the WGS 84 ellipsoid."""
import math
import os
import random
import subprocess
import sys
import tempfile

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from geo_reference import vincenty_inverse  # noqa: E402


def lon_of(x):
    return (x - 2**29) * 360 / 2**30


def lat_of(y):
    return math.degrees(math.atan(math.sinh((2**29 - y) * 2 * math.pi / 2**30)))


def make_tracks(rnd):
    tracks = []
    for t in range(60):
        n = rnd.randint(2, 40)
        # steps from a few metres to a few hundred kilometres
        step = 10 ** rnd.uniform(1.5, 7.0)
        x, y = rnd.randrange(2**30), rnd.randrange(2**27, 2**30 - 2**27)
        pts = []
        for _ in range(n):
            pts.append((x % 2**30, min(max(y, 0), 2**30 - 1)))
            x += int(rnd.uniform(-step, step))
            y += int(rnd.uniform(-step, step))
        tracks.append(pts)
    # along the equator and a meridian, and across 180 degrees
    tracks.append([(2**29, 2**29), (2**29 + 2**24, 2**29), (2**29 + 2**25, 2**29)])
    tracks.append([(2**28, 2**28), (2**28, 2**28 + 2**26)])
    tracks.append([(2**30 - 1000, 2**29), (500, 2**29 + 300)])
    return tracks


def reference(pts):
    total = 0.0
    for (x1, y1), (x2, y2) in zip(pts, pts[1:]):
        d = vincenty_inverse(lon_of(x1), lat_of(y1), lon_of(x2), lat_of(y2))
        if d is None:
            return None
        total += d
    return total


def main():
    checker = sys.argv[1]
    run = [checker]
    if checker.endswith(".exe"):
        run = [os.environ["ORV_WINE_RUN"], checker]
    rnd = random.Random(20261207)
    tracks = make_tracks(rnd)
    with tempfile.NamedTemporaryFile("w", suffix=".txt", delete=False, dir=os.getcwd()) as f:
        for pts in tracks:
            for x, y in pts:
                f.write(f"{x} {y}\n")
            f.write("\n")
        name = f.name
    arg = name if not checker.endswith(".exe") else "Z:" + name.replace("/", "\\")
    out = subprocess.run(run + [arg], capture_output=True, text=True, check=True).stdout.split()
    os.unlink(name)
    errors = 0
    if len(out) != len(tracks):
        print(f"{len(out)} lengths for {len(tracks)} tracks")
        return 1
    checked = 0
    for pts, got in zip(tracks, out):
        ref = reference(pts)
        if ref is None:
            continue
        checked += 1
        got = float(got)
        # the ellipsoid formula of the map is good to a few parts in 10^5
        if abs(got - ref) > 5e-5 * ref + 0.01:
            print(f"track of {len(pts)} points: {got} m, Vincenty {ref} m")
            errors += 1
    print(f"{checked - errors} passed, {errors} failed")
    return 1 if errors or checked < 50 else 0


if __name__ == "__main__":
    sys.exit(main())
