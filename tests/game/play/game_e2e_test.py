#!/usr/bin/env python3
"""The game in Orvalo.exe under Wine, driven by real X input: pages of a
game folder in order with a missing one skipped, the "Fehler" boxes of bad
pages (their text read by gamewin.exe), turns moving on by one player per
game, F4 and F5 where they must do nothing, the "FIN" page, and the
player's cursor on the map only (not on the section dialog's map) and the
guess's pin with its tip at the click.

    game_e2e_test.py GAMEWIN.exe
"""
import os
import subprocess
import sys
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from board import corner, wait_half_board, wait_post  # noqa: E402
from gameplay import (GAMEWIN, WINE_RUN, check, close, cursor_at, finish, make_folder, page, start,  # noqa: E402
                      target, xdo)
import xshot  # noqa: E402


def marked_soon(g, ref, want, timeout=10):
    """The marked boxes once they are `want`, else the last ones seen."""
    end = time.time() + timeout
    while True:
        got = g.marked(ref)
        if got == want or time.time() > end:
            return got
        time.sleep(0.1)


def blue(pixels):
    """Opaque pixels of player 1's colour (blue) in ARGB pixels."""
    return sum(1 for p in pixels if p >> 24 > 128 and (p & 255) > 128 and (p >> 16 & 255) < 64 and (p >> 8 & 255) < 64)


