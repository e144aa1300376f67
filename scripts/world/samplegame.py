#!/usr/bin/python3
"""Writes the sample game: a welcome page and one page per capital, then
the closing page, in Windows-1252 as the game reads them.

    samplegame.py --data EXTRACTED_PACKAGES --tiles TILE_FOLDER --out FOLDER

The countries are named here; the capitals' names and positions come from
GeoNames (marble's city placemarks), the outlines from the GeoPackage."""
import argparse
import html
import os
import shutil
import sys

from PIL import Image, ImageDraw

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import gpkg  # noqa: E402
import placemarks  # noqa: E402
import tiles  # noqa: E402

# ISO codes of the countries whose capitals are asked, in game order
COUNTRIES = ["DE", "FR", "ES", "KE", "BR", "CA", "AU", "AR"]
PLACES = "usr/share/marble/data/placemarks/cityplacemarks.cache"
HEAD_LIMIT = 254  # the game reads its comments from this many bytes only

META = '<meta http-equiv="Content-Type" content="text/html; charset=windows-1252">'
STYLE_BODY = '<body bgcolor="#FBF7EE" text="#3A3228" link="#2F5F7F">'


def capitals(path, codes):
    """{code: Place}: the most populous national capital of each country."""
    best = {}
    for p in placemarks.read(path):
        if p.code == "PPLC" and p.country in codes:
            if p.country not in best or p.population > best[p.country].population:
                best[p.country] = p
    missing = [c for c in codes if c not in best]
    if missing:
        raise SystemExit("samplegame: no capital in the placemarks for %s" % ", ".join(missing))
    return best


def name_comment(name):
    """The name as the game reads it: quoted, backslash before quote and
    backslash."""
    return '"%s"' % name.replace("\\", "\\\\").replace('"', '\\"')


def page(head, title, body):
    text = ("%s<!DOCTYPE HTML PUBLIC \"-//W3C//DTD HTML 4.01 Transitional//EN\">\r\n"
            "<html><head>%s<title>%s</title></head>\r\n%s\r\n%s\r\n</body></html>\r\n"
            % (head, META, html.escape(title), STYLE_BODY, body))
    return text.replace("\r\n", "\n").replace("\n", "\r\n").encode("cp1252")


def target_head(lon, lat, name):
    head = "<!--REFX %.5f -->\r\n<!--REFY %.5f -->\r\n<!--NAME %s -->\r\n" % (lon, lat, name)
    if len(head.encode("cp1252")) > HEAD_LIMIT:
        raise SystemExit("samplegame: the comments of %s do not fit the page head" % name)
    return head


def outline(polys, size=(360, 270)):
    """The country on plain paper: a wash with a darker edge, framed on its
    largest part."""
    ss = 2
    rings = [[tiles.merc(lon, lat) for lon, lat in poly[0]] for poly in polys]
    holes = [[tiles.merc(lon, lat) for lon, lat in r] for poly in polys for r in poly[1:]]

    def box(r):
        us, vs = [p[0] for p in r], [p[1] for p in r]
        return min(us), min(vs), max(us), max(vs)

    u0, v0, u1, v1 = max((box(r) for r in rings), key=lambda b: (b[2] - b[0]) * (b[3] - b[1]))
    w, h = size[0] * ss, size[1] * ss
    scale = 0.85 * min(w / max(u1 - u0, 1e-9), h / max(v1 - v0, 1e-9))
    cu, cv = (u0 + u1) / 2, (v0 + v1) / 2
    to_px = lambda r: [((u - cu) * scale + w / 2, (v - cv) * scale + h / 2) for u, v in r]  # noqa: E731
    img = Image.new("RGB", (w, h), (251, 247, 238))
    d = ImageDraw.Draw(img)
    for r in rings:
        d.polygon(to_px(r), fill=tiles.WASHES[0])
    for r in holes:
        d.polygon(to_px(r), fill=(251, 247, 238))
    for r in rings + holes:
        pts = to_px(r)
        d.line(pts + pts[:1], fill=tiles.BORDER, width=2 * ss)
    return img.reduce(ss)


def world_picture(tile_dir, zoom=2, width=640):
    """The world from the map's own tiles, without the polar rows."""
    n = 1 << zoom
    img = Image.new("RGB", (n * tiles.TILE, n * tiles.TILE))
    for x in range(n):
        for y in range(n):
            with Image.open(os.path.join(tile_dir, str(zoom), str(x), "%d.jpg" % y)) as t:
                img.paste(t.convert("RGB"), (x * tiles.TILE, y * tiles.TILE))
    top = int(tiles.merc(0, 80)[1] * img.height)
    bottom = int(tiles.merc(0, -60)[1] * img.height)
    img = img.crop((0, top, img.width, bottom))
    return img.resize((width, round(img.height * width / img.width)), Image.LANCZOS)


