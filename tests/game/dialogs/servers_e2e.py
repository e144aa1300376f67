#!/usr/bin/env python3
"""The server-settings dialog in the real Orvalo.exe: real X input by
xdotool, cells found and read by tlprobe.exe, the registry read with
`wine reg query`/`reg export`, the CSV export read by Python's csv module.

usage: servers_e2e.py SCENARIO   (keep, rows, edit, defaults, csv, full)
"""
import csv
import os
import subprocess
import sys
import time

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(HERE, "..", "..", "e2e"))
import orvalo_view_e2e as e2e  # noqa: E402
from orvalo_view_e2e import Failure, Program, check, key, mouse, reg_values, wine  # noqa: E402

PROBE = os.path.join(e2e.BUILD, "tests", "game", "dialogs", "dlgprobe.exe")
TLPROBE = os.path.join(e2e.BUILD, "tests", "game", "dialogs", "tlprobe.exe")
SPROBE = os.path.join(e2e.BUILD, "tests", "game", "dialogs", "sectionprobe.exe")
TITLE = "Server-Einstellungen"
ID_EDIT_OSMSERVERS = 32786
BASE, LAYERS = 4614, 4615
B_DELETE, L_DELETE, B_UP, L_UP, B_DOWN, L_DOWN = 1000, 1001, 1002, 1003, 1004, 1005
IMPORT, EXPORT, DEFAULTS = 1008, 1011, 1066
SERVER, LAYER = e2e.KEY + r"\Server", e2e.KEY + r"\Layer"


def probe(*args):
    r = wine(TLPROBE, TITLE, *[str(a) for a in args])
    check(r.returncode == 0, "tlprobe %s failed" % " ".join(str(a) for a in args))
    return r.stdout.decode("cp1252")


def rows(lst):
    return int(probe(lst, "rows"))


def cell(lst, row, col):
    return probe(lst, "text", row, col)


def box(lst, row, col):
    return int(probe(lst, "box", row, col))


def enabled(cid):
    return probe(cid, "enabled").strip() == "1"


