#!/usr/bin/env python3
"""Track files of real tools read by the library, and the library's files
read by real tools:

    tracks_peer_test.py [WINE-RUN] TRACK_TOOL

gpsbabel makes GPX (tracks, routes, waypoints), KML (15 and 16 timed
points, 2-tuples, a two-segment MultiGeometry), csv for the TK reader and
the library's CSV form (xcsv style in data/); every file is compared point
by point with gpsbabel's own unicsv dump of it. Info-ZIP zip makes KMZ
archives. The files the library writes pass xmllint, a GPX 1.1 structure
check, gpsbabel and Python's csv module, also under a German locale. Names
with Windows-1252's letters beyond Latin-1 pass as UTF-8 and as character
references (Python's ElementTree and codecs).
"""
import csv
import os
import random
import shutil
import stat
import struct
import subprocess
import sys
import tempfile
import xml.etree.ElementTree as ET
import zlib

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from trackrun import STYLE, Checks, Tool, babel, gpx_source, random_track, unicsv  # noqa: E402

NAME = "Müller & <Söhne>".encode("cp1252")
GPX_NS = "{http://www.topografix.com/GPX/1/1}"


def gpsbabel_files(tool, c, d, rnd):
    track = random_track(rnd, 40)
    segs = [random_track(rnd, 12), random_track(rnd, 9)]
    route = random_track(rnd, 7)
    wpts = random_track(rnd, 5)
    src = os.path.join(d, "src.gpx")
    gpx_source(src, tracks=[[track]], routes=[route], waypoints=wpts)
    for flag, fmt, others in (("-t", "track", "routes,waypoints"), ("-r", "route", "tracks,waypoints"),
                              ("-w", "waypoints", "tracks,routes")):
        out = os.path.join(d, f"babel_{fmt}.gpx")
        babel(flag, "-i", "gpx", "-f", src, "-x", "nuketypes," + others, "-o", "gpx", "-F", out)
        n, _, pts = tool.read(out)
        c.same_points(pts, unicsv(flag, "gpx", out), f"gpsbabel GPX {fmt}")
    # track points and waypoints in one file: the track points count
    both = os.path.join(d, "babel_both.gpx")
    babel("-t", "-w", "-i", "gpx", "-f", src, "-x", "nuketypes,routes", "-o", "gpx", "-F", both)
    n, name, pts = tool.read(both)
    c.same_points(pts, unicsv("-t", "gpx", both), "gpsbabel GPX with waypoints: track points")
    c.ok(name == b"Quelle", f"GPX track name {name!r}")

    # KML of 15 and 16 timed points: times only from 16 on
    for n_pts in (15, 16):
        s = os.path.join(d, f"src{n_pts}.gpx")
        gpx_source(s, tracks=[[track[:n_pts]]])
        k = os.path.join(d, f"babel{n_pts}.kml")
        babel("-t", "-i", "gpx", "-f", s, "-o", "kml", "-F", k)
        ref = unicsv("-t", "gpx", s)
        if n_pts == 15:
            ref = [(lo, la, None) for lo, la, _ in ref]
        n, _, pts = tool.read(k)
        c.same_points(pts, ref, f"gpsbabel KML of {n_pts} timed points")
    # no elevation: the coordinates are 2-tuples
    flat = [(p[0], p[1], None, None) for p in track]
    s = os.path.join(d, "flat.gpx")
    gpx_source(s, tracks=[[flat]])
    k = os.path.join(d, "flat.kml")
    babel("-t", "-i", "gpx", "-f", s, "-o", "kml,points=0", "-F", k)
    c.ok(",0.00\n" not in open(k).read() and "<coordinates>" in open(k).read(), "gpsbabel wrote 2-tuples")
    n, _, pts = tool.read(k)
    c.same_points(pts, unicsv("-t", "kml", k), "gpsbabel KML of 2-tuples", times=False)
    # two segments: a MultiGeometry, both read
    s = os.path.join(d, "segs.gpx")
    gpx_source(s, tracks=[segs])
    k = os.path.join(d, "segs.kml")
    babel("-t", "-i", "gpx", "-f", s, "-o", "kml,points=0", "-F", k)
    c.ok("<MultiGeometry>" in open(k).read(), "gpsbabel wrote a MultiGeometry")
    n, _, pts = tool.read(k)
    c.same_points(pts, [(p[0], p[1], None) for p in segs[0] + segs[1]], "two-segment KML", times=False)
    kml16 = os.path.join(d, "babel16.kml")

    # csv ("lat, lon, name") for the TK reader, first point included
    tk = os.path.join(d, "babel.txt")
    babel("-t", "-i", "gpx", "-f", src, "-x", "transform,wpt=trk,del", "-o", "csv", "-F", tk)
    n, _, pts = tool.read(tk)
    c.same_points(pts, [(p[0], p[1], None) for p in unicsv("-w", "csv", tk)], "gpsbabel csv as TK")
    # the library's CSV form written by gpsbabel's xcsv
    xc = os.path.join(d, "babel_x.csv")
    babel("-t", "-i", "gpx", "-f", src, "-x", "transform,wpt=trk,del", "-o", f"xcsv,style={STYLE}", "-F", xc)
    n, name, pts = tool.read(xc)
    c.same_points(pts, unicsv("-w", f"xcsv,style={STYLE}", xc), "gpsbabel xcsv in the CSV form")
    c.ok(name == b"Babel track", f"CSV name {name!r}")
    # unicsv under a ".csv" name is not this CSV form
    uc = os.path.join(d, "unicsv.csv")
    with open(uc, "w") as f:
        f.write(babel("-t", "-i", "gpx", "-f", src, "-o", "unicsv", "-F", "-"))
    n, _, pts = tool.read(uc)
    c.ok(n < 0 and not pts, f"unicsv as .csv gives {n}")
    return kml16


