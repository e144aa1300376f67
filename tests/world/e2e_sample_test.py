"""Orvalo.exe on a fresh registry with the sample game, offline: the program
writes the one-entry "WaterColor" table, shows the welcome page with its
world picture and around it the map's tiles from the prefix's fixed cache,
pixel for pixel where the map's centre puts them.

    e2e_sample_test.py ORVALO.EXE POSTCLOSE.EXE"""
import os
import subprocess
import sys
import time

from PIL import Image, ImageChops

sys.path.insert(0, os.path.join(os.environ["ORV_SOURCE_DIR"], "tests", "support"))
sys.path.insert(0, os.path.join(os.environ["ORV_SOURCE_DIR"], "scripts", "world"))
import cachepath  # noqa: E402
import xshot  # noqa: E402

BUILD = os.environ["ORV_BINARY_DIR"]
WINE_RUN = os.environ["ORV_WINE_RUN"]
KEY = r"HKCU\Software\Vexa\Orvalo"
TITLE = "Orvalo"


def reg(*args):
    r = subprocess.run([WINE_RUN, "reg", *args], stdin=subprocess.DEVNULL, capture_output=True)
    return r.returncode, r.stdout.decode("cp1252", "replace").replace("\r", "")


def values(key):
    """{name: (type, data)} of one key, {} when it is missing."""
    rc, out = reg("query", key)
    if rc:
        return {}
    found = {}
    for line in out.splitlines():
        parts = line.split(None, 2)
        if len(parts) >= 2 and parts[1].startswith("REG_"):
            found[parts[0]] = (parts[1], parts[2].strip() if len(parts) > 2 else "")
    return found


def main_window():
    out = subprocess.run(["xdotool", "search", "--onlyvisible", "--name", TITLE + "$"],
                         env=dict(os.environ, DISPLAY=xshot.display()), capture_output=True, text=True)
    return out.stdout.split()[0] if out.stdout.split() else None


def geometry(win):
    out = subprocess.run(["xdotool", "getwindowgeometry", "--shell", win], env=dict(os.environ, DISPLAY=xshot.display()),
                         capture_output=True, text=True, check=True).stdout
    g = dict(line.split("=", 1) for line in out.split())
    return int(g["X"]), int(g["Y"]), int(g["WIDTH"]), int(g["HEIGHT"])


class World:
    """The tiles the program reads, as one picture per zoom on demand."""

    def __init__(self, folder):
        self.folder, self.cache = folder, {}

    def pixel(self, zoom, wx, wy):
        n = 256 << zoom
        wx %= n
        if not 0 <= wy < n:
            return None
        key = (zoom, wx >> 8, wy >> 8)
        if key not in self.cache:
            with Image.open(os.path.join(self.folder, str(zoom), str(key[1]), "%d.jpg" % key[2])) as im:
                self.cache[key] = im.convert("RGB").load(), im
        return self.cache[key][0][wx & 255, wy & 255]


def matches(shot, world, zoom, cx, cy, sx, sy, points, tol=2):
    """Share of the points (screen pixels) whose colour is the tile's, when
    screen (sx, sy) shows the world pixel (cx, cy)."""
    w, _h, rgb = shot
    good = 0
    for px, py in points:
        t = world.pixel(zoom, cx + px - sx, cy + py - sy)
        i = 3 * (py * w + px)
        if t and max(abs(rgb[i + k] - t[k]) for k in range(3)) <= tol:
            good += 1
    return good / len(points)


PAGE = (251, 247, 238)  # the sample pages' background


def stable_screenshot():
    """The display once two screenshots in a row are the same (the workers
    read the tiles in the background)."""
    last = None
    for _ in range(30):
        time.sleep(0.7)
        shot = xshot.screenshot()
        if shot == last:
            return shot
        last = shot
    return last


