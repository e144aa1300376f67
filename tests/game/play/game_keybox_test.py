#!/usr/bin/env python3
"""The key box in the running Orvalo.exe: a socat pty mapped to COM5, the
view's "ComPort" at 4, records written from Python act as the keys would:
next game, start of the round, input done, player selection, repeats
filtered; the idle program with the port open stays under a tenth of a
core and closes promptly.

    game_keybox_test.py GAMEWIN.exe
"""
import os
import sys
import time

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, HERE)
sys.path.insert(0, os.path.join(os.environ["ORV_SOURCE_DIR"], "tests", "comm"))
import serial_test  # noqa: E402
from gameplay import check, close, finish, make_folder, start, target  # noqa: E402


def cpu_seconds(pid):
    with open("/proc/%d/stat" % pid) as f:
        fields = f.read().rsplit(")", 1)[1].split()
    return (int(fields[11]) + int(fields[12])) / os.sysconf("SC_CLK_TCK")


def main():
    folder = make_folder("orv-keybox-", {1: target(13.377704, 52.516275, "Berlin"),
                                         2: target(2.2945, 48.8584, "Paris")})
    serial_test.map_port(5)
    pty = serial_test.Pty(5)
    pty.start()
    try:
        g = start(folder, [("GamersCount", 2), ("MaximalTime", 0)], values=[("ComPort", 4)])
        try:
            ref = g.boxes()
            pty.send(b"1D00000200\r\n")
            check(g.wait_title("Berlin", 5), "key 1 loads the next game: %r" % g.title())
            pty.send(b"2D00000250\r")  # only 0x50 on: a repeat
            time.sleep(1.5)
            check(g.marked(ref) == [], "a value moved on by 80 is a repeat and starts nothing")
            pty.send(b"2D00000300\r")
            time.sleep(1.5)
            check(g.marked(ref) == [0], "key 2 starts the round with player 1")
            pty.send(b"0D00000400\r")
            time.sleep(1.5)
            check(g.marked(ref) == [0], "key 0 without a guess does nothing")
            g.click(g.mw // 2 + 50, g.mh // 2 - 40)
            pty.send(b"xy0D00000500\r")
            time.sleep(1.5)
            check(g.marked(ref) == [0, 1], "key 0 after junk ends player 1's input, player 2 is next")
            pty.send(b"4D00000000\r")
            time.sleep(1.0)
            check(g.marked(ref) == [0, 1], "key 4 cannot select player 1, who is done")
            pty.send(b"6D0000")
            time.sleep(0.5)
            pty.send(b"0000\r")
            time.sleep(1.0)
            check(g.marked(ref) == [0, 1], "a split record for player 3 beyond the count does nothing")

            # idle with the port open
            pid = g.proc.pid
            c0, t0 = cpu_seconds(pid), time.time()
            time.sleep(10)
            used = (cpu_seconds(pid) - c0) / (time.time() - t0)
            check(used < 0.1, "idle with the port open: %.3f of a core" % used)
        finally:
            took = close(g)
            check(took is not None and took < 3, "closing with the port open ends after %s s" % took)
    finally:
        pty.stop()
    return finish(folder)


if __name__ == "__main__":
    sys.exit(main())
