#!/usr/bin/env python3
"""The game in Orvalo.exe under Wine, driven by real X input: pages of a
game folder in order with a missing one skipped, the "Fehler" boxes of bad
pages (their text read by gamewin.exe), turns moving on by one player per
game, F4 and F5 where they must do nothing, and the "FIN" page.

    game_e2e_test.py GAMEWIN.exe
"""
import os
import shutil
import subprocess
import sys
import tempfile
import time

sys.path.insert(0, os.path.join(os.environ["ORV_SOURCE_DIR"], "tests", "support"))
import xshot  # noqa: E402

GAMEWIN = sys.argv[1]
BIN = os.environ["ORV_BINARY_DIR"]
WINE_RUN = os.environ["ORV_WINE_RUN"]
EXE = os.path.join(BIN, "game", "Orvalo.exe")
CLOSER = os.path.join(BIN, "tests", "e2e", "postclose.exe")
os.environ["DISPLAY"] = xshot.display()
failures = []


def check(cond, what):
    print(("ok   " if cond else "FAIL ") + what, flush=True)
    if not cond:
        failures.append(what)


def wine(*args):
    return subprocess.run([WINE_RUN, *args], capture_output=True, text=True, stdin=subprocess.DEVNULL)


def option(name, kind, value):
    wine("reg", "add", r"HKCU\Software\Vexa\Orvalo\GameOptions", "/v", name, "/t", kind, "/d", str(value), "/f")


def page(folder, n, body):
    d = os.path.join(folder, "Game%03d" % n)
    os.makedirs(d, exist_ok=True)
    with open(os.path.join(d, "Info.html"), "w", encoding="cp1252") as f:
        f.write("<html>" + body + "<body>Ziel %d</body></html>" % n)


def target(lon, lat, name=None):
    s = "<!--REFX %s --><!--REFY %s -->" % (lon, lat)
    return s + ('<!--NAME "%s" -->' % name if name else "")


def xdo(*args):
    return subprocess.run(["xdotool", *args], capture_output=True, text=True).stdout.strip()


class Game:
    def __init__(self, folder):
        self.proc = subprocess.Popen([WINE_RUN, EXE], stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                                     stderr=subprocess.DEVNULL, cwd=folder)
        self.win = ""
        for _ in range(150):
            self.win = xdo("search", "--onlyvisible", "--name", " - Orvalo$").split("\n")[0]
            if self.win:
                break
            time.sleep(0.2)
        assert self.win, "no main window"
        time.sleep(1.5)
        out = subprocess.run([WINE_RUN, GAMEWIN, "maprect"], capture_output=True, text=True).stdout.split()
        self.mx, self.my, self.mw, self.mh = map(int, out)

    def title(self):
        return xdo("getwindowname", self.win)

    def key(self, k):
        xdo("windowactivate", "--sync", self.win)
        xdo("key", "--window", self.win, k)
        time.sleep(0.6)

    def click(self, x, y):
        xdo("mousemove", str(self.mx + x), str(self.my + y))
        time.sleep(0.2)
        xdo("click", "1")
        time.sleep(0.4)

    def boxes(self):
        """The pixels of the three player boxes."""
        w, h, rgb = xshot.screenshot()
        out = []
        for i in range(3):
            x0, y0 = self.mx + 10 + 52 * i, self.my + 10
            out.append(bytes(b for y in range(y0, y0 + 42) for b in rgb[3 * (y * w + x0):3 * (y * w + x0 + 42)]))
        return out

    def marked(self, ref):
        """Indices of the boxes that differ from the reference (a symbol drawn in them)."""
        now = self.boxes()
        return [i for i in range(3) if sum(a != b for a, b in zip(now[i], ref[i])) > 40]

    def error(self, timeout=5):
        end = time.time() + timeout
        while time.time() < end:
            r = subprocess.run([WINE_RUN, GAMEWIN, "box", "Fehler"], capture_output=True, text=True, encoding="cp1252")
            if r.returncode == 0:
                time.sleep(0.3)
                return r.stdout.strip()
            time.sleep(0.3)
        return None

    def wait_title(self, want, timeout=25):
        end = time.time() + timeout
        while time.time() < end:
            if self.title() == want:
                return True
            time.sleep(0.3)
        return False


