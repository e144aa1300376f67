"""Reader of marble-qt-data's placemarks/cityplacemarks.cache (GeoNames
places). Big-endian: u32 magic 0x31415926, u32 version 13; then records of
name, longitude, latitude (radians), altitude, feature code, a string,
ISO country code, a string, area, population (i64) and three bytes.
Strings are UTF-16BE behind a u32 byte length, 0xFFFFFFFF for none."""
import math
import struct

MAGIC = 0x31415926


class PlacemarkError(ValueError):
    pass


class Place:
    __slots__ = ("name", "lon", "lat", "code", "country", "population")

    def __init__(self, name, lon, lat, code, country, population):
        self.name, self.lon, self.lat = name, lon, lat
        self.code, self.country, self.population = code, country, population


def parse(data):
    if len(data) < 8 or struct.unpack_from(">II", data, 0) != (MAGIC, 13):
        raise PlacemarkError("not a version 13 placemark cache")
    pos, end, out = 8, len(data), []

    def text():
        nonlocal pos
        if pos + 4 > end:
            raise PlacemarkError("string cut short at %d" % pos)
        (n,) = struct.unpack_from(">I", data, pos)
        pos += 4
        if n == 0xFFFFFFFF:
            return None
        if n % 2 or pos + n > end:
            raise PlacemarkError("bad string length at %d" % pos)
        pos += n
        return data[pos - n:pos].decode("utf-16-be")

    while pos < end:
        name = text()
        if pos + 24 > end:
            raise PlacemarkError("position cut short at %d" % pos)
        lon, lat, _alt = struct.unpack_from(">ddd", data, pos)
        pos += 24
        code = text()
        text()
        country = text()
        text()
        if pos + 19 > end:
            raise PlacemarkError("record cut short at %d" % pos)
        _area, population = struct.unpack_from(">dq", data, pos)
        pos += 19
        out.append(Place(name, math.degrees(lon), math.degrees(lat), code, country, population))
    return out


def read(path):
    with open(path, "rb") as f:
        return parse(f.read())
