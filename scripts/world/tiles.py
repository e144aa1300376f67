#!/usr/bin/python3
"""Renders the offline world map: 256 x 256 JPEG tiles of zoom 0 to 6 in
spherical Mercator, a pastel watercolour of Natural Earth's land, lakes,
rivers and ice with the GeoPackage's countries.

    tiles.py --data EXTRACTED_PACKAGES --out DIR [--procs N]

Tiles are drawn in blocks of up to 4 x 4 with a margin, so soft edges run on
across tile borders; a block depends on nothing but the data, so the files
are the same whatever the number of processes."""
import argparse
import hashlib
import math
import multiprocessing
import os
import sys
import zlib

from PIL import Image, ImageChops, ImageDraw, ImageFilter

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import gpkg  # noqa: E402
import pn2  # noqa: E402

TILE = 256
MAX_ZOOM = 6
BLOCK = 4          # tiles per block side
MARGIN = 16        # pixels drawn around a block for blurs and line ends
SS = 2             # supersampling of the drawn shapes
QUALITY = 72
MAX_LAT = 85.2     # a little beyond the map's edge, so fills reach it

NE = "usr/share/marble/data/naturalearth/ne_50m_%s.pn2"
GPKG = "usr/share/qgis/resources/data/world_map.gpkg"

SEA = (190, 218, 230)
LAND = (238, 230, 210)
WASHES = [(241, 216, 176), (214, 229, 184), (238, 206, 200), (224, 214, 234),
          (245, 234, 178), (204, 226, 216)]
ICE = (247, 249, 251)
BORDER = (132, 112, 104)
COAST = (104, 140, 158)
RIVER = (150, 192, 212)
RIVER_ZOOM = 4


def merc(lon, lat):
    """Normalised Mercator: (0, 0) top left, (1, 1) bottom right."""
    lat = max(-MAX_LAT, min(MAX_LAT, lat))
    s = math.sin(math.radians(lat))
    return (lon + 180.0) / 360.0, 0.5 - math.log((1 + s) / (1 - s)) / (4 * math.pi)


CHUNK = 24         # points of a shape that are placed or skipped together
GRID = 16          # cells of the shape index per side: a block of zoom 6


def bounds(uv):
    us = [p[0] for p in uv]
    vs = [p[1] for p in uv]
    return min(us), min(vs), max(us), max(vs)


class Shape:
    """A ring or line in normalised Mercator with its bounding box, and in
    chunks of consecutive points with theirs."""
    __slots__ = ("uv", "box", "fill", "chunks")

    def __init__(self, points, fill=None):
        self.uv = [merc(lon, lat) for lon, lat in points]
        self.box = bounds(self.uv)
        self.fill = fill
        self.chunks = [(bounds(self.uv[i:i + CHUNK]), self.uv[i:i + CHUNK])
                       for i in range(0, len(self.uv), CHUNK)]


class Layer(list):
    """Shapes in drawing order, indexed by the grid cells their boxes touch."""

    def __init__(self, shapes):
        super().__init__(shapes)
        self.cells = {}
        for i, sh in enumerate(shapes):
            u0, v0, u1, v1 = (min(GRID - 1, max(0, int(c * GRID))) for c in sh.box)
            for cx in range(u0, u1 + 1):
                for cy in range(v0, v1 + 1):
                    self.cells.setdefault((cx, cy), []).append(i)

    def near(self, u0, v0, u1, v1):
        """The shapes whose boxes may meet the box, in drawing order."""
        c = [min(GRID - 1, max(0, int(x * GRID))) for x in (u0, v0, u1, v1)]
        found = set()
        for cx in range(c[0], c[2] + 1):
            for cy in range(c[1], c[3] + 1):
                found.update(self.cells.get((cx, cy), ()))
        return [self[i] for i in sorted(found)]


def pn2_areas(path, fill=255):
    """Outer boundaries filled, inner ones cleared, in file order; fill 0
    makes holes of the outer ones (lakes in the land)."""
    out = []
    for g in pn2.read(path):
        if g.kind in (pn2.RING, pn2.OUTER, pn2.INNER) and len(g.points) >= 3:
            out.append(Shape(g.points, 255 - fill if g.kind == pn2.INNER else fill))
    return out


