#!/usr/bin/env python3
"""Map-section export and pre-caching in the real Orvalo.exe against the
tile server of tests/map/tileserver.py: sections typed into the dialog by
xdotool, the PNG files read back with ImageMagick, the requests read from
the server's log.

usage: mapsection_e2e.py SCENARIO   (mapexport, mapcache)
"""
import glob
import math
import os
import re
import stat
import subprocess
import sys
import time
import zlib

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(HERE, "..", "..", "e2e"))
import orvalo_view_e2e as e2e  # noqa: E402
from orvalo_view_e2e import Failure, Program, check, key, mouse, wine  # noqa: E402
import tileserver  # noqa: E402  (found through orvalo_view_e2e's path)
import geo_reference  # noqa: E402

PROBE = os.path.join(e2e.BUILD, "tests", "game", "dialogs", "dlgprobe.exe")
SPROBE = os.path.join(e2e.BUILD, "tests", "game", "dialogs", "sectionprobe.exe")
ID_SAVE, ID_CACHE = 32787, 32801
LAT_A, LON_A, WIDTH, HEIGHT, FIXED = 1009, 1013, 1039, 1041, 1065
LAT_B, LON_B = 1018, 1020
DLG = "Kartenauschnitt"
ZOOM = 10
DOUBLE_CLICK = 0.7  # seconds, above Windows' double-click time
WORLD = 1 << 30


def lat_of(y):
    return math.degrees(math.atan(math.sinh(math.pi * (1.0 - 2.0 * y / WORLD))))


def lon_of(x):
    return x / WORLD * 360.0 - 180.0


def corner(px, py, zoom=ZOOM):
    """Latitude and longitude texts of the middle of pixel (px, py)."""
    s = 1 << (22 - zoom)
    return "%.9f" % lat_of((py + 0.5) * s), "%.9f" % lon_of((px + 0.5) * s)


def control_rect(title, cid):
    r = wine(e2e.WININFO, title, str(cid))
    if r.returncode != 0:
        return None
    return [int(v) for v in r.stdout.split()]


def controls(title):
    """{id: [x, y, w, h]} of a window's controls on the screen."""
    for _ in range(25):
        r = wine(SPROBE, "rects", title)
        rects = {}
        for line in r.stdout.decode().split("\n"):
            v = [int(a) for a in line.split()]
            if len(v) == 5:
                rects.setdefault(v[0], v[1:])
        if r.returncode == 0 and rects:
            return rects
        time.sleep(0.2)
    raise Failure("no controls in '%s'" % title)


last_click = [0.0, None]


