"""The readers of the packaged map data: the .pn2 files end exactly at
their end with every coordinate in range, a damaged file is refused; the
GeoPackage's countries and the GeoNames capitals agree with each other."""
import os

import worldtest
import cachepath
import gpkg
import placemarks
import pn2

NE = "usr/share/marble/data/naturalearth/ne_50m_%s.pn2"


def in_range(points):
    return all(-180.0 <= lon <= 180.0 and -90.0 <= lat <= 90.0 for lon, lat in points)


def check_pn2(data):
    for name, kinds in (("land", {2, 3}), ("lakes", {2, 3}), ("rivers_lake_centerlines", {0}),
                        ("coastline", {0}), ("glaciated_areas", {2, 3}),
                        ("antarctic_ice_shelves_polys", {2, 3})):
        with open(os.path.join(data, NE % name), "rb") as f:
            raw = f.read()
        # parse() reads until the end and fails on any geometry cut short
        _count, geoms = pn2.parse(raw)
        assert geoms and {g.kind for g in geoms} <= kinds, (name, {g.kind for g in geoms})
        bad = [g.id for g in geoms if not in_range(g.points) or not g.points]
        assert not bad, (name, bad[:5])
        # one byte less ends inside a node: refused, not read short
        try:
            pn2.parse(raw[:-1])
            raise AssertionError("%s: a file one byte short was read" % name)
        except pn2.Pn2Error:
            pass
    # the country file does not follow this layout: refused
    with open(os.path.join(data, NE % "admin_0_countries"), "rb") as f:
        try:
            _c, geoms = pn2.parse(f.read())
            assert not all(in_range(g.points) for g in geoms), "admin_0_countries read cleanly"
        except pn2.Pn2Error:
            pass
    for junk in (b"", b"\x03\0\0\0\0\0", b"\x02\0\0\0\x01\0\x09\0\0\0\x01"):
        try:
            pn2.parse(junk)
            raise AssertionError("junk read: %r" % junk)
        except pn2.Pn2Error:
            pass


def inside(ring, lon, lat):
    """Even-odd test of a point against a ring."""
    hit = False
    for (x1, y1), (x2, y2) in zip(ring, ring[1:] + ring[:1]):
        if (y1 > lat) != (y2 > lat) and lon < x1 + (lat - y1) * (x2 - x1) / (y2 - y1):
            hit = not hit
    return hit


def check_places(data):
    places = placemarks.read(os.path.join(data, "usr/share/marble/data/placemarks/cityplacemarks.cache"))
    assert len(places) == 22899, len(places)
    capitals = [p for p in places if p.code == "PPLC"]
    assert len(capitals) == 241, len(capitals)
    berlin = [p for p in capitals if p.name == "Berlin"]
    assert len(berlin) == 1 and berlin[0].country == "DE", berlin
    assert abs(berlin[0].lon - 13.41053) < 1e-6 and abs(berlin[0].lat - 52.52437) < 1e-6

    countries = gpkg.countries(os.path.join(data, "usr/share/qgis/resources/data/world_map.gpkg"))
    assert len(countries) == 240, len(countries)
    shapes = {a2: polys for a2, _a3, _n, polys in countries}
    # each of these capitals lies in its own country's outline, in no other
    for code in ("DE", "FR", "ES", "KE", "BR", "CA", "AU", "AR", "JP", "EG"):
        cap = max((p for p in capitals if p.country == code), key=lambda p: p.population)
        owners = [a2 for a2, polys in shapes.items()
                  if any(inside(poly[0], cap.lon, cap.lat) and not any(inside(h, cap.lon, cap.lat) for h in poly[1:])
                         for poly in polys)]
        assert owners == [code], (code, cap.name, owners)
    try:
        placemarks.parse(b"\x31\x41\x59\x26\0\0\0\x0d\0\0\0\x10\0A")
        raise AssertionError("a cut record was read")
    except placemarks.PlacemarkError:
        pass


def check_host():
    with open(os.path.join(worldtest.SOURCE, "game", "tileserver_defaults.h"), encoding="utf-8") as f:
        host = cachepath.first_start_host(f.read())
    assert host and cachepath.host_folder(host) == host, host  # a plain host name stays as it is
    assert cachepath.host_folder("a:8080") == "a_8080"
    assert cachepath.host_folder("../x./CON.b") == "__/x_/_CON.b"


def main():
    data = worldtest.data_dir()
    check_pn2(data)
    check_places(data)
    check_host()
    print("readers: pn2 files, GeoPackage countries, GeoNames capitals, cache folder")


if __name__ == "__main__":
    main()
