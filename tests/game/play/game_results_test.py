#!/usr/bin/env python3
"""A round's results in Orvalo.exe: three clicks at known pixels, the
scoreboard measured on the screen during its pause: each bar's length by the
bar formula with distances from the independent geodesic of
tests/map/geo_reference.py (within 2 px), each bar's hue, the stars with
"StarSecond", then the half-size board centred at the top ("PlayerStats" 1),
the rings of the winner and the second and the second's number of points,
and the guesses in the game options' rows with "Gehe zu".

    game_results_test.py GAMEWIN.exe
"""
import os
import re
import subprocess
import sys
import time

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, HERE)
from board import bar_lengths, click_geo, corner, distance, is_star, pixel, ref, run_end, wait_star  # noqa: E402
from gameplay import BIN, WINE_RUN, check, close, finish, make_folder, start, target, xdo, xshot  # noqa: E402

WININFO = os.path.join(BIN, "tests", "e2e", "wininfo.exe")
DLGPROBE = os.path.join(BIN, "tests", "game", "dialogs", "dlgprobe.exe")

TARGET = (13.377704, 52.516275)
COLOURS = [(0, 0, 255), (0, 255, 0), (255, 0, 0)]  # players 1..3 as R, G, B


def near_pen(s, g, x, y, pen):
    return any(sum(abs(a - b) for a, b in zip(pixel(s, g.mx + x + dx, g.my + y + dy), pen)) < 60
               for dx in range(-2, 3) for dy in range(-2, 3))


