#!/usr/bin/env python3
"""The game's dialogs in the real Orvalo.exe: real X input by xdotool and
xclip, the registry read with `wine reg query`, control texts read by
dlgprobe.exe.

usage: dialogs_e2e.py SCENARIO   (coordinates)
"""
import math
import os
import subprocess
import sys
import time

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(HERE, "..", "..", "e2e"))
import orvalo_view_e2e as e2e  # noqa: E402
from orvalo_view_e2e import Program, check, key, mouse, reg_values, wine  # noqa: E402

PROBE = os.path.join(e2e.BUILD, "tests", "game", "dialogs", "dlgprobe.exe")
ID_VIEW_COORDINATES = 32785
COORD_LAT, COORD_LON = 1009, 1013


def world_x(lon):
    return (lon + 180.0) / 360.0 * (1 << 30)


def world_y(lat):
    r = math.radians(lat)
    return (1.0 - math.asinh(math.tan(r)) / math.pi) / 2.0 * (1 << 30)


def lat_of(y):
    return math.degrees(math.atan(math.sinh(math.pi * (1.0 - 2.0 * y / (1 << 30)))))


def control_text(title, cid):
    r = wine(PROBE, "text", title, str(cid))
    check(r.returncode == 0, "no control %d in '%s'" % (cid, title))
    return r.stdout.decode("cp1252")


def number_of(text):
    """The decimal degrees of a format-0 text ("47.500000°")."""
    return float(text.rstrip("\u00b0").strip())


def click_control(title, cid):
    r = wine(e2e.WININFO, title, str(cid))
    check(r.returncode == 0, "control %d not found" % cid)
    x, y, w, h = [int(v) for v in r.stdout.split()]
    mouse("mousemove", x + w // 2, y + h // 2)
    mouse("click", 1)
    time.sleep(0.3)


def visible(title):
    """Visible to Windows (the X window may stay mapped a while longer)."""
    return wine(PROBE, "text", title, str(COORD_LAT)).returncode == 0


def scenario_coordinates(work, srv, log):
    """Shown by its command, it follows the map; Escape hides it; a typed
    field is not overwritten, and moves the map when left; a chosen zoom moves
    it; a pair typed key by key moves it when left, a pasted "lat, lon" at
    once; "abc" moves nothing; the view stores "ShowCoord"."""
    port = srv.server_address[1]
    e2e.fresh_table(port, [("Punkte", "t", 0)])
    x0, y0 = int(world_x(20.0)), int(world_y(10.0))
    e2e.reg_import(["[HKEY_CURRENT_USER\\Software\\Vexa\\Orvalo]", '"OsmPosX"=dword:%08x' % x0,
                    '"OsmPosY"=dword:%08x' % y0, '"OsmZoom"=dword:00000008', '"CoordMode"=dword:00000000'])
    p = Program()
    try:
        p.shown_map()
        check(wine(PROBE, "cmd", e2e.TITLE, str(ID_VIEW_COORDINATES)).returncode == 0, "command not posted")
        p.wait_window("Koordinaten")
        time.sleep(0.8)
        lat, lon = control_text("Koordinaten", COORD_LAT), control_text("Koordinaten", COORD_LON)
        check(abs(number_of(lat) - lat_of(y0)) < 2e-6, "latitude field %r" % lat)
        check(abs(number_of(lon) - 20.0) < 2e-6, "longitude field %r" % lon)
        check(control_text("Koordinaten", 1016) == "8", "zoom not shown")

        # Escape only hides it; the command shows it again
        click_control("Koordinaten", COORD_LAT)
        key("Escape")
        time.sleep(0.8)
        check(not visible("Koordinaten"), "Escape did not hide the dialog")
        check(wine(PROBE, "cmd", e2e.TITLE, str(ID_VIEW_COORDINATES)).returncode == 0, "command not posted")
        for _ in range(25):
            if visible("Koordinaten"):
                break
            time.sleep(0.2)
        time.sleep(0.5)

        # the longitude field is not overwritten while typed in
        click_control("Koordinaten", COORD_LON)
        key("End", "shift+Home", "1", "2", delay=0.1)
        time.sleep(0.8)  # three timer ticks
        check(control_text("Koordinaten", COORD_LON) == "12", "the timer overwrote the typed longitude")
        # left, it moves the map: the timer shows the new centre once the
        # focus is on the zoom box; a zoom chosen there moves the map too
        key("Tab", "Down", delay=0.1)

        def centre(lat, lon):
            def near(t):
                try:
                    return abs(number_of(t[0]) - lat) < 2e-6 and abs(number_of(t[1]) - lon) < 2e-6
                except ValueError:
                    return False
            got = e2e.value_when(lambda: (control_text("Koordinaten", COORD_LAT), control_text("Koordinaten", COORD_LON)),
                                 near)
            check(near(got), "the map's centre shows as %r, want %s, %s" % (got, lat, lon))
        centre(lat_of(y0), 12.0)
        # a pair typed key by key is split when the field is left
        click_control("Koordinaten", COORD_LAT)
        key("End", "shift+Home", delay=0)
        subprocess.run(["xdotool", "type", "--delay", "20", "46.5, 7.75"])
        key("Tab", "Tab", delay=0.1)
        centre(46.5, 7.75)

        # a pasted pair moves the map at once (no focus change needed)
        # xclip stays to serve the selection: it must not hold our output open
        subprocess.run(["xclip", "-selection", "clipboard"], input=b"47.5, 8.25", check=True,
                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        click_control("Koordinaten", COORD_LAT)
        key("End", "shift+Home", "ctrl+v", delay=0.2)
        time.sleep(0.8)
        check(control_text("Koordinaten", COORD_LON).startswith("8.25"), "the pair was not split")

        # text that does not parse moves nothing
        click_control("Koordinaten", COORD_LON)
        key("End", "shift+Home", "a", "b", "c", "Tab", delay=0.1)
        time.sleep(0.6)

        p.close_ok()
    finally:
        p.kill()
    values = reg_values()
    x = int(values["OsmPosX"][1], 16)
    y = int(values["OsmPosY"][1], 16)
    check(abs(x - world_x(8.25)) <= 1, "OsmPosX %d, want %.1f" % (x, world_x(8.25)))
    check(abs(y - world_y(47.5)) <= 1, "OsmPosY %d, want %.1f" % (y, world_y(47.5)))
    check(values.get("OsmZoom") == ("REG_DWORD", "0x9"), "OsmZoom %r, want 9" % (values.get("OsmZoom"),))
    check(values.get("ShowCoord") == ("REG_DWORD", "0x1"), "ShowCoord %r" % (values.get("ShowCoord"),))


SCENARIOS = {"coordinates": scenario_coordinates}


if __name__ == "__main__":
    # the view tests' runner: tile server, registry reset, PASS/FAIL
    e2e.SCENARIOS.clear()
    e2e.SCENARIOS.update(SCENARIOS)
    sys.exit(e2e.main())
