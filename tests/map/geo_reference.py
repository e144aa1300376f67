#!/usr/bin/env python3
"""Reference geodesy for the geo library's tests.

Writes a table of point pairs and offsets with the values an independent
computation gives (Vincenty's inverse and direct solutions on the WGS 84
ellipsoid, the haversine formula and vector rotation on the sphere), then
runs the C++ checker on it:

    geo_reference.py CHECKER [TABLE]

Under a Windows build the checker (an .exe) runs through $ORV_WINE_RUN.
"""
import math
import os
import random
import subprocess
import sys

# Earth models, stated here on their own.
A = 6378137.0
F = 1 / 298.257223563
B_ELLIPSOID = A * (1 - F)
SPHERE_R = 6371000.8           # great-circle distance
MEAN_R = (6378137.0 + 6356752.0) / 2   # northward move of the sphere destination


def vincenty_inverse(lon1, lat1, lon2, lat2):
    """Geodesic distance in metres (degrees in); None when it does not converge."""
    if lon1 == lon2 and lat1 == lat2:
        return 0.0
    L = math.radians(lon2 - lon1)
    U1 = math.atan((1 - F) * math.tan(math.radians(lat1)))
    U2 = math.atan((1 - F) * math.tan(math.radians(lat2)))
    sinU1, cosU1 = math.sin(U1), math.cos(U1)
    sinU2, cosU2 = math.sin(U2), math.cos(U2)
    lam = L
    for _ in range(1000):
        sinLam, cosLam = math.sin(lam), math.cos(lam)
        sinSigma = math.hypot(cosU2 * sinLam, cosU1 * sinU2 - sinU1 * cosU2 * cosLam)
        if sinSigma == 0:
            return 0.0
        cosSigma = sinU1 * sinU2 + cosU1 * cosU2 * cosLam
        sigma = math.atan2(sinSigma, cosSigma)
        sinAlpha = cosU1 * cosU2 * sinLam / sinSigma
        cos2Alpha = 1 - sinAlpha ** 2
        cos2SigmaM = cosSigma - 2 * sinU1 * sinU2 / cos2Alpha if cos2Alpha != 0 else 0.0
        C = F / 16 * cos2Alpha * (4 + F * (4 - 3 * cos2Alpha))
        lamPrev = lam
        lam = L + (1 - C) * F * sinAlpha * (
            sigma + C * sinSigma * (cos2SigmaM + C * cosSigma * (-1 + 2 * cos2SigmaM ** 2)))
        if abs(lam - lamPrev) < 1e-13:
            break
    else:
        return None
    if abs(lam) > math.pi:
        return None
    u2 = cos2Alpha * (A ** 2 - B_ELLIPSOID ** 2) / B_ELLIPSOID ** 2
    AA = 1 + u2 / 16384 * (4096 + u2 * (-768 + u2 * (320 - 175 * u2)))
    BB = u2 / 1024 * (256 + u2 * (-128 + u2 * (74 - 47 * u2)))
    dSigma = BB * sinSigma * (cos2SigmaM + BB / 4 * (
        cosSigma * (-1 + 2 * cos2SigmaM ** 2) -
        BB / 6 * cos2SigmaM * (-3 + 4 * sinSigma ** 2) * (-3 + 4 * cos2SigmaM ** 2)))
    return B_ELLIPSOID * AA * (sigma - dSigma)


