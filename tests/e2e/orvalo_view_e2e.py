#!/usr/bin/env python3
"""Orvalo.exe driven as a user would: real X input by xdotool, screenshots
checked by pixels against the Mercator arithmetic of tests/support/xshot.py,
the registry read with `wine reg query`, tiles from the tile server of
tests/map/tileserver.py on 127.0.0.1.

usage: orvalo_view_e2e.py SCENARIO   (table, restarts, fixed, copy, startup, shutdown, cache, recent, fullscreen)
"""
import os
import shutil
import subprocess
import sys
import tempfile
import time
import urllib.request

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(HERE, "..", "map"))
sys.path.insert(0, os.path.join(HERE, "..", "support"))
import geo_reference  # noqa: E402
import tileserver  # noqa: E402
from xshot import display, screenshot, wine_state  # noqa: E402

BUILD = os.environ["ORV_BINARY_DIR"]
SOURCE = os.environ["ORV_SOURCE_DIR"]
WINE_RUN = os.environ["ORV_WINE_RUN"]
EXE = os.path.join(BUILD, "game", "Orvalo.exe")
POSTCLOSE = os.path.join(BUILD, "tests", "e2e", "postclose.exe")
WININFO = os.path.join(BUILD, "tests", "e2e", "wininfo.exe")
DISPLAY = display()
PREFIX = os.path.join(wine_state(), "prefix")
KEY = r"HKCU\Software\Vexa\Orvalo"
TITLE = "Orvalo"
MAP_ID = 31973
os.environ["DISPLAY"] = DISPLAY


class Failure(Exception):
    pass


def check(cond, text):
    if not cond:
        raise Failure(text)


def wine(*args, timeout=60):
    return subprocess.run([WINE_RUN] + list(args), capture_output=True, timeout=timeout, stdin=subprocess.DEVNULL)


def reg_values(path=KEY):
    """name -> (type, text) of the values directly in the key."""
    out = wine("reg", "query", path).stdout.decode("latin-1").replace("\r", "")
    values = {}
    for line in out.split("\n"):
        parts = line.strip().split(None, 2)
        if len(parts) >= 2 and parts[1].startswith("REG_"):
            values[parts[0]] = (parts[1], parts[2] if len(parts) > 2 else "")
    return values


def reg_import(lines):
    """Writes values with regedit: lines of a REGEDIT4 file."""
    fd, path = tempfile.mkstemp(suffix=".reg", dir=os.getcwd())
    with os.fdopen(fd, "w", encoding="latin-1") as f:
        f.write("REGEDIT4\n\n" + "\n".join(lines) + "\n")
    r = wine("regedit", "/S", "Z:" + path.replace("/", "\\"))
    os.unlink(path)
    check(r.returncode == 0, "regedit failed")


def reset_registry():
    wine("reg", "delete", KEY, "/f")
    # tiles of earlier runs would spare the server its requests, also those
    # pre-cached from the test server into the fixed cache (the world map
    # beside them stays)
    shutil.rmtree(os.path.join(PREFIX, "drive_c", "Temp", "VovIdeze"), ignore_errors=True)
    fixed = os.path.join(PREFIX, "drive_c", "Temp", "OsmFixed")
    for name in os.listdir(fixed) if os.path.isdir(fixed) else ():
        if name.startswith("127.0.0.1"):  # the test server, any port
            shutil.rmtree(os.path.join(fixed, name), ignore_errors=True)


def fresh_table(port, bases, layers=()):
    """An empty registry (and cache) with this tile-server table."""
    reset_registry()
    reg_import(table_lines(port, bases, layers))


def table_lines(port, bases, layers=()):
    """bases: (name, path, iface[, port]); layers: (name, path, iface,
    selected[, port]); port: the server of those that name none."""
    out = ["[HKEY_CURRENT_USER\\Software\\Vexa\\Orvalo\\Server]", '"Select"=dword:00000000']
    for i, (name, path, iface, *own) in enumerate(bases):
        out += ['"Name%02i"="%s"' % (i, name), '"Server%02i"="127.0.0.1:%i"' % (i, own[0] if own else port),
                '"Path%02i"="%s"' % (i, path), '"Interface%02i"=dword:%08x' % (i, iface)]
    out += ["", "[HKEY_CURRENT_USER\\Software\\Vexa\\Orvalo\\Layer]"]
    for i, (name, path, iface, sel, *own) in enumerate(layers):
        out += ['"Name%02i"="%s"' % (i, name), '"Server%02i"="127.0.0.1:%i"' % (i, own[0] if own else port),
                '"Path%02i"="%s"' % (i, path), '"Interface%02i"=dword:%08x' % (i, iface),
                '"Select%02i"=dword:%08x' % (i, sel), '"AlphaOff%02i"="0"' % i, '"AlphaMul%02i"="0"' % i]
    return out


def has_welcome_page(folder):
    """Whether a game folder given as "Z:\\..." holds Main\\Info.html."""
    if folder[:2].upper() != "Z:":
        return False
    return os.path.isfile(os.path.join(folder[2:].replace("\\", "/"), "Main", "Info.html"))


