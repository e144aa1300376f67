#!/usr/bin/env python3
"""Track statistics against an independent computation:

    tracks_stats_test.py [WINE-RUN] TRACK_TOOL

Tracks made by gpsbabel and random walks with pauses, long steps and points
without time go through TrackComputeStats; here the distances are summed
with Vincenty's geodesic of tests/map/geo_reference.py and elapsed time,
pause time and speed follow from the rules: a step's time counts only
between two timed points and never below 0, a speed needs 0.01 s < dt <=
120 s, a speed below 0.2 m/s pauses.
"""
import math
import os
import random
import sys
import tempfile

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, HERE)
sys.path.insert(0, os.path.join(HERE, "..", "map"))
from geo_reference import vincenty_inverse  # noqa: E402
from trackrun import Checks, Tool, babel, gpx_source, random_track, unicsv, write_points  # noqa: E402


def day_value(seconds):
    # as the library keeps a time: days since 1899-12-30, in double
    return seconds / 86400.0 + 25569.0


def reference(points):
    rows = [(0.0, 0.0, 0.0, 0.0)]
    dist = elapsed = paused = 0.0
    for a, b in zip(points, points[1:]):
        d = vincenty_inverse(a[0], a[1], b[0], b[1])
        dt = 0.0
        if a[2] is not None and b[2] is not None:
            dt = (day_value(b[2]) - day_value(a[2])) * 86400.0
            if not dt > 0:
                dt = 0.0
        speed = d / dt if 0.01 < dt <= 120 else 0.0
        elapsed += dt
        if speed < 0.2:
            paused += dt
        dist += d
        rows.append((dist, elapsed, paused, speed))
    return dist, rows


def close(a, b, rel):
    return abs(a - b) <= rel * max(abs(a), abs(b)) + 1e-9


def check(tool, c, d, what, points):
    src = os.path.join(d, "stats.points")
    write_points(src, points)
    lines = tool.call("stats", tool.path(src), "0").split("\n")
    total = float(lines[0].split()[1])
    got = [tuple(float(x) for x in line.split()) for line in lines[1:] if line.strip()]
    ref_total, ref = reference(points)
    c.ok(close(total, ref_total, 1e-4), f"{what}: total {total} m, geodesic {ref_total} m")
    if not c.ok(len(got) == len(ref), f"{what}: {len(got)} rows"):
        return
    for i, (g, r) in enumerate(zip(got[1:], ref[1:]), 1):
        if not (close(g[0], r[0], 2e-5) and close(g[3], r[3], 2e-5) and g[1] == r[1] and g[2] == r[2]):
            c.ok(False, f"{what}: point {i} dist/elapsed/paused/speed {g}, expected {r}")
            return
    c.ok(True, what)


def main():
    tool = Tool(sys.argv[1:])
    c = Checks()
    rnd = random.Random(4711)
    with tempfile.TemporaryDirectory(dir=os.getcwd()) as d:
        # a track as gpsbabel writes it (its own dump gives the points)
        src = os.path.join(d, "src.gpx")
        gpx_source(src, tracks=[[random_track(rnd, 300)]])
        made = os.path.join(d, "babel.gpx")
        babel("-t", "-i", "gpx", "-f", src, "-o", "gpx", "-F", made)
        check(tool, c, d, "gpsbabel track", unicsv("-t", "gpx", made))
        for k in range(20):
            pts = random_track(rnd, rnd.randint(2, 400), pauses=True)
            # some fixes without time, and a clock that goes back once
            for _ in range(rnd.randint(0, 3)):
                i = rnd.randrange(len(pts))
                pts[i] = (pts[i][0], pts[i][1], None, pts[i][3])
            if k % 4 == 1 and len(pts) > 4:
                i = rnd.randrange(1, len(pts))
                if pts[i][2] is not None:
                    pts[i] = (pts[i][0], pts[i][1], pts[i][2] - 500, pts[i][3])
            check(tool, c, d, f"random walk {k} of {len(pts)} points", pts)
    return c.finish()


if __name__ == "__main__":
    sys.exit(main())
