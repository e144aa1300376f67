"""The sample game as the game reads it: in every page's first 254 bytes
the target comments give a capital's GeoNames position; the last page is
named "FIN" and has coordinates too; Windows-1252 with its charset meta."""
import html.parser
import os
import re

from PIL import Image

import worldtest
import placemarks

HEAD = 254


def number(text, pos):
    """The decimal number after a tag: white space skipped, then sign,
    digits, fraction and exponent."""
    m = re.compile(rb"\s*([+-]?(\d+\.?\d*|\.\d+)([eE][+-]?\d+)?)").match(text, pos)
    return float(m.group(1)) if m else None


def name_after(text, pos):
    while pos < len(text) and text[pos:pos + 1] == b" ":
        pos += 1
    if text[pos:pos + 1] == b'"':
        out, pos = bytearray(), pos + 1
        while pos < len(text) and text[pos:pos + 1] != b'"':
            if text[pos:pos + 1] == b"\\":
                pos += 1
            out += text[pos:pos + 1]
            pos += 1
        return bytes(out)
    m = re.compile(rb"[^\x00-\x20,;]*").match(text, pos)
    return m.group(0)


def target(path):
    with open(path, "rb") as f:
        head = f.read(HEAD)
    low = head.lower()
    x, y, n = (low.find(t) for t in (b"<!--refx", b"<!--refy", b"<!--name"))
    assert x >= 0 and y >= 0 and n >= 0, path
    return number(head, x + 8), number(head, y + 8), name_after(head, n + 8).decode("cp1252")


class Page(html.parser.HTMLParser):
    def __init__(self):
        super().__init__()
        self.title, self.charset, self.text, self.images, self._in = "", None, [], [], None

    def handle_starttag(self, tag, attrs):
        a = dict(attrs)
        self._in = tag
        if tag == "meta" and "charset=" in (a.get("content") or "").lower():
            self.charset = a["content"].lower().split("charset=")[1].strip()
        if tag == "img":
            self.images.append((a["src"], int(a["width"]), int(a["height"])))

    def handle_endtag(self, tag):
        self._in = None

    def handle_data(self, data):
        if self._in == "title":
            self.title += data
        self.text.append(data)


def read_page(path):
    with open(path, "rb") as f:
        raw = f.read()
    p = Page()
    p.feed(raw.decode("cp1252"))
    assert p.charset == "windows-1252", (path, p.charset)
    for src, w, h in p.images:
        with Image.open(os.path.join(os.path.dirname(path), src)) as im:
            assert im.format in ("PNG", "JPEG") and im.size == (w, h), (path, src, im.format, im.size)
    return p, " ".join("".join(p.text).split())


def main():
    out = worldtest.work_dir("sample-game")
    world = worldtest.world("--sample", out)
    places = placemarks.read(os.path.join(world, "data/usr/share/marble/data/placemarks/cityplacemarks.cache"))
    capitals = {p.name: p for p in places if p.code == "PPLC"}

    _, welcome = read_page(os.path.join(out, "Main", "Info.html"))
    for word in ("Natural Earth", "gemeinfrei", "GeoNames", "CC BY 3.0", "F4", "F5"):
        assert word in welcome, word

    games = sorted(d for d in os.listdir(out) if d.startswith("Game"))
    assert games == ["Game%03d" % i for i in range(1, 10)], games
    seen = set()
    for i, g in enumerate(games[:-1], 1):
        path = os.path.join(out, g, "Info.html")
        lon, lat, name = target(path)
        cap = capitals[name]
        assert abs(lon - cap.lon) < 1e-5 and abs(lat - cap.lat) < 1e-5, (name, lon, lat, cap.lon, cap.lat)
        page, text = read_page(path)
        assert page.title == "Spiel %d" % i and "Wo liegt %s?" % name in text, (page.title, text)
        assert not re.search(r"-?\d+\.\d{3,}", text), text  # the position is not given away
        seen.add(cap.country)
    assert len(seen) == 8, seen
    lon, lat, name = target(os.path.join(out, "Game001", "Info.html"))
    assert (name, lon, lat) == ("Berlin", 13.41053, 52.52437), (name, lon, lat)

    lon, lat, name = target(os.path.join(out, games[-1], "Info.html"))
    assert name == "FIN" and lon and lat and -180 <= lon <= 180 and -90 <= lat <= 90, (name, lon, lat)
    read_page(os.path.join(out, games[-1], "Info.html"))
    print("sample game: %d capitals and the closing page" % len(seen))


if __name__ == "__main__":
    main()
