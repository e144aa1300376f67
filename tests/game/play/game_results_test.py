#!/usr/bin/env python3
"""A round's results in Orvalo.exe: three clicks at known pixels, the
scoreboard measured on the screen during its pause: each bar's length by the
bar formula with distances from the independent geodesic of
tests/map/geo_reference.py (within 2 px), each bar's hue, the stars with
"StarSecond", then the half-size board centred at the top ("PlayerStats" 1).

    game_results_test.py GAMEWIN.exe
"""
import math
import os
import sys
import time

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, HERE)
sys.path.insert(0, os.path.join(os.environ["ORV_SOURCE_DIR"], "tests", "map"))
import geo_reference as ref  # noqa: E402
from gameplay import check, close, finish, make_folder, start, target, xshot  # noqa: E402

TARGET = (13.377704, 52.516275)
ZOOM = 2  # the zoom-out asks for 0; the first-start table's range starts at 2
COLOURS = [(0, 0, 255), (0, 255, 0), (255, 0, 0)]  # players 1..3 as R, G, B


def click_geo(g, px, py):
    """Longitude and latitude under a client pixel of the map centred on (0, 0)."""
    unit = 2 ** (30 - 8 - ZOOM)
    x = xshot.world_x(0) + (px - g.mw // 2) * unit
    y = xshot.world_y(0) + (py - g.mh // 2) * unit
    return xshot.lon_of(x), xshot.lat_of(y)


def distance(lon, lat):
    d = ref.vincenty_inverse(TARGET[0], TARGET[1], lon, lat)
    return d if d is not None else ref.haversine(TARGET[0], TARGET[1], lon, lat)


def bar_lengths(dist):
    best, largest = min(dist), max(dist)
    if largest < 1.0:
        largest = 1.0
    if best >= largest:
        best = largest * 0.5
    r = math.log(best) / math.log(largest) if best > 1 else 0
    r, s = (r - 0.1, 0.8 / (1.1 - r)) if r > 0.2 else (0, 0.8)
    return [17 if d <= 1 else 17 + int(780 * s * (math.log(d) / math.log(largest) - r)) for d in dist]


def pixel(shot, x, y):
    w, _, rgb = shot
    i = 3 * (y * w + x)
    return tuple(rgb[i:i + 3])


def is_star(p):
    return p[0] > 200 and p[1] > 150 and p[2] < 120


def main():
    folder = make_folder("orv-results-", {1: target(TARGET[0], TARGET[1], "Berlin")})
    g = start(folder, [("GamersCount", 3), ("MaximalTime", 0), ("StarSecond", 1), ("PlayerStats", 1)])
    try:
        g.key("F5")
        g.key("F5")
        time.sleep(1)
        cx, cy = g.mw // 2, g.mh // 2
        clicks = [(cx + 60, cy - 150), (cx - 120, cy + 40), (cx + 35, cy - 120)]
        dist = []
        for px, py in clicks:
            g.click(px, py)
            g.key("F4")
            dist.append(distance(*click_geo(g, px, py)))
        want = bar_lengths(dist)
        order = sorted(range(3), key=lambda i: (dist[i], i))
        winner, second = order[0], order[1]
        print("distances %s, bars %s" % (["%.1f km" % (d / 1000) for d in dist], want), flush=True)

        left, top = g.mx + (g.mw - 800) // 2, g.my + (g.mh - (96 * 3 + 4)) // 2
        shot = None
        end = time.time() + 60
        while time.time() < end:
            s = xshot.screenshot()
            if is_star(pixel(s, left + 37, top + 16 + 96 * winner + 32)):
                shot = s
                break
            time.sleep(0.3)
        check(shot is not None, "the winner's star appears")
        if shot:
            for i in range(3):
                y = top + 16 + 96 * i + 2  # above the glyphs
                x0 = left + 24
                first = pixel(shot, x0, y)
                x = x0
                while x < left + 800 and pixel(shot, x + 1, y) == first:
                    x += 1
                got = x + 1 - left
                check(abs(got - want[i]) <= 2, "player %d's bar ends at %d px, formula %d" % (i + 1, got, want[i]))
                main_channel = COLOURS[i].index(255)
                check(max(range(3), key=lambda c: first[c]) == main_channel,
                      "player %d's bar has the player's hue: %s" % (i + 1, first))
                stars = [is_star(pixel(shot, left + sx + 16, top + 16 + 96 * i + 32)) for sx in (21, 63)]
                expect = [True, True] if i == winner else [True, False] if i == second else [False, False]
                check(stars == expect, "player %d's stars %s" % (i + 1, stars))
        # then the map with the half-size board, centred
        time.sleep(7)
        s = xshot.screenshot()
        hx = g.mx + (g.mw - 400) // 2
        post = pixel(s, hx + 3, g.my + 10 + 40)
        beside = pixel(s, hx - 6, g.my + 10 + 40)
        check(sum(post) < sum(beside) - 60, "the half-size board's post stands centred at the top: %s vs %s"
              % (post, beside))
    finally:
        close(g)
    return finish(folder)


if __name__ == "__main__":
    sys.exit(main())