class Program:
    def __init__(self, *args, cwd=None):
        # without a welcome page the game options open by themselves once
        # the frame is up: wait_window answers them with Cancel
        folders = [a for a in args if a[:1] not in "-/"]
        folder = folders[-1] if folders else reg_values(KEY + r"\GameOptions").get("HtmInfoPath", ("", ""))[1]
        self.startup_options = not has_welcome_page(folder)
        self.proc = subprocess.Popen([WINE_RUN, EXE] + list(args), stdin=subprocess.DEVNULL,
                                     stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, cwd=cwd or os.getcwd())
        self.win = None

    def cancel_startup_options(self, timeout=15):
        end = time.time() + timeout
        while time.time() < end:
            r = subprocess.run(["xdotool", "search", "--onlyvisible", "--name", "^Spieloptionen$"], capture_output=True)
            if r.stdout.split():
                wine(POSTCLOSE, "Spieloptionen")
                for _ in range(50):
                    if wine(WININFO, "Spieloptionen", "1").returncode != 0:  # its OK button is gone
                        break
                    time.sleep(0.2)
                # without a window manager the X window lingers a while
                for _ in range(50):
                    if not subprocess.run(["xdotool", "search", "--onlyvisible", "--name", "^Spieloptionen$"],
                                          capture_output=True).stdout.split():
                        return
                    time.sleep(0.2)
                raise Failure("the game options did not close")
            time.sleep(0.2)

    def wait_window(self, title=TITLE, timeout=30):
        end = time.time() + timeout
        while time.time() < end:
            check(self.proc.poll() is None, "Orvalo.exe ended early")
            r = subprocess.run(["xdotool", "search", "--onlyvisible", "--name", title], capture_output=True)
            ids = r.stdout.split()
            if ids and title == TITLE and self.startup_options:
                self.startup_options = False
                self.cancel_startup_options()
                continue
            if ids:
                # keys go to the focused window: without a window manager
                # nobody gives the new window the focus
                subprocess.run(["xdotool", "windowfocus", "--sync", ids[0]], capture_output=True, timeout=10)
                return int(ids[0])
            time.sleep(0.2)
        raise Failure("no window '%s'" % title)

    def shown_map(self):
        """Waits for the frame; the map's client rectangle on the screen."""
        self.wait_window()
        return self.map_rect()

    def map_rect(self):
        for _ in range(50):
            r = wine(WININFO, TITLE, str(MAP_ID))
            if r.returncode == 0:
                return [int(v) for v in r.stdout.split()]
            time.sleep(0.2)
        raise Failure("no map window in the frame")

    def close(self, limit=10.0):
        """WM_CLOSE as a user's click would send it; (exit code, seconds)."""
        t0 = time.time()
        check(wine(POSTCLOSE, TITLE).returncode == 0, "postclose found no window")
        try:
            rc = self.proc.wait(timeout=limit)
        except subprocess.TimeoutExpired:
            self.proc.kill()
            raise Failure("Orvalo.exe did not end within %.1f s of WM_CLOSE" % limit)
        return rc, time.time() - t0

    def close_ok(self, limit=10.0):
        rc, secs = self.close(limit)
        check(rc == 0, "exit code %d" % rc)
        return secs

    def kill(self):
        if self.proc.poll() is None:
            self.proc.kill()
            self.proc.wait()


def key(*keys, delay=0.25):
    for k in keys:
        subprocess.run(["xdotool", "key", k])
        time.sleep(delay)


def menu(alt, downs):
    """Opens a menu by its Alt key and takes the item `downs` below the first."""
    key("alt+" + alt, delay=0.5)
    key(*(["Down"] * downs), delay=0.1)
    key("Return", delay=0.5)


def mouse(*args):
    subprocess.run(["xdotool"] + [str(a) for a in args])


def drag(points):
    """Left button down at the current place, through points, up."""
    mouse("mousedown", 1)
    for x, y in points:
        mouse("mousemove", x, y)
        time.sleep(0.03)
    mouse("mouseup", 1)


