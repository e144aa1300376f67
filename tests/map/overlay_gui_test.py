#!/usr/bin/env python3
"""Markers, the track and the mouse of the map window, as a person sees and
uses them: screenshots checked at the pixels where the Mercator arithmetic
here (not the program's) puts the overlays, then drags, the wheel, a
rectangle selection, Escape, a measurement and a quick second click with
real X events, checked against the notifications the program records."""
import os
import shutil
import subprocess
import sys
import tempfile
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from geo_reference import vincenty_inverse  # noqa: E402
sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "support"))
from xshot import display, lat_of, lon_of, screenshot, world_x  # noqa: E402
from xshot import world_y as _world_y  # noqa: E402

EXE = sys.argv[1]
WINE_RUN = os.environ["ORV_WINE_RUN"]
DISPLAY = display()
ENV = dict(os.environ, DISPLAY=DISPLAY)
BG = (0xE0, 0xE0, 0xE0)
PIN = (0xE0, 0x30, 0x20)      # the built-in marker's head and tip
WHITE = (255, 255, 255)
TRACK0 = (0, 0, 255)          # track 0 starts as 0xFF0000 in 0x00BBGGRR
YELLOW_BOX = (255, 255, 0)    # label colour 0x00FFFF (0x00BBGGRR)
BAND_ON_BG = tuple(c ^ y for c, y in zip(BG, (255, 255, 0)))


class Run:
    def __init__(self):
        self.work = tempfile.mkdtemp(prefix="overlay_gui_", dir=os.getcwd())
        self.win_dir = "Z:" + self.work.replace("/", "\\")
        self.proc = subprocess.Popen([WINE_RUN, EXE, self.win_dir], stdout=subprocess.DEVNULL,
                                     stderr=subprocess.DEVNULL)
        self.acks = 0
        self.errors = []

    def command(self, *lines):
        tmp = os.path.join(self.work, "cmd.tmp")
        with open(tmp, "w") as f:
            f.write("\n".join(lines) + "\n")
        os.rename(tmp, os.path.join(self.work, "cmd.txt"))
        self.acks += 1
        deadline = time.time() + 60
        ack = os.path.join(self.work, "ack.txt")
        while True:
            try:
                if int(open(ack).read().split()[0]) >= self.acks:
                    return
            except (OSError, ValueError, IndexError):
                pass
            if self.proc.poll() is not None or time.time() > deadline:
                raise SystemExit(f"FAIL: program did not answer {lines} (exit {self.proc.returncode})")
            time.sleep(0.03)

    def state(self, name):
        self.command(f"state {name}")
        st = {}
        for line in open(os.path.join(self.work, name + ".txt")):
            k, *vals = line.split()
            st[k] = [int(v) for v in vals]
        return st

    def notes(self):
        path = os.path.join(self.work, "notify.txt")
        if not os.path.exists(path):
            return []
        out = []
        for line in open(path):
            p = line.split()
            out.append(dict(code=int(p[0]), state=int(p[1]), track=int(p[2]), x1=int(p[3]), y1=int(p[4]),
                            x2=int(p[5]), y2=int(p[6]), lon1=float(p[7]), lat1=float(p[8]),
                            lon2=float(p[9]), lat2=float(p[10]), metres=float(p[11])))
        return out

    def xdo(self, *args):
        subprocess.run(["xdotool", *[str(a) for a in args]], env=ENV, check=True)
        time.sleep(0.15)

    def check(self, cond, text):
        if not cond:
            self.errors.append(text)


class Shot:
    def __init__(self, data, width):
        self.data, self.width = data, width

    def px(self, x, y):
        o = (y * self.width + x) * 3
        return tuple(self.data[o:o + 3])


def grab():
    w, h, data = screenshot()
    return Shot(data, w)


def world_y(lat):
    return int(_world_y(lat))


def client_of(st, wx, wy):
    """Client pixel of a world point, from the centre the program reports."""
    s = 22 - st["zoom"][0]
    cx, cy = st["centre"]
    w, h = st["client"]
    return (wx >> s) - (cx >> s) + w // 2, (wy >> s) - (cy >> s) + h // 2


