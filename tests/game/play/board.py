"""The scoreboard on the screen, computed here on its own: the map's pixels
as places (the map centred on (0, 0) at zoom 2 after the zoom-out),
distances by the independent geodesic of tests/map/geo_reference.py, the
bar formula, and the board's pixels."""
import math
import os
import sys
import time

sys.path.insert(0, os.path.join(os.environ["ORV_SOURCE_DIR"], "tests", "map"))
import geo_reference as ref  # noqa: E402
from gameplay import xshot  # noqa: E402

ZOOM = 2  # the zoom-out asks for 0; the first-start table's range starts at 2
UNIT = 2 ** (30 - 8 - ZOOM)


def click_geo(g, px, py):
    """Longitude and latitude under a client pixel."""
    x = xshot.world_x(0) + (px - g.mw // 2) * UNIT
    y = xshot.world_y(0) + (py - g.mh // 2) * UNIT
    return xshot.lon_of(x), xshot.lat_of(y)


def geo_pixel(g, lon, lat):
    """The client pixel of a place."""
    return (g.mw // 2 + round((xshot.world_x(lon) - xshot.world_x(0)) / UNIT),
            g.mh // 2 + round((xshot.world_y(lat) - xshot.world_y(0)) / UNIT))


def distance(target, lon, lat):
    d = ref.vincenty_inverse(target[0], target[1], lon, lat)
    return d if d is not None else ref.haversine(target[0], target[1], lon, lat)


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


def corner(g, players):
    """Screen position of the board's top-left corner (centred in the map)."""
    return g.mx + (g.mw - 800) // 2, g.my + (g.mh - (96 * players + 4)) // 2


def run_end(shot, x0, y, limit):
    """Last x of the run of pixels equal to the one at x0."""
    first, x = pixel(shot, x0, y), x0
    while x < limit and pixel(shot, x + 1, y) == first:
        x += 1
    return x


def wait_star(g, players, row, timeout=60):
    """A screenshot once the star stands in the row (the winner's bar ends last)."""
    left, top = corner(g, players)
    end = time.time() + timeout
    while time.time() < end:
        s = xshot.screenshot()
        if is_star(pixel(s, left + 37, top + 16 + 96 * row + 32)):
            return s
        time.sleep(0.3)
    return None


def wait_post(x, y, timeout=60):
    """Whether a board's post stands at the screen pixel (x, y): mostly one
    dark grey (a ring may run behind it)."""
    end = time.time() + timeout
    while time.time() < end:
        s = xshot.screenshot()
        block = [pixel(s, x + dx, y + dy) for dx in range(6) for dy in range(0, 36, 3)]
        grey = max(block, key=block.count)
        if 3 * block.count(grey) >= 2 * len(block) and max(grey) < 160 and max(grey) - min(grey) < 8:
            return True
        time.sleep(0.3)
    return False


def wait_half_board(g, timeout=60):
    """Whether the half-size board stands at the top left, below the player
    boxes' row: the round's results are over."""
    return wait_post(g.mx + 11, g.my + 60, timeout)


def wait_counts(g, players, timeout=60):
    """A screenshot once every row of the final board shows its count of
    stars, drawn as its bar stops growing (None if not)."""
    left, top = corner(g, players)
    end = time.time() + timeout
    while time.time() < end:
        s = xshot.screenshot()
        if all(len({pixel(s, x, top + 16 + 96 * i + y) for x in range(left + 760, left + 797)
                    for y in range(24, 56, 8)}) > 1 for i in range(players)):
            return s
        time.sleep(0.3)
    return None