def play_round(g, first, ref):
    g.key("F5")
    check(g.marked(ref) == [first], "the round starts with player %d" % (first + 1))
    g.key("F5")
    g.key("F4")
    check(g.marked(ref) == [first], "F5 during a turn and F4 without a guess do nothing")
    for k in range(3):
        g.click(g.mw // 2 + 40, g.mh // 2 + 30)
        g.key("F4")
    # equal guesses: every bar ends at once; the results then stand ~5 s
    time.sleep(14)


def main():
    folder = tempfile.mkdtemp(prefix="orv-quiz-")
    try:
        os.makedirs(os.path.join(folder, "Main"))
        with open(os.path.join(folder, "Main", "Info.html"), "w") as f:
            f.write("<html><body>Willkommen</body></html>")
        page(folder, 1, target(13.377704, 52.516275, "Brandenburger Tor"))
        page(folder, 2, target(2.2945, 48.8584))
        page(folder, 3, " " * 250 + target(1, 2, "Zu spät"))
        page(folder, 5, target(0.0, 45, "Null"))
        page(folder, 6, target("1e999", 45, "Unendlich"))
        page(folder, 7, target(12.4924, 41.8902, "fin"))
        wfolder = "Z:" + folder.replace("/", "\\")

        wine("reg", "delete", r"HKCU\Software\Vexa\Orvalo", "/f")
        option("GamersCount", "REG_DWORD", 3)
        option("MaximalTime", "REG_DWORD", 0)
        option("HtmInfoPath", "REG_SZ", wfolder)
        g = Game(folder)
        try:
            g.key("F5")
            check(g.wait_title("Brandenburger Tor", 5), "game 1 named by its page: %r" % g.title())
            ref = g.boxes()
            play_round(g, 0, ref)
            g.key("F5")
            check(g.wait_title("Spiel 2"), "game 2 without a name: %r" % g.title())
            play_round(g, 1, ref)
            g.key("F5")
            t = g.error()
            check(t == "In %s\\Game003\\Info.html konnten keine Zielkoordinaten gefunden werden !" % wfolder,
                  "coordinates after byte 254: %r" % t)
            g.key("F5")
            t = g.error()
            check(t == "Die Zielkoordinaten in %s\\Game005\\Info.html sind ungültig !" % wfolder,
                  "game 4 is skipped, longitude 0.0 is invalid: %r" % t)
            g.key("F5")
            t = g.error()
            check(t == "Die Zielkoordinaten in %s\\Game006\\Info.html sind ungültig !" % wfolder,
                  "an infinite longitude is invalid: %r" % t)
            g.key("F5")
            check(g.wait_title("fin", 5), "'fin' is an ordinary name: %r" % g.title())
            # six pages were read (three of them bad): the turn moves on by six
            play_round(g, (6 - 1) % 3, ref)
            g.key("F5")
            t = g.error()
            check(t == "Die Datei %s\\Game059\\Info.html konnte nicht gefunden werden !" % wfolder,
                  "no further page: %r" % t)
            page(folder, 8, target(1, 1, "FIN"))
            g.key("F5")
            check(g.wait_title("Ende", 5), "a page added meanwhile loads, 'FIN' ends the game: %r" % g.title())
            g.key("F5")
            time.sleep(2)
            check(g.error(1) is None, "the final scoreboard without an error")
        finally:
            wine(CLOSER, g.title())
            try:
                g.proc.wait(timeout=20)
                check(g.proc.returncode == 0, "Orvalo.exe ends cleanly")
            except subprocess.TimeoutExpired:
                g.proc.kill()
                check(False, "Orvalo.exe ends after WM_CLOSE")
    finally:
        shutil.rmtree(folder, ignore_errors=True)
    if failures:
        print("%d failed" % len(failures))
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main())