def check_page(shot, picture):
    """The welcome page: its background, text, and the world picture at its
    own size. Returns the page's rectangle."""
    img = Image.frombytes("RGB", shot[:2], shot[2])
    diff = ImageChops.difference(img, Image.new("RGB", img.size, PAGE)).convert("L")
    box = diff.point(lambda v: 255 if v == 0 else 0).getbbox()
    assert box and box[2] - box[0] > 800 and box[3] - box[1] > 600, ("no page", box)
    dark = img.crop(box).convert("L").point(lambda v: 255 if v < 110 else 0)
    assert dark.histogram()[255] > 2000, "no text on the page"
    # the picture lies near the page's top left: found by a sparse match,
    # then compared whole
    with Image.open(picture) as pic:
        pic = pic.convert("RGB")

    def share(px, py, step_x, step_y):
        good = total = 0
        for j in range(step_y // 2, pic.height, step_y):
            for i in range(step_x // 2, pic.width, step_x):
                a, b = img.getpixel((px + i, py + j)), pic.getpixel((i, j))
                good += max(abs(a[k] - b[k]) for k in range(3)) <= 3
                total += 1
        return good / total

    best = max((share(px, py, 80, 64), px, py) for px in range(box[0], box[0] + 48)
               for py in range(box[1], min(box[3] - pic.height, box[1] + 240)))
    whole = share(best[1], best[2], 7, 5)
    assert whole >= 0.95, ("the world picture is not on the page", best, whole)
    print("page %s: the world picture at %d,%d, %.0f%% of its pixels" % (box, best[1], best[2], 100 * whole))
    return box


def main():
    exe, closer = sys.argv[1], sys.argv[2]
    with open(os.path.join(os.environ["ORV_SOURCE_DIR"], "game", "tileserver_defaults.h"), encoding="utf-8") as f:
        host = cachepath.first_start_host(f.read())
    fixed = os.path.join(xshot.wine_state(), "prefix", "drive_c", "Temp", "OsmFixed", cachepath.host_folder(host),
                         "watercolor")
    assert os.path.isfile(os.path.join(fixed, "6", "34", "22.jpg")), "no world map in the prefix: " + fixed
    sample = os.path.join(BUILD, "sample-game")
    assert os.path.isfile(os.path.join(sample, "Main", "Info.html")), sample

    reg("delete", KEY, "/f")
    assert values(KEY + r"\Server") == {}, "the key survived its deletion"
    prog = subprocess.Popen([WINE_RUN, exe, "Z:" + sample.replace("/", "\\")], stdin=subprocess.DEVNULL,
                            stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    try:
        win = None
        for _ in range(150):
            win = main_window()
            if win or prog.poll() is not None:
                break
            time.sleep(0.2)
        assert win, "no main window"
        # the user makes the window large enough for the page and some map
        subprocess.run(["xdotool", "windowsize", win, "1560", "960"], env=dict(os.environ, DISPLAY=xshot.display()),
                       check=True)
        shot = stable_screenshot()
        x, y, w, h = geometry(win)
    finally:
        subprocess.run([WINE_RUN, closer, TITLE], stdin=subprocess.DEVNULL, capture_output=True)
        try:
            prog.wait(timeout=20)
        except subprocess.TimeoutExpired:
            prog.kill()
            raise AssertionError("Orvalo.exe did not end after WM_CLOSE")

    server = values(KEY + r"\Server")
    want = {"Select": ("REG_DWORD", "0x0"), "Name00": ("REG_SZ", "WaterColor"), "Server00": ("REG_SZ", host),
            "Path00": ("REG_SZ", "watercolor/*.jpg"), "ZoomMin00": ("REG_SZ", "2"),
            "ZoomMax00": ("REG_SZ", "6"), "Fixed00": ("REG_DWORD", "0x1")}
    assert server == want, server

    app = values(KEY)
    reg("delete", KEY, "/f")  # the next test starts fresh too
    zoom = int(app["OsmZoom"][1], 16)
    cx = int(app["OsmPosX"][1], 16) >> (22 - zoom)
    cy = int(app["OsmPosY"][1], 16) >> (22 - zoom)
    assert 2 <= zoom <= 6, zoom
    page = check_page(shot, os.path.join(sample, "Main", "welt.jpg"))
    # the map fills the frame's middle; where exactly its centre lies on the
    # screen is found by trying the offsets around the window's centre. Its
    # pixels are read around the page, below the bars and the player boxes
    world = World(fixed)
    points = [(px, py) for px in range(x + 8, x + w - 8, 13) for py in range(y + 200, y + h - 40, 11)
              if not (page[0] - 6 <= px < page[2] + 6 and page[1] - 6 <= py < page[3] + 6)]
    coarse = [p for i, p in enumerate(points) if i % 5 == 0]
    best = max(((matches(shot, world, zoom, cx, cy, x + w // 2 + dx, y + h // 2 + dy, coarse), dx, dy)
                for dx in range(-40, 41, 2) for dy in range(-60, 61, 2)))
    best = max(((matches(shot, world, zoom, cx, cy, x + w // 2 + dx, y + h // 2 + dy, points), dx, dy)
                for dx in range(best[1] - 2, best[1] + 3) for dy in range(best[2] - 2, best[2] + 3)))
    share, dx, dy = best
    off = matches(shot, world, zoom, cx, cy, x + w // 2 + dx + 9, y + h // 2 + dy + 7, points)
    print("zoom %d, centre %d,%d at window centre %+d,%+d: %.0f%% of %d pixels are the tiles' (%.0f%% when 9,7 off)"
          % (zoom, cx, cy, dx, dy, 100 * share, len(points), 100 * off))
    assert share >= 0.95, share
    assert off <= 0.6, off


if __name__ == "__main__":
    main()
