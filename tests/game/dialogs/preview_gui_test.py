#!/usr/bin/env python3
"""The image preview windows on the screen: their cascade, what a redraw
shows in a screenshot, the border dragged outwards with xdotool, Escape,
sizes that are refused, and Open with Close at once many times."""
import os
import shutil
import subprocess
import sys
import tempfile
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "support"))
from xshot import display, screenshot  # noqa: E402

EXE = sys.argv[1]
WINE_RUN = os.environ["ORV_WINE_RUN"]
ENV = dict(os.environ, DISPLAY=display())
WHITE, RED, BLUE = (255, 255, 255), (255, 0, 0), (0, 0, 255)


class Run:
    def __init__(self):
        # the test display has no window manager, and Wine waits 2 s for one
        # whenever a managed window is hidden: 200 windows would take minutes
        subprocess.run([WINE_RUN, "reg", "add", r"HKCU\Software\Wine\AppDefaults\preview_gui.exe\X11 Driver",
                        "/v", "Managed", "/t", "REG_SZ", "/d", "N", "/f"], stdin=subprocess.DEVNULL,
                       capture_output=True, check=True)
        self.work = tempfile.mkdtemp(prefix="preview_gui_", dir=os.getcwd())
        self.proc = subprocess.Popen([WINE_RUN, EXE, "Z:" + self.work.replace("/", "\\")],
                                     stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        self.acks = 0
        self.errors = []
        self.shots = 0

    def command(self, *lines, wait=120):
        tmp = os.path.join(self.work, "cmd.tmp")
        with open(tmp, "w") as f:
            f.write("\n".join(lines) + "\n")
        os.rename(tmp, os.path.join(self.work, "cmd.txt"))
        self.acks += 1
        deadline = time.time() + wait
        while True:
            try:
                if int(open(os.path.join(self.work, "ack.txt")).read().split()[0]) >= self.acks:
                    return
            except (OSError, ValueError, IndexError):
                pass
            if self.proc.poll() is not None or time.time() > deadline:
                raise SystemExit(f"FAIL: no answer to {lines} (exit {self.proc.returncode})")
            time.sleep(0.03)

    def state(self):
        """(result lines, windows by slot: outer rect, client rect, font)."""
        self.shots += 1
        name = f"s{self.shots}"
        self.command(f"state {name}")
        results, wins = [], {}
        for line in open(os.path.join(self.work, name + ".txt")):
            p = line.split()
            if p[0] == "win":
                v = [int(x) for x in p[2:10]]
                wins[int(p[1])] = (v[0:4], v[4:8], " ".join(p[10:]))
            else:
                results.append(p)
        return results, wins

    def result(self, *head):
        """The last result line that starts with head."""
        found = [r for r in self.state()[0] if r[:len(head)] == [str(h) for h in head]]
        return found[-1] if found else None

    def until(self, test, what, seconds=20):
        deadline = time.time() + seconds
        while True:
            value = test()
            if value or time.time() > deadline:
                self.check(value, what() if callable(what) else what)
                return value
            time.sleep(0.1)

    def xdo(self, *args):
        subprocess.run(["xdotool", *[str(a) for a in args]], env=ENV, check=True)
        time.sleep(0.15)

    def check(self, cond, text):
        if not cond:
            self.errors.append(text)


def pixel(shot, x, y):
    w, _, data = shot
    o = (y * w + x) * 3
    return tuple(data[o:o + 3])


def cascade_and_redraw(r):
    for i in range(31):
        r.command(f"open {i} 120 80 {24 if i % 2 else 32}")
    wins = r.state()[1]
    tops = [wins[i][0][:2] for i in range(4) if i in wins]
    r.check(tops == [[4, 4], [20, 20], [36, 36], [52, 52]], f"first four windows at {tops}")
    r.check(30 in wins and wins[30][0][:2] == [4, 4], f"the 31st window at {wins.get(30, [None])[0]}")
    r.check(all(w[2] == "MS Sans Serif" for w in wins.values()), f"fonts {set(w[2] for w in wins.values())}")
    client = wins[30][1]
    r.check([client[2] - client[0], client[3] - client[1]] == [120, 80],
            f"client area {client} does not show the picture's 120 x 80")
    # the last window lies on top at (4, 4): white until drawn and redrawn
    cx, cy = client[0], client[1]
    r.until(lambda: pixel(screenshot(), cx + 60, cy + 40) == WHITE, "a new preview is not white")
    r.command("fill 30 0 0 120 80 FF0000", "fill 30 10 20 30 15 0000FF")
    time.sleep(0.5)
    r.check(pixel(screenshot(), cx + 60, cy + 40) == WHITE, "the picture showed before the redraw")
    r.command("redraw 30")

    def drawn():
        s = screenshot()
        return [pixel(s, cx + x, cy + y) for x, y in ((60, 40), (0, 0), (119, 79), (10, 20), (39, 34), (40, 35))]
    r.until(lambda: drawn() == [RED, RED, RED, BLUE, BLUE, RED], lambda: f"after the redraw: {drawn()}")
    # a 24-bit picture below it: its visible top-left corner
    ox, oy = wins[29][1][:2]
    r.command("fill 29 0 0 8 8 0000FF", "redraw 29")
    r.until(lambda: pixel(screenshot(), ox + 2, oy + 2) == BLUE, "24-bit preview redrawn")
    for i in range(31):
        r.command(f"close {i}")
    res, wins = r.state()
    r.check(not wins, f"windows left after closing: {sorted(wins)}")
    r.check(all(x[2] == "1" for x in res if x[0] == "close"), "a close did not return 1")


def refused_and_stress(r):
    for w, h in ((0, 100), (100, 0), (-5, 10)):
        r.command(f"bad {w} {h}")
        res = r.result("bad", w, h)
        r.check(res and res[3] == "0", f"{w} x {h} gave a preview")
        r.check(res and res[5] == res[6], f"{w} x {h} started a thread: {res}")
    r.command("stress 200", wait=300)
    res = r.result("stress")
    r.check(res and res[3] == "0" and res[5] == "0", f"stress: {res}")
    r.check(res and res[7] == res[8], f"threads before and after: {res}")
    r.check(res and res[10] == res[11], f"handles before and after: {res}")


def drag(r, x, y, dx, dy, expect):
    """Drags from (x, y) by (dx, dy); the window's rectangle once it is the
    expected one (or the last seen)."""
    r.xdo("mousemove", x, y)
    r.xdo("mousedown", 1)
    for k in range(1, 5):
        r.xdo("mousemove", x + dx * k // 4, y + dy * k // 4)
    r.xdo("mouseup", 1)
    deadline = time.time() + 10
    while True:
        got = r.state()[1][35][0]
        if got == expect or time.time() > deadline:
            r.check(got == expect, f"dragged by ({dx}, {dy}): {got}, expected {expect}")
            return got
        time.sleep(0.1)


def border_and_escape(r):
    r.command("open 35 200 150 32")
    outer = r.state()[1][35][0]
    # the right edge: inwards gives way, outwards stops at picture plus frame
    mid = (outer[1] + outer[3]) // 2
    o = drag(r, outer[2] - 2, mid, -60, 0, [outer[0], outer[1], outer[2] - 60, outer[3]])
    drag(r, o[2] - 2, mid, 150, 0, outer)
    # the bottom-left corner: the dragged sides stop, the others stay
    o = drag(r, outer[0] + 2, outer[3] - 2, 40, -40, [outer[0] + 40, outer[1], outer[2], outer[3] - 40])
    drag(r, o[0] + 2, o[3] - 2, -120, 120, outer)

    # Escape in the window closes it; a redraw then posts nowhere
    r.xdo("mousemove", (outer[0] + outer[2]) // 2, (outer[1] + outer[3]) // 2)
    r.xdo("click", 1)
    r.xdo("key", "Escape")
    r.until(lambda: 35 not in r.state()[1], "Escape closed the preview")
    r.command("redraw 35", "ownqueue")
    res = r.result("ownqueue")
    r.check(res == ["ownqueue", "0"], f"a redraw after closing reached the caller's queue: {res}")
    r.command("close 35")
    r.check(r.result("close", 35) == ["close", "35", "1"], "close after Escape")


def main():
    r = Run()
    try:
        cascade_and_redraw(r)
        refused_and_stress(r)
        border_and_escape(r)
        r.command("quit")
        rc = r.proc.wait(timeout=60)
        r.check(rc == 0, f"exit code {rc}")
    finally:
        if r.proc.poll() is None:
            r.proc.kill()
    for e in r.errors:
        print(e)
    print(f"{len(r.errors)} errors")
    if not r.errors:
        shutil.rmtree(r.work, ignore_errors=True)
    return 1 if r.errors else 0


if __name__ == "__main__":
    sys.exit(main())