def vincenty_direct(lon1, lat1, azimuth, dist):
    """Point reached along the geodesic (degrees, metres); returns (lon, lat)."""
    a1 = math.radians(azimuth)
    sinA1, cosA1 = math.sin(a1), math.cos(a1)
    tanU1 = (1 - F) * math.tan(math.radians(lat1))
    cosU1 = 1 / math.sqrt(1 + tanU1 ** 2)
    sinU1 = tanU1 * cosU1
    sigma1 = math.atan2(tanU1, cosA1)
    sinAlpha = cosU1 * sinA1
    cos2Alpha = 1 - sinAlpha ** 2
    u2 = cos2Alpha * (A ** 2 - B_ELLIPSOID ** 2) / B_ELLIPSOID ** 2
    AA = 1 + u2 / 16384 * (4096 + u2 * (-768 + u2 * (320 - 175 * u2)))
    BB = u2 / 1024 * (256 + u2 * (-128 + u2 * (74 - 47 * u2)))
    sigma = dist / (B_ELLIPSOID * AA)
    for _ in range(1000):
        cos2SigmaM = math.cos(2 * sigma1 + sigma)
        sinSigma, cosSigma = math.sin(sigma), math.cos(sigma)
        dSigma = BB * sinSigma * (cos2SigmaM + BB / 4 * (
            cosSigma * (-1 + 2 * cos2SigmaM ** 2) -
            BB / 6 * cos2SigmaM * (-3 + 4 * sinSigma ** 2) * (-3 + 4 * cos2SigmaM ** 2)))
        prev = sigma
        sigma = dist / (B_ELLIPSOID * AA) + dSigma
        if abs(sigma - prev) < 1e-14:
            break
    sinSigma, cosSigma = math.sin(sigma), math.cos(sigma)
    cos2SigmaM = math.cos(2 * sigma1 + sigma)
    x = sinU1 * sinSigma - cosU1 * cosSigma * cosA1
    lat2 = math.atan2(sinU1 * cosSigma + cosU1 * sinSigma * cosA1,
                      (1 - F) * math.hypot(sinAlpha, x))
    lam = math.atan2(sinSigma * sinA1, cosU1 * cosSigma - sinU1 * sinSigma * cosA1)
    C = F / 16 * cos2Alpha * (4 + F * (4 - 3 * cos2Alpha))
    L = lam - (1 - C) * F * sinAlpha * (
        sigma + C * sinSigma * (cos2SigmaM + C * cosSigma * (-1 + 2 * cos2SigmaM ** 2)))
    return lon1 + math.degrees(L), math.degrees(lat2)


def half_meridian():
    """Pole-to-pole length of the meridian by Simpson's rule."""
    e2 = F * (2 - F)
    n = 20000
    h = math.pi / n
    total = 0.0
    for i in range(n + 1):
        phi = -math.pi / 2 + i * h
        m = A * (1 - e2) / (1 - e2 * math.sin(phi) ** 2) ** 1.5
        w = 1 if i in (0, n) else (4 if i % 2 else 2)
        total += w * m
    return total * h / 3


def haversine(lon1, lat1, lon2, lat2):
    p1, p2 = math.radians(lat1), math.radians(lat2)
    dp, dl = p2 - p1, math.radians(lon2 - lon1)
    h = math.sin(dp / 2) ** 2 + math.cos(p1) * math.cos(p2) * math.sin(dl / 2) ** 2
    return 2 * SPHERE_R * math.asin(min(1.0, math.sqrt(h)))


def rotate(v, axis, angle):
    """Rodrigues' rotation of vector v about a unit axis."""
    c, s = math.cos(angle), math.sin(angle)
    cross = (axis[1] * v[2] - axis[2] * v[1], axis[2] * v[0] - axis[0] * v[2],
             axis[0] * v[1] - axis[1] * v[0])
    dot = sum(a * b for a, b in zip(axis, v))
    return tuple(v[i] * c + cross[i] * s + axis[i] * dot * (1 - c) for i in range(3))


def sphere_destination(lon0, lat0, east, north):
    """North along the meridian, then along the great circle leaving due east,
    on unit vectors; the east leg is measured on the equatorial radius."""
    lo = math.radians(lon0)
    phi = math.radians(lat0) + north / MEAN_R
    p = (math.cos(phi) * math.cos(lo), math.cos(phi) * math.sin(lo), math.sin(phi))
    # due east at p is the direction of increasing longitude; the great circle
    # heading there turns about the axis p x east
    east_dir = (-math.sin(lo), math.cos(lo), 0.0)
    if math.cos(phi) < 0:   # went over the pole: east is now the other way
        east_dir = tuple(-c for c in east_dir)
    axis = (p[1] * east_dir[2] - p[2] * east_dir[1], p[2] * east_dir[0] - p[0] * east_dir[2],
            p[0] * east_dir[1] - p[1] * east_dir[0])
    n = math.sqrt(sum(c * c for c in axis))
    axis = tuple(c / n for c in axis)
    q = rotate(p, axis, east / A)
    return math.degrees(math.atan2(q[1], q[0])), math.degrees(math.asin(max(-1, min(1, q[2]))))


def ellipsoid_destination(lon0, lat0, east, north):
    """North along the meridian, then east along the geodesic leaving due east."""
    lon, lat = lon0, lat0
    if north:
        lon, lat = vincenty_direct(lon, lat, 0.0 if north > 0 else 180.0, abs(north))
    if east:
        lon, lat = vincenty_direct(lon, lat, 90.0 if east > 0 else 270.0, abs(east))
    return lon, lat