def png_bytes():
    """A 2x2 PNG image (an image entry before the KML)."""
    def chunk(kind, data):
        return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data))
    raw = b"".join(b"\0" + b"\xff\x00\x00" * 2 for _ in range(2))
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", 2, 2, 8, 2, 0, 0, 0)) +
            chunk(b"IDAT", zlib.compress(raw)) + chunk(b"IEND", b""))


def kmz_files(tool, c, d, kml):
    want = tool.read(kml)
    c.ok(want[0] == 16, "KML for the KMZ archives")
    doc = os.path.join(d, "doc.kml")
    shutil.copy(kml, doc)
    img = os.path.join(d, "a_icon.png")
    with open(img, "wb") as f:
        f.write(png_bytes())
    cases = [("deflated", ["zip", "-q", "-j"], [doc]),
             ("stored", ["zip", "-q", "-j", "-0"], [doc]),
             ("image first", ["zip", "-q", "-j"], [img, doc])]
    for what, cmd, files in cases:
        z = os.path.join(d, what.replace(" ", "_") + ".kmz")
        subprocess.run(cmd + [z] + files, check=True)
        got = tool.read(z)
        c.ok(got[0] == want[0] and got[2] == want[2] and got[1] == want[1], f"KMZ {what}: {got[0]} points")
    z = os.path.join(d, "nokml.kmz")
    subprocess.run(["zip", "-q", "-j", z, img], check=True)
    c.ok(tool.read(z)[0] == -2, "KMZ without KML gives -2")


def gpx_structure(path):
    """The GPX 1.1 structure of a written file; returns a problem or None."""
    root = ET.parse(path).getroot()
    if root.tag != GPX_NS + "gpx" or root.get("version") != "1.1":
        return f"root {root.tag} {root.get('version')}"
    trk = [e for e in root if e.tag == GPX_NS + "trk"]
    if len(trk) != 1:
        return "not one trk"
    kids = [e.tag.replace(GPX_NS, "") for e in trk[0]]
    if kids[0] != "name" or kids[-1] != "trkseg" or kids.count("trkseg") != 1:
        return f"trk children {kids}"
    for p in trk[0].find(GPX_NS + "trkseg"):
        if p.tag != GPX_NS + "trkpt" or p.get("lat") is None or p.get("lon") is None:
            return f"point {p.tag} {p.attrib}"
        float(p.get("lat")), float(p.get("lon"))
        order = [e.tag.replace(GPX_NS, "") for e in p]
        if order not in (["ele"], ["ele", "time"]):
            return f"point children {order}"
    return None


