#!/usr/bin/env python3
"""The main frame of the real Orvalo.exe worked with X keys on the Wine
display: toolbar and menu pixels, the player bar, flat and raised buttons,
full screen and back, and the placement across restarts (maximised, closed
minimised, closed in full screen, damaged values, "-z")."""
import os
import subprocess
import sys
import time

sys.path.insert(0, os.path.join(os.environ["ORV_SOURCE_DIR"], "tests", "support"))
import xshot  # noqa: E402

BUILD = os.environ["ORV_BINARY_DIR"]
WINE_RUN = os.environ["ORV_WINE_RUN"]
EXE = os.path.join(BUILD, "game", "Orvalo.exe")
CLOSER = os.path.join(BUILD, "tests", "e2e", "postclose.exe")
WNDCMD = sys.argv[1]
ENV = dict(os.environ, DISPLAY=xshot.display())
KEY = "HKCU\\Software\\Vexa\\Orvalo"
TITLE = "Das Spiel - Orvalo"
FOLDER = (0xFF, 0xD8, 0x40)  # the open button's folder
errors = []


def check(ok, what):
    print(("ok   " if ok else "FAIL ") + what)
    if not ok:
        errors.append(what)


def reg(*args):
    return subprocess.run([WINE_RUN, "reg", *args], capture_output=True, text=True,
                          stdin=subprocess.DEVNULL).stdout.replace("\r", "")


def settings():
    out = {}
    for line in reg("query", KEY + "\\Settings").splitlines():
        parts = line.split()
        if len(parts) == 3 and parts[1] == "REG_DWORD":
            v = int(parts[2], 16)
            out[parts[0]] = v - (1 << 32) if v >= 1 << 31 else v
    return out


def set_dword(name, value):
    reg("add", KEY + "\\Settings", "/v", name, "/t", "REG_DWORD", "/d", str(value & 0xFFFFFFFF), "/f")


def key(*keys):
    subprocess.run(["xdotool", "key", "--delay", "80", *keys], env=ENV, check=True)
    time.sleep(0.6)


def wnd(cmd="query"):
    r = subprocess.run([WINE_RUN, WNDCMD, TITLE, cmd], capture_output=True, text=True, stdin=subprocess.DEVNULL)
    if r.returncode != 0:
        return None
    v = list(map(int, r.stdout.split()))
    return {"rect": tuple(v[:4]), "zoomed": v[4], "iconic": v[5], "topmost": v[6]}


class Shot:
    def __init__(self):
        self.w, self.h, self.data = xshot.screenshot()

    def px(self, x, y):
        i = (y * self.w + x) * 3
        return tuple(self.data[i:i + 3])

    def count(self, colour, box=None):
        x0, y0, x1, y1 = box or (0, 0, self.w, self.h)
        return sum(1 for y in range(max(0, y0), min(self.h, y1)) for x in range(max(0, x0), min(self.w, x1))
                   if self.px(x, y) == colour)

    def diff_box(self, other, min_width=120):
        """The box of the rows that changed over at least min_width pixels
        (a popup, not the highlighted entry of the menu bar)."""
        xs, ys = [], []
        for y in range(0, self.h):
            row_a = self.data[y * self.w * 3:(y + 1) * self.w * 3]
            row_b = other.data[y * self.w * 3:(y + 1) * self.w * 3]
            if row_a == row_b:
                continue
            left = next(x for x in range(self.w) if row_a[x * 3:x * 3 + 3] != row_b[x * 3:x * 3 + 3])
            right = next(x for x in range(self.w - 1, -1, -1) if row_a[x * 3:x * 3 + 3] != row_b[x * 3:x * 3 + 3])
            if right - left + 1 < min_width:
                continue
            ys.append(y)
            xs += [left, right]
        return (min(xs), min(ys), max(xs) + 1, max(ys) + 1) if ys else None


class Program:
    def __init__(self, *args):
        self.proc = subprocess.Popen([WINE_RUN, EXE, *args], stdout=subprocess.DEVNULL,
                                     stderr=subprocess.DEVNULL, stdin=subprocess.DEVNULL)
        deadline = time.time() + 40
        while wnd() is None:
            if self.proc.poll() is not None or time.time() > deadline:
                raise SystemExit(f"FAIL: Orvalo.exe did not come up ({self.proc.returncode})")
            time.sleep(0.2)
        time.sleep(1.5)

    def close(self):
        subprocess.run([WINE_RUN, CLOSER, TITLE], stdin=subprocess.DEVNULL, capture_output=True)
        try:
            rc = self.proc.wait(timeout=20)
        except subprocess.TimeoutExpired:
            self.proc.kill()
            rc = "hung"
        check(rc == 0, f"closed by WM_CLOSE with exit code 0 ({rc})")


