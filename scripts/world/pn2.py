"""Reader of the delta-coded vector files (*.pn2) of marble-qt-data.

Big-endian throughout. Header: u8 version (2), u32 count, one byte 0. The
count is not always the number of top-level geometries, so geometries are
read until the file ends. A geometry is u8 kind and u32 id; kinds 0-3 (line
string, closed ring, outer boundary, inner boundary of the outer one before
it) go on with a u32 count of absolute nodes; kind 4 (multi-geometry) with a
u8 count of parts of kinds 0-3. An absolute node is i16 latitude, i16
longitude (1/120 degree) and an i16 count of relative nodes, each an i8
latitude and i8 longitude offset from that absolute node."""
import struct

LINE, RING, OUTER, INNER, MULTI = range(5)
UNITS = 120.0


class Pn2Error(ValueError):
    pass


class Geometry:
    __slots__ = ("kind", "id", "points")

    def __init__(self, kind, gid, points):
        self.kind, self.id, self.points = kind, gid, points


def _nodes(data, pos, end):
    if pos + 4 > end:
        raise Pn2Error("node count cut short at %d" % pos)
    (count,) = struct.unpack_from(">I", data, pos)
    pos += 4
    pts = []
    for _ in range(count):
        if pos + 6 > end:
            raise Pn2Error("node cut short at %d" % pos)
        lat, lon, rel = struct.unpack_from(">hhh", data, pos)
        pos += 6
        if rel < 0 or pos + 2 * rel > end:
            raise Pn2Error("relative nodes cut short at %d" % pos)
        pts.append((lon / UNITS, lat / UNITS))
        for dlat, dlon in struct.iter_unpack(">bb", data[pos:pos + 2 * rel]):
            pts.append(((lon + dlon) / UNITS, (lat + dlat) / UNITS))
        pos += 2 * rel
    return pts, pos


def _geometry(data, pos, end, nested):
    if pos + 5 > end:
        raise Pn2Error("geometry header cut short at %d" % pos)
    kind, gid = struct.unpack_from(">BI", data, pos)
    pos += 5
    if kind == MULTI and not nested:
        if pos + 1 > end:
            raise Pn2Error("part count cut short at %d" % pos)
        parts = []
        n = data[pos]
        pos += 1
        for _ in range(n):
            g, pos = _geometry(data, pos, end, True)
            parts.extend(g)
        return parts, pos
    if kind > INNER:
        raise Pn2Error("unknown geometry kind %d at %d" % (kind, pos - 5))
    pts, pos = _nodes(data, pos, end)
    return [Geometry(kind, gid, pts)], pos


def parse(data):
    """(count from the header, list of Geometry with multi-geometries
    flattened into their parts, in file order)."""
    if len(data) < 6 or data[0] != 2 or data[5] != 0:
        raise Pn2Error("not a version 2 file")
    (count,) = struct.unpack_from(">I", data, 1)
    pos, end, out = 6, len(data), []
    while pos < end:
        g, pos = _geometry(data, pos, end, False)
        out.extend(g)
    return count, out


def read(path):
    with open(path, "rb") as f:
        return parse(f.read())[1]