def pn2_lines(path):
    return [Shape(g.points) for g in pn2.read(path) if len(g.points) >= 2]


def washes(rows):
    """Each country's colour, an index into PALETTE: in the order of the
    ISO codes, the first of the code's own order of washes that no
    neighbour (a country sharing a border point) has taken."""
    key = lambda r: (r[1] if r[1] and r[1] != "-99" else r[0]) or ""  # noqa: E731
    owners = {}
    for idx, r in enumerate(rows):
        for poly in r[3]:
            for ring in poly:
                for lon, lat in ring:
                    owners.setdefault((round(lon, 3), round(lat, 3)), set()).add(idx)
    near = [set() for _ in rows]
    for s in owners.values():
        if len(s) > 1:
            for i in s:
                near[i] |= s - {i}
    colour = {}
    for idx in sorted(range(len(rows)), key=lambda i: (key(rows[i]), i)):
        start = zlib.crc32(key(rows[idx]).encode()) % len(WASHES)
        taken = {colour.get(j) for j in near[idx]}
        order = [1 + (start + k) % len(WASHES) for k in range(len(WASHES))]
        colour[idx] = next((c for c in order if c not in taken), order[0])
    return colour


PALETTE = [c for rgb in [LAND] + WASHES for c in rgb]


def load(data):
    """Everything a block draws, in drawing order."""
    ne = lambda name: os.path.join(data, NE % name)  # noqa: E731
    layers = {
        "land": pn2_areas(ne("land")),
        "lakes": pn2_areas(ne("lakes"), 0),
        "ice": pn2_areas(ne("glaciated_areas")) + pn2_areas(ne("antarctic_ice_shelves_polys")),
        "rivers": pn2_lines(ne("rivers_lake_centerlines")),
        "coast": pn2_lines(ne("coastline")),
    }
    # countries with holes first, so that an enclave drawn later stays
    rows = gpkg.countries(os.path.join(data, GPKG))
    rows.sort(key=lambda r: not any(len(p) > 1 for p in r[3]))
    fills = []
    colours = washes(rows)
    for idx, (_a2, _a3, _name, polys) in enumerate(rows):
        colour = colours[idx]
        for poly in polys:
            for i, ring in enumerate(poly):
                fills.append(Shape(ring, 0 if i else colour))
    layers["countries"] = fills
    return {k: Layer(v) for k, v in layers.items()}


def squeeze(pts, lo_x, lo_y, hi_x, hi_y):
    """pts with every run outside a common side of the box cut down to the
    run's ends (the same reasoning as for chunks)."""
    out = []
    first = last = None
    common = 0
    for p in pts:
        x, y = p
        code = (x < lo_x) | (x > hi_x) << 1 | (y < lo_y) << 2 | (y > hi_y) << 3
        if first is not None:
            if common & code:
                common, last = common & code, p
                continue
            out.append(first)
            if last is not first:
                out.append(last)
            first = None
        if code:
            first = last = p
            common = code
        else:
            out.append(p)
    if first is not None:
        out.append(first)
        if last is not first:
            out.append(last)
    return out


