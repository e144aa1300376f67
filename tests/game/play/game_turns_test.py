#!/usr/bin/env python3
"""Turns in Orvalo.exe by real X input: the reset button of the toolbar in
the middle of a countdown gives nobody's turn, the countdown disappears and
no guess is placed later, F5 starts the same target again; with
"SingleClick" a click ends the input 3 s later, and with "HideOpponent"
player 2 does not see player 1's marker (pixels); players added in the
options mid-round take the next turns.

    game_turns_test.py GAMEWIN.exe
"""
import os
import sys
import time

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, HERE)
from gameplay import BIN, WINE_RUN, check, close, cursor_at, finish, make_folder, start, target, wine, xdo, xshot  # noqa: E402

WININFO = os.path.join(BIN, "tests", "e2e", "wininfo.exe")
DLGPROBE = os.path.join(BIN, "tests", "game", "dialogs", "dlgprobe.exe")


def region(shot, x0, y0, w, h):
    sw, _, rgb = shot
    return bytes(b for y in range(y0, y0 + h) for b in rgb[3 * (y * sw + x0):3 * (y * sw + x0 + w)])


def differs(a, b):
    return sum(p != q for p, q in zip(a, b)) > 30


def click_reset(g):
    """The toolbar's reset button: the rightmost red icon above the map."""
    w, _, rgb = xshot.screenshot()
    pts = [(x, y) for y in range(g.my - 40, g.my) for x in range(g.mx, g.mx + 700)
           if rgb[3 * (y * w + x)] > 170 and rgb[3 * (y * w + x) + 1] < 70 and rgb[3 * (y * w + x) + 2] < 70]
    if not pts:
        return False
    right = max(p[0] for p in pts)
    pts = [p for p in pts if p[0] >= right - 12]
    xdo("mousemove", str(sum(p[0] for p in pts) // len(pts)), str(sum(p[1] for p in pts) // len(pts)))
    time.sleep(0.2)
    xdo("click", "1")
    time.sleep(0.8)
    return True


def control_rect(title, cid, timeout=10):
    end = time.time() + timeout
    while True:
        out = wine(WININFO, title, str(cid)).stdout.split()
        if out or time.time() > end:
            return list(map(int, out)) if out else None
        time.sleep(0.2)


def raise_count(g, count):
    """The game options' player count chosen from its list; Return takes it
    and the dialog's OK (Wine closes the list and the dialog at once)."""
    wine(DLGPROBE, "cmd", g.title(), "32795")
    r = control_rect("Spieloptionen", 1016)
    if not check(r is not None, "the game options open"):
        return
    xdo("mousemove", str(r[0] + r[2] // 2), str(r[1] + r[3] // 2), "click", "1")
    time.sleep(0.4)
    for k in (str(count), "Return"):
        xdo("key", k)
        time.sleep(0.3)
    ok = control_rect("Spieloptionen", 1, timeout=1)
    if ok:
        xdo("mousemove", str(ok[0] + ok[2] // 2), str(ok[1] + ok[3] // 2), "click", "1")
    end = time.time() + 10
    while wine(WININFO, "Spieloptionen", "1").returncode == 0 and time.time() < end:
        time.sleep(0.2)
    check(time.time() < end, "the game options close")


def player_colour(g, rgb, timeout=8):
    """Whether the map's cursor turns to the player's colour (a turn): the
    cursor is tinted, so green and blue keep their share of red."""
    end = time.time() + timeout
    while True:
        px = cursor_at(g.mx + g.mw // 2 - 60, g.my + g.mh // 2 + 40)[4]
        n = sum(1 for p in px if p >> 24 > 128 and (p >> 16 & 255) > 128 and
                all(abs((p >> s & 255) - (p >> 16 & 255) * c // 255) < 30 for s, c in ((8, rgb[1]), (0, rgb[2]))))
        if n > 40 or time.time() > end:
            return n > 40
        time.sleep(0.3)


def main():
    folder = make_folder("orv-turns-", {1: target(13.377704, 52.516275, "Berlin")})
    g = start(folder, [("GamersCount", 2), ("MaximalTime", 5)])
    try:
        ref = g.boxes()
        count = (g.mx + g.mw - 60 - 120, g.my + 5, 120, 56)
        before = region(xshot.screenshot(), *count)
        g.key("F5")
        g.key("F5")
        time.sleep(1)
        check(g.marked(ref) == [0], "player 1's turn with a countdown")
        check(differs(region(xshot.screenshot(), *count), before), "the countdown is shown")
        check(click_reset(g), "the toolbar's reset button is found")
        check(g.marked(ref) == [], "reset mid-countdown: nobody's turn")
        time.sleep(6)
        check(g.marked(ref) == [], "the time limit passes without a turn")
        check(not differs(region(xshot.screenshot(), *count), before), "no countdown after the reset")
        g.key("F5")
        time.sleep(0.5)
        check(g.marked(ref) == [0] and g.title() == "Berlin", "F5 starts the same target again")
        check(g.error(1) is None, "no error box")
    finally:
        close(g)

    g = start(folder, [("GamersCount", 2), ("MaximalTime", 0), ("SingleClick", 1), ("HideOpponent", 1)])
    try:
        ref = g.boxes()
        g.key("F5")
        g.key("F5")
        time.sleep(1)
        px, py = g.mw // 2 + 80, g.mh // 2 + 60
        spot = (g.mx + px - 14, g.my + py - 33, 36, 36)
        empty = region(xshot.screenshot(), *spot)
        t0 = time.time()
        g.click(px, py)
        check(differs(region(xshot.screenshot(), *spot), empty), "player 1's marker where the click was")
        check(g.marked(ref) == [0], "player 1 is done and still shown")
        while time.time() - t0 < 6 and g.marked(ref) != [0, 1]:
            time.sleep(0.2)
        took = time.time() - t0
        check(g.marked(ref) == [0, 1] and 2.6 < took < 4.5, "the input ends by itself after %.1f s" % took)
        time.sleep(0.5)
        check(not differs(region(xshot.screenshot(), *spot), empty), "player 2 does not see player 1's marker")
        # four players from here on: the map stays free for player 2, whose
        # click passes the turn to players 3 and 4 (red, then orange)
        raise_count(g, 4)
        end = time.time() + 5
        while 2 not in g.marked(ref) and time.time() < end:
            time.sleep(0.2)
        check(2 in g.marked(ref), "player 3's box is drawn")
        for rgb in ((255, 0, 0), (255, 128, 64)):
            g.click(g.mw // 2, g.mh // 2)
            check(player_colour(g, rgb), "the turn passes to the player of colour %s" % (rgb,))
    finally:
        close(g)
    return finish(folder)


if __name__ == "__main__":
    sys.exit(main())
