#!/usr/bin/env python3
"""A TreeList on the screen driven with real X input (xdotool): a button
click expands, a check-box click toggles once, a double-click edits and
typing with Enter stores, Escape cancels, the wheel scrolls two rows a
notch, Down moves the caret, a double-click beside a label names its row; checked against the program's notification log
and state, and a screenshot of the selection. A second run with columns:
Shift and Ctrl clicks, header dividers and reordering, dragging items
(moves, Escape, Ctrl onto an item, onto its own child, auto-scroll),
dragging a selection, the drop band on the screen, second-click editing
left by an arrow key, and the tip of a cut label."""
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
    def __init__(self, *mode):
        self.work = tempfile.mkdtemp(prefix="treelist_gui_", dir=os.getcwd())
        win_dir = "Z:" + self.work.replace("/", "\\")
        self.proc = subprocess.Popen([WINE_RUN, EXE, win_dir, *mode], stdout=subprocess.DEVNULL,
                                     stderr=subprocess.DEVNULL)
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
        st = {"items": [], "cols": []}
        for line in open(os.path.join(self.work, "state.txt"), encoding="cp1252"):
            p = line.split()
            if p[0] == "item":
                st["items"].append(dict(h=int(p[1]), state=int(p[2]), l=int(p[3]), t=int(p[4]), r=int(p[5]),
                                        b=int(p[6]), text=" ".join(p[7:])))
            elif p[0] == "rows":
                st["rows"], st["first"] = int(p[1]), int(p[3])
            elif p[0] == "caret":
                st["caret"] = int(p[1])
            elif p[0] == "sel":
                st["sel"] = [int(v) for v in p[1:]]
            elif p[0] == "col":
                st["cols"].append(dict(width=int(p[2]), l=int(p[3]), t=int(p[4]), r=int(p[5]), b=int(p[6]),
                                       hit=int(p[7])))
            elif p[0] == "order":
                st["order"] = [int(v) for v in p[1:]]
            elif p[0] == "widest":
                st.setdefault("widest", {})[int(p[1])] = int(p[2])
            elif p[0] == "tip":
                st["tip"] = [int(v) for v in p[1:6]]
            elif p[0] == "edit":
                st["edit"], st["edit_text"] = int(p[1]), " ".join(p[2:])
            elif p[0] == "cursor":
                st["cursor"] = p[1]
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

    def wait(self, cond, timeout=10.0):
        """The state once cond(state) holds, or the last one after the timeout."""
        deadline = time.time() + timeout
        while True:
            st = self.state()
            if cond(st) or time.time() > deadline:
                return st
            time.sleep(0.1)

    def drag(self, x0, y0, x1, y1, keys=(), steps=8, release=True):
        # keys go down once the drag runs: a Ctrl press would toggle the selection
        self.xdo("mousemove", x0, y0, pause=0.1)
        self.xdo("mousedown", 1, pause=0.15)
        for i in range(1, steps + 1):
            self.xdo("mousemove", x0 + (x1 - x0) * i // steps, y0 + (y1 - y0) * i // steps, pause=0.06)
            if i == 2:
                for k in keys:
                    self.xdo("keydown", k, pause=0.05)
        time.sleep(0.3)
        if release:
            self.xdo("mouseup", 1)
            for k in keys:
                self.xdo("keyup", k, pause=0.05)

    def check(self, cond, text):
        if not cond:
            self.errors.append(text)

    def item(self, st, text):
        for it in st["items"]:
            if it["text"] == text:
                return it
        return None

    def mid(self, st, text):
        it = self.item(st, text)
        return it["l"] + 6, (it["t"] + it["b"]) // 2

    def quit(self):
        try:
            with open(os.path.join(self.work, "cmd.txt"), "w") as f:
                f.write("quit\n")
            self.proc.wait(timeout=20)
        except Exception:
            self.proc.kill()
        shutil.rmtree(self.work, ignore_errors=True)


def texts(st):
    return [it["text"] for it in st["items"]]


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
        # screenshot: the selected row carries the highlight colour (the box
        # starts 2 pixels right of the label's left edge)
        w, h, data = screenshot()
        row = r.item(st, "Zeile 1")
        px = (((row["t"] + row["b"]) // 2) * w + row["l"] + 3) * 3
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
        # double-clicks beside a label, left and right: the record names that row and the point
        row = [it for it in st["items"] if it["text"].startswith("Zeile") and it["t"] > st["window"][1] + 40][0]
        x, y = row["r"] + 25, (row["t"] + row["b"]) // 2
        r.click(x, y, repeat=2)
        time.sleep(0.8)
        r.click(x, y, button=3, repeat=2)
        r.state()
        for code in ("-3", "-6"):
            got = [n for n in r.notes() if n[0] == code]
            want = [code, str(row["h"]), f"{x} {y} 20"]
            r.check(len(got) == 1 and got[0][:2] == want[:2] and got[0][2].split()[:3] == want[2].split(),
                    f"double-click {code} beside a label: {got}, wanted {want}")
    finally:
        r.quit()
    return r.errors


def columns_and_drags():
    r = Run("full")
    try:
        st = r.wait(lambda s: len(s["items"]) > 5)
        time.sleep(0.5)
        h = {it["text"]: it["h"] for it in st["items"]}
        # Shift and Ctrl clicks
        r.click(*r.mid(st, "Zeile 0"))
        r.xdo("keydown", "shift", pause=0.05)
        r.click(*r.mid(st, "Zeile 3"))
        r.xdo("keyup", "shift", pause=0.05)
        st = r.state()
        want = [h[f"Zeile {i}"] for i in range(4)]
        r.check(sorted(st["sel"]) == sorted(want), f"shift-click: selected {st['sel']}, wanted {want}")
        r.xdo("keydown", "ctrl", pause=0.05)
        r.click(*r.mid(st, "Zeile 1"))
        r.click(*r.mid(st, "Zeile 5"))
        r.xdo("keyup", "ctrl", pause=0.05)
        st = r.state()
        want = [h[f"Zeile {i}"] for i in (0, 2, 3, 5)]
        r.check(sorted(st["sel"]) == sorted(want), f"ctrl-click: selected {st['sel']}, wanted {want}")

        # a drag between rows moves the item; the parent hears of it once
        # (presses 700 ms apart: closer ones make a double click)
        r.click(*r.mid(st, "Zeile 6"))
        time.sleep(0.8)
        st = r.state()
        x, y = r.mid(st, "Zeile 6")
        z10 = r.item(st, "Zeile 10")
        r.drag(x, y, x, z10["t"] + 1)
        st = r.state()
        order = texts(st)
        r.check(order.index("Zeile 6") == order.index("Zeile 10") - 1 and order.index("Zeile 9") < order.index("Zeile 6"),
                f"drag: order {order[:14]}")
        drops = [n for n in r.notes() if n[0] == "-440"]
        r.check(len(drops) == 1 and int(drops[0][1], 16) & 0xFFFFFF == 1, f"drag: drop notes {drops}")

        # Escape ends a drag without moving; the parent hears of the cancel
        before = texts(st)
        x, y = r.mid(st, "Zeile 11")
        z3 = r.item(st, "Zeile 3")
        r.drag(x, y, x, z3["t"] + 1, release=False)
        r.xdo("key", "Escape")
        r.xdo("mouseup", 1)
        st = r.state()
        r.check(texts(st) == before, "escape during a drag moved items")
        drops = [n for n in r.notes() if n[0] == "-440"]
        r.check(len(drops) == 2 and int(drops[1][1], 16) == 0x5000000, f"escape: drop notes {drops[1:]}")
        r.check(st["first"] == 0, f"escape: scrolled to row {st['first']}")
        time.sleep(0.8)

        # Ctrl over a row drops onto it: the last child, the target expanded
        x, y = r.mid(st, "Zeile 12")
        r.drag(x, y, *r.mid(st, "Ordner"), keys=("ctrl",))
        st = r.state()
        order = texts(st)
        r.check("Kind 4" in order and order.index("Zeile 12") == order.index("Kind 4") + 1,
                f"ctrl-drop: order {order[:10]}")
        # onto its own child: no-entry cursor, nothing moves
        before = texts(st)
        x, y = r.mid(st, "Ordner")
        r.drag(x, y, *r.mid(st, "Kind 2"), keys=("ctrl",), release=False)
        cursor = r.state()["cursor"]
        w, _, marked = screenshot()
        r.xdo("mouseup", 1)
        r.xdo("keyup", "ctrl", pause=0.05)
        st = r.state()
        r.check(cursor == "no", f"own child: cursor {cursor}")
        r.check(texts(st) == before, "dropping onto its own child moved items")
        # the drop band stood over the whole row: a checkerboard inverts half its pixels
        _, _, plain = screenshot()
        k2 = r.item(st, "Kind 2")
        px = [(y * w + x) * 3 for y in range(k2["t"], k2["b"]) for x in range(st["window"][0] + 2, st["window"][0] + 300)]
        inverted = sum(marked[p:p + 3] != plain[p:p + 3] for p in px) / len(px)
        r.check(0.35 < inverted < 0.65, f"drop band: {inverted:.2f} of the row inverted")
        time.sleep(0.8)

        # several selected, one of them inside another: the press keeps the
        # selection, the child travels inside its parent, the rest follows it
        r.xdo("keydown", "ctrl", pause=0.05)
        r.click(*r.mid(st, "Kind 1"))
        r.click(*r.mid(st, "Zeile 3"))
        r.xdo("keyup", "ctrl", pause=0.05)
        time.sleep(0.8)
        x, y = r.mid(st, "Ordner")
        r.drag(x, y, x, r.item(st, "Zeile 5")["t"] + 1)
        st = r.state()
        order = texts(st)
        r.check(order.index("Kind 1") == order.index("Kind 0") + 1 and order.index("Ordner") == order.index("Zeile 4") + 1
                and order.index("Zeile 3") == order.index("Zeile 12") + 1
                and order.index("Zeile 5") == order.index("Zeile 3") + 1, f"selection drag: order {order[:16]}")
        drops = [n for n in r.notes() if n[0] == "-440"]
        r.check(int(drops[-1][1], 16) & 0xFFFFFF == 2, f"selection drag: drop note {drops[-1]}")
        # a plain click on one of them selects it alone
        time.sleep(0.8)
        r.click(*r.mid(st, "Zeile 3"))
        st = r.state()
        r.check(st["sel"] == [h["Zeile 3"]], f"click in a selection: selected {st['sel']}")
        time.sleep(0.8)

        # held near the bottom edge the list scrolls by itself
        first = st["first"]
        x, y = r.mid(st, "Zeile 1")
        r.drag(x, y, x, st["window"][3] - 8, release=False)
        moved = r.wait(lambda s: s["first"] >= first + 3, timeout=8)["first"]
        r.xdo("key", "Escape")
        r.xdo("mouseup", 1)
        r.check(moved >= first + 3, f"auto-scroll: first row {first} -> {moved}")
        r.xdo("key", "ctrl+Home")

        # header: a divider dragged 30 px wider; a double-click fits the content
        st = r.state()
        c1 = st["cols"][1]
        ymid = (c1["t"] + c1["b"]) // 2
        r.drag(c1["r"] - 1, ymid, c1["r"] + 29, ymid)
        st = r.state()
        r.check(st["cols"][1]["width"] == c1["width"] + 30, f"divider drag: width {st['cols'][1]['width']}, "
                f"wanted {c1['width'] + 30}")
        changed = [n for n in r.notes() if n[0] == "-438"]
        r.check(changed and changed[-1][1] == "1", f"divider drag: column notes {changed}")
        c1 = st["cols"][1]
        r.click(c1["r"] - 1, ymid, repeat=2)
        st = r.wait(lambda s: s["cols"][1]["width"] != c1["width"], timeout=5)
        wdt, widest = st["cols"][1]["width"], st["widest"][1]
        r.check(widest + 4 <= wdt <= widest + 20, f"divider double-click: width {wdt} for texts of {widest} px")
        # header items reorder by drag; the tree column stays first
        c1, c2 = st["cols"][1], st["cols"][2]
        r.drag((c2["l"] + c2["r"]) // 2, ymid, c1["l"] + 4, ymid)
        st = r.wait(lambda s: s.get("order") == [0, 2, 1] and s["cols"][2]["hit"] == 2, timeout=5)
        r.check(st.get("order") == [0, 2, 1], f"header drag: order {st.get('order')}")
        r.check([c["hit"] for c in st["cols"]] == [0, 1, 2], f"header drag: cells below {st['cols']}")
        # a click on a header item tells the parent which column
        c2 = st["cols"][2]
        r.click((c2["l"] + c2["r"]) // 2, ymid)
        clicks = [n for n in r.notes() if n[0] == "-439"]
        r.check(clicks and clicks[-1][1].strip() == "2", f"header click: {clicks}")
        c0, c1 = st["cols"][0], st["cols"][1]
        r.drag((c1["l"] + c1["r"]) // 2, ymid, c0["l"] + 4, ymid)
        st = r.state()
        r.check(st.get("order", [0])[0] == 0, f"header drag before the tree column: order {st.get('order')}")

        # the last column's divider 40 px narrower: right of it the rows show
        # only the background, nothing of what stood there
        last = max(st["cols"], key=lambda c: c["r"])
        r.drag(last["r"] - 1, ymid, last["r"] - 41, ymid)
        st = r.wait(lambda s: max(c["r"] for c in s["cols"]) < last["r"] - 30, timeout=5)
        right = max(c["r"] for c in st["cols"])
        time.sleep(0.3)
        w, _, shot = screenshot()
        wrong, seen = 0, 0
        for it in st["items"]:
            if it["t"] < st["cols"][0]["b"] or it["b"] > st["window"][3] - 4 or it["text"].startswith("Lang"):
                continue
            p0 = (((it["t"] + it["b"]) // 2) * w + st["cols"][0]["r"] - 3) * 3
            bg = shot[p0:p0 + 3]
            for y in range(it["t"], it["b"]):
                for x in range(right + 1, st["window"][2] - 20):
                    p = (y * w + x) * 3
                    seen += 1
                    wrong += shot[p:p + 3] != bg
        r.check(seen > 1000 and wrong == 0, f"right of the last column: {wrong} of {seen} pixels not the background")

        # a second click on the caret item edits with the caret at the
        # clicked character (here the first); Down leaves the editor,
        # stores the text and moves the caret
        z2 = r.item(st, "Zeile 2")
        x, y = z2["l"] + 4, (z2["t"] + z2["b"]) // 2
        r.click(x, y)
        time.sleep(1.0)
        r.click(x, y)
        st = r.wait(lambda s: s["edit"] == 1, timeout=5)
        r.check(st["edit"] == 1, "second click: no editor")
        r.xdo("type", "--delay", 60, "Neu")
        r.xdo("key", "Down")
        st = r.wait(lambda s: s["edit"] == 0, timeout=5)
        r.check(r.item(st, "NeuZeile 2") is not None, f"second-click edit: texts {texts(st)[8:12]}")
        order = [it["h"] for it in st["items"]]
        r.check(st["edit"] == 0 and st["caret"] == order[order.index(h["Zeile 2"]) + 1],
                "arrow out of the editor: caret not on the next row")

        # Left and Right stay in the editor inside the text; Left at its start leaves
        caret = [it for it in st["items"] if it["h"] == st["caret"]][0]
        x, y = caret["l"] + 4, (caret["t"] + caret["b"]) // 2
        time.sleep(0.8)
        r.click(x, y)
        st = r.wait(lambda s: s["edit"] == 1, timeout=5)
        r.xdo("key", "Right")
        r.xdo("key", "Left")
        inside = r.state()["edit"]
        r.xdo("key", "Left")
        st = r.wait(lambda s: s["edit"] == 0, timeout=5)
        r.check(inside == 1 and st["edit"] == 0, f"arrows in the editor: open after Right, Left {inside}, "
                f"after Left at the start {st['edit']}")
        r.check(r.item(st, caret["text"]) is not None, "arrows in the editor changed the text")

        # the mouse resting on a cut label shows the whole text in a tip
        lang = r.item(st, "Lang: ein Eintrag, der nicht in seine Spalte passt")
        room = st["cols"][0]["r"] - lang["l"]
        r.xdo("mousemove", lang["l"] + 20, (lang["t"] + lang["b"]) // 2)
        r.xdo("mousemove", lang["l"] + 24, (lang["t"] + lang["b"]) // 2)
        st = r.wait(lambda s: s["tip"][0] == 1, timeout=5)
        tip = st["tip"]
        r.check(tip[0] == 1 and tip[3] - tip[1] > room, f"info tip: {tip}, room {room}")
        r.check(tip[0] == 1 and abs(tip[1] - lang["l"]) <= 8, f"info tip not over the label: {tip} {lang}")
        r.xdo("mousemove", st["window"][0] + 10, st["window"][3] - 5)
        st = r.wait(lambda s: s["tip"][0] == 0, timeout=5)
        r.check(st["tip"][0] == 0, "info tip stays after the mouse left")
    finally:
        r.quit()
    return r.errors


errors = main() + columns_and_drags()
for e in errors:
    print("FAIL:", e)
sys.exit(1 if errors else print("ok"))
