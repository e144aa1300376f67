#!/usr/bin/env python3
"""A TreeList on the screen driven with real X input (xdotool): a button
click expands, a check-box click toggles once, a double-click edits and
typing with Enter stores, Escape cancels, the wheel scrolls two rows a
notch, Down moves the caret; checked against the program's notification log
and state, and a screenshot of the selection."""
import os
import shutil
import subprocess
import sys
import tempfile
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "support"))
from xshot import display, screenshot  # noqa: E402

EXE = sys.argv[1]
WINE_RUN = os.environ["ORV_WINE_RUN"]
ENV = dict(os.environ, DISPLAY=display())


class Run:
    def __init__(self):
        self.work = tempfile.mkdtemp(prefix="treelist_gui_", dir=os.getcwd())
        win_dir = "Z:" + self.work.replace("/", "\\")
        self.proc = subprocess.Popen([WINE_RUN, EXE, win_dir], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        self.acks = 0
        self.errors = []

    def state(self):
        with open(os.path.join(self.work, "cmd.tmp"), "w") as f:
            f.write("state\n")
        os.rename(os.path.join(self.work, "cmd.tmp"), os.path.join(self.work, "cmd.txt"))
        self.acks += 1
        deadline = time.time() + 60
        while True:
            try:
                if int(open(os.path.join(self.work, "ack.txt")).read().split()[0]) >= self.acks:
                    break
            except (OSError, ValueError, IndexError):
                pass
            if self.proc.poll() is not None or time.time() > deadline:
                raise SystemExit(f"FAIL: program did not answer (exit {self.proc.returncode})")
            time.sleep(0.03)
        st = {"items": []}
        for line in open(os.path.join(self.work, "state.txt"), encoding="cp1252"):
            p = line.split()
            if p[0] == "item":
                st["items"].append(dict(h=int(p[1]), state=int(p[2]), l=int(p[3]), t=int(p[4]), r=int(p[5]),
                                        b=int(p[6]), text=" ".join(p[7:])))
            elif p[0] == "rows":
                st["rows"], st["first"] = int(p[1]), int(p[3])
            elif p[0] == "caret":
                st["caret"] = int(p[1])
            elif p[0] == "window":
                st["window"] = [int(v) for v in p[1:5]]
                st["indent"] = int(p[6])
        return st

    def notes(self):
        path = os.path.join(self.work, "notify.txt")
        return [line.split(maxsplit=2) for line in open(path, encoding="cp1252")] if os.path.exists(path) else []

    def xdo(self, *args, pause=0.25):
        subprocess.run(["xdotool", *[str(a) for a in args]], env=ENV, check=True)
        time.sleep(pause)

    def click(self, x, y, button=1, repeat=1):
        self.xdo("mousemove", x, y)
        self.xdo("click", "--repeat", repeat, "--delay", 80, button)

    def check(self, cond, text):
        if not cond:
            self.errors.append(text)

    def item(self, st, text):
        for it in st["items"]:
            if it["text"] == text:
                return it
        return None


def main():
    r = Run()
    try:
        st = r.state()
        time.sleep(1.0)
        st = r.state()
        rows0 = st["rows"]
        folder = r.item(st, "Ordner")
        mid = (folder["t"] + folder["b"]) // 2
        wl = st["window"][0]
        indent = st["indent"]
        # the button of "Ordner" (root level with lines at root: first indent)
        r.click(wl + indent // 2, mid)
        st = r.state()
        r.check(st["rows"] == rows0 + 5, f"button click: {st['rows']} rows, wanted {rows0 + 5}")
        # the check box right of the button cell
        r.click(wl + indent + 8, mid)
        st = r.state()
        checks = [n for n in r.notes() if n[0] == "-433"]
        r.check(len(checks) == 1, f"check box: {len(checks)} TLN_CHECKCHANGED, wanted 1")
        r.check((r.item(st, "Ordner")["state"] & 0xF000) == 0x2000, "check box: not checked")
        # double-click on the label edits; typing and Enter store
        row = r.item(st, "Zeile 0")
        y = (row["t"] + row["b"]) // 2
        r.click(row["l"] + 6, y, repeat=2)
        time.sleep(0.5)
        r.xdo("key", "ctrl+a")
        r.xdo("type", "--delay", 60, "Neu")
        r.xdo("key", "Return")
        st = r.state()
        r.check(r.item(st, "Neu") is not None, "edit: the typed text was not stored")
        ends = [n for n in r.notes() if n[0] == "-411"]
        r.check(len(ends) == 1 and ends[0][2].strip() == "Neu", f"edit: end notifications {ends}")
        # Escape cancels
        row = r.item(st, "Zeile 1")
        y = (row["t"] + row["b"]) // 2
        r.click(row["l"] + 6, y, repeat=2)
        time.sleep(0.5)
        r.xdo("type", "--delay", 60, "xyz")
        r.xdo("key", "Escape")
        st = r.state()
        r.check(r.item(st, "Zeile 1") is not None, "escape: the text changed")
        # screenshot: the selected row carries the highlight colour
        w, h, data = screenshot()
        row = r.item(st, "Zeile 1")
        px = (((row["t"] + row["b"]) // 2) * w + row["l"] + 1) * 3
        r.check(tuple(data[px:px + 3]) != (255, 255, 255), f"selection box not drawn: {tuple(data[px:px + 3])}")
        # Down moves the caret one row
        caret = st["caret"]
        r.xdo("key", "Down")
        st = r.state()
        order = [it["h"] for it in st["items"]]
        r.check(caret in order and st["caret"] == order[order.index(caret) + 1], "Down did not move the caret")
        # the wheel: one notch down scrolls two rows
        first = st["first"]
        r.click(wl + 100, (st["window"][1] + st["window"][3]) // 2, button=5)
        st = r.state()
        r.check(st["first"] == first + 2, f"wheel: first row {st['first']}, wanted {first + 2}")
    finally:
        try:
            with open(os.path.join(r.work, "cmd.txt"), "w") as f:
                f.write("quit\n")
            r.proc.wait(timeout=20)
        except Exception:
            r.proc.kill()
        shutil.rmtree(r.work, ignore_errors=True)
    if r.errors:
        for e in r.errors:
            print("FAIL:", e)
        sys.exit(1)
    print("ok")


main()