class Canvas:
    """One block's window on the world at a zoom, supersampled."""

    def __init__(self, zoom, x0, y0, w, h):
        self.world = TILE * (1 << zoom) * SS
        self.x0, self.y0 = (x0 - MARGIN) * SS, (y0 - MARGIN) * SS
        self.w, self.h = (w + 2 * MARGIN) * SS, (h + 2 * MARGIN) * SS
        # the world repeats east and west of the antimeridian
        self.shifts = [0]
        if self.x0 < 0:
            self.shifts.append(-self.world)
        if self.x0 + self.w > self.world:
            self.shifts.append(self.world)

    def placed(self, shapes, pad=0.0):
        """(shape, points in canvas pixels) of the shapes in the window. A
        chunk of points wholly outside one side of the window becomes its
        first and last point: the path between stays on that side, so
        neither the fill nor the lines inside the window change, and the
        fill's cost (rows times edges) stays small for continents."""
        s = self.world
        lo_x, lo_y = -pad - 2, -pad - 2
        hi_x, hi_y = self.w + pad + 2, self.h + pad + 2
        if len(self.shifts) == 1 and isinstance(shapes, Layer):
            shapes = shapes.near((self.x0 + lo_x) / s, (self.y0 + lo_y) / s,
                                 (self.x0 + hi_x) / s, (self.y0 + hi_y) / s)
        for sh in shapes:
            u0, v0, u1, v1 = sh.box
            if v1 * s < self.y0 - pad or v0 * s > self.y0 + self.h + pad:
                continue
            for dx in self.shifts:
                if u1 * s + dx < self.x0 - pad or u0 * s + dx > self.x0 + self.w + pad:
                    continue
                ox, oy = self.x0 - dx, self.y0
                if u0 * s - ox >= lo_x and u1 * s - ox <= hi_x and v0 * s - oy >= lo_y and v1 * s - oy <= hi_y:
                    yield sh, [(u * s - ox, v * s - oy) for u, v in sh.uv]
                    continue
                pts = []
                for (a0, b0, a1, b1), seg in sh.chunks:
                    if a0 * s - ox > hi_x or a1 * s - ox < lo_x or b0 * s - oy > hi_y or b1 * s - oy < lo_y:
                        pts.append((seg[0][0] * s - ox, seg[0][1] * s - oy))
                        pts.append((seg[-1][0] * s - ox, seg[-1][1] * s - oy))
                    else:
                        pts.extend([(u * s - ox, v * s - oy) for u, v in seg])
                yield sh, squeeze(pts, lo_x, lo_y, hi_x, hi_y)

    def mask(self):
        return Image.new("L", (self.w, self.h), 0)

    def areas(self, img, placed):
        d = ImageDraw.Draw(img)
        for sh, pts in placed:
            d.polygon(pts, fill=sh.fill)
        return img

    def lines(self, img, placed, width, closed=False):
        d = ImageDraw.Draw(img)
        for _sh, pts in placed:
            if closed:
                pts = pts + pts[:1]
            d.line(pts, fill=255, width=width)
        return img


def periodic_noise(seed, cells, size):
    """A grey texture that repeats every size pixels: cells x cells random
    values, smoothly enlarged."""
    raw = hashlib.shake_256(seed).digest(cells * cells)
    small = Image.frombytes("L", (cells, cells), raw)
    tiled = Image.new("L", (cells * 3, cells * 3))
    for i in range(3):
        for j in range(3):
            tiled.paste(small, (i * cells, j * cells))
    big = tiled.resize((size * 3, size * 3), Image.BICUBIC)
    return big.crop((size, size, 2 * size, 2 * size))