def map_pixels_match(shot, rect, zoom, cx, cy, row_offset=7):
    """Compares the middle row and column of the map with the tile colours
    the Mercator arithmetic puts there; returns (checked, bad)."""
    sw, sh, px = shot
    x0, y0, cw, ch = rect
    s = 22 - zoom
    cpx, cpy = cx >> s, cy >> s
    world = 256 << zoom
    bad = checked = 0
    points = [(u, ch // 2 + row_offset) for u in range(0, cw, 3)] + [(cw // 2 + 3, v) for v in range(0, ch, 3)]
    for u, v in points:
        wx, wy = (cpx + u - cw // 2) % world, cpy + v - ch // 2
        if wy < 0 or wy >= world or (wx & 255) in (0, 255) or (wy & 255) in (0, 255):
            continue
        want = tileserver.tile_colour(zoom, wx >> 8, wy >> 8)
        o = ((y0 + v) * sw + x0 + u) * 3
        got = tuple(px[o:o + 3])
        checked += 1
        if max(abs(a - b) for a, b in zip(got, want)) > 12:
            bad += 1
    return checked, bad


def save_shot(shot, path):
    """Keeps a screenshot of a failure beside the test's files."""
    sw, sh, px = shot
    subprocess.run(["convert", "-size", "%dx%d" % (sw, sh), "-depth", "8", "rgb:-", path], input=px)


def value_when(read, good, timeout=10, every=0.1):
    """read() once good(value) holds, else the last value read."""
    end = time.time() + timeout
    while True:
        value = read()
        if good(value) or time.time() > end:
            return value
        time.sleep(every)


def wait_log(log, pred, timeout=20):
    end = time.time() + timeout
    while time.time() < end:
        lines = [l for l in open(log).read().split("\n") if l]
        if pred(lines):
            return lines
        time.sleep(0.2)
    return [l for l in open(log).read().split("\n") if l]


def wait_stable(rect, seconds=1.0, timeout=20):
    """Waits until the map's pixels stop changing (the tiles are in)."""
    x0, y0, w, h = rect
    last, since = None, time.time()
    end = time.time() + timeout
    while time.time() < end:
        sw, sh, px = screenshot()
        rows = b"".join(px[((y0 + y) * sw + x0) * 3:((y0 + y) * sw + x0 + w) * 3] for y in range(0, h, 7))
        if rows != last:
            last, since = rows, time.time()
        elif time.time() - since >= seconds:
            return
        time.sleep(0.25)


# ------------------------------------------------------------------ scenarios

def scenario_table(work, srv, log):
    """A base map on one server and two layers of the other URL schemes on a
    second server whose tiles differ: each server is asked only for its own
    sources' tiles and each cache folder holds its own server's; a base map
    of the second server chosen in the on-map pop-up writes "Select" and is
    fetched from there alone."""
    port = srv.server_address[1]
    log2 = os.path.join(work, "server2.log")
    open(log2, "w").close()
    srv2 = tileserver.start(log2, alt=True)
    port2 = srv2.server_address[1]
    fresh_table(port, [("Punkte", "t", 0), ("Foto", "jpg", 0, port2)],
                [("Esri", "e", 1, 1, port2), ("Yandex", "q?l=map", 2, 1, port2)])
    p = Program()
    try:
        p.wait_window()
        lines = wait_log(log, lambda ls: any(l.startswith("/t/") for l in ls))
        lines2 = wait_log(log2, lambda ls: all(any(l.startswith(pre) for l in ls) for pre in ("/e/", "/q?l=map&")))
        check(any(l.startswith("/t/") for l in lines), "no request /t/... in the first server's log")
        for pre in ("/e/", "/q?l=map&"):
            check(any(l.startswith(pre) for l in lines2), "no request %s... in the second server's log" % pre)
        check(all(l.startswith("/t/") for l in wait_log(log, lambda ls: True)),
              "the first server was asked for another source's tiles")
        check(not any(l.startswith(("/t/", "/jpg/")) for l in lines2), "the second server was asked for /t/ or /jpg/")
        # a layer tile in the second server's cache folder: its bytes
        cached = os.path.join(PREFIX, "drive_c", "Temp", "VovIdeze", "127.0.0.1_%d" % port2, "e")
        tile = next((os.path.join(d, f) for d, _, fs in os.walk(cached) for f in fs if f.endswith(".png")), None)
        check(tile, "no layer tile in %s" % cached)
        rel = tile[len(cached):].replace(os.sep, "/")
        fresh = urllib.request.urlopen("http://127.0.0.1:%d/e%s?check=1" % (port2, rel), timeout=10).read()
        check(open(tile, "rb").read() == fresh, "%s does not hold the second server's tile" % tile)
        x0, y0, w, h = p.map_rect()
        # the on-map menu's third button: the pop-up of base maps and layers
        mouse("mousemove", x0 + w - 36 + 17, y0 + 10 + 2 * 35 + 17)
        time.sleep(0.3)
        mouse("click", 1)
        time.sleep(0.8)
        key("Down", "Down", "Return")
        time.sleep(0.5)
        check(reg_values(KEY + r"\Server").get("Select") == ("REG_DWORD", "0x1"), "the pop-up did not write Select 1")
        lines2 = wait_log(log2, lambda ls: any(l.startswith("/jpg/") for l in ls))
        check(any(l.startswith("/jpg/") for l in lines2), "the chosen base map was not fetched from its server")
        check(not any(l.startswith("/jpg/") for l in wait_log(log, lambda ls: True)),
              "the chosen base map was asked of the first server")
        # "Ansicht neu laden" fetches the visible tiles again: with the disk
        # cache gone they come from the server a second time
        wait_stable(p.map_rect())
        shown = {l for l in wait_log(log2, lambda ls: True) if l.startswith("/jpg/")}
        shutil.rmtree(os.path.join(PREFIX, "drive_c", "Temp", "VovIdeze"), ignore_errors=True)
        mark = len(wait_log(log2, lambda ls: True))
        menu("a", 5)
        again = lambda ls: shown <= set(ls[mark:])  # noqa: E731
        check(again(wait_log(log2, again)), "the reload fetched %d of %d tiles again" %
              (len(shown & set(wait_log(log2, lambda ls: True)[mark:])), len(shown)))
        p.close_ok()
    finally:
        p.kill()
        srv2.shutdown()


def scenario_restarts(work, srv, log):
    """Settings by real menus, keys, wheel and drag survive two restarts;
    the map comes back at the same centre and zoom, pixel for pixel."""
    port = srv.server_address[1]
    fresh_table(port, [("Punkte", "t", 0)])
    p = Program()
    try:
        rect = p.shown_map()
        x0, y0, w, h = rect
        menu("a", 7)   # "Scrollen mit Zoomen"
        menu("a", 12)  # "Koordinaten mit Minuten"
        menu("a", 4)   # "OSM Menü anzeigen": off
        menu("b", 6)   # "COM-Port auswählen"
        p.wait_window("^COM-Port$")
        key("ctrl+a", "c", "o", "m", "3", "Return")
        # one wheel notch in over the middle, then a drag of the map
        mouse("mousemove", x0 + w // 2, y0 + h // 2)
        time.sleep(0.3)
        mouse("click", 4)
        time.sleep(0.5)
        drag([(x0 + w // 2 - 13 * i, y0 + h // 2 - 7 * i) for i in range(1, 11)])
        mouse("mousemove", x0 + 5, y0 + h + 200)  # off the map: no hover effects
        wait_stable(rect)
        before = screenshot()
        p.close_ok()
    finally:
        p.kill()
    v = reg_values()
    want = {"WheelMode": "0x2", "CoordMode": "0x6", "OsmMenu": "0x0", "ComPort": "0x2", "ShowCoord": "0x0"}
    for name, val in want.items():
        check(v.get(name) == ("REG_DWORD", val), "%s is %s, expected %s" % (name, v.get(name), val))
    zoom = int(v["OsmZoom"][1], 16)
    cx, cy = int(v["OsmPosX"][1], 16), int(v["OsmPosY"][1], 16)
    check(zoom == 10, "one wheel notch from 9 gave zoom %d" % zoom)
    check((cx, cy) != (0x22000000, 0x16000000), "the drag did not move the map")
    recent = reg_values(KEY + r"\Recent File List")
    check("File1" in recent, "no recent file stored")
    checked, bad = map_pixels_match(before, rect, zoom, cx, cy)
    check(checked > 300 and bad == 0, "before closing: %d of %d pixels off the tile colours" % (bad, checked))

    for restart in range(2):
        p = Program()
        try:
            p.wait_window()
            rect2 = p.map_rect()
            check(rect2 == rect, "the map window moved: %s -> %s" % (rect, rect2))
            mouse("mousemove", x0 + 5, y0 + h + 200)
            wait_stable(rect)
            after = screenshot()
            checked, bad = map_pixels_match(after, rect, zoom, cx, cy)
            check(checked > 300 and bad == 0, "restart %d: %d of %d pixels off" % (restart + 1, bad, checked))
            p.close_ok()
        finally:
            p.kill()
        v = reg_values()
        check(v.get("WheelMode") == ("REG_DWORD", "0x2"), "restart %d: WheelMode %s" % (restart + 1, v.get("WheelMode")))
        check(int(v["OsmZoom"][1], 16) == zoom, "restart %d changed the zoom" % (restart + 1))


def fixed_tiles(host_dir, zoom, cx, cy, w, h):
    """JPEG tiles of the fixed cache around a centre, coloured as the tile
    server colours them, made by ImageMagick."""
    s = 22 - zoom
    cpx, cpy = cx >> s, cy >> s
    n = 1 << zoom
    made = {}
    for ty in range(max(0, (cpy - h) >> 8), min(n, ((cpy + h) >> 8) + 1)):
        for tx in range((cpx - w) >> 8, ((cpx + w) >> 8) + 1):
            x = tx % n
            rgb = tileserver.tile_colour(zoom, x, ty)
            d = os.path.join(host_dir, str(zoom), str(x))
            os.makedirs(d, exist_ok=True)
            path = os.path.join(d, "%d.jpg" % ty)
            if os.path.exists(path):
                continue  # a column the world's wrap brought back
            if rgb not in made:
                made[rgb] = path
                subprocess.run(["convert", "-size", "256x256", "xc:rgb(%d,%d,%d)" % rgb, "-quality", "98", path],
                               check=True)
            else:
                shutil.copyfile(made[rgb], path)


def scenario_fixed(work, srv, log):
    """The first start shows the world map of the fixed cache at zoom 2..6
    and the wheel stays in that range."""
    host = None
    for line in open(os.path.join(SOURCE, "game", "tileserver_defaults.h")):
        if line.startswith("#define ORV_FIRST_START_HOST"):
            host = line.split('"')[1]
    check(host, "no first-start host in game/tileserver_defaults.h")
    fixed = os.path.join(PREFIX, "drive_c", "Temp", "OsmFixed")
    # the world map of the prefix waits aside for the fixture tiles' time
    aside = fixed + ".world"
    shutil.rmtree(aside, ignore_errors=True)
    if os.path.exists(fixed):
        os.rename(fixed, aside)
    base = os.path.join(fixed, host, "watercolor")
    reset_registry()
    reg_import(["[HKEY_CURRENT_USER\\Software\\Vexa\\Orvalo]", '"WheelMode"=dword:00000002'])
    try:
        p = Program()
        try:
            p.wait_window()
            rect = p.map_rect()
            x0, y0, w, h = rect
            # the start centre at the highest zoom the table allows, and zoom 2
            for z in (6, 5, 4, 3, 2):
                fixed_tiles(base, z, 0x22000000, 0x16000000, w, h)
            p.close()
        finally:
            p.kill()
        v = reg_values()
        check(v.get("OsmZoom") == ("REG_DWORD", "0x6"), "start zoom %r, expected 6 (the table's maximum)" % (v.get("OsmZoom"),))
        check(len(reg_values(KEY + r"\Server")) == 7, "the first-start table has other values")
        for z, notches, button in ((6, 3, 4), (2, 7, 5)):
            p = Program()
            try:
                p.wait_window()
                mouse("mousemove", x0 + w // 2, y0 + h // 2)
                time.sleep(0.3)
                for _ in range(notches):
                    mouse("click", button)
                    time.sleep(0.3)
                mouse("mousemove", x0 + 5, y0 + h + 200)
                wait_stable(rect, seconds=2.5)
                shot = screenshot()
                p.close_ok()
            finally:
                p.kill()
            v = reg_values()
            zoom = int(v["OsmZoom"][1], 16)
            check(zoom == z, "zoom %d after %d notches from the last, expected %d" % (zoom, notches, z))
            cx, cy = int(v["OsmPosX"][1], 16), int(v["OsmPosY"][1], 16)
            checked, bad = map_pixels_match(shot, rect, zoom, cx, cy)
            if bad:
                save_shot(shot, os.path.join(work, "zoom%d.png" % zoom))
            check(checked > 200 and bad == 0, "zoom %d: %d of %d pixels off the fixed tiles (centre %x, %x)" %
                  (zoom, bad, checked, cx, cy))
        check(not [l for l in open(log) if l.strip()], "the fixed cache went to the network")
    finally:
        shutil.rmtree(fixed, ignore_errors=True)
        if os.path.exists(aside):
            os.rename(aside, fixed)


def clipboard(target="text/plain"):
    r = subprocess.run(["xclip", "-o", "-selection", "clipboard", "-t", target], capture_output=True, timeout=10)
    return r.stdout if r.returncode == 0 else None


def clipboard_targets():
    out = clipboard("TARGETS")
    return out.decode("latin-1").split() if out else []


def scenario_copy(work, srv, log):
    """Ctrl+D copies the pointer's position, Ctrl+C the visible map; a drag
    in copy mode copies a bitmap of the dragged size and goes back to moving
    the map."""
    port = srv.server_address[1]
    fresh_table(port, [("Punkte", "t", 0)])
    p = Program()
    try:
        rect = p.shown_map()
        x0, y0, w, h = rect
        u, v = w // 2 + 40, h // 2 - 30
        mouse("mousemove", x0 + u, y0 + v)
        time.sleep(0.5)
        key("ctrl+d", delay=0.8)
        text = (clipboard() or b"").decode("latin-1")
        parts = text.split(",\t")
        check(len(parts) == 3 and parts[2] == "", "clipboard text %r" % text)
        lat, lon = float(parts[0]), float(parts[1])
        from xshot import lat_of, lon_of, world_x, world_y
        # the start centre 0x22000000, 0x16000000 at zoom 9 lies in the middle
        s = 22 - 9
        px = (world_x(lon) >> s) - (0x22000000 >> s) + w // 2
        py = int(world_y(lat)) // (1 << s) - (0x16000000 >> s) + h // 2
        check(abs(px - u) <= 1 and abs(py - v) <= 1, "copied position lies at %d,%d, pointer at %d,%d" % (px, py, u, v))
        # Ctrl+C without a highlighted section: the visible map, as shown
        key("ctrl+c", delay=0.8)
        bmp = clipboard("image/bmp")
        check(bmp and bmp[:2] == b"BM", "Ctrl+C: no bitmap on the clipboard (targets %s)" % clipboard_targets())
        bw = int.from_bytes(bmp[18:22], "little", signed=True)
        bh = abs(int.from_bytes(bmp[22:26], "little", signed=True))
        check((bw, bh) == (w, h), "Ctrl+C copied %dx%d, the map is %dx%d" % (bw, bh, w, h))
        sw, _, rgb = screenshot()
        bpp, data, up = bmp[28] // 8, int.from_bytes(bmp[10:14], "little"), bmp[22:26][3] < 128
        stride = (bw * bpp + 3) & ~3
        off = 0
        for i in range(1, 8):
            for j in range(1, 8):
                x, y = bw * i // 8, bh * j // 8
                o = data + (bh - 1 - y if up else y) * stride + x * bpp
                q = 3 * ((y0 + y) * sw + x0 + x)
                off += any(abs(bmp[o + 2 - k] - rgb[q + k]) > 8 for k in range(3))
        check(off == 0, "Ctrl+C: %d of 49 pixels differ from the screen" % off)

        # "Distanz messen": while the line is dragged the status bar shows its
        # length, against Vincenty between the two pixels' places
        def place(u, v):
            return (lon_of(((0x22000000 >> s) + u - w // 2 + 0.5) * (1 << s)),
                    lat_of(((0x16000000 >> s) + v - h // 2 + 0.5) * (1 << s)))
        menu("a", 10)
        a, b = (w // 2 - 150, h // 2 + 100), (w // 2 + 150, h // 2 - 100)
        mouse("mousemove", x0 + a[0], y0 + a[1])
        time.sleep(0.3)
        mouse("mousedown", 1)
        for i in range(1, 11):
            mouse("mousemove", x0 + a[0] + (b[0] - a[0]) * i // 10, y0 + a[1] + (b[1] - a[1]) * i // 10)
            time.sleep(0.03)
        time.sleep(0.8)
        status = wine(WININFO, TITLE, "59393", "sbtext").stdout.decode("cp1252")
        mouse("mouseup", 1)
        want = geo_reference.vincenty_inverse(*place(*a), *place(*b)) / 1000
        km = float(status.split("Entfernung=")[-1].rstrip("km")) if "Entfernung=" in status else -1
        check(abs(km - want) < want * 0.005, "status %r while measuring, want %.3f km" % (status, want))

        menu("a", 9)  # "Bereich kopieren"
        mouse("mousemove", x0 + 100, y0 + 80)
        drag([(x0 + 100 + 20 * i, y0 + 80 + 12 * i) for i in range(1, 11)])
        time.sleep(1.0)
        bmp = clipboard("image/bmp")
        check(bmp and bmp[:2] == b"BM", "no bitmap on the clipboard (targets %s)" % clipboard_targets())
        bw = int.from_bytes(bmp[18:22], "little", signed=True)
        bh = abs(int.from_bytes(bmp[22:26], "little", signed=True))
        check(abs(bw - 200) <= 2 and abs(bh - 120) <= 2, "copied bitmap %dx%d, dragged 200x120" % (bw, bh))
        # back in mode 1: a drag pans and leaves the clipboard alone
        drag([(x0 + 300 - 10 * i, y0 + 200) for i in range(1, 6)])
        time.sleep(0.8)
        again = clipboard("image/bmp")
        check(again == bmp, "panning changed the clipboard")
        p.close_ok()
    finally:
        p.kill()
    v = reg_values()
    check(v.get("OsmPosX") != ("REG_DWORD", "0x22000000"), "the pan after the copy did not move the map")


def scenario_startup(work, srv, log):
    """Game folders on the command line: a missing welcome page warns, each
    folder in turn; a folder with the page starts without a warning."""
    reset_registry()
    good = os.path.join(work, "Spiel")
    os.makedirs(os.path.join(good, "Main"))
    open(os.path.join(good, "Main", "Info.html"), "w").write("<html><body>Willkommen</body></html>")
    bad1, bad2 = os.path.join(work, "leer1"), os.path.join(work, "leer2")
    os.makedirs(bad1)
    os.makedirs(bad2)
    z = lambda p: "Z:" + p.replace("/", "\\")  # noqa: E731

    p = Program(z(bad1), z(bad2))
    try:
        for n in range(2):
            wid = p.wait_window("^Warnung$")
            for attempt in range(3):
                time.sleep(0.3)
                subprocess.run(["xdotool", "windowfocus", "--sync", str(wid)], capture_output=True)
                key("Return", delay=0.3)
                gone = False
                for _ in range(30):
                    r = subprocess.run(["xdotool", "search", "--onlyvisible", "--name", "^Warnung$"],
                                       capture_output=True)
                    if str(wid).encode() not in r.stdout.split():
                        gone = True
                        break
                    time.sleep(0.1)
                if gone:
                    break
            check(gone, "the warning did not take Return")
        time.sleep(1.0)
        r = subprocess.run(["xdotool", "search", "--onlyvisible", "--name", "^Warnung$"], capture_output=True)
        check(not r.stdout.strip(), "a third warning")
        p.wait_window()
        p.close_ok()
    finally:
        p.kill()

    p = Program(z(good))
    try:
        p.wait_window()
        time.sleep(3.0)
        r = subprocess.run(["xdotool", "search", "--onlyvisible", "--name", "."], capture_output=True)
        names = set()
        for wid in r.stdout.split():
            n = subprocess.run(["xdotool", "getwindowname", wid], capture_output=True).stdout.decode("latin-1").strip()
            names.add(n)
        check("Warnung" not in names, "a warning for a folder with its welcome page")
        others = [n for n in names if n and "Orvalo" not in n]
        check(not others, "windows besides the frame: %s" % others)
        p.close_ok()
    finally:
        p.kill()


def window_geometry(wid):
    out = subprocess.run(["xdotool", "getwindowgeometry", "--shell", str(wid)], capture_output=True).stdout
    g = dict(l.split("=") for l in out.decode().split())
    return int(g["X"]), int(g["Y"]), int(g["WIDTH"]), int(g["HEIGHT"])


def scenario_fullscreen(work, srv, log):
    """"-zoom" and "/Z" on the command line start in full screen, as F10
    makes it (only the first two characters count)."""
    fresh_table(9, [("Punkte", "t", 0)])

    def settled(wid, differs_from=None):
        last = None
        for _ in range(50):
            geo = window_geometry(wid)
            if geo == last and geo != differs_from:
                return geo
            last = geo
            time.sleep(0.1)
        return last

    p = Program()
    try:
        wid = p.wait_window()
        normal = settled(wid)
        key("F10", delay=0.5)
        full = settled(wid, normal)
        check(full != normal and full[2] >= normal[2] and full[3] >= normal[3],
              "F10 gave %s from %s" % (full, normal))
        key("F10", delay=0.5)
        p.close_ok()
    finally:
        p.kill()
    for arg in ("-zoom", "/Z"):
        p = Program(arg)
        try:
            wid = p.wait_window()
            geo = settled(wid, normal)
            check(geo == full, "%s: frame at %s, full screen is %s" % (arg, geo, full))
            p.close_ok()
        finally:
            p.kill()


def scenario_shutdown(work, srv, log):
    """WM_CLOSE ends the program with code 0 within 3 s while eight
    downloads hang on a slow server."""
    port = srv.server_address[1]
    fresh_table(port, [("Langsam", "slow", 0)])
    p = Program()
    try:
        p.wait_window()
        lines = wait_log(log, lambda ls: len([l for l in ls if l.startswith("/slow/")]) >= 8)
        check(len([l for l in lines if l.startswith("/slow/")]) >= 8, "fewer than eight hanging downloads")
        secs = p.close_ok(limit=10)
        print("closed in %.2f s" % secs)
        # postclose itself starts a Wine process: its start-up is not the program's
        check(secs < 3.0 + 0.8, "closing took %.2f s" % secs)
    finally:
        p.kill()


def cache_dialog(root):
    """Runs "Cache löschen"; the dialog's window, or None when the cache's
    files were gone before the dialog could be seen (a cancelled clearing
    leaves what it did not delete in a folder of its own below the root)."""
    for i in range(300):
        if i % 100 == 0:
            menu("b", 5)  # again, when a busy machine lost the keys
        r = subprocess.run(["xdotool", "search", "--onlyvisible", "--name", "^Cache l"], capture_output=True)
        if r.stdout.split():
            return int(r.stdout.split()[0])
        if not any(files for _, _, files in os.walk(root)):
            return None
        time.sleep(0.05)
    raise Failure("no progress dialog")


def dialog_gone(wid, timeout):
    end = time.time() + timeout
    while time.time() < end:
        r = subprocess.run(["xdotool", "search", "--onlyvisible", "--name", "^Cache l"], capture_output=True)
        if str(wid).encode() not in r.stdout.split():
            return True
        time.sleep(0.02)
    return False


def scenario_cache(work, srv, log):
    """"Cache löschen" over 20,000 tile files: the progress dialog shows
    and repaints while the worker deletes, and Cancel ends it within a
    second; run to its end the cache is empty and the fixed cache beside it
    untouched."""
    # no server on port 9: the reload after clearing writes no tile
    fresh_table(9, [("Punkte", "t", 0)])
    temp = os.path.join(PREFIX, "drive_c", "Temp")
    cache = os.path.join(temp, "VovIdeze", "127.0.0.1", "alt")
    for d in range(100):
        folder = os.path.join(cache, str(d))
        os.makedirs(folder)
        for f in range(200):
            with open(os.path.join(folder, "%d.png" % f), "wb") as fh:
                fh.write(b"\x89PNG")
    keep = os.path.join(temp, "OsmFixed", "kept", "1", "1", "1.jpg")
    os.makedirs(os.path.dirname(keep), exist_ok=True)
    open(keep, "wb").write(b"JPEG")
    count = lambda: sum(len(f) for _, _, f in os.walk(os.path.join(temp, "VovIdeze")))  # noqa: E731
    p = Program()
    try:
        p.wait_window()
        root = os.path.join(temp, "VovIdeze")
        dlg = cache_dialog(root)
        check(dlg is not None, "the cache was gone before the dialog showed")
        geo = window_geometry(dlg)
        sw, sh, px = screenshot()
        x, y, w, h = geo
        dark = sum(1 for yy in range(y, min(y + h, sh)) for xx in range(x, min(x + w, sw), 2)
                   if sum(px[(yy * sw + xx) * 3:(yy * sw + xx) * 3 + 3]) < 200)
        check(dark > 50, "the progress dialog shows no text while deleting (%d dark pixels)" % dark)
        # "Abbrechen" by the keyboard: Escape in the dialog. The deletion
        # stops within a second (the dialog's window itself may take longer
        # to leave the screen: Wine without a window manager waits for it)
        subprocess.run(["xdotool", "windowfocus", "--sync", str(dlg)], capture_output=True)
        subprocess.run(["xdotool", "key", "Escape"])
        time.sleep(1.0)
        after1 = count()
        check(dialog_gone(dlg, 5.0), "Cancel did not end the dialog")
        time.sleep(1.0)
        print("after Cancel: %d files 1 s later, %d at the end" % (after1, count()))
        check(after1 > 0 and count() == after1, "deleting went on after Cancel: %d, then %d files" % (after1, count()))

        dlg = cache_dialog(root)
        if dlg is not None:
            check(dialog_gone(dlg, 60), "clearing did not end")
        check(count() == 0, "%d files left in the cache" % count())
        check(os.path.exists(keep), "the fixed cache was touched")
        p.close_ok()
    finally:
        p.kill()
        shutil.rmtree(os.path.join(temp, "OsmFixed", "kept"), ignore_errors=True)


def scenario_recent(work, srv, log):
    """Ctrl+O opens a track file, which becomes File1; after a restart the
    dialog opens in the folder last used for .gpx; F2 toggles between the
    two last files."""
    fresh_table(9, [("Punkte", "t", 0)])
    tracks = os.path.join(work, "Touren")
    os.makedirs(tracks)
    for name in ("a.gpx", "b.gpx"):
        open(os.path.join(tracks, name), "w").write('<?xml version="1.0"?><gpx version="1.1"></gpx>')
    z = "Z:" + tracks.replace("/", "\\")

    def open_file(text):
        key("ctrl+o", delay=0.5)
        dlg = Program.__new__(Program)
        dlg.proc = p.proc
        wid = dlg.wait_window("^Track-Datei laden$")
        subprocess.run(["xdotool", "windowactivate", "--sync", str(wid)], capture_output=True)
        time.sleep(0.3)
        subprocess.run(["xdotool", "type", "--delay", "20", text])
        key("Return", delay=0.8)

    def title_is(name):
        for _ in range(50):
            r = subprocess.run(["xdotool", "search", "--onlyvisible", "--name", "^%s - Orvalo$" % name],
                               capture_output=True)
            if r.stdout.strip():
                return True
            time.sleep(0.1)
        return False

    def shown_names():
        r = subprocess.run(["xdotool", "search", "--onlyvisible", "--name", "."], capture_output=True)
        return {subprocess.run(["xdotool", "getwindowname", w], capture_output=True).stdout.decode("latin-1").strip()
                for w in r.stdout.split()}

    p = Program()
    try:
        p.wait_window()
        # F2 with only the document itself in the list does nothing
        check(title_is("Das Spiel"), "the new document is not 'Das Spiel'")
        before = shown_names()
        key("F2", delay=1.0)
        check(title_is("Das Spiel") and shown_names() == before, "F2 gave windows %s" % (shown_names() - before))
        # "Dateiformat": dialog 146 explains the folder and shows the comments of string 147
        menu("h", 1)
        p.wait_window("^Dateiformat$")
        time.sleep(0.3)
        probes = os.path.join(BUILD, "tests", "game", "dialogs")
        texts = wine(os.path.join(probes, "sectionprobe.exe"), "texts", "Dateiformat").stdout.decode("cp1252")
        comments = wine(os.path.join(probes, "dlgprobe.exe"), "text", "Dateiformat", "147").stdout.decode("cp1252")
        key("Return", delay=0.5)
        check(all(t in texts for t in ("'./Main/Info.html'", "'Game001'", "'FIN'")), "dialog texts %r" % texts)
        tags = [line.split()[:2] for line in comments.split("\r\n")]
        check([t[0] for t in tags] == ["<!--REFX", "<!--REFY", "<!--NAME"] and float(tags[0][1]) and float(tags[1][1]),
              "comments shown: %r" % comments)
        open_file(z + "\\a.gpx")
        check(title_is("a.gpx"), "a.gpx was not opened")
        open_file(z + "\\b.gpx")
        check(title_is("b.gpx"), "b.gpx was not opened")
        p.close_ok()
    finally:
        p.kill()
    recent = reg_values(KEY + r"\Recent File List")
    check(recent.get("File1", ("", ""))[1].lower().endswith("b.gpx"), "File1 is %r" % (recent.get("File1"),))
    check(recent.get("File2", ("", ""))[1].lower().endswith("a.gpx"), "File2 is %r" % (recent.get("File2"),))

    p = Program()
    try:
        p.wait_window()
        open_file("a.gpx")  # a bare name: found only in the remembered folder
        check(title_is("a.gpx"), "after a restart the dialog did not open in the folder of the .gpx files")
        # the start put "Das Spiel" into the list; b and a are the last two now
        open_file("b.gpx")
        check(title_is("b.gpx"), "b.gpx was not opened")
        key("F2", delay=0.8)
        check(title_is("a.gpx"), "F2 did not switch to the other file")
        key("F2", delay=0.8)
        check(title_is("b.gpx"), "F2 did not switch back")
        p.close_ok()
    finally:
        p.kill()


SCENARIOS = {"cache": scenario_cache, "fullscreen": scenario_fullscreen, "recent": scenario_recent, "table": scenario_table, "restarts": scenario_restarts, "fixed": scenario_fixed,
             "copy": scenario_copy, "startup": scenario_startup, "shutdown": scenario_shutdown}


def main():
    if len(sys.argv) != 2 or sys.argv[1] not in SCENARIOS:
        sys.exit(__doc__)
    work = tempfile.mkdtemp(prefix="orvalo_e2e_", dir=os.getcwd())
    log = os.path.join(work, "server.log")
    open(log, "w").close()
    srv = tileserver.start(log)
    try:
        SCENARIOS[sys.argv[1]](work, srv, log)
    except Failure as e:
        print("FAIL: %s" % e)
        return 1
    finally:
        srv.shutdown()
        reset_registry()
    shutil.rmtree(work, ignore_errors=True)
    print("PASS")
    return 0


if __name__ == "__main__":
    sys.exit(main())
