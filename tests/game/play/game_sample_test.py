#!/usr/bin/env python3
"""The sample game (scripts/world/setup --sample) played to its end in
Orvalo.exe, the folder given on the command line, two players by X input:
every page's name in the title, the turn moving on by one player per game,
each round's bars by the independent geodesic, no "Fehler" box, "Ende", and
the final bars by the stars won.

    game_sample_test.py GAMEWIN.exe
"""
import os
import re
import subprocess
import sys
import tempfile

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from board import (bar_lengths, click_geo, corner, distance, geo_pixel, run_end, wait_counts,  # noqa: E402
                   wait_half_board, wait_star)
from gameplay import check, close, finish, start, xshot  # noqa: E402

OFFSETS = [(40, -30), (-45, 35)]  # near the target: both bars long, the animation short


def pages(folder):
    out = []
    for name in sorted(os.listdir(folder)):
        if re.fullmatch(r"Game\d{3}", name):
            head = open(os.path.join(folder, name, "Info.html"), "rb").read(254).decode("cp1252")
            lon = float(re.search(r"<!--REFX\s*(\S+)", head).group(1))
            lat = float(re.search(r"<!--REFY\s*(\S+)", head).group(1))
            out.append(((lon, lat), re.search(r'<!--NAME\s*"?([^"]*?)"?\s*-->', head).group(1)))
    return out


def next_page(g, title, first=False):
    """F5 once the results are over (F5 starts nothing before), the page's
    name in the title."""
    if not first:
        wait_half_board(g)
    g.key("F5", wait=0)
    return g.wait_title(title, 10)


def main():
    folder = tempfile.mkdtemp(prefix="orv-sample-")
    subprocess.run([os.path.join(os.environ["ORV_SOURCE_DIR"], "scripts", "world", "setup"), "--sample", folder],
                   check=True, stdout=subprocess.DEVNULL)
    games = pages(folder)
    check(games[-1][1] == "FIN" and len(games) > 2, "the sample game ends with 'FIN' (%d pages)" % len(games))
    stars = [0, 0]
    g = start(folder, [("GamersCount", 2), ("MaximalTime", 0)], args=["Z:" + folder.replace("/", "\\")])
    try:
        for k, (tgt, name) in enumerate(games[:-1]):
            if not check(next_page(g, name, k == 0), "game %d shows %r in the title: %r" % (k + 1, name, g.title())):
                break
            g.turn_key("F5")
            tx, ty = geo_pixel(g, *tgt)
            dist = [0, 0]
            for turn in range(2):
                player = (k + turn) % 2  # the first turn moves on by one player per game
                px, py = tx + OFFSETS[player][0], ty + OFFSETS[player][1]
                g.click(px, py, wait=0)
                g.turn_key("F4")
                dist[player] = distance(tgt, *click_geo(g, px, py))
            want = bar_lengths(dist)
            winner = 0 if dist[0] <= dist[1] else 1
            stars[winner] += 1
            shot = wait_star(g, 2, winner)
            left, top = corner(g, 2)
            got = [run_end(shot, left + 24, top + 16 + 96 * i + 2, left + 800) + 1 - left if shot else -1
                   for i in range(2)]
            check(all(abs(a - b) <= 2 for a, b in zip(got, want)),
                  "%s: bars %s, by the geodesic %s (%.0f km, %.0f km)" % (name, got, want, dist[0] / 1000,
                                                                         dist[1] / 1000))
        check(next_page(g, "Ende"), "'FIN' ends the game: %r" % g.title())
        check(g.error(0.5) is None, "no error box on the way")
        g.key("F5", wait=0)
        shot = wait_counts(g, 2, 90) or xshot.screenshot()  # the longest final bar grows 6 px a tick
        left, top = corner(g, 2)
        most = max(stars)
        want = [17 + 702 * s // most if most else 17 for s in stars]
        got = [run_end(shot, left + 18, top + 16 + 96 * i + 32, left + 800) + 1 - (left + 16) for i in range(2)]
        check(all(abs(a - b) <= 2 for a, b in zip(got, want)), "final bars %s for stars %s: %s" % (got, stars, want))
    finally:
        close(g)
    return finish(folder)


if __name__ == "__main__":
    sys.exit(main())