def paper(size=1024):
    """Paper grain and uneven washes as an RGB multiplier (255 = none),
    repeating every size pixels, so it runs on across tiles and blocks."""
    fine = periodic_noise(b"orvalo paper grain", size // 4, size)
    fine = fine.point(lambda v: 246 + v * 9 // 255)
    blotch = periodic_noise(b"orvalo washes", 12, size)
    blotch = blotch.point(lambda v: 240 + v * 15 // 255)
    grain = ImageChops.multiply(fine, blotch)
    return Image.merge("RGB", [grain] * 3)


PAPER = None


SOLIDS = {}


def solid_image(colour, size):
    key = colour, size
    if key not in SOLIDS:
        SOLIDS[key] = Image.new("RGB", size, colour)
    return SOLIDS[key]


def soften(mask, radius):
    """A blur, done at half size: the shore shading needs no more."""
    half = mask.reduce(2).filter(ImageFilter.BoxBlur(radius / 2))
    return half.filter(ImageFilter.BoxBlur(1)).resize(mask.size, Image.BILINEAR)


def alpha(mask, a):
    return mask.point(lambda v: v * a // 255)


def render(layers, zoom, bx, by):
    """The block's image, margin cut off. A layer with nothing in the block
    costs nothing."""
    n = 1 << zoom
    tiles = min(BLOCK, n)
    w = h = tiles * TILE
    cv = Canvas(zoom, bx * w, by * h, w, h)
    ss = lambda img: img.reduce(SS)  # noqa: E731
    size = (w + 2 * MARGIN, h + 2 * MARGIN)
    solid = lambda c: solid_image(c, size)  # noqa: E731

    def areas(name):
        placed = list(cv.placed(layers[name]))
        return ss(cv.areas(cv.mask(), placed)) if placed else None

    def lines(name, pad, width, closed=False, placed=None):
        placed = placed if placed is not None else list(cv.placed(layers[name], pad))
        return ss(cv.lines(cv.mask(), placed, width, closed)) if placed else None

    # land less its lakes, in one mask: lakes are painted like the sea
    placed_land = list(cv.placed(layers["land"]))
    land = None
    if placed_land:
        land = cv.areas(cv.mask(), placed_land)
        land = ss(cv.areas(land, cv.placed(layers["lakes"])))
    ice = areas("ice")
    countries = list(cv.placed(layers["countries"], 2)) if land else []
    if land:
        # country washes by palette index; their edges lie under the borders
        washes = Image.new("P", (cv.w, cv.h), 0)
        cv.areas(washes, countries)
        washes.putpalette(PALETTE)
        img = Image.composite(washes.resize(size, Image.NEAREST).convert("RGB"), solid(SEA), land)
    else:
        img = solid(SEA).copy()
    if ice:
        img.paste(solid(ICE), mask=alpha(ice, 230))
    # pigment gathers at the shore: darker on both sides of it
    if land and len(set(land.getextrema())) > 1:  # not all land
        edge = ImageChops.difference(land, soften(land, 2 + zoom / 2))
        img.paste(solid(COAST), mask=edge.point(lambda v: min(255, v * 3 // 4)))
    # ink: borders on land only, and the coastline
    ink = lines(None, 0, 2 if zoom >= 3 else 1, True, countries)
    if ink:
        ink = ImageChops.multiply(ink, land)
    coast = lines("coast", 2, 2)
    if coast:
        ink = ImageChops.lighter(ink, coast) if ink else coast
    if ink:
        img.paste(solid(BORDER), mask=alpha(ink, 130))
    rivers = lines("rivers", 3, 1 + zoom - RIVER_ZOOM) if zoom >= RIVER_ZOOM else None
    if rivers:
        img.paste(solid(RIVER), mask=alpha(rivers, 220))
    img = img.crop((MARGIN, MARGIN, MARGIN + w, MARGIN + h))
    grain = PAPER if w == PAPER.width else PAPER.crop((0, 0, w, h))  # BLOCK * TILE <= its size
    return ImageChops.multiply(img, grain)


LAYERS = None


def save_tile(img, path):
    """Through a temporary name, so a tile file is whole or absent."""
    tmp = path + ".tmp"
    img.save(tmp, "JPEG", quality=QUALITY, optimize=True)
    os.replace(tmp, path)


def do_block(job):
    out, zoom, bx, by = job
    img = render(LAYERS, zoom, bx, by)
    tiles = min(BLOCK, 1 << zoom)
    count = 0
    for i in range(tiles):
        x = bx * tiles + i
        folder = os.path.join(out, str(zoom), str(x))
        os.makedirs(folder, exist_ok=True)
        for j in range(tiles):
            y = by * tiles + j
            save_tile(img.crop((i * TILE, j * TILE, (i + 1) * TILE, (j + 1) * TILE)),
                      os.path.join(folder, "%d.jpg" % y))
            count += 1
    return count


def jobs(out, max_zoom=MAX_ZOOM):
    # the big zooms first, so the pool ends with small jobs
    for zoom in range(max_zoom, -1, -1):
        blocks = (1 << zoom) // min(BLOCK, 1 << zoom)
        for bx in range(blocks):
            for by in range(blocks):
                yield out, zoom, bx, by


def generate(data, out, procs, max_zoom=MAX_ZOOM):
    global LAYERS, PAPER
    LAYERS = load(data)   # before the fork: the workers share it
    PAPER = paper()
    work = list(jobs(out, max_zoom))
    if procs <= 1:
        return sum(map(do_block, work))
    with multiprocessing.get_context("fork").Pool(procs) as pool:
        return sum(pool.imap_unordered(do_block, work))


def main():
    ap = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    ap.add_argument("--data", required=True, help="folder the packages were extracted into")
    ap.add_argument("--out", required=True, help="tile folder (z/x/y.jpg below it)")
    ap.add_argument("--procs", type=int, default=os.cpu_count() or 1)
    ap.add_argument("--max-zoom", type=int, default=MAX_ZOOM)
    a = ap.parse_args()
    n = generate(a.data, a.out, max(1, a.procs), a.max_zoom)
    print("tiles: %d" % n)


if __name__ == "__main__":
    main()
