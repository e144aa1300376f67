#!/usr/bin/env python3
"""The game in Orvalo.exe under Wine, driven by real X input: pages of a
game folder in order with a missing one skipped, the "Fehler" boxes of bad
pages (their text read by gamewin.exe), turns moving on by one player per
game, F4 and F5 where they must do nothing, and the "FIN" page.

    game_e2e_test.py GAMEWIN.exe
"""
import os
import sys
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from board import corner, wait_half_board, wait_post  # noqa: E402
from gameplay import check, close, finish, make_folder, page, start, target  # noqa: E402


def marked_soon(g, ref, want, timeout=10):
    """The marked boxes once they are `want`, else the last ones seen."""
    end = time.time() + timeout
    while True:
        got = g.marked(ref)
        if got == want or time.time() > end:
            return got
        time.sleep(0.1)


def play_round(g, first, ref):
    g.key("F5", wait=0)
    check(marked_soon(g, ref, [first]) == [first], "the round starts with player %d" % (first + 1))
    g.key("F5", wait=0)
    g.key("F4")
    check(g.marked(ref) == [first], "F5 during a turn and F4 without a guess do nothing")
    for k in range(3):
        # the same spot each time: clicks further apart than a double click
        g.click(g.mw // 2 + 40, g.mh // 2 + 30, wait=0.8)
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
        play_round(g, 0, ref)
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