def cursors_in_turn(g, arrow):
    """Player 1's cursor on the map, hot spot in its middle; the map of the
    section dialog opened meanwhile keeps the arrow."""
    hx, hy, w, h, px = cursor_at(g.mx + g.mw // 2 + 40, g.my + g.mh // 2 + 30)
    check((hx, hy, w, h) == (15, 15, 32, 32) and blue(px) > 40,
          "player 1's cursor: hot spot %d,%d of %dx%d, %d blue pixels" % (hx, hy, w, h, blue(px)))
    g.command(32787)
    rect = None
    for _ in range(50):
        out = subprocess.run([WINE_RUN, GAMEWIN, "rect", "Kartenauschnitt", "13398"], capture_output=True,
                             text=True).stdout.split()
        if out:
            rect = list(map(int, out))
            break
        time.sleep(0.2)
    if check(rect is not None, "the section dialog opens during a turn"):
        time.sleep(0.5)
        shown = cursor_at(rect[0] + rect[2] // 2, rect[1] + rect[3] // 2)
        check(shown == arrow, "the section dialog's map shows the arrow (hot spot %d,%d, %d blue pixels)"
              % (shown[0], shown[1], blue(shown[4])))
        xdo("key", "Escape")
        gone = False
        for _ in range(50):
            gone = subprocess.run([WINE_RUN, GAMEWIN, "rect", "Kartenauschnitt", "13398"],
                                  capture_output=True).returncode != 0
            if gone:
                break
            time.sleep(0.2)
        check(gone, "Escape closes the section dialog")


def pin_tip(g, before, cx, cy):
    """The guess's pin, drawn between two screenshots, has its tip at the
    clicked pixel and its 21-pixel head centred above it."""
    end = time.time() + 10
    while True:
        w, _, after = xshot.screenshot()
        changed = [(x, y) for y in range(cy - 34, cy + 4) for x in range(cx - 12, cx + 13)
                   if before[3 * (y * w + x):3 * (y * w + x) + 3] != after[3 * (y * w + x):3 * (y * w + x) + 3]]
        if changed or time.time() > end:
            break
        time.sleep(0.2)
    if not check(changed, "the guess's pin is drawn at the click"):
        return
    bottom = max(y for _, y in changed)
    tip = [x for x, y in changed if y == bottom]
    head = [x for x, y in changed if y == cy - 20]
    check(bottom == cy and min(tip) <= cx <= max(tip) and abs(min(head) + max(head) - 2 * cx) <= 1,
          "pin tip at row %d, columns %s, head %d..%d; clicked %d,%d" % (bottom, tip, min(head, default=-1),
                                                                         max(head, default=-1), cx, cy))


def play_round(g, first, ref, arrow=None):
    g.key("F5", wait=0)
    check(marked_soon(g, ref, [first]) == [first], "the round starts with player %d" % (first + 1))
    g.key("F5", wait=0)
    g.key("F4")
    check(g.marked(ref) == [first], "F5 during a turn and F4 without a guess do nothing")
    if arrow:
        cursors_in_turn(g, arrow)
    for k in range(3):
        # the same spot each time: clicks further apart than a double click
        before = xshot.screenshot()[2] if arrow and k == 0 else None
        g.click(g.mw // 2 + 40, g.mh // 2 + 30, wait=0.8)
        if before:
            pin_tip(g, before, g.mx + g.mw // 2 + 40, g.my + g.mh // 2 + 30)
        g.turn_key("F4")
    # equal guesses: every bar ends at once; the results then stand ~5 s
    check(wait_half_board(g), "the results give way to the map")


def main():
    folder = make_folder("orv-quiz-", {
        1: target(13.377704, 52.516275, "Brandenburger Tor"),
        2: target(2.2945, 48.8584),
        3: " " * 250 + target(1, 2, "Zu spät"),
        5: target(0.0, 45, "Null"),
        6: target("1e999", 45, "Unendlich"),
        7: target(12.4924, 41.8902, "fin"),
    })
    wfolder = "Z:" + folder.replace("/", "\\")
    g = start(folder, [("GamersCount", 3), ("MaximalTime", 0)])
    try:
        g.key("F5", wait=0)
        check(g.wait_title("Brandenburger Tor", 10), "game 1 named by its page: %r" % g.title())
        ref = g.boxes()
        # nobody's turn: the map shows the arrow (left of the page)
        arrow = cursor_at(g.mx + 30, g.my + g.mh - 30)
        play_round(g, 0, ref, arrow)
        g.key("F5", wait=0)
        check(g.wait_title("Spiel 2"), "game 2 without a name: %r" % g.title())
        play_round(g, 1, ref)
        g.key("F5", wait=0)
        t = g.error()
        check(t == "In %s\\Game003\\Info.html konnten keine Zielkoordinaten gefunden werden !" % wfolder,
              "coordinates after byte 254: %r" % t)
        g.key("F5", wait=0)
        t = g.error()
        check(t == "Die Zielkoordinaten in %s\\Game005\\Info.html sind ungültig !" % wfolder,
              "game 4 is skipped, longitude 0.0 is invalid: %r" % t)
        g.key("F5", wait=0)
        t = g.error()
        check(t == "Die Zielkoordinaten in %s\\Game006\\Info.html sind ungültig !" % wfolder,
              "an infinite longitude is invalid: %r" % t)
        g.key("F5", wait=0)
        check(g.wait_title("fin", 10), "'fin' is an ordinary name: %r" % g.title())
        # six pages were read (three of them bad): the turn moves on by six
        play_round(g, (6 - 1) % 3, ref)
        g.key("F5", wait=0)
        t = g.error()
        check(t == "Die Datei %s\\Game059\\Info.html konnte nicht gefunden werden !" % wfolder,
              "no further page: %r" % t)
        page(folder, 8, target(1, 1, "FIN"))
        g.key("F5", wait=0)
        check(g.wait_title("Ende", 10), "a page added meanwhile loads, 'FIN' ends the game: %r" % g.title())
        g.key("F5", wait=0)
        left, top = corner(g, 3)
        check(wait_post(left + 4, top + 20, 20), "the final scoreboard comes up")
        check(g.error(1) is None, "the final scoreboard without an error")
    finally:
        check(close(g) is not None, "Orvalo.exe ends cleanly")
    return finish(folder)


if __name__ == "__main__":
    sys.exit(main())