def click(rects, cid):
    # the program takes input in order: no wait before the next key or
    # click, only a second click on the spot must not make a double click
    check(cid in rects, "no control %d" % cid)
    x, y, w, h = rects[cid]
    spot = (x + w // 2, y + h // 2)
    if last_click[1] == spot:
        time.sleep(max(0.0, last_click[0] + DOUBLE_CLICK - time.time()))
    mouse("mousemove", spot[0], spot[1], "click", 1)
    last_click[:] = [time.time(), spot]


def frame_rect(title):
    """[x, y, width, height] of a window on the screen, frame included."""
    r = subprocess.run(["xdotool", "search", "--onlyvisible", "--name", "^%s$" % title, "getwindowgeometry", "--shell"],
                       capture_output=True, text=True)
    g = dict(line.split("=", 1) for line in r.stdout.split() if "=" in line)
    check("WIDTH" in g, "no window '%s'" % title)
    return [int(g[k]) for k in ("X", "Y", "WIDTH", "HEIGHT")]


def text_of(title, cid):
    r = wine(PROBE, "text", title, str(cid))
    check(r.returncode == 0, "no control %d in '%s'" % (cid, title))
    return r.stdout.decode("cp1252")


def text_when(cid, good, timeout=10):
    """The dialog's text once good(text) holds, else the last one read: the
    probe may ask before the typed keys are taken."""
    return e2e.value_when(lambda: text_of(DLG, cid), good, timeout)


def type_into(rects, cid, text):
    click(rects, cid)
    key("End", "shift+Home", delay=0)
    subprocess.run(["xdotool", "type", "--delay", "20", text])
    key("Tab", delay=0)


def shown(title):
    r = subprocess.run(["xdotool", "search", "--onlyvisible", "--name", title], capture_output=True)
    return r.stdout.split()


def wait_gone(title, timeout=120):
    end = time.time() + timeout
    while time.time() < end:
        if not shown(title):
            return
        time.sleep(0.2)
    raise Failure("'%s' still open" % title)


def open_section(p, command):
    check(wine(PROBE, "cmd", e2e.TITLE, str(command)).returncode == 0, "command not posted")


def section(p, command, lat, lon, width, height, fixed=True):
    """Opens the dialog, types corner A and the size (or corner B), OK."""
    open_section(p, command)
    p.wait_window("^%s$" % DLG)
    c = controls(DLG)
    if fixed:
        click(c, FIXED)
        type_into(c, LAT_A, lat)
        type_into(c, LON_A, lon)
        type_into(c, WIDTH, str(width))
        type_into(c, HEIGHT, str(height))
    else:
        type_into(c, LAT_A, lat)
        type_into(c, LON_A, lon)
        type_into(c, LAT_B, width)
        type_into(c, LON_B, height)
    click(c, 1)


def message(p, title):
    """The texts of a message box; closes it with Return (a command posted
    while it is up would run in its loop)."""
    p.wait_window("^%s$" % title)
    r = wine(SPROBE, "texts", title)
    key("Return", delay=0)
    wait_gone("^%s$" % title, 30)
    return r.stdout.decode("cp1252")


def save_as(p, path, prompt=False):
    title = "^%s speichern$" % DLG
    wid = p.wait_window(title)
    subprocess.run(["xdotool", "windowactivate", "--sync", str(wid)], capture_output=True)
    subprocess.run(["xdotool", "type", "--delay", "20", "Z:" + path.replace("/", "\\")])
    key("Return", delay=0)
    if prompt:  # "replace the file?" over the file dialog, of its title: yes
        end = time.time() + 30
        while time.time() < end and len(shown(title)) < 2:
            time.sleep(0.1)
        key("Return", delay=0)


def wait_saved(path, timeout=120):
    """The file is renamed into place when complete; then the dialog goes."""
    end = time.time() + timeout
    while time.time() < end and not os.path.exists(path):
        time.sleep(0.2)
    check(os.path.exists(path), "%s not written" % os.path.basename(path))
    wait_gone("^%s speichern$" % DLG)


def identify(path, fmt):
    r = subprocess.run(["identify", "-format", fmt, path], capture_output=True)
    check(r.returncode == 0, "ImageMagick cannot read %s" % path)
    return r.stdout.decode("latin-1")


def png_size(path):
    """Width and height by Python's zlib (ImageMagick's policy here refuses
    pictures wider than 16K): the chunks' CRCs and the whole pixel stream."""
    data = open(path, "rb").read()
    check(data[:8] == b"\x89PNG\r\n\x1a\n", "%s is no PNG" % path)
    pos, idat, w, h, ctype = 8, b"", 0, 0, 0
    while pos < len(data):
        n = int.from_bytes(data[pos:pos + 4], "big")
        kind, body = data[pos + 4:pos + 8], data[pos + 8:pos + 8 + n]
        check(zlib.crc32(kind + body) == int.from_bytes(data[pos + 8 + n:pos + 12 + n], "big"), "bad CRC")
        if kind == b"IHDR":
            w, h, ctype = int.from_bytes(body[0:4], "big"), int.from_bytes(body[4:8], "big"), body[9]
        elif kind == b"IDAT":
            idat += body
        pos += 12 + n
    channels = {2: 3, 6: 4}[ctype]
    check(len(zlib.decompress(idat)) == h * (1 + w * channels), "pixel stream of the wrong length")
    return w, h


def temporaries(folder):
    return [f for f in os.listdir(folder) if f.endswith(".tmp")]


def check_export(path, px, py, w, h):
    """Size, pixels against the served tiles, and the georeference."""
    check(identify(path, "%w %h") == "%d %d" % (w, h), "size %s, want %dx%d" % (identify(path, "%w %h"), w, h))
    raw = subprocess.run(["convert", path, "-depth", "8", "rgb:-"], capture_output=True).stdout
    check(len(raw) == w * h * 3, "pixel data of %d bytes" % len(raw))
    bad = 0
    for v in range(0, h, 7):
        for u in range(0, w, 7):
            want = tileserver.tile_colour(ZOOM, (px + u) >> 8, (py + v) >> 8)
            o = (v * w + u) * 3
            if tuple(raw[o:o + 3]) != want:
                bad += 1
    check(bad == 0, "%d sampled pixels differ from the served tiles" % bad)
    comment = identify(path, "%c").split()
    check(comment[0] == "GMREF:", "comment %r" % comment)
    got = [float(v) for v in comment[1:5]]
    s = 1 << (22 - ZOOM)
    want = [360.0 / 256 / (1 << ZOOM), 0.02454369260617026 / (1 << ZOOM), lon_of(px * s), lat_of(py * s)]
    for g, e in zip(got, want):
        check(abs(g - e) < 1e-9, "GMREF %s, want %s" % (got, want))


def dms(text):
    """The degrees of a "47° 30' 00.00''" text."""
    m = re.fullmatch(r"(-?)(\d+)\xb0 (\d+)' (\d+\.\d\d)''", text)
    check(m, "%r is not in degrees, minutes and seconds" % text)
    return (-1 if m.group(1) else 1) * (int(m.group(2)) + int(m.group(3)) / 60.0 + float(m.group(4)) / 3600.0)


def start(port, notation=0):
    e2e.fresh_table(port, [("Punkte", "t", 0)])
    e2e.reg_import(["[HKEY_CURRENT_USER\\Software\\Vexa\\Orvalo]", '"OsmPosX"=dword:21800000',
                    '"OsmPosY"=dword:16000000', '"OsmZoom"=dword:%08x' % ZOOM, '"CoordMode"=dword:%08x' % notation])
    p = Program()
    p.shown_map()
    return p


def scenario_mapexport(work, srv, log):
    """Sizes refused and saved, the pixel edits' range, a pasted pair, a typed section
    checked pixel by pixel, a dragged rectangle normalised, Cancel, a
    read-only target."""
    p = start(srv.server_address[1])
    try:
        px, py = 137000, 90000
        lat, lon = corner(px, py)

        # the pixel edits keep to 64..20000; 20000 wide is refused
        open_section(p, ID_SAVE)
        p.wait_window("^%s$" % DLG)
        c = controls(DLG)
        # typed corners 8°E 47°N and 9°E 46°N: the km readout against Vincenty
        for cid, text in ((LAT_A, "47"), (LON_A, "8"), (LAT_B, "46"), (LON_B, "9")):
            type_into(c, cid, text)
        want = (geo_reference.vincenty_inverse(8, 47, 9, 47), geo_reference.vincenty_inverse(8, 47, 8, 46))

        def km_right(text):
            km = text.split()
            try:
                return len(km) == 8 and all(abs(float(km[i]) * 1000 - w) < w * 5e-4 for i, w in zip((2, 6), want))
            except ValueError:
                return False
        km = text_when(1028, km_right)
        check(km_right(km), "km readout %r, want %.3f and %.3f km" % (km, want[0] / 1000, want[1] / 1000))
        # a pasted "lat, lon" fills both edits of its corner (the latitude
        # formatted, the longitude as pasted), the focus goes on to the latter
        for lat_id, lon_id, pair in ((LAT_A, LON_A, (47.25, 8.5)), (LAT_B, LON_B, (46.5, 9.25))):
            subprocess.run(["xclip", "-selection", "clipboard"], input=b"%s, %s" % (b"%g" % pair[0], b"%g" % pair[1]),
                           check=True, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
            time.sleep(2.2)  # Wine looks for a new clipboard owner every 2 s
            click(c, lat_id)
            key("End", "shift+Home", "ctrl+v", delay=0)
            got = e2e.value_when(lambda: (text_of(DLG, lat_id), text_of(DLG, lon_id)),
                                 lambda t: t[1] == "%g" % pair[1])
            check(got == ("%f\xb0" % pair[0], "%g" % pair[1]), "pasted %s into %d gave %r" % (pair, lat_id, got))
            focus = wine(PROBE, "focus", DLG).stdout.decode()
            check(focus == str(lon_id), "after the paste into %d the focus is on %r" % (lat_id, focus))
        # the same typed key by key: split when the edit is left
        for lat_id, lon_id, pair in ((LAT_A, LON_A, ("47.5", "8.25")), (LAT_B, LON_B, ("46.75", "-9.5"))):
            type_into(c, lat_id, "%s, %s" % pair)
            want = tuple("%f\xb0" % float(v) for v in pair)
            got = e2e.value_when(lambda: (text_of(DLG, lat_id), text_of(DLG, lon_id)), want.__eq__)
            check(got == want, "typed %s, %s into %d gave %r" % (pair + (lat_id, got)))
        labels = [l.rstrip("\r").split("\t")[-1] for l in wine(SPROBE, "texts", DLG).stdout.decode("cp1252").split("\n")]
        check("L\xe4nge A :" in labels, "the labels read %r" % labels)
        # moved and made 120 wider and 80 higher (as a window manager does
        # it; here the X window is the client area): the map grows by as
        # much, the readouts go down, OK right
        wid = p.wait_window("^%s$" % DLG)
        left = frame_rect(DLG)
        subprocess.run(["xdotool", "windowmove", "--sync", str(wid), str(left[0] + 40), str(left[1] + 30)])
        subprocess.run(["xdotool", "windowsize", "--sync", str(wid), str(left[2] + 120), str(left[3] + 80)])
        moved = frame_rect(DLG)
        m0 = c[13398]
        grown = e2e.value_when(lambda: controls(DLG), lambda r: r[13398][2] == m0[2] + 120)
        shift = (moved[0] - left[0], moved[1] - left[1])
        check(shift == (40, 30) and grown[13398] == [m0[0] + 40, m0[1] + 30, m0[2] + 120, m0[3] + 80] and
              grown[1][0] == c[1][0] + 160 and grown[1028][1] == c[1028][1] + 110 and grown[1030][2] == c[1030][2] + 120,
              "moved by %s and grown: the map %r, OK %r, readouts %r %r; before %r, %r, %r %r" %
              (shift, grown[13398], grown[1], grown[1028], grown[1030], m0, c[1], c[1028], c[1030]))
        c = grown
        click(c, FIXED)
        type_into(c, WIDTH, "10")
        got = text_when(WIDTH, "64".__eq__)
        check(got == "64", "10 gave %r" % got)
        type_into(c, WIDTH, "25000")
        got = text_when(WIDTH, "20000".__eq__)
        check(got == "20000", "25000 gave %r" % got)
        type_into(c, HEIGHT, "100")
        click(c, 1)
        check("gr\xf6\xdfer als 18000 Pixel" in message(p, "Fehler"), "20000 x 100 was not refused")
        # it opens again where and as large as it was left
        open_section(p, ID_SAVE)
        p.wait_window("^%s$" % DLG)
        again = controls(DLG)
        check(again[13398] == c[13398] and again[1] == c[1], "reopened with the map at %r, left at %r" % (again[13398], c[13398]))
        key("Escape", delay=0)
        wait_gone("^%s$" % DLG, 30)

        # 63 x 500 from typed corners
        lat_b, lon_b = corner(px + 63, py + 500)
        section(p, ID_SAVE, lat, lon, lat_b, lon_b, fixed=False)
        check("kleiner als 64 Pixel" in message(p, "Fehler"), "63 x 500 was not refused")

        # a typed section, pixel by pixel
        typed = os.path.join(work, "typed.png")
        section(p, ID_SAVE, lat, lon, 700, 300)
        save_as(p, typed)
        wait_saved(typed)
        check_export(typed, px, py, 700, 300)

        # typed as TIFF and GIF: saved so, with the georeference
        for ext, magic in (("tif", b"II*\0"), ("gif", b"GIF89a")):
            other = os.path.join(work, "typed." + ext)
            section(p, ID_SAVE, lat, lon, 700, 300)
            save_as(p, other)
            wait_saved(other)
            check(open(other, "rb").read(len(magic)) == magic, "typed.%s is no %s file" % (ext, ext))
            check_export(other, px, py, 700, 300)

        # the widest the export takes
        wide = os.path.join(work, "wide.png")
        section(p, ID_SAVE, lat, lon, 18000, 64)
        save_as(p, wide)
        wait_saved(wide)
        check(png_size(wide) == (18000, 64), "wide.png is %s" % (png_size(wide),))

        # a rectangle dragged from bottom-right to top-left on the dialog's
        # map: the picture starts at the north-west corner
        open_section(p, ID_SAVE)
        p.wait_window("^%s$" % DLG)
        c = controls(DLG)
        mx, my, mw, mh = c[13398]
        mouse("mousemove", mx + mw // 2 + 120, my + mh // 2 + 70)
        e2e.drag([(mx + mw // 2 + 120 - 24 * i, my + mh // 2 + 70 - 14 * i) for i in range(1, 11)])
        time.sleep(0.5)
        px_text = text_of(DLG, 1030)
        nums = [int(v) for v in px_text.replace("=", " ").split() if v.lstrip("-").isdigit()]
        check(len(nums) == 2 and nums[0] < 0 and nums[1] < 0, "pixel readout after the drag %r" % px_text)
        nw_lat, nw_lon = float(text_of(DLG, LAT_B).rstrip("\xb0")), float(text_of(DLG, LON_B).rstrip("\xb0"))
        # "Fixe Breite" keeps that size, counted from the north-west corner
        click(c, 1065)
        size = [text_when(1039, lambda t: t == str(-nums[0])), text_when(1041, lambda t: t == str(-nums[1]))]
        check(size == [str(-nums[0]), str(-nums[1])], "fixed size %r after the drag, the readout said %r" % (size, px_text))
        click(c, 1065)
        dragged = os.path.join(work, "dragged.png")
        click(c, 1)
        save_as(p, dragged)
        wait_saved(dragged)
        check(identify(dragged, "%w %h") == "%d %d" % (-nums[0], -nums[1]),
              "dragged.png is %s, the readout said %s" % (identify(dragged, "%w %h"), px_text))
        ref = [float(v) for v in identify(dragged, "%c").split()[1:5]]
        step = 360.0 / (256 << ZOOM)  # one pixel
        check(abs(ref[2] - nw_lon) < step and abs(ref[3] - nw_lat) < step,
              "the picture starts at %.6f, %.6f, the north-west corner is %.6f, %.6f" % (ref[3], ref[2], nw_lat, nw_lon))

        # Cancel while the tiles are fetched: the old file stays, no
        # temporary (the save's own cancelling is a test of image/; these
        # one-colour tiles encode faster than a look at the dialog)
        big = os.path.join(work, "big.png")
        open(big, "wb").write(b"the previous export")
        section(p, ID_SAVE, lat, lon, 6000, 6000)
        save_as(p, big, prompt=True)
        title = "%s speichern" % DLG
        for _ in range(100):
            if control_rect(title, 1005):
                break
            time.sleep(0.2)
        button = control_rect(title, 2)
        check(button, "no progress dialog")
        bx, by, bw, bh = button
        mouse("mousemove", bx + bw // 2, by + bh // 2)
        mouse("click", 1)
        wait_gone("^%s$" % title, 30)
        time.sleep(0.5)
        check(open(big, "rb").read() == b"the previous export", "Cancel changed the file")
        check(not temporaries(work), "temporaries left: %s" % temporaries(work))
        check(not shown("^Fehler$"), "a message after Cancel")

        # a read-only target: the error, the file as it was
        ro = os.path.join(work, "ro.png")
        open(ro, "wb").write(b"read-only")
        os.chmod(ro, stat.S_IRUSR | stat.S_IRGRP | stat.S_IROTH)
        section(p, ID_SAVE, lat, lon, 64, 64)
        save_as(p, ro, prompt=True)
        check("Es gab einen Fehler beim Speichern !" in message(p, "Fehler"), "no error for a read-only file")
        check(open(ro, "rb").read() == b"read-only", "the read-only file changed")
        check(not temporaries(work), "temporaries left: %s" % temporaries(work))
        p.close_ok()
    finally:
        p.kill()


def level_tiles(px, py, w, h, zoom, i):
    """The tiles level i of pre-caching covers: sides shifted down by i;
    from the second level on, at zoom 3 or more, widened to 2048 pixels
    around the section; y inside the world, x round it."""
    z = zoom - i
    x, y = px >> i, py >> i
    lw, lh = max(1, w >> i), max(1, h >> i)
    if i >= 1 and z >= 3:
        if lw < 2048:
            x -= (2048 - lw) // 2
            lw = 2048
        if lh < 2048:
            y -= (2048 - lh) // 2
            lh = 2048
    world = 256 << z
    lh = min(lh, world)
    y = max(0, min(y, world - lh))
    n = 1 << z
    cols = {(c % n) for c in range((x % world) >> 8, (((x % world) + lw - 1) >> 8) + 1)}
    rows = range(y >> 8, ((y + lh - 1) >> 8) + 1)
    return {(z, c, r) for c in cols for r in rows}


def request_tile(line):
    path, _, qs = line.partition("?")
    return tileserver.numbers(path, dict(kv.partition("=")[::2] for kv in qs.split("&") if kv))


def quiet_log(log, seconds=2.0, timeout=60):
    """Waits until the server got no request for a while; the line count."""
    end = time.time() + timeout
    last, since = -1, time.time()
    while time.time() < end:
        n = len(open(log).read().split("\n"))
        if n != last:
            last, since = n, time.time()
        elif time.time() - since >= seconds:
            return n
        time.sleep(0.2)
    return last


def scenario_mapcache(work, srv, log):
    """A click on the map places the fixed-size corner; the corners show in
    the view's notation; pre-caching 300 x 200 at zoom 10 asks the server
    for exactly the tiles of 11 levels, each once."""
    p = start(srv.server_address[1], notation=6)
    try:
        px, py = 139000, 91000
        lat, lon = corner(px, py)
        e2e.wait_stable(p.map_rect())
        open_section(p, ID_CACHE)
        check("fixierten Cache" in message(p, "Warnung"), "no warning about sources outside the fixed cache")
        p.wait_window("^%s$" % DLG)
        c = controls(DLG)
        click(c, FIXED)
        # a click on the map places the section's corner where the cursor
        # readout says; corners in the view's notation (seconds)
        mx, my, mw, mh = c[13398]
        mouse("mousemove", mx + mw // 3, my + mh // 3)
        time.sleep(0.6)  # the readout follows the pointer every 250 ms
        under = text_when(1027, lambda t: "Breite" in t)
        mouse("click", 1)
        want = [dms(v) for v in re.findall(r"= (.*?)(?:   |$)", under)]
        check(len(want) == 2, "cursor readout %r" % under)

        def placed(t):
            return all(abs(dms(g) - w) < 0.01 for g, w in zip(t, want))
        got = e2e.value_when(lambda: [text_of(DLG, LAT_A), text_of(DLG, LON_A)], placed)
        check(placed(got), "placed at %r, the cursor was at %r" % (got, under))
        type_into(c, LAT_A, lat)
        type_into(c, LON_A, lon)
        got = [text_when(LAT_A, lambda t: "'" in t), text_when(LON_A, lambda t: "'" in t)]
        check(abs(dms(got[0]) - float(lat)) < 0.006 / 3600 and abs(dms(got[1]) - float(lon)) < 0.006 / 3600,
              "typed %s, %s shown as %r" % (lat, lon, got))
        type_into(c, WIDTH, "300")
        type_into(c, HEIGHT, "200")
        mark = quiet_log(log) - 1
        click(c, 1)
        # on a loaded machine the click is taken and the progress shown a
        # second or more later: the dialog goes first, then the pre-caching
        # shows its progress or asks the server; both must end
        wait_gone("^%s$" % DLG, 60)
        end = time.time() + 60
        while (time.time() < end and not shown("^%s cachen$" % DLG)
               and len(open(log).read().split("\n")) - 1 <= mark):
            time.sleep(0.2)
        wait_gone("^%s cachen$" % DLG, 180)
        quiet_log(log)
        check(not shown("^%s cachen$" % DLG), "the server quiet while pre-caching")
        check(not shown("^Warnung$") and not shown("^Fehler$"), "a message after pre-caching")
        p.close_ok()
    finally:
        p.kill()
    lines = [l for l in open(log).read().split("\n") if l]
    tiles = [request_tile(l) for l in lines]
    before, after = tiles[:mark], tiles[mark:]
    want = set()
    for i in range(ZOOM + 1):
        want |= level_tiles(px, py, 300, 200, ZOOM, i)
    twice = {t for t in after if after.count(t) > 1}
    check(not twice, "requested twice: %s" % sorted(twice)[:10])
    check(set(after) == want - set(before),
          "pre-caching asked for %d tiles outside the levels and left out %d" %
          (len(set(after) - want), len(want - set(before) - set(after))))
    print("%d tiles of 11 levels, %d of them requested by pre-caching" % (len(want), len(after)))


SCENARIOS = {"mapexport": scenario_mapexport, "mapcache": scenario_mapcache}


if __name__ == "__main__":
    e2e.SCENARIOS.clear()
    e2e.SCENARIOS.update(SCENARIOS)
    sys.exit(e2e.main())