WELCOME = """<h1>Willkommen bei Orvalo</h1>
<p><img src="welt.jpg" width="%(w)d" height="%(h)d" alt="Weltkarte"></p>
<p>Dieses Beispielspiel fragt nach %(n)d Hauptstädten. Jede Runde nennt ein Ziel;
die Spieler klicken reihum auf der Karte, wo sie es vermuten. Wer dem Ziel am
nächsten kommt, bekommt die meisten Sterne.</p>
<h2>So wird gespielt</h2>
<ol>
<li><b>F5</b> lädt das nächste Spiel und zeigt seine Seite.</li>
<li>Noch einmal <b>F5</b> startet die Runde: der erste Spieler ist am Zug.</li>
<li>Mit der linken Maustaste wird der Tipp gesetzt und verschoben.</li>
<li><b>F4</b> bestätigt den Tipp; dann ist der nächste Spieler dran.</li>
<li>Nach dem letzten Spieler zeigt Orvalo die Entfernungen und die Sterne.</li>
</ol>
<h2>Tasten</h2>
<table border="1" cellpadding="4">
<tr><td><b>F4</b></td><td>Zieleingabe bestätigen</td></tr>
<tr><td><b>F5</b></td><td>Weiter zum nächsten Abschnitt</td></tr>
<tr><td><b>F6</b> bis <b>F9</b></td><td>Spieler 1 bis 4 anzeigen</td></tr>
<tr><td><b>F10</b></td><td>Fenster zoomen</td></tr>
</table>
<h2>Karte und Daten</h2>
<p>Die Weltkarte ist aus den Daten von Natural Earth gemalt (gemeinfrei,
naturalearthdata.com). Die Hauptstädte stammen von GeoNames (geonames.org),
lizenziert unter Creative Commons Namensnennung 3.0 (CC BY 3.0).</p>
"""

QUESTION = """<h1>Spiel %(n)d</h1>
<p><font size="5">Wo liegt <b>%(name)s</b>?</font></p>
<p><img src="umriss.png" width="%(w)d" height="%(h)d" alt="Umriss des Landes"></p>
<p><small>Ort: GeoNames, CC BY 3.0. Umriss: Natural Earth, gemeinfrei.</small></p>
"""

CLOSING = """<h1>Ende</h1>
<p>Das waren alle Hauptstädte dieses Spiels.</p>
<p><b>F5</b> zeigt die Gesamtwertung.</p>
"""


def write(path, data):
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with open(path, "wb") as f:
        f.write(data)


def generate(data, tile_dir, out):
    places = capitals(os.path.join(data, PLACES), COUNTRIES)
    shapes = {a2: polys for a2, _a3, _n, polys in gpkg.countries(os.path.join(data, tiles.GPKG))}
    tmp = out.rstrip("/") + ".tmp"
    shutil.rmtree(tmp, ignore_errors=True)

    world = world_picture(tile_dir)
    os.makedirs(os.path.join(tmp, "Main"))
    world.save(os.path.join(tmp, "Main", "welt.jpg"), "JPEG", quality=85, optimize=True)
    write(os.path.join(tmp, "Main", "Info.html"),
          page("", "Orvalo", WELCOME % {"w": world.width, "h": world.height, "n": len(COUNTRIES)}))

    for n, code in enumerate(COUNTRIES, 1):
        p = places[code]
        folder = os.path.join(tmp, "Game%03d" % n)
        if code not in shapes:
            raise SystemExit("samplegame: no outline of %s in the GeoPackage" % code)
        pic = outline(shapes[code])
        os.makedirs(folder)
        pic.save(os.path.join(folder, "umriss.png"), "PNG", optimize=True)
        body = QUESTION % {"n": n, "name": html.escape(p.name), "w": pic.width, "h": pic.height}
        write(os.path.join(folder, "Info.html"),
              page(target_head(p.lon, p.lat, name_comment(p.name)), "Spiel %d" % n, body))

    # the closing page needs coordinates too: without them the game stops
    # with an error before it reads the name
    first = places[COUNTRIES[0]]
    write(os.path.join(tmp, "Game%03d" % (len(COUNTRIES) + 1), "Info.html"),
          page(target_head(first.lon, first.lat, "FIN"), "Ende", CLOSING))

    shutil.rmtree(out, ignore_errors=True)
    os.replace(tmp, out)


def main():
    ap = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    ap.add_argument("--data", required=True)
    ap.add_argument("--tiles", required=True)
    ap.add_argument("--out", required=True)
    a = ap.parse_args()
    generate(a.data, a.tiles, a.out)


if __name__ == "__main__":
    main()