def written_files(tool, c, d, rnd):
    track = random_track(rnd, 30)
    track[3] = (track[3][0], track[3][1], None, 0.0)  # one point without time
    out = {k: os.path.join(d, "ours." + k) for k in ("gpx", "kml", "csv")}
    for k, p in out.items():
        c.ok(tool.write(k, p, track, NAME) == 0, f"write {k}")
    for k in ("gpx", "kml"):
        r = subprocess.run(["xmllint", "--noout", out[k]], capture_output=True)
        c.ok(r.returncode == 0, f"xmllint {k}: {r.stderr.decode()[:200]}")
    problem = gpx_structure(out["gpx"])
    c.ok(problem is None, f"GPX 1.1 structure: {problem}")
    want = [(p[0], p[1], p[2]) for p in track]
    c.same_points(unicsv("-t", "gpx", out["gpx"]), want, "gpsbabel reads our GPX")
    c.same_points(unicsv("-t", "kml", out["kml"]), want, "gpsbabel reads our KML", times=False)
    c.same_points(unicsv("-w", f"xcsv,style={STYLE}", out["csv"]), want, "gpsbabel reads our CSV")
    # names survive write -> read in all three formats
    for k, p in out.items():
        n, name, pts = tool.read(p)
        c.ok(name == NAME, f"name through {k}: {name!r}")
        c.same_points(pts, want, f"read back our {k}", times=(k != "kml"))
    # Python's csv module, a name with ";" and a quote
    odd = 'Weg; "Nord"'.encode("cp1252")
    p = os.path.join(d, "odd.csv")
    c.ok(tool.write("csv", p, track, odd) == 0, "write CSV with ; and quote")
    with open(p, newline="", encoding="cp1252") as f:
        rows = list(csv.reader(f, delimiter=";"))
    c.ok(rows[0][:3] == ["", "", ""] and rows[0][3] == odd.decode("cp1252") and len(rows[0][4]) == 19,
         f"CSV header {rows[0]}")
    pts = [(float(r[0]), float(r[1]), int(r[2]) if r[2] else None) for r in rows[1:]]
    c.same_points(pts, want, "Python csv reads the points")
    c.ok(tool.read(p)[1] == odd, "CSV name with ; and quote read back")
    # one point: -2 and no file
    for k in out:
        p = os.path.join(d, "one." + k)
        c.ok(tool.write(k, p, track[:1]) == -2 and not os.path.exists(p), f"one point {k}")
    # a read-only target keeps its content, no temporary is left
    ro = os.path.join(d, "ro")
    os.mkdir(ro)
    for k in out:
        p = os.path.join(ro, "old." + k)
        with open(p, "w") as f:
            f.write("old")
        os.chmod(p, stat.S_IRUSR)
        rc = tool.write(k, p, track)
        c.ok(rc == -1 and open(p).read() == "old", f"read-only {k}: {rc}")
        os.chmod(p, stat.S_IRUSR | stat.S_IWUSR)
    c.ok(sorted(os.listdir(ro)) == ["old.csv", "old.gpx", "old.kml"], f"left in folder: {os.listdir(ro)}")
    # an empty name takes the file's title; the KML document its file name
    p = os.path.join(d, "run.kml")
    tool.write("kml", p, track)
    text = open(p, encoding="utf-8").read()
    c.ok("<name>run.kml</name>" in text and "<name>run</name>" in text, "KML title names")


