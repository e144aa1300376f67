#!/usr/bin/env python3
"""The game options dialog in the real Orvalo.exe: real X input by xdotool,
the registry read with `wine reg query` and `reg export`, the swatch read
from a screenshot, control states read by optprobe.exe.

usage: gameoptions_e2e.py gameoptions
"""
import os
import subprocess
import sys
import time

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(HERE, "..", "..", "e2e"))
sys.path.insert(0, os.path.join(HERE, "..", "..", "support"))
import orvalo_view_e2e as e2e  # noqa: E402
from orvalo_view_e2e import Failure, Program, check, key, mouse, reg_values, wine  # noqa: E402
from xshot import screenshot  # noqa: E402

DIR = os.path.join(e2e.BUILD, "tests", "game", "dialogs")
PROBE = os.path.join(DIR, "dlgprobe.exe")
OPTPROBE = os.path.join(DIR, "optprobe.exe")
TITLE = "Spieloptionen"
FOLDER_TITLE = "Pfad für HTML-Ziel-Informationen"
ID_EDIT_GAMEOPTIONS = 32795
IDOK = 1
COUNT, INFOPATH, TIME, BROWSE, STATS = 1016, 1022, 1024, 1068, 1026
CHECKS = (1065, 1064, 1067, 1070, 1071)  # hide, zoom out, star second, HTML, single click
NAME1, SWATCH1, COLOUR1, GOTO1 = 1009, 1006, 1035, 1036
OPTIONS_KEY = e2e.KEY + r"\GameOptions"


def wine_path(path):
    return "Z:" + path.replace("/", "\\")


def rect_of(title, cid, timeout=10):
    end = time.time() + timeout
    while time.time() < end:
        r = wine(e2e.WININFO, title, str(cid))
        if r.returncode == 0:
            return [int(v) for v in r.stdout.split()]
        time.sleep(0.2)
    raise Failure("control %d of '%s' not found" % (cid, title))