def world_of(st, px, py):
    s = 22 - st["zoom"][0]
    cx, cy = st["centre"]
    w, h = st["client"]
    return ((cx >> s) + px - w // 2) << s, ((cy >> s) + py - h // 2) << s


def check_scene(r, st, shot):
    # marker A: the built-in 32 x 32 icon with its tip at (12, 31)
    ax, ay = client_of(st, world_x(10.8), world_y(49.1))
    r.check(shot.px(ax, ay) == PIN, f"marker tip at ({ax},{ay}) is {shot.px(ax, ay)}")
    r.check(shot.px(ax, ay - 20) == WHITE, f"marker eye at ({ax},{ay - 20}) is {shot.px(ax, ay - 20)}")
    r.check(shot.px(ax - 12 + 20, ay - 31 + 11) == PIN, "marker head")
    for cx, cy in ((ax - 12, ay - 31), (ax - 12 + 31, ay - 31), (ax - 12, ay), (ax + 20, ay)):
        r.check(shot.px(cx, cy) == BG, f"marker corner ({cx},{cy}) is {shot.px(cx, cy)}, not the background")
    # marker B: its label box 2 pixels right of the icon, 4 above its top
    bx, by = client_of(st, world_x(11.5), world_y(49.2))
    left, top = bx - 12 + 32 + 2, by - 31 - 4
    r.check(shot.px(left, top + 5) == (0, 0, 0), f"label outline at ({left},{top + 5}) is {shot.px(left, top + 5)}")
    r.check(shot.px(left + 1, top + 1) == YELLOW_BOX, f"label box at ({left + 1},{top + 1}) is {shot.px(left + 1, top + 1)}")
    r.check(shot.px(left - 1, top + 5) == BG, "left of the label box")
    # the label's text: dark pixels inside the box
    dark = sum(1 for x in range(left + 2, left + 40) for y in range(top + 2, top + 14) if sum(shot.px(x, y)) < 200)
    r.check(dark > 10, f"no text in the label box ({dark} dark pixels)")
    # the track: 3 pixels wide in its colour along its segments
    x1, y = client_of(st, world_x(10.7), world_y(48.7))
    x2, _ = client_of(st, world_x(11.9), world_y(48.7))
    bad = [x for x in range(x1 + 3, x2 - 3) if shot.px(x, y) != TRACK0]
    r.check(not bad, f"track row {y}: {len(bad)} pixels not in the track colour, e.g. x={bad[:3]}")
    r.check(shot.px((x1 + x2) // 2, y - 1) == TRACK0 and shot.px((x1 + x2) // 2, y + 1) == TRACK0, "track width 3")
    r.check(shot.px((x1 + x2) // 2, y - 3) == BG and shot.px((x1 + x2) // 2, y + 3) == BG, "track wider than 3")
    _, y3 = client_of(st, world_x(11.9), world_y(48.5))
    r.check(all(shot.px(x2, v) == TRACK0 for v in range(y + 3, y3 - 3)), "vertical track segment")


def main():
    r = Run()
    try:
        st = r.state("start")
        r.check(st["zoom"] == [9], f"zoom {st['zoom']}")
        check_scene(r, st, grab())

        # an editable track shows its points as squares; the highlight
        # rectangle is a 1-pixel outline of its colour
        r.command("edit 0", "highlight 10.5 49.0 10.6 48.9")
        st = r.state("edit")
        shot = grab()
        for lon, lat in ((10.7, 48.7), (11.9, 48.7), (11.9, 48.5)):
            px, py = client_of(st, world_x(lon), world_y(lat))
            sq = [shot.px(px + dx, py + dy) for dx in (-2, 2) for dy in (-2, 2)]
            r.check(all(p == TRACK0 for p in sq), f"point square at ({px},{py}): {sq}")
            r.check(shot.px(px - 3, py - 3) == BG, f"point square larger than 5 at ({px},{py})")
        hx1, hy1 = client_of(st, world_x(10.5), world_y(49.0))
        hx2, hy2 = client_of(st, world_x(10.6), world_y(48.9))
        green = (0, 160, 0)
        edge = [shot.px(x, hy1) for x in range(hx1, hx2 + 1)] + [shot.px(hx2, y) for y in range(hy1, hy2 + 1)]
        r.check(all(p == green for p in edge), f"highlight outline: {set(edge)}")
        r.check(shot.px((hx1 + hx2) // 2, (hy1 + hy2) // 2) == BG, "highlight is not filled")

        # a drag moves the map by the dragged pixels
        r.xdo("mousemove", 400, 300)
        r.xdo("mousedown", 1)
        for i in range(1, 6):
            r.xdo("mousemove", 400 + 10 * i, 300 + 6 * i)
        r.xdo("mouseup", 1)
        st2 = r.state("dragged")
        s = 22 - 9
        dx = ((st2["centre"][0] - st["centre"][0]) >> s)
        dy = ((st2["centre"][1] - st["centre"][1]) >> s)
        r.check((dx, dy) == (-50, -30), f"drag by (50, 30) moved the centre by ({dx}, {dy}) pixels")
        check_scene(r, st2, grab())  # the overlays moved along

        # the wheel zooms in around the mouse
        wx, wy = world_of(st2, 200, 150)
        r.xdo("mousemove", 200, 150)
        r.xdo("click", 4)
        st3 = r.state("wheel")
        r.check(st3["zoom"] == [10], f"wheel up gave zoom {st3['zoom']}")
        px, py = client_of(st3, wx, wy)
        r.check(abs(px - 200) <= 1 and abs(py - 150) <= 1, f"point under the mouse moved to ({px},{py})")
        r.xdo("click", 5)
        st4 = r.state("wheel2")
        r.check(st4["zoom"] == [9], f"wheel down gave zoom {st4['zoom']}")

        # a rectangle selection: 12289 with the corners as dragged
        r.command("mode 0 2")
        r.xdo("mousemove", 100, 120)
        r.xdo("mousedown", 1)
        r.xdo("mousemove", 200, 200)
        r.xdo("mousemove", 300, 250)
        time.sleep(0.3)
        shot = grab()
        # the rubber band is XOR-drawn in yellow over the background
        band = [shot.px(x, 250) for x in range(130, 280, 10)]
        r.check(all(p == BAND_ON_BG for p in band), f"rubber band bottom edge: {set(band)}")
        r.xdo("mouseup", 1)
        st5 = r.state("sel")
        sel = [n for n in r.notes() if n["code"] == 12289]
        r.check(len(sel) == 1, f"{len(sel)} selection notifications")
        if sel:
            n = sel[-1]
            ex1, ey1 = world_of(st5, 100, 120)
            ex2, ey2 = world_of(st5, 300, 250)
            tol = 1 << (22 - 9)
            r.check(n["state"] == 0, "selection state")
            r.check(abs(n["x1"] - ex1) < tol and abs(n["y1"] - ey1) < tol, f"first corner {n['x1']},{n['y1']}")
            r.check(abs(n["x2"] - ex2) < tol and abs(n["y2"] - ey2) < tol, f"second corner {n['x2']},{n['y2']}")
            r.check(abs(n["lon1"] - lon_of(n["x1"])) < 1e-9 and abs(n["lat2"] - lat_of(n["y2"])) < 1e-7,
                    "notified positions")
        drags = [n for n in r.notes() if n["code"] == 12295]
        r.check(len(drags) >= 2 and all(d["state"] == 2 for d in drags), f"{len(drags)} drag notifications")
        shot = grab()
        band = [shot.px(x, 250) for x in range(130, 280, 10)]
        r.check(all(p == BG for p in band), f"rubber band left behind: {set(band)}")

        # Escape cancels a selection: state 1, and the release adds nothing
        r.xdo("mousemove", 150, 150)
        r.xdo("mousedown", 1)
        r.xdo("mousemove", 250, 220)
        r.xdo("key", "Escape")
        r.xdo("mouseup", 1)
        sel = [n for n in r.notes() if n["code"] == 12289]
        r.check(len(sel) == 2 and sel[-1]["state"] == 1, f"Escape: {[(n['code'], n['state']) for n in sel]}")

        # measuring: 12290 whose length is the ellipsoid distance
        r.command("mode 0 3")
        r.xdo("mousemove", 80, 500)
        r.xdo("mousedown", 1)
        r.xdo("mousemove", 400, 450)
        r.xdo("mousemove", 700, 80)
        r.xdo("mouseup", 1)
        st6 = r.state("measure")
        m = [n for n in r.notes() if n["code"] == 12290]
        r.check(len(m) == 1, f"{len(m)} measure notifications")
        if m:
            n = m[-1]
            ex1, ey1 = world_of(st6, 80, 500)
            ex2, ey2 = world_of(st6, 700, 80)
            tol = 1 << (22 - 9)
            r.check(abs(n["x1"] - ex1) < tol and abs(n["y2"] - ey2) < tol, "measured end points")
            ref = vincenty_inverse(lon_of(n["x1"]), lat_of(n["y1"]), lon_of(n["x2"]), lat_of(n["y2"]))
            r.check(ref and abs(n["metres"] - ref) < 1e-4 * ref, f"length {n['metres']} m, Vincenty {ref} m")

        # adding track points: a click adds behind the last point of the
        # first editable track (track 0); Escape takes a dragged one back
        r.command("mode 0 4")
        r.xdo("mousemove", 600, 300)
        r.xdo("click", 1)
        r.xdo("mousemove", 650, 320)
        r.xdo("mousedown", 1)
        r.xdo("mousemove", 680, 340)
        r.xdo("key", "Escape")
        r.xdo("mouseup", 1)
        st9 = r.state("add")
        adds = [n for n in r.notes() if n["code"] in (12291, 12292)]
        r.check([(n["code"], n["state"], n["track"]) for n in adds] == [(12291, 3, 0), (12291, -2147483644, 0)],
                f"adding: {[(n['code'], n['state'], n['track']) for n in adds]}")
        if adds:
            ax, ay = client_of(st9, adds[0]["x1"], adds[0]["y1"])
            r.check(abs(ax - 600) <= 1 and abs(ay - 300) <= 1, f"added point at ({ax},{ay})")
            shot = grab()
            r.check(shot.px(ax, ay) == TRACK0 and shot.px(ax - 2, ay - 2) == WHITE,
                    f"the new point's square {shot.px(ax, ay)} and selection {shot.px(ax - 2, ay - 2)}")
            r.check(shot.px(680, 340) == BG, f"the cancelled point is still drawn: {shot.px(680, 340)}")

        # the on-map menu: its first button zooms in
        r.command("mode 0 0", "menu 1")
        r.xdo("mousemove", 800 - 18, 10 + 17)
        r.xdo("click", 1)
        st7 = r.state("menu")
        r.check(st7["zoom"] == [10], f"menu button 1 gave zoom {st7['zoom']}")
        r.xdo("mousemove", 800 - 18, 10 + 35 + 17)
        r.xdo("click", 1)
        st8 = r.state("menu2")
        r.check(st8["zoom"] == [9], f"menu button 2 gave zoom {st8['zoom']}")
        # two quick clicks (a double-click to Windows) are two zoom steps;
        # "-" twice brings back zoom 9, at which the checks below measure
        for sign, y, want in (("+", 10 + 17, 11), ("-", 10 + 35 + 17, 9)):
            r.xdo("mousemove", 800 - 18, y)
            r.xdo("click", "--repeat", 2, "--delay", 100, 1)
            deadline = time.time() + 3
            while (st9 := r.state("menu3"))["zoom"] != [want] and time.time() < deadline:
                time.sleep(0.1)
            r.check(st9["zoom"] == [want], f"two quick clicks on {sign} gave zoom {st9['zoom']}")
        r.xdo("mousemove", 800 - 18, 10 + 70 + 17)
        r.xdo("click", 1)
        menu = [n for n in r.notes() if n["code"] == 12294]
        r.check(len(menu) == 1 and menu and menu[0]["x2"] == 800 - 18 and menu[0]["y2"] == 10 + 70 + 17,
                f"menu button 3: {menu}")

        # the middle button drags the map; with its slot set it runs that
        # action instead, ended by its own button (a measurement)
        r.command("mode 0 3")
        st = r.state("middle")
        r.xdo("mousemove", 400, 300)
        r.xdo("mousedown", 2)
        for i in range(1, 6):
            r.xdo("mousemove", 400 - 8 * i, 300 + 4 * i)
        r.xdo("mouseup", 2)
        st2 = r.state("middle2")
        dx = ((st2["centre"][0] - st["centre"][0]) >> 13)
        dy = ((st2["centre"][1] - st["centre"][1]) >> 13)
        r.check((dx, dy) == (40, -20), f"middle drag by (-40, 20) moved the centre by ({dx}, {dy}) pixels")
        r.command("mode 2 3")
        r.xdo("mousemove", 100, 400)
        r.xdo("mousedown", 2)
        r.xdo("mousemove", 300, 420)
        r.xdo("mouseup", 2)
        m = [n for n in r.notes() if n["code"] == 12290]
        ex, ey = world_of(st2, 300, 420)
        r.check(len(m) == 2 and abs(m[-1]["x2"] - ex) < 1 << 13 and abs(m[-1]["y2"] - ey) < 1 << 13,
                f"middle-button measurement: {m[1:]}")
        r.command("mode 2 0")

        # a click on a hovered track point moves it (12293, put back as it
        # did not move); Ctrl clears the hover point, and the same click
        # runs the left button's action (a measurement)
        px, py = client_of(st2, world_x(11.9), world_y(48.5))
        r.check(0 < px < 740 and 120 < py < 600, f"the track point at ({px},{py}) is off the map")
        r.xdo("mousemove", px, py)
        r.xdo("click", 1)
        r.xdo("mousemove", px + 1, py)
        r.xdo("key", "ctrl")
        r.xdo("click", 1)
        codes = [(n["code"], n["state"]) for n in r.notes() if n["code"] in (12290, 12293)][-2:]
        r.check(codes == [(12293, 1), (12290, 0)], f"click on the point, then Ctrl and a click: {codes}")
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