def german_locale(tool, c, d, rnd):
    """Output and reading unchanged under a locale with decimal commas."""
    env = None
    if tool.wine:
        name = "German"
    else:
        loc = os.path.join(d, "locales")
        os.mkdir(loc)
        r = subprocess.run(["localedef", "-i", "de_DE", "-f", "UTF-8", os.path.join(loc, "de_DE.UTF-8")],
                           capture_output=True)
        if not os.path.exists(os.path.join(loc, "de_DE.UTF-8")):
            print("SKIP: German locale not available:", r.stderr.decode()[:200])
            return
        env = dict(os.environ, LOCPATH=loc, TZ="UTC")
        name = "de_DE.UTF-8"
    track = random_track(rnd, 20)
    for k in ("gpx", "kml", "csv"):
        # the same file name: the KML document carries it
        for sub in ("c", "de"):
            os.makedirs(os.path.join(d, sub), exist_ok=True)
        a, b = os.path.join(d, "c", "x." + k), os.path.join(d, "de", "x." + k)
        tool.write(k, a, track, NAME, env=env)
        out = tool.call("--locale", name, "write", k, tool.path(b), tool.path(_points(d, track)), NAME.hex(), env=env)
        c.ok(out.startswith("locale 1,5"), f"the locale is active: {out.strip()}")
        c.ok(open(a, "rb").read() == open(b, "rb").read(), f"{k} unchanged under {name}")
        c.ok(tool.read(b, locale=name, env=env)[2] == tool.read(a, env=env)[2], f"{k} read under {name}")


def windows_1252_names(tool, c, d, rnd):
    """Names with the letters Windows-1252 has beyond Latin-1 (and one it has
    not), as UTF-8 and as character references, read and written."""
    text = "Weg \u2013 80 \u20ac \u201eS\u00fcd\u201c \u0153 \u03a9"
    want = text.encode("cp1252", errors="replace").replace(b"?", b"\xff")
    track = random_track(rnd, 5)
    src = os.path.join(d, "names_src.gpx")
    gpx_source(src, tracks=[[track]], name=text)
    files = {"gpsbabel GPX": os.path.join(d, "names_babel.gpx")}
    babel("-t", "-i", "gpx", "-f", src, "-o", "gpx", "-F", files["gpsbabel GPX"])
    kml = ET.Element("kml")
    mark = ET.SubElement(ET.SubElement(kml, "Document"), "Placemark")
    ET.SubElement(mark, "name").text = text
    ET.SubElement(ET.SubElement(mark, "LineString"), "coordinates").text = " ".join(
        f"{p[0]},{p[1]},0" for p in track)
    for enc in ("us-ascii", "utf-8"):  # us-ascii: every letter beyond it as a reference
        files["ElementTree KML " + enc] = os.path.join(d, f"names_{enc}.kml")
        ET.ElementTree(kml).write(files["ElementTree KML " + enc], encoding=enc, xml_declaration=True)
    files["gpsbabel GPX as references"] = os.path.join(d, "names_ascii.gpx")
    with open(files["gpsbabel GPX as references"], "wb") as f:
        f.write(open(files["gpsbabel GPX"], encoding="utf-8").read().encode("ascii", "xmlcharrefreplace"))
    for what, path in files.items():
        if "us-ascii" in what or "references" in what:
            c.ok(b"&#8364;" in open(path, "rb").read(), f"{what}: references written")
        n, name, _ = tool.read(path)
        c.ok(n == 5 and name == want, f"{what} name {name!r}, expected {want!r}")
    # ours: the name as Python reads it, and back through the library
    mine = "Weg \u2013 80 \u20ac \u201eS\u00fcd\u201c \u0153".encode("cp1252")
    for k in ("gpx", "kml"):
        p = os.path.join(d, "names_ours." + k)
        tool.write(k, p, track, mine)
        names = [e.text for e in ET.parse(p).iter() if e.tag.endswith("}name")]
        c.ok(mine.decode("cp1252") in names, f"our {k} names as Python reads them: {names}")
        c.ok(tool.read(p)[1] == mine, f"our {k} name read back: {tool.read(p)[1]!r}")


def _points(d, track):
    from trackrun import write_points
    p = os.path.join(d, "locale.points")
    write_points(p, track)
    return p


def main():
    tool = Tool(sys.argv[1:])
    c = Checks()
    rnd = random.Random(20261207)
    with tempfile.TemporaryDirectory(dir=os.getcwd()) as d:
        kml16 = gpsbabel_files(tool, c, d, rnd)
        kmz_files(tool, c, d, kml16)
        written_files(tool, c, d, rnd)
        windows_1252_names(tool, c, d, rnd)
        german_locale(tool, c, d, rnd)
    return c.finish()


if __name__ == "__main__":
    sys.exit(main())