def click_cell(lst, row, col, dx=None):
    x, y, w, h = [int(v) for v in probe(lst, "cell", row, col).split()]
    mouse("mousemove", x + (w // 2 if dx is None else dx), y + h // 2)
    time.sleep(0.15)
    mouse("click", 1)
    time.sleep(0.4)


def click_button(cid):
    x, y, w, h = [int(v) for v in probe(cid, "rect").split()]
    mouse("mousemove", x + w // 2, y + h // 2)
    time.sleep(0.15)
    mouse("click", 1)
    time.sleep(0.5)


def select_cell(lst, row, col):
    """The cell becomes the caret without opening its editor (a click on
    the caret cell would open it)."""
    click_cell(lst, row, col + 1 if col == 0 else col - 1)
    click_cell(lst, row, col)


def type_cell(lst, row, col, text):
    """A typed character opens the cell's editor over the old text; Return stores."""
    select_cell(lst, row, col)
    subprocess.run(["xdotool", "type", "--delay", "40", text])
    key("Return", delay=0.5)


def clear_cell(lst, row, col):
    select_cell(lst, row, col)
    key("x", "BackSpace", "Return", delay=0.3)


def gone(title, timeout=10):
    end = time.time() + timeout
    while time.time() < end:
        r = subprocess.run(["xdotool", "search", "--onlyvisible", "--name", title], capture_output=True)
        if not r.stdout.strip():
            return True
        time.sleep(0.2)
    return False


def open_dialog(p):
    check(wine(PROBE, "cmd", e2e.TITLE, str(ID_EDIT_OSMSERVERS)).returncode == 0, "command not posted")
    p.wait_window(TITLE)
    for _ in range(50):
        if wine(TLPROBE, TITLE, str(BASE), "rows").returncode == 0:
            return
        time.sleep(0.2)
    raise Failure("no base-map list")


def answer(p, title, *keys):
    p.wait_window(title)
    time.sleep(0.4)
    key(*keys, delay=0.4)


def close_ok(p):
    click_button(1)
    check(gone("^%s$" % TITLE), "the dialog did not close")
    time.sleep(0.5)


def reg_export(path):
    out = os.path.join(os.getcwd(), "export.reg")
    r = wine("reg", "export", path, "Z:" + out.replace("/", "\\"), "/y")
    check(r.returncode == 0, "reg export failed")
    data = open(out, "rb").read()
    os.unlink(out)
    return data


def reg_texts(path):
    """name -> text of the string values in a key, from `reg export` (the
    console's code page would garble non-ASCII)."""
    data = reg_export(path)
    text = data.decode("utf-16") if data[:2] in (b"\xff\xfe", b"\xfe\xff") else data.decode("cp1252")
    out = {}
    for line in text.replace("\r", "").split("\n"):
        if line.startswith('"') and '"="' in line:
            name, value = line[1:-1].split('"="', 1)
            out[name] = value.replace('\\"', '"').replace("\\\\", "\\")
    return out


def table(port, n, extra=()):
    """n base maps and two layers; extra lines go below "Server"."""
    lines = e2e.table_lines(port, [("Karte%d" % i, "p%d" % i, 0) for i in range(n)],
                            [("Ebene0", "e0", 0, 0), ("Ebene1", "e1", 1, 0)])
    i = lines.index("[HKEY_CURRENT_USER\\Software\\Vexa\\Orvalo\\Layer]")
    e2e.reset_registry()
    e2e.reg_import(lines[:i - 1] + list(extra) + lines[i - 1:])


# ------------------------------------------------------------------ scenarios

def scenario_keep(work, srv, log):
    """OK without an edit writes nothing: the tables export byte for byte as
    before, a newer interface number and a stored area (shown in the view's
    notation with the hemisphere) included."""
    table(srv.server_address[1], 3, ['"Interface02"=dword:00000003', '"Fixed02"=dword:00000001',
                                     '"AreaYA01"="47,5"', '"ZoomMax01"="12"'])
    # the view hands its notation to the dialog
    e2e.reg_import(["[HKEY_CURRENT_USER\\Software\\Vexa\\Orvalo]", '"CoordMode"=dword:0000000a'])
    before = reg_export(e2e.KEY)
    p = Program()
    try:
        p.wait_window()
        open_dialog(p)
        check(rows(BASE) == 4 and rows(LAYERS) == 3, "rows %d/%d" % (rows(BASE), rows(LAYERS)))
        check(cell(BASE, 2, 10) == "3", "interface 3 shown as %r" % cell(BASE, 2, 10))
        check(cell(BASE, 1, 10) == "OSM", "interface 0 shown as %r" % cell(BASE, 1, 10))
        check(cell(BASE, 1, 6) == "47\u00b0 30' 00.00'' N", "area shown as %r" % cell(BASE, 1, 6))
        check(box(BASE, 2, 9) == 2 and box(BASE, 1, 9) == 1, "Fix boxes")
        check(box(BASE, 0, 0) == 2 and box(BASE, 1, 0) == 1, "the selected base map is not checked")
        check(box(BASE, 3, 0) == 0 and cell(BASE, 3, 0) == "", "the empty row")
        close_ok(p)
        check(reg_export(e2e.KEY) == before, "an unchanged OK changed the registry")
        p.close_ok()
    finally:
        p.kill()


def scenario_rows(work, srv, log):
    """The buttons at both ends, up and down, and deleting the last two of
    five: 03 and 04 go, their "Fixed" stays, "Interface02" = 3 survives;
    then another base map checked and moved up is written as "Select"."""
    table(srv.server_address[1], 5, ['"Fixed03"=dword:00000001', '"Fixed04"=dword:00000001',
                                     '"Interface02"=dword:00000003'])
    p = Program()
    try:
        p.wait_window()
        open_dialog(p)
        click_cell(BASE, 0, 1)
        check(not enabled(B_UP) and enabled(B_DOWN) and enabled(B_DELETE), "buttons on the first row")
        click_cell(BASE, 4, 1)
        check(enabled(B_UP) and not enabled(B_DOWN) and enabled(B_DELETE), "buttons on the last row")
        click_cell(BASE, 5, 1)
        check(not enabled(B_UP) and not enabled(B_DOWN) and not enabled(B_DELETE), "buttons on the empty row")
        click_cell(LAYERS, 0, 1)
        check(not enabled(L_UP) and enabled(L_DOWN), "layer buttons on the first row")
        # down and up again: the order is back
        click_cell(BASE, 0, 1)
        click_button(B_DOWN)
        check(cell(BASE, 0, 0) == "Karte1" and cell(BASE, 1, 0) == "Karte0", "down did not move")
        click_button(B_UP)
        check(cell(BASE, 0, 0) == "Karte0" and cell(BASE, 1, 0) == "Karte1", "up did not move back")
        click_cell(BASE, 3, 1)
        click_button(B_DELETE)
        click_button(B_DELETE)
        check(rows(BASE) == 4 and cell(BASE, 2, 0) == "Karte2", "two deletes leave %d rows" % rows(BASE))
        close_ok(p)
        v = reg_values(SERVER)
        for name in ("Name03", "Name04", "Server03", "Path04", "Interface04"):
            check(name not in v, "%s was not deleted" % name)
        check(v.get("Fixed03") == ("REG_DWORD", "0x1") and v.get("Fixed04") == ("REG_DWORD", "0x1"), "Fixed03/04 went")
        check(v.get("Interface02") == ("REG_DWORD", "0x3"), "Interface02 is %r" % (v.get("Interface02"),))
        check(v.get("Name02") == ("REG_SZ", "Karte2"), "Name02 is %r" % (v.get("Name02"),))

        # another base map chosen by its box, then moved up: "Select" follows it
        open_dialog(p)
        click_cell(BASE, 2, 0, dx=9)
        check(box(BASE, 2, 0) == 2, "Karte2's box is not checked")
        click_cell(BASE, 2, 1)
        click_button(B_UP)
        check(cell(BASE, 1, 0) == "Karte2" and box(BASE, 1, 0) == 2, "the checked row did not move up")
        close_ok(p)
        v = reg_values(SERVER)
        check(v.get("Select") == ("REG_DWORD", "0x1"), "Select is %r" % (v.get("Select"),))
        check(v.get("Name01") == ("REG_SZ", "Karte2"), "Name01 is %r" % (v.get("Name01"),))
        p.close_ok()
    finally:
        p.kill()


def scenario_edit(work, srv, log):
    """Typing into the empty row, a pair and a decimal comma in "Bereich Y1",
    a row emptied by hand, two layers checked by click, "Fix" clicked and
    "Interface" chosen from its list."""
    table(srv.server_address[1], 3)
    p = Program()
    try:
        p.wait_window()
        open_dialog(p)
        # the empty row has no boxes: a click there keeps the selection
        click_cell(BASE, 3, 0, dx=9)
        check(box(BASE, 3, 0) == 0 and box(BASE, 0, 0) == 2, "a box ticked on the empty row")
        type_cell(BASE, 3, 0, "Neu")
        check(rows(BASE) == 5, "no new empty row")
        check(cell(BASE, 3, 0) == "Neu" and cell(BASE, 3, 10) == "OSM", "new entry %r %r" % (cell(BASE, 3, 0), cell(BASE, 3, 10)))
        check(box(BASE, 3, 9) == 1, "the new entry has no Fix box")
        type_cell(BASE, 0, 6, "47.5, 8.25")
        check(cell(BASE, 0, 5) == "8.250000\u00b0", "X1 is %r" % cell(BASE, 0, 5))
        check(cell(BASE, 0, 6) == "47.500000\u00b0", "Y1 is %r" % cell(BASE, 0, 6))
        type_cell(BASE, 2, 6, "47,5")
        check(cell(BASE, 2, 6) == "47.500000\u00b0" and cell(BASE, 2, 5) == "", "47,5 gave %r %r" % (cell(BASE, 2, 5), cell(BASE, 2, 6)))
        # clearing one of the three keeps the row, all three delete it
        clear_cell(BASE, 1, 0)
        check(rows(BASE) == 5, "a row without a name was deleted")
        clear_cell(BASE, 1, 1)
        clear_cell(BASE, 1, 2)
        check(rows(BASE) == 4 and cell(BASE, 1, 0) == "Karte2",
              "the emptied row stayed: %r" % [cell(BASE, 1, c) for c in range(3)])
        click_cell(LAYERS, 0, 0, dx=9)
        click_cell(LAYERS, 1, 0, dx=9)
        check(box(LAYERS, 0, 0) == 2 and box(LAYERS, 1, 0) == 2, "the layers' boxes are not checked")
        # "Fix" by a click on its box, "Interface" from its list opened by a double click
        click_cell(BASE, 0, 9, dx=9)
        check(box(BASE, 0, 9) == 2, "the Fix box is not checked")
        x, y, w, h = [int(v) for v in probe(BASE, "cell", 0, 10).split()]
        mouse("mousemove", x + w // 2, y + h // 2)
        time.sleep(0.15)
        mouse("click", "--repeat", 2, "--delay", 100, 1)
        time.sleep(0.5)
        key("End", "Return", delay=0.5)
        check(cell(BASE, 0, 10) == "YANDEX", "the interface chosen shows as %r" % cell(BASE, 0, 10))
        close_ok(p)
        p.close_ok()
    finally:
        p.kill()
    v = reg_values(SERVER)
    check(v.get("Name02") == ("REG_SZ", "Neu") and v.get("Interface02") == ("REG_DWORD", "0x0"), "Name02 %r" % (v.get("Name02"),))
    check(v.get("Fixed00") == ("REG_DWORD", "0x1") and v.get("Interface00") == ("REG_DWORD", "0x2"),
          "Fixed00 %r, Interface00 %r" % (v.get("Fixed00"), v.get("Interface00")))
    check("Name03" not in v, "Name03 is still there")
    t = reg_texts(SERVER)
    check(t.get("AreaXA00") == "8.250000\u00b0" and t.get("AreaYA00") == "47.500000\u00b0",
          "area %r %r" % (t.get("AreaXA00"), t.get("AreaYA00")))
    check(t.get("Name01") == "Karte2" and t.get("AreaYA01") == "47.500000\u00b0", "row 01")
    lv = reg_values(LAYER)
    check(lv.get("Select00") == ("REG_DWORD", "0x1") and lv.get("Select01") == ("REG_DWORD", "0x1"), "layer selects")


def scenario_defaults(work, srv, log):
    """"Standart" asks, deletes both tables, and the view's reload writes the
    24 built-in base maps and 7 layers, which the dialog then shows."""
    table(srv.server_address[1], 2)
    p = Program()
    try:
        p.wait_window()
        open_dialog(p)
        click_button(DEFAULTS)
        answer(p, "^Frage$", "Return")
        check(gone("^%s$" % TITLE), "the dialog did not close")
        time.sleep(0.5)
        v, lv = reg_values(SERVER), reg_values(LAYER)
        check("Name23" in v and "Name24" not in v and "Name01" in v, "base maps: %d names" % sum(1 for n in v if n.startswith("Name")))
        check("Name06" in lv and "Name07" not in lv, "layers: %d names" % sum(1 for n in lv if n.startswith("Name")))
        check(v.get("Name00") == ("REG_SZ", "Mapic"), "Name00 %r" % (v.get("Name00"),))
        open_dialog(p)
        check(rows(BASE) == 25 and rows(LAYERS) == 8, "shown %d/%d rows" % (rows(BASE), rows(LAYERS)))
        check(cell(BASE, 23, 10) == "YANDEX" and cell(BASE, 17, 4) == "8", "row 23/17 shown wrong")
        key("Escape")
        check(gone("^%s$" % TITLE), "Escape did not close")
        p.close_ok()
    finally:
        p.kill()


def file_dialog(p, title, path):
    wid = p.wait_window("^%s$" % title)
    subprocess.run(["xdotool", "windowactivate", "--sync", str(wid)], capture_output=True)
    time.sleep(0.5)
    subprocess.run(["xdotool", "type", "--delay", "20", path])
    key("Return", delay=0.8)


def scenario_csv(work, srv, log):
    """Export through the file dialog (a name without extension gets ".csv"),
    read back by csv.reader; the overwrite question; a file from csv.writer
    imported with "Alte Server-Liste löschen ?" answered Yes, written on OK;
    a file that cannot be opened is named in an error."""
    table(srv.server_address[1], 2, ['"AreaXA01"="8.25"', '"Fixed01"=dword:00000001', '"Name01"="Semi;kolon \\"x\\""'])
    z = "Z:" + work.replace("/", "\\")
    out = os.path.join(work, "liste.csv")
    p = Program()
    try:
        p.wait_window()
        open_dialog(p)
        click_button(EXPORT)
        file_dialog(p, "Server-Liste exportieren", z + "\\liste")
        for _ in range(50):
            if os.path.exists(out):
                break
            time.sleep(0.2)
        check(os.path.exists(out), "no liste.csv written")
        time.sleep(0.5)
        data = open(out, "rb").read()
        got = list(csv.reader(data.decode("cp1252").split("\n")[:-1], delimiter=";"))
        check(len(got) == 4, "%d lines exported" % len(got))
        check(got[1][0] == "Semi,kolon 'x'" and got[1][5] == "8.250000\u00b0" and got[1][9] == "1" and got[1][10] == "OSM",
              "row 1 exported as %r" % got[1])
        check(got[2][0] == "*Ebene0" and got[3][7] == "ESRI" and len(got[3]) == 9, "layers exported as %r" % got[2:])
        check(all(line.endswith(b";") for line in data.split(b"\n")[:-1]) and b"\r" not in data, "line ends")
        # the dialog asks before it overwrites; No keeps the file
        os.utime(out, (1, 1))
        click_button(EXPORT)
        file_dialog(p, "Server-Liste exportieren", z + "\\liste.csv")
        answer(p, "^Frage$", "Return")  # No is the default
        check(os.stat(out).st_mtime == 1 and open(out, "rb").read() == data, "the file was overwritten")
        # a target that cannot be written: the error asks Yes/No, the file stays
        os.chmod(out, 0o444)
        click_button(EXPORT)
        file_dialog(p, "Server-Liste exportieren", z + "\\liste.csv")
        answer(p, "^Frage$", "shift+Tab", "Return")  # Yes
        p.wait_window("^Fehler$")
        time.sleep(0.4)
        texts = wine(SPROBE, "texts", "Fehler").stdout.decode("cp1252")
        key("Return", delay=0.4)
        ids = {line.split("\t")[0] for line in texts.splitlines()}
        check("konnte nicht erstellt werden ?" in texts and {"6", "7"} <= ids and "1" not in ids,
              "export failure box %r" % texts)
        check(open(out, "rb").read() == data, "the read-only file changed")
        os.chmod(out, 0o644)

        # a file that cannot be opened: the error names it, the lists stay
        click_button(IMPORT)
        file_dialog(p, "Server-Liste importieren", z + "\\fehlt.csv")
        p.wait_window("^Fehler$")
        time.sleep(0.4)
        texts = wine(SPROBE, "texts", "Fehler").stdout.decode("cp1252")
        key("Return", delay=0.4)
        check("Die Datei '%s\\fehlt.csv' konnte nicht ge\xf6ffnet werden ?" % z in texts, "import failure box %r" % texts)
        check(rows(BASE) == 3 and rows(LAYERS) == 3, "the lists changed")

        src = os.path.join(work, "neu.csv")
        with open(src, "w", newline="", encoding="utf-8-sig") as f:
            w = csv.writer(f, delimiter=";", quoting=csv.QUOTE_ALL)
            w.writerow(["Gr\u00fcn", "127.0.0.1:%d" % srv.server_address[1], "g", "", "9", "", "47.5", "", "", "1", "ESRI"])
            w.writerow(["*Linien", "h", "l", "-20", "100", "Info; mit Semikolon", "0", "YANDEX"])
        click_button(IMPORT)
        file_dialog(p, "Server-Liste importieren", z + "\\neu.csv")
        answer(p, "^Frage$", "Return")  # Yes: the old lists go
        check(rows(BASE) == 2 and rows(LAYERS) == 2, "imported %d/%d rows" % (rows(BASE), rows(LAYERS)))
        check(cell(BASE, 0, 0) == "Gr\u00fcn" and cell(BASE, 0, 6) == "47.500000\u00b0" and box(BASE, 0, 9) == 2, "base row")
        check(cell(LAYERS, 0, 5) == "Info; mit Semikolon", "layer info %r" % cell(LAYERS, 0, 5))
        close_ok(p)
        p.close_ok()
    finally:
        p.kill()
    v, lv = reg_values(SERVER), reg_values(LAYER)
    check(reg_texts(SERVER).get("Name00") == "Gr\u00fcn" and v.get("Interface00") == ("REG_DWORD", "0x1"),
          "Name00 %r" % (reg_texts(SERVER).get("Name00"),))
    check(v.get("Fixed00") == ("REG_DWORD", "0x1") and v.get("ZoomMax00") == ("REG_SZ", "9"), "Fixed00/ZoomMax00")
    check("Name01" not in v, "the old second base map stayed")
    check(lv.get("Name00") == ("REG_SZ", "Linien") and lv.get("Interface00") == ("REG_DWORD", "0x2"), "layer 00")
    check("Name01" not in lv, "the old second layer stayed")


def scenario_full(work, srv, log):
    """A list holds 100 entries (the value names have two digits): the empty
    row and the import refuse more and say so; Cancel writes nothing."""
    table(srv.server_address[1], 100)
    src = os.path.join(work, "mehr.csv")
    with open(src, "w", newline="", encoding="cp1252") as f:
        f.write("A;h;a;\nB;h;b;\n*L;h;l;\n")
    p = Program()
    try:
        p.wait_window()
        open_dialog(p)
        check(rows(BASE) == 101, "%d rows shown" % rows(BASE))
        select_cell(BASE, 0, 0)
        key("End", delay=0.5)  # the caret to the empty row
        subprocess.run(["xdotool", "type", "--delay", "40", "Neu"])
        key("Return", delay=0.5)
        answer(p, "^Fehler$", "Return")
        check(rows(BASE) == 101 and cell(BASE, 100, 0) == "", "a 101st entry was made")
        click_button(IMPORT)
        file_dialog(p, "Server-Liste importieren", "Z:" + src.replace("/", "\\"))
        answer(p, "^Frage$", "Tab", "Return")  # No: the old lists stay
        answer(p, "^Fehler$", "Return")
        check(rows(BASE) == 101 and rows(LAYERS) == 4, "import gave %d/%d rows" % (rows(BASE), rows(LAYERS)))
        key("Escape")
        check(gone("^%s$" % TITLE), "Escape did not close")
        p.close_ok()
    finally:
        p.kill()
    check("Name99" in reg_values(SERVER) and "Name02" not in reg_values(LAYER), "Cancel wrote")


SCENARIOS = {"keep": scenario_keep, "full": scenario_full, "rows": scenario_rows, "edit": scenario_edit, "defaults": scenario_defaults,
             "csv": scenario_csv}


if __name__ == "__main__":
    e2e.SCENARIOS.clear()
    e2e.SCENARIOS.update(SCENARIOS)
    sys.exit(e2e.main())
