"""Helpers of the track tests driven from Python: running track_tool
(natively or under Wine), gpsbabel, and making source tracks."""
import calendar
import csv
import datetime
import io
import os
import random
import subprocess
import sys

HERE = os.path.dirname(os.path.abspath(__file__))
STYLE = os.path.join(HERE, "data", "orvalo_csv.style")


class Tool:
    def __init__(self, argv):
        self.run = list(argv)
        self.wine = self.run[-1].endswith(".exe")

    def path(self, p):
        p = os.path.abspath(p)
        return "Z:" + p.replace("/", "\\") if self.wine else p

    def call(self, *args, env=None, locale=None):
        cmd = list(self.run)
        if locale:
            cmd += ["--locale", locale]
        cmd += list(args)
        out = subprocess.run(cmd, capture_output=True, env=env, check=True).stdout
        return out.decode("latin-1").replace("\r\n", "\n")

    def read(self, path, locale=None, env=None):
        """(count, name as bytes, [(lon, lat, seconds or None)])"""
        lines = self.call("read", self.path(path), locale=locale, env=env).split("\n")
        if lines[0].startswith("locale"):
            lines = lines[1:]
        count = int(lines[0].split()[1])
        h = lines[1].split()[1]
        name = b"" if h == "-" else bytes.fromhex(h)
        pts = []
        for line in lines[2:]:
            if line.strip():
                lon, lat, t = line.split()
                pts.append((float(lon), float(lat), None if t == "-" else int(t)))
        return count, name, pts

    def write(self, kind, out, points, name=b"", locale=None, env=None):
        src = out + ".points"
        write_points(src, points)
        args = ["write", kind, self.path(out), self.path(src)]
        if name:
            args.append(name.hex())
        text = self.call(*args, locale=locale, env=env)
        os.unlink(src)
        return int(text.strip().split("\n")[-1].split()[1])


def write_points(path, points):
    """points: (lon, lat, seconds or None[, ele])"""
    with open(path, "w") as f:
        for p in points:
            t = "-" if p[2] is None else str(p[2])
            ele = p[3] if len(p) > 3 else 0.0
            f.write(f"{p[0]!r} {p[1]!r} {t} {ele!r}\n")


def babel(*args):
    r = subprocess.run(["gpsbabel"] + list(args), capture_output=True)
    if r.returncode != 0:
        raise RuntimeError("gpsbabel " + " ".join(args) + ": " + r.stderr.decode())
    return r.stdout.decode("utf-8")


def unicsv(kind, fmt, path):
    """gpsbabel's own dump of a file: [(lon, lat, seconds or None)]"""
    text = babel(kind, "-i", fmt, "-f", path, "-o", "unicsv", "-F", "-")
    rows = list(csv.DictReader(io.StringIO(text)))
    pts = []
    for r in rows:
        t = None
        if r.get("Date") and r.get("Time"):
            d = datetime.datetime.strptime(r["Date"] + " " + r["Time"][:8], "%Y/%m/%d %H:%M:%S")
            t = calendar.timegm(d.timetuple())
        pts.append((float(r["Longitude"]), float(r["Latitude"]), t))
    return pts


def iso(t):
    return datetime.datetime.fromtimestamp(t, datetime.timezone.utc).strftime("%Y-%m-%dT%H:%M:%SZ")


def random_track(rnd, n, start=1700000000, with_time=True, pauses=False):
    lon, lat, t = rnd.uniform(-170, 170), rnd.uniform(-70, 70), start
    pts = []
    for i in range(n):
        pts.append((round(lon, 7), round(lat, 7), t if with_time else None, round(rnd.uniform(0, 900), 2)))
        if pauses and rnd.random() < 0.15:
            t += rnd.randint(1, 30)  # standing still
            continue
        lon += rnd.uniform(-0.002, 0.002)
        lat += rnd.uniform(-0.002, 0.002)
        t += rnd.choice([1, 1, 2, 5, 10, 60, 130])
    return pts


def gpx_source(path, tracks=(), routes=(), waypoints=(), name="Quelle"):
    """A GPX 1.1 file as a source for gpsbabel (never read by the library)."""
    with open(path, "w", encoding="utf-8") as f:
        f.write('<?xml version="1.0" encoding="UTF-8"?>\n<gpx version="1.1" creator="test" '
                'xmlns="http://www.topografix.com/GPX/1/1">\n')

        def pt(tag, p):
            s = f'<{tag} lat="{p[1]:.7f}" lon="{p[0]:.7f}">'
            if len(p) > 3 and p[3] is not None:
                s += f"<ele>{p[3]}</ele>"
            if p[2] is not None:
                s += f"<time>{iso(p[2])}</time>"
            return s + f"</{tag}>\n"

        for w in waypoints:
            f.write(pt("wpt", w))
        for r in routes:
            f.write("<rte><name>Route</name>\n" + "".join(pt("rtept", p) for p in r) + "</rte>\n")
        for t in tracks:
            f.write(f"<trk><name>{name}</name>\n")
            for seg in t:
                f.write("<trkseg>\n" + "".join(pt("trkpt", p) for p in seg) + "</trkseg>\n")
            f.write("</trk>\n")
        f.write("</gpx>\n")


class Checks:
    def __init__(self):
        self.failed = 0
        self.passed = 0

    def ok(self, cond, what):
        if cond:
            self.passed += 1
        else:
            self.failed += 1
            print("FAIL:", what)
        return cond

    def same_points(self, got, want, what, times=True):
        if not self.ok(len(got) == len(want), f"{what}: {len(got)} points, expected {len(want)}"):
            return
        for i, (g, w) in enumerate(zip(got, want)):
            if abs(g[0] - w[0]) > 1e-6 or abs(g[1] - w[1]) > 1e-6 or (times and g[2] != w[2]):
                self.ok(False, f"{what}: point {i} {g}, expected {w}")
                return
        self.ok(True, what)

    def finish(self):
        print(f"{self.passed} passed, {self.failed} failed")
        return 1 if self.failed else 0