def menu_rows(shot, box, x0):
    """Bands of rows holding text right of x0 inside box: [(top, bottom, leftmost x)]."""
    bands, cur = [], None
    for y in range(box[1] + 1, box[3] - 1):
        xs = [x for x in range(x0, box[2] - 2) if sum(shot.px(x, y)) < 600]
        if xs and cur:
            cur[1], cur[2] = y, min(cur[2], xs[0])
        elif xs:
            cur = [y, y, xs[0]]
        elif cur:
            bands.append(tuple(cur))
            cur = None
    return bands


reg("delete", KEY, "/f")
screen = Shot()
SW, SH = screen.w, screen.h

# ---- first start: bars, menus
p = Program()
first = wnd()
s0 = Shot()
l, t, r, b = first["rect"]
check(s0.count((0xFF, 0x00, 0xFF)) == 0, "no key-colour (0xFF00FF) pixel on screen")
check(s0.count(FOLDER, (l, t, l + 60, t + 90)) > 10, "the toolbar shows the open button's image")

def open_popup(keys):
    """Opens a menu by its keys; the popup's rectangle (asked from Windows)
    and a shot taken once its pixels stopped changing, or (None, None)."""
    key(keys)
    deadline = time.time() + 10
    box, last = None, None
    while time.time() < deadline:
        r = subprocess.run([WINE_RUN, WNDCMD, TITLE, "popup"], capture_output=True, text=True,
                           stdin=subprocess.DEVNULL)
        if r.returncode == 0:
            box = tuple(map(int, r.stdout.split()))
            shot = Shot()
            crop = [shot.data[(y * shot.w + box[0]) * 3:(y * shot.w + box[2]) * 3] for y in range(box[1], box[3])]
            if crop == last:
                return box, shot
            last = crop
        time.sleep(0.3)
    return None, None


box, s1 = open_popup("alt+a")
check(box is not None, "Alt+A opens the Ansicht popup")
if box:
    # "Flache Symbolleiste" is ticked and has no image: the check glyph, dark
    # pixels in the image column of the first item
    dark = sum(1 for y in range(box[1] + 2, box[1] + 20) for x in range(box[0] + 2, box[0] + 22)
               if sum(s1.px(x, y)) < 150)
    check(dark > 8, f"check glyph in the image column of the ticked first item ({dark})")
    # "Vollbild" has the full-screen button's image (blue corners)
    check(s1.count((0x20, 0x50, 0xC0), (box[0], box[1], box[0] + 24, box[3])) > 10,
          "the full-screen button's image beside 'Vollbild'")
key("Escape", "Escape")

box, s2 = open_popup("alt+s")
check(box is not None, "Alt+S opens the Spiel popup")
if box:
    x0 = box[0] + (box[2] - box[0]) * 2 // 3
    # text that starts right of x0 (separators and long texts cross it)
    bands = [b for b in menu_rows(s2, box, x0) if b[2] > x0 + 3]
    lefts = [bx for (_, _, bx) in bands]
    print("accelerator rows:", bands)
    check(len(lefts) >= 6 and max(lefts) - min(lefts) <= 1, f"F5, F4, F6..F9 stand at one x ({lefts})")
    # "Nächstes Spiel" shows the next-game button's image (green, or tinted grey while disabled)
    col = (box[0], box[1], box[0] + 24, box[1] + 24)
    drawn = sum(1 for y in range(col[1], col[3]) for x in range(col[0], col[2])
                if max(s2.px(x, y)) - min(s2.px(x, y)) > 40 or sum(s2.px(x, y)) < 500)
    check(drawn > 10, f"the first item of Spiel shows its toolbar image ({drawn} pixels)")
key("Escape", "Escape")

# ---- the key indicators follow the lock keys
def indicator_ink(shot):
    return sum(1 for y in range(b - 22, b) for x in range(r - 160, r - 20) if sum(shot.px(x, y)) < 300)


ink_off = indicator_ink(s0)
key("Caps_Lock")
time.sleep(0.5)
ink_on = indicator_ink(Shot())
key("Caps_Lock")
time.sleep(0.5)
ink_back = indicator_ink(Shot())
check(ink_on > ink_off + 10 and ink_back < ink_on,
      f"'UF' shows while Caps Lock is on ({ink_off} -> {ink_on} -> {ink_back} dark pixels)")

