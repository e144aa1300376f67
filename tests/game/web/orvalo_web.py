#!/usr/bin/env python3
"""The web window in the real program: Orvalo.exe started on a game folder
shows its welcome page over the map at start; after a click into the page,
F5 reaches the frame's accelerators (the next game loads: its page is shown
and the frame takes the target's name); Ctrl+C there copies the page's
text."""
import os
import shutil
import subprocess
import sys
import tempfile
import time

sys.path.insert(0, os.path.join(os.environ["ORV_SOURCE_DIR"], "tests", "support"))
import xshot  # noqa: E402

BIN = os.environ["ORV_BINARY_DIR"]
WINE_RUN = os.environ["ORV_WINE_RUN"]
EXE = os.path.join(BIN, "game", "Orvalo.exe")
CLOSER = os.path.join(BIN, "tests", "e2e", "postclose.exe")
os.environ["DISPLAY"] = xshot.display()


def fail(what):
    print("FAIL " + what)
    sys.exit(1)


def box_of(colour, x0, y0, x1, y1):
    w, h, rgb = xshot.screenshot()
    xs, ys = [], []
    for y in range(max(0, y0), min(h, y1), 2):
        for x in range(max(0, x0), min(w, x1), 2):
            i = (y * w + x) * 3
            if all(abs(a - b) <= 8 for a, b in zip(rgb[i:i + 3], colour)):
                xs.append(x)
                ys.append(y)
    return (min(xs), min(ys), max(xs), max(ys)) if xs else None


def window_named(part, seconds=30):
    end = time.time() + seconds
    while time.time() < end:
        out = subprocess.run(["xdotool", "search", "--onlyvisible", "--name", part],
                             capture_output=True, text=True).stdout.split()
        if out:
            return out[0]
        time.sleep(0.2)
    return None


def main():
    work = tempfile.mkdtemp(prefix="orvweb-")
    proc = None
    try:
        for folder, body in (
                ("Main", "<title>Willkommen</title><h1>Willkommen</h1>"
                         "<p style=\"background-color:#00ff00\">Start mit F5</p>"),
                ("Game001", "<!--REFX 12.4964--><!--REFY 41.9028--><!--NAME Rom -->"
                            "<title>Spiel 1</title><h1>Spiel 1</h1><h1>Ziel</h1>"
                            "<p style=\"background-color:#ff00ff\">Wo liegt Rom?</p>")):
            os.makedirs(os.path.join(work, folder))
            with open(os.path.join(work, folder, "Info.html"), "w", encoding="cp1252") as f:
                f.write(body)
        subprocess.run([WINE_RUN, "reg", "delete", "HKCU\\Software\\Vexa\\Orvalo", "/f"],
                       stdin=subprocess.DEVNULL, capture_output=True)
        proc = subprocess.Popen([WINE_RUN, EXE, "Z:" + work.replace("/", "\\")], stdin=subprocess.DEVNULL,
                                stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, cwd=work)
        win = window_named("Orvalo")
        if not win:
            fail("no main window")
        time.sleep(2)
        geo = dict(line.split("=") for line in subprocess.run(
            ["xdotool", "getwindowgeometry", "--shell", win], capture_output=True, text=True).stdout.split())
        x, y, w, h = (int(geo[k]) for k in ("X", "Y", "WIDTH", "HEIGHT"))
        green = box_of((0, 255, 0), x, y, x + w, y + h)
        if not green:
            fail("the welcome page is not shown at start")
        print("ok   welcome page shown at start:", green)
        subprocess.run(["xdotool", "mousemove", str(green[0] + 20), str(green[1] + 5), "click", "1"], check=True)
        time.sleep(0.5)
        # Ctrl+C over the focused page copies the page's text, not the map
        subprocess.run(["xdotool", "key", "ctrl+c"], check=True)
        time.sleep(0.8)
        text = subprocess.run(["xclip", "-o", "-selection", "clipboard", "-t", "UTF8_STRING"],
                              capture_output=True, timeout=10).stdout.decode("utf-8", "replace")
        if "Start mit F5" not in text:
            fail("Ctrl+C on the page put %r on the clipboard" % text[:80])
        print("ok   Ctrl+C on the focused page copied its text")
        subprocess.run(["xdotool", "key", "F5"], check=True)
        if not window_named("^Rom", 10):
            fail("F5 with the page focused did not reach the frame (title stays)")
        print("ok   F5 reached the frame's accelerators: the next game loaded")
        time.sleep(1)
        if not box_of((255, 0, 255), x, y, x + w, y + h):
            fail("the game's page is not shown")
        print("ok   the game's page is shown")
    finally:
        if proc:
            subprocess.run([WINE_RUN, CLOSER, "Rom"], stdin=subprocess.DEVNULL, capture_output=True)
            subprocess.run([WINE_RUN, CLOSER, "Orvalo"], stdin=subprocess.DEVNULL, capture_output=True)
            try:
                proc.wait(20)
            except subprocess.TimeoutExpired:
                proc.kill()
        shutil.rmtree(work, ignore_errors=True)
    print("PASS")


main()