def ring_point_count(g, s, place, scale, metres, pen, guesses):
    """The second's ring has about 4 n points, n = 3/20 of the circle's
    pixel size (the metres over a diagonal pixel's length, times 0.7071):
    its segments, projected here from the independent geodesic, are drawn
    where they stay below 31 px and left out where they are longer."""
    wx = xshot.world_x(TARGET[0]) // scale * scale
    wy = xshot.world_y(TARGET[1]) // scale * scale
    diagonal = ref.vincenty_inverse(xshot.lon_of(wx), xshot.lat_of(wy), xshot.lon_of(wx + scale),
                                    xshot.lat_of(wy + scale))
    n = min(max(int(metres * 0.7071 / diagonal) * 3 // 20, 4), 1024)
    step = 180.0 / (2 * n)  # degrees
    count = int(359.82 / step) + 1  # up to 6.28004 rad
    world, (tx, _) = int((1 << 30) // scale), place(*TARGET)
    pts = [place(*ref.vincenty_direct(TARGET[0], TARGET[1], k * step, metres)) for k in range(count)]
    pts = [(x + round((tx - x) / world) * world, y) for x, y in pts]  # the target's copy of the world
    busy = [(g.mw // 2, 0, 230, 180)] + [(x, y, 40, 40) for x, y in guesses]  # half board, markers
    drawn = left_out = 0
    for k in range(count):
        (ax, ay), (bx, by) = pts[k], pts[(k + 1) % count]
        extent, mx, my = max(abs(bx - ax), abs(by - ay)), (ax + bx) // 2, (ay + by) // 2
        if not (10 < mx < g.mw - 10 and 10 < my < g.mh - 10) or \
                any(abs(mx - x) < w and abs(my - y) < h for x, y, w, h in busy):
            continue
        if 16 <= extent <= 24:  # would be left out with half the points
            drawn += 1
            check(near_pen(s, g, mx, my, pen), "ring segment %d (%d px) drawn at (%d, %d)" % (k, extent, mx, my))
        elif 34 <= extent <= 60:  # would be drawn with twice the points
            left_out += 1
            check(not near_pen(s, g, mx, my, pen), "ring segment %d (%d px) left out at (%d, %d)"
                  % (k, extent, mx, my))
    check(drawn >= 3 and left_out >= 2, "the ring of %d points has %d short and %d long segments to look at"
          % (count, drawn, left_out))


def options_rows(g, clicks, plon, plat, zoom):
    """The game options show each guess in its row; "Gehe zu" centres the
    map on the guess and closes the dialog."""
    title = "Spieloptionen"
    subprocess.run([WINE_RUN, DLGPROBE, "cmd", g.title(), "32795"], capture_output=True, stdin=subprocess.DEVNULL)
    for _ in range(50):
        if subprocess.run([WINE_RUN, WININFO, title, "1036"], capture_output=True,
                          stdin=subprocess.DEVNULL).returncode == 0:
            break
        time.sleep(0.2)
    unit = 360.0 / (256 << 2)  # a pixel at zoom 2, where the clicks were
    for row, cid in enumerate((1027, 1028, 1030, 1032)):
        text = subprocess.run([WINE_RUN, DLGPROBE, "text", title, str(cid)], capture_output=True,
                              stdin=subprocess.DEVNULL).stdout.decode("cp1252")
        m = re.fullmatch("  X = (-?[0-9.]+)\xb0   Y = (-?[0-9.]+)\xb0  ", text)
        if row == 3:
            check(text == "  ---  ", "row 4 without a guess shows %r" % text)
            continue
        lon, lat = click_geo(g, *clicks[row])
        check(m is not None and abs(float(m.group(1)) - lon) < unit and abs(float(m.group(2)) - lat) < unit,
              "row %d shows %r for the guess %.4f, %.4f" % (row + 1, text, lon, lat))
    x, y, w, h = [int(v) for v in subprocess.run([WINE_RUN, WININFO, title, "1038"], capture_output=True,
                                                  stdin=subprocess.DEVNULL).stdout.split()]
    xdo("mousemove", str(x + w // 2), str(y + h // 2), "click", "1")
    time.sleep(1.0)
    check(subprocess.run([WINE_RUN, WININFO, title, "1"], capture_output=True,
                         stdin=subprocess.DEVNULL).returncode != 0, "'Gehe zu' closes the options")
    # the pointer at the map's centre reads the guess of player 2
    xdo("mousemove", str(g.mx + g.mw // 2), str(g.my + g.mh // 2))
    time.sleep(0.8)
    status = subprocess.run([WINE_RUN, WININFO, g.title(), "59393", "sbtext"], capture_output=True,
                            stdin=subprocess.DEVNULL).stdout.decode("cp1252").split()
    fields = dict(f.rstrip("\xb0").split("=") for f in status if "=" in f)
    lon, lat = click_geo(g, *clicks[1])
    px = 360.0 / (256 << zoom) * 3
    got = (float(fields.get("L\xe4nge", "nan")), float(fields.get("Breite", "nan")))
    check(abs(got[0] - lon) < px + unit and abs(got[1] - lat) < px + unit,
          "after 'Gehe zu' the map's centre is %s, player 2 guessed %.4f, %.4f (it was %.4f, %.4f)"
          % (got, lon, lat, plon, plat))


def main():
    folder = make_folder("orv-results-", {1: target(TARGET[0], TARGET[1], "Berlin")})
    g = start(folder, [("GamersCount", 3), ("MaximalTime", 0), ("StarSecond", 1), ("PlayerStats", 1)])
    try:
        g.key("F5")
        g.key("F5")
        time.sleep(1)
        cx, cy = g.mw // 2, g.mh // 2
        clicks = [(cx + 60, cy - 150), (cx - 120, cy + 40), (cx + 114, cy - 73)]
        dist = []
        for px, py in clicks:
            g.click(px, py)
            g.key("F4")
            dist.append(distance(TARGET, *click_geo(g, px, py)))
        want = bar_lengths(dist)
        order = sorted(range(3), key=lambda i: (dist[i], i))
        winner, second = order[0], order[1]
        print("distances %s, bars %s" % (["%.1f km" % (d / 1000) for d in dist], want), flush=True)

        left, top = corner(g, 3)
        shot = wait_star(g, 3, winner)
        check(shot is not None, "the winner's star appears")
        if shot:
            for i in range(3):
                y = top + 16 + 96 * i + 2  # above the glyphs
                x0 = left + 24
                first = pixel(shot, x0, y)
                x = run_end(shot, x0, y, left + 800)
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
        # the map now shows the target and the guesses: where it stands, from
        # the zoom and the pointer's place in the status bar
        xdo("mousemove", str(g.mx + 5), str(g.my + g.mh - 5))
        time.sleep(0.8)
        status = subprocess.run([WINE_RUN, WININFO, g.title(), "59393", "sbtext"], capture_output=True,
                                stdin=subprocess.DEVNULL).stdout.decode("cp1252").split()
        fields = dict(f.rstrip("\xb0").split("=") for f in status if "=" in f)
        check(fields.keys() >= {"Zoom", "Breite", "L\xe4nge"}, "status bar over the map: %r" % status)
        zoom, plat, plon = int(fields["Zoom"]), float(fields["Breite"]), float(fields["L\xe4nge"])
        scale = 2.0 ** (22 - zoom)

        def place(lon, lat):  # in the first copy of the world from the left edge
            return ((5 + round((xshot.world_x(lon) - xshot.world_x(plon)) / scale)) % (256 << zoom),
                    g.mh - 5 + round((xshot.world_y(lat) - xshot.world_y(plat)) / scale))
        # the rings of the winner and the second in their pens (the colour
        # halved) through the points north, east, south and west of the
        # target at their distances; the second's ring keeps only segments
        # below 31 px, which its stretched northern arc is not here
        s = xshot.screenshot()
        for i, azimuths in ((winner, (0, 90, 180, 270)), (second, (90, 180, 270))):
            pen = tuple(c // 2 for c in COLOURS[i])
            for azimuth in azimuths:
                x, y = place(*ref.vincenty_direct(TARGET[0], TARGET[1], azimuth, dist[i]))
                near = [pixel(s, g.mx + x + dx, g.my + y + dy) for dx in range(-2, 3) for dy in range(-2, 3)]
                check(any(sum(abs(a - b) for a, b in zip(q, pen)) < 60 for q in near),
                      "player %d's ring at %d degrees (%d, %d): %s" % (i + 1, azimuth, x, y, sorted(set(near))[:6]))
        ring_point_count(g, s, place, scale, dist[second], tuple(c // 2 for c in COLOURS[second]),
                         [place(*click_geo(g, px, py)) for px, py in clicks] + [place(*TARGET)])
        options_rows(g, clicks, plon, plat, zoom)
    finally:
        close(g)
    return finish(folder)


if __name__ == "__main__":
    sys.exit(main())
