#!/usr/bin/env python3
"""The server list's CSV against Python's csv module: our files read by
csv.reader, files from csv.writer read by our importer."""
import csv
import io
import os
import subprocess
import sys
import tempfile

RUN = sys.argv[1:-1]          # wine-run under Windows, nothing natively
TOOL = sys.argv[-1]
WORK = tempfile.mkdtemp(prefix="servercsv")
failures = []


def check(cond, what):
    if not cond:
        failures.append(what)
        print("FAIL:", what)


def tool(*args):
    return subprocess.run(RUN + [TOOL] + list(args), check=True,
                          stdout=subprocess.PIPE).stdout.decode("latin-1")


def hexcell(s):
    return s.hex() if s else "-"


def export(rows, name):
    rowsfile = os.path.join(WORK, "rows")
    with open(rowsfile, "w") as f:
        for layer, cells in rows:
            f.write(("L " if layer else "B ") + " ".join(hexcell(c) for c in cells) + "\n")
    out = os.path.join(WORK, name)
    tool("export", rowsfile, out)
    with open(out, "rb") as f:
        return out, f.read()


def do_import(path):
    base, layers, refused = [], [], None
    for line in tool("import", path).splitlines():
        parts = line.split(" ")
        if parts[0] == "refused":
            refused = int(parts[1])
            continue
        cells = [b"" if p == "-" else bytes.fromhex(p) for p in parts[1:]]
        (layers if parts[0] == "L" else base).append(cells)
    return base, layers, refused


def sanitised(cell):
    cell = cell[:255]
    for a, b in ((b'"', b"'"), (b";", b","), (b"\t", b" "), (b"\r", b" "), (b"\n", b" ")):
        cell = cell.replace(a, b)
    return cell


BASE = [
    [b"OSM Mapnik", b"tile.example.org", b"/%z/%x/%y.png", b"0", b"19",
     b"47.500000\xb0", b"8.250000\xb0", b"", b"", b"1", b"OSM"],
    [b"Semi;colon \"q\"", b"a\tb", b"line\r\nbreak", b"", b"", b"", b"", b"", b"", b"0", b"ESRI"],
    [b"\xc4rger \xfcber \x80", b"x" * 300, b"", b"", b"", b"", b"", b"", b"", b"0", b"3"],
]
LAYERS = [[b"Relief", b"r.example.org", b"/%z/%x/%y.png", b"10", b"255", b"Info, text", b"1", b"OSM"]]
ROWS = [(False, c) for c in BASE] + [(True, c) for c in LAYERS]

# our export read by csv.reader, ";" and tab
for name, sep in (("list.csv", ";"), ("list.TXT", "\t")):
    path, data = export(ROWS, name)
    check(b"\r" not in data, name + ": LF only")
    text = data.decode("cp1252")
    rows = list(csv.reader(io.StringIO(text, newline=""), delimiter=sep, quoting=csv.QUOTE_NONE))
    check(len(rows) == 4, name + ": four lines")
    for got, (layer, cells) in zip(rows, ROWS):
        want = [sanitised(c) for c in cells]
        if layer:
            want[0] = b"*" + want[0]
        check(got[-1] == "", name + ": every field ends with the separator")
        check([g.encode("cp1252") for g in got[:-1]] == want, name + ": cells %r" % got[0])
    # export -> import -> export is byte-identical
    base, layers, refused = do_import(path)
    again = [(False, c) for c in base] + [(True, c) for c in layers]
    _, data2 = export(again, "again" + os.path.splitext(name)[1])
    check(data2 == data, name + ": round trip byte-identical")
    check(refused == 0, name + ": nothing refused")

# files written by csv.writer
cells = [["Name \"quoted\"", "srv;x", "p", "1", "18", "", "47,5", "", "", "1", "OSM"],
         ["*Layer, with comma", "s", "p", "0", "255", "Info", "0", "YANDEX"],
         ["\u00c4pfel \u20ac", "s2", "", "", "", "", "", "", "", "0", "ESRI"]]
variants = [("minimal.csv", dict(quoting=csv.QUOTE_MINIMAL), "cp1252", False),
            ("all.csv", dict(quoting=csv.QUOTE_ALL), "cp1252", False),
            ("crlf.csv", dict(lineterminator="\r\n"), "cp1252", False),
            ("bom.csv", dict(quoting=csv.QUOTE_ALL), "utf-8", True),
            ("tabs.txt", dict(delimiter="\t"), "cp1252", False)]
for name, kw, enc, bom in variants:
    kw.setdefault("delimiter", ";")
    kw.setdefault("lineterminator", "\n")
    buf = io.StringIO()
    csv.writer(buf, **kw).writerows(cells)
    path = os.path.join(WORK, name)
    with open(path, "wb") as f:
        f.write((b"\xef\xbb\xbf" if bom else b"") + buf.getvalue().encode(enc))
    base, layers, _ = do_import(path)
    check(len(base) == 2 and len(layers) == 1, name + ": row counts")
    want_base = [[c.encode("cp1252") for c in cells[0]], [c.encode("cp1252") for c in cells[2]]]
    check(base == want_base, name + ": base cells %r" % base)
    want_layer = [c.encode("cp1252") for c in cells[1]]
    want_layer[0] = want_layer[0][1:]
    check(layers == [want_layer], name + ": layer cells %r" % layers)

# a 3000-character line is one row; 150 lines give 100 rows and a refusal
path = os.path.join(WORK, "long.csv")
with open(path, "wb") as f:
    f.write(b"n;" + b"s" * 3000 + b";p;\nsecond;\n")
base, _, _ = do_import(path)
check(len(base) == 2 and base[0][1] == b"s" * 255 and base[1][0] == b"second", "long line whole")
path = os.path.join(WORK, "many.csv")
with open(path, "wb") as f:
    f.write(b"".join(b"row%d;s;\n" % i for i in range(150)))
base, _, refused = do_import(path)
check(len(base) == 100 and refused == 50 and base[99][0] == b"row99", "at most 100 rows")

# a failing export keeps what was there and leaves no temporary: the target
# is a folder, which the rename cannot replace
target = os.path.join(WORK, "blocked.csv")
os.mkdir(target)
with open(os.path.join(target, "inside"), "w") as f:
    f.write("kept")
before = sorted(os.listdir(WORK))
rowsfile = os.path.join(WORK, "rows")
r = subprocess.run(RUN + [TOOL, "export", rowsfile, target], stdout=subprocess.DEVNULL)
check(r.returncode != 0, "export onto a folder reported success")
check(open(os.path.join(target, "inside")).read() == "kept", "the old target was touched")
check(sorted(os.listdir(WORK)) == before, "a temporary was left: %r" % sorted(set(os.listdir(WORK)) - set(before)))
# an existing file is replaced whole
path, _ = export(ROWS, "list.csv")
_, data = export(ROWS[:1], "list.csv")
check(data.count(b"\n") == 1, "the old file was not replaced whole")

print("%d failure(s)" % len(failures))
sys.exit(1 if failures else 0)