# ---- flat and raised, the player bar beside the toolbar
band = (l, t + 20, l + 380, t + 60)
flat_white = s0.count((0xFF, 0xFF, 0xFF), band)
key("alt+a", "Return")  # "Flache Symbolleiste": off
s3 = Shot()
raised_white = s3.count((0xFF, 0xFF, 0xFF), band)
check(raised_white > flat_white + 100, f"32772 gives raised buttons ({flat_white} -> {raised_white} light pixels)")
key("alt+a", "Return")
key("alt+a", "Down", "Return")  # "Spielerleiste"
s4 = Shot()
box = s4.diff_box(s0)
check(box is not None and box[0] >= l + 400 and box[1] < t + 70,
      f"the player bar stands beside the toolbar at x >= 400 ({box})")

# ---- full screen from a normal window and back
before = wnd()
key("F10")
full = wnd()
check(full["rect"] == (0, 0, SW, SH), f"F10 covers the screen ({full['rect']})")
sf = Shot()
check(sf.count(FOLDER, (0, 0, 200, 100)) == 0, "no toolbar in full screen")
key("F10")
back = wnd()
check(back["rect"] == before["rect"] and not back["zoomed"], f"F10 again restores the window ({back['rect']})")
check(Shot().count(FOLDER, (l, t, l + 60, t + 90)) > 10, "the toolbar is back")

# ---- closed as a normal window, started again where it was
p.close()
st = settings()
check(st.get("IsZoomed") == 0 and st.get("LastPosX") == before["rect"][0] and
      st.get("LastSizeX") == before["rect"][2] - before["rect"][0], f"closed normal: {st}")
p = Program()
check(wnd()["rect"] == before["rect"], f"started again at {before['rect']} ({wnd()['rect']})")

# ---- maximised, full screen and back, then closed maximised
wnd("max")
time.sleep(0.8)
mx = wnd()
check(mx["zoomed"] == 1, "maximised")
key("F10")
key("F10")
again = wnd()
check(again["zoomed"] == 1 and again["rect"] == mx["rect"], f"F10 twice keeps it maximised ({again['rect']})")
p.close()
st = settings()
check(st.get("IsZoomed") == 1 and st.get("ShowGamerBar") == 1 and st.get("FlatMode") == 1,
      f"closed maximised with the player bar: {st}")
check(st.get("LastSizeX") == before["rect"][2] - before["rect"][0], "the normal size stays stored")

# ---- the next start is maximised with the player bar
p = Program()
st2 = wnd()
check(st2["zoomed"] == 1 and st2["rect"] == mx["rect"], f"restarted maximised, covering the screen ({st2})")
s5 = Shot()
check(s5.count(FOLDER, (0, 0, 80, 100)) > 10, "toolbar shown after the restart")
wnd("restore")
time.sleep(0.5)
normal = wnd()["rect"]
check(normal == before["rect"], f"restoring it gives the stored rectangle ({normal})")
# closed minimised: the normal rectangle and state are kept
wnd("min")
time.sleep(0.5)
p.close()
st = settings()
check(st.get("IsZoomed") == 0 and st.get("LastPosX") == normal[0] and st.get("LastPosY") == normal[1],
      f"closed minimised keeps the normal rectangle {normal}: {st}")

# ---- closed in full screen entered from a normal window
p = Program()
check(wnd()["rect"] == normal, f"started where it was ({wnd()['rect']} vs {normal})")
key("F10")
p.close()
st = settings()
check(st.get("IsZoomed") == 0 and st.get("LastPosX") == normal[0] and st.get("LastSizeX") == normal[2] - normal[0],
      f"closed in full screen stores the window from before: {st}")

# ---- damaged values start a visible, sane window
for name, value in (("LastPosX", -30000), ("LastPosY", 90000), ("LastSizeX", 800), ("LastSizeY", 600),
                    ("LastMonitor", 7), ("IsZoomed", 0)):
    set_dword(name, value)
p = Program()
rc = wnd()["rect"]
check(0 <= rc[0] and rc[2] <= SW and 0 <= rc[1] and rc[3] <= SH and rc[2] - rc[0] == 800,
      f"off-screen values give a window on the screen ({rc})")
p.close()

# ---- "-z" and its kin start in full screen
for arg in ("-z", "/Z", "-zoom"):
    p = Program(arg)
    time.sleep(0.5)
    check(wnd()["rect"] == (0, 0, SW, SH), f"'{arg}' starts in full screen ({wnd()['rect']})")
    p.close()

for e in errors:
    print("FAIL:", e)
print("frame gui: " + ("ok" if not errors else f"{len(errors)} errors"))
sys.exit(1 if errors else 0)
