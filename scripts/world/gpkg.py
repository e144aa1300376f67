"""The few parts of a GeoPackage (SQLite) the map needs: feature rows and
their geometry blobs (a GeoPackage header, then WKB), polygons as rings of
(longitude, latitude)."""
import sqlite3
import struct


class GpkgError(ValueError):
    pass


def _wkb(data, pos, out):
    """Appends the polygons of one WKB geometry to out (each a list of
    rings, the exterior first). Returns the position behind it."""
    if pos + 5 > len(data):
        raise GpkgError("WKB cut short")
    order = "<" if data[pos] == 1 else ">"
    (gtype,) = struct.unpack_from(order + "I", data, pos + 1)
    pos += 5
    gtype %= 1000  # ISO Z/M variants would add 1000s; none here
    if gtype == 3:
        (nrings,) = struct.unpack_from(order + "I", data, pos)
        pos += 4
        rings = []
        for _ in range(nrings):
            (n,) = struct.unpack_from(order + "I", data, pos)
            pos += 4
            if pos + 16 * n > len(data):
                raise GpkgError("ring cut short")
            flat = struct.unpack_from(order + "%dd" % (2 * n), data, pos)
            pos += 16 * n
            rings.append(list(zip(flat[0::2], flat[1::2])))
        out.append(rings)
        return pos
    if gtype in (6, 7):
        (n,) = struct.unpack_from(order + "I", data, pos)
        pos += 4
        for _ in range(n):
            pos = _wkb(data, pos, out)
        return pos
    raise GpkgError("geometry type %d not read" % gtype)


def polygons(blob):
    """The polygons of a GeoPackage geometry blob."""
    if len(blob) < 8 or blob[:2] != b"GP":
        raise GpkgError("not a GeoPackage geometry")
    flags = blob[3]
    envelope = (0, 32, 48, 48, 64)[(flags >> 1) & 7] if (flags >> 1) & 7 <= 4 else None
    if envelope is None:
        raise GpkgError("bad envelope code")
    out = []
    if not flags & 0x10:  # not the empty geometry
        _wkb(blob, 8 + envelope, out)
    return out


def countries(path):
    """[(iso_a2, iso_a3, name, polygons)] in row order."""
    con = sqlite3.connect("file:%s?mode=ro&immutable=1" % path, uri=True)
    try:
        rows = con.execute("SELECT iso_a2, ISO_A3, NAME, geom FROM countries ORDER BY fid").fetchall()
    finally:
        con.close()
    return [(a2, a3, name, polygons(geom)) for a2, a3, name, geom in rows if geom]