def click(title, cid, dx=None):
    x, y, w, h = rect_of(title, cid)
    mouse("mousemove", x + (w // 2 if dx is None else dx), y + h // 2)
    time.sleep(0.1)
    mouse("click", 1)
    time.sleep(0.3)


def replace_text(title, cid, text, select="End shift+Home"):
    """A click into the field, its text selected, the new text typed."""
    click(title, cid, dx=6)
    key(*select.split(), delay=0.1)
    subprocess.run(["xdotool", "type", "--delay", "30", "--", text])
    time.sleep(0.2)


def text_of(title, cid):
    r = wine(PROBE, "text", title, str(cid))
    check(r.returncode == 0, "no control %d in '%s'" % (cid, title))
    return r.stdout.decode("cp1252")


def wait_text(title, cid, pred, timeout=10):
    """The control's text once pred holds (or the last one seen)."""
    return e2e.value_when(lambda: text_of(title, cid), pred, timeout, 0.2)


def shown(title):
    return wine(PROBE, "text", title, str(IDOK)).returncode == 0


def wait_gone(title, timeout=10):
    end = time.time() + timeout
    while time.time() < end:
        if not shown(title):
            return
        time.sleep(0.2)
    raise Failure("'%s' did not close" % title)


def open_options(p):
    check(wine(PROBE, "cmd", e2e.TITLE, str(ID_EDIT_GAMEOPTIONS)).returncode == 0, "command not posted")
    p.wait_window("^%s$" % TITLE)
    rect_of(TITLE, IDOK)
    time.sleep(0.5)


def ok(title=TITLE):
    click(title, IDOK)
    wait_gone(title)


def reg_export(path):
    if os.path.exists(path):
        os.unlink(path)
    r = wine("reg", "export", e2e.KEY, wine_path(path), "/y")
    check(r.returncode == 0, "reg export failed")
    return open(path, "rb").read()


def game_folder(root, name):
    path = os.path.join(root, name)
    os.makedirs(os.path.join(path, "Main"))
    with open(os.path.join(path, "Main", "Info.html"), "w") as f:
        f.write("<html><body><h1>%s</h1></body></html>" % name)
    return wine_path(path)


def exported_options(text):
    """name -> value text of the "GameOptions" section of a `reg export`."""
    lines = text.decode("utf-16" if text[:2] == b"\xff\xfe" else "latin-1").replace("\r", "").split("\n")
    out, inside = {}, False
    for line in lines:
        if line.startswith("["):
            inside = line.strip().lower().endswith("\\gameoptions]")
        elif inside and line.startswith('"') and '"=' in line:
            name, value = line[1:].split('"=', 1)
            out[name] = value
    return out


def swatch_rgb(shot, title, cid):
    sw, sh, px = shot
    x, y, w, h = rect_of(title, cid)
    o = ((y + h // 2) * sw + x + w // 2) * 3
    return tuple(px[o:o + 3])


def choose_colour(rgb):
    """The colour dialog of row 1: red, green and blue typed into its edits."""
    click(TITLE, COLOUR1)
    r = subprocess.run(["xdotool", "search", "--sync", "--onlyvisible", "--name", "^(Farbe|Color|Colour)$"],
                       capture_output=True, timeout=20)
    ids = r.stdout.split()
    check(ids, "no colour dialog")
    subprocess.run(["xdotool", "windowfocus", "--sync", ids[0]], capture_output=True, timeout=10)
    name = subprocess.run(["xdotool", "getwindowname", ids[0]], capture_output=True).stdout.decode().strip()
    for cid, value in zip((706, 707, 708), rgb):
        x, y, w, h = rect_of(name, cid)
        mouse("mousemove", x + w // 2, y + h // 2)
        mouse("click", 1)
        time.sleep(0.2)
        key("End", "shift+Home", delay=0.1)
        subprocess.run(["xdotool", "type", "--delay", "30", "--", str(value)])
        key("Tab", delay=0.3)
    ok(name)


def scenario_gameoptions(work, srv, log):
    """OK without a change writes nothing; time, a name, the check boxes, the
    player boxes' place and a colour chosen in the colour dialog are stored
    (read back by `reg export`), the swatch shows the colour; "-5" is no
    time limit; "Infopfad" fills the combo and the path is in its history at
    the next opening; "Gehe zu" is off without a guess; a moved dialog
    reopens where it was left."""
    e2e.fresh_table(srv.server_address[1], [("Punkte", "t", 0)])
    first, second = game_folder(work, "SpielA"), game_folder(work, "SpielB")
    e2e.reg_import(["[HKEY_CURRENT_USER\\Software\\Vexa\\Orvalo\\GameOptions]",
                    '"HtmInfoPath"="%s"' % first.replace("\\", "\\\\")])
    p = Program()
    try:
        p.shown_map()

        # OK without a change: ends as cancelled, the key stays byte for byte
        before = reg_export(os.path.join(work, "before.reg"))
        open_options(p)
        check(wine(OPTPROBE, "enabled", TITLE, str(GOTO1)).returncode == 1, "'Gehe zu' enabled without a guess")
        check(wine(OPTPROBE, "enabled", TITLE, str(COLOUR1)).returncode == 0, "'Farbe' disabled")
        check(text_of(TITLE, INFOPATH) == first, "info path shown %r" % text_of(TITLE, INFOPATH))
        check(text_of(TITLE, TIME) == "keine", "time shown %r" % text_of(TITLE, TIME))
        check(text_of(TITLE, COUNT) == "4", "count shown %r" % text_of(TITLE, COUNT))
        ok()
        check(reg_export(os.path.join(work, "after.reg")) == before, "OK without a change wrote to the registry")

        # time, name and colour
        open_options(p)
        replace_text(TITLE, TIME, "25 s")
        replace_text(TITLE, NAME1, "Anna")
        # every check box turned round, the player boxes to the right
        for cid in CHECKS:
            click(TITLE, cid, dx=6)
        click(TITLE, STATS)
        key("End", "Return", delay=0.3)
        check(text_of(TITLE, STATS) == "rechts", "player boxes shown %r" % text_of(TITLE, STATS))
        rgb = (18, 52, 86)
        choose_colour(rgb)
        got = None
        for _ in range(20):
            got = swatch_rgb(screenshot(), TITLE, SWATCH1)
            if got == rgb:
                break
            time.sleep(0.2)
        check(got == rgb, "swatch shows %s, expected %s" % (got, rgb))
        ok()
        v = reg_values(OPTIONS_KEY)
        check(v.get("MaximalTime") == ("REG_DWORD", "0x19"), "MaximalTime %r" % (v.get("MaximalTime"),))
        check(v.get("Name00") == ("REG_SZ", "Anna"), "Name00 %r" % (v.get("Name00"),))
        want = "0x%x" % (rgb[0] | rgb[1] << 8 | rgb[2] << 16)
        check(v.get("Color00") == ("REG_DWORD", want), "Color00 %r, expected %s" % (v.get("Color00"), want))
        check(v.get("Name01") == ("REG_SZ", "Spieler2"), "Name01 %r" % (v.get("Name01"),))
        check(v.get("GamersCount") == ("REG_DWORD", "0x4"), "GamersCount %r" % (v.get("GamersCount"),))
        exported = exported_options(reg_export(os.path.join(work, "checks.reg")))
        for name, want in (("HideOpponent", 0), ("ZoomOut", 0), ("StarSecond", 1), ("ShowHtml", 0),
                           ("SingleClick", 1), ("PlayerStats", 2)):
            check(exported.get(name) == "dword:%08x" % want, "%s exported as %r" % (name, exported.get(name)))

        # a negative time is none; the folder dialog fills the path
        open_options(p)
        check(text_of(TITLE, TIME) == "25 s", "time shown %r" % text_of(TITLE, TIME))
        replace_text(TITLE, TIME, "-5")
        check(text_of(TITLE, TIME) == "-5", "time typed as %r" % text_of(TITLE, TIME))
        click(TITLE, BROWSE)
        p.wait_window("^%s$" % FOLDER_TITLE)
        time.sleep(1.0)
        x, y, w, h = rect_of(FOLDER_TITLE, 1017)
        mouse("mousemove", x + 8, y + h // 2)
        mouse("click", 1)
        time.sleep(0.3)
        key("End", "shift+Home", delay=0.1)
        subprocess.run(["xdotool", "type", "--delay", "30", "--", second])
        key("Return", delay=1.0)
        key("Return", delay=0.5)
        wait_gone(FOLDER_TITLE)
        got = wait_text(TITLE, INFOPATH, lambda t: t.rstrip("\\") == second)
        check(got.rstrip("\\") == second, "path after the folder dialog %r, expected %r" % (got, second))
        ok()
        v = reg_values(OPTIONS_KEY)
        check(v.get("MaximalTime") == ("REG_DWORD", "0x0"), "'-5' gave MaximalTime %r" % (v.get("MaximalTime"),))
        check(v.get("HtmInfoPath", ("", ""))[1].rstrip("\\") == second, "HtmInfoPath %r" % (v.get("HtmInfoPath"),))

        # the history at the next opening
        open_options(p)
        items = [l.rstrip("\r") for l in wine(OPTPROBE, "items", TITLE, str(INFOPATH)).stdout.decode("cp1252").split("\n") if l]
        check(items and items[0].rstrip("\\") == second, "history in the combo %r" % items)
        check(text_of(TITLE, TIME) == "keine", "time shown %r" % text_of(TITLE, TIME))
        # moved, closed and opened again: where it was left
        at = rect_of(TITLE, IDOK)
        wid = subprocess.run(["xdotool", "search", "--onlyvisible", "--name", "^%s$" % TITLE],
                             capture_output=True).stdout.split()[0]
        geo = subprocess.run(["xdotool", "getwindowgeometry", "--shell", wid], capture_output=True, text=True).stdout
        pos = dict(l.split("=") for l in geo.split() if "=" in l)
        subprocess.run(["xdotool", "windowmove", "--sync", wid, str(int(pos["X"]) + 47), str(int(pos["Y"]) + 31)])
        moved = [at[0] + 47, at[1] + 31, at[2], at[3]]
        check(e2e.value_when(lambda: rect_of(TITLE, IDOK), lambda r: r == moved, 10, 0.2) == moved,
              "the dialog did not move to %s" % moved)
        key("Escape")
        wait_gone(TITLE)
        open_options(p)
        check(rect_of(TITLE, IDOK) == moved, "reopened with OK at %s, left at %s" % (rect_of(TITLE, IDOK), moved))
        # Ctrl+A selects the whole path (the edit control alone does not)
        replace_text(TITLE, INFOPATH, "C:\\Neu", select="Home ctrl+a")
        check(text_of(TITLE, INFOPATH) == "C:\\Neu", "Ctrl+A and typing gave %r" % text_of(TITLE, INFOPATH))
        key("Escape")
        wait_gone(TITLE)
        p.close_ok()
    finally:
        p.kill()


SCENARIOS = {"gameoptions": scenario_gameoptions}


if __name__ == "__main__":
    e2e.SCENARIOS.clear()
    e2e.SCENARIOS.update(SCENARIOS)
    sys.exit(e2e.main())