def build_table(rnd):
    rows = []
    # pairs: special ones, then random ones of every length
    pairs = [(0, 0, 1, 0), (0, 0, 0, 1), (10, 50, 10.00001, 50), (-179.9, 10, 179.9, 10.5),
             (13.4, 52.5, 2.35, 48.86), (-73.99, 40.73, 139.69, 35.69), (0, 89.9, 180, 89.9),
             (-45, -60, 135, -59), (5, -33.9, 151.2, -33.87), (0, 0, 90, 0), (0, 0, 0, 90),
             (30, 30, 30, 30.000001), (-0.0001, 0, 0.0001, 0), (100, -89.5, -80, -89.5)]
    for _ in range(300):
        lon1, lat1 = rnd.uniform(-180, 180), math.degrees(math.asin(rnd.uniform(-1, 1)))
        scale = 10 ** rnd.uniform(-4, 2.2)   # from metres to the far side
        lon2 = lon1 + rnd.uniform(-1, 1) * scale
        lat2 = max(-90, min(90, lat1 + rnd.uniform(-1, 1) * scale))
        pairs.append((lon1, lat1, lon2, lat2))
    for lon1, lat1, lon2, lat2 in pairs:
        d = vincenty_inverse(lon1, lat1, lon2, lat2)
        if d is not None and d < 19.5e6:   # Vincenty is reliable off the antipodes
            # Andoyer-Lambert is good to about f^2 of the length
            rows.append("dist %.12f %.12f %.12f %.12f %.6f %.6f" %
                        (lon1, lat1, lon2, lat2, d, 1e-4 * d + 0.001))
        s = haversine(lon1, lat1, lon2, lat2)
        # the acos form resolves about 1e-8 rad near 0
        rows.append("sphere %.12f %.12f %.12f %.12f %.6f %.6f" %
                    (lon1, lat1, lon2, lat2, s, 1e-9 * s + 0.5))
    # exact and near antipodes: half the meridian, within what the formula holds
    hm = half_meridian()
    for lon1, lat1, lon2, lat2 in [(0, 0, 180, 0), (10, 20, -170, -20), (0, 90, 0, -90),
                                   (-60, 45.5, 120, -45.5), (33, -1, -147, 1),
                                   (0, 0, 179.9999999, 0), (0, 0.0000001, 180, 0)]:
        rows.append("dist %.12f %.12f %.12f %.12f %.6f %.6f" % (lon1, lat1, lon2, lat2, hm, 0.004 * hm))
    # destinations
    offsets = [(0, 0), (1000, 0), (0, 1000), (-2500, 300), (100000, -50000), (0, -300000),
               (500000, 500000), (-800000, 0), (1, 1), (0.01, -0.01)]
    starts = [(0, 0), (13.4, 52.5), (-70, -33), (179.5, 10), (-179.9, -60), (40, 75), (0, -80)]
    for _ in range(40):
        starts.append((rnd.uniform(-180, 180), rnd.uniform(-80, 80)))
    for lon0, lat0 in starts:
        for east, north in offsets + [(rnd.uniform(-3e5, 3e5), rnd.uniform(-3e5, 3e5))]:
            lon, lat = sphere_destination(lon0, lat0, east, north)
            rows.append("destsphere %.12f %.12f %.6f %.6f %.12f %.12f %.6f" %
                        (lon0, lat0, east, north, lon, lat, 0.001))
            lon, lat = ellipsoid_destination(lon0, lat0, east, north)
            # the meridian step uses a radius between a and b where the true
            # meridian radius is 6335 to 6400 km: up to 0.7 % of the northing;
            # the eastward curve is no geodesic: 0.2 % of the easting
            tol = 0.0075 * abs(north) + 0.002 * abs(east) + 0.001
            rows.append("dest %.12f %.12f %.6f %.6f %.12f %.12f %.6f" %
                        (lon0, lat0, east, north, lon, lat, tol))
    return rows


def main():
    if len(sys.argv) < 2:
        sys.exit(__doc__)
    checker = sys.argv[1]
    table = sys.argv[2] if len(sys.argv) > 2 else os.path.abspath("geo_reference_table.txt")
    rows = build_table(random.Random(20261207))
    with open(table + ".tmp", "w") as f:
        f.write("\n".join(rows) + "\n")
    os.replace(table + ".tmp", table)
    cmd = [checker, table]
    if checker.lower().endswith(".exe"):
        cmd = [os.environ.get("ORV_WINE_RUN", "wine")] + cmd
    env = dict(os.environ, ORV_GEO_TABLE=table)
    sys.exit(subprocess.call(cmd, env=env))


if __name__ == "__main__":
    main()
